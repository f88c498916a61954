#pragma once
// Handlers of the "Matrix and Algebra" library that search, reduce, cut, join,
// build and reshape value matrices, and the linear equation solvers.
//
// Statuses: 0 done; 10 after the handler's own "Error: " message; 69 (or the
// code named) without a message unless noted. Handlers marked "consumes" work
// in their argument's own storage and hand it to out: the interpreter gives
// every call values of its own, so the caller's variables are not touched.
#include "interpreter/func_records.h"

// ---- searches and reductions (matrix_search.cpp) ----------------------------
// Logical OR / AND of the cells: a vector reduces to one value (a one-cell
// vector gives a copy of its cell), a wider matrix to a row of column results.
// Mixed kinds report "Elements of an arguments is invalid or not agreed" (10);
// matrix cells of different shapes give 86.
StatusWord BuiltinAny(CValue* x, CValue* out);
StatusWord BuiltinAll(CValue* x, CValue* out);
// 1-based row-major positions of the non-zero cells; [J,I] and [J,I,V] forms
// return a 1 x 2 / 1 x 3 matrix of outputs.
StatusWord BuiltinFind(CValue* x, CValue* out);
StatusWord BuiltinFind2(CValue* x, CValue* out);
StatusWord BuiltinFind3(CValue* x, CValue* out);
// Largest / smallest of the arguments; a matrix argument takes part through
// its own extreme cell. Ties keep the earlier value.
StatusWord BuiltinMax(CValue** args, int count, CValue* out);
StatusWord BuiltinMin(CValue** args, int count, CValue* out);

// ---- rows, columns and concatenation (matrix_rows.cpp) ----------------------
// row(X,k) / col(X,k): a copy of one row or column ("Row index is out of
// range" / "Column index is out of range", 10). The Basic library's one-argument
// row and col are other functions.
StatusWord BuiltinMatrixRow(CValue* x, CValue* k, CValue* out);
StatusWord BuiltinMatrixCol(CValue* x, CValue* k, CValue* out);
// Delete the listed rows / columns (consumes x).
StatusWord BuiltinDrow(CValue* x, CValue* k, CValue* out);
StatusWord BuiltinDcol(CValue* x, CValue* k, CValue* out);
// Side by side (matrices, strings, chars) and one above the other (matrices);
// a shorter operand is padded with Real 0.
StatusWord BuiltinHrzcat(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinVrtcat(CValue* x, CValue* y, CValue* out);

// ---- random matrices and builders (matrix_builders.cpp) ---------------------
// rand: uniform on (0,1); randn: standard normal. One argument: n (n x n) or a
// vector [rows, cols]; two arguments: rows, cols.
StatusWord BuiltinRand(CValue* x, CValue* out);
StatusWord BuiltinRand2(CValue* y, CValue* x, CValue* out);
StatusWord BuiltinRandn(CValue* x, CValue* out);
StatusWord BuiltinRandn2(CValue* y, CValue* x, CValue* out);
// (n), (rows, cols) or ([rows, cols]).
StatusWord BuiltinOnes(CValue** args, int count, CValue* out);
StatusWord BuiltinZeros(CValue** args, int count, CValue* out);
StatusWord BuiltinEye(CValue** args, int count, CValue* out);
// diag(V[,k]): V on the k-th diagonal; gdiag(X[,k]): the k-th diagonal as a row.
StatusWord BuiltinDiag(CValue** args, int count, CValue* out);
StatusWord BuiltinGdiag(CValue** args, int count, CValue* out);
// Upper / lower triangle from the k-th diagonal (consumes x).
StatusWord BuiltinTriu(CValue* x, CValue* k, CValue* out);
StatusWord BuiltinTril(CValue* x, CValue* k, CValue* out);

// ---- reductions and reshaping (matrix_builders.cpp) -------------------------
// A vector reduces to one value, another matrix column by column.
StatusWord BuiltinSum(CValue* x, CValue* out);
StatusWord BuiltinProd(CValue* x, CValue* out);
StatusWord BuiltinCumsum(CValue* x, CValue* out);
StatusWord BuiltinCumprod(CValue* x, CValue* out);
// Sorted / reversed copies of a vector or of each column; strings by their
// characters (consume a matrix or string argument). A long sort stops with 25
// when the program's stop flag rises.
StatusWord BuiltinSorta(CValue* x, CValue* out, StatementContext* context = nullptr);
StatusWord BuiltinSortd(CValue* x, CValue* out, StatementContext* context = nullptr);
StatusWord BuiltinBackord(CValue* x, CValue* out);
StatusWord BuiltinLength(CValue* x, CValue* out);
StatusWord BuiltinRang(CValue* x, CValue* out);
// Sum of the diagonal of a matrix; any other value comes back unchanged. The
// Basic library's message trace is another function.
StatusWord BuiltinMatrixTrace(CValue* x, CValue* out);

// ---- linear equation solvers (linear_solvers.cpp) ---------------------------
// X with M*X = V: Gaussian elimination (solve) or rotations (solvex) on
// numbers, the value-cell solver otherwise.
StatusWord BuiltinSolve(CValue* m, CValue* v, CValue* out);
StatusWord BuiltinSolvex(CValue* m, CValue* v, CValue* out);

// ---- shared by the builders --------------------------------------------------
// A size argument: a Real, or a Complex with imaginary part 0, rounded halves
// away from zero. False for anything else.
bool ReadSizeArgument(const CValue& v, double& rounded);
// out becomes a rows x cols matrix of fill (empty below 1). A shape no memory
// can hold reports "Matrix indexing (rows,cols) is limits exceeded" and gives
// 10 with out unchanged.
StatusWord BuildFilledMatrix(double rows, double cols, const CValue& fill, CValue& out);
