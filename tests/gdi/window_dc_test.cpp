// Window DCs: children draw into their top-level image at their offset,
// clipped to their rectangle; erasing uses the class brush.
#include "gdi_test_util.h"
#include "platform/backend/headless.h"
#include "platform/user/user.h"

namespace {

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProc(h, m, w, l); }

HWND Make(DWORD style, int x, int y, int cx, int cy, HWND parent)
{
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "WindowDcTest";
        wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_BTNFACE + 1);
        return RegisterClass(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowEx(0, "WindowDcTest", "", style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
}

COLORREF Pixel(HWND h, int x, int y)
{
    COLORREF c = CLR_INVALID;
    HeadlessGetPixel(h, x, y, &c);
    return c;
}

TEST(WindowDc, ChildrenDrawAtTheirOffsetClippedToTheirRectangle)
{
    HWND top = Make(WS_POPUP, 50, 50, 100, 80, nullptr);
    HWND child = Make(WS_CHILD, 10, 20, 30, 15, top);
    ASSERT_TRUE(top && child);
    HeadlessTakeDirtyRects(top);
    HDC dc = GetDC(child);
    EXPECT_EQ(WindowFromDC(dc), child);
    RECT all{-5, -5, 100, 100};
    FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    ReleaseDC(child, dc);
    EXPECT_EQ(Pixel(top, 10, 20), 0u);
    EXPECT_EQ(Pixel(top, 39, 34), 0u);
    EXPECT_EQ(Pixel(top, 40, 25), RGB(255, 255, 255));
    EXPECT_EQ(Pixel(top, 9, 25), RGB(255, 255, 255));
    std::vector<RECT> dirty = HeadlessTakeDirtyRects(top);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0].left, 10);
    EXPECT_EQ(dirty[0].top, 20);
    EXPECT_EQ(dirty[0].right, 40);
    EXPECT_EQ(dirty[0].bottom, 35);
    // WM_PAINT through DefWindowProc erases with the class brush.
    InvalidateRect(top, nullptr, TRUE);
    UpdateWindow(top);
    EXPECT_EQ(Pixel(top, 60, 60), GetSysColor(COLOR_BTNFACE));
    DestroyWindow(top);
}

TEST(WindowDc, ExtTextOutFillsItsOpaqueRectangleAndClips)
{
    CMemoryCanvas c(60, 20);
    SetBkColor(c.dc(), RGB(0, 0, 255));
    SetBkMode(c.dc(), TRANSPARENT);
    RECT r{0, 0, 10, 20};
    ExtTextOut(c.dc(), 0, 0, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWW", 6, nullptr);
    EXPECT_EQ(c.At(9, 19), RGB(0, 0, 255));
    for (int y = 0; y < 20; y++)
        for (int x = 10; x < 60; x++) ASSERT_EQ(c.At(x, y), RGB(255, 255, 255)) << x << "," << y;
}

}   // namespace
