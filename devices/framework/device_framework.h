#pragma once
// The framework both device libraries stand on: the three exports, the UI
// thread of one device window with the link the host drives it through, and
// the profile in which a library says what is its own. Compiled into each
// device library with hidden visibility, never into libveldra.
#include <atomic>
#include <mutex>
#include <string>

#include "devices/device_protocol.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/message_map.h"
#include "platform/afx/module_state.h"
#include "platform/afx/object.h"
#include "platform/afx/win_app.h"
#include "platform/afx/win_thread.h"

class CDeviceAppThread;

// The device's About dialog resource.
constexpr UINT kDeviceAboutDialogId = 100;

// What one device library puts into the framework; filled once.
struct DeviceProfile {
    const char* appName = "";          // "Quorra": the settings file and titles
    const char* mappingName = "";      // names the ready event (flag bit 1)
    CModuleState* module = nullptr;    // the library's module state
    UINT templateId = 128;
    const CRuntimeClass* docClass = nullptr;
    const CRuntimeClass* frameClass = nullptr;   // a CDeviceFrame: it shows itself on Start
    const CRuntimeClass* viewClass = nullptr;
    UINT containerResource = 0;        // no embedded objects: always 0
    bool keepCallbacks = false;        // InitDll keeps the read and write hooks
    bool hasStartDocument = false;     // InitInstance opens startDocument when set
    bool honoursReadyEvent = false;    // flag bit 1
    UINT filteredMessage = 0;          // refused by the thread's message filter (0: none)
    UINT initFailedPrompt = 0;         // the string shown when the application cannot start (0: none)
    // Makes the application object (a CDeviceApp) and runs its
    // initialisation; null fails InitDll.
    CWinApp* (*createApp)() = nullptr;
};

// Each device library defines it.
const DeviceProfile& TheDeviceProfile();

// What InitDll stored.
COutputStream* HostOutputStream();
ReadValueHookFn HostReadHook();
WriteValueHookFn HostWriteHook();

// A UI thread with a document manager of its own.
class CDeviceThread : public CWinThread {
public:
    CDeviceThread();
    ~CDeviceThread() override;

    void AddDocTemplate(CDocTemplate* tmpl);
    CDocManager* GetThreadDocManager() override { return m_pDocManager; }
    BOOL OnIdle(LONG count) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    CDocManager* m_pDocManager = nullptr;

protected:
    void OnAppExit();
    DECLARE_MESSAGE_MAP()
};

// Test switches of a device object, read from VELDRA_DEVICE_TEST when the
// object is made: "failinit", "refuseclose", "slowexit=MS" (';'-separated).
// One device window: its UI thread and the link the host holds.
class CDeviceAppThread : public CDeviceThread, public CDeviceLink {
public:
    CDeviceAppThread(CDeviceHostCallbacks* callbacks, uint32_t startFlags);
    ~CDeviceAppThread() override;

    // CDeviceLink
    void Destroy() override;
    void Start() override;
    int Close() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The host's callbacks; null once DeleteApp has run.
    CDeviceHostCallbacks* Host() { return std::atomic_ref<CDeviceHostCallbacks*>(host).load(); }
    // Starts (or, for a reused object, restarts) the thread behind its start gate.
    bool StartSuspended();
    // CreateApp's wait: the window, else the thread's end.
    HANDLE WaitForWindow();
    // DeleteApp: the host lets go; the object goes when its thread has really ended too.
    void Release();
    // Shows the frame if the host has said Start and it is not shown yet. The
    // host starts a device before its first request, but that request may be
    // served while the thread still waits for the start (inside another
    // thread's send): a request that opens a modal loop shows the frame first.
    void ShowIfStarted();

    std::string startDocument;
    HANDLE windowUpEvent = nullptr;

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppAbout();
    DECLARE_MESSAGE_MAP()

private:
    static DWORD ThreadEntry(void* param);
    void ServeUntilStarted();
    void ShowMainWindow();
    void ReleaseOrphans();

    // One for the host, one for a started thread that has not really ended.
    std::atomic<int> m_refs{1};
    bool m_shown = false;
};

