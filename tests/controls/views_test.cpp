// Tree view and list view: sorted insertion, the TVN_SELCHANGING veto, a
// million owner-data rows, label edits with Enter, Esc and a veto.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/platform_test_util.h"

namespace {

class Views : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterControlClasses();
        ResetHeadlessInput();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NOTIFY) {
                NMHDR* n = (NMHDR*)l;
                codes.push_back((int)n->code);
                if (n->code == (UINT)TVN_SELCHANGING) return vetoSel;
                if (n->code == (UINT)LVN_GETDISPINFO) {
                    NMLVDISPINFO* di = (NMLVDISPINFO*)l;
                    ++dispInfo;
                    snprintf(di->item.pszText, (size_t)di->item.cchTextMax, "row %d col %d", di->item.iItem,
                             di->item.iSubItem);
                    return 0;
                }
                if (n->code == (UINT)LVN_BEGINLABELEDIT) return vetoBegin;
                if (n->code == (UINT)LVN_ENDLABELEDIT) {
                    NMLVDISPINFO* di = (NMLVDISPINFO*)l;
                    ended.push_back(di->item.pszText ? di->item.pszText : "<cancel>");
                    return acceptEnd;
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
    std::vector<std::string> ended;
    LRESULT vetoSel = 0, vetoBegin = 0, acceptEnd = TRUE;
    int dispInfo = 0;
};

HTREEITEM Insert(HWND tv, HTREEITEM parent, const char* text, LPARAM data, HTREEITEM after = TVI_SORT)
{
    TVINSERTSTRUCT is{};
    is.hParent = parent;
    is.hInsertAfter = after;
    is.item.mask = TVIF_TEXT | TVIF_PARAM;
    is.item.pszText = (char*)text;
    is.item.lParam = data;
    return (HTREEITEM)SendMessage(tv, TVM_INSERTITEM, 0, (LPARAM)&is);
}

std::string ItemText(HWND tv, HTREEITEM h)
{
    char buf[64] = {};
    TVITEM it{};
    it.mask = TVIF_TEXT;
    it.hItem = h;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessage(tv, TVM_GETITEM, 0, (LPARAM)&it);
    return buf;
}

TEST_F(Views, TreeSortsKeepsDataAndHonoursTheSelectionVeto)
{
    HWND tv = CreateWindowEx(0, WC_TREEVIEW, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_LINESATROOT, 10, 10, 200,
                             200, parent, (HMENU)100, nullptr, nullptr);
    HTREEITEM b = Insert(tv, TVI_ROOT, "beta", 2);
    HTREEITEM a = Insert(tv, TVI_ROOT, "Alpha", 1);
    HTREEITEM c = Insert(tv, b, "child", 3);
    HTREEITEM first = (HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    EXPECT_EQ(first, a);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)a), b);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)c), b);
    TVITEM it{};
    it.mask = TVIF_PARAM;
    it.hItem = c;
    SendMessage(tv, TVM_GETITEM, 0, (LPARAM)&it);
    EXPECT_EQ(it.lParam, 3);
    EXPECT_EQ(ItemText(tv, a), "Alpha");
    // Clicks select; a veto holds the selection.
    SetFocus(tv);
    RECT r{};
    memcpy(&r, &a, sizeof a);   // the item goes in the rectangle
    ASSERT_TRUE(SendMessage(tv, TVM_GETITEMRECT, TRUE, (LPARAM)&r));
    POINT pa{r.left + 10, (r.top + r.bottom) / 2};
    ClientToScreen(tv, &pa);
    InjectClick(pa.x, pa.y);
    PumpUntilIdle();
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), a);
    vetoSel = 1;
    SendMessage(tv, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), a);
    EXPECT_FALSE(SendMessage(tv, TVM_SELECTITEM, TVGN_CARET, (LPARAM)b));
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), a);
    vetoSel = 0;
    codes.clear();
    SendMessage(tv, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), b);
    EXPECT_EQ(codes, (std::vector<int>{TVN_SELCHANGING, TVN_SELCHANGED}));
    // Right opens the branch, Down enters it.
    SendMessage(tv, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessage(tv, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), c);
    // Collapsing moves the selection up to the branch; deleting it clears the caret.
    SendMessage(tv, TVM_EXPAND, TVE_COLLAPSE, (LPARAM)b);
    EXPECT_EQ((HTREEITEM)SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), b);
    SendMessage(tv, TVM_DELETEITEM, 0, (LPARAM)b);
    EXPECT_EQ(SendMessage(tv, TVM_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessage(tv, TVM_GETNEXTITEM, TVGN_CARET, 0), 0);
    EXPECT_FALSE(SendMessage(tv, TVM_DELETEITEM, 0, (LPARAM)c));   // a stale handle
}

TEST_F(Views, MillionOwnerDataRowsScrollAndPaintOnlyWhatShows)
{
    HWND lv = CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_OWNERDATA, 10,
                             10, 300, 200, parent, (HMENU)101, nullptr, nullptr);
    for (int c = 0; c < 2; ++c) {
        LVCOLUMN col{LVCF_TEXT | LVCF_WIDTH, 0, 120, (char*)(c ? "Value" : "Name"), 0, c};
        SendMessage(lv, LVM_INSERTCOLUMN, (WPARAM)c, (LPARAM)&col);
    }
    SendMessage(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    SendMessage(lv, LVM_SETITEMCOUNT, 1000000, 0);
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMCOUNT, 0, 0), 1000000);
    SetFocus(lv);
    SendMessage(lv, WM_KEYDOWN, VK_END, 0);
    const int page = (int)SendMessage(lv, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_EQ(SendMessage(lv, LVM_GETTOPINDEX, 0, 0), 1000000 - page);
    EXPECT_EQ(SendMessage(lv, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), 999999);
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(lv, SB_VERT, &si);
    EXPECT_EQ(si.nMax, 999999);
    EXPECT_EQ(si.nPos, 1000000 - page);
    SendMessage(lv, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(SendMessage(lv, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED), 999999 - page + 1);
    HDC dc = CreateRecordingDC(FALSE);
    dispInfo = 0;
    SendMessage(lv, WM_PRINTCLIENT, (WPARAM)dc, 0);
    std::string log = GetRecordingLog(dc);
    EXPECT_NE(log.find("row 999999 col 1"), std::string::npos);
    EXPECT_LE(dispInfo, 2 * (page + 1));   // only the rows on screen are asked for
    DeleteDC(dc);
}

TEST_F(Views, LabelEditsEndWithEnterEscAndVetoes)
{
    HWND lv = CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS, 10, 10, 300, 200,
                             parent, (HMENU)102, nullptr, nullptr);
    LVCOLUMN col{LVCF_TEXT | LVCF_WIDTH, 0, 150, (char*)"Name", 0, 0};
    SendMessage(lv, LVM_INSERTCOLUMN, 0, (LPARAM)&col);
    for (int i = 0; i < 3; ++i) {
        std::string t = "item" + std::to_string(i);
        LVITEM it{LVIF_TEXT, i, 0, 0, 0, t.data(), 0, 0, 0};
        SendMessage(lv, LVM_INSERTITEM, 0, (LPARAM)&it);
    }
    auto text = [&](int i) {
        char buf[64] = {};
        LVITEM it{};
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessage(lv, LVM_GETITEMTEXT, (WPARAM)i, (LPARAM)&it);
        return std::string(buf);
    };
    // Enter accepts.
    HWND e = (HWND)SendMessage(lv, LVM_EDITLABEL, 1, 0);
    ASSERT_TRUE(e);
    EXPECT_EQ(GetFocus(), e);
    SendMessage(e, WM_SETTEXT, 0, (LPARAM) "renamed");
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle();
    EXPECT_EQ(text(1), "renamed");
    EXPECT_FALSE(IsWindow(e));
    // Esc cancels: the parent hears of it with no text.
    e = (HWND)SendMessage(lv, LVM_EDITLABEL, 2, 0);
    SendMessage(e, WM_SETTEXT, 0, (LPARAM) "nope");
    InjectKeyStroke(VK_ESCAPE);
    PumpUntilIdle();
    EXPECT_EQ(text(2), "item2");
    // The parent refuses the new text.
    acceptEnd = FALSE;
    e = (HWND)SendMessage(lv, LVM_EDITLABEL, 0, 0);
    SendMessage(e, WM_SETTEXT, 0, (LPARAM) "refused");
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle();
    EXPECT_EQ(text(0), "item0");
    EXPECT_EQ(ended, (std::vector<std::string>{"renamed", "<cancel>", "refused"}));
    // LVN_BEGINLABELEDIT vetoes the edit before it starts.
    vetoBegin = 1;
    EXPECT_EQ(SendMessage(lv, LVM_EDITLABEL, 0, 0), 0);
    EXPECT_EQ(SendMessage(lv, LVM_GETEDITCONTROL, 0, 0), 0);
}

}  // namespace
