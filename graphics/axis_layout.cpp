// Axes of a Cartesian graph: the axis lines by style, the ticks, their
// numbers in the form of each axis's value type, and the grid.
#include <cmath>
#include <cstdio>
#include <string>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "values/value.h"

namespace {

constexpr int kAxisFontWeight = 300;

// Bounded so that tick and label positions derived from it cannot overflow.
LONG DeviceFloor(double d) { return ClampCoord(SaturateToInt(std::floor(d))); }

// What one pass over an axis needs to know.
struct AxisPlan {
    bool isX;
    bool log;
    int logValue;     // the graph's xLog / yLog
    int valueType;
    bool grid;
    int size;         // plot width or height
    double step;
    double decadeFactor;
    bool decadeMode;
};

}  // namespace

int CGraph::TickSpacingInUse() const { return tickSpacing < 1 ? 100 : tickSpacing; }

int CGraph::FontHeightInUse(int32_t size)
{
    return size > 4096 ? 4096 : size < -4096 ? -4096 : size;
}

int CGraph::PenWidthInUse(int32_t width) { return width < 0 ? 0 : width > 1000 ? 1000 : width; }

uint8_t CGraph::AxisStyleInUse() const { return axisStyle > AXIS_POLAR ? (uint8_t)AXIS_CLASSIC : axisStyle; }

HFONT CGraph::CreateGraphFont(const std::string& face, int32_t size, int weight, int escapement, BYTE pitchAndFamily)
{
    LOGFONT lf{};
    lf.lfHeight = FontHeightInUse(size);
    lf.lfWeight = weight;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = pitchAndFamily;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face.c_str());
    return CreateFontIndirect(&lf);
}

SIZE CGraph::LogicalToDeviceSize(HDC dc, int dx, int dy)
{
    POINT p[2] = {{0, 0}, {dx, dy}};
    LPtoDP(dc, p, 2);
    return SIZE{p[1].x - p[0].x, p[1].y - p[0].y};
}

namespace {

SIZE MeasureText(HDC dc, const std::string& text)
{
    RECT r{0, 0, 0, 0};
    DrawText(dc, text.c_str(), (int)text.size(), &r, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

void CGraph::LayoutAxis(HDC dc)
{
    COLORREF oldText = SetTextColor(dc, foreColor);
    int oldBk = SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateGraphFont(axisFont, axisFontSize, kAxisFontWeight, 0);
    HGDIOBJ oldFont = SelectObject(dc, font);
    HPEN axisPen = CreatePen(PS_SOLID, 0, foreColor);
    HPEN gridPen = CreatePen(PS_DOT, 0, gridColor);
    HGDIOBJ oldPen = SelectObject(dc, axisPen);

    const uint8_t style = AxisStyleInUse();
    if (style == AXIS_CLASSIC || style == AXIS_BOXED) {
        const RECT pr = plotRect;
        const int x0 = SaturateToInt(WorldToDeviceX(0)), y0 = SaturateToInt(WorldToDeviceY(0));
        const int column = x0 < pr.left ? pr.left : x0 > pr.right ? pr.right : x0;
        const int row = y0 < pr.top ? pr.top : y0 > pr.bottom ? pr.bottom : y0;
        const bool classic = style == AXIS_CLASSIC;
        bool xTickAtCrossing = false;
        if (classic) {
            MoveToEx(dc, pr.left, row, nullptr);
            LineTo(dc, pr.right + 1, row);
        }
        DrawAxisTicks(dc, true, x0, y0, column, row, axisPen, gridPen, xTickAtCrossing);
        if (classic) {
            SelectObject(dc, axisPen);
            MoveToEx(dc, column, pr.top, nullptr);
            LineTo(dc, column, pr.bottom + 1);
        }
        DrawAxisTicks(dc, false, x0, y0, column, row, axisPen, gridPen, xTickAtCrossing);
        if (!classic) {
            SelectObject(dc, axisPen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
            Rectangle(dc, pr.left, pr.top, pr.right + 1, pr.bottom + 1);
            SelectObject(dc, oldBrush);
        }
    }

    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    DeleteObject(axisPen);
    DeleteObject(gridPen);
    DeleteObject(font);
    SetBkMode(dc, oldBk);
    SetTextColor(dc, oldText);
}

void CGraph::DrawAxisTicks(HDC dc, bool isX, int x0, int y0, int column, int row, HPEN axisPen, HPEN gridPen,
                           bool& xTickAtCrossing)
{
    const RECT pr = plotRect;
    const bool classic = AxisStyleInUse() == AXIS_CLASSIC;
    const int spacing = TickSpacingInUse();
    const int w = isX ? pr.right - pr.left : pr.bottom - pr.top;
    const int logValue = isX ? xLog : yLog;
    const bool log = logValue != 0;
    const uint8_t flags = isX ? xAxisFlags : yAxisFlags;
    const int valueType = flags >> 4;
    const bool grid = flags & AXIS_GRID;
    const double vmin = isX ? limits[BOX_LEFT] : limits[BOX_BOTTOM];
    const double vmax = isX ? limits[BOX_RIGHT] : limits[BOX_TOP];
    const double units = std::fabs(isX ? xUnitsPerPixel : yUnitsPerPixel);
    int32_t& storedCount = isX ? xTickCount : yTickCount;
    const int crossing = isX ? x0 : y0;

    // Tick count and step.
    double step, decadeFactor = 0;
    bool decadeMode;
    int count;
    const double D = log ? std::log10(std::fabs(vmax / vmin)) : 0;
    if (flags & AXIS_AUTO_TICKS) {
        count = SaturateToInt(RoundToNearest((double)w / spacing));
        storedCount = count;
        if (count < 1) return;
        if (log) {
            step = NiceStep(vmin * std::pow(10.0, 2 * spacing * units) - vmin, 1);
            decadeMode = SaturateToInt(std::fabs(D)) > count / 2;  // whole decades shown
        } else {
            step = NiceStep((vmax - vmin) / count, 1);
            decadeMode = false;
        }
    } else {
        count = storedCount;
        if (count < 1) return;
        if (log) {
            step = vmin * std::pow(10.0, D / count) - vmin;
            decadeMode = true;
            decadeFactor = std::fabs(D) / count;
        } else {
            step = (double)w / count * units;
            decadeMode = false;
        }
    }
    if (!std::isfinite(step) || !(step > 0)) return;

    // First tick at the near edge: plot left for x, plot bottom for y.
    double t = RoundUpTo(isX ? DeviceToWorldX(pr.left) : DeviceToWorldY(pr.bottom), step);
    if (!std::isfinite(t)) return;
    const RECT frame{pr.left, pr.top, pr.right + 1, pr.bottom + 1};
    const double t0 = t;
    int k = 0;
    int pPrev = 0;
    std::string text;

    for (int pass = 0; pass < 2; pass++) {
        const bool forward = pass == 0;
        if (!forward) t = t0 - step;
        for (int i = forward ? 0 : 1; i <= w; i++) {
            if (!std::isfinite(t)) break;
            const int p = isX ? DeviceFloor(WorldToDeviceX(t)) : DeviceFloor(WorldToDeviceY(t));
            const bool inside = isX ? (p >= pr.left && p <= pr.right) : (p >= pr.top && p <= pr.bottom);
            if (classic && p != crossing && inside) {
                SelectObject(dc, axisPen);
                if (isX) {
                    MoveToEx(dc, p, row - 3, nullptr);
                    LineTo(dc, p, row + 3);
                } else {
                    MoveToEx(dc, column - 3, p, nullptr);
                    LineTo(dc, column + 3, p);
                }
                if (grid) GridLine(dc, isX, p, gridPen);
            }
            // The number.
            if (p == crossing && (valueType == VALUE_REAL || valueType == VALUE_DAYTIME ||
                                  ((valueType == VALUE_TIME || valueType == VALUE_MINTIME) && t >= 0)))
                text = valueType == VALUE_REAL ? std::string("0") : FormatAxisValue(0, valueType, numberFormat);
            else
                text = FormatAxisValue(t, valueType, numberFormat);
            if (valueType == VALUE_DAYTIME && text.size() > 200) text.resize(200);
            if (!classic && inside) {
                SelectObject(dc, axisPen);
                if (isX) {
                    MoveToEx(dc, p, pr.top, nullptr);
                    LineTo(dc, p, pr.top + 5);
                    MoveToEx(dc, p, pr.bottom, nullptr);
                    LineTo(dc, p, pr.bottom - 5);
                } else {
                    MoveToEx(dc, pr.left, p, nullptr);
                    LineTo(dc, pr.left + 5, p);
                    MoveToEx(dc, pr.right, p, nullptr);
                    LineTo(dc, pr.right - 5, p);
                }
                if (grid) GridLine(dc, isX, p, gridPen);
            }
            const SIZE ts = MeasureText(dc, text);
            RECT nr;
            if (isX) {
                nr.left = p - ts.cx / 2;
                if (classic)
                    nr.top = row + ts.cy >= pr.bottom ? row - ts.cy - 4 : row + 4;
                else
                    nr.top = pr.bottom - ts.cy - 4;
            } else {
                nr.top = p - ts.cy / 2;
                if (classic) {
                    nr.left = column - ts.cx - 4;
                    if (nr.left < pr.left) nr.left = column + 4;
                } else {
                    nr.left = pr.left + 7;
                }
            }
            nr.right = nr.left + ts.cx;
            nr.bottom = nr.top + ts.cy;

            bool draw;
            if (forward) {
                const bool beyond = isX ? p > pr.right : p < pr.top;
                if (beyond && !RectsOverlap(nr, frame)) break;
                draw = !(log && k >= 3) || std::abs(p - pPrev) > spacing / 2;
                double lg = log ? std::log10(t) : 0;
                if (log && i > 0 && (decadeMode || std::fabs(lg - RoundToNearest(lg)) < 1e-11)) {
                    step *= decadeFactor != 0 ? std::pow(10.0, decadeFactor) : 10.0;
                    t = RoundDownTo(t + step, step);
                    k = 0;
                    draw = true;
                } else {
                    t = t + step;
                }
            } else {
                const bool beyond = isX ? p < pr.left : p > pr.bottom;
                if (beyond && !RectsOverlap(nr, frame)) break;
                t = t - step;
                draw = true;
            }
            if (isX && p == crossing) xTickAtCrossing = true;
            if (!isX && classic && p == crossing && xTickAtCrossing) draw = false;
            if (draw && !text.empty()) {
                // The margins hold no room for numbers: one centred on a tick
                // at the plot's edge would reach past the graph's rectangle
                // (and a plane's window edge). It moves inward along its axis;
                // one whose tick lies off the plot is left out instead.
                const bool onPlot = isX ? (p >= pr.left && p <= pr.right) : (p >= pr.top && p <= pr.bottom);
                const RECT& outer = outerRect;
                const int lo = isX ? outer.left : outer.top, hi = isX ? outer.right : outer.bottom;
                LONG& a = isX ? nr.left : nr.top;
                LONG& b = isX ? nr.right : nr.bottom;
                if (hi - lo >= b - a && (a < lo || b > hi)) {
                    if (!onPlot) draw = false;
                    const LONG shift = a < lo ? lo - a : hi - b;
                    a += shift;
                    b += shift;
                }
            }
            if (draw && !text.empty())
                DrawText(dc, text.c_str(), (int)text.size(), &nr,
                         (isX ? DT_CENTER : DT_LEFT) | DT_NOCLIP | DT_NOPREFIX);
            k++;
            pPrev = p;
        }
    }
}

void CGraph::GridLine(HDC dc, bool isX, int p, HPEN gridPen)
{
    SelectObject(dc, gridPen);
    if (isX) {
        MoveToEx(dc, p, plotRect.top, nullptr);
        LineTo(dc, p, plotRect.bottom + 1);
    } else {
        MoveToEx(dc, plotRect.left, p, nullptr);
        LineTo(dc, plotRect.right + 1, p);
    }
}
