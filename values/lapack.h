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
// Real Hessenberg reduction, its orthogonal factor and the real Schur form.
void dgehrd_(const int* n, const int* ilo, const int* ihi, double* a, const int* lda, double* tau,
             double* work, const int* lwork, int* info);
void dorghr_(const int* n, const int* ilo, const int* ihi, double* a, const int* lda, const double* tau,
             double* work, const int* lwork, int* info);
void dhseqr_(const char* job, const char* compz, const int* n, const int* ilo, const int* ihi, double* h,
             const int* ldh, double* wr, double* wi, double* z, const int* ldz, double* work,
             const int* lwork, int* info, size_t jobLen, size_t compzLen);
// QR factorisation, with column pivoting, and its unitary factor.
void zgeqrf_(const int* m, const int* n, Complex* a, const int* lda, Complex* tau, Complex* work,
             const int* lwork, int* info);
void zgeqpf_(const int* m, const int* n, Complex* a, const int* lda, int* jpvt, Complex* tau,
             Complex* work, double* rwork, int* info);
void zungqr_(const int* m, const int* n, const int* k, Complex* a, const int* lda, const Complex* tau,
             Complex* work, const int* lwork, int* info);
// Cholesky factorisation; uplo is CHARACTER*1.
void zpotrf_(const char* uplo, const int* n, Complex* a, const int* lda, int* info, size_t uploLen);
// Eigenvalues and eigenvectors, plain and generalized.
void zgeev_(const char* jobvl, const char* jobvr, const int* n, Complex* a, const int* lda, Complex* w,
            Complex* vl, const int* ldvl, Complex* vr, const int* ldvr, Complex* work, const int* lwork,
            double* rwork, int* info, size_t jobvlLen, size_t jobvrLen);
void zggev_(const char* jobvl, const char* jobvr, const int* n, Complex* a, const int* lda, Complex* b,
            const int* ldb, Complex* alpha, Complex* beta, Complex* vl, const int* ldvl, Complex* vr,
            const int* ldvr, Complex* work, const int* lwork, double* rwork, int* info, size_t jobvlLen,
            size_t jobvrLen);
// Generalized Schur form; selctg is a LOGICAL FUNCTION, unused with sort "N".
typedef int (*LapackComplexSelect2)(const Complex* alpha, const Complex* beta);
void zgges_(const char* jobvsl, const char* jobvsr, const char* sort, LapackComplexSelect2 selctg,
            const int* n, Complex* a, const int* lda, Complex* b, const int* ldb, int* sdim, Complex* alpha,
            Complex* beta, Complex* vsl, const int* ldvsl, Complex* vsr, const int* ldvsr, Complex* work,
            const int* lwork, double* rwork, int* bwork, int* info, size_t jobvslLen, size_t jobvsrLen,
            size_t sortLen);
void dgges_(const char* jobvsl, const char* jobvsr, const char* sort, void* selctg, const int* n, double* a,
            const int* lda, double* b, const int* ldb, int* sdim, double* alphar, double* alphai, double* beta,
            double* vsl, const int* ldvsl, double* vsr, const int* ldvsr, double* work, const int* lwork,
            int* bwork, int* info, size_t jobvslLen, size_t jobvsrLen, size_t sortLen);
// Random numbers; iseed holds four values in 0..4095, the fourth odd.
void dlarnv_(const int* idist, int* iseed, const int* n, double* x);
void zlarnv_(const int* idist, int* iseed, const int* n, Complex* x);
// C = alpha op(A) op(B) + beta C (BLAS); transa, transb are CHARACTER*1.
void dgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const double* alpha, const double* a, const int* lda, const double* b, const int* ldb,
            const double* beta, double* c, const int* ldc, size_t transaLen, size_t transbLen);
void zgemm_(const char* transa, const char* transb, const int* m, const int* n, const int* k,
            const Complex* alpha, const Complex* a, const int* lda, const Complex* b, const int* ldb,
            const Complex* beta, Complex* c, const int* ldc, size_t transaLen, size_t transbLen);
// LAPACK's argument-error handler; ours records the error instead of stopping.
void xerbla_(const char* srname, const int* info, size_t srnameLen);
}

// The vectorised gemv kernels of the installed BLAS read up to a few columns
// past the end of a matrix (enough to fault on large ones), so every array
// handed to LAPACK carries spare cells: four leading dimensions and a margin.
// Without a leading dimension the array is taken as square.
size_t LapackPadding(size_t count, size_t leading = 0);

