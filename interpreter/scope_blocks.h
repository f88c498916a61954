#pragma once
// The live blocks that own variables: program objects and user functions.
#include <mutex>
#include <unordered_map>
#include <vector>

class CStatementBlock;

class CScopeBlockList {
public:
    void Add(CStatementBlock* block);
    void Remove(CStatementBlock* block);
    bool Contains(const CStatementBlock* block);
    std::vector<CStatementBlock*> Snapshot();

private:
    std::mutex m_lock;
    std::vector<CStatementBlock*> m_blocks;  // creation order
    std::unordered_map<const CStatementBlock*, size_t> m_where;  // block -> its place in m_blocks
};
extern CScopeBlockList ScopeBlocks;
