// A statement module for the tests. "twice NAME;" doubles a variable;
// "echo EXPR;" shows a value. Both reach the interpreter only through the
// block's context services. "deaf;" stands for a statement that never sees a
// stop: it says "deaf", then blocks for a minute.
#include "interpreter/statement_module.h"
#include "interpreter/translator.h"
#include "platform/kernel/kernel.h"
#include "values/value_text.h"

namespace {

class CTwiceStatement : public CStatement {
public:
    explicit CTwiceStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override
    {
        std::string name;
        if (ReadUntil(in, ";", name) != ';' || name.empty()) return ERR_SYNTAX;
        m_slot = owner->FindVariable(name.c_str());
        if (!m_slot) m_slot = owner->AddVariable(name.c_str(), true);
        return m_slot ? 0 : ERR_INTERNAL;
    }
    StatusWord Execute(CValue*) override
    {
        if (!m_slot->value || m_slot->value->Type() != VT_REAL) return ERR_INVALID_OPERAND;
        m_slot->value->Real() *= 2;
        return 0;
    }

private:
    CVarSlot* m_slot = nullptr;
};

class CEchoStatement : public CStatement {
public:
    explicit CEchoStatement(CStatementBlock* owner) : CStatement(owner) {}
    ~CEchoStatement() override { owner->FreeExpression(m_tree); }
    StatusWord Translate(std::istream& in) override { return owner->ParseExpression(in, &m_tree); }
    StatusWord Execute(CValue* scratch) override
    {
        StatusWord s = owner->Evaluate(m_tree, scratch);
        if (s) return s;
        ReportPlain() << "echo " << *scratch;
        return 0;
    }

private:
    ExprNode* m_tree = nullptr;
};

class CDeafStatement : public CStatement {
public:
    explicit CDeafStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override
    {
        std::string rest;
        return ReadUntil(in, ";", rest) == ';' ? 0 : ERR_SYNTAX;
    }
    StatusWord Execute(CValue*) override
    {
        ReportPlain() << "deaf";   // the test's cue: the thread is in here now
        Sleep(60000);   // deaf to the stop: only abandoning the thread ends the wait
        return 0;
    }
};

const CmdrStatementEntry kEntries[] = {
    {"twice", 1, "twice NAME;\r\nDoubles a variable.", "twice x;"},
    {"echo", 2, "echo EXPR;\r\nShows a value.", "echo 1;"},
    {"for", 3, "A keyword the basic group already owns.", "for"},
    {"deaf", 4, "deaf;\r\nBlocks for a minute, whatever stops the program.", "deaf;"},
};

class CTestGroup : public CmdrInfo {
public:
    CTestGroup()
    {
        title = "Test statements";
        description = "Test module statements";
        statements = kEntries;
        statementCount = 4;
    }
    CStatement* CreateStatement(int code, CStatementBlock* owner) override
    {
        switch (code) {
        case 1: return new CTwiceStatement(owner);
        case 2: return new CEchoStatement(owner);
        case 4: return new CDeafStatement(owner);
        default: return nullptr;
        }
    }
    bool Init(COutputStream* stream, ReadValueHookFn, WriteValueHookFn, HWND) override { return stream != nullptr; }
    int Query(int what) override { return what + 1; }
};

CTestGroup Group;

}  // namespace

VELDRA_STATEMENT_MODULE_EXPORT CmdrInfo* GetCmdrInfo() { return &Group; }
