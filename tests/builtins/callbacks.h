#pragma once
// Adapters that hand C++ lambdas to the numeric cores as callback + frame.
#include <functional>
#include <vector>

#include "builtins/ode_cores.h"
#include "builtins/quadrature_cores.h"
#include "builtins/solver_cores.h"

struct RealFnBox {
    std::function<int(double, double*)> fn;
    std::vector<double> points;  // every point asked for
    static int Call(double x, double* fx, void* p)
    {
        auto* b = static_cast<RealFnBox*>(p);
        b->points.push_back(x);
        return b->fn(x, fx);
    }
};
inline RealFnBox RealOf(std::function<double(double)> f)
{
    return RealFnBox{[f](double x, double* fx) {
        *fx = f(x);
        return 0;
    }, {}};
}

struct ComplexFnBox {
    std::function<int(const Complex&, Complex*)> fn;
    std::vector<Complex> points;
    static int Call(const Complex* x, Complex* fx, void* p)
    {
        auto* b = static_cast<ComplexFnBox*>(p);
        b->points.push_back(*x);
        return b->fn(*x, fx);
    }
};

struct VectorFnBox {
    std::function<double(const double*, int)> fn;
    int calls = 0;
    int failAt = -1;  // a call number that fails with status 50
    static int Call(const double* x, int n, double* fx, void* p)
    {
        auto* b = static_cast<VectorFnBox*>(p);
        if (b->calls++ == b->failAt) return 50;
        *fx = b->fn(x, n);
        return 0;
    }
};

struct SystemFnBox {
    std::function<int(int, const Complex*, int, Complex*)> fn;
    static int Call(int i, const Complex* x, int n, Complex* fx, void* p)
    {
        return static_cast<SystemFnBox*>(p)->fn(i, x, n, fx);
    }
};

struct QuadFnBox {
    std::function<int(const Complex&, Complex*)> fn;
    int calls = 0;
    static int Call(const Complex* x, Complex* gx, void* p)
    {
        auto* b = static_cast<QuadFnBox*>(p);
        ++b->calls;
        return b->fn(*x, gx);
    }
    static int CallBox(const Complex* x, int, Complex* gx, void* p) { return Call(x, gx, p); }
};
inline QuadFnBox QuadOf(std::function<double(double)> f)
{
    return QuadFnBox{[f](const Complex& x, Complex* g) {
        *g = Complex(f(x.re), 0.0);
        return 0;
    }, 0};
}

struct OdeFnBox {
    std::function<void(double, const double*, double*)> fn;
    int calls = 0;
    static int Call(double* yp, const double* t, const double* y, int, void* p)
    {
        auto* b = static_cast<OdeFnBox*>(p);
        ++b->calls;
        b->fn(*t, y, yp);
        return 0;
    }
};

// Collects stored points of an ODE driver.
struct OdeTrace {
    std::vector<double> times;
    std::vector<std::vector<double>> states;
    static int Store(const double* t, const double* y, int n, void* p)
    {
        auto* tr = static_cast<OdeTrace*>(p);
        tr->times.push_back(*t);
        tr->states.emplace_back(y, y + n);
        return 0;
    }
};
