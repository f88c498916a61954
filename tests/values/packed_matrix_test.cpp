// Packed real matrices: the same numbers as cells, bit for bit, through every
// member and through the loops that make packed results.
#include "tests/support/address_space.h"
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "values/lapack.h"
#include "values/lapack_drivers.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

// Numbers whose bits a careless copy would change: signed zero, NaNs with
// payloads, infinities, a subnormal.
std::vector<double> Awkward()
{
    return {-0.0,
            0.0,
            std::bit_cast<double>(UINT64_C(0x7FF8000000000123)),
            std::bit_cast<double>(UINT64_C(0xFFF0000000000001)),
            INFINITY,
            -INFINITY,
            4.9e-324,
            1.0,
            -2.5,
            0.5,
            1e308,
            0.49999999999999994};
}

bool PackedBuild()
{
    CValueMatrix probe;
    return probe.ShapePacked(1, 1);
}

// rows x cols of data row-major, packed where the build packs.
CValueMatrix Packed(int rows, int cols, const std::vector<double>& data)
{
    CValueMatrix m;
    if (m.ShapePacked(rows, cols)) {
        std::memcpy(m.PackedData(), data.data(), (size_t)rows * cols * sizeof(double));
        return m;
    }
    EXPECT_TRUE(ShapeWithUnsetCells(m, rows, cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) new (&m.Cell(r, c)) CValue(data[(size_t)r * cols + c]);
    return m;
}

// The same numbers always as cells.
CValueMatrix Cells(int rows, int cols, const std::vector<double>& data)
{
    CValueMatrix m;
    EXPECT_TRUE(ShapeWithUnsetCells(m, rows, cols));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) new (&m.Cell(r, c)) CValue(data[(size_t)r * cols + c]);
    return m;
}

// Type and bits of every cell; the shape first.
std::string Bits(const CValueMatrix& m)
{
    std::string s = std::to_string(m.Rows()) + "x" + std::to_string(m.Cols());
    char buf[40];
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) {
            const CValue& v = m.Cell(r, c);
            if (v.Type() == VT_REAL)
                std::snprintf(buf, sizeof buf, " %016llx", (unsigned long long)std::bit_cast<uint64_t>(v.Real()));
            else
                std::snprintf(buf, sizeof buf, " t%u", v.Type());
            s += buf;
        }
    return s;
}

}  // namespace

TEST(PackedMatrix, CellsHoldTheSameBits)
{
    const std::vector<double> d = Awkward();
    const CValueMatrix p = Packed(3, 4, d);
    EXPECT_EQ(p.IsPacked(), PackedBuild());
    EXPECT_EQ(Bits(p), Bits(Cells(3, 4, d)));
    EXPECT_FALSE(p.IsPacked());  // read as cells once, cells it stays
    EXPECT_EQ(p.PackedData(), nullptr);
}

TEST(PackedMatrix, CopiesMovesAndSwapsKeepTheForm)
{
    const std::vector<double> d = Awkward();
    CValueMatrix p = Packed(2, 6, d);
    const std::string want = Bits(Cells(2, 6, d));
    CValueMatrix copy(p);
    EXPECT_EQ(copy.IsPacked(), PackedBuild());
    CValueMatrix moved(std::move(copy));
    EXPECT_FALSE(copy.HasStorage());
    EXPECT_EQ(moved.IsPacked(), PackedBuild());
    CValueMatrix other = Cells(1, 1, {7.0});
    other.Swap(moved);
    EXPECT_EQ(Bits(moved), "1x1 401c000000000000");
    EXPECT_EQ(Bits(other), want);
    CValueMatrix assigned;
    assigned = p;
    EXPECT_EQ(Bits(assigned), want);
    EXPECT_EQ(Bits(p), want);
    p.Free();
    EXPECT_FALSE(p.HasStorage());
    EXPECT_TRUE(p.IsEmpty());
}

// Every member that changes a matrix gives what it gives on the same cells.
TEST(PackedMatrix, MembersMatchTheCellForm)
{
    const std::vector<double> d = Awkward();
    struct Case {
        const char* name;
        void (*change)(CValueMatrix&);
    };
    const Case cases[] = {
        {"Fill same shape", [](CValueMatrix& m) { m.Fill(3, 4, CValue(-0.0)); }},
        {"Fill other shape", [](CValueMatrix& m) { m.Fill(2, 2, CValue(1.5)); }},
        {"Resize", [](CValueMatrix& m) { m.Resize(4, 5); }},
        {"GrowToIndex", [](CValueMatrix& m) { EXPECT_EQ(m.GrowToIndex(4, 5), 0); }},
        {"CellAtGrow write", [](CValueMatrix& m) { m.CellAtGrow(0, 1).SetReal(9.0); }},
        {"SwapRows", [](CValueMatrix& m) { m.SwapRows(0, 2); }},
        {"DeleteRows", [](CValueMatrix& m) { const int r[] = {1}; m.DeleteRows(r, 1); }},
        {"DeleteColumns", [](CValueMatrix& m) { const int c[] = {0, 3}; m.DeleteColumns(c, 2); }},
        {"Triu", [](CValueMatrix& m) { m.Triu(1); }},
        {"Tril", [](CValueMatrix& m) { m.Tril(-1); }},
        {"MakeIdentity", [](CValueMatrix& m) { m.MakeIdentity(); }},
        {"HorzCat with itself", [](CValueMatrix& m) { EXPECT_EQ(m.HorzCat(m, m), 0); }},
        {"VertCat with itself", [](CValueMatrix& m) { EXPECT_EQ(m.VertCat(m, m), 0); }},
        {"HorzCat uneven", [](CValueMatrix& m) { CValueMatrix one = Packed(1, 2, {3.0, 4.0}); m.HorzCat(one, m); }},
        {"GetDiag", [](CValueMatrix& m) { CValueMatrix o; EXPECT_EQ(m.GetDiag(1, o), 0); m.Swap(o); }},
    };
    for (const Case& k : cases) {
        CValueMatrix p = Packed(3, 4, d), c = Cells(3, 4, d);
        k.change(p);
        k.change(c);
        EXPECT_EQ(Bits(p), Bits(c)) << k.name;
    }
}

// Growth of a packed or empty matrix that stays packed gives the cells that
// GrowToIndex gives; a matrix in cells or a negative index is left alone.
TEST(PackedMatrix, GrowPackedMatchesGrowToIndex)
{
    const std::vector<double> d = Awkward();
    const int shapes[][2] = {{3, 4}, {1, 12}, {12, 1}};
    const int at[][2] = {{0, 0}, {2, 3}, {2, 6}, {5, 3}, {5, 6}, {0, 13}, {13, 0}};
    for (const auto& shape : shapes)
        for (const auto& rc : at) {
            CValueMatrix p = Packed(shape[0], shape[1], d), c = Cells(shape[0], shape[1], d);
            const bool grew = p.GrowPacked(rc[0], rc[1]);
            EXPECT_EQ(grew, PackedBuild());
            if (!grew) EXPECT_EQ(p.GrowToIndex(rc[0], rc[1]), 0);  // the caller's other road
            EXPECT_EQ(c.GrowToIndex(rc[0], rc[1]), 0);
            EXPECT_EQ(p.IsPacked(), PackedBuild());
            EXPECT_EQ(Bits(p), Bits(c)) << shape[0] << "x" << shape[1] << " to " << rc[0] << "," << rc[1];
        }
    CValueMatrix e, ce;
    EXPECT_EQ(e.GrowPacked(1, 2), PackedBuild());
    ce.GrowToIndex(1, 2);
    if (PackedBuild()) EXPECT_EQ(Bits(e), Bits(ce));
    CValueMatrix c = Cells(1, 2, {1.0, 2.0});
    EXPECT_FALSE(c.GrowPacked(3, 3));
    EXPECT_EQ(Bits(c), Bits(Cells(1, 2, {1.0, 2.0})));
    CValueMatrix p = Packed(1, 2, {1.0, 2.0});
    EXPECT_FALSE(p.GrowPacked(-1, 0));
    EXPECT_FALSE(p.GrowPacked(INT32_MAX, INT32_MAX));  // beyond what the cells could take
    EXPECT_EQ(Bits(p), Bits(Cells(1, 2, {1.0, 2.0})));
}

TEST(PackedMatrix, FindVisitsTheSameCells)
{
    const std::vector<double> d = Awkward();
    const CValueMatrix p = Packed(3, 4, d), c = Cells(3, 4, d);
    std::vector<int64_t> a, b;
    p.FindNonZero(a);
    c.FindNonZero(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 10u);  // the two zeros are left out, NaNs are not zero
}

// The loops that make packed results give the cell loops' bits. One NaN
// only: which of two NaNs an addition passes on is the compiler's choice.
TEST(PackedMatrix, LoopsMatchTheCellForm)
{
    std::vector<double> d = Awkward(), e;
    d[3] = 3.0;
    for (double x : d) e.push_back(x * 0.75 - 0.25);
    struct Case {
        const char* name;
        int (*run)(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& out);
    };
    const Case cases[] = {
        {"a > 0.5", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return MatrixScalarCopy(o, a, CValue(0.5), SCALAR_GT, ValueCompareGreater, false);
         }},
        {"a == -0", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return MatrixScalarCopy(o, a, CValue(-0.0), SCALAR_EQ, ValueCompareEqual, false);
         }},
        {"a + 1", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return MatrixScalarCopy(o, a, CValue(1.0), SCALAR_ADD, ValueAdd, false);
         }},
        {"a .* b", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             return MatrixElementwiseCopy(o, a, b, ELEM_MUL);
         }},
        {"a - b", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             return MatrixElementwiseCopy(o, a, b, ELEM_SUB);
         }},
        {"a < b in place", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             o = a;
             return MatrixRelational(o, b, REL_LT);
         }},
        {"a >= 0 in place", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             o = a;
             return MatrixRelationalScalar(o, CValue(0.0), REL_GE);
         }},
        {"a += b in place", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             o = a;
             return MatrixAddMatrix(o, b);
         }},
        {"a *= 3 in place", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             o = a;
             return MatrixMulScalar(o, CValue(3.0));
         }},
        {"2 - a", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return ScalarSubMatrix(o, CValue(2.0), a);
         }},
        {"a & b in place", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             o = a;
             return MatrixRelational(o, b, LOGIC_AND);
         }},
        {"a | b in place", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             o = a;
             return MatrixRelational(o, b, LOGIC_OR);
         }},
        {"a ~ b in place", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             o = a;
             return MatrixRelational(o, b, LOGIC_XOR);
         }},
        {"!a and -a", [](const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& o) {
             CValue v, w;
             v.MakeMatrix(0, 0) = a;
             w.MakeMatrix(0, 0) = b;
             const int st = v.Not() + w.Negate();
             o.HorzCat(v.Matrix(), w.Matrix());
             return st;
         }},
        {"cumsum", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return CValueMatrix::CumSum(a, o);
         }},
        {"cumprod", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             return CValueMatrix::CumProd(a, o);
         }},
        {"sum of a vector", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             CValue t;
             const int st = a.SumVector(t);
             o = CValueMatrix(t);
             return st;
         }},
        {"column sums", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) { return a.SumColumns(o); }},
        {"sum of the column sums", [](const CValueMatrix& a, const CValueMatrix&, CValueMatrix& o) {
             CValueMatrix s;
             a.SumColumns(s);
             CValue t;
             const int st = s.SumVector(t);
             o = CValueMatrix(t);
             return st;
         }},
    };
    const int shapes[][2] = {{3, 4}, {1, 12}, {12, 1}};
    for (const auto& shape : shapes)
        for (const Case& k : cases) {
            const int rows = shape[0], cols = shape[1];
            CValueMatrix po, co;
            const int ps = k.run(Packed(rows, cols, d), Packed(rows, cols, e), po);
            const int cs = k.run(Cells(rows, cols, d), Cells(rows, cols, e), co);
            EXPECT_EQ(ps, cs) << k.name << " " << rows << "x" << cols;
            EXPECT_EQ(Bits(po), Bits(co)) << k.name << " " << rows << "x" << cols;
        }
}

// A logical operator with a scalar, for every kind of scalar truth: 0, -0
// and NaN are false, the rest true.
// Column sums and products over every count of rows the four-row passes can
// leave over, with numbers whose sums depend on the order they meet in.
TEST(PackedMatrix, ColumnFoldsMatchTheCellForm)
{
    const std::vector<double> awkward = Awkward();
    const double spread[] = {1e16, 1.0, -1e16, 0.1, 3.0, -0.0, 1e-300, 7.5, -2.0, 1e300};
    for (int rows : {2, 4, 5, 6, 7, 8, 9, 13})
        for (int cols : {1, 3, 17}) {
            std::vector<double> d;
            for (int k = 0; k < rows * cols; ++k)
                d.push_back(k % 5 == 4 ? awkward[(size_t)k % awkward.size()] : spread[(k * 7 + k / cols) % 10]);
            for (bool product : {false, true}) {
                CValueMatrix po, co;
                const CValueMatrix p = Packed(rows, cols, d), c = Cells(rows, cols, d);
                EXPECT_EQ(product ? p.ProdColumns(po) : p.SumColumns(po), 0);
                EXPECT_EQ(product ? c.ProdColumns(co) : c.SumColumns(co), 0);
                EXPECT_EQ(Bits(po), Bits(co)) << (product ? "prod " : "sum ") << rows << "x" << cols;
            }
        }
}

// rand's own generator gives LAPACK's numbers bit for bit and carries the
// seed on the same way, for seeds at the ends of their range and lengths that
// end inside a run of 64 or span many.
TEST(PackedMatrix, UniformDrawsMatchLapack)
{
    const int seeds[][4] = {{0, 0, 0, 1}, {4095, 4095, 4095, 4095}, {0, 0, 0, 4095}, {4095, 0, 0, 1},
                            {1234, 17, 3999, 2047}, {77, 2048, 1, 3}};
    const int lengths[] = {1, 2, 63, 64, 65, 128, 4099, 100003};
    for (const auto& seed : seeds)
        for (int n : lengths) {
            int ours[4], theirs[4];
            std::memcpy(ours, seed, sizeof ours);
            std::memcpy(theirs, seed, sizeof theirs);
            std::vector<double> a((size_t)n), b((size_t)n);
            const int idist = 1;
            dlarnv_(&idist, theirs, &n, b.data());
            // Drawn in two calls that split a run: the seed must carry.
            const size_t first = (size_t)n / 3;
            DrawUniform(ours, a.data(), first);
            DrawUniform(ours, a.data() + first, (size_t)n - first);
            const std::string where = std::to_string(seed[0]) + "," + std::to_string(seed[3]) + " n=" + std::to_string(n);
            for (int k = 0; k < n; ++k)
                ASSERT_EQ(std::bit_cast<uint64_t>(a[(size_t)k]), std::bit_cast<uint64_t>(b[(size_t)k])) << where << " k=" << k;
            for (int k = 0; k < 4; ++k) EXPECT_EQ(ours[k], theirs[k]) << where;
        }
}

TEST(PackedMatrix, LogicWithAScalarMatchesTheCellForm)
{
    const std::vector<double> d = Awkward();
    const double scalars[] = {0.0, -0.0, NAN, 1.0, -INFINITY, 4.9e-324};
    for (RelationalOp op : {LOGIC_AND, LOGIC_OR, LOGIC_XOR})
        for (double s : scalars) {
            CValueMatrix p = Packed(3, 4, d), c = Cells(3, 4, d);
            EXPECT_EQ(MatrixRelationalScalar(p, CValue(s), op), 0);
            EXPECT_EQ(MatrixRelationalScalar(c, CValue(s), op), 0);
            EXPECT_EQ(p.IsPacked(), PackedBuild()) << op << " " << s;
            EXPECT_EQ(Bits(p), Bits(c)) << op << " " << s;
        }
}

// The truth of a whole matrix: every number non-zero (a NaN counts as true).
TEST(PackedMatrix, TruthOfAWholeMatrix)
{
    struct Case {
        std::vector<double> data;
        double want;
    };
    const Case cases[] = {{{1.0, -2.0, NAN, INFINITY}, 1.0}, {{1.0, -0.0, 3.0, 4.0}, 0.0}, {{4.9e-324, 1, 1, 1}, 1.0}};
    for (const Case& k : cases) {
        CValue v;
        v.MakeMatrix(0, 0) = Packed(2, 2, k.data);
        double out = -1.0;
        EXPECT_EQ(v.ToBoolean(out), 0);
        EXPECT_EQ(out, k.want);
        EXPECT_EQ(v.Matrix().IsPacked(), PackedBuild());
    }
}

// The extremes, of packed matrices and of packed matrices inside cells.
TEST(PackedMatrix, ExtremesMatchTheCellForm)
{
    std::vector<double> d = Awkward();
    std::vector<double> nanFirst = {NAN, -1.0, 2.0, -0.0};
    auto bits = [](const CValue* v) { return Bits(CValueMatrix(*v)); };
    for (const auto& data : {d, nanFirst}) {
        const int n = (int)data.size();
        EXPECT_EQ(bits(MaxOfMatrix(Packed(1, n, data))), bits(MaxOfMatrix(Cells(1, n, data))));
        EXPECT_EQ(bits(MinOfMatrix(Packed(1, n, data))), bits(MinOfMatrix(Cells(1, n, data))));
    }
    // Two packed matrices in the cells of one: each keeps its own extreme.
    CValueMatrix outer = Cells(1, 3, {0.0, 0.0, 0.0});
    outer.Cell(0, 0).MakeMatrix(0, 0) = Packed(1, 3, {5.0, 9.0, 1.0});
    outer.Cell(0, 2).MakeMatrix(0, 0) = Packed(1, 2, {7.0, -4.0});
    EXPECT_EQ(MaxOfMatrix(outer)->Real(), 9.0);
    EXPECT_EQ(MinOfMatrix(outer)->Real(), -4.0);
}

// A packed operand with a cell operand that is not a number takes the cell road.
// Longer rows, where the extremes are looked for in lanes: the extreme a
// zero of either sign, in the lanes or the tail, NaN only, infinities only.
TEST(PackedMatrix, LongExtremesMatchTheCellForm)
{
    const double nan = std::bit_cast<double>(UINT64_C(0x7FF8000000000123));
    std::vector<std::vector<double>> table;
    for (int n : {8, 9, 16, 23, 40}) {
        std::vector<double> negatives(n), nans(n, nan), lows(n, -INFINITY), mixed(n);
        for (int i = 0; i < n; ++i) {
            negatives[i] = -1.0 - i;
            mixed[i] = (i % 3 == 0) ? nan : 0.25 * i - 3.0;
        }
        std::vector<double> zeros = negatives, zerosLate = negatives, top = mixed;
        zeros[n / 3] = -0.0;
        zeros[n / 2] = 0.0;
        zerosLate[n - 1] = 0.0;
        zerosLate[n - 2] = -0.0;
        std::vector<double> positives = negatives;
        for (double& x : positives) x = -x;
        std::vector<double> posZeros = positives;
        posZeros[1] = 0.0;
        posZeros[n - 1] = -0.0;
        top[n - 1] = INFINITY;
        lows[n / 2] = nan;
        for (auto* v : {&negatives, &nans, &lows, &mixed, &zeros, &zerosLate, &positives, &posZeros, &top})
            table.push_back(*v);
    }
    auto bits = [](const CValue* v) { return Bits(CValueMatrix(*v)); };
    for (const auto& data : table) {
        const int n = (int)data.size();
        EXPECT_EQ(bits(MaxOfMatrix(Packed(1, n, data))), bits(MaxOfMatrix(Cells(1, n, data)))) << n;
        EXPECT_EQ(bits(MinOfMatrix(Packed(1, n, data))), bits(MinOfMatrix(Cells(1, n, data)))) << n;
    }
}

TEST(PackedMatrix, MixedOperandsTakeTheCellRoad)
{
    CValueMatrix a = Packed(1, 3, {1.0, 2.0, 3.0});
    CValueMatrix b = Cells(1, 3, {1.0, 1.0, 1.0});
    b.Cell(0, 1).SetComplex(Complex(0.0, 1.0));
    CValueMatrix o;
    bool allReal = true;
    EXPECT_EQ(MatrixElementwiseCopy(o, a, b, ELEM_ADD, &allReal), 0);
    EXPECT_FALSE(allReal);
    EXPECT_FALSE(o.IsPacked());
    EXPECT_EQ(o.Cell(0, 1).Type(), (uint32_t)VT_COMPLEX);
    EXPECT_EQ(o.Cell(0, 2).Real(), 4.0);
}

TEST(PackedMatrix, ShapeRefusals)
{
    CValueMatrix m;
    EXPECT_FALSE(m.ShapePacked(0, 3));
    EXPECT_FALSE(m.ShapePacked(3, -1));
    TakeOutOfMemory();
    EXPECT_FALSE(m.ShapePacked(INT32_MAX, INT32_MAX));
    EXPECT_EQ(TakeOutOfMemory(), PackedBuild());  // the cell form's refusal, noted alike
    EXPECT_FALSE(m.HasStorage());
    CValueMatrix full = Packed(1, 1, {1.0});
    EXPECT_FALSE(full.ShapePacked(2, 2));  // only an empty matrix takes a shape
    EXPECT_EQ(full.Cell(0, 0).Real(), 1.0);
}

// Several readers may ask one packed matrix for its cells at once; each sees
// the same rows, and a reader of the packed array keeps it meanwhile.
TEST(PackedMatrix, ReadersOnSeveralThreadsUnpackOnce)
{
    const int rows = 64, cols = 257;
    std::vector<double> d((size_t)rows * cols);
    for (size_t i = 0; i < d.size(); ++i) d[i] = (double)i * 0.5 - 3.0;
    for (int round = 0; round < 8; ++round) {
        const CValueMatrix m = Packed(rows, cols, d);
        const double* packed = m.PackedData();
        std::vector<const CValue*> seen(4, nullptr);
        std::vector<double> sums(4, 0.0);
        std::vector<std::thread> readers;
        for (int t = 0; t < 4; ++t)
            readers.emplace_back([&, t] {
                double s = 0.0;
                for (int r = 0; r < rows; ++r)
                    for (int c = 0; c < cols; ++c) s += m.Cell(r, c).Real();
                seen[(size_t)t] = m.Row(0);
                sums[(size_t)t] = s;
            });
        double direct = 0.0;
        if (packed)
            for (size_t i = 0; i < d.size(); ++i) direct += packed[i];  // readable while they unpack
        for (std::thread& t : readers) t.join();
        if (packed) {
            EXPECT_EQ(direct, sums[0]);
            EXPECT_EQ(packed[5], d[5]);
        }
        for (int t = 1; t < 4; ++t) EXPECT_EQ(seen[(size_t)t], seen[0]);
        for (int t = 0; t < 4; ++t) EXPECT_EQ(sums[(size_t)t], sums[0]);
    }
}

namespace {

// In the child process: two packed matrices whose cells the heap then
// refuses. Their readers get empty cells, each matrix asks the heap once
// (a loop over 3 million cells would take hours otherwise), a written cell
// is lost, the refusal is noted once, and with room again the numbers are
// there. Ends with 0, else writes what went wrong and ends with 1.
[[noreturn]] void ReadRefusedCells()
{
    int failed = 0;
    auto expect = [&failed](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "%s\n", what);
            failed = 1;
        }
    };
    const int rows = 2000, cols = 1500;  // 24 MB packed, 48 MB of cells
    std::vector<double> d((size_t)rows * cols);
    for (size_t i = 0; i < d.size(); ++i) d[i] = (double)i + 0.25;
    const CValueMatrix a = Packed(rows, cols, d);
    const CValueMatrix b = Packed(3000, 1000, d);  // another shape: the scratch grows
    TakeOutOfMemory();
    // Large blocks mapped afresh, never taken from memory freed before.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    const rlimit limit{AddressSpaceNow() + ((size_t)8 << 20), RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &limit);

    int64_t empty = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) empty += a.Cell(r, c).Type() == VT_EMPTY;
    expect(empty == (int64_t)rows * cols, "a: not every cell read empty");
    a.Cell(1, 1) = CValue(std::string("lost"));
    for (int r = 0; r < 3000; ++r) expect(b.Row(r)[999].Type() == VT_EMPTY, "b: a cell not empty");
    expect(a.Row(rows - 1)[cols - 1].Type() == VT_EMPTY && a.Cell(1, 1).Type() == VT_EMPTY, "a: a cell kept a write");
    expect(a.IsPacked() && b.IsPacked(), "a refused matrix left its packed form");
    expect(TakeOutOfMemory(), "the refusal was not noted");
    expect(!TakeOutOfMemory(), "the note was not taken");

    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &none);
    expect(a.Cell(rows - 1, cols - 1).Real() == d.back() && b.Cell(2999, 999).Real() == d.back(),
           "with room, the numbers are not there");
    expect(!a.IsPacked() && !TakeOutOfMemory(), "with room, the cells were not made");
    std::exit(failed);
}

}  // namespace

TEST(PackedMatrixDeathTest, RefusedCellsReadEmptyAndFailTheStatement)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory cannot live under an address-space limit";
#else
    if (!PackedBuild()) GTEST_SKIP() << "this build keeps every matrix in cells";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ReadRefusedCells(), ::testing::ExitedWithCode(0), "");
#endif
}
