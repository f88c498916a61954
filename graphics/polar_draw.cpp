// The polar frame (spokes, rings and their numbers) and the polar read-out
// pointer (a circle, a ray and a label box).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "values/value.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxSpokes = 360;
constexpr UINT kTextFlags = DT_NOCLIP | DT_NOPREFIX;

std::string Number(const std::string& format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format.c_str(), v);
    return buf;
}

void TextAt(HDC dc, int x, int y, const std::string& text)
{
    RECT r{x, y, x, y};
    DrawText(dc, text.c_str(), (int)text.size(), &r, kTextFlags);
}

SIZE Measure(HDC dc, const std::string& text)
{
    RECT r{0, 0, 0, 0};
    DrawText(dc, text.c_str(), (int)text.size(), &r, DT_CALCRECT | kTextFlags);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int Round(double v) { return SaturateToInt(std::floor(v + 0.5)); }

}  // namespace

void CGraph::DrawPolarAxes(HDC dc)
{
    const RECT& pr = plotRect;
    const int hw = (pr.right - pr.left) / 2, hh = (pr.bottom - pr.top) / 2;
    const int cx = pr.left + hw, cy = pr.top + hh, r = hw;
    if (r <= 0) return;
    const std::string fmt = SafeNumberFormat(numberFormat);

    const COLORREF oldText = SetTextColor(dc, foreColor);
    const int oldBk = SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateGraphFont(axisFont, axisFontSize, 300, 0, FF_ROMAN);
    HGDIOBJ oldFont = SelectObject(dc, font);
    HPEN solid = CreatePen(PS_SOLID, 0, foreColor);
    HPEN dotted = CreatePen(PS_DOT, 0, gridColor);
    HGDIOBJ oldPen = SelectObject(dc, solid);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    SIZE x{0, 0};
    GetTextExtentPoint32(dc, "X", 1, &x);

    const Point2D centre = DeviceToWorld(cx, cy);
    TextAt(dc, cx - x.cx - r - 4, cy - x.cy - r - 4,
           "(" + Number(fmt, centre.x) + "," + Number(fmt, centre.y) + ")");
    Ellipse(dc, pr.left, pr.top, pr.right, pr.bottom);

    // Angle divisions.
    int count = 0;
    double step = 0;
    if (yAxisFlags & AXIS_AUTO_TICKS) {
        const double q = std::floor(kPi * (hw + hh) / (2.0 * TickSpacingInUse()) + 0.5);
        if (q >= 1 && q < 12) {
            count = 12;
            step = 30;
        } else if (q >= 12) {
            step = NiceStep(360.0 / q, 1);
            count = step > 0 ? (int)std::min<double>(kMaxSpokes, std::floor(360.0 / step)) : 0;
        }
        yTickCount = count;
    } else if (yTickCount >= 1) {
        count = std::min(yTickCount, kMaxSpokes);
        step = 360.0 / count;
    }
    for (int k = 0; k < count; k++) {
        const double deg = k * step;
        double a = deg * kPi / 180 + polarOffset;
        if (polarOffset < 0) a = -a;
        const double c = std::cos(a), s = std::sin(a);
        SelectObject(dc, solid);
        MoveToEx(dc, cx + Round((r - 4) * c), cy - Round((r - 4) * s), nullptr);
        LineTo(dc, cx + Round((r + 3) * c), cy - Round((r + 3) * s));
        if (yAxisFlags & AXIS_GRID) {
            SelectObject(dc, dotted);
            MoveToEx(dc, cx, cy, nullptr);
            LineTo(dc, cx + Round(r * c), cy - Round(r * s));
        }
        const std::string label = Number(fmt, deg);
        const SIZE ts = Measure(dc, label);
        const int lx = cx + Round((r + 5) * c), ly = cy - Round((r + 5) * s);
        int tx, ty;
        if (std::fabs(c) < 0.5) {
            tx = lx - ts.cx / 2;
            ty = s > 0 ? ly - ts.cy : ly;
        } else {
            ty = ly - ts.cy / 2;
            tx = c < 0 ? lx - ts.cx : lx;
        }
        TextAt(dc, tx, ty, label);
    }

    // Radius rings.
    const double range = (limits[BOX_RIGHT] - limits[BOX_LEFT]) * 0.5;
    double ringStep = 0;
    if (xAxisFlags & AXIS_AUTO_TICKS) {
        const double n = std::floor(2.0 * r / TickSpacingInUse() + 0.5);
        xTickCount = (int32_t)n;
        if (n >= 1) ringStep = NiceStep(range / n, 1);
    } else if (xTickCount >= 1) {
        ringStep = ((double)(pr.right - pr.left) / xTickCount) * xUnitsPerPixel;
    }
    if (std::isfinite(ringStep) && ringStep > 0 && xUnitsPerPixel != 0 && yUnitsPerPixel != 0) {
        SelectObject(dc, dotted);
        int lastRadius = 0;
        for (int k = 1; k <= r; k++) {
            const double value = k * ringStep;
            if (!(value < range)) break;
            const double rxd = std::fabs(value / xUnitsPerPixel), ryd = std::fabs(value / yUnitsPerPixel);
            if (!(rxd < 32767) || !(ryd < 32767)) break;
            const int rx = Round(rxd), ry = Round(ryd);
            // Rings closer than a unit would only pile up.
            if (rx < lastRadius + 1) break;
            lastRadius = rx;
            if (xAxisFlags & AXIS_GRID) Ellipse(dc, cx - rx, cy - ry, cx + rx, cy + ry);
            TextAt(dc, cx + 3, cy - ry, Number(fmt, value));
        }
    }

    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    DeleteObject(solid);
    DeleteObject(dotted);
    DeleteObject(font);
    SetBkMode(dc, oldBk);
    SetTextColor(dc, oldText);
}

void CGraph::DrawPolarPointer(const CGraphObject& o, HDC dc)
{
    if (!(o.pointerFlags & 3)) return;
    const RECT& pr = plotRect;
    const int hw = (pr.right - pr.left) / 2, hh = (pr.bottom - pr.top) / 2;
    const int cx = pr.left + hw, cy = pr.top + hh;
    HPEN pen = CreatePen(PS_SOLID, PenWidthInUse(o.penWidth), o.color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    const int oldBk = SetBkMode(dc, TRANSPARENT);
    const double fx = WorldToDeviceX(o.pointer.x), fy = WorldToDeviceY(o.pointer.y);
    const bool drawable = DrawableCoordinate(std::floor(fx)) && DrawableCoordinate(std::floor(fy));
    const int px = drawable ? (int)std::floor(fx) : 0, py = drawable ? (int)std::floor(fy) : 0;
    const double xlo = std::min(limits[BOX_LEFT], limits[BOX_RIGHT]), xhi = std::max(limits[BOX_LEFT], limits[BOX_RIGHT]);
    const double ylo = std::min(limits[BOX_TOP], limits[BOX_BOTTOM]), yhi = std::max(limits[BOX_TOP], limits[BOX_BOTTOM]);
    bool circle = false, ray = false;
    if ((o.pointerFlags & 1) && drawable && o.pointer.x >= xlo && o.pointer.x <= xhi && px >= pr.left &&
        px <= pr.right + 1) {
        const int d = Round(std::hypot((double)px - cx, (double)py - cy));
        Ellipse(dc, cx - d, cy - d, cx + d, cy + d);
        circle = true;
    }
    if ((o.pointerFlags & 2) && drawable && o.pointer.y >= ylo && o.pointer.y <= yhi && py >= pr.top &&
        py <= pr.bottom + 1) {
        Point2D end{(double)px, (double)py};
        if (EllipsePointToward(cx, cy, hw, hh, end)) {
            MoveToEx(dc, cx, cy, nullptr);
            LineTo(dc, Round(end.x), Round(end.y));
            ray = true;
        }
    }
    if ((o.pointerFlags & 0x10) && circle && ray) {
        HFONT font = CreateGraphFont(axisFont, axisFontSize, 300, 0, FF_ROMAN);
        HGDIOBJ oldFont = SelectObject(dc, font);
        const std::string text = PointerText(o);
        const SIZE s = Measure(dc, text);
        const RECT box{px + 3, py + 3, px + 3 + s.cx, py + 3 + s.cy};
        SelectObject(dc, GetStockObject(o.cacheMark >= 0 ? WHITE_BRUSH : LTGRAY_BRUSH));
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        const COLORREF oldText = SetTextColor(dc, o.color);
        TextAt(dc, box.left, box.top, text);
        SetTextColor(dc, oldText);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    }
    SetBkMode(dc, oldBk);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}
