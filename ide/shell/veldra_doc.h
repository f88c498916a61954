#pragma once
// The program document: one program text in the editor, and at the same time
// the program object that runs it. The text lives in the view's editor; the
// statements translated from it live in the program base.
#include <atomic>
#include <istream>
#include <string>
#include <vector>

#include <memory>

#include "ide/bars/functions_bar.h"
#include "ide/bars/watcher_host.h"
#include "ide/run/auto_calc_run.h"
#include "ide/run/debug_run.h"
#include "ide/run/program_loader.h"
#include "ide/shell/program_shell.h"
#include "ide/shell/resources.h"
#include "ide/editors/value_edit.h"
#include "ide/shell/value_editor_lists.h"
#include "interpreter/program.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/document.h"
#include "platform/afx/win_app.h"

class CVeldraView;
class CValue;
class CDialog;


// Run states of a document, as the commands see them.
enum class RunState { Idle, Running, Suspended, Finished, Stopping, Abandoned };

class CVeldraDoc : public CDocument, public CProgram, public IValueEditHost, public IFunctionsBarHost,
                   public IWatcherHost, public IDebugHost {
    DECLARE_DYNCREATE(CVeldraDoc)
public:
    CVeldraDoc();
    ~CVeldraDoc() override;

    // 0 = translated.
    int LoadProgram(const char* path);
    // A long text translates on a thread of its own (program_loader.h): the
    // view's timer follows it in the status bar and takes the result.
    bool IsLoading() const { return m_loader != nullptr; }
    void OnLoadTick();
    // Waits for a translation in progress and takes its result; a run asked
    // for meanwhile starts unless told not to.
    void FinishLoad(bool runAsked = true);
    // A full run of the text; false when none started.
    bool RunProgram();
    // The end of a run, once the thread has ended (the view's timer 10).
    void EndOfRun();
    bool IsThreadAlive() const;
    RunState GetRunState() const;
    // Stop with the "stopping" state held; the thread's exit code.
    DWORD StopRun();

    CVeldraView* GetProgramView() const;
    void InsertText(const std::string& text) override;
    void InsertValueText(const std::string& name, const std::string& text) override;
    void InsertValue(const std::string& name, const CValue* value);

    // The variables, functions and watcher windows and the value editors come
    // later; these are their seams.
    void RefreshVariablesBars(int flags);
    // The variables lists ask for no row while the tables change.
    void EmptyVariablesBars();
    // The sizes of the child frame's bars, under "DOC".
    void SaveBarSizes();
    void RefreshFunctionsBars(int flags);
    void UpdateWatcherBars(int flags);
    void RefreshMatrixEditors();
    // The open modeless value editors, in opening order; each removes
    // itself when its window goes.
    CValueEditorLists editorLists{this};
    // Binary, matrix, structure, scalar, in this order.
    void CloseValueEditors();
    // ---- value editors' and functions bar's host (veldra_doc_commands.cpp)
    void InsertValue(const std::string& name, const CValue& value) override { InsertValue(name, &value); }
    CWnd* EditorParent() override;
    bool OpenValueEditor(ValueEditorKind kind, const std::string& name, CValue* value) override
    {
        return editorLists.OpenEditor(kind, name, value);
    }
    void ValueEditorClosed(CDialog* editor) override { editorLists.RemoveEditor(editor); }
    KyrEditCtrl* FindProgramEditor(const std::string& sourceFile) override;
    // ---- the watcher's host (debugger.cpp)
    void ShowFrameLine(CStatement* st) override;
    void SetKeyboardPassThrough(bool on) override;
    // ---- the debugger's host (debugger.cpp)
    void FocusProgramEditor() override;
    // ---- Insert, Edit Properties, Functions (veldra_doc_commands.cpp)
    void OnInsertStatement();
    void OnInsertFunction();
    void OnInsertOperation();
    void OnInsertNewFunction();
    void OnInsertMatrix();
    void OnInsertStructure();
    void OnInsertBinary();
    void OnEditProperties();
    void OnToolsFunctions();
    void OnViewFunctions();
    void OnUpdateToolsFunctions(CCmdUI* ui);

    // ---- class library
    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* path) override;
    BOOL OnSaveDocument(const char* path) override;
    void OnCloseDocument() override;
    void Serialize(CArchive& ar) override;
    BOOL CanCloseFrame(CFrameWnd* frame) override;

    // ---- commands
    void OnCalculate();
    void OnPause();
    void OnStop();
    void OnUpdateCalculate(CCmdUI* ui);
    void OnUpdatePause(CCmdUI* ui);
    void OnUpdateStop(CCmdUI* ui);
    void OnUpdateFileSave(CCmdUI* ui);

    // ---- debugger (debugger.cpp)
    void OnDebugStart();
    void OnDebugStep();
    void OnDebugStepInto();
    void OnDebugBreak();
    void OnDebugRunToCursor();
    void OnDebugStop();
    void OnToolsWatcher();
    void OnToolsVariables();
    // View commands: find or create, then focus.
    void OnViewVariables();
    void OnViewWatcher();
    void OnUpdateEnabled(CCmdUI* ui) { ui->Enable(TRUE); }
    void OnUpdateToolsVariables(CCmdUI* ui);
    void OnToolsAutoCalc();
    void OnUpdateDebugStart(CCmdUI* ui);
    void OnUpdateAtBreak(CCmdUI* ui);
    void OnUpdateDebugBreak(CCmdUI* ui);
    void OnUpdateDebugStop(CCmdUI* ui);
    void OnUpdateToolsWatcher(CCmdUI* ui);
    void OnUpdateToolsAutoCalc(CCmdUI* ui);
    // The thread lives, the debugger is on and the thread waits at a break.
    bool IsAtBreak() const;
    bool IsDebugRunning() const;
    // The end-of-run steps of a debug run: watcher, markers, output bar.
    void EndDebugRun();
    // Run start: the view that hears the program thread, the watcher of a debug run.
    void BeginRun();
    // Once the thread has ended or was stopped: the debug and Auto Calculate steps.
    void AfterRunEnded(DWORD code);
    // Enter in Auto Calculate: runs the new statements of the text; false
    // when none started (a translation error rolls back what was added).
    bool AutoCalculate(std::istream& in);
    void SetAutoCalculate(bool on);
    // The GUI side of the program thread's requests (the view's registered message).
    LRESULT OnProgramRequest(WPARAM kind, LPARAM data);

    // ---- program hooks
    StatusWord Run() override;
    int AfterStatement(CStatement* st, StatusWord* status) override;
    bool AskTerminate() override;
    int DebugHook(CStatement* st, int index) override;
    bool IsBreakpoint(CStatement* st) override;
    int OnBreak(CStatement* st) override;

    // The main frame's side, handed down by the application's template.
    IProgramShell* m_pShell = nullptr;
    bool translated = false;
    bool outputWasVisible = false;
    std::atomic<bool> stopping{false};  // a Stop is waiting for the thread (read by other threads)
    // The debugger's state and its side of the program thread's hooks.
    CDebugRun debugRun{*this};
    bool autoCalculate = false;
    // Auto Calculate's engine: the new lines, and taking them back.
    CAutoCalcRun autoCalc;

protected:
    DECLARE_MESSAGE_MAP()
    int m_ownerId = 0;
    std::unique_ptr<CProgramLoader> m_loader;
    bool m_runWhenLoaded = false;  // Calculate or a debug start came during the translation
    bool m_loadOutdated = false;   // the text was changed and saved during the translation
    bool StartLoad(const char* path, std::string text);
    void ShowLoadProgress(int percent);
};

// Calls f with every open program document.
template <class F>
void ForEachProgramDocument(F f)
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_pDocManager) return;
    for (CDocTemplate* t : app->m_pDocManager->Templates())
        for (CDocument* d : std::vector<CDocument*>(t->Documents()))
            if (auto* doc = dynamic_cast<CVeldraDoc*>(d)) f(doc);
}

// A closed document whose abandoned thread may still run its statements is
// kept here until that thread really ends.
void ParkDocument(CVeldraDoc* doc);
// Frees the parked documents whose threads have ended; whether any is left
// (then the process must end with _exit).
bool AnyParkedDocument();
