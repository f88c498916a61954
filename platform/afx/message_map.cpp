// Lookups in message maps, base maps included.
#include "platform/afx/message_map.h"

static bool EntryMatchesMessage(const AFX_MSGMAP_ENTRY& e, UINT message)
{
    if (e.kind == AfxEntryKind::Message) return e.nMessage == message;
    if (e.kind != AfxEntryKind::Registered || message < 0xC000u) return false;
    UINT id = e.resolved.load(std::memory_order_relaxed);
    if (!id) {
        id = RegisterWindowMessage(e.name);
        e.resolved.store(id, std::memory_order_relaxed);
    }
    return id == message;
}

const AFX_MSGMAP_ENTRY* AfxFindCommandEntry(const AFX_MSGMAP* map, UINT nID, int nCode)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->kind != AfxEntryKind::End; ++e)
            if (e->kind == AfxEntryKind::Command && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->kind != AfxEntryKind::End; ++e)
            if (EntryMatchesMessage(*e, message)) return e;
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY* AfxFindReflectEntry(const AFX_MSGMAP* map, UINT message, int nCode)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->kind != AfxEntryKind::End; ++e)
            if (e->kind == AfxEntryKind::Reflect && e->nMessage == WM_REFLECT_BASE + message && e->nCode == nCode) return e;
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return nullptr;
}
