// Power "^" and element-wise power ".^" on values.
#include "values/power.h"

#include <cmath>

#include "values/complex.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/power_families.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

int ReportTypes(const CValue& a, const CValue& b)
{
    ReportError() << "Calculating a raise to the power, " << CValue::TypeNameOf(a.Type()) << " and "
                  << CValue::TypeNameOf(b.Type()) << " type";
    return 10;
}

int ReportShapes()
{
    ReportError() << "Array power, matrices must be a same sizes";
    return 10;
}

bool IsScalar(const CValue& v) { return v.Type() == VT_REAL || v.Type() == VT_COMPLEX; }

// Scalar ^ scalar into a; both are numbers.
void ScalarPower(CValue& a, const CValue& b)
{
    if (a.Type() == VT_REAL && b.Type() == VT_REAL) {
        double x = a.Real(), y = b.Real();
        if (x < 0 && y != std::floor(y)) {
            Complex r;
            ComplexPowReal(r, Complex(x, 0.0), y);
            a.SetComplex(r);
        } else {
            a.Real() = std::pow(x, y);
        }
        return;
    }
    Complex r;
    if (a.Type() == VT_REAL)
        RealPowComplex(r, a.Real(), b.ComplexRef());
    else if (b.Type() == VT_REAL)
        ComplexPowReal(r, a.ComplexRef(), b.Real());
    else
        ComplexPowComplex(r, a.ComplexRef(), b.ComplexRef());
    a.SetComplex(r);
}

void PowCell(Complex& z, const Complex& p)
{
    Complex r;
    if (p.im == 0.0)
        ComplexPowReal(r, z, p.re);
    else
        ComplexPowComplex(r, z, p);
    z = r;
}

// Matrix ^ scalar on value cells that are not all numbers.
int ValueCellMatrixPower(CValueMatrix& m, const CValue& b) { return MatrixSqrtOrPower(m, b); }

int MatrixPowerScalar(CValue& a, const CValue& b)
{
    CValueMatrix& m = a.Matrix();
    CComplexMatrix A;
    if (!ValueToComplexMatrix(m, A)) return ValueCellMatrixPower(m, b);
    int st = CComplexMatrix::Power(A, b.GetComplex());
    ComplexMatrixToValue(A, m);
    return st;
}

int ScalarPowerMatrix(CValue& a, const CValue& b)
{
    const CValueMatrix& bm = b.Matrix();
    bool square = bm.Rows() == bm.Cols() && bm.Rows() > 0;
    CComplexMatrix B;
    if (ValueToComplexMatrix(bm, B)) {
        Complex s = a.GetComplex();
        if (square) {
            // s ^ B = exp(log(s) B)
            Complex l;
            ComplexLog(l, s);
            CComplexMatrix E;
            if (int st = B.Scaled(l).Expm(E)) return st;
            CValue out;
            ComplexMatrixToValue(E, out.MakeMatrix(0, 0));
            a.Swap(out);
            return 0;
        }
        for (int r = 0; r < B.Rows(); ++r)
            for (int c = 0; c < B.Cols(); ++c) {
                Complex z = s;
                PowCell(z, B.Cell(r, c));
                B.Cell(r, c) = z;
            }
        CValue out;
        ComplexMatrixToValue(B, out.MakeMatrix(0, 0));
        a.Swap(out);
        return 0;
    }
    if (square) {
        CValue out(b);
        if (int st = ::ScalarPowerMatrix(a, out.Matrix())) return st;
        a.Swap(out);
        return 0;
    }
    CValue out;
    CValueMatrix& om = out.MakeMatrix(bm.Rows(), bm.Cols());
    for (int r = 0; r < bm.Rows(); ++r)
        for (int c = 0; c < bm.Cols(); ++c) {
            CValue cell(a);
            if (int st = ValuePower(cell, bm.Cell(r, c))) return st;
            om.Cell(r, c).Swap(cell);
        }
    a.Swap(out);
    return 0;
}

}  // namespace

int ValuePower(CValue& a, const CValue& b)
{
    bool as = IsScalar(a), bs = IsScalar(b);
    bool am = a.Type() == VT_MATRIX, bm = b.Type() == VT_MATRIX;
    if (as && bs) {
        ScalarPower(a, b);
        return 0;
    }
    if (as && bm) return ScalarPowerMatrix(a, b);
    if (am && bs) return MatrixPowerScalar(a, b);
    if (am && bm) {
        CValueMatrix& x = a.Matrix();
        const CValueMatrix& y = b.Matrix();
        if (x.Rows() != y.Rows() || x.Cols() != y.Cols()) return ReportShapes();
        for (int r = 0; r < x.Rows(); ++r)
            for (int c = 0; c < x.Cols(); ++c) ValuePower(x.Cell(r, c), y.Cell(r, c));
        return 0;
    }
    return ReportTypes(a, b);
}

namespace {
// A walk that saw the program's stop: the statement fails with the stop and
// drops the value it worked on.
int ArrayPowerStopped()
{
    NoteOutOfMemory();
    return 10;
}
}  // namespace

int ValueArrayPower(CValue& a, const CValue& b)
{
    bool as = IsScalar(a), bs = IsScalar(b);
    bool am = a.Type() == VT_MATRIX, bm = b.Type() == VT_MATRIX;
    if (as && bs) {
        ScalarPower(a, b);
        return 0;
    }
    if (as && bm) {
        const CValueMatrix& y = b.Matrix();
        CValue out;
        CValueMatrix& o = out.MakeMatrix(y.Rows(), y.Cols());
        int st = 0;
        CEachCell each;
        for (int r = 0; r < y.Rows() && !st; ++r)
            for (int c = 0; c < y.Cols() && !st; ++c) {
                if (each.Stopped()) return ArrayPowerStopped();
                CValue cell(a);
                st = ValueArrayPower(cell, y.Cell(r, c));
                o.Cell(r, c).Swap(cell);
            }
        a.Swap(out);
        return st;
    }
    if (am && bs) {
        CValueMatrix& x = a.Matrix();
        CEachCell each;
        for (int r = 0; r < x.Rows(); ++r)
            for (int c = 0; c < x.Cols(); ++c) {
                if (each.Stopped()) return ArrayPowerStopped();
                if (int st = ValueArrayPower(x.Cell(r, c), b)) return st;
            }
        return 0;
    }
    if (am && bm) {
        CValueMatrix& x = a.Matrix();
        const CValueMatrix& y = b.Matrix();
        if (x.Rows() != y.Rows() || x.Cols() != y.Cols()) return ReportShapes();
        CEachCell each;
        for (int r = 0; r < x.Rows(); ++r)
            for (int c = 0; c < x.Cols(); ++c) {
                if (each.Stopped()) return ArrayPowerStopped();
                if (int st = ValueArrayPower(x.Cell(r, c), y.Cell(r, c))) return st;
            }
        return 0;
    }
    return ReportTypes(a, b);
}

// The value-cell families throughout: matrix cells keep their own kinds instead
// of coming back as Complex cells of the numeric path.
CValue ValuePowerOf(const CValue& a, const CValue& b)
{
    bool as = IsScalar(a), bs = IsScalar(b);
    bool am = a.Type() == VT_MATRIX, bm = b.Type() == VT_MATRIX;
    CValue r;
    if (as && bs) {
        r = a;
        ScalarPower(r, b);
    } else if (as && bm) {
        r.MakeMatrix(0, 0) = PowerResultMatrix(a, b.Matrix());
    } else if (am && bs) {
        r.MakeMatrix(0, 0) = PowerResultMatrix(a.Matrix(), b);
    } else if (am && bm) {
        r.MakeMatrix(0, 0) = PowerResultMatrix(a.Matrix(), b.Matrix());
    } else {
        ReportTypes(a, b);
    }
    return r;
}
