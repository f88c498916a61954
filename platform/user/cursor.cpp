// Cursors: standard shapes and module resources.
#include "platform/user/cursor.h"

#include "platform/port/backend.h"

#include <mutex>
#include <string>
#include <strings.h>
#include <deque>
#include <vector>

#include "platform/user/input_internal.h"

namespace {

struct CursorRecord {
    HINSTANCE module;
    int id;                // standard id, or a resource id
    std::string name;      // resource name (empty for ids)
    int hotX, hotY;
    std::string shape;
};

struct Cursors {
    std::mutex lock;
    std::deque<CursorRecord> records;   // handle = index + 1
    HCURSOR current = nullptr;
    int showCount = 0;
};

Cursors& Table()
{
    static auto* c = new Cursors;
    return *c;
}

const int kStandard[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};

}  // namespace

HCURSOR LoadCursor(HINSTANCE instance, const char* name)
{
    if (!name) return nullptr;
    Cursors& c = Table();
    std::lock_guard<std::mutex> g(c.lock);
    if (!instance && IS_INTRESOURCE(name)) {
        int id = (int)(uintptr_t)name;
        bool known = false;
        for (int s : kStandard) known = known || s == id;
        if (!known) return nullptr;
        for (size_t i = 0; i < c.records.size(); i++)
            if (!c.records[i].module && c.records[i].id == id && c.records[i].name.empty()) return (HCURSOR)(i + 1);
        c.records.push_back(CursorRecord{nullptr, id, "", 0, 0, ""});
        return (HCURSOR)c.records.size();
    }
    for (size_t i = 0; i < c.records.size(); i++) {
        const CursorRecord& r = c.records[i];
        if (r.module != instance) continue;
        if (IS_INTRESOURCE(name) ? (r.name.empty() && r.id == (int)(uintptr_t)name)
                                 : (!r.name.empty() && strcasecmp(r.name.c_str(), name) == 0))
            return (HCURSOR)(i + 1);
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HCURSOR RegisterCursorResource(HINSTANCE module, const char* name, int hotX, int hotY, const char* shape)
{
    if (!name) return nullptr;
    Cursors& c = Table();
    std::lock_guard<std::mutex> g(c.lock);
    CursorRecord r{module, IS_INTRESOURCE(name) ? (int)(uintptr_t)name : 0,
                   IS_INTRESOURCE(name) ? "" : name, hotX, hotY, shape ? shape : ""};
    c.records.push_back(r);
    return (HCURSOR)c.records.size();
}

bool DescribeCursor(HCURSOR cursor, int* standardId, const char** name)
{
    Cursors& c = Table();
    std::lock_guard<std::mutex> g(c.lock);
    size_t i = (size_t)(uintptr_t)cursor;
    if (i == 0 || i > c.records.size()) return false;
    const CursorRecord& r = c.records[i - 1];
    if (standardId) *standardId = r.module ? 0 : r.id;
    if (name) *name = r.name.c_str();   // records are never removed
    return true;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    Cursors& c = Table();
    CCursorShape shape;
    HCURSOR old;
    {
        std::lock_guard<std::mutex> g(c.lock);
        old = c.current;
        c.current = cursor;
        if (old == cursor) return old;
        size_t i = (size_t)(uintptr_t)cursor;
        if (i == 0 || i > c.records.size()) {
            shape.hidden = true;
        } else {
            const CursorRecord& r = c.records[i - 1];
            shape.standardId = r.module ? 0 : r.id;
            shape.shape = r.shape;
            shape.hotSpot = POINT{r.hotX, r.hotY};
        }
    }
    // The display shows it (mouse moves set the cursor often: only changes go).
    Backend().CursorChanged(shape);
    return old;
}

HCURSOR GetCursor()
{
    Cursors& c = Table();
    std::lock_guard<std::mutex> g(c.lock);
    return c.current;
}

int ShowCursor(BOOL show)
{
    Cursors& c = Table();
    std::lock_guard<std::mutex> g(c.lock);
    return show ? ++c.showCount : --c.showCount;
}

BOOL DestroyCursor(HCURSOR) { return TRUE; }
