#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/capture.h"
#include "values/operators.h"
#include "values/unary_operators.h"
#include "value_builders.h"

using namespace vb;

namespace {

using Unary = int (*)(CValue&);

struct UnaryCase {
    const char* name;
    CValue v;
    Unary op;
    int status;
    std::string result;   // Text() afterwards
    std::string message;  // the only message expected, or ""
};

TEST(UnaryOperators, InPlaceTable)
{
    const double nan = std::nan("");
    UnaryCase cases[] = {
        {"negate real", Real(2.5), NegateCell, 0, "-2.5", ""},
        {"negate complex", Cx(1, -2), NegateCell, 0, "-1+2i", ""},
        {"negate matrix cell by cell", Mat({{1, -2}, {0, 4}}), NegateCell, 0, "[-1,2;0,-4]", ""},
        {"negate string", Str("ab"), NegateCell, 10, "?",
         "Error: Invalid operand of the unary minus operator (String)"},
        {"not of zero", Real(0), NotCell, 0, "1", ""},
        {"not of non-zero", Real(2.5), NotCell, 0, "0", ""},
        {"not of NaN is false", Real(nan), NotCell, 0, "0", ""},
        {"not of 0+1i", Cx(0, 1), NotCell, 0, "0", ""},
        {"not of 1+0i", Cx(1, 0), NotCell, 0, "0", ""},
        {"not of 0+0i", Cx(0, 0), NotCell, 0, "1", ""},
        {"not of matrix", Mat({{0, 3}}), NotCell, 0, "[1,0]", ""},
        {"not of empty", CValue(), NotCell, 10, "empty", "Error: Invalid operand of the unary NOT operator (Unknown)"},
        {"increment complex", Cx(1, 2), IncrementCell, 0, "2+2i", ""},
        {"increment matrix", Mat({{1, 2}}), IncrementCell, 0, "[2,3]", ""},
        {"increment string", Str("ab"), IncrementCell, 10, "?",
         "Error: Invalid operand of the increment operator (String)"},
        {"decrement real", Real(1), DecrementCell, 0, "0", ""},
        {"decrement complex", Cx(1, 2), DecrementCell, 0, "0+2i", ""},
        {"decrement char", Chr('a'), DecrementCell, 10, "'a'",
         "Error: Invalid operand of the decrement operator (Char)"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        EXPECT_EQ(c.op(c.v), c.status);
        EXPECT_EQ(Text(c.v), c.result);
        if (c.message.empty())
            EXPECT_TRUE(cap.messages.empty()) << cap.Text();
        else
            EXPECT_EQ(cap.Text(), c.message);
    }
}

TEST(UnaryOperators, NotComplementsCharacterBytes)
{
    CValue ch = Chr('A');
    EXPECT_EQ(ch.Not(), 0);
    EXPECT_EQ(ch.Type(), VT_CHAR);
    EXPECT_EQ(ch.CharCode(), (unsigned char)~'A');
    // A complemented char still equals the char of the same code.
    EXPECT_TRUE(ValueEquals(ch, Chr((unsigned char)~'A')));

    CValue byte = Chr(0x0F, true);
    EXPECT_EQ(byte.Not(), 0);
    EXPECT_EQ(byte.Tag(), VT_BYTE);
    EXPECT_EQ(byte.CharCode(), 0xF0);

    CValue s = Str("ab");
    EXPECT_EQ(s.Not(), 0);
    EXPECT_EQ(Codes(s), std::to_string((unsigned char)~'a') + "," + std::to_string((unsigned char)~'b'));
    EXPECT_EQ(s.Not(), 0);
    EXPECT_EQ(Codes(s), "97,98");

    CValue bin = Bin({0x00, 0xFF});
    EXPECT_EQ(bin.Not(), 0);
    EXPECT_EQ(bin.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(Codes(bin), "255,0");
}

TEST(UnaryOperators, NotOfPointerAndIdentifierTestsTheWord)
{
    int x = 0;
    CValue p, nullp, id, id0;
    p.SetPointer(&x);
    nullp.SetPointer(nullptr);
    id.SetIdentifier(7);
    id0.SetIdentifier(0u);
    for (CValue* v : {&p, &id}) {
        EXPECT_EQ(v->Not(), 0);
        EXPECT_EQ(Text(*v), "0");
    }
    for (CValue* v : {&nullp, &id0}) {
        EXPECT_EQ(v->Not(), 0);
        EXPECT_EQ(Text(*v), "1");
    }
}

TEST(UnaryOperators, MatrixCellErrorsAreReportedButTheOperatorSucceeds)
{
    CCaptureStream cap;
    CValue m = Mat({{1, 2}});
    m.Matrix().Cell(0, 1) = Str("ab");
    EXPECT_EQ(m.Negate(), 0);
    EXPECT_EQ(m.Matrix().Cell(0, 0).Real(), -1.0);
    EXPECT_EQ(cap.Text(), "Error: Invalid operand of the unary minus operator (String)");
}

TEST(UnaryOperators, NestedMatricesAreWalked)
{
    CValue m = Mat({{1, 2}});
    m.Matrix().Cell(0, 1) = Mat({{3, 4}});
    EXPECT_EQ(m.Increment(), 0);
    EXPECT_EQ(Text(m), "[2,[4,5]]");
}

struct TruthCase {
    const char* name;
    CValue v;
    double truth;
};

TEST(ToBoolean, Table)
{
    int x = 0;
    CValue ptr, handle, nullHandle, id;
    ptr.SetPointer(&x);
    handle.SetHandle(&ptr);
    nullHandle.SetConstHandle(nullptr);
    id.SetIdentifier(3);
    CValue nested = Mat({{1, 1}});
    nested.Matrix().Cell(0, 1) = Mat({{1, 0}});
    TruthCase cases[] = {
        {"real", Real(-2), -2},
        {"zero", Real(0), 0},
        {"complex is its modulus", Cx(3, 4), 5},
        {"matrix all true", Mat({{1, 2}, {3, 4}}), 1},
        {"matrix with a zero", Mat({{1, 2}, {3, 0}}), 0},
        {"empty matrix", Mat({}), 0},
        {"nested false cell", nested, 0},
        {"string0 with text", Str0("a"), 1},
        {"empty string0", Str0(""), 0},
        {"string", Str("ab"), 1},
        {"string of no cells", Str(""), 0},
        {"binary string all zero", Bin({0, 0}), 0},
        {"binary string with a byte", Bin({0, 2}), 1},
        {"char", Chr('a'), 1},
        {"nul char", Chr(0), 0},
        {"byte", Chr(0, true), 0},
        {"pointer", ptr, 1},
        {"identifier", id, 1},
        {"handle", handle, 1},
        {"null const handle", nullHandle, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        double out = -99;
        EXPECT_EQ(c.v.ToBoolean(out), 0);
        EXPECT_EQ(out, c.truth);
        EXPECT_EQ(c.v.ToBoolean(), c.truth);
        EXPECT_TRUE(cap.messages.empty()) << cap.Text();
    }
}

TEST(ToBoolean, UnsupportedTypesReportAndCountAsFalse)
{
    CValue s;
    s.MakeStruct();
    CValue m = Mat({{1, 1}});
    m.Matrix().Cell(0, 1) = s;
    for (CValue* v : {&s, &m}) {
        CCaptureStream cap;
        double out = 0;
        EXPECT_EQ(v->ToBoolean(out), 10);
        EXPECT_EQ(v->ToBoolean(), 0.0);
        EXPECT_EQ(cap.Text(), "Error: Boolean type conversion\nError: Boolean type conversion");
    }
}

TEST(ValueNegated, CopiesAndReports)
{
    CValue m = Mat({{1, -2}});
    EXPECT_EQ(Text(ValueNegated(m)), "[-1,2]");
    EXPECT_EQ(Text(m), "[1,-2]");
    CCaptureStream cap;
    EXPECT_TRUE(ValueNegated(Str("ab")).IsEmpty());
    EXPECT_EQ(cap.Text(), "Error: Invalid operand type (String) of an unary minus operator");
}

}  // namespace
