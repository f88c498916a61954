#include <cstdint>
#include <cstring>
#include <mutex>

#include "interpreter/func_records.h"

namespace {
// Filled at start-up, read by the program thread and the GUI thread.
std::mutex g_libLock;
std::vector<FuncLibrary*> g_libraries;

bool NameIs(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }
}  // namespace

void RegisterFuncLibrary(FuncLibrary* library)
{
    if (!library) return;
    std::lock_guard<std::mutex> g(g_libLock);
    g_libraries.push_back(library);
}

void UnregisterFuncLibrary(const FuncLibrary* library)
{
    std::lock_guard<std::mutex> g(g_libLock);
    for (auto it = g_libraries.begin(); it != g_libraries.end(); ++it)
        if (*it == library) {
            g_libraries.erase(it);
            return;
        }
}

std::vector<FuncLibrary*> RegisteredLibraries()
{
    std::lock_guard<std::mutex> g(g_libLock);
    return g_libraries;
}

bool IsRegisteredLibrary(const FuncLibrary* library)
{
    std::lock_guard<std::mutex> g(g_libLock);
    for (FuncLibrary* l : g_libraries)
        if (l == library) return true;
    return false;
}

bool IsBuiltinFunctionEntry(const void* address)
{
    if (!address) return false;
    uintptr_t a = (uintptr_t)address;
    std::lock_guard<std::mutex> g(g_libLock);
    for (const FuncLibrary* l : g_libraries) {
        if (!l->table || l->count <= 0) continue;
        uintptr_t first = (uintptr_t)l->table;
        uintptr_t end = (uintptr_t)(l->table + l->count);
        // Only the start of a visible row counts, not an address inside one.
        if (a >= first && a < end && (a - first) % sizeof(FuncEntry) == 0) return true;
    }
    return false;
}

StatusWord CheckArityCounts(int inputs, int defaultCount, int n, bool userFunction)
{
    if (!userFunction && inputs == FUNC_ANY_INPUTS) return 0;
    int64_t in = inputs, d = defaultCount < 0 ? 0 : defaultCount, count = n;
    bool ok;
    if (in >= 0)
        ok = d == 0 ? count == in : (count >= in - d && count <= in);
    else
        ok = count >= -in - (userFunction ? 1 : 0) - d;
    return ok ? 0 : ERR_PROTOTYPE;
}

bool FuncEntryAcceptsCount(const FuncEntry& entry, int n)
{
    return CheckArityCounts(entry.inputs, entry.defaultCount, n, false) == 0;
}

const void* FindBuiltinOverload(const char* name, int argCount, int outCount, const void*& found)
{
    for (const FuncLibrary* l : RegisteredLibraries()) {
        bool matchedHere = false;
        for (int i = 0; i < l->count; ++i) {
            const FuncEntry& e = l->table[i];
            if (!NameIs(e.name, name)) continue;
            if (argCount != -1 && !FuncEntryAcceptsCount(e, argCount)) continue;
            if (outCount != -1 && e.outputs != outCount) continue;
            if (found) return &e;
            found = &e;
            matchedHere = true;
        }
        // The first library holding a match hides the later ones: a function
        // module's function shadows a built-in of the same name and arity.
        if (matchedHere) return nullptr;
    }
    return nullptr;
}

const FuncConstant* FindLibraryConstant(const char* name)
{
    for (const FuncLibrary* l : RegisteredLibraries())
        for (int i = 0; l->constants && i < l->constantCount; ++i)
            if (NameIs(l->constants[i].name, name)) return &l->constants[i];
    return nullptr;
}

void CollectBuiltinFunctions(std::vector<const FuncEntry*>& out)
{
    for (const FuncLibrary* l : RegisteredLibraries())
        for (int i = 0; l->table && i < l->count; ++i) out.push_back(&l->table[i]);
}

void CollectBuiltinConstants(std::vector<const FuncConstant*>& out)
{
    for (const FuncLibrary* l : RegisteredLibraries())
        for (int i = 0; l->constants && i < l->constantCount; ++i) out.push_back(&l->constants[i]);
}
