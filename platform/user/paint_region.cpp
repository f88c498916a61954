// Update regions and the painting order.
#include "platform/gdi/gdi.h"
#include "platform/gdi/region.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/window_internal.h"

#include <algorithm>

namespace {

void QueuePaintLocked(CThreadData& t, HWND hwnd)
{
    CMessageQueue& q = QueueOf(t);
    if (!t.ended && std::find(q.paint.begin(), q.paint.end(), hwnd) == q.paint.end()) {
        q.paint.push_back(hwnd);
        q.changeBits |= QS_PAINT;
        t.wake.notify_one();
    }
}

void DropPaintLocked(CThreadData& t, HWND hwnd)
{
    auto& p = QueueOf(t).paint;
    p.erase(std::remove(p.begin(), p.end(), hwnd), p.end());
}

}  // namespace

namespace {

// Adds a region (client coordinates, clipped to the client area) to the
// window's update region, and the parts over children to theirs.
void InvalidateRegion(HWND hwnd, const CRegion* region, bool erase, bool frame)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return;
    std::vector<std::pair<HWND, CRegion>> children;
    {
        std::lock_guard<std::mutex> tl(w->owner->lock);
        std::lock_guard<std::mutex> g(WindowLock());
        CRegion all = CRegion::FromRect(RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top});
        CRegion r = region ? CRegion::Combine(*region, all, RGN_AND) : all;
        w->update = CRegion::Combine(w->update, r, RGN_OR);
        if (!r.Empty()) w->erasePending = w->erasePending || erase;
        if (frame) w->ncPaint = true;
        if (!w->update.Empty() || w->ncPaint) QueuePaintLocked(*w->owner, hwnd);
        if (!r.Empty())
            for (HWND h : w->children) {
                auto c = FindWindowObjectLocked(h);
                if (!c || !(c->style & WS_VISIBLE)) continue;
                CRegion i = CRegion::Combine(r, CRegion::FromRect(c->rect), RGN_AND);
                if (i.Empty()) continue;
                // Into the child's client coordinates.
                i.Offset(-(c->rect.left + c->client.left), -(c->rect.top + c->client.top));
                children.push_back({h, std::move(i)});
            }
    }
    for (auto& [h, r] : children) InvalidateRegion(h, &r, erase, true);
}

void ValidateRegion(HWND hwnd, const CRegion* region)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return;
    std::lock_guard<std::mutex> tl(w->owner->lock);
    std::lock_guard<std::mutex> g(WindowLock());
    if (!region) {
        w->update = CRegion();
        w->erasePending = false;
        w->ncPaint = false;
    } else {
        w->update = CRegion::Combine(w->update, *region, RGN_DIFF);
        if (w->update.Empty()) w->erasePending = false;
    }
    if (w->update.Empty() && !w->ncPaint) DropPaintLocked(*w->owner, hwnd);
}

}  // namespace

void InvalidateInternal(HWND hwnd, const RECT* rect, bool erase, bool frame)
{
    if (rect) {
        CRegion r = CRegion::FromRect(*rect);
        InvalidateRegion(hwnd, &r, erase, frame);
    } else {
        InvalidateRegion(hwnd, nullptr, erase, frame);
    }
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    if (!region) {
        InvalidateRegion(hwnd, nullptr, erase != 0, false);
        return TRUE;
    }
    CRegion r;
    if (!GetRegionOf(region, &r)) return FALSE;
    InvalidateRegion(hwnd, &r, erase != 0, false);
    return TRUE;
}

BOOL ValidateRgn(HWND hwnd, HRGN region)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    if (!region) {
        ValidateRegion(hwnd, nullptr);
        return TRUE;
    }
    CRegion r;
    if (!GetRegionOf(region, &r)) return FALSE;
    ValidateRegion(hwnd, &r);
    return TRUE;
}

int GetUpdateRgn(HWND hwnd, HRGN region, BOOL)
{
    if (GetObjectType(region) != OBJ_REGION) return ERROR;
    CRegion update;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return ERROR;
        update = w->update;
    }
    SetRegionOf(region, update);
    return update.Type();
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    InvalidateInternal(hwnd, rect, erase != 0, false);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    if (!FindWindowOrFail(hwnd)) return FALSE;
    if (rect) {
        CRegion r = CRegion::FromRect(*rect);
        ValidateRegion(hwnd, &r);
    } else {
        ValidateRegion(hwnd, nullptr);
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->update.Empty() ? RECT{0, 0, 0, 0} : w->update.Box();
    return !w->update.Empty();
}

bool TakeUpdateRegion(HWND hwnd, RECT* rect, bool* erase, bool* frame)
{
    CRegion r;
    if (!TakeUpdateRegionEx(hwnd, &r, erase, frame)) return false;
    if (rect) *rect = r.Empty() ? RECT{0, 0, 0, 0} : r.Box();
    return true;
}

bool TakeUpdateRegionEx(HWND hwnd, CRegion* region, bool* erase, bool* frame)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return false;
    std::lock_guard<std::mutex> tl(w->owner->lock);
    std::lock_guard<std::mutex> g(WindowLock());
    if (region) *region = w->update;
    if (erase) *erase = w->erasePending;
    if (frame) *frame = w->ncPaint;
    w->update = CRegion();
    w->erasePending = false;
    w->ncPaint = false;
    DropPaintLocked(*w->owner, hwnd);
    return true;
}

static bool NeedsPaint(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && (!w->update.Empty() || w->ncPaint);
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
