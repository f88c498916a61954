// The value editors' dialog templates, their shared helpers, and the start
// hook through which tests script them (the dispatch by type is in
// value_editors.cpp).
#include "ide/editors/value_edit.h"

#include "ide/editors/value_line.h"
#include "platform/afx/resources.h"
#include "platform/controls/controls.h"
#include "ui_controls/grid/grid_ctrl.h"
#include "values/value_matrix.h"

namespace {

constexpr DWORD kPopup = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kSizable = kPopup | WS_THICKFRAME;

// 172: the scalar editor.
const CDialogItemTemplate kValueItems[] = {
    {"Static", "&Name:", 0xFFFF, 0, 7, 8, 30, 8, 0},
    {"Edit", "", IDC_VE_NAME, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 40, 6, 150, 12, 0},
    {"Static", "&Value:", 0xFFFF, 0, 7, 25, 30, 8, 0},
    {"Edit", "", IDC_VE_VALUE, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 40, 23, 150, 12, 0},
    {"Button", "&Extend...", IDC_VE_EXTEND, WS_TABSTOP, 7, 42, 50, 14, 0},
    {"Button", "&Insert", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 86, 42, 50, 14, 0},
    {"Button", "&Close", IDCANCEL, WS_TABSTOP, 140, 42, 50, 14, 0},
};
const CDialogTemplate kValueTemplate = {kPopup | DS_MODALFRAME, 0, "Value", 0, 0, 197, 63, kValueItems,
                                        sizeof kValueItems / sizeof kValueItems[0]};

// 173: the structure editor.
const CDialogItemTemplate kStructItems[] = {
    {"Static", "&Name:", 0xFFFF, 0, 7, 8, 30, 8, 0},
    {"Edit", "", IDC_VE_NAME, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 40, 6, 150, 12, 0},
    {WC_LISTVIEW, "", IDC_VE_LIST,
     WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_EDITLABELS | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 7, 23, 183,
     100, 0},
    {"Button", "&Add...", IDC_VE_ADD, WS_TABSTOP, 7, 130, 44, 14, 0},
    {"Button", "&Delete", IDC_VE_DELETE, WS_TABSTOP, 54, 130, 44, 14, 0},
    {"Button", "&Insert", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 102, 130, 42, 14, 0},
    {"Button", "&Close", IDCANCEL, WS_TABSTOP, 148, 130, 42, 14, 0},
};
const CDialogTemplate kStructTemplate = {kPopup | DS_MODALFRAME, 0, "Structure", 0, 0, 197, 151, kStructItems,
                                         sizeof kStructItems / sizeof kStructItems[0]};

// 171: the matrix editor.
const CDialogItemTemplate kMatrixItems[] = {
    {"Static", "&Name:", IDC_VE_LABEL_NAME, 0, 7, 8, 26, 8, 0},
    {"Edit", "", IDC_VE_NAME, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 34, 6, 86, 12, 0},
    {"Static", "&Rows:", IDC_VE_LABEL_ROWS, 0, 126, 8, 24, 8, 0},
    {"Edit", "", IDC_VE_ROWS, WS_BORDER | WS_TABSTOP | ES_NUMBER, 150, 6, 36, 12, 0},
    {UPDOWN_CLASS, "", IDC_VE_SPIN_ROWS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 186, 6, 10,
     12, 0},
    {"Static", "Co&lumns:", IDC_VE_LABEL_COLUMNS, 0, 200, 8, 34, 8, 0},
    {"Edit", "", IDC_VE_COLUMNS, WS_BORDER | WS_TABSTOP | ES_NUMBER, 234, 6, 36, 12, 0},
    {UPDOWN_CLASS, "", IDC_VE_SPIN_COLUMNS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 270, 6,
     10, 12, 0},
    {GRIDCTRL_CLASSNAME, "", IDC_VE_GRID, WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL, 7, 24, 273, 130, 0},
    {"Button", "&Extend...", IDC_VE_EXTEND, WS_TABSTOP, 7, 160, 50, 14, 0},
    {"Button", "&Insert", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 176, 160, 50, 14, 0},
    {"Button", "&Close", IDCANCEL, WS_TABSTOP, 230, 160, 50, 14, 0},
};
const CDialogTemplate kMatrixTemplate = {kSizable, 0, "Matrix", 0, 0, 287, 181, kMatrixItems,
                                         sizeof kMatrixItems / sizeof kMatrixItems[0]};

// 174: the binary data editor; the hex editor (1151) is made at start between
// the top row and the bottom row.
const CDialogItemTemplate kBinaryItems[] = {
    {"Static", "&Name:", IDC_VE_LABEL_NAME, 0, 7, 7, 26, 8, 0},
    {"Edit", "", IDC_VE_NAME, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 36, 5, 80, 12, 0},
    {"Button", "Co&lumns:", IDC_VE_AUTO_COLUMNS, WS_TABSTOP | BS_AUTOCHECKBOX, 122, 6, 44, 10, 0},
    {"Edit", "", IDC_VE_ROWS, WS_BORDER | WS_TABSTOP | ES_NUMBER, 166, 5, 30, 12, 0},
    {UPDOWN_CLASS, "", IDC_VE_SPIN_ROWS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 196, 5, 10,
     12, 0},
    {"Button", "1", IDC_VE_ITEM1, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 214, 6, 22, 10, 0},
    {"Button", "2", IDC_VE_ITEM2, BS_AUTORADIOBUTTON, 238, 6, 22, 10, 0},
    {"Button", "4", IDC_VE_ITEM4, BS_AUTORADIOBUTTON, 262, 6, 22, 10, 0},
    {"Static", "Size:", IDC_VE_LABEL_COLUMNS, 0, 7, 158, 20, 8, 0},
    {"Edit", "", IDC_VE_SIZE, WS_BORDER | WS_TABSTOP | ES_NUMBER, 30, 156, 50, 12, 0},
    {UPDOWN_CLASS, "", IDC_VE_SPIN_COLUMNS, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 80, 156,
     10, 12, 0},
    {"Button", "&Insert", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 156, 50, 14, 0},
    {"Button", "&Close", IDCANCEL, WS_TABSTOP, 240, 156, 50, 14, 0},
};
const CDialogTemplate kBinaryTemplate = {kSizable, 0, "Binary data", 0, 0, 297, 177, kBinaryItems,
                                         sizeof kBinaryItems / sizeof kBinaryItems[0]};

thread_local ValueEditorStartHook t_startHook;

}  // namespace

const CDialogTemplate* ValueEditorTemplate(UINT id)
{
    CDataGridCtrl::RegisterGridClass();
    RegisterControlClasses();
    switch (id) {
    case IDD_MATRIX_EDIT: return &kMatrixTemplate;
    case IDD_VALUE_EDIT: return &kValueTemplate;
    case IDD_STRUCT_EDIT: return &kStructTemplate;
    case IDD_BINARY_EDIT: return &kBinaryTemplate;
    default: return nullptr;
    }
}

void AddValueEditorTemplates(CResourceTable& table)
{
    for (UINT id : {IDD_MATRIX_EDIT, IDD_VALUE_EDIT, IDD_STRUCT_EDIT, IDD_BINARY_EDIT})
        table.AddDialog(id, ValueEditorTemplate(id));
}

void SetValueEditorStartHook(ValueEditorStartHook hook) { t_startHook = std::move(hook); }

void RunValueEditorStartHook(CDialog* dialog)
{
    if (t_startHook) {
        ValueEditorStartHook hook = t_startHook;   // the hook may open further editors
        hook(dialog);
    }
}

void ShowValueEditorMessage(CWnd* owner, const char* text)
{
    ::MessageBox(owner ? owner->m_hWnd : nullptr, text, "Veldra", MB_OK | MB_ICONEXCLAMATION);
}

ValueEditorKind ValueEditorKindOf(const CValue& value, bool modeless)
{
    const uint32_t type = value.Type();
    if (type == VT_MATRIX && value.MatrixPtr() && value.Matrix().Rows() > 0 && value.Matrix().Cols() > 0)
        return ValueEditorKind::Matrix;
    if (type == VT_STRUCT) return ValueEditorKind::Struct;
    if (value.IsBinary() && (type == VT_STRING || type == VT_MATRIX)) {
        if (!modeless || !ValueBytes(value).empty()) return ValueEditorKind::Binary;
    }
    return ValueEditorKind::Scalar;
}

void EndValueEditor(CDialog& editor, IValueEditHost* host, int result)
{
    if (host) editor.DestroyWindow();
    else editor.EndDialog(result);
}

bool ReadEditorName(CDialog& editor, std::string& name, std::string* outName)
{
    name = editor.GetDlgItemText(IDC_VE_NAME);
    if (outName && !name.empty() && !IsValidNameStart(name)) {
        ShowValueEditorMessage(&editor, "Please enter valid name");
        ::SetFocus(::GetDlgItem(editor.m_hWnd, IDC_VE_NAME));
        return false;
    }
    if (outName) *outName = name;
    return true;
}
