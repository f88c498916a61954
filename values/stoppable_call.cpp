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

// A helper thread kept by one program thread between its calls (a thread
// start costs more than a small call). A stop leaves the helper to finish its
// work on its own; the next call gets a new one.
struct Helper {
    std::mutex lock;
    std::condition_variable wake, doneSignal;
    std::function<void()> work;
    bool busy = false;
    bool quit = false;
    bool abandoned = false;

    void Loop()
    {
        std::unique_lock<std::mutex> g(lock);
        for (;;) {
            wake.wait(g, [this] { return busy || quit; });
            if (!busy) return;
            std::function<void()> job = std::move(work);
            work = nullptr;
            g.unlock();
            try {
                job();
            } catch (...) {
                // The work reports its own failure through what it owns.
            }
            job = nullptr;  // the copies the work owns go now
            g.lock();
            busy = false;
            if (abandoned) {
                g_abandoned.fetch_sub(1);
                return;
            }
            doneSignal.notify_all();
        }
    }
};

struct HelperSlot {
    std::shared_ptr<Helper> helper;
    ~HelperSlot() { Release(); }
    void Release()
    {
        if (!helper) return;
        std::lock_guard<std::mutex> g(helper->lock);
        helper->quit = true;
        helper->wake.notify_all();
        helper.reset();
    }
};
thread_local HelperSlot t_helper;

// The helper of this thread, started when there is none; null when no thread can be had.
std::shared_ptr<Helper> TakeHelper()
{
    if (t_helper.helper) return t_helper.helper;
    auto h = std::make_shared<Helper>();
    try {
        std::thread([h] { h->Loop(); }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    t_helper.helper = h;
    return h;
}

}  // namespace

bool StoppableCostWorthAThread(double cost)
{
    // Some 30 ms of work at the least; and only a program thread has a stop to watch.
    return cost >= kStoppableAlways && ThreadStopFlag() != nullptr;
}

int RunStoppable(double cost, std::function<void()> work)
{
    const std::atomic<uint8_t>* flag = ThreadStopFlag();
    if (!StoppableCostWorthAThread(cost)) {
        work();
        return 0;
    }
    if (flag->load(std::memory_order_relaxed)) return kStopped;
    std::shared_ptr<Helper> helper = TakeHelper();
    if (!helper) {
        work();  // no thread to be had: the call cannot be abandoned
        return 0;
    }
    std::unique_lock<std::mutex> g(helper->lock);
    helper->work = std::move(work);
    helper->busy = true;
    helper->wake.notify_all();
    while (helper->busy) {
        helper->doneSignal.wait_for(g, std::chrono::milliseconds(20));
        if (helper->busy && flag->load(std::memory_order_relaxed)) {
            helper->abandoned = true;
            g_abandoned.fetch_add(1);
            g.unlock();
            t_helper.helper.reset();  // it ends after its work
            return kStopped;
        }
    }
    return 0;
}

int AbandonedCallsRunning() { return g_abandoned.load(); }
