// Drawing hot paths: text extents, a long hairline polyline, a full-screen XOR band.
#include "platform/gdi/gdi.h"
#include "platform/user/window_dc.h"
#include <benchmark/benchmark.h>
#include <vector>

namespace {

struct Canvas {
    HDC dc;
    HBITMAP bm;
    HGDIOBJ old;
    Canvas(int w, int h)
    {
        dc = CreateCompatibleDC(nullptr);
        bm = CreateBitmap(w, h, 1, 24, nullptr);
        old = SelectObject(dc, bm);
    }
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteObject(bm);
        DeleteDC(dc);
    }
};

void TextExtents(benchmark::State& state)
{
    HDC dc = GetDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const char* text = "The quick brown fox jumps over the lazy dog 0123456789";
    for (auto _ : state) {
        SIZE s;
        GetTextExtentPoint32(dc, text, 54, &s);
        benchmark::DoNotOptimize(s);
    }
    ReleaseDC(nullptr, dc);
}
BENCHMARK(TextExtents);

void LongHairlinePolyline(benchmark::State& state)
{
    Canvas c(1920, 1080);
    std::vector<POINT> pts;
    for (int i = 0; i < 10000; i++) pts.push_back(POINT{(i * 37) % 1920, (i * 53) % 1080});
    HPEN pen = CreatePen(PS_DOT, 0, 0);
    SelectObject(c.dc, pen);
    for (auto _ : state) Polyline(c.dc, pts.data(), (int)pts.size());
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}
BENCHMARK(LongHairlinePolyline)->Unit(benchmark::kMillisecond);

void FullScreenXorBand(benchmark::State& state)
{
    Canvas c(1920, 1080);
    HPEN pen = CreatePen(PS_DOT, 0, 0);
    SelectObject(c.dc, pen);
    SelectObject(c.dc, GetStockObject(NULL_BRUSH));
    SetROP2(c.dc, R2_XORPEN);
    for (auto _ : state) Rectangle(c.dc, 0, 0, 1920, 1080);
    SelectObject(c.dc, GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}
BENCHMARK(FullScreenXorBand)->Unit(benchmark::kMicrosecond);

}   // namespace

BENCHMARK_MAIN();
