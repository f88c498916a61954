#pragma once
// The headless test interface for input: inject keys, text, mouse, wheel
// and dropped files in screen coordinates, pump until idle, and read back
// what the window manager shows (rectangles, focus, capture, cursor,
// caret, visible windows and menus, clipboard bytes).
#include <functional>
#include <string>
#include <vector>

#include "platform/user/user.h"

// A key press or release; text is what the press types (UTF-8), as an
// input method or keyboard layout would report it.
void InjectKey(UINT vk, bool down, const std::string& text = "");
// Down and up.
void InjectKeyStroke(UINT vk, const std::string& text = "");
// Types each character of a UTF-8 string as a key stroke carrying it.
void InjectText(const std::string& utf8);
void InjectMouseMove(int x, int y);
void InjectButton(UINT buttonVk, bool down, int x, int y);
void InjectClick(int x, int y, UINT buttonVk = VK_LBUTTON);
void InjectWheel(int x, int y, int delta);
void InjectDropFiles(int x, int y, const std::vector<std::string>& files);

// Pumps the calling thread's messages (translating keys) until nothing is
// left for it. `filter` sees each message first; true means it was taken
// (accelerators, dialog messages). Returns the number of messages.
int PumpUntilIdle(const std::function<bool(MSG&)>& filter = nullptr);

// VisibleTopLevelWindows, FocusOfThread and CaptureWindowAnyThread are the
// window manager's (user.h).
HWND CurrentCapture();
// The cursor the pointer shows: its standard id (IDC_*) or resource name.
std::string CurrentCursorName();
std::string ClipboardText();   // CF_TEXT bytes as stored (terminator included)
// Empties the raw-input queue, the key state, the clipboard and the
// settings overrides; for test set-up.
void ResetHeadlessInput();
