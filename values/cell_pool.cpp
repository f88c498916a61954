#include "values/cell_pool.h"

#include <pthread.h>

#include <atomic>
#include <cstdlib>

#define CELL_POISON VELDRA_CELL_POISON
#define CELL_UNPOISON VELDRA_CELL_UNPOISON

namespace {

constexpr int kMaxSlots = kCellPoolSlots;
constexpr uint32_t kBatch = 256;           // cells moved per trip to the shared list
constexpr uint32_t kLocalLimit = 2 * kBatch;
constexpr size_t kSlabBytes = 64 * 1024;

std::atomic<int> g_nextSlot{0};
CCellPool* g_slotPools[kMaxSlots];

// Free cells hold the link to the next free cell in their first word. Free
// cells are poisoned in sanitizer builds; only the pool reads the link.
void* ReadLink(void* cell)
{
    CELL_UNPOISON(cell, sizeof(void*));
    void* next = *static_cast<void**>(cell);
    CELL_POISON(cell, sizeof(void*));
    return next;
}

void WriteLink(void* cell, void* next)
{
    CELL_UNPOISON(cell, sizeof(void*));
    *static_cast<void**>(cell) = next;
    CELL_POISON(cell, sizeof(void*));
}

enum : uint8_t { kThreadNew = 0, kThreadLive = 1, kThreadGone = 2 };

pthread_key_t g_exitKey;
std::once_flag g_exitKeyOnce;

}  // namespace

__thread CellPoolLocal g_cellPoolLocal[kCellPoolSlots] __attribute__((tls_model("initial-exec")));

namespace {
__thread uint8_t t_state __attribute__((tls_model("initial-exec"))) = kThreadNew;
}  // namespace

// Thread exit: the thread's cells go back to the shared lists.
void FlushThreadCaches(void*)
{
    t_state = kThreadGone;
    int slots = g_nextSlot.load(std::memory_order_acquire);
    if (slots > kMaxSlots) slots = kMaxSlots;
    for (int s = 0; s < slots; ++s) {
        CellPoolLocal& l = g_cellPoolLocal[s];
        l.limit = 0;
        if (!l.head) continue;
        void* last = l.head;
        for (void* n = ReadLink(last); n; n = ReadLink(last)) last = n;
        g_slotPools[s]->PushShared(l.head, last, l.count);
        l.head = nullptr;
        l.count = 0;
    }
}

namespace {
void RegisterThread()
{
    std::call_once(g_exitKeyOnce, [] { pthread_key_create(&g_exitKey, FlushThreadCaches); });
    // Any non-null value makes the key's destructor run at thread exit.
    pthread_setspecific(g_exitKey, &t_state);
    t_state = kThreadLive;
    for (auto& l : g_cellPoolLocal) l.limit = kLocalLimit;
}
}  // namespace

CCellPool::CCellPool(size_t cellSize) : m_cellSize(cellSize < 8 ? 8 : (cellSize + 7) & ~(size_t)7)
{
    int slot = g_nextSlot.fetch_add(1);
    if (slot < kMaxSlots) {
        g_slotPools[slot] = this;
        m_slot = slot;
    }
}

size_t CCellPool::CarvedCells() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_carved;
}

void* CCellPool::Carve()
{
    if (m_bump == m_bumpEnd) {
        // The first cell of every slab links the slabs, keeping them reachable.
        void* slab = std::malloc(kSlabBytes);
        if (!slab) return nullptr;
        *static_cast<void**>(slab) = m_slabs;
        m_slabs = slab;
        size_t cells = kSlabBytes / m_cellSize;
        m_bump = static_cast<char*>(slab) + m_cellSize;
        m_bumpEnd = static_cast<char*>(slab) + cells * m_cellSize;
        CELL_POISON(m_bump, m_bumpEnd - m_bump);
    }
    void* p = m_bump;
    m_bump += m_cellSize;
    ++m_carved;
    return p;
}

void* CCellPool::PopShared()
{
    void* p = m_shared;
    if (p) {
        m_shared = ReadLink(p);
        --m_sharedCount;
        return p;
    }
    return Carve();
}

void CCellPool::PushShared(void* first, void* last, uint32_t n)
{
    std::lock_guard<std::mutex> g(m_lock);
    WriteLink(last, m_shared);
    m_shared = first;
    m_sharedCount += n;
}

void CCellPool::RefillLocal(CellPoolLocal& local)
{
    std::lock_guard<std::mutex> g(m_lock);
    // Freed cells first; new ones are carved only when none is left.
    const bool carve = m_shared == nullptr;
    for (uint32_t i = 0; i < kBatch; ++i) {
        if (!carve && !m_shared) break;
        void* p = PopShared();
        if (!p) break;
        WriteLink(p, local.head);
        local.head = p;
        ++local.count;
    }
}

void* CCellPool::AllocSlow()
{
    CellPoolLocal* local = m_slot >= 0 ? &g_cellPoolLocal[m_slot] : nullptr;
    if (local && t_state == kThreadNew) RegisterThread();
    if (local && t_state == kThreadLive) {
        RefillLocal(*local);
        void* p = local->head;
        if (!p) return nullptr;
        local->head = ReadLink(p);
        --local->count;
        CELL_UNPOISON(p, m_cellSize);
        return p;
    }
    void* p;
    {
        std::lock_guard<std::mutex> g(m_lock);
        p = PopShared();
    }
    if (p) CELL_UNPOISON(p, m_cellSize);
    return p;
}

void CCellPool::FreeSlow(void* p)
{
    if (!p) return;
    CELL_POISON(p, m_cellSize);
    CellPoolLocal* local = m_slot >= 0 ? &g_cellPoolLocal[m_slot] : nullptr;
    if (local && t_state == kThreadNew) RegisterThread();
    if (local && t_state == kThreadLive) {
        if (local->count >= local->limit) {
            // Hand the newest batch to the shared list.
            void* first = local->head;
            void* last = first;
            for (uint32_t i = 1; i < kBatch; ++i) last = ReadLink(last);
            local->head = ReadLink(last);
            local->count -= kBatch;
            PushShared(first, last, kBatch);
        }
        WriteLink(p, local->head);
        local->head = p;
        ++local->count;
        return;
    }
    PushShared(p, p, 1);
}
