#include "values/value_matrix.h"

#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "values/cell_pool.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/struct_value.h"

// ---- limits --------------------------------------------------------------

namespace {
uint64_t PageBytes()
{
    static const uint64_t page = [] {
        long p = sysconf(_SC_PAGESIZE);
        return p > 0 ? (uint64_t)p : (uint64_t)4096;
    }();
    return page;
}

// "MemAvailable" of /proc/meminfo in bytes, 0 when it cannot be read.
uint64_t MemAvailableBytes()
{
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f) return 0;
    char line[256];
    uint64_t kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "MemAvailable: %" SCNu64 " kB", &kb) == 1) break;
    std::fclose(f);
    return kb * 1024;
}

// What is left under the limit of the memory control group the process is in
// (cgroup v2, else v1); UINT64_MAX without one. A container's limit is what
// the process can get, whatever the machine has available.
uint64_t ControlGroupRoomBytes()
{
    auto readNumber = [](const std::string& path, uint64_t& value) {
        FILE* f = std::fopen(path.c_str(), "r");
        if (!f) return false;
        unsigned long long v = 0;
        const bool ok = std::fscanf(f, "%llu", &v) == 1;  // "max" reads as no number: no limit
        std::fclose(f);
        value = v;
        return ok;
    };
    std::string v2, v1;
    if (FILE* f = std::fopen("/proc/self/cgroup", "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, f)) {
            std::string l(line);
            while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
            if (l.compare(0, 3, "0::") == 0)
                v2 = l.substr(3);
            else if (const size_t at = l.find(":memory:"); at != std::string::npos)
                v1 = l.substr(at + 8);
        }
        std::fclose(f);
    }
    // The group's own folder, else the mount's root (a namespace shows the group there).
    auto room = [&](const std::string& base, const std::string& group, const char* limitName, const char* usageName) {
        for (const std::string& dir : {base + group, base}) {
            uint64_t limit = 0, usage = 0;
            if (!readNumber(dir + "/" + limitName, limit)) continue;
            if (limit >= ((uint64_t)1 << 62) || !readNumber(dir + "/" + usageName, usage)) return UINT64_MAX;
            return limit > usage ? limit - usage : (uint64_t)0;
        }
        return UINT64_MAX;
    };
    uint64_t r = UINT64_MAX;
    if (!v2.empty() || v1.empty()) r = room("/sys/fs/cgroup", v2, "memory.max", "memory.current");
    if (r == UINT64_MAX && !v1.empty())
        r = room("/sys/fs/cgroup/memory", v1, "memory.limit_in_bytes", "memory.usage_in_bytes");
    return r;
}

// What this process can still take: the memory the system has available
// now (not its total, which other programs are using), what is left under
// the address-space and data-segment limits, under the resident-set limit
// (the kernel does not enforce it, but whoever set it means it), and under
// the memory control group's limit.
uint64_t AvailableMemoryBytes()
{
    uint64_t avail = MemAvailableBytes();
    if (avail == 0) {
        long pages = sysconf(_SC_AVPHYS_PAGES);
        avail = pages > 0 ? (uint64_t)pages * PageBytes() : (uint64_t)1 << 40;
    }
    uint64_t vmSize = 0, residentSize = 0, dataSize = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        unsigned long long size = 0, resident = 0, shared = 0, text = 0, lib = 0, data = 0;
        if (std::fscanf(f, "%llu %llu %llu %llu %llu %llu", &size, &resident, &shared, &text, &lib, &data) == 6) {
            vmSize = size * PageBytes();
            residentSize = resident * PageBytes();
            dataSize = data * PageBytes();
        }
        std::fclose(f);
    }
    auto under = [&avail](int resource, uint64_t used) {
        struct rlimit lim;
        if (getrlimit(resource, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY)
            avail = std::min<uint64_t>(avail, lim.rlim_cur > used ? lim.rlim_cur - used : 0);
    };
    under(RLIMIT_AS, vmSize);
    under(RLIMIT_DATA, dataSize);
    under(RLIMIT_RSS, residentSize);
    return std::min(avail, ControlGroupRoomBytes());
}

void ReportIndexLimit(int64_t r, int64_t c)
{
    if (ThreadStopRequested()) return;  // a fill that saw the stop: the statement reports the stop
    ReportError() << "Matrix indexing (" << r << "," << c << ") is limits exceeded";
}

CValue RealZero() { return CValue(0.0); }
}  // namespace

uint64_t ValueMatrixBytes(int64_t rows, int64_t cols, uint64_t payloadPerCell)
{
    if (rows <= 0 || cols <= 0) return 0;
    // A row is one heap block: a header word, rounded to 16 bytes; large
    // blocks are mapped in whole pages.
    uint64_t row = ((uint64_t)cols * sizeof(CValue) + 8 + 15) & ~(uint64_t)15;
    if (row >= ((uint64_t)128 << 10)) row = (row + PageBytes() - 1) & ~(PageBytes() - 1);
    return (uint64_t)rows * (row + sizeof(CValue*) + (uint64_t)cols * payloadPerCell);
}

bool ValueMatrixShapeFits(int64_t rows, int64_t cols, uint64_t payloadPerCell)
{
    if (rows < 0 || cols < 0 || rows > INT_MAX || cols > INT_MAX) return false;
    // Both factors are below 2^31, so the products cannot overflow 64 bits.
    // Small shapes skip the look at the system.
    const uint64_t bytes = ValueMatrixBytes(rows, cols, payloadPerCell);
    if (bytes <= ((uint64_t)64 << 20)) return true;
    if (bytes <= AvailableMemoryBytes()) return true;
    NoteOutOfMemory();  // the caller may have no words for it
    return false;
}

bool MemoryCanHold(uint64_t bytes) { return bytes <= AvailableMemoryBytes(); }

namespace {
thread_local bool t_outOfMemory = false;
}

void NoteOutOfMemory() { t_outOfMemory = true; }

namespace {
void ForgetRefused();
}

bool TakeOutOfMemory()
{
    const bool was = t_outOfMemory;
    t_outOfMemory = false;
    ForgetRefused();
    return was;
}

bool CopyFits(const CValue& v)
{
    constexpr uint64_t kSmall = (uint64_t)64 << 20;
    uint64_t limit = kSmall, bytes = 0;
    bool looked = false;  // at the system's memory
    std::vector<const CValue*> pending;
    const CValue* next = &v;
    // Each cell costs its own bytes and a number's payload at most; containers add their cells.
    auto add = [&](uint64_t n) {
        bytes += n;
        if (bytes <= limit) return true;
        if (looked) return false;
        looked = true;
        limit = AvailableMemoryBytes();
        return bytes <= limit;
    };
    while (next) {
        const CValue& x = next->IsHandle() && next->HandleTarget() ? *next->HandleTarget() : *next;
        next = nullptr;
        switch (x.Type()) {
        case VT_MATRIX: {
            const CValueMatrix& m = x.Matrix();
            if (!add(sizeof(CValueMatrix) + (uint64_t)m.Rows() * sizeof(CValue*) +
                     (uint64_t)m.Rows() * (uint64_t)m.Cols() * 2 * sizeof(CValue)))
                return false;
            if (m.IsPacked()) break;  // numbers only: nothing nested
            for (int r = 0; r < m.Rows(); ++r) {
                const CValue* row = m.Row(r);
                for (int c = 0; c < m.Cols(); ++c) {
                    const uint32_t t = row[c].Type();
                    if (t == VT_MATRIX || t == VT_STRING || t == VT_STRUCT || t == VT_STRING0) pending.push_back(&row[c]);
                }
            }
            break;
        }
        case VT_STRING: {
            const uint32_t n = x.Cells() ? ValueArrayCount(x.Cells()) : 0;
            if (!add((uint64_t)(n + 1) * sizeof(CValue))) return false;
            for (uint32_t i = 0; i < n; ++i) {
                const uint32_t t = x.Cells()[i].Type();
                if (t == VT_MATRIX || t == VT_STRING || t == VT_STRUCT || t == VT_STRING0) pending.push_back(&x.Cells()[i]);
            }
            break;
        }
        case VT_STRING0:
            if (!add(std::strlen(x.String0()) + 1)) return false;
            break;
        case VT_STRUCT: {
            const CStructValue& st = x.Struct();
            if (!add(sizeof(CStructValue) + st.Count() * (sizeof(CStructField) + sizeof(void*)))) return false;
            for (size_t i = 0; i < st.Count(); ++i) pending.push_back(&st.FieldAt(i)->m_value);
            break;
        }
        default: break;
        }
        if (!pending.empty()) {
            next = pending.back();
            pending.pop_back();
        }
    }
    return true;
}

bool IsZeroCell(const CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: return v.Real() == 0.0;
    case VT_COMPLEX: return v.ComplexRef().re == 0.0 && v.ComplexRef().im == 0.0;
    case VT_MATRIX: {
        const CValueMatrix& m = v.Matrix();
        return m.Rows() == 1 && m.Cols() == 1 && IsZeroCell(m.Cell(0, 0));
    }
    default: return false;
    }
}

// ---- rows ----------------------------------------------------------------

namespace {

// Long fills look at the program's stop between blocks of cells: a stop ends
// them as a refused allocation does (what they took goes back, the refusal
// is noted), and the statement reports the stop instead.
constexpr uint64_t kStopBlock = kCellStopBlock;

class CFillStop {
public:
    bool After(uint64_t cells)
    {
        if (!m_cells.After(cells)) return false;
        NoteOutOfMemory();
        return true;
    }

private:
    CCellStop m_cells;
};

// Calls f(r, c0, c1) for the cells [c0, c1) of every row r, in blocks that
// split wide rows too; false once the program stopped between two blocks.
template <class F>
bool ForCellBlocks(int rows, int cols, F f)
{
    CCellStop stop;
    for (int r = 0; r < rows; ++r)
        for (int c0 = 0; c0 < cols; c0 += (int)kStopBlock) {
            const int c1 = cols - c0 > (int)kStopBlock ? c0 + (int)kStopBlock : cols;
            f(r, c0, c1);
            if (stop.After((uint64_t)(c1 - c0))) return false;
        }
    return true;
}

// Whether any of the n cells owns a payload, without a branch per cell.
bool AnyOwner(const CValue* cells, int n)
{
    uint32_t own = 0;
    for (int i = 0; i < n; ++i) {
        const uint32_t t = cells[i].m_tag & 0xFF;
        own |= t < 16 ? (kOwnedPayloadTypes >> t) & 1u : 0u;
    }
    return own != 0;
}

// Ends the n cells of a row; rows of numbers and characters own nothing, so
// blocks of them are only looked at.
void EndRowCells(CValue* row, int n)
{
    constexpr int kBlock = 256;
    for (int i = 0; i < n; i += kBlock) {
        const int m = n - i < kBlock ? n - i : kBlock;
        if (AnyOwner(row + i, m))
            for (int k = i; k < i + m; ++k) row[k].~CValue();
    }
}

// The last large row freed on this thread is kept for the next large row of
// about its size. A program making a big temporary per statement would
// otherwise have the heap map and zero fresh pages for every one. The row is
// kept with its cells: they are ended when the row is taken (by the writer
// itself when it overwrites them, so the old and the new cells are one pass
// over memory) or when another row takes its place. Until then it holds at
// most one row's payloads of this thread.
constexpr size_t kCachedRowMin = (size_t)1 << 20;  // bytes
constexpr size_t kCachedRowMax = (size_t)1 << 28;

struct CRowCache {
    CValue* block = nullptr;
    size_t bytes = 0;
    int live = 0;  // leading cells still holding values
    ~CRowCache();
};
thread_local CRowCache t_rowCache;
// Set once the thread's cache is gone: rows freed later go straight back.
__thread bool t_rowCacheGone __attribute__((tls_model("initial-exec"))) = false;

// Takes the cached block out of the cache, with the count of its live cells.
CValue* DetachCachedRow(size_t& bytes, int& live)
{
    CRowCache& c = t_rowCache;
    CValue* p = c.block;
    bytes = c.bytes;
    live = c.live;
    c.block = nullptr;
    c.bytes = 0;
    c.live = 0;
    if (p) VELDRA_CELL_UNPOISON(p, bytes);
    return p;
}

// Ends a detached block's cells and gives it back to the heap.
void DropRow(CValue* row, int live)
{
    EndRowCells(row, live);
    std::free(row);
}

CRowCache::~CRowCache()
{
    t_rowCacheGone = true;
    size_t bytes;
    int live;
    if (CValue* p = DetachCachedRow(bytes, live)) DropRow(p, live);
}

// The cached block when it holds at least bytes (and not twice as many), its
// cells past the first `keep` already ended; null otherwise.
CValue* TakeCachedRow(size_t bytes, int keep, int& live)
{
    live = 0;
    const CRowCache& c = t_rowCache;
    if (bytes < kCachedRowMin || t_rowCacheGone || !c.block || c.bytes < bytes || bytes < c.bytes / 2)
        return nullptr;
    size_t got;
    CValue* p = DetachCachedRow(got, live);
    if (live > keep) {
        EndRowCells(p + keep, live - keep);
        live = keep;
    }
    return p;
}

// Rows of matrices freed on this thread, all of one size, kept with their
// cells ended for the rows of the next matrix of that width: a loop of
// whole-matrix statements makes a result of the size of the one it frees,
// and a heap that gave the freed rows back to the system (it trims its top)
// would fault every page of the next result in again. At most kRowPoolBytes
// wait; a freed row of another size empties the pool first.
constexpr size_t kPoolRowMin = (size_t)4 << 10;
constexpr size_t kRowPoolBytes = (size_t)256 << 20;

struct CRowPool {
    std::vector<CValue*> rows;
    size_t bytes = 0;  // usable bytes of each row
    void Drop()
    {
        for (CValue* p : rows) {
            VELDRA_CELL_UNPOISON(p, bytes);
            std::free(p);
        }
        rows.clear();
    }
    ~CRowPool();
};
thread_local CRowPool t_rowPool;
__thread bool t_rowPoolGone __attribute__((tls_model("initial-exec"))) = false;

CRowPool::~CRowPool()
{
    t_rowPoolGone = true;
    Drop();
}

// A pooled row of at least bytes (and hardly more), or null. A row of
// another size asked for ends the pool, so that the heap can serve it (and
// the rows after it) from the pooled memory.
CValue* TakePooledRow(size_t bytes)
{
    CRowPool& pool = t_rowPool;
    if (t_rowPoolGone || pool.rows.empty()) return nullptr;
    if (pool.bytes < bytes || pool.bytes - bytes > 64) {
        pool.Drop();
        return nullptr;
    }
    CValue* p = pool.rows.back();
    pool.rows.pop_back();
    VELDRA_CELL_UNPOISON(p, pool.bytes);
    return p;
}

// Keeps a row whose cells are ended; false when it does not fit the pool.
bool PoolRow(CValue* row)
{
    if (t_rowPoolGone) return false;
    const size_t bytes = malloc_usable_size(row);
    if (bytes < kPoolRowMin || bytes >= kCachedRowMin) return false;
    CRowPool& pool = t_rowPool;
    if (pool.bytes != bytes) {
        pool.Drop();
        pool.bytes = bytes;
    }
    if ((pool.rows.size() + 1) * bytes > kRowPoolBytes) return false;
    try {
        pool.rows.push_back(row);
    } catch (const std::bad_alloc&) {
        return false;
    }
    VELDRA_CELL_POISON(row, bytes);  // no one reads a freed row
    return true;
}

CValue* TakeCachedRow(size_t bytes)
{
    if (bytes >= kPoolRowMin && bytes < kCachedRowMin) return TakePooledRow(bytes);
    if (bytes >= kCachedRowMin) TakePooledRow(bytes);  // only ends the pool
    int live;
    return TakeCachedRow(bytes, 0, live);
}

bool CacheRow(CValue* row, int n)
{
    if (t_rowCacheGone) return false;
    const size_t bytes = malloc_usable_size(row);
    if (bytes < kCachedRowMin || bytes > kCachedRowMax) return false;
    size_t oldBytes;
    int oldLive;
    // Detached first: ending its cells may free further large rows.
    if (CValue* old = DetachCachedRow(oldBytes, oldLive)) DropRow(old, oldLive);
    if (t_rowCache.block) return false;  // one of those took the place
    VELDRA_CELL_POISON(row, bytes);  // no one reads a freed row
    t_rowCache.block = row;
    t_rowCache.bytes = bytes;
    t_rowCache.live = n;
    return true;
}

}  // namespace

namespace {
// A row of n cells, each empty or (fill not empty) a copy of fill; null when
// the heap refuses (noted) or the program stopped on the way (not noted).
CValue* MakeFilledRow(int n, const CValue* fill)
{
    if (n < 1 || (size_t)n > SIZE_MAX / sizeof(CValue)) return nullptr;
    const size_t bytes = (size_t)n * sizeof(CValue);
    CValue* row = TakeCachedRow(bytes);
    if (!row) row = static_cast<CValue*>(std::malloc(bytes));
    if (!row) {
        NoteOutOfMemory();
        return nullptr;
    }
    CFillStop stop;
    for (int i = 0; i < n;) {
        const int end = n - i > (int)kStopBlock ? i + (int)kStopBlock : n;
        for (; i < end; ++i) {
            new (row + i) CValue();
            if (fill) row[i].CopyFrom(*fill);
        }
        if (i < n && stop.After(kStopBlock)) {
            EndRowCells(row, i);
            std::free(row);
            return nullptr;
        }
    }
    return row;
}
}  // namespace

CValue* AllocEmptyValueRow(int n) { return MakeFilledRow(n, nullptr); }

bool ShapeWithUnsetCells(CValueMatrix& m, int rows, int cols)
{
    if (rows < 1 || cols < 1 || !m.IsEmpty() || m.m_pRows || m.m_pPacked || !ValueMatrixShapeFits(rows, cols))
        return false;
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) {
        NoteOutOfMemory();
        return false;
    }
    const size_t bytes = (size_t)cols * sizeof(CValue);
    for (int r = 0; r < rows; ++r) {
        CValue* row = TakeCachedRow(bytes);
        prow[r] = row ? row : static_cast<CValue*>(std::malloc(bytes));
        if (!prow[r]) {
            for (int k = 0; k < r; ++k) std::free(prow[k]);
            std::free(prow);
            return false;
        }
    }
    m.m_pRows = prow;
    m.m_nCols = cols;
    m.m_nRows = rows;
    return true;
}

void FreeUnsetCells(CValueMatrix& m)
{
    for (int r = 0; r < m.m_nRows; ++r) std::free(m.m_pRows[r]);
    std::free(m.m_pRows);
    m.m_pRows = nullptr;
    m.m_nRows = m.m_nCols = 0;
}

bool ShapeOverFreedCells(CValueMatrix& m, int rows, int cols, int& live)
{
    live = 0;
    if (rows != 1) return ShapeWithUnsetCells(m, rows, cols);
    if (cols < 1 || !m.IsEmpty() || m.m_pRows || m.m_pPacked || !ValueMatrixShapeFits(1, cols)) return false;
    CValue** prow = static_cast<CValue**>(std::malloc(sizeof(CValue*)));
    if (!prow) return false;
    CValue* row = TakeCachedRow((size_t)cols * sizeof(CValue), cols, live);
    if (!row) row = static_cast<CValue*>(std::malloc((size_t)cols * sizeof(CValue)));
    if (!row) {
        std::free(prow);
        return false;
    }
    prow[0] = row;
    m.m_pRows = prow;
    m.m_nCols = cols;
    m.m_nRows = 1;
    return true;
}

CValue* AllocValueRow(int n, const CValue& fill)
{
    return MakeFilledRow(n, fill.Type() != VT_EMPTY ? &fill : nullptr);
}

CValue* CopyValueRow(int n, const CValue* cells)
{
    if (n < 1 || (size_t)n > SIZE_MAX / sizeof(CValue)) return nullptr;
    const size_t bytes = (size_t)n * sizeof(CValue);
    CValue* row = TakeCachedRow(bytes);
    if (!row) row = static_cast<CValue*>(std::malloc(bytes));
    if (!row) return nullptr;
    // Blocks of cells that own nothing (numbers, characters) are their bytes:
    // one read and one write of the row instead of a call per cell.
    constexpr int kBlock = 256;
    static_assert(kStopBlock % kBlock == 0);
    CFillStop stop;
    for (int i = 0; i < n; i += kBlock) {
        const int m = n - i < kBlock ? n - i : kBlock;
        if (i > 0 && stop.After(kBlock)) {
            EndRowCells(row, i);
            std::free(row);
            return nullptr;
        }
        if (!AnyOwner(cells + i, m)) {
            std::memcpy(static_cast<void*>(row + i), cells + i, (size_t)m * sizeof(CValue));
            continue;
        }
        for (int k = i; k < i + m; ++k) {
            new (row + k) CValue();
            row[k].CopyFrom(cells[k]);
        }
    }
    return row;
}

CValue* ReallocValueRow(CValue*& row, int n, int m, const CValue& fill)
{
    for (int i = m; i < n; ++i) row[i].~CValue();
    // CValue is trivially relocatable: moving its bytes keeps it valid.
    CValue* nrow = static_cast<CValue*>(std::realloc(static_cast<void*>(row), (size_t)(m > 0 ? m : 1) * sizeof(CValue)));
    if (!nrow) {
        if (m < n) return row;  // shrinking cannot fail in practice; keep the block
        return nullptr;
    }
    row = nrow;
    CFillStop stop;
    for (int i = n; i < m;) {
        const int end = m - i > (int)kStopBlock ? i + (int)kStopBlock : m;
        for (; i < end; ++i) {
            new (nrow + i) CValue();
            if (fill.Type() != VT_EMPTY) nrow[i] = fill;
        }
        if (i < m && stop.After(kStopBlock)) {
            // Back to the n cells it had; a refused shrink keeps the larger block.
            EndRowCells(nrow + n, i - n);
            if (void* p = std::realloc(static_cast<void*>(nrow), (size_t)(n > 0 ? n : 1) * sizeof(CValue)))
                row = static_cast<CValue*>(p);
            return nullptr;
        }
    }
    return nrow;
}

void FreeValueRow(CValue* row, int n)
{
    if (!row || CacheRow(row, n)) return;
    EndRowCells(row, n);
    if (!PoolRow(row)) std::free(row);
}

// ---- packed arrays ---------------------------------------------------------

namespace {

// Large packed arrays freed on this thread wait here for the next array of
// about their size: a loop of whole-matrix statements frees a result of the
// size it makes next, and a block the heap maps anew faults every page in.
constexpr size_t kPackedKeepMin = (size_t)1 << 20;  // bytes
constexpr size_t kPackedKeepBytes = (size_t)1 << 30;
constexpr int kPackedKeepCount = 4;

struct CPackedCache {
    void* blocks[kPackedKeepCount] = {};
    size_t sizes[kPackedKeepCount] = {};
    size_t bytes = 0;
    ~CPackedCache();
};
thread_local CPackedCache t_packedCache;
__thread bool t_packedCacheGone __attribute__((tls_model("initial-exec"))) = false;

CPackedCache::~CPackedCache()
{
    t_packedCacheGone = true;
    for (void* p : blocks) std::free(p);
}

double* AllocPacked(size_t count)
{
    if (count == 0 || count > SIZE_MAX / sizeof(double)) return nullptr;
    const size_t bytes = count * sizeof(double);
    if (bytes >= kPackedKeepMin && !t_packedCacheGone) {
        CPackedCache& c = t_packedCache;
        for (int i = 0; i < kPackedKeepCount; ++i)
            if (c.blocks[i] && c.sizes[i] >= bytes && c.sizes[i] / 2 <= bytes) {
                void* p = c.blocks[i];
                c.bytes -= c.sizes[i];
                c.blocks[i] = nullptr;
                c.sizes[i] = 0;
                return static_cast<double*>(p);
            }
    }
    return static_cast<double*>(std::malloc(bytes));
}

void FreePackedBlock(double* p)
{
    if (!p) return;
    const size_t bytes = malloc_usable_size(p);
    if (bytes >= kPackedKeepMin && bytes <= kPackedKeepBytes && !t_packedCacheGone) {
        CPackedCache& c = t_packedCache;
        // The oldest block makes room: the newest are the likeliest sizes.
        int slot = 0;
        for (int i = 0; i < kPackedKeepCount; ++i)
            if (!c.blocks[i]) {
                slot = i;
                break;
            }
        if (c.blocks[slot]) {
            c.bytes -= c.sizes[slot];
            std::free(c.blocks[slot]);
            c.blocks[slot] = nullptr;
        }
        for (int i = 0; i < kPackedKeepCount && c.bytes + bytes > kPackedKeepBytes; ++i)
            if (c.blocks[i]) {
                c.bytes -= c.sizes[i];
                std::free(c.blocks[i]);
                c.blocks[i] = nullptr;
            }
        c.blocks[slot] = p;
        c.sizes[slot] = bytes;
        c.bytes += bytes;
        return;
    }
    std::free(p);
}

// A row table of Real cells holding the rows x cols doubles of data; null
// when the heap refuses.
CValue** RowsFromPacked(const double* data, int rows, int cols)
{
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) return nullptr;
    const size_t bytes = (size_t)cols * sizeof(CValue);
    for (int r = 0; r < rows; ++r) {
        CValue* row = TakeCachedRow(bytes);
        if (!row) row = static_cast<CValue*>(std::malloc(bytes));
        if (!row) {
            // Straight back to the heap, not to this thread's pool: what is
            // read instead of these cells must come from that room.
            for (int k = 0; k < r; ++k) std::free(prow[k]);
            std::free(prow);
            return nullptr;
        }
        const double* from = data + (size_t)r * cols;
        for (int c = 0; c < cols; ++c) {
            row[c].m_real = from[c];
            row[c].m_tag = VT_REAL;
        }
        prow[r] = row;
    }
    return prow;
}

std::mutex g_unpackLock;

void DropKeptBlocks()
{
    if (!t_packedCacheGone) {
        CPackedCache& c = t_packedCache;
        for (int i = 0; i < kPackedKeepCount; ++i) {
            std::free(c.blocks[i]);
            c.blocks[i] = nullptr;
            c.sizes[i] = 0;
        }
        c.bytes = 0;
    }
    if (!t_rowPoolGone) t_rowPool.Drop();
    size_t bytes;
    int live;
    if (!t_rowCacheGone)
        if (CValue* p = DetachCachedRow(bytes, live)) DropRow(p, live);
}

[[noreturn]] void UnpackRefused()
{
    // Not even the scratch rows could be had.
    std::fputs("Not enough memory\n", stderr);
    std::abort();
}

// Makes every cell of a scratch row empty again.
void ClearScratchRow(CValue* row, int n)
{
    for (int c = 0; c < n; ++c)
        if (row[c].m_tag) {
            row[c].~CValue();
            new (row + c) CValue();
        }
}

// What a reader of cells gets when the heap refuses a packed matrix's cells:
// a reader has no way to fail, so it reads empty cells (and its writes are
// lost) while the refusal, noted, fails the statement. Every row pointer is
// the one scratch row. The blocks only grow and are kept until the thread
// ends: a caller may still hold a row of an earlier matrix.
struct CRefusedScratch {
    CValue** table = nullptr;
    CValue* row = nullptr;
    int tableRows = 0, rowCells = 0;
    size_t tableBytes = 0, rowBytes = 0;  // of the mappings; 0 for heap blocks
    std::vector<std::pair<void*, size_t>> retired;  // blocks, with their mapped bytes as above
    // The refused matrices that read this scratch without asking the heap again
    // until the note is taken: a loop over cells would otherwise retry each time.
    struct Memo {
        const CValueMatrix* matrix = nullptr;
        const double* packed = nullptr;
    } memo[4];
    int memoNext = 0;
    ~CRefusedScratch();
};
thread_local CRefusedScratch t_refused;
__thread bool t_refusedGone __attribute__((tls_model("initial-exec"))) = false;

// Whether the memo holds any matrix: most statements never touch the scratch.
__thread bool t_refusedMemo = false;

void ForgetRefused()
{
    if (!t_refusedMemo || t_refusedGone) return;
    for (CRefusedScratch::Memo& m : t_refused.memo) m = {};
    t_refusedMemo = false;
}

void FreeRetired(std::pair<void*, size_t> block)
{
    if (block.second)
        munmap(block.first, block.second);
    else
        std::free(block.first);
}

CRefusedScratch::~CRefusedScratch()
{
    t_refusedGone = true;
    if (row) {
        ClearScratchRow(row, rowCells);
        FreeRetired({row, rowBytes});
    }
    if (table) FreeRetired({table, tableBytes});
    for (const auto& b : retired) FreeRetired(b);
}

// Makes this thread's scratch exist while the heap still has room: its
// first use registers its end with the thread, which allocates, and so
// does its list's first growth.
void PrepareRefused()
{
    if (t_refusedGone) return;
    CRefusedScratch& s = t_refused;
    if (s.retired.capacity() == 0) {
        try {
            s.retired.reserve(8);
        } catch (const std::bad_alloc&) {
        }
    }
}

// Zeroed bytes: from the heap when few, else mapped zero pages, which cost
// nothing until touched; each way tried when the other is refused. bytes
// becomes the mapped length, 0 for a heap block.
void* ZeroBlock(size_t& bytes)
{
    const size_t want = bytes;
    const size_t mapped = (want + PageBytes() - 1) & ~(PageBytes() - 1);
    auto map = [&]() -> void* {
        void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) return nullptr;
        bytes = mapped;
        return p;
    };
    if (want >= ((size_t)1 << 20))
        if (void* p = map()) return p;
    bytes = 0;
    if (void* p = std::calloc(1, want)) return p;
    return want < ((size_t)1 << 20) ? map() : nullptr;
}

// The scratch table when this matrix was refused since the note was last
// taken; null otherwise.
CValue** RefusedBefore(const CValueMatrix* m, const double* packed, int rows, int cols)
{
    if (!t_refusedMemo || t_refusedGone) return nullptr;
    CRefusedScratch& s = t_refused;
    // A matrix freed and another made in its place (the same packed block
    // again) may have another shape: the table fits it or is made anew.
    if (rows > s.tableRows || cols > s.rowCells) return nullptr;
    for (const CRefusedScratch::Memo& e : s.memo)
        if (e.matrix == m && e.packed == packed) {
            NoteOutOfMemory();
            return s.table;
        }
    return nullptr;
}

// The scratch row table for a refused rows x cols matrix: empty cells, the
// refusal noted; null when not even it can be had.
CValue** RefusedRows(const CValueMatrix* m, const double* packed, int rows, int cols)
{
    NoteOutOfMemory();
    if (t_refusedGone) return nullptr;
    CRefusedScratch& s = t_refused;
    if (rows > s.tableRows || cols > s.rowCells) {
        const int needRows = std::max(rows, s.tableRows), needCols = std::max(cols, s.rowCells);
        // Zero bytes are empty cells.
        size_t bytes = (size_t)needCols * sizeof(CValue), tableBytes = (size_t)needRows * sizeof(CValue*);
        void* row = ZeroBlock(bytes);
        if (!row) return nullptr;
        CValue** table = static_cast<CValue**>(ZeroBlock(tableBytes));
        bool kept = table != nullptr;
        if (kept) {
            try {
                s.retired.reserve(s.retired.size() + 2);
            } catch (const std::bad_alloc&) {
                kept = false;
            }
        }
        if (!kept) {
            FreeRetired({row, bytes});
            if (table) FreeRetired({table, tableBytes});
            return nullptr;
        }
        if (s.row) {
            ClearScratchRow(s.row, s.rowCells);  // its payloads go; the memory stays for old holders
            s.retired.emplace_back(s.row, s.rowBytes);
        }
        if (s.table) s.retired.emplace_back(s.table, s.tableBytes);
        for (int r = 0; r < needRows; ++r) table[r] = static_cast<CValue*>(row);
        s.row = static_cast<CValue*>(row);
        s.rowBytes = bytes;
        s.rowCells = needCols;
        s.table = table;
        s.tableBytes = tableBytes;
        s.tableRows = needRows;
        ForgetRefused();
    } else {
        ClearScratchRow(s.row, s.rowCells);  // whatever an earlier reader wrote there goes
    }
    s.memo[s.memoNext] = {m, packed};
    t_refusedMemo = true;
    s.memoNext = (s.memoNext + 1) % 4;
    return s.table;
}

}  // namespace

bool CValueMatrix::ShapePacked(int rows, int cols)
{
#ifdef VELDRA_CELL_FORM
    (void)rows;
    (void)cols;
    return false;
#else
    if (rows < 1 || cols < 1 || !IsEmpty() || m_pRows || m_pPacked) return false;
    // The cells must fit too: any reader may ask for them later.
    if (!ValueMatrixShapeFits(rows, cols)) return false;
    double* p = AllocPacked((size_t)rows * (size_t)cols);
    if (!p) {
        NoteOutOfMemory();
        return false;
    }
    m_pPacked = p;
    m_nRows = rows;
    m_nCols = cols;
    return true;
#endif
}

bool CValueMatrix::GrowPacked(int r, int c)
{
#ifdef VELDRA_CELL_FORM
    (void)r;
    (void)c;
    return false;
#else
    const bool empty = m_nRows == 0 && m_nCols == 0 && !HasStorage();
    if (r < 0 || c < 0 || !(empty || IsPacked())) return false;
    const int64_t rows = std::max<int64_t>(m_nRows, (int64_t)r + 1);
    const int64_t cols = std::max<int64_t>(m_nCols, (int64_t)c + 1);
    if (rows == m_nRows && cols == m_nCols) return true;
    if (!ValueMatrixShapeFits(rows, cols)) return false;
    const size_t had = (size_t)m_nRows * (size_t)m_nCols, n = (size_t)rows * (size_t)cols;
    // A growth as long as the cell form's checks for the stop leaves the
    // stopped program to that road, which reports it.
    if (n - had >= kCellStopBlock && ThreadStopRequested()) return false;
    if (!empty && (cols == m_nCols || rows == 1)) {
        // The old numbers keep their places: the array only gets longer, in
        // place where the heap can, so that growing a vector step by step
        // does not copy it every time.
        double* p = static_cast<double*>(std::realloc(m_pPacked, n * sizeof(double)));
        if (!p) return false;
        std::fill(p + had, p + n, 0.0);
        m_pPacked = p;
    } else {
        double* p = AllocPacked(n);
        if (!p) return false;
        std::fill(p, p + n, 0.0);
        for (int i = 0; i < m_nRows; ++i)
            std::memcpy(p + (size_t)i * (size_t)cols, m_pPacked + (size_t)i * (size_t)m_nCols,
                        (size_t)m_nCols * sizeof(double));
        FreePacked();
        m_pPacked = p;
    }
    m_nRows = (int32_t)rows;
    m_nCols = (int32_t)cols;
    return true;
#endif
}

CValue** CValueMatrix::TryUnpack() const
{
    std::lock_guard<std::mutex> lock(g_unpackLock);
    CValue** rows = __atomic_load_n(&m_pRows, __ATOMIC_ACQUIRE);
    if (rows) return rows;
    PrepareRefused();
    rows = RowsFromPacked(m_pPacked, m_nRows, m_nCols);
    if (!rows) {
        // The blocks this thread keeps for reuse go back first.
        DropKeptBlocks();
        rows = RowsFromPacked(m_pPacked, m_nRows, m_nCols);
    }
    if (rows) __atomic_store_n(&m_pRows, rows, __ATOMIC_RELEASE);
    return rows;
}

CValue** CValueMatrix::UnpackShared() const
{
    if (CValue** scratch = RefusedBefore(this, m_pPacked, m_nRows, m_nCols)) return scratch;
    CValue** rows = TryUnpack();
    if (!rows) rows = RefusedRows(this, m_pPacked, m_nRows, m_nCols);
    if (!rows) UnpackRefused();
    return rows;
}

void CValueMatrix::FreePacked()
{
    FreePackedBlock(m_pPacked);
    m_pPacked = nullptr;
}

bool CValueMatrix::ToCells()
{
    if (!m_pPacked) return true;
    if (!__atomic_load_n(&m_pRows, __ATOMIC_ACQUIRE) && !TryUnpack()) {
        NoteOutOfMemory();
        return false;
    }
    FreePacked();
    return true;
}

bool CValueMatrix::Unpack() { return ToCells(); }

void CValueMatrix::SwapRows(int a, int b)
{
    if (!ToCells()) return;  // noted: the statement fails
    std::swap(m_pRows[a], m_pRows[b]);
}

// ---- construction and shape ----------------------------------------------

CValueMatrix::CValueMatrix(int rows, int cols)
{
    Resize(rows, cols);
}

CValueMatrix::CValueMatrix(int rows, int cols, const CValue& fill)
{
    Fill(rows, cols, fill);
}

CValueMatrix::CValueMatrix(const CValue& value)
{
    Fill(1, 1, value);
}

CValueMatrix::CValueMatrix(const CValueMatrix& src)
{
    if (src.m_nCols == 0 || src.m_nRows == 0) return;
    if (src.IsPacked()) {
        const size_t count = (size_t)src.m_nRows * (size_t)src.m_nCols;
        double* p = AllocPacked(count);
        if (!p) {
            NoteOutOfMemory();
            return;
        }
        // In blocks, as the cell copy goes: a stop ends it as a refusal does.
        CFillStop stop;
        for (size_t i = 0; i < count; i += kStopBlock) {
            if (i && stop.After(kStopBlock)) {
                FreePackedBlock(p);
                return;
            }
            std::memcpy(p + i, src.m_pPacked + i, std::min<size_t>(kStopBlock, count - i) * sizeof(double));
        }
        m_pPacked = p;
        m_nCols = src.m_nCols;
        m_nRows = src.m_nRows;
        return;
    }
    CValue** const srcRows = src.CellRows();
    CValue** rows = static_cast<CValue**>(std::calloc((size_t)src.m_nRows, sizeof(CValue*)));
    if (!rows) {
        NoteOutOfMemory();
        return;
    }
    CFillStop stop;
    for (int r = 0; r < src.m_nRows; ++r) {
        rows[r] = stop.After(src.m_nCols) ? nullptr : CopyValueRow(src.m_nCols, srcRows[r]);
        if (!rows[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(rows[k], src.m_nCols);
            std::free(rows);
            NoteOutOfMemory();
            return;
        }
    }
    m_pRows = rows;
    m_nCols = src.m_nCols;
    m_nRows = src.m_nRows;
}

CValueMatrix& CValueMatrix::operator=(const CValueMatrix& src)
{
    if (this == &src) return *this;
    // Copy first: the source may live inside one of our own cells.
    CValueMatrix tmp(src);
    Swap(tmp);
    return *this;
}

CValueMatrix& CValueMatrix::operator=(CValueMatrix&& src) noexcept
{
    if (this != &src) {
        CValueMatrix tmp(static_cast<CValueMatrix&&>(src));
        Swap(tmp);
    }
    return *this;
}

void CValueMatrix::Swap(CValueMatrix& other) noexcept
{
    std::swap(m_pRows, other.m_pRows);
    std::swap(m_pPacked, other.m_pPacked);
    std::swap(m_nCols, other.m_nCols);
    std::swap(m_nRows, other.m_nRows);
}

void CValueMatrix::Free()
{
    FreePacked();
    if (!m_pRows) {
        m_nCols = m_nRows = 0;
        return;
    }
    for (int r = 0; r < m_nRows; ++r) FreeValueRow(m_pRows[r], m_nCols);
    std::free(m_pRows);
    m_pRows = nullptr;
    m_nCols = m_nRows = 0;
}

bool CValueMatrix::Fill(int rows, int cols, const CValue& value)
{
    if (rows < 1 || cols < 1) {
        Free();
        return true;
    }
    if (rows == m_nRows && cols == m_nCols) {
        if (IsPacked() && value.Type() == VT_REAL) {
            const double x = value.Real();
            std::fill(m_pPacked, m_pPacked + (size_t)rows * cols, x);
            return true;
        }
        CValue fill(value);  // value may be one of our cells
        if (!ToCells()) return false;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) m_pRows[r][c] = fill;
        return true;
    }
    if (!ValueMatrixShapeFits(rows, cols, value.Type() == VT_COMPLEX ? sizeof(Complex) : 0)) return false;
    // Built aside so that a refused allocation leaves the matrix as it was.
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) {
        NoteOutOfMemory();
        return false;
    }
    CFillStop stop;
    for (int r = 0; r < rows; ++r) {
        prow[r] = stop.After(cols) ? nullptr : AllocValueRow(cols, value);
        if (!prow[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(prow[k], cols);
            std::free(prow);
            return false;
        }
    }
    Free();
    m_pRows = prow;
    m_nCols = cols;
    m_nRows = rows;
    return true;
}

bool CValueMatrix::Resize(int rows, int cols)
{
    if (rows < 1 || cols < 1) {
        Free();
        return true;
    }
    if (rows == m_nRows && cols == m_nCols) return true;
    if (!ValueMatrixShapeFits(rows, cols) || !ToCells()) return false;
    // Build the new shape first so that a failed allocation leaves the matrix unchanged.
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) {
        NoteOutOfMemory();
        return false;
    }
    int keepRows = rows < m_nRows ? rows : m_nRows;
    int keepCols = cols < m_nCols ? cols : m_nCols;
    CFillStop stop;
    for (int r = 0; r < rows; ++r) {
        prow[r] = stop.After(cols) ? nullptr : AllocEmptyValueRow(cols);
        if (!prow[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(prow[k], cols);
            std::free(prow);
            return false;
        }
    }
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c) prow[r][c].Swap(m_pRows[r][c]);
    Free();
    m_pRows = prow;
    m_nCols = cols;
    m_nRows = rows;
    return true;
}

// ---- growth --------------------------------------------------------------

CValue* CValueMatrix::TryCellAtGrow(int r, int c)
{
    if (r < 0 || c < 0) {
        ReportIndexLimit((int64_t)r + 1, (int64_t)c + 1);
        return nullptr;
    }
    if (!ToCells()) {
        ReportIndexLimit((int64_t)r + 1, (int64_t)c + 1);
        return nullptr;
    }
    if (r < m_nRows && c < m_nCols) return &m_pRows[r][c];

    int64_t newCols = std::max<int64_t>(m_nCols, (int64_t)c + 1);
    int64_t newRows = std::max<int64_t>(m_nRows, (int64_t)r + 1);
    if (!ValueMatrixShapeFits(newRows, newCols)) {
        ReportIndexLimit((int64_t)r + 1, (int64_t)c + 1);
        return nullptr;
    }
    const CValue zero = RealZero();
    if (IsEmpty()) {
        if (!Fill((int)newRows, (int)newCols, zero)) {
            ReportIndexLimit((int64_t)r + 1, (int64_t)c + 1);
            return nullptr;
        }
        return &m_pRows[r][c];
    }

    const int oldCols = m_nCols, oldRows = m_nRows;
    const int nc = (int)newCols, nr = (int)newRows;
    bool ok = true;
    int widened = 0;
    if (nc > oldCols) {
        CFillStop stop;
        for (; widened < oldRows; ++widened) {
            CValue* row = stop.After(nc - oldCols) ? nullptr : ReallocValueRow(m_pRows[widened], oldCols, nc, zero);
            if (!row) {
                ok = false;
                break;
            }
            m_pRows[widened] = row;
        }
    }
    CValue** prow = m_pRows;
    int added = 0;
    if (ok && nr > oldRows) {
        prow = static_cast<CValue**>(std::realloc(static_cast<void*>(m_pRows), (size_t)nr * sizeof(CValue*)));
        if (!prow) {
            ok = false;
            prow = m_pRows;
        } else {
            m_pRows = prow;
            CFillStop stop;
            for (; oldRows + added < nr; ++added) {
                prow[oldRows + added] = stop.After(nc) ? nullptr : AllocValueRow(nc, zero);
                if (!prow[oldRows + added]) {
                    ok = false;
                    break;
                }
            }
        }
    }
    if (!ok) {
        // Undo: the matrix keeps its shape and cells.
        for (int k = 0; k < added; ++k) FreeValueRow(m_pRows[oldRows + k], nc);
        if (nc > oldCols)
            for (int k = 0; k < widened; ++k) m_pRows[k] = ReallocValueRow(m_pRows[k], nc, oldCols, zero);
        ReportIndexLimit((int64_t)r + 1, (int64_t)c + 1);
        return nullptr;
    }
    m_nCols = nc;
    m_nRows = nr;
    return &m_pRows[r][c];
}

int CValueMatrix::GrowToIndex(int r, int c)
{
    return TryCellAtGrow(r, c) ? 0 : 10;
}

CValue& CValueMatrix::CellAtGrow(int r, int c)
{
    if (CValue* cell = TryCellAtGrow(r, c)) return *cell;
    static thread_local CValue scratch;
    scratch.Clear();
    return scratch;
}

// ---- building blocks -----------------------------------------------------

// A new rows x cols matrix of Real 0 with a at (0, 0) and b at (r0, c0).
static int JoinTwo(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, int64_t rows, int64_t cols,
                   int r0, int c0)
{
    CValueMatrix t;
    const bool packed = (a.IsEmpty() || a.IsPacked()) && (b.IsEmpty() || b.IsPacked());
    if (rows > 0 && cols > 0 && packed && rows <= INT_MAX && cols <= INT_MAX && t.ShapePacked((int)rows, (int)cols)) {
        double* to = t.PackedData();
        const bool covered = (int64_t)a.m_nRows * a.m_nCols + (int64_t)b.m_nRows * b.m_nCols == rows * cols;
        if (!covered) std::fill(to, to + (size_t)rows * (size_t)cols, 0.0);
        auto place = [&](const CValueMatrix& m, int top, int left) {
            const double* from = m.PackedData();
            for (int r = 0; r < m.m_nRows; ++r)
                std::memcpy(to + (size_t)(top + r) * (size_t)cols + left, from + (size_t)r * m.m_nCols,
                            (size_t)m.m_nCols * sizeof(double));
        };
        if (!a.IsEmpty()) place(a, 0, 0);
        if (!b.IsEmpty()) place(b, r0, c0);
    } else if (rows > 0 && cols > 0) {
        if (!ValueMatrixShapeFits(rows, cols) || !t.Fill((int)rows, (int)cols, RealZero())) {
            ReportIndexLimit(rows, cols);
            return 10;
        }
        auto place = [&t](const CValueMatrix& m, int top, int left) {
            return ForCellBlocks(m.Rows(), m.Cols(), [&](int r, int c0, int c1) {
                const CValue* in = m.Row(r);
                CValue* to = t.Row(top + r) + left;
                for (int c = c0; c < c1; ++c) to[c] = in[c];
            });
        };
        if (!place(a, 0, 0) || !place(b, r0, c0)) {
            NoteOutOfMemory();  // a stop, reported by the statement as such
            return 10;
        }
    }
    out.Swap(t);
    return 0;
}

int CValueMatrix::HorzCat(const CValueMatrix& a, const CValueMatrix& b)
{
    return JoinTwo(*this, a, b, std::max(a.m_nRows, b.m_nRows), (int64_t)a.m_nCols + b.m_nCols, 0, a.m_nCols);
}

int CValueMatrix::VertCat(const CValueMatrix& a, const CValueMatrix& b)
{
    return JoinTwo(*this, a, b, (int64_t)a.m_nRows + b.m_nRows, std::max(a.m_nCols, b.m_nCols), a.m_nRows, 0);
}

int CValueMatrix::MakeDiag(const CValue* cells, int n, int k)
{
    if (n < 0) n = 0;
    int64_t ak = k < 0 ? -(int64_t)k : (int64_t)k;
    int64_t side = n + ak;
    CValueMatrix t;
    if (side > 0) {
        if (!ValueMatrixShapeFits(side, side) || !t.Fill((int)side, (int)side, RealZero())) {
            ReportIndexLimit(side, side);
            return 10;
        }
        for (int i = 0; i < n; ++i) {
            if (k < 0)
                t.m_pRows[ak + i][i] = cells[i];
            else
                t.m_pRows[i][k + i] = cells[i];
        }
    }
    Swap(t);
    return 0;
}

bool CValueMatrix::DeleteRows(const int* indices, int count)
{
    if (IsEmpty() || !indices || count < 1) return true;
    if (!ToCells()) return false;
    std::vector<char> drop((size_t)m_nRows, 0);
    for (int i = 0; i < count; ++i)
        if (indices[i] >= 0 && indices[i] < m_nRows) drop[(size_t)indices[i]] = 1;
    int kept = 0;
    for (int r = 0; r < m_nRows; ++r) {
        if (drop[(size_t)r])
            FreeValueRow(m_pRows[r], m_nCols);
        else
            m_pRows[kept++] = m_pRows[r];
    }
    if (kept == 0) {
        std::free(m_pRows);
        m_pRows = nullptr;
        m_nRows = m_nCols = 0;
        return true;
    }
    if (kept < m_nRows) {
        void* p = std::realloc(static_cast<void*>(m_pRows), (size_t)kept * sizeof(CValue*));
        if (p) m_pRows = static_cast<CValue**>(p);  // a refused shrink keeps the larger block
        m_nRows = kept;
    }
    return true;
}

bool CValueMatrix::DeleteColumns(const int* indices, int count)
{
    if (IsEmpty() || !indices || count < 1) return true;
    std::vector<char> drop((size_t)m_nCols, 0);
    for (int i = 0; i < count; ++i)
        if (indices[i] >= 0 && indices[i] < m_nCols) drop[(size_t)indices[i]] = 1;
    int kept = 0;
    for (int c = 0; c < m_nCols; ++c)
        if (!drop[(size_t)c]) ++kept;
    if (kept == m_nCols) return true;
    if (kept == 0) {
        Free();
        return true;
    }
    if (!ToCells()) return false;
    const CValue none;
    CCellStop stop;
    for (int r = 0; r < m_nRows; ++r) {
        CValue* row = m_pRows[r];
        int to = 0;
        for (int c = 0; c < m_nCols; ++c) {
            // Stopped: the rows keep their width, some with their cells moved.
            if (stop.After(1)) return false;
            if (drop[(size_t)c]) continue;
            if (to != c) row[to].Swap(row[c]);
            ++to;
        }
    }
    for (int r = 0; r < m_nRows; ++r) m_pRows[r] = ReallocValueRow(m_pRows[r], m_nCols, kept, none);
    m_nCols = kept;
    return true;
}

bool CValueMatrix::Triu(int k)
{
    if (double* p = PackedData())
        return ForCellBlocks(m_nRows, m_nCols, [this, p, k](int r, int c0, int c1) {
            for (int c = c0; c < c1; ++c)
                if ((int64_t)r > (int64_t)c - k) p[(size_t)r * m_nCols + c] = 0.0;
        });
    return ForCellBlocks(m_nRows, m_nCols, [this, k](int r, int c0, int c1) {
        for (int c = c0; c < c1; ++c)
            if ((int64_t)r > (int64_t)c - k) m_pRows[r][c].SetReal(0.0);
    });
}

bool CValueMatrix::Tril(int k)
{
    if (double* p = PackedData())
        return ForCellBlocks(m_nRows, m_nCols, [this, p, k](int r, int c0, int c1) {
            for (int c = c0; c < c1; ++c)
                if ((int64_t)r < (int64_t)c - k) p[(size_t)r * m_nCols + c] = 0.0;
        });
    return ForCellBlocks(m_nRows, m_nCols, [this, k](int r, int c0, int c1) {
        for (int c = c0; c < c1; ++c)
            if ((int64_t)r < (int64_t)c - k) m_pRows[r][c].SetReal(0.0);
    });
}

bool CValueMatrix::MakeIdentity()
{
    if (double* p = PackedData())
        return ForCellBlocks(m_nRows, m_nCols, [this, p](int r, int c0, int c1) {
            for (int c = c0; c < c1; ++c) p[(size_t)r * m_nCols + c] = r == c ? 1.0 : 0.0;
        });
    return ForCellBlocks(m_nRows, m_nCols, [this](int r, int c0, int c1) {
        for (int c = c0; c < c1; ++c) m_pRows[r][c].SetReal(r == c ? 1.0 : 0.0);
    });
}

int CValueMatrix::GetDiag(int k, CValueMatrix& out) const
{
    const int64_t m = std::min(m_nRows, m_nCols);
    const int64_t ak = k < 0 ? -(int64_t)k : (int64_t)k;
    int64_t len = 0;
    int64_t r0 = 0, c0 = 0;
    if (k <= 0 && m_nRows - ak >= 1 && m_nRows - ak <= m) {
        len = m_nRows - ak;
        r0 = ak;
    } else if (k >= 0 && m_nCols - ak >= 1 && m_nCols - ak <= m) {
        len = m_nCols - ak;
        c0 = ak;
    } else {
        ReportError() << "Extracting " << k << "-th diagonal from matrix";
        return 10;
    }
    CValueMatrix t;  // out may be this matrix
    if (!t.Resize(1, (int)len)) {
        ReportIndexLimit(1, len);
        return 10;
    }
    for (int64_t i = 0; i < len; ++i) t.m_pRows[0][i] = Cell((int)(r0 + i), (int)(c0 + i));
    out.Swap(t);
    return 0;
}

// ---- find family ---------------------------------------------------------

bool CValueMatrix::FindNonZero(std::vector<int64_t>& indices) const
{
    if (const double* p = PackedData())
        return ForCellBlocks(m_nRows, m_nCols, [&](int r, int c0, int c1) {
            const int64_t lin = (int64_t)r * m_nCols;
            for (int c = c0; c < c1; ++c)
                if (!(p[lin + c] == 0.0)) indices.push_back(lin + c);
        });
    CValue** rows = CellRows();
    return ForCellBlocks(m_nRows, m_nCols, [&](int r, int c0, int c1) {
        const int64_t lin = (int64_t)r * m_nCols;
        for (int c = c0; c < c1; ++c)
            if (!IsZeroCell(rows[r][c])) indices.push_back(lin + c);
    });
}

bool CValueMatrix::FindNonZeroPairs(std::vector<std::pair<int, int>>& pairs) const
{
    CValue** rows = CellRows();
    return ForCellBlocks(m_nRows, m_nCols, [&](int r, int c0, int c1) {
        for (int c = c0; c < c1; ++c)
            if (!IsZeroCell(rows[r][c])) pairs.emplace_back(r, c);
    });
}

bool CValueMatrix::FindNonZeroWithValues(std::vector<std::pair<int, int>>& pairs, std::vector<CValue*>& cells) const
{
    CValue** rows = CellRows();
    return ForCellBlocks(m_nRows, m_nCols, [&](int r, int c0, int c1) {
        for (int c = c0; c < c1; ++c)
            if (!IsZeroCell(rows[r][c])) {
                pairs.emplace_back(r, c);
                cells.push_back(&Cell(r, c));
            }
    });
}
