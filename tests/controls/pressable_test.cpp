// The one press behaviour of the controls: a push button, a toolbar button
// and an up-down arrow pressed, dragged off and back, released, repeated and
// robbed of the capture, driven by injected input.
#include <gtest/gtest.h>

#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Pressables : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_COMMAND) commands.push_back((int)LOWORD(w));
            if (m == WM_VSCROLL) scrolls.push_back((int)LOWORD(w));
            return DefWindowProc(h, m, w, l);
        };
        MakeWindow(&handler);
        parent = CreateWindowEx(0, "PlatformTestWindow", "Frame", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
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
    std::vector<int> commands, scrolls;
};

TEST_F(Pressables, AButtonIsPushedWhileThePointerIsOverItAndClicksOnlyWhenReleasedThere)
{
    HWND b = CreateWindowEx(0, WC_BUTTON, "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, parent,
                            (HMENU)301, nullptr, nullptr);
    const POINT in = Screen(b, 40, 12), out = Screen(b, 40, 100);
    InjectButton(VK_LBUTTON, true, in.x, in.y);
    PumpUntilIdle();
    EXPECT_EQ(CurrentCapture(), b);
    EXPECT_TRUE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    InjectMouseMove(out.x, out.y);
    PumpUntilIdle();
    EXPECT_FALSE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    InjectMouseMove(in.x, in.y);
    PumpUntilIdle();
    EXPECT_TRUE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    InjectMouseMove(out.x, out.y);
    InjectButton(VK_LBUTTON, false, out.x, out.y);
    PumpUntilIdle();
    EXPECT_TRUE(commands.empty());   // released outside: no click
    EXPECT_EQ(CurrentCapture(), nullptr);
    InjectClick(in.x, in.y);
    PumpUntilIdle();
    EXPECT_EQ(commands, (std::vector<int>{301}));
}

TEST_F(Pressables, ALostCaptureEndsAPressWithoutAClick)
{
    HWND b = CreateWindowEx(0, WC_BUTTON, "OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24, parent,
                            (HMENU)302, nullptr, nullptr);
    const POINT in = Screen(b, 40, 12);
    InjectButton(VK_LBUTTON, true, in.x, in.y);
    PumpUntilIdle();
    ASSERT_EQ(CurrentCapture(), b);
    SetCapture(parent);
    EXPECT_FALSE(SendMessage(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
    ReleaseCapture();
    InjectButton(VK_LBUTTON, false, in.x, in.y);
    PumpUntilIdle();
    EXPECT_TRUE(commands.empty());
}

TEST_F(Pressables, AToolbarButtonFollowsThePointerAndClicksWhereItWasPressed)
{
    HWND tb = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 30, parent, (HMENU)310,
                             nullptr, nullptr);
    TBBUTTON buttons[] = {
        {-1, 401, TBSTATE_ENABLED, BTNS_BUTTON, 0, -1},
        {-1, 402, TBSTATE_ENABLED, BTNS_BUTTON, 0, -1},
    };
    SendMessage(tb, TB_ADDBUTTONS, 2, (LPARAM)buttons);
    RECT r0, r1;
    SendMessage(tb, TB_GETITEMRECT, 0, (LPARAM)&r0);
    SendMessage(tb, TB_GETITEMRECT, 1, (LPARAM)&r1);
    const POINT first = Screen(tb, (r0.left + r0.right) / 2, (r0.top + r0.bottom) / 2);
    const POINT second = Screen(tb, (r1.left + r1.right) / 2, (r1.top + r1.bottom) / 2);
    // Pressed on the first, released over the second: no command.
    InjectButton(VK_LBUTTON, true, first.x, first.y);
    InjectMouseMove(second.x, second.y);
    InjectButton(VK_LBUTTON, false, second.x, second.y);
    PumpUntilIdle();
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(CurrentCapture(), nullptr);
    // Off and back onto the pressed button: its command.
    InjectButton(VK_LBUTTON, true, first.x, first.y);
    InjectMouseMove(second.x, second.y);
    InjectMouseMove(first.x, first.y);
    InjectButton(VK_LBUTTON, false, first.x, first.y);
    PumpUntilIdle();
    EXPECT_EQ(commands, (std::vector<int>{401}));
}

TEST_F(Pressables, AHeldUpDownArrowRepeatsUntilReleased)
{
    HWND ud = CreateWindowEx(0, UPDOWN_CLASS, "", WS_CHILD | WS_VISIBLE, 10, 10, 16, 22, parent, (HMENU)320,
                             nullptr, nullptr);
    SendMessage(ud, UDM_SETRANGE32, 0, 100);
    const POINT up = Screen(ud, 8, 3);
    InjectButton(VK_LBUTTON, true, up.x, up.y);
    PumpUntilIdle([](MSG& m) { return m.message == WM_TIMER; });   // ticks come from the test
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 1);   // one step at the press
    EXPECT_EQ(CurrentCapture(), ud);
    // The repeat timer's ticks step while the arrow is held.
    SendMessage(ud, WM_TIMER, 1, 0);
    SendMessage(ud, WM_TIMER, 1, 0);
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 3);
    InjectButton(VK_LBUTTON, false, up.x, up.y);
    PumpUntilIdle([](MSG& m) { return m.message == WM_TIMER; });   // ticks come from the test
    EXPECT_EQ(CurrentCapture(), nullptr);
    ASSERT_FALSE(scrolls.empty());
    EXPECT_EQ(scrolls.back(), SB_ENDSCROLL);
    SendMessage(ud, WM_TIMER, 1, 0);   // a late tick after the release steps no more
    EXPECT_EQ(SendMessage(ud, UDM_GETPOS32, 0, 0), 3);
}

}  // namespace
