// A 20-line program in the editor's colours with a selection, saved as a
// PNG under build/test-artifacts; each colour is found in the image.
#include <set>

#include "tests/ui_controls/edit_test_util.h"

TEST_F(EditTest, ScreenshotOfColouredProgram)
{
    const std::string program =
        "% A small program in colour\n"
        "function y = scale(x, k)\n"
        "  if k == 0\n"
        "    y = x;   % nothing to do\n"
        "  else\n"
        "    y = x * k;\n"
        "  end\n"
        "end\n"
        "\n"
        "s = \"h\xC3\xA9llo w\xC3\xB6rld\";\n"
        "n = length(s);\n"
        "for i = 1:n\n"
        "  printf(\"%d\\n\", i);\n"
        "end\n"
        "while n > 0\n"
        "  n = n - 1;   % count down\n"
        "end\n"
        "m = [1 2; 3 4];\n"
        "disp(scale(m, 2));\n"
        "return\n";
    Open(program, false, 460, 360);
    const COLORREF statement = 0x00FF0000, string = 0x00000080, comment = 0x00808080;
    for (const char* k : {"function", "if", "else", "end", "for", "while", "return"}) edit->AddKeyword(k, statement, (COLORREF)-1, 0);
    edit->AddRegion("%", "", comment, (COLORREF)-1, 0, 0);
    edit->AddRegion("\"", "\"", string, (COLORREF)-1, 0, 0);
    edit->SetSel(260, 300);
    edit->Invalidate(FALSE);
    UpdateWindow(host->m_hWnd);
    Pump();
    std::vector<uint32_t> pixels;
    SIZE size;
    ASSERT_TRUE(HeadlessCopySurface(host->m_hWnd, &pixels, &size));
    std::set<uint32_t> seen(pixels.begin(), pixels.end());
    auto rgb = [](COLORREF c) { return (uint32_t)(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
    EXPECT_TRUE(seen.count(rgb(statement)));
    EXPECT_TRUE(seen.count(rgb(string)));
    EXPECT_TRUE(seen.count(rgb(comment)));
    EXPECT_TRUE(seen.count(rgb(GetSysColor(COLOR_HIGHLIGHT))));
    const std::filesystem::path png = EditArtifactDir() / "editor_colours.png";
    ASSERT_TRUE(HeadlessSavePng(host->m_hWnd, png.string()));
    EXPECT_TRUE(std::filesystem::exists(png));
}
