#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "platform_test_util.h"

namespace {

const UINT MSG_PING = WM_USER + 1;
const UINT MSG_PONG = WM_USER + 2;
const UINT MSG_MARK = WM_USER + 3;

// Runs a thread that owns one window with the given handler and pumps until
// WM_QUIT; the window handle is ready when the constructor returns.
struct WindowThread {
    explicit WindowThread(Handler h) : handler(std::move(h))
    {
        HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
        thread = StartThread(
            [this, ready] {
                hwnd = MakeWindow(&handler);
                SetEvent(ready);
                PumpUntilQuit();
                return 0u;
            },
            0, 0, &id);
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }
    ~WindowThread()
    {
        PostThreadMessage(id, WM_QUIT, 0, 0);
        PostMessage(hwnd, WM_CLOSE, 0, 0);
        JoinThread(thread);
    }
    Handler handler;
    HANDLE thread = nullptr;
    DWORD id = 0;
    HWND hwnd = nullptr;
};

struct FakeClock {
    static inline std::atomic<uint64_t> now{1000000};
    static uint64_t Read() { return now; }
    FakeClock() { SetTickSource(Read); }
    ~FakeClock() { SetTickSource(nullptr); }
};

std::vector<MSG> Drain(HWND filter = nullptr)
{
    std::vector<MSG> out;
    MSG m;
    while (PeekMessage(&m, filter, 0, 0, PM_REMOVE)) {
        out.push_back(m);
        if (m.message == WM_PAINT) DispatchMessage(&m);
    }
    return out;
}

}  // namespace

TEST(SendMessage, SameThreadIsADirectCallCrossThreadRunsOnTheOwner)
{
    DWORD seenOn = 0;
    Handler here = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == MSG_PING) {
            seenOn = GetCurrentThreadId();
            return (LRESULT)w * 3;
        }
        return DefWindowProc(h, m, w, l);
    };
    HWND mine = MakeWindow(&here);
    EXPECT_EQ(SendMessage(mine, MSG_PING, 5, 0), 15);
    EXPECT_EQ(seenOn, GetCurrentThreadId());
    EXPECT_FALSE(InSendMessage());

    std::atomic<DWORD> remoteOn{0};
    std::atomic<bool> inSend{false};
    WindowThread other([&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == MSG_PING) {
            remoteOn = GetCurrentThreadId();
            inSend = InSendMessage();
            return (LRESULT)w + 1;
        }
        return DefWindowProc(h, m, w, l);
    });
    EXPECT_EQ(SendMessage(other.hwnd, MSG_PING, 41, 0), 42);
    EXPECT_EQ(remoteOn, other.id);
    EXPECT_TRUE(inSend);
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(other.hwnd, &pid), other.id);
    EXPECT_EQ(pid, GetCurrentProcessId());
    DestroyWindow(mine);
}

TEST(SendMessage, TwoThreadsSendingToEachOtherDoNotDeadlock)
{
    HWND home = nullptr;
    HWND away = nullptr;
    // Each ping n makes the other side ping back with n - 1, nesting sends
    // in both directions.
    Handler homeHandler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == MSG_PING) return w == 0 ? 1000 : SendMessage(away, MSG_PING, w - 1, 0) + 1;
        return DefWindowProc(h, m, w, l);
    };
    home = MakeWindow(&homeHandler);
    WindowThread other([&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == MSG_PING) return w == 0 ? 2000 : SendMessage(home, MSG_PING, w - 1, 0) + 1;
        return DefWindowProc(h, m, w, l);
    });
    away = other.hwnd;
    EXPECT_EQ(SendMessage(away, MSG_PING, 0, 0), 2000);
    EXPECT_EQ(SendMessage(away, MSG_PING, 1, 0), 1001);
    EXPECT_EQ(SendMessage(away, MSG_PING, 9, 0), 1009);
    EXPECT_EQ(SendMessage(away, MSG_PING, 10, 0), 2010);
    DestroyWindow(home);
}

TEST(MessageQueue, SentFirstThenPostedFifoThenQuitPaintTimer)
{
    FakeClock clock;
    std::vector<std::string> order;
    Handler handler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == MSG_MARK) order.push_back("sent" + std::to_string(w));
        return DefWindowProc(h, m, w, l);
    };
    HWND hwnd = MakeWindow(&handler);
    SetTimer(hwnd, 7, 100, nullptr);
    FakeClock::now += 100;
    InvalidateRect(hwnd, nullptr, TRUE);
    PostQuitMessage(4);
    for (WPARAM i = 1; i <= 3; i++) PostMessage(hwnd, MSG_MARK, i, 0);
    PostThreadMessage(GetCurrentThreadId(), MSG_MARK, 4, 0);

    // A send from another thread waits in the queue; it is served before
    // any posted message comes out.
    HANDLE sender = StartThread([hwnd] { return (DWORD)SendMessage(hwnd, MSG_MARK, 0, 0); });
    ASSERT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0);

    MSG m;
    for (WPARAM i = 1; i <= 4; i++) {
        ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
        if (i == 1) {
            ASSERT_EQ(order.size(), 1u);
            EXPECT_EQ(order[0], "sent0");
        }
        EXPECT_EQ(m.message, MSG_MARK);
        EXPECT_EQ(m.wParam, i);
        EXPECT_EQ(m.hwnd, i == 4 ? nullptr : hwnd);
    }
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 4u);
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    // Painting is pending until the window is validated.
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    DispatchMessage(&m);
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    JoinThread(sender);
    DestroyWindow(hwnd);
}

TEST(MessageQueue, FiltersAndNoRemove)
{
    Handler none;
    HWND a = MakeWindow(&none);
    HWND b = MakeWindow(&none);
    HWND child = MakeWindow(&none, a);
    PostMessage(b, MSG_PING, 1, 0);
    PostMessage(child, MSG_PONG, 2, 0);
    PostMessage(nullptr, MSG_MARK, 3, 0);
    PostMessage(a, WM_KEYDOWN, 'A', 0);
    MSG m;
    // The window filter takes the window's children too.
    ASSERT_TRUE(PeekMessage(&m, a, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, child);
    ASSERT_TRUE(PeekMessage(&m, a, 0, 0, PM_NOREMOVE));   // still there
    EXPECT_EQ(m.hwnd, child);
    ASSERT_TRUE(PeekMessage(&m, HWND_THREAD_ONLY, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, MSG_MARK);
    ASSERT_TRUE(PeekMessage(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_QS_INPUT | PM_REMOVE) == FALSE);
    ASSERT_TRUE(PeekMessage(&m, nullptr, MSG_PONG, MSG_PONG, PM_REMOVE));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, b);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    // WM_QUIT passes every filter; GetMessage returns 0 for it.
    PostQuitMessage(6);
    EXPECT_EQ(GetMessage(&m, b, MSG_PING, MSG_PING), 0);
    EXPECT_EQ(m.wParam, 6u);
    DestroyWindow(a);
    EXPECT_FALSE(IsWindow(child));
    DestroyWindow(b);
}

TEST(Timers, SettingAnIdAgainRestartsAndMissedPeriodsCoalesce)
{
    FakeClock clock;
    Handler none;
    HWND hwnd = MakeWindow(&none);
    MSG m;
    EXPECT_EQ(SetTimer(hwnd, 1, 100, nullptr), 1u);
    FakeClock::now += 60;
    SetTimer(hwnd, 1, 100, nullptr);   // restart: due 100 from now
    FakeClock::now += 60;
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    FakeClock::now += 40;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    // Ten periods pass unattended: one WM_TIMER, and NOREMOVE keeps it due.
    FakeClock::now += 1000;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(KillTimer(hwnd, 1));
    EXPECT_FALSE(KillTimer(hwnd, 1));
    FakeClock::now += 1000;
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));

    // Thread timers get fresh ids and call their procedure on dispatch.
    static int calls;
    calls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { calls++; });
    UINT_PTR id2 = SetTimer(nullptr, 0, 50, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, id2);
    FakeClock::now += 50;
    for (MSG x : Drain()) DispatchMessage(&x);
    EXPECT_EQ(calls, 1);
    KillTimer(nullptr, id);
    KillTimer(nullptr, id2);
    // A destroyed window's timers go with it.
    SetTimer(hwnd, 2, 10, nullptr);
    DestroyWindow(hwnd);
    FakeClock::now += 100;
    EXPECT_FALSE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST(Timers, GetMessageWakesForADueTimer)
{
    Handler none;
    HWND hwnd = MakeWindow(&none);
    SetTimer(hwnd, 3, 10, nullptr);
    MSG m;
    ASSERT_TRUE(GetMessage(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, WM_TIMER);
    DestroyWindow(hwnd);
}

TEST(Windows, StaleAndBogusHandlesAreSafe)
{
    Handler none;
    HWND h = MakeWindow(&none);
    ASSERT_TRUE(IsWindow(h));
    ASSERT_TRUE(DestroyWindow(h));
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessage(h, MSG_PING, 0, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessage(h, MSG_PING, 0, 0));
    EXPECT_FALSE(DestroyWindow(h));
    HWND again = MakeWindow(&none);
    EXPECT_NE(again, h);   // the slot is reused, the handle never
    EXPECT_FALSE(IsWindow(h));
    for (uintptr_t bogus : {(uintptr_t)0, (uintptr_t)1, (uintptr_t)0xFFFFFFFF, (uintptr_t)-1, (uintptr_t)0x7777000000001234})
        EXPECT_FALSE(IsWindow((HWND)bogus)) << bogus;
    DestroyWindow(again);
}

TEST(Windows, CreationDestructionAndAttributes)
{
    std::vector<std::string> log;
    int createParam = 0;
    Handler parentH = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_NCCREATE) log.push_back("p-nccreate");
        if (m == WM_CREATE) {
            const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
            createParam = cs->cx;
            log.push_back("p-create");
        }
        if (m == WM_DESTROY) log.push_back("p-destroy");
        if (m == WM_NCDESTROY) log.push_back("p-ncdestroy");
        return DefWindowProc(h, m, w, l);
    };
    Handler childH = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DESTROY) log.push_back("c-destroy");
        if (m == WM_NCDESTROY) log.push_back("c-ncdestroy");
        return DefWindowProc(h, m, w, l);
    };
    HWND parent = MakeWindow(&parentH);
    HWND child = MakeWindow(&childH, parent);
    EXPECT_EQ(createParam, 100);
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_TRUE(IsChild(parent, child));
    EXPECT_FALSE(IsChild(child, parent));
    EXPECT_EQ(GetWindowLongPtr(child, GWL_STYLE) & WS_CHILD, (LONG_PTR)WS_CHILD);
    EXPECT_EQ(GetWindowLongPtr(parent, 0), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    // Only top-level windows are enumerated.
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM l) {
        ((std::vector<HWND>*)l)->push_back(h);
        return TRUE;
    }, (LPARAM)&found);
    EXPECT_EQ(found, std::vector<HWND>{parent});

    // Another thread may read the text but not destroy the window.
    SetWindowText(parent, "Veldra");
    char text[4] = "";
    BOOL destroyed = TRUE;
    HANDLE t = StartThread([&] {
        destroyed = DestroyWindow(parent);
        return (DWORD)GetWindowText(parent, text, sizeof text);
    });
    MSG m;
    while (MsgWaitForMultipleObjects(1, &t, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0)
        PeekMessage(&m, nullptr, 0, 0, PM_REMOVE);
    DWORD copied = 0;
    GetExitCodeThread(t, &copied);
    CloseHandle(t);
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(copied, 3u);
    EXPECT_STREQ(text, "Vel");
    EXPECT_EQ(GetWindowTextLength(parent), 6);

    log.clear();
    SendMessage(parent, WM_CLOSE, 0, 0);   // the default closes by destroying
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(log, (std::vector<std::string>{"p-destroy", "c-destroy", "c-ncdestroy", "p-ncdestroy"}));

    // WM_CREATE answering -1 fails the creation.
    Handler refuse = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProc(h, m, w, l);
    };
    EXPECT_EQ(MakeWindow(&refuse), nullptr);
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST(Windows, DestroyCompletesAPendingSendWithZero)
{
    HANDLE sent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> handled{false};
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == MSG_PING) handled = true;
        return DefWindowProc(w, m, wp, lp);
    };
    HWND hwnd = MakeWindow(&h);
    HANDLE sender = StartThread([hwnd] { return (DWORD)SendMessage(hwnd, MSG_PING, 0, 0) + 100; });
    // The send is in our queue; a plain wait does not serve it.
    ASSERT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(sent, 10), WAIT_TIMEOUT);
    EXPECT_FALSE(handled);
    DestroyWindow(hwnd);
    EXPECT_EQ(WaitForSingleObject(sender, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(sender, &code);
    EXPECT_EQ(code, 100u);
    EXPECT_FALSE(handled);
    CloseHandle(sender);
    CloseHandle(sent);
}

TEST(Windows, AnEndedThreadsWindowsAndPendingSendsGiveZero)
{
    Handler none;
    HWND orphan = nullptr;
    DWORD id = 0;
    HANDLE t = StartThread(
        [&] {
            orphan = MakeWindow(&none);
            return 0u;
        },
        0, 0, &id);
    JoinThread(t);
    EXPECT_FALSE(IsWindow(orphan));
    EXPECT_EQ(SendMessage(orphan, MSG_PING, 0, 0), 0);
    EXPECT_FALSE(PostThreadMessage(id, MSG_PING, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);

    // The owner ends while a send waits in its queue.
    HWND target = nullptr;
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    t = StartThread([&] {
        target = MakeWindow(&none);
        SetEvent(ready);
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        return 0u;   // ends without serving it
    });
    WaitForSingleObject(ready, INFINITE);
    EXPECT_EQ(SendMessage(target, MSG_PING, 0, 0), 0);
    JoinThread(t);

    // An abandoned thread blocked in a plain wait: sends to its window come back.
    HANDLE never = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(ready);
    t = StartThread([&] {
        target = MakeWindow(&none);
        SetEvent(ready);
        WaitForSingleObject(never, INFINITE);
        return 0u;
    });
    WaitForSingleObject(ready, INFINITE);
    HANDLE sender = StartThread([target] { return (DWORD)SendMessage(target, MSG_PING, 0, 0) + 1; });
    TerminateThread(t, 5);
    EXPECT_EQ(WaitForSingleObject(sender, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(sender, &code);
    EXPECT_EQ(code, 1u);
    EXPECT_FALSE(IsWindow(target));
    CloseHandle(sender);
    SetEvent(never);   // let it really end
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    CloseHandle(never);
    CloseHandle(ready);
}

TEST(SendMessage, ASendAnsweredByAnAbandonedThreadLateLeavesLaterSendsTheirAnswers)
{
    WindowThread echo([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == MSG_PING ? (LRESULT)w + 1 : DefWindowProc(h, m, w, l);
    });
    HANDLE inside = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    Handler stuckHandler = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m != MSG_PING) return DefWindowProc(h, m, w, l);
        SetEvent(inside);
        WaitForSingleObject(release, INFINITE);
        return 7;
    };
    HWND stuck = nullptr;
    HANDLE t = StartThread([&] {
        stuck = MakeWindow(&stuckHandler);
        SetEvent(ready);
        MSG m;
        GetMessage(&m, nullptr, 0, 0);   // serves the send, then sees the thread ended
        return 0u;
    });
    WaitForSingleObject(ready, INFINITE);
    const HWND away = echo.hwnd;
    // The first send is cut short when its receiver is abandoned; the
    // receiver finishes it only while the sender goes on sending elsewhere.
    HANDLE sender = StartThread([stuck, away] {
        DWORD wrong = SendMessage(stuck, MSG_PING, 0, 0) == 0 ? 0 : 1000;
        for (WPARAM i = 0; i < 2000; ++i)
            if (SendMessage(away, MSG_PING, i, 0) != (LRESULT)i + 1) ++wrong;
        return wrong;
    });
    WaitForSingleObject(inside, INFINITE);
    TerminateThread(t, 5);
    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(sender, INFINITE), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeThread(sender, &code);
    EXPECT_EQ(code, 0u);
    WaitForSingleObject(t, INFINITE);
    CloseHandle(sender);
    CloseHandle(t);
    CloseHandle(inside);
    CloseHandle(release);
    CloseHandle(ready);
}

TEST(MsgWait, ObjectsNewInputAndAvailableInput)
{
    HANDLE ev = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);

    DWORD me = GetCurrentThreadId();
    HANDLE poster = StartThread([me] { return (DWORD)PostThreadMessage(me, MSG_MARK, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, INFINITE, QS_POSTMESSAGE), WAIT_OBJECT_0 + 1);
    JoinThread(poster);
    // Once looked at, the message no longer counts as new...
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &ev, FALSE, 0, QS_POSTMESSAGE), WAIT_TIMEOUT);
    // ...but it is still available, and other kinds are not asked for.
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &ev, 0, QS_POSTMESSAGE, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(1, &ev, 0, QS_PAINT | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE), WAIT_TIMEOUT);
    EXPECT_EQ(HIWORD(GetQueueStatus(QS_ALLINPUT)), QS_POSTMESSAGE);
    Drain();
    CloseHandle(ev);
}

TEST(TranslateMessage, KeysGiveCharactersNext)
{
    struct Case {
        UINT vk;
        bool shift, ctrl, caps;
        UINT ch;   // 0: no character
    };
    const Case cases[] = {
        {'A', false, false, false, 'a'}, {'A', true, false, false, 'A'},  {'A', false, false, true, 'A'},
        {'A', true, false, true, 'a'},   {'A', false, true, false, 1},    {'Z', false, true, false, 26},
        {VK_RETURN, false, false, false, 13}, {VK_TAB, false, false, false, 9}, {VK_ESCAPE, false, false, false, 27},
        {VK_BACK, false, false, false, 8}, {'1', true, false, false, '!'}, {'7', false, false, false, '7'},
        {VK_OEM_2, true, false, false, '?'}, {VK_SPACE, false, false, false, ' '}, {VK_F1, false, false, false, 0},
        {VK_LEFT, false, false, false, 0},
    };
    Handler none;
    HWND hwnd = MakeWindow(&none);
    for (const Case& c : cases) {
        BYTE keys[256] = {};
        if (c.shift) keys[VK_SHIFT] = 0x80;
        if (c.ctrl) keys[VK_CONTROL] = 0x80;
        if (c.caps) keys[VK_CAPITAL] = 1;
        SetKeyboardState(keys);
        PostMessage(hwnd, WM_KEYDOWN, c.vk, 0x1E0001);
        PostMessage(hwnd, MSG_MARK, 0, 0);
        MSG m;
        ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
        EXPECT_TRUE(TranslateMessage(&m));
        ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
        if (c.ch) {
            EXPECT_EQ(m.message, WM_CHAR) << c.vk;
            EXPECT_EQ(m.wParam, c.ch) << c.vk;
            EXPECT_EQ(m.lParam, 0x1E0001);
            ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
        }
        EXPECT_EQ(m.message, MSG_MARK) << c.vk;
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
    DestroyWindow(hwnd);
}

TEST(RegisteredMessages, OneIdPerNameIgnoringCase)
{
    UINT a = RegisterWindowMessage("VeldraPing");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("veldraping"), a);
    EXPECT_NE(RegisterWindowMessage("VeldraPong"), a);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(MessageBoxScript, ScriptedAnswersThenDefaultButton)
{
    ClearMessageBoxAnswers();
    TakeMessageBoxLog();
    PushMessageBoxAnswer(IDYES);
    EXPECT_EQ(MessageBox(nullptr, "Terminate?", "Warning", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2), IDYES);
    struct Case {
        UINT type;
        int answer;
    };
    for (Case c : {Case{MB_YESNO | MB_DEFBUTTON2, IDNO}, Case{MB_OK, IDOK}, Case{MB_OKCANCEL, IDOK},
                   Case{MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL}, Case{MB_RETRYCANCEL | MB_DEFBUTTON3, IDRETRY}})
        EXPECT_EQ(MessageBox(nullptr, "x", nullptr, c.type), c.answer) << c.type;
    std::vector<MessageBoxRecord> log = TakeMessageBoxLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].text, "Terminate?");
    EXPECT_EQ(log[0].caption, "Warning");
    EXPECT_EQ(log[0].answer, IDYES);
    EXPECT_EQ(log[1].caption, "Error");
    EXPECT_TRUE(TakeMessageBoxLog().empty());
}
