#pragma once
// Steps of the interpreter's start-up, run and shutdown. The program object
// calls them only through these forwarders. The steps of the parts above the
// interpreter (the built-in libraries and their files, the device statements,
// the function modules) come from the providers the host installs before its
// first program starts (InstallProgramSteps, devices/install_program_steps.h).
#include <string>

#include "platform/types.h"

namespace ProgramSteps {
// The parts above the interpreter; a provider left null does nothing.
struct Providers {
    // Adds the device statement groups after the basic one.
    void (*registerDeviceStatements)() = nullptr;
    // Loads and initialises the function modules of a folder.
    void (*loadFunctionModules)(const std::string& folder, HWND mainWindow) = nullptr;
    void (*unloadFunctionModules)() = nullptr;
    void (*registerBuiltinLibraries)() = nullptr;
    void (*resetCurrentPlot)() = nullptr;
    // Closes the files a program left open; how many there were.
    int (*closeAllFiles)() = nullptr;
};
// Replaces the providers; called by the host before the first program's Init.
void Install(const Providers& providers);

// Translates the function-library sources of the folder setting.
void LoadFunctionLibrarySources(const std::string& folder);
// Registers the built-in statement groups: basic, console, plot.
void RegisterStatementGroups();
// Loads the statement modules of the folder setting.
void LoadStatementModules(const std::string& folder);
// Init of every statement group, with the message stream, the value text hooks and the main window.
void InitStatementModules(HWND mainWindow);
// Loads and initialises the function modules of the folder setting.
void LoadFunctionModules(const std::string& folder, HWND mainWindow);
// Appends the built-in libraries to the library list, in their fixed order.
void RegisterBuiltinLibraries();
// Before a program thread starts.
void ResetCurrentPlot();
// Tells every open IO device that the program stops; how many accepted.
int NotifyDevicesStop();
// Closes the files a program left open; how many there were.
int CloseAllFiles();
// Seeds the program thread's random generator.
void SeedRandom(unsigned seed);
// Shutdown: every user function goes, then the statement modules' Exit,
// then the function modules' libraries leave the list.
void DeleteAllUserFunctions();
void ExitStatementModules();
void UnloadFunctionModules();
}  // namespace ProgramSteps
