#include "builtins/ode_cores.h"

#include <algorithm>
#include <cmath>
#include <vector>

// ---- Fehlberg 4(5) step --------------------------------------------------

// Work: start time, start state, then k1, k2 (later k6), k3, k4, k5. The
// stage states are built in y itself, which the step overwrites anyway.
int Ode5Step(OdeFn f, void* frame, int n, double hmin, double tol, double R, double* y, double* t, double* h,
             bool* endFlag, double* work)
{
    double* ts = work;
    double* ys = work + 1;
    double* k1 = ys + n;
    double* k2 = k1 + n;
    double* k3 = k2 + n;
    double* k4 = k3 + n;
    double* k5 = k4 + n;
    double* k6 = k2;  // k2 is no longer read once the sixth stage state is built

    *ts = *t;
    std::copy(y, y + n, ys);
    if (int s = f(k1, ts, ys, n, frame)) return s;
    bool doubling = true, atMinimum = false;
    for (;;) {
        const double H = *h;
        double tt;
        for (int i = 0; i < n; ++i) y[i] = ys[i] + H * (k1[i] / 4.0);
        tt = *ts + H / 4.0;
        if (int s = f(k2, &tt, y, n, frame)) return s;
        for (int i = 0; i < n; ++i) y[i] = ys[i] + H * (3.0 / 32.0 * k1[i] + 9.0 / 32.0 * k2[i]);
        tt = *ts + 3.0 * H / 8.0;
        if (int s = f(k3, &tt, y, n, frame)) return s;
        for (int i = 0; i < n; ++i)
            y[i] = ys[i] + H * (1932.0 / 2197.0 * k1[i] - 7200.0 / 2197.0 * k2[i] + 7296.0 / 2197.0 * k3[i]);
        tt = *ts + 12.0 * H / 13.0;
        if (int s = f(k4, &tt, y, n, frame)) return s;
        for (int i = 0; i < n; ++i)
            y[i] = ys[i] + H * (439.0 / 216.0 * k1[i] - 8.0 * k2[i] + 3680.0 / 513.0 * k3[i] -
                                845.0 / 4104.0 * k4[i]);
        tt = *ts + H;
        if (int s = f(k5, &tt, y, n, frame)) return s;
        for (int i = 0; i < n; ++i)
            y[i] = ys[i] + H * (-8.0 / 27.0 * k1[i] + 2.0 * k2[i] - 3544.0 / 2565.0 * k3[i] +
                                1859.0 / 4104.0 * k4[i] - 11.0 / 40.0 * k5[i]);
        tt = *ts + H / 2.0;
        if (int s = f(k6, &tt, y, n, frame)) return s;

        bool rejected = false;
        for (int i = 0; i < n; ++i) {
            double yn = ys[i] + H * (16.0 / 135.0 * k1[i] + 6656.0 / 12825.0 * k3[i] + 28561.0 / 56430.0 * k4[i] -
                                     9.0 / 50.0 * k5[i] + 2.0 / 55.0 * k6[i]);
            y[i] = yn;
            double e = H * (1.0 / 360.0 * k1[i] - 128.0 / 4275.0 * k3[i] - 2197.0 / 75240.0 * k4[i] +
                            1.0 / 50.0 * k5[i] + 2.0 / 55.0 * k6[i]);
            if (std::fabs(yn) > R) e /= yn;
            // NaN passes every comparison: a state or estimate that is not a
            // finite number can never meet the tolerance.
            if (!std::isfinite(yn) || !std::isfinite(e)) return -1;
            if (std::fabs(e) > tol) {
                rejected = true;
                break;
            }
            if (!(std::fabs(e) < tol * 0.03125)) doubling = false;
        }
        if (!rejected) {
            *t = *ts + H;
            if (doubling) *h = 2.0 * H;
            return 0;
        }
        if (atMinimum) return -1;
        *h = H / 2.0;
        doubling = false;
        *endFlag = false;
        if (std::fabs(*h) <= std::fabs(hmin)) {
            *h = std::copysign(std::fabs(hmin), *h);
            atMinimum = true;
        }
    }
}

// ---- linearly implicit step ----------------------------------------------

namespace {

double DifferenceIncrement(double tol) { return tol < 1e-5 ? tol : 1e-5; }

}  // namespace

int OdeJacobian(OdeFn f, void* frame, int n, double t, double* y, double tol, double* J, double* fm, double* fp)
{
    const double delta = DifferenceIncrement(tol);
    for (int j = 0; j < n; ++j) {
        const double saved = y[j];
        double d = delta;
        if (saved + delta == saved) d = saved * delta;
        y[j] = saved - d;
        const double a = y[j];
        if (int s = f(fm, &t, y, n, frame)) {
            y[j] = saved;
            return s;
        }
        y[j] = saved + d;
        const double b = y[j];
        int s = f(fp, &t, y, n, frame);
        y[j] = saved;
        if (s) return s;
        for (int i = 0; i < n; ++i) J[j * n + i] = (fp[i] - fm[i]) / (b - a);
    }
    return 0;
}

int OdeTimeDerivative(OdeFn f, void* frame, int n, double t, const double* y, double tol, double* ft, double* fm,
                      double* fp)
{
    const double delta = DifferenceIncrement(tol);
    double d = delta;
    if (t + delta == t) d = t * delta;
    double tm = t - d, tp = t + d;
    if (int s = f(fm, &tm, y, n, frame)) return s;
    if (int s = f(fp, &tp, y, n, frame)) return s;
    for (int i = 0; i < n; ++i) ft[i] = (fp[i] - fm[i]) / (tp - tm);
    return 0;
}

void InvertMatrixFullPivot(double* A, int n)
{
    if (n == 1) {
        A[0] = 1.0 / A[0];
        return;
    }
    std::vector<int> rowOf(n), colOf(n);
    auto at = [&](int r, int c) -> double& { return A[r * n + c]; };
    for (int k = 0; k < n; ++k) {
        double best = -1.0;
        int pr = k, pc = k;
        for (int r = k; r < n; ++r) {
            double rowMax = -1.0;
            int rc = k;
            for (int c = k; c < n; ++c)
                if (std::fabs(at(r, c)) > rowMax) {
                    rowMax = std::fabs(at(r, c));
                    rc = c;
                }
            if (rowMax >= best) {
                best = rowMax;
                pr = r;
                pc = rc;
            }
        }
        if (pr != k)
            for (int c = 0; c < n; ++c) std::swap(at(pr, c), at(k, c));
        if (pc != k)
            for (int r = 0; r < n; ++r) std::swap(at(r, pc), at(r, k));
        rowOf[k] = pr;
        colOf[k] = pc;
        const double inv = 1.0 / at(k, k);
        at(k, k) = 1.0;
        for (int c = 0; c < n; ++c) at(k, c) *= inv;
        for (int r = 0; r < n; ++r) {
            if (r == k) continue;
            const double m = at(r, k);
            at(r, k) = 0.0;
            for (int c = 0; c < n; ++c) at(r, c) -= m * at(k, c);
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        if (colOf[k] != k)
            for (int c = 0; c < n; ++c) std::swap(at(colOf[k], c), at(k, c));
        if (rowOf[k] != k)
            for (int r = 0; r < n; ++r) std::swap(at(r, rowOf[k]), at(r, k));
    }
}

void ScaledMatrixVectorProduct(int n, const double* M, const double* v, double h, double* out)
{
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = 0; j < n; ++j) sum += M[j * n + i] * v[j];
        out[i] = h * sum;
    }
}

namespace {

struct Ode4sWork {
    double* ts;
    double* ys;
    double* J0;
    double* J1;
    double* W;
    double* ft0;
    double* ft1;
    double* yfull;
    double* yhalf1;
    double* yhalf2;
    double* k1;
    double* k2;
    double* k3;
    double* stage;  // stage state, then k4
    double* fval;

    Ode4sWork(double* w, int n)
    {
        ts = w;
        ys = w + 1;
        J0 = ys + n;
        J1 = J0 + n * n;
        W = J1 + n * n;
        ft0 = W + n * n;
        ft1 = ft0 + n;
        yfull = ft1 + n;
        yhalf1 = yfull + n;
        yhalf2 = yhalf1 + n;
        k1 = yhalf2 + n;
        k2 = k1 + n;
        k3 = k2 + n;
        stage = k3 + n;
        fval = stage + n;
    }
};

// One trial of size h from (t, y) with the Jacobian J and time derivative ft.
int LinearlyImplicitStep(OdeFn f, void* frame, int n, double t, const double* y, const double* J,
                         const double* ft, double h, Ode4sWork& w, double* ynew)
{
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) w.W[r * n + c] = (r == c ? 1.0 : 0.0) - h * J[r * n + c];
    InvertMatrixFullPivot(w.W, n);
    auto stage = [&](double ts, const double* ystage, double* k) -> int {
        if (int s = f(w.fval, &ts, ystage, n, frame)) return s;
        for (int i = 0; i < n; ++i) w.fval[i] += h * ft[i];
        ScaledMatrixVectorProduct(n, w.W, w.fval, h, k);
        return 0;
    };
    if (int s = stage(t, y, w.k1)) return s;
    for (int i = 0; i < n; ++i) w.stage[i] = y[i] - w.k1[i];
    if (int s = stage(t - h, w.stage, w.k2)) return s;
    for (int i = 0; i < n; ++i) w.stage[i] = y[i] + w.k1[i] / 8.0 + 3.0 * w.k2[i] / 8.0;
    if (int s = stage(t + h / 2.0, w.stage, w.k3)) return s;
    for (int i = 0; i < n; ++i) w.stage[i] = y[i] + 3.0 * w.k1[i] / 8.0 + 19.0 * w.k2[i] / 24.0 - w.k3[i] / 6.0;
    double* k4 = w.stage;  // the stage state is consumed by the call below
    if (int s = stage(t + h, w.stage, k4)) return s;
    for (int i = 0; i < n; ++i)
        ynew[i] = y[i] + 13.0 / 6.0 * w.k1[i] + 1.0 / 6.0 * w.k2[i] - 2.0 * w.k3[i] + 2.0 / 3.0 * k4[i];
    return 0;
}

}  // namespace

int Ode4sStep(OdeFn f, void* frame, int n, double hmin, double tol, double R, double* y, double* t, double* h,
              bool* endFlag, double* work)
{
    Ode4sWork w(work, n);
    *w.ts = *t;
    std::copy(y, y + n, w.ys);
    bool doubling = true, atMinimum = false;
    if (int s = OdeJacobian(f, frame, n, *w.ts, w.ys, tol, w.J0, w.stage, w.fval)) return s;
    if (int s = OdeTimeDerivative(f, frame, n, *w.ts, w.ys, tol, w.ft0, w.stage, w.fval)) return s;
    if (int s = LinearlyImplicitStep(f, frame, n, *w.ts, w.ys, w.J0, w.ft0, *h, w, w.yfull)) return s;
    for (;;) {
        const double H = *h;
        const double half = H / 2.0;
        if (int s = LinearlyImplicitStep(f, frame, n, *w.ts, w.ys, w.J0, w.ft0, half, w, w.yhalf1)) return s;
        const double tm = *w.ts + half;
        if (int s = OdeJacobian(f, frame, n, tm, w.yhalf1, tol, w.J1, w.stage, w.fval)) return s;
        if (int s = OdeTimeDerivative(f, frame, n, tm, w.yhalf1, tol, w.ft1, w.stage, w.fval)) return s;
        if (int s = LinearlyImplicitStep(f, frame, n, tm, w.yhalf1, w.J1, w.ft1, half, w, w.yhalf2)) return s;
        bool rejected = false;
        for (int i = 0; i < n; ++i) {
            double err = (w.yhalf2[i] - w.yfull[i]) * 0.06666666666666667;
            double m = std::fabs(err);
            if (std::fabs(w.yhalf2[i]) >= R) m /= std::fabs(w.yhalf2[i]);
            if (!std::isfinite(w.yhalf2[i]) || !std::isfinite(m)) return -1;  // never within the tolerance
            if (m > tol) {
                rejected = true;
                break;
            }
            if (!(m < tol * 0.03125)) doubling = false;
        }
        if (!rejected) {
            *t = *w.ts + H;
            std::copy(w.yhalf2, w.yhalf2 + n, y);
            if (doubling) *h = 2.0 * H;
            return 0;
        }
        if (atMinimum) return -1;
        *h = half;
        doubling = false;
        *endFlag = false;
        if (std::fabs(*h) > std::fabs(hmin)) {
            std::copy(w.yhalf1, w.yhalf1 + n, w.yfull);
        } else {
            *h = std::copysign(std::fabs(hmin), *h);
            atMinimum = true;
            if (int s = LinearlyImplicitStep(f, frame, n, *w.ts, w.ys, w.J0, w.ft0, *h, w, w.yfull)) return s;
        }
    }
}

// ---- drivers ---------------------------------------------------------------

int OdeAdaptiveCore(OdeStepFn step, OdeFn f, void* frame, int n, double start, const double* y0, double end,
                    double hmin, double tol, double R, double* h, double* y, double* work, OdeStoreFn store,
                    void* target)
{
    std::copy(y0, y0 + n, y);
    double t = start;
    if (t == end) return store(&t, y, n, target);
    *h = std::copysign(std::fabs(*h), end - start);
    double remembered = *h;
    bool last = false;
    for (long steps = 0;; ++steps) {
        if (int s = store(&t, y, n, target)) return s;
        if (last) break;
        if (steps >= kOdeMaxSteps) return -1;
        const double r = end - t;
        if (std::fabs(r) <= std::fabs(*h)) {
            remembered = *h;
            *h = r;
            last = true;
        }
        const double before = t;
        if (int s = step(f, frame, n, hmin, tol, R, y, &t, h, &last, work)) return s;
        if (last)
            t = end;  // the final step lands on the end time itself
        else if (t == before || std::isnan(t))
            return -1;  // the step no longer moves t (or lost it)
    }
    *h = remembered;
    return 0;
}

int OdeGridCore(OdeStepFn step, OdeFn f, void* frame, int n, const double* y0, const double* ts, int k, double tol,
                double R, double* y, double* work, OdeStoreFn store, void* target)
{
    if (k < 1) return 0;
    std::copy(y0, y0 + n, y);
    double t = ts[0];
    for (int i = 0;; ++i) {
        if (int s = store(&t, y, n, target)) return s;
        if (i == k - 1) return 0;
        double h = ts[i + 1] - ts[i];
        bool flag = false;
        if (int s = step(f, frame, n, h, tol, R, y, &t, &h, &flag, work)) return s;
    }
}
