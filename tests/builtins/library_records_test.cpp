// The built-in libraries: registration order, table layout, constants,
// defaults, shadowing by an earlier library, and the call status rules.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "builtin_eval.h"

namespace {

const FuncEntry* FindRow(const FuncLibrary& lib, const char* name, int outputs = 1)
{
    for (int i = 0; i < lib.count; ++i)
        if (std::strcmp(lib.table[i].name, name) == 0 && lib.table[i].outputs == outputs) return &lib.table[i];
    return nullptr;
}

const FuncConstant* Constant(const char* name)
{
    const FuncConstant* c = FindLibraryConstant(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

using RecordsTest = BuiltinTest;

TEST_F(RecordsTest, BuiltinLibrariesAreRegisteredOnceInTheirOrder)
{
    RegisterBuiltinLibraries();  // a second call adds nothing
    std::vector<FuncLibrary*> libs = RegisteredLibraries();
    const std::vector<std::string> expected = {"Basic", "File Access", "Data Analysis",
                                               "Nonlinear Numerical Solutions", "Matrix and Algebra", "Polynomials"};
    // Other tests in this process may have registered libraries of their own.
    std::vector<std::string> names;
    for (FuncLibrary* l : libs)
        if (std::find(expected.begin(), expected.end(), l->name) != expected.end()) names.push_back(l->name);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(BasicLibrary.count, 111);
    EXPECT_EQ(BasicLibrary.constantCount, 7);
    EXPECT_EQ(FileAccessLibrary.constantCount, 8);
}

TEST_F(RecordsTest, BasicRowsStandInTheirPlaces)
{
    const struct {
        int row;
        const char* name;
        int inputs, outputs, form;
    } rows[] = {
        {0, "op_uplus", 1, 1, CALL_A1},      {2, "op_plus", -1, 1, CALL_VECTOR},
        {5, "op_divide", -1, 1, CALL_VECTOR}, {6, "op_power", 2, 1, CALL_A2},
        {15, "op_logxor", 2, 1, CALL_A2},    {16, "sin", 1, 1, CALL_A1},
        {43, "log", 1, 1, CALL_A1},          {44, "rnd", 1, 1, CALL_A1},
        {48, "mod", 2, 1, CALL_A2},          {53, "angle", 2, 1, CALL_A2},
        {55, "polar", 2, 1, CALL_A2},        {56, "qif", 3, 1, CALL_A3},
        {59, "rpow", 2, 1, CALL_A2},         {64, "gammaln", 1, 1, CALL_A1},
        {73, "isrecord", 2, 1, CALL_A2},     {77, "isninit", 1, 1, CALL_A1_CTX},
        {79, "isglobal", 1, 1, CALL_A1},     {80, "ishandle", 1, 1, CALL_A1},
        {82, "str2func", 1, 1, CALL_A1_CTX}, {83, "func2str", 1, 1, CALL_A1_CTX},
        {84, "num2str", 2, 1, CALL_A2},      {91, "sdelim", 3, 1, CALL_A3},
        {99, "float2bin", 2, 1, CALL_A2},    {100, "size", 1, 2, CALL_A1},
        {102, "col", 1, 1, CALL_A1},         {103, "feval", -1, 1, CALL_VECTOR_CTX},
        {104, "tick", 0, 1, CALL_OUT},       {105, "clock", 0, 1, CALL_OUT},
        {106, "clock", 0, 6, CALL_OUT},      {107, "trace", 2, 0, CALL_A2},
        {108, "error", 1, 0, CALL_A1},       {110, "RGB", 3, 1, CALL_A3},
    };
    for (const auto& r : rows) {
        const FuncEntry& e = BasicLibrary.table[r.row];
        EXPECT_STREQ(e.name, r.name) << r.row;
        EXPECT_EQ(e.inputs, r.inputs) << r.name;
        EXPECT_EQ(e.outputs, r.outputs) << r.name;
        EXPECT_EQ(e.form, r.form) << r.name;
    }
    // Every row is callable and documented as syntax, ";", CR LF, description.
    for (int i = 0; i < BasicLibrary.count; ++i) {
        const FuncEntry& e = BasicLibrary.table[i];
        EXPECT_NE(e.handler, nullptr) << e.name;
        EXPECT_NE(std::strstr(e.help, ";\r\n"), nullptr) << e.name;
        EXPECT_TRUE(IsBuiltinFunctionEntry(&e)) << e.name;
    }
    EXPECT_STREQ(FindRow(BasicLibrary, "op_plus")->help, "op_plus(X1,...);\r\nReturns the sum of the arguments");
    EXPECT_STREQ(FindRow(BasicLibrary, "op_plus")->prototype, "op_plus(X,Y)");
    EXPECT_STREQ(FindRow(BasicLibrary, "op_uplus")->help, "op_uplus(X);\r\nApplies the unary plus operation as function");
}

TEST_F(RecordsTest, ConstantsHoldTheirExactValues)
{
    EXPECT_TRUE(std::isinf(Constant("INF")->value.Real()));
    EXPECT_TRUE(std::isnan(Constant("NAN")->value.Real()));
    EXPECT_EQ(Constant("EPS")->value.Real(), std::ldexp(1.0, -52));
    EXPECT_EQ(Constant("PI")->value.Real(), 3.141592653589793);
    double e = Constant("EXP")->value.Real();
    uint64_t bits;
    std::memcpy(&bits, &e, sizeof bits);
    EXPECT_EQ(bits, 0x4005BF0A8B14576AULL);
    EXPECT_EQ(e, std::nextafter(std::exp(1.0), 3.0));
    EXPECT_EQ(Constant("DEG")->value.Real(), 0.017453292519943295);
    const CValue& endl = Constant("ENDL")->value;
    EXPECT_EQ(endl.Tag(), (uint32_t)VT_CHAR);
    EXPECT_EQ(endl.CharCode(), 10);
    EXPECT_STREQ(Constant("NAN")->description, "Not-a-Number");
    EXPECT_EQ(Constant("FILE_END")->value.Type(), (uint32_t)VT_IDENTIFIER);
    EXPECT_EQ(Constant("FILE_END")->value.Word(), 2u);
    EXPECT_EQ(Constant("CREATE_ALWAYS")->value.Real(), 1.0);
}

TEST_F(RecordsTest, DefaultsFillTheLastInput)
{
    const FuncEntry* num2str = FindRow(BasicLibrary, "num2str");
    ASSERT_EQ(num2str->defaultCount, 1);
    EXPECT_EQ(num2str->defaults[0].Real(), 6.0);
    const FuncEntry* sdelim = FindRow(BasicLibrary, "sdelim");
    std::string pairs;
    sdelim->defaults[0].GetText(pairs);
    EXPECT_EQ(pairs, "\"\"[](){}");
    EXPECT_EQ(FindRow(BasicLibrary, "int2bin")->defaults[0].Real(), 8.0);
    EXPECT_EQ(FindRow(BasicLibrary, "bin2float")->defaults[0].Real(), 2.0);
}

TEST_F(RecordsTest, HiddenRowsAreNotCallable)
{
    for (const char* name : {"intpoly", "qz", "_ode"}) {
        const void* found = nullptr;
        FindBuiltinOverload(name, -1, -1, found);
        EXPECT_EQ(found, nullptr) << name;
    }
}

// A stand-in for a function module's "abs" of the same arity.
StatusWord ModuleAbs(CValue*, CValue* out)
{
    out->SetReal(42.0);
    return 0;
}

TEST_F(RecordsTest, AnEarlierLibraryShadowsABuiltinOfTheSameArity)
{
    static FuncEntry rows[] = {{"abs", 1, 1, AsFuncHandler(ModuleAbs), CALL_A1, "abs(X);\r\nx", "abs(X)", 0, nullptr}};
    static FuncLibrary module = {"Module", rows, 1, nullptr, 0};
    UnregisterBuiltinLibraries();
    RegisterFuncLibrary(&module);
    RegisterBuiltinLibraries();
    EXPECT_EQ(EvalReal("abs(-3)"), 42.0);
    EXPECT_EQ(EvalReal("sqrt(9)"), 3.0);  // other names still reach the built-ins
    UnregisterFuncLibrary(&module);
    EXPECT_EQ(EvalReal("abs(-3)"), 3.0);
}

StatusWord WritesError(CValue*, CValue* out)
{
    ReportError() << "bad";
    out->SetReal(1.0);
    return 0;
}

StatusWord WarnsAndClears(CValue*, CValue* out)
{
    ReportWarning() << "careful";
    GetOutputStream()->ForgetCurrent();
    out->SetReal(1.0);
    return 0;
}

StatusWord Returns5(CValue* out)
{
    out->SetReal(5.0);
    return 0;
}

TEST_F(RecordsTest, CallStatusFollowsTheMessagesWritten)
{
    FuncEntry err = {"e", 1, 1, AsFuncHandler(WritesError), CALL_A1, "", "", 0, nullptr};
    FuncEntry warn = {"w", 1, 1, AsFuncHandler(WarnsAndClears), CALL_A1, "", "", 0, nullptr};
    FuncEntry unknown = {"u", 0, 1, AsFuncHandler(Returns5), 0x400, "", "", 0, nullptr};
    CValue a(1.0), out;
    CValue* args[] = {&a};
    EXPECT_EQ(CallBuiltinFunction(&err, args, 1, &out, &block), ERR_INTERNAL);
    EXPECT_EQ(CallBuiltinFunction(&warn, args, 1, &out, &block), 0);
    CValue none;
    EXPECT_EQ(CallBuiltinFunction(&unknown, args, 0, &none, &block), 0);
    EXPECT_TRUE(none.IsEmpty());
}

}  // namespace
