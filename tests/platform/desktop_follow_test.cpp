// What the window manager takes from a desktop with a mind of its own (what
// an interactive back end reports): its stacking, pointer input delivered to
// a window, the keys really down at a focus-in; and what it does for one:
// new windows placed apart, window DCs held across a drag shown as they
// draw, idle updates after timers and after other threads' sends.
#include <atomic>
#include <thread>

#include "afx_test_util.h"
#include "platform_test_util.h"
#include "platform/backend/headless.h"
#include "wm_test_util.h"

namespace {

void Report(RawInput in)
{
    BackendEvent e;
    e.kind = BackendEventKind::Input;
    e.input = std::move(in);
    ReportBackendEvent(std::move(e));
}

// A press and release the display delivered to `top` at a screen point.
void ClickDeliveredTo(HWND top, POINT pt)
{
    for (RawKind k : {RawKind::Move, RawKind::ButtonDown, RawKind::ButtonUp}) {
        RawInput in;
        in.kind = k;
        in.vk = k == RawKind::Move ? 0 : VK_LBUTTON;
        in.pt = pt;
        in.top = top;
        Report(in);
    }
}

void ReportStacking(std::vector<HWND> topmostFirst)
{
    BackendEvent e;
    e.kind = BackendEventKind::Stacking;
    e.order = std::move(topmostFirst);
    ReportBackendEvent(std::move(e));
}

}  // namespace

using DesktopFollow = WmTest;

TEST_F(DesktopFollow, TheDesktopsStackingBecomesOursAndPointerInputGoesWhereItWasDelivered)
{
    Recorder ra, rb, rc;
    Handler ha = ra.Wrap(), hb = rb.Wrap(), hc = rc.Wrap();
    HWND a = MakeAt(&ha, WS_POPUP | WS_VISIBLE, RECT{100, 100, 400, 400});
    HWND b = MakeAt(&hb, WS_POPUP | WS_VISIBLE, RECT{200, 200, 500, 500});
    HWND c = MakeAt(&hc, WS_POPUP, RECT{900, 100, 950, 150});   // not shown: the desktop does not list it
    ASSERT_EQ(GetWindow(c, GW_HWNDNEXT), b);
    ASSERT_EQ(WindowFromPoint(POINT{300, 300}), b);

    // The desktop raised a (a click on its title): the two swap places, c keeps its own.
    ReportStacking({a, b});
    EXPECT_EQ(WindowFromPoint(POINT{300, 300}), a);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);

    // Our order says b is on top, the display says the press was a's: a takes it.
    ReportStacking({b, a});
    ClickDeliveredTo(a, POINT{300, 300});
    PumpUntilIdle();
    EXPECT_EQ(ra.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_TRUE(rb.Of(WM_LBUTTONDOWN).empty());

    struct Case {
        const char* what;
        HWND top;
        POINT pt;
        bool disableA;
        size_t toA, toB;
    };
    const Case cases[] = {
        {"outside the window it was delivered to (a press's grab): our order", a, POINT{450, 450}, false, 0, 1},
        {"not known to the display: our order", nullptr, POINT{300, 300}, false, 0, 1},
        {"delivered to a disabled window (under its modal dialog): nobody's", a, POINT{300, 300}, true, 0, 0},
        {"delivered to a window that is gone: our order", (HWND)(intptr_t)0x7FFF0001, POINT{300, 300}, false, 0, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EnableWindow(a, !k.disableA);
        ra.Clear();
        rb.Clear();
        ClickDeliveredTo(k.top, k.pt);
        PumpUntilIdle();
        EXPECT_EQ(ra.Of(WM_LBUTTONDOWN).size(), k.toA);
        EXPECT_EQ(rb.Of(WM_LBUTTONDOWN).size(), k.toB);
    }
    DestroyWindow(a);
    DestroyWindow(b);
    DestroyWindow(c);
}

TEST_F(DesktopFollow, KeysReleasedInAnotherApplicationAreUpAfterTheFocusComesBack)
{
    auto askKey = [](HWND hw, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_APP) return GetKeyState((int)wp);
        return DefWindowProc(hw, m, wp, lp);
    };
    // Another thread saw Ctrl go down, in its own window.
    std::atomic<HWND> other{nullptr};
    DWORD otherId = 0;
    HANDLE t = StartThread(
        [&] {
            Handler oh = askKey;
            HWND o = MakeAt(&oh, WS_POPUP | WS_VISIBLE, RECT{400, 100, 500, 200});
            SetForegroundWindow(o);
            SetFocus(o);
            InjectKey(VK_CONTROL, true);
            PumpUntilIdle();
            other = o;
            PumpUntilQuit();
            DestroyWindow(o);
            return DWORD(0);
        },
        0, 0, &otherId);
    struct Quit {
        HANDLE t;
        DWORD id;
        ~Quit()
        {
            PostThreadMessage(id, WM_QUIT, 0, 0);
            JoinThread(t);
        }
    } quit{t, otherId};
    for (int i = 0; i < 2000 && !other; i++) Sleep(5);
    ASSERT_NE(other.load(), nullptr);
    ASSERT_LT((SHORT)SendMessage(other, WM_APP, VK_CONTROL, 0), 0);

    Recorder r;
    Handler h = r.Wrap(askKey);
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
    struct Destroy {
        HWND w;
        ~Destroy() { DestroyWindow(w); }
    } destroy{w};
    SetForegroundWindow(w);
    SetFocus(w);
    InjectKey(VK_SHIFT, true);
    InjectKeyStroke(VK_CAPITAL);   // Caps Lock on
    PumpUntilIdle();
    ASSERT_LT(GetKeyState(VK_SHIFT), 0);
    ASSERT_TRUE(GetKeyState(VK_CAPITAL) & 1);
    r.Clear();

    // Ctrl and Shift went up in a native dialog; Shift is down again as the
    // focus comes back.
    BackendEvent focusIn;
    focusIn.kind = BackendEventKind::Activate;
    focusIn.hwnd = w;
    focusIn.keysKnown = true;
    focusIn.keysDown = {VK_SHIFT};
    ReportBackendEvent(focusIn);
    PumpUntilIdle();
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_TRUE(GetKeyState(VK_CAPITAL) & 1) << "a lock key keeps its toggle";
    EXPECT_GE((SHORT)SendMessage(other, WM_APP, VK_CONTROL, 0), 0) << "every thread's state follows";
    // Nothing was replayed: no key-up that a window could act on.
    EXPECT_TRUE(r.Of(WM_KEYUP).empty());
    EXPECT_TRUE(r.Of(WM_SYSKEYUP).empty());

    InjectKey(VK_SHIFT, false);
    InjectKeyStroke(VK_CAPITAL);
    PumpUntilIdle();
}

TEST_F(DesktopFollow, NewFramedWindowsCascadeAndStayOnTheWorkArea)
{
    Handler h;
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    std::vector<HWND> made;
    auto make = [&](DWORD style, HWND owner) {
        RegisterWmTestClasses();
        HWND w = CreateWindowEx(0, "WmTest", "", style, CW_USEDEFAULT, 0, 400, 300, owner, nullptr, nullptr, &h);
        made.push_back(w);
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    };
    std::vector<RECT> frames;
    for (int i = 0; i < 3; i++) frames.push_back(make(WS_OVERLAPPEDWINDOW, nullptr));
    for (size_t i = 0; i < frames.size(); i++) {
        EXPECT_GE(frames[i].left, work.left);
        EXPECT_LE(frames[i].bottom, work.bottom);
        for (size_t k = i + 1; k < frames.size(); k++)
            EXPECT_FALSE(frames[i].left == frames[k].left && frames[i].top == frames[k].top) << i << " " << k;
    }
    // An owned window goes down and right of its owner; a popup without a
    // caption is no cascade member.
    const RECT owned = make(WS_OVERLAPPEDWINDOW, made[0]);
    EXPECT_GT(owned.left, frames[0].left);
    EXPECT_GT(owned.top, frames[0].top);
    for (const RECT& f : frames) EXPECT_FALSE(owned.left == f.left && owned.top == f.top);
    const RECT popup = make(WS_POPUP, nullptr);
    EXPECT_EQ(popup.left, 100);
    // Many more still start inside the work area.
    for (int i = 0; i < 40; i++) {
        const RECT r = make(WS_OVERLAPPEDWINDOW, nullptr);
        EXPECT_GE(r.left, work.left);
        EXPECT_LE(r.top + 150, work.bottom);
    }
    for (HWND w : made) DestroyWindow(w);
}

// The desktop shifts a new frame by its decorations as it maps it; the next
// frame must not take the place the first was given, or the desktop shifts
// it onto the very same spot.
TEST_F(DesktopFollow, APlaceGivenStaysTakenWhenTheDesktopMovesTheWindow)
{
    Handler h;
    RegisterWmTestClasses();
    HWND a = CreateWindowEx(0, "WmTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 400, 300, nullptr, nullptr, nullptr, &h);
    RECT given{};
    GetWindowRect(a, &given);
    BackendEvent moved;
    moved.kind = BackendEventKind::Move;
    moved.hwnd = a;
    moved.rect = RECT{given.left + 5, given.top + 23, given.right + 5, given.bottom + 23};
    ReportBackendEvent(moved);
    PumpUntilIdle();
    RECT now{};
    GetWindowRect(a, &now);
    ASSERT_EQ(now.top, given.top + 23) << "the move did not arrive";
    HWND b = CreateWindowEx(0, "WmTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 400, 300, nullptr, nullptr, nullptr, &h);
    RECT second{};
    GetWindowRect(b, &second);
    EXPECT_FALSE(second.left == given.left && second.top == given.top);
    EXPECT_FALSE(second.left == now.left && second.top == now.top);
    // A frame the program itself puts elsewhere (a placement it restores)
    // gives its place back to the next one.
    SetWindowPos(b, nullptr, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND c = CreateWindowEx(0, "WmTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 400, 300, nullptr, nullptr, nullptr, &h);
    RECT third{};
    GetWindowRect(c, &third);
    EXPECT_EQ(third.left, second.left);
    EXPECT_EQ(third.top, second.top);
    DestroyWindow(c);
    DestroyWindow(b);
    DestroyWindow(a);
}

// A plot and a console window come up at the same moment on their own
// threads: each still finds a place of its own.
TEST_F(DesktopFollow, FramesMadeOnSeveralThreadsAtOnceGetPlacesOfTheirOwn)
{
    RegisterWmTestClasses();
    constexpr int kThreads = 6;
    for (int round = 0; round < 30; round++) {
        std::atomic<int> arrived{0}, measured{0};
        RECT places[kThreads]{};
        auto make = [&](int i) {
            Handler h;
            arrived++;
            while (arrived.load() < kThreads) {
            }
            HWND w = CreateWindowEx(0, "WmTest", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 400, 300, nullptr, nullptr,
                                    nullptr, &h);
            GetWindowRect(w, &places[i]);
            // All stay until all are placed.
            measured++;
            while (measured.load() < kThreads) {
            }
            DestroyWindow(w);
        };
        std::vector<std::thread> others;
        for (int i = 1; i < kThreads; i++) others.emplace_back(make, i);
        make(0);
        for (std::thread& t : others) t.join();
        for (int i = 0; i < kThreads; i++)
            for (int k = i + 1; k < kThreads; k++)
                ASSERT_FALSE(places[i].left == places[k].left && places[i].top == places[k].top)
                    << "round " << round << ": two at " << places[i].left << "," << places[i].top;
    }
}

TEST_F(DesktopFollow, AHeldWindowDcShowsWhatItDrewAtTheNextMessage)
{
    Handler h;
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{10, 10, 210, 110});
    PumpUntilIdle();
    HeadlessTakeDirtyRects(w);
    HDC dc = GetDC(w);
    const RECT band{20, 20, 60, 40};
    FillRect(dc, &band, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_TRUE(HeadlessTakeDirtyRects(w).empty()) << "told before any message";
    // A drag loop takes its next message: the band is on its way to the screen.
    MSG m;
    PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);
    const std::vector<RECT> told = HeadlessTakeDirtyRects(w);
    ASSERT_EQ(told.size(), 1u);
    RECT both;
    EXPECT_TRUE(IntersectRect(&both, &told[0], &band) && EqualRect(&both, &band));
    // Nothing new is told twice.
    PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_TRUE(HeadlessTakeDirtyRects(w).empty());
    ReleaseDC(w, dc);
    EXPECT_TRUE(HeadlessTakeDirtyRects(w).empty());
    DestroyWindow(w);
}

namespace {

// A UI thread that counts the idle updates of its message loop.
class CIdleCounter : public CWinThread {
    DECLARE_DYNCREATE(CIdleCounter)
public:
    static inline std::atomic<int> idles{0};
    static inline std::atomic<int> timers{0};
    static inline std::atomic<HWND> window{nullptr};
    Handler handler = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_APP) {
            SetTimer(h, 1, (UINT)w, nullptr);
            return 1;
        }
        if (m == WM_TIMER) {
            KillTimer(h, 1);
            timers++;
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    BOOL InitInstance() override
    {
        window = MakeAt(&handler, WS_POPUP, RECT{0, 0, 10, 10});
        return window != nullptr;
    }
    BOOL OnIdle(LONG count) override
    {
        if (count == 0) idles++;
        return CWinThread::OnIdle(count);
    }
    int ExitInstance() override
    {
        DestroyWindow(window);
        window = nullptr;
        return CWinThread::ExitInstance();
    }
};
IMPLEMENT_DYNCREATE(CIdleCounter, CWinThread)

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
    for (int waited = 0; !done(); waited += 5) {
        if (waited >= milliseconds) return false;
        Sleep(5);
    }
    return true;
}

}  // namespace

using IdleUpdates = AfxTest;

TEST_F(IdleUpdates, ComeAfterASendFromAnotherThreadAndAfterATimer)
{
    CIdleCounter::idles = 0;
    CIdleCounter::timers = 0;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CIdleCounter), THREAD_PRIORITY_NORMAL, 0, 0);
    ASSERT_NE(t, nullptr);
    const DWORD id = t->m_nThreadID;
    ASSERT_TRUE(WaitUntil([] { return CIdleCounter::window != nullptr && CIdleCounter::idles == 1; }));
    // A send from this thread (a program thread's message, a device's answer).
    EXPECT_EQ(SendMessage(CIdleCounter::window, WM_APP, 300, 0), 1);
    EXPECT_TRUE(WaitUntil([] { return CIdleCounter::idles == 2; })) << "no idle update after a send";
    // The timer the send set (a run's end found by the view's timer).
    EXPECT_TRUE(WaitUntil([] { return CIdleCounter::timers == 1; }));
    EXPECT_TRUE(WaitUntil([] { return CIdleCounter::idles == 3; })) << "no idle update after a timer";
    PostThreadMessage(id, WM_QUIT, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return CIdleCounter::window == nullptr; }));
}
