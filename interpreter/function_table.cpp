#include "interpreter/function_table.h"

#include "interpreter/block.h"

CFunctionTable::~CFunctionTable() { Clear(); }

void CFunctionTable::Append(CStatementBlock* function)
{
    if (function) functions.push_back(function);
}

void CFunctionTable::RemoveLast(int n)
{
    for (; n > 0 && !functions.empty(); --n) {
        CStatementBlock* f = functions.back();
        functions.pop_back();
        delete f;
    }
}

void CFunctionTable::Clear()
{
    // Pop first: a function's destructor may look at the table.
    while (!functions.empty()) RemoveLast(1);
}
