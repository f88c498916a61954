// Calling built-in functions: argument slots with defaults, the nine calling
// forms, the enter and leave hooks, and the error-message check.
#include <vector>

#include "interpreter/expr_tree.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

// Arguments the fixed forms read; the slot array is never shorter.
int FormArgumentCount(int form)
{
    switch (form) {
    case CALL_A1_CTX:
    case CALL_A1: return 1;
    case CALL_A2_CTX:
    case CALL_A2: return 2;
    case CALL_A3_CTX:
    case CALL_A3: return 3;
    default: return 0;
    }
}

int DeclaredInputs(const FuncEntry* e)
{
    if (e->inputs == FUNC_ANY_INPUTS) return 0;
    return e->inputs < 0 ? -e->inputs : e->inputs;
}

std::vector<FuncHandler>& ReadOnlyArgumentHandlers()
{
    static std::vector<FuncHandler>* handlers = new std::vector<FuncHandler>;
    return *handlers;
}

std::vector<FuncHandler>& ReadOnlyLoneArgumentHandlers()
{
    static std::vector<FuncHandler>* handlers = new std::vector<FuncHandler>;
    return *handlers;
}

bool HasReadOnlyLoneArgument(FuncHandler handler)
{
    for (FuncHandler h : ReadOnlyLoneArgumentHandlers())
        if (h == handler) return true;
    return false;
}

// A variable's matrix passed as it is to a handler that only reads it. A copy
// would hold the same cells, handle cells too (a copy keeps them as they are),
// so the matrix is not scanned for them.
CValue* ArgumentInPlace(const FuncEntry* entry, const ExprNode* arg, int count)
{
    if (!arg || arg->kind != EXPR_VARIABLE) return nullptr;
    CValue* v = arg->Variable()->value;
    if (!v || v->Type() != VT_MATRIX) return nullptr;
    if (!HasReadOnlyArguments(entry->handler) && !(count == 1 && HasReadOnlyLoneArgument(entry->handler)))
        return nullptr;
    return v;
}

}  // namespace

void DeclareReadOnlyArguments(FuncHandler handler) { ReadOnlyArgumentHandlers().push_back(handler); }
void DeclareReadOnlyLoneArgument(FuncHandler handler) { ReadOnlyLoneArgumentHandlers().push_back(handler); }

bool HasReadOnlyArguments(FuncHandler handler)
{
    for (FuncHandler h : ReadOnlyArgumentHandlers())
        if (h == handler) return true;
    return false;
}

StatusWord CallBuiltinFunction(const FuncEntry* entry, CValue** args, int count, CValue* out,
                               StatementContext* context)
{
    COutputStream* stream = GetOutputStream();
    stream->ForgetCurrent();  // takes the stream's lock for the moment it needs
    CStatementBlock* root = context ? context->Context() : nullptr;
    if (root) root->OnEnterBuiltin(entry);

    // Fixed forms read up to three arguments: pad a short array with empty values.
    CValue pad[3];
    CValue* fixed[3] = {&pad[0], &pad[1], &pad[2]};
    for (int i = 0; i < 3 && i < count; ++i)
        if (args[i]) fixed[i] = args[i];

    StatusWord st = 0;
    FuncHandler h = entry->handler;
    ForgetAllRealResult();
    if (h) {
        switch (entry->form) {
        case CALL_A1_CTX: st = FuncHandlerAs<FuncHandlerA1Ctx>(h)(fixed[0], out, context); break;
        case CALL_A2_CTX: st = FuncHandlerAs<FuncHandlerA2Ctx>(h)(fixed[0], fixed[1], out, context); break;
        case CALL_A3_CTX:
            st = FuncHandlerAs<FuncHandlerA3Ctx>(h)(fixed[0], fixed[1], fixed[2], out, context);
            break;
        case CALL_A1: st = FuncHandlerAs<FuncHandlerA1>(h)(fixed[0], out); break;
        case CALL_A2: st = FuncHandlerAs<FuncHandlerA2>(h)(fixed[0], fixed[1], out); break;
        case CALL_A3: st = FuncHandlerAs<FuncHandlerA3>(h)(fixed[0], fixed[1], fixed[2], out); break;
        case CALL_OUT: st = FuncHandlerAs<FuncHandlerOut>(h)(out); break;
        case CALL_VECTOR_CTX: st = FuncHandlerAs<FuncHandlerVectorCtx>(h)(args, count, out, context); break;
        case CALL_VECTOR: st = FuncHandlerAs<FuncHandlerVector>(h)(args, count, out); break;
        default: break;  // unknown form: nothing is called
        }
    }

    if (root) root->OnLeaveFunction();
    if (st == 0) {
        stream->Lock();
        COutputMessage* msg = stream->CurrentMessage();
        if (msg && msg->m_color == &RedTextColor) st = ERR_INTERNAL;
        stream->Unlock();
    }
    return st;
}

StatusWord CallBuiltinNode(const FuncEntry* entry, ExprNode** args, int count, CValue& result,
                           StatementContext* context)
{
    int n = DeclaredInputs(entry);
    int slotCount = count > n ? count : n;
    int allocated = slotCount;
    int need = FormArgumentCount(entry->form);
    if (allocated < need) allocated = need;

    std::vector<CValue> slots(allocated > 0 ? allocated : 1);
    std::vector<CValue*> ptrs(slots.size());
    for (size_t i = 0; i < slots.size(); ++i) ptrs[i] = &slots[i];

    for (int i = 0; i < count; ++i) {
        if (CValue* v = ArgumentInPlace(entry, args[i], count)) {
            ptrs[i] = v;
            continue;
        }
        if (StatusWord st = EvaluateResolved(args[i], slots[i], context)) return st;
    }

    // The defaults belong to the last inputs.
    int d = entry->defaultCount;
    for (int i = count; i < slotCount; ++i) {
        int k = d - n + i;
        if (entry->defaults && k >= 0 && k < d) slots[i] = entry->defaults[k];
    }
    return CallBuiltinFunction(entry, ptrs.data(), slotCount, &result, context);
}
