// The functions bar and its dialog.
#include "ide/functions_bar.h"

#include <cstring>

#include "ide/program_loader.h"
#include "interpreter/program.h"
#include "interpreter/user_function.h"
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"
#include "ui_controls/edit/edit_ctrl.h"

namespace {

const CDialogItemTemplate kFunctionsItems[] = {
    {"ComboBox", "", IDC_FN_GROUPS, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT, 4, 4, 112, 120, 0},
    {"Static", "List (0):", IDC_FN_LIST_LABEL, 0, 4, 20, 112, 8, 0},
    {WC_LISTVIEW, "", IDC_FN_LIST, WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     4, 30, 112, 60, 0},
    {"Static", "Function:", 0x41A, 0, 4, 94, 112, 8, 0},
    {"Edit", "", IDC_FN_PROTOTYPE, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 4, 104, 112, 12, 0},
    {"Static", "Description:", 0x41B, 0, 4, 120, 112, 8, 0},
    {"Edit", "", IDC_FN_DESCRIPTION, WS_BORDER | WS_VSCROLL | ES_READONLY | ES_MULTILINE | ES_AUTOVSCROLL, 4, 130, 112,
     36, 0},
};
const CDialogTemplate kFunctionsTemplate = {WS_CHILD | DS_CONTROL, 0, nullptr, 0, 0, 120, 170, kFunctionsItems,
                                            sizeof kFunctionsItems / sizeof kFunctionsItems[0]};

const LayoutTableEntry kFunctionsLayout[] = {
    {2, IDC_FN_GROUPS, {1, 0, 0, 0}},
    {2, IDC_FN_LIST_LABEL, {0, 0, 0, 0}},
    {2, IDC_FN_LIST, {1, 1, 0, 0}},
    {2, 0x41A, {0, 2, 0, 0}},
    {2, 0x41B, {0, 2, 0, 0}},
    {2, IDC_FN_PROTOTYPE, {1, 2, 0, 0}},
    {2, IDC_FN_DESCRIPTION, {1, 2, 0, 0}},
    {0, 0, {0, 0, 0, 0}},
};

// The bars of this GUI thread, in creation order.
thread_local std::vector<CFunctionsBar*> t_bars;

}  // namespace

// ---------------------------------------------------------------- CFunctionsDlg

CFunctionsDlg::CFunctionsDlg(CProgram* owner, IFunctionsBarHost* host)
    : LytDynamicBarDlg(&kFunctionsTemplate, nullptr, 3, 0, 0), m_pOwner(owner), m_pHost(host)
{
    m_nTemplateId = IDD_FUNCTIONS;
    RegisterControlClasses();
}

CFunctionsDlg::~CFunctionsDlg()
{
    if (m_font) DeleteObject(m_font);
}

const LayoutTableEntry* CFunctionsDlg::GetLayoutTable() const { return kFunctionsLayout; }

BOOL CFunctionsDlg::OnInitDialog()
{
    LytDynamicBarDlg::OnInitDialog();
    if (CWnd* bar = GetParent()) bar->SetWindowText("Functions");
    LOGFONT lf{};
    lf.lfHeight = -11;   // 8 points at 96 dpi
    std::strncpy(lf.lfFaceName, "Courier", sizeof lf.lfFaceName - 1);
    m_font = CreateFontIndirect(&lf);
    for (int id : {IDC_FN_PROTOTYPE, IDC_FN_DESCRIPTION})
        ::SendMessage(::GetDlgItem(m_hWnd, id), WM_SETFONT, (WPARAM)m_font, TRUE);
    HWND list = ::GetDlgItem(m_hWnd, IDC_FN_LIST);
    ::SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    LVCOLUMN c0{LVCF_TEXT | LVCF_FMT, LVCFMT_LEFT, 0, (char*)"Function", 0, 0};
    LVCOLUMN c1{LVCF_TEXT | LVCF_FMT, LVCFMT_LEFT, 0, (char*)"Prototype", 0, 1};
    ::SendMessage(list, LVM_INSERTCOLUMN, 0, (LPARAM)&c0);
    ::SendMessage(list, LVM_INSERTCOLUMN, 1, (LPARAM)&c1);
    m_groups = StandardFunctionGroups(m_pOwner);
    HWND box = ::GetDlgItem(m_hWnd, IDC_FN_GROUPS);
    for (size_t i = 0; i < m_groups.size(); ++i) {
        const int at = (int)::SendMessage(box, CB_ADDSTRING, 0, (LPARAM)m_groups[i].name.c_str());
        ::SendMessage(box, CB_SETITEMDATA, (WPARAM)at, (LPARAM)i);
    }
    SelectGroup(m_groups.back().name);   // "Local", the group added last
    return TRUE;
}

const FunctionGroup* CFunctionsDlg::SelectedGroup() const
{
    HWND box = ::GetDlgItem(m_hWnd, IDC_FN_GROUPS);
    const int sel = (int)::SendMessage(box, CB_GETCURSEL, 0, 0);
    if (sel < 0) return nullptr;
    const size_t i = (size_t)::SendMessage(box, CB_GETITEMDATA, (WPARAM)sel, 0);
    return i < m_groups.size() ? &m_groups[i] : nullptr;
}

void CFunctionsDlg::SelectGroup(const std::string& name)
{
    HWND box = ::GetDlgItem(m_hWnd, IDC_FN_GROUPS);
    const int n = (int)::SendMessage(box, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        const size_t g = (size_t)::SendMessage(box, CB_GETITEMDATA, (WPARAM)i, 0);
        if (g < m_groups.size() && m_groups[g].name == name) {
            ::SendMessage(box, CB_SETCURSEL, (WPARAM)i, 0);
            break;
        }
    }
    ApplyGroup();
}

void CFunctionsDlg::ApplyGroup()
{
    if (!m_hWnd) return;
    HWND list = ::GetDlgItem(m_hWnd, IDC_FN_LIST);
    // The list must not ask for rows while they are rebuilt.
    ::SendMessage(list, LVM_SETITEMCOUNT, 0, 0);
    m_rows.clear();
    // Not while a translation on its own thread writes the program's functions.
    if (const FunctionGroup* g = SelectedGroup(); g && !ProgramLoading(m_pOwner)) BuildFunctionRows(*g, m_rows);
    ::SendMessage(list, LVM_SETITEMCOUNT, (WPARAM)m_rows.size(), 0);
    char label[48];
    std::snprintf(label, sizeof label, "List (%u):", (unsigned)m_rows.size());
    SetDlgItemText(IDC_FN_LIST_LABEL, label);
    SetColumnWidths();
    SelectRow(0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void CFunctionsDlg::EmptyRows()
{
    if (m_hWnd) ::SendMessage(::GetDlgItem(m_hWnd, IDC_FN_LIST), LVM_SETITEMCOUNT, 0, 0);
    m_rows.clear();
}

void CFunctionsDlg::SetColumnWidths()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_FN_LIST);
    if (!list) return;
    RECT rc;
    ::GetClientRect(list, &rc);
    const int w = rc.right - rc.left - 3;
    const int first = (int)(w * 0.4347826086956522);
    ::SendMessage(list, LVM_SETCOLUMNWIDTH, 0, first);
    ::SendMessage(list, LVM_SETCOLUMNWIDTH, 1, w - first);
}

int CFunctionsDlg::SelectedRow() const
{
    return ListViewSelectedRow(::GetDlgItem(m_hWnd, IDC_FN_LIST));
}

void CFunctionsDlg::SelectRow(int row)
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_FN_LIST);
    if (row < 0 || row >= (int)m_rows.size()) {
        SetDlgItemText(IDC_FN_PROTOTYPE, "");
        SetDlgItemText(IDC_FN_DESCRIPTION, "");
        return;
    }
    LVITEM it{};
    it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessage(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)&it);
    ShowRow(row);
}

void CFunctionsDlg::ShowRow(int row)
{
    if (row < 0 || row >= (int)m_rows.size()) return;
    SetDlgItemText(IDC_FN_PROTOTYPE, m_rows[(size_t)row].Prototype().c_str());
    SetDlgItemText(IDC_FN_DESCRIPTION, m_rows[(size_t)row].Description().c_str());
}

std::string CFunctionsDlg::ItemText(int row, int column) const
{
    if (row < 0 || row >= (int)m_rows.size()) return std::string();
    return column == 0 ? m_rows[(size_t)row].Name() : m_rows[(size_t)row].Prototype();
}

BOOL CFunctionsDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != IDC_FN_LIST) return LytDynamicBarDlg::OnNotify(wParam, lParam, result);
    const int code = (int)hdr->code;
    if (code == LVN_GETDISPINFO) {
        auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
        if (di->item.pszText && di->item.cchTextMax > 0) {
            const std::string text = ItemText(di->item.iItem, di->item.iSubItem);
            std::strncpy(di->item.pszText, text.c_str(), (size_t)di->item.cchTextMax - 1);
            di->item.pszText[di->item.cchTextMax - 1] = 0;
        }
        *result = 0;
        return TRUE;
    }
    if (code == LVN_ITEMCHANGED) {
        auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
        if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) ShowRow(nm->iItem);
        *result = 0;
        return TRUE;
    }
    if (code == NM_DBLCLK) {
        GoTo();
        *result = 0;
        return TRUE;
    }
    return LytDynamicBarDlg::OnNotify(wParam, lParam, result);
}

BOOL CFunctionsDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_FN_GROUPS && code == CBN_SELCHANGE) {
        ApplyGroup();
        return TRUE;
    }
    if (id == ID_FUNCTIONS_GOTO && code == 0) {
        GoTo();
        return TRUE;
    }
    if (id == ID_FUNCTIONS_ADD && code == 0) {
        AddFunction();
        return TRUE;
    }
    return LytDynamicBarDlg::OnCommand(wParam, lParam);
}

BOOL CFunctionsDlg::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra && !info && (nID == ID_FUNCTIONS_GOTO || nID == ID_FUNCTIONS_ADD)) {
        static_cast<CCmdUI*>(pExtra)->Enable(SelectedRow() != -1);
        return TRUE;
    }
    return LytDynamicBarDlg::OnCmdMsg(nID, nCode, pExtra, info);
}

LRESULT CFunctionsDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CONTEXTMENU) {
        HMENU menu = CreatePopupMenu();
        const UINT state = SelectedRow() != -1 ? MF_ENABLED : MF_GRAYED;
        AppendMenu(menu, MF_STRING | state, ID_FUNCTIONS_GOTO, "&Go to");
        AppendMenu(menu, MF_STRING | state, ID_FUNCTIONS_ADD, "&Add Function");
        TrackPopupMenu(menu, TPM_RIGHTBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), 0, m_hWnd, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    LRESULT r = LytDynamicBarDlg::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE) SetColumnWidths();
    return r;
}

BOOL CFunctionsDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_SPACE && msg->hwnd == ::GetDlgItem(m_hWnd, IDC_FN_LIST)) {
        GoTo();
        return TRUE;
    }
    return LytDynamicBarDlg::PreTranslateMessage(msg);
}

int UserFunctionLine(const CUserFunction* f, KyrEditCtrl* editor)
{
    if (!f) return -1;
    const int pos = f->headerPos >= 0 ? f->headerPos : f->bodyPos;
    if (pos < 0) return -1;
    if (!f->sourceFile.empty()) {
        // A library function: its line in the library's own text (CR LF or LF).
        if (!f->sourceText) return -1;
        const std::string& text = *f->sourceText;
        int line = 0;
        for (int i = 0; i < pos && i < (int)text.size(); ++i)
            if (text[(size_t)i] == '\n') ++line;
        return line;
    }
    // A program function: its offset in the editor's text as it stands.
    return editor ? editor->GetLineOfOffset(std::min(pos, editor->Length())) : -1;
}

void CFunctionsDlg::GoTo()
{
    const int row = SelectedRow();
    if (row < 0 || row >= (int)m_rows.size() || !m_pHost) return;
    const CUserFunction* f = m_rows[(size_t)row].User();
    if (!f) return;   // built-in functions have no source
    KyrEditCtrl* editor = m_pHost->FindProgramEditor(f->sourceFile);
    if (!editor || !editor->m_hWnd) return;
    const int line = UserFunctionLine(f, editor);
    if (line < 0) return;
    const int offset = editor->GetLineOffset(line);
    editor->SetSel(offset, offset);
    editor->SetCaretOffset(offset, true, true);
    editor->SetFocus();
}

void CFunctionsDlg::AddFunction()
{
    const int row = SelectedRow();
    if (row < 0 || row >= (int)m_rows.size() || !m_pHost) return;
    m_pHost->InsertText(ItemText(row, 1));
}

// ---------------------------------------------------------------- the bars

CFunctionsBar::~CFunctionsBar() { RemoveFunctionsBar(this); }

void CFunctionsBar::PostNcDestroy()
{
    RemoveFunctionsBar(this);
    LytDynamicBar::PostNcDestroy();   // deletes this when auto-deleting
}

CFunctionsBar* CreateFunctionsBar(CProgram* owner, CFrameWnd* frame, IFunctionsBarHost* host)
{
    if (!frame) return nullptr;
    auto* bar = new CFunctionsBar(owner, host);
    if (!bar->Create("", frame, SIZE{200, 100}, TRUE, IDC_FUNCTIONS_BAR,
                     WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_GRIPPER)) {
        delete bar;
        return nullptr;
    }
    bar->m_bAutoDelete = TRUE;
    bar->SetBarStyle(bar->GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    bar->EnableDocking(CBRS_ALIGN_ANY);
    frame->EnableDocking(CBRS_ALIGN_ANY);   // the first bar of a child frame makes its dock bars
    frame->DockControlBar(bar, AFX_IDW_DOCKBAR_LEFT);
    t_bars.push_back(bar);
    bar->LoadSizes("DOC");
    return bar;
}

CFunctionsBar* FindFunctionsBar(CProgram* owner)
{
    for (CFunctionsBar* b : t_bars)
        if (b->m_dlg.m_pOwner == owner) return b;
    return nullptr;
}

void RemoveFunctionsBar(CFunctionsBar* bar) { std::erase(t_bars, bar); }

void EmptyFunctionsBars(CProgram* owner)
{
    for (CFunctionsBar* b : std::vector<CFunctionsBar*>(t_bars))
        if (!owner || b->m_dlg.m_pOwner == owner) b->m_dlg.EmptyRows();
}

void RefreshFunctionsBars(CProgram* owner, int flags)
{
    if (!(flags & 1)) return;
    for (CFunctionsBar* b : std::vector<CFunctionsBar*>(t_bars))
        if (!owner || b->m_dlg.m_pOwner == owner) b->m_dlg.ApplyGroup();
}
