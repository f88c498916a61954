// Tab control, status bar and tooltip.
#include <gtest/gtest.h>

#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Bars : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NOTIFY) {
                NMHDR* n = (NMHDR*)l;
                codes.push_back((int)n->code);
                if (n->code == (UINT)TCN_SELCHANGING) return vetoTab;
                if (n->code == (UINT)TTN_GETDISPINFO) {
                    snprintf(((NMTTDISPINFO*)l)->szText, 80, "tip %d", (int)n->idFrom);
                    return 0;
                }
                if (n->code == (UINT)TTN_SHOW && moveTip) {
                    SetWindowPos(n->hwndFrom, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                    return 1;
                }
            }
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
    Handler handler;
    HWND parent = nullptr;
    std::vector<int> codes;
    LRESULT vetoTab = 0;
    bool moveTip = false;
};

TEST_F(Bars, TabClickChangesPageUnlessVetoed)
{
    HWND tab = CreateWindowEx(0, WC_TABCONTROL, "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 200, parent, (HMENU)90,
                              nullptr, nullptr);
    for (const char* s : {"General", "Axes", "Colours"}) {
        TCITEM it{TCIF_TEXT, 0, 0, (char*)s, 0, 0, 0};
        SendMessage(tab, TCM_INSERTITEM, 99, (LPARAM)&it);
    }
    EXPECT_EQ(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
    RECT r;
    SendMessage(tab, TCM_GETITEMRECT, 1, (LPARAM)&r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tab, &p);
    vetoTab = 1;
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
    vetoTab = 0;
    codes.clear();
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(codes, (std::vector<int>{TCN_SELCHANGING, TCN_SELCHANGE}));
    RECT disp{0, 0, 300, 200};
    SendMessage(tab, TCM_ADJUSTRECT, FALSE, (LPARAM)&disp);
    EXPECT_GT(disp.top, 10);
    SendMessage(tab, TCM_ADJUSTRECT, TRUE, (LPARAM)&disp);
    EXPECT_EQ(disp.top, 0);
}

TEST_F(Bars, StatusBarPartsAndSimpleMode)
{
    HWND sb = CreateWindowEx(0, STATUSCLASSNAME, "Ready", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 278, 400, 22,
                             parent, (HMENU)91, nullptr, nullptr);
    int rights[] = {200, 300, -1};
    SendMessage(sb, SB_SETPARTS, 3, (LPARAM)rights);
    SendMessage(sb, SB_SETTEXT, 1, (LPARAM) "Ln 3");
    SendMessage(sb, SB_SETTEXT, SB_SIMPLEID, (LPARAM) "Menu help");
    HDC dc = CreateRecordingDC(FALSE);
    SendMessage(sb, WM_PRINTCLIENT, (WPARAM)dc, 0);
    std::string log = GetRecordingLog(dc);
    EXPECT_NE(log.find("\"Ln 3\""), std::string::npos);
    EXPECT_EQ(log.find("Menu help"), std::string::npos);
    SendMessage(sb, SB_SIMPLE, TRUE, 0);
    ClearRecordingLog(dc);
    SendMessage(sb, WM_PRINTCLIENT, (WPARAM)dc, 0);
    log = GetRecordingLog(dc);
    EXPECT_NE(log.find("Menu help"), std::string::npos);
    EXPECT_EQ(log.find("Ln 3"), std::string::npos);
    SendMessage(sb, SB_SIMPLE, FALSE, 0);
    char buf[32];
    SendMessage(sb, SB_GETTEXT, 0, (LPARAM)buf);
    EXPECT_STREQ(buf, "Ready");
    RECT r;
    SendMessage(sb, SB_GETRECT, 2, (LPARAM)&r);
    EXPECT_EQ(r.left, 300);
    DeleteDC(dc);
}

TEST_F(Bars, TooltipShowsCallbackTextNonActivatingAndCanBeMoved)
{
    HWND button = CreateWindowEx(0, WC_BUTTON, "B", WS_CHILD | WS_VISIBLE, 20, 20, 60, 24, parent, (HMENU)92, nullptr,
                                 nullptr);
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    TOOLINFO ti{sizeof ti, TTF_IDISHWND, parent, (UINT_PTR)button, {}, nullptr, LPSTR_TEXTCALLBACK, 0};
    SendMessage(tip, TTM_ADDTOOL, 0, (LPARAM)&ti);
    SendMessage(tip, TTM_SETMAXTIPWIDTH, 0, 120);
    EXPECT_EQ(SendMessage(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    HWND active = GetActiveWindow();
    MSG m{button, WM_MOUSEMOVE, 0, MAKELONG(5, 5), 0, {}};
    SendMessage(tip, TTM_RELAYEVENT, 0, (LPARAM)&m);
    EXPECT_FALSE(IsWindowVisible(tip));   // the initial delay has not passed
    SendMessage(tip, WM_TIMER, 1, 0);     // it passes
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_TRUE(GetWindowLongPtr(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char text[32];
    HDC dc = CreateRecordingDC(FALSE);
    SendMessage(tip, WM_PRINTCLIENT, (WPARAM)dc, 0);
    snprintf(text, sizeof text, "tip %d", (int)(UINT_PTR)button);
    EXPECT_NE(GetRecordingLog(dc).find(text), std::string::npos) << GetRecordingLog(dc);
    // A click hides it; TTN_SHOW may place it.
    MSG click{button, WM_LBUTTONDOWN, 0, MAKELONG(5, 5), 0, {}};
    SendMessage(tip, TTM_RELAYEVENT, 0, (LPARAM)&click);
    EXPECT_FALSE(IsWindowVisible(tip));
    moveTip = true;
    SendMessage(tip, TTM_RELAYEVENT, 0, (LPARAM)&m);
    SendMessage(tip, WM_TIMER, 1, 0);
    RECT r;
    GetWindowRect(tip, &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    DeleteDC(dc);
    DestroyWindow(tip);
}

TEST_F(Bars, SubclassingToolsGetTheirMouseMessagesRelayedWithoutTheOwner)
{
    HWND button = CreateWindowEx(0, WC_BUTTON, "B", WS_CHILD | WS_VISIBLE, 20, 20, 60, 24, parent, (HMENU)93, nullptr,
                                 nullptr);
    const LONG_PTR buttonProc = GetWindowLongPtr(button, GWLP_WNDPROC);
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    TOOLINFO ti{sizeof ti, TTF_IDISHWND | TTF_SUBCLASS, parent, (UINT_PTR)button, {}, nullptr, LPSTR_TEXTCALLBACK, 0};
    SendMessage(tip, TTM_ADDTOOL, 0, (LPARAM)&ti);
    RECT r;
    GetWindowRect(button, &r);
    InjectMouseMove(r.left + 5, r.top + 5);
    PumpUntilIdle();
    SendMessage(tip, WM_TIMER, 1, 0);   // the initial delay passes
    EXPECT_TRUE(IsWindowVisible(tip));
    // A press on the tool hides the tip; the button still gets its click.
    InjectClick(r.left + 5, r.top + 5);
    PumpUntilIdle();
    EXPECT_FALSE(IsWindowVisible(tip));
    // Deleting the tool gives the button its own procedure back; moves no longer arm the tip.
    SendMessage(tip, TTM_DELTOOL, 0, (LPARAM)&ti);
    EXPECT_EQ(GetWindowLongPtr(button, GWLP_WNDPROC), buttonProc);
    // Destroying the tip unhooks as well.
    SendMessage(tip, TTM_ADDTOOL, 0, (LPARAM)&ti);
    EXPECT_NE(GetWindowLongPtr(button, GWLP_WNDPROC), buttonProc);
    DestroyWindow(tip);
    EXPECT_EQ(GetWindowLongPtr(button, GWLP_WNDPROC), buttonProc);
    // A tool window destroyed while hooked leaves nothing behind.
    HWND tip2 = CreateWindowEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
    SendMessage(tip2, TTM_ADDTOOL, 0, (LPARAM)&ti);
    DestroyWindow(button);
    DestroyWindow(tip2);
}

}  // namespace
