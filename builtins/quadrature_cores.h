#pragma once
// Numeric cores of the quadratures: Simpson's rule with successive halving
// along a straight (possibly complex) path, and Monte Carlo sampling of a box.
#include "values/complex.h"

// g(x) at one point of the path.
typedef int (*QuadFn)(const Complex* x, Complex* gx, void* frame);
// g(x_1, ..., x_N) at one point of the box.
typedef int (*QuadBoxFn)(const Complex* x, int n, Complex* gx, void* frame);

// Halvings are bounded: past this many the spacing is far below what any
// double integrand can resolve, and the estimate only follows rounding.
constexpr int kQuadMaxHalvings = 20;

// Integral of g from a to b. 0, -1 when the estimates did not settle within
// tol before the halving bound (or the spacing stopped moving the points),
// or the callback's status. *result holds the last estimate.
int SimpsonCore(QuadFn g, void* frame, const Complex& a, const Complex& b, double tol, Complex* result);

constexpr int kQuadmMaxBatch = 32768;

// Monte Carlo integral over the box [lo_k, hi_k]. 0, -1 when the batches
// stopped at the size limit without meeting tol (the result is still the
// last estimate), or the callback's status. x is scratch of n entries. The
// sample points come from the runtime's 15-bit generator (Rand15).
int MonteCarloCore(QuadBoxFn g, void* frame, int n, const Complex* lo, const Complex* hi, double tol, Complex* x,
                   Complex* result);
