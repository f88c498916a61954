// Handlers of indexing, field access, the prefix and postfix operators and the
// transpositions. They work on the handles that evaluation hands out: a Handle
// of smd may be written through, a Handle of const smd only read.
#include <utility>
#include <vector>

#include "interpreter/expr_tree.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/read_only_params.h"
#include "values/stop_probe.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

// Element references taken from a read-only value stay read-only.
void MakeReadOnly(CValue& v)
{
    if (v.Type() == VT_HANDLE) {
        v.m_tag = VT_CONST_HANDLE;
    } else if (v.Type() == VT_MATRIX) {
        CValueMatrix& m = v.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c) MakeReadOnly(m.Cell(r, c));
    } else if (v.Type() == VT_STRING && v.Cells()) {
        for (CValue* c = v.Cells(); c->IsHandle(); ++c) c->m_tag = VT_CONST_HANDLE;
    }
}

StatusWord ApplyIndices(CValue& result, const CValue* idx, int n)
{
    switch (result.Type()) {
    case VT_HANDLE: return result.HandleTarget()->GetElement(idx, n, result);
    case VT_CONST_HANDLE: {
        StatusWord st = result.HandleTarget()->ReadElement(idx, n, result);
        if (!st) MakeReadOnly(result);
        return st;
    }
    default: break;
    }
    if (result.IsHandleMatrix()) {
        CValueMatrix& m = result.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c)
                if (StatusWord st = ApplyIndices(m.Cell(r, c), idx, n)) return st;
        return 0;
    }
    CValue scratch;
    scratch.Swap(result);
    StatusWord st = scratch.ReadElement(idx, n, result);
    ResolveHandles(result);
    return st;
}

StatusWord ApplyField(CValue& result, const std::string* name)
{
    switch (result.Type()) {
    case VT_MATRIX: {
        CValueMatrix& m = result.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c)
                if (StatusWord st = ApplyField(m.Cell(r, c), name)) return st;
        return 0;
    }
    case VT_STRUCT: {
        CStructField* f = result.Struct().Find(name);
        if (!f) return ERR_STRUCT_FIELD;
        CValue v;
        v.Swap(f->m_value);
        result.Swap(v);  // the structure goes with v
        return 0;
    }
    case VT_HANDLE: {
        CValue* target = result.HandleTarget();
        if (target->Type() != VT_STRUCT) target->MakeStruct();
        if (target->Type() != VT_STRUCT) return ERR_STRUCT_FIELD;
        CStructValue& s = target->Struct();
        CStructField* f = s.Find(name);
        if (!f) {
            f = s.Add(name);
            if (!f) return ERR_STRUCT_FIELD;
            f->m_value.SetReal(0.0);
        }
        result.SetHandle(&f->m_value);
        return 0;
    }
    case VT_CONST_HANDLE: {
        const CValue* target = result.HandleTarget();
        CStructField* f = target->Type() == VT_STRUCT ? target->Struct().Find(name) : nullptr;
        if (!f) return ERR_STRUCT_FIELD;
        result.SetConstHandle(&f->m_value);
        return 0;
    }
    default: return ERR_STRUCT_FIELD;
    }
}

// Increment or decrement through an l-value: 48 for anything that is not one.
StatusWord StepInPlace(CValue& v, bool up)
{
    switch (v.Type()) {
    case VT_MATRIX: {
        CValueMatrix& m = v.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c)
                if (StatusWord st = StepInPlace(m.Cell(r, c), up)) return st;
        return 0;
    }
    case VT_HANDLE: {
        CValue* t = v.HandleTarget();
        if (t->IsEmpty()) return ERR_UNDEFINED_VARIABLE;
        return up ? t->Increment() : t->Decrement();
    }
    default: return ERR_NOT_LVALUE;
    }
}

StatusWord PreStep(ExprNode** ops, CValue& result, StatementContext* ctx, bool up)
{
    if (StatusWord st = EvaluateNode(ops[0], result, ctx)) return st;
    return StepInPlace(result, up);
}

StatusWord PostStep(ExprNode** ops, CValue& result, StatementContext* ctx, bool up)
{
    CValue scratch;
    if (StatusWord st = EvaluateNode(ops[0], scratch, ctx)) return st;
    result = scratch;
    ResolveHandles(result);
    if (result.IsEmpty() && ops[0]->kind == EXPR_VARIABLE) return ERR_UNDEFINED_VARIABLE;
    return StepInPlace(scratch, up);
}

}  // namespace

namespace {

// In a chain such as p[i][j].f only the innermost node sees the variable. An
// outer node asks it, through this flag, for a copy of a read-only parameter
// rather than walking the whole chain again at every level (quadratic on long
// chains). Set right before the inner node's handler runs, taken at its entry.
thread_local bool t_chainCopy = false;

bool IsChainNode(const ExprNode* n)
{
    return n && n->kind == EXPR_OPERATOR && n->operandCount > 0 &&
           (n->Handler() == OpIndex || n->Handler() == OpField);
}

// The read-only slot this node reads straight from, if any.
CVarSlot* ChainRootToCopy(const ExprNode* base)
{
    if (!base || base->kind != EXPR_VARIABLE) return nullptr;
    CVarSlot* slot = base->Variable();
    return slot->readOnly ? slot : nullptr;
}

StatusWord EvaluateChainBase(const ExprNode* base, CValue& result, StatementContext* ctx)
{
    t_chainCopy = IsChainNode(base);
    StatusWord st = EvaluateNode(base, result, ctx);
    t_chainCopy = false;
    return st;
}

}  // namespace

StatusWord OpIndex(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    const bool chainCopy = std::exchange(t_chainCopy, false);
    int k = n - 1;
    std::vector<CValue> idx(k > 0 ? k : 1);
    for (int i = 0; i < k; ++i)
        if (StatusWord st = EvaluateResolved(ops[i + 1], idx[i], ctx)) return st;
    if (CVarSlot* slot = ChainRootToCopy(ops[0])) {
        // A parameter bound to the caller's value: reading in place gives what
        // its copy would when the value is already indexable and the indices lie
        // inside it. Anything else could grow the copy, so it gets one now.
        const CValue* v = slot->value;
        if (!chainCopy && k >= 1 && k <= 2 && (v->Type() == VT_MATRIX || v->Type() == VT_STRING)) {
            CValue read;
            if (v->ReadElement(idx.data(), k, read) == 0) {
                MakeReadOnly(read);
                result.Swap(read);
                return 0;
            }
        }
        if (!TakeOwnCopy(slot)) return ERR_INTERNAL;
    }
    if (StatusWord st = EvaluateChainBase(ops[0], result, ctx)) return st;
    return ApplyIndices(result, idx.data(), k);
}

StatusWord OpField(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    const bool chainCopy = std::exchange(t_chainCopy, false);
    if (CVarSlot* slot = ChainRootToCopy(ops[0])) {
        // As for indexing: an existing field reads in place, anything else
        // (which adds a field or makes a structure) works on a copy.
        const CValue* v = slot->value;
        const std::string* name = reinterpret_cast<const std::string*>(ops[2]);
        if (!chainCopy && v->Type() == VT_STRUCT) {
            if (CStructField* f = v->Struct().Find(name)) {
                result.SetConstHandle(&f->m_value);
                return 0;
            }
        }
        if (!TakeOwnCopy(slot)) return ERR_INTERNAL;
    }
    if (StatusWord st = EvaluateChainBase(ops[0], result, ctx)) return st;
    return ApplyField(result, reinterpret_cast<const std::string*>(ops[2]));
}

StatusWord OpUnaryPlus(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    return EvaluateResolved(ops[0], result, ctx);
}

StatusWord OpUnaryMinus(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    if (StatusWord st = EvaluateResolved(ops[0], result, ctx)) return st;
    return result.Negate();
}

StatusWord OpNot(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    if (StatusWord st = EvaluateResolved(ops[0], result, ctx)) return st;
    return result.Not();
}

StatusWord OpPreIncrement(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    return PreStep(ops, result, ctx, true);
}

StatusWord OpPreDecrement(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    return PreStep(ops, result, ctx, false);
}

StatusWord OpPostIncrement(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    return PostStep(ops, result, ctx, true);
}

StatusWord OpPostDecrement(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    return PostStep(ops, result, ctx, false);
}

StatusWord OpTranspose(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    // A variable is read where it is: the transpose only reads its operand.
    CValue scratch;
    const CValue* operand = nullptr;
    if (StatusWord st = ReadRangeOperand(ops[0], ctx, scratch, operand)) return st;
    return BuiltinTrans(const_cast<CValue*>(operand), &result);
}

StatusWord OpArrayTranspose(ExprNode** ops, int, CValue& result, StatementContext* ctx)
{
    CValue scratch;
    if (StatusWord st = EvaluateResolved(ops[0], scratch, ctx)) return st;
    if (scratch.Type() != VT_MATRIX) {
        result.Swap(scratch);
        return 0;
    }
    const CValueMatrix& m = scratch.Matrix();
    CValueMatrix& t = result.MakeMatrix(m.Cols(), m.Rows());
    if (t.Rows() != m.Cols() || t.Cols() != m.Rows()) return ERR_INTERNAL_SUPPORT;
    CCellStop stop;
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) {
            if (stop.After(1)) {
                result.Clear();
                return ERR_STOPPED;
            }
            t.Cell(j, i) = m.Cell(i, j);
        }
    return 0;
}
