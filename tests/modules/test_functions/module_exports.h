#pragma once
// The exports every test function module shares; a module defines its
// library table and MODULE_INIT_RESULT before including this.
#include "devices/function_modules.h"

VELDRA_FUNCTION_MODULE_EXPORT bool FuncInit(COutputStream*, ReadValueHookFn, WriteValueHookFn, HWND)
{
    return MODULE_INIT_RESULT;
}

#ifndef MODULE_WITHOUT_EXIT
VELDRA_FUNCTION_MODULE_EXPORT bool FuncExit() { return true; }
#endif

VELDRA_FUNCTION_MODULE_EXPORT FuncLibrary* GetFuncInfo(int* count)
{
    if (count) *count = (int)(sizeof g_libraries / sizeof g_libraries[0]);
    return g_libraries;
}

VELDRA_FUNCTION_MODULE_EXPORT int FuncSets(FuncLibrary*, HWND) { return -1; }
