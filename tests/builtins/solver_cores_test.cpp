#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "callbacks.h"
#include "support/capture.h"

namespace {

ComplexFnBox Poly(std::function<Complex(const Complex&)> f)
{
    return ComplexFnBox{[f](const Complex& z, Complex* fz) {
        *fz = f(z);
        return 0;
    }, {}};
}

Complex Sq(const Complex& z) { Complex r = z; return r *= z; }

}  // namespace

// ---- zero finder ---------------------------------------------------------

TEST(FzeroCore, FirstPointsFollowTheStartValue)
{
    struct Case {
        Complex start;
        double p0, p1, p2;
    } cases[] = {{Complex(5, 0), 5.5, 4.5, 5.0}, {Complex(0, 0), 0.1, -0.1, 0.0}};
    for (const Case& c : cases) {
        auto box = Poly([](const Complex& z) { Complex r = Sq(z); r.re -= 2.0; return r; });
        Complex X[1] = {c.start};
        int counts[1];
        double tol = 1e-8;
        int r = FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 1000, &box, X, counts);
        ASSERT_GE(box.points.size(), 3u);
        EXPECT_DOUBLE_EQ(box.points[0].re, c.p0);
        EXPECT_DOUBLE_EQ(box.points[1].re, c.p1);
        EXPECT_DOUBLE_EQ(box.points[2].re, c.p2);
        EXPECT_EQ(r, 0);
        EXPECT_NEAR(std::fabs(X[0].re), std::sqrt(2.0), 1e-7);
        EXPECT_NEAR(X[0].im, 0.0, 1e-7);
        EXPECT_LE(counts[0], 1000);
    }
}

TEST(FzeroCore, DeflationFindsDistinctZerosAndComplexOnes)
{
    auto box = Poly([](const Complex& z) { Complex r = Sq(z); r.re -= 4.0; return r; });
    Complex X[2] = {Complex(1, 0), Complex(-1, 0)};
    int counts[2];
    double tol = 1e-10;
    ASSERT_EQ(FzeroCore(ComplexFnBox::Call, 0, 2, 2, &tol, 0, 1000, &box, X, counts), 0);
    EXPECT_NEAR(std::fabs(X[0].re), 2.0, 1e-8);
    EXPECT_NEAR(X[0].re + X[1].re, 0.0, 1e-8);  // the second search found the other root

    auto cbox = Poly([](const Complex& z) { Complex r = Sq(z); r.re += 1.0; return r; });
    Complex Y[1] = {Complex(1, 1)};
    ASSERT_EQ(FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 1000, &cbox, Y, counts), 0);
    EXPECT_NEAR(Y[0].re, 0.0, 1e-8);
    EXPECT_NEAR(Y[0].im, 1.0, 1e-8);
}

// A real function from a real start gives its real zero to the tolerance:
// a zero at 0 is found like any other, and a flat function is not accepted
// a hundredth away from its zero (nor off the real axis).
TEST(FzeroCore, RealZerosToTheTolerance)
{
    double tol = 1e-8;
    int counts[1];
    auto scaled = [](double k, double shift) {
        return [k, shift](const Complex& z) { return Complex(k * (z.re - shift), k * z.im); };
    };
    const struct {
        std::function<Complex(const Complex&)> f;
        double start, zero;
    } cases[] = {
        {scaled(1, 0), 0.3, 0.0},
        {scaled(1, 0), 5.0, 0.0},
        {scaled(1e-6, 3), 0.0, 3.0},
        {scaled(1e-6, 3), 10.0, 3.0},
        {[](const Complex& z) { Complex r = Sq(z); r.re -= 2; return Complex(1e-9 * r.re, 1e-9 * r.im); }, 1.0,
         std::sqrt(2.0)},
        {[](const Complex& z) { Complex r = Sq(z); r *= z; r.re -= 2 * z.re + 5; r.im -= 2 * z.im; return r; }, 1.0,
         2.0945514815423265},
    };
    for (const auto& c : cases) {
        auto box = Poly(c.f);
        Complex X[1] = {Complex(c.start, 0)};
        ASSERT_EQ(FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 1000, &box, X, counts), 0) << c.start;
        EXPECT_EQ(X[0].im, 0.0) << c.start << " gave " << X[0].re << "+" << X[0].im << "i";
        EXPECT_NEAR(X[0].re, c.zero, 1e-8 * std::max(1.0, std::fabs(c.zero))) << c.start;
    }
}

TEST(FzeroCore, FailuresAndStatus)
{
    double tol = 1e-8;
    int counts[1];
    // A function without a zero fails once the evaluations run out.
    auto none = Poly([](const Complex&) { return Complex(1, 0); });
    Complex X[1] = {Complex(0.3, 0)};
    EXPECT_EQ(FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 50, &none, X, counts), -1);
    EXPECT_GT(counts[0], 50);

    // Two evaluations allow no Muller step.
    auto far = Poly([](const Complex& z) { Complex r = z; r.re -= 3.0; return r; });
    Complex Y[1] = {Complex(1, 0)};
    EXPECT_EQ(FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 2, &far, Y, counts), -1);
    EXPECT_EQ(far.points.size(), 2u);

    ComplexFnBox failing{[](const Complex&, Complex*) { return 68; }, {}};
    Complex Z[1] = {Complex(1, 0)};
    EXPECT_EQ(FzeroCore(ComplexFnBox::Call, 0, 1, 1, &tol, 0, 100, &failing, Z, counts), 68);
}

// ---- one-dimensional minimisers -----------------------------------------

TEST(FminCore, FindsMinimumAndReportsExhaustedIterations)
{
    auto box = RealOf([](double x) { return std::cos(x); });
    double tol = 1e-8, x, fx;
    EXPECT_EQ(FminCore(RealFnBox::Call, 2.0, 3.0, 4.0, &tol, 1000, &box, &x, &fx), 0);
    EXPECT_NEAR(x, M_PI, 1e-7);
    EXPECT_NEAR(fx, -1.0, 1e-12);

    auto again = RealOf([](double x) { return std::cos(x); });
    EXPECT_EQ(FminCore(RealFnBox::Call, 2.0, 3.0, 4.0, &tol, 0, &again, &x, &fx), -1);
    EXPECT_EQ(x, 3.0);  // the start point
}

TEST(FmingCore, MinimaOfSampledFunctions)
{
    struct Case {
        const char* what;
        std::function<double(double)> f;
        double x1, x2;
        int capacity, expected;
        double first;  // best minimiser, NaN to skip
    } cases[] = {
        {"rising", [](double x) { return x; }, 0.0, 1.0, 10, 1, 0.0},
        {"falling", [](double x) { return -x; }, 0.0, 1.0, 10, 1, 1.0},
        {"constant", [](double) { return 2.0; }, 0.0, 1.0, 10, 1, std::nan("")},
        {"five wells, room for two", [](double x) { return std::cos(x) + 0.01 * x; }, 2.0, 10 * M_PI + 1.0, 2, 2,
         M_PI - std::asin(0.01)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto box = RealOf(c.f);
        double tol = 1e-8;
        int count = c.capacity;
        std::vector<double> xs(c.capacity), fs(c.capacity);
        ASSERT_EQ(FmingCore(RealFnBox::Call, &box, &c.x1, &c.x2, &tol, 2, &count, xs.data(), fs.data()), 0);
        EXPECT_EQ(count, c.expected);
        if (!std::isnan(c.first)) {
            EXPECT_NEAR(xs[0], c.first, 1e-3);
        }
        for (int i = 1; i < count; ++i) EXPECT_LE(fs[i - 1], fs[i]);
    }
}

// ---- multi-dimensional minimisers ---------------------------------------

namespace {

double Bowl(const double* x, int) { return (x[0] - 1.0) * (x[0] - 1.0) + 2.0 * (x[1] + 2.0) * (x[1] + 2.0); }
double Rosenbrock(const double* x, int)
{
    return 100.0 * (x[1] - x[0] * x[0]) * (x[1] - x[0] * x[0]) + (1.0 - x[0]) * (1.0 - x[0]);
}

}  // namespace

TEST(MultiMinimisers, BowlIsMinimisedByEveryMethod)
{
    const double tol = 1e-10;
    {
        VectorFnBox box{Bowl};
        double p[2] = {0.0, 0.0}, xi[4], f;
        EXPECT_EQ(Fmins3eCore(VectorFnBox::Call, &box, 2, p, &f, xi, &tol, 1000), 0);
        EXPECT_NEAR(p[0], 1.0, 1e-4);
        EXPECT_NEAR(p[1], -2.0, 1e-4);
    }
    {
        VectorFnBox box{Bowl};
        double x[2] = {0.0, 0.0}, f;
        EXPECT_EQ(Fmins2Core(VectorFnBox::Call, &box, 2, x, &f, 0.1, 1e-6, 1000), 0);
        EXPECT_NEAR(x[0], 1.0, 1e-2);
        EXPECT_NEAR(x[1], -2.0, 1e-2);
    }
    {
        VectorFnBox box{Bowl};
        double x[2] = {0.0, 0.0}, f, step = 0.1, t = 1e-6;
        int iter = 1000;
        EXPECT_EQ(FminsSearchCore(VectorFnBox::Call, &box, 2, x, &f, &step, &t, &iter), 0);
        EXPECT_NEAR(x[0], 1.0, 1e-3);
        EXPECT_NEAR(x[1], -2.0, 1e-3);
    }
}

TEST(MultiMinimisers, LimitsEndTheSearch)
{
    // Powell on a constant stops after its first iteration.
    VectorFnBox flat{[](const double*, int) { return 3.0; }};
    double p[2] = {1.0, 2.0}, xi[4], f, ftol = 1e-6;
    EXPECT_EQ(Fmins3eCore(VectorFnBox::Call, &flat, 2, p, &f, xi, &ftol, 1000), 0);
    // An iteration limit below 1 still ends.
    VectorFnBox bowl0{Bowl};
    double q[2] = {0.0, 0.0};
    EXPECT_EQ(Fmins3eCore(VectorFnBox::Call, &bowl0, 2, q, &f, xi, &ftol, 0), -1);

    VectorFnBox bowl{Bowl};
    double x[2] = {0.0, 0.0};
    EXPECT_EQ(Fmins2Core(VectorFnBox::Call, &bowl, 2, x, &f, 0.1, 1e-6, 2), -2);

    // With tol 0 the quasi-Newton search makes exactly iter Newton steps.
    VectorFnBox bowl2{Bowl};
    double y[2] = {0.0, 0.0}, step = 0.1, tol0 = 0.0;
    int iter = 2;
    EXPECT_EQ(FminsSearchCore(VectorFnBox::Call, &bowl2, 2, y, &f, &step, &tol0, &iter), -1);

    // A linear function: the line search runs away and leaves the start point.
    VectorFnBox line{[](const double* x, int) { return x[0]; }};
    double z[1] = {0.5}, tol = 1e-6;
    step = 0.1;
    iter = 1000;
    EXPECT_EQ(FminsSearchCore(VectorFnBox::Call, &line, 1, z, &f, &step, &tol, &iter), 0);
    EXPECT_EQ(z[0], 0.5);

    // A line search that cannot move (a step of 0, or a NaN step with a
    // function that answers NaN points like any other) leaves the point alone.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double s0 : {0.0, nan}) {
        VectorFnBox still{[](const double* x, int) { return std::isnan(x[0]) ? 3.0 : (x[0] - 1) * (x[0] - 1) + 3.0; }};
        double w[1] = {3.0};
        step = s0;
        iter = 1000;
        EXPECT_EQ(FminsSearchCore(VectorFnBox::Call, &still, 1, w, &f, &step, &tol, &iter), 0) << s0;
        EXPECT_EQ(w[0], 3.0) << s0;
    }
}

TEST(MultiMinimisers, CallbackStatusPassesThrough)
{
    const double tol = 1e-6;
    // Each method fails half-way through the evaluations a clean run makes.
    auto run = [&](int method, VectorFnBox& box) {
        double x[2] = {0, 0}, f, xi[4], step = 0.1;
        int iter = 1000;
        switch (method) {
        case 0: return Fmins3eCore(VectorFnBox::Call, &box, 2, x, &f, xi, &tol, 1000);
        case 1: return Fmins2Core(VectorFnBox::Call, &box, 2, x, &f, 0.1, tol, 1000);
        default: return FminsSearchCore(VectorFnBox::Call, &box, 2, x, &f, &step, &tol, &iter);
        }
    };
    for (int method = 0; method < 3; ++method) {
        VectorFnBox clean{Rosenbrock};
        run(method, clean);
        ASSERT_GT(clean.calls, 4);
        VectorFnBox failing{Rosenbrock, 0, clean.calls / 2};
        EXPECT_EQ(run(method, failing), 50) << method;
    }
}

TEST(JacobiEigen, RowsOfVBecomeEigenvectors)
{
    const double A[9] = {4, 1, -2, 1, 2, 0, -2, 0, 3};
    double H[9], V[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(A, A + 9, H);
    JacobiEigen(H, V, 3, 0.0);
    for (int i = 0; i < 3; ++i)
        for (int r = 0; r < 3; ++r) {
            double av = 0.0;
            for (int c = 0; c < 3; ++c) av += A[r * 3 + c] * V[i * 3 + c];
            EXPECT_NEAR(av, H[i * 4] * V[i * 3 + r], 1e-12);
        }
}

// ---- nonlinear systems ---------------------------------------------------

TEST(NlsolveCore, SolvesFromDefaultAndGivenStarts)
{
    SystemFnBox sq{[](int, const Complex* x, int, Complex* f) {
        *f = Sq(x[0]);
        f->re -= 4.0;
        return 0;
    }};
    Complex x[1];
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &sq, 1, x, false, 1e-6, 50), 0);
    EXPECT_NEAR(x[0].re, -2.0, 1e-9);
    EXPECT_EQ(x[0].im, 0.0);

    // A start containing 0 gets a difference step all the same.
    SystemFnBox lin{[](int i, const Complex* x, int, Complex* f) {
        *f = i == 0 ? Complex(x[0].re + x[1].re - 3.0, x[0].im + x[1].im)
                    : Complex(x[0].re - x[1].re - 1.0, x[0].im - x[1].im);
        return 0;
    }};
    Complex y[2] = {Complex(0, 0), Complex(0, 0)};
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &lin, 2, y, true, 1e-6, 50), 0);
    EXPECT_NEAR(y[0].re, 2.0, 1e-9);
    EXPECT_NEAR(y[1].re, 1.0, 1e-9);
}

// The Newton step pivots; a Jacobian without an inverse is reported, with a
// start given at once, without one after the last restart.
TEST(NlsolveCore, PivotsAndReportsASingularJacobian)
{
    CCaptureStream cap;
    SystemFnBox swapped{[](int i, const Complex* x, int, Complex* f) {
        *f = i == 0 ? Complex(x[1].re - 1.0, x[1].im) : Complex(x[0].re - 2.0, x[0].im);
        return 0;
    }};
    Complex x[2] = {Complex(0.5, 0), Complex(0.5, 0)};
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &swapped, 2, x, true, 1e-6, 50), 0);
    EXPECT_NEAR(x[0].re, 2.0, 1e-9);
    EXPECT_NEAR(x[1].re, 1.0, 1e-9);
    EXPECT_TRUE(cap.messages.empty());

    SystemFnBox noX{[](int i, const Complex* x, int, Complex* f) {
        *f = i == 0 ? Complex(x[1].re - 1.0, x[1].im) : Complex(x[1].re * x[1].re - 1.0, 0.0);
        return 0;
    }};
    for (bool haveStart : {true, false}) {
        cap.Reset();
        Complex y[2] = {Complex(0.5, 0), Complex(0.5, 0)};
        EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &noX, 2, y, haveStart, 1e-6, 50), 10);
        EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: The matrix is singular"}));
    }
}

TEST(NlsolveCore, FailuresGiveNaNOrStatus)
{
    SystemFnBox sq{[](int, const Complex* x, int, Complex* f) {
        *f = Sq(x[0]);
        f->re -= 4.0;
        return 0;
    }};
    Complex x[1];
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &sq, 1, x, false, 1e-6, 1), 0);
    EXPECT_TRUE(std::isnan(x[0].re));

    // No root: every restart fails.
    SystemFnBox none{[](int, const Complex* x, int, Complex* f) {
        *f = Sq(x[0]);
        f->re += 1e6;
        *f = Complex(std::fabs(f->re) + 1.0, 0.0);
        return 0;
    }};
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &none, 1, x, false, 1e-6, 20), 0);
    EXPECT_TRUE(std::isnan(x[0].re));

    SystemFnBox failing{[](int, const Complex*, int, Complex*) { return 68; }};
    x[0] = Complex(1, 0);
    EXPECT_EQ(NlsolveCore(SystemFnBox::Call, &failing, 1, x, true, 1e-6, 50), 68);
    EXPECT_EQ(x[0].re, 1.0);
}
