// LU, determinant, inverse and rotation solve on value cells: the shared
// elimination algorithms with every step done by the value operators, so that
// Real, Complex and nested cells mix.
#include <cmath>

#include "values/elimination.h"
#include "values/matrix_families.h"
#include "values/operators.h"
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
