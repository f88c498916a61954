// Handlers of quad, quad2, quad3 and quadm.
#include <ctime>
#include <vector>

#include "builtins/nonlinear_library.h"
#include "builtins/quadrature_cores.h"
#include "builtins/solver_frame.h"
#include "values/random15.h"
#include "values/value_matrix.h"

namespace {

// Checks shared by the four handlers: the function pointer, the optional
// parameter row, the arity. vars is the number of integration variables.
StatusWord CheckIntegrand(CValue** args, int count, int paramIndex, int vars, StatementContext* context,
                          const void** target, int* kind, std::vector<CValue*>& params)
{
    const CValue& fn = PlainValue(*args[0]);
    if (fn.Type() != VT_POINTER) {
        ReportError() << "First argument must be a pointer to a function";
        return ERR_INTERNAL;
    }
    params.clear();
    if (count > paramIndex) {
        const CValue& p = PlainValue(*args[paramIndex]);
        if (p.Type() != VT_MATRIX || p.Matrix().Rows() != 1) return ERR_INTERNAL;
        for (int i = 0; i < p.Matrix().Cols(); ++i) params.push_back(&p.Matrix().Cell(0, i));
    }
    if (vars < 0) return 0;  // quadm checks its limits first
    *target = fn.Pointer();
    *kind = context->ClassifyPointer(*target);
    if (context->CheckFunctionPointerArity(*kind, *target, vars + (int)params.size()) != 0) {
        ReportError() << "First argument is a pointer to a function. Invalid function prototype";
        return ERR_INTERNAL;
    }
    return 0;
}

StatusWord ReadLimits(CValue** args, int first, int n, Complex* limits)
{
    for (int i = 0; i < n; ++i)
        if (!ValueAsComplex(*args[first + i], &limits[i])) {
            ReportError() << "Invalid range of integral";
            return ERR_INTERNAL;
        }
    return 0;
}

StatusWord ReadTolerance(CValue** args, int count, int index, double* tol, const char* message)
{
    *tol = 1e-5;
    if (count <= index) return 0;
    Complex z;
    if (!ValueAsComplex(*args[index], &z) || z.im != 0.0) {
        ReportError() << message;
        return ERR_INTERNAL;
    }
    *tol = z.re;
    return 0;
}

// Result of the integrand: Real or Complex, anything else 68.
int TakeIntegrandValue(const CValue& result, Complex* out)
{
    return ValueAsComplex(result, out) ? 0 : ERR_RETURN_MISMATCH;
}

// The integrand of quad and quadm: the variables as Complex cells, then the parameters.
int CallIntegrandBox(const Complex* x, int n, Complex* gx, void* raw)
{
    SolverCallFrame* frame = static_cast<SolverCallFrame*>(raw);
    for (int i = 0; i < n; ++i) frame->own[i].SetComplex(x[i]);
    CValue result;
    if (StatusWord s = frame->Call(&result)) return s;
    return TakeIntegrandValue(result, gx);
}

int CallIntegrand(const Complex* x, Complex* gx, void* frame) { return CallIntegrandBox(x, 1, gx, frame); }

StatusWord WriteIntegral(int r, const Complex& I, CValue* out, const char* name)
{
    if (r > 0) return r;
    if (r < 0) {
        ReportError() << name << ": Failed to provide a claimed tolerance.";
        return ERR_INTERNAL;
    }
    out->SetComplexNumber(I);
    return 0;
}

// The outer rule of quad2 and quad3: every outer point is an inner integral
// computed by the lower handler with the outer variable put before the parameters.
struct NestedFrame {
    StatusWord (*inner)(CValue**, int, CValue*, StatementContext*);
    std::vector<CValue*> args;  // the inner call's arguments; the last two are owned below
    CValue tol;
    CValue row;  // [outer variable, p1, ..., pk]
    StatementContext* context;
};

int CallNested(const Complex* x, Complex* gx, void* raw)
{
    NestedFrame* nf = static_cast<NestedFrame*>(raw);
    if (nf->context->Context()->IsStopRequested()) return ERR_STOPPED;
    nf->row.Matrix().Cell(0, 0).SetComplex(*x);
    CValue result;
    if (StatusWord s = nf->inner(nf->args.data(), (int)nf->args.size(), &result, nf->context)) return s;
    return TakeIntegrandValue(result, gx);
}

StatusWord RunNested(CValue** args, int count, CValue* out, StatementContext* context, int vars,
                     StatusWord (*inner)(CValue**, int, CValue*, StatementContext*), const char* name)
{
    const int tolIndex = 2 * vars + 1, paramIndex = 2 * vars + 2;
    const void* target;
    int kind;
    std::vector<CValue*> params;
    if (StatusWord s = CheckIntegrand(args, count, paramIndex, vars, context, &target, &kind, params)) return s;
    std::vector<Complex> limits(2 * vars);
    if (StatusWord s = ReadLimits(args, 1, 2 * vars, limits.data())) return s;
    double tol;
    if (StatusWord s = ReadTolerance(args, count, tolIndex, &tol, "Tolerance must be a scalar")) return s;

    NestedFrame nf{inner, {}, CValue(tol), CValue(), context};
    const int k = (int)params.size();
    CValueMatrix& row = nf.row.MakeMatrix(1, k + 1);
    if (row.Cols() != k + 1) return ERR_INTERNAL;
    for (int i = 0; i < k; ++i) row.Cell(0, i + 1) = PlainValue(*params[i]);
    nf.args.push_back(args[0]);
    for (int i = 3; i <= 2 * vars; ++i) nf.args.push_back(args[i]);  // the inner limits
    nf.args.push_back(&nf.tol);
    nf.args.push_back(&nf.row);
    Complex I;
    int r = SimpsonCore(CallNested, &nf, limits[0], limits[1], tol, &I);
    return WriteIntegral(r, I, out, name);
}

}  // namespace

StatusWord BuiltinQuad(CValue** args, int count, CValue* out, StatementContext* context)
{
    const void* target;
    int kind;
    std::vector<CValue*> params;
    if (StatusWord s = CheckIntegrand(args, count, 4, 1, context, &target, &kind, params)) return s;
    Complex limits[2];
    if (StatusWord s = ReadLimits(args, 1, 2, limits)) return s;
    double tol;
    if (StatusWord s = ReadTolerance(args, count, 3, &tol, "Tolerance must be a scalar")) return s;
    SolverCallFrame frame(target, kind, context, 1 + (int)params.size(), 1, params.data());
    Complex I;
    int r = SimpsonCore(CallIntegrand, &frame, limits[0], limits[1], tol, &I);
    return WriteIntegral(r, I, out, "quad");
}

StatusWord BuiltinQuad2(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunNested(args, count, out, context, 2, BuiltinQuad, "quad2");
}

StatusWord BuiltinQuad3(CValue** args, int count, CValue* out, StatementContext* context)
{
    return RunNested(args, count, out, context, 3, BuiltinQuad2, "quad3");
}

StatusWord BuiltinQuadm(CValue** args, int count, CValue* out, StatementContext* context)
{
    const void* target = nullptr;
    int kind = 0;
    std::vector<CValue*> params;
    if (StatusWord s = CheckIntegrand(args, count, 4, -1, context, &target, &kind, params)) return s;
    const CValue& lo = PlainValue(*args[1]);
    const CValue& hi = PlainValue(*args[2]);
    if (lo.Type() != VT_MATRIX || hi.Type() != VT_MATRIX || lo.Matrix().Rows() != 1 || hi.Matrix().Rows() != 1 ||
        lo.Matrix().Cols() != hi.Matrix().Cols())
        return ERR_INTERNAL;
    const int n = lo.Matrix().Cols();
    target = PlainValue(*args[0]).Pointer();
    kind = context->ClassifyPointer(target);
    if (context->CheckFunctionPointerArity(kind, target, n + (int)params.size()) != 0) {
        ReportError() << "First argument is a pointer to a function. Invalid function prototype";
        return ERR_INTERNAL;
    }
    std::vector<Complex> lower(n), upper(n), x(n);
    for (int i = 0; i < n; ++i)
        if (!ValueAsComplex(lo.Matrix().Cell(0, i), &lower[i]) || !ValueAsComplex(hi.Matrix().Cell(0, i), &upper[i])) {
            ReportError() << "Invalid range of integral";
            return ERR_INTERNAL;
        }
    double tol;
    if (StatusWord s = ReadTolerance(args, count, 3, &tol, "Tolerance must be a real number")) return s;
    SolverCallFrame frame(target, kind, context, n + (int)params.size(), n, params.data());
    SeedRand15((unsigned)std::time(nullptr));
    Complex I;
    int r = MonteCarloCore(CallIntegrandBox, &frame, n, lower.data(), upper.data(), tol, x.data(), &I);
    if (r > 0) return r;
    if (r < 0)
        ReportWarning() << "quadm: Solution will not converge during " << kQuadmMaxBatch
                        << " iterations. Result may be inaccurate";
    out->SetComplexNumber(I);
    return 0;
}
