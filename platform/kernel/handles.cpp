// Handle table, kernel lock and the registry of named objects.
#include "platform/kernel/kernel_internal.h"

#include <unordered_map>

namespace {

struct HandleSlot {
    std::shared_ptr<KObject> object;
    uint32_t generation = 0;
};

struct HandleTable {
    std::mutex lock;
    std::vector<HandleSlot> slots;
    std::vector<uint32_t> free;
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

bool DecodeHandle(HANDLE h, uint32_t& index, uint32_t& generation)
{
    uint64_t v = (uint64_t)(uintptr_t)h;
    uint32_t low = (uint32_t)v;
    if (low == 0 || h == INVALID_HANDLE_VALUE) return false;
    index = low - 1;
    generation = (uint32_t)(v >> 32);
    return true;
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
    uint32_t index;
    if (!t.free.empty()) {
        index = t.free.back();
        t.free.pop_back();
    } else {
        index = (uint32_t)t.slots.size();
        t.slots.emplace_back();
    }
    HandleSlot& s = t.slots[index];
    s.generation++;
    s.object = std::move(object);
    return (HANDLE)(uintptr_t)(((uint64_t)s.generation << 32) | (uint64_t)(index + 1));
}

std::shared_ptr<KObject> LookupHandle(HANDLE h)
{
    uint32_t index, generation;
    if (!DecodeHandle(h, index, generation)) return nullptr;
    HandleTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    if (index >= t.slots.size()) return nullptr;
    HandleSlot& s = t.slots[index];
    if (s.generation != generation) return nullptr;
    return s.object;
}

BOOL CloseHandle(HANDLE h)
{
    uint32_t index, generation;
    std::shared_ptr<KObject> released;   // dropped after the table lock
    if (DecodeHandle(h, index, generation)) {
        HandleTable& t = Table();
        std::lock_guard<std::mutex> g(t.lock);
        if (index < t.slots.size() && t.slots[index].generation == generation && t.slots[index].object) {
            HandleSlot& s = t.slots[index];
            released = std::move(s.object);
            s.object.reset();
            // Bumping the generation makes the closed value stale for good.
            s.generation++;
            t.free.push_back(index);
        }
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
