#pragma once
// The basic statement group: loops, branches, jumps and housekeeping.
#include <string>
#include <vector>

#include "interpreter/expr_tree.h"
#include "interpreter/statement_module.h"

enum BasicStatementCode : int {
    STMT_FOR = 101,
    STMT_WHILE = 102,
    STMT_IF = 103,
    STMT_SWITCH = 104,
    STMT_BREAK = 105,
    STMT_RETURN = 106,
    STMT_CONTINUE = 107,
    STMT_GOTO = 110,
    STMT_GLOBAL = 115,
    STMT_CLEAR = 116,
    STMT_PAUSE = 150,
};

// Makes a block the body of a compound statement of owner: it shares the
// owner's variables and user functions, its source name and text base, and
// its context is the owner's root.
void InitNestedBlock(CStatementBlock& nested, CStatementBlock* owner);

// for(var = start[ : end[ : step]]) body end
class CForStatement : public CStatement {
public:
    CVarSlot* variable = nullptr;
    CCompiledExpr startExpr, endExpr, stepExpr;
    CStatementBlock body;

    explicit CForStatement(CStatementBlock* owner);
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CWhileStatement : public CStatement {
public:
    CCompiledExpr condition;
    CStatementBlock body;

    explicit CWhileStatement(CStatementBlock* owner);
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// "elseif" becomes an if statement alone in the else block.
class CIfStatement : public CStatement {
public:
    CCompiledExpr condition;
    CStatementBlock thenBlock, elseBlock;

    explicit CIfStatement(CStatementBlock* owner);
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

class CSwitchStatement : public CStatement {
public:
    struct Case {
        CCompiledExpr expr;
        CStatementBlock block;
    };
    CCompiledExpr selector;
    std::vector<Case*> cases;  // owned, in source order
    CStatementBlock defaultBlock;

    explicit CSwitchStatement(CStatementBlock* owner);
    ~CSwitchStatement() override;
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// "break;", "return;" and "continue;" return their flag alone.
class CJumpStatement : public CStatement {
public:
    CJumpStatement(CStatementBlock* owner, StatusWord flag) : CStatement(owner), m_flag(flag) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue*) override { return m_flag; }

private:
    StatusWord m_flag;
};

class CBreakStatement : public CJumpStatement {
public:
    explicit CBreakStatement(CStatementBlock* owner) : CJumpStatement(owner, STATUS_BREAK) {}
};
class CReturnStatement : public CJumpStatement {
public:
    explicit CReturnStatement(CStatementBlock* owner) : CJumpStatement(owner, STATUS_RETURN) {}
};
class CContinueStatement : public CJumpStatement {
public:
    explicit CContinueStatement(CStatementBlock* owner) : CJumpStatement(owner, STATUS_CONTINUE) {}
};

class CGotoStatement : public CStatement {
public:
    int label = -1;  // interned label id

    explicit CGotoStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// Works while the text is translated; never stored in a block.
class CGlobalStatement : public CStatement {
public:
    explicit CGlobalStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue*) override { return 0; }
};

class CClearStatement : public CStatement {
public:
    enum Mode : int {
        CLEAR_NONE = -1,
        CLEAR_NAMES = 0,   // clear a, b;
        CLEAR_GLOBAL = 1,  // clear *;
        CLEAR_LOCAL = 2,   // clear #;
        CLEAR_ALL = 4,     // clear;
    };
    int mode = CLEAR_NONE;
    std::vector<std::string> names;

    explicit CClearStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// pause TIME; (seconds, 0 <= TIME < 500000)
class CPauseStatement : public CStatement, public CCompiledExpr {
public:
    explicit CPauseStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    StatusWord Execute(CValue* scratch) override;
};

// The group record and its factory.
class CBasicStatementGroup : public CmdrInfo {
public:
    CStatement* CreateStatement(int code, CStatementBlock* owner) override;
};

// A new statement for a code of the basic table, or null.
CStatement* CreateBasicStatement(int code, CStatementBlock* owner);

// Fills the group record (idempotent) and returns it, ready for
// CStatementModuleList::AddGroup.
CmdrInfo* RegisterBasicStatements();
