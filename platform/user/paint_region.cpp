// Update regions and the painting order.
#include "platform/user/window_internal.h"

#include <algorithm>

namespace {

void QueuePaintLocked(CThreadData& t, HWND hwnd)
{
    CMessageQueue& q = t.queue;
    if (!t.ended && std::find(q.paint.begin(), q.paint.end(), hwnd) == q.paint.end()) {
        q.paint.push_back(hwnd);
        q.changeBits |= QS_PAINT;
        t.wake.notify_one();
    }
}

void DropPaintLocked(CThreadData& t, HWND hwnd)
{
    auto& p = t.queue.paint;
    p.erase(std::remove(p.begin(), p.end(), hwnd), p.end());
}

}  // namespace

void InvalidateInternal(HWND hwnd, const RECT* rect, bool erase, bool frame)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return;
    std::vector<std::pair<HWND, RECT>> children;
    bool any;
    {
        std::lock_guard<std::mutex> tl(w->owner->lock);
        std::lock_guard<std::mutex> g(WindowLock());
        RECT all{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
        RECT r = all;
        if (rect) IntersectRect(&r, rect, &all);
        UnionRect(&w->update, &w->update, &r);
        if (!IsRectEmpty(&r)) w->erasePending = w->erasePending || erase;
        if (frame) w->ncPaint = true;
        any = !IsRectEmpty(&w->update) || w->ncPaint;
        if (any) QueuePaintLocked(*w->owner, hwnd);
        if (!IsRectEmpty(&r))
            for (HWND h : w->children) {
                auto c = FindWindowObjectLocked(h);
                if (!c || !(c->style & WS_VISIBLE)) continue;
                RECT i;
                if (!IntersectRect(&i, &r, &c->rect)) continue;
                // Into the child's client coordinates.
                OffsetRect(&i, -(c->rect.left + c->client.left), -(c->rect.top + c->client.top));
                children.push_back({h, i});
            }
    }
    for (auto& [h, r] : children) InvalidateInternal(h, &r, erase, true);
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    InvalidateInternal(hwnd, rect, erase != 0, false);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return FALSE;
    std::lock_guard<std::mutex> tl(w->owner->lock);
    std::lock_guard<std::mutex> g(WindowLock());
    if (!rect) {
        w->update = RECT{};
        w->erasePending = false;
        w->ncPaint = false;
    } else {
        RECT left;
        SubtractRect(&left, &w->update, rect);
        w->update = left;
        if (IsRectEmpty(&left)) w->erasePending = false;
    }
    if (IsRectEmpty(&w->update) && !w->ncPaint) DropPaintLocked(*w->owner, hwnd);
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->update;
    return !IsRectEmpty(&w->update);
}

bool TakeUpdateRegion(HWND hwnd, RECT* rect, bool* erase, bool* frame)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return false;
    std::lock_guard<std::mutex> tl(w->owner->lock);
    std::lock_guard<std::mutex> g(WindowLock());
    if (rect) *rect = w->update;
    if (erase) *erase = w->erasePending;
    if (frame) *frame = w->ncPaint;
    w->update = RECT{};
    w->erasePending = false;
    w->ncPaint = false;
    DropPaintLocked(*w->owner, hwnd);
    return true;
}

static bool NeedsPaint(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && (!IsRectEmpty(&w->update) || w->ncPaint);
}

static void UpdateTree(HWND hwnd)
{
    if (NeedsPaint(hwnd)) SendMessage(hwnd, WM_PAINT, 0, 0);
    std::vector<HWND> children;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return;
        children = w->children;
    }
    // Bottom of the z-order first, so windows above paint last.
    for (auto it = children.rbegin(); it != children.rend(); ++it) UpdateTree(*it);
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    UpdateTree(hwnd);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN, UINT flags)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    if (flags & RDW_INVALIDATE) InvalidateInternal(hwnd, rect, (flags & RDW_ERASE) != 0, (flags & RDW_FRAME) != 0);
    if (flags & RDW_VALIDATE) ValidateRect(hwnd, rect);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
    return TRUE;
}
