// The raw-input queue and its routing, capture, the cursor position and
// the asynchronous key state.
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>

namespace {

struct RawEvent {
    RawInput in;
    uint64_t serial = 0;
    DWORD time = 0;
    WPARAM mk = 0;                 // MK_* after this event
    bool alt = false, ctrl = false;
    bool repeat = false;
    bool altTap = false;           // an Alt release whose press came in the same focus
    // Resolution.
    bool resolved = false;
    HWND target = nullptr;
    int hit = HTCLIENT;
    std::shared_ptr<CThreadData> thread;
    std::vector<HWND> skip;        // answered HTTRANSPARENT
    CThreadData* resolving = nullptr;
};

struct InputState {
    std::mutex lock;
    std::deque<RawEvent> raw;
    uint64_t nextSerial = 1;
    BYTE async[256] = {};
    POINT cursor{0, 0};
    RECT clip{};
    bool clipOn = false;
    HWND capture = nullptr;
    // The thread that took the last input and has not asked again: nobody
    // else resolves the head meanwhile, so a press handler's SetCapture
    // catches the moves queued after it.
    std::weak_ptr<CThreadData> turn;
    uint64_t turnSince = 0;
    // Focus changes the desktop reported, and how many there were at the
    // last Alt press.
    uint64_t focusInCount = 0;
    uint64_t altDownAt = ~0ull;
};

// Whether the Alt release this thread took last was a tap (see RawEvent).
thread_local bool t_lastAltTap = false;

// A thread that took input and then blocks elsewhere for long does not hold
// up the others for good.
const uint64_t kTurnLimit = 500;
thread_local uint64_t t_retryAt = 0;

InputState& State()
{
    static auto* s = new InputState;
    return *s;
}

std::atomic<size_t> g_rawCount{0};

POINT ClampLocked(InputState& s, POINT p)
{
    if (!s.clipOn) return p;
    p.x = std::max(s.clip.left, std::min(p.x, s.clip.right - 1));
    p.y = std::max(s.clip.top, std::min(p.y, s.clip.bottom - 1));
    return p;
}

WPARAM MkFromLocked(const BYTE* k)
{
    WPARAM mk = 0;
    if (k[VK_LBUTTON] & 0x80) mk |= MK_LBUTTON;
    if (k[VK_RBUTTON] & 0x80) mk |= MK_RBUTTON;
    if (k[VK_MBUTTON] & 0x80) mk |= MK_MBUTTON;
    if (k[VK_SHIFT] & 0x80) mk |= MK_SHIFT;
    if (k[VK_CONTROL] & 0x80) mk |= MK_CONTROL;
    return mk;
}

void ApplyKey(BYTE* k, UINT vk, bool down)
{
    vk &= 0xFF;
    if (down) k[vk] = (BYTE)(0x80 | ((k[vk] & 1) ^ 1));
    else k[vk] &= (BYTE)~0x80;
    // The sided keys move the plain one as well.
    UINT plain = (vk == VK_LSHIFT || vk == VK_RSHIFT) ? VK_SHIFT
                 : (vk == VK_LCONTROL || vk == VK_RCONTROL) ? VK_CONTROL
                 : (vk == VK_LMENU || vk == VK_RMENU) ? VK_MENU : 0;
    if (plain) {
        if (down) k[plain] |= 0x80;
        else k[plain] &= (BYTE)~0x80;
    }
}

UINT ButtonMessage(UINT vk, RawKind kind)
{
    UINT base = vk == VK_RBUTTON ? WM_RBUTTONDOWN : vk == VK_MBUTTON ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    return kind == RawKind::ButtonDown ? base : base + 1;
}

std::shared_ptr<CThreadData> ForegroundThread(HWND* fg);

// Who should look at an unresolved head first (a hint; the real answer comes
// at resolution).
std::shared_ptr<CThreadData> LikelyThread(const RawEvent& e, HWND capture)
{
    switch (e.in.kind) {
    case RawKind::KeyDown:
    case RawKind::KeyUp:
    case RawKind::Wheel: {
        HWND fg;
        return ForegroundThread(&fg);
    }
    default: {
        if (capture) return OwnerOf(capture);
        HWND h = PointerWindowSkipping(e.in.pt, e.in.top, e.skip);
        return h ? OwnerOf(h) : nullptr;
    }
    }
}

HWND g_foreground = nullptr;   // guarded by State().lock

std::shared_ptr<CThreadData> ForegroundThread(HWND* fg)
{
    {
        std::lock_guard<std::mutex> g(State().lock);
        *fg = g_foreground;
    }
    return *fg ? OwnerOf(*fg) : nullptr;
}

// The focus window of the foreground thread, else its active window.
HWND KeyTarget()
{
    HWND fg;
    std::shared_ptr<CThreadData> t = ForegroundThread(&fg);
    if (!t) return nullptr;
    std::lock_guard<std::mutex> g(t->lock);
    if (QueueOf(*t).focus) return QueueOf(*t).focus;
    return QueueOf(*t).active ? QueueOf(*t).active : fg;
}

HWND DropTarget(POINT pt)
{
    HWND h = WindowUnderPointSkipping(pt, {});
    for (int i = 0; h && i < 1000; i++) {
        if (GetWindowLongPtr(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) return h;
        h = (GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr;
    }
    return nullptr;
}

bool MatchesFilter(HWND filter, HWND hwnd)
{
    if (!filter) return true;
    if (filter == HWND_THREAD_ONLY) return false;
    return hwnd == filter || IsChild(filter, hwnd);
}

struct Built {
    MSG msg;
    bool isClick = false;
};

Built BuildMessage(const RawEvent& e, const CMessageQueue::Click& last)
{
    Built b;
    MSG& m = b.msg;
    m = MSG{};
    m.hwnd = e.target;
    m.time = e.time;
    m.pt = e.in.pt;
    switch (e.in.kind) {
    case RawKind::KeyDown:
    case RawKind::KeyUp: {
        bool down = e.in.kind == RawKind::KeyDown;
        bool sys = (e.alt && !e.ctrl) || e.in.vk == VK_F10 || ((e.in.vk == VK_MENU || e.in.vk == VK_LMENU || e.in.vk == VK_RMENU) && !e.ctrl);
        m.message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        m.wParam = e.in.vk;
        DWORD lp = 1u | ((DWORD)(MapVirtualKeyScan(e.in.vk) & 0xFF) << 16);
        if (e.in.extended) lp |= 1u << 24;
        if (e.alt) lp |= 1u << 29;
        if (!down || e.repeat) lp |= 1u << 30;
        if (!down) lp |= 1u << 31;
        m.lParam = (LPARAM)lp;
        break;
    }
    case RawKind::Wheel:
        m.message = WM_MOUSEWHEEL;
        m.wParam = (WPARAM)(DWORD)MAKELONG((WORD)e.mk, (WORD)(SHORT)e.in.wheel);
        m.lParam = MakePointParam(e.in.pt.x, e.in.pt.y);
        break;
    case RawKind::Drop:
        m.message = WM_DROPFILES;
        break;
    default: {
        UINT msg = e.in.kind == RawKind::Move ? WM_MOUSEMOVE : ButtonMessage(e.in.vk, e.in.kind);
        if (e.in.kind == RawKind::ButtonDown) {
            b.isClick = true;
            bool dbl = e.hit != HTCLIENT || (GetClassLongStyle(e.target) & CS_DBLCLKS);
            int bx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, by = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
            if (dbl && last.hwnd == e.target && last.message == msg && e.time - last.time <= GetDoubleClickTime() &&
                std::abs(e.in.pt.x - last.pt.x) <= bx && std::abs(e.in.pt.y - last.pt.y) <= by)
                msg += 2;   // the double-click message follows the button-up one
        }
        if (e.hit == HTCLIENT) {
            POINT c = e.in.pt;
            ScreenToClient(e.target, &c);
            m.message = msg;
            m.wParam = e.mk;
            m.lParam = MakePointParam(c.x, c.y);
        } else {
            m.message = msg - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
            m.wParam = (WPARAM)(intptr_t)e.hit;
            m.lParam = MakePointParam(e.in.pt.x, e.in.pt.y);
        }
        break;
    }
    }
    return b;
}

// A click inside an MDI child frame that is not its client's active one
// activates that frame as a click in an inactive window would.
bool InInactiveChildFrame(HWND hwnd)
{
    for (int i = 0; hwnd && i < 1000; i++) {
        const LONG_PTR style = GetWindowLongPtr(hwnd, GWL_STYLE);
        if (!(style & WS_CHILD)) return false;
        HWND parent = GetParent(hwnd);
        if (GetWindowLongPtr(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD)
            return parent && (HWND)(intptr_t)SendMessage(parent, WM_MDIGETACTIVE, 0, 0) != hwnd;
        hwnd = parent;
    }
    return false;
}

}  // namespace



void KickThread(CThreadData& t, UINT bits)
{
    std::lock_guard<std::mutex> g(t.lock);
    QueueOf(t).inputBits |= bits;
    QueueOf(t).changeBits |= bits;
    QueueOf(t).inputKicks++;
    t.wake.notify_one();
}

static UINT BitsOf(RawKind k)
{
    switch (k) {
    case RawKind::KeyDown:
    case RawKind::KeyUp: return QS_KEY;
    case RawKind::Move: return QS_MOUSEMOVE;
    case RawKind::Drop: return QS_POSTMESSAGE;
    default: return QS_MOUSEBUTTON;
    }
}

void QueueRawInput(RawInput input)
{
    InputState& s = State();
    std::shared_ptr<CThreadData> hint;
    UINT bits = BitsOf(input.kind);
    {
        std::lock_guard<std::mutex> g(s.lock);
        RawEvent e;
        e.serial = s.nextSerial++;
        e.time = GetTickCount();
        if (input.kind == RawKind::KeyDown || input.kind == RawKind::KeyUp) {
            e.repeat = input.kind == RawKind::KeyDown && (s.async[input.vk & 0xFF] & 0x80);
            const bool alt = input.vk == VK_MENU || input.vk == VK_LMENU || input.vk == VK_RMENU;
            if (alt && input.kind == RawKind::KeyDown && !e.repeat) s.altDownAt = s.focusInCount;
            if (alt && input.kind == RawKind::KeyUp) e.altTap = (s.async[VK_MENU] & 0x80) && s.altDownAt == s.focusInCount;
            ApplyKey(s.async, input.vk, input.kind == RawKind::KeyDown);
            input.pt = s.cursor;
        } else if (input.kind == RawKind::Wheel) {
            input.pt = s.cursor;
        } else {
            input.pt = ClampLocked(s, input.pt);
            s.cursor = input.pt;
            if (input.kind == RawKind::ButtonDown || input.kind == RawKind::ButtonUp)
                ApplyKey(s.async, input.vk, input.kind == RawKind::ButtonDown);
        }
        e.mk = MkFromLocked(s.async);
        e.alt = (s.async[VK_MENU] & 0x80) != 0;
        e.ctrl = (s.async[VK_CONTROL] & 0x80) != 0;
        e.in = std::move(input);
        s.raw.push_back(std::move(e));
        g_rawCount = s.raw.size();
    }
    // Wake whoever may take the head.
    {
        HWND capture;
        RawEvent head;
        {
            std::lock_guard<std::mutex> g(s.lock);
            if (s.raw.empty()) return;
            head.in = s.raw.front().in;
            head.skip = s.raw.front().skip;
            capture = s.capture;
            if (auto t = s.turn.lock()) hint = t;
        }
        if (!hint) hint = LikelyThread(head, capture);
        if (!hint) {
            // Nothing under the point: some thread must still drop it, or
            // it would hold up the input behind it.
            HWND fg;
            hint = ForegroundThread(&fg);
        }
        if (hint) KickThread(*hint, bits);
    }
}

bool RawInputPending() { return g_rawCount.load() != 0; }
bool RawInputWaiting() { return g_rawCount.load() != 0; }

bool KeyTextOf(const MSG& msg, std::u32string* text)
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    const MSG& k = QueueOf(self).lastKey;
    if (k.hwnd != msg.hwnd || k.message != msg.message || k.wParam != msg.wParam || k.lParam != msg.lParam ||
        k.time != msg.time)
        return false;
    *text = QueueOf(self).lastKeyText;
    return true;
}

void ForgetInputThread(CThreadData& thread)
{
    InputState& s = State();
    std::shared_ptr<CThreadData> next;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (auto t = s.turn.lock(); t.get() == &thread) s.turn.reset();
        for (RawEvent& e : s.raw)
            if (e.resolving == &thread) e.resolving = nullptr;
        if (!s.raw.empty() && s.raw.front().thread.get() == &thread) {
            s.raw.front().resolved = false;
            s.raw.front().thread = nullptr;
        }
    }
}

bool TakeRawInput(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove)
{
    std::shared_ptr<CThreadData> self = CurrentThreadDataPtr();
    InputState& s = State();
    for (int rounds = 0; rounds < 256; rounds++) {
        RawEvent head;
        HWND capture;
        {
            std::lock_guard<std::mutex> g(s.lock);
            if (s.raw.empty()) break;
            std::shared_ptr<CThreadData> turn = s.turn.lock();
            if (turn && turn != self && GetTickCount64() - s.turnSince < kTurnLimit) {
                t_retryAt = s.turnSince + kTurnLimit;
                return false;
            }
            s.turn.reset();
            RawEvent& h = s.raw.front();
            if (h.resolving) return false;   // being resolved (maybe by us, re-entered)
            if (h.resolved && h.target && !IsWindow(h.target)) h.resolved = false;
            if (h.resolved) {
                if (h.thread != self) {
                    std::shared_ptr<CThreadData> t = h.thread;
                    UINT bits = BitsOf(h.in.kind);
                    s.lock.unlock();
                    KickThread(*t, bits);
                    s.lock.lock();
                    return false;
                }
                head = h;
            } else {
                h.resolving = self.get();
                head = h;
            }
            capture = s.capture;
        }
        if (head.resolved) {
            CMessageQueue::Click last;
            {
                std::lock_guard<std::mutex> g(self->lock);
                last = QueueOf(*self).lastClick;
            }
            Built b = BuildMessage(head, last);
            if (!MatchesFilter(filter, b.msg.hwnd)) return false;
            if (!((filterMin == 0 && filterMax == 0) || (b.msg.message >= filterMin && b.msg.message <= filterMax)))
                return false;
            if (head.in.kind == RawKind::Drop) {
                // The drop record is made when the message is taken.
                if (!remove) {
                    b.msg.wParam = 0;
                } else {
                    b.msg.wParam = (WPARAM)MakeDropRecord(head.in.files, head.in.pt, head.target);
                }
            }
            *out = b.msg;
            if (!remove) return true;
            {
                std::lock_guard<std::mutex> g(s.lock);
                if (s.raw.empty() || s.raw.front().serial != head.serial) continue;
                s.raw.pop_front();
                g_rawCount = s.raw.size();
                if (!s.raw.empty()) {
                    s.turn = self;
                    s.turnSince = GetTickCount64();
                }
            }
            std::lock_guard<std::mutex> g(self->lock);
            CMessageQueue& q = QueueOf(*self);
            switch (head.in.kind) {
            case RawKind::KeyDown:
            case RawKind::KeyUp:
                ApplyKey(q.keyState, head.in.vk, head.in.kind == RawKind::KeyDown);
                if (head.in.kind == RawKind::KeyUp) t_lastAltTap = head.altTap;
                if (head.in.kind == RawKind::KeyDown) {
                    q.lastKey = b.msg;
                    q.lastKeyText = head.in.text;
                }
                break;
            case RawKind::ButtonDown:
            case RawKind::ButtonUp:
                ApplyKey(q.keyState, head.in.vk, head.in.kind == RawKind::ButtonDown);
                break;
            default: break;
            }
            if (b.isClick) {
                UINT press = b.msg.message;
                bool wasDouble = (press >= WM_MOUSEFIRST && (press - WM_LBUTTONDOWN) % 3 == 2) ||
                                 (press >= WM_NCMOUSEMOVE && press <= WM_NCMBUTTONDBLCLK && (press - WM_NCLBUTTONDOWN) % 3 == 2);
                if (wasDouble)
                    q.lastClick = CMessageQueue::Click{};   // a third press is a press again
                else
                    q.lastClick = CMessageQueue::Click{head.target, ButtonMessage(head.in.vk, head.in.kind),
                                                       head.time, head.in.pt};
            }
            q.lastMessagePos = (DWORD)MAKELONG((WORD)(SHORT)head.in.pt.x, (WORD)(SHORT)head.in.pt.y);
            q.lastMessageTime = head.time;
            return true;
        }

        // Resolve the head: only the thread that owns the candidate asks it.
        HWND target = nullptr;
        int hit = HTCLIENT;
        bool drop = false;
        std::shared_ptr<CThreadData> other;
        bool transparent = false;
        switch (head.in.kind) {
        case RawKind::KeyDown:
        case RawKind::KeyUp:
        case RawKind::Wheel:
            target = KeyTarget();
            if (!target) drop = true;
            break;
        case RawKind::Drop:
            target = DropTarget(head.in.pt);
            if (!target) drop = true;
            break;
        default:
            if (capture && IsWindow(capture)) {
                target = capture;
                break;
            }
            target = PointerWindowSkipping(head.in.pt, head.in.top, head.skip);
            if (!target) {
                drop = true;
                break;
            }
            if (OwnerOf(target) != self) break;
            hit = (int)SendMessage(target, WM_NCHITTEST, 0, MakePointParam(head.in.pt.x, head.in.pt.y));
            if (hit == HTTRANSPARENT) transparent = true;
            break;
        }
        if (target && !drop) {
            std::shared_ptr<CThreadData> owner = OwnerOf(target);
            if (owner != self) other = owner;
        }
        bool eat = false;
        if (!drop && !other && !transparent && head.in.kind != RawKind::KeyDown && head.in.kind != RawKind::KeyUp &&
            head.in.kind != RawKind::Wheel && head.in.kind != RawKind::Drop && !(capture && target == capture)) {
            UINT msg = head.in.kind == RawKind::Move ? WM_MOUSEMOVE : ButtonMessage(head.in.vk, head.in.kind);
            if (head.in.kind == RawKind::ButtonDown) {
                HWND top = GetAncestor(target, GA_ROOT);
                if (top && (top != GetActiveWindow() || InInactiveChildFrame(target))) {
                    LRESULT ma = SendMessage(target, WM_MOUSEACTIVATE, (WPARAM)top, MAKELONG((WORD)hit, (WORD)msg));
                    if ((ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT) && IsWindow(top) && top != GetActiveWindow() &&
                        !(GetWindowLongPtr(top, GWL_EXSTYLE) & WS_EX_NOACTIVATE))
                        ActivateWindow(top, WA_CLICKACTIVE);
                    if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) eat = true;
                }
            }
            if (!eat && IsWindow(target)) SendMessage(target, WM_SETCURSOR, (WPARAM)target, MAKELONG((WORD)hit, (WORD)msg));
            if (!IsWindow(target)) transparent = true;   // gone: resolve again
        }
        {
            std::lock_guard<std::mutex> g(s.lock);
            if (s.raw.empty() || s.raw.front().serial != head.serial) continue;
            RawEvent& h = s.raw.front();
            h.resolving = nullptr;
            if (drop || eat) {
                s.raw.pop_front();
                g_rawCount = s.raw.size();
                continue;
            }
            if (other) {
                // Not ours: its owner resolves it.
                s.lock.unlock();
                KickThread(*other, BitsOf(head.in.kind));
                s.lock.lock();
                return false;
            }
            if (transparent) {
                if (target && IsWindow(target)) h.skip.push_back(target);
                continue;
            }
            h.resolved = true;
            h.target = target;
            h.hit = hit;
            h.thread = self;
        }
    }
    std::lock_guard<std::mutex> g(self->lock);
    QueueOf(*self).inputBits = 0;
    return false;
}

// ---- Capture ----

// The display grabs the pointer for the capture window's top-level surface.
static void TellBackendGrab(HWND capture)
{
    HWND top = nullptr;
    if (capture) {
        std::lock_guard<std::mutex> g(WindowLock());
        top = TopLevelOfLocked(capture);
    }
    Backend().GrabChanged(top);
}

HWND SetCapture(HWND hwnd)
{
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    InputState& s = State();
    HWND old;
    {
        std::lock_guard<std::mutex> g(s.lock);
        old = s.capture;
        s.capture = hwnd;
    }
    if (old != hwnd) TellBackendGrab(hwnd);
    if (old && old != hwnd && IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
    // The previous owner's answer is only returned to its own thread.
    return old && OwnerOf(old).get() == &CurrentThreadData() ? old : nullptr;
}

HWND GetCapture()
{
    HWND c;
    {
        std::lock_guard<std::mutex> g(State().lock);
        c = State().capture;
    }
    if (!c) return nullptr;
    std::shared_ptr<CThreadData> t = OwnerOf(c);
    return t.get() == &CurrentThreadData() ? c : nullptr;
}

BOOL ReleaseCapture()
{
    InputState& s = State();
    HWND old;
    {
        std::lock_guard<std::mutex> g(s.lock);
        old = s.capture;
    }
    if (!old) return TRUE;
    // Only the thread that holds the capture releases it.
    std::shared_ptr<CThreadData> owner = OwnerOf(old);
    if (owner && owner.get() != &CurrentThreadData()) return TRUE;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (s.capture != old) return TRUE;
        s.capture = nullptr;
    }
    TellBackendGrab(nullptr);
    if (IsWindow(old)) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

void ReportCaptureLost()
{
    InputState& s = State();
    HWND old;
    {
        std::lock_guard<std::mutex> g(s.lock);
        old = s.capture;
        s.capture = nullptr;
    }
    if (old && IsWindow(old)) PostMessage(old, WM_CAPTURECHANGED, 0, 0);
}

// ---- Cursor position ----

BOOL GetCursorPos(POINT* pt)
{
    if (!pt) return FALSE;
    std::lock_guard<std::mutex> g(State().lock);
    *pt = State().cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    InputState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    s.cursor = ClampLocked(s, POINT{x, y});
    return TRUE;
}

BOOL ClipCursor(const RECT* r)
{
    InputState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    if (!r || IsRectEmpty(r)) {
        s.clipOn = false;
        return TRUE;
    }
    s.clip = *r;
    s.clipOn = true;
    return TRUE;
}

BOOL GetClipCursor(RECT* r)
{
    if (!r) return FALSE;
    InputState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    *r = s.clipOn ? s.clip : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return TRUE;
}

DWORD GetMessagePos()
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    return QueueOf(self).lastMessagePos;
}

DWORD GetDoubleClickTime() { return 500; }

SHORT GetAsyncKeyState(int vk)
{
    if (vk < 0 || vk > 255) return 0;
    std::lock_guard<std::mutex> g(State().lock);
    return (State().async[vk] & 0x80) ? (SHORT)0x8000 : 0;
}

void SetForegroundInternal(HWND hwnd)
{
    std::lock_guard<std::mutex> g(State().lock);
    g_foreground = hwnd;
}

HWND GetForegroundWindow()
{
    std::lock_guard<std::mutex> g(State().lock);
    return g_foreground;
}

void ForgetForegroundAndCapture(HWND hwnd)
{
    InputState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    if (g_foreground == hwnd) g_foreground = nullptr;
    if (s.capture == hwnd) s.capture = nullptr;
    for (RawEvent& e : s.raw)
        if (e.target == hwnd) {
            e.resolved = false;
            e.thread = nullptr;
        }
}

void ResetInputForTest()
{
    InputState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    s.raw.clear();
    g_rawCount = 0;
    memset(s.async, 0, sizeof s.async);
    s.clipOn = false;
    s.capture = nullptr;
    s.turn.reset();
}

HWND CaptureWindowAnyThread()
{
    std::lock_guard<std::mutex> g(State().lock);
    return State().capture;
}

// A key the desktop delivered to a top-level window that is not in the
// foreground (another thread's window took it while the desktop kept the
// focus here): the foreground follows the desktop before the key is routed.
// Windows it owns (menus, popups, floating bars) keep it.
static void FollowKeyboardFocus(HWND hwnd)
{
    HWND top = GetAncestor(hwnd, GA_ROOT);
    if (!top || !IsWindowEnabled(top)) return;
    HWND fg = GetForegroundWindow();
    if (!fg || fg == top || !IsWindow(fg) || GetAncestor(fg, GA_ROOTOWNER) == GetAncestor(top, GA_ROOTOWNER)) return;
    SetForegroundInternal(top);
    PostMessage(top, WM_BACKEND_ACTIVATE, 0, 0);
}

// The window that takes the input meant for a disabled top-level window:
// a visible, enabled window it owns (its modal dialog; not a floating bar
// or another tool window).
static HWND EnabledPopupOf(HWND top)
{
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{top};
    EnumAllTopLevelWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* s = (Search*)p;
            if (h == s->owner || !IsWindowVisible(h) || !IsWindowEnabled(h)) return TRUE;
            if ((GetWindowLongPtr(h, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) return TRUE;   // menus, tips
            if (GetWindowLongPtr(h, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) return TRUE;
            for (HWND o = GetWindow(h, GW_OWNER); o; o = GetWindow(o, GW_OWNER))
                if (o == s->owner) {
                    s->found = h;
                    return FALSE;
                }
            return TRUE;
        },
        (LPARAM)&search);
    return search.found;
}

void ReconcileKeyState(const std::vector<UINT>& keysDown)
{
    BYTE real[256] = {};
    for (UINT vk : keysDown) real[vk & 0xFF] = 0x80;
    auto plainOf = [](UINT vk) -> UINT {
        switch (vk) {
        case VK_LSHIFT:
        case VK_RSHIFT: return VK_SHIFT;
        case VK_LCONTROL:
        case VK_RCONTROL: return VK_CONTROL;
        case VK_LMENU:
        case VK_RMENU: return VK_MENU;
        default: return 0;
        }
    };
    auto fix = [&](BYTE* k) {
        for (UINT vk = 1; vk < 256; vk++) {
            const UINT plain = plainOf(vk);
            // A sided key stays as we saw it while its plain key is really down.
            const bool down = plain ? (real[plain] && (k[vk] & 0x80)) || real[vk] : real[vk] != 0;
            k[vk] = (BYTE)((k[vk] & 1) | (down ? 0x80 : 0));
        }
    };
    {
        std::lock_guard<std::mutex> g(State().lock);
        fix(State().async);
    }
    // Every thread with windows: its key state is what GetKeyState answers.
    std::vector<std::shared_ptr<CThreadData>> threads;
    EnumAllTopLevelWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* out = (std::vector<std::shared_ptr<CThreadData>>*)p;
            if (std::shared_ptr<CThreadData> t = OwnerOf(h); t && std::find(out->begin(), out->end(), t) == out->end())
                out->push_back(t);
            return TRUE;
        },
        (LPARAM)&threads);
    for (const auto& t : threads) {
        std::lock_guard<std::mutex> g(t->lock);
        fix(QueueOf(*t).keyState);
    }
}

void ReportBackendEvent(BackendEvent e)
{
    switch (e.kind) {
    case BackendEventKind::Input:
        if (e.hwnd && (e.input.kind == RawKind::KeyDown || e.input.kind == RawKind::KeyUp)) FollowKeyboardFocus(e.hwnd);
        QueueRawInput(std::move(e.input));
        break;
    case BackendEventKind::Activate: {
        if (e.keysKnown) ReconcileKeyState(e.keysDown);
        {
            // Whatever was pressed before the focus moved, its release here is no tap.
            std::lock_guard<std::mutex> g(State().lock);
            State().focusInCount++;
        }
        HWND hwnd = e.hwnd;
        if (IsWindow(hwnd) && !IsWindowEnabled(hwnd)) {
            // A disabled window takes no input: its modal dialog gets the focus.
            hwnd = EnabledPopupOf(hwnd);
            if (!hwnd) break;
            Backend().FocusOnDesktop(hwnd);
        }
        PostMessage(hwnd, WM_BACKEND_ACTIVATE, 0, 0);
        break;
    }
    case BackendEventKind::Stacking: MirrorTopLevelOrder(e.order); break;
    case BackendEventKind::Close: PostMessage(e.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case BackendEventKind::Move:
        PostMessage(e.hwnd, WM_BACKEND_MOVE, (WPARAM)(DWORD)MAKELONG((WORD)(SHORT)e.rect.left, (WORD)(SHORT)e.rect.top),
                    (LPARAM)(DWORD)MAKELONG((WORD)(e.rect.right - e.rect.left), (WORD)(e.rect.bottom - e.rect.top)));
        break;
    case BackendEventKind::CaptureLost: ReportCaptureLost(); break;
    }
}

bool LastAltReleaseWasTap() { return t_lastAltTap; }

uint64_t TakeRawInputRetryTick()
{
    uint64_t t = t_retryAt;
    t_retryAt = 0;
    return t;
}
