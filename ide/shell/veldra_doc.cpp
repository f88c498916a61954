// The program document: the run state machine of one program text.
#include "ide/shell/veldra_doc.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "ide/bars/output_bar.h"
#include "ide/run/hidden_run.h"
#include "ide/run/run_lock.h"
#include "ide/shell/veldra_view.h"
#include "interpreter/status.h"
#include "platform/afx/win_app.h"
#include "platform/kernel/clock.h"
#include "values/app_settings.h"
#include "values/value_text.h"

namespace {
// A hidden run that failed shows the IDE (when an error message has not
// shown it already) and stays.
void LeaveHiddenRun(IProgramShell* shell)
{
    if (shell) shell->LeaveHiddenRun();
}

const char* const kTerminateQuestion =
    "Program thread is not respond. You may stop process manually or wait. Terminate program?";
}

IMPLEMENT_DYNCREATE(CVeldraDoc, CDocument)

BEGIN_MESSAGE_MAP(CVeldraDoc, CDocument)
    ON_COMMAND(ID_PROGRAM_CALCULATE, OnCalculate)
    ON_COMMAND(ID_PROGRAM_PAUSE, OnPause)
    ON_COMMAND(ID_PROGRAM_STOP, OnStop)
    ON_UPDATE_COMMAND_UI(ID_PROGRAM_CALCULATE, OnUpdateCalculate)
    ON_UPDATE_COMMAND_UI(ID_PROGRAM_PAUSE, OnUpdatePause)
    ON_UPDATE_COMMAND_UI(ID_PROGRAM_STOP, OnUpdateStop)
    ON_UPDATE_COMMAND_UI(ID_FILE_SAVE, OnUpdateFileSave)
    ON_COMMAND(ID_DEBUG_START, OnDebugStart)
    ON_COMMAND(ID_DEBUG_STEP, OnDebugStep)
    ON_COMMAND(ID_DEBUG_STEP_INTO, OnDebugStepInto)
    ON_COMMAND(ID_DEBUG_BREAK, OnDebugBreak)
    ON_COMMAND(ID_DEBUG_RUN_TO_CURSOR, OnDebugRunToCursor)
    ON_COMMAND(ID_DEBUG_STOP, OnDebugStop)
    ON_COMMAND(ID_TOOLS_WATCHER, OnToolsWatcher)
    ON_COMMAND(ID_VIEW_WATCHER, OnViewWatcher)
    ON_COMMAND(ID_TOOLS_AUTOCALC, OnToolsAutoCalc)
    ON_COMMAND(ID_TOOLS_VARIABLES, OnToolsVariables)
    ON_COMMAND(ID_VIEW_VARIABLES, OnViewVariables)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_VARIABLES, OnUpdateToolsVariables)
    ON_UPDATE_COMMAND_UI(ID_VIEW_VARIABLES, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_START, OnUpdateDebugStart)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_RUN_TO_CURSOR, OnUpdateDebugStart)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_STEP, OnUpdateAtBreak)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_STEP_INTO, OnUpdateAtBreak)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_BREAK, OnUpdateDebugBreak)
    ON_UPDATE_COMMAND_UI(ID_DEBUG_STOP, OnUpdateDebugStop)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_WATCHER, OnUpdateToolsWatcher)
    ON_UPDATE_COMMAND_UI(ID_VIEW_WATCHER, OnUpdateAtBreak)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_AUTOCALC, OnUpdateToolsAutoCalc)
    ON_COMMAND(ID_INSERT_STATEMENT, OnInsertStatement)
    ON_COMMAND(ID_INSERT_FUNCTION, OnInsertFunction)
    ON_COMMAND(ID_INSERT_OPERATION, OnInsertOperation)
    ON_COMMAND(ID_INSERT_NEW_FUNCTION, OnInsertNewFunction)
    ON_COMMAND(ID_INSERT_MATRIX, OnInsertMatrix)
    ON_COMMAND(ID_INSERT_STRUCTURE, OnInsertStructure)
    ON_COMMAND(ID_INSERT_BINARY, OnInsertBinary)
    ON_COMMAND(ID_EDIT_PROPERTIES, OnEditProperties)
    ON_UPDATE_COMMAND_UI(ID_INSERT_STATEMENT, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_FUNCTION, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_OPERATION, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_NEW_FUNCTION, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_MATRIX, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_STRUCTURE, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_INSERT_BINARY, OnUpdateEnabled)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PROPERTIES, OnUpdateEnabled)
    ON_COMMAND(ID_TOOLS_FUNCTIONS, OnToolsFunctions)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_FUNCTIONS, OnUpdateToolsFunctions)
    ON_COMMAND(ID_VIEW_FUNCTIONS, OnViewFunctions)
    ON_UPDATE_COMMAND_UI(ID_VIEW_FUNCTIONS, OnUpdateEnabled)
END_MESSAGE_MAP()

CVeldraDoc::CVeldraDoc()
{
    // Messages of this program name the document by its id, so a
    // double-click on one finds the text even before it has a path.
    m_ownerId = RegisterProgramDocument(this);
    textBase = m_ownerId;
    autoCalculate = AppSettings::AutoCalculate;
}

CVeldraDoc::~CVeldraDoc()
{
    ForgetProgramDocument(m_ownerId);
}

// ---- state ------------------------------------------------------------------

bool CVeldraDoc::IsThreadAlive() const { return thread && ::IsThreadAlive(thread); }

RunState CVeldraDoc::GetRunState() const
{
    if (abandonedThread) return RunState::Abandoned;
    if (stopping) return RunState::Stopping;
    if (!thread) return RunState::Idle;
    if (!::IsThreadAlive(thread)) return RunState::Finished;
    return suspended ? RunState::Suspended : RunState::Running;
}

CVeldraView* CVeldraDoc::GetProgramView() const
{
    for (CView* v : Views())
        if (auto* pv = dynamic_cast<CVeldraView*>(v)) return pv;
    return nullptr;
}

// ---- translation and runs ---------------------------------------------------

int CVeldraDoc::LoadProgram(const char* path)
{
    // The statements of an abandoned run may still be executing.
    if (AbandonedThreadRunning()) return ERR_INTERNAL;
    // One translation at a time, this document's own first.
    FinishLoad(false);
    CProgramLoader::WaitAll();
    CVeldraView* view = GetProgramView();
    std::istringstream in(view && view->GetEditCtrl() ? view->GetEditCtrl()->Text() : std::string());
    EmptyVariablesBars();
    Clear();
    sourceName = path ? path : "";
    textBase = m_ownerId;
    const StatusWord status = Translate(in);
    RefreshVariablesBars(1);
    RefreshFunctionsBars(1);
    return IsErrorStatus(status) ? (int)(status ? status : 1) : 0;
}

bool CVeldraDoc::StartLoad(const char* path, std::string text)
{
    if (AbandonedThreadRunning()) return false;
    CProgramLoader::WaitAll();
    EmptyVariablesBars();
    Clear();
    sourceName = path ? path : "";
    textBase = m_ownerId;
    m_loader = CProgramLoader::Start(this, std::move(text));
    if (!m_loader) return false;
    translated = false;
    ShowLoadProgress(0);
    if (CVeldraView* view = GetProgramView()) view->SetTimer(TIMER_LOAD, 100);
    return true;
}

void CVeldraDoc::ShowLoadProgress(int percent)
{
    if (!m_pShell) return;
    if (percent < 0) {
        m_pShell->SetStatusText(nullptr);
        return;
    }
    // The title comes after the document has opened: the file's name stands in.
    const std::string name = std::filesystem::path(sourceName).filename().string();
    const std::string text = "Translating " + name + "... " + std::to_string(percent) + "%";
    m_pShell->SetStatusText(text.c_str());
}

void CVeldraDoc::OnLoadTick()
{
    if (!m_loader) return;
    if (!m_loader->Done()) {
        ShowLoadProgress(m_loader->Percent());
        return;
    }
    FinishLoad();
}

void CVeldraDoc::FinishLoad(bool runAsked)
{
    if (!m_loader) return;
    const StatusWord status = m_loader->Finish();
    m_loader.reset();
    if (CVeldraView* view = GetProgramView()) view->KillTimer(TIMER_LOAD);
    ShowLoadProgress(-1);
    translated = !IsErrorStatus(status) && !m_loadOutdated;
    m_loadOutdated = false;
    RefreshVariablesBars(1);
    RefreshFunctionsBars(1);
    // As when the run had come after a translation in place.
    const bool run = m_runWhenLoaded && runAsked;
    m_runWhenLoaded = false;
    if (run) RunProgram();
}

bool CVeldraDoc::RunProgram()
{
    if (IsThreadAlive() || stopping || AbandonedThreadRunning()) return false;
    // The run starts when the translation in progress is done.
    if (m_loader) {
        m_runWhenLoaded = true;
        return false;
    }
    CloseValueEditors();
    // An unchanged text keeps its translation (and the variables of the last
    // run); a changed one is translated again.
    if (!translated || IsModified()) {
        translated = LoadProgram(GetPathName().c_str()) == 0;
        if (!translated) {
            LeaveHiddenRun(m_pShell);
            return false;
        }
    }
    StopThread();  // the handle of a finished run
    autoCalc.incremental = false;
    outputWasVisible = m_pShell && m_pShell->OutputBarVisible();
    BeginRun();
    // Before the thread starts: it reads the tick after every statement.
    debugRun.lastRefreshTick = GetTickCount();
    const bool started = StartThread();
    translated = started;
    if (debugging) UpdateWatcherBars(8);
    RefreshVariablesBars(8);
    if (CVeldraView* view = GetProgramView()) {
        view->SetTimer(TIMER_RUN_END, 500);
        view->SetReadOnly(true);
    }
    if (!started) LeaveHiddenRun(m_pShell);
    return started;
}

void CVeldraDoc::EndOfRun()
{
    const bool hadRun = thread != nullptr;
    const DWORD code = StopThread();
    CVeldraView* view = GetProgramView();
    if (view) view->KillTimer(TIMER_RUN_END);
    if (hadRun) AfterRunEnded(code);
    RefreshVariablesBars(10);
    if (view) view->SetReadOnly(false);
    if (IsHiddenRun()) {
        // A run that failed shows the IDE instead of closing silently.
        if (IsErrorStatus((StatusWord)code) || IsAbandoned())
            LeaveHiddenRun(m_pShell);
        else if (view)
            view->SetTimer(TIMER_HIDDEN_CLOSE, 700);
    }
}

StatusWord CVeldraDoc::Run()
{
    // One program runs at a time; a stop while waiting ends the run unstarted.
    if (!AcquireRunLock(this)) return 0;
    const StatusWord status = CProgram::Run();
    ReleaseRunLock(this);
    return status;
}

// ---- commands ---------------------------------------------------------------

void CVeldraDoc::OnCalculate()
{
    // A finished run's handle is closed by the view's timer first.
    if (thread || stopping || AbandonedThreadRunning()) return;
    debugging = 0;
    targetOffset = -1;
    RunProgram();
}

void CVeldraDoc::OnPause()
{
    if (!IsThreadAlive() || debugging || stopping) return;
    if (suspended)
        ResumeThread();
    else
        SuspendThread();
}

void CVeldraDoc::OnStop()
{
    if (!IsThreadAlive() || debugging || stopping) return;
    StopRun();
}

DWORD CVeldraDoc::StopRun()
{
    if (stopping) return 0;
    stopping = true;
    const bool hadRun = thread != nullptr;
    const DWORD code = StopThread();
    // An abandoned thread must not keep every other program waiting.
    if (IsAbandoned()) ReleaseRunLock(this);
    stopping = false;
    if (hadRun) AfterRunEnded(code);
    if (CVeldraView* view = GetProgramView()) {
        view->KillTimer(TIMER_RUN_END);
        view->SetReadOnly(false);
    }
    return code;
}

void CVeldraDoc::OnUpdateCalculate(CCmdUI* ui)
{
    ui->Enable(GetRunState() == RunState::Idle);
}

void CVeldraDoc::OnUpdatePause(CCmdUI* ui)
{
    const RunState s = GetRunState();
    ui->Enable((s == RunState::Running || s == RunState::Suspended) && !debugging);
}

void CVeldraDoc::OnUpdateStop(CCmdUI* ui)
{
    const RunState s = GetRunState();
    ui->Enable((s == RunState::Running || s == RunState::Suspended) && !debugging);
}

void CVeldraDoc::OnUpdateFileSave(CCmdUI* ui) { ui->Enable(IsModified()); }

// ---- value editors -------------------------------------------------------

void CVeldraDoc::CloseValueEditors() { editorLists.CloseAll(); }

// ---- text -------------------------------------------------------------------

void CVeldraDoc::InsertText(const std::string& text)
{
    if (CVeldraView* view = GetProgramView())
        if (KyrEditCtrl* edit = view->GetEditCtrl()) edit->InsertText(text);
}

void CVeldraDoc::InsertValueText(const std::string& name, const std::string& text)
{
    InsertText(name.empty() ? text : name + " = " + text);
}

void CVeldraDoc::InsertValue(const std::string& name, const CValue* value)
{
    if (!value) return;
    std::ostringstream os;
    WriteValue(os, *value, AppSettings::EditorFormat);
    std::string text = os.str();
    // The editors' Insert buttons put in only the first line.
    const size_t eol = text.find('\n');
    if (eol != std::string::npos) text.erase(eol);
    InsertValueText(name, text);
}

// ---- class library ----------------------------------------------------------

BOOL CVeldraDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument()) return FALSE;
    if (autoCalculate) SetAutoCalculate(true);
    return TRUE;
}

BOOL CVeldraDoc::OnOpenDocument(const char* path)
{
    if (!CDocument::OnOpenDocument(path)) return FALSE;
    // Auto Calculate outside the hidden run translates line by line instead.
    if (!autoCalculate || IsHiddenRun()) {
        // A long text translates while the window is already up.
        CVeldraView* view = GetProgramView();
        std::string text = view && view->GetEditCtrl() ? view->GetEditCtrl()->Text() : std::string();
        if (text.size() <= CProgramLoader::kInPlaceBytes || !StartLoad(path, std::move(text)))
            translated = LoadProgram(path) == 0;
    }
    return TRUE;
}

BOOL CVeldraDoc::OnSaveDocument(const char* path)
{
    if (IsModified()) {
        translated = false;
        // A translation in progress is of the text before the changes.
        if (m_loader) m_loadOutdated = true;
    }
    return CDocument::OnSaveDocument(path);
}

BOOL CVeldraDoc::CanCloseFrame(CFrameWnd* frame)
{
    // Never while a stop waits for the thread: the wait is on this document.
    if (stopping) return FALSE;
    return CDocument::CanCloseFrame(frame);
}

void CVeldraDoc::OnCloseDocument()
{
    if (stopping) return;
    // The translation writes into this document: it ends first.
    FinishLoad(false);
    CloseValueEditors();
    StopRun();
    SaveBarSizes();
    if (AbandonedThreadRunning()) {
        // The abandoned thread may still run our statements: the windows go,
        // the object stays parked until the process ends.
        ParkDocument(this);
        return;
    }
    CDocument::OnCloseDocument();
}

void CVeldraDoc::Serialize(CArchive& ar)
{
    if (CVeldraView* view = GetProgramView())
        if (KyrEditCtrl* edit = view->GetEditCtrl()) edit->Serialize(ar);
}

// ---- program hooks ----------------------------------------------------------

bool CVeldraDoc::AskTerminate()
{
    // The main frame owns the box, so nothing under it can close this document.
    CWnd* main = AfxGetMainWnd();
    return ::MessageBox(main ? main->m_hWnd : nullptr, kTerminateQuestion, "Warning",
                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// ---- parked documents -------------------------------------------------------

namespace {
std::vector<CVeldraDoc*>& Parked()
{
    static std::vector<CVeldraDoc*> list;
    return list;
}
}  // namespace

void ParkDocument(CVeldraDoc* doc)
{
    // Its views and frame go; the document itself must outlive the thread.
    doc->m_bAutoDelete = FALSE;
    doc->CDocument::OnCloseDocument();
    if (CDocTemplate* t = doc->GetDocTemplate()) t->RemoveDocument(doc);
    Parked().push_back(doc);
}

bool AnyParkedDocument()
{
    auto& list = Parked();
    for (auto it = list.begin(); it != list.end();) {
        if (!(*it)->AbandonedThreadRunning()) {
            delete *it;
            it = list.erase(it);
        } else {
            ++it;
        }
    }
    return !list.empty();
}
