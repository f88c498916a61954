#pragma once
// The byte blocks that the plot statements hand to the plot device through
// the shared memory block: sizes and writers. Little-endian, packed, field by
// field; a string is a u32 byte count and its bytes, without terminator.
// Sizes are computed in 64 bits: the caller refuses a block above UINT32_MAX.
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/status.h"
#include "values/text_format.h"

class CValue;

// The text of every plot option value (plot2d, setplot and the plot
// statement alike): plain, at most 64 characters, 16 digits.
extern const ValueTextFormat kPlotOptionTextFormat;

// A plot2d or setplot option: its value is sent as text.
struct PlotTextOption {
    std::string name;  // lower case
    std::string text;  // filled at execution
};

// Writes into a caller-owned buffer; never past its end (a write that does
// not fit sets the overflow flag and writes nothing more).
class CPlotBlockWriter {
public:
    CPlotBlockWriter(uint8_t* dest, uint64_t capacity) : m_dest(dest), m_capacity(capacity) {}

    void U32(uint32_t v);
    void I32(int32_t v) { U32((uint32_t)v); }
    void F64(double v);
    void Text(const std::string& s);
    // The head of every block: figure name, plane X, plane Y, object id.
    void Head(const std::string& figure, int32_t planeX, int32_t planeY, int32_t objectId);
    // A u32 count, then the (name, text) pairs.
    void Options(const std::vector<PlotTextOption>& options);

    uint64_t Written() const { return m_pos; }
    bool Overflowed() const { return m_overflow; }

private:
    void Bytes(const void* p, uint64_t n);
    uint8_t* m_dest;
    uint64_t m_capacity;
    uint64_t m_pos = 0;
    bool m_overflow = false;
};

inline uint64_t PlotHeadSize(const std::string& figure) { return 4 + (uint64_t)figure.size() + 12; }
// The pairs alone, without their count.
uint64_t PlotOptionPairsSize(const std::vector<PlotTextOption>& options);
// One plot2d series of count points and its options, with both counts.
inline uint64_t PlotSeriesSize(uint64_t points, const std::vector<PlotTextOption>& options)
{
    return 4 + 16 * points + 4 + PlotOptionPairsSize(options);
}

// The plot2d warnings already written in one execution of the statement.
struct PlotPointNotices {
    bool imaginary = false;
    bool nanX = false;
    bool nanY = false;
};

// Writes count points (x, y) from the two cell rows: the real part of a Real
// or Complex cell, NaN as 0 and infinities as +-1e307, each kind of notice
// written as a warning once per notices record. 72 (nothing more written) for
// a cell that is neither Real nor Complex.
StatusWord WritePlotPoints(CPlotBlockWriter& w, const CValue* xs, const CValue* ys, uint32_t count,
                           PlotPointNotices& notices);

// The lParam of WM_PLOT_DIM: width in the low 16 bits, height in the high 16.
inline intptr_t PlotDimParam(int width, int height)
{
    return (intptr_t)(((uint32_t)width & 0xFFFF) | (((uint32_t)height & 0xFFFF) << 16));
}
