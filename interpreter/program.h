#pragma once
// The program being run: the main statement block, its thread, the stop and
// pause machinery and the debugger state. The IDE derives its own program
// class from this one; the batch runner uses it as it is.
#include <atomic>
#include <vector>

#include "interpreter/block.h"
#include "platform/kernel/kernel.h"

struct FuncEntry;

// One entry of the debugger's call stack, innermost last.
struct CCallFrame {
    // A user function or the program (a CStatementBlock), or a built-in FuncEntry.
    const void* function = nullptr;
    bool builtin = false;
    // The statement of this frame that was running when a deeper frame was pushed.
    CStatement* currentStatement = nullptr;
    // Variables of a user function or the program; owned, null for built-ins.
    // Its saved values are set while a recursive call has swapped this
    // activation's values out.
    CEvalBlock* evalBlock = nullptr;

    CStatementBlock* Block() const { return builtin ? nullptr : (CStatementBlock*)function; }
};

// Step modes of the debugger.
enum StepMode : int {
    STEP_OVER = 1,
    STEP_INTO = 2,
    STEP_TO_OFFSET = 3,
};

class CProgram : public CStatementBlock {
public:
    HANDLE thread = nullptr;  // null when none runs
    uint32_t threadId = 0;
    std::atomic<uint8_t> stopRequested{0};
    uint8_t suspended = 0;
    std::atomic<uint8_t> debugging{0};
    HANDLE stepEvent = nullptr;   // manual reset; a halted statement waits on it
    CRITICAL_SECTION lock;        // stop flag transitions, debugger fields, both events
    HANDLE pauseEvent = nullptr;  // manual reset; ends an interruptible wait early
    std::atomic<CStatement*> currentStatement{nullptr};
    int targetOffset = -1;
    int stepMode = STEP_OVER;
    int breakDepth = 1;
    std::vector<CCallFrame*> frames;  // owned, innermost last
    std::atomic<uint8_t> atBreak{0};
    std::atomic<uint8_t> waiting{0};

    CProgram();
    ~CProgram() override;

    // Start-up of the interpreter side; called once with the main window.
    int Init(HWND mainWindow);

    bool StartThread();
    // Stops the thread and waits for it; the last exit code read (0 without a thread).
    DWORD StopThread();
    void SuspendThread();
    void ResumeThread();

    // Debugger requests (GUI thread).
    void StepOver();
    void StepInto();
    void RunToLine(int offset);
    void RunToBreakpoint();

    // Makes a StopThread in progress give up waiting at once and abandon the
    // thread, as if its question had been answered yes. Safe from any thread.
    void AbandonStop();
    // The thread did not react to a stop and was abandoned: it may still run,
    // so this object must stay alive.
    bool IsAbandoned() const { return abandoned.load(); }
    // An abandoned thread that has not really ended yet; its handle is kept
    // until it has (then this answers false from there on).
    bool AbandonedThreadRunning();

    // The run on the program thread: the main block with the debugger's frame
    // at the bottom, then the report of a break, continue or goto left over.
    StatusWord Run() override;

    // ---- host callbacks
    int GetKind() override;
    int OnEnterBuiltin(const FuncEntry* entry) override;
    int OnEnterUserFunction(CStatementBlock* function, CSavedValue* saved, int savedCount) override;
    int OnLeaveFunction() override;
    int IsStopRequested() override;
    bool IsDebugging() override;
    int DebugHook(CStatement* st, int index) override;
    int AfterStatement(CStatement* st, StatusWord* status) override;
    int WaitPause(int milliseconds) override;

    // slot 22: whether the statement carries a breakpoint.
    virtual bool IsBreakpoint(CStatement* st);
    // slot 23: the statement is halted; returns when the debugger lets it go.
    virtual int OnBreak(CStatement* st);

    // The base break: waits on stepEvent without time-out.
    int WaitResume();
    // Asked every 15 s of an unanswered stop: true abandons the thread.
    virtual bool AskTerminate();

    int FrameCount();

protected:
    std::atomic<uint8_t> abandonRequested{0};
    std::atomic<uint8_t> abandoned{0};
    HANDLE abandonEvent = nullptr;  // manual reset; wakes the stop wait
    HANDLE abandonedThread = nullptr;  // the abandoned run's handle until it really ends

private:
    CCallFrame* InnermostFrame() { return frames.empty() ? nullptr : frames.back(); }
    bool DecideBreak(CStatement* st);
};

// The program thread's entry; the program's final status is its exit code.
DWORD ProgramThreadProc(void* program);

// Called when the main window goes: deletes all user functions, then lets
// the statement modules clean up.
void ShutdownInterpreter();

// Size of the program thread's stack: at least 64 MiB, more when the
// stack-size setting asks for it.
size_t ProgramThreadStackSize();
