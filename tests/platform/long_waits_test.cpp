// The table of long waits and its test scale.
#include <gtest/gtest.h>

#include "platform/kernel/long_waits.h"

TEST(LongWaits, TableAndScale)
{
    EXPECT_EQ(LongWaitMs(LongWait::DeviceWindow), 60000u);
    EXPECT_EQ(LongWaitMs(LongWait::DeviceThreadEnd), 15000u);
    EXPECT_EQ(LongWaitMs(LongWait::CloseSlice), 1000u);
    EXPECT_EQ(LongWaitMs(LongWait::StopSlice), 15100u);
    EXPECT_EQ(LongWaitMs(LongWait::StopQuestion), 15000u);
    EXPECT_EQ(LongWaitMs(LongWait::BreakRepost), 1000u);
    SetLongWaitScale(0.01);
    EXPECT_EQ(LongWaitMs(LongWait::DeviceWindow), 600u);
    EXPECT_EQ(LongWaitMs(LongWait::BreakRepost), 10u);
    SetLongWaitScale(1e-9);  // never a wait of 0
    EXPECT_EQ(LongWaitMs(LongWait::CloseSlice), 1u);
    SetLongWaitScale(-1);  // nonsense restores the table
    EXPECT_EQ(LongWaitMs(LongWait::StopSlice), 15100u);
    SetLongWaitScale(1);
}
