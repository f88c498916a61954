// Figures of 1,000,000 and 10,000,000 points (one plane, one noisy curve):
// saving the figure as the plot document does (the file's bytes made in
// memory, then written atomically) against writing the same bytes with one
// fwrite (and one fsync, as the save makes sure of its file), and a resize
// of the plane with its repaint into an 800 x 600 buffer. Goals: a save
// within twice the plain write, growing at most 12 times per 10 times the
// points; a resize and repaint at 10,000,000 points within 100 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "devices/framework/device_framework.h"
#include "plot_device/plot_figure.h"
#include "platform/afx/afx.h"
#include "platform/afx/document.h"
#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "values/byte_stream.h"

// The device's messages go to the process's stream here.
COutputStream* HostOutputStream() { return GetOutputStream(); }

namespace {

class BenchFigure : public CPlotFigure {
public:
    void GetFigureClientRect(RECT* r) override { *r = RECT{0, 0, 800, 600}; }
};

// A noisy sine over the points, so that each pixel column holds many.
void Fill(CGraphObject& o, uint32_t n)
{
    Point2D* p = o.AllocPoints(n);
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < n; i++) {
        seed = seed * 1103515245u + 12345u;
        const double noise = ((seed >> 16) & 0x7FFF) / 32768.0 - 0.5;
        p[i] = Point2D{(double)i, std::sin(i * 6.0 / n) + 0.2 * noise};
    }
}

std::unique_ptr<BenchFigure> MakeFigure(uint32_t n)
{
    auto f = std::make_unique<BenchFigure>();
    f->SetViewSize(800, 600);
    bool created = false;
    CPlotPlane* plane = f->GetPlane(1, 1, created);
    bool made = false;
    CGraphObject* o = plane->NewPlotObject(-1, made, 0);
    Fill(*o, n);
    f->m_pending.push_back(plane);
    f->CommitPending();
    f->PositionPlanes();
    return f;
}

std::string TempFile(const char* what)
{
    return (std::filesystem::temp_directory_path() / (std::string("figure-bench-") + what + "-" + std::to_string(getpid())))
        .string();
}

void SaveFigure(benchmark::State& state)
{
    auto f = MakeFigure((uint32_t)state.range(0));
    const std::string path = TempFile("save.qra");
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    size_t bytes = 0;
    for (auto _ : state) {
        // As the plot document saves.
        if (!AfxWriteFileAtomically(path, [&](int fd) { return WritePlotFile(*f, wp, fd); }))
            state.SkipWithError("save failed");
    }
    bytes = (size_t)std::filesystem::file_size(path);
    state.SetBytesProcessed((int64_t)(state.iterations() * bytes));
    std::filesystem::remove(path);
}
BENCHMARK(SaveFigure)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(2);

// The file's bytes alone, made in memory.
void SerializeFigure(benchmark::State& state)
{
    auto f = MakeFigure((uint32_t)state.range(0));
    WINDOWPLACEMENT wp{};
    for (auto _ : state) {
        std::string data;
        if (!WritePlotFile(*f, wp, data)) state.SkipWithError("failed");
        benchmark::DoNotOptimize(data.data());
    }
}
BENCHMARK(SerializeFigure)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(2);

// The same number of bytes in one fwrite, with and without one fsync.
void WriteBytes(benchmark::State& state, bool sync)
{
    auto f = MakeFigure((uint32_t)state.range(0));
    WINDOWPLACEMENT wp{};
    std::string data;
    WritePlotFile(*f, wp, data);
    f.reset();
    const std::string path = TempFile("fwrite.qra");
    for (auto _ : state) {
        FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size()) state.SkipWithError("write failed");
        std::fflush(out);
        if (sync) fsync(fileno(out));
        std::fclose(out);
    }
    state.SetBytesProcessed((int64_t)(state.iterations() * data.size()));
    std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(WriteBytes, Fwrite, false)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(WriteBytes, FwriteFsync, true)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(2);

// A window resized between two sizes: the plane's new layout with its
// rescale, then the repaint of the figure into a buffer.
void ResizeAndRepaint(benchmark::State& state)
{
    auto f = MakeFigure((uint32_t)state.range(0));
    HDC screen = GetDC(nullptr);
    HDC buffer = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 900, 700);
    HGDIOBJ old = SelectObject(buffer, bitmap);
    const RECT big{0, 0, 900, 700};
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        f->SetViewSize(wide ? 900 : 800, wide ? 700 : 600);
        f->PositionPlanes();
        FillRect(buffer, &big, (HBRUSH)GetStockObject(WHITE_BRUSH));
        f->Draw(buffer, false);
    }
    SelectObject(buffer, old);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    ReleaseDC(nullptr, screen);
}
BENCHMARK(ResizeAndRepaint)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
