// Pens: hairlines (0 or 1 device pixel) by our own line walk with dashes
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

// The dash state as the number of pixels walked since the polyline began.
struct DashPhase {
    const std::vector<int>& pattern;
    long long total = 0;
    explicit DashPhase(const std::vector<int>& p) : pattern(p)
    {
        for (int v : p) total += v;
    }
    bool On(long long walked) const
    {
        if (pattern.empty() || total <= 0) return true;
        long long at = walked % total;
        for (size_t i = 0; i < pattern.size(); i++) {
            if (at < pattern[i]) return i % 2 == 0;
            at -= pattern[i];
        }
        return true;
    }
};

// The pixels of a segment leaving out its end, stepping along the major axis
// with the minor coordinate rounded (halves away from the start). Only the
// steps inside `area` are visited, so far-off coordinates cost nothing; `plot`
// gets the step index for the dash phase. Returns the number of steps.
template <class F>
long long WalkSegment(POINT a, POINT b, const RECT& area, F plot)
{
    long long dx = (long long)b.x - a.x, dy = (long long)b.y - a.y;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    long long n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return 0;
    long long ma = xMajor ? a.x : a.y, mi = xMajor ? a.y : a.x;
    int ms = (xMajor ? dx : dy) < 0 ? -1 : 1, ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
    long long dM = n, dm = std::llabs(xMajor ? dy : dx);
    long long lo = xMajor ? area.left : area.top, hi = xMajor ? area.right : area.bottom;
    long long mlo = xMajor ? area.top : area.left, mhi = xMajor ? area.bottom : area.right;
    auto minor = [&](long long i) {
        __int128 num = (__int128)2 * i * dm + dM;
        return mi + ns * (long long)(num / (2 * (__int128)dM));
    };
    long long i0 = 0, i1 = n;
    if (ms > 0) {
        i0 = std::max(i0, lo - ma);
        i1 = std::min(i1, hi - ma);
    } else {
        i0 = std::max(i0, ma - hi + 1);
        i1 = std::min(i1, ma - lo + 1);
    }
    if (i0 >= i1) return n;
    // The minor coordinate is monotonic: find where it enters and leaves its range.
    auto firstWhere = [&](long long from, long long to, auto pred) {
        while (from < to) {
            long long mid = from + (to - from) / 2;
            if (pred(mid)) to = mid;
            else from = mid + 1;
        }
        return from;
    };
    if (ns > 0) {
        i0 = firstWhere(i0, i1, [&](long long i) { return minor(i) >= mlo; });
        i1 = firstWhere(i0, i1, [&](long long i) { return minor(i) >= mhi; });
    } else {
        i0 = firstWhere(i0, i1, [&](long long i) { return minor(i) < mhi; });
        i1 = firstWhere(i0, i1, [&](long long i) { return minor(i) < mlo; });
    }
    for (long long i = i0; i < i1; i++) {
        long long M = ma + ms * i, m = minor(i);
        plot(xMajor ? (int)M : (int)m, xMajor ? (int)m : (int)M, i);
    }
    return n;
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

// A wide solid stroke with round joins and caps is the union of the strokes
// of its runs of segments, while the stroker's cost grows much faster than
// the points of one long self-crossing path: long paths go in runs.
constexpr size_t kStrokeRun = 64;

void StrokeRoundInRuns(cairo_t* c, const std::vector<POINT>& pts, bool closed)
{
    if (pts.size() <= kStrokeRun + 1) {
        PathThrough(c, pts, closed);
        cairo_stroke(c);
        return;
    }
    for (size_t i = 0; i + 1 < pts.size(); i += kStrokeRun) {
        const size_t end = std::min(pts.size() - 1, i + kStrokeRun);
        cairo_new_path(c);
        cairo_move_to(c, pts[i].x + 0.5, pts[i].y + 0.5);
        for (size_t k = i + 1; k <= end; k++) cairo_line_to(c, pts[k].x + 0.5, pts[k].y + 0.5);
        cairo_stroke(c);
    }
    if (closed) {
        cairo_new_path(c);
        cairo_move_to(c, pts.back().x + 0.5, pts.back().y + 0.5);
        cairo_line_to(c, pts.front().x + 0.5, pts.front().y + 0.5);
        cairo_stroke(c);
    }
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
            DashPhase dash(DashPattern(style));
            long long walked = 0;
            const bool solid = DashPattern(style).empty();
            auto segment = [&](POINT a, POINT b) {
                if (solid && a.y == b.y && a.x != b.x) {
                    // A row: the clip's spans once, not a lookup per pixel
                    // (window edges and bevels are mostly these). The end
                    // point stays out, as in the walk.
                    long long x0 = a.x < b.x ? a.x : (long long)b.x + 1, x1 = a.x < b.x ? b.x : (long long)a.x + 1;
                    x0 = std::max(x0, (long long)r.area.left);
                    x1 = std::min(x1, (long long)r.area.right);
                    if (x0 < x1) PlotRow(dc, r, a.y, (int)x0, (int)x1, color, rop2);
                    return;
                }
                walked += WalkSegment(a, b, r.area, [&](int x, int y, long long i) {
                    if (dash.On(walked + i))
                        PlotPixel(dc, r, x, y, color, rop2);
                    else if (gaps)
                        PlotPixel(dc, r, x, y, bk, rop2);
                });
            };
            for (size_t i = 0; i + 1 < pts.size(); i++) segment(pts[i], pts[i + 1]);
            if (closed && pts.size() > 1) segment(pts.back(), pts.front());
            if (pts.size() == 1 && closed) PlotPixel(dc, r, pts[0].x, pts[0].y, color, rop2);
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
                           cairo_set_line_width(c, width);
                           cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
                           cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
                           StrokeRoundInRuns(c, pts, closed);
                       });
        return;
    }
    if (!IsVector(dc)) return;
    cairo_t* cr = dc.cr;
    cairo_save(cr);
    ClipVector(dc);
    if (width > 1) {
        // Solid and opaque: the runs overlap without a seam.
        cairo_set_line_width(cr, width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        SetVectorSource(dc, SolidSource(color));
        StrokeRoundInRuns(cr, pts, closed);
        cairo_restore(cr);
        return;
    }
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
