#include <gtest/gtest.h>

#include <cstdint>

#include "support/capture.h"
#include "values/int_power.h"
#include "values/math_errors.h"

TEST(IntPower, Cases)
{
    struct Case {
        int32_t base, exp, want;
    } cases[] = {
        {10, 3, 1000},
        {2, 0, 1},
        {0, 0, 1},
        {-3, 3, -27},
        {2, 31, INT32_MIN},  // wraps in 32 bits
        {2, 32, 0},
        {3, 40, 689956897},  // 3^40 mod 2^32
        {-1, INT32_MIN, 1},    // |INT32_MIN| has no signed form
        {2, -1, 0},            // 1 / 2 in integer division
        {1, -5, 1},
        {-1, -3, -1},
        {0, -2, 0},   // no division by zero
        {2, -32, 0},  // the power wraps to 0 before the reciprocal
        {10, 9, 1000000000},
    };
    for (const Case& c : cases) EXPECT_EQ(IntPower(c.base, c.exp), c.want) << c.base << "^" << c.exp;
}

TEST(MathLibraryError, WritesOneErrorMessage)
{
    CCaptureStream cap;
    EXPECT_EQ(ReportMathLibraryError("acos: DOMAIN error", 3), 0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: acos: DOMAIN error");
}
