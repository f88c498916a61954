#include "values/numeric_path.h"

#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/real_cells.h"
#include "values/value_matrix.h"

#include <cmath>
#include <memory>
#include <new>
#include <vector>

namespace {

// Real cells (or Complex ones of imaginary part 0) that are all finite, as the
// complex road finds them before it calls dgemm: gathered straight into the arrays the library
// takes, and the result written as the complex road writes it (Complex cells
// with +0 imaginary parts). False when the road is another.
bool RealCellProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    const int m = a.Rows(), k = a.Cols(), n = b.Cols();
    if (k != b.Rows() || m == 0 || k == 0 || n == 0) return false;
    // Every element is written before it is read: no zeroing pass.
    std::unique_ptr<double[]> buf(new (std::nothrow) double[(size_t)m * k + (size_t)k * n + (size_t)m * n]);
    if (!buf) return false;
    double *A = buf.get(), *B = A + (size_t)m * k, *C = B + (size_t)k * n;
    auto gather = [](const CValueMatrix& v, double* out) {
        for (int i = 0; i < v.Rows(); ++i) {
            const CValue* row = v.Row(i);
            for (int j = 0; j < v.Cols(); ++j) {
                double x;
                if (row[j].Tag() == VT_REAL) {
                    x = row[j].Real();
                } else if (row[j].Tag() == VT_COMPLEX && row[j].ComplexRef().im == 0.0) {
                    x = row[j].ComplexRef().re;  // what the complex road reads of it
                } else {
                    return false;
                }
                if (!std::isfinite(x)) return false;
                *out++ = x;
            }
        }
        return true;
    };
    if (!gather(a, A)) return false;
    if (&a == &b)
        B = A;  // x * x: one gathering serves both sides
    else if (!gather(b, B))
        return false;
    if (!RealArrayProduct(A, B, C, m, k, n)) return false;
    CValueMatrix r;
    if (!ShapeWithUnsetCells(r, m, n)) return false;
    CComplexCells cells;
    for (int i = 0; i < m; ++i) {
        CValue* row = r.Row(i);
        for (int j = 0; j < n; ++j) {
            const Complex z(C[(size_t)i * n + j], 0.0);
            if (!cells.Make(row[j], z)) {
                new (row + j) CValue();
                row[j].SetComplex(z);
            }
        }
    }
    result.Swap(r);
    return true;
}

}  // namespace

bool RealCellMatrixProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    return RealCellProduct(a, b, result);
}

int NumericMatrixProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    if (RealCellProduct(a, b, result)) return 0;
    CComplexMatrix x, y;
    ValueToComplexMatrix(a, x);
    ValueToComplexMatrix(b, y);
    if (x.Cols() != y.Rows() && x.Cols() == y.Cols() && x.Rows() == y.Rows()) {
        for (int i = 0; i < x.Rows(); ++i)
            for (int j = 0; j < x.Cols(); ++j) x.Cell(i, j) *= y.Cell(i, j);
    } else if (int st = x.Multiply(y)) {
        return st;
    }
    ComplexMatrixToValue(x, result);
    return 0;
}

int NumericScalarOverMatrix(const Complex& s, const CValueMatrix& b, CValueMatrix& result)
{
    CComplexMatrix y, x;
    ValueToComplexMatrix(b, y);
    if (int st = x.ScalarOver(s, y)) return st;
    ComplexMatrixToValue(x, result);
    return 0;
}

int NumericMatrixDivideRight(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    CComplexMatrix x, y;
    ValueToComplexMatrix(a, x);
    ValueToComplexMatrix(b, y);
    if (int st = x.DivideRight(y)) return st;
    ComplexMatrixToValue(x, result);
    return 0;
}
