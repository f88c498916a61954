#pragma once
// A thread's message queue (internal to the platform layer), kept in the
// kernel's per-thread data. Every field is guarded by the owning thread's
// lock (CThreadData::lock).
#include "platform/kernel/thread_data.h"
#include "platform/types.h"
#include <cstdint>
#include <atomic>
#include <deque>
#include <string>
#include <memory>
#include <vector>

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

struct CMessageQueue final : CThreadState {
    std::deque<std::shared_ptr<CSentMessage>> incoming;   // sends waiting to be served
    std::vector<std::shared_ptr<CSentMessage>> serving;   // sends being handled now
    std::deque<MSG> posted;
    bool quit = false;
    int quitCode = 0;
    std::vector<HWND> paint;   // windows that need painting, in order of invalidation
    std::vector<CQueueTimer> timers;
    std::vector<HWND> windows;   // windows this thread owns
    UINT changeBits = 0;         // input kinds that arrived since the thread last looked
    // Bumped (under the lock) by every send, completed send and post for
    // this thread, so that a thread in a burst of sends can wait for the
    // next one without sleeping; read without the lock.
    std::atomic<uint64_t> arrivals{0};
    uint64_t servedAtNs = 0;     // when the last send from another thread was served (0: not in a burst)
    bool waiting = false;        // the thread waits in GetMessage: a send to it is served at once

    // Input state of the thread.
    UINT inputBits = 0;          // raw input may be waiting for this thread (QS_KEY, QS_MOUSE*)
    uint64_t inputKicks = 0;     // bumped whenever inputBits is set
    BYTE keyState[256] = {};     // as of the last input message taken
    HWND focus = nullptr;
    HWND active = nullptr;
    uint64_t focusSerial = 0;
    struct Click {
        HWND hwnd = nullptr;
        UINT message = 0;        // the press message it was
        DWORD time = 0;
        POINT pt{};
    } lastClick;
    MSG lastKey{};               // the last key press taken, and its text
    std::u32string lastKeyText;
    DWORD lastMessagePos = 0;
    DWORD lastMessageTime = 0;
    struct Caret {
        HWND hwnd = nullptr;
        int width = 0, height = 0;
        int x = 0, y = 0;
        int hideCount = 1;       // created hidden
        bool grey = false;
        bool blinkOn = true;     // the inverted phase is showing
        UINT blinkTime = 530;
        int inPaint = 0;         // hidden while a window of the thread paints
        uint64_t nextBlink = 0;  // tick of the next blink step (0: from now)
    } caret;
};

// The thread's queue, made on first use.
CMessageQueue& MakeQueue(CThreadData& thread);
inline CMessageQueue& QueueOf(CThreadData& thread)
{
    if (CThreadState* s = thread.state.load(std::memory_order_acquire)) return static_cast<CMessageQueue&>(*s);
    return MakeQueue(thread);
}

// The window manager's share of a thread's end: its windows go, waiting sends
// complete with 0. Called once, without the thread's lock held.
void ShutDownMessageQueue(const std::shared_ptr<CThreadData>& thread);
