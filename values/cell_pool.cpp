#include "values/cell_pool.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#define CELL_POISON VELDRA_CELL_POISON
#define CELL_UNPOISON VELDRA_CELL_UNPOISON

namespace {

constexpr int kMaxSlots = kCellPoolSlots;
constexpr uint32_t kBatch = 256;  // cells per trip to the shared stack
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

// Thread exit: the thread's cells go back to the shared stacks.
void FlushThreadCaches(void*)
{
    t_state = kThreadGone;
    int slots = g_nextSlot.load(std::memory_order_acquire);
    if (slots > kMaxSlots) slots = kMaxSlots;
    for (int s = 0; s < slots; ++s) {
        CellPoolLocal& l = g_cellPoolLocal[s];
        l.limit = 0;
        if (l.head) g_slotPools[s]->PutBatch(l.head, l.count);
        if (l.spare) g_slotPools[s]->PutBatch(l.spare, l.spareCount);
        l = CellPoolLocal{};
    }
}

namespace {
void RegisterThread()
{
    std::call_once(g_exitKeyOnce, [] { pthread_key_create(&g_exitKey, FlushThreadCaches); });
    // Any non-null value makes the key's destructor run at thread exit.
    pthread_setspecific(g_exitKey, &t_state);
    t_state = kThreadLive;
    for (auto& l : g_cellPoolLocal) l.limit = kBatch;
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

void* CCellPool::CarveRun(size_t want)
{
    if (want == 0 || want >= SIZE_MAX / m_cellSize) return nullptr;
    size_t own = 0;  // free cells of the calling thread
    if (m_slot >= 0) own = (size_t)g_cellPoolLocal[m_slot].count + g_cellPoolLocal[m_slot].spareCount;
    std::lock_guard<std::mutex> g(m_lock);
    if (m_batchedCells + own >= want) return nullptr;
    // One cell more, for the link that keeps the slab reachable.
    void* slab = std::malloc((want + 1) * m_cellSize);
    if (!slab) return nullptr;
    *static_cast<void**>(slab) = m_slabs;
    m_slabs = slab;
    m_carved += want;
    return static_cast<char*>(slab) + m_cellSize;
}

void CCellPool::ReturnRun(void* first, size_t n)
{
    if (!first || n == 0) return;
    void* slab = static_cast<char*>(first) - m_cellSize;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_slabs == slab) {
            // Still the newest slab: it goes back to the heap whole.
            m_slabs = *static_cast<void**>(slab);
            m_carved -= n;
            std::free(slab);
            return;
        }
    }
    // Another slab came after it: its cells join the free ones, in batches.
    char* c = static_cast<char*>(first);
    for (size_t done = 0; done < n;) {
        const uint32_t count = (uint32_t)std::min<size_t>(kBatch, n - done);
        void* head = nullptr;
        for (uint32_t i = 0; i < count; ++i, c += m_cellSize) {
            CELL_POISON(c, m_cellSize);
            WriteLink(c, head);
            head = c;
        }
        PutBatch(head, count);
        done += count;
    }
}

void CCellPool::PutBatch(void* head, uint32_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    try {
        m_batches.push_back(Batch{head, count});
        m_batchedCells += count;
    } catch (...) {
        // Without room to note the batch its cells stay unused; nothing breaks.
    }
}

bool CCellPool::TakeBatch(CellPoolLocal& local)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_batches.empty()) {
        local.head = m_batches.back().head;
        local.count = m_batches.back().count;
        m_batchedCells -= local.count;
        m_batches.pop_back();
        return true;
    }
    void* head = nullptr;
    uint32_t n = 0;
    for (; n < kBatch; ++n) {
        void* p = Carve();
        if (!p) break;
        WriteLink(p, head);
        head = p;
    }
    local.head = head;
    local.count = n;
    return n > 0;
}

void* CCellPool::AllocSlow()
{
    CellPoolLocal* local = m_slot >= 0 ? &g_cellPoolLocal[m_slot] : nullptr;
    if (local && t_state == kThreadNew) RegisterThread();
    if (local && t_state == kThreadLive) {
        if (local->spare) {
            local->head = local->spare;
            local->count = local->spareCount;
            local->spare = nullptr;
            local->spareCount = 0;
        } else if (!TakeBatch(*local)) {
            return nullptr;
        }
        void* p = local->head;
        local->head = ReadLink(p);
        --local->count;
        CELL_UNPOISON(p, m_cellSize);
        return p;
    }
    // Without a cache of its own: one cell under the lock.
    void* p;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_batches.empty()) {
            p = Carve();
        } else {
            Batch& b = m_batches.back();
            p = b.head;
            b.head = ReadLink(p);
            --m_batchedCells;
            if (--b.count == 0) m_batches.pop_back();
        }
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
            // The full list becomes the spare; an older spare goes to the stack.
            if (local->spare) PutBatch(local->spare, local->spareCount);
            local->spare = local->head;
            local->spareCount = local->count;
            local->head = nullptr;
            local->count = 0;
        }
        WriteLink(p, local->head);
        local->head = p;
        ++local->count;
        return;
    }
    WriteLink(p, nullptr);
    PutBatch(p, 1);
}
