// In-place loops that apply an arithmetic operator cell by cell, row-major.
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"

namespace {

constexpr int kReported = 10;

using CellOp = int (*)(CValue&, const CValue&);

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Cols() == b.Cols() && a.Rows() == b.Rows();
}

// stopAtFailure: the element-wise product and quotient stop at a failing cell;
// the plain operators report per cell and go on.
int WithMatrix(CValueMatrix& a, const CValueMatrix& b, CellOp op, const char* shapeText, bool stopAtFailure)
{
    if (!SameShape(a, b)) {
        ReportError() << shapeText;
        return kReported;
    }
    for (int r = 0; r < a.Rows(); ++r)
        for (int c = 0; c < a.Cols(); ++c) {
            int st = op(a.Cell(r, c), b.Cell(r, c));
            if (st && stopAtFailure) return st;
        }
    return 0;
}

int WithScalar(CValueMatrix& a, const CValue& s, CellOp op, bool stopAtFailure)
{
    for (int r = 0; r < a.Rows(); ++r)
        for (int c = 0; c < a.Cols(); ++c) {
            int st = op(a.Cell(r, c), s);
            if (st && stopAtFailure) return st;
        }
    return 0;
}

int ScalarWith(CValueMatrix& dest, const CValue& s, const CValueMatrix& m, CellOp op, bool stopAtFailure)
{
    if (&dest == &m) {
        CValueMatrix copy(m);
        return ScalarWith(dest, s, copy, op, stopAtFailure);
    }
    CValue scalar(s);  // s may be a cell of dest
    dest.Resize(m.Rows(), m.Cols());
    for (int r = 0; r < dest.Rows(); ++r)
        for (int c = 0; c < dest.Cols(); ++c) {
            CValue& cell = dest.Cell(r, c);
            cell = scalar;
            int st = op(cell, m.Cell(r, c));
            if (st && stopAtFailure) return st;
        }
    return 0;
}

}  // namespace

int MatrixAddMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix(a, b, ValueAdd, "Addition, matrices must be a same sizes", false);
}

int MatrixSubMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix(a, b, ValueSub, "Subtraction, matrices must be a same sizes", false);
}

int MatrixElemMulMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix(a, b, ValueElemMul, "Multiplication, matrix dimensions must be an agree", true);
}

int MatrixElemDivMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix(a, b, ValueElemDiv, "Division, matrix dimensions must be an agree", true);
}

int MatrixAddScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueAdd, false); }
int MatrixSubScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueSub, false); }
int MatrixMulScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueMul, false); }
int MatrixDivScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueDiv, false); }
int MatrixElemMulScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueElemMul, true); }
int MatrixElemDivScalar(CValueMatrix& a, const CValue& s) { return WithScalar(a, CValue(s), ValueElemDiv, true); }

int ScalarAddMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith(dest, s, m, ValueAdd, false);
}

int ScalarSubMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith(dest, s, m, ValueSub, false);
}

int ScalarMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith(dest, s, m, ValueMul, false);
}

int ScalarElemMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith(dest, s, m, ValueElemMul, true);
}

int ScalarElemDivMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith(dest, s, m, ValueElemDiv, true);
}
