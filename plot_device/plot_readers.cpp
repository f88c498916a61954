// The readers of the plot device messages: each block of the mapping is
// parsed whole into a plain record, bounded by the mapped bytes, and only then
// applied, so a malformed block changes nothing.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "devices/device_protocol.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/named_objects.h"
#include "plot_device/plot_command.h"
#include "plot_device/plot_figure.h"
#include "values/stop_probe.h"

namespace {

class CBlockReader {
public:
    CBlockReader(const uint8_t* p, size_t size) : m_p(p), m_left(p ? size : 0) {}
    bool ok() const { return m_ok; }
    size_t left() const { return m_left; }
    uint32_t U32()
    {
        uint32_t v = 0;
        Take(&v, 4);
        return v;
    }
    int32_t I32() { return (int32_t)U32(); }
    double F64()
    {
        double v = 0;
        Take(&v, 8);
        return v;
    }
    std::string Text()
    {
        const uint32_t n = U32();
        if (!m_ok || (uint64_t)n > m_left) return Fail(), std::string();
        std::string s((const char*)m_p, n);
        m_p += n;
        m_left -= n;
        return s;
    }
    // A count of items at least `unit` bytes each, checked against the bytes left.
    bool Count(uint32_t& n, uint64_t unit)
    {
        n = U32();
        if (!m_ok || (uint64_t)n > m_left / unit) return Fail(), false;
        return true;
    }
    bool Pairs(std::vector<PlotTextPair>& out)
    {
        uint32_t k;
        if (!Count(k, 8)) return false;
        out.reserve(k);
        for (uint32_t i = 0; i < k && m_ok; i++) {
            std::string a = Text();
            std::string b = Text();
            out.emplace_back(std::move(a), std::move(b));
        }
        return m_ok;
    }
    bool Head(PlotHead& h)
    {
        h.name = Text();
        h.col = I32();
        h.row = I32();
        h.objectId = I32();
        return m_ok && ValidPlotPosition(h.col) && ValidPlotPosition(h.row);
    }

private:
    void Fail() { m_ok = false; m_left = 0; }
    void Take(void* dst, size_t n)
    {
        if (!m_ok || m_left < n) return Fail();
        std::memcpy(dst, m_p, n);
        m_p += n;
        m_left -= n;
    }
    const uint8_t* m_p;
    size_t m_left;
    bool m_ok = true;
};

// The host's block in the named mapping, mapped for one reader.
class CMappedBlock {
public:
    explicit CMappedBlock(size_t limit)
    {
        m_handle = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, kPlotDeviceMappingName);
        if (!m_handle) return;
        m_view = (const uint8_t*)MapViewOfFile(m_handle, FILE_MAP_ALL_ACCESS, 0, 0, 0);
        if (!m_view) return;
        m_size = GetMappedViewSize(m_view);
        if (limit && limit < m_size) m_size = limit;
    }
    ~CMappedBlock() { Release(); }
    void Release()
    {
        if (m_view) UnmapViewOfFile(m_view);
        if (m_handle) CloseHandle(m_handle);
        m_view = nullptr;
        m_handle = nullptr;
    }
    const uint8_t* data() const { return m_view; }
    size_t size() const { return m_size; }

private:
    HANDLE m_handle = nullptr;
    const uint8_t* m_view = nullptr;
    size_t m_size = 0;
};

}  // namespace

bool ParseClearBlock(const uint8_t* p, size_t size, PlotClearBlock& out)
{
    CBlockReader r(p, size);
    return r.Head(out);
}

bool ParseDataBlock(const uint8_t* p, size_t size, PlotDataBlock& out)
{
    CBlockReader r(p, size);
    if (!r.Head(out) || !r.Pairs(out.planeOptions)) return false;
    uint32_t s;
    if (!r.Count(s, 8)) return false;
    out.series.reserve(s);
    for (uint32_t i = 0; i < s; i++) {
        uint32_t n;
        if (!r.Count(n, 16)) return false;
        PlotDataBlock::Series series;
        series.points.resize(n);
        for (uint32_t j = 0; j < n; j++) {
            series.points[j].x = r.F64();
            series.points[j].y = r.F64();
        }
        if (!r.ok() || !r.Pairs(series.options)) return false;
        out.series.push_back(std::move(series));
    }
    return r.ok();
}

bool ParseSetBlock(const uint8_t* p, size_t size, PlotSetBlock& out)
{
    CBlockReader r(p, size);
    return r.Head(out) && r.Pairs(out.pairs);
}

bool ParseNameBlock(const uint8_t* p, size_t size, std::string& name)
{
    CBlockReader r(p, size);
    name = r.Text();
    return r.ok();
}

bool ParseBoundsBlock(const uint8_t* p, size_t size, PlotBoundsBlock& out)
{
    CBlockReader r(p, size);
    if (!r.Head(out)) return false;
    for (double& b : out.bounds) b = r.F64();
    return r.ok();
}

// ---- apply --------------------------------------------------------------------

LRESULT CPlotFigure::ReadClear(const uint8_t* p, size_t size)
{
    PlotClearBlock b;
    if (ParseClearBlock(p, size, b)) ApplyClearBlock(b);
    return 0;
}

void CPlotFigure::ApplyClearBlock(const PlotClearBlock& b)
{
    // A clear names the figure as every other message does: a window whose
    // first message is a clear carries the handle's name.
    m_name = b.name;
    SetFigureTitle(TitleText());
    ClearPlot(b.row, b.col, b.objectId);
    PositionPlanes();
    Redraw(nullptr);
}

CPlotPlane* CPlotFigure::ApplyPlotBlock(const PlotDataBlock& b, int* status)
{
    m_name = b.name;
    bool created;
    CPlotPlane* plane = GetPlane(b.row, b.col, created);
    if (!plane) return nullptr;
    for (const auto& pr : b.planeOptions) ParsePlotProperty(*this, plane, nullptr, pr.first, pr.second, false);
    for (size_t i = 0; i < b.series.size(); i++) {
        bool made;
        CGraphObject* o = plane->NewPlotObject(b.objectId, made, CPlotPlane::DefaultSeriesColour((uint32_t)i));
        if (!o) break;
        if (!o->SetPoints(b.series[i].points.data(), (uint32_t)b.series[i].points.size())) {
            // No object without its points: the series that did not fit goes.
            if (made) plane->RemoveObjects(o->id, nullptr);
            if (status) *status = kPlotStatusNoPointMemory;
            break;
        }
        for (const auto& pr : b.series[i].options) ParsePlotProperty(*this, plane, o, pr.first, pr.second, false);
    }
    RecalcGrid();
    if (std::find(m_pending.begin(), m_pending.end(), plane) == m_pending.end()) m_pending.push_back(plane);
    return plane;
}

int CPlotFigure::FinishPlot(uint32_t holdFlags)
{
    SetWindowAll(GetFigureWindow());
    SetFigureTitle(TitleText());
    // Without a timer the held objects would wait for ever: they go now.
    if (!(holdFlags & PLOT_HOLD) || !SetFigureTimer(kPlotHoldTimer, kPlotHoldDelay)) return CommitAndShow();
    return 0;
}

LRESULT CPlotFigure::ReadPlot2d(const uint8_t* p, size_t size, uint32_t holdFlags)
{
    PlotDataBlock b;
    int status = 0;
    try {
        if (!ParseDataBlock(p, size, b)) return 0;
    } catch (const std::bad_alloc&) {
        return kPlotStatusNoPointMemory;
    }
    if (!ApplyPlotBlock(b, &status)) return status;
    if (const int finished = FinishPlot(holdFlags)) return finished;
    return status;
}

void CPlotFigure::ApplySetBlock(const PlotSetBlock& b)
{
    m_name = b.name;
    bool anyPlane = false;
    for (const auto& pr : b.pairs) {
        if (b.col != -1 || b.row != -1) {
            for (CPlotPlane* p : PlaneSnapshot()) {
                if ((b.row == -1 || p->m_row == b.row) && (b.col == -1 || p->m_col == b.col)) {
                    CGraphObject* o = b.objectId != -1 ? p->FindObject(b.objectId) : nullptr;
                    ParsePlotProperty(*this, p, o, pr.first, pr.second, false);
                    anyPlane = true;
                }
            }
        }
        if (!anyPlane || (b.col == -1 && b.row == -1)) ParsePlotProperty(*this, nullptr, nullptr, pr.first, pr.second, true);
    }
    if (anyPlane) {
        for (CPlotPlane* p : PlaneSnapshot()) p->Rescale();
        Redraw(nullptr);
    }
    SetFigureTitle(TitleText());
}

LRESULT CPlotFigure::ReadSet(const uint8_t* p, size_t size)
{
    PlotSetBlock b;
    if (ParseSetBlock(p, size, b)) ApplySetBlock(b);
    return 0;
}

LRESULT CPlotFigure::ReadDim(const uint8_t* p, size_t size, uint32_t packed)
{
    std::string name;
    if (p && ParseNameBlock(p, size, name)) {
        m_name = name;
        SetFigureTitle(TitleText());
    }
    SetViewSize((int)(packed & 0xFFFF), (int)(packed >> 16));
    PositionPlanes();
    Redraw(nullptr);
    return 0;
}

void CPlotFigure::ApplyBoundsBlock(const PlotBoundsBlock& b)
{
    m_name = b.name;
    SetFigureTitle(TitleText());
    if (m_planes.empty()) {
        std::copy(b.bounds, b.bounds + 4, m_pendingBounds);
        return;
    }
    if (b.col == -1 || b.row == -1) {
        bool any = false;
        for (CPlotPlane* p : PlaneSnapshot()) {
            if ((b.row == -1 || p->m_row == b.row) && (b.col == -1 || p->m_col == b.col)) {
                std::copy(b.bounds, b.bounds + 4, p->m_bounds);
                p->ApplyBounds(true);
                any = true;
            }
        }
        if (any) Redraw(nullptr);
        return;
    }
    if (CPlotPlane* p = FindPlane(b.row, b.col)) {
        std::copy(b.bounds, b.bounds + 4, p->m_bounds);
        p->ApplyBounds(true);
        p->InvalidatePlot();
        const RECT r = CGraph::WithDrawnEdges(p->outerRect);
        Redraw(&r);
    }
}

LRESULT CPlotFigure::ReadBounds(const uint8_t* p, size_t size)
{
    PlotBoundsBlock b;
    if (ParseBoundsBlock(p, size, b)) ApplyBoundsBlock(b);
    return 0;
}

// ---- the messages ------------------------------------------------------------------

LRESULT CPlotFigure::OnDeviceClrPlot(WPARAM size, LPARAM)
{
    CMappedBlock m(size);
    if (!m.data()) return 0;
    PlotClearBlock b;
    const bool ok = ParseClearBlock(m.data(), m.size(), b);
    m.Release();
    if (ok) ApplyClearBlock(b);
    return 0;
}

LRESULT CPlotFigure::OnDevicePlot2d(WPARAM size, LPARAM holdFlags)
{
    // The program waits for the layout: its stop ends that.
    const CRequestStopScope stops;
    CMappedBlock m(size);
    if (!m.data()) return 0;
    PlotDataBlock b;
    bool ok;
    try {
        ok = ParseDataBlock(m.data(), m.size(), b);
    } catch (const std::bad_alloc&) {
        return kPlotStatusNoPointMemory;
    }
    m.Release();
    int status = 0;
    if (!ok || !ApplyPlotBlock(b, &status)) return status;
    if (const int finished = FinishPlot((uint32_t)holdFlags)) return finished;
    return status;
}

LRESULT CPlotFigure::OnDeviceSetPlot(WPARAM size, LPARAM)
{
    CMappedBlock m(size);
    if (!m.data()) return 0;
    PlotSetBlock b;
    const bool ok = ParseSetBlock(m.data(), m.size(), b);
    m.Release();
    if (ok) ApplySetBlock(b);
    return 0;
}

LRESULT CPlotFigure::OnDeviceDimPlot(WPARAM size, LPARAM packed)
{
    CMappedBlock m(size);
    std::string name;
    const bool ok = m.data() && ParseNameBlock(m.data(), m.size(), name);
    m.Release();
    if (ok) {
        m_name = name;
        SetFigureTitle(TitleText());
    }
    SetViewSize((int)((uint32_t)packed & 0xFFFF), (int)(((uint32_t)packed >> 16) & 0xFFFF));
    PositionPlanes();
    Redraw(nullptr);
    return 0;
}

LRESULT CPlotFigure::OnDeviceBndPlot(WPARAM size, LPARAM)
{
    CMappedBlock m(size);
    if (!m.data()) return 0;
    PlotBoundsBlock b;
    const bool ok = ParseBoundsBlock(m.data(), m.size(), b);
    m.Release();
    if (ok) ApplyBoundsBlock(b);
    return 0;
}

LRESULT CPlotFigure::OnDevicePlotCommand(WPARAM wParam, LPARAM lParam)
{
    const auto* pos = reinterpret_cast<const PlotCommandPosition*>(wParam);
    const auto* text = reinterpret_cast<const PlotCommandText*>(lParam);
    if (!pos || !text) return -1;
    return RunPlotCommand(*this, *pos, *text);
}
