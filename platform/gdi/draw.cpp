// Lines, polygons, rectangles, ellipses and fills with GDI's pixel rules:
// lines leave out their last pixel, shapes their right and bottom edges.
#include "platform/gdi/gdi_internal.h"
#include <cmath>

namespace {

// Recording DCs only log; a metafile made on one logs and draws.
bool Logging(const CDc& dc) { return dc.dcKind == DcKind::Recording || dc.logsToo; }
bool DrawsPixels(const CDc& dc) { return dc.dcKind != DcKind::Recording; }

std::vector<POINT> MapPoints(const CDcState& st, const POINT* pts, int count)
{
    std::vector<POINT> out((size_t)count);
    for (int i = 0; i < count; i++) out[i] = MapToDevice(st, pts[i].x, pts[i].y);
    return out;
}

void FillRegionRaster(CDc& dc, CRaster& r, const CRegion& rgn, const CSource& src, int rop2)
{
    for (const CRegion::Band& b : rgn.Bands())
        for (size_t i = 0; i + 1 < b.xs.size(); i += 2)
            FillDeviceRect(dc, r, RECT{b.xs[i], b.top, b.xs[i + 1], b.bottom}, src, rop2);
}

// Fills a device rectangle with the brush through `rop2` on any target.
void FillRectAny(CDc& dc, const RECT& rc, const CSource& src, int rop2)
{
    if (rc.left >= rc.right || rc.top >= rc.bottom || src.kind == 3) return;
    if (IsRaster(dc)) {
        CRaster r;
        if (AcquireRaster(dc, r)) FillDeviceRect(dc, r, rc, src, rop2);
    } else if (IsVector(dc)) {
        cairo_save(dc.cr);
        ClipVector(dc);
        SetVectorSource(dc, src);
        cairo_rectangle(dc.cr, rc.left, rc.top, (double)rc.right - rc.left, (double)rc.bottom - rc.top);
        cairo_fill(dc.cr);
        cairo_restore(dc.cr);
    }
}

// A flattened outline of a cairo path, rounded to pixels, for hairline pens.
template <class F>
std::vector<POINT> FlattenPath(F build)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* c = cairo_create(s);
    cairo_set_tolerance(c, 0.25);
    build(c);
    cairo_path_t* path = cairo_copy_path_flat(c);
    std::vector<POINT> pts;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& d = path->data[i];
        if (d.header.type == CAIRO_PATH_MOVE_TO || d.header.type == CAIRO_PATH_LINE_TO) {
            const cairo_path_data_t& q = path->data[i + 1];
            POINT p{(LONG)std::lround(q.point.x - 0.5), (LONG)std::lround(q.point.y - 0.5)};
            if (pts.empty() || pts.back().x != p.x || pts.back().y != p.y) pts.push_back(p);
        }
    }
    cairo_path_destroy(path);
    cairo_destroy(c);
    cairo_surface_destroy(s);
    if (pts.size() > 1 && pts.front().x == pts.back().x && pts.front().y == pts.back().y) pts.pop_back();
    return pts;
}

// Fills the interior of a closed shape given as a cairo path, then strokes
// the outline points with the pen.
template <class F>
void Shape(CDc& dc, RECT box, const std::vector<POINT>& outline, cairo_fill_rule_t rule, F path)
{
    CSource src = BrushSource(dc, dc.st.brush);
    if (src.kind != 3) {
        if (IsRaster(dc)) {
            CRaster r;
            if (AcquireRaster(dc, r)) FillPathRaster(dc, r, box, rule, src, dc.st.rop2, [&](cairo_t* c) {
                    path(c);
                    cairo_fill(c);
                });
        } else if (IsVector(dc)) {
            cairo_save(dc.cr);
            ClipVector(dc);
            SetVectorSource(dc, src);
            cairo_set_fill_rule(dc.cr, rule);
            path(dc.cr);
            cairo_fill(dc.cr);
            cairo_restore(dc.cr);
        }
    }
    StrokePolyline(dc, outline, true);
}

void EllipsePath(cairo_t* c, double l, double t, double r, double b)
{
    cairo_new_path(c);
    if (r <= l || b <= t) return;
    cairo_save(c);
    cairo_translate(c, (l + r) / 2, (t + b) / 2);
    cairo_scale(c, (r - l) / 2, (b - t) / 2);
    cairo_arc(c, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(c);
    cairo_close_path(c);
}

void RoundRectPath(cairo_t* c, double l, double t, double r, double b, double rx, double ry)
{
    cairo_new_path(c);
    if (r <= l || b <= t) return;
    rx = std::min(rx, (r - l) / 2);
    ry = std::min(ry, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(c, l, t, r - l, b - t);
        return;
    }
    auto corner = [&](double cx, double cy, double a0) {
        cairo_save(c);
        cairo_translate(c, cx, cy);
        cairo_scale(c, rx, ry);
        cairo_arc(c, 0, 0, 1, a0, a0 + M_PI / 2);
        cairo_restore(c);
    };
    corner(r - rx, t + ry, -M_PI / 2);
    corner(r - rx, b - ry, 0);
    corner(l + rx, b - ry, M_PI / 2);
    corner(l + rx, t + ry, M_PI);
    cairo_close_path(c);
}

bool HasPen(const CDc& dc) { return dc.st.pen && dc.st.pen->style != PS_NULL; }

}   // namespace

BOOL LineTo(HDC hdc, int x, int y)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    std::vector<POINT> pts{MapToDevice(dc->st, dc->st.cur.x, dc->st.cur.y), MapToDevice(dc->st, x, y)};
    dc->st.cur = POINT{x, y};
    if (Logging(*dc))
        Record(*dc, "LineTo " + PointsText(pts));
    if (DrawsPixels(*dc))
        StrokePolyline(*dc, pts, false);
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !points || count < 2) return FALSE;
    std::vector<POINT> pts = MapPoints(dc->st, points, count);
    if (Logging(*dc))
        Record(*dc, "Polyline " + PointsText(pts));
    if (DrawsPixels(*dc))
        StrokePolyline(*dc, pts, false);
    return TRUE;
}

BOOL PolylineTo(HDC hdc, const POINT* points, int count)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !points || count < 1) return FALSE;
    std::vector<POINT> pts{MapToDevice(dc->st, dc->st.cur.x, dc->st.cur.y)};
    for (int i = 0; i < count; i++) pts.push_back(MapToDevice(dc->st, points[i].x, points[i].y));
    dc->st.cur = points[count - 1];
    if (Logging(*dc))
        Record(*dc, "Polyline " + PointsText(pts));
    if (DrawsPixels(*dc))
        StrokePolyline(*dc, pts, false);
    return TRUE;
}

BOOL PolyPolyline(HDC hdc, const POINT* points, const DWORD* counts, DWORD polylines)
{
    if (!points || !counts) return FALSE;
    for (DWORD i = 0; i < polylines; i++) {
        if (!Polyline(hdc, points, (int)counts[i])) return FALSE;
        points += counts[i];
    }
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !points || count < 2) return FALSE;
    std::vector<POINT> pts = MapPoints(dc->st, points, count);
    if (Logging(*dc)) {
        Record(*dc, std::string("Polygon ") + (dc->st.polyFill == WINDING ? "WINDING " : "ALTERNATE ") + PointsText(pts));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    RECT box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (POINT p : pts) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x + 1);
        box.bottom = std::max(box.bottom, p.y + 1);
    }
    Shape(*dc, box, pts, dc->st.polyFill == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD,
          [&](cairo_t* c) {
              cairo_new_path(c);
              for (size_t i = 0; i < pts.size(); i++)
                  i ? cairo_line_to(c, pts[i].x, pts[i].y) : cairo_move_to(c, pts[i].x, pts[i].y);
              cairo_close_path(c);
          });
    return TRUE;
}

BOOL PolyPolygon(HDC hdc, const POINT* points, const int* counts, int polygons)
{
    if (!points || !counts) return FALSE;
    for (int i = 0; i < polygons; i++) {
        if (counts[i] < 2 || !Polygon(hdc, points, counts[i])) return FALSE;
        points += counts[i];
    }
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    RECT d = MapRect(dc->st, RECT{left, top, right, bottom});
    if (Logging(*dc)) {
        Record(*dc, "Rectangle " + RectText(d));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    if (d.right <= d.left || d.bottom <= d.top) return TRUE;
    bool pen = HasPen(*dc);
    RECT fill = pen ? RECT{d.left + 1, d.top + 1, d.right - 1, d.bottom - 1}
                    : RECT{d.left, d.top, d.right - 1, d.bottom - 1};
    FillRectAny(*dc, fill, BrushSource(*dc, dc->st.brush), dc->st.rop2);
    if (pen) {
        std::vector<POINT> outline{{d.left, d.top}, {d.right - 1, d.top}, {d.right - 1, d.bottom - 1}, {d.left, d.bottom - 1}};
        StrokePolyline(*dc, outline, true);
    }
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    RECT d = MapRect(dc->st, RECT{left, top, right, bottom});
    if (Logging(*dc)) {
        Record(*dc, "Ellipse " + RectText(d));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    // The outline runs through the centres of the box's edge pixels.
    double l = d.left + 0.5, t = d.top + 0.5, r = d.right - 0.5, b = d.bottom - 0.5;
    std::vector<POINT> outline;
    if (HasPen(*dc)) outline = FlattenPath([&](cairo_t* c) { EllipsePath(c, l, t, r, b); });
    Shape(*dc, d, outline, CAIRO_FILL_RULE_WINDING, [&](cairo_t* c) { EllipsePath(c, l, t, r, b); });
    return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    RECT d = MapRect(dc->st, RECT{left, top, right, bottom});
    double rx = ScaleX(dc->st, width) / 2.0, ry = ScaleY(dc->st, height) / 2.0;
    if (Logging(*dc)) {
        Record(*dc, "RoundRect " + RectText(d) + " " + std::to_string((int)(2 * rx)) + "," + std::to_string((int)(2 * ry)));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    double l = d.left + 0.5, t = d.top + 0.5, r = d.right - 0.5, b = d.bottom - 0.5;
    std::vector<POINT> outline;
    if (HasPen(*dc)) outline = FlattenPath([&](cairo_t* c) { RoundRectPath(c, l, t, r, b, rx, ry); });
    Shape(*dc, d, outline, CAIRO_FILL_RULE_WINDING, [&](cairo_t* c) { RoundRectPath(c, l, t, r, b, rx, ry); });
    return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !rect) return 0;
    std::shared_ptr<CBrush> b;
    if ((uintptr_t)brush <= COLOR_MAX_INDEX + 1 && brush)
        b = FindObjectOf<CBrush>(GetSysColorBrush((int)(uintptr_t)brush - 1), GdiKind::Brush);
    else
        b = FindObjectOf<CBrush>(brush, GdiKind::Brush);
    if (!b) return 0;
    RECT d = MapRect(dc->st, *rect);
    if (Logging(*dc)) {
        auto saved = dc->st.brush;
        dc->st.brush = b;
        Record(*dc, "FillRect " + RectText(d));
        dc->st.brush = saved;
        if (!DrawsPixels(*dc)) return 1;
    }
    FillRectAny(*dc, d, BrushSource(*dc, b), R2_COPYPEN);
    return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    auto b = FindObjectOf<CBrush>(brush, GdiKind::Brush);
    if (!dc || !rect || !b) return 0;
    RECT d = MapRect(dc->st, *rect);
    if (Logging(*dc)) {
        auto saved = dc->st.brush;
        dc->st.brush = b;
        Record(*dc, "FrameRect " + RectText(d));
        dc->st.brush = saved;
        if (!DrawsPixels(*dc)) return 1;
    }
    if (d.left >= d.right || d.top >= d.bottom) return 1;
    int wx = std::max(1, ScaleX(dc->st, 1)), wy = std::max(1, ScaleY(dc->st, 1));
    CSource src = BrushSource(*dc, b);
    FillRectAny(*dc, RECT{d.left, d.top, d.right, std::min(d.bottom, d.top + wy)}, src, R2_COPYPEN);
    FillRectAny(*dc, RECT{d.left, std::max(d.top + wy, d.bottom - wy), d.right, d.bottom}, src, R2_COPYPEN);
    FillRectAny(*dc, RECT{d.left, d.top + wy, std::min(d.right, d.left + wx), d.bottom - wy}, src, R2_COPYPEN);
    FillRectAny(*dc, RECT{std::max(d.left + wx, d.right - wx), d.top + wy, d.right, d.bottom - wy}, src, R2_COPYPEN);
    return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !rect) return FALSE;
    RECT d = MapRect(dc->st, *rect);
    if (Logging(*dc)) {
        Record(*dc, "InvertRect " + RectText(d));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    if (IsRaster(*dc)) {
        CRaster r;
        if (AcquireRaster(*dc, r)) FillDeviceRect(*dc, r, d, SolidSource(0), R2_NOT);
    }
    return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !rect) return FALSE;
    RECT d = MapRect(dc->st, *rect);
    if (Logging(*dc)) {
        Record(*dc, "DrawFocusRect " + RectText(d));
        if (!DrawsPixels(*dc)) return TRUE;
    }
    if (!IsRaster(*dc) || d.left >= d.right || d.top >= d.bottom) return TRUE;
    CRaster r;
    if (!AcquireRaster(*dc, r)) return TRUE;
    // Every other pixel of the frame, XOR: a second call restores.
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) PlotPixel(*dc, r, x, y, 0xFFFFFF, R2_XORPEN);
    };
    for (int x = std::max(d.left, r.area.left); x < std::min(d.right, r.area.right); x++) {
        dot(x, d.top);
        if (d.bottom - 1 > d.top) dot(x, d.bottom - 1);
    }
    for (int y = std::max(d.top + 1, r.area.top); y < std::min(d.bottom - 1, r.area.bottom); y++) {
        dot(d.left, y);
        if (d.right - 1 > d.left) dot(d.right - 1, y);
    }
    TouchDevice(*dc, d);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    POINT p = MapToDevice(dc->st, x, y);
    if (Logging(*dc)) {
        char buf[64];
        snprintf(buf, sizeof buf, "SetPixel %d,%d #%02x%02x%02x", (int)p.x, (int)p.y, GetRValue(color),
                 GetGValue(color), GetBValue(color));
        Record(*dc, buf);
        if (!DrawsPixels(*dc)) return color & 0xFFFFFF;
    }
    FillRectAny(*dc, RECT{p.x, p.y, p.x + 1, p.y + 1}, SolidSource(ToPixel(color)), R2_COPYPEN);
    return GetPixel(hdc, x, y) == CLR_INVALID ? color & 0xFFFFFF : GetPixel(hdc, x, y);
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !IsRaster(*dc)) return CLR_INVALID;
    POINT p = MapToDevice(dc->st, x, y);
    CRaster r;
    if (!AcquireRaster(*dc, r)) return CLR_INVALID;
    if (p.x < r.area.left || p.x >= r.area.right || p.y < r.area.top || p.y >= r.area.bottom) return CLR_INVALID;
    if (dc->st.clip && !dc->st.clip->Contains(p.x, p.y)) return CLR_INVALID;
    return ToColorRef(r.px[(size_t)(p.y + r.oy) * r.stride + r.ox + p.x] & 0xFFFFFF);
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    auto rg = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    auto b = FindObjectOf<CBrush>(brush, GdiKind::Brush);
    if (!dc || !rg || !b) return FALSE;
    // Regions are in device units.
    CRegion copy = rg->rgn;
    if (Logging(*dc)) {
        auto saved = dc->st.brush;
        dc->st.brush = b;
        Record(*dc, "FillRgn " + RectText(copy.Box()));
        dc->st.brush = saved;
        if (!DrawsPixels(*dc)) return TRUE;
    }
    CSource src = BrushSource(*dc, b);
    if (IsRaster(*dc)) {
        CRaster r;
        if (AcquireRaster(*dc, r)) FillRegionRaster(*dc, r, copy, src, R2_COPYPEN);
    } else {
        for (const CRegion::Band& band : copy.Bands())
            for (size_t i = 0; i + 1 < band.xs.size(); i += 2)
                FillRectAny(*dc, RECT{band.xs[i], band.top, band.xs[i + 1], band.bottom}, src, R2_COPYPEN);
    }
    return TRUE;
}
