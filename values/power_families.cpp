// Powers over value matrices: element-wise families, the matrix power and a
// scalar raised to a matrix.
#include "values/power_families.h"

#include <cmath>

#include "values/elementary.h"
#include "values/matrix_families.h"
#include "values/output_stream.h"
#include "values/power.h"

namespace {

constexpr int kReported = 10;
// Up to this exponent the powers are plain repeated products.
constexpr double kRepeatedProductLimit = 64.0;

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Rows() == b.Rows() && a.Cols() == b.Cols();
}

int ReportShapes()
{
    ReportError() << "Array power, matrices must be a same sizes";
    return kReported;
}

int ReportTypes(uint32_t a, uint32_t b)
{
    ReportError() << "Calculating a raise to the power, " << CValue::TypeNameOf(a) << " and "
                  << CValue::TypeNameOf(b) << " type";
    return kReported;
}

bool IsSquare(const CValueMatrix& m) { return m.Rows() == m.Cols(); }

// A whole exponent: real (an imaginary part of exactly 0) and finite.
bool WholeExponent(const CValue& p, double& value)
{
    if (p.Type() == VT_COMPLEX && p.ComplexRef().im != 0.0) return false;
    value = p.GetComplex().re;
    return std::isfinite(value) && RoundToNearest(value) == value;
}

int WholePower(CValueMatrix& m, double p)
{
    if (p == 0.0) return m.MakeIdentity() ? 0 : 25;  // 25: the program stopped
    const double count = std::fabs(p);
    if (count <= kRepeatedProductLimit) {
        const CValueMatrix x(m);
        for (double k = 2.0; k <= count; k += 1.0)
            if (int st = m.Multiply(x)) return st;
    } else {
        // Square and multiply: about 2 log2(|p|) products for any double.
        CValueMatrix base(m), result(m.Rows(), m.Cols());
        if (!result.MakeIdentity()) return 25;
        for (double e = count; e >= 1.0; e = std::floor(e * 0.5)) {
            if (std::fmod(e, 2.0) == 1.0)
                if (int st = result.Multiply(base)) return st;
            if (e >= 2.0) {
                const CValueMatrix factor(base);
                if (int st = base.Multiply(factor)) return st;
            }
        }
        m.Swap(result);
    }
    return p < 0.0 ? m.Invert() : 0;
}

int EigenPower(CValueMatrix& m, const CValue& p)
{
    CValueMatrix work(m), v, d;
    if (work.EigDecompose(v, d) != 0) return kReported;
    const int n = d.Cols();
    for (int i = 0; i < n; ++i) d.Cell(0, i) = ValuePowerOf(d.Cell(0, i), p);
    CValueMatrix diag;
    if (int st = diag.MakeDiag(n ? d.Row(0) : nullptr, n, 0)) return st;
    if (int st = diag.DivideRight(v)) return st;
    if (int st = v.Multiply(diag)) return st;
    m.Swap(v);
    return 0;
}

}  // namespace

int MatrixArrayPowerMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    if (!SameShape(a, b)) return ReportShapes();
    for (int i = 0; i < a.Rows(); ++i)
        for (int j = 0; j < a.Cols(); ++j)
            if (int st = ValueArrayPower(a.Cell(i, j), b.Cell(i, j))) return st;
    return 0;
}

int MatrixArrayPowerScalar(CValueMatrix& m, const CValue& s)
{
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j)
            if (int st = ValueArrayPower(m.Cell(i, j), s)) return st;
    return 0;
}

int ScalarArrayPowerMatrix(const CValue& s, CValueMatrix& m)
{
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) {
            CValue exponent;
            exponent.Swap(m.Cell(i, j));
            m.Cell(i, j) = s;
            if (int st = ValueArrayPower(m.Cell(i, j), exponent)) return st;
        }
    return 0;
}

int MatrixPowerMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    if (!SameShape(a, b)) return ReportShapes();
    for (int i = 0; i < a.Rows(); ++i)
        for (int j = 0; j < a.Cols(); ++j) ValuePower(a.Cell(i, j), b.Cell(i, j));
    return 0;
}

int MatrixSqrtOrPower(CValueMatrix& m, const CValue& p)
{
    if (!p.IsNumber()) return ReportTypes(VT_MATRIX, p.Type());
    if (!IsSquare(m) || m.Rows() <= 1) {
        for (int i = 0; i < m.Rows(); ++i)
            for (int j = 0; j < m.Cols(); ++j) ValuePower(m.Cell(i, j), p);
        return 0;
    }
    double whole = 0.0;
    if (WholeExponent(p, whole)) return WholePower(m, whole);
    return EigenPower(m, p);
}

int ScalarPowerMatrix(const CValue& s, CValueMatrix& m)
{
    if (!s.IsNumber()) return ReportTypes(s.Type(), VT_MATRIX);
    if (!IsSquare(m)) {
        for (int i = 0; i < m.Rows(); ++i)
            for (int j = 0; j < m.Cols(); ++j) {
                CValue exponent;
                exponent.Swap(m.Cell(i, j));
                m.Cell(i, j) = s;
                ValuePower(m.Cell(i, j), exponent);
            }
        return 0;
    }
    if (m.IsEmpty()) return 0;
    const CValueMatrix scaled = MatrixArithScalar(m, ValueLog(s), ARITH_MUL);
    return scaled.Expm(m);
}

CValueMatrix PowerResultMatrix(const CValue& s, const CValueMatrix& m)
{
    CValueMatrix r(m);
    if (ScalarPowerMatrix(s, r)) r.Free();
    return r;
}

CValueMatrix PowerResultMatrix(const CValueMatrix& m, const CValue& p)
{
    CValueMatrix r(m);
    if (MatrixSqrtOrPower(r, p)) r.Free();
    return r;
}

CValueMatrix PowerResultMatrix(const CValueMatrix& a, const CValueMatrix& b)
{
    CValueMatrix r(a);
    if (MatrixPowerMatrix(r, b)) r.Free();
    return r;
}
