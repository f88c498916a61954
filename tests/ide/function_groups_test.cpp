// The function grouping behind the functions bar and the Function dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "builtins/libraries.h"
#include "interpreter/func_records.h"
#include "ide/help/function_groups.h"
#include "interpreter/basic_statements.h"
#include "interpreter/program.h"
#include "interpreter/statement_module.h"
#include "interpreter/translator.h"
#include "support/capture.h"

namespace {

StatusWord Dummy(CValue*, CValue* out)
{
    *out = CValue();
    return 0;
}

// A function module's library named like a built-in one in other case.
FuncEntry g_moduleRows[] = {
    {"zeta_mod", 1, 1, AsFuncHandler(Dummy), CALL_A1, "zeta_mod(x);\r\nA module function", "zeta_mod(x)", 0, nullptr},
    {"Alpha_mod", 1, 1, AsFuncHandler(Dummy), CALL_A1, "Alpha_mod(x);\r\nAnother", "Alpha_mod(x)", 0, nullptr},
};
FuncLibrary g_moduleLib = {"basic", g_moduleRows, 2, nullptr, 0};

// The module's library first, then the built-in ones, whatever an earlier
// test of the process left registered; that is restored at the end.
struct Libraries {
    bool builtinsBefore = false;
    Libraries()
    {
        for (FuncLibrary* lib : RegisteredLibraries()) builtinsBefore = builtinsBefore || lib == &BasicLibrary;
        if (builtinsBefore) UnregisterBuiltinLibraries();
        RegisterFuncLibrary(&g_moduleLib);
        RegisterBuiltinLibraries();
    }
    ~Libraries()
    {
        UnregisterBuiltinLibraries();
        UnregisterFuncLibrary(&g_moduleLib);
        if (builtinsBefore) RegisterBuiltinLibraries();
    }
};

}  // namespace

TEST(FunctionGroups, AModuleLibraryJoinsTheBuiltinGroupOfTheSameNameInAnyCase)
{
    Libraries libs;
    std::vector<FunctionGroup> groups = StandardFunctionGroups(nullptr);
    ASSERT_GE(groups.size(), 3u);
    EXPECT_EQ(groups.front().name, "All Standard");
    EXPECT_EQ(groups.back().name, "Local");
    int basic = FindFunctionGroup(groups, "BASIC");
    ASSERT_GE(basic, 0);
    EXPECT_EQ(groups[basic].name, "basic");  // the module registered first names it
    ASSERT_EQ(groups[basic].sources.size(), 2u);

    std::vector<FunctionRow> rows;
    int n = BuildFunctionRows(groups[basic], rows);
    EXPECT_EQ(n, BasicLibrary.count + 2);
    // Byte order: upper case before lower case.
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(std::strcmp(rows[i - 1].Name().c_str(), rows[i].Name().c_str()), 0) << i;
    bool alphaBeforeLower = false;
    for (const FunctionRow& r : rows) {
        if (r.Name() == "Alpha_mod") alphaBeforeLower = true;
        if (r.Name() == "abs") {
            EXPECT_TRUE(alphaBeforeLower);
        }
    }
    EXPECT_TRUE(alphaBeforeLower);

    // A source listed twice gives its rows once.
    FunctionGroup twice{"x", {FunctionSource::Library(&g_moduleLib), FunctionSource::AllBuiltins()}};
    std::vector<FunctionRow> all;
    BuildFunctionRows(twice, all);
    std::vector<FunctionRow> builtins;
    BuildFunctionRows(groups.front(), builtins);
    EXPECT_EQ(all.size(), builtins.size());
}

TEST(FunctionGroups, LocalHoldsTheProgramsUserFunctionsWithTheirPrototypes)
{
    Libraries libs;
    {
        std::vector<FunctionGroup> groups = StandardFunctionGroups(nullptr);
        std::vector<FunctionRow> rows;
        EXPECT_EQ(BuildFunctionRows(groups.back(), rows), 0);
    }
    CStatementModuleList::AddGroup(RegisterBasicStatements());
    CProgram program;
    CCaptureStream cap;
    std::istringstream in("% doubles\nfunction y = twice(x)\n  y = 2 * x;\nend\nfunction r = Add(a, b)\n r = a + b;\nend\n");
    ASSERT_EQ(TranslateBlock(&program, in), 0) << (cap.messages.empty() ? "" : cap.messages[0]);
    std::vector<FunctionGroup> groups = StandardFunctionGroups(&program);
    std::vector<FunctionRow> rows;
    ASSERT_EQ(BuildFunctionRows(groups.back(), rows), 2);
    EXPECT_EQ(rows[0].Name(), "Add");
    EXPECT_EQ(rows[1].Name(), "twice");
    EXPECT_EQ(rows[1].flags, FunctionRow::USER);
    EXPECT_EQ(rows[1].Prototype(), "y = twice(x)");
    const FuncEntry* abs = nullptr;
    std::vector<FunctionRow> all;
    BuildFunctionRows(groups.front(), all);
    for (const FunctionRow& r : all)
        if (r.Name() == "abs") abs = r.Entry();
    ASSERT_NE(abs, nullptr);
    FunctionRow absRow{FunctionRow::BUILTIN, abs};
    EXPECT_EQ(absRow.Description(), abs->help);
}
