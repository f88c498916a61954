#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/backend/headless.h"
#include "platform/gdi/gdi.h"
#include "wm_test_util.h"

using WmFocus = WmTest;
using WmClipboard = WmTest;
using WmScroll = WmTest;
using WmGeometry = WmTest;
using WmKeys = WmTest;
using WmLook = WmTest;

TEST_F(WmFocus, AKillFocusHandlerThatMovesTheFocusWins)
{
    HWND a = nullptr, b = nullptr, c = nullptr;
    Recorder rb, rc;
    Handler ha = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_KILLFOCUS) {
            DestroyWindow(w);
            SetFocus(c);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    Handler hb = rb.Wrap(), hc = rc.Wrap(), hp;
    HWND top = MakeAt(&hp, WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 300});
    a = MakeAt(&ha, WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, top);
    b = MakeAt(&hb, WS_CHILD | WS_VISIBLE, RECT{20, 0, 30, 10}, top);
    c = MakeAt(&hc, WS_CHILD | WS_VISIBLE, RECT{40, 0, 50, 10}, top);
    SetFocus(a);
    ASSERT_EQ(GetFocus(), a);
    SetFocus(b);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(GetFocus(), c);
    EXPECT_TRUE(rb.Of(WM_SETFOCUS).empty());
    EXPECT_EQ(rc.Of(WM_SETFOCUS).size(), 1u);
    // Plain order: KILLFOCUS to the old one, then SETFOCUS to the new one.
    rc.Clear();
    rb.Clear();
    SetFocus(b);
    ASSERT_EQ(rc.Of(WM_KILLFOCUS).size(), 1u);
    EXPECT_EQ((HWND)rc.Of(WM_KILLFOCUS)[0].w, b);
    ASSERT_EQ(rb.Of(WM_SETFOCUS).size(), 1u);
    EXPECT_EQ((HWND)rb.Of(WM_SETFOCUS)[0].w, c);
    DestroyWindow(top);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WmFocus, NoActivateWindowsAndShowsKeepActivation)
{
    Handler h;
    HWND main = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(main);
    ASSERT_EQ(GetActiveWindow(), main);
    ASSERT_EQ(GetFocus(), main);
    HWND tip = MakeAt(&h, WS_POPUP, RECT{10, 10, 50, 50}, main, WS_EX_NOACTIVATE);
    ShowWindow(tip, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), main);
    HWND other = MakeAt(&h, WS_POPUP, RECT{200, 0, 300, 100});
    ShowWindow(other, SW_SHOWNA);
    EXPECT_EQ(GetActiveWindow(), main);
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(GetActiveWindow(), main);
    // A click on a window answering MA_NOACTIVATE keeps it too.
    Handler na = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
        return DefWindowProc(w, m, wp, lp);
    };
    HWND panel = MakeAt(&na, WS_POPUP, RECT{400, 0, 500, 100});
    ShowWindow(panel, SW_SHOWNOACTIVATE);
    InjectClick(450, 50);
    PumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(GetFocus(), main);
    // A plain click activates.
    InjectClick(250, 50);
    PumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), other);
    for (HWND x : {panel, other, tip, main}) DestroyWindow(x);
}

TEST_F(WmClipboard, AnotherThreadsOpenClipboardBlocksUntilClosedOrAbandoned)
{
    HANDLE opened = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = StartThread([opened, release] {
        EXPECT_TRUE(OpenClipboard(nullptr));
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        CloseClipboard();
        return 0u;
    });
    WaitForSingleObject(opened, INFINITE);
    EXPECT_FALSE(OpenClipboard(nullptr));
    SetEvent(release);
    JoinThread(t);
    ASSERT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();

    // Ends with it open.
    t = StartThread([] { return (DWORD)OpenClipboard(nullptr); });
    JoinThread(t);
    EXPECT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();

    // Abandoned while it holds it. Its handle is signalled at once; it
    // really ends only when released, which `finished` tells.
    ResetEvent(opened);
    ResetEvent(release);
    HANDLE finished = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    t = StartThread([opened, release, finished] {
        OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        SetEvent(finished);
        return 0u;
    });
    WaitForSingleObject(opened, INFINITE);
    EXPECT_FALSE(OpenClipboard(nullptr));
    TerminateThread(t, 1);
    EXPECT_TRUE(OpenClipboard(nullptr));
    CloseClipboard();
    SetEvent(release);
    JoinThread(t);
    WaitForSingleObject(finished, INFINITE);
    CloseHandle(finished);
    CloseHandle(opened);
    CloseHandle(release);
}

TEST_F(WmClipboard, TheStoreOwnsItsDataAndReadersSizeByGlobalSize)
{
    static std::atomic<int> deleted{0};
    SetClipboardMetafileDeleter([](HANDLE) { deleted++; });
    std::atomic<int> changes{0};
    SetClipboardChangedHook([&] { changes++; });
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 3);
    memcpy(GlobalLock(text), "ab", 3);
    GlobalUnlock(text);
    EXPECT_EQ(SetClipboardData(CF_TEXT, text), text);
    SetClipboardData(CF_ENHMETAFILE, (HANDLE)(uintptr_t)0x1234);
    UINT mine = RegisterClipboardFormat("KYR_SYN_TEXT");
    EXPECT_EQ(RegisterClipboardFormat("kyr_syn_text"), mine);
    EXPECT_GE(mine, 0xC000u);
    HGLOBAL raw = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(raw), "x\0y\0", 4);
    SetClipboardData(mine, raw);
    CloseClipboard();
    EXPECT_EQ(changes.load(), 1);
    EXPECT_EQ(ClipboardText(), std::string("ab\0", 3));
    EXPECT_EQ(ClipboardBytes(mine).size(), 4u);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    // Emptying deletes the metafile and frees the blocks.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    EXPECT_EQ(deleted.load(), 1);
    EXPECT_EQ(GlobalSize(text), 0u);
    EXPECT_FALSE(SetClipboardData(CF_TEXT, GlobalAlloc(0, 1)) != nullptr && false);
    SetClipboardChangedHook(nullptr);
    SetClipboardMetafileDeleter(nullptr);
}

TEST_F(WmScroll, PageAndPositionAreClampedAndSmallRangesHideTheBar)
{
    struct Case {
        int min, max;
        UINT page;
        int pos;
        UINT mask;
        UINT wantPage;
        int wantPos;
        bool shown;
    };
    const Case cases[] = {
        {0, 99, 10, 120, SIF_ALL, 10, 90, true},
        {0, 99, 0, 120, SIF_ALL, 0, 99, true},
        {0, 99, 200, 50, SIF_ALL, 100, 0, false},
        {0, 99, 200, 50, SIF_ALL | SIF_DISABLENOSCROLL, 100, 0, true},
        {-50, 50, 11, -80, SIF_ALL, 11, -50, true},
        {0, 0x7FFFFFFE, 0x40000000, 0x7FFFFFFE, SIF_ALL, 0x40000000, 0x3FFFFFFF, true},
    };
    Handler h;
    for (const Case& c : cases) {
        HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
        SCROLLINFO si{sizeof si, c.mask, c.min, c.max, c.page, c.pos, 0};
        SetScrollInfo(w, SB_VERT, &si, TRUE);
        SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(w, SB_VERT, &got);
        EXPECT_EQ(got.nPage, c.wantPage) << c.page;
        EXPECT_EQ(got.nPos, c.wantPos) << c.pos;
        EXPECT_EQ((GetWindowLongPtr(w, GWL_STYLE) & WS_VSCROLL) != 0, c.shown) << c.page;
        RECT client;
        GetClientRect(w, &client);
        EXPECT_EQ(client.right, c.shown ? 200 - 16 : 200);
        DestroyWindow(w);
    }
}

TEST_F(WmScroll, DraggingTheThumbSendsTrackCodesAndEndsAtTheBottom)
{
    std::vector<int> codes;
    int lastTrack = -1;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_VSCROLL) {
            codes.push_back(LOWORD(wp));
            SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(w, SB_VERT, &si);
            if (LOWORD(wp) == SB_THUMBTRACK) lastTrack = si.nTrackPos;
            if (LOWORD(wp) == SB_THUMBPOSITION) SetScrollPos(w, SB_VERT, si.nTrackPos, TRUE);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE | WS_VSCROLL, RECT{100, 100, 300, 400});
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 999, 100, 0, 0};
    SetScrollInfo(w, SB_VERT, &si, TRUE);
    // The thumb sits just under the top arrow.
    InjectMouseMove(292, 125);
    InjectButton(VK_LBUTTON, true, 292, 125);
    InjectMouseMove(292, 250);
    InjectMouseMove(292, 900);
    InjectButton(VK_LBUTTON, false, 292, 900);
    PumpUntilIdle();
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes.back(), SB_ENDSCROLL);
    EXPECT_EQ(codes[codes.size() - 2], SB_THUMBPOSITION);
    EXPECT_EQ(lastTrack, 900);
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 900);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(w);
}

TEST_F(WmGeometry, ADeferredBatchPaintsOnceAndChildrenAfterTheirParent)
{
    std::vector<HWND> painted;
    Handler hp = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) painted.push_back(w);
        return DefWindowProc(w, m, wp, lp);
    };
    HWND parent = MakeAt(&hp, WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 400});
    HWND kids[3];
    for (int i = 0; i < 3; i++) kids[i] = MakeAt(&hp, WS_CHILD | WS_VISIBLE, RECT{i * 50, 0, i * 50 + 40, 40}, parent);
    PumpUntilIdle();
    painted.clear();
    HDWP dwp = BeginDeferWindowPos(3);
    for (int i = 0; i < 3; i++) dwp = DeferWindowPos(dwp, kids[i], nullptr, i * 50, 100, 40, 40, SWP_NOZORDER);
    EXPECT_TRUE(EndDeferWindowPos(dwp));
    PumpUntilIdle();
    ASSERT_EQ(painted.size(), 4u);
    EXPECT_EQ(painted[0], parent);
    RECT r;
    GetWindowRect(kids[2], &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    DestroyWindow(parent);
}

TEST_F(WmGeometry, MinimumSizeHoldsAndPlacementRoundTripsMaximised)
{
    Handler h = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_GETMINMAXINFO) {
            auto* mm = (MINMAXINFO*)lp;
            mm->ptMinTrackSize = POINT{300, 200};
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{50, 50, 650, 450});
    SetWindowPos(w, nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);

    WINDOWPLACEMENT wp{sizeof wp, 0, SW_SHOWMAXIMIZED, {-1, -1}, {-1, -1}, {100, 120, 700, 520}};
    ASSERT_TRUE(SetWindowPlacement(w, &wp));
    EXPECT_TRUE(IsZoomed(w));
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, -4);
    EXPECT_EQ(r.right, 1924);
    WINDOWPLACEMENT back{};
    ASSERT_TRUE(GetWindowPlacement(w, &back));
    EXPECT_EQ(back.length, 44u);
    EXPECT_EQ(back.showCmd, (UINT)SW_SHOWMAXIMIZED);
    EXPECT_TRUE(EqualRect(&back.rcNormalPosition, &wp.rcNormalPosition));
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_TRUE(EqualRect(&r, &wp.rcNormalPosition));
    // A stored rectangle off the screen is clamped onto the work area.
    WINDOWPLACEMENT off{sizeof off, 0, SW_SHOWNORMAL, {-1, -1}, {-1, -1}, {5000, -300, 5600, 100}};
    SetWindowPlacement(w, &off);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 1920 - 600);
    EXPECT_EQ(r.top, 0);
    // The ends of the 32-bit range (a damaged file): bounded, on the work area.
    for (RECT extreme : {RECT{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, RECT{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
                         RECT{INT32_MAX - 1, 0, INT32_MAX, 10}}) {
        WINDOWPLACEMENT far{sizeof far, 0, SW_SHOWNORMAL, {-1, -1}, {-1, -1}, extreme};
        ASSERT_TRUE(SetWindowPlacement(w, &far));
        GetWindowRect(w, &r);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.left, 1920);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.top, 1080);
        // At most the work area, or the window's minimum size.
        EXPECT_LE(r.right - r.left, 1920);
        EXPECT_LE(r.bottom - r.top, 1080);
    }
    SetWindowPos(w, nullptr, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, SWP_NOZORDER);
    GetWindowRect(w, &r);
    EXPECT_LE((int64_t)r.left, kCoordLimit);
    EXPECT_LE((int64_t)r.right, 2 * (int64_t)kCoordLimit);
    DestroyWindow(w);
}

TEST_F(WmGeometry, CloseBoxOfOurFrameSendsClose)
{
    std::vector<WPARAM> commands;
    bool closed = false;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SYSCOMMAND) commands.push_back(wp & 0xFFF0);
        if (m == WM_CLOSE) {
            closed = true;
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, RECT{100, 100, 300, 300}, nullptr, WS_EX_TOOLWINDOW);
    // Tool caption 15 high after a 3-pixel frame; the box is at the right end.
    InjectClick(290, 110);
    PumpUntilIdle();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (WPARAM)SC_CLOSE);
    EXPECT_TRUE(closed);
    DestroyWindow(w);
}

TEST_F(WmKeys, AcceleratorsSendCommandsWithHighWordOne)
{
    std::vector<WPARAM> got;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_COMMAND) got.push_back(wp);
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    SetActiveWindow(w);
    ACCEL table[] = {{FVIRTKEY | FCONTROL, 'C', 57634}, {FVIRTKEY, VK_F1 + 4, 77}};
    HACCEL acc = CreateAcceleratorTable(table, 2);
    InjectKey(VK_CONTROL, true);
    InjectKeyStroke('C');
    InjectKey(VK_CONTROL, false);
    InjectKeyStroke('C');
    InjectKeyStroke(VK_F1 + 4);
    PumpUntilIdle([&](MSG& m) { return TranslateAccelerator(w, acc, &m) != 0; });
    std::vector<WPARAM> want{(WPARAM)MAKELONG(57634, 1), (WPARAM)MAKELONG(77, 1)};
    EXPECT_EQ(got, want);
    DestroyAcceleratorTable(acc);
    DestroyWindow(w);
}

TEST_F(WmKeys, DialogManagerTabsGroupsEnterEscapeAndMnemonics)
{
    std::vector<WPARAM> commands;
    Handler dlg = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_COMMAND) commands.push_back(wp);
        return DefDlgProc(w, m, wp, lp);
    };
    auto control = [](UINT code) {
        return Handler([code](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_GETDLGCODE) return code;
            if (m == BM_CLICK) {
                SendMessage(GetParent(w), WM_COMMAND, MAKELONG(GetDlgCtrlID(w), BN_CLICKED), (LPARAM)w);
                return 0;
            }
            return DefWindowProc(w, m, wp, lp);
        });
    };
    Handler edit = control(DLGC_WANTCHARS | DLGC_HASSETSEL), label = control(DLGC_STATIC), radio = control(DLGC_RADIOBUTTON | DLGC_BUTTON),
            button = control(DLGC_UNDEFPUSHBUTTON | DLGC_BUTTON);
    HWND d = MakeAt(&dlg, WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300});
    auto make = [&](Handler* h, DWORD style, int id, const char* text) {
        HWND c = CreateWindowEx(0, "WmTest", text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, d, (HMENU)(intptr_t)id, nullptr, h);
        return c;
    };
    HWND lbl = make(&label, 0, 10, "&Name");
    HWND e1 = make(&edit, WS_TABSTOP | WS_GROUP, 11, "");
    HWND r1 = make(&radio, WS_TABSTOP | WS_GROUP, 12, "One");
    HWND r2 = make(&radio, 0, 13, "Two");
    HWND off = make(&edit, WS_TABSTOP | WS_DISABLED | WS_GROUP, 14, "");
    HWND ok = make(&button, WS_TABSTOP | WS_GROUP, IDOK, "OK");
    (void)lbl;
    (void)off;
    SendMessage(d, DM_SETDEFID, 77, 0);
    SetActiveWindow(d);
    SetFocus(e1);
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return IsDialogMessage(d, &m) != 0; }); };
    InjectKeyStroke(VK_TAB);
    pump();
    EXPECT_EQ(GetFocus(), r1);
    InjectKeyStroke(VK_DOWN);
    pump();
    EXPECT_EQ(GetFocus(), r2);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(LOWORD(commands.back()), 13);
    InjectKeyStroke(VK_TAB);   // skips the disabled edit
    pump();
    EXPECT_EQ(GetFocus(), ok);
    InjectKeyStroke(VK_TAB);   // wraps round
    pump();
    EXPECT_EQ(GetFocus(), e1);
    commands.clear();
    InjectKeyStroke(VK_RETURN);
    InjectKeyStroke(VK_ESCAPE);
    pump();
    std::vector<WPARAM> want{(WPARAM)MAKELONG(77, BN_CLICKED), (WPARAM)MAKELONG(IDCANCEL, BN_CLICKED)};
    EXPECT_EQ(commands, want);
    // A label's mnemonic (Alt+N) focuses the control after it.
    SetFocus(ok);
    InjectKey(VK_MENU, true);
    InjectKeyStroke('N');
    InjectKey(VK_MENU, false);
    pump();
    EXPECT_EQ(GetFocus(), e1);
    EXPECT_EQ(GetNextDlgTabItem(d, ok, TRUE), r1);
    DestroyWindow(d);
}

TEST_F(WmLook, CaretsCursorsAndSettings)
{
    Handler h;
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    ASSERT_TRUE(CreateCaret(w, (HBITMAP)1, 0, 14));
    SetCaretPos(-5, 7);
    CaretState c;
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &c));
    EXPECT_FALSE(c.visible);   // created hidden
    EXPECT_TRUE(c.grey);
    RECT want{-5, 7, -4, 21};
    EXPECT_TRUE(EqualRect(&c.rect, &want));
    ShowCaret(w);
    HideCaret(w);
    HideCaret(w);
    ShowCaret(w);
    CaretOfThread(GetCurrentThreadId(), &c);
    EXPECT_FALSE(c.visible);   // hiding nests
    ShowCaret(w);
    CaretOfThread(GetCurrentThreadId(), &c);
    EXPECT_TRUE(c.visible);
    DestroyWindow(w);
    EXPECT_FALSE(CaretOfThread(GetCurrentThreadId(), &c));

    HINSTANCE module = (HINSTANCE)(uintptr_t)0x5000;
    HCURSOR nswe = RegisterCursorResource(module, "CURSOR_NSWE", 16, 16, "size-all");
    EXPECT_EQ(LoadCursor(module, "cursor_nswe"), nswe);
    EXPECT_EQ(LoadCursor(module, "CURSOR_MOVE"), nullptr);
    EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), LoadCursor(nullptr, IDC_ARROW));
    SetCursor(nswe);
    EXPECT_EQ(CurrentCursorName(), "CURSOR_NSWE");
    SetCursor(LoadCursor(nullptr, IDC_IBEAM));
    EXPECT_EQ(CurrentCursorName(), "IDC:32513");

    UINT lines = 0;
    SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(lines, 3u);
    NONCLIENTMETRICS ncm{};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    EXPECT_STREQ(ncm.lfMenuFont.lfFaceName, "DejaVu Sans");
    std::vector<UINT> told;
    Handler hs = [&](HWND x, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SYSCOLORCHANGE || m == WM_SETTINGCHANGE) told.push_back(m);
        return DefWindowProc(x, m, wp, lp);
    };
    HWND top = MakeAt(&hs, WS_POPUP, RECT{0, 0, 10, 10});
    int idx = COLOR_WINDOW;
    COLORREF yellow = RGB(255, 255, 0);
    SetSysColors(1, &idx, &yellow);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), yellow);
    SetSystemMetric(SM_CYCAPTION, 30);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 30);
    PumpUntilIdle();
    EXPECT_EQ(std::count(told.begin(), told.end(), WM_SYSCOLORCHANGE), 1);
    EXPECT_EQ(std::count(told.begin(), told.end(), WM_SETTINGCHANGE), 1);
    DestroyWindow(top);
    ResetSystemSettings();
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
}

TEST_F(WmKeys, MenuTrackingServesSendsAndPassesQuitOnToTheOuterLoop)
{
    std::atomic<LRESULT> answer{0};
    DWORD self = GetCurrentThreadId();
    HANDLE helper = nullptr;
    bool sawIdle = false;
    HMENU popup = CreatePopupMenu();
    AppendMenu(popup, MF_STRING, 5, "&One");
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 7) return 42;
        if (m == WM_ENTERIDLE && !helper) {
            sawIdle = true;
            // Another thread sends to us while the menu is open, then posts a quit.
            helper = StartThread([&, w] {
                answer = SendMessage(w, WM_USER + 7, 0, 0);
                PostThreadMessage(self, WM_QUIT, 9, 0);
                return 0u;
            });
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    BOOL chosen = TrackPopupMenu(popup, TPM_RETURNCMD, 10, 10, 0, w, nullptr);
    EXPECT_EQ(chosen, 0);
    EXPECT_TRUE(sawIdle);
    EXPECT_EQ(answer.load(), 42);
    EXPECT_TRUE(VisibleMenus().empty());
    EXPECT_EQ(GetCapture(), nullptr);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 9u);
    JoinThread(helper);
    DestroyWindow(w);
    DestroyMenu(popup);
}

TEST_F(WmGeometry, CaptionDragMovesAndBackEndReportsReachTheOwnerThread)
{
    bool closed = false;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_CLOSE) {
            closed = true;
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{100, 100, 400, 300});
    InjectMouseMove(200, 110);
    InjectButton(VK_LBUTTON, true, 200, 110);
    InjectMouseMove(250, 150);
    InjectButton(VK_LBUTTON, false, 260, 170);
    PumpUntilIdle();
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(GetCapture(), nullptr);

    BackendEvent move;
    move.kind = BackendEventKind::Move;
    move.hwnd = w;
    move.rect = RECT{10, 20, 410, 320};
    ReportBackendEvent(move);
    BackendEvent close;
    close.kind = BackendEventKind::Close;
    close.hwnd = w;
    ReportBackendEvent(close);
    PumpUntilIdle();
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_TRUE(closed);
    DestroyWindow(w);
}

TEST_F(WmKeys, PopupMenusAvoidTheExclusionRectangleAndReturnTheCommand)
{
    HMENU popup = CreatePopupMenu();
    AppendMenu(popup, MF_STRING, 11, "&First");
    AppendMenu(popup, MF_STRING | MF_GRAYED, 12, "&Grey");
    AppendMenu(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenu(popup, MF_STRING, 13, "&Third");
    std::vector<VisibleMenu> seen;
    int inits = 0;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_INITMENUPOPUP) inits++;
        if (m == WM_ENTERIDLE && seen.empty()) {
            seen = VisibleMenus();
            // Down skips nothing selectable-wise but the separator: First, Grey, Third.
            InjectKeyStroke(VK_DOWN);
            InjectKeyStroke(VK_DOWN);
            InjectKeyStroke(VK_DOWN);
            InjectKeyStroke(VK_RETURN);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 200});
    TPMPARAMS params{sizeof params, RECT{90, 90, 300, 130}};
    BOOL id = TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_VERTICAL, 100, 100, w, &params);
    EXPECT_EQ(id, 13);
    EXPECT_EQ(inits, 1);
    ASSERT_EQ(seen.size(), 1u);
    RECT overlap;
    EXPECT_FALSE(IntersectRect(&overlap, &seen[0].rect, &params.rcExclude));
    EXPECT_EQ(seen[0].rect.top, 130);
    ASSERT_EQ(seen[0].items.size(), 4u);
    EXPECT_EQ(seen[0].items[2].state & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    // Nothing was posted: the command came back instead.
    MSG m;
    EXPECT_FALSE(PeekMessage(&m, w, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    DestroyWindow(w);
    DestroyMenu(popup);
}

TEST_F(WmGeometry, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip)
{
    Handler h = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) {
            ValidateRect(w, nullptr);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    Handler none;
    HWND top = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 100});
    HWND kid = MakeAt(&none, WS_CHILD, RECT{5, 50, 15, 60}, top);
    PumpUntilIdle();
    HDC dc = GetDC(top);
    RECT band{0, 40, 100, 50};
    FillRect(dc, &band, (HBRUSH)GetStockObject(BLACK_BRUSH));
    ReleaseDC(top, dc);
    ScrollWindow(top, 0, -10, nullptr, nullptr);
    COLORREF c = 0;
    HeadlessGetPixel(top, 50, 30, &c);
    EXPECT_EQ(c, 0u);
    HeadlessGetPixel(top, 50, 45, &c);
    EXPECT_EQ(c, RGB(255, 255, 255));
    RECT update;
    ASSERT_TRUE(GetUpdateRect(top, &update, FALSE));
    RECT want{0, 90, 100, 100};
    EXPECT_TRUE(EqualRect(&update, &want));
    RECT kr;
    GetWindowRect(kid, &kr);
    EXPECT_EQ(kr.top, 40);
    DestroyWindow(top);
}

TEST_F(WmGeometry, UpdateRegionsKeepSeparateRectanglesApart)
{
    int paints = 0;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) {
            paints++;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(w, &ps);
            RECT all{0, 0, 100, 100};
            FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
            EndPaint(w, &ps);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND w = MakeAt(&h, WS_POPUP, RECT{0, 0, 100, 100});
    ShowWindow(w, SW_SHOWNA);
    ValidateRect(w, nullptr);
    RECT a{0, 0, 10, 10}, b{50, 50, 60, 60};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetUpdateRgn(w, rgn, FALSE), COMPLEXREGION);
    DeleteObject(rgn);
    PumpUntilIdle();
    EXPECT_EQ(paints, 1);
    COLORREF c = 0;
    HeadlessGetPixel(w, 5, 5, &c);
    EXPECT_EQ(c, 0u);
    HeadlessGetPixel(w, 55, 55, &c);
    EXPECT_EQ(c, 0u);
    HeadlessGetPixel(w, 30, 30, &c);
    EXPECT_EQ(c, RGB(255, 255, 255));   // between them: not painted
    DestroyWindow(w);
}

TEST_F(WmClipboard, AMetafileGivenToTheClipboardIsDeletedWhenEmptied)
{
    RECT bounds{0, 0, 100, 100};
    HDC dc = CreateEnhMetaFile(nullptr, nullptr, &bounds, "Tarn graphic");
    ASSERT_TRUE(dc);
    Rectangle(dc, 10, 10, 50, 50);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    ASSERT_TRUE(emf);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, emf);
    CloseClipboard();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_ENHMETAFILE), (HANDLE)emf);
    EmptyClipboard();
    CloseClipboard();
    // The store deleted it: the handle is stale now.
    EXPECT_FALSE(DeleteEnhMetaFile(emf));
}
