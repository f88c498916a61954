// Changing the system colours.
#include "platform/user/sys_colors.h"
#include "platform/user/message.h"
#include "platform/user/window_internal.h"

namespace {

BOOL NotifyWindow(HWND h, LPARAM)
{
    PostMessage(h, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}   // namespace

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors)
{
    if (!StoreSysColors(count, indexes, colors)) return FALSE;
    EnumAllTopLevelWindows(NotifyWindow, 0);
    return TRUE;
}
