// The output bar: 200,000 one-line messages committed through the stream into
// the control from its own thread, then put in and painted as one frame,
// with the view following the end. Only the growth matters: a quadratic
// append or line count shows at once. The path a running program takes
// (another thread, frames, the screen) is ide_output_bench's.
#include <benchmark/benchmark.h>

#include "ide/bars/output_bar.h"

namespace {

void AppendMessages(benchmark::State& state)
{
    const int n = (int)state.range(0);
    for (auto _ : state) {
        CFrameWnd* frame = new CFrameWnd;
        frame->Create(nullptr, "bench");
        COutputCtrl out;
        out.Create(frame, 0, RECT{0, 0, 600, 400});
        for (int i = 0; i < n; ++i) CMessageWriter(i % 10 == 0 ? MSG_ERROR : MSG_PLAIN, &out) << "message " << i;
        out.FlushOutput();
        UpdateWindow(frame->m_hWnd);
        benchmark::DoNotOptimize(out.GetLineCount());
        frame->DestroyWindow();
    }
}
BENCHMARK(AppendMessages)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
