// Memory blocks shared by name inside the process.
#include "platform/kernel/named_objects.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/kernel_internal.h"

#include <map>
#include <new>

namespace {

struct KMapping : KObject {
    KMapping() : KObject(KObjectKind::Mapping, false) {}
    size_t size = 0;
    std::unique_ptr<unsigned char[]> data;
};

// Every mapped view holds its block alive.
struct ViewTable {
    std::mutex lock;
    std::multimap<const void*, std::shared_ptr<KMapping>> views;
};

ViewTable& Views()
{
    static ViewTable* v = new ViewTable;
    return *v;
}

}  // namespace

HANDLE CreateFileMapping(HANDLE file, void*, DWORD, DWORD sizeHigh, DWORD sizeLow, const char* name)
{
    if (file != INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    uint64_t size = ((uint64_t)sizeHigh << 32) | sizeLow;
    if (name && *name) {
        // An existing block is shared whatever size was asked for.
        if (std::shared_ptr<KObject> holder = FindNamedObject(name)) {
            if (holder->kind != KObjectKind::Mapping) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            HANDLE h = NewHandle(std::move(holder));
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
    }
    if (size == 0 || size > (uint64_t)SIZE_MAX / 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto m = std::make_shared<KMapping>();
    m->data.reset(new (std::nothrow) unsigned char[(size_t)size]());
    if (!m->data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    m->size = (size_t)size;
    if (name && *name) {
        std::shared_ptr<KObject> holder = RegisterNamedObject(name, m);
        if (holder != m) {
            // Another thread created it in the meantime.
            if (holder->kind != KObjectKind::Mapping) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            HANDLE h = NewHandle(std::move(holder));
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
    }
    HANDLE h = NewHandle(std::move(m));
    SetLastError(ERROR_SUCCESS);
    return h;
}

HANDLE OpenFileMapping(DWORD, BOOL, const char* name)
{
    std::shared_ptr<KObject> o = name ? FindNamedObject(name) : nullptr;
    if (!o || o->kind != KObjectKind::Mapping) {
        SetLastError(o ? ERROR_INVALID_HANDLE : ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return NewHandle(std::move(o));
}

void* MapViewOfFile(HANDLE mapping, DWORD, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes)
{
    auto m = LookupHandleAs<KMapping>(mapping, KObjectKind::Mapping);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    uint64_t offset = ((uint64_t)offsetHigh << 32) | offsetLow;
    if (offset >= m->size || bytes > m->size - offset) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* view = m->data.get() + offset;
    ViewTable& v = Views();
    std::lock_guard<std::mutex> g(v.lock);
    v.views.emplace(view, std::move(m));
    return view;
}

BOOL UnmapViewOfFile(const void* view)
{
    std::shared_ptr<KMapping> released;   // dropped after the table lock
    {
        ViewTable& v = Views();
        std::lock_guard<std::mutex> g(v.lock);
        auto it = v.views.find(view);
        if (it != v.views.end()) {
            released = std::move(it->second);
            v.views.erase(it);
        }
    }
    if (!released) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

SIZE_T GetFileMappingSize(HANDLE mapping)
{
    auto m = LookupHandleAs<KMapping>(mapping, KObjectKind::Mapping);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return m->size;
}

SIZE_T GetMappedViewSize(const void* view)
{
    ViewTable& v = Views();
    std::lock_guard<std::mutex> g(v.lock);
    auto it = v.views.find(view);
    if (it == v.views.end()) return 0;
    return it->second->size - (size_t)((const unsigned char*)view - it->second->data.get());
}
