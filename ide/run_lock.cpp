// The run lock: an auto-reset event that is signalled while nobody holds it.
#include "ide/run_lock.h"

#include <atomic>

#include "interpreter/program.h"

namespace {
HANDLE LockEvent()
{
    static HANDLE h = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    return h;
}
std::atomic<int> g_held{0};
std::atomic<CProgram*> g_holder{nullptr};
}  // namespace

bool AcquireRunLock(CProgram* program)
{
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
            g_holder = program;
            g_held = 1;
            return true;
        }
        if (woke == WAIT_OBJECT_0 + 1 && !program->stopRequested) {
            // A stale wake-up: wait on the lock alone for this slice.
            if (WaitForSingleObject(lock, 50) == WAIT_OBJECT_0) {
                if (program->stopRequested) {
                    SetEvent(lock);
                    return false;
                }
                g_holder = program;
                g_held = 1;
                return true;
            }
        }
    }
}

void ReleaseRunLock()
{
    g_held = 0;
    g_holder = nullptr;
    SetEvent(LockEvent());
}

bool RunLockHeld() { return g_held.load() != 0; }

CProgram* RunLockHolder() { return g_holder.load(); }
