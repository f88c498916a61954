#pragma once
// Slots addressed by ids of (slot index + 1) in the low word and a generation
// in the high word. A freed slot is reused with a new generation, so an old id
// never reaches a newer object. Callers hold their own lock.
#include <cstdint>
#include <utility>
#include <vector>

template <class T>
class CGenerationTable {
public:
    uint64_t Insert(T value)
    {
        uint32_t index;
        if (!m_free.empty()) {
            index = m_free.back();
            m_free.pop_back();
        } else {
            index = (uint32_t)m_slots.size();
            m_slots.emplace_back();
        }
        Slot& s = m_slots[index];
        s.generation++;
        s.value = std::move(value);
        return ((uint64_t)s.generation << 32) | (uint64_t)(index + 1);
    }

    // The stored value, or null when the id is stale or was never given out.
    T* Find(uint64_t id)
    {
        Slot* s = SlotOf(id);
        return s ? &s->value : nullptr;
    }

    // Takes the value out (an empty T when the id is stale); the slot's
    // generation moves on at once, so the id stays stale for good.
    T Remove(uint64_t id)
    {
        Slot* s = SlotOf(id);
        if (!s || !s->value) return T();
        T value = std::move(s->value);
        s->value = T();
        s->generation++;
        m_free.push_back((uint32_t)(s - m_slots.data()));
        return value;
    }

    template <class F>
    void ForEach(F f)
    {
        for (Slot& s : m_slots)
            if (s.value) f(s.value);
    }

private:
    struct Slot {
        T value{};
        uint32_t generation = 0;
    };

    Slot* SlotOf(uint64_t id)
    {
        uint32_t low = (uint32_t)id;
        if (low == 0 || low > m_slots.size()) return nullptr;
        Slot& s = m_slots[low - 1];
        return s.generation == (uint32_t)(id >> 32) ? &s : nullptr;
    }

    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_free;
};
