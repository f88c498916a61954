#pragma once
// Statement groups: the public interface of statement modules ("*.mst").
//
// A module is a shared library that links libveldra and exports
//     extern "C" CmdrInfo* GetCmdrInfo();
// returning a record that lives as long as the process. The record, its
// statement entries, CStatement (interpreter/statement.h) and the virtual
// order of CmdrInfo, CStatement and CStatementBlock cross into the program by
// pointer: the layouts are frozen below and the virtual order is checked by
// the tests. Never reorder, insert or remove a field or a virtual function.
#include <cstddef>
#include <cstdint>
#include <string>

#include "interpreter/block.h"
#include "interpreter/statement.h"
#include "platform/types.h"
#include "values/app_settings.h"
#include "values/output_stream.h"

class CIODeviceManager;

// One keyword of a group.
struct CmdrStatementEntry {
    const char* keyword;  // lower case; matched exactly against the lower-cased first word
    int code;             // passed to CreateStatement
    const char* help;     // shown by the editor's keyword help
    const char* example;
};

// A statement group: its keywords and the factory of its statements.
class CmdrInfo {
public:
    CIODeviceManager* deviceManager = nullptr;  // the group's device, or null
    const char* title = nullptr;                // listed by the IDE
    const char* description = nullptr;          // named in the module messages
    const CmdrStatementEntry* statements = nullptr;
    int statementCount = 0;                     // a module with 0 is not kept

    // slot 0: a new statement for a code of the table, or null; the caller owns it.
    virtual CStatement* CreateStatement(int code, CStatementBlock* owner) = 0;
    // slot 1: once after every module is loaded; false = failure.
    virtual bool Init(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook, HWND mainWindow);
    // slot 2: once at shutdown; false = failure.
    virtual bool Exit();
    // slot 3: not called by the interpreter; the built-in groups answer -1.
    virtual int Query(int what);

    // First entry whose keyword equals the word exactly, or null.
    const CmdrStatementEntry* FindStatement(const char* keyword) const;

protected:
    CmdrInfo() = default;
    CmdrInfo(const CmdrInfo&) = default;
    CmdrInfo& operator=(const CmdrInfo&) = default;
    ~CmdrInfo() = default;  // never deleted through the interface
};

// The export of a statement module.
typedef CmdrInfo* (*GetCmdrInfoFn)();
#define VELDRA_STATEMENT_MODULE_EXPORT extern "C" __attribute__((visibility("default")))

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(void*) == 8, "the module interface is laid out for 64-bit pointers");
static_assert(offsetof(CmdrStatementEntry, keyword) == 0);
static_assert(offsetof(CmdrStatementEntry, code) == 8);
static_assert(offsetof(CmdrStatementEntry, help) == 16);
static_assert(offsetof(CmdrStatementEntry, example) == 24);
static_assert(sizeof(CmdrStatementEntry) == 32);
static_assert(offsetof(CmdrInfo, deviceManager) == 8);
static_assert(offsetof(CmdrInfo, title) == 16);
static_assert(offsetof(CmdrInfo, description) == 24);
static_assert(offsetof(CmdrInfo, statements) == 32);
static_assert(offsetof(CmdrInfo, statementCount) == 40);
static_assert(sizeof(CmdrInfo) == 48);
// The statement base and the block fields a module may read.
static_assert(sizeof(CStatement) == 40);
static_assert(offsetof(CStatement, owner) == 32);
#pragma GCC diagnostic pop

// The registered groups, in registration order: the built-in groups first,
// then the modules. The keyword search takes the first group that has the
// keyword, so a module cannot replace a built-in keyword.
class CStatementModuleList {
public:
    struct Entry {
        void* module;    // library handle, null for a built-in group
        CmdrInfo* info;
    };

    // Appends a built-in group; a group already in the list is not added twice.
    static void AddGroup(CmdrInfo* info);
    // Appends a loaded module's group (used by LoadStatementModules).
    static void AddModule(void* module, CmdrInfo* info);
    // Takes a group out of the list (tests and shutdown); its library stays loaded.
    static void RemoveGroup(CmdrInfo* info);
    static int Count();
    static Entry At(int index);

    // Init (or Exit) of every group in list order; a failure is reported and
    // the rest still run. True when every call succeeded.
    static bool InitAll(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                        HWND mainWindow);
    static bool ExitAll();

    // The groups in order, first exact match of the (lower-case) keyword.
    static const CmdrStatementEntry* FindStatement(const char* keyword);
    // The owning group's statement for the keyword, or null (no message).
    static CStatement* CreateStatement(const char* keyword, CStatementBlock* owner);

    // Over the groups with a device manager.
    static void* FindDeviceByWindow(HWND window);
    // Posts the break notice to every open device; how many took it.
    static int NotifyDevicesStop();
    // Whether any group's device still has a live window (the hidden run
    // closes the program only when none is left).
    static bool AnyDeviceWindow();
};

// A stored modules-folder setting as a path, for every loader (statement and
// function modules, device libraries): one that begins with "\" is relative
// to the program folder, an empty one is the program folder's "bin"; both
// separators are accepted. No trailing "/".
std::string ResolveModulesFolder(const char* folder);

// Loads every "*.mst" of the folder that exports GetCmdrInfo with a non-empty
// table; returns how many were kept. A folder beginning with "\" is relative
// to the program folder, an empty one means the program folder's "bin".
int LoadStatementModules(const char* folder);

// Device-manager operations the list calls (devices/device_manager.cpp).
int DeviceManagerBroadcast(CIODeviceManager* manager);
void* DeviceManagerFindByWindow(CIODeviceManager* manager, HWND window);
bool DeviceManagerAnyWindow(CIODeviceManager* manager);
