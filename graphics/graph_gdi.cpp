// What the graph does with device contexts outside the axes: the margins of
// Resize, the marker and arrow-head primitives and the plot's invalidation.
#include <algorithm>
#include <cmath>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/user/window.h"
#include "platform/user/window_dc.h"
#include "values/value.h"

namespace {

SIZE Extent(HDC dc, const std::string& text)
{
    SIZE s{0, 0};
    GetTextExtentPoint32(dc, text.c_str(), (int)text.size(), &s);
    return s;
}

// The extent of text in a font made for the measurement.
SIZE ExtentInFont(HDC dc, const std::string& face, int32_t size, int weight, int escapement, const std::string& text)
{
    HFONT f = CGraph::CreateGraphFont(face, size, weight, escapement);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE s = Extent(dc, text);
    SelectObject(dc, old);
    DeleteObject(f);
    return s;
}

}  // namespace

bool CGraph::Resize(const RECT& rect, bool rescale)
{
    // The window's DC measures as the graph will draw; before the graph has
    // a window the screen stands in.
    HDC dc = GetDC(hwnd);
    if (!dc) return false;
    PrepareDC(dc);
    bool ok = ResizeWithDC(dc, rect, rescale);
    ReleaseDC(hwnd, dc);
    return ok;
}

bool CGraph::ResizeWithDC(HDC dc, const RECT& rect, bool rescale)
{
    RECT m{0, 0, 0, 0};
    if (!xLabel.empty()) m.bottom += ExtentInFont(dc, axisFont, axisFontSize, 300, 0, xLabel).cy + 2;
    // Extents are unrotated: the label's height is its width on the screen.
    if (!yLabel.empty()) m.left += ExtentInFont(dc, axisFont, axisFontSize, 300, 900, yLabel).cy + 2;
    const uint8_t legendAt = legendPosition > 4 ? 1 : legendPosition;
    if (legendAt) {
        HFONT f = CreateGraphFont(legendFont, legendFontSize, 400, 0);
        HGDIOBJ old = SelectObject(dc, f);
        bool first = true;
        int widest = 0;
        for (const auto& o : objects) {
            if (!o->inLegend || !o->visible || !o->Count()) continue;
            SIZE s = Extent(dc, o->legend);
            int h = s.cy;
            if (o->penStyle == 0 && PenWidthInUse(o->penWidth) > h) h = PenWidthInUse(o->penWidth);
            if (legendAt == 1 || legendAt == 2) {
                (legendAt == 1 ? m.bottom : m.top) += (first ? 5 : 2) + h;
            } else if (s.cx > widest) {
                widest = s.cx;
            }
            first = false;
        }
        if (legendAt == 3 && widest + 55 > m.left) m.left = widest + 55;
        if (legendAt == 4 && widest + 55 > m.right) m.right = widest + 55;
        SelectObject(dc, old);
        DeleteObject(f);
    }
    const uint8_t titleAt = titlePosition > 2 ? 1 : titlePosition;
    if (titleAt) (titleAt == 1 ? m.top : m.bottom) += ExtentInFont(dc, titleFont, titleFontSize, 400, 0, title).cy + 5;
    int charSize = 0;
    if (IsPolar()) {
        SIZE c = ExtentInFont(dc, axisFont, axisFontSize, 300, 0, "0");
        charSize = c.cx > c.cy ? c.cx : c.cy;
    }
    if (!SetPlotRect(rect, m, charSize)) return false;
    // A figure lays its planes out again after every change; a plane whose
    // points are already prepared for this rectangle keeps them.
    if (rescale && !(m_rescaledValid && m_rescaled == CurrentRescaleInputs())) Rescale();
    return true;
}

void CGraph::InvalidatePlot()
{
    if (!hwnd) return;
    HDC dc = GetDC(hwnd);
    RECT r = WithDrawnEdges(outerRect);
    if (dc) {
        PrepareDC(dc);
        LPtoDP(dc, (POINT*)&r, 2);
        ReleaseDC(hwnd, dc);
    }
    InvalidateRect(hwnd, &r, TRUE);
    UpdateWindow(hwnd);
}

void CGraphObject::DrawMarker(HDC dc, int x, int y, int shape, int r)
{
    if (shape < 1 || shape > 6) return;
    r = r < 1 ? 1 : r > 1000 ? 1000 : r;
    const int dot = std::max(1, (r + 1) / 3), base = (2 * r + 1) / 3;  // 1 and 2 at the radius of 3
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    POINT at;
    GetCurrentPositionEx(dc, &at);
    switch (shape) {
    case 1: Rectangle(dc, x - dot, y - dot, x + dot, y + dot); break;
    case 2: Ellipse(dc, x - r, y - r, x + r, y + r); break;
    case 3: Rectangle(dc, x - r, y - r, x + r, y + r); break;
    case 4:
        MoveToEx(dc, x, y - r, nullptr);
        LineTo(dc, x - r, y + base);
        LineTo(dc, x + r, y + base);
        LineTo(dc, x, y - r);
        break;
    case 5:
        MoveToEx(dc, x, y - r, nullptr);
        LineTo(dc, x, y + r);
        MoveToEx(dc, x - r, y, nullptr);
        LineTo(dc, x + r, y);
        break;
    default:
        MoveToEx(dc, x - r, y - r, nullptr);
        LineTo(dc, x + r, y + r);
        MoveToEx(dc, x + r, y - r, nullptr);
        LineTo(dc, x - r, y + r);
        break;
    }
    MoveToEx(dc, at.x, at.y, nullptr);
    SelectObject(dc, oldBrush);
}

void CGraphObject::DrawArrowHead(HDC dc, POINT from, POINT tip)
{
    const double dx = (double)from.x - tip.x, dy = (double)from.y - tip.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0) return;  // no direction to point in
    const double c = dx / len, s = dy / len;
    POINT pts[3] = {tip,
                    {tip.x + SaturateToInt(10 * c - 5 * s), tip.y + SaturateToInt(10 * s + 5 * c)},
                    {tip.x + SaturateToInt(10 * c + 5 * s), tip.y + SaturateToInt(10 * s - 5 * c)}};
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Polygon(dc, pts, 3);
    SelectObject(dc, oldBrush);
}
