// A program of 100,000 lines `xK = I * 2 + 1;` translated and run, once with
// 100 distinct names and once with 100,000: the lookups of names must not
// grow with the number of names (goal: the second within twice the first).
// Timed around translation and run only; the program is freed outside.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "interpreter/program.h"
#include "interpreter/translator.h"

namespace {

std::string Text(int lines, int names)
{
    std::string text;
    for (int i = 0; i < lines; i++)
        text += "x" + std::to_string(i % names) + " = " + std::to_string(i) + " * 2 + 1;\n";
    return text;
}

void TranslateAndRun(benchmark::State& state)
{
    static const bool started = [] {
        CProgram starter;
        starter.Init(nullptr);
        return true;
    }();
    benchmark::DoNotOptimize(started);
    const std::string text = Text(100000, (int)state.range(0));
    for (auto _ : state) {
        auto* program = new CProgram();
        std::istringstream in(text);
        if (program->Translate(in) != 0) state.SkipWithError("translation failed");
        if (ExecuteStatements(program) != 0) state.SkipWithError("run failed");
        state.PauseTiming();
        delete program;
        state.ResumeTiming();
    }
}
BENCHMARK(TranslateAndRun)->Arg(100)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
