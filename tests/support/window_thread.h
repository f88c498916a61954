#pragma once
// Runs test code on the thread that owns a window (a device's UI thread), as
// a message that window handles, and waits for it: the window's procedure is
// wrapped only for the one call. What the code reads or changes there is the
// real objects of that thread, without racing it.
#include <functional>

#include "platform/types.h"

// False when the window is gone.
bool RunOnWindowThread(HWND window, const std::function<void()>& code);

// The value the code returns, or `otherwise` when the window is gone.
template <class T>
T ReadOnWindowThread(HWND window, const std::function<T()>& code, T otherwise = T())
{
    T out = otherwise;
    RunOnWindowThread(window, [&] { out = code(); });
    return out;
}
