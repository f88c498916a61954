#pragma once
// The console device's resources (menu, accelerators, strings, the About
// dialog, the settings page, toolbar 128 and the status-bar panes),
// registered in its module.
#include "devices/framework/device_resources.h"

enum : UINT {
    IDP_OLE_INIT_FAILED = 100,
    IDD_SETS_GENERAL = 130,

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
};

// The status-bar panes in order: message, CAP, NUM, SCRL.
extern const UINT kNerithStatusPanes[4];
// Toolbar 128: 16 x 15 buttons, 0 for a separator.
AfxToolbarResource NerithToolbar();

void RegisterNerithResources(CResourceTable& table);
