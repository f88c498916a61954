#pragma once
// One object of a graph: a curve, polygon, set of arrows or of markers, with
// its style, legend entry, read-out pointer and world points. The graph owns
// its objects; the prepared and screen arrays are rebuilt by its rescale.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "graphics/geometry.h"
#include "platform/gdi/gdi.h"
#include "platform/types.h"

class CGraph;

// The marker radius in device units.
constexpr int kMarkerRadius = 3;

class CGraphObject {
public:
    uint8_t visible = 1;  // drawn only when set and the object has points
    uint8_t flagB = 1;    // editable with the mouse (together with visible)
    uint8_t flagC = 0;
    std::string legend;
    std::string boxLegend;
    uint8_t inLegend = 1;
    int32_t userWord = 0;  // copied with the style, never stored
    int32_t id = -1;       // the plot device's object id, -1 none
    uint8_t kind = 1;      // 0 markers, 1 polyline, 2 filled polygon, 3 arrows, 4 polyline (stored as 1)
    COLORREF color = 0;
    int32_t penStyle = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    int32_t penWidth = 0;
    uint8_t marker = 0;     // 0 none, 1 dot, 2 circle, 3 square, 4 triangle, 5 plus, 6 cross
    uint8_t markerAux = 0;  // label each drawn point with its coordinates
    COLORREF fillColor = 0;
    int16_t fillStyle = -2;  // -2 none, -1 solid, 0..5 hatches
    // Bit 0 vertical line at the pointer's x, bit 1 horizontal line at its y;
    // bit 2 widens the horizontal line and bit 3 the vertical one to the
    // window's client area; bit 4 coordinate label.
    uint8_t pointerFlags = 0;
    int32_t pointerAux = 0;  // copied, never stored
    Point2D pointer;
    // Index of the point the read-out pointer sits on, -1 none; cleared by
    // every change of the points.
    int32_t cacheMark = -1;
    int32_t extraWord = 0;
    uint8_t extraByte = 0;

    CGraphObject() { TouchStamp(); }
    CGraphObject(const CGraphObject& other);
    CGraphObject& operator=(const CGraphObject&) = delete;
    virtual ~CGraphObject() = default;

    const Point2D* Points() const { return m_points.get(); }
    Point2D* Points() { return m_points.get(); }
    uint32_t Count() const { return m_count; }
    uint32_t Capacity() const { return m_capacity; }
    // The prepared points: the world points themselves when clipping left
    // them all as they are (no second copy of a large curve).
    std::span<const Point2D> DrawPoints() const
    {
        return m_drawShared ? std::span<const Point2D>(m_points.get(), m_count) : std::span<const Point2D>(m_drawPoints);
    }
    uint32_t DrawCount() const { return (uint32_t)DrawPoints().size(); }
    const std::vector<POINT>& ScreenPoints() const { return m_screenPoints; }

    // Frees all three arrays.
    void FreePoints();
    // Every attribute of other but its points, prepared arrays and cache mark.
    bool CopyStyle(const CGraphObject& other);
    // n points to fill: the present array when it holds n (contents kept),
    // else a new one. Null when the allocation fails (the object is then empty).
    Point2D* AllocPoints(uint32_t n);
    // Copies of the given points; false (and no points) when memory runs out.
    bool SetPoints(const Point2D* points, uint32_t n);
    bool SetPointsFrom(const std::vector<Point2D>& points);
    // The stored point, or null (object unchanged) when the array cannot grow.
    Point2D* AppendPoint(const Point2D& p);
    int32_t IndexOfPoint(const Point2D* p) const;
    void CopyPointsTo(std::vector<Point2D>& out) const;
    // Replaces the prepared points and their device points.
    void SetPrepared(std::vector<Point2D>&& drawPoints, std::vector<POINT>&& screenPoints);
    // The world points unchanged are the prepared points; columnRuns, when
    // not empty, is ReduceColumnRuns of the device points, made with them.
    void SetPreparedAsPoints(std::vector<POINT>&& screenPoints, std::vector<POINT>&& columnRuns = {});
    // The column runs of the device points made at the last rescale, or empty.
    const std::vector<POINT>& ColumnRuns() const { return m_columnRuns; }
    // The device array to refill (its memory is reused); the object keeps none meanwhile.
    std::vector<POINT> TakeScreenPoints();

    // Box (xmin, ymax, xmax, ymin) of the points; coordinates that are not
    // finite, or not positive on a log axis, are skipped. False when no point counts.
    bool GetBounds(double box[4], bool xLog, bool yLog) const;
    // The square (-r, r, r, -r) of the largest distance from the origin.
    bool GetPolarBounds(double box[4], bool xLog, bool yLog) const;
    // With a position: stores it and the flags, true. Without: onto the first
    // finite point with both coordinates positive, else the first finite
    // point; no finite point: flags 0, false.
    bool SetPointer(uint8_t kind, const Point2D* position);
    // True when a segment (the closing one too for kind 2) passes within
    // (tx, ty) of p; a pair with an excluded point index breaks the chain.
    bool HitSegments(const Point2D& p, const std::vector<int32_t>& excluded, double tx, double ty) const;
    // Indices of the points inside p +- (dx, dy); when none, the two ends of
    // the first segment that crosses the box's edges.
    std::vector<int32_t> PointsNear(const Point2D& p, double dx, double dy) const;

    // Shape points (the object's points are replaced; false when memory runs out).
    bool MakeCompass(const CGraph& graph);
    bool SetPolarPoints(const CGraph& graph, const Point2D* pairs, uint32_t n);
    // Flags: bit 0 drop to y = 0 at both ends, bit 1 step at the start of
    // each interval, bit 2 no steps.
    bool SetStairsPoints(const Point2D* p, uint32_t n, uint32_t flags);
    // Flags: bit 0 horizontal bars, bit 1 the data point joins the outline.
    bool SetBarPoints(const Point2D* p, uint32_t n, double width, uint32_t flags);
    bool SetEllipsePoints(const Point2D& centre, double a, double b, double angle, uint32_t n);

    // The marker shape (1..6, others nothing) around the device point, with
    // the current pen and a hollow brush; the pen position is kept. r is the
    // radius; the dot and the triangle's base scale with it.
    static void DrawMarker(HDC dc, int x, int y, int shape, int r = kMarkerRadius);
    // A head 10 units long and 10 wide at tip, pointing away from `from`.
    static void DrawArrowHead(HDC dc, POINT from, POINT tip);

    // Read-out pointer moves along the polyline (the closing segment too for
    // kind 2) toward the mouse; false when it stays where it was.
    bool SlidePointer(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY);
    bool PlacePointerNearest(const CGraph& g, const Point2D& mouse);
    bool SlidePointerLog(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY);
    bool PlacePointerNearestLog(const CGraph& g, const Point2D& mouse);
    // A fresh value on every change of the points.
    uint64_t Stamp() const { return m_stamp; }
    void TouchStamp();

private:
    void PointsChanged();
    bool MovePointer(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY, bool nearestOnly, bool log);

    uint64_t m_stamp = 0;

    std::unique_ptr<Point2D[]> m_points;
    uint32_t m_count = 0;
    uint32_t m_capacity = 0;
    std::vector<Point2D> m_drawPoints;
    std::vector<POINT> m_screenPoints;
    std::vector<POINT> m_columnRuns;
    bool m_drawShared = false;  // DrawPoints are the world points
};

// The 2n points of an ellipse polygon: centre, half-axes a and b, rotated by angle.
std::vector<Point2D> EllipsePolygon(const Point2D& centre, double a, double b, double angle, uint32_t n);
