#pragma once
// Dense elimination shared by the complex matrices and the value-cell
// matrices: LU with partial pivoting, determinant, Gauss-Jordan inverse and
// the two linear solvers. Each routine is written once over a scalar policy.
//
// A policy P provides (all static; an out cell may alias any input cell):
//   using Cell   = ...;  // matrix cell, default-constructible and copyable
//   using Matrix = ...;  // Rows(), Cols(), IsEmpty(), Cell(r, c) -> Cell&,
//                        // SwapRows(a, b) or m_pRows (row pointers, exchanged to swap rows),
//                        // copy construction
//   using Mag    = ...;  // a modulus, compared with Greater
//   static Mag  Magnitude(const Cell& a);            // |a|
//   static bool Greater(const Mag& a, const Mag& b); // a > b (strictly)
//   static bool Below(const Mag& a, double t);       // a < t
//   static bool IsZero(const Cell& a);               // exactly 0 (both parts)
//   static bool IsReal(const Cell& a);               // no imaginary part
//   static void Assign(Cell& out, const Cell& a);
//   static void SetReal(Cell& out, double x);
//   static void Add(Cell& out, const Cell& a, const Cell& b);
//   static void Sub(Cell& out, const Cell& a, const Cell& b);
//   static void Mul(Cell& out, const Cell& a, const Cell& b);
//   static void Div(Cell& out, const Cell& a, const Cell& b);
//   static void Recip(Cell& out, const Cell& a);     // 1 / a (real over a)
//   static void Neg(Cell& out, const Cell& a);
//   static void Conj(Cell& out, const Cell& a);
//   static void Sqrt(Cell& out, const Cell& a);      // principal square root
//   static void Zeros(Matrix& m, int rows, int cols);    // rows x cols of 0
//   static void Identity(Matrix& m, int rows, int cols); // 1 on the diagonal
//   static bool InProductRange(const Cell& a);       // far from overflow and underflow
//   static int  Exponent(const Cell& a);             // power of two of a's size
//   static void ScaleByPowerOfTwo(Cell& a, int e);   // a * 2^e
//   static bool ScaleRotationPair(Cell& as, Cell& bs, const Cell& a, const Cell& b);
//                                  // a, b over a power of two when their squares leave the range
// The arithmetic never stops the algorithms: LU and the inverse carry on
// through a singular matrix with infinities or NaN; the two solvers report it.
// A value-cell policy whose operator fails should leave a number in the cell
// and keep its own record.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>
#include <vector>

#include "values/complex.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"

namespace elimination {

// Pivots below this (1e-16 as a single-precision constant) draw the warning.
constexpr double kNearSingularPivot = 1.0000000168623835e-16;

template <class P>
void SwapRows(typename P::Matrix& m, int a, int b)
{
    if constexpr (requires { m.SwapRows(a, b); })
        m.SwapRows(a, b);
    else
        std::swap(m.m_pRows[a], m.m_pRows[b]);
}

// W(i, c) -= f * W(r, c) for c in [from, cols).
template <class P>
void SubtractScaledRow(typename P::Matrix& w, int i, int r, const typename P::Cell& f, int from)
{
    typename P::Cell t;
    for (int c = from; c < w.Cols(); c++) {
        P::Mul(t, f, w.Cell(r, c));
        P::Sub(w.Cell(i, c), w.Cell(i, c), t);
    }
}

// Row >= k of largest modulus in column k; the first of equals wins.
template <class P>
int FindPivotRow(const typename P::Matrix& w, int k)
{
    int p = k;
    typename P::Mag best = P::Magnitude(w.Cell(k, k));
    for (int i = k + 1; i < w.Rows(); i++) {
        typename P::Mag v = P::Magnitude(w.Cell(i, k));
        if (P::Greater(v, best)) {
            best = std::move(v);
            p = i;
        }
    }
    return p;
}

// -1 when the pivot is exactly 0, 0 without an exchange, else the row exchanged in.
template <class P>
int PivotRow(typename P::Matrix& w, int k)
{
    int p = FindPivotRow<P>(w, k);
    if (P::IsZero(w.Cell(p, k))) return -1;
    if (p == k) return 0;
    SwapRows<P>(w, k, p);
    return p;
}

// P A = L U. Status 0, or 10 for an empty A (reported).
template <class P>
int LU(const typename P::Matrix& a, typename P::Matrix& l, typename P::Matrix& u,
       typename P::Matrix& perm)
{
    if (a.IsEmpty()) {
        ReportError() << "Argument of LU factorization is non-empty matrix";
        return 10;
    }
    const int m = a.Rows(), n = a.Cols(), k = m < n ? m : n;
    typename P::Matrix w(a);
    P::Identity(l, m, k);
    P::Zeros(u, k, n);
    P::Identity(perm, m, m);
    typename P::Cell r;
    for (int j = 0; j < k; j++) {
        int p = FindPivotRow<P>(w, j);
        if (!P::IsZero(w.Cell(p, j))) {
            if (p != j) {
                SwapRows<P>(w, j, p);
                SwapRows<P>(perm, j, p);
            }
            if (j < m - 1) {
                P::Recip(r, w.Cell(j, j));
                for (int i = j + 1; i < m; i++) P::Mul(w.Cell(i, j), w.Cell(i, j), r);
            }
        }
        if (j < k - 1)
            for (int i = j + 1; i < m; i++) SubtractScaledRow<P>(w, i, j, w.Cell(i, j), j + 1);
    }
    for (int i = 0; i < m; i++)
        for (int c = 0; c < n; c++) {
            if (c < i)
                P::Assign(l.Cell(i, c), w.Cell(i, c));
            else
                P::Assign(u.Cell(i, c), w.Cell(i, c));
        }
    return 0;
}

// Determinant by elimination on w itself (left reduced); det receives it.
// Not square or empty: reported, det = 0. Returns 0 or 10.
template <class P>
int Determinant(typename P::Matrix& w, typename P::Cell& det)
{
    if (w.IsEmpty() || w.Rows() != w.Cols()) {
        ReportError() << "Argument of det function must be a square matrix vs (" << w.Rows() << ","
                      << w.Cols() << ")";
        P::SetReal(det, 0.0);
        return 10;
    }
    const int n = w.Rows();
    P::SetReal(det, 1.0);
    long exp = 0;  // det stands for det * 2^exp: the product never overflows on the way
    typename P::Cell f, t;
    for (int k = 0; k < n; k++) {
        // A large matrix takes minutes: Stop ends it between columns.
        if (ThreadStopRequested()) {
            P::SetReal(det, 0.0);
            return 25;
        }
        int e = PivotRow<P>(w, k);
        if (e < 0) {
            P::SetReal(det, 0.0);
            return 0;
        }
        if (e > 0) P::Neg(det, det);
        P::Mul(t, det, w.Cell(k, k));
        if (P::InProductRange(t)) {
            P::Assign(det, t);
        } else {
            // The running product left the comfortable range: its power of two and
            // the pivot's move into exp, and the mantissas are multiplied.
            const int ed = P::Exponent(det), ep = P::Exponent(w.Cell(k, k));
            P::Assign(t, w.Cell(k, k));
            P::ScaleByPowerOfTwo(t, -ep);
            P::ScaleByPowerOfTwo(det, -ed);
            P::Mul(det, det, t);
            exp += (long)ed + ep;
        }
        for (int i = k + 1; i < n; i++) {
            P::Div(f, w.Cell(i, k), w.Cell(k, k));
            SubtractScaledRow<P>(w, i, k, f, k + 1);
        }
    }
    // Formed once: beyond the double range the parts go to +-INF or +-0 with their signs.
    if (exp != 0) P::ScaleByPowerOfTwo(det, (int)std::clamp(exp, -100000L, 100000L));
    return 0;
}

// Gauss-Jordan inverse in place with the pivot searched along the row.
// Not square: reported, status 10. A nearly singular matrix warns once and
// carries on (status 0).
template <class P>
int Invert(typename P::Matrix& a)
{
    if (a.Rows() != a.Cols()) {
        ReportError() << "Inversion of not-square matrix";
        return 10;
    }
    const int n = a.Rows();
    std::vector<typename P::Cell> rowBuf(n), colBuf(n);
    std::vector<int> swaps(n);  // column exchanged with k at step k
    bool warned = false;
    typename P::Cell r;
    for (int k = 0; k < n; k++) {
        int q = k;
        typename P::Mag best = P::Magnitude(a.Cell(k, k));
        for (int j = k + 1; j < n; j++) {
            typename P::Mag v = P::Magnitude(a.Cell(k, j));
            if (P::Greater(v, best)) {
                best = std::move(v);
                q = j;
            }
        }
        if (!warned && P::Below(best, kNearSingularPivot)) {
            ReportWarning() << "Inverse: Matrix is close to singular or badly scaled";
            warned = true;
        }
        P::Recip(r, a.Cell(k, q));
        for (int i = 0; i < n; i++) {
            P::Assign(colBuf[i], a.Cell(i, q));
            P::Assign(a.Cell(i, q), a.Cell(i, k));
            P::Mul(a.Cell(i, k), colBuf[i], r);
            P::Neg(a.Cell(i, k), a.Cell(i, k));
            P::Mul(rowBuf[i], a.Cell(k, i), r);
            P::Assign(a.Cell(k, i), rowBuf[i]);
        }
        swaps[k] = q;
        P::Assign(a.Cell(k, k), r);
        typename P::Cell t;
        for (int i = 0; i < n; i++) {
            if (i == k) continue;
            for (int j = 0; j < n; j++) {
                if (j == k) continue;
                P::Mul(t, rowBuf[j], colBuf[i]);
                P::Sub(a.Cell(i, j), a.Cell(i, j), t);
            }
        }
    }
    // The column exchanges permuted the rows of the inverse; undoing them in
    // reverse order restores permutations of any cycle length.
    for (int k = n - 1; k >= 0; k--)
        if (swaps[k] != k) SwapRows<P>(a, k, swaps[k]);
    return 0;
}

inline void ReportSolveShape()
{
    ReportError() << "Solving a system of linear equations, matrices must be agree";
}

// Rows k and i of w become the rotated pair; the rotation zeroes w(i, col)
// given a = w(k, col), b = w(i, col).
template <class P>
struct Rotation {
    typename P::Cell c, s, cc, sc;  // cc, sc: the coefficients of the new row k
    bool identity = false;

    Rotation(const typename P::Cell& a0, const typename P::Cell& b0)
    {
        if (P::IsZero(a0) && P::IsZero(b0)) {
            identity = true;
            return;
        }
        // c and s do not change when a and b are scaled alike: a pair whose sum of
        // squares would overflow or underflow is brought near 1 by a power of two
        // first. Every other pair takes the plain formula, bit for bit.
        typename P::Cell as, bs;
        const bool scaled = P::ScaleRotationPair(as, bs, a0, b0);
        const typename P::Cell& a = scaled ? as : a0;
        const typename P::Cell& b = scaled ? bs : b0;
        typename P::Cell r, t;
        if (P::IsReal(a) && P::IsReal(b)) {
            P::Mul(r, a, a);
            P::Mul(t, b, b);
            P::Add(r, r, t);
            P::Sqrt(r, r);
            P::Div(c, a, r);
            P::Div(s, b, r);
            P::Assign(cc, c);
            P::Assign(sc, s);
        } else {
            // Unitary rotation: sqrt(a^2 + b^2) vanishes for a = 1, b = i.
            typename P::Cell ac, bc;
            P::Conj(ac, a);
            P::Conj(bc, b);
            P::Mul(r, a, ac);
            P::Mul(t, b, bc);
            P::Add(r, r, t);
            P::Sqrt(r, r);
            P::Div(c, a, r);
            P::Div(s, b, r);
            P::Conj(cc, c);
            P::Conj(sc, s);
        }
    }

    void Apply(typename P::Matrix& w, int k, int i) const
    {
        if (identity) return;
        typename P::Cell x, y, t;
        for (int j = 0; j < w.Cols(); j++) {
            P::Assign(x, w.Cell(k, j));
            P::Assign(y, w.Cell(i, j));
            P::Mul(t, cc, x);
            P::Mul(w.Cell(k, j), sc, y);
            P::Add(w.Cell(k, j), t, w.Cell(k, j));
            P::Mul(t, c, y);
            P::Mul(w.Cell(i, j), s, x);
            P::Sub(w.Cell(i, j), t, w.Cell(i, j));
        }
    }
};

// A x = b by plane rotations to upper triangular form; b has one column.
// A singular A (an exactly zero diagonal cell of the triangle) is reported, status 10.
template <class P>
int SolveByRotations(const typename P::Matrix& a, const typename P::Matrix& b, typename P::Matrix& x)
{
    if (a.Rows() != a.Cols() || b.Rows() != a.Rows() || b.Cols() != 1) {
        ReportSolveShape();
        return 10;
    }
    const int n = a.Rows();
    typename P::Matrix w(a), v(b);
    for (int k = 0; k < n; k++)
        for (int i = k + 1; i < n; i++) {
            Rotation<P> rot(w.Cell(k, k), w.Cell(i, k));
            rot.Apply(w, k, i);
            rot.Apply(v, k, i);
        }
    // A zero on the diagonal of the triangle: the system has no unique
    // solution, and the substitution would only give NAN and INF as an answer.
    for (int i = 0; i < n; i++)
        if (P::IsZero(w.Cell(i, i))) {
            ReportError() << "The matrix is singular";
            return 10;
        }
    P::Zeros(x, n, 1);
    typename P::Cell s, t;
    for (int i = n - 1; i >= 0; i--) {
        P::Assign(s, v.Cell(i, 0));
        for (int j = i + 1; j < n; j++) {
            P::Mul(t, w.Cell(i, j), x.Cell(j, 0));
            P::Sub(s, s, t);
        }
        P::Div(x.Cell(i, 0), s, w.Cell(i, i));
    }
    return 0;
}

// A X = B by elimination with partial pivoting on [A | B]; B any width.
// A column without a non-zero pivot is reported as a singular matrix, status 10.
template <class P>
int SolveByElimination(const typename P::Matrix& a, const typename P::Matrix& b, typename P::Matrix& x)
{
    if (a.Rows() != a.Cols() || b.Rows() != a.Rows()) {
        ReportSolveShape();
        return 10;
    }
    const int n = a.Rows(), m = b.Cols();
    if (n == 0 || m == 0) {
        P::Zeros(x, 0, 0);
        return 0;
    }
    typename P::Matrix w;
    P::Zeros(w, n, n + m);
    for (int i = 0; i < n; i++) {
        for (int j = 0; j < n; j++) P::Assign(w.Cell(i, j), a.Cell(i, j));
        for (int j = 0; j < m; j++) P::Assign(w.Cell(i, n + j), b.Cell(i, j));
    }
    typename P::Cell piv, f;
    for (int k = 0; k < n; k++) {
        if (PivotRow<P>(w, k) < 0) {
            // No non-zero pivot left in the column: there is no unique solution, and
            // going on would only hand back NAN and INF as if they were one.
            ReportError() << "The matrix is singular";
            return 10;
        }
        P::Assign(piv, w.Cell(k, k));
        for (int c = k; c < n + m; c++) P::Div(w.Cell(k, c), w.Cell(k, c), piv);
        for (int i = k + 1; i < n; i++) {
            P::Assign(f, w.Cell(i, k));
            SubtractScaledRow<P>(w, i, k, f, k);
        }
    }
    P::Zeros(x, n, m);
    typename P::Cell s, t;
    for (int c = 0; c < m; c++)
        for (int i = n - 1; i >= 0; i--) {
            P::Assign(s, w.Cell(i, n + c));
            for (int j = i + 1; j < n; j++) {
                P::Mul(t, w.Cell(i, j), x.Cell(j, c));
                P::Sub(s, s, t);
            }
            P::Assign(x.Cell(i, c), s);
        }
    return 0;
}

// The helpers of the number policies for the determinant's exponent and the
// rotation's scaling, on the parts of a complex number.
namespace parts {

// The running product is kept plain while its larger part stays in here.
constexpr double kProductLow = 0x1p-960, kProductHigh = 0x1p960;

inline bool InProductRange(const Complex& z)
{
    const double m = std::fmax(std::fabs(z.re), std::fabs(z.im));
    if (std::isnan(z.re) || std::isnan(z.im)) return true;  // nothing to save
    return m >= kProductLow && m <= kProductHigh;
}

// The power of two of the larger part (frexp's), 0 for 0 and for what is not finite.
inline int Exponent(const Complex& z)
{
    const double m = std::fmax(std::fabs(z.re), std::fabs(z.im));
    if (!std::isfinite(m) || m == 0.0) return 0;
    int e;
    std::frexp(m, &e);
    return e;
}

inline void ScaleByPowerOfTwo(Complex& z, int e)
{
    z.re = std::ldexp(z.re, e);
    z.im = std::ldexp(z.im, e);
}

// a and b over a common power of two when |a|^2 + |b|^2 would leave the range of
// normal doubles; false (nothing written) otherwise and for parts not finite.
inline bool ScaleRotationPair(Complex& as, Complex& bs, const Complex& a, const Complex& b)
{
    if (!std::isfinite(a.re) || !std::isfinite(a.im) || !std::isfinite(b.re) || !std::isfinite(b.im))
        return false;
    const double sum = (a.re * a.re + a.im * a.im) + (b.re * b.re + b.im * b.im);
    if (sum >= DBL_MIN && sum <= DBL_MAX) return false;
    const double m =
        std::fmax(std::fmax(std::fabs(a.re), std::fabs(a.im)), std::fmax(std::fabs(b.re), std::fabs(b.im)));
    int e;
    std::frexp(m, &e);
    as = a;
    bs = b;
    ScaleByPowerOfTwo(as, -e);
    ScaleByPowerOfTwo(bs, -e);
    return true;
}

}  // namespace parts

}  // namespace elimination
