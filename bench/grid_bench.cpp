// Growth of a virtual grid: painting one screen and scrolling one page must
// cost about the same for 1,000 and for 1,000,000 rows (only the visible
// cells are asked for and drawn).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/afx/afx.h"
#include "platform/backend/headless_input.h"
#include "ui_controls/grid/grid_ctrl.h"

namespace {

struct Headless {
    Headless() { setenv("VELDRA_HEADLESS", "1", 0); }
} g_headless;

BOOL CellText(GridDispInfo* info, LPARAM)
{
    info->item.text = std::to_string(info->item.row * 10 + info->item.column);
    return TRUE;
}

struct Fixture {
    CWnd host;
    CDataGridCtrl grid;
    explicit Fixture(int rows)
    {
        host.CreateEx(0, nullptr, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr);
        grid.SetVirtualMode(TRUE);
        grid.SetCallbackFunc(CellText, 0);
        grid.SetColumnCount(8);
        grid.SetRowCount(rows);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        grid.Create(RECT{0, 0, 600, 440}, &host, 1);
        host.ShowWindow(SW_SHOWNOACTIVATE);
        PumpUntilIdle();
    }
    ~Fixture()
    {
        grid.DestroyWindow();
        host.DestroyWindow();
    }
};

void PaintScreen(benchmark::State& state)
{
    Fixture f((int)state.range(0));
    for (auto _ : state) {
        f.grid.Invalidate();
        f.grid.UpdateWindow();
    }
}
BENCHMARK(PaintScreen)->Arg(1000)->Arg(1000000);

void ScrollPage(benchmark::State& state)
{
    Fixture f((int)state.range(0));
    for (auto _ : state) {
        f.grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN);
        f.grid.UpdateWindow();
        state.PauseTiming();
        f.grid.SendMessage(WM_VSCROLL, SB_TOP);
        f.grid.UpdateWindow();
        state.ResumeTiming();
    }
}
BENCHMARK(ScrollPage)->Arg(1000)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
