#pragma once
// Finding windows in device and dialog tests.
#include <string>

#include "platform/types.h"

std::string WindowText(HWND w);
// A top-level window of the thread with this caption (only a visible one
// when visibleOnly), or null.
HWND FindThreadWindow(DWORD threadId, const std::string& caption, bool visibleOnly = true);
