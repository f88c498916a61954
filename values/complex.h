#pragma once
// Complex numbers with the system's own formulas (no std::complex arithmetic).
// The layout {re, im} matches one element of a LAPACK double-complex array.

struct Complex {
    double re;
    double im;

    Complex() : re(0.0), im(0.0) {}
    Complex(double r, double i) : re(r), im(i) {}

    void Set(const Complex& z) { re = z.re; im = z.im; }
    void Set(double r, double i) { re = r; im = i; }

    Complex& operator+=(const Complex& b)
    {
        re += b.re;
        im += b.im;
        return *this;
    }
    Complex& operator-=(const Complex& b)
    {
        re -= b.re;
        im -= b.im;
        return *this;
    }
    Complex& operator*=(const Complex& b);
    Complex& operator/=(const Complex& b);  // Smith division; x/0 gives (+inf, +inf), 0/0 NaN

    // max * sqrt((min/max)^2 + 1), exact when one part is negligible.
    double Modulus() const;
    // this = this^w; when both are real only the real part is written. Always 0.
    int PowAssign(const Complex& w);
};

static_assert(sizeof(Complex) == 16, "Complex is two doubles");

// Arithmetic; results go through the out parameter (which may alias an input).
void ComplexNegate(const Complex& z, Complex& out);
void ComplexConj(Complex& out, const Complex& z);
void ComplexSum(Complex& out, const Complex& a, const Complex& b);
void ComplexDifference(Complex& out, const Complex& a, const Complex& b);
void ComplexProduct(Complex& out, const Complex& a, const Complex& b);
void ComplexQuotient(Complex& out, const Complex& a, const Complex& b);
void ComplexDivide(Complex& out, double x, const Complex& b);  // real x over complex b
void ComplexSquare(Complex& out, const Complex& z);
void ComplexScaleReal(Complex& out, double x, const Complex& z);
void ComplexCopyTo(Complex* dst, const Complex& z);  // null dst: nothing

// Powers. "Real" means an imaginary part of exactly 0.
void ComplexPowReal(Complex& out, const Complex& z, double x);
void RealPowComplex(Complex& out, double x, const Complex& w);
void ComplexPowComplex(Complex& out, const Complex& z, const Complex& w);

// Elementary functions (principal branches).
void ComplexAsin(Complex& out, const Complex& z);
void ComplexAcos(Complex& out, const Complex& z);
void ComplexAtan(Complex& out, const Complex& z);
void ComplexTan(Complex& out, const Complex& z);
void ComplexLog(Complex& out, const Complex& z);

// log(1 + x); NaN below -1.
double Log1p(double x);
// log((1 + u) / (1 - u)) for |u| <= 0.2.
double LogRatioSeries(double u);

// Helpers of the singular value decomposition.
Complex ComplexAbsSum(const Complex& z);                   // (|re| + |im|, 0)
Complex ComplexSignOf(const Complex& z, double x);          // (+-|z|, 0) with the sign of x
// The larger modulus M times ComplexSqrt(q^2 + 1), q = the other over the larger.
Complex ComplexPythag(const Complex& a, const Complex& b);

// Element functions: each gives a new pair.
Complex ComplexExp(const Complex& z);
Complex ComplexSin(const Complex& z);
Complex ComplexCos(const Complex& z);
Complex ComplexSinh(const Complex& z);
Complex ComplexCosh(const Complex& z);
Complex ComplexTanh(const Complex& z);
Complex ComplexCoth(const Complex& z);
Complex ComplexAsinh(const Complex& z);
Complex ComplexAcosh(const Complex& z);
Complex ComplexAtanh(const Complex& z);
Complex ComplexLog10(const Complex& z);
Complex ComplexSqrt(const Complex& z);
Complex ComplexRound(const Complex& z);

bool IsComplexFinite(const Complex& z);
bool IsComplexNaN(const Complex& z);

// Scaled modulus: returns m with |z| = m * 2^scale. scale is 0 for 0, infinities and NaN.
double ComplexAbs(const Complex& z, int& scale);
// |z| = ldexp(m, scale).
double ComplexAbsOf(const Complex& z);
