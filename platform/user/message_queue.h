#pragma once
// A thread's message queue (internal to the platform layer). Every field is
// guarded by the owning thread's lock (CThreadData::lock).
#include "platform/types.h"
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct CThreadData;

// One cross-thread send. The sender waits for done; the fields result and done
// are guarded by the sender's lock.
struct CSentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<CThreadData> sender;
};

struct CQueueTimer {
    HWND hwnd;
    UINT_PTR id;
    DWORD elapse;
    TIMERPROC proc;
    uint64_t due;   // tick count
};

struct CMessageQueue {
    std::deque<std::shared_ptr<CSentMessage>> incoming;   // sends waiting to be served
    std::vector<std::shared_ptr<CSentMessage>> serving;   // sends being handled now
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<HWND> paint;   // windows that need painting, in order of invalidation
    std::vector<CQueueTimer> timers;
    std::vector<HWND> windows;   // windows this thread owns
    UINT changeBits = 0;         // input kinds that arrived since the thread last looked
};

// The window manager's share of a thread's end: its windows go, waiting sends
// complete with 0. Called once, without the thread's lock held.
void ShutDownMessageQueue(const std::shared_ptr<CThreadData>& thread);
