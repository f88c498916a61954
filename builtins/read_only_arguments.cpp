// Built-in handlers that only read their argument and build the result apart
// from it: a variable is passed to them as it is instead of as a copy.
#include "builtins/math_functions.h"
#include "builtins/matrix_builtins.h"
#include "interpreter/func_records.h"
#include "interpreter/operator_builtins.h"

namespace {

const bool g_declared = [] {
    const FuncHandlerA1 readers[] = {
        BuiltinSum, BuiltinProd, BuiltinCumsum, BuiltinCumprod,
        MathSin, MathSinh, MathAsin, MathAsinh, MathCos, MathCosh, MathAcos, MathAcosh,
        MathTan, MathTanh, MathAtan, MathAtanh, MathAbs, MathExp, MathLog10, MathLog,
        MathRound, MathCeil, MathFloor, MathFix, MathSign, MathSqrt, MathArg, MathReal, MathImag, MathConj,
    };
    for (FuncHandlerA1 h : readers) DeclareReadOnlyArguments(AsFuncHandler(h));
    // One argument only: nothing evaluated after it can change the variable
    // before the handler reads it.
    DeclareReadOnlyArguments(AsFuncHandler(BuiltinTrans));
    DeclareReadOnlyLoneArgument(AsFuncHandler(BuiltinMax));
    DeclareReadOnlyLoneArgument(AsFuncHandler(BuiltinMin));
    return true;
}();

}  // namespace
