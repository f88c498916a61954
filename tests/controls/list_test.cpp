// List box and combo box: sorting, item data, check list, bulk adds with
// redraw off, keys on closed and dropped lists, owner draw of the edit field.
#include <gtest/gtest.h>

#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Lists : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_COMMAND) commands.push_back({(int)LOWORD(w), (int)HIWORD(w)});
            if (m == WM_DRAWITEM) draws.push_back(*(const DRAWITEMSTRUCT*)l);
            return DefWindowProc(h, m, w, l);
        };
        MakeWindow(&handler);   // registers the test class
        parent = CreateWindowEx(0, "PlatformTestWindow", "Dialog", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                nullptr, nullptr, &handler);
        SetFocus(parent);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        PumpUntilIdle();
        ResetHeadlessInput();
    }
    HWND Make(const char* cls, DWORD style, int id, int h = 100)
    {
        return CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10, 150, h, parent,
                              (HMENU)(uintptr_t)id, nullptr, nullptr);
    }
    std::vector<std::pair<int, int>> Codes(int code)
    {
        std::vector<std::pair<int, int>> out;
        for (auto& c : commands)
            if (c.second == code) out.push_back(c);
        return out;
    }
    Handler handler;
    HWND parent = nullptr;
    std::vector<std::pair<int, int>> commands;
    std::vector<DRAWITEMSTRUCT> draws;
};

std::string LbText(HWND lb, int i)
{
    char buf[64] = {};
    SendMessage(lb, LB_GETTEXT, (WPARAM)i, (LPARAM)buf);
    return buf;
}

TEST_F(Lists, ListBoxSortsKeepsDataFindsAndNotifies)
{
    HWND lb = Make(WC_LISTBOX, LBS_SORT | LBS_NOTIFY | LBS_HASSTRINGS, 60);
    SendMessage(lb, WM_SETREDRAW, FALSE, 0);
    for (const char* s : {"pear", "Apple", "fig", "banana"}) {
        int at = (int)SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)s);
        SendMessage(lb, LB_SETITEMDATA, (WPARAM)at, (LPARAM)strlen(s));
    }
    SendMessage(lb, WM_SETREDRAW, TRUE, 0);
    ASSERT_EQ(SendMessage(lb, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(LbText(lb, 0), "Apple");
    EXPECT_EQ(LbText(lb, 1), "banana");
    EXPECT_EQ(LbText(lb, 3), "pear");
    EXPECT_EQ(SendMessage(lb, LB_GETITEMDATA, 2, 0), 3);   // fig
    EXPECT_EQ(SendMessage(lb, LB_FINDSTRING, (WPARAM)-1, (LPARAM) "BAN"), 1);
    EXPECT_EQ(SendMessage(lb, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "ban"), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_SETCURSEL, 9, 0), LB_ERR);
    EXPECT_EQ(SendMessage(lb, LB_GETTEXTLEN, 9, 0), LB_ERR);
    // Keys move the selection and tell the parent; typing a letter finds an item.
    SetFocus(lb);
    commands.clear();
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 1);
    SendMessage(lb, WM_CHAR, 'p', 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Codes(LBN_SELCHANGE).size(), 3u);
    // A click selects the item under it.
    RECT r;
    SendMessage(lb, LB_GETITEMRECT, 2, (LPARAM)&r);
    POINT p{r.left + 20, (r.top + r.bottom) / 2};
    ClientToScreen(lb, &p);
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(lb, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(Lists, CheckListTogglesByClickAndSpace)
{
    HWND lb = Make(WC_LISTBOX, LBS_CHECKLIST | LBS_HASSTRINGS | LBS_NOTIFY, 61);
    SendMessage(lb, LB_ADDSTRING, 0, (LPARAM) "one");
    SendMessage(lb, LB_ADDSTRING, 0, (LPARAM) "two");
    RECT r;
    SendMessage(lb, LB_GETITEMRECT, 1, (LPARAM)&r);
    POINT p{r.left + 6, (r.top + r.bottom) / 2};
    ClientToScreen(lb, &p);
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(lb, LB_GETCHECK, 1, 0), 1);
    SendMessage(lb, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(SendMessage(lb, LB_GETCHECK, 1, 0), 0);
    EXPECT_EQ(Codes(CLBN_CHKCHANGE).size(), 2u);
}

TEST_F(Lists, ComboDropsDownAndIsSelectedByKeys)
{
    HWND cb = Make(WC_COMBOBOX, CBS_DROPDOWNLIST | CBS_HASSTRINGS, 70, 24);
    for (const char* s : {"red", "green", "blue"}) SendMessage(cb, CB_ADDSTRING, 0, (LPARAM)s);
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessage(cb, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessage(cb, CB_GETLBTEXTLEN, 7, 0), CB_ERR);
    SetFocus(cb);
    PumpUntilIdle();
    // Keys on the closed list change the selection and fire CBN_SELCHANGE at once.
    commands.clear();
    InjectKeyStroke(VK_DOWN);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Codes(CBN_SELCHANGE).size(), 1u);
    // F4 drops the list: a visible top-most pop-up that did not take activation.
    HWND active = GetActiveWindow();
    InjectKeyStroke(VK_F4);
    PumpUntilIdle();
    EXPECT_TRUE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(GetActiveWindow(), active);
    EXPECT_EQ(GetFocus(), cb);
    RECT listRect{}, comboRect{};
    SendMessage(cb, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&listRect);
    GetWindowRect(cb, &comboRect);
    EXPECT_EQ(listRect.top, comboRect.bottom);   // below the combo, outside its parent's clip
    // Down twice while dropped: no change notified until Enter.
    commands.clear();
    InjectKeyStroke(VK_DOWN);
    InjectKeyStroke(VK_DOWN);
    PumpUntilIdle();
    EXPECT_TRUE(Codes(CBN_SELCHANGE).empty());
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle();
    EXPECT_FALSE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(Codes(CBN_SELCHANGE).size(), 1u);
    char text[16];
    GetWindowText(cb, text, sizeof text);
    EXPECT_STREQ(text, "blue");
    // Esc while dropped restores the selection.
    InjectKeyStroke(VK_F4);
    InjectKeyStroke(VK_UP);
    InjectKeyStroke(VK_ESCAPE);
    PumpUntilIdle();
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), 2);
    // A click drops it, a click on an item picks it.
    RECT cr;
    GetWindowRect(cb, &cr);
    InjectClick(cr.right - 5, (cr.top + cr.bottom) / 2);
    PumpUntilIdle();
    ASSERT_TRUE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    SendMessage(cb, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&listRect);
    InjectClick(listRect.left + 10, listRect.top + 4);
    PumpUntilIdle();
    EXPECT_FALSE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(Lists, OwnerDrawComboPaintsItemMinusOneInTheEditField)
{
    HWND cb = Make(WC_COMBOBOX, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 71, 24);
    SendMessage(cb, CB_ADDSTRING, 0, (LPARAM)0x1234);
    EXPECT_EQ(SendMessage(cb, CB_GETITEMDATA, 0, 0), 0x1234);
    HDC dc = CreateRecordingDC(FALSE);
    draws.clear();
    SendMessage(cb, WM_PRINTCLIENT, (WPARAM)dc, 0);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].itemID, (UINT)-1);
    EXPECT_TRUE(draws[0].itemState & ODS_COMBOBOXEDIT);
    EXPECT_EQ(draws[0].CtlType, (UINT)ODT_COMBOBOX);
    SendMessage(cb, CB_SETCURSEL, 0, 0);
    draws.clear();
    SendMessage(cb, WM_PRINTCLIENT, (WPARAM)dc, 0);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].itemID, 0u);
    EXPECT_EQ(draws[0].itemData, (UINT_PTR)0x1234);
    DeleteDC(dc);
}

TEST_F(Lists, DropDownComboHasAnEditField)
{
    HWND cb = Make(WC_COMBOBOX, CBS_DROPDOWN | CBS_HASSTRINGS, 72, 24);
    SendMessage(cb, CB_ADDSTRING, 0, (LPARAM) "alpha");
    SendMessage(cb, CB_SETCURSEL, 0, 0);
    char text[16];
    GetWindowText(cb, text, sizeof text);
    EXPECT_STREQ(text, "alpha");
    SetWindowText(cb, "typed");
    GetWindowText(cb, text, sizeof text);
    EXPECT_STREQ(text, "typed");
}

// Dialog templates give drop-down combos WS_VSCROLL for their lists: the
// closed box looks the same with it as without it, no scroll bar beside it.
TEST_F(Lists, ClosedComboShowsNoScrollBarOfItsOwn)
{
    auto make = [&](DWORD extra, int y, int id) {
        HWND cb = CreateWindowEx(0, WC_COMBOBOX, "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_HASSTRINGS | extra, 10,
                                 y, 150, 120, parent, (HMENU)(uintptr_t)id, nullptr, nullptr);
        SendMessage(cb, CB_ADDSTRING, 0, (LPARAM) "Local");
        SendMessage(cb, CB_SETCURSEL, 0, 0);
        return cb;
    };
    HWND plain = make(0, 10, 73), scrolled = make(WS_VSCROLL | WS_HSCROLL, 60, 74);
    EXPECT_FALSE(GetWindowLongPtr(scrolled, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
    RECT wr, cr;
    GetWindowRect(scrolled, &wr);
    GetClientRect(scrolled, &cr);
    EXPECT_EQ(cr.right, wr.right - wr.left);
    InvalidateRect(parent, nullptr, TRUE);
    UpdateWindow(parent);
    PumpUntilIdle();
    RECT a, b;
    GetWindowRect(plain, &a);
    GetWindowRect(scrolled, &b);
    ASSERT_EQ(a.right - a.left, b.right - b.left);
    ASSERT_EQ(a.bottom - a.top, b.bottom - b.top);
    POINT pa{a.left, a.top}, pb{b.left, b.top};
    ScreenToClient(parent, &pa);
    ScreenToClient(parent, &pb);
    int differing = 0;
    for (int y = 0; y < a.bottom - a.top; ++y)
        for (int x = 0; x < a.right - a.left; ++x) {
            COLORREF ca = 0, cb = 0;
            ASSERT_TRUE(HeadlessGetPixel(parent, pa.x + x, pa.y + y, &ca));
            ASSERT_TRUE(HeadlessGetPixel(parent, pb.x + x, pb.y + y, &cb));
            differing += ca != cb;
        }
    EXPECT_EQ(differing, 0);
}

// The opened list highlights the current choice and keeps it in view; the
// pointer over the field or the list moves the highlight only, the field
// keeps the choice, and Escape keeps it too.
TEST_F(Lists, OpenedListShowsTheCurrentChoice)
{
    HWND cb = Make(WC_COMBOBOX, CBS_DROPDOWNLIST | CBS_HASSTRINGS, 75, 160);
    const char* names[] = {"Arial", "Courier New", "DejaVu Sans", "Liberation Mono", "Liberation Sans",
                           "Liberation Serif", "Lines", "Markers", "Points", "Steps", "Symbols", "Times"};
    for (const char* s : names) SendMessage(cb, CB_ADDSTRING, 0, (LPARAM)s);
    SendMessage(cb, CB_SETCURSEL, 10, 0);   // "Symbols": below the first page of the list
    PumpUntilIdle();
    auto fieldTexts = [&] {
        HDC dc = CreateRecordingDC(FALSE);
        SendMessage(cb, WM_PRINTCLIENT, (WPARAM)dc, 0);
        const std::string log = GetRecordingLog(dc);
        DeleteDC(dc);
        return log;
    };
    RECT cr;
    GetWindowRect(cb, &cr);
    InjectClick(cr.right - 5, (cr.top + cr.bottom) / 2);
    PumpUntilIdle();
    ASSERT_TRUE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    RECT lr;
    SendMessage(cb, CB_GETDROPPEDCONTROLRECT, 0, (LPARAM)&lr);
    HWND list = WindowFromPoint(POINT{(lr.left + lr.right) / 2, (lr.top + lr.bottom) / 2});
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list, cb);
    // The pointer rests on the field, then beside the list.
    commands.clear();
    for (POINT p : {POINT{cr.left + 20, (cr.top + cr.bottom) / 2}, POINT{cr.left + 30, cr.top + 2},
                    POINT{lr.right + 20, lr.top + 10}}) {
        InjectMouseMove(p.x, p.y);
        PumpUntilIdle();
    }
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 10);
    const std::string field = fieldTexts();
    EXPECT_NE(field.find("\"Symbols\""), std::string::npos) << field;
    EXPECT_EQ(field.find("\"Arial\""), std::string::npos) << field;
    // The choice is in view and painted highlighted.
    RECT item{};
    ASSERT_NE(SendMessage(list, LB_GETITEMRECT, 10, (LPARAM)&item), LB_ERR);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_GE(item.top, client.top);
    EXPECT_LE(item.bottom, client.bottom);
    // Past the text, in the list's own surface (its border included).
    POINT inItem{item.right - 4, (item.top + item.bottom) / 2};
    ClientToScreen(list, &inItem);
    RECT lw;
    GetWindowRect(list, &lw);
    COLORREF c = 0;
    ASSERT_TRUE(HeadlessGetPixel(list, inItem.x - lw.left, inItem.y - lw.top, &c));
    EXPECT_EQ(c, GetSysColor(COLOR_HIGHLIGHT));
    // Over an item of the list: the highlight follows, the field does not.
    RECT other{};
    SendMessage(list, LB_GETITEMRECT, (WPARAM)SendMessage(list, LB_GETTOPINDEX, 0, 0), (LPARAM)&other);
    POINT over{other.left + 10, (other.top + other.bottom) / 2};
    ClientToScreen(list, &over);
    InjectMouseMove(over.x, over.y);
    PumpUntilIdle();
    EXPECT_NE(SendMessage(list, LB_GETCURSEL, 0, 0), 10);
    EXPECT_NE(fieldTexts().find("\"Symbols\""), std::string::npos);
    // Escape: the choice stays, nothing changed.
    InjectKeyStroke(VK_ESCAPE);
    PumpUntilIdle();
    EXPECT_FALSE(SendMessage(cb, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessage(cb, CB_GETCURSEL, 0, 0), 10);
    EXPECT_TRUE(Codes(CBN_SELCHANGE).empty());
    EXPECT_NE(fieldTexts().find("\"Symbols\""), std::string::npos);
}

}  // namespace
