// The output bar's hot path: 20,000 coloured lines appended at the end of a
// rich-edit control, each with its own colour, and the line count read after each.
#include <benchmark/benchmark.h>
#include <string>

#include "platform/controls/controls.h"

namespace {

void AppendColouredLines(benchmark::State& state)
{
    RegisterControlClasses();
    for (auto _ : state) {
        HWND edit = CreateWindowEx(0, RICHEDIT_CLASS, "", WS_POPUP | WS_VISIBLE | ES_MULTILINE, 0, 0, 600, 400,
                                   nullptr, nullptr, nullptr, nullptr);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_COLOR;
        for (int i = 0; i < 20000; ++i) {
            CHARRANGE end{-1, -1};
            SendMessage(edit, EM_EXSETSEL, 0, (LPARAM)&end);
            cf.crTextColor = (COLORREF)((i % 3 == 0) ? 0x0000FF : (i % 3 == 1) ? 0x00A000 : 0);
            SendMessage(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
            std::string line = "message " + std::to_string(i) + ": something happened\n";
            SendMessage(edit, EM_REPLACESEL, 0, (LPARAM)line.c_str());
            benchmark::DoNotOptimize(SendMessage(edit, EM_GETLINECOUNT, 0, 0));
        }
        DestroyWindow(edit);
    }
}
BENCHMARK(AppendColouredLines)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
