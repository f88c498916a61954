// Axes of a Cartesian graph: the axis lines by style, the ticks, their
// numbers in the form of each axis's value type, and the grid. Both axes are
// laid out before anything is drawn, so that numbers keep apart from each
// other and grid lines pass around them.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "values/value.h"

namespace {

constexpr int kAxisFontWeight = 300;

LONG DeviceFloor(double d) { return (LONG)SaturateToInt(std::floor(d)); }

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

namespace {

// What the layout of one axis needs to know.
struct AxisSpec {
    bool isX;
    bool classic;
    bool log;
    int valueType;
    int spacing;
    int w;         // plot width or height
    int crossing;  // x0 for x, y0 for y
    int column, row;
    RECT pr;
    const std::string* numberFormat;
};

// One tick as it is drawn.
struct Tick {
    int p = 0;           // device column (x) or row (y)
    bool mark = false;   // tick mark and grid line
    bool number = false; // its number is drawn
    RECT rect{0, 0, 0, 0};
    std::string text;
};

struct AxisTicks {
    std::vector<Tick> ticks;
    int onPlot = 0;  // ticks whose position lies on the plot
    bool tickAtCrossing = false;
};

// Far from the int limits, so that sums with text sizes cannot overflow.
int Bounded(LONG v)
{
    constexpr LONG kLimit = 1 << 28;
    return v < -kLimit ? -kLimit : v > kLimit ? kLimit : v;
}

// Numbers clash when they come closer than gap units.
bool Clash(const RECT& a, const RECT& b, int gap)
{
    return a.left < b.right + gap && b.left < a.right + gap && a.top < b.bottom + gap && b.top < a.bottom + gap;
}

// The largest of 1, 2 or 5 times a power of ten below step.
double SmallerNiceStep(double step)
{
    const double e = std::pow(10.0, std::floor(std::log10(step)));
    const double m = step / e;
    if (m > 5.000001) return 5 * e;
    if (m > 2.000001) return 2 * e;
    if (m > 1.000001) return e;
    return e / 2;
}

// Units between the end of a horizontal tick mark and its number.
constexpr int kNumberGap = 4;

// Every tick of one axis for the step given, in the order of the forward and
// the backward pass, with its number placed; nothing is drawn.
void PlanTicks(const CGraph& g, HDC dc, const AxisSpec& a, double step, double decadeFactor, bool decadeMode,
               bool xTickAtCrossing, AxisTicks& out)
{
    out = AxisTicks{};
    const RECT& pr = a.pr;
    double t = CGraph::RoundUpTo(a.isX ? g.DeviceToWorldX(pr.left) : g.DeviceToWorldY(pr.bottom), step);
    if (!std::isfinite(t)) return;
    const RECT frame{pr.left, pr.top, pr.right + 1, pr.bottom + 1};
    const double t0 = t;
    int k = 0;
    int pPrev = 0;
    for (int pass = 0; pass < 2; pass++) {
        const bool forward = pass == 0;
        if (!forward) t = t0 - step;
        for (int i = forward ? 0 : 1; i <= a.w; i++) {
            if (!std::isfinite(t)) break;
            Tick tick;
            const int p = Bounded(a.isX ? DeviceFloor(g.WorldToDeviceX(t)) : DeviceFloor(g.WorldToDeviceY(t)));
            tick.p = p;
            const bool inside = a.isX ? (p >= pr.left && p <= pr.right) : (p >= pr.top && p <= pr.bottom);
            tick.mark = inside && (!a.classic || p != a.crossing);
            const int type = a.valueType;
            if (p == a.crossing && (type == VALUE_REAL || type == VALUE_DAYTIME ||
                                    ((type == VALUE_TIME || type == VALUE_MINTIME) && t >= 0)))
                tick.text = type == VALUE_REAL ? std::string("0") : FormatAxisValue(0, type, *a.numberFormat);
            else
                tick.text = FormatAxisValue(t, type, *a.numberFormat);
            if (type == VALUE_DAYTIME && tick.text.size() > 200) tick.text.resize(200);
            const SIZE ts = MeasureText(dc, tick.text);
            RECT& nr = tick.rect;
            if (a.isX) {
                nr.left = p - ts.cx / 2;
                if (a.classic)
                    // Below the axis line while the number stays on the plot, else above it.
                    nr.top = a.row + 4 + ts.cy > pr.bottom ? a.row - ts.cy - 4 : a.row + 4;
                else
                    nr.top = pr.bottom - ts.cy - 4;
            } else {
                // A y number stands clear of its horizontal tick mark (3
                // classic, 5 boxed units long), which would otherwise read as
                // its minus sign: "0.5" as "-0.5".
                nr.top = p - ts.cy / 2;
                if (a.classic) {
                    nr.left = a.column - 3 - kNumberGap - ts.cx;
                    if (nr.left < pr.left) nr.left = a.column + 3 + kNumberGap;
                } else {
                    nr.left = pr.left + 5 + kNumberGap;
                }
            }
            nr.right = nr.left + ts.cx;
            nr.bottom = nr.top + ts.cy;

            bool draw;
            if (forward) {
                const bool beyond = a.isX ? p > pr.right : p < pr.top;
                if (beyond && !RectsOverlap(nr, frame)) break;
                draw = !(a.log && k >= 3) || std::abs(p - pPrev) > a.spacing / 2;
                const double lg = a.log ? std::log10(t) : 0;
                if (a.log && i > 0 && (decadeMode || std::fabs(lg - RoundToNearest(lg)) < 1e-11)) {
                    step *= decadeFactor != 0 ? std::pow(10.0, decadeFactor) : 10.0;
                    t = CGraph::RoundDownTo(t + step, step);
                    k = 0;
                    draw = true;
                } else {
                    t = t + step;
                }
            } else {
                const bool beyond = a.isX ? p < pr.left : p > pr.bottom;
                if (beyond && !RectsOverlap(nr, frame)) break;
                t = t - step;
                draw = true;
            }
            if (a.isX && p == a.crossing) out.tickAtCrossing = true;
            if (!a.isX && a.classic && p == a.crossing && xTickAtCrossing) draw = false;
            if (draw && !tick.text.empty()) {
                // The margins hold no room for numbers and the plot is
                // clipped: a number centred on a tick near the plot's edge
                // moves inward along its axis; one whose tick lies off the
                // plot is left out instead.
                const int lo = a.isX ? pr.left : pr.top, hi = a.isX ? pr.right : pr.bottom;
                LONG& lead = a.isX ? nr.left : nr.top;
                LONG& trail = a.isX ? nr.right : nr.bottom;
                if (hi - lo >= trail - lead && (lead < lo || trail > hi)) {
                    if (!inside) draw = false;
                    const LONG shift = lead < lo ? lo - lead : hi - trail;
                    lead += shift;
                    trail += shift;
                }
            }
            tick.number = draw && !tick.text.empty();
            if (inside) out.onPlot++;
            out.ticks.push_back(std::move(tick));
            k++;
            pPrev = p;
        }
    }
}

// The ticks of one axis: the Part's count and step, then smaller steps of
// 1, 2 and 5 while fewer than two ticks fall on the plot, so that an axis
// with a finite span always shows at least two.
void LayoutTicks(CGraph& g, HDC dc, const AxisSpec& a, bool xTickAtCrossing, AxisTicks& out)
{
    out = AxisTicks{};
    const uint8_t flags = a.isX ? g.xAxisFlags : g.yAxisFlags;
    const double vmin = a.isX ? g.limits[BOX_LEFT] : g.limits[BOX_BOTTOM];
    const double vmax = a.isX ? g.limits[BOX_RIGHT] : g.limits[BOX_TOP];
    const double units = std::fabs(a.isX ? g.xUnitsPerPixel : g.yUnitsPerPixel);
    int32_t& storedCount = a.isX ? g.xTickCount : g.yTickCount;

    double step, decadeFactor = 0;
    bool decadeMode;
    int count;
    const double D = a.log ? std::log10(std::fabs(vmax / vmin)) : 0;
    if (flags & AXIS_AUTO_TICKS) {
        count = SaturateToInt(RoundToNearest((double)a.w / a.spacing));
        storedCount = count;
        if (count < 1) return;
        if (a.log) {
            step = CGraph::NiceStep(vmin * std::pow(10.0, 2 * a.spacing * units) - vmin, 1);
            decadeMode = SaturateToInt(std::fabs(D)) > count / 2;  // whole decades shown
        } else {
            step = CGraph::NiceStep((vmax - vmin) / count, 1);
            decadeMode = false;
        }
    } else {
        count = storedCount;
        if (count < 1) return;
        if (a.log) {
            step = vmin * std::pow(10.0, D / count) - vmin;
            decadeMode = true;
            decadeFactor = std::fabs(D) / count;
        } else {
            step = (double)a.w / count * units;
            decadeMode = false;
        }
    }
    for (int attempt = 0; attempt < 40; attempt++) {
        if (!std::isfinite(step) || !(step > 0)) return;
        PlanTicks(g, dc, a, step, decadeFactor, decadeMode, xTickAtCrossing, out);
        if (out.onPlot >= 2) return;
        step = SmallerNiceStep(step);
        decadeMode = false;
        decadeFactor = 0;
    }
}

// Leaves out every number that would clash with one kept before it on this
// axis or with a number of the other axis (taken); the kept ones join taken.
void KeepNumbersApart(AxisTicks& axis, int gap, std::vector<RECT>& taken)
{
    RECT band{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const Tick& t : axis.ticks) {
        if (!t.number) continue;
        band = RECT{std::min(band.left, t.rect.left), std::min(band.top, t.rect.top), std::max(band.right, t.rect.right),
                    std::max(band.bottom, t.rect.bottom)};
    }
    std::vector<RECT> others;
    for (const RECT& r : taken)
        if (Clash(r, band, gap)) others.push_back(r);
    // Along a pass numbers follow each other: a new one is checked against
    // the last few kept and the first few of the forward pass, beside which
    // the backward pass starts.
    constexpr size_t kNear = 8;
    std::vector<RECT> kept;
    for (Tick& t : axis.ticks) {
        if (!t.number) continue;
        bool clash = false;
        for (const RECT& r : others) clash = clash || Clash(r, t.rect, gap);
        const size_t n = kept.size();
        for (size_t i = n > kNear ? n - kNear : 0; i < n && !clash; i++) clash = Clash(kept[i], t.rect, gap);
        for (size_t i = 0; i < n && i < kNear && !clash; i++) clash = Clash(kept[i], t.rect, gap);
        if (clash) t.number = false;
        else kept.push_back(t.rect);
    }
    taken.insert(taken.end(), kept.begin(), kept.end());
}

// The drawn numbers' rectangles, for the gaps that grid lines leave around them.
class NumberBoxes {
public:
    // margin: the room left free around a number along a grid line.
    NumberBoxes(const std::vector<RECT>& rects, int margin) : m_byLeft(rects), m_byTop(rects), m_margin(margin)
    {
        std::sort(m_byLeft.begin(), m_byLeft.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
        std::sort(m_byTop.begin(), m_byTop.end(), [](const RECT& a, const RECT& b) { return a.top < b.top; });
        for (const RECT& r : rects) {
            m_width = std::max<LONG>(m_width, r.right - r.left);
            m_height = std::max<LONG>(m_height, r.bottom - r.top);
        }
    }
    // The parts of [from, to) on column p (vertical) or row p that no number covers.
    std::vector<std::pair<int, int>> Free(bool vertical, int p, int from, int to) const
    {
        const std::vector<RECT>& list = vertical ? m_byLeft : m_byTop;
        const LONG reach = vertical ? m_width : m_height;
        std::vector<std::pair<int, int>> covered;
        auto it = std::lower_bound(list.begin(), list.end(), (LONG)p - reach,
                                   [vertical](const RECT& r, LONG v) { return (vertical ? r.left : r.top) < v; });
        for (; it != list.end() && (vertical ? it->left : it->top) <= p; ++it) {
            if ((vertical ? it->right : it->bottom) <= p) continue;
            covered.emplace_back((vertical ? it->top : it->left) - m_margin, (vertical ? it->bottom : it->right) + m_margin);
        }
        std::sort(covered.begin(), covered.end());
        std::vector<std::pair<int, int>> free;
        int at = from;
        for (const auto& [a, b] : covered) {
            if (a > at) free.emplace_back(at, std::min(a, to));
            at = std::max(at, b);
            if (at >= to) break;
        }
        if (at < to) free.emplace_back(at, to);
        return free;
    }

private:
    std::vector<RECT> m_byLeft, m_byTop;
    int m_margin;
    LONG m_width = 0, m_height = 0;
};

// Tick marks, grid lines and numbers of one axis, in tick order.
void DrawTicks(HDC dc, const AxisSpec& a, const AxisTicks& axis, bool grid, const NumberBoxes& boxes, HPEN axisPen,
               HPEN gridPen)
{
    const RECT& pr = a.pr;
    auto line = [dc](int x1, int y1, int x2, int y2) {
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
    };
    for (const Tick& t : axis.ticks) {
        if (t.mark) {
            SelectObject(dc, axisPen);
            if (a.classic) {
                if (a.isX) line(t.p, a.row - 3, t.p, a.row + 3);
                else line(a.column - 3, t.p, a.column + 3, t.p);
            } else if (a.isX) {
                line(t.p, pr.top, t.p, pr.top + 5);
                line(t.p, pr.bottom, t.p, pr.bottom - 5);
            } else {
                line(pr.left, t.p, pr.left + 5, t.p);
                line(pr.right, t.p, pr.right - 5, t.p);
            }
            if (grid) {
                // Broken where a number stands, so that none is struck through.
                SelectObject(dc, gridPen);
                if (a.isX) {
                    for (const auto& [from, to] : boxes.Free(true, t.p, pr.top, pr.bottom + 1)) line(t.p, from, t.p, to);
                } else {
                    for (const auto& [from, to] : boxes.Free(false, t.p, pr.left, pr.right + 1)) line(from, t.p, to, t.p);
                }
            }
        }
        if (t.number) {
            RECT r = t.rect;
            DrawText(dc, t.text.c_str(), (int)t.text.size(), &r, (a.isX ? DT_CENTER : DT_LEFT) | DT_NOCLIP | DT_NOPREFIX);
        }
    }
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
        const int x0 = Bounded(SaturateToInt(WorldToDeviceX(0))), y0 = Bounded(SaturateToInt(WorldToDeviceY(0)));
        const int column = x0 < pr.left ? pr.left : x0 > pr.right ? pr.right : x0;
        const int row = y0 < pr.top ? pr.top : y0 > pr.bottom ? pr.bottom : y0;
        const bool classic = style == AXIS_CLASSIC;
        AxisSpec xs{true, classic, xLog != 0, xAxisFlags >> 4, TickSpacingInUse(), (int)(pr.right - pr.left), x0,
                    column, row, pr, &numberFormat};
        AxisSpec ys{false, classic, yLog != 0, yAxisFlags >> 4, TickSpacingInUse(), (int)(pr.bottom - pr.top), y0,
                    column, row, pr, &numberFormat};
        AxisTicks xt, yt;
        LayoutTicks(*this, dc, xs, false, xt);
        LayoutTicks(*this, dc, ys, xt.tickAtCrossing, yt);
        // x numbers first (they write the crossing's number); a y number
        // that would clash with one of them is left out.
        const int gap = std::max(1, (int)MeasureText(dc, "0").cy / 4);
        std::vector<RECT> taken;
        KeepNumbersApart(xt, gap, taken);
        KeepNumbersApart(yt, gap, taken);
        const NumberBoxes boxes(taken, std::max((gap + 1) / 2, kNumberGap));   // clear of the tick marks too

        if (classic) {
            MoveToEx(dc, pr.left, row, nullptr);
            LineTo(dc, pr.right + 1, row);
        }
        DrawTicks(dc, xs, xt, (xAxisFlags & AXIS_GRID) != 0, boxes, axisPen, gridPen);
        if (classic) {
            SelectObject(dc, axisPen);
            MoveToEx(dc, column, pr.top, nullptr);
            LineTo(dc, column, pr.bottom + 1);
        }
        DrawTicks(dc, ys, yt, (yAxisFlags & AXIS_GRID) != 0, boxes, axisPen, gridPen);
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
