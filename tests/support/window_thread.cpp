// Test code on a window's own thread, through a wrapped window procedure.
#include "tests/support/window_thread.h"

#include <map>
#include <mutex>

#include "platform/user/user.h"

namespace {

constexpr UINT kRunHere = WM_APP + 0x3E71;

std::mutex g_lock;
// The window's own procedure, and how many calls have it wrapped now. The
// entry outlives the wrapping: the window's thread may have fetched the
// wrapper for a message just before it was taken off, and must still find
// the procedure to pass that message on (else the message is lost).
struct Wrapped {
    WNDPROC inner = nullptr;
    int depth = 0;
};
std::map<HWND, Wrapped> g_wrapped;

LRESULT WrappedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kRunHere && lParam) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    WNDPROC inner = nullptr;
    {
        std::lock_guard<std::mutex> g(g_lock);
        auto it = g_wrapped.find(hwnd);
        if (it != g_wrapped.end()) inner = it->second.inner;
    }
    return inner ? CallWindowProc(inner, hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

bool RunOnWindowThread(HWND window, const std::function<void()>& code)
{
    if (!IsWindow(window)) return false;
    std::unique_lock<std::mutex> g(g_lock);
    Wrapped& w = g_wrapped[window];
    if (w.depth == 0) {
        // A handle may be reused by a new window: read its procedure afresh.
        const WNDPROC current = (WNDPROC)GetWindowLongPtr(window, GWLP_WNDPROC);
        if (!current) return false;
        if (current != (WNDPROC)WrappedProc) w.inner = current;
        SetWindowLongPtr(window, GWLP_WNDPROC, (LONG_PTR)WrappedProc);
    }
    w.depth++;
    g.unlock();
    const bool ran = SendMessage(window, kRunHere, 0, (LPARAM)&code) == 1;
    g.lock();
    Wrapped& after = g_wrapped[window];
    if (--after.depth == 0 && IsWindow(window)) SetWindowLongPtr(window, GWLP_WNDPROC, (LONG_PTR)after.inner);
    return ran;
}
