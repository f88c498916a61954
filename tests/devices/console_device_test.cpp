// The console statements in the IDE: requests to the console device (the fake
// device stands in and logs every request) and the mirror in the message stream.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "devices/console_statements.h"
#include "devices/device_manager.h"
#include "interpreter/translator.h"
#include "support/capture.h"
#include "support/device_run.h"
#include "values/app_settings.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kWarning = "Warning: Failed to read parameter from the console";

// Runs the text with the fake console reading the scripted inputs; the break
// notices of the stop at the end are left out.
DeviceProgramRun RunConsole(const std::string& text, const char* inputs = "")
{
    SetBatchConsole(false);
    setenv("FAKE_DEVICE", (std::string("inputs=") + inputs).c_str(), 1);
    DeviceProgramRun r = RunProgramWithDevices(text);
    unsetenv("FAKE_DEVICE");
    EXPECT_TRUE(r.finished) << text;
    Lines kept;
    for (const std::string& m : r.messages)
        if (m != "Nerithx.so 0x81B") kept.push_back(m);
    r.messages = kept;
    return r;
}

// Releases the console devices on every way out of a test.
struct ReleaseGuard {
    ~ReleaseGuard() { ConsoleDeviceManager().Release(); }
};

// Restores the two console settings.
struct SettingsGuard {
    bool mirror = AppSettings::UseAsConsole, send = AppSettings::ConsoleSendBatch;
    ~SettingsGuard()
    {
        AppSettings::UseAsConsole = mirror;
        AppSettings::ConsoleSendBatch = send;
    }
};

TEST(ConsoleDevice, RequestsAndMirror)
{
    DeviceProgramRun r = RunConsole(
        "X = 1; Y = 9; print :Color=\"red\", :bd, \"a\", 2; print #A \"h\"; input \"n? \", $X, $Y; print X, Y; input #A;",
        "5|!");
    EXPECT_EQ(r.messages, (Lines{
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{Color=\"red\", bd=UNK} \"a\" {} 2]",
                              "a2",
                              "Nerithx.so 0x8BE title=\"A\" items=[{} \"h\"]",
                              "h",
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} \"n? \" {} $ {} $]",
                              kWarning,
                              "n? 5INVALID",
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} 5 {} 9]",
                              "59",
                              // no items: the request goes for the title, and no mirror follows
                              "Nerithx.so 0x8BE title=\"A\" items=[]",
                          }));
    EXPECT_EQ(r.exitCode, 0u);
}

TEST(ConsoleDevice, CancelledInputKeepsTheOldValues)
{
    DeviceProgramRun r = RunConsole("X = 1; Y = 2; input $X, $Y; print X, Y;", "!|!");
    EXPECT_EQ(r.messages, (Lines{
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} $ {} $]",
                              kWarning,
                              kWarning,
                              "INVALIDINVALID",
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} 1 {} 2]",
                              "12",
                          }));
}

TEST(ConsoleDevice, HandlelessStatementsShareOneWindow)
{
    // The handle variables hold their windows' ids.
    DeviceProgramRun r =
        RunConsole("print 1; print DEFAULT_CONSOLE; print #A 2; print #A A; print DEFAULT_CONSOLE;");
    ASSERT_EQ(r.messages.size(), 10u) << ::testing::PrintToString(r.messages);
    const std::string first = r.messages[3], a = r.messages[7], again = r.messages[9];
    EXPECT_EQ(first.substr(0, 1), "#");
    EXPECT_EQ(first, again);
    EXPECT_NE(first, a);
}

TEST(ConsoleDevice, MirrorOffLeavesTheStreamAlone)
{
    SettingsGuard g;
    AppSettings::UseAsConsole = false;
    DeviceProgramRun r = RunConsole("print 1; clc; input $X;", "7");
    EXPECT_EQ(r.messages, (Lines{
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} 1]",
                              "Nerithx.so 0x8C0 title=\"DEFAULT_CONSOLE\"",
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} $]",
                          }));
    EXPECT_EQ(r.clears, 0);
}

TEST(ConsoleDevice, BatchOffOpensTheWindowAndSendsNothing)
{
    SettingsGuard g;
    AppSettings::ConsoleSendBatch = false;
    DeviceProgramRun r = RunConsole("X = 3; input \"x? \", $X; print X; Y = isempty(DEFAULT_CONSOLE); Y;", "7");
    EXPECT_EQ(r.messages, (Lines{"x? 3", "3", "0"}));
}

TEST(ConsoleDevice, ClcClearsTheDeviceAndTheStream)
{
    DeviceProgramRun r = RunConsole("print 1; clc #B;");
    EXPECT_EQ(r.messages, (Lines{
                              "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} 1]",
                              "1",
                              "Nerithx.so 0x8C0 title=\"B\"",
                          }));
    EXPECT_EQ(r.clears, 1);
}

// A context whose program has been asked to stop.
class CStoppedProgram : public CStatementBlock {
public:
    int IsStopRequested() override { return 1; }
};

TEST(ConsoleDevice, StopBeforeAnInputRequestSendsNothing)
{
    UseFakeDevices();
    SetBatchConsole(false);
    setenv("FAKE_DEVICE", "inputs=7", 1);
    CCaptureStream cap;
    ReleaseGuard release;
    {
        CStoppedProgram program;
        std::istringstream in("X = 4; print \"p\"; input \"q\", $X; print X;");
        ASSERT_EQ(TranslateBlock(&program, in), 0);
        // Statement by statement: the run loop would end at the first stop check.
        for (CStatement* st : program.statements) {
            CValue scratch;
            EXPECT_EQ(st->Execute(&scratch), 0);
        }
    }
    unsetenv("FAKE_DEVICE");
    EXPECT_EQ(cap.messages, (Lines{
                                "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} \"p\"]",
                                "p",
                                kWarning,
                                "qINVALID",
                                "Nerithx.so 0x8BE title=\"DEFAULT_CONSOLE\" items=[{} 4]",
                                "4",
                            }));
}

}  // namespace
