// The Function insert dialog.
#include "ide/dialogs/function_dlg.h"

#include <algorithm>
#include <cstring>

#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"
#include "platform/controls/list_notify.h"

namespace {

const DWORD kReadOnlyText = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

const CDialogItemTemplate kItems[] = {
    {"ComboBox", "", IDC_INSERT_GROUPS, CBS_DROPDOWNLIST | CBS_SORT | WS_TABSTOP, 7, 7, 150, 100, 0},
    {"Static", "&Function:", (UINT)-1, 0, 7, 24, 60, 8, 0},
    {WC_LISTVIEW, "", IDC_INSERT_LIST,
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_BORDER | WS_TABSTOP | WS_VSCROLL, 7, 34,
     150, 140, 0},
    {"Static", "&Description:", (UINT)-1, 0, 164, 7, 80, 8, 0},
    {"Edit", "", IDC_INSERT_DESCRIPTION, kReadOnlyText, 164, 17, 200, 100, 0},
    {"Static", "&Example:", IDC_INSERT_EXAMPLE_LABEL, 0, 164, 122, 80, 8, 0},
    {"Edit", "", IDC_INSERT_EXAMPLE, kReadOnlyText, 164, 132, 200, 42, 0},
    {"Button", "&Insert", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 260, 181, 50, 14, 0},
    {"Button", "&Cancel", IDCANCEL, WS_TABSTOP, 314, 181, 50, 14, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME, 0, "Function",
                                   0, 0, 371, 202, kItems, sizeof kItems / sizeof kItems[0]};

const char kAllStandard[] = "All Standard";

}  // namespace

BEGIN_MESSAGE_MAP(CFunctionDlg, CInsertBrowseDlg)
    ON_CONTROL(CBN_SELCHANGE, IDC_INSERT_GROUPS, OnGroupChanged)
    ON_NOTIFY(LVN_GETDISPINFO, IDC_INSERT_LIST, OnGetDispInfo)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_INSERT_LIST, OnItemChanged)
END_MESSAGE_MAP()

CFunctionDlg::CFunctionDlg(const CStatementBlock* mainBlock, CWnd* parent)
    : CInsertBrowseDlg(&kTemplate, IDD_FUNCTION, parent), m_mainBlock(mainBlock)
{
}

const CDialogTemplate* CFunctionDlg::Template() { return &kTemplate; }

BOOL CFunctionDlg::OnInitDialog()
{
    CInsertBrowseDlg::OnInitDialog();
    ApplyFont(false);
    CControlAlias<CListCtrl> list(this, IDC_INSERT_LIST);
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    // The list view has no width change after the fact: the columns take
    // their share of the client width now (w = width - 3; a third, the rest).
    RECT rc{};
    list.GetClientRect(&rc);
    const int w = rc.right - rc.left - 3;
    const char* headings[2] = {"Function", "Prototype"};
    const int widths[2] = {w / 3, w - w / 3};
    // The wrapper takes a negative width for none given; the list clamps at 0.
    for (int i = 0; i < 2; ++i) list.InsertColumn(i, headings[i], LVCFMT_LEFT, std::max(0, widths[i]));

    m_groups = StandardFunctionGroups(m_mainBlock);
    CControlAlias<CComboBox> box(this, IDC_INSERT_GROUPS);
    // The box sorts every group but "All Standard", which goes first.
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].name == kAllStandard) continue;
        box.SetItemData(box.AddString(m_groups[i].name.c_str()), i);
    }
    for (size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].name != kAllStandard) continue;
        box.InsertString(0, kAllStandard);
        box.SetItemData(0, i);
    }
    const int count = box.GetCount();
    int group = InsertMemory().functionGroup;
    if (group < 0 || group >= count) group = 0;
    box.SetCurSel(group);
    OnGroupChanged();
    return TRUE;
}

void CFunctionDlg::OnGroupChanged()
{
    m_strText.clear();
    CControlAlias<CListCtrl> list(this, IDC_INSERT_LIST);
    const CControlAlias<CComboBox> box(this, IDC_INSERT_GROUPS);
    list.SetItemCount(0);
    m_rows.clear();
    const int sel = box.GetCurSel();
    const size_t group = sel == CB_ERR ? m_groups.size() : (size_t)box.GetItemData(sel);
    if (group < m_groups.size()) BuildFunctionRows(m_groups[group], m_rows);
    list.SetItemCount((int)m_rows.size());
    int row = InsertMemory().functionRow;
    InsertMemory().functionRow = -1;   // used once
    if (row < 0 || row >= (int)m_rows.size()) row = 0;
    SetDlgItemText(IDC_INSERT_DESCRIPTION, "");
    SetDlgItemText(IDC_INSERT_EXAMPLE, "");
    if (m_rows.empty()) return;
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.EnsureVisible(row);
    ShowRow(row);
}

void CFunctionDlg::OnGetDispInfo(NMHDR* hdr, LRESULT* result)
{
    NMLVDISPINFO* di = reinterpret_cast<NMLVDISPINFO*>(hdr);
    *result = 0;
    const int i = di->item.iItem;
    if (!(di->item.mask & LVIF_TEXT) || i < 0 || i >= (int)m_rows.size() || !di->item.pszText) return;
    const std::string text = di->item.iSubItem == 0 ? m_rows[(size_t)i].Name() : m_rows[(size_t)i].Prototype();
    const size_t room = di->item.cchTextMax > 0 ? (size_t)di->item.cchTextMax : 0;
    if (!room) return;
    const size_t n = text.size() < room - 1 ? text.size() : room - 1;
    std::memcpy(di->item.pszText, text.data(), n);
    di->item.pszText[n] = '\0';
}

void CFunctionDlg::OnItemChanged(NMHDR* hdr, LRESULT* result)
{
    const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(hdr);
    *result = 0;
    if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) ShowRow(nm->iItem);
}

void CFunctionDlg::ShowRow(int row)
{
    if (row < 0 || row >= (int)m_rows.size()) return;
    const FunctionRow& r = m_rows[(size_t)row];
    m_strText = r.Name();
    SetDlgItemText(IDC_INSERT_DESCRIPTION, r.Description());
    SetDlgItemText(IDC_INSERT_EXAMPLE, r.Prototype());
}

void CFunctionDlg::OnOK()
{
    InsertMemory().functionGroup = CControlAlias<CComboBox>(this, IDC_INSERT_GROUPS).GetCurSel();
    InsertMemory().functionRow = CControlAlias<CListCtrl>(this, IDC_INSERT_LIST).GetNextItem(-1, LVNI_SELECTED);
    EndDialog(IDOK);
}

std::string RunFunctionDialog(CWnd* owner, const CStatementBlock* mainBlock)
{
    CFunctionDlg dlg(mainBlock, owner);
    return dlg.DoModal() == IDOK ? dlg.m_strText : std::string();
}
