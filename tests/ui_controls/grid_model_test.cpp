// The grid's model: counts, cells, sizes, virtual mode, sorting, selection
// keys, notifications and the small message handlers.
#include "grid_test_util.h"

namespace {

using namespace gridtest;

using GridModel = GridTest;

TEST_F(GridModel, CountsFixedCountsAndCellFlags)
{
    CDataGridCtrl grid(0, 0, 0, 0);
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetCell(0, 0), nullptr);
    ASSERT_TRUE(grid.SetRowCount(5));
    ASSERT_TRUE(grid.SetColumnCount(3));
    int cells = 0;
    for (int r = 0; r < 5; r++)
        for (int c = 0; c < 3; c++) {
            CDataGridCellBase* cell = grid.GetCell(r, c);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->GetFormat(), grid.GetDefaultCell(FALSE, FALSE)->GetFormat());
            EXPECT_STREQ(cell->GetText(), "");
            cells++;
        }
    EXPECT_EQ(cells, 15);
    // New rows take the ordinary default height, new columns the fixed-column default width.
    EXPECT_EQ(grid.GetRowHeight(4), grid.GetDefaultCell(FALSE, FALSE)->GetHeight());
    EXPECT_EQ(grid.GetColumnWidth(2), grid.GetDefaultCell(FALSE, TRUE)->GetWidth());
    EXPECT_EQ(grid.GetRowHeight(5), -1);
    EXPECT_FALSE(grid.SetColumnWidth(1, -1));
    EXPECT_FALSE(grid.SetRowHeight(-1, 10));

    // Growing the fixed rows past the count grows the grid.
    CDataGridCtrl two(2, 2, 0, 0);
    two.SetCellBackColor(1, 1, RGB(1, 2, 3));
    ASSERT_TRUE(two.SetFixedRowCount(3));
    EXPECT_EQ(two.GetRowCount(), 3);
    for (int r = 0; r < 3; r++) {
        EXPECT_EQ(two.GetCellState(r, 1) & 0x30u, 0x30u) << r;
        EXPECT_EQ(two.GetCell(r, 1)->GetBackColor(), CLR_DEFAULT);
    }
    ASSERT_TRUE(two.SetFixedColumnCount(1));
    EXPECT_EQ(two.GetCellState(2, 0) & 0x70u, 0x70u);
    EXPECT_EQ(two.GetCell(2, 0)->GetDefaultCell(), two.GetDefaultCell(TRUE, TRUE));
    ASSERT_TRUE(two.SetFixedRowCount(1));
    EXPECT_EQ(two.GetCellState(2, 0) & 0x70u, 0x50u);
    EXPECT_EQ(two.GetCellState(2, 1) & 0x70u, 0u);

    // Shrinking to no rows leaves no fixed rows and no focus.
    grid.SetFixedRowCount(1);
    grid.MoveFocus(3, 1);
    ASSERT_TRUE(grid.SetRowCount(0));
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_FALSE(grid.IsValid(grid.GetFocusCell()));
    EXPECT_EQ(grid.GetCell(0, 0), nullptr);
}

TEST_F(GridModel, AutoSizeSkipsHiddenColumnsAndFitsText)
{
    GridHost host;
    CDataGridCtrl grid(3, 3, 1, 0);
    MakeGrid(grid, host);
    grid.SetCellText(1, 1, "a much longer piece of text");
    ASSERT_TRUE(grid.SetColumnWidth(2, 0));
    EXPECT_FALSE(grid.AutoSizeColumn(2));
    EXPECT_EQ(grid.GetColumnWidth(2), 0);
    ASSERT_TRUE(grid.AutoSizeColumn(1));
    HDC dc = GetDC(grid.m_hWnd);
    CDC cdc(dc);
    int expected = grid.GetCell(1, 1)->GetContentSize(&cdc).cx;
    cdc.Detach();
    ReleaseDC(grid.m_hWnd, dc);
    EXPECT_EQ(grid.GetColumnWidth(1), expected);
    EXPECT_GT(expected, 100);
    // An all-empty column shrinks to its margins only.
    ASSERT_TRUE(grid.AutoSizeColumn(0));
    EXPECT_LT(grid.GetColumnWidth(0), 20);
    ASSERT_TRUE(grid.AutoSizeRow(1));
    EXPECT_GT(grid.GetRowHeight(1), 0);
}

struct VirtualLog {
    std::vector<std::string> requests;
};

BOOL LogRequest(GridDispInfo* info, LPARAM context)
{
    auto* log = reinterpret_cast<VirtualLog*>(context);
    log->requests.push_back(std::to_string(info->item.row) + "," + std::to_string(info->item.column) + " state=" +
                            std::to_string(info->item.state));
    info->item.text = "R" + std::to_string(info->item.row) + "C" + std::to_string(info->item.column);
    return TRUE;
}

TEST_F(GridModel, VirtualGridComposesStateAndSendsCacheHints)
{
    GridHost host;
    CDataGridCtrl grid;
    grid.SetVirtualMode(TRUE);
    VirtualLog log;
    grid.SetCallbackFunc(LogRequest, reinterpret_cast<LPARAM>(&log));
    grid.SetRowCount(6);
    grid.SetColumnCount(4);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    MakeGrid(grid, host, RECT{0, 0, 200, 120});
    EXPECT_FALSE(grid.IsCellEditable(2, 2));

    // SetCellState changes only the selection map; the state is composed per request.
    EXPECT_FALSE(grid.SetCellState(2, 2, Selected));
    grid.MoveFocus(2, 2);
    log.requests.clear();
    EXPECT_EQ(grid.GetCellState(2, 2), (DWORD)(Selected | Focused));
    EXPECT_EQ(grid.GetCellState(0, 0), 0x70u);
    EXPECT_EQ(grid.GetCellState(0, 2), 0x30u);
    EXPECT_EQ(grid.GetCellState(3, 0), 0x50u);
    EXPECT_EQ(log.requests, (std::vector<std::string>{"2,2 state=3", "0,0 state=112", "0,2 state=48", "3,0 state=80"}));
    EXPECT_STREQ(grid.GetCellText(3, 1), "R3C1");
    EXPECT_FALSE(grid.SetCellText(3, 1, "x"));
    EXPECT_FALSE(grid.SetCellBackColor(3, 1, 0));

    // Auto-size brackets its reads with hints; so does a paint.
    host.log.clear();
    log.requests.clear();
    grid.SetColumnWidth(1, 50);
    ASSERT_TRUE(grid.AutoSizeColumn(1));
    EXPECT_EQ(host.log, (std::vector<std::string>{"hint 0,1,0,1", "hint -1,-1,-1,-1"}));
    EXPECT_EQ(log.requests.size(), 1u);
    host.log.clear();
    log.requests.clear();
    grid.Invalidate();
    grid.UpdateWindow();
    ASSERT_GE(host.log.size(), 2u);
    EXPECT_EQ(host.log.front().substr(0, 7), "hint 1,");
    EXPECT_EQ(host.log.back(), "hint -1,-1,-1,-1");
    // Only the visible cells are asked for.
    EXPECT_LE(log.requests.size(), 6u * 4u);

    // Sorting a virtual grid moves only the heights.
    grid.SetRowHeight(5, 33);
    EXPECT_TRUE(grid.SortByFunction(
        [](LPARAM, LPARAM, LPARAM) { return 0; }, 1, TRUE, 0));
}

TEST_F(GridModel, ShrunkVirtualGridHasNothingSelected)
{
    for (bool virtualMode : {true, false}) {
        CDataGridCtrl grid;
        grid.SetVirtualMode(virtualMode);
        grid.SetRowCount(10);
        grid.SetColumnCount(5);
        grid.SetRangeSelection(CDataGridCellRange(5, 2, 9, 4));
        EXPECT_EQ(grid.GetSelectedCount(), 15);
        grid.SetRowCount(4);
        EXPECT_EQ(grid.GetSelectedCount(), 0) << virtualMode;
        grid.SetRangeSelection(CDataGridCellRange(0, 0, 3, 4));
        grid.SetColumnCount(2);
        EXPECT_EQ(grid.GetSelectedCount(), 8) << virtualMode;
        EXPECT_TRUE(grid.GetSelectionBounds() == CDataGridCellRange(0, 0, 3, 1));
    }
}

TEST_F(GridModel, RowsBeyond65536KeepTheirOwnSelectionKeys)
{
    for (bool virtualMode : {true, false}) {
        CDataGridCtrl grid;
        grid.SetVirtualMode(virtualMode);
        grid.SetColumnCount(1);
        grid.SetRowCount(70000);
        grid.SetCellState(0, 0, Selected);
        grid.SetCellState(65536, 0, Selected);
        EXPECT_EQ(grid.GetSelectedCount(), 2);
        EXPECT_TRUE(grid.IsCellSelected(0, 0));
        EXPECT_TRUE(grid.IsCellSelected(65536, 0));
        grid.ClearSelection();
        EXPECT_FALSE(grid.IsCellSelected(0, 0)) << virtualMode;
        EXPECT_FALSE(grid.IsCellSelected(65536, 0)) << virtualMode;
        EXPECT_EQ(grid.GetSelectedCount(), 0);
    }
}

// A grid of one text column, for sorting.
void Fill(CDataGridCtrl& grid, const std::vector<std::string>& texts, int fixedRows)
{
    grid.SetColumnCount(2);
    grid.SetRowCount((int)texts.size());
    grid.SetFixedRowCount(fixedRows);
    for (int r = 0; r < (int)texts.size(); r++) {
        grid.SetCellText(r, 0, texts[r].c_str());
        grid.SetCellText(r, 1, std::to_string(r).c_str());
    }
}

std::string Column(CDataGridCtrl& grid, int col)
{
    std::string s;
    for (int r = 0; r < grid.GetRowCount(); r++) s += std::string(r ? " " : "") + grid.GetCellText(r, col);
    return s;
}

TEST_F(GridModel, SortTable)
{
    struct Case {
        std::vector<std::string> texts;
        int fixed;
        bool ascending;
        std::string col0, col1;
    };
    const Case cases[] = {
        {{"H", "b", "a", "c"}, 1, true, "H a b c", "0 2 1 3"},
        {{"H", "b", "a", "c"}, 1, false, "H c b a", "0 3 1 2"},
        {{"z", "B", "a", "A"}, 0, true, "A B a z", "3 1 2 0"},
        // Equal rows stay where they are.
        {{"H", "x", "x", "x"}, 1, true, "H x x x", "0 1 2 3"},
        {{"H", "x"}, 1, true, "H x", "0 1"},
    };
    for (const Case& c : cases) {
        CDataGridCtrl grid;
        Fill(grid, c.texts, c.fixed);
        grid.SetRangeSelection(CDataGridCellRange(0, 0, 0, 0));
        grid.MoveFocus((int)c.texts.size() - 1, 0);
        grid.SortByText(0, c.ascending);
        EXPECT_EQ(Column(grid, 0), c.col0);
        EXPECT_EQ(Column(grid, 1), c.col1);
        EXPECT_EQ(grid.GetSelectedCount(), 0);
        EXPECT_FALSE(grid.IsValid(grid.GetFocusCell()));
        EXPECT_EQ(grid.GetSortColumn(), 0);
    }
    // Bounds: bad columns and ranges are refused, not followed.
    CDataGridCtrl grid;
    Fill(grid, {"H", "b", "a"}, 1);
    auto cmp = &CDataGridCtrl::CompareCellTexts;
    EXPECT_FALSE(grid.SortRowRange(cmp, -1, TRUE, 0, 1, 2));
    EXPECT_FALSE(grid.SortRowRange(cmp, 2, TRUE, 0, 1, 2));
    EXPECT_FALSE(grid.SortRowRange(cmp, 0, TRUE, 0, -1, 2));
    EXPECT_FALSE(grid.SortRowRange(cmp, 0, TRUE, 0, 1, 3));
    EXPECT_FALSE(grid.SortRowRange(cmp, 0, TRUE, 0, 2, 2));
    EXPECT_FALSE(grid.SortRowRange(nullptr, 0, TRUE, 0, 1, 2));
    EXPECT_EQ(Column(grid, 0), "H b a");
    EXPECT_TRUE(grid.SortRowRange(cmp, 0, TRUE, 0, 1, -1));
    EXPECT_EQ(Column(grid, 0), "H a b");
    // Row heights travel with their rows.
    grid.SetRowHeight(1, 7);
    grid.SortByText(0, FALSE);
    EXPECT_EQ(grid.GetRowHeight(2), 7);
}

TEST_F(GridModel, OwnerGetsNotificationsAndCanVeto)
{
    GridHost host;
    CDataGridCtrl grid(3, 3);
    MakeGrid(grid, host, RECT{0, 0, 100, 100}, 77);
    UINT_PTR idSeen = 0;
    host.onNotify = [&](NMHDR* h) -> LRESULT {
        idSeen = h->idFrom;
        EXPECT_EQ(h->hwndFrom, grid.m_hWnd);
        return (int)h->code == LVN_BEGINLABELEDIT ? 1 : 0;
    };
    EXPECT_EQ(grid.NotifyParent(1, 2, LVN_BEGINLABELEDIT), 1);
    EXPECT_EQ(grid.NotifyParent(2, 0, LVN_ITEMCHANGED), 0);
    EXPECT_EQ(idSeen, 77u);
    EXPECT_EQ(host.log, (std::vector<std::string>{"notify -105 1,2", "notify -101 2,0"}));
    // Without a window nothing is sent.
    CDataGridCtrl loose(2, 2);
    EXPECT_EQ(loose.NotifyParent(0, 0, LVN_BEGINLABELEDIT), 0);
}

TEST_F(GridModel, DialogCodeFollowsCtrlAndColoursFollowTheSystem)
{
    GridHost host;
    CDataGridCtrl grid(3, 3);
    MakeGrid(grid, host);
    EXPECT_EQ(grid.GetExStyle() & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
    SetActiveWindow(host.m_hWnd);
    grid.SetFocus();
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), 0x83);
    InjectKey(VK_CONTROL, true);
    PumpUntilIdle();
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), 0x81);
    InjectKey(VK_CONTROL, false);
    PumpUntilIdle();
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), 0x83);
    grid.m_takesTabKey = FALSE;
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), 0x81);

    // Only colours still at the old system values follow a change.
    COLORREF oldText = GetSysColor(COLOR_WINDOWTEXT), oldWindow = GetSysColor(COLOR_WINDOW);
    COLORREF oldShadow = GetSysColor(COLOR_3DSHADOW);
    grid.GetDefaultCell(TRUE, FALSE)->SetForeColor(RGB(9, 9, 9));
    int idx[] = {COLOR_WINDOWTEXT, COLOR_WINDOW, COLOR_3DSHADOW};
    COLORREF next[] = {RGB(10, 20, 30), RGB(200, 210, 220), RGB(1, 1, 1)};
    SetSysColors(3, idx, next);
    grid.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetForeColor(), RGB(10, 20, 30));
    EXPECT_EQ(grid.GetDefaultCell(FALSE, FALSE)->GetBackColor(), RGB(200, 210, 220));
    EXPECT_EQ(grid.GetDefaultCell(TRUE, FALSE)->GetForeColor(), RGB(9, 9, 9));
    EXPECT_EQ(grid.GetDefaultCell(TRUE, TRUE)->GetForeColor(), RGB(10, 20, 30));
    EXPECT_EQ(grid.m_emptyAreaColor, RGB(1, 1, 1));
    COLORREF back[] = {oldText, oldWindow, oldShadow};
    SetSysColors(3, idx, back);

    // WM_SETFONT gives the font to all four default cells; WM_GETFONT reads it back.
    HFONT font = CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Serif");
    grid.SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
    for (BOOL fr : {FALSE, TRUE})
        for (BOOL fc : {FALSE, TRUE}) {
            EXPECT_EQ(grid.GetDefaultCell(fr, fc)->GetFont()->lfHeight, -20);
            EXPECT_STREQ(grid.GetDefaultCell(fr, fc)->GetFont()->lfFaceName, "DejaVu Serif");
        }
    HFONT got = (HFONT)grid.SendMessage(WM_GETFONT);
    LOGFONT lf{};
    ASSERT_EQ(GetObject(got, sizeof lf, &lf), (int)sizeof lf);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(grid.GetCell(1, 1)->GetFont()->lfFaceName, "DejaVu Serif");
    DeleteObject(font);
}

}  // namespace
