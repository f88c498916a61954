// Resizable dialogs: every child follows its percentages (larger, smaller,
// by the grip), the grip stops at the first size, records go with their
// controls, and the position store writes and restores the rectangle.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "../platform/afx_test_util.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/win_app.h"
#include "platform/backend/headless.h"
#include "ui_controls/layout/size_icon_ctrl.h"
#include "platform/controls/controls.h"
#include "ui_controls/layout/dynamic_dialog.h"

namespace fs = std::filesystem;

namespace {

const CDialogItemTemplate kItems[] = {
    {"Edit", "", 100, WS_BORDER, 5, 5, 100, 12, 0},
    {"Button", "OK", 101, 0, 150, 80, 40, 14, 0},
    {"Static", "Label", 102, 0, 60, 40, 40, 10, 0},
    {"Button", "Help", 103, 0, 5, 80, 40, 14, 0},
};
const CDialogTemplate kFixed = {WS_POPUP | WS_CAPTION, 0, "Layout", 0, 0, 200, 100, kItems, 4};
const CDialogTemplate kSizable = {WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, "Layout", 0, 0, 200, 100, kItems, 4};

const LayoutTableEntry kTable[] = {
    {1, 100, {0, 0, 100, 0}},   // stretches across
    {2, 101, {2, 2, 0, 0}},     // moves with the bottom-right corner
    {1, 0, {50, 0, 50, 0}},     // the rest: centred across
    {0, 0, {0, 0, 0, 0}},
};

class LayoutDlg : public LytDynamicDialog {
public:
    LayoutDlg(const CDialogTemplate* t, CWnd* parent, int axes, int flags, UINT storeId = 0)
        : LytDynamicDialog(t, parent, axes, flags, storeId)
    {
    }
    const LayoutTableEntry* GetLayoutTable() const override { return kTable; }
};

RECT Expected(const LayoutRecord& r, int dx, int dy)
{
    RECT e{r.rc.left + r.pct[0] * dx / 100, r.rc.top + r.pct[1] * dy / 100, r.rc.right + r.pct[2] * dx / 100,
           r.rc.bottom + r.pct[3] * dy / 100};
    if (e.left + r.minSize.cx >= e.right) e.right = -10, e.left = -10 - r.minSize.cx;
    if (e.top + r.minSize.cy >= e.bottom) e.bottom = -10, e.top = -10 - r.minSize.cy;
    return e;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(parent, &a);
    ScreenToClient(parent, &b);
    return RECT{a.x, a.y, b.x, b.y};
}

SIZE WinSize(HWND h)
{
    RECT r;
    GetWindowRect(h, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void ExpectAllFollow(LayoutDlg& dlg)
{
    RECT c;
    dlg.GetClientRect(&c);
    const int dx = c.right - dlg.m_szInit.cx, dy = c.bottom - dlg.m_szInit.cy;
    int checked = 0;
    for (const auto& [h, rec] : dlg.m_controls) {
        RECT want = Expected(rec, dx, dy), got = ChildRect(dlg.m_hWnd, h);
        EXPECT_TRUE(EqualRect(&want, &got)) << "control " << GetDlgCtrlID(h) << " dx " << dx << " dy " << dy << ": got "
                                            << got.left << "," << got.top << "," << got.right << "," << got.bottom;
        ++checked;
    }
    EXPECT_GE(checked, 4);
}

using DialogDynamic = AfxTest;

TEST_F(DialogDynamic, ChildrenFollowThePercentagesLargerAndSmaller)
{
    LayoutDlg dlg(&kFixed, nullptr, 3, LytDynamicLayout::CreateGrip);
    ASSERT_TRUE(dlg.CreateIndirect(&kFixed, nullptr));
    ASSERT_EQ(dlg.CountRecords(), 5);   // four items and the grip
    const LayoutRecord* edit = dlg.FindRecord(dlg.GetDlgItem(100)->m_hWnd);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->pct[2], 100);
    const LayoutRecord* ok = dlg.FindRecord(dlg.GetDlgItem(101)->m_hWnd);
    EXPECT_EQ(ok->pct[0], 100);
    EXPECT_EQ(ok->pct[3], 100);
    const LayoutRecord* label = dlg.FindRecord(dlg.GetDlgItem(102)->m_hWnd);
    EXPECT_EQ(label->pct[0], 50);
    EXPECT_EQ(label->pct[2], 50);
    const SIZE s = WinSize(dlg.m_hWnd);
    // Larger, smaller than the first size (negative change, odd pixels truncate), and too small.
    for (SIZE d : {SIZE{101, 61}, SIZE{-33, -21}, SIZE{-250, -5}}) {
        SCOPED_TRACE(d.cx);
        SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, s.cx + d.cx, s.cy + d.cy, SWP_NOMOVE | SWP_NOZORDER);
        PumpUntilIdle();
        ExpectAllFollow(dlg);
    }
    // A destroyed control takes its record with it.
    HWND help = dlg.GetDlgItem(103)->m_hWnd;
    ::DestroyWindow(help);
    EXPECT_FALSE(dlg.FindRecord(help));
    EXPECT_EQ(dlg.CountRecords(), 4);
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.CountRecords(), 0);
    EXPECT_EQ(dlg.m_pSizeGrip, nullptr);
}

TEST_F(DialogDynamic, GripDraggingStopsAtTheFirstSizeAndKeepsFixedAxes)
{
    for (int axes : {3, 1}) {
        SCOPED_TRACE(axes);
        LayoutDlg dlg(&kSizable, nullptr, axes, LytDynamicLayout::CreateGrip);
        ASSERT_TRUE(dlg.CreateIndirect(&kSizable, nullptr));
        dlg.ShowWindow(SW_SHOW);
        PumpUntilIdle();
        const SIZE first = WinSize(dlg.m_hWnd);
        int shift = 0;
        auto dragGrip = [&](int dx, int dy) {
            RECT g;
            dlg.m_pSizeGrip->GetWindowRect(&g);
            // Presses at one spot would pair into a double click.
            const int x = (g.left + g.right) / 2 - shift, y = (g.top + g.bottom) / 2 - shift;
            shift += 4;
            InjectMouseMove(x, y);
            EXPECT_EQ(WindowFromPoint(POINT{x, y}), dlg.m_pSizeGrip->m_hWnd);
            InjectButton(VK_LBUTTON, true, x, y);
            InjectMouseMove(x + dx / 2, y + dy / 2);
            InjectMouseMove(x + dx, y + dy);
            InjectButton(VK_LBUTTON, false, x + dx, y + dy);
            PumpUntilIdle();
        };
        dragGrip(-60, -40);
        EXPECT_EQ(WinSize(dlg.m_hWnd).cx, first.cx);
        EXPECT_EQ(WinSize(dlg.m_hWnd).cy, first.cy);
        dragGrip(50, 30);
        EXPECT_EQ(WinSize(dlg.m_hWnd).cx, first.cx + 50);
        EXPECT_EQ(WinSize(dlg.m_hWnd).cy, axes == 3 ? first.cy + 30 : first.cy);
        ExpectAllFollow(dlg);
        dlg.DestroyWindow();
    }
}

TEST_F(DialogDynamic, TheGripDrawsTheSharedSizeGripBitmap)
{
    LayoutDlg dlg(&kSizable, nullptr, 3, LytDynamicLayout::CreateGrip);
    ASSERT_TRUE(dlg.CreateIndirect(&kSizable, nullptr));
    HBITMAP bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(32766));
    ASSERT_NE(bmp, nullptr);   // registered by the first grip
    DeleteObject(bmp);
    dlg.ShowWindow(SW_SHOW);
    RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpUntilIdle();
    int cx = 0, cy = 0;
    ASSERT_NE(LytSizeIconCtrl::SharedImageList(&cx, &cy), nullptr);
    EXPECT_EQ(cx, 13);
    EXPECT_EQ(cy, 13);
    // The image sits in the grip's bottom-right corner; its face-coloured pixels let the dialog show.
    RECT g, w;
    dlg.m_pSizeGrip->GetWindowRect(&g);
    dlg.GetWindowRect(&w);
    const int right = g.right - w.left, bottom = g.bottom - w.top;
    COLORREF ridge = 0, gap = 0;
    ASSERT_TRUE(HeadlessGetPixel(dlg.m_hWnd, right - cx + 2, bottom - 1, &ridge));
    ASSERT_TRUE(HeadlessGetPixel(dlg.m_hWnd, right - cx + 4, bottom - 1, &gap));
    EXPECT_EQ(ridge, RGB(0xa0, 0xa0, 0xa0));
    EXPECT_EQ(gap, GetSysColor(COLOR_3DFACE));
    dlg.DestroyWindow();
}

// Each WM_SIZING a dialog gets: the edge and its class style once handled.
WNDPROC g_sizingOld = nullptr;
std::vector<std::pair<UINT, LONG_PTR>> g_sizing;
LRESULT SizingSpy(HWND h, UINT m, WPARAM w, LPARAM l)
{
    const LRESULT r = CallWindowProc(g_sizingOld, h, m, w, l);
    if (m == WM_SIZING) g_sizing.emplace_back((UINT)w, GetClassLongPtr(h, GCL_STYLE));
    return r;
}

TEST_F(DialogDynamic, SizingTogglesOnlyTheRedrawBitsOfTheSharedClass)
{
    LayoutDlg dlg(&kSizable, nullptr, 3, LytDynamicLayout::CreateGrip | LytDynamicLayout::AdjustRedraw);
    ASSERT_TRUE(dlg.CreateIndirect(&kSizable, nullptr));
    dlg.ShowWindow(SW_SHOW);
    PumpUntilIdle();
    const LONG_PTR before = GetClassLongPtr(dlg.m_hWnd, GCL_STYLE);
    ASSERT_TRUE(before & CS_DBLCLKS);
    const LONG_PTR redraw = CS_HREDRAW | CS_VREDRAW;
    g_sizing.clear();
    g_sizingOld = (WNDPROC)SetWindowLongPtr(dlg.m_hWnd, GWLP_WNDPROC, (LONG_PTR)SizingSpy);
    // The grip drags the bottom-right corner: both redraw bits go, every other bit stays.
    RECT g;
    dlg.m_pSizeGrip->GetWindowRect(&g);
    const int x = (g.left + g.right) / 2, y = (g.top + g.bottom) / 2;
    InjectMouseMove(x, y);
    InjectButton(VK_LBUTTON, true, x, y);
    InjectMouseMove(x + 30, y + 20);
    InjectButton(VK_LBUTTON, false, x + 30, y + 20);
    PumpUntilIdle();
    ASSERT_FALSE(g_sizing.empty());
    EXPECT_EQ(g_sizing.back().first, (UINT)WMSZ_BOTTOMRIGHT);
    EXPECT_EQ(g_sizing.back().second, before & ~redraw);
    ::SendMessage(dlg.m_hWnd, WM_TIMER, dlg.m_nTimerId, 0);
    EXPECT_EQ(GetClassLongPtr(dlg.m_hWnd, GCL_STYLE), before);
    // The frame's left edge sets both bits for the drag.
    g_sizing.clear();
    RECT w;
    dlg.GetWindowRect(&w);
    const POINT left{w.left + 1, (w.top + w.bottom) / 2};
    ASSERT_EQ(::SendMessage(dlg.m_hWnd, WM_NCHITTEST, 0, (LPARAM)((left.y << 16) | left.x)), HTLEFT);
    InjectMouseMove(left.x, left.y);
    InjectButton(VK_LBUTTON, true, left.x, left.y);
    InjectMouseMove(left.x - 20, left.y);
    InjectButton(VK_LBUTTON, false, left.x - 20, left.y);
    PumpUntilIdle();
    ASSERT_FALSE(g_sizing.empty());
    EXPECT_EQ(g_sizing.front().first, (UINT)WMSZ_LEFT);
    EXPECT_EQ(g_sizing.front().second, before | redraw);
    // Closed before the timer: the class still gets its style back.
    SetWindowLongPtr(dlg.m_hWnd, GWLP_WNDPROC, (LONG_PTR)g_sizingOld);
    dlg.DestroyWindow();
    PumpUntilIdle();
    LayoutDlg again(&kSizable, nullptr, 3, 0);
    ASSERT_TRUE(again.CreateIndirect(&kSizable, nullptr));
    EXPECT_EQ(GetClassLongPtr(again.m_hWnd, GCL_STYLE), before);
    again.DestroyWindow();
}

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

class DialogPositions : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        profile = "DialogPositions-" + std::to_string(getpid());
        fs::remove(SettingsFilePath("Brenholt", profile));
        app = std::make_unique<BarApp>(profile);
        prevThread = AfxSetThread(app.get());
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP | WS_VISIBLE, 100, 100, 600, 400, nullptr, nullptr));
    }
    void TearDown() override
    {
        parent.DestroyWindow();
        AfxSetThread(prevThread);
        app.reset();
        fs::remove(SettingsFilePath("Brenholt", profile));
        AfxTest::TearDown();
    }
    std::string profile;
    std::unique_ptr<BarApp> app;
    CWinThread* prevThread = nullptr;
    CWnd parent;
};

TEST_F(DialogPositions, ClosingWritesTheRectangleAndReopeningRestoresIt)
{
    {
        LayoutDlg dlg(&kSizable, &parent, 3, 0, 0xab);
        ASSERT_TRUE(dlg.CreateIndirect(&kSizable, &parent));
        dlg.ShowWindow(SW_SHOW);
        SetWindowPos(dlg.m_hWnd, nullptr, 120, 130, 450, 300, SWP_NOZORDER);
        dlg.DestroyWindow();
    }
    EXPECT_EQ(ReadAll(SettingsFilePath("Brenholt", profile)),
              "[WindowPositions\\ID=0x000000ab]\n"
              "(valid)=dword:00000001\n"
              "Left=dword:00000078\nRight=dword:0000023a\nTop=dword:00000082\nBottom=dword:000001ae\n"
              "Visibility=dword:00000001\nState=dword:ffffffff\n");
    // Reopened where it was left; a swapped rectangle is put right.
    for (bool swapped : {false, true}) {
        if (swapped) {
            app->WriteProfileInt("WindowPositions\\ID=0x000000ab", "Left", 570);
            app->WriteProfileInt("WindowPositions\\ID=0x000000ab", "Right", 120);
        }
        LayoutDlg dlg(&kSizable, &parent, 3, 0, 0xab);
        ASSERT_TRUE(dlg.CreateIndirect(&kSizable, &parent));
        RECT r;
        dlg.GetWindowRect(&r);
        EXPECT_EQ(r.left, 120);
        EXPECT_EQ(r.top, 130);
        EXPECT_EQ(r.right, 570);
        EXPECT_EQ(r.bottom, 430);
        EXPECT_TRUE(dlg.IsWindowVisible());
        dlg.DestroyWindow();
    }
}

TEST_F(DialogPositions, WithoutAValidEntryTheDialogOpensCentredAndTenPercentLarger)
{
    LayoutDlg probe(&kSizable, &parent, 3, 0, 0);
    ASSERT_TRUE(probe.CreateIndirect(&kSizable, &parent));
    const SIZE plain = WinSize(probe.m_hWnd);
    probe.DestroyWindow();
    const char* sec = "WindowPositions\\ID=0x000000ab";
    struct Case {
        const char* name;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"missing", [&] { app->DeleteProfileSection(sec); }},
        {"valid 0", [&] {
             app->WriteProfileInt(sec, "(valid)", 0);
             app->WriteProfileInt(sec, "Left", 5);
             app->WriteProfileInt(sec, "Right", 300);
             app->WriteProfileInt(sec, "Top", 5);
             app->WriteProfileInt(sec, "Bottom", 200);
         }},
        {"empty", [&] {
             app->WriteProfileInt(sec, "(valid)", 1);
             app->WriteProfileInt(sec, "Left", 50);
             app->WriteProfileInt(sec, "Right", 50);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        LayoutDlg dlg(&kSizable, &parent, 3, 0, 0xab);
        ASSERT_TRUE(dlg.CreateIndirect(&kSizable, &parent));
        const SIZE s = WinSize(dlg.m_hWnd);
        EXPECT_EQ(s.cx, plain.cx + plain.cx * 10 / 100);
        EXPECT_EQ(s.cy, plain.cy + plain.cy * 10 / 100);
        RECT r, p;
        dlg.GetWindowRect(&r);
        parent.GetWindowRect(&p);
        EXPECT_NEAR((r.left + r.right) / 2, (p.left + p.right) / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, (p.top + p.bottom) / 2, 1);
        ::DestroyWindow(dlg.m_hWnd);   // without storing: WM_DESTROY detaches too
    }
}

TEST_F(DialogPositions, WithoutASettingsFileNothingIsReadOrWritten)
{
    app->SetRegistryKey(nullptr);
    LayoutDlg dlg(&kSizable, &parent, 3, 0, 0xab);
    ASSERT_TRUE(dlg.CreateIndirect(&kSizable, &parent));
    dlg.DestroyWindow();
    EXPECT_FALSE(fs::exists(SettingsFilePath("Brenholt", profile)));
}

}  // namespace

namespace {

TEST(DialogLayoutRect, ComputeControlRectCases)
{
    struct Case {
        const char* name;
        RECT rc;
        signed char pct[4];
        SIZE min;
        SIZE change;
        BOOL follow;
        int hs, vs;
        RECT want;
    };
    const Case cases[] = {
        {"grows", {10, 10, 50, 30}, {0, 0, 100, 100}, {0, 0}, {21, 11}, FALSE, 0, 0, {10, 10, 71, 41}},
        {"centred, odd change truncates", {10, 10, 50, 30}, {50, 0, 50, 0}, {0, 0}, {21, 0}, FALSE, 0, 0, {20, 10, 60, 30}},
        {"negative change truncates toward zero", {10, 10, 50, 30}, {50, 50, 100, 100}, {0, 0}, {-21, -11}, FALSE, 0, 0, {0, 5, 29, 19}},
        {"follow scrolling: no shrink", {10, 10, 50, 30}, {0, 0, 100, 100}, {0, 0}, {-20, -10}, TRUE, 5, 3, {5, 7, 45, 27}},
        {"follow scrolling: grows", {10, 10, 50, 30}, {0, 0, 100, 100}, {0, 0}, {20, 10}, TRUE, 5, 3, {5, 7, 65, 37}},
        {"too small goes out of sight", {10, 10, 50, 30}, {0, 0, 100, 0}, {8, 0}, {-35, 0}, FALSE, 0, 0, {-18, 10, -10, 30}},
        {"zero height goes out of sight", {10, 10, 50, 30}, {0, 0, 0, 100}, {0, 4}, {0, -20}, FALSE, 0, 0, {10, -14, 50, -10}},
        // Sizes from a damaged settings file: computed without overflow, bounded.
        {"huge growth", {10, 10, 50, 30}, {100, 100, 100, 100}, {0, 0}, {INT32_MAX, INT32_MAX}, FALSE, 0, 0,
         {kCoordLimit, kCoordLimit, kCoordLimit, kCoordLimit}},
        {"huge shrink goes out of sight", {10, 10, 50, 30}, {0, 0, 100, 100}, {0, 0}, {INT32_MIN, INT32_MIN}, FALSE, 0, 0,
         {-10, -10, -10, -10}},
        {"huge scroll", {10, 10, 50, 30}, {0, 0, 100, 100}, {0, 0}, {0, 0}, TRUE, INT32_MIN, INT32_MAX, {kCoordLimit, -kCoordLimit, kCoordLimit, -kCoordLimit}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LytDynamicLayout layout(3, 0);
        HWND fake = (HWND)(uintptr_t)0x1234;
        LayoutRecord rec{c.rc, {c.pct[0], c.pct[1], c.pct[2], c.pct[3]}, c.min};
        layout.m_controls[fake] = rec;
        LytDynamicLayoutInfo info;
        info.change = c.change;
        info.followScroll = c.follow;
        info.hScroll = c.hs;
        info.vScroll = c.vs;
        RECT got{};
        ASSERT_TRUE(layout.ComputeControlRect(fake, 0, got, &info));
        EXPECT_EQ(got.left, c.want.left);
        EXPECT_EQ(got.top, c.want.top);
        EXPECT_EQ(got.right, c.want.right);
        EXPECT_EQ(got.bottom, c.want.bottom);
        EXPECT_FALSE(layout.ComputeControlRect((HWND)(uintptr_t)0x999, 0, got, &info));
    }
}

}  // namespace
