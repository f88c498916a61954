// A function module with settings: FuncSets answers 0 when asked without a
// window and records the window it is shown with (the Modules page's test).
#include "devices/function_modules.h"

namespace {
FuncLibrary g_libraries[] = {{"Settings lib", nullptr, 0, nullptr, 0}};
HWND g_shownWith = nullptr;
}  // namespace

VELDRA_FUNCTION_MODULE_EXPORT bool FuncInit(COutputStream*, ReadValueHookFn, WriteValueHookFn, HWND) { return true; }
VELDRA_FUNCTION_MODULE_EXPORT bool FuncExit() { return true; }
VELDRA_FUNCTION_MODULE_EXPORT FuncLibrary* GetFuncInfo(int* count)
{
    if (count) *count = 1;
    return g_libraries;
}
VELDRA_FUNCTION_MODULE_EXPORT int FuncSets(FuncLibrary*, HWND parent)
{
    if (!parent) return 0;
    g_shownWith = parent;
    return 1;
}
VELDRA_FUNCTION_MODULE_EXPORT HWND SettingsShownWith() { return g_shownWith; }
