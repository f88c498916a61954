// Handlers of the equation solvers and minimisers.
#include <cmath>
#include <limits>
#include <vector>

#include "builtins/nonlinear_library.h"
#include "builtins/solver_cores.h"
#include "builtins/solver_frame.h"
#include "values/value_matrix.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Number of arguments of the user's function: the point plus the extras
// that start at argument number firstExtra (0-based).
int UserArgCount(int count, int firstExtra) { return count <= firstExtra ? 1 : count - firstExtra + 1; }

CValue* const* Extras(CValue** args, int count, int firstExtra) { return count > firstExtra ? args + firstExtra : nullptr; }

// A 1 x n row of Reals, or a Real for n = 1.
StatusWord WriteRealVector(CValue* out, const double* x, int n)
{
    if (n == 1) {
        out->SetReal(x[0]);
        return 0;
    }
    CValueMatrix& m = out->MakeMatrix(1, n);
    if (m.Cols() != n) return ERR_INTERNAL;
    for (int i = 0; i < n; ++i) m.Cell(0, i).SetReal(x[i]);
    return 0;
}

const char* const kFminsFailed = "fmins: search is failed. The maximum number of steps is exceeded. Inaccuracy result";

// Common part of fmins, fmins2 and fmins3e up to the core.
template <class Core>
StatusWord RunMultiMinimiser(CValue** args, int count, CValue* out, StatementContext* context, bool hasStep,
                             Core core)
{
    double tol = 1e-6, step = 0.1;
    int iter = 1000;
    if (count > 2)
        if (StatusWord s = ParseSolverOptions(args[2], "Third", &tol, &iter, nullptr, hasStep ? &step : nullptr))
            return s;
    std::vector<double> x;
    if (StatusWord s = ParseInitialVector(x, args, count, 1, false)) return s;
    const void* target;
    int kind;
    if (StatusWord s = CheckSolverPointer(args, context, UserArgCount(count, 3), &target, &kind)) return s;
    const int n = (int)x.size();
    if (StatusWord s = CheckWorkSize((long long)n * n)) return s;
    SolverCallFrame frame(target, kind, context, UserArgCount(count, 3), 1, Extras(args, count, 3));
    int r = core(frame, n, x.data(), tol, iter, step);
    if (r > 0) return r;
    if (r < 0) ReportWarning() << kFminsFailed;
    return WriteRealVector(out, x.data(), n);
}

}  // namespace

StatusWord BuiltinFzero(CValue** args, int count, CValue* out, StatementContext* context)
{
    double tol = 1e-8;
    int iter = 1000;
    if (count > 2)
        if (StatusWord s = ParseSolverOptions(args[2], "Third", &tol, &iter, nullptr, nullptr)) return s;
    std::vector<Complex> X;
    if (StatusWord s = ParseComplexInitialVector(X, args, count, 1, true)) return s;
    const void* target;
    int kind;
    const int userArgs = UserArgCount(count, 3);
    if (StatusWord s = CheckSolverPointer(args, context, userArgs, &target, &kind)) return s;
    if (X.empty()) X.push_back(Complex());
    const int n = (int)X.size();
    std::vector<int> counts(n);
    SolverCallFrame frame(target, kind, context, userArgs, 1, Extras(args, count, 3));
    int r = FzeroCore(CallSolverFunctionComplex, 0, n, n, &tol, 0, iter, &frame, X.data(), counts.data());
    if (r > 0) return r;
    if (r < 0) ReportWarning() << "fzero: search is failed";
    auto store = [&](CValue& v, int i) {
        if (counts[i] > iter)
            v.SetReal(kNaN);
        else
            v.SetComplexNumber(X[i]);
    };
    if (n == 1) {
        store(*out, 0);
        return 0;
    }
    CValueMatrix& m = out->MakeMatrix(1, n);
    if (m.Cols() != n) return ERR_INTERNAL;
    for (int i = 0; i < n; ++i) store(m.Cell(0, i), i);
    return 0;
}

namespace {

// The interval of fmin and fming: real parts of two numbers with x1 < x2.
StatusWord ReadRange(CValue** args, double* x1, double* x2)
{
    Complex a, b;
    if (!ValueAsComplex(*args[1], &a) || !ValueAsComplex(*args[2], &b) || !(a.re < b.re)) {
        ReportError() << "Invalid range. Second and third argument makes the range over which a function is "
                         "minimized (x1<x<x2)";
        return ERR_INTERNAL;
    }
    *x1 = a.re;
    *x2 = b.re;
    return 0;
}

}  // namespace

StatusWord BuiltinFmin(CValue** args, int count, CValue* out, StatementContext* context)
{
    double tol = 1e-8;
    int iter = 1000;
    if (count > 3)
        if (StatusWord s = ParseSolverOptions(args[3], "Fourth", &tol, &iter, nullptr, nullptr)) return s;
    double x1, x2;
    if (StatusWord s = ReadRange(args, &x1, &x2)) return s;
    const void* target;
    int kind;
    const int userArgs = UserArgCount(count, 4);
    if (StatusWord s = CheckSolverPointer(args, context, userArgs, &target, &kind)) return s;
    SolverCallFrame frame(target, kind, context, userArgs, 1, Extras(args, count, 4));
    double x, fx;
    int r = FminCore(CallSolverFunctionReal, x1, (x2 - x1) * 0.5 + x1, x2, &tol, iter, &frame, &x, &fx);
    if (r > 0) return r;
    if (r < 0) ReportWarning() << "fmin: search is failed. The maximum number of steps is exceeded. Inaccuracy result";
    out->SetReal(x);
    return 0;
}

StatusWord BuiltinFming(CValue** args, int count, CValue* out, StatementContext* context)
{
    double tol = 1e-8;
    int pts = 1000;
    if (count > 3)
        if (StatusWord s = ParseSolverOptions(args[3], "Fourth", &tol, nullptr, &pts, nullptr)) return s;
    double x1, x2;
    if (StatusWord s = ReadRange(args, &x1, &x2)) return s;
    // No room for a result: refused before anything is allocated.
    if (pts < 1) {
        ReportError() << "fming: Maximum number of points must be positive";
        return ERR_INTERNAL;
    }
    const void* target;
    int kind;
    const int userArgs = UserArgCount(count, 4);
    if (StatusWord s = CheckSolverPointer(args, context, userArgs, &target, &kind)) return s;
    // The scan keeps at most 257 samples, so it never brackets more minima than that.
    int capacity = pts < 257 ? pts : 257;
    std::vector<double> xs(capacity), fs(capacity);
    SolverCallFrame frame(target, kind, context, userArgs, 1, Extras(args, count, 4));
    int m = capacity;
    if (int r = FmingCore(CallSolverFunctionReal, &frame, &x1, &x2, &tol, 2, &m, xs.data(), fs.data())) return r;
    if (m < 1) {
        out->MakeMatrix(0, 0);
        return 0;
    }
    CValueMatrix& row = out->MakeMatrix(1, m);
    if (row.Cols() != m) return ERR_INTERNAL;
    for (int i = 0; i < m; ++i) row.Cell(0, i).SetReal(xs[i]);
    return 0;
}

StatusWord BuiltinFmins(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunMultiMinimiser(args, count, out, context, true,
                             [](SolverCallFrame& frame, int n, double* x, double tol, int iter, double step) {
                                 double f;
                                 return FminsSearchCore(CallSolverFunctionVector, &frame, n, x, &f, &step, &tol,
                                                        &iter);
                             });
}

StatusWord BuiltinFmins2(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunMultiMinimiser(args, count, out, context, true,
                             [](SolverCallFrame& frame, int n, double* x, double tol, int iter, double step) {
                                 double f;
                                 return Fmins2Core(CallSolverFunctionVector, &frame, n, x, &f, step, tol, iter);
                             });
}

StatusWord BuiltinFmins3e(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunMultiMinimiser(args, count, out, context, false,
                             [](SolverCallFrame& frame, int n, double* x, double tol, int iter, double) {
                                 double f;
                                 std::vector<double> xi((size_t)n * n);
                                 return Fmins3eCore(CallSolverFunctionVector, &frame, n, x, &f, xi.data(), &tol,
                                                    iter);
                             });
}

// ---- nlsolve -------------------------------------------------------------------

namespace {

struct NlsolveFrame {
    StatementContext* context;
    std::vector<const void*> targets;
    std::vector<int> kinds;
    std::vector<CValue*> cells;  // the variables, inside the output value
};

int CallSystemFunction(int i, const Complex* x, int n, Complex* fx, void* raw)
{
    NlsolveFrame* frame = static_cast<NlsolveFrame*>(raw);
    // The cells are rewritten before every call: a built-in may take them over.
    for (int j = 0; j < n; ++j) frame->cells[j]->SetComplex(x[j]);
    if (frame->context->Context()->IsStopRequested()) return ERR_STOPPED;
    CValue result;
    if (StatusWord s = frame->context->CallFunctionPointer(frame->kinds[i], frame->targets[i], frame->cells.data(), n,
                                                           &result))
        return s;
    return ValueAsComplex(result, fx) ? 0 : ERR_RETURN_MISMATCH;
}

bool ReadRealScalar(const CValue& value, double* out)
{
    Complex z;
    if (!ValueAsComplex(value, &z) || z.im != 0.0) return false;
    *out = z.re;
    return true;
}

}  // namespace

StatusWord BuiltinNlsolve(CValue** args, int count, CValue* out, StatementContext* context)
{
    const CValue& fun = PlainValue(*args[0]);
    int n = 0;
    if (fun.Type() == VT_POINTER)
        n = 1;
    else if (fun.Type() == VT_MATRIX && fun.Matrix().Rows() == 1 && fun.Matrix().Cols() > 0)
        n = fun.Matrix().Cols();
    if (n == 0) {
        ReportError() << "First parameter must be a pointer to a function";
        return ERR_INTERNAL;
    }
    double tol = 1e-6;
    if (count > 1 && !ReadRealScalar(*args[1], &tol)) {
        ReportError() << "Tolerance must be a scalar";
        return ERR_INTERNAL;
    }
    const CValue* x0 = count > 2 ? &PlainValue(*args[2]) : nullptr;
    if (x0) {
        bool scalar = n == 1 && (x0->Type() == VT_REAL || x0->Type() == VT_COMPLEX);
        bool row = x0->Type() == VT_MATRIX && x0->Matrix().Rows() == 1 && x0->Matrix().Cols() == n;
        if (!scalar && !row) {
            ReportError() << "Invalid dimension of a vector of initial roots";
            return ERR_INTERNAL;
        }
    }
    int niter = 50;
    if (count > 3) {
        double v;
        if (!ReadRealScalar(*args[3], &v)) {
            ReportError() << "Number of iterations must be a scalar";
            return ERR_INTERNAL;
        }
        niter = SaturateToInt(v);
    }
    if (StatusWord s = CheckWorkSize((long long)n * n * 2)) return s;

    NlsolveFrame frame{context, {}, {}, {}};
    frame.targets.resize(n);
    frame.kinds.resize(n);
    for (int i = 0; i < n; ++i) {
        const CValue& cell = n == 1 && fun.Type() == VT_POINTER ? fun : PlainValue(fun.Matrix().Cell(0, i));
        frame.targets[i] = cell.Type() == VT_POINTER ? cell.Pointer() : nullptr;
    }
    // Shape the output: it holds the variables during the solve.
    if (n == 1) {
        out->SetComplex(Complex());
        frame.cells.push_back(out);
    } else {
        CValueMatrix& m = out->MakeMatrix(1, n);
        if (m.Cols() != n) return ERR_INTERNAL;
        for (int i = 0; i < n; ++i) frame.cells.push_back(&m.Cell(0, i));
    }
    for (int i = 0; i < n; ++i) {
        frame.kinds[i] = context->ClassifyPointer(frame.targets[i]);
        if (StatusWord s = context->CheckFunctionPointerArity(frame.kinds[i], frame.targets[i], n)) {
            ReportError() << "Invalid function prototype of at least one pointer to a function";
            return s;
        }
    }
    std::vector<Complex> x(n);
    if (x0) {
        for (int i = 0; i < n; ++i) {
            const CValue& c = x0->Type() == VT_MATRIX ? PlainValue(x0->Matrix().Cell(0, i)) : *x0;
            if (!ValueAsComplex(c, &x[i])) {
                ReportError() << "Values of an initial vector must be a real or complex numbers";
                return ERR_INTERNAL;
            }
        }
    }
    int r = NlsolveCore(CallSystemFunction, &frame, n, x.data(), x0 != nullptr, tol, niter);
    if (r) return r;
    for (int i = 0; i < n; ++i) frame.cells[i]->SetComplex(x[i]);
    return 0;
}
