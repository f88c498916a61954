// Elementary functions of one value.
#include "values/elementary.h"

#include <cmath>

#include "values/matrix_families.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

// Target of the part references after an error.
double g_partFallback = 0.0;

CValue ReportArgument(const char* function, const CValue& v)
{
    ReportError() << "Invalid argument of " << function << " function (" << v.TypeName() << ")";
    return CValue();
}

CValue MatrixOf(CValueMatrix&& m)
{
    CValue r;
    r.MakeMatrix(0, 0).Swap(m);
    return r;
}

CValue RealValue(double x) { return CValue(x); }
CValue ComplexValue(double re, double im) { return CValue(Complex(re, im)); }

// Shared shape of the by-value functions: per-type results, matrices cell by cell.
template <typename OnReal, typename OnComplex>
CValue Elementary(const CValue& v, const char* function, CValue (*self)(const CValue&), OnReal onReal,
                  OnComplex onComplex)
{
    switch (v.Type()) {
    case VT_REAL: return onReal(v.Real());
    case VT_COMPLEX: return onComplex(v.ComplexRef());
    case VT_MATRIX: return MatrixOf(MapValueCells(v.Matrix(), self));
    default: return ReportArgument(function, v);
    }
}

double& PartFallback(const char* function, const CValue& v)
{
    ReportArgument(function, v);
    g_partFallback = 0.0;
    return g_partFallback;
}

}  // namespace

CValue ValueAbs(const CValue& v)
{
    return Elementary(
        v, "abs", ValueAbs, [](double x) { return RealValue(std::fabs(x)); },
        [](const Complex& z) { return RealValue(ComplexAbsOf(z)); });
}

CValue ValueLog(const CValue& v)
{
    return Elementary(
        v, "log", ValueLog,
        [](double x) {
            if (x >= 0.0) return RealValue(std::log(x));
            Complex r;
            ComplexLog(r, Complex(x, 0.0));
            return CValue(r);
        },
        [](const Complex& z) {
            Complex r;
            ComplexLog(r, z);
            return CValue(r);
        });
}

CValue ValueSqrt(const CValue& v)
{
    return Elementary(
        v, "sqrt", ValueSqrt,
        [](double x) {
            if (x >= 0.0) return RealValue(std::sqrt(x));
            return CValue(ComplexSqrt(Complex(x, 0.0)));
        },
        [](const Complex& z) { return CValue(ComplexSqrt(z)); });
}

CValue ValueSqr(const CValue& v)
{
    return Elementary(
        v, "sqr", ValueSqr, [](double x) { return RealValue(x * x); },
        [](const Complex& z) { return ComplexValue(z.re * z.re - z.im * z.im, 2.0 * z.re * z.im); });
}

CValue ValueRound(const CValue& v)
{
    return Elementary(
        v, "round", ValueRound, [](double x) { return RealValue(RoundToNearest(x)); },
        [](const Complex& z) { return CValue(ComplexRound(z)); });
}

CValue ValueReal(const CValue& v)
{
    return Elementary(
        v, "real", ValueReal, [](double x) { return RealValue(x); },
        [](const Complex& z) { return RealValue(z.re); });
}

CValue ValueImag(const CValue& v)
{
    return Elementary(
        v, "imag", ValueImag, [](double) { return RealValue(0.0); },
        [](const Complex& z) { return RealValue(z.im); });
}

CValue ValueConj(const CValue& v)
{
    return Elementary(
        v, "conj", ValueConj, [](double x) { return RealValue(x); },
        [](const Complex& z) { return ComplexValue(z.re, -z.im); });
}

int ValueIsNaN(const CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: return std::isnan(v.Real()) ? 1 : 0;
    case VT_COMPLEX: return std::isnan(v.ComplexRef().re) || std::isnan(v.ComplexRef().im) ? 1 : 0;
    case VT_MATRIX: return MatrixHasNaN(v.Matrix(), ValueIsNaN);
    default:
        ReportError() << "Invalid argument of the function of determination the NAN status";
        return -1;
    }
}

double& ValueRealPart(CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: return v.Real();
    case VT_COMPLEX: return v.ComplexRef().re;
    default: return PartFallback("real", v);
    }
}

double& ValueImagPart(CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: v.SetComplex(Complex(v.Real(), 0.0)); return v.ComplexRef().im;
    case VT_COMPLEX: return v.ComplexRef().im;
    default: return PartFallback("imag", v);
    }
}

const CValue& ValueMaxOf(const CValue& v)
{
    return v.Type() == VT_MATRIX ? *MaxOfMatrix(v.Matrix()) : v;
}

const CValue& ValueMinOf(const CValue& v)
{
    return v.Type() == VT_MATRIX ? *MinOfMatrix(v.Matrix()) : v;
}

// 1/tanh: (e + 1/e)/(e - 1/e) cancels near 0 and overflows beyond 709.
double RealCoth(double x) { return 1.0 / std::tanh(x); }
