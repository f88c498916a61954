// Replays one script of input against a frame whose handler destroys the
// frame at its Nth message, for every N: nothing may crash, and no capture,
// open menu or stale focus may be left behind.
#include "wm_test_util.h"

namespace {

const MenuTableItem kMenu[] = {
    {MF_POPUP | MF_END, 0, "&File"},
    {MF_STRING | MF_END, 7, "&Open"},
};

struct Frame {
    int budget = -1;   // messages before the frame destroys itself; -1 never
    int seen = 0;
    HWND frame = nullptr;
    Handler proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        seen++;
        if (budget >= 0 && seen == budget && IsWindow(frame)) {
            DestroyWindow(frame);
            return 0;
        }
        if (m == WM_LBUTTONDOWN) SetFocus(h);
        if (m == WM_VSCROLL && LOWORD(w) == SB_THUMBTRACK) {
            SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(h, SB_VERT, &si);
            SetScrollPos(h, SB_VERT, si.nTrackPos, TRUE);
            return 0;
        }
        if (m == WM_CONTEXTMENU) {
            HMENU p = CreatePopupMenu();
            AppendMenu(p, MF_STRING, 9, "&Nine");
            TrackPopupMenu(p, 0, 10, 10, 0, h, nullptr);
            DestroyMenu(p);
            return 0;
        }
        if (m == WM_ENTERIDLE) {
            InjectKeyStroke(VK_ESCAPE);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
};

int RunScript(int budget)
{
    Frame f;
    f.budget = budget;
    RegisterWmTestClasses();
    HMENU bar = LoadMenuTable(kMenu, 2);
    f.frame = CreateWindowEx(0, "WmTest", "Frame", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, 100, 100, 400, 300,
                             nullptr, bar, nullptr, &f.proc);
    if (!f.frame) {
        DestroyMenu(bar);
        return f.seen;
    }
    HWND child = IsWindow(f.frame) ? MakeAt(&f.proc, WS_CHILD | WS_VISIBLE, RECT{10, 10, 100, 60}, f.frame) : nullptr;
    (void)child;
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 999, 100, 0, 0};
    if (IsWindow(f.frame)) SetScrollInfo(f.frame, SB_VERT, &si, TRUE);
    InjectClick(150, 170);                      // the child
    InjectText("x");
    InjectMouseMove(490, 165);                  // the thumb
    InjectButton(VK_LBUTTON, true, 490, 165);
    InjectMouseMove(490, 300);
    InjectButton(VK_LBUTTON, false, 490, 300);
    InjectClick(300, 250, VK_RBUTTON);          // context menu, closed from WM_ENTERIDLE
    InjectKeyStroke(VK_MENU);                   // menu bar by keyboard, then away
    InjectKeyStroke(VK_ESCAPE);
    InjectKeyStroke(VK_ESCAPE);
    InjectClick(120, 112);                      // caption
    PumpUntilIdle();
    EXPECT_EQ(CurrentCapture(), nullptr) << budget;
    EXPECT_TRUE(VisibleMenus().empty()) << budget;
    HWND focus = GetFocus();
    EXPECT_TRUE(!focus || IsWindow(focus)) << budget;
    if (IsWindow(f.frame)) DestroyWindow(f.frame);
    DestroyMenu(bar);
    ResetHeadlessInput();
    return f.seen;
}

}  // namespace

using WmDestroy = WmTest;

TEST_F(WmDestroy, DestroyingTheFrameInAnyHandlerLeavesNoCaptureMenuOrStaleFocus)
{
    int total = RunScript(-1);
    ASSERT_GT(total, 20);
    RecordProperty("messages", total);
    for (int n = 1; n <= total; n++) RunScript(n);
}
