// World/device transforms, the plot rectangle, limits, autoscale and zoom.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstring>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cmath>

#include "graphics/graph.h"
#include "platform/user/window.h"
#include "values/stop_probe.h"
#include "values/value.h"

namespace {

bool Finite(double v) { return std::isfinite(v); }

// Integer device coordinate of a fractional one, without undefined casts.
LONG DeviceInt(double d, bool truncate)
{
    return ClampCoord(SaturateToInt(truncate ? std::trunc(d) : std::floor(d)));
}

// Makes one axis' pair (lo, hi) a range with a positive span.
void WidenDegenerate(double& lo, double& hi, bool log)
{
    if (log) {
        if (!(lo > 0)) lo = 1e-8;
        if (!(hi > 0)) hi = 0.1;
        if (std::fabs(std::log10(hi / lo)) < 1e-14) {
            const double f = std::pow(10.0, 0.1);
            double nlo = lo / f, nhi = hi * f;
            if (nlo > 0) lo = nlo;
            if (Finite(nhi)) hi = nhi;
        }
        return;
    }
    if (std::fabs(hi - lo) < 1e-14) {
        // Beyond 1e8 a widening of 0.1 would vanish in the rounding.
        double w = std::max(0.1, std::max(std::fabs(lo), std::fabs(hi)) * 1e-9);
        lo -= w;
        hi += w;
    }
}

// Autoscaled range of one axis from the data range (lo, hi).
void AutoAxis(double& lo, double& hi, bool log, double margin, double minSpan, int plotSize)
{
    if (log) {
        if (lo <= 0) lo = 0.001;
        if (hi <= 0) hi = 0.01;
    }
    double span = log ? std::log10(std::fabs(hi / lo)) : hi - lo;
    if (span >= minSpan && Finite((span / plotSize * 4 + span) * (1 + margin))) {
        if (log) {
            // A margin of whole decades, as the axis shows them.
            double f = std::pow(10.0, span * margin);
            double nlo = lo / f, nhi = hi * f;
            if (nlo > 0) lo = nlo;
            if (nhi > 0 && Finite(nhi)) hi = nhi;
        } else {
            lo = lo - span * margin;
            hi = hi + span * margin;
        }
    } else if (span < minSpan) {
        double v = lo;
        double d = std::fabs(v) * margin;
        if (d < minSpan) d += 0.01;
        if (log && !(v - d > 0)) {
            lo = v;
            hi = v + 2 * d;
        } else {
            lo = v - d;
            hi = v + d;
        }
    } else {
        lo -= 0.01;
        hi += 0.01;
    }
}

}  // namespace

bool CGraph::SetPlotRect(const RECT& given, const RECT& givenMargins, int charSize)
{
    // Rectangles may come from files: bounded so that screen positions fit.
    const RECT rect = ClampRect(given), margins = ClampRect(givenMargins);
    charSize = ClampCoord(charSize);
    outerRect = rect;
    RECT inner{rect.left + margins.left, rect.top + margins.top, rect.right - margins.right,
               rect.bottom - margins.bottom};
    const RECT none{0, 0, 0, 0};
    if (inner.left >= inner.right || inner.top >= inner.bottom) {
        outerRect = plotRect = none;
        return false;
    }
    if (!IsPolar()) {
        plotRect = inner;
        return true;
    }
    int hw = (inner.right - inner.left) / 2, hh = (inner.bottom - inner.top) / 2;
    int cx = inner.left + hw, cy = inner.top + hh;
    int r = std::min(hh - 4 - charSize, hw - 4 - charSize);
    if (r <= 0) {
        outerRect = plotRect = none;
        return false;
    }
    plotRect = RECT{cx - r, cy - r, cx + r, cy + r};
    return true;
}

void CGraph::UpdateScale()
{
    const double w = plotRect.right - plotRect.left, h = plotRect.bottom - plotRect.top;
    const double left = limits[BOX_LEFT], right = limits[BOX_RIGHT];
    const double top = limits[BOX_TOP], bottom = limits[BOX_BOTTOM];
    xUnitsPerPixel = xLog ? std::log10(std::fabs(right / left)) / w : (right - left) / w;
    yUnitsPerPixel = yLog ? std::log10(std::fabs(bottom / top)) / h : (bottom - top) / h;
}

double CGraph::WorldToDeviceX(double x) const
{
    const double left = limits[BOX_LEFT];
    if (!xLog) return (x - left) / xUnitsPerPixel + plotRect.left;
    if (x > 0 && left > 0) return std::log10(x / left) / xUnitsPerPixel + plotRect.left;
    return plotRect.left - 50.0;
}

double CGraph::WorldToDeviceY(double y) const
{
    const double top = limits[BOX_TOP];
    if (!yLog) return (y - top) / yUnitsPerPixel + plotRect.top;
    if (y > 0 && top > 0) return std::log10(y / top) / yUnitsPerPixel + plotRect.top;
    return plotRect.bottom + 50.0;
}

POINT CGraph::WorldToDevice(const Point2D& p) const
{
    return POINT{DeviceInt(WorldToDeviceX(p.x), false), DeviceInt(WorldToDeviceY(p.y), false)};
}

double CGraph::DeviceToWorldX(double d) const
{
    const double left = limits[BOX_LEFT];
    if (xLog) return left * std::pow(10.0, (d - plotRect.left) * xUnitsPerPixel);
    return (d - plotRect.left) * xUnitsPerPixel + left;
}

double CGraph::DeviceToWorldY(double d) const
{
    const double top = limits[BOX_TOP];
    if (yLog) return top * std::pow(10.0, (d - plotRect.top) * yUnitsPerPixel);
    return (d - plotRect.top) * yUnitsPerPixel + top;
}

Point2D CGraph::DeviceToWorld(double dx, double dy) const { return Point2D{DeviceToWorldX(dx), DeviceToWorldY(dy)}; }

bool CGraph::IsDrawable(const Point2D& p) const
{
    return DrawableCoordinate(std::floor(WorldToDeviceX(p.x))) && DrawableCoordinate(std::floor(WorldToDeviceY(p.y)));
}

CGraph::RescaleInputs CGraph::CurrentRescaleInputs() const
{
    RescaleInputs r;
    r.plot[0] = plotRect.left;
    r.plot[1] = plotRect.top;
    r.plot[2] = plotRect.right;
    r.plot[3] = plotRect.bottom;
    std::copy(limits, limits + 4, r.limits);
    r.xLog = xLog;
    r.yLog = yLog;
    r.axisStyle = axisStyle;
    r.objects.reserve(objects.size());
    r.kinds.reserve(objects.size());
    for (const auto& o : objects) {
        r.objects.emplace_back(o.get(), o ? o->Stamp() : 0);
        r.kinds.push_back(o ? o->kind : 0);
    }
    return r;
}

void CGraph::Rescale()
{
    m_rescaledValid = false;
    if (plotRect.right <= plotRect.left || plotRect.bottom <= plotRect.top) return;
    if (limits[BOX_RIGHT] - limits[BOX_LEFT] == 0 && limits[BOX_BOTTOM] - limits[BOX_TOP] == 0) return;
    UpdateScale();
    const bool log = xLog || yLog;
    const double l = plotRect.left - 2, t = plotRect.top - 2, r = plotRect.right + 2, b = plotRect.bottom + 2;
    // ClipPolyline wants its first corner above the second: on the device
    // that is the bottom edge.
    const Segment box = log ? Segment{l, b, r, t}
                            : Segment{DeviceToWorldX(l), DeviceToWorldY(t), DeviceToWorldX(r), DeviceToWorldY(b)};
    // A stop of the request this is for leaves the scale invalid: whatever
    // lays the graph out next prepares the points again.
    for (auto& obj : objects) {
        if (RequestStopped()) return;
        if (!log && obj->kind != 2 && PrepareUnclipped(*obj, box)) continue;
        PointList list;
        if (log) {
            std::vector<Point2D> dev(obj->Count());
            for (uint32_t i = 0; i < obj->Count(); i++) {
                if (RequestStoppedAt(i)) return;
                dev[i] = Point2D{WorldToDeviceX(obj->Points()[i].x), WorldToDeviceY(obj->Points()[i].y)};
            }
            list = obj->kind == 2 ? PointList::ClosedPolygon(dev.data(), (int32_t)dev.size())
                                  : PointList(dev.data(), (int32_t)dev.size());
        } else {
            list = obj->kind == 2 ? PointList::ClosedPolygon(obj->Points(), (int32_t)obj->Count())
                                  : PointList(obj->Points(), (int32_t)obj->Count());
        }
        ClipPolyline(list, box);
        if (RequestStopped()) return;
        std::vector<Point2D> draw(list.Points().begin(), list.Points().end());
        std::vector<POINT> screen(draw.size());
        for (size_t i = 0; i < draw.size(); i++) {
            if (RequestStoppedAt(i)) return;
            if (log) {
                screen[i] = POINT{DeviceInt(draw[i].x, true), DeviceInt(draw[i].y, true)};
                draw[i] = DeviceToWorld(draw[i].x, draw[i].y);
            } else {
                screen[i] = WorldToDevice(draw[i]);
            }
        }
        obj->SetPrepared(std::move(draw), std::move(screen));
    }
    if (RequestStopped()) return;
    m_rescaled = CurrentRescaleInputs();
    m_rescaledValid = true;
}

bool CGraph::PrepareUnclipped(CGraphObject& obj, const Segment& box) const
{
    // Clipping keeps a polyline whose every point lies within all four edges
    // exactly as it is; the edge tests are monotonic in one coordinate each,
    // so the extremes decide for all points.
    const Point2D* p = obj.Points();
    const uint32_t n = obj.Count();
    const double left = limits[BOX_LEFT], top = limits[BOX_TOP], xu = xUnitsPerPixel, yu = yUnitsPerPixel;
    const double pl = plotRect.left, pt = plotRect.top;
    if (!(xu != 0 && yu != 0 && std::isfinite(xu) && std::isfinite(yu))) return false;
    std::vector<POINT> screen = obj.TakeScreenPoints();
    screen.resize(n);
    // One pass: the extremes, and the device points as WorldToDevice makes
    // them for points inside the clip box (a few pixels from the plot, where
    // floor needs no saturation); outside it the pass is thrown away.
    double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
    bool finite = true;
    constexpr double kFar = 1e9;
    // Lines from this many points on are converted on several threads.
    constexpr uint32_t kParallelPoints = 1u << 20;
#if defined(__SSE2__)
    // A point's two coordinates are one vector: the same operations in the
    // same order as the scalar form below, on both at once.
    const __m128d origin = _mm_set_pd(top, left), units = _mm_set_pd(yu, xu), plot = _mm_set_pd(pt, pl);
    const __m128d far = _mm_set1_pd(kFar), nearFar = _mm_set1_pd(-kFar), largest = _mm_set1_pd(DBL_MAX);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
    auto device = [&](__m128d v) {
        __m128d d = _mm_add_pd(_mm_div_pd(_mm_sub_pd(v, origin), units), plot);
        d = _mm_max_pd(_mm_min_pd(d, far), nearFar);
        const __m128i t = _mm_cvttpd_epi32(d);
        const __m128d below = _mm_cmpgt_pd(_mm_cvtepi32_pd(t), d);
        return _mm_add_epi32(t, _mm_shuffle_epi32(_mm_castpd_si128(below), _MM_SHUFFLE(3, 3, 2, 0)));
    };
    auto pointOf = [](__m128i floor) {
        return POINT{_mm_cvtsi128_si32(floor), _mm_cvtsi128_si32(_mm_shuffle_epi32(floor, 1))};
    };
    // A line that will be drawn from its column runs gets them in the same pass.
    const bool reducible = ReducibleLine(obj, n);
    // A large line goes in slices on a few threads at once (a resize of its
    // window waits for this pass); this thread takes the first slice and
    // watches for a stop. A slice keeps its own extremes (a minimum or a
    // maximum does not depend on the order; a point that is not a number
    // leaves them alone and clears `ok`) and the column runs that begin in
    // it, the last one followed into the next slices to its end: the runs
    // of the slices one after another are those of the whole line.
    struct Slice {
        __m128d lo = _mm_set1_pd(INFINITY), hi = _mm_set1_pd(-INFINITY), ok = _mm_castsi128_pd(_mm_set1_epi32(-1));
        std::vector<POINT> runs;
        // The largest count of runs less a quarter of the points so far:
        // where the runs of all slices before push it past the limit below.
        long long worst = LLONG_MIN;
        bool scattered = false;
    };
    const unsigned count = n >= kParallelPoints ? std::clamp(std::thread::hardware_concurrency(), 1u, 4u) : 1u;
    std::vector<Slice> slices(count);
    auto sliceStart = [&](unsigned k) { return (uint32_t)((uint64_t)n * k / count); };
    auto work = [&](unsigned k, bool watch) {
        Slice& sl = slices[k];
        const uint32_t from = sliceStart(k), to = sliceStart(k + 1);
        __m128d lo = sl.lo, hi = sl.hi, ok = sl.ok;
        bool reduce = reducible;
        CColumnRunReducer reducer(sl.runs);
        // Scattered data gains nothing from its runs: they are given up as
        // soon as they keep more than a quarter of the points.
        auto add = [&](POINT q, uint32_t i) {
            reducer.Add(q);
            const long long over = (long long)sl.runs.size() - (long long)(i / 4);
            sl.worst = std::max(sl.worst, over);
            if (over > 4096) {
                reduce = false;
                sl.scattered = true;
                sl.runs = std::vector<POINT>();
            }
        };
        // A run that began before this slice is the slice before's.
        bool owns = from == 0;
        const LONG before = from > 0 ? pointOf(device(_mm_loadu_pd(&p[from - 1].x))).x : 0;
        POINT last{};
        for (uint32_t i = from; i < to; i++) {
            if (watch && RequestStoppedAt(i)) return false;
            const __m128d v = _mm_loadu_pd(&p[i].x);
            ok = _mm_and_pd(ok, _mm_cmple_pd(_mm_and_pd(v, magnitude), largest));
            lo = _mm_min_pd(v, lo);
            hi = _mm_max_pd(v, hi);
            const __m128i floor = device(v);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(&screen[i]), floor);
            if (reduce) {
                const POINT q = pointOf(floor);
                owns = owns || q.x != before;
                if (owns) {
                    add(q, i);
                    last = q;
                }
            }
        }
        sl.lo = lo, sl.hi = hi, sl.ok = ok;
        if (!reduce || !owns) return true;
        uint32_t i = to;
        for (; i < n; i++) {
            if (watch && RequestStoppedAt(i)) return false;
            const POINT q = pointOf(device(_mm_loadu_pd(&p[i].x)));
            if (q.x != last.x) break;
            add(q, i);
            if (!reduce) return true;
        }
        // The line's last run ends it.
        if (i == n) reducer.Finish();
        else reducer.EndRun();
        return true;
    };
    std::vector<std::thread> helpers;
    for (unsigned k = 1; k < count; k++) helpers.emplace_back([&work, k] { work(k, false); });
    const bool done = work(0, true);
    for (std::thread& h : helpers) h.join();
    // Stopped: the caller sees it and leaves the scale invalid.
    if (!done) return true;
    __m128d lo = slices[0].lo, hi = slices[0].hi, ok = slices[0].ok;
    for (unsigned k = 1; k < count; k++) {
        lo = _mm_min_pd(slices[k].lo, lo);
        hi = _mm_max_pd(slices[k].hi, hi);
        ok = _mm_and_pd(ok, slices[k].ok);
    }
    std::vector<POINT> runs;
    if (reducible) {
        bool keep = true;
        size_t earlier = 0;
        for (const Slice& sl : slices) {
            if (sl.scattered || sl.worst > 4096 - (long long)earlier) keep = false;
            earlier += sl.runs.size();
        }
        if (keep) {
            runs = std::move(slices[0].runs);
            for (unsigned k = 1; k < count; k++) runs.insert(runs.end(), slices[k].runs.begin(), slices[k].runs.end());
        }
    }
    double l2[2], h2[2], k2[2];
    _mm_storeu_pd(l2, lo);
    _mm_storeu_pd(h2, hi);
    _mm_storeu_pd(k2, ok);
    xmin = l2[0], ymin = l2[1], xmax = h2[0], ymax = h2[1];
    uint64_t okBits[2];
    std::memcpy(okBits, k2, sizeof okBits);
    finite = okBits[0] && okBits[1];
#else
    auto device = [](double d) {
        d = d < kFar ? d : kFar;  // NaN too
        d = d > -kFar ? d : -kFar;
        const LONG i = (LONG)d;
        return i - (LONG)((double)i > d);
    };
    for (uint32_t i = 0; i < n; i++) {
        if (RequestStoppedAt(i)) return true;
        const double x = p[i].x, y = p[i].y;
        finite = finite && std::fabs(x) <= DBL_MAX && std::fabs(y) <= DBL_MAX;
        xmin = x < xmin ? x : xmin;
        xmax = x > xmax ? x : xmax;
        ymin = y < ymin ? y : ymin;
        ymax = y > ymax ? y : ymax;
        screen[i].x = device((x - left) / xu + pl);
        screen[i].y = device((y - top) / yu + pt);
    }
    std::vector<POINT> runs;
    if (ReducibleLine(obj, n)) ReduceColumnRuns(screen.data(), screen.size(), runs);
#endif
    const double x1 = box.x1, y1 = box.y1, x2 = box.x2, y2 = box.y2;
    auto inside = [&](double px, double py) {
        return (y1 - y2) * (px - x1) >= 0 && -((py - y1) * (x2 - x1)) >= 0 && (y2 - y1) * (px - x2) >= 0 &&
               -((x1 - x2) * (py - y2)) >= 0;
    };
    if (!finite || (n && !(inside(xmin, ymin) && inside(xmax, ymax)))) {
        screen.clear();
        screen.shrink_to_fit();
        return false;
    }
    // Kept only where it saves most of the line.
    if (runs.size() > n / 2) runs = std::vector<POINT>();
    obj.SetPreparedAsPoints(std::move(screen), std::move(runs));
    return true;
}

bool CGraph::PointerLinesBeyondPlot() const
{
    for (const auto& o : objects)
        if ((o->pointerFlags & 3) && (o->pointerFlags & 0x0C)) return true;
    return false;
}

bool CGraph::SetLimits(double box[4])
{
    double& xmin = box[BOX_LEFT];
    double& xmax = box[BOX_RIGHT];
    double& ymax = box[BOX_TOP];
    double& ymin = box[BOX_BOTTOM];
    if (xLog) {
        if (xmin <= 0) xmin = 1e-8;
        if (xmax <= 0) xmax = 0.1;
    }
    if (yLog) {
        if (ymin <= 0) ymin = 1e-8;
        if (ymax <= 0) ymax = 0.1;
    }
    auto outside = [](double boundEdge, double fresh, double current, bool below) {
        bool beyond = below ? fresh < boundEdge : fresh > boundEdge;
        return beyond && std::fabs(boundEdge - fresh) > std::fabs(boundEdge - current);
    };
    bool xOk = Finite(xmin - 2 * xUnitsPerPixel) && Finite(xmax + 2 * xUnitsPerPixel) && std::fabs(xmin) <= 1e305 &&
               std::fabs(xmax) <= 1e305;
    if (xOk && bounds[BOX_LEFT] != bounds[BOX_RIGHT])
        xOk = !outside(bounds[BOX_LEFT], xmin, limits[BOX_LEFT], true) &&
              !outside(bounds[BOX_RIGHT], xmax, limits[BOX_RIGHT], false);
    if (!xOk) {
        xmin = limits[BOX_LEFT];
        xmax = limits[BOX_RIGHT];
    }
    bool yOk = Finite(ymax - 2 * yUnitsPerPixel) && Finite(ymin + 2 * yUnitsPerPixel) && std::fabs(ymin) <= 1e305 &&
               std::fabs(ymax) <= 1e305;
    if (yOk && bounds[BOX_TOP] != bounds[BOX_BOTTOM])
        yOk = !outside(bounds[BOX_TOP], ymax, limits[BOX_TOP], false) &&
              !outside(bounds[BOX_BOTTOM], ymin, limits[BOX_BOTTOM], true);
    if (!yOk) {
        ymax = limits[BOX_TOP];
        ymin = limits[BOX_BOTTOM];
    }
    WidenDegenerate(xmin, xmax, xLog != 0);
    WidenDegenerate(ymin, ymax, yLog != 0);
    if (hwnd && PointerLinesBeyondPlot()) InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

bool CGraph::CalcAutoLimits(const double* box, double result[4], double margin)
{
    double b[4];
    if (box) {
        std::copy(box, box + 4, b);
    } else {
        bool any = false;
        for (const auto& o : objects) {
            if (!o->visible) continue;
            double ob[4];
            bool ok = IsPolar() ? o->GetPolarBounds(ob, xLog != 0, yLog != 0) : o->GetBounds(ob, xLog != 0, yLog != 0);
            if (!ok) continue;
            if (!any) {
                std::copy(ob, ob + 4, b);
                any = true;
            } else {
                b[BOX_LEFT] = std::min(b[BOX_LEFT], ob[BOX_LEFT]);
                b[BOX_RIGHT] = std::max(b[BOX_RIGHT], ob[BOX_RIGHT]);
                b[BOX_TOP] = std::max(b[BOX_TOP], ob[BOX_TOP]);
                b[BOX_BOTTOM] = std::min(b[BOX_BOTTOM], ob[BOX_BOTTOM]);
            }
        }
        if (!any) return false;
    }
    const int w = plotRect.right - plotRect.left, h = plotRect.bottom - plotRect.top;
    double xlo = b[BOX_LEFT], xhi = b[BOX_RIGHT], ylo = b[BOX_BOTTOM], yhi = b[BOX_TOP];
    if (box) {
        // A given box is taken as it is unless an axis of it is degenerate.
        auto given = [&](double& lo, double& hi, bool log) {
            double span = log ? std::log10(std::fabs(hi / lo)) : hi - lo;
            if (std::fabs(span) < minSpan) AutoAxis(lo, hi, log, margin, minSpan, 1);
        };
        given(xlo, xhi, xLog != 0);
        given(ylo, yhi, yLog != 0);
    } else {
        AutoAxis(xlo, xhi, xLog != 0, margin, minSpan, w);
        AutoAxis(ylo, yhi, yLog != 0, margin, minSpan, h);
    }
    result[BOX_LEFT] = xlo;
    result[BOX_RIGHT] = xhi;
    result[BOX_TOP] = yhi;
    result[BOX_BOTTOM] = ylo;
    return true;
}

bool CGraph::AutoScale(double margin, const double* box)
{
    double r[4];
    if (!CalcAutoLimits(box, r, margin)) return false;
    SetLimits(r);
    std::copy(r, r + 4, limits);
    Rescale();
    return true;
}

bool CGraph::ZoomAxes(double f, bool doX, bool doY)
{
    const double sx = limits[BOX_RIGHT] - limits[BOX_LEFT], sy = limits[BOX_BOTTOM] - limits[BOX_TOP];
    const double w = plotRect.right - plotRect.left, h = plotRect.bottom - plotRect.top;
    if (doX && (!(std::fabs(sx) > minSpan) || !Finite(sx / w * 4 + sx * f))) return false;
    if (doY && (!(std::fabs(sy) > minSpan) || !Finite(sy / h * 4 + sy * f))) return false;
    double box[4] = {limits[0], limits[1], limits[2], limits[3]};
    if (doX) {
        box[BOX_LEFT] += sx * f;
        box[BOX_RIGHT] -= sx * f;
    }
    if (doY) {
        box[BOX_TOP] += sy * f;
        box[BOX_BOTTOM] -= sy * f;
    }
    SetLimits(box);
    std::copy(limits, limits + 4, previousLimits);
    std::copy(box, box + 4, limits);
    Rescale();
    OnLimitsChanged();
    return true;
}

bool CGraph::Zoom(double f) { return ZoomAxes(f, true, true); }

bool CGraph::ZoomX(double f)
{
    if (equalAxes || IsPolar()) return false;
    return ZoomAxes(f, true, false);
}

bool CGraph::ZoomY(double f)
{
    if (equalAxes || IsPolar()) return false;
    return ZoomAxes(f, false, true);
}

bool CGraph::ZoomToFit(const double* box)
{
    double r[4];
    if (!CalcAutoLimits(box, r, 0.05)) return false;
    std::copy(limits, limits + 4, previousLimits);
    SetLimits(r);
    std::copy(r, r + 4, limits);
    Rescale();
    return true;
}

bool CGraph::ZoomBack()
{
    if (previousLimits[BOX_LEFT] == previousLimits[BOX_RIGHT] && previousLimits[BOX_TOP] == previousLimits[BOX_BOTTOM])
        return false;
    double box[4];
    std::copy(previousLimits, previousLimits + 4, box);
    SetLimits(box);
    std::copy(box, box + 4, limits);
    std::fill(previousLimits, previousLimits + 4, 0.0);
    Rescale();
    return true;
}

bool CGraph::FindPointNear(CGraphObject* object, const std::vector<int32_t>& points, Point2D& offset)
{
    if (!object) return false;
    for (int32_t idx : points) {
        if (idx < 0 || (uint32_t)idx >= object->Count()) continue;
        const Point2D& p = object->Points()[idx];
        Point2D c{p.x + offset.x, p.y + offset.y};
        double tx, ty;
        if (xLog || yLog) {
            tx = DeviceToWorldX(WorldToDeviceX(c.x) + 2) - c.x;
            ty = DeviceToWorldY(WorldToDeviceY(c.y) + 2) - c.y;
        } else {
            tx = 2 * xUnitsPerPixel;
            ty = 2 * yUnitsPerPixel;
        }
        static const std::vector<int32_t> kNone;
        for (const auto& o : objects)
            if (o->HitSegments(c, o.get() == object ? points : kNone, tx, ty)) return true;
    }
    return false;
}
