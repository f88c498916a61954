// The run lock: an auto-reset event that is signalled while nobody holds it.
#include "ide/run/run_lock.h"

#include <atomic>

#include "interpreter/program.h"

namespace {
HANDLE LockEvent()
{
    static HANDLE h = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    return h;
}
std::atomic<CProgram*> g_owner{nullptr};
std::atomic<int> g_waiters{0};

struct CWaiting {
    CWaiting() { ++g_waiters; }
    ~CWaiting() { --g_waiters; }
};
}  // namespace

bool AcquireRunLock(CProgram* program)
{
    const CWaiting waiting;
    HANDLE lock = LockEvent();
    for (;;) {
        if (program->stopRequested) return false;
        // The pause event is signalled by every stop; it may also be left set
        // by an earlier wake-up, so the wait is sliced as well.
        HANDLE handles[2] = {lock, program->pauseEvent};
        const DWORD woke = WaitForMultipleObjects(2, handles, FALSE, 50);
        if (woke == WAIT_OBJECT_0) {
            if (program->stopRequested) {
                SetEvent(lock);
                return false;
            }
            g_owner = program;
            return true;
        }
        if (woke == WAIT_OBJECT_0 + 1 && !program->stopRequested) {
            // A stale wake-up: wait on the lock alone for this slice.
            if (WaitForSingleObject(lock, 50) == WAIT_OBJECT_0) {
                if (program->stopRequested) {
                    SetEvent(lock);
                    return false;
                }
                g_owner = program;
                return true;
            }
        }
    }
}

void ReleaseRunLock(CProgram* program)
{
    CProgram* expected = program;
    if (g_owner.compare_exchange_strong(expected, nullptr)) SetEvent(LockEvent());
}

bool RunLockHeld() { return g_owner.load() != nullptr; }

CProgram* RunLockHolder() { return g_owner.load(); }

int RunLockWaiters() { return g_waiters.load(); }
