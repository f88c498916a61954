// Which window takes the clicks and the keys on a desktop, under every
// window manager the suites run with: a click in a program window behind
// the active one, dialogs wherever the manager puts them, a modal dialog's
// owner clicked, Alt held across a switch of windows, a console input that
// waits, and Escape out of a menu.
#include <gtest/gtest.h>

#include "tests/system/desktop_util.h"

namespace {

using namespace system_test;
using desktop::ButtonInColour;
using desktop::Grab;
using desktop::kCalculateX;
using desktop::kToolbarY;
using desktop::Shot;
using desktop::Title;
using desktop::WaitPopup;

std::string IdeAt(int left, int top, int right, int bottom)
{
    return "Winpos=" + PlacementValue(left, top, right, bottom) + "\n";
}

// The desktop's own close, as a title bar's close button or `wmctrl -c` asks
// the manager for it.
void CloseThroughManager(unsigned long window)
{
    XServer& x = XServer::Get();
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = (xcb_window_t)window;
    m.type = x.Atom("_NET_CLOSE_WINDOW");
    m.data.data32[0] = XCB_CURRENT_TIME;
    m.data.data32[1] = 2;   // as a pager asks
    xcb_send_event(x.c, 0, x.root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&m));
    xcb_flush(x.c);
}

bool NoMenuShows(pid_t pid) { return WaitFor([&] { return UnmanagedPopups(pid).empty(); }, 5000 * kSlowdown); }

// Another application's window on the same desktop (xmessage, beside xprop
// in every desktop set-up), ended with the test.
class OtherApplication {
public:
    explicit OtherApplication(const std::string& title)
    {
        m_pid = fork();
        if (m_pid == 0) {
            execlp("xmessage", "xmessage", "-geometry", "500x150+700+300", "-title", title.c_str(), "another application",
                   (char*)nullptr);
            _exit(127);
        }
    }
    ~OtherApplication()
    {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    OtherApplication(const OtherApplication&) = delete;
    OtherApplication& operator=(const OtherApplication&) = delete;

private:
    pid_t m_pid = -1;
};

// Where the status bar is: the frame's client area from the bottom.
constexpr int kStatusBarFromBottom = 10;

TEST(SystemFocus, AClickInAProgramBehindActivatesIt)
{
    Home home("mdi-click", IdeAt(20, 40, 1220, 840));
    const fs::path a = home.Write("a.vdx", "x = 1;\n");
    const fs::path b = home.Write("b.vdx", "y = 2;\n");
    Child ide(home, {a.string(), b.string()});
    const unsigned long frame = FindWindow("^Veldra - b\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    // Window, Tile: the active b.vdx above a.vdx, each the client's full width.
    Key("alt+w t");
    ASSERT_TRUE(NoMenuShows(ide.Pid()));
    Screenshot("focus-tiled.png");
    // In the editor of a.vdx, the lower one, below its text: the caret goes there.
    Click(frame, 500, 420);
    EXPECT_TRUE(desktop::WaitTitle(frame, "^Veldra - a\\.vdx$", 5000 * kSlowdown)) << Title(frame);
    Type("% clicked");
    Key("ctrl+s");
    EXPECT_TRUE(WaitForFile(a, [](const std::string& t) { return t.find("% clicked") != std::string::npos; }, kLong))
        << ReadFile(a);
    EXPECT_FALSE(FindWindow("^Save As$", 1)) << "Ctrl+S went to the other program";
    Screenshot("focus-inactive-clicked.png");
    // A click on the other child's caption activates that one.
    Click(frame, 500, 70);
    EXPECT_TRUE(desktop::WaitTitle(frame, "^Veldra - b\\.vdx$", 5000 * kSlowdown)) << Title(frame);
    EXPECT_EQ(ReadFile(b), "y = 2;\n");
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// Settings opened again and again: wherever the manager puts the dialog, a
// click on its Cancel button is taken there.
TEST(SystemFocus, DialogsTakeTheirClicksWhereverTheManagerPutsThem)
{
    Home home("dialog-clicks", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("d.vdx", "z = 3;\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - d\\.vdx");
    ASSERT_NE(frame, 0u);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(Keys(frame, "alt+t s")) << "opening " << i;
        const unsigned long sets = FindWindow("^Settings$");
        ASSERT_NE(sets, 0u) << "opening " << i;
        const Rect r = ClientRect(sets);
        // Cancel: the second of the three buttons along the bottom right.
        Click(sets, r.width - 152, r.height - 28);
        if (!desktop::WaitGone(sets, 5000 * kSlowdown)) {
            Screenshot("focus-dialog-click-" + std::to_string(i) + ".png");
            ADD_FAILURE() << "opening " << i << ": the click on Cancel was not taken; the dialog is at " << r;
            Key("Escape");
            ASSERT_TRUE(desktop::WaitGone(sets, kLong));
        }
        // Somewhere else next time.
        if (i % 2 == 0) Xdo("windowmove --sync " + std::to_string(frame) + " " + std::to_string(40 + 30 * i) + " 60", 10);
    }
    EXPECT_EQ(ReadFile(prog), "z = 3;\n");
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// Where the desktop sends the keys, for a failure message.
std::string KeysSeen(unsigned long dialog)
{
    const unsigned long focus = FocusWindow();
    const unsigned long active = ActiveWindow();
    std::ostringstream o;
    o << "the server's focus is " << focus << " (\"" << (focus ? Title(focus) : "") << "\"), the active window "
      << active << " (\"" << (active ? Title(active) : "") << "\"), the dialog " << dialog;
    return o.str();
}

// A modal dialog has the keys on the desktop itself, not only inside the
// program (which passes a disabled owner's keys on to its dialog): the
// server's focus and the manager's active window are the dialog as it maps,
// after a click on its owner and when the owner is clicked on the way back
// from another application.
TEST(SystemFocus, AModalDialogKeepsTheKeysWhenItsOwnerIsClicked)
{
    Home home("modal-owner", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("m.vdx", "w = 4;\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - m\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(Keys(frame, "alt+t s"));
    const unsigned long sets = FindWindow("^Settings$");
    ASSERT_NE(sets, 0u);
    auto dialogHasKeys = [&] {
        return WaitFor([&] { return FocusWindow() == sets && ActiveWindow() == sets; }, 5000 * kSlowdown);
    };
    EXPECT_TRUE(dialogHasKeys()) << "as it maps: " << KeysSeen(sets);
    // No task of its own: the task bar lists its owner only.
    const std::vector<uint32_t> state = XServer::Get().Property32((xcb_window_t)sets, "_NET_WM_STATE");
    EXPECT_EQ(std::count(state.begin(), state.end(), XServer::Get().Atom("_NET_WM_STATE_SKIP_TASKBAR")), 1)
        << "the dialog is a task of its own";
    // The owner's status bar and its editor, right of the dialog.
    const Rect c = ClientRect(frame);
    const std::vector<std::pair<std::string, std::pair<int, int>>> clicks{
        {"the status bar", {c.width / 2, c.height - kStatusBarFromBottom}}, {"the editor", {c.width * 3 / 5, 160}}};
    for (const auto& [where, at] : clicks) {
        Click(frame, at.first, at.second);
        EXPECT_TRUE(dialogHasKeys()) << "after a click on " << where << ": " << KeysSeen(sets);
    }
    Screenshot("focus-modal-owner.png");
    {
        // Away to another application (below the points clicked) and back by a click on the owner.
        OtherApplication otherApp("Other application");
        const unsigned long other = FindWindow("^Other application$");
        ASSERT_NE(other, 0u);
        if (ActiveWindow() != other) {
            ASSERT_TRUE(ClickTitle(other));
        }
        ASSERT_TRUE(WaitFor([&] { return FocusWindow() != sets; }, 5000 * kSlowdown)) << KeysSeen(sets);
        Click(frame, c.width / 2, c.height - kStatusBarFromBottom);
        EXPECT_TRUE(dialogHasKeys()) << "back from another application: " << KeysSeen(sets);
        Screenshot("focus-modal-owner-back.png");
    }
    Type("qq");
    Key("Escape");
    EXPECT_TRUE(desktop::WaitGone(sets, 5000 * kSlowdown)) << "Escape did not reach the dialog";
    if (desktop::Shown(sets)) {
        Key("Escape");
        desktop::WaitGone(sets, kLong);
    }
    // Nothing typed went into the program.
    ASSERT_TRUE(Keys(frame, "ctrl+End"));
    Type(" % after");
    Key("ctrl+s");
    ASSERT_TRUE(WaitForFile(prog, [](const std::string& t) { return t.find("% after") != std::string::npos; }, kLong));
    EXPECT_EQ(ReadFile(prog).find("qq"), std::string::npos) << ReadFile(prog);
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// As Alt+Tab does: Alt goes down in the window with the keys, the manager
// activates the other one, Alt comes up there.
void SwitchWithAltHeld(unsigned long to)
{
    KeyDown("alt");
    Xdo("windowactivate --sync " + std::to_string(to), 10);
    WaitFor([&] { return ActiveWindow() == to; }, 5000 * kSlowdown);
    KeyUp("alt");
}

TEST(SystemFocus, AltHeldAcrossASwitchAwayAndBackOpensNoMenu)
{
    Home home("alt-tab", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("t.vdx", "plot #T ([1, 2]);\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - t\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(Keys(frame, "ctrl+F5"));
    const unsigned long plot = FindWindow("^T - Quorra$");
    ASSERT_NE(plot, 0u);
    ASSERT_TRUE(ClickTitle(frame));
    Key("ctrl+End");
    SwitchWithAltHeld(plot);
    ASSERT_EQ(ActiveWindow(), plot);
    EXPECT_TRUE(NoMenuShows(ide.Pid())) << "Alt let go in the plot window opened a menu";
    SwitchWithAltHeld(frame);
    ASSERT_EQ(ActiveWindow(), frame);
    Type("w = 1;");
    Screenshot("focus-alt-tab.png");
    EXPECT_TRUE(NoMenuShows(ide.Pid())) << "typing opened a menu";
    Key("Escape");
    Key("ctrl+s");
    EXPECT_TRUE(WaitForFile(prog, [](const std::string& t) { return t.find("w = 1;") != std::string::npos; }, kLong))
        << ReadFile(prog);
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// A program that plots and then waits in `input`, run from the IDE's keys:
// the console has the keys without a click, on the first run (the plot and
// console windows new, each taking the focus as it maps) and on the next
// (both up already, the IDE active).
TEST(SystemFocus, AWaitingInputTakesTheKeysFromTheProgramsOwnWindows)
{
    Home home("input-keys", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("i.vdx", "plot #I ([1, 3, 2]);\n"
                                              "n = 1;\n"
                                              "input \"How many? \", $n;\n"
                                              "if(n == 42)\n"
                                              "    fclose(fopen(\"answered.txt\", CREATE_ALWAYS));\n"
                                              "end\n");
    const fs::path answered = home.root / "answered.txt";
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - i\\.vdx");
    ASSERT_NE(frame, 0u);
    for (int run = 1; run <= 2; run++) {
        SCOPED_TRACE("run " + std::to_string(run));
        if (ActiveWindow() != frame) ASSERT_TRUE(ClickTitle(frame));
        // The first run writes its file a moment before it ends, and the IDE
        // sees the end only at its next half-second look at the program
        // thread: a Ctrl+F5 before that starts nothing (Calculate is grey).
        ASSERT_TRUE(WaitFor([&] { return ButtonInColour(frame, kCalculateX, kToolbarY); }, kLong))
            << "Calculate stayed grey";
        Key("ctrl+F5");
        const unsigned long plot = FindWindow("^I - Quorra$");
        const unsigned long console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
        ASSERT_NE(plot, 0u);
        ASSERT_NE(console, 0u);
        const bool keys = WaitFor([&] { return ActiveWindow() == console; }, 10000 * kSlowdown);
        EXPECT_TRUE(keys) << "the active window is " << ActiveWindow() << ", the console " << console
                          << ", the plot " << plot << ", the IDE " << frame
                          << (ActiveWindow() == frame && ButtonInColour(frame, kCalculateX, kToolbarY)
                                  ? " (no run: Calculate shows in colour)"
                                  : "");
        Screenshot("focus-input-" + std::to_string(run) + ".png");
        if (!keys) {
            ASSERT_TRUE(ClickTitle(console));
        }
        Type("42");
        Key("Return");
        EXPECT_TRUE(WaitForFile(answered, nullptr, kLong)) << "the typed answer did not reach the console";
        fs::remove(answered);
    }
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// The user went on to another application while the program ran: the
// waiting input raises the console but leaves the keys where they are.
TEST(SystemFocus, AWaitingInputLeavesTheKeysWithAnotherApplication)
{
    Home home("input-other", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("o.vdx", "print \"Waiting\";\n"
                                              "f = #0;\n"
                                              "while(f == #0)\n"
                                              "    pause 0.1;\n"
                                              "    f = fopen(\"go.txt\", OPEN_EXIST);\n"
                                              "end\n"
                                              "fclose(f);\n"
                                              "n = 1;\n"
                                              "input \"How many? \", $n;\n"
                                              "if(n == 42)\n"
                                              "    fclose(fopen(\"answered.txt\", CREATE_ALWAYS));\n"
                                              "end\n");
    const fs::path answered = home.root / "answered.txt";
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - o\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(Keys(frame, "ctrl+F5"));
    const unsigned long console = FindWindow("^DEFAULT_CONSOLE - Nerith$");
    ASSERT_NE(console, 0u);
    OtherApplication otherApp("Other application");
    const unsigned long other = FindWindow("^Other application$");
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(ClickTitle(other));
    ASSERT_TRUE(WaitFor([&] { return StackedAbove(other, console); }, 5000 * kSlowdown)) << StackingSeen(other, console);
    { std::ofstream(home.root / "go.txt") << "go\n"; }
    // The input shows: its window comes up above the other application's and
    // asks for the user's attention (fluxbox allows no raise above the
    // window that has the focus: there the attention alone).
    auto attention = [&] {
        const std::vector<uint32_t> state = XServer::Get().Property32((xcb_window_t)console, "_NET_WM_STATE");
        return std::count(state.begin(), state.end(), XServer::Get().Atom("_NET_WM_STATE_DEMANDS_ATTENTION")) > 0;
    };
    EXPECT_TRUE(WaitFor(attention, 10000 * kSlowdown)) << "the console does not ask for attention";
    const char* wm = std::getenv("VELDRA_DESKTOP_WM");
    if (!wm || std::string(wm) != "fluxbox") {
        EXPECT_TRUE(WaitFor([&] { return StackedAbove(console, other); }, 5000 * kSlowdown))
            << StackingSeen(console, other);
    }
    Screenshot("focus-input-other.png");
    // The keys stay with the other application.
    EXPECT_FALSE(WaitFor([&] { return ActiveWindow() != other; }, 2000 * kSlowdown))
        << "the active window is " << ActiveWindow() << ", the console " << console << ", the other " << other;
    ASSERT_TRUE(ClickTitle(console));
    EXPECT_TRUE(WaitFor([&] { return !attention(); }, 5000 * kSlowdown)) << "the console still asks for attention";
    Type("42");
    Key("Return");
    EXPECT_TRUE(WaitForFile(answered, nullptr, kLong)) << "the typed answer did not reach the console";
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

// The window's client area once it has done drawing: two looks in a row agree.
Image Settled(unsigned long window)
{
    Image before = GrabScreen(ClientRect(window));
    WaitFor(
        [&] {
            Image now = GrabScreen(ClientRect(window));
            const bool same = now.Differences(before) == 0;
            before = std::move(now);
            return same;
        },
        10000 * kSlowdown);
    return before;
}

// Two programs, each with its own functions and variables, switched from the
// Window menu: the Functions and Variables windows show what a fresh repaint
// of the frame draws, nothing left of the program behind.
TEST(SystemFocus, TheWindowMenuSwitchesThePanelsWithTheProgram)
{
    Home home("switch-panels", IdeAt(20, 40, 1220, 840));
    const fs::path a = home.Write("a.vdx", "function y = alpha(x)\n"
                                           "    y = x + 1;\n"
                                           "end\n"
                                           "first = alpha(1);\n"
                                           "second = [1, 2, 3];\n"
                                           "fclose(fopen(\"a.done\", CREATE_ALWAYS));\n");
    const fs::path b = home.Write("b.vdx", "function y = beta(x)\n"
                                           "    y = 2 * x;\n"
                                           "end\n"
                                           "function z = widen(x, w = 3)\n"
                                           "    z = x * w;\n"
                                           "end\n"
                                           "third = beta(4);\n"
                                           "fourth = \"some text\";\n"
                                           "fifth = widen(5);\n"
                                           "sixth = [1, 2; 3, 4];\n"
                                           "seventh = 7;\n"
                                           "fclose(fopen(\"b.done\", CREATE_ALWAYS));\n");
    Child ide(home, {a.string(), b.string()});
    const unsigned long frame = FindWindow("^Veldra - b\\.vdx");
    ASSERT_NE(frame, 0u);
    // Each program runs once: its variables fill its list.
    ASSERT_TRUE(Keys(frame, "ctrl+F5"));
    ASSERT_TRUE(WaitForFile(home.root / "b.done", nullptr, kLong));
    Key("alt+w 1");
    ASSERT_TRUE(desktop::WaitTitle(frame, "^Veldra - a\\.vdx$", 5000 * kSlowdown)) << Title(frame);
    ASSERT_TRUE(Keys(frame, "ctrl+F5"));
    ASSERT_TRUE(WaitForFile(home.root / "a.done", nullptr, kLong));
    // The Functions window along the left, the Variables window along the right.
    const Rect whole = ClientRect(frame);
    const std::vector<Rect> panels{Rect{0, 60, 235, 420}, Rect{whole.width - 245, 60, 240, 420}};
    const std::vector<std::pair<std::string, std::string>> switches{
        {"2", "b"}, {"1", "a"}, {"2", "b"}, {"1", "a"}};
    // Pixels that differ in each panel between two looks at the frame.
    auto differing = [&](const Image& one, const Image& two) {
        std::vector<int> n(panels.size(), 0);
        if (!(one.area == two.area)) return std::vector<int>(panels.size(), -1);
        for (size_t i = 0; i < panels.size(); i++)
            for (int y = panels[i].y; y < panels[i].Bottom(); y++)
                for (int x = panels[i].x; x < panels[i].Right(); x++)
                    n[i] += one.At(one.area.x + x, one.area.y + y) != two.At(two.area.x + x, two.area.y + y);
        return n;
    };
    Image before = Settled(frame);
    for (const auto& [key, name] : switches) {
        SCOPED_TRACE("to " + name + ".vdx");
        ASSERT_TRUE(NoMenuShows(ide.Pid()));
        Key("alt+w " + key);
        ASSERT_TRUE(desktop::WaitTitle(frame, "^Veldra - " + name + "\\.vdx$", 5000 * kSlowdown)) << Title(frame);
        // The other program's lists differ: both panels have been drawn anew.
        EXPECT_TRUE(WaitFor(
            [&] {
                const std::vector<int> n = differing(before, GrabScreen(ClientRect(frame)));
                return n[0] != 0 && n[1] != 0;
            },
            5000 * kSlowdown))
            << "the panels still show the other program's lists";
        const Image switched = Settled(frame);
        Screenshot("focus-switch-" + name + ".png");
        // A fresh repaint: the manager makes the frame narrower and gives it its width back.
        const std::string id = std::to_string(frame);
        Xdo("windowsize --sync " + id + " " + std::to_string(whole.width - 60) + " " + std::to_string(whole.height), 10);
        WaitFor([&] { return ClientRect(frame).width == whole.width - 60; }, 5000 * kSlowdown);
        Xdo("windowsize --sync " + id + " " + std::to_string(whole.width) + " " + std::to_string(whole.height), 10);
        ASSERT_TRUE(WaitFor([&] { return ClientRect(frame) == whole; }, 5000 * kSlowdown)) << ClientRect(frame);
        std::vector<int> n;
        const bool same = WaitFor(
            [&] {
                n = differing(switched, GrabScreen(ClientRect(frame)));
                return n[0] == 0 && n[1] == 0;
            },
            10000 * kSlowdown);
        EXPECT_TRUE(same) << "pixels that differ from a fresh repaint: " << n[0] << " in the Functions window, " << n[1]
                          << " in the Variables window";
        if (!same) {
            Screenshot("focus-switch-" + name + "-fresh.png");
            break;
        }
        before = switched;
    }
    EXPECT_TRUE(Keys(frame, "alt+f x"));
    EXPECT_NE(ide.WaitExit(kLong), -1);
}

TEST(SystemFocus, EscapeOutOfAMenuLeavesNoModeBehind)
{
    Home home("menu-escape", IdeAt(20, 40, 1220, 840));
    const fs::path prog = home.Write("e.vdx", "v = 5;\n");
    Child ide(home, {prog.string()});
    const unsigned long frame = FindWindow("^Veldra - e\\.vdx");
    ASSERT_NE(frame, 0u);
    ASSERT_TRUE(Keys(frame, "alt+f"));
    ASSERT_TRUE(WaitPopup(5000 * kSlowdown).has_value()) << "no File menu";
    Key("Escape");
    ASSERT_TRUE(NoMenuShows(ide.Pid()));
    // Nothing holds the pointer: a click reaches whatever lies under it.
    EXPECT_TRUE(PointerFree()) << "the pointer is still held";
    // The desktop's close is taken at once: the program ends.
    CloseThroughManager(frame);
    EXPECT_NE(ide.WaitExit(10000 * kSlowdown), -1) << "the close was not taken";
}

}  // namespace
