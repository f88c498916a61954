#pragma once
// Menu records (internal).
#include <memory>
#include <mutex>

#include "platform/user/input_internal.h"
#include "platform/user/menu.h"

struct CMenuItem {
    UINT flags = 0;    // MF_* state and type bits
    UINT id = 0;
    HMENU sub = nullptr;
    std::string text;
    UINT_PTR data = 0;
};

struct CMenu {
    bool popup = false;
    std::vector<CMenuItem> items;
};

std::mutex& MenuLock();
// Under MenuLock().
CMenu* FindMenuLocked(HMENU menu);
// A copy of a menu's items (empty for a stale handle).
std::vector<CMenuItem> MenuItemsOf(HMENU menu);
int MenuTextWidth(const std::string& text);
// The mnemonic after '&' (lower case), or 0.
char MnemonicOf(const std::string& text);
// The menu bar of a window: item rectangles in screen coordinates.
std::vector<RECT> MenuBarRects(HWND hwnd, HMENU menu);
#include <functional>
bool MenuPopupState(HWND popup, HMENU* menu, std::vector<RECT>* items, int* selected);
void PaintMenuPopupWindow(HWND popup);
