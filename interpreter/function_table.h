#pragma once
// The user functions of one scope, owned in declaration order.
#include <vector>

class CStatementBlock;

class CFunctionTable {
public:
    CFunctionTable() {}
    CFunctionTable(const CFunctionTable&) = delete;
    CFunctionTable& operator=(const CFunctionTable&) = delete;
    virtual ~CFunctionTable();  // deletes every function

    // User-function blocks; kept as blocks so that the table deletes them
    // through the block's virtual destructor.
    std::vector<CStatementBlock*> functions;

    int Count() const { return (int)functions.size(); }
    void Append(CStatementBlock* function);  // takes ownership
    void RemoveLast(int n = 1);
    void Clear();
};
