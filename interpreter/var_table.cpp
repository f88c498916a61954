#include "interpreter/var_table.h"

#include <algorithm>
#include <mutex>
#include <new>

CVarTable GlobalVariables;

namespace {
// The GUI thread translates "global" while another program thread runs:
// the global table's slot list is guarded (slots themselves never move).
std::recursive_mutex g_globalSlots;
std::unique_lock<std::recursive_mutex> GuardIfGlobal(const CVarTable* t)
{
    return t == &GlobalVariables ? std::unique_lock<std::recursive_mutex>(g_globalSlots)
                                 : std::unique_lock<std::recursive_mutex>();
}
}  // namespace

std::unique_lock<std::recursive_mutex> LockGlobalSlots() { return std::unique_lock<std::recursive_mutex>(g_globalSlots); }

CVarTable::~CVarTable() { Clear(); }

int CVarTable::IndexOf(const CVarSlot* slot) const
{
    auto g = GuardIfGlobal(this);
    if (!slot) return -1;
    // Only a slot behind an earlier one of the same name needs the scan.
    if (m_indexed) {
        const int64_t at = m_index.Find(slot->name, NameAt());
        if (at < 0) return -1;
        if (slots[(size_t)at] == slot) return (int)at;
    }
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i] == slot) return (int)i;
    return -1;
}

CVarSlot* CVarTable::Find(std::string_view name) const
{
    auto g = GuardIfGlobal(this);
    if (m_indexed) {
        const int64_t at = m_index.Find(name, NameAt());
        return at < 0 ? nullptr : slots[(size_t)at];
    }
    for (CVarSlot* s : slots)
        if (s->name == name) return s;
    return nullptr;
}

CVarSlot* CVarTable::Add(std::string_view name, bool owned)
{
    CVarSlot* s = new (std::nothrow) CVarSlot();
    if (!s) return nullptr;
    s->name.assign(name.data(), name.size());
    auto g = GuardIfGlobal(this);
    if (owned) {
        s->value = new (std::nothrow) CValue();
        if (!s->value) {
            delete s;
            return nullptr;
        }
        s->owned = 1;
    }
    slots.push_back(s);
    if (m_indexed)
        m_index.Insert((uint32_t)(slots.size() - 1), NameAt());
    else if (slots.size() >= kIndexFrom) {
        for (size_t i = 0; i < slots.size(); ++i) m_index.Insert((uint32_t)i, NameAt());
        m_indexed = true;
    }
    return s;
}

CVarSlot* CVarTable::FindOrAdd(std::string_view name)
{
    auto g = GuardIfGlobal(this);
    if (CVarSlot* s = Find(name)) return s;
    if (this != &GlobalVariables)
        if (CVarSlot* s = GlobalVariables.Find(name)) return s;
    if (blocked) return nullptr;
    return Add(name, true);
}

void CVarTable::Clear()
{
    auto g = GuardIfGlobal(this);
    m_index.Clear();
    m_indexed = false;
    for (CVarSlot* s : slots) delete s;
    slots.clear();
}

void CVarTable::ClearValues()
{
    auto g = GuardIfGlobal(this);
    for (CVarSlot* s : slots)
        if (s->value) s->value->Clear();
}

void CVarTable::RemoveLast(int n)
{
    auto g = GuardIfGlobal(this);
    n = std::min(n, Count());
    for (; n > 0; --n) {
        // A later slot of a name always goes before the first one.
        if (m_indexed) m_index.Erase((uint32_t)(slots.size() - 1), NameAt());
        delete slots.back();
        slots.pop_back();
    }
}

void CVarTable::CopyNames(const CVarTable& other)
{
    slots.reserve(slots.size() + other.slots.size());
    for (const CVarSlot* o : other.slots) Add(o->name, false);
}

void CVarTable::AssignSlot(CValueRef& dst, const CValueRef& src)
{
    if (&dst == &src) return;
    if (dst.owned) delete dst.value;
    dst.value = nullptr;
    dst.owned = src.owned;
    dst.readOnly = src.readOnly;
    if (!src.owned)
        dst.value = src.value;
    else
        dst.value = src.value ? new (std::nothrow) CValue(*src.value) : new (std::nothrow) CValue();
}

void CVarTable::CopyValuesFrom(const CVarTable& other)
{
    // A shorter source leaves the remaining slots as they are.
    int n = std::min(Count(), other.Count());
    for (int i = 0; i < n; ++i) AssignSlot(*slots[i], *other.slots[i]);
}

CSavedValue* CVarTable::SaveValues(int& count) const
{
    count = 0;
    if (slots.empty()) return nullptr;
    CSavedValue* saved = new (std::nothrow) CSavedValue[slots.size()];
    if (!saved) return nullptr;
    for (size_t i = 0; i < slots.size(); ++i) {
        const CVarSlot* s = slots[i];
        if (s->owned) {
            saved[i].value = s->value ? new (std::nothrow) CValue(*s->value) : new (std::nothrow) CValue();
            saved[i].owned = 1;
        } else {
            saved[i].value = s->value;
            saved[i].readOnly = s->readOnly;
        }
    }
    count = Count();
    return saved;
}

void CVarTable::RestoreValues(CSavedValue* saved, int n)
{
    if (!saved) return;
    auto g = GuardIfGlobal(this);
    n = std::min(n, Count());
    for (int i = 0; i < n; ++i) {
        CVarSlot& s = *slots[i];
        CSavedValue& v = saved[i];
        s.readOnly = v.readOnly;
        if (v.owned) {
            if (s.owned && s.value) {
                // Assign into the slot's own value, which keeps its address.
                if (v.value)
                    *s.value = static_cast<CValue&&>(*v.value);
                else
                    s.value->Clear();
            } else {
                // The slot refers elsewhere now: it takes the saved value over.
                s.value = v.value;
                s.owned = 1;
                v.value = nullptr;
                v.owned = 0;
            }
        } else {
            if (s.owned) delete s.value;
            s.value = v.value;
            s.owned = 0;
        }
    }
    delete[] saved;
}

void CVarTable::LoadValues(const CSavedValue* saved, int n)
{
    if (!saved) return;
    auto g = GuardIfGlobal(this);
    n = std::min(n, Count());
    for (int i = 0; i < n; ++i) AssignSlot(*slots[i], saved[i]);
}
