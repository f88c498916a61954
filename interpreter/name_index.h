#pragma once
// Positions of a table's records by name, for tables that grow and shrink at
// their end (variable slots): open addressing with linear probing over
// {hash, position} pairs, so that a lookup touches one short run of a flat
// array; the names stay in the table's own records (nameAt(position)).
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

class CNameIndex {
public:
    // The position indexed under key, or -1.
    template <class NameAt>
    int64_t Find(std::string_view key, NameAt nameAt) const
    {
        if (m_entries.empty()) return -1;
        const uint32_t h = Hash(key);
        const size_t mask = m_entries.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            const Entry& e = m_entries[i];
            if (!e.at) return -1;
            if (e.hash == h && nameAt(e.at - 1) == key) return e.at - 1;
        }
    }
    // Indexes position at under its name, unless the name is indexed already
    // (the first position of a name stays).
    template <class NameAt>
    void Insert(uint32_t at, NameAt nameAt)
    {
        if ((m_used + 1) * 2 > m_entries.size()) Grow();
        const std::string_view key = nameAt(at);
        const uint32_t h = Hash(key);
        const size_t mask = m_entries.size() - 1;
        size_t i = h & mask;
        for (; m_entries[i].at; i = (i + 1) & mask)
            if (m_entries[i].hash == h && nameAt(m_entries[i].at - 1) == key) return;
        m_entries[i] = Entry{h, at + 1};
        ++m_used;
    }
    // Drops position at when it is the one indexed under its name.
    template <class NameAt>
    void Erase(uint32_t at, NameAt nameAt)
    {
        if (m_entries.empty()) return;
        const uint32_t h = Hash(nameAt(at));
        const size_t mask = m_entries.size() - 1;
        size_t i = h & mask;
        for (;; i = (i + 1) & mask) {
            if (!m_entries[i].at) return;
            if (m_entries[i].at == at + 1) break;
        }
        // Backward shift: later entries of the run that may sit at the hole move into it.
        for (size_t j = i;;) {
            j = (j + 1) & mask;
            const Entry e = m_entries[j];
            if (!e.at) break;
            const size_t home = e.hash & mask;
            const bool movable = i <= j ? (home <= i || home > j) : (home <= i && home > j);
            if (movable) {
                m_entries[i] = e;
                i = j;
            }
        }
        m_entries[i] = Entry{};
        --m_used;
    }
    void Clear()
    {
        m_entries.clear();
        m_used = 0;
    }

private:
    struct Entry {
        uint32_t hash = 0;
        uint32_t at = 0;  // position + 1; 0: free
    };
    static uint32_t Hash(std::string_view s) { return (uint32_t)std::hash<std::string_view>()(s); }
    void Grow()
    {
        std::vector<Entry> old;
        old.swap(m_entries);
        m_entries.assign(old.empty() ? 64 : old.size() * 2, Entry{});
        const size_t mask = m_entries.size() - 1;
        for (const Entry& e : old) {
            if (!e.at) continue;
            size_t i = e.hash & mask;
            while (m_entries[i].at) i = (i + 1) & mask;
            m_entries[i] = e;
        }
    }

    std::vector<Entry> m_entries;  // a power of two long, at most half full
    size_t m_used = 0;
};
