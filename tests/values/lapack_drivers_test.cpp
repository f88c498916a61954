#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "values/linalg_support.h"
#include "support/capture.h"
#include "values/lapack.h"
#include "values/lapack_drivers.h"
#include "values/poly_roots.h"
#include "values/random15.h"
#include "values/value_matrix.h"

namespace {

CComplexMatrix FromReal(const CRealMatrix& r)
{
    CComplexMatrix m(r.Rows(), r.Cols());
    for (int i = 0; i < r.Rows(); i++)
        for (int j = 0; j < r.Cols(); j++) m.Cell(i, j) = Complex(r.Cell(i, j), 0);
    return m;
}

}  // namespace

TEST(LapackSvd, ShapesAndFactorisation)
{
    const CComplexMatrix inputs[] = {
        RealMat(3, 2, {1, 2, 3, 4, 5, 6}),
        Mat(2, 3, {{1, 1}, {0, 2}, {3, 0}, {0, 0}, {1, -1}, {2, 2}}),
    };
    for (const auto& A : inputs) {
        CComplexMatrix U, V;
        CRealMatrix S;
        ASSERT_EQ(LapackSvd(A, U, S, V), 0);
        int k = std::min(A.Rows(), A.Cols());
        EXPECT_EQ(U.Rows(), A.Rows());
        EXPECT_EQ(U.Cols(), k);
        EXPECT_EQ(S.Rows(), k);
        EXPECT_EQ(S.Cols(), k);
        EXPECT_EQ(V.Rows(), A.Cols());
        EXPECT_EQ(V.Cols(), k);
        EXPECT_LT(DiffNorm(U * FromReal(S) * ConjT(V), A), 1e-13 * Frob(A));
        EXPECT_LT(DiffNorm(ConjT(V) * V, Identity(k)), 1e-13);
    }
    CRealMatrix s;
    EXPECT_EQ(LapackSvdValues(CComplexMatrix(), s), 69);
    ASSERT_EQ(LapackSvdValues(RealMat(2, 2, {3, 0, 0, 4}), s), 0);
    ASSERT_EQ(s.Rows(), 2);
    EXPECT_EQ(s.Cols(), 1);
    EXPECT_NEAR(s.Cell(0, 0), 4, 1e-15);
    EXPECT_NEAR(s.Cell(1, 0), 3, 1e-15);
}

TEST(LapackInverse, SingularMatrixWarnsThenFails)
{
    CCaptureStream cap;
    CComplexMatrix A = RealMat(2, 2, {1, 2, 2, 4});
    EXPECT_EQ(LapackInverse(A), 10);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Warning: Matrix is close to singular or badly scaled. rcond=0");
    EXPECT_EQ(cap.messages[1], "Error: The matrix is singular");
    EXPECT_EQ(DiffNorm(A, RealMat(2, 2, {1, 2, 2, 4})), 0.0);
}

TEST(LapackInverse, ShapeErrorAndGoodInverse)
{
    CCaptureStream cap;
    CComplexMatrix wide = RealMat(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(LapackInverse(wide), 69);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument must be a square matrix");
    cap.Reset();

    const CComplexMatrix A = Mat(3, 3, {{2, 1}, {0, 0}, {1, 0}, {1, 0}, {3, -1}, {0, 2}, {0, 0}, {1, 0}, {4, 0}});
    CComplexMatrix inv;
    ASSERT_EQ(LapackInverse(A, inv), 0);
    EXPECT_LT(DiffNorm(A * inv, Identity(3)), 1e-14);
    EXPECT_TRUE(cap.messages.empty());
}

TEST(LapackSchur, FactorisationAndShapeError)
{
    const CComplexMatrix A = RealMat(3, 3, {1, 2, 0, -2, 1, 3, 0, 1, 4});
    CComplexMatrix Q, T;
    ASSERT_EQ(LapackSchur(A, Q, T), 0);
    EXPECT_LT(DiffNorm(Q * T * ConjT(Q), A), 1e-13 * Frob(A));
    EXPECT_LT(DiffNorm(ConjT(Q) * Q, Identity(3)), 1e-14);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < i; j++) EXPECT_EQ(CAbs(T.Cell(i, j)), 0.0);

    CCaptureStream cap;
    EXPECT_EQ(LapackSchur(RealMat(1, 2, {1, 2}), Q, T), 69);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument must be a square matrix");
}

TEST(SchurMatrixFunction, LogOfRealPositiveSpectrumIsExactlyReal)
{
    const CComplexMatrix A = RealMat(3, 3, {4, 1, 0, 1, 3, 1, 0, 1, 2});
    CComplexMatrix L, back;
    double est = -1;
    ASSERT_EQ(SchurMatrixFunction(A, L, ComplexLog, &est), 0);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_EQ(L.Cell(i, j).im, 0.0);
    EXPECT_GT(est, 0.0);
    EXPECT_LE(est, 1.0);
    ASSERT_EQ(L.Expm(back), 0);
    EXPECT_LT(DiffNorm(back, A), 1e-12 * Frob(A));

    CComplexMatrix S;
    ASSERT_EQ(SchurMatrixFunction(RealMat(2, 2, {4, 0, 0, 9}), S, ComplexSqrt, nullptr), 0);
    EXPECT_LT(DiffNorm(S, RealMat(2, 2, {2, 0, 0, 3})), 1e-14);
}

// Our xerbla_ must be the one LAPACK reaches: an argument error comes back as
// info < 0 with the routine recorded, and the process goes on.
TEST(LapackArguments, ErrorsComeBackInsteadOfStopping)
{
    int m = 2, n = 2, lda = 1, ldu = 2, ldvt = 2, lwork = 10, info = 0;
    std::vector<Complex> a(4), u(4), vt(4), work(10);
    std::vector<double> s(2), rwork(10);
    TakeLapackArgumentError(nullptr, nullptr);
    zgesvd_("S", "S", &m, &n, a.data(), &lda, s.data(), u.data(), &ldu, vt.data(), &ldvt, work.data(), &lwork,
            rwork.data(), &info, 1, 1);
    EXPECT_EQ(info, -6);
    std::string routine;
    int position = 0;
    ASSERT_TRUE(TakeLapackArgumentError(&routine, &position));
    EXPECT_EQ(routine, "ZGESVD");
    EXPECT_EQ(position, 6);
    EXPECT_FALSE(TakeLapackArgumentError(&routine, &position));
}

TEST(RandomMatrix, ModesAndRanges)
{
    SeedRand15(7);
    CValueMatrix M(4, 5);
    ASSERT_EQ(RandomMatrix(M, 1, 1), 0);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 5; j++) {
            ASSERT_EQ(M.Cell(i, j).Type(), (uint32_t)VT_REAL);
            EXPECT_GT(M.Cell(i, j).Real(), 0.0);
            EXPECT_LT(M.Cell(i, j).Real(), 1.0);
        }
    ASSERT_EQ(RandomMatrix(M, 2, 2), 0);
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 5; j++) {
            ASSERT_EQ(M.Cell(i, j).Type(), (uint32_t)VT_COMPLEX);
            EXPECT_LE(std::fabs(M.Cell(i, j).ComplexRef().re), 1.0);
        }
    Complex before = M.Cell(2, 3).ComplexRef();
    ASSERT_EQ(RandomMatrix(M, 3, 1), 0);
    EXPECT_EQ(M.Cell(2, 3).ComplexRef().re, before.re);
    EXPECT_FALSE(TakeLapackArgumentError(nullptr, nullptr));
    for (int k = 0; k < 1000; k++) {
        int r = Rand15();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST(PolyRoots, RootsAndFailures)
{
    struct Case {
        std::vector<Complex> coeffs;
        std::vector<Complex> roots;  // sorted by real, then imaginary part
    } cases[] = {
        {{{2, 0}, {-3, 0}, {1, 0}}, {{1, 0}, {2, 0}}},
        {{{2, 0}, {-3, 0}, {1, 0}, {0, 0}, {0, 0}}, {{1, 0}, {2, 0}}},  // zero leading coefficients
        {{{1, 0}, {0, 0}, {1, 0}}, {{0, -1}, {0, 1}}},
        {{{-6, 0}, {11, 0}, {-6, 0}, {1, 0}}, {{1, 0}, {2, 0}, {3, 0}}},
        {{{0, 0}, {2, 0}}, {{0, 0}}},
        {{{0, -1}, {0, 0}, {1, 0}}, {{-std::sqrt(0.5), -std::sqrt(0.5)}, {std::sqrt(0.5), std::sqrt(0.5)}}},
    };
    for (auto& c : cases) {
        std::vector<Complex> roots;
        ASSERT_EQ(PolyRoots(c.coeffs.data(), (int)c.coeffs.size(), roots), 0);
        ASSERT_EQ(roots.size(), c.roots.size());
        std::sort(roots.begin(), roots.end(), [](const Complex& a, const Complex& b) {
            return std::fabs(a.re - b.re) > 1e-9 ? a.re < b.re : a.im < b.im;
        });
        for (size_t i = 0; i < roots.size(); i++) {
            EXPECT_NEAR(roots[i].re, c.roots[i].re, 1e-12);
            EXPECT_NEAR(roots[i].im, c.roots[i].im, 1e-12);
        }
    }
    for (std::vector<Complex> bad : {std::vector<Complex>{{5, 0}}, std::vector<Complex>{{5, 0}, {0, 0}},
                                     std::vector<Complex>{}}) {
        CCaptureStream cap;
        std::vector<Complex> roots;
        EXPECT_EQ(PolyRoots(bad.data(), (int)bad.size(), roots), -1);
        ASSERT_EQ(cap.messages.size(), 1u);
        EXPECT_EQ(cap.messages[0], "Error: Failed to find a roots of a polynomial");
    }
}

// Exactly zero low coefficients are exact roots 0, after the other roots.
TEST(PolyRoots, ZeroLowCoefficientsAreExactRoots)
{
    struct Case {
        std::vector<Complex> coeffs;
        std::vector<Complex> others;  // the roots besides the zeros
        int zeros;
    } cases[] = {
        {{{0, 0}, {0, 0}, {1, 0}, {1, 0}}, {{-1, 0}}, 2},         // x^2 + x^3
        {{{0, 0}, {2, 0}}, {}, 1},                                // 2x
        {{{0, 0}, {0, 0}, {0, 0}, {-8, 0}, {0, 0}, {2, 0}}, {{-2, 0}, {2, 0}}, 3},
        {{{0, 0}, {0, 1}, {1, 0}, {0, 0}}, {{0, -1}}, 1},          // i x + x^2, zero top too
    };
    for (auto& c : cases) {
        std::vector<Complex> roots;
        ASSERT_EQ(PolyRoots(c.coeffs.data(), (int)c.coeffs.size(), roots), 0);
        ASSERT_EQ(roots.size(), c.others.size() + c.zeros);
        std::vector<Complex> others(roots.begin(), roots.begin() + c.others.size());
        std::sort(others.begin(), others.end(), [](const Complex& a, const Complex& b) { return a.re < b.re; });
        for (size_t i = 0; i < others.size(); i++) {
            EXPECT_NEAR(others[i].re, c.others[i].re, 1e-14);
            EXPECT_NEAR(others[i].im, c.others[i].im, 1e-14);
        }
        for (size_t i = c.others.size(); i < roots.size(); i++) {
            EXPECT_EQ(roots[i].re, 0.0);
            EXPECT_EQ(roots[i].im, 0.0);
        }
    }
    // Failures keep the zero-filled size of the whole polynomial.
    CCaptureStream cap;
    std::vector<Complex> coeffs = {{0, 0}, {1, 0}, {std::nan(""), 0}, {2, 0}, {1, 0}}, roots;
    EXPECT_EQ(PolyRoots(coeffs.data(), 5, roots), -2);
    EXPECT_EQ(roots.size(), 4u);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Failed to find a roots of a polynomial"}));
}

TEST(PolyInterpolate, CoefficientsThroughPoints)
{
    std::vector<Complex> out;
    Complex x2[] = {{0, 0}, {1, 0}}, y2[] = {{1, 0}, {3, 0}};
    ASSERT_EQ(PolyInterpolate(out, x2, y2, 2), 0);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0].re, 1, 1e-15);
    EXPECT_NEAR(out[1].re, 2, 1e-15);
    // y = 1 - x + 2x^2 through three points.
    Complex x3[] = {{-1, 0}, {0.5, 0}, {2, 0}}, y3[3];
    for (int i = 0; i < 3; i++) y3[i] = Complex(1 - x3[i].re + 2 * x3[i].re * x3[i].re, 0);
    ASSERT_EQ(PolyInterpolate(out, x3, y3, 3), 0);
    EXPECT_NEAR(out[0].re, 1, 1e-14);
    EXPECT_NEAR(out[1].re, -1, 1e-14);
    EXPECT_NEAR(out[2].re, 2, 1e-14);
    EXPECT_EQ(PolyInterpolate(out, x2, y2, 1), -1);
}

TEST(PolyRoots, NaNCoefficientFailsWithZeroRoots)
{
    CCaptureStream cap;
    std::vector<Complex> coeffs = {{1, 0}, {std::nan(""), 0}, {2, 0}, {1, 0}}, roots;
    EXPECT_EQ(PolyRoots(coeffs.data(), 4, roots), -2);
    ASSERT_EQ(roots.size(), 3u);
    for (auto& r : roots) EXPECT_EQ(CAbs(r), 0.0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Failed to find a roots of a polynomial");
}
