#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "callbacks.h"
#include "values/random15.h"

// ---- Simpson rule --------------------------------------------------------

TEST(SimpsonCore, RealIntegrals)
{
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double a, b, expected;
    } cases[] = {
        {"one", [](double) { return 1.0; }, 0, 1, 1.0},
        {"square", [](double x) { return x * x; }, 0, 1, 1.0 / 3.0},
        {"square backwards", [](double x) { return x * x; }, 1, 0, -1.0 / 3.0},
        // First estimate is 1: must not stop against a start value of 1.
        {"one plus sin squared", [](double x) { return 1.0 + std::pow(std::sin(2 * M_PI * x), 2); }, 0, 1, 1.5},
        {"sine", [](double x) { return std::sin(x); }, 0, M_PI, 2.0},
        {"empty interval", [](double x) { return x; }, 2, 2, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto box = QuadOf(c.f);
        Complex I;
        ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &box, Complex(c.a, 0), Complex(c.b, 0), 1e-5, &I), 0);
        EXPECT_NEAR(I.re, c.expected, 1e-5);
        EXPECT_EQ(I.im, 0.0);
    }
}

// Integrands with an end-point singularity converge slower than Simpson's
// h^4, where |I_prev - I| / 15 understates the error: the result must still
// lie within the tolerance asked for, or the rule must fail.
TEST(SimpsonCore, EndPointSingularitiesMeetTheTolerance)
{
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double a, b, expected;
    } cases[] = {
        {"sqrt", [](double x) { return std::sqrt(x); }, 0, 1, 2.0 / 3.0},
        {"sqrt backwards", [](double x) { return std::sqrt(x); }, 1, 0, -2.0 / 3.0},
        {"fourth root", [](double x) { return std::pow(x, 0.25); }, 0, 1, 0.8},
        {"x log x", [](double x) { return x == 0 ? 0.0 : x * std::log(x); }, 0, 1, -0.25},
        {"sqrt at the upper end", [](double x) { return std::sqrt(1 - x); }, 0, 1, 2.0 / 3.0},
    };
    for (const Case& c : cases)
        for (double tol : {1e-5, 1e-7}) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(tol));
            auto box = QuadOf(c.f);
            Complex I;
            ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &box, Complex(c.a, 0), Complex(c.b, 0), tol, &I), 0);
            EXPECT_LE(std::fabs(I.re - c.expected), tol);
        }
    // log from 1e-300: the spike at the lower end keeps the ratio at 2 far
    // past the halving bound, so the rule fails rather than answer -1.0001,
    // and it sees so from the steady ratio long before the bound.
    auto lg = QuadOf([](double x) { return std::log(x); });
    Complex I;
    EXPECT_EQ(SimpsonCore(QuadFnBox::Call, &lg, Complex(1e-300, 0), Complex(1, 0), 1e-5, &I), -1);
    EXPECT_LT(lg.calls, 5000);
}

// Dyadic grids alias cos(w x) onto a slow function (w = 50 looks constant on
// 2, 4 and 8 panels, w = 1000 on 16 and 32): the agreement of such estimates
// is not taken, at any frequency a few thousand panels resolve, and a slow
// integrand is still taken at the first agreement.
TEST(SimpsonCore, OscillationsAreNotAliased)
{
    for (int w = 1; w <= 2000; w += 13) {
        auto box = QuadOf([w](double x) { return std::cos(w * x); });
        Complex I;
        ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &box, Complex(0, 0), Complex(1, 0), 1e-5, &I), 0) << w;
        EXPECT_NEAR(I.re, std::sin(w) / w, 1e-5) << w;
    }
    for (double w : {50.0, 1000.0}) {
        auto box = QuadOf([w](double x) { return std::cos(w * x); });
        Complex I;
        ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &box, Complex(0, 0), Complex(1, 0), 1e-8, &I), 0) << w;
        EXPECT_NEAR(I.re, std::sin(w) / w, 1e-8) << w;
    }
    auto square = QuadOf([](double x) { return x * x; });
    Complex I;
    ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &square, Complex(0, 0), Complex(1, 0), 1e-5, &I), 0);
    EXPECT_EQ(I.re, 1.0 / 3.0);
    EXPECT_LE(square.calls, 5 + 12);  // two estimates and the off-grid check
}

TEST(SimpsonCore, ComplexPathAndBoundedFailure)
{
    QuadFnBox z{[](const Complex& x, Complex* g) {
        *g = x;
        return 0;
    }};
    Complex I;
    // The integral of z from 0 to 1+i is (1+i)^2 / 2 = i.
    ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &z, Complex(0, 0), Complex(1, 1), 1e-8, &I), 0);
    EXPECT_NEAR(I.re, 0.0, 1e-12);
    EXPECT_NEAR(I.im, 1.0, 1e-12);
    // A path parallel to the imaginary axis: integral of 1 from 0 to 2i is 2i.
    QuadFnBox one = QuadOf([](double) { return 1.0; });
    ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &one, Complex(0, 0), Complex(0, 2), 1e-8, &I), 0);
    EXPECT_NEAR(I.im, 2.0, 1e-12);
    // Real parts one step apart: the halved step no longer moves the real part,
    // which judges the end of the path; each pass still walks its points once.
    // The same with real parts that differ by one unit of the last place.
    struct Path {
        Complex a, b;
    } paths[] = {{Complex(0, 0), Complex(5e-324, 2)}, {Complex(1e20, 0), Complex(1e20 + 16384, 2)}};
    for (const Path& p : paths) {
        one.calls = 0;
        ASSERT_EQ(SimpsonCore(QuadFnBox::Call, &one, p.a, p.b, 1e-8, &I), 0);
        EXPECT_NEAR(I.im, 2.0, 1e-9);
        EXPECT_LT(one.calls, 20);
    }

    // An infinite integrand never settles: the halvings stop with -1.
    QuadFnBox sing = QuadOf([](double x) { return 1.0 / std::sqrt(x); });
    EXPECT_EQ(SimpsonCore(QuadFnBox::Call, &sing, Complex(0, 0), Complex(1, 0), 1e-5, &I), -1);
    EXPECT_LT(sing.calls, 3 << kQuadMaxHalvings);

    QuadFnBox failing{[](const Complex&, Complex*) { return 68; }};
    EXPECT_EQ(SimpsonCore(QuadFnBox::Call, &failing, Complex(0, 0), Complex(1, 0), 1e-5, &I), 68);
}

TEST(MonteCarloCore, ConstantIsExactAndNoiseStopsAtTheLimit)
{
    QuadFnBox one = QuadOf([](double) { return 1.0; });
    Complex lo[2] = {Complex(0, 0), Complex(0, 0)}, hi[2] = {Complex(1, 0), Complex(1, 0)}, x[2], I;
    SeedRand15(7);
    EXPECT_EQ(MonteCarloCore(QuadFnBox::CallBox, &one, 2, lo, hi, 1e-5, x, &I), 0);
    EXPECT_EQ(I.re, 1.0);
    EXPECT_EQ(one.calls, 60);  // 20 then one batch of 40

    QuadFnBox lin = QuadOf([](double v) { return 1000.0 * v; });
    EXPECT_EQ(MonteCarloCore(QuadFnBox::CallBox, &lin, 2, lo, hi, 1e-12, x, &I), -1);
    EXPECT_NEAR(I.re, 500.0, 20.0);
    EXPECT_EQ(lin.calls, 20 + 40 * ((1 << 11) - 1));  // last batch 40960
}

// ---- ODE steps and drivers -------------------------------------------------

namespace {

OdeFnBox Decay()
{
    return OdeFnBox{[](double, const double* y, double* yp) { yp[0] = -y[0]; }};
}

}  // namespace

TEST(Ode5Step, TrivialFieldsAreExact)
{
    double work[7], y[1] = {3.0}, t = 0.0, h = 0.25;
    bool flag = true;
    OdeFnBox zero{[](double, const double*, double* yp) { yp[0] = 0.0; }};
    ASSERT_EQ(Ode5Step(OdeFnBox::Call, &zero, 1, 1e-14, 1e-6, 100.0, y, &t, &h, &flag, work), 0);
    EXPECT_EQ(t, 0.25);
    EXPECT_EQ(h, 0.5);  // doubled
    EXPECT_EQ(y[0], 3.0);

    OdeFnBox unit{[](double, const double*, double* yp) { yp[0] = 1.0; }};
    ASSERT_EQ(Ode5Step(OdeFnBox::Call, &unit, 1, 1e-14, 1e-6, 100.0, y, &t, &h, &flag, work), 0);
    EXPECT_NEAR(y[0], 3.5, 1e-15);
    EXPECT_TRUE(flag);
}

TEST(Ode5Step, RejectionHalvesAndClearsTheEndFlag)
{
    double work[7], y[1] = {1.0}, t = 0.0, h = 1.0;
    bool flag = true;
    OdeFnBox decay = Decay();
    ASSERT_EQ(Ode5Step(OdeFnBox::Call, &decay, 1, 1e-14, 1e-9, 100.0, y, &t, &h, &flag, work), 0);
    EXPECT_FALSE(flag);
    EXPECT_LT(h, 1.0);
    EXPECT_EQ(t, h);  // advanced by the step it used, no doubling after a rejection
    EXPECT_NEAR(y[0], std::exp(-t), 1e-9);

    // The minimum step equal to the step: one retry, then -1.
    double y2[1] = {1.0}, t2 = 0.0, h2 = 1.0;
    EXPECT_EQ(Ode5Step(OdeFnBox::Call, &decay, 1, 1.0, 1e-12, 100.0, y2, &t2, &h2, &flag, work), -1);
}

TEST(Ode4sStep, TwoHalfStepsFollowTheStageFormulas)
{
    // For y' = -y the difference Jacobian is -1 and the time derivative 0.
    auto trial = [](double y, double h) {
        double W = 1.0 / (1.0 + h);
        double k1 = h * W * (-y);
        double k2 = h * W * (-(y - k1));
        double k3 = h * W * (-(y + k1 / 8 + 3 * k2 / 8));
        double k4 = h * W * (-(y + 3 * k1 / 8 + 19 * k2 / 24 - k3 / 6));
        return y + 13.0 / 6 * k1 + 1.0 / 6 * k2 - 2 * k3 + 2.0 / 3 * k4;
    };
    std::vector<double> work(Ode4sWorkSize(1));
    double y[1] = {1.0}, t = 0.0, h = 0.2;
    bool flag = true;
    OdeFnBox decay = Decay();
    ASSERT_EQ(Ode4sStep(OdeFnBox::Call, &decay, 1, 1e-14, 1.0, 100.0, y, &t, &h, &flag, work.data()), 0);
    EXPECT_NEAR(y[0], trial(trial(1.0, 0.1), 0.1), 1e-12);
    EXPECT_EQ(t, 0.2);
}

TEST(InvertMatrixFullPivot, InverseTimesMatrixIsIdentity)
{
    const int n = 4;
    const double A[16] = {0, 2, 1, 0, 3, 0, 0, 1, 1, 1, 5, 2, 0, 4, 2, 7};
    double B[16];
    std::copy(A, A + 16, B);
    InvertMatrixFullPivot(B, n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            double s = 0.0;
            for (int k = 0; k < n; ++k) s += A[r * n + k] * B[k * n + c];
            EXPECT_NEAR(s, r == c ? 1.0 : 0.0, 1e-13);
        }
    double one[1] = {4.0};
    InvertMatrixFullPivot(one, 1);
    EXPECT_EQ(one[0], 0.25);
    double singular[4] = {1, 2, 2, 4};
    InvertMatrixFullPivot(singular, 2);  // no test for a zero pivot: no crash, non-finite entries
    EXPECT_FALSE(std::isfinite(singular[0]) && std::isfinite(singular[1]) && std::isfinite(singular[2]) &&
                 std::isfinite(singular[3]));
}

TEST(OdeDrivers, AdaptiveEndsOnTheEndTime)
{
    struct Case {
        OdeStepFn step;
        int work;
        double start, end;
    } cases[] = {{Ode5Step, Ode5WorkSize(1), 0, 1}, {Ode5Step, Ode5WorkSize(1), 1, 0},
                 {Ode4sStep, Ode4sWorkSize(1), 0, 1}};
    for (const Case& c : cases) {
        OdeFnBox decay = Decay();
        OdeTrace trace;
        std::vector<double> work(c.work);
        double y0[1] = {1.0}, y[1], h = 1e-5;
        ASSERT_EQ(OdeAdaptiveCore(c.step, OdeFnBox::Call, &decay, 1, c.start, y0, c.end, 1e-14, 1e-6, 100.0, &h, y,
                                  work.data(), OdeTrace::Store, &trace),
                  0);
        EXPECT_EQ(trace.times.front(), c.start);
        EXPECT_EQ(trace.times.back(), c.end);
        EXPECT_EQ(trace.states.front()[0], 1.0);
        EXPECT_NEAR(trace.states.back()[0], std::exp(c.start - c.end), 1e-5);
    }
    OdeFnBox decay = Decay();
    OdeTrace single;
    double work[7], y0[1] = {2.0}, y[1], h = 0.1;
    ASSERT_EQ(Ode5Core(OdeFnBox::Call, &decay, 1, 2.0, y0, 2.0, 1e-14, 1e-6, 100.0, &h, y, work, OdeTrace::Store,
                       &single),
              0);
    EXPECT_EQ(single.times.size(), 1u);
}

TEST(OdeDrivers, StallingStepIsAnError)
{
    auto stuck = [](OdeFn, void*, int, double, double, double, double*, double*, double*, bool*, double*) {
        return 0;
    };
    OdeFnBox decay = Decay();
    OdeTrace trace;
    double y0[1] = {1.0}, y[1], h = 0.1, work[7];
    EXPECT_EQ(OdeAdaptiveCore(stuck, OdeFnBox::Call, &decay, 1, 0.0, y0, 1.0, 1e-14, 1e-6, 100.0, &h, y, work,
                              OdeTrace::Store, &trace),
              -1);

    // A NaN tolerance accepts every trial and sends t to NaN: an error at once.
    OdeTrace lost;
    std::vector<double> w5(Ode5WorkSize(1));
    h = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(OdeAdaptiveCore(Ode5Step, OdeFnBox::Call, &decay, 1, 0.0, y0, 1.0, 1e-14,
                              std::numeric_limits<double>::quiet_NaN(), 100.0, &h, y, w5.data(), OdeTrace::Store, &lost),
              -1);
    EXPECT_LT(lost.times.size(), 3u);
}

TEST(OdeDrivers, GridStoresEveryTime)
{
    OdeFnBox rot{[](double, const double* y, double* yp) {
        yp[0] = y[1];
        yp[1] = -y[0];
    }};
    OdeTrace trace;
    const double ts[4] = {0, 0.1, 0.2, 0.3};
    double y0[2] = {1, 0}, y[2], work[13];
    ASSERT_EQ(Ode5CoreB(OdeFnBox::Call, &rot, 2, y0, ts, 4, 1e-6, 100.0, y, work, OdeTrace::Store, &trace), 0);
    ASSERT_EQ(trace.states.size(), 4u);
    EXPECT_EQ(trace.states[0][0], 1.0);
    EXPECT_NEAR(trace.states[3][0], std::cos(0.3), 1e-6);
    EXPECT_NEAR(trace.states[3][1], -std::sin(0.3), 1e-6);

    OdeTrace one;
    ASSERT_EQ(Ode5CoreB(OdeFnBox::Call, &rot, 2, y0, ts, 1, 1e-6, 100.0, y, work, OdeTrace::Store, &one), 0);
    EXPECT_EQ(one.states.size(), 1u);

    // A spacing too coarse for the tolerance.
    OdeFnBox decay = Decay();
    const double coarse[2] = {0, 5};
    double z0[1] = {1}, z[1], w[7];
    EXPECT_EQ(Ode5CoreB(OdeFnBox::Call, &decay, 1, z0, coarse, 2, 1e-6, 100.0, z, w, OdeTrace::Store, &trace), -1);
}

TEST(OdeDrivers, StiffSystemNeedsFewerStepsImplicitly)
{
    auto field = [](double, const double* y, double* yp) {
        yp[0] = -1000.0 * y[0] + y[1];
        yp[1] = -y[1];
    };
    const double exact1 = (1.0 - 1.0 / 999.0) * std::exp(-1000.0) + std::exp(-1.0) / 999.0;
    const double exact2 = std::exp(-1.0);
    size_t steps[2];
    OdeStepFn kinds[2] = {Ode5Step, Ode4sStep};
    for (int k = 0; k < 2; ++k) {
        OdeFnBox box{field};
        OdeTrace trace;
        std::vector<double> work(k == 0 ? Ode5WorkSize(2) : Ode4sWorkSize(2));
        double y0[2] = {1, 1}, y[2], h = 1e-5;
        ASSERT_EQ(OdeAdaptiveCore(kinds[k], OdeFnBox::Call, &box, 2, 0.0, y0, 1.0, 1e-14, 1e-6, 100.0, &h, y,
                                  work.data(), OdeTrace::Store, &trace),
                  0);
        EXPECT_NEAR(trace.states.back()[0], exact1, 1e-4);
        EXPECT_NEAR(trace.states.back()[1], exact2, 1e-4);
        steps[k] = trace.times.size();
    }
    EXPECT_LT(steps[1] * 4, steps[0]);
}
