// What a user does on a desktop with a window manager, where the user does
// it: overlapping windows take the clicks where they are seen, keys after a
// native dialog, a still click, popups and owned windows as the manager
// sees them, where new windows go, a rubber band while it is dragged, the
// toolbar after a run, and a start without a session bus.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/system/desktop_util.h"

namespace {

using namespace system_test;

// The IDE frame at a known place: its editor then lies over the plot
// window's default place.
std::string IdeAt(int left, int top, int right, int bottom)
{
    return "Winpos=" + PlacementValue(left, top, right, bottom) + "\n";
}

// Where things are in the IDE frame's client area (the layout of its bars
// at the fonts the program uses).
constexpr int kFileMenuX = 17, kMenuY = 9;
using desktop::kCalculateX;
using desktop::kToolbarY;
using desktop::ButtonInColour;
// The editor of a program document shown in a frame at least 1200 x 800.
const Rect kEditor{240, 90, 700, 450};
// The plot window: its Select button, and an empty corner of the plane of
// the plot [1, 3, 2, 4].
constexpr int kSelectButtonX = 167;
const Rect kEmptyPlane{40, 70, 100, 90};

bool Overlap(const Rect& a, const Rect& b, Rect* out)
{
    const int l = std::max(a.x, b.x), t = std::max(a.y, b.y), r = std::min(a.Right(), b.Right()),
              d = std::min(a.Bottom(), b.Bottom());
    if (r <= l || d <= t) return false;
    *out = Rect{l, t, r - l, d - t};
    return true;
}

Rect Offset(const Rect& r, const Rect& by) { return Rect{r.x + by.x, r.y + by.y, r.width, r.height}; }

TEST(SystemDesktop, OverlappingWindowsTakeTheClicksWhereTheyAreSeen)
{
    Home home("overlap", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("over.vdx", "plot #P ([1, 3, 2, 4]);\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - over\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$");
    ASSERT_NE(plot, 0u);
    ASSERT_TRUE(WaitFor([&] { return StackedAbove(plot, frame); }, 5000 * kSlowdown)) << StackingSeen(plot, frame);

    // On top, the plot window shows its own tooltip and opens its own menu.
    Hover(plot, kSelectButtonX, kToolbarY - 1);
    Hover(plot, kSelectButtonX + 1, kToolbarY);
    EXPECT_TRUE(WaitFor([&] { return !UnmanagedPopups(ide.Pid()).empty(); }, 5000 * kSlowdown)) << "no tooltip";
    Click(plot, kFileMenuX, kMenuY);
    const Rect plotArea = ClientRect(plot);
    EXPECT_TRUE(WaitFor(
        [&] {
            for (unsigned long p : UnmanagedPopups(ide.Pid()))
                if (ClientRect(p).y >= plotArea.y + kMenuY && ClientRect(p).height > 60) return true;
            return false;
        },
        5000 * kSlowdown))
        << "the plot window's menu did not open";
    EXPECT_TRUE(Screenshot("desktop-plot-menu.png"));
    // Escape closes the menu and leaves the menu mode.
    Key("Escape");
    ASSERT_TRUE(WaitFor([&] { return UnmanagedPopups(ide.Pid()).empty(); }, 5000 * kSlowdown));
    ASSERT_TRUE(PointerFree());

    // The IDE raised by a click on its title: the plot window is hidden
    // where the two overlap.
    ASSERT_TRUE(ClickTitle(frame));
    ASSERT_TRUE(WaitFor([&] { return StackedAbove(frame, plot); }, 5000 * kSlowdown)) << StackingSeen(frame, plot);
    Rect both;
    ASSERT_TRUE(Overlap(Offset(kEditor, ClientRect(frame)), ClientRect(plot), &both))
        << ClientRect(frame) << " " << ClientRect(plot);
    // Resting where the hidden window's button lies shows none of its tooltips.
    Hover(plot, kSelectButtonX, kToolbarY - 1);
    Hover(plot, kSelectButtonX + 1, kToolbarY);
    EXPECT_FALSE(WaitFor([&] { return !UnmanagedPopups(ide.Pid()).empty(); }, 1500 * kSlowdown))
        << "a tooltip of the hidden window showed";
    // A click there puts the editor's caret below the text; what is typed goes there.
    MoveTo(both.x + both.width / 2, both.y + both.height / 2);
    Xdo("click 1", 10);
    Type("x = 5;");
    Key("ctrl+s");
    EXPECT_TRUE(WaitForFile(prog, [](const std::string& t) { return t.find("x = 5;") != std::string::npos; }, kLong));
    const std::string text = ReadFile(prog);
    EXPECT_EQ(text.rfind("plot #P", 0), 0u) << text;
    EXPECT_TRUE(StackedAbove(frame, plot)) << "the click went to the hidden window; " << StackingSeen(frame, plot);
    EXPECT_TRUE(Screenshot("desktop-overlap.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, KeysAfterANativeDialogAreNotHeldDown)
{
    Home home("keys", IdeAt(300, 100, 1500, 900));
    // One statement a line, each leaving its own file.
    const fs::path prog = home.Write("keys.vdx", "fclose(fopen(\"one.txt\", CREATE_ALWAYS));\n"
                                                 "fclose(fopen(\"two.txt\", CREATE_ALWAYS));\n"
                                                 "fclose(fopen(\"three.txt\", CREATE_ALWAYS));\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - keys\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    ASSERT_TRUE(WaitFor([&] { return ButtonInColour(frame, kCalculateX, kToolbarY); }, 5000 * kSlowdown));

    // Ctrl+O, and Ctrl let go while the native file dialog has the keyboard.
    KeyDown("ctrl");
    Key("o");
    const unsigned long open = FindWindow("^Open$");
    ASSERT_NE(open, 0u) << "no file dialog";
    ASSERT_TRUE(WaitFor([&] { return ActiveWindow() == open; }, 5000 * kSlowdown));
    KeyUp("ctrl");
    Key("Escape");
    ASSERT_TRUE(WaitForNoWindow("^Open$", 5000 * kSlowdown));
    ASSERT_TRUE(WaitFor([&] { return ActiveWindow() == frame; }, 5000 * kSlowdown));

    // The editor has the keys again: a breakpoint on the third line. Start
    // Debug stops at the first statement, again goes on to the breakpoint.
    // As Ctrl+F5 (Calculate) they would run all three lines.
    Key("Down Down F9 F5");
    Key("F5");
    EXPECT_TRUE(WaitForFile(home.root / "two.txt", nullptr, kLong));
    EXPECT_TRUE(fs::exists(home.root / "one.txt"));
    // At the breakpoint the toolbar shows the run (Calculate grey): a busy
    // GUI thread may not have updated it since before the run began. Keys
    // pressed while the stop waits for the program are dropped.
    EXPECT_TRUE(WaitFor([&] { return !ButtonInColour(frame, kCalculateX, kToolbarY); }, kLong));
    Key("shift+F5");
    // The run is over once Calculate is back: the third line never ran.
    EXPECT_TRUE(WaitFor([&] { return ButtonInColour(frame, kCalculateX, kToolbarY); }, kLong));
    EXPECT_FALSE(fs::exists(home.root / "three.txt"));
    EXPECT_TRUE(Screenshot("desktop-keys-after-dialog.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, AStillClickInTheHexEditorSelectsNothing)
{
    Home home("hex", IdeAt(300, 100, 1500, 900));
    const fs::path prog = home.Write("hex.vdx", "x = 1;\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - hex\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+End");
    Key("alt+i b");
    const unsigned long dialog = FindWindow("^Binary data$");
    ASSERT_NE(dialog, 0u);
    // The first byte's digits start right after the offset "0000 ".
    constexpr int kByteX = 66, kByteY = 72;
    Click(dialog, kByteX + 4, kByteY);
    Type("41");
    // A click on the byte: the caret goes before it, nothing is selected,
    // and typing inserts a byte in front.
    Click(dialog, kByteX, kByteY);
    Type("42");
    EXPECT_TRUE(Screenshot("desktop-hex-click.png"));
    Key("Return");
    Key("Escape");
    ASSERT_TRUE(WaitForNoWindow("^Binary data$", 5000 * kSlowdown));
    Key("ctrl+s");
    EXPECT_TRUE(WaitForFile(prog, [](const std::string& t) { return t.find('<') != std::string::npos; }, kLong));
    EXPECT_NE(ReadFile(prog).find("<42 41>"), std::string::npos) << ReadFile(prog);
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, PopupsAreUnmanagedAndAFloatingBarStaysOverItsFrame)
{
    Home home("popups", IdeAt(300, 100, 1500, 900));
    Geometry floated;
    {
        Child ide(home, {});
        const unsigned long frame = FindWindow("^Veldra$");
        ASSERT_NE(frame, 0u);
        ASSERT_TRUE(ClickTitle(frame));
        // A tooltip over the toolbar, then a menu of the menu bar: shown,
        // and none of them is a window the manager frames or lists.
        Hover(frame, kCalculateX, kToolbarY - 1);
        Hover(frame, kCalculateX + 1, kToolbarY);
        EXPECT_TRUE(WaitFor([&] { return !UnmanagedPopups(ide.Pid()).empty(); }, 5000 * kSlowdown)) << "no tooltip";
        Click(frame, kFileMenuX, kMenuY);
        EXPECT_TRUE(WaitFor(
            [&] {
                for (unsigned long p : UnmanagedPopups(ide.Pid()))
                    if (ClientRect(p).height > 60) return true;
                return false;
            },
            5000 * kSlowdown))
            << "no menu";
        EXPECT_EQ(ManagedStacking(), std::vector<uint32_t>{(uint32_t)frame});
        Key("Escape");
        ASSERT_TRUE(WaitFor([&] { return UnmanagedPopups(ide.Pid()).empty(); }, 5000 * kSlowdown));
        ASSERT_TRUE(PointerFree());
        // The output bar, docked at the bottom, floats at a double click on its gripper.
        DoubleClick(frame, 10, 650);
        const unsigned long bar = FindWindow("^Output bar$");
        ASSERT_NE(bar, 0u) << "the output bar did not float";
        EXPECT_EQ(TransientFor(bar), frame);
        EXPECT_TRUE(WaitFor([&] { return StackedAbove(bar, frame); }, 5000 * kSlowdown)) << StackingSeen(bar, frame);
        floated = WindowGeometry(bar);
        EXPECT_TRUE(Keys(frame, "alt+f x"));
        EXPECT_NE(ide.WaitExit(kLong), -1);
    }
    // The next start floats it again, before the frame shows: it is still
    // transient for the frame and above it.
    Child again(home, {});
    const unsigned long frame = FindWindow("^Veldra$");
    const unsigned long bar = FindWindow("^Output bar$");
    ASSERT_NE(frame, 0u);
    ASSERT_NE(bar, 0u);
    EXPECT_EQ(TransientFor(bar), frame);
    EXPECT_TRUE(WaitFor([&] { return StackedAbove(bar, frame); }, 5000 * kSlowdown)) << StackingSeen(bar, frame);
    EXPECT_EQ(WindowGeometry(bar), floated);
    EXPECT_TRUE(Screenshot("desktop-floating-bar.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(again.WaitExit(kLong), -1);
}

TEST(SystemDesktop, NewWindowsGetTheirOwnPlacesOnTheScreen)
{
    // A first start: the frame takes a good share of the screen, all on it.
    {
        Home first("first", "");
        std::ofstream(first.Settings(), std::ios::trunc);
        Child ide(first, {});
        const unsigned long frame = FindWindow("^Veldra$");
        ASSERT_NE(frame, 0u);
        const Rect r = ClientRect(frame), screen = ScreenRect();
        EXPECT_TRUE(r.Inside(screen)) << r;
        const double share = (double)r.width * r.height / ((double)screen.width * screen.height);
        EXPECT_GT(share, 0.3) << r;
        EXPECT_LT(share, 0.9) << r;
        EXPECT_NEAR(r.x + r.width / 2, screen.width / 2, screen.width / 10) << r;
        ASSERT_TRUE(ClickTitle(frame));
        Key("alt+f x");
        EXPECT_NE(ide.WaitExit(kLong), -1);
    }
    // Three plot windows one after the other: three places.
    Home home("places", IdeAt(300, 100, 1500, 900));
    const fs::path prog = home.Write("three.vdx", "plot #A ([1, 2]);\nplot #B ([2, 1]);\nplot #C ([1, 1]);\n");
    {
        Child ide(home, {prog.string()});
        const unsigned long frame = FindWindow("^Veldra - three\\.vdx");
        ASSERT_NE(frame, 0u);
        ASSERT_TRUE(ClickTitle(frame));
        Key("ctrl+F5");
        std::vector<Rect> places;
        for (const char* name : {"^A - Quorra$", "^B - Quorra$", "^C - Quorra$"}) {
            const unsigned long w = FindWindow(name);
            ASSERT_NE(w, 0u) << name;
            places.push_back(ClientRect(w));
            EXPECT_TRUE(places.back().Inside(ScreenRect())) << places.back();
        }
        for (size_t i = 0; i < places.size(); i++)
            for (size_t k = i + 1; k < places.size(); k++)
                EXPECT_FALSE(places[i].x == places[k].x && places[i].y == places[k].y) << places[i] << " " << places[k];
        EXPECT_TRUE(Screenshot("desktop-three-plots.png"));
        EXPECT_TRUE(Keys(frame, "alt+f x"));
        EXPECT_NE(ide.WaitExit(kLong), -1);
    }
    // Insert, Statement from a narrow frame at the screen's edge opens on the screen.
    Home narrow("narrow", IdeAt(0, 60, 420, 900));
    Child ide(narrow, {narrow.Write("narrow.vdx", "x = 1;\n").string()});
    const unsigned long frame = FindWindow("^Veldra - narrow\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("alt+i s");
    const unsigned long statement = FindWindow("^Statement$");
    ASSERT_NE(statement, 0u);
    EXPECT_TRUE(ClientRect(statement).Inside(ScreenRect())) << ClientRect(statement);
    EXPECT_TRUE(Screenshot("desktop-narrow-statement.png"));
    Key("Escape");
    ASSERT_TRUE(WaitForNoWindow("^Statement$", 5000 * kSlowdown));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, TheZoomBandShowsWhileTheButtonIsHeld)
{
    Home home("zoom", IdeAt(600, 100, 1800, 900));
    const fs::path prog = home.Write("zoom.vdx", "plot #P ([1, 3, 2, 4]);\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - zoom\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$");
    ASSERT_NE(plot, 0u);
    ASSERT_TRUE(ClickTitle(plot));
    // The band's area: from the press to where the pointer is held, in an
    // empty part of the plane (the default black on white).
    const Rect c = ClientRect(plot);
    const Rect band{c.x + kEmptyPlane.x, c.y + kEmptyPlane.y, kEmptyPlane.width, kEmptyPlane.height};
    const Rect look{band.x - 2, band.y - 2, band.width + 5, band.height + 5};
    MoveTo(band.x, band.y);
    const Image before = GrabScreen(look);
    SavePng(before, "desktop-zoom-before.png");
    ButtonDown();
    MoveTo(band.x + band.width / 2, band.y + band.height / 2);
    MoveTo(band.Right(), band.Bottom());
    const bool shown = WaitForScreenChange(before, 5000 * kSlowdown);
    SavePng(GrabScreen(look), "desktop-zoom-held.png");
    EXPECT_TRUE(Screenshot("desktop-zoom-band.png"));
    ButtonUp();
    EXPECT_TRUE(shown) << "no band on the screen while the button was held";
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// Each of the three windows gives the window manager its own icon
// (_NET_WM_ICON: width, height, then ARGB pixels), with a transparent
// corner and an opaque middle, the three different.
TEST(SystemDesktop, EachWindowGivesTheDesktopItsOwnIcon)
{
    Home home("icons");
    const fs::path prog = home.Write("icons.vdx", "plot #P ([1, 3, 2, 4]);\nprint 42;\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - icons\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+F5");
    const unsigned long plot = FindWindow("^P - Quorra$"), console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
    ASSERT_NE(plot, 0u);
    ASSERT_NE(console, 0u);
    std::vector<std::vector<uint32_t>> icons;
    const char* names[] = {"the IDE", "the plot window", "the console"};
    for (unsigned long w : {frame, plot, console}) {
        const std::string name = names[icons.size()];
        std::vector<uint32_t> icon;
        WaitFor([&] { return (icon = XServer::Get().Property32((xcb_window_t)w, "_NET_WM_ICON")).size() > 2; }, kLong);
        ASSERT_GT(icon.size(), 2u) << "no icon on " << name;
        const uint32_t width = icon[0], height = icon[1];
        ASSERT_EQ(icon.size(), 2 + (size_t)width * height) << name;
        EXPECT_EQ(width, 48u);
        EXPECT_EQ(icon[2] >> 24, 0u) << "the corner of the icon of " << name << " is not transparent";
        EXPECT_EQ(icon[2 + (height / 2) * width + width / 2] >> 24, 255u) << name;
        icons.push_back(icon);
    }
    EXPECT_NE(icons[0], icons[1]);
    EXPECT_NE(icons[1], icons[2]);
    EXPECT_NE(icons[0], icons[2]);
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, TheToolbarFollowsARunThatEndsWhileAConsoleHasTheFocus)
{
    Home home("idle", IdeAt(300, 100, 1500, 900));
    const fs::path prog = home.Write("wait.vdx",
                                     "print \"waiting\";\nf = fopen(\"go.txt\", OPEN_EXIST);\nwhile (f == #0)\n"
                                     "    f = fopen(\"go.txt\", OPEN_EXIST);\nend\nfclose(f);\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - wait\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+F5");
    const unsigned long console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
    ASSERT_NE(console, 0u);
    ASSERT_TRUE(ClickTitle(console));
    // Running: Calculate is grey.
    ASSERT_TRUE(WaitFor([&] { return !ButtonInColour(frame, kCalculateX, kToolbarY); }, 5000 * kSlowdown));
    // The run ends with no input at all: the toolbar follows by itself.
    home.Write("go.txt", "");
    EXPECT_TRUE(WaitFor([&] { return ButtonInColour(frame, kCalculateX, kToolbarY); }, 3000 * kSlowdown))
        << "Calculate stayed grey";
    EXPECT_EQ(ActiveWindow(), console);
    EXPECT_TRUE(Screenshot("desktop-run-ended.png"));
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemDesktop, WithoutASessionBusTheFirstWindowComesAtOnce)
{
    Home home("nobus", IdeAt(300, 100, 1500, 900));
    // No bus address and no bus in a runtime folder, as on a bare server.
    const fs::path runtime = home.root / "runtime";
    fs::create_directories(runtime);
    const auto start = std::chrono::steady_clock::now();
    Child ide(home, {}, {"XDG_RUNTIME_DIR=" + runtime.string()});
    // A missing bus used to hold the first window back for its 25-second
    // time-out; ten seconds leave room for a loaded machine.
    const unsigned long frame = FindWindow("^Veldra$", 10 * kSlowdown);
    ASSERT_NE(frame, 0u) << "no window within ten seconds";
    const auto took = std::chrono::steady_clock::now() - start;
    RecordProperty("first_window_ms", (int)std::chrono::duration_cast<std::chrono::milliseconds>(took).count());
    ASSERT_TRUE(ClickTitle(frame));
    Key("alt+f x");
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

}  // namespace
