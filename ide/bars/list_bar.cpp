// What the IDE's list bars share.
#include "ide/bars/list_bar.h"

#include <cstring>

#include "platform/controls/controls.h"
#include "platform/controls/list_notify.h"
#include "values/app_settings.h"

CListBarDlg::CListBarDlg(const ListBarShape& shape, CProgram* owner)
    : LytDynamicBarDlg(shape.dialog, nullptr, 3, 0, 0), m_pOwner(owner), m_shape(shape)
{
    m_nTemplateId = shape.templateId;
    RegisterControlClasses();
}

CListBarDlg::~CListBarDlg()
{
    if (m_font) DeleteObject(m_font);
}

const LayoutTableEntry* CListBarDlg::GetLayoutTable() const { return m_shape.layout; }

BOOL CListBarDlg::OnInitDialog()
{
    LytDynamicBarDlg::OnInitDialog();
    if (CWnd* bar = GetParent()) bar->SetWindowText(m_shape.caption);
    return TRUE;
}

void CListBarDlg::SetUpList()
{
    CControlAlias<CListCtrl> list = List();
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    list.InsertColumn(0, m_shape.columns[0]);
    list.InsertColumn(1, m_shape.columns[1]);
}

void CListBarDlg::ApplyFont(const LOGFONT& lf, std::initializer_list<int> ids)
{
    HFONT old = m_font;
    m_font = CreateFontIndirect(&lf);
    for (int id : ids) ::SendMessage(::GetDlgItem(m_hWnd, id), WM_SETFONT, (WPARAM)m_font, TRUE);
    if (old) DeleteObject(old);
}

void CListBarDlg::ApplyFont(const FontSetting& setting, std::initializer_list<int> ids)
{
    LOGFONT lf{};
    const int tenths = setting.size > 0 ? setting.size : 90;
    lf.lfHeight = -(tenths * 96 + 360) / 720;
    const std::string face = setting.face.empty() ? "Courier New" : setting.face;
    std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
    ApplyFont(lf, ids);
}

void CListBarDlg::SetColumnWidths()
{
    CControlAlias<CListCtrl> list = List();
    if (!list.m_hWnd) return;
    RECT rc;
    list.GetClientRect(&rc);
    const int w = rc.right - rc.left - 3;
    const int first = (int)(w * m_shape.firstShare);
    list.SetColumnWidth(0, first);
    list.SetColumnWidth(1, w - first);
}

int CListBarDlg::SelectedRow() const { return List().GetNextItem(-1, LVNI_SELECTED); }

bool CListBarDlg::ForList(const MSG* msg) const
{
    HWND list = m_hWnd ? ::GetDlgItem(m_hWnd, m_shape.listId) : nullptr;
    return list && msg->hwnd == list;
}

bool CListBarDlg::SelectedData(int boxId, UINT_PTR& data) const
{
    const CControlAlias<CComboBox> box = Box(boxId);
    const int sel = box.GetCurSel();
    if (sel < 0) return false;
    data = box.GetItemData(sel);
    return true;
}

void CListBarDlg::AddItem(int boxId, const std::string& text, UINT_PTR data)
{
    CControlAlias<CComboBox> box = Box(boxId);
    box.SetItemData(box.AddString(text.c_str()), data);
}

BOOL CListBarDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->idFrom == (UINT_PTR)m_shape.listId) {
        switch ((int)hdr->code) {
        case LVN_GETDISPINFO: {
            auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
            std::string text;
            if (di->item.pszText && di->item.cchTextMax > 0 && CellText(di->item.iItem, di->item.iSubItem, text)) {
                std::strncpy(di->item.pszText, text.c_str(), (size_t)di->item.cchTextMax - 1);
                di->item.pszText[di->item.cchTextMax - 1] = 0;
            }
            *result = 0;
            return TRUE;
        }
        case LVN_ITEMCHANGED: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
            if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) ShowRow(nm->iItem);
            *result = 0;
            return TRUE;
        }
        case NM_DBLCLK:
            OpenSelected();
            *result = 0;
            return TRUE;
        default:
            if (OnListNotify(hdr, result)) return TRUE;
            break;
        }
    }
    return LytDynamicBarDlg::OnNotify(wParam, lParam, result);
}

LRESULT CListBarDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = LytDynamicBarDlg::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE) SetColumnWidths();
    return r;
}

bool DockListBar(LytDynamicBar* bar, CFrameWnd* frame, UINT id, DWORD style, UINT dockBar)
{
    if (!bar->Create("", frame, SIZE{200, 100}, TRUE, id, style)) return false;
    bar->m_bAutoDelete = TRUE;
    bar->SetBarStyle(bar->GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    bar->EnableDocking(CBRS_ALIGN_ANY);
    // The first bar of a child frame makes its dock bars.
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(bar, dockBar);
    return true;
}
