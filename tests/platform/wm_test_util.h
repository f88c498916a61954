#pragma once
// Helpers for the window-manager tests: visible windows at given places and
// a fixture that starts each test from an empty input queue.
#include <string>
#include <vector>

#include "platform/backend/headless_input.h"
#include "platform_test_util.h"

// A window whose procedure is the handler; class "WmTest" (with
// CS_DBLCLKS when asked). Shown without activation when visible.
inline void RegisterWmTestClasses()
{
    static ATOM plain = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = HandlerProc;
        wc.lpszClassName = "WmTest";
        return RegisterClass(&wc);
    }();
    static ATOM dbl = [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = HandlerProc;
        wc.lpszClassName = "WmTestDbl";
        return RegisterClass(&wc);
    }();
    (void)plain;
    (void)dbl;
}

inline HWND MakeAt(Handler* handler, DWORD style, RECT r, HWND parent = nullptr, DWORD ex = 0, bool dblclks = false)
{
    RegisterWmTestClasses();
    return CreateWindowEx(ex, dblclks ? "WmTestDbl" : "WmTest", "", style, r.left, r.top, r.right - r.left,
                          r.bottom - r.top, parent, nullptr, nullptr, handler);
}

// Records the messages a window gets (by name for the ones tests look at).
struct Recorder {
    struct Entry {
        HWND hwnd;
        UINT msg;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Entry> log;
    Handler Wrap(Handler inner = nullptr)
    {
        return [this, inner](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            log.push_back(Entry{h, m, w, l});
            if (inner) return inner(h, m, w, l);
            return DefWindowProc(h, m, w, l);
        };
    }
    std::vector<Entry> Of(UINT msg) const
    {
        std::vector<Entry> out;
        for (const Entry& e : log)
            if (e.msg == msg) out.push_back(e);
        return out;
    }
    void Clear() { log.clear(); }
};

class WmTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHeadlessInput();
        ClipCursor(nullptr);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        ReleaseCapture();
        ClipCursor(nullptr);
        ResetHeadlessInput();
        PumpUntilIdle();
    }
};
