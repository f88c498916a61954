#pragma once
// Fixed-size cell pools for the small payloads of Real and Complex values.
//
// Each thread keeps a short free list per pool; cells move between threads in
// whole batches through the pool's shared stack, so a cell may be freed on any
// thread.
// Cells never move and their memory stays with the pool for reuse (it is never
// handed back to the heap, short of a run returned unused). Pools live for the
// whole process.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VELDRA_CELL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define VELDRA_CELL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define VELDRA_CELL_POISON(p, n) ((void)(p), (void)(n))
#define VELDRA_CELL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// One thread's free list of one pool. limit 0 sends the next free to the slow
// path, which registers the thread for the flush at its exit.
struct CellPoolLocal {
    void* head;
    uint32_t count;
    uint32_t limit;
    // One whole batch kept back, so that a thread swinging around the limit
    // does not visit the shared stack on every turn.
    void* spare;
    uint32_t spareCount;
};
constexpr int kCellPoolSlots = 8;
// Plain thread-locals (no constructor or destructor): usable until the thread ends.
extern __thread CellPoolLocal g_cellPoolLocal[kCellPoolSlots] __attribute__((tls_model("initial-exec")));

class CCellPool {
public:
    // cellSize: a multiple of 8, at least 8.
    explicit CCellPool(size_t cellSize);
    CCellPool(const CCellPool&) = delete;
    CCellPool& operator=(const CCellPool&) = delete;
    ~CCellPool() = delete;  // process lifetime: threads may still cache its cells

    // Null only when the heap refuses a new slab.
    void* Alloc()
    {
        if (m_slot >= 0) {
            CellPoolLocal& l = g_cellPoolLocal[m_slot];
            if (void* p = l.head) {
                VELDRA_CELL_UNPOISON(p, m_cellSize);
                void* next = *static_cast<void**>(p);
                l.head = next;
                --l.count;
#if !defined(__SANITIZE_ADDRESS__)
                __builtin_prefetch(next, 1);  // the next allocation reads its link
#endif
                return p;
            }
        }
        return AllocSlow();
    }
    // p from Alloc of this pool, or null.
    void Free(void* p)
    {
        if (m_slot >= 0 && p) {
            CellPoolLocal& l = g_cellPoolLocal[m_slot];
            if (l.count < l.limit) {
                *static_cast<void**>(p) = l.head;
                VELDRA_CELL_POISON(p, m_cellSize);
                l.head = p;
                ++l.count;
                return;
            }
        }
        FreeSlow(p);
    }

    // For a producer about to fill many cells at once: want fresh cells side
    // by side in a slab of their own, when the shared stack cannot serve them
    // all (null then, or without memory). Each is an ordinary cell of the
    // pool from here on (freed with Free, on any thread).
    void* CarveRun(size_t want);
    // A run from CarveRun whose cells were never used, all n of them.
    void ReturnRun(void* first, size_t n);

    size_t CellSize() const { return m_cellSize; }
    // Cells carved from slabs so far (for tests and statistics).
    size_t CarvedCells() const;

private:
    struct Batch {
        void* head;  // null-terminated chain
        uint32_t count;
    };
    void* AllocSlow();
    void FreeSlow(void* p);
    bool TakeBatch(CellPoolLocal& local);     // into an empty local list
    void PutBatch(void* head, uint32_t count);
    void* Carve();                            // caller holds m_lock

    friend void FlushThreadCaches(void*);

    const size_t m_cellSize;
    int m_slot = -1;  // per-thread cache slot; -1: every call takes the lock
    mutable std::mutex m_lock;
    std::vector<Batch> m_batches;  // shared stack of free batches
    size_t m_batchedCells = 0;     // cells in m_batches
    void* m_slabs = nullptr;       // chain of slabs (first word links them)
    char* m_bump = nullptr;        // next uncarved cell of the newest slab
    char* m_bumpEnd = nullptr;
    size_t m_carved = 0;
};
