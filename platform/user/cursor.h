#pragma once
// Cursors and carets. Cursors are the standard shapes (IDC_*) and per-module
// resources registered by name or id. Carets are per thread.
#include <string_view>

#include "platform/types.h"

#define MAKEINTRESOURCE(i) ((const char*)(uintptr_t)(WORD)(i))
#define IS_INTRESOURCE(p) (((uintptr_t)(p) >> 16) == 0)
#define IDC_ARROW MAKEINTRESOURCE(32512)
#define IDC_IBEAM MAKEINTRESOURCE(32513)
#define IDC_WAIT MAKEINTRESOURCE(32514)
#define IDC_CROSS MAKEINTRESOURCE(32515)
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_HAND MAKEINTRESOURCE(32649)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)
#define IDC_HELP MAKEINTRESOURCE(32651)

// Standard shapes with a null instance; otherwise the module's registered
// cursor of that name (case ignored) or id. Null when there is none.
HCURSOR LoadCursor(HINSTANCE instance, const char* name);
// A module's cursor resource: the shape a back end shows, a hot spot.
HCURSOR RegisterCursorResource(HINSTANCE module, const char* name, int hotX, int hotY, const char* shape);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
int ShowCursor(BOOL show);
// What a cursor is: the standard id (0 for resources) or the resource name.
bool DescribeCursor(HCURSOR cursor, int* standardId, const char** name);
BOOL DestroyCursor(HCURSOR cursor);

typedef struct HBITMAP__* HBITMAP;
// Carets: one per thread. bitmap (HBITMAP)1 makes it grey; width 0 is one
// pixel (SM_CXBORDER); created hidden. Hiding nests; the caret blinks by
// inverting; it is hidden while its window paints.
BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND hwnd);
BOOL HideCaret(HWND hwnd);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* pt);
UINT GetCaretBlinkTime();
BOOL SetCaretBlinkTime(UINT ms);

// Read-back: the caret of the thread that owns the window, in its client
// coordinates; false when it has none. visible = created, not hidden.
struct CaretState {
    HWND hwnd;
    RECT rect;
    bool visible;
    bool grey;
    bool blinkOn;
};
bool CaretOfThread(DWORD threadId, CaretState* state);
// Stops the blink (the caret stays in its shown phase); for tests.
void FreezeCaretBlink(bool freeze);
