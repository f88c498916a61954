#include <atomic>

#include "wm_test_util.h"

namespace {

struct TestClock {
    static inline std::atomic<uint64_t> now{5000000};
    static uint64_t Read() { return now; }
    TestClock() { SetTickSource(Read); }
    ~TestClock() { SetTickSource(nullptr); }
};

POINT PointOf(LPARAM l) { return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }

}  // namespace

using WmRouting = WmTest;

TEST_F(WmRouting, CaptureTakesMovesOverAnotherTopLevelAtNegativeCoordinates)
{
    Recorder ra, rb;
    Handler ha = ra.Wrap(), hb = rb.Wrap();
    HWND a = MakeAt(&ha, WS_POPUP | WS_VISIBLE, RECT{500, 500, 600, 600});
    HWND b = MakeAt(&hb, WS_POPUP | WS_VISIBLE, RECT{100, 100, 400, 400});
    ASSERT_EQ(WindowFromPoint(POINT{200, 150}), b);
    SetCapture(a);
    EXPECT_EQ(GetCapture(), a);
    ra.Clear();
    rb.Clear();
    InjectMouseMove(200, 150);
    PumpUntilIdle();
    auto moves = ra.Of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].l).x, -300);
    EXPECT_EQ(PointOf(moves[0].l).y, -350);
    EXPECT_TRUE(rb.Of(WM_MOUSEMOVE).empty());
    // Losing the capture is announced to the loser.
    SetCapture(b);
    ASSERT_EQ(ra.Of(WM_CAPTURECHANGED).size(), 1u);
    EXPECT_EQ((HWND)ra.Of(WM_CAPTURECHANGED)[0].l, b);
    ReleaseCapture();
    EXPECT_EQ(rb.Of(WM_CAPTURECHANGED).size(), 1u);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(WmRouting, RoutesByTheHitTestAnswerNotByGeometry)
{
    // A caption that answers HTCLIENT gets client presses at negative y.
    Recorder r;
    Handler h = r.Wrap([](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_NCHITTEST) return HTCLIENT;
        return DefWindowProc(w, m, wp, lp);
    });
    HWND top = MakeAt(&h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{100, 100, 400, 400});
    POINT origin{0, 0};
    ClientToScreen(top, &origin);
    EXPECT_EQ(origin.x, 104);   // frame 4
    EXPECT_EQ(origin.y, 123);   // frame 4, caption 18, line 1
    InjectClick(200, 105);
    PumpUntilIdle();
    auto downs = r.Of(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(PointOf(downs[0].l).x, 96);
    EXPECT_EQ(PointOf(downs[0].l).y, -18);
    // WM_SETCURSOR comes before the move, the press and the release.
    std::vector<UINT> order;
    for (auto& e : r.log)
        if (e.msg == WM_SETCURSOR || (e.msg >= WM_MOUSEMOVE && e.msg <= WM_LBUTTONUP)) order.push_back(e.msg);
    std::vector<UINT> want{WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_SETCURSOR, WM_LBUTTONUP};
    EXPECT_EQ(order, want);

    // Without the override the caption is non-client: WM_NCMOUSEMOVE with the
    // code and the screen point.
    Recorder r2;
    Handler h2 = r2.Wrap();
    HWND plain = MakeAt(&h2, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{500, 100, 800, 400});
    InjectMouseMove(600, 105);
    PumpUntilIdle();
    auto nc = r2.Of(WM_NCMOUSEMOVE);
    ASSERT_EQ(nc.size(), 1u);
    EXPECT_EQ(nc[0].w, (WPARAM)HTCAPTION);
    EXPECT_EQ(PointOf(nc[0].l).x, 600);
    DestroyWindow(top);
    DestroyWindow(plain);
}

TEST_F(WmRouting, TransparentDisabledAndHiddenWindowsAreSkipped)
{
    Recorder rp;
    Handler hp = rp.Wrap();
    Handler ht = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_NCHITTEST) return HTTRANSPARENT;
        return DefWindowProc(w, m, wp, lp);
    };
    Handler none;
    HWND parent = MakeAt(&hp, WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
    HWND transparent = MakeAt(&ht, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, parent);
    HWND disabled = MakeAt(&none, WS_CHILD | WS_VISIBLE | WS_DISABLED, RECT{60, 0, 110, 50}, parent);
    HWND hidden = MakeAt(&none, WS_CHILD, RECT{120, 0, 170, 50}, parent);
    EXPECT_EQ(WindowFromPoint(POINT{110, 110}), parent);
    EXPECT_EQ(WindowFromPoint(POINT{170, 110}), parent);
    EXPECT_EQ(WindowFromPoint(POINT{230, 110}), parent);
    EXPECT_EQ(ChildWindowFromPoint(parent, POINT{130, 10}), hidden);
    InjectClick(110, 110);
    InjectClick(170, 110);
    PumpUntilIdle();
    EXPECT_EQ(rp.Of(WM_LBUTTONDOWN).size(), 2u);
    // WS_DISABLED set directly disables a top-level window too.
    HWND over = MakeAt(&none, WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), over);
    SetWindowLongPtr(over, GWL_STYLE, GetWindowLongPtr(over, GWL_STYLE) | WS_DISABLED);
    EXPECT_FALSE(IsWindowEnabled(over));
    EXPECT_EQ(WindowFromPoint(POINT{150, 150}), parent);
    DestroyWindow(over);
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(transparent));
    EXPECT_FALSE(IsWindow(disabled));
}

TEST_F(WmRouting, ClipCursorClampsReportedPositions)
{
    Recorder r;
    Handler h = r.Wrap();
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 400});
    RECT clip{10, 20, 50, 60};
    ClipCursor(&clip);
    InjectMouseMove(300, 5);
    PumpUntilIdle();
    auto moves = r.Of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].l).x, 49);
    EXPECT_EQ(PointOf(moves[0].l).y, 20);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 49);
    EXPECT_EQ(p.y, 20);
    ClipCursor(nullptr);
    DestroyWindow(w);
}

TEST_F(WmRouting, DoubleClicksNeedTheClassStyleTimeAndBox)
{
    TestClock clock;
    Recorder r, rp;
    Handler h = r.Wrap(), hp = rp.Wrap();
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200}, nullptr, 0, true);
    HWND plain = MakeAt(&hp, WS_POPUP | WS_VISIBLE, RECT{300, 0, 500, 200});
    struct Step {
        int x;
        uint64_t later;
        UINT want;
    };
    const Step steps[] = {
        {50, 0, WM_LBUTTONDOWN},   {50, 100, WM_LBUTTONDBLCLK}, {50, 100, WM_LBUTTONDOWN},   // third is a press
        {52, 100, WM_LBUTTONDBLCLK}, {60, 600, WM_LBUTTONDOWN},  {63, 100, WM_LBUTTONDOWN},  // outside the box
        {63, 501, WM_LBUTTONDOWN},                                                            // too late
    };
    for (const Step& s : steps) {
        TestClock::now += s.later;
        r.Clear();
        InjectClick(s.x, 50);
        PumpUntilIdle();
        std::vector<UINT> presses;
        for (auto& e : r.log)
            if (e.msg == WM_LBUTTONDOWN || e.msg == WM_LBUTTONDBLCLK) presses.push_back(e.msg);
        ASSERT_EQ(presses.size(), 1u) << s.x;
        EXPECT_EQ(presses[0], s.want) << s.x << " +" << s.later;
    }
    TestClock::now += 1000;
    InjectClick(350, 50);
    InjectClick(350, 50);
    PumpUntilIdle();
    EXPECT_EQ(rp.Of(WM_LBUTTONDOWN).size(), 2u);
    EXPECT_TRUE(rp.Of(WM_LBUTTONDBLCLK).empty());
    DestroyWindow(w);
    DestroyWindow(plain);
}

TEST_F(WmRouting, AQueuedDragFollowsTheCaptureThePressSet)
{
    Recorder r, rb;
    Handler h = r.Wrap([](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_LBUTTONDOWN) SetCapture(w);
        if (m == WM_LBUTTONUP) ReleaseCapture();
        return DefWindowProc(w, m, wp, lp);
    });
    Handler hb = rb.Wrap();
    HWND a = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{100, 100, 200, 200});
    HWND b = MakeAt(&hb, WS_POPUP | WS_VISIBLE, RECT{400, 400, 600, 600});
    // All queued before anything is taken: the targets are resolved as the
    // thread takes them.
    InjectButton(VK_LBUTTON, true, 150, 150);
    InjectMouseMove(500, 500);
    InjectButton(VK_LBUTTON, false, 500, 500);
    InjectMouseMove(500, 510);
    PumpUntilIdle();
    auto moves = r.Of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(PointOf(moves[0].l).x, 400);
    EXPECT_EQ(moves[0].w & MK_LBUTTON, (WPARAM)MK_LBUTTON);
    EXPECT_EQ(r.Of(WM_LBUTTONUP).size(), 1u);
    EXPECT_EQ(r.Of(WM_CAPTURECHANGED).size(), 1u);
    // After the release, moves go by position again.
    EXPECT_EQ(rb.Of(WM_MOUSEMOVE).size(), 1u);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(WmRouting, KeyStateIsAsOfTheMessageAsyncStateIsLive)
{
    std::vector<std::pair<bool, bool>> seen;   // GetKeyState, GetAsyncKeyState of Shift at WM_KEYDOWN 'A'
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_KEYDOWN && wp == 'A') seen.push_back({GetKeyState(VK_SHIFT) < 0, GetAsyncKeyState(VK_SHIFT) < 0});
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(w);
    SetFocus(w);
    InjectKey(VK_SHIFT, true);
    InjectKey('A', true, "A");
    InjectKey('A', false);
    InjectKey(VK_SHIFT, false);
    PumpUntilIdle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].first);
    EXPECT_FALSE(seen[0].second);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    DestroyWindow(w);
}

TEST_F(WmRouting, KeysCarryTheBackEndTextOneCharPerCodePoint)
{
    std::vector<std::pair<UINT, WPARAM>> chars;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CHAR || m == WM_SYSCHAR) chars.push_back({m, wp});
        if (m == WM_SYSCOMMAND) return 0;   // no menu loop here
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(w);
    InjectKeyStroke(0xDE, "\xC3\xA9\xE2\x82\xAC");   // two code points
    InjectKey(VK_CONTROL, true);
    InjectKey(VK_MENU, true);
    InjectKeyStroke('Q', "@");                        // AltGr text
    InjectKey(VK_CONTROL, false);
    InjectKeyStroke('F');                             // Alt+F: WM_SYSCHAR
    InjectKey(VK_MENU, false);
    InjectKeyStroke('B');                             // our layout as fallback
    PumpUntilIdle();
    std::vector<std::pair<UINT, WPARAM>> want{{WM_CHAR, 0xE9}, {WM_CHAR, 0x20AC}, {WM_CHAR, '@'}, {WM_SYSCHAR, 'f'}, {WM_CHAR, 'b'}};
    EXPECT_EQ(chars, want);
    DestroyWindow(w);
}

TEST_F(WmRouting, ContextMenuAndWheelGoToTheParentWhenUnhandled)
{
    Recorder rp, rc;
    Handler hp = rp.Wrap(), hc = rc.Wrap();
    HWND parent = MakeAt(&hp, WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 300});
    HWND child = MakeAt(&hc, WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 110}, parent);
    SetActiveWindow(parent);
    SetFocus(child);
    InjectClick(50, 50, VK_RBUTTON);
    InjectWheel(50, 50, -240);
    InjectKey(VK_SHIFT, true);
    InjectKeyStroke(VK_F10);
    InjectKey(VK_SHIFT, false);
    InjectKeyStroke(VK_APPS);
    PumpUntilIdle();
    auto menus = rp.Of(WM_CONTEXTMENU);
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ((HWND)menus[0].w, child);
    EXPECT_EQ(PointOf(menus[0].l).x, 50);
    EXPECT_EQ(menus[1].l, -1);
    EXPECT_EQ(menus[2].l, -1);
    auto wheels = rc.Of(WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].w), -240);
    EXPECT_EQ(rp.Of(WM_MOUSEWHEEL).size(), 1u);
    DestroyWindow(parent);
}

TEST_F(WmRouting, InputForAnotherThreadWaitsForIt)
{
    std::atomic<int> presses{0};
    std::atomic<HWND> other{nullptr};
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    DWORD tid = 0;
    Handler ho = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_LBUTTONDOWN) {
            presses++;
            PostQuitMessage(0);
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HANDLE t = StartThread(
        [&] {
            other = MakeAt(&ho, WS_POPUP | WS_VISIBLE, RECT{700, 700, 800, 800});
            SetEvent(ready);
            PumpUntilQuit();
            DestroyWindow(other);
            return 0u;
        },
        0, 0, &tid);
    WaitForSingleObject(ready, INFINITE);
    Recorder r;
    Handler h = r.Wrap();
    HWND mine = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    InjectClick(750, 750);
    JoinThread(t);
    EXPECT_EQ(presses.load(), 1);
    PumpUntilIdle();
    EXPECT_TRUE(r.Of(WM_LBUTTONDOWN).empty());
    CloseHandle(ready);
    DestroyWindow(mine);
}

TEST_F(WmRouting, DroppedFilesReachTheWindowThatAcceptsThem)
{
    std::vector<std::string> got;
    POINT at{};
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_DROPFILES) {
            HDROP d = (HDROP)wp;
            UINT n = DragQueryFile(d, 0xFFFFFFFFu, nullptr, 0);
            for (UINT i = 0; i < n; i++) {
                char buf[256];
                DragQueryFile(d, i, buf, sizeof buf);
                got.push_back(buf);
            }
            DragQueryPoint(d, &at);
            DragFinish(d);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    Handler none;
    HWND top = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{100, 100, 300, 300});
    HWND child = MakeAt(&none, WS_CHILD | WS_VISIBLE, RECT{0, 0, 50, 50}, top);
    DragAcceptFiles(top, TRUE);
    InjectDropFiles(120, 130, {"/tmp/a.vdx", "/tmp/b c.vdx"});
    PumpUntilIdle();
    std::vector<std::string> want{"/tmp/a.vdx", "/tmp/b c.vdx"};
    EXPECT_EQ(got, want);
    EXPECT_EQ(at.x, 20);
    EXPECT_EQ(at.y, 30);
    (void)child;
    DestroyWindow(top);
}

TEST_F(WmRouting, CursorsFollowTheHitTestAndTheClassCursor)
{
    static HINSTANCE module = (HINSTANCE)(uintptr_t)0x7100;
    static HCURSOR move = RegisterCursorResource(module, "CURSOR_MOVE", 8, 8, "move");
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = HandlerProc;
        wc.hCursor = LoadCursor(module, "CURSOR_MOVE");
        wc.lpszClassName = "WmCursorTest";
        return RegisterClass(&wc);
    }();
    ASSERT_NE(atom, 0);
    EXPECT_EQ(LoadCursor(module, "Cursor_Move"), move);
    Handler h;
    HWND w = CreateWindowEx(0, "WmCursorTest", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                            nullptr, &h);
    InjectMouseMove(200, 200);   // client
    PumpUntilIdle();
    EXPECT_EQ(CurrentCursorName(), "CURSOR_MOVE");
    InjectMouseMove(398, 200);   // right frame
    PumpUntilIdle();
    EXPECT_EQ(CurrentCursorName(), "IDC:32644");
    InjectMouseMove(398, 298);   // bottom-right corner
    PumpUntilIdle();
    EXPECT_EQ(CurrentCursorName(), "IDC:32642");
    DestroyWindow(w);
}

TEST_F(WmRouting, DragDetectEndsOnLeavingTheBoxOrOnRelease)
{
    std::vector<BOOL> results;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_LBUTTONDOWN) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(w, &p);
            results.push_back(DragDetect(w, p));
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    InjectButton(VK_LBUTTON, true, 50, 50);
    InjectMouseMove(52, 51);
    InjectMouseMove(60, 50);
    InjectButton(VK_LBUTTON, false, 60, 50);
    InjectButton(VK_LBUTTON, true, 100, 100);
    InjectMouseMove(101, 101);
    InjectButton(VK_LBUTTON, false, 101, 101);
    PumpUntilIdle();
    std::vector<BOOL> want{TRUE, FALSE};
    EXPECT_EQ(results, want);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(w);
}

// The desktop focusing a window that already is its thread's active one,
// while another thread's window is in the foreground, gives it the keys.
TEST_F(WmRouting, DesktopFocusOfAnActiveWindowTakesTheForegroundBack)
{
    Recorder r;
    Handler h = r.Wrap();
    HWND mine = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(mine);
    ASSERT_EQ(GetForegroundWindow(), mine);
    std::atomic<HWND> other{nullptr};
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    Handler ho = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT { return DefWindowProc(w, m, wp, lp); };
    DWORD tid = 0;
    HANDLE t = StartThread(
        [&] {
            other = MakeAt(&ho, WS_POPUP | WS_VISIBLE, RECT{700, 700, 800, 800});
            SetActiveWindow(other);
            SetEvent(ready);
            PumpUntilQuit();
            DestroyWindow(other);
            return 0u;
        },
        0, 0, &tid);
    WaitForSingleObject(ready, INFINITE);
    ASSERT_EQ(GetForegroundWindow(), other.load());
    ASSERT_EQ(GetActiveWindow(), mine);
    SendMessage(mine, WM_BACKEND_ACTIVATE, 0, 0);
    EXPECT_EQ(GetForegroundWindow(), mine);
    PostThreadMessage(tid, WM_QUIT, 0, 0);
    JoinThread(t);
    CloseHandle(ready);
    DestroyWindow(mine);
}

// A key the desktop delivers to a window whose thread lost the foreground to
// another thread's window (the desktop kept its focus) goes to that window.
TEST_F(WmRouting, AKeyTheDesktopGaveAWindowReachesIt)
{
    Recorder r;
    Handler h = r.Wrap();
    HWND mine = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(mine);
    SetFocus(mine);
    std::atomic<int> otherKeys{0};
    std::atomic<HWND> other{nullptr};
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    Handler ho = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_KEYDOWN) otherKeys++;
        return DefWindowProc(w, m, wp, lp);
    };
    DWORD tid = 0;
    HANDLE t = StartThread(
        [&] {
            other = MakeAt(&ho, WS_POPUP | WS_VISIBLE, RECT{700, 700, 800, 800});
            SetActiveWindow(other);
            SetFocus(other);
            SetEvent(ready);
            PumpUntilQuit();
            DestroyWindow(other);
            return 0u;
        },
        0, 0, &tid);
    WaitForSingleObject(ready, INFINITE);
    ASSERT_EQ(GetForegroundWindow(), other.load());
    for (RawKind k : {RawKind::KeyDown, RawKind::KeyUp}) {
        BackendEvent e;
        e.kind = BackendEventKind::Input;
        e.hwnd = mine;
        e.input.kind = k;
        e.input.vk = 'A';
        ReportBackendEvent(std::move(e));
    }
    PumpUntilIdle();
    EXPECT_EQ(r.Of(WM_KEYDOWN).size(), 1u);
    EXPECT_EQ(GetForegroundWindow(), mine);
    PostThreadMessage(tid, WM_QUIT, 0, 0);
    JoinThread(t);
    EXPECT_EQ(otherKeys.load(), 0);
    CloseHandle(ready);
    DestroyWindow(mine);
}
