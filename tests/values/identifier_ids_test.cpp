#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "values/identifier_ids.h"

namespace {

HWND FakeWindow(uintptr_t n) { return reinterpret_cast<HWND>(0x7000000000000000ull + n); }

TEST(IdentifierIds, FileAndWindowIdsNeverCollideAndWindowsKeepTheirId)
{
    uint32_t file1 = NewIdentifierId();
    uint32_t win = IdentifierIdOfWindow(FakeWindow(1));
    uint32_t file2 = NewIdentifierId();
    EXPECT_GT(file1, 0u);
    EXPECT_NE(win, file1);
    EXPECT_NE(win, file2);
    EXPECT_NE(file1, file2);
    EXPECT_EQ(IdentifierIdOfWindow(FakeWindow(1)), win);
    EXPECT_EQ(WindowOfIdentifierId(win), FakeWindow(1));
    EXPECT_EQ(WindowOfIdentifierId(file1), nullptr);
    EXPECT_EQ(WindowOfIdentifierId(0), nullptr);
    EXPECT_EQ(IdentifierIdOfWindow(nullptr), 0u);
    // Ids stay small: never an address.
    EXPECT_LT(win, 1000000u);
}

TEST(IdentifierIds, ThreadsGetDistinctIdsAndOneIdPerWindow)
{
    std::vector<std::vector<uint32_t>> got(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&got, t] {
            for (int i = 0; i < 200; ++i) {
                got[t].push_back(NewIdentifierId());
                got[t].push_back(IdentifierIdOfWindow(FakeWindow(100 + i)));
            }
        });
    for (auto& th : threads) th.join();
    std::set<uint32_t> files;
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 200; ++i) {
            EXPECT_TRUE(files.insert(got[t][2 * i]).second);
            EXPECT_EQ(got[t][2 * i + 1], got[0][2 * i + 1]);
        }
    for (int i = 0; i < 200; ++i) EXPECT_EQ(files.count(got[0][2 * i + 1]), 0u);
}

}  // namespace
