#pragma once
// Helpers for the platform tests: threads from lambdas and windows whose
// procedure is a lambda.
#include <functional>
#include <gtest/gtest.h>

#include "platform/kernel/kernel.h"
#include "platform/user/user.h"

typedef std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Handler;

inline LRESULT HandlerProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_NCCREATE) {
        const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
        SetWindowLongPtr(h, GWLP_USERDATA, (LONG_PTR)cs->lpCreateParams);
    }
    auto* fn = (Handler*)GetWindowLongPtr(h, GWLP_USERDATA);
    if (fn && *fn) return (*fn)(h, m, w, l);
    return DefWindowProc(h, m, w, l);
}

// A window of the calling thread; the handler must outlive it.
inline HWND MakeWindow(Handler* handler, HWND parent = nullptr)
{
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = HandlerProc;
        wc.lpszClassName = "PlatformTestWindow";
        return RegisterClass(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowEx(0, "PlatformTestWindow", "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                          parent, nullptr, nullptr, handler);
}

inline DWORD RunFunction(void* p)
{
    auto* fn = (std::function<DWORD()>*)p;
    DWORD r = (*fn)();
    delete fn;
    return r;
}

inline HANDLE StartThread(std::function<DWORD()> fn, DWORD flags = 0, SIZE_T stack = 0, DWORD* id = nullptr)
{
    return CreateThread(nullptr, stack, RunFunction, new std::function<DWORD()>(std::move(fn)), flags, id);
}

inline void JoinThread(HANDLE h)
{
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
    CloseHandle(h);
}

// Pumps the calling thread's queue until WM_QUIT.
inline void PumpUntilQuit()
{
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
}
