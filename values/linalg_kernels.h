#pragma once
// The numeric core's own dense algorithms: singular values, Hessenberg QR
// eigenvalues, unitary QR eigenvectors and the matrix exponential. Each is
// written once over a scalar policy P so that complex matrices and value
// cells run the very same steps; P supplies the cell arithmetic:
//   Scalar, Zero(), One(), FromReal(d), Make(re, im), Re(a), Im(a),
//   Add, Sub, Mul, Div, Neg, Conj, Sqrt, ScaleReal(d, a), DivReal(a, d),
//   Half(a), Abs(a) (modulus), AbsSum(a) (|re| + |im|), IsZero(a),
//   Same(a, b), SignOf(a, b), Hypot(a, b), Phase(a), LessEq(x, y), Less(x, y).
// The kernels work on a private dense copy and report nothing themselves:
// the typed wrappers turn their codes into messages.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "values/output_stream.h"

template <class S>
struct DenseMatrix {
    int rows = 0;
    int cols = 0;
    std::vector<S> data;

    DenseMatrix() {}
    DenseMatrix(int r, int c) : rows(r), cols(c), data((size_t)r * (size_t)c) {}
    S& operator()(int i, int j) { return data[(size_t)i * (size_t)cols + (size_t)j]; }
    const S& operator()(int i, int j) const { return data[(size_t)i * (size_t)cols + (size_t)j]; }
};

namespace linalg_detail {

// Sum of conj(a)·b when the Hermitian products are asked for, else of a·b.
template <class P>
typename P::Scalar Dot(const typename P::Scalar& a, const typename P::Scalar& b, bool herm)
{
    return herm ? P::Mul(P::Conj(a), b) : P::Mul(a, b);
}

}  // namespace linalg_detail

// Singular value decomposition A = U diag(W) V^H by Householder bidiagonalisation
// and implicitly shifted QR. herm = false runs the plain-product steps (for a matrix
// without imaginary parts); herm = true uses conjugated sums and makes the
// bidiagonal form real before the sweeps, so that U and V are unitary.
// Returns 0, or 1 when a singular value needs 60 sweeps (U, W, V then hold the
// partial state).
template <class P>
int SvdKernel(const DenseMatrix<typename P::Scalar>& A, DenseMatrix<typename P::Scalar>& U,
              DenseMatrix<typename P::Scalar>& W, DenseMatrix<typename P::Scalar>& V, bool herm)
{
    using S = typename P::Scalar;
    using linalg_detail::Dot;
    const int m = A.rows, n = A.cols;
    U = A;
    W = DenseMatrix<S>(1, n);
    V = DenseMatrix<S>(n, n);
    std::vector<S> e(n, P::Zero());
    S g = P::Zero(), s = P::Zero(), f = P::Zero(), h = P::Zero();
    double scale = 0.0, norm = 0.0;
    int l = 0;

    // The Householder pivot: -signof(sqrt(s), f), or -phase(f)·sqrt(s) for complex data.
    auto pivot = [&](const S& ss, const S& ff) {
        return herm ? P::Neg(P::Mul(P::Phase(ff), P::Sqrt(ss))) : P::Neg(P::SignOf(P::Sqrt(ss), ff));
    };
    auto pivotDenominator = [&](const S& ff, const S& gg, const S& ss) {
        return herm ? P::Sub(P::FromReal(P::Re(P::Mul(P::Conj(ff), gg))), ss) : P::Sub(P::Mul(ff, gg), ss);
    };

    for (int i = 0; i < n; i++) {
        l = i + 1;
        e[i] = P::ScaleReal(scale, g);
        g = s = P::Zero();
        scale = 0.0;
        if (i < m) {
            for (int k = i; k < m; k++) scale += P::AbsSum(U(k, i));
            if (scale != 0.0) {
                for (int k = i; k < m; k++) {
                    U(k, i) = P::DivReal(U(k, i), scale);
                    s = P::Add(s, Dot<P>(U(k, i), U(k, i), herm));
                }
                f = U(i, i);
                g = pivot(s, f);
                h = pivotDenominator(f, g, s);
                U(i, i) = P::Sub(f, g);
                for (int j = l; j < n; j++) {
                    s = P::Zero();
                    for (int k = i; k < m; k++) s = P::Add(s, Dot<P>(U(k, i), U(k, j), herm));
                    f = P::Div(s, h);
                    for (int k = i; k < m; k++) U(k, j) = P::Add(U(k, j), P::Mul(f, U(k, i)));
                }
                for (int k = i; k < m; k++) U(k, i) = P::ScaleReal(scale, U(k, i));
            }
        }
        W(0, i) = P::ScaleReal(scale, g);
        g = s = P::Zero();
        scale = 0.0;
        if (i < m && i != n - 1) {
            for (int k = l; k < n; k++) scale += P::AbsSum(U(i, k));
            if (scale != 0.0) {
                for (int k = l; k < n; k++) {
                    U(i, k) = P::DivReal(U(i, k), scale);
                    s = P::Add(s, Dot<P>(U(i, k), U(i, k), herm));
                }
                f = U(i, l);
                g = pivot(s, f);
                h = pivotDenominator(f, g, s);
                U(i, l) = P::Sub(f, g);
                for (int k = l; k < n; k++) e[k] = P::Div(U(i, k), h);
                for (int j = l; j < m; j++) {
                    s = P::Zero();
                    for (int k = l; k < n; k++) s = P::Add(s, Dot<P>(U(i, k), U(j, k), herm));
                    for (int k = l; k < n; k++) U(j, k) = P::Add(U(j, k), P::Mul(s, e[k]));
                }
                for (int k = l; k < n; k++) U(i, k) = P::ScaleReal(scale, U(i, k));
            }
        }
        double cand = P::AbsSum(W(0, i)) + P::AbsSum(e[i]);
        if (!(norm > cand)) norm = cand;
    }

    // Right-hand transformations.
    for (int i = n - 1; i >= 0; i--) {
        if (i < n - 1) {
            if (!P::IsZero(g)) {
                for (int j = l; j < n; j++) {
                    V(j, i) = herm ? P::Div(P::Div(P::Conj(U(i, j)), P::Conj(U(i, l))), g)
                                   : P::Div(P::Div(U(i, j), U(i, l)), g);
                }
                for (int j = l; j < n; j++) {
                    s = P::Zero();
                    for (int k = l; k < n; k++) s = P::Add(s, P::Mul(U(i, k), V(k, j)));
                    for (int k = l; k < n; k++) V(k, j) = P::Add(V(k, j), P::Mul(s, V(k, i)));
                }
            }
            for (int j = l; j < n; j++) {
                V(i, j) = P::Zero();
                V(j, i) = P::Zero();
            }
        }
        V(i, i) = P::One();
        g = e[i];
        l = i;
    }

    // Left-hand transformations.
    for (int i = (m < n ? m : n) - 1; i >= 0; i--) {
        l = i + 1;
        g = W(0, i);
        for (int j = l; j < n; j++) U(i, j) = P::Zero();
        if (!P::IsZero(g)) {
            g = P::Div(P::One(), g);
            for (int j = l; j < n; j++) {
                s = P::Zero();
                for (int k = l; k < m; k++) s = P::Add(s, Dot<P>(U(k, i), U(k, j), herm));
                f = P::Mul(P::Div(s, herm ? P::Conj(U(i, i)) : U(i, i)), g);
                for (int k = i; k < m; k++) U(k, j) = P::Add(U(k, j), P::Mul(f, U(k, i)));
            }
            for (int j = i; j < m; j++) U(j, i) = P::Mul(U(j, i), g);
        } else {
            for (int j = i; j < m; j++) U(j, i) = P::Zero();
        }
        U(i, i) = P::Add(U(i, i), P::One());
    }

    // Complex data: turn the bidiagonal form real by unit diagonal factors,
    // B = D1 R D2^H, folded into the columns of U and V.
    if (herm) {
        S d1Prev = P::One();
        norm = 0.0;
        for (int i = 0; i < n; i++) {
            S d2 = P::One();
            if (i > 0) {
                d2 = P::Mul(d1Prev, P::Conj(P::Phase(e[i])));
                e[i] = P::FromReal(P::Abs(e[i]));
            }
            S d1 = P::Phase(P::Mul(W(0, i), d2));
            W(0, i) = P::FromReal(P::Abs(W(0, i)));
            for (int r = 0; r < m; r++) U(r, i) = P::Mul(U(r, i), d1);
            for (int r = 0; r < n; r++) V(r, i) = P::Mul(V(r, i), d2);
            d1Prev = d1;
            double cand = P::AbsSum(W(0, i)) + P::AbsSum(e[i]);
            if (!(norm > cand)) norm = cand;
        }
    }

    // Diagonalisation of the bidiagonal form.
    S c, x, y, z;
    for (int k = n - 1; k >= 0; k--) {
        for (int its = 1; its <= 60; its++) {
            bool cancel = true;
            int nm = 0;
            for (l = k; l >= 0; l--) {
                nm = l - 1;
                if (P::AbsSum(e[l]) + norm == norm) {
                    cancel = false;
                    break;
                }
                if (l >= 1 && P::AbsSum(W(0, nm)) + norm == norm) break;
            }
            if (l < 0) l = 0;  // e[0] is zero, so the scan never runs out
            if (cancel && l >= 1) {
                nm = l - 1;
                c = P::Zero();
                s = P::One();
                for (int i = l; i <= k; i++) {
                    f = P::Mul(s, e[i]);
                    e[i] = P::Mul(c, e[i]);
                    if (P::AbsSum(f) + norm == norm) break;
                    g = W(0, i);
                    h = P::Hypot(f, g);
                    W(0, i) = h;
                    h = P::Div(P::One(), h);
                    c = P::Mul(g, h);
                    s = P::Neg(P::Mul(f, h));
                    for (int j = 0; j < m; j++) {
                        y = U(j, nm);
                        z = U(j, i);
                        U(j, nm) = P::Add(P::Mul(y, c), P::Mul(z, s));
                        U(j, i) = P::Sub(P::Mul(z, c), P::Mul(y, s));
                    }
                }
            }
            z = W(0, k);
            if (l == k) {
                if (P::Re(z) < 0.0) {
                    W(0, k) = P::Neg(z);
                    for (int j = 0; j < n; j++) V(j, k) = P::Neg(V(j, k));
                }
                break;
            }
            if (its == 60) return 1;
            x = W(0, l);
            nm = k - 1;
            y = W(0, nm);
            g = e[nm];
            h = e[k];
            f = P::Div(P::Add(P::Mul(P::Sub(y, z), P::Add(y, z)), P::Mul(P::Sub(g, h), P::Add(g, h))),
                       P::Mul(P::Mul(P::FromReal(2.0), h), y));
            g = P::Hypot(f, P::One());
            f = P::Div(P::Add(P::Mul(P::Sub(x, z), P::Add(x, z)),
                              P::Mul(h, P::Sub(P::Div(y, P::Add(f, P::SignOf(g, f))), h))),
                       x);
            c = s = P::One();
            for (int j = l; j <= nm; j++) {
                int i = j + 1;
                g = e[i];
                y = W(0, i);
                h = P::Mul(s, g);
                g = P::Mul(c, g);
                z = P::Hypot(f, h);
                e[j] = z;
                c = P::Div(f, z);
                s = P::Div(h, z);
                f = P::Add(P::Mul(x, c), P::Mul(g, s));
                g = P::Sub(P::Mul(g, c), P::Mul(x, s));
                h = P::Mul(y, s);
                y = P::Mul(y, c);
                for (int jj = 0; jj < n; jj++) {
                    x = V(jj, j);
                    z = V(jj, i);
                    V(jj, j) = P::Add(P::Mul(x, c), P::Mul(z, s));
                    V(jj, i) = P::Sub(P::Mul(z, c), P::Mul(x, s));
                }
                z = P::Hypot(f, h);
                W(0, j) = z;
                if (!P::IsZero(z)) {
                    z = P::Div(P::One(), z);
                    c = P::Mul(f, z);
                    s = P::Mul(h, z);
                }
                f = P::Add(P::Mul(c, g), P::Mul(s, y));
                x = P::Sub(P::Mul(c, y), P::Mul(s, g));
                for (int jj = 0; jj < m; jj++) {
                    y = U(jj, j);
                    z = U(jj, i);
                    U(jj, j) = P::Add(P::Mul(y, c), P::Mul(z, s));
                    U(jj, i) = P::Sub(P::Mul(z, c), P::Mul(y, s));
                }
            }
            e[l] = P::Zero();
            e[k] = f;
            W(0, k) = x;
        }
    }
    if (!herm) {
        for (auto& cell : V.data) cell = P::Conj(cell);
    }
    return 0;
}

// Reduction to upper Hessenberg form by stabilised elementary similarity
// transformations (row pivoting); the multipliers stay below the subdiagonal.
template <class P>
void ElimHessenberg(DenseMatrix<typename P::Scalar>& A)
{
    using S = typename P::Scalar;
    const int n = A.rows;
    if (n <= 2) return;
    for (int c = 1; c <= n - 2; c++) {
        S x = P::Zero();
        int piv = c;
        for (int j = c; j < n; j++) {
            if (P::Abs(A(j, c - 1)) > P::Abs(x)) {
                x = A(j, c - 1);
                piv = j;
            }
        }
        if (piv != c) {
            for (int j = c - 1; j < n; j++) std::swap(A(piv, j), A(c, j));
            for (int j = 0; j < n; j++) std::swap(A(j, piv), A(j, c));
        }
        if (!P::IsZero(x)) {
            for (int i = c + 1; i < n; i++) {
                S y = A(i, c - 1);
                if (P::IsZero(y)) continue;
                y = P::Div(y, x);
                A(i, c - 1) = y;
                for (int j = c; j < n; j++) A(i, j) = P::Sub(A(i, j), P::Mul(y, A(c, j)));
                for (int j = 0; j < n; j++) A(j, c) = P::Add(A(j, c), P::Mul(y, A(j, i)));
            }
        }
    }
}

// Norm bound of a Hessenberg matrix: the diagonal cell of row 0 and every cell
// of the other rows from the subdiagonal on, by modulus.
template <class P>
double HessenbergNormBound(const DenseMatrix<typename P::Scalar>& A)
{
    const int n = A.rows;
    double norm = P::Abs(A(0, 0));
    for (int r = 1; r < n; r++)
        for (int j = r - 1; j < n; j++) norm += P::Abs(A(r, j));
    return norm;
}

// Francis double-shift QR on an upper Hessenberg matrix in complex arithmetic,
// with exceptional shifts at the 11th and 21st sweep of one deflation. The scaling
// of (p, q, r), the start-row test and the exceptional shift use moduli, and the
// reflector's s takes the sign that avoids cancellation in p + s. W[j] receives
// the eigenvalue deflated at position j (of a 2 x 2 block, the plus root goes to
// the lower position). tol is the relative size at which a subdiagonal counts as
// negligible. Returns 0, or 1 when 30 sweeps do not deflate.
template <class P>
int HqrKernel(DenseMatrix<typename P::Scalar>& A, double norm, typename P::Scalar* W, double tol = 5e-14)
{
    using S = typename P::Scalar;
    const int n = A.rows;
    int nn = n - 1, its = 0;
    S t = P::Zero(), x, y, w, p, q, r, z, s;
    while (nn >= 0) {
        int l;
        for (l = nn; l >= 1; l--) {
            double ss = P::Abs(A(l - 1, l - 1)) + P::Abs(A(l, l));
            if (ss == 0.0) ss = norm;
            if (P::LessEq(P::Abs(A(l, l - 1)), tol * ss)) break;
        }
        if (l < 0) l = 0;
        x = A(nn, nn);
        if (l == nn) {
            W[nn] = P::Add(x, t);
            nn--;
            its = 0;
            continue;
        }
        y = A(nn - 1, nn - 1);
        w = P::Mul(A(nn, nn - 1), A(nn - 1, nn));
        if (l == nn - 1) {
            p = P::ScaleReal(0.5, P::Sub(y, x));
            q = P::Add(P::Mul(p, p), w);
            z = P::Sqrt(q);
            // The roots of the block are mid +- z. The one of larger modulus is
            // taken as a sum without cancellation; the other is det / that one
            // (mid - z would lose every digit of a root much smaller than mid).
            // (z orthogonal to mid, as for a conjugate pair, cancels nothing.)
            S mid = P::Add(x, p);
            const double along = P::Re(mid) * P::Re(z) + P::Im(mid) * P::Im(z);
            const bool plusIsBig = along >= 0.0;
            S big = plusIsBig ? P::Add(mid, z) : P::Sub(mid, z);
            S small = plusIsBig ? P::Sub(mid, z) : P::Add(mid, z);
            if (along != 0.0 && !P::IsZero(big)) small = P::Div(P::Sub(P::Mul(x, y), w), big);
            W[nn] = P::Add(plusIsBig ? big : small, t);
            W[nn - 1] = P::Add(plusIsBig ? small : big, t);
            nn -= 2;
            its = 0;
            continue;
        }
        if (its == 30) return 1;
        if (its == 10 || its == 20) {
            t = P::Add(t, x);
            for (int i = 0; i <= nn; i++) A(i, i) = P::Sub(A(i, i), x);
            double sh = P::Abs(A(nn, nn - 1)) + P::Abs(A(nn - 1, nn - 2));
            x = y = P::FromReal(0.75 * sh);
            w = P::FromReal(-0.4375 * sh * sh);
        }
        its++;
        int m;
        for (m = nn - 2; m >= l; m--) {
            z = A(m, m);
            r = P::Sub(x, z);
            s = P::Sub(y, z);
            p = P::Add(P::Div(P::Sub(P::Mul(r, s), w), A(m + 1, m)), A(m, m + 1));
            q = P::Sub(P::Sub(P::Sub(A(m + 1, m + 1), z), r), s);
            r = A(m + 2, m + 1);
            double sc = P::Abs(p) + P::Abs(q) + P::Abs(r);
            p = P::DivReal(p, sc);
            q = P::DivReal(q, sc);
            r = P::DivReal(r, sc);
            if (m == l) break;
            double u = P::Abs(A(m, m - 1)) * (P::Abs(q) + P::Abs(r));
            double v = P::Abs(p) * (P::Abs(A(m - 1, m - 1)) + P::Abs(z) + P::Abs(A(m + 1, m + 1)));
            if (P::LessEq(u, tol * v)) break;
        }
        for (int i = m + 2; i <= nn; i++) {
            A(i, i - 2) = P::Zero();
            if (i != m + 2) A(i, i - 3) = P::Zero();
        }
        double sc = 0.0;
        for (int k = m; k <= nn - 1; k++) {
            if (k != m) {
                p = A(k, k - 1);
                q = A(k + 1, k - 1);
                r = (k != nn - 1) ? A(k + 2, k - 1) : P::Zero();
                sc = P::Abs(p) + P::Abs(q) + P::Abs(r);
                if (sc != 0.0) {
                    p = P::DivReal(p, sc);
                    q = P::DivReal(q, sc);
                    r = P::DivReal(r, sc);
                }
            }
            s = P::Sqrt(P::Add(P::Add(P::Mul(p, p), P::Mul(q, q)), P::Mul(r, r)));
            if (P::Re(p) * P::Re(s) + P::Im(p) * P::Im(s) < 0.0) s = P::Neg(s);
            if (P::IsZero(s)) continue;
            if (k == m) {
                if (l != m) A(k, k - 1) = P::Neg(A(k, k - 1));
            } else {
                A(k, k - 1) = P::Neg(P::ScaleReal(sc, s));
            }
            p = P::Add(p, s);
            x = P::Div(p, s);
            y = P::Div(q, s);
            z = P::Div(r, s);
            q = P::Div(q, p);
            r = P::Div(r, p);
            for (int j = k; j <= nn; j++) {
                p = P::Add(A(k, j), P::Mul(q, A(k + 1, j)));
                if (k != nn - 1) {
                    p = P::Add(p, P::Mul(r, A(k + 2, j)));
                    A(k + 2, j) = P::Sub(A(k + 2, j), P::Mul(p, z));
                }
                A(k + 1, j) = P::Sub(A(k + 1, j), P::Mul(p, y));
                A(k, j) = P::Sub(A(k, j), P::Mul(p, x));
            }
            int mmin = nn < k + 3 ? nn : k + 3;
            for (int i = l; i <= mmin; i++) {
                p = P::Add(P::Mul(x, A(i, k)), P::Mul(y, A(i, k + 1)));
                if (k != nn - 1) {
                    p = P::Add(p, P::Mul(z, A(i, k + 2)));
                    A(i, k + 2) = P::Sub(A(i, k + 2), P::Mul(p, r));
                }
                A(i, k + 1) = P::Sub(A(i, k + 1), P::Mul(p, q));
                A(i, k) = P::Sub(A(i, k), p);
            }
        }
    }
    return 0;
}

// Eigenvalues of a square matrix: elimination to Hessenberg form, then the QR
// kernel. A is overwritten with the working form. Returns 0 or 1 (no convergence).
template <class P>
int EigValuesKernel(DenseMatrix<typename P::Scalar>& A, DenseMatrix<typename P::Scalar>& W)
{
    W = DenseMatrix<typename P::Scalar>(1, A.rows);
    ElimHessenberg<P>(A);
    return HqrKernel<P>(A, HessenbergNormBound<P>(A), W.data.data());
}

// Eigenvalues and eigenvectors: unitary Householder reduction to Hessenberg form
// with the transformations kept, single-shift complex QR, back-substitution in the
// triangular form and back-transformation. Returns 0 or 1 (no convergence).
template <class P>
int EigDecomposeKernel(DenseMatrix<typename P::Scalar>& A, DenseMatrix<typename P::Scalar>& V,
                       DenseMatrix<typename P::Scalar>& D)
{
    using S = typename P::Scalar;
    const double EPS = 1.1107652e-16;
    const int n = A.rows;
    V = DenseMatrix<S>(n, n);
    D = DenseMatrix<S>(1, n);
    for (auto& cell : D.data) cell = P::Zero();
    std::vector<S> ort(n, P::Zero());

    // Householder reduction.
    for (int m = 1; m <= n - 2; m++) {
        double h = 0.0;
        ort[m] = P::Zero();
        double scale = 0.0;
        for (int i = m; i < n; i++) scale += std::fabs(P::Re(A(i, m - 1))) + std::fabs(P::Im(A(i, m - 1)));
        if (scale == 0.0) continue;
        for (int i = n - 1; i >= m; i--) {
            ort[i] = P::DivReal(A(i, m - 1), scale);
            double re = P::Re(ort[i]), im = P::Im(ort[i]);
            h += re * re + im * im;
        }
        double g = std::sqrt(h);
        double f = P::Abs(ort[m]);
        if (f != 0.0) {
            h = h + f * g;
            g = g / f;
            ort[m] = P::ScaleReal(1.0 + g, ort[m]);
        } else {
            ort[m] = P::Make(g, P::Im(ort[m]));
            A(m, m - 1) = P::Make(scale, P::Im(A(m, m - 1)));
        }
        for (int j = m; j < n; j++) {
            S acc = P::Zero();
            for (int i = n - 1; i >= m; i--) acc = P::Add(acc, P::Mul(P::Conj(ort[i]), A(i, j)));
            S fc = P::DivReal(acc, h);
            for (int i = m; i < n; i++) A(i, j) = P::Sub(A(i, j), P::Mul(fc, ort[i]));
        }
        for (int i = 0; i < n; i++) {
            S acc = P::Zero();
            for (int j = n - 1; j >= m; j--) acc = P::Add(acc, P::Mul(ort[j], A(i, j)));
            S fc = P::DivReal(acc, h);
            for (int j = m; j < n; j++) A(i, j) = P::Sub(A(i, j), P::Mul(fc, P::Conj(ort[j])));
        }
        ort[m] = P::ScaleReal(scale, ort[m]);
        A(m, m - 1) = P::ScaleReal(-g, A(m, m - 1));
    }

    // Accumulated transformations.
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) V(i, j) = (i == j) ? P::One() : P::Zero();
    if (n >= 3) {
        for (int i = n - 2; i >= 1; i--) {
            if (P::IsZero(ort[i]) || P::IsZero(A(i, i - 1))) continue;
            double nrm = P::Re(A(i, i - 1)) * P::Re(ort[i]) + P::Im(A(i, i - 1)) * P::Im(ort[i]);
            for (int k = i + 1; k < n; k++) ort[k] = A(k, i - 1);
            for (int j = i; j < n; j++) {
                S acc = P::Zero();
                for (int k = i; k < n; k++) acc = P::Add(acc, P::Mul(P::Conj(ort[k]), V(k, j)));
                S s = P::DivReal(acc, nrm);
                for (int k = i; k < n; k++) V(k, j) = P::Add(V(k, j), P::Mul(s, ort[k]));
            }
        }
    }

    // Make the subdiagonal real.
    for (int i = 1; i < n; i++) {
        if (P::Im(A(i, i - 1)) == 0.0) continue;
        double nrm = P::Abs(A(i, i - 1));
        S y = P::DivReal(A(i, i - 1), nrm);
        A(i, i - 1) = P::FromReal(nrm);
        for (int j = i; j < n; j++) A(i, j) = P::Mul(P::Conj(y), A(i, j));
        int last = (i + 1 < n - 1) ? i + 1 : n - 1;
        for (int j = 0; j <= last; j++) A(j, i) = P::Mul(y, A(j, i));
        for (int j = 0; j < n; j++) V(j, i) = P::Mul(y, V(j, i));
    }

    // QR iteration.
    S t = P::Zero();
    for (int en = n - 1; en >= 0;) {
        int its = 0;
        for (;;) {
            int l;
            for (l = en; l >= 1; l--) {
                double tst = std::fabs(P::Re(A(l - 1, l - 1))) + std::fabs(P::Im(A(l - 1, l - 1))) +
                             std::fabs(P::Re(A(l, l))) + std::fabs(P::Im(A(l, l)));
                if (P::LessEq(std::fabs(P::Re(A(l, l - 1))), EPS * tst)) break;
            }
            if (l < 0) l = 0;
            if (l == en) {
                A(en, en) = P::Add(A(en, en), t);
                D(0, en) = A(en, en);
                en--;
                break;
            }
            if (its == 30) return 1;
            S s;
            if (its == 10 || its == 20) {
                double below = en >= 2 ? std::fabs(P::Re(A(en - 1, en - 2))) : 0.0;
                s = P::FromReal(std::fabs(P::Re(A(en, en - 1))) + below);
            } else {
                s = A(en, en);
                S x = P::ScaleReal(P::Re(A(en, en - 1)), A(en - 1, en));
                if (!P::IsZero(x)) {
                    S y = P::Half(P::Sub(A(en - 1, en - 1), s));
                    S zz = P::Sqrt(P::Add(P::Mul(y, y), x));
                    if (P::Less(P::Re(y) * P::Re(zz) + P::Im(y) * P::Im(zz), 0.0)) zz = P::Neg(zz);
                    x = P::Div(x, P::Add(y, zz));
                    s = P::Sub(s, x);
                }
            }
            for (int i = 0; i <= en; i++) A(i, i) = P::Sub(A(i, i), s);
            t = P::Add(t, s);
            its++;

            for (int i = l + 1; i <= en; i++) {
                double sr = P::Re(A(i, i - 1));
                A(i, i - 1) = P::Make(0.0, P::Im(A(i, i - 1)));
                double ar = P::Re(A(i - 1, i - 1)), ai = P::Im(A(i - 1, i - 1));
                double q = std::fabs(ar);
                if (std::fabs(ai) > q) q = std::fabs(ai);
                if (std::fabs(sr) > q) q = std::fabs(sr);
                double nrm = q * std::sqrt((ar / q) * (ar / q) + (ai / q) * (ai / q) + (sr / q) * (sr / q));
                S x = P::DivReal(A(i - 1, i - 1), nrm);
                D(0, i - 1) = x;
                A(i - 1, i - 1) = P::FromReal(nrm);
                double sigma = sr / nrm;
                A(i, i - 1) = P::Make(0.0, sigma);
                S cx = P::Conj(x);
                for (int j = i; j < n; j++) {
                    S y = A(i - 1, j), z = A(i, j);
                    A(i - 1, j) = P::Add(P::Mul(cx, y), P::ScaleReal(sigma, z));
                    A(i, j) = P::Sub(P::Mul(x, z), P::ScaleReal(sigma, y));
                }
            }

            bool lastRotated = false;
            S sv;
            if (P::Im(A(en, en)) != 0.0) {
                lastRotated = true;
                double nrm = P::Abs(A(en, en));
                sv = P::DivReal(A(en, en), nrm);
                A(en, en) = P::FromReal(nrm);
                S csv = P::Conj(sv);
                for (int j = en + 1; j < n; j++) A(en, j) = P::Mul(csv, A(en, j));
            }

            for (int j = l + 1; j <= en; j++) {
                S x = D(0, j - 1);
                S cx = P::Conj(x);
                double sigma = P::Im(A(j, j - 1));
                for (int i = 0; i <= j; i++) {
                    S y = (i == j) ? P::FromReal(P::Re(A(i, j - 1))) : A(i, j - 1);
                    S z = A(i, j);
                    S nl = P::Add(P::Mul(x, y), P::ScaleReal(sigma, z));
                    A(i, j - 1) = (i == j) ? P::Make(P::Re(nl), sigma) : nl;
                    A(i, j) = P::Sub(P::Mul(cx, z), P::ScaleReal(sigma, y));
                }
                for (int i = 0; i < n; i++) {
                    S y = V(i, j - 1), z = V(i, j);
                    V(i, j - 1) = P::Add(P::Mul(x, y), P::ScaleReal(sigma, z));
                    V(i, j) = P::Sub(P::Mul(cx, z), P::ScaleReal(sigma, y));
                }
            }

            if (lastRotated) {
                for (int i = 0; i <= en; i++) A(i, en) = P::Mul(sv, A(i, en));
                for (int i = 0; i < n; i++) V(i, en) = P::Mul(sv, V(i, en));
            }
        }
    }

    // Back-substitution in the triangular form; each vector has 1 at its own position.
    double norm = 0.0;
    for (int i = 0; i < n; i++)
        for (int j = i; j < n; j++) norm += std::fabs(P::Re(A(i, j))) + std::fabs(P::Im(A(i, j)));
    if (n == 1 || norm == 0.0) return 0;
    for (int en = n - 1; en >= 1; en--) {
        S x = D(0, en);
        for (int i = en - 1; i >= 0; i--) {
            S zz = A(i, en);
            for (int j = i + 1; j <= en - 1; j++) zz = P::Add(zz, P::Mul(A(i, j), A(j, en)));
            S y = P::Sub(x, D(0, i));
            if (P::IsZero(y)) y = P::FromReal(EPS * norm);
            A(i, en) = P::Div(zz, y);
        }
    }
    // Back-transformation.
    for (int j = n - 1; j >= 1; j--) {
        for (int i = 0; i < n; i++) {
            S acc = V(i, j);
            for (int k = 0; k <= j - 1; k++) acc = P::Add(acc, P::Mul(V(i, k), A(k, j)));
            V(i, j) = acc;
        }
    }
    return 0;
}

// this = a · b with each cell summed over k in increasing order from zero.
template <class P>
DenseMatrix<typename P::Scalar> DenseProduct(const DenseMatrix<typename P::Scalar>& a,
                                             const DenseMatrix<typename P::Scalar>& b)
{
    DenseMatrix<typename P::Scalar> out(a.rows, b.cols);
    for (int i = 0; i < a.rows; i++)
        for (int j = 0; j < b.cols; j++) {
            typename P::Scalar acc = P::Zero();
            for (int k = 0; k < a.cols; k++) acc = P::Add(acc, P::Mul(a(i, k), b(k, j)));
            out(i, j) = std::move(acc);
        }
    return out;
}

// Determinant by elimination with partial pivoting on a copy (largest modulus,
// the first of equal ones wins; an exactly zero pivot column gives 0).
template <class P>
typename P::Scalar DenseDet(DenseMatrix<typename P::Scalar> w)
{
    using S = typename P::Scalar;
    const int n = w.rows;
    S det = P::One();
    for (int k = 0; k < n; k++) {
        int piv = k;
        double best = P::Abs(w(k, k));
        for (int i = k + 1; i < n; i++) {
            double a = P::Abs(w(i, k));
            if (a > best) {
                best = a;
                piv = i;
            }
        }
        if (P::IsZero(w(piv, k))) return P::Zero();
        if (piv != k) {
            for (int c = 0; c < n; c++) std::swap(w(piv, c), w(k, c));
            det = P::Neg(det);
        }
        det = P::Mul(det, w(k, k));
        for (int i = k + 1; i < n; i++) {
            S f = P::Div(w(i, k), w(k, k));
            for (int c = k + 1; c < n; c++) w(i, c) = P::Sub(w(i, c), P::Mul(f, w(k, c)));
        }
    }
    return det;
}

// Matrix exponential: the Taylor series in passes (48 terms, then 6 at a time)
// until the determinant of the partial sum stops changing, run on A / 2^s with s
// the least power that brings the 1-norm to 0.5 or below, then squared s times.
// A matrix with a NaN or infinite cell gives NaN cells; a result too large for
// doubles gives INF cells (with their signs).
template <class P>
void ExpmKernel(const DenseMatrix<typename P::Scalar>& A, DenseMatrix<typename P::Scalar>& E)
{
    using S = typename P::Scalar;
    const int n = A.rows;
    E = DenseMatrix<S>(n, n);
    double norm1 = 0.0;
    bool finite = true;
    for (int j = 0; j < n; j++) {
        double col = 0.0;
        for (int i = 0; i < n; i++) {
            double re = P::Re(A(i, j)), im = P::Im(A(i, j));
            if (!std::isfinite(re) || !std::isfinite(im)) finite = false;
            col += P::Abs(A(i, j));
        }
        if (col > norm1) norm1 = col;
    }
    if (!finite) {
        for (auto& cell : E.data) cell = P::FromReal(std::nan(""));
        return;
    }
    // The least s with norm1 2^-s <= 0.5, from the exponent of the norm.
    // A norm that overflows (finite cells, a column sum past the largest
    // double) is taken as its sums of the cells scaled by the largest part.
    int normExp = 0;
    double mant = 0.0;
    if (std::isinf(norm1)) {
        double big = 0.0;
        for (const auto& cell : A.data) big = std::fmax(big, std::fmax(std::fabs(P::Re(cell)), std::fabs(P::Im(cell))));
        int bigExp = 0;
        std::frexp(big, &bigExp);
        const double down = std::ldexp(1.0, -bigExp);
        double scaled = 0.0;
        for (int j = 0; j < n; j++) {
            double col = 0.0;
            for (int i = 0; i < n; i++) col += P::Abs(P::ScaleReal(down, A(i, j)));
            if (col > scaled) scaled = col;
        }
        mant = std::frexp(scaled, &normExp);
        normExp += bigExp;
    } else {
        mant = std::frexp(norm1, &normExp);
    }
    int squarings = 0;
    if (norm1 > 0.5) squarings = mant == 0.5 ? normExp : normExp + 1;
    DenseMatrix<S> B = A;
    // 2^-s in factors of at most 2^-1000 (each exact, and never zero).
    for (int rest = squarings; rest > 0;) {
        const int step = std::min(rest, 1000);
        const double f = std::ldexp(1.0, -step);
        for (auto& cell : B.data) cell = P::ScaleReal(f, cell);
        rest -= step;
    }

    DenseMatrix<S> T(n, n);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            E(i, j) = (i == j) ? P::One() : P::Zero();
            T(i, j) = E(i, j);
        }
    S c = P::One(), dp = P::One(), dt = P::FromReal(2.0);
    int k = 1, batch = 47;
    for (int pass = 0; pass < 100; pass++) {
        if (P::Same(dp, dt)) break;
        dp = DenseDet<P>(E);
        bool huge = false;
        for (const auto& cell : E.data)
            if (P::Abs(cell) > 1e30) huge = true;
        if (huge) break;
        for (int j = k; j <= k + batch; j++) {
            c = P::DivReal(c, (double)j);
            T = DenseProduct<P>(T, B);
            for (size_t q = 0; q < E.data.size(); q++) E.data[q] = P::Add(E.data[q], P::Mul(c, T.data[q]));
        }
        k = k + batch + 1;
        dt = DenseDet<P>(E);
        batch = 5;
    }
    // Squaring. Once a cell passes 2^256 the cells are kept as F 2^lift with
    // the largest modulus of F in [0.5, 1) (power-of-two scaling, exact), so
    // a result that truly overflows ends in INF of each cell's sign instead
    // of INF - INF = NAN, and exact zeros stay zeros. Until then nothing is
    // rescaled.
    // `lift` saturates at +-4400: past 2200 either way the result is decided,
    // and the exponents taken out per squaring are small.
    bool lifted = false;
    int lift = 0;
    for (int q = 0; q < squarings; q++) {
        DenseMatrix<S> square = DenseProduct<P>(E, E);
        double big = 0.0;
        for (const auto& cell : square.data) big = std::fmax(big, P::Abs(cell));
        // Lifted cells have their largest near 1; a square far below that
        // (a nilpotent part: exp([0, 0; 1e300, 0]) = [1, 0; 1e300, 1]) lost
        // its small cells below the least double: squared again from
        // E 2^t, which brings the square's largest near 1.
        int t = 0;
        if (lifted && big > 0.0 && big < 0x1p-400) {
            int e = 0;
            std::frexp(big, &e);
            // n products of cells of E 2^t stay below 2^1020.
            const int cap = (1020 - (int)std::ceil(std::log2((double)n))) / 2;
            t = std::min(-e / 2, cap);
            DenseMatrix<S> up = E;
            const double f = std::ldexp(1.0, t);
            for (auto& cell : up.data) cell = P::ScaleReal(f, cell);
            square = DenseProduct<P>(up, up);
            big = 0.0;
            for (const auto& cell : square.data) big = std::fmax(big, P::Abs(cell));
        }
        E = std::move(square);
        lift = std::max(-4400, std::min(4400, 2 * lift - 2 * t));
        if (!(big > 0.0 && std::isfinite(big)) || (!lifted && big <= 0x1p256)) continue;
        lifted = true;
        int e = 0;
        std::frexp(big, &e);
        const double f = std::ldexp(1.0, -e);
        for (auto& cell : E.data) cell = P::ScaleReal(f, cell);
        lift += e;
    }
    // Put the lifted power back in finite factors of at most 2^1000 each;
    // 2^+-2200 takes any non-zero double past the largest or below the least.
    for (int rest = std::max(-2200, std::min(2200, lift)); rest != 0;) {
        const int step = std::max(-1000, std::min(1000, rest));
        const double f = std::ldexp(1.0, step);
        for (auto& cell : E.data) cell = P::ScaleReal(f, cell);
        rest -= step;
    }
}

// ---- front ends shared by the complex-matrix and value-cell twins ----------
// M is CComplexMatrix or CValueMatrix; P the matching scalar policy.

template <class P, class M>
DenseMatrix<typename P::Scalar> ToDense(const M& m)
{
    DenseMatrix<typename P::Scalar> d(m.Rows(), m.Cols());
    for (int i = 0; i < m.Rows(); i++)
        for (int j = 0; j < m.Cols(); j++) d(i, j) = m.Cell(i, j);
    return d;
}

template <class P, class M>
void FromDense(DenseMatrix<typename P::Scalar>& d, M& m)
{
    using std::swap;
    m.Fill(d.rows, d.cols, typename P::Scalar());
    if (m.Rows() != d.rows || m.Cols() != d.cols) return;
    for (int i = 0; i < d.rows; i++)
        for (int j = 0; j < d.cols; j++) swap(m.Cell(i, j), d(i, j));
}

template <class P, class M>
bool HasImaginaryPart(const M& m)
{
    for (int i = 0; i < m.Rows(); i++)
        for (int j = 0; j < m.Cols(); j++)
            if (P::Im(m.Cell(i, j)) != 0.0) return true;
    return false;
}

template <class M>
bool IsSquareShape(const M& m)
{
    return !m.IsEmpty() && m.Rows() == m.Cols();
}

template <class P, class M>
int SvdOf(const M& A, M& U, M& W, M& V)
{
    if (A.IsEmpty()) {
        ReportError() << "Invalid svd; argument is non-empty matrix";
        return 10;
    }
    DenseMatrix<typename P::Scalar> u, w, v;
    int rc = SvdKernel<P>(ToDense<P>(A), u, w, v, HasImaginaryPart<P>(A));
    FromDense<P>(u, U);
    FromDense<P>(w, W);
    FromDense<P>(v, V);
    if (rc != 0) {
        ReportError() << "Svd: Solution will not converge";
        return 10;
    }
    return 0;
}

template <class P, class M>
int EigValuesOf(M& A, M& W)
{
    if (!IsSquareShape(A)) {
        ReportError() << "Argument of eig function must be a square matrix";
        return 10;
    }
    DenseMatrix<typename P::Scalar> a = ToDense<P>(A), w;
    int rc = EigValuesKernel<P>(a, w);
    FromDense<P>(a, A);
    FromDense<P>(w, W);
    if (rc != 0) {
        ReportError() << "Function eigv; solution will not converge";
        return 10;
    }
    return 0;
}

template <class P, class M>
int EigDecomposeOf(M& A, M& V, M& D)
{
    if (!IsSquareShape(A)) {
        ReportError() << "Argument of eig function must be a square matrix";
        return 10;
    }
    DenseMatrix<typename P::Scalar> a = ToDense<P>(A), v, d;
    int rc = EigDecomposeKernel<P>(a, v, d);
    FromDense<P>(a, A);
    FromDense<P>(v, V);
    FromDense<P>(d, D);
    if (rc != 0) {
        ReportError() << "Solution will not converge";
        return 10;
    }
    return 0;
}

