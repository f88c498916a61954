// Hex editor growth: painting one screen and typing one byte in overwrite
// mode over a 64 KB and a 64 MB buffer. Painting reads only the visible rows
// and an overwrite moves no memory, so the larger buffer should cost at most
// about twice as much (run with --benchmark_filter=HexEdit and compare).
#include <cstdlib>
#include <cstring>

#include <benchmark/benchmark.h>

#include "platform/afx/wnd.h"
#include "platform/user/user.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {

struct Host {
    CWnd frame;
    CHexEditCtrl hex;
    explicit Host(size_t bytes)
    {
        setenv("VELDRA_HEADLESS", "1", 0);
        hex.m_pData = static_cast<unsigned char*>(std::calloc(bytes, 1));
        hex.m_nDataSize = (int)bytes;
        frame.CreateEx(0, nullptr, "", WS_POPUP | WS_VISIBLE, 0, 0, 700, 500, nullptr, nullptr);
        hex.Create(0, WS_VISIBLE, RECT{0, 0, 680, 480}, &frame, 1151);
        hex.SetFocus();
        hex.SetInsertMode(false);
        // Somewhere in the middle, where a scroll would show.
        hex.SetCaret((int)(bytes / 2));
    }
    ~Host()
    {
        frame.DestroyWindow();
        std::free(hex.m_pData);
    }
};

void HexEditPaintScreen(benchmark::State& state)
{
    Host h((size_t)state.range(0));
    for (auto _ : state) {
        InvalidateRect(h.hex.m_hWnd, nullptr, FALSE);
        UpdateWindow(h.hex.m_hWnd);
    }
}
BENCHMARK(HexEditPaintScreen)->Arg(64 << 10)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void HexEditTypeByteOverwrite(benchmark::State& state)
{
    Host h((size_t)state.range(0));
    const int middle = (int)(state.range(0) / 2);
    for (auto _ : state) {
        h.hex.SetCaret(middle);
        h.hex.SendMessage(WM_CHAR, 'A', 1);
        h.hex.SendMessage(WM_CHAR, '5', 1);
        UpdateWindow(h.hex.m_hWnd);
    }
}
BENCHMARK(HexEditTypeByteOverwrite)->Arg(64 << 10)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
