#pragma once
// Scalar policy of the dense kernels (values/linalg_kernels.h) for Complex cells.
#include <cmath>

#include "values/complex.h"

struct ComplexPolicy {
    using Scalar = Complex;

    static Complex Zero() { return Complex(); }
    static Complex One() { return Complex(1.0, 0.0); }
    static Complex FromReal(double d) { return Complex(d, 0.0); }
    static Complex Make(double re, double im) { return Complex(re, im); }
    static double Re(const Complex& a) { return a.re; }
    static double Im(const Complex& a) { return a.im; }

    static Complex Add(const Complex& a, const Complex& b) { return Complex(a.re + b.re, a.im + b.im); }
    static Complex Sub(const Complex& a, const Complex& b) { return Complex(a.re - b.re, a.im - b.im); }
    static Complex Mul(const Complex& a, const Complex& b)
    {
        Complex r;
        ComplexProduct(r, a, b);
        return r;
    }
    static Complex Div(const Complex& a, const Complex& b)
    {
        Complex r;
        ComplexQuotient(r, a, b);
        return r;
    }
    static Complex Neg(const Complex& a) { return Complex(-a.re, -a.im); }
    static Complex Conj(const Complex& a) { return Complex(a.re, -a.im); }
    static Complex Sqrt(const Complex& a) { return ComplexSqrt(a); }
    static Complex ScaleReal(double d, const Complex& a) { return Complex(d * a.re, d * a.im); }
    static Complex DivReal(const Complex& a, double d) { return Div(a, Complex(d, 0.0)); }
    static Complex Half(const Complex& a) { return ScaleReal(0.5, a); }

    static double Abs(const Complex& a) { return ComplexAbsOf(a); }
    static double AbsSum(const Complex& a) { return std::fabs(a.re) + std::fabs(a.im); }
    static bool IsZero(const Complex& a) { return a.re == 0.0 && a.im == 0.0; }
    static bool Same(const Complex& a, const Complex& b) { return a.re == b.re && a.im == b.im; }
    // Modulus of a with the sign of Re b.
    static Complex SignOf(const Complex& a, const Complex& b) { return ComplexSignOf(a, b.re); }
    static Complex Hypot(const Complex& a, const Complex& b) { return ComplexPythag(a, b); }
    // a / |a|, or 1 for 0.
    static Complex Phase(const Complex& a)
    {
        double m = Abs(a);
        return m == 0.0 ? One() : Complex(a.re / m, a.im / m);
    }
    static bool LessEq(double x, double y) { return x <= y; }
    static bool Less(double x, double y) { return x < y; }
};
