#pragma once
// Expression trees: every expression is translated once into ExprNode records
// and evaluated by walking them. An operator node calls the handler that the
// operator table gives for its symbol.
#include <string>

#include "interpreter/block.h"
#include "interpreter/func_records.h"
#include "interpreter/status.h"
#include "values/value.h"

class CUserFunction;

enum ExprKind : int {
    EXPR_CONSTANT = 2,            // payload: owned CValue
    EXPR_MATRIX = 5,              // payload: owned ExprMatrix
    EXPR_LIBRARY_CONSTANT = 7,    // payload: FuncConstant (not owned)
    EXPR_VARIABLE = 8,            // payload: CVarSlot (not owned)
    EXPR_BUILTIN_CALL = 0x20,     // payload: FuncEntry (not owned); operands: arguments
    EXPR_USER_CALL = 0x30,        // payload: CUserFunction (not owned); operands: arguments
    EXPR_POINTER_CALL = 0x40,     // payload: CVarSlot holding a Pointer; operands: arguments
    EXPR_OPERATOR = 0xA0,         // payload: OperatorHandler; operands: owned trees
};

struct ExprNode;

// Called as handler(operands, operand count, result, context).
typedef StatusWord (*OperatorHandler)(ExprNode** operands, int count, CValue& result,
                                      StatementContext* context);

// Cells of a matrix literal: one allocation per row, each cell an owned tree.
struct ExprMatrix {
    ExprNode*** rows = nullptr;
    int cols = 0;
    int rowCount = 0;
    ExprNode* Cell(int r, int c) const { return rows[r][c]; }
};

struct ExprNode {
    int kind = 0;
    void* payload = nullptr;
    ExprNode** operands = nullptr;  // call and operator nodes only
    int operandCount = 0;

    CValue* Constant() const { return static_cast<CValue*>(payload); }
    ExprMatrix* Matrix() const { return static_cast<ExprMatrix*>(payload); }
    const FuncConstant* LibraryConstant() const { return static_cast<const FuncConstant*>(payload); }
    CVarSlot* Variable() const { return static_cast<CVarSlot*>(payload); }
    const FuncEntry* Builtin() const { return static_cast<const FuncEntry*>(payload); }
    CUserFunction* UserFunction() const { return static_cast<CUserFunction*>(payload); }
    OperatorHandler Handler() const { return reinterpret_cast<OperatorHandler>(payload); }
};

// The field-access node keeps, beside the structure tree, the field name as an
// owned text and the interned name; these two read its operands.
inline const std::string* FieldNameText(const ExprNode* n)
{
    return reinterpret_cast<const std::string*>(n->operands[1]);
}
inline const std::string* FieldInternedName(const ExprNode* n)
{
    return reinterpret_cast<const std::string*>(n->operands[2]);
}

// Node construction; null when the heap refuses. The operand array is taken over.
ExprNode* NewConstantNode(CValue&& value);
ExprNode* NewLeafNode(int kind, const void* payload);  // kinds 7 and 8
ExprNode* NewCallNode(int kind, const void* payload, ExprNode** args, int count);
ExprNode* NewOperatorNode(OperatorHandler handler, ExprNode** operands, int count);
ExprNode* NewFieldNode(ExprNode* structure, const std::string& name);
ExprNode** AllocOperandArray(int count);

// Frees a tree and everything it owns; null is allowed.
void FreeExprNode(ExprNode* node);

// The value of a node: constants, library constants and variables give handles
// (read-only for constants and while the variable table is blocked), calls and
// operators give their results.
StatusWord EvaluateNode(const ExprNode* node, CValue& result, StatementContext* context);

// Evaluation followed by handle resolution; an empty value from a variable is 50.
StatusWord EvaluateResolved(const ExprNode* node, CValue& result, StatementContext* context);
// As above; allReal tells whether the result is a matrix known to hold only
// Real cells (an operator said so), which then needs no resolution.
StatusWord EvaluateResolved(const ExprNode* node, CValue& result, StatementContext* context, bool& allReal);

// An operator's or built-in's handler's last act when its result is a matrix
// of Real cells only: the evaluation that called it skips the scan for handles.
void NoteAllRealResult(const CValue& result);
// Drops a note left by an argument's evaluation before a handler runs.
void ForgetAllRealResult();
// An operator handler's last act when its result is a matrix without handle
// cells (numbers of any kind): it is not scanned for them either.
void NoteResultWithoutHandles(const CValue& result);

// Whether an expression statement shows its value.
bool ExprYieldsValue(const ExprNode* node);

// Holder of one compiled expression; frees the tree with it.
class CCompiledExpr {
public:
    ExprNode* root = nullptr;
    CCompiledExpr() {}
    CCompiledExpr(const CCompiledExpr&) = delete;
    CCompiledExpr& operator=(const CCompiledExpr&) = delete;
    virtual ~CCompiledExpr() { FreeExprNode(root); }
    void Reset()
    {
        FreeExprNode(root);
        root = nullptr;
    }
    ExprNode* Release()
    {
        ExprNode* r = root;
        root = nullptr;
        return r;
    }
};

// The undefined value "*".
extern FuncConstant UndefinedValueConstant;

// ---- operator table -----------------------------------------------------------

struct OperatorRecord {
    const char* symbol;
    OperatorHandler handler;
    int precedence;
    const char* description;
    const char* example;
};

constexpr int OPERATOR_COUNT = 36;
extern const OperatorRecord OperatorTable[OPERATOR_COUNT];

enum OperatorGroup { OPS_PREFIX, OPS_POSTFIX, OPS_INFIX };

// Longest symbol of the group at the text; the first record wins among equals.
// Moves the text past the symbol; null (text unchanged) when none matches.
const OperatorRecord* MatchOperator(OperatorGroup group, const char*& text);
// The record of a handler, or null.
const OperatorRecord* FindOperatorByHandler(OperatorHandler handler);

// ---- handlers ---------------------------------------------------------------------
StatusWord OpIndex(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
// Indexing as the target of an assignment of source: a Real written into an
// empty or packed matrix is stored (written set, result the value); anything
// else gives the reference to write through, as OpIndex does.
StatusWord IndexInto(ExprNode** ops, int n, CValue& result, StatementContext* ctx, const CValue* source,
                     bool* written);
// The indexing node about to be evaluated is only read: it may give the value
// of a packed matrix's element instead of a reference to a cell.
void NoteIndexRead(const ExprNode* node);
// Whether the assignment being evaluated was noted as only read (and forget it).
bool TakeAssignRead();
StatusWord OpField(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpUnaryPlus(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpUnaryMinus(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpNot(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpPreIncrement(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpPreDecrement(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpPostIncrement(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpPostDecrement(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpTranspose(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpArrayTranspose(ExprNode** ops, int n, CValue& result, StatementContext* ctx);

StatusWord OpAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpAddAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpSubtractAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpMultiplyAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpDivideAssign(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpAdd(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpSubtract(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpMultiply(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpDivide(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpArrayMultiply(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpArrayDivide(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpPower(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpArrayPower(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpElementAnd(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpElementOr(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpElementXor(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpLessEqual(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpGreaterEqual(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpLess(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpGreater(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpNotEqual(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpEqual(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpLogicalAnd(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpLogicalOr(ExprNode** ops, int n, CValue& result, StatementContext* ctx);
StatusWord OpRange(ExprNode** ops, int n, CValue& result, StatementContext* ctx);

// Writes source through the handles of target; keepSource 0 lets the first
// handle take the source's payload over. 0, 48 or 49.
StatusWord AssignToLValue(CValue& target, CValue& source, int keepSource);
// referent op= right through the handles of target: 0, 48, 50 or the operation's status.
StatusWord AddToLValue(CValue& target, const CValue& right);
StatusWord SubtractFromLValue(CValue& target, const CValue& right);
StatusWord MultiplyLValue(CValue& target, const CValue& right);
StatusWord DivideLValue(CValue& target, const CValue& right);

// Evaluates a range operand: *value is the referent of a handle (no copy) or scratch.
StatusWord ReadRangeOperand(const ExprNode* node, StatementContext* context, CValue& scratch,
                            const CValue*& value);

// ---- built-in calls -----------------------------------------------------------------
// A call node's arguments into slots (defaults for missing trailing ones), then the call.
StatusWord CallBuiltinNode(const FuncEntry* entry, ExprNode** args, int count, CValue& result,
                           StatementContext* context);
