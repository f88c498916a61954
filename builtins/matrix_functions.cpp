// Determinant, inverse, norms and matrix functions. Matrices whose cells are all
// numbers go through the complex numeric matrix; others, where an algorithm
// exists for them, through the value-cell twins.
#include "builtins/matrix_functions.h"

#include <cfloat>
#include <cmath>
#include <numbers>
#include <string>

#include "builtins/lapack_work.h"
#include "values/complex.h"
#include "values/lapack_drivers.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/power_families.h"
#include "values/range_scaling.h"

namespace {

// The numeric copy of a Matrix argument; false when a cell is not a number.
bool NumericCopy(const CValue& x, CComplexMatrix& a) { return ValueToComplexMatrix(x.Matrix(), a) != 0; }

void SetMatrixResult(CValue* out, const CComplexMatrix& m)
{
    out->Clear();
    ComplexMatrixToValue(m, out->MakeMatrix(0, 0));
}

// A square, non-empty shape; the determinant and the algorithms report the rest.
bool IsSquareShape(const CValueMatrix& m) { return !m.IsEmpty() && m.Rows() == m.Cols(); }

// p of norm and cond: a number, or "fro" for none. False for anything else.
bool NormOrder(const CValue& p, double& value, bool& given)
{
    if (p.Type() == VT_REAL) {
        value = p.Real();
        given = true;
        return true;
    }
    if (p.Type() == VT_COMPLEX && p.ComplexRef().im == 0.0) {
        value = p.ComplexRef().re;
        given = true;
        return true;
    }
    if (p.Type() == VT_STRING && !p.IsBinary()) {
        std::string text;
        p.GetText(text);
        if (text == "fro") {
            given = false;
            return true;
        }
    }
    return false;
}

void SetOutputs(CValue* out, CValueMatrix* parts, int k)
{
    CValueMatrix& outs = lapack_work::MakeOutputs(out, k);
    for (int i = 0; i < k; i++) outs.Cell(0, i).GetMatrix().Swap(parts[i]);
}

void SetOutputs(CValue* out, const CComplexMatrix* parts, int k)
{
    CValueMatrix& outs = lapack_work::MakeOutputs(out, k);
    for (int i = 0; i < k; i++) ComplexMatrixToValue(parts[i], outs.Cell(0, i).GetMatrix());
}

}  // namespace

StatusWord BuiltinDet(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) {
        ReportError() << "Invalid argument of det function (" << x->TypeName() << ")";
        return ERR_INTERNAL;
    }
    bool square = IsSquareShape(x->Matrix());
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        Complex det;
        a.Det(det);
        out->SetComplex(det);
    } else {
        CValueMatrix m(x->Matrix());
        CValue det;
        m.Det(det);
        *out = det;
    }
    if (ThreadStopRequested()) return ERR_STOPPED;  // the elimination was left unfinished
    return square ? 0 : ERR_INTERNAL;
}

StatusWord BuiltinInv(CValue* x, CValue* out)
{
    switch (x->Type()) {
    case VT_REAL: {
        double v = 1.0 / x->Real();
        out->SetReal(v);
        return 0;
    }
    case VT_COMPLEX: {
        Complex r;
        ComplexDivide(r, 1.0, x->ComplexRef());
        out->SetComplex(r);
        return 0;
    }
    case VT_MATRIX: break;
    default:
        ReportError() << "Invalid argument of inv function (" << x->TypeName() << ")";
        return ERR_INTERNAL;
    }
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        CComplexMatrix r;
        int rc = LapackInverse(a, r);
        if (rc == 0) SetMatrixResult(out, r);
        return rc;
    }
    CValueMatrix m(x->Matrix());
    int rc = m.Invert();
    out->Clear();
    out->MakeMatrix(0, 0).Swap(m);
    return rc;
}

namespace {

StatusWord NormOrCond(CValue* x, CValue* p, CValue* out, bool cond)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    double order = 0.0;
    bool given = false;
    if (!NormOrder(*p, order, given)) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (!NumericCopy(*x, a)) return ERR_ARGUMENT_TYPE;
    const double* po = given ? &order : nullptr;
    double r = cond ? a.Cond(po) : a.Norm(po);
    out->SetComplex(Complex(r, 0.0));
    return 0;
}

}  // namespace

StatusWord BuiltinNorm(CValue* x, CValue* p, CValue* out) { return NormOrCond(x, p, out, false); }
StatusWord BuiltinCond(CValue* x, CValue* p, CValue* out) { return NormOrCond(x, p, out, true); }

StatusWord BuiltinRank(CValue* x, CValue* tol, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (!NumericCopy(*x, a)) return ERR_ARGUMENT_TYPE;
    double t = 0.0;
    bool given = false;
    if (tol->Type() == VT_REAL) {
        t = tol->Real();
        given = true;
    } else if (tol->Type() == VT_COMPLEX && tol->ComplexRef().im == 0.0) {
        t = tol->ComplexRef().re;
        given = true;
    }
    int r = a.Rank(given ? &t : nullptr);
    out->SetReal((double)r);
    return 0;
}

StatusWord BuiltinOrth(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a, r;
    if (!NumericCopy(*x, a)) return ERR_ARGUMENT_TYPE;
    int rc = a.Orth(r);
    if (rc == 0) SetMatrixResult(out, r);
    return rc;
}

StatusWord BuiltinLu(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        CComplexMatrix parts[3];
        int rc = a.LU(parts[0], parts[1], parts[2]);
        SetOutputs(out, parts, 3);
        return rc;
    }
    CValueMatrix m(x->Matrix()), parts[3];
    int rc = m.LU(parts[0], parts[1], parts[2]);
    SetOutputs(out, parts, 3);
    return rc;
}

StatusWord BuiltinSvdOld(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        CComplexMatrix parts[3];
        int rc = a.Svd(parts[0], parts[1], parts[2]);
        SetOutputs(out, parts, 3);
        return rc;
    }
    CValueMatrix m(x->Matrix()), parts[3];
    int rc = m.Svd(parts[0], parts[1], parts[2]);
    SetOutputs(out, parts, 3);
    return rc;
}

StatusWord BuiltinEign(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (!NumericCopy(*x, a)) {
        ReportError() << "Matrix elements must be a complex numbers";
        return ERR_INTERNAL;
    }
    CComplexMatrix parts[2];
    int rc = a.EigDecompose(parts[0], parts[1]);
    SetOutputs(out, parts, 2);
    return rc;
}

StatusWord BuiltinEignValues(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        CComplexMatrix w;
        int rc = a.EigValues(w);
        SetMatrixResult(out, w);
        return rc;
    }
    CValueMatrix m(x->Matrix()), w;
    int rc = m.EigValues(w);
    out->Clear();
    out->MakeMatrix(0, 0).Swap(w);
    return rc;
}

StatusWord BuiltinExpm(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) {
        ReportError() << "Invalid argument of expm function (" << x->TypeName() << ")";
        return ERR_ARGUMENT_TYPE;
    }
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        CComplexMatrix e;
        int rc = a.Expm(e);
        if (rc == 0) SetMatrixResult(out, e);
        return rc;
    }
    CValueMatrix e;
    int rc = x->Matrix().Expm(e);
    if (rc == 0) {
        out->Clear();
        out->MakeMatrix(0, 0).Swap(e);
    }
    return rc;
}

StatusWord BuiltinSqrtm(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) {
        ReportError() << "Invalid argument of sqrtm function (" << x->TypeName() << ")";
        return ERR_INTERNAL;
    }
    CComplexMatrix a;
    if (NumericCopy(*x, a)) {
        int rc = CComplexMatrix::Power(a, Complex(0.5, 0.0));
        if (rc == 0) SetMatrixResult(out, a);
        return rc;
    }
    CValueMatrix m(x->Matrix());
    int rc = MatrixSqrtOrPower(m, CValue(0.5));
    out->Clear();
    out->MakeMatrix(0, 0).Swap(m);
    return rc;
}

namespace {

constexpr double kLogmTolerance = 2.220446049250313e-13;  // 1000 eps

// ||expm(L) - A||1 / ||A||1.
double LogResidual(const CComplexMatrix& L, const CComplexMatrix& A)
{
    CComplexMatrix e;
    if (L.Expm(e) != 0) return NAN;
    return (e - A).MaxColumnSum() / A.MaxColumnSum();
}

}  // namespace

StatusWord BuiltinLogm(CValue* x, CValue* out)
{
    if (!lapack_work::IsSquareMatrix(*x)) {
        ReportError() << "Argument must be square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    CComplexMatrix A;
    if (!NumericCopy(*x, A)) return ERR_MATRIX_ARGUMENT;
    const int n = A.Rows();
    // Beyond the range the logarithm is taken of A 2^-k, whose residuals the
    // steps below measure, and log(2^k I) = k log(2) I is added at the end.
    const int k = RangeExponent(A);
    ScaleMatrix(A, -k);
    CComplexMatrix L;
    double e = 0.0;
    int rc = SchurMatrixFunction(A, L, ComplexLog, &e);
    if (rc != 0) return rc;
    double serr = e;
    if (!(e < kLogmTolerance)) {
        serr = LogResidual(L, A);
        if (!(std::isfinite(serr) && serr < kLogmTolerance)) {
            // Again on a similar matrix: the Schur form of Q A Q^H may separate
            // eigenvalues that were too close for the recurrence.
            CComplexMatrix M(n, n), rows(n, n), cols(n, n);
            M.MakeIdentity();
            for (int i = 0; i < n; i++)
                for (int j = 0; j < n; j++) {
                    rows.Cell(i, j) = Complex(i + 1, 0.0);
                    cols.Cell(i, j) = Complex(j + 1, 0.0);
                }
            M += cols;
            M += rows;
            CComplexMatrix Q, QH;
            rc = M.Orth(Q);
            if (rc != 0) return rc;
            Q.ConjTranspose(QH);
            CComplexMatrix B = Q * A;
            B.Multiply(QH);
            CComplexMatrix LB;
            rc = SchurMatrixFunction(B, LB, ComplexLog, nullptr);
            if (rc != 0) return rc;
            L = QH * LB;
            L.Multiply(Q);
            if (L.ImagPart().MaxColumnSum() <= L.MaxColumnSum() * 2.220446049250313e-10) L = L.RealPart();
            // One Newton step: L = L - (expm(L) - A) expm(L)^-1.
            CComplexMatrix E;
            if (L.Expm(E) == 0) {
                CComplexMatrix step = E - A;
                if (step.DivideRight(E) == 0) L -= step;
            }
            serr = LogResidual(L, A);
        }
    }
    if (std::isfinite(serr) && !(serr < kLogmTolerance)) ReportWarning() << "logm: Appears inaccurate serr=" << serr;
    if (k != 0)
        for (int i = 0; i < n; i++) L.Cell(i, i).re += k * std::numbers::ln2;
    SetMatrixResult(out, L);
    return 0;
}
