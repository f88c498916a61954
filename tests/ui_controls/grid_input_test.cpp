// The grid worked by hand: injected keys and mouse move, select, edit in
// place, copy and paste.
// The edit box header first: the grid's notification codes must win over
// the list view's same-named ones.
#include "ui_controls/grid/grid_edit.h"
#include "tests/ui_controls/grid_test_util.h"

#include "platform/afx/afx_ids.h"
#include "platform/user/clipboard.h"

namespace gridtest {
namespace {

// Logs WM_COMMAND as well as the notifications.
class LoggingHost : public GridHost {
public:
    LoggingHost(int w, int h) : GridHost(w, h) {}
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_COMMAND && (HWND)lParam) {
            log.push_back("command " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam)));
            *result = 0;
            return TRUE;
        }
        return GridHost::OnWndMsg(message, wParam, lParam, result);
    }
};

class GridInputTest : public GridTest {
public:
protected:
    LoggingHost host{620, 380};
    int clicks = 0;
    CDataGridCtrl grid{10, 6, 1, 1};

    void SetUp() override
    {
        GridTest::SetUp();
        MakeGrid(grid, host, RECT{0, 0, 560, 300});
        grid.SetColumnWidth(0, 40);
        for (int c = 1; c < 6; c++) grid.SetColumnWidth(c, 80);
        for (int r = 1; r < 10; r++)
            for (int c = 1; c < 6; c++) grid.SetCellText(r, c, (std::to_string(r) + "/" + std::to_string(c)).c_str());
        grid.SetFocus();
        PumpUntilIdle();
        host.log.clear();
    }
    POINT CellCentre(int row, int col)
    {
        RECT r{};
        EXPECT_TRUE(grid.GetCellRect(row, col, &r)) << row << "," << col << " top-left " << grid.GetTopLeftScrollCell().row;
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        if (getenv("GRID_DEBUG")) fprintf(stderr, "cell %d,%d rect %ld %ld %ld %ld\n", row, col, (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
        ClientToScreen(grid.m_hWnd, &p);
        return p;
    }
    void Click(int row, int col, UINT modifier = 0)
    {
        POINT p = CellCentre(row, col);
        // Apart by more than the double-click box: two clicks stay two clicks.
        p.x += (clicks++ % 2) ? 6 : -6;
        if (modifier) InjectKey(modifier, true);
        InjectClick(p.x, p.y);
        if (modifier) InjectKey(modifier, false);
        PumpUntilIdle();
    }
    void Key(UINT vk, UINT modifier = 0)
    {
        if (modifier) InjectKey(modifier, true);
        InjectKeyStroke(vk);
        if (modifier) InjectKey(modifier, false);
        PumpUntilIdle();
    }
    void Type(const std::string& s)
    {
        InjectText(s);
        PumpUntilIdle();
    }
    HWND EditBox() { return GetDlgItem(grid.m_hWnd, 8); }
    std::string EditText()
    {
        char buf[256] = {};
        GetWindowText(EditBox(), buf, sizeof buf);
        return buf;
    }
    void SetClipboard(const std::string& bytes)
    {
        ASSERT_TRUE(OpenClipboard(host.m_hWnd));
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(g), bytes.data(), bytes.size());
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
        CloseClipboard();
    }
    void Command(UINT id)
    {
        grid.SendMessage(WM_COMMAND, id, 0);
        PumpUntilIdle();
    }
};

TEST_F(GridInputTest, InputScriptEditsCellsAndNotifiesOwner)
{
    Click(2, 2);
    Type("12");
    Key(VK_TAB);
    Key(VK_ESCAPE);
    Type("(3");
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(2, 2), "12");
    EXPECT_STREQ(grid.GetCellText(2, 3), "(3");
    std::vector<std::string> want = {
        "notify -100 2,2", "notify -101 2,2", "notify -2 2,2", "command 100 0",
        "notify -105 2,2", "notify -106 2,2", "notify -100 2,3", "notify -101 2,3", "notify -105 2,3",
        // Esc: no -106; then "(3" opens a new edit.
        "notify -105 2,3", "notify -106 2,3",
    };
    EXPECT_EQ(host.log, want);
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(CDataGridEditBox::LiveCount(), 0);
    EXPECT_FALSE(grid.IsCellEditing(2, 3));
}

TEST_F(GridInputTest, OwnerVetoes)
{
    Click(2, 2);
    host.onNotify = [](NMHDR* h) -> LRESULT { return (int)h->code == GVN_BEGINLABELEDIT ? -1 : 0; };
    Type("x");
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_STREQ(grid.GetCellText(2, 2), "2/2");
    host.onNotify = [](NMHDR* h) -> LRESULT { return (int)h->code == GVN_ENDLABELEDIT ? -1 : 0; };
    Type("y");
    ASSERT_NE(EditBox(), nullptr);
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(2, 2), "2/2");
    EXPECT_FALSE(grid.IsCellEditing(2, 2));
}

struct FirstCharCase {
    std::string typed;
    std::string want;   // text once Enter ends the edit
};

TEST_F(GridInputTest, FirstCharacterOfAnEdit)
{
    // "!" to "(" are typed characters, not navigation keys.
    std::vector<FirstCharCase> cases = {
        {"!", "!"}, {"\"", "\""}, {"#", "#"}, {"$", "$"}, {"%", "%"}, {"&", "&"}, {"'", "'"}, {"(", "("},
        {"x", "x"}, {"\xC3\xA9", "\xC3\xA9"}, {" ", "3/3"}, {"\r", "3/3"}, {"\b", "3/"},
    };
    for (const auto& c : cases) {
        grid.SetCellText(3, 3, "3/3");
        Click(3, 3);
        Type(c.typed);
        ASSERT_NE(EditBox(), nullptr) << c.typed;
        Key(VK_RETURN);
        EXPECT_EQ(std::string(grid.GetCellText(3, 3)), c.want) << "typed " << (int)c.typed[0];
        Key(VK_LEFT);   // away, so the next click is a fresh selecting click
    }
}

TEST_F(GridInputTest, ClickStartedEditKeepsTextAndArrowsMoveCaret)
{
    Click(4, 2);
    Click(4, 2);   // second click on the focus cell edits
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(EditText(), "4/2");
    Key(VK_LEFT);
    EXPECT_NE(EditBox(), nullptr);   // the caret moved, the edit stays
    Type("z");
    EXPECT_EQ(EditText(), "4/z2");
    Key(VK_RIGHT, VK_CONTROL);
    EXPECT_STREQ(grid.GetCellText(4, 2), "4/z2");
    // Ctrl+Right moved on and continued editing there, text selected.
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(4, 3));
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(EditText(), "4/3");
    Key(VK_ESCAPE);
    EXPECT_EQ(EditBox(), nullptr);
}

TEST_F(GridInputTest, F2EditsWithCaretAtEnd)
{
    Click(5, 5);
    Key(VK_F2);
    ASSERT_NE(EditBox(), nullptr);
    Type("!");
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(5, 5), "5/5!");
}

TEST_F(GridInputTest, KeysMoveFocusAndSelection)
{
    Click(2, 2);
    Key(VK_DOWN);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(3, 2));
    EXPECT_EQ(grid.GetSelectedCount(), 1);
    Key(VK_DOWN, VK_SHIFT);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(4, 2));
    EXPECT_EQ(grid.GetSelectionBounds(), CDataGridCellRange(3, 2, 4, 2));
    // Tab wraps in a middle row to the first scrollable column of the next.
    Click(4, 5);
    Key(VK_TAB);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(5, 1));
    // Shift+Tab goes back.
    Key(VK_TAB, VK_SHIFT);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(4, 5));
    // On the last row it stays.
    Click(1, 1);
    Key(VK_END, VK_CONTROL);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(9, 5));
    Key(VK_TAB);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(9, 5));
    Key(VK_HOME, VK_CONTROL);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(1, 1));
    Key(VK_NEXT);
    EXPECT_GT(grid.GetFocusCell().row, 1);
    EXPECT_EQ(grid.GetFocusCell().col, 1);
    Key(VK_NEXT);
    Key(VK_NEXT);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(9, 1));
}

TEST_F(GridInputTest, ShiftClickExtendsFromAnchorAndEnsureVisibleEnds)
{
    Click(2, 2);
    Click(4, 3, VK_SHIFT);
    EXPECT_EQ(grid.GetSelectionBounds(), CDataGridCellRange(2, 2, 4, 3));
    EXPECT_EQ(grid.GetSelectedCount(), 6);
    // A narrow grid scrolled fully right: making the last column visible
    // again must end although no further scroll moves.
    grid.SetColumnWidth(5, 400);
    grid.SendMessage(WM_HSCROLL, SB_RIGHT, 0);
    PumpUntilIdle();
    EXPECT_TRUE(grid.EnsureVisible(2, 5));
    EXPECT_TRUE(grid.IsCellVisible(2, 5));
}

TEST_F(GridInputTest, AutoScrollWhileSelectingBelowTheCells)
{
    grid.SetRowCount(60);
    PumpUntilIdle();
    POINT p = CellCentre(2, 2);
    RECT win;
    GetWindowRect(grid.m_hWnd, &win);
    InjectMouseMove(p.x, p.y);
    InjectButton(VK_LBUTTON, true, p.x, p.y);
    InjectMouseMove(p.x, win.bottom + 20);
    PumpUntilIdle();
    EXPECT_EQ(grid.m_autoScrollTimer, 0x201u);
    // Three ticks of the timer (sent: the test does not wait for time).
    for (int i = 0; i < 3; i++) grid.SendMessage(WM_TIMER, 0x201, 0);
    InjectButton(VK_LBUTTON, false, p.x, win.bottom + 20);
    PumpUntilIdle();
    EXPECT_EQ(grid.m_autoScrollTimer, 0u);
    EXPECT_GT(grid.GetFocusCell().row, 2);
    EXPECT_EQ(grid.GetSelectionBounds().minRow, 2);
    EXPECT_GE(grid.GetSelectionBounds().maxRow, grid.GetFocusCell().row);
}

TEST_F(GridInputTest, DeleteClearsOnlyEditableGrid)
{
    Click(2, 2);
    Key(VK_DOWN, VK_SHIFT);
    grid.m_editable = FALSE;
    Key(VK_DELETE);
    EXPECT_STREQ(grid.GetCellText(2, 2), "2/2");
    grid.m_editable = TRUE;
    Key(VK_DELETE);
    EXPECT_STREQ(grid.GetCellText(2, 2), "");
    EXPECT_STREQ(grid.GetCellText(3, 2), "");
    EXPECT_STREQ(grid.GetCellText(4, 2), "4/2");
}

TEST_F(GridInputTest, CopyIsByteExact)
{
    grid.SetCellText(1, 1, "a");
    grid.SetCellText(1, 3, "c");
    Click(1, 1);
    Click(1, 3, VK_CONTROL);
    Key('C', VK_CONTROL);
    EXPECT_EQ(ClipboardText(), std::string("a\t\tc\0", 5));
    // Two rows: no line end after the last one.
    Click(1, 1);
    Click(2, 2, VK_SHIFT);
    Command(ID_EDIT_COPY);
    EXPECT_EQ(ClipboardText(), std::string("a\t1/2\r\n2/1\t2/2\0", 15));
    // Hidden middle and last columns are left out, with no stray tabs.
    Click(1, 1);
    Click(2, 3, VK_SHIFT);
    grid.SetColumnWidth(2, 0);
    grid.SetColumnWidth(3, 0);
    Command(ID_EDIT_COPY);
    EXPECT_EQ(ClipboardText(), std::string("a\r\n2/1\0", 7));
    // Ctrl-click deselects one cell of a selection.
    grid.SetColumnWidth(2, 60);
    grid.SetColumnWidth(3, 60);
    Click(2, 2, VK_CONTROL);
    EXPECT_FALSE(grid.IsCellSelected(2, 2));
    EXPECT_TRUE(grid.IsCellSelected(2, 3));
    // A hidden last row adds no line end.
    Click(1, 1);
    Click(2, 2, VK_SHIFT);
    grid.SetRowHeight(2, 0);
    Command(ID_EDIT_COPY);
    EXPECT_EQ(ClipboardText(), std::string("a\t1/2\0", 6));
}

TEST_F(GridInputTest, PasteFillsBlockAndLeavesTheRest)
{
    SetClipboard(std::string("1,2\t3\r\nxy\r\n", 11));
    Click(2, 2);
    Key('V', VK_CONTROL);
    EXPECT_STREQ(grid.GetCellText(2, 2), "1");
    EXPECT_STREQ(grid.GetCellText(2, 3), "2");
    EXPECT_STREQ(grid.GetCellText(2, 4), "3");
    EXPECT_STREQ(grid.GetCellText(3, 2), "xy");
    EXPECT_STREQ(grid.GetCellText(4, 2), "4/2");   // no empty last line
    EXPECT_STREQ(grid.GetCellText(3, 3), "3/3");
    // A block without NUL stops at its size.
    SetClipboard("q\tr");
    Click(5, 1);
    Command(ID_EDIT_PASTE);
    EXPECT_STREQ(grid.GetCellText(5, 1), "q");
    EXPECT_STREQ(grid.GetCellText(5, 2), "r");
    EXPECT_STREQ(grid.GetCellText(5, 3), "5/3");
    // Read-only target keeps its text.
    grid.SetCellState(6, 1, grid.GetCellState(6, 1) | ReadOnly);
    Click(6, 1);
    Command(ID_EDIT_PASTE);
    EXPECT_STREQ(grid.GetCellText(6, 1), "6/1");
}

TEST_F(GridInputTest, CommandStates)
{
    auto state = [&](UINT id) {
        BOOL enabled = -1;
        struct Rec : CCmdUI {
            BOOL* out;
            void Enable(BOOL on) override { *out = on; }
        } rec;
        rec.out = &enabled;
        rec.m_nID = id;
        rec.DoUpdate(&grid, FALSE);
        return enabled;
    };
    grid.ClearSelection();
    EXPECT_FALSE(state(ID_EDIT_COPY));
    EXPECT_FALSE(state(ID_EDIT_CUT));
    EXPECT_TRUE(state(ID_EDIT_SELECT_ALL));
    Click(2, 2);
    SetClipboard(std::string("t\0", 2));
    EXPECT_TRUE(state(ID_EDIT_COPY));
    EXPECT_TRUE(state(ID_EDIT_CUT));
    EXPECT_TRUE(state(ID_EDIT_PASTE));
    grid.m_editable = FALSE;
    EXPECT_FALSE(state(ID_EDIT_CUT));
    EXPECT_FALSE(state(ID_EDIT_PASTE));
    grid.m_editable = TRUE;
    Command(ID_EDIT_CUT);
    EXPECT_STREQ(grid.GetCellText(2, 2), "");
    EXPECT_EQ(ClipboardText(), std::string("2/2\0", 4));
    Command(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(grid.GetSelectedCount(), 9 * 5);
}

TEST_F(GridInputTest, MouseHeadersWheelAndRightClick)
{
    grid.m_headerClickSorts = TRUE;
    grid.SetCellText(1, 2, "zz");
    Click(0, 2);
    EXPECT_EQ(grid.GetSortColumn(), 2);
    EXPECT_TRUE(grid.GetSortAscending());
    EXPECT_STREQ(grid.GetCellText(9, 2), "zz");
    Click(0, 2);
    EXPECT_FALSE(grid.GetSortAscending());
    EXPECT_STREQ(grid.GetCellText(1, 2), "zz");
    // A row header selects its row; the corner selects everything.
    Click(3, 0);
    EXPECT_EQ(grid.GetSelectedCount(), grid.GetColumnCount() - grid.GetFixedColumnCount());
    EXPECT_TRUE(grid.IsCellSelected(3, 2));
    // Points relative to a cell; a cell scrolled off has no origin.
    RECT cell{};
    ASSERT_TRUE(grid.GetCellRect(2, 1, &cell));
    POINT rel = grid.CellRelativePoint(2, 1, POINT{cell.left + 4, cell.top + 3});
    EXPECT_EQ(rel.x, 4);
    EXPECT_EQ(rel.y, 3);
    EXPECT_EQ(grid.CellRelativePoint(-1, 1, POINT{50, 50}).x, 0);
    // Wheel: 240 units at 3 lines are 6 line-ups.
    grid.SetRowCount(60);
    grid.m_wheelLines = 3;
    grid.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
    PumpUntilIdle();
    int before = grid.GetTopLeftScrollCell(TRUE).row;
    POINT p = CellCentre(grid.GetTopLeftScrollCell(TRUE).row, 2);
    InjectWheel(p.x, p.y, 240);
    PumpUntilIdle();
    EXPECT_EQ(before - grid.GetTopLeftScrollCell(TRUE).row, 6);
    // A right click outside the cells.
    host.log.clear();
    RECT client;
    grid.GetClientRect(&client);
    grid.SetColumnCount(2);
    PumpUntilIdle();
    POINT out{client.right - 3, 30};
    ClientToScreen(grid.m_hWnd, &out);
    InjectClick(out.x, out.y, VK_RBUTTON);
    PumpUntilIdle();
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log.back(), "notify -5 -1,-1");
}

TEST_F(GridInputTest, EditBoxGrowsToClientEdgeOnly)
{
    Click(2, 5);
    Type(std::string(80, 'w'));
    ASSERT_NE(EditBox(), nullptr);
    RECT box, client;
    GetWindowRect(EditBox(), &box);
    ScreenToClient(grid.m_hWnd, reinterpret_cast<POINT*>(&box.right));
    grid.GetClientRect(&client);
    EXPECT_EQ(box.right, client.right);
    const auto png = ArtifactDir() / "grid_edit_open.png";
    ASSERT_TRUE(HeadlessSavePng(host.m_hWnd, png.string()));
    Key(VK_RETURN);
    EXPECT_EQ(std::string(grid.GetCellText(2, 5)), std::string(80, 'w'));
}

TEST_F(GridInputTest, FailedEditBoxLeavesNoEditingCell)
{
    Click(2, 2);
    // Without its class the box cannot make its window.
    EnsureControlClasses();
    WNDCLASS editClass{};
    ASSERT_TRUE(GetClassInfo(nullptr, WC_EDIT, &editClass));
    const std::string name = editClass.lpszClassName;
    editClass.lpszClassName = name.c_str();
    ASSERT_TRUE(UnregisterClass(WC_EDIT, nullptr));
    Type("x");
    ASSERT_NE(RegisterClass(&editClass), 0);
    EXPECT_FALSE(grid.IsCellEditing(2, 2));
    EXPECT_EQ(CDataGridEditBox::LiveCount(), 0);
    Type("y");
    ASSERT_NE(EditBox(), nullptr);
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(2, 2), "y");
}

class GridSizingTest : public GridInputTest {
protected:
    // The screen point just left of column col's right border in the header.
    POINT Border(int col)
    {
        RECT r{};
        EXPECT_TRUE(grid.GetCellRect(0, col, &r));
        POINT p{r.right - 1, (r.top + r.bottom) / 2};
        POINT o;
        grid.GetCellTopLeft(0, col, &o);
        p.x = o.x + grid.GetColumnWidth(col) - 1;
        ClientToScreen(grid.m_hWnd, &p);
        return p;
    }
    int OriginX(int col)
    {
        POINT o{};
        grid.GetCellTopLeft(0, col, &o);
        POINT s = o;
        ClientToScreen(grid.m_hWnd, &s);
        return s.x;
    }
    void Drag(POINT from, POINT to)
    {
        InjectMouseMove(from.x, from.y);
        InjectButton(VK_LBUTTON, true, from.x, from.y);
        InjectMouseMove(to.x, to.y);
        InjectButton(VK_LBUTTON, false, to.x, to.y);
        PumpUntilIdle();
    }
};

TEST_F(GridSizingTest, ColumnBorderDragSizes)
{
    POINT b = Border(2);
    int origin = OriginX(2);
    Drag(b, POINT{b.x + 30, b.y});
    EXPECT_EQ(grid.GetColumnWidth(2), b.x + 30 - origin);
    EXPECT_EQ(grid.m_pointerState, 0);
    EXPECT_EQ(grid.m_bandPos, -1);
    RECT clip, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetClipCursor(&clip);
    EXPECT_EQ(clip.left, screen.left);
    EXPECT_EQ(clip.right, screen.right);
    // A release at the press point changes nothing.
    int w = grid.GetColumnWidth(2);
    b = Border(2);
    Drag(b, b);
    EXPECT_EQ(grid.GetColumnWidth(2), w);
    // Columns may not hide: the width stays at least 1 (the clip keeps the
    // pointer right of the origin).
    grid.m_columnsMayHide = FALSE;
    Click(5, 5);   // not a double click on the border
    b = Border(2);
    Drag(b, POINT{origin - 50, b.y});
    EXPECT_EQ(grid.GetColumnWidth(2), 1);
}

TEST_F(GridSizingTest, CaptureLostMidDragLeavesGridIdle)
{
    POINT b = Border(3);
    int w = grid.GetColumnWidth(3);
    InjectMouseMove(b.x, b.y);
    PumpUntilIdle();
    const auto before = ArtifactDir() / "grid_band_before.png", after = ArtifactDir() / "grid_band_after.png";
    ASSERT_TRUE(HeadlessSavePng(host.m_hWnd, before.string()));
    InjectButton(VK_LBUTTON, true, b.x, b.y);
    InjectMouseMove(b.x + 10, b.y);
    InjectMouseMove(b.x + 20, b.y);
    PumpUntilIdle();
    EXPECT_EQ(grid.m_pointerState, 9);
    EXPECT_GE(grid.m_bandPos, 0);
    ::SetCapture(host.m_hWnd);
    PumpUntilIdle();
    EXPECT_EQ(grid.m_pointerState, 0);
    EXPECT_EQ(grid.m_bandPos, -1);
    EXPECT_FALSE(grid.m_leftButtonDown);
    // Every band was erased where it was drawn: the window is as before.
    ASSERT_TRUE(HeadlessSavePng(host.m_hWnd, after.string()));
    EXPECT_EQ(ReadText(before.string()), ReadText(after.string()));
    RECT clip;
    GetClipCursor(&clip);
    EXPECT_EQ(clip.left, 0);
    ReleaseCapture();
    InjectButton(VK_LBUTTON, false, b.x + 20, b.y);
    PumpUntilIdle();
    EXPECT_EQ(grid.GetColumnWidth(3), w);
}

TEST_F(GridSizingTest, BorderDoubleClickAutoSizes)
{
    grid.SetCellText(4, 2, "a rather long text for this column");
    POINT b = Border(2);
    InjectMouseMove(b.x, b.y);
    InjectClick(b.x, b.y);
    InjectClick(b.x, b.y);
    PumpUntilIdle();
    EXPECT_GT(grid.GetColumnWidth(2), 150);
    EXPECT_EQ(grid.m_pointerState == 9, false);
}


// Two grids side by side in one host.
class GridDragTest : public GridInputTest {
protected:
    CDataGridCtrl other{10, 6, 1, 1};
    void SetUp() override
    {
        GridInputTest::SetUp();
        ASSERT_TRUE(other.Create(RECT{0, 0, 10, 10}, &host, 101, WS_CHILD | WS_VISIBLE));
        other.SetColumnWidth(0, 40);
        for (int c = 1; c < 6; c++) other.SetColumnWidth(c, 80);
        // The first sizing registers the drop targets.
        grid.MoveWindow(RECT{0, 0, 300, 300});
        other.MoveWindow(RECT{310, 0, 600, 300});
        grid.m_dragDropEnabled = other.m_dragDropEnabled = TRUE;
        PumpUntilIdle();
    }
    POINT OtherCentre(int row, int col)
    {
        RECT r{};
        EXPECT_TRUE(other.GetCellRect(row, col, &r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(other.m_hWnd, &p);
        return p;
    }
    // Press on the selected (2,2), move over to the other grid's (3,1), release.
    void DragTo(POINT to, UINT modifier = 0, bool cancel = false)
    {
        Click(3, 3);
        Click(2, 2);
        POINT from = CellCentre(2, 2);
        from.x += 2;
        InjectMouseMove(from.x, from.y);
        InjectButton(VK_LBUTTON, true, from.x, from.y);
        InjectMouseMove(from.x + 20, from.y + 5);
        // The loop reads the pointer where the queue ends: this move is far from it.
        InjectMouseMove(from.x + 40, from.y);
        InjectMouseMove(to.x, to.y);
        if (modifier) InjectKey(modifier, true);
        InjectMouseMove(to.x + 1, to.y);
        if (cancel) InjectKeyStroke(VK_ESCAPE);
        InjectButton(VK_LBUTTON, false, to.x + 1, to.y);
        if (modifier) InjectKey(modifier, false);
        PumpUntilIdle();
    }
};

TEST_F(GridDragTest, MoveCopyAndCancel)
{
    EXPECT_TRUE(grid.m_oleDropTarget.m_registered);
    EXPECT_TRUE(other.m_oleDropTarget.m_registered);
    DragTo(OtherCentre(3, 1));
    EXPECT_STREQ(other.GetCellText(3, 1), "2/2");
    EXPECT_STREQ(grid.GetCellText(2, 2), "");   // a move clears the source
    grid.SetCellText(2, 2, "copied");
    DragTo(OtherCentre(4, 1), VK_CONTROL);
    EXPECT_STREQ(other.GetCellText(4, 1), "copied");
    EXPECT_STREQ(grid.GetCellText(2, 2), "copied");
    grid.SetCellText(2, 2, "kept");
    DragTo(OtherCentre(5, 1), 0, true);
    EXPECT_STREQ(other.GetCellText(5, 1), "");
    EXPECT_STREQ(grid.GetCellText(2, 2), "kept");
    EXPECT_EQ(grid.m_pointerState, 0);
}

TEST_F(GridDragTest, DragScrollEffectsAndRegistration)
{
    EXPECT_EQ(other.m_oleDropTarget.OnDragScroll(&other, MK_CONTROL, POINT{5, 5}), DROPEFFECT_COPY);
    EXPECT_EQ(other.m_oleDropTarget.OnDragScroll(&other, 0, POINT{5, 5}), DROPEFFECT_MOVE);
    EXPECT_EQ(other.m_oleDropTarget.OnDragScroll(&grid, 0, POINT{5, 5}), DROPEFFECT_NONE);
    CDataGridOleDropTarget plain;
    EXPECT_FALSE(plain.Register(&host));
    EXPECT_FALSE(plain.m_registered);
    // A second registration of the same target fails too.
    EXPECT_FALSE(other.m_oleDropTarget.Register(&other));
}

TEST_F(GridDragTest, DragFlagOffLeavesEditPending)
{
    grid.m_dragDropEnabled = FALSE;
    Click(2, 2);
    POINT p = CellCentre(2, 2);
    InjectMouseMove(p.x, p.y);
    InjectButton(VK_LBUTTON, true, p.x, p.y);
    InjectMouseMove(p.x + 10, p.y);
    InjectButton(VK_LBUTTON, false, p.x + 10, p.y);
    PumpUntilIdle();
    // The release still edited.
    EXPECT_NE(EditBox(), nullptr);
    Key(VK_ESCAPE);
}

class GridTipTest : public GridInputTest {
protected:
    // The width " text " takes in the grid's font.
    int ShownWidth(const std::string& text)
    {
        std::string shown = " " + text + " ";
        HDC dc = ::GetDC(grid.m_hWnd);
        HGDIOBJ old = SelectObject(dc, (HGDIOBJ)grid.SendMessage(WM_GETFONT));
        SIZE s{};
        GetTextExtentPoint32(dc, shown.c_str(), (int)shown.size(), &s);
        SelectObject(dc, old);
        ::ReleaseDC(grid.m_hWnd, dc);
        return s.cx;
    }
    const VisibleWindow* Tip(std::vector<VisibleWindow>& list)
    {
        for (auto& w : list)
            if (w.hwnd == grid.m_tipWindow.m_hWnd) return &w;
        return nullptr;
    }
    void Hover(int row, int col)
    {
        POINT p = CellCentre(row, col);
        InjectMouseMove(p.x, p.y);
        PumpUntilIdle(Filter());
    }
    // The tip sees input first, as the application's message loop does.
    std::function<bool(MSG&)> Filter()
    {
        return [](MSG& m) {
            CWnd* w = CWnd::FromHandlePermanent(m.hwnd);
            return w && dynamic_cast<CDataGridTitleTip*>(w) && w->PreTranslateMessage(&m);
        };
    }
};

TEST_F(GridTipTest, ClippedTextShowsTipFittingTextNone)
{
    const std::string text = "clipped text";
    int w = ShownWidth(text);
    grid.SetCellText(2, 2, text.c_str());
    // The cell's rectangle may be narrower than its column: fit the rectangle.
    RECT cell;
    grid.GetCellRect(2, 2, &cell);
    int extra = grid.GetColumnWidth(2) - (cell.right - cell.left);
    grid.SetColumnWidth(2, w + extra);
    Hover(2, 2);
    auto list = VisibleTopLevelWindows();
    EXPECT_EQ(Tip(list), nullptr);
    Hover(3, 3);
    grid.SetColumnWidth(2, w + extra - 1);
    Hover(2, 2);
    list = VisibleTopLevelWindows();
    const VisibleWindow* tip = Tip(list);
    ASSERT_NE(tip, nullptr);
    grid.GetCellRect(2, 2, &cell);
    POINT tl{cell.left, cell.top};
    ClientToScreen(grid.m_hWnd, &tl);
    EXPECT_EQ(tip->rect.left, tl.x);
    EXPECT_EQ(tip->rect.top, tl.y);
    EXPECT_EQ(tip->rect.right - tip->rect.left, w);
    EXPECT_EQ(tip->rect.bottom - tip->rect.top, cell.bottom - cell.top);
    EXPECT_TRUE(tip->exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(CurrentCapture(), grid.m_tipWindow.m_hWnd);
    // A key hides the tip and reaches the grid.
    Click(3, 3);
    Hover(2, 2);
    ASSERT_EQ(CurrentCapture(), grid.m_tipWindow.m_hWnd);
    InjectKeyStroke(VK_DOWN);
    PumpUntilIdle(Filter());
    EXPECT_FALSE(::IsWindowVisible(grid.m_tipWindow.m_hWnd));
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(4, 3));
}

// The tip shows the cell's whole text on its yellow background, and keeps
// showing it when it is painted again.
TEST_F(GridTipTest, TipPaintsItsTextEveryTime)
{
    const std::string text = "a much longer text than the cell";
    grid.SetCellText(2, 2, text.c_str());
    grid.SetColumnWidth(2, ShownWidth(text) / 3);
    Hover(2, 2);
    HWND tip = grid.m_tipWindow.m_hWnd;
    ASSERT_TRUE(::IsWindowVisible(tip));
    auto inked = [&] {
        SIZE size{};
        EXPECT_TRUE(HeadlessGetSurfaceSize(tip, &size));
        int dark = 0, background = 0;
        for (int y = 0; y < size.cy; ++y)
            for (int x = 0; x < size.cx; ++x) {
                COLORREF c = 0;
                HeadlessGetPixel(tip, x, y, &c);
                if (c == GetSysColor(COLOR_INFOBK)) ++background;
                else if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++dark;
            }
        return std::pair{dark, background};
    };
    for (int paint = 0; paint < 2; ++paint) {
        SCOPED_TRACE(paint);
        auto [dark, background] = inked();
        EXPECT_GT(dark, 60);          // the letters, beyond the border
        EXPECT_GT(background, dark);  // on the tip's background
        ::InvalidateRect(tip, nullptr, TRUE);
        PumpUntilIdle(Filter());
    }
    HDC dc = CreateRecordingDC(FALSE);
    ::SendMessage(tip, WM_PRINTCLIENT, (WPARAM)dc, 0);
    EXPECT_NE(GetRecordingLog(dc).find("\" " + text + " \""), std::string::npos) << GetRecordingLog(dc);
    DeleteDC(dc);
}

TEST_F(GridTipTest, PressesThroughTheTip)
{
    const std::string text = "a clipped text";
    grid.SetCellText(2, 2, text.c_str());
    grid.SetColumnWidth(2, ShownWidth(text) / 2);
    Click(2, 2);
    Hover(2, 2);
    ASSERT_TRUE(::IsWindowVisible(grid.m_tipWindow.m_hWnd));
    // Two presses within the double-click time start editing.
    POINT p = CellCentre(2, 2);
    InjectClick(p.x, p.y);
    PumpUntilIdle(Filter());
    Hover(2, 2);
    ASSERT_TRUE(::IsWindowVisible(grid.m_tipWindow.m_hWnd));
    InjectClick(p.x, p.y);
    PumpUntilIdle(Filter());
    EXPECT_NE(EditBox(), nullptr);
    Key(VK_ESCAPE);
}

TEST_F(GridTipTest, PressOverScrollBarArrivesNonClient)
{
    grid.SetRowCount(60);
    PumpUntilIdle();
    // Press through a shown tip at a point over the vertical scroll bar.
    RECT win;
    GetWindowRect(grid.m_hWnd, &win);
    POINT bar{win.right - 3, win.top + 40};
    ASSERT_EQ(::SendMessage(grid.m_hWnd, WM_NCHITTEST, 0, (LPARAM)(DWORD)(((WORD)bar.x) | ((DWORD)(WORD)bar.y << 16))),
              HTVSCROLL);
    grid.m_tipWindow.m_ownerGrid = &grid;
    grid.m_tipWindow.Create(&grid);
    UINT seen = 0;
    WPARAM hit = 0;
    MSG m{grid.m_tipWindow.m_hWnd, WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
    POINT c = bar;
    ScreenToClient(grid.m_tipWindow.m_hWnd, &c);
    m.lParam = (LPARAM)(DWORD)(((WORD)(short)c.x) | ((DWORD)(WORD)(short)c.y << 16));
    EXPECT_TRUE(grid.m_tipWindow.PreTranslateMessage(&m));
    PumpUntilIdle([&](MSG& msg) {
        if (msg.hwnd == grid.m_hWnd && (msg.message == WM_NCLBUTTONDOWN || msg.message == WM_LBUTTONDOWN)) {
            seen = msg.message;
            hit = msg.wParam;
            return true;   // dispatched, it would start tracking the bar
        }
        return false;
    });
    EXPECT_EQ(seen, WM_NCLBUTTONDOWN);
    EXPECT_EQ(hit, (WPARAM)HTVSCROLL);
}

}  // namespace
}  // namespace gridtest
