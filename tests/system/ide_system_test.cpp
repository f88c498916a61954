// The real program on the virtual desktop, driven by real clicks and key presses:
// a plotting and printing example, the hidden run's three endings, and Stop
// of an endless loop.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/system/system_util.h"

namespace {

using namespace system_test;

// The frame's normal rectangle (left, top, right, bottom) in the stored "Winpos" placement.
std::vector<int> StoredRectangle(const fs::path& settings)
{
    std::istringstream in(ReadFile(settings));
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') section = line;
        if (section != "[Settings]" || line.rfind("Winpos=hex:", 0) != 0) continue;
        std::vector<uint8_t> bytes;
        std::istringstream hex(line.substr(11));
        std::string b;
        while (std::getline(hex, b, ',')) bytes.push_back((uint8_t)std::stoi(b, nullptr, 16));
        if (bytes.size() != 44) return {};
        std::vector<int> r;
        for (int i = 0; i < 4; ++i) {
            int32_t v;
            std::memcpy(&v, bytes.data() + 28 + 4 * i, 4);
            r.push_back(v);
        }
        return r;
    }
    return {};
}

TEST(SystemIde, DemoPlotsAndPrintsThenExitsByKeysAndKeepsItsPlacement)
{
    Home home("demo");
    const std::string demo = (SourceDir() / "examples" / "demo.vdx").string();
    Geometry placed;
    {
        Child ide(home, {demo});
        const unsigned long frame = FindWindow("^Veldra - demo\\.vdx");
        ASSERT_NE(frame, 0u) << "no IDE frame";
        // Somewhere else than the default, so that the second start shows it
        // was kept: the window manager moves and sizes it, the frame follows.
        Xdo("windowsize --sync " + std::to_string(frame) + " 900 700", 10);
        Xdo("windowmove --sync " + std::to_string(frame) + " 160 120", 10);
        ASSERT_TRUE(WaitFor([&] { return WindowGeometry(frame).width == 900; }, 5000));
        ASSERT_TRUE(Keys(frame, "ctrl+F5"));
        const unsigned long plot = FindWindow("^Demo - Quorra$"), console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
        EXPECT_NE(plot, 0u) << "no plot window";
        EXPECT_NE(console, 0u) << "no console window";
        EXPECT_TRUE(Screenshot("system-demo.png"));
        placed = WindowGeometry(frame);
        EXPECT_EQ(placed.width, 900);
        EXPECT_EQ(placed.height, 700);
        EXPECT_TRUE(Keys(frame, "alt+f x"));
        EXPECT_EQ(ide.WaitExit(kLong), 0);
    }
    const std::vector<int> rect = StoredRectangle(home.Settings());
    ASSERT_EQ(rect.size(), 4u) << ReadFile(home.Settings());
    EXPECT_EQ(rect, (std::vector<int>{placed.x, placed.y, placed.x + placed.width, placed.y + placed.height}));

    Child again(home, {});
    const unsigned long frame = FindWindow("^Veldra");
    ASSERT_NE(frame, 0u);
    EXPECT_EQ(WindowGeometry(frame), placed);
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_EQ(again.WaitExit(kLong), 0);
}

// True when no window of the program is visible for as long as it runs.
bool EndsUnseen(Child& child, int* status)
{
    bool seen = false;
    WaitFor(
        [&] {
            if (!child.Running()) return true;
            seen = seen || !VisibleWindows("^Veldra").empty();
            return false;
        },
        kLong);
    *status = child.WaitExit(0);
    return !seen;
}

TEST(SystemHiddenRun, CleanProgramEndsByItselfUnseen)
{
    Home home("hidden-clean");
    const fs::path prog = home.Write("clean.vdx", "x = [1, 2; 3, 4];\nx * x;\n");
    Child ide(home, {"--hidden-run", prog.string()});
    int status = -1;
    EXPECT_TRUE(EndsUnseen(ide, &status));
    EXPECT_EQ(status, 0);
}

TEST(SystemHiddenRun, RuntimeErrorShowsTheIdeAndItStays)
{
    Home home("hidden-error");
    const fs::path prog = home.Write("error.vdx", "x = 1;\nclear x;\nx;\n");
    Child ide(home, {"--hidden-run", prog.string()});
    const unsigned long frame = FindWindow("^Veldra");
    ASSERT_NE(frame, 0u) << "the IDE did not show";
    EXPECT_EQ(ide.WaitExit(3000), -1) << "the IDE went away after the error";
    EXPECT_EQ(VisibleWindows("^Veldra"), std::vector<unsigned long>{frame});
    EXPECT_TRUE(Screenshot("system-hidden-run-error.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemHiddenRun, PlotProgramEndsWhenThePlotWindowIsClosedByItsMenu)
{
    Home home("hidden-plot");
    const fs::path prog = home.Write("plot.vdx", "plot #P ([1, 3, 2, 4]);\n");
    Child ide(home, {"--hidden-run", prog.string()});
    const unsigned long plot = FindWindow("^P - Quorra$");
    ASSERT_NE(plot, 0u) << "no plot window";
    EXPECT_TRUE(VisibleWindows("^Veldra").empty());
    EXPECT_TRUE(ide.Running()) << "the run ended with its plot window open";
    EXPECT_TRUE(Keys(plot, "alt+f x"));
    EXPECT_EQ(ide.WaitExit(kLong), 0);
}

TEST(SystemStop, EndlessLoopStopsOnTheMenuCommandWithoutAQuestion)
{
    Home home("stop");
    const fs::path prog = home.Write("loop.vdx",
                                     "f = fopen(\"started.txt\", CREATE_ALWAYS);\nfwrite(f, 1);\nfclose(f);\n"
                                     "n = 0;\nwhile(1)\n    n += 1;\nend\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - loop\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(Keys(frame, "ctrl+F5"));
    ASSERT_TRUE(WaitFor([&] { return fs::exists(home.root / "started.txt"); }, kLong)) << "the loop did not start";
    fs::remove(home.root / "started.txt");
    Key("alt+p s");
    // Only a stopped program lets Calculate start it anew: the file comes back.
    Key("ctrl+F5");
    EXPECT_TRUE(WaitFor([&] { return fs::exists(home.root / "started.txt"); }, kLong)) << "the loop did not stop";
    Key("alt+p s");
    // No question box came up on either Stop (a manager's own task bar aside).
    EXPECT_EQ(Ids(Xdo("search --all --onlyvisible --pid " + std::to_string(ide.Pid()) + " --name .", 10)),
              std::vector<unsigned long>{frame});
    EXPECT_TRUE(Screenshot("system-stopped.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_EQ(ide.WaitExit(kLong), 0);
}

}  // namespace
