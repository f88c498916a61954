// Recorded drawings of the editor with the recording DC's fixed metric:
// runs, positions and colours of keywords, regions and selections.
#include <regex>
#include <sstream>

#include "tests/ui_controls/edit_test_util.h"

namespace {
struct TextRun {
    int x, y;
    std::string text;
    std::string colour;   // text colour as #rrggbb
    bool operator==(const TextRun& o) const { return x == o.x && y == o.y && text == o.text && colour == o.colour; }
};

std::ostream& operator<<(std::ostream& os, const TextRun& r)
{
    return os << "{" << r.x << "," << r.y << " \"" << r.text << "\" " << r.colour << "}";
}

std::string Hex(COLORREF c)
{
    char buf[8];
    snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

class EditPaintTest : public EditTest {
protected:
    static constexpr COLORREF kKeyword = RGB(0, 0, 255);
    static constexpr COLORREF kString = RGB(128, 0, 0);
    static constexpr COLORREF kComment = RGB(128, 128, 128);

    // The recorded log of one Paint.
    std::string Record()
    {
        HDC dc = CreateRecordingDC(FALSE);
        CDC cdc(dc);
        edit->Paint(cdc);
        cdc.Detach();
        std::string log = GetRecordingLog(dc);
        DeleteDC(dc);
        return log;
    }
    // The text runs of a log (DrawText lines).
    std::vector<TextRun> Runs(const std::string& log)
    {
        std::vector<TextRun> runs;
        std::istringstream in(log);
        std::string line;
        static const std::regex re(R"re(^(?:TextOut|DrawText) (-?\d+),(-?\d+) .*?w=\d+ "(.*)" \| .* text=(#[0-9a-f]{6}))re");
        std::smatch m;
        while (std::getline(in, line))
            if (std::regex_search(line, m, re)) runs.push_back(TextRun{std::stoi(m[1]), std::stoi(m[2]), m[3], m[4]});
        return runs;
    }
    void IdeRules()
    {
        edit->AddKeyword("end", kKeyword, (COLORREF)-1, 0);
        edit->AddKeyword("if", kKeyword, (COLORREF)-1, 1);
        edit->AddRegion("%", "", kComment, (COLORREF)-1, 0, 0);
        edit->AddRegion("\"", "\"", kString, (COLORREF)-1, 0, 0);
    }
};
}   // namespace


// Client x of the first character: margin 20 + 2, plus the painter's pixel.
constexpr int kX0 = 23;
constexpr int kW = 7;    // the fixed metric for 13 pixels
constexpr int kH = 14;   // 13 + line spacing

TEST_F(EditPaintTest, KeywordsAndRegions)
{
    Open("x = end % c\n\"s\" End\nappend", true);
    IdeRules();
    const std::string black = "#000000", blue = Hex(kKeyword), grey = Hex(kComment), red = Hex(kString);
    std::vector<TextRun> want = {
        {kX0, 0, "x = ", black},          {kX0 + 4 * kW, 0, "end", blue},   {kX0 + 7 * kW, 0, " ", black},
        {kX0 + 8 * kW, 0, "% c", grey},   {kX0, kH, "\\\"s\\\"", red},      {kX0 + 3 * kW, kH, " ", black},
        {kX0 + 4 * kW, kH, "End", blue},  {kX0, 2 * kH, "append", black},
    };
    EXPECT_EQ(Runs(Record()), want);
    // Case-sensitive "if" does not colour "IF"; a keyword inside a word never colours.
    edit->SetText("IF if endx xend");
    want = {{kX0, 0, "IF ", black}, {kX0 + 3 * kW, 0, "if", blue}, {kX0 + 5 * kW, 0, " endx xend", black}};
    EXPECT_EQ(Runs(Record()), want);
}

TEST_F(EditPaintTest, UnclosedQuoteEndsAtTheLineEnd)
{
    Open("a \"bc\nd % e", true);
    IdeRules();
    std::vector<TextRun> want = {{kX0, 0, "a ", "#000000"},
                                 {kX0 + 2 * kW, 0, "\\\"bc", Hex(kString)},
                                 {kX0, kH, "d ", "#000000"},
                                 {kX0 + 2 * kW, kH, "% e", Hex(kComment)}};
    EXPECT_EQ(Runs(Record()), want);
}

TEST_F(EditPaintTest, MultiLineRegionBegunAboveTheView)
{
    std::string text = "a /* b\nc\nd\ne */ f\ng";
    Open(text, true, 300, 28 + 16);   // two lines shown
    IdeRules();
    const COLORREF green = RGB(0, 128, 0);
    ASSERT_EQ(edit->AddRegion("/*", "*/", green, (COLORREF)-1, 1, 0), 0);
    ASSERT_TRUE(edit->ScrollBar(SB_VERT, 12, 2));
    ASSERT_EQ(edit->FirstLine(), 2);
    std::vector<TextRun> want = {
        {kX0, 0, "d", Hex(green)}, {kX0, kH, "e */", Hex(green)}, {kX0 + 4 * kW, kH, " f", "#000000"}};
    EXPECT_EQ(Runs(Record()), want);
    // An opener inside a string of its own line opens nothing.
    edit->SetText("x = \"/*\"\nc\nd");
    ASSERT_TRUE(edit->ScrollBar(SB_VERT, 12, 1));
    want = {{kX0, 0, "c", "#000000"}, {kX0, kH, "d", "#000000"}};
    EXPECT_EQ(Runs(Record()), want);
}

TEST_F(EditPaintTest, SelectedLineFeedIsOneBlank)
{
    Open("ab\ncd", true);
    edit->SetSel(1, 4);
    edit->SetFocus();
    const std::string selText = Hex(GetSysColor(COLOR_HIGHLIGHTTEXT));
    std::vector<TextRun> want = {{kX0, 0, "a", "#000000"},
                                 {kX0 + kW, 0, "b", selText},
                                 {kX0 + 2 * kW, 0, " ", selText},
                                 {kX0, kH, "c", selText},
                                 {kX0 + kW, kH, "d", "#000000"}};
    const std::string log = Record();
    EXPECT_EQ(Runs(log), want);
    // The blank's cell is filled with the selection colour.
    char cell[64];
    snprintf(cell, sizeof cell, "FillRect %d,0,%d,%d", kX0 + 2 * kW, kX0 + 3 * kW, kH);
    EXPECT_NE(log.find(std::string(cell) + " | pen=SOLID,0,#000000 brush=SOLID," + Hex(GetSysColor(COLOR_HIGHLIGHT))),
              std::string::npos)
        << log;
}

TEST_F(EditPaintTest, LongLineAndClientEdge)
{
    Open("", true);
    // A 5000-character line (longer lines arise from earlier limits or joins).
    edit->maxLineLength = 10000;
    edit->SetText(std::string(5000, 'a') + "\n" + "b");
    edit->maxLineLength = 2048;
    ASSERT_EQ(edit->LineCount(), 1);
    std::vector<TextRun> runs = Runs(Record());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].x, kX0);
    EXPECT_EQ(runs[0].text, std::string(54, 'a'));   // up to the first character past the right edge
    // The caret near the end scrolls the view: the run starts with the
    // character that overlaps the left edge.
    Open(std::string(), true);
    edit->maxLineLength = 10000;
    edit->SetText(std::string(5000, 'a'));
    edit->maxLineLength = 2048;
    edit->SetCaretOffset(4990, true, false);
    POINT p;
    ASSERT_TRUE(edit->PointFromOffset(4990, &p));
    EXPECT_EQ(p.x, 22 + (4990 - edit->FirstColumn()) * kW);
    runs = Runs(Record());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_GT(edit->FirstColumn(), 4900);
    EXPECT_EQ(runs[0].x, kX0 - kW);
    // Up to the first character past the right edge (client width 400).
    EXPECT_EQ(runs[0].text.size(), std::min<size_t>(5000u - (size_t)edit->FirstColumn() + 1, (400 - (kX0 - kW)) / kW + 1));
    EXPECT_EQ(edit->CaretColumn(), 4990);
    // WS_EX_CLIENTEDGE: a sunken inner edge along the client rectangle.
    const std::string plain = Record();
    SetWindowLongPtr(edit->m_hWnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    const std::string edged = Record();
    RECT client;
    edit->GetClientRect(&client);
    char top[64];
    snprintf(top, sizeof top, "FillRect 0,0,%d,1 ", (int)client.right);
    EXPECT_EQ(plain.find(top), std::string::npos);
    EXPECT_NE(edged.find(top), std::string::npos) << edged.substr(0, 600);
}

TEST_F(EditPaintTest, RegionRulesAndRefusals)
{
    Open("", true);
    struct Case {
        const char *open, *close;
        int multiLine, want;
    } cases[] = {
        {"%", "", 0, 0},      {"\"", "\"", 0, 0},   {"//", "", 0, 0},   {"abcde", "", 0, -1}, {"a", "abcde", 0, -1},
        {"/*", "*/", 1, 0},   {"{", "}", 1, -1},    {"<<", "", 1, -1},  {"", "x", 0, -1},     {"####", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.open) + " " + c.close);
        EXPECT_EQ(edit->AddRegion(c.open, c.close, 1, 2, c.multiLine, 7), c.want);
    }
    std::vector<std::string> order;
    for (const KyrRegionRule& r : edit->Regions()) order.push_back(r.open);
    EXPECT_EQ(order, (std::vector<std::string>{"####", "/*", "//", "\"", "%"}));
    // Near a delimiter: the window is clamped to the text.
    edit->SetText("ab%");
    EXPECT_TRUE(edit->IsNearRegionDelimiter(0));
    EXPECT_TRUE(edit->IsNearRegionDelimiter(3));
    edit->SetText("abcdefghij%");
    EXPECT_FALSE(edit->IsNearRegionDelimiter(2));
}

TEST_F(EditPaintTest, ScrollArithmetic)
{
    std::string text;
    for (int i = 0; i < 40; ++i) text += "line\n";
    Open(text, true, 300, 100 + 16);   // 100 pixels of text: 7 lines of 14
    ASSERT_EQ(edit->LineCount(), 40);
    struct Case {
        int bar, code, pos, wantFirst;
        bool changed;
    } cases[] = {
        {SB_VERT, SB_LINEUP, 0, 0, false},     {SB_VERT, SB_LINEDOWN, 0, 1, true}, {SB_VERT, SB_PAGEDOWN, 0, 7, true},
        {SB_VERT, SB_PAGEUP, 0, 1, true},      {SB_VERT, SB_BOTTOM, 0, 34, true},  {SB_VERT, SB_LINEDOWN, 0, 34, false},
        {SB_VERT, SB_TOP, 0, 0, true},         {SB_VERT, 12, 20, 20, true},        {SB_VERT, 12, 500, 34, true},
        {SB_VERT, 12, -5, 0, true},            {SB_CTL, SB_LINEDOWN, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " " + std::to_string(c.pos));
        EXPECT_EQ(edit->ScrollBar(c.bar, c.code, c.pos), c.changed);
        EXPECT_EQ(edit->FirstLine(), c.wantFirst);
        EXPECT_EQ(edit->GetLineOffset(edit->FirstLine()), edit->FirstLine() * 5);
    }
    EXPECT_TRUE(edit->ScrollBar(SB_HORZ, SB_BOTTOM, 0));
    const int page = (300 - 16 - 22) / kW;
    EXPECT_EQ(edit->FirstColumn(), 2048 - page + 1);
}

// Widths measured on one device are not served to another: the caret is
// measured with the real font on screen, the recording DC has its own metric.
TEST_F(EditPaintTest, WidthCacheIsPerDeviceAndFont)
{
    Open("ab end", false);
    IdeRules();
    POINT p;
    ASSERT_TRUE(edit->PointFromOffset(3, &p));   // fills the screen widths first
    const int screenWidth = (p.x - 22) / 3;
    ASSERT_NE(screenWidth, kW);
    std::vector<TextRun> want = {{kX0, 0, "ab ", "#000000"}, {kX0 + 3 * kW, 0, "end", Hex(kKeyword)}};
    EXPECT_EQ(Runs(Record()), want);
    HDC printer = CreateRecordingDC(TRUE);
    CDC cdc(printer);
    cdc.m_bPrinting = TRUE;
    edit->Paint(cdc);
    cdc.Detach();
    EXPECT_EQ(Runs(GetRecordingLog(printer)), want);
    DeleteDC(printer);
    ASSERT_TRUE(edit->PointFromOffset(3, &p));
    EXPECT_EQ(p.x, 22 + 3 * screenWidth);
}

// Kept tabs advance to the next tab stop in columns, pixels and painting.
TEST_F(EditPaintTest, KeptTabsExpandToTabStops)
{
    Open("", true);
    edit->keepTabs = 1;
    edit->SetText("a\tb\n\t\tc");
    EXPECT_EQ(edit->Text(), "a\tb\n\t\tc");
    EXPECT_EQ(edit->GetColumnOfOffset(2), 4);
    EXPECT_EQ(edit->GetColumnOfOffset(6), 8);
    EXPECT_EQ(edit->OffsetOfColumn(3, 0), 2);   // inside the tab: after it
    POINT p;
    ASSERT_TRUE(edit->PointFromOffset(2, &p));
    EXPECT_EQ(p.x, 22 + 4 * kW);
    std::vector<TextRun> want = {{kX0, 0, "a", "#000000"}, {kX0 + 4 * kW, 0, "b", "#000000"}, {kX0 + 8 * kW, kH, "c", "#000000"}};
    EXPECT_EQ(Runs(Record()), want);
}

// NUL and other control bytes show as one placeholder column each.
TEST_F(EditPaintTest, ControlBytesShowAsPlaceholders)
{
    Open(std::string("a\0b\x01" "c", 5), true);
    const auto runs = Runs(Record());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "a\xC2\xB7" "b\xC2\xB7" "c");
    POINT p;
    ASSERT_TRUE(edit->PointFromOffset(4, &p));
    EXPECT_EQ(p.x, kX0 - 1 + 4 * kW);
}
