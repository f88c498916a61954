#pragma once
// The headless back end's read-back interface for tests. Coordinates are
// those of the top-level window's backing image.
#include "platform/port/backend.h"
#include <string>

// The pixel as a COLORREF (0x00BBGGRR); FALSE outside the image or without one.
BOOL HeadlessGetPixel(HWND hwnd, int x, int y, COLORREF* color);
BOOL HeadlessGetSurfaceSize(HWND hwnd, SIZE* size);
// A copy of the image as 0x00RRGGBB words, row by row.
BOOL HeadlessCopySurface(HWND hwnd, std::vector<uint32_t>* pixels, SIZE* size);
// The dirty rectangles recorded since the last call, oldest first; clears them.
std::vector<RECT> HeadlessTakeDirtyRects(HWND hwnd);
// The icon the window last set (straight 0xAARRGGBB); FALSE when none.
BOOL HeadlessGetWindowIcon(HWND hwnd, SIZE* size, std::vector<uint32_t>* argb);
// Writes the image as a PNG file.
BOOL HeadlessSavePng(HWND hwnd, const std::string& path);
