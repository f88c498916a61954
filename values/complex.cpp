// Complex arithmetic, powers and the elementary functions arc sine, arc
// cosine, arc tangent, tangent and logarithm.
#include "values/complex.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Beyond this |im| the tangent's imaginary part is +-1 to full precision.
const double kTanCutoff = std::log(2.0 / std::sqrt(DBL_EPSILON)) + 1.0;

// Regions of the arc sine and arc cosine.
const double kSafeMax = std::sqrt(DBL_MAX) / 8.0;
const double kSafeMin = std::sqrt(DBL_MIN) * 4.0;
const double kRootEps = std::sqrt(DBL_EPSILON);
constexpr double kCrossA = 1.5;
constexpr double kCrossB = 0.6417;

bool IsWhole(double x) { return std::floor(x) == x; }

// exp(re(w) L - im(w) t) (cos f, sin f) with f = im(w) L + re(w) t.
void PolarPower(Complex& out, double L, double t, const Complex& w)
{
    double m = std::exp(w.re * L - w.im * t);
    double f = w.im * L + w.re * t;
    out.re = m * std::cos(f);
    out.im = m * std::sin(f);
}

// Hull, Fairgrieve and Tang: the shared work of arc sine and arc cosine on
// x = |re|, y = |im|. Gives the real part of the chosen function and the
// common imaginary part, both for the first quadrant.
void ArcSinCos(double x, double y, bool cosine, double& real, double& imag)
{
    double lo = x < y ? x : y, hi = x < y ? y : x;
    if (kSafeMin <= lo && hi <= kSafeMax) {
        double r = std::sqrt((x + 1) * (x + 1) + y * y);
        double s = std::sqrt((x - 1) * (x - 1) + y * y);
        double a = (r + s) / 2;
        double b = x / a;
        double apx = a + x;
        double y2 = y * y;
        if (!cosine) {
            if (b <= kCrossB)
                real = std::asin(b);
            else if (x <= 1)
                real = std::atan(x / std::sqrt(apx * 0.5 * (y2 / (r + x + 1) + (s + (1 - x)))));
            else
                real = std::atan(x / (y * std::sqrt(0.5 * (apx / (r + x + 1) + apx / (s + (x - 1))))));
        } else {
            if (b <= kCrossB)
                real = std::acos(b);
            else if (x <= 1)
                real = std::atan(std::sqrt(0.5 * apx * (y2 / (r + x + 1) + (s + (1 - x)))) / x);
            else
                real = std::atan(y * std::sqrt(0.5 * (apx / (r + x + 1) + apx / (s + (x - 1)))) / x);
        }
        if (a <= kCrossA) {
            double am1 = x < 1 ? 0.5 * (y2 / (r + x + 1) + y2 / (s + (1 - x)))
                               : 0.5 * (y2 / (r + x + 1) + (s + (x - 1)));
            imag = Log1p(am1 + std::sqrt(am1 * (a + 1)));
        } else {
            imag = std::log(a + std::sqrt(a * a - 1));
        }
    } else if (y > kRootEps * std::fabs(x - 1)) {
        if (y < kSafeMin) {
            real = cosine ? std::sqrt(y) : kHalfPi - std::sqrt(y);
            imag = std::sqrt(y);
        } else if (kRootEps * y - 1 < x) {
            if (x <= 1) {
                real = cosine ? kHalfPi : x / std::sqrt(1 + y * y);
                imag = Log1p(2 * y * (y + std::sqrt(1 + y * y))) / 2;
            } else {
                real = cosine ? std::atan(y / x) : std::atan(x / y);
                imag = std::log(y) + 0.5 * Log1p((x / y) * (x / y)) + kLn2;
            }
        } else {
            real = cosine ? kHalfPi : x / y;
            imag = std::log(y) + kLn2;
        }
    } else if (x < 1) {
        real = cosine ? std::acos(x) : std::asin(x);
        imag = y / std::sqrt((1 - x) * (1 + x));
    } else {
        real = cosine ? 0.0 : kHalfPi;
        imag = x <= kSafeMax ? Log1p((x - 1) + std::sqrt((x + 1) * (x - 1))) : std::log(x) + kLn2;
    }
}

double SignOf(double v) { return v < 0 ? -1.0 : 1.0; }

}  // namespace

Complex& Complex::operator*=(const Complex& b)
{
    double a0 = re, b0 = im;
    re = a0 * b.re - b0 * b.im;
    im = a0 * b.im + b0 * b.re;
    return *this;
}

Complex& Complex::operator/=(const Complex& b)
{
    const double p = re, q = im, c = b.re, d = b.im;
    if (std::fabs(c) > std::fabs(d)) {
        double r = d / c, den = (r * r + 1) * c;
        re = (p + r * q) / den;
        im = (q - r * p) / den;
    } else if (d != 0) {
        double r = c / d, den = (r * r + 1) * d;
        re = (r * p + q) / den;
        im = (r * q - p) / den;
    } else if (c == 0) {
        double v = (p == 0 && q == 0) ? kNaN : kInf;
        re = im = v;
    } else {
        re = im = kNaN;  // NaN divisor
    }
    return *this;
}

double Complex::Modulus() const
{
    double m = std::fabs(re), n = std::fabs(im);
    if (m < n) {
        double t = m;
        m = n;
        n = t;
    }
    if (m + n == m) return m;
    double q = n / m;
    return m * std::sqrt(q * q + 1);
}

int Complex::PowAssign(const Complex& w)
{
    Complex r;
    ComplexPowComplex(r, *this, w);
    if (im == 0 && w.im == 0 && r.im == 0)
        re = r.re;
    else
        *this = r;
    return 0;
}

void ComplexNegate(const Complex& z, Complex& out) { out = Complex(-z.re, -z.im); }
void ComplexConj(Complex& out, const Complex& z) { out = Complex(z.re, -z.im); }
void ComplexSum(Complex& out, const Complex& a, const Complex& b) { out = Complex(a.re + b.re, a.im + b.im); }
void ComplexDifference(Complex& out, const Complex& a, const Complex& b)
{
    out = Complex(a.re - b.re, a.im - b.im);
}
void ComplexProduct(Complex& out, const Complex& a, const Complex& b)
{
    Complex t = a;
    t *= b;
    out = t;
}
void ComplexQuotient(Complex& out, const Complex& a, const Complex& b)
{
    Complex t = a;
    t /= b;
    out = t;
}

void ComplexDivide(Complex& out, double x, const Complex& b)
{
    const double c = b.re, d = b.im;
    if (std::fabs(c) > std::fabs(d)) {
        double r = d / c, den = (r * r + 1) * c;
        out = Complex(x / den, -(r * x) / den);
    } else if (d != 0) {
        double r = c / d, den = (r * r + 1) * d;
        out = Complex(r * x / den, -(x / den));
    } else if (c == 0) {
        double v = x == 0 ? kNaN : kInf;
        out = Complex(v, v);
    } else {
        out = Complex(kNaN, kNaN);
    }
}

void ComplexSquare(Complex& out, const Complex& z)
{
    out = Complex(z.re * z.re - z.im * z.im, z.re * z.im + z.re * z.im);
}
void ComplexScaleReal(Complex& out, double x, const Complex& z) { out = Complex(x * z.re, x * z.im); }
void ComplexCopyTo(Complex* dst, const Complex& z)
{
    if (dst) *dst = z;
}

void ComplexPowReal(Complex& out, const Complex& z, double x)
{
    if (z.im == 0 && (z.re >= 0 || IsWhole(x))) {
        out = Complex(std::pow(z.re, x), 0.0);
        return;
    }
    double L = std::log(z.Modulus());
    double t = std::atan2(z.im, z.re);
    double m = std::exp(x * L);
    out = Complex(m * std::cos(x * t), m * std::sin(x * t));
}

void RealPowComplex(Complex& out, double x, const Complex& w)
{
    if (w.im == 0 && (x >= 0 || IsWhole(w.re))) {
        out = Complex(std::pow(x, w.re), 0.0);
        return;
    }
    double L = std::log(std::fabs(x));
    double t = x < 0 ? kPi : 0.0;
    Complex r;
    PolarPower(r, L, t, w);
    out = r;
}

void ComplexPowComplex(Complex& out, const Complex& z, const Complex& w)
{
    if (z.im == 0 && w.im == 0) {
        ComplexPowReal(out, z, w.re);
        return;
    }
    double L = std::log(z.Modulus());
    double t = std::atan2(z.im, z.re);
    Complex r;
    PolarPower(r, L, t, w);
    out = r;
}

void ComplexAsin(Complex& out, const Complex& z)
{
    double real, imag;
    ArcSinCos(std::fabs(z.re), std::fabs(z.im), false, real, imag);
    out = Complex(SignOf(z.re) * real, SignOf(z.im) * imag);
}

void ComplexAcos(Complex& out, const Complex& z)
{
    double real, imag;
    ArcSinCos(std::fabs(z.re), std::fabs(z.im), true, real, imag);
    if (z.re < 0) real = kPi - real;
    // Always the opposite sign of the arc sine's imaginary part, so that
    // acos(z) = pi/2 - asin(z) holds on the real axis beyond 1 as well.
    imag = -(SignOf(z.im) * imag);
    out = Complex(real, imag);
}

void ComplexAtan(Complex& out, const Complex& z)
{
    const double x = z.re, y = z.im, big = DBL_MAX;
    if (y == 0) {
        out = Complex(std::atan(x), 0.0);
        return;
    }
    double r2 = x * x + y * y;
    double t;
    if (r2 <= big)
        t = 2 * y / (r2 + 1);
    else
        t = std::fabs(y) <= big ? 1 / ((x / 2 / y) * x + y / 2) : 0.0;
    double imag;
    if (std::fabs(t) < 0.2)
        imag = 0.25 * LogRatioSeries(t);
    else if (std::fabs(y) == 1 && std::fabs(x) < 1e-150)
        imag = std::copysign(0.5, y) * (kLn2 - std::log(std::fabs(x)));
    else
        imag = 0.25 * std::log(((y + 1) * (y + 1) + x * x) / ((y - 1) * (y - 1) + x * x));
    double real;
    if (x == 0) {
        double ay = std::fabs(y);
        real = ay > 1 ? std::copysign(1.0, y) * kHalfPi : ay == 1 ? kNaN : 0.0;
    } else if (r2 > big) {
        real = std::copysign(1.0, x) * kHalfPi;
    } else {
        double d = 1 - r2;
        if (std::fabs(x) + std::fabs(1 - r2) <= 0.3) d = (1 - y) * (1 + y) - x * x;
        real = 0.5 * std::atan2(2 * x, d);
    }
    out = Complex(real, imag);
}

void ComplexTan(Complex& out, const Complex& z)
{
    const double x = z.re, y = z.im;
    double sh = std::sinh(y), cs = std::cos(x);
    double D = sh * sh + cs * cs;
    double re = std::sin(2 * x) * 0.5 / D;
    double im = std::fabs(y) < kTanCutoff ? std::sinh(2 * y) * 0.5 / D : std::copysign(1.0, y);
    out = Complex(re, im);
}

void ComplexLog(Complex& out, const Complex& z)
{
    double angle = std::atan2(z.im, z.re);
    if (std::isnan(angle)) {
        out = Complex(angle, angle);
        return;
    }
    int e = 0;
    double m = ComplexAbs(z, e);
    double re;
    if (m == 0)
        re = -kInf;
    else if (std::isinf(m))
        re = m;
    else
        // The low product joins log(m) first: log(-1) then has a real part of exactly 0.
        re = (std::log(m) + e * 1.4286068203094173e-6) + e * 0.693145751953125;
    out = Complex(re, angle);
}

double Log1p(double x)
{
    if (x < -1) return kNaN;
    if (x >= -1.0 / 3.0 && x <= 0.5) return LogRatioSeries(x / (x + 2));
    return std::log(1 + x);
}

double LogRatioSeries(double u)
{
    double s = u * u;
    if (std::fabs(u) > 0.003032)
        return u * (2 + s * (0.6666666666667268 +
                             s * (0.3999999999617689 +
                                  s * (0.2857142939282938 +
                                       s * (0.22222138684562684 +
                                            s * (0.18186349187499223 +
                                                 s * (0.15250315884469365 + s * 0.15367270224757007)))))));
    return u * (2 + s * (2.0 / 3.0 + 0.4 * s));
}

Complex ComplexAbsSum(const Complex& z) { return Complex(std::fabs(z.re) + std::fabs(z.im), 0.0); }

Complex ComplexSignOf(const Complex& z, double x)
{
    double m = ComplexAbsOf(z);
    return Complex(x >= 0 ? m : -m, 0.0);
}

Complex ComplexPythag(const Complex& a, const Complex& b)
{
    if (a.re == 0 && a.im == 0 && b.re == 0 && b.im == 0) return Complex();
    double ma = ComplexAbsOf(a), mb = ComplexAbsOf(b);
    Complex q, q2, r;
    double M;
    if (mb <= ma) {
        M = ma;
        ComplexQuotient(q, b, a);
    } else {
        M = mb;
        ComplexQuotient(q, a, b);
    }
    ComplexSquare(q2, q);
    q2.re += 1;
    ComplexScaleReal(r, M, ComplexSqrt(q2));
    return r;
}
