// The Statement and Operation dialogs.
#include "ide/dialogs/insert_dialogs.h"

#include <cstring>

#include "interpreter/expr_tree.h"
#include "interpreter/statement_module.h"
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"
#include "platform/gdi/gdi.h"
#include "ui_controls/edit/edit_ctrl.h"
#include "values/app_settings.h"

namespace {

const LayoutTableEntry kLayout[] = {
    {1, IDC_INSERT_LIST, {0, 0, 0, 100}},
    {1, IDOK, {0, 100, 0, 100}},
    {1, IDCANCEL, {0, 100, 0, 100}},
    {1, IDC_INSERT_DESCRIPTION, {0, 0, 100, 100}},
    {1, IDC_INSERT_EXAMPLE, {0, 100, 100, 100}},
    {1, IDC_INSERT_EXAMPLE_LABEL, {0, 100, 0, 100}},
    {0, 0, {0, 0, 0, 0}},
};

const DWORD kCaption = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME;
const DWORD kReadOnlyText = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP;

const CDialogItemTemplate kStatementItems[] = {
    {"ComboBox", "", IDC_INSERT_GROUPS, CBS_DROPDOWNLIST | WS_TABSTOP, 7, 7, 120, 100, 0},
    {"Static", "Co&mmand:", (UINT)-1, 0, 7, 24, 60, 8, 0},
    {"ListBox", "", IDC_INSERT_LIST, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 34, 120, 140, 0},
    {"Static", "&Description:", (UINT)-1, 0, 134, 7, 80, 8, 0},
    {"Edit", "", IDC_INSERT_DESCRIPTION, kReadOnlyText, 134, 17, 200, 100, 0},
    {"Static", "&Example:", IDC_INSERT_EXAMPLE_LABEL, 0, 134, 122, 80, 8, 0},
    {"Edit", "", IDC_INSERT_EXAMPLE, kReadOnlyText, 134, 132, 200, 42, 0},
    {"Button", "&Insert", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 230, 181, 50, 14, 0},
    {"Button", "&Cancel", IDCANCEL, WS_TABSTOP, 284, 181, 50, 14, 0},
};
const CDialogTemplate kStatementTemplate = {kCaption, 0, "Statement", 0, 0, 341, 202, kStatementItems,
                                            sizeof kStatementItems / sizeof kStatementItems[0]};

const CDialogItemTemplate kOperationItems[] = {
    {"Static", "&Operator:", (UINT)-1, 0, 7, 7, 60, 8, 0},
    {"ListBox", "", IDC_INSERT_LIST, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 17, 60, 157, 0},
    {"Static", "&Description:", (UINT)-1, 0, 74, 7, 80, 8, 0},
    {"Edit", "", IDC_INSERT_DESCRIPTION, kReadOnlyText, 74, 17, 220, 100, 0},
    {"Static", "&Example:", IDC_INSERT_EXAMPLE_LABEL, 0, 74, 122, 80, 8, 0},
    {"Edit", "", IDC_INSERT_EXAMPLE, kReadOnlyText, 74, 132, 220, 42, 0},
    {"Button", "&Insert", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 190, 181, 50, 14, 0},
    {"Button", "&Cancel", IDCANCEL, WS_TABSTOP, 244, 181, 50, 14, 0},
};
const CDialogTemplate kOperationTemplate = {kCaption, 0, "Operation", 0, 0, 301, 202, kOperationItems,
                                            sizeof kOperationItems / sizeof kOperationItems[0]};

// Where the dialog's examples differ from the interpreter's table.
const struct {
    const char* symbol;
    const char* example;
} kExampleTexts[] = {{"-", "X+Y"}, {".*", "X*Y"}, {"./", "X/Y"}, {".^", "X^Y"}};

constexpr int kFirstBinary = 11;   // the infix records close the table
constexpr int kOperationCount = OPERATOR_COUNT - kFirstBinary;

OperationEntry g_operations[kOperationCount];

}  // namespace

InsertDialogMemory& InsertMemory()
{
    static InsertDialogMemory memory;
    return memory;
}

int OperationEntries(const OperationEntry** entries)
{
    if (!g_operations[0].record) {
        for (int i = 0; i < kOperationCount; ++i) {
            const OperatorRecord& r = OperatorTable[kFirstBinary + i];
            g_operations[i] = {&r, r.symbol, r.description, r.example};
            for (const auto& e : kExampleTexts)
                if (std::strcmp(e.symbol, r.symbol) == 0) g_operations[i].example = e.example;
        }
    }
    *entries = g_operations;
    return kOperationCount;
}

// ---- the shared start ------------------------------------------------------------

CInsertBrowseDlg::CInsertBrowseDlg(const CDialogTemplate* tmpl, UINT templateId, CWnd* parent)
    : LytDynamicDialog(tmpl, parent, 3, 3, templateId)
{
}

CInsertBrowseDlg::~CInsertBrowseDlg()
{
    if (m_hFont) DeleteObject(m_hFont);
}

const LayoutTableEntry* CInsertBrowseDlg::GetLayoutTable() const { return kLayout; }

BOOL CInsertBrowseDlg::OnInitDialog() { return LytDynamicDialog::OnInitDialog(); }

void CInsertBrowseDlg::ApplyFont(bool onList)
{
    // "Courier" 9 pt at 96 dpi.
    if (!m_hFont)
        m_hFont = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Courier");
    for (int id : {IDC_INSERT_DESCRIPTION, IDC_INSERT_EXAMPLE, onList ? IDC_INSERT_LIST : 0})
        if (HWND w = id ? ::GetDlgItem(m_hWnd, id) : nullptr) ::SendMessage(w, WM_SETFONT, (WPARAM)m_hFont, TRUE);
}

// ---- Statement ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatementDlg, CInsertBrowseDlg)
    ON_CONTROL(CBN_SELCHANGE, IDC_INSERT_GROUPS, OnGroupChanged)
    ON_CONTROL(LBN_SELCHANGE, IDC_INSERT_LIST, OnStatementChanged)
END_MESSAGE_MAP()

CStatementDlg::CStatementDlg(CWnd* parent) : CInsertBrowseDlg(&kStatementTemplate, IDD_STATEMENT, parent) {}

const CDialogTemplate* CStatementDlg::Template() { return &kStatementTemplate; }

BOOL CStatementDlg::OnInitDialog()
{
    CInsertBrowseDlg::OnInitDialog();
    ApplyFont(true);
    CControlAlias<CComboBox> groups(this, IDC_INSERT_GROUPS);
    const int count = CStatementModuleList::Count();
    for (int i = 0; i < count; ++i) {
        CmdrInfo* info = CStatementModuleList::At(i).info;
        groups.SetItemData(groups.AddString(info->title ? info->title : ""), (UINT_PTR)info);
    }
    int group = InsertMemory().statementGroup;
    if (group < 0 || group >= count) group = 0;
    groups.SetCurSel(group);
    OnGroupChanged();
    return TRUE;
}

void CStatementDlg::OnGroupChanged()
{
    m_strText.clear();
    CControlAlias<CComboBox> groups(this, IDC_INSERT_GROUPS);
    CControlAlias<CListBox> list(this, IDC_INSERT_LIST);
    list.ResetContent();
    const int sel = groups.GetCurSel();
    const CmdrInfo* info = sel == CB_ERR ? nullptr : (const CmdrInfo*)groups.GetItemData(sel);
    const int count = info ? info->statementCount : 0;
    for (int i = 0; i < count; ++i) {
        const CmdrStatementEntry& e = info->statements[i];
        list.SetItemData(list.AddString(e.keyword ? e.keyword : ""), (UINT_PTR)&e);
    }
    int statement = InsertMemory().statement;
    InsertMemory().statement = -1;   // used once
    if (statement < 0 || statement >= count) statement = 0;
    list.SetCurSel(statement);
    OnStatementChanged();
}

void CStatementDlg::OnStatementChanged()
{
    const CControlAlias<CListBox> list(this, IDC_INSERT_LIST);
    const int sel = list.GetCurSel();
    const CmdrStatementEntry* e = sel == LB_ERR ? nullptr : (const CmdrStatementEntry*)list.GetItemData(sel);
    auto text = [](const char* s) { return std::string(s ? s : ""); };
    SetDlgItemText(IDC_INSERT_DESCRIPTION, e ? text(e->help) : std::string());
    SetDlgItemText(IDC_INSERT_EXAMPLE, e ? text(e->example) : std::string());
    m_strText = e ? text(AppSettings::InsertAsExample ? e->example : e->keyword) : std::string();
}

void CStatementDlg::OnOK()
{
    InsertMemory().statementGroup = CControlAlias<CComboBox>(this, IDC_INSERT_GROUPS).GetCurSel();
    InsertMemory().statement = CControlAlias<CListBox>(this, IDC_INSERT_LIST).GetCurSel();
    EndDialog(IDOK);
}

// ---- Operation ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(COperationDlg, CInsertBrowseDlg)
    ON_CONTROL(LBN_SELCHANGE, IDC_INSERT_LIST, OnOperationChanged)
END_MESSAGE_MAP()

COperationDlg::COperationDlg(CWnd* parent) : CInsertBrowseDlg(&kOperationTemplate, IDD_OPERATION, parent) {}

const CDialogTemplate* COperationDlg::Template() { return &kOperationTemplate; }

BOOL COperationDlg::OnInitDialog()
{
    CInsertBrowseDlg::OnInitDialog();
    ApplyFont(true);
    CControlAlias<CListBox> list(this, IDC_INSERT_LIST);
    const OperationEntry* ops = nullptr;
    const int count = OperationEntries(&ops);
    for (int i = 0; i < count; ++i) list.SetItemData(list.AddString(ops[i].symbol), (UINT_PTR)&ops[i]);
    int index = InsertMemory().operation;
    if (index < 0 || index >= count) index = 0;
    list.SetCurSel(index);
    OnOperationChanged();
    return TRUE;
}

void COperationDlg::OnOperationChanged()
{
    const CControlAlias<CListBox> list(this, IDC_INSERT_LIST);
    const int sel = list.GetCurSel();
    const OperationEntry* e = sel == LB_ERR ? nullptr : (const OperationEntry*)list.GetItemData(sel);
    SetDlgItemText(IDC_INSERT_DESCRIPTION, e ? e->description : "");
    SetDlgItemText(IDC_INSERT_EXAMPLE, e ? e->example : "");
    m_strText = e ? e->symbol : "";
}

void COperationDlg::OnOK()
{
    InsertMemory().operation = CControlAlias<CListBox>(this, IDC_INSERT_LIST).GetCurSel();
    EndDialog(IDOK);
}

std::string RunStatementDialog(CWnd* owner)
{
    CStatementDlg dlg(owner);
    return dlg.DoModal() == IDOK ? dlg.m_strText : std::string();
}

std::string RunOperationDialog(CWnd* owner)
{
    COperationDlg dlg(owner);
    return dlg.DoModal() == IDOK ? dlg.m_strText : std::string();
}

bool InsertAtCaret(KyrEditCtrl& editor, const std::string& text)
{
    return !text.empty() && editor.InsertText(text);
}
