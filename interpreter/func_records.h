#pragma once
// Records of built-in functions, libraries and library constants: the
// interface between the interpreter, the built-in libraries and function
// modules ("*.mfn"). Field order and the 64-bit layout are frozen below.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "interpreter/status.h"
#include "values/value.h"

class CStatementBlock;
using StatementContext = CStatementBlock;

// How a handler is called (the row's form word).
enum FuncCallForm : int32_t {
    CALL_A1_CTX = 1,         // handler(a1, out, context)
    CALL_A2_CTX = 2,         // handler(a1, a2, out, context)
    CALL_A3_CTX = 3,         // handler(a1, a2, a3, out, context)
    CALL_A1 = 0x100,         // handler(a1, out)
    CALL_A2 = 0x200,         // handler(a1, a2, out)
    CALL_A3 = 0x300,         // handler(a1, a2, a3, out)
    CALL_OUT = 0xF00,        // handler(out)
    CALL_VECTOR_CTX = 0x10000,  // handler(args, count, out, context)
    CALL_VECTOR = 0x20000,   // handler(args, count, out)
};

typedef StatusWord (*FuncHandlerA1Ctx)(CValue* a1, CValue* out, StatementContext* context);
typedef StatusWord (*FuncHandlerA2Ctx)(CValue* a1, CValue* a2, CValue* out, StatementContext* context);
typedef StatusWord (*FuncHandlerA3Ctx)(CValue* a1, CValue* a2, CValue* a3, CValue* out, StatementContext* context);
typedef StatusWord (*FuncHandlerA1)(CValue* a1, CValue* out);
typedef StatusWord (*FuncHandlerA2)(CValue* a1, CValue* a2, CValue* out);
typedef StatusWord (*FuncHandlerA3)(CValue* a1, CValue* a2, CValue* a3, CValue* out);
typedef StatusWord (*FuncHandlerOut)(CValue* out);
typedef StatusWord (*FuncHandlerVectorCtx)(CValue** args, int count, CValue* out, StatementContext* context);
typedef StatusWord (*FuncHandlerVector)(CValue** args, int count, CValue* out);

// The stored handler; the form word says which of the types above it really is.
typedef void (*FuncHandler)();

template <class F>
inline FuncHandler AsFuncHandler(F f)
{
    return reinterpret_cast<FuncHandler>(f);
}
template <class F>
inline F FuncHandlerAs(FuncHandler h)
{
    return reinterpret_cast<F>(h);
}

// Any number of arguments when called through a pointer.
constexpr int32_t FUNC_ANY_INPUTS = 0x7FFFFFFF;

// One built-in function. Rows of one library lie contiguous in one table.
struct FuncEntry {
    const char* name;        // exact, case-sensitive; overloads share a name
    int32_t inputs;          // n: exactly n; -n: n or more; FUNC_ANY_INPUTS
    int32_t outputs;
    FuncHandler handler;
    int32_t form;            // FuncCallForm
    const char* help;        // syntax line, CR LF, description
    const char* prototype;
    int32_t defaultCount;    // trailing inputs with defaults
    CValue* defaults;        // defaultCount values, in parameter order
};

// A named library constant; the interpreter reads it through a read-only handle.
struct FuncConstant {
    const char* name;
    const char* description;
    CValue value;
};

struct FuncLibrary {
    const char* name;
    FuncEntry* table;
    int32_t count;           // visible rows 0..count-1
    FuncConstant* constants;
    int32_t constantCount;
};

static_assert(offsetof(FuncEntry, name) == 0);
static_assert(offsetof(FuncEntry, inputs) == 8);
static_assert(offsetof(FuncEntry, outputs) == 12);
static_assert(offsetof(FuncEntry, handler) == 16);
static_assert(offsetof(FuncEntry, form) == 24);
static_assert(offsetof(FuncEntry, help) == 32);
static_assert(offsetof(FuncEntry, prototype) == 40);
static_assert(offsetof(FuncEntry, defaultCount) == 48);
static_assert(offsetof(FuncEntry, defaults) == 56);
static_assert(sizeof(FuncEntry) == 64);

static_assert(offsetof(FuncConstant, name) == 0);
static_assert(offsetof(FuncConstant, description) == 8);
static_assert(offsetof(FuncConstant, value) == 16);
static_assert(sizeof(FuncConstant) == 32);

static_assert(offsetof(FuncLibrary, name) == 0);
static_assert(offsetof(FuncLibrary, table) == 8);
static_assert(offsetof(FuncLibrary, count) == 16);
static_assert(offsetof(FuncLibrary, constants) == 24);
static_assert(offsetof(FuncLibrary, constantCount) == 32);
static_assert(sizeof(FuncLibrary) == 40);

// ---- the library list (process-wide, registration order) ----------------

// Appends a library; function modules' libraries come before the built-in ones.
void RegisterFuncLibrary(FuncLibrary* library);
// Removes a library again (shutdown and tests only; never while a program runs).
void UnregisterFuncLibrary(const FuncLibrary* library);
std::vector<FuncLibrary*> RegisteredLibraries();
bool IsRegisteredLibrary(const FuncLibrary* library);
// True when the address is one of the visible rows of a registered library.
bool IsBuiltinFunctionEntry(const void* address);

// Whether a row accepts n arguments (any count, variadic, defaults).
bool FuncEntryAcceptsCount(const FuncEntry& entry, int n);
// The arity rules of a call through a pointer: 0 or 63. A user function's
// variadic parameter counts one less than a built-in's.
StatusWord CheckArityCounts(int inputs, int defaultCount, int n, bool userFunction);

// Visits the rows of the registered libraries in order: a row matches by name,
// by argument count and by output count (-1 matches any). The first match
// goes to found when it is empty; a match while found is already filled is
// returned as the second match and ends the search. The first library that
// holds a match ends the search too: later libraries are hidden by it.
const void* FindBuiltinOverload(const char* name, int argCount, int outCount, const void*& found);
const FuncConstant* FindLibraryConstant(const char* name);
void CollectBuiltinFunctions(std::vector<const FuncEntry*>& out);
void CollectBuiltinConstants(std::vector<const FuncConstant*>& out);

// Pointer kinds (PointerKind in interpreter/block.h): 1 a built-in row,
// 2 a user function, 4 a variable slot, 0 anything else.
int ClassifyPointer(const void* target);
int ClassifyFunctionPointer(const void* target);

// kind 1 (FuncEntry) and 2 (user function) by their declared counts; 66 for other kinds.
StatusWord CheckFunctionPointerArity(int kind, const void* target, int count);

// Built-ins whose handlers only read their arguments (and keep a result that
// could overlap an argument apart themselves): a call passes a variable's
// matrix to them as it is instead of as a copy. Declared once, at load time.
void DeclareReadOnlyArguments(FuncHandler handler);
bool HasReadOnlyArguments(FuncHandler handler);
// The same for a handler of any number of arguments that only reads them,
// when it is called with one argument only (with more, evaluating a later
// one could change the variable of an earlier one).
void DeclareReadOnlyLoneArgument(FuncHandler handler);

// Calls a row's handler in its form: clears the stream's current-message
// record, tells the context's root (OnEnterBuiltin / OnLeaveFunction), and
// turns 0 into 10 when an error message was written meanwhile. The argument
// values belong to the call. Built with the expression evaluator.
StatusWord CallBuiltinFunction(const FuncEntry* entry, CValue** args, int count, CValue* out,
                               StatementContext* context);
