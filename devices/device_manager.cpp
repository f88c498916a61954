// Device managers and device connections.
#include "devices/device_manager.h"

#include <algorithm>
#include <cstring>

#include "interpreter/statement_module.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/path_text.h"
#include "values/value_matrix.h"

namespace {

// The library suffix that the device program's name lacks ("Quorrax.so" -> "Quorra").
constexpr size_t kLibrarySuffixLength = 4;  // "x.so"

class CHostCallbacks final : public CDeviceHostCallbacks {};

}  // namespace

CDeviceHostCallbacks* DeviceHostCallbacks()
{
    // Never freed: an abandoned device thread may call it at any time.
    static CHostCallbacks* const callbacks = new CHostCallbacks();
    return callbacks;
}

// ---- CIODevice ------------------------------------------------------------------

CIODevice::CIODevice(CIODeviceManager* manager, const char* name) : m_manager(manager), m_name(name ? name : "") {}

CIODevice::~CIODevice() = default;

int CIODevice::PostToDevice(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsAlive()) return -1;
    return PostMessage(Window(), message, wParam, lParam);
}

// ---- CDllDevice ---------------------------------------------------------------------

CDllDevice::CDllDevice(CIODeviceManager* manager, const char* name) : CIODevice(manager, name) {}

CDllDevice::~CDllDevice()
{
    DropLink();
    if (HANDLE h = m_alive.exchange(nullptr)) CloseHandle(h);
}

bool CDllDevice::IsAlive()
{
    // A live thread whose window the user closed is not alive: the next
    // open must start the device anew instead of sending into nothing.
    HANDLE h = m_alive.load();
    return h && IsThreadAlive(h) && IsWindow(m_window.load());
}

void CDllDevice::DropLink()
{
    if (!m_link) return;
    HANDLE thread = m_link->threadHandle;
    if (thread && IsThreadAlive(thread)) m_link->Close();
    // A thread that was abandoned (or never ended) may still use the link.
    if (thread && HasThreadFinished(thread)) {
        if (DeviceDeleteAppFn del = m_manager->DeleteApp()) del(m_link);
    }
    m_link = nullptr;
}

int CDllDevice::Start(CIODeviceManager* manager)
{
    if (IsAlive()) return 2;
    DropLink();
    m_window.store(nullptr);
    m_threadId.store(0);
    if (HANDLE old = m_alive.exchange(nullptr)) CloseHandle(old);

    if (!manager->IsLoaded() && !manager->LoadDeviceDll()) return 0;
    HANDLE thread = manager->CreateApp()(&m_link, DeviceHostCallbacks(), kDeviceStartFlags);
    if (thread && m_link) {
        // The handle belongs to the device; our duplicate answers IsAlive.
        m_threadId.store(m_link->threadId);
        m_window.store(m_link->mainWindow);
        m_alive.store(DuplicateHandle(thread));
        m_link->Start();
        return 1;
    }
    ReportError() << "Failed to create a " << m_name << " object";
    return 0;
}

int CDllDevice::Stop()
{
    // Also a device whose window is gone but whose thread lingers.
    if (m_link && m_link->threadHandle && IsThreadAlive(m_link->threadHandle)) m_link->Close();
    return 1;
}

// ---- CProcessDevice ---------------------------------------------------------------------

bool CProcessDevice::IsAlive()
{
    HWND w = m_window.load();
    return w && IsWindow(w);
}

int CProcessDevice::Start(CIODeviceManager* manager)
{
    if (IsAlive()) return 2;
    // Device programs are not built: the window manager serves one process.
    std::string path = manager->LibraryPath();
    if (path.size() > kLibrarySuffixLength) path.resize(path.size() - kLibrarySuffixLength);
    ReportError() << "Failed to create the " << path << " application";
    return 0;
}

int CProcessDevice::Stop()
{
    if (IsAlive()) SendMessage(m_window.load(), WM_CLOSE, 0, 0);
    m_window.store(nullptr);
    return 1;
}

// ---- CIODeviceManager -------------------------------------------------------------------

CIODeviceManager::CIODeviceManager(const char* mappingName, std::string* libraryName)
    : m_mappingName(mappingName), m_libraryName(libraryName)
{
}

std::string CIODeviceManager::LibraryPath() const
{
    return ResolveModulesFolder(AppSettings::ModulesFolder.c_str()) + "/" + *m_libraryName;
}

bool CIODeviceManager::LoadDeviceDll()
{
    std::string path = LibraryPath();
    std::string file = GetFileNamePart(path);
    HMODULE module = LoadLibrary(path.c_str());
    if (!module) {
        ReportError() << "Failed to load the " << file << " module (" << path << ")";
        return false;
    }
    auto init = reinterpret_cast<DeviceInitDllFn>(GetProcAddress(module, "InitDll"));
    auto create = reinterpret_cast<DeviceCreateAppFn>(GetProcAddress(module, "CreateApp"));
    auto del = reinterpret_cast<DeviceDeleteAppFn>(GetProcAddress(module, "DeleteApp"));
    if (init && create && del && init(GetOutputStream(), ReadValueHook, WriteValueHook, 0)) {
        m_module = module;
        m_initDll = init;
        m_createApp = create;
        m_deleteApp = del;
        return true;
    }
    ReportError() << "Invalid format of " << file << " module (" << path << ")";
    FreeLibrary(module);
    m_module = nullptr;
    m_initDll = nullptr;
    m_createApp = nullptr;
    m_deleteApp = nullptr;
    return false;
}

CIODevice* CIODeviceManager::FindDevice(const char* name)
{
    const char* n = name ? name : "";
    std::lock_guard<std::mutex> g(m_listLock);
    for (CIODevice* d : m_devices)
        if (d->Name() == n) return d;
    return nullptr;
}

CIODevice* CIODeviceManager::FindDeviceByWindow(HWND window)
{
    if (!window) return nullptr;
    std::lock_guard<std::mutex> g(m_listLock);
    for (CIODevice* d : m_devices)
        if (d->Window() == window) return d;
    return nullptr;
}

int CIODeviceManager::DeviceCount()
{
    std::lock_guard<std::mutex> g(m_listLock);
    return (int)m_devices.size();
}

bool CIODeviceManager::Unlist(CIODevice* device)
{
    std::lock_guard<std::mutex> g(m_listLock);
    auto it = std::find(m_devices.begin(), m_devices.end(), device);
    if (it == m_devices.end()) return false;
    m_devices.erase(it);
    return true;
}

CIODevice* CIODeviceManager::OpenDevice(const char* name, int mode, bool* created)
{
    const char* n = name ? name : "";
    if (created) *created = false;
    if (*n) {
        if (CIODevice* d = FindDevice(n)) {
            if (d->Start(this)) return d;
            if (Unlist(d)) {
                d->Stop();
                delete d;
            }
            return nullptr;
        }
    }
    CIODevice* d;
    if (mode == DEVICE_OUT_OF_PROCESS) {
        d = new CProcessDevice(this, n);
    } else {
        // A new window is a thread with its stack, its heap and the text
        // library's helper threads; without room for them the libraries below
        // end the process instead of failing, so the statement fails first.
        constexpr uint64_t kWindowRoom = (uint64_t)256 << 20;
        if (!MemoryCanHold(kWindowRoom)) {
            NoteOutOfMemory();
            return nullptr;
        }
        if (!IsLoaded() && !LoadDeviceDll()) return nullptr;
        d = new CDllDevice(this, n);
    }
    {
        std::lock_guard<std::mutex> g(m_listLock);
        m_devices.push_back(d);
    }
    if (created) *created = true;
    if (d->Start(this)) return d;
    // Only the failed connection goes: an older one of the same (empty) name stays.
    Unlist(d);
    d->Stop();
    delete d;
    return nullptr;
}

bool CIODeviceManager::CloseDevice(const char* name)
{
    CIODevice* d = FindDevice(name);
    if (!d || !Unlist(d)) return false;
    d->Stop();
    delete d;
    return true;
}

int CIODeviceManager::Broadcast()
{
    int n = 0;
    std::lock_guard<std::mutex> g(m_listLock);
    for (CIODevice* d : m_devices)
        if (d->PostToDevice(WM_DEVICE_BREAK, 0, 0) > 0) ++n;
    return n;
}

bool CIODeviceManager::AnyWindow()
{
    std::lock_guard<std::mutex> g(m_listLock);
    for (CIODevice* d : m_devices)
        if (IsWindow(d->Window())) return true;
    return false;
}

void* CIODeviceManager::CreateSharedBlock(size_t size)
{
    HANDLE h = nullptr;
    if (size <= 0xFFFFFFFFu) h = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, (DWORD)size, m_mappingName);
    if (!h || GetLastError() == ERROR_ALREADY_EXISTS) {
        ReportError() << "Failed to create a \"" << m_mappingName << "\" memory block";
        if (h) CloseHandle(h);
        return nullptr;
    }
    void* view = MapViewOfFile(h, FILE_MAP_WRITE, 0, 0, size);
    if (!view) {
        CloseHandle(h);
        return nullptr;
    }
    m_mapping = h;
    m_view = view;
    return view;
}

void CIODeviceManager::ReleaseSharedBlock()
{
    if (m_view) UnmapViewOfFile(m_view);
    if (m_mapping) CloseHandle(m_mapping);
    m_view = nullptr;
    m_mapping = nullptr;
}

bool CIODeviceManager::SendCommandBlock(HWND window, UINT message, const void* data, size_t size, WPARAM wParam,
                                        LPARAM lParam, LRESULT* reply)
{
    void* view = CreateSharedBlock(size);
    if (!view) return false;
    if (size) std::memcpy(view, data, size);
    LRESULT r = SendMessage(window, message, wParam, lParam);
    ReleaseSharedBlock();
    if (reply) *reply = r;
    return true;
}

void CIODeviceManager::Release()
{
    std::vector<CIODevice*> devices;
    {
        std::lock_guard<std::mutex> g(m_listLock);
        devices.swap(m_devices);
    }
    for (CIODevice* d : devices) {
        d->Stop();
        delete d;
    }
    // The library stays mapped: a device thread that did not end may still run in it.
    m_module = nullptr;
    m_initDll = nullptr;
    m_createApp = nullptr;
    m_deleteApp = nullptr;
    ReleaseSharedBlock();
}

// ---- the two managers and the statement-list hooks ---------------------------------

CIODeviceManager& PlotDeviceManager()
{
    static CIODeviceManager* const manager =
        new CIODeviceManager(kPlotDeviceMappingName, &AppSettings::PlotDeviceLibrary);
    return *manager;
}

CIODeviceManager& ConsoleDeviceManager()
{
    static CIODeviceManager* const manager =
        new CIODeviceManager(kConsoleDeviceMappingName, &AppSettings::ConsoleDeviceLibrary);
    return *manager;
}

int DeviceManagerBroadcast(CIODeviceManager* manager) { return manager ? manager->Broadcast() : 0; }

void* DeviceManagerFindByWindow(CIODeviceManager* manager, HWND window)
{
    return manager ? manager->FindDeviceByWindow(window) : nullptr;
}

bool DeviceManagerAnyWindow(CIODeviceManager* manager) { return manager && manager->AnyWindow(); }
