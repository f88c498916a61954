#pragma once
// Translates and runs program texts on the calling thread, as the program
// object will on its thread, and collects the messages.
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/basic_statements.h"
#include "interpreter/translator.h"
#include "support/capture.h"

struct ProgramRun {
    std::vector<std::string> messages;
    StatusWord translated = 0;  // TranslateBlock's result
    StatusWord status = 0;      // the main block's status (when it ran)
};

// A root block that records pause waits.
class CTestProgram : public CStatementBlock {
public:
    std::vector<int> waits;
    int WaitPause(int ms) override
    {
        waits.push_back(ms);
        return 1;
    }
};

inline void EnsureBasicGroup() { CStatementModuleList::AddGroup(RegisterBasicStatements()); }

// Translates text into program (which must be empty), runs it when the
// translation succeeded, and reports break, continue and goto left at the top.
inline ProgramRun RunProgramIn(CTestProgram& program, const std::string& text)
{
    EnsureBasicGroup();
    ProgramRun r;
    CCaptureStream cap;
    std::istringstream in(text);
    r.translated = TranslateBlock(&program, in);
    if (r.translated == 0) {
        r.status = ExecuteStatements(&program);
        const char* flag = (r.status & STATUS_BREAK)      ? "Invalid break statement"
                           : (r.status & STATUS_CONTINUE) ? "Invalid continue statement"
                           : (r.status & STATUS_GOTO)     ? "Invalid goto statement"
                                                          : nullptr;
        if (flag) ReportError() << flag;
    }
    r.messages = cap.messages;
    return r;
}

// Each run starts with no global variables.
inline ProgramRun RunProgram(const std::string& text)
{
    GlobalVariables.Clear();
    CTestProgram program;
    return RunProgramIn(program, text);
}

// One program and exactly the messages it must give, for parameterised tests.
struct ProgramCase {
    const char* name;
    const char* text;
    std::vector<std::string> messages;
};

inline void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

