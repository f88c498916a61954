#pragma once
// Test helper: a host for the real plot device (build/out/bin/Quorrax.so),
// doing what the program's device manager does with a device library: load,
// InitDll with a capturing stream, CreateApp with flags 5, Start, Close and
// DeleteApp; it counts the frames' destroy callbacks.
#include <atomic>
#include <memory>
#include <string>

#include "devices/device_protocol.h"
#include "support/capture.h"

class CFakePlotHost final : public CDeviceHostCallbacks {
public:
    // Loads the library (once per process) and calls InitDll with `stream`.
    explicit CFakePlotHost(const std::string& library = StagedPlotDevice());
    ~CFakePlotHost();

    static std::string StagedPlotDevice();

    intptr_t OnFrameDestroyed() override
    {
        ++destroyed;
        return 0;
    }

    bool Loaded() const { return m_create != nullptr; }
    bool initDllResult = false;
    // CreateApp(&link, this, flags).
    HANDLE Create(CDeviceLink** link, uint32_t flags = kDeviceStartFlags);
    int Delete(CDeviceLink* link);

    CCaptureStream stream;
    std::atomic<int> destroyed{0};

private:
    DeviceCreateAppFn m_create = nullptr;
    DeviceDeleteAppFn m_delete = nullptr;
};

// Serves messages sent to the calling thread until `done` or the time-out;
// true when done.
template <class F>
bool PumpUntil(F done, DWORD timeoutMs = 10000);
bool PumpUntilFn(bool (*done)(void*), void* context, DWORD timeoutMs);

template <class F>
bool PumpUntil(F done, DWORD timeoutMs)
{
    return PumpUntilFn([](void* c) { return (*static_cast<F*>(c))(); }, &done, timeoutMs);
}
