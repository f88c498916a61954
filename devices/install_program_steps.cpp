// The providers of the program object's steps above the interpreter.
#include "devices/install_program_steps.h"

#include "builtins/file_access.h"
#include "builtins/libraries.h"
#include "devices/console_statements.h"
#include "devices/function_modules.h"
#include "devices/plot_statements.h"
#include "interpreter/program_steps.h"
#include "interpreter/statement_module.h"
#include "values/app_settings.h"
#include "values/output_stream.h"

namespace {

// After the basic group, in this order: console, plot.
void RegisterDeviceStatements()
{
    CStatementModuleList::AddGroup(RegisterConsoleStatements());
    CStatementModuleList::AddGroup(RegisterPlotStatements());
}

void LoadFunctionModules(const std::string& folder, HWND mainWindow)
{
    CFuncModuleList::Load(folder.c_str());
    CFuncModuleList::InitAll(GetOutputStream(), ReadValueHook, WriteValueHook, mainWindow);
}

void UnloadFunctionModules() { CFuncModuleList::Unload(); }

}  // namespace

void InstallProgramSteps()
{
    ProgramSteps::Providers p;
    p.registerDeviceStatements = RegisterDeviceStatements;
    p.loadFunctionModules = LoadFunctionModules;
    p.unloadFunctionModules = UnloadFunctionModules;
    p.registerBuiltinLibraries = ::RegisterBuiltinLibraries;
    p.resetCurrentPlot = ::ResetCurrentPlot;
    p.closeAllFiles = ::CloseAllFiles;
    ProgramSteps::Install(p);
}
