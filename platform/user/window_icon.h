#pragma once
// The icon the desktop shows for a top-level window (title bar, task bar).
#include <vector>

#include "platform/types.h"

// Straight 0xAARRGGBB pixels, row by row; FALSE for a child window.
BOOL SetWindowIconImage(HWND hwnd, SIZE size, const std::vector<uint32_t>& argb);
