#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support/capture.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "value_builders.h"

using namespace vb;

namespace {

using InPlace = int (*)(CValue&, const CValue&);

struct InPlaceCase {
    const char* name;
    CValue a, b;
    InPlace op;
    int status;
    std::string result;   // Text() of a afterwards
    std::string message;  // the only message expected, or ""
};

TEST(ArithmeticOperators, InPlaceTable)
{
    const double nan = std::nan("");
    (void)nan;
    InPlaceCase cases[] = {
        {"row times column keeps a Complex cell", Mat({{1, 2}}), Mat({{3}, {4}}), ValueMul, 0, "[11+0i]", ""},
        {"same shapes multiply cell by cell", Mat({{1, 2}}), Mat({{3, 4}}), ValueMul, 0, "[3+0i,8+0i]", ""},
        {"scalar over square matrix inverts", Real(1), Mat({{2, 0}, {0, 4}}), ValueDiv, 0,
         "[0.5+0i,0+0i;0+0i,0.25+0i]", ""},
        {"scalar over a row divides each cell", Real(2), Mat({{1, 2}}), ValueDiv, 0, "[2+0i,1+0i]", ""},
        {"matrix over square matrix", Mat({{1, 2}, {3, 4}}), Mat({{2, 0}, {0, 4}}), ValueDiv, 0,
         "[0.5+0i,0.5+0i;1.5+0i,1+0i]", ""},
        {"row over row of the same shape", Mat({{2, 9}}), Mat({{4, 3}}), ValueDiv, 0, "[0.5+0i,3+0i]", ""},
        {"char plus one", Chr('a'), Real(1), ValueAdd, 0, "'b'", ""},
        {"one plus char", Real(1), Chr('a'), ValueAdd, 0, "'b'", ""},
        {"char codes wrap", Chr(250), Real(10), ValueAdd, 0, "'\x04'", ""},
        {"real minus char", Real(100), Chr('a'), ValueSub, 0, "'\x03'", ""},
        {"double truncated before the code", Real(-1.9), Chr('b'), ValueAdd, 0, "'a'", ""},
        {"real minus complex", Real(2), Cx(1, 3), ValueSub, 0, "1-3i", ""},
        {"real over complex", Real(1), Cx(0, 1), ValueDiv, 0, "0-1i", ""},
        {"complex times complex", Cx(1, 2), Cx(3, 4), ValueMul, 0, "-5+10i", ""},
        {"real over zero", Real(1), Real(0), ValueDiv, 0, "inf", ""},
        {"matrix plus scalar", Mat({{1, 2}}), Cx(0, 1), ValueAdd, 0, "[1+1i,2+1i]", ""},
        {"scalar minus matrix", Real(10), Mat({{1, 2}, {3, 4}}), ValueSub, 0, "[9,8;7,6]", ""},
        {"element product with scalar", Real(2), Mat({{1, 2}}), ValueElemMul, 0, "[2,4]", ""},
        {"element quotient", Mat({{1, 6}}), Mat({{2, 3}}), ValueElemDiv, 0, "[0.5,2]", ""},
        {"real plus string", Real(1), Str("ab"), ValueAdd, 10, "1",
         "Error: Calculating an addition, Real and String type"},
        {"binary string times two", Bin({1, 2}), Real(2), ValueMul, 10, "?",
         "Error: Calculating a multiplication, String and Real type"},
        {"byte named as char", Real(2), Chr(3, true), ValueMul, 10, "2",
         "Error: Calculating a multiplication, Real and Char type"},
        {"complex plus char", Cx(1, 1), Chr('a'), ValueAdd, 10, "1+1i",
         "Error: Calculating an addition, Complex and Char type"},
        {"string0 minus string0", Str0("ab"), Str0("a"), ValueSub, 10, "?",
         "Error: Calculating a subtraction, String0 and String0 type"},
        {"string over real", Str("ab"), Real(2), ValueDiv, 10, "?",
         "Error: Calculating a division, String and Real type"},
        {"char element product", Chr('a'), Real(2), ValueElemMul, 10, "'a'",
         "Error: Calculating a multiplication, Char and Real type"},
        {"sum of different shapes", Mat({{1, 2}, {3, 4}}), Mat({{1, 2}}), ValueAdd, 10, "[1,2;3,4]",
         "Error: Addition, matrices must be a same sizes"},
        {"difference of different shapes", Mat({{1, 2}, {3, 4}}), Mat({{1, 2}}), ValueSub, 10, "[1,2;3,4]",
         "Error: Subtraction, matrices must be a same sizes"},
        {"product of disagreeing shapes leaves the left alone", Mat({{1, 2}}), Mat({{1, 2}, {3, 4}, {5, 6}}),
         ValueMul, 10, "[1,2]", "Error: Multiplication, matrix dimensions must be an agree"},
        {"division by a non-square matrix leaves the left alone", Mat({{1, 2}, {3, 4}}), Mat({{1, 2, 3}}),
         ValueDiv, 10, "[1,2;3,4]", "Error: Inversion of not-square matrix"},
        {"scalar over non-square inversion keeps the scalar", Real(5), Mat({{1, 2, 3}, {4, 5, 6}}), ValueDiv, 0,
         "[5+0i,2.5+0i,1.66667+0i;1.25+0i,1+0i,0.833333+0i]", ""},
        {"element product of different shapes", Mat({{1, 2}}), Mat({{1, 2, 3}}), ValueElemMul, 10, "[1,2]",
         "Error: Multiplication, matrix dimensions must be an agree"},
        {"element quotient of different shapes", Mat({{1, 2}}), Mat({{1}}), ValueElemDiv, 10, "[1,2]",
         "Error: Division, matrix dimensions must be an agree"},
    };
    for (InPlaceCase& c : cases) {
        CCaptureStream cap;
        int st = c.op(c.a, c.b);
        EXPECT_EQ(st, c.status) << c.name;
        EXPECT_EQ(Text(c.a), c.result) << c.name;
        EXPECT_EQ(cap.Text(), c.message) << c.name;
    }
}

TEST(ArithmeticOperators, SingularDivisorWarnsAndGoesOn)
{
    CCaptureStream cap;
    CValue a = Real(1);
    EXPECT_EQ(ValueDiv(a, Mat({{1, 2}, {2, 4}})), 0);
    EXPECT_EQ(a.Type(), (uint32_t)VT_MATRIX);
    EXPECT_EQ(cap.Text(), "Warning: Inverse: Matrix is close to singular or badly scaled");
}

TEST(ArithmeticOperators, StringsAndCharsUnderPlus)
{
    CValue a = Str("ab");
    EXPECT_EQ(ValueAdd(a, Str("cd")), 0);
    EXPECT_EQ(Codes(a), "97,98,99,100");
    EXPECT_FALSE(a.IsBinary());

    CValue b = Chr('a');
    ValueAdd(b, Chr('b'));
    EXPECT_EQ(b.Type(), (uint32_t)VT_STRING);
    EXPECT_EQ(Codes(b), "97,98");

    CValue c = Str("ab");
    ValueAdd(c, Chr('z'));
    EXPECT_EQ(Codes(c), "97,98,122");

    CValue d = Chr('z');
    ValueAdd(d, Str("ab"));
    EXPECT_EQ(Codes(d), "122,97,98");

    CValue e = Str0("ab");
    ValueAdd(e, Str0("cd"));
    EXPECT_STREQ(e.String0(), "abcd");
}

TEST(ArithmeticOperators, BinaryOperandsAddCodes)
{
    // Over the shorter length, keeping the left length; codes wrap.
    CValue a = Bin({0xF0, 0x01, 0x05});
    EXPECT_EQ(ValueAdd(a, Bin({0x20, 0x02})), 0);
    EXPECT_EQ(Codes(a), "16,3,5");
    EXPECT_TRUE(a.IsBinary());

    CValue b = Bin({0x10, 0x20});
    ValueAdd(b, Chr(1));
    EXPECT_EQ(Codes(b), "17,32");

    CValue c = Chr(1, true);
    ValueAdd(c, Chr(0xFF, true));
    EXPECT_EQ(c.Tag(), VT_BYTE);
    EXPECT_EQ(c.CharCode(), 0);

    CValue d = Chr('a');
    ValueAdd(d, Bin({2, 9}));
    EXPECT_EQ(CellText(d), "'c'");
}

TEST(ArithmeticOperators, StringSubtractionKeepsLength)
{
    CValue a = Str("abc");
    EXPECT_EQ(ValueSub(a, Str("ab")), 0);
    EXPECT_EQ(Codes(a), "0,0,99");

    CValue b = Chr('c');
    ValueSub(b, Chr('a'));
    EXPECT_EQ(b.CharCode(), 2);
}

TEST(ArithmeticOperators, CellErrorsInMatrixWalks)
{
    // + reports the bad cell, keeps it and goes on with status 0.
    CValue m = Mat({{1, 2, 3}});
    m.Matrix().Cell(0, 1) = Str("ab");
    {
        CCaptureStream cap;
        EXPECT_EQ(ValueAdd(m, Real(1)), 0);
        EXPECT_EQ(cap.Text(), "Error: Calculating an addition, String and Real type");
    }
    EXPECT_EQ(Text(m), "[2,?,4]");

    // .* stops at the bad cell with its status: cells after it are untouched.
    CValue e = Mat({{1, 2, 3}});
    e.Matrix().Cell(0, 1) = Str("ab");
    CCaptureStream cap;
    EXPECT_EQ(ValueElemMul(e, Real(10)), 10);
    EXPECT_EQ(Text(e), "[10,?,3]");
}

TEST(ArithmeticOperators, ValueCellPathForNonNumbers)
{
    // A matrix cell inside a matrix keeps the value path: Real cells come back.
    CValue a = Mat({{1, 2}});
    a.Matrix().Cell(0, 0) = Mat({{1, 1}});
    EXPECT_EQ(ValueMul(a, Mat({{3}, {4}})), 0);
    EXPECT_EQ(Text(a), "[[11,11]]");
}

TEST(ArithmeticOperators, DoubleForms)
{
    CValue a = Cx(1, 2);
    ValueMulReal(a, 2);
    EXPECT_EQ(Text(a), "2+4i");
    ValueAddReal(a, 1);
    EXPECT_EQ(Text(a), "3+4i");
    CValue m = Mat({{2, 4}});
    ValueDivReal(m, 2);
    EXPECT_EQ(Text(m), "[1,2]");

    CCaptureStream cap;
    CValue s = Str("ab");
    ValueDivReal(s, 2);
    EXPECT_EQ(cap.Text(), "Error: Calculating a division, String and Real type");
    EXPECT_EQ(Codes(s), "97,98");
}

struct ThreeCase {
    const char* name;
    std::function<CValue()> run;
    std::string result;
    std::string message;
};

TEST(ArithmeticOperators, ThreeOperandTable)
{
    ThreeCase cases[] = {
        {"product of value cells stays Real", [] { return ValueProduct(Mat({{1, 2}, {3, 4}}), Mat({{5}, {6}})); },
         "[17;39]", ""},
        {"quotient is inverse of the right times the left",
         [] { return ValueQuotient(Mat({{1, 2}, {3, 4}}), Mat({{2, 0}, {0, 4}})); }, "[0.5,1;0.75,1]", ""},
        {"quotient by a singular matrix", [] { return ValueQuotient(Mat({{1, 2}, {3, 4}}), Mat({{0, 0}, {0, 1}})); },
         "[]", "Error: Division, matrix is close to singular"},
        {"quotient with disagreeing shapes", [] { return ValueQuotient(Mat({{1, 2}}), Mat({{1, 2}, {3, 4}})); }, "[]",
         "Error: Division, matrix dimensions must be an agree"},
        {"sum of different shapes", [] { return ValueSum(Mat({{1, 2}, {3, 4}}), Mat({{1, 2}})); }, "[]",
         "Error: Addition, matrices must be a same sizes"},
        {"same-shape product", [] { return ValueProduct(Mat({{1, 2}}), Mat({{3, 4}})); }, "[3,8]", ""},
        {"scalar over square matrix", [] { return RealOverValue(2, Mat({{2, 0}, {0, 4}})); }, "[1,0;0,0.5]", ""},
        {"scalar over row", [] { return RealOverValue(2, Mat({{1, 4}})); }, "[2,0.5]", ""},
        {"real plus char has no three-operand form", [] { return ValueSum(Real(1), Chr('a')); }, "empty",
         "Error: Calculating an addition, Real and Char type"},
        {"char minus char wraps", [] { return ValueDifference(Chr('a'), Chr('c')); }, "'\xfe'", ""},
        {"negated matrix", [] { return ValueNegated(Mat({{1, -2}})); }, "[-1,2]", ""},
        {"negated complex", [] { return ValueNegated(Cx(1, -2)); }, "-1+2i", ""},
        {"negated string", [] { return ValueNegated(Str("ab")); }, "empty",
         "Error: Invalid operand type (String) of an unary minus operator"},
        {"times real names the double", [] { return ValueTimesReal(Str("ab"), 2); }, "empty",
         "Error: Calculating a multiplication, String and Real type"},
        {"real over value names the double first", [] { return RealOverValue(2, Chr('a')); }, "empty",
         "Error: Calculating a division, Real and Char type"},
    };
    for (ThreeCase& c : cases) {
        CCaptureStream cap;
        CValue r = c.run();
        EXPECT_EQ(Text(r), c.result) << c.name;
        EXPECT_EQ(cap.Text(), c.message) << c.name;
    }
}

TEST(ArithmeticOperators, ThreeOperandStringsAndOperandsUntouched)
{
    CValue a = Str("ab"), b = Bin({1});
    CValue r = ValueSum(a, Chr('c'));
    EXPECT_EQ(Codes(r), "97,98,99");
    EXPECT_FALSE(r.IsBinary());
    CValue s = ValueSum(Chr('x'), Bin({1, 2}));
    EXPECT_TRUE(s.IsBinary());
    EXPECT_EQ(Codes(s), "120,1,2");
    EXPECT_EQ(Codes(a), "97,98");

    CValue m = Mat({{1, 2}});
    CValue p = ValueSum(m, Real(1));
    EXPECT_EQ(Text(p), "[2,3]");
    EXPECT_EQ(Text(m), "[1,2]");
}

TEST(ArithmeticOperators, ElementLoops)
{
    CValueMatrix a = Mat({{1, 2, 3}, {4, 5, 6}}).Matrix();
    CValueMatrix b = Mat({{1, 2}, {3, 4}, {5, 6}}).Matrix();
    CCaptureStream cap;
    EXPECT_EQ(MatrixAddMatrix(a, b), 10);
    EXPECT_EQ(cap.Text(), "Error: Addition, matrices must be a same sizes");
    EXPECT_EQ(a.Rows(), 2);
    EXPECT_EQ(a.Cell(1, 2).Real(), 6);

    CValueMatrix d;
    EXPECT_EQ(ScalarSubMatrix(d, Real(1), Mat({{1, 2}, {3, 4}}).Matrix()), 0);
    CValue v;
    v.MakeMatrix(0, 0).Swap(d);
    EXPECT_EQ(Text(v), "[0,-1;-2,-3]");
}

}  // namespace

namespace {

TEST(ArithmeticOperators, EmptyMatricesEverywhere)
{
    using Op = int (*)(CValue&, const CValue&);
    Op ops[] = {ValueAdd, ValueSub, ValueMul, ValueDiv, ValueElemMul, ValueElemDiv,
                ValueCompareEqual, ValueCompareLess, ValueAnd};
    CValue empties[] = {Mat({}), Real(2), Mat({{1, 2}})};
    CCaptureStream cap;
    for (Op op : ops)
        for (const CValue& left : empties)
            for (const CValue& right : empties) {
                if (left.Type() != VT_MATRIX && right.Type() != VT_MATRIX) continue;
                CValue a(left);
                op(a, right);  // results vary; none may crash or leak
            }
    CValue a = Mat({});
    EXPECT_EQ(ValueMul(a, Mat({})), 0);
    EXPECT_EQ(Text(a), "[]");
    CValue s = Real(1);
    EXPECT_EQ(ValueDiv(s, Mat({})), 0);
    EXPECT_EQ(Text(s), "[]");
    EXPECT_EQ(Text(ValueQuotient(Mat({}), Mat({}))), "[]");
    EXPECT_EQ(Text(ValueProduct(Mat({}), Mat({}))), "[]");
}

}  // namespace
