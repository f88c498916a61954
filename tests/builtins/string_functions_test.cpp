// The "Basic" library's text, conversion and function-pointer functions,
// called through expressions and directly.
#include <string>
#include <vector>

#include "builtin_eval.h"
#include "builtins/cell_walk.h"
#include "builtins/string_functions.h"
#include "test_context.h"
#include "values/char_cells.h"
#include "values/struct_value.h"

namespace {

using StringTest = BuiltinTest;

// "S:text" for a String, "C:x" for a Char, "B:" / "Y:" for their binary
// variants, vb::Text for anything else.
std::string Show(const CValue& v)
{
    std::string text;
    if (!ReadTextArgument(v, text)) return vb::Text(v);
    const char* kind = v.Type() == VT_CHAR ? (v.IsBinary() ? "Y:" : "C:") : (v.IsBinary() ? "B:" : "S:");
    return kind + text;
}

std::string Cells(const CValue& m)
{
    std::string s;
    for (int j = 0; j < m.Matrix().Cols(); ++j) s += (j ? "|" : "") + Show(m.Matrix().Cell(0, j));
    return s;
}

TEST_F(StringTest, SubstringsAndCase)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"smid(\"abcdef\",2,3)", "S:bcd"},   {"smid(\"abc\",3,5)", "C:c"},     {"smid(\"abcd\",2,-1)", "S:bcd"},
        {"smid(\"abc\",2,0)", "S:"},         {"smid(\"abc\",1.9,2)", "S:ab"},  {"smid(ENDL,1,1)", "C:\n"},
        {"sleft(\"abc\",0)", "S:"},          {"sleft(\"abc\",2)", "S:ab"},     {"sleft(\"abc\",-1)", "S:abc"},
        {"sleft(\"abc\",1e300)", "S:abc"},   {"sright(\"abc\",5)", "S:abc"},   {"sright(\"abc\",1)", "C:c"},
        {"sright(\"abc\",-2)", "S:abc"},     {"sright(\"abc\",2+0i)", "S:bc"},
        {"str2upper(\"abc-Xyz 9\")", "S:ABC-XYZ 9"}, {"str2lower(\"ABC-xYZ\")", "S:abc-xyz"},
        {"str2upper(ENDL)", "C:\n"},           {"smid(<61 62 63>,2,2)", "B:bc"},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        EXPECT_EQ(Show(v), c.expected) << c.text;
    }
    EXPECT_TRUE(cap.messages.empty());

    // Case mapping leaves codes outside the ASCII letters alone; a Matrix maps its cells.
    CValue x(std::string("a\xE0Z\xC0")), out;
    ASSERT_EQ(BuiltinStr2Upper(&x, &out), 0);
    EXPECT_EQ(Show(out), "S:A\xE0Z\xC0");
    CValue m;
    m.MakeMatrix(1, 2);
    m.Matrix().Cell(0, 0).SetString("ab");
    m.Matrix().Cell(0, 1).SetChar('C');
    ASSERT_EQ(BuiltinStr2Lower(&m, &out), 0);
    EXPECT_EQ(Cells(out), "S:ab|C:c");
}

TEST_F(StringTest, RefusedArgumentsReportTheirMessages)
{
    const struct {
        const char* text;
        int status;
        const char* message;  // "" = none
    } cases[] = {
        {"smid(\"abc\",4,1)", 10, "Error: String index is out of range"},
        {"smid(\"abc\",0,1)", 10, "Error: String index is out of range"},
        {"smid(\"\",1,1)", 10, "Error: String index is out of range"},
        {"smid(5,1,1)", 69, ""},
        {"smid(\"abc\",\"a\",1)", 69, ""},
        {"sleft(\"abc\",1+1i)", 69, ""},
        {"str2upper(1)", 69, ""},
        {"num2str(1,0)", 10, "Error: The precision argument must be a ranged integer within [1,17]"},
        {"num2str(1,18)", 10, "Error: The precision argument must be a ranged integer within [1,17]"},
        {"num2str(1,17.5)", 10, "Error: The precision argument must be a ranged integer within [1,17]"},
        {"num2str(1,NAN)", 10, "Error: The precision argument must be a ranged integer within [1,17]"},
        {"bin2int(<01>,0)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2int(<01>,53)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2int(<01>,-53)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2int(1,8)", 10, "Error: First parameter must be a binary string or byte"},
        {"int2bin([1;2])", 10, "Error: First parameter must be a row-vector of integers"},
        {"int2bin(\"a\")", 10, "Error: First parameter must be a row-vector of integers"},
        {"int2bin([1,2],60)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"int2bin(1,NAN)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2int(<ff>,NAN)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2int(<ff>,-INF)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"int2bin(1,-1e10)", 10, "Error: Second argument must be a ranged integer [-52;52], excluding 0"},
        {"bin2float(<01>,NAN)", 10, "Error: Second argument must be a ranged integer [1;3]"},
        {"bin2float(<01>,4)", 10, "Error: Second argument must be a ranged integer [1;3]"},
        {"bin2float(<01>,0)", 10, "Error: Second argument must be a ranged integer [1;3]"},
        {"bin2float(<01>,\"m\")", 10, "Error: Second argument must be a ranged integer"},
        {"bin2float(2,1)", 10, "Error: First parameter must be a binary string"},
        {"float2bin([1,\"a\"])", 10, "Error: First parameter must be a row-vector of reals"},
        {"float2bin([1,2],4)", 10, "Error: Second argument must be a ranged integer [1;3]"},
        {"sdelim(1,\",\")", 69, ""},
        {"sdelim(\"a,b\",2)", 69, ""},
        {"str2bin(1)", 69, ""},
        {"view2bin(\"a\")", 10, ""},
        {"bin2view(<01>)", 10, ""},
        {"str2num(1)", 69, ""},
        {"func2str(1)", 69, ""},
        {"str2func(1)", 69, ""},
        {"feval(1)", 10, "Error: First argument must be a pointer to a function"},
        {"feval(str2func(\"sin\"),1,2)", 63, ""},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue v;
        EXPECT_EQ(Eval(c.text, v), c.status) << c.text;
        if (*c.message) {
            ASSERT_EQ(cap.messages.size(), 1u) << c.text;
            EXPECT_EQ(cap.messages[0], c.message) << c.text;
        } else {
            EXPECT_TRUE(cap.messages.empty()) << c.text << ": " << cap.Text();
        }
    }
}

// An indexed assignment can leave any value in a string's cell: such a string
// is not text to the string functions, and its cells' payloads are left alone.
TEST_F(StringTest, StringsWithNonCharacterCellsAreRefused)
{
    std::vector<CValue> intruders;
    intruders.emplace_back(5.0);
    intruders.push_back(vb::Cx(1, 2));
    intruders.push_back(vb::Mat({{1, 2}}));
    intruders.push_back(vb::Str0("zz"));
    CValue st;
    st.MakeStruct().FieldValue("a").SetReal(1);
    intruders.push_back(st);
    CValue one(1.0), three(3.0), eight(8.0);
    for (bool binary : {false, true}) {
        for (const CValue& bad : intruders) {
            CValue x;
            if (binary) {
                const unsigned char b[] = {0x61, 0x62, 0x63};
                x.SetBinaryString(b, 3);
            } else {
                x.SetString("abc");
            }
            x.Cells()[1] = bad;
            CValue out;
            const std::string what = vb::Text(x);
            EXPECT_EQ(BuiltinStr2Upper(&x, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinStr2Lower(&x, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinSleft(&x, &three, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinSright(&x, &one, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinSmid(&x, &one, &three, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinStr2Bin(&x, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinBin2Str(&x, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_NE(BuiltinBin2Int(&x, &eight, &out), 0) << what;
            EXPECT_NE(BuiltinBin2Float(&x, &one, &out), 0) << what;
            // A matrix holding such a string fails the same way, cell by cell.
            CValue m;
            m.MakeMatrix(1, 2);
            m.Matrix().Cell(0, 0).SetString("ok");
            m.Matrix().Cell(0, 1) = x;
            EXPECT_EQ(BuiltinStr2Upper(&m, &out), ERR_ARGUMENT_TYPE) << what;
            EXPECT_EQ(BuiltinBin2Str(&m, &out), ERR_ARGUMENT_TYPE) << what;
            // The string itself is still intact.
            EXPECT_EQ(x.Cells()[0].CharCode(), 0x61);
            EXPECT_EQ(x.Cells()[1].Type(), bad.Type());
        }
    }
}

TEST_F(StringTest, NumberTextsAndParsing)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"num2str(1/3)", "S:0.333333"},  {"num2str(1/3,2)", "S:0.33"},    {"num2str(1/3,1.5)", "S:0.3"},
        {"num2str(2)", "C:2"},           {"num2str(PI,17)", "S:3.1415926535897931"},
        {"str2num(\"42\")", "42"},       {"str2num(\"[1,2;3,4]\")", "[1,2;3,4]"},
        {"str2num(\"1+2i\")", "1+2i"},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        EXPECT_EQ(Show(v), c.expected) << c.text;
    }

    // A Matrix of texts parses cell by cell; a bad text reports and fails.
    CValue m, out;
    m.MakeMatrix(1, 2);
    m.Matrix().Cell(0, 0).SetString("5");
    m.Matrix().Cell(0, 1).SetString("[6]");
    ASSERT_EQ(BuiltinStr2Num(&m, &out), 0);
    EXPECT_EQ(vb::Text(out), "[5,[6]]");
    CValue v;
    EXPECT_EQ(Eval("str2num(\"?x\")", v), 10);
    EXPECT_EQ(cap.messages.size(), 1u);
}

TEST_F(StringTest, SplittingKeepsBracketedAndQuotedParts)
{
    const struct {
        const char* text;
        const char* pieces;
    } cases[] = {
        {"sdelim(\"a,[b,c],d\",\",\")", "C:a|S:[b,c]|C:d"},
        {"sdelim(\"x,\"\"p,q\"\",y\",\",\")", "C:x|S:\"p,q\"|C:y"},
        {"sdelim(\"a,b,\",\",\")", "C:a|C:b|S:"},
        {"sdelim(\"\",\",\")", "S:"},
        {"sdelim(\"f(a,(b,c)),{d,e};g\",\",;\")", "S:f(a,(b,c))|S:{d,e}|C:g"},
        {"sdelim(\"a)b,c\",\",\")", "S:a)b|C:c"},
        {"sdelim(\"<a,b>,c\",\",\",\"<>\")", "S:<a,b>|C:c"},
        {"sdelim(\"[a,b],c\",\",\",\"\")", "S:[a|S:b]|C:c"},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX) << c.text;
        EXPECT_EQ(v.Matrix().Rows(), 1) << c.text;
        EXPECT_EQ(Cells(v), c.pieces) << c.text;
    }
}

TEST_F(StringTest, BinaryConversions)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"str2bin(\"ab\")", "B:ab"},                     {"str2bin(ENDL)", "Y:\n"},
        {"bin2str(<61 62>)", "S:ab"},                    {"bin2str(<61>)", "C:a"},
        {"bin2int(<01 02 ff>)", "[1,2,255]"},            {"bin2int(<01 02>,16)", "[513]"},
        {"bin2int(<ff 7f>,-8)", "[-1,127]"},             {"bin2int(ENDL)", "[10]"},
        // 36 bits fill five bytes: the last 4 bits make a field of their own.
        {"bin2int(int2bin([-1,5,-300],-12),-12)", "[-1,5,-300,0]"},
        {"bin2int(int2bin([3,1,2],2),2)", "[3,1,2,0]"},
        {"bin2float(float2bin([1.5,-2,1e300]))", "[1.5,-2,1e+300]"},
        {"bin2float(float2bin([0.25,3],1),1)", "[0.25,3]"},
        {"bin2float(<00 00 c0 3f>,1)", "[1.5]"},
        {"bin2float(float2bin(2,3),3)", "[2]"},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        EXPECT_EQ(Show(v), c.expected) << c.text;
    }
    CValue v;
    ASSERT_EQ(Eval("float2bin(1.5,1)", v), 0);
    ASSERT_EQ(v.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(vb::Codes(v), "0,0,192,63");
    ASSERT_EQ(Eval("int2bin([1,2,255])", v), 0);
    ASSERT_EQ(v.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(vb::Codes(v), "1,2,255");
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

TEST_F(StringTest, FunctionPointersByName)
{
    EXPECT_EQ(EvalReal("isptr(str2func(\"sin\"))"), 1);
    EXPECT_EQ(EvalReal("isptr(5)"), 0);
    EXPECT_EQ(EvalReal("feval(\"sin\",0)"), 0);
    EXPECT_EQ(EvalReal("feval(str2func(\"op_plus\"),1,2,3)"), 6);
    EXPECT_EQ(EvalReal("feval(\"op_minus\",8,2,2)"), 4);
    CValue v;
    ASSERT_EQ(Eval("func2str(str2func(\"sqrt\"))", v), 0);
    EXPECT_EQ(Show(v), "S:sqrt");
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();

    // An unknown name warns and gives a null pointer that no function accepts.
    ASSERT_EQ(Eval("str2func(\"nosuch\")", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_POINTER);
    EXPECT_EQ(v.Pointer(), nullptr);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Warning: Argument must be a valid function name");
    EXPECT_EQ(EvalReal("isptr(str2func(\"nosuch\"))"), 0);

    cap.Reset();
    ASSERT_EQ(Eval("func2str(str2func(\"nosuch\"))", v), 0);
    EXPECT_EQ(v.Tag(), (uint32_t)VT_STRING);
    EXPECT_EQ(StringLength(v.Cells()), 0u);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[1], "Warning: Argument must be a valid pointer to a function");

    cap.Reset();
    EXPECT_EQ(Eval("feval(\"nosuch\",1)", v), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Function is not declared or the function prototype is not suitable (nosuch)");

    // Matrices of names and pointers map cell by cell.
    CValue names, ptrs, back;
    names.MakeMatrix(1, 2);
    names.Matrix().Cell(0, 0).SetString("cos");
    names.Matrix().Cell(0, 1).SetString("abs");
    ASSERT_EQ(BuiltinStr2Func(&names, &ptrs, &block), 0);
    ASSERT_EQ(BuiltinFunc2Str(&ptrs, &back, &block), 0);
    EXPECT_EQ(Cells(back), "S:cos|S:abs");
    ASSERT_EQ(BuiltinIsPtr(&ptrs, &back), 0);
    EXPECT_EQ(vb::Text(back), "[1,1]");
}

TEST(FevalCall, CallsAUserFunctionWithTheRemainingArguments)
{
    RegisterBuiltinLibraries();
    TestContext ctx;
    std::vector<double> seen;
    CValue f = ctx.Function(2, [&](CValue** a, int n, CValue* r) {
        for (int i = 0; i < n; ++i) seen.push_back(a[i]->Real());
        r->SetReal(a[0]->Real() * 10 + a[1]->Real());
        return 0;
    });
    CallArgs args{f, CValue(1.0), CValue(2.0)};
    CValue out;
    ASSERT_EQ(BuiltinFeval(args.data(), args.count(), &out, &ctx), 0);
    EXPECT_EQ(seen, (std::vector<double>{1, 2}));
    EXPECT_EQ(out.Real(), 12);

    // The arity is checked before any call.
    CallArgs three{f, CValue(1.0), CValue(2.0), CValue(3.0)};
    EXPECT_EQ(BuiltinFeval(three.data(), three.count(), &out, &ctx), ERR_PROTOTYPE);
    EXPECT_EQ(ctx.calls, 1);

    // A pointer to something that is no function is refused.
    CValue notFunction;
    notFunction.SetPointer(&seen);
    CallArgs bad{notFunction};
    EXPECT_EQ(BuiltinFeval(bad.data(), bad.count(), &out, &ctx), ERR_FUNCTION_POINTER);
}

}  // namespace
