#include "platform/kernel/long_waits.h"

#include <atomic>
#include <cmath>

namespace {
constexpr DWORD kWaits[] = {60000, 15000, 1000, 15100, 15000, 1000};
std::atomic<double> g_scale{1.0};
}  // namespace

DWORD LongWaitMs(LongWait which)
{
    int i = (int)which;
    if (i < 0 || i >= (int)(sizeof kWaits / sizeof kWaits[0])) return 1;
    double ms = std::floor(kWaits[i] * g_scale.load(std::memory_order_relaxed));
    if (!(ms >= 1)) return 1;
    return ms >= 4294967295.0 ? 0xFFFFFFFEu : (DWORD)ms;
}

void SetLongWaitScale(double scale)
{
    if (!(scale > 0) || !std::isfinite(scale)) scale = 1.0;
    g_scale.store(scale, std::memory_order_relaxed);
}
