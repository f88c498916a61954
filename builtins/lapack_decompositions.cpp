// Factorizations of value matrices through LAPACK's complex (and for schur and
// qz also real) double routines. Work sizes are fixed by formula, not queried.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "builtins/lapack_work.h"
#include "builtins/matrix_functions.h"
#include "values/lapack.h"
#include "values/lapack_drivers.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/range_scaling.h"
#include "values/stoppable_call.h"

using namespace lapack_work;

namespace {

void ForgetArgumentError(int info)
{
    if (info < 0) TakeLapackArgumentError(nullptr, nullptr);
}

// The messages of a failed LAPACK call: an argument error (info < 0) or a
// numeric failure.
struct LapackTexts {
    const char* argument;
    const char* failure;
};
constexpr LapackTexts kSchurTexts = {"Schur: One or more argument(s) has invalid value(s)",
                                     "Failed schur decomposition"};
constexpr LapackTexts kQrTexts = {"QR: One or more argument(s) has invalid value(s)",
                                  "QR: One or more argument(s) has invalid value(s)"};
constexpr LapackTexts kQzTexts = {"qz: One or more argument(s) has invalid value(s)", "Failed qz factorization"};

// A square matrix argument; anything else is reported.
bool CheckSquareArgument(const CValue& x)
{
    if (IsSquareMatrix(x)) return true;
    ReportError() << "Argument must be square matrix";
    return false;
}

// A square matrix of numbers as a column-major complex array; anything else is reported.
bool ReadSquareComplexArgument(const CValue& x, std::vector<Complex>& a)
{
    if (!CheckSquareArgument(x)) return false;
    if (ToComplexArray(x.Matrix(), a)) return true;
    ReportError() << "Argument must be complex square matrix";
    return false;
}

// The eigenvalue, Schur, singular value and QZ routines are not defined on
// INF or NAN (they may loop for ever or write outside their arrays): such a
// matrix is refused before they are called.
template <class T>
bool RefuseNonFinite(const std::vector<T>& a, size_t count, const char* name)
{
    if (AllFinite(a.data(), count)) return false;
    ReportError() << name << ": Matrix holds INF or NAN";
    return true;
}

StatusWord LapackFailure(int info, const LapackTexts& texts)
{
    if (info == kLapackStopped) return ERR_STOPPED;
    ForgetArgumentError(info);
    ReportError() << (info < 0 ? texts.argument : texts.failure);
    return ERR_INTERNAL;
}

// Upper triangle (i <= j) of a column-major m-row array as Complex cells of an
// rows x cols matrix of Real 0.
void UpperTriangle(const Complex* a, int lda, int rows, int cols, CValueMatrix& r)
{
    r.Fill(rows, cols, CValue(0.0));
    for (int i = 0; i < rows; i++)
        for (int j = i; j < cols; j++) r.Cell(i, j).SetComplex(a[(size_t)j * lda + i]);
}

// A row of Complex cells.
void ComplexRow(const Complex* v, int n, CValueMatrix& r)
{
    r.Resize(1, n);
    for (int i = 0; i < n; i++) r.Cell(0, i).SetComplex(v[i]);
}

// n x n Real 0 with v on the diagonal as Complex cells.
void ComplexDiagonal(const Complex* v, int n, CValueMatrix& r)
{
    r.Fill(n, n, CValue(0.0));
    for (int i = 0; i < n; i++) r.Cell(i, i).SetComplex(v[i]);
}

// A real number given as a Real or as a Complex without imaginary part.
bool RealNumberOf(const CValue& v, double& x)
{
    if (v.Type() == VT_REAL) {
        x = v.Real();
        return true;
    }
    if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0.0) {
        x = v.ComplexRef().re;
        return true;
    }
    return false;
}

enum SvdMode { SVD_FULL, SVD_ECONOMY, SVD_VALUES };

StatusWord SvdHandler(CValue* x, CValue* out, SvdMode mode)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    const CValueMatrix& X = x->Matrix();
    std::vector<Complex> a;
    if (!ToComplexArray(X, a)) {
        if (mode == SVD_VALUES) return ERR_ARGUMENT_TYPE;
        // Cells that are not numbers: the value-cell algorithm.
        CValueMatrix U, W, V;
        int rc = X.Svd(U, W, V);
        CValueMatrix& outs = MakeOutputs(out, 3);
        outs.Cell(0, 0).GetMatrix().Swap(U);
        outs.Cell(0, 1).GetMatrix().Swap(W);
        outs.Cell(0, 2).GetMatrix().Swap(V);
        return rc;
    }
    int m = X.Rows(), n = X.Cols(), k = std::min(m, n);
    if (RefuseNonFinite(a, (size_t)m * n, "Svd")) return ERR_INTERNAL;
    int lda = m, lwork = std::max(m, n) + 2 * k, info = 0;
    std::vector<double> s = RealArray(k), rwork = RealArray(5 * (size_t)k);
    std::vector<Complex> work = ComplexArray(lwork), u, vt;
    int ldu = 1, ldvt = 1;
    const char* job = "N";
    if (mode == SVD_FULL) {
        job = "A";
        u = AllocSquareWork(m);
        vt = AllocSquareWork(n);
        ldu = m;
        ldvt = n;
    } else if (mode == SVD_ECONOMY) {
        job = "S";
        u = AllocRectWork(m, k);
        vt = AllocRectWork(k, n);
        ldu = m;
        ldvt = k;
    } else {
        u = ComplexArray(1);
        vt = ComplexArray(1);
    }
    if (mode != SVD_VALUES) MakeOutputs(out, 3);
    if (StoppableOn(
            IterativeCost((double)m * n * k), [job](int& m, int& n, auto& a, int& lda, auto& s, auto& u, int& ldu, auto& vt, int& ldvt, auto& work,
                  int& lwork, auto& rwork, int& info) {
                zgesvd_(job, job, &m, &n, a.data(), &lda, s.data(), u.data(), &ldu, vt.data(), &ldvt, work.data(),
                        &lwork, rwork.data(), &info, 1, 1);
            },
            m, n, a, lda, s, u, ldu, vt, ldvt, work, lwork, rwork, info))
        return ERR_STOPPED;
    if (info != 0) {
        ForgetArgumentError(info);
        if (info < 0)
            ReportError() << "Svd: One or more argument(s) has invalid value(s)";
        else
            ReportError() << "Svd: Solution will not converge";
        return ERR_INTERNAL;
    }
    if (mode == SVD_VALUES) {
        out->Clear();
        CValueMatrix& r = out->MakeMatrix(1, k);
        for (int i = 0; i < k; i++) r.Cell(0, i).SetReal(s[i]);
        return 0;
    }
    CValueMatrix& outs = out->Matrix();
    int ucols = mode == SVD_FULL ? m : k, srows = mode == SVD_FULL ? m : k, scols = mode == SVD_FULL ? n : k,
        vcols = mode == SVD_FULL ? n : k;
    ArrayToValueMatrix(u.data(), m, ucols, OutputMatrix(outs, 0));
    CValueMatrix& S = OutputMatrix(outs, 1);
    S.Fill(srows, scols, CValue(0.0));
    for (int i = 0; i < k; i++) S.Cell(i, i).SetReal(s[i]);
    // VT's column-major array read row-major and conjugated is V.
    ConjArrayToValueMatrix(vt.data(), n, vcols, OutputMatrix(outs, 2));
    return 0;
}

}  // namespace

StatusWord BuiltinSvd(CValue* x, CValue* out) { return SvdHandler(x, out, SVD_FULL); }
StatusWord BuiltinSvd0(CValue* x, CValue* out) { return SvdHandler(x, out, SVD_ECONOMY); }
StatusWord BuiltinSvdValues(CValue* x, CValue* out) { return SvdHandler(x, out, SVD_VALUES); }

StatusWord BuiltinPinv(CValue* x, CValue* tolArg, CValue* out)
{
    if (x->Type() == VT_REAL) {
        double v = 1.0 / x->Real();
        out->SetReal(v);
        return 0;
    }
    if (x->Type() == VT_COMPLEX) {
        Complex r;
        ComplexDivide(r, 1.0, x->ComplexRef());
        out->SetComplex(r);
        return 0;
    }
    if (x->Type() != VT_MATRIX) {
        ReportError() << "Invalid argument of pinv function; " << x->TypeName();
        return ERR_ARGUMENT_TYPE;
    }
    std::vector<Complex> a;
    if (!ToComplexArray(x->Matrix(), a)) return ERR_ARGUMENT_TYPE;
    int m = x->Matrix().Rows(), n = x->Matrix().Cols(), k = std::min(m, n);
    if (RefuseNonFinite(a, (size_t)m * n, "pinv")) return ERR_INTERNAL;
    double tol = 0.0;
    bool haveTol = RealNumberOf(*tolArg, tol);
    int lda = m, ldu = m, ldvt = k, lwork = std::max(m, n) + 2 * k, info = 0;
    std::vector<double> s = RealArray(k), rwork = RealArray(5 * (size_t)k);
    std::vector<Complex> work = ComplexArray(lwork), u = AllocRectWork(m, k), vt = AllocRectWork(k, n);
    if (StoppableOn(
            IterativeCost((double)m * n * k), [](int& m, int& n, auto& a, int& lda, auto& s, auto& u, int& ldu, auto& vt, int& ldvt, auto& work,
               int& lwork, auto& rwork, int& info) {
                zgesvd_("S", "S", &m, &n, a.data(), &lda, s.data(), u.data(), &ldu, vt.data(), &ldvt, work.data(),
                        &lwork, rwork.data(), &info, 1, 1);
            },
            m, n, a, lda, s, u, ldu, vt, ldvt, work, lwork, rwork, info))
        return ERR_STOPPED;
    if (info != 0) {
        ForgetArgumentError(info);
        ReportError() << "Function pinv cannot be solved";
        return ERR_INTERNAL;
    }
    if (!haveTol) tol = std::max(m, n) * s[0] * DBL_EPSILON;
    CComplexMatrix U, V, Sigma(k, k);
    UnpackColumnMajor(u.data(), m, k, U);
    UnpackTransposed(vt.data(), n, k, V);  // VT^T; conjugated below
    for (int i = 0; i < n; i++)
        for (int j = 0; j < k; j++) V.Cell(i, j).im = -V.Cell(i, j).im;
    for (int i = 0; i < k; i++)
        if (std::fabs(s[i]) > tol) Sigma.Cell(i, i) = Complex(1.0 / s[i], 0.0);
    // pinv = V * Sigma+ * U^H.
    int rc = U.Transpose();
    if (rc == 0) rc = V.Multiply(Sigma);
    if (rc == 0) rc = V.Multiply(U);
    if (rc != 0) {
        ReportError() << "Function pinv cannot be solved";
        return rc;
    }
    out->Clear();
    ComplexMatrixToValue(V, out->MakeMatrix(0, 0));
    return 0;
}

namespace {

// Real Schur form: quasi-triangular T with 2 x 2 blocks for complex pairs.
StatusWord RealSchur(int n, std::vector<double>& h, CValueMatrix& outs)
{
    // Beyond the range the form of h 2^-k is found and T scaled back.
    const size_t cells = (size_t)n * (size_t)n;
    const int k = RangeExponent(LargestPart(h.data(), cells));
    ScaleCells(h.data(), cells, -k);
    int ilo = 1, ihi = n, lda = n, lwork = 6 * n, info = 0;
    std::vector<double> tau = RealArray(n > 1 ? n - 1 : 1), work = RealArray(lwork), wr = RealArray(n),
                        wi = RealArray(n);
    std::vector<double> q;
    if (StoppableOn(
            IterativeCost(10.0 * n * n * n),
            [](int& n, int& ilo, int& ihi, int& lda, int& lwork, int& info, auto& h, auto& q, auto& tau, auto& work,
               auto& wr, auto& wi) {
                dgehrd_(&n, &ilo, &ihi, h.data(), &lda, tau.data(), work.data(), &lwork, &info);
                if (info != 0) return;
                q = h;
                dorghr_(&n, &ilo, &ihi, q.data(), &lda, tau.data(), work.data(), &lwork, &info);
                if (info != 0) return;
                for (int j = 0; j < n; j++)
                    for (int i = j + 2; i < n; i++) h[(size_t)j * n + i] = 0.0;
                dhseqr_("S", "V", &n, &ilo, &ihi, h.data(), &lda, wr.data(), wi.data(), q.data(), &lda, work.data(),
                        &lwork, &info, 1, 1);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            n, ilo, ihi, lda, lwork, info, h, q, tau, work, wr, wi))
        return ERR_STOPPED;
    if (info != 0) return LapackFailure(info, kSchurTexts);
    ScaleCells(h.data(), cells, k);
    std::vector<Complex> qc = AllocSquareWork(n), tc = AllocSquareWork(n);
    for (size_t i = 0; i < (size_t)n * n; i++) {
        qc[i] = Complex(q[i], 0.0);
        tc[i] = Complex(h[i], 0.0);
    }
    ArrayToValueMatrix(qc.data(), n, n, OutputMatrix(outs, 0));
    ArrayToValueMatrix(tc.data(), n, n, OutputMatrix(outs, 1));
    return 0;
}

}  // namespace

StatusWord BuiltinSchur(CValue* x, CValue* flg, CValue* out)
{
    if (!CheckSquareArgument(*x)) return ERR_ARGUMENT_TYPE;
    const CValueMatrix& X = x->Matrix();
    int n = X.Rows();
    bool forceComplex = flg->Type() == VT_CHAR && flg->CharCode() == 'c';
    std::vector<Complex> a;
    bool allReal = false;
    if (!ToComplexArray(X, a, &allReal)) {
        ReportError() << "Argument must be complex or real square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    if (RefuseNonFinite(a, (size_t)n * n, "Schur")) {
        MakeOutputs(out, 2);
        return ERR_INTERNAL;
    }
    if (allReal && !forceComplex) {
        std::vector<double> h = RealArray((size_t)n * n);
        for (size_t i = 0; i < (size_t)n * n; i++) h[i] = a[i].re;
        CValueMatrix& outs = MakeOutputs(out, 2);
        return RealSchur(n, h, outs);
    }
    CValueMatrix& outs = MakeOutputs(out, 2);
    std::vector<Complex> q;
    int info = ComplexSchur(n, a, &q);
    if (info != 0) return LapackFailure(info, kSchurTexts);
    ArrayToValueMatrix(q.data(), n, n, OutputMatrix(outs, 0));
    ArrayToValueMatrix(a.data(), n, n, OutputMatrix(outs, 1));
    return 0;
}

StatusWord BuiltinSchurT(CValue* x, CValue* out)
{
    std::vector<Complex> a;
    if (!ReadSquareComplexArgument(*x, a)) return ERR_ARGUMENT_TYPE;
    int n = x->Matrix().Rows();
    if (RefuseNonFinite(a, (size_t)n * n, "Schur")) return ERR_INTERNAL;
    int info = ComplexSchur(n, a, nullptr);
    if (info != 0) return LapackFailure(info, kSchurTexts);
    out->Clear();
    ArrayToValueMatrix(a.data(), n, n, out->MakeMatrix(0, 0));
    return 0;
}

StatusWord BuiltinHess(CValue* x, CValue* out)
{
    std::vector<Complex> a;
    if (!ReadSquareComplexArgument(*x, a)) return ERR_ARGUMENT_TYPE;
    int n = x->Matrix().Rows(), ilo = 1, ihi = n, lda = n, lwork = 6 * n, info = 0;
    std::vector<Complex> tau = ComplexArray(n > 1 ? n - 1 : 1), work = ComplexArray(lwork);
    CValueMatrix& outs = MakeOutputs(out, 2);
    std::vector<Complex> h;  // the Hessenberg form, before zunghr turns the array into Q
    if (StoppableOn(
            10.0 * n * n * n,
            [](int& n, int& ilo, int& ihi, int& lda, int& lwork, int& info, auto& a, auto& h, auto& tau, auto& work) {
                zgehrd_(&n, &ilo, &ihi, a.data(), &lda, tau.data(), work.data(), &lwork, &info);
                if (info != 0) return;
                h = a;
                zunghr_(&n, &ilo, &ihi, a.data(), &lda, tau.data(), work.data(), &lwork, &info);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            n, ilo, ihi, lda, lwork, info, a, h, tau, work))
        return ERR_STOPPED;
    if (!h.empty()) {
        CValueMatrix& H = OutputMatrix(outs, 1);
        H.Fill(n, n, CValue(0.0));
        for (int j = 0; j < n; j++)
            for (int i = 0; i <= j + 1 && i < n; i++) H.Cell(i, j).SetComplex(h[(size_t)j * n + i]);
    }
    if (info != 0) {
        ForgetArgumentError(info);
        if (info < 0)
            ReportError() << "Hess: One or more argument(s) has invalid value(s)";
        else
            ReportError() << "Failed finding a hessenberg matrix form";
        return ERR_INTERNAL;
    }
    ArrayToValueMatrix(a.data(), n, n, OutputMatrix(outs, 0));
    return 0;
}

namespace {

enum QrMode { QR_FACTORS, QR_QR, QR_QRE };

StatusWord QrHandler(CValue* x, CValue* out, QrMode mode)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    std::vector<Complex> a;
    if (!ToComplexArray(x->Matrix(), a)) return ERR_ARGUMENT_TYPE;
    int m = x->Matrix().Rows(), n = x->Matrix().Cols(), k = std::min(m, n);
    int lda = m, lwork = std::max(6 * n, m), info = 0;
    std::vector<Complex> tau = ComplexArray(k), work = ComplexArray(lwork);
    std::vector<int> jpvt;
    if (mode == QR_QRE) {
        jpvt = IntArray(n);  // every column free
        std::vector<double> rwork = RealArray(2 * (size_t)n);
        if (StoppableOn(
                (double)m * n * k, [](int& m, int& n, auto& a, int& lda, auto& jpvt, auto& tau, auto& work, auto& rwork, int& info) {
                    zgeqpf_(&m, &n, a.data(), &lda, jpvt.data(), tau.data(), work.data(), rwork.data(), &info);
                },
                m, n, a, lda, jpvt, tau, work, rwork, info))
            return ERR_STOPPED;
    } else {
        if (StoppableOn(
                (double)m * n * k, [](int& m, int& n, auto& a, int& lda, auto& tau, auto& work, int& lwork, int& info) {
                    zgeqrf_(&m, &n, a.data(), &lda, tau.data(), work.data(), &lwork, &info);
                },
                m, n, a, lda, tau, work, lwork, info))
            return ERR_STOPPED;
    }
    if (info != 0) return LapackFailure(info, kQrTexts);
    if (mode == QR_FACTORS) {
        out->Clear();
        ArrayToValueMatrix(a.data(), m, n, out->MakeMatrix(0, 0));
        return 0;
    }
    CValueMatrix& outs = MakeOutputs(out, mode == QR_QRE ? 3 : 2);
    UpperTriangle(a.data(), m, m, n, OutputMatrix(outs, 1));
    // Q from the reflectors in the first k columns, grown to m x m.
    std::vector<Complex> q = AllocSquareWork(m);
    for (int j = 0; j < k; j++)
        for (int i = 0; i < m; i++) q[(size_t)j * m + i] = a[(size_t)j * m + i];
    if (StoppableOn(
            (double)m * m * k, [](int& m, int& k, auto& q, int& lda, auto& tau, auto& work, int& lwork, int& info) {
                zungqr_(&m, &m, &k, q.data(), &lda, tau.data(), work.data(), &lwork, &info);
            },
            m, k, q, lda, tau, work, lwork, info))
        return ERR_STOPPED;
    if (info != 0) return LapackFailure(info, kQrTexts);
    ArrayToValueMatrix(q.data(), m, m, OutputMatrix(outs, 0));
    if (mode == QR_QRE) {
        CValueMatrix& E = OutputMatrix(outs, 2);
        E.Fill(n, n, CValue(0.0));
        for (int j = 0; j < n; j++)
            if (jpvt[j] >= 1 && jpvt[j] <= n) E.Cell(jpvt[j] - 1, j).SetReal(1.0);
    }
    return 0;
}

}  // namespace

StatusWord BuiltinQr(CValue* x, CValue* out) { return QrHandler(x, out, QR_FACTORS); }
StatusWord BuiltinQrQR(CValue* x, CValue* out) { return QrHandler(x, out, QR_QR); }
StatusWord BuiltinQrQRE(CValue* x, CValue* out) { return QrHandler(x, out, QR_QRE); }

namespace {

StatusWord CholHandler(CValue* x, CValue* out, bool withP)
{
    if (!CheckSquareArgument(*x)) return ERR_ARGUMENT_TYPE;
    std::vector<Complex> a;
    if (!ToComplexArray(x->Matrix(), a)) return ERR_ARGUMENT_TYPE;
    int n = x->Matrix().Rows(), lda = n, info = 0;
    if (withP) MakeOutputs(out, 2);
    if (StoppableOn((double)n * n * n, [](int& n, auto& a, int& lda, int& info) { zpotrf_("U", &n, a.data(), &lda, &info, 1); },
                    n, a, lda, info))
        return ERR_STOPPED;
    if (info < 0) {
        ForgetArgumentError(info);
        ReportError() << "Cholesky: One or more argument(s) has invalid value(s)";
        return ERR_INTERNAL;
    }
    if (!withP) {
        if (info > 0) {
            ReportError() << "Cholesky: Matrix must be positive definite";
            return ERR_INTERNAL;
        }
        out->Clear();
        UpperTriangle(a.data(), n, n, n, out->MakeMatrix(0, 0));
        return 0;
    }
    // The leading block that did factor.
    int q = info > 0 ? info - 1 : n;
    CValueMatrix& outs = out->Matrix();
    if (q > 0)
        UpperTriangle(a.data(), n, q, q, OutputMatrix(outs, 0));
    else
        OutputMatrix(outs, 0);
    outs.Cell(0, 1).SetReal((double)info);
    return 0;
}

}  // namespace

StatusWord BuiltinChol(CValue* x, CValue* out) { return CholHandler(x, out, false); }
StatusWord BuiltinCholRP(CValue* x, CValue* out) { return CholHandler(x, out, true); }

namespace {

StatusWord EigHandler(CValue* x, CValue* out, bool vectors)
{
    if (!CheckSquareArgument(*x)) return ERR_ARGUMENT_TYPE;
    std::vector<Complex> a;
    if (!ToComplexArray(x->Matrix(), a)) return ERR_MATRIX_ARGUMENT;
    int n = x->Matrix().Rows(), lda = n, lwork = 2 * n, info = 0;
    if (RefuseNonFinite(a, (size_t)n * n, "Eig")) {
        if (vectors) MakeOutputs(out, 2);
        return ERR_INTERNAL;
    }
    int ldvl = 1, ldvr = vectors ? n : 1;
    std::vector<Complex> w = ComplexArray(n), work = ComplexArray(lwork), vl = ComplexArray(1),
                         vr = vectors ? AllocSquareWork(n) : ComplexArray(1);
    std::vector<double> rwork = RealArray(2 * (size_t)n);
    if (vectors) MakeOutputs(out, 2);
    const char* jobv = vectors ? "V" : "N";
    if (StoppableOn(
            IterativeCost(10.0 * n * n * n), [jobv](int& n, auto& a, int& lda, auto& w, auto& vl, int& ldvl, auto& vr, int& ldvr, auto& work,
                   int& lwork, auto& rwork, int& info) {
                zgeev_("N", jobv, &n, a.data(), &lda, w.data(), vl.data(), &ldvl, vr.data(), &ldvr, work.data(),
                       &lwork, rwork.data(), &info, 1, 1);
            },
            n, a, lda, w, vl, ldvl, vr, ldvr, work, lwork, rwork, info))
        return ERR_STOPPED;
    if (info != 0) {
        ForgetArgumentError(info);
        ReportError() << "Eig: Solution will not converge";
        return ERR_INTERNAL;
    }
    if (!vectors) {
        out->Clear();
        ComplexRow(w.data(), n, out->MakeMatrix(0, 0));
        return 0;
    }
    CValueMatrix& outs = out->Matrix();
    ArrayToValueMatrix(vr.data(), n, n, OutputMatrix(outs, 0));
    ComplexDiagonal(w.data(), n, OutputMatrix(outs, 1));
    return 0;
}

StatusWord Eig2Handler(CValue* x, CValue* y, CValue* out, bool vectors)
{
    if (!IsSquareMatrix(*x)) {
        ReportError() << "First argument must be a square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    if (!IsSquareMatrix(*y)) {
        ReportError() << "Second argument must be a square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    if (x->Matrix().Rows() != y->Matrix().Rows()) {
        ReportError() << "Matrices must be a same sizes";
        return ERR_FUNCTION_ARGUMENTS;
    }
    std::vector<Complex> a, b;
    if (!ToComplexArray(x->Matrix(), a) || !ToComplexArray(y->Matrix(), b)) return ERR_MATRIX_ARGUMENT;
    int n = x->Matrix().Rows(), lda = n, lwork = 2 * n, info = 0;
    if (RefuseNonFinite(a, (size_t)n * n, "Eig generalized") || RefuseNonFinite(b, (size_t)n * n, "Eig generalized")) {
        if (vectors) MakeOutputs(out, 2);
        return ERR_INTERNAL;
    }
    int ldvl = 1, ldvr = vectors ? n : 1;
    std::vector<Complex> alpha = ComplexArray(n), beta = ComplexArray(n), work = ComplexArray(lwork),
                         vl = ComplexArray(1), vr = vectors ? AllocSquareWork(n) : ComplexArray(1);
    std::vector<double> rwork = RealArray(8 * (size_t)n);
    if (vectors) MakeOutputs(out, 2);
    const char* jobv = vectors ? "V" : "N";
    if (StoppableOn(
            IterativeCost(10.0 * n * n * n), [jobv](int& n, auto& a, int& lda, auto& b, auto& alpha, auto& beta, auto& vl, int& ldvl, auto& vr,
                   int& ldvr, auto& work, int& lwork, auto& rwork, int& info) {
                zggev_("N", jobv, &n, a.data(), &lda, b.data(), &lda, alpha.data(), beta.data(), vl.data(), &ldvl,
                       vr.data(), &ldvr, work.data(), &lwork, rwork.data(), &info, 1, 1);
            },
            n, a, lda, b, alpha, beta, vl, ldvl, vr, ldvr, work, lwork, rwork, info))
        return ERR_STOPPED;
    if (info != 0) {
        ForgetArgumentError(info);
        ReportError() << "Eig generalized: Solution will not converge";
        return ERR_INTERNAL;
    }
    for (int i = 0; i < n; i++) alpha[i] /= beta[i];
    if (!vectors) {
        out->Clear();
        ComplexRow(alpha.data(), n, out->MakeMatrix(0, 0));
        return 0;
    }
    CValueMatrix& outs = out->Matrix();
    ArrayToValueMatrix(vr.data(), n, n, OutputMatrix(outs, 0));
    ComplexDiagonal(alpha.data(), n, OutputMatrix(outs, 1));
    return 0;
}

}  // namespace

StatusWord BuiltinEig(CValue* x, CValue* out) { return EigHandler(x, out, true); }
StatusWord BuiltinEigValues(CValue* x, CValue* out) { return EigHandler(x, out, false); }
StatusWord BuiltinEig2(CValue* x, CValue* y, CValue* out) { return Eig2Handler(x, y, out, true); }
StatusWord BuiltinEig2Values(CValue* x, CValue* y, CValue* out) { return Eig2Handler(x, y, out, false); }

StatusWord BuiltinRcond(CValue* x, CValue* out)
{
    if (!CheckSquareArgument(*x)) return ERR_ARGUMENT_TYPE;
    std::vector<Complex> a;
    if (!ToComplexArray(x->Matrix(), a)) return ERR_ARGUMENT_TYPE;
    int n = x->Matrix().Rows(), lda = n, info = 0;
    std::vector<double> rwork = RealArray(2 * (size_t)n);
    std::vector<Complex> work = ComplexArray(2 * (size_t)n);
    std::vector<int> ipiv = IntArray(n);
    double rc = 0.0;
    if (StoppableOn(
            (double)n * n * n,
            [](int& n, int& lda, int& info, double& rc, auto& a, auto& ipiv, auto& work, auto& rwork) {
                double anorm = zlange_("1", &n, &n, a.data(), &lda, rwork.data(), 1);
                zgetrf_(&n, &n, a.data(), &lda, ipiv.data(), &info);
                info = 0;
                zgecon_("1", &n, a.data(), &lda, &anorm, &rc, work.data(), rwork.data(), &info, 1);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            n, lda, info, rc, a, ipiv, work, rwork))
        return ERR_STOPPED;
    if (info != 0) {
        ForgetArgumentError(info);
        ReportError() << "rcond: Computing error";
        return ERR_INTERNAL;
    }
    out->SetReal(rc);
    return 0;
}

namespace {

// Real generalized Schur form: XX quasi-triangular, YY triangular, Q and Z
// orthogonal, all of Real cells.
StatusWord RealQz(int n, std::vector<double>& a, std::vector<double>& b, CValue* out)
{
    int lda = n, sdim = 0, lwork = 8 * n + 16, info = 0;
    std::vector<double> ar = RealArray(n), ai = RealArray(n), beta = RealArray(n), vsl = RealArray((size_t)n * n),
                        vsr = RealArray((size_t)n * n), work = RealArray(lwork);
    CValueMatrix& outs = MakeOutputs(out, 4);
    if (StoppableOn(
            IterativeCost(30.0 * n * n * n),
            [](int& n, int& lda, int& sdim, int& lwork, int& info, auto& a, auto& b, auto& ar, auto& ai, auto& beta,
               auto& vsl, auto& vsr, auto& work) {
                dgges_("V", "V", "N", nullptr, &n, a.data(), &lda, b.data(), &lda, &sdim, ar.data(), ai.data(),
                       beta.data(), vsl.data(), &lda, vsr.data(), &lda, work.data(), &lwork, nullptr, &info, 1, 1, 1);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            n, lda, sdim, lwork, info, a, b, ar, ai, beta, vsl, vsr, work))
        return ERR_STOPPED;
    if (info != 0) return LapackFailure(info, kQzTexts);
    RealArrayToValueMatrix(a.data(), n, n, OutputMatrix(outs, 0));
    RealArrayToValueMatrix(b.data(), n, n, OutputMatrix(outs, 1));
    RealArrayToValueMatrix(vsl.data(), n, n, OutputMatrix(outs, 2));
    RealArrayToValueMatrix(vsr.data(), n, n, OutputMatrix(outs, 3));
    return 0;
}

}  // namespace

StatusWord BuiltinQz(CValue* x, CValue* y, CValue* flg, CValue* out)
{
    if (!IsSquareMatrix(*x) || !IsSquareMatrix(*y) || x->Matrix().Rows() != y->Matrix().Rows()) {
        ReportError() << "Arguments must be a square matrices of same sizes";
        return ERR_ARGUMENT_TYPE;
    }
    int n = x->Matrix().Rows();
    bool useComplex;
    if (flg->Type() == VT_CHAR) {
        if (flg->CharCode() == 'c')
            useComplex = true;
        else if (flg->CharCode() == 'r')
            useComplex = false;
        else
            return ERR_MATRIX_ARGUMENT;
    } else {
        bool realX = false, realY = false;
        std::vector<Complex> probe;
        if (!ToComplexArray(x->Matrix(), probe, &realX) || !ToComplexArray(y->Matrix(), probe, &realY)) {
            ReportError() << "Argument must be complex or real square matrix";
            return ERR_ARGUMENT_TYPE;
        }
        useComplex = !(realX && realY);
    }
    if (!useComplex) {
        std::vector<double> a, b;
        if (!ToRealArray(x->Matrix(), a) || !ToRealArray(y->Matrix(), b)) {
            ReportError() << "Argument must be complex or real square matrix";
            return ERR_ARGUMENT_TYPE;
        }
        if (RefuseNonFinite(a, (size_t)n * n, "qz") || RefuseNonFinite(b, (size_t)n * n, "qz")) {
            MakeOutputs(out, 4);
            return ERR_INTERNAL;
        }
        return RealQz(n, a, b, out);
    }
    std::vector<Complex> a, b;
    if (!ToComplexArray(x->Matrix(), a) || !ToComplexArray(y->Matrix(), b)) {
        ReportError() << "Argument must be complex or real square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    if (RefuseNonFinite(a, (size_t)n * n, "qz") || RefuseNonFinite(b, (size_t)n * n, "qz")) {
        MakeOutputs(out, 4);
        return ERR_INTERNAL;
    }
    int lda = n, sdim = 0, lwork = 2 * n, info = 0;
    std::vector<Complex> alpha = ComplexArray(n), beta = ComplexArray(n), vsl = AllocSquareWork(n),
                         vsr = AllocSquareWork(n), work = ComplexArray(lwork);
    std::vector<double> rwork = RealArray(8 * (size_t)n);
    CValueMatrix& outs = MakeOutputs(out, 4);
    if (StoppableOn(
            IterativeCost(30.0 * n * n * n),
            [](int& n, int& lda, int& sdim, int& lwork, int& info, auto& a, auto& b, auto& alpha, auto& beta,
               auto& vsl, auto& vsr, auto& work, auto& rwork) {
                zgges_("V", "V", "N", nullptr, &n, a.data(), &lda, b.data(), &lda, &sdim, alpha.data(), beta.data(),
                       vsl.data(), &lda, vsr.data(), &lda, work.data(), &lwork, rwork.data(), nullptr, &info, 1, 1, 1);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            n, lda, sdim, lwork, info, a, b, alpha, beta, vsl, vsr, work, rwork))
        return ERR_STOPPED;
    if (info != 0) return LapackFailure(info, kQzTexts);
    ArrayToValueMatrix(a.data(), n, n, OutputMatrix(outs, 0));
    ArrayToValueMatrix(b.data(), n, n, OutputMatrix(outs, 1));
    ArrayToValueMatrix(vsl.data(), n, n, OutputMatrix(outs, 2));
    ArrayToValueMatrix(vsr.data(), n, n, OutputMatrix(outs, 3));
    return 0;
}
