// Pens: hairlines (0 or 1 device pixel) by our own Bresenham walk with dashes
// in device pixels whose phase runs on along a polyline; wider pens are solid
// with round joins, rasterised without antialiasing.
#include "platform/gdi/gdi_internal.h"
#include <cmath>

namespace {

// On and off runs in device pixels.
const std::vector<int>& DashPattern(int style)
{
    static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return solid;
    }
}

struct DashWalker {
    const std::vector<int>& pattern;
    int index = 0, left = 0;
    explicit DashWalker(const std::vector<int>& p) : pattern(p), left(p.empty() ? 0 : p[0]) {}
    // True when the next pixel is "on"; advances the phase.
    bool Next()
    {
        if (pattern.empty()) return true;
        bool on = index % 2 == 0;
        if (--left <= 0) {
            index = (index + 1) % (int)pattern.size();
            left = pattern[index];
        }
        return on;
    }
};

template <class F>
void Bresenham(POINT a, POINT b, F plot)
{
    long long x = a.x, y = a.y;
    long long dx = std::llabs((long long)b.x - a.x), dy = -std::llabs((long long)b.y - a.y);
    int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
    long long err = dx + dy;
    while (x != b.x || y != b.y) {
        plot((int)x, (int)y);
        long long e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

RECT PointsBox(const std::vector<POINT>& pts, int grow)
{
    RECT r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (POINT p : pts) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    long long l = (long long)r.left - grow, t = (long long)r.top - grow, rr = (long long)r.right + grow + 1,
              b = (long long)r.bottom + grow + 1;
    auto c = [](long long v) { return (LONG)std::clamp<long long>(v, -(1 << 30), 1 << 30); };
    return RECT{c(l), c(t), c(rr), c(b)};
}

void PathThrough(cairo_t* c, const std::vector<POINT>& pts, bool closed)
{
    cairo_new_path(c);
    for (size_t i = 0; i < pts.size(); i++) {
        if (i == 0)
            cairo_move_to(c, pts[i].x + 0.5, pts[i].y + 0.5);
        else
            cairo_line_to(c, pts[i].x + 0.5, pts[i].y + 0.5);
    }
    if (closed) cairo_close_path(c);
}

}   // namespace

int PenDeviceWidth(const CDc& dc)
{
    if (!dc.st.pen) return 0;
    return std::min(ScaleX(dc.st, dc.st.pen->width), 1000);
}

void StrokePolyline(CDc& dc, const std::vector<POINT>& pts, bool closed)
{
    const CPen* pen = dc.st.pen.get();
    if (!pen || pen->style == PS_NULL || pts.empty()) return;
    int width = PenDeviceWidth(dc);
    int style = width <= 1 ? pen->style : PS_SOLID;
    uint32_t color = ToPixel(PenColor(dc, *pen));
    uint32_t bk = ToPixel(dc.st.bk);
    bool gaps = dc.st.bkMode == OPAQUE && !DashPattern(style).empty();
    int rop2 = dc.st.rop2;
    if (IsRaster(dc)) {
        CRaster r;
        if (!AcquireRaster(dc, r)) return;
        if (width <= 1) {
            DashWalker dash(DashPattern(style));
            auto plot = [&](int x, int y) {
                bool on = dash.Next();
                if (on)
                    PlotPixel(dc, r, x, y, color, rop2);
                else if (gaps)
                    PlotPixel(dc, r, x, y, bk, rop2);
            };
            for (size_t i = 0; i + 1 < pts.size(); i++) Bresenham(pts[i], pts[i + 1], plot);
            if (closed && pts.size() > 1) Bresenham(pts.back(), pts.front(), plot);
            if (pts.size() == 1 && closed) plot(pts[0].x, pts[0].y);
            RECT box = PointsBox(pts, 0);
            box.left = std::max(box.left, r.area.left);
            box.top = std::max(box.top, r.area.top);
            box.right = std::min(box.right, r.area.right);
            box.bottom = std::min(box.bottom, r.area.bottom);
            TouchDevice(dc, box);
            return;
        }
        FillPathRaster(dc, r, PointsBox(pts, width / 2 + 2), CAIRO_FILL_RULE_WINDING, SolidSource(color), rop2,
                       [&](cairo_t* c) {
                           PathThrough(c, pts, closed);
                           cairo_set_line_width(c, width);
                           cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
                           cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
                           cairo_stroke(c);
                       });
        return;
    }
    if (!IsVector(dc)) return;
    cairo_t* cr = dc.cr;
    cairo_save(cr);
    ClipVector(dc);
    PathThrough(cr, pts, closed);
    cairo_set_line_width(cr, std::max(width, 1));
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, width <= 1 ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
    const std::vector<int>& pattern = DashPattern(style);
    if (gaps) {
        SetVectorSource(dc, SolidSource(bk));
        cairo_stroke_preserve(cr);
    }
    if (!pattern.empty()) {
        std::vector<double> d(pattern.begin(), pattern.end());
        cairo_set_dash(cr, d.data(), (int)d.size(), 0);
    }
    SetVectorSource(dc, SolidSource(color));
    cairo_stroke(cr);
    cairo_restore(cr);
}
