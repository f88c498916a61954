#include "values/stop_probe.h"

namespace {
thread_local const std::atomic<uint8_t>* t_stopFlag = nullptr;
}  // namespace

void SetThreadStopFlag(const std::atomic<uint8_t>* flag) { t_stopFlag = flag; }

bool ThreadStopRequested() { return t_stopFlag && t_stopFlag->load(std::memory_order_relaxed) != 0; }

const std::atomic<uint8_t>* ThreadStopFlag() { return t_stopFlag; }
