#pragma once
// Matrix products and quotients of all-number value matrices, computed on
// complex numeric matrices; the results hold Complex cells throughout.
#include "values/complex.h"
#include "values/value_matrix.h"

// result = a * b (a cell-by-cell product for equal shapes whose inner sizes differ).
int NumericMatrixProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result);
// The same product when every cell is a finite real number and the product is
// large enough for the library; false (result untouched) otherwise, whatever
// the cells hold.
bool RealCellMatrixProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result);
// result = s / b.
int NumericScalarOverMatrix(const Complex& s, const CValueMatrix& b, CValueMatrix& result);
// result = a / b.
int NumericMatrixDivideRight(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result);
// solve's elimination (partial pivoting on [A | B]) when every cell of a and b
// is a finite Real: x gets bit for bit the Complex cells the complex road
// makes, from packed doubles. False (x untouched) for other cells or shapes,
// and whenever a step leaves what the packed form follows exactly (a zero
// pivot, a zero met by a zero product, a value that is not finite): the
// complex road then runs.
bool SolveRealCells(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& x);
