// Long fills (random and filled matrices, ranges, growth by indexing, copies)
// and long walks over the cells of a matrix (transposes, joins, triangles,
// searches) end at the program's stop: nothing is kept, nothing is reported
// but the stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>

#include "builtins/matrix_builtins.h"
#include "builtins/libraries.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/statements/program_harness.h"
#include "support/capture.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/power.h"
#include "values/stop_probe.h"
#include "values/unary_operators.h"
#include "values/value_matrix.h"

namespace {

// The thread's program stop flag, raised, for the life of the object.
class RaisedStop {
public:
    RaisedStop() { SetThreadStopFlag(&m_flag); }
    ~RaisedStop()
    {
        SetThreadStopFlag(nullptr);
        TakeOutOfMemory();
    }

private:
    std::atomic<uint8_t> m_flag{1};
};

// A program whose stop is asked (as the IDE's Stop or the batch run's
// Ctrl+C asks it) as its statement `at` begins.
class StopAtStatement : public CTestProgram {
public:
    explicit StopAtStatement(int at) : m_at(at) { SetThreadStopFlag(&m_flag); }
    ~StopAtStatement() override
    {
        SetThreadStopFlag(nullptr);
        TakeOutOfMemory();
    }
    int DebugHook(CStatement* st, int index) override
    {
        if (index == m_at) m_flag = 1;
        return CTestProgram::DebugHook(st, index);
    }
    int IsStopRequested() override { return m_flag.load(); }

private:
    int m_at;
    std::atomic<uint8_t> m_flag{0};
};

CValue Real(double x) { return CValue(x); }

TEST(LongFills, BuildersEndAtTheStop)
{
    CCaptureStream cap;
    RaisedStop stop;
    // 4 million cells: many blocks between two looks at the stop.
    CValue n = Real(2000), rows = Real(2000), wide = Real(4000000), one = Real(1);
    CValue* two[] = {&rows, &rows};
    CValue* single[] = {&n};
    CValue* row[] = {&one, &wide};
    const struct {
        const char* name;
        StatusWord (*call)(CValue*);
    } cases[] = {
        {"rand", [](CValue* out) { CValue x(2000.0); return BuiltinRand(&x, out); }},
        {"randn", [](CValue* out) { CValue x(2000.0); return BuiltinRandn(&x, out); }},
        {"rand of one row", [](CValue* out) { CValue a(1.0), b(4000000.0); return BuiltinRand2(&a, &b, out); }},
    };
    for (const auto& c : cases) {
        CValue out(7.0);
        EXPECT_EQ(c.call(&out), ERR_STOPPED) << c.name;
        EXPECT_EQ(out.Type(), (uint32_t)VT_REAL) << c.name;
    }
    const struct {
        const char* name;
        StatusWord (*call)(CValue**, int, CValue*);
        CValue** args;
        int count;
    } builders[] = {
        {"ones", BuiltinOnes, single, 1}, {"zeros", BuiltinZeros, two, 2}, {"eye", BuiltinEye, single, 1},
        {"ones of one row", BuiltinOnes, row, 2},
    };
    for (const auto& b : builders) {
        CValue out(7.0);
        EXPECT_EQ(b.call(b.args, b.count, &out), ERR_STOPPED) << b.name;
        EXPECT_EQ(out.Type(), (uint32_t)VT_REAL) << b.name;
    }
    EXPECT_TRUE(cap.messages.empty()) << cap.messages.front();
}

TEST(LongFills, ShapesAndCopiesEndAtTheStopAsRefusals)
{
    CValue big;
    CValueMatrix& m = big.MakeMatrix(0, 0);
    ASSERT_TRUE(m.Fill(1000, 1000, CValue(2.0)));
    CCaptureStream cap;
    RaisedStop stop;
    // A refusal the statement turns into the stop: the shape stays as it was.
    CValueMatrix filled;
    EXPECT_FALSE(filled.Fill(3000, 3000, CValue(1.0)));
    EXPECT_TRUE(filled.IsEmpty());
    EXPECT_TRUE(TakeOutOfMemory());
    EXPECT_FALSE(m.Resize(3000, 3000));
    EXPECT_EQ(m.Rows(), 1000);
    EXPECT_EQ(m.Cols(), 1000);
    EXPECT_TRUE(TakeOutOfMemory());
    EXPECT_EQ(m.GrowToIndex(2999, 2999), 10);
    EXPECT_EQ(m.Rows(), 1000);
    EXPECT_EQ(m.Cols(), 1000);
    EXPECT_EQ(m.GrowToIndex(0, 199999), 10);  // wider rows
    EXPECT_EQ(m.Cols(), 1000);
    TakeOutOfMemory();
    CValueMatrix copy(m);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_TRUE(TakeOutOfMemory());
    EXPECT_EQ(m.Cell(999, 999).Real(), 2.0);
    // Small work does not look: it ends before any block is full.
    CValueMatrix small;
    EXPECT_TRUE(small.Fill(100, 100, CValue(1.0)));
    CValueMatrix smallCopy(small);
    EXPECT_EQ(smallCopy.Rows(), 100);
    EXPECT_FALSE(TakeOutOfMemory());
    EXPECT_TRUE(cap.messages.empty()) << cap.messages.front();
}

TEST(LongFills, AStoppedStatementLeavesItsVariableAndReportsOnlyTheStop)
{
    const char* statements[] = {
        "x = ones(3000, 3000);", "x = rand(3000);", "x = 1..10000000;", "x[3000, 3000] = 1;", "x = [x, x];",
        "y = x;",
    };
    RegisterBuiltinLibraries();
    for (const char* text : statements) {
        GlobalVariables.Clear();
        StopAtStatement program(2);
        const ProgramRun r = RunProgramIn(program, std::string("x = ones(1000, 1000) * 3;\ny = 5;\n") + text + "\n");
        EXPECT_EQ(r.messages, std::vector<std::string>{"Error: Program is stoped"}) << text;
        const CVarSlot* x = program.FindVariable("x");
        ASSERT_TRUE(x && x->value && x->value->Type() == VT_MATRIX) << text;
        EXPECT_EQ(x->value->Matrix().Rows(), 1000) << text;
        EXPECT_EQ(x->value->Matrix().Cols(), 1000) << text;
        EXPECT_EQ(x->value->Matrix().Cell(999, 999).Real(), 3.0) << text;
        const CVarSlot* y = program.FindVariable("y");
        ASSERT_TRUE(y && y->value) << text;
        EXPECT_EQ(y->value->Type(), (uint32_t)VT_REAL) << text;
    }
    GlobalVariables.Clear();
}

// A matrix of rows x cols Real cells, each its linear index.
CValue Counting(int rows, int cols)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.Cell(r, c).SetReal((double)r * cols + c);
    return v;
}

TEST(LongFills, AWideRowGrownInPlaceEndsAtTheStopWithItsCells)
{
    CValue* row = AllocValueRow(10, CValue(2.0));
    ASSERT_NE(row, nullptr);
    {
        RaisedStop stop;
        // One row: every block of new cells looks, not only the rows around it.
        EXPECT_EQ(ReallocValueRow(row, 10, 4000000, CValue(0.0)), nullptr);
        EXPECT_TRUE(TakeOutOfMemory());
        ASSERT_NE(row, nullptr);
        for (int i = 0; i < 10; ++i) EXPECT_EQ(row[i].Real(), 2.0) << i;
        // A short growth finishes: no block is full before its end.
        EXPECT_NE(ReallocValueRow(row, 10, 1000, CValue(0.0)), nullptr);
        EXPECT_EQ(row[999].Real(), 0.0);
        EXPECT_FALSE(TakeOutOfMemory());
    }
    FreeValueRow(row, 1000);
}

TEST(LongFills, WalksOverCellsEndAtTheStop)
{
    CValue square = Counting(1000, 1000), wide = Counting(1, 300000), tall = Counting(300000, 1);
    CCaptureStream cap;
    RaisedStop stop;
    // The transpose reads its argument in place and writes cells it has not set yet.
    for (CValue* m : {&square, &wide, &tall}) {
        CValue out(7.0);
        EXPECT_EQ(BuiltinTrans(m, &out), ERR_STOPPED) << m->Matrix().Rows();
        EXPECT_EQ(out.Real(), 7.0);
    }
    CValueMatrix& m = square.Matrix();
    EXPECT_FALSE(m.Triu(0));
    EXPECT_FALSE(m.Tril(0));
    EXPECT_FALSE(wide.Matrix().MakeIdentity());
    std::vector<int64_t> found;
    EXPECT_FALSE(wide.Matrix().FindNonZero(found));
    EXPECT_LT(found.size(), 300000u);
    std::vector<std::pair<int, int>> pairs;
    EXPECT_FALSE(m.FindNonZeroPairs(pairs));
    const int first = 0;
    EXPECT_FALSE(m.DeleteColumns(&first, 1));
    EXPECT_EQ(m.Cols(), 1000);
    CValueMatrix joined;
    EXPECT_EQ(joined.HorzCat(wide.Matrix(), wide.Matrix()), 10);
    EXPECT_TRUE(joined.IsEmpty());
    TakeOutOfMemory();
    // Small walks finish before any block is full.
    CValue small = Counting(20, 30), out;
    EXPECT_EQ(BuiltinTrans(&small, &out), 0);
    EXPECT_EQ(out.Matrix().Cell(29, 19).Real(), 19 * 30 + 29.0);
    EXPECT_TRUE(small.Matrix().Triu(0));
    EXPECT_EQ(joined.VertCat(small.Matrix(), small.Matrix()), 0);
    EXPECT_EQ(joined.Rows(), 40);
    EXPECT_FALSE(TakeOutOfMemory());
    EXPECT_TRUE(cap.messages.empty()) << cap.messages.front();
}

// rows x cols numbers x, packed where the build packs them.
CValue PackedOf(int rows, int cols, double x)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(0, 0);
    if (m.ShapePacked(rows, cols))
        std::fill_n(m.PackedData(), (size_t)rows * cols, x);
    else
        m.Fill(rows, cols, CValue(x));
    return v;
}

// The last number of a matrix, read without turning packed numbers into cells.
double LastNumber(const CValueMatrix& m)
{
    const size_t n = (size_t)m.Rows() * m.Cols();
    if (const double* p = m.PackedData()) return p[n - 1];
    return m.Cell(m.Rows() - 1, m.Cols() - 1).Real();
}

// The element-wise operators and the reductions, on packed numbers and on
// cells (one Complex cell among them), end at the stop as refusals. On a
// variable's packed numbers an operator in place works aside: they stay.
TEST(LongFills, ElementWalksAndReductionsEndAtTheStop)
{
    CValue packed = PackedOf(1000, 1000, 3.0), other = PackedOf(1000, 1000, 2.0), wide = PackedOf(1, 1000000, 3.0);
    CValue cells = Counting(1000, 1000);
    cells.Matrix().Cell(0, 0).SetComplex(Complex{0.0, 1.0});
    std::vector<CValue> copies(6, cells);
    CValue packedCopy(packed);
    const CValue two(2.0);
    CCaptureStream cap;
    RaisedStop stop;
    const struct {
        const char* name;
        std::function<int()> call;
    } cases[] = {
        {"packed + scalar in place",
         [&] {
             CInPlaceAside variable;
             return MatrixAddScalar(packed.Matrix(), two);
         }},
        {"packed .* packed in place",
         [&] {
             CInPlaceAside variable;
             return MatrixElemMulMatrix(packed.Matrix(), other.Matrix());
         }},
        {"a value's own packed - scalar", [&] { return MatrixSubScalar(other.Matrix(), two); }},
        {"scalar - packed", [&] { CValueMatrix d; return ScalarSubMatrix(d, two, packed.Matrix()); }},
        {"packed > scalar aside",
         [&] { CValueMatrix d; return MatrixScalarCopy(d, packed.Matrix(), two, SCALAR_GT, ValueCompareGreater, false, nullptr); }},
        {"packed + packed aside",
         [&] { CValueMatrix d; return MatrixElementwiseCopy(d, packed.Matrix(), other.Matrix(), ELEM_ADD, nullptr); }},
        {"packed > scalar in place", [&] { return MatrixRelationalScalar(packedCopy.Matrix(), two, REL_GT); }},
        {"cumsum of packed", [&] { CValueMatrix d; return CValueMatrix::CumSum(packed.Matrix(), d); }},
        {"sum of packed columns", [&] { CValueMatrix d; return packed.Matrix().SumColumns(d); }},
        {"sum of a packed row", [&] { CValue d; return wide.Matrix().SumVector(d); }},
        {"cells + scalar in place", [&] { return MatrixAddScalar(copies[0].Matrix(), two); }},
        {"cells .* cells aside",
         [&] { CValueMatrix d; return MatrixElementwiseCopy(d, cells.Matrix(), cells.Matrix(), ELEM_MUL, nullptr); }},
        {"scalar - cells", [&] { CValueMatrix d; return ScalarSubMatrix(d, two, cells.Matrix()); }},
        {"cells + scalar aside",
         [&] { CValueMatrix d; return MatrixScalarCopy(d, cells.Matrix(), two, SCALAR_ADD, ValueAdd, false, nullptr); }},
        {"cells > scalar", [&] { return ValueCompareGreater(copies[1], two); }},
        {"cells & scalar", [&] { return ValueAnd(copies[2], two); }},
        {"-cells", [&] { return copies[3].Negate(); }},
        {"!cells", [&] { return copies[4].Not(); }},
        {"cells .^ scalar", [&] { return ValueArrayPower(copies[5], two); }},
        {"cumsum of cells", [&] { CValueMatrix d; return CValueMatrix::CumSum(cells.Matrix(), d); }},
        {"sum of cell columns", [&] { CValueMatrix d; return cells.Matrix().SumColumns(d); }},
    };
    for (const auto& c : cases) {
        const int st = c.call();
        // The unary operators succeed whatever their cells do: the note alone fails the statement.
        if (c.name[0] != '-' && c.name[0] != '!') EXPECT_NE(st, 0) << c.name;
        EXPECT_TRUE(TakeOutOfMemory()) << c.name;
    }
    // A variable's numbers, all of them, are as they were.
    if (const double* p = packed.Matrix().PackedData())
        EXPECT_TRUE(std::all_of(p, p + 1000000, [](double x) { return x == 3.0; }));
    EXPECT_EQ(LastNumber(packed.Matrix()), 3.0);
    EXPECT_TRUE(MaxOfMatrix(packed.Matrix())->IsEmpty());
    EXPECT_TRUE(TakeOutOfMemory());
    EXPECT_TRUE(MinOfMatrix(cells.Matrix())->IsEmpty());
    EXPECT_TRUE(TakeOutOfMemory());
    // Short walks finish before any block is full.
    CValue small = PackedOf(100, 100, 3.0);
    EXPECT_EQ(MatrixAddScalar(small.Matrix(), two), 0);
    EXPECT_EQ(LastNumber(small.Matrix()), 5.0);
    CValueMatrix sums;
    EXPECT_EQ(CValueMatrix::CumSum(small.Matrix(), sums), 0);
    EXPECT_EQ(LastNumber(sums), 500.0);
    EXPECT_EQ(MaxOfMatrix(small.Matrix())->Real(), 5.0);
    EXPECT_FALSE(TakeOutOfMemory());
    EXPECT_TRUE(cap.messages.empty()) << cap.messages.front();
}

// Statements whose long part is a walk over cells or a growth of one wide
// row: x keeps its value, and the stop is all that is said.
TEST(LongFills, StoppedWalksLeaveTheVariableAndReportOnlyTheStop)
{
    const struct {
        const char* start;
        const char* statement;
    } cases[] = {
        {"x = ones(1, 1000000) * 3;", "x[1, 4000000] = 1;"},
        {"x = ones(1000, 1000) * 3;", "x = x';"},
        {"x = ones(1000, 1000) * 3;", "x = x.';"},
        {"x = ones(1, 1000000) * 3;", "x = trans(x);"},
        {"x = ones(1000, 1000) * 3;", "x = hrzcat(x, x);"},
        {"x = ones(1, 1000000) * 3;", "x = vrtcat(x, x);"},
        {"x = ones(1000, 1000) * 3;", "x = triu(x, 0);"},
        {"x = ones(1000, 1000) * 3;", "x = tril(x, 0);"},
        {"x = ones(1000, 1000) * 3;", "x = find(x);"},
        {"x = ones(1000, 1000) * 3;", "x = dcol(x, 1);"},
        {"x = ones(1000, 1000) * 3;", "x = x^0;"},
        {"x = ones(1000, 1000) * 3;", "x = eye(1000);"},
        {"x = ones(1000, 1000) * 3;", "x = x[1..1000, 1..1000];"},
        {"x = ones(1, 1000000) * 3;", "x = x[1..1000000];"},
        // Element-wise operators, on packed numbers and, with one Complex
        // cell, on cells; the compound forms work on the variable itself.
        {"x = ones(1000, 1000) * 3;", "x = x + 1;"},
        {"x = ones(1000, 1000) * 3;", "x = x + x;"},
        {"x = ones(1000, 1000) * 3;", "x = x .* x - x;"},
        {"x = ones(1000, 1000) * 3;", "x = 2 - x;"},
        {"x = ones(1, 1000000) * 3;", "x = x ./ 2;"},
        {"x = ones(1000, 1000) * 3;", "x = x .^ 2;"},
        {"x = ones(1000, 1000) * 3;", "x = -x;"},
        {"x = ones(1000, 1000) * 3;", "x = !x;"},
        {"x = ones(1000, 1000) * 3;", "x = x > 1;"},
        {"x = ones(1000, 1000) * 3;", "x = x == x;"},
        {"x = ones(1000, 1000) * 3;", "x = x & x;"},
        {"x = ones(1000, 1000) * 3;", "x = x | 1;"},
        {"x = ones(1000, 1000) * 3;", "x += 1;"},
        {"x = ones(1000, 1000) * 3;", "x -= x;"},
        {"x = ones(1, 1000000) * 3;", "x *= 2;"},
        {"x = ones(1000, 1000) * 3;", "x /= 2;"},
        {"x = ones(1000, 1000) * 3;", "x++;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = x + 1;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = x .* x;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = 2 - x;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = x > 1;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x += 1;"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x *= 2;"},
        // Reductions and element functions.
        {"x = ones(1000, 1000) * 3;", "x = sum(x);"},
        {"x = ones(1, 1000000) * 3;", "x = sum(x);"},
        {"x = ones(1000, 1000) * 3;", "x = prod(x);"},
        {"x = ones(1000, 1000) * 3;", "x = cumsum(x);"},
        {"x = ones(1, 1000000) * 3;", "x = cumprod(x);"},
        {"x = ones(1000, 1000) * 3;", "x = max(x);"},
        {"x = ones(1, 1000000) * 3;", "x = min(x);"},
        {"x = ones(1000, 1000) * 3;", "x = exp(x);"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = sum(x);"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = cumsum(x);"},
        {"x = ones(1000, 1000) * 3; x[1, 1] = sqrt(-1);", "x = max(x);"},
    };
    RegisterBuiltinLibraries();
    for (const auto& c : cases) {
        GlobalVariables.Clear();
        StopAtStatement program(2);
        const ProgramRun r = RunProgramIn(program, std::string(c.start) + "\ny = 5;\n" + c.statement + "\n");
        EXPECT_EQ(r.messages, std::vector<std::string>{"Error: Program is stoped"}) << c.statement;
        const CVarSlot* x = program.FindVariable("x");
        ASSERT_TRUE(x && x->value && x->value->Type() == VT_MATRIX) << c.statement;
        const CValueMatrix& m = x->value->Matrix();
        EXPECT_EQ((int64_t)m.Rows() * m.Cols(), 1000000) << c.statement;
        // The first block too: what a walk in place would reach before its first look.
        EXPECT_EQ(m.Cell(0, 1).Real(), 3.0) << c.statement;
        EXPECT_EQ(m.Cell(m.Rows() - 1, m.Cols() - 1).Real(), 3.0) << c.statement;
    }
    GlobalVariables.Clear();
}

}  // namespace
