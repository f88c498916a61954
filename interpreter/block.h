#pragma once
// Statement blocks: the translated program is a tree of them. The block is
// also the interpreter's context interface: host callbacks (slots 1-9) that
// the program object and the IDE override, then the statement-context
// services (slots 10-21) through which statements, statement modules and
// built-in functions reach the interpreter. The order of the virtual
// functions below is a plug-in interface: never reorder or insert.
#include <istream>
#include <string>
#include <vector>

#include "interpreter/function_table.h"
#include "interpreter/statement.h"
#include "interpreter/status.h"
#include "interpreter/var_table.h"

struct ExprNode;
struct FuncEntry;

// A block's variables and user functions.
struct CBlockScope {
    CVarTable vars;
    CFunctionTable functions;
};

// Counts added since an earlier state, in this order; see Rollback.
struct CRollbackMark {
    int variables = 0;
    int functions = 0;
    int statements = 0;
};

// Kinds of function-pointer targets.
enum PointerKind : int {
    PTR_OTHER = 0,
    PTR_BUILTIN = 1,
    PTR_USER_FUNCTION = 2,
    PTR_VARIABLE = 4,
};

class CStatementBlock {
public:
    static constexpr uint32_t FLAG_OWNS_SCOPE = 0x100;
    static constexpr uint32_t FLAG_TRANSLATED = 0x200;

    int activeCount = 0;            // activations in progress
    CBlockScope* scope = nullptr;
    uint32_t flags = FLAG_OWNS_SCOPE;
    int startIndex = 0;             // first statement that runs
    std::vector<CStatement*> statements;  // owned, source order
    int pendingGotoLabel = -1;      // used on the context block only
    std::string sourceName;
    int textBase = 0;
    CStatementBlock* owner = nullptr;  // root whose host callbacks serve this block

    CStatementBlock();
    CStatementBlock(const CStatementBlock&) = delete;
    CStatementBlock& operator=(const CStatementBlock&) = delete;

    int Count() const { return (int)statements.size(); }
    CStatement* At(int i) const { return i >= 0 && i < Count() ? statements[i] : nullptr; }
    void Append(CStatement* st) { statements.push_back(st); }  // takes ownership
    // The block whose host callbacks and pending goto serve this one.
    CStatementBlock* Context() { return owner ? owner : this; }
    CVarTable* Vars() const { return scope ? &scope->vars : nullptr; }
    CFunctionTable* Functions() const { return scope ? &scope->functions : nullptr; }

    // Deletes the statements; an owning block also empties its variables and functions.
    void Clear();
    // Undoes the additions counted in the mark (zero statements leaves statements alone).
    void Rollback(const CRollbackMark& mark);
    // Makes this block use another block's scope instead of its own (nested bodies).
    void ShareScope(CStatementBlock* from);

    // ---- slot 0
    virtual ~CStatementBlock();

    // ---- host callbacks (1-9)
    virtual int GetKind();  // 1 block, 2 user function, 3 program
    // Before a built-in handler runs.
    virtual int OnEnterBuiltin(const FuncEntry* entry);
    // On the caller's root when a user function is entered, with the values
    // saved before its arguments were bound; at program start with none.
    virtual int OnEnterUserFunction(CStatementBlock* function, CSavedValue* saved, int savedCount);
    virtual int OnLeaveFunction();
    virtual int IsStopRequested();
    virtual bool IsDebugging();
    // 1 = execute the statement, 0 = skip it.
    virtual int DebugHook(CStatement* st, int index);
    // 0 = go on, non-zero = run the same statement again; may change *status.
    virtual int AfterStatement(CStatement* st, StatusWord* status);
    // Interruptible wait; 1 when the time ran out, 0 when woken (base: no wait, 0).
    virtual int WaitPause(int milliseconds);

    // ---- statement-context services (10-21), each defined with the layer that does the work
    virtual StatusWord Translate(std::istream& in);
    virtual StatusWord Run();
    // Parses one expression with this block as context; the caller owns *root.
    virtual StatusWord ParseExpression(std::istream& in, ExprNode** root);
    // 0 for a null tree (dest untouched); on success dest holds no handles.
    virtual StatusWord Evaluate(ExprNode* tree, CValue* dest);
    // Hands out the value a writable handle refers to; 48 for anything else.
    virtual StatusWord EvaluateReference(ExprNode* tree, CValue** out);
    virtual void FreeExpression(ExprNode* tree);
    virtual CVarSlot* AddVariable(const char* name, bool owned);
    // This block's table, then GlobalVariables.
    virtual CVarSlot* FindVariable(const char* name);
    virtual int ClassifyPointer(const void* target);          // PointerKind
    virtual int ClassifyFunctionPointer(const void* target);  // PointerKind
    virtual StatusWord CheckFunctionPointerArity(int kind, const void* target, int count);
    // kind 1: built-in call; otherwise a user-function call.
    virtual StatusWord CallFunctionPointer(int kind, const void* target, CValue** args, int count, CValue* result);
};

// Statements, modules and built-in handlers see their running block as this.
using StatementContext = CStatementBlock;

// Runs a block's statements from startIndex (see the run loop in execute.cpp).
StatusWord ExecuteStatements(CStatementBlock* block);

// Replaces handles in a value by plain copies: a handle by its referent, the
// handle cells of a matrix (nested too), the leading handle run of a string.
void ResolveHandles(CValue& v);

// A window on a block's variables for the call-stack and watch views.
class CEvalBlock {
public:
    CStatementBlock* owner;            // whose variables are shown
    CSavedValue* savedValues = nullptr;  // not owned
    int savedCount = 0;
    CStatementBlock* scratch = nullptr;  // owned; names of the owner's slots

    explicit CEvalBlock(CStatementBlock* ownerBlock);
    CEvalBlock(const CEvalBlock&) = delete;
    CEvalBlock& operator=(const CEvalBlock&) = delete;
    ~CEvalBlock();
    // Loads the saved values, or else copies the owner's current values.
    void Refresh();
};
