#pragma once
// Drivers of LAPACK routines on numeric matrices. Status: 0 done, 10 reported
// LAPACK failure, 69 matrix unusable (empty, or not square where required).
#include <cstddef>
#include <string>

#include "values/complex.h"
#include "values/numeric_matrix.h"

class CValueMatrix;

// A = U S V^H; U m x k, S k x k real diagonal, V n x k, k = min(m, n).
int LapackSvd(const CComplexMatrix& A, CComplexMatrix& U, CRealMatrix& S, CComplexMatrix& V);
// Singular values, largest first, as a k x 1 column.
int LapackSvdValues(const CComplexMatrix& A, CRealMatrix& s);
// A = Q T Q^H with T upper triangular.
int LapackSchur(const CComplexMatrix& A, CComplexMatrix& Q, CComplexMatrix& T);
// The same with T the Schur form of A 2^-scale: scale is not 0 when A lies
// beyond the range where the reduction keeps its digits (values/range_scaling.h).
int LapackSchurScaled(const CComplexMatrix& A, CComplexMatrix& Q, CComplexMatrix& T, int& scale);
// A replaced by its inverse (unchanged on failure); warns when nearly singular.
int LapackInverse(CComplexMatrix& A);
int LapackInverse(const CComplexMatrix& A, CComplexMatrix& result);
// F = fn(A) by the Schur form and the Parlett recurrence; esterr (may be null)
// receives an error estimate.
using ComplexFunction = Complex (*)(const Complex&);
using ComplexFunctionOut = void (*)(Complex&, const Complex&);
int SchurMatrixFunction(const CComplexMatrix& A, CComplexMatrix& F, ComplexFunction fn, double* esterr);
// The steps after the diagonal of F = f(T) is known, shared with funm:
// Parlett's recurrence fills F's strict upper part and returns the smallest
// eigenvalue gap |T(j,j) - T(i,i)| (starting at |T(0,0)|); the back-transform
// gives Q F Q^H, with tiny imaginary parts cut when the input was real; the
// estimate is (eps / gap) times the norm of T's strict upper part, in [eps, 1].
double ParlettRecurrence(const CComplexMatrix& T, CComplexMatrix& F);
CComplexMatrix SchurBackTransform(const CComplexMatrix& Q, const CComplexMatrix& F, bool realInput);
double SchurErrorEstimate(const CComplexMatrix& T, double gap);
int SchurMatrixFunction(const CComplexMatrix& A, CComplexMatrix& F, ComplexFunctionOut fn, double* esterr);
// Fills M with random numbers: mode 1 Real cells (dlarnv), mode 2 Complex cells
// (zlarnv), other modes leave M alone. idist is LAPACK's distribution code.
int RandomMatrix(CValueMatrix& M, int mode, int idist);
// The same numbers as mode 1 straight into Real cells of the empty M, made
// rows x cols; false (M still empty) without memory, for an empty shape, or
// when the program stopped on the way.
bool RandomRealMatrix(CValueMatrix& M, int rows, int cols, int idist);
// n numbers of dlarnv's uniform (0, 1) distribution, bit for bit, and iseed
// carried on as dlarnv carries it.
void DrawUniform(int iseed[4], double* x, size_t n);

// Whether the first count numbers are all finite. The eigenvalue, Schur,
// singular value and QZ routines are not defined on INF or NAN (they may loop
// for ever or write outside their arrays): their callers check this first.
bool AllFinite(const Complex* a, size_t count);
bool AllFinite(const double* a, size_t count);
bool AllFinite(const CComplexMatrix& m);

// The last argument error LAPACK reported on this thread through xerbla_
// (routine name and argument position); cleared by the call.
bool TakeLapackArgumentError(std::string* routine, int* position);
