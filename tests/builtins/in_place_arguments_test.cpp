// Built-ins that read a variable's matrix in place, unscanned: a matrix that
// holds a handle cell gives what its copy gives (a copy keeps the cell).
#include <string>

#include "builtin_eval.h"

namespace {

using InPlaceArguments = BuiltinTest;

TEST_F(InPlaceArguments, HandleCellsReadAsACopyReadsThem)
{
    CValue v;
    ASSERT_EQ(Eval("x = [1, 2, 3]", v), 0);
    ASSERT_EQ(Eval("target = 10", v), 0);
    CValueMatrix& x = block.FindVariable("x")->value->Matrix();
    x.Cell(0, 1).SetHandle(block.FindVariable("target")->value);
    const struct {
        const char* text;
        const char* message;
        int status = 10;
    } cases[] = {
        {"sum(x)", "Error: Calculating an addition, Real and Handle of smd type"},
        {"prod(x)", "Error: Calculating a multiplication, Real and Handle of smd type"},
        {"cumsum(x)", "Error: Calculating an addition, Real and Handle of smd type"},
        {"cumprod(x)", "Error: Calculating a multiplication, Real and Handle of smd type"},
        {"sqrt(x)", "Error: Invalid argument of sqrt function (Handle of smd)"},
        {"sin(x)", "Error: Invalid argument of sin function (Handle of smd)"},
        {"trans(x)", "Error: Invalid argument of conj function (Handle of smd)"},
        {"x'", "Error: Invalid argument of conj function (Handle of smd)"},
        {"max(x)", "Error: Calculating an operator >, Handle of smd and Real type"},
        {"min(x)", "Error: Calculating an operator <, Handle of smd and Real type"},
        // A matrix with a scalar: the plain operators report and go on.
        {"x + 1", "Error: Calculating an addition, Handle of smd and Real type", 0},
        {"x > 1", "Error: Calculating an operator >, Handle of smd and Real type"},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue r;
        EXPECT_EQ(Eval(c.text, r), c.status) << c.text;
        EXPECT_EQ(cap.Text(), c.message) << c.text;
    }
    // Reading left the variable as it was.
    EXPECT_EQ(x.Cell(0, 0).Real(), 1.0);
    EXPECT_TRUE(x.Cell(0, 1).IsHandle());
    EXPECT_EQ(x.Cell(0, 2).Real(), 3.0);
}

}  // namespace
