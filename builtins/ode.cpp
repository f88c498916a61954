// Handlers of ode5 and ode4s: argument reading, the evaluation of the
// user's derivative and the storing of the result.
#include <cmath>
#include <limits>
#include <vector>

#include "builtins/nonlinear_library.h"
#include "builtins/ode_cores.h"
#include "builtins/ode_handlers.h"
#include "builtins/solver_frame.h"
#include "values/value_matrix.h"

int CallOdeFunction(double* yprime, const double* t, const double* y, int n, SolverCallFrame* frame)
{
    frame->own[0].SetReal(*t);
    CValue& state = frame->own[1];
    if (n == 1) {
        state.SetReal(y[0]);
    } else {
        CValueMatrix& m = state.MakeMatrix(1, n);
        if (m.Cols() != n) return ERR_INTERNAL;
        for (int i = 0; i < n; ++i) m.Cell(0, i).SetReal(y[i]);
    }
    CValue result;
    if (StatusWord s = frame->Call(&result)) return s;
    const CValue& r = PlainValue(result);
    if (n == 1) return r.Type() == VT_MATRIX ? ERR_RETURN_MISMATCH : frame->TakeReal(r, &yprime[0]);
    if (r.Type() != VT_MATRIX) return ERR_RETURN_MISMATCH;
    const CValueMatrix& m = r.Matrix();
    const bool row = m.Rows() == 1;
    if (!row && m.Cols() != 1) return ERR_RETURN_MISMATCH;
    if ((row ? m.Cols() : m.Rows()) != n) return ERR_RETURN_MISMATCH;
    for (int i = 0; i < n; ++i)
        if (StatusWord s = frame->TakeReal(row ? m.Cell(0, i) : m.Cell(i, 0), &yprime[i])) return s;
    return 0;
}

int AppendOdeState(const double*, const double* y, int n, CValue* out)
{
    int col = 0;
    if (out->Type() != VT_MATRIX) {
        CValueMatrix& m = out->MakeMatrix(n, 1);
        if (m.Rows() != n || m.Cols() != 1) return ERR_INTERNAL;
    } else {
        CValueMatrix& m = out->Matrix();
        col = m.Cols();
        if (int s = m.GrowToIndex(n - 1, col)) return s;
    }
    CValueMatrix& m = out->Matrix();
    for (int i = 0; i < n; ++i) m.Cell(i, col).SetReal(y[i]);
    return 0;
}

int AppendOdeTimeAndState(const double* t, const double* y, int n, CValue* cells)
{
    if (int s = AppendOdeState(t, t, 1, &cells[0])) return s;
    return AppendOdeState(t, y, n, &cells[1]);
}

namespace {

int OdeCallback(double* yprime, const double* t, const double* y, int n, void* frame)
{
    return CallOdeFunction(yprime, t, y, n, static_cast<SolverCallFrame*>(frame));
}
int StoreState(const double* t, const double* y, int n, void* target)
{
    return AppendOdeState(t, y, n, static_cast<CValue*>(target));
}
int StoreTimeAndState(const double* t, const double* y, int n, void* target)
{
    return AppendOdeTimeAndState(t, y, n, static_cast<CValue*>(target));
}

StatusWord RunOde(CValue** args, int count, CValue* out, StatementContext* context, bool stiff)
{
    const char* name = stiff ? "ode4s" : "ode5";
    double tol = 1e-6, step = std::numeric_limits<double>::quiet_NaN();
    if (count > 3)
        if (StatusWord s = ParseSolverOptions(args[3], "Fourth", &tol, nullptr, nullptr, &step)) return s;
    if (std::isnan(step)) step = 10.0 * tol;
    const void* target;
    int kind;
    const int userArgs = count < 5 ? 2 : count - 2;
    if (StatusWord s = CheckSolverPointer(args, context, userArgs, &target, &kind)) return s;
    SolverCallFrame frame(target, kind, context, userArgs, 2, count > 4 ? args + 4 : nullptr);
    std::vector<double> ts, y0;
    if (StatusWord s = ParseInitialVector(ts, args, count, 1, true)) return s;
    if (StatusWord s = ParseInitialVector(y0, args, count, 2, false)) return s;
    if (ts.empty()) {
        ReportError() << name << ": The vector of times is empty";
        return ERR_INTERNAL;
    }
    const int n = (int)y0.size();
    const long long workSize = stiff ? (3LL * n + 11) * n + 1 : 6LL * n + 1;
    if (StatusWord s = CheckWorkSize(workSize)) return s;
    std::vector<double> y(n), work((size_t)workSize);
    out->Clear();
    OdeStepFn stepFn = stiff ? Ode4sStep : Ode5Step;
    const double R = 100.0;
    int r;
    if (ts.size() == 2) {
        CValueMatrix& m = out->MakeMatrix(1, 2);
        if (m.Cols() != 2) return ERR_INTERNAL;
        double h = step;
        r = OdeAdaptiveCore(stepFn, OdeCallback, &frame, n, ts[0], y0.data(), ts[1], 1e-14, tol, R, &h, y.data(),
                            work.data(), StoreTimeAndState, &m.Cell(0, 0));
    } else {
        r = OdeGridCore(stepFn, OdeCallback, &frame, n, y0.data(), ts.data(), (int)ts.size(), tol, R, y.data(),
                        work.data(), StoreState, out);
    }
    if (r < 0) {
        ReportError() << name << ": Failed to provide a claimed tolerance.";
        return ERR_INTERNAL;
    }
    return r;
}

}  // namespace

StatusWord BuiltinOde5(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunOde(args, count, out, context, false);
}

StatusWord BuiltinOde4s(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunOde(args, count, out, context, true);
}
