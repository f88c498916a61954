// The figure model: grid, layout, commit and drawing.
#include "plot_device/plot_figure.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "devices/plot_blocks.h"
#include "values/stop_probe.h"
#include "values/value.h"
#include "values/value_text.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kCellGap = 15;
}  // namespace

CPlotFigure::CPlotFigure() { std::fill(m_pendingBounds, m_pendingBounds + 4, kNaN); }

CPlotFigure::~CPlotFigure()
{
    m_pending.clear();
    m_cells.clear();
    m_planes.clear();
    m_deferredPlanes.clear();
    m_deferredObjects.clear();
}

void CPlotFigure::OnFigureTimer(UINT_PTR id)
{
    if (id != kPlotHoldTimer) return;
    KillFigureTimer(kPlotHoldTimer);
    CommitAndShow();
}

CPlotPlane* CPlotFigure::FindPlane(int32_t row, int32_t col) const
{
    const auto it = m_cells.find(CellKey(row, col));
    return it == m_cells.end() ? nullptr : it->second;
}

void CPlotFigure::IndexPlane(CPlotPlane* plane)
{
    if (!m_cells.emplace(CellKey(plane->m_row, plane->m_col), plane).second) ++m_sharedCells;
    ++m_rowUse[plane->m_row];
    ++m_colUse[plane->m_col];
}

void CPlotFigure::UnindexPlane(CPlotPlane* plane)
{
    const uint64_t key = CellKey(plane->m_row, plane->m_col);
    if (auto it = m_cells.find(key); it != m_cells.end() && it->second == plane) {
        m_cells.erase(it);
        // A file may hold two planes of one cell: the next one answers now.
        if (m_sharedCells > 0)
            for (const auto& p : m_planes)
                if (p.get() != plane && p->m_row == plane->m_row && p->m_col == plane->m_col) {
                    m_cells.emplace(key, p.get());
                    --m_sharedCells;
                    break;
                }
    } else if (m_sharedCells > 0) {
        --m_sharedCells;
    }
    for (auto* use : {&m_rowUse, &m_colUse}) {
        const int32_t at = use == &m_rowUse ? plane->m_row : plane->m_col;
        if (auto it = use->find(at); it != use->end() && --it->second <= 0) use->erase(it);
    }
}

void CPlotFigure::RebuildIndex()
{
    m_cells.clear();
    m_rowUse.clear();
    m_colUse.clear();
    m_sharedCells = 0;
    for (const auto& p : m_planes) IndexPlane(p.get());
}

CPlotPlane* CPlotFigure::GetPlane(int32_t row, int32_t col, bool& created)
{
    created = false;
    if (!ValidPlotPosition(row) || !ValidPlotPosition(col)) return nullptr;
    if (row != -1 && col != -1) {
        if (CPlotPlane* p = FindPlane(row, col)) return p;
    }
    // Grid sizes stay within the position limit plus one, so the arithmetic
    // below cannot overflow; rows and columns are counted in 64 bits anyway.
    int64_t r = row, c = col;
    if (row == -1 && col != -1) {
        r = 0;
        for (int64_t i = 1; i <= m_rows; i++)
            if (!FindPlane((int32_t)i, col)) { r = i; break; }
        if (!r) r = ++m_rows;
    } else if (row != -1 && col == -1) {
        c = 0;
        for (int64_t j = 1; j <= m_cols; j++)
            if (!FindPlane(row, (int32_t)j)) { c = j; break; }
        if (!c) c = ++m_cols;
    } else if (row == -1 && col == -1) {
        // The first free cell of the last row that has one: looked for from
        // the bottom, where the grid fills, not through every plane above.
        r = c = 0;
        for (int64_t i = m_rows; i >= 1 && !r; i--)
            for (int64_t j = 1; j <= m_cols; j++)
                if (!FindPlane((int32_t)i, (int32_t)j)) { r = i; c = j; break; }
        if (!r) {
            if (m_cols <= m_rows) { c = ++m_cols; r = 1; }
            else { r = ++m_rows; c = 1; }
        }
    }
    if (r < 1 || c < 1 || r > INT32_MAX || c > INT32_MAX) return nullptr;
    auto plane = std::make_unique<CPlotPlane>();
    plane->m_row = (int32_t)r;
    plane->m_col = (int32_t)c;
    plane->m_figure = this;
    plane->SetWindow(m_allWindow);
    ApplyGraphDefaults(*plane);
    created = true;
    m_planes.push_back(std::move(plane));
    IndexPlane(m_planes.back().get());
    return m_planes.back().get();
}

std::unique_ptr<CPlotPlane> CPlotFigure::DetachPlane(CPlotPlane* plane)
{
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), plane), m_pending.end());
    for (auto it = m_planes.begin(); it != m_planes.end(); ++it) {
        if (it->get() == plane) {
            std::unique_ptr<CPlotPlane> p = std::move(*it);
            m_planes.erase(it);
            UnindexPlane(plane);
            return p;
        }
    }
    return nullptr;
}

bool CPlotFigure::RemovePlane(CPlotPlane* plane)
{
    std::unique_ptr<CPlotPlane> p = DetachPlane(plane);
    if (!p) return false;
    Discard(std::move(p));
    return true;
}

void CPlotFigure::Discard(std::unique_ptr<CPlotPlane> plane)
{
    if (!plane) return;
    if (m_busy) m_deferredPlanes.push_back(std::move(plane));
}

void CPlotFigure::Discard(std::unique_ptr<CGraphObject> object)
{
    if (!object) return;
    if (m_busy) m_deferredObjects.push_back(std::move(object));
}

void CPlotFigure::LeaveBusy()
{
    if (m_busy > 0 && --m_busy == 0) {
        m_deferredPlanes.clear();
        m_deferredObjects.clear();
    }
}

std::vector<CPlotPlane*> CPlotFigure::PlaneSnapshot() const
{
    std::vector<CPlotPlane*> out;
    out.reserve(m_planes.size());
    for (const auto& p : m_planes) out.push_back(p.get());
    return out;
}

int CPlotFigure::ClearPlot(int32_t row, int32_t col, int32_t objectId)
{
    if (!ValidPlotPosition(row) || !ValidPlotPosition(col)) return 1;
    if (row != -1 && col != -1) {
        CPlotPlane* p = FindPlane(row, col);
        if (!p) return 1;
        if (objectId != -1) {
            if (!p->FindObject(objectId)) return 2;
            p->RemoveObjects(objectId, nullptr);
            if (p->IsEmpty() && p->m_newObjects.empty()) RemovePlane(p);
        } else {
            RemovePlane(p);
        }
        return 0;
    }
    for (CPlotPlane* p : PlaneSnapshot())
        if ((row == -1 || p->m_row == row) && (col == -1 || p->m_col == col)) RemovePlane(p);
    RecalcGrid();
    return 0;
}

void CPlotFigure::RecalcGrid()
{
    m_rows = m_rowUse.empty() ? 1 : std::max(1, m_rowUse.rbegin()->first);
    m_cols = m_colUse.empty() ? 1 : std::max(1, m_colUse.rbegin()->first);
}

SIZE CPlotFigure::GetFigureSize()
{
    SIZE s{m_viewWidth, m_viewHeight};
    if (!m_planes.empty() && (s.cx < 1 || s.cy < 1)) {
        RECT r;
        GetFigureClientRect(&r);
        if (s.cx < 1) s.cx = r.right - r.left;
        if (s.cy < 1) s.cy = r.bottom - r.top;
    }
    return s;
}

RECT CPlotFigure::PlaneRect(int32_t row, int32_t col, const SIZE* size)
{
    const SIZE s = size ? *size : GetFigureSize();
    const double cols = std::max(m_cols, 1), rows = std::max(m_rows, 1);
    const double cw = (s.cx - (cols + 1) * kCellGap) / cols;
    const double ch = (s.cy - (rows + 1) * kCellGap) / rows;
    auto toInt = [](double v) {
        if (!(v > -1e9 && v < 1e9)) return 0;
        return (int)v;
    };
    RECT r;
    r.left = toInt((col - 1) * cw + (double)col * kCellGap);
    r.top = toInt((row - 1) * ch + (double)row * kCellGap);
    r.right = toInt((cw + kCellGap) * col);
    r.bottom = toInt((ch + kCellGap) * row);
    return r;
}

void CPlotFigure::PositionPlanes()
{
    const SIZE s = GetFigureSize();
    for (CPlotPlane* p : PlaneSnapshot()) p->Resize(PlaneRect(p->m_row, p->m_col, &s));
    m_laidRows = m_rows;
    m_laidCols = m_cols;
    m_laidSize = s;
}

int CPlotFigure::CommitAndShow()
{
    const std::vector<CPlotPlane*> committed = m_pending;
    std::vector<const CGraphObject*> made;
    for (CPlotPlane* p : committed)
        for (const auto& o : p->m_newObjects) made.push_back(o.get());
    int status = 0;
    try {
        ShowCommitted(committed);
        if (!RequestStopped()) return 0;
        status = kPlotStatusStopped;
    } catch (const std::bad_alloc&) {
        status = kPlotStatusNoPointMemory;
    }
    // Points the figure cannot hold, or a program that stopped while they
    // were laid out: the objects just committed go again, whatever else is
    // shown stays as it was, laid out in full.
    const CRunToEnd toTheEnd;
    for (CPlotPlane* p : committed) {
        std::erase_if(p->objects, [&](const std::unique_ptr<CGraphObject>& o) {
            return std::find(made.begin(), made.end(), o.get()) != made.end();
        });
        p->m_newObjects.clear();
        p->NoteObjectsChanged();
    }
    m_pending.clear();
    try {
        // The stop may have come while the limits took the new points in.
        if (status == kPlotStatusStopped)
            for (CPlotPlane* p : committed) p->ApplyBounds(false);
        PositionPlanes();
        Redraw(nullptr);
    } catch (const std::bad_alloc&) {
    }
    return status;
}

void CPlotFigure::ShowCommitted(const std::vector<CPlotPlane*>& committed)
{
    CommitPending();
    const SIZE s = GetFigureSize();
    if (m_rows != m_laidRows || m_cols != m_laidCols || s.cx != m_laidSize.cx || s.cy != m_laidSize.cy) {
        PositionPlanes();
        Redraw(nullptr);
        return;
    }
    // Every other plane keeps its place: the committed ones are laid out
    // again (options may have changed their margins) and repainted with
    // their selection marks around them.
    for (CPlotPlane* p : committed) {
        p->Resize(PlaneRect(p->m_row, p->m_col, &s));
        const RECT& o = p->outerRect;
        const RECT r{o.left - 4, o.top - 4, o.right + 5, o.bottom + 5};
        Redraw(&r);
    }
}

bool CPlotFigure::CommitPending()
{
    bool any = false;
    const bool xGiven = std::isfinite(m_pendingBounds[0]) && std::isfinite(m_pendingBounds[1]);
    const bool yGiven = std::isfinite(m_pendingBounds[2]) && std::isfinite(m_pendingBounds[3]);
    const SIZE s = GetFigureSize();
    for (CPlotPlane* p : std::vector<CPlotPlane*>(m_pending)) {
        if (p->m_newObjects.empty()) continue;
        for (auto& o : p->m_newObjects) {
            OnObjectCommitted(*o);
            p->objects.push_back(std::move(o));
        }
        p->m_newObjects.clear();
        p->NoteObjectsChanged();
        if (xGiven || yGiven) std::copy(m_pendingBounds, m_pendingBounds + 4, p->m_bounds);
        // The limits come next and rescale; the layout after the commit
        // finds the points prepared.
        p->Resize(PlaneRect(p->m_row, p->m_col, &s), false);
        p->ApplyBounds(false);
        p->mouseMode = CommittedMouseMode();
        any = true;
    }
    std::fill(m_pendingBounds, m_pendingBounds + 4, kNaN);
    m_pending.clear();
    return any;
}

void CPlotFigure::SetWindowAll(HWND hwnd)
{
    // Every plane is made with the window given last (a plot asks for it each time).
    if (hwnd == m_allWindow) return;
    m_allWindow = hwnd;
    for (const auto& p : m_planes) p->SetWindow(hwnd);
}

void CPlotFigure::Reset()
{
    m_pending.clear();
    for (CPlotPlane* p : PlaneSnapshot()) RemovePlane(p);
    m_rows = m_cols = 1;
    m_viewWidth = m_viewHeight = -1;
}

void CPlotFigure::SelectAt(int x, int y)
{
    for (const auto& p : m_planes) p->m_selected = 0;
    for (auto it = m_planes.rbegin(); it != m_planes.rend(); ++it) {
        const RECT& r = (*it)->outerRect;
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) {
            (*it)->m_selected = 1;
            return;
        }
    }
}

void CPlotFigure::SelectNeighbour(bool up, bool down, bool left, bool right)
{
    CPlotPlane* sel = nullptr;
    for (const auto& p : m_planes)
        if (p->m_selected) sel = p.get();
    if (!sel) return;
    const int32_t row = sel->m_row, col = sel->m_col;
    auto select = [this](CPlotPlane* p) {
        for (const auto& q : m_planes) q->m_selected = 0;
        p->m_selected = 1;
    };
    auto look = [&](int dr, int dc) {
        for (int64_t r = row + dr, c = col + dc; r >= 1 && c >= 1 && r <= m_rows && c <= m_cols; r += dr, c += dc)
            if (CPlotPlane* p = FindPlane((int32_t)r, (int32_t)c)) {
                select(p);
                return;
            }
    };
    if (up) look(-1, 0);
    if (down) look(1, 0);
    if (left) look(0, -1);
    if (right) look(0, 1);
}

CPlotPlane* CPlotFigure::FindPlaneOfObject(const CGraphObject* object) const
{
    for (const auto& p : m_planes)
        if (p->IndexOfObject(object) >= 0) return p.get();
    return nullptr;
}

void CPlotFigure::Draw(HDC dc, bool all)
{
    const int h = 3;
    RECT client;
    GetFigureClientRect(&client);
    client.left -= 5;
    client.top -= 5;
    client.right += 5;
    client.bottom += 5;
    // Only the planes in the painted area: a plot repaints its own plane, not
    // every plane of the figure.
    RECT painted;
    const int clipped = all ? ERROR : GetClipBox(dc, &painted);
    auto reaches = [](const RECT& a, const RECT& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    std::vector<CPlotPlane*> again;
    for (CPlotPlane* p : PlaneSnapshot()) {
        const RECT& o = p->outerRect;
        RECT r{o.left - h, o.top - h, o.right + h + 1, o.bottom + h + 1};
        if (!all) {
            // A cell too small for its margins is laid out inside out.
            const RECT box{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right) + 1,
                           std::max(r.top, r.bottom) + 1};
            const bool overlaps =
                reaches(r, client) && (clipped == ERROR || (clipped != NULLREGION && reaches(box, painted)));
            const bool pointer = p->FindObjectByFlag(0x0C) != nullptr;
            if (!overlaps && !pointer) continue;
            if (pointer) again.push_back(p);
        }
        p->DrawGraph(dc, all ? 1 : 0);
        if (p->m_selected) {
            HPEN pen = CreatePen(PS_DOT, 0, 0);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
            const int oldRop = SetROP2(dc, R2_NOTXORPEN);
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
            SetROP2(dc, R2_NOTMERGEPEN);
            const int xs[3] = {r.left, (r.left + r.right) / 2, r.right};
            const int ys[3] = {r.top, (r.top + r.bottom) / 2, r.bottom};
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++) {
                    if (i == 1 && j == 1) continue;
                    Rectangle(dc, xs[i] - 4, ys[j] - 4, xs[i] + 4, ys[j] + 4);
                }
            SetROP2(dc, oldRop);
            SelectObject(dc, oldBrush);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
        }
    }
    for (CPlotPlane* p : again) p->DrawPointers(dc, &client);
}

void CPlotFigure::ApplyObjectDefaults(CGraphObject& o) const
{
    const PlotObjectDefaults& d = m_objectDefaults;
    o.penStyle = d.penStyle;
    o.penWidth = d.penWidth;
    o.color = d.color;
    o.fillColor = d.fillColor;
    o.fillStyle = d.fillStyle;
    o.kind = d.kind;
    o.marker = d.marker;
    o.legend = d.legend;
    o.boxLegend = d.boxLegend;
    o.inLegend = (uint8_t)(d.inLegend != 0);
}

void CPlotFigure::ApplyGraphDefaults(CPlotPlane& p) const
{
    const PlotGraphDefaults& d = m_graphDefaults;
    p.titlePosition = d.titleShown;
    p.axisStyle = d.axisStyle;
    p.title = d.title;
    p.titleFont = d.titleFont;
    p.titleFontSize = d.titleFontSize;
    p.axisFont = d.axisFont;
    p.axisFontSize = d.axisFontSize;
    p.legendFont = d.legendFont;
    p.legendFontSize = d.legendFontSize;
    p.background = d.background;
    p.foreColor = d.axisColor;
    p.gridColor = d.gridColor;
    p.equalAxes = d.equalAxes;
    p.xLabel = d.xLabel;
    p.yLabel = d.yLabel;
    p.xAxisFlags = (uint8_t)((d.xType << 4) | (d.xFlags & 0x0F));
    p.yAxisFlags = (uint8_t)((d.yType << 4) | (d.yFlags & 0x0F));
    p.numberFormat = d.numberFormat;
    p.xLog = d.xLog;
    p.yLog = d.yLog;
    p.SetPolarOffset(d.polarOffset);
}

void CPlotFigure::ApplyPropertyValue(CPlotPlane* plane, CGraphObject* object, const std::string& name,
                                     const CValue& value, bool figureMode)
{
    std::string text;
    ValueFormat(value, text, &kPlotOptionTextFormat);
    ParsePlotProperty(*this, plane, object, name, std::move(text), figureMode);
}
