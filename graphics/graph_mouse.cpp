// What the graph does with the mouse in its window: rubber-band zoom, pan,
// pointer drags, point drags and point entry, and the cursor. Each drag is a
// modal loop holding the capture. The loops dispatch messages, and a host's
// handler may free points, objects or the graph itself meanwhile: after each
// message the drag checks the graph's life token and the objects' stamps and
// then touches nothing that may be gone.
#include <algorithm>
#include <cmath>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/value.h"

HINSTANCE CGraph::resourceModule = nullptr;

namespace {

bool IsEscape(const MSG& m) { return m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE; }

// The capture, the window's DC and the loop; releases both on every path.
class CDragFrame {
public:
    CDragFrame(CGraph& g) : m_graph(g), m_hwnd(g.hwnd), m_alive(g.LifeToken()) {}
    ~CDragFrame()
    {
        if (m_dc) ReleaseDC(m_hwnd, m_dc);
        if (m_captured && GetCapture() == m_hwnd) ReleaseCapture();
    }
    bool Start()
    {
        if (!m_hwnd || GetCapture()) return false;
        SetCapture(m_hwnd);
        m_captured = true;
        UpdateWindow(m_hwnd);
        if (!*m_alive) return false;
        m_dc = GetDC(m_hwnd);
        if (!m_dc) return false;
        m_graph.PrepareDC(m_dc);
        return *m_alive;
    }
    // False when the loop must end (quit re-posted, capture gone). A send
    // served while waiting may free what the drag holds: then a null
    // message wakes the loop to look.
    bool Next(MSG& m) { return ModalLoopGetMessage(&m, m_hwnd, &CDragFrame::Idle, this); }
    bool Alive() const { return *m_alive; }
    // The objects as they are now are the drag's own.
    void Watch()
    {
        m_watching = true;
        m_stamp = m_graph.ObjectsStamp();
    }
    // Someone else changed the object list or points (the graph is alive).
    bool Changed() const { return m_watching && m_graph.ObjectsStamp() != m_stamp; }
    // The loop must stop: the graph is gone, or someone else changed the
    // objects (then changed is set).
    bool Stopped(bool& changed) const
    {
        if (!Alive()) return true;
        if (!Changed()) return false;
        changed = true;
        return true;
    }
    void Dispatch(const MSG& m)
    {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    bool IsMouse(const MSG& m) const { return m.hwnd == m_hwnd; }
    // A left-button drag ends on the button's release (leftUp is set) or is
    // cancelled by a right-button release or Escape.
    bool EndsLeftDrag(const MSG& m, bool& leftUp) const
    {
        if (m.message == WM_LBUTTONUP && IsMouse(m)) {
            leftUp = true;
            return true;
        }
        return (m.message == WM_RBUTTONUP && IsMouse(m)) || IsEscape(m);
    }
    POINT Logical(const MSG& m) const
    {
        POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        DPtoLP(m_dc, &p, 1);
        return p;
    }
    HDC dc() const { return m_dc; }
    HWND hwnd() const { return m_hwnd; }

private:
    static void Idle(void* context)
    {
        auto* f = (CDragFrame*)context;
        if (!f->Alive() || f->Changed()) PostThreadMessage(GetCurrentThreadId(), WM_NULL, 0, 0);
    }

    CGraph& m_graph;
    std::vector<std::pair<const void*, uint64_t>> m_stamp;
    bool m_watching = false;
    HWND m_hwnd;
    std::shared_ptr<bool> m_alive;
    HDC m_dc = nullptr;
    bool m_captured = false;
};

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

RECT Normalised(RECT r)
{
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

bool Finite(const Point2D& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool PlotEmpty(const CGraph& g)
{
    return g.plotRect.right <= g.plotRect.left || g.plotRect.bottom <= g.plotRect.top ||
           (g.limits[BOX_RIGHT] - g.limits[BOX_LEFT] == 0 && g.limits[BOX_BOTTOM] - g.limits[BOX_TOP] == 0);
}

}  // namespace

void CGraph::ReadoutAt(POINT logical)
{
    Point2D shown;
    ToDisplayPoint(shown, DeviceToWorld(logical.x, logical.y));
    ReadoutText(shown);
}

void CGraph::AfterLimitsTaken()
{
    if (!PlotEmpty(*this)) Rescale();
    OnLimitsChanged();
}

// ---- Presses and moves ----

bool CGraph::OnLButtonDown(POINT device)
{
    if (GetCapture()) return false;
    POINT p = device;
    DeviceToLogical(&p, 1);
    std::shared_ptr<bool> alive = m_alive;
    const bool inside = PtInRect(&outerRect, p);
    switch (mouseMode) {
    case 1: {
        if (TrackEdgeDrag(p)) return true;
        if (!*alive) return true;
        if (!inside) return false;
        if (TrackObjectDrag(p)) return true;
        if (!*alive) return true;
        const RECT start{p.x, p.y, p.x, p.y};
        RECT r = start;
        if (!TrackZoomRect(r) && *alive && SamePoint(POINT{r.left, r.top}, POINT{r.right, r.bottom})) {
            // A click autoscales.
            double box[4] = {limits[0], limits[1], limits[2], limits[3]};
            if (CalcAutoLimits(nullptr, box, 0.05) && SetLimits(box)) {
                std::copy(box, box + 4, limits);
                AfterLimitsTaken();
            }
            InvalidatePlot();
        }
        return true;
    }
    case 2:
        if (!inside) return false;
        if (TrackObjectDrag(p) || !*alive) return true;
        if (entryObject && TrackAddPoints(entryObject, p, entryMaxCount) && *alive) mouseMode = 1;
        return true;
    case 3:
        if (!inside) return false;
        TrackPan(p);
        return true;
    default: return false;
    }
}

bool CGraph::HitTest(POINT device)
{
    if (GetCapture()) return false;
    POINT p = device;
    DeviceToLogical(&p, 1);
    if (!PtInRect(&outerRect, p)) return false;
    std::shared_ptr<bool> alive = m_alive;
    if (TrackPan(p)) return true;
    if (!*alive) return false;
    // No movement: the press goes back to the ranges before the last zoom.
    const bool back = ZoomBack();
    if (back) OnLimitsChanged();
    InvalidatePlot();
    return back;
}

void CGraph::OnMouseMove(POINT device)
{
    POINT p = device;
    DeviceToLogical(&p, 1);
    Point2D world;
    UpdateCursor(p, world);
}

bool CGraph::UpdateCursor(POINT logical, Point2D& world)
{
    world = DeviceToWorld(logical.x, logical.y);
    if (mouseMode == 1) {
        bool hx = false, hy = false;
        if (HitTestPointer(logical, hx, hy)) {
            SetCursor(LoadCursor(nullptr, hx && hy ? IDC_SIZEALL : hx ? IDC_SIZEWE : IDC_SIZENS));
            return true;
        }
    } else if (mouseMode == 2) {
        std::vector<int32_t> pts;
        int count = 0;
        if (FindEditPoints(world, pts, count, 2.0)) {
            SetCursor(LoadCursor(resourceModule, count == 1 ? "CURSOR_NSWE" : "CURSOR_MOVE"));
            return true;
        }
    }
    return false;
}

// ---- Finding things under the mouse ----

CGraphObject* CGraph::FindObjectByFlag(uint8_t bits) const
{
    for (const auto& o : objects)
        if (o && (o->pointerFlags & bits)) return o.get();
    return nullptr;
}

CGraphObject* CGraph::HitTestPointer(POINT p, bool& hitX, bool& hitY)
{
    hitX = hitY = false;
    const double xlo = std::min(limits[BOX_LEFT], limits[BOX_RIGHT]), xhi = std::max(limits[BOX_LEFT], limits[BOX_RIGHT]);
    const double ylo = std::min(limits[BOX_TOP], limits[BOX_BOTTOM]), yhi = std::max(limits[BOX_TOP], limits[BOX_BOTTOM]);
    for (const auto& o : objects) {
        if (!o || !(o->pointerFlags & 3)) continue;
        bool hx = false, hy = false;
        if (o->pointerFlags & 1) {
            const double d = std::floor(WorldToDeviceX(o->pointer.x));
            hx = o->pointer.x >= xlo && o->pointer.x <= xhi &&
                 ((o->pointerFlags & 8) || (p.y >= outerRect.top && p.y <= outerRect.bottom)) &&
                 DrawableCoordinate(d) && std::fabs(d - p.x) < 4;
        }
        if (o->pointerFlags & 2) {
            const double d = std::floor(WorldToDeviceY(o->pointer.y));
            hy = o->pointer.y >= ylo && o->pointer.y <= yhi &&
                 ((o->pointerFlags & 4) || (p.x >= outerRect.left && p.x <= outerRect.right)) &&
                 DrawableCoordinate(d) && std::fabs(d - p.y) < 4;
        }
        if (IsPolar() ? (hx && hy) : (hx || hy)) {
            hitX = hx;
            hitY = hy;
            return o.get();
        }
    }
    return nullptr;
}

CGraphObject* CGraph::FindEditPoints(const Point2D& world, std::vector<int32_t>& points, int& count, double tolerance)
{
    points.clear();
    count = 0;
    double tx, ty;
    if (xLog || yLog) {
        tx = std::fabs(DeviceToWorldX(WorldToDeviceX(world.x) + tolerance) - world.x);
        ty = std::fabs(DeviceToWorldY(WorldToDeviceY(world.y) + tolerance) - world.y);
    } else {
        tx = std::fabs(tolerance * xUnitsPerPixel);
        ty = std::fabs(tolerance * yUnitsPerPixel);
    }
    if (!std::isfinite(tx) || !std::isfinite(ty)) return nullptr;
    for (const auto& o : objects) {
        if (!o || !o->visible || !o->flagB) continue;
        std::vector<int32_t> near = o->PointsNear(world, tx, ty);
        if (near.empty()) continue;
        count = (int)near.size();
        if (CanEditObject(o.get(), near)) {
            points = std::move(near);
            return o.get();
        }
    }
    count = 0;
    return nullptr;
}

// ---- Pointer placement ----

bool CGraphObject::MovePointer(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY, bool nearestOnly,
                               bool log)
{
    const uint32_t n = m_count;
    if (n < 2) return false;
    auto dev = [&](const Point2D& w) { return Point2D{g.WorldToDeviceX(w.x), g.WorldToDeviceY(w.y)}; };
    const Point2D m = log ? dev(mouse) : mouse;
    const double tx = log ? 1.0 : std::fabs(g.xUnitsPerPixel), ty = log ? 1.0 : std::fabs(g.yUnitsPerPixel);
    struct Best {
        bool found = false;
        double dist = 0;
        Point2D at;
        int32_t vertex = -1;
    } best[2];
    const RECT& pr = g.plotRect;
    const uint32_t segments = kind == 2 ? n : n - 1;
    for (uint32_t i = 0; i < segments; i++) {
        const uint32_t a = i, b = (i + 1) % n;
        Point2D pa = m_points[a], pb = m_points[b];
        if (!Finite(pa) || !Finite(pb)) continue;
        if (log) {
            pa = dev(pa);
            pb = dev(pb);
            if (!Finite(pa) || !Finite(pb)) continue;
            const double ax = std::trunc(pa.x), bx = std::trunc(pb.x), ay = std::trunc(pa.y), by = std::trunc(pb.y);
            if ((ax < pr.left && bx < pr.left) || (ax > pr.right && bx > pr.right) || (ay < pr.top && by < pr.top) ||
                (ay > pr.bottom && by > pr.bottom))
                continue;
        }
        const Segment s{pa.x, pa.y, pb.x, pb.y};
        Point2D c = m;
        int cls = 1;
        bool crossed = false;
        if (!nearestOnly) {
            if (alongX) crossed = SegmentCrossX(s, c);
            if (!crossed && alongY) {
                c = m;
                crossed = SegmentCrossY(s, c);
            }
        }
        if (crossed) {
            cls = 0;
        } else {
            c = NearestPointOnSegment(s, m);
        }
        if (!Finite(c)) continue;
        int32_t vertex = -1;
        if (std::fabs(c.x - pa.x) <= tx && std::fabs(c.y - pa.y) <= ty) {
            c = pa;
            vertex = (int32_t)a;
        } else if (std::fabs(c.x - pb.x) <= tx && std::fabs(c.y - pb.y) <= ty) {
            c = pb;
            vertex = (int32_t)b;
        }
        const double d = std::hypot(c.x - m.x, c.y - m.y);
        if (!best[cls].found || d < best[cls].dist) best[cls] = Best{true, d, c, vertex};
    }
    const Best* win = best[0].found ? &best[0] : best[1].found ? &best[1] : nullptr;
    if (!win) return false;
    Point2D at = win->at;
    if (log) at = win->vertex >= 0 ? m_points[win->vertex] : g.DeviceToWorld(at.x, at.y);
    if (!Finite(at)) return false;
    const bool moved = at.x != pointer.x || at.y != pointer.y;
    pointer = at;
    cacheMark = win->vertex;
    return moved;
}

bool CGraphObject::SlidePointer(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY)
{
    return MovePointer(g, mouse, alongX, alongY, false, false);
}

bool CGraphObject::PlacePointerNearest(const CGraph& g, const Point2D& mouse)
{
    return MovePointer(g, mouse, false, false, true, false);
}

bool CGraphObject::SlidePointerLog(const CGraph& g, const Point2D& mouse, bool alongX, bool alongY)
{
    return MovePointer(g, mouse, alongX, alongY, false, true);
}

bool CGraphObject::PlacePointerNearestLog(const CGraph& g, const Point2D& mouse)
{
    return MovePointer(g, mouse, false, false, true, true);
}

// ---- The drags ----

bool CGraph::TrackZoomRect(RECT& rect)
{
    CDragFrame f(*this);
    if (!f.Start()) return false;
    HDC dc = f.dc();
    HPEN pen = CreatePen(PS_DOT, 0, foreColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    // The dots invert what is under them and the gaps leave it: the band
    // shows on any background and erases by drawing it again. (An XOR with
    // the fore colour, black by default, would leave the dots unchanged.)
    const int oldRop = SetROP2(dc, R2_NOT);
    const int oldBkMode = SetBkMode(dc, TRANSPARENT);
    const RECT start = rect;
    auto band = [&](const RECT& r) {
        // A single point draws nothing, so its erasing is skipped too.
        if (r.left == r.right && r.top == r.bottom) return;
        const RECT n = Normalised(r);
        Rectangle(dc, n.left, n.top, n.right, n.bottom);
    };
    bool leftUp = false;
    MSG m;
    while (f.Next(m)) {
        if (!f.Alive()) break;
        if (m.message == WM_MOUSEMOVE && f.IsMouse(m)) {
            const POINT p = f.Logical(m);
            if (SamePoint(p, POINT{rect.right, rect.bottom})) continue;
            band(rect);
            rect.right = p.x;
            rect.bottom = p.y;
            band(rect);
            OnTrackPoint(p);
            if (!f.Alive()) break;
            ReadoutAt(p);
        } else if (f.EndsLeftDrag(m, leftUp)) {
            break;
        } else if (m.message == WM_RBUTTONDOWN && f.IsMouse(m)) {
            continue;
        } else {
            f.Dispatch(m);
        }
        if (!f.Alive()) break;
    }
    if (!f.Alive()) {
        DeleteObject(pen);
        return false;
    }
    band(rect);
    SetBkMode(dc, oldBkMode);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    const bool changed = !EqualRect(&rect, &start);
    if (!leftUp || !changed) {
        // A repaint during the loop may have left part of the band.
        if (!leftUp) InvalidatePlot();
        return false;
    }
    const RECT n = Normalised(rect);
    double box[4] = {DeviceToWorldX(n.left), DeviceToWorldY(n.top), DeviceToWorldX(n.right), DeviceToWorldY(n.bottom)};
    if (SetLimits(box)) {
        std::copy(limits, limits + 4, previousLimits);
        AutoScale(0.05, box);
        AfterLimitsTaken();
        InvalidatePlot();
    }
    return true;
}

bool CGraph::TrackPan(POINT press)
{
    CDragFrame f(*this);
    if (!f.Start()) return false;
    double start[4];
    std::copy(limits, limits + 4, start);
    POINT last = press;
    bool moved = false, rightUp = false;
    MSG up{};
    MSG m;
    while (f.Next(m)) {
        if (!f.Alive()) break;
        if (m.message == WM_MOUSEMOVE && f.IsMouse(m)) {
            const POINT p = f.Logical(m);
            if (SamePoint(p, last)) continue;
            if (!moved) SetCursor(LoadCursor(nullptr, IDC_SIZEALL));
            moved = true;
            const int dx = p.x - last.x, dy = p.y - last.y;
            last = p;
            double box[4];
            if (xLog) {
                box[BOX_LEFT] = DeviceToWorldX(plotRect.left - dx);
                box[BOX_RIGHT] = DeviceToWorldX(plotRect.right - dx);
            } else {
                box[BOX_LEFT] = limits[BOX_LEFT] - dx * xUnitsPerPixel;
                box[BOX_RIGHT] = limits[BOX_RIGHT] - dx * xUnitsPerPixel;
            }
            if (yLog) {
                box[BOX_TOP] = DeviceToWorldY(plotRect.top - dy);
                box[BOX_BOTTOM] = DeviceToWorldY(plotRect.bottom - dy);
            } else {
                box[BOX_TOP] = limits[BOX_TOP] - dy * yUnitsPerPixel;
                box[BOX_BOTTOM] = limits[BOX_BOTTOM] - dy * yUnitsPerPixel;
            }
            // SetLimits keeps an axis whose new range passes a bound further
            // than its current end lies inside it.
            if (SetLimits(box) && !std::equal(box, box + 4, limits)) {
                std::copy(box, box + 4, limits);
                AfterLimitsTaken();
                if (!f.Alive()) break;
                POINT c[2] = {{plotRect.left, plotRect.top}, {plotRect.right + 1, plotRect.bottom + 1}};
                LPtoDP(f.dc(), c, 2);
                RECT dirty{c[0].x, c[0].y, c[1].x, c[1].y};
                InvalidateRect(f.hwnd(), &dirty, TRUE);
                UpdateWindow(f.hwnd());
                if (!f.Alive()) break;
            }
            ReadoutAt(p);
        } else if (m.message == WM_RBUTTONUP && f.IsMouse(m)) {
            rightUp = true;
            up = m;
            break;
        } else if (IsEscape(m)) {
            break;
        } else if (m.message == WM_RBUTTONDOWN && f.IsMouse(m)) {
            continue;
        } else {
            f.Dispatch(m);
        }
        if (!f.Alive()) break;
    }
    if (!f.Alive()) return moved;
    if (!moved) {
        if (rightUp) f.Dispatch(up);
        return false;
    }
    if (!rightUp) {
        std::copy(start, start + 4, limits);
        if (!PlotEmpty(*this)) Rescale();
        OnLimitsChanged();
    }
    InvalidatePlot();
    return true;
}

bool CGraph::TrackEdgeDrag(POINT press)
{
    if (!hwnd || GetCapture()) return false;
    bool hx = false, hy = false;
    CGraphObject* o = HitTestPointer(press, hx, hy);
    if (!o) return false;
    CDragFrame f(*this);
    if (!f.Start()) return false;
    OnPointerDragStart(o, press, o->pointer);
    if (!f.Alive()) return true;
    const RECT hold{plotRect.left, plotRect.top, plotRect.right + 1, plotRect.bottom + 1};
    SetCursor(LoadCursor(nullptr, hx && hy ? IDC_SIZEALL : hx ? IDC_SIZEWE : IDC_SIZENS));
    const Point2D saved = o->pointer;
    const int32_t savedMark = o->cacheMark;
    f.Watch();
    const bool log = xLog || yLog;
    bool leftUp = false, changed = false;
    POINT last = press;
    MSG m;
    while (f.Next(m)) {
        if (f.Stopped(changed)) break;
        if (m.message == WM_MOUSEMOVE && f.IsMouse(m)) {
            POINT p = f.Logical(m);
            p.x = std::clamp(p.x, hold.left, hold.right);
            p.y = std::clamp(p.y, hold.top, hold.bottom);
            if (SamePoint(p, last)) continue;
            last = p;
            const Point2D w = DeviceToWorld(p.x, p.y);
            bool moved;
            if (!log) moved = hx && hy ? o->PlacePointerNearest(*this, w) : o->SlidePointer(*this, w, hx, hy);
            else moved = hx && hy ? o->PlacePointerNearestLog(*this, w) : o->SlidePointerLog(*this, w, hx, hy);
            if (moved) InvalidateRect(f.hwnd(), nullptr, FALSE);
            OnPointerMoved(o, p, o->pointer);
            if (!f.Alive()) break;
            ReadoutAt(p);
        } else if (f.EndsLeftDrag(m, leftUp)) {
            break;
        } else if (m.message == WM_RBUTTONDOWN && f.IsMouse(m)) {
            continue;
        } else {
            f.Dispatch(m);
        }
        if (f.Stopped(changed)) break;   // the object may be gone: keep what is there
    }
    if (!f.Alive()) return true;
    if (!changed && f.Changed()) changed = true;
    if (!leftUp && !changed) {
        o->pointer = saved;
        o->cacheMark = savedMark;
    }
    InvalidatePlot();
    return true;
}

namespace {

struct DragRecord {
    size_t object;   // index into the graph's list
    uint8_t hitCount;
    std::vector<int32_t> points;
    std::vector<Point2D> saved;
};

}  // namespace

bool CGraph::TrackObjectDrag(POINT press)
{
    if (!hwnd || GetCapture()) return false;
    const Point2D world = DeviceToWorld(press.x, press.y);
    std::vector<int32_t> first;
    int count = 0;
    if (!FindEditPoints(world, first, count, 2.0)) return false;
    double tx, ty;
    if (xLog || yLog) {
        tx = std::fabs(DeviceToWorldX(WorldToDeviceX(world.x) + 2.0) - world.x);
        ty = std::fabs(DeviceToWorldY(WorldToDeviceY(world.y) + 2.0) - world.y);
    } else {
        tx = std::fabs(2.0 * xUnitsPerPixel);
        ty = std::fabs(2.0 * yUnitsPerPixel);
    }
    std::vector<DragRecord> records;
    for (size_t i = 0; i < objects.size(); i++) {
        CGraphObject* o = objects[i].get();
        if (!o || !o->visible || !o->flagB) continue;
        DragRecord r{i, (uint8_t)count, o->PointsNear(world, tx, ty), {}};
        if (r.points.empty()) continue;
        for (int32_t idx : r.points) r.saved.push_back(o->Points()[idx]);
        records.push_back(std::move(r));
    }
    if (records.empty()) return false;
    CDragFrame f(*this);
    if (!f.Start()) return false;
    SetCursor(LoadCursor(resourceModule, "CURSOR_NSWE"));
    f.Watch();
    bool leftUp = false, moved = false, changed = false;
    Point2D lastWorld = world;
    POINT last = press;
    MSG m;
    while (f.Next(m)) {
        if (f.Stopped(changed)) break;
        if (m.message == WM_MOUSEMOVE && f.IsMouse(m)) {
            const POINT p = f.Logical(m);
            if (SamePoint(p, last)) continue;
            last = p;
            const Point2D w = DeviceToWorld(p.x, p.y);
            Point2D delta{w.x - lastWorld.x, w.y - lastWorld.y};
            lastWorld = w;
            FindPointNear(objects[records[0].object].get(), records[0].points, delta);
            for (const DragRecord& r : records) {
                CGraphObject* o = objects[r.object].get();
                if (!CanMovePoints(o, r.points, delta)) continue;
                for (int32_t idx : r.points) {
                    o->Points()[idx].x += delta.x;
                    o->Points()[idx].y += delta.y;
                }
                Rescale();
                InvalidatePlot();
                if (!f.Alive() || f.Changed()) break;
                OnPointsMoved(o, r.points);
                if (!f.Alive() || f.Changed()) break;
            }
            if (f.Stopped(changed)) break;
            if (!moved) {
                InvalidatePlot();
                if (!f.Alive()) break;
            }
            moved = true;
            ReadoutAt(p);
        } else if (f.EndsLeftDrag(m, leftUp)) {
            break;
        } else if ((m.message == WM_RBUTTONDOWN && f.IsMouse(m)) || m.message == WM_KEYDOWN) {
            continue;
        } else {
            f.Dispatch(m);
        }
        if (f.Stopped(changed)) break;
    }
    if (!f.Alive()) return true;
    if (!changed && f.Changed()) changed = true;
    if (!moved || changed) {
        if (changed) InvalidatePlot();
        return true;
    }
    if (!leftUp) {
        for (const DragRecord& r : records) {
            CGraphObject* o = objects[r.object].get();
            for (size_t k = 0; k < r.points.size(); k++) o->Points()[r.points[k]] = r.saved[k];
        }
        Rescale();
        for (const DragRecord& r : records) {
            OnPointsMoved(objects[r.object].get(), r.points);
            if (!*m_alive) return true;
        }
    }
    InvalidatePlot();
    return true;
}

bool CGraph::TrackAddPoints(CGraphObject* object, POINT press, uint32_t maxCount)
{
    if (!hwnd || GetCapture() || !object) return false;
    if (!object->visible || !object->flagB || object->Count() >= maxCount) return false;
    std::vector<Point2D> saved;
    object->CopyPointsTo(saved);
    if (!object->AppendPoint(DeviceToWorld(press.x, press.y))) return false;
    CDragFrame f(*this);
    Rescale();
    InvalidatePlot();
    if (!f.Alive()) return false;
    if (!f.Start()) {
        if (f.Alive()) {
            object->SetPointsFrom(saved);
            Rescale();
            InvalidatePlot();
        }
        return false;
    }
    f.Watch();
    bool accepted = false, changed = false;
    POINT last = press;
    MSG m;
    while (f.Next(m)) {
        if (f.Stopped(changed)) break;
        if (m.message == WM_MOUSEMOVE && f.IsMouse(m)) {
            const POINT p = f.Logical(m);
            if (SamePoint(p, last)) continue;
            last = p;
            const int32_t idx = (int32_t)object->Count() - 1;
            object->Points()[idx] = DeviceToWorld(p.x, p.y);
            Rescale();
            InvalidatePlot();
            if (f.Stopped(changed)) break;
            OnPointsMoved(object, std::vector<int32_t>{idx});
            if (!f.Alive()) break;
            ReadoutAt(p);
        } else if (m.message == WM_LBUTTONDOWN && f.IsMouse(m)) {
            if (object->Count() >= maxCount) {
                accepted = true;
                break;
            }
            last = f.Logical(m);
            if (object->AppendPoint(DeviceToWorld(last.x, last.y))) {
                f.Watch();
                Rescale();
                InvalidatePlot();
            }
            if (!f.Alive()) break;
            continue;
        } else if (m.message == WM_RBUTTONUP && f.IsMouse(m)) {
            accepted = true;
            break;
        } else if (IsEscape(m)) {
            break;
        } else if ((m.message == WM_LBUTTONUP || m.message == WM_RBUTTONDOWN) && f.IsMouse(m)) {
            continue;
        } else {
            f.Dispatch(m);
        }
        if (f.Stopped(changed)) break;
    }
    if (!f.Alive()) return accepted;
    if (!changed && f.Changed()) changed = true;
    if (!accepted && !changed) {
        object->SetPointsFrom(saved);
        Rescale();
        OnPointsMoved(object, std::vector<int32_t>{});
        if (!*m_alive) return false;
    }
    InvalidatePlot();
    return accepted;
}
