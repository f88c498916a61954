// Scrolling a window's pixels inside its top-level image.
#include <algorithm>
#include <cstring>

#include "platform/user/geometry.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

namespace {

// Copies src (surface coordinates) to src + (dx, dy) within the surface.
void MovePixels(CSurface& s, RECT src, int dx, int dy)
{
    int w = src.right - src.left;
    if (w <= 0) return;
    auto row = [&](int y) {
        uint32_t* p = s.pixels.data() + (size_t)y * (size_t)s.width;
        memmove(p + src.left + dx, p + src.left, (size_t)w * sizeof(uint32_t));
    };
    auto copy = [&](int y) {
        if (dy == 0) {
            row(y);
            return;
        }
        uint32_t* from = s.pixels.data() + (size_t)y * (size_t)s.width + src.left;
        uint32_t* to = s.pixels.data() + (size_t)(y + dy) * (size_t)s.width + src.left + dx;
        memmove(to, from, (size_t)w * sizeof(uint32_t));
    };
    if (dy > 0)
        for (int y = src.bottom - 1; y >= src.top; y--) copy(y);
    else
        for (int y = src.top; y < src.bottom; y++) copy(y);
}

}  // namespace

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN, RECT* updateRect, UINT flags)
{
    std::shared_ptr<CSurface> surface;
    HWND top;
    POINT offset;
    SIZE size;
    if (!WindowDrawTarget(hwnd, &surface, &top, &offset, &size)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    RECT client{0, 0, size.cx, size.cy};
    RECT area = client;
    if (scroll) IntersectRect(&area, scroll, &client);
    RECT limit = area;
    if (clip) IntersectRect(&limit, clip, &area);
    // Only pixels that are the window's own may move.
    std::vector<RECT> visible;
    WindowVisibleRects(hwnd, true, &visible);
    bool whole = visible.size() == 1 && EqualRect(&visible[0], &client) && IsWindowVisible(hwnd);
    RECT moved{};
    CaretPaintHide(hwnd, true);
    if (whole && (dx || dy)) {
        RECT src = limit;
        OffsetRect(&src, dx, dy);
        IntersectRect(&moved, &src, &limit);   // where pixels land
        RECT from = moved;
        OffsetRect(&from, -dx, -dy);
        if (!IsRectEmpty(&moved)) {
            {
                std::lock_guard<std::mutex> g(surface->lock);
                RECT s = from;
                OffsetRect(&s, offset.x, offset.y);
                if (surface->alive && s.left >= 0 && s.top >= 0 && s.right + dx <= surface->width &&
                    s.bottom + dy <= surface->height && s.right <= surface->width && s.bottom <= surface->height &&
                    s.left + dx >= 0 && s.top + dy >= 0)
                    MovePixels(*surface, s, dx, dy);
                else
                    moved = RECT{};
            }
            RECT d = moved;
            OffsetRect(&d, offset.x, offset.y);
            if (!IsRectEmpty(&moved)) MarkSurfaceDirty(top, d);
        }
    }
    CaretPaintHide(hwnd, false);
    // What did not receive moved pixels needs painting.
    RECT exposed = limit;
    if (!IsRectEmpty(&moved)) {
        RECT rest;
        if (SubtractRect(&rest, &limit, &moved)) exposed = rest;
        else exposed = RECT{};
        // Two uncovered strips: their bounding rectangle.
        if (dx && dy && !IsRectEmpty(&exposed) && EqualRect(&exposed, &limit)) {
            RECT a = limit, b = limit;
            if (dx > 0) a.right = a.left + dx; else a.left = a.right + dx;
            if (dy > 0) b.bottom = b.top + dy; else b.top = b.bottom + dy;
            UnionRect(&exposed, &a, &b);
        }
    }
    if (updateRect) *updateRect = exposed;
    if ((flags & SW_INVALIDATE) && !IsRectEmpty(&exposed)) InvalidateInternal(hwnd, &exposed, (flags & SW_ERASE) != 0, false);
    if (flags & SW_SCROLLCHILDREN) {
        std::vector<HWND> kids;
        for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
        for (HWND c : kids) {
            RECT r;
            GetWindowRect(c, &r);
            POINT p{r.left, r.top};
            ScreenToClient(hwnd, &p);
            RECT rc{p.x, p.y, p.x + r.right - r.left, p.y + r.bottom - r.top};
            RECT i;
            if (!scroll || IntersectRect(&i, &rc, &area))
                SetWindowPos(c, nullptr, p.x + dx, p.y + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
    return IsRectEmpty(&exposed) ? 1 /* NULLREGION */ : 2 /* SIMPLEREGION */;
}

BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip)
{
    UINT flags = SW_INVALIDATE | SW_ERASE | (scroll ? 0u : SW_SCROLLCHILDREN);
    return ScrollWindowEx(hwnd, dx, dy, scroll, clip, nullptr, nullptr, flags) != 0;
}
