// Redrawing one plane of one curve of 100,000 and of 1,000,000 points into an
// 800 x 600 screen buffer, and a zoom on it with its redraw: the cost should
// grow linearly with the points (no quadratic clipping or hit testing), and
// the zoom on the larger curve stays interactive.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/user/window_dc.h"

namespace {

// A noisy sine over the points, so the curve crosses most pixel columns
// many times, as measured data does.
struct Plane {
    CGraph graph;
    HDC screen = nullptr;
    HDC buffer = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    const RECT area{0, 0, 800, 600};

    explicit Plane(uint32_t points)
    {
        std::vector<Point2D> p(points);
        uint32_t seed = 12345;
        for (uint32_t i = 0; i < points; i++) {
            seed = seed * 1103515245u + 12345u;
            const double noise = ((seed >> 16) & 0x7FFF) / 32768.0 - 0.5;
            p[i] = Point2D{(double)i, std::sin(i * 1e-4) + 0.2 * noise};
        }
        graph.objects.emplace_back(graph.NewObject(nullptr));
        graph.objects.back()->SetPointsFrom(p);
        graph.AutoScale(0);
        screen = GetDC(nullptr);
        buffer = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
        old = SelectObject(buffer, bitmap);
        graph.ResizeWithDC(buffer, area);
    }
    ~Plane()
    {
        SelectObject(buffer, old);
        DeleteObject(bitmap);
        DeleteDC(buffer);
        ReleaseDC(nullptr, screen);
    }
    void Redraw()
    {
        FillRect(buffer, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
        benchmark::DoNotOptimize(graph.DrawGraph(buffer, 0));
    }
};

void RedrawCurve(benchmark::State& state)
{
    Plane plane((uint32_t)state.range(0));
    for (auto _ : state) plane.Redraw();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RedrawCurve)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Zoom in, lay out again and redraw, then zoom back out: what one click of
// Zoom In costs the user.
void ZoomAndRedrawCurve(benchmark::State& state)
{
    Plane plane((uint32_t)state.range(0));
    for (auto _ : state) {
        plane.graph.Zoom(0.1);
        plane.graph.ResizeWithDC(plane.buffer, plane.area);
        plane.Redraw();
        plane.graph.Zoom(-0.1);
    }
}
BENCHMARK(ZoomAndRedrawCurve)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
