// solve and solvex: thin handlers over the value core's solvers.
#include "builtins/matrix_builtins.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/numeric_path.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

StatusWord SolveSystem(CValue* m, CValue* v, CValue* out, bool rotations)
{
    if (m->Type() != VT_MATRIX || v->Type() != VT_MATRIX) {
        ReportError() << "Solving a system of linear equations for a non-matrix arguments";
        return ERR_INTERNAL;
    }
    CValue result;
    if (!rotations && SolveRealCells(m->Matrix(), v->Matrix(), result.MakeMatrix(0, 0))) {
        out->Swap(result);
        return 0;
    }
    CComplexMatrix a, b;
    if (ValueToComplexMatrix(m->Matrix(), a) && ValueToComplexMatrix(v->Matrix(), b)) {
        CComplexMatrix x;
        if (int st = rotations ? a.SolveX(b, x) : a.Solve(b, x)) return st;
        ComplexMatrixToValue(x, result.MakeMatrix(0, 0));
    } else {
        // Cells that are not numbers: the solver over value cells.
        if (int st = m->Matrix().Solve(v->Matrix(), result.MakeMatrix(0, 0))) return st;
    }
    out->Swap(result);
    return 0;
}

}  // namespace

StatusWord BuiltinSolve(CValue* m, CValue* v, CValue* out) { return SolveSystem(m, v, out, false); }
StatusWord BuiltinSolvex(CValue* m, CValue* v, CValue* out) { return SolveSystem(m, v, out, true); }
