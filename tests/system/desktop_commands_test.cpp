// What a user does with the commands, done where the user does it: the real
// program on a desktop with a window manager, real keys and clicks, and what
// the X server shows or the files the program writes.
//   - Find and Replace are modeless boxes over the editor;
//   - Print Setup shows its dialog in the IDE, the plot and the console window;
//   - Print Preview covers the IDE and the plot window, and Escape ends it;
//   - the title's font dialog gives the stored face back unchanged;
//   - recent files reopen in the plot and the console window;
//   - the context menus' Clear All, Go to and Add Function work, and the
//     status bar's cursor pane follows the caret;
//   - the Window menu lists the open programs, Ctrl+F6 switches between
//     them, Cascade and Tile arrange them.
#include <gtest/gtest.h>

#include "tests/system/desktop_util.h"

namespace {

using namespace desktop;

constexpr int kLong = 30000;

// The IDE on a file, at the size and place the coordinates below assume:
// the editor's first line left of its first character at (246, 65) from the window's reported corner,
// the functions list's first row at (59, 163), the output bar's text at
// (20..1080, 550..710), the status bar's cursor pane at (849..974, 740..758).
unsigned long StartIde(const std::vector<std::string>& files, const std::string& title)
{
    (void)files;
    const unsigned long frame = FindWindow(title);
    if (!frame) return 0;
    Xdo("windowsize --sync " + std::to_string(frame) + " 1100 780", 10);
    Xdo("windowmove --sync " + std::to_string(frame) + " 20 20", 10);
    Activate(frame);
    return frame;
}

void Exit(unsigned long frame, Child& ide)
{
    Activate(frame);
    Key("alt+f x");
    // A question about unsaved programs is answered No.
    const unsigned long box = WaitNewWindow("^Veldra$", {}, 2000);
    if (box) Key("alt+n");
    EXPECT_NE(ide.WaitExit(kLong), -1) << "the IDE did not end";
}

// Ink (near-black) pixels in a rectangle relative to the window.
int Ink(const Shot& s, const Geometry& g, int left, int top, int right, int bottom)
{
    int n = 0;
    for (int y = g.y + top; y < g.y + bottom; ++y)
        for (int x = g.x + left; x < g.x + right; ++x) {
            const uint32_t p = s.At(x, y);
            if ((p >> 16 & 255) < 100 && (p >> 8 & 255) < 100 && (p & 255) < 100) ++n;
        }
    return n;
}

TEST(SystemDesktopCommands, FindAndReplaceAreModelessBoxesOverTheEditor)
{
    Home home("find");
    const fs::path file = home.Write("find.vdx", "a = 1;\nbeta = 2;\nc = beta;\n");
    Child ide(home, {file.string()});
    const unsigned long frame = StartIde({}, "^Veldra - find\\.vdx");
    ASSERT_NE(frame, 0u);

    // Ctrl+F: the box opens on the word at the caret, selected; typing
    // replaces it, Enter finds the next match while the box stays.
    Key("ctrl+f");
    const unsigned long find = WaitNewWindow("^Find$", {}, kLong);
    ASSERT_NE(find, 0u) << "no Find box";
    Type("beta");
    Key("Return");
    Key("Return");
    ASSERT_TRUE(WaitFor([&] { return Shown(find); }, 1000));
    Screenshot("system-find.png");
    Key("Escape");
    ASSERT_TRUE(WaitGone(find, kLong)) << "Escape did not close the box";
    // The editor has the keyboard: the second match is replaced by typing.
    Type("X");
    // And the main window takes clicks: one at the start of the first line.
    const Geometry g = Anchor(frame);
    Click(g.x + 246, g.y + 65);
    Type("Y");
    Key("ctrl+s");
    ASSERT_TRUE(WaitFor([&] { return ReadFile(file) == "Ya = 1;\r\nbeta = 2;\r\nc = X;\r\n"; }, kLong)) << ReadFile(file);

    // Replace All replaces every match, then says it has finished.
    Key("ctrl+h");
    const unsigned long replace = WaitNewWindow("^Replace$", {}, kLong);
    ASSERT_NE(replace, 0u) << "no Replace box";
    Type("beta");
    Key("Tab");
    Type("delta");
    Key("alt+a");
    const unsigned long done = WaitNewWindow("^Veldra$", {frame}, kLong);
    EXPECT_NE(done, 0u) << "no \"Finished searching\" box";
    if (done) {
        // While the box says so, the editor already shows the replaced text:
        // its first lines look as they do once the box has gone.
        const Geometry at = Anchor(frame);
        auto lines = [&] {
            const Shot s = Grab();
            std::vector<uint32_t> px;
            for (int y = at.y + 55; y < at.y + 115; ++y)
                for (int x = at.x + 240; x < at.x + 420; ++x) px.push_back(s.At(x, y));
            return px;
        };
        const std::vector<uint32_t> during = lines();
        Screenshot("system-replace-finished.png");
        Key("Return");
        EXPECT_TRUE(WaitGone(done, kLong));
        std::vector<uint32_t> after;
        EXPECT_TRUE(WaitFor([&] { return (after = lines()) == during; }, 3000))
            << "the editor showed the old text behind the \"Finished searching\" box";
    }
    Activate(replace);
    Key("Escape");
    EXPECT_TRUE(WaitGone(replace, kLong));
    Activate(frame);
    Key("ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file) == "Ya = 1;\r\ndelta = 2;\r\nc = X;\r\n"; }, kLong)) << ReadFile(file);
    Exit(frame, ide);
}

// Print Setup shows its dialog in each of the three windows, and Escape
// closes it.
TEST(SystemDesktopCommands, PrintSetupShowsItsDialogInTheIdeThePlotAndTheConsole)
{
    Home home("setup");
    const fs::path file = home.Write("setup.vdx", "plot #P ([1, 3, 2, 4]);\nprint 42;\n");
    Child ide(home, {file.string()});
    const unsigned long frame = StartIde({}, "^Veldra - setup\\.vdx");
    ASSERT_NE(frame, 0u);
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$"), console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
    ASSERT_NE(plot, 0u);
    ASSERT_NE(console, 0u);
    for (unsigned long w : {frame, plot, console}) {
        Activate(w);
        Key("alt+f r");
        const unsigned long setup = WaitNewWindow("^Print Setup$", {}, kLong);
        EXPECT_NE(setup, 0u) << "no Print Setup in \"" << Title(w) << "\"";
        if (!setup) continue;
        Screenshot(("system-print-setup-" + std::to_string(w == frame ? 0 : w == plot ? 1 : 2) + ".png"));
        Key("Escape");
        EXPECT_TRUE(WaitGone(setup, kLong));
    }
    Exit(frame, ide);
}

// Print Preview covers the whole window with its grey work area and the
// white page, in the IDE and the plot window, whatever repaints beneath it;
// Escape gives the window back.
TEST(SystemDesktopCommands, PrintPreviewCoversTheIdeAndThePlotWindow)
{
    Home home("preview");
    const fs::path file = home.Write("preview.vdx", "plot #P ([1, 3, 2, 4]);\nprint 42;\n");
    Child ide(home, {file.string()});
    const unsigned long frame = StartIde({}, "^Veldra - preview\\.vdx");
    ASSERT_NE(frame, 0u);
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$");
    ASSERT_NE(plot, 0u);
    // The console is the run's last window: once it shows, no new window
    // takes the activation from the one the keys are meant for.
    ASSERT_NE(FindWindow("^DEFAULT_CONSOLE - Nerith$"), 0u);
    constexpr uint32_t kWorkArea = 0xABABAB;
    for (unsigned long w : {frame, plot}) {
        Activate(w);
        ASSERT_TRUE(WaitFor([&] { return ActiveWindow() == w; }, kLong))
            << "\"" << Title(w) << "\" not active; the active window is \"" << Title(ActiveWindow()) << "\"";
        const Geometry g = WindowGeometry(w);
        // The left margin beside the page, high and low, and the page's middle.
        auto previewShows = [&] {
            const Image img = GrabScreen(Rect{g.x, g.y, g.width, g.height});
            if (img.area.width <= 0) return false;
            return img.At(g.x + 6, g.y + 60) == kWorkArea && img.At(g.x + 6, g.y + g.height - 30) == kWorkArea &&
                   img.At(g.x + g.width / 2, g.y + g.height / 2) != kWorkArea;
        };
        Key("alt+f v");
        const bool shows = WaitFor(previewShows, kLong);
        if (!shows) Screenshot("system-print-preview-missing.png");
        EXPECT_TRUE(shows) << "no preview covers \"" << Title(w) << "\" (active: \"" << Title(ActiveWindow())
                           << "\"; screen in system-print-preview-missing.png)";
        Screenshot("system-print-preview-" + std::string(w == frame ? "ide" : "plot") + ".png");
        Key("Escape");
        EXPECT_TRUE(WaitFor([&] { return !previewShows(); }, kLong)) << "the preview stayed in \"" << Title(w) << "\"";
    }
    Exit(frame, ide);
}

// The plot window: the title's font dialog, OK without a change, leaves the
// saved figure byte for byte as it was; a saved figure reopens from the
// recent files. The console window's recent file reopens the same way.
TEST(SystemDesktopCommands, TheTitleFontRoundTripsAndRecentFilesReopenInTheDevices)
{
    Home home("devices");
    const fs::path file = home.Write("devices.vdx", "plot #P ([1, 3, 2, 4]);\nprint 42;\n");
    Child ide(home, {file.string()});
    const unsigned long frame = StartIde({}, "^Veldra - devices\\.vdx");
    ASSERT_NE(frame, 0u);
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$"), console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
    ASSERT_NE(plot, 0u);
    ASSERT_NE(console, 0u);
    // Beside the IDE, not over it.
    Xdo("windowsize --sync " + std::to_string(plot) + " 600 500", 10);
    Xdo("windowmove --sync " + std::to_string(plot) + " 1200 40", 10);
    Xdo("windowmove --sync " + std::to_string(console) + " 1200 600", 10);
    Activate(plot);

    auto saveAs = [&](unsigned long window, const fs::path& to) {
        Activate(window);
        Key("alt+f a");
        const unsigned long dialog = WaitNewWindow("^Save As$", {}, kLong);
        if (!dialog) return false;
        Key("ctrl+a");
        Type(to.string());
        Key("Return");
        return WaitGone(dialog, kLong) && WaitFor([&] { return fs::exists(to) && fs::file_size(to) > 0; }, kLong);
    };
    const fs::path before = home.root / "before.qra", after = home.root / "after.qra";
    ASSERT_TRUE(saveAs(plot, before)) << "Save As did not write the figure";

    // The plane selected by a click, then Properties, the Labels page, the
    // title's Font... button: all by keys from the sheet's tab strip.
    Activate(plot);
    const Geometry g = Anchor(plot);
    Click(g.x + g.width / 2, g.y + g.height / 2);
    Key("alt+p p");
    const unsigned long sheet = WaitNewWindow("^Properties$", {}, kLong);
    if (!sheet) Screenshot("system-no-properties.png");
    ASSERT_NE(sheet, 0u) << "no Properties";
    Key("ctrl+Tab ctrl+Tab Tab Tab space");
    const unsigned long font = WaitNewWindow("^Select Font$", {}, kLong);
    ASSERT_NE(font, 0u) << "no font dialog";
    Screenshot("system-title-font.png");
    Key("Return");
    ASSERT_TRUE(WaitGone(font, kLong));
    // The sheet has the keyboard again, on the button: back to Apply, then close.
    Key("shift+Tab shift+Tab shift+Tab space Escape");
    ASSERT_TRUE(WaitGone(sheet, kLong)) << "the sheet did not take the keys back";
    ASSERT_TRUE(saveAs(plot, after));
    EXPECT_EQ(ReadFile(after), ReadFile(before)) << "OK without a change changed the figure";

    // The recent file reopens the figure in a new document.
    Activate(plot);
    Key("alt+f n");
    ASSERT_TRUE(WaitTitle(plot, "^Untitled - Quorra$", kLong)) << Title(plot);
    Key("alt+f 1");
    EXPECT_TRUE(WaitTitle(plot, "^(?!Untitled)", kLong)) << "the recent file did not reopen: " << Title(plot);

    const fs::path saved = home.root / "console.vxc";
    ASSERT_TRUE(saveAs(console, saved));
    Activate(console);
    Key("alt+f n");
    ASSERT_TRUE(WaitTitle(console, "^Untitled - Nerith$", kLong)) << Title(console);
    Key("alt+f 1");
    EXPECT_TRUE(WaitTitle(console, "^console", kLong)) << "the recent file did not reopen: " << Title(console);
    Exit(frame, ide);
}

// The context menus' commands where their Parts enable them: Go to and Add
// Function in the functions list, Clear All in the output bar. The cursor
// pane shows the caret's place, the same picture for the same place.
TEST(SystemDesktopCommands, ContextMenuCommandsWorkAndTheCursorPaneFollowsTheCaret)
{
    Home home("context");
    const fs::path file = home.Write("context.vdx", "function y = twice(x)\n    y = 2 * x;\n    y = y + 0;\nend\nz = twice(2);\n");
    Child ide(home, {file.string()});
    const unsigned long frame = StartIde({}, "^Veldra - context\\.vdx");
    ASSERT_NE(frame, 0u);
    const Geometry g = Anchor(frame);
    auto context = [&](int x, int y, int downs) {
        MoveTo(0, 0);
        Click(g.x + x, g.y + y, 3);
        if (!WaitPopup(kLong)) return false;
        std::string keys;
        for (int i = 0; i < downs; ++i) keys += "Down ";
        Key(keys + "Return");
        return WaitNoPopup(kLong);
    };

    // Go to puts the caret at the function's first line and the keys there.
    Key("ctrl+End");
    ASSERT_TRUE(context(59, 163, 1));
    Type("%");
    // Add Function inserts the prototype at the caret.
    ASSERT_TRUE(context(59, 163, 2));
    Activate(frame);
    Key("ctrl+s");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(file).rfind("%y = twice(x)function y = twice(x)\r\n", 0) == 0; }, kLong))
        << ReadFile(file);

    // The output bar holds the start-up messages; Clear All empties it.
    Shot shot = Grab();
    ASSERT_GT(Ink(shot, g, 20, 550, 1080, 710), 50) << "no text in the output bar";
    ASSERT_TRUE(context(499, 630, 3));
    EXPECT_TRUE(WaitFor([&] { return Ink(Grab(), g, 20, 550, 1080, 710) == 0; }, kLong)) << "Clear All left text";

    // The cursor pane: line 3, column 5; then line 1, column 1; then back.
    Activate(frame);
    auto pane = [&] {
        std::vector<uint32_t> px;
        const Shot s = Grab();
        for (int y = g.y + 740; y < g.y + 758; ++y)
            for (int x = g.x + 849; x < g.x + 974; ++x) px.push_back(s.At(x, y));
        return px;
    };
    Key("ctrl+Home Down Down Right Right Right Right");
    std::vector<uint32_t> at35;
    ASSERT_TRUE(WaitFor([&] { at35 = pane(); return Ink(Grab(), g, 849, 740, 974, 758) > 20; }, kLong)) << "the pane is blank";
    Screenshot("system-cursor-pane.png");
    Key("ctrl+Home");
    EXPECT_TRUE(WaitFor([&] { return pane() != at35; }, kLong)) << "the pane did not follow the caret";
    Key("Down Down Right Right Right Right");
    EXPECT_TRUE(WaitFor([&] { return pane() == at35; }, kLong)) << "the same place does not show the same text";
    Exit(frame, ide);
}

// Rows of the MDI client where a child's caption bar runs across at least
// half the width (the active and the inactive caption colours).
int CaptionBands(const Shot& s, const Geometry& g)
{
    int bands = 0;
    bool in = false;
    for (int y = g.y + 40; y < g.y + 540; ++y) {
        int run = 0, best = 0;
        for (int x = g.x + 4; x < g.x + g.width - 4; ++x) {
            const uint32_t p = s.At(x, y);
            run = (p == 0x99B4D1u || p == 0xBFCDDBu) ? run + 1 : 0;
            best = std::max(best, run);
        }
        const bool caption = best > 200;
        if (caption && !in) ++bands;
        in = caption;
    }
    return bands;
}

TEST(SystemDesktopCommands, TheWindowMenuListsTheProgramsAndCtrlF6SwitchesCascadeAndTileArrange)
{
    Home home("mdi");
    const fs::path a = home.Write("a.vdx", "x = 1;\n"), b = home.Write("b.vdx", "y = 2;\n");
    Child ide(home, {a.string(), b.string()});
    const unsigned long frame = StartIde({}, "^Veldra - b\\.vdx");
    ASSERT_NE(frame, 0u);

    // Window: Cascade, Tile, Arrange Icons, a separator and the two programs,
    // the active one checked.
    Key("alt+w");
    std::optional<Popup> menu = WaitPopup(kLong);
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->at.height, 2 * kMenuBorder + 5 * kMenuItem + kMenuSeparator);
    const Shot shot = Grab();
    Screenshot("system-window-menu.png");
    const int list = menu->at.y + kMenuBorder + 3 * kMenuItem + kMenuSeparator;
    const RowLook first = ReadRow(shot, menu->at, list), second = ReadRow(shot, menu->at, list + kMenuItem);
    EXPECT_EQ(first.state, RowState::Enabled);
    EXPECT_FALSE(first.checked) << "1 a.vdx";
    EXPECT_TRUE(second.checked) << "2 b.vdx, the active one";
    Key("Escape");
    WaitNoPopup(kLong);

    // Ctrl+F6 and Ctrl+Shift+F6 switch; the list chooses too.
    Key("ctrl+F6");
    EXPECT_TRUE(WaitTitle(frame, "^Veldra - a\\.vdx$", kLong)) << Title(frame);
    Key("ctrl+shift+F6");
    EXPECT_TRUE(WaitTitle(frame, "^Veldra - b\\.vdx$", kLong)) << Title(frame);
    Key("alt+w 1");
    EXPECT_TRUE(WaitTitle(frame, "^Veldra - a\\.vdx$", kLong)) << Title(frame);

    // Maximised, one caption shows; cascaded and tiled, both.
    const Geometry g = Anchor(frame);
    EXPECT_EQ(CaptionBands(Grab(), g), 1);
    Key("alt+w c");
    EXPECT_TRUE(WaitFor([&] { return CaptionBands(Grab(), g) == 2; }, kLong)) << "Cascade";
    Screenshot("system-cascade.png");
    Key("alt+w t");
    Shot tiled;
    EXPECT_TRUE(WaitFor([&] {
        tiled = Grab();
        return CaptionBands(tiled, g) == 2;
    }, kLong)) << "Tile";
    Screenshot("system-tile.png");
    Exit(frame, ide);
}

}  // namespace
