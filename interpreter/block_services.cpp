// Block services that forward to the translator, the expression evaluator,
// the built-in call path and user functions. Until a piece is present its
// service fails cleanly with 84 (or answers "not a pointer"), so a statement
// module or a test never calls into nothing.
#include "interpreter/block.h"
#include "interpreter/expr_tree.h"
#include "interpreter/func_records.h"
#include "interpreter/program.h"
#include "interpreter/translator.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"

namespace {
constexpr StatusWord kServiceMissing = ERR_INTERNAL_SUPPORT;
}

// slot 10: TranslateBlock on this block.
StatusWord CStatementBlock::Translate(std::istream& in) { return TranslateBlock(this, in); }

// slot 12: ParseStreamExpression into a fresh holder, root handed out.
StatusWord CStatementBlock::ParseExpression(std::istream& in, ExprNode** root)
{
    CCompiledExpr holder;
    StatusWord status = ParseStreamExpression(in, this, &holder);
    if (root)
        *root = holder.Release();
    return status;
}

// slot 13
StatusWord CStatementBlock::Evaluate(ExprNode* tree, CValue* dest)
{
    if (!tree) return 0;
    StatusWord st = EvaluateNode(tree, *dest, this);
    if (!st) ResolveHandles(*dest);
    return st;
}

// slot 14
StatusWord CStatementBlock::EvaluateReference(ExprNode* tree, CValue** out)
{
    if (!tree) return 0;
    if (out) *out = nullptr;
    CValue scratch;
    if (StatusWord st = EvaluateNode(tree, scratch, this)) return st;
    if (scratch.Type() != VT_HANDLE) return ERR_NOT_LVALUE;
    if (out) *out = scratch.HandleTarget();
    return 0;
}

// slot 15
void CStatementBlock::FreeExpression(ExprNode* tree) { FreeExprNode(tree); }

// slots 18 and 19: the libraries' classifiers.
int CStatementBlock::ClassifyPointer(const void* target) { return ::ClassifyPointer(target); }
int CStatementBlock::ClassifyFunctionPointer(const void* target) { return ::ClassifyFunctionPointer(target); }

// slot 20
StatusWord CStatementBlock::CheckFunctionPointerArity(int kind, const void* target, int count)
{
    return ::CheckFunctionPointerArity(kind, target, count);
}

// slot 21: kind 1 through CallBuiltinFunction(entry, args, count, result, this),
// any other kind through CUserFunction::Call.
StatusWord CStatementBlock::CallFunctionPointer(int kind, const void* target, CValue** args, int count,
                                                CValue* result)
{
    if (!target) return ERR_FUNCTION_POINTER;
    if (kind == PTR_BUILTIN)
        return CallBuiltinFunction(static_cast<const FuncEntry*>(target), args, count, result, this);
    if (kind == PTR_USER_FUNCTION) {
        if (!result || !IsUserFunction(target)) return ERR_FUNCTION_POINTER;
        CUserFunction* f = static_cast<CUserFunction*>(const_cast<void*>(target));
        return f->Call(args, count, *result, this);
    }
    return ERR_FUNCTION_POINTER;
}

StatusWord CheckFunctionPointerArity(int kind, const void* target, int count)
{
    if (!target) return ERR_FUNCTION_POINTER;
    if (kind == PTR_BUILTIN) {
        const FuncEntry* e = static_cast<const FuncEntry*>(target);
        return CheckArityCounts(e->inputs, e->defaultCount, count, false);
    }
    if (kind == PTR_USER_FUNCTION && IsUserFunction(target)) {
        CUserFunction* f = static_cast<CUserFunction*>(const_cast<void*>(target));
        if (StatusWord s = CheckArityCounts(f->inputCount, f->DefaultCount(), count, true)) return s;
        return PrepareUserFunction(f);
    }
    return ERR_FUNCTION_POINTER;
}

// Built-in rows, user functions, and the variables of the global table and of
// the program units.
int ClassifyPointer(const void* target)
{
    if (!target) return PTR_OTHER;
    if (IsBuiltinFunctionEntry(target)) return PTR_BUILTIN;
    if (IsUserFunction(target)) return PTR_USER_FUNCTION;
    if (GlobalVariables.IndexOf(static_cast<const CVarSlot*>(target)) >= 0) return PTR_VARIABLE;
    // Variables of the live programs and user functions.
    for (CStatementBlock* b : ScopeBlocks.Snapshot())
        if (CVarTable* t = b->Vars())
            for (const CVarSlot* s : t->slots)
                if (s == target) return PTR_VARIABLE;
    return PTR_OTHER;
}

int ClassifyFunctionPointer(const void* target)
{
    if (target && IsBuiltinFunctionEntry(target)) return PTR_BUILTIN;
    if (IsUserFunction(target)) return PTR_USER_FUNCTION;
    return PTR_OTHER;
}
