// Handlers of indexing, field access, the prefix and postfix operators and the
// transpositions. They work on the handles that evaluation hands out: a Handle
// of smd may be written through, a Handle of const smd only read.
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "interpreter/expr_tree.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/read_only_params.h"
#include "values/matrix_families.h"
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

namespace {

// Set by a reader that wants only the value of the indexing node it is about
// to evaluate (no reference to write through); taken by that node.
thread_local bool t_indexRead = false;
// Likewise for an assignment whose own value is only read: its indexed
// targets may store straight into a packed matrix, since nothing will write
// through the reference the assignment would otherwise give.
thread_local bool t_assignRead = false;

// A plain index: a Real made 0-based, or -1 for anything the general road
// must look at (any other type, below 1, NaN, beyond an int).
int64_t PlainIndex(const CValue& v)
{
    if (v.Tag() != VT_REAL) return -1;
    const double t = std::trunc(v.Real());
    return t >= 1.0 && t <= (double)INT32_MAX ? (int64_t)t - 1 : -1;
}

// The numbers of an index vector read as element access reads them (down a
// single column, else along the first row; strict: only a row or a column),
// each below limit; false for anything the general road must look at.
bool PlainIndexVector(const CValue& v, bool strict, int64_t limit, std::vector<int64_t>& out)
{
    out.clear();
    if (v.Tag() != VT_MATRIX) {
        const int64_t k = PlainIndex(v);
        if (k < 0 || k >= limit) return false;
        out.push_back(k);
        return true;
    }
    const CValueMatrix& m = v.Matrix();
    if (m.Rows() == 0 || m.Cols() == 0) return false;
    const bool column = m.Cols() == 1;
    if (!column && m.Rows() != 1 && strict) return false;
    const int n = column ? m.Rows() : m.Cols();
    out.reserve((size_t)n);
    // A packed index is read in place, so that it stays packed.
    const double* p = m.PackedData();
    for (int i = 0; i < n; ++i) {
        int64_t k;
        if (p) {
            k = PlainIndex(CValue(p[column ? (size_t)i * (size_t)m.Cols() : (size_t)i]));
        } else {
            const CValue& c = column ? m.Cell(i, 0) : m.Cell(0, i);
            k = c.Type() == VT_REAL ? PlainIndex(CValue(c.Real())) : -1;
        }
        if (k < 0 || k >= limit) return false;
        out.push_back(k);
    }
    return true;
}

// Reading elements of a packed matrix that lie inside it: the numbers or a
// packed matrix of them, what the references to its cells would resolve to,
// without making it cells. False (result untouched) for anything else: other
// index types, an index that would grow the matrix or is refused.
bool ReadPacked(const CValue& target, const CValue* ix, int k, CValue& result)
{
    if (target.Type() != VT_MATRIX || (k != 1 && k != 2)) return false;
    const CValueMatrix& m = target.Matrix();
    const double* p = m.PackedData();
    if (!p) return false;
    const size_t cols = (size_t)m.Cols();
    if (k == 2 && ix[0].Tag() != VT_MATRIX && ix[1].Tag() != VT_MATRIX) {
        const int64_t r = PlainIndex(ix[0]), c = PlainIndex(ix[1]);
        if (r < 0 || c < 0 || r >= m.Rows() || c >= m.Cols()) return false;
        result.SetReal(p[(size_t)r * cols + (size_t)c]);
        return true;
    }
    if (k == 1 && ix[0].Tag() != VT_MATRIX) {
        const bool down = m.Rows() > 1;
        const int64_t i = PlainIndex(ix[0]);
        if (i < 0 || i >= (down ? m.Rows() : m.Cols())) return false;
        result.SetReal(p[down ? (size_t)i * cols : (size_t)i]);
        return true;
    }
    std::vector<int64_t> rows, cs;
    CValue out;
    CValueMatrix& o = out.MakeMatrix(0, 0);
    if (k == 1) {
        const bool down = m.Rows() > 1;
        if (!PlainIndexVector(ix[0], false, down ? m.Rows() : m.Cols(), rows)) return false;
        const int n = (int)rows.size();
        if (!(down ? o.ShapePacked(n, 1) : o.ShapePacked(1, n))) return false;
        double* t = o.PackedData();
        for (int i = 0; i < n; ++i) t[i] = p[down ? (size_t)rows[(size_t)i] * cols : (size_t)rows[(size_t)i]];
    } else {
        if (!PlainIndexVector(ix[0], true, m.Rows(), rows) || !PlainIndexVector(ix[1], true, m.Cols(), cs))
            return false;
        const int nr = (int)rows.size(), nc = (int)cs.size();
        if (!o.ShapePacked(nr, nc)) return false;
        double* t = o.PackedData();
        for (int i = 0; i < nr; ++i) {
            const double* from = p + (size_t)rows[(size_t)i] * cols;
            for (int j = 0; j < nc; ++j) *t++ = from[cs[(size_t)j]];
        }
    }
    result.Swap(out);
    return true;
}

// Writing a Real into one element of an empty or packed matrix, growing it
// packed as element access would grow it. False (nothing changed but an
// empty value made an empty matrix, as element access makes it) for anything
// else.
bool WritePacked(CValue& target, const CValue* ix, int k, double x)
{
    if (k != 1 && k != 2) return false;
    const int64_t i = PlainIndex(ix[0]), j = k == 2 ? PlainIndex(ix[1]) : 0;
    if (i < 0 || j < 0 || ix[0].Tag() == VT_MATRIX || (k == 2 && ix[1].Tag() == VT_MATRIX)) return false;
    if (target.Type() == VT_EMPTY) target.MakeMatrix(0, 0);
    if (target.Type() != VT_MATRIX) return false;
    CValueMatrix& m = target.Matrix();
    int64_t r = i, c = j;
    if (k == 1 && m.Rows() <= 1) r = 0, c = i;  // along the row, else down the first column
    if (!m.GrowPacked((int)r, (int)c)) return false;
    m.PackedData()[(size_t)r * (size_t)m.Cols() + (size_t)c] = x;
    return true;
}

}  // namespace

void NoteIndexRead(const ExprNode* node)
{
    const bool op = node && node->kind == EXPR_OPERATOR;
    t_indexRead = op && node->Handler() == OpIndex;
    t_assignRead = op && node->Handler() == OpAssign;
}

bool TakeAssignRead()
{
    return std::exchange(t_assignRead, false);
}

StatusWord OpIndex(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return IndexInto(ops, n, result, ctx, nullptr, nullptr);
}

StatusWord IndexInto(ExprNode** ops, int n, CValue& result, StatementContext* ctx, const CValue* source,
                     bool* written)
{
    const bool chainCopy = std::exchange(t_chainCopy, false);
    const bool forRead = std::exchange(t_indexRead, false);
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
            if (forRead && ReadPacked(*v, idx.data(), k, read)) {
                result.Swap(read);
                return 0;
            }
            if (v->ReadElement(idx.data(), k, read) == 0) {
                MakeReadOnly(read);
                result.Swap(read);
                return 0;
            }
        }
        if (!TakeOwnCopy(slot)) return ERR_INTERNAL;
    }
    if (StatusWord st = EvaluateChainBase(ops[0], result, ctx)) return st;
    if (result.Type() == VT_HANDLE) {
        CValue* target = result.HandleTarget();
        if (forRead && ReadPacked(*target, idx.data(), k, result)) return 0;
        if (source && source->Tag() == VT_REAL && WritePacked(*target, idx.data(), k, source->Real())) {
            *written = true;
            result.SetReal(source->Real());  // the value the assignment gives
            return 0;
        }
    }
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
    if (ops[0]->kind == EXPR_VARIABLE) {
        // A packed variable gives its result without a copy of itself first.
        const CValue* v = ops[0]->Variable()->value;
        if (v && v != &result && v->Type() == VT_MATRIX && v->Matrix().IsPacked()) {
            CValue r;
            if (PackedNotCopy(r.MakeMatrix(0, 0), v->Matrix())) {
                result.Swap(r);
                return 0;
            }
        }
    }
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
