#pragma once
// "Enable calling function in watcher": whether a watcher expression may call
// functions. Process-wide, off at start, never stored; the settings sheet's
// Program page shows and sets it, the watcher reads it.
#include <atomic>

inline std::atomic<bool>& WatcherCallsEnabled()
{
    static std::atomic<bool> enabled{false};
    return enabled;
}
