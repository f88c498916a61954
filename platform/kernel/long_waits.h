#pragma once
// The long waits of the system in one table, so that tests can shorten them
// all at once; nothing but a test sets the scale.
#include "platform/types.h"

enum class LongWait : int {
    DeviceWindow,      // a device's frame window after its start: 60,000 ms
    DeviceThreadEnd,   // a device thread that has no window or is closing: 15,000 ms
    CloseSlice,        // between re-posts of a device's close: 1,000 ms
    StopSlice,         // one wait of a stop without devices to remind: 15,100 ms
    StopQuestion,      // an unanswered stop before asking whether to give up: 15,000 ms
    BreakRepost,       // between re-posts of the break to the devices during a stop: 1,000 ms
};

// The wait in milliseconds under the current scale; never 0.
DWORD LongWaitMs(LongWait which);
// Tests only: every long wait is multiplied by scale (1 restores them).
void SetLongWaitScale(double scale);
