#pragma once
// Numeric cores of the zero finder, the minimisers and the nonlinear system
// solver. They know nothing of language values: the function is a callback
// with an opaque frame. Results: 0 converged, negative for a limit that was
// not met (the handler turns it into a message), otherwise the callback's
// status, returned at once.
#include "values/complex.h"

// f(x) for a complex point.
typedef int (*SolverComplexFn)(const Complex* x, Complex* fx, void* frame);
// f(x) for a real point.
typedef int (*SolverRealFn)(double x, double* fx, void* frame);
// f(x) for a point of n coordinates.
typedef int (*SolverVectorFn)(const double* x, int n, double* fx, void* frame);
// F_i(x) of a system of n equations (i is 0-based).
typedef int (*SolverSystemFn)(int i, const Complex* x, int n, Complex* fx, void* frame);

// ---- zero finder (Muller's method with deflation) ------------------------

// X holds k known zeros, then the start values of the n zeros to find
// (g of them given, the rest start at 0); counts has k + n entries. On return
// X holds the zeros (or the last points reached) and counts the evaluations
// each zero used (more than maxEval when it failed). -1 when a zero failed.
// A real start on a function real there stays on the real line.
int FzeroCore(SolverComplexFn f, int k, int g, int n, const double* tol, int digits, int maxEval,
              void* frame, Complex* X, int* counts);

// ---- one-dimensional minimisers -----------------------------------------

// Brent's method from b within the interval of a and c (either order).
// 0, -1 when the iterations ran out; x and fx are written in every case.
int FminCore(SolverRealFn f, double a, double b, double c, const double* tol, int maxIter, void* frame,
             double* x, double* fx);

// Samples [x1, x2] until the number of local minima is stable. On entry
// *count is the capacity of left/right, on return the number of minima.
int MinimaBracketScan(SolverRealFn f, void* frame, const double* x1, const double* x2, int stability,
                      int* count, double* left, double* right);

// Fibonacci search over [a, b] with n evaluations (n < 1: golden section to tol).
int FibonacciSearch(SolverRealFn f, void* frame, const double* a, const double* b, const double* tol, int n,
                    double* x, double* fx);

// All local minima on [x1, x2], sorted by value. *count: capacity in, found out.
int FmingCore(SolverRealFn f, void* frame, const double* x1, const double* x2, const double* tol,
              int stability, int* count, double* xs, double* fs);

// ---- multi-dimensional minimisers ---------------------------------------

// Bracket of a minimum of a line function from (a, b). 0, or -1 after itmax passes.
int BracketMinimum(SolverRealFn f, void* frame, double* a, double* b, double* c, double* fa, double* fb,
                   double* fc, int itmax);

// Minimises t -> f(p + t xi); then xi = t_min xi, p = p + xi.
int LineMinimize(SolverVectorFn f, void* frame, double* p, double* xi, int n, double* fret, int itmax);

// Powell's conjugate directions. xi is an n x n work matrix (row i a direction).
int Fmins3eCore(SolverVectorFn f, void* frame, int n, double* p, double* fret, double* xi,
                const double* ftol, int itmax);

// Rosenbrock's rotating coordinates. 0, -1 (evaluation limit), -2 (stage limit).
int Fmins2Core(SolverVectorFn f, void* frame, int n, double* x, double* fmin, double step, double tol,
               int iter);

// Diagonalises the symmetric n x n matrix H (row-major) by cyclic Jacobi
// rotations and applies each rotation to the rows of V. h is the difference
// step that produced H: off-diagonal terms below what it can resolve count as 0.
void JacobiEigen(double* H, double* V, int n, double h);

// Quasi-Newton search over the eigenvectors of a difference Hessian. step is
// halved in place after every sweep. 0 or -1 (limit); x holds the point reached.
int FminsSearchCore(SolverVectorFn f, void* frame, int n, double* x, double* fx, double* step,
                    const double* tol, const int* iter);

// ---- nonlinear systems ---------------------------------------------------

// Newton's method in complex arithmetic from x (or, without a start, from a
// fixed family of start vectors), the steps by elimination with partial
// pivoting. Returns 0 or a callback status; x is set to NaN when the solve
// gave up or needed niter or more iterations. A last attempt that ended on a
// singular Jacobian is reported as an error, status 10.
int NlsolveCore(SolverSystemFn f, void* frame, int n, Complex* x, bool haveStart, double tol, int niter);
