#pragma once
// The console device's resources (menu, accelerators, strings, the About
// dialog, the settings page, toolbar 128 and the status-bar panes),
// registered in its module.
#include "platform/afx/resources.h"

enum : UINT {
    IDR_MAINFRAME = 128,
    IDD_ABOUTBOX = 100,
    IDP_OLE_INIT_FAILED = 100,
    IDD_SETS_GENERAL = 130,
    IDC_ABOUT_NAME = 1000,
    IDC_ABOUT_VERSION = 1001,

    IDC_OUTPUT_TYPE = 1011,
    IDC_NUMERIC_TYPE = 1012,
    IDC_FONT_FACE = 1013,
    IDC_FONT_SIZE = 1014,
    IDC_STREAM_LIMIT = 1022,
    IDC_PRECISION = 1023,
    IDC_WIDTH = 1024,
    IDC_COLUMN_LIMIT = 1025,
    IDC_PRECISION_SPIN = 1072,
    IDC_WIDTH_SPIN = 1073,
    IDC_COLUMN_LIMIT_SPIN = 1074,
    IDC_TIME_STAMP = 1122,
    IDC_OUT_STAMP = 1123,

    ID_TOOLS_SETTINGS = 32771,
    ID_EDIT_REPEAT = 57640,  // Find Next

    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_SEPARATOR = 0,
    ID_INDICATOR_CAPS = 0xE041,
    ID_INDICATOR_NUM = 0xE042,
    ID_INDICATOR_SCRL = 0xE043,
};

// The status-bar panes in order: message, CAP, NUM, SCRL.
extern const UINT kNerithStatusPanes[4];
// Toolbar 128: 16 x 15 buttons, 0 for a separator.
AfxToolbarResource NerithToolbar();

void RegisterNerithResources(CResourceTable& table);
