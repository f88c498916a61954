// Static, buttons and the edit control: scripted input, recorded paint logs
// for normal, focused and disabled states, and a dialog picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_COMMAND) commands.push_back((int)w);
            return DefWindowProc(h, m, w, l);
        };
        RECT r{100, 100, 500, 400};
        parent = CreateWindowEx(0, "PlatformTestWindow", "Dialog", WS_POPUP | WS_VISIBLE, r.left, r.top, 400, 300,
                                nullptr, nullptr, nullptr, &handler);
        if (!parent) {
            MakeWindow(&handler);   // registers the class
            parent = CreateWindowEx(0, "PlatformTestWindow", "Dialog", WS_POPUP | WS_VISIBLE, r.left, r.top, 400,
                                    300, nullptr, nullptr, nullptr, &handler);
        }
        PumpUntilIdle();
    }
    void TearDown() override
    {
        DestroyWindow(parent);
        PumpUntilIdle();
        ResetHeadlessInput();
    }
    HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id)
    {
        return CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                              (HMENU)(uintptr_t)id, nullptr, nullptr);
    }
    void ClickOn(HWND h)
    {
        RECT r;
        GetWindowRect(h, &r);
        InjectClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PumpUntilIdle();
    }
    Handler handler;
    HWND parent = nullptr;
    std::vector<int> commands;
};

std::string TextOf(HWND h)
{
    char buf[256];
    GetWindowText(h, buf, sizeof buf);
    return buf;
}

TEST_F(Controls, EditStepsWholeUtf8CharactersAndInsertsTypedCodePoints)
{
    HWND e = Make(WC_EDIT, "", WS_TABSTOP, 10, 10, 200, 22, 10);
    SetFocus(e);
    for (uint32_t cp : {(uint32_t)'a', 0xE9u, 0x20ACu, 0x1F600u, (uint32_t)'b'}) SendMessage(e, WM_CHAR, cp, 0);
    EXPECT_EQ(TextOf(e), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" "b");
    SendMessage(e, WM_KEYDOWN, VK_LEFT, 0);
    SendMessage(e, WM_KEYDOWN, VK_LEFT, 0);
    DWORD a = 0, b = 0;
    SendMessage(e, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    EXPECT_EQ(a, 6u);   // before the four-byte character
    SendMessage(e, WM_CHAR, 8, 0);   // Backspace takes the euro sign whole
    EXPECT_EQ(TextOf(e), "a\xC3\xA9\xF0\x9F\x98\x80" "b");
    SendMessage(e, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(TextOf(e), "a\xC3\xA9" "b");
    // A stray byte is one character of its own.
    SetWindowText(e, "x\xE9y");
    SendMessage(e, EM_SETSEL, 2, 2);
    SendMessage(e, WM_CHAR, 8, 0);
    EXPECT_EQ(TextOf(e), "xy");
    // Undo brings it back.
    SendMessage(e, EM_UNDO, 0, 0);
    EXPECT_EQ(TextOf(e), "x\xE9y");
}

TEST_F(Controls, EditHorizontalScrollBarFollowsTheWidestLineAndScrollsTheText)
{
    HWND e = Make(WC_EDIT, "", ES_MULTILINE | ES_AUTOHSCROLL | WS_HSCROLL, 10, 10, 120, 80, 11);
    SetWindowText(e, "short\r\nthis line is a good deal wider than the box it sits in\r\nend");
    auto info = [&] {
        SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(e, SB_HORZ, &si);
        return si;
    };
    SCROLLINFO si = info();
    EXPECT_GT(si.nMax + 1, (int)si.nPage);   // something to scroll
    EXPECT_EQ(si.nPos, 0);
    auto x0 = [&] { return (short)LOWORD(SendMessage(e, EM_POSFROMCHAR, 0, 0)); };
    const int start = x0();
    SendMessage(e, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_GT(info().nPos, 0);
    EXPECT_EQ(x0(), start - info().nPos);
    SendMessage(e, WM_HSCROLL, SB_RIGHT, 0);
    si = info();
    EXPECT_EQ(si.nPos + (int)si.nPage, si.nMax + 1);   // the end of the widest line shows
    SendMessage(e, WM_HSCROLL, SB_LEFT, 0);
    EXPECT_EQ(info().nPos, 0);
    EXPECT_EQ(x0(), start);
    // A click on the bar's right arrow steps the text.
    RECT wr;
    GetWindowRect(e, &wr);
    InjectClick(wr.right - 4, wr.bottom - 4);
    PumpUntilIdle();
    EXPECT_GT(info().nPos, 0);
    SendMessage(e, WM_HSCROLL, SB_LEFT, 0);
    // The caret moving to the end of the long line scrolls, and the bar follows.
    SetFocus(e);
    SendMessage(e, EM_SETSEL, 60, 60);
    SendMessage(e, EM_SCROLLCARET, 0, 0);
    EXPECT_GT(info().nPos, 0);
    EXPECT_EQ(x0(), start - info().nPos);
    // Without WS_HSCROLL there is no bar to keep.
    HWND plain = Make(WC_EDIT, "", ES_MULTILINE | ES_AUTOHSCROLL, 10, 100, 120, 80, 12);
    SetWindowText(plain, "this line is a good deal wider than the box it sits in");
    SCROLLINFO none{sizeof none, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(plain, SB_HORZ, &none);
    EXPECT_EQ(none.nMax, 0);
}

TEST_F(Controls, EditNumberOnlyLimitReadOnlyAndSingleLinePaste)
{
    HWND e = Make(WC_EDIT, "", ES_NUMBER, 10, 10, 200, 22, 11);
    for (char c : std::string("1a2.3")) SendMessage(e, WM_CHAR, (WPARAM)c, 0);
    EXPECT_EQ(TextOf(e), "123");
    SendMessage(e, EM_LIMITTEXT, 4, 0);
    for (char c : std::string("456")) SendMessage(e, WM_CHAR, (WPARAM)c, 0);
    EXPECT_EQ(TextOf(e), "1234");
    SendMessage(e, EM_SETREADONLY, TRUE, 0);
    SendMessage(e, EM_SETSEL, 0, -1);
    SendMessage(e, WM_CHAR, 8, 0);
    EXPECT_EQ(TextOf(e), "1234");
    // A pasted block is read up to its size, without a terminator, and cut at the line end.
    HWND s = Make(WC_EDIT, "", 0, 10, 40, 200, 22, 12);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(0, 6);
    memcpy(GlobalLock(g), "ab\r\ncd", 6);
    GlobalUnlock(g);
    SetClipboardData(CF_TEXT, g);
    CloseClipboard();
    SendMessage(s, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(s), "ab");
    HWND m = Make(WC_EDIT, "", ES_MULTILINE, 10, 70, 200, 60, 13);
    SendMessage(m, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(m), "ab\ncd");
    EXPECT_EQ(SendMessage(m, EM_GETLINECOUNT, 0, 0), 2);
}

TEST_F(Controls, EditContextMenuOffersTheEditCommands)
{
    HWND e = Make(WC_EDIT, "hello", WS_TABSTOP, 10, 10, 200, 22, 14);
    SetFocus(e);
    SendMessage(e, EM_SETSEL, 1, 1);
    // The menu's loop reads the keys already typed: "a" is Select All's mnemonic.
    InjectKeyStroke('A', "a");
    SendMessage(e, WM_CONTEXTMENU, (WPARAM)e, -1);
    PumpUntilIdle();
    DWORD a = 9, b = 9;
    SendMessage(e, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 5u);
    EXPECT_EQ(TextOf(e), "hello");
    // "t" cuts the selection.
    InjectKeyStroke('T', "t");
    SendMessage(e, WM_CONTEXTMENU, (WPARAM)e, -1);
    PumpUntilIdle();
    EXPECT_EQ(TextOf(e), "");
    EXPECT_EQ(ClipboardText(), std::string("hello\0", 6));
}

TEST_F(Controls, ButtonsCheckThreeStateAndRadioGroups)
{
    HWND chk = Make(WC_BUTTON, "Check", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 10, 10, 100, 20, 20);
    HWND tri = Make(WC_BUTTON, "Three", BS_AUTO3STATE | WS_TABSTOP, 10, 35, 100, 20, 21);
    HWND r1 = Make(WC_BUTTON, "One", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 10, 60, 100, 20, 22);
    HWND r2 = Make(WC_BUTTON, "Two", BS_AUTORADIOBUTTON, 10, 85, 100, 20, 23);
    HWND r3 = Make(WC_BUTTON, "Three", BS_AUTORADIOBUTTON, 10, 110, 100, 20, 24);
    HWND push = Make(WC_BUTTON, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 10, 140, 80, 24, 25);
    PumpUntilIdle();
    ClickOn(chk);
    EXPECT_EQ(SendMessage(chk, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    ClickOn(tri);
    ClickOn(tri);
    EXPECT_EQ(SendMessage(tri, BM_GETCHECK, 0, 0), (LRESULT)BST_INDETERMINATE);
    ClickOn(r2);
    EXPECT_EQ(SendMessage(r2, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    ClickOn(r3);
    EXPECT_EQ(SendMessage(r2, BM_GETCHECK, 0, 0), (LRESULT)BST_UNCHECKED);
    EXPECT_EQ(SendMessage(r3, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    EXPECT_EQ(SendMessage(r1, BM_GETCHECK, 0, 0), (LRESULT)BST_UNCHECKED);
    // A press released outside is no click.
    commands.clear();
    RECT pr;
    GetWindowRect(push, &pr);
    InjectButton(VK_LBUTTON, true, pr.left + 5, pr.top + 5);
    InjectMouseMove(pr.right + 50, pr.bottom + 50);
    InjectButton(VK_LBUTTON, false, pr.right + 50, pr.bottom + 50);
    PumpUntilIdle();
    EXPECT_TRUE(commands.empty());
    // Space on the focused button clicks it.
    SetFocus(push);
    SendMessage(push, WM_KEYDOWN, VK_SPACE, 0);
    SendMessage(push, WM_KEYUP, VK_SPACE, 0);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (int)MAKELONG(25, BN_CLICKED));
    EXPECT_EQ(SendMessage(push, WM_GETDLGCODE, 0, 0), (LRESULT)(DLGC_BUTTON | DLGC_DEFPUSHBUTTON));
}

TEST_F(Controls, StaticNotifiesOnlyWithSsNotify)
{
    HWND quiet = Make(WC_STATIC, "quiet", 0, 10, 10, 100, 20, 30);
    HWND loud = Make(WC_STATIC, "loud", SS_NOTIFY, 10, 40, 100, 20, 31);
    PumpUntilIdle();
    ClickOn(quiet);
    ClickOn(loud);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], (int)MAKELONG(31, STN_CLICKED));
}

// Every control paints into a recording DC, differently when focused and
// when disabled (then in the grey text colour).
TEST_F(Controls, PaintLogsForNormalFocusedAndDisabled)
{
    auto fillList = [](HWND h) {
        SendMessage(h, LB_ADDSTRING, 0, (LPARAM) "Text");
        SendMessage(h, LB_SETCURSEL, 0, 0);
    };
    auto fillCombo = [](HWND h) {
        SendMessage(h, CB_ADDSTRING, 0, (LPARAM) "Text");
        SendMessage(h, CB_SETCURSEL, 0, 0);
    };
    auto fillTab = [](HWND h) {
        TCITEM it{TCIF_TEXT, 0, 0, (char*)"Text", 0, 0, 0};
        SendMessage(h, TCM_INSERTITEM, 0, (LPARAM)&it);
    };
    auto fillTree = [](HWND h) {
        TVINSERTSTRUCT is{};
        is.hParent = TVI_ROOT;
        is.hInsertAfter = TVI_LAST;
        is.item.mask = TVIF_TEXT;
        is.item.pszText = (char*)"Text";
        HTREEITEM t = (HTREEITEM)SendMessage(h, TVM_INSERTITEM, 0, (LPARAM)&is);
        SendMessage(h, TVM_SELECTITEM, TVGN_CARET, (LPARAM)t);
    };
    auto fillListView = [](HWND h) {
        LVCOLUMN col{LVCF_TEXT | LVCF_WIDTH, 0, 100, (char*)"Col", 0, 0};
        SendMessage(h, LVM_INSERTCOLUMN, 0, (LPARAM)&col);
        LVITEM it{LVIF_TEXT, 0, 0, 0, 0, (char*)"Text", 0, 0, 0};
        SendMessage(h, LVM_INSERTITEM, 0, (LPARAM)&it);
        LVITEM st{};
        st.stateMask = st.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(h, LVM_SETITEMSTATE, 0, (LPARAM)&st);
    };
    auto fillToolbar = [](HWND h) {
        TBBUTTON b{-1, 300, TBSTATE_ENABLED, BTNS_WHOLEDROPDOWN, 0, -1};
        SendMessage(h, TB_ADDBUTTONS, 1, (LPARAM)&b);
    };
    auto selectText = [](HWND h) { SendMessage(h, EM_SETSEL, 0, 2); };
    auto fillScroll = [](HWND h) {
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
        SendMessage(h, SBM_SETSCROLLINFO, FALSE, (LPARAM)&si);
    };
    struct Kind {
        const char* name;
        const char* cls;
        DWORD style;
        bool focusable;
        bool text;
        std::function<void(HWND)> fill;
    } const kinds[] = {
        {"static", WC_STATIC, SS_LEFT, false, true, nullptr},
        {"push", WC_BUTTON, BS_PUSHBUTTON, true, true, nullptr},
        {"default push", WC_BUTTON, BS_DEFPUSHBUTTON, true, true, nullptr},
        {"check", WC_BUTTON, BS_AUTOCHECKBOX, true, true, nullptr},
        {"radio", WC_BUTTON, BS_AUTORADIOBUTTON, true, true, nullptr},
        {"group", WC_BUTTON, BS_GROUPBOX, false, true, nullptr},
        {"edit", WC_EDIT, 0, true, true, selectText},
        {"rich edit", RICHEDIT_CLASS, ES_MULTILINE, true, true, selectText},
        {"list box", WC_LISTBOX, LBS_HASSTRINGS, true, true, fillList},
        {"combo", WC_COMBOBOX, CBS_DROPDOWNLIST | CBS_HASSTRINGS, true, true, fillCombo},
        {"scroll bar", WC_SCROLLBAR, SBS_HORZ, false, false, fillScroll},
        {"up-down", UPDOWN_CLASS, 0, false, false, nullptr},
        {"tab", WC_TABCONTROL, 0, true, true, fillTab},
        {"status", STATUSCLASSNAME, 0, false, true, nullptr},
        {"tree", WC_TREEVIEW, 0, true, true, fillTree},
        {"list view", WC_LISTVIEW, LVS_REPORT, true, true, fillListView},
        {"toolbar", TOOLBARCLASSNAME, 0, false, false, fillToolbar},
    };
    HDC dc = CreateRecordingDC(FALSE);
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    char hex[16];
    snprintf(hex, sizeof hex, "#%02x%02x%02x", GetRValue(grey), GetGValue(grey), GetBValue(grey));
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.name);
        HWND h = Make(k.cls, "Text", k.style, 10, 10, 120, 60, 40);
        ASSERT_TRUE(h);
        if (k.fill) k.fill(h);
        auto paint = [&] {
            ClearRecordingLog(dc);
            SendMessage(h, WM_PRINTCLIENT, (WPARAM)dc, 0);
            return GetRecordingLog(dc);
        };
        SetFocus(parent);
        const std::string normal = paint();
        EXPECT_FALSE(normal.empty());
        if (k.text) {
            EXPECT_NE(normal.find("xt\""), std::string::npos) << normal;
        }
        if (k.focusable) {
            SetFocus(h);
            const std::string focused = paint();
            EXPECT_NE(focused, normal);
            SetFocus(parent);
        }
        EnableWindow(h, FALSE);
        const std::string disabled = paint();
        EXPECT_NE(disabled, normal);
        EXPECT_NE(disabled.find(hex), std::string::npos) << disabled;
        DestroyWindow(h);
    }
    DeleteDC(dc);
}

TEST_F(Controls, DialogPicture)
{
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    HWND items[] = {
        Make(WC_BUTTON, "Options", BS_GROUPBOX, 10, 10, 180, 120, 50),
        Make(WC_BUTTON, "Show grid", BS_AUTOCHECKBOX | WS_TABSTOP, 20, 30, 150, 20, 51),
        Make(WC_BUTTON, "Linear", BS_AUTORADIOBUTTON | WS_GROUP, 20, 55, 150, 20, 52),
        Make(WC_BUTTON, "Logarithmic", BS_AUTORADIOBUTTON, 20, 80, 150, 20, 53),
        Make(WC_STATIC, "Name:", 0, 210, 14, 60, 20, 54),
        Make(WC_EDIT, "caf\xC3\xA9 text", WS_TABSTOP | WS_BORDER, 270, 10, 120, 22, 55),
        Make(RICHEDIT_CLASS, "", ES_MULTILINE | WS_BORDER, 210, 40, 180, 90, 56),
        Make(WC_BUTTON, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 230, 260, 75, 26, 1),
        Make(WC_BUTTON, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 315, 260, 75, 26, 2),
        Make(WC_BUTTON, "Disabled", BS_PUSHBUTTON | WS_DISABLED, 10, 260, 75, 26, 57),
    };
    for (HWND h : items) SendMessage(h, WM_SETFONT, (WPARAM)font, 0);
    SendMessage(items[1], BM_SETCHECK, BST_CHECKED, 0);
    SendMessage(items[2], BM_SETCHECK, BST_CHECKED, 0);
    HWND rich = items[6];
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD;
    cf.dwEffects = CFE_BOLD;
    cf.crTextColor = 0x0000C0;
    SendMessage(rich, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    SendMessage(rich, EM_REPLACESEL, 0, (LPARAM) "Error: red\n");
    cf.dwEffects = CFE_AUTOCOLOR;
    SendMessage(rich, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    SendMessage(rich, EM_REPLACESEL, 0, (LPARAM) "plain line\nx");
    cf.dwMask = CFM_OFFSET;
    cf.yOffset = 60;
    SendMessage(rich, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    SendMessage(rich, EM_REPLACESEL, 0, (LPARAM) "2");
    SetFocus(items[5]);
    SendMessage(items[5], EM_SETSEL, 0, 4);
    InvalidateRect(parent, nullptr, TRUE);
    UpdateWindow(parent);
    PumpUntilIdle();
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(HeadlessSavePng(parent, (dir / "controls_dialog.png").string()));
    // The check box's tick is drawn in the window text colour.
    COLORREF c = 0;
    EXPECT_TRUE(HeadlessGetPixel(parent, 10 + 120 / 2, 260 + 2, &c));
}

TEST_F(Controls, GalleryPicture)
{
    SetWindowPos(parent, nullptr, 0, 0, 560, 380, SWP_NOMOVE | SWP_NOZORDER);
    HWND list = Make(WC_LISTBOX, "", LBS_HASSTRINGS | WS_BORDER | WS_VSCROLL | LBS_CHECKLIST, 10, 10, 130, 90, 60);
    for (const char* s : {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta"})
        SendMessage(list, LB_ADDSTRING, 0, (LPARAM)s);
    SendMessage(list, LB_SETCURSEL, 1, 0);
    SendMessage(list, LB_SETCHECK, 2, 1);
    HWND combo = Make(WC_COMBOBOX, "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 10, 110, 130, 120, 61);
    for (const char* s : {"Solid", "Dashed", "Dotted"}) SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)s);
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    HWND edit = Make(WC_EDIT, "42", WS_BORDER | ES_NUMBER, 10, 145, 60, 22, 62);
    HWND spin = Make(UPDOWN_CLASS, "", UDS_SETBUDDYINT, 70, 145, 16, 22, 63);
    SendMessage(spin, UDM_SETBUDDY, (WPARAM)edit, 0);
    HWND sb = Make(WC_SCROLLBAR, "", SBS_HORZ, 10, 180, 130, 17, 64);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 20, 30, 0};
    SendMessage(sb, SBM_SETSCROLLINFO, TRUE, (LPARAM)&si);
    HWND tab = Make(WC_TABCONTROL, "", 0, 150, 10, 200, 120, 65);
    for (const char* s : {"General", "Axes", "Colours"}) {
        TCITEM it{TCIF_TEXT, 0, 0, (char*)s, 0, 0, 0};
        SendMessage(tab, TCM_INSERTITEM, 9, (LPARAM)&it);
    }
    HWND tree = Make(WC_TREEVIEW, "", WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, 360, 10, 180, 120, 66);
    TVINSERTSTRUCT is{};
    is.hParent = TVI_ROOT;
    is.hInsertAfter = TVI_LAST;
    is.item.mask = TVIF_TEXT;
    is.item.pszText = (char*)"Workspace";
    HTREEITEM root = (HTREEITEM)SendMessage(tree, TVM_INSERTITEM, 0, (LPARAM)&is);
    for (const char* s : {"x", "y", "matrix"}) {
        is.hParent = root;
        is.item.pszText = (char*)s;
        SendMessage(tree, TVM_INSERTITEM, 0, (LPARAM)&is);
    }
    SendMessage(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
    SendMessage(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)root);
    HWND lv = Make(WC_LISTVIEW, "", WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 150, 140, 390, 120, 67);
    const char* cols[] = {"Name", "Size", "Class"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMN col{LVCF_TEXT | LVCF_WIDTH, 0, 120, (char*)cols[c], 0, c};
        SendMessage(lv, LVM_INSERTCOLUMN, (WPARAM)c, (LPARAM)&col);
    }
    SendMessage(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const char* rows[][3] = {{"x", "1x1", "double"}, {"y", "3x4", "double"}, {"name", "1x5", "char"}};
    for (int r = 0; r < 3; ++r) {
        LVITEM it{LVIF_TEXT, r, 0, 0, 0, (char*)rows[r][0], 0, 0, 0};
        SendMessage(lv, LVM_INSERTITEM, 0, (LPARAM)&it);
        for (int c = 1; c < 3; ++c) {
            LVITEM sub{};
            sub.iSubItem = c;
            sub.pszText = (char*)rows[r][c];
            SendMessage(lv, LVM_SETITEMTEXT, (WPARAM)r, (LPARAM)&sub);
        }
    }
    LVITEM st{};
    st.stateMask = st.state = LVIS_SELECTED;
    SendMessage(lv, LVM_SETITEMSTATE, 1, (LPARAM)&st);
    HWND tb = Make(TOOLBARCLASSNAME, "", 0, 10, 270, 250, 30, 68);
    TBBUTTON buttons[] = {{-1, 1, TBSTATE_ENABLED, BTNS_BUTTON, 0, -1}, {0, 0, 0, BTNS_SEP, 0, -1},
                          {-1, 2, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK, 0, -1},
                          {-1, 3, TBSTATE_ENABLED, BTNS_DROPDOWN, 0, -1}};
    SendMessage(tb, TB_ADDBUTTONS, 4, (LPARAM)buttons);
    HWND status = Make(STATUSCLASSNAME, "Ready", SBARS_SIZEGRIP, 0, 356, 560, 24, 69);
    int parts[] = {300, 430, -1};
    SendMessage(status, SB_SETPARTS, 3, (LPARAM)parts);
    SendMessage(status, SB_SETTEXT, 1, (LPARAM) "Ln 12, Col 4");
    SendMessage(status, SB_SETTEXT, 2, (LPARAM) "NUM");
    HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    for (HWND h : {list, combo, edit, tab, tree, lv}) SendMessage(h, WM_SETFONT, (WPARAM)font, 0);
    SetFocus(lv);
    InvalidateRect(parent, nullptr, TRUE);
    UpdateWindow(parent);
    PumpUntilIdle();
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(HeadlessSavePng(parent, (dir / "controls_gallery.png").string()));
}

}  // namespace
