// What the window manager tells an interactive back end, and what it takes
// from one, checked with a recording back end; the display selector and the
// native dialogs without a display.
#include <cstring>

#include "platform/user/native_dialogs.h"
#include "platform/backend/display.h"
#include "wm_test_util.h"

namespace {

struct Recording : CBackend {
    std::vector<std::pair<HWND, CWindowPlacement>> placements;
    std::vector<HWND> grabs;
    std::vector<HWND> raised;
    std::vector<std::pair<HWND, RECT>> carets;
    std::vector<CCursorShape> cursors;
    std::vector<std::string> foreignTypes;
    std::string foreignText;
    bool answers = true;
    int asked = 0;

    const char* Name() const override { return "recording"; }
    SIZE ScreenSize() const override { return SIZE{1920, 1080}; }
    void SurfaceCreated(HWND, const std::shared_ptr<CSurface>&) override {}
    void SurfaceDestroyed(HWND) override {}
    void SurfaceChanged(HWND, const RECT&) override {}
    void WindowChanged(HWND h, const CWindowPlacement& p) override { placements.emplace_back(h, p); }
    void WindowRaised(HWND h) override { raised.push_back(h); }
    void CursorChanged(const CCursorShape& s) override { cursors.push_back(s); }
    void GrabChanged(HWND top) override { grabs.push_back(top); }
    void CaretChanged(HWND top, const RECT& r) override { carets.emplace_back(top, r); }
    std::vector<std::string> ForeignClipboardTypes() override { return foreignTypes; }
    bool ForeignClipboardData(const std::string& mime, std::vector<unsigned char>* bytes) override
    {
        asked++;
        if (!answers || mime != "text/plain;charset=utf-8") return false;
        bytes->assign(foreignText.begin(), foreignText.end());
        return true;
    }
};

class BackendHooks : public WmTest {
protected:
    Recording* rec = nullptr;
    void SetUp() override
    {
        WmTest::SetUp();
        auto r = std::make_unique<Recording>();
        rec = r.get();
        SetBackend(std::move(r));
    }
    void TearDown() override
    {
        SetBackend(nullptr);
        ResetClipboardForTest();
        WmTest::TearDown();
    }
};

}  // namespace

TEST_F(BackendHooks, TopLevelChangesReachTheDisplay)
{
    Handler h;
    HWND frame = MakeAt(&h, WS_OVERLAPPEDWINDOW, RECT{10, 20, 310, 220});
    HWND child = MakeAt(&h, WS_CHILD | WS_VISIBLE, RECT{5, 5, 50, 50}, frame);
    rec->placements.clear();
    ShowWindow(frame, SW_SHOWNA);
    MoveWindow(frame, 40, 50, 200, 100, TRUE);
    MoveWindow(child, 0, 0, 10, 10, TRUE);   // children are no surfaces: nothing to tell
    SetWindowText(frame, "Caf\xC3\xA9");
    EnableWindow(frame, FALSE);
    ASSERT_GE(rec->placements.size(), 4u);
    for (auto& [hwnd, p] : rec->placements) EXPECT_EQ(hwnd, frame);
    const CWindowPlacement& last = rec->placements.back().second;
    EXPECT_TRUE(last.visible);
    EXPECT_FALSE(last.enabled);
    EXPECT_EQ(last.title, "Caf\xC3\xA9");
    EXPECT_EQ(last.rect.left, 40);
    EXPECT_EQ(last.rect.bottom, 150);
    EXPECT_GT(last.minSize.cx, 0);   // a sizable frame reports its bounds
    EXPECT_TRUE((last.style & WS_CAPTION) == WS_CAPTION);
    DestroyWindow(frame);
}

TEST_F(BackendHooks, RaisesWeMakeAreAskedOfTheDisplayAndWhatTheDesktopDidIsNot)
{
    Handler h;
    HWND a = MakeAt(&h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{10, 20, 310, 220});
    HWND b = MakeAt(&h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{50, 60, 350, 260});
    PumpUntilIdle();
    auto last = [&](HWND w) {
        for (auto it = rec->placements.rbegin(); it != rec->placements.rend(); ++it)
            if (it->first == w) return it->second;
        return CWindowPlacement{};
    };
    rec->raised.clear();
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetActiveWindow(a);   // the program's own activation puts it on top as well
    MoveWindow(a, 15, 25, 300, 200, TRUE);
    EXPECT_EQ(rec->raised, (std::vector<HWND>{a, a}));
    EXPECT_FALSE(last(a).fromDesktop);

    // The desktop activated b and moved it: our answers ask for nothing again.
    rec->raised.clear();
    rec->placements.clear();
    BackendEvent act;
    act.kind = BackendEventKind::Activate;
    act.hwnd = b;
    ReportBackendEvent(act);
    BackendEvent move;
    move.kind = BackendEventKind::Move;
    move.hwnd = b;
    move.rect = RECT{70, 80, 370, 280};
    ReportBackendEvent(move);
    PumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_TRUE(rec->raised.empty());
    EXPECT_TRUE(last(b).fromDesktop);
    EXPECT_EQ(last(b).rect.left, 70);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(BackendHooks, CaptureGrabsCaretAndCursor)
{
    Handler h;
    HWND frame = MakeAt(&h, WS_POPUP | WS_VISIBLE, RECT{100, 100, 400, 300});
    HWND child = MakeAt(&h, WS_CHILD | WS_VISIBLE, RECT{20, 30, 120, 80}, frame);
    SetCapture(child);
    ReleaseCapture();
    EXPECT_EQ(rec->grabs, (std::vector<HWND>{frame, nullptr}));

    // The caret in the top-level window's image coordinates.
    CreateCaret(child, nullptr, 2, 14);
    SetCaretPos(7, 3);
    ASSERT_FALSE(rec->carets.empty());
    EXPECT_EQ(rec->carets.back().first, frame);
    RECT r = rec->carets.back().second;
    EXPECT_EQ(r.left, 27);
    EXPECT_EQ(r.top, 33);
    EXPECT_EQ(r.right - r.left, 2);
    EXPECT_EQ(r.bottom - r.top, 14);
    DestroyCaret();

    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    rec->cursors.clear();
    SetCursor(LoadCursor(nullptr, IDC_IBEAM));
    SetCursor(LoadCursor(nullptr, IDC_IBEAM));   // unchanged: not told again
    SetCursor(nullptr);
    ASSERT_EQ(rec->cursors.size(), 2u);
    EXPECT_EQ(rec->cursors[0].standardId, 32513);
    EXPECT_TRUE(rec->cursors[1].hidden);
    DestroyWindow(frame);
}

TEST_F(BackendHooks, ForeignClipboardIsFetchedOnDemandAndAHungOwnerGivesNothing)
{
    Handler h;
    HWND w = MakeAt(&h, WS_POPUP, RECT{0, 0, 10, 10});
    ASSERT_TRUE(OpenClipboard(w));
    EmptyClipboard();
    HGLOBAL mine = GlobalAlloc(GMEM_MOVEABLE, 4);
    memcpy(GlobalLock(mine), "old", 4);
    GlobalUnlock(mine);
    SetClipboardData(CF_TEXT, mine);
    CloseClipboard();

    ClipboardTakenByOtherApplication();
    rec->foreignTypes = {"text/plain", "image/png"};
    rec->foreignText = "na\xC3\xAFve";
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormat("BinaryData")));
    ASSERT_TRUE(OpenClipboard(w));
    HANDLE text = GetClipboardData(CF_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(GlobalSize(text), 7u);   // terminated
    EXPECT_STREQ((const char*)GlobalLock(text), "na\xC3\xAFve");
    GlobalUnlock(text);
    EXPECT_EQ(GetClipboardData(CF_TEXT), text);   // kept once fetched
    CloseClipboard();
    EXPECT_EQ(rec->asked, 1);

    // The other application does not answer in time: no data, no hang.
    ClipboardTakenByOtherApplication();
    rec->answers = false;
    ASSERT_TRUE(OpenClipboard(w));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    CloseClipboard();
    DestroyWindow(w);
}

TEST(BackendNames, ClipboardMimeTypes)
{
    EXPECT_EQ(ClipboardMimeOf(CF_TEXT), "text/plain;charset=utf-8");
    EXPECT_EQ(ClipboardMimeOf(CF_ENHMETAFILE), "image/svg+xml");
    EXPECT_EQ(ClipboardMimeOf(RegisterClipboardFormat("BinaryData")), "application/x-veldra-BinaryData");
    EXPECT_EQ(ClipboardMimeOf(RegisterClipboardFormat("My Data/v1.2+x_y-z%")),
              "application/x-veldra-My%20Data%2Fv1.2+x_y-z%25");
    EXPECT_EQ(ClipboardMimeOf(CF_DIB), "");
}

TEST(BackendNames, NoDisplayMeansNoNativeDialogsAndNoDisplayRun)
{
    ASSERT_STREQ(Backend().Name(), "headless");
    EXPECT_FALSE(NativeDialogsAvailable());
    std::vector<std::string> files;
    EXPECT_EQ(NativeFileDialog(nullptr, false, "Open", {"Text (*.txt)"}, "", "", false, &files), kNativeNotAvailable);
    COLORREF c = RGB(1, 2, 3);
    EXPECT_EQ(NativeColorDialog(nullptr, &c, nullptr), kNativeNotAvailable);
    EXPECT_EQ(c, RGB(1, 2, 3));
    LOGFONT lf{};
    EXPECT_EQ(NativeFontDialog(nullptr, &lf), kNativeNotAvailable);
    EXPECT_EQ(NativeMessageBox(nullptr, "text", "caption", MB_OK), kNativeNotAvailable);

    // VELDRA_HEADLESS=1 (the tests' setting): the selector says why and runs nothing.
    bool ran = false;
    int code = 0;
    std::string why;
    EXPECT_FALSE(RunWithDisplay(0, nullptr, [&] { ran = true; return 0; }, &code, &why));
    EXPECT_FALSE(ran);
    EXPECT_NE(why.find("no display"), std::string::npos);
}
