// A dialog bar docked in a frame: the hosted dialog survives Enter and
// Escape, the bar stops at the dialog's first size plus its borders,
// commands reach the dialog first, frame accelerators and Tab work inside.
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "../platform/afx_test_util.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/win_app.h"
#include "ui_controls/bars/dynamic_bar.h"

namespace fs = std::filesystem;

namespace {

const CDialogItemTemplate kItems[] = {
    {"Edit", "", 300, WS_BORDER | WS_TABSTOP, 5, 5, 100, 12, 0},
    {"Edit", "", 301, WS_BORDER | WS_TABSTOP, 5, 25, 100, 12, 0},
    {"Button", "Go", 302, WS_TABSTOP, 5, 45, 40, 14, 0},
};
const CDialogTemplate kBarDialog = {WS_CHILD | DS_CONTROL, 0, nullptr, 0, 0, 120, 70, kItems, 3};
constexpr UINT kHandled = 700, kUnhandled = 701, kAccel = 800;

class CountingDlg : public LytDynamicBarDlg {
public:
    CountingDlg() : LytDynamicBarDlg(&kBarDialog, nullptr, 3, 0, 0) {}
    int handled = 0, seen = 0;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override
    {
        if (nCode == CN_COMMAND) ++seen;
        if (nID == kHandled && nCode == CN_COMMAND) {
            ++handled;
            return TRUE;
        }
        // Unhandled: the parent (the bar) is asked, as dialogs do.
        if (nCode == CN_COMMAND && GetParent()) return GetParent()->OnCmdMsg(nID, nCode, pExtra, info);
        return LytDynamicBarDlg::OnCmdMsg(nID, nCode, pExtra, info);
    }
};

class AccelFrame : public CFrameWnd {
public:
    int fired = 0;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override
    {
        if (nID == kAccel) {
            if (nCode == CN_COMMAND) ++fired;
            return TRUE;
        }
        return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, info);
    }
};

class BarApp : public CWinApp {
public:
    explicit BarApp(std::string profile) : CWinApp(nullptr, AfxGetProgramModuleState()) { m_pszProfileName = std::move(profile); }
};

class BarDynamic : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        profile = "BarDynamic-" + std::to_string(getpid());
        app = std::make_unique<BarApp>(profile);
        prevThread = AfxSetThread(app.get());
        frame = new AccelFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}));
        app->m_pMainWnd = frame;
        frame->EnableDocking(CBRS_ALIGN_ANY);
        bar.m_pDialog = &dlg;
        ASSERT_TRUE(bar.Create("Variables", frame, 210, WS_CHILD | WS_VISIBLE | CBRS_LEFT));
        bar.EnableDocking(CBRS_ALIGN_ANY);
        frame->DockControlBar(&bar, AFX_IDW_DOCKBAR_LEFT);
        frame->RecalcLayout();
        Idle();
    }
    void TearDown() override
    {
        if (frame && IsWindow(frame->m_hWnd)) ::DestroyWindow(frame->m_hWnd);
        PumpUntilIdle();
        AfxSetThread(prevThread);
        app.reset();
        fs::remove(SettingsFilePath("Brenholt", profile));
        AfxTest::TearDown();
    }
    void Idle()
    {
        PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
        app->OnIdle(0);
        PumpUntilIdle();
    }
    std::string profile;
    std::unique_ptr<BarApp> app;
    CWinThread* prevThread = nullptr;
    AccelFrame* frame = nullptr;
    CountingDlg dlg;
    LytDynamicBar bar;
};

TEST_F(BarDynamic, DialogFillsTheBarAndTheBarStopsAtItsMinimum)
{
    ASSERT_TRUE(dlg.m_hWnd);
    RECT c, d;
    bar.GetClientRect(&c);
    dlg.GetWindowRect(&d);
    EXPECT_EQ(d.right - d.left, c.right);
    EXPECT_EQ(d.bottom - d.top, c.bottom);
    // Minimums: the dialog's first client size plus the bar's non-client size, per state.
    struct State {
        UINT id;
        SIZE min;
        int gripX, gripY;
    } states[] = {{AFX_IDW_DOCKBAR_FLOAT, bar.m_szMinFloat, 0, 0},
                  {AFX_IDW_DOCKBAR_LEFT, bar.m_szMinVert, 0, 12},
                  {AFX_IDW_DOCKBAR_TOP, bar.m_szMinHorz, 12, 0}};
    for (const State& s : states) {
        RECT r{0, 0, 0, 0};
        bar.ComputeClientArea(r, s.id);
        EXPECT_EQ(s.min.cx, dlg.m_szMin.cx + (r.left - r.right) + s.gripX);
        EXPECT_EQ(s.min.cy, dlg.m_szMin.cy + (r.top - r.bottom) + s.gripY);
    }
    // Dragging the thickness edge far left stops at the minimum width.
    RECT w;
    bar.GetWindowRect(&w);
    POINT e{w.right - 2, (w.top + w.bottom) / 2};
    InjectMouseMove(e.x, e.y);
    InjectButton(VK_LBUTTON, true, e.x, e.y);
    InjectMouseMove(e.x - 200, e.y);
    InjectMouseMove(e.x - 400, e.y);
    InjectButton(VK_LBUTTON, false, e.x - 400, e.y);
    Idle();
    bar.GetWindowRect(&w);
    EXPECT_EQ(w.right - w.left, bar.m_szMinVert.cx);
    bar.GetClientRect(&c);
    EXPECT_EQ(c.right, dlg.m_szMin.cx);
}

TEST_F(BarDynamic, EnterEscapeAndCloseLeaveTheDialogOpen)
{
    CWnd* edit = dlg.GetDlgItem(300);
    ASSERT_TRUE(dlg.IsWindowVisible());
    edit->SetFocus();
    InjectKeyStroke(VK_RETURN);
    InjectKeyStroke(VK_ESCAPE);
    Idle();
    ::SendMessage(dlg.m_hWnd, WM_CLOSE, 0, 0);
    Idle();
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    EXPECT_TRUE(dlg.IsWindowVisible());
    // Tab moves among the dialog's controls.
    edit->SetFocus();
    ASSERT_EQ(GetFocus(), edit->m_hWnd);
    InjectKeyStroke(VK_TAB);
    Idle();
    EXPECT_EQ(GetFocus(), dlg.GetDlgItem(301)->m_hWnd);
}

TEST_F(BarDynamic, CommandsReachTheDialogFirstAndUnhandledOnesReturn)
{
    ::SendMessage(bar.m_hWnd, WM_COMMAND, kHandled, 0);
    EXPECT_EQ(dlg.handled, 1);
    // The dialog hands an unhandled command back to the bar: it must end, not recurse.
    ::SendMessage(bar.m_hWnd, WM_COMMAND, kUnhandled, 0);
    EXPECT_LE(dlg.seen, 3);
    EXPECT_FALSE(bar.OnCmdMsg(kUnhandled, CN_COMMAND, nullptr, nullptr));
}

TEST_F(BarDynamic, FrameAcceleratorFiresWithTheFocusInTheDialog)
{
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'K', (WORD)kAccel}};
    frame->m_hAccelTable = CreateAcceleratorTable(keys, 1);
    dlg.GetDlgItem(300)->SetFocus();
    ASSERT_EQ(GetFocus(), dlg.GetDlgItem(300)->m_hWnd);
    InjectKey(VK_CONTROL, true);
    InjectKeyStroke('K');
    InjectKey(VK_CONTROL, false);
    Idle();
    EXPECT_EQ(frame->fired, 1);
}

TEST_F(BarDynamic, ABarWithoutADialogIsNotCreated)
{
    LytDynamicBar empty;
    EXPECT_FALSE(empty.Create("None", frame, 211, WS_CHILD | CBRS_LEFT));
    EXPECT_FALSE(empty.m_hWnd);
}

}  // namespace
