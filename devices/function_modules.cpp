// The function-module loader.
#include "devices/function_modules.h"

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "interpreter/statement_module.h"
#include "platform/kernel/kernel.h"
#include "values/path_text.h"

namespace {

struct ModuleList {
    std::mutex lock;
    std::vector<FuncModule> modules;                     // load order
    std::vector<std::unique_ptr<FuncLibrary>> copies;    // registered copies
    // Unregistered copies are kept: an abandoned program thread may still be
    // looking through a library list it read before the shutdown.
    std::vector<std::unique_ptr<FuncLibrary>> retired;
};

ModuleList& List()
{
    static ModuleList* list = new ModuleList();  // modules outlive every other object
    return *list;
}

bool HasModuleSuffix(const std::string& name)
{
    if (name.size() <= 4) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return (char)std::tolower(c); });
    return tail == ".mfn";
}

}  // namespace

int CFuncModuleList::Load(const char* folder)
{
    std::string dir = ResolveModulesFolder(folder);
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* ent = readdir(d))
            if (HasModuleSuffix(ent->d_name)) files.push_back(ent->d_name);
        closedir(d);
    }
    std::sort(files.begin(), files.end());  // byte order, whatever the file system gives

    int kept = 0;
    for (const std::string& name : files) {
        FuncModule m;
        m.path = dir + "/" + name;
        HMODULE lib = LoadLibrary(m.path.c_str());
        if (!lib) continue;
        m.module = lib;
        m.FuncInit = reinterpret_cast<FuncInitFn>(GetProcAddress(lib, "FuncInit"));
        m.FuncExit = m.FuncInit ? reinterpret_cast<FuncExitFn>(GetProcAddress(lib, "FuncExit")) : nullptr;
        m.GetFuncInfo = m.FuncExit ? reinterpret_cast<GetFuncInfoFn>(GetProcAddress(lib, "GetFuncInfo")) : nullptr;
        m.FuncSets = m.GetFuncInfo ? reinterpret_cast<FuncSetsFn>(GetProcAddress(lib, "FuncSets")) : nullptr;
        if (!m.FuncSets) {
            FreeLibrary(lib);
            continue;
        }
        int count = 0;
        m.GetFuncInfo(&count);
        ModuleList& l = List();
        std::lock_guard<std::mutex> g(l.lock);
        l.modules.push_back(m);
        ++kept;
    }
    return kept;
}

FuncLibrary* CFuncModuleList::AddLibrary(const FuncLibrary* library)
{
    auto copy = std::make_unique<FuncLibrary>(*library);
    FuncLibrary* p = copy.get();
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    l.copies.push_back(std::move(copy));
    return p;
}

bool CFuncModuleList::InitAll(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                              HWND mainWindow)
{
    bool ok = true;
    for (const FuncModule& m : Modules()) {
        if (!m.FuncInit(stream, readHook, writeHook, mainWindow)) {
            ReportError() << "Failed to initialize a functions module '" << GetFileNamePart(m.path) << "'";
            ok = false;
            continue;
        }
        int count = 0;
        FuncLibrary* libraries = m.GetFuncInfo(&count);
        if (!libraries) continue;
        for (int i = 0; i < count; ++i) RegisterFuncLibrary(AddLibrary(&libraries[i]));
    }
    return ok;
}

void CFuncModuleList::Unload()
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    for (auto& c : l.copies) {
        UnregisterFuncLibrary(c.get());
        l.retired.push_back(std::move(c));
    }
    l.copies.clear();
    l.modules.clear();  // the libraries themselves stay loaded
}

std::vector<FuncModule> CFuncModuleList::Modules()
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    return l.modules;
}

int CFuncModuleList::LibraryCount()
{
    ModuleList& l = List();
    std::lock_guard<std::mutex> g(l.lock);
    return (int)l.copies.size();
}
