// The plot statements end to end against the fake plot device: windows by
// handle, the shared block's life, and what a failed command leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "devices/device_manager.h"
#include "devices/plot_statements.h"
#include "interpreter/statements/program_harness.h"
#include "interpreter/var_table.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "support/device_run.h"
#include "values/identifier_ids.h"

namespace {

int CountStarting(const std::vector<std::string>& messages, const std::string& prefix)
{
    return (int)std::count_if(messages.begin(), messages.end(),
                              [&](const std::string& m) { return m.rfind(prefix, 0) == 0; });
}

const char* const kData = "Quorrax.so 0x8BC ";

// Statements translated once and executed one at a time on this thread, which
// serves the device's sends while it waits. The capture outlives the devices:
// they write to the stream they were bound with.
class DirectRun {
public:
    DirectRun(const std::string& text)
    {
        UseFakeDevices();
        std::istringstream in(text);
        translated = TranslateBlock(&program, in);
    }
    ~DirectRun() { PlotDeviceManager().Release(); }
    StatusWord Run(int index)
    {
        CValue scratch;
        return program.At(index)->Execute(&scratch) & STATUS_CODE_MASK;
    }
    CCaptureStream cap;
    CTestProgram program;
    StatusWord translated = 0;
};

TEST(PlotDevice, AFailedPlot2dLeavesNoBlockBehind)
{
    DirectRun run("plot2d #F ([1,\"a\"],[1,2]); plot2d #F (1,2); plot2d (1,2); plot2d (1,2);");
    ASSERT_EQ(run.translated, 0);
    // 72 while the points are written: the block exists at that moment.
    EXPECT_EQ(run.Run(0), ERR_REAL_ELEMENTS);
    EXPECT_EQ(run.Run(1), 0);
    EXPECT_EQ(CountStarting(run.cap.messages, kData), 1) << ::testing::PrintToString(run.cap.messages);
    // No window: the device thread ends without one.
    SetFakeDevice("Quorrax.so", "nowindow", "1");
    EXPECT_EQ(run.Run(2), ERR_INTERNAL);
    SetFakeDevice("Quorrax.so", "nowindow", "0");
    EXPECT_EQ(run.Run(3), 0);
    EXPECT_EQ(CountStarting(run.cap.messages, kData), 2) << ::testing::PrintToString(run.cap.messages);
    EXPECT_EQ(CountStarting(run.cap.messages, "Error: "), 1) << ::testing::PrintToString(run.cap.messages);
}

TEST(PlotDevice, HandlesShareWindowsAndHandleLessStatementsOpenNewOnes)
{
    DirectRun run("plot2d #F (1,2); setplot #F a=1; plot2d (1,2); plot2d (1,2);");
    ASSERT_EQ(run.translated, 0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(run.Run(i), 0);
    EXPECT_EQ(PlotDeviceManager().DeviceCount(), 3);
}

TEST(PlotDevice, Plot2dSeriesWithAndWithoutCommasSendTheSameBlock)
{
    DeviceProgramRun a = RunProgramWithDevices("plot2d #F (1,2)(3,4) color=1;");
    DeviceProgramRun b = RunProgramWithDevices("plot2d #F (1,2), (3,4), color=1;");
    ASSERT_EQ(CountStarting(a.messages, kData), 1);
    EXPECT_EQ(a.messages, b.messages);
}

TEST(PlotDevice, AHandleOfAClosedWindowReconnectsByNameWithANewId)
{
    DirectRun run("plot2d #F (1,2); plot (3,4);");
    ASSERT_EQ(run.translated, 0);
    ASSERT_EQ(run.Run(0), 0);
    CVarSlot* f = run.program.Vars()->Find("F");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->value->Type(), (uint32_t)VT_IDENTIFIER);
    uint32_t first = f->value->Word();
    HWND window = WindowOfIdentifierId(first);
    ASSERT_TRUE(IsWindow(window));

    // The user closes the window.
    PostMessage(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 500 && IsWindow(window); ++i) Sleep(10);
    ASSERT_FALSE(IsWindow(window));

    ASSERT_EQ(run.Run(0), 0);
    ASSERT_EQ(f->value->Type(), (uint32_t)VT_IDENTIFIER);
    EXPECT_NE(f->value->Word(), first);
    EXPECT_TRUE(IsWindow(WindowOfIdentifierId(f->value->Word())));
    EXPECT_EQ(PlotDeviceManager().DeviceCount(), 1);  // the same connection
    EXPECT_EQ(CountStarting(run.cap.messages, kData), 2) << ::testing::PrintToString(run.cap.messages);
}

TEST(PlotDevice, FcloseOfAPlotHandleClosesNoFile)
{
    std::string path = FakeDeviceFolder() + "/../plot_fclose.txt";
    DeviceProgramRun r = RunProgramWithDevices("g = fopen(\"" + path +
                                               "\", 1); plot2d #F (1,2); r = fclose(F); r; c = fclose(g); c;");
    ASSERT_TRUE(r.finished) << r.translated << ::testing::PrintToString(r.messages);
    std::vector<std::string> expected = {
        "Quorrax.so 0x8BC w=49 l=0 block=0100000046ffffffffffffffffffffffff00000000010000000100000000000000"
        "0000f03f000000000000004000000000",
        "0",  // F names no file
        "1",  // the file was still open
        "Quorrax.so 0x81B",
    };
    EXPECT_EQ(r.messages, expected);
    std::remove(path.c_str());
}

TEST(PlotDevice, WithoutALibraryTheFirstDeviceStatementFailsWithTheLoadMessage)
{
    DirectRun run("posplot 1,1; dimplot #F 1,1;");
    ASSERT_EQ(run.translated, 0);
    std::string saved = AppSettings::PlotDeviceLibrary;
    AppSettings::PlotDeviceLibrary = "nosuch.so";
    EXPECT_EQ(run.Run(0), 0);
    EXPECT_EQ(run.Run(1), ERR_INTERNAL);
    AppSettings::PlotDeviceLibrary = saved;
    ASSERT_EQ(run.cap.messages.size(), 1u) << ::testing::PrintToString(run.cap.messages);
    EXPECT_EQ(run.cap.messages[0].rfind("Error: Failed to load the nosuch.so module (", 0), 0u);
    // The block of the failed command is gone: the next one is made.
    EXPECT_EQ(run.Run(1), 0);
}

// Opens the block path of the statements to the test.
class CBlockProbe : public CNamedPlotStatement {
public:
    explicit CBlockProbe(CStatementBlock* owner) : CNamedPlotStatement(owner) {}
    StatusWord Translate(std::istream&) override { return 0; }
    StatusWord Execute(CValue*) override { return 0; }
    using CPlotStatementBase::SendBlock;
};

TEST(PlotDevice, BlocksPast32BitSizesAreRefusedBeforeAnythingIsMade)
{
    UseFakeDevices();
    CCaptureStream cap;
    CTestProgram program;
    CBlockProbe probe(&program);
    bool written = false;
    auto write = [&](CPlotBlockWriter&) {
        written = true;
        return StatusWord(0);
    };
    EXPECT_EQ(probe.SendBlock((uint64_t)UINT32_MAX + 1, WM_PLOT_SET, 0, 0, write), ERR_EXTERNAL_BUFFER);
    EXPECT_FALSE(written);
    EXPECT_EQ(PlotDeviceManager().DeviceCount(), 0);
    EXPECT_TRUE(cap.messages.empty());

    // A writer that fails gives its status, and the block is gone again.
    auto failing = [](CPlotBlockWriter&) { return StatusWord(ERR_REAL_ELEMENTS); };
    EXPECT_EQ(probe.SendBlock(16, WM_PLOT_SET, 0, 0, failing), ERR_REAL_ELEMENTS);
    void* again = PlotDeviceManager().CreateSharedBlock(16);
    EXPECT_NE(again, nullptr);
    PlotDeviceManager().ReleaseSharedBlock();
    EXPECT_EQ(PlotDeviceManager().DeviceCount(), 0);
}

// Records the source position of each message.
class CPositionStream : public CCaptureStream {
public:
    std::vector<int> offsets;  // -1 without a position
    void OnMessage(COutputMessage* msg) override
    {
        CCaptureStream::OnMessage(msg);
        auto* pos = static_cast<CSourcePosition*>(msg->FindAttachment(2));
        offsets.push_back(pos ? pos->offset : -1);
    }
};

TEST(PlotDevice, TheSizeWarningCarriesTheStatementsPosition)
{
    EnsureBasicGroup();
    CStatementModuleList::AddGroup(RegisterPlotStatements());
    CTestProgram program;
    std::istringstream in("x = 1;\nplot2d ([1,2],[1], c=Undefined);");
    ASSERT_EQ(TranslateBlock(&program, in), 0);
    CPositionStream cap;
    EXPECT_EQ(ExecuteStatements(&program) & STATUS_CODE_MASK, ERR_UNDEFINED_VARIABLE);
    ASSERT_EQ(cap.messages.size(), 2u) << ::testing::PrintToString(cap.messages);
    EXPECT_EQ(cap.messages[0], "Warning: Plot2d: X and Y vectors must be a same sizes");
    EXPECT_EQ(cap.offsets[0], 7);
}

}  // namespace
