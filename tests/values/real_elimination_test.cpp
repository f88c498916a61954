// solve's packed elimination over Real cells against the complex road it
// stands in for: every bit of every answer, signs of zero included.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/capture.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/numeric_path.h"
#include "values/value_matrix.h"

namespace {

uint64_t Bits(double x)
{
    uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// The complex road as solve takes it; *singular when it reports a singular matrix.
CValueMatrix ComplexRoad(const CValueMatrix& a, const CValueMatrix& b, bool* singular)
{
    CComplexMatrix ca, cb, cx;
    EXPECT_TRUE(ValueToComplexMatrix(a, ca) && ValueToComplexMatrix(b, cb));
    CCaptureStream cap;
    const int st = ca.Solve(cb, cx);
    *singular = st == 10;
    EXPECT_TRUE(st == 0 || (st == 10 && cap.messages == std::vector<std::string>{"Error: The matrix is singular"}));
    CValueMatrix out;
    if (st == 0) ComplexMatrixToValue(cx, out);
    return out;
}

CValueMatrix Filled(int rows, int cols, std::mt19937& gen, int kind)
{
    CValueMatrix m(rows, cols);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> small(-3, 3);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            double x;
            switch (kind) {
            case 0: x = unit(gen); break;                           // dense, no zeros
            case 1: x = small(gen); break;                          // small integers: zeros and cancellations
            case 2: x = unit(gen) * std::ldexp(1.0, small(gen) * 300); break;  // wide exponents, overflow
            default: x = (i == j) ? 1.0 : (gen() % 4 == 0 ? unit(gen) : 0.0); break;  // sparse
            }
            m.Cell(i, j).SetReal(x);
        }
    return m;
}

TEST(RealElimination, BitForBitTheComplexRoad)
{
    std::mt19937 gen(26);
    int packed = 0, total = 0, negativeZeros = 0;
    for (int kind = 0; kind < 4; ++kind)
        for (int round = 0; round < 60; ++round) {
            // Mostly small systems, now and then one wide enough for the vector loops.
            const int n = round % 10 == 9 ? 40 + (int)(gen() % 40) : 1 + (int)(gen() % 12);
            const int m = 1 + (int)(gen() % 3);
            const CValueMatrix a = Filled(n, n, gen, kind), b = Filled(n, m, gen, kind);
            bool singular = false;
            const CValueMatrix want = ComplexRoad(a, b, &singular);
            CValueMatrix got;
            ++total;
            if (!SolveRealCells(a, b, got)) {
                EXPECT_EQ(got.Rows(), 0) << "x untouched when the packed road steps aside";
                continue;
            }
            ++packed;
            ASSERT_FALSE(singular) << "a zero pivot is the complex road's to report";
            ASSERT_EQ(got.Rows(), want.Rows());
            ASSERT_EQ(got.Cols(), want.Cols());
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < m; ++j) {
                    const CValue& g = got.Cell(i, j);
                    const CValue& w = want.Cell(i, j);
                    ASSERT_EQ(g.Type(), VT_COMPLEX);
                    ASSERT_EQ(Bits(g.ComplexRef().re), Bits(w.ComplexRef().re)) << kind << " " << round;
                    ASSERT_EQ(Bits(g.ComplexRef().im), Bits(w.ComplexRef().im)) << kind << " " << round;
                    negativeZeros += std::signbit(w.ComplexRef().im);
                }
        }
    // Dense systems take the packed road nearly always, and the imaginary
    // zeros of their answers come with both signs.
    EXPECT_GT(packed, total / 4);
    EXPECT_GT(negativeZeros, 0);
}

// Wide systems, bit for bit, and ones that step aside late: a zero or a
// tiny number at the far end of a pivot row.
TEST(RealElimination, WideSystemsBitForBit)
{
    std::mt19937 gen(79);
    struct Case {
        int n, m, kind;
    } cases[] = {{33, 1, 0}, {70, 2, 0}, {150, 1, 1}, {150, 3, 3}, {420, 1, 0}, {97, 1, 2}};
    for (const Case& c : cases) {
        const CValueMatrix a = Filled(c.n, c.n, gen, c.kind), b = Filled(c.n, c.m, gen, c.kind);
        bool singular = false;
        const CValueMatrix want = ComplexRoad(a, b, &singular);
        CValueMatrix got;
        const std::string what = "n " + std::to_string(c.n) + " kind " + std::to_string(c.kind);
        if (!SolveRealCells(a, b, got)) {
            EXPECT_NE(c.kind, 0) << what << ": a dense system takes the packed road";
            EXPECT_EQ(got.Rows(), 0) << what;
            continue;
        }
        ASSERT_FALSE(singular) << what;
        ASSERT_EQ(got.Rows(), c.n);
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < c.m; ++j) {
                ASSERT_EQ(Bits(got.Cell(i, j).ComplexRef().re), Bits(want.Cell(i, j).ComplexRef().re)) << what;
                ASSERT_EQ(Bits(got.Cell(i, j).ComplexRef().im), Bits(want.Cell(i, j).ComplexRef().im)) << what;
            }
    }
    // A zero far right in the first pivot row, and a multiplier whose product
    // with a tiny number far right could underflow: the work goes back.
    CValueMatrix a = Filled(300, 300, gen, 0), b = Filled(300, 1, gen, 0), x;
    a.Cell(0, 299).SetReal(0.0);
    for (int i = 0; i < 300; ++i) a.Cell(i, 0).SetReal(i == 0 ? 4.0 : 0.5);
    EXPECT_FALSE(SolveRealCells(a, b, x));
    a.Cell(0, 299).SetReal(1e-300);
    EXPECT_FALSE(SolveRealCells(a, b, x));
    EXPECT_EQ(x.Rows(), 0);
    a.Cell(0, 299).SetReal(0.25);
    EXPECT_TRUE(SolveRealCells(a, b, x));
}

TEST(RealElimination, StepsAsideForOtherCellsAndShapes)
{
    CValueMatrix a(2, 2), b(2, 1), x;
    a.Cell(0, 0).SetReal(1.0);
    a.Cell(0, 1).SetReal(2.0);
    a.Cell(1, 0).SetReal(3.0);
    a.Cell(1, 1).SetComplex(Complex(4.0, 0.0));  // a Complex cell
    b.Cell(0, 0).SetReal(1.0);
    b.Cell(1, 0).SetReal(2.0);
    EXPECT_FALSE(SolveRealCells(a, b, x));
    a.Cell(1, 1).SetReal(4.0);
    EXPECT_TRUE(SolveRealCells(a, b, x));
    CValueMatrix wide(2, 3), none;
    EXPECT_FALSE(SolveRealCells(wide, b, none));
    a.Cell(0, 0).SetReal(NAN);
    EXPECT_FALSE(SolveRealCells(a, b, none));
    EXPECT_EQ(none.Rows(), 0);
}

// The same numbers packed: read straight from the array, with the same bits
// as from cells and as the complex road, on sizes about the elimination's
// panel of steps; a number that is not finite in the array steps aside too.
TEST(RealElimination, PackedOperandsGiveTheBitsOfCells)
{
    CValueMatrix probe;
    if (!probe.ShapePacked(1, 1)) GTEST_SKIP() << "this build keeps every matrix in cells";
    auto packed = [](const CValueMatrix& cells) {
        CValueMatrix m;
        EXPECT_TRUE(m.ShapePacked(cells.Rows(), cells.Cols()));
        double* d = m.PackedData();
        for (int i = 0; i < cells.Rows(); i++)
            for (int j = 0; j < cells.Cols(); j++) d[(size_t)i * cells.Cols() + j] = cells.Cell(i, j).Real();
        return m;
    };
    std::mt19937 gen(31);
    struct Case {
        int n, m, kind;
    } cases[] = {{1, 1, 0}, {31, 2, 0}, {32, 1, 0}, {33, 1, 2}, {64, 4, 0}, {97, 1, 0}, {130, 3, 1}, {150, 1, 3}};
    int taken = 0;
    for (const Case& c : cases) {
        const CValueMatrix a = Filled(c.n, c.n, gen, c.kind), b = Filled(c.n, c.m, gen, c.kind);
        const std::string what = "n " + std::to_string(c.n) + " kind " + std::to_string(c.kind);
        bool singular = false;
        const CValueMatrix want = ComplexRoad(a, b, &singular);
        // Each operand packed alone and both: every pairing reads the same numbers.
        for (int form = 1; form < 4; form++) {
            const CValueMatrix pa = form & 1 ? packed(a) : a, pb = form & 2 ? packed(b) : b;
            ASSERT_EQ(pa.IsPacked(), (form & 1) != 0);
            CValueMatrix fromCells, fromPacked;
            const bool cellsTaken = SolveRealCells(a, b, fromCells);
            ASSERT_EQ(SolveRealCells(pa, pb, fromPacked), cellsTaken) << what;
            EXPECT_EQ(pa.IsPacked(), (form & 1) != 0) << what << ": the operand is read, not made cells";
            if (!cellsTaken) continue;
            ++taken;
            ASSERT_FALSE(singular) << what;
            for (int i = 0; i < c.n; i++)
                for (int j = 0; j < c.m; j++) {
                    const Complex& g = fromPacked.Cell(i, j).ComplexRef();
                    const Complex& w = want.Cell(i, j).ComplexRef();
                    ASSERT_EQ(Bits(g.re), Bits(w.re)) << what << " form " << form;
                    ASSERT_EQ(Bits(g.im), Bits(w.im)) << what << " form " << form;
                }
        }
    }
    EXPECT_GE(taken, 15);
    CValueMatrix a = packed(Filled(40, 40, gen, 0)), b = packed(Filled(40, 1, gen, 0)), x;
    a.PackedData()[40 * 17 + 39] = INFINITY;
    EXPECT_FALSE(SolveRealCells(a, b, x));
    a.PackedData()[40 * 17 + 39] = 0.5;
    b.PackedData()[39] = NAN;
    EXPECT_FALSE(SolveRealCells(a, b, x));
    EXPECT_EQ(x.Rows(), 0);
}

}  // namespace
