// The fast sorts against the exchange loops they replace, on random vectors
// full of ties that programs can tell apart (-0 and 0, NaNs of different bits,
// complex numbers with equal real parts, Real against Complex), and of mixed kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "support/capture.h"
#include "values/elementary.h"
#include "values/operators.h"
#include "values/value_matrix.h"
#include "value_builders.h"

using namespace vb;

namespace {

bool Before(const CValue& j, const CValue& i) { return ValueIsNaN(j) != 0 || ValueGreater(j, i); }

// The loops, literally: descending i = 0..n-1, j = i+1..n-1; ascending
// i = 1..n-1, j = 0..i-1; exchange when cell j is NaN or greater than cell i.
void LiteralSort(CValueMatrix& m, bool ascending)
{
    auto sortVector = [&](auto cell, int n) {
        if (ascending) {
            for (int i = 1; i < n; ++i)
                for (int j = 0; j < i; ++j)
                    if (Before(cell(j), cell(i))) cell(i).Swap(cell(j));
        } else {
            for (int i = 0; i < n; ++i)
                for (int j = i + 1; j < n; ++j)
                    if (Before(cell(j), cell(i))) cell(i).Swap(cell(j));
        }
    };
    if (m.Rows() == 1) {
        sortVector([&](int k) -> CValue& { return m.Cell(0, k); }, m.Cols());
        return;
    }
    for (int c = 0; c < m.Cols(); ++c) sortVector([&](int k) -> CValue& { return m.Cell(k, c); }, m.Rows());
}

std::string Bits(const CValue& v)
{
    std::string s = std::to_string(v.Tag()) + ":";
    auto hex = [&](double x) {
        uint64_t u;
        std::memcpy(&u, &x, 8);
        s += std::to_string(u) + ",";
    };
    if (v.Type() == VT_REAL) hex(v.Real());
    else if (v.Type() == VT_COMPLEX) hex(v.ComplexRef().re), hex(v.ComplexRef().im);
    else s += CellText(v);
    return s;
}

std::string AllBits(const CValueMatrix& m)
{
    std::string s;
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) s += Bits(m.Cell(i, j)) + " ";
    return s;
}

// A random cell: few distinct keys so that ties are everywhere.
CValue RandomCell(std::mt19937& rng, int kinds)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double keys[] = {0.0, -0.0, 1.0, 2.0, -3.0, INFINITY, -INFINITY, nan, -nan};
    const double key = keys[rng() % 9];
    switch (rng() % kinds) {
    case 0:
    case 1: return Real(key);
    case 2: return Cx(key, (double)(rng() % 3));
    case 3: return Cx(key, rng() % 4 == 0 ? nan : -1.0);  // NaN imaginary parts stay on the exchange road
    default: return Chr('a' + rng() % 3);                  // mixed kinds, ditto
    }
}

void Compare(CCaptureStream& cap, std::mt19937& rng, int rows, int cols, int kinds)
{
    CValue m;
    CValueMatrix& cells = m.MakeMatrix(rows, cols);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) cells.Cell(i, j) = RandomCell(rng, kinds);
    for (bool ascending : {true, false}) {
        cap.Reset();
        CValue fast = m, literal = m;
        ASSERT_TRUE(ascending ? fast.Matrix().SortAscending() : fast.Matrix().SortDescending());
        LiteralSort(literal.Matrix(), ascending);
        ASSERT_EQ(AllBits(fast.Matrix()), AllBits(literal.Matrix()))
            << (ascending ? "ascending " : "descending ") << rows << "x" << cols << " of " << AllBits(m.Matrix());
    }
}

TEST(FastSort, PlacesEveryCellWhereTheExchangeLoopsDo)
{
    CCaptureStream cap;  // mixed kinds report failed comparisons
    std::mt19937 rng(26);
    for (int kinds : {2, 3, 4, 5})
        for (int trial = 0; trial < 400; ++trial) {
            const int n = (int)(rng() % 40);
            Compare(cap, rng, 1, n, kinds);                   // along the row
            Compare(cap, rng, n % 7 + 2, (int)(rng() % 3), kinds);  // column by column
        }
    // Longer vectors: long runs of equal keys turned many times.
    for (int kinds : {2, 3})
        for (int trial = 0; trial < 6; ++trial) Compare(cap, rng, 1, 1500, kinds);
}

TEST(FastSort, ALongExchangeSortStopsWhenAsked)
{
    CCaptureStream cap;
    CValue m;
    CValueMatrix& cells = m.MakeMatrix(1, 3000);
    for (int j = 0; j < 3000; ++j)  // a NaN imaginary part keeps the exchange road
        cells.Cell(0, j) = j % 2 ? Real(j) : Cx(1, std::numeric_limits<double>::quiet_NaN());
    int asked = 0;
    auto stop = [](void* data) { return ++*static_cast<int*>(data) >= 2; };
    EXPECT_FALSE(cells.SortAscending(stop, &asked));
    EXPECT_EQ(asked, 2);
    asked = 0;
    EXPECT_FALSE(cells.SortDescending(stop, &asked));
    EXPECT_EQ(asked, 2);
}

}  // namespace
