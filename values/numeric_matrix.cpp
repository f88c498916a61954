// Storage, shape builders, arithmetic and column-major copies of the numeric matrices.
#include "values/numeric_matrix.h"

#include <new>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "values/lapack.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"

namespace {

template <class T>
T* AllocRow(int n, const T& v)
{
    if (n < 1) return nullptr;
    T* p = static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(n)));
    for (int i = 0; i < n; i++) p[i] = v;
    return p;
}

template <class T>
T* ReallocRow(T* row, int oldN, int newN, const T& v)
{
    if (newN < 1) {
        std::free(row);
        return nullptr;
    }
    if (oldN < 0) oldN = 0;
    T* p = static_cast<T*>(std::realloc(row, sizeof(T) * static_cast<size_t>(newN)));
    for (int i = oldN; i < newN; i++) p[i] = v;
    return p;
}

// The storage rules shared by both matrix kinds.
template <class T>
struct Store {
    static void Free(T**& rows, int32_t& nCols, int32_t& nRows)
    {
        if (rows) {
            for (int i = 0; i < nRows; i++) std::free(rows[i]);
            std::free(rows);
        }
        rows = nullptr;
        nCols = nRows = 0;
    }

    static void Make(T**& rows, int32_t& nCols, int32_t& nRows, int r, int c, const T& v)
    {
        rows = nullptr;
        nCols = nRows = 0;
        if (r < 1 || c < 1) return;
        rows = static_cast<T**>(std::malloc(sizeof(T*) * static_cast<size_t>(r)));
        for (int i = 0; i < r; i++) rows[i] = AllocRow(c, v);
        nCols = c;
        nRows = r;
    }

    static void Copy(T**& rows, int32_t& nCols, int32_t& nRows, T* const* src, int r, int c)
    {
        rows = nullptr;
        nCols = nRows = 0;
        if (r < 1 || c < 1) return;
        rows = static_cast<T**>(std::malloc(sizeof(T*) * static_cast<size_t>(r)));
        for (int i = 0; i < r; i++) {
            rows[i] = static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(c)));
            std::memcpy(static_cast<void*>(rows[i]), src[i], sizeof(T) * static_cast<size_t>(c));
        }
        nCols = c;
        nRows = r;
    }

    // Shrinking frees surplus rows first; growing appends rows after the kept ones.
    // With fillAll every cell becomes v, else only the new cells.
    static void Reshape(T**& rows, int32_t& nCols, int32_t& nRows, int r, int c, const T& v, bool fillAll)
    {
        if (r < 1 || c < 1) {
            Free(rows, nCols, nRows);
            return;
        }
        if (nCols == 0) {
            Free(rows, nCols, nRows);
            Make(rows, nCols, nRows, r, c, v);
            return;
        }
        for (int i = r; i < nRows; i++) std::free(rows[i]);
        int kept = nRows < r ? nRows : r;
        rows = static_cast<T**>(std::realloc(rows, sizeof(T*) * static_cast<size_t>(r)));
        for (int i = 0; i < kept; i++) {
            if (c != nCols) rows[i] = ReallocRow(rows[i], nCols, c, v);
            if (fillAll)
                for (int j = 0; j < c; j++) rows[i][j] = v;
        }
        for (int i = kept; i < r; i++) rows[i] = AllocRow(c, v);
        nCols = c;
        nRows = r;
    }
};

using RealStore = Store<double>;
using ComplexStore = Store<Complex>;

const Complex kZero;
const Complex kOne(1.0, 0.0);

}  // namespace

double* AllocFilledDoubles(int n, double v) { return AllocRow(n, v); }
double* ReallocFilledDoubles(double* row, int oldN, int newN, double v) { return ReallocRow(row, oldN, newN, v); }
Complex* AllocComplexRow(int n, const Complex& v) { return AllocRow(n, v); }
Complex* ReallocComplexRow(Complex* row, int oldN, int newN, const Complex& v)
{
    return ReallocRow(row, oldN, newN, v);
}
void FreeComplexArray(Complex* p) { std::free(p); }

// ---- CRealMatrix ----

CRealMatrix::CRealMatrix(int rows, int cols) { RealStore::Make(m_pRows, m_nCols, m_nRows, rows, cols, 0.0); }
CRealMatrix::CRealMatrix(int rows, int cols, double fill)
{
    RealStore::Make(m_pRows, m_nCols, m_nRows, rows, cols, fill);
}
CRealMatrix::CRealMatrix(const CRealMatrix& src)
{
    RealStore::Copy(m_pRows, m_nCols, m_nRows, src.m_pRows, src.m_nRows, src.m_nCols);
}
CRealMatrix::CRealMatrix(CRealMatrix&& src) noexcept { Swap(src); }
CRealMatrix& CRealMatrix::operator=(const CRealMatrix& src)
{
    if (this != &src) {
        CRealMatrix t(src);
        Swap(t);
    }
    return *this;
}
CRealMatrix& CRealMatrix::operator=(CRealMatrix&& src) noexcept
{
    if (this != &src) {
        Free();
        Swap(src);
    }
    return *this;
}
void CRealMatrix::Fill(int rows, int cols, double value)
{
    RealStore::Reshape(m_pRows, m_nCols, m_nRows, rows, cols, value, true);
}
void CRealMatrix::Resize(int rows, int cols)
{
    if (rows == m_nRows && cols == m_nCols) return;
    RealStore::Reshape(m_pRows, m_nCols, m_nRows, rows, cols, 0.0, false);
}
void CRealMatrix::Free() { RealStore::Free(m_pRows, m_nCols, m_nRows); }
void CRealMatrix::Swap(CRealMatrix& o) noexcept
{
    std::swap(m_pRows, o.m_pRows);
    std::swap(m_nCols, o.m_nCols);
    std::swap(m_nRows, o.m_nRows);
}

double CRealMatrix::OneNorm() const
{
    double best = 0.0;
    for (int j = 0; j < m_nCols; j++) {
        double s = 0.0;
        for (int i = 0; i < m_nRows; i++) s += std::fabs(m_pRows[i][j]);
        if (j == 0 || s > best) best = s;
    }
    return best;
}

double& CRealMatrix::MaxElement() const
{
    static thread_local double zero;
    if (IsEmpty()) {
        ReportError() << "Argument of max function is non-empty matrix";
        zero = 0.0;
        return zero;
    }
    double* best = &m_pRows[0][0];
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++)
            if (m_pRows[i][j] > *best) best = &m_pRows[i][j];
    return *best;
}

// ---- CComplexMatrix: storage ----

CComplexMatrix::CComplexMatrix(int rows, int cols)
{
    ComplexStore::Make(m_pRows, m_nCols, m_nRows, rows, cols, kZero);
}
CComplexMatrix::CComplexMatrix(int rows, int cols, const Complex& fill)
{
    ComplexStore::Make(m_pRows, m_nCols, m_nRows, rows, cols, fill);
}
CComplexMatrix::CComplexMatrix(const CComplexMatrix& src)
{
    ComplexStore::Copy(m_pRows, m_nCols, m_nRows, src.m_pRows, src.m_nRows, src.m_nCols);
}
CComplexMatrix::CComplexMatrix(CComplexMatrix&& src) noexcept { Swap(src); }
CComplexMatrix& CComplexMatrix::operator=(const CComplexMatrix& src)
{
    if (this != &src) {
        CComplexMatrix t(src);
        Swap(t);
    }
    return *this;
}
CComplexMatrix& CComplexMatrix::operator=(CComplexMatrix&& src) noexcept
{
    if (this != &src) {
        Free();
        Swap(src);
    }
    return *this;
}
void CComplexMatrix::Fill(int rows, int cols, const Complex& value)
{
    ComplexStore::Reshape(m_pRows, m_nCols, m_nRows, rows, cols, value, true);
}
void CComplexMatrix::Resize(int rows, int cols)
{
    if (rows == m_nRows && cols == m_nCols) return;
    ComplexStore::Reshape(m_pRows, m_nCols, m_nRows, rows, cols, kZero, false);
}
void CComplexMatrix::Free() { ComplexStore::Free(m_pRows, m_nCols, m_nRows); }
void CComplexMatrix::Swap(CComplexMatrix& o) noexcept
{
    std::swap(m_pRows, o.m_pRows);
    std::swap(m_nCols, o.m_nCols);
    std::swap(m_nRows, o.m_nRows);
}

Complex* CComplexMatrix::At(int i, int j)
{
    if (i < 0 || j < 0) return nullptr;
    if (i >= m_nRows || j >= m_nCols) Resize(i >= m_nRows ? i + 1 : m_nRows, j >= m_nCols ? j + 1 : m_nCols);
    return &m_pRows[i][j];
}

// ---- CComplexMatrix: shape builders ----

void CComplexMatrix::MakeIdentity()
{
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++) m_pRows[i][j] = i == j ? kOne : kZero;
}

void CComplexMatrix::MakeDiag(const Complex* v, int n, int k)
{
    int ak = k < 0 ? -k : k;
    int size = n + ak;
    Fill(size, size, kZero);
    for (int i = 0; i < n; i++) {
        if (k >= 0)
            m_pRows[i][i + k] = v[i];
        else
            m_pRows[i + ak][i] = v[i];
    }
}

void CComplexMatrix::Triu(int k)
{
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++)
            if (static_cast<int64_t>(i) > static_cast<int64_t>(j) - k) m_pRows[i][j] = kZero;
}

void CComplexMatrix::CopyBlock(const CComplexMatrix& src, int row0, int col0, int rows, int cols)
{
    // Clip to the source so that a block reaching outside copies what exists.
    if (row0 < 0 || col0 < 0) rows = cols = 0;
    if (rows > src.m_nRows - row0) rows = src.m_nRows - row0;
    if (cols > src.m_nCols - col0) cols = src.m_nCols - col0;
    CComplexMatrix t(rows, cols);
    for (int i = 0; i < t.m_nRows; i++)
        for (int j = 0; j < t.m_nCols; j++) t.m_pRows[i][j] = src.m_pRows[row0 + i][col0 + j];
    Swap(t);
}

void CComplexMatrix::ConjTranspose(CComplexMatrix& out) const
{
    CComplexMatrix t(m_nCols, m_nRows);
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++) ComplexConj(t.m_pRows[j][i], m_pRows[i][j]);
    out.Swap(t);
}

int CComplexMatrix::Transpose()
{
    if (IsEmpty()) {
        ReportError() << "Argument of transpose function is non-empty matrix";
        return 10;
    }
    if (m_nRows == m_nCols) {
        for (int i = 0; i < m_nRows; i++) {
            ComplexConj(m_pRows[i][i], m_pRows[i][i]);
            for (int j = i + 1; j < m_nCols; j++) {
                Complex a = m_pRows[i][j];
                ComplexConj(m_pRows[i][j], m_pRows[j][i]);
                ComplexConj(m_pRows[j][i], a);
            }
        }
        return 0;
    }
    CComplexMatrix t;
    ConjTranspose(t);
    Swap(t);
    return 0;
}

CComplexMatrix CComplexMatrix::RealPart() const
{
    CComplexMatrix t(m_nRows, m_nCols);
    for (int i = 0; i < t.m_nRows; i++)
        for (int j = 0; j < t.m_nCols; j++) t.m_pRows[i][j].re = m_pRows[i][j].re;
    return t;
}

CComplexMatrix CComplexMatrix::ImagPart() const
{
    CComplexMatrix t(m_nRows, m_nCols);
    for (int i = 0; i < t.m_nRows; i++)
        for (int j = 0; j < t.m_nCols; j++) t.m_pRows[i][j].re = m_pRows[i][j].im;
    return t;
}

CComplexMatrix CComplexMatrix::Scaled(const Complex& c) const
{
    CComplexMatrix t(*this);
    for (int i = 0; i < t.m_nRows; i++)
        for (int j = 0; j < t.m_nCols; j++) t.m_pRows[i][j] *= c;
    return t;
}

// ---- CComplexMatrix: arithmetic ----

int CComplexMatrix::operator+=(const CComplexMatrix& b)
{
    if (m_nRows != b.m_nRows || m_nCols != b.m_nCols) {
        ReportError() << "Addition, matrices must be a same sizes";
        return 10;
    }
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++) m_pRows[i][j] += b.m_pRows[i][j];
    return 0;
}

int CComplexMatrix::operator-=(const CComplexMatrix& b)
{
    if (m_nRows != b.m_nRows || m_nCols != b.m_nCols) {
        ReportError() << "Subtraction, matrices must be a same sizes";
        return 10;
    }
    for (int i = 0; i < m_nRows; i++)
        for (int j = 0; j < m_nCols; j++) m_pRows[i][j] -= b.m_pRows[i][j];
    return 0;
}

CComplexMatrix operator-(const CComplexMatrix& a, const CComplexMatrix& b)
{
    CComplexMatrix t(a);
    if (t -= b) return CComplexMatrix();
    return t;
}

namespace {
// Products at least this large (m n k) go to BLAS when every cell is finite;
// the result differs from the loop below by rounding only. Smaller ones and
// products with infinities or NaN keep the loop's exact IEEE behaviour.
constexpr int64_t kBlasProductWork = 32 * 32 * 32;

// Long products run in bands of rows so that Stop is seen between bands: a
// band does about 1e9 multiply-adds, but has at least 256 rows (each band
// packs the whole right operand again).
int ProductBandRows(int m, int k, int n)
{
    const int64_t perRow = std::max<int64_t>(1, (int64_t)k * n);
    const int64_t rows = std::max<int64_t>(256, 1000000000 / perRow);
    return (int)std::min<int64_t>(rows, std::max(m, 1));
}

// C = A B (row-major, A m x k) band by band; false when a stop cut it short.
template <class T, class Gemm>
bool BandedProduct(Gemm gemm, const T* A, const T* B, T* C, int m, int k, int n, const T& one, const T& zero)
{
    const char N = 'N';
    const int band = ProductBandRows(m, k, n);
    for (int i = 0; i < m; i += band) {
        if (i > 0 && ThreadStopRequested()) return false;
        const int rows = std::min(band, m - i);
        gemm(&N, &N, &n, &rows, &k, &one, B, &n, A + (size_t)i * k, &k, &zero, C + (size_t)i * n, &n, 1, 1);
    }
    return true;
}

// Row-major copy of the cells (cplx) or of their real parts (real) into one
// block; false when some cell is not finite, or for real, not real-valued.
bool GatherFinite(const CComplexMatrix& m, Complex* cplx, double* real)
{
    size_t k = 0;
    for (int i = 0; i < m.m_nRows; i++) {
        const Complex* row = m.m_pRows[i];
        for (int j = 0; j < m.m_nCols; j++, k++) {
            const Complex z = row[j];
            if (!std::isfinite(z.re) || !std::isfinite(z.im)) return false;
            if (real) {
                if (z.im != 0.0) return false;
                real[k] = z.re;
            } else {
                cplx[k] = z;
            }
        }
    }
    return true;
}

bool HasImaginary(const CComplexMatrix& m)
{
    for (int i = 0; i < m.m_nRows; i++)
        for (int j = 0; j < m.m_nCols; j++)
            if (m.m_pRows[i][j].im != 0.0) return true;
    return false;
}

// t = a * b through dgemm/zgemm; false (t untouched) when the cells do not allow it.
// Row-major C = A B is column-major C' = B' A'. *stopped tells a stop.
bool BlasProduct(const CComplexMatrix& a, const CComplexMatrix& b, CComplexMatrix& t, bool& stopped)
{
    const int m = a.m_nRows, k = a.m_nCols, n = b.m_nCols;
    if ((int64_t)m * n * k < kBlasProductWork) return false;
    const size_t sa = (size_t)m * k, sb = (size_t)k * n, sc = (size_t)m * n;
    if (!HasImaginary(a) && !HasImaginary(b)) {
        // Every imaginary part is zero: the loop's imaginary sums are exactly +0.
        double* buf = static_cast<double*>(std::malloc(sizeof(double) * (sa + sb + sc)));
        if (!buf) return false;
        double *A = buf, *B = buf + sa, *C = buf + sa + sb;
        if (!GatherFinite(a, nullptr, A) || !GatherFinite(b, nullptr, B)) {
            std::free(buf);
            return false;
        }
        const double one = 1.0, zero = 0.0;
        if (!BandedProduct(dgemm_, A, B, C, m, k, n, one, zero)) {
            std::free(buf);
            stopped = true;
            return false;
        }
        CComplexMatrix r(m, n);
        for (int i = 0; i < m; i++)
            for (int j = 0; j < n; j++) r.m_pRows[i][j] = Complex(C[(size_t)i * n + j], 0.0);
        std::free(buf);
        t.Swap(r);
        return true;
    }
    Complex* buf = static_cast<Complex*>(std::malloc(sizeof(Complex) * (sa + sb + sc)));
    if (!buf) return false;
    Complex *A = buf, *B = buf + sa, *C = buf + sa + sb;
    if (!GatherFinite(a, A, nullptr) || !GatherFinite(b, B, nullptr)) {
        std::free(buf);
        return false;
    }
    const Complex one(1.0, 0.0), zero(0.0, 0.0);
    if (!BandedProduct(zgemm_, A, B, C, m, k, n, one, zero)) {
        std::free(buf);
        stopped = true;
        return false;
    }
    CComplexMatrix r(m, n);
    for (int i = 0; i < m; i++) std::memcpy(r.m_pRows[i], C + (size_t)i * n, sizeof(Complex) * n);
    std::free(buf);
    t.Swap(r);
    return true;
}

// False (out untouched) when a stop cut the product short.
bool Product(const CComplexMatrix& a, const CComplexMatrix& b, CComplexMatrix& out)
{
    CComplexMatrix t;
    bool stopped = false;
    if (BlasProduct(a, b, t, stopped)) {
        out.Swap(t);
        return true;
    }
    if (stopped) return false;
    t = CComplexMatrix(a.m_nRows, b.m_nCols);
    for (int i = 0; i < a.m_nRows; i++) {
        if ((i & 63) == 63 && ThreadStopRequested()) return false;
        for (int j = 0; j < b.m_nCols; j++) {
            double sr = 0.0, si = 0.0;
            for (int k = 0; k < a.m_nCols; k++) {
                Complex p;
                ComplexProduct(p, a.m_pRows[i][k], b.m_pRows[k][j]);
                sr += p.re;
                si += p.im;
            }
            t.m_pRows[i][j] = Complex(sr, si);
        }
    }
    out.Swap(t);
    return true;
}

void ReportProductShape() { ReportError() << "Multiplication, matrix dimensions must be an agree"; }

constexpr int kProductStopped = 25;  // the stop status: the program was stopped
}  // namespace

bool RealArrayProduct(const double* A, const double* B, double* C, int m, int k, int n)
{
    if ((int64_t)m * n * k < kBlasProductWork) return false;
    const double one = 1.0, zero = 0.0;
    return BandedProduct(dgemm_, A, B, C, m, k, n, one, zero);
}

int CComplexMatrix::Multiply(const CComplexMatrix& b)
{
    if (m_nCols != b.m_nRows) {
        ReportProductShape();
        return 10;
    }
    return Product(*this, b, *this) ? 0 : kProductStopped;
}

CComplexMatrix operator*(const CComplexMatrix& a, const CComplexMatrix& b)
{
    CComplexMatrix t;
    if (a.m_nCols != b.m_nRows) {
        ReportProductShape();
        return t;
    }
    Product(a, b, t);
    return t;
}

int CComplexMatrix::DivideRight(const CComplexMatrix& b)
{
    bool vector = m_nRows == 1 || m_nCols == 1;
    if (vector && m_nRows == b.m_nRows && m_nCols == b.m_nCols) {
        for (int i = 0; i < m_nRows; i++)
            for (int j = 0; j < m_nCols; j++) m_pRows[i][j] /= b.m_pRows[i][j];
        return 0;
    }
    CComplexMatrix w(b);
    if (int st = w.Invert()) return st;  // this stays unchanged
    return Multiply(w);
}

int CComplexMatrix::ScalarOver(const Complex& s, const CComplexMatrix& m)
{
    if (m.m_nRows == m.m_nCols && m.m_nRows > 1) {
        CComplexMatrix w(m);
        if (int st = w.Invert()) return st;
        if (!(s.re == 1.0 && s.im == 0.0))
            for (int i = 0; i < w.m_nRows; i++)
                for (int j = 0; j < w.m_nCols; j++) w.m_pRows[i][j] *= s;
        Swap(w);
        return 0;
    }
    CComplexMatrix t(m.m_nRows, m.m_nCols);
    for (int i = 0; i < t.m_nRows; i++)
        for (int j = 0; j < t.m_nCols; j++) ComplexQuotient(t.m_pRows[i][j], s, m.m_pRows[i][j]);
    Swap(t);
    return 0;
}

// ---- Column-major copies ----

int PackColumnMajor(const CComplexMatrix& m, Complex** array)
{
    *array = nullptr;
    if (m.IsEmpty()) return 0;
    const size_t rows = static_cast<size_t>(m.m_nRows), cols = static_cast<size_t>(m.m_nCols);
    Complex* a = new (std::nothrow) Complex[rows * cols];
    if (!a) return 0;  // no memory: the caller sees a null array
    bool real = true;
    for (size_t j = 0; j < cols; j++)
        for (size_t i = 0; i < rows; i++) {
            const Complex& z = m.m_pRows[i][j];
            a[j * rows + i] = z;
            if (z.im != 0) real = false;
        }
    *array = a;
    return real ? 1 : 2;
}

int UnpackRealColumnMajor(const double* data, int m, int n, CRealMatrix& out)
{
    out.Resize(m, n);
    if (out.IsEmpty()) return 0;
    for (size_t j = 0; j < static_cast<size_t>(n); j++)
        for (size_t i = 0; i < static_cast<size_t>(m); i++) out.m_pRows[i][j] = data[j * m + i];
    return m * n;
}

int UnpackColumnMajor(const Complex* data, int m, int n, CComplexMatrix& out)
{
    out.Resize(m, n);
    if (out.IsEmpty()) return 0;
    for (size_t j = 0; j < static_cast<size_t>(n); j++)
        for (size_t i = 0; i < static_cast<size_t>(m); i++) out.m_pRows[i][j] = data[j * m + i];
    return m * n;
}

void UnpackTransposed(const Complex* data, int m, int n, CComplexMatrix& out)
{
    out.Resize(m, n);
    if (out.IsEmpty()) return;
    for (size_t i = 0; i < static_cast<size_t>(m); i++)
        for (size_t j = 0; j < static_cast<size_t>(n); j++) out.m_pRows[i][j] = data[i * n + j];
}
