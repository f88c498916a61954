#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/capture.h"
#include "values/char_cells.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/struct_value.h"
#include "value_builders.h"

using namespace vb;

namespace {

using InPlace = int (*)(CValue&, const CValue&);

struct Case {
    const char* name;
    CValue a, b;
    InPlace op;
    int status;
    std::string result;
    std::string message;
};

const double kNaN = std::nan("");

TEST(RelationalOperators, InPlaceTable)
{
    Case cases[] = {
        {"NaN equals NaN", Real(kNaN), Real(kNaN), ValueCompareEqual, 0, "1", ""},
        {"NaN not equal 1", Real(kNaN), Real(1), ValueCompareNotEqual, 0, "0", ""},
        {"NaN less than 1", Real(kNaN), Real(1), ValueCompareLess, 0, "1", ""},
        {"NaN greater than 1", Real(kNaN), Real(1), ValueCompareGreater, 0, "0", ""},
        {"NaN at least 1", Real(kNaN), Real(1), ValueCompareGreaterEqual, 0, "0", ""},
        {"NaN at most 1", Real(kNaN), Real(1), ValueCompareLessEqual, 0, "1", ""},
        {"one against NaN", Real(1), Real(kNaN), ValueCompareLess, 0, "1", ""},
        {"real equals complex with zero imaginary", Real(1), Cx(1, 0), ValueCompareEqual, 0, "1", ""},
        {"a tiny imaginary part differs", Real(1), Cx(1, 1e-300), ValueCompareEqual, 0, "0", ""},
        {"orders by real parts", Real(2), Cx(1, 5), ValueCompareGreater, 0, "1", ""},
        {"imaginary parts ignored", Cx(1, 5), Cx(1, 0), ValueCompareGreater, 0, "0", ""},
        {"scalar equals matrix", Real(2), Mat({{1, 2, 3}}), ValueCompareEqual, 0, "[0,1,0]", ""},
        {"scalar greater than matrix", Real(2), Mat({{1, 2, 3}}), ValueCompareGreater, 0, "[1,0,0]", ""},
        {"scalar at most matrix", Real(2), Mat({{1, 2, 3}}), ValueCompareLessEqual, 0, "[0,1,1]", ""},
        {"matrix cells compared", Mat({{1, 2}}), Mat({{1, 3}}), ValueCompareEqual, 0, "[1,0]", ""},
        {"matrix not equal scalar", Mat({{1, 2}}), Real(2), ValueCompareNotEqual, 0, "[1,0]", ""},
        {"one-cell string equals char", Str("x"), Chr('x'), ValueCompareEqual, 0, "1", ""},
        {"char equals one-cell string", Chr('x'), Str("x"), ValueCompareEqual, 0, "1", ""},
        {"longer string does not", Str("xy"), Chr('x'), ValueCompareEqual, 0, "0", ""},
        {"byte and char compare by code", Chr('x', true), Chr('x'), ValueCompareEqual, 0, "1", ""},
        {"chars order by signed codes", Chr(200), Chr(100), ValueCompareLess, 0, "1", ""},
        {"prefix is less", Str("ab"), Str("abc"), ValueCompareLess, 0, "1", ""},
        {"first differing cell decides", Str("abd"), Str("abc"), ValueCompareGreater, 0, "1", ""},
        {"string0 order is unsigned", Str0("\xc8"), Str0("d"), ValueCompareGreater, 0, "1", ""},
        {"real equals string is simply false", Real(1), Str("ab"), ValueCompareEqual, 0, "0", ""},
        {"equal strings", Str("ab"), Str("ab"), ValueCompareNotEqual, 0, "0", ""},
        {"string against char has no order", Str("xy"), Chr('x'), ValueCompareGreater, 10, "?",
         "Error: Calculating an operator >, String and Char type"},
        {"empty value has no order", Real(1), CValue(), ValueCompareLess, 10, "1",
         "Error: Calculating an operator <, Real and Unknown type"},
        {"matrix and string", Mat({{1}}), Str("ab"), ValueCompareGreaterEqual, 10, "[1]",
         "Error: Calculating an operator >=, Matrix and String type"},
        {"zero and NaN", Real(0), Real(kNaN), ValueAnd, 0, "0", ""},
        {"NaN or one", Real(kNaN), Real(1), ValueOr, 0, "1", ""},
        {"NaN alone is false", Real(kNaN), Real(0), ValueOr, 0, "0", ""},
        {"exclusive or", Real(3), Real(0), ValueXor, 0, "1", ""},
        {"exclusive or of two trues", Real(3), Real(4), ValueXor, 0, "0", ""},
        {"complex uses its real part", Cx(0, 1), Real(1), ValueAnd, 0, "0", ""},
        {"scalar and matrix", Real(1), Mat({{0, 2}}), ValueAnd, 0, "[0,1]", ""},
        {"char bitwise", Chr(0x0F), Chr(0x3C), ValueAnd, 0, "'\x0c'", ""},
        {"real and string", Real(1), Str("ab"), ValueAnd, 10, "1",
         "Error: Calculating an operator AND Real and String type"},
        {"string0 has no logic", Str0("a"), Str0("b"), ValueOr, 10, "?",
         "Error: Calculating an operator OR String0 and String0 type"},
        {"equality shapes", Mat({{1, 2}}), Mat({{1, 2, 3}}), ValueCompareEqual, 10, "[1,2]",
         "Error: Relational operator '==', matrices must be a same sizes"},
        {"ordering shapes", Mat({{1, 2}}), Mat({{1}}), ValueCompareLessEqual, 10, "[1,2]",
         "Error: Relational operator '<=', matrices must be a same sizes"},
        {"and shapes", Mat({{1, 2}}), Mat({{1, 2, 3}}), ValueAnd, 10, "[1,2]",
         "Error: Logic \"AND\", matrices must be a same sizes"},
        {"xor shapes", Mat({{1, 2}}), Mat({{1, 2, 3}}), ValueXor, 10, "[1,2]",
         "Error: Logic \"XOR\", matrices must be a same sizes"},
    };
    for (Case& c : cases) {
        CCaptureStream cap;
        EXPECT_EQ(c.op(c.a, c.b), c.status) << c.name;
        EXPECT_EQ(Text(c.a), c.result) << c.name;
        EXPECT_EQ(cap.Text(), c.message) << c.name;
    }
}

TEST(RelationalOperators, StringLogicKeepsTheLeftString)
{
    CValue a = Str("ab");
    EXPECT_EQ(ValueAnd(a, Str("c")), 0);
    EXPECT_EQ(Codes(a), std::to_string('a' & 'c') + ",98");

    CValue b = Bin({0xF0, 0x0F});
    ValueXor(b, Chr(0xFF));
    EXPECT_TRUE(b.IsBinary());
    EXPECT_EQ(Codes(b), "15,15");
}

TEST(RelationalOperators, TruthValues)
{
    EXPECT_TRUE(ValueEquals(CValue(), CValue()));
    EXPECT_FALSE(ValueEquals(Mat({{1, 2}}), Real(1)));  // not 1 x 1
    EXPECT_TRUE(ValueEquals(Mat({{5}}), Real(5)));
    EXPECT_TRUE(ValueEquals(Real(5), Mat({{5}})));
    EXPECT_TRUE(ValueEquals(Mat({}), Mat({})));
    EXPECT_TRUE(ValueNotEquals(Mat({{1, 2}}), Mat({{1, 2, 3}})));
    EXPECT_FALSE(ValueGreater(Mat({{1, 2}}), Mat({{3}})));  // sums 3 and 3
    EXPECT_TRUE(ValueGreaterEqual(Mat({{1, 2}}), Mat({{3}})));
    EXPECT_TRUE(ValueLess(Real(2), Mat({{1, 2}})));
    EXPECT_TRUE(ValueEquals(Real(kNaN), Real(kNaN)));
    EXPECT_TRUE(ValueLessReal(Real(kNaN), 1));
    EXPECT_FALSE(ValueGreaterEqualReal(Real(kNaN), 1));
    EXPECT_TRUE(ValueEqualsReal(Cx(2, 0), 2));
    EXPECT_FALSE(ValueEqualsReal(Cx(2, 1), 2));
    EXPECT_TRUE(ValueGreaterReal(Cx(3, -9), 2));
    EXPECT_TRUE(ValueEqualsReal(Mat({{4}}), 4));
    EXPECT_FALSE(ValueEqualsReal(Str("ab"), 4));
    EXPECT_TRUE(ValueNotEqualsReal(Str("ab"), 4));

    CCaptureStream cap;
    EXPECT_FALSE(ValueGreater(Str("xy"), Chr('x')));
    EXPECT_FALSE(ValueLessReal(Str("ab"), 1));
    EXPECT_EQ(cap.Text(),
              "Error: Calculating an operator >, String and Char type\n"
              "Error: Calculating an operator <, String and Real type");
}

TEST(RelationalOperators, CellArrays)
{
    CValue ab = Str("ab"), abc = Str("abc"), b = Str("b"), empty = Str("");
    EXPECT_FALSE(ValueArraysEqual(ab.Cells(), abc.Cells()));
    EXPECT_TRUE(ValueArraysEqual(empty.Cells(), Str("").Cells()));
    EXPECT_TRUE(ValueArraysEqual(ab.Cells(), Str("ab").Cells()));
    EXPECT_EQ(CompareValueArrays(ab.Cells(), abc.Cells()), -1);
    EXPECT_EQ(CompareValueArrays(b.Cells(), abc.Cells()), 1);
    EXPECT_EQ(CompareValueArrays(abc.Cells(), Str("abc").Cells()), 0);
    // The difference of codes is read as a signed byte.
    CValue hi = Str(std::string("a\xc8")), lo = Str("a2");
    EXPECT_EQ(CompareValueArrays(hi.Cells(), lo.Cells()), -1);
}

TEST(RelationalOperators, StructureEquality)
{
    CValue s, t, u;
    s.MakeStruct().FieldValue("a") = Real(1);
    s.Struct().FieldValue("b") = Str("x");
    t.MakeStruct().FieldValue("a") = Real(1);
    t.Struct().FieldValue("b") = Chr('x');  // a one-cell string equals its char
    u.MakeStruct().FieldValue("b") = Str("x");
    u.Struct().FieldValue("a") = Real(1);

    EXPECT_TRUE(StructEqual(s.Struct(), t.Struct()));
    EXPECT_FALSE(StructEqual(s.Struct(), u.Struct()));  // order matters
    EXPECT_TRUE(StructNotEqual(s.Struct(), u.Struct()));
    EXPECT_FALSE(StructFieldsDiffer(*s.Struct().FieldAt(0), *t.Struct().FieldAt(0)));
    EXPECT_TRUE(StructFieldsDiffer(*s.Struct().FieldAt(0), *u.Struct().FieldAt(0)));

    CValue eq(s);
    EXPECT_EQ(ValueCompareEqual(eq, t), 0);
    EXPECT_EQ(Text(eq), "1");
    t.Struct().FieldValue("a") = Real(2);
    EXPECT_FALSE(ValueEquals(s, t));
}

TEST(RelationalOperators, OtherTypesCompareByIdentity)
{
    CValue p, q, r;
    int x = 0;
    p.SetPointer(&x);
    q.SetPointer(&x);
    r.SetIdentifier(7);
    EXPECT_TRUE(ValueEquals(p, q));
    EXPECT_FALSE(ValueEquals(p, r));
    CValue m = Mat({{1}});
    EXPECT_FALSE(ValueEquals(m, Str("ab")));
}

TEST(MatrixExtremes, FirstOfEqualsAndNestedCells)
{
    CValue m = Mat({{1, 3, 3}});
    EXPECT_EQ(MaxOfMatrix(m.Matrix()), &m.Matrix().Cell(0, 1));
    CValue n = Mat({{2, 1, 1}});
    EXPECT_EQ(MinOfMatrix(n.Matrix()), &n.Matrix().Cell(0, 1));

    CValue nested = Mat({{1, 0}});
    nested.Matrix().Cell(0, 1) = Mat({{5, 2}});
    const CValue* best = MaxOfMatrix(nested.Matrix());
    EXPECT_EQ(best, &nested.Matrix().Cell(0, 1).Matrix().Cell(0, 0));

    CValue first = Mat({{0, 4}});
    first.Matrix().Cell(0, 0) = Mat({{-3, 7}});
    EXPECT_EQ(MinOfMatrix(first.Matrix()), &first.Matrix().Cell(0, 0).Matrix().Cell(0, 0));
}

// NaN cells have no place in the order: the extreme is the same wherever they
// stand, and a NaN only when every cell is one.
TEST(MatrixExtremes, NaNCellsTakeNoPart)
{
    const double nan = std::nan("");
    struct Case {
        std::vector<double> cells;
        double max, min;
    } cases[] = {
        {{1, nan, 5}, 5, 1}, {{1, 5, nan}, 5, 1}, {{nan, 1, 5}, 5, 1}, {{nan, nan, -2}, -2, -2},
        {{nan}, nan, nan},   {{nan, nan}, nan, nan},
    };
    for (const Case& c : cases) {
        CValue m;
        CValueMatrix& cells = m.MakeMatrix(1, (int)c.cells.size());
        for (size_t i = 0; i < c.cells.size(); i++) cells.Cell(0, (int)i).SetReal(c.cells[i]);
        const double mx = MaxOfMatrix(m.Matrix())->Real(), mn = MinOfMatrix(m.Matrix())->Real();
        EXPECT_TRUE(mx == c.max || (std::isnan(mx) && std::isnan(c.max))) << mx;
        EXPECT_TRUE(mn == c.min || (std::isnan(mn) && std::isnan(c.min))) << mn;
    }
    // a complex cell with a NaN real part is a NaN cell too
    CValue z = Mat({{2, 0}});
    z.Matrix().Cell(0, 0).SetComplex(Complex(nan, 1));
    EXPECT_EQ(MaxOfMatrix(z.Matrix()), &z.Matrix().Cell(0, 1));
    EXPECT_TRUE(ExtremeReplaces(CValue(1.0), CValue(nan), true));
    EXPECT_FALSE(ExtremeReplaces(CValue(nan), CValue(1.0), false));
}

TEST(MatrixExtremes, EmptyMatrixReportsAndHandsOutAReadOnlyValue)
{
    static_assert(std::is_same_v<decltype(MaxOfMatrix(CValueMatrix())), const CValue*>);
    CCaptureStream cap;
    CValueMatrix empty;
    const CValue* mx = MaxOfMatrix(empty);
    const CValue* mn = MinOfMatrix(empty);
    ASSERT_NE(mx, nullptr);
    ASSERT_NE(mn, nullptr);
    EXPECT_TRUE(mx->IsEmpty());
    EXPECT_TRUE(mn->IsEmpty());
    EXPECT_EQ(cap.Text(),
              "Error: Finding a maximum of empty-matrix\n"
              "Error: Finding a minimum of NULL-matrix");
}

}  // namespace
