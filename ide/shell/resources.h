#pragma once
// The IDE's resources: menus 128 (no document), 129 (program documents) and
// 143 (the editor's context menu), accelerators, the string table, toolbars
// 128 and 130, the About dialog 250 and the bitmaps 301/306, 302/305, 304.
#include <cstddef>

#include "platform/afx/control_bar.h"
#include "platform/afx/module_state.h"
#include "platform/afx/resources.h"

enum : UINT {
    IDR_MAINFRAME = 128,
    IDR_VDXTYPE = 129,
    IDR_CALCBAR = 130,
    IDR_EDITOR_MENU = 143,
    IDD_ABOUTBOX = 250,
    IDB_MAINBAR = 301,
    IDB_CALCBAR = 302,
    IDB_ABOUT = 304,
    IDB_CALCBAR_DISABLED = 305,
    IDB_MAINBAR_DISABLED = 306,
    IDS_OLE_INIT_FAILED = 100,

    // About dialog controls.
    IDC_ABOUT_PICTURE = 1001,
    IDC_ABOUT_NAME = 1002,
    IDC_ABOUT_SITE = 1003,
    IDC_ABOUT_UPDATES = 1004,

    // The editor's context menu and Edit menu.
    ID_TOGGLE_BREAKPOINT = 32801,
    ID_REMOVE_ALL_BREAKPOINTS = 32802,
    ID_EDIT_COMMENT = 32803,
    ID_EDIT_UNCOMMENT = 32804,
    ID_EDIT_PROPERTIES = 32805,

    // The main frame's View and Tools commands.
    ID_VIEW_CALCBAR = 32851,
    ID_VIEW_OUTPUT = 32852,
    ID_VIEW_EDITOR = 32856,
    ID_VIEW_OUTPUTBAR = 32857,
    ID_VIEW_VARIABLES = 32861,
    ID_VIEW_FUNCTIONS = 32862,
    ID_VIEW_WATCHER = 32863,
    ID_TOOLS_SETTINGS = 33111,
    ID_TOOLS_AUTOCALC = 33112,

    // The program document's run and debug commands.
    ID_PROGRAM_CALCULATE = 32901,
    ID_PROGRAM_PAUSE = 32902,
    ID_PROGRAM_STOP = 32903,
    ID_DEBUG_START = 32921,
    ID_DEBUG_STEP = 32922,
    ID_DEBUG_RUN_TO_CURSOR = 32923,
    ID_DEBUG_STEP_INTO = 32924,
    ID_DEBUG_STOP = 32925,
    ID_DEBUG_BREAK = 32926,
    ID_TOOLS_VARIABLES = 32853,
    ID_TOOLS_FUNCTIONS = 32854,
    ID_TOOLS_WATCHER = 32855,
    ID_INSERT_STATEMENT = 33501,
    ID_INSERT_FUNCTION = 33502,
    ID_INSERT_OPERATION = 33503,
    ID_INSERT_MATRIX = 33511,
    ID_INSERT_STRUCTURE = 33512,
    ID_INSERT_BINARY = 33513,
    ID_INSERT_NEW_FUNCTION = 33521,

    // Help.
    ID_HELP_CONTENTS = 35501,
    ID_HELP_INDEX_ALT = 35502,
    ID_HELP_WEBPAGE = 35503,
    ID_HELP_INDEX = 57666,
    ID_CONTEXT_HELP = 57669,
    ID_HELP_F1 = 57670,

    // The status bar's cursor pane.
    ID_INDICATOR_CURSOR = 59142,
};

// The status bar panes in order: message, cursor, CAP, NUM, SCRL.
extern const UINT kVeldraStatusPanes[5];
// Toolbars 128 and 130: 24 x 24 buttons, 0 for a separator.
AfxToolbarResource VeldraMainToolbar();
AfxToolbarResource VeldraCalcToolbar();

// The program's module state with every table and bitmap registered.
CModuleState* VeldraModuleState();
