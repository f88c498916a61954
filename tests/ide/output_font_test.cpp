// The output bar's font after a restart: the face and size of the stored
// settings ("110", "111"), in the formats and on the screen.
#include "tests/ide/ide_start_util.h"
#include "tests/ide/output_screen_util.h"

#include "platform/afx/settings_file.h"

namespace {

using namespace ide_test;
using namespace output_screen;

class OutputFont : public IdeTest {};

TEST_F(OutputFont, StoredFaceAndSizeShowAfterARestart)
{
    struct Keep {
        FontSetting saved = AppSettings::OutputFont;
        ~Keep() { AppSettings::OutputFont = saved; }
    } keep;
    WriteText(ConfigFile(), "[Settings]\nVer=dword:00000004\n110=sz:Courier New\n111=dword:00000078\n");
    ASSERT_TRUE(Start());
    COutputCtrl& out = Frame()->m_wndOutputBar.m_output;
    out.OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
    Frame()->ShowWindow(SW_SHOWMAXIMIZED);
    ReportPlain() << "iiiiiiiiii";
    ReportPlain() << "MMMMMMMMMM";
    for (int line = 0; line < 2; ++line) {
        const int a = out.LineIndex(line);
        out.SetSel(a, a + 4);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        out.GetSelectionCharFormat(cf);
        EXPECT_STREQ(cf.szFaceName, "Courier New") << line;
        EXPECT_EQ(cf.yHeight, 240) << line;
    }
    out.SetSel(0, 0);
    out.LineScroll(-out.GetFirstVisibleLine());
    PumpUntilShown(&out);
    const LineInk narrow = InkOfLine(&out, 0), wide = InkOfLine(&out, 1);
    ASSERT_GT(narrow.dark, 10);
    ASSERT_GT(wide.dark, 10);
    EXPECT_NEAR(narrow.right, wide.right, 3);   // monospaced
    EXPECT_NEAR(wide.right - wide.left, 96, 8);  // 12 points: 16 pixels an em, 0.6 em a letter
}

}  // namespace
