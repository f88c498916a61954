// The surface store: backing images of top-level windows and their dirty rectangles.
#include "platform/backend/headless.h"
#include "platform/user/user.h"
#include <gtest/gtest.h>

namespace {

LRESULT PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProc(h, m, w, l); }

HWND MakeWindow(DWORD style, int x, int y, int cx, int cy, HWND parent = nullptr)
{
    WNDCLASS wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "SurfaceTestWindow";
    RegisterClass(&wc);
    return CreateWindowEx(0, "SurfaceTestWindow", "", style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
}

TEST(SurfaceStore, TopLevelWindowsGetAWhiteImageOfTheirSizeThatDiesWithThem)
{
    HWND h = MakeWindow(WS_OVERLAPPEDWINDOW, 10, 20, 120, 80);
    ASSERT_TRUE(h);
    SIZE size{};
    ASSERT_TRUE(HeadlessGetSurfaceSize(h, &size));
    EXPECT_EQ(size.cx, 120);
    EXPECT_EQ(size.cy, 80);
    COLORREF c = 0;
    ASSERT_TRUE(HeadlessGetPixel(h, 119, 79, &c));
    EXPECT_EQ(c, RGB(255, 255, 255));
    EXPECT_FALSE(HeadlessGetPixel(h, 120, 0, &c));
    HWND child = MakeWindow(WS_CHILD, 5, 5, 10, 10, h);
    ASSERT_TRUE(child);
    EXPECT_FALSE(HeadlessGetSurfaceSize(child, &size));
    std::shared_ptr<CSurface> s = FindSurface(h);
    DestroyWindow(h);
    EXPECT_FALSE(s->alive);
    EXPECT_FALSE(HeadlessGetSurfaceSize(h, &size));
}

TEST(SurfaceStore, DirtyRectanglesAreClippedAndCoveredOnesDropped)
{
    HWND h = MakeWindow(WS_POPUP, 0, 0, 50, 40);
    ASSERT_TRUE(h);
    HeadlessTakeDirtyRects(h);
    MarkSurfaceDirty(h, RECT{-5, -5, 10, 10});
    MarkSurfaceDirty(h, RECT{2, 2, 8, 8});     // covered
    MarkSurfaceDirty(h, RECT{30, 30, 90, 90});
    MarkSurfaceDirty(h, RECT{60, 0, 70, 10});  // outside
    std::vector<RECT> d = HeadlessTakeDirtyRects(h);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0].left, 0);
    EXPECT_EQ(d[0].bottom, 10);
    EXPECT_EQ(d[1].right, 50);
    EXPECT_EQ(d[1].bottom, 40);
    EXPECT_TRUE(HeadlessTakeDirtyRects(h).empty());
    ASSERT_TRUE(ResizeSurface(h, 20, 100));
    SIZE size{};
    HeadlessGetSurfaceSize(h, &size);
    EXPECT_EQ(size.cx, 20);
    EXPECT_EQ(size.cy, 100);
    DestroyWindow(h);
}

}   // namespace
