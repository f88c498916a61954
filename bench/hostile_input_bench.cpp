// Inputs a user can make large: a settings file of many lines in one section
// (loading must stay linear in the lines) and a long self-crossing polyline
// drawn with a wide pen (stroked in runs, linear in the points).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/afx/settings_file.h"
#include "platform/gdi/gdi.h"

namespace {

void SettingsLoad(benchmark::State& state)
{
    const int lines = (int)state.range(0);
    const std::string path = "/tmp/veldra-bench-settings-" + std::to_string(getpid()) + ".conf";
    {
        std::ofstream out(path, std::ios::binary);
        out << "[Settings]\n";
        for (int i = 0; i < lines; i++) out << "v" << i << "=dword:00000001\n";
    }
    for (auto _ : state) {
        CSettingsFile f(path);
        uint32_t v = 0;
        benchmark::DoNotOptimize(f.GetInt("Settings", "v0", v));
    }
    std::remove(path.c_str());
    state.SetComplexityN(lines);
}
BENCHMARK(SettingsLoad)->Arg(10000)->Arg(160000)->Unit(benchmark::kMillisecond)->Complexity();

void WidePolyline(benchmark::State& state)
{
    const int points = (int)state.range(0);
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> x(0, 799), y(0, 599);
    std::vector<POINT> pts((size_t)points);
    for (POINT& p : pts) p = POINT{x(rng), y(rng)};
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(800, 600, 1, 24, nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, bmp);
    HPEN pen = CreatePen(PS_SOLID, 24, RGB(0, 0, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (auto _ : state) Polyline(dc, pts.data(), points);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteObject(pen);
    DeleteObject(bmp);
    DeleteDC(dc);
    state.SetComplexityN(points);
}
BENCHMARK(WidePolyline)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
