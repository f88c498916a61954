// The faster routes of the value core give what the general routes give: the
// element loops against the cell operators, the library product against the
// product loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "interpreter/operator_builtins.h"
#include "support/capture.h"
#include "values/matrix_families.h"
#include "values/numeric_matrix.h"
#include "values/numeric_path.h"
#include "values/real_cells.h"
#include "values/operators.h"
#include "value_builders.h"

using namespace vb;

namespace {

// A 2 x 4 matrix mixing the commonest cell with the others.
CValue Mixed(double base)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(2, 4);
    m.Cell(0, 0).SetReal(base);
    m.Cell(0, 1).SetReal(-0.0);
    m.Cell(0, 2).SetComplex(Complex(base, -2.0));
    m.Cell(0, 3).SetReal(std::numeric_limits<double>::infinity());
    m.Cell(1, 0).SetReal(std::nan(""));
    m.Cell(1, 1).SetReal(base / 3.0);
    m.Cell(1, 2).SetReal(0.0);
    m.Cell(1, 3) = Chr('a');
    return v;
}

using InPlace = int (*)(CValue&, const CValue&);

TEST(FastPaths, ElementLoopsMatchTheCellOperators)
{
    struct Case {
        const char* name;
        int (*loop)(CValueMatrix&, const CValueMatrix&);
        InPlace cell;
    } cases[] = {
        {"+", MatrixAddMatrix, ValueAdd},
        {"-", MatrixSubMatrix, ValueSub},
        {".*", MatrixElemMulMatrix, ValueElemMul},
        {"./", MatrixElemDivMatrix, ValueElemDiv},
    };
    for (const Case& c : cases) {
        CValue a = Mixed(1.5), b = Mixed(-4.25);
        CValueMatrix expected(a.Matrix());
        std::vector<std::string> expectedMessages;
        {
            CCaptureStream cap;
            for (int i = 0; i < 2; ++i)
                for (int j = 0; j < 4; ++j) {
                    int st = c.cell(expected.Cell(i, j), b.Matrix().Cell(i, j));
                    if (st && c.loop != MatrixAddMatrix && c.loop != MatrixSubMatrix) i = 2, j = 4;
                }
            expectedMessages = cap.messages;
        }
        CCaptureStream cap;
        c.loop(a.Matrix(), b.Matrix());
        EXPECT_EQ(cap.messages, expectedMessages) << c.name;
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_TRUE(SameCell(a.Matrix().Cell(i, j), expected.Cell(i, j))) << c.name << " " << i << "," << j;
    }
}

TEST(FastPaths, ElementwiseCopyMatchesCopyThenLoop)
{
    struct Case {
        ElementOp op;
        int (*loop)(CValueMatrix&, const CValueMatrix&);
    } cases[] = {{ELEM_ADD, MatrixAddMatrix}, {ELEM_SUB, MatrixSubMatrix},
                 {ELEM_MUL, MatrixElemMulMatrix}, {ELEM_DIV, MatrixElemDivMatrix}};
    CValue a = Mixed(2.5), b = Mixed(-1.0);
    // A string cell on the right stops .* and ./ in the middle of the matrix.
    b.Matrix().Cell(0, 3) = Str("xy");
    for (const Case& c : cases) {
        CValueMatrix expected(a.Matrix());
        int expectedStatus;
        std::vector<std::string> expectedMessages;
        {
            CCaptureStream cap;
            expectedStatus = c.loop(expected, b.Matrix());
            expectedMessages = cap.messages;
        }
        CCaptureStream cap;
        CValueMatrix out;
        EXPECT_EQ(MatrixElementwiseCopy(out, a.Matrix(), b.Matrix(), c.op), expectedStatus) << c.op;
        EXPECT_EQ(cap.messages, expectedMessages) << c.op;
        ASSERT_EQ(out.Rows(), 2);
        ASSERT_EQ(out.Cols(), 4);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_TRUE(SameCell(out.Cell(i, j), expected.Cell(i, j))) << c.op << " " << i << "," << j;
        EXPECT_EQ(a.Matrix().Cell(0, 0).Real(), 2.5);  // the left operand is only read
    }
}

// The loops that also tell whether every cell came out Real: the same cells,
// status and messages as the plain loops, and the kind of the cells.
TEST(FastPaths, LoopsThatTellAllRealMatchThePlainLoops)
{
    struct Case {
        ElementOp op;
        int (*loop)(CValueMatrix&, const CValueMatrix&);
    } cases[] = {{ELEM_ADD, MatrixAddMatrix}, {ELEM_SUB, MatrixSubMatrix},
                 {ELEM_MUL, MatrixElemMulMatrix}, {ELEM_DIV, MatrixElemDivMatrix}};
    CValue reals = Mat({{1.5, -0.0, 1e308}, {3, 0, -7}}), wide = Mat({{1, 2, 3, 4}});
    for (const Case& c : cases)
        for (const CValue* right : {&reals, &wide}) {
            CValue a = Mixed(2.5), b = Mixed(-1.0);
            for (bool mixed : {true, false}) {
                if (!mixed) a = reals, b = reals;
                const CValueMatrix& rhs = right == &wide ? wide.Matrix() : b.Matrix();
                CValueMatrix expected(a.Matrix()), got(a.Matrix());
                int expectedStatus;
                std::vector<std::string> expectedMessages;
                {
                    CCaptureStream cap;
                    expectedStatus = c.loop(expected, rhs);
                    expectedMessages = cap.messages;
                }
                CCaptureStream cap;
                bool allReal = !mixed;
                EXPECT_EQ(MatrixElementwise(got, rhs, c.op, allReal), expectedStatus) << c.op;
                EXPECT_EQ(cap.messages, expectedMessages) << c.op;
                EXPECT_EQ(allReal, !mixed && right != &wide) << c.op;
                ASSERT_EQ(got.Cols(), expected.Cols());
                for (int i = 0; i < got.Rows(); ++i)
                    for (int j = 0; j < got.Cols(); ++j) EXPECT_TRUE(SameCell(got.Cell(i, j), expected.Cell(i, j))) << c.op;
                if (right == &wide) continue;
                CValueMatrix out;
                allReal = mixed;
                CCaptureStream quiet;
                MatrixElementwiseCopy(out, a.Matrix(), b.Matrix(), c.op, &allReal);
                EXPECT_EQ(allReal, !mixed) << c.op;
            }
        }
}

TEST(FastPaths, OperandTwiceAndScalarForms)
{
    // x .* x and x + x read each cell before writing it.
    CValue x = Mat({{3, -0.5, 1e300}});
    ASSERT_EQ(ValueElemMul(x, x), 0);
    EXPECT_EQ(x.Matrix().Cell(0, 0).Real(), 9.0);
    EXPECT_EQ(x.Matrix().Cell(0, 1).Real(), 0.25);
    EXPECT_EQ(x.Matrix().Cell(0, 2).Real(), std::numeric_limits<double>::infinity());

    // Scalar on the left: each cell is scalar op cell, in that order.
    CValue m = Mixed(2.0);
    for (InPlace op : {ValueAdd, ValueSub, ValueMul, ValueElemMul, ValueElemDiv}) {
        CValue s = Real(7.0);
        CValue expected;
        CValueMatrix& e = expected.MakeMatrix(2, 4);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 4; ++j) {
                e.Cell(i, j) = s;
                CCaptureStream quiet;
                op(e.Cell(i, j), m.Matrix().Cell(i, j));
            }
        CCaptureStream quiet;
        op(s, m);
        ASSERT_EQ(s.Type(), (uint32_t)VT_MATRIX);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 4; ++j) EXPECT_TRUE(SameCell(s.Matrix().Cell(i, j), e.Cell(i, j))) << i << "," << j;
    }

    // The three-operand forms make new matrices of the same numbers.
    CValue a = Mixed(1.25), b = Mixed(0.5);
    for (ArithOp op : {ARITH_ADD, ARITH_SUB}) {
        CCaptureStream quiet;
        CValueMatrix r = MatrixArith(a.Matrix(), b.Matrix(), op);
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 4; ++j) {
                CValue e = op == ARITH_ADD ? ValueSum(a.Matrix().Cell(i, j), b.Matrix().Cell(i, j))
                                           : ValueDifference(a.Matrix().Cell(i, j), b.Matrix().Cell(i, j));
                EXPECT_TRUE(SameCell(r.Cell(i, j), e)) << i << "," << j;
            }
    }
    CCaptureStream quiet;
    CValueMatrix q = ScalarArithMatrix(Real(3.0), a.Matrix(), ARITH_MUL);
    CValue e = ValueProduct(Real(3.0), a.Matrix().Cell(1, 1));
    EXPECT_TRUE(SameCell(q.Cell(1, 1), e));
}

TEST(FastPaths, RealRangeIsTheRunningSumOfTheCellOperator)
{
    CValue start = Real(0.1), stop = Real(7.3), step = Real(0.1), out;
    ASSERT_EQ(BuiltinFvec(&start, &stop, &step, &out), 0);
    ASSERT_EQ(out.Type(), (uint32_t)VT_MATRIX);
    const CValueMatrix& m = out.Matrix();
    ASSERT_EQ(m.Rows(), 1);
    ASSERT_EQ(m.Cols(), 73);
    CValue expected = Real(0.1);
    for (int i = 0; i < m.Cols(); ++i) {
        if (i) {
            ASSERT_EQ(ValueAdd(expected, step), 0);
        }
        EXPECT_TRUE(SameCell(m.Cell(0, i), expected)) << i;
    }
}

// The product loop's own result, written out here as the reference.
CComplexMatrix LoopProduct(const CComplexMatrix& a, const CComplexMatrix& b)
{
    CComplexMatrix t(a.Rows(), b.Cols());
    for (int i = 0; i < a.Rows(); i++)
        for (int j = 0; j < b.Cols(); j++) {
            double sr = 0.0, si = 0.0;
            for (int k = 0; k < a.Cols(); k++) {
                Complex p = a.Cell(i, k);
                p *= b.Cell(k, j);
                sr += p.re;
                si += p.im;
            }
            t.Cell(i, j) = Complex(sr, si);
        }
    return t;
}

CComplexMatrix Filled(int rows, int cols, double seed, bool complex)
{
    CComplexMatrix m(rows, cols);
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++)
            m.Cell(i, j) = Complex(std::sin(seed * (i + 1) + j), complex ? std::cos(seed * j - i) : 0.0);
    return m;
}

TEST(FastPaths, LargeProductsDifferFromTheLoopByRoundingOnly)
{
    for (bool complex : {false, true}) {
        CComplexMatrix a = Filled(40, 50, 0.37, complex), b = Filled(50, 45, 1.13, complex);
        CComplexMatrix ref = LoopProduct(a, b);
        CComplexMatrix c = a * b;
        ASSERT_EQ(c.Rows(), 40);
        ASSERT_EQ(c.Cols(), 45);
        for (int i = 0; i < 40; i++)
            for (int j = 0; j < 45; j++) {
                EXPECT_NEAR(c.Cell(i, j).re, ref.Cell(i, j).re, 1e-12);
                EXPECT_NEAR(c.Cell(i, j).im, ref.Cell(i, j).im, 1e-12);
                if (!complex) {
                    // The loop's imaginary sums of zeros are exactly +0.
                    EXPECT_EQ(c.Cell(i, j).im, 0.0);
                    EXPECT_FALSE(std::signbit(c.Cell(i, j).im));
                }
            }
    }
}

TEST(FastPaths, ProductsWithInfinitiesKeepTheLoopResult)
{
    CComplexMatrix a = Filled(40, 40, 0.5, false), b = Filled(40, 40, 0.25, false);
    a.Cell(3, 7) = Complex(std::numeric_limits<double>::infinity(), 0.0);
    b.Cell(0, 0) = Complex(std::nan(""), 0.0);
    CComplexMatrix ref = LoopProduct(a, b);
    CComplexMatrix c = a * b;
    for (int i = 0; i < 40; i++)
        for (int j = 0; j < 40; j++) {
            const Complex x = c.Cell(i, j), y = ref.Cell(i, j);
            EXPECT_TRUE(std::memcmp(&x, &y, sizeof x) == 0 || (std::isnan(x.re) && std::isnan(y.re) &&
                                                               (std::isnan(x.im) == std::isnan(y.im))))
                << i << "," << j;
        }
}

TEST(FastPaths, ValueProductOfLargeMatricesIsComplexThroughout)
{
    CValue a, b;
    CValueMatrix& A = a.MakeMatrix(36, 36);
    CValueMatrix& B = b.MakeMatrix(36, 36);
    for (int i = 0; i < 36; i++)
        for (int j = 0; j < 36; j++) {
            A.Cell(i, j).SetReal(i - j * 0.5);
            B.Cell(i, j).SetReal(1.0 / (1 + i + j));
        }
    CValue c(a);
    ASSERT_EQ(ValueMul(c, b), 0);
    const CValueMatrix& C = c.Matrix();
    for (int i = 0; i < 36; i++)
        for (int j = 0; j < 36; j++) {
            double s = 0.0;
            for (int k = 0; k < 36; k++) s += A.Cell(i, k).Real() * B.Cell(k, j).Real();
            ASSERT_EQ(C.Cell(i, j).Type(), (uint32_t)VT_COMPLEX);
            EXPECT_NEAR(C.Cell(i, j).ComplexRef().re, s, 1e-11);
            EXPECT_EQ(C.Cell(i, j).ComplexRef().im, 0.0);
        }
}

CValueMatrix RealCells(int rows, int cols, double seed)
{
    CValueMatrix m(rows, cols);
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) {
            const double x = std::sin(seed * (i + 1) + j * 0.7);
            if ((i + j) % 5 == 0)
                m.Cell(i, j).SetComplex(Complex(x, 0.0));  // read as its real part
            else
                m.Cell(i, j).SetReal(x);
        }
    return m;
}

// Large products write their Complex cells over the work arrays of the
// library's product; each shape puts a different operand beside the result.
TEST(FastPaths, LargeRealCellProductsAreTheLibraryProductInComplexCells)
{
    struct Shape {
        int m, k, n;
        bool same;
    } shapes[] = {{130, 130, 130, true}, {150, 120, 140, false}, {200, 150, 100, false}, {130, 200, 130, false}};
    for (const Shape& s : shapes) {
        CValueMatrix a = RealCells(s.m, s.k, 0.37), b = RealCells(s.k, s.n, 1.13);
        const CValueMatrix& right = s.same ? a : b;
        std::vector<double> A, B, C((size_t)s.m * s.n);
        for (int i = 0; i < s.m; i++)
            for (int j = 0; j < s.k; j++) A.push_back(a.Cell(i, j).GetComplex().re);
        for (int i = 0; i < s.k; i++)
            for (int j = 0; j < s.n; j++) B.push_back(right.Cell(i, j).GetComplex().re);
        ASSERT_TRUE(RealArrayProduct(A.data(), B.data(), C.data(), s.m, s.k, s.n));
        CValueMatrix r;
        ASSERT_TRUE(RealCellMatrixProduct(a, right, r)) << s.m << "x" << s.k << "x" << s.n;
        ASSERT_EQ(r.Rows(), s.m);
        ASSERT_EQ(r.Cols(), s.n);
        for (int i = 0; i < s.m; i++)
            for (int j = 0; j < s.n; j++) {
                const CValue& c = r.Cell(i, j);
                ASSERT_EQ(c.Type(), (uint32_t)VT_COMPLEX);
                const double x = C[(size_t)i * s.n + j];
                ASSERT_EQ(std::memcmp(&c.ComplexRef().re, &x, sizeof x), 0) << i << "," << j;
                ASSERT_EQ(c.ComplexRef().im, 0.0);
                ASSERT_FALSE(std::signbit(c.ComplexRef().im));
            }
        // The cells are ordinary pool cells: dropped on another thread.
        std::thread([&] { r.Free(); }).join();
    }
}

// A product that turns out to take another road leaves no payloads behind.
TEST(FastPaths, RefusedLargeProductsKeepNoPayloads)
{
    CCellPool* pool = ComplexCellPool();
    if (!pool) GTEST_SKIP() << "payloads are heap blocks in this build";
    CValueMatrix a = RealCells(300, 300, 0.5);  // more cells than any test frees
    const size_t carved = pool->CarvedCells();
    for (int round = 0; round < 2; ++round) {
        // The last cell read: complex, then not finite.
        if (round)
            a.Cell(299, 299).SetReal(std::nan(""));
        else
            a.Cell(299, 299).SetComplex(Complex(1.0, 2.0));
        CValueMatrix r;
        EXPECT_FALSE(RealCellMatrixProduct(a, a, r));
        EXPECT_TRUE(r.IsEmpty());
        EXPECT_EQ(pool->CarvedCells(), carved);
    }
}

TEST(FastPaths, CopiesOfInlineAndOwnedPayloads)
{
    CValue s = Str("abc");
    s.Cells()[1] = Chr(0xFE, true);
    CValue t(s);
    ASSERT_NE(t.Cells(), s.Cells());
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(SameCell(t.Cells()[i], s.Cells()[i])) << i;
    EXPECT_EQ(ValueArrayCount(t.Cells()), 4u);

    CValue r = Real(2.5), h;
    h.SetHandle(&r);
    CValue hc(h);
    EXPECT_EQ(hc.HandleTarget(), &r);
    // A Real's number is its payload word: the copy carries it, owning nothing.
    CValue rc(r);
    EXPECT_FALSE(rc.OwnsPayload());
    EXPECT_EQ(rc.Real(), 2.5);
    r.Real() = 3.5;
    EXPECT_EQ(rc.Real(), 2.5);
}

}  // namespace
