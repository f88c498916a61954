#pragma once
// Events, waits on several objects and recursive critical sections.
#include "platform/types.h"
#include <pthread.h>

#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64u

// A named event shares one object with every other event of that name in the
// process; creating an existing one returns a new handle to it with last error
// ERROR_ALREADY_EXISTS. Names and the security argument are optional.
HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, const char* name);
HANDLE OpenEvent(DWORD access, BOOL inherit, const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

#define EVENT_ALL_ACCESS 0x1F0003u
#define SYNCHRONIZE 0x00100000u

// Waits that do not serve sent messages: a thread that other threads may
// send to should wait with MsgWaitForMultipleObjects instead.
DWORD WaitForSingleObject(HANDLE h, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Recursive lock; the owner may enter it again.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
void InitializeCriticalSection(CRITICAL_SECTION* cs);
void DeleteCriticalSection(CRITICAL_SECTION* cs);
void EnterCriticalSection(CRITICAL_SECTION* cs);
void LeaveCriticalSection(CRITICAL_SECTION* cs);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* cs);

class CCriticalSectionLock {
public:
    explicit CCriticalSectionLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CCriticalSectionLock() { LeaveCriticalSection(&m_cs); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};
