#pragma once
// Function modules ("*.mfn"): shared libraries that add libraries of
// built-in functions. Each module links libveldra and exports
//     VELDRA_FUNCTION_MODULE_EXPORT bool FuncInit(COutputStream*, ReadValueHookFn, WriteValueHookFn, HWND);
//     VELDRA_FUNCTION_MODULE_EXPORT bool FuncExit();
//     VELDRA_FUNCTION_MODULE_EXPORT FuncLibrary* GetFuncInfo(int* count);
//     VELDRA_FUNCTION_MODULE_EXPORT int FuncSets(FuncLibrary* library, HWND parent);
// All four must exist. The records (interpreter/func_records.h, layouts
// frozen there) stay owned by the module; the program keeps 40-byte copies
// of the FuncLibrary records, registered before the built-in libraries, so a
// module's function hides a built-in one of the same name and arity.
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/func_records.h"
#include "platform/types.h"
#include "values/app_settings.h"
#include "values/output_stream.h"

// Once after loading; false: the module adds nothing (reported).
typedef bool (*FuncInitFn)(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                           HWND mainWindow);
// Bound and kept; the program never calls it.
typedef bool (*FuncExitFn)();
// The module's libraries: count records, or null.
typedef FuncLibrary* (*GetFuncInfoFn)(int* count);
// Settings of a library: without a window, 0 when the module has settings;
// with a window, shows them. Called only by the IDE.
typedef int (*FuncSetsFn)(FuncLibrary* library, HWND parent);

#define VELDRA_FUNCTION_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

// One loaded module.
struct FuncModule {
    void* module = nullptr;  // the library handle
    std::string path;
    FuncInitFn FuncInit = nullptr;
    FuncExitFn FuncExit = nullptr;
    GetFuncInfoFn GetFuncInfo = nullptr;
    FuncSetsFn FuncSets = nullptr;
};

class CFuncModuleList {
public:
    // Loads every file of the folder whose name ends in ".mfn" (any case), in
    // byte order of the names; a file that does not load or lacks an export
    // is skipped silently. The folder setting is resolved as for every
    // loader (ResolveModulesFolder). How many were kept.
    static int Load(const char* folder);
    // FuncInit of every module in load order, then its libraries are copied
    // and registered. False when some FuncInit failed (reported).
    static bool InitAll(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook, HWND mainWindow);
    // The program's own copy of a record, kept in the list.
    static FuncLibrary* AddLibrary(const FuncLibrary* library);
    // Shutdown: the copies leave the library list; they and the modules stay
    // in memory (a program thread that did not end may be inside one).
    static void Unload();

    // For the IDE's functions window: the modules in load order.
    static std::vector<FuncModule> Modules();
    static int LibraryCount();
};
