#pragma once
// Test helper: runs a program text on a real program thread with the device
// managers bound to the fake device (build/test-out/bin/Quorrax.so and
// Nerithx.so), while the calling thread serves the messages sent to it, as
// the IDE's GUI thread does. Messages are captured in commit order; the fake
// device writes one plain message per device message it gets.
#include <functional>
#include <string>
#include <vector>

#include "interpreter/status.h"
#include "platform/types.h"

struct DeviceProgramRun {
    std::vector<std::string> messages;
    StatusWord translated = 0;  // the translation's status
    DWORD exitCode = 0;         // the program thread's exit code (when it ran)
    bool finished = false;      // the thread ended before the time-out
    int clears = 0;             // how often the message stream was cleared
};

// The folder that holds the staged fake devices and test function modules.
std::string FakeDeviceFolder();

// Points AppSettings::ModulesFolder at FakeDeviceFolder() and registers the
// statement groups and built-in libraries once per process.
void UseFakeDevices();

// A switch of the fake device library (see tests/modules/fake_device):
// libraryFile is "Quorrax.so" or "Nerithx.so"; the library must be loaded.
void SetFakeDevice(const char* libraryFile, const char* key, const char* value);

// Translates and runs the text (UseFakeDevices first). The run is stopped
// after timeoutMs. With releaseDevices both managers are released afterwards.
// modulesFolder, when given, takes the place of the fake devices' folder
// (build/out/bin: the real device libraries). stopWhen, when given, is asked
// between the messages the caller's thread serves: the run is stopped once
// it holds (or at the time-out).
DeviceProgramRun RunProgramWithDevices(const std::string& text, DWORD timeoutMs = 30000,
                                       bool releaseDevices = true, const std::string& modulesFolder = "",
                                       const std::function<bool()>& stopWhen = {});
