#include <gtest/gtest.h>

#include <cmath>

#include "builtins/nonlinear_library.h"
#include "support/capture.h"
#include "test_context.h"
#include "values/struct_value.h"

namespace {

class IntegrationHandlers : public ::testing::Test {
protected:
    TestContext ctx;
    CCaptureStream cap;
    CValue out;
};

CValue Complexv(double re, double im) { return CValue(Complex(re, im)); }

}  // namespace

// ---- quadratures -----------------------------------------------------------------

TEST_F(IntegrationHandlers, QuadIntegratesUserFunctions)
{
    CValue sq = ctx.RealFunction([](double x) { return x * x; });
    CValue bumpy = ctx.RealFunction([](double x) { return 1.0 + std::pow(std::sin(2 * M_PI * x), 2); });
    CValue one = ctx.RealFunction([](double) { return 1.0; });
    struct Case {
        CValue f;
        double a, b, expected;
    } cases[] = {{sq, 0, 1, 1.0 / 3}, {sq, 1, 0, -1.0 / 3}, {bumpy, 0, 1, 1.5}, {one, 0, 1, 1.0}};
    for (Case& c : cases) {
        CallArgs args{c.f, CValue(c.a), CValue(c.b)};
        ASSERT_EQ(BuiltinQuad(args.data(), args.count(), &out, &ctx), 0);
        ASSERT_EQ(out.Type(), VT_REAL);
        EXPECT_NEAR(out.Real(), c.expected, 1e-5);
    }
    // The variable arrives as a Complex; a complex path gives a Complex result.
    CValue z = ctx.Function(1, [](CValue** a, int, CValue* r) {
        EXPECT_EQ(a[0]->Type(), VT_COMPLEX);
        r->SetComplex(a[0]->ComplexRef());
        return 0;
    });
    CallArgs path{z, CValue(0.0), Complexv(1, 1)};
    ASSERT_EQ(BuiltinQuad(path.data(), path.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_COMPLEX);
    EXPECT_NEAR(out.ComplexRef().im, 1.0, 1e-9);

    // Parameters after the variable: f(x, 2, 3).
    CValue withParams = ctx.Function(3, [](CValue** a, int n, CValue* r) {
        EXPECT_EQ(n, 3);
        r->SetReal(a[1]->Real() * a[2]->Real());
        return 0;
    });
    CallArgs params{withParams, CValue(0.0), CValue(1.0), CValue(1e-3), Row({2, 3})};
    ASSERT_EQ(BuiltinQuad(params.data(), params.count(), &out, &ctx), 0);
    EXPECT_NEAR(out.Real(), 6.0, 1e-9);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(IntegrationHandlers, QuadFailures)
{
    CValue one = ctx.RealFunction([](double) { return 1.0; });
    CValue tall;
    tall.MakeMatrix(2, 1);
    struct Case {
        CallArgs args;
        StatusWord status;
        const char* message;  // null: no message
    } cases[] = {
        {{one, Text("a"), CValue(1.0)}, 10, "Error: Invalid range of integral"},
        {{one, CValue(0.0), CValue(1.0), Complexv(1, 1)}, 10, "Error: Tolerance must be a scalar"},
        {{CValue(1.0), CValue(0.0), CValue(1.0)}, 10, "Error: First argument must be a pointer to a function"},
        {{one, CValue(0.0), CValue(1.0), CValue(1e-5), tall}, 10, nullptr},
        {{one, CValue(0.0), CValue(1.0), CValue(1e-5), Row({1})}, 10,
         "Error: First argument is a pointer to a function. Invalid function prototype"},
    };
    for (Case& c : cases) {
        cap.Reset();
        EXPECT_EQ(BuiltinQuad(c.args.data(), c.args.count(), &out, &ctx), c.status);
        if (c.message)
            EXPECT_EQ(cap.messages, (std::vector<std::string>{c.message}));
        else
            EXPECT_TRUE(cap.messages.empty());
    }
    cap.Reset();
    CValue text = ctx.Function(1, [](CValue**, int, CValue* r) {
        r->SetString(std::string("no"));
        return 0;
    });
    CallArgs wrong{text, CValue(0.0), CValue(1.0)};
    EXPECT_EQ(BuiltinQuad(wrong.data(), wrong.count(), &out, &ctx), ERR_RETURN_MISMATCH);
    EXPECT_TRUE(cap.messages.empty());

    CValue singular = ctx.RealFunction([](double x) { return 1.0 / std::sqrt(x); });
    CallArgs never{singular, CValue(0.0), CValue(1.0)};
    EXPECT_EQ(BuiltinQuad(never.data(), never.count(), &out, &ctx), 10);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: quad: Failed to provide a claimed tolerance."}));
}

TEST_F(IntegrationHandlers, NestedAndMonteCarloQuadratures)
{
    CValue one2 = ctx.Function(2, [](CValue**, int, CValue* r) {
        r->SetReal(1.0);
        return 0;
    });
    CallArgs rect{one2, CValue(0.0), CValue(1.0), CValue(0.0), CValue(2.0)};
    ASSERT_EQ(BuiltinQuad2(rect.data(), rect.count(), &out, &ctx), 0);
    EXPECT_NEAR(out.Real(), 2.0, 1e-12);

    // quad3 of x*y*z*p over [0,1] x [0,2] x [0,3] with p = 2: (1/2)(2)(9/2)(2) = 9.
    CValue xyz = ctx.Function(4, [](CValue** a, int, CValue* r) {
        r->SetReal(a[0]->GetComplex().re * a[1]->GetComplex().re * a[2]->GetComplex().re * a[3]->Real());
        return 0;
    });
    CallArgs box{xyz, CValue(0.0), CValue(3.0), CValue(0.0), CValue(2.0), CValue(0.0), CValue(1.0), CValue(1e-6),
                 Row({2})};
    ASSERT_EQ(BuiltinQuad3(box.data(), box.count(), &out, &ctx), 0);
    EXPECT_NEAR(out.Real(), 9.0, 1e-6);

    CallArgs mc{one2, Row({0, 0}), Row({1, 1})};
    ASSERT_EQ(BuiltinQuadm(mc.data(), mc.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_REAL);
    EXPECT_EQ(out.Real(), 1.0);

    CallArgs unequal{one2, Row({0, 0}), Row({1})};
    EXPECT_EQ(BuiltinQuadm(unequal.data(), unequal.count(), &out, &ctx), 10);
    CallArgs badTol{one2, Row({0, 0}), Row({1, 1}), Text("t")};
    EXPECT_EQ(BuiltinQuadm(badTol.data(), badTol.count(), &out, &ctx), 10);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Tolerance must be a real number"}));
}

// ---- ODE solvers -------------------------------------------------------------------

TEST_F(IntegrationHandlers, Ode5AdaptiveAndGridResults)
{
    CValue decay = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetReal(-a[1]->Real());
        return 0;
    });
    CallArgs interval{decay, Row({0, 1}), CValue(1.0)};
    ASSERT_EQ(BuiltinOde5(interval.data(), interval.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_MATRIX);
    ASSERT_EQ(out.Matrix().Cols(), 2);
    const CValueMatrix& T = out.Matrix().Cell(0, 0).Matrix();
    const CValueMatrix& Y = out.Matrix().Cell(0, 1).Matrix();
    ASSERT_EQ(T.Cols(), Y.Cols());
    EXPECT_EQ(T.Rows(), 1);
    EXPECT_EQ(T.Cell(0, 0).Real(), 0.0);
    EXPECT_EQ(T.Cell(0, T.Cols() - 1).Real(), 1.0);
    EXPECT_EQ(Y.Cell(0, 0).Real(), 1.0);
    EXPECT_NEAR(Y.Cell(0, Y.Cols() - 1).Real(), std::exp(-1.0), 1e-5);

    // A system on a grid: the state arrives as a 1 x 2 row; a column result is accepted.
    CValue rot = ctx.Function(2, [](CValue** a, int, CValue* r) {
        const CValueMatrix& y = a[1]->Matrix();
        EXPECT_EQ(y.Rows(), 1);
        CValueMatrix& m = r->MakeMatrix(2, 1);
        m.Cell(0, 0).SetReal(y.Cell(0, 1).Real());
        m.Cell(1, 0).SetReal(-y.Cell(0, 0).Real());
        return 0;
    });
    CallArgs grid{rot, Row({0, 0.1, 0.2, 0.3}), Column({1, 0})};
    ASSERT_EQ(BuiltinOde5(grid.data(), grid.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Matrix().Rows(), 2);
    ASSERT_EQ(out.Matrix().Cols(), 4);
    EXPECT_EQ(out.Matrix().Cell(0, 0).Real(), 1.0);
    EXPECT_EQ(out.Matrix().Cell(1, 0).Real(), 0.0);
    EXPECT_NEAR(out.Matrix().Cell(0, 3).Real(), std::cos(0.3), 1e-6);

    CallArgs same{decay, Row({2, 2}), CValue(3.0)};
    ASSERT_EQ(BuiltinOde4s(same.data(), same.count(), &out, &ctx), 0);
    EXPECT_EQ(out.Matrix().Cell(0, 0).Matrix().Cols(), 1);
    EXPECT_EQ(out.Matrix().Cell(0, 0).Matrix().Cell(0, 0).Real(), 2.0);
    EXPECT_EQ(out.Matrix().Cell(0, 1).Matrix().Cell(0, 0).Real(), 3.0);

    CallArgs single{decay, CValue(4.0), CValue(3.0)};
    ASSERT_EQ(BuiltinOde5(single.data(), single.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_MATRIX);
    EXPECT_EQ(out.Matrix().Cols(), 1);
    EXPECT_EQ(out.Matrix().Cell(0, 0).Real(), 3.0);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(IntegrationHandlers, OdeFailures)
{
    CValue decay = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetReal(-a[1]->Real());
        return 0;
    });
    CValue empty;
    empty.MakeMatrix(0, 0);
    struct Case {
        bool stiff;
        CallArgs args;
        const char* message;
    } cases[] = {
        {false, {decay, Row({0, 5, 10}), CValue(1.0)}, "Error: ode5: Failed to provide a claimed tolerance."},
        {true, {CValue(5.0), Row({0, 1}), CValue(1.0)}, "Error: First argument must be a pointer to the function"},
        {true, {decay, Row({0, 1}), CValue(1.0), CValue(1e-6), CValue(1.0)},
         "Error: Invalid pointer to the function a defined by first argument"},
        {false, {decay, Row({0, 1}), CValue(1.0), Text("x")},
         "Error: Fourth argument must be a real-valued tolerance or the argument is invalid structure of options"},
        {false, {decay, empty, CValue(1.0)}, "Error: ode5: The vector of times is empty"},
    };
    for (Case& c : cases) {
        cap.Reset();
        auto h = c.stiff ? BuiltinOde4s : BuiltinOde5;
        EXPECT_EQ(h(c.args.data(), c.args.count(), &out, &ctx), 10);
        EXPECT_EQ(cap.messages, (std::vector<std::string>{c.message}));
    }

    cap.Reset();
    CValue boxed = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->MakeMatrix(1, 1).Cell(0, 0).SetReal(-a[1]->Real());
        return 0;
    });
    CallArgs wrong{boxed, Row({0, 1}), CValue(1.0)};
    EXPECT_EQ(BuiltinOde5(wrong.data(), wrong.count(), &out, &ctx), ERR_RETURN_MISMATCH);

    CValue complexValued = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetComplex(Complex(-a[1]->Real(), 1.0));
        return 0;
    });
    CallArgs warned{complexValued, Row({0, 1}), CValue(1.0)};
    EXPECT_EQ(BuiltinOde5(warned.data(), warned.count(), &out, &ctx), 0);
    EXPECT_EQ(cap.messages,
              (std::vector<std::string>{"Warning: Complex number returned by the function is truncated to real"}));

    ctx.stopAfter = ctx.calls + 10;
    CallArgs stopped{decay, Row({0, 100}), CValue(1.0)};
    EXPECT_EQ(BuiltinOde4s(stopped.data(), stopped.count(), &out, &ctx), ERR_STOPPED);
}

TEST_F(IntegrationHandlers, OptionsSetToleranceAndFirstStep)
{
    // The derivative records the first step: the second evaluation time of the
    // first Fehlberg trial is t0 + h/4.
    std::vector<double> times;
    CValue decay = ctx.Function(2, [&](CValue** a, int, CValue* r) {
        times.push_back(a[0]->Real());
        r->SetReal(-a[1]->Real());
        return 0;
    });
    struct Case {
        CValue option;
        double firstStep;
    } cases[] = {
        {CValue(1e-3), 1e-2},
        {[] {
             CValue v;
             v.MakeStruct().FieldValue("tol").SetReal(1e-3);
             v.Struct().FieldValue("step").SetReal(0.5);
             return v;
         }(),
         0.5},
        {[] {
             CValue v;
             v.MakeStruct().FieldValue("atol").SetReal(1e-3);
             return v;
         }(),
         1e-5},
    };
    for (Case& c : cases) {
        times.clear();
        CallArgs args{decay, Row({0, 10}), CValue(1.0), c.option};
        ASSERT_EQ(BuiltinOde5(args.data(), args.count(), &out, &ctx), 0);
        ASSERT_GE(times.size(), 2u);
        EXPECT_DOUBLE_EQ(times[1], c.firstStep / 4);
    }
}
