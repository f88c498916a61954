#include "interpreter/function_table.h"

#include "interpreter/block.h"

CFunctionTable::~CFunctionTable() { Clear(); }

void CFunctionTable::Append(CStatementBlock* function)
{
    if (function) functions.push_back(function);
}

void CFunctionTable::UnindexFrom(int count)
{
    // Indexed names never change, so each position leaves its own list,
    // where it is the last one.
    std::lock_guard<std::mutex> g(m_indexLock);
    for (; m_indexed > count; --m_indexed) {
        const std::string* name = UserFunctionNameAt(this, m_indexed - 1);
        if (!name) continue;
        auto it = m_byName.find(*name);
        if (it == m_byName.end()) continue;
        if (!it->second.empty() && it->second.back() == m_indexed - 1) it->second.pop_back();
        if (it->second.empty()) m_byName.erase(it);
    }
}

void CFunctionTable::RemoveLast(int n)
{
    for (; n > 0 && !functions.empty(); --n) {
        UnindexFrom(Count() - 1);
        CStatementBlock* f = functions.back();
        functions.pop_back();
        delete f;
    }
}

void CFunctionTable::Clear()
{
    // Pop first: a function's destructor may look at the table.
    while (!functions.empty()) RemoveLast(1);
    std::lock_guard<std::mutex> g(m_indexLock);
    m_byName.clear();
    m_indexed = 0;
}

void CFunctionTable::Candidates(std::string_view name, std::vector<int>& out) const
{
    out.clear();
    const int count = Count();
    if (count < kIndexFrom) {
        for (int i = 0; i < count; ++i) out.push_back(i);
        return;
    }
    std::lock_guard<std::mutex> g(m_indexLock);
    for (; m_indexed < count - 1; ++m_indexed)
        if (const std::string* n = UserFunctionNameAt(this, m_indexed)) m_byName[*n].push_back(m_indexed);
    auto it = m_byName.find(name);
    if (it != m_byName.end()) out = it->second;
    for (int i = m_indexed; i < count; ++i) out.push_back(i);
}
