// LU, determinant, inverse and the linear solvers on complex matrices.
#include "values/elimination.h"
#include "values/numeric_matrix.h"

#include <cmath>
#include <limits>

// The policy of complex cells.
struct ComplexCellPolicy {
    using Cell = Complex;
    using Matrix = CComplexMatrix;
    using Mag = double;
    static Mag Magnitude(const Cell& a) { return ComplexAbsOf(a); }
    static bool Greater(Mag a, Mag b) { return a > b; }
    static bool Below(Mag a, double t) { return a < t; }
    static bool IsZero(const Cell& a) { return a.re == 0.0 && a.im == 0.0; }
    static bool IsReal(const Cell& a) { return a.im == 0.0; }
    static void Assign(Cell& out, const Cell& a) { out = a; }
    static void SetReal(Cell& out, double x) { out = Complex(x, 0.0); }
    static void Add(Cell& out, const Cell& a, const Cell& b) { ComplexSum(out, a, b); }
    static void Sub(Cell& out, const Cell& a, const Cell& b) { ComplexDifference(out, a, b); }
    static void Mul(Cell& out, const Cell& a, const Cell& b) { ComplexProduct(out, a, b); }
    static void Div(Cell& out, const Cell& a, const Cell& b) { ComplexQuotient(out, a, b); }
    static void Recip(Cell& out, const Cell& a) { ComplexDivide(out, 1.0, a); }
    static void Neg(Cell& out, const Cell& a) { ComplexNegate(a, out); }
    static void Conj(Cell& out, const Cell& a) { ComplexConj(out, a); }
    static void Sqrt(Cell& out, const Cell& a) { out = ComplexSqrt(a); }
    static void Zeros(Matrix& m, int rows, int cols) { m.Fill(rows, cols, Complex()); }
    static void Identity(Matrix& m, int rows, int cols)
    {
        m.Fill(rows, cols, Complex());
        m.MakeIdentity();
    }
    static bool InProductRange(const Cell& a) { return elimination::parts::InProductRange(a); }
    static int Exponent(const Cell& a) { return elimination::parts::Exponent(a); }
    static void ScaleByPowerOfTwo(Cell& a, int e) { elimination::parts::ScaleByPowerOfTwo(a, e); }
    static bool ScaleRotationPair(Cell& as, Cell& bs, const Cell& a, const Cell& b)
    {
        return elimination::parts::ScaleRotationPair(as, bs, a, b);
    }
};

namespace {

// The complex policy with its hot arithmetic written out where the loops can
// see it: the same formulas as Complex's operators (product, Smith quotient),
// so every result keeps its bits, without a call per cell.
struct InlineComplexPolicy : ComplexCellPolicy {
    static void Add(Cell& out, const Cell& a, const Cell& b) { out = Complex(a.re + b.re, a.im + b.im); }
    static void Sub(Cell& out, const Cell& a, const Cell& b) { out = Complex(a.re - b.re, a.im - b.im); }
    static void Mul(Cell& out, const Cell& a, const Cell& b)
    {
        const double a0 = a.re, b0 = a.im;
        out = Complex(a0 * b.re - b0 * b.im, a0 * b.im + b0 * b.re);
    }
    static void Div(Cell& out, const Cell& a, const Cell& b)
    {
        const double p = a.re, q = a.im, c = b.re, d = b.im;
        if (std::fabs(c) > std::fabs(d)) {
            const double r = d / c, den = (r * r + 1) * c;
            out = Complex((p + r * q) / den, (q - r * p) / den);
        } else if (d != 0) {
            const double r = c / d, den = (r * r + 1) * d;
            out = Complex((r * p + q) / den, (r * q - p) / den);
        } else if (c == 0) {
            const double v = (p == 0 && q == 0) ? std::numeric_limits<double>::quiet_NaN()
                                                : std::numeric_limits<double>::infinity();
            out = Complex(v, v);
        } else {
            const double v = std::numeric_limits<double>::quiet_NaN();
            out = Complex(v, v);
        }
    }
};

}  // namespace

// The inner row update on the rows themselves, written so that it vectorises:
// each cell still gets t = f * W(r, c), then W(i, c) - t, part by part.
namespace {
// Wider vectors where the processor has them; the arithmetic per part is the same.
// The clones' resolver runs while the library is relocated, before the thread
// sanitizer's run time is up: its builds take the one default version.
#if defined(__SANITIZE_THREAD__)
#define VELDRA_ROW_CLONES
#else
#define VELDRA_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#endif
VELDRA_ROW_CLONES void SubtractScaledComplexRow(
    Complex* __restrict wi, const Complex* __restrict wr, double fr, double fi, int from, int cols)
{
    for (int c = from; c < cols; c++) {
        const double br = wr[c].re, bi = wr[c].im;
        const double tr = fr * br - fi * bi, ti = fr * bi + fi * br;
        wi[c].re = wi[c].re - tr;
        wi[c].im = wi[c].im - ti;
    }
}
}  // namespace

template <>
void elimination::SubtractScaledRow<InlineComplexPolicy>(CComplexMatrix& w, int i, int r, const Complex& f, int from)
{
    SubtractScaledComplexRow(w.Row(i), w.Row(r), f.re, f.im, from, w.Cols());
}

using P = InlineComplexPolicy;

int CComplexMatrix::LU(CComplexMatrix& L, CComplexMatrix& U, CComplexMatrix& perm) const
{
    return elimination::LU<P>(*this, L, U, perm);
}

Complex& CComplexMatrix::Det(Complex& det)
{
    elimination::Determinant<P>(*this, det);
    return det;
}

Complex CComplexMatrix::DetValue() const
{
    CComplexMatrix w(*this);
    Complex det;
    elimination::Determinant<P>(w, det);
    return det;
}

int CComplexMatrix::PivotRow(int k) { return elimination::PivotRow<P>(*this, k); }

int CComplexMatrix::Invert() { return elimination::Invert<P>(*this); }

int CComplexMatrix::SolveX(const CComplexMatrix& b, CComplexMatrix& x) const
{
    return elimination::SolveByRotations<P>(*this, b, x);
}

int CComplexMatrix::Solve(const CComplexMatrix& b, CComplexMatrix& x) const
{
    return elimination::SolveByElimination<P>(*this, b, x);
}
