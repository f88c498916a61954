#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <complex>
#include <limits>

#include "values/complex.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kPi = 3.141592653589793;

using Std = std::complex<double>;

// Relative closeness of two complex numbers, scaled by the larger modulus.
// floor: below this modulus the error is measured absolutely.
::testing::AssertionResult Near(const Complex& got, Std want, double rel = 1e-13, double floor = 1e-300)
{
    double scale = std::max(std::abs(want), floor);
    double err = std::abs(Std(got.re, got.im) - want) / scale;
    if (err <= rel) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.re << ", " << got.im << ") want (" << want.real()
                                         << ", " << want.imag() << ") rel err " << err;
}

Complex Quot(Complex a, Complex b)
{
    Complex r;
    ComplexQuotient(r, a, b);
    return r;
}

}  // namespace

TEST(ComplexArithmetic, DivisionCases)
{
    Complex r = Quot({1, 2}, {0, 0});
    EXPECT_EQ(r.re, kInf);
    EXPECT_EQ(r.im, kInf);
    r = Quot({-1, -2}, {0, 0});  // the sign of the dividend does not matter
    EXPECT_EQ(r.re, kInf);
    EXPECT_EQ(r.im, kInf);
    r = Quot({0, 0}, {0, 0});
    EXPECT_TRUE(std::isnan(r.re) && std::isnan(r.im));

    struct Case {
        Complex a, b, want;
    } cases[] = {
        {{1, 1}, {2, 2}, {0.5, 0}},  // tie: |c| <= |d| branch
        {{1, 0}, {0, 1}, {0, -1}},
        {{3, 4}, {1, 2}, {2.2, -0.4}},
        {{1e300, 1e300}, {1e300, 1e300}, {1, 0}},  // no overflow in the scaling
        {{1e-300, 2e-300}, {1e-300, 0}, {1, 2}},
    };
    for (const Case& c : cases) EXPECT_TRUE(Near(Quot(c.a, c.b), Std(c.want.re, c.want.im), 1e-15));

    Complex d;
    ComplexDivide(d, 1.0, {0, 0});
    EXPECT_EQ(d.re, kInf);
    ComplexDivide(d, 0.0, {0, 0});
    EXPECT_TRUE(std::isnan(d.re) && std::isnan(d.im));
    ComplexDivide(d, 1.0, {0, 2});
    EXPECT_EQ(d.re, 0.0);
    EXPECT_EQ(d.im, -0.5);
    ComplexDivide(d, 2.0, {3, 4});
    EXPECT_TRUE(Near(d, 2.0 / Std(3, 4), 1e-15));

    // The out parameter may be an input.
    Complex a(3, 4);
    ComplexProduct(a, a, a);
    EXPECT_EQ(a.re, -7);
    EXPECT_EQ(a.im, 24);
    ComplexQuotient(a, a, a);
    EXPECT_TRUE(Near(a, Std(1, 0), 1e-15));
}

TEST(ComplexArithmetic, ModulusAndScaledAbs)
{
    EXPECT_EQ(Complex(3, 4).Modulus(), 5.0);
    EXPECT_EQ(Complex(5, 0).Modulus(), 5.0);
    EXPECT_EQ(Complex(0, -5).Modulus(), 5.0);
    double m = Complex(1e308, 1e308).Modulus();
    EXPECT_TRUE(std::isfinite(m));
    EXPECT_NEAR(m / 1e308, std::sqrt(2.0), 1e-15);

    int s = 0;
    double a = ComplexAbs({3, 4}, s);
    EXPECT_EQ(std::ldexp(a, s), 5.0);
    a = ComplexAbs({1e300, 1e300}, s);
    EXPECT_NEAR(std::ldexp(a, s) / 1e300, std::sqrt(2.0), 1e-15);
    EXPECT_EQ(ComplexAbs({kInf, std::nan("")}, s), kInf);
    EXPECT_EQ(s, 0);
    EXPECT_TRUE(std::isnan(ComplexAbs({std::nan(""), 1}, s)));
    EXPECT_EQ(ComplexAbs({0, 0}, s), 0.0);
    EXPECT_EQ(ComplexAbsOf({DBL_MAX, 0}), DBL_MAX);
    EXPECT_EQ(ComplexAbsOf({0, DBL_MIN}), DBL_MIN);

    // Both branches of the careful formula against hypot.
    for (double ratio : {1.0, 0.999, 0.7, 0.5, 0.4999, 0.1, 1e-5, 1e-9})
        for (double big : {1e-310, 1e-200, 0.3, 1.0, 7.5, 1e200, 1e307}) {
            double b = big * ratio;
            EXPECT_NEAR(ComplexAbsOf({big, -b}) / std::hypot(big, b), 1.0, 4e-16) << big << " " << ratio;
        }
}

TEST(ComplexArithmetic, Powers)
{
    Complex r;
    ComplexPowReal(r, {-8, 0}, 1.0 / 3.0);  // non-whole exponent of a negative base: polar
    EXPECT_TRUE(Near(r, Std(1, std::sqrt(3.0))));
    ComplexPowReal(r, {-8, 0}, 2);
    EXPECT_EQ(r.re, 64);
    EXPECT_EQ(r.im, 0);
    ComplexPowReal(r, {0, 2}, 3);
    EXPECT_TRUE(Near(r, Std(0, -8)));

    RealPowComplex(r, -4, {0.5, 0});
    EXPECT_TRUE(Near(r, Std(0, 2)));
    RealPowComplex(r, 2, {3, 0});
    EXPECT_EQ(r.re, 8);
    RealPowComplex(r, 2, {0, 1});
    EXPECT_TRUE(Near(r, std::pow(Std(2, 0), Std(0, 1))));

    ComplexPowComplex(r, {1, 1}, {0.5, -2});
    EXPECT_TRUE(Near(r, std::pow(Std(1, 1), Std(0.5, -2))));
    ComplexPowComplex(r, {9, 0}, {0.5, 0});
    EXPECT_EQ(r.re, 3);
    EXPECT_EQ(r.im, 0);

    Complex z(-8, 0);
    EXPECT_EQ(z.PowAssign({2, 0}), 0);
    EXPECT_EQ(z.re, 64);
    EXPECT_EQ(z.im, 0);
    z = Complex(0, 1);
    z.PowAssign({2, 0});
    EXPECT_TRUE(Near(z, Std(-1, 0)));
}

TEST(ComplexFunctions, LogTanAtanEdges)
{
    Complex r;
    ComplexLog(r, {0, 0});
    EXPECT_EQ(r.re, -kInf);
    EXPECT_EQ(r.im, 0);
    ComplexLog(r, {-1, 0});
    EXPECT_EQ(r.re, 0);
    EXPECT_EQ(r.im, kPi);
    ComplexLog(r, {kInf, 1});
    EXPECT_EQ(r.re, kInf);
    ComplexLog(r, {std::nan(""), 1});
    EXPECT_TRUE(std::isnan(r.re) && std::isnan(r.im));
    ComplexLog(r, {1e300, 1e300});
    EXPECT_TRUE(Near(r, std::log(Std(1e300, 1e300))));

    ComplexTan(r, {0, 30});
    EXPECT_EQ(r.im, 1.0);
    ComplexTan(r, {0.3, -40});
    EXPECT_EQ(r.im, -1.0);
    ComplexTan(r, {0.5, 0});
    EXPECT_NEAR(r.re, std::tan(0.5), 1e-15);

    ComplexAtan(r, {0, 1});
    EXPECT_TRUE(std::isnan(r.re));
    ComplexAtan(r, {0, 2});
    EXPECT_EQ(r.re, kPi / 2);
    ComplexAtan(r, {0, 0.5});
    EXPECT_EQ(r.re, 0);
    EXPECT_NEAR(r.im, std::atanh(0.5), 1e-15);
    ComplexAtan(r, {1e-200, 1});  // |y| = 1, tiny x: the log form
    EXPECT_NEAR(r.im, 0.5 * (std::log(2.0) - std::log(1e-200)), 1e-13);
    ComplexAtan(r, {1e200, 1e200});  // r^2 overflows
    EXPECT_EQ(r.re, kPi / 2);
}

TEST(ComplexFunctions, RealAuxiliaries)
{
    EXPECT_EQ(Log1p(-1), -kInf);
    EXPECT_TRUE(std::isnan(Log1p(-2)));
    for (double x : {1e-300, -1e-17, 1e-10, -0.3, 0.25, 0.5, 0.9, 3.0, 1e10})
        EXPECT_NEAR(Log1p(x) / std::log1p(x), 1.0, 4e-16) << x;
    for (double u : {1e-300, 1e-8, -0.003, 0.003032, 0.004, -0.1, 0.2})
        EXPECT_NEAR(LogRatioSeries(u) / (2 * std::atanh(u)), 1.0, 4e-16) << u;
    EXPECT_EQ(LogRatioSeries(1e-9), 2e-9);
}

// The elementary functions against the standard library at points off the
// branch cuts, covering the regions of the arc sine algorithm.
TEST(ComplexFunctions, AgreeWithStandardLibrary)
{
    const Complex points[] = {
        {0.5, 0.25},  {-0.5, 0.25}, {2, -3},     {-3, -2},   {0.9, 1e-3},  {1.1, -1e-4}, {1e-5, 1e-5},
        {1, 1e-20},   {1e-20, 2},   {-1e200, 3}, {5, 1e200}, {1e-310, 0.7}, {0.3, -0.999}, {1.5, 0.6},
        {4, 1e-8},    {-0.2, 30},   {1e7, -1e7}, {0.999, 0.05},
    };
    for (const Complex& z : points) {
        Std s(z.re, z.im);
        Complex r;
        ComplexAsin(r, z);
        EXPECT_TRUE(Near(r, std::asin(s), 1e-14)) << "asin " << z.re << " " << z.im;
        ComplexAcos(r, z);
        EXPECT_TRUE(Near(r, std::acos(s), 1e-14)) << "acos " << z.re << " " << z.im;
        ComplexAtan(r, z);
        EXPECT_TRUE(Near(r, std::atan(s), 1e-14)) << "atan " << z.re << " " << z.im;
        // The logarithm adds log(m) and the scale's ln 2: absolute error near |z| = 1.
        ComplexLog(r, z);
        EXPECT_TRUE(Near(r, std::log(s), 1e-15, 1.0)) << "log " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexSqrt(z), std::sqrt(s), 1e-15)) << "sqrt " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexAsinh(z), std::asinh(s), 1e-14)) << "asinh " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexAcosh(z), std::acosh(s), 1e-14)) << "acosh " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexAtanh(z), std::atanh(s), 1e-14)) << "atanh " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexLog10(z), std::log10(s), 1e-15, 1.0)) << "log10 " << z.re << " " << z.im;
    }
    const Complex small[] = {{0.5, 0.25}, {-2, 3}, {1e-8, -4}, {10, -0.1}, {-0.3, 15}};
    for (const Complex& z : small) {
        Std s(z.re, z.im);
        Complex r;
        ComplexTan(r, z);
        EXPECT_TRUE(Near(r, std::tan(s))) << "tan " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexExp(z), std::exp(s)));
        EXPECT_TRUE(Near(ComplexSin(z), std::sin(s)));
        EXPECT_TRUE(Near(ComplexCos(z), std::cos(s)));
        EXPECT_TRUE(Near(ComplexSinh(z), std::sinh(s)));
        EXPECT_TRUE(Near(ComplexCosh(z), std::cosh(s)));
        EXPECT_TRUE(Near(ComplexTanh(z), std::tanh(s))) << "tanh " << z.re << " " << z.im;
        EXPECT_TRUE(Near(ComplexCoth(z), 1.0 / std::tanh(s))) << "coth " << z.re << " " << z.im;
    }
}

// On the real axis beyond +-1 (imaginary part +0) the arc cosine is
// pi/2 - arc sine, as the standard library's is.
TEST(ComplexFunctions, ArcSineAndArcCosineAddUpToHalfPi)
{
    for (double x : {1.5, 2.0, 1e10, 1e300, -1.5, -2.0, -1e300, 0.5, -0.5, 1.0}) {
        Complex s, c;
        ComplexAsin(s, {x, 0});
        ComplexAcos(c, {x, 0});
        EXPECT_NEAR(s.re + c.re, M_PI / 2, 1e-15) << x;
        EXPECT_EQ(s.im + c.im, 0.0) << x;
        EXPECT_TRUE(Near(c, std::acos(Std(x, 0.0)), 1e-15)) << x;
    }
}

// An exact zero part of the argument keeps its result part an exact zero
// where the other factor overflows.
TEST(ComplexFunctions, ZeroTimesOverflowIsZero)
{
    const struct {
        const char* name;
        Complex r, want;
    } cases[] = {
        {"exp", ComplexExp({1000, 0}), {kInf, 0}},
        {"sinh", ComplexSinh({1000, 0}), {kInf, 0}},
        {"sinh-", ComplexSinh({-1000, 0}), {-kInf, 0}},
        {"cosh", ComplexCosh({-1000, 0}), {kInf, -0.0}},
        {"sin", ComplexSin({0, 1000}), {0, kInf}},
        {"cos", ComplexCos({0, 1000}), {kInf, -0.0}},
        {"cos-", ComplexCos({-0.0, 1000}), {kInf, 0.0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.r.re, c.want.re) << c.name;
        EXPECT_EQ(c.r.im, c.want.im) << c.name;
        EXPECT_EQ(std::signbit(c.r.im), std::signbit(c.want.im)) << c.name;
        EXPECT_EQ(std::signbit(c.r.re), std::signbit(c.want.re)) << c.name;
    }
}

TEST(ComplexFunctions, SquareRootAndAcoshEdges)
{
    Complex r = ComplexSqrt({-4, 0});
    EXPECT_EQ(r.re, 0);
    EXPECT_EQ(r.im, 2);
    r = ComplexSqrt({-4, -1e-300});
    EXPECT_NEAR(r.re, 0, 1e-299);
    EXPECT_EQ(r.im, -2);
    r = ComplexSqrt({0, 0});
    EXPECT_EQ(r.re, 0);
    EXPECT_EQ(r.im, 0);
    r = ComplexSqrt({1e-310, 0});
    EXPECT_NEAR(r.re / std::sqrt(1e-310), 1, 1e-15);

    r = ComplexAcosh({2, 0});
    EXPECT_NEAR(r.re, 1.3169578969248166, 1e-15);
    EXPECT_EQ(r.im, 0);
    r = ComplexAcosh({-2, 0});
    EXPECT_GE(r.re, 0);

    r = ComplexRound({2.5, -2.5});
    EXPECT_EQ(r.re, 3);
    EXPECT_EQ(r.im, -3);
    EXPECT_TRUE(IsComplexFinite({1, -1}));
    EXPECT_FALSE(IsComplexFinite({kInf, 0}));
    EXPECT_TRUE(IsComplexNaN({0, std::nan("")}));
    EXPECT_FALSE(IsComplexNaN({kInf, 0}));
}

TEST(ComplexFunctions, SingularValueHelpers)
{
    Complex r = ComplexAbsSum({-3, 4});
    EXPECT_EQ(r.re, 7);
    EXPECT_EQ(r.im, 0);
    EXPECT_EQ(ComplexSignOf({3, 4}, -0.5).re, -5);
    EXPECT_EQ(ComplexSignOf({3, 4}, 0).re, 5);
    r = ComplexPythag({0, 0}, {0, 0});
    EXPECT_EQ(r.re, 0);
    EXPECT_TRUE(Near(ComplexPythag({3, 0}, {4, 0}), Std(5, 0), 1e-15));
    EXPECT_TRUE(Near(ComplexPythag({1e300, 0}, {1e300, 0}), Std(std::sqrt(2.0) * 1e300, 0), 1e-15));
    // The larger modulus times sqrt(q^2 + 1), q the smaller over the larger.
    Std a(1, 2), b(-3, 0.5);
    EXPECT_TRUE(Near(ComplexPythag({1, 2}, {-3, 0.5}), std::abs(b) * std::sqrt(1.0 + (a / b) * (a / b)), 1e-14));
}
