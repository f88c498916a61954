#pragma once
// Numeric cores of the ODE solvers: the Fehlberg 4(5) step, the linearly
// implicit step with step doubling, and the two integration drivers (an
// adaptive one over an interval, a fixed one over a grid of times).
// Results: 0, -1 when the tolerance could not be met at the minimum step
// (or the step no longer advances t), or a status of a callback.

// y' = f(t, y) for n equations.
typedef int (*OdeFn)(double* yprime, const double* t, const double* y, int n, void* frame);
// Stores one point of the solution.
typedef int (*OdeStoreFn)(const double* t, const double* y, int n, void* target);
// One accepted step (Ode5Step or Ode4sStep).
typedef int (*OdeStepFn)(OdeFn f, void* frame, int n, double hmin, double tol, double R, double* y, double* t,
                         double* h, bool* endFlag, double* work);

inline int Ode5WorkSize(int n) { return 6 * n + 1; }
inline int Ode4sWorkSize(int n) { return (3 * n + 11) * n + 1; }

// Adaptive drivers stop with -1 after this many steps.
constexpr long kOdeMaxSteps = 1000000;

int Ode5Step(OdeFn f, void* frame, int n, double hmin, double tol, double R, double* y, double* t, double* h,
             bool* endFlag, double* work);
int Ode4sStep(OdeFn f, void* frame, int n, double hmin, double tol, double R, double* y, double* t, double* h,
              bool* endFlag, double* work);

// Building blocks of the linearly implicit step. Matrices are n x n row-major; the
// Jacobian's row j holds the derivatives with respect to y_j.
int OdeJacobian(OdeFn f, void* frame, int n, double t, double* y, double tol, double* J, double* fm, double* fp);
int OdeTimeDerivative(OdeFn f, void* frame, int n, double t, const double* y, double tol, double* ft, double* fm,
                      double* fp);
// Gauss-Jordan inversion with complete pivoting, in place. No singularity test.
void InvertMatrixFullPivot(double* A, int n);
// out_i = h * sum_j M[j][i] v_j
void ScaledMatrixVectorProduct(int n, const double* M, const double* v, double h, double* out);

// Adaptive driver from start to end; stores the start and every accepted step.
int OdeAdaptiveCore(OdeStepFn step, OdeFn f, void* frame, int n, double start, const double* y0, double end,
                    double hmin, double tol, double R, double* h, double* y, double* work, OdeStoreFn store,
                    void* target);
// Grid driver over k >= 1 times; stores y0 and the state at every later time.
int OdeGridCore(OdeStepFn step, OdeFn f, void* frame, int n, const double* y0, const double* ts, int k, double tol,
                double R, double* y, double* work, OdeStoreFn store, void* target);

inline int Ode5Core(OdeFn f, void* frame, int n, double start, const double* y0, double end, double hmin,
                    double tol, double R, double* h, double* y, double* work, OdeStoreFn store, void* target)
{
    return OdeAdaptiveCore(Ode5Step, f, frame, n, start, y0, end, hmin, tol, R, h, y, work, store, target);
}
inline int Ode4sCore(OdeFn f, void* frame, int n, double start, const double* y0, double end, double hmin,
                     double tol, double R, double* h, double* y, double* work, OdeStoreFn store, void* target)
{
    return OdeAdaptiveCore(Ode4sStep, f, frame, n, start, y0, end, hmin, tol, R, h, y, work, store, target);
}
inline int Ode5CoreB(OdeFn f, void* frame, int n, const double* y0, const double* ts, int k, double tol,
                     double R, double* y, double* work, OdeStoreFn store, void* target)
{
    return OdeGridCore(Ode5Step, f, frame, n, y0, ts, k, tol, R, y, work, store, target);
}
inline int Ode4sCoreB(OdeFn f, void* frame, int n, const double* y0, const double* ts, int k, double tol,
                      double R, double* y, double* work, OdeStoreFn store, void* target)
{
    return OdeGridCore(Ode4sStep, f, frame, n, y0, ts, k, tol, R, y, work, store, target);
}
