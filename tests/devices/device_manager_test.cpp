// The device manager against the fake device library.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

#include "devices/device_manager.h"
#include "interpreter/statement_module.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "support/capture.h"
#include "support/device_run.h"
#include "values/app_settings.h"

namespace {

bool WaitFor(const std::function<bool()>& done, DWORD ms = 10000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(2);
    }
    return true;
}

std::string TestModulesFolder() { return std::string(std::getenv("VELDRA_OUT")) + "/test-modules"; }

class DeviceManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFakeDevices();
        unsetenv("FAKE_DEVICE");
    }
    void TearDown() override
    {
        manager.Release();
        SetFakeDevice("Quorrax.so", "reset", "");
        unsetenv("FAKE_DEVICE");
        AppSettings::ModulesFolder = FakeDeviceFolder();
    }
    // A window closed by the user: the frame goes, the thread may linger.
    static void CloseWindowOf(CIODevice* d)
    {
        HWND w = d->Window();
        PostMessage(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([w] { return !IsWindow(w); }));
    }
    int Count(const std::string& text)
    {
        int n = 0;
        for (const std::string& m : cap.Snapshot()) n += m == text;
        return n;
    }

    CCaptureStream cap;
    std::string library = "Quorrax.so";
    CIODeviceManager manager{kPlotDeviceMappingName, &library};
};

TEST_F(DeviceManagerTest, BindingFailuresAreReportedAndTheNextOpenTriesAgain)
{
    struct Case {
        const char* folder;  // null: the fake devices' folder
        const char* file;
        const char* env;
        const char* message;
    } cases[] = {
        {nullptr, "nosuch.so", nullptr, "Error: Failed to load the nosuch.so module ("},
        {"modules", "fake_device_nodelete.so", nullptr, "Error: Invalid format of fake_device_nodelete.so module ("},
        {nullptr, "Quorrax.so", "initdll=0", "Error: Invalid format of Quorrax.so module ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        cap.Reset();
        AppSettings::ModulesFolder = c.folder ? TestModulesFolder() : FakeDeviceFolder();
        library = c.file;
        if (c.env) setenv("FAKE_DEVICE", c.env, 1);
        std::string path = AppSettings::ModulesFolder + "/" + c.file;
        for (int attempt = 0; attempt < 2; ++attempt) {
            bool created = true;
            EXPECT_EQ(manager.OpenDevice("A", DEVICE_IN_PROCESS, &created), nullptr);
            EXPECT_FALSE(created);
            EXPECT_FALSE(manager.IsLoaded());
        }
        EXPECT_EQ(manager.DeviceCount(), 0);
        ASSERT_EQ(cap.messages.size(), 2u);
        EXPECT_EQ(cap.messages[0], std::string(c.message) + path + ")");
        EXPECT_EQ(cap.messages[1], cap.messages[0]);
        unsetenv("FAKE_DEVICE");
    }
    // Once the library is right, the same manager binds it.
    AppSettings::ModulesFolder = FakeDeviceFolder();
    library = "Quorrax.so";
    EXPECT_NE(manager.OpenDevice("A", DEVICE_IN_PROCESS, nullptr), nullptr);
    EXPECT_TRUE(manager.IsLoaded());
}

TEST_F(DeviceManagerTest, ANamedDeviceIsReusedAndReopensInItsConnection)
{
    bool created = false;
    CIODevice* a = manager.OpenDevice("A", DEVICE_IN_PROCESS, &created);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(created);
    HWND first = a->Window();
    EXPECT_TRUE(IsWindow(first));
    EXPECT_EQ(a->GetOwnerId(), GetWindowThreadProcessId(first, nullptr));

    EXPECT_EQ(manager.OpenDevice("A", DEVICE_IN_PROCESS, &created), a);
    EXPECT_FALSE(created);
    EXPECT_EQ(a->Window(), first);
    EXPECT_EQ(manager.DeviceCount(), 1);

    // The user closed the window: the next open starts the device again in
    // the same connection.
    CloseWindowOf(a);
    EXPECT_FALSE(a->IsAlive());
    EXPECT_EQ(manager.OpenDevice("A", DEVICE_IN_PROCESS, &created), a);
    EXPECT_FALSE(created);
    EXPECT_TRUE(IsWindow(a->Window()));
    EXPECT_NE(a->Window(), first);
    EXPECT_EQ(manager.FindDeviceByWindow(a->Window()), a);
    EXPECT_EQ(manager.FindDeviceByWindow(first), nullptr);
    EXPECT_TRUE(cap.messages.empty());

    EXPECT_TRUE(manager.CloseDevice("A"));
    EXPECT_FALSE(manager.CloseDevice("A"));
    EXPECT_EQ(manager.DeviceCount(), 0);
}

TEST_F(DeviceManagerTest, ASlowlyEndingDeviceWhoseWindowIsGoneReconnects)
{
    // The thread still runs after its window went: not alive, so the open
    // closes it, waits for it and starts anew instead of answering "alive".
    setenv("FAKE_DEVICE", "slowexit=200", 1);
    CIODevice* s = manager.OpenDevice("S", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(s, nullptr);
    CloseWindowOf(s);
    EXPECT_FALSE(s->IsAlive());
    bool created = true;
    EXPECT_EQ(manager.OpenDevice("S", DEVICE_IN_PROCESS, &created), s);
    EXPECT_FALSE(created);
    EXPECT_TRUE(IsWindow(s->Window()));
    EXPECT_TRUE(s->IsAlive());
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(DeviceManagerTest, AFailedEmptyNamedOpenLeavesTheEarlierDevice)
{
    CIODevice* first = manager.OpenDevice("", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(first, nullptr);
    CIODevice* second = manager.OpenDevice("", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);  // an empty name always makes a new connection
    EXPECT_TRUE(manager.CloseDevice(""));  // closes the first of that name
    EXPECT_EQ(manager.FindDevice(""), second);

    SetFakeDevice("Quorrax.so", "nowindow", "1");
    bool created = false;
    EXPECT_EQ(manager.OpenDevice("", DEVICE_IN_PROCESS, &created), nullptr);
    EXPECT_TRUE(created);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Failed to create a  object"});
    EXPECT_EQ(manager.DeviceCount(), 1);
    EXPECT_TRUE(second->IsAlive());
    EXPECT_EQ(manager.FindDeviceByWindow(second->Window()), second);
}

TEST_F(DeviceManagerTest, DeviceProgramsAreNotBuilt)
{
    EXPECT_EQ(manager.OpenDevice("P", DEVICE_OUT_OF_PROCESS, nullptr), nullptr);
    EXPECT_EQ(cap.messages,
              std::vector<std::string>{"Error: Failed to create the " + FakeDeviceFolder() + "/Quorra application"});
    EXPECT_EQ(manager.DeviceCount(), 0);
}

TEST_F(DeviceManagerTest, OnlyOneCommandBlockExistsAtATime)
{
    void* first = manager.CreateSharedBlock(16);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(manager.CreateSharedBlock(16), nullptr);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Failed to create a \"Veldra:Quorra\" memory block"});
    manager.ReleaseSharedBlock();
    EXPECT_NE(manager.CreateSharedBlock(8), nullptr);
    manager.ReleaseSharedBlock();
    manager.ReleaseSharedBlock();  // nothing left: no harm

    // The device reads the block during the send; afterwards it is gone.
    CIODevice* a = manager.OpenDevice("A", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(a, nullptr);
    cap.Reset();
    const unsigned char bytes[] = {1, 2, 3, 0xFF};
    LRESULT reply = -5;
    SetFakeDevice("Quorrax.so", "reply", "0x8c4:7");
    EXPECT_TRUE(manager.SendCommandBlock(a->Window(), WM_PLOT_SET, bytes, sizeof bytes, 0, 0, &reply));
    EXPECT_EQ(reply, 7);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Quorrax.so 0x8C4 w=0 l=0 block=010203ff"});
    EXPECT_EQ(OpenFileMapping(FILE_MAP_READ, FALSE, kPlotDeviceMappingName), nullptr);
}

TEST_F(DeviceManagerTest, BroadcastReachesOnlyLiveDevices)
{
    CIODevice* a = manager.OpenDevice("A", DEVICE_IN_PROCESS, nullptr);
    CIODevice* b = manager.OpenDevice("B", DEVICE_IN_PROCESS, nullptr);
    ASSERT_TRUE(a && b);
    CloseWindowOf(b);
    EXPECT_EQ(b->PostToDevice(WM_DEVICE_BREAK, 0, 0), -1);
    EXPECT_EQ(manager.Broadcast(), 1);
    EXPECT_TRUE(WaitFor([this] { return Count("Quorrax.so 0x81B") == 1; }));
    EXPECT_TRUE(manager.AnyWindow());
    manager.CloseDevice("A");
    EXPECT_FALSE(manager.AnyWindow());
    EXPECT_EQ(manager.Broadcast(), 0);
}

TEST_F(DeviceManagerTest, ReleaseClosesEveryDeviceAndTheLibraryBindsAgain)
{
    CIODevice* a = manager.OpenDevice("A", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(a, nullptr);
    HWND w = a->Window();
    manager.Release();
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(manager.IsLoaded());
    EXPECT_EQ(manager.DeviceCount(), 0);
    // A later load calls InitDll again, which the device accepts.
    a = manager.OpenDevice("A", DEVICE_IN_PROCESS, nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(IsWindow(a->Window()));
    EXPECT_TRUE(cap.messages.empty());
}

// A statement group that owns the manager, as the plot and console groups do.
class CDeviceGroup : public CmdrInfo {
public:
    CStatement* CreateStatement(int, CStatementBlock*) override { return nullptr; }
};

TEST_F(DeviceManagerTest, OtherThreadsAskWhileTheProgramThreadOpensAndCloses)
{
    setenv("FAKE_DEVICE", "quiet=1", 1);
    CDeviceGroup group;
    group.deviceManager = &manager;
    CStatementModuleList::AddGroup(&group);
    std::atomic<bool> done{false};
    std::atomic<int> seen{0};
    std::thread asker([&] {
        while (!done) {
            CStatementModuleList::NotifyDevicesStop();
            if (CStatementModuleList::AnyDeviceWindow()) ++seen;
            for (int i = 0; i < manager.DeviceCount(); ++i) CStatementModuleList::FindDeviceByWindow(nullptr);
            std::this_thread::yield();
        }
    });
    for (int i = 0; i < 8; ++i) {
        CIODevice* d = manager.OpenDevice(i % 2 ? "X" : "", DEVICE_IN_PROCESS, nullptr);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(CStatementModuleList::FindDeviceByWindow(d->Window()), d);
        if (i % 3 == 0) manager.CloseDevice(d->Name().c_str());
    }
    // Let the asker see a device at least once before stopping it.
    EXPECT_TRUE(WaitFor([&] { return seen > 0; }));
    done = true;
    asker.join();
    manager.Release();
    EXPECT_FALSE(CStatementModuleList::AnyDeviceWindow());
    CStatementModuleList::RemoveGroup(&group);
}

}  // namespace
