// Handle table, kernel lock and the registry of named objects.
#include "platform/kernel/handles.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/kernel_internal.h"

#include <unordered_map>

#include "platform/generation_table.h"

namespace {

struct HandleTable {
    std::mutex lock;
    CGenerationTable<std::shared_ptr<KObject>> objects;
};

// Process-lifetime singletons, never destroyed: abandoned threads may still
// use them while the process exits.
HandleTable& Table()
{
    static HandleTable* t = new HandleTable;
    return *t;
}

struct NameRegistry {
    std::mutex lock;
    std::unordered_map<std::string, std::weak_ptr<KObject>> names;
};

NameRegistry& Names()
{
    static NameRegistry* r = new NameRegistry;
    return *r;
}

}  // namespace

std::mutex& KernelLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

void SignalLocked(KObject& object)
{
    object.signaled = true;
    for (CThreadData* t : object.waiters) {
        std::lock_guard<std::mutex> g(t->lock);
        t->kicked = true;
        t->wake.notify_one();
    }
}

HANDLE NewHandle(std::shared_ptr<KObject> object)
{
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    return (HANDLE)(uintptr_t)t.objects.Insert(std::move(object));
}

std::shared_ptr<KObject> LookupHandle(HANDLE h)
{
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    std::shared_ptr<KObject>* o = t.objects.Find((uint64_t)(uintptr_t)h);
    return o ? *o : nullptr;
}

BOOL CloseHandle(HANDLE h)
{
    std::shared_ptr<KObject> released;   // dropped after the table lock
    if (h != INVALID_HANDLE_VALUE) {
        HandleTable& t = Table();
        std::lock_guard<std::mutex> g(t.lock);
        released = t.objects.Remove((uint64_t)(uintptr_t)h);
    }
    if (!released) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HANDLE DuplicateHandle(HANDLE h)
{
    std::shared_ptr<KObject> o = LookupHandle(h);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewHandle(std::move(o));
}

std::shared_ptr<KObject> FindNamedObject(const std::string& name)
{
    NameRegistry& r = Names();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.names.find(name);
    return it == r.names.end() ? nullptr : it->second.lock();
}

std::shared_ptr<KObject> RegisterNamedObject(const std::string& name, const std::shared_ptr<KObject>& object)
{
    NameRegistry& r = Names();
    std::shared_ptr<KObject> holder;
    {
        std::lock_guard<std::mutex> g(r.lock);
        std::weak_ptr<KObject>& slot = r.names[name];
        holder = slot.lock();
        if (!holder) {
            // A name is free again once its last user let go.
            slot = object;
            return object;
        }
    }
    return holder;
}
