// Pens: hairlines (0 or 1 device pixel) by our own line walk with dashes
// in device pixels whose phase runs on along a polyline; wider pens are solid
// with round joins, rasterised without antialiasing.
#include "platform/gdi/gdi_internal.h"
#include <bit>
#include <cmath>
#include <cstring>

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

// The drawable part of a raster as rectangles: the clip region's runs inside
// the raster's area (the area alone without a clip), grouped in bands of
// rows so that a segment looks only at the bands its rows meet.
struct ClipRects {
    struct Band {
        int top, bottom;
        size_t first, last;   // [first, last) in rects
    };
    std::vector<Band> bands;
    std::vector<RECT> rects;

    ClipRects(const CDc& dc, const RECT& area)
    {
        if (area.left >= area.right || area.top >= area.bottom) return;
        if (!dc.st.clip) {
            bands.push_back({(int)area.top, (int)area.bottom, 0, 1});
            rects.push_back(area);
            return;
        }
        for (const CRegion::Band& b : dc.st.clip->Bands()) {
            const int top = std::max(b.top, (int)area.top), bottom = std::min(b.bottom, (int)area.bottom);
            if (top >= bottom) continue;
            const size_t first = rects.size();
            for (size_t i = 0; i + 1 < b.xs.size(); i += 2) {
                const int l = std::max(b.xs[i], (int)area.left), r = std::min(b.xs[i + 1], (int)area.right);
                if (l < r) rects.push_back(RECT{l, top, r, bottom});
            }
            if (rects.size() > first) bands.push_back({top, bottom, first, rects.size()});
        }
    }

    // fn(rect) for each rectangle that may hold pixels of rows [y0, y1].
    template <class F>
    void ForRows(long long y0, long long y1, F fn) const
    {
        auto it = std::upper_bound(bands.begin(), bands.end(), y0,
                                   [](long long v, const Band& b) { return v < b.bottom; });
        for (; it != bands.end() && it->top <= y1; ++it)
            for (size_t k = it->first; k < it->last; ++k) fn(rects[k]);
    }
};

// The pixels of a segment leaving out its end, stepping along the major axis
// with the minor coordinate rounded (halves away from the start): step i
// moves the minor coordinate by Q(i) = floor((2 i dm + dM) / (2 dM)). Only
// the steps inside the rectangles are visited (each rectangle's steps in
// turn; the rectangles do not overlap, so no pixel comes twice), so far-off
// coordinates cost nothing; `plot` gets the step index for the dash phase.
// Returns the number of steps.
template <class F>
long long WalkSegment(POINT a, POINT b, const ClipRects& clip, const CRaster& r, F plot)
{
    const long long dx = (long long)b.x - a.x, dy = (long long)b.y - a.y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return 0;
    const long long ma = xMajor ? a.x : a.y, mi = xMajor ? a.y : a.x;
    const int ms = (xMajor ? dx : dy) < 0 ? -1 : 1, ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long dM = n, dm = std::llabs(xMajor ? dy : dx);
    // The first step whose minor offset Q(i) reaches k: 2 i dm + dM >= 2 k dM,
    // so i = ceil(dM (2k - 1) / (2 dm)); none (n) past the segment's end.
    auto firstReaching = [&](long long k) -> long long {
        if (k <= 0) return 0;
        if (k > dm) return n;
        const long long d = 2 * dm;
        long long rem;
        const long long q = MulAddDiv(dM, 2 * k - 1, 0, d, &rem);
        return std::min(n, q + (rem != 0));
    };
    const long long ya = a.y, yb = b.y;
    const ptrdiff_t stride = r.stride;
    const ptrdiff_t majorStep = xMajor ? ms : ms * stride, minorStep = xMajor ? ns * stride : ns;
    const long long step = 2 * dm, whole = 2 * dM;
    uint32_t* const px = r.px;
    clip.ForRows(std::min(ya, yb), std::max(ya, yb), [&](const RECT& area) {
        const long long lo = xMajor ? area.left : area.top, hi = xMajor ? area.right : area.bottom;
        const long long mlo = xMajor ? area.top : area.left, mhi = xMajor ? area.bottom : area.right;
        long long i0 = 0, i1 = n;
        if (ms > 0) {
            i0 = std::max(i0, lo - ma);
            i1 = std::min(i1, hi - ma);
        } else {
            i0 = std::max(i0, ma - hi + 1);
            i1 = std::min(i1, ma - lo + 1);
        }
        if (i0 >= i1) return;
        // The minor coordinate is monotonic: where it enters and leaves its range.
        if (ns > 0) {
            i0 = std::max(i0, firstReaching(mlo - mi));
            i1 = std::min(i1, firstReaching(mhi - mi));
        } else {
            i0 = std::max(i0, firstReaching(mi - mhi + 1));
            i1 = std::min(i1, firstReaching(mi - mlo + 1));
        }
        if (i0 >= i1) return;
        // Integer steps from here: the numerator grows by 2 dm <= 2 dM a
        // step, so the quotient grows by at most one.
        long long rem;
        const long long q = MulAddDiv(step, i0, dM, whole, &rem);
        const long long M = ma + ms * i0, m = mi + ns * q;
        const long long x0 = xMajor ? M : m, y0 = xMajor ? m : M;
        // The pixel's address moves by a fixed step along the major axis and
        // by another when the minor coordinate moves on.
        ptrdiff_t at = (ptrdiff_t)(y0 + r.oy) * stride + r.ox + x0;
        for (long long i = i0; i < i1; i++) {
            plot(px + at, i);
            at += majorStep;
            rem += step;
            if (rem >= whole) {
                rem -= whole;
                at += minorStep;
            }
        }
    });
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
            const ClipRects clip(dc, r.area);
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
                if (solid && rop2 == R2_COPYPEN && !r.mono) {
                    // The commonest line: the pixel's three colour bytes
                    // stored, its top byte left alone without reading it
                    // (a read waits for its cache line, a store does not).
                    static_assert(std::endian::native == std::endian::little);
                    const uint16_t low = (uint16_t)(color & 0xFFFFu);
                    const uint8_t high = (uint8_t)((color >> 16) & 0xFFu);
                    walked += WalkSegment(a, b, clip, r, [low, high](uint32_t* d, long long) {
                        unsigned char* bytes = reinterpret_cast<unsigned char*>(d);
                        std::memcpy(bytes, &low, 2);
                        bytes[2] = high;
                    });
                    return;
                }
                if (solid) {
                    walked += WalkSegment(a, b, clip, r, [&](uint32_t* d, long long) {
                        CombinePixel(*d, color, rop2, r.mono);
                    });
                    return;
                }
                walked += WalkSegment(a, b, clip, r, [&](uint32_t* d, long long i) {
                    if (dash.On(walked + i))
                        CombinePixel(*d, color, rop2, r.mono);
                    else if (gaps)
                        CombinePixel(*d, bk, rop2, r.mono);
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
