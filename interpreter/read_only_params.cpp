// Which parameters of a user function its body can never change, and the
// binding of such a parameter to the caller's value without a copy.
#include "interpreter/read_only_params.h"

#include <new>

#include "interpreter/basic_statements.h"
#include "interpreter/expression_statements.h"
#include "interpreter/user_function.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

bool IsAssignment(OperatorHandler h)
{
    return h == OpAssign || h == OpAddAssign || h == OpSubtractAssign || h == OpMultiplyAssign ||
           h == OpDivideAssign;
}

bool IsStep(OperatorHandler h)
{
    return h == OpPreIncrement || h == OpPreDecrement || h == OpPostIncrement || h == OpPostDecrement;
}

bool ByReference(const CUserFunction* f, int i)
{
    return i < (int)f->byReference.size() && f->byReference[i];
}

// Collects the slots that a body may write; anything it cannot read makes
// every parameter writable.
struct WriteScan {
    std::vector<const CVarSlot*> written;
    bool unknown = false;

    void Expr(const ExprNode* n, bool write)
    {
        if (!n || unknown) return;
        switch (n->kind) {
        case EXPR_VARIABLE:
            if (write) written.push_back(n->Variable());
            return;
        case EXPR_CONSTANT:
        case EXPR_LIBRARY_CONSTANT: return;
        case EXPR_MATRIX: {  // as a target, [a, b] = ... writes every cell
            const ExprMatrix* m = n->Matrix();
            for (int r = 0; r < m->rowCount; ++r)
                for (int c = 0; c < m->cols; ++c) Expr(m->Cell(r, c), write);
            return;
        }
        case EXPR_BUILTIN_CALL:  // built-ins get copies or read in place
            for (int i = 0; i < n->operandCount; ++i) Expr(n->operands[i], false);
            return;
        case EXPR_USER_CALL: {
            const CUserFunction* g = n->UserFunction();
            for (int i = 0; i < n->operandCount; ++i) Expr(n->operands[i], g && ByReference(g, i));
            return;
        }
        case EXPR_POINTER_CALL:  // the target is not known: any argument may be a reference
            for (int i = 0; i < n->operandCount; ++i) Expr(n->operands[i], true);
            return;
        case EXPR_OPERATOR: {
            const OperatorHandler h = n->Handler();
            if (h == OpField) {  // the other operands are the field's name
                Expr(n->operands[0], write);
                return;
            }
            for (int i = 0; i < n->operandCount; ++i) {
                bool w = false;
                if (IsAssignment(h)) w = i < n->operandCount - 1;  // every operand but the value is a target
                else if (i == 0) w = IsStep(h) || (h == OpIndex && write);
                Expr(n->operands[i], w);
            }
            return;
        }
        default: unknown = true; return;
        }
    }

    void Block(const CStatementBlock& b)
    {
        for (const CStatement* st : b.statements) {
            if (unknown) return;
            if (auto* e = dynamic_cast<const CExpressionStatement*>(st)) {
                Expr(e->expr.root, false);
            } else if (auto* d = dynamic_cast<const CDisplayStatement*>(st)) {
                Expr(d->root, false);
            } else if (auto* p = dynamic_cast<const CPauseStatement*>(st)) {
                Expr(p->root, false);
            } else if (auto* f = dynamic_cast<const CForStatement*>(st)) {
                written.push_back(f->variable);
                Expr(f->startExpr.root, false);
                Expr(f->endExpr.root, false);
                Expr(f->stepExpr.root, false);
                Block(f->body);
            } else if (auto* w = dynamic_cast<const CWhileStatement*>(st)) {
                Expr(w->condition.root, false);
                Block(w->body);
            } else if (auto* i = dynamic_cast<const CIfStatement*>(st)) {
                Expr(i->condition.root, false);
                Block(i->thenBlock);
                Block(i->elseBlock);
            } else if (auto* s = dynamic_cast<const CSwitchStatement*>(st)) {
                Expr(s->selector.root, false);
                for (const CSwitchStatement::Case* c : s->cases) {
                    Expr(c->expr.root, false);
                    Block(c->block);
                }
                Block(s->defaultBlock);
            } else if (dynamic_cast<const CJumpStatement*>(st) || dynamic_cast<const CGotoStatement*>(st)) {
                // no values
            } else {
                unknown = true;  // clear, statement modules: anything may change
            }
        }
    }
};

bool Written(const WriteScan& scan, const CVarSlot* slot)
{
    for (const CVarSlot* s : scan.written)
        if (s == slot) return true;
    return false;
}

}  // namespace

const std::vector<unsigned char>& ReadOnlyParameters(CUserFunction* f)
{
    if (f->readOnlyFor == f->statements.data() && f->readOnlyStatements == f->statements.size())
        return f->readOnlyParameters;
    const int named = f->NamedParameters();
    f->readOnlyParameters.assign(named, 0);
    f->readOnlyFor = f->statements.data();
    f->readOnlyStatements = f->statements.size();
    WriteScan scan;
    scan.Block(*f);
    if (scan.unknown) return f->readOnlyParameters;
    for (int i = 0; i < named; ++i) {
        const CVarSlot* slot = f->ParameterSlot(i);
        if (!slot || ByReference(f, i) || Written(scan, slot)) continue;
        bool output = false;  // an output slot hands its value to the caller
        for (int k = 0; k < f->outputCount; ++k) output = output || f->OutputSlot(k) == slot;
        if (!output) f->readOnlyParameters[i] = 1;
    }
    return f->readOnlyParameters;
}

bool HasNoSideEffects(const ExprNode* n)
{
    if (!n) return true;
    switch (n->kind) {
    case EXPR_VARIABLE:
    case EXPR_CONSTANT:
    case EXPR_LIBRARY_CONSTANT: return true;
    case EXPR_MATRIX: {
        const ExprMatrix* m = n->Matrix();
        for (int r = 0; r < m->rowCount; ++r)
            for (int c = 0; c < m->cols; ++c)
                if (!HasNoSideEffects(m->Cell(r, c))) return false;
        return true;
    }
    case EXPR_BUILTIN_CALL:
        for (int i = 0; i < n->operandCount; ++i)
            if (!HasNoSideEffects(n->operands[i])) return false;
        return true;
    case EXPR_OPERATOR: {
        const OperatorHandler h = n->Handler();
        // Indexing and field access through a variable may grow it.
        if (IsAssignment(h) || IsStep(h) || h == OpIndex || h == OpField) return false;
        for (int i = 0; i < n->operandCount; ++i)
            if (!HasNoSideEffects(n->operands[i])) return false;
        return true;
    }
    default: return false;  // user and pointer calls
    }
}

CValue* TakeOwnCopy(CVarSlot* slot)
{
    if (!slot->readOnly) return slot->value;
    CValue* copy = new (std::nothrow) CValue(*slot->value);
    if (!copy) return nullptr;
    slot->value = copy;
    slot->owned = 1;
    slot->readOnly = 0;
    return copy;
}

