#pragma once
// The user functions of one scope, owned in declaration order.
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CStatementBlock;

class CFunctionTable {
public:
    CFunctionTable() {}
    CFunctionTable(const CFunctionTable&) = delete;
    CFunctionTable& operator=(const CFunctionTable&) = delete;
    virtual ~CFunctionTable();  // deletes every function

    // User-function blocks; kept as blocks so that the table deletes them
    // through the block's virtual destructor. Changed only by Append,
    // RemoveLast and Clear.
    std::vector<CStatementBlock*> functions;

    int Count() const { return (int)functions.size(); }
    void Append(CStatementBlock* function);  // takes ownership
    void RemoveLast(int n = 1);
    void Clear();

    // Positions of the functions that may be named `name`, ascending: every
    // function of that name, and perhaps others (the caller compares names).
    // Large tables answer from an index; small ones give every position.
    void Candidates(std::string_view name, std::vector<int>& out) const;

private:
    static constexpr int kIndexFrom = 16;
    // The index covers the first m_indexed functions; the newest one stays
    // out of it because its header (and name) may still be being read.
    // Filled lazily by searches, which several threads may run.
    mutable std::mutex m_indexLock;
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    mutable std::unordered_map<std::string, std::vector<int>, NameHash, std::equal_to<>> m_byName;
    mutable int m_indexed = 0;

    void UnindexFrom(int count);
};

// The name of the table's function at i, null when it is no user function
// (with the user functions: user_function.cpp).
const std::string* UserFunctionNameAt(const CFunctionTable* table, int i);
