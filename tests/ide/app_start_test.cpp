// The IDE's start-up and shutdown: help on the first start, the desktop
// files, dropped files and the recent list, the bar state and the placement
// across restarts, the hidden run's frame, and the frame's command states.
#include <sys/stat.h>
#include "tests/support/open_external_log.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>

#include "ide/shell/child_frame.h"
#include "ide/shell/resources.h"
#include "ide/shell/shell_registration.h"
#include "ide_start_util.h"
#include "platform/backend/headless.h"
#include "platform/afx/settings_file.h"
#include "platform/kernel/library.h"
#include "values/app_settings.h"
#include "values/output_stream.h"

using namespace ide_test;

namespace {

// Pumps, timers included, until done() or the time is up.
bool PumpUntilDone(const std::function<bool()>& done, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        PumpUntilIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A hidden run closes the IDE 700 ms after its programs end, unless a plot
// or console window is still open: a program that leaves a plot window keeps
// the IDE (hidden) however slowly the test goes on.
void HiddenRunProgramKeepsAPlotOpen(const fs::path& configFile, const fs::path& program)
{
    CSettingsFile& store = CSettingsFile::Open(configFile.string());
    store.WriteInt("Settings", "Ver", 4);
    store.WriteString("Settings", "301", std::string(std::getenv("VELDRA_OUT")) + "/bin");
    WriteText(program, "x = 1;\nplot #F (1, 1);\n");
}

// The first visible top-level window of another thread (the plot window).
HWND WaitForAnotherThreadsWindow(HWND frame)
{
    HWND found = nullptr;
    PumpUntilDone(
        [&] {
            for (const VisibleWindow& w : VisibleTopLevelWindows())
                if (w.hwnd != frame && ::GetWindowThreadProcessId(w.hwnd, nullptr) != ::GetCurrentThreadId())
                    found = w.hwnd;
            return found != nullptr;
        },
        30000);
    return found;
}

void ClosePlotWindow(HWND plot)
{
    ::PostMessage(plot, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntilDone([&] { return !::IsWindow(plot); }, 30000));
}

std::string SourceDir()
{
    const char* s = std::getenv("VELDRA_SOURCE");
    return s ? s : ".";
}

struct timespec MTime(const fs::path& p)
{
    struct stat st {};
    stat(p.c_str(), &st);
    return st.st_mtim;
}

bool SameTime(const struct timespec& a, const struct timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

TEST_F(IdeTest, FirstStartOpensTheHelpContentsOnceTheSecondStartNone)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(AfxTakeOpenExternalLog(), (std::vector<std::string>{"file://" + help.string()}));
    EXPECT_EQ(Frame()->GetTitle(), "Veldra");
    Restart();
    EXPECT_TRUE(AfxTakeOpenExternalLog().empty());
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(IdeTest, FirstStartWithoutAHelpPageWarnsInTheOutputBarWithoutABox)
{
    fs::remove(help);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(AfxTakeOpenExternalLog().empty());
    EXPECT_TRUE(BoxTexts().empty()) << "no box before the main window is up";
    const std::string output = Frame()->m_wndOutputBar.m_output.GetWindowText();
    EXPECT_NE(output.find("Warning: Cannot open the help file " + help.string() + "."), std::string::npos) << output;
}

// Without the tests' hook: an xdg-open that finds nothing to show the page
// with, then none at all; each is a warning in the output bar, never a box.
TEST_F(IdeTest, HelpThatCannotBeShownIsAWarningInTheOutputBar)
{
    ASSERT_TRUE(Start());
    AfxTakeOpenExternalLog();
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nexit 3\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    AfxSetOpenExternalHook(nullptr);
    auto output = [&] { return Frame()->m_wndOutputBar.m_output.GetWindowText(); };
    Frame()->SendMessage(WM_COMMAND, ID_HELP_CONTENTS);
    const std::string failed = "Warning: Cannot show the help page " + help.string() + ": nothing opened it.";
    for (int i = 0; i < 500 && output().find(failed) == std::string::npos; ++i) {
        PumpUntilIdle();
        Sleep(10);
    }
    EXPECT_NE(output().find(failed), std::string::npos) << output();
    fs::remove(bin / "xdg-open");
    Frame()->SendMessage(WM_COMMAND, ID_HELP_WEBPAGE);
    EXPECT_NE(output().find("Warning: Cannot show the help: the command xdg-open is missing."), std::string::npos);
    setenv("PATH", oldPath.c_str(), 1);
    InstallOpenExternalLog();
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(IdeTest, DesktopFilesEqualTheFixturesAndAreNotRewrittenWhenEqual)
{
    ASSERT_TRUE(Start({}, true));
    const fs::path desktop = root / "data" / "applications" / "veldra.desktop";
    const fs::path mime = root / "data" / "mime" / "packages" / "veldra.xml";
    std::string expected = ReadText(SourceDir() + "/tests/ide/data/veldra.desktop.in");
    expected.replace(expected.find("@EXE@"), 5, GetProgramPath());
    EXPECT_EQ(ReadText(desktop), expected);
    EXPECT_EQ(ReadText(mime), ReadText(SourceDir() + "/tests/ide/data/veldra.xml"));
    // The icon the entry names is the IDE window's own.
    EXPECT_EQ(ReadText(root / "data" / "icons" / "hicolor" / "48x48" / "apps" / "veldra.png"),
              ReadText(SourceDir() + "/ide/res/ICON128.png"));
    SIZE iconSize{};
    std::vector<uint32_t> icon;
    ASSERT_TRUE(HeadlessGetWindowIcon(Frame()->m_hWnd, &iconSize, &icon)) << "the IDE window has no icon";
    EXPECT_EQ(iconSize.cx, 48);
    EXPECT_EQ(iconSize.cy, 48);
    EXPECT_EQ(icon.front() >> 24, 0u) << "the corner is transparent";
    EXPECT_EQ(icon[24 * 48 + 24] >> 24, 255u) << "the middle is opaque";
    const auto desktopTime = MTime(desktop), mimeTime = MTime(mime);
    Restart({}, true);
    EXPECT_TRUE(SameTime(MTime(desktop), desktopTime));
    EXPECT_TRUE(SameTime(MTime(mime), mimeTime));
    // A changed entry is put right.
    WriteText(desktop, "[Desktop Entry]\nExec=/somewhere/else\n");
    EXPECT_EQ(RegisterShellFiles(GetProgramPath()), 1);
    EXPECT_EQ(ReadText(desktop), expected);
}

TEST_F(IdeTest, DesktopEntryQuotesAProgramPathWithBlanksAndPercent)
{
    const std::string text = DesktopEntryText("/opt/my tools/100%/veldra");
    EXPECT_NE(text.find("Exec=\"/opt/my tools/100%%/veldra\" --hidden-run %f\n"), std::string::npos) << text;
    EXPECT_NE(DesktopEntryText("/a\\b c").find("Exec=\"/a\\\\\\\\b c\" --hidden-run %f\n"), std::string::npos);
}

TEST_F(IdeTest, TwoDroppedFilesOpenTwoDocumentsListedInTheRecentFilesAfterRestart)
{
    const fs::path a = root / "a.vdx", b = root / "b.vdx";
    WriteText(a, "x = 1;\n");
    WriteText(b, "y = 2\n");
    ASSERT_TRUE(Start());
    RECT r;
    ::GetWindowRect(Frame()->m_hWnd, &r);
    InjectDropFiles((r.left + r.right) / 2, (r.top + r.bottom) / 2, {a.string(), b.string()});
    PumpUntilIdle();
    EXPECT_EQ(app->m_pDocManager->GetOpenDocumentCount(), 2);
    EXPECT_EQ(Frame()->Children().size(), 2u);
    Restart();
    EXPECT_EQ(app->m_pRecentFileList->Paths(), (std::vector<std::string>{b.string(), a.string()}));
}

TEST_F(IdeTest, AHiddenCalcBarStaysHiddenAfterRestart)
{
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame()->m_wndCalcBar.IsVisible());
    EXPECT_EQ(Probe(Frame(), ID_VIEW_CALCBAR).checked, 1);
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_CALCBAR);
    PumpUntilIdle();
    EXPECT_FALSE(Frame()->m_wndCalcBar.IsVisible());
    EXPECT_EQ(Probe(Frame(), ID_VIEW_CALCBAR).checked, 0);
    Restart();
    EXPECT_FALSE(Frame()->m_wndCalcBar.IsVisible());
    EXPECT_TRUE(Frame()->m_wndToolBar.IsVisible());
    EXPECT_TRUE(Frame()->OutputBarVisible());
}

TEST_F(IdeTest, ASavedBarStateNamingAnUnknownBarIsIgnored)
{
    ASSERT_TRUE(Start());
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_CALCBAR);
    PumpUntilIdle();
    Close();
    // The same saved state, with one more bar id that no frame has.
    CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
    store.Reload();
    std::vector<uint8_t> ids;
    ASSERT_TRUE(store.GetBinary("Brenholt-Bars", "Ids", ids));
    for (uint8_t v : {0xF0, 0xE8, 0x00, 0x00}) ids.push_back(v);
    ASSERT_TRUE(store.WriteBinary("Brenholt-Bars", "Ids", ids.data(), ids.size()));
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Frame()->VerifyBarState("Brenholt"));
    EXPECT_TRUE(Frame()->m_wndCalcBar.IsVisible());   // the default layout, not the saved one
    EXPECT_TRUE(Frame()->OutputBarVisible());
}

TEST_F(IdeTest, TheWindowPlacementRoundTrips)
{
    ASSERT_TRUE(Start());
    Frame()->MoveWindow(RECT{120, 90, 920, 690});
    Close();
    std::vector<uint8_t> stored;
    CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
    store.Reload();
    ASSERT_TRUE(store.GetBinary("Settings", "Winpos", stored));
    ASSERT_EQ(stored.size(), 44u);
    ASSERT_TRUE(Start());
    RECT r;
    ::GetWindowRect(Frame()->m_hWnd, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 90);
    EXPECT_EQ(r.right, 920);
    EXPECT_EQ(r.bottom, 690);
    EXPECT_TRUE(::IsWindowVisible(Frame()->m_hWnd));
}

TEST_F(IdeTest, HiddenRunKeepsTheFrameHiddenForWarningsAndShowsItAtTheFirstError)
{
    const fs::path a = root / "a.vdx";
    HiddenRunProgramKeepsAPlotOpen(ConfigFile(), a);
    ASSERT_TRUE(Start(IdeCommandLine{{a.string()}, true}));
    HWND frame = Frame()->m_hWnd;
    const HWND plot = WaitForAnotherThreadsWindow(frame);
    ASSERT_TRUE(plot);
    EXPECT_TRUE(IsHiddenRun()) << Frame()->m_wndOutputBar.m_output.GetWindowText();
    EXPECT_FALSE(::IsWindowVisible(frame));
    ReportWarning() << "only a warning";
    PumpUntilIdle();
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_TRUE(IsHiddenRun());
    ReportError() << "a real error";
    PumpUntilIdle();
    EXPECT_TRUE(::IsWindowVisible(frame));
    EXPECT_FALSE(IsHiddenRun());
    EXPECT_TRUE(Frame()->OutputBarVisible());
    ClosePlotWindow(plot);
}

TEST_F(IdeTest, HiddenRunShowsTheFrameAtAnErrorEvenWithAutoOpenOff)
{
    const fs::path a = root / "a.vdx";
    HiddenRunProgramKeepsAPlotOpen(ConfigFile(), a);
    ASSERT_TRUE(Start(IdeCommandLine{{a.string()}, true}));
    const HWND plot = WaitForAnotherThreadsWindow(Frame()->m_hWnd);
    ASSERT_TRUE(plot);
    const bool autoOpen = AppSettings::OutputAutoOpen;
    AppSettings::OutputAutoOpen = false;
    ReportError() << "a real error";
    PumpUntilIdle();
    AppSettings::OutputAutoOpen = autoOpen;
    EXPECT_TRUE(::IsWindowVisible(Frame()->m_hWnd));
    EXPECT_TRUE(Frame()->OutputBarVisible());
    EXPECT_FALSE(IsHiddenRun());
    ClosePlotWindow(plot);
}

TEST_F(IdeTest, HiddenRunWhoseFileCannotBeOpenedShowsTheFrameAndKeepsItShown)
{
    // No "Winpos" yet: the frame must not be hidden again after the error.
    ASSERT_TRUE(Start(IdeCommandLine{{(root / "missing.vdx").string()}, true}));
    TakeMessageBoxLog();
    EXPECT_FALSE(IsHiddenRun());
    EXPECT_TRUE(::IsWindowVisible(Frame()->m_hWnd));
}

TEST_F(IdeTest, HiddenRunStoresTheRecordedShowCommandNotTheHiddenState)
{
    const fs::path a = root / "a.vdx";
    WriteText(a, "x = 1;\n");
    ASSERT_TRUE(Start(IdeCommandLine{{a.string()}, true}));
    Close();
    std::vector<uint8_t> stored;
    CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
    store.Reload();
    ASSERT_TRUE(store.GetBinary("Settings", "Winpos", stored));
    ASSERT_EQ(stored.size(), 44u);
    EXPECT_EQ(stored[8], SW_SHOWNORMAL);
}

TEST_F(IdeTest, FrameCommandStatesWithAndWithoutADocument)
{
    ASSERT_TRUE(Start());
    struct Row {
        UINT id;
        int noDoc, withDoc;   // enabled state; -1: the handler does not touch it
    };
    const Row rows[] = {
        {ID_VIEW_OUTPUT, 1, 1},       {ID_VIEW_EDITOR, 0, 1},      {ID_VIEW_VARIABLES, 0, 1},
        {ID_VIEW_FUNCTIONS, 0, 1},    {ID_VIEW_WATCHER, 0, 0},     {ID_TOOLS_SETTINGS, 1, 1},
        {ID_HELP_CONTENTS, 1, 1},     {ID_HELP_INDEX, 1, 1},       {ID_HELP_WEBPAGE, 1, 1},
        {ID_HELP_F1, 1, 1},           {ID_VIEW_CALCBAR, -1, -1},   {ID_VIEW_OUTPUTBAR, -1, -1},
    };
    for (const Row& r : rows) EXPECT_EQ(Probe(Frame(), r.id).enabled, r.noDoc) << r.id;
    EXPECT_EQ(Probe(Frame(), ID_VIEW_OUTPUTBAR).checked, 1);
    app->OnFileNew();
    PumpUntilIdle();
    ASSERT_NE(Frame()->MDIGetActive(), nullptr);
    for (const Row& r : rows) EXPECT_EQ(Probe(Frame(), r.id).enabled, r.withDoc) << r.id;
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_OUTPUTBAR);
    EXPECT_EQ(Probe(Frame(), ID_VIEW_OUTPUTBAR).checked, 0);
}

TEST_F(IdeTest, ADocumentFillsTheClientAreaAndBringsTheProgramMenu)
{
    ASSERT_TRUE(Start());
    HMENU frameMenu = ::GetMenu(Frame()->m_hWnd);
    app->OnFileNew();
    PumpUntilIdle();
    CMDIChildWnd* child = Frame()->MDIGetActive();
    ASSERT_NE(child, nullptr);
    RECT client, c;
    ::GetClientRect(Frame()->m_hWndMDIClient, &client);
    ::GetWindowRect(child->m_hWnd, &c);
    ::MapWindowPoints(nullptr, Frame()->m_hWndMDIClient, (POINT*)&c, 2);
    EXPECT_EQ(c.right - c.left, client.right);
    EXPECT_EQ(c.bottom - c.top, client.bottom);
    HMENU docMenu = ::GetMenu(Frame()->m_hWnd);
    EXPECT_NE(docMenu, frameMenu);
    char text[32] = {};
    GetMenuString(docMenu, 3, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Program");
    // The frame grows: the child follows.
    Frame()->MoveWindow(RECT{0, 0, 1000, 800});
    PumpUntilIdle();
    ::GetClientRect(Frame()->m_hWndMDIClient, &client);
    ::GetWindowRect(child->m_hWnd, &c);
    EXPECT_EQ(c.bottom - c.top, client.bottom);
    child->SendMessage(WM_CLOSE);
    PumpUntilIdle();
    EXPECT_EQ(::GetMenu(Frame()->m_hWnd), frameMenu);
}

TEST_F(IdeTest, KeyboardPassThroughKeepsKeysFromTheAccelerators)
{
    ASSERT_TRUE(Start());
    app->OnFileNew();
    PumpUntilIdle();
    auto* child = dynamic_cast<CChildFrame*>(Frame()->MDIGetActive());
    ASSERT_NE(child, nullptr);
    child->GetActiveView()->SetFocus();
    auto pumpAsTheLoopDoes = [&] { PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; }); };
    AfxTakeOpenExternalLog();
    InjectKeyStroke(VK_F1);
    pumpAsTheLoopDoes();
    EXPECT_EQ(AfxTakeOpenExternalLog().size(), 1u);   // F1: help
    child->SetKeyboardPassThrough(true);
    InjectKeyStroke(VK_F1);
    pumpAsTheLoopDoes();
    EXPECT_TRUE(AfxTakeOpenExternalLog().empty());
    child->SetKeyboardPassThrough(false);
}

TEST_F(IdeTest, TheCalcBarSharesTheMainToolbarsRowAndTheOutputBarIsAtTheBottom)
{
    ASSERT_TRUE(Start());
    RECT main, calc, out, frame;
    Frame()->m_wndToolBar.GetWindowRect(&main);
    Frame()->m_wndCalcBar.GetWindowRect(&calc);
    Frame()->m_wndOutputBar.GetWindowRect(&out);
    ::GetWindowRect(Frame()->m_hWnd, &frame);
    EXPECT_EQ(calc.top, main.top);
    EXPECT_GE(calc.left, main.right);
    EXPECT_GT(out.top, main.bottom);
    EXPECT_EQ(Frame()->m_wndOutputBar.GetDlgCtrlID(), 134);
    EXPECT_EQ(Frame()->m_wndOutputBar.GetWindowText(), "Output bar");
    // Each command of the toolbars is a button with its image.
    EXPECT_EQ(Frame()->m_wndToolBar.CommandToIndex(ID_FILE_NEW), 0);
    EXPECT_GE(Frame()->m_wndCalcBar.CommandToIndex(ID_PROGRAM_STOP), 0);
}

TEST_F(IdeTest, TheCursorPaneShowsLineAndColumn)
{
    ASSERT_TRUE(Start());
    Frame()->SetCursorPosText(12, 7);
    EXPECT_EQ(Frame()->m_wndStatusBar.GetPaneText(1), "Ln 12, Col 7");
    EXPECT_EQ(Frame()->SendMessage(WM_SETICON, 0, 0), 0);
}

TEST(HelpContexts, MapToTheirTopics)
{
    const struct {
        unsigned context, target;
        const char* fragment;
    } rows[] = {
        {0x20096, 0x20097, "context-20097"}, {0x20097, 0x20097, "context-20097"}, {0x20098, 0x20098, "context-20098"},
        {0x20099, 0x20099, "context-20099"}, {0x2009B, 0x20099, "context-20099"}, {0x2009D, 0x20099, "context-20099"},
        {0x2009E, 0x20099, "context-20099"}, {0x2009F, 0x2009F, "context-2009f"}, {0x200A0, 0x2009F, "context-2009f"},
        {0x200A1, 0x2009F, "context-2009f"}, {0x2009A, 0x20080, ""},              {0x2009C, 0x20080, ""},
        {0x20080, 0x20080, ""},              {0x20081, 0x20080, ""},              {0, 0x20080, ""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(HelpContextTarget(r.context), r.target) << std::hex << r.context;
        EXPECT_EQ(HelpContextFragment(r.context), r.fragment) << std::hex << r.context;
    }
}

TEST_F(IdeTest, KeywordHelpOpensTheWordsAnchorOrWarnsAndOpensThePage)
{
    ASSERT_TRUE(Start());
    AfxTakeOpenExternalLog();
    app->KeywordHelp("sin");
    EXPECT_EQ(AfxTakeOpenExternalLog(), (std::vector<std::string>{"file://" + help.string() + "#sin"}));
    app->KeywordHelp("nosuchword");
    const auto boxes = TakeMessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Identifier or keyword is not find");
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(AfxTakeOpenExternalLog(), (std::vector<std::string>{"file://" + help.string()}));
    // A page in a folder with a blank is opened by its escaped address.
    const fs::path spaced = root / "my help" / "Veldra.html";
    WriteText(spaced, ReadText(help));
    SetHelpFilePath(spaced.string());
    app->KeywordHelp("while");
    EXPECT_EQ(AfxTakeOpenExternalLog(), (std::vector<std::string>{"file://" + root.string() + "/my%20help/Veldra.html#while"}));
    SetHelpFilePath(help.string());
    // Context help of a tool window opens its topic.
    app->WinHelp(0x2009B);
    EXPECT_EQ(AfxTakeOpenExternalLog(), (std::vector<std::string>{"file://" + help.string() + "#context-20099"}));
}

TEST(IdeProgram, WithoutADisplayTheIdeFormsPointToRunAndExit3)
{
    const std::string exe = std::string(std::getenv("VELDRA_OUT")) + "/veldra";
    // No display at all, then one that cannot be opened.
    for (const char* args : {"", " some.vdx", " --hidden-run some.vdx", "@ some.vdx"}) {
        const bool broken = args[0] == '@';
        const std::string env = broken ? "env -u WAYLAND_DISPLAY DISPLAY=:4711 QT_QPA_PLATFORM=xcb VELDRA_HEADLESS=0 "
                                       : "env -u DISPLAY -u WAYLAND_DISPLAY VELDRA_HEADLESS=0 ";
        const std::string cmd = env + exe + (broken ? args + 1 : args) + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::string out;
        char buf[256];
        while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        const int status = pclose(p);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 3) << args;
        EXPECT_NE(out.find("veldra --run FILE.vdx"), std::string::npos) << out;
    }
}

}  // namespace

// A settings file that cannot be written at the end (here: its link leads
// into /proc) is reported; the file behind the link is not touched.
TEST_F(IdeTest, ASettingsFileThatCannotBeWrittenIsReported)
{
    ASSERT_TRUE(Start());
    TakeMessageBoxLog();
    fs::remove(ConfigFile());
    fs::create_symlink("/proc/version", ConfigFile());
    Close();
    bool told = false;
    for (const MessageBoxRecord& b : TakeMessageBoxLog())
        told = told || b.text.rfind("Cannot save the settings to '" + ConfigFile().string() + "': ", 0) == 0;
    EXPECT_TRUE(told);
    EXPECT_TRUE(fs::is_symlink(ConfigFile()));
}
