#include <gtest/gtest.h>

#include <vector>

#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {
CValueMatrix TwoByTwo()
{
    CValueMatrix m(2, 2);
    m.Cell(0, 0).SetReal(1.0);
    m.Cell(0, 1).SetReal(2.0);
    m.Cell(1, 0).SetReal(3.0);
    m.Cell(1, 1).SetReal(4.0);
    return m;
}
}  // namespace

TEST(MatrixConversions, RealMatrixGoesColumnMajor)
{
    CValueMatrix m = TwoByTwo();
    m.Cell(1, 1).SetComplex(Complex{4, 0});  // imaginary part 0 counts as real
    double* d = nullptr;
    ASSERT_EQ(ValueMatrixToRealArray(m, d), 1);
    EXPECT_EQ(std::vector<double>(d, d + 4), (std::vector<double>{1, 3, 2, 4}));
    delete[] d;

    Complex* c = nullptr;
    double* r = nullptr;
    ASSERT_EQ(ValueMatrixToRealOrComplexArray(m, c, r), 1);
    EXPECT_EQ(c, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[1], 3.0);
    delete[] r;
}

TEST(MatrixConversions, ComplexCellSwitchesTheClass)
{
    CValueMatrix m = TwoByTwo();
    m.Cell(0, 1).SetComplex(Complex{2, 1});
    Complex* c = nullptr;
    ASSERT_EQ(ValueMatrixToArray(m, c), 2);
    const double want[4][2] = {{1, 0}, {3, 0}, {2, 1}, {4, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(c[k].re, want[k][0]);
        EXPECT_EQ(c[k].im, want[k][1]);
    }
    delete[] c;

    double* d = reinterpret_cast<double*>(1);
    EXPECT_EQ(ValueMatrixToRealArray(m, d), 0);
    EXPECT_EQ(d, nullptr);

    double* r = nullptr;
    ASSERT_EQ(ValueMatrixToRealOrComplexArray(m, c, r), 2);
    EXPECT_EQ(r, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c[2].im, 1.0);
    delete[] c;

    ASSERT_EQ(ValueMatrixToBothArrays(m, c, r), 2);
    ASSERT_NE(c, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r[2], 2.0);
    EXPECT_EQ(c[2].im, 1.0);
    delete[] c;
    delete[] r;
}

TEST(MatrixConversions, InvalidMatricesGiveZeroAndNoArrays)
{
    CValueMatrix withText = TwoByTwo();
    withText.Cell(1, 1).SetString("no");
    CValueMatrix empty;
    for (const CValueMatrix* m : {&withText, &empty}) {
        const CValueMatrix& src = *m;
        double* d = nullptr;
        Complex* c = nullptr;
        EXPECT_EQ(ValueMatrixToRealArray(src, d), 0);
        EXPECT_EQ(ValueMatrixToArray(src, c), 0);
        EXPECT_EQ(c, nullptr);
        EXPECT_EQ(ValueMatrixToRealOrComplexArray(src, c, d), 0);
        EXPECT_EQ(c, nullptr);
        EXPECT_EQ(d, nullptr);
        EXPECT_EQ(ValueMatrixToBothArrays(src, c, d), 0);
        EXPECT_EQ(c, nullptr);
        EXPECT_EQ(d, nullptr);
    }
}

TEST(MatrixConversions, ArraysBackToMatrices)
{
    const double real[6] = {1, 2, 3, 4, 5, 6};  // 2 x 3, column-major
    CValueMatrix m = TwoByTwo();
    EXPECT_EQ(RealArrayToValueMatrix(real, 2, 3, m), 6);
    ASSERT_EQ(m.Rows(), 2);
    ASSERT_EQ(m.Cols(), 3);
    EXPECT_EQ(m.Cell(0, 1).Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(m.Cell(0, 1).Real(), 3.0);
    EXPECT_EQ(m.Cell(1, 2).Real(), 6.0);

    const Complex cplx[2] = {{1, 0}, {2, -1}};
    EXPECT_EQ(ArrayToValueMatrix(cplx, 2, 1, m), 2);
    ASSERT_EQ(m.Cols(), 1);
    EXPECT_EQ(m.Cell(0, 0).Type(), (uint32_t)VT_COMPLEX);  // even with imaginary part 0
    EXPECT_EQ(m.Cell(1, 0).ComplexRef().im, -1.0);

    // Row-major input, conjugated.
    EXPECT_EQ(ConjArrayToValueMatrix(cplx, 1, 2, m), 2);
    ASSERT_EQ(m.Rows(), 1);
    EXPECT_EQ(m.Cell(0, 1).ComplexRef().re, 2.0);
    EXPECT_EQ(m.Cell(0, 1).ComplexRef().im, 1.0);

    EXPECT_EQ(RealArrayToValueMatrix(real, 0, 3, m), 0);
    EXPECT_TRUE(m.IsEmpty());
}

TEST(MatrixConversions, NumericMatrixKeepsRowMajorCells)
{
    CValueMatrix m = TwoByTwo();
    m.Cell(1, 0).SetComplex(Complex{3, -2});
    CComplexMatrix c;
    ASSERT_EQ(ValueToComplexMatrix(m, c), 1);
    ASSERT_EQ(c.Rows(), 2);
    EXPECT_EQ(c.Cell(0, 1).re, 2.0);
    EXPECT_EQ(c.Cell(1, 0).im, -2.0);

    CValueMatrix back;
    ComplexMatrixToValue(c, back);
    ASSERT_EQ(back.Cols(), 2);
    EXPECT_EQ(back.Cell(0, 0).Type(), (uint32_t)VT_COMPLEX);  // every cell Complex
    EXPECT_EQ(back.Cell(1, 0).ComplexRef().im, -2.0);

    m.Cell(1, 1).SetString("x");
    EXPECT_EQ(ValueToComplexMatrix(m, c), 0);
    CValueMatrix empty;
    EXPECT_EQ(ValueToComplexMatrix(empty, c), 1);
    EXPECT_TRUE(c.IsEmpty());
}
