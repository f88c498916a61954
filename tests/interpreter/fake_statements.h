#pragma once
// Small statements and hosts for driving blocks without the translator.
#include <functional>
#include <string>
#include <vector>

#include "interpreter/block.h"

// Runs a callback; records its name in a shared log.
class CFakeStatement : public CStatement {
public:
    using Body = std::function<StatusWord(CFakeStatement&)>;
    CFakeStatement(CStatementBlock* owner, std::vector<std::string>* log, std::string name, Body body = {})
        : CStatement(owner), m_log(log), m_name(std::move(name)), m_body(std::move(body))
    {
    }
    ~CFakeStatement() override { ++Destroyed(); }
    StatusWord Translate(std::istream&) override { return 0; }
    StatusWord Execute(CValue*) override
    {
        if (m_log) m_log->push_back(m_name);
        return m_body ? m_body(*this) : 0;
    }
    static int& Destroyed()
    {
        static int n = 0;
        return n;
    }

private:
    std::vector<std::string>* m_log;
    std::string m_name;
    Body m_body;
};

// A root block that records its host callbacks.
class CHostBlock : public CStatementBlock {
public:
    int debugCalls = 0, stopCalls = 0, afterCalls = 0;
    int stopAfter = -1;        // stop requested once this many statements have passed
    std::vector<int> skip;     // indexes the debug hook skips
    bool rerunFirst = false;   // the first AfterStatement asks for the same statement again
    int DebugHook(CStatement*, int index) override
    {
        ++debugCalls;
        for (int s : skip)
            if (s == index) return 0;
        return 1;
    }
    int IsStopRequested() override
    {
        ++stopCalls;
        return stopAfter >= 0 && stopCalls > stopAfter;
    }
    int AfterStatement(CStatement*, StatusWord*) override
    {
        ++afterCalls;
        if (rerunFirst && afterCalls == 1) return 1;
        return 0;
    }
};
