// Test code on a window's own thread, through a wrapped window procedure.
#include "tests/support/window_thread.h"

#include <map>
#include <mutex>

#include "platform/user/user.h"

namespace {

constexpr UINT kRunHere = WM_APP + 0x3E71;

std::mutex g_lock;
std::map<HWND, WNDPROC> g_wrapped;

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
        if (it != g_wrapped.end()) inner = it->second;
    }
    return inner ? CallWindowProc(inner, hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

}  // namespace

bool RunOnWindowThread(HWND window, const std::function<void()>& code)
{
    if (!IsWindow(window)) return false;
    std::unique_lock<std::mutex> g(g_lock);
    const bool outer = !g_wrapped.count(window);
    if (outer) {
        const WNDPROC inner = (WNDPROC)GetWindowLongPtr(window, GWLP_WNDPROC);
        if (!inner) return false;
        g_wrapped[window] = inner;
        SetWindowLongPtr(window, GWLP_WNDPROC, (LONG_PTR)WrappedProc);
    }
    g.unlock();
    const bool ran = SendMessage(window, kRunHere, 0, (LPARAM)&code) == 1;
    if (outer) {
        g.lock();
        if (IsWindow(window)) SetWindowLongPtr(window, GWLP_WNDPROC, (LONG_PTR)g_wrapped[window]);
        g_wrapped.erase(window);
    }
    return ran;
}
