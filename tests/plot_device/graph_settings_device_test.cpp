// The "Properties" sheet in the running plot device: opened by a
// double-click on a plane in Select mode and by the menu command, holding
// the figure busy while it is open, driven by control id from the host's
// thread through the fake host.
#include <gtest/gtest.h>

#include <cstring>

#include "devices/device_protocol.h"
#include "platform/afx/afx.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/long_waits.h"
#include "platform/user/user.h"
#include "plot_device/quorra_resources.h"
#include "support/fake_plot_host.h"
#include "values/value_matrix.h"
#include "tests/support/windows.h"
#include "tests/plot_device/plot_inspect.h"

namespace {

struct Device {
    CFakePlotHost& host;
    CDeviceLink* link = nullptr;
    HANDLE thread = nullptr;
    explicit Device(CFakePlotHost& h) : host(h)
    {
        thread = host.Create(&link);
        if (thread) link->Start();
    }
    ~Device()
    {
        if (link) {
            if (link->threadHandle && IsThreadAlive(link->threadHandle)) link->Close();
            host.Delete(link);
        }
    }
    HWND Frame() const { return link->mainWindow; }
    POINT Centre(int plane) { return plot_inspect::PlaneCentre(Frame(), (size_t)plane); }
    std::string NumberFormat(int plane) { return plot_inspect::NumberFormat(Frame(), (size_t)plane); }
};



// The sheet's visible page that holds control id.
HWND VisiblePageWith(HWND sheet, int id)
{
    std::vector<HWND> all;
    EnumChildWindows(
        sheet,
        [](HWND h, LPARAM l) {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            return TRUE;
        },
        (LPARAM)&all);
    for (HWND h : all)
        if (GetParent(h) == sheet && IsWindowVisible(h) && GetDlgItem(h, id)) return h;
    return nullptr;
}

void ClickTab(HWND sheet, int index)
{
    HWND tab = GetDlgItem(sheet, 0x3020);
    RECT r{};
    SendMessage(tab, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(tab, &p);
    InjectClick(p.x, p.y);
}

void PlotTwoPlanes(CDeviceLink* link)
{
    for (int col = 1; col <= 2; col++) {
        PlotExprItem item;
        CValueMatrix& m = item.value.MakeMatrix(1, 3);
        for (int i = 0; i < 3; i++) m.Cell(0, i) = CValue(double(i * col));
        PlotExprItem* items[1] = {&item};
        PlotSeriesRecord series;
        series.items = items;
        series.itemCount = 1;
        PlotSeriesRecord* list[1] = {&series};
        PlotCommandText text;
        text.figure = "Sheet";
        text.series = list;
        text.seriesCount = 1;
        PlotCommandPosition pos{col, 1, -1, 0};
        EXPECT_EQ(link->Send(WM_PLOT_COMMAND, (WPARAM)&pos, (LPARAM)&text), 0);
    }
}

TEST(PlotDeviceProperties, DoubleClickOpensTheSheetWhichHoldsTheFigure)
{
    SetLongWaitScale(0.1);
    CFakePlotHost host;
    ASSERT_TRUE(host.Loaded());
    ClearMessageBoxAnswers();
    TakeMessageBoxLog();
    Device d(host);
    ASSERT_NE(d.thread, nullptr);
    PlotTwoPlanes(d.link);
    const plot_inspect::Counts two{2, 2};
    ASSERT_TRUE(PumpUntil([&] { return plot_inspect::PlanesAndObjects(d.Frame()) == two; }, 5000));
    EXPECT_EQ(d.NumberFormat(0), "%.6g");

    // A double-click on the first plane in Select mode.
    const POINT c = d.Centre(0);
    InjectMouseMove(c.x, c.y);
    InjectClick(c.x, c.y);
    InjectClick(c.x, c.y);
    HWND sheet = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (sheet = FindThreadWindow(d.link->threadId, "Properties")) != nullptr; }, 5000));
    EXPECT_EQ(plot_inspect::SelectedPlane(d.Frame()), 1) << "the first plane selected";
    EXPECT_EQ(WindowText(GetDlgItem(sheet, IDCANCEL)), "&Cancel");
    // While it is open the figure is busy: a clear is refused.
    EXPECT_EQ(d.link->Send(WM_PLOT_CLEAR, 0, 0), -1);
    EXPECT_TRUE(plot_inspect::Busy(d.Frame()));

    // Labels: precision 3 and OK.
    ClickTab(sheet, 2);
    HWND labels = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (labels = VisiblePageWith(sheet, IDC_TITLE_FONT)) != nullptr; }, 5000));
    SetWindowText(GetDlgItem(labels, IDC_PRECISION), "3");
    SendMessage(sheet, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
    EXPECT_EQ(d.NumberFormat(0), "%.3g");
    EXPECT_EQ(d.NumberFormat(1), "%.6g");
    EXPECT_FALSE(plot_inspect::Busy(d.Frame()));

    // The menu command opens it too; Cancel writes nothing and frees the figure.
    PostMessage(d.link->mainWindow, WM_COMMAND, ID_PLOT_PROPERTIES, 0);
    ASSERT_TRUE(PumpUntil([&] { return (sheet = FindThreadWindow(d.link->threadId, "Properties")) != nullptr; }, 5000));
    ClickTab(sheet, 2);
    ASSERT_TRUE(PumpUntil([&] { return (labels = VisiblePageWith(sheet, IDC_TITLE_FONT)) != nullptr; }, 5000));
    SetWindowText(GetDlgItem(labels, IDC_PRECISION), "9");
    SendMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
    EXPECT_EQ(d.NumberFormat(0), "%.3g");
    EXPECT_EQ(d.link->Send(WM_PLOT_CLEAR, 0, 0), 0) << "no longer refused";
    EXPECT_TRUE(TakeMessageBoxLog().empty());

    // Closing the window with the sheet open ends the sheet first, then the window.
    ASSERT_EQ(plot_inspect::Planes(d.Frame()), 2);
    const POINT c2 = d.Centre(1);
    InjectMouseMove(c2.x, c2.y);
    InjectClick(c2.x, c2.y);
    InjectClick(c2.x, c2.y);
    ASSERT_TRUE(PumpUntil([&] { return (sheet = FindThreadWindow(d.link->threadId, "Properties")) != nullptr; }, 5000));
    EXPECT_EQ(d.link->Close(), 1);
    EXPECT_EQ(WaitForSingleObject(d.thread, 0), WAIT_OBJECT_0);
    SetLongWaitScale(1);
}

}  // namespace
