// The "Matrix and Algebra" library. For now it holds the range vector only;
// the rest of its rows join with the matrix functions.
#include "builtins/libraries.h"
#include "builtins/operator_builtins.h"

namespace {

FuncEntry g_rows[] = {
    {"fvec", 3, 1, AsFuncHandler(BuiltinFvec), CALL_A3,
     "fvec(XSTART,XSTOP,XSTEP);\r\nReturns the row vector from XSTART to XSTOP by the step XSTEP",
     "fvec(XSTART,XSTOP,XSTEP)", 0, nullptr},
};

}  // namespace

FuncLibrary MatrixAlgebraLibrary = {
    "Matrix and Algebra", g_rows, (int32_t)(sizeof(g_rows) / sizeof(g_rows[0])), nullptr, 0,
};
