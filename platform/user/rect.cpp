// Rectangle arithmetic.
#include <algorithm>

#include "platform/user/geometry.h"


BOOL SetRect(RECT* r, int l, int t, int rt, int b)
{
    if (!r) return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}
BOOL SetRectEmpty(RECT* r) { return SetRect(r, 0, 0, 0, 0); }
BOOL CopyRect(RECT* d, const RECT* s)
{
    if (!d || !s) return FALSE;
    *d = *s;
    return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL PtInRect(const RECT* r, POINT p)
{
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL OffsetRect(RECT* r, int dx, int dy)
{
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy)
{
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL IntersectRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *d = RECT{};
        return FALSE;
    }
    *d = r;
    return TRUE;
}
BOOL UnionRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b) return FALSE;
    if (IsRectEmpty(a)) *d = IsRectEmpty(b) ? RECT{} : *b;
    else if (IsRectEmpty(b)) *d = *a;
    else *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return !IsRectEmpty(d);
}
BOOL EqualRect(const RECT* a, const RECT* b)
{
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
BOOL SubtractRect(RECT* d, const RECT* a, const RECT* b)
{
    if (!d || !a || !b) return FALSE;
    RECT r = *a, i;
    if (IntersectRect(&i, a, b)) {
        if (i.top <= r.top && i.bottom >= r.bottom) {
            if (i.left <= r.left) r.left = std::min(i.right, r.right);
            else if (i.right >= r.right) r.right = i.left;
        } else if (i.left <= r.left && i.right >= r.right) {
            if (i.top <= r.top) r.top = std::min(i.bottom, r.bottom);
            else if (i.bottom >= r.bottom) r.bottom = i.top;
        }
    }
    *d = r;
    return !IsRectEmpty(d);
}
