#pragma once
// What the expression translator and evaluator need of user functions
// (defined with the user functions: user_function_calls.cpp, user_function.cpp,
// and ProgramFunctionTable with the expression translator). It names their
// types only, so that those below the user functions can include it.
#include <string>

#include "interpreter/status.h"

class CFunctionTable;
class CStatementBlock;
class CUserFunction;
class CValue;
struct ExprNode;
struct FuncEntry;
using StatementContext = CStatementBlock;

// Searches the program table (may be null) and then the tables of the function
// library sources. A function matches by name, by its arity accepting argCount
// and by outCount (-1 matches anything). The first match goes to found when it
// is null; a match while found is set is returned as the second match and ends
// the search; null when there was none.
CUserFunction* FindUserFunctionOverload(CFunctionTable* programTable, const char* name, int argCount,
                                        int outCount, CUserFunction*& found);

// Translates the body if it is not yet: 0, or 54 when that fails.
StatusWord PrepareUserFunction(CUserFunction* function);

// A call node of kind 48 (also a call through a pointer variable): binds the
// argument trees, runs the body, gives the outputs in result.
StatusWord CallUserFunctionNode(CUserFunction* function, ExprNode** args, int count, CValue& result,
                                StatementContext* context);

// False when the function declares no outputs or its header has no "=".
bool UserFunctionYieldsValue(const CUserFunction* function);

// Prototype texts for messages.
std::string FormatUserPrototype(const CUserFunction* function);
std::string FormatFunctionPrototype(const FuncEntry* entry);

// The program table that the translator searches for a context block: the
// function table of the block's root (its owner, else itself).
CFunctionTable* ProgramFunctionTable(StatementContext* context);
