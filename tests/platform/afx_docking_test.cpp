// The docking framework on the MDI demo: toolbars and a status bar docked on
// the frame, driven headless by injected mouse input; the View toggles, idle
// updates, saved bar state, cancelled drags and destroyed floating bars.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "afx_demo.h"
#include "afx_test_util.h"
#include <cairo.h>

#include "platform/backend/drag_overlay.h"
#include "platform/backend/headless.h"

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

TEST_F(AfxDocking, ViewTogglesUnhandledButtonsPromptsAndKeyIndicatorsFollowAtIdle)
{
    CToolBar& tb = frame->m_wndToolBar;
    CToolBarCtrl& ctrl = tb.GetToolBarCtrl();
    // At idle: a command with no handler is disabled, File New is not.
    EXPECT_TRUE(ctrl.Send(TB_ISBUTTONENABLED, ID_FILE_NEW));
    EXPECT_FALSE(ctrl.Send(TB_ISBUTTONENABLED, ID_DEMO_UNHANDLED));
    EXPECT_FALSE(ctrl.Send(TB_ISBUTTONENABLED, ID_FILE_SAVE));   // no document
    CStatusBar& sb = frame->m_wndStatusBar;
    EXPECT_EQ(sb.GetPaneText(0), "Ready");
    char text[64] = {};
    auto shown = [&](int pane) {
        sb.GetStatusBarCtrl().Send(SB_GETTEXT, (WPARAM)pane, (LPARAM)text);
        return std::string(text);
    };
    EXPECT_EQ(shown(1), "");
    // Caps Lock toggles "CAP" at the next idle time.
    InjectKeyStroke(VK_CAPITAL);
    Idle();
    EXPECT_EQ(shown(1), "CAP");
    InjectKeyStroke(VK_CAPITAL);
    Idle();
    EXPECT_EQ(shown(1), "");

    // Hovering a button puts its prompt in pane 0; leaving the buttons, "Ready".
    RECT r;
    tb.GetItemRect(0, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tb.m_hWnd, &p);
    InjectMouseMove(p.x, p.y);
    Idle();
    EXPECT_EQ(shown(0), "Create a new document");
    // Menu items prompt the same way; a closed menu says "Ready".
    frame->SendMessage(WM_MENUSELECT, MAKELONG(ID_FILE_OPEN, MF_HILITE), (LPARAM)frame->GetMenu());
    EXPECT_EQ(shown(0), "Open an existing document");
    frame->SendMessage(WM_MENUSELECT, MAKELONG(0, 0xFFFF), 0);
    EXPECT_EQ(shown(0), "Ready");
    // Then, once the pointer rests, the tooltip: the text after the newline.
    ASSERT_TRUE(tb.GetToolTips());
    SendMessage(tb.GetToolTips(), TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    InjectMouseMove(p.x + 1, p.y);
    InjectMouseMove(p.x + 2, p.y);
    PumpUntilIdle();
    for (int i = 0; i < 500 && !IsWindowVisible(tb.GetToolTips()); ++i) {
        MSG m;
        if (GetMessage(&m, nullptr, 0, 0)) DispatchMessage(&m);
    }
    EXPECT_TRUE(IsWindowVisible(tb.GetToolTips()));
    EXPECT_EQ(tb.LastTip(), "New");
    InjectMouseMove(p.x, p.y + 200);
    RECT w = Rect(tb);
    InjectMouseMove(w.left + 3, (w.top + w.bottom) / 2);
    InjectMouseMove(w.left + 3, (w.top + w.bottom) / 2 + 1);
    Idle();

    // 59392 hides the toolbar; the View menu's check follows.
    HMENU view = GetSubMenu(frame->GetMenu(), 1);
    ASSERT_NE(view, nullptr);
    AfxUpdateMenu(view, frame, TRUE);
    EXPECT_TRUE(GetMenuState(view, 0, MF_BYPOSITION) & MF_CHECKED);
    RECT mdiBefore, mdiAfter;
    GetWindowRect(frame->m_hWndMDIClient, &mdiBefore);
    frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    Idle();
    EXPECT_FALSE(tb.IsWindowVisible());
    AfxUpdateMenu(view, frame, TRUE);
    EXPECT_FALSE(GetMenuState(view, 0, MF_BYPOSITION) & MF_CHECKED);
    GetWindowRect(frame->m_hWndMDIClient, &mdiAfter);
    EXPECT_LT(mdiAfter.top, mdiBefore.top);
    // A delayed show waits for idle time, then the layout follows.
    frame->ShowControlBar(&tb, TRUE, TRUE);
    EXPECT_FALSE(tb.IsWindowVisible());
    EXPECT_TRUE(tb.IsVisible());
    Idle();
    EXPECT_TRUE(tb.IsWindowVisible());
    GetWindowRect(frame->m_hWndMDIClient, &mdiAfter);
    EXPECT_EQ(mdiAfter.top, mdiBefore.top);
    // The status bar toggles the same way.
    frame->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_FALSE(sb.IsWindowVisible());
    AfxUpdateMenu(view, frame, TRUE);
    EXPECT_FALSE(GetMenuState(view, 1, MF_BYPOSITION) & MF_CHECKED);
}

TEST_F(AfxDocking, AStatusPaneWithoutAnUpdateHandlerKeepsItsTextWhileToolButtonsGrey)
{
    // The toolbar greys what nobody handles; a pane nobody updates shows
    // what its owner writes, and the key panes follow their handlers.
    CStatusBar& sb = frame->m_wndStatusBar;
    const UINT panes[] = {ID_SEPARATOR, ID_DEMO_UNHANDLED, ID_INDICATOR_CAPS};
    ASSERT_TRUE(sb.SetIndicators(panes, 3));
    sb.SetPaneText(1, "Ln 3, Col 5");
    Idle();
    UINT id, style;
    int width;
    sb.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(style & SBPS_DISABLED, 0u);
    char text[64] = {};
    sb.GetStatusBarCtrl().Send(SB_GETTEXT, 1, (LPARAM)text);
    EXPECT_STREQ(text, "Ln 3, Col 5");
    EXPECT_FALSE(frame->m_wndToolBar.GetToolBarCtrl().Send(TB_ISBUTTONENABLED, ID_DEMO_UNHANDLED));
    sb.GetPaneInfo(2, id, style, width);
    EXPECT_EQ((style & SBPS_DISABLED) != 0, (GetKeyState(VK_CAPITAL) & 1) == 0) << "Caps Lock's pane follows its handler";
}

TEST_F(AfxDocking, ABarOfAnMdiChildFrameDocksAndFloats)
{
    app->OnFileNew();
    CMDIChildWnd* child = app->Frame()->MDIGetActive();
    ASSERT_NE(child, nullptr);
    child->EnableDocking(CBRS_ALIGN_ANY);
    CToolBar* bar = new CToolBar;
    bar->m_bAutoDelete = TRUE;
    ASSERT_TRUE(bar->Create(child, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_SIZE_DYNAMIC, 0xE812));
    ASSERT_TRUE(bar->LoadToolBar(IDR_DEMO));
    bar->SetWindowText("Child bar");
    bar->EnableDocking(CBRS_ALIGN_ANY);
    child->DockControlBar(bar, AFX_IDW_DOCKBAR_TOP);
    Idle();
    CWnd* view = child->GetDlgItem((int)AFX_IDW_PANE_FIRST);
    ASSERT_NE(view, nullptr);
    RECT vr = Rect(*view), br = Rect(*bar);
    EXPECT_EQ(vr.top, br.bottom);
    // To the child's right edge, then out of it.
    RECT cc;
    child->GetClientRect(&cc);
    MapWindowPoints(child->m_hWnd, nullptr, (POINT*)&cc, 2);
    Drag(Gripper(*bar), POINT{cc.right - 3, (cc.top + cc.bottom) / 2});
    ASSERT_NE(bar->m_pDockBar, nullptr);
    EXPECT_EQ((UINT)bar->m_pDockBar->GetDlgCtrlID(), AFX_IDW_DOCKBAR_RIGHT);
    Drag(Gripper(*bar), POINT{cc.left + 100, cc.bottom + 60});
    EXPECT_TRUE(bar->IsFloating());
    HWND mini = GetParent(GetParent(bar->m_hWnd));
    EXPECT_EQ(GetWindow(mini, GW_OWNER), frame->m_hWnd);   // a child window owns nothing: its top level does
    // Closing the child takes its floating bar along.
    HWND barHwnd = bar->m_hWnd;
    child->SendMessage(WM_CLOSE);
    Idle();
    EXPECT_FALSE(IsWindow(barHwnd));
    EXPECT_FALSE(IsWindow(mini));
}

// The "[Test-...]" sections of the settings file, as bytes.
std::string BarSections(const std::string& conf)
{
    std::string out;
    size_t at = 0;
    while ((at = conf.find("[Test-", at)) != std::string::npos) {
        size_t end = conf.find("\n[", at + 1);
        end = end == std::string::npos ? conf.size() : end + 1;
        out += conf.substr(at, end - at);
        at = end;
    }
    return out;
}

std::vector<uint8_t> U32s(std::initializer_list<uint32_t> values)
{
    std::vector<uint8_t> out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back((uint8_t)(v >> (8 * i)));
    return out;
}

TEST_F(AfxDocking, SavedBarStateMatchesTheGoldenFileRestoresAFreshFrameAndRejectsStrangers)
{
    frame->FloatControlBar(&frame->m_wndBarA, POINT{520, 320});
    frame->DockControlBar(&frame->m_wndBarB, AFX_IDW_DOCKBAR_LEFT);
    frame->ShowControlBar(&frame->m_wndStatusBar, FALSE, FALSE);
    Idle();
    frame->SaveBarState("Test");
    const std::string path = SettingsFilePath("Brenholt", profile);
    const std::string saved = BarSections(ReadAll(path));
    const std::string golden = ReadAll(std::string(getenv("VELDRA_SOURCE")) + "/tests/platform/data/bar_state.conf");
    EXPECT_EQ(saved, golden);

    // A fresh frame at the same place takes the same layout.
    RECT fr = Rect(*frame);
    CDemoMdiFrame* fresh = new CDemoMdiFrame;
    ASSERT_TRUE(fresh->LoadFrame(IDR_DEMO));
    fresh->MoveWindow(fr);
    fresh->ShowWindow(SW_SHOW);
    Idle();
    ASSERT_TRUE(fresh->LoadBarState("Test"));
    Idle();
    auto layout = [&](CDemoMdiFrame* f) {
        std::vector<std::pair<bool, RECT>> out;
        for (CControlBar* b : {(CControlBar*)&f->m_wndToolBar, (CControlBar*)&f->m_wndBarA, (CControlBar*)&f->m_wndBarB,
                               (CControlBar*)&f->m_wndStatusBar})
            out.emplace_back(b->IsVisible() != FALSE, Rect(*b));
        return out;
    };
    auto want = layout(frame), got = layout(fresh);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(want[i].first, got[i].first) << i;
        EXPECT_TRUE(EqualRect(&want[i].second, &got[i].second)) << i;
    }
    EXPECT_TRUE(fresh->m_wndBarA.IsFloating());
    fresh->SaveBarState("Test");
    EXPECT_EQ(BarSections(ReadAll(path)), saved);

    // An absent id, or its placeholder, keeps the layout as it is.
    const auto ids = U32s({AFX_IDW_TOOLBAR, ID_BAR_A, ID_BAR_B, AFX_IDW_STATUS_BAR, AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT,
                           AFX_IDW_DOCKBAR_RIGHT, AFX_IDW_DOCKBAR_BOTTOM});
    const std::string topSec = "Test-Bar-" + std::to_string(AFX_IDW_DOCKBAR_TOP);
    struct Case {
        const char* name;
        std::vector<uint8_t> ids, topBars;
    };
    const Case cases[] = {
        {"absent id", U32s({AFX_IDW_TOOLBAR, 0x1234}), {}},
        {"absent placeholder", {}, U32s({AFX_IDW_TOOLBAR, 0, 0x1234 + AFX_BAR_PLACEHOLDER})},
        {"count past the data", {}, {0x00, 0xe8, 0x00}},
        {"unknown dock bar", {}, U32s({0xE82F})},
    };
    std::vector<uint8_t> goodTop;
    ASSERT_TRUE(app->GetProfileBinary(topSec.c_str(), "Bars", goodTop));
    std::vector<uint8_t> goodIds;
    ASSERT_TRUE(app->GetProfileBinary("Test-Bars", "Ids", goodIds));
    fresh->ShowControlBar(&fresh->m_wndStatusBar, TRUE, FALSE);
    Idle();
    auto before = layout(fresh);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app->WriteProfileBinary("Test-Bars", "Ids", c.ids.empty() ? goodIds.data() : c.ids.data(),
                                c.ids.empty() ? goodIds.size() : c.ids.size());
        app->WriteProfileBinary(topSec.c_str(), "Bars", c.topBars.empty() ? goodTop.data() : c.topBars.data(),
                                c.topBars.empty() ? goodTop.size() : c.topBars.size());
        EXPECT_FALSE(fresh->LoadBarState("Test"));
        Idle();
        auto now = layout(fresh);
        for (size_t i = 0; i < now.size(); ++i) {
            EXPECT_EQ(now[i].first, before[i].first) << i;
            EXPECT_TRUE(EqualRect(&now[i].second, &before[i].second)) << i;
        }
    }
    // A floating place off every screen comes back onto the screen.
    app->WriteProfileBinary("Test-Bars", "Ids", goodIds.data(), goodIds.size());
    app->WriteProfileBinary(topSec.c_str(), "Bars", goodTop.data(), goodTop.size());
    const std::string aSec = "Test-Bar-" + std::to_string(ID_BAR_A);
    const auto far = U32s({(uint32_t)-5000, 99999});
    app->WriteProfileBinary(aSec.c_str(), "FloatPos", far.data(), far.size());
    ASSERT_TRUE(fresh->LoadBarState("Test"));
    Idle();
    RECT mini;
    GetWindowRect(GetParent(GetParent(fresh->m_wndBarA.m_hWnd)), &mini);
    EXPECT_GE(mini.left, 0);
    EXPECT_GE(mini.top, 0);
    EXPECT_LT(mini.top, GetSystemMetrics(SM_CYSCREEN));
    fresh->DestroyWindow();
    Idle();
}

TEST_F(AfxDocking, CtrlKeepsABarFloatingAndSizingItsFrameRewrapsIt)
{
    CToolBar& tb = frame->m_wndToolBar;
    RECT client = Client();
    // Ctrl held over the left edge: it floats instead of docking.
    POINT g = Gripper(tb);
    InjectMouseMove(g.x, g.y);
    InjectButton(VK_LBUTTON, true, g.x, g.y);
    InjectKey(VK_CONTROL, true);
    InjectMouseMove(g.x + 20, g.y + 20);
    InjectMouseMove(client.left + 4, (client.top + client.bottom) / 2);
    InjectButton(VK_LBUTTON, false, client.left + 4, (client.top + client.bottom) / 2);
    InjectKey(VK_CONTROL, false);
    Idle();
    ASSERT_TRUE(tb.IsFloating());
    EXPECT_EQ(tb.GetToolBarCtrl().GetRows(), 1);

    // The right edge of its frame, dragged in: the buttons wrap into rows.
    HWND mini = GetParent(GetParent(tb.m_hWnd));
    RECT w;
    GetWindowRect(mini, &w);
    POINT edge{w.right - 2, (w.top + w.bottom) / 2 + 4};
    ASSERT_EQ(SendMessage(mini, WM_NCHITTEST, 0, MAKELONG(edge.x, edge.y)), HTRIGHT);
    Drag(edge, POINT{edge.x - 60, edge.y});
    RECT after;
    GetWindowRect(mini, &after);
    EXPECT_GT(tb.GetToolBarCtrl().GetRows(), 1);
    EXPECT_GT(after.bottom - after.top, w.bottom - w.top);
    EXPECT_EQ(after.left, w.left);
    EXPECT_FALSE(DragOverlayVisible());
    // It keeps its width when it docks and floats again.
    const int rows = tb.GetToolBarCtrl().GetRows();
    tb.m_pDockContext->ToggleDocking();
    EXPECT_FALSE(tb.IsFloating());
    EXPECT_EQ(tb.GetToolBarCtrl().GetRows(), 1);
    tb.m_pDockContext->ToggleDocking();
    ASSERT_TRUE(tb.IsFloating());
    EXPECT_EQ(tb.GetToolBarCtrl().GetRows(), rows);
}

TEST_F(AfxDocking, TheMiniFrameCloseBoxHidesTheBarAndItsTitleFollowsTheBar)
{
    CToolBar& tb = frame->m_wndToolBar;
    frame->FloatControlBar(&tb, POINT{500, 300});
    Idle();
    HWND mini = GetParent(GetParent(tb.m_hWnd));
    tb.SetWindowText("Renamed");
    Idle();
    EXPECT_EQ(CWnd::FromHandle(mini)->GetWindowText(), "Renamed");
    // The close box: the bar hides, the frame with it; View shows both again.
    RECT w;
    GetWindowRect(mini, &w);
    POINT close{w.right - 8, w.top + 6};
    ASSERT_EQ(SendMessage(mini, WM_NCHITTEST, 0, MAKELONG(close.x, close.y)), HTCLOSE);
    InjectMouseMove(close.x, close.y);
    InjectClick(close.x, close.y);
    Idle();
    EXPECT_TRUE(IsWindow(mini));
    EXPECT_FALSE(IsWindowVisible(mini));
    EXPECT_FALSE(tb.IsVisible());
    frame->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    Idle();
    EXPECT_TRUE(IsWindowVisible(mini));
    EXPECT_TRUE(tb.IsFloating());
}

// A bar that asks for a layout while it is being laid out.
class CReentrantBar : public CControlBar {
public:
    int depth = 0, deepest = 0, calls = 0;
    SIZE CalcFixedLayout(BOOL, BOOL) override
    {
        ++calls;
        deepest = std::max(deepest, ++depth);
        if (m_pDockSite) m_pDockSite->RecalcLayout();
        --depth;
        return SIZE{32767, 10};
    }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

TEST_F(AfxDocking, ALayoutAskedForDuringALayoutWaitsForIdleTime)
{
    CReentrantBar bar;
    ASSERT_TRUE(bar.CreateBar("", WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, frame, 0xE814));
    frame->RecalcLayout();
    EXPECT_EQ(bar.deepest, 1);
    const int calls = bar.calls;
    Idle();   // the deferred layout runs once, and defers its own request again
    EXPECT_GT(bar.calls, calls);
    EXPECT_EQ(bar.deepest, 1);
    bar.DestroyWindow();
}

// At its first timer tick: posts WM_CLOSE to the frame, or takes the capture away.
class CMidDrag : public CWnd {
public:
    HWND frame = nullptr;
    bool close = false;
    void OnTimer(UINT_PTR id)
    {
        KillTimer(id);
        if (close)
            ::PostMessage(frame, WM_CLOSE, 0, 0);
        else
            ::SetCapture(m_hWnd);
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMidDrag, CWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST_F(AfxDocking, WmCloseOrALostCaptureDuringADragCancelsIt)
{
    for (bool close : {true, false}) {
        SCOPED_TRACE(close ? "WM_CLOSE" : "lost capture");
        CMidDrag helper;
        helper.frame = frame->m_hWnd;
        helper.close = close;
        ASSERT_TRUE(helper.CreateEx(0, nullptr, "helper", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        CToolBar& b = frame->m_wndBarB;
        RECT before = Rect(b);
        POINT g = Gripper(b);
        g.y += close ? 0 : 4;   // presses at one spot would pair into a double click
        InjectMouseMove(g.x, g.y);
        InjectButton(VK_LBUTTON, true, g.x, g.y);
        InjectMouseMove(g.x + 30, g.y + 30);
        InjectMouseMove(400, 380);
        helper.SetTimer(1, 1);
        PumpUntilIdle();
        // The drag waits for the button; the tick ends it.
        for (int i = 0; i < 200 && frame->m_wndBarB.m_pDockContext->m_bDragging; ++i) {
            MSG m;
            if (GetMessage(&m, nullptr, 0, 0)) DispatchMessage(&m);
        }
        InjectButton(VK_LBUTTON, false, 400, 380);
        Idle();
        EXPECT_TRUE(IsWindow(frame->m_hWnd));
        EXPECT_FALSE(b.IsFloating());
        RECT after = Rect(b);
        EXPECT_TRUE(EqualRect(&before, &after));
        EXPECT_FALSE(DragOverlayVisible());
        EXPECT_TRUE(b.m_pDockContext->m_bCancelled);
        ReleaseCapture();
        helper.DestroyWindow();
    }
}

TEST_F(AfxDocking, DestroyingAFloatingBarUnlinksItAndEndsItsMiniFrame)
{
    for (bool direct : {false, true}) {
        CToolBar& b = direct ? frame->m_wndBarB : frame->m_wndBarA;
        const UINT id = (UINT)b.GetDlgCtrlID();
        frame->FloatControlBar(&b, POINT{300 + 100 * direct, 300});
        Idle();
        HWND mini = GetParent(GetParent(b.m_hWnd));
        ASSERT_TRUE(IsWindow(mini));
        if (direct)
            ::DestroyWindow(b.m_hWnd);   // as a watcher would: no frame call
        else
            b.DestroyWindow();
        Idle();
        EXPECT_FALSE(IsWindow(mini));
        EXPECT_EQ(frame->GetControlBar(id), nullptr);
        for (const auto& row : RowsOf(AFX_IDW_DOCKBAR_TOP))
            for (UINT e : row) EXPECT_NE(e % AFX_BAR_PLACEHOLDER, id);
    }
    // The layout and a save still work without them.
    frame->RecalcLayout();
    frame->SaveBarState("Test");
    EXPECT_TRUE(frame->LoadBarState("Test"));
}

const CDialogItemTemplate kBarItems[] = {
    {WC_BUTTON, "New", ID_FILE_NEW, WS_TABSTOP, 4, 2, 40, 14, 0},
    {WC_BUTTON, "?", ID_DEMO_UNHANDLED, WS_TABSTOP, 48, 2, 40, 14, 0},
};
const CDialogTemplate kBarTemplate = {DS_CONTROL, 0, "", 0, 0, 200, 18, kBarItems, 2};

TEST_F(AfxDocking, ADialogBarDisablesUnhandledControlsAndFrameAcceleratorsStillFire)
{
    AfxGetProgramModuleState()->m_resources.AddDialog(0x7101, &kBarTemplate);
    CDialogBar bar;
    ASSERT_TRUE(bar.Create(frame, 0x7101, WS_CHILD | WS_VISIBLE | CBRS_TOP, 0xE813));
    frame->RecalcLayout();
    Idle();
    CWnd* handled = bar.GetDlgItem((int)ID_FILE_NEW);
    CWnd* unhandled = bar.GetDlgItem((int)ID_DEMO_UNHANDLED);
    ASSERT_TRUE(handled && unhandled);
    EXPECT_TRUE(handled->IsWindowEnabled());
    EXPECT_FALSE(unhandled->IsWindowEnabled());
    RECT br = Rect(bar), mdi;
    GetWindowRect(frame->m_hWndMDIClient, &mdi);
    EXPECT_EQ(Client().top, br.top);   // outermost, above the dock rows
    EXPECT_GT(mdi.top, br.bottom);
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'N', (WORD)ID_FILE_NEW}};
    frame->m_hAccelTable = CreateAcceleratorTable(keys, 1);
    handled->SetFocus();
    ASSERT_EQ(GetFocus(), handled->m_hWnd);
    const size_t children = app->Frame()->Children().size();
    InjectKey(VK_CONTROL, true);
    InjectKeyStroke('N');
    InjectKey(VK_CONTROL, false);
    PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
    EXPECT_EQ(app->Frame()->Children().size(), children + 1);
    bar.DestroyWindow();
}

// The frame and its floating bar's window as one picture, in screen places.
bool SaveDesktopPng(const std::vector<HWND>& windows, const std::string& path)
{
    RECT all{};
    for (HWND h : windows) {
        RECT r;
        GetWindowRect(h, &r);
        UnionRect(&all, &all, &r);
    }
    const int w = all.right - all.left + 20, h = all.bottom - all.top + 20;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) *(uint32_t*)(data + (size_t)y * stride + (size_t)x * 4) = 0x3a6ea5;   // desktop
    for (HWND win : windows) {   // bottom first
        std::vector<uint32_t> px;
        SIZE sz{};
        if (!HeadlessCopySurface(win, &px, &sz)) continue;
        RECT r;
        GetWindowRect(win, &r);
        for (int y = 0; y < sz.cy; ++y)
            for (int x = 0; x < sz.cx; ++x) {
                const int dx = r.left - all.left + 10 + x, dy = r.top - all.top + 10 + y;
                if (dx >= 0 && dy >= 0 && dx < w && dy < h)
                    *(uint32_t*)(data + (size_t)dy * stride + (size_t)dx * 4) = px[(size_t)y * sz.cx + x];
            }
    }
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

TEST_F(AfxDocking, APictureOfTheFrameWithDockedFloatingAndStatusBars)
{
    frame->FloatControlBar(&frame->m_wndBarA, POINT{560, 200});
    frame->DockControlBar(&frame->m_wndBarB, AFX_IDW_DOCKBAR_LEFT);
    frame->m_wndStatusBar.SetPaneText(0, "Ready");
    InjectKeyStroke(VK_CAPITAL);
    Idle();
    RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HWND mini = GetParent(GetParent(frame->m_wndBarA.m_hWnd));
    RedrawWindow(mini, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    PumpUntilIdle();
    const char* out = getenv("VELDRA_OUT");
    fs::path dir = fs::path(out ? out : "build/out").parent_path() / "test-artifacts";
    fs::create_directories(dir);
    const fs::path png = dir / "docking_frame.png";
    ASSERT_TRUE(SaveDesktopPng({frame->m_hWnd, mini}, png.string()));
    EXPECT_GT(fs::file_size(png), 1000u);
    // The toolbar's first button shows its red image on the docked bar.
    RECT r;
    frame->m_wndToolBar.GetItemRect(0, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MapWindowPoints(frame->m_wndToolBar.m_hWnd, frame->m_hWnd, &p, 1);
    RECT wr, cr;
    GetWindowRect(frame->m_hWnd, &wr);
    GetClientRect(frame->m_hWnd, &cr);
    POINT origin{0, 0};
    ClientToScreen(frame->m_hWnd, &origin);
    COLORREF c = 0;
    ASSERT_TRUE(HeadlessGetPixel(frame->m_hWnd, p.x + origin.x - wr.left, p.y + origin.y - wr.top, &c));
    EXPECT_EQ(c, RGB(200, 0, 0));
}

}  // namespace
