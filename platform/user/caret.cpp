// Carets, one per thread. The caret shows by inverting its rectangle in the
// window's image; hiding nests and the window's painting hides it.
#include <atomic>

#include "platform/user/cursor.h"
#include "platform/user/geometry.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

namespace {

std::atomic<bool> g_frozen{false};
// Draws (inverts) the caret rectangle of a window; set by the drawing level.
std::atomic<void (*)(HWND, const RECT&, bool grey)> g_invert{nullptr};

RECT CaretRect(const CMessageQueue::Caret& c)
{
    int w = c.width > 0 ? c.width : GetSystemMetrics(SM_CXBORDER);
    int h = c.height > 0 ? c.height : GetSystemMetrics(SM_CYBORDER);
    return RECT{c.x, c.y, c.x + w, c.y + h};
}

bool Showing(const CMessageQueue::Caret& c) { return c.hwnd && c.hideCount == 0 && c.blinkOn && c.inPaint == 0; }

// The input method places its candidate window at the caret: tell the display
// where it is in the top-level window's image.
void TellBackendCaret(HWND hwnd, RECT r)
{
    HWND top;
    RECT topRect;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        top = TopLevelOfLocked(hwnd);
        auto t = FindWindowObjectLocked(top);
        if (!t || !t->surface) return;
        topRect = t->rect;
    }
    POINT o{0, 0};
    if (!ClientToScreen(hwnd, &o)) return;
    OffsetRect(&r, o.x - topRect.left, o.y - topRect.top);
    Backend().CaretChanged(top, r);
}

// Runs f on the caret under the lock; inverts before and after when the
// shown state or place changes.
template <class F>
BOOL ChangeCaret(F f)
{
    CThreadData& self = CurrentThreadData();
    CMessageQueue::Caret before, after;
    BOOL ok;
    {
        std::lock_guard<std::mutex> g(self.lock);
        before = QueueOf(self).caret;
        ok = f(QueueOf(self).caret);
        after = QueueOf(self).caret;
    }
    auto invert = g_invert.load();
    if (invert) {
        bool was = Showing(before), is = Showing(after);
        RECT rb = CaretRect(before), ra = CaretRect(after);
        bool same = before.hwnd == after.hwnd && EqualRect(&rb, &ra) && before.grey == after.grey;
        if (was && (!is || !same)) invert(before.hwnd, rb, before.grey);
        if (is && (!was || !same)) invert(after.hwnd, ra, after.grey);
    }
    RECT rb = CaretRect(before), ra = CaretRect(after);
    if (after.hwnd && (before.hwnd != after.hwnd || !EqualRect(&rb, &ra))) TellBackendCaret(after.hwnd, ra);
    return ok;
}

}  // namespace

void SetCaretInverter(void (*invert)(HWND, const RECT&, bool)) { g_invert = invert; }

BOOL CreateCaret(HWND hwnd, HBITMAP bitmap, int width, int height)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return ChangeCaret([&](CMessageQueue::Caret& c) {
        UINT blink = c.blinkTime;
        c = CMessageQueue::Caret{};
        c.blinkTime = blink;
        c.hwnd = hwnd;
        c.width = width;
        c.height = height;
        c.grey = bitmap == (HBITMAP)1;
        return TRUE;
    });
}

BOOL DestroyCaret()
{
    return ChangeCaret([&](CMessageQueue::Caret& c) {
        if (!c.hwnd) return FALSE;
        UINT blink = c.blinkTime;
        c = CMessageQueue::Caret{};
        c.blinkTime = blink;
        return TRUE;
    });
}

BOOL ShowCaret(HWND hwnd)
{
    return ChangeCaret([&](CMessageQueue::Caret& c) {
        if (!c.hwnd || (hwnd && hwnd != c.hwnd) || c.hideCount == 0) return FALSE;
        if (--c.hideCount == 0) {
            c.blinkOn = true;
            c.nextBlink = 0;
        }
        return TRUE;
    });
}

BOOL HideCaret(HWND hwnd)
{
    return ChangeCaret([&](CMessageQueue::Caret& c) {
        if (!c.hwnd || (hwnd && hwnd != c.hwnd)) return FALSE;
        c.hideCount++;
        return TRUE;
    });
}

BOOL SetCaretPos(int x, int y)
{
    return ChangeCaret([&](CMessageQueue::Caret& c) {
        if (!c.hwnd) return FALSE;
        c.x = x;
        c.y = y;
        c.blinkOn = true;
        c.nextBlink = 0;
        return TRUE;
    });
}

BOOL GetCaretPos(POINT* pt)
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    if (!pt || !QueueOf(self).caret.hwnd) return FALSE;
    *pt = POINT{QueueOf(self).caret.x, QueueOf(self).caret.y};
    return TRUE;
}

UINT GetCaretBlinkTime()
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    return QueueOf(self).caret.blinkTime;
}

BOOL SetCaretBlinkTime(UINT ms)
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    QueueOf(self).caret.blinkTime = ms ? ms : 530;
    return TRUE;
}

// Painting hides the caret from BeginPaint to EndPaint: any window of the
// thread may paint over it (a parent without WS_CLIPCHILDREN).
void CaretPaintHide(HWND, bool hide)
{
    ChangeCaret([&](CMessageQueue::Caret& c) {
        if (hide) c.inPaint++;
        else if (c.inPaint > 0) c.inPaint--;
        return TRUE;
    });
}

// One blink step for the calling thread; nothing when frozen.
void CaretBlinkStep()
{
    if (g_frozen) return;
    ChangeCaret([&](CMessageQueue::Caret& c) {
        if (c.hwnd && c.hideCount == 0) {
            c.blinkOn = !c.blinkOn;
            c.nextBlink = GetTickCount64() + c.blinkTime;
        }
        return TRUE;
    });
}

bool CaretOfThread(DWORD threadId, CaretState* state)
{
    std::shared_ptr<CThreadData> t = FindThreadData(threadId);
    if (!t || !state) return false;
    std::lock_guard<std::mutex> g(t->lock);
    const CMessageQueue::Caret& c = QueueOf(*t).caret;
    if (!c.hwnd) return false;
    *state = CaretState{c.hwnd, CaretRect(c), c.hideCount == 0, c.grey, c.blinkOn};
    return true;
}

bool CaretBlinkFrozen() { return g_frozen; }

void FreezeCaretBlink(bool freeze)
{
    g_frozen = freeze;
}
