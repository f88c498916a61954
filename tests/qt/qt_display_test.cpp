// The interactive display under Xvfb: a demo frame driven by xdotool, the
// clipboard with xclip, capture outside the window, input-method commits,
// dropped files, a native dialog over a disabled owner, and HiDPI.
#include <cairo.h>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/user/native_dialogs.h"
#include "platform/gdi/gdi.h"
#include "qt_test_util.h"

namespace {

std::string Hex(unsigned v)
{
    char b[16];
    snprintf(b, sizeof b, "%X", v);
    return b;
}

// Reads a pixel of a PNG as 0x00RRGGBB (false outside).
bool PngPixel(const std::string& path, int x, int y, uint32_t* rgb, int* width = nullptr, int* height = nullptr)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    if (ok) {
        int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        if (width) *width = w;
        if (height) *height = h;
        ok = x >= 0 && y >= 0 && x < w && y < h;
        if (ok) {
            cairo_surface_flush(s);
            const unsigned char* row = cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s);
            *rgb = ((const uint32_t*)row)[x] & 0xFFFFFF;
        }
    }
    cairo_surface_destroy(s);
    return ok;
}

struct DemoFrame {
    std::vector<std::string> log;
    HWND frame = nullptr, text = nullptr, push = nullptr, canvas = nullptr;

    Handler frameProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return DefWindowProc(h, m, w, l); };
    Handler textProc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_KEYDOWN) log.push_back("KEYDOWN " + Hex((unsigned)w) + ((l >> 24) & 1 ? " ext" : ""));
        if (m == WM_CHAR) log.push_back("CHAR " + Hex((unsigned)w));
        if (m == WM_SETFOCUS) {
            CreateCaret(h, nullptr, 2, 16);
            SetCaretPos(5, 4);
            ShowCaret(h);
        }
        if (m == WM_KILLFOCUS) DestroyCaret();
        return DefWindowProc(h, m, w, l);
    };
    Handler pushProc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN) log.push_back("PUSH");
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            FillRect(dc, &r, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
            SetBkMode(dc, TRANSPARENT);
            DrawText(dc, "Push", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    Handler canvasProc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN) SetFocus(h);
        if (m == WM_LBUTTONDBLCLK) log.push_back("DBLCLK");
        if (m == WM_MOUSEWHEEL) log.push_back("WHEEL " + std::to_string(GET_WHEEL_DELTA_WPARAM(w)));
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r{20, 20, 60, 60};
            HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
            FillRect(dc, &r, red);
            DeleteObject(red);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };

    void Create(int x = 100, int y = 100)
    {
        frame = MakeAt(&frameProc, WS_OVERLAPPEDWINDOW, RECT{x, y, x + 640, y + 480});
        SetWindowText(frame, "Demo");
        HMENU bar = CreateMenu(), file = CreateMenu();
        AppendMenu(file, MF_STRING, 101, "E&xit");
        AppendMenu(bar, MF_POPUP, (UINT_PTR)file, "&File");
        SetMenu(frame, bar);
        text = MakeAt(&textProc, WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{10, 10, 310, 40}, frame);
        push = MakeAt(&pushProc, WS_CHILD | WS_VISIBLE, RECT{320, 10, 420, 40}, frame);
        canvas = MakeAt(&canvasProc, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, RECT{10, 50, 410, 350}, frame, 0,
                        true);
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 1000, 100, 0, 0};
        SetScrollInfo(canvas, SB_VERT, &si, TRUE);
        SetScrollInfo(canvas, SB_HORZ, &si, TRUE);
    }
};

class QtDisplay : public ::testing::Test {
protected:
    void SetUp() override { PumpFor(20); }
    void TearDown() override
    {
        ReleaseCapture();
        PumpFor(20);
    }
};

}  // namespace

TEST_F(QtDisplay, DemoFrameDrivenByXdotoolAndScreenshot)
{
    EXPECT_STREQ(Backend().Name(), "qt");
    DemoFrame d;
    d.Create();
    WindowGuard guard{d.frame};
    ASSERT_NE(ShowAndFocus(d.frame), 0u);
    SetFocus(d.text);
    // Keys typed before the desktop hands the frame the focus would be lost.
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == d.frame && GetFocus() == d.text; }, 2000));
    SyncDisplay();
    d.log.clear();

    Sh("xdotool type --delay 30 hello");
    Sh("xdotool key --delay 30 shift+Tab KP_Enter ctrl+a");
    const std::vector<std::string> keys = {
        "KEYDOWN 48", "CHAR 68", "KEYDOWN 45", "CHAR 65", "KEYDOWN 4C", "CHAR 6C", "KEYDOWN 4C", "CHAR 6C",
        "KEYDOWN 4F", "CHAR 6F", "KEYDOWN 10", "KEYDOWN 9",  "CHAR 9",    "KEYDOWN D ext", "CHAR D",    "KEYDOWN 11",
        "KEYDOWN 41", "CHAR 1"};
    PumpUntil([&] { return d.log.size() >= keys.size(); });
    EXPECT_EQ(d.log, keys);

    d.log.clear();
    Sh(XMove(ScreenPoint(d.push, 50, 15)) + " click 1");
    PumpUntil([&] { return d.log.size() >= 1; });
    Sh(XMove(ScreenPoint(d.canvas, 100, 100)) + " click --repeat 2 --delay 80 1");
    PumpUntil([&] { return d.log.size() >= 2; });
    Sh("xdotool click 5 sleep 0.05 click 5");
    PumpUntil([&] { return d.log.size() >= 4; });
    EXPECT_EQ(d.log, (std::vector<std::string>{"PUSH", "DBLCLK", "WHEEL -120", "WHEEL -120"}));

    // The root window shows the red square where the canvas is.
    SyncDisplay();
    std::string shot = ShotFile("qt-demo.png");
    POINT red = ScreenPoint(d.canvas, 40, 40);
    uint32_t px = 0;
    bool seen = PumpUntil(
        [&] {
            SyncDisplay();
            return TakeScreenshot(shot) &&
                   PngPixel(shot, red.x, red.y, &px) && px == 0xFF0000;
        },
        5000);
    EXPECT_TRUE(seen) << std::hex << px;
    DestroyWindow(d.frame);
}

TEST_F(QtDisplay, MenuBarPopupShowsAndTakesAClick)
{
    DemoFrame d;
    d.Create();
    WindowGuard guard{d.frame};
    std::vector<VisibleMenu> seen;
    std::vector<WPARAM> commands;
    bool shot = false;
    std::string path = ShotFile("qt-menu.png");
    d.frameProc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_ENTERIDLE && w == MSGF_MENU && seen.empty()) {
            seen = VisibleMenus();
            for (const VisibleMenu& v : seen)
                for (const VisibleMenuItem& it : v.items)
                    if (it.id == 101) {
                        SyncDisplay();
                        shot = TakeScreenshot(path);
                        POINT c{(it.rect.left + it.rect.right) / 2, (it.rect.top + it.rect.bottom) / 2};
                        Sh(XMove(c) + " click 1");
                    }
            return 0;
        }
        if (m == WM_COMMAND) commands.push_back(w);
        return DefWindowProc(h, m, w, l);
    };
    ShowAndFocus(d.frame);
    std::vector<VisibleMenuItem> bar = MenuBarItems(d.frame);
    ASSERT_FALSE(bar.empty());
    POINT file{(bar[0].rect.left + bar[0].rect.right) / 2, (bar[0].rect.top + bar[0].rect.bottom) / 2};
    Sh(XMove(file) + " click 1");
    ASSERT_TRUE(PumpUntil([&] { return !commands.empty(); }));
    EXPECT_EQ(LOWORD(commands[0]), 101);
    EXPECT_TRUE(shot);
    // The pop-up showed below the bar, over the frame.
    const VisibleMenu* popup = nullptr;
    for (const VisibleMenu& v : seen)
        if (v.window) popup = &v;
    ASSERT_NE(popup, nullptr);
    EXPECT_GE(popup->rect.top, bar[0].rect.bottom - 1);
    uint32_t px = 0;
    double f = ScaleFactor();   // the screenshot is in device pixels
    EXPECT_TRUE(PngPixel(path, (int)((popup->rect.left + 3) * f), (int)((popup->rect.top + 3) * f), &px));
    EXPECT_NE(px, 0u);   // not the bare root window
}

TEST_F(QtDisplay, ClipboardGoesBothWays)
{
    DemoFrame d;
    d.Create();
    WindowGuard guard{d.frame};
    ShowAndFocus(d.frame);
    auto put = [&](UINT format, const void* bytes, size_t n) {
        ASSERT_TRUE(OpenClipboard(d.frame));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, n);
        memcpy(GlobalLock(block), bytes, n);
        GlobalUnlock(block);
        SetClipboardData(format, block);
        CloseClipboard();
        SyncDisplay();
    };
    // Our bytes leave as UTF-8 after the display rule.
    put(CF_TEXT, "caf\xE9", 5);
    EXPECT_EQ(ShOut("xclip -o -selection clipboard"), "caf\xC3\xA9");

    // Registered formats by their MIME names, bytes as they are.
    const unsigned char block[] = {0, 1, 2, 0xFF, 'x', 0};
    UINT binary = RegisterClipboardFormat("BinaryData");
    put(binary, block, sizeof block);
    std::string got = ShOut("xclip -o -selection clipboard -t application/x-veldra-BinaryData");
    EXPECT_EQ(got, std::string((const char*)block, sizeof block));

    // A metafile offers SVG (with its title) and PNG.
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, nullptr, "Demo plot");
    Rectangle(mdc, 10, 10, 90, 60);
    HENHMETAFILE emf = CloseEnhMetaFile(mdc);
    ASSERT_TRUE(OpenClipboard(d.frame));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, (HANDLE)emf);
    CloseClipboard();
    SyncDisplay();
    std::string targets = ShOut("xclip -o -selection clipboard -t TARGETS");
    EXPECT_NE(targets.find("image/svg+xml"), std::string::npos) << targets;
    EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
    EXPECT_NE(ShOut("xclip -o -selection clipboard -t image/svg+xml").find("Demo plot"), std::string::npos);
    EXPECT_EQ(ShOut("xclip -o -selection clipboard -t image/png").substr(0, 4), "\x89PNG");

    // Text from another application pastes as the same UTF-8 bytes.
    Sh("printf 'na\\303\\257ve \\342\\202\\254' | xclip -selection clipboard -i >/dev/null 2>&1");
    ASSERT_TRUE(PumpUntil([] { return IsClipboardFormatAvailable(CF_TEXT) && !GetClipboardOwner(); }));
    ASSERT_TRUE(OpenClipboard(d.frame));
    HANDLE h = GetClipboardData(CF_TEXT);
    ASSERT_NE(h, nullptr);
    EXPECT_STREQ((const char*)GlobalLock(h), "na\xC3\xAFve \xE2\x82\xAC");
    GlobalUnlock(h);
    CloseClipboard();
    DestroyWindow(d.frame);
}

TEST_F(QtDisplay, CaptureFollowsThePointerOutsideTheWindow)
{
    std::vector<POINT> moves;
    bool up = false;
    Handler proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN) SetCapture(h);
        if (m == WM_MOUSEMOVE && GetCapture() == h) moves.push_back(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        if (m == WM_LBUTTONUP) {
            up = true;
            ReleaseCapture();
        }
        return DefWindowProc(h, m, w, l);
    };
    HWND win = MakeAt(&proc, WS_POPUP | WS_BORDER, RECT{200, 200, 400, 300});
    WindowGuard guard{win};
    ShowAndFocus(win);
    POINT in = ScreenPoint(win, 50, 50);
    Sh(XMove(in) + " mousedown 1 sleep 0.1 " + XMoveArgs(POINT{in.x + 250, in.y}) + " sleep 0.1 mouseup 1");
    ASSERT_TRUE(PumpUntil([&] { return up; }));
    RECT client;
    GetClientRect(win, &client);
    bool outside = false;
    for (POINT p : moves)
        if (p.x >= client.right) outside = true;
    EXPECT_TRUE(outside);
    DestroyWindow(win);
}

TEST_F(QtDisplay, DesktopMovesComeBackThroughSetWindowPos)
{
    std::vector<RECT> moves;
    Handler proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_WINDOWPOSCHANGED) {
            auto* wp = (const WINDOWPOS*)l;
            moves.push_back(RECT{wp->x, wp->y, wp->x + wp->cx, wp->y + wp->cy});
        }
        return DefWindowProc(h, m, w, l);
    };
    HWND win = MakeAt(&proc, WS_OVERLAPPEDWINDOW, RECT{200, 200, 500, 400});
    WindowGuard guard{win};
    unsigned long id = ShowAndFocus(win);
    // Our own moves are not echoed back, even when the desktop confirms them late.
    for (int i = 0; i < 20; i++) MoveWindow(win, 200 + i, 210 + i, 300, 200, TRUE);
    moves.clear();
    SyncDisplay();
    PumpFor(300);
    auto seen = [&] {
        std::string t;
        for (const RECT& m : moves) t += " (" + std::to_string(m.left) + "," + std::to_string(m.top) + ")";
        return t;
    };
    EXPECT_TRUE(moves.empty()) << seen();
    RECT now;
    GetWindowRect(win, &now);
    EXPECT_EQ(now.left, 219);
    moves.clear();
    Sh("xdotool windowmove --sync " + std::to_string(id) + " 260 240 >/dev/null 2>&1");
    ASSERT_TRUE(PumpUntil([&] { return !moves.empty(); }));
    RECT r;
    GetWindowRect(win, &r);
    EXPECT_EQ(r.left, 260);
    EXPECT_EQ(r.top, 240);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(moves.size(), 1u);
}

TEST_F(QtDisplay, InputMethodCommitsAndCursorRectangle)
{
    DemoFrame d;
    d.Create();
    WindowGuard guard{d.frame};
    ShowAndFocus(d.frame);
    SetFocus(d.text);
    SyncDisplay();
    d.log.clear();
    DisplayCommitText(d.frame, "\xC3\xA9\xE2\x82\xAC");
    PumpUntil([&] { return d.log.size() >= 4; });
    std::vector<std::string> chars;
    for (const std::string& s : d.log)
        if (s.rfind("CHAR", 0) == 0) chars.push_back(s);
    EXPECT_EQ(chars, (std::vector<std::string>{"CHAR E9", "CHAR 20AC"}));

    // The caret (client 5,4, 2 x 16 of the text child) in the frame's image.
    SetCaretPos(5, 4);
    SyncDisplay();
    POINT c = ScreenPoint(d.text, 5, 4);
    RECT fr;
    GetWindowRect(d.frame, &fr);
    RECT want{c.x - fr.left, c.y - fr.top, c.x - fr.left + 2, c.y - fr.top + 16};
    RECT got{};
    ASSERT_TRUE(DisplayCursorRect(d.frame, &got));
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
    DestroyWindow(d.frame);
}

TEST_F(QtDisplay, DroppedFileUrlsBecomeDropFiles)
{
    std::vector<std::string> files;
    POINT at{};
    Handler proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_DROPFILES) {
            HDROP drop = (HDROP)w;
            UINT n = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
            for (UINT i = 0; i < n; i++) {
                char buf[512];
                DragQueryFile(drop, i, buf, sizeof buf);
                files.push_back(buf);
            }
            DragQueryPoint(drop, &at);
            DragFinish(drop);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    HWND win = MakeAt(&proc, WS_POPUP, RECT{300, 300, 500, 400}, nullptr, WS_EX_ACCEPTFILES);
    WindowGuard guard{win};
    ShowAndFocus(win);
    const char* urls[] = {"file:///tmp/a.txt", "https://example.org/x", "file:///tmp/b%20c.txt"};
    DisplayDropUrls(win, 30, 40, urls, 3);
    ASSERT_TRUE(PumpUntil([&] { return !files.empty(); }));
    EXPECT_EQ(files, (std::vector<std::string>{"/tmp/a.txt", "/tmp/b c.txt"}));
    EXPECT_EQ(at.x, 30);
    EXPECT_EQ(at.y, 40);
    DestroyWindow(win);
}

TEST_F(QtDisplay, FileDialogServesSendsAndItsDisabledOwnerIgnoresClose)
{
    std::atomic<bool> served{false};
    int closes = 0;
    Handler proc = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_APP) {
            served = true;
            return 42;
        }
        if (m == WM_CLOSE || (m == WM_SYSCOMMAND && (w & 0xFFF0) == SC_CLOSE)) {
            closes++;
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    HWND frame = MakeAt(&proc, WS_OVERLAPPEDWINDOW, RECT{120, 120, 620, 520});
    WindowGuard guard{frame};
    ShowAndFocus(frame);
    AcceptNextDialogs("/tmp/veldra-saved", frame, &served);
    LRESULT answer = 0;
    std::thread other([&] { answer = SendMessage(frame, WM_APP, 0, 0); });
    std::vector<std::string> files;
    int r = NativeFileDialog(frame, true, "Save", {"Text files (*.txt)", "All files (*)"}, "txt", "", false, &files);
    other.join();
    EXPECT_EQ(r, kNativeAccepted);
    EXPECT_EQ(files, (std::vector<std::string>{"/tmp/veldra-saved.txt"}));
    EXPECT_EQ(answer, 42);
    PumpFor(100);
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_TRUE(IsWindowEnabled(frame));
    // Enabled again, the close button reaches it.
    DisplayClose(frame);
    EXPECT_TRUE(PumpUntil([&] { return closes > 0; }));
    AcceptNextDialogs(nullptr, nullptr, nullptr);
    DestroyWindow(frame);
}

TEST_F(QtDisplay, HiDpiKeepsGeometryDoublesPixelsAndHitsTheSamePoint)
{
    if (ScaleFactor() != 2.0) GTEST_SKIP() << "runs with QT_SCALE_FACTOR=2";
    DemoFrame d;
    d.Create(50, 50);
    WindowGuard guard{d.frame};
    ShowAndFocus(d.frame);
    RECT r;
    GetWindowRect(d.frame, &r);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.right - r.left, 640);
    SyncDisplay();
    int w = 0, h = 0;
    std::string shot = (ArtifactDir() / "qt-demo-scale2.png").string();
    ASSERT_TRUE(DisplayWindowShot(d.frame, shot.c_str(), &w, &h));
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);

    POINT hit{};
    Handler old = d.canvasProc;
    d.canvasProc = [&](HWND hh, UINT m, WPARAM ww, LPARAM l) -> LRESULT {
        if (m == WM_LBUTTONDOWN) hit = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        return old(hh, m, ww, l);
    };
    Sh(XMove(ScreenPoint(d.canvas, 33, 44)) + " click 1");
    ASSERT_TRUE(PumpUntil([&] { return hit.x != 0; }));
    EXPECT_EQ(hit.x, 33);
    EXPECT_EQ(hit.y, 44);
    DestroyWindow(d.frame);
}

TEST_F(QtDisplay, ColourFontAndMessageBoxDialogsRoundTrip)
{
    AcceptNextDialogs(nullptr, nullptr, nullptr);
    COLORREF color = RGB(12, 34, 56);
    COLORREF custom[16] = {};
    custom[3] = RGB(200, 100, 50);
    EXPECT_EQ(NativeColorDialog(nullptr, &color, custom), kNativeAccepted);
    EXPECT_EQ(color, RGB(12, 34, 56));
    EXPECT_EQ(custom[3], RGB(200, 100, 50));

    LOGFONT lf{};
    lf.lfHeight = -16;
    lf.lfWeight = 700;
    lf.lfItalic = 1;
    lf.lfUnderline = 1;
    strcpy(lf.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(NativeFontDialog(nullptr, &lf), kNativeAccepted);
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");

    // The window manager's message box asks the user on a desktop; a scripted answer still wins.
    TakeMessageBoxLog();
    EXPECT_EQ(MessageBox(nullptr, "Saved.", "Demo", MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Quit?", "Demo", MB_YESNOCANCEL), IDCANCEL);
    PushMessageBoxAnswer(IDNO);
    EXPECT_EQ(MessageBox(nullptr, "Quit?", "Demo", MB_YESNOCANCEL), IDNO);
    EXPECT_EQ(TakeMessageBoxLog().size(), 3u);
    AcceptNextDialogs(nullptr, nullptr, nullptr);
}

namespace {

// A top-level window filled with one colour.
struct SolidWindow {
    COLORREF colour;
    HWND hwnd = nullptr;
    Handler proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            HBRUSH b = CreateSolidBrush(colour);
            FillRect(dc, &r, b);
            DeleteObject(b);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    SolidWindow(COLORREF c, RECT r, DWORD style = WS_POPUP) : colour(c) { hwnd = MakeAt(&proc, style, r); }
};

// The screen's pixel at a point in our logical pixels, once it is `want`.
bool ScreenShows(POINT p, uint32_t want, uint32_t* got)
{
    const std::string shot = ShotFile("qt-uncovered.png");
    const double f = ScaleFactor();
    return PumpUntil(
        [&] {
            SyncDisplay();
            return TakeScreenshot(shot) &&
                   PngPixel(shot, (int)(p.x * f), (int)(p.y * f), got) && *got == want;
        },
        3000);
}

}  // namespace

// A window moved off another, or closed over it, leaves the other's own image
// behind, not its old pixels: at once where the X server keeps window
// contents (the owner may be busy), and once the owner repaints anyway.
TEST_F(QtDisplay, UncoveredAreaShowsTheWindowBelow)
{
    SolidWindow below(RGB(0, 0, 255), RECT{100, 100, 600, 500});
    SolidWindow above(RGB(255, 0, 0), RECT{200, 200, 500, 400});
    WindowGuard g1{below.hwnd}, g2{above.hwnd};
    ShowAndFocus(below.hwnd);
    const unsigned long id = ShowAndFocus(above.hwnd);
    ASSERT_NE(id, 0u);
    uint32_t got = 0;
    ASSERT_TRUE(ScreenShows(POINT{300, 300}, 0xFF0000, &got)) << Hex(got);

    // Moved by the desktop while the display is busy: the server alone shows it.
    bool keeps = false;
    ServerPixel(0, 0, &keeps);
    if (keeps) DisplayStall(1500);
    Sh("xdotool windowmove --sync " + std::to_string(id) + " 700 600 >/dev/null 2>&1");
    if (keeps) {
        EXPECT_EQ(ServerPixel(300, 300, nullptr), 0x0000FF);
        EXPECT_EQ(ServerPixel(750, 650, nullptr), 0xFF0000);
    }
    EXPECT_TRUE(ScreenShows(POINT{300, 300}, 0x0000FF, &got)) << Hex(got);
    EXPECT_TRUE(ScreenShows(POINT{750, 650}, 0xFF0000, &got)) << Hex(got);

    // Moved back by us, off again, then closed.
    MoveWindow(above.hwnd, 200, 200, 300, 200, TRUE);
    EXPECT_TRUE(ScreenShows(POINT{300, 300}, 0xFF0000, &got)) << Hex(got);
    MoveWindow(above.hwnd, 150, 150, 300, 200, TRUE);
    EXPECT_TRUE(ScreenShows(POINT{480, 380}, 0x0000FF, &got)) << Hex(got);
    DestroyWindow(above.hwnd);
    EXPECT_TRUE(ScreenShows(POINT{300, 300}, 0x0000FF, &got)) << Hex(got);
}

// A window the program puts on top without activating it (a console whose
// input waits) comes above the others on the display too, and the keyboard
// stays with the window that had it.
TEST_F(QtDisplay, RaisedWithoutActivationComesForwardAndLeavesTheFocus)
{
    SolidWindow back(RGB(0, 0, 255), RECT{100, 100, 600, 500}, WS_OVERLAPPEDWINDOW);
    SolidWindow front(RGB(255, 0, 0), RECT{200, 200, 500, 400}, WS_OVERLAPPEDWINDOW);
    WindowGuard g1{back.hwnd}, g2{front.hwnd};
    ShowAndFocus(back.hwnd);
    const unsigned long id = ShowAndFocus(front.hwnd);
    ASSERT_NE(id, 0u);
    uint32_t got = 0;
    ASSERT_TRUE(ScreenShows(POINT{350, 300}, 0xFF0000, &got)) << Hex(got);
    SetWindowPos(back.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(ScreenShows(POINT{350, 300}, 0x0000FF, &got)) << Hex(got);
    PumpFor(100);
    EXPECT_EQ(GetForegroundWindow(), front.hwnd);
    EXPECT_EQ(std::stoul("0" + ShOut("xdotool getwindowfocus 2>/dev/null")), id);
}
