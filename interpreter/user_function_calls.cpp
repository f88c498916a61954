// Calls of user functions: overload search, argument binding, the run of the
// body and its outputs, and the prototype texts that messages show.
#include "interpreter/user_calls.h"

#include <cstring>
#include <new>
#include <sstream>

#include "interpreter/read_only_params.h"
#include "interpreter/scope_blocks.h"
#include "interpreter/user_function.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

// ---- search ---------------------------------------------------------------------

namespace {

bool Matches(const CUserFunction* f, const char* name, int argCount, int outCount)
{
    if (f->name != name) return false;
    if (argCount != -1 && !f->AcceptsCount(argCount)) return false;
    return outCount == -1 || f->outputCount == outCount;
}

CUserFunction* SearchTable(const CFunctionTable* table, const char* name, int argCount, int outCount,
                           CUserFunction*& found)
{
    if (!table) return nullptr;
    std::vector<int> candidates;
    table->Candidates(name, candidates);
    for (int i : candidates) {
        CUserFunction* f = UserFunctionAt(table, i);
        if (!f || !Matches(f, name, argCount, outCount)) continue;
        if (found) return f;
        found = f;
    }
    return nullptr;
}

}  // namespace

CUserFunction* FindUserFunctionOverload(CFunctionTable* programTable, const char* name, int argCount,
                                        int outCount, CUserFunction*& found)
{
    if (!name) return nullptr;
    if (CUserFunction* second = SearchTable(programTable, name, argCount, outCount, found)) return second;
    for (CLibraryFunctionTable* t : LibraryTables()) {
        if (t == programTable) continue;
        if (CUserFunction* second = SearchTable(t, name, argCount, outCount, found)) return second;
    }
    return nullptr;
}

const void* CheckOverloadAmbiguity(CFunctionTable* programTable, const char* name, int argCount, int outCount,
                                   int* flags, bool warn)
{
    CUserFunction* user = nullptr;
    const void* second = FindUserFunctionOverload(programTable, name, argCount, outCount, user);
    const void* builtin = user;
    if (!second) {
        const void* b = user;
        second = FindBuiltinOverload(name, argCount, outCount, b);
        if (!user) builtin = b;
    }
    const void* first = user ? static_cast<const void*>(user) : builtin;
    int f = (!user && builtin) ? OVERLOAD_BUILTIN : 0;
    if (second) {
        f |= OVERLOAD_AMBIGUOUS;
        if (warn) {
            std::string a = user ? FormatUserPrototype(user) : FormatFunctionPrototype(static_cast<const FuncEntry*>(first));
            std::string b = IsBuiltinFunctionEntry(second) ? FormatFunctionPrototype(static_cast<const FuncEntry*>(second))
                                                            : FormatUserPrototype(static_cast<const CUserFunction*>(second));
            ReportWarning() << "Ambiguity of the overloaded function '" << name << "' is detected; Ambiguity between "
                            << a << " and " << b;
        }
    }
    if (flags) *flags = f;
    return first;
}

int CountFunctionOverloads(const char* name, int, int, std::vector<FunctionOverload>& list)
{
    if (!name) return 0;
    int n = 0;
    for (CStatementBlock* b : ScopeBlocks.Snapshot()) {
        if (b->GetKind() != 2 || static_cast<CUserFunction*>(b)->name != name) continue;
        list.push_back({b, 2});
        ++n;
    }
    std::vector<const FuncEntry*> entries;
    CollectBuiltinFunctions(entries);
    for (const FuncEntry* e : entries)
        if (e->name && std::strcmp(e->name, name) == 0) {
            list.push_back({e, 1});
            ++n;
        }
    return n;
}

bool UserFunctionYieldsValue(const CUserFunction* f)
{
    return f && f->outputCount > 0 && !(f->flags & CUserFunction::FLAG_NO_ASSIGN);
}

// ---- prototypes -------------------------------------------------------------------

namespace {

std::string DefaultText(const CValue& v)
{
    ValueTextFormat fmt = UnlimitedTextFormat;
    fmt.precision = 8;
    std::string text;
    return ValueFormat(v, text, &fmt);
}

}  // namespace

std::string FormatUserPrototype(const CUserFunction* f)
{
    if (!f) return std::string();
    std::string s;
    bool noAssign = (f->flags & CUserFunction::FLAG_NO_ASSIGN) != 0;
    if (f->outputCount == 1 && !noAssign) {
        s = f->OutputSlot(0) ? f->OutputSlot(0)->name : std::string();
    } else if (f->outputCount > 0) {
        s = "[";
        for (int i = 0; i < f->outputCount; ++i) {
            if (i) s += ",";
            if (const CVarSlot* o = f->OutputSlot(i)) s += o->name;
        }
        s += "]";
    }
    s += noAssign ? " " : " = ";
    s += f->name + "(";
    int named = f->NamedParameters();
    int firstDefault = named - f->DefaultCount();
    for (int i = 0; i < named; ++i) {
        if (i) s += ", ";
        const CVarSlot* p = f->ParameterSlot(i);
        std::string pname = p ? p->name : std::string();
        bool ref = i < (int)f->byReference.size() && f->byReference[i];
        s += ref ? "[" + pname + "]" : pname;
        if (i >= firstDefault) s += "=" + DefaultText(f->defaults[i - firstDefault]);
    }
    if (f->IsVariadic()) {
        if (named) s += ", ";
        const CVarSlot* p = f->ParameterSlot(named);
        s += (p ? p->name : std::string()) + "...";
    }
    return s + ")";
}

std::string FormatFunctionPrototype(const FuncEntry* e)
{
    if (!e) return std::string();
    std::string s;
    if (e->outputs == 1) {
        s = "[out] = ";
    } else if (e->outputs > 1) {
        s = "[";
        for (int i = 1; i <= e->outputs; ++i) s += (i > 1 ? ",out" : "out") + std::to_string(i);
        s += "] = ";
    }
    s += std::string(e->name ? e->name : "") + "(";
    bool any = e->inputs == FUNC_ANY_INPUTS;
    int named = any ? 0 : (e->inputs < 0 ? -e->inputs : e->inputs);
    int d = e->defaults ? e->defaultCount : 0;
    int firstDefault = named - d;
    for (int i = 0; i < named; ++i) {
        if (i) s += ", ";
        s += "in" + std::to_string(i + 1);
        if (i >= firstDefault && i - firstDefault < d) s += "=" + DefaultText(e->defaults[i - firstDefault]);
    }
    if (any || e->inputs < 0) s += named ? ", varg..." : "varg...";
    return s + ")";
}

// ---- binding and the run ---------------------------------------------------------

namespace {

// What a call binds, prepared entirely in the caller's state.
struct BoundArguments {
    std::vector<CValue> values;        // per named parameter: its value (value parameters)
    std::vector<CValue*> references;   // per named parameter: the referent (reference parameters)
    std::vector<CValue*> borrowed;     // per named parameter: the caller's value bound read-only, or null
    int bound = 0;                     // named parameters that received an argument
    CValue rest;                       // the variadic parameter's row
};

bool Contains(const CValue& outer, const CValue* inner, int depth = 0)
{
    if (depth > 1000) return false;
    if (outer.Type() == VT_MATRIX) {
        const CValueMatrix& m = outer.Matrix();
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c) {
                const CValue& cell = m.Cell(r, c);
                if (&cell == inner || Contains(cell, inner, depth + 1)) return true;
            }
    } else if (outer.Type() == VT_STRUCT) {
        const CStructValue& s = outer.Struct();
        for (size_t i = 0; i < s.Count(); ++i) {
            const CValue& v = s.FieldAt(i)->m_value;
            if (&v == inner || Contains(v, inner, depth + 1)) return true;
        }
    }
    return false;
}

// A variable, or an element or field of one: what a reference may bind to.
bool IsLValueTree(const ExprNode* n)
{
    while (n && n->kind == EXPR_OPERATOR && n->operandCount > 0 &&
           (n->Handler() == OpIndex || n->Handler() == OpField))
        n = n->operands[0];
    return n && n->kind == EXPR_VARIABLE;
}

StatusWord CheckSharing(const BoundArguments& b, int upTo, const CValue* target)
{
    for (int i = 0; i < upTo; ++i) {
        const CValue* t = b.references[i];
        if (!t || t == target) continue;
        if (Contains(*t, target) || Contains(*target, t)) return ERR_SHARING_VIOLATION;
    }
    return 0;
}

bool IsReference(const CUserFunction* f, int i) { return i < (int)f->byReference.size() && f->byReference[i]; }

bool IsGlobalSlot(const CVarSlot* slot) { return GlobalVariables.IndexOf(slot) >= 0; }

// Picks the value parameters that take the caller's variable itself instead of
// a copy. Only a variable of the caller's own (not a global, not a referent
// or a borrowed value) that nothing can change during the call: the body never
// changes the parameter, no reference parameter is bound (it could reach the
// variable), and no later argument has side effects.
void BorrowReadOnly(CUserFunction* f, ExprNode** args, int count, BoundArguments& b)
{
    for (int i = 0; i < b.bound; ++i)
        if (IsReference(f, i)) return;
    const std::vector<unsigned char>& readOnly = ReadOnlyParameters(f);
    for (int i = 0; i < b.bound && i < (int)readOnly.size(); ++i) {
        if (!readOnly[i]) continue;
        const ExprNode* a = args[i];
        if (!a || a->kind != EXPR_VARIABLE) continue;
        CVarSlot* slot = a->Variable();
        if (!slot->owned || slot->readOnly || !slot->value || slot->value->IsEmpty() || IsGlobalSlot(slot)) continue;
        bool later = true;
        for (int k = i + 1; k < count && later; ++k) later = HasNoSideEffects(args[k]);
        if (!later) continue;
        if (b.borrowed.empty()) b.borrowed.assign(b.bound, nullptr);
        b.borrowed[i] = slot->value;
    }
}

// Moves every slot's value out into the saved array and gives the slot a
// fresh one. The old value objects stay alive, so handles that the caller's
// evaluation still holds into them remain valid during the call.
CSavedValue* SaveFresh(CVarTable* vars, int& count)
{
    count = vars ? vars->Count() : 0;
    if (!count) return nullptr;
    CSavedValue* saved = new (std::nothrow) CSavedValue[count];
    if (!saved) return nullptr;
    for (int i = 0; i < count; ++i) {
        CVarSlot* s = vars->slots[i];
        CValue* fresh = s->owned ? new (std::nothrow) CValue() : nullptr;
        if (s->owned && !fresh) {
            for (int k = 0; k < i; ++k) {
                CVarSlot* back = vars->slots[k];
                if (back->owned) delete back->value;
                back->value = saved[k].value;
                back->owned = saved[k].owned;
                back->readOnly = saved[k].readOnly;
                saved[k].owned = 0;
            }
            delete[] saved;
            return nullptr;
        }
        saved[i].value = s->value;
        saved[i].owned = s->owned;
        saved[i].readOnly = s->readOnly;
        s->value = fresh;
        s->readOnly = 0;
    }
    return saved;
}

void RestoreSaved(CVarTable* vars, CSavedValue* saved, int count)
{
    if (!saved) return;
    for (int i = 0; i < count && i < vars->Count(); ++i) {
        CVarSlot* s = vars->slots[i];
        if (s->owned) delete s->value;
        s->value = saved[i].value;
        s->owned = saved[i].owned;
        s->readOnly = saved[i].readOnly;
        saved[i].value = nullptr;
        saved[i].owned = 0;
    }
    delete[] saved;
}

// The root whose hooks hear of the call: a library function running as its
// own context passes on to the root that called it.
CStatementBlock* HostRoot(StatementContext* context)
{
    if (!context) return nullptr;
    CStatementBlock* root = context->Context();
    if (root->GetKind() == 2) {
        CUserFunction* f = static_cast<CUserFunction*>(root);
        if (f->callerRoot) root = f->callerRoot;
    }
    return root;
}

// Installs the bound arguments in fresh slots, runs the body, takes the outputs.
StatusWord RunBound(CUserFunction* f, BoundArguments& b, CValue& result, StatementContext* context)
{
    CVarTable* vars = f->Vars();
    if (!vars) return ERR_INTERNAL;
    int named = f->NamedParameters();
    int firstDefault = named - f->DefaultCount();
    for (int i = b.bound; i < named; ++i)
        if (i < firstDefault) return ERR_PROTOTYPE;

    int savedCount = 0;
    CSavedValue* saved = SaveFresh(vars, savedCount);
    if (savedCount && !saved) return ERR_INTERNAL;

    for (int i = 0; i < named; ++i) {
        CVarSlot* slot = f->ParameterSlot(i);
        if (i < b.bound && IsReference(f, i)) {
            slot->value = b.references[i];
            slot->owned = 0;
            continue;
        }
        if (i < b.bound && !b.borrowed.empty() && b.borrowed[i]) {
            if (slot->owned) delete slot->value;
            slot->value = b.borrowed[i];
            slot->owned = 0;
            slot->readOnly = 1;
            continue;
        }
        if (!slot->owned || !slot->value) {
            // A reference that takes its default gets a copy of its own: the
            // stored default never changes.
            slot->value = new (std::nothrow) CValue();
            slot->owned = 1;
            if (!slot->value) {
                slot->owned = 0;
                RestoreSaved(vars, saved, savedCount);
                return ERR_INTERNAL;
            }
        }
        if (i < b.bound)
            slot->value->Swap(b.values[i]);
        else
            *slot->value = f->defaults[i - firstDefault];
    }
    if (f->IsVariadic()) {
        CVarSlot* slot = f->ParameterSlot(named);
        if (slot && slot->value) slot->value->Swap(b.rest);
    }

    CStatementBlock* root = HostRoot(context);
    CStatementBlock* previousRoot = f->callerRoot;
    f->callerRoot = root;
    if (root) root->OnEnterUserFunction(f, saved, savedCount);

    StatusWord status = ExecuteStatements(f);
    status &= ~STATUS_RETURN;

    result.Clear();
    if (!IsErrorStatus(status) && f->outputCount > 0) {
        if (f->outputCount == 1) {
            if (CVarSlot* o = f->OutputSlot(0); o && o->value) result.Swap(*o->value);
        } else {
            CValue row;
            CValueMatrix& m = row.MakeMatrix(1, f->outputCount);
            for (int i = 0; i < f->outputCount; ++i)
                if (CVarSlot* o = f->OutputSlot(i); o && o->value) m.Cell(0, i).Swap(*o->value);
            result.Swap(row);
        }
    }

    if (root) root->OnLeaveFunction();
    f->callerRoot = previousRoot;
    RestoreSaved(vars, saved, savedCount);
    return status;
}

}  // namespace

StatusWord CallUserFunctionNode(CUserFunction* f, ExprNode** args, int count, CValue& result,
                                StatementContext* context)
{
    if (!f) return ERR_FUNCTION_POINTER;
    if (StatusWord s = PrepareUserFunction(f)) return s;
    int named = f->NamedParameters();
    BoundArguments b;
    b.bound = count < named ? count : named;
    b.values.resize(named);
    b.references.assign(named, nullptr);

    BorrowReadOnly(f, args, count, b);
    // Value parameters first, each evaluated in the caller's state.
    for (int i = 0; i < b.bound; ++i) {
        if (IsReference(f, i) || (!b.borrowed.empty() && b.borrowed[i])) continue;
        if (StatusWord s = EvaluateResolved(args[i], b.values[i], context)) return s;
    }
    // Then references, with the caller's table blocked so that nothing grows
    // under a referent bound before.
    CVarTable* callerVars = context ? context->Vars() : nullptr;
    for (int i = 0; i < b.bound; ++i) {
        if (!IsReference(f, i)) continue;
        if (!IsLValueTree(args[i])) return ERR_REFERENCE_ARGUMENT;
        CValue h;
        unsigned char wasBlocked = callerVars ? callerVars->blocked : 0;
        if (callerVars) callerVars->blocked = 1;
        StatusWord s = EvaluateNode(args[i], h, context);
        if (callerVars) callerVars->blocked = wasBlocked;
        if (s) return s;
        if (!h.IsHandle() || !h.HandleTarget()) return ERR_REFERENCE_ARGUMENT;
        CValue* target = h.HandleTarget();
        if (StatusWord v = CheckSharing(b, i, target)) return v;
        b.references[i] = target;
    }
    if (f->IsVariadic()) {
        int extra = count > named ? count - named : 0;
        CValueMatrix& m = b.rest.MakeMatrix(extra ? 1 : 0, extra);
        for (int k = 0; k < extra; ++k)
            if (StatusWord s = EvaluateResolved(args[named + k], m.Cell(0, k), context)) return s;
    }
    return RunBound(f, b, result, context);
}

StatusWord CUserFunction::Call(CValue** args, int count, CValue& result, StatementContext* context)
{
    if (StatusWord s = PrepareUserFunction(this)) return s;
    int named = NamedParameters();
    BoundArguments b;
    b.bound = count < named ? count : named;
    b.values.resize(named);
    b.references.assign(named, nullptr);
    for (int i = 0; i < b.bound; ++i) {
        CValue* a = args[i];
        if (!a) return ERR_ARGUMENT_PASSING;
        if (IsReference(this, i)) {
            b.references[i] = a->IsHandle() ? a->HandleTarget() : a;
        } else {
            b.values[i] = *a;
            ResolveHandles(b.values[i]);
        }
    }
    if (IsVariadic()) {
        int extra = count > named ? count - named : 0;
        CValueMatrix& m = b.rest.MakeMatrix(extra ? 1 : 0, extra);
        for (int k = 0; k < extra; ++k) {
            if (!args[named + k]) return ERR_ARGUMENT_PASSING;
            m.Cell(0, k) = *args[named + k];
            ResolveHandles(m.Cell(0, k));
        }
    }
    return RunBound(this, b, result, context);
}
