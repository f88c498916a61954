// The figure's part of a plot file: magic, drawing size, then the planes with
// their cells and graph bodies.
#include <algorithm>
#include <cstring>

#include "plot_device/plot_figure.h"
#include "platform/user/geometry.h"
#include "platform/user/settings.h"
#include "values/byte_stream.h"

namespace {

constexpr char kPlotFileMagic[7] = {'Q', 'R', 'v', '1', '.', '2', '4'};
// Larger sizes would make the view allocate gigabytes.
constexpr int32_t kMaxPlotViewSide = 32767;

bool PutI32(CByteStream& s, int32_t v) { return s.WriteExact(&v, sizeof v); }
bool GetI32(CByteStream& s, int32_t& v) { return s.ReadExact(&v, sizeof v); }

}  // namespace

bool CPlotFigure::Save(CByteStream& s)
{
    s.WriteExact(kPlotFileMagic, sizeof kPlotFileMagic);
    // A window that was never given a size writes 0.
    PutI32(s, m_viewWidth < 1 ? 0 : m_viewWidth);
    PutI32(s, m_viewHeight < 1 ? 0 : m_viewHeight);
    PutI32(s, (int32_t)m_planes.size());
    for (const auto& p : m_planes) {
        const RECT& r = p->outerRect;
        PutI32(s, r.left);
        PutI32(s, r.top);
        PutI32(s, r.right);
        PutI32(s, r.bottom);
        PutI32(s, p->m_row);
        PutI32(s, p->m_col);
        if (!s.Fail()) p->WriteToStream(s);
    }
    return !s.Fail();
}

bool CPlotFigure::Load(CByteStream& s)
{
    char magic[sizeof kPlotFileMagic];
    if (!s.ReadExact(magic, sizeof magic) || std::memcmp(magic, kPlotFileMagic, sizeof magic) != 0) {
        s.SetFail();
        return false;
    }
    int32_t width = 0, height = 0, count = 0;
    if (!GetI32(s, width) || !GetI32(s, height) || !GetI32(s, count)) return false;
    if (width > kMaxPlotViewSide || height > kMaxPlotViewSide) {
        s.SetFail();
        return false;
    }
    SetViewSize(width, height);
    // The count is untrusted: planes are read one by one until it or the bytes end.
    for (int32_t i = 0; i < count && !s.Fail(); i++) {
        int32_t box[4], row = 0, col = 0;
        for (int32_t& v : box)
            if (!GetI32(s, v)) return false;
        if (!GetI32(s, row) || !GetI32(s, col)) return false;
        if (row < 1 || row > kMaxPlotPosition || col < 1 || col > kMaxPlotPosition) {
            s.SetFail();
            return false;
        }
        auto plane = std::make_unique<CPlotPlane>();
        plane->m_figure = this;
        plane->SetWindow(GetFigureWindow());
        if (!plane->ReadFromStream(s)) {
            s.SetFail();
            return false;
        }
        // A plane lies within the largest view: a wider box would make the
        // axes draw millions of ticks.
        for (int32_t& v : box) v = std::clamp(v, -kMaxPlotViewSide, kMaxPlotViewSide);
        const RECT rect{box[0], box[1], box[2], box[3]};
        plane->outerRect = rect;
        plane->Resize(rect);
        plane->m_row = row;
        plane->m_col = col;
        m_planes.push_back(std::move(plane));
    }
    RecalcGrid();
    return !s.Fail();
}

void CPlotFigure::TakeFileContent(CPlotFigure& other)
{
    Reset();
    for (auto& p : other.m_planes) {
        p->m_figure = this;
        p->SetWindow(GetFigureWindow());
        m_planes.push_back(std::move(p));
    }
    other.m_planes.clear();
    other.m_pending.clear();
    SetViewSize(other.m_viewWidth, other.m_viewHeight);
    RecalcGrid();
}

bool WritePlotFile(CPlotFigure& figure, const WINDOWPLACEMENT& placement, std::string& bytes)
{
    CMemStream s;
    s.WriteExact(&placement, sizeof placement);
    if (!figure.Save(s) || s.Fail()) return false;
    bytes.assign(reinterpret_cast<const char*>(s.Data()), (size_t)s.GetLength());
    return true;
}

bool ReadPlotFile(const std::string& bytes, WINDOWPLACEMENT& placement, CPlotFigure& scratch)
{
    CMemStream s;
    s.Attach(bytes.data(), bytes.size());
    WINDOWPLACEMENT wp{};
    if (!s.ReadExact(&wp, sizeof wp)) return false;
    if (!scratch.Load(s)) return false;
    wp.rcNormalPosition = ClampRect(wp.rcNormalPosition);
    placement = wp;
    return true;
}

bool UsablePlotPlacement(const WINDOWPLACEMENT& wp)
{
    if (wp.showCmd < 1 || wp.showCmd > 3) return false;
    const RECT& r = wp.rcNormalPosition;
    if (r.right <= r.left || r.bottom <= r.top) return false;
    const int sw = GetSystemMetrics(SM_CXVIRTUALSCREEN), sh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int sx = 0, sy = 0;
    return r.right > sx && r.left < sx + sw && r.bottom > sy && r.top < sy + sh;
}

