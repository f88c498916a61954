// The debugger's windows for a program document: the debug commands, the
// watcher and variables bars, the current line in the view. What the program
// thread does at a statement or a break is the run's (ide/run/debug_run.h).
#include <sstream>

#include "ide/shell/child_frame.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide/run/run_lock.h"
#include "ui_controls/bars/resizable_bar.h"
#include "ide/bars/variables_bar.h"
#include "ide/bars/watcher_bar.h"
#include "interpreter/statement_module.h"
#include "interpreter/user_function.h"
#include "platform/afx/win_app.h"
#include "values/app_settings.h"
#include "values/value_text.h"
#include "interpreter/var_table.h"

// ---- state --------------------------------------------------------------------

bool CVeldraDoc::IsAtBreak() const { return IsThreadAlive() && debugging && atBreak; }

bool CVeldraDoc::IsDebugRunning() const { return IsThreadAlive() && debugging; }

// ---- commands -----------------------------------------------------------------

void CVeldraDoc::OnDebugStart()
{
    if (stopping || AbandonedThreadRunning()) return;
    if (thread) {
        // At a break (or running under the debugger) Start Debug goes on to
        // the next breakpoint; a finished run waits for the view's timer.
        if (debugging && IsThreadAlive()) RunToBreakpoint();
        return;
    }
    debugging = 1;
    targetOffset = -1;
    StepOver();
    if (!RunProgram()) debugging = 0;
}

void CVeldraDoc::OnDebugStep()
{
    if (IsAtBreak()) StepOver();
}

void CVeldraDoc::OnDebugStepInto()
{
    if (IsAtBreak()) StepInto();
}

void CVeldraDoc::OnDebugBreak()
{
    if (IsDebugRunning() && !atBreak) StepInto();
}

void CVeldraDoc::OnDebugRunToCursor()
{
    if (stopping || AbandonedThreadRunning()) return;
    CVeldraView* view = GetProgramView();
    KyrEditCtrl* edit = view ? view->GetEditCtrl() : nullptr;
    if (!edit) return;
    const int target = edit->CaretOffset();
    if (thread) {
        if (!debugging || !IsThreadAlive()) return;
        view->SetTimer(TIMER_RUN_END, 500);
        RunToLine(target);
        return;
    }
    debugging = 1;
    targetOffset = -1;
    RunToLine(target);
    if (!RunProgram()) debugging = 0;
}

void CVeldraDoc::OnDebugStop()
{
    if (!IsThreadAlive() || !debugging) return;
    StopRun();
}

void CVeldraDoc::OnToolsWatcher()
{
    if (!IsAtBreak()) return;
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    if (CWatcherBar* bar = FindWatcherBar(this)) {
        RemoveWatcherBars(this);
        frame->RecalcLayout();
        (void)bar;
        return;
    }
    if (CreateWatcherBar(this, frame)) UpdateWatcherBars(2 | 8);
}

void CVeldraDoc::OnToolsVariables()
{
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    if (CVariablesBar* bar = FindVariablesBar(this)) {
        bar->DestroyWindow();
        frame->RecalcLayout();
        return;
    }
    if (CreateVariablesBar(this, frame)) ::RefreshVariablesBars(this, 8);
}

void CVeldraDoc::OnViewVariables()
{
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    CVariablesBar* bar = FindVariablesBar(this);
    if (!bar) bar = CreateVariablesBar(this, frame);
    if (!bar) return;
    frame->ShowControlBar(bar, TRUE, FALSE);
    bar->m_dlg.SetFocus();
}

void CVeldraDoc::OnViewWatcher()
{
    if (!IsAtBreak()) return;
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    CWatcherBar* bar = FindWatcherBar(this);
    if (!bar && (bar = CreateWatcherBar(this, frame)) != nullptr) UpdateWatcherBars(2 | 8);
    if (bar) bar->m_dlg.SetFocus();
}

void CVeldraDoc::OnUpdateToolsVariables(CCmdUI* ui) { ui->SetCheck(FindVariablesBar(this) ? 1 : 0); }

void CVeldraDoc::RefreshVariablesBars(int flags) { ::RefreshVariablesBars(this, flags); }

// The functions lists hold user functions too: they empty at the same moments.
void CVeldraDoc::EmptyVariablesBars()
{
    ::EmptyVariablesBars(this);
    ::EmptyFunctionsBars(this);
}

void CVeldraDoc::SaveBarSizes()
{
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view && view->m_hWnd ? view->GetParentFrame() : nullptr;
    if (frame && frame->m_hWnd) CResizableBar::SaveAllSizes(frame, "DOC");
}

void CVeldraDoc::OnToolsAutoCalc() { SetAutoCalculate(!autoCalculate); }

void CVeldraDoc::OnUpdateDebugStart(CCmdUI* ui)
{
    ui->Enable(!stopping && (!thread || (debugging && IsThreadAlive())));
}

void CVeldraDoc::OnUpdateAtBreak(CCmdUI* ui) { ui->Enable(IsAtBreak()); }

void CVeldraDoc::OnUpdateDebugBreak(CCmdUI* ui) { ui->Enable(IsDebugRunning() && !atBreak); }

void CVeldraDoc::OnUpdateDebugStop(CCmdUI* ui) { ui->Enable(!stopping && IsDebugRunning()); }

void CVeldraDoc::OnUpdateToolsWatcher(CCmdUI* ui)
{
    ui->Enable(IsAtBreak());
    ui->SetCheck(FindWatcherBar(this) ? 1 : 0);
}

void CVeldraDoc::OnUpdateToolsAutoCalc(CCmdUI* ui) { ui->SetCheck(autoCalculate ? 1 : 0); }

void CVeldraDoc::UpdateWatcherBars(int flags) { ::UpdateWatcherBars(this, flags); }

// ---- start and end of a debug run ---------------------------------------------

void CVeldraDoc::EndDebugRun()
{
    const bool hadBar = RemoveWatcherBars(this);
    CVeldraView* view = GetProgramView();
    if (view && view->m_hWnd) {
        if (hadBar)
            if (CFrameWnd* frame = view->GetParentFrame()) frame->RecalcLayout();
        if (KyrEditCtrl* edit = view->GetEditCtrl())
            edit->RemoveMarkersOfType(MARKER_CURRENT_LINE | MARKER_FRAME_LINE);
    }
    if (m_pShell) m_pShell->ShowOutputBar(outputWasVisible);
    debugRun.End();
}

// ---- the program thread's side: the run's debugger -------------------------------

int CVeldraDoc::AfterStatement(CStatement* st, StatusWord* status) { return debugRun.AfterStatement(st, status); }

bool CVeldraDoc::IsBreakpoint(CStatement* st) { return debugRun.IsBreakpoint(st); }

int CVeldraDoc::OnBreak(CStatement* st) { return debugRun.OnBreak(st); }

int CVeldraDoc::DebugHook(CStatement* st, int index)
{
    const int result = CProgram::DebugHook(st, index);
    debugRun.CountAfterBreak();
    return result;
}

LRESULT CVeldraDoc::OnProgramRequest(WPARAM kind, LPARAM) { return debugRun.OnRequest(kind, stopping, *this); }

// The keys of the next step go to the editor.
void CVeldraDoc::FocusProgramEditor()
{
    if (CVeldraView* view = GetProgramView())
        if (KyrEditCtrl* edit = view->GetEditCtrl(); edit && edit->m_hWnd) edit->SetFocus();
}

// ---- the view -----------------------------------------------------------------

namespace {

// The line of a statement's last character.
int LastCharLine(KyrEditCtrl* edit, CStatement* st)
{
    const std::string& text = edit->Text();
    int end = st->textEnd > st->textStart ? st->textEnd : st->textStart + 1;
    end = std::min(end, (int)text.size());
    int p = end - 1;
    while (p > st->textStart && p >= 0 && (text[(size_t)p] == ' ' || text[(size_t)p] == '\t' ||
                                           text[(size_t)p] == '\r' || text[(size_t)p] == '\n'))
        --p;
    return edit->GetLineOfOffset(std::max(0, p));
}

int StartLine(KyrEditCtrl* edit, CStatement* st)
{
    return edit->GetLineOfOffset(std::clamp(st->textStart, 0, edit->Length()));
}

void SelectStatement(KyrEditCtrl* edit, CStatement* st)
{
    const int len = edit->Length();
    const int start = std::clamp(st->textStart, 0, len);
    const int end = std::clamp(st->textEnd >= start ? st->textEnd : start, start, len);
    edit->SetCaretOffset(start, true, false);
    edit->SetSel(end, start);
    edit->SetCaretOffset(start, true, true);
}

}  // namespace

LRESULT CVeldraView::OnIsBreakpoint(WPARAM, LPARAM statement)
{
    KyrEditCtrl* edit = GetEditCtrl();
    auto* st = reinterpret_cast<CStatement*>(statement);
    if (!edit || !st || st->textStart < 0) return 0;
    return edit->FindMarker(LastCharLine(edit, st), MARKER_BREAKPOINT) ? 1 : 0;
}

LRESULT CVeldraView::OnShowStatement(WPARAM, LPARAM statement)
{
    ShowCurrentStatement(reinterpret_cast<CStatement*>(statement));
    return 0;
}

LRESULT CVeldraView::OnFindProgramView(WPARAM program, LPARAM out)
{
    auto** result = reinterpret_cast<CVeldraView**>(out);
    CVeldraView* found = nullptr;
    if (auto* doc = dynamic_cast<CVeldraDoc*>(reinterpret_cast<CProgram*>(program))) found = doc->GetProgramView();
    if (!found) found = this;
    if (CFrameWnd* frame = found->GetParentFrame()) frame->ActivateFrame();
    if (result) *result = found;
    return 0;
}

LRESULT CVeldraView::OnProgramRequest(WPARAM kind, LPARAM data)
{
    CVeldraDoc* doc = GetDocument();
    return doc ? doc->OnProgramRequest(kind, data) : 0;
}

void CVeldraView::ShowCurrentStatement(CStatement* st)
{
    KyrEditCtrl* edit = GetEditCtrl();
    if (!edit) return;
    edit->RemoveMarkersOfType(MARKER_CURRENT_LINE | MARKER_FRAME_LINE);
    if (!st || st->textStart < 0) return;
    SelectStatement(edit, st);
    edit->ToggleMarker(StartLine(edit, st), MARKER_CURRENT_LINE);
}

void CVeldraDoc::ShowFrameLine(CStatement* st)
{
    if (CVeldraView* view = GetProgramView()) view->ShowFrameLine(st);
}

void CVeldraDoc::SetKeyboardPassThrough(bool on)
{
    if (CVeldraView* view = GetProgramView())
        if (auto* frame = dynamic_cast<CChildFrame*>(view->GetParentFrame())) frame->SetKeyboardPassThrough(on);
}

void CVeldraView::ShowFrameLine(CStatement* st)
{
    KyrEditCtrl* edit = GetEditCtrl();
    if (!edit) return;
    edit->RemoveMarkersOfType(MARKER_FRAME_LINE);
    if (!st || st->textStart < 0) {
        std::vector<KyrMarker*> current;
        edit->GetMarkersOfType(current, MARKER_CURRENT_LINE);
        if (!current.empty()) {
            const int offset = edit->GetLineOffset(current.front()->line);
            edit->SetCaretOffset(offset, true, true);
        }
        return;
    }
    SelectStatement(edit, st);
    const int line = StartLine(edit, st);
    if (!edit->FindMarker(line, MARKER_CURRENT_LINE)) edit->ToggleMarker(line, MARKER_FRAME_LINE);
}

// ---- the hover tip of a variable ------------------------------------------------

bool VariableValueTip(CVeldraDoc* doc, const std::string& word, int offset, std::string& tip)
{
    if (!doc || word.empty()) return false;
    const bool atBreak = doc->IsAtBreak();
    // A running program may change or free its values under the tip.
    if (doc->IsThreadAlive() && !atBreak) return false;
    std::string text;
    auto write = [&](const CValue* value) {
        if (!value) {
            text = "UNLINK";
            return;
        }
        ValueTextFormat fmt = CurrentDisplayTextFormat();
        fmt.maxLength = 16384;
        fmt.flags |= 0x1;
        std::ostringstream os;
        WriteValue(os, *value, fmt);
        text = os.str();
        const size_t nul = text.find('\0');
        if (nul != std::string::npos) text.erase(nul);
    };
    const CVarTable* table = nullptr;
    if (atBreak)
        if (CWatcherBar* bar = FindWatcherBar(doc))
            if (CCallFrame* f = bar->m_dlg.SelectedFrame(); f && f->evalBlock && f->evalBlock->scratch) {
                f->evalBlock->Refresh();
                table = f->evalBlock->scratch->Vars();
            }
    if (!table && doc->Functions())
        for (CStatementBlock* b : doc->Functions()->functions)
            if (b && b->GetKind() == 2) {
                auto* f = static_cast<CUserFunction*>(b);
                if (f->sourceFile.empty() && f->headerPos <= offset && offset < f->endPos) table = f->Vars();
            }
    if (!table) table = doc->Vars();
    if (CVarSlot* s = table ? table->Find(word) : nullptr) {
        write(s->value);
        tip = text;
        return true;
    }
    // Another program may be writing the globals: only when none runs outside a break.
    CProgram* holder = RunLockHolder();
    if (RunLockHeld() && holder && !(holder->thread && holder->debugging && holder->atBreak)) return false;
    auto guard = LockGlobalSlots();
    CVarSlot* g = GlobalVariables.Find(word);
    if (!g) return false;
    write(g->value);
    tip = text;
    return true;
}
