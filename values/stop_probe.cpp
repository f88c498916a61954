#include "values/stop_probe.h"

namespace {
thread_local const std::atomic<uint8_t>* t_stopFlag = nullptr;
}  // namespace

void SetThreadStopFlag(const std::atomic<uint8_t>* flag) { t_stopFlag = flag; }

bool ThreadStopRequested() { return t_stopFlag && t_stopFlag->load(std::memory_order_relaxed) != 0; }

const std::atomic<uint8_t>* ThreadStopFlag() { return t_stopFlag; }

namespace {
std::atomic<uint64_t> g_stopBroadcasts{0};
}

void NoteProgramStopBroadcast() { g_stopBroadcasts.fetch_add(1); }
uint64_t ProgramStopBroadcasts() { return g_stopBroadcasts.load(std::memory_order_relaxed); }
