#include <gtest/gtest.h>

#include <sstream>

#include "fake_statements.h"
#include "interpreter/func_records.h"
#include "values/value_matrix.h"

namespace {

void AddStatements(CStatementBlock& b, int n)
{
    for (int i = 0; i < n; ++i) b.Append(new CFakeStatement(&b, nullptr, "s"));
}

TEST(StatementBlock, ConstructionDefaults)
{
    CStatementBlock b;
    EXPECT_EQ(b.activeCount, 0);
    EXPECT_EQ(b.startIndex, 0);
    EXPECT_EQ(b.pendingGotoLabel, -1);
    EXPECT_EQ(b.flags, CStatementBlock::FLAG_OWNS_SCOPE);
    EXPECT_NE(b.scope, nullptr);
    EXPECT_EQ(b.Context(), &b);
    EXPECT_EQ(b.GetKind(), 1);
    EXPECT_EQ(b.DebugHook(nullptr, 0), 1);
    CFakeStatement st(&b, nullptr, "s");
    EXPECT_EQ(st.labelId, -1);
    EXPECT_EQ(st.spanEnd, -1);
    EXPECT_EQ(st.owner, &b);
}

TEST(StatementBlock, ClearDeletesStatementsAndOwnedScope)
{
    CStatementBlock b;
    AddStatements(b, 3);
    b.AddVariable("x", true);
    b.Functions()->Append(new CStatementBlock());
    b.flags |= CStatementBlock::FLAG_TRANSLATED;
    int before = CFakeStatement::Destroyed();
    b.Clear();
    EXPECT_EQ(CFakeStatement::Destroyed() - before, 3);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(b.Vars()->Count(), 0);
    EXPECT_EQ(b.Functions()->Count(), 0);
    EXPECT_FALSE(b.flags & CStatementBlock::FLAG_TRANSLATED);
}

TEST(StatementBlock, RollbackTrimsEachPart)
{
    struct Case {
        CRollbackMark mark;
        int statements, variables, functions;
    } cases[] = {
        {{2, 1, 0}, 4, 1, 1},  // zero statements: statements untouched, the rest trimmed
        {{0, 0, 3}, 1, 3, 2},
        {{5, 5, 9}, 0, 0, 0},  // more than there are
    };
    for (const Case& c : cases) {
        CStatementBlock b;
        AddStatements(b, 4);
        for (const char* n : {"a", "b", "c"}) b.AddVariable(n, true);
        b.Functions()->Append(new CStatementBlock());
        b.Functions()->Append(new CStatementBlock());
        b.Rollback(c.mark);
        EXPECT_EQ(b.Count(), c.statements);
        EXPECT_EQ(b.Vars()->Count(), c.variables);
        EXPECT_EQ(b.Functions()->Count(), c.functions);
    }
}

TEST(StatementBlock, SharedScopeServesTheNestedBody)
{
    CStatementBlock root;
    {
        CStatementBlock body;
        body.ShareScope(&root);
        CVarSlot* s = body.AddVariable("i", true);
        EXPECT_EQ(root.FindVariable("i"), s);
        EXPECT_FALSE(body.flags & CStatementBlock::FLAG_OWNS_SCOPE);
    }
    EXPECT_NE(root.FindVariable("i"), nullptr);  // survives the body
}

TEST(StatementBlock, FindVariableFallsBackToGlobals)
{
    CStatementBlock b;
    CVarSlot* g = GlobalVariables.Add("gv", true);
    EXPECT_EQ(b.FindVariable("gv"), g);
    CVarSlot* local = b.AddVariable("gv", true);
    EXPECT_EQ(b.FindVariable("gv"), local);
    EXPECT_EQ(b.FindVariable("missing"), nullptr);
    GlobalVariables.Clear();
}

TEST(StatementBlock, ServicesWithoutATreeDoNothing)
{
    CStatementBlock b;
    CValue dest(3.0);
    EXPECT_EQ(b.Evaluate(nullptr, &dest), 0);
    EXPECT_EQ(dest.Real(), 3.0);
    CValue* out = &dest;
    EXPECT_EQ(b.EvaluateReference(nullptr, &out), 0);
    b.FreeExpression(nullptr);
    EXPECT_EQ(b.CallFunctionPointer(PTR_OTHER, &b, nullptr, 0, &dest), ERR_FUNCTION_POINTER);
}

TEST(FunctionPointerArity, BuiltinCounts)
{
    CValue def(1.0);
    FuncEntry withDefault{"f", 2, 1, nullptr, CALL_A2, "", "", 1, &def};
    FuncEntry any{"g", FUNC_ANY_INPUTS, 1, nullptr, CALL_VECTOR, "", "", 0, nullptr};
    FuncEntry variadic{"h", -2, 1, nullptr, CALL_VECTOR, "", "", 0, nullptr};
    FuncEntry exact{"k", 1, 1, nullptr, CALL_A1, "", "", 0, nullptr};
    struct Case {
        const FuncEntry* e;
        int n;
        StatusWord expect;
    } cases[] = {
        {&withDefault, 0, ERR_PROTOTYPE}, {&withDefault, 1, 0}, {&withDefault, 2, 0}, {&withDefault, 3, ERR_PROTOTYPE},
        {&any, 0, 0},                     {&any, 1000, 0},      {&variadic, 1, ERR_PROTOTYPE},
        {&variadic, 2, 0},                {&variadic, 9, 0},    {&exact, 0, ERR_PROTOTYPE},
        {&exact, 1, 0},
    };
    CStatementBlock b;
    for (const Case& c : cases)
        EXPECT_EQ(b.CheckFunctionPointerArity(PTR_BUILTIN, c.e, c.n), c.expect) << c.e->name << " " << c.n;
    EXPECT_EQ(b.CheckFunctionPointerArity(3, &exact, 1), ERR_FUNCTION_POINTER);
    EXPECT_EQ(b.CheckFunctionPointerArity(PTR_BUILTIN, nullptr, 1), ERR_FUNCTION_POINTER);
}

TEST(FunctionPointerArity, UserFunctionVariadicCountsOneLess)
{
    // f(x, rest...): input count -2, so one argument is enough.
    EXPECT_EQ(CheckArityCounts(-2, 0, 1, true), 0);
    EXPECT_EQ(CheckArityCounts(-2, 0, 0, true), ERR_PROTOTYPE);
    EXPECT_EQ(CheckArityCounts(-2, 0, 1, false), ERR_PROTOTYPE);
    EXPECT_EQ(CheckArityCounts(1, 1, 0, true), 0);  // f(a = 0) called as f()
}

TEST(ResolveHandles, ReplacesHandlesByCopies)
{
    CValue target(2.5);
    CValue h;
    h.SetHandle(&target);
    ResolveHandles(h);
    ASSERT_EQ(h.Type(), VT_REAL);
    EXPECT_EQ(h.Real(), 2.5);
    h.SetReal(9.0);
    EXPECT_EQ(target.Real(), 2.5);

    CValue m;
    CValueMatrix& mm = m.MakeMatrix(1, 2);
    mm.Cell(0, 0).SetConstHandle(&target);
    CValueMatrix& inner = mm.Cell(0, 1).MakeMatrix(1, 1);
    inner.Cell(0, 0).SetHandle(&target);
    ResolveHandles(m);
    EXPECT_EQ(m.Matrix().Cell(0, 0).Type(), VT_REAL);
    EXPECT_EQ(m.Matrix().Cell(0, 1).Matrix().Cell(0, 0).Type(), VT_REAL);

    CValue letter('q');
    CValue s;
    CValue* cells = s.AllocString(2);
    cells[0].SetHandle(&letter);
    cells[1].SetChar('z');
    ResolveHandles(s);
    EXPECT_EQ(s.Cells()[0].Type(), VT_CHAR);
    EXPECT_EQ(s.Cells()[0].CharCode(), 'q');
}

TEST(EvalBlock, ShowsOwnerOrSavedValues)
{
    CStatementBlock owner;
    owner.AddVariable("a", true)->value->SetReal(1.0);
    owner.AddVariable("b", true)->value->SetReal(2.0);
    CEvalBlock view(&owner);
    ASSERT_NE(view.scratch, nullptr);
    ASSERT_EQ(view.scratch->Vars()->Count(), 2);
    EXPECT_EQ(view.scratch->Vars()->At(1)->name, "b");
    view.Refresh();
    EXPECT_EQ(view.scratch->Vars()->At(0)->value->Real(), 1.0);

    int n = 0;
    CSavedValue* saved = owner.Vars()->SaveValues(n);
    owner.Vars()->At(0)->value->SetReal(50.0);
    view.savedValues = saved;
    view.savedCount = n;
    view.Refresh();
    EXPECT_EQ(view.scratch->Vars()->At(0)->value->Real(), 1.0);
    delete[] saved;
}

}  // namespace
