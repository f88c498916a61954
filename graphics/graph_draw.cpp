// The whole graph into a device context: background, objects, axes,
// read-out pointers, labels, title and legend; the metafile and the
// clipboard copy built on it. GDI objects live for one drawing only.
#include <algorithm>
#include <cmath>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/user/user.h"
#include "values/stop_probe.h"
#include "values/value.h"

namespace {

constexpr int kAxisWeight = 300;
constexpr UINT kTextFlags = DT_NOCLIP | DT_NOPREFIX;

SIZE Measure(HDC dc, const std::string& text)
{
    RECT r{0, 0, 0, 0};
    DrawText(dc, text.c_str(), (int)text.size(), &r, DT_CALCRECT | kTextFlags);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TextAt(HDC dc, int x, int y, const std::string& text, UINT extra = 0)
{
    RECT r{x, y, x, y};
    DrawText(dc, text.c_str(), (int)text.size(), &r, kTextFlags | extra);
}

int PenStyleInUse(int32_t style) { return style >= PS_SOLID && style <= PS_NULL ? style : PS_SOLID; }

HPEN ObjectPen(const CGraphObject& o)
{
    return CreatePen(PenStyleInUse(o.penStyle), CGraph::PenWidthInUse(o.penWidth), o.color);
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// A raster screen target whose logical units are its pixels, drawing in
// plain copy mode: there a per-column reduction of a hairline is exact.
bool PixelExactTarget(HDC dc)
{
    if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASDISPLAY || GetROP2(dc) != R2_COPYPEN) return false;
    if (GetMapMode(dc) == MM_TEXT) return true;
    SIZE w{0, 0}, v{0, 0};
    return GetMapMode(dc) == MM_ANISOTROPIC && GetWindowExtEx(dc, &w) && GetViewportExtEx(dc, &v) && w.cx == v.cx &&
           w.cy == v.cy;
}

}  // namespace

CGraph::~CGraph() { *m_alive = false; }

std::vector<std::pair<const void*, uint64_t>> CGraph::ObjectsStamp() const
{
    std::vector<std::pair<const void*, uint64_t>> s;
    s.reserve(objects.size() + 1);
    s.emplace_back(nullptr, changeCounter);
    for (const auto& o : objects) s.emplace_back(o.get(), o ? o->Stamp() : 0);
    return s;
}

HBRUSH CGraph::CreateFillBrush(const CGraphObject& o) const
{
    if (o.fillStyle == -1) return CreateSolidBrush(o.fillColor);
    if (o.fillStyle >= 0 && o.fillStyle <= 5) return CreateHatchBrush(o.fillStyle, o.fillColor);
    return nullptr;   // the hollow stock brush
}

void CGraph::FillBackground(HDC dc)
{
    if (background == 0x80000000u) return;
    HBRUSH brush = CreateSolidBrush(background);
    if (IsPolar()) {
        // The region is in device units: the inscribed ellipse converted.
        POINT c[2] = {{plotRect.left, plotRect.top}, {plotRect.right, plotRect.bottom}};
        LPtoDP(dc, c, 2);
        HRGN rgn = CreateEllipticRgn(std::min(c[0].x, c[1].x), std::min(c[0].y, c[1].y), std::max(c[0].x, c[1].x),
                                     std::max(c[0].y, c[1].y));
        FillRgn(dc, rgn, brush);
        DeleteObject(rgn);
    } else {
        FillRect(dc, &plotRect, brush);
    }
    DeleteObject(brush);
}

bool CGraph::DrawGraph(HDC dc, int flags)
{
    if (!dc || IsEmpty()) return false;
    if (plotRect.right <= plotRect.left || plotRect.bottom <= plotRect.top) return false;
    if (limits[BOX_RIGHT] - limits[BOX_LEFT] == 0 && limits[BOX_BOTTOM] - limits[BOX_TOP] == 0) return false;
    const int saved = SaveDC(dc);
    const int oldBk = SetBkMode(dc, TRANSPARENT);
    DrawLabelsTitleLegend(dc);

    HRGN clip = nullptr;
    if (!IsPolar()) {
        if (!(flags & 4)) FillBackground(dc);
        POINT c[2] = {{plotRect.left, plotRect.top}, {plotRect.right + 1, plotRect.bottom + 1}};
        LPtoDP(dc, c, 2);
        clip = CreateRectRgn(std::min(c[0].x, c[1].x), std::min(c[0].y, c[1].y), std::max(c[0].x, c[1].x),
                             std::max(c[0].y, c[1].y));
    } else {
        POINT c[2] = {{plotRect.left, plotRect.top}, {plotRect.right, plotRect.bottom}};
        LPtoDP(dc, c, 2);
        clip = CreateEllipticRgn(std::min(c[0].x, c[1].x), std::min(c[0].y, c[1].y), std::max(c[0].x, c[1].x),
                                 std::max(c[0].y, c[1].y));
    }
    SelectClipRgn(dc, clip);
    if (IsPolar() && !(flags & 4) && background != 0x80000000u) {
        // The ellipse clip keeps the fill inside the frame.
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &plotRect, brush);
        DeleteObject(brush);
    }
    // A paint inside a request that has stopped draws no more objects: the
    // request's undoing paints again.
    for (size_t i = 0; i < objects.size() && !RequestStopped(); i++)
        if (objects[i]) DrawObject(dc, *objects[i], !(flags & 8) && PixelExactTarget(dc));
    if (!IsPolar()) {
        LayoutAxis(dc);
    } else if (!(flags & 1)) {
        DrawPointers(dc, nullptr);
    }
    SetBkMode(dc, oldBk);
    RestoreDC(dc, saved);
    DeleteObject(clip);

    if (IsPolar()) {
        DrawPolarAxes(dc);
    } else if (!(flags & 1)) {
        RECT client{0, 0, 0, 0};
        const RECT* limit = nullptr;
        if (!(flags & 2) && hwnd && GetClientRect(hwnd, &client)) {
            DPtoLP(dc, (POINT*)&client, 2);
            limit = &client;
        }
        DrawPointers(dc, limit);
    }
    return true;
}

bool CGraph::ReducibleLine(const CGraphObject& o, size_t points) const
{
    return (o.kind == 1 || o.kind == 4) && o.fillStyle == -2 &&
           points > (size_t)std::max<LONG>(0, plotRect.right - plotRect.left) && PenStyleInUse(o.penStyle) == PS_SOLID &&
           PenWidthInUse(o.penWidth) <= 1;
}

void CGraph::DrawObject(HDC dc, CGraphObject& o, bool reduce)
{
    if (!o.visible || !o.Count()) return;
    HFONT font = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 0);
    HGDIOBJ oldFont = SelectObject(dc, font);
    HPEN pen = ObjectPen(o);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const std::vector<POINT>& sp = o.ScreenPoints();
    const int n = (int)sp.size();
    if (n > 0) {
        HBRUSH brush = CreateFillBrush(o);
        HGDIOBJ oldBrush = SelectObject(dc, brush ? (HGDIOBJ)brush : GetStockObject(HOLLOW_BRUSH));
        auto filled = [&](HPEN outline) {
            // The hatch lines up with the object's first point wherever it is drawn.
            POINT org = WorldToDevice(o.Points()[0]);
            LPtoDP(dc, &org, 1);
            POINT oldOrg;
            SetBrushOrgEx(dc, org.x, org.y, &oldOrg);
            HGDIOBJ before = SelectObject(dc, outline);
            Polygon(dc, sp.data(), n);
            SelectObject(dc, before);
            SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
        };
        switch (o.kind) {
        case 1:
        case 4:
            // More points than pixel columns: a solid hairline is drawn from
            // the column runs alone, which gives the same pixels.
            if (reduce && ReducibleLine(o, sp.size())) {
                if (!o.ColumnRuns().empty()) {
                    Polyline(dc, o.ColumnRuns().data(), (int)o.ColumnRuns().size());
                } else {
                    std::vector<POINT> runs;
                    ReduceColumnRuns(sp.data(), sp.size(), runs);
                    Polyline(dc, runs.data(), (int)runs.size());
                }
            } else {
                Polyline(dc, sp.data(), n);
            }
            if (o.fillStyle != -2 && n >= 3) {
                HPEN none = CreatePen(PS_NULL, 0, 0);
                filled(none);
                DeleteObject(none);
            }
            break;
        case 2:
            if (n >= 3) filled(pen);
            else Polyline(dc, sp.data(), n);
            break;
        case 3:
            Polyline(dc, sp.data(), n);
            if (n >= 2) {
                const POINT tip = sp[(size_t)n - 1];
                if (tip.x >= plotRect.left && tip.x <= plotRect.right && tip.y >= plotRect.top &&
                    tip.y <= plotRect.bottom)
                    CGraphObject::DrawArrowHead(dc, sp[(size_t)n - 2], tip);
            }
            break;
        default: break;
        }
        SelectObject(dc, oldBrush);
        if (brush) DeleteObject(brush);
    }
    AfterObjectLine(dc, &o, sp.data(), (uint32_t)n);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    if (o.marker || o.markerAux) {
        const RECT grown{plotRect.left - 4, plotRect.top - 4, plotRect.right + 4, plotRect.bottom + 4};
        HPEN markPen = CreatePen(PS_SOLID, PenWidthInUse(o.penWidth), o.color);
        oldPen = SelectObject(dc, markPen);
        const COLORREF oldText = SetTextColor(dc, o.color);
        for (uint32_t i = 0; i < o.Count() && !RequestStoppedAt(i); i++) {
            const Point2D& w = o.Points()[i];
            if (!IsDrawable(w)) continue;
            const POINT d = WorldToDevice(w);
            if (o.markerAux) {
                Point2D shown;
                ToDisplayPoint(shown, w);
                std::string xs, ys;
                FormatTickLabelX(shown.x, xs);
                FormatTickLabelY(shown.y, ys);
                const std::string text = xs + ", " + ys;
                const SIZE s = Measure(dc, text);
                const int left = d.x - s.cx / 2, top = d.y - s.cy - 4;
                if (Inside(grown, left, top) || Inside(grown, left + s.cx, top + s.cy)) TextAt(dc, left, top, text);
            }
            if (o.marker && Inside(grown, d.x, d.y)) CGraphObject::DrawMarker(dc, d.x, d.y, o.marker, markerRadius);
        }
        SetTextColor(dc, oldText);
        SelectObject(dc, oldPen);
        DeleteObject(markPen);
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

std::string CGraph::PointerText(const CGraphObject& o) const
{
    Point2D shown;
    const_cast<CGraph*>(this)->ToDisplayPoint(shown, o.pointer);
    std::string xs, ys;
    FormatTickLabelX(shown.x, xs);
    FormatTickLabelY(shown.y, ys);
    const std::string xn = !xLabel.empty() ? xLabel : IsPolar() ? "rho" : "X";
    const std::string yn = !yLabel.empty() ? yLabel : IsPolar() ? "phi" : "Y";
    return xn + ": " + xs + "\n" + yn + ": " + ys;
}

void CGraph::DrawPointers(HDC dc, const RECT* clip)
{
    for (auto& o : objects) {
        if (!o || !(o->pointerFlags & 3)) continue;
        if (IsPolar()) DrawPolarPointer(*o, dc);
        else DrawPointer(dc, *o, clip);
    }
}

void CGraph::DrawPointer(HDC dc, CGraphObject& o, const RECT* clip)
{
    RECT box{plotRect.left, plotRect.top, plotRect.right + 1, plotRect.bottom + 1};
    if (clip && (o.pointerFlags & 4)) {
        box.left = clip->left;
        box.right = clip->right;
    }
    if (clip && (o.pointerFlags & 8)) {
        box.top = clip->top;
        box.bottom = clip->bottom;
    }
    HPEN pen = CreatePen(PS_SOLID, PenWidthInUse(o.penWidth), o.color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const double fx = std::floor(WorldToDeviceX(o.pointer.x)), fy = std::floor(WorldToDeviceY(o.pointer.y));
    const bool xOk = DrawableCoordinate(fx), yOk = DrawableCoordinate(fy);
    const int dx = xOk ? (int)fx : 0, dy = yOk ? (int)fy : 0;
    bool vertical = false, horizontal = false;
    if ((o.pointerFlags & 1) && xOk && dx >= plotRect.left && dx <= plotRect.right) {
        MoveToEx(dc, dx, box.top, nullptr);
        LineTo(dc, dx, box.bottom);
        vertical = true;
    }
    if ((o.pointerFlags & 2) && yOk && dy >= plotRect.top && dy <= plotRect.bottom) {
        MoveToEx(dc, box.left, dy, nullptr);
        LineTo(dc, box.right, dy);
        horizontal = true;
    }
    if ((o.pointerFlags & 0x10) && xOk && yOk && (o.pointerFlags & 3) == 3 && (vertical || horizontal)) {
        HFONT font = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 0);
        HGDIOBJ oldFont = SelectObject(dc, font);
        const std::string text = PointerText(o);
        const SIZE s = Measure(dc, text);
        int left, top;
        if (vertical) left = dx + 3;
        else if (dx < plotRect.left) left = plotRect.left + 3;
        else left = plotRect.right + 1 - 3 - s.cx;
        if (horizontal) top = dy + 3;
        else if (dy < plotRect.top) top = plotRect.top + 3;
        else top = plotRect.bottom + 1 - 3 - s.cy;
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(o.cacheMark >= 0 ? WHITE_BRUSH : LTGRAY_BRUSH));
        Rectangle(dc, left, top, left + s.cx, top + s.cy);
        SelectObject(dc, oldBrush);
        const int oldBk = SetBkMode(dc, TRANSPARENT);
        const COLORREF oldText = SetTextColor(dc, o.color);
        TextAt(dc, left, top, text);
        SetTextColor(dc, oldText);
        SetBkMode(dc, oldBk);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    AfterPointer(&o, vertical, horizontal, dc);
}

int CGraph::PolarLabelHeight(HDC dc) const
{
    HFONT f = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 0, FF_ROMAN);
    HGDIOBJ old = SelectObject(dc, f);
    const int h = Measure(dc, "0").cy;
    SelectObject(dc, old);
    DeleteObject(f);
    return h;
}

void CGraph::DrawLabelsTitleLegend(HDC dc)
{
    const COLORREF oldText = SetTextColor(dc, foreColor);
    const RECT& pr = plotRect;
    const RECT& out = outerRect;
    int xLabelBand = 0;
    if (!xLabel.empty()) {
        HFONT f = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 0);
        HGDIOBJ old = SelectObject(dc, f);
        const SIZE s = Measure(dc, xLabel);
        xLabelBand = s.cy + 2;
        if (IsPolar()) TextAt(dc, pr.right - s.cx, pr.bottom + 2, xLabel);
        else TextAt(dc, pr.left + (pr.right - pr.left - s.cx) / 2, pr.bottom + 2, xLabel);
        SelectObject(dc, old);
        DeleteObject(f);
    }
    if (!yLabel.empty()) {
        HFONT f = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 900);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE s{0, 0};
        GetTextExtentPoint32(dc, yLabel.c_str(), (int)yLabel.size(), &s);
        // Turned upwards: the text runs from its reference point toward the top.
        const int x = pr.left - 2 - s.cy;
        const int y = IsPolar() ? pr.top + s.cx : pr.top + (pr.bottom - pr.top + s.cx) / 2;
        TextOut(dc, x, y, yLabel.c_str(), (int)yLabel.size());
        SelectObject(dc, old);
        DeleteObject(f);
    }
    int titleHeight = 0;
    const uint8_t titleAt = titlePosition > 2 ? 1 : titlePosition;
    if (titleAt && !title.empty()) {
        HFONT f = CreateGraphFont(titleFont, titleFontSize, 400, 0);
        HGDIOBJ old = SelectObject(dc, f);
        titleHeight = Measure(dc, title).cy;
        // On a polar graph the band ends above the angle numbers over the circle.
        const int top = IsPolar() ? std::max<int>(out.top, pr.top - PolarLabelHeight(dc) - 5) : pr.top;
        RECT band = titleAt == 1 ? RECT{out.left, out.top, out.right, top}
                                 : RECT{out.left, out.bottom - titleHeight, out.right, out.bottom};
        DrawText(dc, title.c_str(), (int)title.size(), &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | kTextFlags);
        SelectObject(dc, old);
        DeleteObject(f);
    }
    const uint8_t legendAt = legendPosition > 4 ? 1 : legendPosition;
    if (legendAt) {
        int c = 0;
        if (IsPolar()) {
            HFONT f = CreateGraphFont(axisFont, axisFontSize, kAxisWeight, 0);
            HGDIOBJ old = SelectObject(dc, f);
            SIZE s{0, 0};
            GetTextExtentPoint32(dc, "0", 1, &s);
            c = legendAt == 1 ? s.cy : s.cx;
            SelectObject(dc, old);
            DeleteObject(f);
        }
        int x = pr.left, y = 0, limit = out.bottom;
        switch (legendAt) {
        case 1: y = pr.bottom + c + xLabelBand + 5; break;
        case 2:
            y = out.top + (titleAt == 1 && titleHeight ? titleHeight + 5 : 0);
            limit = pr.top;
            break;
        case 3:
            x = out.left;
            y = pr.top;
            break;
        default:
            x = pr.right + c + 5;
            y = pr.top;
            break;
        }
        HFONT f = CreateGraphFont(legendFont, legendFontSize, 400, 0);
        HGDIOBJ old = SelectObject(dc, f);
        for (auto& o : objects) {
            if (!o || !o->inLegend || !o->visible || !o->Count()) continue;
            if (y >= limit) break;
            SIZE s{0, 0};
            GetTextExtentPoint32(dc, o->legend.c_str(), (int)o->legend.size(), &s);
            int h = s.cy;
            if (o->penStyle == 0 && PenWidthInUse(o->penWidth) > h) h = PenWidthInUse(o->penWidth);
            DrawLegendEntry(dc, *o, x, y, h);
            y += h + 2;
        }
        SelectObject(dc, old);
        DeleteObject(f);
    }
    SetTextColor(dc, oldText);
}

void CGraph::DrawLegendEntry(HDC dc, CGraphObject& o, int x, int y, int h)
{
    HPEN pen = ObjectPen(o);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int mid = y + h / 2;
    auto line = [&] {
        MoveToEx(dc, x, mid, nullptr);
        LineTo(dc, x + 45, mid);
        CGraphObject::DrawMarker(dc, x + 22, mid, o.marker, markerRadius);
    };
    switch (o.kind) {
    case 0: CGraphObject::DrawMarker(dc, x + 22, mid, o.marker, markerRadius); break;
    case 1: line(); break;
    case 2: {
        POINT tri[3] = {{x, y + h - 1}, {x + 45, y + h - 1}, {x + 22, y + 1}};
        for (const POINT& p : tri) CGraphObject::DrawMarker(dc, p.x, p.y, o.marker, markerRadius);
        HBRUSH brush = CreateFillBrush(o);
        HGDIOBJ oldBrush = SelectObject(dc, brush ? (HGDIOBJ)brush : GetStockObject(HOLLOW_BRUSH));
        POINT org = WorldToDevice(o.Points()[0]);
        LPtoDP(dc, &org, 1);
        POINT oldOrg;
        SetBrushOrgEx(dc, org.x, org.y, &oldOrg);
        Polygon(dc, tri, 3);
        SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
        SelectObject(dc, oldBrush);
        if (brush) DeleteObject(brush);
        break;
    }
    case 3:
        line();
        CGraphObject::DrawArrowHead(dc, POINT{x, mid}, POINT{x + 22, mid});
        break;
    default: break;
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    TextAt(dc, x + 50, y, o.legend, DT_SINGLELINE);
}

void CGraph::DeviceToLogical(POINT* points, int n)
{
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    PrepareDC(dc);
    DPtoLP(dc, points, n);
    ReleaseDC(hwnd, dc);
}

void CGraph::LogicalToDevice(POINT* points, int n)
{
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    PrepareDC(dc);
    LPtoDP(dc, points, n);
    ReleaseDC(hwnd, dc);
}

HENHMETAFILE CGraph::BuildMetafile(HDC referenceDc, const RECT* bounds)
{
    HDC mdc = CreateEnhMetaFile(referenceDc, nullptr, bounds, "Tarn graphic");
    if (!mdc) return nullptr;
    DrawGraph(mdc, 2 | 8);
    return CloseEnhMetaFile(mdc);
}

bool CGraph::CopyToClipboard(HDC referenceDc)
{
    HENHMETAFILE emf = BuildMetafile(referenceDc, nullptr);
    bool ok = false;
    if (emf && OpenClipboard(hwnd)) {
        if (EmptyClipboard() && SetClipboardData(CF_ENHMETAFILE, (HANDLE)emf)) {
            emf = nullptr;   // the clipboard owns it now
            ok = true;
        }
        if (!CloseClipboard()) ok = false;
    }
    if (emf) DeleteEnhMetaFile(emf);
    if (!ok) MessageBox(hwnd, "Failed to copy data to clipboard now. Try later", "Krv Clipboard Error", MB_ICONEXCLAMATION);
    return ok;
}
