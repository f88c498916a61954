// The "Matrix and Algebra" searches, rows and columns, concatenation, random
// matrices, builders, reductions and solvers: through expressions, through
// whole statements (exact messages) and called directly.
#include <string>
#include <vector>

#include "builtin_eval.h"
#include "builtins/matrix_builtins.h"
#include "interpreter/statements/program_harness.h"

namespace {

using MatrixTest = BuiltinTest;
using Lines = std::vector<std::string>;

TEST_F(MatrixTest, ExpressionResults)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        // searches
        {"find([0,5;7,0])", "[2,3]"},
        {"find([0,0])", "[]"},
        {"find(0+2i)", "[]"},
        {"find(3)", "1"},
        {"any(0+2i)", "1"},
        {"max(5,[10,-20])", "10"},
        {"max(5,[1,2,3])", "5"},
        {"max(3,7,7,1)", "7"},
        {"max([1,9;4,2])", "9"},
        {"min(5,[1,2,3])", "1"},
        {"min(4+1i)", "4+1i"},
        // any and all: a one-cell vector is its own cell
        {"any([5])", "5"},
        {"all([0])", "0"},
        {"any([5,0])", "1"},
        {"all([1,0,5])", "0"},
        {"any([0,0,3])", "1"},
        {"all([1;2;3])", "1"},
        {"any([1,0,0;0,0,2])", "[1,0,1]"},
        {"all([1,2;3,0])", "[1,0]"},
        // rows and columns: indices round halves away from zero
        {"row([1,2;3,4;5,6],2.5)", "[5,6]"},
        {"col([1,2,3,4;5,6,7,8;9,10,11,12],4)", "[4;8;12]"},
        {"drow([1;2;3;4],[1,1,3])", "[2;4]"},
        {"drow([1,2;3,4],[2+0i])", "[1,2]"},
        {"dcol([1,2,3],2)", "[1,3]"},
        {"dcol([1,2;3,4],[2,1])", "[]"},
        {"hrzcat([1,2;3,4],[5;6;7])", "[1,2,5;3,4,6;0,0,7]"},
        {"vrtcat([1,2],[3])", "[1,2;3,0]"},
        // reductions
        {"sum(3+4i)", "7"},
        {"sum([1,2;3,4])", "[4,6]"},
        {"sum([1,2,3])", "6"},
        {"sum([1;2;3])", "6"},
        {"prod([1,2;3,4])", "[3,8]"},
        {"prod(3+4i)", "12"},
        {"cumsum(3+4i)", "3+7i"},
        {"cumprod(3+4i)", "3+12i"},
        {"cumsum([1,2,3])", "[1,3,6]"},
        {"cumprod([1,2;3,4])", "[1,2;3,8]"},
        {"sorta([3,1,2])", "[1,2,3]"},
        {"sortd([3,1;2,4])", "[3,4;2,1]"},
        {"backord([1,2,3])", "[3,2,1]"},
        {"backord([1,2;3,4])", "[3,4;1,2]"},
        // builders
        {"ones(2,3)", "[1,1,1;1,1,1]"},
        {"ones([2,3])", "[1,1,1;1,1,1]"},
        {"ones(2.5)", "[1,1,1;1,1,1;1,1,1]"},
        {"ones(0)", "[]"},
        {"zeros(1,2)", "[0,0]"},
        {"eye(2,3)", "[1,0,0;0,1,0]"},
        {"eye(2+0i)", "[1,0;0,1]"},
        {"diag([1,2],1)", "[0,1,0;0,0,2;0,0,0]"},
        {"diag([1,2],-1)", "[0,0,0;1,0,0;0,2,0]"},
        {"gdiag([1,2;3,4])", "[1,4]"},
        {"gdiag([1,2;3,4],-1)", "[3]"},
        {"triu([1,2;3,4])", "[1,2;0,4]"},
        {"tril([1,2;3,4])", "[1,0;3,4]"},
        {"tril([1,2;3,4],1)", "[1,2;3,4]"},
        // counts and reshaping
        {"length([1,2,3;4,5,6])", "3"},
        {"length(1+2i)", "2"},
        {"length(\"abcde\")", "5"},
        {"rang([1,2,3;4,5,6])", "6"},
        {"trace([1,2;3,4])", "5"},
        {"trans([1+2i,3])", "[1-2i;3]"},
        {"trans(5)", "5"},
        // solvers
        {"solve([2,0;0,4],[2;8])", "[1+0i;2+0i]"},
        {"solvex([2,0;0,4],[2;8])", "[1+0i;2+0i]"},
    };
    for (const auto& c : cases) {
        CValue v;
        cap.Reset();
        ASSERT_EQ(Eval(c.text, v), 0) << c.text << ": " << cap.Text();
        EXPECT_EQ(vb::Text(v), c.expected) << c.text;
        EXPECT_TRUE(cap.messages.empty()) << c.text << ": " << cap.Text();
    }
}

TEST_F(MatrixTest, StringResults)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"sorta(\"dcba\")", "abcd"},
        {"sortd(\"abca\")", "cbaa"},
        {"hrzcat(\"ab\",\"cd\")", "abcd"},
        {"backord(\"abc\")", "cba"},
        {"trace(\"xy\")", "xy"},
        {"trans(\"abc\")", "abc"},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        std::string text;
        v.GetText(text);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST_F(MatrixTest, DeletingRowsLeavesTheCallersVariable)
{
    CValue v;
    ASSERT_EQ(Eval("M=[1;2;3;4]", v), 0);
    ASSERT_EQ(Eval("drow(M,[1,1,3])", v), 0);
    EXPECT_EQ(vb::Text(v), "[2;4]");
    ASSERT_EQ(Eval("sorta(backord(M))", v), 0);
    ASSERT_EQ(Eval("triu(M,-1)", v), 0);
    ASSERT_EQ(Eval("M", v), 0);
    EXPECT_EQ(vb::Text(v), "[1;2;3;4]");
}

TEST_F(MatrixTest, RandomMatricesHaveTheirShapesAndRanges)
{
    const struct {
        const char* text;
        int rows, cols;
    } cases[] = {
        {"rand(2.5)", 3, 3},   {"rand(-2.5)", 0, 0},    {"rand(0)", 0, 0},       {"rand([2,3])", 2, 3},
        {"rand([2;3;9])", 2, 3}, {"rand(2,3)", 2, 3},   {"randn(2,3+0i)", 2, 3}, {"randn([4,1])", 4, 1},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX) << c.text;
        EXPECT_EQ(v.Matrix().Rows(), c.rows) << c.text;
        EXPECT_EQ(v.Matrix().Cols(), c.cols) << c.text;
    }
    CValue v;
    ASSERT_EQ(Eval("rand(20)", v), 0);
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) {
            const CValue& cell = v.Matrix().Cell(i, j);
            ASSERT_EQ(cell.Type(), (uint32_t)VT_REAL);
            EXPECT_GT(cell.Real(), 0.0);
            EXPECT_LT(cell.Real(), 1.0);
        }
    for (const char* text : {"rand([4])", "rand([1,2;3,4])", "rand(\"ab\")", "randn(2,3+1i)", "rand([2,\"a\"])"})
        EXPECT_EQ(Eval(text, v), ERR_ARGUMENT_TYPE) << text;
}

// One statement each; the messages byte for byte. A handler that writes its
// own text and returns 69 is followed by the interpreter's text for 69.
TEST_F(MatrixTest, ErrorsGiveTheirExactMessages)
{
    const std::string kType = "Error: Invalid argument(s) type passing to the function";
    const struct {
        const char* text;
        Lines messages;
    } cases[] = {
        {"any([1,\"a\"]);", {"Error: Elements of an arguments is invalid or not agreed"}},
        {"find(\"ab\");", {kType}},
        {"any(\"ab\");", {kType}},
        {"M=[1,2;3,4]; row(M,0.4);", {"Error: Row index is out of range"}},
        {"M=[1,2;3,4]; row(M,-0.5);", {"Error: Row index is out of range"}},
        {"M=[1,2;3,4]; col(M,3);", {"Error: Column index is out of range"}},
        {"M=[1,2;3,4]; row(M,1i);", {kType}},
        {"M=[1,2;3,4]; drow(M,[1,2;3,4]);", {"Error: Second argument must be an integer or vector of integers", kType}},
        {"M=[1,2;3,4]; drow(M,1+1i);", {"Error: Second argument must be an integer or vector of integers", kType}},
        {"M=[1,2;3,4]; dcol(M,[1,\"a\"]);", {"Error: Second argument must be an integer vector", kType}},
        {"M=[1,2;3,4]; drow(M,[1,5]);", {"Error: Row index is out of range"}},
        {"M=[1,2;3,4]; dcol(M,0);", {"Error: Column index is out of range"}},
        {"drow(5,1);", {kType}},
        {"vrtcat(\"ab\",\"cd\");", {"Error: Failed to vertically concatenate a matrices"}},
        {"hrzcat([1],\"cd\");", {"Error: Failed to horizontally concatenate a matrices"}},
        {"ones(\"a\");", {"Error: Function creating a matrix of ones, arguments types must be an agree"}},
        {"ones([1,2,3]);", {"Error: Function creating a matrix of ones, arguments types must be an agree"}},
        {"zeros(1,2,3);", {"Error: Function creating a matrix of zeros, arguments types must be an agree"}},
        {"eye(2+1i);", {"Error: Function creating an eye matrix, arguments types must be an agree"}},
        {"ones(1e6,1e6);", {"Error: Matrix indexing (1000000,1000000) is limits exceeded"}},
        {"rand(1e6);", {"Error: Matrix indexing (1000000,1000000) is limits exceeded"}},
        {"zeros([3e9,1]);", {"Error: Matrix indexing (3000000000,1) is limits exceeded"}},
        {"eye(1,1e300);", {"Error: Matrix indexing (1,1e+300) is limits exceeded"}},
        {"sum(5);", {"Error: Invalid argument of sum function (Real)"}},
        {"sorta(5);", {"Error: Invalid argument of sorta function (Real)"}},
        {"cumprod(\"ab\");", {"Error: Invalid argument of cumprod function (String)"}},
        {"diag([1;2]);", {"Error: First argument must be a row-vector"}},
        {"diag([1,2],\"a\");", {kType}},
        {"diag([1,2],NAN);", {kType}},
        {"diag([1,2],1e9);", {"Error: Matrix indexing (1000000002,1000000002) is limits exceeded"}},
        {"diag([1,2],-3e9);", {"Error: Matrix indexing (3000000002,3000000002) is limits exceeded"}},
        {"gdiag([1,2;3,4],3);", {"Error: Extracting 3-th diagonal from matrix"}},
        {"triu(5);", {"Error: First argument must be a matrix", kType}},
        {"tril([1],\"a\");", {"Error: Second argument must be a integer", kType}},
        {"rang(5);", {kType}},
        {"solve(2,4);", {"Error: Solving a system of linear equations for a non-matrix arguments"}},
        {"solve([1,2;3,4],[1;2;3]);", {"Error: Solving a system of linear equations, matrices must be agree"}},
    };
    for (const auto& c : cases) EXPECT_EQ(RunProgram(c.text).messages, c.messages) << c.text;
}

TEST_F(MatrixTest, FindWithSeveralOutputs)
{
    CValue m = vb::Mat({{0, 5}, {7, 0}}), out;
    ASSERT_EQ(BuiltinFind2(&m, &out), 0);
    EXPECT_EQ(vb::Text(out), "[[1,2],[2,1]]");
    ASSERT_EQ(BuiltinFind3(&m, &out), 0);
    EXPECT_EQ(vb::Text(out), "[[1,2],[2,1],[5,7]]");

    CValue zero(Complex(0, 3)), five(5.0);
    ASSERT_EQ(BuiltinFind3(&zero, &out), 0);
    EXPECT_EQ(vb::Text(out), "[[],[],[]]");
    ASSERT_EQ(BuiltinFind3(&five, &out), 0);
    EXPECT_EQ(vb::Text(out), "[1,1,5]");

    CValue text(std::string("ab"));
    EXPECT_EQ(BuiltinFind2(&text, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(vb::Text(out), "[empty,empty]");

    // Through an assignment the outputs land in their variables.
    CValue v;
    ASSERT_EQ(Eval("[J,I,V]=find([0,5;7,0])", v), 0);
    ASSERT_EQ(Eval("hrzcat(vrtcat(J,I),V')", v), 0) << cap.Text();
    EXPECT_EQ(vb::Text(v), "[1,2,5;2,1,7]");
}

TEST_F(MatrixTest, LogicalReductionsOfHandlesAndMismatches)
{
    CValue target(1.0), handle, null, out;
    handle.SetHandle(&target);
    null.SetPointer(nullptr);
    EXPECT_EQ(BuiltinAny(&null, &out), 0);
    EXPECT_EQ(vb::Text(out), "0");
    EXPECT_EQ(BuiltinAll(&handle, &out), 0);
    EXPECT_EQ(vb::Text(out), "1");

    // A vector of a handle and a null pointer: OR and AND of the payloads.
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, 2);
    m.Cell(0, 0) = handle;
    m.Cell(0, 1) = null;
    CValue copy(v);
    EXPECT_EQ(BuiltinAny(&v, &out), 0);
    EXPECT_EQ(vb::Text(out), "1");
    EXPECT_EQ(BuiltinAll(&copy, &out), 0);
    EXPECT_EQ(vb::Text(out), "0");

    // Matrix cells of different shapes cannot be combined.
    CValue nested;
    CValueMatrix& n = nested.MakeMatrix(1, 2);
    n.Cell(0, 0) = vb::Mat({{1, 2}});
    n.Cell(0, 1) = vb::Mat({{1, 2, 3}});
    EXPECT_EQ(BuiltinAll(&nested, &out), ERR_MULTIDIMENSIONAL);
    EXPECT_TRUE(cap.messages.empty());

    // all stops at the first zero: the string after it is never combined.
    CValue early;
    CValueMatrix& e = early.MakeMatrix(1, 3);
    e.Cell(0, 0).SetReal(1.0);
    e.Cell(0, 1).SetReal(0.0);
    e.Cell(0, 2) = vb::Str("ab");
    EXPECT_EQ(BuiltinAll(&early, &out), 0);
    EXPECT_EQ(vb::Text(out), "0");
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixTest, TextConcatenationKeepsTheBinaryFlag)
{
    const struct {
        CValue x, y;
        uint32_t tag;
        const char* codes;
    } cases[] = {
        {vb::Str("ab"), vb::Str("cd"), VT_STRING, "97,98,99,100"},
        {vb::Str("ab"), vb::Bin({1, 2}), VT_BINARY_STRING, "97,98,1,2"},
        {vb::Chr('x'), vb::Str("ab"), VT_STRING, "120,97,98"},
        {vb::Str("ab"), vb::Chr(7, true), VT_BINARY_STRING, "97,98,7"},
        {vb::Chr('a'), vb::Chr('b'), VT_STRING, "97,98"},
    };
    for (const auto& c : cases) {
        CValue x(c.x), y(c.y), out;
        ASSERT_EQ(BuiltinHrzcat(&x, &y, &out), 0) << c.codes;
        EXPECT_EQ(out.Tag(), c.tag) << c.codes;
        EXPECT_EQ(vb::Codes(out), c.codes);
    }
}

TEST_F(MatrixTest, StringSortingAndReversal)
{
    // Characters compare as signed bytes: codes above 127 come first.
    CValue s = vb::Bin({'b', 200, 'a'}), out;
    ASSERT_EQ(BuiltinSorta(&s, &out), 0);
    EXPECT_EQ(vb::Codes(out), "200,97,98");
    EXPECT_EQ(out.Tag(), VT_BINARY_STRING);

    CValue b = vb::Bin({1, 2, 3});
    ASSERT_EQ(BuiltinBackord(&b, &out), 0);
    EXPECT_EQ(vb::Codes(out), "3,2,1");
    EXPECT_EQ(out.Tag(), VT_BINARY_STRING);

    CValue z = vb::Str0("abc");
    ASSERT_EQ(BuiltinBackord(&z, &out), 0);
    ASSERT_EQ(out.Type(), (uint32_t)VT_STRING0);
    EXPECT_STREQ(out.String0(), "cba");

    CValue c = vb::Chr('q');
    ASSERT_EQ(BuiltinSortd(&c, &out), 0);
    EXPECT_EQ(vb::Text(out), "'q'");

    // backord of another type hands the argument back and fails quietly.
    CValue r(4.0);
    EXPECT_EQ(BuiltinBackord(&r, &out), ERR_INTERNAL);
    EXPECT_EQ(vb::Text(out), "4");
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixTest, LengthByType)
{
    CValue target, handle, ident, s0 = vb::Str0("abcd"), out;
    handle.SetConstHandle(&target);
    ident.SetIdentifier(3);
    const struct {
        CValue* v;
        double n;
    } cases[] = {{&handle, 1}, {&ident, 1}, {&s0, 4}};
    for (const auto& c : cases) {
        ASSERT_EQ(BuiltinLength(c.v, &out), 0);
        EXPECT_EQ(out.Real(), c.n);
    }
    CValue integer;
    integer.m_tag = VT_INTEGER;
    EXPECT_EQ(BuiltinLength(&integer, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of length function (Integer)");
}

TEST_F(MatrixTest, TableRowsStandInTheirPlaces)
{
    const char* const names[] = {
        "rand", "rand", "randn", "randn", "max", "min", "find", "find", "find", "sum", "prod", "cumsum", "cumprod",
        "any", "all", "ones", "zeros", "eye", "sorta", "sortd", "backord", "hrzcat", "vrtcat", "trans", "det",
        "trace", "inv", "solve", "solvex", "expm", "logm", "sqrtm", "row", "col", "drow", "dcol", "length", "rang",
        "fvec", "norm", "cond", "rcond", "orth", "rank", "triu", "tril", "diag", "gdiag", "svd_old", "svd", "svd0",
        "svd", "eig", "eig", "eig", "eig", "eign", "eign", "schur", "schur", "chol", "chol", "lu", "qr", "qr", "qr",
        "hess", "pinv", "funm", "fevam", "qz"};
    ASSERT_EQ(MatrixAlgebraLibrary.count, 70);
    for (int i = 0; i < 71; ++i) EXPECT_STREQ(MatrixAlgebraLibrary.table[i].name, names[i]) << i;

    const FuncEntry* t = MatrixAlgebraLibrary.table;
    EXPECT_EQ(t[7].outputs, 2);
    EXPECT_EQ(t[8].outputs, 3);
    EXPECT_EQ(t[4].inputs, -1);
    EXPECT_EQ(t[4].form, CALL_VECTOR);
    EXPECT_STREQ(t[32].prototype, "row(X)");
    EXPECT_STREQ(t[17].prototype, "zeros(n)");
    EXPECT_EQ(t[68].form, CALL_A2_CTX);
    const struct {
        int row;
        uint32_t type;
    } defaults[] = {{39, VT_REAL}, {40, VT_REAL}, {43, VT_EMPTY}, {44, VT_REAL}, {45, VT_REAL},
                    {58, VT_EMPTY}, {67, VT_EMPTY}, {70, VT_EMPTY}};
    for (const auto& d : defaults) {
        ASSERT_EQ(t[d.row].defaultCount, 1) << d.row;
        EXPECT_EQ(t[d.row].defaults[0].Type(), d.type) << d.row;
    }
    EXPECT_EQ(t[39].defaults[0].Real(), 2.0);
    EXPECT_EQ(t[44].defaults[0].Real(), 0.0);

    // Library rows through expressions; the Basic row(X) of one argument still answers.
    EXPECT_EQ(EvalReal("det([1,2;3,4]) == -2"), 1.0);
    EXPECT_EQ(EvalReal("norm([3,4]) == 5"), 1.0);
    EXPECT_EQ(EvalReal("row([1,2;3,4;5,6])"), 3.0);
    CValue v;
    ASSERT_EQ(Eval("triu([1,2;3,4])", v), 0);
    EXPECT_EQ(vb::Text(v), "[1,2;0,4]");
}

}  // namespace
