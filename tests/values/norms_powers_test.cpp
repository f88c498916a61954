#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "values/complex_linalg.h"
#include "values/linalg_support.h"
#include "support/capture.h"

namespace {
const double kInf = std::numeric_limits<double>::infinity();
const char* kBadSecond = "Error: Second argument of norm function is invalid value";
}  // namespace

TEST(Norms, KindsAndInvalidArguments)
{
    const CComplexMatrix v = RealMat(1, 2, {3, 4}), col = RealMat(2, 1, {3, 4}), m = RealMat(2, 2, {1, 2, 3, 4});
    const double two = 2, inf = kInf, minf = -kInf, one = 1, three = 3, nan = std::nan("");
    struct Case {
        const CComplexMatrix* a;
        const double* p;
        double expected;
        bool reported;
    } cases[] = {
        {&v, &two, 5, false},      {&v, &inf, 4, false},       {&v, &minf, 3, false},
        {&col, &one, 7, false},    {&v, nullptr, 0, true},     {&m, nullptr, std::sqrt(30.0), false},
        {&m, &one, 6, false},      {&m, &inf, 7, false},       {&m, &three, 0, true},
        {&m, &minf, 0, true},      {&m, &nan, 0, true},
    };
    for (const auto& c : cases) {
        CCaptureStream cap;
        EXPECT_NEAR(c.a->Norm(c.p), c.expected, 1e-14);
        if (c.reported) {
            ASSERT_EQ(cap.messages.size(), 1u);
            EXPECT_EQ(cap.messages[0], kBadSecond);
        } else {
            EXPECT_TRUE(cap.messages.empty());
        }
    }
    EXPECT_NEAR(m.Norm(&two), 5.464985704219043, 1e-13);
    CCaptureStream cap;
    EXPECT_EQ(CComplexMatrix().Norm(&two), 0.0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: First argument of norm function is non-empty matrix");
}

TEST(Norms, ConditionAndRank)
{
    const double two = 2, one = 1;
    const CComplexMatrix singular = RealMat(2, 2, {1, 2, 2, 4});
    EXPECT_EQ(singular.Rank(nullptr), 1);
    EXPECT_EQ(RealMat(3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}).Rank(nullptr), 3);
    const double loose = 10;
    EXPECT_EQ(RealMat(2, 2, {1, 0, 0, 1}).Rank(&loose), 0);
    EXPECT_EQ(RealMat(2, 2, {1, 0, 0, 0}).Cond(&two), kInf);
    EXPECT_GT(singular.Cond(&two), 1e15);
    EXPECT_NEAR(RealMat(2, 2, {2, 0, 0, 1}).Cond(&two), 2, 1e-14);
    EXPECT_NEAR(RealMat(2, 2, {2, 0, 0, 1}).Cond(&one), 2, 1e-14);
    EXPECT_NEAR(RealMat(2, 2, {1, 2, 3, 4}).Cond(nullptr), 15.0, 1e-12);  // Frobenius: sqrt(30) * sqrt(7.5)

    CCaptureStream cap;
    EXPECT_EQ(RealMat(2, 3, {1, 2, 3, 4, 5, 6}).Cond(&one), 0.0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Calculating of that cond function, argument must be square matrix");
    EXPECT_GT(RealMat(2, 3, {1, 2, 3, 4, 5, 6}).Cond(&two), 1.0);
}

TEST(Norms, OrthGivesAnOrthonormalRangeBasis)
{
    CComplexMatrix Q;
    ASSERT_EQ(RealMat(3, 2, {1, 2, 2, 4, 3, 6}).Orth(Q), 0);
    ASSERT_EQ(Q.Cols(), 1);
    EXPECT_NEAR(DiffNorm(ConjT(Q) * Q, Identity(1)), 0, 1e-14);
    EXPECT_NEAR(std::fabs(Q.Cell(0, 0).re), 1 / std::sqrt(14.0), 1e-14);
}

TEST(Expm, ExactAndScaledCases)
{
    struct Case {
        CComplexMatrix a, expected;
        double relTol;
    } cases[] = {
        {RealMat(1, 1, {0}), RealMat(1, 1, {1}), 0},
        {RealMat(2, 2, {0, 1, 0, 0}), RealMat(2, 2, {1, 1, 0, 1}), 0},
        {RealMat(1, 1, {0.5}), RealMat(1, 1, {std::exp(0.5)}), 1e-15},
        // Large norms need scaling and squaring: the plain series breaks down here.
        {RealMat(1, 1, {-50}), RealMat(1, 1, {std::exp(-50.0)}), 1e-12},
        {RealMat(2, 2, {100, 0, 0, 0}), RealMat(2, 2, {std::exp(100.0), 0, 0, 1}), 1e-12},
        {RealMat(2, 2, {0, -30, 30, 0}), RealMat(2, 2, {std::cos(30.0), -std::sin(30.0), std::sin(30.0), std::cos(30.0)}),
         1e-12},
        {Mat(1, 1, {{0, M_PI}}), RealMat(1, 1, {-1}), 1e-15},
    };
    for (auto& c : cases) {
        CComplexMatrix E;
        ASSERT_EQ(c.a.Expm(E), 0);
        EXPECT_LE(DiffNorm(E, c.expected), c.relTol * Frob(c.expected)) << Frob(c.expected);
    }
}

// Results past the doubles: each cell INF with the sign of the true cell,
// exact zeros kept, never NAN; large but finite results keep their accuracy.
TEST(Expm, OverflowGivesSignedInfinities)
{
    const double inf = INFINITY;
    struct Case {
        CComplexMatrix a, expected;
    } cases[] = {
        {RealMat(2, 2, {1e150, 2e150, 3e150, 4e150}), RealMat(2, 2, {inf, inf, inf, inf})},
        {RealMat(2, 2, {-1e150, -2e150, -3e150, -4e150}), RealMat(2, 2, {inf, -inf, -inf, inf})},
        {RealMat(2, 2, {710, 0, 0, -800}), RealMat(2, 2, {inf, 0, 0, 0})},
        {RealMat(2, 2, {-1e150, 0, 0, -1e150}), RealMat(2, 2, {0, 0, 0, 0})},
        // Finite cells whose column sums overflow: the squarings come from the
        // norm's exponent (a halving loop never ended on an INF norm).
        {RealMat(2, 2, {1e308, 1e308, 1e308, 1e308}), RealMat(2, 2, {inf, inf, inf, inf})},
        {RealMat(2, 2, {1e308, 0, 0, 1e308}), RealMat(2, 2, {inf, 0, 0, inf})},
    };
    for (auto& c : cases) {
        CComplexMatrix E;
        ASSERT_EQ(c.a.Expm(E), 0);
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < 2; j++) {
                EXPECT_EQ(E.Cell(i, j).re, c.expected.Cell(i, j).re) << i << "," << j;
                EXPECT_EQ(E.Cell(i, j).im, 0.0) << i << "," << j;
            }
    }
    // expm(-1000 [1, 2; 3, 4]) = 3.640621580954898e161 in its (1, 1) cell (40 digits).
    CComplexMatrix E;
    ASSERT_EQ(RealMat(2, 2, {-1000, -2000, -3000, -4000}).Expm(E), 0);
    EXPECT_NEAR(E.Cell(0, 0).re / 3.640621580954898e161, 1, 1e-11);
    EXPECT_NEAR(E.Cell(1, 1).re / 1.1426430806376387e161, 1, 1e-11);
    // Nilpotent: exp(N) = I + N exactly, however large N (the squares of the
    // lifted cells fell below the least double and gave zeros).
    for (double c : {1e300, 1e308}) {
        ASSERT_EQ(RealMat(2, 2, {0, 0, c, 0}).Expm(E), 0);
        EXPECT_EQ(DiffNorm(E, RealMat(2, 2, {1, 0, c, 1})), 0.0) << c;
    }
}

TEST(Expm, NaNInputEndsAndNonSquareIsReported)
{
    CComplexMatrix E;
    ASSERT_EQ(RealMat(2, 2, {1, std::nan(""), 0, 1}).Expm(E), 0);
    ASSERT_EQ(E.Rows(), 2);
    EXPECT_TRUE(std::isnan(E.Cell(0, 0).re));

    CCaptureStream cap;
    EXPECT_EQ(RealMat(1, 2, {1, 2}).Expm(E), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of expm function must be a square matrix");
}

TEST(MatrixPower, WholeFractionalComplexAndHugeExponents)
{
    struct Case {
        CComplexMatrix a;
        Complex p;
        CComplexMatrix expected;
        double tol;
    } cases[] = {
        {RealMat(2, 2, {1, 1, 0, 1}), {3, 0}, RealMat(2, 2, {1, 3, 0, 1}), 0},
        {RealMat(2, 2, {1, 1, 0, 1}), {0, 0}, Identity(2), 0},
        {RealMat(2, 2, {2, 0, 0, 4}), {-1, 0}, RealMat(2, 2, {0.5, 0, 0, 0.25}), 1e-15},
        {RealMat(2, 2, {4, 0, 0, 9}), {0.5, 0}, RealMat(2, 2, {2, 0, 0, 3}), 1e-14},
        {RealMat(1, 2, {4, 9}), {0.5, 0}, RealMat(1, 2, {2, 3}), 1e-15},
        // Binary powering: 1e9 products would never finish.
        {RealMat(2, 2, {1, 1, 0, 1}), {1e9, 0}, RealMat(2, 2, {1, 1e9, 0, 1}), 0},
        {RealMat(2, 2, {1, 1, 0, 1}), {65, 0}, RealMat(2, 2, {1, 65, 0, 1}), 0},
        // A non-zero imaginary part is never a whole exponent: 4^i, 9^i.
        {RealMat(2, 2, {4, 0, 0, 9}),
         {0, 1},
         Mat(2, 2, {{std::cos(std::log(4.0)), std::sin(std::log(4.0))}, {0, 0}, {0, 0},
                    {std::cos(std::log(9.0)), std::sin(std::log(9.0))}}),
         1e-14},
    };
    for (auto& c : cases) {
        CComplexMatrix A(c.a);
        ASSERT_EQ(CComplexMatrix::Power(A, c.p), 0);
        EXPECT_LE(DiffNorm(A, c.expected), c.tol) << c.p.re << "+" << c.p.im << "i";
    }
}

// Powers past the doubles: a real matrix's power stays real, each cell INF
// with its true sign; a negative power is the power of the inverse where the
// positive one overflows or hides the smaller eigenvalue; roots of matrices
// near the largest double stay finite.
TEST(MatrixPower, PowersAtTheEndsOfTheRange)
{
    const double inf = INFINITY;
    struct Case {
        CComplexMatrix a;
        double p;
        CComplexMatrix expected;
        double relTol;
    } cases[] = {
        {RealMat(2, 2, {1, 2, 3, 4}), 600, RealMat(2, 2, {inf, inf, inf, inf}), 0},
        {RealMat(2, 2, {1, 2, 3, 4}), 2147483648.0, RealMat(2, 2, {inf, inf, inf, inf}), 0},
        {RealMat(2, 2, {-1, 2, 3, -4}), 601, RealMat(2, 2, {-inf, inf, inf, -inf}), 0},
        {RealMat(2, 2, {1, -2, 3, 4}), 700, RealMat(2, 2, {-inf, -inf, inf, -inf}), 0},
        {RealMat(2, 2, {1e-200, 0, 0, 1e-200}), -2, RealMat(2, 2, {inf, 0, 0, inf}), 0},
        // (40 digits)
        {RealMat(2, 2, {1, 2, 3, 4}), -600,
         RealMat(2, 2, {2.2840297967899682e257, -1.0447771439749318e257, -1.5671657159623977e257,
                        7.1686408082757047e256}),
         1e-12},
        {RealMat(2, 2, {1, 2, 3, 4}), -400,
         RealMat(2, 2, {3.4115485237552485e171, -1.5605347741917683e171, -2.3408021612876524e171,
                        1.0707463624675961e171}),
         1e-12},
        {RealMat(2, 2, {1e308, 1e308, 1e308, 1e308}), 0.5,
         RealMat(2, 2, {7.0710678118654752e153, 7.0710678118654752e153, 7.0710678118654752e153,
                        7.0710678118654752e153}),
         1e-14},
        {RealMat(2, 2, {2e300, 1e300, 1e300, 2e300}), 0.25,
         RealMat(2, 2, {1.1580370064762462e75, 1.5803700647624623e74, 1.5803700647624623e74,
                        1.1580370064762462e75}),
         1e-13},
    };
    for (auto& c : cases) {
        CComplexMatrix A(c.a);
        ASSERT_EQ(CComplexMatrix::Power(A, Complex(c.p, 0)), 0) << c.p;
        for (int i = 0; i < 2; i++)
            for (int j = 0; j < 2; j++) {
                const double want = c.expected.Cell(i, j).re, got = A.Cell(i, j).re;
                if (std::isinf(want) || want == 0)
                    EXPECT_EQ(got, want) << c.p << " at " << i << "," << j;
                else
                    EXPECT_NEAR(got / want, 1, c.relTol) << c.p << " at " << i << "," << j;
                EXPECT_EQ(A.Cell(i, j).im, 0.0) << c.p << " at " << i << "," << j;
            }
    }
}

TEST(MatrixPower, ScalarToMatrix)
{
    CComplexMatrix Z = RealMat(2, 2, {0, 0, 0, 0});
    ASSERT_EQ(ScalarPowMatrix(Complex(2, 0), Z), 0);
    EXPECT_EQ(DiffNorm(Z, Identity(2)), 0.0);
    CComplexMatrix row = RealMat(1, 2, {1, 2});
    ASSERT_EQ(ScalarPowMatrix(Complex(2, 0), row), 0);
    EXPECT_EQ(DiffNorm(row, RealMat(1, 2, {2, 4})), 0.0);
    CComplexMatrix d = RealMat(2, 2, {1, 0, 0, 3});
    ASSERT_EQ(ScalarPowMatrix(Complex(2, 0), d), 0);
    EXPECT_LE(DiffNorm(d, RealMat(2, 2, {2, 0, 0, 8})), 1e-13);
}
