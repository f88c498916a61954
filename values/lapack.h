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

// Singular value decomposition; jobu, jobvt are CHARACTER*1.
void zgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, Complex* a,
             const int* lda, double* s, Complex* u, const int* ldu, Complex* vt, const int* ldvt,
             Complex* work, const int* lwork, double* rwork, int* info, size_t jobuLen,
             size_t jobvtLen);
// Hessenberg reduction and its unitary factor.
void zgehrd_(const int* n, const int* ilo, const int* ihi, Complex* a, const int* lda, Complex* tau,
             Complex* work, const int* lwork, int* info);
void zunghr_(const int* n, const int* ilo, const int* ihi, Complex* a, const int* lda,
             const Complex* tau, Complex* work, const int* lwork, int* info);
// Schur form of a Hessenberg matrix.
void zhseqr_(const char* job, const char* compz, const int* n, const int* ilo, const int* ihi,
             Complex* h, const int* ldh, Complex* w, Complex* z, const int* ldz, Complex* work,
             const int* lwork, int* info, size_t jobLen, size_t compzLen);
// Matrix norm ("1", "I", "F", "M").
double zlange_(const char* norm, const int* m, const int* n, const Complex* a, const int* lda,
               double* work, size_t normLen);
// Reciprocal condition estimate from the zgetrf factors.
void zgecon_(const char* norm, const int* n, const Complex* a, const int* lda, const double* anorm,
             double* rcond, Complex* work, double* rwork, int* info, size_t normLen);
// Random numbers; iseed holds four values in 0..4095, the fourth odd.
void dlarnv_(const int* idist, int* iseed, const int* n, double* x);
void zlarnv_(const int* idist, int* iseed, const int* n, Complex* x);
// LAPACK's argument-error handler; ours records the error instead of stopping.
void xerbla_(const char* srname, const int* info, size_t srnameLen);
}
