#pragma once
// Window device contexts: the window manager makes them over gdi's surface
// DCs, on the window's top-level backing image, clipped to its visible pixels.
#include "platform/gdi/gdi.h"

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

// GetDC(NULL) is a 96-dpi screen DC for measuring; it draws nothing.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
// Records the drawn area as dirty for the back end.
int ReleaseDC(HWND hwnd, HDC hdc);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HWND WindowFromDC(HDC hdc);

// Until called again with null: GetDC and GetWindowDC of `hwnd` hand out
// `recording` (state saved, and put back by ReleaseDC), and memory DCs made
// compatible with it log into it too, so a window's painting outside
// WM_PAINT can be read back.
void RedirectWindowDC(HWND hwnd, HDC recording);
