#pragma once
// Kernel objects, the handle table and per-thread data (internal to the
// platform layer).
#include "platform/kernel/kernel.h"
#include "platform/user/message_queue.h"
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct CThreadData;

enum class KObjectKind { Event, Thread, Process, Mapping };

struct KObject {
    explicit KObject(KObjectKind k, bool canWait) : kind(k), waitable(canWait) {}
    virtual ~KObject() = default;
    const KObjectKind kind;
    const bool waitable;
    // Guarded by KernelLock().
    bool signaled = false;
    bool autoReset = false;
    std::vector<CThreadData*> waiters;
};

// Guards the wait state of every kernel object. It may be held while a
// thread's lock is taken, never the other way round.
std::mutex& KernelLock();
// Marks the object signalled and wakes its waiters; KernelLock() is held.
void SignalLocked(KObject& object);

HANDLE NewHandle(std::shared_ptr<KObject> object);
std::shared_ptr<KObject> LookupHandle(HANDLE h);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE h, KObjectKind kind)
{
    std::shared_ptr<KObject> o = LookupHandle(h);
    if (!o || o->kind != kind) return nullptr;
    return std::static_pointer_cast<T>(o);
}

// Named registry shared by events and memory blocks.
std::shared_ptr<KObject> FindNamedObject(const std::string& name);
// Registers the object unless the name is taken; returns the holder of the name.
std::shared_ptr<KObject> RegisterNamedObject(const std::string& name, const std::shared_ptr<KObject>& object);

struct CThreadData {
    DWORD id = 0;
    std::mutex lock;
    std::condition_variable wake;   // only this thread waits on it
    bool kicked = false;            // a kernel object it waits on changed
    bool ended = false;
    CMessageQueue queue;
};

// The calling thread's data, created on first use for threads we did not start.
CThreadData& CurrentThreadData();
std::shared_ptr<CThreadData> CurrentThreadDataPtr();
std::shared_ptr<CThreadData> FindThreadData(DWORD id);
// Marks the thread ended and lets the window manager clean up; runs once.
void EndThreadData(const std::shared_ptr<CThreadData>& thread);

// Waits for kernel objects and, when inputReady is given, for input on the
// calling thread's queue. inputReady runs under the thread's lock; it may move
// wakeBy earlier (a timer falling due). Returns WAIT_OBJECT_0 + i,
// WAIT_OBJECT_0 + count for input, WAIT_TIMEOUT or WAIT_FAILED.
typedef std::function<bool(CThreadData&, std::chrono::steady_clock::time_point& wakeBy)> InputReadyFn;
DWORD WaitForObjectsInternal(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds,
                             const InputReadyFn& inputReady);
