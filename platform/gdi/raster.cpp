// Exact pixel combination on raster targets: ROP2 and ROP3 as bitwise rules,
// brush sources (solid, hatch, pattern) aligned to the brush origin, masks
// rasterised without antialiasing, and the clip as pixel spans.
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/sys_colors.h"

uint32_t ApplyRop2(int code, uint32_t p, uint32_t d)
{
    // Bit (2 * pen + dest) of (code - 1) gives each result bit.
    unsigned m = (unsigned)(code - 1) & 15;
    uint32_t r = 0;
    if (m & 1) r |= ~p & ~d;
    if (m & 2) r |= ~p & d;
    if (m & 4) r |= p & ~d;
    if (m & 8) r |= p & d;
    return r & 0xFFFFFF;
}

uint32_t ApplyRop3(DWORD rop, uint32_t p, uint32_t s, uint32_t d)
{
    unsigned code = (rop >> 16) & 0xFF;
    uint32_t r = 0;
    for (int i = 0; i < 8; i++) {
        if (!(code & (1u << i))) continue;
        uint32_t term = (i & 4 ? p : ~p) & (i & 2 ? s : ~s) & (i & 1 ? d : ~d);
        r |= term;
    }
    return r & 0xFFFFFF;
}

bool IsRaster(const CDc& dc) { return dc.dcKind == DcKind::Surface || dc.dcKind == DcKind::Memory; }
bool IsVector(const CDc& dc)
{
    return (dc.dcKind == DcKind::Printer || dc.dcKind == DcKind::Preview || dc.dcKind == DcKind::Metafile) && dc.cr;
}

bool AcquireRaster(CDc& dc, CRaster& r)
{
    if (dc.dcKind == DcKind::Surface) {
        if (!dc.surface || (dc.tagAlive && !dc.tagAlive(dc.tag))) return false;
        r.lock = std::unique_lock<std::mutex>(dc.surface->lock);
        CSurface& s = *dc.surface;
        if (!s.alive) return false;
        r.px = s.pixels.data();
        r.stride = s.width;
        r.ox = dc.offset.x;
        r.oy = dc.offset.y;
        r.area = RECT{std::max(0, -r.ox), std::max(0, -r.oy), std::min((int)dc.size.cx, s.width - r.ox),
                      std::min((int)dc.size.cy, s.height - r.oy)};
        return r.area.left < r.area.right && r.area.top < r.area.bottom;
    }
    if (dc.dcKind == DcKind::Memory && dc.st.bitmap) {
        CBitmapData& d = *dc.st.bitmap->data;
        r.px = d.pixels.data();
        r.stride = d.width;
        r.area = RECT{0, 0, d.width, d.height};
        r.mono = d.bpp == 1;
        return true;
    }
    return false;
}

void TouchDevice(CDc& dc, const RECT& d)
{
    if (dc.dcKind != DcKind::Surface || d.left >= d.right || d.top >= d.bottom) return;
    RECT s{d.left + dc.offset.x, d.top + dc.offset.y, d.right + dc.offset.x, d.bottom + dc.offset.y};
    if (dc.dirty.left >= dc.dirty.right || dc.dirty.top >= dc.dirty.bottom) {
        dc.dirty = s;
        return;
    }
    dc.dirty.left = std::min(dc.dirty.left, s.left);
    dc.dirty.top = std::min(dc.dirty.top, s.top);
    dc.dirty.right = std::max(dc.dirty.right, s.right);
    dc.dirty.bottom = std::max(dc.dirty.bottom, s.bottom);
}

bool HatchBit(int hatch, int px, int py)
{
    switch (hatch) {
    case HS_HORIZONTAL: return py == 0;
    case HS_VERTICAL: return px == 0;
    case HS_FDIAGONAL: return px == py;
    case HS_BDIAGONAL: return px + py == 7;
    case HS_CROSS: return px == 0 || py == 0;
    case HS_DIAGCROSS: return px == py || px + py == 7;
    default: return false;
    }
}

static int Mod(int v, int m) { return ((v % m) + m) % m; }

bool CSource::At(int x, int y, uint32_t* out) const
{
    switch (kind) {
    case 0: *out = color; return true;
    case 1:
        if (HatchBit(hatch, Mod(x - org.x, 8), Mod(y - org.y, 8))) {
            *out = color;
            return true;
        }
        if (!opaque) return false;
        *out = bk;
        return true;
    case 2: {
        if (!pattern || pattern->width <= 0 || pattern->height <= 0) return false;
        uint32_t p = pattern->pixels[(size_t)Mod(y - org.y, pattern->height) * pattern->width +
                                     Mod(x - org.x, pattern->width)];
        if (pattern->bpp == 1) p = (p & 0xFFFFFF) ? bk : text;   // 1 bits: background, 0 bits: text
        *out = p & 0xFFFFFF;
        return true;
    }
    default: return false;
    }
}

COLORREF BrushColor(const CDc& dc, const CBrush& b)
{
    if (b.sysColor >= 0) return GetSysColor(b.sysColor);
    if (b.dcBrush) return dc.st.dcBrush;
    return b.color;
}

COLORREF PenColor(const CDc& dc, const CPen& p) { return p.dcPen ? dc.st.dcPen : p.color; }

CSource SolidSource(uint32_t pixel)
{
    CSource s;
    s.color = pixel;
    return s;
}

CSource BrushSource(const CDc& dc, const std::shared_ptr<CBrush>& b)
{
    CSource s;
    if (!b || b->style == BS_NULL) {
        s.kind = 3;
        return s;
    }
    s.color = ToPixel(BrushColor(dc, *b));
    s.bk = ToPixel(dc.st.bk);
    s.text = ToPixel(dc.st.text);
    s.opaque = dc.st.bkMode == OPAQUE;
    s.org = dc.st.brushOrg;
    if (b->style == BS_HATCHED) {
        s.kind = 1;
        s.hatch = b->hatch;
    } else if (b->style == BS_PATTERN) {
        s.kind = 2;
        s.pattern = b->pattern;
    }
    return s;
}

namespace {

inline void Combine(uint32_t& d, uint32_t p, int rop2, bool mono)
{
    if (mono) p = Mono(p);
    d = (d & 0xFF000000u) | ApplyRop2(rop2, p, d);
}

inline void Blend(uint32_t& d, uint32_t p, unsigned a, bool mono)
{
    if (mono) {
        if (a >= 128) d = (d & 0xFF000000u) | Mono(p);
        return;
    }
    uint32_t out = d & 0xFF000000u;
    for (int sh = 0; sh < 24; sh += 8) {
        unsigned pc = (p >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
        out |= ((pc * a + dc * (255 - a) + 127) / 255) << sh;
    }
    d = out;
}

}   // namespace

void ApplyMask(CDc& dc, CRaster& r, const uint8_t* mask, int stride, int mx, int my, int mw, int mh,
               const CSource& src, int rop2, bool blend)
{
    if (src.kind == 3 || rop2 == R2_NOP) return;
    RECT touched{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = my; y < my + mh; y++) {
        const uint8_t* row = mask + (size_t)(y - my) * stride;
        uint32_t* dest = r.px + (size_t)(y + r.oy) * r.stride + r.ox;
        ForEachSpan(dc, r, y, mx, mx + mw, [&](int x0, int x1) {
            for (int x = x0; x < x1; x++) {
                unsigned a = row[x - mx];
                if (blend ? a == 0 : a < 128) continue;
                uint32_t p;
                if (!src.At(x, y, &p)) continue;
                if (blend && a < 255)
                    Blend(dest[x], p, a, r.mono);
                else
                    Combine(dest[x], p, rop2, r.mono);
                touched.left = std::min(touched.left, (LONG)x);
                touched.right = std::max(touched.right, (LONG)x + 1);
                touched.top = std::min(touched.top, (LONG)y);
                touched.bottom = std::max(touched.bottom, (LONG)y + 1);
            }
        });
    }
    TouchDevice(dc, touched);
}

void FillDeviceRect(CDc& dc, CRaster& r, RECT rc, const CSource& src, int rop2)
{
    if (src.kind == 3 || rop2 == R2_NOP) return;
    rc.left = std::max(rc.left, r.area.left);
    rc.top = std::max(rc.top, r.area.top);
    rc.right = std::min(rc.right, r.area.right);
    rc.bottom = std::min(rc.bottom, r.area.bottom);
    if (rc.left >= rc.right || rc.top >= rc.bottom) return;
    // A solid copy is a plain store: windows fill their backgrounds this way
    // on every paint.
    const bool store = src.kind == 0 && rop2 == R2_COPYPEN;
    const uint32_t solid = (r.mono ? Mono(src.color) : src.color) & 0xFFFFFF;
    for (int y = rc.top; y < rc.bottom; y++) {
        uint32_t* dest = r.px + (size_t)(y + r.oy) * r.stride + r.ox;
        ForEachSpan(dc, r, y, rc.left, rc.right, [&](int x0, int x1) {
            if (store) {
                for (int x = x0; x < x1; x++) dest[x] = (dest[x] & 0xFF000000u) | solid;
                return;
            }
            for (int x = x0; x < x1; x++) {
                uint32_t p;
                if (src.At(x, y, &p)) Combine(dest[x], p, rop2, r.mono);
            }
        });
    }
    TouchDevice(dc, rc);
}

void PlotPixel(CDc& dc, CRaster& r, int x, int y, uint32_t color, int rop2)
{
    if (x < r.area.left || x >= r.area.right || y < r.area.top || y >= r.area.bottom) return;
    if (dc.st.clip && !dc.st.clip->Contains(x, y)) return;
    Combine(r.px[(size_t)(y + r.oy) * r.stride + r.ox + x], color, rop2, r.mono);
}

void PlotRow(CDc& dc, CRaster& r, int y, int x0, int x1, uint32_t color, int rop2)
{
    ForEachSpan(dc, r, y, x0, x1, [&](int a, int e) {
        uint32_t* row = r.px + (size_t)(y + r.oy) * r.stride + r.ox;
        for (int x = a; x < e; ++x) Combine(row[x], color, rop2, r.mono);
    });
}

void ClipVector(CDc& dc)
{
    cairo_reset_clip(dc.cr);
    if (!dc.st.clip) return;
    cairo_new_path(dc.cr);
    for (const CRegion::Band& b : dc.st.clip->Bands())
        for (size_t i = 0; i + 1 < b.xs.size(); i += 2)
            cairo_rectangle(dc.cr, b.xs[i], b.top, b.xs[i + 1] - b.xs[i], b.bottom - b.top);
    cairo_clip(dc.cr);
}

namespace {

void SetRgb(cairo_t* cr, uint32_t p)
{
    cairo_set_source_rgb(cr, ((p >> 16) & 0xFF) / 255.0, ((p >> 8) & 0xFF) / 255.0, (p & 0xFF) / 255.0);
}

}   // namespace

void SetVectorSource(CDc& dc, const CSource& src)
{
    if (src.kind == 0 || src.kind == 3) {
        SetRgb(dc.cr, src.color);
        return;
    }
    int w = 8, h = 8;
    if (src.kind == 2 && src.pattern) w = src.pattern->width, h = src.pattern->height;
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    uint32_t* px = (uint32_t*)cairo_image_surface_get_data(tile);
    int stride = cairo_image_surface_get_stride(tile) / 4;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint32_t p;
            CSource at = src;
            at.org = POINT{0, 0};
            px[y * stride + x] = at.At(x, y, &p) ? 0xFF000000u | p : 0;
        }
    cairo_surface_mark_dirty(tile);
    cairo_pattern_t* pat = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, -src.org.x, -src.org.y);
    cairo_pattern_set_matrix(pat, &m);
    cairo_set_source(dc.cr, pat);
    cairo_pattern_destroy(pat);
    cairo_surface_destroy(tile);
}
