// Message-core costs: a send to a window of the calling thread, a send
// round trip to another thread's window, a post taken back with
// PeekMessage, and the CPU a receiver spends per send when the sender works
// between its sends (the receiver's burst wait must not spin beside it).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "platform/kernel/kernel.h"
#include "platform/user/user.h"

namespace {

const UINT MSG_BENCH = WM_USER + 1;

LRESULT BenchProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == MSG_BENCH) return (LRESULT)w + 1;
    return DefWindowProc(h, m, w, l);
}

HWND MakeBenchWindow()
{
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = BenchProc;
        wc.lpszClassName = "BenchWindow";
        return RegisterClass(&wc);
    }();
    (void)atom;
    return CreateWindowEx(0, "BenchWindow", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

struct Server {
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    DWORD id = 0;
    HWND hwnd = nullptr;
    double cpuSeconds = 0;   // the server thread's CPU time, known once it ended

    static double ThreadCpu()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec + t.tv_nsec * 1e-9;
    }
    static DWORD Run(void* p)
    {
        auto* s = (Server*)p;
        s->hwnd = MakeBenchWindow();
        const double start = ThreadCpu();
        SetEvent(s->ready);
        MSG m;
        while (GetMessage(&m, nullptr, 0, 0) > 0) DispatchMessage(&m);
        DestroyWindow(s->hwnd);
        s->cpuSeconds = ThreadCpu() - start;
        return 0;
    }
    Server()
    {
        thread = CreateThread(nullptr, 0, Run, this, 0, &id);
        WaitForSingleObject(ready, INFINITE);
    }
    ~Server()
    {
        PostThreadMessage(id, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(ready);
    }
};

void BM_SendSameThread(benchmark::State& state)
{
    HWND h = MakeBenchWindow();
    WPARAM i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(SendMessage(h, MSG_BENCH, i++, 0));
    DestroyWindow(h);
}
BENCHMARK(BM_SendSameThread);

void BM_SendCrossThreadRoundTrip(benchmark::State& state)
{
    Server server;
    WPARAM i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(SendMessage(server.hwnd, MSG_BENCH, i++, 0));
}
BENCHMARK(BM_SendCrossThreadRoundTrip)->UseRealTime();

// A send, then range(0) microseconds of work on the sending thread: the
// receiver's CPU per send (receiver_cpu_us) is what its waits cost while
// nothing comes.
void BM_SendsBetweenWork(benchmark::State& state)
{
    const auto work = std::chrono::microseconds(state.range(0));
    double cpu = 0;
    {
        Server server;
        WPARAM i = 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(SendMessage(server.hwnd, MSG_BENCH, i++, 0));
            const auto until = std::chrono::steady_clock::now() + work;
            while (std::chrono::steady_clock::now() < until) {
            }
        }
        PostThreadMessage(server.id, WM_QUIT, 0, 0);
        WaitForSingleObject(server.thread, INFINITE);
        cpu = server.cpuSeconds;
    }
    state.counters["receiver_cpu_us"] = cpu * 1e6 / (double)state.iterations();
}
BENCHMARK(BM_SendsBetweenWork)->Arg(100)->Arg(1000)->UseRealTime();

void BM_PostThenPeek(benchmark::State& state)
{
    HWND h = MakeBenchWindow();
    MSG m;
    for (auto _ : state) {
        PostMessage(h, MSG_BENCH, 1, 2);
        benchmark::DoNotOptimize(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    }
    DestroyWindow(h);
}
BENCHMARK(BM_PostThenPeek);

}  // namespace

BENCHMARK_MAIN();
