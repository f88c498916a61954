// Dynamic libraries and the program's path.
#include "platform/kernel/kernel_internal.h"

#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

namespace {

thread_local std::string t_libraryError;

void NoteLoaderError(DWORD code)
{
    const char* text = dlerror();
    t_libraryError = text ? text : "";
    SetLastError(code);
}

}  // namespace

HMODULE LoadLibrary(const char* path)
{
    if (!path || !*path) {
        t_libraryError = "no library name";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        NoteLoaderError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return (HMODULE)h;
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module || dlclose(module) != 0) {
        NoteLoaderError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

void* GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    dlerror();
    void* p = dlsym(module, name);
    if (!p) NoteLoaderError(ERROR_PROC_NOT_FOUND);
    return p;
}

const char* GetLibraryErrorText() { return t_libraryError.c_str(); }

std::string GetProgramPath()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, (size_t)n) : std::string();
}

std::string GetProgramFolder()
{
    std::string path = GetProgramPath();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash == 0 ? 1 : slash);
}

DWORD GetModuleFileName(HMODULE module, char* buffer, DWORD size)
{
    std::string path;
    if (!module) {
        path = GetProgramPath();
    } else {
        link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) {
            NoteLoaderError(ERROR_INVALID_HANDLE);
            return 0;
        }
        char resolved[4096];
        path = map->l_name && realpath(map->l_name, resolved) ? resolved : (map->l_name ? map->l_name : "");
    }
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return (DWORD)path.size();
}
