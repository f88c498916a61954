// Function headers, arity, prototype texts and the overload searches.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/read_only_params.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "support/capture.h"

namespace {

struct Declared {
    int status;
    CUserFunction* f;
};

Declared Declare(CFunctionTable& table, const std::string& header)
{
    CUserFunction* f = AddUserFunction(&table);
    std::istringstream in(header);
    return {ParseFunctionDeclaration(f, in), f};
}

TEST(FunctionHeader, OutputsReferencesAndDefaults)
{
    CFunctionTable table;
    Declared d = Declare(table, " [a, b] = f(x, [y], z = 1)\n body");
    ASSERT_EQ(d.status, 0);
    CUserFunction* f = d.f;
    EXPECT_EQ(f->name, "f");
    EXPECT_EQ(f->outputCount, 2);
    EXPECT_EQ(f->inputCount, 3);
    ASSERT_EQ(f->DefaultCount(), 1);
    EXPECT_EQ(f->defaults[0].Real(), 1.0);
    // Outputs first, then parameters; a reference parameter's slot is not owned.
    ASSERT_EQ(f->Vars()->Count(), 5);
    const char* names[] = {"a", "b", "x", "y", "z"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f->Vars()->At(i)->name, names[i]);
    EXPECT_TRUE(f->ParameterSlot(0)->owned);
    EXPECT_FALSE(f->ParameterSlot(1)->owned);
    EXPECT_TRUE(f->ParameterSlot(2)->owned);
    EXPECT_FALSE(f->flags & CUserFunction::FLAG_NO_ASSIGN);
    // The body begins right after the header.
    EXPECT_EQ(f->bodyPos, (int)std::string(" [a, b] = f(x, [y], z = 1)").size());
}

TEST(FunctionHeader, ArityOfVariadicsAndDefaults)
{
    CFunctionTable table;
    CUserFunction* v = Declare(table, "f(x, rest...)").f;
    EXPECT_EQ(v->inputCount, -2);
    EXPECT_TRUE(v->AcceptsCount(1));
    EXPECT_TRUE(v->AcceptsCount(5));
    EXPECT_FALSE(v->AcceptsCount(0));

    CUserFunction* d = Declare(table, "f(a = 0)").f;
    EXPECT_TRUE(d->AcceptsCount(0));
    EXPECT_TRUE(d->AcceptsCount(1));
    EXPECT_FALSE(d->AcceptsCount(2));
    EXPECT_TRUE(d->flags & CUserFunction::FLAG_NO_ASSIGN);

    CUserFunction* p = Declare(table, "y = g(a, b)").f;
    EXPECT_FALSE(p->AcceptsCount(1));
    EXPECT_TRUE(p->AcceptsCount(2));
}

struct HeaderError {
    const char* header;
    const char* message;
};

TEST(FunctionHeader, RejectsWithOneMessage)
{
    const HeaderError cases[] = {
        {"g(a = 1, b)", "Error: All arguments following the first default argument must be also initialized"},
        {"h(a, a)", "Error: Output parameter already exists"},
        {"x = h(x)", "Error: Output parameter already exists"},
        {"k(a..., b)",
         "Error: Sign of variable number of parameters ('...') it should be located at the last parameter of formal "
         "argument list"},
        {"f()", "Error: Invalid argument name"},
        {"f(a, )", "Error: Invalid argument name"},
        {"f(1a)", "Error: Invalid argument name"},
        {"f([a)", "Error: Invalid declaration of argument as reference"},
        {"f(a = b)", "Error: Default value of argument must be a constant"},
        {"f(a = [1,)", "Error: Default value of argument must be a constant"},
        {"9f(a)", "Error: Invalid function name"},
        {"f", "Error: Invalid function name"},
        {"[a, 2] = f(x)", "Error: Invalid output parameter declaration"},
    };
    for (const HeaderError& c : cases) {
        CFunctionTable table;
        CCaptureStream cap;
        EXPECT_EQ(Declare(table, c.header).status, -1) << c.header;
        ASSERT_FALSE(cap.messages.empty()) << c.header;
        EXPECT_EQ(cap.messages.back(), c.message) << c.header;
        if (std::string(c.header) != "f(a = [1,)") {
            EXPECT_EQ(cap.messages.size(), 1u) << c.header;
        }
    }
}

TEST(Prototypes, UserFunctionTexts)
{
    CFunctionTable table;
    struct {
        const char* header;
        const char* text;
    } cases[] = {
        {"[a, b] = f(x, [y], z = 1.5)", "[a,b] = f(x, [y], z=1.5)"},
        {"y = g(s = \"hi\")", "y = g(s=\"hi\")"},
        {"h(x, rest...)", " h(x, rest...)"},
        {"q(rest...)", " q(rest...)"},
        {"[r] p(x)", "[r] p(x)"},
        {"y = pi(x = 3.14159265358979)", "y = pi(x=3.1415927)"},
    };
    for (const auto& c : cases) {
        Declared d = Declare(table, c.header);
        ASSERT_EQ(d.status, 0) << c.header;
        EXPECT_EQ(FormatUserPrototype(d.f), c.text);
    }
}

TEST(Prototypes, BuiltinTexts)
{
    CValue defaults[1];
    defaults[0].SetReal(2);
    FuncEntry plain{"sin", 1, 1, nullptr, CALL_A1, "", "", 0, nullptr};
    FuncEntry pair{"eig", 2, 2, nullptr, CALL_A2, "", "", 1, defaults};
    FuncEntry vararg{"max", -1, 0, nullptr, CALL_VECTOR, "", "", 0, nullptr};
    EXPECT_EQ(FormatFunctionPrototype(&plain), "[out] = sin(in1)");
    EXPECT_EQ(FormatFunctionPrototype(&pair), "[out1,out2] = eig(in1, in2=2)");
    EXPECT_EQ(FormatFunctionPrototype(&vararg), "max(in1, varg...)");
}

// A registered library whose "both" clashes with a user function.
StatusWord FakeHandler(CValue*, CValue* out)
{
    out->SetReal(1);
    return 0;
}
FuncEntry kFakeRows[] = {{"both", 1, 1, AsFuncHandler(FakeHandler), CALL_A1, "", "", 0, nullptr}};
FuncLibrary kFake{"fake", kFakeRows, 1, nullptr, 0};

TEST(OverloadSearch, FiltersSecondMatchAndBuiltins)
{
    CFunctionTable table;
    CUserFunction* one = Declare(table, "y = f(x)").f;
    CUserFunction* two = Declare(table, "y = f(x, z)").f;
    CUserFunction* both = Declare(table, "y = both(x)").f;

    CUserFunction* found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&table, "f", 1, -1, found), nullptr);
    EXPECT_EQ(found, one);
    found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&table, "f", 2, 1, found), nullptr);
    EXPECT_EQ(found, two);
    found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&table, "f", -1, -1, found), two);
    EXPECT_EQ(found, one);
    found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&table, "f", 1, 2, found), nullptr);
    EXPECT_EQ(found, nullptr);

    RegisterFuncLibrary(&kFake);
    {
        CCaptureStream cap;
        int flags = -1;
        EXPECT_EQ(CheckOverloadAmbiguity(&table, "f", 1, 1, &flags, true), one);
        EXPECT_EQ(flags, 0);
        EXPECT_EQ(CheckOverloadAmbiguity(&table, "both", 1, 1, &flags, true), both);
        EXPECT_EQ(flags, OVERLOAD_AMBIGUOUS);
        ASSERT_EQ(cap.messages.size(), 1u);
        EXPECT_EQ(cap.messages[0],
                  "Warning: Ambiguity of the overloaded function 'both' is detected; Ambiguity between y = both(x) and "
                  "[out] = both(in1)");
        table.RemoveLast();  // the user "both"
        EXPECT_EQ(CheckOverloadAmbiguity(&table, "both", 1, 1, &flags, false), &kFakeRows[0]);
        EXPECT_EQ(flags, OVERLOAD_BUILTIN);
        EXPECT_EQ(cap.messages.size(), 1u);
    }
    UnregisterFuncLibrary(&kFake);
}

TEST(OverloadSearch, LargeTablesFindWhatAScanFinds)
{
    // Overloads spread over a table past the size where it answers from an
    // index, with removals from the end and a function whose header is being
    // read when the search runs (the newest).
    CFunctionTable table;
    std::mt19937 rng(11);
    auto scan = [&](const std::string& name, int argc) {
        std::vector<CUserFunction*> all;
        for (int i = 0; i < table.Count(); ++i)
            if (CUserFunction* f = UserFunctionAt(&table, i); f && f->name == name && f->AcceptsCount(argc)) all.push_back(f);
        return all;
    };
    for (int step = 0; step < 600; ++step) {
        if (rng() % 5 == 0) {
            table.RemoveLast((int)(rng() % 3));
        } else {
            const int params = 1 + (int)(rng() % 2);
            std::string header = "y = f" + std::to_string(rng() % 40) + (params == 1 ? "(a)" : "(a, b)");
            ASSERT_EQ(Declare(table, header).status, 0);
        }
        for (int k = 0; k < 40; ++k)
            for (int argc = 1; argc <= 2; ++argc) {
                const std::string name = "f" + std::to_string(k);
                std::vector<CUserFunction*> all = scan(name, argc);
                CUserFunction* found = nullptr;
                CUserFunction* second = FindUserFunctionOverload(&table, name.c_str(), argc, -1, found);
                ASSERT_EQ(found, all.empty() ? nullptr : all[0]) << "step " << step << ", " << name;
                ASSERT_EQ(second, all.size() < 2 ? nullptr : all[1]) << "step " << step << ", " << name;
            }
    }
    // The newest function is found by the name its header gives it.
    CUserFunction* renamed = AddUserFunction(&table);
    CUserFunction* found = nullptr;
    FindUserFunctionOverload(&table, "late", 1, -1, found);
    EXPECT_EQ(found, nullptr);
    std::istringstream in("y = late(a)");
    ASSERT_EQ(ParseFunctionDeclaration(renamed, in), 0);
    FindUserFunctionOverload(&table, "late", 1, -1, found);
    EXPECT_EQ(found, renamed);
}

TEST(OverloadSearch, ProgramTableThenLibraryTables)
{
    CLibraryFunctionTable* lib = CreateLibraryTable("Global");
    CUserFunction* inLibrary = Declare(*lib, "y = g(x)").f;
    CFunctionTable program;
    CUserFunction* found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&program, "g", 1, 1, found), nullptr);
    EXPECT_EQ(found, inLibrary);
    CUserFunction* local = Declare(program, "y = g(x)").f;
    found = nullptr;
    EXPECT_EQ(FindUserFunctionOverload(&program, "g", 1, 1, found), inLibrary);
    EXPECT_EQ(found, local);
    EXPECT_TRUE(IsUserFunction(local));
    EXPECT_EQ(ClassifyFunctionPointer(inLibrary), PTR_USER_FUNCTION);
    EXPECT_EQ(ClassifyPointer(local->ParameterSlot(0)), PTR_VARIABLE);
    DeleteLibraryTables();
    EXPECT_TRUE(LibraryTables().empty());
}

// A body translated anew into the same statement storage (same count) is
// scanned again: the answer of the old body must not stay.
TEST(FunctionBody, NewBodyIsScannedAgainForTheParametersItChanges)
{
    CFunctionTable table;
    Declared d = Declare(table, "y = f(a)");
    ASSERT_EQ(d.status, 0);
    CStatementBlock* body = d.f;
    struct {
        const char* text;
        unsigned char readOnly;
    } bodies[] = {{" y = a;\nend", 1}, {" a = 2;\nend", 0}, {" y = -a;\nend", 1}};
    for (const auto& b : bodies) {
        for (CStatement* st : body->statements) delete st;
        body->statements.clear();
        std::istringstream in(b.text);
        ASSERT_EQ(body->Translate(in), 0) << b.text;
        ASSERT_EQ(body->Count(), 1) << b.text;
        ASSERT_EQ(ReadOnlyParameters(d.f).size(), 1u) << b.text;
        EXPECT_EQ(ReadOnlyParameters(d.f)[0], b.readOnly) << b.text;
    }
}

}  // namespace
