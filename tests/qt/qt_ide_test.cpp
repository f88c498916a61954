// The IDE on the interactive display under Xvfb: a program with a runtime
// error is calculated and the IDE, its error line red in the output bar, is
// kept as a screenshot artifact.
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "ide/shell/app.h"
#include "ide/shell/main_frame.h"
#include "ide/shell/resources.h"
#include "platform/afx/afx.h"
#include "platform/afx/settings_file.h"
#include "qt_test_util.h"

namespace {

int RedPixels(const std::string& path, RECT box)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    int n = 0;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        for (int y = std::max<int>(0, box.top); y < std::min<int>(h, box.bottom); ++y) {
            const auto* row = (const uint32_t*)(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
            for (int x = std::max<int>(0, box.left); x < std::min<int>(w, box.right); ++x) {
                const uint32_t p = row[x];
                if ((p >> 16 & 0xFF) > 150 && (p >> 8 & 0xFF) < 90 && (p & 0xFF) < 90) ++n;
            }
        }
    }
    cairo_surface_destroy(s);
    return n;
}

// Pumps as the application's own loop does: idle time once the queue is
// empty, where the frame updates its bars (the status bar's key panes).
bool PumpWithIdle(CWinThread* app, const std::function<bool()>& done, int milliseconds)
{
    return PumpUntil(
        [&] {
            for (LONG n = 0; n < 16 && app->OnIdle(n); ++n) {
            }
            return done ? done() : false;
        },
        milliseconds);
}

// What a status-bar pane shows.
std::string ShownPaneText(CStatusBar& bar, UINT id)
{
    const int index = bar.CommandToIndex(id);
    if (index < 0) return "(none)";
    char text[256] = "";
    ::SendMessage(bar.GetStatusBarCtrl().m_hWnd, SB_GETTEXT, (WPARAM)index, (LPARAM)text);
    return text;
}

TEST(QtIde, CalculateWithAnErrorShowsTheErrorInTheOutputBar)
{
    namespace fs = std::filesystem;
    const fs::path home = "/tmp/veldra-qt-ide-" + std::to_string(getpid());
    fs::remove_all(home);
    fs::create_directories(home);
    setenv("VELDRA_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    // Not a first start: no help page is opened.
    CSettingsFile::Open((home / "config" / "Brenholt" / "Veldra.conf").string()).WriteInt("Settings", "Ver", 4);
    const fs::path program = home / "error.vdx";
    std::ofstream(program) << "x = 1;\nclear x;\nx;\n";

    auto* app = new CVeldraApp(IdeCommandLine{{program.string()}, false});
    app->m_bRegisterShell = false;
    CWinThread* prev = AfxSetThread(app);
    ASSERT_TRUE(app->InitInstance());
    CMainFrame* frame = GetMainFrame();
    ASSERT_NE(frame, nullptr);
    HWND hwnd = frame->m_hWnd;
    SetWindowPos(hwnd, nullptr, 10, 10, 900, 640, SWP_NOZORDER);
    ShowAndFocus(hwnd);
    frame->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    COutputCtrl& out = frame->m_wndOutputBar.m_output;
    ASSERT_TRUE(PumpUntil([&] { return out.GetWindowText().find("Error:") != std::string::npos; }, 10000))
        << out.GetWindowText();
    PumpWithIdle(app, nullptr, 700);   // the end of the run gives the editor back

    // The lock-key panes follow the keys: empty while a key is off.
    CStatusBar& status = frame->m_wndStatusBar;
    const struct {
        UINT id;
        int vk;
        const char* on;
    } keys[] = {{ID_INDICATOR_CAPS, VK_CAPITAL, "CAP"}, {ID_INDICATOR_NUM, VK_NUMLOCK, "NUM"}, {ID_INDICATOR_SCRL, VK_SCROLL, "SCRL"}};
    for (const auto& k : keys) {
        const std::string want = (GetKeyState(k.vk) & 1) ? k.on : "";
        EXPECT_EQ(ShownPaneText(status, k.id), want) << k.on;
    }

    const double f = ScaleFactor();
    const std::string shot = ShotFile("qt-ide-error.png");
    int red = 0;
    const bool seen = PumpWithIdle(
        app,
        [&] {
            SyncDisplay();
            if (!TakeScreenshot(shot)) return false;
            // Where the bar is now: the window manager may place the frame late.
            RECT bar{};
            ::GetWindowRect(out.m_hWnd, &bar);
            const RECT box{(LONG)(bar.left * f), (LONG)(bar.top * f), (LONG)(bar.right * f), (LONG)(bar.bottom * f)};
            red = RedPixels(shot, box);
            return red > 20;
        },
        20000);
    EXPECT_TRUE(seen) << red;

    // Leave without saving anything the test changed.
    if (CDocument* doc = frame->GetActiveDocument()) doc->SetModifiedFlag(FALSE);
    frame->SendMessage(WM_CLOSE);
    PumpFor(100);
    app->ExitInstance();
    AfxSetThread(prev);
    delete app;
    std::error_code ec;
    fs::remove_all(home, ec);
}

// The ink of one output line in a screenshot: its red pixels, its dark
// (black) pixels and its leftmost and rightmost ink columns.
struct ShotInk {
    int red = 0, dark = 0, left = INT32_MAX, right = -1;
};

ShotInk InkInShot(const std::string& path, RECT box)
{
    ShotInk ink;
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        for (int y = std::max<int>(0, box.top); y < std::min<int>(h, box.bottom); ++y) {
            const auto* row = (const uint32_t*)(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
            for (int x = std::max<int>(0, box.left); x < std::min<int>(w, box.right); ++x) {
                const int r = (int)(row[x] >> 16 & 0xFF), g = (int)(row[x] >> 8 & 0xFF), b = (int)(row[x] & 0xFF);
                const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
                if (r > 120 && r - std::max(g, b) > 60) ++ink.red;
                else if (hi - lo < 24 && hi < 90) ++ink.dark;
                else continue;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    }
    cairo_surface_destroy(s);
    return ink;
}

// An error, then a clean run: the clean run's lines show in the default
// colour and in the monospaced font of the settings (Courier New 12).
TEST(QtIde, CleanRunAfterAnErrorShowsPlainLinesInTheSetMonospacedFont)
{
    namespace fs = std::filesystem;
    const fs::path home = "/tmp/veldra-qt-ide-font-" + std::to_string(getpid());
    fs::remove_all(home);
    fs::create_directories(home);
    setenv("VELDRA_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    {
        CSettingsFile& conf = CSettingsFile::Open((home / "config" / "Brenholt" / "Veldra.conf").string());
        conf.WriteInt("Settings", "Ver", 4);
        conf.WriteString("Settings", "110", "Courier New");
        conf.WriteInt("Settings", "111", 120);
    }
    const fs::path bad = home / "bad.vdx", clean = home / "clean.vdx";
    std::ofstream(bad) << "x = 1;\nclear x;\nx;\n";
    std::ofstream(clean) << "a = \"iiiiiiiiii\";\na;\nb = \"MMMMMMMMMM\";\nb;\nm = [1, 22, 333; 4444, 5, 66];\nm;\n";

    auto* app = new CVeldraApp(IdeCommandLine{{bad.string(), clean.string()}, false});
    app->m_bRegisterShell = false;
    CWinThread* prev = AfxSetThread(app);
    ASSERT_TRUE(app->InitInstance());
    CMainFrame* frame = GetMainFrame();
    ASSERT_NE(frame, nullptr);
    HWND hwnd = frame->m_hWnd;
    SetWindowPos(hwnd, nullptr, 10, 10, 900, 640, SWP_NOZORDER);
    ShowAndFocus(hwnd);
    COutputCtrl& out = frame->m_wndOutputBar.m_output;
    auto runDocument = [&](const fs::path& file, const char* last) {
        CDocument* doc = app->OpenDocumentFile(file.c_str());
        ASSERT_NE(doc, nullptr);
        PumpWithIdle(app, nullptr, 200);
        frame->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
        ASSERT_TRUE(PumpUntil([&] { return out.GetWindowText().find(last) != std::string::npos; }, 10000))
            << out.GetWindowText();
        PumpWithIdle(app, nullptr, 700);   // the end of the run
    };
    runDocument(bad, "Error:");
    runDocument(clean, "4444");

    // The formats: the clean run's lines are in the default colour and the set font.
    const int first = out.LineCount() - 5;   // "iiiiiiiiii", "MMMMMMMMMM", the matrix's two lines
    ASSERT_EQ(out.GetTextRange(out.LineIndex(first), out.LineIndex(first) + 10), "iiiiiiiiii");
    for (int line = first; line < first + 4; ++line) {
        const int a = out.LineIndex(line);
        out.SetSel(a, a + 5);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        out.GetSelectionCharFormat(cf);
        EXPECT_TRUE((cf.dwEffects & CFE_AUTOCOLOR) || cf.crTextColor == 0) << line << " " << std::hex << cf.crTextColor;
        EXPECT_STREQ(cf.szFaceName, "Courier New") << line;
        EXPECT_EQ(cf.yHeight, 240) << line;
    }
    out.SetSel(0, 0);

    // The screen: no red in the clean run's lines, and ten i take the room of ten M.
    const double f = ScaleFactor();
    auto lineBox = [&](int line) {
        POINT a{}, b{};
        out.Send(EM_POSFROMCHAR, (WPARAM)&a, out.LineIndex(line));
        out.Send(EM_POSFROMCHAR, (WPARAM)&b, out.LineIndex(line + 1));
        RECT client;
        out.GetClientRect(&client);
        POINT tl = ScreenPoint(out.m_hWnd, 0, a.y), br = ScreenPoint(out.m_hWnd, client.right, b.y);
        return RECT{(LONG)(tl.x * f), (LONG)(tl.y * f), (LONG)(br.x * f), (LONG)(br.y * f)};
    };
    const std::string shot =
        ShotFile(f == 1.0 ? "qt-ide-clean-after-error.png" : "qt-ide-clean-after-error-hidpi.png");
    ShotInk narrow, wide, matrix, error;
    const bool seen = PumpWithIdle(
        app,
        [&] {
            SyncDisplay();
            if (!TakeScreenshot(shot)) return false;
            narrow = InkInShot(shot, lineBox(first));
            wide = InkInShot(shot, lineBox(first + 1));
            matrix = InkInShot(shot, lineBox(first + 2));
            return narrow.dark > 10 && wide.dark > 10 && matrix.dark > 10;
        },
        5000);
    ASSERT_TRUE(seen) << narrow.dark << " " << wide.dark << " " << matrix.dark;
    for (const ShotInk& ink : {narrow, wide, matrix}) EXPECT_EQ(ink.red, 0);
    EXPECT_NEAR(narrow.right - narrow.left, wide.right - wide.left, 4 * f);
    // 12 points: 16 pixels an em, a monospaced letter 0.6 em.
    EXPECT_NEAR(wide.right - wide.left, 96 * f, 10 * f);
    // The error line before them is still red.
    int errorLine = -1;
    for (int line = 0; line < first; ++line) {
        const int a = out.LineIndex(line);
        if (out.GetTextRange(a, a + 6) == "Error:") errorLine = line;
    }
    ASSERT_GE(errorLine, 0);
    POINT errorAt{};
    out.Send(EM_POSFROMCHAR, (WPARAM)&errorAt, out.LineIndex(errorLine));
    if (errorAt.y >= 0) {
        EXPECT_GT(InkInShot(shot, lineBox(errorLine)).red, 20);
    }

    for (CDocument* doc : app->m_pDocTemplate->Documents()) doc->SetModifiedFlag(FALSE);
    frame->SendMessage(WM_CLOSE);
    PumpFor(100);
    app->ExitInstance();
    AfxSetThread(prev);
    delete app;
    std::error_code ec;
    fs::remove_all(home, ec);
}

}  // namespace
