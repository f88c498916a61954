#pragma once
// What the solver built-ins share: reading the options argument and a start
// vector, and the call frame through which a numeric core evaluates the
// user's function (a built-in row or a user function) via the running block.
#include <vector>

#include "interpreter/block.h"
#include "interpreter/status.h"
#include "values/value.h"

class SolverCallFrame {
public:
    StatementContext* context;
    const void* target;        // the function pointer's payload
    int kind;                  // PointerKind of the target
    std::vector<CValue*> args; // own cells first, then the extra arguments
    std::vector<CValue> own;   // the cells that carry the current point
    bool complexWarned = false;

    // extras: pointers to argCount - ownCount caller values, passed by pointer.
    SolverCallFrame(const void* target, int kind, StatementContext* context, int argCount, int ownCount,
                    CValue* const* extras);
    SolverCallFrame(const SolverCallFrame&) = delete;
    SolverCallFrame& operator=(const SolverCallFrame&) = delete;

    int ArgCount() const { return (int)args.size(); }
    // One call of the function with the current cells; 25 once Stop was requested.
    StatusWord Call(CValue* result);
    // A Real is taken; a Complex gives its real part, with one warning per
    // solve when the imaginary part is not 0; anything else is 68.
    StatusWord TakeReal(const CValue& v, double* out);
};

// Results of a function are read through this: a handle stands for its referent.
const CValue& PlainValue(const CValue& v);
// Real or Complex (a Real gives im = 0); false for any other type.
bool ValueAsComplex(const CValue& v, Complex* out);

// ordinal: "Third" or "Fourth". iter, pts and step may be null (not read).
StatusWord ParseSolverOptions(const CValue* option, const char* ordinal, double* tol, int* iter, int* pts,
                              double* step);
// The start vector in argument number index; absent (or empty when allowed) gives none.
StatusWord ParseInitialVector(std::vector<double>& out, CValue** args, int count, int index, bool allowEmpty);
StatusWord ParseComplexInitialVector(std::vector<Complex>& out, CValue** args, int count, int index,
                                     bool allowEmpty);

// The evaluation callbacks; frame is a SolverCallFrame with one own cell.
int CallSolverFunctionComplex(const Complex* x, Complex* fx, void* frame);
int CallSolverFunctionReal(double x, double* fx, void* frame);
int CallSolverFunctionVector(const double* x, int n, double* fx, void* frame);

// The checks every solver handler makes of its first argument: a Pointer
// whose target takes userArgs arguments. Reports and returns 10 otherwise.
StatusWord CheckSolverPointer(CValue** args, StatementContext* context, int userArgs, const void** target,
                              int* kind);

// Work arrays of this many doubles or more are refused before allocation.
constexpr long long kSolverMaxWork = 1LL << 26;
// Reports "Dimension of the problem is too large" when size exceeds the limit.
StatusWord CheckWorkSize(long long size);
