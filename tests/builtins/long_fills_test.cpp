// Long fills (random and filled matrices, ranges, growth by indexing, copies)
// and long walks over the cells of a matrix (transposes, joins, triangles,
// searches) end at the program's stop: nothing is kept, nothing is reported
// but the stop.
#include <gtest/gtest.h>

#include <atomic>

#include "builtins/matrix_builtins.h"
#include "builtins/libraries.h"
#include "interpreter/operator_builtins.h"
#include "interpreter/statements/program_harness.h"
#include "support/capture.h"
#include "values/stop_probe.h"
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
        EXPECT_EQ(m.Cell(m.Rows() - 1, m.Cols() - 1).Real(), 3.0) << c.statement;
    }
    GlobalVariables.Clear();
}

}  // namespace
