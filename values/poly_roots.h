#pragma once
// Polynomial roots and interpolation; coefficients in ascending powers.
#include <vector>

#include "values/complex.h"

// Roots as the eigenvalues of the companion matrix. Zero leading (highest-power)
// coefficients are dropped first; exactly zero lowest coefficients give exact
// roots 0, placed after the others. 0 done; -1 fewer than two coefficients remain;
// -2 no convergence. Both failures report "Failed to find a roots of a polynomial";
// roots then holds zeros (or nothing for -1). tol: the relative size at which a
// subdiagonal of the iteration counts as negligible.
int PolyRoots(const Complex* coeffs, int count, std::vector<Complex>& roots, double tol = 5e-14);
// Coefficients (ascending) of the polynomial of degree n - 1 through (x[i], y[i]).
// 0 done; -1 when n < 2 (out untouched).
int PolyInterpolate(std::vector<Complex>& out, const Complex* x, const Complex* y, int n);
