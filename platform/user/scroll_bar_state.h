#pragma once
// The state of one scroll bar, apart from the engine that works on it: the
// window record holds three by value.
#include "platform/types.h"

struct CScrollBarState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
    int trackPos = 0;
    bool tracking = false;
    bool shown = false;      // window bars: WS_HSCROLL / WS_VSCROLL mirror this
    UINT disabled = 0;       // ESB_* arrows disabled
};
