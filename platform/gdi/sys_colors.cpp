// The system colour table.
#include "platform/gdi/sys_colors.h"
#include <atomic>
#include <mutex>

namespace {

const COLORREF kDefaults[COLOR_MAX_INDEX + 1] = {
    RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219), RGB(240, 240, 240),
    RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(180, 180, 180), RGB(244, 247, 252), RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255),
    RGB(240, 240, 240), RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234), RGB(215, 228, 242), RGB(0, 120, 215),
    RGB(240, 240, 240)};

std::atomic<COLORREF> g_colors[COLOR_MAX_INDEX + 1];
std::atomic<bool> g_ready{false};
std::mutex g_initLock;

void EnsureTable()
{
    if (g_ready.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> g(g_initLock);
    if (g_ready.load(std::memory_order_relaxed)) return;
    for (int i = 0; i <= COLOR_MAX_INDEX; i++) g_colors[i].store(kDefaults[i]);
    g_ready.store(true, std::memory_order_release);
}

}   // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index > COLOR_MAX_INDEX) return 0;
    EnsureTable();
    return g_colors[index].load();
}

BOOL StoreSysColors(int count, const int* indexes, const COLORREF* colors)
{
    if (count < 0 || (count > 0 && (!indexes || !colors))) return FALSE;
    EnsureTable();
    for (int i = 0; i < count; i++)
        if (indexes[i] >= 0 && indexes[i] <= COLOR_MAX_INDEX) g_colors[indexes[i]].store(colors[i] & 0xFFFFFF);
    return TRUE;
}

void ResetSysColors()
{
    EnsureTable();
    for (int i = 0; i <= COLOR_MAX_INDEX; i++) g_colors[i].store(kDefaults[i]);
}
