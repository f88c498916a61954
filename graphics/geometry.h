#pragma once
// Plane geometry of the graphs: point lists, clipping against rectangles and
// convex polygons, segment crossings and intersections, nearest points and
// snapping. Plain value code on doubles; impossible cases give -1, false or an
// empty result, never an error.
#include <cstdint>
#include <vector>

#include "platform/types.h"

struct Point2D {
    double x = 0, y = 0;
};

// A segment (x1, y1)-(x2, y2); rectangles are passed the same way by two
// opposite corners.
struct Segment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// An owned array of points with a signed count.
class PointList {
public:
    PointList() = default;
    PointList(const Point2D* points, int32_t n);

    // The n points closed by the first one again when n >= 3 and the ends
    // differ; three points whose ends agree give the first two; otherwise the
    // points unchanged.
    static PointList ClosedPolygon(const Point2D* points, int32_t n);
    // (x1, y1), (x2, y1), (x2, y2), (x1, y2), (x1, y1).
    static PointList RectPolygon(double x1, double y1, double x2, double y2);
    // A copy without the closing point of a list of 4 or more points.
    static PointList WithoutClosingPoint(const PointList& other);

    int32_t Count() const { return (int32_t)m_points.size(); }
    const Point2D* Data() const { return m_points.data(); }
    Point2D* Data() { return m_points.data(); }
    const Point2D& operator[](int32_t i) const { return m_points[(size_t)i]; }
    Point2D& operator[](int32_t i) { return m_points[(size_t)i]; }
    // At least 4 points and the last one equal to the first, byte for byte.
    bool IsClosed() const;

    std::vector<Point2D>& Points() { return m_points; }
    const std::vector<Point2D>& Points() const { return m_points; }

private:
    std::vector<Point2D> m_points;
};

double SegmentLength(const Segment& s);
// The vertical line through p.x meets the segment: p.y becomes the crossing.
bool SegmentCrossX(const Segment& s, Point2D& p);
// The horizontal line through p.y meets the segment: p.x becomes the crossing.
bool SegmentCrossY(const Segment& s, Point2D& p);
Point2D NearestPointOnSegment(const Segment& s, const Point2D& p);
// -1 no common point, 0 one point (out[0], out[1]), 1 an overlap (out as a segment).
int SegmentIntersect(const Segment& a, const Segment& b, double out[4]);
// The 0, 1 or 2 points of the segment on the circle.
std::vector<Point2D> CircleSegmentIntersect(double cx, double cy, double r, const Segment& s);
// True when p was moved onto the segment (tolerance tx in x, ty in y).
bool SnapToSegment(Point2D& p, const Segment& s, double tx, double ty);
// True when p became the point of the ellipse (half-axes a along x, b along y) in its direction.
bool EllipsePointToward(double cx, double cy, double a, double b, Point2D& p);
// Clips against the rectangle (x1, y1)-(x2, y2), y1 above y2 in world terms
// (or both corners swapped). A closed list is clipped as a polygon and comes
// back closed. Always true.
bool ClipPolyline(PointList& list, const Segment& rect);
// Clips against a convex polygon given as a closed list. Always true.
bool ClipPolygon(PointList& list, const PointList& clip);
Point2D LineIntersection(const Point2D& p1, const Point2D& p2, const Point2D& q1, const Point2D& q2);
// 1, 0 or -1: the side of the line a-b on which p lies.
int SideOfLine(const Point2D& p, const Point2D& a, const Point2D& b);
// A rectangle with two equal corners counts as absent.
void UnionRectInt(RECT& r, const RECT& other);
bool InRange(int v, int a, int b);
bool RectsOverlap(const RECT& a, const RECT& b);
// Each run of consecutive device points in one column becomes its first
// point, its lowest and highest points (in the order they come) and its last
// point (the line's final run may keep one more). A one-pixel solid line
// through the result covers exactly the pixels of one through all the points:
// within a column the line is vertical and covers the run's whole span
// either way.
void ReduceColumnRuns(const POINT* points, size_t n, std::vector<POINT>& out);

// The same reduction fed one point at a time (while the points are made).
class CColumnRunReducer {
public:
    explicit CColumnRunReducer(std::vector<POINT>& out) : m_out(out) { out.clear(); }
    void Add(POINT p)
    {
        const uint64_t at = m_count++;
        if (at == 0 || p.x != m_first.p.x) {
            if (at) Flush(false);
            m_first = m_low = m_high = m_last = Mark{p, at};
            m_hasDeparture = false;
            return;
        }
        m_last = Mark{p, at};
        if (p.y < m_low.p.y) {
            m_low = m_last;
            m_hasDeparture = false;
        } else if (p.y > m_high.p.y) {
            m_high = m_last;
            m_hasDeparture = false;
        } else if (!m_hasDeparture && p.y != Later().p.y) {
            m_departure = p;
            m_hasDeparture = true;
        }
    }
    // After the line's last point.
    void Finish()
    {
        if (m_count) Flush(true);
        m_count = 0;
    }
    // After the last point of a run that is not the line's last.
    void EndRun()
    {
        if (m_count) Flush(false);
        m_count = 0;
    }

private:
    struct Mark {
        POINT p;
        uint64_t at;
    };
    const Mark& Later() const { return m_low.at > m_high.at ? m_low : m_high; }
    void Flush(bool final);

    std::vector<POINT>& m_out;
    uint64_t m_count = 0;
    Mark m_first{}, m_low{}, m_high{}, m_last{};
    // The first point after the later extreme that leaves its height.
    POINT m_departure{};
    bool m_hasDeparture = false;
};
