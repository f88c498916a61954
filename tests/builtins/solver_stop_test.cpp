// Stop ends every solver at its next evaluation of the user's function.
#include <gtest/gtest.h>

#include "builtins/nonlinear_library.h"
#include "support/capture.h"
#include "test_context.h"

namespace {

// 1 / (1 + x^2) of the real part of the first argument: no zero, no
// polynomial exactness, so no solver ends within a few evaluations.
StatusWord Bell(CValue** a, int, CValue* r)
{
    double x = a[0]->GetComplex().re;
    r->SetReal(1.0 / (1.0 + x * x));
    return 0;
}

}  // namespace

TEST(SolverStop, EverySolverEndsAtTheNextEvaluation)
{
    CCaptureStream cap;
    TestContext ctx;
    CValue f1 = ctx.Function(1, Bell), f2 = ctx.Function(2, Bell), f3 = ctx.Function(3, Bell);
    CValue decay = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetReal(-a[1]->Real());
        return 0;
    });
    using Handler = StatusWord (*)(CValue**, int, CValue*, StatementContext*);
    struct Case {
        const char* name;
        Handler handler;
        CallArgs args;
    } cases[] = {
        {"fzero", BuiltinFzero, {f1, CValue(5.0)}},
        {"fmin", BuiltinFmin, {f1, CValue(-1.0), CValue(3.0)}},
        {"fming", BuiltinFming, {f1, CValue(-1.0), CValue(3.0)}},
        {"fmins", BuiltinFmins, {f1, CValue(0.5)}},
        {"fmins2", BuiltinFmins2, {f1, CValue(0.5)}},
        {"fmins3e", BuiltinFmins3e, {f1, CValue(0.5)}},
        {"nlsolve", BuiltinNlsolve, {f1}},
        {"quad", BuiltinQuad, {f1, CValue(0.0), CValue(5.0)}},
        {"quad2", BuiltinQuad2, {f2, CValue(0.0), CValue(5.0), CValue(0.0), CValue(5.0)}},
        {"quad3", BuiltinQuad3, {f3, CValue(0.0), CValue(5.0), CValue(0.0), CValue(5.0), CValue(0.0), CValue(5.0)}},
        {"quadm", BuiltinQuadm, {f2, Row({0, 0}), Row({5, 5})}},
        {"ode5 interval", BuiltinOde5, {decay, Row({0, 100}), CValue(1.0)}},
        {"ode5 grid", BuiltinOde5, {decay, Row({0, 1, 2, 3, 4, 5}), CValue(1.0)}},
        {"ode4s interval", BuiltinOde4s, {decay, Row({0, 100}), CValue(1.0)}},
    };
    for (Case& c : cases) {
        cap.Reset();
        ctx.calls = 0;
        ctx.stopAfter = 7;
        CValue out;
        EXPECT_EQ(c.handler(c.args.data(), c.args.count(), &out, &ctx), ERR_STOPPED) << c.name;
        EXPECT_EQ(ctx.calls, 7) << c.name;
        EXPECT_TRUE(cap.messages.empty()) << c.name;
    }
}
