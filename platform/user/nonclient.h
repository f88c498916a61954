#pragma once
// The non-client model (internal): where DefWindowProc puts borders, frames,
// the caption with its close box, the menu bar and the window's scroll bars.
#include "platform/types.h"

struct CNcLayout {
    int border = 0;        // frame thickness on every side
    RECT caption{};        // window coordinates; empty when there is none
    RECT closeBox{};
    RECT menuBar{};
    RECT vscroll{};
    RECT hscroll{};
    RECT grip{};           // the corner between two bars
    RECT client{};         // window coordinates
    bool sizable = false;
    bool smallCaption = false;
};

CNcLayout NcLayoutOf(DWORD style, DWORD exStyle, bool isChild, bool hasMenu, int width, int height);
// The hit-test code of a point in window coordinates.
int NcHitTestLayout(const CNcLayout& l, POINT pt, int width, int height);
// Under the interactive back end the desktop frames captioned top-level
// windows (not tool windows); the back end says so once at start.
void SetDesktopDrawsFrames(bool on);
bool DesktopDrawsFrames();
