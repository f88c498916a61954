// The pixels of a window that are its own: clipped by its ancestors,
// siblings above it (WS_CLIPSIBLINGS) and its children (WS_CLIPCHILDREN).
#include "platform/user/geometry.h"
#include "platform/user/window.h"
#include "platform/user/window_internal.h"

namespace {

void SubtractFrom(std::vector<RECT>& region, const RECT& cut)
{
    std::vector<RECT> out;
    for (const RECT& r : region) {
        RECT i;
        if (!IntersectRect(&i, &r, &cut)) {
            out.push_back(r);
            continue;
        }
        if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
        if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
        if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
        if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
    }
    region.swap(out);
}

void IntersectWith(std::vector<RECT>& region, const RECT& keep)
{
    std::vector<RECT> out;
    for (const RECT& r : region) {
        RECT i;
        if (IntersectRect(&i, &r, &keep)) out.push_back(i);
    }
    region.swap(out);
}

// Cuts out the visible siblings above `w` in its parent.
void CutSiblingsAboveLocked(std::vector<RECT>& region, const CWindow& w)
{
    if (!(w.style & WS_CLIPSIBLINGS) || !(w.style & WS_CHILD) || !w.parent) return;
    auto p = FindWindowObjectLocked(w.parent);
    if (!p) return;
    for (HWND s : p->children) {
        if (s == w.handle) break;
        auto sw = FindWindowObjectLocked(s);
        if (sw && (sw->style & WS_VISIBLE)) SubtractFrom(region, WindowScreenRectLocked(*sw));
    }
}

}  // namespace

bool WindowVisibleRects(HWND hwnd, bool client, std::vector<RECT>* out)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w || !out) return false;
    RECT base = client ? ClientScreenRectLocked(*w) : WindowScreenRectLocked(*w);
    std::vector<RECT> region{base};
    CutSiblingsAboveLocked(region, *w);
    std::shared_ptr<CWindow> a = w;
    for (int depth = 0; a && (a->style & WS_CHILD) && a->parent && depth < 1000; depth++) {
        // A hidden child, or a child of a hidden child (a page of a sheet
        // that is not shown), has no pixels of its own.
        if (!(a->style & WS_VISIBLE)) region.clear();
        std::shared_ptr<CWindow> p = FindWindowObjectLocked(a->parent);
        if (!p) break;
        IntersectWith(region, ClientScreenRectLocked(*p));
        CutSiblingsAboveLocked(region, *p);
        a = p;
    }
    if (client && (w->style & WS_CLIPCHILDREN))
        for (HWND c : w->children) {
            auto cw = FindWindowObjectLocked(c);
            if (cw && (cw->style & WS_VISIBLE)) SubtractFrom(region, WindowScreenRectLocked(*cw));
        }
    out->clear();
    for (RECT r : region) {
        OffsetRect(&r, -base.left, -base.top);
        out->push_back(r);
    }
    return true;
}
