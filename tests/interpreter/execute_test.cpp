#include <gtest/gtest.h>
#include <pthread.h>

#include <climits>

#include "fake_statements.h"
#include "interpreter/stack_guard.h"
#include "support/capture.h"
#include "values/app_settings.h"

namespace {

struct DepthGuard {
    int saved = AppSettings::MaxCallDepth;
    ~DepthGuard() { AppSettings::MaxCallDepth = saved; }
};

// Adds a statement with a label id and a text offset.
CFakeStatement* Add(CStatementBlock& b, std::vector<std::string>& log, const char* name, int label = -1,
                    CFakeStatement::Body body = {})
{
    auto* st = new CFakeStatement(&b, &log, name, std::move(body));
    st->labelId = label;
    st->textStart = 100 + b.Count();
    b.Append(st);
    return st;
}

CFakeStatement::Body Returns(StatusWord s)
{
    return [s](CFakeStatement&) { return s; };
}

// Sets the pending label on the statement's context and asks for the jump.
CFakeStatement::Body GotoLabel(int label, int* times = nullptr, int limit = 1)
{
    return [label, times, limit](CFakeStatement& st) -> StatusWord {
        if (times && ++*times > limit) return 0;
        st.owner->Context()->pendingGotoLabel = label;
        return STATUS_GOTO;
    };
}

const CSourcePosition* PlaceOfLast(CCaptureStream& cap)
{
    COutputMessage* m = cap.CurrentMessage();
    return m ? dynamic_cast<const CSourcePosition*>(m->FindAttachment(2)) : nullptr;
}

TEST(ExecuteStatements, EmptyBlockCallsNoHook)
{
    CHostBlock host;
    EXPECT_EQ(ExecuteStatements(&host), 0);
    EXPECT_EQ(host.debugCalls + host.stopCalls + host.afterCalls, 0);
}

TEST(ExecuteStatements, ErrorIsReportedOnceWithItsPlace)
{
    CCaptureStream cap;
    std::vector<std::string> log;
    CHostBlock host;
    host.sourceName = "/tmp/prog.vdx";
    host.textBase = 7;
    Add(host, log, "a");
    Add(host, log, "b", -1, Returns(ERR_INVALID_OPERAND));
    Add(host, log, "c");
    StatusWord s = ExecuteStatements(&host);
    EXPECT_EQ(s, ERR_INVALID_OPERAND | STATUS_REPORTED);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(cap.messages, (std::vector<std::string>{"Error: Invalid operand"}));
    const CSourcePosition* pos = PlaceOfLast(cap);
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->name, "/tmp/prog.vdx");
    EXPECT_EQ(pos->base, 7);
    EXPECT_EQ(pos->offset, 101);
    EXPECT_EQ(host.activeCount, 0);
}

TEST(ExecuteStatements, NestedErrorReportedByInnermostBlockOnly)
{
    CCaptureStream cap;
    std::vector<std::string> log;
    CHostBlock host;
    CStatementBlock inner;
    inner.owner = &host;
    inner.sourceName = "inner";
    Add(inner, log, "i0", -1, Returns(ERR_UNDEFINED_VARIABLE));
    Add(host, log, "outer", -1, [&](CFakeStatement&) { return ExecuteStatements(&inner); });
    EXPECT_EQ(ExecuteStatements(&host), ERR_UNDEFINED_VARIABLE | STATUS_REPORTED);
    ASSERT_EQ(cap.messages, (std::vector<std::string>{"Error: Variable is not defined above"}));
    const CSourcePosition* pos = PlaceOfLast(cap);
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->name, "inner");
    EXPECT_EQ(pos->offset, 100);
}

TEST(ExecuteStatements, AlreadyReportedStatusIsNotReportedAgain)
{
    CCaptureStream cap;
    std::vector<std::string> log;
    CHostBlock host;
    Add(host, log, "a", -1, Returns(ERR_INTERNAL | STATUS_REPORTED));
    EXPECT_EQ(ExecuteStatements(&host), ERR_INTERNAL | STATUS_REPORTED);
    EXPECT_TRUE(cap.messages.empty());
}

TEST(ExecuteStatements, GotoForwardBackwardAndOutOfNestedBlock)
{
    std::vector<std::string> log;
    {
        // Forward: skips the statements between.
        CHostBlock host;
        Add(host, log, "a", -1, GotoLabel(5));
        Add(host, log, "b");
        Add(host, log, "c", 5);
        EXPECT_EQ(ExecuteStatements(&host), 0);
        EXPECT_EQ(log, (std::vector<std::string>{"a", "c"}));
        EXPECT_EQ(host.pendingGotoLabel, -1);
        // The jump itself does not call the after-statement hook.
        EXPECT_EQ(host.afterCalls, 1);
    }
    log.clear();
    {
        // Backward: loops back to the label twice.
        CHostBlock host;
        int times = 0;
        Add(host, log, "top", 3);
        Add(host, log, "jump", -1, GotoLabel(3, &times, 2));
        EXPECT_EQ(ExecuteStatements(&host), 0);
        EXPECT_EQ(log, (std::vector<std::string>{"top", "jump", "top", "jump", "top", "jump"}));
    }
    log.clear();
    {
        // Out of a nested block into the enclosing one.
        CHostBlock host;
        CStatementBlock inner;
        inner.owner = &host;
        Add(inner, log, "i0", -1, GotoLabel(9));
        Add(inner, log, "i1");
        Add(host, log, "loop", -1, [&](CFakeStatement&) { return ExecuteStatements(&inner); });
        Add(host, log, "skipped");
        Add(host, log, "target", 9);
        EXPECT_EQ(ExecuteStatements(&host), 0);
        EXPECT_EQ(log, (std::vector<std::string>{"loop", "i0", "target"}));
        EXPECT_EQ(inner.activeCount, 0);
    }
    log.clear();
    {
        // A label that exists nowhere leaves the main block with the flag set.
        CCaptureStream cap;
        CHostBlock host;
        Add(host, log, "a", -1, GotoLabel(42));
        Add(host, log, "b");
        EXPECT_EQ(ExecuteStatements(&host), STATUS_GOTO);
        EXPECT_EQ(host.pendingGotoLabel, 42);
        EXPECT_EQ(host.activeCount, 0);
        EXPECT_TRUE(cap.messages.empty());
    }
}

TEST(ExecuteStatements, FlowFlagsLeaveWithoutReport)
{
    CCaptureStream cap;
    for (StatusWord flag : {STATUS_RETURN, STATUS_BREAK, STATUS_CONTINUE}) {
        std::vector<std::string> log;
        CHostBlock host;
        CStatementBlock inner;
        inner.owner = &host;
        Add(inner, log, "i0", -1, Returns(flag));
        Add(inner, log, "i1");
        Add(host, log, "run", -1, [&](CFakeStatement&) { return ExecuteStatements(&inner); });
        Add(host, log, "after");
        EXPECT_EQ(ExecuteStatements(&host), flag);
        EXPECT_EQ(log, (std::vector<std::string>{"run", "i0"}));
        EXPECT_EQ(inner.activeCount + host.activeCount, 0);
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST(ExecuteStatements, StopIsCheckedAfterASkippedStatement)
{
    CCaptureStream cap;
    std::vector<std::string> log;
    CHostBlock host;
    host.skip = {0};
    host.stopAfter = 0;  // stop requested at the first check
    Add(host, log, "skipped");
    Add(host, log, "never");
    EXPECT_EQ(ExecuteStatements(&host), ERR_STOPPED | STATUS_REPORTED);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(host.afterCalls, 1);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Program is stoped"}));
}

TEST(ExecuteStatements, SkippedStatementMovesOnAndRerunRepeats)
{
    std::vector<std::string> log;
    CHostBlock host;
    host.skip = {1};
    host.rerunFirst = true;
    Add(host, log, "a");
    Add(host, log, "b");
    Add(host, log, "c");
    EXPECT_EQ(ExecuteStatements(&host), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "a", "c"}));
    EXPECT_EQ(host.stopCalls, 4);
    EXPECT_EQ(host.afterCalls, 4);
}

TEST(ExecuteStatements, NestedBlockUsesItsOwnersHooks)
{
    std::vector<std::string> log;
    CHostBlock host;
    CHostBlock inner;  // its own hooks must stay silent
    inner.owner = &host;
    Add(inner, log, "i0");
    Add(inner, log, "i1");
    Add(host, log, "run", -1, [&](CFakeStatement&) { return ExecuteStatements(&inner); });
    EXPECT_EQ(ExecuteStatements(&host), 0);
    EXPECT_EQ(inner.debugCalls + inner.stopCalls + inner.afterCalls, 0);
    EXPECT_EQ(host.debugCalls, 3);
}

TEST(ExecuteStatements, ActivationBeyondTheLimitGives53)
{
    CCaptureStream cap;
    DepthGuard guard;
    AppSettings::MaxCallDepth = 200;
    CHostBlock host;
    int depth = 0, deepest = 0;
    std::vector<std::string> log;
    Add(host, log, "recurse", -1, [&](CFakeStatement&) {
        deepest = std::max(deepest, ++depth);
        StatusWord s = ExecuteStatements(&host);
        --depth;
        return s;
    });
    EXPECT_EQ(ExecuteStatements(&host), ERR_STACK_OVERFLOW | STATUS_REPORTED);
    EXPECT_EQ(deepest, 201);
    EXPECT_EQ(host.activeCount, 0);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Stack overflow. Please check a recursive functions calls"}));
}

// Two blocks calling each other without end; only the native stack limits them.
void* MutualRecursion(void* arg)
{
    auto* result = static_cast<StatusWord*>(arg);
    CHostBlock a;
    CStatementBlock b;
    b.owner = &a;
    std::vector<std::string>* noLog = nullptr;
    a.Append(new CFakeStatement(&a, noLog, "a", [&](CFakeStatement&) { return ExecuteStatements(&b); }));
    b.Append(new CFakeStatement(&b, noLog, "b", [&](CFakeStatement&) { return ExecuteStatements(&a); }));
    *result = ExecuteStatements(&a);
    if (a.activeCount || b.activeCount) *result = -1;
    return nullptr;
}

TEST(ExecuteStatements, NativeStackGuardStopsDeepMutualRecursion)
{
    CCaptureStream cap;
    DepthGuard guard;
    AppSettings::MaxCallDepth = INT_MAX;
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 2 * 1024 * 1024);
    StatusWord result = 0;
    pthread_t t;
    ASSERT_EQ(pthread_create(&t, &attr, MutualRecursion, &result), 0);
    pthread_join(t, nullptr);
    pthread_attr_destroy(&attr);
    EXPECT_EQ(result, ERR_STACK_OVERFLOW | STATUS_REPORTED);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Stack overflow. Please check a recursive functions calls"}));
}

TEST(StackGuard, PlentyOfRoomAtTheTopOfAThread)
{
    EXPECT_EQ(CheckStackSpace(), 0);
    EXPECT_GT(NativeStackRemaining(), NativeStackReserve());
}

}  // namespace
