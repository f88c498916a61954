#pragma once
// Steps of the interpreter's start-up, run and shutdown that other parts
// provide: function-library sources and user functions, statement groups and
// statement modules, function modules, the built-in libraries, the devices
// and the file functions. The program object calls them only through these
// forwarders (program_steps.cpp); a forwarder whose provider is not built yet
// does nothing and says so there.
#include <string>

#include "platform/types.h"

namespace ProgramSteps {
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
