// The "Basic" library's operators, conditional, colours, sizes, predicates,
// messages and clocks, called through expressions and directly.
#include <cmath>
#include <ctime>

#include "builtin_eval.h"
#include "builtins/basic_functions.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/var_table.h"
#include "values/random15.h"

namespace {

using BasicTest = BuiltinTest;

TEST_F(BasicTest, OperatorFunctionsFoldTheirArguments)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"op_minus(8,2,2)", 4},  {"op_plus(5)", 5},        {"op_divide(8,2,2)", 2}, {"op_multi(2,3,4)", 24},
        {"op_plus(1,2,3,4)", 10}, {"op_uminus(3)", -3},    {"op_uplus(7)", 7},      {"op_power(2,10)", 1024},
        {"op_cmple(2,2)", 1},    {"op_cmphe(1,2)", 0},     {"op_cmpl(1,2)", 1},     {"op_cmph(1,2)", 0},
        {"op_cmpneq(1,2)", 1},   {"op_cmpeq(2,2)", 1},     {"op_logand(1,0)", 0},   {"op_logor(1,0)", 1},
        {"op_logxor(1,1)", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(EvalReal(c.text), c.expected) << c.text;
}

TEST_F(BasicTest, FoldStopsAtTheFirstFailureKeepingThePartialResult)
{
    CValue a(1.0), b(2.0), s(std::string("xy")), c(4.0), out;
    CValue* args[] = {&a, &b, &s, &c};
    EXPECT_EQ(BuiltinOpPlus(args, 4, &out), ERR_INTERNAL);
    ASSERT_EQ(out.Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(out.Real(), 3.0);
    EXPECT_EQ(cap.messages.size(), 1u);
}

TEST_F(BasicTest, RangeVectorCountsItsPoints)
{
    const struct {
        const char* text;
        int cells;
        double last;
    } cases[] = {{"fvec(0,1,0.3)", 4, 0.9}, {"fvec(1,2,0.1)", 11, 2.0}, {"fvec(3,1,1)", 0, 0}};
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX) << c.text;
        EXPECT_EQ(v.Matrix().Rows() * v.Matrix().Cols(), c.cells) << c.text;
        if (c.cells) {
            EXPECT_NEAR(v.Matrix().Cell(0, c.cells - 1).Real(), c.last, 1e-12) << c.text;
        }
    }
    CValue v;
    EXPECT_EQ(Eval("fvec(0,1i,1)", v), ERR_SCALAR_OPERANDS);
}

TEST_F(BasicTest, ConditionalColourAndSizes)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"qif(NAN,1,2)", 2},     {"qif(0,1,2)", 2},         {"qif(3,1,2)", 1},        {"qif(0+1i,1,2)", 1},
        {"RGB(300,0,0)", 44},    {"RGB(1,2,3)", 197121},    {"RGB(255.9,0,1+5i)", 65791},
        {"row(\"abc\")", 1},     {"col(\"abc\")", 1},       {"row([1,2;3,4;5,6])", 3}, {"col([1,2;3,4;5,6])", 2},
        {"size(\"abcd\")", 4},   {"size(2+3i)", 2},
    };
    for (const auto& c : cases) EXPECT_EQ(EvalReal(c.text), c.expected) << c.text;

    CValue v;
    ASSERT_EQ(Eval("size([1,2,3;4,5,6])", v), 0);
    EXPECT_EQ(vb::Text(v), "[2,3]");
    ASSERT_EQ(Eval("RGB([1,2],[0,0],[0,1])", v), 0);
    EXPECT_EQ(vb::Text(v), "[1,65538]");
    EXPECT_EQ(Eval("RGB([1,2],0,0)", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("RGB(\"a\",0,0)", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("qif(\"a\"==1,1,2)", v), 0);
}

TEST_F(BasicTest, RndScalesDrawsOfTheFifteenBitGenerator)
{
    const double scale = 3.051850947599719e-5;
    SeedRand15(11);
    int k1 = Rand15(), k2 = Rand15();
    SeedRand15(11);
    CValue z(Complex(2.0, 4.0)), out;
    ASSERT_EQ(BuiltinRnd(&z, &out), 0);
    ASSERT_EQ(out.Type(), (uint32_t)VT_COMPLEX);
    EXPECT_EQ(out.ComplexRef().re, k1 * scale * 2.0);  // real part draws first
    EXPECT_EQ(out.ComplexRef().im, k2 * scale * 4.0);

    CValue m = vb::Mat({{1, 1, 1}}), r;
    ASSERT_EQ(BuiltinRnd(&m, &r), 0);
    for (int j = 0; j < 3; ++j) {
        double x = r.Matrix().Cell(0, j).Real();
        EXPECT_TRUE(x >= 0.0 && x <= 1.0);
    }
    CValue s(std::string("ab"));
    EXPECT_EQ(BuiltinRnd(&s, &r), ERR_ARGUMENT_TYPE);
}

TEST_F(BasicTest, TypePredicates)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"isreal(3+0i)", 1},   {"isreal(3+1i)", 0},     {"isreal(\"a\")", 0},   {"iscplx(3+1i)", 1},
        {"iscplx(3)", 0},      {"ismatrx([1,2])", 1},   {"ismatrx(1)", 0},      {"isvec([5])", 1},
        {"isvec([1;2])", 1},   {"isvec([1,2;3,4])", 0}, {"isstr(\"ab\")", 1},   {"isstr(\"a\")", 1},
        {"isstr(1)", 0},       {"isnumeric([1,2+1i])", 1}, {"isnumeric([1,\"a\"])", 0}, {"isnumeric(4)", 1},
        {"isempty(5)", 0},     {"isempty([])", 1},      {"isstruct(1)", 0},     {"isnan(NAN)", 1},
        {"isnan(1+NAN*1i)", 1}, {"isfinite(INF)", 0},   {"isfinite(2+3i)", 1},  {"isinf(-INF)", 1},
        {"isinf(1)", 0},       {"ishandle(1)", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(EvalReal(c.text), c.expected) << c.text;

    CValue v;
    ASSERT_EQ(Eval("isnan([1,NAN])", v), 0);
    EXPECT_EQ(vb::Text(v), "[0,1]");
    EXPECT_EQ(Eval("isnan(\"a\")", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("isinf(\"ab\")", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("isrecord(1,\"a\")", v), ERR_ARGUMENT_TYPE);

    CValue id, out;
    id.SetIdentifier(3);
    ASSERT_EQ(BuiltinIsHandle(&id, &out), 0);
    EXPECT_EQ(out.Real(), 1.0);
}

TEST_F(BasicTest, IsRecordLooksForAFieldByItsExactName)
{
    CValue name(std::string("alpha")), other(std::string("Alpha")), out;
    CValue probe;
    // A structure with one field built by the language.
    ASSERT_EQ(Eval("st.alpha = 1", probe), 0);
    CVarSlot* slot = block.FindVariable("st");
    ASSERT_NE(slot, nullptr);
    ASSERT_EQ(BuiltinIsRecord(slot->value, &name, &out), 0);
    EXPECT_EQ(out.Real(), 1.0);
    ASSERT_EQ(BuiltinIsRecord(slot->value, &other, &out), 0);
    EXPECT_EQ(out.Real(), 0.0);
}

TEST_F(BasicTest, VariablePredicatesSearchLocalThenGlobal)
{
    CValue v;
    ASSERT_EQ(Eval("known = 5", v), 0);
    block.AddVariable("unset", true);
    CVarSlot* g = GlobalVariables.Add("shared_g", true);
    ASSERT_NE(g, nullptr);
    if (!g->value) {
        g->value = new CValue();
        g->owned = 1;
    }
    g->value->SetReal(1.0);
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"isninit(\"nosuch\")", 1},    {"isninit(\"known\")", 0},   {"isninit(\"unset\")", 1},
        {"isninit(\"shared_g\")", 0},  {"isvarname(\"known\")", 1}, {"isvarname(\"nosuch\")", 0},
        {"isvarname(\"shared_g\")", 1}, {"isglobal(\"known\")", 0}, {"isglobal(\"shared_g\")", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(EvalReal(c.text), c.expected) << c.text;
    ASSERT_EQ(Eval("isvarname([\"known\",\"nosuch\"])", v), 0);
    EXPECT_EQ(vb::Text(v), "[1,0]");
    EXPECT_EQ(Eval("isninit(5)", v), ERR_ARGUMENT_TYPE);
    GlobalVariables.RemoveLast(1);
}

TEST_F(BasicTest, MessagesWriteTheirPrefixesAndStatus)
{
    const struct {
        const char* text;
        int status;
        const char* message;
    } cases[] = {
        {"error(\"boom\")", ERR_INTERNAL, "Error: boom"},
        {"warning(\"careful\")", 0, "Warning: careful"},
        {"trace(\"Debug\",\"x\")", 0, "Debug: x"},
        {"trace(\"\",\"x\")", 0, "x"},
        {"trace(\"warn\",\"w\")", 0, "Warning: w"},
        {"trace(\"info\",\"i\")", 0, "Information: i"},
        {"trace(\"error\",\"e\")", ERR_INTERNAL, "Error: e"},
        {"trace(\"Error\",\"e\")", 0, "Error: e"},  // kinds are exact: a plain label
        {"trace(\"n\",42)", 0, "n: 42"},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue v;
        EXPECT_EQ(Eval(c.text, v), c.status) << c.text;
        ASSERT_EQ(cap.messages.size(), 1u) << c.text;
        EXPECT_EQ(cap.messages[0], c.message) << c.text;
    }
    cap.Reset();
    CValue v;
    EXPECT_EQ(Eval("error(5)", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("warning([1,2])", v), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(Eval("trace(1,\"x\")", v), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(BasicTest, Clocks)
{
    CValue v;
    ASSERT_EQ(BuiltinClock(&v), 0);
    EXPECT_LE(std::fabs(v.Real() - (double)std::time(nullptr)), 2.0);
    ASSERT_EQ(BuiltinTick(&v), 0);
    EXPECT_GE(v.Real(), 0.0);
    ASSERT_EQ(BuiltinClock6(&v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX);
    const CValueMatrix& m = v.Matrix();
    ASSERT_EQ(m.Cols(), 6);
    EXPECT_GE(m.Cell(0, 0).Real(), 2000.0);
    EXPECT_TRUE(m.Cell(0, 1).Real() >= 1 && m.Cell(0, 1).Real() <= 12);
    EXPECT_TRUE(m.Cell(0, 2).Real() >= 1 && m.Cell(0, 2).Real() <= 31);
    EXPECT_TRUE(m.Cell(0, 5).Real() >= 0 && m.Cell(0, 5).Real() < 61);
}

}  // namespace
