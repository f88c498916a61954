// Own decompositions, norms and matrix functions of CComplexMatrix.
#include <cfloat>
#include <cmath>

#include "values/complex_policy.h"
#include "values/lapack_drivers.h"
#include "values/linalg_kernels.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/value.h"

namespace {

using CDense = DenseMatrix<Complex>;

}  // namespace

int CComplexMatrix::Svd(CComplexMatrix& U, CComplexMatrix& W, CComplexMatrix& V) const
{
    return SvdOf<ComplexPolicy>(*this, U, W, V);
}

int CComplexMatrix::EigValues(CComplexMatrix& W)
{
    return EigValuesOf<ComplexPolicy>(*this, W);
}

int CComplexMatrix::EigDecompose(CComplexMatrix& V, CComplexMatrix& D)
{
    return EigDecomposeOf<ComplexPolicy>(*this, V, D);
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
    // The real parts of the diagonal of A^H A, column by column.
    double total = 0.0;
    for (int j = 0; j < Cols(); j++) {
        double diag = 0.0;
        for (int i = 0; i < Rows(); i++) {
            const Complex& z = Cell(i, j);
            diag += z.re * z.re + z.im * z.im;
        }
        total += diag;
    }
    return std::sqrt(total);
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
    double sum = 0.0;
    for (int k = 0; k < n; k++) sum += std::pow(ComplexAbsOf(cell(k)), p);
    return std::pow(sum, 1.0 / p);
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
        if (p.re < 0.0) return LapackInverse(A);
        return 0;
    }
    CComplexMatrix work(A), V, D;
    if (work.EigDecompose(V, D) != 0) return 10;
    for (int i = 0; i < n; i++) {
        Complex r;
        ComplexPowComplex(r, D.Cell(0, i), p);
        D.Cell(0, i) = r;
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
