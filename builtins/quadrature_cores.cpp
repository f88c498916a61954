#include "builtins/quadrature_cores.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "values/random15.h"

namespace {

Complex Add(Complex a, const Complex& b) { return a += b; }
Complex Sub(Complex a, const Complex& b) { return a -= b; }
Complex Mul(Complex a, const Complex& b) { return a *= b; }

// Whether x still lies before b on the path from a, judged on the real parts
// (on the imaginary parts for a path parallel to the imaginary axis).
bool BeforeEnd(const Complex& x, const Complex& a, const Complex& b)
{
    if (b.re > a.re) return x.re < b.re;
    if (b.re < a.re) return x.re > b.re;
    if (b.im > a.im) return x.im < b.im;
    if (b.im < a.im) return x.im > b.im;
    return false;
}

// The error estimate |I_prev - I| / 15 holds when halving the step divides
// the error by 16, as it does for smooth integrands. At an end-point
// singularity (sqrt(x), x log(x), log(x) at 0) the steps shrink by a smaller
// ratio q, the error left is about step / (q - 1), and the estimate of /15
// falls short by up to an order of magnitude: then it does not count as met.
// Steps at the rounding level of I, or a thousand times below tol, always do.
bool SlowerThanSimpson(double lastStep, double step, double tol, const Complex& I)
{
    if (lastStep < 0.0 || step <= 1e-3 * tol || step <= 32 * DBL_EPSILON * I.Modulus()) return false;
    const double q = lastStep / step;
    if (!(q < 16.0)) return false;
    return !(q > 1.0) || step / (q - 1.0) > tol;
}

// With the steps shrinking by a steady ratio q (two ratios within 10 %),
// the error left after the last allowed halving is about
// step / (q - 1) / q^(halvings left). When even that stays four times above
// tol the bound cannot be met, and the rule gives up now rather than after
// millions of evaluations.
bool CannotMeet(double lastRatio, double ratio, double step, double tol, int pass)
{
    if (!(ratio > 1.0 && ratio < 16.0 && lastRatio > 1.0) || std::fabs(ratio - lastRatio) > 0.1 * ratio) return false;
    const double q = std::fmax(ratio, lastRatio);
    return step / (q - 1.0) / std::pow(q, kQuadMaxHalvings - pass) > 4.0 * tol;
}

// Dyadic grids can see a fast oscillation as a slow one: cos(50 x) on 2, 4
// and 8 panels of [0, 1] looks like a constant, and the estimates agree on a
// wrong value. So an agreement is taken only when the integrand, sampled at
// a few points off the grid, matches the parabola through the panel pair
// around each point to a quarter of the integrand's size (or so closely that
// the integral could not notice). *agree tells; the status is the callback's.
int ProbesAgree(QuadFn g, void* frame, const Complex& a, const Complex& b, int pass, double tol, bool* agree)
{
    static const double kProbes[] = {0.2113248654051871, 0.5527864045000421, 0.8472135954999579};
    const Complex span = Sub(b, a);
    auto at = [&](double t) { return Complex(a.re + span.re * t, a.im + span.im * t); };
    const long pairs = 1L << pass;  // the grid's panel pairs
    const double width = 1.0 / (double)pairs;
    double worst = 0.0, size = 0.0;
    for (double t : kProbes) {
        const long j = std::min((long)(t * (double)pairs), pairs - 1);
        const double t0 = (double)j * width;
        const Complex x[4] = {at(t0), at(t0 + 0.5 * width), at(t0 + width), at(t)};
        Complex v[4];
        for (int i = 0; i < 4; ++i)
            if (int s = g(&x[i], &v[i], frame)) return s;
        const double u = (t - t0) / (0.5 * width);  // 0, 1, 2 at the nodes
        const double c1 = u, c2 = 0.5 * u * (u - 1.0);
        const Complex q(v[0].re + c1 * (v[1].re - v[0].re) + c2 * (v[2].re - 2.0 * v[1].re + v[0].re),
                        v[0].im + c1 * (v[1].im - v[0].im) + c2 * (v[2].im - 2.0 * v[1].im + v[0].im));
        worst = std::fmax(worst, Sub(v[3], q).Modulus());
        for (const Complex& z : v) size = std::fmax(size, z.Modulus());
    }
    *agree = worst <= 0.25 * size || worst * span.Modulus() <= tol;
    return 0;
}

}  // namespace

int SimpsonCore(QuadFn g, void* frame, const Complex& a, const Complex& b, double tol, Complex* result)
{
    Complex ga, gb;
    if (int s = g(&a, &ga, frame)) return s;
    if (int s = g(&b, &gb, frame)) return s;
    Complex S = Add(ga, gb), D = Sub(b, a), prev;
    double lastStep = -1.0;   // |I_prev - I| of the pass before, once there is one
    double lastRatio = -1.0;  // the ratio of the two steps before, once there is one
    for (int pass = 0;; ++pass) {
        Complex h(D.re / 2.0, D.im / 2.0);
        D = h;
        Complex O, twoH(2.0 * h.re, 2.0 * h.im), x = Add(a, h);
        // The points no longer move: the estimate cannot improve.
        if (Add(x, twoH).re == x.re && Add(x, twoH).im == x.im && (h.re != 0.0 || h.im != 0.0))
            return -1;
        // A pass has 2^pass new points. The end of the path is judged on one
        // coordinate, which a step far below its last place may never move:
        // the count keeps such a path from being walked without end.
        const long points = 1L << pass;
        long done = 0;
        do {
            Complex gx;
            if (int s = g(&x, &gx, frame)) return s;
            O.re += 2.0 * gx.re;
            O.im += 2.0 * gx.im;
            x = Add(x, twoH);
        } while (++done < points && BeforeEnd(x, a, b));
        Complex Q(S.re + 2.0 * O.re, S.im + 2.0 * O.im);
        S = Add(S, O);
        Complex I = Mul(Q, h);
        I.re /= 3.0;
        I.im /= 3.0;
        *result = I;
        // Compared only from the second estimate on: a first estimate near
        // any fixed start value would otherwise stop the rule too early.
        if (pass > 0) {
            const double step = Sub(prev, I).Modulus();
            double e = step * 0.06666666666666667;
            if (e <= tol && !SlowerThanSimpson(lastStep, step, tol, I)) {
                bool agree = false;
                if (int s = ProbesAgree(g, frame, a, b, pass, tol, &agree)) return s;
                if (agree) return 0;
            }
            if (pass >= kQuadMaxHalvings) return -1;
            const double ratio = lastStep > 0.0 && step > 0.0 ? lastStep / step : -1.0;
            if (CannotMeet(lastRatio, ratio, step, tol, pass)) return -1;
            lastRatio = ratio;
            lastStep = step;
        }
        prev = I;
    }
}

int MonteCarloCore(QuadBoxFn g, void* frame, int n, const Complex* lo, const Complex* hi, double tol, Complex* x,
                   Complex* result)
{
    Complex V(1.0, 0.0);
    for (int k = 0; k < n; ++k) V = Mul(V, Sub(hi[k], lo[k]));
    auto batch = [&](int m, Complex* est) -> int {
        Complex sum;
        for (int p = 0; p < m; ++p) {
            for (int k = 0; k < n; ++k) {
                int r = Rand15();
                double t = r * 3.051850947599719e-5;
                Complex span = Sub(hi[k], lo[k]);
                x[k] = Complex(lo[k].re + span.re * t, lo[k].im + span.im * t);
            }
            Complex gx;
            if (int s = g(x, n, &gx, frame)) return s;
            sum = Add(sum, gx);
        }
        *est = Mul(Complex(V.re / m, V.im / m), sum);
        return 0;
    };
    Complex prev, I;
    // First estimate from 20 points, then fresh batches of 40, 80, ...
    if (int s = batch(20, &prev)) return s;
    for (int m = 40;; m *= 2) {
        if (int s = batch(m, &I)) return s;
        *result = I;
        if (Sub(I, prev).Modulus() < tol) return 0;
        if (m >= kQuadmMaxBatch) return -1;
        prev = I;
    }
}
