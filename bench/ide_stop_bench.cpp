// Stop latency in the IDE: from the Stop command on a running program
// document to the end of the run (the thread gone, the document Idle), for an
// empty loop, a long pause and a long LAPACK call.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ide_bench_host.h"
#include "platform/backend/headless_input.h"

namespace {

void StopLatency(benchmark::State& state, const char* text)
{
    BenchIdeHost& h = TheBenchIdeHost();
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("stop-bench-" + std::to_string(getpid()) + ".vdx");
    std::ofstream(file) << text;
    auto* doc = static_cast<CVeldraDoc*>(h.app.OpenDocumentFile(file.c_str()));
    for (auto _ : state) {
        state.PauseTiming();
        doc->OnCalculate();
        Sleep(300);  // well inside the work
        state.ResumeTiming();
        doc->OnStop();
        benchmark::DoNotOptimize(doc->GetRunState());
    }
    doc->OnCloseDocument();
    PumpUntilIdle();
    std::filesystem::remove(file);
}

BENCHMARK_CAPTURE(StopLatency, EmptyLoop, "while (1)\nend\n")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(StopLatency, Pause, "pause(10);\n")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(StopLatency, Inverse, "x = rand(1500, 1500);\ny = inv(x);\n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
