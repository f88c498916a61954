#include <cmath>
#include <string>

#include "interpreter/expressions/harness.h"
#include "interpreter/operator_builtins.h"
#include "values/struct_value.h"

namespace {

TEST_F(ExprTest, Assignments)
{
    ASSERT_EQ(Eval("a = b = 5"), 0);
    EXPECT_EQ(Var("a")->Real(), 5);
    EXPECT_EQ(Var("b")->Real(), 5);

    ASSERT_EQ(Eval("[x, y] = [1, 2, 3]"), 0);
    EXPECT_EQ(Var("x")->Real(), 1);
    EXPECT_EQ(Var("y")->Real(), 2);
    ASSERT_EQ(Eval("[x, y] = 7"), 0);
    EXPECT_EQ(Var("x")->Real(), 7);
    EXPECT_EQ(Var("y")->Real(), 7);

    ASSERT_EQ(Eval("x += 1"), 0);
    EXPECT_EQ(Var("x")->Real(), 8);
    ASSERT_EQ(Eval("[x, y] *= 2"), 0);
    EXPECT_EQ(Var("y")->Real(), 14);
    EXPECT_DOUBLE_EQ(Real("x = y -= 4"), 10);
    EXPECT_EQ(Var("x")->Real(), 10);

    const struct {
        const char* text;
        int code;
    } errors[] = {{"u += 1", 50}, {"u + 1", 50}, {"1 + u", 50}, {"1 = 2", 48},
                  {"twice(u)", 50}, {"5++", 48}, {"++u", 50}, {"u++", 50}, {"[u] = 1..2..3..4", 78}};
    for (const auto& e : errors) EXPECT_EQ(Eval(e.text), e.code) << e.text;
}

TEST_F(ExprTest, StructureFields)
{
    ASSERT_EQ(Eval("s.a.b = 1"), 0);
    CValue* s = Var("s");
    ASSERT_EQ(s->Type(), (uint32_t)VT_STRUCT);
    CStructField* a = s->Struct().Find("a");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->m_value.Type(), (uint32_t)VT_STRUCT);
    EXPECT_EQ(a->m_value.Struct().Find("b")->m_value.Real(), 1);

    ASSERT_EQ(Eval("x = 5"), 0);
    ASSERT_EQ(Eval("x.a = 1"), 0);
    ASSERT_EQ(Var("x")->Type(), (uint32_t)VT_STRUCT);
    EXPECT_EQ(Var("x")->Struct().Count(), 1u);

    EXPECT_DOUBLE_EQ(Real("y = s.missing"), 0);
    EXPECT_NE(s->Struct().Find("missing"), nullptr);
    EXPECT_DOUBLE_EQ(Real("s.a.b + 1"), 2);
    EXPECT_EQ(Eval("PI.x"), ERR_STRUCT_FIELD);
    EXPECT_EQ(Eval("(1+2).x"), ERR_STRUCT_FIELD);
}

TEST_F(ExprTest, ShortCircuitAndFoldOrder)
{
    EXPECT_DOUBLE_EQ(Real("0 && f()"), 0);
    EXPECT_DOUBLE_EQ(Real("1 || f()"), 1);
    EXPECT_EQ(g_fCalls, 0);
    EXPECT_DOUBLE_EQ(Real("1 && f()"), 1);
    EXPECT_EQ(g_fCalls, 1);

    // A handler that writes an error and returns 0 gives 10; later operands never run.
    g_fCalls = 0;
    cap.Reset();
    EXPECT_EQ(Eval("fail()"), ERR_INTERNAL);
    EXPECT_EQ(Eval("1 + fail() + f()"), ERR_INTERNAL);
    EXPECT_EQ(g_fCalls, 0);
    ASSERT_FALSE(cap.messages.empty());
    EXPECT_EQ(cap.messages[0], "Error: boom");
    EXPECT_EQ(Eval("warn()"), 0);  // a warning is no failure
}

// Chains of the element-wise operators over matrix variables, with Real
// cells only and with others, give what the cell operators give in order.
TEST_F(ExprTest, ElementwiseChains)
{
    ASSERT_EQ(Eval("x = [1, -2.5, 4]"), 0);
    ASSERT_EQ(Eval("y = [0.5, 3, -1]"), 0);
    ASSERT_EQ(Eval("z = x .* y + x - y ./ x"), 0);
    const double x[] = {1, -2.5, 4}, y[] = {0.5, 3, -1};
    CValue* z = Var("z");
    ASSERT_EQ(z->Type(), (uint32_t)VT_MATRIX);
    for (int j = 0; j < 3; ++j) {
        ASSERT_EQ(z->Matrix().Cell(0, j).Type(), (uint32_t)VT_REAL);
        EXPECT_EQ(z->Matrix().Cell(0, j).Real(), x[j] * y[j] + x[j] - y[j] / x[j]) << j;
    }
    EXPECT_DOUBLE_EQ(Real("(x + y)[2]"), 0.5);

    ASSERT_EQ(Eval("w = [1, 2i, 3]"), 0);
    ASSERT_EQ(Eval("z = w .* w + x"), 0);
    z = Var("z");
    EXPECT_EQ(z->Matrix().Cell(0, 1).Type(), (uint32_t)VT_COMPLEX);
    EXPECT_EQ(z->Matrix().Cell(0, 1).ComplexRef().re, -6.5);
    EXPECT_EQ(z->Matrix().Cell(0, 2).Real(), 13);

    cap.Reset();
    EXPECT_EQ(Eval("x .* y + [1, 2]"), ERR_INTERNAL);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Addition, matrices must be a same sizes");
}

TEST_F(ExprTest, Ranges)
{
    CValue v;
    ASSERT_EQ(Eval("0..0.1..0.3", v), 0);
    EXPECT_EQ(ShapeOf(v).cols, 4);
    ASSERT_EQ(Eval("1..2..6", v), 0);
    EXPECT_EQ(ShapeOf(v).re, (std::vector<double>{1, 3, 5}));
    ASSERT_EQ(Eval("1..5", v), 0);
    EXPECT_EQ(ShapeOf(v).re, (std::vector<double>{1, 2, 3, 4, 5}));
    ASSERT_EQ(Eval("5..1", v), 0);
    EXPECT_EQ(ShapeOf(v).cols, 0);
    ASSERT_EQ(Eval("5..0..1", v), 0);  // -INF count: empty
    EXPECT_EQ(ShapeOf(v).cols, 0);
    ASSERT_EQ(Eval("n = 3", v), 0);
    ASSERT_EQ(Eval("n..n+1", v), 0);
    EXPECT_EQ(ShapeOf(v).re, (std::vector<double>{3, 4}));

    const struct {
        const char* text;
        int code;
    } errors[] = {{"1..2..3..4", 78}, {"1..0..5", 76}, {"3..0..3", 76},
                  {"1..1e12", 10},  // the limits error, reported by the range itself
                  {"[1,2]..3", 76}, {"1..u", 50}};
    for (const auto& e : errors) EXPECT_EQ(Eval(e.text), e.code) << e.text;
}

TEST_F(ExprTest, FvecCountsAndAliasing)
{
    CValue start(1.0), stop(2.0), step(0.1);
    ASSERT_EQ(BuiltinFvec(&start, &stop, &step, &start), 0);  // out is start
    Shape s = ShapeOf(start);
    ASSERT_EQ(s.cols, 11);
    EXPECT_EQ(s.re[0], 1.0);
    CValue a(0.0), b(1.0), c(0.3), out;
    ASSERT_EQ(BuiltinFvec(&a, &b, &c, &out), 0);
    EXPECT_EQ(ShapeOf(out).cols, 4);
    // Cells by repeated addition.
    EXPECT_EQ(ShapeOf(out).re[3], 0.0 + 0.3 + 0.3 + 0.3);
}

TEST_F(ExprTest, TranspositionsAndUnary)
{
    CValue v;
    ASSERT_EQ(Eval("(1+2i)'", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_COMPLEX);
    EXPECT_EQ(v.ComplexRef().im, -2.0);
    ASSERT_EQ(Eval("(1+2i).'", v), 0);
    EXPECT_EQ(v.ComplexRef().im, 2.0);
    ASSERT_EQ(Eval("[1,2;3,4].'", v), 0);
    EXPECT_EQ(ShapeOf(v).re, (std::vector<double>{1, 3, 2, 4}));
    ASSERT_EQ(Eval("[1+2i, 3]'", v), 0);
    Shape s = ShapeOf(v);
    EXPECT_EQ(s.rows, 2);
    EXPECT_EQ(s.im, (std::vector<double>{-2, 0}));
    ASSERT_EQ(Eval("\"abc\"'", v), 0);
    EXPECT_EQ(v.Type(), (uint32_t)VT_STRING);
    cap.Reset();
    EXPECT_EQ(Eval("[\"ab\", 1]'"), ERR_INTERNAL);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid argument of conj function (String)");

    ASSERT_EQ(Eval("x = 5"), 0);
    EXPECT_DOUBLE_EQ(Real("x++"), 5);
    EXPECT_EQ(Var("x")->Real(), 6);
    EXPECT_DOUBLE_EQ(Real("++x"), 7);
    EXPECT_DOUBLE_EQ(Real("-x"), -7);
    EXPECT_DOUBLE_EQ(Real("!x"), 0);
    ASSERT_EQ(Eval("m = [1, 2]"), 0);
    ASSERT_EQ(Eval("m[2]++"), 0);
    EXPECT_EQ(ShapeOf(*Var("m")).re, (std::vector<double>{1, 3}));
    EXPECT_EQ(Eval("-\"a\""), ERR_INTERNAL);
}

TEST_F(ExprTest, Indexing)
{
    ASSERT_EQ(Eval("x = [1, 2, 3]"), 0);
    ASSERT_EQ(Eval("x[2] = 9"), 0);
    EXPECT_EQ(ShapeOf(*Var("x")).re, (std::vector<double>{1, 9, 3}));
    ASSERT_EQ(Eval("x[5] = 1"), 0);
    EXPECT_EQ(ShapeOf(*Var("x")).re, (std::vector<double>{1, 9, 3, 0, 1}));
    EXPECT_DOUBLE_EQ(Real("x[1] + x[2]"), 10);
    ASSERT_EQ(Eval("x[[1, 3]] = 4"), 0);
    EXPECT_EQ(ShapeOf(*Var("x")).re, (std::vector<double>{4, 9, 4, 0, 1}));

    ASSERT_EQ(Eval("m = [1, 2; 3, 4]"), 0);
    EXPECT_DOUBLE_EQ(Real("m[2, 1]"), 3);
    EXPECT_DOUBLE_EQ(Real("m[2][1]"), 3);  // one index down the first column, then the scalar
    ASSERT_EQ(Eval("m[3, 3] = 7"), 0);
    EXPECT_EQ(ShapeOf(*Var("m")).rows, 3);

    CValue v;
    ASSERT_EQ(Eval("\"abc\"[2]", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_CHAR);
    EXPECT_EQ(v.CharCode(), 'b');
    ASSERT_EQ(Eval("[5, 6, 7][[3, 1]]", v), 0);
    EXPECT_EQ(ShapeOf(v).re, (std::vector<double>{7, 5}));

    const struct {
        const char* text;
        int code;
    } errors[] = {{"x[u]", 50}, {"[1, 2][3]", 60}, {"(5)[1]", 61}, {"x[\"a\"]", 62},
                  {"x[0] = 1", 60}, {"PI[1] = 2", 61}, {"\"abc\"[0]", 60}};
    for (const auto& e : errors) EXPECT_EQ(Eval(e.text), e.code) << e.text;

    // While the table is blocked elements are read-only.
    CCompiledExpr write, read;
    ASSERT_EQ(Parse("x[[1, 2]] = 5", write), 0);
    ASSERT_EQ(Parse("x[2]", read), 0);
    block.Vars()->blocked = 1;
    CValue r;
    EXPECT_EQ(block.Evaluate(write.root, &r), ERR_NOT_LVALUE);
    ASSERT_EQ(block.Evaluate(read.root, &r), 0);
    EXPECT_EQ(r.Real(), 9);
    block.Vars()->blocked = 0;
    EXPECT_EQ(ShapeOf(*Var("x")).re[0], 4.0);
}

// Elements and blocks of a packed matrix read and written by index: the
// values the cells would give, and the matrix stays packed (a Complex written
// makes it cells).
TEST_F(ExprTest, PackedMatrixIndexing)
{
    CValueMatrix probe;
    if (!probe.ShapePacked(1, 1)) GTEST_SKIP() << "this build keeps every matrix in cells";
    ASSERT_EQ(Eval("A = 0"), 0);
    CValueMatrix& a = Var("A")->MakeMatrix(0, 0);
    ASSERT_TRUE(a.ShapePacked(3, 4));
    for (int i = 0; i < 12; ++i) a.PackedData()[i] = i + 1;  // A[r, c] = 4 (r - 1) + c
    auto packed = [&](const char* name) { return Var(name)->Type() == VT_MATRIX && Var(name)->Matrix().IsPacked(); };

    const struct {
        const char* text;
        double value;
    } reads[] = {{"A[2, 3]", 7}, {"A[3]", 9}, {"A[2.9, 4]", 8}, {"A[1, 1] + A[3, 4]", 13}, {"x = A[2, 2]", 6},
                 {"-A[1, 2] * A[2, 1]", -10}, {"A[3, 4] = -0.5", -0.5}, {"y = A[1, 4] = 2", 2}};
    for (const auto& r : reads) EXPECT_DOUBLE_EQ(Real(r.text), r.value) << r.text;
    EXPECT_TRUE(packed("A"));
    EXPECT_EQ(Var("y")->Real(), 2.0);

    const struct {
        const char* text;
        int rows, cols;
        std::vector<double> re;
    } blocks[] = {{"B = A[2..3, [4, 1]]", 2, 2, {8, 5, -0.5, 9}},
                  {"B = A[[3, 1]]", 2, 1, {9, 1}},
                  {"B = A[2, 1..4]", 1, 4, {5, 6, 7, 8}},
                  {"B = A[1..3, 2]", 3, 1, {2, 6, 10}}};
    for (const auto& b : blocks) {
        ASSERT_EQ(Eval(b.text), 0) << b.text;
        EXPECT_TRUE(packed("B")) << b.text;
        const Shape s = ShapeOf(*Var("B"));
        EXPECT_EQ(s.rows, b.rows) << b.text;
        EXPECT_EQ(s.cols, b.cols) << b.text;
        EXPECT_EQ(s.re, b.re) << b.text;
    }
    EXPECT_TRUE(packed("A"));

    // Growth fills with 0 and keeps every number where it was.
    ASSERT_EQ(Eval("A[4, 6] = 3"), 0);
    ASSERT_EQ(Eval("E[2, 3] = 1.5"), 0);
    ASSERT_EQ(Eval("v[2] = 1"), 0);
    ASSERT_EQ(Eval("v[4] = 4"), 0);
    ASSERT_EQ(Eval("w = A[1..4, 1]"), 0);
    ASSERT_EQ(Eval("w[6] = 7"), 0);
    ASSERT_EQ(Eval("C = A[1..2, 1..2]"), 0);
    ASSERT_EQ(Eval("D = C"), 0);
    for (const char* name : {"A", "E", "v", "w", "C", "D"}) EXPECT_TRUE(packed(name)) << name;
    EXPECT_EQ(ShapeOf(*Var("A")).re, (std::vector<double>{1, 2, 3, 2, 0, 0, 5, 6, 7, 8, 0, 0, 9, 10, 11, -0.5, 0, 0,
                                                           0, 0, 0, 0, 0, 3}));
    EXPECT_EQ(ShapeOf(*Var("E")).re, (std::vector<double>{0, 0, 0, 0, 0, 1.5}));
    EXPECT_EQ(ShapeOf(*Var("v")).re, (std::vector<double>{0, 1, 0, 4}));
    EXPECT_EQ(ShapeOf(*Var("w")).re, (std::vector<double>{1, 5, 9, 0, 0, 7}));
    EXPECT_EQ(ShapeOf(*Var("w")).cols, 1);

    ASSERT_EQ(Eval("C[2, 2] = 1 + 2i"), 0);
    EXPECT_FALSE(packed("C"));
    const Shape c = ShapeOf(*Var("C"));
    EXPECT_EQ(c.re, (std::vector<double>{1, 2, 5, 1}));
    EXPECT_EQ(c.im, (std::vector<double>{0, 0, 0, 2}));

    // Indices the plain road does not take still give their errors.
    const struct {
        const char* text;
        int code;
    } errors[] = {{"D[0, 1] = 1", 60}, {"D[1, -1]", 60}, {"D[\"a\"] = 1", 62}, {"D[[1, 2; 3, 4], 1]", 62}};
    for (const auto& e : errors) {
        EXPECT_EQ(Eval(e.text), e.code) << e.text;
        EXPECT_TRUE(packed("D")) << e.text;
    }
}

// The logical operators and ! of variables holding packed matrices give
// the numbers the same cells give, packed; a mixed pair takes the cell road.
TEST_F(ExprTest, PackedLogicOfVariables)
{
    CValueMatrix probe;
    if (!probe.ShapePacked(1, 1)) GTEST_SKIP() << "this build keeps every matrix in cells";
    const std::vector<double> a = {1, 0, NAN, -0.0, 2.5, -INFINITY}, b = {0, 0, 1, 1, NAN, 3};
    auto set = [&](const char* name, const std::vector<double>& d, bool packed) {
        ASSERT_EQ(Eval(std::string(name) + " = 0"), 0);
        CValueMatrix& m = Var(name)->MakeMatrix(0, 0);
        if (packed) {
            ASSERT_TRUE(m.ShapePacked(2, 3));
            for (int i = 0; i < 6; ++i) m.PackedData()[i] = d[(size_t)i];
        } else {
            ASSERT_TRUE(m.Resize(2, 3));
            for (int i = 0; i < 6; ++i) m.Cell(i / 3, i % 3).SetReal(d[(size_t)i]);
        }
    };
    set("P", a, true);
    set("Q", b, true);
    set("R", a, false);
    set("S", b, false);
    ASSERT_EQ(Eval("z = 0"), 0);
    const struct {
        const char *packed, *cells;
        bool stays;
    } cases[] = {{"L = P & Q", "M = R & S", true}, {"L = P | Q", "M = R | S", true}, {"L = P ~ Q", "M = R ~ S", true},
                 {"L = P & 1", "M = R & 1", true}, {"L = P | z", "M = R | z", true}, {"L = P ~ 1", "M = R ~ 1", true},
                 {"L = !P", "M = !R", true},        {"L = 1 ~ P", "M = 1 ~ R", true}, {"L = P & S", "M = R & S", false},
                 {"L = P & Q | P", "M = R & S | R", true}};
    for (const auto& k : cases) {
        ASSERT_EQ(Eval(k.packed), 0) << k.packed;
        ASSERT_EQ(Eval(k.cells), 0) << k.cells;
        if (k.stays) EXPECT_TRUE(Var("L")->Matrix().IsPacked()) << k.packed;
        EXPECT_EQ(ShapeOf(*Var("L")).re, ShapeOf(*Var("M")).re) << k.packed;
        ASSERT_TRUE(Var("P")->Matrix().IsPacked() && Var("Q")->Matrix().IsPacked()) << k.packed;
    }
}

TEST_F(ExprTest, StringTargets)
{
    ASSERT_EQ(Eval("s = \"abcd\""), 0);
    ASSERT_EQ(Eval("s[[2, 3]] = \"XY\""), 0);
    ASSERT_EQ(Eval("s[4] = \"z\""), 0);
    CValue* s = Var("s");
    ASSERT_EQ(s->Type(), (uint32_t)VT_STRING);
    std::string text;
    for (const CValue* c = s->Cells(); c->Type() == VT_CHAR; ++c) text += (char)c->CharCode();
    EXPECT_EQ(text, "aXYz");
    EXPECT_EQ(Eval("s[[1, 2]] = 5"), ERR_INVALID_OPERAND);
}

TEST_F(ExprTest, PointerCalls)
{
    CValue v;
    ASSERT_EQ(Eval("p = @twice", v), 0);
    EXPECT_EQ(v.Type(), (uint32_t)VT_POINTER);
    EXPECT_DOUBLE_EQ(Real("p(4)"), 8);
    EXPECT_EQ(Eval("p(4, 5)"), ERR_PROTOTYPE);
    ASSERT_EQ(Eval("q = @addk.1.2"), 0);
    EXPECT_DOUBLE_EQ(Real("q(1)"), 11);
    EXPECT_EQ(Eval("@twice.2"), ERR_POINTER_ADDRESS);

    // Anything that is not a live function is refused, never called.
    ASSERT_EQ(Eval("p = 5"), 0);
    EXPECT_EQ(Eval("p(1)"), ERR_FUNCTION_POINTER);
    CValue local;
    Var("p")->SetPointer(&local);
    EXPECT_EQ(Eval("p(1)"), ERR_FUNCTION_POINTER);
    Var("p")->SetPointer(nullptr);
    EXPECT_EQ(Eval("p(1)"), ERR_FUNCTION_POINTER);
}

TEST_F(ExprTest, LiteralsAndConstants)
{
    CValue v;
    ASSERT_EQ(Eval("\"a\"\"b\\n\\q\"", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_STRING);
    std::string text;
    for (const CValue* c = v.Cells(); c->Type() == VT_CHAR; ++c) text += (char)c->CharCode();
    EXPECT_EQ(text, "a\"b\n\\q");
    ASSERT_EQ(Eval("\"z\"", v), 0);
    EXPECT_EQ(v.Type(), (uint32_t)VT_CHAR);
    ASSERT_EQ(Eval("#12", v), 0);
    EXPECT_EQ(v.Type(), (uint32_t)VT_IDENTIFIER);
    EXPECT_EQ(v.Word(), 12u);
    ASSERT_EQ(Eval("<0102 0304>", v), 0);
    ASSERT_EQ(v.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(v.Cells()[0].CharCode(), 0x02);
    ASSERT_EQ(Eval("*", v), 0);
    EXPECT_TRUE(v.IsEmpty());
    ASSERT_EQ(Eval("[1+1, 2; 3, PI]", v), 0);
    EXPECT_EQ(ShapeOf(v).re[0], 2.0);
    EXPECT_EQ(Eval("[1, u]"), ERR_UNDEFINED_VARIABLE);
    EXPECT_DOUBLE_EQ(Real("{a=1, b = 2}.b + 1"), 3);
}

}  // namespace

namespace {

TEST_F(ExprTest, DeepChainsFailCleanly)
{
    ASSERT_EQ(Eval("x = 1"), 0);
    std::string text = "x";
    for (int i = 0; i < 200000; ++i) text += "[1]";
    StatusWord st = Eval(text);
    EXPECT_TRUE(st == 0 || st == ERR_STACK_OVERFLOW) << st;
}

}  // namespace
