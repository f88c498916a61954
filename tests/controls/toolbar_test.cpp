// The toolbar: image lists, greyed images, drop-down arrows, wrapping, clicks.
#include <gtest/gtest.h>

#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Toolbars : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_COMMAND) commands.push_back((int)LOWORD(w));
            if (m == WM_NOTIFY && ((NMHDR*)l)->code == (UINT)TBN_DROPDOWN) dropped.push_back(((NMTOOLBAR*)l)->iItem);
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
        for (HIMAGELIST il : lists) ImageList_Destroy(il);
        PumpUntilIdle();
        ResetHeadlessInput();
    }
    // An image list of n solid 16 x 16 squares in the given colour.
    HIMAGELIST Squares(int n, COLORREF colour)
    {
        HIMAGELIST il = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, n, 0);
        HDC mem = CreateCompatibleDC(nullptr);
        HBITMAP bm = CreateBitmap(16 * n, 16, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(mem, bm);
        RECT r{0, 0, 16 * n, 16};
        HBRUSH b = CreateSolidBrush(colour);
        FillRect(mem, &r, b);
        DeleteObject(b);
        SelectObject(mem, old);
        DeleteDC(mem);
        ImageList_AddMasked(il, bm, RGB(255, 0, 255));
        DeleteObject(bm);
        lists.push_back(il);
        return il;
    }
    Handler handler;
    HWND parent = nullptr;
    std::vector<int> commands, dropped;
    std::vector<HIMAGELIST> lists;
};

TEST_F(Toolbars, ImagesGreyingDropDownsWrappingAndClicks)
{
    HWND tb = CreateWindowEx(0, TOOLBARCLASSNAME, "", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_WRAPABLE, 0, 0,
                             400, 30, parent, (HMENU)110, nullptr, nullptr);
    HIMAGELIST normal = Squares(3, RGB(200, 0, 0)), hot = Squares(3, RGB(0, 0, 200));
    EXPECT_EQ(SendMessage(tb, TB_SETIMAGELIST, 0, (LPARAM)normal), 0);
    EXPECT_EQ((HIMAGELIST)SendMessage(tb, TB_SETIMAGELIST, 0, (LPARAM)normal), normal);   // the old list
    EXPECT_EQ(SendMessage(tb, TB_SETHOTIMAGELIST, 0, (LPARAM)hot), 0);
    TBBUTTON buttons[] = {
        {0, 201, TBSTATE_ENABLED, BTNS_BUTTON, 0, -1},
        {0, 0, 0, BTNS_SEP, 0, -1},
        {1, 202, 0, BTNS_BUTTON, 0, -1},   // disabled
        {2, 203, TBSTATE_ENABLED, BTNS_DROPDOWN, 0, -1},
        {2, 204, TBSTATE_ENABLED, BTNS_CHECK, 0, -1},
    };
    SendMessage(tb, TB_ADDBUTTONS, 5, (LPARAM)buttons);
    EXPECT_EQ(SendMessage(tb, TB_BUTTONCOUNT, 0, 0), 5);
    EXPECT_EQ(SendMessage(tb, TB_GETROWS, 0, 0), 1);
    UpdateWindow(parent);
    PumpUntilIdle();
    // The disabled button without a disabled list shows its image greyed.
    RECT r;
    SendMessage(tb, TB_GETITEMRECT, 2, (LPARAM)&r);
    COLORREF c = 0;
    ASSERT_TRUE(HeadlessGetPixel(parent, (r.left + r.right) / 2, (r.top + r.bottom) / 2, &c));
    EXPECT_EQ(c, GetSysColor(COLOR_BTNSHADOW));
    SendMessage(tb, TB_GETITEMRECT, 0, (LPARAM)&r);
    ASSERT_TRUE(HeadlessGetPixel(parent, (r.left + r.right) / 2, (r.top + r.bottom) / 2, &c));
    EXPECT_EQ(c, RGB(200, 0, 0));
    // Clicks: a command, a check toggle, a drop-down arrow.
    auto click = [&](int index, int dx) {
        RECT br;
        SendMessage(tb, TB_GETITEMRECT, (WPARAM)index, (LPARAM)&br);
        POINT p{dx >= 0 ? br.left + dx : br.right + dx, (br.top + br.bottom) / 2};
        ClientToScreen(tb, &p);
        InjectClick(p.x, p.y);
        InjectMouseMove(p.x, p.y + 200);
        PumpUntilIdle();
    };
    click(0, 5);
    click(2, 5);   // disabled: nothing
    click(4, 5);
    click(3, -3);   // the arrow part
    click(3, 4);    // the button part
    EXPECT_EQ(commands, (std::vector<int>{201, 204, 203}));
    EXPECT_EQ(dropped, (std::vector<int>{203}));
    EXPECT_TRUE(SendMessage(tb, TB_ISBUTTONCHECKED, 204, 0));
    // Narrow: the buttons wrap onto more rows.
    SetWindowPos(tb, nullptr, 0, 0, 50, 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(SendMessage(tb, TB_GETROWS, 0, 0), 1);
    SendMessage(tb, TB_AUTOSIZE, 0, 0);
    RECT wr;
    GetWindowRect(tb, &wr);
    EXPECT_GT(wr.bottom - wr.top, 30);
    // The lists stay the caller's after the toolbar is gone.
    DestroyWindow(tb);
    EXPECT_EQ(ImageList_GetImageCount(normal), 3);
}

}  // namespace
