// Auto Calculate's windows: every Enter runs the lines typed since the last
// run; a failed line is rolled back (ide/run/auto_calc_run.h) and stays
// editable. Also the start and end of every run that the debugger and Auto
// Calculate hook into.
#include <sstream>

#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide/bars/watcher_bar.h"
#include "platform/afx/win_app.h"
#include "platform/kernel/clock.h"
#include "values/app_settings.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNavigationKey(WPARAM vk)
{
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_SHIFT:
    case VK_CONTROL: return true;
    default: return false;
    }
}

}  // namespace

// ---- the document -------------------------------------------------------------

void CVeldraDoc::BeginRun()
{
    CVeldraView* view = GetProgramView();
    debugRun.Begin(view ? view->m_hWnd : nullptr);
    if (!autoCalc.incremental) startIndex = 0;
    if (!debugging || !view) return;
    if (CFrameWnd* frame = view->GetParentFrame(); frame && !FindWatcherBar(this)) CreateWatcherBar(this, frame);
    if (m_pShell) m_pShell->ShowOutputBar(false);
}

void CVeldraDoc::AfterRunEnded(DWORD code)
{
    if (debugging) {
        EndDebugRun();
        debugging = 0;
    }
    RefreshVariablesBars(8);
    if (!autoCalc.incremental) return;
    autoCalc.incremental = false;
    // A top-level return ends a line well.
    const bool failed = CAutoCalcRun::RunFailed(*this, (StatusWord)code);
    CVeldraView* view = GetProgramView();
    if (view) view->SetReadOnly(false);   // the line gets its ";" and a new line
    if (CVeldraEditCtrl* edit = view ? view->GetVeldraEdit() : nullptr) edit->FinishAutoLine(failed ? 1 : 0);
    if (failed && !IsAbandoned()) {
        EmptyVariablesBars();
        autoCalc.RollBack(*this);
    }
    RefreshFunctionsBars(1);
    RefreshVariablesBars(9);
}

bool CVeldraDoc::AutoCalculate(std::istream& in)
{
    if (thread || stopping || AbandonedThreadRunning()) return false;
    // One translation at a time, this document's own first.
    FinishLoad(false);
    CProgramLoader::WaitAll();
    debugging = 0;
    targetOffset = -1;
    CloseValueEditors();
    sourceName = GetPathName();
    textBase = m_ownerId;
    const StatusWord status = autoCalc.TranslateNewLines(*this, in);
    if (IsErrorStatus(status)) {
        EmptyVariablesBars();
        autoCalc.RollBack(*this);
        RefreshFunctionsBars(1);
        RefreshVariablesBars(1);   // the variables that remain, not an empty list
        return false;
    }
    autoCalc.incremental = true;
    translated = true;
    startIndex = autoCalc.firstNew;
    BeginRun();
    debugRun.lastRefreshTick = GetTickCount();
    if (!StartThread()) {
        autoCalc.incremental = false;
        EmptyVariablesBars();
        autoCalc.RollBack(*this);
        RefreshFunctionsBars(1);
        RefreshVariablesBars(9);
        return false;
    }
    RefreshVariablesBars(8);
    if (CVeldraView* view = GetProgramView()) {
        view->SetTimer(TIMER_RUN_END, 500);
        view->SetReadOnly(true);
    }
    return true;
}

void CVeldraDoc::SetAutoCalculate(bool on)
{
    autoCalculate = on;
    AppSettings::AutoCalculate = on;
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt("Settings", "109", on ? 1 : 0);
    CVeldraView* view = GetProgramView();
    if (CVeldraEditCtrl* edit = view ? view->GetVeldraEdit() : nullptr) edit->SetExecutedMark(on ? -2 : -1);
}

// ---- the editor ---------------------------------------------------------------

void CVeldraEditCtrl::SetExecutedMark(int mode)
{
    if (mode != -2) {
        executedMark = -1;
        return;
    }
    const int len = Length();
    SetCaretOffset(len, true, true);
    const std::string& t = Text();
    int p = len;
    while (p > 0 && (t[(size_t)p - 1] == ' ' || t[(size_t)p - 1] == '\t')) --p;
    const bool lastLineEmpty = p == 0 || t[(size_t)p - 1] == '\n';
    executedMark = -1;   // the line break goes in before the mark is set
    if (!lastLineEmpty) InsertText("\n", len, KYR_INS_REDRAW, true);
    executedMark = Length();
    SetCaretOffset(executedMark, true, true);
}

void CVeldraEditCtrl::FinishAutoLine(DWORD exitCode)
{
    if (exitCode != 0) return;
    const int saved = executedMark;
    executedMark = -1;
    if (lastStatementEnd >= 0 && lastStatementEnd < Length()) InsertText(";", lastStatementEnd + 1, KYR_INS_REDRAW, true);
    SetCaretOffset(Length(), true, true);
    InsertText("\n", Length(), KYR_INS_REDRAW, true);
    executedMark = Length();
    SetCaretOffset(executedMark, true, true);
    ClearUndo();
    (void)saved;
}

void CVeldraEditCtrl::RunAutoLine()
{
    CVeldraDoc* doc = view ? view->GetDocument() : nullptr;
    if (!doc || doc->thread) return;
    const std::string& t = Text();
    int last = (int)t.size() - 1;
    while (last >= 0 && IsBlank(t[(size_t)last])) --last;
    if (last < 0) return;
    std::string source = t.substr(0, (size_t)last + 1);
    if (t[(size_t)last] != ';') {
        source += ';';
        lastStatementEnd = last;
    } else {
        lastStatementEnd = -1;
    }
    if (executedMark >= (int)source.size()) return;
    std::istringstream in(source);
    in.seekg(std::max(0, executedMark));
    if (doc->AutoCalculate(in)) SetCaretOffset(Length(), true, true);
}

void CVeldraEditCtrl::OnRemoveText(int start, int end)
{
    KyrEditCtrl::OnRemoveText(start, end);
    if (executedMark > Length()) executedMark = Length();
}

LRESULT CVeldraEditCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN) {
        if (wParam == VK_CONTROL) ctrlHeld = true;
        if (readOnlyRunning && !IsNavigationKey(wParam)) return 0;
        if (executedMark >= 0 && !IsNavigationKey(wParam)) {
            int a = -1, b = -1;
            GetSel(&a, &b);
            const bool selection = a >= 0 && a != b;
            if (selection && std::min(a, b) < executedMark) {
                SetSel(-1, 0);
                GetSel(&a, &b);
            }
            const bool hasSelection = a >= 0 && a != b;
            const int caret = CaretOffset();
            if (wParam == VK_DELETE && caret < executedMark) SetCaretOffset(executedMark, true, true);
            if (wParam == VK_BACK && (caret < executedMark || (caret == executedMark && !hasSelection))) return 0;
            if (wParam == VK_RETURN) {
                // The key state, not a remembered key-down: the key-up may have gone elsewhere.
                ctrlHeld = GetKeyState(VK_CONTROL) < 0;
                if (!ctrlHeld) {
                    RunAutoLine();
                    return 0;
                }
                if (caret < executedMark) SetCaretOffset(Length(), true, true);
            }
        }
    } else if (message == WM_KEYUP && wParam == VK_CONTROL) {
        ctrlHeld = false;
    } else if (message == WM_CHAR) {
        if (readOnlyRunning) return 0;
        if (executedMark >= 0 && wParam >= 32) {
            int a = -1, b = -1;
            GetSel(&a, &b);
            if (a >= 0 && a != b && std::min(a, b) < executedMark) SetSel(-1, 0);
            if (CaretOffset() < executedMark) SetCaretOffset(executedMark, true, true);
        }
    }
    const LRESULT result = KyrEditCtrl::WindowProc(message, wParam, lParam);
    // The editor tells only of scrolls: the caret's other moves come from
    // keys, the mouse and programmatic moves, which all end in these.
    switch (message) {
    case WM_KEYDOWN: case WM_CHAR: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_MOUSEMOVE:
    case WM_SETFOCUS: case WM_PAINT: case WM_COMMAND:
        ReportCaret(false);
        break;
    default: break;
    }
    return result;
}
