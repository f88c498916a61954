#pragma once
// Helpers for the matrix-function tests: numeric copies of results, residuals,
// and a small library that exposes the handlers by name to expressions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "builtin_eval.h"
#include "builtins/fft_functions.h"
#include "builtins/matrix_functions.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"

namespace mt {

// Numeric copy of a Matrix value (every cell a number), or of a number as 1 x 1.
inline CComplexMatrix Num(const CValue& v)
{
    CComplexMatrix m;
    if (v.Type() == VT_MATRIX) {
        EXPECT_TRUE(ValueToComplexMatrix(v.Matrix(), m)) << "cells are not numbers";
    } else if (v.IsNumber()) {
        m = CComplexMatrix(1, 1, v.GetComplex());
    } else {
        ADD_FAILURE() << "not a matrix or number";
    }
    return m;
}

// Cell i of a 1 x k output row.
inline const CValue& Part(const CValue& out, int i)
{
    static const CValue none;
    if (out.Type() != VT_MATRIX || out.Matrix().Rows() != 1 || i >= out.Matrix().Cols()) {
        ADD_FAILURE() << "no output " << i;
        return none;
    }
    return out.Matrix().Cell(0, i);
}

inline CComplexMatrix Adj(const CComplexMatrix& a)
{
    CComplexMatrix r;
    a.ConjTranspose(r);
    return r;
}

inline CComplexMatrix Mul(const CComplexMatrix& a, const CComplexMatrix& b) { return a * b; }

// Largest modulus of a - b; infinity when the shapes differ.
inline double MaxDiff(const CComplexMatrix& a, const CComplexMatrix& b)
{
    if (a.Rows() != b.Rows() || a.Cols() != b.Cols()) return INFINITY;
    double d = 0;
    for (int i = 0; i < a.Rows(); i++)
        for (int j = 0; j < a.Cols(); j++)
            d = std::fmax(d, std::hypot(a.Cell(i, j).re - b.Cell(i, j).re, a.Cell(i, j).im - b.Cell(i, j).im));
    return d;
}

inline CComplexMatrix Eye(int n)
{
    CComplexMatrix m(n, n);
    m.MakeIdentity();
    return m;
}

// a^H a = I (orthonormal columns).
inline double OrthonormalError(const CComplexMatrix& a) { return MaxDiff(Adj(a) * a, Eye(a.Cols())); }

// Largest modulus strictly below diagonal k (k = 0: below the main diagonal).
inline double BelowDiagonal(const CComplexMatrix& a, int k = 0)
{
    double d = 0;
    for (int i = 0; i < a.Rows(); i++)
        for (int j = 0; j < a.Cols() && j < i - k; j++)
            d = std::fmax(d, std::hypot(a.Cell(i, j).re, a.Cell(i, j).im));
    return d;
}

// A matrix value from a numeric matrix (Real cells where the imaginary part is 0).
inline CValue Val(const CComplexMatrix& m)
{
    CValue v;
    CValueMatrix& c = v.MakeMatrix(m.Rows(), m.Cols());
    for (int i = 0; i < m.Rows(); i++)
        for (int j = 0; j < m.Cols(); j++) c.Cell(i, j).SetComplexNumber(m.Cell(i, j));
    return v;
}

// Deterministic test matrices without special structure.
inline CComplexMatrix Sample(int m, int n, bool complex, int seed = 1)
{
    CComplexMatrix a(m, n);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) {
            double t = seed * 1.7 + i * 3.1 + j * 1.3;
            a.Cell(i, j) = Complex(std::sin(t) * 2 + (i == j ? 1.5 : 0.0), complex ? std::cos(2.3 * t) : 0.0);
        }
    return a;
}

// Handler rows by their language names, for calls through expressions.
void RegisterMatrixTestLibrary();

// The text of a number: a handler for tests that return a String.
StatusWord TestAsText(CValue* x, CValue* out);

class MatrixLibTest : public BuiltinTest {
protected:
    void SetUp() override
    {
        BuiltinTest::SetUp();
        RegisterMatrixTestLibrary();
    }
};

}  // namespace mt
