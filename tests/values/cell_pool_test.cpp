#include "values/cell_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

#include "values/value.h"

namespace {

// Pools live for the whole process, so each test pool is made once and kept.
CCellPool& SmallPool()
{
    static CCellPool* pool = new CCellPool(8);
    return *pool;
}

CCellPool& WidePool()
{
    static CCellPool* pool = new CCellPool(16);
    return *pool;
}

TEST(CellPool, CellsAreDistinctAlignedAndReused)
{
    for (CCellPool* pool : {&SmallPool(), &WidePool()}) {
        std::vector<void*> cells;
        std::set<uintptr_t> seen;
        for (int i = 0; i < 5000; ++i) {  // crosses several slabs and batches
            void* p = pool->Alloc();
            ASSERT_NE(p, nullptr);
            EXPECT_EQ((uintptr_t)p % pool->CellSize(), 0u);
            EXPECT_TRUE(seen.insert((uintptr_t)p).second) << "cell handed out twice";
            std::memset(p, 0xAB, pool->CellSize());
            cells.push_back(p);
        }
        size_t carved = pool->CarvedCells();
        for (void* p : cells) pool->Free(p);
        // A second round of the same size comes from the freed cells.
        for (int i = 0; i < 5000; ++i) cells[i] = pool->Alloc();
        EXPECT_EQ(pool->CarvedCells(), carved);
        for (void* p : cells) pool->Free(p);
    }
}

// Cells made on one thread and freed on another come back into use, and no
// cell is ever held by two owners at once.
TEST(CellPool, CellsFreedOnOtherThreads)
{
    CCellPool& pool = WidePool();
    constexpr int kThreads = 4, kRounds = 20, kCells = 3000;
    std::atomic<bool> clash{false};
    auto work = [&](int id) {
        std::vector<uint64_t*> mine;
        for (int round = 0; round < kRounds; ++round) {
            for (int i = 0; i < kCells; ++i) {
                auto* p = static_cast<uint64_t*>(pool.Alloc());
                p[0] = (uint64_t)id;
                p[1] = (uint64_t)i;
                mine.push_back(p);
            }
            for (int i = 0; i < kCells; ++i)
                if (mine[i][0] != (uint64_t)id || mine[i][1] != (uint64_t)i) clash = true;
            // Half is freed here, half by a short-lived thread of its own.
            std::vector<uint64_t*> other(mine.begin() + kCells / 2, mine.end());
            mine.resize(kCells / 2);
            std::thread([&] { for (auto* p : other) pool.Free(p); }).join();
            for (auto* p : mine) pool.Free(p);
            mine.clear();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, t);
    for (auto& t : threads) t.join();
    EXPECT_FALSE(clash);
    // Every thread has ended and flushed its cells: the main thread gets all
    // of them back without carving a new one.
    size_t carved = pool.CarvedCells();
    std::vector<void*> again;
    for (size_t i = 0; i < carved; ++i) again.push_back(pool.Alloc());
    EXPECT_EQ(pool.CarvedCells(), carved);
    for (void* p : again) pool.Free(p);
}

// Runs carved for bulk producers: side by side, counted, freed like any cell
// (also on other threads) and reused; no run while freed cells can serve.
TEST(CellPool, RunsOfFreshCells)
{
    static CCellPool* pool = new CCellPool(16);
    constexpr size_t kRun = 5000;
    auto* run = static_cast<uint64_t*>(pool->CarveRun(kRun));
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(pool->CarvedCells(), kRun);
    EXPECT_EQ((uintptr_t)run % 16, 0u);
    for (size_t i = 0; i < kRun; ++i) run[2 * i] = run[2 * i + 1] = i;
    std::thread([&] {
        for (size_t i = 0; i < kRun; i += 2) pool->Free(run + 2 * i);
    }).join();
    for (size_t i = 1; i < kRun; i += 2) pool->Free(run + 2 * i);
    // Most freed cells wait on the shared stack: a smaller run is refused and
    // the cells come back through Alloc.
    EXPECT_EQ(pool->CarveRun(1000), nullptr);
    std::vector<void*> again;
    for (size_t i = 0; i < kRun; ++i) again.push_back(pool->Alloc());
    EXPECT_EQ(pool->CarvedCells(), kRun);
    std::set<void*> distinct(again.begin(), again.end());
    EXPECT_EQ(distinct.size(), kRun);
    for (void* p : again) {
        EXPECT_GE(p, (void*)run);
        EXPECT_LT(p, (void*)(run + 2 * kRun));
    }
    // An unused run goes back: the newest whole, an older one as free cells.
    void* older = pool->CarveRun(3000);
    void* newest = pool->CarveRun(2000);
    ASSERT_TRUE(older && newest);
    EXPECT_EQ(pool->CarvedCells(), kRun + 5000);
    pool->ReturnRun(older, 3000);
    EXPECT_EQ(pool->CarvedCells(), kRun + 5000);
    pool->ReturnRun(newest, 2000);
    EXPECT_EQ(pool->CarvedCells(), kRun + 3000);
    for (int i = 0; i < 3000; ++i) again.push_back(pool->Alloc());
    EXPECT_EQ(pool->CarvedCells(), kRun + 3000);
    for (void* p : again) pool->Free(p);
}

TEST(CellPool, ValuesMadeAndDroppedOnDifferentThreads)
{
    std::vector<CValue> values(2000);
    std::thread([&] {
        for (size_t i = 0; i < values.size(); ++i) {
            if (i % 2)
                values[i] = CValue(Complex{(double)i, -1.0});
            else
                values[i] = CValue((double)i);
        }
    }).join();
    for (size_t i = 0; i < values.size(); ++i) {
        if (i % 2)
            ASSERT_EQ(values[i].ComplexRef().re, (double)i);
        else
            ASSERT_EQ(values[i].Real(), (double)i);
    }
    std::thread([&] { values.clear(); }).join();
    CValue x(Complex{1.5, 2.0});
    CValue y(x);
    EXPECT_NE(x.m_payload, y.m_payload);
    EXPECT_EQ(y.ComplexRef().re, 1.5);
}

}  // namespace
