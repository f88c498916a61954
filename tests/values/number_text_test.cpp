#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

#include "values/number_text.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string Written(double x, std::ios::fmtflags extra = {})
{
    std::ostringstream os;
    os.setf(extra);
    WriteDouble(os, x);
    return os.str();
}

std::string WrittenComplex(Complex z)
{
    std::ostringstream os;
    WriteComplex(os, z);
    return os.str();
}

bool SameDouble(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// A locale whose decimal point is a comma: number text must ignore it.
struct CommaPoint : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

}  // namespace

TEST(NumberText, WritesSpecialValuesAndNegativeZero)
{
    EXPECT_EQ(Written(kInf), "INF");
    EXPECT_EQ(Written(-kInf), "-INF");
    EXPECT_EQ(Written(kNaN), "NAN");
    EXPECT_EQ(Written(-kNaN), "NAN");
    EXPECT_EQ(Written(kInf, std::ios::showpos), "+INF");
    EXPECT_EQ(Written(kNaN, std::ios::showpos), "+NAN");
    EXPECT_EQ(Written(-0.0), "0");
    EXPECT_EQ(Written(1.0 / -kInf), "0");
    EXPECT_EQ(Written(-2.5), "-2.5");
}

TEST(NumberText, ComplexText)
{
    struct Case {
        Complex z;
        const char* text;
    } cases[] = {
        {{3, 4}, "3+4i"},       {{-2.5, -1}, "-2.5-1i"}, {{0, 4}, "4i"},        {{0, 0}, "0"},
        {{-0.0, -0.0}, "0"},    {{kInf, 1}, "INF+1i"},   {{1, kNaN}, "1+NANi"}, {{0, -kInf}, "-INFi"},
        {{7, 0}, "7"},          {{-0.0, 2}, "2i"},
    };
    for (const Case& c : cases) EXPECT_EQ(WrittenComplex(c.z), c.text) << c.text;
}

TEST(NumberText, ReadComplexTable)
{
    struct Case {
        const char* text;
        double re, im;
        const char* rest;
    } cases[] = {
        {"3+4i", 3, 4, ""},
        {"3 + 4i", 3, 0, " + 4i"},
        {"5+0i", 5, 0, ""},
        {"2j", 0, 2, ""},
        {"  -1.5e2-2.5i,", -150, -2.5, ","},
        {"1+2+3i-1j", 3, 2, ""},
        {"-INF", -kInf, 0, ""},
        {"+NAN", kNaN, 0, ""},
        {"INF+1i", kInf, 1, ""},
        {"NANi", 0, kNaN, ""},
        {"(2)", 2, 0, ""},
        {"( 3 , 0 )", 3, 0, ""},
        {"(INF)", kInf, 0, ""},
        {".5]", 0.5, 0, "]"},
        // beyond the range: infinities with their signs, as program literals; below it 0
        {"1e400", kInf, 0, ""},
        {"-1e400,", -kInf, 0, ","},
        {"2e999-3e500i", kInf, -kInf, ""},
        {"1e-400", 0, 0, ""},
        {"1.7976931348623157e308", 1.7976931348623157e308, 0, ""},
    };
    for (const Case& c : cases) {
        std::istringstream is(c.text);
        Complex z{99, 99};
        ReadComplex(is, z);
        ASSERT_FALSE(is.fail()) << c.text;
        EXPECT_TRUE(SameDouble(z.re, c.re) && SameDouble(z.im, c.im)) << c.text << " -> " << z.re << "," << z.im;
        is.clear();
        std::string rest((std::istreambuf_iterator<char>(is)), std::istreambuf_iterator<char>());
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(NumberText, PolarFormInDegrees)
{
    std::istringstream is("(2,90)");
    Complex z{};
    ReadComplex(is, z);
    ASSERT_FALSE(is.fail());
    EXPECT_NEAR(z.re, 0.0, 1e-15);
    EXPECT_DOUBLE_EQ(z.im, 2.0);
}

TEST(NumberText, MalformedTextFailsAndKeepsTarget)
{
    for (const char* text : {"inf", "Inf", "nan", "INX", "NAM", "-", "+-5", "- 5", "", "   ", "(1,2", "(1;2)", "x1", "1+"}) {
        std::istringstream is(text);
        Complex z{7, 8};
        ReadComplex(is, z);
        EXPECT_TRUE(is.fail()) << '"' << text << '"';
        EXPECT_EQ(z.re, 7);
        EXPECT_EQ(z.im, 8);
        if (std::string(text) == "1+") continue;  // a whole number for ReadDouble
        std::istringstream ds(text);
        double x = 7;
        ReadDouble(ds, x);
        EXPECT_TRUE(ds.fail()) << '"' << text << '"';
        EXPECT_EQ(x, 7);
    }
}

TEST(NumberText, DoublesRoundTripAtPrecision17)
{
    const double values[] = {0.1, -1.0 / 3, 1e-300, 5e-324, -1.7976931348623157e308, 123456789012345678.0,
                             kInf, -kInf, kNaN, 0.0};
    for (double x : values) {
        std::stringstream ss;
        ss.precision(17);
        WriteDouble(ss, x);
        double y = 42;
        ReadDouble(ss, y);
        ASSERT_FALSE(ss.fail()) << ss.str();
        EXPECT_TRUE(SameDouble(x, y)) << ss.str();
    }
}

TEST(NumberText, IgnoresTheStreamLocale)
{
    std::locale comma(std::locale::classic(), new CommaPoint);
    std::ostringstream os;
    os.imbue(comma);
    WriteDouble(os, 1.5);
    WriteComplex(os << ' ', Complex{0.25, -0.5});
    EXPECT_EQ(os.str(), "1.5 0.25-0.5i");
    std::istringstream is("2.75");
    is.imbue(comma);
    double x = 0;
    ReadDouble(is, x);
    EXPECT_EQ(x, 2.75);
}

TEST(NumberText, RoundToDecimals)
{
    struct Case {
        double x;
        unsigned d;
        double want;
    } cases[] = {
        {2.5, 0, 3},
        {-2.5, 0, -3},
        {1.23456, 3, 1.235},
        {3.14159, 2, 3.14},
        // The scale must not wrap for ten or more places.
        {0.123456789012345, 12, 0.123456789012},
        {1e300, 20, 1e300},  // x * 10^d overflows: left alone
        {7.25, VTF_NO_ROUNDING, 7.25},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(RoundToDecimals(c.x, c.d), c.want) << c.x << " " << c.d;
    EXPECT_TRUE(std::isnan(RoundToDecimals(kNaN, 2)));
    EXPECT_EQ(RoundToDecimals(kInf, 2), kInf);
}

TEST(NumberText, FormattedWriters)
{
    ValueTextFormat fmt = {VTF_REAL_WIDTH, 100, 0, 6, 2, {0, 0}, 8};
    std::ostringstream os;
    EXPECT_EQ(WriteDoubleFormatted(os, 1.499, fmt), 0);
    EXPECT_EQ(os.str(), "     1.5");

    fmt.maxLength = 10;
    EXPECT_EQ(WriteComplexFormatted(os, Complex{1.006, -2.004}, fmt), 1);
    EXPECT_EQ(os.str(), "     1.51.01-2i");

    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    EXPECT_EQ(WriteComplexFormatted(bad, Complex{1, 1}, fmt), 2);
}
