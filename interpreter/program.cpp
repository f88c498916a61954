#include "interpreter/program.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "interpreter/func_records.h"
#include "interpreter/program_steps.h"
#include "platform/user/user.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"

namespace {
constexpr size_t kMinProgramStack = 64u << 20;
const char* const kTerminateQuestion =
    "Program thread is not respond. You may stop process manually or wait. Terminate program?";

class CLockGuard {
public:
    explicit CLockGuard(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CLockGuard() { LeaveCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }
    void Enter() { EnterCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION& m_cs;
};

void DeleteFrame(CCallFrame* f)
{
    if (!f) return;
    delete f->evalBlock;
    delete f;
}

}  // namespace

size_t ProgramThreadStackSize()
{
    size_t asked = AppSettings::StackSize > 0 ? (size_t)AppSettings::StackSize : 0;
    return std::max(kMinProgramStack, asked);
}

CProgram::CProgram()
{
    InitializeCriticalSection(&lock);
    stepEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    pauseEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    abandonEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ScopeBlocks.Add(this);
}

CProgram::~CProgram()
{
    StopThread();
    if (stepEvent) CloseHandle(stepEvent);
    if (pauseEvent) CloseHandle(pauseEvent);
    if (abandonEvent) CloseHandle(abandonEvent);
    if (abandonedThread) CloseHandle(abandonedThread);
    DeleteCriticalSection(&lock);
    for (CCallFrame* f : frames) DeleteFrame(f);
    frames.clear();
    ScopeBlocks.Remove(this);
}

int CProgram::Init(HWND mainWindow)
{
    // The results of the steps do not change the course.
    ProgramSteps::LoadFunctionLibrarySources(AppSettings::FunctionsFolder);
    ProgramSteps::RegisterStatementGroups();
    ProgramSteps::LoadStatementModules(AppSettings::ModulesFolder);
    ProgramSteps::InitStatementModules(mainWindow);
    ProgramSteps::LoadFunctionModules(AppSettings::ModulesFolder, mainWindow);
    ProgramSteps::RegisterBuiltinLibraries();
    return 0;
}

void ShutdownInterpreter()
{
    ProgramSteps::DeleteAllUserFunctions();
    ProgramSteps::ExitStatementModules();
    ProgramSteps::UnloadFunctionModules();
}

// ---- the program thread ---------------------------------------------------

bool CProgram::StartThread()
{
    // One run at a time: the handle of the last run is closed by StopThread.
    if (thread) return false;
    currentStatement = nullptr;
    ProgramSteps::ResetCurrentPlot();
    {
        CLockGuard g(lock);
        stopRequested = 0;
        abandonRequested = 0;
        ResetEvent(abandonEvent);
    }
    abandoned = 0;

    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, ProgramThreadStackSize(), ProgramThreadProc, this, CREATE_SUSPENDED, &id);
    if (!h) {
        ReportError() << "Failed to create program thread";
        return false;
    }
    thread = h;
    threadId = id;
    // Best effort: raising the priority may be refused.
    SetThreadPriority(thread, AppSettings::ThreadPriority);
    suspended = 0;
    ::ResumeThread(thread);
    return true;
}

DWORD ProgramThreadProc(void* param)
{
    CProgram* program = static_cast<CProgram*>(param);
    ProgramSteps::SeedRandom((unsigned)time(nullptr));
    SetThreadStopFlag(&program->stopRequested);
    const DWORD code = (DWORD)program->Run();
    SetThreadStopFlag(nullptr);
    return code;
}

StatusWord CProgram::Run()
{
    // The process folder is never changed: two programs may run one after
    // the other, and a relative name resolves against its program's folder.
    OnEnterUserFunction(this, nullptr, 0);
    {
        CLockGuard g(lock);
        breakDepth = (int)frames.size();
    }
    StatusWord status = ExecuteStatements(this);
    OnLeaveFunction();
    ProgramSteps::CloseAllFiles();

    // A stop right after a goto found its label leaves the loop with the code
    // unreported: nothing above the main block would ever say so.
    if (IsErrorStatus(status) && !(status & STATUS_REPORTED)) {
        CStatement* st = currentStatement.load();
        ReportStatementError(status, this, st ? st->textStart : 0);
        status |= STATUS_REPORTED;
    }
    const char* text = nullptr;
    if (status & STATUS_BREAK)
        text = "Invalid break statement";
    else if (status & STATUS_CONTINUE)
        text = "Invalid continue statement";
    else if (status & STATUS_GOTO)
        text = "Invalid goto statement";
    if (text) {
        CStatement* st = currentStatement.load();
        CMessageWriter w(MSG_ERROR);
        w.Output()->AttachToCurrent(MakeSourcePosition(this, st ? st->textStart : 0));
        w << text;
    }
    return status;
}

DWORD CProgram::StopThread()
{
    if (!thread) return 0;
    ResumeThread();
    {
        CLockGuard g(lock);
        stopRequested = 1;
        SetEvent(stepEvent);
        SetEvent(pauseEvent);
    }
    ProgramSteps::NotifyDevicesStop();

    DWORD started = GetTickCount();
    DWORD lastBreak = started;
    bool quit = false;
    int quitCode = 0;
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    while (IsThreadAlive(thread)) {
        // The program thread may be inside a send to a window of this
        // thread: serve sends, keep painting, drop everything else.
        HANDLE handles[2] = {thread, abandonEvent};
        DWORD woke = MsgWaitForMultipleObjectsEx(2, handles, LongWaitMs(LongWait::BreakRepost),
                                                 QS_SENDMESSAGE | QS_PAINT | QS_MOUSEMOVE, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 + 2) {
            MSG msg;
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_PAINT || msg.message == WM_MOUSEMOVE) {
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
                } else if (msg.message == WM_QUIT) {
                    // The loop above this wait must still see it.
                    quit = true;
                    quitCode = (int)msg.wParam;
                }
            }
        }
        // A device may have begun a read after the last break: tell it again.
        if (IsThreadAlive(thread) && GetTickCount() - lastBreak >= LongWaitMs(LongWait::BreakRepost)) {
            ProgramSteps::NotifyDevicesStop();
            lastBreak = GetTickCount();
        }
        bool abandon = abandonRequested.load() != 0;
        if (!abandon && IsThreadAlive(thread) && GetTickCount() - started > LongWaitMs(LongWait::StopQuestion)) {
            if (AskTerminate())
                abandon = true;
            else
                started = GetTickCount();
        }
        if (abandon && IsThreadAlive(thread)) {
            // Never killed: the thread is left to end by itself.
            TerminateThread(thread, (DWORD)-1);
            abandoned = 1;
        }
        GetExitCodeThread(thread, &code);
        if (abandoned) break;
    }
    GetExitCodeThread(thread, &code);
    if (quit) PostQuitMessage(quitCode);
    if (abandoned) {
        // Kept to learn when the thread really ends.
        if (abandonedThread) CloseHandle(abandonedThread);
        abandonedThread = thread;
    } else {
        CloseHandle(thread);
    }
    thread = nullptr;
    return code;
}

bool CProgram::AbandonedThreadRunning()
{
    if (!abandonedThread) return false;
    if (!HasThreadFinished(abandonedThread)) return true;
    CloseHandle(abandonedThread);
    abandonedThread = nullptr;
    return false;
}

bool CProgram::AskTerminate()
{
    return MessageBox(nullptr, kTerminateQuestion, "Warning", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CProgram::AbandonStop()
{
    abandonRequested = 1;
    if (abandonEvent) SetEvent(abandonEvent);
}

void CProgram::SuspendThread()
{
    if (!suspended && thread) ::SuspendThread(thread);
    suspended = 1;
}

void CProgram::ResumeThread()
{
    if (suspended && thread) ::ResumeThread(thread);
    suspended = 0;
}

int CProgram::WaitPause(int milliseconds)
{
    {
        CLockGuard g(lock);
        // Reset after the check, under the lock: a stop that came first is never lost.
        ResetEvent(pauseEvent);
        if (stopRequested) return 0;
    }
    DWORD ms = milliseconds < 0 ? 0 : (DWORD)milliseconds;
    return WaitForSingleObject(pauseEvent, ms) == WAIT_TIMEOUT ? 1 : 0;
}

// ---- debugger ---------------------------------------------------------------

void CProgram::StepOver()
{
    CLockGuard g(lock);
    stepMode = STEP_OVER;
    SetEvent(stepEvent);
}

void CProgram::StepInto()
{
    CLockGuard g(lock);
    stepMode = STEP_INTO;
    SetEvent(stepEvent);
}

void CProgram::RunToLine(int offset)
{
    CLockGuard g(lock);
    stepMode = STEP_TO_OFFSET;
    targetOffset = offset;
    SetEvent(stepEvent);
}

void CProgram::RunToBreakpoint()
{
    CLockGuard g(lock);
    stepMode = STEP_TO_OFFSET;
    targetOffset = -1;  // no span holds -1: only breakpoints stop
    SetEvent(stepEvent);
}

bool CProgram::DecideBreak(CStatement* st)
{
    switch (stepMode) {
    case STEP_OVER: return (int)frames.size() <= breakDepth;
    case STEP_INTO: return true;
    case STEP_TO_OFFSET: return st->spanStart <= targetOffset && targetOffset < st->spanEnd;
    default: return false;
    }
}

int CProgram::DebugHook(CStatement* st, int)
{
    // Pause holds the thread here, between statements.
    ThreadSuspendPoint();
    currentStatement = st;
    if (!debugging) return 1;

    CLockGuard g(lock);
    if (!DecideBreak(st)) {
        // The IDE's answer may talk to its windows: never under the lock.
        g.Leave();
        bool bp = IsBreakpoint(st);
        g.Enter();
        if (!bp) return 1;
    }
    breakDepth = (int)frames.size();
    ResetEvent(stepEvent);
    if (stopRequested) return 0;
    g.Leave();
    atBreak = 1;
    OnBreak(st);
    g.Enter();
    return stopRequested ? 0 : 1;
}

int CProgram::WaitResume()
{
    waiting = 1;
    WaitForSingleObject(stepEvent, INFINITE);
    waiting = 0;
    atBreak = 0;
    return 0;
}

bool CProgram::IsBreakpoint(CStatement*) { return false; }
int CProgram::OnBreak(CStatement*) { return WaitResume(); }

// ---- host callbacks ---------------------------------------------------------

int CProgram::GetKind() { return 3; }
int CProgram::IsStopRequested() { return stopRequested.load(std::memory_order_relaxed); }
bool CProgram::IsDebugging() { return debugging.load(std::memory_order_relaxed) != 0; }
int CProgram::AfterStatement(CStatement*, StatusWord*) { return 0; }

int CProgram::FrameCount()
{
    CLockGuard g(lock);
    return (int)frames.size();
}

// The call-stack hooks do nothing unless the debugger is on. Each returns the
// depth of the stack afterwards.
int CProgram::OnEnterUserFunction(CStatementBlock* function, CSavedValue* saved, int savedCount)
{
    if (!debugging) return 0;
    CCallFrame* frame = new CCallFrame();
    frame->function = function;
    frame->evalBlock = new CEvalBlock(function);
    CLockGuard g(lock);
    // The outer activation of a recursive function now lives in the saved values.
    for (auto it = frames.rbegin(); it != frames.rend(); ++it)
        if (!(*it)->builtin && (*it)->function == function) {
            if ((*it)->evalBlock) {
                (*it)->evalBlock->savedValues = saved;
                (*it)->evalBlock->savedCount = savedCount;
            }
            break;
        }
    if (CCallFrame* top = InnermostFrame()) top->currentStatement = currentStatement.load();
    frames.push_back(frame);
    return (int)frames.size();
}

int CProgram::OnEnterBuiltin(const FuncEntry* entry)
{
    if (!debugging) return 0;
    CCallFrame* frame = new CCallFrame();
    frame->function = entry;
    frame->builtin = true;
    CLockGuard g(lock);
    if (CCallFrame* top = InnermostFrame()) top->currentStatement = currentStatement.load();
    frames.push_back(frame);
    return (int)frames.size();
}

int CProgram::OnLeaveFunction()
{
    if (!debugging) return 0;
    CLockGuard g(lock);
    if (frames.empty()) return 0;
    CCallFrame* gone = frames.back();
    frames.pop_back();
    if (!gone->builtin)
        for (auto it = frames.rbegin(); it != frames.rend(); ++it)
            if (!(*it)->builtin && (*it)->function == gone->function) {
                if ((*it)->evalBlock) {
                    (*it)->evalBlock->savedValues = nullptr;
                    (*it)->evalBlock->savedCount = 0;
                }
                break;
            }
    DeleteFrame(gone);
    if (CCallFrame* top = InnermostFrame()) top->currentStatement = nullptr;
    return (int)frames.size();
}
