// The readers of nested values may be entered with little native stack left
// (a constant deep inside a nested program, a file read deep in recursion):
// deep input then fails with the reader's error instead of overflowing.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "support/capture.h"
#include "values/byte_stream.h"
#include "values/stack_guard.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

namespace {

// Recurses until only a little more than the guard's reserve is left, then runs f.
__attribute__((noinline)) void WithLowStack(const std::function<void()>& f, volatile char* pad = nullptr)
{
    volatile char frame[4096];
    frame[0] = pad ? pad[0] : 0;
    if (NativeStackRemaining() > NativeStackReserve() + 64 * 1024)
        WithLowStack(f, frame);
    else
        f();
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(LowStack, TextReaderFailsWithItsError)
{
    ASSERT_LT(NativeStackRemaining(), (size_t)1 << 40) << "stack bounds unknown";
    struct Case {
        std::string text;
        const char* error;
    } cases[] = {
        {Repeat("{a=", MaxReadNesting - 1) + "1" + Repeat("}", MaxReadNesting - 1), "Error: Invalid struct"},
        {Repeat("[", MaxReadNesting - 1) + "1" + Repeat("]", MaxReadNesting - 1), "Error: Invalid matrix"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> messages;
        bool failed = false;
        WithLowStack([&] {
            CCaptureStream cap;
            std::istringstream is(c.text);
            CValue v;
            ReadValue(is, v);
            failed = is.fail();
            messages = cap.messages;
        });
        EXPECT_TRUE(failed) << c.error;
        ASSERT_FALSE(messages.empty()) << c.error;
        EXPECT_EQ(messages.back(), c.error);
    }
}

TEST(LowStack, RecordReaderFails)
{
    // A record of matrices nested almost to the limit, written with plenty of stack.
    CValue v(1.0);
    for (int i = 0; i < MAX_STREAM_NESTING - 1; ++i) {
        CValue outer;
        outer.MakeMatrix(1, 1).Cell(0, 0) = std::move(v);
        v = std::move(outer);
    }
    CMemStream m;
    WriteValueToStream(m, v);
    ASSERT_FALSE(m.Fail());
    bool failed = false;
    WithLowStack([&] {
        CMemStream in;
        in.Attach(m.Data(), (size_t)m.m_length);
        CValue back;
        ReadValueFromStream(in, back);
        failed = in.Fail();
    });
    EXPECT_TRUE(failed);
}
