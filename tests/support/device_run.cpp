#include "support/device_run.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <sstream>

#include "devices/device_manager.h"
#include "interpreter/program.h"
#include "interpreter/program_steps.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "support/capture.h"
#include "values/app_settings.h"

std::string FakeDeviceFolder() { return std::string(VELDRA_TEST_BUILD_DIR) + "/test-out/bin"; }

void UseFakeDevices()
{
    AppSettings::ModulesFolder = FakeDeviceFolder();
    AppSettings::PlotDeviceLibrary = "Quorrax.so";
    AppSettings::ConsoleDeviceLibrary = "Nerithx.so";
    static std::once_flag once;
    std::call_once(once, [] {
        ProgramSteps::RegisterStatementGroups();
        ProgramSteps::RegisterBuiltinLibraries();
    });
}

void SetFakeDevice(const char* libraryFile, const char* key, const char* value)
{
    std::string path = FakeDeviceFolder() + "/" + libraryFile;
    // RTLD_NOLOAD: only the copy the manager loaded, never a new one.
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!lib) return;
    auto set = reinterpret_cast<void (*)(const char*, const char*)>(dlsym(lib, "FakeDeviceSet"));
    if (set) set(key, value);
    dlclose(lib);
}

DeviceProgramRun RunProgramWithDevices(const std::string& text, DWORD timeoutMs, bool releaseDevices,
                                       const std::string& modulesFolder, const std::function<bool()>& stopWhen)
{
    UseFakeDevices();
    if (!modulesFolder.empty()) AppSettings::ModulesFolder = modulesFolder;
    DeviceProgramRun r;
    CCaptureStream cap;
    {
        CProgram program;
        program.Clear();
        std::istringstream in(text);
        r.translated = program.Translate(in);
        if (!IsErrorStatus(r.translated) && program.StartThread()) {
            DWORD start = GetTickCount();
            for (;;) {
                DWORD elapsed = GetTickCount() - start;
                if (elapsed >= timeoutMs || (stopWhen && stopWhen())) break;
                HANDLE h = program.thread;
                // The condition is asked again at least every 20 ms.
                const DWORD slice = stopWhen ? std::min<DWORD>(timeoutMs - elapsed, 20) : timeoutMs - elapsed;
                DWORD woke = MsgWaitForMultipleObjectsEx(1, &h, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) {
                    r.finished = true;
                    break;
                }
                MSG msg;
                while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
            }
            r.exitCode = program.StopThread();
        }
    }
    if (releaseDevices) {
        PlotDeviceManager().Release();
        ConsoleDeviceManager().Release();
    }
    r.messages = cap.messages;
    r.clears = cap.clears;
    return r;
}
