// The real program under the virtual X server, driven by real key presses:
// a plotting and printing example, the hidden run's three endings, and Stop
// of an endless loop.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "platform/backend/display.h"
#include "tests/system/system_util.h"

namespace {

using namespace system_test;

fs::path ArtifactDir()
{
    fs::path dir = OutDir().parent_path() / "test-artifacts";
    fs::create_directories(dir);
    return dir;
}

// The whole screen as a PNG, through the display library this process opened.
bool Screenshot(const std::string& name)
{
    static void* lib = dlopen(DisplayLibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
    auto* grab = lib ? (bool (*)(const char*))dlsym(lib, "veldra_qt_test_screenshot") : nullptr;
    // The path outlives a grab that gave up waiting for the display thread
    // (it may still run later); a second try follows such a one.
    static std::vector<std::unique_ptr<std::string>> paths;
    paths.push_back(std::make_unique<std::string>((ArtifactDir() / name).string()));
    const std::string& shot = *paths.back();
    for (int attempt = 0; attempt < 2 && grab; ++attempt)
        if (grab(shot.c_str()) && fs::exists(shot) && fs::file_size(shot) > 0) return true;
    return false;
}

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

constexpr int kLong = 30000;   // generous: a loaded machine, a sanitizer build

TEST(SystemIde, DemoPlotsAndPrintsThenExitsByKeysAndKeepsItsPlacement)
{
    Home home("demo");
    const std::string demo = (SourceDir() / "examples" / "demo.vdx").string();
    Geometry placed;
    {
        Child ide(home, {demo});
        const unsigned long frame = FindWindow("^Veldra - demo\\.vdx");
        ASSERT_NE(frame, 0u) << "no IDE frame";
        // Somewhere else than the default, so that the second start shows it was kept.
        Xdo("windowsize --sync " + std::to_string(frame) + " 900 700", 10);
        Xdo("windowmove --sync " + std::to_string(frame) + " 160 120", 10);
        Keys(frame, "ctrl+F5");
        const unsigned long plot = FindWindow("^Demo - Quorra$"), console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
        EXPECT_NE(plot, 0u) << "no plot window";
        EXPECT_NE(console, 0u) << "no console window";
        // No window manager: set the three side by side for the picture.
        Xdo("windowmove --sync " + std::to_string(console) + " 1080 120", 10);
        Xdo("windowmove --sync " + std::to_string(plot) + " 1080 620", 10);
        EXPECT_TRUE(Screenshot("system-demo.png"));
        placed = WindowGeometry(frame);
        EXPECT_EQ(placed, (Geometry{160, 120, 900, 700}));
        Keys(frame, "alt+f x");
        EXPECT_EQ(ide.WaitExit(kLong), 0);
    }
    const std::vector<int> rect = StoredRectangle(home.Settings());
    ASSERT_EQ(rect.size(), 4u) << ReadFile(home.Settings());
    EXPECT_EQ(rect, (std::vector<int>{placed.x, placed.y, placed.x + placed.width, placed.y + placed.height}));

    Child again(home, {});
    const unsigned long frame = FindWindow("^Veldra");
    ASSERT_NE(frame, 0u);
    EXPECT_EQ(WindowGeometry(frame), placed);
    Keys(frame, "alt+f x");
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
    Keys(frame, "alt+f x");
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
    Keys(plot, "alt+f x");
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
    Keys(frame, "ctrl+F5");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(home.root / "started.txt"); }, kLong)) << "the loop did not start";
    fs::remove(home.root / "started.txt");
    Keys(frame, "alt+p s");
    // Only a stopped program lets Calculate start it anew: the file comes back.
    Keys(frame, "ctrl+F5");
    EXPECT_TRUE(WaitFor([&] { return fs::exists(home.root / "started.txt"); }, kLong)) << "the loop did not stop";
    Keys(frame, "alt+p s");
    // No question box came up on either Stop.
    EXPECT_EQ(VisibleWindows("."), std::vector<unsigned long>{frame});
    EXPECT_TRUE(Screenshot("system-stopped.png"));
    Keys(frame, "alt+f x");
    EXPECT_EQ(ide.WaitExit(kLong), 0);
}

}  // namespace
