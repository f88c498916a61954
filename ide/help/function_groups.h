#pragma once
// The grouping of callable functions that the functions bar and the Function
// insert dialog show: named groups of sources (all built-ins, one registered
// library, or a list of user functions) and the sorted rows built from them.
#include <string>
#include <vector>

struct FuncEntry;
struct FuncLibrary;
class CFunctionTable;
class CStatementBlock;
class CUserFunction;

// One source of a group.
struct FunctionSource {
    enum Kind { ALL_BUILTINS = 0, LIBRARY = 1, USER_FUNCTIONS = 2 };
    Kind kind = ALL_BUILTINS;
    const FuncLibrary* library = nullptr;  // LIBRARY
    const CFunctionTable* users = nullptr; // USER_FUNCTIONS; null = none

    static FunctionSource AllBuiltins() { return {}; }
    static FunctionSource Library(const FuncLibrary* lib) { return {LIBRARY, lib, nullptr}; }
    static FunctionSource Users(const CFunctionTable* table) { return {USER_FUNCTIONS, nullptr, table}; }
};

struct FunctionGroup {
    std::string name;  // the box text; matched ignoring ASCII case
    std::vector<FunctionSource> sources;
};

// One row: a built-in record (flags 1) or a user function (flags 2).
struct FunctionRow {
    enum : int { BUILTIN = 1, USER = 2 };
    int flags = 0;
    const void* function = nullptr;

    bool IsBuiltin() const { return flags == BUILTIN; }
    const FuncEntry* Entry() const { return flags == BUILTIN ? (const FuncEntry*)function : nullptr; }
    const CUserFunction* User() const { return flags == USER ? (const CUserFunction*)function : nullptr; }
    std::string Name() const;
    // The prototype as shown in the lists and inserted by Add Function.
    std::string Prototype() const;
    // The description: a record's help text, a user function's comment lines.
    std::string Description() const;
};

// Appends the source to the group of that name (ASCII case ignored); a new
// name appends a new group. Returns the group's index.
int AddFunctionSource(std::vector<FunctionGroup>& groups, const std::string& name, FunctionSource source);
// Index of the group of that name (ASCII case ignored), -1 when none.
int FindFunctionGroup(const std::vector<FunctionGroup>& groups, const std::string& name);

// Rebuilds rows from the group's sources: no function twice, then sorted by
// name, byte-wise and case-sensitive. Returns the row count.
int BuildFunctionRows(const FunctionGroup& group, std::vector<FunctionRow>& rows);

// The groups in the functions bar's order: "All Standard"; one per registered
// library; one per user-function library; "Local" with the user functions of
// mainBlock (none when it is null or has no scope).
std::vector<FunctionGroup> StandardFunctionGroups(const CStatementBlock* mainBlock);
