#include <gtest/gtest.h>

#include <cstring>

#include "interpreter/block.h"
#include "interpreter/func_records.h"

namespace {

StatusWord Twice(CValue* a, CValue* out)
{
    out->SetReal(a->Real() * 2);
    return 0;
}

FuncEntry g_moduleRows[] = {
    {"twice", 1, 1, AsFuncHandler(&Twice), CALL_A1, "twice(X);\r\nDoubles", "twice(X)", 0, nullptr},
};
FuncEntry g_basicRows[] = {
    {"twice", 1, 1, AsFuncHandler(&Twice), CALL_A1, "", "", 0, nullptr},
    {"clock", 0, 1, nullptr, CALL_OUT, "", "", 0, nullptr},
    {"clock", 0, 6, nullptr, CALL_OUT, "", "", 0, nullptr},
    {"hidden", 0, 1, nullptr, CALL_OUT, "", "", 0, nullptr},  // present, not registered
};
FuncConstant g_constants[] = {{"PI", "", CValue(3.141592653589793)}, {"PI", "second", CValue(3.0)}};
FuncLibrary g_module{"Module", g_moduleRows, 1, nullptr, 0};
FuncLibrary g_basic{"Basic", g_basicRows, 3, g_constants, 2};

class Libraries : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFuncLibrary(&g_module);
        RegisterFuncLibrary(&g_basic);
    }
    void TearDown() override
    {
        UnregisterFuncLibrary(&g_module);
        UnregisterFuncLibrary(&g_basic);
    }
};

TEST_F(Libraries, VisibleRowsOnlyAreBuiltinEntries)
{
    EXPECT_TRUE(IsBuiltinFunctionEntry(&g_moduleRows[0]));
    EXPECT_TRUE(IsBuiltinFunctionEntry(&g_basicRows[2]));
    EXPECT_FALSE(IsBuiltinFunctionEntry(&g_basicRows[3]));
    EXPECT_FALSE(IsBuiltinFunctionEntry(reinterpret_cast<const char*>(&g_basicRows[1]) + 8));
    EXPECT_FALSE(IsBuiltinFunctionEntry(&g_basic));
    EXPECT_TRUE(IsRegisteredLibrary(&g_basic));

    CStatementBlock b;
    EXPECT_EQ(b.ClassifyFunctionPointer(&g_basicRows[0]), PTR_BUILTIN);
    EXPECT_EQ(b.ClassifyPointer(&g_basicRows[3]), PTR_OTHER);
    CVarSlot* gv = GlobalVariables.Add("g", true);
    EXPECT_EQ(b.ClassifyPointer(gv), PTR_VARIABLE);
    EXPECT_EQ(b.ClassifyFunctionPointer(gv), PTR_OTHER);
    GlobalVariables.Clear();
}

TEST_F(Libraries, SearchFollowsRegistrationOrder)
{
    // The module's row of the same name and arity comes first and hides the built-in one.
    const void* found = nullptr;
    EXPECT_EQ(FindBuiltinOverload("twice", 1, 1, found), nullptr);
    EXPECT_EQ(found, &g_moduleRows[0]);

    // Overloads of one name are told apart by their outputs.
    found = nullptr;
    EXPECT_EQ(FindBuiltinOverload("clock", 0, 6, found), nullptr);
    EXPECT_EQ(found, &g_basicRows[2]);
    found = nullptr;
    EXPECT_EQ(FindBuiltinOverload("clock", -1, -1, found), &g_basicRows[2]);
    found = nullptr;
    EXPECT_EQ(FindBuiltinOverload("hidden", -1, -1, found), nullptr);
    EXPECT_EQ(found, nullptr);
    found = nullptr;
    EXPECT_EQ(FindBuiltinOverload("Twice", 1, 1, found), nullptr);
    EXPECT_EQ(found, nullptr);

    const FuncConstant* pi = FindLibraryConstant("PI");
    ASSERT_NE(pi, nullptr);
    EXPECT_EQ(pi, &g_constants[0]);
    EXPECT_EQ(FindLibraryConstant("pi"), nullptr);

    std::vector<const FuncEntry*> rows;
    CollectBuiltinFunctions(rows);
    EXPECT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], &g_moduleRows[0]);
    std::vector<const FuncConstant*> consts;
    CollectBuiltinConstants(consts);
    EXPECT_EQ(consts.size(), 2u);
}

TEST_F(Libraries, HandlerRoundTripsThroughItsForm)
{
    const FuncEntry& e = g_moduleRows[0];
    ASSERT_EQ(e.form, CALL_A1);
    CValue a(4.0), out;
    EXPECT_EQ(FuncHandlerAs<FuncHandlerA1>(e.handler)(&a, &out), 0);
    EXPECT_EQ(out.Real(), 8.0);
}

}  // namespace
