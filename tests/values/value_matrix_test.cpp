#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/capture.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {
// Builds a matrix of Real cells from rows of numbers.
CValueMatrix Reals(std::initializer_list<std::initializer_list<double>> rows)
{
    CValueMatrix m;
    int r = 0;
    for (const auto& row : rows) {
        int c = 0;
        for (double x : row) {
            m.GrowToIndex(r, c);
            m.Cell(r, c).SetReal(x);
            ++c;
        }
        ++r;
    }
    return m;
}

// Compact picture of a matrix: "r x c:" then each cell as its number, "e" for empty,
// "?" for anything else; rows separated by ";".
std::string Shape(const CValueMatrix& m)
{
    std::string s = std::to_string(m.Rows()) + "x" + std::to_string(m.Cols()) + ":";
    for (int r = 0; r < m.Rows(); ++r) {
        if (r) s += ";";
        for (int c = 0; c < m.Cols(); ++c) {
            if (c) s += ",";
            const CValue& v = m.Cell(r, c);
            if (v.Type() == VT_REAL) {
                double x = v.Real();
                s += (x == (int)x) ? std::to_string((int)x) : std::to_string(x);
            } else if (v.IsEmpty())
                s += "e";
            else
                s += "?";
        }
    }
    return s;
}
}  // namespace

TEST(ValueMatrix, ConstructorsFillAndEmptyShapes)
{
    EXPECT_EQ(Shape(CValueMatrix(2, 2)), "2x2:e,e;e,e");
    EXPECT_EQ(Shape(CValueMatrix(1, 2, CValue(7.0))), "1x2:7,7");
    EXPECT_EQ(Shape(CValueMatrix(CValue(3.0))), "1x1:3");
    for (auto [r, c] : std::vector<std::pair<int, int>>{{0, 5}, {5, 0}, {-1, 3}}) {
        CValueMatrix m(r, c, CValue(1.0));
        EXPECT_TRUE(m.IsEmpty());
        EXPECT_FALSE(m.HasStorage());
        EXPECT_EQ(m.Rows(), 0);
    }
    CValueMatrix m = Reals({{1, 2}, {3, 4}});
    m.Fill(2, 3, m.Cell(1, 1));  // the fill may be one of the matrix's own cells
    EXPECT_EQ(Shape(m), "2x3:4,4,4;4,4,4");
    m.Free();
    EXPECT_TRUE(m.IsEmpty());
    m.Free();
    EXPECT_TRUE(m.IsEmpty());
}

// Rows of a megabyte and more are kept for reuse after they are freed; a
// matrix built on a reused row still starts with empty cells and grows as usual.
TEST(ValueMatrix, LargeRowsStartEmptyAfterReuse)
{
    const int n = 100000;
    for (int round = 0; round < 3; ++round) {
        CValueMatrix m(1, n - round * 1000);
        ASSERT_EQ(m.Cols(), n - round * 1000);
        int empty = 0;
        for (int c = 0; c < m.Cols(); ++c) empty += m.Cell(0, c).IsEmpty();
        EXPECT_EQ(empty, m.Cols()) << round;
        m.Fill(1, m.Cols(), CValue(5.0));
        ASSERT_TRUE(m.Resize(2, n + 10));
        EXPECT_TRUE(m.Cell(0, 0).Type() == VT_REAL && m.Cell(0, 0).Real() == 5.0);
        EXPECT_TRUE(m.Cell(1, n + 9).IsEmpty());
    }
}

TEST(ValueMatrix, GrowToIndexMakesRealZeroCells)
{
    struct Case {
        CValueMatrix start;
        int r, c;
        const char* shape;
    };
    std::vector<Case> cases;
    cases.push_back({CValueMatrix(), 2, 3, "3x4:0,0,0,0;0,0,0,0;0,0,0,0"});
    cases.push_back({Reals({{1, 2}, {3, 4}}), 0, 0, "2x2:1,2;3,4"});
    cases.push_back({Reals({{1, 2}, {3, 4}}), 2, 0, "3x2:1,2;3,4;0,0"});
    cases.push_back({Reals({{1, 2}, {3, 4}}), 0, 3, "2x4:1,2,0,0;3,4,0,0"});
    cases.push_back({Reals({{1}}), 1, 2, "2x3:1,0,0;0,0,0"});
    for (auto& k : cases) {
        EXPECT_EQ(k.start.GrowToIndex(k.r, k.c), 0);
        EXPECT_EQ(Shape(k.start), k.shape) << k.r << "," << k.c;
    }
    CValueMatrix e;
    EXPECT_EQ(e.GrowToIndex(3, 4), 0);
    EXPECT_EQ(e.Rows(), 4);
    EXPECT_EQ(e.Cols(), 5);

    CValueMatrix g = Reals({{5}});
    CValue& cell = g.CellAtGrow(1, 1);
    cell.SetReal(9);
    EXPECT_EQ(Shape(g), "2x2:5,0;0,9");
}

TEST(ValueMatrix, RefusedGrowthLeavesTheMatrixAndReports)
{
    struct Case {
        int r, c;
        const char* text;
    };
    const Case cases[] = {
        {-1, 0, "Error: Matrix indexing (0,1) is limits exceeded"},
        {0, -5, "Error: Matrix indexing (1,-4) is limits exceeded"},
        {INT_MAX, 0, "Error: Matrix indexing (2147483648,1) is limits exceeded"},
        {999999999, 999999999, "Error: Matrix indexing (1000000000,1000000000) is limits exceeded"},
    };
    for (const Case& k : cases) {
        CCaptureStream cap;
        CValueMatrix m = Reals({{1, 2}, {3, 4}});
        EXPECT_EQ(m.GrowToIndex(k.r, k.c), 10);
        EXPECT_EQ(Shape(m), "2x2:1,2;3,4");
        ASSERT_EQ(cap.messages.size(), 1u);
        EXPECT_EQ(cap.messages[0], k.text);

        CValueMatrix e;
        EXPECT_EQ(e.GrowToIndex(k.r, k.c), 10);
        EXPECT_TRUE(e.IsEmpty());
    }
    CCaptureStream cap;
    CValueMatrix m = Reals({{1}});
    CValue& scratch = m.CellAtGrow(INT_MAX, INT_MAX);
    scratch.SetReal(5);  // harmless: not a cell of the matrix
    EXPECT_EQ(Shape(m), "1x1:1");
    EXPECT_EQ(m.TryCellAtGrow(0, INT_MAX), nullptr);
}

TEST(ValueMatrix, ResizeKeepsOverlapWithEmptyNewCells)
{
    CValueMatrix m = Reals({{1, 2}, {3, 4}, {5, 6}});
    EXPECT_TRUE(m.Resize(2, 3));
    EXPECT_EQ(Shape(m), "2x3:1,2,e;3,4,e");
    EXPECT_EQ(m.Cell(0, 2).Tag(), 0u);
    EXPECT_TRUE(m.Resize(0, 3));
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_FALSE(m.Resize(INT_MAX, INT_MAX));
    EXPECT_TRUE(m.IsEmpty());
}

TEST(ValueMatrix, AssignmentCopiesDeeplyEvenFromItsOwnCell)
{
    CValueMatrix m = Reals({{1, 2}});
    CValueMatrix inner = Reals({{7, 8}, {9, 10}});
    m.Cell(0, 0).MakeMatrix(0, 0) = inner;
    m = m.Cell(0, 0).Matrix();
    EXPECT_EQ(Shape(m), "2x2:7,8;9,10");

    CValueMatrix a = Reals({{1, 2, 3}});
    CValueMatrix b;
    b = a;
    a.Cell(0, 0).SetReal(100);
    EXPECT_EQ(Shape(b), "1x3:1,2,3");
    b = CValueMatrix();
    EXPECT_TRUE(b.IsEmpty());
}

TEST(ValueMatrix, Concatenation)
{
    CValueMatrix a = Reals({{1}, {2}});
    CValueMatrix b = Reals({{3, 4}, {5, 6}, {7, 8}});
    CValueMatrix h;
    EXPECT_EQ(h.HorzCat(a, b), 0);
    EXPECT_EQ(Shape(h), "3x3:1,3,4;2,5,6;0,7,8");
    CValueMatrix v;
    EXPECT_EQ(v.VertCat(a, b), 0);
    EXPECT_EQ(Shape(v), "5x2:1,0;2,0;3,4;5,6;7,8");
    // The operands may be the target itself.
    a.HorzCat(a, a);
    EXPECT_EQ(Shape(a), "2x2:1,1;2,2");
    CValueMatrix e;
    b.VertCat(e, b);
    EXPECT_EQ(Shape(b), "3x2:3,4;5,6;7,8");
    e.HorzCat(CValueMatrix(), CValueMatrix());
    EXPECT_TRUE(e.IsEmpty());
}

TEST(ValueMatrix, MakeDiagPlacesCellsOnTheDiagonal)
{
    CValue cells[2] = {CValue(1.0), CValue(2.0)};
    struct Case {
        int n, k;
        const char* shape;
    };
    const Case cases[] = {
        {2, 0, "2x2:1,0;0,2"},
        {2, -1, "3x3:0,0,0;1,0,0;0,2,0"},
        {2, 1, "3x3:0,1,0;0,0,2;0,0,0"},
        {1, 2, "3x3:0,0,1;0,0,0;0,0,0"},
        {0, 0, "0x0:"},
    };
    for (const Case& k : cases) {
        CValueMatrix m = Reals({{9}});
        EXPECT_EQ(m.MakeDiag(cells, k.n, k.k), 0);
        EXPECT_EQ(Shape(m), k.shape) << k.n << " " << k.k;
    }
    CCaptureStream cap;
    CValueMatrix m = Reals({{9}});
    EXPECT_EQ(m.MakeDiag(cells, 2, INT_MIN), 10);
    EXPECT_EQ(Shape(m), "1x1:9");
}

TEST(ValueMatrix, DeleteRowsAndColumns)
{
    CValueMatrix m = Reals({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    const int rows[] = {2, 0, 2, 17, -3};  // duplicates and strangers are ignored
    EXPECT_TRUE(m.DeleteRows(rows, 5));
    EXPECT_EQ(Shape(m), "1x3:4,5,6");
    const int one[] = {0};
    EXPECT_TRUE(m.DeleteRows(one, 1));
    EXPECT_TRUE(m.IsEmpty());
    EXPECT_FALSE(m.HasStorage());

    CValueMatrix c = Reals({{1, 2, 3}, {4, 5, 6}});
    const int cols[] = {0, 2};
    EXPECT_TRUE(c.DeleteColumns(cols, 2));
    EXPECT_EQ(Shape(c), "2x1:2;5");
    const int all[] = {0};
    EXPECT_TRUE(c.DeleteColumns(all, 1));
    EXPECT_TRUE(c.IsEmpty());
    CValueMatrix e;
    EXPECT_TRUE(e.DeleteColumns(cols, 2));
    EXPECT_TRUE(e.IsEmpty());
}

TEST(ValueMatrix, TrianglesAndIdentity)
{
    struct Case {
        bool upper;
        int k;
        const char* shape;
    };
    const Case cases[] = {
        {true, 0, "3x3:1,1,1;0,1,1;0,0,1"},
        {true, 1, "3x3:0,1,1;0,0,1;0,0,0"},
        {true, -1, "3x3:1,1,1;1,1,1;0,1,1"},
        {false, 0, "3x3:1,0,0;1,1,0;1,1,1"},
        {false, -1, "3x3:0,0,0;1,0,0;1,1,0"},
        {false, INT_MAX, "3x3:1,1,1;1,1,1;1,1,1"},
        {true, INT_MIN, "3x3:1,1,1;1,1,1;1,1,1"},
    };
    for (const Case& k : cases) {
        CValueMatrix m(3, 3, CValue(1.0));
        if (k.upper)
            m.Triu(k.k);
        else
            m.Tril(k.k);
        EXPECT_EQ(Shape(m), k.shape) << k.upper << " " << k.k;
    }
    CValueMatrix i(2, 3);
    i.MakeIdentity();
    EXPECT_EQ(Shape(i), "2x3:1,0,0;0,1,0");
}

TEST(ValueMatrix, GetDiagAcceptsOnlyDiagonalsThatFit)
{
    CValueMatrix wide = Reals({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}});
    CValueMatrix tall = Reals({{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}});
    CValueMatrix two3 = Reals({{1, 2, 3}, {4, 5, 6}});
    struct Case {
        const CValueMatrix* m;
        int k;
        const char* out;  // null: refused
    };
    const Case cases[] = {
        {&wide, 0, "1x2:1,7"},
        {&tall, 0, "1x2:1,4"},
        {&two3, 1, "1x2:2,6"},
        {&two3, 0, "1x2:1,5"},
        {&tall, -3, "1x2:7,10"},
        {&tall, -1, nullptr},
        {&two3, 2, "1x1:3"},
        {&two3, -1, "1x1:4"},
        {&two3, 3, nullptr},
        {&two3, -2, nullptr},
        {&wide, INT_MIN, nullptr},
    };
    for (const Case& k : cases) {
        CCaptureStream cap;
        CValueMatrix out = Reals({{42}});
        int st = k.m->GetDiag(k.k, out);
        if (k.out) {
            EXPECT_EQ(st, 0);
            EXPECT_EQ(Shape(out), k.out) << k.k;
            EXPECT_TRUE(cap.messages.empty());
        } else {
            EXPECT_EQ(st, 10);
            EXPECT_EQ(Shape(out), "1x1:42");
            ASSERT_EQ(cap.messages.size(), 1u);
            EXPECT_EQ(cap.messages[0], "Error: Extracting " + std::to_string(k.k) + "-th diagonal from matrix");
        }
    }
    CValueMatrix self = Reals({{1, 2}, {3, 4}});
    EXPECT_EQ(self.GetDiag(0, self), 0);
    EXPECT_EQ(Shape(self), "1x2:1,4");
}

TEST(ValueMatrix, FindFamilyVisitsRowMajorAndSkipsZeros)
{
    CValueMatrix m(2, 4);
    m.Cell(0, 0).SetReal(0.0);
    m.Cell(0, 1).SetComplex(Complex{0, 1});
    m.Cell(0, 2).SetComplex(Complex{0, 0});
    m.Cell(0, 3).SetReal(NAN);
    m.Cell(1, 0).MakeMatrix(1, 1).Cell(0, 0).SetReal(0.0);  // 1x1 zero matrix counts as zero
    m.Cell(1, 1).MakeMatrix(1, 1).Cell(0, 0).SetReal(2.0);
    m.Cell(1, 2).SetString("ab");
    // (1,3) stays empty: a value of another type is non-zero
    std::vector<int64_t> lin;
    m.FindNonZero(lin);
    EXPECT_EQ(lin, (std::vector<int64_t>{1, 3, 5, 6, 7}));
    std::vector<std::pair<int, int>> pairs;
    m.FindNonZeroPairs(pairs);
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{0, 1}, {0, 3}, {1, 1}, {1, 2}, {1, 3}}));
    std::vector<std::pair<int, int>> p2;
    std::vector<CValue*> cells;
    m.FindNonZeroWithValues(p2, cells);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[0], &m.Cell(0, 1));
    EXPECT_EQ(cells[4], &m.Cell(1, 3));
}
