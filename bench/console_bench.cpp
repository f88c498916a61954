// The console's hot path: 20,000 print requests, one line each, sent to a real
// console window of Nerithx.so as the program sends them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "devices/device_protocol.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"

namespace {

class CBenchHost final : public CDeviceHostCallbacks {};

constexpr int kLines = 20000;
void PrintTwentyThousandLines(benchmark::State& state)
{
    setenv("VELDRA_HEADLESS", "1", 0);
    // Settings go to a scratch folder, never the user's.
    setenv("VELDRA_CONFIG_HOME", "/tmp/veldra-console-bench", 0);
    const char* out = std::getenv("VELDRA_OUT");
    HMODULE module = LoadLibrary((std::string(out ? out : "build/out") + "/bin/Nerithx.so").c_str());
    auto init = module ? reinterpret_cast<DeviceInitDllFn>(GetProcAddress(module, "InitDll")) : nullptr;
    auto create = module ? reinterpret_cast<DeviceCreateAppFn>(GetProcAddress(module, "CreateApp")) : nullptr;
    auto remove = module ? reinterpret_cast<DeviceDeleteAppFn>(GetProcAddress(module, "DeleteApp")) : nullptr;
    if (!init || !create || !remove || !init(nullptr, nullptr, nullptr, 0)) {
        state.SkipWithError("Nerithx.so not loaded (set VELDRA_OUT)");
        return;
    }
    static CBenchHost host;
    for (auto _ : state) {
        CDeviceLink* link = nullptr;
        if (!create(&link, &host, kDeviceStartFlags)) {
            state.SkipWithError("no console window");
            return;
        }
        link->Start();
        ConsoleIoItem item;
        ConsoleIoRequest request;
        request.title = "DEFAULT_CONSOLE";
        request.items = &item;
        request.itemCount = 1;
        for (int i = 0; i < kLines; ++i) {
            item.value.SetString("line " + std::to_string(i));
            benchmark::DoNotOptimize(link->Send(WM_CONSOLE_IO, 0, (LPARAM)&request));
        }
        link->Close();
        remove(link);
    }
}
BENCHMARK(PrintTwentyThousandLines)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
