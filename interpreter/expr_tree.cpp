// Expression nodes: construction, freeing, evaluation and the operator table.
#include "interpreter/expr_tree.h"

#include <cstring>
#include <new>
#include <vector>

#include "interpreter/stack_guard.h"
#include "interpreter/user_calls.h"
#include "values/app_settings.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

FuncConstant UndefinedValueConstant = {"*", "Undefined value", CValue()};

// ---- construction ----------------------------------------------------------------

ExprNode** AllocOperandArray(int count)
{
    if (count < 0) return nullptr;
    ExprNode** a = new (std::nothrow) ExprNode*[count > 0 ? count : 1];
    if (a)
        for (int i = 0; i < count; ++i) a[i] = nullptr;
    return a;
}

ExprNode* NewConstantNode(CValue&& value)
{
    CValue* v = new (std::nothrow) CValue(static_cast<CValue&&>(value));
    if (!v) return nullptr;
    ExprNode* n = new (std::nothrow) ExprNode;
    if (!n) {
        delete v;
        return nullptr;
    }
    n->kind = EXPR_CONSTANT;
    n->payload = v;
    return n;
}

ExprNode* NewLeafNode(int kind, const void* payload)
{
    ExprNode* n = new (std::nothrow) ExprNode;
    if (!n) return nullptr;
    n->kind = kind;
    n->payload = const_cast<void*>(payload);
    return n;
}

ExprNode* NewCallNode(int kind, const void* payload, ExprNode** args, int count)
{
    ExprNode* n = NewLeafNode(kind, payload);
    if (!n) return nullptr;
    n->operands = args;
    n->operandCount = count;
    return n;
}

ExprNode* NewOperatorNode(OperatorHandler handler, ExprNode** operands, int count)
{
    return NewCallNode(EXPR_OPERATOR, reinterpret_cast<const void*>(handler), operands, count);
}

ExprNode* NewFieldNode(ExprNode* structure, const std::string& name)
{
    ExprNode** ops = AllocOperandArray(3);
    std::string* text = new (std::nothrow) std::string(name);
    ExprNode* n = ops && text ? NewOperatorNode(OpField, ops, 3) : nullptr;
    if (!n) {
        delete[] ops;
        delete text;
        return nullptr;
    }
    ops[0] = structure;
    ops[1] = reinterpret_cast<ExprNode*>(text);
    ops[2] = reinterpret_cast<ExprNode*>(const_cast<std::string*>(InternName(name)));
    return n;
}

// ---- freeing -------------------------------------------------------------------------

// Iterative, so that long chains of indices or fields never exhaust the stack.
void FreeExprNode(ExprNode* node)
{
    std::vector<ExprNode*> pending;
    if (node) pending.push_back(node);
    while (!pending.empty()) {
        ExprNode* n = pending.back();
        pending.pop_back();
        switch (n->kind) {
        case EXPR_CONSTANT: delete n->Constant(); break;
        case EXPR_MATRIX: {
            ExprMatrix* m = n->Matrix();
            if (m) {
                for (int r = 0; r < m->rowCount; ++r) {
                    if (!m->rows[r]) continue;
                    for (int c = 0; c < m->cols; ++c)
                        if (m->rows[r][c]) pending.push_back(m->rows[r][c]);
                    delete[] m->rows[r];
                }
                delete[] m->rows;
                delete m;
            }
            break;
        }
        case EXPR_OPERATOR:
            if (n->Handler() == OpField && n->operandCount == 3) {
                if (n->operands[0]) pending.push_back(n->operands[0]);
                delete reinterpret_cast<std::string*>(n->operands[1]);
                break;
            }
            [[fallthrough]];
        case EXPR_BUILTIN_CALL:
        case EXPR_USER_CALL:
        case EXPR_POINTER_CALL:
            for (int i = 0; i < n->operandCount; ++i)
                if (n->operands[i]) pending.push_back(n->operands[i]);
            break;
        default: break;
        }
        delete[] n->operands;
        delete n;
    }
}

// ---- evaluation ------------------------------------------------------------------------

namespace {

const CValue kNoValue;

bool TableBlocked(StatementContext* ctx)
{
    CVarTable* t = ctx ? ctx->Vars() : nullptr;
    return t && t->blocked;
}

StatusWord EvaluateMatrixLiteral(const ExprMatrix* m, CValue& result, StatementContext* ctx)
{
    CValueMatrix& out = result.MakeMatrix(m->rowCount, m->cols);
    if (out.Rows() != m->rowCount || out.Cols() != m->cols) return ERR_INTERNAL_SUPPORT;
    for (int r = 0; r < m->rowCount; ++r)
        for (int c = 0; c < m->cols; ++c)
            if (StatusWord st = EvaluateResolved(m->Cell(r, c), out.Cell(r, c), ctx)) return st;
    return 0;
}

StatusWord EvaluatePointerCall(const ExprNode* node, CValue& result, StatementContext* ctx)
{
    const CVarSlot* slot = node->Variable();
    const CValue* v = slot ? slot->value : nullptr;
    if (!v || v->Type() != VT_POINTER || !v->Pointer()) return ERR_FUNCTION_POINTER;
    void* target = v->Pointer();
    switch (::ClassifyFunctionPointer(target)) {
    case PTR_BUILTIN: {
        const FuncEntry* e = static_cast<const FuncEntry*>(target);
        if (StatusWord st = CheckArityCounts(e->inputs, e->defaultCount, node->operandCount, false)) return st;
        return CallBuiltinNode(e, node->operands, node->operandCount, result, ctx);
    }
    case PTR_USER_FUNCTION: {
        CUserFunction* f = static_cast<CUserFunction*>(target);
        if (StatusWord st = ::CheckFunctionPointerArity(PTR_USER_FUNCTION, f, node->operandCount))
            return st;
        if (StatusWord st = PrepareUserFunction(f)) return st;
        return CallUserFunctionNode(f, node->operands, node->operandCount, result, ctx);
    }
    default:
        // Only live functions are ever called through a pointer.
        return ERR_FUNCTION_POINTER;
    }
}

// Set by a handler as its last act, read and cleared right after it returns;
// null at every other moment.
__thread const CValue* t_allRealResult __attribute__((tls_model("initial-exec"))) = nullptr;
// The same for a matrix known to hold no handle cells (of any other kinds).
__thread const CValue* t_noHandlesResult __attribute__((tls_model("initial-exec"))) = nullptr;

StatusWord Evaluate(const ExprNode* node, CValue& result, StatementContext* ctx, bool& allReal, bool& noHandles);

}  // namespace

void NoteAllRealResult(const CValue& result) { t_allRealResult = &result; }
void NoteResultWithoutHandles(const CValue& result) { t_noHandlesResult = &result; }
void ForgetAllRealResult() { t_allRealResult = nullptr; }

StatusWord EvaluateNode(const ExprNode* node, CValue& result, StatementContext* ctx)
{
    bool allReal, noHandles;
    return Evaluate(node, result, ctx, allReal, noHandles);
}

namespace {

StatusWord Evaluate(const ExprNode* node, CValue& result, StatementContext* ctx, bool& allReal, bool& noHandles)
{
    allReal = false;
    noHandles = false;
    result.Clear();
    if (!node) return 0;
    switch (node->kind) {
    case EXPR_CONSTANT: result.SetConstHandle(node->Constant()); return 0;
    case EXPR_LIBRARY_CONSTANT: result.SetConstHandle(&node->LibraryConstant()->value); return 0;
    case EXPR_VARIABLE: {
        const CVarSlot* slot = node->Variable();
        CValue* v = slot->value;
        if (!v)
            result.SetConstHandle(&kNoValue);
        else if (slot->readOnly || TableBlocked(ctx))
            result.SetConstHandle(v);
        else
            result.SetHandle(v);
        return 0;
    }
    default: break;
    }
    if (StatusWord st = CheckStackSpace()) return st;
    switch (node->kind) {
    case EXPR_MATRIX: return EvaluateMatrixLiteral(node->Matrix(), result, ctx);
    case EXPR_BUILTIN_CALL: {
        t_allRealResult = nullptr;
        t_noHandlesResult = nullptr;
        StatusWord st = CallBuiltinNode(node->Builtin(), node->operands, node->operandCount, result, ctx);
        allReal = t_allRealResult == &result && result.Type() == VT_MATRIX;
        noHandles = t_noHandlesResult == &result && result.Type() == VT_MATRIX;
        t_allRealResult = nullptr;
        t_noHandlesResult = nullptr;
        return st;
    }
    case EXPR_USER_CALL:
        return CallUserFunctionNode(node->UserFunction(), node->operands, node->operandCount, result, ctx);
    case EXPR_POINTER_CALL: return EvaluatePointerCall(node, result, ctx);
    case EXPR_OPERATOR: {
        t_allRealResult = nullptr;
        t_noHandlesResult = nullptr;
        StatusWord st = node->Handler()(node->operands, node->operandCount, result, ctx);
        allReal = t_allRealResult == &result && result.Type() == VT_MATRIX;
        noHandles = t_noHandlesResult == &result && result.Type() == VT_MATRIX;
        t_allRealResult = nullptr;
        t_noHandlesResult = nullptr;
        return st;
    }
    default: return ERR_INTERNAL_SUPPORT;
    }
}

}  // namespace

StatusWord EvaluateResolved(const ExprNode* node, CValue& result, StatementContext* ctx, bool& allReal)
{
    bool noHandles;
    NoteIndexRead(node);
    const StatusWord evaluated = Evaluate(node, result, ctx, allReal, noHandles);
    NoteIndexRead(nullptr);
    if (StatusWord st = evaluated) return st;
    if (!allReal && !noHandles) ResolveHandles(result);
    if (TakeOutOfMemory()) {
        // A copy was refused: what it holds goes back now, and the statement
        // reports the error once all its values are freed (the words need memory too).
        result.Clear();
        NoteOutOfMemory();
        return ERR_INTERNAL;
    }
    if (result.IsEmpty() && node && node->kind == EXPR_VARIABLE) return ERR_UNDEFINED_VARIABLE;
    return 0;
}

StatusWord EvaluateResolved(const ExprNode* node, CValue& result, StatementContext* ctx)
{
    bool allReal;
    return EvaluateResolved(node, result, ctx, allReal);
}

bool ExprYieldsValue(const ExprNode* node)
{
    if (!node) return false;
    switch (node->kind) {
    case EXPR_BUILTIN_CALL: return node->Builtin()->outputs != 0;
    case EXPR_USER_CALL: return UserFunctionYieldsValue(node->UserFunction());
    case EXPR_OPERATOR: {
        OperatorHandler h = node->Handler();
        return !(h == OpPreIncrement || h == OpPreDecrement || h == OpPostIncrement || h == OpPostDecrement ||
                 h == OpAssign || h == OpAddAssign || h == OpSubtractAssign || h == OpMultiplyAssign ||
                 h == OpDivideAssign);
    }
    default: return true;
    }
}

// ---- operator table ------------------------------------------------------------------------

const OperatorRecord OperatorTable[OPERATOR_COUNT] = {
    {"[]", OpIndex, 0, "Array indexing operation (element extraction)", "X[1,2]"},
    {".", OpField, 0, "Access to structure (structure field extraction)", "X.field"},
    {"+", OpUnaryPlus, 14, "Unary plus", "+X"},
    {"-", OpUnaryMinus, 14, "Unary minus", "-X"},
    {"!", OpNot, 14, "Unary not", "!X"},
    {"++", OpPreIncrement, 14, "Unary incrementation", "++X"},
    {"--", OpPreDecrement, 14, "Unary decrementation", "--X"},
    {"++", OpPostIncrement, 14, "Unary postscript incrementation", "X++"},
    {"--", OpPostDecrement, 14, "Unary postscript decrementation", "X--"},
    {"'", OpTranspose, 16, "Matrix transposition", "X'"},
    {".'", OpArrayTranspose, 16, "Array transposition", "X.'"},
    {"=", OpAssign, 2, "Store a value of the second evaluated expression to the first l-value operand", "X=Y"},
    {"+=", OpAddAssign, 3, "Add and store result to the first operand", "X+=Y"},
    {"-=", OpSubtractAssign, 3, "Subtract and store result to the first operand", "X-=Y"},
    {"*=", OpMultiplyAssign, 3, "Multiply and store result to the first operand", "X*=Y"},
    {"/=", OpDivideAssign, 3, "Divide and store result to the first operand", "X/=Y"},
    {"+", OpAdd, 12, "Addition operator", "X+Y"},
    {"-", OpSubtract, 12, "Subtraction operator", "X-Y"},
    {"*", OpMultiply, 13, "Multiplication operator", "X*Y"},
    {"/", OpDivide, 13, "Division operator", "X/Y"},
    {"<=", OpLessEqual, 11, "Relational operator", "X<=Y"},
    {">=", OpGreaterEqual, 11, "Relational operator", "X>=Y"},
    {"<", OpLess, 11, "Relational operator", "X<Y"},
    {">", OpGreater, 11, "Relational operator", "X>Y"},
    {"!=", OpNotEqual, 10, "Relational operator", "X!=Y"},
    {"==", OpEqual, 10, "Relational operator", "X==Y"},
    {"&", OpElementAnd, 7, "Element-wise logical \"AND\" operator", "X & Y"},
    {"|", OpElementOr, 5, "Element-wise logical \"OR\" operator", "X | Y"},
    {"~", OpElementXor, 6, "Element-wise logical \"XOR\" operator", "X ~ Y"},
    {"^", OpPower, 15, "Operation computes X raised to the power of Y", "X^Y"},
    {"..", OpRange, 4, "Operation generates the iteration vector from X to Y values with step S (or 1 by default)",
     "X..S..Y; X..Y"},
    {".*", OpArrayMultiply, 13, "Array-wise multiplication", "X.*Y"},
    {"./", OpArrayDivide, 13, "Array-wise division", "X./Y"},
    {".^", OpArrayPower, 15, "Array-wise power", "X.^Y"},
    {"&&", OpLogicalAnd, 9, "Logical operation \"AND\"", "X && Y"},
    {"||", OpLogicalOr, 8, "Logical operation \"OR\"", "X || Y"},
};

const OperatorRecord* MatchOperator(OperatorGroup group, const char*& text)
{
    int first, last;  // 0-based, inclusive
    switch (group) {
    case OPS_PREFIX: first = 2, last = 6; break;
    case OPS_POSTFIX: first = 7, last = 10; break;
    default: first = 11, last = OPERATOR_COUNT - 1; break;
    }
    const OperatorRecord* best = nullptr;
    size_t bestLen = 0;
    for (int i = first; i <= last; ++i) {
        size_t len = std::strlen(OperatorTable[i].symbol);
        if (len > bestLen && std::strncmp(text, OperatorTable[i].symbol, len) == 0) {
            best = &OperatorTable[i];
            bestLen = len;
        }
    }
    if (best) text += bestLen;
    return best;
}

const OperatorRecord* FindOperatorByHandler(OperatorHandler handler)
{
    for (const OperatorRecord& r : OperatorTable)
        if (r.handler == handler) return &r;
    return nullptr;
}
