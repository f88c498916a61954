// The IDE on the interactive display under Xvfb: a program with a runtime
// error is calculated and the IDE, its error line red in the output bar, is
// kept as a screenshot artifact.
#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "ide/app.h"
#include "ide/main_frame.h"
#include "ide/resources.h"
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

    RECT bar{};
    ::GetWindowRect(out.m_hWnd, &bar);
    const double f = ScaleFactor();
    const RECT box{(LONG)(bar.left * f), (LONG)(bar.top * f), (LONG)(bar.right * f), (LONG)(bar.bottom * f)};
    const std::string shot = (ArtifactDir() / "qt-ide-error.png").string();
    int red = 0;
    const bool seen = PumpWithIdle(
        app,
        [&] {
            SyncDisplay();
            if (!QtHook<bool(const char*)>("veldra_qt_test_screenshot")(shot.c_str())) return false;
            red = RedPixels(shot, box);
            return red > 20;
        },
        5000);
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

}  // namespace
