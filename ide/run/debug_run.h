#pragma once
// The debugger's side of a program document's runs: what the program thread
// does after a statement, at a breakpoint and on the way on from one, and
// the GUI's answer to the requests it sends. The document owns one, forwards
// its program hooks to it and answers the little it asks of the windows.
#include <atomic>
#include <cstdint>

#include "ide/run/program_requests.h"
#include "interpreter/status.h"
#include "platform/types.h"

class CProgram;
class CStatement;

// What the debugger asks of the windows that show the program.
class IDebugHost {
public:
    virtual ~IDebugHost() = default;
    // At a break the keys of the next step go to the program's editor.
    virtual void FocusProgramEditor() = 0;
};

class CDebugRun {
public:
    explicit CDebugRun(CProgram& program) : m_program(program) {}

    // Run start: the view that hears the program thread (null: none).
    void Begin(HWND view);
    // The end of a debug run: no device window waits for the foreground.
    void End();

    // ---- the program thread (the document's program hooks)
    // A failed statement under the debugger breaks and runs again; else the
    // variables refresh at most once per update period.
    int AfterStatement(CStatement* st, StatusWord* status);
    bool IsBreakpoint(CStatement* st);
    int OnBreak(CStatement* st);
    // After the base debug hook: a device window that had the foreground at
    // a break gets it back before the seventh statement.
    void CountAfterBreak();

    // ---- the GUI thread
    // A request of the program thread; `stopping`: a Stop waits for it.
    LRESULT OnRequest(WPARAM kind, bool stopping, IDebugHost& host);

    std::atomic<uint32_t> lastRefreshTick{0};  // written by the GUI and the program thread
    // The view's window recorded at run start: the program thread's requests go there.
    HWND runView = nullptr;
    int sinceBreak = -1;            // statements since the last break; -1 = not counting
    std::atomic<HWND> foregroundAtBreak{nullptr};  // a device window that had the foreground

private:
    CProgram& m_program;
};
