// Pointers to functions in the text form of values: "@" and the function's name.
#include <cctype>
#include <cstring>
#include <ostream>

#include "interpreter/scope_blocks.h"
#include "interpreter/translator.h"
#include "interpreter/user_function.h"
#include "values/app_settings.h"

int WriteFunctionPointer(std::ostream& os, const CValue& v, const ValueTextFormat*)
{
    if (v.Type() != VT_POINTER) return -1;
    const void* target = v.Pointer();
    const char* name = nullptr;
    switch (ClassifyFunctionPointer(target)) {
    case PTR_BUILTIN: name = static_cast<const FuncEntry*>(target)->name; break;
    case PTR_USER_FUNCTION: name = static_cast<const CUserFunction*>(target)->name.c_str(); break;
    default: break;
    }
    if (!name || !*name) return -1;
    os << '@' << name;
    return 0;
}

namespace {

const void* FindAnyFunction(const std::string& name)
{
    // Programs and functions in scope first, then the library sources, then the built-ins.
    for (CStatementBlock* b : ScopeBlocks.Snapshot()) {
        const CFunctionTable* t = b->Functions();
        for (int i = 0; t && i < t->Count(); ++i)
            if (CUserFunction* f = UserFunctionAt(t, i); f && f->name == name) return f;
    }
    for (CLibraryFunctionTable* t : LibraryTables())
        for (int i = 0; i < t->Count(); ++i)
            if (CUserFunction* f = UserFunctionAt(t, i); f && f->name == name) return f;
    const void* found = nullptr;
    FindBuiltinOverload(name.c_str(), -1, -1, found);
    return found;
}

}  // namespace

int ReadFunctionPointer(std::istream& is, CValue& v)
{
    int c;
    do c = is.get();
    while (c != EOF && std::isspace(c));
    if (c != '@') {
        if (c == EOF)
            is.clear(is.rdstate() & ~(std::ios::failbit | std::ios::eofbit));
        else
            is.unget();
        return -1;
    }
    std::string name;
    while (IsIdentChar(is.peek())) name += (char)is.get();
    if (const void* target = name.empty() ? nullptr : FindAnyFunction(name)) {
        v.SetPointer(target);
        return 0;
    }
    ReportError() << "Invalid pointer";
    is.setstate(is.rdbuf() ? std::ios::failbit : std::ios::failbit | std::ios::badbit);
    return 2;
}

void InstallFunctionPointerText()
{
    WriteValueHook = WriteFunctionPointer;
    ReadValueHook = ReadFunctionPointer;
}
