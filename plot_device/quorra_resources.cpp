// The plot device's resource tables.
#include "plot_device/quorra_resources.h"

namespace {

const MenuTableItem kMainMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_FILE_NEW, "&New\tCtrl+N"},
    {MF_STRING, ID_FILE_OPEN, "&Open...\tCtrl+O"},
    {MF_STRING, ID_FILE_SAVE, "&Save\tCtrl+S"},
    {MF_STRING, ID_FILE_SAVE_AS, "Save &As..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_FILE_PRINT, "&Print...\tCtrl+P"},
    {MF_STRING, ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
    {MF_STRING, ID_FILE_PRINT_SETUP, "P&rint Setup..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_FILE_MRU_FILE1, "Recent File"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_APP_EXIT, "E&xit"},
    {MF_POPUP, 0, "&Edit"},
    {MF_STRING | MF_END, ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {MF_POPUP, 0, "&View"},
    {MF_STRING, ID_VIEW_TOOLBAR, "&Toolbar"},
    {MF_STRING | MF_END, ID_VIEW_STATUS_BAR, "&Status Bar"},
    {MF_POPUP, 0, "&Plot"},
    {MF_STRING, ID_MODE_SELECT, "&Select"},
    {MF_STRING, ID_MODE_EDIT, "&Edit"},
    {MF_STRING, ID_MODE_SCALE, "&Scale"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_ZOOM_IN, "Zoom &In"},
    {MF_STRING, ID_ZOOM_OUT, "Zoom &Out"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_PLOT_PROPERTIES, "&Properties..."},
    {MF_POPUP, 0, "&Tools"},
    {MF_STRING, ID_TOOLS_AUTOPLANE, "&Autoplane"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING, ID_POINTER_ADD, "&Pointer"},
    {MF_STRING | MF_END, ID_POINTERS_CLEAR, "&Clear all Pointers"},
    {MF_POPUP | MF_END, 0, "&Help"},
    {MF_STRING | MF_END, ID_APP_ABOUT, "&About Quorra..."},
};

const MenuTableItem kPointerMenu[] = {
    {MF_POPUP | MF_END, 0, "Pointer"},
    {MF_STRING | MF_END, ID_EDIT_POINTER_DELETE, "&Clear Pointer"},
};

const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'N', (WORD)ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', (WORD)ID_FILE_OPEN},
    {FVIRTKEY | FCONTROL, 'S', (WORD)ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'P', (WORD)ID_FILE_PRINT},
    {FVIRTKEY | FCONTROL, 'C', (WORD)ID_EDIT_COPY},
};

// A command's string is "prompt\ntool tip"; both come from its short text.
#define QUORRA_PROMPT(id, text) {id, text "\n" text}

const AfxStringEntry kStrings[] = {
    {IDR_MAINFRAME, "Quorra\nGraph\nQuorra\nQuorra Files (*.qra)\n.qra\nQuorra.Document\nQuorra Document"},
    {AFX_IDS_APP_TITLE, "Quorra"},
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},
    {ID_INDICATOR_SCRL, "SCRL"},
    QUORRA_PROMPT(ID_FILE_NEW, "New"),
    QUORRA_PROMPT(ID_FILE_OPEN, "Open"),
    QUORRA_PROMPT(ID_FILE_SAVE, "Save"),
    QUORRA_PROMPT(ID_FILE_SAVE_AS, "Save As"),
    QUORRA_PROMPT(ID_FILE_PRINT, "Print"),
    QUORRA_PROMPT(ID_FILE_PRINT_PREVIEW, "Print Preview"),
    QUORRA_PROMPT(ID_FILE_PRINT_SETUP, "Print Setup"),
    QUORRA_PROMPT(ID_FILE_MRU_FILE1, "Open this document"),
    QUORRA_PROMPT(ID_APP_EXIT, "Exit"),
    QUORRA_PROMPT(ID_EDIT_COPY, "Copy"),
    QUORRA_PROMPT(ID_VIEW_TOOLBAR, "Toggle ToolBar"),
    QUORRA_PROMPT(ID_VIEW_STATUS_BAR, "Toggle StatusBar"),
    QUORRA_PROMPT(ID_MODE_SELECT, "Select"),
    QUORRA_PROMPT(ID_MODE_EDIT, "Edit"),
    QUORRA_PROMPT(ID_MODE_SCALE, "Scale"),
    QUORRA_PROMPT(ID_ZOOM_FIT, "Zoom To Fit"),
    QUORRA_PROMPT(ID_ZOOM_IN, "Zoom In"),
    QUORRA_PROMPT(ID_ZOOM_OUT, "Zoom Out"),
    QUORRA_PROMPT(ID_ZOOM_IN_X, "Zoom In of X-axis"),
    QUORRA_PROMPT(ID_ZOOM_OUT_X, "Zoom Out of X-axis"),
    QUORRA_PROMPT(ID_ZOOM_IN_Y, "Zoom In of Y-axis"),
    QUORRA_PROMPT(ID_ZOOM_OUT_Y, "Zoom Out of Y-axis"),
    QUORRA_PROMPT(ID_OPEN_RIGHT, "Open Right"),
    QUORRA_PROMPT(ID_OPEN_LEFT, "Open Left"),
    QUORRA_PROMPT(ID_OPEN_TOP, "Open Top"),
    QUORRA_PROMPT(ID_OPEN_BOTTOM, "Open Bottom"),
    QUORRA_PROMPT(ID_PLOT_PROPERTIES, "Properties"),
    QUORRA_PROMPT(ID_TOOLS_AUTOPLANE, "Autoplane"),
    QUORRA_PROMPT(ID_POINTER_ADD, "Add Pointer"),
    QUORRA_PROMPT(ID_POINTERS_CLEAR, "Clear All Pointers"),
    QUORRA_PROMPT(ID_APP_ABOUT, "About"),
    QUORRA_PROMPT(ID_EDIT_POINTER_DELETE, "Delete Pointer"),
};

const CDialogItemTemplate kAboutItems[] = {
    {"Static", "Quorra", IDC_ABOUT_NAME, 0, 40, 10, 119, 8, 0},
    {"Static", "Version 1.0", IDC_ABOUT_VERSION, 0, 40, 25, 119, 8, 0},
    {"Button", "OK", IDOK, WS_GROUP | WS_TABSTOP, 178, 7, 50, 14, 0},
};
const CDialogTemplate kAbout = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "About Quorra",
                                0, 0, 235, 55, kAboutItems, sizeof kAboutItems / sizeof kAboutItems[0]};

}  // namespace

const UINT kQuorraStatusPanes[5] = {ID_SEPARATOR, ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                    ID_INDICATOR_SCRL};

AfxToolbarResource QuorraToolbar()
{
    // Separators after buttons 4, 5, 8, 15, 19 and 21.
    return AfxToolbarResource{19, 19, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT, 0,
                                       ID_EDIT_COPY, 0,
                                       ID_MODE_SELECT, ID_MODE_EDIT, ID_MODE_SCALE, 0,
                                       ID_ZOOM_FIT, ID_ZOOM_IN, ID_ZOOM_OUT, ID_ZOOM_IN_X, ID_ZOOM_OUT_X,
                                       ID_ZOOM_IN_Y, ID_ZOOM_OUT_Y, 0,
                                       ID_OPEN_RIGHT, ID_OPEN_LEFT, ID_OPEN_TOP, ID_OPEN_BOTTOM, 0,
                                       ID_PLOT_PROPERTIES, ID_TOOLS_AUTOPLANE, 0,
                                       ID_POINTER_ADD}};
}

void RegisterQuorraResources(CResourceTable& table)
{
    table.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
    table.AddMenu(IDR_MAINFRAME, kMainMenu, sizeof kMainMenu / sizeof kMainMenu[0]);
    table.AddMenu(IDR_POINTER_MENU, kPointerMenu, sizeof kPointerMenu / sizeof kPointerMenu[0]);
    table.AddAccelerators(IDR_MAINFRAME, kAccelerators, sizeof kAccelerators / sizeof kAccelerators[0]);
    table.AddDialog(IDD_ABOUTBOX, &kAbout);
    table.AddToolbar(IDR_MAINFRAME, QuorraToolbar());
}
