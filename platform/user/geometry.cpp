// Window geometry: rectangles, z-order, SetWindowPos and its batches,
// showing, enabling, parents, placement and windows under a point.
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/nonclient.h"
#include "platform/user/window_internal.h"

#include <algorithm>

namespace {

#define SWP_NOCLIENTSIZE 0x0800u
#define SWP_NOCLIENTMOVE 0x1000u

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::vector<HWND>* SiblingsLocked(CWindow& w)
{
    if (!(w.style & WS_CHILD) || !w.parent) return &TopLevelOrderLocked();
    auto p = FindWindowObjectLocked(w.parent);
    return p ? &p->children : nullptr;
}

bool IsTopLevel(const CWindow& w) { return !(w.style & WS_CHILD) || !w.parent; }

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The deepest enabled, visible window under a screen point, skipping the
// given windows (they answered HTTRANSPARENT).
HWND ChildAtLocked(const CWindow& w, POINT pt, const std::vector<HWND>& skip)
{
    if (!Contains(ClientScreenRectLocked(w), pt)) return w.handle;
    for (HWND h : w.children) {
        auto c = FindWindowObjectLocked(h);
        if (!c || !(c->style & WS_VISIBLE) || c->destroying) continue;
        if (std::find(skip.begin(), skip.end(), h) != skip.end()) continue;
        if (!Contains(WindowScreenRectLocked(*c), pt)) continue;
        if (c->style & WS_DISABLED) return w.handle;   // the parent takes it
        return ChildAtLocked(*c, pt, skip);
    }
    return w.handle;
}

HWND WindowAtLocked(POINT pt, const std::vector<HWND>& skip)
{
    for (HWND h : TopLevelOrderLocked()) {
        auto w = FindWindowObjectLocked(h);
        if (!w || !(w->style & WS_VISIBLE) || (w->style & WS_DISABLED) || w->destroying) continue;
        if (std::find(skip.begin(), skip.end(), h) != skip.end()) continue;
        if (!Contains(WindowScreenRectLocked(*w), pt)) continue;
        return ChildAtLocked(*w, pt, skip);
    }
    return nullptr;
}

MINMAXINFO DefaultMinMax(const CWindow& w)
{
    MINMAXINFO mm{};
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    int b = NcLayoutOf(w.style, w.exStyle, false, false, 200, 200).border;
    mm.ptMaxSize = POINT{Width(work) + 2 * b, Height(work) + 2 * b};
    mm.ptMaxPosition = POINT{work.left - b, work.top - b};
    mm.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mm.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    return mm;
}

}  // namespace

namespace {
thread_local bool t_desktopStacking = false;
thread_local const RECT* t_desktopRect = nullptr;
}

CDesktopStackingScope::CDesktopStackingScope() : outer(t_desktopStacking) { t_desktopStacking = true; }
CDesktopStackingScope::~CDesktopStackingScope() { t_desktopStacking = outer; }
CDesktopMoveScope::CDesktopMoveScope(const RECT& r) : outer(t_desktopRect), rect(r) { t_desktopRect = &rect; }
CDesktopMoveScope::~CDesktopMoveScope() { t_desktopRect = outer; }

// The display hears of every change to a top-level window's place, look or
// state; only the owner thread asks the window for its size bounds.
void TellBackendAboutWindow(HWND hwnd)
{
    std::shared_ptr<CWindow> w;
    CWindowPlacement p;
    bool sizable = false;
    MINMAXINFO mm{};
    {
        std::lock_guard<std::mutex> g(WindowLock());
        w = FindWindowObjectLocked(hwnd);
        if (!w || !w->surface) return;
        p.rect = w->rect;
        p.visible = (w->style & WS_VISIBLE) != 0;
        p.enabled = (w->style & WS_DISABLED) == 0;
        p.style = w->style;
        p.exStyle = w->exStyle;
        p.owner = w->ownerWnd;
        p.title = w->text;
        p.fromDesktop = t_desktopRect && EqualRect(&p.rect, t_desktopRect);
        sizable = (w->style & WS_THICKFRAME) != 0;
        if (sizable) mm = DefaultMinMax(*w);
    }
    if (sizable && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) {
        SendMessage(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mm);
        p.minSize = SIZE{mm.ptMinTrackSize.x, mm.ptMinTrackSize.y};
        p.maxSize = SIZE{mm.ptMaxTrackSize.x, mm.ptMaxTrackSize.y};
    } else if (!sizable) {
        p.minSize = p.maxSize = SIZE{Width(p.rect), Height(p.rect)};
    }
    Backend().WindowChanged(hwnd, p);
}

namespace {

struct DeferBatch {
    std::vector<WINDOWPOS> moves;
};

// Applies one move; invalidation is left to the caller when `paint` is false.
bool ApplyWindowPos(WINDOWPOS wp, bool paint)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(wp.hwnd);
    if (!w) return false;
    HWND hwnd = wp.hwnd;
    RECT old;
    bool wasVisible, topLevel, sizable;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        old = w->rect;
        wasVisible = (w->style & WS_VISIBLE) != 0;
        topLevel = IsTopLevel(*w);
        sizable = topLevel && (w->style & WS_THICKFRAME);
    }
    if (wp.flags & SWP_NOMOVE) { wp.x = old.left; wp.y = old.top; }
    if (wp.flags & SWP_NOSIZE) { wp.cx = Width(old); wp.cy = Height(old); }
    if (!(wp.flags & SWP_NOSENDCHANGING)) SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, (LPARAM)&wp);
    if (!IsWindow(hwnd)) return false;
    if (wp.cx < 0) wp.cx = 0;
    if (wp.cy < 0) wp.cy = 0;
    if (sizable && !(wp.flags & SWP_NOSIZE)) {
        MINMAXINFO mm;
        {
            std::lock_guard<std::mutex> g(WindowLock());
            mm = DefaultMinMax(*w);
        }
        SendMessage(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mm);
        wp.cx = std::max((int)mm.ptMinTrackSize.x, std::min(wp.cx, (int)mm.ptMaxTrackSize.x));
        wp.cy = std::max((int)mm.ptMinTrackSize.y, std::min(wp.cy, (int)mm.ptMaxTrackSize.y));
    }
    RECT oldClient;
    bool restacked = false;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        oldClient = w->client;
        // The program placing its window itself gives its cascade place back;
        // the desktop moving it does not (the place stays its own).
        if (!t_desktopRect && (wp.x != w->rect.left || wp.y != w->rect.top)) w->cascadePlace.reset();
        w->rect = RECT{wp.x, wp.y, wp.x + wp.cx, wp.y + wp.cy};
        if (wp.flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
        if (wp.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
        if (!(wp.flags & SWP_NOZORDER)) {
            if (std::vector<HWND>* list = SiblingsLocked(*w)) {
                const std::vector<HWND> before = *list;
                list->erase(std::remove(list->begin(), list->end(), hwnd), list->end());
                auto at = list->begin();
                if (wp.hwndInsertAfter == HWND_BOTTOM) {
                    at = list->end();
                } else if (wp.hwndInsertAfter != HWND_TOP && wp.hwndInsertAfter != HWND_TOPMOST &&
                           wp.hwndInsertAfter != HWND_NOTOPMOST) {
                    auto it = std::find(list->begin(), list->end(), wp.hwndInsertAfter);
                    at = it == list->end() ? list->begin() : it + 1;
                }
                list->insert(at, hwnd);
                restacked = *list != before;
            }
            if (wp.hwndInsertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
            if (wp.hwndInsertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
        }
    }
    RecalcClient(hwnd);
    bool isVisible;
    RECT now, nowClient;
    HWND parent;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        now = w->rect;
        nowClient = w->client;
        isVisible = (w->style & WS_VISIBLE) != 0;
        parent = topLevel ? nullptr : w->parent;
    }
    bool moved = now.left != old.left || now.top != old.top;
    bool sized = Width(now) != Width(old) || Height(now) != Height(old);
    if (sized && topLevel) ResizeSurface(hwnd, Width(now), Height(now));
    if (paint && !(wp.flags & SWP_NOREDRAW) && (moved || sized || wasVisible != isVisible || (wp.flags & SWP_FRAMECHANGED))) {
        if (parent) {
            if (wasVisible) InvalidateInternal(parent, &old, true, false);
            if (isVisible) InvalidateInternal(parent, &now, true, false);
        }
        if (isVisible) InvalidateInternal(hwnd, nullptr, true, true);
    } else if (paint && !(wp.flags & SWP_NOREDRAW) && restacked && parent && isVisible) {
        // A child raised or lowered among its siblings: what it covered or
        // uncovered is drawn again, its children included.
        InvalidateInternal(parent, &now, true, false);
        InvalidateInternal(hwnd, nullptr, true, true);
    }
    wp.x = now.left;
    wp.y = now.top;
    wp.cx = Width(now);
    wp.cy = Height(now);
    if (!(moved || (nowClient.left != oldClient.left || nowClient.top != oldClient.top))) wp.flags |= SWP_NOCLIENTMOVE;
    if (Width(nowClient) == Width(oldClient) && Height(nowClient) == Height(oldClient)) wp.flags |= SWP_NOCLIENTSIZE;
    if (moved) wp.flags &= ~SWP_NOMOVE; else wp.flags |= SWP_NOMOVE;
    if (sized) wp.flags &= ~SWP_NOSIZE; else wp.flags |= SWP_NOSIZE;
    SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, (LPARAM)&wp);
    if (!IsWindow(hwnd)) return true;
    // Showing a top-level window activates it unless told not to.
    if (topLevel && isVisible && !(wp.flags & SWP_NOACTIVATE) && ((wp.flags & SWP_SHOWWINDOW) || !(wp.flags & SWP_NOZORDER))) {
        DWORD ex = (DWORD)GetWindowLongPtr(hwnd, GWL_EXSTYLE);
        if (!(ex & WS_EX_NOACTIVATE) && !(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) &&
            GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
            SetActiveWindow(hwnd);
    }
    if (wasVisible && !isVisible && GetActiveWindow() == hwnd) {
        HWND owner = GetWindow(hwnd, GW_OWNER);
        SetActiveWindow(owner && IsWindowVisible(owner) ? owner : nullptr);
    }
    if (topLevel) TellBackendAboutWindow(hwnd);
    // Put on top by the program, not after the desktop's own activation: the
    // display raises it too (a window just shown comes up on top anyway).
    if (topLevel && isVisible && wasVisible && !(wp.flags & SWP_NOZORDER) && !t_desktopStacking &&
        (wp.hwndInsertAfter == HWND_TOP || wp.hwndInsertAfter == HWND_TOPMOST))
        Backend().WindowRaised(hwnd);
    return true;
}

}  // namespace

std::vector<HWND>& TopLevelOrderLocked()
{
    static auto* order = new std::vector<HWND>;
    return *order;
}

RECT WindowScreenRectLocked(const CWindow& w)
{
    RECT r = w.rect;
    if ((w.style & WS_CHILD) && w.parent) {
        if (auto p = FindWindowObjectLocked(w.parent)) {
            RECT pc = ClientScreenRectLocked(*p);
            r.left += pc.left;
            r.right += pc.left;
            r.top += pc.top;
            r.bottom += pc.top;
        }
    }
    return r;
}

RECT ClientScreenRectLocked(const CWindow& w)
{
    RECT r = WindowScreenRectLocked(w);
    return RECT{r.left + w.client.left, r.top + w.client.top, r.left + w.client.right, r.top + w.client.bottom};
}

bool IsVisibleLocked(const CWindow& w)
{
    const CWindow* c = &w;
    std::shared_ptr<CWindow> hold;
    for (int depth = 0; c && depth < 1000; depth++) {
        if (!(c->style & WS_VISIBLE)) return false;
        if (!(c->style & WS_CHILD) || !c->parent) return true;
        hold = FindWindowObjectLocked(c->parent);
        c = hold.get();
    }
    return false;
}

HWND TopLevelOfLocked(HWND hwnd)
{
    for (int depth = 0; hwnd && depth < 1000; depth++) {
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return nullptr;
        if (!(w->style & WS_CHILD) || !w->parent) return hwnd;
        hwnd = w->parent;
    }
    return nullptr;
}

// New top-level windows go on top; new children below their siblings, so
// the order of children is their creation (and tab) order.
void InsertIntoZOrderLocked(CWindow& w)
{
    std::vector<HWND>* list = SiblingsLocked(w);
    if (!list) return;
    if (IsTopLevel(w)) list->insert(list->begin(), w.handle);
    else list->push_back(w.handle);
}

void RemoveFromZOrderLocked(CWindow& w)
{
    auto drop = [&](std::vector<HWND>& v) { v.erase(std::remove(v.begin(), v.end(), w.handle), v.end()); };
    drop(TopLevelOrderLocked());
    if (w.parent)
        if (auto p = FindWindowObjectLocked(w.parent)) drop(p->children);
}

CNcLayout NcLayoutOfLocked(const CWindow& w)
{
    return NcLayoutOf(w.style, w.exStyle, (w.style & WS_CHILD) != 0, w.menu != nullptr, Width(w.rect), Height(w.rect));
}

void RecalcClient(HWND hwnd)
{
    NCCALCSIZE_PARAMS p{};
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return;
        p.rgrc[0] = w->rect;
    }
    RECT win = p.rgrc[0];
    SendMessage(hwnd, WM_NCCALCSIZE, FALSE, (LPARAM)&p.rgrc[0]);
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return;
    RECT c = p.rgrc[0];
    c.left -= win.left;
    c.right -= win.left;
    c.top -= win.top;
    c.bottom -= win.top;
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    w->client = c;
}

std::shared_ptr<CThreadData> OwnerOf(HWND hwnd)
{
    auto w = FindWindowObject(hwnd);
    return w ? w->owner : nullptr;
}

// ---- Window rectangles and coordinates ----

BOOL GetWindowRect(HWND hwnd, RECT* r)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w || !r) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *r = WindowScreenRectLocked(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* r)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w || !r) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *r = RECT{0, 0, Width(w->client), Height(w->client)};
    return TRUE;
}

static bool ClientOrigin(HWND hwnd, POINT* o)
{
    if (!hwnd) {
        *o = POINT{0, 0};
        return true;
    }
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return false;
    RECT c = ClientScreenRectLocked(*w);
    *o = POINT{c.left, c.top};
    return true;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt)
{
    POINT o;
    if (!pt || !hwnd || !ClientOrigin(hwnd, &o)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt)
{
    POINT o;
    if (!pt || !hwnd || !ClientOrigin(hwnd, &o)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* pts, UINT count)
{
    POINT a, b;
    if (!ClientOrigin(from, &a) || !ClientOrigin(to, &b)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    int dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; pts && i < count; i++) {
        pts[i].x += dx;
        pts[i].y += dy;
    }
    return MAKELONG((WORD)(SHORT)dx, (WORD)(SHORT)dy);
}

// ---- Moving and sizing ----

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    // Positions may come from files: kept where right = x + cx cannot overflow.
    return ApplyWindowPos(WINDOWPOS{hwnd, insertAfter, ClampCoord(x), ClampCoord(y), ClampCoord(cx), ClampCoord(cy), flags},
                          true);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0u : SWP_NOREDRAW));
}

HDWP BeginDeferWindowPos(int count)
{
    if (count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* b = new DeferBatch;
    b->moves.reserve((size_t)count);
    return (HDWP)b;
}

HDWP DeferWindowPos(HDWP dwp, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    auto* b = (DeferBatch*)dwp;
    if (!b) return nullptr;
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        delete b;
        return nullptr;
    }
    for (WINDOWPOS& wp : b->moves)
        if (wp.hwnd == hwnd) {
            wp = WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags};
            return dwp;
        }
    b->moves.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
    return dwp;
}

BOOL EndDeferWindowPos(HDWP dwp)
{
    auto* b = (DeferBatch*)dwp;
    if (!b) return FALSE;
    struct Old { HWND hwnd, parent; RECT rect; bool visible; };
    std::vector<Old> olds;
    for (const WINDOWPOS& wp : b->moves) {
        std::lock_guard<std::mutex> g(WindowLock());
        if (auto w = FindWindowObjectLocked(wp.hwnd))
            olds.push_back(Old{wp.hwnd, (w->style & WS_CHILD) ? w->parent : nullptr, w->rect, (w->style & WS_VISIBLE) != 0});
    }
    for (const WINDOWPOS& wp : b->moves) ApplyWindowPos(wp, false);
    // One invalidation per window and parent, after every move.
    for (size_t i = 0; i < olds.size(); i++) {
        const WINDOWPOS& wp = b->moves[i];
        if (wp.flags & SWP_NOREDRAW) continue;
        const Old& o = olds[i];
        RECT now{};
        bool visible = false;
        {
            std::lock_guard<std::mutex> g(WindowLock());
            auto w = FindWindowObjectLocked(o.hwnd);
            if (!w) continue;
            now = w->rect;
            visible = (w->style & WS_VISIBLE) != 0;
        }
        if (EqualRect(&now, &o.rect) && visible == o.visible) continue;
        if (o.parent) {
            if (o.visible) InvalidateInternal(o.parent, &o.rect, true, false);
            if (visible) InvalidateInternal(o.parent, &now, true, false);
        }
        if (visible) InvalidateInternal(o.hwnd, nullptr, true, true);
    }
    delete b;
    return TRUE;
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

// ---- Showing and enabling ----

BOOL ShowWindow(HWND hwnd, int cmd)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return FALSE;
    bool wasVisible, child;
    DWORD ex;
    UINT state;
    RECT rect, normal;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        wasVisible = (w->style & WS_VISIBLE) != 0;
        child = (w->style & WS_CHILD) != 0;
        ex = w->exStyle;
        state = w->showState;
        rect = w->rect;
        normal = w->normalRect;
    }
    if (cmd == SW_HIDE) {
        if (!wasVisible) return FALSE;
        SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    bool noActivate = child || (ex & WS_EX_NOACTIVATE) || cmd == SW_SHOWNA || cmd == SW_SHOWNOACTIVATE ||
                      cmd == SW_SHOWMINNOACTIVE || cmd == SW_MINIMIZE;
    UINT flags = SWP_SHOWWINDOW | (noActivate ? SWP_NOACTIVATE : 0u);
    if (!wasVisible) SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    auto setState = [&](UINT s, DWORD addStyle) {
        std::lock_guard<std::mutex> g(WindowLock());
        if (w->showState == SW_SHOWNORMAL) w->normalRect = w->rect;
        w->showState = s;
        w->style = (w->style & ~(WS_MAXIMIZE | WS_MINIMIZE)) | addStyle;
    };
    switch (cmd) {
    case SW_SHOWMAXIMIZED: {
        if (state != SW_SHOWMAXIMIZED) setState(SW_SHOWMAXIMIZED, WS_MAXIMIZE);
        RECT r;
        if (child) {
            GetClientRect(GetParent(hwnd), &r);
        } else {
            MINMAXINFO mm;
            {
                std::lock_guard<std::mutex> g(WindowLock());
                mm = DefaultMinMax(*w);
            }
            SendMessage(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&mm);
            r = RECT{mm.ptMaxPosition.x, mm.ptMaxPosition.y, mm.ptMaxPosition.x + mm.ptMaxSize.x, mm.ptMaxPosition.y + mm.ptMaxSize.y};
        }
        SetWindowPos(hwnd, HWND_TOP, r.left, r.top, Width(r), Height(r), flags | SWP_FRAMECHANGED | SWP_NOSENDCHANGING);
        SendMessage(hwnd, WM_SIZE, SIZE_MAXIMIZED, 0);
        break;
    }
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (state != SW_SHOWMINIMIZED) setState(SW_SHOWMINIMIZED, WS_MINIMIZE);
        SetWindowPos(hwnd, nullptr, -32000, -32000, 160, 28, flags | SWP_NOZORDER | SWP_FRAMECHANGED);
        break;
    case SW_SHOWNOACTIVATE:
        // As it last stood: a minimised window comes back, not activated.
        if (state != SW_SHOWMINIMIZED) {
            SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
            break;
        }
        [[fallthrough]];
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
        if (state != SW_SHOWNORMAL) {
            {
                std::lock_guard<std::mutex> g(WindowLock());
                w->showState = SW_SHOWNORMAL;
                w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
            }
            SetWindowPos(hwnd, HWND_TOP, normal.left, normal.top, Width(normal), Height(normal), flags | SWP_FRAMECHANGED);
        } else {
            SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
        }
        break;
    default:
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE | (noActivate ? SWP_NOZORDER : 0u));
        break;
    }
    (void)rect;
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && IsVisibleLocked(*w);
}

BOOL IsIconic(HWND hwnd) { return (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_MINIMIZE) != 0; }
BOOL IsZoomed(HWND hwnd) { return (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_MAXIMIZE) != 0; }

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return FALSE;
    bool wasDisabled;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (enable) w->style &= ~WS_DISABLED;
        else w->style |= WS_DISABLED;
    }
    if (wasDisabled == !enable) return wasDisabled;
    if (!enable) {
        // A disabled window keeps neither focus nor capture.
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(nullptr);
        if (GetCapture() == hwnd) ReleaseCapture();
    }
    SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateInternal(hwnd, nullptr, true, true);
    TellBackendAboutWindow(hwnd);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && !(w->style & WS_DISABLED);
}

// ---- Parents, owners, enumeration ----

HWND SetParent(HWND hwnd, HWND parent)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w || (parent && !IsWindow(parent))) return nullptr;
    HWND old;
    RECT screen;
    bool visible;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        if (parent && IsSelfOrDescendantLocked(hwnd, parent)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        old = w->parent;
        visible = (w->style & WS_VISIBLE) != 0;
        screen = WindowScreenRectLocked(*w);
        RemoveFromZOrderLocked(*w);
        w->parent = parent;
        if (parent) w->style |= WS_CHILD; else w->style &= ~WS_CHILD;
        // Same place on the screen, now relative to the new parent.
        RECT r = screen;
        if (parent)
            if (auto p = FindWindowObjectLocked(parent)) {
                RECT pc = ClientScreenRectLocked(*p);
                r = RECT{screen.left - pc.left, screen.top - pc.top, screen.right - pc.left, screen.bottom - pc.top};
            }
        w->rect = r;
        InsertIntoZOrderLocked(*w);
    }
    // Only top-level windows have backing images.
    if (parent && w->surface) {
        DestroySurface(hwnd);
        std::lock_guard<std::mutex> g(WindowLock());
        w->surface = nullptr;
    } else if (!parent && !w->surface) {
        auto surface = CreateSurface(hwnd, Width(screen), Height(screen));
        std::lock_guard<std::mutex> g(WindowLock());
        w->surface = surface;
    }
    if (visible) {
        if (old && IsWindow(old)) InvalidateInternal(old, nullptr, true, false);
        InvalidateInternal(hwnd, nullptr, true, true);
    }
    return old;
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (cmd == GW_OWNER) return (w->style & WS_CHILD) ? nullptr : w->ownerWnd;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    std::vector<HWND>* list = SiblingsLocked(*w);
    if (!list || list->empty()) return nullptr;
    auto it = std::find(list->begin(), list->end(), hwnd);
    switch (cmd) {
    case GW_HWNDFIRST: return list->front();
    case GW_HWNDLAST: return list->back();
    case GW_HWNDNEXT: return (it == list->end() || it + 1 == list->end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == list->end() || it == list->begin()) ? nullptr : *(it - 1);
    default: return nullptr;
    }
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return nullptr;
    switch (flags) {
    case GA_PARENT: return (w->style & WS_CHILD) ? w->parent : nullptr;
    case GA_ROOT: return TopLevelOfLocked(hwnd);
    case GA_ROOTOWNER: {
        HWND h = TopLevelOfLocked(hwnd);
        for (int i = 0; h && i < 1000; i++) {
            auto x = FindWindowObjectLocked(h);
            if (!x || !x->ownerWnd) break;
            h = x->ownerWnd;
        }
        return h;
    }
    default: return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    if (!hwnd) {
        std::lock_guard<std::mutex> g(WindowLock());
        auto& order = TopLevelOrderLocked();
        return order.empty() ? nullptr : order.front();
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() { return nullptr; }

HWND GetDlgItem(HWND dialog, int id)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(dialog);
    if (!w) return nullptr;
    for (HWND h : w->children)
        if (auto c = FindWindowObjectLocked(h); c && c->id == id) return h;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) { return (int)GetWindowLongPtr(hwnd, GWLP_ID); }

static void CollectDescendantsLocked(const CWindow& w, std::vector<HWND>& out)
{
    for (HWND h : w.children) {
        out.push_back(h);
        if (auto c = FindWindowObjectLocked(h)) CollectDescendantsLocked(*c, out);
    }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> all;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(parent);
        if (!w || !proc) return FALSE;
        CollectDescendantsLocked(*w, all);
    }
    for (HWND h : all)
        if (IsWindow(h) && !proc(h, lParam)) return FALSE;
    return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> tops;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        tops = TopLevelOrderLocked();
    }
    for (HWND h : tops)
        if (IsWindow(h) && proc && !proc(h, lParam)) return FALSE;
    return TRUE;
}

// ---- Windows under a point ----

HWND WindowFromPoint(POINT pt)
{
    std::vector<HWND> skip;
    for (int i = 0; i < 64; i++) {
        HWND h;
        {
            std::lock_guard<std::mutex> g(WindowLock());
            h = WindowAtLocked(pt, skip);
        }
        if (!h) return nullptr;
        if ((int)SendMessage(h, WM_NCHITTEST, 0, MakePointParam(pt.x, pt.y)) != HTTRANSPARENT) return h;
        skip.push_back(h);
    }
    return nullptr;
}

HWND WindowUnderPointSkipping(POINT pt, const std::vector<HWND>& skip)
{
    std::lock_guard<std::mutex> g(WindowLock());
    return WindowAtLocked(pt, skip);
}

HWND PointerWindowSkipping(POINT pt, HWND top, const std::vector<HWND>& skip)
{
    std::lock_guard<std::mutex> g(WindowLock());
    if (top && std::find(skip.begin(), skip.end(), top) == skip.end()) {
        auto w = FindWindowObjectLocked(top);
        // The display knows which window the user sees there; ours may lag
        // behind a raise the desktop made, so it is asked only when the
        // window is gone or the point left it (a press's implicit grab).
        if (w && IsTopLevel(*w) && (w->style & WS_VISIBLE) && !w->destroying &&
            Contains(WindowScreenRectLocked(*w), pt)) {
            if (w->style & WS_DISABLED) return nullptr;
            return ChildAtLocked(*w, pt, skip);
        }
    }
    return WindowAtLocked(pt, skip);
}

POINT CascadePosition(HWND owner, int width, int height)
{
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    const POINT start{work.left + 100, work.top + 100};
    POINT base = start;
    std::vector<POINT> taken;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        if (owner)
            if (auto o = FindWindowObjectLocked(owner); o && !o->destroying) {
                const RECT r = WindowScreenRectLocked(*o);
                base = POINT{r.left + step, r.top + step};
            }
        for (HWND h : TopLevelOrderLocked()) {
            auto w = FindWindowObjectLocked(h);
            if (w && !w->destroying && !(w->style & WS_CHILD) && (w->style & WS_CAPTION) == WS_CAPTION) {
                taken.push_back(POINT{w->rect.left, w->rect.top});
                if (w->cascadePlace) taken.push_back(*w->cascadePlace);
            }
        }
    }
    auto free = [&](POINT p) {
        return std::none_of(taken.begin(), taken.end(), [&](POINT t) { return t.x == p.x && t.y == p.y; });
    };
    // Not past the work area's edges while a step back would do.
    auto fits = [&](POINT p) {
        return p.x + std::min(width, Width(work) / 2) <= work.right && p.y + std::min(height, Height(work) / 2) <= work.bottom;
    };
    POINT p = base;
    for (int i = 0; i < 64; i++) {
        if (!fits(p)) {
            if (base.x == start.x && base.y == start.y) break;
            base = p = start;
        }
        if (free(p)) return p;
        p = POINT{p.x + step, p.y + step};
    }
    return fits(p) ? p : start;
}

void MirrorTopLevelOrder(const std::vector<HWND>& topmostFirst)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::vector<HWND>& order = TopLevelOrderLocked();
    std::vector<size_t> slots;
    std::vector<HWND> listed;
    for (HWND h : topmostFirst)
        if (std::find(listed.begin(), listed.end(), h) == listed.end()) listed.push_back(h);
    for (size_t i = 0; i < order.size(); i++)
        if (std::find(listed.begin(), listed.end(), order[i]) != listed.end()) slots.push_back(i);
    // Windows the display named that we no longer have are left out.
    std::vector<HWND> known;
    for (HWND h : listed)
        if (std::find(order.begin(), order.end(), h) != order.end()) known.push_back(h);
    for (size_t i = 0; i < slots.size() && i < known.size(); i++) order[slots[i]] = known[i];
}

HWND ChildWindowFromPointEx(HWND parent, POINT pt, UINT flags)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(parent);
    if (!w) return nullptr;
    RECT c = ClientScreenRectLocked(*w);
    POINT s{pt.x + c.left, pt.y + c.top};
    RECT all = WindowScreenRectLocked(*w);
    if (!Contains(all, s)) return nullptr;
    for (HWND h : w->children) {
        auto x = FindWindowObjectLocked(h);
        if (!x) continue;
        if ((flags & CWP_SKIPINVISIBLE) && !(x->style & WS_VISIBLE)) continue;
        if ((flags & CWP_SKIPDISABLED) && (x->style & WS_DISABLED)) continue;
        if ((flags & CWP_SKIPTRANSPARENT) && (x->exStyle & WS_EX_TRANSPARENT)) continue;
        if (Contains(WindowScreenRectLocked(*x), s)) return h;
    }
    return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT pt) { return ChildWindowFromPointEx(parent, pt, CWP_ALL); }

BOOL AdjustWindowRectEx(RECT* r, DWORD style, BOOL menu, DWORD exStyle)
{
    if (!r) return FALSE;
    CNcLayout l = NcLayoutOf(style & ~(WS_VSCROLL | WS_HSCROLL), exStyle, (style & WS_CHILD) != 0, menu != 0, 1000, 1000);
    r->left -= l.client.left;
    r->top -= l.client.top;
    r->right += 1000 - l.client.right;
    r->bottom += 1000 - l.client.bottom;
    return TRUE;
}
