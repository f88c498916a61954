// Focus and activation, per thread.
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

HWND GetFocus()
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    return QueueOf(self).focus;
}

HWND GetActiveWindow()
{
    CThreadData& self = CurrentThreadData();
    std::lock_guard<std::mutex> g(self.lock);
    return QueueOf(self).active;
}

HWND SetFocus(HWND hwnd)
{
    CThreadData& self = CurrentThreadData();
    if (hwnd) {
        std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
        if (!w) return nullptr;
        if (w->owner.get() != &self) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        // Focus goes with activation of its top-level window, unless that
        // window never activates.
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top && top != GetActiveWindow() && !(GetWindowLongPtr(top, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) {
            SetActiveWindow(top);
            if (!IsWindow(hwnd)) return nullptr;
        }
    }
    HWND old;
    uint64_t serial;
    {
        std::lock_guard<std::mutex> g(self.lock);
        old = QueueOf(self).focus;
        if (old == hwnd) return old;
        serial = ++QueueOf(self).focusSerial;
        // The old window has lost the focus before it hears so: a nested
        // change inside its WM_KILLFOCUS does not tell it again.
        QueueOf(self).focus = nullptr;
    }
    if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    {
        std::lock_guard<std::mutex> g(self.lock);
        // A handler moved the focus itself: its change stands.
        if (QueueOf(self).focusSerial != serial) return old;
        if (hwnd && !FindWindowObject(hwnd)) return old;
        QueueOf(self).focus = hwnd;
    }
    if (hwnd) SendMessage(hwnd, WM_SETFOCUS, (WPARAM)(old && IsWindow(old) ? old : nullptr), 0);
    return old;
}

HWND SetActiveWindow(HWND hwnd) { return ActivateWindow(hwnd, WA_ACTIVE); }

HWND ActivateWindow(HWND hwnd, WPARAM how)
{
    CThreadData& self = CurrentThreadData();
    if (hwnd) {
        std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
        if (!w) return nullptr;
        if (w->owner.get() != &self) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        hwnd = GetAncestor(hwnd, GA_ROOT);
    }
    HWND old;
    {
        std::lock_guard<std::mutex> g(self.lock);
        old = QueueOf(self).active;
        if (old == hwnd) return old;
        QueueOf(self).active = hwnd;
    }
    if (old && IsWindow(old)) {
        SendMessage(old, WM_NCACTIVATE, FALSE, 0);
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, (LPARAM)hwnd);
    }
    if (GetActiveWindow() != hwnd) return old;   // a handler changed it again
    if (hwnd) {
        SetForegroundInternal(hwnd);
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessage(hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessage(hwnd, WM_ACTIVATE, how, (LPARAM)(old && IsWindow(old) ? old : nullptr));
    } else {
        HWND focus = GetFocus();
        if (focus) SetFocus(nullptr);
    }
    return old;
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!IsWindow(hwnd)) return FALSE;
    if (OwnerOf(hwnd).get() == &CurrentThreadData()) {
        SetActiveWindow(hwnd);
        // Already this thread's active window while another thread's window
        // has the foreground: activation changes nothing, the foreground must.
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top && GetActiveWindow() == top && GetForegroundWindow() != top) SetForegroundInternal(top);
    } else
        SetForegroundInternal(GetAncestor(hwnd, GA_ROOT));
    // Never from another application: there the desktop keeps its focus.
    if (HWND top = GetAncestor(hwnd, GA_ROOT); top && GetForegroundWindow() == top && DesktopFocusIsOurs())
        Backend().FocusOnDesktop(top);
    return TRUE;
}

BOOL DesktopFocusIsOurs() { return Backend().DesktopFocusIsOurs(); }

void WantKeys(HWND hwnd)
{
    if (HWND top = GetAncestor(hwnd, GA_ROOT)) Backend().WantsKeys(top);
}

void ForgetWindowInput(HWND hwnd, CThreadData& owner)
{
    {
        std::lock_guard<std::mutex> g(owner.lock);
        CMessageQueue& q = QueueOf(owner);
        if (q.focus == hwnd) {
            q.focus = nullptr;
            q.focusSerial++;
        }
        if (q.active == hwnd) q.active = nullptr;
        if (q.lastClick.hwnd == hwnd) q.lastClick = CMessageQueue::Click{};
        if (q.caret.hwnd == hwnd) q.caret = CMessageQueue::Caret{};
    }
    ForgetForegroundAndCapture(hwnd);
}

HWND FocusOfThread(DWORD threadId)
{
    std::shared_ptr<CThreadData> t = FindThreadData(threadId);
    if (!t) return nullptr;
    std::lock_guard<std::mutex> g(t->lock);
    return QueueOf(*t).focus;
}
