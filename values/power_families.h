#pragma once
// Powers over value matrices, in place on the matrix operand. Cells go through
// the value power operators, so cells of any numeric kind (and nested matrices)
// work. 0, or 10 after a reported error, or the status of the step that failed.
#include "values/value_matrix.h"

// a .^ b: the shapes must agree ("Array power, matrices must be a same sizes",
// 10); each cell of a .^= the cell of b, stopping at the first failing cell.
int MatrixArrayPowerMatrix(CValueMatrix& a, const CValueMatrix& b);
// m .^ s: each cell .^= s, stopping at the first failing cell.
int MatrixArrayPowerScalar(CValueMatrix& m, const CValue& s);
// s .^ m: each cell c becomes s .^ c, stopping at the first failing cell.
int ScalarArrayPowerMatrix(const CValue& s, CValueMatrix& m);
// a ^ b cell by cell: the shapes must agree (same message, 10); a failing cell
// has reported and the walk goes on; 0.
int MatrixPowerMatrix(CValueMatrix& a, const CValueMatrix& b);
// m ^ p for a number p: cell by cell for a matrix that is not square or is 1 x 1;
// for a whole real p repeated products (binary powering above 64), the identity
// for 0 and the inverse for a negative p; otherwise V diag(lambda^p) inverse(V)
// from the eigen-decomposition. Also the matrix square root (p = 0.5).
int MatrixSqrtOrPower(CValueMatrix& m, const CValue& p);
// m = s ^ m for a number s: cell by cell (s ^ c) when m is not square, else the
// matrix exponential of log(s) m.
int ScalarPowerMatrix(const CValue& s, CValueMatrix& m);

// The power families as new matrices: each runs on a copy of the matrix operand
// and gives the empty matrix when the routine fails.
CValueMatrix PowerResultMatrix(const CValue& s, const CValueMatrix& m);        // s ^ m
CValueMatrix PowerResultMatrix(const CValueMatrix& m, const CValue& p);        // m ^ p
CValueMatrix PowerResultMatrix(const CValueMatrix& a, const CValueMatrix& b);  // a ^ b cell by cell
