// The hex editor's layout, scroll bars and mouse: rounding to whole items,
// address digits in 64 bits, automatic row length, clamps, a large buffer
// scrolled by its thumb, drag, double-click and the autoscroll timer.
#include "hex_edit_test_util.h"

namespace {

using Bytes_ = std::vector<unsigned char>;

class HexLayoutTest : public HexEditTest {};

TEST_F(HexLayoutTest, OddSizeWith2ByteItemsIsRoundedUpAndReported)
{
    Open({1, 2, 3, 4, 5});
    CTestHexCtrl& h = Hex();
    const int before = h.resized;
    h.SetDigitsPerItem(4);
    EXPECT_EQ(h.m_nDataSize, 6);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(h.resized, before + 1);
    h.SetDigitsPerItem(3);   // anything else is bytes
    EXPECT_EQ(h.GetDigitsPerItem(), 2);
}

TEST_F(HexLayoutTest, AddressDigitsAreComputedIn64Bits)
{
    struct Case {
        DWORD base;
        int size;
        int digits;
    } cases[] = {{0, 0x20, 4}, {0xFFF0, 0x10, 4}, {0xFFF0, 0x20, 8}, {0xFFFFFFF0, 0x20, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        Hex().m_dwBaseAddress = c.base;
        Open(Bytes_((size_t)c.size));
        EXPECT_EQ(Hex().GetAddressDigits(), c.digits);
        Close();
    }
}

TEST_F(HexLayoutTest, AutomaticRowLengthFollowsTheClientWidth)
{
    Open(Bytes_(16));
    CTestHexCtrl& h = Hex();
    RECT wr, cr;
    GetWindowRect(h.m_hWnd, &wr);
    GetClientRect(h.m_hWnd, &cr);
    ASSERT_FALSE(GetWindowLongPtr(h.m_hWnd, GWL_STYLE) & WS_VSCROLL);
    const int border = (wr.right - wr.left) - cr.right;
    // Cells of 7 px after a 3 px margin; "0000  " then 4 columns an item.
    struct Case {
        int client;
        int items;
    } cases[] = {{192, 5}, {219, 5}, {220, 6}, {80, 1}, {10, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.client);
        SetWindowPos(h.m_hWnd, nullptr, 0, 0, c.client + border, 120 + border, SWP_NOMOVE | SWP_NOZORDER);
        h.SetItemsPerRow(0);
        EXPECT_EQ(h.GetItemsPerRow(), c.items);
    }
    // The computed length stays when the window changes again.
    SetWindowPos(h.m_hWnd, nullptr, 0, 0, 220 + border, 120 + border, SWP_NOMOVE | SWP_NOZORDER);
    h.SetItemsPerRow(0);
    SetWindowPos(h.m_hWnd, nullptr, 0, 0, 400 + border, 120 + border, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(h.GetItemsPerRow(), 6);
}

TEST_F(HexLayoutTest, RowLengthClampsAndZeroBeforeTheWindowDividesNothing)
{
    CTestHexCtrl& h = Hex();
    h.SetItemsPerRow(0);   // no window yet: stays pending
    h.SetItemsPerRow(-3);
    Open(Bytes_(100));
    EXPECT_GE(h.GetItemsPerRow(), 1);
    h.SetItemsPerRow(40000);
    EXPECT_EQ(h.GetItemsPerRow(), 32767);
    Key(VK_END);
    EXPECT_EQ(h.GetCaret(), 100);
    Key(VK_HOME, false, true);
    Key(VK_RIGHT, true);
    Key(VK_END, true);
    EXPECT_EQ(h.GetSelectionStart(), 0);
    EXPECT_EQ(h.GetSelectionEnd(), 99);
    UpdateWindow(host->m_hWnd);
}

TEST_F(HexLayoutTest, ThumbDraggedToTheBottomShowsTheLastRowOfAMillionBytes)
{
    Open(Bytes_(1000000));
    CTestHexCtrl& h = Hex();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(h.m_hWnd, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 125000);   // 125,000 rows and the caret's row after them
    ASSERT_TRUE(GetWindowLongPtr(h.m_hWnd, GWL_STYLE) & WS_VSCROLL);

    RECT wr, cr;
    GetWindowRect(h.m_hWnd, &wr);
    GetClientRect(h.m_hWnd, &cr);
    POINT origin{0, 0};
    ClientToScreen(h.m_hWnd, &origin);
    RECT bar{origin.x + cr.right, origin.y, origin.x + cr.right + GetSystemMetrics(SM_CXVSCROLL), origin.y + cr.bottom};
    CScrollBarState state;
    state.min = si.nMin;
    state.max = si.nMax;
    state.page = si.nPage;
    state.pos = si.nPos;
    state.shown = true;
    ScrollBarLayout lay = LayoutScrollBar(state, bar, true);
    ASSERT_GT(lay.thumbLength, 0);
    const int x = (bar.left + bar.right) / 2, y = bar.top + lay.thumbStart + lay.thumbLength / 2;
    InjectMouseMove(x, y);
    InjectButton(VK_LBUTTON, true, x, y);
    InjectMouseMove(x, y + 40);
    InjectMouseMove(x, bar.bottom + 300);
    InjectButton(VK_LBUTTON, false, x, bar.bottom + 300);
    Pump();
    const int lastRow = 999999 / 8;
    const int top = h.GetTopItem() / 8;
    EXPECT_GT(top, 65535);
    EXPECT_LE(top, lastRow);
    EXPECT_GT(top + h.GetVisibleRows(), lastRow);
}

TEST_F(HexLayoutTest, TheCaretScrollsTheViewSideways)
{
    host->hexRect = RECT{0, 0, 160, 100};
    Open(Bytes_(16));
    CTestHexCtrl& h = Hex();
    ASSERT_TRUE(GetWindowLongPtr(h.m_hWnd, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(GetScrollPos(h.m_hWnd, SB_HORZ), 0);
    Key(VK_TAB, false, true);   // the ASCII column lies past the right edge
    const int shown = GetScrollPos(h.m_hWnd, SB_HORZ);
    EXPECT_GT(shown, 0);
    Key(VK_TAB, false, true);
    Key(VK_HOME);
    EXPECT_EQ(GetScrollPos(h.m_hWnd, SB_HORZ), 0);
    h.SendMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
    EXPECT_GT(GetScrollPos(h.m_hWnd, SB_HORZ), 0);
    h.SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    h.SendMessage(WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(GetScrollPos(h.m_hWnd, SB_HORZ), 0);
}

TEST_F(HexLayoutTest, MouseDragAndDoubleClickSelect)
{
    Bytes_ data(40);
    Open(data);
    CTestHexCtrl& h = Hex();
    // Press on item 2 of row 0, drag to item 4 of row 1.
    POINT a = Screen(HexCell(0, 2).x, HexCell(0, 2).y), b = Screen(HexCell(1, 4).x, HexCell(1, 4).y);
    InjectMouseMove(a.x, a.y);
    Pump();
    EXPECT_EQ(CurrentCursorName(), "IDC:32513");   // the I-beam of the class
    InjectButton(VK_LBUTTON, true, a.x, a.y);
    InjectMouseMove(b.x, b.y);
    InjectButton(VK_LBUTTON, false, b.x, b.y);
    Pump();
    EXPECT_EQ(h.GetSelectionStart(), 2);
    EXPECT_EQ(h.GetSelectionEnd(), 12);
    EXPECT_EQ(h.GetCaret(), 13);
    EXPECT_EQ(CurrentCapture(), nullptr);

    // Dragging backwards selects from the point to the anchor.
    InjectButton(VK_LBUTTON, true, b.x, b.y);
    InjectMouseMove(a.x, a.y);
    InjectButton(VK_LBUTTON, false, a.x, a.y);
    Pump();
    EXPECT_EQ(h.GetSelectionStart(), 2);
    EXPECT_EQ(h.GetSelectionEnd(), 12);

    // A double-click selects the one item and puts the caret after it.
    const POINT c = Screen(HexCell(2, 5).x, HexCell(2, 5).y);
    InjectMouseMove(c.x + 40, c.y + 40);
    InjectClick(c.x, c.y);
    InjectClick(c.x, c.y);
    Pump();
    EXPECT_EQ(h.GetSelectionStart(), 21);
    EXPECT_EQ(h.GetSelectionEnd(), 21);
    EXPECT_EQ(h.GetCaret(), 22);

    // A click in the ASCII column moves the caret there.
    const int asciiX = (6 + 8 * 3 + 1 + 3) * 7 + 3 + 2;
    const POINT d = Screen(asciiX, 14 + 5);
    InjectMouseMove(d.x + 30, d.y + 30);
    Pump();
    g_fakeTicks += 5000;   // not a double-click
    InjectClick(d.x, d.y);
    Pump();
    EXPECT_FALSE(h.IsCaretInHexArea());
    EXPECT_EQ(h.GetCaret(), 11);
    EXPECT_EQ(h.GetSelectionStart(), -1);
}

TEST_F(HexLayoutTest, HoldingTheButtonBelowTheClientScrollsOnEachTick)
{
    Open(Bytes_(800));
    CTestHexCtrl& h = Hex();
    ASSERT_LT(h.GetVisibleRows(), 100);
    RECT cr;
    GetClientRect(h.m_hWnd, &cr);
    const POINT a = Screen(HexCell(0, 1).x, HexCell(0, 1).y);
    const POINT below = Screen(HexCell(0, 1).x, cr.bottom + 5);
    InjectMouseMove(a.x, a.y);
    InjectButton(VK_LBUTTON, true, a.x, a.y);
    InjectMouseMove(below.x, below.y);
    Pump();
    const int top0 = h.GetTopItem();
    for (int tick = 1; tick <= 3; ++tick) {
        g_fakeTicks += 200;
        Pump();
        EXPECT_EQ(h.GetTopItem(), top0 + tick * 8);
    }
    EXPECT_EQ(h.GetSelectionStart(), 1);
    InjectButton(VK_LBUTTON, false, below.x, below.y);
    Pump();
    g_fakeTicks += 1000;
    Pump();
    EXPECT_EQ(h.GetTopItem(), top0 + 3 * 8);   // the timer is gone
    EXPECT_EQ(h.GetCaret(), h.GetSelectionEnd() + 1);
}

}  // namespace

namespace {

// The window goes away inside every handler in turn while a script of input
// runs on: nothing may touch a destroyed window (clean under ASan).
TEST_F(HexLayoutTest, DestroyedInsideEveryHandlerOfAScript)
{
    auto script = [this] {
        Type("A5");
        Key(VK_RIGHT, true);
        Key(VK_RIGHT, true);
        Key('C', false, true);
        Key('V', false, true);
        Key(VK_DELETE);
        const POINT a = Screen(HexCell(0, 1).x, HexCell(0, 1).y), b = Screen(HexCell(1, 3).x, HexCell(1, 3).y);
        InjectMouseMove(a.x, a.y);
        InjectButton(VK_LBUTTON, true, a.x, a.y);
        InjectMouseMove(b.x, b.y);
        InjectButton(VK_LBUTTON, false, b.x, b.y);
        InjectClick(b.x, b.y);
        Pump();
        Hex().onMenuIdle = [] { InjectKeyStroke(VK_ESCAPE); };
        Key(VK_F10, true);
        Key(VK_INSERT);
        Key(VK_BACK);
        Key(VK_TAB, false, true);
        Type("x");
    };
    int n = 1;
    for (; n < 400; ++n) {
        host->hexRect = RECT{0, 0, 300, 60};   // few rows: every pump paints
        Open(Bytes_(20));
        Hex().destroyAt = n;
        Hex().calls = 0;
        script();
        const bool reached = Hex().calls >= n;
        EXPECT_EQ(IsWindow(host->m_hWnd), !reached);
        Close();
        if (!reached) break;
    }
    EXPECT_GT(n, 20);
    EXPECT_LT(n, 400);
    EXPECT_TRUE(TakeMessageBoxLog().empty());
}

}  // namespace
