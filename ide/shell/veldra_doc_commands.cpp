// The program document's Insert, Edit Properties and Functions commands, its
// host side for the value editors and the functions bar, and Tools Settings.
#include <filesystem>
#include <system_error>

#include "ide/dialogs/function_dlg.h"
#include "ide/dialogs/insert_dialogs.h"
#include "ide/dialogs/insert_values.h"
#include "ide/dialogs/literal_properties.h"
#include "ide/dialogs/new_function_dlg.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide/bars/watcher_bar.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/win_app.h"

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b) return true;
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec);
}

}  // namespace

// ---- value editors' and functions bar's host ---------------------------------

CWnd* CVeldraDoc::EditorParent() { return GetProgramView(); }

KyrEditCtrl* CVeldraDoc::FindProgramEditor(const std::string& sourceFile)
{
    CVeldraDoc* found = nullptr;
    if (sourceFile.empty()) {
        found = this;
    } else {
        ForEachProgramDocument([&](CVeldraDoc* doc) {
            if (!found && SameFile(doc->GetPathName(), sourceFile)) found = doc;
        });
    }
    CVeldraView* view = found ? found->GetProgramView() : nullptr;
    return view ? view->GetEditCtrl() : nullptr;
}

void CVeldraDoc::RefreshFunctionsBars(int flags) { ::RefreshFunctionsBars(this, flags); }

void CVeldraDoc::RefreshMatrixEditors() { editorLists.RefreshMatrixEditors(); }

// ---- Insert and Edit Properties -------------------------------------------------

namespace {

// Each Insert command puts its text at the program editor's caret as one undo step.
void InsertFromDialog(CVeldraDoc* doc, const std::string& text)
{
    CVeldraView* view = doc->GetProgramView();
    if (KyrEditCtrl* edit = view ? view->GetEditCtrl() : nullptr) InsertAtCaret(*edit, text);
}

}  // namespace

void CVeldraDoc::OnInsertStatement() { InsertFromDialog(this, RunStatementDialog(GetProgramView())); }

void CVeldraDoc::OnInsertFunction()
{
    FinishLoad(false);  // the dialog lists this program's functions
    InsertFromDialog(this, RunFunctionDialog(GetProgramView(), this));
}

void CVeldraDoc::OnInsertOperation() { InsertFromDialog(this, RunOperationDialog(GetProgramView())); }

void CVeldraDoc::OnInsertNewFunction() { InsertFromDialog(this, RunNewFunctionDialog(GetProgramView())); }

void CVeldraDoc::OnInsertMatrix()
{
    std::string text;
    if (InsertMatrixText(GetProgramView(), text)) InsertFromDialog(this, text);
}

void CVeldraDoc::OnInsertStructure()
{
    std::string text;
    if (InsertStructureText(GetProgramView(), text)) InsertFromDialog(this, text);
}

void CVeldraDoc::OnInsertBinary()
{
    std::string text;
    if (InsertBinaryText(GetProgramView(), text)) InsertFromDialog(this, text);
}

void CVeldraDoc::OnEditProperties()
{
    CVeldraView* view = GetProgramView();
    if (KyrEditCtrl* edit = view ? view->GetEditCtrl() : nullptr) EditLiteralProperties(*edit, view);
}

// ---- the functions window -------------------------------------------------------

void CVeldraDoc::OnToolsFunctions()
{
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    if (CFunctionsBar* bar = FindFunctionsBar(this)) {
        bar->DestroyWindow();
        frame->RecalcLayout();
        return;
    }
    CreateFunctionsBar(this, frame, this);
}

void CVeldraDoc::OnViewFunctions()
{
    CVeldraView* view = GetProgramView();
    CFrameWnd* frame = view ? view->GetParentFrame() : nullptr;
    if (!frame) return;
    CFunctionsBar* bar = FindFunctionsBar(this);
    if (!bar) bar = CreateFunctionsBar(this, frame, this);
    if (!bar) return;
    frame->ShowControlBar(bar, TRUE, FALSE);
    bar->m_dlg.SetFocus();
}

void CVeldraDoc::OnUpdateToolsFunctions(CCmdUI* ui) { ui->SetCheck(FindFunctionsBar(this) ? 1 : 0); }
