// Graph objects: point arrays, bounds, pointer placement and hit tests.
#include "graphics/graph_object.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "values/stop_probe.h"

namespace {

bool Acceptable(double v, bool log) { return std::isfinite(v) && (!log || v > 0); }

}  // namespace

CGraphObject::CGraphObject(const CGraphObject& o)
    : visible(o.visible), flagB(o.flagB), flagC(o.flagC), legend(o.legend), boxLegend(o.boxLegend),
      inLegend(o.inLegend), userWord(o.userWord), id(o.id), kind(o.kind), color(o.color),
      penStyle(o.penStyle), penWidth(o.penWidth), marker(o.marker), markerAux(o.markerAux),
      fillColor(o.fillColor), fillStyle(o.fillStyle), pointerFlags(o.pointerFlags), pointerAux(o.pointerAux),
      pointer(o.pointer), cacheMark(o.cacheMark), extraWord(o.extraWord), extraByte(o.extraByte),
      m_drawPoints(o.m_drawPoints), m_screenPoints(o.m_screenPoints), m_columnRuns(o.m_columnRuns),
      m_drawShared(o.m_drawShared)
{
    // The clone keeps its own index into its own copy of the points. A copy
    // that finds no memory is left without points rather than failing.
    if (o.m_count) {
        m_points.reset(new (std::nothrow) Point2D[o.m_count]);
        if (m_points) {
            std::copy(o.m_points.get(), o.m_points.get() + o.m_count, m_points.get());
            m_count = m_capacity = o.m_count;
        } else {
            cacheMark = -1;
        }
    }
    if (!m_count) cacheMark = -1;
    if (m_drawShared && m_count != o.m_count) {
        m_drawShared = false;
        m_screenPoints.clear();
        m_columnRuns.clear();
    }
    TouchStamp();
}

void CGraphObject::TouchStamp()
{
    // One sequence for every object: a new object at a freed one's address
    // never shows the old stamp.
    static std::atomic<uint64_t> sequence{0};
    m_stamp = ++sequence;
}

void CGraphObject::PointsChanged()
{
    TouchStamp();
    cacheMark = -1;
    m_drawPoints.clear();
    m_drawPoints.shrink_to_fit();
    m_screenPoints.clear();
    m_screenPoints.shrink_to_fit();
    m_columnRuns.clear();
    m_columnRuns.shrink_to_fit();
    m_drawShared = false;
}

void CGraphObject::FreePoints()
{
    m_points.reset();
    m_count = m_capacity = 0;
    PointsChanged();
}

bool CGraphObject::CopyStyle(const CGraphObject& o)
{
    visible = o.visible;
    flagB = o.flagB;
    flagC = o.flagC;
    legend = o.legend;
    boxLegend = o.boxLegend;
    inLegend = o.inLegend;
    userWord = o.userWord;
    id = o.id;
    kind = o.kind;
    color = o.color;
    penStyle = o.penStyle;
    penWidth = o.penWidth;
    marker = o.marker;
    markerAux = o.markerAux;
    fillColor = o.fillColor;
    fillStyle = o.fillStyle;
    pointerFlags = o.pointerFlags;
    pointerAux = o.pointerAux;
    pointer = o.pointer;
    extraWord = o.extraWord;
    extraByte = o.extraByte;
    return true;
}

Point2D* CGraphObject::AllocPoints(uint32_t n)
{
    if (m_capacity >= n) {
        m_count = n;
        PointsChanged();
        return m_points.get();
    }
    FreePoints();
    m_points.reset(new (std::nothrow) Point2D[n]);
    if (!m_points) return nullptr;
    m_count = m_capacity = n;
    return m_points.get();
}

bool CGraphObject::SetPoints(const Point2D* points, uint32_t n)
{
    FreePoints();
    if (n == 0) return true;
    if (!points) return false;
    m_points.reset(new (std::nothrow) Point2D[n]);
    if (!m_points) return false;
    std::copy(points, points + n, m_points.get());
    m_count = m_capacity = n;
    return true;
}

bool CGraphObject::SetPointsFrom(const std::vector<Point2D>& points)
{
    if (points.size() > UINT32_MAX) {
        FreePoints();
        return false;
    }
    return SetPoints(points.data(), (uint32_t)points.size());
}

Point2D* CGraphObject::AppendPoint(const Point2D& p)
{
    if (m_count >= m_capacity) {
        uint64_t grown = (uint64_t)m_capacity + m_count + 100;
        if (grown > UINT32_MAX) return nullptr;
        std::unique_ptr<Point2D[]> bigger(new (std::nothrow) Point2D[grown]);
        if (!bigger) return nullptr;
        std::copy(m_points.get(), m_points.get() + m_count, bigger.get());
        m_points = std::move(bigger);
        m_capacity = (uint32_t)grown;
    }
    PointsChanged();
    m_points[m_count] = p;
    return &m_points[m_count++];
}

int32_t CGraphObject::IndexOfPoint(const Point2D* p) const
{
    if (!p || !m_count) return -1;
    const Point2D* base = m_points.get();
    for (uint32_t i = 0; i < m_count; i++)
        if (base + i == p) return (int32_t)i;
    return -1;
}

void CGraphObject::CopyPointsTo(std::vector<Point2D>& out) const
{
    out.assign(m_points.get(), m_points.get() + m_count);
}

void CGraphObject::SetPrepared(std::vector<Point2D>&& drawPoints, std::vector<POINT>&& screenPoints)
{
    m_drawPoints = std::move(drawPoints);
    m_screenPoints = std::move(screenPoints);
    m_columnRuns.clear();
    m_drawShared = false;
}

void CGraphObject::SetPreparedAsPoints(std::vector<POINT>&& screenPoints, std::vector<POINT>&& columnRuns)
{
    m_drawPoints.clear();
    m_drawPoints.shrink_to_fit();
    m_screenPoints = std::move(screenPoints);
    m_columnRuns = std::move(columnRuns);
    m_drawShared = true;
}

std::vector<POINT> CGraphObject::TakeScreenPoints()
{
    std::vector<POINT> s;
    s.swap(m_screenPoints);
    m_columnRuns.clear();
    return s;
}

bool CGraphObject::GetBounds(double box[4], bool xLog, bool yLog) const
{
    bool any = false;
    for (uint32_t i = 0; i < m_count; i++) {
        // The request this is for has stopped: the box no longer matters.
        if (RequestStoppedAt(i)) break;
        const Point2D& p = m_points[i];
        bool okX = Acceptable(p.x, xLog), okY = Acceptable(p.y, yLog);
        if (!any) {
            if (!okX || !okY) continue;
            box[0] = box[2] = p.x;
            box[1] = box[3] = p.y;
            any = true;
            continue;
        }
        if (okX) {
            box[0] = std::min(box[0], p.x);
            box[2] = std::max(box[2], p.x);
        }
        if (okY) {
            box[3] = std::min(box[3], p.y);
            box[1] = std::max(box[1], p.y);
        }
    }
    return any;
}

bool CGraphObject::GetPolarBounds(double box[4], bool xLog, bool yLog) const
{
    bool any = false;
    double rmax = 0;
    for (uint32_t i = 0; i < m_count; i++) {
        if (RequestStoppedAt(i)) break;
        const Point2D& p = m_points[i];
        if (!Acceptable(p.x, xLog) || !Acceptable(p.y, yLog)) continue;
        double r = std::sqrt(p.x * p.x + p.y * p.y);
        if (!std::isfinite(r)) continue;
        rmax = any ? std::max(rmax, r) : r;
        any = true;
    }
    if (any) {
        box[0] = -rmax;
        box[1] = rmax;
        box[2] = rmax;
        box[3] = -rmax;
    }
    return any;
}

bool CGraphObject::SetPointer(uint8_t flags, const Point2D* position)
{
    if (position) {
        pointer = *position;
        pointerFlags = flags;
        return true;
    }
    const Point2D* first = nullptr;
    const Point2D* positive = nullptr;
    for (uint32_t i = 0; i < m_count && !positive; i++) {
        const Point2D& p = m_points[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (!first) first = &p;
        if (p.x > 0 && p.y > 0) positive = &p;
    }
    if (!first) {
        pointerFlags = 0;
        return false;
    }
    pointer = positive ? *positive : *first;
    pointerFlags = flags;
    return true;
}

bool CGraphObject::HitSegments(const Point2D& p, const std::vector<int32_t>& excluded, double tx, double ty) const
{
    if (m_count < 2) return false;
    auto isExcluded = [&](uint32_t i) {
        return std::find(excluded.begin(), excluded.end(), (int32_t)i) != excluded.end();
    };
    uint32_t pairs = kind == 2 ? m_count : m_count - 1;
    for (uint32_t i = 0; i < pairs; i++) {
        uint32_t j = (i + 1) % m_count;
        if (isExcluded(i) || isExcluded(j)) continue;
        const Point2D& a = m_points[i];
        const Point2D& b = m_points[j];
        Point2D q = p;
        if (SnapToSegment(q, Segment{a.x, a.y, b.x, b.y}, tx, ty)) return true;
    }
    return false;
}

std::vector<int32_t> CGraphObject::PointsNear(const Point2D& p, double dx, double dy) const
{
    std::vector<int32_t> found;
    const double x1 = p.x - dx, x2 = p.x + dx, y1 = p.y - dy, y2 = p.y + dy;
    for (uint32_t i = 0; i < m_count; i++) {
        const Point2D& q = m_points[i];
        if (q.x >= x1 && q.x <= x2 && q.y >= y1 && q.y <= y2) found.push_back((int32_t)i);
    }
    if (!found.empty() || m_count < 2) return found;
    const Segment edges[4] = {{x1, y1, x2, y1}, {x2, y1, x2, y2}, {x2, y2, x1, y2}, {x1, y2, x1, y1}};
    for (uint32_t i = 0; i + 1 < m_count; i++) {
        Segment s{m_points[i].x, m_points[i].y, m_points[i + 1].x, m_points[i + 1].y};
        for (const Segment& e : edges) {
            double out[4];
            if (SegmentIntersect(s, e, out) >= 0) {
                found.push_back((int32_t)i);
                found.push_back((int32_t)i + 1);
                return found;
            }
        }
    }
    return found;
}
