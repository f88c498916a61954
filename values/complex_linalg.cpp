// Own decompositions, norms and matrix functions of CComplexMatrix.
#include <cfloat>
#include <cmath>
#include <numbers>

#include "values/complex_linalg.h"
#include "values/complex_policy.h"
#include "values/lapack_drivers.h"
#include "values/linalg_kernels.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/range_scaling.h"
#include "values/value.h"

namespace {

using CDense = DenseMatrix<Complex>;

}  // namespace

// The own decompositions square and multiply cells: a matrix beyond the
// range bounds runs scaled by a power of two, and only the singular values
// and eigenvalues (homogeneous of degree one) are scaled back; the vectors
// do not depend on the scale.
int CComplexMatrix::Svd(CComplexMatrix& U, CComplexMatrix& W, CComplexMatrix& V) const
{
    const int k = RangeExponent(*this);
    if (k == 0) return SvdOf<ComplexPolicy>(*this, U, W, V);
    CComplexMatrix B(*this);
    ScaleMatrix(B, -k);
    int rc = SvdOf<ComplexPolicy>(B, U, W, V);
    ScaleMatrix(W, k);
    return rc;
}

int CComplexMatrix::EigValues(CComplexMatrix& W)
{
    const int k = IsSquareShape(*this) ? RangeExponent(*this) : 0;
    ScaleMatrix(*this, -k);
    int rc = EigValuesOf<ComplexPolicy>(*this, W);
    ScaleMatrix(W, k);
    return rc;
}

int CComplexMatrix::EigDecompose(CComplexMatrix& V, CComplexMatrix& D)
{
    const int k = IsSquareShape(*this) ? RangeExponent(*this) : 0;
    ScaleMatrix(*this, -k);
    int rc = EigDecomposeOf<ComplexPolicy>(*this, V, D);
    ScaleMatrix(D, k);
    return rc;
}

// ---- norms ----

double CComplexMatrix::MaxColumnSum() const
{
    double best = 0.0;
    for (int j = 0; j < Cols(); j++) {
        double sum = 0.0;
        for (int i = 0; i < Rows(); i++) sum += ComplexAbsOf(Cell(i, j));
        if (j == 0 || sum > best) best = sum;
    }
    return best;
}

double CComplexMatrix::MaxRowSum() const
{
    double best = 0.0;
    for (int i = 0; i < Rows(); i++) {
        double sum = 0.0;
        for (int j = 0; j < Cols(); j++) sum += ComplexAbsOf(Cell(i, j));
        if (i == 0 || sum > best) best = sum;
    }
    return best;
}

double CComplexMatrix::FrobeniusNorm() const
{
    // The real parts of the diagonal of A^H A, column by column, with every
    // part scaled by the largest one so that the squares neither overflow
    // nor underflow.
    double scale = 0.0;
    for (int j = 0; j < Cols(); j++)
        for (int i = 0; i < Rows(); i++) {
            const Complex& z = Cell(i, j);
            scale = std::fmax(scale, std::fmax(std::fabs(z.re), std::fabs(z.im)));
        }
    if (!(scale > 0) || std::isinf(scale)) scale = 1.0;  // zeros, or INF/NaN as they come
    double total = 0.0;
    for (int j = 0; j < Cols(); j++) {
        double diag = 0.0;
        for (int i = 0; i < Rows(); i++) {
            const Complex& z = Cell(i, j);
            const double re = z.re / scale, im = z.im / scale;
            diag += re * re + im * im;
        }
        total += diag;
    }
    return scale * std::sqrt(total);
}

double CComplexMatrix::Norm2() const
{
    CRealMatrix s;
    if (LapackSvdValues(*this, s) != 0 || s.IsEmpty()) return 0.0;
    return s.Cell(0, 0);
}

double CComplexMatrix::VectorNorm(double p) const
{
    const int n = Rows() * Cols();
    auto cell = [&](int k) -> const Complex& { return Rows() == 1 ? Cell(0, k) : Cell(k, 0); };
    if (std::isinf(p)) {
        double best = ComplexAbsOf(cell(0));
        for (int k = 1; k < n; k++) {
            double a = ComplexAbsOf(cell(k));
            if (p > 0 ? a > best : a < best) best = a;
        }
        return best;
    }
    // For p > 0 the moduli are scaled by the largest one: (sum |x/m|^p)^(1/p) m
    // neither overflows nor underflows where the norm itself does not.
    double scale = 1.0;
    if (p > 0) {
        double m = 0.0;
        for (int k = 0; k < n; k++) m = std::fmax(m, ComplexAbsOf(cell(k)));
        if (m > 0 && !std::isinf(m)) scale = m;
    }
    double sum = 0.0;
    for (int k = 0; k < n; k++) sum += std::pow(ComplexAbsOf(cell(k)) / scale, p);
    return scale * std::pow(sum, 1.0 / p);
}

double CComplexMatrix::Norm(const double* p) const
{
    if (IsEmpty()) {
        ReportError() << "First argument of norm function is non-empty matrix";
        return 0.0;
    }
    if (Rows() == 1 || Cols() == 1) {
        if (!p) {
            ReportError() << "Second argument of norm function is invalid value";
            return 0.0;
        }
        return VectorNorm(*p);
    }
    if (!p) return FrobeniusNorm();
    if (*p == 1.0) return MaxColumnSum();
    if (*p == 2.0) return Norm2();
    if (!std::isfinite(*p) && std::fabs(*p) == *p) return MaxRowSum();
    ReportError() << "Second argument of norm function is invalid value";
    return 0.0;
}

double CComplexMatrix::Cond(const double* p) const
{
    if (IsEmpty()) return 0.0;
    const bool two = p && *p == 2.0;
    if (Rows() != Cols() && p && !two) {
        ReportError() << "Calculating of that cond function, argument must be square matrix";
        return 0.0;
    }
    if (two) {
        CRealMatrix s;
        if (LapackSvdValues(*this, s) != 0 || s.IsEmpty()) return 0.0;
        double largest = s.Cell(0, 0), smallest = s.Cell(0, 0);
        for (int i = 0; i < s.Rows(); i++) {
            double v = s.Cell(i, 0);
            if (v == 0.0) return HUGE_VAL;
            if (v > largest) largest = v;
            if (v < smallest) smallest = v;
        }
        return largest / smallest;
    }
    CComplexMatrix inv(*this);
    if (LapackInverse(inv) != 0) return 0.0;
    return Norm(p) * inv.Norm(p);
}

namespace {

// max(rows, cols) x max(s) x DBL_EPSILON
double SvdTolerance(const CComplexMatrix& a, const CRealMatrix& s)
{
    double largest = 0.0;
    for (int i = 0; i < s.Rows(); i++)
        for (int j = 0; j < s.Cols(); j++)
            if (s.Cell(i, j) > largest) largest = s.Cell(i, j);
    int dim = a.Rows() > a.Cols() ? a.Rows() : a.Cols();
    return dim * largest * DBL_EPSILON;
}

}  // namespace

int CComplexMatrix::Rank(const double* tol) const
{
    CRealMatrix s;
    if (LapackSvdValues(*this, s) != 0) return 0;
    double limit = tol ? *tol : SvdTolerance(*this, s);
    int rank = 0;
    for (int i = 0; i < s.Rows(); i++)
        if (s.Cell(i, 0) > limit) rank++;
    return rank;
}

int CComplexMatrix::Orth(CComplexMatrix& out) const
{
    CComplexMatrix U, V;
    CRealMatrix S;
    int rc = LapackSvd(*this, U, S, V);
    if (rc != 0) return rc;
    double limit = SvdTolerance(*this, S);
    int r = 0;
    for (int i = 0; i < S.Rows(); i++)
        if (S.Cell(i, i) > limit) r++;
    out.CopyBlock(U, 0, 0, U.Rows(), r);
    return 0;
}

// ---- matrix exponential and powers ----

int CComplexMatrix::Expm(CComplexMatrix& out) const
{
    if (!IsSquareShape(*this)) {
        ReportError() << "Argument of expm function must be a square matrix";
        return 10;
    }
    CDense e;
    ExpmKernel<ComplexPolicy>(ToDense<ComplexPolicy>(*this), e);
    FromDense<ComplexPolicy>(e, out);
    return 0;
}

namespace {

bool IsRealMatrix(const CComplexMatrix& A)
{
    for (int i = 0; i < A.Rows(); i++)
        for (int j = 0; j < A.Cols(); j++)
            if (A.Cell(i, j).im != 0.0) return false;
    return true;
}

// R upper triangular with R^2 = T (T upper triangular), column by column:
// R(i,i) = sqrt T(i,i), R(i,j) = (T(i,j) - sum R(i,k) R(k,j)) / (R(i,i) + R(j,j)).
// Where two zero eigenvalues meet with a coupling between them there is no
// square root: that entry stays 0 and the result is false.
bool TriangularSqrt(const CComplexMatrix& T, CComplexMatrix& R)
{
    const int n = T.Rows();
    R = CComplexMatrix(n, n);
    bool exists = true;
    for (int j = 0; j < n; j++) {
        R.Cell(j, j) = ComplexSqrt(T.Cell(j, j));
        for (int i = j - 1; i >= 0; i--) {
            Complex s = T.Cell(i, j);
            for (int k = i + 1; k < j; k++) {
                Complex t = R.Cell(i, k);
                t *= R.Cell(k, j);
                s -= t;
            }
            Complex d = R.Cell(i, i);
            d += R.Cell(j, j);
            if (d.re == 0.0 && d.im == 0.0) {
                if (s.re != 0.0 || s.im != 0.0) exists = false;
                R.Cell(i, j) = Complex();
            } else {
                s /= d;
                R.Cell(i, j) = s;
            }
        }
    }
    return exists;
}

// Principal square root through the complex Schur form A = Q T Q^H. Unlike
// the eigenvector formula it holds for defective matrices ([1,1;0,1]).
int SchurSqrt(CComplexMatrix& A)
{
    const bool realInput = IsRealMatrix(A);
    CComplexMatrix Q, T, R;
    // A matrix beyond the range comes as T of A 2^-k: the root of that, times
    // 2^(k/2) with k made even, so that a root within the range stays finite.
    int k = 0;
    if (int rc = LapackSchurScaled(A, Q, T, k)) return rc;
    if (k % 2 != 0) {
        ScaleMatrix(T, 1);
        k--;
    }
    if (!TriangularSqrt(T, R)) ReportWarning() << "Matrix is singular and may not have a square root";
    A = SchurBackTransform(Q, R, realInput);
    ScaleMatrix(A, k / 2);
    return 0;
}

double OneNorm(const CComplexMatrix& M) { return M.MaxColumnSum(); }

// exp of a matrix by scaling and squaring of its Taylor series.
CComplexMatrix ScaledExp(const CComplexMatrix& M)
{
    const int n = M.Rows();
    const double norm = OneNorm(M);
    int s = norm > 0.5 ? (int)std::ceil(std::log2(norm / 0.5)) : 0;
    CComplexMatrix X = M.Scaled(Complex(std::ldexp(1.0, -s), 0.0)), E(n, n), term(n, n);
    E.MakeIdentity();
    term.MakeIdentity();
    for (int j = 1; j < 40; j++) {
        term.Multiply(X);
        term = term.Scaled(Complex(1.0 / j, 0.0));
        E += term;
        if (OneNorm(term) <= 1e-18 * OneNorm(E)) break;
    }
    for (int i = 0; i < s; i++) E.Multiply(CComplexMatrix(E));
    return E;
}

// A^p for a real p by the Schur form: repeated square roots of T until it is
// near the identity, the logarithm's series there, then exp(p log T). Used
// where the eigenvectors cannot carry the power (a defective matrix). False
// when an eigenvalue is 0 (no logarithm).
bool SchurRealPower(CComplexMatrix& A, double p)
{
    const int n = A.Rows();
    const bool realInput = IsRealMatrix(A);
    CComplexMatrix Q, T;
    if (LapackSchur(A, Q, T) != 0) return false;
    for (int i = 0; i < n; i++)
        if (T.Cell(i, i).re == 0.0 && T.Cell(i, i).im == 0.0) return false;
    CComplexMatrix R = T, I(n, n);
    I.MakeIdentity();
    int k = 0;
    for (; k < 64; k++) {
        CComplexMatrix D = R;
        D -= I;
        if (OneNorm(D) <= 0.25) break;
        CComplexMatrix next;
        TriangularSqrt(R, next);
        R.Swap(next);
    }
    // log(I + X) = X - X^2/2 + X^3/3 - ...
    CComplexMatrix X = R;
    X -= I;
    CComplexMatrix L = X, power = X;
    for (int j = 2; j < 80; j++) {
        power.Multiply(X);
        CComplexMatrix t = power.Scaled(Complex((j % 2 ? 1.0 : -1.0) / j, 0.0));
        L += t;
        if (OneNorm(t) <= 1e-18 * OneNorm(L)) break;
    }
    CComplexMatrix F = ScaledExp(L.Scaled(Complex(p * std::ldexp(1.0, k), 0.0)));
    A = SchurBackTransform(Q, F, realInput);
    return true;
}

// The smallest singular value below n eps times the largest (or no SVD).
bool NumericallySingular(const CComplexMatrix& M)
{
    CRealMatrix sv;
    if (LapackSvdValues(M, sv) != 0 || sv.IsEmpty()) return true;
    return !(sv.Cell(sv.Rows() - 1, 0) > M.Rows() * DBL_EPSILON * sv.Cell(0, 0));
}

// M = M / 2^e with e the exponent of its largest part, added to E.
void Normalize(CComplexMatrix& M, int64_t& E)
{
    const double big = LargestPart(M);
    if (!(big > 0.0) || !std::isfinite(big)) return;
    const int e = ExponentOf(big);
    ScaleMatrix(M, -e);
    E = SaturatedExponent(E + e);
}

// A^m (m whole, >= 1) as F 2^E, by binary powering with every product
// brought back to a largest part in [0.5, 1): no cell overflows on the way,
// so a power beyond the double range keeps the signs of its cells. Status of
// the products (a stop).
int ScaledWholePower(const CComplexMatrix& A, double m, CComplexMatrix& F, int64_t& E)
{
    const int n = A.Rows();
    CComplexMatrix base(A), result(n, n);
    int64_t baseExp = 0, resultExp = 0;
    Normalize(base, baseExp);
    result.MakeIdentity();
    for (double e = m; e >= 1.0; e = std::floor(e * 0.5)) {
        if (std::fmod(e, 2.0) == 1.0) {
            if (int rc = result.Multiply(base)) return rc;
            resultExp = SaturatedExponent(resultExp + baseExp);
            Normalize(result, resultExp);
        }
        if (e >= 2.0) {
            CComplexMatrix square(base);
            if (int rc = base.Multiply(square)) return rc;
            baseExp = SaturatedExponent(2 * baseExp);
            Normalize(base, baseExp);
        }
    }
    F.Swap(result);
    E = resultExp;
    return 0;
}

// M times 2^(k p), the power of two taken out of A before A^p.
void ScaleByPowerOf2(CComplexMatrix& M, int k, const Complex& p)
{
    if (p.im != 0.0) {
        const double theta = k * p.im * std::numbers::ln2;
        const Complex turn(std::cos(theta), std::sin(theta));
        for (int i = 0; i < M.Rows(); i++)
            for (int j = 0; j < M.Cols(); j++) M.Cell(i, j) *= turn;
    }
    const double x = k * p.re, whole = std::floor(x);
    const double frac = std::isfinite(x) ? x - whole : 0.0;
    const int e = (int)std::max(-2200.0, std::min(2200.0, whole));
    // 2^frac in [1, 2): halved before a step down, so that no cell overflows
    // on its way to a finite result.
    const double f = std::exp2(frac);
    for (int i = 0; i < M.Rows(); i++)
        for (int j = 0; j < M.Cols(); j++) {
            Complex& z = M.Cell(i, j);
            if (e < 0) {
                z.re = std::ldexp(z.re * (0.5 * f), e + 1);
                z.im = std::ldexp(z.im * (0.5 * f), e + 1);
            } else {
                z.re = std::ldexp(z.re * f, e);
                z.im = std::ldexp(z.im * f, e);
            }
        }
}

}  // namespace

int CComplexMatrix::Power(CComplexMatrix& A, const Complex& p)
{
    const int n = A.Rows();
    if (A.IsEmpty() || n != A.Cols() || n == 1) {
        for (int i = 0; i < A.Rows(); i++)
            for (int j = 0; j < A.Cols(); j++) A.Cell(i, j).PowAssign(p);
        return 0;
    }
    // Only a real exponent with a whole value takes the product path.
    if (p.im == 0.0 && std::isfinite(p.re) && RoundToNearest(p.re) == p.re) {
        if (p.re == 0.0) {
            A.MakeIdentity();
            return 0;
        }
        double m = std::fabs(p.re);
        // A power that leaves the double range on the way (INF, INF - INF) is
        // made again with its exponent kept apart; so is the power to be
        // inverted when it falls below the normal range.
        const bool finite = AllFinite(A);
        CComplexMatrix original;
        if (finite) original = A;
        if (m <= 64.0) {
            CComplexMatrix base(A);
            for (double k = 1.0; k < m; k += 1.0) A.Multiply(base);
        } else {
            // Binary powering: at most ~1024 squarings for any double exponent.
            CComplexMatrix base(A), result(n, n);
            result.MakeIdentity();
            for (double e = m; e >= 1.0; e = std::floor(e * 0.5)) {
                if (std::fmod(e, 2.0) == 1.0) result.Multiply(base);
                if (e >= 2.0) base = base * base;
            }
            A.Swap(result);
        }
        // A^-m = (A^-1)^m, A^-1 taken of A scaled into range, where inverting
        // A^m would fail: the larger eigenvalues' share of A^m hides the rest.
        auto powerOfInverse = [&]() -> int {
            CComplexMatrix inverse(original), F;
            int64_t shift = 0, E = 0;
            Normalize(inverse, shift);
            if (int rc = LapackInverse(inverse)) return rc;
            if (int rc = ScaledWholePower(inverse, m, F, E)) return rc;
            // A^-m = F 2^(E - m shift).
            const double total = std::max(-1e15, std::min(1e15, (double)E - m * (double)shift));
            ScaleMatrix(F, LdexpExponent(SaturatedExponent((int64_t)total)));
            A.Swap(F);
            return 0;
        };
        if (finite && (!AllFinite(A) || (p.re < 0.0 && LargestPart(A) < DBL_MIN))) {
            CComplexMatrix F;
            int64_t E = 0;
            if (int rc = ScaledWholePower(original, m, F, E)) return rc;
            if (p.re < 0.0) {
                // A power that is exactly zero has no inverse: reported as it was.
                if (LargestPart(F) == 0.0) return LapackInverse(A);
                return powerOfInverse();
            }
            ScaleMatrix(F, LdexpExponent(E));
            A.Swap(F);
            return 0;
        }
        if (p.re < 0.0) {
            if (finite && m >= 2.0 && NumericallySingular(A) && !NumericallySingular(original))
                return powerOfInverse();
            return LapackInverse(A);
        }
        return 0;
    }
    // Halves of whole powers go through the Schur square root, then the
    // product path: sqrtm and A^0.5 hold for defective matrices too.
    if (p.im == 0.0 && std::isfinite(p.re) && RoundToNearest(2 * p.re) == 2 * p.re && std::fabs(p.re) < 1e15) {
        if (int rc = SchurSqrt(A)) return rc;
        if (p.re == 0.5) return 0;
        return Power(A, Complex(2 * p.re, 0.0));
    }
    // Beyond the range: A^p = (A 2^-k)^p 2^(k p) (for a finite p).
    const int k = std::isfinite(p.re) && std::isfinite(p.im) ? RangeExponent(A) : 0;
    if (k != 0) {
        CComplexMatrix B(A);
        ScaleMatrix(B, -k);
        if (int rc = Power(B, p)) return rc;
        ScaleByPowerOf2(B, k, p);
        A.Swap(B);
        return 0;
    }
    CComplexMatrix work(A), V, D;
    if (work.EigDecompose(V, D) != 0) return 10;
    for (int i = 0; i < n; i++) {
        Complex r;
        ComplexPowComplex(r, D.Cell(0, i), p);
        D.Cell(0, i) = r;
    }
    // Eigenvectors that are (nearly) dependent cannot carry a power: a
    // defective matrix such as [1,1;0,1] goes through its Schur form.
    if (p.im == 0.0 && std::isfinite(p.re)) {
        CRealMatrix sv;
        const bool reliable = LapackSvdValues(V, sv) == 0 && !sv.IsEmpty() &&
                              sv.Cell(sv.Rows() - 1, 0) > 1e-10 * sv.Cell(0, 0);
        if (!reliable && SchurRealPower(A, p.re)) return 0;
    }
    CComplexMatrix diag;
    diag.MakeDiag(D.Row(0), n, 0);
    int rc = diag.DivideRight(V);
    if (rc != 0) return rc;
    rc = V.Multiply(diag);
    if (rc != 0) return rc;
    A.Swap(V);
    return 0;
}

int ScalarPowMatrix(const Complex& s, CComplexMatrix& M)
{
    if (M.IsEmpty() || M.Rows() != M.Cols()) {
        for (int i = 0; i < M.Rows(); i++)
            for (int j = 0; j < M.Cols(); j++) {
                Complex c = s;
                c.PowAssign(M.Cell(i, j));
                M.Cell(i, j) = c;
            }
        return 0;
    }
    Complex logS;
    ComplexLog(logS, s);
    CComplexMatrix scaled = M.Scaled(logS);
    scaled.Expm(M);
    return 0;
}
