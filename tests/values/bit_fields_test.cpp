#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "values/bit_fields.h"
#include "values/value.h"

namespace {

std::vector<CValue> Bytes(std::initializer_list<unsigned> list)
{
    std::vector<CValue> v;
    for (unsigned b : list) {
        CValue c;
        c.SetByte();
        c.m_payload = b;
        v.push_back(c);
    }
    return v;
}


std::vector<unsigned> ByteCodes(const CValue* cells)
{
    std::vector<unsigned> r;
    uint32_t n = ValueArrayCount(cells) - 1;
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_EQ(cells[i].Tag(), VT_BYTE);
        r.push_back(cells[i].CharCode());
    }
    return r;
}

std::vector<double> Reals(const CValue* cells, uint32_t n)
{
    std::vector<double> r;
    for (uint32_t i = 0; i < n; ++i) {
        EXPECT_EQ(cells[i].Type(), (uint32_t)VT_REAL);
        r.push_back(cells[i].Real());
    }
    return r;
}

}  // namespace

TEST(BitFields, UnpackCases)
{
    struct Case {
        std::vector<unsigned> bytes;
        int width;
        bool isSigned;
        std::vector<double> fields;
        int ret;
    };
    const double two64 = 18446744073709551616.0;
    const Case cases[] = {
        {{0xF5}, 4, true, {5, -1}, 0},
        {{0xF5}, 4, false, {5, 15}, 0},
        {{0xF5}, 3, false, {5, 6, 3}, 2},
        {{0xF5}, 3, true, {-3, -2, 3}, 2},  // the partial last field is never negative
        {{0xFF}, 1, true, {1, 1, 1, 1, 1, 1, 1, 1}, 0},
        {{0x34, 0x12}, 16, false, {0x1234}, 0},
        {{0xFF, 0xFF}, 12, true, {-1, 15}, 4},  // field crosses a byte boundary
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 64, false, {two64}, 0},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 64, true, {-1}, 0},
        {{0, 0, 0, 0, 0, 0, 0, 0x80}, 64, false, {9223372036854775808.0}, 0},
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0x07}, 64, false, {9223372036854775808.0, 7}, 8},
        {{0xAB, 0xCD, 0xEF}, 33, false, {0xEFCDAB}, 24},
    };
    for (const Case& c : cases) {
        std::vector<CValue> in;
        for (unsigned b : c.bytes) in.push_back(Bytes({b})[0]);
        CValue* out = nullptr;
        uint32_t count = 0;
        int ret = UnpackBits(in.data(), (uint32_t)in.size(), out, count, c.width, c.isSigned);
        EXPECT_EQ(ret, c.ret) << "width " << c.width;
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(Reals(out, count), c.fields) << "width " << c.width << " signed " << c.isSigned;
        FreeValueArray(out);
    }
}

TEST(BitFields, UnpackNothingAndBadWidth)
{
    CValue* out = reinterpret_cast<CValue*>(1);
    uint32_t count = 9;
    EXPECT_EQ(UnpackBits(nullptr, 0, out, count, 8, false), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(count, 0u);
    auto in = Bytes({1});
    EXPECT_EQ(UnpackBits(in.data(), 1, out, count, 0, false), -1);
    EXPECT_EQ(UnpackBits(in.data(), 1, out, count, 65, false), -1);
    EXPECT_EQ(out, nullptr);
}

TEST(BitFields, PackCases)
{
    struct Case {
        std::vector<double> numbers;
        int width;
        std::vector<unsigned> bytes;
        int ret;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {{1, 2, 3}, 4, {0x21, 0x03}, 4},
        {{1, 0, 1, 1}, 1, {0x0D}, 4},
        {{2.9, -2.9}, 8, {0x02, 0xFE}, 0},  // truncated toward zero
        {{0x1FF}, 8, {0xFF}, 0},             // masked to the width
        {{-1}, 64, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0},
        {{9223372036854775808.0}, 64, {0, 0, 0, 0, 0, 0, 0, 0x80}, 0},
        {{nan, INFINITY}, 4, {0xF0}, 0},
        {{5, 6, 3}, 3, {0xF5, 0x00}, 1},
        {{}, 7, {}, 0},
    };
    for (const Case& c : cases) {
        std::vector<CValue> in;
        for (double x : c.numbers) in.emplace_back(x);
        CValue* out = nullptr;
        int ret = PackBits(in.data(), (uint32_t)in.size(), out, c.width);
        EXPECT_EQ(ret, c.ret) << "width " << c.width;
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(ByteCodes(out), c.bytes) << "width " << c.width;
        FreeValueArray(out);
    }
}

TEST(BitFields, PackUsesRealPartAndRejectsNonNumbers)
{
    std::vector<CValue> in;
    in.emplace_back(Complex{7, 3});
    CValue* out = nullptr;
    ASSERT_EQ(PackBits(in.data(), 1, out, 8), 0);
    EXPECT_EQ(ByteCodes(out), std::vector<unsigned>{7});
    FreeValueArray(out);

    in.emplace_back(std::string("ab"));
    out = nullptr;
    EXPECT_EQ(PackBits(in.data(), 2, out, 8), -1);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RealsToBinaryString(in.data(), 2, out, 2), -1);
    EXPECT_EQ(out, nullptr);
}

TEST(BitFields, PackThenUnpackRoundTripsEveryWidth)
{
    for (int w = 1; w <= 64; ++w) {
        std::vector<CValue> in;
        for (int i = 0; i < 11; ++i) {
            // alternate signs, values within the signed range of the width
            double lim = w == 1 ? 1 : std::ldexp(1.0, w - 1) - 1;
            double x = std::fmod(i * 977.0 + 3, lim + 1);
            if (w > 1 && (i & 1)) x = -x - 1;
            in.emplace_back(x);
        }
        CValue* packed = nullptr;
        ASSERT_GE(PackBits(in.data(), (uint32_t)in.size(), packed, w), 0);
        CValue* fields = nullptr;
        uint32_t count = 0;
        uint32_t nBytes = ValueArrayCount(packed) - 1;
        UnpackBits(packed, nBytes, fields, count, w, w > 1);
        ASSERT_GE(count, in.size());
        for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(fields[i].Real(), in[i].Real()) << "width " << w << " i " << i;
        for (size_t i = in.size(); i < count; ++i) EXPECT_EQ(fields[i].Real(), 0.0);
        FreeValueArray(packed);
        FreeValueArray(fields);
    }
}

TEST(BitFields, BinaryStringToReals)
{
    auto in = Bytes({0x00, 0x00, 0x80, 0x3F, 0x01, 0x02});
    CValue* out = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(BinaryStringToReals(in.data(), 6, out, count, 1), 2);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(out[0].Real(), 1.0);
    EXPECT_EQ(out[1].Real(), (double)std::bit_cast<float>(0x00000201u));
    FreeValueArray(out);

    auto d = Bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0});
    for (int mode : {2, 3}) {
        EXPECT_EQ(BinaryStringToReals(d.data(), 16, out, count, mode), 0);
        EXPECT_EQ(Reals(out, count), (std::vector<double>{1.0, -2.0}));
        FreeValueArray(out);
    }
    EXPECT_EQ(BinaryStringToReals(d.data(), 0, out, count, 2), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(BinaryStringToReals(d.data(), 4, out, count, 4), -1);
}

TEST(BitFields, RealsToBinaryString)
{
    struct Case {
        double x;
        int mode;
        std::vector<unsigned> bytes;
    };
    const Case cases[] = {
        {1.0, 2, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
        {-2.0, 3, {0, 0, 0, 0, 0, 0, 0, 0xC0}},
        {1.0, 1, {0x00, 0x00, 0x80, 0x3F}},
        {1e300, 1, {0x00, 0x00, 0x80, 0x7F}},    // overflows single precision
        {-1e300, 1, {0x00, 0x00, 0x80, 0xFF}},
        {3.4028235e38, 1, {0xFF, 0xFF, 0x7F, 0x7F}},  // rounds to the largest single
    };
    for (const Case& c : cases) {
        CValue in(c.x);
        CValue* out = nullptr;
        EXPECT_EQ(RealsToBinaryString(&in, 1, out, c.mode), 0);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(ByteCodes(out), c.bytes) << c.x << " mode " << c.mode;
        FreeValueArray(out);
    }
    CValue in(1.0);
    CValue* out = nullptr;
    EXPECT_EQ(RealsToBinaryString(&in, 1, out, 0), -1);
    EXPECT_EQ(out, nullptr);
}
