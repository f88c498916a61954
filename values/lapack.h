#pragma once
// LAPACK prototypes (gfortran convention): every INTEGER is a 32-bit int
// passed by address; each CHARACTER argument adds a trailing hidden size_t
// length after all the others. Complex arrays are arrays of Complex.
#include <cstddef>

#include "values/complex.h"

extern "C" {
// LU factorisation with partial pivoting; ipiv is 1-based.
void zgetrf_(const int* m, const int* n, Complex* a, const int* lda, int* ipiv, int* info);
// Inverse from the zgetrf factors.
void zgetri_(const int* n, Complex* a, const int* lda, const int* ipiv, Complex* work,
             const int* lwork, int* info);
// A X = B through zgetrf; B is overwritten by X.
void zgesv_(const int* n, const int* nrhs, Complex* a, const int* lda, int* ipiv, Complex* b,
            const int* ldb, int* info);
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
}
