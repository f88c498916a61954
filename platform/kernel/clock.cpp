// Tick counts and local time.
#include "platform/kernel/clock.h"

#include <atomic>
#include <chrono>
#include <ctime>

namespace {
std::atomic<uint64_t (*)()> g_tickSource{nullptr};
}

uint64_t GetTickCount64()
{
    if (uint64_t (*source)() = g_tickSource.load(std::memory_order_acquire)) return source();
    using namespace std::chrono;
    return (uint64_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

DWORD GetTickCount() { return (DWORD)GetTickCount64(); }

void SetTickSource(uint64_t (*source)()) { g_tickSource.store(source, std::memory_order_release); }

void GetLocalTime(SYSTEMTIME* st)
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts;
    localtime_r(&ts.tv_sec, &parts);
    st->wYear = (WORD)(parts.tm_year + 1900);
    st->wMonth = (WORD)(parts.tm_mon + 1);
    st->wDayOfWeek = (WORD)parts.tm_wday;
    st->wDay = (WORD)parts.tm_mday;
    st->wHour = (WORD)parts.tm_hour;
    st->wMinute = (WORD)parts.tm_min;
    st->wSecond = (WORD)(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    st->wMilliseconds = (WORD)(ts.tv_nsec / 1000000);
}
