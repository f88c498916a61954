// The hex editor's drawing: two rows recorded and compared with the stored
// log, the ASCII column's byte rule, and a screenshot of the real window.
#include <fstream>
#include <sstream>

#include "platform/backend/headless.h"
#include "hex_edit_test_util.h"

namespace {

using Bytes_ = std::vector<unsigned char>;

class HexPaintTest : public HexEditTest {};

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(HexPaintTest, AsciiColumnShowsOneWindows1252GlyphPerByte)
{
    struct Case {
        unsigned char byte;
        uint32_t glyph;
    } cases[] = {{0x00, '.'}, {0x1F, '.'}, {0x20, ' '}, {0x41, 'A'}, {0x7E, '~'}, {0x7F, '.'}, {0x80, 0x20AC},
                 {0x81, '.'}, {0x8D, '.'}, {0x8F, '.'}, {0x90, '.'}, {0x9D, '.'}, {0x9F, 0x0178}, {0xA0, 0xA0},
                 {0xC3, 0xC3}, {0xE9, 0xE9}, {0xFF, 0xFF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.byte);
        EXPECT_EQ(CHexEditCtrl::AsciiGlyph(c.byte), c.glyph);
        if (c.glyph != '.') {
            EXPECT_EQ(CHexEditCtrl::ByteFromCodePoint(c.glyph), c.byte);
        }
    }
    EXPECT_EQ(CHexEditCtrl::ByteFromCodePoint(0x4E2D), -1);
    EXPECT_EQ(CHexEditCtrl::ByteFromCodePoint(0x81), -1);
}

// Row 0 full (a selection over items 2..3, a UTF-8 pair C3 A9 that must stay
// two glyphs), row 1 three items and blanks past the data.
TEST_F(HexPaintTest, TwoRowsEqualTheStoredLog)
{
    host->hexRect = RECT{0, 0, 300, 36};
    Open({0x41, 0x00, 0x1F, 0x81, 0xE9, 0xC3, 0xA9, 0xFF, 0x30, 0x7F, 0x32});
    CTestHexCtrl& h = Hex();
    h.SetSelection(2, 3);
    ASSERT_EQ(h.GetVisibleRows(), 2);
    RECT client;
    GetClientRect(h.m_hWnd, &client);
    HDC rec = CreateRecordingDC(FALSE);
    h.PaintRows(rec, client, client);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    const std::filesystem::path golden = std::filesystem::path(std::getenv("VELDRA_SOURCE")) / "tests/ui_controls/golden/hex_two_rows.log";
    if (std::getenv("VELDRA_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << log;
    EXPECT_EQ(log, ReadFile(golden));
}

TEST_F(HexPaintTest, PaintingOnlyTouchesTheUpdateRectangle)
{
    host->hexRect = RECT{0, 0, 300, 100};
    Open(Bytes_(64));
    RECT client;
    GetClientRect(Hex().m_hWnd, &client);
    HDC rec = CreateRecordingDC(FALSE);
    RECT row1{0, 14, client.right, 28};
    Hex().PaintRows(rec, client, row1);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    EXPECT_NE(log.find("\"0008  \""), std::string::npos);
    EXPECT_EQ(log.find("\"0000  \""), std::string::npos);
    EXPECT_EQ(log.find("\"0010  \""), std::string::npos);
}

TEST_F(HexPaintTest, OverwriteTypingInvalidatesOnlyTheItemsRow)
{
    Open(Bytes_(64));
    CTestHexCtrl& h = Hex();
    h.SetInsertMode(false);
    h.SetCaret(17);
    Pump();
    h.SendMessage(WM_CHAR, 'A', 1);
    RECT u{};
    ASSERT_TRUE(GetUpdateRect(h.m_hWnd, &u, FALSE));
    EXPECT_EQ(u.top, 2 * 14);
    EXPECT_EQ(u.bottom, 3 * 14);
    h.SendMessage(WM_CHAR, '0', 1);
    Pump();
    // An insertion moves every later byte: the whole window.
    h.SetInsertMode(true);
    h.SendMessage(WM_CHAR, 'B', 1);
    ASSERT_TRUE(GetUpdateRect(h.m_hWnd, &u, FALSE));
    EXPECT_EQ(u.top, 0);
    Pump();
    EXPECT_EQ(Bytes()[17], 0xA0);
    EXPECT_EQ(Bytes()[18], 0xB0);
}

TEST_F(HexPaintTest, ScreenshotOfTheWindowWithASelection)
{
    host->hexRect = RECT{0, 0, 560, 220};
    Bytes_ data(64);
    for (size_t i = 0; i < data.size(); ++i) data[i] = (unsigned char)(i * 5 + 0x20);
    data[3] = 0xE9;
    data[4] = 0x00;
    Open(data, false);
    Hex().SetSelection(5, 17);
    Hex().SetCaret(18);
    Pump();
    UpdateWindow(host->m_hWnd);
    // The blank after selected item 5 shows the selection colour.
    COLORREF px = 0;
    const SIZE cell = Hex().GetCharSize();
    POINT p{(6 + 3 * 5 + 2) * cell.cx + cell.cx, cell.cy / 2};
    ClientToScreen(Hex().m_hWnd, &p);
    RECT dr;
    GetWindowRect(host->m_hWnd, &dr);
    ASSERT_TRUE(HeadlessGetPixel(host->m_hWnd, p.x - dr.left, p.y - dr.top, &px));
    EXPECT_EQ(px, GetSysColor(COLOR_HIGHLIGHT));
    const std::filesystem::path png = ArtifactDir() / "hex-edit.png";
    ASSERT_TRUE(HeadlessSavePng(host->m_hWnd, png.string()));
    EXPECT_GT(std::filesystem::file_size(png), 1000u);
}

}  // namespace
