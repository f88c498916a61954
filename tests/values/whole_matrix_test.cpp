// Whole-matrix routes over Real cells give what the cell-by-cell routes give,
// bit for bit: a matrix with a scalar into a new matrix, column sums and
// running sums, copies, extremes and random matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/capture.h"
#include "values/lapack_drivers.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/random15.h"
#include "value_builders.h"

using namespace vb;

namespace {

const double kInf = std::numeric_limits<double>::infinity();

void ExpectSameMatrix(const CValueMatrix& got, const CValueMatrix& want, const std::string& what)
{
    ASSERT_EQ(got.Rows(), want.Rows()) << what;
    ASSERT_EQ(got.Cols(), want.Cols()) << what;
    for (int i = 0; i < got.Rows(); ++i)
        for (int j = 0; j < got.Cols(); ++j)
            EXPECT_TRUE(SameCell(got.Cell(i, j), want.Cell(i, j))) << what << " at " << i << "," << j;
}

// Real cells with the awkward numbers, rows long enough for the vector loops.
CValue Reals(int rows, int cols, double seed)
{
    const double specials[] = {0.0, -0.0, kInf, -kInf, std::nan(""), 0.5, -0.5, 1e308, 5e-324};
    CValue v;
    CValueMatrix& m = v.MakeMatrix(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            const int k = i * cols + j;
            m.Cell(i, j).SetReal(k % 7 == 3 ? specials[(k / 7) % 9] : std::sin(seed + k) * (1 + k % 5));
        }
    return v;
}

using InPlace = int (*)(CValue&, const CValue&);

struct ScalarCase {
    ScalarOp op;
    InPlace cell;
    bool stops;
};

const ScalarCase kScalarCases[] = {
    {SCALAR_ADD, ValueAdd, false},
    {SCALAR_SUB, ValueSub, false},
    {SCALAR_MUL, ValueMul, false},
    {SCALAR_DIV, ValueDiv, false},
    {SCALAR_MUL, ValueElemMul, true},
    {SCALAR_DIV, ValueElemDiv, true},
    {SCALAR_GT, ValueCompareGreater, true},
    {SCALAR_LT, ValueCompareLess, true},
    {SCALAR_GE, ValueCompareGreaterEqual, true},
    {SCALAR_LE, ValueCompareLessEqual, true},
    {SCALAR_EQ, ValueCompareEqual, true},
    {SCALAR_NE, ValueCompareNotEqual, true},
};

}  // namespace

// m op s into a new matrix against a copy of m with the operator applied in
// place: Real matrices, matrices with a Complex, a String (which fails some
// operators part-way) and a nested matrix, with Real scalars including 0,
// NaN and infinity.
TEST(WholeMatrix, MatrixWithScalarMatchesCopyThenOperator)
{
    std::vector<CValue> operands;
    operands.push_back(Reals(3, 37, 0.25));
    operands.push_back(Reals(1, 70, 1.0));  // one row
    CValue mixed = Reals(4, 9, 2.0);
    mixed.Matrix().Cell(1, 4).SetComplex(Complex(1.5, -2.0));
    mixed.Matrix().Cell(2, 2) = Str("xy");
    mixed.Matrix().Cell(3, 0) = Mat({{1, 2}});
    operands.push_back(mixed);
    CValue late = Reals(2, 40, 3.0);
    late.Matrix().Cell(1, 39).SetComplex(Complex(0.0, 1.0));  // the very last cell
    operands.push_back(late);
    for (const ScalarCase& c : kScalarCases)
        for (const CValue& a : operands)
            for (double s : {0.5, 0.0, -0.0, kInf, std::nan(""), -3.0}) {
                const CValue scalar = Real(s);
                CValue expected(a);
                int expectedStatus;
                std::vector<std::string> expectedMessages;
                {
                    CCaptureStream cap;
                    expectedStatus = c.cell(expected, scalar);
                    expectedMessages = cap.messages;
                }
                CCaptureStream cap;
                CValueMatrix out;
                bool allReal = false;
                const int st = MatrixScalarCopy(out, a.Matrix(), scalar, c.op, c.cell, c.stops, &allReal);
                const std::string what = std::to_string(c.op) + " with " + std::to_string(s);
                EXPECT_EQ(st, expectedStatus) << what;
                EXPECT_EQ(cap.messages, expectedMessages) << what;
                ExpectSameMatrix(out, expected.Matrix(), what);
                bool real = true;
                for (int i = 0; i < out.Rows(); ++i)
                    for (int j = 0; j < out.Cols(); ++j) real = real && out.Cell(i, j).Tag() == VT_REAL;
                if (allReal) {
                    EXPECT_TRUE(real) << what;
                }
                if (&a == &operands[0]) {
                    EXPECT_TRUE(allReal) << what;
                }
            }
}

// Two matrices compared in place cell by cell, and the logical operators:
// Real pairs with the awkward numbers on both sides (NaN against NaN among
// them), a Complex, a String that fails part-way and a nested matrix.
TEST(WholeMatrix, MatrixWithMatrixInPlaceMatchesTheCellOperator)
{
    const struct {
        RelationalOp op;
        InPlace cell;
    } ops[] = {{REL_EQ, ValueCompareEqual},         {REL_NE, ValueCompareNotEqual}, {REL_GT, ValueCompareGreater},
               {REL_LT, ValueCompareLess},          {REL_GE, ValueCompareGreaterEqual},
               {REL_LE, ValueCompareLessEqual},     {LOGIC_AND, ValueAnd},       {LOGIC_OR, ValueOr},
               {LOGIC_XOR, ValueXor}};
    for (const auto& [op, cell] : ops)
        for (int variant = 0; variant < 3; ++variant) {
            CValue a = Reals(3, 41, 0.5), b = Reals(3, 41, 1.75);
            b.Matrix().Cell(0, 4) = a.Matrix().Cell(0, 4);  // equal pairs, a NaN pair among them
            b.Matrix().Cell(1, 3).SetReal(std::nan(""));
            if (variant == 1) a.Matrix().Cell(1, 7).SetComplex(Complex(0.5, 0.0));
            if (variant == 2) {
                b.Matrix().Cell(2, 9) = Str("xy");
                a.Matrix().Cell(0, 2) = Mat({{1, 2}});
            }
            CValue want(a), got(a);
            int wantStatus = 0;
            std::vector<std::string> wantMessages;
            {
                CCaptureStream cap;
                for (int i = 0; i < 3 && !wantStatus; ++i)
                    for (int j = 0; j < 41 && !wantStatus; ++j)
                        wantStatus = cell(want.Matrix().Cell(i, j), b.Matrix().Cell(i, j));
                wantMessages = cap.messages;
            }
            CCaptureStream cap;
            const std::string what = "op " + std::to_string(op) + " variant " + std::to_string(variant);
            EXPECT_EQ(MatrixRelational(got.Matrix(), b.Matrix(), op), wantStatus) << what;
            EXPECT_EQ(cap.messages, wantMessages) << what;
            ExpectSameMatrix(got.Matrix(), want.Matrix(), what);
        }
}

// A matrix compared in place with a Real scalar (the route of a temporary).
TEST(WholeMatrix, ComparisonInPlaceMatchesTheCellOperator)
{
    for (RelationalOp op : {REL_EQ, REL_NE, REL_GT, REL_LT, REL_GE, REL_LE}) {
        CValue a = Reals(3, 20, 0.75);
        a.Matrix().Cell(2, 5).SetComplex(Complex(0.5, 0.0));
        for (double s : {0.5, std::nan(""), -0.0}) {
            CValue got(a), want(a);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 20; ++j) {
                    const InPlace fn = op == REL_EQ ? ValueCompareEqual : op == REL_NE ? ValueCompareNotEqual
                                     : op == REL_GT ? ValueCompareGreater : op == REL_LT ? ValueCompareLess
                                     : op == REL_GE ? ValueCompareGreaterEqual : ValueCompareLessEqual;
                    ASSERT_EQ(fn(want.Matrix().Cell(i, j), Real(s)), 0);
                }
            ASSERT_EQ(MatrixRelationalScalar(got.Matrix(), Real(s), op), 0);
            ExpectSameMatrix(got.Matrix(), want.Matrix(), "op " + std::to_string(op));
        }
    }
}

// Column sums and products and running sums and products, against the walk
// down each column with the cell operators.
TEST(WholeMatrix, ColumnFoldsMatchTheCellWalk)
{
    CValue big = Reals(301, 13, 0.5);
    CValue withComplex = Reals(5, 6, 1.5);
    withComplex.Matrix().Cell(4, 5).SetComplex(Complex(2.0, 3.0));
    for (const CValue* a : {&big, &withComplex})
        for (bool product : {false, true}) {
            const CValueMatrix& m = a->Matrix();
            const InPlace step = product ? ValueMul : ValueAdd;
            CValue sums;
            CValueMatrix& s = sums.MakeMatrix(1, m.Cols());
            CValue running;
            CValueMatrix& r = running.MakeMatrix(m.Rows(), m.Cols());
            for (int j = 0; j < m.Cols(); ++j) {
                CValue acc = m.Cell(0, j);
                r.Cell(0, j) = acc;
                for (int i = 1; i < m.Rows(); ++i) {
                    ASSERT_EQ(step(acc, m.Cell(i, j)), 0);
                    r.Cell(i, j) = acc;
                }
                s.Cell(0, j) = acc;
            }
            CValueMatrix got;
            ASSERT_EQ(product ? m.ProdColumns(got) : m.SumColumns(got), 0);
            ExpectSameMatrix(got, s, product ? "prod" : "sum");
            CValueMatrix run;
            bool allReal = false;
            ASSERT_EQ(product ? CValueMatrix::CumProd(m, run, &allReal) : CValueMatrix::CumSum(m, run, &allReal), 0);
            ExpectSameMatrix(run, r, product ? "cumprod" : "cumsum");
            EXPECT_EQ(allReal, a == &big);
        }
}

// Copies of rows mixing cells that own payloads with cells that do not, in
// blocks on either side of the copy's block size, and the extremes.
TEST(WholeMatrix, CopiesAndExtremes)
{
    CValue a = Reals(2, 700, 0.1);
    a.Matrix().Cell(0, 255) = Str("text");
    a.Matrix().Cell(0, 256).SetComplex(Complex(1, 2));
    a.Matrix().Cell(1, 699) = Mat({{1, 2}, {3, 4}});
    CValue copy(a);
    ExpectSameMatrix(copy.Matrix(), a.Matrix(), "copy");
    EXPECT_NE(copy.Matrix().Cell(0, 255).Cells(), a.Matrix().Cell(0, 255).Cells());  // its own text

    for (bool greatest : {true, false}) {
        for (int variant = 0; variant < 3; ++variant) {
            CValue m = Reals(3, 50, 0.3);
            if (variant == 1) m.Matrix().Cell(0, 0).SetReal(std::nan(""));  // a NaN first
            if (variant == 2) m.Matrix().Cell(2, 7).SetComplex(Complex(-5, 1));
            const CValue* best = nullptr;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 50; ++j) {
                    const CValue* c = &m.Matrix().Cell(i, j);
                    if (!best || ExtremeReplaces(*c, *best, greatest)) best = c;
                }
            EXPECT_EQ(greatest ? MaxOfMatrix(m.Matrix()) : MinOfMatrix(m.Matrix()), best)
                << greatest << " " << variant;
        }
    }
}

// The random matrix drawn in runs straight into its cells holds the numbers
// of the one call, for both distributions and shapes that end mid-run.
TEST(WholeMatrix, RandomMatrixInRunsMatchesOneCall)
{
    for (int idist : {1, 3})
        for (auto [rows, cols] : {std::pair{1, 1}, std::pair{3, 5000}, std::pair{129, 65}, std::pair{1, 8193}}) {
            SeedRand15(77);
            CValueMatrix one(rows, cols);
            ASSERT_EQ(RandomMatrix(one, 1, idist), 0);
            const int after = Rand15();
            SeedRand15(77);
            CValueMatrix runs;
            ASSERT_TRUE(RandomRealMatrix(runs, rows, cols, idist));
            EXPECT_EQ(Rand15(), after);  // the same seeds were taken
            ExpectSameMatrix(runs, one, "rand " + std::to_string(rows) + "x" + std::to_string(cols));
        }
}
