// Drivers of LAPACK routines on numeric matrices, and our own xerbla_.
#include "values/lapack_drivers.h"

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "values/lapack.h"
#include "values/output_stream.h"
#include "values/random15.h"
#include "values/range_scaling.h"
#include "values/stop_probe.h"
#include "values/stoppable_call.h"
#include "values/real_cells.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

struct LapackArgumentError {
    bool set = false;
    char routine[16] = {0};
    int position = 0;
};
thread_local LapackArgumentError lastArgumentError;

// Spare cells after every array handed to LAPACK: some BLAS kernels read a
// vector's worth past the end of a matrix.

std::vector<Complex> Padded(size_t n, size_t leading = 0) { return std::vector<Complex>(n + LapackPadding(n, leading)); }

// Column-major copy of a matrix (with the spare cells).
std::vector<Complex> Pack(const CComplexMatrix& m)
{
    std::vector<Complex> a = Padded((size_t)m.Rows() * (size_t)m.Cols(), (size_t)m.Rows());
    for (int j = 0; j < m.Cols(); j++)
        for (int i = 0; i < m.Rows(); i++) a[(size_t)j * (size_t)m.Rows() + (size_t)i] = m.Cell(i, j);
    return a;
}

bool IsSquare(const CComplexMatrix& m) { return !m.IsEmpty() && m.Rows() == m.Cols(); }

}  // namespace

// LAPACK calls this on an invalid argument instead of stopping the process: the
// routine then returns with info < 0 and the driver reports it as a status.
// Programs load this library before LAPACK, so this definition is the one
// LAPACK's own calls resolve to (the argument-error test checks it).
extern "C" void xerbla_(const char* srname, const int* info, size_t srnameLen)
{
    LapackArgumentError& e = lastArgumentError;
    e.set = true;
    size_t n = srnameLen < sizeof(e.routine) - 1 ? srnameLen : sizeof(e.routine) - 1;
    if (!srname) n = 0;
    std::memcpy(e.routine, srname ? srname : "", n);
    while (n > 0 && e.routine[n - 1] == ' ') n--;
    e.routine[n] = '\0';
    e.position = info ? *info : 0;
}

bool TakeLapackArgumentError(std::string* routine, int* position)
{
    LapackArgumentError& e = lastArgumentError;
    if (!e.set) return false;
    if (routine) *routine = e.routine;
    if (position) *position = e.position;
    e = LapackArgumentError();
    return true;
}

namespace {

int SvdCall(const CComplexMatrix& A, bool vectors, CComplexMatrix* U, CRealMatrix& S, CComplexMatrix* V,
            bool diagonal)
{
    if (A.IsEmpty()) return 69;
    if (!AllFinite(A)) {
        // Without the vectors the values follow: the largest is INF (NAN when
        // a cell is NAN), the others are not defined.
        if (vectors) {
            ReportError() << "Svd: Matrix holds INF or NAN";
            return 10;
        }
        bool nan = false;
        for (int i = 0; i < A.Rows(); i++)
            for (int j = 0; j < A.Cols(); j++) nan = nan || std::isnan(A.Cell(i, j).re) || std::isnan(A.Cell(i, j).im);
        const int k = A.Rows() < A.Cols() ? A.Rows() : A.Cols();
        S.Fill(k, 1, std::nan(""));
        if (!nan) S.Cell(0, 0) = HUGE_VAL;
        return 0;
    }
    // Everything the routine touches belongs to the call, so that a stop may
    // leave it running (RunStoppable).
    struct Call {
        std::vector<Complex> a, work, u, vt;
        std::vector<double> s, rwork;
        int m, n, k, lda, ldu, ldvt, lwork, info = 0;
        bool vectors;
    };
    auto c = std::make_shared<Call>();
    c->a = Pack(A);
    c->m = A.Rows();
    c->n = A.Cols();
    c->k = c->m < c->n ? c->m : c->n;
    c->vectors = vectors;
    const int m = c->m, n = c->n, k = c->k;
    c->lda = m;
    c->ldu = m;
    c->ldvt = k;
    c->lwork = (m > n ? m : n) + 2 * k;
    c->s.resize(k + LapackPadding(k));
    c->rwork.resize(5 * (size_t)k + LapackPadding(5 * (size_t)k));
    c->work = Padded(c->lwork);
    c->u = Padded(vectors ? (size_t)m * k : 1, m);
    c->vt = Padded(vectors ? (size_t)k * n : 1, k);
    if (RunStoppable(IterativeCost((double)m * n * k), [c] {
            const char* job = c->vectors ? "S" : "N";
            zgesvd_(job, job, &c->m, &c->n, c->a.data(), &c->lda, c->s.data(), c->u.data(), &c->ldu, c->vt.data(),
                    &c->ldvt, c->work.data(), &c->lwork, c->rwork.data(), &c->info, 1, 1);
        }))
        return 25;
    const int info = c->info;
    const std::vector<double>& s = c->s;
    const std::vector<Complex>&u = c->u, &vt = c->vt;
    if (info > 0) {
        ReportError() << "Svd: Solution will not converge";
        return 10;
    }
    if (info < 0) {
        TakeLapackArgumentError(nullptr, nullptr);
        ReportError() << "Svd: One or more argument(s) has invalid value(s)";
        return 10;
    }
    if (diagonal) {
        S.Fill(k, k, 0.0);
        for (int i = 0; i < k; i++) S.Cell(i, i) = s[i];
    } else {
        UnpackRealColumnMajor(s.data(), k, 1, S);
    }
    if (vectors) {
        UnpackColumnMajor(u.data(), m, k, *U);
        // V = VT^H.
        UnpackTransposed(vt.data(), n, k, *V);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < k; j++) V->Cell(i, j).im = -V->Cell(i, j).im;
    }
    return 0;
}

}  // namespace

int LapackSvd(const CComplexMatrix& A, CComplexMatrix& U, CRealMatrix& S, CComplexMatrix& V)
{
    return SvdCall(A, true, &U, S, &V, true);
}

int LapackSvdValues(const CComplexMatrix& A, CRealMatrix& s)
{
    return SvdCall(A, false, nullptr, s, nullptr, false);
}

int LapackSchurScaled(const CComplexMatrix& A, CComplexMatrix& Q, CComplexMatrix& T, int& scale)
{
    scale = 0;
    if (!IsSquare(A)) {
        ReportError() << "Argument must be a square matrix";
        return 69;
    }
    if (!AllFinite(A)) {
        ReportError() << "Schur: Matrix holds INF or NAN";
        return 10;
    }
    struct Call {
        std::vector<Complex> h, w, work, tau, q;
        int n, ilo = 1, ihi, lda, lwork, info = 0;
    };
    auto c = std::make_shared<Call>();
    const int n = A.Rows();
    c->n = c->ihi = c->lda = n;
    c->lwork = 6 * n;
    c->h = Pack(A);
    const size_t cells = (size_t)n * (size_t)n;
    const int k = RangeExponent(LargestPart(c->h.data(), cells));
    ScaleCells(c->h.data(), cells, -k);
    c->w = Padded(n);
    c->work = Padded(c->lwork);
    c->tau = Padded(n > 1 ? n - 1 : 1);
    if (RunStoppable(IterativeCost(10.0 * n * n * n), [c] {
            const int n = c->n;
            zgehrd_(&c->n, &c->ilo, &c->ihi, c->h.data(), &c->lda, c->tau.data(), c->work.data(), &c->lwork,
                    &c->info);
            if (c->info == 0) {
                c->q = c->h;
                zunghr_(&c->n, &c->ilo, &c->ihi, c->q.data(), &c->lda, c->tau.data(), c->work.data(), &c->lwork,
                        &c->info);
            }
            if (c->info == 0) {
                // The reflectors below the subdiagonal are not part of the Hessenberg form.
                for (int j = 0; j < n; j++)
                    for (int i = j + 2; i < n; i++) c->h[(size_t)j * n + i] = Complex();
                zhseqr_("S", "V", &c->n, &c->ilo, &c->ihi, c->h.data(), &c->lda, c->w.data(), c->q.data(), &c->lda,
                        c->work.data(), &c->lwork, &c->info, 1, 1);
            }
        }))
        return 25;
    const int info = c->info;
    const std::vector<Complex>&h = c->h, &q = c->q;
    if (info > 0) {
        ReportError() << "Failed schur decomposition";
        return 10;
    }
    if (info < 0) {
        TakeLapackArgumentError(nullptr, nullptr);
        ReportError() << "Schur: One or more argument(s) has invalid value(s)";
        return 10;
    }
    UnpackColumnMajor(q.data(), n, n, Q);
    UnpackColumnMajor(h.data(), n, n, T);
    scale = k;
    return 0;
}

int LapackSchur(const CComplexMatrix& A, CComplexMatrix& Q, CComplexMatrix& T)
{
    int k = 0;
    int rc = LapackSchurScaled(A, Q, T, k);
    if (rc == 0) ScaleMatrix(T, k);
    return rc;
}

int LapackInverse(CComplexMatrix& A)
{
    if (!IsSquare(A)) {
        ReportError() << "Argument must be a square matrix";
        return 69;
    }
    struct Call {
        std::vector<Complex> a, work;
        std::vector<int> ipiv;
        int n, lda, lwork, info = 0, coninfo = 0;
        double anorm = 0.0, rcond = 0.0;
    };
    auto c = std::make_shared<Call>();
    const int n = A.Rows();
    c->n = c->lda = n;
    c->lwork = 3 * n;
    c->a = Pack(A);
    c->work = Padded(c->lwork);
    c->ipiv.resize(n + LapackPadding(n));
    const size_t cells = (size_t)n * (size_t)n;
    bool real = true;
    for (size_t k = 0; k < cells && real; k++) real = c->a[k].im == 0.0;
    // The factorization and the inverse are two calls that Stop may abandon;
    // the warning between them is written here, on the caller's thread.
    if (RunStoppable((double)n * n * n, [c] {
            // The last n Complex of work serve as the 2n doubles of the condition estimate.
            double* rwork = reinterpret_cast<double*>(c->work.data() + 2 * (size_t)c->n);
            c->anorm = zlange_("1", &c->n, &c->n, c->a.data(), &c->lda, rwork, 1);
            zgetrf_(&c->n, &c->n, c->a.data(), &c->lda, c->ipiv.data(), &c->info);
            zgecon_("1", &c->n, c->a.data(), &c->lda, &c->anorm, &c->rcond, c->work.data(), rwork, &c->coninfo, 1);
        }))
        return 25;
    if (c->rcond < n * c->anorm * DBL_EPSILON)
        ReportWarning() << "Matrix is close to singular or badly scaled. rcond=" << c->rcond;
    if (RunStoppable((double)n * n * n, [c] {
            zgetri_(&c->n, c->a.data(), &c->lda, c->ipiv.data(), c->work.data(), &c->lwork, &c->info);
        }))
        return 25;
    const int info = c->info;
    const std::vector<Complex>& a = c->a;
    if (info > 0) {
        ReportError() << "The matrix is singular";
        return 10;
    }
    if (info < 0) {
        TakeLapackArgumentError(nullptr, nullptr);
        ReportError() << "inv: Internal error";
        return 10;
    }
    // A real matrix has a real inverse; the zeros the complex routines leave
    // in its imaginary parts carry a sign that depends on the CPU's kernels.
    if (real)
        for (size_t k = 0; k < cells; k++)
            if (c->a[k].im == 0.0) c->a[k].im = 0.0;
    UnpackColumnMajor(a.data(), n, n, A);
    return 0;
}

int LapackInverse(const CComplexMatrix& A, CComplexMatrix& result)
{
    CComplexMatrix work(A);
    int rc = LapackInverse(work);
    if (rc == 0) result.Swap(work);
    return rc;
}

namespace {

template <class Fn>
int SchurFunction(const CComplexMatrix& A, CComplexMatrix& F, Fn fn, double* esterr)
{
    CComplexMatrix Q, T;
    int rc = LapackSchur(A, Q, T);
    if (rc != 0) return rc;
    bool realInput = true;
    for (int i = 0; i < A.Rows(); i++)
        for (int j = 0; j < A.Cols(); j++)
            if (A.Cell(i, j).im != 0.0) realInput = false;
    const int n = A.Rows();
    CComplexMatrix R(n, n);
    for (int i = 0; i < n; i++) R.Cell(i, i) = fn(T.Cell(i, i));
    double gap = ParlettRecurrence(T, R);
    CComplexMatrix out = SchurBackTransform(Q, R, realInput);
    if (esterr) *esterr = SchurErrorEstimate(T, gap);
    F.Swap(out);
    return 0;
}

}  // namespace

double ParlettRecurrence(const CComplexMatrix& T, CComplexMatrix& F)
{
    const int n = T.Rows();
    double gap = ComplexAbsOf(T.Cell(0, 0));
    for (int p = 1; p < n; p++) {
        for (int i = 0; i + p < n; i++) {
            int j = i + p;
            Complex s, t;
            ComplexDifference(t, F.Cell(j, j), F.Cell(i, i));
            ComplexProduct(s, T.Cell(i, j), t);
            if (p > 1) {
                Complex tf, ft, prod;
                for (int k = i + 1; k < j; k++) {
                    ComplexProduct(prod, T.Cell(i, k), F.Cell(k, j));
                    tf += prod;
                    ComplexProduct(prod, F.Cell(i, k), T.Cell(k, j));
                    ft += prod;
                }
                Complex diff;
                ComplexDifference(diff, tf, ft);
                s += diff;
            }
            Complex d;
            ComplexDifference(d, T.Cell(j, j), T.Cell(i, i));
            // Equal eigenvalues leave s undivided; the estimate flags it.
            if (d.re != 0.0 || d.im != 0.0)
                ComplexQuotient(F.Cell(i, j), s, d);
            else
                F.Cell(i, j) = s;
            double ad = ComplexAbsOf(d);
            if (ad < gap) gap = ad;
        }
    }
    return gap;
}

CComplexMatrix SchurBackTransform(const CComplexMatrix& Q, const CComplexMatrix& F, bool realInput)
{
    const int n = F.Rows();
    CComplexMatrix QH;
    Q.ConjTranspose(QH);
    CComplexMatrix out = Q * F;
    out.Multiply(QH);
    if (realInput) {
        CRealMatrix im(n, n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) im.Cell(i, j) = out.Cell(i, j).im;
        if (im.OneNorm() <= 10 * n * DBL_EPSILON * out.MaxColumnSum())
            for (int i = 0; i < n; i++)
                for (int j = 0; j < n; j++) out.Cell(i, j).im = 0.0;
    }
    return out;
}

double SchurErrorEstimate(const CComplexMatrix& T, double gap)
{
    if (gap == 0.0) gap = DBL_EPSILON;
    CComplexMatrix upper(T);
    upper.Triu(1);
    double est = (DBL_EPSILON / gap) * upper.MaxColumnSum();
    if (est < DBL_EPSILON) est = DBL_EPSILON;
    if (est > 1.0) est = 1.0;
    return est;
}

int SchurMatrixFunction(const CComplexMatrix& A, CComplexMatrix& F, ComplexFunction fn, double* esterr)
{
    return SchurFunction(A, F, [fn](const Complex& z) { return fn(z); }, esterr);
}

int SchurMatrixFunction(const CComplexMatrix& A, CComplexMatrix& F, ComplexFunctionOut fn, double* esterr)
{
    return SchurFunction(
        A, F,
        [fn](const Complex& z) {
            Complex r;
            fn(r, z);
            return r;
        },
        esterr);
}

int RandomMatrix(CValueMatrix& M, int mode, int idist)
{
    int64_t count64 = (int64_t)M.Rows() * (int64_t)M.Cols();
    if (count64 == 0 || (mode != 1 && mode != 2)) return 0;
    if (count64 > INT_MAX) return 69;
    int count = (int)count64;
    // LAPACK's seed rule: four values in 0..4095, the last one odd.
    int iseed[4];
    for (int& seed : iseed) seed = SaturateToInt(Rand15() * 3.0518509447574615e-05 * 4095.0);
    iseed[3] |= 1;
    if (mode == 1) {
        std::vector<double> x(count + LapackPadding(count), 0.0);
        dlarnv_(&idist, iseed, &count, x.data());
        CRealCells cells;
        for (int i = 0, k = 0; i < M.Rows(); i++)
            for (int j = 0; j < M.Cols(); j++) {
                CValue& cell = M.Cell(i, j);
                if (!(cell.IsEmpty() && cells.Make(cell, x[k]))) cell.SetReal(x[k]);
                k++;
            }
    } else {
        std::vector<Complex> x = Padded(count);
        zlarnv_(&idist, iseed, &count, x.data());
        CComplexCells cells;
        for (int i = 0, k = 0; i < M.Rows(); i++)
            for (int j = 0; j < M.Cols(); j++) {
                CValue& cell = M.Cell(i, j);
                if (!(cell.IsEmpty() && cells.Make(cell, x[k]))) cell.SetComplex(x[k]);
                k++;
            }
    }
    return 0;
}

namespace {

// The multiplier of LAPACK's generator and its powers a^1..a^64 mod 2^48.
constexpr uint64_t kSeedMask = (uint64_t(1) << 48) - 1;
struct SeedPowers {
    uint64_t p[64];
    constexpr SeedPowers() : p{}
    {
        uint64_t x = 1;
        for (uint64_t& q : p) q = x = (x * 33952834046453ull) & kSeedMask;
    }
};
constexpr SeedPowers kSeedPowers;

}  // namespace

void DrawUniform(int iseed[4], double* x, size_t n)
{
    uint64_t s = 0;
    for (int k = 0; k < 4; ++k) s = (s << 12) | (uint64_t)(iseed[k] & 4095);
    while (n) {
        const size_t m = n < 64 ? n : 64;
        // Each number of a run is its own product with the run's seed, so the
        // multiplies do not wait on each other. v / 2^48 is exact in a double
        // (48 bits), the value LAPACK's sum of four 12-bit parts gives: built
        // as 1 + v / 2^48 from its bits, less 1.
        for (size_t i = 0; i < m; ++i) {
            const uint64_t v = (s * kSeedPowers.p[i]) & kSeedMask;
            x[i] = std::bit_cast<double>(0x3FF0000000000000ull | (v << 4)) - 1.0;
        }
        s = (s * kSeedPowers.p[m - 1]) & kSeedMask;
        x += m;
        n -= m;
    }
    for (int k = 3; k >= 0; --k, s >>= 12) iseed[k] = (int)(s & 4095);
}

bool RandomRealMatrix(CValueMatrix& M, int rows, int cols, int idist)
{
    if (rows < 1 || cols < 1 || !M.IsEmpty() || (int64_t)rows * cols > INT_MAX) return false;
    // Shaped before the seeds are drawn: a refusal leaves the generator as it was.
    const bool packed = M.ShapePacked(rows, cols);
    if (!packed && !ShapeWithUnsetCells(M, rows, cols)) return false;
    int iseed[4];
    for (int& seed : iseed) seed = SaturateToInt(Rand15() * 3.0518509447574615e-05 * 4095.0);
    iseed[3] |= 1;
    // The generator works in runs of 64 numbers and carries its seed from
    // one call to the next: calls of whole runs give the numbers one call
    // would. A run of them at a time stays in the cache on its way into the
    // cells.
    constexpr int kChunk = 4096;
    static_assert(kChunk % 64 == 0);
    std::vector<double> x(kChunk + LapackPadding(kChunk));
    if (packed) {
        double* to = M.PackedData();
        for (int left = rows * cols; left > 0;) {
            if (ThreadStopRequested()) {
                M.Free();
                return false;
            }
            int n = left < kChunk ? left : kChunk;
            if (idist == 1) {
                DrawUniform(iseed, to, (size_t)n);
            } else {
                dlarnv_(&idist, iseed, &n, x.data());
                std::memcpy(to, x.data(), (size_t)n * sizeof(double));
            }
            to += n;
            left -= n;
        }
        return true;
    }
    int left = rows * cols, k = kChunk;
    for (int i = 0; i < rows; ++i) {
        CValue* row = M.Row(i);
        for (int j = 0; j < cols; ++j, ++k) {
            if (k == kChunk) {
                if (ThreadStopRequested()) {
                    // The cells written so far own nothing.
                    FreeUnsetCells(M);
                    return false;
                }
                int n = left < kChunk ? left : kChunk;
                if (idist == 1)
                    DrawUniform(iseed, x.data(), (size_t)n);
                else
                    dlarnv_(&idist, iseed, &n, x.data());
                left -= n;
                k = 0;
            }
            row[j].m_real = x[k];
            row[j].m_tag = VT_REAL;
        }
    }
    return true;
}

bool AllFinite(const Complex* a, size_t count)
{
    for (size_t k = 0; k < count; k++)
        if (!std::isfinite(a[k].re) || !std::isfinite(a[k].im)) return false;
    return true;
}

bool AllFinite(const double* a, size_t count)
{
    for (size_t k = 0; k < count; k++)
        if (!std::isfinite(a[k])) return false;
    return true;
}

bool AllFinite(const CComplexMatrix& m)
{
    for (int i = 0; i < m.Rows(); i++)
        for (int j = 0; j < m.Cols(); j++)
            if (!std::isfinite(m.Cell(i, j).re) || !std::isfinite(m.Cell(i, j).im)) return false;
    return true;
}

size_t LapackPadding(size_t count, size_t leading)
{
    if (leading == 0) leading = (size_t)std::ceil(std::sqrt((double)count));
    return 64 + 4 * leading;
}
