// The graph and its window: invalidation of the plot and of pointer lines.
#include <gtest/gtest.h>

#include "graphics/graph.h"
#include "platform/platform_test_util.h"

namespace {

// A plane that maps logical units to half device units, as a figure may.
class CScaledGraph : public CGraph {
public:
    int prepared = 0;
    void PrepareDC(HDC dc) override
    {
        prepared++;
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, 2, 2, nullptr);
        SetViewportExtEx(dc, 1, 1, nullptr);
    }
};

}  // namespace

TEST(GraphWindow, InvalidatePlotPaintsAtOnceAndPointerLinesRepaintTheWindow)
{
    int paints = 0;
    Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_PAINT) {
            paints++;
            PAINTSTRUCT ps;
            BeginPaint(w, &ps);
            EndPaint(w, &ps);
            return 0;
        }
        return DefWindowProc(w, m, wp, lp);
    };
    HWND hwnd = MakeWindow(&h);
    ASSERT_NE(hwnd, nullptr);
    CScaledGraph g;
    g.SetWindow(hwnd);
    g.outerRect = RECT{0, 0, 100, 100};
    g.InvalidatePlot();
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(g.prepared, 1);

    // Limits change while a pointer line reaches over the whole window.
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects[0]->pointerFlags = 1 | 8;
    double box[4] = {0, 1, 1, 0};
    g.SetLimits(box);
    UpdateWindow(hwnd);
    EXPECT_EQ(paints, 2);
    DestroyWindow(hwnd);
}

TEST(GraphWindow, PointsConvertThroughThePreparedWindowDc)
{
    Handler h = [](HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProc(w, m, wp, lp); };
    HWND hwnd = MakeWindow(&h);
    ASSERT_NE(hwnd, nullptr);
    CScaledGraph g;
    g.SetWindow(hwnd);
    POINT p[2] = {{10, 4}, {-6, 0}};
    g.DeviceToLogical(p, 2);
    EXPECT_EQ(p[0].x, 20);
    EXPECT_EQ(p[0].y, 8);
    EXPECT_EQ(p[1].x, -12);
    g.LogicalToDevice(p, 2);
    EXPECT_EQ(p[0].x, 10);
    EXPECT_EQ(p[1].x, -6);
    DestroyWindow(hwnd);
}

TEST(GraphWindow, APolarBackgroundFillsTheInscribedEllipseOnly)
{
    CGraph g;
    g.axisStyle = AXIS_POLAR;
    g.plotRect = RECT{10, 20, 110, 120};
    HDC rec = CreateRecordingDC(FALSE);
    g.FillBackground(rec);
    EXPECT_EQ(GetRecordingLog(rec), "");   // no colour: nothing
    g.background = RGB(0, 0, 255);
    g.FillBackground(rec);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    EXPECT_EQ(log.rfind("FillRgn 10,20,110,120 |", 0), 0u) << log;
    EXPECT_NE(log.find("brush=SOLID,#0000ff"), std::string::npos) << log;
}
