// Scroll-bar control, size box and up-down control driven by injected input.
#include <gtest/gtest.h>

#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Scrolls : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_VSCROLL || m == WM_HSCROLL) scrolls.push_back((int)LOWORD(w));
            if (m == WM_NOTIFY && ((NMHDR*)l)->code == (UINT)UDN_DELTAPOS && onDelta) return onDelta((NMUPDOWN*)l);
            return DefWindowProc(h, m, w, l);
        };
        MakeWindow(&handler);
        parent = CreateWindowEx(0, "PlatformTestWindow", "Dialog", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                nullptr, nullptr, &handler);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        PumpUntilIdle();
        ResetHeadlessInput();
    }
    POINT Screen(HWND h, int x, int y)
    {
        POINT p{x, y};
        ClientToScreen(h, &p);
        return p;
    }
    Handler handler;
    HWND parent = nullptr;
    std::vector<int> scrolls;
    std::function<LRESULT(NMUPDOWN*)> onDelta;
};

TEST_F(Scrolls, ScrollBarControlUsesTheEngineAndNotifiesItsParent)
{
    HWND sb = CreateWindowEx(0, WC_SCROLLBAR, "", WS_CHILD | WS_VISIBLE | SBS_VERT, 10, 10, 17, 200, parent,
                             (HMENU)80, nullptr, nullptr);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 95, 0};
    SendMessage(sb, SBM_SETSCROLLINFO, TRUE, (LPARAM)&si);
    EXPECT_EQ(SendMessage(sb, SBM_GETPOS, 0, 0), 90);   // clamped to max - page + 1
    POINT down = Screen(sb, 8, 195);   // the down arrow
    InjectClick(down.x, down.y);
    PumpUntilIdle();
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(scrolls.front(), SB_LINEDOWN);
    EXPECT_EQ(scrolls.back(), SB_ENDSCROLL);
    // Drawn by the window manager's bar painter, as window bars are.
    HDC dc = CreateRecordingDC(FALSE), ref = CreateRecordingDC(FALSE);
    SendMessage(sb, WM_PRINTCLIENT, (WPARAM)dc, 0);
    CScrollBarState state;
    ASSERT_TRUE(GetScrollBarState(sb, SB_CTL, &state));
    PaintScrollBarState(ref, state, RECT{0, 0, 17, 200}, true);
    EXPECT_EQ(GetRecordingLog(dc), GetRecordingLog(ref));
    EXPECT_FALSE(GetRecordingLog(dc).empty());
    DeleteDC(dc);
    DeleteDC(ref);
}

TEST_F(Scrolls, SizeBoxResizesItsTopLevelWindow)
{
    HWND box = CreateWindowEx(0, WC_SCROLLBAR, "", WS_CHILD | WS_VISIBLE | SBS_SIZEBOX, 383, 283, 17, 17, parent,
                              (HMENU)81, nullptr, nullptr);
    POINT p = Screen(box, 8, 8);
    InjectButton(VK_LBUTTON, true, p.x, p.y);
    InjectMouseMove(p.x + 50, p.y + 30);
    InjectButton(VK_LBUTTON, false, p.x + 50, p.y + 30);
    PumpUntilIdle();
    RECT r;
    GetWindowRect(parent, &r);
    EXPECT_EQ(r.right - r.left, 450);
    EXPECT_EQ(r.bottom - r.top, 330);
}

TEST_F(Scrolls, UpDownBuddyIntegerRangesAndDeltaVeto)
{
    HWND buddy = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE, 10, 10, 80, 22, parent, (HMENU)82, nullptr,
                                nullptr);
    HWND ud = CreateWindowEx(0, UPDOWN_CLASS, "", WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ARROWKEYS, 90, 10, 16, 22, parent,
                             (HMENU)83, nullptr, nullptr);
    SendMessage(ud, UDM_SETBUDDY, (WPARAM)buddy, 0);
    SendMessage(ud, UDM_SETRANGE32, 0, 2000000);
    SendMessage(ud, UDM_SETPOS32, 0, 999);
    char text[32];
    GetWindowText(buddy, text, sizeof text);
    EXPECT_STREQ(text, "999");
    POINT up = Screen(ud, 8, 3), dn = Screen(ud, 8, 19);
    InjectClick(up.x, up.y);
    PumpUntilIdle();
    GetWindowText(buddy, text, sizeof text);
    EXPECT_STREQ(text, "1,000");
    // The buddy's arrow keys step too.
    SetFocus(buddy);
    InjectKeyStroke(VK_UP);
    PumpUntilIdle();
    InjectKeyStroke(VK_DOWN);
    InjectKeyStroke(VK_DOWN);
    PumpUntilIdle();
    GetWindowText(buddy, text, sizeof text);
    EXPECT_STREQ(text, "999");
    // The buddy's text is read back before each step.
    SetWindowText(buddy, "1,999,999");
    InjectClick(up.x, up.y);
    InjectClick(up.x, up.y);   // clamped at the maximum
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 2000000);
    // A reversed range: the up arrow moves toward the maximum, which is smaller.
    SendMessage(ud, UDM_SETRANGE32, 10, 0);
    SendMessage(ud, UDM_SETPOS32, 0, 5);
    InjectClick(up.x, up.y);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 4);
    // UDN_DELTAPOS: the parent makes half steps in the buddy and vetoes the control's own.
    double value = 1.0;
    onDelta = [&](NMUPDOWN* nm) -> LRESULT {
        value += nm->iDelta * 0.5;
        char buf[32];
        snprintf(buf, sizeof buf, "%.1f", value);
        SetWindowText(buddy, buf);
        return 1;
    };
    SendMessage(ud, UDM_SETRANGE32, 0, 10);
    SetWindowText(buddy, "1.0");
    InjectClick(up.x, up.y);
    PumpUntilIdle();
    GetWindowText(buddy, text, sizeof text);
    EXPECT_STREQ(text, "1.5");
    InjectClick(dn.x, dn.y);
    InjectClick(dn.x, dn.y);
    PumpUntilIdle();
    GetWindowText(buddy, text, sizeof text);
    EXPECT_STREQ(text, "0.5");
}

}  // namespace
