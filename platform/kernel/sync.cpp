// Events, waits and critical sections.
#include "platform/kernel/sync.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/kernel_internal.h"

#include <algorithm>

namespace {

struct KEvent : KObject {
    KEvent() : KObject(KObjectKind::Event, true) {}
};

void RemoveWaiter(KObject& o, CThreadData* t)
{
    auto it = std::find(o.waiters.begin(), o.waiters.end(), t);
    if (it != o.waiters.end()) o.waiters.erase(it);
}

// Under KernelLock(): the index that satisfies the wait, or -1.
int CheckSignaled(const std::vector<std::shared_ptr<KObject>>& objects, bool waitAll)
{
    if (waitAll) {
        for (const auto& o : objects)
            if (!o->signaled) return -1;
        for (const auto& o : objects)
            if (o->autoReset) o->signaled = false;
        return 0;
    }
    for (size_t i = 0; i < objects.size(); i++) {
        if (objects[i]->signaled) {
            if (objects[i]->autoReset) objects[i]->signaled = false;
            return (int)i;
        }
    }
    return -1;
}

}  // namespace

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, const char* name)
{
    auto e = std::make_shared<KEvent>();
    e->autoReset = !manualReset;
    e->signaled = initialState != 0;
    if (name && *name) {
        std::shared_ptr<KObject> holder = RegisterNamedObject(name, e);
        if (holder != e) {
            if (holder->kind != KObjectKind::Event) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            HANDLE h = NewHandle(holder);
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
    }
    HANDLE h = NewHandle(e);
    SetLastError(ERROR_SUCCESS);
    return h;
}

HANDLE OpenEvent(DWORD, BOOL, const char* name)
{
    std::shared_ptr<KObject> o = name ? FindNamedObject(name) : nullptr;
    if (!o || o->kind != KObjectKind::Event) {
        SetLastError(o ? ERROR_INVALID_HANDLE : ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return NewHandle(std::move(o));
}

BOOL SetEvent(HANDLE event)
{
    auto e = LookupHandleAs<KObject>(event, KObjectKind::Event);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(KernelLock());
    SignalLocked(*e);
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto e = LookupHandleAs<KObject>(event, KObjectKind::Event);
    if (!e) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(KernelLock());
    e->signaled = false;
    return TRUE;
}

DWORD WaitForObjectsInternal(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds,
                             const InputReadyFn& inputReady)
{
    using clock = std::chrono::steady_clock;
    if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles) || (count == 0 && !inputReady)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KObject>> objects;
    objects.reserve(count);
    for (DWORD i = 0; i < count; i++) {
        std::shared_ptr<KObject> o = LookupHandle(handles[i]);
        if (!o || !o->waitable) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(o));
    }
    CThreadData& self = CurrentThreadData();
    const bool forever = milliseconds == INFINITE;
    const clock::time_point deadline =
        forever ? clock::time_point::max() : clock::now() + std::chrono::milliseconds(milliseconds);
    bool registered = false;
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        {
            std::lock_guard<std::mutex> g(KernelLock());
            int i = objects.empty() ? -1 : CheckSignaled(objects, waitAll);
            if (i >= 0) {
                result = WAIT_OBJECT_0 + (DWORD)i;
                break;
            }
            if (!registered) {
                // Registered before the lock is left, so no signal is missed.
                for (auto& o : objects) o->waiters.push_back(&self);
                registered = true;
            }
        }
        std::unique_lock<std::mutex> l(self.lock);
        clock::time_point wakeBy = deadline;
        if (inputReady && inputReady(self, wakeBy)) {
            result = WAIT_OBJECT_0 + count;
            break;
        }
        if (!self.kicked) {
            if (clock::now() >= deadline) break;
            if (wakeBy == clock::time_point::max())
                self.wake.wait(l);
            else
                self.wake.wait_until(l, wakeBy);
        }
        self.kicked = false;
    }
    if (registered) {
        std::lock_guard<std::mutex> g(KernelLock());
        for (auto& o : objects) RemoveWaiter(*o, &self);
    }
    return result;
}

DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds)
{
    return WaitForObjectsInternal(1, &h, false, milliseconds, nullptr);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return WaitForObjectsInternal(count, handles, waitAll != 0, milliseconds, nullptr);
}

void InitializeCriticalSection(CRITICAL_SECTION* cs)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&cs->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

void DeleteCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_destroy(&cs->mutex); }
void EnterCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_lock(&cs->mutex); }
void LeaveCriticalSection(CRITICAL_SECTION* cs) { pthread_mutex_unlock(&cs->mutex); }
BOOL TryEnterCriticalSection(CRITICAL_SECTION* cs) { return pthread_mutex_trylock(&cs->mutex) == 0; }
