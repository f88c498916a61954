#include "values/matrix_conversions.h"

#include <new>

#include "values/numeric_matrix.h"

namespace {
// Column-major walk shared by the classifying conversions. Fills whichever of the
// two arrays is wanted; drops the real array at the first non-zero imaginary part
// when keepRealOnComplex is false.
int Classify(const CValueMatrix& m, Complex** cplx, double** real, bool realOnly, bool keepRealOnComplex)
{
    if (cplx) *cplx = nullptr;
    if (real) *real = nullptr;
    if (m.IsEmpty()) return 0;
    const size_t rows = (size_t)m.Rows(), cols = (size_t)m.Cols();
    const size_t count = rows * cols;
    Complex* c = cplx ? new (std::nothrow) Complex[count] : nullptr;
    double* d = real ? new (std::nothrow) double[count] : nullptr;
    if ((cplx && !c) || (real && !d)) {
        delete[] c;
        delete[] d;
        return 0;
    }
    int result = 1;
    size_t k = 0;
    for (size_t j = 0; j < cols; ++j)
        for (size_t i = 0; i < rows; ++i, ++k) {
            const CValue& v = m.Cell((int)i, (int)j);
            Complex z;
            if (v.Type() == VT_REAL)
                z = Complex{v.Real(), 0.0};
            else if (v.Type() == VT_COMPLEX)
                z = v.ComplexRef();
            else {
                delete[] c;
                delete[] d;
                return 0;
            }
            if (z.im != 0.0) {
                if (realOnly) {
                    delete[] c;
                    delete[] d;
                    return 0;
                }
                if (result == 1 && d && !keepRealOnComplex) {
                    delete[] d;
                    d = nullptr;
                }
                result = 2;
            }
            if (c) c[k] = z;
            if (d) d[k] = z.re;
        }
    if (cplx) *cplx = c;
    if (real) *real = d;
    return result;
}
}  // namespace

int ValueMatrixToRealArray(const CValueMatrix& m, double*& out)
{
    return Classify(m, nullptr, &out, true, false);
}

int ValueMatrixToArray(const CValueMatrix& m, Complex*& out)
{
    return Classify(m, &out, nullptr, false, false);
}

int ValueMatrixToRealOrComplexArray(const CValueMatrix& m, Complex*& cplx, double*& real)
{
    int r = Classify(m, &cplx, &real, false, false);
    if (r == 1) {
        delete[] cplx;
        cplx = nullptr;
    }
    return r;
}

int ValueMatrixToBothArrays(const CValueMatrix& m, Complex*& cplx, double*& real)
{
    return Classify(m, &cplx, &real, false, true);
}

int64_t ArrayToValueMatrix(const Complex* a, int m, int n, CValueMatrix& out)
{
    if (!out.Resize(m, n)) return 0;
    if (out.IsEmpty()) return 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < m; ++i) out.Cell(i, j).SetComplex(a[(size_t)j * m + i]);
    return (int64_t)m * n;
}

int64_t RealArrayToValueMatrix(const double* a, int m, int n, CValueMatrix& out)
{
    if (!out.Resize(m, n)) return 0;
    if (out.IsEmpty()) return 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < m; ++i) out.Cell(i, j).SetReal(a[(size_t)j * m + i]);
    return (int64_t)m * n;
}

int64_t ConjArrayToValueMatrix(const Complex* a, int rows, int cols, CValueMatrix& out)
{
    if (!out.Resize(rows, cols)) return 0;
    if (out.IsEmpty()) return 0;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            const Complex& z = a[(size_t)i * cols + j];
            out.Cell(i, j).SetComplex(Complex{z.re, -z.im});
        }
    return (int64_t)rows * cols;
}

int ValueToComplexMatrix(const CValueMatrix& m, CComplexMatrix& out)
{
    out.Resize(m.Rows(), m.Cols());
    if (out.Rows() != m.Rows() || out.Cols() != m.Cols()) return 0;
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) {
            const CValue& v = m.Cell(i, j);
            if (v.Type() == VT_REAL)
                out.Cell(i, j) = Complex{v.Real(), 0.0};
            else if (v.Type() == VT_COMPLEX)
                out.Cell(i, j) = v.ComplexRef();
            else
                return 0;
        }
    return 1;
}

void ComplexMatrixToValue(const CComplexMatrix& m, CValueMatrix& out)
{
    if (!out.Resize(m.Rows(), m.Cols())) return;
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) out.Cell(i, j).SetComplex(m.Cell(i, j));
}
