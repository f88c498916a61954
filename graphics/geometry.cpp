// Plane geometry: point lists, crossings, intersections and clipping.
#include "graphics/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/small_matrix.h"
#include "values/stop_probe.h"

namespace {

bool SameBytes(const Point2D& a, const Point2D& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool StrictlyOpposite(double a, double b) { return (a > 0 && b < 0) || (a < 0 && b > 0); }

// One pass of the clipping: keeps what lies inside one edge. side(p) >= 0 is
// inside; a pair strictly on opposite sides adds its crossing. The closing
// edge of a closed input is handled at the end.
template <class Side, class Cross>
std::vector<Point2D> ClipPass(const std::vector<Point2D>& in, bool closed, Side side, Cross cross)
{
    std::vector<Point2D> out;
    out.reserve(in.size() + 4);
    double prevSide = 0;
    for (size_t i = 0; i < in.size(); i++) {
        double s = side(in[i]);
        if (i > 0 && StrictlyOpposite(prevSide, s)) out.push_back(cross(in[i - 1], in[i]));
        if (s >= 0) out.push_back(in[i]);
        prevSide = s;
    }
    if (closed && in.size() > 1 && StrictlyOpposite(prevSide, side(in[0])))
        out.push_back(cross(in.back(), in[0]));
    return out;
}

Point2D CrossAtX(const Point2D& a, const Point2D& b, double x)
{
    return Point2D{x, a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x)};
}

Point2D CrossAtY(const Point2D& a, const Point2D& b, double y)
{
    return Point2D{a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y), y};
}

// Drops the closing point of a closed list; the passes then close it themselves.
bool OpenClosed(PointList& list, std::vector<Point2D>& work)
{
    bool closed = list.IsClosed();
    work = list.Points();
    if (closed) work.pop_back();
    return closed;
}

void FinishClip(PointList& list, std::vector<Point2D>& work, bool closed)
{
    if (closed && !work.empty()) work.push_back(work[0]);
    list.Points().swap(work);
}

bool Within(double v, double a, double b) { return (v >= a && v <= b) || (v >= b && v <= a); }

}  // namespace

PointList::PointList(const Point2D* points, int32_t n)
{
    if (points && n > 0) m_points.assign(points, points + n);
}

PointList PointList::ClosedPolygon(const Point2D* points, int32_t n)
{
    PointList r(points, n);
    if (n >= 3 && !SameBytes(points[0], points[n - 1]))
        r.m_points.push_back(points[0]);
    else if (n == 3)
        r.m_points.resize(2);
    return r;
}

PointList PointList::RectPolygon(double x1, double y1, double x2, double y2)
{
    PointList r;
    r.m_points = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    return r;
}

PointList PointList::WithoutClosingPoint(const PointList& other)
{
    PointList r = other;
    if (r.Count() >= 4) r.m_points.pop_back();
    return r;
}

bool PointList::IsClosed() const { return m_points.size() >= 4 && SameBytes(m_points.front(), m_points.back()); }

double SegmentLength(const Segment& s)
{
    double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    return std::sqrt(dx * dx + dy * dy);
}

bool SegmentCrossX(const Segment& s, Point2D& p)
{
    double a = p.x - s.x1, b = p.x - s.x2;
    if ((a < 0 && b < 0) || (a > 0 && b > 0)) return false;
    p.y = s.x2 == s.x1 ? s.y1 : (a * s.y2 - b * s.y1) / (s.x2 - s.x1);
    return true;
}

bool SegmentCrossY(const Segment& s, Point2D& p)
{
    double a = p.y - s.y1, b = p.y - s.y2;
    if ((a < 0 && b < 0) || (a > 0 && b > 0)) return false;
    p.x = s.y2 == s.y1 ? s.x1 : (a * s.x2 - b * s.x1) / (s.y2 - s.y1);
    return true;
}

Point2D NearestPointOnSegment(const Segment& s, const Point2D& p)
{
    if (s.x1 == s.x2 && s.y1 == s.y2) return Point2D{s.x1, s.y1};
    double dx = s.x1 - s.x2, dy = s.y1 - s.y2;
    double c = s.y2 * s.x1 - s.y1 * s.x2;
    double t = dx * p.x + dy * p.y;
    double d = dx * dx + dy * dy;
    double fx = (t * dx - c * dy) / d, fy = (t * dy + c * dx) / d;
    fx = std::clamp(fx, std::min(s.x1, s.x2), std::max(s.x1, s.x2));
    fy = std::clamp(fy, std::min(s.y1, s.y2), std::max(s.y1, s.y2));
    return Point2D{fx, fy};
}

int SegmentIntersect(const Segment& a, const Segment& b, double out[4])
{
    const double ex = a.x2 - a.x1, ey = a.y2 - a.y1;
    if (ex == 0 && ey == 0) {
        // A is a point: it meets B only when it lies on B.
        double cross = (b.x2 - b.x1) * (a.y1 - b.y1) - (b.y2 - b.y1) * (a.x1 - b.x1);
        if (cross != 0 || !Within(a.x1, b.x1, b.x2) || !Within(a.y1, b.y1, b.y2)) return -1;
        out[0] = a.x1;
        out[1] = a.y1;
        return 0;
    }
    double den = (b.x1 - b.x2) * ey - ex * (b.y1 - b.y2);
    double numA = (b.y1 - a.y1) * (b.x1 - b.x2) - (b.x1 - a.x1) * (b.y1 - b.y2);
    double numB = (b.x1 - a.x1) * ey - (b.y1 - a.y1) * ex;
    if (den != 0) {
        double s = numA / den, u = numB / den;
        if (!(s >= 0 && s <= 1 && u >= 0 && u <= 1)) return -1;
        out[0] = a.x1 + s * ex;
        out[1] = a.y1 + s * ey;
        return 0;
    }
    if (numA != 0 || numB != 0) return -1;
    Point2D b1{b.x1, b.y1}, b2{b.x2, b.y2};
    double t1, t2;
    if (a.x1 != a.x2) {
        t1 = (b1.x - a.x1) / ex;
        t2 = (b2.x - a.x1) / ex;
    } else {
        t1 = (b1.y - a.y1) / ey;
        t2 = (b2.y - a.y1) / ey;
    }
    if (t1 > t2) {
        std::swap(t1, t2);
        std::swap(b1, b2);
    }
    if ((t1 < 0 && t2 < 0) || (t1 > 1 && t2 > 1)) return -1;
    Point2D from = t1 > 0 ? b1 : Point2D{a.x1, a.y1};
    Point2D to = t2 < 1 ? b2 : Point2D{a.x2, a.y2};
    out[0] = from.x;
    out[1] = from.y;
    if (std::max(t1, 0.0) == std::min(t2, 1.0)) return 0;
    out[2] = to.x;
    out[3] = to.y;
    return 1;
}

std::vector<Point2D> CircleSegmentIntersect(double cx, double cy, double r, const Segment& s)
{
    std::vector<Point2D> pts;
    if (s.x1 == s.x2 && s.y1 == s.y2) {
        double dx = s.x1 - cx, dy = s.y1 - cy;
        if (std::sqrt(dx * dx + dy * dy) == r) pts.push_back(Point2D{s.x1, s.y1});
        return pts;
    }
    if (s.x1 == s.x2) {
        double h = std::sqrt(r * r - (s.x1 - cx) * (s.x1 - cx));
        for (double y : {cy + h, cy - h})
            if (Within(y, s.y1, s.y2)) pts.push_back(Point2D{s.x1, y});
        return pts;
    }
    double m = (s.y2 - s.y1) / (s.x2 - s.x1);
    double k = (s.y1 * s.x2 - s.x1 * s.y2) / (s.x2 - s.x1);
    double e = k - cy;
    double qa = 1 + m * m, qb = 2 * (m * e - cx), qc = cx * cx + e * e - r * r;
    double disc = qb * qb - 4 * qa * qc;
    if (!(disc >= 0)) return pts;
    double sq = std::sqrt(disc);
    for (double x : {(-qb + sq) / (2 * qa), (-qb - sq) / (2 * qa)})
        if (Within(x, s.x1, s.x2)) pts.push_back(Point2D{x, m * x + k});
    return pts;
}

bool SnapToSegment(Point2D& p, const Segment& s, double tx, double ty)
{
    // Tolerances come from units per pixel, negative for y on an upright graph.
    tx = std::fabs(tx);
    ty = std::fabs(ty);
    auto near = [&](double x, double y) { return std::fabs(p.x - x) <= tx && std::fabs(p.y - y) <= ty; };
    if (near(s.x1, s.y1)) {
        p = Point2D{s.x1, s.y1};
        return true;
    }
    if (near(s.x2, s.y2)) {
        p = Point2D{s.x2, s.y2};
        return true;
    }
    double r = SegmentLength(Segment{s.x1, s.y1, p.x, p.y});
    std::vector<Point2D> hits = CircleSegmentIntersect(s.x1, s.y1, r, s);
    if (!hits.empty() && std::fabs(hits[0].y - p.y) <= ty && std::fabs(hits[0].x - p.x) <= tx) {
        p = hits[0];
        return true;
    }
    return false;
}

bool EllipsePointToward(double cx, double cy, double a, double b, Point2D& p)
{
    double dx = p.x - cx, dy = p.y - cy;
    Point2D c1, c2;
    if (dx == 0) {
        if (dy == 0) return false;
        c1 = Point2D{0, b};
        c2 = Point2D{0, -b};
    } else {
        if (b == 0) return false;  // a flat ellipse has no point in most directions
        double m = dy / dx;
        double x = a * b / std::sqrt(b * b + (m * a) * (m * a));
        c1 = Point2D{x, m * x};
        c2 = Point2D{-x, -m * x};
    }
    auto dist2 = [&](const Point2D& c) { return (c.x - dx) * (c.x - dx) + (c.y - dy) * (c.y - dy); };
    const Point2D& w = dist2(c2) < dist2(c1) ? c2 : c1;
    p = Point2D{w.x + cx, w.y + cy};
    return true;
}

bool ClipPolyline(PointList& list, const Segment& r)
{
    std::vector<Point2D> work;
    bool closed = OpenClosed(list, work);
    const double x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
    // Each pass is one walk over the points; a stopped request ends the clip between them.
    for (int pass = 0; pass < 4 && !work.empty() && !RequestStopped(); pass++) {
        switch (pass) {
        case 0:
            work = ClipPass(work, closed, [&](const Point2D& p) { return (y1 - y2) * (p.x - x1); },
                            [&](const Point2D& a, const Point2D& b) { return CrossAtX(a, b, x1); });
            break;
        case 1:
            work = ClipPass(work, closed, [&](const Point2D& p) { return -((p.y - y1) * (x2 - x1)); },
                            [&](const Point2D& a, const Point2D& b) { return CrossAtY(a, b, y1); });
            break;
        case 2:
            work = ClipPass(work, closed, [&](const Point2D& p) { return (y2 - y1) * (p.x - x2); },
                            [&](const Point2D& a, const Point2D& b) { return CrossAtX(a, b, x2); });
            break;
        default:
            work = ClipPass(work, closed, [&](const Point2D& p) { return -((x1 - x2) * (p.y - y2)); },
                            [&](const Point2D& a, const Point2D& b) { return CrossAtY(a, b, y2); });
            break;
        }
    }
    FinishClip(list, work, closed);
    return true;
}

bool ClipPolygon(PointList& list, const PointList& clip)
{
    std::vector<Point2D> work;
    bool closed = OpenClosed(list, work);
    for (int32_t i = 0; i + 1 < clip.Count() && !work.empty(); i++) {
        const Point2D q1 = clip[i], q2 = clip[i + 1];
        work = ClipPass(work, closed, [&](const Point2D& p) { return (double)SideOfLine(p, q1, q2); },
                        [&](const Point2D& a, const Point2D& b) { return LineIntersection(a, b, q1, q2); });
    }
    FinishClip(list, work, closed);
    return true;
}

Point2D LineIntersection(const Point2D& p1, const Point2D& p2, const Point2D& q1, const Point2D& q2)
{
    CRealMatrix m(2, 2), rhs(2, 1);
    m.Cell(0, 0) = p2.x - p1.x;
    m.Cell(0, 1) = q1.x - q2.x;
    m.Cell(1, 0) = p2.y - p1.y;
    m.Cell(1, 1) = q1.y - q2.y;
    rhs.Cell(0, 0) = q1.x - p1.x;
    rhs.Cell(1, 0) = q1.y - p1.y;
    Inverse(m);
    CRealMatrix su = Multiply(m, rhs);
    double s = su.Cell(0, 0);
    return Point2D{p1.x + s * (p2.x - p1.x), p1.y + s * (p2.y - p1.y)};
}

int SideOfLine(const Point2D& p, const Point2D& a, const Point2D& b)
{
    double s = (a.y - b.y) * (p.x - a.x) - (a.y - p.y) * (b.x - a.x);
    return s > 0 ? 1 : s < 0 ? -1 : 0;
}

void UnionRectInt(RECT& r, const RECT& o)
{
    auto absent = [](const RECT& x) { return x.left == x.right && x.top == x.bottom; };
    if (absent(o)) return;
    if (absent(r)) {
        r = o;
        return;
    }
    r.left = std::min(r.left, o.left);
    r.top = std::min(r.top, o.top);
    r.right = std::max(r.right, o.right);
    r.bottom = std::max(r.bottom, o.bottom);
}

bool InRange(int v, int a, int b) { return (v >= a && v <= b) || (v >= b && v <= a); }

bool RectsOverlap(const RECT& a, const RECT& b)
{
    bool xs = InRange(a.left, b.left, b.right) || InRange(a.right, b.left, b.right) ||
              InRange(b.left, a.left, a.right) || InRange(b.right, a.left, a.right);
    bool ys = InRange(a.top, b.top, b.bottom) || InRange(a.bottom, b.top, b.bottom) ||
              InRange(b.top, a.top, a.bottom) || InRange(b.bottom, a.top, a.bottom);
    return xs && ys;
}

void CColumnRunReducer::Flush(bool final)
{
    const Mark& a = m_low.at < m_high.at ? m_low : m_high;
    const Mark& b = Later();
    m_out.push_back(m_first.p);
    if (a.at != m_first.at && a.at != m_last.at) m_out.push_back(a.p);
    if (b.at != m_first.at && b.at != m_last.at && b.at != a.at) m_out.push_back(b.p);
    // A pixel is drawn where a segment of some length starts. The line's
    // very last run may come back to its later extreme at the end: the full
    // line left that extreme in between, so the reduced one must too.
    if (final && m_last.at != b.at && m_last.p.y == b.p.y && m_hasDeparture) m_out.push_back(m_departure);
    if (m_last.at != m_first.at) m_out.push_back(m_last.p);
}

void ReduceColumnRuns(const POINT* p, size_t n, std::vector<POINT>& out)
{
    CColumnRunReducer r(out);
    for (size_t i = 0; i < n && !RequestStoppedAt(i); i++) r.Add(p[i]);
    r.Finish();
}
