// The one table of Identifier ids.
#include "values/identifier_ids.h"

#include <mutex>
#include <unordered_map>

namespace {

struct IdTable {
    std::mutex lock;
    uint32_t last = 0;
    std::unordered_map<uint32_t, HWND> windows;     // id -> window
    std::unordered_map<HWND, uint32_t> idOfWindow;  // window -> id
};

IdTable& Table()
{
    // Never destroyed: ids may be asked for by threads still running at exit.
    static IdTable* table = new IdTable();
    return *table;
}

uint32_t NextIdLocked(IdTable& t)
{
    if (t.last == UINT32_MAX) return 0;  // used up: never wrap into old ids
    return ++t.last;
}

}  // namespace

uint32_t NewIdentifierId()
{
    IdTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    return NextIdLocked(t);
}

uint32_t IdentifierIdOfWindow(HWND window)
{
    if (!window) return 0;
    IdTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.idOfWindow.find(window);
    if (it != t.idOfWindow.end()) return it->second;
    uint32_t id = NextIdLocked(t);
    if (id == 0) return 0;
    t.idOfWindow.emplace(window, id);
    t.windows.emplace(id, window);
    return id;
}

HWND WindowOfIdentifierId(uint32_t id)
{
    IdTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.windows.find(id);
    return it == t.windows.end() ? nullptr : it->second;
}
