// Threads and per-thread data.
#include "platform/kernel/thread.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/kernel_internal.h"

#include <atomic>
#include <climits>
#include <pthread.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace {

struct ThreadRegistry {
    std::mutex lock;
    std::unordered_map<DWORD, std::shared_ptr<CThreadData>> threads;
};

ThreadRegistry& Registry()
{
    static ThreadRegistry* r = new ThreadRegistry;
    return *r;
}

std::atomic<DWORD> g_nextThreadId{1};
std::atomic<ThreadEndHook> g_endHook{nullptr};

std::shared_ptr<CThreadData> NewThreadData()
{
    auto t = std::make_shared<CThreadData>();
    t->id = g_nextThreadId.fetch_add(1);
    ThreadRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.threads[t->id] = t;
    return t;
}

// Ends the data of threads we did not start when they exit.
struct ThreadDataHolder {
    std::shared_ptr<CThreadData> data;
    bool managed = false;
    ~ThreadDataHolder()
    {
        if (data && !managed) EndThreadData(data);
    }
};

thread_local ThreadDataHolder t_holder;

struct KThread : KObject {
    KThread() : KObject(KObjectKind::Thread, true) {}
    std::shared_ptr<CThreadData> data;
    LPTHREAD_START_ROUTINE start = nullptr;
    void* parameter = nullptr;
    // Guarded by KernelLock().
    DWORD exitCode = STILL_ACTIVE;
    bool alive = true;
    bool abandoned = false;
    bool finished = false;  // its code has returned (or will never run)
    int priority = THREAD_PRIORITY_NORMAL;
    pid_t systemId = 0;   // 0 until the thread runs
    // The start gate and cooperative suspension.
    std::mutex gateLock;
    std::condition_variable gate;
    DWORD suspendCount = 0;
    bool cancelled = false;
    bool held = false;   // waiting at a suspend point
};

// The thread object of the calling thread, for threads we started.
thread_local std::shared_ptr<KThread> t_self;

void ApplyPriority(pid_t systemId, int priority)
{
    // Levels -2..2 map to nice 10..-10; raising may be refused.
    int p = priority < -2 ? -2 : (priority > 2 ? 2 : priority);
    if (priority <= THREAD_PRIORITY_IDLE) p = -4;
    if (priority >= THREAD_PRIORITY_TIME_CRITICAL) p = 3;
    setpriority(PRIO_PROCESS, (id_t)systemId, -5 * p);
}

void FinishThread(const std::shared_ptr<KThread>& t, DWORD code)
{
    EndThreadData(t->data);
    std::lock_guard<std::mutex> g(KernelLock());
    if (t->alive) {
        t->alive = false;
        t->exitCode = code;
    }
    SignalLocked(*t);
}

void* ThreadMain(void* arg)
{
    std::shared_ptr<KThread> t = std::move(*(std::shared_ptr<KThread>*)arg);
    delete (std::shared_ptr<KThread>*)arg;
    t_holder.data = t->data;
    t_holder.managed = true;
    t_self = t;
    {
        std::lock_guard<std::mutex> g(KernelLock());
        t->systemId = gettid();
        if (t->priority != THREAD_PRIORITY_NORMAL) ApplyPriority(t->systemId, t->priority);
    }
    bool run;
    {
        std::unique_lock<std::mutex> l(t->gateLock);
        t->held = true;
        t->gate.wait(l, [&] { return t->suspendCount == 0 || t->cancelled; });
        t->held = false;
        run = !t->cancelled;
    }
    DWORD code = run ? t->start(t->parameter) : 0;
    FinishThread(t, code);
    {
        std::lock_guard<std::mutex> g(KernelLock());
        t->finished = true;
    }
    t_self.reset();
    return nullptr;
}

std::shared_ptr<KThread> LookupThread(HANDLE h)
{
    auto t = LookupHandleAs<KThread>(h, KObjectKind::Thread);
    if (!t) SetLastError(ERROR_INVALID_HANDLE);
    return t;
}

}  // namespace

CThreadData& CurrentThreadData()
{
    if (!t_holder.data) t_holder.data = NewThreadData();
    return *t_holder.data;
}

std::shared_ptr<CThreadData> CurrentThreadDataPtr()
{
    CurrentThreadData();
    return t_holder.data;
}

std::shared_ptr<CThreadData> FindThreadData(DWORD id)
{
    ThreadRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.threads.find(id);
    return it == r.threads.end() ? nullptr : it->second;
}

void EndThreadData(const std::shared_ptr<CThreadData>& thread)
{
    {
        std::lock_guard<std::mutex> g(thread->lock);
        if (thread->ended) return;
        thread->ended = true;
    }
    {
        ThreadRegistry& r = Registry();
        std::lock_guard<std::mutex> g(r.lock);
        r.threads.erase(thread->id);
    }
    if (ThreadEndHook hook = g_endHook.load(std::memory_order_acquire)) hook(thread);
}

void SetThreadEndHook(ThreadEndHook hook) { g_endHook.store(hook, std::memory_order_release); }

DWORD GetCurrentThreadId() { return CurrentThreadData().id; }
DWORD GetCurrentProcessId() { return (DWORD)getpid(); }

HANDLE CreateThread(void*, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags,
                    DWORD* threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto t = std::make_shared<KThread>();
    t->start = start;
    t->parameter = parameter;
    t->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
    t->data = NewThreadData();

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize) {
        size_t page = (size_t)sysconf(_SC_PAGESIZE);
        size_t size = stackSize < (SIZE_T)PTHREAD_STACK_MIN ? (size_t)PTHREAD_STACK_MIN : stackSize;
        size = (size + page - 1) / page * page;
        pthread_attr_setstacksize(&attr, size);
    }
    HANDLE h = NewHandle(t);
    auto* boot = new std::shared_ptr<KThread>(t);
    pthread_t pt;
    int rc = pthread_create(&pt, &attr, ThreadMain, boot);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete boot;
        CloseHandle(h);
        EndThreadData(t->data);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = t->data->id;
    return h;
}

DWORD GetThreadId(HANDLE thread)
{
    auto t = LookupThread(thread);
    return t ? t->data->id : 0;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode)
{
    auto t = LookupThread(thread);
    if (!t || !exitCode) return FALSE;
    std::lock_guard<std::mutex> g(KernelLock());
    *exitCode = t->alive ? STILL_ACTIVE : t->exitCode;
    return TRUE;
}

BOOL IsThreadAlive(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return FALSE;
    std::lock_guard<std::mutex> g(KernelLock());
    return t->alive;
}

BOOL HasThreadFinished(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return FALSE;
    std::lock_guard<std::mutex> g(KernelLock());
    return t->finished;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    auto t = LookupThread(thread);
    if (!t) return FALSE;
    std::lock_guard<std::mutex> g(KernelLock());
    t->priority = priority;
    if (t->systemId && t->alive) ApplyPriority(t->systemId, priority);
    return TRUE;
}

int GetThreadPriority(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard<std::mutex> g(KernelLock());
    return t->priority;
}

DWORD SuspendThread(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return 0xFFFFFFFFu;
    DWORD previous;
    {
        std::lock_guard<std::mutex> g(t->gateLock);
        previous = t->suspendCount++;
    }
    if (t == t_self) ThreadSuspendPoint();
    return previous;
}

DWORD ResumeThread(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return 0xFFFFFFFFu;
    std::lock_guard<std::mutex> g(t->gateLock);
    DWORD previous = t->suspendCount;
    if (previous > 0 && --t->suspendCount == 0) t->gate.notify_all();
    return previous;
}

void ThreadSuspendPoint()
{
    std::shared_ptr<KThread> t = t_self;
    if (!t) return;
    std::unique_lock<std::mutex> l(t->gateLock);
    if (t->suspendCount == 0 || t->cancelled) return;
    t->held = true;
    t->gate.wait(l, [&] { return t->suspendCount == 0 || t->cancelled; });
    t->held = false;
}

BOOL IsThreadHeld(HANDLE thread)
{
    auto t = LookupThread(thread);
    if (!t) return FALSE;
    std::lock_guard<std::mutex> g(t->gateLock);
    return t->held ? TRUE : FALSE;
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode)
{
    auto t = LookupThread(thread);
    if (!t) return FALSE;
    if (t == t_self) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> g(KernelLock());
        if (!t->alive) return TRUE;
        t->alive = false;
        t->abandoned = true;
        t->exitCode = exitCode;
    }
    {
        // A thread still behind its gate leaves without running.
        std::lock_guard<std::mutex> g(t->gateLock);
        t->cancelled = true;
        t->gate.notify_all();
    }
    EndThreadData(t->data);
    std::lock_guard<std::mutex> g(KernelLock());
    SignalLocked(*t);
    return TRUE;
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == INFINITE)
        for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
