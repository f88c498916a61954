// Window placement: the normal rectangle kept while minimised or maximised,
// clamped onto the work area when set.
#include <algorithm>

#include "platform/user/geometry.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/window_internal.h"

namespace {

// Placements come from files: the differences are taken in 64 bits.
int64_t Width(const RECT& r) { return (int64_t)r.right - r.left; }
int64_t Height(const RECT& r) { return (int64_t)r.bottom - r.top; }

RECT ClampOntoWorkArea(RECT r)
{
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    int64_t w = std::max<int64_t>(0, std::min(Width(r), Width(work)));
    int64_t h = std::max<int64_t>(0, std::min(Height(r), Height(work)));
    int64_t x = std::max<int64_t>(work.left, std::min<int64_t>(r.left, work.right - w));
    int64_t y = std::max<int64_t>(work.top, std::min<int64_t>(r.top, work.bottom - h));
    return ClampRect(RECT{(LONG)x, (LONG)y, (LONG)(x + w), (LONG)(y + h)});
}

}  // namespace


BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* wp)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w || !wp) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    wp->length = sizeof(WINDOWPLACEMENT);
    wp->flags = 0;
    wp->showCmd = w->showState;
    wp->ptMinPosition = POINT{-1, -1};
    wp->ptMaxPosition = POINT{-1, -1};
    wp->rcNormalPosition = w->showState == SW_SHOWNORMAL ? w->rect : w->normalRect;
    return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* wp)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w || !wp) return FALSE;
    RECT normal = ClampRect(wp->rcNormalPosition);
    if (normal.right < normal.left) std::swap(normal.left, normal.right);
    if (normal.bottom < normal.top) std::swap(normal.top, normal.bottom);
    bool child = (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) != 0;
    if (!child) normal = ClampOntoWorkArea(normal);
    UINT state;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        state = w->showState;
        w->normalRect = normal;
    }
    UINT cmd = wp->showCmd;
    if (cmd == SW_SHOWMAXIMIZED || cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE || cmd == SW_SHOWMINNOACTIVE) {
        if (state == SW_SHOWNORMAL) {
            // The normal rectangle is where a restore goes back to.
            SetWindowPos(hwnd, nullptr, normal.left, normal.top, (int)Width(normal), (int)Height(normal),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        {
            std::lock_guard<std::mutex> g(WindowLock());
            if (w->showState != SW_SHOWNORMAL) w->normalRect = normal;
        }
        ShowWindow(hwnd, (int)cmd);
        std::lock_guard<std::mutex> g(WindowLock());
        w->normalRect = normal;
    } else {
        if (state != SW_SHOWNORMAL) ShowWindow(hwnd, SW_RESTORE);
        SetWindowPos(hwnd, nullptr, normal.left, normal.top, (int)Width(normal), (int)Height(normal), SWP_NOZORDER | SWP_NOACTIVATE);
        if (cmd == SW_HIDE) ShowWindow(hwnd, SW_HIDE);
        else if (!IsWindowVisible(hwnd) && cmd != 0) ShowWindow(hwnd, (int)cmd);
    }
    return TRUE;
}
