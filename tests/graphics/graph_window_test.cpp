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
