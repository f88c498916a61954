// Sending and posting, the per-thread queue, timers and registered messages.
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/window_styles.h"
#include "platform/user/input_internal.h"
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cctype>
#include <thread>
#include <unordered_map>

namespace {

using steady = std::chrono::steady_clock;

UINT KindOfPosted(UINT message)
{
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return QS_KEY;
    if (message == WM_MOUSEMOVE) return QS_MOUSEMOVE;
    if (message > WM_MOUSEFIRST && message <= WM_MOUSELAST) return QS_MOUSEBUTTON;
    return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
}

// Under the thread's lock: the kinds present now, and the next timer due.
UINT QueueStatusLocked(const CMessageQueue& q, uint64_t now, uint64_t* nextDue)
{
    UINT status = 0;
    if (!q.incoming.empty()) status |= QS_SENDMESSAGE;
    for (const MSG& m : q.posted) status |= KindOfPosted(m.message);
    if (q.quit) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (!q.paint.empty()) status |= QS_PAINT;
    status |= q.inputBits;
    uint64_t next = UINT64_MAX;
    for (const CQueueTimer& t : q.timers) {
        if (t.due <= now) status |= QS_TIMER;
        next = std::min(next, t.due);
    }
    if (nextDue) *nextDue = next;
    return status;
}

steady::time_point SteadyTimeOfTick(uint64_t due, uint64_t now)
{
    uint64_t wait = due > now ? due - now : 0;
    if (wait > 0x7FFFFFFFu) wait = 0x7FFFFFFFu;
    return steady::now() + std::chrono::milliseconds(wait);
}

// Output of a running program is a burst of sends from its thread. A thread
// that goes to sleep between two of them takes tens of microseconds to be
// woken on a busy machine, and a round trip pays that twice. So a thread in
// such a burst waits a moment for the next send before it sleeps, and a
// sender whose receiver was waiting for messages (so it answers at once)
// waits a moment for the answer. The wait spins briefly, then offers the CPU.
// How long it waits follows what the waits found: a wait that saw nothing
// halves the next one, down to a few microseconds, so that a thread whose
// partner has gone to compute stops spinning beside it; an arrival sets the
// next wait to four times what this one took (at most the full wait).
constexpr uint64_t kBurstSpinMaxNs = 30000;
constexpr uint64_t kBurstSpinMinNs = 3000;
constexpr uint64_t kBurstNs = 200000;   // a send served this recently: still in the burst
thread_local uint64_t t_burstSpinNs = kBurstSpinMaxNs;
thread_local uint64_t t_spinGaveUpNs = 0;   // when the last wait saw nothing (0: it did see something)

uint64_t NowNs()
{
    return (uint64_t)std::chrono::duration_cast<std::chrono::nanoseconds>(steady::now().time_since_epoch()).count();
}

// Called without the thread's lock: true when something arrived after `seen`.
bool SpinForArrival(const CMessageQueue& q, uint64_t seen)
{
    const uint64_t start = NowNs();
    const uint64_t budget = t_burstSpinNs;
    for (unsigned i = 1;; ++i) {
        if (q.arrivals.load(std::memory_order_acquire) != seen) {
            const uint64_t took = NowNs() - start;
            t_burstSpinNs = std::max(t_burstSpinNs, std::min(kBurstSpinMaxNs, std::max(kBurstSpinMinNs, 4 * took)));
            return true;
        }
        if (i <= 64) {
            // An answer from a thread on another CPU takes a few hundred cycles.
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
            continue;
        }
        const uint64_t now = NowNs();
        if (now - start >= budget) {
            t_burstSpinNs = std::max(kBurstSpinMinNs, budget / 2);
            t_spinGaveUpNs = now;
            return false;
        }
        std::this_thread::yield();
    }
}

// After a sleep: something that came soon after a wait gave up (within a
// wake-up's time) means the waits are too short for this partner; they
// double again.
void NoteWokenAfterSpin()
{
    if (!t_spinGaveUpNs) return;
    if (NowNs() - t_spinGaveUpNs < 100000) t_burstSpinNs = std::min(kBurstSpinMaxNs, 2 * t_burstSpinNs);
    t_spinGaveUpNs = 0;
}

// Serves the oldest incoming send. Called and returns with the lock held,
// but runs the procedure without it.
void ServeOneLocked(CThreadData& self, std::unique_lock<std::mutex>& lock)
{
    CMessageQueue& q = QueueOf(self);
    std::shared_ptr<CSentMessage> s = std::move(q.incoming.front());
    q.incoming.pop_front();
    q.serving.push_back(s);
    lock.unlock();
    LRESULT result = 0;
    WNDPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        CWindow* w = PeekWindowObjectLocked(s->hwnd);
        if (w && w->owner.get() == &self) proc = w->proc;
    }
    if (proc) result = proc(s->hwnd, s->message, s->wParam, s->lParam);
    lock.lock();
    auto it = std::find(q.serving.begin(), q.serving.end(), s);
    if (it != q.serving.end()) q.serving.erase(it);
    if (s->sender.get() != &self) q.servedAtNs = NowNs();
    lock.unlock();
    CompleteSend(std::move(s), result);
    lock.lock();
}

// A thread's send records, kept for its next sends: a send allocates none
// unless its record is still held elsewhere (an abandoned receiver's list).
thread_local std::vector<std::shared_ptr<CSentMessage>> t_spareSends;

LRESULT SendAcross(const std::shared_ptr<CThreadData>& target, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam)
{
    std::shared_ptr<CSentMessage> s;
    if (!t_spareSends.empty()) {
        s = std::move(t_spareSends.back());
        t_spareSends.pop_back();
        s->result = 0;
        s->done = false;
    } else {
        s = std::make_shared<CSentMessage>();
    }
    s->hwnd = hwnd;
    s->message = message;
    s->wParam = wParam;
    s->lParam = lParam;
    s->sender = CurrentThreadDataPtr();
    CThreadData& self = *s->sender;
    bool quick = false;   // the receiver was waiting for messages: it answers at once
    {
        CMessageQueue& tq = QueueOf(*target);
        std::lock_guard<std::mutex> g(target->lock);
        if (target->ended) return 0;
        tq.incoming.push_back(s);
        tq.changeBits |= QS_SENDMESSAGE;
        tq.arrivals.fetch_add(1, std::memory_order_release);
        quick = tq.waiting;
    }
    // After the unlock: a woken receiver does not find the lock still held.
    target->wake.notify_one();
    // While waiting, serve what other threads send to us, so that two
    // threads may send to each other.
    CMessageQueue& q = QueueOf(self);
    std::unique_lock<std::mutex> l(self.lock);
    while (!s->done) {
        if (!q.incoming.empty()) {
            ServeOneLocked(self, l);
            continue;
        }
        if (quick) {
            quick = false;
            const uint64_t seen = q.arrivals.load(std::memory_order_relaxed);
            l.unlock();
            SpinForArrival(q, seen);
            l.lock();
            continue;   // whatever came meanwhile is looked at under the lock
        }
        self.wake.wait(l);
        NoteWokenAfterSpin();
    }
    l.unlock();
    const LRESULT result = s->result;
    // Done was set under our lock, and the completer let go of its share
    // before that: one holder means nobody else can reach the record. A
    // record still held (by an abandoned receiver) keeps its sender.
    if (s.use_count() == 1 && t_spareSends.size() < 8) {
        // Whoever let go last is done with it before we write to it.
        std::atomic_thread_fence(std::memory_order_acquire);
        s->sender.reset();
        t_spareSends.push_back(std::move(s));
    }
    return result;
}

BOOL PostToThread(CThreadData& t, const MSG& msg)
{
    std::lock_guard<std::mutex> g(t.lock);
    if (t.ended) return FALSE;
    QueueOf(t).posted.push_back(msg);
    QueueOf(t).changeBits |= KindOfPosted(msg.message);
    QueueOf(t).arrivals.fetch_add(1, std::memory_order_release);
    t.wake.notify_one();
    return TRUE;
}

bool InRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

// Under the thread's lock (the window lock is taken inside).
bool MatchesWindow(HWND filter, HWND hwnd)
{
    if (!filter) return true;
    if (filter == HWND_THREAD_ONLY) return hwnd == nullptr;
    if (hwnd == filter) return true;
    if (!hwnd) return false;
    std::lock_guard<std::mutex> g(WindowLock());
    return IsSelfOrDescendantLocked(filter, hwnd);
}

// Under the thread's lock: parents paint before their children.
bool AncestorNeedsPaintLocked(const CMessageQueue& q, HWND hwnd)
{
    if (q.paint.size() < 2) return false;
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    for (int depth = 0; w && (w->style & WS_CHILD) && w->parent && depth < 1000; depth++) {
        if (std::find(q.paint.begin(), q.paint.end(), w->parent) != q.paint.end()) return true;
        w = FindWindowObjectLocked(w->parent);
    }
    return false;
}

MSG MakeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    return m;
}

// A waiting take that may also end after sends, or at a deadline.
struct WaitEnds {
    bool afterSends = false;
    uint64_t deadline = UINT64_MAX;   // tick
    bool served = false;
    bool timedOut = false;
};

// The common core of GetMessage and PeekMessage.
bool TakeMessage(MSG* out, HWND hwnd, UINT filterMin, UINT filterMax, UINT flags, bool wait, WaitEnds* ends = nullptr)
{
    CThreadData& self = CurrentThreadData();
    FlushHeldWindowDCs();
    const bool remove = (flags & PM_REMOVE) != 0;
    UINT kinds = flags >> 16;
    if (kinds == 0) kinds = QS_ALLINPUT | QS_ALLPOSTMESSAGE;
    std::unique_lock<std::mutex> l(self.lock);
    CMessageQueue& q = QueueOf(self);
    for (;;) {
        q.changeBits = 0;
        const uint64_t kicks = q.inputKicks;
        if (kinds & QS_SENDMESSAGE)
            while (!q.incoming.empty()) {
                ServeOneLocked(self, l);
                if (ends) ends->served = true;
            }
        if (self.ended && wait) {
            // An abandoned thread's loop ends as if told to quit.
            *out = MakeMsg(nullptr, WM_QUIT, 0, 0);
            return true;
        }
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!(KindOfPosted(it->message) & kinds)) continue;
            if (!InRange(it->message, filterMin, filterMax) || !MatchesWindow(hwnd, it->hwnd)) continue;
            *out = *it;
            if (remove) q.posted.erase(it);
            return true;
        }
        if ((kinds & QS_INPUT) && RawInputWaiting()) {
            l.unlock();
            bool got = TakeRawInput(out, hwnd, filterMin, filterMax, remove);
            l.lock();
            if (got) return true;
        } else if (kinds & QS_INPUT) {
            q.inputBits = 0;   // the raw queue emptied (reset, or taken elsewhere): nothing waits
        }
        if (q.quit && (kinds & QS_POSTMESSAGE)) {
            *out = MakeMsg(nullptr, WM_QUIT, (WPARAM)(intptr_t)q.quitCode, 0);
            if (remove) q.quit = false;
            return true;
        }
        if ((kinds & QS_PAINT) && InRange(WM_PAINT, filterMin, filterMax)) {
            for (HWND p : q.paint) {
                if (!MatchesWindow(hwnd, p) || AncestorNeedsPaintLocked(q, p)) continue;
                // Stays pending until the window is validated.
                *out = MakeMsg(p, WM_PAINT, 0, 0);
                return true;
            }
        }
        uint64_t now = GetTickCount64();
        if ((kinds & QS_TIMER) && InRange(WM_TIMER, filterMin, filterMax)) {
            for (CQueueTimer& t : q.timers) {
                if (t.due > now || !MatchesWindow(hwnd, t.hwnd)) continue;
                *out = MakeMsg(t.hwnd, WM_TIMER, (WPARAM)t.id, (LPARAM)t.proc);
                if (remove) t.due = now + t.elapse;   // missed periods coalesce
                return true;
            }
        }
        if (!wait) return false;
        if (q.inputKicks != kicks) continue;   // input turned up for us meanwhile
        // Anything posted, sent or invalidated while the lock was let go
        // above (taking raw input) woke nobody: look again before sleeping.
        if (q.changeBits) continue;
        if (ends && ends->afterSends && ends->served) return false;
        if (ends && now >= ends->deadline) {
            ends->timedOut = true;
            return false;
        }
        uint64_t nextDue = UINT64_MAX;
        QueueStatusLocked(q, now, &nextDue);
        if (ends) nextDue = std::min(nextDue, ends->deadline);
        if (uint64_t retry = TakeRawInputRetryTick()) nextDue = std::min(nextDue, retry);
        // The caret blinks while the thread waits for messages.
        CMessageQueue::Caret& caret = q.caret;
        if (caret.hwnd && caret.hideCount == 0 && caret.inPaint == 0 && !CaretBlinkFrozen()) {
            if (caret.nextBlink == 0) caret.nextBlink = now + caret.blinkTime;
            if (now >= caret.nextBlink) {
                l.unlock();
                CaretBlinkStep();
                l.lock();
                continue;
            }
            nextDue = std::min(nextDue, caret.nextBlink);
        }
        q.waiting = true;
        if (q.servedAtNs && NowNs() - q.servedAtNs < kBurstNs) {
            // In a burst of sends: the next one is likely on its way.
            q.servedAtNs = 0;
            const uint64_t seen = q.arrivals.load(std::memory_order_relaxed);
            l.unlock();
            SpinForArrival(q, seen);
            l.lock();
            q.waiting = false;
            continue;   // whatever came meanwhile is looked at under the lock
        }
        if (nextDue == UINT64_MAX)
            self.wake.wait(l);
        else
            self.wake.wait_until(l, SteadyTimeOfTick(nextDue, now));
        NoteWokenAfterSpin();
        q.waiting = false;
    }
}

struct RegisteredMessages {
    std::mutex lock;
    std::unordered_map<std::string, UINT> ids;
    UINT next = 0xC000;
};

RegisteredMessages& Registered()
{
    static RegisteredMessages* r = new RegisteredMessages;
    return *r;
}

std::atomic<UINT_PTR> g_nextThreadTimer{1};

}  // namespace

void CompleteSend(std::shared_ptr<CSentMessage> sent, LRESULT result)
{
    CThreadData& sender = *sent->sender;
    std::lock_guard<std::mutex> g(sender.lock);
    if (sent->done) return;
    // The sender holds its own share until it sees done under this lock, so
    // ours goes first: the sender may then reuse the record.
    CSentMessage* const record = sent.get();
    sent.reset();
    record->result = result;
    record->done = true;
    QueueOf(sender).arrivals.fetch_add(1, std::memory_order_release);
    sender.wake.notify_one();
}

CMessageQueue& MakeQueue(CThreadData& thread)
{
    auto* made = new CMessageQueue;
    CThreadState* expected = nullptr;
    if (thread.state.compare_exchange_strong(expected, made, std::memory_order_acq_rel)) return *made;
    delete made;   // another thread made it first
    return static_cast<CMessageQueue&>(*expected);
}

namespace {
// The kernel tells the window manager of every thread's end.
[[maybe_unused]] const bool g_endHookSet = (SetThreadEndHook(&ShutDownMessageQueue), true);
}  // namespace

void ShutDownMessageQueue(const std::shared_ptr<CThreadData>& thread)
{
    std::vector<std::shared_ptr<CSentMessage>> pending;
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> g(thread->lock);
        CMessageQueue& q = QueueOf(*thread);
        for (auto& s : q.incoming) pending.push_back(std::move(s));
        for (auto& s : q.serving) pending.push_back(s);   // an abandoned thread may be inside one
        q.incoming.clear();
        q.serving.clear();
        q.posted.clear();
        q.timers.clear();
        q.paint.clear();
        windows = q.windows;
    }
    // An abandoned thread asleep in GetMessage wakes and leaves its loop.
    thread->wake.notify_one();
    ForgetInputThread(*thread);
    ReleaseClipboardOfThread(thread->id);
    for (auto& s : pending) CompleteSend(std::move(s), 0);
    for (HWND h : windows)
        if (std::shared_ptr<CWindow> w = FindWindowObject(h)) RemoveWindow(w);
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CThreadData* self = &CurrentThreadData();
    std::shared_ptr<CThreadData> owner;
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        CWindow* w = PeekWindowObjectLocked(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->owner.get() == self) {
            proc = w->proc;
        } else {
            owner = w->owner;
            proc = nullptr;
        }
    }
    if (!owner) return proc ? proc(hwnd, msg, wParam, lParam) : 0;
    return SendAcross(owner, hwnd, msg, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd) return PostToThread(CurrentThreadData(), MakeMsg(nullptr, msg, wParam, lParam));
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w || !PostToThread(*w->owner, MakeMsg(hwnd, msg, wParam, lParam))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<CThreadData> t = FindThreadData(threadId);
    if (!t || !PostToThread(*t, MakeMsg(nullptr, msg, wParam, lParam))) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    QueueOf(self).quit = true;
    QueueOf(self).quitCode = exitCode;
    QueueOf(self).changeBits |= QS_POSTMESSAGE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg || (hwnd && hwnd != HWND_THREAD_ONLY && !FindWindowObject(hwnd))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    TakeMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE, true);
    return msg->message != WM_QUIT;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove)
{
    if (!msg) return FALSE;
    return TakeMessage(msg, hwnd, filterMin, filterMax, remove, false);
}

DWORD GetQueueStatus(UINT flags)
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    UINT status = QueueStatusLocked(QueueOf(self), GetTickCount64(), nullptr);
    UINT fresh = QueueOf(self).changeBits & flags;
    QueueOf(self).changeBits &= ~flags;
    return ((status & flags) << 16) | fresh;
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask,
                                  DWORD flags)
{
    const bool available = (flags & MWMO_INPUTAVAILABLE) != 0;
    InputReadyFn ready = [&](CThreadData& t, steady::time_point& wakeBy) {
        uint64_t now = GetTickCount64(), nextDue = UINT64_MAX;
        UINT status = QueueStatusLocked(QueueOf(t), now, &nextDue);
        if ((wakeMask & QS_TIMER) && nextDue != UINT64_MAX) wakeBy = std::min(wakeBy, SteadyTimeOfTick(nextDue, now));
        // A timer falling due counts as new input.
        UINT bits = available ? status : status & (QueueOf(t).changeBits | QS_TIMER);
        return (bits & wakeMask) != 0;
    };
    return WaitForObjectsInternal(count, handles, (flags & MWMO_WAITALL) != 0, milliseconds, ready);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask)
{
    return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, waitAll ? MWMO_WAITALL : 0);
}

CMessageWait WaitForMessageServingSends(DWORD milliseconds)
{
    WaitEnds ends;
    ends.afterSends = true;
    if (milliseconds != INFINITE) ends.deadline = GetTickCount64() + milliseconds;
    MSG m;
    if (TakeMessage(&m, nullptr, 0, 0, PM_NOREMOVE, true, &ends)) return CMessageWait::Message;
    return ends.timedOut ? CMessageWait::Timeout : CMessageWait::SendsServed;
}

BOOL WaitMessage()
{
    return MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0) == WAIT_OBJECT_0;
}

BOOL InSendMessage()
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    return !QueueOf(self).serving.empty();
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    // The text the back end reported for the press, one WM_CHAR per code
    // point (AltGr text included); else what the key gives on our layout.
    std::u32string text;
    if (!KeyTextOf(*msg, &text) || text.empty()) {
        UINT ch = CharFromVirtualKey((UINT)msg->wParam);
        if (msg->message == WM_SYSKEYDOWN && !ch && msg->wParam >= '0' && msg->wParam <= 'Z') {
            BYTE keys[256];
            GetKeyboardState(keys);
            ch = (keys[VK_SHIFT] & 0x80) || msg->wParam < 'A' ? (UINT)msg->wParam : (UINT)msg->wParam - 'A' + 'a';
        }
        if (ch) text.push_back((char32_t)ch);
    }
    if (text.empty()) return TRUE;
    // The characters come out next, before anything posted meanwhile.
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        MSG c = *msg;
        c.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        c.wParam = (WPARAM)*it;
        QueueOf(self).posted.push_front(c);
    }
    QueueOf(self).changeBits |= QS_KEY;
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        ((TIMERPROC)msg->lParam)(msg->hwnd, WM_TIMER, (UINT_PTR)msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) return 0;
    CThreadData* self = &CurrentThreadData();
    WNDPROC proc;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        std::shared_ptr<CWindow> w = FindWindowObjectLocked(msg->hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (w->owner.get() != self) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        proc = w->proc;
    }
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    std::shared_ptr<CThreadData> t;
    if (hwnd) {
        std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
        if (!w) return 0;
        t = w->owner;
    } else {
        t = CurrentThreadDataPtr();
    }
    if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
    if (elapse > 0x7FFFFFFFu) elapse = 0x7FFFFFFFu;
    uint64_t now = GetTickCount64();
    std::lock_guard<std::mutex> g(t->lock);
    if (t->ended) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto& timers = QueueOf(*t).timers;
    auto find = [&](UINT_PTR x) {
        return std::find_if(timers.begin(), timers.end(), [&](const CQueueTimer& c) { return c.hwnd == hwnd && c.id == x; });
    };
    auto it = (hwnd || id) ? find(id) : timers.end();
    if (it != timers.end()) {
        it->elapse = elapse;
        it->proc = proc;
        it->due = now + elapse;
    } else {
        if (!hwnd)
            do id = g_nextThreadTimer.fetch_add(1);
            while (find(id) != timers.end());
        timers.push_back(CQueueTimer{hwnd, id, elapse, proc, now + elapse});
    }
    // A thread waiting for messages recomputes when to wake.
    t->wake.notify_one();
    return hwnd && id == 0 ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    std::shared_ptr<CThreadData> t;
    if (hwnd) {
        std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
        if (!w) return FALSE;
        t = w->owner;
    } else {
        t = CurrentThreadDataPtr();
    }
    std::lock_guard<std::mutex> g(t->lock);
    auto& timers = QueueOf(*t).timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const CQueueTimer& c) { return c.hwnd == hwnd && c.id == id; });
    if (it == timers.end()) {
        SetLastError(ERROR_TIMER_NOT_FOUND);
        return FALSE;
    }
    timers.erase(it);
    return TRUE;
}

UINT RegisterWindowMessage(const char* name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string key(name);
    for (char& c : key) c = (char)std::tolower((unsigned char)c);
    RegisteredMessages& r = Registered();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.ids.find(key);
    if (it != r.ids.end()) return it->second;
    if (r.next > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    UINT id = r.next++;
    r.ids.emplace(std::move(key), id);
    return id;
}
