#pragma once
// Changing the system colours: the table is gdi's, the windows are told.
#include "platform/gdi/sys_colors.h"

#define WM_SYSCOLORCHANGE 0x0015u

// Overrides entries; every top-level window gets WM_SYSCOLORCHANGE.
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors);
