// The console device on the interactive display under Xvfb: coloured print
// output in a real console window, saved as a screenshot artifact.
#include <cairo.h>

#include <algorithm>
#include <cstdlib>

#include "devices/device_protocol.h"
#include "platform/afx/afx.h"
#include "platform/controls/controls.h"
#include "qt_test_util.h"
#include "support/fake_plot_host.h"

namespace {

// Counts the screenshot's pixels in the box that are mostly the given channel.
int ColouredPixels(const std::string& path, RECT box, int channel)
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
                const int c[3] = {(int)(p >> 16 & 0xFF), (int)(p >> 8 & 0xFF), (int)(p & 0xFF)};
                if (c[channel] > 150 && c[(channel + 1) % 3] < 90 && c[(channel + 2) % 3] < 90) ++n;
            }
        }
    }
    cairo_surface_destroy(s);
    return n;
}

CValue Str(const char* s)
{
    CValue v;
    v.SetString(s);
    return v;
}

TEST(QtConsole, ColouredOutputOnTheDisplay)
{
    const std::string home = "/tmp/veldra-qt-console-" + std::to_string(getpid());
    setenv("VELDRA_CONFIG_HOME", home.c_str(), 1);
    const char* out = std::getenv("VELDRA_OUT");
    CFakePlotHost host(std::string(out ? out : "build/out") + "/bin/Nerithx.so");
    ASSERT_TRUE(host.Loaded() && host.initDllResult);
    CDeviceLink* link = nullptr;
    ASSERT_TRUE(host.Create(&link));
    link->Start();
    HWND frame = link->mainWindow;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(frame) != FALSE; }));
    SetWindowPos(frame, nullptr, 20, 20, 520, 300, SWP_NOZORDER);

    ConsoleIoOption red[] = {{"color", Str("red")}, {"bd", CValue()}};
    ConsoleIoOption blue[] = {{"color", Str("blue")}};
    ConsoleIoItem items[2];
    items[0].options = red;
    items[0].optionCount = 2;
    items[0].value = Str("warning: red and bold");
    items[1].options = blue;
    items[1].optionCount = 1;
    items[1].value = Str(" then blue");
    ConsoleIoRequest request;
    request.title = "DEFAULT_CONSOLE";
    request.items = items;
    request.itemCount = 2;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(link->Send(WM_CONSOLE_IO, 0, (LPARAM)&request), 0);

    RECT r{};
    GetWindowRect(frame, &r);
    const std::string shot = (ArtifactDir() / "qt-console.png").string();
    int redPixels = 0, bluePixels = 0;
    const bool seen = PumpUntil(
        [&] {
            SyncDisplay();
            if (!DisplayScreenshot(shot.c_str())) return false;
            redPixels = ColouredPixels(shot, r, 0);
            bluePixels = ColouredPixels(shot, r, 2);
            return redPixels > 20 && bluePixels > 20;
        },
        5000);
    EXPECT_TRUE(seen) << redPixels << " " << bluePixels;
    link->Close();
    host.Delete(link);
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

}  // namespace
