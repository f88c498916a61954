// The grid's painting (recorded primitives against stored logs), geometry,
// scroll bars driven by injected input, and a screenshot.
#include "grid_test_util.h"

#include "platform/afx/dialog_template.h"

namespace {

using namespace gridtest;

using GridPaint = GridTest;

// The 4x4 fixture: one fixed row and column, a selected cell, the focus
// cell, a hidden row and a sort arrow.
void MakeFixture(CDataGridCtrl& grid)
{
    grid.SetRowCount(5);
    grid.SetColumnCount(4);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int c = 0; c < 4; c++) grid.SetColumnWidth(c, 40);
    for (int r = 0; r < 5; r++) {
        grid.SetRowHeight(r, 20);
        for (int c = 0; c < 4; c++) grid.SetCellText(r, c, ("r" + std::to_string(r) + "c" + std::to_string(c)).c_str());
    }
    grid.SetRowHeight(2, 0);
    grid.SetCellState(3, 2, grid.GetCellState(3, 2) | Selected);
    grid.MoveFocus(1, 1);
    grid.SetSortColumn(2);
}

std::string Record(const std::function<void(CDC*)>& draw, RECT clip)
{
    HDC dc = CreateRecordingDC(FALSE);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    {
        CDC cdc(dc);
        draw(&cdc);
        cdc.Detach();
    }
    std::string log = GetRecordingLog(dc);
    DeleteDC(dc);
    return log;
}

TEST_F(GridPaint, FixtureLogMatchesTheStoredLog)
{
    GridHost host;
    CDataGridCtrl grid;
    MakeFixture(grid);
    MakeGrid(grid, host, RECT{0, 0, 180, 110});
    RECT client;
    grid.GetClientRect(&client);
    std::string log = Record([&](CDC* dc) { grid.OnDraw(dc); }, client);
    ExpectGolden("grid_paint_fixture.log", log);
    // The hidden row draws nothing.
    EXPECT_EQ(log.find("\"r2c"), std::string::npos);
    // One RepaintCell of a scrollable cell: the cell, then its two lines.
    ExpectGolden("grid_repaint_cell.log", Record([&](CDC* dc) { grid.RepaintCell(3, 2, dc); }, client));
}

TEST_F(GridPaint, SingleCellDrawCases)
{
    CDataGridCtrl grid(3, 3, 1, 1);
    HIMAGELIST images = ImageList_Create(12, 12, ILC_COLOR24, 1, 1);
    HBITMAP bmp = CreateBitmap(12, 12, 1, 24, nullptr);
    ImageList_Add(images, bmp, nullptr);
    DeleteObject(bmp);
    std::string all;
    struct Case {
        const char* name;
        int row, col;
        RECT rect;
        std::function<void(CDataGridCellBase*)> setup;
    };
    LOGFONT vertical = *grid.GetDefaultCell(FALSE, FALSE)->GetFont();
    vertical.lfEscapement = 900;
    const Case cases[] = {
        {"selected", 1, 1, {10, 10, 69, 29}, [](CDataGridCellBase* c) { c->SetState(c->GetState() | Selected); }},
        {"focused with lines", 1, 1, {10, 10, 69, 29}, [&](CDataGridCellBase* c) { c->SetState(c->GetState() | Focused); }},
        {"focused without lines", 1, 1, {10, 10, 69, 29},
         [&](CDataGridCellBase* c) {
             grid.m_linesShown = 0;
             c->SetState(c->GetState() | Focused);
         }},
        {"drop hover selected", 1, 1, {10, 10, 69, 29}, [](CDataGridCellBase* c) { c->SetState(c->GetState() | DropHover | Selected); }},
        {"own background", 1, 1, {10, 10, 69, 29}, [](CDataGridCellBase* c) { c->SetBackColor(RGB(255, 255, 0)); }},
        {"raised header", 0, 1, {0, 0, 59, 19}, [](CDataGridCellBase*) {}},
        {"pressed header", 0, 1, {0, 0, 59, 19}, [&](CDataGridCellBase*) { grid.MoveFocus(2, 1); }},
        {"image fits", 1, 1, {0, 0, 59, 19}, [&](CDataGridCellBase* c) {
             grid.m_imageList = images;
             c->SetImage(0);
         }},
        {"image does not fit", 1, 1, {0, 0, 59, 8}, [&](CDataGridCellBase* c) {
             grid.m_imageList = images;
             c->SetImage(0);
         }},
        {"ascending arrow", 0, 2, {0, 0, 59, 19}, [&](CDataGridCellBase*) {
             grid.SetSortColumn(2);
             grid.m_sortAscending = TRUE;
         }},
        {"descending arrow", 0, 2, {0, 0, 59, 19}, [&](CDataGridCellBase*) {
             grid.SetSortColumn(2);
             grid.m_sortAscending = FALSE;
         }},
        {"arrow in a 3 px cell", 0, 2, {0, 0, 59, 2}, [&](CDataGridCellBase*) { grid.SetSortColumn(2); }},
        {"vertical font arrow", 0, 2, {0, 0, 29, 59}, [&](CDataGridCellBase* c) {
             grid.SetSortColumn(2);
             c->SetFont(&vertical);
         }},
        {"empty rectangle", 1, 1, {5, 5, 5, 20}, [](CDataGridCellBase*) {}},
    };
    for (const Case& c : cases) {
        CDataGridCtrl g2(3, 3, 1, 1);
        (void)g2;
        grid.m_linesShown = 3;
        grid.m_imageList = nullptr;
        grid.MoveFocus(-1, -1);
        grid.SetSortColumn(-1);
        grid.m_sortAscending = TRUE;
        CDataGridCellBase* cell = grid.GetCell(c.row, c.col);
        cell->Reset();
        cell->SetGrid(&grid);
        cell->SetState(c.row < 1 ? Fixed | FixedRow : 0);
        cell->SetText("Text");
        c.setup(cell);
        BOOL drawn = FALSE;
        std::string log = Record([&](CDC* dc) { drawn = cell->Draw(dc, c.row, c.col, c.rect, FALSE); }, RECT{0, 0, 200, 200});
        all += std::string("== ") + c.name + (drawn ? "" : " (not drawn)") + "\n" + log;
    }
    ImageList_Destroy(images);
    ExpectGolden("grid_draw_cells.log", all);
}

TEST_F(GridPaint, CellFromPointTable)
{
    GridHost host;
    CDataGridCtrl grid(6, 4, 1, 1);
    for (int c = 0; c < 4; c++) grid.SetColumnWidth(c, 30);
    for (int r = 0; r < 6; r++) grid.SetRowHeight(r, 10);
    grid.SetRowHeight(2, 0);
    MakeGrid(grid, host, RECT{0, 0, 200, 150});
    struct Case {
        POINT p;
        BOOL fixed;
        int row, col;
    };
    const Case cases[] = {
        {{29, 9}, TRUE, 0, 0},     // last pixel of the corner cell
        {{30, 10}, TRUE, 1, 1},    // one past: the next cell
        {{59, 19}, TRUE, 1, 1},
        {{60, 20}, TRUE, 3, 2},    // row 2 is hidden
        {{-1, 15}, TRUE, 1, -1},   // negative x
        {{119, 49}, TRUE, 5, 3},
        {{120, 50}, TRUE, -1, -1}, // past the last cell
        {{10, 5}, FALSE, -1, -1},  // the fixed area without fixed cells allowed
        {{35, 25}, FALSE, 3, 1},
    };
    for (const Case& c : cases) {
        CDataGridCellPos p = grid.CellFromPoint(c.p, c.fixed);
        EXPECT_EQ(p.row, c.row) << c.p.x << "," << c.p.y;
        EXPECT_EQ(p.col, c.col) << c.p.x << "," << c.p.y;
    }
    // Rectangles are inclusive and skip the hidden row.
    RECT r;
    ASSERT_TRUE(grid.GetCellRect(3, 2, &r));
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 89);
    EXPECT_EQ(r.bottom, 29);
    EXPECT_FALSE(grid.IsOverRowBorder(POINT{50, 20}));   // outside the fixed column
    EXPECT_FALSE(grid.IsOverRowBorder(POINT{10, 0}));    // the top of row 0
    EXPECT_TRUE(grid.IsOverRowBorder(POINT{10, 19}));
    EXPECT_TRUE(grid.IsOverColumnBorder(POINT{29, 5}));
}

TEST_F(GridPaint, NoScrollableCellsPaintsTheCornerOnly)
{
    GridHost host;
    CDataGridCtrl grid(2, 2, 2, 2);
    MakeGrid(grid, host, RECT{0, 0, 200, 150});
    CDataGridCellRange vis = grid.GetVisibleScrollRange();
    EXPECT_FALSE(grid.IsValid(vis));
    RECT client;
    grid.GetClientRect(&client);
    std::string log = Record([&](CDC* dc) { grid.OnDraw(dc); }, client);
    // The corner cells are drawn; right of and below them lies the empty area.
    EXPECT_NE(log.find("brush=SOLID,#a0a0a0"), std::string::npos);
    POINT p{150, 120};
    EXPECT_EQ(grid.CellFromPoint(p, FALSE).row, -1);
    grid.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
    EXPECT_TRUE(grid.EnsureVisible(1, 1));
}

// Sets the client size of the grid as if no bars were shown.
void SetClientSize(CDataGridCtrl& grid, int w, int h)
{
    // Hiding a bar would resize the grid and bring it back: measure the frame with the bars.
    RECT wr, cr;
    grid.GetWindowRect(&wr);
    grid.GetClientRect(&cr);
    DWORD style = grid.GetStyle();
    int fx = (wr.right - wr.left) - cr.right - ((style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    int fy = (wr.bottom - wr.top) - cr.bottom - ((style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    SetWindowPos(grid.m_hWnd, nullptr, 0, 0, w + fx, h + fy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    grid.UpdateScrollBars();
}

TEST_F(GridPaint, ScrollBarsOverClientSizes)
{
    GridHost host(800, 600);
    CDataGridCtrl grid(10, 10, 1, 1);
    for (int c = 0; c < 10; c++) grid.SetColumnWidth(c, 50);
    for (int r = 0; r < 10; r++) grid.SetRowHeight(r, 20);
    MakeGrid(grid, host, RECT{0, 0, 700, 500});
    int vs = GetSystemMetrics(SM_CXVSCROLL), hs = GetSystemMetrics(SM_CYHSCROLL);
    // W = 450 and H = 180 scroll past the fixed column and row.
    struct Case {
        int w, h;
        int maxX, pageX, maxY, pageY;
    };
    const Case cases[] = {
        {600, 300, 0, 0, 0, 0},
        {600, 150, 0, 0, 179, 130},
        {480, 190, 449, 430 - vs, 179, 190 - hs - 20},
        // The horizontal bar takes the height the rows needed: both bars.
        {480, 205, 449, 430, 179, 205 - hs - 20},
    };
    for (const Case& c : cases) {
        SetClientSize(grid, c.w, c.h);
        SCROLLINFO h{sizeof h, SIF_ALL, 0, 0, 0, 0, 0}, v = h;
        GetScrollInfo(grid.m_hWnd, SB_HORZ, &h);
        GetScrollInfo(grid.m_hWnd, SB_VERT, &v);
        EXPECT_EQ(grid.GetMaxScrollX(), c.maxX) << c.w << "x" << c.h;
        EXPECT_EQ(grid.GetMaxScrollY(), c.maxY) << c.w << "x" << c.h;
        EXPECT_EQ(h.nMax, c.maxX);
        EXPECT_EQ((int)h.nPage, c.pageX) << c.w << "x" << c.h;
        EXPECT_EQ(v.nMax, c.maxY);
        EXPECT_EQ((int)v.nPage, c.pageY) << c.w << "x" << c.h;
        EXPECT_EQ((grid.GetStyle() & WS_HSCROLL) != 0, c.maxX != 0);
        EXPECT_EQ((grid.GetStyle() & WS_VSCROLL) != 0, c.maxY != 0);
    }
}

class CountingGrid : public CDataGridCtrl {
public:
    using CDataGridCtrl::CDataGridCtrl;
    int draws = 0;
    // Paints that reach the cells (a frame-only paint has an empty clip box).
    void OnDraw(CDC* dc) override
    {
        RECT clip;
        GetClipBox(dc->m_hDC, &clip);
        if (clip.right > clip.left && clip.bottom > clip.top) draws++;
        CDataGridCtrl::OnDraw(dc);
    }
};

TEST_F(GridPaint, ArrowClicksMoveByOneColumnAndStopAtTheEnd)
{
    GridHost host(800, 600);
    CountingGrid grid(3, 10, 1, 1);
    for (int c = 0; c < 10; c++) grid.SetColumnWidth(c, c == 3 ? 70 : 50);
    MakeGrid(grid, host, RECT{0, 0, 300, 150});
    ASSERT_TRUE(grid.GetStyle() & WS_HSCROLL);
    ASSERT_FALSE(grid.GetStyle() & WS_VSCROLL);
    RECT wr, cr;
    grid.GetWindowRect(&wr);
    grid.GetClientRect(&cr);
    POINT rightArrow{cr.right - 3, cr.bottom + 3};
    ClientToScreen(grid.m_hWnd, &rightArrow);
    std::vector<int> positions;
    for (int i = 0; i < 12; i++) {
        int before = grid.GetScrollPosition(SB_HORZ);
        int draws = grid.draws;
        InjectClick(rightArrow.x, rightArrow.y);
        PumpUntilIdle();
        int after = grid.GetScrollPosition(SB_HORZ);
        positions.push_back(after);
        // A move repaints the cells; a click at the end repaints nothing.
        EXPECT_EQ(grid.draws > draws, after != before) << i;
    }
    // Column 1, 2 and 3 (70 px) pass one by one; the bar's clamp ends the walk.
    int page = cr.right - 50;
    int end = 470 - page;
    std::vector<int> expected;
    int p = 0;
    for (int c = 1; (int)expected.size() < 12; c++) {
        if (p < end && c < 10) p = std::min(p + (c == 3 ? 70 : 50), end);
        expected.push_back(p);
    }
    EXPECT_EQ(positions, expected);
}

TEST_F(GridPaint, NothingIsInvalidatedByALineScrollAtTheEnd)
{
    GridHost host(800, 600);
    CDataGridCtrl grid(3, 10, 1, 1);
    for (int c = 0; c < 10; c++) grid.SetColumnWidth(c, 50);
    MakeGrid(grid, host, RECT{0, 0, 300, 150});
    grid.SendMessage(WM_HSCROLL, SB_RIGHT);
    PumpUntilIdle();
    int end = grid.GetScrollPosition(SB_HORZ);
    EXPECT_GT(end, 0);
    ValidateRect(grid.m_hWnd, nullptr);
    grid.SendMessage(WM_HSCROLL, SB_LINERIGHT);
    RECT upd;
    EXPECT_FALSE(GetUpdateRect(grid.m_hWnd, &upd, FALSE));
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), end);
    // EnsureVisible walks back by lines and ends.
    EXPECT_TRUE(grid.EnsureVisible(1, 1));
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), 0);
    EXPECT_TRUE(grid.EnsureVisible(1, 9));
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), end);
}

TEST_F(GridPaint, ThumbDragPasses32767Pixels)
{
    GridHost host(800, 600);
    CDataGridCtrl grid(3, 1001, 1, 1);
    for (int c = 0; c < 1001; c++) grid.SetColumnWidth(c, 50);
    MakeGrid(grid, host, RECT{0, 0, 300, 150});
    RECT cr;
    grid.GetClientRect(&cr);
    int arrow = GetSystemMetrics(SM_CXHSCROLL);
    POINT from{arrow + 3, cr.bottom + 3}, to{cr.right - arrow - 1, cr.bottom + 3};
    ClientToScreen(grid.m_hWnd, &from);
    ClientToScreen(grid.m_hWnd, &to);
    InjectMouseMove(from.x, from.y);
    InjectButton(VK_LBUTTON, true, from.x, from.y);
    for (int x = from.x; x <= to.x + 40; x += 20) InjectMouseMove(x, from.y);
    InjectButton(VK_LBUTTON, false, to.x + 40, from.y);
    PumpUntilIdle();
    int pos = grid.GetScrollPosition(SB_HORZ);
    EXPECT_GT(pos, 32767);
    EXPECT_EQ(pos, grid.GetMaxScrollX() - (cr.right - 50) + 1);
    // The top-left column is the first one starting at or after the position.
    EXPECT_EQ(grid.GetTopLeftScrollCell(TRUE).col, 1 + (pos + 49) / 50);
}

TEST_F(GridPaint, DialogScreenshot)
{
    static const CDialogItemTemplate items[] = {
        {GRIDCTRL_CLASSNAME, "", 1000, WS_TABSTOP | WS_BORDER, 7, 7, 250, 120, 0},
    };
    static const CDialogTemplate tmpl = {DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, "Grid demo", 0, 0, 264, 152,
                                         items, 1};
    CDataGridCtrl::RegisterGridClass();
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(&tmpl, nullptr));
    CDataGridCtrl grid(20, 8, 1, 1);
    ASSERT_TRUE(grid.SubclassDlgItem(1000, &dlg));
    for (int c = 0; c < 8; c++) grid.SetCellText(0, c, c ? ("Column " + std::to_string(c)).c_str() : "");
    for (int r = 1; r < 20; r++) {
        grid.SetCellText(r, 0, ("R" + std::to_string(r)).c_str());
        for (int c = 1; c < 8; c++) grid.SetCellText(r, c, std::to_string(r * 100 + c * 7 % 13).c_str());
    }
    grid.SetCellText(2, 2, "a text far too long for its cell");
    grid.SetColumnWidth(0, 40);
    grid.SetRangeSelection(CDataGridCellRange(3, 2, 4, 3));
    grid.MoveFocus(3, 2);
    grid.SetSortColumn(1);
    grid.SetCellBackColor(6, 4, RGB(255, 240, 160));
    dlg.ShowWindow(SW_SHOW);
    dlg.UpdateWindow();
    PumpUntilIdle();
    // The painted grid shows its fixed header colour at the corner.
    RECT gr;
    grid.GetWindowRect(&gr);
    POINT corner{5, 5};
    ClientToScreen(grid.m_hWnd, &corner);
    ScreenToClient(dlg.m_hWnd, &corner);
    std::string path = (ArtifactDir() / "grid-dialog.png").string();
    EXPECT_TRUE(HeadlessSavePng(dlg.m_hWnd, path));
    grid.UnsubclassWindow();
    dlg.DestroyWindow();
}

}  // namespace
