#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/capture.h"
#include "values/operators.h"
#include "values/unary_operators.h"
#include "values/value_matrix.h"
#include "value_builders.h"

using namespace vb;

namespace {

// Records the order in which a three-operand function sees its cells.
std::string g_trace;

int Rgb(const CValue& a, const CValue& b, const CValue& c, CValue& dst)
{
    g_trace += CellText(a) + CellText(b) + CellText(c) + " ";
    dst.SetReal(a.Real() * 100 + b.Real() * 10 + c.Real());
    return 0;
}

int Difference(const CValue& a, const CValue& b, CValue& dst)
{
    dst = ValueDifference(a, b);
    return 0;
}

int StopAtNegative(const CValue& src, CValue& dst)
{
    if (src.Real() < 0) return 42;
    dst.SetReal(src.Real() * 2);
    return 0;
}

TEST(CellMapping, ThreeMatricesInOrderAndShapeMismatch)
{
    CValueMatrix out;
    g_trace.clear();
    CValue a = Mat({{1, 2}, {3, 4}}), b = Mat({{5, 6}, {7, 8}}), c = Mat({{9, 0}, {1, 2}});
    EXPECT_EQ(out.ApplyElementwise3(Rgb, a.Matrix(), b.Matrix(), c.Matrix()), 0);
    EXPECT_EQ(g_trace, "159 260 371 482 ");
    CValue r;
    r.MakeMatrix(0, 0) = out;
    EXPECT_EQ(Text(r), "[159,260;371,482]");

    CValue other = Mat({{1, 2}});
    CValueMatrix untouched(1, 1, Real(7));
    EXPECT_EQ(untouched.ApplyElementwise3(Rgb, a.Matrix(), b.Matrix(), other.Matrix()), 73);
    EXPECT_EQ(untouched.ApplyMatrixMatrix(Difference, a.Matrix(), other.Matrix()), 73);
    EXPECT_EQ(untouched.Rows(), 1);
    EXPECT_EQ(untouched.Cell(0, 0).Real(), 7);
}

TEST(CellMapping, OperandOrderOfScalarForms)
{
    CValue m = Mat({{1, 2}});
    CValue r;
    CValueMatrix& out = r.MakeMatrix(0, 0);
    EXPECT_EQ(out.ApplyMatrixScalar(Difference, m.Matrix(), Real(10)), 0);
    EXPECT_EQ(Text(r), "[-9,-8]");
    EXPECT_EQ(out.ApplyScalarMatrix(Difference, Real(10), m.Matrix()), 0);
    EXPECT_EQ(Text(r), "[9,8]");
    EXPECT_EQ(out.ApplyMatrixMatrix(Difference, m.Matrix(), Mat({{5, 5}}).Matrix()), 0);
    EXPECT_EQ(Text(r), "[-4,-3]");
    EXPECT_EQ(out.MapByValue(ValueNegated, m.Matrix()), 0);
    EXPECT_EQ(Text(r), "[-1,-2]");
}

TEST(CellMapping, FailingCellEndsTheWalk)
{
    CValue src = Mat({{1, -1, 3}});
    CValue r;
    CValueMatrix& out = r.MakeMatrix(0, 0);
    EXPECT_EQ(out.ApplyElementwise(StopAtNegative, src.Matrix()), 42);
    EXPECT_EQ(Text(r), "[2,empty,empty]");

    CValue inPlace = Mat({{1, 2}, {-1, 4}});
    EXPECT_EQ(inPlace.Matrix().ApplyInPlace(StopAtNegative), 42);
    EXPECT_EQ(Text(inPlace), "[2,4;-1,4]");

    CValue cells = Mat({{1, 2}});
    EXPECT_EQ(cells.Matrix().ForEachCell(IncrementCell), 0);
    EXPECT_EQ(Text(cells), "[2,3]");
}

TEST(CellMapping, CopyBlockDeepCopiesAndMayReadItself)
{
    CValue m = Mat({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    CValue r;
    EXPECT_EQ(r.MakeMatrix(0, 0).CopyBlock(m.Matrix(), 1, 1, 2, 2), 0);
    EXPECT_EQ(Text(r), "[5,6;8,9]");
    r.Matrix().Cell(0, 0).SetReal(0);
    EXPECT_EQ(m.Matrix().Cell(1, 1).Real(), 5);
    EXPECT_EQ(m.Matrix().CopyBlock(m.Matrix(), 0, 1, 1, 2), 0);
    EXPECT_EQ(Text(m), "[2,3]");
}

struct ReductionCase {
    const char* name;
    CValue m;
    std::string cumsum, cumprod, sum, prod, sumColumns;
};

TEST(Reductions, Table)
{
    CValue mixed = Mat({{1, 2}});
    mixed.Matrix().Cell(0, 1) = Cx(0, 1);
    ReductionCase cases[] = {
        {"row", Mat({{1, 2, 3}}), "[1,3,6]", "[1,2,6]", "6", "6", "[1,2,3]"},
        {"square", Mat({{1, 2}, {3, 4}}), "[1,2;4,6]", "[1,2;3,8]", "1", "1", "[4,6]"},
        {"column", Mat({{1}, {2}, {3}}), "[1;3;6]", "[1;2;6]", "6", "6", "[6]"},
        {"one cell", Mat({{5}}), "[5]", "[5]", "5", "5", "[5]"},
        {"mixed numbers", mixed, "[1,1+1i]", "[1,0+1i]", "1+1i", "0+1i", "[1,0+1i]"},
        {"empty", Mat({}), "[]", "[]", "0", "1", "[]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        const CValueMatrix& m = c.m.Matrix();
        CValue cs, cp, s, p, sc, pc;
        EXPECT_EQ(CValueMatrix::CumSum(m, cs.MakeMatrix(0, 0)), 0);
        EXPECT_EQ(CValueMatrix::CumProd(m, cp.MakeMatrix(0, 0)), 0);
        EXPECT_EQ(m.SumVector(s), 0);
        EXPECT_EQ(m.ProdVector(p), 0);
        EXPECT_EQ(m.SumColumns(sc.MakeMatrix(0, 0)), 0);
        EXPECT_EQ(m.ProdColumns(pc.MakeMatrix(0, 0)), 0);
        EXPECT_EQ(Text(cs), c.cumsum);
        EXPECT_EQ(Text(cp), c.cumprod);
        EXPECT_EQ(Text(s), c.sum);
        EXPECT_EQ(Text(p), c.prod);
        EXPECT_EQ(Text(sc), c.sumColumns);
        EXPECT_TRUE(cap.messages.empty()) << cap.Text();
    }
}

TEST(Reductions, ColumnProductsAndAFailingStep)
{
    CValue m = Mat({{1, 2}, {3, 4}, {5, 6}});
    CValue out;
    EXPECT_EQ(m.Matrix().ProdColumns(out.MakeMatrix(0, 0)), 0);
    EXPECT_EQ(Text(out), "[15,48]");

    CCaptureStream cap;
    CValue bad = Mat({{1, 2, 3}});
    CValue s;
    s.MakeStruct();
    bad.Matrix().Cell(0, 1) = s;
    EXPECT_EQ(CValueMatrix::CumSum(bad.Matrix(), out.Matrix()), 10);
    EXPECT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(Text(out.Matrix().Cell(0, 0)), "1");
    EXPECT_TRUE(out.Matrix().Cell(0, 2).IsEmpty());
}

struct SortCase {
    const char* name;
    CValue m;
    std::string ascending, descending, reversed;
};

TEST(Sorting, Table)
{
    const double nan = std::nan("");
    SortCase cases[] = {
        {"NaN placement", Mat({{3, nan, 1}}), "[1,3,NAN]", "[NAN,3,1]", "[1,NAN,3]"},
        {"two NaNs", Mat({{nan, 2, nan, 1}}), "[1,2,NAN,NAN]", "[NAN,NAN,2,1]", "[1,NAN,2,NAN]"},
        {"columns on their own", Mat({{4, 1}, {2, 3}}), "[2,1;4,3]", "[4,3;2,1]", "[2,3;4,1]"},
        {"column", Mat({{1}, {2}, {3}}), "[1;2;3]", "[3;2;1]", "[3;2;1]"},
        {"one cell", Mat({{7}}), "[7]", "[7]", "[7]"},
        {"duplicates", Mat({{2, 1, 2, 1}}), "[1,1,2,2]", "[2,2,1,1]", "[1,2,1,2]"},
        {"empty", Mat({}), "[]", "[]", "[]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CValue a = c.m, d = c.m, r = c.m;
        a.Matrix().SortAscending();
        d.Matrix().SortDescending();
        r.Matrix().Reverse();
        EXPECT_EQ(Text(a), c.ascending);
        EXPECT_EQ(Text(d), c.descending);
        EXPECT_EQ(Text(r), c.reversed);
    }
}

TEST(Sorting, ExchangesRecordsAndKeepsTheLoopOrderForEqualKeys)
{
    // Real 1 and Complex 1+0i are equal keys: neither loop exchanges them.
    CValue m = Mat({{1, 0}});
    m.Matrix().Cell(0, 1) = Cx(1, 0);
    CValue a = m, d = m;
    a.Matrix().SortAscending();
    d.Matrix().SortDescending();
    EXPECT_EQ(Text(a), "[1,1+0i]");
    EXPECT_EQ(Text(d), "[1,1+0i]");

    // Moving the 1 to the front carries the first 2 behind the second one.
    CValue three = Mat({{2, 0, 1}});
    three.Matrix().Cell(0, 1) = Cx(2, 0);
    const uintptr_t payload = three.Matrix().Cell(0, 1).GetPayload();
    three.Matrix().SortAscending();
    EXPECT_EQ(Text(three), "[1,2+0i,2]");
    EXPECT_EQ(three.Matrix().Cell(0, 1).GetPayload(), payload);  // swapped, not copied
}

}  // namespace
