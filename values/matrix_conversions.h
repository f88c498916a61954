#pragma once
// Value matrices to and from flat numeric arrays. Flat arrays are column-major
// (element j * m + i is row i, column j), allocated with new[] and owned by the caller.
#include <cstdint>

#include "values/complex.h"
#include "values/value_matrix.h"

class CComplexMatrix;

// Classifying results: 0 invalid (empty matrix or a cell that is not a number;
// arrays freed and outputs null), 1 all real-valued, 2 some non-zero imaginary part.
int ValueMatrixToRealArray(const CValueMatrix& m, double*& out);
int ValueMatrixToArray(const CValueMatrix& m, Complex*& out);
int ValueMatrixToRealOrComplexArray(const CValueMatrix& m, Complex*& cplx, double*& real);
int ValueMatrixToBothArrays(const CValueMatrix& m, Complex*& cplx, double*& real);

// Target resized to m x n (empty for a count below 1); returns m * n, or 0 when
// the target could not be resized.
int64_t ArrayToValueMatrix(const Complex* a, int m, int n, CValueMatrix& out);      // Complex cells
int64_t RealArrayToValueMatrix(const double* a, int m, int n, CValueMatrix& out);   // Real cells
// From a row-major array, each cell the conjugate.
int64_t ConjArrayToValueMatrix(const Complex* a, int rows, int cols, CValueMatrix& out);

// Row-major numeric matrices. 0 at the first cell that is not a number, else 1.
int ValueToComplexMatrix(const CValueMatrix& m, CComplexMatrix& out);
void ComplexMatrixToValue(const CComplexMatrix& m, CValueMatrix& out);  // every cell Complex
