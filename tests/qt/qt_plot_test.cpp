// The plot device on the interactive display under Xvfb: a 2x2 figure (a
// titled line with its legend, a log plane with a pointer, a polar plane,
// bars) with one plane selected by a real click, saved as a screenshot.
#include <cairo.h>

#include <cstdlib>
#include <set>

#include "devices/device_protocol.h"
#include "platform/afx/afx.h"
#include "tests/support/common_dialog_script.h"
#include "platform/controls/controls.h"
#include "platform/afx/stand_in_dialogs.h"
#include "plot_device/quorra_resources.h"
#include "qt_test_util.h"
#include "support/fake_plot_host.h"
#include "tests/plot_device/plot_inspect.h"

namespace {

// The distinct colours of a PNG, up to `enough`.
size_t Colours(const std::string& path, size_t enough)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    std::set<uint32_t> seen;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        for (int y = 0; y < h && seen.size() < enough; ++y) {
            const auto* row = (const uint32_t*)(cairo_image_surface_get_data(s) + (size_t)y * cairo_image_surface_get_stride(s));
            for (int x = 0; x < w && seen.size() < enough; ++x) seen.insert(row[x] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(s);
    return seen.size();
}

TEST(QtPlot, FigureOnTheDisplay)
{
    CFakePlotHost host;
    ASSERT_TRUE(host.Loaded() && host.initDllResult);
    CDeviceLink* link = nullptr;
    ASSERT_TRUE(host.Create(&link));
    link->Start();
    HWND frame = link->mainWindow;
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(frame) != FALSE; }));

    const char* source = std::getenv("VELDRA_SOURCE");
    ASSERT_TRUE(source);
    CommonDialogAnswer open;
    open.paths = {std::string(source) + "/tests/plot_device/data/view_2x2.qra"};
    PushCommonDialogAnswer(open);
    link->Send(WM_COMMAND, ID_FILE_OPEN, 0);
    ASSERT_EQ(plot_inspect::Planes(frame), 4);
    SetWindowPos(frame, nullptr, 30, 30, 560, 440, SWP_NOZORDER);  // on screen at scale 2 too
    ShowAndFocus(frame);
    SyncDisplay();

    // A click selects the log plane; it gets a pointer.
    const POINT centre = plot_inspect::PlaneCentre(frame, 1);
    Sh(XMove(centre) + " click 1");
    EXPECT_TRUE(PumpUntil([&] { return plot_inspect::SelectedPlane(frame) == 2; }));
    link->Send(WM_COMMAND, ID_POINTER_ADD, 0);
    EXPECT_EQ(plot_inspect::Pointers(frame), 1);

    RECT r{};
    GetWindowRect(frame, &r);
    const double f = ScaleFactor();
    const std::string shot = ShotFile(f == 1 ? "qt-plot-2x2.png" : "qt-plot-2x2-scale2.png");
    int w = 0, h = 0;
    bool taken = false;
    EXPECT_TRUE(PumpUntil(
        [&] {
            SyncDisplay();
            taken = DisplayWindowShot(frame, shot.c_str(), &w, &h);
            return taken && Colours(shot, 3) > 2;
        },
        5000));
    ASSERT_TRUE(taken);
    EXPECT_NEAR(w, (r.right - r.left) * f, 2 * f);
    EXPECT_NEAR(h, (r.bottom - r.top) * f, 2 * f);
    EXPECT_GT(Colours(shot, 3), 2u);

    // Print on the display: the print dialog shows; a landscape PDF.
    const std::string pdf = "/tmp/veldra-qt-plot-" + std::to_string(getpid()) + ".pdf";
    std::filesystem::remove(pdf);
    PostMessage(frame, WM_COMMAND, ID_FILE_PRINT, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        dialog = nullptr;
        EnumThreadWindows(
            link->threadId,
            [](HWND h, LPARAM l) -> BOOL {
                char text[32] = {};
                GetWindowText(h, text, sizeof text);
                if (std::string(text) != "Print" || !IsWindowVisible(h)) return TRUE;
                *reinterpret_cast<HWND*>(l) = h;
                return FALSE;
            },
            (LPARAM)&dialog);
        return dialog != nullptr;
    }));
    SetWindowText(GetDlgItem(dialog, IDC_PRINT_OUTPUT), pdf.c_str());
    SendMessage(GetDlgItem(dialog, IDC_PRINT_LANDSCAPE), BM_CLICK, 0, 0);
    PostMessage(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(dialog) && std::filesystem::exists(pdf); }));
    if (Sh("command -v pdfinfo >/dev/null 2>&1") == 0)
        EXPECT_TRUE(PumpUntil([&] { return ShOut("pdfinfo '" + pdf + "' 2>/dev/null").find("841.89 x 595.276") != std::string::npos; }))
            << ShOut("pdfinfo '" + pdf + "' 2>&1");
    std::filesystem::remove(pdf);
    link->Close();
    host.Delete(link);
    ClearCommonDialogAnswers();
}

}  // namespace
