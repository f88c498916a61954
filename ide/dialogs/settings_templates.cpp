// The settings sheet's page templates (dialog units).
#include "ide/dialogs/settings_sheet.h"

#include "ide/dialogs/settings_ids.h"
#include "platform/controls/controls.h"

namespace {

const DWORD kPage = WS_CHILD | WS_CAPTION | DS_CONTROL;
const DWORD kEditStyle = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
const DWORD kSpin = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
const DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD kList = CBS_DROPDOWNLIST | WS_TABSTOP;
const DWORD kFaces = CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS | CBS_SORT | WS_TABSTOP;
const DWORD kColors = CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_TABSTOP;
const DWORD kSizes = CBS_DROPDOWN | WS_TABSTOP;
const UINT kNone = (UINT)-1;

const CDialogItemTemplate kGeneralItems[] = {
    {"Button", "&Auto open", IDC_SETS_CHECK1, kCheck, 7, 7, 80, 10, 0},
    {"Button", "&Time label", IDC_SETS_CHECK2, kCheck, 7, 20, 80, 10, 0},
    {"Button", "Use as &console", IDC_SETS_CHECK3, kCheck, 7, 33, 80, 10, 0},
    {"Static", "Numeric &precision:", kNone, 0, 100, 8, 80, 8, 0},
    {"Edit", "", IDC_SETS_EDIT1, kEditStyle | ES_NUMBER, 184, 6, 36, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN1, kSpin, 220, 6, 10, 12, 0},
    {"Button", "Output window", kNone, BS_GROUPBOX, 7, 48, 233, 84, 0},
    {"Static", "&Stream limit [Kb]:", kNone, 0, 14, 62, 70, 8, 0},
    {"Edit", "", IDC_SETS_EDIT2, kEditStyle | ES_NUMBER, 86, 60, 44, 12, 0},
    {"Static", "&Output style:", kNone, 0, 14, 78, 70, 8, 0},
    {"ComboBox", "", IDC_SETS_COMBO1, kList, 86, 76, 60, 60, 0},
    {"Static", "&Numeric style:", kNone, 0, 14, 94, 70, 8, 0},
    {"ComboBox", "", IDC_SETS_COMBO2, kList, 86, 92, 60, 60, 0},
    {"Static", "P&recision:", kNone, 0, 146, 62, 52, 8, 0},
    {"Edit", "", IDC_SETS_EDIT3, kEditStyle | ES_NUMBER, 200, 60, 24, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN2, kSpin, 224, 60, 10, 12, 0},
    {"Static", "&Width:", kNone, 0, 146, 78, 52, 8, 0},
    {"Edit", "", IDC_SETS_EDIT4, kEditStyle | ES_NUMBER, 200, 76, 24, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN3, kSpin, 224, 76, 10, 12, 0},
    {"Static", "Col&umn limit:", kNone, 0, 146, 94, 52, 8, 0},
    {"Edit", "", IDC_SETS_EDIT5, kEditStyle | ES_NUMBER, 200, 92, 24, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN4, kSpin, 224, 92, 10, 12, 0},
    {"Static", "Font:", kNone, 0, 14, 112, 30, 8, 0},
    {"ComboBox", "", IDC_SETS_FACE3, kFaces, 46, 110, 120, 100, 0},
    {"ComboBox", "", IDC_SETS_SIZE3, kSizes, 170, 110, 36, 100, 0},
    {"Static", "&Variables font:", kNone, 0, 7, 142, 60, 8, 0},
    {"ComboBox", "", IDC_SETS_FACE1, kFaces, 68, 140, 120, 100, 0},
    {"ComboBox", "", IDC_SETS_SIZE1, kSizes, 192, 140, 36, 100, 0},
    {"Static", "Watc&her font:", kNone, 0, 7, 160, 60, 8, 0},
    {"ComboBox", "", IDC_SETS_FACE2, kFaces, 68, 158, 120, 100, 0},
    {"ComboBox", "", IDC_SETS_SIZE2, kSizes, 192, 158, 36, 100, 0},
};

const CDialogItemTemplate kEditorItems[] = {
    {"Button", "Insert commands as &example", IDC_SETS_CHECK1, kCheck, 7, 7, 150, 10, 0},
    {"Button", "&Multiline structures and matrices", IDC_SETS_CHECK2, kCheck, 7, 20, 150, 10, 0},
    {"Button", "Use a matrices &alignment", IDC_SETS_CHECK3, kCheck, 7, 33, 150, 10, 0},
    {"Button", "Colours", kNone, BS_GROUPBOX, 7, 48, 233, 62, 0},
    {"Static", "&Layer:", kNone, 0, 14, 62, 50, 8, 0},
    {"ComboBox", "", IDC_SETS_LAYER, kList, 70, 60, 90, 80, 0},
    {"Static", "Fore&ground:", kNone, 0, 14, 78, 50, 8, 0},
    {"ComboBox", "", IDC_SETS_FOREGROUND, kColors, 70, 76, 90, 120, 0},
    {"Static", "&Background:", kNone, 0, 14, 94, 50, 8, 0},
    {"ComboBox", "", IDC_SETS_BACKGROUND, kColors, 70, 92, 90, 120, 0},
    {"Static", "&Font:", kNone, 0, 7, 120, 60, 8, 0},
    {"ComboBox", "", IDC_SETS_EDITOR_FACE, kFaces, 70, 118, 120, 100, 0},
    {"Static", "&Size:", kNone, 0, 194, 120, 18, 8, 0},
    {"ComboBox", "", IDC_SETS_EDITOR_SIZE, kSizes, 212, 118, 28, 100, 0},
    {"Static", "&Tooltips Font:", kNone, 0, 7, 138, 60, 8, 0},
    {"ComboBox", "", IDC_SETS_TIP_FACE, kFaces, 70, 136, 120, 100, 0},
    {"ComboBox", "", IDC_SETS_TIP_SIZE, kSizes, 212, 136, 28, 100, 0},
};

const CDialogItemTemplate kModulesItems[] = {
    {"Static", "&Functions library:", kNone, 0, 7, 9, 70, 8, 0},
    {"Edit", "", IDC_SETS_EDIT1, kEditStyle, 80, 7, 110, 12, 0},
    {"Button", "&Browse...", IDC_SETS_BROWSE1, WS_TABSTOP, 194, 6, 46, 14, 0},
    {"Static", "&Modules library:", kNone, 0, 7, 25, 70, 8, 0},
    {"Edit", "", IDC_SETS_EDIT2, kEditStyle, 80, 23, 110, 12, 0},
    {"Button", "B&rowse...", IDC_SETS_BROWSE2, WS_TABSTOP, 194, 22, 46, 14, 0},
    {"Static", "Modules", kNone, 0, 7, 42, 60, 8, 0},
    {WC_TREEVIEW, "", IDC_SETS_TREE,
     WS_BORDER | WS_TABSTOP | WS_VSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 7,
     52, 110, 120, 0},
    {"Static", "Module &name:", kNone, 0, 122, 52, 80, 8, 0},
    {"Edit", "", IDC_SETS_EDIT3, kEditStyle | ES_READONLY, 122, 62, 118, 12, 0},
    {"Static", "&Description:", kNone, 0, 122, 78, 80, 8, 0},
    {"Edit", "", IDC_SETS_EDIT4, WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 122, 88, 118, 40, 0},
    {"Static", "&Filename:", kNone, 0, 122, 132, 80, 8, 0},
    {"Edit", "", IDC_SETS_EDIT5, kEditStyle | ES_READONLY, 122, 142, 118, 12, 0},
    {"Button", "Setting...", IDC_SETS_SETTING, WS_TABSTOP, 190, 158, 50, 14, 0},
};

const CDialogItemTemplate kProgramItems[] = {
    {"Static", "Time of variables update [ms]:", kNone, 0, 7, 9, 120, 8, 0},
    {"Edit", "", IDC_SETS_EDIT1, kEditStyle | ES_NUMBER, 130, 7, 50, 12, 0},
    {"Static", "Function call count:", kNone, 0, 7, 27, 120, 8, 0},
    {"Edit", "", IDC_SETS_EDIT4, kEditStyle | ES_NUMBER, 130, 25, 40, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN1, kSpin, 170, 25, 10, 12, 0},
    {"Static", "", IDC_SETS_CALL_LIMIT, 0, 184, 27, 60, 8, 0},
    {"Static", "Internal &stack size [Mb]:", kNone, 0, 7, 45, 120, 8, 0},
    {"Edit", "", IDC_SETS_EDIT5, kEditStyle, 130, 43, 40, 12, 0},
    {UPDOWN_CLASS, "", IDC_SETS_SPIN2, UDS_ALIGNRIGHT | UDS_ARROWKEYS, 170, 43, 10, 12, 0},
    {"Button", "Enable calling function in watcher", IDC_SETS_WATCHER, kCheck, 7, 63, 200, 10, 0},
    {"Static", "Default priority of program execution:", kNone, 0, 7, 81, 140, 8, 0},
    {"ComboBox", "", IDC_SETS_PRIORITY, kList, 150, 79, 70, 100, 0},
};

#define ITEMS(a) a, sizeof a / sizeof a[0]
const CDialogTemplate kGeneral = {kPage, 0, "Main", 0, 0, 247, 180, ITEMS(kGeneralItems)};
const CDialogTemplate kEditor = {kPage, 0, "Editor", 0, 0, 247, 180, ITEMS(kEditorItems)};
const CDialogTemplate kModules = {kPage, 0, "Modules", 0, 0, 247, 180, ITEMS(kModulesItems)};
const CDialogTemplate kProgram = {kPage, 0, "Program", 0, 0, 247, 180, ITEMS(kProgramItems)};

}  // namespace

const CDialogTemplate* SetsPageTemplate(UINT id)
{
    switch (id) {
    case IDD_SETS_GENERAL: return &kGeneral;
    case IDD_SETS_EDITOR: return &kEditor;
    case IDD_SETS_MODULES: return &kModules;
    case IDD_SETS_PROGRAM: return &kProgram;
    default: return nullptr;
    }
}
