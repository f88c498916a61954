// Function groups and rows, shared by the functions bar and the Function dialog.
#include "ide/help/function_groups.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "interpreter/block.h"
#include "interpreter/func_records.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"

namespace {

std::string LowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

void AppendLibrary(const FuncLibrary* lib, std::vector<const FuncEntry*>& out)
{
    if (!lib || !lib->table) return;
    for (int i = 0; i < lib->count; ++i) out.push_back(&lib->table[i]);
}

}  // namespace

std::string FunctionRow::Name() const
{
    if (const FuncEntry* e = Entry()) return e->name ? e->name : "";
    if (const CUserFunction* f = User()) return f->name;
    return std::string();
}

std::string FunctionRow::Prototype() const
{
    if (const FuncEntry* e = Entry()) return FormatFunctionPrototype(e);
    if (const CUserFunction* f = User()) return FormatUserPrototype(f);
    return std::string();
}

std::string FunctionRow::Description() const
{
    if (const FuncEntry* e = Entry()) return e->help ? e->help : "";
    if (const CUserFunction* f = User()) return f->helpText;
    return std::string();
}

int FindFunctionGroup(const std::vector<FunctionGroup>& groups, const std::string& name)
{
    std::string key = LowerAscii(name);
    for (size_t i = 0; i < groups.size(); ++i)
        if (LowerAscii(groups[i].name) == key) return (int)i;
    return -1;
}

int AddFunctionSource(std::vector<FunctionGroup>& groups, const std::string& name, FunctionSource source)
{
    int i = FindFunctionGroup(groups, name);
    if (i < 0) {
        groups.push_back(FunctionGroup{name, {}});
        i = (int)groups.size() - 1;
    }
    groups[i].sources.push_back(source);
    return i;
}

int BuildFunctionRows(const FunctionGroup& group, std::vector<FunctionRow>& rows)
{
    rows.clear();
    std::unordered_set<const void*> seen;
    auto add = [&](int flags, const void* f) {
        if (f && seen.insert(f).second) rows.push_back(FunctionRow{flags, f});
    };
    for (const FunctionSource& s : group.sources) {
        std::vector<const FuncEntry*> entries;
        switch (s.kind) {
        case FunctionSource::ALL_BUILTINS:
            CollectBuiltinFunctions(entries);
            for (const FuncEntry* e : entries) add(FunctionRow::BUILTIN, e);
            break;
        case FunctionSource::LIBRARY:
            AppendLibrary(s.library, entries);
            for (const FuncEntry* e : entries) add(FunctionRow::BUILTIN, e);
            break;
        case FunctionSource::USER_FUNCTIONS:
            if (!s.users) break;
            for (CStatementBlock* b : s.users->functions)
                if (b && b->GetKind() == 2) add(FunctionRow::USER, b);
            break;
        }
    }
    // Names are compared once each; a stable sort keeps equal names (overloads) in source order.
    std::vector<std::string> names;
    names.reserve(rows.size());
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        names.push_back(rows[i].Name());
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return std::strcmp(names[a].c_str(), names[b].c_str()) < 0; });
    std::vector<FunctionRow> sorted;
    sorted.reserve(rows.size());
    for (size_t i : order) sorted.push_back(rows[i]);
    rows.swap(sorted);
    return (int)rows.size();
}

std::vector<FunctionGroup> StandardFunctionGroups(const CStatementBlock* mainBlock)
{
    std::vector<FunctionGroup> groups;
    AddFunctionSource(groups, "All Standard", FunctionSource::AllBuiltins());
    for (FuncLibrary* lib : RegisteredLibraries())
        if (lib) AddFunctionSource(groups, lib->name ? lib->name : "", FunctionSource::Library(lib));
    for (CLibraryFunctionTable* t : LibraryTables())
        if (t) AddFunctionSource(groups, t->name, FunctionSource::Users(t));
    AddFunctionSource(groups, "Local", FunctionSource::Users(mainBlock ? mainBlock->Functions() : nullptr));
    return groups;
}
