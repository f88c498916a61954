// End to end in the IDE's mode (not batch): a program's print statements go
// through the real device manager to the real Nerithx.so, and the text is read
// back from the console windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include <unistd.h>

#include "devices/console_statements.h"
#include "devices/device_manager.h"
#include "platform/afx/afx.h"
#include "platform/backend/headless_input.h"
#include "platform/kernel/kernel.h"
#include "platform/controls/controls.h"
#include "platform/user/user.h"
#include "support/device_run.h"

namespace {

std::string RealDeviceFolder()
{
    const char* out = std::getenv("VELDRA_OUT");
    return std::string(out ? out : "build/out") + "/bin";
}

HWND ConsoleView(HWND frame)
{
    struct Ctx {
        HWND found = nullptr;
    } ctx;
    EnumChildWindows(
        frame,
        [](HWND h, LPARAM l) -> BOOL {
            if (GetDlgCtrlID(h) != (int)AFX_IDW_PANE_FIRST) return TRUE;
            reinterpret_cast<Ctx*>(l)->found = h;
            return FALSE;
        },
        (LPARAM)&ctx);
    return ctx.found;
}

std::string Text(HWND view)
{
    const int n = (int)SendMessage(view, WM_GETTEXTLENGTH, 0, 0);
    std::string s((size_t)n + 1, '\0');
    SendMessage(view, WM_GETTEXT, (WPARAM)s.size(), (LPARAM)s.data());
    s.resize(strnlen(s.c_str(), s.size()));
    return s;
}

CHARFORMAT FormatAt(HWND view, long pos)
{
    CHARRANGE cr{(LONG)pos, (LONG)pos + 1};
    SendMessage(view, EM_EXSETSEL, 0, (LPARAM)&cr);
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    SendMessage(view, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
    return cf;
}

std::string Caption(HWND w)
{
    char buf[256] = {};
    GetWindowText(w, buf, sizeof buf);
    return buf;
}

struct ReleaseGuard {
    ~ReleaseGuard() { ConsoleDeviceManager().Release(); }
};

TEST(ConsoleProgram, PrintsGoToTheConsoleWindows)
{
    // Settings of this run alone (read when the library starts).
    const std::string home = "/tmp/veldra-console-program-" + std::to_string(getpid());
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    struct HomeGuard {
        std::string path;
        ~HomeGuard() { std::filesystem::remove_all(path); }
    } homeGuard{home};
    ReleaseGuard guard;
    SetBatchConsole(false);
    DeviceProgramRun r = RunProgramWithDevices(
        "print \"x=\", 1; print :color=\"red\", :bd, \"warn\", :color=\"blue\", \" ok\"; print #second \"other\"; "
        "print [1,2;3,4];",
        30000, false, RealDeviceFolder());
    ASSERT_TRUE(r.finished);
    CIODevice* first = ConsoleDeviceManager().FindDevice("DEFAULT_CONSOLE");
    CIODevice* second = ConsoleDeviceManager().FindDevice("second");
    ASSERT_TRUE(first && second);
    HWND view = ConsoleView(first->Window());
    ASSERT_TRUE(view);
    const std::string text = Text(view);
    ASSERT_EQ(text.substr(0, 12), "x=1\nwarn ok\n") << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(Caption(first->Window()), "DEFAULT_CONSOLE - Nerith");
    EXPECT_EQ(Caption(second->Window()), "second - Nerith");
    EXPECT_EQ(Text(ConsoleView(second->Window())), "other\n");

    CHARFORMAT x = FormatAt(view, 0);
    EXPECT_EQ(x.crTextColor, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_STREQ(x.szFaceName, "Courier New");
    EXPECT_EQ(x.yHeight, 160);
    CHARFORMAT warn = FormatAt(view, 4), ok = FormatAt(view, 9), matrix = FormatAt(view, 13);
    EXPECT_EQ(warn.crTextColor, 0x0000FFu);
    EXPECT_TRUE(warn.dwEffects & CFE_BOLD);
    EXPECT_EQ(ok.crTextColor, 0xFF0000u);
    EXPECT_TRUE(ok.dwEffects & CFE_BOLD);
    EXPECT_EQ(matrix.crTextColor, 0xFF0000u);
    EXPECT_TRUE(matrix.dwEffects & CFE_BOLD);
}

TEST(ConsoleProgram, InputIsTypedIntoTheConsole)
{
    const std::string home = "/tmp/veldra-console-input-" + std::to_string(getpid());
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    struct HomeGuard {
        std::string path;
        ~HomeGuard() { std::filesystem::remove_all(path); }
    } homeGuard{home};
    ReleaseGuard guard;
    SetBatchConsole(false);
    // The user: waits for the console to take input, then types into it.
    std::thread user([] {
        for (int i = 0; i < 2000; ++i) {
            CIODevice* d = ConsoleDeviceManager().FindDevice("DEFAULT_CONSOLE");
            HWND view = d && d->Window() ? ConsoleView(d->Window()) : nullptr;
            if (view && !(GetWindowLongPtr(view, GWL_STYLE) & ES_READONLY)) {
                SetForegroundWindow(d->Window());
                // Typed once the console's thread has given the view the focus.
                const DWORD thread = GetWindowThreadProcessId(view, nullptr);
                for (int k = 0; k < 2000 && FocusOfThread(thread) != view; ++k) Sleep(5);
                InjectText("Bob");
                InjectKeyStroke(VK_RETURN);
                return;
            }
            Sleep(5);
        }
    });
    DeviceProgramRun r = RunProgramWithDevices("input \"Name? \", $N; print :color=\"red\", \"Hello \", N;", 30000,
                                               false, RealDeviceFolder());
    user.join();
    ASSERT_TRUE(r.finished);
    CIODevice* console = ConsoleDeviceManager().FindDevice("DEFAULT_CONSOLE");
    ASSERT_TRUE(console);
    HWND view = ConsoleView(console->Window());
    ASSERT_TRUE(view);
    EXPECT_EQ(Text(view), "Name? Bob\nHello Bob\n");
    EXPECT_EQ(FormatAt(view, 10).crTextColor, 0x0000FFu);
    EXPECT_NE(FormatAt(view, 0).crTextColor, 0x0000FFu);
    std::string mirror;
    for (const auto& m : r.messages) mirror += m + "|";
    EXPECT_NE(mirror.find("Name? Bob"), std::string::npos) << mirror;
    EXPECT_NE(mirror.find("Hello Bob"), std::string::npos) << mirror;
}

TEST(ConsoleProgram, StopEndsAWaitingInput)
{
    const std::string home = "/tmp/veldra-console-stop-" + std::to_string(getpid());
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    struct HomeGuard {
        std::string path;
        ~HomeGuard() { std::filesystem::remove_all(path); }
    } homeGuard{home};
    ReleaseGuard guard;
    SetBatchConsole(false);
    // Nobody types: the run is stopped once the input waits with its prompt shown.
    auto waiting = [] {
        CIODevice* d = ConsoleDeviceManager().FindDevice("DEFAULT_CONSOLE");
        HWND v = d && d->Window() ? ConsoleView(d->Window()) : nullptr;
        return v && !(GetWindowLongPtr(v, GWL_STYLE) & ES_READONLY) && Text(v).find("v? ") == 0;
    };
    DeviceProgramRun r = RunProgramWithDevices("N = 5; input \"v? \", $N; print \"after\";", 60000, false,
                                               RealDeviceFolder(), waiting);
    EXPECT_FALSE(r.finished) << "the input did not wait";
    std::string mirror;
    for (const auto& m : r.messages) mirror += m + "|";
    EXPECT_NE(mirror.find("INVALID"), std::string::npos) << mirror;
    EXPECT_EQ(mirror.find("after"), std::string::npos) << mirror;
    CIODevice* console = ConsoleDeviceManager().FindDevice("DEFAULT_CONSOLE");
    ASSERT_TRUE(console);
    HWND view = ConsoleView(console->Window());
    ASSERT_TRUE(view);
    EXPECT_EQ(Text(view), "v? \n");
    EXPECT_TRUE(GetWindowLongPtr(view, GWL_STYLE) & ES_READONLY);
}

}  // namespace
