// Stop latency in the IDE: from the Stop command on a running program
// document to the end of the run (the thread gone, the document Idle), for an
// empty loop, a long pause and a long LAPACK call.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "devices/install_program_steps.h"
#include "ide/output_bar.h"
#include "ide/veldra_doc.h"
#include "ide/veldra_view.h"
#include "platform/afx/resources.h"
#include "platform/backend/headless_input.h"

namespace {

constexpr UINT IDR_BENCH_PROGRAM = 9402;
const AfxStringEntry kStrings[] = {{IDR_BENCH_PROGRAM, "Veldra\nProgram\nProgram\nPrograms (*.vdx)\n.vdx"}};
const MenuTableItem kMenu[] = {{MF_POPUP | MF_END, 0, "&Program"},
                               {MF_STRING | MF_END, ID_PROGRAM_CALCULATE, "&Calculate"}};

struct Host {
    CWinApp app{nullptr, AfxGetProgramModuleState()};
    CMDIFrameWnd* frame = new CMDIFrameWnd;
    COutputCtrl out;
    Host()
    {
        CResourceTable& r = AfxGetProgramModuleState()->m_resources;
        r.AddStrings(kStrings, 1);
        r.AddMenu(IDR_BENCH_PROGRAM, kMenu, 2);
        AfxSetThread(&app);
        app.AddDocTemplate(new CMultiDocTemplate(IDR_BENCH_PROGRAM, RUNTIME_CLASS(CVeldraDoc),
                                                 RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CVeldraView)));
        frame->LoadFrame(IDR_BENCH_PROGRAM);
        app.m_pMainWnd = frame;
        out.Create(frame, 0, RECT{0, 0, 400, 200});
        InstallProgramSteps();
        CProgram starter;
        starter.Init(frame->m_hWnd);
    }
};

Host& TheHost()
{
    static Host* h = new Host;
    return *h;
}

void StopLatency(benchmark::State& state, const char* text)
{
    Host& h = TheHost();
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
