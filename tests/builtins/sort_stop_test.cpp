// A long sort ends with 25 when the program's stop flag rises.
#include <gtest/gtest.h>

#include <limits>

#include "builtins/matrix_builtins.h"
#include "support/capture.h"
#include "test_context.h"

TEST(SortStop, ALongSortEndsWhenTheStopFlagRises)
{
    CCaptureStream cap;
    TestContext ctx;
    ctx.stopAfter = 0;  // raised from the start
    // Complex cells with a NaN imaginary part keep the exchange loops: the slow road.
    auto make = [](int n) {
        CValue v;
        CValueMatrix& m = v.MakeMatrix(1, n);
        for (int j = 0; j < n; ++j)
            m.Cell(0, j) = j % 2 ? CValue((double)j) : CValue(Complex(1, std::numeric_limits<double>::quiet_NaN()));
        return v;
    };
    CValue a = make(20000), d = make(20000), out;
    EXPECT_EQ(BuiltinSorta(&a, &out, &ctx), ERR_STOPPED);
    EXPECT_EQ(BuiltinSortd(&d, &out, &ctx), ERR_STOPPED);

    ctx.stopAfter = -1;  // no stop: a short sort finishes
    CValue s = make(50);
    EXPECT_EQ(BuiltinSorta(&s, &out, &ctx), 0);
    EXPECT_EQ(out.Matrix().Cols(), 50);
}
