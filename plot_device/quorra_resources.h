#pragma once
// The plot device's resources (menus, accelerators, strings, the About
// dialog, toolbar 128 and the status-bar panes), registered in its module.
#include <cstddef>

#include "devices/framework/device_resources.h"

enum : UINT {
    IDR_POINTER_MENU = 159,

    // The points dialog and the three pages of the graph settings sheet; ids
    // repeat across the pages.
    IDD_POINTS = 192,
    IDD_GRAPHSET_AXES = 193,
    IDD_GRAPHSET_OBJECTS = 194,
    IDD_GRAPHSET_LABELS = 195,
    IDC_ALL_POINTS = 1083,
    IDC_SCREEN_POINTS = 1084,
    // "Axes"
    IDC_X_LOG = 1100,
    IDC_X_GRID = 1101,
    IDC_X_TICKS = 1102,
    IDC_X_AUTOTICK = 1103,
    IDC_Y_LOG = 1104,
    IDC_Y_GRID = 1105,
    IDC_Y_TICKS = 1106,
    IDC_Y_AUTOTICK = 1107,
    IDC_X_DIVCOUNT = 1122,
    IDC_X_DIVSPIN = 1111,
    IDC_Y_DIVCOUNT = 1125,
    IDC_Y_DIVSPIN = 1113,
    IDC_X_AUTOSCALE = 1079,
    IDC_Y_AUTOSCALE = 1080,
    IDC_X_MIN = 1123,
    IDC_X_MAX = 1124,
    IDC_Y_MIN = 1126,
    IDC_Y_MAX = 1127,
    IDC_EQUAL = 1081,
    IDC_STYLE_NONE = 1150,
    IDC_STYLE_FREE = 1151,
    IDC_STYLE_BOXED = 1152,
    IDC_STYLE_POLAR = 1153,
    // "Objects"
    IDC_OBJECT_LIST = 1083,
    IDC_LEGEND = 1122,
    IDC_OBJECT_TYPE = 1050,
    IDC_LINE_STYLE = 1051,
    IDC_OBJECT_COLOR = 1052,
    IDC_POINT_STYLE = 1053,
    IDC_LINE_WIDTH = 1054,
    IDC_FILL_STYLE = 1055,
    IDC_FILL_COLOR = 1056,
    IDC_SHOW_COORDS = 1100,
    // "Labels"
    IDC_TITLE = 1122,
    IDC_TITLE_HIDE = 1150,
    IDC_TITLE_TOP = 1151,
    IDC_TITLE_BOTTOM = 1152,
    IDC_TITLE_FONT = 1060,
    IDC_XLABEL_ON = 1100,
    IDC_YLABEL_ON = 1101,
    IDC_XLABEL = 1123,
    IDC_YLABEL = 1124,
    IDC_PRECISION = 1125,
    IDC_PRECISION_SPIN = 1111,
    IDC_AXIS_FONT = 1061,
    IDC_LEGEND_HIDE = 1153,
    IDC_LEGEND_BOTTOM = 1154,
    IDC_LEGEND_TOP = 1155,
    IDC_LEGEND_LEFT = 1156,
    IDC_LEGEND_RIGHT = 1087,
    IDC_LEGEND_FONT = 1075,

    ID_EDIT_POINTER_DELETE = 32771,
    ID_MODE_SELECT = 32781,
    ID_MODE_SCALE = 32782,
    ID_MODE_EDIT = 32783,
    ID_PLOT_PROPERTIES = 32784,
    ID_ZOOM_IN = 32785,
    ID_ZOOM_OUT = 32786,
    ID_ZOOM_FIT = 32787,
    ID_ZOOM_IN_X = 32801,
    ID_ZOOM_IN_Y = 32802,
    ID_ZOOM_OUT_X = 32803,
    ID_ZOOM_OUT_Y = 32804,
    ID_OPEN_RIGHT = 32811,
    ID_OPEN_LEFT = 32812,
    ID_OPEN_TOP = 32813,
    ID_OPEN_BOTTOM = 32814,
    ID_POINTER_ADD = 32842,
    ID_POINTERS_CLEAR = 32845,
    ID_TOOLS_AUTOPLANE = 32861,
};

// The status-bar panes in order: message, read-out, CAP, NUM, SCRL.
extern const UINT kQuorraStatusPanes[5];
// Toolbar 128: 19 x 19 buttons, 0 for a separator.
AfxToolbarResource QuorraToolbar();

// Registers every table in the module's resource table.
void RegisterQuorraResources(CResourceTable& table);
