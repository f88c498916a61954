// Complex element functions and the scaled modulus they rest on.
#include <cmath>
#include <limits>

#include "values/complex.h"
#include "values/value.h"

namespace {
constexpr double kLog10e = 0.4342944819032518;
constexpr double kSqrt2 = 1.4142135623730951;
// 1 + sqrt(2) split in two so that the sum keeps full precision.
constexpr double kOnePlusSqrt2Hi = 2.4142134189605713;
constexpr double kOnePlusSqrt2Lo = 1.434125237597392e-7;
// a * b, except that an exact zero times an infinity is a zero of the
// product's sign: sin 0 or sin(+-0) stays an exact zero of the result where
// the other factor has overflowed (exp(1000 + 0i) is INF + 0i, not INF + NANi).
inline double Times(double a, double b)
{
    if ((a == 0 && std::isinf(b)) || (b == 0 && std::isinf(a)))
        return std::signbit(a) != std::signbit(b) ? -0.0 : 0.0;
    return a * b;
}
}  // namespace

double ComplexAbs(const Complex& z, int& scale)
{
    scale = 0;
    const double x = z.re, y = z.im;
    if (std::isinf(x) || std::isinf(y)) return std::numeric_limits<double>::infinity();
    if (std::isnan(x)) return x;
    if (std::isnan(y)) return y;
    double a = std::fabs(x), b = std::fabs(y);
    if (a < b) {
        double t = a;
        a = b;
        b = t;
    }
    if (a == 0) return 0.0;
    // Scale by 2^-2 or 2^2 (exact) so that the sums below neither overflow nor underflow.
    if (a >= 1) {
        a *= 0.25;
        b *= 0.25;
        scale = 2;
    } else {
        a *= 4;
        b *= 4;
        scale = -2;
    }
    if (a - b == a) return a;
    double t, r;
    if (b < a - b) {
        t = a / b;
        r = std::sqrt(t * t + 1);
    } else {
        t = (a - b) / b;
        double q = (t + 2) * t;
        r = q / (std::sqrt(q + 2) + kSqrt2) + kOnePlusSqrt2Hi + kOnePlusSqrt2Lo;
    }
    return b / (r + t) + a;
}

double ComplexAbsOf(const Complex& z)
{
    int s = 0;
    double m = ComplexAbs(z, s);
    return std::ldexp(m, s);
}

Complex ComplexSqrt(const Complex& z)
{
    int s = 0;
    double m = ComplexAbs(z, s);
    if (s == 0) return Complex(m, m);
    double w = std::ldexp(std::fabs(z.re), -s);
    double t = std::ldexp(std::sqrt(2 * (w + m)), s / 2 - 1);
    if (z.re >= 0) return Complex(t, z.im / (2 * t));
    if (z.im >= 0) return Complex(z.im / (2 * t), t);
    return Complex(-z.im / (2 * t), -t);
}

Complex ComplexExp(const Complex& z)
{
    double e = std::exp(z.re);
    return Complex(e * std::cos(z.im), Times(e, std::sin(z.im)));
}

Complex ComplexSin(const Complex& z)
{
    return Complex(Times(std::sin(z.re), std::cosh(z.im)), std::cos(z.re) * std::sinh(z.im));
}

Complex ComplexCos(const Complex& z)
{
    return Complex(std::cos(z.re) * std::cosh(z.im), -Times(std::sin(z.re), std::sinh(z.im)));
}

Complex ComplexSinh(const Complex& z)
{
    return Complex(std::sinh(z.re) * std::cos(z.im), Times(std::cosh(z.re), std::sin(z.im)));
}

Complex ComplexCosh(const Complex& z)
{
    return Complex(std::cosh(z.re) * std::cos(z.im), Times(std::sinh(z.re), std::sin(z.im)));
}

Complex ComplexTanh(const Complex& z)
{
    Complex t;
    ComplexTan(t, Complex(-z.im, z.re));  // tan(iz)
    return Complex(t.im, -t.re);          // -i tan(iz)
}

// coth(x+iy) = (sinh x cosh x - i sin y cos y) / (sinh^2 x + sin^2 y): no
// difference of near-equal terms near 0; beyond |x| = 20 the real part is
// sign(x) to the last bit and the imaginary part is -2 sin 2y e^-2|x|, which
// keeps large arguments from overflowing.
Complex ComplexCoth(const Complex& z)
{
    const double x = z.re, y = z.im;
    if (std::fabs(x) > 20) return Complex(std::copysign(1.0, x), -2 * std::sin(2 * y) * std::exp(-2 * std::fabs(x)));
    const double sx = std::sinh(x), cx = std::cosh(x), sy = std::sin(y), cy = std::cos(y);
    const double d = sx * sx + sy * sy;
    if (d == 0) return Complex(std::copysign(INFINITY, x), 0.0);
    return Complex(sx * cx / d, -(sy * cy) / d);
}

Complex ComplexAsinh(const Complex& z)
{
    Complex a;
    ComplexAsin(a, Complex(-z.im, z.re));  // asin(iz)
    return Complex(a.im, -a.re);           // -i asin(iz)
}

Complex ComplexAcosh(const Complex& z)
{
    Complex a;
    ComplexAcos(a, z);
    // Pick -i a or i a so that the real part is not negative.
    if (a.im > 0) return Complex(a.im, -a.re);
    return Complex(-a.im, a.re);
}

Complex ComplexAtanh(const Complex& z)
{
    Complex a;
    ComplexAtan(a, Complex(z.im, -z.re));  // atan(-iz)
    return Complex(-a.im, a.re);           // i atan(-iz)
}

Complex ComplexLog10(const Complex& z)
{
    Complex l;
    ComplexLog(l, z);
    return Complex(l.re * kLog10e, l.im * kLog10e);
}

Complex ComplexRound(const Complex& z) { return Complex(RoundToNearest(z.re), RoundToNearest(z.im)); }

bool IsComplexFinite(const Complex& z) { return std::isfinite(z.re) && std::isfinite(z.im); }
bool IsComplexNaN(const Complex& z) { return std::isnan(z.re) || std::isnan(z.im); }
