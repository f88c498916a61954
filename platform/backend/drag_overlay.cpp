// The drag overlay: four edge windows painted in the highlight colour.
#include "platform/backend/drag_overlay.h"

#include <mutex>

#include "platform/gdi/gdi.h"

namespace {

constexpr const char* kClass = "VeldraDragOverlay";

struct Overlay {
    HWND edges[4]{};
    RECT rect{};
    bool thick = false;
    bool shown = false;
    int shows = 0;
};

std::mutex g_lock;
Overlay g_overlay;

LRESULT EdgeProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect((HDC)w, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
        return 1;
    }
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

void EnsureEdges()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = EdgeProc;
        wc.lpszClassName = kClass;
        RegisterClass(&wc);
    });
    for (HWND& e : g_overlay.edges)
        if (!e || !IsWindow(e))
            e = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE, kClass, "",
                               WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

void ShowDragOverlay(const RECT& r, bool thick)
{
    std::lock_guard<std::mutex> hold(g_lock);
    EnsureEdges();
    const int t = thick ? 3 : 1;
    const int w = std::max<int>(r.right - r.left, 2 * t), h = std::max<int>(r.bottom - r.top, 2 * t);
    const RECT parts[4] = {
        {r.left, r.top, r.left + w, r.top + t},
        {r.left, r.top + h - t, r.left + w, r.top + h},
        {r.left, r.top + t, r.left + t, r.top + h - t},
        {r.left + w - t, r.top + t, r.left + w, r.top + h - t},
    };
    for (int i = 0; i < 4; ++i)
        SetWindowPos(g_overlay.edges[i], HWND_TOPMOST, parts[i].left, parts[i].top, parts[i].right - parts[i].left,
                     parts[i].bottom - parts[i].top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    g_overlay.rect = r;
    g_overlay.thick = thick;
    g_overlay.shown = true;
    ++g_overlay.shows;
}

void HideDragOverlay()
{
    std::lock_guard<std::mutex> hold(g_lock);
    // The edges go with the drag: no hidden windows stay behind on the thread.
    for (HWND& e : g_overlay.edges) {
        if (e && IsWindow(e)) DestroyWindow(e);
        e = nullptr;
    }
    g_overlay.shown = false;
}

bool DragOverlayVisible(RECT* screen, bool* thick)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (screen) *screen = g_overlay.rect;
    if (thick) *thick = g_overlay.thick;
    return g_overlay.shown;
}

int DragOverlayShowCount()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_overlay.shows;
}
