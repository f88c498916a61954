// LU, determinant, inverse and rotation solve on value cells: the shared
// elimination algorithms with every step done by the value operators, so that
// Real, Complex and nested cells mix. The own eigen, singular-value and
// exponential routines on value cells follow.
#include "values/value_elimination.h"

#include <cmath>

#include "values/elimination.h"
#include "values/linalg_kernels.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

// Modulus of a cell for pivot searches: a Real for numbers, cell by cell for a
// matrix, the cell itself for anything else (the comparisons then report).
CValue CellModulus(const CValue& a)
{
    switch (a.Type()) {
    case VT_REAL: return CValue(std::fabs(a.Real()));
    case VT_COMPLEX: return CValue(ComplexAbsOf(a.ComplexRef()));
    case VT_MATRIX: {
        CValue m;
        CValueMatrix cells = MapValueCells(a.Matrix(), CellModulus);
        m.MakeMatrix(0, 0).Swap(cells);
        return m;
    }
    default: return a;
    }
}

CValue CellSqrt(const CValue& a)
{
    switch (a.Type()) {
    case VT_REAL:
        if (a.Real() >= 0) return CValue(std::sqrt(a.Real()));
        return CValue(ComplexSqrt(Complex(a.Real(), 0.0)));
    case VT_COMPLEX: return CValue(ComplexSqrt(a.ComplexRef()));
    case VT_MATRIX: {
        CValue m;
        CValueMatrix cells = MapValueCells(a.Matrix(), CellSqrt);
        m.MakeMatrix(0, 0).Swap(cells);
        return m;
    }
    default: return a;
    }
}

// out = a op b through an in-place operator; out may be a or b. A failing
// operator has reported and leaves a's value in out.
void Combine(CValue& out, const CValue& a, const CValue& b, int (*op)(CValue&, const CValue&))
{
    if (&out == &a) {
        op(out, b);
        return;
    }
    CValue t(a);
    op(t, b);
    out.Swap(t);
}

void Keep(CValue& out, CValue&& result, const CValue& fallback)
{
    if (result.IsEmpty())
        out = fallback;
    else
        out.Swap(result);
}

// A number cell as a Complex; false for every other cell.
bool NumberParts(const CValue& a, Complex& z)
{
    if (a.Type() == VT_REAL) {
        z = Complex(a.Real(), 0.0);
        return true;
    }
    if (a.Type() == VT_COMPLEX) {
        z = a.ComplexRef();
        return true;
    }
    return false;
}

// z back into a cell of a's kind.
void SetNumberParts(CValue& out, const CValue& kind, const Complex& z)
{
    if (kind.Type() == VT_REAL)
        out.SetReal(z.re);
    else
        out.SetComplex(z);
}

}  // namespace

struct ValueCellPolicy {
    using Cell = CValue;
    using Matrix = CValueMatrix;
    using Mag = CValue;
    static Mag Magnitude(const Cell& a) { return CellModulus(a); }
    static bool Greater(const Mag& a, const Mag& b) { return ValueGreater(a, b); }
    static bool Below(const Mag& a, double t) { return ValueLessReal(a, t); }
    static bool IsZero(const Cell& a) { return ValueEqualsReal(a, 0.0); }
    static bool IsReal(const Cell& a) { return a.Type() == VT_REAL || (a.Type() == VT_COMPLEX && a.ComplexRef().im == 0); }
    static void Assign(Cell& out, const Cell& a) { out = a; }
    static void SetReal(Cell& out, double x) { out.SetReal(x); }
    static void Add(Cell& out, const Cell& a, const Cell& b) { Combine(out, a, b, ValueAdd); }
    static void Sub(Cell& out, const Cell& a, const Cell& b) { Combine(out, a, b, ValueSub); }
    static void Mul(Cell& out, const Cell& a, const Cell& b) { Combine(out, a, b, ValueMul); }
    static void Div(Cell& out, const Cell& a, const Cell& b) { Combine(out, a, b, ValueDiv); }
    static void Recip(Cell& out, const Cell& a) { Keep(out, RealOverValue(1.0, a), a); }
    static void Neg(Cell& out, const Cell& a) { Keep(out, ValueNegated(a), a); }
    static void Conj(Cell& out, const Cell& a)
    {
        if (a.Type() == VT_COMPLEX)
            out.SetComplex(Complex(a.ComplexRef().re, -a.ComplexRef().im));
        else
            out = a;
    }
    static void Sqrt(Cell& out, const Cell& a) { Keep(out, CellSqrt(a), a); }
    static void Zeros(Matrix& m, int rows, int cols) { m.Fill(rows, cols, CValue(0.0)); }
    static void Identity(Matrix& m, int rows, int cols)
    {
        m.Fill(rows, cols, CValue(0.0));
        m.MakeIdentity();
    }
    // Cells that are not numbers take the plain arithmetic throughout.
    static bool InProductRange(const Cell& a)
    {
        Complex z;
        return !NumberParts(a, z) || elimination::parts::InProductRange(z);
    }
    static int Exponent(const Cell& a)
    {
        Complex z;
        return NumberParts(a, z) ? elimination::parts::Exponent(z) : 0;
    }
    static void ScaleByPowerOfTwo(Cell& a, int e)
    {
        Complex z;
        if (!NumberParts(a, z)) return;
        elimination::parts::ScaleByPowerOfTwo(z, e);
        SetNumberParts(a, a, z);
    }
    static bool ScaleRotationPair(Cell& as, Cell& bs, const Cell& a, const Cell& b)
    {
        Complex za, zb, sa, sb;
        if (!NumberParts(a, za) || !NumberParts(b, zb)) return false;
        if (!elimination::parts::ScaleRotationPair(sa, sb, za, zb)) return false;
        SetNumberParts(as, a, sa);
        SetNumberParts(bs, b, sb);
        return true;
    }
};

int CValueMatrix::LU(CValueMatrix& L, CValueMatrix& U, CValueMatrix& P) const
{
    return elimination::LU<ValueCellPolicy>(*this, L, U, P);
}

CValue& CValueMatrix::Det(CValue& det)
{
    elimination::Determinant<ValueCellPolicy>(*this, det);
    return det;
}

CValue CValueMatrix::DetValue() const
{
    CValueMatrix w(*this);
    CValue det;
    elimination::Determinant<ValueCellPolicy>(w, det);
    return det;
}

int CValueMatrix::Invert() { return elimination::Invert<ValueCellPolicy>(*this); }

int InvertValueMatrix(CValueMatrix& m) { return m.Invert(); }

int CValueMatrix::Solve(const CValueMatrix& b, CValueMatrix& x) const
{
    return elimination::SolveByRotations<ValueCellPolicy>(*this, b, x);
}

// Own eigen, singular-value and exponential routines on value cells: the same
// kernels as the complex matrices, every step done by the value operators.

namespace {

double CellRe(const CValue& a)
{
    switch (a.Type()) {
    case VT_REAL: return a.Real();
    case VT_COMPLEX: return a.ComplexRef().re;
    default: return 0.0;
    }
}

double CellIm(const CValue& a) { return a.Type() == VT_COMPLEX ? a.ComplexRef().im : 0.0; }

// A failed operator has reported; its left operand goes on in the result so that
// one unsuitable cell does not empty everything it touches.
CValue Kept(CValue&& result, const CValue& fallback)
{
    if (result.IsEmpty()) return fallback;
    return std::move(result);
}

struct ValuePolicy {
    using Scalar = CValue;

    static CValue Zero() { return CValue(0.0); }
    static CValue One() { return CValue(1.0); }
    static CValue FromReal(double d) { return CValue(d); }
    static CValue Make(double re, double im) { return CValue(Complex(re, im)); }
    static double Re(const CValue& a) { return CellRe(a); }
    static double Im(const CValue& a) { return CellIm(a); }

    static CValue Add(const CValue& a, const CValue& b) { return Kept(ValueSum(a, b), a); }
    static CValue Sub(const CValue& a, const CValue& b) { return Kept(ValueDifference(a, b), a); }
    static CValue Mul(const CValue& a, const CValue& b) { return Kept(ValueProduct(a, b), a); }
    static CValue Div(const CValue& a, const CValue& b) { return Kept(ValueQuotient(a, b), a); }
    static CValue Neg(const CValue& a) { return Kept(ValueNegated(a), a); }
    static CValue Conj(const CValue& a)
    {
        if (a.Type() == VT_COMPLEX) return CValue(Complex(a.ComplexRef().re, -a.ComplexRef().im));
        return a;
    }
    static CValue Sqrt(const CValue& a)
    {
        if (a.Type() == VT_REAL && a.Real() >= 0) return CValue(std::sqrt(a.Real()));
        if (a.Type() == VT_REAL) return CValue(ComplexSqrt(Complex(a.Real(), 0.0)));
        if (a.Type() == VT_COMPLEX) return CValue(ComplexSqrt(a.ComplexRef()));
        return a;
    }
    static CValue ScaleReal(double d, const CValue& a) { return Kept(RealTimesValue(d, a), a); }
    static CValue DivReal(const CValue& a, double d) { return Kept(ValueOverReal(a, d), a); }
    static CValue Half(const CValue& a) { return Div(a, CValue(2.0)); }

    static double Abs(const CValue& a)
    {
        if (a.Type() == VT_REAL) return std::fabs(a.Real());
        if (a.Type() == VT_COMPLEX) return ComplexAbsOf(a.ComplexRef());
        return 0.0;
    }
    static double AbsSum(const CValue& a) { return std::fabs(CellRe(a)) + std::fabs(CellIm(a)); }
    static bool IsZero(const CValue& a) { return ValueEqualsReal(a, 0.0); }
    static bool Same(const CValue& a, const CValue& b) { return ValueEquals(a, b); }
    static CValue SignOf(const CValue& a, const CValue& b)
    {
        double m = Abs(a);
        return CValue(CellRe(b) >= 0 ? m : -m);
    }
    // The value twin takes the second form when both moduli are equal.
    static CValue Hypot(const CValue& a, const CValue& b)
    {
        if (IsZero(a) && IsZero(b)) return CValue(0.0);
        double p = Abs(a), q = Abs(b);
        if (q < p) {
            CValue r = Div(b, a);
            return Mul(CValue(p), Sqrt(Add(CValue(1.0), Mul(r, r))));
        }
        CValue r = Div(a, b);
        return Mul(CValue(q), Sqrt(Add(CValue(1.0), Mul(r, r))));
    }
    static CValue Phase(const CValue& a)
    {
        double m = Abs(a);
        return m == 0.0 ? One() : DivReal(a, m);
    }
    // Value comparisons: an unordered pair counts as less and equal.
    static bool LessEq(double x, double y) { return x <= y || std::isnan(x) || std::isnan(y); }
    static bool Less(double x, double y) { return x < y || std::isnan(x) || std::isnan(y); }
};

using VDense = DenseMatrix<CValue>;

}  // namespace

int CValueMatrix::Svd(CValueMatrix& U, CValueMatrix& W, CValueMatrix& V) const
{
    return SvdOf<ValuePolicy>(*this, U, W, V);
}

int CValueMatrix::EigValues(CValueMatrix& W)
{
    return EigValuesOf<ValuePolicy>(*this, W);
}

int CValueMatrix::EigDecompose(CValueMatrix& V, CValueMatrix& D)
{
    return EigDecomposeOf<ValuePolicy>(*this, V, D);
}

int CValueMatrix::Expm(CValueMatrix& out) const
{
    if (!IsSquareShape(*this)) {
        ReportError() << "Argument of expm function must be a square matrix";
        return 10;
    }
    VDense e;
    ExpmKernel<ValuePolicy>(ToDense<ValuePolicy>(*this), e);
    FromDense<ValuePolicy>(e, out);
    return 0;
}
