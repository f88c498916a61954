// The user-function object, its header, the tables that hold functions, and
// the translation of bodies (at declaration for program functions, at first
// use for library functions), and the checks and calls of pointers to
// functions that every block offers.
#include "interpreter/user_function.h"

#include <cctype>
#include <mutex>
#include <cstring>
#include <new>
#include <sstream>

#include "interpreter/scope_blocks.h"
#include "interpreter/translator.h"
#include "interpreter/user_calls.h"
#include "values/value_text.h"

// ---- the function object ----------------------------------------------------

CUserFunction::CUserFunction() { ScopeBlocks.Add(this); }

CUserFunction::~CUserFunction() { ScopeBlocks.Remove(this); }

bool CUserFunction::AcceptsCount(int n) const
{
    return CheckArityCounts(inputCount, DefaultCount(), n, true) == 0;
}

StatusWord CUserFunction::Translate(std::istream& in)
{
    // Which parameters the new body can change is asked again.
    readOnlyFor = nullptr;
    return TranslateBlock(this, in);
}

int CUserFunction::GetKind() { return 2; }

int CUserFunction::OnEnterBuiltin(const FuncEntry* entry)
{
    return Host() ? Host()->OnEnterBuiltin(entry) : 0;
}

int CUserFunction::OnEnterUserFunction(CStatementBlock* function, CSavedValue* saved, int savedCount)
{
    return Host() ? Host()->OnEnterUserFunction(function, saved, savedCount) : 0;
}

int CUserFunction::OnLeaveFunction() { return Host() ? Host()->OnLeaveFunction() : 0; }
int CUserFunction::IsStopRequested() { return Host() ? Host()->IsStopRequested() : 0; }
bool CUserFunction::IsDebugging() { return Host() ? Host()->IsDebugging() : false; }
int CUserFunction::DebugHook(CStatement* st, int index) { return Host() ? Host()->DebugHook(st, index) : 1; }

int CUserFunction::AfterStatement(CStatement* st, StatusWord* status)
{
    return Host() ? Host()->AfterStatement(st, status) : 0;
}

int CUserFunction::WaitPause(int milliseconds) { return Host() ? Host()->WaitPause(milliseconds) : 0; }

// ---- tables -------------------------------------------------------------------

namespace {

struct LibraryList {
    std::mutex lock;
    std::vector<CLibraryFunctionTable*> tables;
};

// Never destroyed: tables must go before the scope-block list does, which
// DeleteLibraryTables arranges at shutdown.
LibraryList& Libraries()
{
    static LibraryList* list = new LibraryList();
    return *list;
}

}  // namespace

CLibraryFunctionTable* CreateLibraryTable(const std::string& name)
{
    CLibraryFunctionTable* t = new (std::nothrow) CLibraryFunctionTable();
    if (!t) return nullptr;
    t->name = name;
    LibraryList& l = Libraries();
    std::lock_guard<std::mutex> g(l.lock);
    l.tables.push_back(t);
    return t;
}

std::vector<CLibraryFunctionTable*> LibraryTables()
{
    LibraryList& l = Libraries();
    std::lock_guard<std::mutex> g(l.lock);
    return l.tables;
}

void DeleteLibraryTables()
{
    std::vector<CLibraryFunctionTable*> tables;
    {
        LibraryList& l = Libraries();
        std::lock_guard<std::mutex> g(l.lock);
        tables.swap(l.tables);
    }
    for (CLibraryFunctionTable* t : tables) delete t;
}

CUserFunction* AddUserFunction(CFunctionTable* table)
{
    if (!table) return nullptr;
    CUserFunction* f = new (std::nothrow) CUserFunction();
    if (f) table->Append(f);
    return f;
}

CUserFunction* UserFunctionAt(const CFunctionTable* table, int i)
{
    if (!table || i < 0 || i >= table->Count()) return nullptr;
    CStatementBlock* b = table->functions[i];
    return b && b->GetKind() == 2 ? static_cast<CUserFunction*>(b) : nullptr;
}

const std::string* UserFunctionNameAt(const CFunctionTable* table, int i)
{
    const CUserFunction* f = UserFunctionAt(table, i);
    return f ? &f->name : nullptr;
}

bool IsUserFunction(const void* pointer)
{
    if (!pointer) return false;
    const CStatementBlock* b = static_cast<const CStatementBlock*>(pointer);
    if (!ScopeBlocks.Contains(b)) return false;
    return const_cast<CStatementBlock*>(b)->GetKind() == 2;
}

// ---- the header ---------------------------------------------------------------

int ReadToken(std::istream& in, std::string& text, const char* delimiters)
{
    text.clear();
    for (;;) {
        int c = in.get();
        if (c == EOF) {
            in.clear(in.rdstate() & ~std::ios::failbit);
            return text.empty() ? 0 : 1;
        }
        for (const char* d = delimiters; *d; ++d)
            if (c == (unsigned char)*d) return c;
        text += (char)c;
    }
}

namespace {

bool IsBlankChar(int c) { return c != EOF && std::isspace((unsigned char)c); }

void SkipBlanks(std::istream& in)
{
    while (IsBlankChar(in.peek())) in.get();
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlankChar((unsigned char)s[b])) ++b;
    while (e > b && IsBlankChar((unsigned char)s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool IsName(const std::string& s)
{
    if (s.empty() || !(std::isalpha((unsigned char)s[0]) || s[0] == '_')) return false;
    for (char c : s)
        if (!IsIdentChar((unsigned char)c)) return false;
    return true;
}

int HeaderError(const char* text)
{
    ReportError() << text;
    return -1;
}

constexpr const char* kDuplicate = "Output parameter already exists";
constexpr const char* kBadOutput = "Invalid output parameter declaration";
constexpr const char* kBadName = "Invalid function name";
constexpr const char* kBadArgument = "Invalid argument name";
constexpr const char* kBadReference = "Invalid declaration of argument as reference";
constexpr const char* kBadVariadic =
    "Sign of variable number of parameters ('...') it should be located at the last parameter of formal argument list";
constexpr const char* kBadDefault = "Default value of argument must be a constant";
constexpr const char* kDefaultOrder = "All arguments following the first default argument must be also initialized";

// Characters a constant in the text form of values may begin with.
bool StartsConstant(int c)
{
    return c != EOF && (std::isdigit(c) || std::strchr("+-.([\"'<{@#INU", c) != nullptr);
}

int AddOutput(CUserFunction* f, const std::string& raw)
{
    std::string name = Trim(raw);
    if (!IsName(name)) return HeaderError(kBadOutput);
    if (f->Vars()->Find(name)) return HeaderError(kDuplicate);
    if (!f->Vars()->Add(name, true)) return HeaderError(kBadOutput);
    ++f->outputCount;
    return 0;
}

int ReadOutputs(CUserFunction* f, std::istream& in)
{
    SkipBlanks(in);
    if (in.peek() == '[') {
        in.get();
        std::string token;
        for (;;) {
            int d = ReadToken(in, token, ",]");
            if (d != ',' && d != ']') return HeaderError(kBadOutput);
            if (d == ']' && f->outputCount == 0 && Trim(token).empty()) break;  // "[]": none
            if (AddOutput(f, token)) return -1;
            if (d == ']') break;
        }
        SkipBlanks(in);
        if (in.peek() == '=')
            in.get();
        else
            f->flags |= CUserFunction::FLAG_NO_ASSIGN;
        std::string fname;
        if (ReadToken(in, fname, "(") != '(' || !IsName(Trim(fname))) return HeaderError(kBadName);
        f->name = Trim(fname);
        return 0;
    }
    std::string token;
    int d = ReadToken(in, token, "=(");
    if (d == '=') {
        if (in.peek() == '=') return HeaderError(kBadOutput);
        if (AddOutput(f, token)) return -1;
        std::string fname;
        if (ReadToken(in, fname, "(") != '(' || !IsName(Trim(fname))) return HeaderError(kBadName);
        f->name = Trim(fname);
        return 0;
    }
    if (d != '(' || !IsName(Trim(token))) return HeaderError(kBadName);
    f->flags |= CUserFunction::FLAG_NO_ASSIGN;
    f->name = Trim(token);
    return 0;
}

int ReadParameters(CUserFunction* f, std::istream& in, std::vector<CValue>& defaults)
{
    bool variadic = false;
    int count = 0;
    for (;;) {
        SkipBlanks(in);
        bool reference = false;
        std::string name;
        if (in.peek() == '[') {
            in.get();
            int d = ReadToken(in, name, "]");
            if (d != ']') return HeaderError(kBadReference);
            name = Trim(name);
            reference = true;
        } else {
            while (IsIdentChar(in.peek())) name += (char)in.get();
        }
        if (!IsName(name)) return HeaderError(kBadArgument);
        if (f->Vars()->Find(name)) return HeaderError(kDuplicate);

        SkipBlanks(in);
        int c = in.get();
        bool hasDefault = false;
        if (c == '.') {
            if (in.get() != '.' || in.get() != '.' || in.get() != ')') return HeaderError(kBadVariadic);
            variadic = true;
            c = ')';
        } else if (c == '=') {
            SkipBlanks(in);
            if (!StartsConstant(in.peek())) return HeaderError(kBadDefault);
            CValue v;
            ReadValue(in, v);
            if (in.fail()) {
                in.clear();
                return HeaderError(kBadDefault);
            }
            SkipBlanks(in);
            c = in.get();
            if (c != ',' && c != ')') return HeaderError(kBadDefault);
            defaults.push_back(std::move(v));
            hasDefault = true;
        }
        if (c != ',' && c != ')') return HeaderError(kBadArgument);
        if (!hasDefault && !variadic && !defaults.empty()) return HeaderError(kDefaultOrder);

        if (!f->Vars()->Add(name, !reference)) return HeaderError(kBadArgument);
        f->byReference.push_back(reference ? 1 : 0);
        ++count;
        if (c == ')') break;
    }
    f->inputCount = variadic ? -count : count;
    return 0;
}

}  // namespace

int ParseFunctionDeclaration(CUserFunction* f, std::istream& in)
{
    f->Clear();
    f->headerPos = StreamPos(in);
    f->outputCount = 0;
    f->inputCount = 0;
    f->flags &= ~CUserFunction::FLAG_NO_ASSIGN;
    f->defaults.clear();
    f->byReference.clear();
    f->name.clear();
    if (!f->Vars()) return HeaderError(kBadName);

    if (ReadOutputs(f, in)) return -1;
    std::vector<CValue> defaults;
    if (ReadParameters(f, in, defaults)) return -1;
    f->bodyPos = StreamPos(in);
    f->defaults = std::move(defaults);
    return 0;
}

// ---- translation ----------------------------------------------------------------

StatusWord DeclareUserFunction(CStatementBlock* block, std::istream& in, const std::string& comment)
{
    CStatementBlock* root = block->Context();
    CUserFunction* f = AddUserFunction(root->Functions());
    if (!f) return ERR_INTERNAL;
    CFunctionTable* table = root->Functions();
    f->helpText = comment;
    f->sourceName = block->sourceName;
    f->textBase = block->textBase;
    f->owner = root;
    if (ParseFunctionDeclaration(f, in) != 0) {
        table->RemoveLast();
        return ERR_INTERNAL;
    }
    // The function reports its own body errors: it owns its scope.
    StatusWord s = f->Translate(in);
    if (s & STATUS_CODE_MASK) {
        table->RemoveLast();
        in.setstate(std::ios::failbit);
        return ERR_FUNCTION_TRANSLATION | STATUS_REPORTED;
    }
    f->endPos = StreamPos(in);
    return 0;
}

StatusWord PrepareUserFunction(CUserFunction* f)
{
    if (!f) return ERR_FUNCTION_TRANSLATION;
    if (f->flags & CStatementBlock::FLAG_TRANSLATED) return 0;
    if (f->translationFailed || !f->sourceText) return ERR_FUNCTION_TRANSLATION;
    std::istringstream in(*f->sourceText);
    StreamSeek(in, f->bodyPos);
    StatusWord s = f->Translate(in);
    f->endPos = StreamPos(in);
    if (s & STATUS_CODE_MASK) {
        // Reported by the translator; later calls fail without a second report.
        f->translationFailed = true;
        for (CStatement* st : f->statements) delete st;
        f->statements.clear();
        return ERR_FUNCTION_TRANSLATION;
    }
    return 0;
}

// ---- pointers to functions ----------------------------------------------------

// slots 18 and 19: the libraries' classifiers.
int CStatementBlock::ClassifyPointer(const void* target) { return ::ClassifyPointer(target); }
int CStatementBlock::ClassifyFunctionPointer(const void* target) { return ::ClassifyFunctionPointer(target); }

// slot 20
StatusWord CStatementBlock::CheckFunctionPointerArity(int kind, const void* target, int count)
{
    return ::CheckFunctionPointerArity(kind, target, count);
}

// slot 21: kind 1 through CallBuiltinFunction(entry, args, count, result, this),
// any other kind through CUserFunction::Call.
StatusWord CStatementBlock::CallFunctionPointer(int kind, const void* target, CValue** args, int count,
                                                CValue* result)
{
    if (!target) return ERR_FUNCTION_POINTER;
    if (kind == PTR_BUILTIN)
        return CallBuiltinFunction(static_cast<const FuncEntry*>(target), args, count, result, this);
    if (kind == PTR_USER_FUNCTION) {
        if (!result || !IsUserFunction(target)) return ERR_FUNCTION_POINTER;
        CUserFunction* f = static_cast<CUserFunction*>(const_cast<void*>(target));
        return f->Call(args, count, *result, this);
    }
    return ERR_FUNCTION_POINTER;
}

StatusWord CheckFunctionPointerArity(int kind, const void* target, int count)
{
    if (!target) return ERR_FUNCTION_POINTER;
    if (kind == PTR_BUILTIN) {
        const FuncEntry* e = static_cast<const FuncEntry*>(target);
        return CheckArityCounts(e->inputs, e->defaultCount, count, false);
    }
    if (kind == PTR_USER_FUNCTION && IsUserFunction(target)) {
        CUserFunction* f = static_cast<CUserFunction*>(const_cast<void*>(target));
        if (StatusWord s = CheckArityCounts(f->inputCount, f->DefaultCount(), count, true)) return s;
        return PrepareUserFunction(f);
    }
    return ERR_FUNCTION_POINTER;
}

// Built-in rows, user functions, and the variables of the global table and of
// the program units.
int ClassifyPointer(const void* target)
{
    if (!target) return PTR_OTHER;
    if (IsBuiltinFunctionEntry(target)) return PTR_BUILTIN;
    if (IsUserFunction(target)) return PTR_USER_FUNCTION;
    if (GlobalVariables.IndexOf(static_cast<const CVarSlot*>(target)) >= 0) return PTR_VARIABLE;
    // Variables of the live programs and user functions.
    for (CStatementBlock* b : ScopeBlocks.Snapshot())
        if (CVarTable* t = b->Vars())
            for (const CVarSlot* s : t->slots)
                if (s == target) return PTR_VARIABLE;
    return PTR_OTHER;
}

int ClassifyFunctionPointer(const void* target)
{
    if (target && IsBuiltinFunctionEntry(target)) return PTR_BUILTIN;
    if (IsUserFunction(target)) return PTR_USER_FUNCTION;
    return PTR_OTHER;
}
