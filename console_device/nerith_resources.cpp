// The console device's resource tables.
#include "console_device/nerith_resources.h"

#include "platform/afx/afx_ids.h"
#include "platform/afx/dialog_template.h"
#include "platform/controls/controls.h"

namespace {

const MenuTableItem kEditMenu[] = {
    {MF_POPUP, 0, "&Edit"},
    {MF_STRING, ID_EDIT_UNDO, "&Undo\tCtrl+Z"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_CUT, "Cu&t\tCtrl+X"},
    {MF_STRING, ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {MF_STRING, ID_EDIT_PASTE, "&Paste\tCtrl+V"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_SELECT_ALL, "Select A&ll\tCtrl+A"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_EDIT_FIND, "&Find...\tCtrl+F"},
    {MF_STRING | MF_END, ID_EDIT_REPEAT, "F&ind Next\tF3"},
};

const MenuTableItem kToolsMenu[] = {
    {MF_POPUP, 0, "&Tools"},
    {MF_STRING | MF_END, ID_TOOLS_SETTINGS, "&Settings..."},
};

// The Escape entry (command 32768, which has no handler) is left out.
const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'A', (WORD)ID_EDIT_SELECT_ALL},
    {FVIRTKEY | FCONTROL, 'C', (WORD)ID_EDIT_COPY},
    {FVIRTKEY | FCONTROL, 'F', (WORD)ID_EDIT_FIND},
    {FVIRTKEY | FCONTROL, 'N', (WORD)ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', (WORD)ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'P', (WORD)ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'S', (WORD)ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'V', (WORD)ID_EDIT_PASTE},
    {FVIRTKEY | FCONTROL, 'X', (WORD)ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'Z', (WORD)ID_EDIT_UNDO},
    {FVIRTKEY | FALT, VK_BACK, (WORD)ID_EDIT_UNDO},
    {FVIRTKEY | FSHIFT, VK_DELETE, (WORD)ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, VK_INSERT, (WORD)ID_EDIT_COPY},
    {FVIRTKEY | FSHIFT, VK_INSERT, (WORD)ID_EDIT_PASTE},
    {FVIRTKEY, VK_F3, (WORD)ID_EDIT_REPEAT},
    {FVIRTKEY, VK_F6, (WORD)ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, (WORD)ID_PREV_PANE},
};

const AfxStringEntry kStrings[] = {
    {IDP_OLE_INIT_FAILED, "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    DEVICE_PROMPT(ID_FILE_NEW, "Create a new document", "New"),
    DEVICE_PROMPT(ID_FILE_OPEN, "Open an existing document", "Open"),
    DEVICE_PROMPT(ID_FILE_SAVE, "Save the active document", "Save"),
    DEVICE_PROMPT(ID_FILE_SAVE_AS, "Save the active document with a new name", "Save As"),
    DEVICE_PROMPT(ID_FILE_PRINT, "Print the active document", "Print"),
    DEVICE_PROMPT(ID_FILE_PRINT_PREVIEW, "Display full pages", "Print Preview"),
    DEVICE_PROMPT(ID_FILE_PRINT_SETUP, "Change the printer and printing options", "Print Setup"),
    DEVICE_PROMPT(ID_FILE_MRU_FILE1, "Open this document", "Open"),
    DEVICE_PROMPT(ID_APP_EXIT, "Quit the application", "Exit"),
    DEVICE_PROMPT(ID_EDIT_UNDO, "Undo the last action", "Undo"),
    DEVICE_PROMPT(ID_EDIT_CUT, "Cut the selection and put it on the Clipboard", "Cut"),
    DEVICE_PROMPT(ID_EDIT_COPY, "Copy the selection and put it on the Clipboard", "Copy"),
    DEVICE_PROMPT(ID_EDIT_PASTE, "Insert Clipboard contents", "Paste"),
    DEVICE_PROMPT(ID_EDIT_SELECT_ALL, "Select the entire document", "Select All"),
    DEVICE_PROMPT(ID_EDIT_FIND, "Find the specified text", "Find"),
    DEVICE_PROMPT(ID_EDIT_REPEAT, "Repeat the last action", "Repeat"),
    DEVICE_PROMPT(ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle ToolBar"),
    DEVICE_PROMPT(ID_VIEW_STATUS_BAR, "Show or hide the status bar", "Toggle StatusBar"),
    DEVICE_PROMPT(ID_TOOLS_SETTINGS, "Program settings", "Settings"),
    DEVICE_PROMPT(ID_APP_ABOUT, "Display program information", "About"),
};

const DeviceAboutBox kAbout("Nerith", "About Nerith", "&About Nerith...");
// String 128: the document template's names.
const char* const kDocument = "Nerith\n\nUlmet\nUlmet Files (*.vxc)\n.vxc\nNerith.Document\nUlmet Document";

// The General page. Control 1013 becomes the owner-drawn font combo. The
// labels of the right column are wide enough for "Col&umn limit:" on one line.
const CDialogItemTemplate kGeneralItems[] = {
    {"Button", "&Out stamp", IDC_OUT_STAMP, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 90, 10, 0},
    {"Button", "&Time label stamp", IDC_TIME_STAMP, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 24, 90, 10, 0},
    {"Static", "&Stream limit [Kb]:", (UINT)-1, 0, 110, 10, 70, 8, 0},
    {"Edit", "", IDC_STREAM_LIMIT, ES_NUMBER | WS_BORDER | WS_TABSTOP, 180, 8, 50, 12, 0},
    {"Button", "Numeric out format", (UINT)-1, BS_GROUPBOX, 7, 40, 226, 74, 0},
    {"Static", "&Output type:", (UINT)-1, 0, 14, 54, 60, 8, 0},
    {"ComboBox", "", IDC_OUTPUT_TYPE, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 76, 52, 60, 60, 0},
    {"Static", "&Numeric type:", (UINT)-1, 0, 14, 70, 60, 8, 0},
    {"ComboBox", "", IDC_NUMERIC_TYPE, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 76, 68, 60, 60, 0},
    {"Static", "P&recision:", (UINT)-1, 0, 140, 54, 46, 8, 0},
    {"Edit", "", IDC_PRECISION, ES_NUMBER | WS_BORDER | WS_TABSTOP, 188, 52, 28, 12, 0},
    {UPDOWN_CLASS, "", IDC_PRECISION_SPIN,
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 216, 52, 10, 12, 0},
    {"Static", "&Width:", (UINT)-1, 0, 140, 70, 46, 8, 0},
    {"Edit", "", IDC_WIDTH, ES_NUMBER | WS_BORDER | WS_TABSTOP, 188, 68, 28, 12, 0},
    {UPDOWN_CLASS, "", IDC_WIDTH_SPIN, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS,
     216, 68, 10, 12, 0},
    {"Static", "Col&umn limit:", (UINT)-1, 0, 140, 86, 46, 8, 0},
    {"Edit", "", IDC_COLUMN_LIMIT, ES_NUMBER | WS_BORDER | WS_TABSTOP, 188, 84, 28, 12, 0},
    {UPDOWN_CLASS, "", IDC_COLUMN_LIMIT_SPIN,
     UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 216, 84, 10, 12, 0},
    {"Button", "Font (default)", (UINT)-1, BS_GROUPBOX, 7, 120, 226, 36, 0},
    {"Static", "Font:", (UINT)-1, 0, 14, 136, 24, 8, 0},
    {"ComboBox", "", IDC_FONT_FACE, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP,
     40, 134, 110, 100, 0},
    {"Static", "Size:", (UINT)-1, 0, 158, 136, 20, 8, 0},
    {"ComboBox", "", IDC_FONT_SIZE, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 180, 134, 40, 100, 0},
};
const CDialogTemplate kGeneral = {WS_CHILD | WS_CAPTION | DS_CONTROL, 0, "General", 0, 0, 240, 164,
                                  kGeneralItems, sizeof kGeneralItems / sizeof kGeneralItems[0]};

}  // namespace

const UINT kNerithStatusPanes[4] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

AfxToolbarResource NerithToolbar()
{
    return AfxToolbarResource{16, 15, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT, 0,
                                       ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, 0, ID_APP_ABOUT}};
}

void RegisterNerithResources(CResourceTable& table)
{
    RegisterDeviceResources(table, {.about = &kAbout, .documentString = kDocument, .editMenu = kEditMenu,
                                    .ownMenus = kToolsMenu, .accelerators = kAccelerators, .strings = kStrings,
                                    .toolbar = NerithToolbar()});
    table.AddDialog(IDD_SETS_GENERAL, &kGeneral);
}
