#pragma once
// The plot device's resources (menus, accelerators, strings, the About
// dialog, toolbar 128 and the status-bar panes), registered in its module.
#include <cstddef>

#include "platform/afx/afx.h"

enum : UINT {
    IDR_MAINFRAME = 128,
    IDR_POINTER_MENU = 159,
    IDD_ABOUTBOX = 100,
    IDC_ABOUT_NAME = 1000,
    IDC_ABOUT_VERSION = 1001,

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

    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_SEPARATOR = 0,
    ID_INDICATOR_CAPS = 0xE041,
    ID_INDICATOR_NUM = 0xE042,
    ID_INDICATOR_SCRL = 0xE043,
};

// The status-bar panes in order: message, read-out, CAP, NUM, SCRL.
extern const UINT kQuorraStatusPanes[5];
// Toolbar 128: 19 x 19 buttons, 0 for a separator.
AfxToolbarResource QuorraToolbar();

// Registers every table in the module's resource table.
void RegisterQuorraResources(CResourceTable& table);
