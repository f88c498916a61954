#include <gtest/gtest.h>

#include <cmath>

#include "values/linalg_support.h"
#include "support/capture.h"
#include "values/matrix_conversions.h"
#include "values/value_matrix.h"

namespace {

CValueMatrix Values(const CComplexMatrix& m, bool realCells)
{
    CValueMatrix v(m.Rows(), m.Cols());
    for (int i = 0; i < m.Rows(); i++)
        for (int j = 0; j < m.Cols(); j++) {
            if (realCells)
                v.Cell(i, j).SetReal(m.Cell(i, j).re);
            else
                v.Cell(i, j).SetComplex(m.Cell(i, j));
        }
    return v;
}

CComplexMatrix Numbers(const CValueMatrix& v)
{
    CComplexMatrix m;
    EXPECT_EQ(ValueToComplexMatrix(v, m), 1);
    return m;
}

}  // namespace

// The value cells run the same steps: results agree with the complex twins.
TEST(ValueTwins, AgreeWithTheComplexRoutines)
{
    const CComplexMatrix inputs[] = {
        RealMat(1, 1, {3}),
        RealMat(2, 2, {1, 2, 3, 4}),
        RealMat(3, 3, {4, 1, 2, -1, 3, 0, 2, 2, 5}),
        Mat(2, 2, {{1, 1}, {2, 0}, {0, -1}, {3, 2}}),
    };
    for (const auto& A : inputs) {
        const bool realInput = Frob(A.ImagPart()) == 0;
        for (bool realCells : {realInput, false}) {
            const CValueMatrix VA = Values(A, realCells);

            CComplexMatrix cu, cw, cv;
            CValueMatrix vu, vw, vv;
            ASSERT_EQ(A.Svd(cu, cw, cv), 0);
            ASSERT_EQ(VA.Svd(vu, vw, vv), 0);
            EXPECT_LT(DiffNorm(Numbers(vu), cu), 1e-13);
            EXPECT_LT(DiffNorm(Numbers(vw), cw), 1e-13);
            EXPECT_LT(DiffNorm(Numbers(vv), cv), 1e-13);

            CComplexMatrix ca(A), cwe;
            CValueMatrix va(VA), vwe;
            ASSERT_EQ(ca.EigValues(cwe), 0);
            ASSERT_EQ(va.EigValues(vwe), 0);
            EXPECT_LT(DiffNorm(Numbers(vwe), cwe), 1e-12);

            CComplexMatrix cb(A), cV, cD;
            CValueMatrix vb(VA), vV, vD;
            ASSERT_EQ(cb.EigDecompose(cV, cD), 0);
            ASSERT_EQ(vb.EigDecompose(vV, vD), 0);
            EXPECT_LT(DiffNorm(Numbers(vV), cV), 1e-12);
            EXPECT_LT(DiffNorm(Numbers(vD), cD), 1e-12);

            CComplexMatrix cE;
            CValueMatrix vE;
            ASSERT_EQ(A.Expm(cE), 0);
            ASSERT_EQ(VA.Expm(vE), 0);
            EXPECT_LT(DiffNorm(Numbers(vE), cE), 1e-12 * Frob(cE));
        }
    }
}

TEST(ValueTwins, SmallExactCases)
{
    CValueMatrix A = Values(RealMat(1, 1, {3}), true), U, W, V;
    ASSERT_EQ(A.Svd(U, W, V), 0);
    EXPECT_EQ(U.Cell(0, 0).Real(), -1);
    EXPECT_EQ(W.Cell(0, 0).Real(), 3);
    EXPECT_EQ(V.Cell(0, 0).Real(), -1);

    CValueMatrix R = Values(RealMat(2, 2, {0, 1, -1, 0}), true), E;
    ASSERT_EQ(R.EigValues(E), 0);
    EXPECT_LT(DiffNorm(Numbers(E), Mat(1, 2, {{0, -1}, {0, 1}})), 1e-15);

    CValueMatrix N = Values(RealMat(2, 2, {0, 1, 0, 0}), true), X;
    ASSERT_EQ(N.Expm(X), 0);
    EXPECT_EQ(DiffNorm(Numbers(X), RealMat(2, 2, {1, 1, 0, 1})), 0.0);
}

TEST(ValueTwins, ShapeErrorsAndUnsuitableCells)
{
    CCaptureStream cap;
    CValueMatrix wide = Values(RealMat(1, 2, {1, 2}), true), W, V, D;
    EXPECT_EQ(wide.EigValues(W), 10);
    EXPECT_EQ(wide.EigDecompose(V, D), 10);
    EXPECT_EQ(wide.Expm(W), 10);
    EXPECT_EQ(CValueMatrix().Svd(W, V, D), 10);
    ASSERT_EQ(cap.messages.size(), 4u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of eig function must be a square matrix");
    EXPECT_EQ(cap.messages[2], "Error: Argument of expm function must be a square matrix");
    EXPECT_EQ(cap.messages[3], "Error: Invalid svd; argument is non-empty matrix");
    cap.Reset();

    // A string cell: the operators report, the routine runs to its end.
    CValueMatrix withText = Values(RealMat(2, 2, {1, 2, 3, 4}), true);
    withText.Cell(0, 1).SetString0("ab");
    CValueMatrix U;
    withText.Svd(U, W, V);
    EXPECT_FALSE(cap.messages.empty());
    EXPECT_EQ(U.Rows(), 2);
    cap.Reset();
    CValueMatrix square(withText);
    square.EigValues(W);
    EXPECT_FALSE(cap.messages.empty());
    EXPECT_EQ(W.Cols(), 2);
}
