#pragma once
// The host side of the IO devices: one manager per device kind binds the
// device library on first use, keeps the open device connections by name,
// makes the named memory block that carries a plot command, and posts the
// break notice when a program stops.
//
// Threads: everything runs on the program thread except Broadcast,
// AnyWindow and FindDeviceByWindow, which other threads (the IDE, the stop
// path) may call at any time. One mutex per manager guards only the list; it
// is never held across a device start, stop or send. A pointer that another
// thread gets from the manager may only be tested for null.
//
// Usage from a statement (program thread):
//   bool created = false;
//   CIODevice* dev = PlotDeviceManager().OpenDevice(name, DEVICE_IN_PROCESS, &created);
//   if (!dev || !IsWindow(dev->Window())) -> fail (OpenDevice reported why)
//   LRESULT reply;
//   if (!PlotDeviceManager().SendCommandBlock(dev->Window(), WM_PLOT_SET, bytes, n, 0, 0, &reply)) -> 90
//   ConsoleDeviceManager() and SendMessage(dev->Window(), WM_CONSOLE_IO, 0, (LPARAM)&request) likewise.
// A statement group's Exit calls Release of its manager.
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "devices/device_protocol.h"
#include "platform/types.h"

class CIODeviceManager;

enum DeviceMode : int {
    DEVICE_OUT_OF_PROCESS = 1,  // a separate device program: not built, its start fails
    DEVICE_IN_PROCESS = 2,      // the device library runs a UI thread in this process
};

// One device connection; owned and deleted by its manager.
class CIODevice {
public:
    CIODevice(CIODeviceManager* manager, const char* name);
    virtual ~CIODevice();
    CIODevice(const CIODevice&) = delete;
    CIODevice& operator=(const CIODevice&) = delete;

    // The device thread runs and its window is live. Safe from any thread.
    virtual bool IsAlive() = 0;
    // 2 = was already alive, 1 = connected now, 0 = failed (reported).
    virtual int Start(CIODeviceManager* manager) = 0;
    // Closes the device when alive; always 1.
    virtual int Stop() = 0;
    // The thread (in process) or process that owns the device window.
    virtual DWORD GetOwnerId() = 0;

    // PostMessage to the device window when alive (its result), else -1.
    int PostToDevice(UINT message, WPARAM wParam, LPARAM lParam);

    CIODeviceManager* Manager() const { return m_manager; }
    const std::string& Name() const { return m_name; }
    // The device frame window; null until connected. Safe from any thread.
    HWND Window() const { return m_window.load(); }

protected:
    CIODeviceManager* m_manager;
    std::string m_name;
    std::atomic<HWND> m_window{nullptr};
};

// The device library's application on a UI thread of this process.
class CDllDevice : public CIODevice {
public:
    CDllDevice(CIODeviceManager* manager, const char* name);
    ~CDllDevice() override;
    bool IsAlive() override;
    int Start(CIODeviceManager* manager) override;
    int Stop() override;
    DWORD GetOwnerId() override { return m_threadId.load(); }

private:
    // Closes the old device (when its thread lingers) and deletes its link,
    // unless its thread was abandoned and may still use it.
    void DropLink();

    CDeviceLink* m_link = nullptr;         // the device's; program thread only
    std::atomic<HANDLE> m_alive{nullptr};  // our duplicate of the device thread's handle
    std::atomic<DWORD> m_threadId{0};
};

// A separate device program. Not built on this system: Start always fails.
class CProcessDevice : public CIODevice {
public:
    using CIODevice::CIODevice;
    bool IsAlive() override;
    int Start(CIODeviceManager* manager) override;
    int Stop() override;
    DWORD GetOwnerId() override { return m_processId; }

private:
    DWORD m_processId = 0;
};

class CIODeviceManager {
public:
    // mappingName: the block name ("Veldra:Quorra"); libraryName: the setting
    // that holds the library's file name, read on every load.
    CIODeviceManager(const char* mappingName, std::string* libraryName);
    CIODeviceManager(const CIODeviceManager&) = delete;
    CIODeviceManager& operator=(const CIODeviceManager&) = delete;

    const char* MappingName() const { return m_mappingName; }
    // The modules folder setting resolved, then the library file name.
    std::string LibraryPath() const;

    // Binds the library and calls InitDll; reports and returns false on failure.
    bool LoadDeviceDll();
    bool IsLoaded() const { return m_module != nullptr; }

    // The named connection, reused and restarted when needed, or a new one
    // (an empty name always makes a new one). Null on failure (reported);
    // a failed new connection is deleted, the others stay. created: 1 new, 0 reused.
    CIODevice* OpenDevice(const char* name, int mode, bool* created);
    CIODevice* FindDevice(const char* name);
    // Any thread; the result may only be tested for null there.
    CIODevice* FindDeviceByWindow(HWND window);
    bool CloseDevice(const char* name);
    int DeviceCount();

    // Any thread: WM_DEVICE_BREAK posted to every live device; how many took it.
    int Broadcast();
    // Any thread: whether some connection has a live window.
    bool AnyWindow();

    // The named command block of the given size, or null (reported, except a
    // view that cannot be mapped). Only one exists at a time per manager.
    void* CreateSharedBlock(size_t size);
    void ReleaseSharedBlock();
    // Block + copy + synchronous send (wParam as given) + release. False when
    // the block could not be made; the reply goes to *reply when given.
    bool SendCommandBlock(HWND window, UINT message, const void* data, size_t size, WPARAM wParam, LPARAM lParam,
                          LRESULT* reply);

    // Stops and deletes every connection and forgets the library (it stays
    // mapped: an abandoned device thread may still run in it; a later load
    // binds it again and calls InitDll again), then releases any block.
    void Release();

    DeviceInitDllFn InitDll() const { return m_initDll; }
    DeviceCreateAppFn CreateApp() const { return m_createApp; }
    DeviceDeleteAppFn DeleteApp() const { return m_deleteApp; }

private:
    // Takes the connection out of the list; false when it was not there.
    bool Unlist(CIODevice* device);

    const char* m_mappingName;
    std::string* m_libraryName;
    HANDLE m_mapping = nullptr;
    void* m_view = nullptr;
    std::mutex m_listLock;               // guards m_devices only
    std::vector<CIODevice*> m_devices;   // in order of opening
    HMODULE m_module = nullptr;
    DeviceInitDllFn m_initDll = nullptr;
    DeviceCreateAppFn m_createApp = nullptr;
    DeviceDeleteAppFn m_deleteApp = nullptr;
};

// The two managers; never destroyed (an abandoned device thread may outlive
// every other object).
CIODeviceManager& PlotDeviceManager();
CIODeviceManager& ConsoleDeviceManager();

// The callbacks object handed to every CreateApp; lives until process exit.
CDeviceHostCallbacks* DeviceHostCallbacks();
