// Sizes and writers of the plot device's command blocks.
#include "devices/plot_blocks.h"

#include <cmath>
#include <cstring>

#include "values/stop_probe.h"
#include "values/value.h"

const ValueTextFormat kPlotOptionTextFormat = {0, 64, 0, 16, VTF_NO_ROUNDING, {0, 0}, 0};

void CPlotBlockWriter::Bytes(const void* p, uint64_t n)
{
    if (m_overflow || n > m_capacity - m_pos) {
        m_overflow = true;
        return;
    }
    if (n) std::memcpy(m_dest + m_pos, p, n);
    m_pos += n;
}

void CPlotBlockWriter::U32(uint32_t v)
{
    uint8_t b[4] = {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)};
    Bytes(b, 4);
}

void CPlotBlockWriter::F64(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = (uint8_t)(bits >> (8 * i));
    Bytes(b, 8);
}

void CPlotBlockWriter::Text(const std::string& s)
{
    if ((uint64_t)s.size() > UINT32_MAX) {
        m_overflow = true;
        return;
    }
    U32((uint32_t)s.size());
    Bytes(s.data(), s.size());
}

void CPlotBlockWriter::Head(const std::string& figure, int32_t planeX, int32_t planeY, int32_t objectId)
{
    Text(figure);
    I32(planeX);
    I32(planeY);
    I32(objectId);
}

void CPlotBlockWriter::Options(const std::vector<PlotTextOption>& options)
{
    U32((uint32_t)options.size());
    for (const PlotTextOption& o : options) {
        Text(o.name);
        Text(o.text);
    }
}

uint64_t PlotOptionPairsSize(const std::vector<PlotTextOption>& options)
{
    uint64_t n = 0;
    for (const PlotTextOption& o : options) n += 8 + (uint64_t)o.name.size() + (uint64_t)o.text.size();
    return n;
}

namespace {

enum Axis { AXIS_X, AXIS_Y };

// One coordinate of a cell; false for a cell that is no number.
bool Coordinate(const CValue& cell, Axis axis, PlotPointNotices& notices, double& out)
{
    double v;
    if (cell.Type() == VT_REAL) {
        v = cell.Real();
    } else if (cell.Type() == VT_COMPLEX) {
        const Complex& c = cell.ComplexRef();
        v = c.re;
        if (c.im != 0 && !notices.imaginary) {
            notices.imaginary = true;
            ReportWarning() << "Plot2d: The imaginary parts of complex vectors (X and Y arguments) is ignored";
        }
    } else {
        return false;
    }
    if (std::isnan(v)) {
        bool& warned = axis == AXIS_X ? notices.nanX : notices.nanY;
        if (!warned) {
            warned = true;
            ReportWarning() << (axis == AXIS_X ? "Plot2d: One or more value of a X-coordinates is NAN, replaced by zero"
                                               : "Plot2d: One or more value of a Y-coordinates is NAN, replaced by zero");
        }
        v = 0;
    } else if (std::isinf(v)) {
        v = v > 0 ? 1e307 : -1e307;
    }
    out = v;
    return true;
}

}  // namespace

StatusWord WritePlotPoints(CPlotBlockWriter& w, const CValue* xs, const CValue* ys, uint32_t count,
                           PlotPointNotices& notices)
{
    for (uint32_t i = 0; i < count; ++i) {
        // Tens of millions of points: a stop is seen between blocks of them.
        if ((i & 0xFFFF) == 0xFFFF && ThreadStopRequested()) return ERR_STOPPED;
        double x, y;
        if (!Coordinate(xs[i], AXIS_X, notices, x)) return ERR_REAL_ELEMENTS;
        if (!Coordinate(ys[i], AXIS_Y, notices, y)) return ERR_REAL_ELEMENTS;
        w.F64(x);
        w.F64(y);
    }
    return 0;
}
