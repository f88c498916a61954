#include "values/numeric_path.h"

#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"

int NumericMatrixProduct(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    CComplexMatrix x, y;
    ValueToComplexMatrix(a, x);
    ValueToComplexMatrix(b, y);
    if (x.Cols() != y.Rows() && x.Cols() == y.Cols() && x.Rows() == y.Rows()) {
        for (int i = 0; i < x.Rows(); ++i)
            for (int j = 0; j < x.Cols(); ++j) x.Cell(i, j) *= y.Cell(i, j);
    } else if (int st = x.Multiply(y)) {
        return st;
    }
    ComplexMatrixToValue(x, result);
    return 0;
}

int NumericScalarOverMatrix(const Complex& s, const CValueMatrix& b, CValueMatrix& result)
{
    CComplexMatrix y, x;
    ValueToComplexMatrix(b, y);
    if (int st = x.ScalarOver(s, y)) return st;
    ComplexMatrixToValue(x, result);
    return 0;
}

int NumericMatrixDivideRight(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& result)
{
    CComplexMatrix x, y;
    ValueToComplexMatrix(a, x);
    ValueToComplexMatrix(b, y);
    if (int st = x.DivideRight(y)) return st;
    ComplexMatrixToValue(x, result);
    return 0;
}
