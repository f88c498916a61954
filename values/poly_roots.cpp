// Polynomial roots by the companion matrix and interpolation through points.
#include "values/poly_roots.h"

#include "values/complex_policy.h"
#include "values/linalg_kernels.h"
#include "values/output_stream.h"

int PolyRoots(const Complex* coeffs, int count, std::vector<Complex>& roots, double tol)
{
    // Zero leading coefficients would put infinities into the companion matrix.
    while (count > 0 && coeffs[count - 1].re == 0.0 && coeffs[count - 1].im == 0.0) count--;
    if (count < 2) {
        roots.clear();
        ReportError() << "Failed to find a roots of a polynomial";
        return -1;
    }
    // Exactly zero low coefficients are exact roots at 0: the iteration would
    // only smear such a multiple root into a small circle around it.
    int zeros = 0;
    while (zeros < count - 1 && coeffs[zeros].re == 0.0 && coeffs[zeros].im == 0.0) zeros++;
    if (zeros > 0) {
        std::vector<Complex> rest;
        if (count - zeros >= 2) {
            if (int st = PolyRoots(coeffs + zeros, count - zeros, rest, tol)) {
                roots.assign(count - 1, Complex());
                return st;
            }
        }
        rest.resize(count - 1, Complex());
        roots.swap(rest);
        return 0;
    }
    const int m = count - 1;
    DenseMatrix<Complex> H(m, m);
    for (int i = 1; i < m; i++) H(i, i - 1) = Complex(1.0, 0.0);
    const Complex& lead = coeffs[m];
    for (int j = 0; j < m; j++) {
        Complex q;
        ComplexQuotient(q, coeffs[m - 1 - j], lead);
        H(0, j) = Complex(-q.re, -q.im);
    }
    roots.assign(m, Complex());
    if (HqrKernel<ComplexPolicy>(H, HessenbergNormBound<ComplexPolicy>(H), roots.data(), tol) != 0) {
        roots.assign(m, Complex());
        ReportError() << "Failed to find a roots of a polynomial";
        return -2;
    }
    return 0;
}

int PolyInterpolate(std::vector<Complex>& out, const Complex* x, const Complex* y, int n)
{
    if (n < 2) return -1;
    using P = ComplexPolicy;
    std::vector<Complex> s(n);
    out.assign(n, Complex());
    s[n - 1] = P::Neg(x[0]);
    for (int i = 1; i < n; i++) {
        for (int j = n - 1 - i; j <= n - 2; j++) s[j] = P::Sub(s[j], P::Mul(x[i], s[j + 1]));
        s[n - 1] = P::Sub(s[n - 1], x[i]);
    }
    for (int j = 0; j < n; j++) {
        Complex phi((double)n, 0.0);
        for (int k = n - 1; k >= 1; k--) phi = P::Add(P::ScaleReal((double)k, s[k]), P::Mul(x[j], phi));
        Complex ff = P::Div(y[j], phi);
        Complex b(1.0, 0.0);
        for (int k = n - 1; k >= 0; k--) {
            out[k] = P::Add(out[k], P::Mul(b, ff));
            b = P::Add(s[k], P::Mul(x[j], b));
        }
    }
    return 0;
}
