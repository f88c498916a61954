// Value-matrix members built on the value operators: sums, products and quotients,
// and the pivot step of the determinant.
#include <cmath>
#include <utility>

#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/complex.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Cols() == b.Cols() && a.Rows() == b.Rows();
}

// The Real one exactly: the scaling of an inverse is skipped for it.
bool IsExactOne(const CValue& s)
{
    return s.IsNumber() && s.GetComplex().re == 1.0 && s.GetComplex().im == 0.0;
}

}  // namespace

int CValueMatrix::Trace(CValue& out) const
{
    int n = m_nRows < m_nCols ? m_nRows : m_nCols;
    if (n == 0) {
        out.SetReal(0.0);
        return 0;
    }
    CValue acc(Cell(0, 0));
    for (int k = 1; k < n; ++k) ValueAdd(acc, Cell(k, k));
    out.Swap(acc);
    return 0;
}

int CValueMatrix::SumAll(CValue& out) const
{
    CValue acc(0.0);
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) ValueAdd(acc, Cell(r, c));
    out.Swap(acc);
    return 0;
}

int CValueMatrix::Multiply(const CValueMatrix& b)
{
    if (m_nCols != b.Rows()) {
        if (!SameShape(*this, b)) {
            ReportError() << "Multiplication, matrix dimensions must be an agree";
            return kReported;
        }
        if (&b == this) {
            CValueMatrix copy(b);
            return Multiply(copy);
        }
        for (int r = 0; r < m_nRows; ++r)
            for (int c = 0; c < m_nCols; ++c) ValueMul(Cell(r, c), b.Cell(r, c));
        return 0;
    }
    CValueMatrix product = MatrixProduct(*this, b);
    Swap(product);
    return 0;
}

int CValueMatrix::ScalarDivide(const CValue& s, const CValueMatrix& m)
{
    if (&m == this) {
        CValueMatrix copy(m);
        return ScalarDivide(s, copy);
    }
    CValue scalar(s);  // s may be one of our cells
    if (m.Rows() == m.Cols() && m.Rows() != 1) {
        *this = m;
        if (int st = Invert()) return st;
        if (!IsExactOne(scalar))
            for (int r = 0; r < m_nRows; ++r)
                for (int c = 0; c < m_nCols; ++c) ValueMul(Cell(r, c), scalar);
        return 0;
    }
    Resize(m.Rows(), m.Cols());
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) Cell(r, c) = ValueQuotient(scalar, m.Cell(r, c));
    return 0;
}

int CValueMatrix::DivideRight(const CValueMatrix& b)
{
    if ((m_nRows == 1 || m_nCols == 1) && SameShape(*this, b)) {
        if (&b == this) {
            CValueMatrix copy(b);
            return DivideRight(copy);
        }
        for (int r = 0; r < m_nRows; ++r)
            for (int c = 0; c < m_nCols; ++c) ValueDiv(Cell(r, c), b.Cell(r, c));
        return 0;
    }
    CValueMatrix w(b);
    if (int st = w.Invert()) return st;
    return Multiply(w);
}

int CValueMatrix::SwapPivotRow(int k)
{
    // The largest modulus wins; the first of equals stays.
    if (k < 0 || k >= m_nRows || k >= m_nCols) return -1;
    CValue best(-1.0);
    int pivot = k;
    for (int r = k; r < m_nRows; ++r) {
        const CValue& cell = Cell(r, k);
        if (!cell.IsNumber()) continue;
        CValue mag(cell.Type() == VT_REAL ? std::fabs(cell.Real()) : ComplexAbsOf(cell.ComplexRef()));
        if (ValueGreater(mag, best) && ValueNotEqualsReal(mag, 0.0)) {
            best = mag;
            pivot = r;
        }
    }
    if (ValueEqualsReal(Cell(pivot, k), 0.0)) return -1;
    if (pivot == k) return 0;
    SwapRows(pivot, k);
    return pivot;
}
