#pragma once
// User functions: the function object, its header parser, the tables that
// hold functions, and the function-library sources loaded at start-up.
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "interpreter/block.h"
#include "interpreter/func_records.h"
#include "values/text_format.h"

class CUserFunction : public CStatementBlock {
public:
    // Header without "=" after its outputs (or without outputs).
    static constexpr uint32_t FLAG_NO_ASSIGN = 0x1;

    std::string sourceFile;  // library file the body comes from; empty for program functions
    int bodyPos = -1;        // stream offset just after the header
    int endPos = -1;         // offset after the translated body
    int headerPos = -1;      // offset where the header begins
    std::string name;
    int outputCount = 0;
    int inputCount = 0;            // -n: n parameters, the last one variadic
    std::vector<CValue> defaults;  // of the last named parameters, in order
    std::string helpText;          // comment lines above the header

    // Library text kept in memory from load time, so that a body is
    // translated from what was read then and never from an edited file.
    std::shared_ptr<const std::string> sourceText;
    // Per parameter (declaration order): bound by reference.
    std::vector<unsigned char> byReference;
    bool translationFailed = false;
    // The root whose host callbacks serve a call in progress. A library
    // function is its own context (its nested bodies were translated with it
    // as owner), so its callbacks are passed on to the caller's root.
    CStatementBlock* callerRoot = nullptr;
    // ReadOnlyParameters' answer and the body it was found for.
    std::vector<unsigned char> readOnlyParameters;
    const void* readOnlyFor = nullptr;
    size_t readOnlyStatements = 0;

    CUserFunction();
    ~CUserFunction() override;

    int DefaultCount() const { return (int)defaults.size(); }
    // Parameters bound by position: all of them, less the variadic one.
    int NamedParameters() const { return inputCount < 0 ? -inputCount - 1 : inputCount; }
    bool IsVariadic() const { return inputCount < 0; }
    // Slot of output i / parameter i in the function's variable table.
    CVarSlot* OutputSlot(int i) const { return Vars() ? Vars()->At(i) : nullptr; }
    CVarSlot* ParameterSlot(int i) const { return Vars() ? Vars()->At(outputCount + i) : nullptr; }
    // Whether n arguments fit the parameters and defaults.
    bool AcceptsCount(int n) const;

    // Evaluated arguments: a value parameter gets a copy, a reference
    // parameter refers to the caller's value (a handle's referent).
    StatusWord Call(CValue** args, int count, CValue& result, StatementContext* context);

    // A new body; TranslateBlock on this function.
    StatusWord Translate(std::istream& in) override;

    int GetKind() override;
    int OnEnterBuiltin(const FuncEntry* entry) override;
    int OnEnterUserFunction(CStatementBlock* function, CSavedValue* saved, int savedCount) override;
    int OnLeaveFunction() override;
    int IsStopRequested() override;
    bool IsDebugging() override;
    int DebugHook(CStatement* st, int index) override;
    int AfterStatement(CStatement* st, StatusWord* status) override;
    int WaitPause(int milliseconds) override;

private:
    CStatementBlock* Host() const { return callerRoot && callerRoot != this ? callerRoot : nullptr; }
};

// A table of functions loaded from one library folder (and its sub-folders).
class CLibraryFunctionTable : public CFunctionTable {
public:
    std::string name;
};

// Appends a new library table to the global list (creation order).
CLibraryFunctionTable* CreateLibraryTable(const std::string& name);
// The library tables in creation order.
std::vector<CLibraryFunctionTable*> LibraryTables();
// Deletes every library table with its functions (shutdown and tests).
void DeleteLibraryTables();

// A new empty function appended to the table; null when the heap refuses.
CUserFunction* AddUserFunction(CFunctionTable* table);
// The function at index i of a table, or null when it is no user function.
CUserFunction* UserFunctionAt(const CFunctionTable* table, int i);
// True for a live user function (any table).
bool IsUserFunction(const void* pointer);

// Reads the header after the word "function": 0, or -1 after the message.
int ParseFunctionDeclaration(CUserFunction* function, std::istream& in);

// Reads up to one of the delimiters (consumed, not part of the text). Returns
// the delimiter, 1 when the stream ended after at least one character, 0 when
// nothing was read. Blanks are kept.
int ReadToken(std::istream& in, std::string& text, const char* delimiters);

// Loads the "*.vdl" files of the folder setting ("\funlib" when empty) and
// its sub-folders; returns the number of functions and named values loaded.
int LoadFunctionLibraries(const std::string& folder);
// Reads one library source into the table: headers, help comments, named
// values; bodies wait for their first call.
int LoadFunctionLibrary(CFunctionTable* table, const std::string& file);
// The same from text already in memory, with the file name for messages.
int LoadFunctionLibraryText(CFunctionTable* table, const std::string& file,
                            std::shared_ptr<const std::string> text);

// Installs WriteFunctionPointer and ReadFunctionPointer in the value text hooks.
void InstallFunctionPointerText();
int WriteFunctionPointer(std::ostream& os, const CValue& v, const ValueTextFormat* fmt);
int ReadFunctionPointer(std::istream& is, CValue& v);

// ---- overload search and prototypes ------------------------------------------

// Flag bits of CheckOverloadAmbiguity.
enum : int { OVERLOAD_BUILTIN = 0x1, OVERLOAD_AMBIGUOUS = 0x2 };

// The user search, then (when it found nothing twice) the built-in search.
// Returns the first match, a CUserFunction or (flag bit 0) a FuncEntry, or
// null; a second match sets flag bit 1 and, when warn is set, writes the
// ambiguity warning.
const void* CheckOverloadAmbiguity(CFunctionTable* programTable, const char* name, int argCount,
                                   int outCount, int* flags, bool warn);

// Functions bearing the name, user and built-in, for the IDE.
struct FunctionOverload {
    const void* pointer;
    int kind;  // 1 built-in, 2 user function
};
int CountFunctionOverloads(const char* name, int, int, std::vector<FunctionOverload>& list);
