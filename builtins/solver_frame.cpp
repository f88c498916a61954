#include "builtins/solver_frame.h"

#include "values/struct_value.h"
#include "values/value_matrix.h"

SolverCallFrame::SolverCallFrame(const void* t, int k, StatementContext* ctx, int argCount, int ownCount,
                                 CValue* const* extras)
    : context(ctx), target(t), kind(k), args(argCount > ownCount ? argCount : ownCount), own(ownCount)
{
    for (int i = 0; i < (int)args.size(); ++i) args[i] = i < ownCount ? &own[i] : extras[i - ownCount];
}

StatusWord SolverCallFrame::Call(CValue* result)
{
    if (!context) return ERR_FUNCTION_POINTER;
    if (context->Context()->IsStopRequested()) return ERR_STOPPED;
    return context->CallFunctionPointer(kind, target, args.data(), ArgCount(), result);
}

StatusWord SolverCallFrame::TakeReal(const CValue& value, double* out)
{
    const CValue& v = PlainValue(value);
    if (v.Type() == VT_REAL) {
        *out = v.Real();
        return 0;
    }
    if (v.Type() != VT_COMPLEX) return ERR_RETURN_MISMATCH;
    const Complex& z = v.ComplexRef();
    *out = z.re;
    if (z.im != 0.0 && !complexWarned) {
        ReportWarning() << "Complex number returned by the function is truncated to real";
        complexWarned = true;
    }
    return 0;
}

const CValue& PlainValue(const CValue& v)
{
    if (v.IsHandle() && v.HandleTarget()) return *v.HandleTarget();
    return v;
}

bool ValueAsComplex(const CValue& value, Complex* out)
{
    const CValue& v = PlainValue(value);
    if (v.Type() == VT_REAL) {
        *out = Complex(v.Real(), 0.0);
        return true;
    }
    if (v.Type() == VT_COMPLEX) {
        *out = v.ComplexRef();
        return true;
    }
    return false;
}

// ---- options ---------------------------------------------------------------

StatusWord ParseSolverOptions(const CValue* option, const char* ordinal, double* tol, int* iter, int* pts,
                              double* step)
{
    const CValue& opt = PlainValue(*option);
    if (opt.Tag() == VT_REAL) {
        *tol = opt.Real();
        return 0;
    }
    bool bad = opt.Type() != VT_STRUCT;
    if (!bad) {
        // Absent fields keep their defaults; every good field is stored even
        // when another one is bad.
        auto field = [&](const char* name, double* dest) {
            CStructField* f = opt.Struct().Find(name);
            if (!f) return false;
            const CValue& v = PlainValue(f->m_value);
            if (v.Type() == VT_REAL) {
                *dest = v.Real();
                return true;
            }
            if (v.Type() == VT_COMPLEX && !(v.ComplexRef().im != 0.0)) {
                *dest = v.ComplexRef().re;
                return true;
            }
            bad = true;
            return false;
        };
        double x;
        field("tol", tol);
        if (iter && field("iter", &x)) *iter = SaturateToInt(x);
        if (pts && field("pts", &x)) *pts = SaturateToInt(x);
        if (step) field("step", step);
    }
    if (bad) {
        ReportError() << ordinal << " argument must be a real-valued tolerance or the argument is invalid structure of options";
        return ERR_INTERNAL;
    }
    return 0;
}

// ---- start vectors -----------------------------------------------------------

namespace {

template <class T, class Take>
StatusWord ParseVector(std::vector<T>& out, CValue** args, int count, int index, bool allowEmpty, Take take,
                       const char* elementError)
{
    out.clear();
    if (count <= index) return 0;
    const CValue& v = PlainValue(*args[index]);
    T x;
    if (v.Type() == VT_REAL || v.Type() == VT_COMPLEX) {
        take(v, &x);
        out.push_back(x);
        return 0;
    }
    if (v.Type() == VT_MATRIX) {
        const CValueMatrix& m = v.Matrix();
        if (allowEmpty && (m.Rows() == 0 || m.Cols() == 0)) return 0;
        if ((m.Rows() == 1 || m.Cols() == 1) && m.Rows() > 0 && m.Cols() > 0) {
            const int n = m.Cols() != 1 ? m.Cols() : m.Rows();
            out.reserve(n);
            for (int i = 0; i < n; ++i) {
                const CValue& cell = PlainValue(m.Cols() != 1 ? m.Cell(0, i) : m.Cell(i, 0));
                if (cell.Type() != VT_REAL && cell.Type() != VT_COMPLEX) {
                    out.clear();
                    ReportError() << elementError;
                    return ERR_INTERNAL;
                }
                take(cell, &x);
                out.push_back(x);
            }
            return 0;
        }
    }
    ReportError() << "Second argument must be a scalar or initial vector of scalars";
    return ERR_INTERNAL;
}

}  // namespace

StatusWord ParseInitialVector(std::vector<double>& out, CValue** args, int count, int index, bool allowEmpty)
{
    return ParseVector(
        out, args, count, index, allowEmpty,
        [](const CValue& v, double* x) { *x = v.Type() == VT_REAL ? v.Real() : v.ComplexRef().re; },
        "Elements of initial vector must be a scalar");
}

StatusWord ParseComplexInitialVector(std::vector<Complex>& out, CValue** args, int count, int index,
                                     bool allowEmpty)
{
    return ParseVector(
        out, args, count, index, allowEmpty,
        [](const CValue& v, Complex* x) { *x = v.Type() == VT_REAL ? Complex(v.Real(), 0.0) : v.ComplexRef(); },
        "Elements of initial vector must be a real or complex numbers");
}

// ---- evaluation callbacks ----------------------------------------------------

int CallSolverFunctionComplex(const Complex* x, Complex* fx, void* raw)
{
    SolverCallFrame* frame = static_cast<SolverCallFrame*>(raw);
    frame->own[0].SetComplexNumber(*x);
    CValue result;
    if (StatusWord s = frame->Call(&result)) return s;
    return ValueAsComplex(result, fx) ? 0 : ERR_RETURN_MISMATCH;
}

int CallSolverFunctionReal(double x, double* fx, void* raw)
{
    SolverCallFrame* frame = static_cast<SolverCallFrame*>(raw);
    frame->own[0].SetReal(x);
    CValue result;
    if (StatusWord s = frame->Call(&result)) return s;
    return frame->TakeReal(result, fx);
}

int CallSolverFunctionVector(const double* x, int n, double* fx, void* raw)
{
    SolverCallFrame* frame = static_cast<SolverCallFrame*>(raw);
    CValue& cell = frame->own[0];
    if (n == 1) {
        cell.SetReal(x[0]);
    } else {
        CValueMatrix& m = cell.MakeMatrix(1, n);
        if (m.Cols() != n) return ERR_INTERNAL;
        for (int i = 0; i < n; ++i) m.Cell(0, i).SetReal(x[i]);
    }
    CValue result;
    if (StatusWord s = frame->Call(&result)) return s;
    return frame->TakeReal(result, fx);
}

// ---- shared checks -----------------------------------------------------------

StatusWord CheckSolverPointer(CValue** args, StatementContext* context, int userArgs, const void** target, int* kind)
{
    const CValue& fn = PlainValue(*args[0]);
    if (fn.Type() != VT_POINTER) {
        ReportError() << "First argument must be a pointer to the function";
        return ERR_INTERNAL;
    }
    *target = fn.Pointer();
    *kind = context->ClassifyPointer(*target);
    if (context->CheckFunctionPointerArity(*kind, *target, userArgs) != 0) {
        ReportError() << "Invalid pointer to the function a defined by first argument";
        return ERR_INTERNAL;
    }
    return 0;
}

StatusWord CheckWorkSize(long long size)
{
    if (size >= 0 && size <= kSolverMaxWork) return 0;
    ReportError() << "Dimension of the problem is too large";
    return ERR_INTERNAL;
}
