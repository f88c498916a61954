// PatBlt, BitBlt and StretchBlt: any ROP3 on raster targets, bit (4P + 2S + D)
// of rop >> 16; monochrome sources map 1 bits to the background colour and
// 0 bits to the text colour; HALFTONE stretches average the source box.
#include "platform/gdi/gdi_internal.h"
#include <cmath>

namespace {

bool UsesSource(DWORD rop) { return ((((rop >> 16) ^ (rop >> 18)) & 0x33) != 0); }
bool UsesPattern(DWORD rop) { return ((((rop >> 16) ^ (rop >> 20)) & 0x0F) != 0); }

const char* RopName(DWORD rop)
{
    switch (rop) {
    case SRCCOPY: return "SRCCOPY";
    case SRCPAINT: return "SRCPAINT";
    case SRCAND: return "SRCAND";
    case SRCINVERT: return "SRCINVERT";
    case NOTSRCCOPY: return "NOTSRCCOPY";
    case PATCOPY: return "PATCOPY";
    case PATINVERT: return "PATINVERT";
    case DSTINVERT: return "DSTINVERT";
    case BLACKNESS: return "BLACKNESS";
    case WHITENESS: return "WHITENESS";
    default: return nullptr;
    }
}

std::string RopText(DWORD rop)
{
    if (const char* n = RopName(rop)) return n;
    char buf[16];
    snprintf(buf, sizeof buf, "%08x", (unsigned)rop);
    return buf;
}

// The source pixels of a device rectangle, as the destination sees them.
struct SourceImage {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    bool mono = false;
};

bool ReadSource(CDc& src, RECT r, SourceImage& out)
{
    // A source larger than any bitmap could be is refused, not allocated.
    if ((long long)(r.right - r.left) * (r.bottom - r.top) > (1LL << 28)) return false;
    CRaster rs;
    if (!AcquireRaster(src, rs)) return false;
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;
    out.mono = rs.mono;
    out.px.assign((size_t)out.width * out.height, 0);
    // Outside the source reads as black (nothing there): each row copies the
    // part that lies in the source's area.
    const int x0 = std::max(r.left, rs.area.left), x1 = std::min(r.right, rs.area.right);
    const int y0 = std::max(r.top, rs.area.top), y1 = std::min(r.bottom, rs.area.bottom);
    if (x0 >= x1) return true;
    for (int sy = y0; sy < y1; sy++) {
        const uint32_t* from = rs.px + (size_t)(sy + rs.oy) * rs.stride + rs.ox + x0;
        uint32_t* to = &out.px[(size_t)(sy - r.top) * out.width + (x0 - r.left)];
        for (int k = 0; k < x1 - x0; k++) to[k] = from[k] & 0xFFFFFF;
    }
    return true;
}

uint32_t Sample(const SourceImage& s, int stretchMode, double x0, double y0, double x1, double y1)
{
    if (stretchMode != HALFTONE || (std::fabs(x1 - x0) <= 1 && std::fabs(y1 - y0) <= 1)) {
        int x = std::clamp((int)std::floor((x0 + x1) / 2), 0, s.width - 1);
        int y = std::clamp((int)std::floor((y0 + y1) / 2), 0, s.height - 1);
        return s.px[(size_t)y * s.width + x];
    }
    int ax = std::clamp((int)std::floor(std::min(x0, x1)), 0, s.width - 1);
    int bx = std::clamp((int)std::ceil(std::max(x0, x1)), ax + 1, s.width);
    int ay = std::clamp((int)std::floor(std::min(y0, y1)), 0, s.height - 1);
    int by = std::clamp((int)std::ceil(std::max(y0, y1)), ay + 1, s.height);
    unsigned long long sum[3] = {0, 0, 0}, n = 0;
    for (int y = ay; y < by; y++)
        for (int x = ax; x < bx; x++, n++) {
            uint32_t p = s.px[(size_t)y * s.width + x];
            sum[0] += p & 0xFF, sum[1] += (p >> 8) & 0xFF, sum[2] += (p >> 16) & 0xFF;
        }
    return (uint32_t)((sum[0] + n / 2) / n) | (uint32_t)((sum[1] + n / 2) / n) << 8 | (uint32_t)((sum[2] + n / 2) / n) << 16;
}

BOOL Blit(HDC hdest, int x, int y, int w, int h, HDC hsrc, int sx, int sy, int sw, int sh, DWORD rop, bool stretch)
{
    std::shared_ptr<CDc> dc = FindDc(hdest);
    if (!dc) return FALSE;
    bool useSrc = UsesSource(rop);
    std::shared_ptr<CDc> src = useSrc ? FindDc(hsrc) : nullptr;
    if (useSrc && !src) return FALSE;
    auto end = [](int v, int d) { return (LONG)std::clamp<long long>((long long)v + d, INT32_MIN, INT32_MAX); };
    POINT a = MapToDevice(dc->st, x, y), b = MapToDevice(dc->st, end(x, w), end(y, h));
    RECT d{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    bool flipX = b.x < a.x, flipY = b.y < a.y;
    RECT s{0, 0, 0, 0};
    if (src) {
        // The source extent is the source's own logical size; unequal device sizes stretch.
        POINT sa = MapToDevice(src->st, sx, sy), sb = MapToDevice(src->st, end(sx, sw), end(sy, sh));
        if (sb.x < sa.x) flipX = !flipX;
        if (sb.y < sa.y) flipY = !flipY;
        s = RECT{std::min(sa.x, sb.x), std::min(sa.y, sb.y), std::max(sa.x, sb.x), std::max(sa.y, sb.y)};
    }
    if (dc->dcKind == DcKind::Recording || dc->logsToo) {
        std::string line = std::string(stretch ? "StretchBlt " : useSrc ? "BitBlt " : "PatBlt ") + RectText(d);
        if (useSrc) line += " from " + RectText(s);
        Record(*dc, line + " " + RopText(rop));
        if (dc->dcKind == DcKind::Recording) return TRUE;
    }
    if (d.left >= d.right || d.top >= d.bottom) return TRUE;
    SourceImage img;
    if (useSrc && (s.left >= s.right || s.top >= s.bottom || !ReadSource(*src, s, img))) return useSrc ? FALSE : TRUE;
    uint32_t srcBk = src ? ToPixel(src->st.bk) : 0;
    CSource pat = UsesPattern(rop) ? BrushSource(*dc, dc->st.brush) : SolidSource(0);
    if (IsVector(*dc)) {
        // Vector pages draw what a copy would show.
        cairo_t* cr = dc->cr;
        cairo_save(cr);
        ClipVector(*dc);
        if (useSrc) {
            cairo_surface_t* is = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.width, img.height);
            uint32_t* ip = (uint32_t*)cairo_image_surface_get_data(is);
            int istride = cairo_image_surface_get_stride(is) / 4;
            for (int yy = 0; yy < img.height; yy++)
                for (int xx = 0; xx < img.width; xx++) {
                    uint32_t p = img.px[(size_t)yy * img.width + xx];
                    if (img.mono) p = p ? ToPixel(dc->st.bk) : ToPixel(dc->st.text);
                    ip[yy * istride + xx] = p;
                }
            cairo_surface_mark_dirty(is);
            cairo_translate(cr, flipX ? d.right : d.left, flipY ? d.bottom : d.top);
            cairo_scale(cr, (flipX ? -1.0 : 1.0) * (d.right - d.left) / img.width,
                        (flipY ? -1.0 : 1.0) * (d.bottom - d.top) / img.height);
            cairo_set_source_surface(cr, is, 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr),
                                     dc->st.stretchMode == HALFTONE ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
            cairo_paint(cr);
            cairo_surface_destroy(is);
        } else {
            if (rop == BLACKNESS || rop == WHITENESS)
                SetVectorSource(*dc, SolidSource(rop == WHITENESS ? 0xFFFFFF : 0));
            else
                SetVectorSource(*dc, pat);
            if (rop != DSTINVERT && pat.kind != 3) {
                cairo_rectangle(cr, d.left, d.top, d.right - d.left, d.bottom - d.top);
                cairo_fill(cr);
            }
        }
        cairo_restore(cr);
        return TRUE;
    }
    CRaster r;
    if (!AcquireRaster(*dc, r)) return FALSE;
    int dw = d.right - d.left, dh = d.bottom - d.top;
    uint32_t text = ToPixel(dc->st.text), bk = ToPixel(dc->st.bk);
    RECT touched = d;
    if (rop == SRCCOPY && img.width == dw && img.height == dh && !flipX && !flipY && !img.mono && !r.mono) {
        // A plain copy, as windows show their buffered paints: the source's
        // rows through the clip's spans.
        for (int yy = std::max(d.top, r.area.top); yy < std::min(d.bottom, r.area.bottom); yy++) {
            uint32_t* dest = r.px + (size_t)(yy + r.oy) * r.stride + r.ox;
            const uint32_t* row = &img.px[(size_t)(yy - d.top) * img.width];
            ForEachSpan(*dc, r, yy, d.left, d.right, [&](int x0, int x1) {
                for (int xx = x0; xx < x1; xx++) dest[xx] = (dest[xx] & 0xFF000000u) | row[xx - d.left];
            });
        }
        TouchDevice(*dc, touched);
        return TRUE;
    }
    for (int yy = std::max(d.top, r.area.top); yy < std::min(d.bottom, r.area.bottom); yy++) {
        uint32_t* dest = r.px + (size_t)(yy + r.oy) * r.stride + r.ox;
        ForEachSpan(*dc, r, yy, d.left, d.right, [&](int x0, int x1) {
            for (int xx = x0; xx < x1; xx++) {
                uint32_t p = 0, sp = 0;
                if (UsesPattern(rop) && !pat.At(xx, yy, &p)) continue;
                if (useSrc) {
                    int ix = flipX ? d.right - 1 - xx : xx - d.left, iy = flipY ? d.bottom - 1 - yy : yy - d.top;
                    if (img.width == dw && img.height == dh)
                        sp = img.px[(size_t)iy * img.width + ix];
                    else {
                        double fx = (double)img.width / dw, fy = (double)img.height / dh;
                        sp = Sample(img, dc->st.stretchMode, ix * fx, iy * fy, (ix + 1) * fx, (iy + 1) * fy);
                    }
                    if (img.mono && !r.mono)
                        sp = sp ? bk : text;
                    else if (!img.mono && r.mono)
                        sp = sp == srcBk ? 0xFFFFFF : 0;
                }
                if (r.mono) p = Mono(p);
                dest[xx] = (dest[xx] & 0xFF000000u) | ApplyRop3(rop, p, sp, dest[xx]);
            }
        });
    }
    TouchDevice(*dc, touched);
    return TRUE;
}

}   // namespace

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop)
{
    if (UsesSource(rop)) return FALSE;
    return Blit(hdc, x, y, width, height, nullptr, 0, 0, 0, 0, rop, false);
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop)
{
    return Blit(dest, x, y, width, height, src, sx, sy, width, height, rop, false);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh, DWORD rop)
{
    return Blit(dest, x, y, width, height, src, sx, sy, sw, sh, rop, true);
}
