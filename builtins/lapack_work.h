#pragma once
// Work arrays and small helpers shared by the handlers that call LAPACK.
#include <cstddef>
#include <vector>

#include "values/complex.h"
#include "values/lapack.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace lapack_work {

// Every array handed to LAPACK carries spare cells (LapackPadding): some BLAS
// kernels read past the end of a matrix. leading is the array's leading
// dimension when it holds a matrix.
inline std::vector<Complex> ComplexArray(size_t n, size_t leading = 0)
{
    return std::vector<Complex>(n + LapackPadding(n, leading));
}
inline std::vector<double> RealArray(size_t n, size_t leading = 0)
{
    return std::vector<double>(n + LapackPadding(n, leading), 0.0);
}
inline std::vector<int> IntArray(size_t n) { return std::vector<int>(n + LapackPadding(n), 0); }
// An n x n and an m x n complex work array; the element count is given back.
inline std::vector<Complex> AllocSquareWork(int n, size_t* count = nullptr)
{
    if (count) *count = (size_t)n * (size_t)n;
    return ComplexArray((size_t)n * (size_t)n, (size_t)n);
}
inline std::vector<Complex> AllocRectWork(int m, int n, size_t* count = nullptr)
{
    if (count) *count = (size_t)m * (size_t)n;
    return ComplexArray((size_t)m * (size_t)n, (size_t)m);
}

// Column-major complex copy of a value matrix; false (a empty) when the matrix
// is empty or a cell is not a number. allReal tells whether no cell had an
// imaginary part.
bool ToComplexArray(const CValueMatrix& m, std::vector<Complex>& a, bool* allReal = nullptr);
// The same into doubles; false also when a cell has an imaginary part.
bool ToRealArray(const CValueMatrix& m, std::vector<double>& a);

inline bool IsSquareMatrix(const CValue& x)
{
    return x.Type() == VT_MATRIX && !x.Matrix().IsEmpty() && x.Matrix().Rows() == x.Matrix().Cols();
}

// out becomes a fresh 1 x k matrix whose cells hold the outputs.
CValueMatrix& MakeOutputs(CValue* out, int k);
// Cell i of such an output row, made a matrix.
inline CValueMatrix& OutputMatrix(CValueMatrix& outs, int i) { return outs.Cell(0, i).GetMatrix(); }

// Complex Schur form of the n x n column-major array h: zgehrd, then (when q is
// given) zunghr on a copy that becomes Q, then zhseqr with job "S". h ends as T
// (of h 2^-k scaled back, where h lies beyond the range of values/range_scaling.h).
// Returns the first non-zero info, else 0.
// Status of a call that Stop abandoned (the stop status goes to the interpreter).
constexpr int kLapackStopped = -1000000;
int ComplexSchur(int n, std::vector<Complex>& h, std::vector<Complex>* q);

}  // namespace lapack_work
