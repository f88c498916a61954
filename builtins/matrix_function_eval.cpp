// funm and fevam: a function named by the program applied to a matrix, as a
// matrix function (Schur form and Parlett's recurrence) or cell by cell.
#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "builtins/lapack_work.h"
#include "builtins/matrix_functions.h"
#include "interpreter/block.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "values/lapack_drivers.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"

using namespace lapack_work;

namespace {

constexpr double kWarnLevel = 2.220446049250313e-13;

// A function to call with one argument, resolved from a pointer or a name.
struct Callee {
    const void* target = nullptr;
    int kind = PTR_OTHER;
    StatementContext* context = nullptr;

    StatusWord Call(CValue& arg, CValue& result)
    {
        CValue* args[1] = {&arg};
        if (context) return context->CallFunctionPointer(kind, target, args, 1, &result);
        if (kind == PTR_BUILTIN) return CallBuiltinFunction(static_cast<const FuncEntry*>(target), args, 1, &result, nullptr);
        return ERR_FUNCTION_POINTER;
    }
};

// The user functions of the running program first, then the built-in rows;
// the interpreter warns about two candidates and gives the first.
const void* FindFunctionByName(StatementContext* context, const std::string& name, int outputs)
{
    CFunctionTable* table = context ? ProgramFunctionTable(context) : nullptr;
    return CheckOverloadAmbiguity(table, name.c_str(), 1, outputs, nullptr, true);
}

// 0 with the callee set; 69 when FUN is of no usable kind (silent unless
// `complain`); otherwise the interpreter's status of the arity check.
StatusWord ResolveCallee(const CValue& fun, StatementContext* context, bool complain, int outputs, Callee& callee)
{
    callee.context = context;
    if (fun.Type() == VT_POINTER) {
        callee.target = fun.Pointer();
    } else if ((fun.Type() == VT_STRING || fun.Type() == VT_CHAR) && !fun.IsBinary()) {
        std::string name;
        fun.GetText(name);
        callee.target = FindFunctionByName(context, name, outputs);
    } else {
        if (complain) ReportError() << "First argument must be a pointer to a function";
        return ERR_ARGUMENT_TYPE;
    }
    if (context) {
        callee.kind = context->ClassifyFunctionPointer(callee.target);
        return context->CheckFunctionPointerArity(callee.kind, callee.target, 1);
    }
    callee.kind = ClassifyFunctionPointer(callee.target);
    return CheckFunctionPointerArity(callee.kind, callee.target, 1);
}

}  // namespace

StatusWord BuiltinFunm(CValue* x, CValue* fun, CValue* out, StatementContext* context)
{
    if (!IsSquareMatrix(*x)) {
        ReportError() << "First argument must be a square matrix";
        return ERR_ARGUMENT_TYPE;
    }
    Callee callee;
    if (StatusWord st = ResolveCallee(*fun, context, true, 1, callee)) return st;
    const int n = x->Matrix().Rows();
    std::vector<Complex> h, q;
    bool allReal = false;
    if (!ToComplexArray(x->Matrix(), h, &allReal)) return ERR_ARGUMENT_TYPE;
    if (int info = ComplexSchur(n, h, &q)) {
        if (info == kLapackStopped) return ERR_STOPPED;
        ReportError() << "Internal funm error";
        return ERR_INTERNAL;
    }
    CComplexMatrix T, Q;
    UnpackColumnMajor(h.data(), n, n, T);
    UnpackColumnMajor(q.data(), n, n, Q);
    h.clear();
    q.clear();

    CComplexMatrix F(n, n);
    for (int i = 0; i < n; i++) {
        CValue arg, result;
        arg.SetComplex(T.Cell(i, i));
        if (StatusWord st = callee.Call(arg, result)) return st;
        if (result.Type() == VT_REAL)
            F.Cell(i, i) = Complex(result.Real(), 0.0);
        else if (result.Type() == VT_COMPLEX)
            F.Cell(i, i) = result.ComplexRef();
        else {
            ReportError() << "Value returned by the custom function must be a complex or real number";
            return ERR_INTERNAL;
        }
    }
    double gap = ParlettRecurrence(T, F);
    CComplexMatrix R = SchurBackTransform(Q, F, allReal);
    double esterr = SchurErrorEstimate(T, gap);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++)
            if (!IsComplexFinite(R.Cell(i, j))) esterr = INFINITY;
    if (esterr > kWarnLevel) ReportWarning() << "Function funm: Result may be inaccurate. serr=" << esterr;

    out->Clear();
    ComplexMatrixToValue(R, out->MakeMatrix(0, 0));
    return 0;
}

StatusWord BuiltinFevam(CValue* x, CValue* fun, CValue* out, StatementContext* context)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    Callee callee;
    if (StatusWord st = ResolveCallee(*fun, context, false, -1, callee)) return st;
    CValueMatrix src(x->Matrix());
    out->Clear();
    CValueMatrix& dst = out->MakeMatrix(src.Rows(), src.Cols());
    for (int i = 0; i < src.Rows(); i++)
        for (int j = 0; j < src.Cols(); j++) {
            CValue arg(src.Cell(i, j)), result;
            if (StatusWord st = callee.Call(arg, result)) return st;
            dst.Cell(i, j) = std::move(result);
        }
    return 0;
}
