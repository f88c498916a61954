// Forwarders of the program object's start-up, run and shutdown steps. Each
// one that says "not built yet" is a placeholder: it becomes a call to its
// provider when that part joins the tree.
#include "interpreter/program_steps.h"

#include "builtins/file_access.h"
#include "builtins/libraries.h"
#include "devices/console_statements.h"
#include "devices/function_modules.h"
#include "devices/plot_statements.h"
#include "interpreter/basic_statements.h"
#include "interpreter/statement_module.h"
#include "interpreter/user_function.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/random15.h"

namespace ProgramSteps {

// Pointers to functions get their text form first: library values may hold them.
void LoadFunctionLibrarySources(const std::string& folder)
{
    InstallFunctionPointerText();
    LoadFunctionLibraries(folder);
}

void RegisterStatementGroups()
{
    CStatementModuleList::AddGroup(RegisterBasicStatements());
    CStatementModuleList::AddGroup(RegisterConsoleStatements());
    CStatementModuleList::AddGroup(RegisterPlotStatements());
}

void LoadStatementModules(const std::string& folder) { ::LoadStatementModules(folder.c_str()); }

void InitStatementModules(HWND mainWindow)
{
    CStatementModuleList::InitAll(GetOutputStream(), ReadValueHook, WriteValueHook, mainWindow);
}

void LoadFunctionModules(const std::string& folder, HWND mainWindow)
{
    CFuncModuleList::Load(folder.c_str());
    CFuncModuleList::InitAll(GetOutputStream(), ReadValueHook, WriteValueHook, mainWindow);
}

void UnloadFunctionModules() { CFuncModuleList::Unload(); }

void RegisterBuiltinLibraries() { ::RegisterBuiltinLibraries(); }

void ResetCurrentPlot() { ::ResetCurrentPlot(); }

int NotifyDevicesStop() { return CStatementModuleList::NotifyDevicesStop(); }

int CloseAllFiles() { return ::CloseAllFiles(); }

void SeedRandom(unsigned seed) { SeedRand15(seed); }

// Library functions; program functions go with their programs.
void DeleteAllUserFunctions() { DeleteLibraryTables(); }

void ExitStatementModules() { CStatementModuleList::ExitAll(); }

}  // namespace ProgramSteps
