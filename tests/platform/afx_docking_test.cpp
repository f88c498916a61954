// The docking framework on the MDI demo: toolbars and a status bar docked on
// the frame, driven headless by injected mouse input; the View toggles, idle
// updates, saved bar state, cancelled drags and destroyed floating bars.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "afx_demo.h"
#include "afx_test_util.h"
#include "platform/backend/drag_overlay.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class AfxDocking : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        profile = "AfxDocking-" + std::to_string(getpid());
        fs::remove(SettingsFilePath("Brenholt", profile));
        app = std::make_unique<CDemoMdiApp>(profile, true);
        prevThread = AfxSetThread(app.get());
        ASSERT_TRUE(app->InitInstance());
        frame = static_cast<CDemoMdiFrame*>(app->m_pMainWnd);
        Idle();
    }
    void TearDown() override
    {
        if (frame && IsWindow(frame->m_hWnd)) {
            HWND h = frame->m_hWnd;
            ::DestroyWindow(h);
        }
        PumpUntilIdle();
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        AfxSetThread(prevThread);
        app.reset();
        fs::remove(SettingsFilePath("Brenholt", profile));
        AfxTest::TearDown();
    }
    void Idle()
    {
        PumpUntilIdle();
        app->OnIdle(0);
        PumpUntilIdle();
    }
    static RECT Rect(CWnd& w)
    {
        RECT r;
        w.GetWindowRect(&r);
        return r;
    }
    // Presses at `from`, moves through `to` and releases there (or presses Esc first).
    void Drag(POINT from, POINT to, bool esc = false)
    {
        InjectMouseMove(from.x, from.y);
        InjectButton(VK_LBUTTON, true, from.x, from.y);
        InjectMouseMove(from.x + 6, from.y + 6);
        InjectMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
        InjectMouseMove(to.x, to.y);
        if (esc) InjectKeyStroke(VK_ESCAPE);
        InjectButton(VK_LBUTTON, false, to.x, to.y);
        Idle();
    }
    // The gripper of a docked bar.
    static POINT Gripper(CControlBar& bar)
    {
        RECT r = Rect(bar);
        if (bar.IsHorz()) return POINT{r.left + 5, (r.top + r.bottom) / 2};
        return POINT{(r.left + r.right) / 2, r.top + 5};
    }
    RECT Client()
    {
        RECT c;
        frame->GetClientRect(&c);
        MapWindowPoints(frame->m_hWnd, nullptr, (POINT*)&c, 2);
        return c;
    }
    CDockBar* Dock(UINT id) { return DynamicDowncast<CDockBar>(frame->GetControlBar(id)); }
    std::vector<std::vector<UINT>> RowsOf(UINT id)
    {
        std::vector<std::vector<UINT>> out;
        for (const auto& row : Dock(id)->Rows()) {
            out.emplace_back();
            for (const auto& s : row) out.back().push_back(s.bar ? s.id : s.id + AFX_BAR_PLACEHOLDER);
        }
        return out;
    }

    std::string profile;
    std::unique_ptr<CDemoMdiApp> app;
    CWinThread* prevThread = nullptr;
    CDemoMdiFrame* frame = nullptr;
};

using Rows = std::vector<std::vector<UINT>>;

TEST_F(AfxDocking, DragsDockFloatAndRedockTheToolbarInRowsAndEscChangesNothing)
{
    CToolBar& tb = frame->m_wndToolBar;
    ASSERT_TRUE(tb.m_hWnd);
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_TOP), (Rows{{AFX_IDW_TOOLBAR}, {ID_BAR_A}, {ID_BAR_B}}));
    // The bars sit above the MDI client, the status bar below it.
    RECT client = Client(), mdi, status = Rect(frame->m_wndStatusBar), a = Rect(frame->m_wndBarA),
         b = Rect(frame->m_wndBarB);
    GetWindowRect(frame->m_hWndMDIClient, &mdi);
    EXPECT_EQ(mdi.top, b.bottom);
    EXPECT_EQ(a.bottom, b.top);
    EXPECT_EQ(mdi.bottom, status.top);
    EXPECT_EQ(status.bottom, client.bottom);

    // The gripper to the left edge: docked on the left, one button a row.
    const int shows = DragOverlayShowCount();
    Drag(Gripper(tb), POINT{client.left + 4, (client.top + client.bottom) / 2});
    EXPECT_GT(DragOverlayShowCount(), shows);   // the overlay showed mid-drag
    EXPECT_FALSE(DragOverlayVisible());
    ASSERT_NE(tb.m_pDockBar, nullptr);
    EXPECT_EQ((UINT)tb.m_pDockBar->GetDlgCtrlID(), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(tb.GetToolBarCtrl().GetRows(), 4);
    RECT left = Rect(tb);
    EXPECT_GT(left.bottom - left.top, left.right - left.left);
    GetWindowRect(frame->m_hWndMDIClient, &mdi);
    EXPECT_EQ(mdi.left, left.right);
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_TOP), (Rows{{ID_BAR_A}, {ID_BAR_B}}));

    // Dropped mid-screen it floats in a top-level tool window titled like the bar.
    bool thick = false;
    Drag(Gripper(tb), POINT{400, 380});
    DragOverlayVisible(nullptr, &thick);
    EXPECT_TRUE(thick);
    ASSERT_TRUE(tb.IsFloating());
    HWND mini = GetParent(GetParent(tb.m_hWnd));
    ASSERT_TRUE(IsWindow(mini));
    EXPECT_FALSE(GetWindowLongPtr(mini, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(GetWindowLongPtr(mini, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(mini, GW_OWNER), frame->m_hWnd);
    bool listed = false;
    for (const VisibleWindow& v : VisibleTopLevelWindows()) listed |= v.hwnd == mini && v.text == "Standard";
    EXPECT_TRUE(listed);
    EXPECT_EQ(tb.GetToolBarCtrl().GetRows(), 1);
    // The left dock keeps its place for the way back.
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_LEFT), (Rows{{AFX_IDW_TOOLBAR + AFX_BAR_PLACEHOLDER}}));

    // A double click on its caption docks it where it was.
    RECT w;
    GetWindowRect(mini, &w);
    POINT cap{w.left + 12, w.top + 6};
    ASSERT_EQ(SendMessage(mini, WM_NCHITTEST, 0, MAKELONG(cap.x, cap.y)), HTCAPTION);
    InjectMouseMove(cap.x, cap.y);
    InjectClick(cap.x, cap.y);
    InjectClick(cap.x, cap.y);
    Idle();
    EXPECT_FALSE(IsWindow(mini));
    ASSERT_FALSE(tb.IsFloating());
    EXPECT_EQ((UINT)tb.m_pDockBar->GetDlgCtrlID(), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_LEFT), (Rows{{AFX_IDW_TOOLBAR}}));

    // Beside bar A: its row; below the rows: a new one.
    a = Rect(frame->m_wndBarA);
    Drag(Gripper(frame->m_wndBarB), POINT{a.right + 40, (a.top + a.bottom) / 2});
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_TOP), (Rows{{ID_BAR_A, ID_BAR_B}}));
    RECT top = Rect(*Dock(AFX_IDW_DOCKBAR_TOP));
    Drag(Gripper(frame->m_wndBarB), POINT{a.left + 40, top.bottom + 6});
    EXPECT_EQ(RowsOf(AFX_IDW_DOCKBAR_TOP), (Rows{{ID_BAR_A}, {ID_BAR_B}}));

    // Esc: nothing moves.
    std::vector<RECT> before;
    for (CControlBar* b : frame->ControlBars()) before.push_back(Rect(*b));
    Drag(Gripper(frame->m_wndBarB), POINT{400, 380}, true);
    std::vector<RECT> after;
    for (CControlBar* b : frame->ControlBars()) after.push_back(Rect(*b));
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(EqualRect(&before[i], &after[i])) << i;
    EXPECT_FALSE(frame->m_wndBarB.IsFloating());
    EXPECT_FALSE(DragOverlayVisible());
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
