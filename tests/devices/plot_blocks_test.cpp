// The plot command blocks as bytes: layouts, point conversion, warnings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "devices/plot_blocks.h"
#include "support/capture.h"
#include "values/value.h"

namespace {

std::string Hex(const std::vector<uint8_t>& bytes, size_t from = 0, size_t count = std::string::npos)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = from; i < bytes.size() && i - from < count; ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

double DoubleAt(const std::vector<uint8_t>& b, size_t at)
{
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= (uint64_t)b[at + i] << (8 * i);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

TEST(PlotBlocks, Plot2dBlockOfOneSeriesIsLaidOutFieldByField)
{
    std::vector<PlotTextOption> none;
    uint64_t size = PlotHeadSize("F") + 4 + PlotOptionPairsSize(none) + 4 + PlotSeriesSize(2, none);
    ASSERT_EQ(size, 65u);
    std::vector<uint8_t> block(size);
    CPlotBlockWriter w(block.data(), size);
    w.Head("F", -1, -1, -1);
    w.Options(none);
    w.U32(1);
    w.U32(2);
    CValue xs[2] = {CValue(1.0), CValue(3.0)}, ys[2] = {CValue(2.0), CValue(4.0)};
    PlotPointNotices notices;
    ASSERT_EQ(WritePlotPoints(w, xs, ys, 2, notices), 0);
    w.Options(none);
    EXPECT_FALSE(w.Overflowed());
    EXPECT_EQ(w.Written(), size);
    EXPECT_EQ(Hex(block, 0, 29), "0100000046FFFFFFFFFFFFFFFFFFFFFFFF000000000100000002000000");
    EXPECT_EQ(DoubleAt(block, 29), 1.0);
    EXPECT_EQ(DoubleAt(block, 37), 2.0);
    EXPECT_EQ(DoubleAt(block, 45), 3.0);
    EXPECT_EQ(DoubleAt(block, 53), 4.0);
    EXPECT_EQ(Hex(block, 61), "00000000");
}

TEST(PlotBlocks, OptionPairsAreCountThenNameAndText)
{
    std::vector<PlotTextOption> opts = {{"color", "red"}, {"linewidth", "2"}};
    EXPECT_EQ(PlotOptionPairsSize(opts), 8u + 5 + 3 + 8 + 9 + 1);
    std::vector<uint8_t> block(4 + PlotOptionPairsSize(opts));
    CPlotBlockWriter w(block.data(), block.size());
    w.Options(opts);
    EXPECT_EQ(w.Written(), block.size());
    EXPECT_EQ(Hex(block), "02000000" "05000000" "636F6C6F72" "03000000" "726564"
                          "09000000" "6C696E657769647468" "01000000" "32");
}

TEST(PlotBlocks, PointsReplaceNanAndInfinityAndWarnOncePerKind)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = INFINITY;
    CValue xs[4] = {CValue(nan), CValue(nan), CValue(Complex{5, 1}), CValue(nan)};
    CValue ys[4] = {CValue(-inf), CValue(inf), CValue(Complex{6, 2}), CValue(nan)};
    CCaptureStream cap;
    std::vector<uint8_t> block(64);
    CPlotBlockWriter w(block.data(), block.size());
    PlotPointNotices notices;
    ASSERT_EQ(WritePlotPoints(w, xs, ys, 4, notices), 0);
    EXPECT_EQ(DoubleAt(block, 0), 0.0);
    EXPECT_EQ(DoubleAt(block, 8), -1e307);
    EXPECT_EQ(DoubleAt(block, 24), 1e307);
    EXPECT_EQ(DoubleAt(block, 32), 5.0);
    EXPECT_EQ(DoubleAt(block, 40), 6.0);
    EXPECT_EQ(DoubleAt(block, 56), 0.0);
    std::vector<std::string> expected = {
        "Warning: Plot2d: One or more value of a X-coordinates is NAN, replaced by zero",
        "Warning: Plot2d: The imaginary parts of complex vectors (X and Y arguments) is ignored",
        "Warning: Plot2d: One or more value of a Y-coordinates is NAN, replaced by zero",
    };
    EXPECT_EQ(cap.messages, expected);
    // The same notices record keeps them quiet in the next series.
    cap.Reset();
    CPlotBlockWriter again(block.data(), block.size());
    ASSERT_EQ(WritePlotPoints(again, xs, ys, 4, notices), 0);
    EXPECT_TRUE(cap.messages.empty());
}

TEST(PlotBlocks, ACellThatIsNoNumberStopsWith72)
{
    CValue xs[2] = {CValue(1.0), CValue(std::string("ab"))};
    CValue ys[2] = {CValue(1.0), CValue(2.0)};
    std::vector<uint8_t> block(32);
    CPlotBlockWriter w(block.data(), block.size());
    PlotPointNotices notices;
    EXPECT_EQ(WritePlotPoints(w, xs, ys, 2, notices), ERR_REAL_ELEMENTS);
    EXPECT_EQ(w.Written(), 16u);
}

TEST(PlotBlocks, WriterNeverPassesItsCapacity)
{
    std::vector<uint8_t> block(8, 0xAA);
    CPlotBlockWriter w(block.data(), 6);
    w.U32(1);
    w.U32(2);  // does not fit
    w.U32(3);
    EXPECT_TRUE(w.Overflowed());
    EXPECT_EQ(w.Written(), 4u);
    EXPECT_EQ(Hex(block), "01000000AAAAAAAA");
}

TEST(PlotBlocks, DimParamPacksWidthLowHeightHigh)
{
    EXPECT_EQ(PlotDimParam(400, 300), 0x012C0190);
    EXPECT_EQ(PlotDimParam(0, 0), 0);
    EXPECT_EQ(PlotDimParam(32767, 32767), 0x7FFF7FFF);
}

TEST(PlotBlocks, SeriesSizesAreComputedIn64Bits)
{
    std::vector<PlotTextOption> none;
    // 2^28 points is 4 GiB of coordinates: beyond what a 32-bit size holds.
    EXPECT_GT(PlotSeriesSize(1ull << 28, none), (uint64_t)UINT32_MAX);
}

}  // namespace
