// Logical <-> device coordinates: the DC keeps device pixels and maps every
// point itself, in 64 bits, rounded to nearest (halves away from zero).
#include "platform/gdi/gdi_internal.h"
#include <cstdlib>

namespace {

long long RoundDiv(long long num, long long den)
{
    if (den == 0) return 0;
    if (den < 0) num = -num, den = -den;
    long long q = num / den, r = num % den;
    if (2 * std::llabs(r) >= den) q += num < 0 ? -1 : 1;
    return q;
}

LONG Clamp32(long long v) { return (LONG)std::clamp<long long>(v, INT32_MIN, INT32_MAX); }

// Device coordinates stay within 2^29 so that sums and differences of two
// never overflow; nothing drawable lies that far out.
LONG ClampDevice(long long v) { return (LONG)std::clamp<long long>(v, -(1LL << 29), 1LL << 29); }

bool Scaled(const CDcState& st) { return st.mapMode == MM_ISOTROPIC || st.mapMode == MM_ANISOTROPIC; }

void FixIsotropic(CDcState& st)
{
    if (st.mapMode != MM_ISOTROPIC || !st.winExt.cx || !st.winExt.cy || !st.vpExt.cx || !st.vpExt.cy) return;
    long long vx = std::llabs(st.vpExt.cx), vy = std::llabs(st.vpExt.cy);
    long long wx = std::llabs(st.winExt.cx), wy = std::llabs(st.winExt.cy);
    // The smaller scale wins on both axes; signs stay.
    if (vx * wy < vy * wx) {
        long long ny = RoundDiv(wy * vx, wx);
        st.vpExt.cy = Clamp32(st.vpExt.cy < 0 ? -ny : ny);
    } else if (vx * wy > vy * wx) {
        long long nx = RoundDiv(wx * vy, wy);
        st.vpExt.cx = Clamp32(st.vpExt.cx < 0 ? -nx : nx);
    }
}

}   // namespace

POINT MapToDevice(const CDcState& st, LONG x, LONG y)
{
    if (!Scaled(st)) return POINT{ClampDevice((long long)x - st.winOrg.x + st.vpOrg.x), ClampDevice((long long)y - st.winOrg.y + st.vpOrg.y)};
    long long dx = RoundDiv(((long long)x - st.winOrg.x) * st.vpExt.cx, st.winExt.cx) + st.vpOrg.x;
    long long dy = RoundDiv(((long long)y - st.winOrg.y) * st.vpExt.cy, st.winExt.cy) + st.vpOrg.y;
    return POINT{ClampDevice(dx), ClampDevice(dy)};
}

POINT MapToLogical(const CDcState& st, LONG x, LONG y)
{
    if (!Scaled(st)) return POINT{Clamp32((long long)x - st.vpOrg.x + st.winOrg.x), Clamp32((long long)y - st.vpOrg.y + st.winOrg.y)};
    long long lx = RoundDiv(((long long)x - st.vpOrg.x) * st.winExt.cx, st.vpExt.cx) + st.winOrg.x;
    long long ly = RoundDiv(((long long)y - st.vpOrg.y) * st.winExt.cy, st.vpExt.cy) + st.winOrg.y;
    return POINT{Clamp32(lx), Clamp32(ly)};
}

int ScaleX(const CDcState& st, long long v)
{
    if (!Scaled(st)) return (int)std::min<long long>(std::llabs(v), INT32_MAX);
    return (int)std::min<long long>(std::llabs(RoundDiv(v * st.vpExt.cx, st.winExt.cx)), INT32_MAX);
}

int ScaleY(const CDcState& st, long long v)
{
    if (!Scaled(st)) return (int)std::min<long long>(std::llabs(v), INT32_MAX);
    return (int)std::min<long long>(std::llabs(RoundDiv(v * st.vpExt.cy, st.winExt.cy)), INT32_MAX);
}

bool YFlipped(const CDcState& st) { return Scaled(st) && ((st.vpExt.cy < 0) != (st.winExt.cy < 0)); }

RECT MapRect(const CDcState& st, const RECT& r)
{
    POINT a = MapToDevice(st, r.left, r.top), b = MapToDevice(st, r.right, r.bottom);
    return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

#define WITH_DC(hdc, fail)                   \
    std::shared_ptr<CDc> dc = FindDc(hdc); \
    if (!dc) return fail;                    \
    CDcState& st = dc->st;

int SetMapMode(HDC hdc, int mode)
{
    WITH_DC(hdc, 0);
    if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return 0;
    int old = st.mapMode;
    st.mapMode = mode;
    if (mode == MM_TEXT) st.winExt = st.vpExt = SIZE{1, 1};
    FixIsotropic(st);
    return old;
}

int GetMapMode(HDC hdc)
{
    WITH_DC(hdc, 0);
    return st.mapMode;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.winOrg;
    st.winOrg = POINT{x, y};
    return TRUE;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.vpOrg;
    st.vpOrg = POINT{x, y};
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.vpOrg;
    st.vpOrg = POINT{Clamp32((long long)st.vpOrg.x + x), Clamp32((long long)st.vpOrg.y + y)};
    return TRUE;
}

BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.winOrg;
    st.winOrg = POINT{Clamp32((long long)st.winOrg.x + x), Clamp32((long long)st.winOrg.y + y)};
    return TRUE;
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.winExt;
    if (!Scaled(st)) return TRUE;   // fixed in MM_TEXT
    if (x == 0 || y == 0) return FALSE;
    st.winExt = SIZE{x, y};
    FixIsotropic(st);
    return TRUE;
}

BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.vpExt;
    if (!Scaled(st)) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    st.vpExt = SIZE{x, y};
    FixIsotropic(st);
    return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, POINT* p)
{
    WITH_DC(hdc, FALSE);
    if (p) *p = st.winOrg;
    return TRUE;
}

BOOL GetWindowExtEx(HDC hdc, SIZE* s)
{
    WITH_DC(hdc, FALSE);
    if (s) *s = st.winExt;
    return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, POINT* p)
{
    WITH_DC(hdc, FALSE);
    if (p) *p = st.vpOrg;
    return TRUE;
}

BOOL GetViewportExtEx(HDC hdc, SIZE* s)
{
    WITH_DC(hdc, FALSE);
    if (s) *s = st.vpExt;
    return TRUE;
}

BOOL LPtoDP(HDC hdc, POINT* points, int count)
{
    WITH_DC(hdc, FALSE);
    if (!points || count < 0) return FALSE;
    for (int i = 0; i < count; i++) points[i] = MapToDevice(st, points[i].x, points[i].y);
    return TRUE;
}

BOOL DPtoLP(HDC hdc, POINT* points, int count)
{
    WITH_DC(hdc, FALSE);
    if (!points || count < 0) return FALSE;
    for (int i = 0; i < count; i++) points[i] = MapToLogical(st, points[i].x, points[i].y);
    return TRUE;
}
