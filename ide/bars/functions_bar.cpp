// The functions bar and its dialog.
#include "ide/bars/functions_bar.h"

#include <cstring>

#include "ide/run/program_loader.h"
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
const CDialogTemplate kFunctionsTemplate = ListBarTemplate(kFunctionsItems, 120, 170);

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

const ListBarShape kFunctionsShape = {&kFunctionsTemplate, IDD_FUNCTIONS, kFunctionsLayout, "Functions", IDC_FN_LIST,
                                       {"Function", "Prototype"}, 0.4347826086956522};

using Bars = ListBars<CFunctionsBar>;

}  // namespace

// ---------------------------------------------------------------- CFunctionsDlg

CFunctionsDlg::CFunctionsDlg(CProgram* owner, IFunctionsBarHost* host) : CListBarDlg(kFunctionsShape, owner), m_pHost(host)
{
}

BOOL CFunctionsDlg::OnInitDialog()
{
    CListBarDlg::OnInitDialog();
    LOGFONT lf{};
    lf.lfHeight = -11;   // 8 points at 96 dpi
    std::strncpy(lf.lfFaceName, "Courier", sizeof lf.lfFaceName - 1);
    ApplyFont(lf, {IDC_FN_PROTOTYPE, IDC_FN_DESCRIPTION});
    SetUpList();
    m_groups = StandardFunctionGroups(m_pOwner);
    for (size_t i = 0; i < m_groups.size(); ++i) AddItem(IDC_FN_GROUPS, m_groups[i].name, i);
    SelectGroup(m_groups.back().name);   // "Local", the group added last
    return TRUE;
}

const FunctionGroup* CFunctionsDlg::SelectedGroup() const
{
    UINT_PTR i = 0;
    if (!SelectedData(IDC_FN_GROUPS, i)) return nullptr;
    return i < m_groups.size() ? &m_groups[i] : nullptr;
}

void CFunctionsDlg::SelectGroup(const std::string& name)
{
    const int found =
        FindData(IDC_FN_GROUPS, [&](UINT_PTR g) { return g < m_groups.size() && m_groups[g].name == name; });
    if (found >= 0) Box(IDC_FN_GROUPS).SetCurSel(found);
    ApplyGroup();
}

void CFunctionsDlg::ApplyGroup()
{
    if (!m_hWnd) return;
    CControlAlias<CListCtrl> list = List();
    // The list must not ask for rows while they are rebuilt.
    list.SetItemCount(0);
    m_rows.clear();
    // Not while a translation on its own thread writes the program's functions.
    if (const FunctionGroup* g = SelectedGroup(); g && !ProgramLoading(m_pOwner)) BuildFunctionRows(*g, m_rows);
    list.SetItemCount((int)m_rows.size());
    char label[48];
    std::snprintf(label, sizeof label, "List (%u):", (unsigned)m_rows.size());
    SetDlgItemText(IDC_FN_LIST_LABEL, label);
    SetColumnWidths();
    SelectRow(0);
    list.Invalidate();
}

void CFunctionsDlg::EmptyRows()
{
    if (m_hWnd) List().SetItemCount(0);
    m_rows.clear();
}

void CFunctionsDlg::SelectRow(int row)
{
    if (row < 0 || row >= (int)m_rows.size()) {
        SetDlgItemText(IDC_FN_PROTOTYPE, "");
        SetDlgItemText(IDC_FN_DESCRIPTION, "");
        return;
    }
    List().SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
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

bool CFunctionsDlg::CellText(int row, int column, std::string& text) const
{
    text = ItemText(row, column);
    return true;
}

void CFunctionsDlg::OpenSelected() { GoTo(); }

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
    return CListBarDlg::OnCommand(wParam, lParam);
}

BOOL CFunctionsDlg::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra && !info && (nID == ID_FUNCTIONS_GOTO || nID == ID_FUNCTIONS_ADD)) {
        static_cast<CCmdUI*>(pExtra)->Enable(SelectedRow() != -1);
        return TRUE;
    }
    return CListBarDlg::OnCmdMsg(nID, nCode, pExtra, info);
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
    return CListBarDlg::WindowProc(message, wParam, lParam);
}

BOOL CFunctionsDlg::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_SPACE && ForList(msg)) {
        OpenSelected();
        return TRUE;
    }
    return CListBarDlg::PreTranslateMessage(msg);
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
    return Bars::Dock(new CFunctionsBar(owner, host), frame, IDC_FUNCTIONS_BAR,
                      WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_GRIPPER, AFX_IDW_DOCKBAR_LEFT);
}

CFunctionsBar* FindFunctionsBar(CProgram* owner) { return Bars::Find(owner); }

void RemoveFunctionsBar(CFunctionsBar* bar) { Bars::Remove(bar); }

void EmptyFunctionsBars(CProgram* owner)
{
    for (CFunctionsBar* b : Bars::Of(owner)) b->m_dlg.EmptyRows();
}

void RefreshFunctionsBars(CProgram* owner, int flags)
{
    if (!(flags & 1)) return;
    for (CFunctionsBar* b : Bars::Of(owner)) b->m_dlg.ApplyGroup();
}
