// Printing the grid: page breaks through the recording printer DC, a real
// PDF read back with poppler, and the cell measuring and printing units.
#include "grid_test_util.h"
#include "tests/support/common_dialog_script.h"

#include <cstdio>
#include <regex>

namespace {

using namespace gridtest;

using GridPrint = GridTest;

class PrintGrid : public CDataGridCtrl {
public:
    using CDataGridCtrl::CDataGridCtrl;
    using CDataGridCtrl::m_printBodyHeight;
    using CDataGridCtrl::m_printBodyWidth;
    using CDataGridCtrl::m_printFont;
};

std::string Label(int r) 
{
    char b[16];
    snprintf(b, sizeof b, "R%03d", r);
    return b;
}

void FillPrintGrid(PrintGrid& grid, int rows, int cols)
{
    grid.SetRowCount(rows);
    grid.SetColumnCount(cols);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    for (int c = 1; c < cols; c++) grid.SetCellText(0, c, ("H" + std::to_string(c)).c_str());
    for (int r = 1; r < rows; r++) {
        grid.SetCellText(r, 0, Label(r).c_str());
        for (int c = 1; c < cols; c++) grid.SetCellText(r, c, ("x" + std::to_string(r) + "y" + std::to_string(c)).c_str());
    }
}

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
    return n;
}

// Each page's recording log.
std::vector<std::string> PrintToRecording(PrintGrid& grid, int* pageCount)
{
    HDC dc = CreateRecordingDC(TRUE);
    CDC cdc(dc);
    cdc.m_bPrinting = TRUE;
    CPrintInfo info;
    grid.BeginPrinting(&cdc, &info);
    *pageCount = (int)info.GetMaxPage();
    std::vector<std::string> pages;
    for (int p = 1; p <= *pageCount; p++) {
        info.m_nCurPage = (UINT)p;
        ClearRecordingLog(dc);
        grid.PrintPage(&cdc, &info);
        pages.push_back(GetRecordingLog(dc));
    }
    // A page past the end prints no body and leaves no font of the grid's selected.
    info.m_nCurPage = (UINT)*pageCount + 1;
    grid.PrintPage(&cdc, &info);
    EXPECT_NE(GetCurrentObject(dc, OBJ_FONT), (HGDIOBJ)grid.m_printFont);
    grid.EndPrinting(&cdc, &info);
    cdc.Detach();
    DeleteDC(dc);
    return pages;
}

TEST_F(GridPrint, RowsAndTiledColumnsAtTheBodyEdgeLandOnOnePage)
{
    GridHost host(400, 300, "Grid print test");
    PrintGrid grid;
    FillPrintGrid(grid, 12, 4);
    MakeGrid(grid, host);
    int pages = 0;
    PrintToRecording(grid, &pages);
    int body = grid.m_printBodyHeight;
    ASSERT_GT(body, 60);
    // Rows 1 and 2 sum to body + 1, row 5 is taller than a page.
    grid.SetRowHeight(1, body - 20);
    grid.SetRowHeight(2, 21);
    grid.SetRowHeight(5, body + 5);
    grid.SetRowHeight(7, 0);
    std::vector<std::string> logs = PrintToRecording(grid, &pages);
    // Pages: {1}, {2,3,4}, {5}, {6, 8.. 11}.
    EXPECT_EQ(pages, 4);
    for (int r = 1; r < 12; r++) {
        int on = 0;
        for (const std::string& log : logs) on += Count(log, "\"" + Label(r) + "\"") > 0 ? 1 : 0;
        int expected = (r == 5 || r == 7) ? 0 : 1;
        EXPECT_EQ(on, expected) << Label(r);
        for (const std::string& log : logs) EXPECT_LE(Count(log, "\"x" + std::to_string(r) + "y1\""), 1);
    }
    EXPECT_EQ(Count(logs[0], "\"R001\""), 1);
    EXPECT_EQ(Count(logs[1], "\"R002\""), 1);
    // Headings repeat on every page.
    for (const std::string& log : logs) EXPECT_EQ(Count(log, "\"H3\""), 1);

    // Tiled: columns 1 and 2 sum to the body width + 1.
    PrintGrid tiled;
    FillPrintGrid(tiled, 4, 6);
    tiled.m_printTiled = TRUE;
    PrintToRecording(tiled, &pages);
    int bodyW = tiled.m_printBodyWidth;
    ASSERT_GT(bodyW, 60);
    tiled.SetColumnWidth(1, bodyW - 100);
    tiled.SetColumnWidth(2, 101);
    logs = PrintToRecording(tiled, &pages);
    EXPECT_EQ(pages, 2);
    for (int c = 1; c < 6; c++)
        for (int r = 1; r < 4; r++) {
            int on = 0;
            for (const std::string& log : logs) on += Count(log, "\"x" + std::to_string(r) + "y" + std::to_string(c) + "\"");
            EXPECT_EQ(on, 1) << r << "," << c;
        }
    EXPECT_EQ(tiled.CreateDragImage(nullptr), nullptr);
}

std::string RunCommand(const std::string& cmd)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

// A view that prints its grid through the framework's print pipeline.
class GridPrintView : public CView {
public:
    CDataGridCtrl* grid = nullptr;
    void OnDraw(CDC*) override {}
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override { grid->BeginPrinting(dc, info); }
    void OnPrint(CDC* dc, CPrintInfo* info) override { grid->PrintPage(dc, info); }
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override { grid->EndPrinting(dc, info); }
};

TEST_F(GridPrint, PdfPagesCarryEachRowOnce)
{
    GridHost host(400, 300, "Grid print test");
    GridPrintView view;
    ASSERT_TRUE(view.Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 380, 260}, &host, 1));
    PrintGrid grid;
    FillPrintGrid(grid, 120, 4);
    ASSERT_TRUE(grid.Create(RECT{0, 0, 300, 200}, &view, 100, WS_CHILD | WS_VISIBLE));
    view.grid = &grid;
    std::string pdf = (ArtifactDir() / "grid-print.pdf").string();
    std::filesystem::remove(pdf);
    CommonDialogAnswer answer;
    answer.text = AFX_PRINTER_PDF;
    answer.paths = {pdf};
    PushCommonDialogAnswer(answer);
    view.OnFilePrint();
    TakeCommonDialogLog();
    ASSERT_TRUE(std::filesystem::exists(pdf));
    // The same page count as the grid computes.
    HDC rec = CreateRecordingDC(TRUE);
    CDC cdc(rec);
    CPrintInfo info;
    grid.BeginPrinting(&cdc, &info);
    grid.EndPrinting(&cdc, &info);
    cdc.Detach();
    DeleteDC(rec);
    int pages = (int)info.GetMaxPage();
    ASSERT_GE(pages, 2);

    std::string infoText = RunCommand("pdfinfo '" + pdf + "'");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(infoText, m, std::regex("Pages:\\s+(\\d+)")));
    EXPECT_EQ(std::stoi(m[1]), pages);
    std::vector<std::string> texts;
    for (int p = 1; p <= pages; p++) texts.push_back(RunCommand("pdftotext -layout -f " + std::to_string(p) + " -l " + std::to_string(p) + " '" + pdf + "' -"));
    for (int r = 1; r < 120; r++) {
        int on = 0;
        for (const std::string& t : texts) on += Count(t, Label(r)) > 0 ? 1 : 0;
        EXPECT_EQ(on, 1) << Label(r);
    }
    EXPECT_NE(texts[1].find("Grid print test"), std::string::npos);
    EXPECT_NE(texts[1].find("Page 2 of " + std::to_string(pages)), std::string::npos);
    // The date is in the C locale's "%c" form (masked: it changes).
    EXPECT_TRUE(std::regex_search(texts[0], std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d \\d\\d:\\d\\d:\\d\\d \\d{4}")));
}

TEST_F(GridPrint, TextExtentUnits)
{
    CDataGridCtrl grid(3, 3);
    CDataGridCellBase* cell = grid.GetCell(1, 1);
    CDataGridDefaultCell* def = grid.GetDefaultCell(FALSE, FALSE);
    // The default cell's size comes from the UI font on the screen.
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, def->GetGdiFont());
    SIZE s{0, 0}, sp{0, 0};
    GetTextExtentPoint32(screen, " XXXXXXXXXXXX ", 14, &s);
    GetTextExtentPoint32(screen, " ", 1, &sp);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(def->GetWidth(), s.cx);
    EXPECT_EQ(def->GetHeight(), s.cy * 3 / 2);
    EXPECT_EQ((LONG)def->GetMargin(), sp.cx);

    SIZE d = cell->GetTextExtent(nullptr);
    EXPECT_EQ(d.cx, def->GetWidth());
    EXPECT_EQ(d.cy, def->GetHeight());

    // The recording DC's metric: |height| high, round(height / 2) a character.
    HDC rec = CreateRecordingDC(FALSE);
    CDC cdc(rec);
    int m = (int)cell->GetMargin();
    LOGFONT lf = *def->GetFont();
    lf.lfHeight = -12;
    cell->SetFont(&lf);
    SIZE plain = cell->GetTextExtent("abcd", &cdc);
    EXPECT_EQ(plain.cx, 24 + 2 * m);
    EXPECT_EQ(plain.cy, 12 + 2 * m);
    cell->SetFormat(DT_WORDBREAK);
    SIZE wrapped = cell->GetTextExtent("ab\nabcdef", &cdc);
    // Two lines, as DrawText lays them out in the width of the widest line.
    HGDIOBJ oldRec = SelectObject(rec, cell->GetGdiFont());
    RECT calc{0, 0, 37, 0};
    DrawText(rec, "ab\nabcdef", -1, &calc, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(rec, oldRec);
    EXPECT_GE(calc.bottom, 24);
    EXPECT_GE(calc.right, 36);
    EXPECT_EQ(wrapped.cx, calc.right + 2 * m);
    EXPECT_EQ(wrapped.cy, calc.bottom + 2 * m);
    cell->SetFormat(0xFFFFFFFFu);
    lf.lfEscapement = 900;
    cell->SetFont(&lf);
    SIZE turned = cell->GetTextExtent("abcd", &cdc);
    EXPECT_EQ(turned.cx, 12 + 2 * m);
    EXPECT_EQ(turned.cy, 24 + 6 * m);
    cdc.Detach();
    DeleteDC(rec);

    // A detached cell measures on the screen instead of following a null grid.
    CDataGridCell loose;
    SIZE l = loose.GetTextExtent("abc");
    EXPECT_GT(l.cx, 0);
    EXPECT_EQ(loose.GetTextExtent(nullptr).cx, 40);
}

TEST_F(GridPrint, PrintCellResolvesDefaultTextColour)
{
    CDataGridCtrl grid(2, 2, 1, 0);
    CDataGridCellBase* cell = grid.GetCell(1, 1);
    cell->SetText("t");
    cell->SetBackColor(RGB(250, 250, 0));
    HDC rec = CreateRecordingDC(TRUE);
    CDC cdc(rec);
    cdc.m_bPrinting = TRUE;
    EXPECT_TRUE(cell->PrintCell(&cdc, 1, 1, RECT{0, 0, 99, 39}));
    std::string log = GetRecordingLog(rec);
    // Own background, default text colour: the default cell's colour reaches the device.
    EXPECT_NE(log.find("FillRect 0,0,100,40"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("\"t\" \\|.* text=(#[0-9a-f]{6})")));
    char want[8];
    COLORREF c = grid.GetDefaultCell(FALSE, FALSE)->GetForeColor();
    snprintf(want, sizeof want, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    EXPECT_EQ(m[1].str(), want);
    // Black-and-white printing drops the background.
    ClearRecordingLog(rec);
    grid.m_printInColor = FALSE;
    EXPECT_TRUE(cell->PrintCell(&cdc, 1, 1, RECT{0, 0, 99, 39}));
    EXPECT_EQ(GetRecordingLog(rec).find("FillRect"), std::string::npos);
    cdc.Detach();
    DeleteDC(rec);
}

TEST_F(GridPrint, TwoColourDevicesPrintTextInGrey)
{
    CDataGridCtrl grid(2, 2);
    CDataGridCellBase* cell = grid.GetCell(1, 1);
    cell->SetText("WWWW");
    grid.GetDefaultCell(FALSE, FALSE)->SetForeColor(RGB(255, 255, 255));
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateBitmap(60, 20, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(mem, mono);
    ASSERT_EQ(GetDeviceCaps(mem, NUMCOLORS), 2);
    PatBlt(mem, 0, 0, 60, 20, WHITENESS);
    CDC cdc(mem);
    // White text turns into its grey (76, 150, 28), which shows on white paper.
    EXPECT_TRUE(cell->PrintCell(&cdc, 1, 1, RECT{0, 0, 59, 19}));
    int dark = 0;
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 60; x++) dark += GetPixel(mem, x, y) == RGB(0, 0, 0) ? 1 : 0;
    EXPECT_GT(dark, 0);
    cdc.Detach();
    SelectObject(mem, old);
    DeleteObject(mono);
    DeleteDC(mem);
}

}  // namespace
