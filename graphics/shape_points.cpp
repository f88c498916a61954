// The graph's polar frame and the builders of polar, compass, stair, bar and
// ellipse points.
#include <cmath>

#include "graphics/graph.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;

}  // namespace

void CGraph::SetPolarOffset(double d)
{
    if (d >= 360) d = d - std::floor(d * 0.002777777777777778) * 360;
    polarOffset = d * 0.017453292519943295;
}

Point2D CGraph::PolarToCartesian(const Point2D& rp) const
{
    double rho = rp.x, phi = rp.y;
    double a = polarOffset >= 0 ? std::fabs(polarOffset) + phi : kTwoPi - phi + std::fabs(polarOffset);
    return Point2D{rho * std::cos(a), rho * std::sin(a)};
}

Point2D CGraph::CartesianToPolar(const Point2D& p) const
{
    double rho = std::sqrt(p.x * p.x + p.y * p.y);
    // The origin has no direction: phi 0 there. Rounding may push x/rho past 1.
    double phi = 0;
    if (rho != 0) {
        double c = p.x / rho;
        c = c > 1 ? 1 : c < -1 ? -1 : c;
        phi = std::acos(c);
    }
    if (p.y < 0) phi = kTwoPi - phi;
    if (polarOffset != 0) {
        phi = phi - std::fabs(polarOffset);
        if (std::fabs(phi) < 1e-14)
            phi = 0;
        else if (phi < 0)
            phi = phi + kTwoPi;
        if (polarOffset < 0 && phi != 0) phi = kTwoPi - phi;
    }
    return Point2D{rho, phi};
}

bool CGraphObject::MakeCompass(const CGraph& graph)
{
    const double o = graph.polarOffset;
    if (o == 0) return true;
    Point2D* pts = Points();
    for (uint32_t i = 0; i < Count(); i++) {
        Point2D& p = pts[i];
        if (o > 0) {
            p = Point2D{p.x * std::cos(o) - p.y * std::sin(o), p.x * std::sin(o) + p.y * std::cos(o)};
        } else {
            Point2D rp = graph.CartesianToPolar(p);
            p = graph.PolarToCartesian(Point2D{rp.x, kTwoPi - rp.y + std::fabs(o)});
        }
    }
    PointsChanged();
    return true;
}

bool CGraphObject::SetPolarPoints(const CGraph& graph, const Point2D* pairs, uint32_t n)
{
    Point2D* pts = AllocPoints(n);
    if (!pts && n) return false;
    for (uint32_t i = 0; i < n; i++) pts[i] = graph.PolarToCartesian(pairs[i]);
    return true;
}

bool CGraphObject::SetStairsPoints(const Point2D* p, uint32_t n, uint32_t flags)
{
    std::vector<Point2D> v;
    if (n == 0) return SetPointsFrom(v);
    const bool baseline = flags & 1, startStep = flags & 2, noSteps = flags & 4;
    if (baseline && p[0].y != 0) v.push_back(Point2D{p[0].x, 0});
    v.push_back(p[0]);
    double level = p[0].y;
    uint32_t lastAppended = 0;
    for (uint32_t i = 1; i < n; i++) {
        if (noSteps) {
            v.push_back(p[i]);
        } else if (p[i].y != level) {
            if (startStep) {
                // The step rises at the previous data point: bring the flat
                // run up to it first when its end was left out.
                if (lastAppended != i - 1) v.push_back(Point2D{p[i - 1].x, level});
                v.push_back(Point2D{p[i - 1].x, p[i].y});
            } else {
                v.push_back(Point2D{p[i].x, level});
            }
            v.push_back(p[i]);
        } else if (i == n - 1) {
            v.push_back(p[i]);
        } else {
            continue;
        }
        level = p[i].y;
        lastAppended = i;
    }
    if (baseline && p[n - 1].y != 0) v.push_back(Point2D{p[n - 1].x, 0});
    return SetPointsFrom(v);
}

bool CGraphObject::SetBarPoints(const Point2D* p, uint32_t n, double width, uint32_t flags)
{
    const bool horizontal = flags & 1, withData = flags & 2;
    const uint32_t per = withData ? 5 : 4;
    if (n == 0) return SetPointsFrom({});
    if ((uint64_t)n * per > UINT32_MAX) {
        FreePoints();
        return false;
    }
    // Spacing: the smallest gap between neighbours along the bars' axis. Gaps
    // of 0 (repeated positions) or not finite say nothing about it.
    double spacing = 0;
    bool found = false;
    for (uint32_t i = 1; i < n; i++) {
        double d = horizontal ? std::fabs(p[i].y - p[i - 1].y) : std::fabs(p[i].x - p[i - 1].x);
        if (d == 0 || !std::isfinite(d)) continue;
        if (!found || d < spacing) spacing = d;
        found = true;
    }
    if (!found) spacing = width * 1.05;
    double barWidth = 0.9 * spacing;
    if (width >= 0 && width < barWidth) barWidth = width;
    const double half = barWidth * 0.5;
    Point2D* out = AllocPoints(n * per);
    if (!out) return false;
    for (uint32_t i = 0; i < n; i++) {
        const double x = p[i].x, y = p[i].y;
        Point2D* b = out + (size_t)i * per;
        if (!horizontal) {
            *b++ = {x - half, 0};
            *b++ = {x - half, y};
            if (withData) *b++ = {x, y};
            *b++ = {x + half, y};
            *b++ = {x + half, 0};
        } else {
            *b++ = {0, y - half};
            *b++ = {x, y - half};
            if (withData) *b++ = {x, y};
            *b++ = {x, y + half};
            *b++ = {0, y + half};
        }
    }
    return true;
}

std::vector<Point2D> EllipsePolygon(const Point2D& centre, double a, double b, double angle, uint32_t n)
{
    std::vector<Point2D> pts((size_t)n * 2);
    const double c = std::cos(angle), s = std::sin(angle), step = kPi / n;
    for (uint32_t k = 0; k < n; k++) {
        double t = k * step, u = a * std::cos(t), v = b * std::sin(t);
        double x = u * c - v * s, y = u * s + v * c;
        pts[k] = Point2D{centre.x + x, centre.y + y};
        pts[k + n] = Point2D{centre.x - x, centre.y - y};
    }
    return pts;
}

bool CGraphObject::SetEllipsePoints(const Point2D& centre, double a, double b, double angle, uint32_t n)
{
    if (n > UINT32_MAX / 2) {
        FreePoints();
        return false;
    }
    return SetPointsFrom(EllipsePolygon(centre, a, b, angle, n));
}
