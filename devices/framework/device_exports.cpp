// The three exports of a device library; nothing else is visible.
#include <mutex>

#include "devices/framework/device_framework.h"
#include "platform/kernel/kernel.h"

namespace {

std::atomic<COutputStream*> g_stream{nullptr};
std::atomic<ReadValueHookFn> g_readHook{nullptr};
std::atomic<WriteValueHookFn> g_writeHook{nullptr};
std::mutex g_appLock;
CWinApp* g_app = nullptr;  // never freed: the library is never unmapped

}  // namespace

COutputStream* HostOutputStream() { return g_stream.load(); }
ReadValueHookFn HostReadHook() { return g_readHook.load(); }
WriteValueHookFn HostWriteHook() { return g_writeHook.load(); }

VELDRA_DEVICE_EXPORT bool InitDll(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                                  uintptr_t)
{
    const DeviceProfile& profile = TheDeviceProfile();
    AFX_MANAGE_STATE(profile.module);
    g_stream.store(stream);
    if (profile.keepCallbacks) {
        g_readHook.store(readHook);
        g_writeHook.store(writeHook);
    }
    // The application starts on the first InitDll, not while the library loads.
    std::lock_guard<std::mutex> g(g_appLock);
    if (!g_app && profile.createApp) g_app = profile.createApp();
    return g_app != nullptr || !profile.createApp;
}

VELDRA_DEVICE_EXPORT HANDLE CreateApp(CDeviceLink** ppLink, CDeviceHostCallbacks* host, uint32_t flags)
{
    if (!ppLink) return nullptr;
    const DeviceProfile& profile = TheDeviceProfile();
    AFX_MANAGE_STATE(profile.module);
    // A link of ours is the second base of the thread object.
    CDeviceAppThread* object = *ppLink ? static_cast<CDeviceAppThread*>(*ppLink) : nullptr;
    if (!object) object = new CDeviceAppThread(host, flags);
    if (object->flags & DEVICE_START_WAIT_WINDOW) {
        // Owned by the object until it goes: the thread may set it after a time-out.
        if (!object->windowUpEvent) object->windowUpEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
        else ResetEvent(object->windowUpEvent);
    }
    if (!object->StartSuspended()) {
        *ppLink = nullptr;
        object->Release();
        return nullptr;
    }
    *ppLink = object;
    HANDLE thread = object->m_hThread;
    ResumeThread(thread);
    if (object->flags & DEVICE_START_WAIT_WINDOW) return object->WaitForWindow();
    return thread;
}

VELDRA_DEVICE_EXPORT int DeleteApp(CDeviceLink* link)
{
    if (link) link->Destroy();
    return 0;
}
