#include "support/fuzz_support.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
const std::string* g_current = nullptr;

// The long mode's watchdog: each input under test gets a number; the watchdog
// waits for the input of that number to end, at most the hang limit. Never
// destroyed: the detached watchdog still waits on them while the process exits.
std::mutex& g_currentLock = *new std::mutex;
std::condition_variable& g_inputChanged = *new std::condition_variable;
uint64_t g_inputNumber = 0;

void StartWatchdog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char* h = std::getenv("VELDRA_FUZZ_HANG_MS");
        const auto limit = std::chrono::milliseconds(h && *h ? std::strtoll(h, nullptr, 10) : 2000);
        std::thread([limit] {
            std::unique_lock<std::mutex> g(g_currentLock);
            for (;;) {
                g_inputChanged.wait(g, [] { return g_current != nullptr; });
                const uint64_t watched = g_inputNumber;
                if (g_inputChanged.wait_for(g, limit, [watched] { return g_inputNumber != watched || !g_current; }))
                    continue;
                std::fprintf(stderr, "\nHang over %lld ms on input:\n\"%s\"\n", (long long)limit.count(),
                             Escaped(*g_current).c_str());
                std::fflush(stderr);
                std::abort();
            }
        }).detach();
    });
}
}  // namespace
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>

namespace {
void PrintCurrent()
{
    if (g_current) std::fprintf(stderr, "\nInput under test:\n\"%s\"\n", Escaped(*g_current).c_str());
}
const bool g_installed = (__sanitizer_set_death_callback(PrintCurrent), true);
}  // namespace
#endif

FuzzInput::FuzzInput(const std::string& text)
{
    const bool watched = std::getenv("VELDRA_FUZZ_CASES") != nullptr;
    if (watched) StartWatchdog();
    {
        std::lock_guard<std::mutex> g(g_currentLock);
        g_current = &text;
        ++g_inputNumber;
    }
    if (watched) g_inputChanged.notify_all();
}

FuzzInput::~FuzzInput()
{
    {
        std::lock_guard<std::mutex> g(g_currentLock);
        g_current = nullptr;
        ++g_inputNumber;
    }
    g_inputChanged.notify_all();
}
