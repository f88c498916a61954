#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "support/capture.h"
#include "values/numeric_matrix.h"

namespace {

// Builds a matrix from rows of cells.
CComplexMatrix M(std::initializer_list<std::initializer_list<Complex>> rows)
{
    CComplexMatrix m;
    int i = 0;
    for (const auto& r : rows) {
        int j = 0;
        for (const Complex& z : r) *m.At(i, j++) = z;
        i++;
    }
    return m;
}

void ExpectCells(const CComplexMatrix& m, std::initializer_list<std::initializer_list<Complex>> rows)
{
    ASSERT_EQ(m.Rows(), (int)rows.size());
    int i = 0;
    for (const auto& r : rows) {
        ASSERT_EQ(m.Cols(), (int)r.size());
        int j = 0;
        for (const Complex& z : r) {
            EXPECT_EQ(m.Cell(i, j).re, z.re) << i << "," << j;
            EXPECT_EQ(m.Cell(i, j).im, z.im) << i << "," << j;
            j++;
        }
        i++;
    }
}

void ExpectNear(const CComplexMatrix& m, std::initializer_list<std::initializer_list<double>> rows)
{
    ASSERT_EQ(m.Rows(), (int)rows.size());
    int i = 0;
    for (const auto& r : rows) {
        int j = 0;
        for (double x : r) {
            EXPECT_NEAR(m.Cell(i, j).re, x, 1e-15) << i << "," << j;
            EXPECT_EQ(m.Cell(i, j).im, 0) << i << "," << j;
            j++;
        }
        i++;
    }
}

}  // namespace

TEST(NumericMatrix, StorageShapes)
{
    CComplexMatrix a(0, 5);
    EXPECT_EQ(a.Rows(), 0);
    EXPECT_EQ(a.Cols(), 0);
    EXPECT_EQ(a.m_pRows, nullptr);
    CRealMatrix r(3, -1);
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.m_pRows, nullptr);

    CComplexMatrix b = M({{{1, 1}, {2, 0}}, {{3, 0}, {4, -4}}});
    b.Resize(3, 1);  // keeps (0,0) and (1,0), adds a zero row
    ExpectCells(b, {{{1, 1}}, {{3, 0}}, {{0, 0}}});
    b.Resize(3, 0);
    EXPECT_EQ(b.Rows(), 0);
    EXPECT_EQ(b.m_pRows, nullptr);

    CComplexMatrix c(2, 3, {7, 1});
    c.Fill(3, 2, {5, 0});
    ExpectCells(c, {{{5, 0}, {5, 0}}, {{5, 0}, {5, 0}}, {{5, 0}, {5, 0}}});

    CComplexMatrix e;
    Complex* last = e.At(2, 3);
    ASSERT_EQ(e.Rows(), 3);
    ASSERT_EQ(e.Cols(), 4);
    EXPECT_EQ(last, &e.Cell(2, 3));
    EXPECT_EQ(e.Cell(1, 1).re, 0);

    // Deep copies.
    CComplexMatrix d(c);
    d.Cell(0, 0) = {9, 9};
    EXPECT_EQ(c.Cell(0, 0).re, 5);
    c = d;
    EXPECT_EQ(c.Cell(0, 0).re, 9);

    CRealMatrix x(2, 2, 1.5);
    x.Resize(1, 3);
    EXPECT_EQ(x.Cell(0, 1), 1.5);
    EXPECT_EQ(x.Cell(0, 2), 0.0);
    CRealMatrix y(x);
    x.Free();
    EXPECT_EQ(y.Cell(0, 0), 1.5);
}

TEST(NumericMatrix, ShapeBuilders)
{
    CComplexMatrix m = M({{{1, 2}, {3, 0}}});
    ASSERT_EQ(m.Transpose(), 0);
    ExpectCells(m, {{{1, -2}}, {{3, 0}}});

    CComplexMatrix sq = M({{{1, 1}, {2, 2}}, {{3, 3}, {4, 4}}});
    sq.Transpose();
    ExpectCells(sq, {{{1, -1}, {3, -3}}, {{2, -2}, {4, -4}}});

    CCaptureStream cap;
    CComplexMatrix empty;
    EXPECT_EQ(empty.Transpose(), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of transpose function is non-empty matrix");

    Complex v[] = {{1, 0}, {2, 0}};
    CComplexMatrix d;
    d.MakeDiag(v, 2, 1);
    ExpectCells(d, {{{0, 0}, {1, 0}, {0, 0}}, {{0, 0}, {0, 0}, {2, 0}}, {{0, 0}, {0, 0}, {0, 0}}});
    d.MakeDiag(v, 2, -1);
    ExpectCells(d, {{{0, 0}, {0, 0}, {0, 0}}, {{1, 0}, {0, 0}, {0, 0}}, {{0, 0}, {2, 0}, {0, 0}}});

    CComplexMatrix t(3, 3, {1, 0});
    t.Triu(1);  // keeps the cells above the diagonal only
    ExpectCells(t, {{{0, 0}, {1, 0}, {1, 0}}, {{0, 0}, {0, 0}, {1, 0}}, {{0, 0}, {0, 0}, {0, 0}}});

    CComplexMatrix id(2, 3);
    id.MakeIdentity();
    ExpectCells(id, {{{1, 0}, {0, 0}, {0, 0}}, {{0, 0}, {1, 0}, {0, 0}}});

    CComplexMatrix src = M({{{1, 0}, {2, 0}, {3, 0}}, {{4, 0}, {5, 1}, {6, 0}}});
    CComplexMatrix blk;
    blk.CopyBlock(src, 1, 1, 1, 2);
    ExpectCells(blk, {{{5, 1}, {6, 0}}});
    src.CopyBlock(src, 0, 2, 2, 1);  // onto itself
    ExpectCells(src, {{{3, 0}}, {{6, 0}}});

    CComplexMatrix z = M({{{1, 2}, {-3, 4}}});
    ExpectCells(z.RealPart(), {{{1, 0}, {-3, 0}}});
    ExpectCells(z.ImagPart(), {{{2, 0}, {4, 0}}});
    ExpectCells(z.Scaled({0, 1}), {{{-2, 1}, {-4, -3}}});
    CComplexMatrix h;
    z.ConjTranspose(h);
    ExpectCells(h, {{{1, -2}}, {{-3, -4}}});
}

TEST(NumericMatrix, ArithmeticAndShapeMessages)
{
    CCaptureStream cap;
    CComplexMatrix a = M({{{1, 0}, {2, 0}}, {{3, 0}, {4, 0}}});
    CComplexMatrix b = M({{{0, 1}, {1, 0}}, {{1, 0}, {0, 0}}});
    CComplexMatrix row = M({{{1, 0}, {1, 0}}});

    CComplexMatrix p = a * b;
    ExpectCells(p, {{{2, 1}, {1, 0}}, {{4, 3}, {3, 0}}});
    CComplexMatrix s = a;
    EXPECT_EQ(s += b, 0);
    EXPECT_EQ(s -= b, 0);
    ExpectCells(s, {{{1, 0}, {2, 0}}, {{3, 0}, {4, 0}}});
    ExpectCells(a - a, {{{0, 0}, {0, 0}}, {{0, 0}, {0, 0}}});
    EXPECT_TRUE(cap.messages.empty());

    struct Case {
        int (*op)(CComplexMatrix&, const CComplexMatrix&);
        const char* text;
    } cases[] = {
        {[](CComplexMatrix& x, const CComplexMatrix& y) { return x += y; }, "Error: Addition, matrices must be a same sizes"},
        {[](CComplexMatrix& x, const CComplexMatrix& y) { return x -= y; }, "Error: Subtraction, matrices must be a same sizes"},
        {[](CComplexMatrix& x, const CComplexMatrix& y) { return x.Multiply(y); },
         "Error: Multiplication, matrix dimensions must be an agree"},
    };
    for (const Case& c : cases) {
        cap.Reset();
        CComplexMatrix x = row;
        EXPECT_EQ(c.op(x, M({{{1, 0}}, {{1, 0}}, {{1, 0}}})), 10);
        ExpectCells(x, {{{1, 0}, {1, 0}}});  // unchanged
        ASSERT_EQ(cap.messages.size(), 1u);
        EXPECT_EQ(cap.messages[0], c.text);
    }
    cap.Reset();
    EXPECT_TRUE((row - a).IsEmpty());
    EXPECT_TRUE((a * M({{{1, 0}, {1, 0}, {1, 0}}})).IsEmpty());
    ASSERT_EQ(cap.messages.size(), 2u);

    CComplexMatrix r = row;
    ASSERT_EQ(r.Multiply(a), 0);
    ExpectCells(r, {{{4, 0}, {6, 0}}});
}

TEST(NumericMatrix, DivisionForms)
{
    CComplexMatrix a = M({{{4, 0}, {7, 0}}, {{2, 0}, {6, 0}}});
    CComplexMatrix inv;
    ASSERT_EQ(inv.ScalarOver({1, 0}, a), 0);  // the inverse itself
    ExpectNear(inv, {{0.6, -0.7}, {-0.2, 0.4}});
    CComplexMatrix twice;
    ASSERT_EQ(twice.ScalarOver({2, 0}, a), 0);
    ExpectNear(twice, {{1.2, -1.4}, {-0.4, 0.8}});

    CComplexMatrix v = M({{{2, 0}, {4, 0}, {0, 2}}});
    CComplexMatrix rec;
    ASSERT_EQ(rec.ScalarOver({1, 0}, v), 0);  // cell-wise reciprocals
    ExpectCells(rec, {{{0.5, 0}, {0.25, 0}, {0, -0.5}}});

    CComplexMatrix row = M({{{8, 0}, {8, 0}, {8, 0}}});
    ASSERT_EQ(row.DivideRight(v), 0);  // vectors of one shape: cell-wise
    ExpectCells(row, {{{4, 0}, {2, 0}, {0, -4}}});

    CComplexMatrix x = M({{{1, 0}, {0, 0}}, {{0, 0}, {1, 0}}});
    ASSERT_EQ(x.DivideRight(a), 0);  // x * inv(a)
    ExpectNear(x, {{0.6, -0.7}, {-0.2, 0.4}});

    CCaptureStream cap;
    CComplexMatrix y = M({{{1, 0}, {2, 0}}, {{3, 0}, {4, 0}}});
    EXPECT_EQ(y.DivideRight(M({{{1, 0}, {2, 0}, {3, 0}}, {{4, 0}, {5, 0}, {6, 0}}})), 10);
    ExpectCells(y, {{{1, 0}, {2, 0}}, {{3, 0}, {4, 0}}});
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Inversion of not-square matrix");
}

TEST(NumericMatrix, ColumnMajorCopies)
{
    Complex* data = nullptr;
    EXPECT_EQ(PackColumnMajor(M({{{1, 0}, {2, 0}}, {{3, 0}, {4, 0}}}), &data), 1);
    ASSERT_NE(data, nullptr);
    double want[] = {1, 3, 2, 4};
    for (int k = 0; k < 4; k++) EXPECT_EQ(data[k].re, want[k]);
    delete[] data;
    EXPECT_EQ(PackColumnMajor(M({{{1, 0}, {2, 1}}}), &data), 2);
    delete[] data;
    EXPECT_EQ(PackColumnMajor(CComplexMatrix(), &data), 0);
    EXPECT_EQ(data, nullptr);

    // Pack an n x m matrix, unpack transposed as m x n: the plain transpose.
    CComplexMatrix src = M({{{1, 1}, {2, 2}, {3, 3}}, {{4, 4}, {5, 5}, {6, 6}}});
    PackColumnMajor(src, &data);
    CComplexMatrix t;
    UnpackTransposed(data, 3, 2, t);
    ExpectCells(t, {{{1, 1}, {4, 4}}, {{2, 2}, {5, 5}}, {{3, 3}, {6, 6}}});
    CComplexMatrix back;
    EXPECT_EQ(UnpackColumnMajor(data, 2, 3, back), 6);
    ExpectCells(back, {{{1, 1}, {2, 2}, {3, 3}}, {{4, 4}, {5, 5}, {6, 6}}});
    delete[] data;

    double rd[] = {1, 2, 3, 4, 5, 6};
    CRealMatrix r;
    EXPECT_EQ(UnpackRealColumnMajor(rd, 3, 2, r), 6);
    EXPECT_EQ(r.Cell(0, 1), 4);
    EXPECT_EQ(r.Cell(2, 0), 3);
}

TEST(NumericMatrix, RealNormAndMaximum)
{
    CRealMatrix r(2, 3);
    double cells[2][3] = {{1, -5, 2}, {-4, 0, 3}};
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 3; j++) r.Cell(i, j) = cells[i][j];
    EXPECT_EQ(r.OneNorm(), 5);  // columns 0 and 1 tie; the value is what matters
    EXPECT_EQ(CRealMatrix().OneNorm(), 0);

    EXPECT_EQ(&r.MaxElement(), &r.Cell(1, 2));
    r.Cell(0, 2) = 3;  // first of equals wins
    EXPECT_EQ(&r.MaxElement(), &r.Cell(0, 2));
    r.Cell(0, 0) = std::nan("");  // a NaN first element is never replaced
    EXPECT_TRUE(std::isnan(r.MaxElement()));

    CCaptureStream cap;
    EXPECT_EQ(CRealMatrix().MaxElement(), 0.0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of max function is non-empty matrix");
}

#include <atomic>

#include "values/stop_probe.h"

// A long product runs in bands of rows; a stop of the thread's program ends
// it between two bands, with the stop status and the left operand unchanged.
TEST(NumericMatrix, LongProductsStopBetweenBands)
{
    const int m = 600, n = 2000;
    CComplexMatrix a(m, n), b(n, n);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) a.Cell(i, j) = Complex(1.0 + (i + j) % 7, 0.0);
    for (int i = 0; i < n; i++) b.Cell(i, i) = Complex(2.0, 0.0);
    std::atomic<uint8_t> stop{1};
    SetThreadStopFlag(&stop);
    CComplexMatrix stopped(a);
    EXPECT_EQ(stopped.Multiply(b), 25);
    EXPECT_EQ(stopped.Rows(), m);
    EXPECT_EQ(stopped.Cell(5, 9).re, a.Cell(5, 9).re);
    std::vector<double> A((size_t)m * n, 1.0), B((size_t)n * n, 1.0), C((size_t)m * n, -1.0);
    EXPECT_FALSE(RealArrayProduct(A.data(), B.data(), C.data(), m, n, n));
    stop = 0;
    EXPECT_EQ(stopped.Multiply(b), 0);
    EXPECT_EQ(stopped.Cell(5, 9).re, 2 * a.Cell(5, 9).re);
    EXPECT_EQ(stopped.Cell(599, 1999).re, 2 * a.Cell(599, 1999).re);
    SetThreadStopFlag(nullptr);
}
