#pragma once
// Power-of-two scaling of a matrix into the range where the decompositions
// keep their digits: squares and products of its cells neither overflow nor
// sink into subnormals. The bounds are those at which LAPACK's drivers scale
// (sqrt of the safe minimum over the precision, and its reciprocal). A matrix
// whose largest part lies within them is never touched, so its results stay
// as they were; scaling by a power of two is exact, so one outside them comes
// back with the digits it would have had in range.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "values/complex.h"
#include "values/numeric_matrix.h"

constexpr double kRangeLow = 0x1p-459;
constexpr double kRangeHigh = 0x1p459;

// Largest |re| or |im| of n cells (NaN never wins; INF does).
inline double LargestPart(const Complex* a, size_t n)
{
    double big = 0.0;
    for (size_t i = 0; i < n; i++) big = std::fmax(big, std::fmax(std::fabs(a[i].re), std::fabs(a[i].im)));
    return big;
}

inline double LargestPart(const double* a, size_t n)
{
    double big = 0.0;
    for (size_t i = 0; i < n; i++) big = std::fmax(big, std::fabs(a[i]));
    return big;
}

inline double LargestPart(const CComplexMatrix& m)
{
    double big = 0.0;
    for (int i = 0; i < m.Rows(); i++) big = std::fmax(big, LargestPart(m.Row(i), (size_t)m.Cols()));
    return big;
}

// The exponent of `largest`, e with largest = f 2^e and f in [0.5, 1).
inline int ExponentOf(double largest)
{
    int e = 0;
    std::frexp(largest, &e);
    return e;
}

// The k for which 2^-k brings a matrix whose largest part is `largest` to
// [0.5, 1); 0 when it lies within the bounds, is 0, INF or NaN (those are
// left to the algorithm as they are).
inline int RangeExponent(double largest)
{
    if (!(largest > 0.0) || !std::isfinite(largest)) return 0;
    if (largest >= kRangeLow && largest <= kRangeHigh) return 0;
    return ExponentOf(largest);
}

inline int RangeExponent(const CComplexMatrix& m) { return RangeExponent(LargestPart(m)); }

// Cells times 2^k (each part once through ldexp: exact unless it leaves the
// double range, where it rounds, to INF or 0 with the cell's sign).
inline void ScaleCells(Complex* a, size_t n, int k)
{
    if (k == 0) return;
    for (size_t i = 0; i < n; i++) {
        a[i].re = std::ldexp(a[i].re, k);
        a[i].im = std::ldexp(a[i].im, k);
    }
}

inline void ScaleCells(double* a, size_t n, int k)
{
    if (k == 0) return;
    for (size_t i = 0; i < n; i++) a[i] = std::ldexp(a[i], k);
}

inline void ScaleMatrix(CComplexMatrix& m, int k)
{
    for (int i = 0; i < m.Rows(); i++) ScaleCells(m.Row(i), (size_t)m.Cols(), k);
}

// An exponent carried beside a matrix, held within +-2^40: far past the
// +-2200 that takes any non-zero double beyond either end of the range, so
// that sums and doublings of it neither overflow nor change what it decides.
inline int64_t SaturatedExponent(int64_t e)
{
    constexpr int64_t kLimit = int64_t(1) << 40;
    return std::max(-kLimit, std::min(kLimit, e));
}

// The int to hand ldexp for an exponent from SaturatedExponent.
inline int LdexpExponent(int64_t e) { return (int)std::max<int64_t>(-2200, std::min<int64_t>(2200, e)); }
