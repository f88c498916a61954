#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"
#include "values/matrix_families.h"
#include "values/numeric_matrix.h"
#include "values/operators.h"
#include "values/value_elimination.h"
#include "value_builders.h"

using namespace vb;

namespace {

CValue Wrap(CValueMatrix&& m)
{
    CValue v;
    v.MakeMatrix(0, 0).Swap(m);
    return v;
}

TEST(ValueMatrixSums, TraceAndSumAll)
{
    CValue out;
    Mat({{1, 2}, {3, 4}}).Matrix().Trace(out);
    EXPECT_EQ(Text(out), "5");
    Mat({{1, 2, 3}, {4, 5, 6}}).Matrix().Trace(out);
    EXPECT_EQ(Text(out), "6");
    CValueMatrix().Trace(out);
    EXPECT_EQ(Text(out), "0");

    CValue m = Mat({{1, 2}, {3, 4}});
    m.Matrix().Cell(1, 1) = Cx(0, 2);
    m.Matrix().SumAll(out);
    EXPECT_EQ(Text(out), "6+2i");
    CValueMatrix().SumAll(out);
    EXPECT_EQ(Text(out), "0");
}

TEST(ValueMatrixSums, SwapPivotRow)
{
    CValue m = Mat({{1, 9}, {3, 8}, {-5, 7}});
    EXPECT_EQ(m.Matrix().SwapPivotRow(0), 2);
    EXPECT_EQ(Text(m), "[-5,7;3,8;1,9]");
    EXPECT_EQ(m.Matrix().SwapPivotRow(0), 0);
    CValue z = Mat({{0, 1}, {0, 2}});
    EXPECT_EQ(z.Matrix().SwapPivotRow(0), -1);
    CValue tie = Mat({{2, 0}, {1, 0}, {-2, 0}});
    tie.Matrix().Cell(1, 0) = Cx(0, 2);
    EXPECT_EQ(tie.Matrix().SwapPivotRow(0), 0);  // the first of equal moduli stays
}

TEST(ValueMatrixProducts, MemberForms)
{
    CValue a = Mat({{1, 2}, {3, 4}});
    EXPECT_EQ(a.Matrix().Multiply(Mat({{5}, {6}}).Matrix()), 0);
    EXPECT_EQ(Text(a), "[17;39]");

    CValue same = Mat({{1, 2}});
    EXPECT_EQ(same.Matrix().Multiply(Mat({{3, 4}}).Matrix()), 0);
    EXPECT_EQ(Text(same), "[3,8]");

    CCaptureStream cap;
    CValue bad = Mat({{1, 2}});
    EXPECT_EQ(bad.Matrix().Multiply(Mat({{1, 2}, {3, 4}, {5, 6}}).Matrix()), 10);
    EXPECT_EQ(Text(bad), "[1,2]");
    EXPECT_EQ(cap.Text(), "Error: Multiplication, matrix dimensions must be an agree");

    CValueMatrix q;
    EXPECT_EQ(q.ScalarDivide(Real(2), Mat({{2, 0}, {0, 4}}).Matrix()), 0);
    EXPECT_EQ(Text(Wrap(std::move(q))), "[1,0;0,0.5]");
    CValueMatrix r;
    EXPECT_EQ(r.ScalarDivide(Real(1), Mat({{4}}).Matrix()), 0);  // 1 x 1: plain quotient
    EXPECT_EQ(Text(Wrap(std::move(r))), "[0.25]");

    CValue d = Mat({{1, 2}, {3, 4}});
    EXPECT_EQ(d.Matrix().DivideRight(Mat({{2, 0}, {0, 4}}).Matrix()), 0);
    EXPECT_EQ(Text(d), "[0.5,0.5;1.5,1]");
    CValue v = Mat({{2, 9}});
    EXPECT_EQ(v.Matrix().DivideRight(Mat({{4, 3}}).Matrix()), 0);
    EXPECT_EQ(Text(v), "[0.5,3]");
}

TEST(ValueElimination, Determinants)
{
    CCaptureStream cap;
    EXPECT_EQ(Text(Mat({{1, 2}, {3, 4}}).Matrix().DetValue()), "-2");
    EXPECT_EQ(Text(Mat({{0, 1}, {1, 0}}).Matrix().DetValue()), "-1");
    EXPECT_EQ(Text(Mat({{0, 1}, {0, 2}}).Matrix().DetValue()), "0");
    EXPECT_EQ(cap.Text(), "");

    CValue m = Mat({{1, 2, 3}, {4, 5, 6}});
    CValue det;
    EXPECT_EQ(Text(m.Matrix().Det(det)), "0");
    EXPECT_EQ(cap.Text(), "Error: Argument of det function must be a square matrix vs (2,3)");
}

TEST(ValueElimination, InverseMatchesTheComplexTwin)
{
    // Mixed Real and Complex cells; the value and complex routines take the same steps.
    CValue m = Mat({{2, 1, 0}, {1, 3, 1}, {0, 1, 4}});
    m.Matrix().Cell(0, 2) = Cx(0, 1);
    m.Matrix().Cell(2, 0) = Cx(1, -1);
    CComplexMatrix c(3, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) c.Cell(i, j) = m.Matrix().Cell(i, j).GetComplex();

    CValueMatrix inv(m.Matrix());
    ASSERT_EQ(inv.Invert(), 0);
    ASSERT_EQ(c.Invert(), 0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            Complex v = inv.Cell(i, j).GetComplex();
            EXPECT_NEAR(v.re, c.Cell(i, j).re, 1e-14);
            EXPECT_NEAR(v.im, c.Cell(i, j).im, 1e-14);
        }

    // Real cells stay Real, and a cyclic permutation inverts to its transpose.
    CValue p = Mat({{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}});
    ASSERT_EQ(InvertValueMatrix(p.Matrix()), 0);
    EXPECT_EQ(Text(p), "[0,0,0,1;1,0,0,0;0,1,0,0;0,0,1,0]");
}

TEST(ValueElimination, SingularAndNonSquareInverse)
{
    CCaptureStream cap;
    CValue s = Mat({{1, 2}, {2, 4}});
    EXPECT_EQ(s.Matrix().Invert(), 0);
    EXPECT_EQ(cap.Text(), "Warning: Inverse: Matrix is close to singular or badly scaled");
    cap.Reset();
    CValue r = Mat({{1, 2, 3}});
    EXPECT_EQ(r.Matrix().Invert(), 10);
    EXPECT_EQ(cap.Text(), "Error: Inversion of not-square matrix");
}

TEST(ValueElimination, SolveAndLU)
{
    CValueMatrix x;
    ASSERT_EQ(Mat({{2, 1}, {1, 3}}).Matrix().Solve(Mat({{3}, {5}}).Matrix(), x), 0);
    ASSERT_EQ(x.Rows(), 2);
    EXPECT_NEAR(x.Cell(0, 0).GetComplex().re, 0.8, 1e-15);
    EXPECT_NEAR(x.Cell(1, 0).GetComplex().re, 1.4, 1e-15);

    CCaptureStream cap;
    EXPECT_EQ(Mat({{2, 1}, {1, 3}}).Matrix().Solve(Mat({{3, 1}, {5, 1}}).Matrix(), x), 10);
    EXPECT_EQ(cap.Text(), "Error: Solving a system of linear equations, matrices must be agree");

    CValue a = Mat({{1, 2}, {3, 4}, {5, 7}});
    CValueMatrix l, u, p;
    ASSERT_EQ(a.Matrix().LU(l, u, p), 0);
    EXPECT_EQ(l.Rows(), 3);
    EXPECT_EQ(l.Cols(), 2);
    EXPECT_EQ(u.Rows(), 2);
    EXPECT_EQ(p.Rows(), 3);
    CValue pa = Wrap(MatrixProduct(p, a.Matrix()));
    CValue lu = Wrap(MatrixProduct(l, u));
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j)
            EXPECT_NEAR(pa.Matrix().Cell(i, j).Real(), lu.Matrix().Cell(i, j).Real(), 1e-14);
}

TEST(MatrixFamilies, CellFunctionsAndNaNSearch)
{
    CValue m = Mat({{1, -2}});
    EXPECT_EQ(Text(Wrap(MapValueCells(m.Matrix(), ValueNegated))), "[-1,2]");
    auto isNaN = [](const CValue& v) { return v.Type() == VT_REAL && std::isnan(v.Real()) ? 1 : 0; };
    EXPECT_EQ(MatrixHasNaN(m.Matrix(), isNaN), 0);
    m.Matrix().Cell(0, 1).SetReal(std::nan(""));
    EXPECT_EQ(MatrixHasNaN(m.Matrix(), isNaN), 1);
}

}  // namespace
