// Placeholder until the window manager lands: no window can exist yet.
#include "platform/types.h"

LRESULT SendMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
