// Dynamic libraries and the program's path.
#include "platform/kernel/library.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/kernel_internal.h"

#include <cstring>
#include <vector>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
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

bool IsLoadableLibraryFile(const char* path)
{
    struct stat st;
    // stat first: opening a FIFO, even without blocking, is already too much.
    if (!path || stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    bool ok = false;
    Elf64_Ehdr eh;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && pread(fd, &eh, sizeof eh, 0) == (ssize_t)sizeof eh &&
        std::memcmp(eh.e_ident, ELFMAG, SELFMAG) == 0 && eh.e_ident[EI_CLASS] == ELFCLASS64 &&
        eh.e_phentsize == sizeof(Elf64_Phdr) && eh.e_phnum > 0) {
        const uint64_t size = (uint64_t)st.st_size;
        const uint64_t tableBytes = (uint64_t)eh.e_phnum * sizeof(Elf64_Phdr);
        if (eh.e_phoff <= size && tableBytes <= size - eh.e_phoff) {
            std::vector<Elf64_Phdr> ph(eh.e_phnum);
            if (pread(fd, ph.data(), tableBytes, (off_t)eh.e_phoff) == (ssize_t)tableBytes) {
                ok = true;
                for (const Elf64_Phdr& p : ph)
                    if (p.p_type != PT_NULL && (p.p_offset > size || p.p_filesz > size - p.p_offset)) ok = false;
            }
        }
    }
    close(fd);
    return ok;
}

HMODULE LoadLibrary(const char* path)
{
    if (!path || !*path) {
        t_libraryError = "no library name";
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (std::strchr(path, '/') && !IsLoadableLibraryFile(path)) {
        t_libraryError = std::string(path) + ": not a loadable library file";
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
