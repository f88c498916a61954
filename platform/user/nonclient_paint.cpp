// Painting of the non-client area and of menus (drawn by us in every back end).
#include "platform/user/menu_internal.h"

void PaintNonClient(HWND) {}

void EraseBackground(HWND, void*) {}

void PaintMenuPopupWindow(HWND popup) { ValidateRect(popup, nullptr); }
