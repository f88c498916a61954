#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "fake_statements.h"
#include "interpreter/func_records.h"
#include "interpreter/program.h"
#include "interpreter/scope_blocks.h"
#include "support/capture.h"
#include "values/app_settings.h"

namespace {

// A program whose breaks are reported to the test, which then drives the
// debugger as the IDE would.
class CTestProgram : public CProgram {
public:
    std::vector<std::string> log;
    std::set<const CStatement*> breakpoints;
    std::atomic<bool> finished{false};

    ~CTestProgram() override { StopThread(); }

    bool IsBreakpoint(CStatement* st) override
    {
        ++breakpointQuestions;
        return breakpoints.count(st) != 0;
    }
    int OnBreak(CStatement* st) override
    {
        {
            std::lock_guard<std::mutex> g(m);
            breaks.push_back({NameOf(st), FrameCount()});
        }
        cv.notify_all();
        return WaitResume();
    }
    StatusWord Run() override
    {
        StatusWord s = CProgram::Run();
        finished = true;
        return s;
    }

    // The next break, as {statement name, call depth}.
    std::pair<std::string, int> NextBreak()
    {
        std::unique_lock<std::mutex> l(m);
        cv.wait(l, [&] { return !breaks.empty(); });
        auto b = breaks.front();
        breaks.pop_front();
        return b;
    }
    // Waits for the end of the run; its exit code.
    DWORD Finish()
    {
        WaitForSingleObject(thread, INFINITE);
        return StopThread();
    }

    std::map<const CStatement*, std::string> names;
    std::atomic<int> breakpointQuestions{0};

private:
    std::string NameOf(const CStatement* st) { return names.count(st) ? names[st] : "?"; }
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::pair<std::string, int>> breaks;
};

CFakeStatement* Add(CTestProgram& p, CStatementBlock& b, const std::string& name, CFakeStatement::Body body = {})
{
    auto* st = new CFakeStatement(&b, &p.log, name, std::move(body));
    st->textStart = 10 * (b.Count() + 1);
    b.Append(st);
    p.names[st] = name;
    return st;
}

// A user-function call as the call path makes it: frame in, body, frame out.
CFakeStatement::Body Call(CStatementBlock* function)
{
    return [function](CFakeStatement& st) -> StatusWord {
        CStatementBlock* root = st.owner->Context();
        root->OnEnterUserFunction(function, nullptr, 0);
        StatusWord s = ExecuteStatements(function);
        root->OnLeaveFunction();
        return s;
    };
}

// Jumps to its own label for ever, counting its passes.
CFakeStatement::Body Forever(std::atomic<long>* passes)
{
    return [passes](CFakeStatement& st) -> StatusWord {
        ++*passes;
        st.owner->Context()->pendingGotoLabel = st.labelId;
        return STATUS_GOTO;
    };
}

void WaitUntil(const std::function<bool()>& cond)
{
    while (!cond()) std::this_thread::yield();
}

TEST(Program, RunReportsControlFlowLeftAtTheTop)
{
    struct Case {
        StatusWord last;
        const char* message;  // null: none
    };
    const Case cases[] = {
        {0, nullptr},
        {STATUS_RETURN, nullptr},
        {STATUS_BREAK, "Error: Invalid break statement"},
        {STATUS_CONTINUE, "Error: Invalid continue statement"},
        {STATUS_GOTO, "Error: Invalid goto statement"},
        {STATUS_BREAK | STATUS_GOTO, "Error: Invalid break statement"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.last);
        CCaptureStream cap;
        CTestProgram p;
        p.sourceName = "/tmp/prog.vdx";
        StatusWord last = c.last;
        Add(p, p, "a");
        Add(p, p, "b", [last](CFakeStatement& st) -> StatusWord {
            if (last & STATUS_GOTO) st.owner->Context()->pendingGotoLabel = 77;  // nowhere
            return last;
        });
        ASSERT_TRUE(p.StartThread());
        EXPECT_EQ(p.Finish(), (DWORD)last);
        EXPECT_EQ(p.log, (std::vector<std::string>{"a", "b"}));
        if (!c.message) {
            EXPECT_TRUE(cap.messages.empty());
            continue;
        }
        ASSERT_EQ(cap.messages, std::vector<std::string>{c.message});
        // The place is that of the last statement the hook saw.
        auto* pos = dynamic_cast<const CSourcePosition*>(cap.CurrentMessage()->FindAttachment(2));
        ASSERT_NE(pos, nullptr);
        EXPECT_EQ(pos->offset, 20);
        EXPECT_EQ(pos->name, "/tmp/prog.vdx");
    }
}

TEST(Program, EndlessLoopIsStopped)
{
    CCaptureStream cap;
    CTestProgram p;
    std::atomic<long> passes{0};
    Add(p, p, "start");
    Add(p, p, "loop", Forever(&passes))->labelId = 3;
    ASSERT_TRUE(p.StartThread());
    WaitUntil([&] { return passes > 1000; });
    DWORD code = p.StopThread();
    EXPECT_EQ(StatusCode((StatusWord)code), ERR_STOPPED);
    EXPECT_EQ(p.thread, nullptr);
    EXPECT_TRUE(p.finished);
    EXPECT_FALSE(p.IsAbandoned());
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Program is stoped"});
}

TEST(Program, StopWhilePausedResumesFirst)
{
    CCaptureStream cap;
    CTestProgram p;
    std::atomic<long> passes{0};
    Add(p, p, "loop", Forever(&passes))->labelId = 1;
    ASSERT_TRUE(p.StartThread());
    WaitUntil([&] { return passes > 10; });
    p.SuspendThread();
    EXPECT_EQ(p.suspended, 1);
    EXPECT_EQ(StatusCode((StatusWord)p.StopThread()), ERR_STOPPED);
    EXPECT_EQ(p.suspended, 0);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Program is stoped"});
}

TEST(Program, StopEndsAPauseAtOnce)
{
    CCaptureStream cap;
    CTestProgram p;
    std::atomic<int> inPause{0}, result{-1};
    Add(p, p, "pause", [&](CFakeStatement& st) -> StatusWord {
        inPause = 1;
        result = st.owner->Context()->WaitPause(3600 * 1000);
        return 0;
    });
    Add(p, p, "after");
    ASSERT_TRUE(p.StartThread());
    WaitUntil([&] { return inPause == 1; });
    EXPECT_EQ(StatusCode((StatusWord)p.StopThread()), ERR_STOPPED);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(p.log, std::vector<std::string>{"pause"});
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Program is stoped"});
}

TEST(Program, PauseRunsOutWithoutAStop)
{
    CTestProgram p;
    EXPECT_EQ(p.WaitPause(1), 1);
    EXPECT_EQ(p.WaitPause(0), 1);
}

TEST(Program, StopWithoutThreadChangesNothing)
{
    CTestProgram p;
    EXPECT_EQ(p.StopThread(), 0u);
    EXPECT_EQ(p.stopRequested, 0);
    EXPECT_EQ(p.thread, nullptr);
}

TEST(Program, UnresponsiveThreadIsAbandonedNotKilled)
{
    CCaptureStream cap;
    CTestProgram p;
    std::atomic<bool> entered{false}, release{false};
    Add(p, p, "stuck", [&](CFakeStatement&) -> StatusWord {
        entered = true;
        WaitUntil([&] { return release.load(); });
        return 0;
    });
    ASSERT_TRUE(p.StartThread());
    WaitUntil([&] { return entered.load(); });
    p.AbandonStop();
    EXPECT_EQ(p.StopThread(), (DWORD)-1);
    EXPECT_TRUE(p.IsAbandoned());
    EXPECT_FALSE(p.finished);
    // It was left running, not killed: it still ends by itself.
    release = true;
    WaitUntil([&] { return p.finished.load(); });
}

TEST(Program, StepOverFromInsideAFunctionBreaksAtTheCaller)
{
    CTestProgram p;
    CStatementBlock f;
    f.owner = &p;
    Add(p, p, "s0");
    Add(p, p, "call", Call(&f));
    Add(p, p, "s2");
    Add(p, f, "f0");
    Add(p, f, "f1");
    p.debugging = 1;
    ASSERT_TRUE(p.StartThread());

    using B = std::pair<std::string, int>;
    // Started in step mode: the first statement breaks.
    EXPECT_EQ(p.NextBreak(), B("s0", 1));
    p.StepInto();
    EXPECT_EQ(p.NextBreak(), B("call", 1));
    p.StepInto();
    EXPECT_EQ(p.NextBreak(), B("f0", 2));
    p.StepOver();
    EXPECT_EQ(p.NextBreak(), B("f1", 2));
    p.StepOver();
    EXPECT_EQ(p.NextBreak(), B("s2", 1));
    p.RunToBreakpoint();
    EXPECT_EQ(p.Finish(), 0u);
    EXPECT_EQ(p.log, (std::vector<std::string>{"s0", "call", "f0", "f1", "s2"}));
    EXPECT_EQ(p.FrameCount(), 0);
}

TEST(Program, StepOverPassesOverACall)
{
    CTestProgram p;
    CStatementBlock f;
    f.owner = &p;
    Add(p, p, "s0");
    Add(p, p, "call", Call(&f));
    Add(p, p, "s2");
    Add(p, f, "f0");
    p.debugging = 1;
    ASSERT_TRUE(p.StartThread());
    using B = std::pair<std::string, int>;
    EXPECT_EQ(p.NextBreak(), B("s0", 1));
    p.StepOver();
    EXPECT_EQ(p.NextBreak(), B("call", 1));
    p.StepOver();
    EXPECT_EQ(p.NextBreak(), B("s2", 1));
    p.StepOver();
    EXPECT_EQ(p.Finish(), 0u);
}

TEST(Program, BreakpointsAndRunToLine)
{
    CTestProgram p;
    CStatementBlock f;
    f.owner = &p;
    Add(p, p, "s0");
    Add(p, p, "call", Call(&f));
    CFakeStatement* s2 = Add(p, p, "s2");
    Add(p, p, "s3");
    Add(p, f, "f0");
    CFakeStatement* f1 = Add(p, f, "f1");
    s2->spanStart = 30;
    s2->spanEnd = 40;
    p.breakpoints.insert(f1);
    p.debugging = 1;
    ASSERT_TRUE(p.StartThread());
    using B = std::pair<std::string, int>;
    EXPECT_EQ(p.NextBreak(), B("s0", 1));
    // Only the breakpoint stops: no span holds -1.
    p.RunToBreakpoint();
    EXPECT_EQ(p.NextBreak(), B("f1", 2));
    p.RunToLine(35);
    EXPECT_EQ(p.NextBreak(), B("s2", 1));
    p.RunToBreakpoint();
    EXPECT_EQ(p.Finish(), 0u);
    EXPECT_EQ(p.log, (std::vector<std::string>{"s0", "call", "f0", "f1", "s2", "s3"}));
}

TEST(Program, StopAtABreakSkipsTheStatement)
{
    CCaptureStream cap;
    CTestProgram p;
    Add(p, p, "s0");
    Add(p, p, "s1");
    p.debugging = 1;
    ASSERT_TRUE(p.StartThread());
    EXPECT_EQ(p.NextBreak().first, "s0");
    EXPECT_EQ(StatusCode((StatusWord)p.StopThread()), ERR_STOPPED);
    EXPECT_TRUE(p.log.empty());
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Program is stoped"});
}

TEST(Program, NoBreaksWithoutTheDebugger)
{
    CTestProgram p;
    Add(p, p, "s0");
    p.breakpoints.insert(p.statements[0]);
    ASSERT_TRUE(p.StartThread());
    EXPECT_EQ(p.Finish(), 0u);
    EXPECT_EQ(p.breakpointQuestions, 0);
    EXPECT_EQ(p.FrameCount(), 0);
}

TEST(Program, CallStackFrames)
{
    CTestProgram p;
    CStatementBlock f;
    CFakeStatement* st = Add(p, p, "s0");
    FuncEntry entry = {};

    // Without the debugger the hooks keep nothing.
    EXPECT_EQ(p.OnEnterUserFunction(&p, nullptr, 0), 0);
    EXPECT_EQ(p.OnEnterBuiltin(&entry), 0);
    EXPECT_EQ(p.FrameCount(), 0);

    p.debugging = 1;
    EXPECT_EQ(p.OnEnterUserFunction(&p, nullptr, 0), 1);
    p.currentStatement = st;
    EXPECT_EQ(p.OnEnterUserFunction(&f, nullptr, 0), 2);
    EXPECT_EQ(p.frames[0]->currentStatement, st);
    ASSERT_NE(p.frames[1]->evalBlock, nullptr);
    EXPECT_EQ(p.frames[1]->evalBlock->owner, &f);

    // A recursive call: the outer activation's values are the saved ones.
    CSavedValue saved[2] = {};
    EXPECT_EQ(p.OnEnterUserFunction(&f, saved, 2), 3);
    EXPECT_EQ(p.frames[1]->evalBlock->savedValues, saved);
    EXPECT_EQ(p.frames[1]->evalBlock->savedCount, 2);
    EXPECT_EQ(p.frames[2]->evalBlock->savedValues, nullptr);

    EXPECT_EQ(p.OnEnterBuiltin(&entry), 4);
    EXPECT_TRUE(p.frames[3]->builtin);
    EXPECT_EQ(p.frames[3]->function, &entry);
    EXPECT_EQ(p.frames[3]->evalBlock, nullptr);

    EXPECT_EQ(p.OnLeaveFunction(), 3);
    EXPECT_EQ(p.frames[2]->currentStatement, nullptr);
    EXPECT_EQ(p.OnLeaveFunction(), 2);
    EXPECT_EQ(p.frames[1]->evalBlock->savedValues, nullptr);
    EXPECT_EQ(p.frames[1]->evalBlock->savedCount, 0);
    EXPECT_EQ(p.OnLeaveFunction(), 1);
    EXPECT_EQ(p.OnLeaveFunction(), 0);
    EXPECT_EQ(p.OnLeaveFunction(), 0);
}

TEST(Program, ScopeBlocksAndPointerClassifier)
{
    CVarSlot* slot;
    {
        CTestProgram p;
        EXPECT_TRUE(ScopeBlocks.Contains(&p));
        EXPECT_EQ(p.GetKind(), 3);
        slot = p.AddVariable("x", true);
        EXPECT_EQ(ClassifyPointer(slot), PTR_VARIABLE);
    }
    EXPECT_EQ(ScopeBlocks.Snapshot().size(), 0u);
}

TEST(Program, ThreadStackIsLarge)
{
    int saved = AppSettings::StackSize;
    AppSettings::StackSize = 1048576;
    EXPECT_EQ(ProgramThreadStackSize(), 64u << 20);
    AppSettings::StackSize = 200 << 20;
    EXPECT_EQ(ProgramThreadStackSize(), 200u << 20);
    AppSettings::StackSize = -5;
    EXPECT_EQ(ProgramThreadStackSize(), 64u << 20);
    AppSettings::StackSize = saved;
}

}  // namespace
