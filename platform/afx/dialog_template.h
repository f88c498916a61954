#pragma once
// Dialog templates as C++ tables, in dialog units. A dialog unit is a quarter
// of the UI font's average character width across and an eighth of its
// height down (DejaVu Sans 9 pt at 96 dpi), so layouts are reproducible.
#include <cstddef>

#include "platform/types.h"

#define DS_MODALFRAME 0x80u
#define DS_SETFONT 0x40u
#define DS_CENTER 0x0800u
#define DS_CONTROL 0x0400u

struct CDialogItemTemplate {
    const char* className;   // "Button", "Edit", "Static", ... (any registered class)
    const char* text;
    UINT id;
    DWORD style;             // WS_CHILD and WS_VISIBLE are added
    short x, y, cx, cy;
    DWORD exStyle;
};

struct CDialogTemplate {
    DWORD style;
    DWORD exStyle;
    const char* caption;
    short x, y, cx, cy;
    const CDialogItemTemplate* items;
    size_t count;
};

// The pixel size of 4 x 8 dialog units (average character width, height).
SIZE AfxDialogBaseUnits();
// Dialog units to pixels (MapDialogRect).
void AfxMapDialogRect(RECT* r);
