// Stopping a program tells the open devices, and tells them again about
// every second while the program thread has not ended.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/device_manager.h"
#include "interpreter/fake_statements.h"
#include "interpreter/program.h"
#include "interpreter/statement_module.h"
#include "platform/kernel/kernel.h"
#include "support/capture.h"
#include "support/device_run.h"

namespace {

class CPlotGroup : public CmdrInfo {
public:
    CStatement* CreateStatement(int, CStatementBlock*) override { return nullptr; }
};

TEST(StopNotice, IsPostedAgainWhileTheProgramThreadRuns)
{
    UseFakeDevices();
    CCaptureStream cap;
    CPlotGroup group;
    group.deviceManager = &PlotDeviceManager();
    CStatementModuleList::AddGroup(&group);
    ASSERT_NE(PlotDeviceManager().OpenDevice("A", DEVICE_IN_PROCESS, nullptr), nullptr);

    auto breaks = [&cap] {
        std::vector<std::string> m = cap.Snapshot();
        return (int)std::count(m.begin(), m.end(), "Quorrax.so 0x81B");
    };
    CProgram program;
    std::atomic<bool> entered{false};
    // A statement that does not look at the stop flag: it ends only when the
    // device has had the notice twice (or after 10 s).
    program.Append(new CFakeStatement(&program, nullptr, "deaf", [&](CFakeStatement&) -> StatusWord {
        entered = true;
        DWORD start = GetTickCount();
        while (breaks() < 2 && GetTickCount() - start < 10000) Sleep(5);
        return 0;
    }));
    // The re-post comes after a second; the test scale makes it 20 ms.
    SetLongWaitScale(0.02);
    ASSERT_TRUE(program.StartThread());
    while (!entered) Sleep(1);
    program.StopThread();
    SetLongWaitScale(1);
    EXPECT_GE(breaks(), 2);

    PlotDeviceManager().Release();
    CStatementModuleList::RemoveGroup(&group);
}

}  // namespace
