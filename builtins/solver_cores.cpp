#include "builtins/solver_cores.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "values/output_stream.h"
#include "values/value.h"

namespace {

Complex Add(Complex a, const Complex& b) { return a += b; }
Complex Sub(Complex a, const Complex& b) { return a -= b; }
Complex Mul(Complex a, const Complex& b) { return a *= b; }
Complex Div(Complex a, const Complex& b) { return a /= b; }
Complex Scale(double s, const Complex& z) { return Complex(s * z.re, s * z.im); }
double Abs(const Complex& z) { return z.Modulus(); }

}  // namespace

// ---- zero finder ---------------------------------------------------------

int FzeroCore(SolverComplexFn f, int k, int g, int n, const double* tol, int digits, int maxEval,
              void* frame, Complex* X, int* counts)
{
    if (n < 1) return 0;
    int d = digits;
    if (d == 0 && *tol == 0.0) d = 5;
    double eps1 = std::min(std::pow(10.0, -d), 0.01);
    double eps2 = std::max(eps1, 1e-5);
    for (int i = 0; i < k + n; ++i) {
        counts[i] = 0;
        if (i >= k + g) X[i] = Complex();
    }
    const double atol = std::fabs(*tol);
    int result = 0;

    for (int L = k; L < k + n; ++L) {  // 0-based; the first zero overall is L == 0
        int e = 0, looks = 0, nearHits = 0;
        bool secondLook = false, failed = false;
        // A real start on a function that stays real there keeps the search on
        // the real line: a parabola without real roots gives its real step
        // (the discriminant taken as 0) instead of leaving the line.
        bool realLine = X[L].im == 0.0;
        int phase = 0;
        Complex x0, h, z, z0, lambda, f0, f1, f2, r0, r1, r2, fd, fr;

        enum { START, EVAL, MULLER, PERTURB, DONE } at = START;
        while (at != DONE) {
            switch (at) {
            case START:
                x0 = X[L];
                secondLook = false;
                h = Abs(x0) > 0.1 ? Scale(0.1, x0) : Complex(0.1, 0.0);
                z = Add(x0, h);
                phase = 0;
                at = EVAL;
                break;

            case EVAL: {
                if (++e > maxEval) {
                    failed = true;
                    at = DONE;
                    break;
                }
                Complex fz;
                if (int s = f(&z, &fz, frame)) return s;
                fr = fd = fz;
                if (fz.im != 0.0) realLine = false;
                // Deflation by the zeros found before this one only: dividing
                // the first search by z as well would hide a zero at 0.
                bool tooClose = false;
                for (int i = 0; i < L && !tooClose; ++i) {
                    Complex dz = Sub(z, X[i]);
                    if (Abs(dz) < 1e-4)
                        tooClose = true;
                    else
                        fd = Div(fd, dz);
                }
                if (tooClose) {
                    at = PERTURB;
                    break;
                }
                if (fd.im != 0.0) realLine = false;  // divided by a complex zero
                // A small |f| alone is no zero where f is small everywhere
                // near it (1e-6 (x - 3) is below 1e-8 a hundredth away): a
                // point is accepted when f vanishes there, or when the step
                // that reached it was small as well (a few passes of the |f|
                // test without that still end a search held at rounding level).
                if (Abs(fd) <= atol && Abs(fr) <= atol &&
                    (Abs(fr) == 0.0 || (phase == 3 && Abs(h) <= atol * std::max(Abs(z), 1.0)) || ++nearHits >= 5)) {
                    at = DONE;
                    break;
                }
                if (phase == 0) {
                    f0 = fd;
                    r0 = fr;
                    z0 = z;
                    z = Sub(x0, h);
                    phase = 1;
                } else if (phase == 1) {
                    f1 = fd;
                    r1 = fr;
                    h = Sub(x0, z);
                    lambda = Div(h, Sub(z, z0));
                    z = x0;
                    phase = 2;
                } else if (phase == 2) {
                    f2 = fd;
                    r2 = fr;
                    at = MULLER;
                } else if (Abs(fd) - 10.0 * Abs(f2) >= 0.0) {
                    lambda = Scale(0.5, lambda);
                    h = Scale(0.5, h);
                    z = Sub(z, h);
                } else {
                    f0 = f1;
                    f1 = f2;
                    f2 = fd;
                    r0 = r1;
                    r1 = r2;
                    r2 = fr;
                    at = MULLER;
                }
                break;
            }

            case MULLER: {
                Complex delta = Add(Complex(1.0, 0.0), lambda);
                Complex lsum = Add(lambda, delta);
                Complex gg = Add(Sub(Mul(Mul(lambda, lambda), f0), Mul(Mul(delta, delta), f1)), Mul(lsum, f2));
                Complex inner = Add(Sub(Mul(lambda, f0), Mul(delta, f1)), f2);
                Complex D = Sub(Mul(gg, gg), Mul(Scale(4.0, Mul(Mul(lambda, delta), f2)), inner));
                Complex s = realLine && D.im == 0.0 && D.re < 0.0 ? Complex() : ComplexSqrt(D);
                double c = 100.0 * std::max(Abs(gg), Abs(s));
                Complex p = Add(gg, s), q = Sub(gg, s);
                if (c + Abs(p) == c) p = Complex();
                if (c + Abs(q) == c) q = Complex();
                Complex den = (Abs(q) - Abs(p) > 0.0) ? q : p;
                if (Abs(den) == 0.0) {
                    at = PERTURB;
                    break;
                }
                lambda = Div(Scale(2.0, Complex(-(Mul(delta, f2)).re, -(Mul(delta, f2)).im)), den);
                h = Mul(h, lambda);
                z = Add(z, h);
                if (d == 0) {
                    phase = 3;
                    at = EVAL;
                    break;
                }
                bool small = Abs(h) <= eps1 * std::max(Abs(z), 0.1);
                if (!small) {
                    if (secondLook) {
                        at = START;
                    } else {
                        phase = 3;
                        at = EVAL;
                    }
                    break;
                }
                if (secondLook) {
                    at = DONE;
                    break;
                }
                secondLook = true;
                f0 = r1;
                f1 = r2;
                Complex fz;
                if (int st = f(&z, &fz, frame)) return st;
                if (fz.im != 0.0) realLine = false;
                f2 = fz;
                r0 = r1;
                r1 = r2;
                r2 = fz;
                x0 = z;
                if (++looks > 3) {
                    e += maxEval;
                    failed = true;
                    at = DONE;
                }
                // else another Muller step from the second look
                break;
            }

            case PERTURB: {
                if (secondLook) {
                    at = START;
                    break;
                }
                Complex dd = Abs(z) > 0.1 ? Scale(10.0 * eps2, z) : Complex(10.0 * eps2, 0.0);
                z = Add(z, dd);
                Complex hd = Add(h, dd);
                lambda = Mul(lambda, Div(hd, h));
                h = hd;
                at = EVAL;
                break;
            }

            case DONE:
                break;
            }
        }
        // From a real start on a function that is real there, a zero that is
        // real but for rounding is given as the real number when f is no
        // larger there.
        if (!failed && z.im != 0.0 && X[L].im == 0.0 && std::fabs(z.im) <= std::max(atol, 1e-12) * std::max(Abs(z), 1.0)) {
            Complex re(z.re, 0.0), fz;
            if (int s = f(&re, &fz, frame)) return s;
            if (fz.im == 0.0 && Abs(fz) <= Abs(fr)) z = re;
        }
        if (failed) result = -1;
        X[L] = z;
        counts[L] = e;
    }
    return result;
}

// ---- one-dimensional minimisers -----------------------------------------

int FminCore(SolverRealFn f, double a, double b, double c, const double* tol, int maxIter, void* frame,
             double* xOut, double* fOut)
{
    const double golden = 0.381966;
    double lo = std::min(a, c), hi = std::max(a, c);
    double x = b, w = b, v = b, fx, fw, fv;
    if (int s = f(x, &fx, frame)) return s;
    fw = fv = fx;
    double e = 0.0, d = 0.0;
    int result = -1;
    for (int it = 1; it <= maxIter; ++it) {
        double xm = 0.5 * (lo + hi);
        double tol1 = *tol * std::fabs(x) + 1e-10;
        double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (hi - lo)) {
            result = 0;
            break;
        }
        bool golden_step = true;
        if (std::fabs(e) > tol1) {
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0) p = -p;
            q = std::fabs(q);
            double etemp = e;
            e = d;
            if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (lo - x) || p >= q * (hi - x))) {
                d = p / q;
                double u = x + d;
                if (u - lo < tol2 || hi - u < tol2) d = std::copysign(tol1, xm - x);
                golden_step = false;
            }
        }
        if (golden_step) {
            e = (x < xm) ? hi - x : lo - x;
            d = golden * e;
        }
        double u = std::fabs(d) >= tol1 ? x + d : x + std::copysign(tol1, d);
        double fu;
        if (int s = f(u, &fu, frame)) {
            *xOut = x;
            *fOut = fx;
            return s;
        }
        if (fu <= fx) {
            if (u >= x)
                lo = x;
            else
                hi = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            if (u < x)
                lo = u;
            else
                hi = u;
        }
        if (fu <= fw || w == x) {
            v = w;
            fv = fw;
            w = u;
            fw = fu;
        } else if (fu <= fv || v == x || v == w) {
            v = u;
            fv = fu;
        }
    }
    *xOut = x;
    *fOut = fx;
    return result;
}

namespace {

constexpr int kMaxSamples = 257;

// Local minima of sampled values: a rising left end, a turn from not rising
// to rising, a right end that does not rise. Calls visit(i) per minimum.
template <class Visit>
int ForEachMinimum(const double* fs, int n, Visit visit)
{
    int count = 0;
    if (n < 2) return 0;
    if (fs[1] - fs[0] > 0.0) {
        visit(0);
        ++count;
    }
    for (int i = 1; i + 1 < n; ++i)
        if (fs[i] - fs[i - 1] <= 0.0 && fs[i + 1] - fs[i] > 0.0) {
            visit(i);
            ++count;
        }
    if (fs[n - 1] - fs[n - 2] <= 0.0) {
        visit(n - 1);
        ++count;
    }
    return count;
}

}  // namespace

int MinimaBracketScan(SolverRealFn f, void* frame, const double* x1, const double* x2, int stability,
                      int* count, double* left, double* right)
{
    double xs[kMaxSamples], fs[kMaxSamples];
    int n = 5;
    const double span = *x2 - *x1;
    for (int i = 0; i < n; ++i) {
        xs[i] = *x1 + i * (span / 4.0);
        if (int s = f(xs[i], &fs[i], frame)) return s;
    }
    int remembered = -1, stable = 0;
    bool first = true;
    for (;;) {
        int found = ForEachMinimum(fs, n, [](int) {});
        if (first) {
            remembered = found;
            first = false;
        } else if (found == remembered) {
            ++stable;
        } else {
            stable = 0;
            remembered = found;
        }
        if (stable >= stability || n >= kMaxSamples) break;
        int nNew = 2 * n - 1;
        double spacing = span / (nNew - 1);
        int m = n;
        for (int j = 1; j < nNew; j += 2) {
            xs[m] = *x1 + j * spacing;
            if (int s = f(xs[m], &fs[m], frame)) return s;
            ++m;
        }
        n = nNew;
        for (bool swapped = true; swapped;) {
            swapped = false;
            for (int i = 0; i + 1 < n; ++i)
                if (xs[i] > xs[i + 1]) {
                    std::swap(xs[i], xs[i + 1]);
                    std::swap(fs[i], fs[i + 1]);
                    swapped = true;
                }
        }
    }
    const int capacity = *count;
    int stored = 0;
    int found = ForEachMinimum(fs, n, [&](int i) {
        if (stored >= capacity) return;
        int l = i == 0 ? 0 : (i == n - 1 ? n - 2 : i - 1);
        int r = i == 0 ? 1 : (i == n - 1 ? n - 1 : i + 1);
        left[stored] = xs[l];
        right[stored] = xs[r];
        ++stored;
    });
    *count = found;
    return 0;
}

int FibonacciSearch(SolverRealFn f, void* frame, const double* a, const double* b, const double* tol, int n,
                    double* xOut, double* fOut)
{
    double r;
    if (n < 1) {
        r = 0.6180339887498948;
    } else {
        double fa = 1.0, fb = 1.0;  // F(1), F(2)
        for (int i = 1; i < n && std::isfinite(fb); ++i) {
            double t = fa + fb;
            fa = fb;
            fb = t;
        }
        r = std::isfinite(fb) ? fa / fb : 0.6180339887498948;
    }
    const double L = *b - *a;
    double best = r, fbest;
    if (int s = f(*a + r * L, &fbest, frame)) return s;
    double nearEnd = 1.0, farEnd = 0.0;
    double t = 1.0 - r;
    // Golden-section runs to the tolerance; the pass bound keeps a zero or
    // NaN tolerance from looping (the bracket is below 1e-100 by then).
    const int maxPasses = n >= 1 ? n : 500;
    for (int k = 2;; ++k) {
        double ft;
        if (int s = f(*a + t * L, &ft, frame)) return s;
        if (ft < fbest) {
            nearEnd = best;
            best = t;
            fbest = ft;
        } else {
            farEnd = nearEnd;
            nearEnd = t;
        }
        if (n < 1 && (std::fabs(farEnd - nearEnd) <= *tol || k >= maxPasses)) break;
        if (n >= 1 && k >= n) break;
        t = nearEnd + farEnd - best;
    }
    *xOut = *a + best * L;
    return f(*xOut, fOut, frame);
}

int FmingCore(SolverRealFn f, void* frame, const double* x1, const double* x2, const double* tol,
              int stability, int* count, double* xs, double* fs)
{
    const int capacity = *count;
    std::vector<double> left(capacity > 0 ? capacity : 1), right(capacity > 0 ? capacity : 1);
    int found = capacity;
    if (int s = MinimaBracketScan(f, frame, x1, x2, stability, &found, left.data(), right.data())) return s;
    int m = std::min(capacity, found);
    for (int i = 0; i < m; ++i) {
        double ratio = std::log((right[i] - left[i]) / (*tol * 0.37));
        int evals = 0;
        // A zero or tiny tolerance would ask for an unbounded count.
        if (!(ratio < 1000.0)) ratio = 1000.0;
        if (!DoubleToInt(ratio, evals)) evals = 0;
        if (int s = FibonacciSearch(f, frame, &left[i], &right[i], tol, evals, &xs[i], &fs[i])) return s;
    }
    for (int end = m - 1; end > 0; --end)
        for (int i = 0; i < end; ++i)
            if (fs[i] > fs[i + 1]) {
                std::swap(fs[i], fs[i + 1]);
                std::swap(xs[i], xs[i + 1]);
            }
    *count = m;
    return 0;
}

// ---- multi-dimensional minimisers ---------------------------------------

int BracketMinimum(SolverRealFn f, void* frame, double* a, double* b, double* c, double* fa, double* fb,
                   double* fc, int itmax)
{
    const double gold = 1.618034, glimit = 100.0, tiny = 1e-5;
    if (int s = f(*a, fa, frame)) return s;
    if (int s = f(*b, fb, frame)) return s;
    if (*fb > *fa) {
        std::swap(*a, *b);
        std::swap(*fa, *fb);
    }
    *c = *b + gold * (*b - *a);
    if (int s = f(*c, fc, frame)) return s;
    for (int pass = 1; pass <= itmax; ++pass) {
        if (*fb <= *fc) return 0;
        double r = (*b - *a) * (*fb - *fc);
        double q = (*b - *c) * (*fb - *fa);
        double m = std::copysign(std::max(std::fabs(q - r), tiny), q - r);
        double u = *b - ((*b - *c) * q - (*b - *a) * r) / (2.0 * m);
        double ulim = *b + glimit * (*c - *b);
        double fu;
        if ((*b - u) * (u - *c) > 0.0) {
            if (int s = f(u, &fu, frame)) return s;
            if (fu < *fc) {
                *a = *b;
                *fa = *fb;
                *b = u;
                *fb = fu;
                continue;
            }
            if (fu > *fb) {
                *c = u;
                *fc = fu;
                continue;
            }
            u = *c + gold * (*c - *b);
            if (int s = f(u, &fu, frame)) return s;
        } else if ((*c - u) * (u - ulim) > 0.0) {
            if (int s = f(u, &fu, frame)) return s;
            if (fu < *fc) {
                *b = *c;
                *c = u;
                *fb = *fc;
                *fc = fu;
                u = *c + gold * (*c - *b);
                if (int s = f(u, &fu, frame)) return s;
            }
        } else if ((u - ulim) * (ulim - *c) >= 0.0) {
            u = ulim;
            if (int s = f(u, &fu, frame)) return s;
        } else {
            u = *c + gold * (*c - *b);
            if (int s = f(u, &fu, frame)) return s;
        }
        *a = *b;
        *b = *c;
        *c = u;
        *fa = *fb;
        *fb = *fc;
        *fc = fu;
    }
    return -1;
}

namespace {

struct LineFrame {
    SolverVectorFn f;
    void* frame;
    const double* p;
    const double* xi;
    int n;
    double* scratch;
};

int LineFunction(double t, double* ft, void* raw)
{
    LineFrame* lf = static_cast<LineFrame*>(raw);
    for (int j = 0; j < lf->n; ++j) lf->scratch[j] = lf->p[j] + t * lf->xi[j];
    return lf->f(lf->scratch, lf->n, ft, lf->frame);
}

}  // namespace

int LineMinimize(SolverVectorFn f, void* frame, double* p, double* xi, int n, double* fret, int itmax)
{
    std::vector<double> scratch(n);
    LineFrame lf{f, frame, p, xi, n, scratch.data()};
    double a = 0.0, b = 1.0, c, fa, fb, fc;
    int s = BracketMinimum(LineFunction, &lf, &a, &b, &c, &fa, &fb, &fc, itmax);
    if (s > 0) return s;
    const double tol = 1e-4;
    double tmin, fmin;
    s = FminCore(LineFunction, a, b, c, &tol, itmax, &lf, &tmin, &fmin);
    if (s > 0) return s;
    for (int j = 0; j < n; ++j) {
        xi[j] *= tmin;
        p[j] += xi[j];
    }
    *fret = fmin;
    return 0;
}

int Fmins3eCore(SolverVectorFn f, void* frame, int n, double* p, double* fret, double* xi,
                const double* ftol, int itmax)
{
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) xi[i * n + j] = i == j ? 1.0 : 0.0;
    if (int s = f(p, n, fret, frame)) return s;
    std::vector<double> pt(p, p + n), ptt(n), xit(n);
    for (int k = 1;; ++k) {
        double fp = *fret;
        int ibig = -1;
        double del = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) xit[j] = xi[i * n + j];
            double fprev = *fret;
            if (int s = LineMinimize(f, frame, p, xit.data(), n, fret, itmax)) return s;
            if (std::fabs(fprev - *fret) > del) {
                del = std::fabs(fprev - *fret);
                ibig = i;
            }
        }
        if (2.0 * std::fabs(fp - *fret) <= std::fabs(*ftol) * (std::fabs(fp) + std::fabs(*fret))) return 0;
        // An iteration limit below 1 ends after the first iteration.
        if (k >= itmax) return -1;
        for (int j = 0; j < n; ++j) {
            ptt[j] = 2.0 * p[j] - pt[j];
            xit[j] = p[j] - pt[j];
            pt[j] = p[j];
        }
        double fptt;
        if (int s = f(ptt.data(), n, &fptt, frame)) return s;
        if (fptt < fp) {
            double a = fp - *fret - del, b = fp - fptt;
            if (2.0 * (fp - 2.0 * *fret + fptt) * a * a - del * b * b < 0.0) {
                if (int s = LineMinimize(f, frame, p, xit.data(), n, fret, itmax)) return s;
                if (ibig >= 0)
                    for (int j = 0; j < n; ++j) xi[ibig * n + j] = xit[j];
            }
        }
    }
}

int Fmins2Core(SolverVectorFn f, void* frame, int n, double* x, double* fminOut, double step, double tol,
               int iter)
{
    const double alpha = 3.0, beta = 0.5;
    const int maxEvals = 10000, maxCycles = 500;
    std::vector<double> D(n * n, 0.0), xbest(x, x + n), d(n), lambda(n), state(n), A(n * n), B(n);
    for (int i = 0; i < n; ++i) D[i * n + i] = 1.0;  // row i is direction i
    double fbest;
    if (int s = f(x, n, &fbest, frame)) return s;
    int evals = 1, stage = 1, result = 0;
    for (;;) {
        double fstage = fbest;
        for (int i = 0; i < n; ++i) {
            state[i] = 2.0;
            d[i] = step;
            lambda[i] = 0.0;
        }
        int cycle = 1;
        bool stageEnd = false, finish = false;
        while (!stageEnd && !finish) {
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) x[j] += d[i] * D[i * n + j];
                double ftrial;
                if (int s = f(x, n, &ftrial, frame)) return s;
                if (++evals >= maxEvals) {
                    result = -1;
                    finish = true;
                    break;
                }
                if (ftrial > fbest) {
                    for (int j = 0; j < n; ++j) x[j] -= d[i] * D[i * n + j];
                    d[i] = -beta * d[i];
                    if (state[i] < 1.5) state[i] = 0.0;
                } else {
                    lambda[i] += d[i];
                    d[i] *= alpha;
                    fbest = ftrial;
                    std::copy(x, x + n, xbest.begin());
                    if (state[i] > 1.5) state[i] = 1.0;
                }
                bool anyOpen = false;
                for (int j = 0; j < n; ++j)
                    if (state[j] > 0.5) anyOpen = true;
                if (!anyOpen) {
                    stageEnd = true;
                    break;
                }
            }
            if (stageEnd || finish) break;
            bool anySuccess = false;
            for (int j = 0; j < n; ++j)
                if ((int)state[j] == 1) anySuccess = true;
            if (anySuccess) continue;
            if (cycle < maxCycles)
                ++cycle;
            else
                stageEnd = true;
        }
        if (finish) break;
        if (++stage >= iter) {
            result = -2;
            break;
        }
        if (fstage - fbest <= tol) {
            result = 0;
            break;
        }
        // New directions: accumulated moves, orthonormalised in order.
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < n; ++c) {
                double sum = 0.0;
                for (int j = i; j < n; ++j) sum += lambda[j] * D[j * n + c];
                A[i * n + c] = sum;
            }
        for (int i = 0; i < n; ++i) {
            for (int c = 0; c < n; ++c) B[c] = A[i * n + c];
            for (int j = 0; j < i; ++j) {
                double dot = 0.0;
                for (int c = 0; c < n; ++c) dot += A[i * n + c] * D[j * n + c];
                for (int c = 0; c < n; ++c) B[c] -= dot * D[j * n + c];
            }
            double norm = 0.0;
            for (int c = 0; c < n; ++c) norm += B[c] * B[c];
            norm = std::sqrt(norm);
            if (norm > 1e-10)
                for (int c = 0; c < n; ++c) D[i * n + c] = B[c] / norm;
        }
    }
    std::copy(xbest.begin(), xbest.end(), x);
    *fminOut = fbest;
    return result;
}

// Classic cyclic Jacobi with a threshold: the first three sweeps rotate only
// pairs above a fifth of the mean off-diagonal size; later sweeps drop terms
// that no longer change either diagonal entry. Terms whose second difference
// at step h (|H_pq| h^2) lies below 1e-17 are noise of the estimate and are
// dropped as well. At most 50 sweeps.
void JacobiEigen(double* H, double* V, int n, double h)
{
    const double noise = h > 0.0 ? 1e-17 / (h * h) : 0.0;
    for (int sweep = 0; sweep < 50; ++sweep) {
        double off = 0.0;
        for (int p = 0; p < n; ++p)
            for (int q = p + 1; q < n; ++q) off += std::fabs(H[p * n + q]);
        if (off == 0.0 || !std::isfinite(off)) return;
        double threshold = sweep < 3 ? 0.2 * off / (n * n) : 0.0;
        for (int p = 0; p < n; ++p)
            for (int q = p + 1; q < n; ++q) {
                double apq = H[p * n + q];
                double app = H[p * n + p], aqq = H[q * n + q];
                double g = 100.0 * std::fabs(apq);
                if (std::fabs(apq) <= noise ||
                    (sweep > 3 && std::fabs(app) + g == std::fabs(app) && std::fabs(aqq) + g == std::fabs(aqq))) {
                    H[p * n + q] = H[q * n + p] = 0.0;
                    continue;
                }
                if (std::fabs(apq) <= threshold) continue;
                double theta = (aqq - app) / (2.0 * apq);
                double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
                if (!std::isfinite(theta)) t = 0.5 / theta;  // huge theta: t ~ 1/(2 theta)
                double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
                for (int r = 0; r < n; ++r) {
                    if (r == p || r == q) continue;
                    double arp = H[r * n + p], arq = H[r * n + q];
                    H[r * n + p] = H[p * n + r] = c * arp - s * arq;
                    H[r * n + q] = H[q * n + r] = s * arp + c * arq;
                }
                H[p * n + p] = app - t * apq;
                H[q * n + q] = aqq + t * apq;
                H[p * n + q] = H[q * n + p] = 0.0;
                for (int k = 0; k < n; ++k) {
                    double vp = V[p * n + k], vq = V[q * n + k];
                    V[p * n + k] = c * vp - s * vq;
                    V[q * n + k] = s * vp + c * vq;
                }
            }
    }
}

int FminsSearchCore(SolverVectorFn f, void* frame, int n, double* x, double* fx, double* step,
                    const double* tol, const int* iter)
{
    // A search that keeps falling by more than tol per sweep would never end.
    const int maxCycles = 10000;
    std::vector<double> xc(x, x + n), V(n * n, 0.0), H(n * n), e(n), d(n, 0.0), g(n), w(n), pt(n), q(n);
    auto eval = [&](const double* p, double* out) { return f(p, n, out, frame); };
    double h = 0.01, fc;
    if (int s = eval(xc.data(), &fc)) return s;
    double fs = fc;
    for (int i = 0; i < n; ++i) V[i * n + i] = 1.0;
    int k = 0, flat = 0;
    bool ended = false;
    for (int cycle = 0; !ended; ++cycle) {
        if (cycle >= maxCycles) {
            std::copy(xc.begin(), xc.end(), x);
            *fx = fc;
            return -1;
        }
        // Curvature along the current directions.
        double f0 = fc;
        for (int j = 0; j < n; ++j) {
            for (int c = 0; c < n; ++c) pt[c] = xc[c] + h * V[j * n + c];
            if (int s = eval(pt.data(), &g[j])) return s;
        }
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j) {
                for (int c = 0; c < n; ++c) pt[c] = xc[c] + h * (V[i * n + c] + V[j * n + c]);
                double fij;
                if (int s = eval(pt.data(), &fij)) return s;
                double num = fij - g[i] - g[j] + f0;
                H[i * n + j] = H[j * n + i] = std::fabs(num) < h * h * 1e18 ? num / (h * h) : 1e16;
            }
        JacobiEigen(H.data(), V.data(), n, h);

        // Line searches, one direction at a time.
        bool sweepDone = true;
        for (int i = 0; i < n && !ended; ++i) {
            const double* v = &V[i * n];
            double s = *step;
            for (int c = 0; c < n; ++c) pt[c] = xc[c] + s * v[c];  // p1
            d[i] += s;
            double f1;
            if (int st = eval(pt.data(), &f1)) return st;
            if (f1 > fc) s = -s;
            double ffar = 0.0, fmid = 0.0;
            bool leftAlone = false;
            for (;;) {
                for (int c = 0; c < n; ++c) q[c] = pt[c] + s * v[c];
                d[i] += s;
                // A step of 0 or NaN never reaches the limit by doubling.
                if (s == 0.0 || !(std::fabs(d[i]) <= 1e10)) {
                    leftAlone = true;
                    break;
                }
                double fq;
                if (int st = eval(q.data(), &fq)) return st;
                if (fq <= f1) {
                    s *= 2.0;
                    continue;
                }
                ffar = fq;
                s /= 2.0;
                for (int c = 0; c < n; ++c) q[c] = pt[c] + s * v[c];
                d[i] += s;
                if (!(std::fabs(d[i]) <= 1e10)) {
                    leftAlone = true;
                    break;
                }
                if (int st = eval(q.data(), &fmid)) return st;
                break;
            }
            if (leftAlone) continue;
            double t = 2.0 * (f1 - 2.0 * fmid + ffar);
            if (std::fabs(t) <= 1e-17) {
                if (++flat > 10) ended = true;
                sweepDone = false;
                break;
            }
            flat = 0;
            double o = (f1 - ffar) * s / t;
            for (int c = 0; c < n; ++c) xc[c] = q[c] + o * v[c];
            if (int st = eval(xc.data(), &fc)) return st;
            d[i] += o;
        }
        if (ended) break;
        if (sweepDone) {
            *step /= 2.0;
            if (*tol != 0.0 && std::fabs(fc - fs) <= std::fabs(*tol)) break;
            fs = fc;
            h = 0.0;
            for (int i = 0; i < n; ++i) h = std::max(h, std::fabs(d[i]));
        }
        if (h <= 1e-9) h = 1e-7;
        if (h > 0.001) h = 0.001;
        std::fill(d.begin(), d.end(), 0.0);
        int m = 0;
        for (int i = 0; i < n; ++i) e[i] = H[i * n + i];
        while (m < n && std::fabs(e[m]) > 5e-17) ++m;

        bool newCycle = false;
        for (int i = 0; i < m; ++i) {
            double fp, fm;
            for (int c = 0; c < n; ++c) pt[c] = xc[c] + h * V[i * n + c];
            if (int st = eval(pt.data(), &fp)) return st;
            for (int c = 0; c < n; ++c) pt[c] = xc[c] - h * V[i * n + c];
            if (int st = eval(pt.data(), &fm)) return st;
            if (2.0 * h <= 1e-17 * std::fabs(fp - fm)) {
                newCycle = true;
                break;
            }
            w[i] = ((fp - fm) / (2.0 * h)) * (1.0 / e[i]);
        }
        if (newCycle) continue;
        std::fill(q.begin(), q.end(), 0.0);
        for (int i = 0; i < m; ++i)
            for (int c = 0; c < n; ++c) q[c] += w[i] * V[i * n + c];
        for (int c = 0; c < n; ++c) pt[c] = xc[c] - q[c];
        double ft;
        if (int st = eval(pt.data(), &ft)) return st;
        if (ft >= fc) continue;
        xc = pt;
        fc = ft;
        ++k;
        if (*tol == 0.0 && k == *iter) break;
    }
    std::copy(xc.begin(), xc.end(), x);
    *fx = fc;
    return k == *iter ? -1 : 0;
}

// ---- nonlinear systems ---------------------------------------------------

int NlsolveCore(SolverSystemFn f, void* frame, int n, Complex* x, bool haveStart, double tol, int niter)
{
    const int maxRestarts = 30;
    // Iterations past niter go on only while the residuals stay within tol;
    // they are bounded so that a step test that never holds cannot hang.
    const long long maxExtra = std::max(niter, 50);
    std::vector<Complex> F(n), Fm(n), r(n), d(n), s(n), J(n * n);
    if (!haveStart)
        for (int i = 0; i < n; ++i) s[i] = x[i] = Complex(-0.55, 0.0);
    long long k = 0;
    int restarts = 0, status = 0;
    bool givenUp = false, singular = false;
    // A failed attempt starts again from a moved start; false once that is
    // not allowed (a given start, or the restarts used up).
    auto restart = [&] {
        if (haveStart || restarts >= maxRestarts) {
            givenUp = true;
            return false;
        }
        for (int i = 0; i < n; ++i) {
            s[i].re += 0.1;
            s[i].im += 0.1;
            x[i] = s[i];
        }
        k = 0;
        ++restarts;
        return true;
    };
    for (;;) {
        // Newton steps.
        for (int i = 0; i < n; ++i) {
            if (int st = f(i, x, n, &F[i], frame)) return st;
            r[i] = Complex(-F[i].re, -F[i].im);
        }
        for (int j = 0; j < n; ++j) {
            double h = Abs(x[j]) * tol;
            if (h == 0.0) h = tol;  // a zero coordinate still gets a step
            Complex saved = x[j];
            x[j].re += h;
            for (int i = 0; i < n; ++i)
                if (int st = f(i, x, n, &Fm[i], frame)) {
                    x[j] = saved;
                    return st;
                }
            for (int i = 0; i < n; ++i) J[i * n + j] = Div(Sub(Fm[i], F[i]), Complex(h, 0.0));
            x[j] = saved;
        }
        // Elimination with partial pivoting: a variable that only a later
        // equation holds (a zero on the diagonal) is no obstacle.
        singular = false;
        for (int k0 = 0; k0 < n && !singular; ++k0) {
            int p = k0;
            double best = Abs(J[k0 * n + k0]);
            for (int i = k0 + 1; i < n; ++i) {
                const double v = Abs(J[i * n + k0]);
                if (v > best) {
                    best = v;
                    p = i;
                }
            }
            if (best == 0.0) {
                singular = true;
                break;
            }
            if (p != k0) {
                for (int j = 0; j < n; ++j) std::swap(J[k0 * n + j], J[p * n + j]);
                std::swap(r[k0], r[p]);
            }
            for (int i = k0 + 1; i < n; ++i) {
                Complex m = Div(J[i * n + k0], J[k0 * n + k0]);
                m = Complex(-m.re, -m.im);
                for (int j = k0 + 1; j < n; ++j) J[i * n + j] = Add(J[i * n + j], Mul(m, J[k0 * n + j]));
                r[i] = Add(r[i], Mul(m, r[k0]));
            }
        }
        if (singular) {
            // No Newton step exists from here: a failed attempt.
            if (!restart()) break;
            continue;
        }
        for (int i = n - 1; i >= 0; --i) {
            Complex sum = r[i];
            for (int j = i + 1; j < n; ++j) sum = Sub(sum, Mul(J[i * n + j], d[j]));
            d[i] = Div(sum, J[i * n + i]);
        }
        bool allSmall = true;
        for (int i = 0; i < n; ++i) {
            x[i] = Add(x[i], d[i]);
            double ratio = Abs(Div(d[i], x[i]));
            if (ratio > tol) allSmall = false;  // NaN counts as small
        }
        ++k;
        if (k < niter && !allSmall) continue;

        // Residual check.
        bool failed = false;
        for (int i = 0; i < n; ++i) {
            Complex fi;
            if (int st = f(i, x, n, &fi, frame)) {
                status = st;
                break;
            }
            double a = Abs(fi);
            if (!std::isfinite(a) || a > tol) {
                failed = true;
                break;
            }
        }
        if (!failed) {
            if (allSmall || status) break;
            if (k < (long long)niter + maxExtra) continue;
            givenUp = true;
            break;
        }
        if (!restart()) break;
    }
    if (givenUp && singular) {
        // The last attempt ended on a Jacobian without an inverse: say so rather
        // than answer NaN as if the system had merely no root.
        ReportError() << "The matrix is singular";
        return 10;
    }
    if (givenUp) k = niter;
    if (k >= niter) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (int i = 0; i < n; ++i) x[i] = Complex(nan, 0.0);
    }
    return givenUp ? 0 : status;
}
