// Large rows are kept by their thread after they are freed, with their cells
// still set. Whoever takes such a row, or whatever replaces it, must end each
// old cell exactly once: the sanitizer build reports a leaked or doubly freed
// payload here.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <thread>

#include "values/value.h"
#include "values/value_matrix.h"

namespace {

constexpr int kCells = 100000;  // 1.6 MB of cells: a row the thread keeps

// One row whose cells own payloads of every kind, with Reals in between.
CValueMatrix OwningRow(int n)
{
    CValueMatrix m;
    m.Resize(1, n);
    for (int i = 0; i < n; ++i) {
        CValue& c = m.Cell(0, i);
        switch (i % 5) {
        case 0: c.SetString("some text"); break;
        case 1: c.SetComplex(Complex(i, -1.0)); break;
        case 2: c.MakeMatrix(2, 2).Cell(1, 1).SetString("inner"); break;
        case 3: c.SetReal(i); break;
        default: c.SetString0("zero-ended"); break;
        }
    }
    return m;
}

CValueMatrix RealRow(int n)
{
    CValueMatrix m;
    m.Resize(1, n);
    for (int i = 0; i < n; ++i) m.Cell(0, i).SetReal(1.0);
    return m;
}

// Frees an owning row of n cells, leaving it kept by this thread.
void FreeOwningRow(int n)
{
    CValueMatrix m = OwningRow(n);
}

}  // namespace

TEST(FreedRows, WritersOverAKeptRowEndItsOldCells)
{
    // Taken whole, in part (a shorter row) and by a writer that fails half way.
    for (int n : {kCells, kCells * 3 / 4}) {
        CValueMatrix in = RealRow(n), out;
        FreeOwningRow(kCells);
        bool allReal = false;
        ASSERT_EQ(CValueMatrix::CumSum(in, out, &allReal), 0);
        EXPECT_TRUE(allReal);
        ASSERT_EQ(out.Cols(), n);
        EXPECT_EQ(out.Cell(0, n - 1).Real(), n);
    }
    CValueMatrix mixed = RealRow(kCells), out;
    mixed.Cell(0, kCells / 2).SetString("stops the real road");
    FreeOwningRow(kCells);
    CValueMatrix::CumSum(mixed, out);
    EXPECT_EQ(out.Cols(), kCells);
    EXPECT_EQ(out.Cell(0, kCells / 2 - 1).Real(), kCells / 2);
}

TEST(FreedRows, PlainTakersAndReplacedRowsEndTheirCells)
{
    // Two owning rows freed one after the other: the first gives way.
    FreeOwningRow(kCells);
    FreeOwningRow(kCells);
    // A plain new row takes the kept one: its cells start empty.
    CValueMatrix m;
    ASSERT_TRUE(m.Resize(1, kCells));
    EXPECT_EQ(m.Cell(0, 7).Type(), VT_EMPTY);
    // A row whose cells hold rows that are themselves large.
    {
        CValueMatrix outer;
        outer.Resize(1, 3);
        for (int i = 0; i < 3; ++i) outer.Cell(0, i).MakeMatrix(0, 0) = OwningRow(kCells);
    }
    FreeOwningRow(kCells);
}

namespace {
// Bytes the process's allocator has handed out and not got back.
size_t BytesInUse()
{
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}
}  // namespace

TEST(FreedRows, AThreadEndsTheRowItKept)
{
    // Kept, the row and its cells' payloads are megabytes; ended, nothing of them stays.
    // (The sanitizer build's allocator is not the one counted: its leak check stands in.)
    const size_t before = BytesInUse();
    size_t whileKept = 0;
    std::thread t([&] {
        FreeOwningRow(kCells);
        whileKept = BytesInUse();
    });
    t.join();
    const size_t after = BytesInUse();
#ifndef __SANITIZE_ADDRESS__
    EXPECT_GT(whileKept, before + kCells * sizeof(CValue));
#endif
    EXPECT_LT(after, before + 512 * 1024) << "before " << before << ", while kept " << whileKept;
}
