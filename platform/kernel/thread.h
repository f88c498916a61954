#pragma once
// Threads. No thread is ever killed: TerminateThread abandons it (see below).
#include "platform/types.h"

typedef DWORD (*LPTHREAD_START_ROUTINE)(void* parameter);

#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259u

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// stackSize 0 takes the system default. A thread created with
// CREATE_SUSPENDED waits at its start gate until ResumeThread. The new
// thread's message queue exists at once, so PostThreadMessage to its id works
// before it runs. The handle is signalled when the thread has ended.
HANDLE CreateThread(void* security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD flags, DWORD* threadId);

DWORD GetCurrentThreadId();
DWORD GetThreadId(HANDLE thread);
DWORD GetCurrentProcessId();

// STILL_ACTIVE while the thread runs, else its exit status. A thread may
// itself return 259, so IsThreadAlive is the test of "still running".
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
BOOL IsThreadAlive(HANDLE thread);
// Whether the thread's code has really returned. An abandoned thread is not
// alive, yet it may still run: what it uses may be freed only after this.
BOOL HasThreadFinished(HANDLE thread);

// Best effort: the value is kept and read back as set; the scheduler is
// asked for a matching nice value, which may be refused without privileges.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

// Suspension counts as usual (each returns the previous count, or
// 0xFFFFFFFF on failure). Before the thread has started, the count holds
// its start gate shut. Afterwards suspension is cooperative: the thread
// stops at its next ThreadSuspendPoint (a thread suspending itself stops
// at once).
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
void ThreadSuspendPoint();
// Whether the thread waits at its start gate or at a suspend point now (a
// suspension has taken hold).
BOOL IsThreadHeld(HANDLE thread);

// Abandons a thread: it is marked ended with the given exit code, its handle
// is signalled, its windows are destroyed, sends waiting for it complete
// with 0, and a thread still behind its start gate never runs. The thread
// itself is not stopped; what it uses stays alive until it really ends.
// A thread cannot abandon itself.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);

void Sleep(DWORD milliseconds);
