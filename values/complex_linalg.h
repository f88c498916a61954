#pragma once
// A scalar to the power of a complex matrix, made with the matrix's own
// exponential (CComplexMatrix's decompositions, norms and powers are
// defined beside it, in complex_linalg.cpp).
#include "values/complex.h"

class CComplexMatrix;

// M = s^M: cell by cell when M is not square, else expm(log(s) M). Always 0.
int ScalarPowMatrix(const Complex& s, CComplexMatrix& M);
