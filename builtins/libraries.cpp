// Registration of the built-in libraries. Function modules register first, so
// that a module's function of the same name and arity hides a built-in one.
#include "builtins/libraries.h"

FuncLibrary* const* BuiltinLibraries()
{
    static FuncLibrary* const order[BUILTIN_LIBRARY_COUNT] = {
        &BasicLibrary,          &FileAccessLibrary,     &DataAnalysisLibrary,
        &NonlinearSolutionsLibrary, &MatrixAlgebraLibrary, &PolynomialsLibrary,
    };
    return order;
}

void RegisterBuiltinLibraries()
{
    FuncLibrary* const* libs = BuiltinLibraries();
    for (int i = 0; i < BUILTIN_LIBRARY_COUNT; ++i)
        if (!IsRegisteredLibrary(libs[i])) RegisterFuncLibrary(libs[i]);
}

void UnregisterBuiltinLibraries()
{
    FuncLibrary* const* libs = BuiltinLibraries();
    for (int i = 0; i < BUILTIN_LIBRARY_COUNT; ++i) UnregisterFuncLibrary(libs[i]);
}
