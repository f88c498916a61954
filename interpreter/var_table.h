#pragma once
// Named variables of one scope. Expression trees point at slots, so every
// slot is a heap object of its own and keeps its address while the table grows.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/name_index.h"
#include "values/value.h"

// A value pointer with its ownership; the owned value dies with the record.
// Saved values of a call are arrays of these.
struct CValueRef {
    CValue* value = nullptr;
    unsigned char owned = 0;
    // A parameter bound to the caller's value for the call (never owned): the
    // evaluator hands out read-only handles of it, and whatever would change it
    // first gives the slot a copy of its own.
    unsigned char readOnly = 0;

    CValueRef() {}
    CValueRef(const CValueRef&) = delete;
    CValueRef& operator=(const CValueRef&) = delete;
    ~CValueRef()
    {
        if (owned) delete value;
    }
};
using CSavedValue = CValueRef;

struct CVarSlot : CValueRef {
    std::string name;  // compared exactly
};

class CVarTable {
public:
    CVarTable() {}
    CVarTable(const CVarTable&) = delete;
    CVarTable& operator=(const CVarTable&) = delete;
    virtual ~CVarTable();

    unsigned char blocked = 0;     // no new variables; the evaluator hands out read-only handles
    std::vector<CVarSlot*> slots;  // creation order; changed only through the operations below

    int Count() const { return (int)slots.size(); }
    CVarSlot* At(int i) const { return i >= 0 && i < Count() ? slots[i] : nullptr; }
    int IndexOf(const CVarSlot* slot) const;

    CVarSlot* Find(std::string_view name) const;
    CVarSlot* Add(std::string_view name, bool owned);  // no check for an existing name; null when out of memory
    // Here, then in GlobalVariables, else a new owned slot unless blocked (then null).
    CVarSlot* FindOrAdd(std::string_view name);
    void Clear();
    void ClearValues();
    void RemoveLast(int n);
    void CopyNames(const CVarTable& other);

    static void AssignSlot(CValueRef& dst, const CValueRef& src);
    void CopyValuesFrom(const CVarTable& other);  // min(count, other count) slots

    // One record per slot: owned values copied deeply, unowned pointers as they are.
    // The caller owns the array (delete[]); null when the table is empty.
    CSavedValue* SaveValues(int& count) const;
    // Puts the first n slots back as they were saved, then frees the array.
    void RestoreValues(CSavedValue* saved, int n);
    // AssignSlot for the first n slots; the array stays with the caller.
    void LoadValues(const CSavedValue* saved, int n);

private:
    // Past this many slots a name finds its first slot through a hash index
    // (programs with many thousands of names translate in linear time);
    // small tables, such as most function scopes, stay a plain scan.
    static constexpr size_t kIndexFrom = 16;
    // Name -> position of its first slot; slots never move or rename, and
    // slots go only from the end.
    CNameIndex m_index;
    bool m_indexed = false;

    auto NameAt() const
    {
        return [this](uint32_t i) { return std::string_view(slots[i]->name); };
    }
};

// Variables shared by the "global" statement, for the whole process.
extern CVarTable GlobalVariables;
// Held while walking GlobalVariables.slots directly (the GUI thread may add
// globals while a program runs).
std::unique_lock<std::recursive_mutex> LockGlobalSlots();
