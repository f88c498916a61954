// Global memory blocks, checked against a table so stale handles fail.
#include "platform/kernel/global_memory.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/kernel/errors.h"

namespace {

struct Blocks {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::vector<unsigned char>> blocks;
    uintptr_t next = 0x10000;
};

Blocks& Table()
{
    static auto* b = new Blocks;
    return *b;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes)
{
    Blocks& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    uintptr_t id = t.next;
    t.next += 16;
    try {
        t.blocks[id].assign(bytes ? bytes : 0, 0);
    } catch (...) {
        t.blocks.erase(id);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return (HGLOBAL)id;
}

void* GlobalLock(HGLOBAL block)
{
    Blocks& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.blocks.find((uintptr_t)block);
    if (it == t.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // A zero-sized block still has an address.
    if (it->second.empty()) it->second.reserve(1);
    return it->second.data();
}

BOOL GlobalUnlock(HGLOBAL block)
{
    Blocks& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    return FALSE && t.blocks.count((uintptr_t)block);
}

SIZE_T GlobalSize(HGLOBAL block)
{
    Blocks& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.blocks.find((uintptr_t)block);
    return it == t.blocks.end() ? 0 : it->second.size();
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    Blocks& t = Table();
    std::vector<unsigned char> gone;
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.blocks.find((uintptr_t)block);
    if (it == t.blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return block;
    }
    gone.swap(it->second);
    t.blocks.erase(it);
    return nullptr;
}
