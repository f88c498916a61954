#pragma once
// Auto Calculate's engine: each Enter translates the lines typed since the
// last run onto the end of the program, and the run starts at the first new
// statement. A line that fails takes back what it added: its statements,
// variables and functions. The document owns one and does the windows' part.
#include <istream>

#include "interpreter/block.h"
#include "interpreter/status.h"

class CProgram;

class CAutoCalcRun {
public:
    // Translates the new lines at the program's end and marks what they add;
    // the translation's status. The run, when there is one, starts at the
    // first new statement.
    StatusWord TranslateNewLines(CProgram& program, std::istream& in);
    // Takes back what the last lines added.
    void RollBack(CProgram& program);
    // Whether the run of the new lines failed: an error, or a thread that had
    // to be abandoned (it may still run the statements, so nothing goes then).
    static bool RunFailed(const CProgram& program, StatusWord code);

    bool incremental = false;       // the run was started by Auto Calculate
    CRollbackMark rollbackMark;
    int firstNew = 0;               // the first statement the last lines added
};
