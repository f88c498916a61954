#pragma once
// Builders and measures shared by the linear-algebra tests.
#include <cmath>
#include <initializer_list>

#include "values/complex.h"
#include "values/numeric_matrix.h"

// rows x cols matrix from row-major cells.
inline CComplexMatrix Mat(int rows, int cols, std::initializer_list<Complex> cells)
{
    CComplexMatrix m(rows, cols);
    auto it = cells.begin();
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) m.Cell(i, j) = *it++;
    return m;
}

inline CComplexMatrix RealMat(int rows, int cols, std::initializer_list<double> cells)
{
    CComplexMatrix m(rows, cols);
    auto it = cells.begin();
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) m.Cell(i, j) = Complex(*it++, 0.0);
    return m;
}

inline CComplexMatrix Identity(int n)
{
    CComplexMatrix m(n, n);
    m.MakeIdentity();
    return m;
}

inline CComplexMatrix ConjT(const CComplexMatrix& a)
{
    CComplexMatrix t;
    a.ConjTranspose(t);
    return t;
}

// n x n diagonal matrix from a 1 x n row (or an n x n diagonal real matrix).
inline CComplexMatrix DiagOf(const CComplexMatrix& row)
{
    CComplexMatrix d;
    d.MakeDiag(row.Row(0), row.Cols(), 0);
    return d;
}

inline double Frob(const CComplexMatrix& a)
{
    double s = 0;
    for (int i = 0; i < a.Rows(); i++)
        for (int j = 0; j < a.Cols(); j++) s += a.Cell(i, j).re * a.Cell(i, j).re + a.Cell(i, j).im * a.Cell(i, j).im;
    return std::sqrt(s);
}

// ||a - b||_F; a shape mismatch gives infinity.
inline double DiffNorm(const CComplexMatrix& a, const CComplexMatrix& b)
{
    if (a.Rows() != b.Rows() || a.Cols() != b.Cols()) return INFINITY;
    double s = 0;
    for (int i = 0; i < a.Rows(); i++)
        for (int j = 0; j < a.Cols(); j++) {
            double dr = a.Cell(i, j).re - b.Cell(i, j).re, di = a.Cell(i, j).im - b.Cell(i, j).im;
            s += dr * dr + di * di;
        }
    return std::sqrt(s);
}

inline double CAbs(const Complex& z) { return std::hypot(z.re, z.im); }
