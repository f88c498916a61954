#pragma once
// Per-thread data that the levels above build on: the window manager keeps
// its message queue here, under the thread's lock, and waits for kernel
// objects and queue input together.
#include "platform/types.h"
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

struct CThreadData;

// What a level above keeps per thread (the window manager's queue). The
// thread's data owns it from the moment it is set.
struct CThreadState {
    virtual ~CThreadState() = default;
};

struct CThreadData {
    CThreadData() = default;
    CThreadData(const CThreadData&) = delete;
    CThreadData& operator=(const CThreadData&) = delete;
    ~CThreadData() { delete state.load(std::memory_order_relaxed); }
    DWORD id = 0;
    std::mutex lock;
    std::condition_variable wake;   // only this thread waits on it
    bool kicked = false;            // a kernel object it waits on changed
    bool ended = false;
    // Set once (compare-exchange from null) by the level above, then kept.
    std::atomic<CThreadState*> state{nullptr};
};

// The calling thread's data, created on first use for threads we did not start.
CThreadData& CurrentThreadData();
std::shared_ptr<CThreadData> CurrentThreadDataPtr();
std::shared_ptr<CThreadData> FindThreadData(DWORD id);

// What runs as a thread ends (once, without its lock held): the window
// manager's share of the end. Set once at start-up.
typedef void (*ThreadEndHook)(const std::shared_ptr<CThreadData>& thread);
void SetThreadEndHook(ThreadEndHook hook);

// Waits for kernel objects and, when inputReady is given, for input on the
// calling thread's queue. inputReady runs under the thread's lock; it may move
// wakeBy earlier (a timer falling due). Returns WAIT_OBJECT_0 + i,
// WAIT_OBJECT_0 + count for input, WAIT_TIMEOUT or WAIT_FAILED.
typedef std::function<bool(CThreadData&, std::chrono::steady_clock::time_point& wakeBy)> InputReadyFn;
DWORD WaitForObjectsInternal(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds,
                             const InputReadyFn& inputReady);
