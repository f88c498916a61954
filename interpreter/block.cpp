#include "interpreter/block.h"

#include <new>

#include "values/app_settings.h"
#include "values/value_matrix.h"

CStatementBlock::CStatementBlock() { scope = new CBlockScope(); }

CStatementBlock::~CStatementBlock()
{
    for (CStatement* st : statements) delete st;
    statements.clear();
    if (flags & FLAG_OWNS_SCOPE) delete scope;
    scope = nullptr;
}

void CStatementBlock::Clear()
{
    for (CStatement* st : statements) delete st;
    statements.clear();
    flags &= ~FLAG_TRANSLATED;
    if ((flags & FLAG_OWNS_SCOPE) && scope) {
        scope->vars.Clear();
        scope->functions.Clear();
    }
}

void CStatementBlock::Rollback(const CRollbackMark& mark)
{
    for (int n = mark.statements; n > 0 && !statements.empty(); --n) {
        delete statements.back();
        statements.pop_back();
    }
    if (scope) {
        scope->vars.RemoveLast(mark.variables);
        scope->functions.RemoveLast(mark.functions);
    }
}

void CStatementBlock::ShareScope(CStatementBlock* from)
{
    if (!from || from->scope == scope) return;
    if (flags & FLAG_OWNS_SCOPE) delete scope;
    scope = from->scope;
    flags &= ~FLAG_OWNS_SCOPE;
}

// ---- host callbacks: a plain block has no host ---------------------------

int CStatementBlock::GetKind() { return 1; }
int CStatementBlock::OnEnterBuiltin(const FuncEntry*) { return 0; }
int CStatementBlock::OnEnterUserFunction(CStatementBlock*, CSavedValue*, int) { return 0; }
int CStatementBlock::OnLeaveFunction() { return 0; }
int CStatementBlock::IsStopRequested() { return 0; }
bool CStatementBlock::IsDebugging() { return false; }
int CStatementBlock::DebugHook(CStatement*, int) { return 1; }
int CStatementBlock::AfterStatement(CStatement*, StatusWord*) { return 0; }
int CStatementBlock::WaitPause(int) { return 0; }

// ---- services owned here --------------------------------------------------

StatusWord CStatementBlock::Run() { return ExecuteStatements(this); }

CVarSlot* CStatementBlock::AddVariable(const char* name, bool owned)
{
    if (!scope) return nullptr;
    return scope->vars.Add(name ? name : "", owned);
}

CVarSlot* CStatementBlock::FindVariable(const char* name)
{
    std::string_view n = name ? name : "";
    if (scope)
        if (CVarSlot* s = scope->vars.Find(n)) return s;
    return GlobalVariables.Find(n);
}

// ---- places in the source ------------------------------------------------

CSourcePosition* MakeSourcePosition(const CStatementBlock* block, int offset)
{
    if (!block) return new CSourcePosition(std::string(), 0, offset);
    return new CSourcePosition(block->sourceName, block->textBase, offset);
}

// ---- handle resolution ----------------------------------------------------

void ResolveHandles(CValue& v)
{
    if (v.IsHandle()) {
        // A value of nested cells may be far larger than its shape tells.
        if (!CopyFits(v)) {
            NoteOutOfMemory();
            v.Clear();
            return;
        }
        CValue copy(*v.HandleTarget());
        v = static_cast<CValue&&>(copy);
    } else if (v.Type() == VT_MATRIX) {
        ResolveMatrixHandles(v.Matrix());
    } else if (v.Type() == VT_STRING && v.Cells()) {
        ResolveHandleRun(v.Cells());
    }
}

// ---- call-stack view ------------------------------------------------------

CEvalBlock::CEvalBlock(CStatementBlock* ownerBlock) : owner(ownerBlock)
{
    scratch = new (std::nothrow) CStatementBlock();
    if (scratch && owner && owner->Vars() && scratch->Vars()) scratch->Vars()->CopyNames(*owner->Vars());
}

CEvalBlock::~CEvalBlock() { delete scratch; }

void CEvalBlock::Refresh()
{
    if (!scratch || !scratch->Vars()) return;
    if (savedValues)
        scratch->Vars()->LoadValues(savedValues, savedCount);
    else if (owner && owner->Vars())
        scratch->Vars()->CopyValuesFrom(*owner->Vars());
}
