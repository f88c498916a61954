// The fake host of the plot device (see fake_plot_host.h).
#include "support/fake_plot_host.h"

#include <cstdlib>

#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/app_settings.h"

std::string CFakePlotHost::StagedPlotDevice()
{
    const char* out = std::getenv("VELDRA_OUT");
    return std::string(out ? out : "build/out") + "/bin/Quorrax.so";
}

CFakePlotHost::CFakePlotHost(const std::string& library)
{
    HMODULE module = LoadLibrary(library.c_str());
    if (!module) return;
    auto init = reinterpret_cast<DeviceInitDllFn>(GetProcAddress(module, "InitDll"));
    m_create = reinterpret_cast<DeviceCreateAppFn>(GetProcAddress(module, "CreateApp"));
    m_delete = reinterpret_cast<DeviceDeleteAppFn>(GetProcAddress(module, "DeleteApp"));
    if (!init || !m_create || !m_delete) {
        m_create = nullptr;
        return;
    }
    initDllResult = init(&stream, ReadValueHook, WriteValueHook, 0);
}

CFakePlotHost::~CFakePlotHost() = default;

HANDLE CFakePlotHost::Create(CDeviceLink** link, uint32_t flags) { return m_create ? m_create(link, this, flags) : nullptr; }

int CFakePlotHost::Delete(CDeviceLink* link) { return m_delete ? m_delete(link) : -1; }

bool PumpUntilFn(bool (*done)(void*), void* context, DWORD timeoutMs)
{
    const uint64_t start = GetTickCount64();
    while (!done(context)) {
        if (GetTickCount64() - start > timeoutMs) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    return true;
}
