// The helper that runs programs with devices: a plain program runs to its
// end on the program thread and its messages are captured.
#include <gtest/gtest.h>

#include "support/device_run.h"

namespace {

TEST(DeviceRun, RunsAProgramOnItsThreadAndCapturesItsMessages)
{
    DeviceProgramRun r = RunProgramWithDevices("abs(-3);\nnosuch(1);\n");
    EXPECT_NE(r.translated, 0);
    EXPECT_FALSE(r.finished);

    r = RunProgramWithDevices("x = 2;\nx * 21;\n");
    EXPECT_EQ(r.translated, 0);
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.messages, std::vector<std::string>{"42"});
}

}  // namespace
