// Sizing bars docked in an 800x600 frame: two gripper bars share a left row,
// a caption bar sits at the bottom; injected mouse input drags their edges,
// closes, floats and re-docks them; their sizes go through the settings file.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "../platform/afx_test_util.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/win_app.h"
#include "platform/backend/headless.h"
#include "ui_controls/bars/resizable_bar_cf.h"

namespace fs = std::filesystem;

namespace {

class BarApp : public CWinApp {
public:
    explicit BarApp(std::string profile) : CWinApp(nullptr, AfxGetProgramModuleState()) { m_pszProfileName = std::move(profile); }
};

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

class BarResizable : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        ResetSystemSettings();
        profile = "BarResizable-" + std::to_string(getpid());
        fs::remove(SettingsFilePath("Brenholt", profile));
        app = std::make_unique<BarApp>(profile);
        prevThread = AfxSetThread(app.get());
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Bars", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}));
        app->m_pMainWnd = frame;
        frame->EnableDocking(CBRS_ALIGN_ANY);
        MakeBar(one, 201, "One", CBRS_LEFT);
        MakeBar(two, 202, "Two", CBRS_LEFT);
        MakeBar(three, 203, "Three", CBRS_BOTTOM);
        frame->DockControlBar(&one, AFX_IDW_DOCKBAR_LEFT);
        frame->RecalcLayout();
        RECT r = Rect(one);
        RECT below{r.left, r.bottom, r.right, r.bottom + 40};
        frame->DockControlBar(&two, AFX_IDW_DOCKBAR_LEFT, &below);
        frame->DockControlBar(&three, AFX_IDW_DOCKBAR_BOTTOM);
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
        ResetSystemSettings();
        AfxTest::TearDown();
    }
    void MakeBar(CResizableBar& bar, UINT id, const char* title, DWORD side)
    {
        ASSERT_TRUE(bar.Create(title, frame, id, WS_CHILD | WS_VISIBLE | side));
        bar.m_dwSCBStyle |= CResizableBar::FitChild;
        auto child = std::make_unique<CWnd>();
        ASSERT_TRUE(child->Create(nullptr, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 10, 10}, &bar, 1));
        children.push_back(std::move(child));
        bar.EnableDocking(CBRS_ALIGN_ANY);
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
    static int H(CWnd& w) { return Rect(w).bottom - Rect(w).top; }
    static int W(CWnd& w) { return Rect(w).right - Rect(w).left; }
    // Presses at `from`, moves to `to` in two steps, releases there.
    void Drag(POINT from, POINT to, const std::function<void()>& beforeRelease = {})
    {
        InjectMouseMove(from.x, from.y);
        InjectButton(VK_LBUTTON, true, from.x, from.y);
        InjectMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
        InjectMouseMove(to.x, to.y);
        // Dock drags and frame sizing run nested loops: their input must be queued whole.
        if (beforeRelease) {
            PumpUntilIdle();
            beforeRelease();
        }
        InjectButton(VK_LBUTTON, false, to.x, to.y);
        Idle();
    }
    POINT BottomEdge(CWnd& w)
    {
        RECT r = Rect(w);
        return POINT{(r.left + r.right) / 2, r.bottom - 2};
    }

    std::string profile;
    std::unique_ptr<BarApp> app;
    CWinThread* prevThread = nullptr;
    CFrameWnd* frame = nullptr;
    CResizableBarG one, two;
    CResizableBarCF three;
    std::vector<std::unique_ptr<CWnd>> children;
};

TEST_F(BarResizable, DockedBarsShareTheRowAndChildrenFillThem)
{
    EXPECT_TRUE(one.IsVertDocked());
    EXPECT_TRUE(three.IsHorzDocked());
    // One row on the left: the bars split its length.
    EXPECT_EQ(Rect(one).left, Rect(two).left);
    EXPECT_EQ(Rect(one).bottom, Rect(two).top);
    RECT fc;
    frame->GetClientRect(&fc);
    EXPECT_EQ(H(one) + H(two) + H(three), fc.bottom);
    // The child fills the client area.
    RECT c, cc;
    one.GetClientRect(&c);
    children[0]->GetWindowRect(&cc);
    EXPECT_EQ(cc.right - cc.left, c.right);
    EXPECT_EQ(cc.bottom - cc.top, c.bottom);
    // Hit test: 201 has a bottom edge (a bar follows) and a right edge (facing the view), no top edge.
    RECT r = Rect(one);
    auto hit = [&](int x, int y) { return ::SendMessage(one.m_hWnd, WM_NCHITTEST, 0, (LPARAM)((y << 16) | (x & 0xFFFF))); };
    EXPECT_EQ(hit((r.left + r.right) / 2, r.bottom - 1), HTBOTTOM);
    EXPECT_EQ(hit(r.right - 1, (r.top + r.bottom) / 2), HTRIGHT);
    EXPECT_EQ(hit((r.left + r.right) / 2, r.top + 1), HTCLIENT);
    EXPECT_EQ(hit(r.left + 1, (r.top + r.bottom) / 2), HTCLIENT);
    RECT cb = one.CloseButtonRect();
    EXPECT_EQ(hit(r.left + cb.left + 5, r.top + cb.top + 5), HTCLOSE);
}

TEST_F(BarResizable, InnerEdgeDragMovesSizeBetweenNeighbours)
{
    for (BOOL full : {TRUE, FALSE}) {
        SCOPED_TRACE(full ? "drag full windows" : "tracker");
        SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, full, nullptr, 0);
        ::SendMessage(one.m_hWnd, WM_SETTINGCHANGE, 0, 0);
        const int h1 = H(one), h2 = H(two);
        const int d = full ? 40 : -40;
        POINT from = BottomEdge(one);
        Drag(from, POINT{from.x, from.y + d}, [&] {
            // Without full dragging only the tracker moves until the release.
            if (full)
                EXPECT_EQ(H(one), h1 + d);
            else
                EXPECT_EQ(H(one), h1);
        });
        EXPECT_EQ(H(one), h1 + d);
        EXPECT_EQ(H(two), h2 - d);
        if (!full) {
            // Every band is drawn and then erased at the same place, and the last sits at the release point.
            const auto& log = one.m_trackerLog;
            ASSERT_GE(log.size(), 4u);
            ASSERT_EQ(log.size() % 2, 0u);
            for (size_t i = 0; i < log.size(); i += 2) EXPECT_TRUE(EqualRect(&log[i], &log[i + 1])) << i;
            EXPECT_EQ(log.back().top, log.front().top + d);
        } else {
            EXPECT_TRUE(one.m_trackerLog.empty());
        }
        EXPECT_FALSE(one.m_bTracking);
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST_F(BarResizable, EdgeDragStopsAtMinimumAndThicknessEdgeResizesTheRow)
{
    POINT from = BottomEdge(one);
    Drag(from, POINT{from.x, from.y + 1000});
    EXPECT_EQ(H(two), 32);
    const int w = W(one);
    RECT r = Rect(one);
    POINT edge{r.right - 2, (r.top + r.bottom) / 2};
    Drag(edge, POINT{edge.x + 50, edge.y});
    EXPECT_EQ(W(one), w + 50);
    EXPECT_EQ(W(two), w + 50);
}

TEST_F(BarResizable, MinimumsLongerThanTheDockMakeTwoRows)
{
    one.m_szMinVert.cy = two.m_szMinVert.cy = 300;
    frame->RecalcLayout();
    Idle();
    CDockBar* dock = one.m_pDockBar;
    ASSERT_TRUE(dock);
    EXPECT_EQ(dock->Rows().size(), 2u);
    EXPECT_LT(Rect(one).right, Rect(two).left + 1);
    EXPECT_GE(H(one), 300);
    EXPECT_GE(H(two), 300);
}

TEST_F(BarResizable, RowFittingSharesTheDifferenceAndEnds)
{
    struct Case {
        const char* name;
        int len1, len2, avail;
        BOOL keep1, keep2;
        int want1, want2;
    };
    const Case cases[] = {
        {"grow evenly", 100, 100, 260, FALSE, FALSE, 130, 130},
        {"shrink evenly", 150, 150, 200, FALSE, FALSE, 100, 100},
        {"held bar keeps its length", 100, 100, 260, TRUE, FALSE, 100, 160},
        {"shrink past a bar at its minimum", 32, 200, 100, FALSE, FALSE, 32, 68},
        // Nothing but held bars can give: hold is cleared and the passes go on.
        {"held bars give when they must", 120, 32, 100, TRUE, FALSE, 68, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        one.m_szVert.cy = c.len1;
        two.m_szVert.cy = c.len2;
        one.m_bKeepSize = c.keep1;
        two.m_bKeepSize = c.keep2;
        EXPECT_TRUE(one.FitRow(c.avail, false));
        EXPECT_EQ(one.m_szVert.cy, c.want1);
        EXPECT_EQ(two.m_szVert.cy, c.want2);
    }
}

TEST_F(BarResizable, CloseButtonHidesAndWmCloseDoesNothing)
{
    ::SendMessage(two.m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(two.IsWindowVisible());
    RECT r = Rect(two);
    RECT cb = two.CloseButtonRect();
    InjectClick(r.left + cb.left + 5, r.top + cb.top + 5);
    Idle();
    EXPECT_FALSE(two.IsWindowVisible());
    EXPECT_TRUE(one.IsWindowVisible());
}

TEST_F(BarResizable, GripperDoubleClickFloatsAndDocksAgain)
{
    RECT r = Rect(one);
    RECT c;
    one.GetClientRect(&c);
    POINT o{0, 0};
    ClientToScreen(one.m_hWnd, &o);
    // The gripper lies above the client area (vertical bar).
    const int x = o.x + 20, y = o.y - 6;
    ASSERT_LT(y, o.y);
    ASSERT_GT(y, r.top);
    InjectClick(x, y);
    InjectClick(x, y);
    Idle();
    ASSERT_TRUE(one.IsFloatingBar());
    EXPECT_EQ(W(one), one.m_szFloat.cx);
    EXPECT_EQ(H(one), one.m_szFloat.cy);
    // Floating bars show no edges.
    RECT fr = Rect(one);
    EXPECT_EQ(::SendMessage(one.m_hWnd, WM_NCHITTEST, 0, (LPARAM)(((fr.bottom - 1) << 16) | ((fr.left + 20) & 0xFFFF))), HTCLIENT);
    one.m_pDockContext->ToggleDocking();
    Idle();
    EXPECT_TRUE(one.IsVertDocked());
}

TEST_F(BarResizable, FloatingCornerSizingStopsAtTheFloatingMinimum)
{
    one.m_pDockContext->ToggleDocking();
    Idle();
    ASSERT_TRUE(one.IsFloatingBar());
    HWND mf = ::GetParent(::GetParent(one.m_hWnd));
    RECT r;
    ::GetWindowRect(mf, &r);
    const POINT corner{r.right - 2, r.bottom - 2};
    ASSERT_EQ(::SendMessage(mf, WM_NCHITTEST, 0, (LPARAM)((corner.y << 16) | corner.x)), HTBOTTOMRIGHT);
    const int w = W(one);
    Drag(corner, POINT{corner.x - 400, corner.y - 400});
    // The frame's sizing sets the width; the bar never goes below its floating minimum.
    EXPECT_LT(W(one), w);
    EXPECT_GE(W(one), one.m_szMinFloat.cx);
    EXPECT_GE(one.m_szFloat.cy, one.m_szMinFloat.cy);
    EXPECT_EQ(one.CalcDynamicLayout(5, LM_HORZ | LM_COMMIT).cx, one.m_szMinFloat.cx);
    EXPECT_EQ(one.CalcDynamicLayout(5, LM_HORZ | LM_LENGTHY | LM_COMMIT).cy, one.m_szMinFloat.cy);
}

TEST_F(BarResizable, GripperDragToTheRightEdgeDocksRight)
{
    POINT o{0, 0};
    ClientToScreen(one.m_hWnd, &o);
    RECT fr = Rect(*frame);
    Drag(POINT{o.x + 30, o.y - 6}, POINT{fr.right - 6, (fr.top + fr.bottom) / 2});
    ASSERT_TRUE(one.m_pDockBar);
    EXPECT_EQ((UINT)one.m_pDockBar->GetDlgCtrlID(), AFX_IDW_DOCKBAR_RIGHT);
    EXPECT_TRUE(one.IsVertDocked());
    // Its edge now faces the view on the left.
    RECT r = Rect(one);
    EXPECT_EQ(::SendMessage(one.m_hWnd, WM_NCHITTEST, 0, (LPARAM)((((r.top + r.bottom) / 2) << 16) | (r.left + 1))), HTLEFT);
}

TEST_F(BarResizable, CloseButtonTurnsHotAndPressedAndTheCaptionFollowsTheFocus)
{
    RECT r = Rect(three);
    RECT cb = three.CloseButtonRect();
    const int x = r.left + cb.left + 5, y = r.top + cb.top + 5;
    InjectMouseMove(x, y);
    PumpUntilIdle();
    three.OnUpdateCmdUI(frame, FALSE);
    EXPECT_TRUE(three.m_bHot);
    EXPECT_FALSE(three.m_bPushed);
    InjectButton(VK_LBUTTON, true, x, y);
    PumpUntilIdle();
    three.OnUpdateCmdUI(frame, FALSE);
    EXPECT_TRUE(three.m_bPushed);
    EXPECT_FALSE(three.m_bHot);
    InjectMouseMove(x + 200, y + 100);
    InjectButton(VK_LBUTTON, false, x + 200, y + 100);
    PumpUntilIdle();
    three.OnUpdateCmdUI(frame, FALSE);
    EXPECT_FALSE(three.m_bPushed || three.m_bHot);
    EXPECT_TRUE(three.IsWindowVisible());   // released away from the button

    EXPECT_FALSE(three.m_bActive);
    children[2]->SetFocus();
    three.OnUpdateCmdUI(frame, FALSE);
    EXPECT_TRUE(three.m_bActive);
    EXPECT_TRUE(three.m_sFontFace == "Tahoma" || three.m_sFontFace == "Arial");
}

TEST_F(BarResizable, SizesGoToTheSettingsFileAndLoadRaisedToMinimum)
{
    one.m_szHorz = SIZE{300, 100};
    one.m_szVert = SIZE{150, 250};
    one.m_szFloat = SIZE{220, 180};
    two.m_szHorz = two.m_szVert = two.m_szFloat = SIZE{200, 200};
    three.m_szHorz = SIZE{10, 90};
    three.m_szVert = SIZE{120, 40};
    three.m_szFloat = SIZE{37, 32};
    CResizableBar::SaveAllSizes(frame, "Test");
    const std::string expected =
        "[Test-SCBar-201]\n"
        "sizeHorzCX=dword:0000012c\nsizeHorzCY=dword:00000064\nsizeVertCX=dword:00000096\n"
        "sizeVertCY=dword:000000fa\nsizeFloatCX=dword:000000dc\nsizeFloatCY=dword:000000b4\n"
        "\n[Test-SCBar-202]\n"
        "sizeHorzCX=dword:000000c8\nsizeHorzCY=dword:000000c8\nsizeVertCX=dword:000000c8\n"
        "sizeVertCY=dword:000000c8\nsizeFloatCX=dword:000000c8\nsizeFloatCY=dword:000000c8\n"
        "\n[Test-SCBar-203]\n"
        "sizeHorzCX=dword:0000000a\nsizeHorzCY=dword:0000005a\nsizeVertCX=dword:00000078\n"
        "sizeVertCY=dword:00000028\nsizeFloatCX=dword:00000025\nsizeFloatCY=dword:00000020\n";
    EXPECT_EQ(ReadAll(SettingsFilePath("Brenholt", profile)), expected);

    app->WriteProfileInt("Test-SCBar-201", "sizeHorzCY", 10);
    one.m_szHorz = SIZE{0, 0};
    one.LoadSizes("Test");
    EXPECT_EQ(one.m_szHorz.cy, 32);
    EXPECT_EQ(one.m_szHorz.cx, 300);
    EXPECT_EQ(one.m_szVert.cy, 250);
    // A damaged file: sizes at the ends of the 32-bit range are bounded.
    app->WriteProfileInt("Test-SCBar-201", "sizeHorzCX", INT32_MAX);
    app->WriteProfileInt("Test-SCBar-201", "sizeVertCY", INT32_MIN);
    one.LoadSizes("Test");
    EXPECT_EQ(one.m_szHorz.cx, kCoordLimit);
    EXPECT_EQ(one.m_szVert.cy, one.m_szMinVert.cy);
}

// The bar's non-client painting, recorded through its window DC.
std::string NcLog(CWnd& bar)
{
    HDC rec = CreateRecordingDC(FALSE);
    RedirectWindowDC(bar.m_hWnd, rec);
    ::SendMessage(bar.m_hWnd, WM_NCPAINT, 1, 0);
    RedirectWindowDC(bar.m_hWnd, nullptr);
    std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    return log;
}

// Compares with tests/ui_controls/data/bars/<name>; VELDRA_UPDATE_GOLDEN=1 rewrites it.
void ExpectGoldenLog(const std::string& name, const std::string& text)
{
    const char* src = getenv("VELDRA_SOURCE");
    const fs::path path = fs::path(src ? src : ".") / "tests/ui_controls/data/bars" / name;
    if (getenv("VELDRA_UPDATE_GOLDEN")) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    EXPECT_EQ(ReadAll(path.string()), text) << "golden log " << path;
}

TEST_F(BarResizable, RecordedNcPaintsOfTheCaptionBarEqualTheStoredLogs)
{
    three.SetWindowText("Output");
    for (const char* side : {"bottom", "left"}) {
        if (std::string(side) == "left") {
            frame->DockControlBar(&three, AFX_IDW_DOCKBAR_LEFT);
            frame->RecalcLayout();
            Idle();
        }
        for (BOOL gradient : {FALSE, TRUE}) {
            SystemParametersInfo(SPI_SETGRADIENTCAPTIONS, 0, (void*)(intptr_t)gradient, 0);
            for (BOOL active : {FALSE, TRUE}) {
                three.m_bActive = active;
                const std::string name = std::string("cf_") + side + (gradient ? "_gradient" : "_flat") +
                                         (active ? "_active" : "_inactive") + ".log";
                SCOPED_TRACE(name);
                const std::string log = NcLog(three);
                EXPECT_NE(log.find("BitBlt"), std::string::npos);   // the double buffer reaches the window
                ExpectGoldenLog(name, log);
            }
        }
    }
    // The close button: flat, hot and pressed.
    SystemParametersInfo(SPI_SETGRADIENTCAPTIONS, 0, (void*)0, 0);
    three.m_bActive = FALSE;
    std::string logs[3];
    for (int state = 0; state < 3; ++state) {
        three.m_bHot = state == 1;
        three.m_bPushed = state == 2;
        logs[state] = NcLog(three);
        ExpectGoldenLog(std::string("close_") + (state == 0 ? "flat" : state == 1 ? "hot" : "pressed") + ".log", logs[state]);
    }
    EXPECT_NE(logs[0], logs[1]);
    EXPECT_NE(logs[1], logs[2]);
    three.m_bHot = three.m_bPushed = FALSE;
}

TEST_F(BarResizable, TrackerBandsOnTheFrameDcAreErasedWhereTheyWereDrawn)
{
    SystemParametersInfo(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
    ::SendMessage(one.m_hWnd, WM_SETTINGCHANGE, 0, 0);
    HDC rec = CreateRecordingDC(FALSE);
    RedirectWindowDC(frame->m_hWnd, rec);
    POINT from = BottomEdge(one);
    Drag(from, POINT{from.x, from.y + 40});
    RedirectWindowDC(frame->m_hWnd, nullptr);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    // Only inverting bands reach the frame's DC, each drawn and erased at one place.
    std::vector<std::string> bands;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        ASSERT_EQ(line.rfind("PatBlt ", 0), 0u) << line;
        bands.push_back(line.substr(0, line.find(" | ")));
    }
    ASSERT_GE(bands.size(), 4u);
    ASSERT_EQ(bands.size() % 2, 0u);
    for (size_t i = 0; i < bands.size(); i += 2) EXPECT_EQ(bands[i], bands[i + 1]) << i;
    EXPECT_NE(bands.front(), bands.back());
    EXPECT_NE(log.find("PATINVERT"), std::string::npos) << log;
}

TEST_F(BarResizable, ScreenshotOfDockedBars)
{
    SystemParametersInfo(SPI_SETGRADIENTCAPTIONS, 0, (void*)1, 0);
    three.SetWindowText("Output");
    Idle();
    RedrawWindow(frame->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (CWnd* b : {(CWnd*)&one, (CWnd*)&two, (CWnd*)&three}) ::SendMessage(b->m_hWnd, WM_NCPAINT, 0, 0);
    fs::path dir = fs::read_symlink("/proc/self/exe").parent_path() / "test-artifacts";
    fs::create_directories(dir);
    const fs::path png = dir / "resizable_bars.png";
    ASSERT_TRUE(HeadlessSavePng(frame->m_hWnd, png.string()));
    EXPECT_TRUE(fs::exists(png));
}

}  // namespace
