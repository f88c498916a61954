// The plot device library driven as the program drives it: CreateApp, Start,
// device messages, Close and DeleteApp, headless, through the fake host.
#include <dlfcn.h>
#include "tests/support/common_dialog_script.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "platform/afx/afx.h"
#include "platform/backend/headless.h"
#include "platform/controls/controls.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/long_waits.h"
#include "platform/backend/headless_input.h"
#include "platform/gdi/gdi.h"
#include "platform/user/clipboard.h"
#include "platform/user/message_box.h"
#include "platform/user/user.h"
#include "devices/device_protocol.h"
#include "plot_device/quorra_resources.h"
#include "support/fake_plot_host.h"
#include "values/value_matrix.h"
#include "tests/support/windows.h"
#include "devices/framework/device_framework.h"
#include "plot_device/main_frame.h"
#include "tests/plot_device/plot_inspect.h"

namespace {

// Long enough for a sanitizer build on a loaded machine; a wait ends at its event.
constexpr int kWait = 30000;


// Shortened long waits for one test.
class ScopedDeviceTest {
public:
    explicit ScopedDeviceTest(double scale = 0.1) { SetLongWaitScale(scale); }
    ~ScopedDeviceTest() { SetLongWaitScale(1); }
};

// Whether the frame's first activation is still to come (on its thread).
bool FirstActivationPending(HWND frame)
{
    return ReadOnWindowThread<bool>(frame, [&] {
        return static_cast<CMainFrame*>(CWnd::FromHandlePermanent(frame))->m_bFirstActivation != FALSE;
    });
}

bool ThreadEnded(HANDLE thread) { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }



// A started device window; closed and deleted at the end of the scope.
struct Device {
    CFakePlotHost& host;
    CDeviceLink* link = nullptr;
    HANDLE thread = nullptr;
    Device(CFakePlotHost& h, bool start = true) : host(h)
    {
        thread = host.Create(&link);
        if (thread && start) link->Start();
    }
    ~Device()
    {
        if (link) {
            if (link->threadHandle && IsThreadAlive(link->threadHandle)) link->Close();
            host.Delete(link);
        }
    }
    HWND Frame() const { return link->mainWindow; }
    // File Open of a figure of tests/plot_device/data through the scripted dialog.
    void OpenDataFile(const char* name)
    {
        CommonDialogAnswer answer;
        answer.paths = {(std::filesystem::path(std::getenv("VELDRA_SOURCE")) / "tests/plot_device/data" / name).string()};
        PushCommonDialogAnswer(answer);
        link->Send(WM_COMMAND, ID_FILE_OPEN, 0);
    }
};

// A frame's bar found by its child id: the bar window and the common
// control inside it.
struct BarWindows {
    HWND bar = nullptr;
    HWND ctrl = nullptr;
};
BarWindows FindBar(HWND frame, UINT id)
{
    std::vector<HWND> all;
    EnumChildWindows(
        frame,
        [](HWND h, LPARAM l) {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            return TRUE;
        },
        (LPARAM)&all);
    BarWindows out;
    for (HWND h : all)
        if ((UINT)GetDlgCtrlID(h) == id) {
            if (!out.bar) out.bar = h;
            else if (GetParent(h) == out.bar) out.ctrl = h;
        }
    return out;
}

// True while a window of the frame still has something to paint.
bool PaintPending(HWND top)
{
    if (GetUpdateRect(top, nullptr, FALSE)) return true;
    bool pending = false;
    EnumChildWindows(
        top,
        [](HWND h, LPARAM p) -> BOOL {
            if (!GetUpdateRect(h, nullptr, FALSE)) return TRUE;
            *reinterpret_cast<bool*>(p) = true;
            return FALSE;
        },
        (LPARAM)&pending);
    return pending;
}

// Waits until the device thread has painted what it was asked to: nothing
// left to paint, and a send answered after that (sends are served between
// messages, never inside a paint).
bool WaitForPaints(HWND top)
{
    return PumpUntil(
        [&] {
            if (PaintPending(top)) return false;
            SendMessage(top, WM_NULL, 0, 0);
            return !PaintPending(top);
        },
        kWait);
}

std::string PaneText(HWND statusCtrl, int part)
{
    char buf[256] = {};
    SendMessage(statusCtrl, SB_GETTEXT, (WPARAM)part, (LPARAM)buf);
    return buf;
}

void SaveFramePng(HWND frame, const char* name)
{
    InvalidateRect(frame, nullptr, TRUE);
    EXPECT_TRUE(WaitForPaints(frame));
    const char* out = std::getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(HeadlessSavePng(frame, (dir / name).string()));
}

TEST(PlotDeviceFramework, LoadsCreatesStartsAndCloses)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    ASSERT_TRUE(host.Loaded()) << CFakePlotHost::StagedPlotDevice();
    EXPECT_TRUE(host.initDllResult);
    // Only the three exports are visible; the framework and the frame are not.
    void* module = dlopen(CFakePlotHost::StagedPlotDevice().c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(dlsym(module, "DeleteApp"), nullptr);
    EXPECT_EQ(dlsym(module, "_Z16TheDeviceProfilev"), nullptr);
    EXPECT_EQ(dlsym(module, "_ZN16CDeviceAppThread5CloseEv"), nullptr);
    dlclose(module);

    CDeviceLink* link = nullptr;
    HANDLE thread = host.Create(&link, 5);
    ASSERT_NE(thread, nullptr);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->threadHandle, thread);
    EXPECT_NE(link->threadId, 0u);
    ASSERT_TRUE(IsWindow(link->mainWindow));
    EXPECT_FALSE(IsWindowVisible(link->mainWindow)) << "hidden until Start";
    EXPECT_EQ(GetWindowThreadProcessId(link->mainWindow, nullptr), link->threadId);

    link->Start();
    HWND frame = link->mainWindow;
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(frame) != FALSE; }));
    EXPECT_EQ(link->Send(WM_DEVICE_PING, 0, 0), 1);
    EXPECT_TRUE(PostMessage(frame, WM_DEVICE_BREAK, 0, 0));
    EXPECT_EQ(SendMessage(frame, WM_DEVICE_PING, 0, 0), 1);
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(plot_inspect::NewCount(frame), 1) << "one new document";

    EXPECT_EQ(link->Close(), 1);
    EXPECT_TRUE(ThreadEnded(thread));
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(host.destroyed.load(), 1);
    EXPECT_EQ(host.Delete(link), 0);
    EXPECT_EQ(host.Delete(nullptr), 0);
    EXPECT_TRUE(host.stream.Snapshot().empty());
}

TEST(PlotDeviceFramework, CloseBeforeStartAndAfterTheWindowIsGone)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    {
        Device d(host, false);
        ASSERT_NE(d.thread, nullptr);
        // Waiting for Start, the thread still answers what is sent to it.
        EXPECT_EQ(d.link->Send(WM_DEVICE_PING, 0, 0), 1);
        EXPECT_FALSE(IsWindowVisible(d.link->mainWindow));
        EXPECT_EQ(d.link->Close(), 1);
        EXPECT_TRUE(ThreadEnded(d.thread));
        // A link handed back starts a new thread for the same object.
        CDeviceLink* same = d.link;
        d.thread = host.Create(&d.link);
        ASSERT_NE(d.thread, nullptr);
        EXPECT_EQ(d.link, same);
        EXPECT_TRUE(IsWindow(d.link->mainWindow));
        d.link->Start();
        EXPECT_EQ(d.link->Close(), 1);
        EXPECT_TRUE(ThreadEnded(d.thread));
    }
    {
        // The window goes first; Close still ends the thread and leaves no
        // quit in the caller's queue.
        Device d(host);
        ASSERT_NE(d.thread, nullptr);
        d.link->Send(WM_CLOSE, 0, 0);
        EXPECT_FALSE(IsWindow(d.link->mainWindow));
        EXPECT_EQ(d.link->Close(), 1);
        EXPECT_TRUE(ThreadEnded(d.thread));
        MSG msg;
        EXPECT_FALSE(PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
}

TEST(PlotDeviceFramework, CallersQuitSurvivesClose)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    PostQuitMessage(7);
    EXPECT_EQ(d.link->Close(), 1);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(PlotDeviceFramework, FailingInitInstanceKeepsTheLink)
{
    // The window's start fails for real: the link handed back once more
    // asks for a plot file that cannot be read.
    ScopedDeviceTest scope;
    CFakePlotHost host;
    CDeviceLink* link = nullptr;
    ASSERT_NE(host.Create(&link), nullptr);
    link->Start();
    ASSERT_EQ(link->Close(), 1);
    static_cast<CDeviceAppThread*>(link)->startDocument = "/nonexistent/veldra-missing.qra";
    EXPECT_EQ(host.Create(&link), nullptr);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->mainWindow, nullptr);
    EXPECT_EQ(host.Delete(link), 0);
    ClearMessageBoxAnswers();
    TakeMessageBoxLog();
}

// A frame that refuses WM_CLOSE and, the first time, keeps its thread busy
// in the handler long after the host gave up: the frame's procedure wrapped
// by the test.
WNDPROC g_frameProc = nullptr;
std::atomic<bool> g_stalled{false};
LRESULT StubbornFrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        if (!g_stalled.exchange(true)) Sleep(600);
        return 0;
    }
    return CallWindowProc(g_frameProc, hwnd, msg, wParam, lParam);
}

TEST(PlotDeviceFramework, AbandonedThreadOutlivesDeleteApp)
{
    // The frame refuses WM_CLOSE: Close re-posts it each slice, gives up
    // with -1, and the abandoned thread wakes after DeleteApp has run.
    ScopedDeviceTest scope(0.02);
    CFakePlotHost host;
    CDeviceLink* link = nullptr;
    HANDLE thread = host.Create(&link);
    ASSERT_NE(thread, nullptr);
    g_stalled = false;
    g_frameProc = (WNDPROC)GetWindowLongPtr(link->mainWindow, GWLP_WNDPROC);
    SetWindowLongPtr(link->mainWindow, GWLP_WNDPROC, (LONG_PTR)StubbornFrameProc);
    link->Start();
    HANDLE watch = DuplicateHandle(thread);
    EXPECT_EQ(link->Close(), -1);
    EXPECT_EQ(host.Delete(link), 0);
    EXPECT_TRUE(PumpUntil([&] { return HasThreadFinished(watch) != FALSE; }));
    CloseHandle(watch);
    EXPECT_EQ(host.destroyed.load(), 0) << "no callback after DeleteApp";
}

TEST(PlotDeviceFramework, TwoWindowsDoNotBlockEachOther)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device a(host), b(host);
    ASSERT_NE(a.thread, nullptr);
    ASSERT_NE(b.thread, nullptr);

    PostMessage(a.link->mainWindow, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (about = FindThreadWindow(a.link->threadId, "About Quorra", false)) != nullptr; }));

    EXPECT_EQ(b.link->Send(WM_DEVICE_PING, 0, 0), 1);
    b.link->Send(WM_COMMAND, ID_FILE_NEW, 0);
    EXPECT_EQ(plot_inspect::NewCount(b.Frame()), 2);
    EXPECT_EQ(plot_inspect::NewCount(a.Frame()), 1);

    b.link->Send(WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_TRUE(PumpUntil([&] { return ThreadEnded(b.thread); }));
    EXPECT_TRUE(IsWindow(a.link->mainWindow));
    EXPECT_TRUE(IsWindow(about));

    // The first WM_CLOSE ends the dialog, a later one the frame.
    EXPECT_EQ(a.link->Close(), 1);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(host.destroyed.load(), 2);
}

// Two host threads plot into two device windows at once; each window's
// figure gets every plane and draws it.
TEST(PlotDeviceFramework, TwoThreadsPlotIntoTwoWindowsAtOnce)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device a(host), b(host);
    ASSERT_NE(a.thread, nullptr);
    ASSERT_NE(b.thread, nullptr);
    auto plot = [](CDeviceLink* link) {
        PlotExprItem item;
        CValueMatrix& m = item.value.MakeMatrix(1, 3);
        for (int i = 0; i < 3; i++) m.Cell(0, i) = CValue(double(i * i));
        PlotExprItem* items[1] = {&item};
        PlotSeriesRecord series;
        series.items = items;
        series.itemCount = 1;
        PlotSeriesRecord* list[1] = {&series};
        PlotCommandText text;
        text.figure = "T";
        text.series = list;
        text.seriesCount = 1;
        for (int i = 0; i < 6; i++) {
            PlotCommandPosition pos{-1, -1, -1, (uint32_t)(i % 2)};
            EXPECT_EQ(link->Send(WM_PLOT_COMMAND, (WPARAM)&pos, (LPARAM)&text), 0);
        }
        PlotCommandPosition pos{-1, -1, -1, 0};
        text.command = "foo";
        EXPECT_EQ(link->Send(WM_PLOT_COMMAND, (WPARAM)&pos, (LPARAM)&text), 10);
    };
    std::thread ta(plot, a.link), tb(plot, b.link);
    ta.join();
    tb.join();
    // The last plot was held: its objects arrive when the hold timer fires.
    const plot_inspect::Counts six{6, 6};
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::PlanesAndObjects(a.Frame()) == six && plot_inspect::PlanesAndObjects(b.Frame()) == six; }, kWait));
    EXPECT_EQ(WindowText(a.link->mainWindow).rfind("T", 0), 0u);
    // A plane's read-out lands in the second pane of its own window only.
    plot_inspect::ReadOutFirstPlane(a.Frame());
    EXPECT_EQ(PaneText(FindBar(a.link->mainWindow, 0xE801).ctrl, 1), "x=1.5  y=2");
    EXPECT_EQ(PaneText(FindBar(b.link->mainWindow, 0xE801).ctrl, 1), "");
    SaveFramePng(a.link->mainWindow, "plot_frame_figure.png");
}

std::vector<std::string> MenuTexts(HMENU menu, const std::string& indent = "")
{
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char buf[128] = {};
        GetMenuString(menu, (UINT)i, buf, sizeof buf, MF_BYPOSITION);
        out.push_back(indent + (buf[0] ? buf : "-"));
        if (HMENU sub = GetSubMenu(menu, i)) {
            auto inner = MenuTexts(sub, indent + "  ");
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return out;
}

TEST(PlotDeviceFrame, MenusBarsAndFirstActivation)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    HWND frame = d.link->mainWindow;

    const std::vector<std::string> expected = {
        "&File", "  &New\tCtrl+N", "  &Open...\tCtrl+O", "  &Save\tCtrl+S", "  Save &As...", "  -",
        "  &Print...\tCtrl+P", "  Print Pre&view", "  P&rint Setup...", "  -", "  Recent File", "  -", "  E&xit",
        "&Edit", "  &Copy\tCtrl+C",
        "&View", "  &Toolbar", "  &Status Bar",
        "&Plot", "  &Select", "  &Edit", "  &Scale", "  -", "  Zoom &In", "  Zoom &Out", "  -", "  &Properties...",
        "&Tools", "  &Autoplane", "  -", "  &Pointer", "  &Clear all Pointers",
        "&Help", "  &About Quorra...",
    };
    HMENU menu = GetMenu(frame);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(menu), expected);
    EXPECT_EQ(WindowText(frame), "Untitled - Quorra");

    // The bars: a docked toolbar of 22 buttons and 6 separators at the top,
    // the five panes at the bottom; both shown, each toggled by its View command.
    // The frame shows itself on its own thread once it is made.
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::VisibleBars(d.Frame()) == 3; }, kWait)) << plot_inspect::VisibleBars(d.Frame());
    const BarWindows tool = FindBar(frame, 0xE800), status = FindBar(frame, 0xE801);
    ASSERT_TRUE(tool.bar && tool.ctrl && status.bar && status.ctrl);
    EXPECT_EQ(SendMessage(tool.ctrl, TB_BUTTONCOUNT, 0, 0), 28);
    RECT button{}, toolRect{}, statusRect{}, frameClient{};
    ASSERT_TRUE(SendMessage(tool.ctrl, TB_GETITEMRECT, 0, (LPARAM)&button));
    EXPECT_GE(button.bottom - button.top, 19);
    EXPECT_GE(button.right - button.left, 19);
    GetWindowRect(tool.bar, &toolRect);
    GetWindowRect(status.bar, &statusRect);
    GetClientRect(frame, &frameClient);
    POINT origin{0, 0};
    ClientToScreen(frame, &origin);
    EXPECT_EQ(toolRect.top, origin.y);
    EXPECT_EQ(statusRect.bottom, origin.y + frameClient.bottom);
    EXPECT_EQ(SendMessage(status.ctrl, SB_GETPARTS, 0, 0), 5);
    // The message pane stretches; the read-out and the three key panes
    // (empty while their key is off) keep their widths.
    int rights[5] = {};
    SendMessage(status.ctrl, SB_GETPARTS, 5, (LPARAM)rights);
    EXPECT_EQ(rights[1] - rights[0], 200);
    for (int i = 2; i < 4; ++i) EXPECT_GT(rights[i] - rights[i - 1], 10) << i;
    EXPECT_EQ(PaneText(status.ctrl, 0), "Ready");
    // The key panes are cleared by the device thread's first idle update,
    // which may not have run yet.
    for (int i = 0; i < 1000 && PaneText(status.ctrl, 2) != ""; ++i) Sleep(10);
    EXPECT_EQ(PaneText(status.ctrl, 2), "");
    SaveFramePng(frame, "plot_frame_bars.png");
    d.link->Send(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_EQ(plot_inspect::VisibleBars(d.Frame()), 2);
    EXPECT_FALSE(IsWindowVisible(tool.bar));
    EXPECT_TRUE(IsWindowVisible(status.bar));
    d.link->Send(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_EQ(plot_inspect::VisibleBars(d.Frame()), 0);
    d.link->Send(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    EXPECT_EQ(plot_inspect::VisibleBars(d.Frame()), 1);

    // The first activation made the client area s - oh wide and s high.
    EXPECT_FALSE(FirstActivationPending(d.Frame()));
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(frame, &wp));
    RECT client;
    GetClientRect(frame, &client);
    const RECT n = wp.rcNormalPosition;
    const int oh = (n.bottom - n.top) - client.bottom;
    EXPECT_EQ(client.bottom - client.right, oh);
    // A later activation (File New shows the frame again) keeps it.
    d.link->Send(WM_COMMAND, ID_FILE_NEW, 0);
    WINDOWPLACEMENT again{};
    again.length = sizeof again;
    ASSERT_TRUE(GetWindowPlacement(frame, &again));
    EXPECT_EQ(again.rcNormalPosition.right - again.rcNormalPosition.left, n.right - n.left);
    EXPECT_EQ(again.rcNormalPosition.bottom - again.rcNormalPosition.top, n.bottom - n.top);

    // Device messages without a figure yet: accepted, nothing changes.
    EXPECT_EQ(d.link->Send(WM_PLOT_SET, 0, 0), 0);
    EXPECT_EQ(d.link->Send(WM_PLOT_DIM, 0, 400 | (300 << 16)), 0);
    EXPECT_EQ(d.link->Send(WM_PLOT_BOUNDS, 0, 0), 0);
}

TEST(PlotDeviceResources, ToolbarPanesAndPrompts)
{
    CResourceTable table;
    RegisterQuorraResources(table);
    AfxToolbarResource tb;
    ASSERT_TRUE(table.FindToolbar(IDR_MAINFRAME, tb));
    EXPECT_EQ(tb.width, 19);
    EXPECT_EQ(tb.height, 19);
    std::vector<int> separatorsAfter;
    int buttons = 0;
    for (UINT id : tb.buttons) {
        if (id == 0) separatorsAfter.push_back(buttons);
        else ++buttons;
    }
    EXPECT_EQ(buttons, 22);
    EXPECT_EQ(separatorsAfter, (std::vector<int>{4, 5, 8, 15, 19, 21}));

    // The status-bar text, then the short text (the tool tip).
    struct Case {
        UINT id;
        const char* statusText;
        const char* shortText;
    };
    const Case cases[] = {{ID_FILE_NEW, "New", "New"},
                          {ID_ZOOM_IN, "Zoom in plane(s)", "Zoom In"},
                          {ID_ZOOM_FIT, "Zoom plane(s) to fit size(s)", "Zoom To Fit"},
                          {ID_ZOOM_IN_X, "Zoom in plane(s) of X-axis", "Zoom In of X-axis"},
                          {ID_ZOOM_OUT_Y, "Zoom out plane(s) of Y-axis", "Zoom Out of Y-axis"},
                          {ID_OPEN_RIGHT, "Open right area of a selected plane(s)", "Open Right"},
                          {ID_POINTER_ADD, "Add pointer to the plane", "Add Pointer"},
                          {ID_POINTERS_CLEAR, "Clear all pointers from a selected planes", "Clear All Pointers"},
                          {ID_VIEW_STATUS_BAR, "Toggle StatusBar", "Toggle StatusBar"},
                          {ID_EDIT_POINTER_DELETE, "Delete the selected pointer", "Delete Pointer"}};
    for (const Case& c : cases) {
        std::string text;
        ASSERT_TRUE(table.FindString(c.id, text)) << c.id;
        EXPECT_EQ(text, std::string(c.statusText) + "\n" + c.shortText);
    }
    for (UINT id : tb.buttons) {
        std::string text;
        if (id) {
            EXPECT_TRUE(table.FindString(id, text)) << id;
        }
    }
    std::string doc;
    ASSERT_TRUE(table.FindString(IDR_MAINFRAME, doc));
    EXPECT_EQ(doc, "Quorra\nGraph\nQuorra\nQuorra Files (*.qra)\n.qra\nQuorra.Document\nQuorra Document");

    const std::vector<UINT> panes(kQuorraStatusPanes, kQuorraStatusPanes + 5);
    EXPECT_EQ(panes, (std::vector<UINT>{0, 0, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}));
    std::string cap;
    EXPECT_TRUE(table.FindString(ID_INDICATOR_SCRL, cap));
    EXPECT_EQ(cap, "SCRL");

    const CDialogTemplate* about = table.FindDialog(IDD_ABOUTBOX);
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(about->caption, "About Quorra");
    HACCEL accel = table.LoadAccelerators(IDR_MAINFRAME);
    EXPECT_NE(accel, nullptr);
    if (accel) DestroyAcceleratorTable(accel);
}

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(PlotDeviceSettings, RecentFilesOfTwoThreadsWrittenOnceAndNeverInBatch)
{
    ScopedDeviceTest scope;
    const std::filesystem::path data = std::filesystem::path(std::getenv("VELDRA_SOURCE")) / "tests/plot_device/data";
    const std::filesystem::path home = std::filesystem::temp_directory_path() / ("quorra-mru-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    const char* oldHome = std::getenv("VELDRA_CONFIG_HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    const std::filesystem::path conf = home / "Brenholt/Quorra.conf";
    {
        CFakePlotHost host;
        Device a(host), b(host);
        ASSERT_NE(a.thread, nullptr);
        ASSERT_NE(b.thread, nullptr);
        // The library's list was read when it loaded, from the suite's shared
        // settings (earlier tests and runs may have filled it): empty here.
        RunOnWindowThread(a.Frame(), [] {
            CRecentFileList* list = AfxGetApp() ? AfxGetApp()->m_pRecentFileList : nullptr;
            while (list && !list->Get(0).empty()) list->Remove(0);
        });
        for (auto [device, file] : {std::pair{&a, "a.qra"}, std::pair{&b, "b.qra"}}) {
            CommonDialogAnswer answer;
            answer.paths = {(data / file).string()};
            PushCommonDialogAnswer(answer);
            device->link->Send(WM_COMMAND, ID_FILE_OPEN, 0);
        }
        EXPECT_FALSE(std::filesystem::exists(conf)) << "written when the threads end";
        EXPECT_EQ(a.link->Close(), 1);
        EXPECT_EQ(b.link->Close(), 1);
    }
    std::string golden = ReadFile(data / "recent_files.conf");
    for (size_t at; (at = golden.find("@DATA@")) != std::string::npos;) golden.replace(at, 6, data.string());
    // The list is the library's, loaded once per process: files that earlier
    // tests of this process opened may follow the two opened here.
    const std::string written = ReadFile(conf);
    EXPECT_EQ(written.substr(0, golden.size()), golden);
    EXPECT_EQ(written.find("File5="), std::string::npos) << written;

    // A batch run writes nothing.
    std::filesystem::remove(conf);
    CSettingsFile::SetWriteProtected(true);
    {
        CFakePlotHost host;
        Device a(host);
        ASSERT_NE(a.thread, nullptr);
        CommonDialogAnswer answer;
        answer.paths = {(data / "b.qra").string()};
        PushCommonDialogAnswer(answer);
        a.link->Send(WM_COMMAND, ID_FILE_OPEN, 0);
        EXPECT_EQ(a.link->Close(), 1);
    }
    CSettingsFile::SetWriteProtected(false);
    EXPECT_FALSE(std::filesystem::exists(conf));
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
    setenv("VELDRA_CONFIG_HOME", savedHome.c_str(), 1);
    std::filesystem::remove_all(home);
}


// Opening and saving plot files through the window's own commands: a refused
// file keeps the figure and its path, a failed save keeps the old file, and
// closing never asks to save.
TEST(PlotDeviceFile, OpenSaveAndRefusedFiles)
{
    ScopedDeviceTest scope;
    const std::filesystem::path data = std::filesystem::path(std::getenv("VELDRA_SOURCE")) / "tests/plot_device/data";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quorra-files-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string good = (data / "two_planes.qra").string();
    const std::string golden = ReadFile(good);
    ClearMessageBoxAnswers();
    TakeMessageBoxLog();
    auto command = [](Device& d, UINT id, const std::string& path) {
        CommonDialogAnswer answer;
        answer.paths = {path};
        PushCommonDialogAnswer(answer);
        d.link->Send(WM_COMMAND, id, 0);
    };
    {
        CFakePlotHost host;
        Device d(host);
        ASSERT_NE(d.thread, nullptr);
        command(d, ID_FILE_OPEN, good);
        EXPECT_EQ(plot_inspect::Planes(d.Frame()), 2);
        EXPECT_EQ(plot_inspect::PathName(d.Frame()), good);
        EXPECT_EQ(plot_inspect::ViewWidth(d.Frame()), 640);
        EXPECT_TRUE(TakeMessageBoxLog().empty());
        // The window goes back to the saved placement.
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        ASSERT_TRUE(GetWindowPlacement(d.link->mainWindow, &wp));
        const RECT& n = wp.rcNormalPosition;
        EXPECT_EQ(std::vector<LONG>({n.left, n.top, n.right, n.bottom}), std::vector<LONG>({40, 50, 470, 520}));

        // Refused: bad magic, a truncated body, a row past the grid.
        std::vector<std::string> bad = {golden.substr(0, 100), golden, golden};
        bad[1][47] = 'x';
        bad[2][63 + 16] = 0x21;
        bad[2][63 + 17] = 0x03;  // row 801
        for (size_t i = 0; i < bad.size(); i++) {
            SCOPED_TRACE(i);
            const std::string path = (dir / ("bad" + std::to_string(i) + ".qra")).string();
            std::ofstream(path, std::ios::binary) << bad[i];
            command(d, ID_FILE_OPEN, path);
            auto log = TakeMessageBoxLog();
            ASSERT_EQ(log.size(), 1u);
            EXPECT_EQ(log[0].text, "Failed to read a quorra file");
            EXPECT_EQ(plot_inspect::Planes(d.Frame()), 2);
            EXPECT_EQ(plot_inspect::PathName(d.Frame()), good);
            EXPECT_EQ(plot_inspect::ViewWidth(d.Frame()), 640);
        }

        // Save As writes the figure after the window's own placement.
        const std::string saved = (dir / "saved.qra").string();
        command(d, ID_FILE_SAVE_AS, saved);
        EXPECT_TRUE(TakeMessageBoxLog().empty());
        // (The window lays the planes out again, and tick counts follow its drawing.)
        const std::string written = ReadFile(saved);
        EXPECT_EQ(written.size(), golden.size());
        EXPECT_EQ(written.substr(44, 19), golden.substr(44, 19));

        // Into a folder that is not there: the write message.
        command(d, ID_FILE_SAVE_AS, (dir / "missing" / "x.qra").string());
        auto log = TakeMessageBoxLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].text, "Failed to write a quorra file");
        EXPECT_EQ(plot_inspect::PathName(d.Frame()), saved);

        // The largest figure: its copy's picture offer stays within the pixel cap.
        std::string big = golden;
        const int32_t side = 32767;
        std::memcpy(&big[51], &side, 4);
        std::memcpy(&big[55], &side, 4);
        const std::string bigPath = (dir / "big.qra").string();
        std::ofstream(bigPath, std::ios::binary) << big;
        command(d, ID_FILE_OPEN, bigPath);
        EXPECT_EQ(plot_inspect::ViewWidth(d.Frame()), 32767);
        ResetClipboardForTest();
        d.link->Send(WM_COMMAND, ID_EDIT_COPY, 0);
        EXPECT_TRUE(TakeMessageBoxLog().empty());
        ASSERT_TRUE(OpenClipboard(nullptr));
        std::string png;
        ASSERT_TRUE(GetEnhMetaFilePng((HENHMETAFILE)GetClipboardData(CF_ENHMETAFILE), &png));
        EXPECT_TRUE(CloseClipboard());
        ResetClipboardForTest();
        ASSERT_GT(png.size(), 24u);
        auto be32 = [&](size_t at) {
            return (uint32_t)(uint8_t)png[at] << 24 | (uint32_t)(uint8_t)png[at + 1] << 16 | (uint32_t)(uint8_t)png[at + 2] << 8 |
                   (uint8_t)png[at + 3];
        };
        EXPECT_LE((uint64_t)be32(16) * be32(20), 4096ull * 4096ull);

        EXPECT_EQ(d.link->Close(), 1);
        EXPECT_TRUE(TakeMessageBoxLog().empty()) << "closing never asks to save";
    }
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
    std::filesystem::remove_all(dir);
}


// The view driven with injected input on a 2x2 figure read from a file.
TEST(PlotDeviceView, SelectZoomAndPanPlanes)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("run_kinds_2x2_K.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 4);
    // The plane's x limits in thousandths.
    auto xLimits = [&](int plane) {
        const plot_inspect::Limits l = plot_inspect::XLimits(d.Frame(), (size_t)plane);
        return std::pair<int, int>((int)std::lround(l.xmin * 1000), (int)std::lround(l.xmax * 1000));
    };
    auto centre = [&](int plane) { return plot_inspect::PlaneCentre(d.Frame(), (size_t)plane); };
    auto limitsOf = [&] {
        std::vector<std::pair<int, int>> out;
        for (int i = 0; i < 4; i++) out.push_back(xLimits(i));
        return out;
    };
    EXPECT_EQ(plot_inspect::SelectedPlane(d.Frame()), 0);

    // Copy with none selected: one recording of the whole figure.
    ResetClipboardForTest();
    d.link->Send(WM_COMMAND, ID_EDIT_COPY, 0);
    EXPECT_TRUE(TakeMessageBoxLog().empty());
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto emf = (HENHMETAFILE)GetClipboardData(CF_ENHMETAFILE);
    ASSERT_NE(emf, nullptr);
    std::string svg;
    ASSERT_TRUE(GetEnhMetaFileSvg(emf, &svg));
    EXPECT_NE(svg.find("Tarn graphic"), std::string::npos);
    const std::filesystem::path artifacts = std::filesystem::path(std::getenv("VELDRA_OUT")).parent_path() / "test-artifacts";
    std::filesystem::create_directories(artifacts);
    EXPECT_TRUE(SaveEnhMetaFilePng(emf, (artifacts / "plot_view_2x2_copy.png").string().c_str()));
    EXPECT_TRUE(CloseClipboard());

    // Held open by another thread: the message, and the clipboard left as it was.
    ASSERT_TRUE(OpenClipboard(nullptr));
    d.link->Send(WM_COMMAND, ID_EDIT_COPY, 0);
    auto log = TakeMessageBoxLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].text, "Failed to copy a data to the clipboard. Please try later");
    EXPECT_EQ(log[0].caption, "Error");
    EXPECT_EQ(log[0].type & 0xF0u, (UINT)MB_ICONEXCLAMATION);
    EXPECT_TRUE(CloseClipboard());
    ResetClipboardForTest();

    // Printed through the scripted dialog into a PDF: one A4 page.
    if (std::system("command -v pdfinfo >/dev/null 2>&1") == 0) {
        const std::string pdf = (std::filesystem::temp_directory_path() / ("quorra-print-" + std::to_string(GetCurrentProcessId()) + ".pdf")).string();
        std::filesystem::remove(pdf);
        CommonDialogAnswer print;
        print.text = AFX_PRINTER_PDF;
        print.paths = {pdf};
        PushCommonDialogAnswer(print);
        d.link->Send(WM_COMMAND, ID_FILE_PRINT, 0);
        std::string info;
        if (FILE* p = popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r")) {
            char line[256];
            while (fgets(line, sizeof line, p)) info += line;
            pclose(p);
        }
        const size_t pages = info.find("Pages:");
        ASSERT_NE(pages, std::string::npos) << info;
        EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 1) << info;
        EXPECT_NE(info.find("595.276 x 841.89"), std::string::npos) << info;
        std::filesystem::copy_file(pdf, artifacts / "plot_view_2x2_print.pdf", std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(pdf);
    } else {
        std::cout << "pdfinfo is missing: the printed page is not checked\n";
    }

    // With none selected every plane zooms.
    const auto before = limitsOf();
    d.link->Send(WM_COMMAND, ID_ZOOM_IN, 0);
    const auto zoomed = limitsOf();
    EXPECT_NE(zoomed[0], before[0]);
    EXPECT_NE(zoomed[3], before[3]);

    // A plain move over a plane shows its read-out.
    // The read-out pane of the status bar.
    auto readout = [&] { return PaneText(FindBar(d.Frame(), 0xE801).ctrl, 1); };
    const POINT c = centre(3);
    InjectMouseMove(c.x, c.y);
    EXPECT_TRUE(PumpUntil([&] { return readout().rfind("x=", 0) == 0; }, kWait)) << readout();

    // A click selects the plane under it.
    InjectButton(VK_LBUTTON, true, c.x, c.y);
    InjectButton(VK_LBUTTON, false, c.x, c.y);
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 4; }, kWait));

    // Now only the selected plane zooms, and Open Right moves it by a tenth of its span.
    // Only pixels inside its plot rectangle change.
    std::vector<uint32_t> was;
    SIZE wasSize{};
    ASSERT_TRUE(WaitForPaints(d.link->mainWindow));
    ASSERT_TRUE(HeadlessCopySurface(d.link->mainWindow, &was, &wasSize));
    d.link->Send(WM_COMMAND, ID_ZOOM_IN, 0);
    {
        std::vector<uint32_t> now;
        SIZE nowSize{};
        ASSERT_TRUE(HeadlessCopySurface(d.link->mainWindow, &now, &nowSize));
        ASSERT_EQ(now.size(), was.size());
        RECT frameRect{};
        GetWindowRect(d.link->mainWindow, &frameRect);
        const RECT pr = plot_inspect::PlotRectOnScreen(d.Frame(), 3);
        const RECT plot{pr.left - frameRect.left, pr.top - frameRect.top, pr.right - frameRect.left, pr.bottom - frameRect.top};
        // The view only: the toolbar and the read-out follow at the thread's
        // next idle time.
        const RECT view = plot_inspect::ViewRectInWindow(d.Frame());
        RECT changed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = std::max<int>(0, view.top); y < std::min<int>(nowSize.cy, view.bottom); y++)
            for (int x = std::max<int>(0, view.left); x < std::min<int>(nowSize.cx, view.right); x++)
                if (now[(size_t)(y * nowSize.cx + x)] != was[(size_t)(y * nowSize.cx + x)]) {
                    changed.left = std::min<LONG>(changed.left, x);
                    changed.top = std::min<LONG>(changed.top, y);
                    changed.right = std::max<LONG>(changed.right, x + 1);
                    changed.bottom = std::max<LONG>(changed.bottom, y + 1);
                }
        ASSERT_LT(changed.left, changed.right) << "the zoom redrew nothing";
        EXPECT_GE(changed.left, plot.left);
        EXPECT_GE(changed.top, plot.top);
        EXPECT_LE(changed.right, plot.right + 1);
        EXPECT_LE(changed.bottom, plot.bottom + 1);
    }
    auto after = limitsOf();
    EXPECT_EQ(after[0], zoomed[0]);
    EXPECT_NE(after[3], zoomed[3]);
    for (int step = 0; step < 2; step++) {
        const auto was = xLimits(3);
        d.link->Send(WM_COMMAND, ID_OPEN_RIGHT, 0);
        const auto now = xLimits(3);
        const int shift = (was.second - was.first) / 10;
        EXPECT_NEAR(now.first - was.first, shift, 2);
        EXPECT_NEAR(now.second - was.second, shift, 2);
    }
    EXPECT_EQ(xLimits(0), zoomed[0]);

    // A clear during a rubber-band drag is refused; the drag ends cleanly.
    {
        const POINT a = centre(0);
        InjectMouseMove(a.x, a.y);
        InjectButton(VK_LBUTTON, true, a.x, a.y);
        InjectMouseMove(a.x + 20, a.y + 20);
        EXPECT_TRUE(PumpUntil([&] { return d.link->Send(WM_PLOT_CLEAR, 0, 0) == -1; }, kWait));
        InjectButton(VK_LBUTTON, false, a.x + 20, a.y + 20);
        EXPECT_TRUE(PumpUntil([&] { return !plot_inspect::Busy(d.Frame()); }, kWait));
        EXPECT_EQ(plot_inspect::Planes(d.Frame()), 4);
        // The drag zoomed plane 0; select plane 3 again for the keys below.
        const POINT c3 = centre(3);
        InjectMouseMove(c3.x, c3.y);
        InjectButton(VK_LBUTTON, true, c3.x, c3.y);
        InjectButton(VK_LBUTTON, false, c3.x, c3.y);
        EXPECT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 4; }, kWait));
    }

    // Arrow keys move the selection a cell, in Select mode only.
    InjectKeyStroke(VK_UP);
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 3; }, kWait)) << plot_inspect::SelectedPlane(d.Frame());
    d.link->Send(WM_COMMAND, ID_MODE_SCALE, 0);
    EXPECT_EQ(plot_inspect::SelectedPlane(d.Frame()), 0);
    InjectKeyStroke(VK_DOWN);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(plot_inspect::SelectedPlane(d.Frame()), 0);

    // The preview holds the figure: a clear is refused while it shows, and
    // closing ends the preview first, then the window.
    PostMessage(d.link->mainWindow, WM_COMMAND, ID_FILE_PRINT_PREVIEW, 0);
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::Busy(d.Frame()); }, kWait));
    EXPECT_EQ(d.link->Send(WM_PLOT_CLEAR, 0, 0), -1);
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

// The demo's two planes: after Zoom In on the selected sine plane, which
// repaints only that plane, the window shows what a whole repaint shows (no
// dots of the old grid on the row below the plot).
TEST(PlotDeviceView, SinglePlaneRedrawLeavesNothingOfTheOldPicture)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("demo_sine_cosine.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 2);
    const POINT c = plot_inspect::PlaneCentre(d.Frame(), 0);
    InjectMouseMove(c.x, c.y);
    InjectButton(VK_LBUTTON, true, c.x, c.y);
    InjectButton(VK_LBUTTON, false, c.x, c.y);
    ASSERT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 1; }, kWait));
    ASSERT_TRUE(WaitForPaints(d.link->mainWindow));
    auto xLimits = [&] {
        const plot_inspect::Limits l = plot_inspect::XLimits(d.Frame(), 0);
        return std::pair<double, double>(l.xmin, l.xmax);
    };
    for (int zoom = 0; zoom < 4; zoom++) {
        if (zoom < 3) {
            d.link->Send(WM_COMMAND, ID_ZOOM_IN, 0);
        } else {
            // A rubber-band zoom in Scale mode repaints the plane alone as well.
            d.link->Send(WM_COMMAND, ID_MODE_SCALE, 0);
            ASSERT_TRUE(WaitForPaints(d.link->mainWindow));
            const auto was = xLimits();
            InjectMouseMove(c.x - 40, c.y - 30);
            InjectButton(VK_LBUTTON, true, c.x - 40, c.y - 30);
            InjectMouseMove(c.x, c.y);
            InjectMouseMove(c.x + 40, c.y + 30);
            InjectButton(VK_LBUTTON, false, c.x + 40, c.y + 30);
            ASSERT_TRUE(PumpUntil([&] { return xLimits() != was && !plot_inspect::Busy(d.Frame()); }, kWait));
        }
        ASSERT_TRUE(WaitForPaints(d.link->mainWindow));
        std::vector<uint32_t> partial, whole;
        SIZE ps{}, ws{};
        ASSERT_TRUE(HeadlessCopySurface(d.link->mainWindow, &partial, &ps));
        InvalidateRect(d.link->mainWindow, nullptr, TRUE);
        ASSERT_TRUE(WaitForPaints(d.link->mainWindow));
        ASSERT_TRUE(HeadlessCopySurface(d.link->mainWindow, &whole, &ws));
        ASSERT_EQ(partial.size(), whole.size());
        RECT frameRect{};
        GetWindowRect(d.link->mainWindow, &frameRect);
        const int bottom = plot_inspect::PlotRectOnScreen(d.Frame(), 0).bottom - frameRect.top;
        // The view only: the toolbar follows the zoom at the thread's next
        // idle time, which may fall between the two copies.
        const RECT view = plot_inspect::ViewRectInWindow(d.Frame());
        ASSERT_GT(view.bottom, bottom);
        int differing = 0;
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = std::max<int>(0, view.top); y < std::min<int>(ws.cy, view.bottom); y++)
            for (int x = std::max<int>(0, view.left); x < std::min<int>(ws.cx, view.right); x++)
                if (partial[(size_t)(y * ws.cx + x)] != whole[(size_t)(y * ws.cx + x)]) {
                    differing++;
                    box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                               std::max<LONG>(box.bottom, y + 1)};
                }
        EXPECT_EQ(differing, 0) << "zoom " << zoom << ": " << box.left << "," << box.top << " - " << box.right << ","
                                << box.bottom << " (plot bottom " << bottom << ")";
    }
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

// A figure larger than its window: the view's scroll bars show their thumbs
// where the view is (at the start), and the bars look as a fresh repaint of
// the whole window draws them.
TEST(PlotDeviceView, ScrollBarThumbsFollowTheView)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("demo_sine_cosine.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 2);
    const HWND frame = d.link->mainWindow;
    RunOnWindowThread(frame, [&] {
        if (CQuorraView* v = plot_inspect::View(frame)) v->SetViewSize(400, 300);
        SetWindowPos(frame, nullptr, 0, 0, 330, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
    ASSERT_TRUE(WaitForPaints(frame));
    struct Bars {
        HWND view;
        RECT window;   // the view's window rectangle in the frame's image
        RECT client;
        SCROLLINFO h, v;
    };
    const Bars b = ReadOnWindowThread<Bars>(frame, [&] {
        Bars out{};
        CQuorraView* v = plot_inspect::View(frame);
        if (!v) return out;
        out.view = v->m_hWnd;
        RECT f{}, w{};
        GetWindowRect(frame, &f);
        GetWindowRect(v->m_hWnd, &w);
        out.window = RECT{w.left - f.left, w.top - f.top, w.right - f.left, w.bottom - f.top};
        GetClientRect(v->m_hWnd, &out.client);
        out.h.cbSize = out.v.cbSize = sizeof(SCROLLINFO);
        out.h.fMask = out.v.fMask = SIF_ALL;
        GetScrollInfo(v->m_hWnd, SB_HORZ, &out.h);
        GetScrollInfo(v->m_hWnd, SB_VERT, &out.v);
        return out;
    });
    ASSERT_TRUE(b.view);
    ASSERT_GT(b.v.nMax + 1, (int)b.v.nPage) << "no vertical bar";
    ASSERT_GT(b.h.nMax + 1, (int)b.h.nPage) << "no horizontal bar";
    EXPECT_EQ(b.v.nPos, 0);
    EXPECT_EQ(b.h.nPos, 0);
    // A page is what the client area shows with both bars in place.
    EXPECT_EQ((int)b.v.nPage, (int)b.client.bottom);
    EXPECT_EQ((int)b.h.nPage, (int)b.client.right);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    std::vector<uint32_t> shown, fresh;
    SIZE size{};
    ASSERT_TRUE(HeadlessCopySurface(frame, &shown, &size));
    auto grey = [&](const std::vector<uint32_t>& px, int x, int y) {
        const uint32_t p = px[(size_t)y * size.cx + x];
        return (int)(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF));
    };
    // Along each bar's middle: the thumb, darker than its track, starts
    // right after the up (left) arrow, and the track shows below (right of) it.
    auto thumb = [&](bool vertical) {
        const int across = vertical ? b.window.right - bar / 2 : b.window.bottom - bar / 2;
        const int from = (vertical ? b.window.top : b.window.left) + bar;
        const int to = (vertical ? b.window.top + b.client.bottom : b.window.left + b.client.right) - bar;
        auto at = [&](int along) { return vertical ? grey(shown, across, along) : grey(shown, along, across); };
        const int track = at(to - 2), inside = at(from + 3);
        std::ostringstream s;
        if (inside >= track) s << "the start of the track is not the darker thumb (" << inside << " against " << track << ")";
        return s.str();
    };
    EXPECT_EQ(thumb(true), "") << "vertical";
    EXPECT_EQ(thumb(false), "") << "horizontal";
    // Nothing stale: the bars as a repaint of everything draws them.
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    ASSERT_TRUE(WaitForPaints(frame));
    ASSERT_TRUE(HeadlessCopySurface(frame, &fresh, &size));
    int differing = 0;
    for (int y = b.window.top; y < b.window.bottom; y++)
        for (int x = b.window.left; x < b.window.right; x++)
            if ((x >= b.window.right - bar || y >= b.window.bottom - bar) && shown[(size_t)y * size.cx + x] != fresh[(size_t)y * size.cx + x])
                differing++;
    EXPECT_EQ(differing, 0) << "pixels of the scroll bars differ from a repaint";
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

// On the printed page markers grow with the page units as fonts and pens
// do, and the polar plane's title stands above its "90".
TEST(PlotDeviceView, PrintedMarkersAndPolarTitle)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("markers_polar.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 2);
    std::string log;
    ASSERT_EQ(plot_inspect::PrintToRecording(d.Frame(), &log), 2);
    // The log is in printer pixels, fonts too: a marker keeps its screen
    // size against the 16-pixel axis font, 6 to 16.
    std::istringstream lines(log);
    int circles = 0, titleBottom = -1, ninetyTop = -1;
    for (std::string line; std::getline(lines, line);) {
        const size_t f = line.find("font=\"");
        const int size = f == std::string::npos ? 0 : std::abs(std::atoi(line.c_str() + line.find("\",", f + 6) + 2));
        int l, t, r, b;
        if (std::sscanf(line.c_str(), "Ellipse %d,%d,%d,%d", &l, &t, &r, &b) == 4 && r - l < size) {
            circles++;
            EXPECT_NEAR((double)(r - l) / size, 6.0 / 16, 0.05) << line;
        }
        int x, y;
        if (std::sscanf(line.c_str(), "TextOut %d,%d", &x, &y) == 2) {
            if (line.find("\"polar\"") != std::string::npos) titleBottom = y + size;
            if (line.find("\"90\"") != std::string::npos) ninetyTop = y;
        }
    }
    EXPECT_EQ(circles, 13);  // the sine's points
    ASSERT_GE(titleBottom, 0);
    ASSERT_GE(ninetyTop, 0);
    EXPECT_LE(titleBottom, ninetyTop);
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

// A 2x2 figure of a titled line, a log plane, a polar plane and bars: the
// polar read-out, a refused pan, the pointer's context menu, the printed
// page of one selected plane and a landscape PDF.
TEST(PlotDeviceView, PointersReadoutsAndPrintedPages)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("view_2x2.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 4);
    auto centre = [&](int plane) { return plot_inspect::PlaneCentre(d.Frame(), (size_t)plane); };
    auto xLimits = [&](int plane) {
        const plot_inspect::Limits l = plot_inspect::XLimits(d.Frame(), (size_t)plane);
        return std::pair<double, double>(l.xmin, l.xmax);
    };
    // The read-out pane of the status bar.
    auto readout = [&] { return PaneText(FindBar(d.Frame(), 0xE801).ctrl, 1); };
    auto click = [&](POINT p) {
        InjectMouseMove(p.x, p.y);
        InjectButton(VK_LBUTTON, true, p.x, p.y);
        InjectButton(VK_LBUTTON, false, p.x, p.y);
    };

    // The read-out of a Cartesian plane, then of the polar one.
    const POINT line = centre(0), polar = centre(2);
    InjectMouseMove(line.x, line.y);
    EXPECT_TRUE(PumpUntil([&] { return readout().rfind("x=", 0) == 0; }, kWait)) << readout();
    InjectMouseMove(polar.x, polar.y);
    EXPECT_TRUE(PumpUntil([&] { return readout().rfind("rho=", 0) == 0; }, kWait)) << readout();
    // Straight above the pole a plain move reads as a drag does: phi 90, rho the height.
    InjectMouseMove(polar.x, polar.y - 20);
    EXPECT_TRUE(PumpUntil([&] {
        double rho = 0, phi = 0;
        return std::sscanf(readout().c_str(), "rho=%lf  phi=%lf", &rho, &phi) == 2 && rho > 0 && std::fabs(phi - 90) < 1;
    }, kWait)) << readout();

    // Open Right on a plane whose x span is zero changes nothing.
    click(centre(3));
    ASSERT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 4; }, kWait));
    plot_inspect::CollapseXSpan(d.Frame(), 3);
    const auto flat = xLimits(3);
    d.link->Send(WM_COMMAND, ID_OPEN_RIGHT, 0);
    EXPECT_EQ(xLimits(3), flat);

    // A pointer on the log plane; a right click on it opens the context menu,
    // whose "Clear Pointer" removes just that pointer.
    click(centre(1));
    ASSERT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 2; }, kWait));
    d.link->Send(WM_COMMAND, ID_POINTER_ADD, 0);
    ASSERT_EQ(plot_inspect::Pointers(d.Frame()), 1);
    const POINT pointer = plot_inspect::FirstPointer(d.Frame(), 1);
    ASSERT_NE(pointer.x, -1);
    InjectMouseMove(pointer.x, pointer.y);
    InjectButton(VK_RBUTTON, true, pointer.x, pointer.y);
    InjectButton(VK_RBUTTON, false, pointer.x, pointer.y);
    std::vector<VisibleMenu> menus;
    ASSERT_TRUE(PumpUntil([&] { return !(menus = VisibleMenus()).empty(); }, kWait));
    const VisibleMenuItem* clear = nullptr;
    for (const VisibleMenuItem& item : menus.front().items)
        if (item.id == 32771) clear = &item;
    ASSERT_NE(clear, nullptr);
    EXPECT_EQ(clear->text, "&Clear Pointer");
    click(POINT{(clear->rect.left + clear->rect.right) / 2, (clear->rect.top + clear->rect.bottom) / 2});
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::Pointers(d.Frame()) == 0; }, kWait));
    EXPECT_TRUE(VisibleMenus().empty());
    EXPECT_EQ(plot_inspect::SelectedPlane(d.Frame()), 2);

    // A click in the gap left of the first column selects none.
    {
        const POINT origin = plot_inspect::ViewOrigin(d.Frame());
        click(POINT{origin.x + 5, centre(0).y});
        EXPECT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 0; }, kWait)) << plot_inspect::SelectedPlane(d.Frame());
        click(centre(1));
        ASSERT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(d.Frame()) == 2; }, kWait));
    }

    // On a recording printer page the selected plane is drawn alone over the
    // whole page, in page units with the margins, its fonts grown with them.
    std::string log;
    EXPECT_EQ(plot_inspect::PrintToRecording(d.Frame(), &log), 1);
    EXPECT_NE(log.find("print rect 0,0,2100,2970 window ext 2120,3090 org -10,-110"), std::string::npos) << log.substr(log.size() - 200);
    EXPECT_EQ(log.find("\"squares\""), std::string::npos);
    EXPECT_NE(log.find("\"1000\""), std::string::npos);
    // Text as on screen: the 16-pixel axis font is 4.2 mm, about 95 printer
    // pixels high (not 36, the size taken as page units).
    {
        std::istringstream lines(log);
        std::string line;
        int texts = 0;
        while (std::getline(lines, line)) {
            if (line.rfind("TextOut", 0) != 0) continue;
            const size_t f = line.find("font=\"");
            ASSERT_NE(f, std::string::npos) << line;
            const size_t comma = line.find("\",", f + 6);
            EXPECT_GE(std::abs(std::atoi(line.c_str() + comma + 2)), 80) << line;
            texts++;
        }
        EXPECT_GT(texts, 3);
    }
    // With none selected (Scale mode clears the selection), every plane is printed.
    d.link->Send(WM_COMMAND, ID_MODE_SCALE, 0);
    d.link->Send(WM_COMMAND, ID_MODE_SELECT, 0);
    ASSERT_EQ(plot_inspect::SelectedPlane(d.Frame()), 0);
    log.clear();
    EXPECT_EQ(plot_inspect::PrintToRecording(d.Frame(), &log), 4);
    EXPECT_NE(log.find("\"squares\""), std::string::npos);

    // Landscape through the print dialog: one A4 page on its side.
    if (std::system("command -v pdfinfo >/dev/null 2>&1") == 0) {
        const std::string pdf = (std::filesystem::temp_directory_path() / ("quorra-landscape-" + std::to_string(GetCurrentProcessId()) + ".pdf")).string();
        std::filesystem::remove(pdf);
        CommonDialogAnswer print;
        print.text = AFX_PRINTER_PDF;
        print.paths = {pdf};
        print.orientation = DMORIENT_LANDSCAPE;
        PushCommonDialogAnswer(print);
        d.link->Send(WM_COMMAND, ID_FILE_PRINT, 0);
        std::string info;
        if (FILE* p = popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r")) {
            char line[256];
            while (fgets(line, sizeof line, p)) info += line;
            pclose(p);
        }
        const size_t pages = info.find("Pages:");
        ASSERT_NE(pages, std::string::npos) << info;
        EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 1) << info;
        EXPECT_NE(info.find("841.89 x 595.276"), std::string::npos) << info;
        const std::filesystem::path artifacts = std::filesystem::path(std::getenv("VELDRA_OUT")).parent_path() / "test-artifacts";
        std::filesystem::create_directories(artifacts);
        std::filesystem::copy_file(pdf, artifacts / "plot_view_landscape.pdf", std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(pdf);
    } else {
        std::cout << "pdfinfo is missing: the landscape page is not checked\n";
    }
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

// The host's plot command arrives while the user drags the points of an
// object in Edit mode and takes those points away: a failing series with the
// object's id leaves it empty, a good one of one point shortens it. The drag
// notices and ends without touching them (the sanitizer build checks).
TEST(PlotDeviceView, CommandChangingTheDraggedObject)
{
    ScopedDeviceTest scope;
    CFakePlotHost host;
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    d.OpenDataFile("view_2x2.qra");
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 4);
    const int objects = plot_inspect::PlanesAndObjects(d.Frame()).objects;
    d.link->Send(WM_COMMAND, ID_MODE_EDIT, 0);

    // Drags the second point of plane `plane`'s first object and, midway,
    // sends plot #V (value) into that plane with the object's id.
    auto dragWhile = [&](int plane, POINT cell, CValue value) {
        const POINT p = plot_inspect::SecondPointOfFirstObject(d.Frame(), (size_t)plane);
        if (p.x == -1) return (LRESULT)-100;
        const int32_t id = plot_inspect::FirstObjectId(d.Frame(), (size_t)plane);
        InjectMouseMove(p.x, p.y);
        InjectButton(VK_LBUTTON, true, p.x, p.y);
        InjectMouseMove(p.x + 6, p.y - 6);
        if (!PumpUntil([&] { return plot_inspect::Busy(d.Frame()); }, kWait)) return (LRESULT)-101;
        PlotExprItem item;
        item.value = value;
        PlotExprItem* items[1] = {&item};
        PlotSeriesRecord series;
        series.items = items;
        series.itemCount = 1;
        PlotSeriesRecord* seriesList[1] = {&series};
        PlotCommandText text;
        text.figure = "V";
        text.series = seriesList;
        text.seriesCount = 1;
        PlotCommandPosition pos{cell.x, cell.y, id, 0};
        const LRESULT status = d.link->Send(WM_PLOT_COMMAND, (WPARAM)&pos, (LPARAM)&text);
        InjectMouseMove(p.x + 12, p.y - 12);
        InjectMouseMove(p.x + 18, p.y - 18);
        InjectButton(VK_LBUTTON, false, p.x + 18, p.y - 18);
        if (!PumpUntil([&] { return !plot_inspect::Busy(d.Frame()); }, kWait)) return (LRESULT)-102;
        return status;
    };
    CValue text;
    text.SetString("abc");
    EXPECT_EQ(dragWhile(0, POINT{1, 1}, text), 79);
    EXPECT_EQ(plot_inspect::FirstObjectId(d.Frame(), 0), -1) << "the object is left without points";
    EXPECT_EQ(dragWhile(2, POINT{2, 1}, CValue(5.0)), 0);
    EXPECT_EQ(plot_inspect::FirstObjectId(d.Frame(), 2), -1) << "one point left";
    EXPECT_EQ(plot_inspect::PlanesAndObjects(d.Frame()).objects, objects);
    // The window goes on: a zoom and a redraw of what is left.
    d.link->Send(WM_COMMAND, ID_ZOOM_IN, 0);
    EXPECT_EQ(d.link->Send(WM_DEVICE_PING, 0, 0), 1);
    EXPECT_EQ(d.link->Close(), 1);
    ClearCommonDialogAnswers();
    TakeCommonDialogLog();
}

}  // namespace
