#include "values/stoppable_call.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "values/stop_probe.h"

namespace {

constexpr int kStopped = 25;
std::atomic<int> g_abandoned{0};

struct SharedCall {
    std::mutex lock;
    std::condition_variable doneSignal;
    bool done = false;
    bool abandoned = false;
    std::function<void()> work;
};

}  // namespace

bool StoppableCostWorthAThread(double cost)
{
    // Some 30 ms of work at the least; and only a program thread has a stop to watch.
    return cost >= 2e7 && ThreadStopFlag() != nullptr;
}

int RunStoppable(double cost, std::function<void()> work)
{
    const std::atomic<uint8_t>* flag = ThreadStopFlag();
    if (!StoppableCostWorthAThread(cost)) {
        work();
        return 0;
    }
    if (flag->load(std::memory_order_relaxed)) return kStopped;
    auto call = std::make_shared<SharedCall>();
    call->work = std::move(work);
    try {
        std::thread([call] {
            try {
                call->work();
            } catch (...) {
                // The work reports its own failure through what it owns.
            }
            call->work = nullptr;  // the copies the work owns go now
            std::lock_guard<std::mutex> g(call->lock);
            call->done = true;
            if (call->abandoned) g_abandoned.fetch_sub(1);
            call->doneSignal.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        call->work();  // no thread to be had: the call cannot be abandoned
        return 0;
    }
    std::unique_lock<std::mutex> g(call->lock);
    while (!call->done) {
        call->doneSignal.wait_for(g, std::chrono::milliseconds(20));
        if (!call->done && flag->load(std::memory_order_relaxed)) {
            call->abandoned = true;
            g_abandoned.fetch_add(1);
            return kStopped;
        }
    }
    return 0;
}

int AbandonedCallsRunning() { return g_abandoned.load(); }
