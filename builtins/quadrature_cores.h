#pragma once
// Numeric cores of the quadratures: Simpson's rule with successive halving
// along a straight (possibly complex) path, and Monte Carlo sampling of a box.
#include <cstdint>

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

// Random numbers 0..32767 from a seed, the classic linear congruential rule.
struct QuadRandom {
    uint32_t state;
    explicit QuadRandom(uint32_t seed) : state(seed) {}
    int Next()
    {
        state = state * 1103515245u + 12345u;
        return (int)((state >> 16) & 0x7FFF);
    }
};

constexpr int kQuadmMaxBatch = 32768;

// Monte Carlo integral over the box [lo_k, hi_k]. 0, 1 when the batches
// stopped at the size limit without meeting tol (the result is still the
// last estimate), or the callback's status. x is scratch of n entries.
int MonteCarloCore(QuadBoxFn g, void* frame, int n, const Complex* lo, const Complex* hi, double tol,
                   QuadRandom& rng, Complex* x, Complex* result);
