// LU, determinant, inverse and the linear solvers on complex matrices.
#include "values/elimination.h"

using P = ComplexCellPolicy;

int CComplexMatrix::LU(CComplexMatrix& L, CComplexMatrix& U, CComplexMatrix& perm) const
{
    return elimination::LU<P>(*this, L, U, perm);
}

Complex& CComplexMatrix::Det(Complex& det)
{
    elimination::Determinant<P>(*this, det);
    return det;
}

Complex CComplexMatrix::DetValue() const
{
    CComplexMatrix w(*this);
    Complex det;
    elimination::Determinant<P>(w, det);
    return det;
}

int CComplexMatrix::PivotRow(int k) { return elimination::PivotRow<P>(*this, k); }

int CComplexMatrix::Invert() { return elimination::Invert<P>(*this); }

int CComplexMatrix::SolveX(const CComplexMatrix& b, CComplexMatrix& x) const
{
    return elimination::SolveByRotations<P>(*this, b, x);
}

int CComplexMatrix::Solve(const CComplexMatrix& b, CComplexMatrix& x) const
{
    return elimination::SolveByElimination<P>(*this, b, x);
}
