// Forwarders of the program object's start-up, run and shutdown steps: the
// interpreter's own steps directly, the others through the installed providers.
#include "interpreter/program_steps.h"

#include "interpreter/basic_statements.h"
#include "interpreter/statement_module.h"
#include "interpreter/user_function.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/random15.h"

namespace ProgramSteps {

namespace {
// Written once by the host before any program thread exists.
Providers g_providers;
}  // namespace

void Install(const Providers& providers) { g_providers = providers; }

// Pointers to functions get their text form first: library values may hold them.
void LoadFunctionLibrarySources(const std::string& folder)
{
    InstallFunctionPointerText();
    LoadFunctionLibraries(folder);
}

void RegisterStatementGroups()
{
    CStatementModuleList::AddGroup(RegisterBasicStatements());
    if (g_providers.registerDeviceStatements) g_providers.registerDeviceStatements();
}

void LoadStatementModules(const std::string& folder) { ::LoadStatementModules(folder.c_str()); }

void InitStatementModules(HWND mainWindow)
{
    CStatementModuleList::InitAll(GetOutputStream(), ReadValueHook, WriteValueHook, mainWindow);
}

void LoadFunctionModules(const std::string& folder, HWND mainWindow)
{
    if (g_providers.loadFunctionModules) g_providers.loadFunctionModules(folder, mainWindow);
}

void UnloadFunctionModules()
{
    if (g_providers.unloadFunctionModules) g_providers.unloadFunctionModules();
}

void RegisterBuiltinLibraries()
{
    if (g_providers.registerBuiltinLibraries) g_providers.registerBuiltinLibraries();
}

void ResetCurrentPlot()
{
    if (g_providers.resetCurrentPlot) g_providers.resetCurrentPlot();
}

int NotifyDevicesStop() { return CStatementModuleList::NotifyDevicesStop(); }

int CloseAllFiles() { return g_providers.closeAllFiles ? g_providers.closeAllFiles() : 0; }

void SeedRandom(unsigned seed) { SeedRand15(seed); }

// Library functions; program functions go with their programs.
void DeleteAllUserFunctions() { DeleteLibraryTables(); }

void ExitStatementModules() { CStatementModuleList::ExitAll(); }

}  // namespace ProgramSteps
