#pragma once
// A graph: one set of axes with its objects, titles, fonts, colours, axis
// kinds, visible world rectangle and the screen rectangles it is drawn into.
// The plot device derives its plane from it and overrides the virtual
// operations; failures are bool results, nothing throws out.
//
// Boxes (limits, previous limits, bounds, object bounds) are stored as
// left, top, right, bottom: xmin, ymax, xmax, ymin.
#include <cstdint>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "graphics/geometry.h"
#include "graphics/graph_object.h"
#include "platform/gdi/gdi.h"
#include "platform/types.h"

class CByteStream;

enum : uint8_t { AXIS_NONE = 0, AXIS_CLASSIC = 1, AXIS_BOXED = 2, AXIS_POLAR = 3 };
// Axis kind byte: value type in the high four bits, flags in the low four.
enum : uint8_t { AXIS_AUTO_TICKS = 1, AXIS_GRID = 2 };
enum : uint8_t { VALUE_REAL = 0, VALUE_TIME = 1, VALUE_DAYTIME = 2, VALUE_MINTIME = 3, VALUE_LOGIC = 5 };

enum { BOX_LEFT = 0, BOX_TOP = 1, BOX_RIGHT = 2, BOX_BOTTOM = 3 };

class CGraph {
public:
    std::string title;
    std::string titleFont = "Arial";
    int32_t titleFontSize = 30;
    std::string xLabel;
    std::string yLabel;  // drawn rotated by 90 degrees
    std::string axisFont = "Arial";
    int32_t axisFontSize = 14;
    std::string numberFormat = "%.6g";  // printf form of real tick numbers, see SafeNumberFormat
    COLORREF foreColor = 0;
    COLORREF gridColor = 0x646464;
    COLORREF background = 0x80000000;  // 0x80000000: no fill
    std::vector<std::unique_ptr<CGraphObject>> objects;  // drawing order
    double minSpan = 1e-12;
    std::string legendFont = "Arial";
    int32_t legendFontSize = 18;
    int32_t xLog = 0;
    int32_t yLog = 0;
    uint8_t titlePosition = 1;   // 0 none, 1 above, 2 below
    uint8_t legendPosition = 1;  // 0 none, 1 below, 2 above, 3 left, 4 right
    uint8_t axisStyle = AXIS_CLASSIC;
    uint8_t equalAxes = 0;
    uint8_t xAxisFlags = 3;
    uint8_t yAxisFlags = 3;
    int32_t xTickCount = 1;
    int32_t yTickCount = 1;
    int32_t tickSpacing = 100;
    // Marker radius in logical units: a print copy takes it in page units.
    int32_t markerRadius = kMarkerRadius;
    double polarOffset = 0;  // radians; a negative offset turns phi clockwise
    double limits[4] = {0, 0, 0, 0};
    double previousLimits[4] = {0, 0, 0, 0};  // left = right and top = bottom: none
    double bounds[4] = {0, 0, 0, 0};          // left = right (top = bottom): no bound on that axis
    RECT plotRect = {0, 0, 0, 0};
    RECT outerRect = {0, 0, 0, 0};
    double xUnitsPerPixel = 0;  // decades per unit on a log axis
    double yUnitsPerPixel = 0;  // negative for an upright graph
    HWND hwnd = nullptr;
    uint8_t persistFlag = 1;
    uint8_t stateFlag = 0;
    int32_t mouseMode = 1;  // 1 zoom, 2 point entry, 3 pan
    CGraphObject* entryObject = nullptr;
    uint32_t entryMaxCount = 0;

    CGraph() = default;
    CGraph(const CGraph&) = delete;
    CGraph& operator=(const CGraph&) = delete;
    virtual ~CGraph();

    // ---- Virtual operations, in their order ----
    // A new object owned by the caller: a copy of prototype, or a default one; null without memory.
    virtual CGraphObject* NewObject(const CGraphObject* prototype);
    // Polar graphs: (rho, phi in degrees); others: the point unchanged.
    virtual void ToDisplayPoint(Point2D& out, const Point2D& world);
    virtual void PrepareDC(HDC) {}
    // The right-button press (device point): a pan, else zoom back.
    virtual bool HitTest(POINT device);
    virtual void InvalidatePlot();
    virtual void ReadoutText(const Point2D&) {}
    virtual void OnTrackPoint(POINT) {}
    // Corrects box in place; always true.
    virtual bool SetLimits(double box[4]);
    virtual void OnLimitsChanged() {}
    virtual bool CanEditObject(CGraphObject*, const std::vector<int32_t>&) { return true; }
    virtual bool CanMovePoints(CGraphObject*, const std::vector<int32_t>&, const Point2D&) { return true; }
    // True when some dragged point moved by offset touches a segment of any object.
    virtual bool FindPointNear(CGraphObject* object, const std::vector<int32_t>& points, Point2D& offset);
    virtual void OnPointsMoved(CGraphObject*, const std::vector<int32_t>&) {}
    virtual void OnPointerDragStart(CGraphObject*, POINT, const Point2D&) {}
    virtual void OnPointerMoved(CGraphObject*, POINT, const Point2D&) {}
    virtual void AfterObjectLine(HDC, CGraphObject*, const POINT*, uint32_t) {}
    virtual void AfterPointer(CGraphObject*, bool, bool, HDC) {}

    // ---- Model ----
    // Every field of other; objects are cloned through NewObject. False (this
    // graph then without objects) when a clone fails.
    bool CopyFrom(const CGraph& other);
    void ClearObjects();
    // Removes the objects with this id but keep; the count removed.
    int RemoveObjectsById(int32_t id, const CGraphObject* keep);
    int IndexOfObject(const CGraphObject* object) const;
    CGraphObject* FindObjectById(int32_t id) const;
    // No object has points.
    bool IsEmpty() const;
    void SetWindow(HWND window) { hwnd = window; }
    // r with the unit past its right and bottom edges that grid lines, the
    // frame and axis lines reach: what a redraw of the plot or the outer
    // rectangle must repaint.
    static RECT WithDrawnEdges(RECT r)
    {
        r.right++;
        r.bottom++;
        return r;
    }
    bool IsPolar() const { return axisStyle == AXIS_POLAR; }

    // ---- Polar frame ----
    void SetPolarOffset(double degrees);
    Point2D CartesianToPolar(const Point2D& p) const;
    Point2D PolarToCartesian(const Point2D& rp) const;

    // ---- Transforms, limits, autoscale and zoom ----
    // Measures the margins and lays out the plot rectangle, then rescales
    // (unless told not to, or nothing the prepared points depend on changed
    // since the last rescale).
    bool Resize(const RECT& rect, bool rescale = true);
    // The same with a DC already prepared for measuring.
    bool ResizeWithDC(HDC dc, const RECT& rect, bool rescale = true);
    // The layout after measuring: margins (left, top, right, bottom) and, for
    // polar graphs, the size of one axis-font character.
    bool SetPlotRect(const RECT& rect, const RECT& margins, int charSize);
    void UpdateScale();
    // Fractional device coordinates; outside positions for values a log axis cannot show.
    double WorldToDeviceX(double x) const;
    double WorldToDeviceY(double y) const;
    POINT WorldToDevice(const Point2D& p) const;
    double DeviceToWorldX(double d) const;
    double DeviceToWorldY(double d) const;
    Point2D DeviceToWorld(double dx, double dy) const;
    static bool DrawableCoordinate(double d) { return d > -32767 && d < 32767; }
    bool IsDrawable(const Point2D& p) const;
    // Prepares every object's points for drawing.
    void Rescale();
    // Autoscaled limits of the data (box null) or of box, with the margin;
    // false when nothing was computed.
    bool CalcAutoLimits(const double* box, double result[4], double margin);
    bool AutoScale(double margin, const double* box = nullptr);
    bool Zoom(double f);
    bool ZoomX(double f);
    bool ZoomY(double f);
    bool ZoomToFit(const double* box = nullptr);
    bool ZoomBack();

    // ---- Ticks and axis labels ----
    void FormatTickLabelX(double value, std::string& text) const;
    void FormatTickLabelY(double value, std::string& text) const;
    static double NiceStep(double value, double scale);
    static double RoundUpTo(double value, double step);
    static double RoundDownTo(double value, double step);

    // Lays out and draws both axes of a non-polar graph.
    void LayoutAxis(HDC dc);
    static SIZE LogicalToDeviceSize(HDC dc, int dx, int dy);
    // A font of the graph: face and height as stored (height checked), the rest fixed.
    static HFONT CreateGraphFont(const std::string& face, int32_t size, int weight, int escapement,
                                 BYTE pitchAndFamily = VARIABLE_PITCH | FF_SWISS);

    // Values that may come from a damaged file, checked where they are used.
    int TickSpacingInUse() const;
    static int FontHeightInUse(int32_t size);
    static int PenWidthInUse(int32_t width);
    uint8_t AxisStyleInUse() const;

    // ---- Drawing (graph_draw.cpp, polar_draw.cpp) ----
    // Whole graph into dc, logical units as PrepareDC left them. Flags: 1 no
    // read-out pointers, 2 pointers not limited to the client area, 4 no
    // background, 8 every point of every line (for targets drawn again at
    // another scale); otherwise a long hairline on a pixel-exact screen
    // target is drawn from its column runs.
    bool DrawGraph(HDC dc, int flags);
    void FillBackground(HDC dc);
    // Read-out pointers; clip (logical) gives the line box for pointer flag
    // bits 2 and 3, null the plot.
    void DrawPointers(HDC dc, const RECT* clip);
    void DrawObjects(HDC dc, const RECT* clip) { DrawPointers(dc, clip); }
    // Through a window DC prepared with PrepareDC.
    void DeviceToLogical(POINT* points, int n);
    void LogicalToDevice(POINT* points, int n);
    // bounds in 0.01 mm, null: the ink extents.
    HENHMETAFILE BuildMetafile(HDC referenceDc, const RECT* bounds);
    bool CopyToClipboard(HDC referenceDc);
    void DrawPolarAxes(HDC dc);
    void DrawPolarPointer(const CGraphObject& object, HDC dc);

    // ---- Mouse tracking (graph_mouse.cpp); points in device units ----
    bool OnLButtonDown(POINT device);
    void OnMouseMove(POINT device);
    bool TrackZoomRect(RECT& rect);
    bool TrackPan(POINT logical);
    bool TrackEdgeDrag(POINT logical);
    bool TrackObjectDrag(POINT logical);
    bool TrackAddPoints(CGraphObject* object, POINT logical, uint32_t maxCount);
    CGraphObject* FindEditPoints(const Point2D& world, std::vector<int32_t>& points, int& count, double tolerance);
    CGraphObject* HitTestPointer(POINT logical, bool& hitX, bool& hitY);
    CGraphObject* FindObjectByFlag(uint8_t bits) const;
    bool UpdateCursor(POINT logical, Point2D& world);
    // Bumped when the object list or some object's points change under a drag.
    void NoteObjectsChanged() { changeCounter++; }
    uint64_t changeCounter = 0;
    // The module whose cursor table holds "CURSOR_NSWE" and "CURSOR_MOVE".
    static HINSTANCE resourceModule;

    // ---- Stream form ----
    bool WriteToStream(CByteStream& s) const;
    bool ReadFromStream(CByteStream& s);

    // Cleared by the destructor: drags that dispatch messages check it.
    std::shared_ptr<bool> LifeToken() const { return m_alive; }
    // What a drag compares after each dispatched message.
    std::vector<std::pair<const void*, uint64_t>> ObjectsStamp() const;

    // The read-out of a logical point, as every drag shows it.
    void ReadoutAt(POINT logical);

private:
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // What the last rescale prepared the points for: the plot rectangle,
    // limits, axis kinds and each object with its point stamp and kind.
    struct RescaleInputs {
        LONG plot[4] = {0, 0, 0, 0};
        double limits[4] = {0, 0, 0, 0};
        int32_t xLog = 0, yLog = 0;
        uint8_t axisStyle = 0;
        std::vector<std::pair<const void*, uint64_t>> objects;
        std::vector<uint8_t> kinds;
        bool operator==(const RescaleInputs& o) const = default;
    };
    RescaleInputs m_rescaled;
    bool m_rescaledValid = false;
    RescaleInputs CurrentRescaleInputs() const;
    // reduce: lines may be drawn from their column runs (see DrawGraph).
    void DrawObject(HDC dc, CGraphObject& o, bool reduce);
    // A solid hairline polyline, unfilled, of more device points than plot columns.
    bool ReducibleLine(const CGraphObject& o, size_t points) const;
    void DrawPointer(HDC dc, CGraphObject& o, const RECT* clip);
    void DrawLabelsTitleLegend(HDC dc);
    // The height of the polar frame's angle numbers.
    int PolarLabelHeight(HDC dc) const;
    void DrawLegendEntry(HDC dc, CGraphObject& o, int x, int y, int h);
    HBRUSH CreateFillBrush(const CGraphObject& o) const;
    std::string PointerText(const CGraphObject& o) const;
    void AfterLimitsTaken();
    bool PointerLinesBeyondPlot() const;
    // Rescale of a polyline that clipping would leave whole: the device
    // points alone; false (nothing changed) when some point would be cut.
    // A stopped request also ends it (true, the points left unprepared).
    bool PrepareUnclipped(CGraphObject& obj, const Segment& box) const;
    bool ZoomAxes(double f, bool doX, bool doY);
};

// Registers "CURSOR_NSWE" and "CURSOR_MOVE" in module's tables (once, by the
// deliverable that links the library) and makes them the graph's cursors.
void RegisterGraphResources(HINSTANCE module);

// numberFormat as printf may take it: one conversion among f F e E g G a A
// (flags, width and precision of at most two digits), "%%" anywhere; else "%.6g".
std::string SafeNumberFormat(const std::string& format);
// The text of v by a value type of the axis kind byte's high four bits.
std::string FormatAxisValue(double v, int valueType, const std::string& numberFormat);
