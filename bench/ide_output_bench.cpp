// Output in the windows, the real path: the IDE started headless runs
// `for(i=1:200000) i; end` (every value through the message stream into the
// output bar) and `for(i=1:20000) print "line ", i; end` (every line into a
// real console window of Nerithx.so), and the same programs run in batch
// (`veldra --run`). Each program times its loop itself (tick()) and displays
// the milliseconds last. Reported per workload: the program's own time in
// the IDE and in batch, and the time from Calculate to the screen being
// right (every line in the control, the view on the last line, nothing left
// to paint, the last line's pixels drawn). With "Use as console" on (the
// default) every printed line is in the output bar too.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ide/shell/app.h"
#include "ide/shell/main_frame.h"
#include "ide/shell/veldra_doc.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "values/app_settings.h"

namespace fs = std::filesystem;

namespace {

#ifndef VELDRA_OUT_DIR
#define VELDRA_OUT_DIR "build/out"
#endif

fs::path OutDir()
{
    const char* out = std::getenv("VELDRA_OUT");
    return out ? out : VELDRA_OUT_DIR;
}

fs::path Scratch()
{
    static const fs::path p = fs::temp_directory_path() / ("veldra-output-bench-" + std::to_string(getpid()));
    return p;
}

std::string Program(const std::string& loop)
{
    return "t = tick();\n" + loop + "\n(tick() - t) * 1000;\n";
}

// The last line of the batch run's standard output: the loop's milliseconds.
double BatchMs(const fs::path& program)
{
    const fs::path out = Scratch() / "batch.out";
    const std::string cmd = "cd '" + Scratch().string() + "' && '" + (OutDir() / "veldra").string() + "' --run '" +
                            program.string() + "' > '" + out.string() + "' 2>/dev/null < /dev/null";
    if (std::system(cmd.c_str()) != 0) return -1;
    std::ifstream in(out);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty()) last = line;
    return std::atof(last.c_str());
}

struct Ide {
    CVeldraApp* app = nullptr;
    CWinThread* previous = nullptr;
    Ide()
    {
        setenv("VELDRA_HEADLESS", "1", 1);
        fs::create_directories(Scratch() / "config" / "Brenholt");
        setenv("VELDRA_CONFIG_HOME", (Scratch() / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (Scratch() / "data").c_str(), 1);
        // Not a first start; the libraries and devices of the program folder.
        // BENCH_NO_MIRROR turns "Use as console" off: prints then reach the
        // console window only.
        std::ofstream(Scratch() / "config" / "Brenholt" / "Veldra.conf")
            << "[Settings]\nVer=dword:00000004\n300=sz:" << (OutDir() / "funlib").string()
            << "\n301=sz:" << (OutDir() / "bin").string() << "\n"
            << (std::getenv("BENCH_NO_MIRROR") ? "102=dword:00000000\n" : "");
        app = new CVeldraApp(IdeCommandLine{});
        app->m_bRegisterShell = false;
        previous = AfxSetThread(app);
        app->InitInstance();
        GetMainFrame()->ShowWindow(SW_SHOWMAXIMIZED);
        PumpUntilIdle();
    }
};

Ide& TheIde()
{
    static Ide* ide = new Ide;
    return *ide;
}

// The GUI thread's loop as the application's Run keeps it (idle updates
// after a message that is not a paint or a timer), until `done` holds; a
// thread timer wakes it to look.
template <class F>
void PumpWhileNot(CWinApp* app, F&& done)
{
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    bool idle = true;
    LONG idleCount = 0;
    MSG m;
    while (!done()) {
        while (idle && !PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE))
            if (!app->OnIdle(idleCount++)) idle = false;
        if (!GetMessage(&m, nullptr, 0, 0)) break;
        if (m.hwnd && !app->PreTranslateMessage(&m)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (app->IsIdleMessage(&m)) {
            idle = true;
            idleCount = 0;
        }
    }
    KillTimer(nullptr, timer);
}

BOOL FindConsoleFrame(HWND h, LPARAM l)
{
    char title[256] = {};
    GetWindowText(h, title, sizeof title);
    const std::string t = title;
    if (t.size() >= 6 && t.compare(t.size() - 6, 6, "Nerith") == 0) {
        *reinterpret_cast<HWND*>(l) = h;
        return FALSE;
    }
    return TRUE;
}

// True when the rich-edit window shows its last line: nothing left to paint,
// the last line inside the view, and ink on that line in the backing image.
bool ShowsLastLine(HWND edit, int wantLines)
{
    if (!IsWindow(edit)) return false;
    const int lines = (int)SendMessage(edit, EM_GETLINECOUNT, 0, 0);
    if (lines < wantLines) return false;
    RECT pending;
    if (GetUpdateRect(edit, &pending, FALSE)) return false;
    // The last line with text (the control ends with an empty line).
    const int last = (int)SendMessage(edit, EM_LINEINDEX, lines - 2, 0);
    POINT p{};
    SendMessage(edit, EM_POSFROMCHAR, (WPARAM)&p, last);
    RECT client;
    GetClientRect(edit, &client);
    if (p.y < 0 || p.y + 8 > client.bottom) return false;
    HWND top = GetAncestor(edit, GA_ROOT);
    std::vector<uint32_t> pixels;
    SIZE size{};
    if (!HeadlessCopySurface(top, &pixels, &size)) return false;
    RECT win;
    GetWindowRect(top, &win);
    POINT s = p;
    ClientToScreen(edit, &s);
    int ink = 0;
    for (int y = s.y; y < s.y + 8; ++y)
        for (int x = s.x; x < s.x + 40; ++x) {
            const int ix = x - win.left, iy = y - win.top;
            if (ix < 0 || iy < 0 || ix >= size.cx || iy >= size.cy) continue;
            if ((pixels[(size_t)iy * size.cx + ix] & 0xFFFFFF) != 0xFFFFFF) ++ink;
        }
    return ink > 0;
}

// Runs the program in the IDE: the program's own milliseconds, and the
// milliseconds from Calculate to the screen showing the end.
void RunInIde(const fs::path& file, bool console, int lines, double* programMs, double* screenMs)
{
    Ide& ide = TheIde();
    CMainFrame* frame = GetMainFrame();
    COutputCtrl& out = frame->m_wndOutputBar.m_output;
    out.OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
    auto* doc = dynamic_cast<CVeldraDoc*>(ide.app->OpenDocumentFile(file.c_str()));
    PumpUntilIdle();
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    doc->OnCalculate();
    // The program's last message is its time: the loop is over then.
    HWND consoleView = nullptr;
    // With "Use as console" (on by default) the output bar shows every
    // printed line too.
    const int barLines = !console ? lines + 2 : AppSettings::UseAsConsole ? lines + 2 : 2;
    PumpWhileNot(ide.app, [&] { return out.LineCount() >= barLines; });
    PumpWhileNot(ide.app, [&] {
        if (!console) return ShowsLastLine(out.m_hWnd, lines + 2);
        if (!consoleView) {
            HWND f = nullptr;
            EnumWindows(FindConsoleFrame, (LPARAM)&f);
            if (f) consoleView = GetDlgItem(f, AFX_IDW_PANE_FIRST);
        }
        return consoleView && ShowsLastLine(consoleView, lines + 1) && ShowsLastLine(out.m_hWnd, barLines);
    });
    *screenMs = std::chrono::duration<double, std::milli>(clock::now() - start).count();
    const int count = out.LineCount();
    const int at = out.LineIndex(count - 2);
    *programMs = std::atof(out.GetTextRange(at, at + out.LineLength(at)).c_str());
    PumpWhileNot(ide.app, [&] { return doc->GetRunState() == RunState::Idle; });
    doc->OnCloseDocument();
    PumpUntilIdle();
}

void Output(benchmark::State& state, bool console)
{
    const int n = (int)state.range(0);
    fs::create_directories(Scratch());
    const fs::path file = Scratch() / (console ? "prints.vdx" : "values.vdx");
    std::ofstream(file) << Program(console ? "for(i=1:" + std::to_string(n) + ") print \"line \", i; end"
                                           : "for(i=1:" + std::to_string(n) + ") i; end");
    double batch = 0, program = 0, screen = 0;
    for (auto _ : state) {
        batch = BatchMs(file);
        RunInIde(file, console, n, &program, &screen);
        state.SetIterationTime(screen / 1000);
    }
    state.counters["batch_ms"] = batch;
    state.counters["ide_program_ms"] = program;
    state.counters["ide_screen_ms"] = screen;
    state.counters["ratio"] = batch > 0 ? screen / batch : 0;
}

void OutputBarValues(benchmark::State& state) { Output(state, false); }
void ConsolePrints(benchmark::State& state) { Output(state, true); }

BENCHMARK(OutputBarValues)->Arg(20000)->Arg(200000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ConsolePrints)->Arg(2000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
