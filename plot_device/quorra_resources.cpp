// The plot device's resource tables.
#include "plot_device/quorra_resources.h"

#include "platform/afx/afx_ids.h"
#include "platform/afx/dialog_template.h"
#include "platform/controls/controls.h"

namespace {

const MenuTableItem kEditMenu[] = {
    {MF_POPUP, 0, "&Edit"},
    {MF_STRING | MF_END, ID_EDIT_COPY, "&Copy\tCtrl+C"},
};

const MenuTableItem kPlotAndToolsMenus[] = {
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

// A command whose prompt is its short text.
#define QUORRA_PROMPT(id, text) DEVICE_PROMPT(id, text, text)

const AfxStringEntry kStrings[] = {
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
    DEVICE_PROMPT(ID_ZOOM_FIT, "Zoom plane(s) to fit size(s)", "Zoom To Fit"),
    DEVICE_PROMPT(ID_ZOOM_IN, "Zoom in plane(s)", "Zoom In"),
    DEVICE_PROMPT(ID_ZOOM_OUT, "Zoom out plane(s)", "Zoom Out"),
    DEVICE_PROMPT(ID_ZOOM_IN_X, "Zoom in plane(s) of X-axis", "Zoom In of X-axis"),
    DEVICE_PROMPT(ID_ZOOM_OUT_X, "Zoom out plane(s) of X-axis", "Zoom Out of X-axis"),
    DEVICE_PROMPT(ID_ZOOM_IN_Y, "Zoom in plane(s) of Y-axis", "Zoom In of Y-axis"),
    DEVICE_PROMPT(ID_ZOOM_OUT_Y, "Zoom out plane(s) of Y-axis", "Zoom Out of Y-axis"),
    DEVICE_PROMPT(ID_OPEN_RIGHT, "Open right area of a selected plane(s)", "Open Right"),
    DEVICE_PROMPT(ID_OPEN_LEFT, "Open left area of a selected plane(s)", "Open Left"),
    DEVICE_PROMPT(ID_OPEN_TOP, "Open top area of a selected plane(s)", "Open Top"),
    DEVICE_PROMPT(ID_OPEN_BOTTOM, "Open bottom area of a selected plane(s)", "Open Bottom"),
    QUORRA_PROMPT(ID_PLOT_PROPERTIES, "Properties"),
    QUORRA_PROMPT(ID_TOOLS_AUTOPLANE, "Autoplane"),
    DEVICE_PROMPT(ID_POINTER_ADD, "Add pointer to the plane", "Add Pointer"),
    DEVICE_PROMPT(ID_POINTERS_CLEAR, "Clear all pointers from a selected planes", "Clear All Pointers"),
    QUORRA_PROMPT(ID_APP_ABOUT, "About"),
    DEVICE_PROMPT(ID_EDIT_POINTER_DELETE, "Delete the selected pointer", "Delete Pointer"),
};

const DeviceAboutBox kAbout("Quorra", "About Quorra", "&About Quorra...");
// String 128: the document template's names.
const char* const kDocument = "Quorra\nGraph\nQuorra\nQuorra Files (*.qra)\n.qra\nQuorra.Document\nQuorra Document";

// The points dialog.
const CDialogItemTemplate kPointsItems[] = {
    {"Static", "All Points", (UINT)-1, 0, 7, 7, 120, 8, 0},
    {"ListBox", "", IDC_ALL_POINTS, LBS_USETABSTOPS | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     7, 17, 120, 150, 0},
    {"Static", "Points at screen", (UINT)-1, 0, 134, 7, 120, 8, 0},
    {"ListBox", "", IDC_SCREEN_POINTS, LBS_USETABSTOPS | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     134, 17, 120, 150, 0},
    {"Button", "OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 150, 173, 50, 14, 0},
    {"Button", "Cancel", IDCANCEL, WS_TABSTOP, 204, 173, 50, 14, 0},
};
const CDialogTemplate kPoints = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Points", 0, 0, 261, 194,
                                 kPointsItems, sizeof kPointsItems / sizeof kPointsItems[0]};

#define PAGE_CHECK(text, id, x, y, cx) {"Button", text, id, BS_AUTOCHECKBOX | WS_TABSTOP, x, y, cx, 10, 0}
#define PAGE_EDIT(id, x, y, cx) {"Edit", "", id, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, x, y, cx, 12, 0}
#define PAGE_SPIN(id, x, y) {UPDOWN_CLASS, "", id, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, x, y, 10, 12, 0}
#define PAGE_LABEL(text, x, y, cx) {"Static", text, (UINT)-1, 0, x, y, cx, 8, 0}
#define PAGE_RADIO(text, id, x, y, cx, first) \
    {"Button", text, id, BS_AUTORADIOBUTTON | ((first) ? WS_GROUP | WS_TABSTOP : 0u), x, y, cx, 10, 0}
// The drop-down list scrolls by itself; a scroll style here would give the
// closed field a scroll bar.
#define PAGE_COMBO(id, x, y, extra) \
    {"ComboBox", "", id, CBS_DROPDOWNLIST | WS_TABSTOP | (extra), x, y, 73, 100, 0}

// "Axes": the X and Y groups hold the same controls.
#define AXIS_GROUP(name, gx, log, grid, ticks, autotick, count, spin, autoscale, lo, hi)                  \
    {"Button", name, (UINT)-1, BS_GROUPBOX | WS_GROUP, gx, 7, 115, 124, 0},                                 \
        PAGE_CHECK("Logarithmic", log, gx + 7, 18, 60), PAGE_CHECK("Grid", grid, gx + 7, 30, 60),          \
        PAGE_CHECK("Ticks", ticks, gx + 7, 42, 60), PAGE_CHECK("Autotick", autotick, gx + 7, 54, 60),      \
        PAGE_LABEL("Div count", gx + 7, 68, 40), PAGE_EDIT(count, gx + 50, 66, 36), PAGE_SPIN(spin, gx + 86, 66), \
        PAGE_CHECK("Autoscale", autoscale, gx + 7, 82, 60), PAGE_LABEL("Limits:", gx + 7, 94, 40),          \
        PAGE_LABEL("min:", gx + 7, 106, 20), PAGE_EDIT(lo, gx + 30, 104, 78),                               \
        PAGE_LABEL("max:", gx + 7, 120, 20), PAGE_EDIT(hi, gx + 30, 118, 78)
const CDialogItemTemplate kAxesItems[] = {
    AXIS_GROUP("X", 7, IDC_X_LOG, IDC_X_GRID, IDC_X_TICKS, IDC_X_AUTOTICK, IDC_X_DIVCOUNT, IDC_X_DIVSPIN,
               IDC_X_AUTOSCALE, IDC_X_MIN, IDC_X_MAX),
    AXIS_GROUP("Y", 128, IDC_Y_LOG, IDC_Y_GRID, IDC_Y_TICKS, IDC_Y_AUTOTICK, IDC_Y_DIVCOUNT, IDC_Y_DIVSPIN,
               IDC_Y_AUTOSCALE, IDC_Y_MIN, IDC_Y_MAX),
    {"Button", "Equal", IDC_EQUAL, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 7, 148, 40, 10, 0},
    {"Button", "Axes Style", (UINT)-1, BS_GROUPBOX | WS_GROUP, 56, 136, 187, 28, 0},
    PAGE_RADIO("None", IDC_STYLE_NONE, 63, 148, 40, true),
    PAGE_RADIO("Free", IDC_STYLE_FREE, 107, 148, 40, false),
    PAGE_RADIO("Boxed", IDC_STYLE_BOXED, 151, 148, 40, false),
    PAGE_RADIO("Polar", IDC_STYLE_POLAR, 195, 148, 40, false),
};
const CDialogTemplate kAxes = {WS_CHILD | WS_CAPTION | DS_CONTROL, 0, "Axes", 0, 0, 250, 170,
                               kAxesItems, sizeof kAxesItems / sizeof kAxesItems[0]};

const CDialogItemTemplate kObjectsItems[] = {
    PAGE_LABEL("Objects:", 7, 7, 90),
    {"ListBox", "", IDC_OBJECT_LIST,
     LBS_NOTIFY | LBS_CHECKLIST | LBS_HASSTRINGS | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     7, 17, 90, 146, 0},
    PAGE_LABEL("Legend:", 104, 7, 60),
    {"Edit", "", IDC_LEGEND, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 104, 17, 139, 12, 0},
    PAGE_LABEL("Object type:", 104, 36, 62),
    PAGE_COMBO(IDC_OBJECT_TYPE, 170, 34, 0u),
    PAGE_LABEL("Line style:", 104, 52, 62),
    PAGE_COMBO(IDC_LINE_STYLE, 170, 50, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_LABEL("Object color", 104, 68, 62),
    PAGE_COMBO(IDC_OBJECT_COLOR, 170, 66, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_LABEL("Point style:", 104, 84, 62),
    PAGE_COMBO(IDC_POINT_STYLE, 170, 82, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_LABEL("Line width:", 104, 100, 62),
    PAGE_COMBO(IDC_LINE_WIDTH, 170, 98, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_LABEL("Fill style:", 104, 116, 62),
    PAGE_COMBO(IDC_FILL_STYLE, 170, 114, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_LABEL("Fill color:", 104, 132, 62),
    PAGE_COMBO(IDC_FILL_COLOR, 170, 130, CBS_OWNERDRAWFIXED | CBS_HASSTRINGS),
    PAGE_CHECK("Show point coordinates", IDC_SHOW_COORDS, 104, 150, 139),
};
const CDialogTemplate kObjects = {WS_CHILD | WS_CAPTION | DS_CONTROL, 0, "Objects", 0, 0, 250, 170,
                                  kObjectsItems, sizeof kObjectsItems / sizeof kObjectsItems[0]};

const CDialogItemTemplate kLabelsItems[] = {
    {"Button", "Title", (UINT)-1, BS_GROUPBOX | WS_GROUP, 7, 7, 236, 44, 0},
    PAGE_EDIT(IDC_TITLE, 14, 18, 170),
    {"Button", "Font...", IDC_TITLE_FONT, WS_TABSTOP, 190, 17, 46, 14, 0},
    PAGE_RADIO("Hide", IDC_TITLE_HIDE, 14, 36, 40, true),
    PAGE_RADIO("Top", IDC_TITLE_TOP, 60, 36, 40, false),
    PAGE_RADIO("Bottom", IDC_TITLE_BOTTOM, 106, 36, 40, false),
    {"Button", "Axes labels", (UINT)-1, BS_GROUPBOX | WS_GROUP, 7, 55, 236, 62, 0},
    {"Button", "X", IDC_XLABEL_ON, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 14, 68, 22, 10, 0},
    PAGE_EDIT(IDC_XLABEL, 40, 66, 140),
    PAGE_CHECK("Y", IDC_YLABEL_ON, 14, 84, 22),
    PAGE_EDIT(IDC_YLABEL, 40, 82, 140),
    {"Button", "Font...", IDC_AXIS_FONT, WS_TABSTOP, 190, 66, 46, 14, 0},
    PAGE_LABEL("Precision:", 14, 100, 40),
    {"Edit", "", IDC_PRECISION, ES_NUMBER | WS_BORDER | WS_TABSTOP, 56, 98, 30, 12, 0},
    PAGE_SPIN(IDC_PRECISION_SPIN, 86, 98),
    {"Button", "Legend", (UINT)-1, BS_GROUPBOX | WS_GROUP, 7, 121, 236, 44, 0},
    PAGE_RADIO("Hide", IDC_LEGEND_HIDE, 14, 133, 40, true),
    PAGE_RADIO("Bottom", IDC_LEGEND_BOTTOM, 58, 133, 40, false),
    PAGE_RADIO("Top", IDC_LEGEND_TOP, 102, 133, 40, false),
    PAGE_RADIO("Left", IDC_LEGEND_LEFT, 146, 133, 40, false),
    PAGE_RADIO("Right", IDC_LEGEND_RIGHT, 190, 133, 40, false),
    {"Button", "Font...", IDC_LEGEND_FONT, WS_GROUP | WS_TABSTOP, 14, 147, 46, 14, 0},
};
const CDialogTemplate kLabels = {WS_CHILD | WS_CAPTION | DS_CONTROL, 0, "Labels", 0, 0, 250, 170,
                                 kLabelsItems, sizeof kLabelsItems / sizeof kLabelsItems[0]};

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
    RegisterDeviceResources(table, {.about = &kAbout, .documentString = kDocument, .editMenu = kEditMenu,
                                    .ownMenus = kPlotAndToolsMenus, .accelerators = kAccelerators, .strings = kStrings,
                                    .toolbar = QuorraToolbar()});
    table.AddMenu(IDR_POINTER_MENU, kPointerMenu, sizeof kPointerMenu / sizeof kPointerMenu[0]);
    table.AddDialog(IDD_POINTS, &kPoints);
    table.AddDialog(IDD_GRAPHSET_AXES, &kAxes);
    table.AddDialog(IDD_GRAPHSET_OBJECTS, &kObjects);
    table.AddDialog(IDD_GRAPHSET_LABELS, &kLabels);
}
