#include "values/numeric_path.h"

#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

#include <cmath>
#include <memory>
#include <new>
#include <vector>

namespace {

// Reads the cells the way the complex road does before it calls dgemm: Real
// cells, and Complex ones of imaginary part 0; false at anything else or at a
// number that is not finite.
bool GatherRealCells(const CValueMatrix& v, double* out)
{
    for (int i = 0; i < v.Rows(); ++i) {
        const CValue* row = v.Row(i);
        for (int j = 0; j < v.Cols(); ++j) {
            double x;
            if (row[j].Tag() == VT_REAL) {
                x = row[j].Real();
            } else if (row[j].Tag() == VT_COMPLEX && row[j].ComplexRef().im == 0.0) {
                x = row[j].ComplexRef().re;
            } else {
                return false;
            }
            if (!std::isfinite(x)) return false;
            *out++ = x;
        }
    }
    return true;
}

// Real cells (or Complex ones of imaginary part 0) that are all finite, as the
// complex road finds them before it calls dgemm: gathered straight into the
// arrays the library takes, and the result written as the complex road writes
// it (Complex cells with +0 imaginary parts). False when the road is another.
//
// A large result carves its payloads in one run, and the run's memory first
// holds the work arrays: C in its upper half, an operand in its lower half.
// Writing payload i in increasing order covers only C elements up to i, all
// read already; so the product needs no fresh memory beyond its result.
bool RealCellProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    const int m = a.Rows(), k = a.Cols(), n = b.Cols();
    if (k != b.Rows() || m == 0 || k == 0 || n == 0) return false;
    const bool same = &a == &b;  // x * x: one gathering serves both sides
    const size_t mk = (size_t)m * k, kn = (size_t)k * n, mn = (size_t)m * n;
    // Packed operands go to the library as they are, after the gathering's finiteness test.
    const double* pa = a.PackedData();
    const double* pb = same ? nullptr : b.PackedData();
    auto finite = [](const double* p, size_t count) {
        for (size_t i = 0; i < count; ++i)
            if (!std::isfinite(p[i])) return false;
        return true;
    };
    if ((pa && !finite(pa, mk)) || (pb && !finite(pb, kn))) return false;
    CComplexRun run(mn);
    double* low = reinterpret_cast<double*>(run.First());
    const bool aLow = !pa && low && mk <= mn;
    const bool bLow = !pb && low && !aLow && !same && kn <= mn;
    // Every element is written before it is read: no zeroing pass.
    const size_t rest = (aLow || pa ? 0 : mk) + (same || bLow || pb ? 0 : kn) + (low ? 0 : mn);
    std::unique_ptr<double[]> buf(rest ? new (std::nothrow) double[rest] : nullptr);
    if (rest && !buf) return false;
    double* next = buf.get();
    auto take = [&next](size_t count) {
        double* p = next;
        next += count;
        return p;
    };
    double* A = pa ? nullptr : aLow ? low : take(mk);
    double* B = same || pb ? nullptr : bLow ? low : take(kn);
    double* C = low ? low + mn : take(mn);
    if (A && !GatherRealCells(a, A)) return false;
    if (B && !GatherRealCells(b, B)) return false;
    const double* ra = pa ? pa : A;
    const double* rb = same ? ra : pb ? pb : B;
    if (!RealArrayProduct(ra, rb, C, m, k, n)) return false;
    CValueMatrix r;
    if (!ShapeWithUnsetCells(r, m, n)) return false;
    if (Complex* payload = run.First()) {
        run.Release();
        const double* c = C;
        for (int i = 0; i < m; ++i) {
            CValue* row = r.Row(i);
            for (int j = 0; j < n; ++j, ++payload) {
                const double x = *c++;  // read before its place is written
                *payload = Complex(x, 0.0);
                CComplexCells::Adopt(row[j], payload);
            }
        }
        result.Swap(r);
        return true;
    }
    CComplexCells cells;
    for (int i = 0; i < m; ++i) {
        CValue* row = r.Row(i);
        for (int j = 0; j < n; ++j) {
            const Complex z(C[(size_t)i * n + j], 0.0);
            cells.MakeUnset(row[j], z);
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
    // A stop between the bands of a long product: not done again the slow way.
    if (ThreadStopRequested()) return 25;
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
