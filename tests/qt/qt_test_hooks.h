#pragma once
// What the display tests ask of the display thread, each waited for unless
// said otherwise. Built as a library of its own (qt_test_hooks.cpp) over the
// display library's requests, loaded beside it.
#include <atomic>

#include "platform/types.h"

// The X window id of a top-level window's surface (0: none yet).
unsigned long DisplayNativeId(HWND hwnd);
// The input method commits text (UTF-8) to the window.
void DisplayCommitText(HWND hwnd, const char* utf8);
// What the window answers the input method's cursor-rectangle query.
bool DisplayCursorRect(HWND hwnd, RECT* out);
// Drops URLs (text/uri-list) at a point of the window (its own coordinates).
void DisplayDropUrls(HWND hwnd, int x, int y, const char* const* urls, int count);
// The dialogs shown from now on are accepted once `*when` (if given) is
// true; a file dialog selects `file`. Before accepting, a close of
// `closeFirst` is tried (its window is disabled under the dialog).
void AcceptNextDialogs(const char* file, HWND closeFirst, const std::atomic<bool>* when);
// A picture of one window as the screen shows it (device pixels).
bool DisplayWindowShot(HWND hwnd, const char* path, int* width, int* height);
// The desktop's close button on a window.
void DisplayClose(HWND hwnd);
// The whole screen as a PNG.
bool DisplayScreenshot(const char* path);
// Runs the display's pending work (requests queued before this call are done).
void DisplaySync();
// Keeps the display thread busy for a while (queued, not waited for): the
// window's owner cannot answer the desktop meanwhile.
void DisplayStall(int milliseconds);
// A pixel of the screen (device pixels) as 0x00RRGGBB, read from the X server
// on the calling thread, whatever the display thread is doing. -1: none.
// `keeps`: whether the server keeps the contents of windows that ask.
long ServerPixel(int x, int y, bool* keeps);
