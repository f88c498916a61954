// Handlers of assignment, compound assignment, the left-folding binary
// operators, the short-circuit operators and the range operator.
#include <algorithm>

#include "interpreter/expr_tree.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/stack_guard.h"
#include "values/matrix_families.h"
#include "values/numeric_path.h"
#include "values/operators.h"
#include "values/power.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

typedef int (*ValueOperation)(CValue& a, const CValue& b);

StatusWord ReadRangeOperand(const ExprNode* node, StatementContext* ctx, CValue& scratch, const CValue*& value)
{
    value = &scratch;
    NoteIndexRead(node);
    const StatusWord evaluated = EvaluateNode(node, scratch, ctx);
    NoteIndexRead(nullptr);
    if (StatusWord st = evaluated) return st;
    if (scratch.IsHandle())
        value = scratch.HandleTarget();
    else
        ResolveHandles(scratch);
    if (value->IsEmpty() && node && node->kind == EXPR_VARIABLE) return ERR_UNDEFINED_VARIABLE;
    return 0;
}

// ---- writing through handles ---------------------------------------------------------

StatusWord AssignToLValue(CValue& target, CValue& source, int keepSource)
{
    switch (target.Type()) {
    case VT_HANDLE: {
        CValue* ref = target.HandleTarget();
        if (keepSource == 0) {
            CValue moved;
            moved.Swap(source);
            *ref = static_cast<CValue&&>(moved);
        } else {
            *ref = source;
        }
        return 0;
    }
    case VT_MATRIX: {
        CValueMatrix& t = target.Matrix();
        bool same = source.Type() == VT_MATRIX && source.Matrix().Rows() == t.Rows() &&
                    source.Matrix().Cols() == t.Cols();
        for (int r = 0; r < t.Rows(); ++r)
            for (int c = 0; c < t.Cols(); ++c) {
                StatusWord st = same ? AssignToLValue(t.Cell(r, c), source.Matrix().Cell(r, c), keepSource)
                                     : AssignToLValue(t.Cell(r, c), source, 1);
                if (st) return st;
            }
        return 0;
    }
    case VT_STRING: {
        CValue* cells = target.Cells();
        if (!cells || cells[0].Type() != VT_HANDLE) return ERR_INVALID_OPERAND;
        if (source.Type() == VT_STRING) {
            const CValue* src = source.Cells();
            for (size_t i = 0; src && src[i].Type() == VT_CHAR && cells[i].Type() == VT_HANDLE; ++i)
                *cells[i].HandleTarget() = src[i];
            return 0;
        }
        if (source.Type() == VT_CHAR) {
            for (size_t i = 0; cells[i].Type() == VT_HANDLE; ++i) cells[i].HandleTarget()->SetChar((char)source.CharCode());
            return 0;
        }
        return ERR_INVALID_OPERAND;
    }
    default: return ERR_NOT_LVALUE;
    }
}

namespace {

// Whether op on v in place could see the program's stop half way through a
// walk over its cells. Packed numbers are made aside by the operators
// themselves; cells are changed where they are.
bool StopMayCutCells(const CValue& v)
{
    if (v.Type() != VT_MATRIX || !ThreadStopFlag()) return false;
    const CValueMatrix& m = v.Matrix();
    return !m.IsPacked() && (uint64_t)m.Rows() * (uint64_t)m.Cols() > kCellStopBlock;
}

StatusWord ApplyToLValue(CValue& target, const CValue& right, ValueOperation op)
{
    switch (target.Type()) {
    case VT_HANDLE: {
        CValue* ref = target.HandleTarget();
        if (ref->IsEmpty()) return ERR_UNDEFINED_VARIABLE;
        if (StopMayCutCells(*ref)) {
            // On a copy: a stop leaves the variable as it was.
            const bool noted = TakeOutOfMemory();
            CValue t(*ref);
            const bool refused = TakeOutOfMemory();
            if (noted || refused) NoteOutOfMemory();
            if (refused) return ERR_INTERNAL;
            if (int st = op(t, right)) return st;
            ref->Swap(t);
            return 0;
        }
        CInPlaceAside aside;
        return op(*ref, right);
    }
    case VT_MATRIX: {
        CValueMatrix& t = target.Matrix();
        bool same = right.Type() == VT_MATRIX && right.Matrix().Rows() == t.Rows() &&
                    right.Matrix().Cols() == t.Cols();
        for (int r = 0; r < t.Rows(); ++r)
            for (int c = 0; c < t.Cols(); ++c)
                if (StatusWord st = ApplyToLValue(t.Cell(r, c), same ? right.Matrix().Cell(r, c) : right, op))
                    return st;
        return 0;
    }
    default: return ERR_NOT_LVALUE;
    }
}

// Assignment and compound assignment share the walk over the targets; write
// stores the right side (or its cell) through one evaluated target.
// plain: an assignment whose value is only read, whose indexed targets may
// store a Real straight into a packed matrix.
template <class Write>
StatusWord AssignTargets(ExprNode** ops, int n, CValue& result, StatementContext* ctx, Write write, bool plain = false)
{
    CValue scratch;
    if (StatusWord st = EvaluateResolved(ops[n - 1], scratch, ctx)) return st;
    for (int i = n - 2; i >= 0; --i) {
        const ExprNode* t = ops[i];
        if (plain && t->kind == EXPR_OPERATOR && t->Handler() == OpIndex && scratch.Tag() == VT_REAL) {
            bool written = false;
            result.Clear();
            if (StatusWord st = CheckStackSpace()) return st;
            if (StatusWord st = IndexInto(t->operands, t->operandCount, result, ctx, &scratch, &written)) return st;
            if (!written)
                if (StatusWord st = write(result, scratch, i)) return st;
            continue;
        }
        if (t->kind != EXPR_MATRIX) {
            if (StatusWord st = EvaluateNode(t, result, ctx)) return st;
            if (StatusWord st = write(result, scratch, i)) return st;
            continue;
        }
        const ExprMatrix* m = t->Matrix();
        if (scratch.Type() == VT_MATRIX) {
            CValueMatrix& s = scratch.Matrix();
            int rows = std::min(m->rowCount, s.Rows()), cols = std::min(m->cols, s.Cols());
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c) {
                    if (StatusWord st = EvaluateNode(m->Cell(r, c), result, ctx)) return st;
                    if (StatusWord st = write(result, s.Cell(r, c), i)) return st;
                }
        } else {
            for (int r = 0; r < m->rowCount; ++r)
                for (int c = 0; c < m->cols; ++c) {
                    if (StatusWord st = EvaluateNode(m->Cell(r, c), result, ctx)) return st;
                    if (StatusWord st = write(result, scratch, 1)) return st;
                }
        }
    }
    return 0;
}

StatusWord CompoundAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx, ValueOperation op)
{
    return AssignTargets(ops, n, result, ctx,
                         [op](CValue& target, CValue& right, int) { return ApplyToLValue(target, right, op); });
}

// The variable's value when the node is a variable holding a matrix, else null.
const CValue* VariableMatrix(const ExprNode* node)
{
    if (!node || node->kind != EXPR_VARIABLE) return nullptr;
    const CValue* v = node->Variable()->value;
    return v && v->Type() == VT_MATRIX ? v : nullptr;
}

// x op y for two variables holding matrices of one shape, with op one of the
// element-wise four: the result's cells are made from x's directly instead of
// copying x first. Reading a variable has no side effects, so the order of
// the reads does not show. False when the operands do not qualify.
// The element-wise four as ElementOp; false for the other operations.
bool AsElementOp(ValueOperation op, ElementOp& eop)
{
    if (op == ValueAdd)
        eop = ELEM_ADD;
    else if (op == ValueSub)
        eop = ELEM_SUB;
    else if (op == ValueElemMul)
        eop = ELEM_MUL;
    else if (op == ValueElemDiv)
        eop = ELEM_DIV;
    else
        return false;
    return true;
}

// Whether every cell is a Real or Complex number.
bool NumbersOnly(const CValueMatrix& m)
{
    for (int r = 0; r < m.Rows(); ++r) {
        const CValue* row = m.Row(r);
        for (int c = 0; c < m.Cols(); ++c)
            if (!row[c].IsNumber()) return false;
    }
    return true;
}

// x * y for two variables holding matrices of numbers: the product is made
// aside anyway, so x is not copied first. False when the operands do not qualify.
bool ProductOfVariables(ExprNode** ops, CValue& result, StatusWord& status)
{
    if (ops[0]->kind != EXPR_VARIABLE || ops[1]->kind != EXPR_VARIABLE) return false;
    const CValue* a = VariableMatrix(ops[0]);
    const CValue* b = VariableMatrix(ops[1]);
    if (!a || !b || a == &result || b == &result) return false;
    CValue r;
    // Finite real numbers need no scan first: the gathering checks each cell.
    if (RealCellMatrixProduct(a->Matrix(), b->Matrix(), r.MakeMatrix(0, 0))) {
        status = 0;
        result.Swap(r);
        NoteResultWithoutHandles(result);  // Complex cells only
        return true;
    }
    if (!NumbersOnly(a->Matrix()) || !NumbersOnly(b->Matrix())) return false;
    status = NumericMatrixProduct(a->Matrix(), b->Matrix(), r.MakeMatrix(0, 0));
    if (!status) result.Swap(r);
    return true;
}

// The comparison an operation stands for; false for the other operations.
bool AsComparison(ValueOperation op, RelationalOp& rop)
{
    if (op == ValueCompareGreater) rop = REL_GT;
    else if (op == ValueCompareLess) rop = REL_LT;
    else if (op == ValueCompareGreaterEqual) rop = REL_GE;
    else if (op == ValueCompareLessEqual) rop = REL_LE;
    else if (op == ValueCompareEqual) rop = REL_EQ;
    else if (op == ValueCompareNotEqual) rop = REL_NE;
    else return false;
    return true;
}

// x op y comparing two variables that hold packed matrices of one shape:
// written straight into a new array instead of into a copy of x.
bool CompareTwoMatrices(ExprNode** ops, CValue& result, ValueOperation op, bool& allReal)
{
    RelationalOp rop;
    if (!AsComparison(op, rop)) return false;
    const CValue* a = VariableMatrix(ops[0]);
    const CValue* b = VariableMatrix(ops[1]);
    if (!a || !b || a == &result || b == &result) return false;
    CValue r;
    if (!PackedRelationalCopy(r.MakeMatrix(0, 0), a->Matrix(), b->Matrix(), rop)) return false;
    result.Swap(r);
    allReal = true;
    return true;
}

bool FoldTwoMatrices(ExprNode** ops, CValue& result, ValueOperation op, StatusWord& status, bool& allReal)
{
    ElementOp eop;
    if (!AsElementOp(op, eop)) {
        status = 0;
        return CompareTwoMatrices(ops, result, op, allReal);
    }
    const CValue* a = VariableMatrix(ops[0]);
    const CValue* b = VariableMatrix(ops[1]);
    if (!a || !b || a == &result || b == &result) return false;
    const CValueMatrix& A = a->Matrix();
    const CValueMatrix& B = b->Matrix();
    if (A.Rows() != B.Rows() || A.Cols() != B.Cols()) return false;
    CValue r;
    status = MatrixElementwiseCopy(r.MakeMatrix(0, 0), A, B, eop, &allReal);
    result.Swap(r);
    return true;
}

// The operation of a matrix with a Real scalar on the right, and whether its
// in-place loop stops at a failing cell; false for the other operations.
bool AsScalarOp(ValueOperation op, ScalarOp& sop, bool& stops)
{
    stops = true;
    if (op == ValueAdd) sop = SCALAR_ADD, stops = false;
    else if (op == ValueSub) sop = SCALAR_SUB, stops = false;
    else if (op == ValueMul) sop = SCALAR_MUL, stops = false;
    else if (op == ValueDiv) sop = SCALAR_DIV, stops = false;
    else if (op == ValueElemMul) sop = SCALAR_MUL;
    else if (op == ValueElemDiv) sop = SCALAR_DIV;
    else if (op == ValueCompareGreater) sop = SCALAR_GT;
    else if (op == ValueCompareLess) sop = SCALAR_LT;
    else if (op == ValueCompareGreaterEqual) sop = SCALAR_GE;
    else if (op == ValueCompareLessEqual) sop = SCALAR_LE;
    else if (op == ValueCompareEqual) sop = SCALAR_EQ;
    else if (op == ValueCompareNotEqual) sop = SCALAR_NE;
    else return false;
    return true;
}

// The value of a constant or a variable node, else null.
const CValue* PlainOperand(const ExprNode* node)
{
    if (!node) return nullptr;
    if (node->kind == EXPR_CONSTANT) return node->Constant();
    if (node->kind == EXPR_VARIABLE) return node->Variable()->value;
    return nullptr;
}

// x op s for a variable x holding a matrix and a constant or variable s
// holding a Real: the result's cells are made from x's directly instead of
// copying x first (reading either has no side effects). False when the
// operands do not qualify.
bool FoldMatrixWithScalar(ExprNode** ops, CValue& result, ValueOperation op, StatusWord& status, bool& allReal)
{
    ScalarOp sop;
    bool stops;
    if (!AsScalarOp(op, sop, stops)) return false;
    const CValue* a = VariableMatrix(ops[0]);
    const CValue* s = PlainOperand(ops[1]);
    if (!a || !s || a == &result || s == &result || s->Tag() != VT_REAL) return false;
    CValue r;
    status = MatrixScalarCopy(r.MakeMatrix(0, 0), a->Matrix(), *s, sop, op, stops, &allReal);
    result.Swap(r);
    return true;
}

// The logical operators as RelationalOp; false for the other operations.
bool AsLogicOp(ValueOperation op, RelationalOp& lop)
{
    if (op == ValueAnd) lop = LOGIC_AND;
    else if (op == ValueOr) lop = LOGIC_OR;
    else if (op == ValueXor) lop = LOGIC_XOR;
    else return false;
    return true;
}

// x op y for a logical op, x a variable holding a packed matrix and y one
// holding a packed matrix of its shape or a constant or variable holding a
// Real: the result is made from x's numbers without copying x first.
bool FoldPackedLogic(ExprNode** ops, CValue& result, ValueOperation op, bool& allReal)
{
    RelationalOp lop;
    if (!AsLogicOp(op, lop)) return false;
    const CValue* a = VariableMatrix(ops[0]);
    if (!a || a == &result || !a->Matrix().IsPacked()) return false;
    const CValue* b = VariableMatrix(ops[1]);
    const CValue* s = b ? nullptr : PlainOperand(ops[1]);
    if (b == &result || s == &result) return false;
    CValue r;
    if (!PackedLogicCopy(r.MakeMatrix(0, 0), a->Matrix(), b ? &b->Matrix() : nullptr, s, lop)) return false;
    result.Swap(r);
    allReal = true;
    return true;
}

// Later operands are read where they are, never copied. A result known to be
// a matrix of Real cells only is noted, so that it is not scanned for handles.
StatusWord LeftFold(ExprNode** ops, int n, CValue& result, StatementContext* ctx, ValueOperation op)
{
    int first = 1;
    StatusWord fused = 0;
    bool allReal = false;
    if (n >= 2 && (FoldTwoMatrices(ops, result, op, fused, allReal) ||
                   FoldMatrixWithScalar(ops, result, op, fused, allReal) || FoldPackedLogic(ops, result, op, allReal))) {
        if (fused) return fused;
        first = 2;
    } else if (StatusWord st = EvaluateResolved(ops[0], result, ctx, allReal)) {
        return st;
    }
    ElementOp eop = ELEM_ADD;
    const bool elementwise = AsElementOp(op, eop);
    CValue scratch;
    for (int i = first; i < n; ++i) {
        const CValue* right = nullptr;
        if (StatusWord st = ReadRangeOperand(ops[i], ctx, scratch, right)) return st;
        if (elementwise && allReal && right != &result && right->Type() == VT_MATRIX) {
            // What op does for two matrices, also telling the kind of the cells.
            if (StatusWord st = MatrixElementwise(result.Matrix(), right->Matrix(), eop, allReal)) return st;
            continue;
        }
        allReal = false;
        if (StatusWord st = op(result, *right)) return st;
    }
    if (allReal) NoteAllRealResult(result);
    return 0;
}

StatusWord ShortCircuit(ExprNode** ops, int n, CValue& result, StatementContext* ctx, bool isOr)
{
    // The truth is kept here, not in the result's cell: an operand's call may
    // move that cell (a Real's number lives in it).
    result.SetReal(0.0);
    double truth = 0.0;
    CValue scratch;
    StatusWord st = 0;
    for (int i = 0; i < n; ++i) {
        const CValue* v = nullptr;
        st = ReadRangeOperand(ops[i], ctx, scratch, v);
        if (!st) st = v->ToBoolean(truth);
        if (st) break;
        if (isOr ? truth != 0.0 : truth == 0.0) break;
    }
    result.SetReal(truth != 0.0 ? 1.0 : 0.0);
    return st;
}

}  // namespace

StatusWord AddToLValue(CValue& target, const CValue& right) { return ApplyToLValue(target, right, ValueAdd); }
StatusWord SubtractFromLValue(CValue& target, const CValue& right) { return ApplyToLValue(target, right, ValueSub); }
StatusWord MultiplyLValue(CValue& target, const CValue& right) { return ApplyToLValue(target, right, ValueMul); }
StatusWord DivideLValue(CValue& target, const CValue& right) { return ApplyToLValue(target, right, ValueDiv); }

namespace {

bool IsPlainText(const CValue& v) { return v.Tag() == VT_STRING || v.Tag() == VT_CHAR; }

// Whether evaluating the tree may change the variable of the slot, a local of
// its own scope: by an assignment or a step anywhere, a call that may take it
// by reference, or indexing or field access on it (which may grow it).
bool MayChange(const ExprNode* n, const CVarSlot* slot)
{
    if (!n) return false;
    switch (n->kind) {
    case EXPR_VARIABLE:
    case EXPR_CONSTANT:
    case EXPR_LIBRARY_CONSTANT: return false;
    case EXPR_MATRIX: {
        const ExprMatrix* m = n->Matrix();
        for (int r = 0; r < m->rowCount; ++r)
            for (int c = 0; c < m->cols; ++c)
                if (MayChange(m->Cell(r, c), slot)) return true;
        return false;
    }
    case EXPR_BUILTIN_CALL:
        for (int i = 0; i < n->operandCount; ++i)
            if (MayChange(n->operands[i], slot)) return true;
        return false;
    case EXPR_OPERATOR: {
        const OperatorHandler h = n->Handler();
        if (h == OpAssign || h == OpAddAssign || h == OpSubtractAssign || h == OpMultiplyAssign ||
            h == OpDivideAssign || h == OpPreIncrement || h == OpPreDecrement || h == OpPostIncrement ||
            h == OpPostDecrement)
            return true;
        if (h == OpIndex || h == OpField) {
            const ExprNode* root = n->operands[0];
            while (root && root->kind == EXPR_OPERATOR && root->operandCount > 0 &&
                   (root->Handler() == OpIndex || root->Handler() == OpField))
                root = root->operands[0];
            if (!root || root->kind != EXPR_VARIABLE || root->Variable() == slot) return true;
            if (h == OpField) return MayChange(n->operands[0], slot);  // the other operands are names
        }
        for (int i = 0; i < n->operandCount; ++i)
            if (MayChange(n->operands[i], slot)) return true;
        return false;
    }
    default: return true;  // user and pointer calls
    }
}

// a + b for a String a: appended in a's own block when both are text.
int AddOrAppend(CValue& a, const CValue& b)
{
    if (a.Tag() == VT_STRING && IsPlainText(b) && AppendText(a, b)) return 0;
    return ValueAdd(a, b);
}

// s = s + t for a variable s holding a String: t is appended to s's own cells
// instead of building the sum from a copy. t is read before s changes, and an
// error leaves s as it was, as the general road does. False when the
// statement has another form.
bool AppendAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx, StatusWord& status)
{
    if (n != 2) return false;
    const ExprNode* target = ops[0];
    const ExprNode* sum = ops[1];
    if (target->kind != EXPR_VARIABLE || sum->kind != EXPR_OPERATOR || sum->Handler() != OpAdd ||
        sum->operandCount != 2 || sum->operands[0]->kind != EXPR_VARIABLE ||
        sum->operands[0]->Variable() != target->Variable())
        return false;
    CVarSlot* slot = target->Variable();
    CValue* s = slot->value;
    CVarTable* vars = ctx ? ctx->Vars() : nullptr;
    if (!s || !slot->owned || slot->readOnly || (vars && vars->blocked) || s->Tag() != VT_STRING ||
        GlobalVariables.IndexOf(slot) >= 0 || MayChange(sum->operands[1], slot))
        return false;
    CValue scratch;
    const CValue* right = nullptr;
    if ((status = ReadRangeOperand(sum->operands[1], ctx, scratch, right)) != 0) return true;
    if (!IsPlainText(*right) || !AppendText(*s, *right)) {
        CValue sumValue(*s);
        if ((status = ValueAdd(sumValue, *right)) != 0) return true;
        *s = static_cast<CValue&&>(sumValue);
    }
    result.SetHandle(s);
    status = 0;
    return true;
}

}  // namespace

StatusWord OpAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    const bool plain = TakeAssignRead();
    StatusWord status = 0;
    if (AppendAssign(ops, n, result, ctx, status)) return status;
    return AssignTargets(ops, n, result, ctx, AssignToLValue, plain);
}

StatusWord OpAddAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return CompoundAssign(ops, n, result, ctx, AddOrAppend);
}
StatusWord OpSubtractAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return CompoundAssign(ops, n, result, ctx, ValueSub);
}
StatusWord OpMultiplyAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return CompoundAssign(ops, n, result, ctx, ValueMul);
}
StatusWord OpDivideAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return CompoundAssign(ops, n, result, ctx, ValueDiv);
}

#define VELDRA_FOLD_HANDLER(name, operation)                                         \
    StatusWord name(ExprNode** ops, int n, CValue& result, StatementContext* ctx)    \
    {                                                                                \
        return LeftFold(ops, n, result, ctx, operation);                             \
    }
VELDRA_FOLD_HANDLER(OpAdd, ValueAdd)
VELDRA_FOLD_HANDLER(OpSubtract, ValueSub)
namespace {
// x * y with y a variable: two variables holding numbers multiply without a
// copy of x, anything else folds as usual. Kept out of line, so that the
// handler's common road stays a bare jump.
__attribute__((noinline)) StatusWord MultiplyByVariable(ExprNode** ops, CValue& result, StatementContext* ctx)
{
    StatusWord status = 0;
    if (ProductOfVariables(ops, result, status)) return status;
    return LeftFold(ops, 2, result, ctx, ValueMul);
}
}  // namespace

StatusWord OpMultiply(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    if (n == 2 && ops[1]->kind == EXPR_VARIABLE) return MultiplyByVariable(ops, result, ctx);
    return LeftFold(ops, n, result, ctx, ValueMul);
}
VELDRA_FOLD_HANDLER(OpDivide, ValueDiv)
VELDRA_FOLD_HANDLER(OpArrayMultiply, ValueElemMul)
VELDRA_FOLD_HANDLER(OpArrayDivide, ValueElemDiv)
VELDRA_FOLD_HANDLER(OpPower, ValuePower)
VELDRA_FOLD_HANDLER(OpArrayPower, ValueArrayPower)
VELDRA_FOLD_HANDLER(OpElementXor, ValueXor)
VELDRA_FOLD_HANDLER(OpElementOr, ValueOr)
VELDRA_FOLD_HANDLER(OpElementAnd, ValueAnd)
VELDRA_FOLD_HANDLER(OpGreaterEqual, ValueCompareGreaterEqual)
VELDRA_FOLD_HANDLER(OpLessEqual, ValueCompareLessEqual)
VELDRA_FOLD_HANDLER(OpEqual, ValueCompareEqual)
VELDRA_FOLD_HANDLER(OpNotEqual, ValueCompareNotEqual)
VELDRA_FOLD_HANDLER(OpGreater, ValueCompareGreater)
VELDRA_FOLD_HANDLER(OpLess, ValueCompareLess)
#undef VELDRA_FOLD_HANDLER

StatusWord OpLogicalAnd(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return ShortCircuit(ops, n, result, ctx, false);
}

StatusWord OpLogicalOr(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    return ShortCircuit(ops, n, result, ctx, true);
}

StatusWord OpRange(ExprNode** ops, int n, CValue& result, StatementContext* ctx)
{
    if (n > 3 || n < 2) return ERR_OPERAND_COUNT;
    if (StatusWord st = EvaluateResolved(ops[0], result, ctx)) return st;
    CValue step(1.0), scratch;
    const CValue* stop = nullptr;
    if (n == 3) {
        if (StatusWord st = EvaluateResolved(ops[1], step, ctx)) return st;
    }
    if (StatusWord st = ReadRangeOperand(ops[n - 1], ctx, scratch, stop)) return st;
    return BuiltinFvec(&result, const_cast<CValue*>(stop), &step, &result);
}
