#include "interpreter/scope_blocks.h"

CScopeBlockList ScopeBlocks;

void CScopeBlockList::Add(CStatementBlock* block)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_where[block] = m_blocks.size();
    m_blocks.push_back(block);
}

void CScopeBlockList::Remove(CStatementBlock* block)
{
    // Programs with many thousands of functions free them newest first:
    // the place is known, and only the blocks after it move.
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_where.find(block);
    if (it == m_where.end()) return;
    const size_t at = it->second;
    m_where.erase(it);
    m_blocks.erase(m_blocks.begin() + (ptrdiff_t)at);
    for (size_t i = at; i < m_blocks.size(); ++i) m_where[m_blocks[i]] = i;
}

bool CScopeBlockList::Contains(const CStatementBlock* block)
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_where.count(block) != 0;
}

std::vector<CStatementBlock*> CScopeBlockList::Snapshot()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_blocks;
}
