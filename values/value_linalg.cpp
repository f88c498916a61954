// Own eigen, singular-value and exponential routines on value cells: the same
// kernels as the complex matrices, every step done by the value operators.
#include <cmath>

#include "values/linalg_kernels.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

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
