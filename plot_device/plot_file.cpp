// The figure's part of a plot file: magic, drawing size, then the planes with
// their cells and graph bodies.
#include <algorithm>
#include <cstring>
#include <memory>

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
        IndexPlane(m_planes.back().get());
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
    other.RebuildIndex();
    RebuildIndex();
    SetViewSize(other.m_viewWidth, other.m_viewHeight);
    RecalcGrid();
}

namespace {

// Writes go through a block of its own to the descriptor; a stream for
// writing from start to end only.
class CBlockWriteStream : public CByteStream {
public:
    explicit CBlockWriteStream(int fd) : m_file(fd), m_block(new unsigned char[kBlock]) {}
    void Close() override {}
    int64_t GetLength() override { return m_written + (int64_t)m_used; }
    int64_t GetPosition() override { return GetLength(); }
    int64_t Seek(int64_t, int) override { return -1; }
    int64_t Read(void*, size_t, size_t* delivered) override
    {
        if (delivered) *delivered = 0;
        return -1;
    }
    int64_t Write(const void* buffer, size_t n) override
    {
        const unsigned char* p = static_cast<const unsigned char*>(buffer);
        for (size_t left = n; left > 0;) {
            if (m_used == kBlock && !Flush()) return -1;
            const size_t k = std::min(left, kBlock - m_used);
            std::memcpy(m_block.get() + m_used, p, k);
            m_used += k;
            p += k;
            left -= k;
        }
        return 0;
    }
    bool Flush()
    {
        if (m_used && m_file.Write(m_block.get(), m_used) != 0) SetFail();
        m_written += (int64_t)m_used;
        m_used = 0;
        return !Fail();
    }

private:
    static constexpr size_t kBlock = 1 << 20;
    CHandleStream m_file;  // the descriptor stays open: its owner closes it
    std::unique_ptr<unsigned char[]> m_block;
    size_t m_used = 0;
    int64_t m_written = 0;
};

}  // namespace

bool WritePlotFile(CPlotFigure& figure, const WINDOWPLACEMENT& placement, std::string& bytes)
{
    CMemStream s;
    s.WriteExact(&placement, sizeof placement);
    if (!figure.Save(s) || s.Fail()) return false;
    bytes.assign(reinterpret_cast<const char*>(s.Data()), (size_t)s.GetLength());
    return true;
}

bool WritePlotFile(CPlotFigure& figure, const WINDOWPLACEMENT& placement, int fd)
{
    CBlockWriteStream s(fd);
    s.WriteExact(&placement, sizeof placement);
    return figure.Save(s) && !s.Fail() && s.Flush();
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

