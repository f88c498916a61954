// The list of statement groups and the statement-module loader.
#include <dirent.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "interpreter/statement_module.h"
#include "platform/kernel/library.h"
#include "values/path_text.h"
#include "values/stop_probe.h"

// ---- CmdrInfo defaults -----------------------------------------------------

bool CmdrInfo::Init(COutputStream*, ReadValueHookFn, WriteValueHookFn, HWND) { return true; }
bool CmdrInfo::Exit() { return true; }
int CmdrInfo::Query(int) { return -1; }

const CmdrStatementEntry* CmdrInfo::FindStatement(const char* keyword) const
{
    if (!keyword || !statements) return nullptr;
    for (int i = 0; i < statementCount; ++i)
        if (statements[i].keyword && std::strcmp(statements[i].keyword, keyword) == 0) return &statements[i];
    return nullptr;
}

// ---- the list --------------------------------------------------------------

namespace {

// Filled at start-up and read by translations; the lock keeps a test that
// registers a group from racing a lookup.
struct ModuleList {
    std::mutex lock;
    std::vector<CStatementModuleList::Entry> entries;
};

ModuleList& List()
{
    // Never destroyed: statement objects and their virtual tables live in the
    // module libraries, which stay loaded until the process ends.
    static ModuleList* list = new ModuleList();
    return *list;
}

std::vector<CStatementModuleList::Entry> Snapshot()
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    return l.entries;
}

void ReportGroupFailure(const char* what, const CmdrInfo* info)
{
    ReportError() << what << (info->description ? info->description : "") << "'";
}

// The program folder (where the executable lives), without a trailing "/".
std::string ProgramFolder()
{
    std::string exe = GetModuleFilePath(nullptr);
    size_t cut = exe.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : exe.substr(0, cut);
}

}  // namespace

// Empty means "\bin" (never the file-system root).
std::string ResolveModulesFolder(const char* folder)
{
    std::string f = folder ? folder : "";
    std::replace(f.begin(), f.end(), '\\', '/');
    if (f.empty()) return ProgramFolder() + "/bin";
    if (f[0] == '/' && folder[0] == '\\') return ProgramFolder() + f;
    return f;
}

void CStatementModuleList::AddGroup(CmdrInfo* info)
{
    if (!info) return;
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    for (const Entry& e : l.entries)
        if (e.info == info) return;
    l.entries.push_back({nullptr, info});
}

void CStatementModuleList::AddModule(void* module, CmdrInfo* info)
{
    if (!info) return;
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    l.entries.push_back({module, info});
}

void CStatementModuleList::RemoveGroup(CmdrInfo* info)
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    l.entries.erase(std::remove_if(l.entries.begin(), l.entries.end(), [info](const Entry& e) { return e.info == info; }),
                    l.entries.end());
}

int CStatementModuleList::Count()
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    return (int)l.entries.size();
}

CStatementModuleList::Entry CStatementModuleList::At(int index)
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    if (index < 0 || index >= (int)l.entries.size()) return {nullptr, nullptr};
    return l.entries[index];
}

bool CStatementModuleList::InitAll(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                                   HWND mainWindow)
{
    bool ok = true;
    for (const Entry& e : Snapshot()) {
        if (!e.info->Init(stream, readHook, writeHook, mainWindow)) {
            ReportGroupFailure("Failed to initialize a statements module '", e.info);
            ok = false;
        }
    }
    return ok;
}

bool CStatementModuleList::ExitAll()
{
    bool ok = true;
    for (const Entry& e : Snapshot()) {
        if (!e.info->Exit()) {
            ReportGroupFailure("Failed to deinitialize a statements module '", e.info);
            ok = false;
        }
    }
    return ok;
}

const CmdrStatementEntry* CStatementModuleList::FindStatement(const char* keyword)
{
    for (const Entry& e : Snapshot())
        if (const CmdrStatementEntry* s = e.info->FindStatement(keyword)) return s;
    return nullptr;
}

CStatement* CStatementModuleList::CreateStatement(const char* keyword, CStatementBlock* owner)
{
    for (const Entry& e : Snapshot())
        if (const CmdrStatementEntry* s = e.info->FindStatement(keyword)) return e.info->CreateStatement(s->code, owner);
    return nullptr;
}

void* CStatementModuleList::FindDeviceByWindow(HWND window)
{
    for (const Entry& e : Snapshot())
        if (e.info->deviceManager)
            if (void* device = DeviceManagerFindByWindow(e.info->deviceManager, window)) return device;
    return nullptr;
}

int CStatementModuleList::NotifyDevicesStop()
{
    // First: a device busy with this program's request sees it at once.
    NoteProgramStopBroadcast();
    int n = 0;
    for (const Entry& e : Snapshot())
        if (e.info->deviceManager) n += DeviceManagerBroadcast(e.info->deviceManager);
    return n;
}

bool CStatementModuleList::AnyDeviceWindow()
{
    for (const Entry& e : Snapshot())
        if (e.info->deviceManager && DeviceManagerAnyWindow(e.info->deviceManager)) return true;
    return false;
}

// ---- the loader ------------------------------------------------------------

int LoadStatementModules(const char* folder)
{
    std::string dir = ResolveModulesFolder(folder);
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* ent = readdir(d)) {
            std::string name = ent->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mst") == 0) files.push_back(name);
        }
        closedir(d);
    }
    std::sort(files.begin(), files.end());  // a stable order, whatever the file system gives

    int kept = 0;
    for (const std::string& name : files) {
        std::string path = dir + "/" + name;
        // A FIFO or a truncated library would hang or fault the loader.
        if (!IsLoadableLibraryFile(path.c_str())) continue;
        void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib) continue;
        GetCmdrInfoFn get = reinterpret_cast<GetCmdrInfoFn>(dlsym(lib, "GetCmdrInfo"));
        CmdrInfo* info = get ? get() : nullptr;
        if (!info || info->statementCount <= 0 || !info->statements) {
            dlclose(lib);
            continue;
        }
        CStatementModuleList::AddModule(lib, info);
        ++kept;
    }
    return kept;
}
