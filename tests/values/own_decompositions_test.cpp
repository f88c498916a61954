#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "values/linalg_support.h"
#include "support/capture.h"
#include "values/lapack_drivers.h"

namespace {

// Checks A = U diag(W) V^H, and V^H V = I; U^H U = I when the matrix is not wide.
void ExpectSvdIdentities(const CComplexMatrix& A, double tol)
{
    CComplexMatrix U, W, V;
    ASSERT_EQ(A.Svd(U, W, V), 0);
    ASSERT_EQ(U.Rows(), A.Rows());
    ASSERT_EQ(U.Cols(), A.Cols());
    ASSERT_EQ(W.Rows(), 1);
    ASSERT_EQ(V.Rows(), A.Cols());
    for (int j = 0; j < W.Cols(); j++) {
        EXPECT_EQ(W.Cell(0, j).im, 0.0);
        EXPECT_GE(W.Cell(0, j).re, 0.0);
    }
    double scale = std::max(1.0, Frob(A));
    EXPECT_LT(DiffNorm(U * DiagOf(W) * ConjT(V), A), tol * scale);
    EXPECT_LT(DiffNorm(ConjT(V) * V, Identity(A.Cols())), tol);
    if (A.Rows() >= A.Cols()) {
        EXPECT_LT(DiffNorm(ConjT(U) * U, Identity(A.Cols())), tol);
    }
}

std::vector<double> SortedRealRow(const CComplexMatrix& row)
{
    std::vector<double> v;
    for (int j = 0; j < row.Cols(); j++) v.push_back(row.Cell(0, j).re);
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

TEST(OwnSvd, SmallCasesFollowTheSweepOrderAndSigns)
{
    struct Case {
        CComplexMatrix a;
        CComplexMatrix u, w, v;
    } cases[] = {
        {RealMat(1, 1, {3}), RealMat(1, 1, {-1}), RealMat(1, 1, {3}), RealMat(1, 1, {-1})},
        {RealMat(1, 1, {-3}), RealMat(1, 1, {-1}), RealMat(1, 1, {3}), RealMat(1, 1, {1})},
        // Zero matrix: W zero, V identity, U with 1 on its leading diagonal.
        {RealMat(3, 2, {0, 0, 0, 0, 0, 0}), RealMat(3, 2, {1, 0, 0, 1, 0, 0}), RealMat(1, 2, {0, 0}),
         RealMat(2, 2, {1, 0, 0, 1})},
    };
    for (auto& c : cases) {
        CComplexMatrix U, W, V;
        ASSERT_EQ(c.a.Svd(U, W, V), 0);
        EXPECT_EQ(DiffNorm(U, c.u), 0.0);
        EXPECT_EQ(DiffNorm(W, c.w), 0.0);
        EXPECT_EQ(DiffNorm(V, c.v), 0.0);
    }
}

TEST(OwnSvd, DiagonalInputKeepsDiagonalOrderAndColumnLengthForOneColumn)
{
    CComplexMatrix U, W, V;
    ASSERT_EQ(RealMat(3, 3, {2, 0, 0, 0, -5, 0, 0, 0, 1}).Svd(U, W, V), 0);
    EXPECT_NEAR(W.Cell(0, 0).re, 2, 1e-15);
    EXPECT_NEAR(W.Cell(0, 1).re, 5, 1e-15);
    EXPECT_NEAR(W.Cell(0, 2).re, 1, 1e-15);

    ASSERT_EQ(RealMat(3, 1, {1, 2, 2}).Svd(U, W, V), 0);
    ASSERT_EQ(W.Cols(), 1);
    EXPECT_NEAR(W.Cell(0, 0).re, 3, 1e-15);
    EXPECT_NEAR(std::fabs(V.Cell(0, 0).re), 1, 1e-15);
}

TEST(OwnSvd, ComplexAndWideInputsSatisfyTheUnitaryIdentities)
{
    ExpectSvdIdentities(Mat(2, 2, {{1, 1}, {2, 0}, {0, -1}, {3, 2}}), 1e-13);
    ExpectSvdIdentities(Mat(3, 2, {{1, 2}, {0, 1}, {-1, 0}, {2, -3}, {0.5, 0.5}, {4, 0}}), 1e-13);
    ExpectSvdIdentities(Mat(1, 1, {{0, 2}}), 1e-15);
    ExpectSvdIdentities(RealMat(2, 3, {1, 2, 3, 4, 5, 6}), 1e-13);
    ExpectSvdIdentities(Mat(2, 3, {{1, 1}, {0, 2}, {3, 0}, {0, 0}, {1, -1}, {2, 2}}), 1e-13);
    ExpectSvdIdentities(RealMat(4, 3, {1, 2, 3, 2, 4, 6, 0, 0, 1, 1, 1, 1}), 1e-13);  // rank deficient
}

TEST(OwnSvd, NoColumnsIsReported)
{
    CCaptureStream cap;
    CComplexMatrix U = RealMat(1, 1, {7}), W, V;
    EXPECT_EQ(CComplexMatrix().Svd(U, W, V), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid svd; argument is non-empty matrix");
    EXPECT_EQ(U.Cell(0, 0).re, 7);
}

TEST(OwnEigValues, KnownSpectra)
{
    const double r = std::sqrt(8.25);
    struct Case {
        CComplexMatrix a;
        std::vector<Complex> w;
        double tol;
    } cases[] = {
        {RealMat(1, 1, {-4}), {{-4, 0}}, 0},
        {RealMat(2, 2, {1, 2, 3, 4}), {{2.5 - r, 0}, {2.5 + r, 0}}, 1e-14},
        {RealMat(2, 2, {0, 1, -1, 0}), {{0, -1}, {0, 1}}, 0},
        {RealMat(2, 2, {2, 0, 0, 3}), {{2, 0}, {3, 0}}, 0},
        {RealMat(3, 3, {1, 5, 6, 0, 2, 7, 0, 0, 3}), {{1, 0}, {2, 0}, {3, 0}}, 0},
    };
    for (auto& c : cases) {
        CComplexMatrix W;
        ASSERT_EQ(c.a.EigValues(W), 0);
        ASSERT_EQ(W.Cols(), (int)c.w.size());
        for (size_t j = 0; j < c.w.size(); j++) {
            EXPECT_NEAR(W.Cell(0, j).re, c.w[j].re, c.tol) << j;
            EXPECT_NEAR(W.Cell(0, j).im, c.w[j].im, c.tol) << j;
        }
    }
}

TEST(OwnEigValues, IntegerMatrixThatDefeatsPlainSums)
{
    CComplexMatrix A = RealMat(4, 4, {0, 2, 2, 2, -2, -2, 1, 2, 0, 0, -1, 3, 2, 2, 3, -2}), W;
    ASSERT_EQ(A.EigValues(W), 0);
    std::vector<Complex> got;
    for (int j = 0; j < 4; j++) got.push_back(W.Cell(0, j));
    std::sort(got.begin(), got.end(), [](const Complex& a, const Complex& b) {
        return a.re != b.re ? a.re < b.re : a.im < b.im;
    });
    EXPECT_NEAR(got[0].re, -4.934, 1e-3);
    EXPECT_NEAR(got[1].re, -1.488, 1e-3);
    EXPECT_NEAR(got[1].im, -1.061, 1e-3);
    EXPECT_NEAR(got[2].re, -1.488, 1e-3);
    EXPECT_NEAR(got[2].im, 1.061, 1e-3);
    EXPECT_NEAR(got[3].re, 2.911, 1e-3);
    EXPECT_NEAR(got[3].im, 0, 1e-12);
    double trace = 0;
    for (auto& z : got) trace += z.re;
    EXPECT_NEAR(trace, -5, 1e-12);
}

TEST(OwnEigen, NonSquareIsReportedByBoth)
{
    CCaptureStream cap;
    CComplexMatrix A = RealMat(2, 3, {1, 2, 3, 4, 5, 6}), W, V, D;
    EXPECT_EQ(A.EigValues(W), 10);
    EXPECT_EQ(A.EigDecompose(V, D), 10);
    EXPECT_EQ(CComplexMatrix().EigValues(W), 10);
    ASSERT_EQ(cap.messages.size(), 3u);
    for (auto& m : cap.messages) EXPECT_EQ(m, "Error: Argument of eig function must be a square matrix");
    EXPECT_EQ(A.Cell(1, 2).re, 6);
}

TEST(OwnEigDecompose, DiagonalZeroAndOneByOne)
{
    struct Case {
        CComplexMatrix a, v, d;
    } cases[] = {
        {RealMat(2, 2, {2, 0, 0, 3}), Identity(2), RealMat(1, 2, {2, 3})},
        {RealMat(3, 3, {0, 0, 0, 0, 0, 0, 0, 0, 0}), Identity(3), RealMat(1, 3, {0, 0, 0})},
        {Mat(1, 1, {{2, -1}}), Identity(1), Mat(1, 1, {{2, -1}})},
    };
    for (auto& c : cases) {
        CComplexMatrix V, D;
        ASSERT_EQ(c.a.EigDecompose(V, D), 0);
        EXPECT_EQ(DiffNorm(V, c.v), 0.0);
        EXPECT_EQ(DiffNorm(D, c.d), 0.0);
    }
}

TEST(OwnEigDecompose, ComplexAndRepeatedEigenvaluesGiveSmallResiduals)
{
    const CComplexMatrix inputs[] = {
        Mat(3, 3, {{1, 1}, {2, 0}, {0, -1}, {0, 2}, {3, 0}, {1, 1}, {-1, 0}, {0, 0}, {2, -2}}),
        RealMat(3, 3, {2, 1, 0, 0, 2, 1, 0, 0, 2}),  // one Jordan block
        RealMat(4, 4, {4, 1, 2, 3, 1, 5, 1, 2, 2, 1, 6, 1, 3, 2, 1, 7}),
    };
    for (const auto& A : inputs) {
        CComplexMatrix work(A), V, D;
        ASSERT_EQ(work.EigDecompose(V, D), 0);
        double res = DiffNorm(A * V, V * DiagOf(D));
        EXPECT_LT(res, 1e-12 * Frob(A) * Frob(V));
    }
}

// Seeded sweep over small integer matrices: eigen residuals, eigenvalue backward
// errors, and singular values against LAPACK's.
TEST(OwnDecompositions, SeededSweepOfIntegerMatrices)
{
    std::mt19937 gen(20261209);
    std::uniform_int_distribution<int> size(1, 5), entry(-4, 4);
    int failures = 0;
    for (int trial = 0; trial < 1000 && failures < 5; trial++) {
        int n = size(gen), m = size(gen);
        CComplexMatrix A(n, n), B(m, n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) A.Cell(i, j) = Complex(entry(gen), 0);
        for (int i = 0; i < m; i++)
            for (int j = 0; j < n; j++) B.Cell(i, j) = Complex(entry(gen), trial % 3 == 0 ? entry(gen) : 0);
        const double normA = std::max(1.0, Frob(A));

        CComplexMatrix work(A), V, D;
        ASSERT_EQ(work.EigDecompose(V, D), 0) << "trial " << trial;
        double res = DiffNorm(A * V, V * DiagOf(D));
        if (!(res <= 1e-9 * normA * std::max(1.0, Frob(V)))) {
            ADD_FAILURE() << "eigenvector residual " << res << " at trial " << trial;
            failures++;
        }

        CComplexMatrix work2(A), W;
        ASSERT_EQ(work2.EigValues(W), 0) << "trial " << trial;
        Complex trace, sum;
        for (int i = 0; i < n; i++) {
            trace += A.Cell(i, i);
            sum += W.Cell(0, i);
            // Backward error: A - lambda I is singular to working accuracy.
            CComplexMatrix shifted(A);
            for (int k = 0; k < n; k++) {
                shifted.Cell(k, k).re -= W.Cell(0, i).re;
                shifted.Cell(k, k).im -= W.Cell(0, i).im;
            }
            CRealMatrix s;
            ASSERT_EQ(LapackSvdValues(shifted, s), 0);
            if (!(s.Cell(n - 1, 0) <= 1e-9 * normA)) {
                ADD_FAILURE() << "eigenvalue backward error " << s.Cell(n - 1, 0) << " at trial " << trial;
                failures++;
            }
        }
        if (!(CAbs(Complex(trace.re - sum.re, trace.im - sum.im)) <= 1e-9 * normA)) {
            ADD_FAILURE() << "trace mismatch at trial " << trial;
            failures++;
        }

        CComplexMatrix U, Wv, Vv;
        ASSERT_EQ(B.Svd(U, Wv, Vv), 0) << "trial " << trial;
        CRealMatrix ref;
        ASSERT_EQ(LapackSvdValues(B, ref), 0);
        std::vector<double> own = SortedRealRow(Wv);
        std::vector<double> lap;
        for (int i = 0; i < ref.Rows(); i++) lap.push_back(ref.Cell(i, 0));
        while ((int)lap.size() < n) lap.push_back(0.0);  // wide input: W carries the zero values too
        std::sort(lap.begin(), lap.end());
        double smax = lap.empty() ? 0 : lap.back();
        for (size_t i = 0; i < own.size(); i++) {
            if (!(std::fabs(own[i] - lap[i]) <= 1e-12 * std::max(1.0, smax))) {
                ADD_FAILURE() << "singular value " << own[i] << " vs " << lap[i] << " at trial " << trial;
                failures++;
                break;
            }
        }
        double resSvd = DiffNorm(U * DiagOf(Wv) * ConjT(Vv), B);
        if (!(resSvd <= 1e-12 * std::max(1.0, Frob(B)))) {
            ADD_FAILURE() << "svd residual " << resSvd << " at trial " << trial;
            failures++;
        }
    }
}

// NaN cells never converge: each routine must end with its own message.
TEST(OwnDecompositions, NaNInputEndsWithTheConvergenceMessages)
{
    const double nan = std::nan("");
    CCaptureStream cap;
    CComplexMatrix U, W, V;
    EXPECT_EQ(RealMat(2, 2, {1, nan, 3, 4}).Svd(U, W, V), 10);
    CComplexMatrix a = RealMat(3, 3, {1, 2, 3, 4, nan, 6, 7, 8, 9}), b(a);
    EXPECT_EQ(a.EigValues(W), 10);
    EXPECT_EQ(b.EigDecompose(V, W), 10);
    ASSERT_EQ(cap.messages.size(), 3u);
    EXPECT_EQ(cap.messages[0], "Error: Svd: Solution will not converge");
    EXPECT_EQ(cap.messages[1], "Error: Function eigv; solution will not converge");
    EXPECT_EQ(cap.messages[2], "Error: Solution will not converge");
}

// Beyond the range the routines run on the matrix scaled by a power of two,
// so a matrix 2^s A there gives exactly 2^s times A's values (and A's
// vectors), down into the subnormals and up to the largest doubles.
TEST(OwnDecompositions, PowerOfTwoMultiplesBeyondTheRangeGiveExactMultiples)
{
    const CComplexMatrix A = Mat(3, 3, {{4, 1}, {1, 0}, {2, 0}, {0.5, 0}, {3, -2}, {1, 0}, {1, 0}, {2, 0}, {5, 0}});
    CComplexMatrix U0, W0, V0, E0, D0, X0;
    ASSERT_EQ(A.Svd(U0, W0, V0), 0);
    CComplexMatrix a0(A), b0(A);
    ASSERT_EQ(a0.EigValues(E0), 0);
    ASSERT_EQ(b0.EigDecompose(X0, D0), 0);
    // Subnormal cells have lost digits: only the normal multiples are exact.
    auto same = [](const CComplexMatrix& got, const CComplexMatrix& base, int s, double tol) {
        for (int j = 0; j < base.Cols(); j++) {
            const Complex want(std::ldexp(base.Cell(0, j).re, s), std::ldexp(base.Cell(0, j).im, s));
            EXPECT_LE(std::hypot(got.Cell(0, j).re - want.re, got.Cell(0, j).im - want.im),
                      tol * std::hypot(want.re, want.im))
                << s << " cell " << j;
        }
    };
    for (int s : {-1040, -1000, -600, 600, 1000, 1020}) {
        CComplexMatrix B(A), U, W, V, E, D, X;
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                B.Cell(i, j) = Complex(std::ldexp(A.Cell(i, j).re, s), std::ldexp(A.Cell(i, j).im, s));
        const double tol = s < -1022 ? 1e-9 : 0.0;
        ASSERT_EQ(B.Svd(U, W, V), 0) << s;
        CComplexMatrix b1(B), b2(B);
        ASSERT_EQ(b1.EigValues(E), 0) << s;
        ASSERT_EQ(b2.EigDecompose(X, D), 0) << s;
        same(W, W0, s, tol);
        same(E, E0, s, tol);
        same(D, D0, s, tol);
        EXPECT_LE(DiffNorm(U, U0) + DiffNorm(V, V0) + DiffNorm(X, X0), tol * 100) << s;
    }
}
