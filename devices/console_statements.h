#pragma once
// The console statements print, input and clc: the group record, the
// statements, and the batch console that stands in for the console device
// under a windowless run.
#include <memory>
#include <string>
#include <vector>

#include "interpreter/expr_tree.h"
#include "interpreter/statement_module.h"
#include "values/text_format.h"

enum ConsoleStatementCode : int {
    STMT_PRINT = 120,
    STMT_CLC = 121,
    STMT_INPUT = 122,
};

// The handle-less console statements share this device name and variable.
extern const char* const DefaultConsoleName;  // "DEFAULT_CONSOLE"

// The host's copy of the console's default value format, used for the mirror
// of printed values in the message stream.
inline constexpr ValueTextFormat ConsoleMirrorTextFormat = {
    VTF_NO_BRACKETS | VTF_LINE_BREAKS | VTF_CELL_WIDTH, 262144, 20, 6, VTF_NO_ROUNDING, {0, 0}, 15};

// The batch console: set by the batch runner before the program object
// starts. Console statements then load no device: print and clc write the
// mirror only, input reads standard input.
void SetBatchConsole(bool on);
bool IsBatchConsole();

// Base of the three statements: the handle variable and the device name.
class CConsoleStatementBase : public CStatement {
public:
    CVarSlot* handleVariable = nullptr;
    std::string deviceName;

    explicit CConsoleStatementBase(CStatementBlock* owner) : CStatement(owner) {}

    // Binds the device name and its variable; false (reported) for a bad name.
    bool ParseConsoleHandle(const std::string& name);
    // The console window of the statement, opened or reconnected by name;
    // null when there is none (reported).
    HWND OpenConsoleWindow();

protected:
    // Reads "#HANDLE" or nothing and binds the device name. kept receives the
    // first non-blank character when there is no '#', else the character
    // that ended the handle word (EOF at the end of the text).
    StatusWord TranslateHandle(std::istream& in, int& kept);
};

class CClcStatement : public CConsoleStatementBase {
public:
    explicit CClcStatement(CStatementBlock* owner) : CConsoleStatementBase(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// One option as written: its name (trimmed, case kept) and its value expression.
struct ConsoleOptionRecord {
    std::string name;
    CCompiledExpr value;  // empty: the option has no value
};

// One item of print or input, with the options written before it.
struct ConsoleItemRecord {
    std::vector<std::unique_ptr<ConsoleOptionRecord>> options;
    CCompiledExpr expr;
    bool target = false;  // input only: '$' before the item
};

// print (flag 0) and input (flag 1).
class CConsoleIoStatement : public CConsoleStatementBase {
public:
    int flag;
    std::vector<std::unique_ptr<ConsoleItemRecord>> items;

    CConsoleIoStatement(CStatementBlock* owner, int inputFlag) : CConsoleStatementBase(owner), flag(inputFlag) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CConsoleStatementGroup : public CmdrInfo {
public:
    CStatement* CreateStatement(int code, CStatementBlock* owner) override;
    bool Exit() override;
};

// A new statement for a code of the console table, or null.
CStatement* CreateConsoleStatement(int code, CStatementBlock* owner);

// Fills the group record (idempotent) and returns it.
CmdrInfo* RegisterConsoleStatements();
