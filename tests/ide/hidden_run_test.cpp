// The hidden run from start to end: a clean program closes the IDE by itself
// (the real program exits 0); an error of any kind leaves the IDE visible.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "ide_start_util.h"
#include "platform/afx/settings_file.h"

using namespace ide_test;

namespace {

// Pumps, timers included, until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        PumpUntilIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

class HiddenRun : public IdeTest {
protected:
    fs::path Program(const std::string& text)
    {
        const fs::path p = root / "program.vdx";
        WriteText(p, text);
        return p;
    }
    void NotAFirstStart(bool autoOpen)
    {
        CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
        store.WriteInt("Settings", "Ver", 4);
        store.WriteInt("Settings", "100", autoOpen ? 1 : 0);
    }
    // Whether the frame is still there and visible after the run had time to end.
    bool StaysVisible()
    {
        HWND frame = Frame() ? Frame()->m_hWnd : nullptr;
        PumpUntil([] { return false; }, 1800);   // past timer 10 (500 ms) and timer 101 (700 ms)
        return frame && ::IsWindow(frame) && ::IsWindowVisible(frame);
    }
};

TEST_F(HiddenRun, ACleanProgramClosesTheIdeWithoutShowingIt)
{
    ASSERT_TRUE(Start(IdeCommandLine{{Program("x = 1;\ny = x + 1;\n").string()}, true}));
    HWND frame = Frame()->m_hWnd;
    bool everShown = false;
    EXPECT_TRUE(PumpUntil(
        [&] {
            everShown = everShown || (::IsWindow(frame) && ::IsWindowVisible(frame));
            return !::IsWindow(frame);
        },
        5000));
    EXPECT_FALSE(everShown);
}

TEST_F(HiddenRun, ErrorsLeaveTheIdeVisible)
{
    const struct {
        const char* name;
        const char* text;
        bool firstStart;
        bool autoOpen;
    } rows[] = {
        {"runtime error", "x = 1;\nclear x;\nx;\n", false, true},
        {"runtime error, auto open off", "x = 1;\nclear x;\nx;\n", false, false},
        {"syntax error at the first start", "x = (1;\n", true, true},
        {"syntax error, auto open off", "x = (1;\n", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        if (!r.firstStart) NotAFirstStart(r.autoOpen);
        ASSERT_TRUE(Start(IdeCommandLine{{Program(r.text).string()}, true}));
        EXPECT_TRUE(StaysVisible());
        EXPECT_FALSE(IsHiddenRun());
        EXPECT_NE(Frame()->m_wndOutputBar.m_output.GetWindowText().find("Error:"), std::string::npos);
        EXPECT_TRUE(Frame()->OutputBarVisible());
        if (CDocument* doc = Frame()->GetActiveDocument()) doc->SetModifiedFlag(FALSE);
        Close();
        fs::remove_all(root / "config");
        TakeMessageBoxLog();
    }
}

TEST_F(HiddenRun, AStoredPlacementIsUsedWhenAnErrorShowsTheIde)
{
    ASSERT_TRUE(Start());
    Frame()->MoveWindow(RECT{60, 50, 760, 550});
    Close();
    ASSERT_TRUE(Start(IdeCommandLine{{Program("x = 1;\nclear x;\nx;\n").string()}, true}));
    HWND frame = Frame()->m_hWnd;
    EXPECT_TRUE(StaysVisible());
    RECT r;
    ::GetWindowRect(frame, &r);
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.right, 760);
    EXPECT_EQ(r.bottom, 550);
}

TEST_F(HiddenRun, APlotProgramStaysUntilThePlotWindowClosesThenCloses)
{
    CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
    store.WriteInt("Settings", "Ver", 4);
    store.WriteString("Settings", "301", std::string(std::getenv("VELDRA_OUT")) + "/bin");
    ASSERT_TRUE(Start(IdeCommandLine{{Program("o = {points=0.5}; plot circle #F (0, 0, 1, o);\n").string()}, true}));
    HWND frame = Frame()->m_hWnd;
    HWND plot = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            for (const VisibleWindow& w : VisibleTopLevelWindows())
                if (w.hwnd != frame && ::GetWindowThreadProcessId(w.hwnd, nullptr) != ::GetCurrentThreadId()) plot = w.hwnd;
            return plot != nullptr;
        },
        10000));
    // The run is over, the plot window stays: so does the (hidden) IDE.
    PumpUntil([] { return false; }, 1800);
    ASSERT_TRUE(::IsWindow(frame));
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_TRUE(IsHiddenRun());
    ::PostMessage(plot, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(frame); }, 5000));
}

TEST(HiddenRunProgram, ACleanHeadlessHiddenRunExitsZero)
{
    const fs::path dir = fs::path(testing::TempDir()) / ("hidden-exit-" + std::to_string(getpid()));
    fs::remove_all(dir);
    WriteText(dir / "clean.vdx", "a = 2 + 3;\n");
    const std::string exe = std::string(std::getenv("VELDRA_OUT")) + "/veldra";
    const std::string cmd = "cd " + dir.string() + " && VELDRA_HEADLESS=1 VELDRA_CONFIG_HOME=" + (dir / "config").string() +
                            " XDG_DATA_HOME=" + (dir / "data").string() + " timeout 20 " + exe +
                            " --hidden-run clean.vdx >/dev/null 2>&1";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The interactive start wrote its desktop files and the settings.
    EXPECT_TRUE(fs::exists(dir / "data" / "applications" / "veldra.desktop"));
    EXPECT_TRUE(fs::exists(dir / "config" / "Brenholt" / "Veldra.conf"));
    fs::remove_all(dir);
}

}  // namespace
