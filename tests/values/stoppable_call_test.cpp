// Library calls that Stop can abandon: on a program thread they run on a
// helper that is kept between calls and left to finish after a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "values/stop_probe.h"
#include "values/stoppable_call.h"

namespace {

// Waits up to 10 s for cond; false when it never held.
template <class Cond>
bool WaitFor(Cond cond)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct ProgramThreadFlag {
    std::atomic<uint8_t> flag{0};
    ProgramThreadFlag() { SetThreadStopFlag(&flag); }
    ~ProgramThreadFlag() { SetThreadStopFlag(nullptr); }
};

}  // namespace

TEST(StoppableCall, AStopAbandonsTheCallAndTheNextOneGetsAFreshHelper)
{
    ProgramThreadFlag program;
    const int abandonedBefore = AbandonedCallsRunning();
    // A call that does not end by itself until released: only the stop ends the wait.
    auto started = std::make_shared<std::atomic<bool>>(false), release = std::make_shared<std::atomic<bool>>(false);
    std::thread stopper([&] {
        ASSERT_TRUE(WaitFor([&] { return started->load(); })) << "the call never started";
        program.flag = 1;
    });
    const int st = RunStoppable(IterativeCost(1.0), [started, release] {
        started->store(true);
        while (!release->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    stopper.join();
    EXPECT_EQ(st, 25);
    EXPECT_EQ(AbandonedCallsRunning(), abandonedBefore + 1);
    release->store(true);
    EXPECT_TRUE(WaitFor([&] { return AbandonedCallsRunning() == abandonedBefore; }))
        << "the abandoned call did not finish: " << AbandonedCallsRunning();

    // After the stop is over, calls run to their end on a helper (not on this thread), one after another.
    program.flag = 0;
    for (int i = 0; i < 3; i++) {
        std::thread::id ranOn;
        int value = 0;
        EXPECT_EQ(StoppableOn(
                      IterativeCost(1.0), [](std::thread::id& on, int& v) {
                          on = std::this_thread::get_id();
                          v = 42;
                      },
                      ranOn, value),
                  0);
        EXPECT_EQ(value, 42);
        EXPECT_NE(ranOn, std::this_thread::get_id());
    }
    // A stop asked before a call begins ends it at once, however small.
    program.flag = 1;
    bool ran = false;
    EXPECT_EQ(StoppableOn(IterativeCost(1.0), [](bool& r) { r = true; }, ran), 25);
    EXPECT_FALSE(ran);
}

TEST(StoppableCall, SmallWorkOrNoProgramRunsHere)
{
    std::thread::id ranOn;
    EXPECT_EQ(RunStoppable(IterativeCost(1.0), [&] { ranOn = std::this_thread::get_id(); }), 0);
    EXPECT_EQ(ranOn, std::this_thread::get_id());  // no program thread: no stop to watch
    ProgramThreadFlag program;
    EXPECT_EQ(RunStoppable(1000.0, [&] { ranOn = std::this_thread::get_id(); }), 0);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}
