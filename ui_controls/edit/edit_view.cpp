// The editor's document view: command routing, the find/replace dialog and
// printing.
#include "ui_controls/edit/edit_view.h"

#include "platform/afx/cmd_ui.h"
#include "platform/afx/document.h"
#include "platform/afx/win_app.h"

IMPLEMENT_DYNCREATE(KyrEditView, CView)

BEGIN_MESSAGE_MAP(KyrEditView, CView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_REDO, OnEditRedo)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_COMMAND(ID_EDIT_FIND, OnEditFind)
    ON_COMMAND(ID_EDIT_REPLACE, OnEditReplace)
    ON_COMMAND(ID_EDIT_REPEAT, OnEditRepeat)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REDO, OnUpdateEditRedo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_FIND, OnUpdateNoDialog)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPLACE, OnUpdateNoDialog)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPEAT, OnUpdateEditRepeat)
    ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)
    ON_REGISTERED_MESSAGE("commdlg_FindReplace", OnFindReplace)
    ON_REGISTERED_MESSAGE("KYR_ON_EDITCHANGE", OnEditChange)
END_MESSAGE_MAP()

KyrSearchState& KyrLastSearch()
{
    thread_local KyrSearchState state;
    return state;
}

UINT KyrFindReplaceMessage()
{
    static const UINT id = RegisterWindowMessage("commdlg_FindReplace");
    return id;
}

KyrFindReplaceDialog::~KyrFindReplaceDialog()
{
    // The box is modeless: the main window stayed usable and gets the focus
    // back (at exit it may already be gone).
    CWnd* main = AfxGetMainWnd();
    if (main && ::IsWindow(main->m_hWnd) && GetSafeHwnd() && ::GetActiveWindow() == GetSafeHwnd()) ::SetFocus(main->m_hWnd);
    if (m_view) m_view->DialogClosed();
}

KyrEditView::~KyrEditView()
{
    if (m_findDialog) {
        m_findDialog->m_view = nullptr;
        delete m_findDialog;
        m_findDialog = nullptr;
    }
}

int KyrEditView::OnCreate(CREATESTRUCT* cs)
{
    if (CView::OnCreate(cs) == -1) return -1;
    m_edit = CreateEditCtrl();
    if (!m_edit) return -1;
    if (!m_edit->Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, this, AFX_IDW_PANE_FIRST)) {
        delete m_edit;
        m_edit = nullptr;
        return -1;
    }
    return 0;
}

void KyrEditView::OnDestroy()
{
    if (m_findDialog) {
        KyrFindReplaceDialog* d = m_findDialog;
        d->m_view = nullptr;
        m_findDialog = nullptr;
        delete d;   // closes the box
    }
    if (m_edit) {
        m_edit->DestroyWindow();
        delete m_edit;
        m_edit = nullptr;
    }
    CView::OnDestroy();
}

void KyrEditView::OnSize(UINT, int cx, int cy)
{
    if (m_edit && m_edit->m_hWnd)
        ::SetWindowPos(m_edit->m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KyrEditView::OnSetFocus(HWND)
{
    if (m_edit && m_edit->m_hWnd) m_edit->SetFocus();
}

LRESULT KyrEditView::OnEditChange(WPARAM wParam, LPARAM)
{
    // Undone back to the saved text, the document is clean again.
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(wParam == kEditChangeHistoryMoved && m_edit ? m_edit->IsModified() : TRUE);
    return 0;
}

BOOL KyrEditView::CanOpenFile(const char*, uint64_t size)
{
    if (size <= (uint64_t)kEditorMaxBytes) return TRUE;   // 2^31 bytes or more: refused
    AfxMessageBox(kEditorTooLargeMessage, MB_ICONEXCLAMATION);
    return FALSE;
}

void KyrEditView::OnPrepareDC(CDC* dc, CPrintInfo* info)
{
    if (!dc->IsPrinting()) CView::OnPrepareDC(dc, info);
}

// --- Edit commands ---------------------------------------------------------------

void KyrEditView::OnEditUndo()
{
    if (m_edit) m_edit->Undo(true);
}
void KyrEditView::OnEditRedo()
{
    if (m_edit) m_edit->Redo(true);
}
void KyrEditView::OnEditCut()
{
    if (m_edit) m_edit->Cut();
}
void KyrEditView::OnEditCopy()
{
    if (m_edit) m_edit->Copy();
}
void KyrEditView::OnEditPaste()
{
    if (m_edit) m_edit->Paste();
}
void KyrEditView::OnEditSelectAll()
{
    if (m_edit) m_edit->ExtendSelection(12);
}
void KyrEditView::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(m_edit && m_edit->CanUndo()); }
void KyrEditView::OnUpdateEditRedo(CCmdUI* ui) { ui->Enable(m_edit && m_edit->CanRedo()); }
void KyrEditView::OnUpdateEditCut(CCmdUI* ui)
{
    int a = -1, b = -1;
    if (m_edit) m_edit->GetSel(&a, &b);
    ui->Enable(m_edit && a >= 0 && b >= 0 && a != b);
}
void KyrEditView::OnUpdateEditCopy(CCmdUI* ui)
{
    int a = -1, b = -1;
    if (m_edit) m_edit->GetSel(&a, &b);
    ui->Enable(m_edit && ((a >= 0 && b >= 0 && a != b) || m_edit->copyAllWithoutSelection));
}
void KyrEditView::OnUpdateNoDialog(CCmdUI* ui) { ui->Enable(m_edit && !m_findDialog); }
void KyrEditView::OnUpdateEditRepeat(CCmdUI* ui) { ui->Enable(m_edit && !KyrLastSearch().what.empty()); }

// --- find and replace ------------------------------------------------------------

void KyrEditView::OnTextNotFound(const std::string& what)
{
    AfxMessageBox(("Cannot find the string '" + what + "'").c_str(), MB_ICONEXCLAMATION);
}

bool KyrEditView::FindNext(const std::string& what, DWORD flags)
{
    if (!m_edit) return false;
    return m_edit->FindText(what, (flags & FR_DOWN) != 0, (flags & FR_WHOLEWORD) != 0, (flags & FR_MATCHCASE) != 0);
}

bool KyrEditView::ReplaceSelection(const std::string& replacement)
{
    if (!m_edit) return false;
    int a, b;
    m_edit->GetSel(&a, &b);
    if (a < 0 || b < 0 || a == b) return false;
    const int lo = std::min(a, b), hi = std::max(a, b);
    m_edit->DeleteText(lo, hi);
    int end = lo;
    if (!replacement.empty()) {
        const int before = (int)m_edit->Text().size();
        if (m_edit->InsertText(replacement, lo, KYR_INS_REDRAW, true)) end = lo + (int)m_edit->Text().size() - before;
    }
    m_edit->SetCaretOffset(end, true, false);
    m_edit->SetSel(end, end);
    return true;
}

int KyrEditView::ReplaceAll(const std::string& what, const std::string& with, DWORD flags)
{
    if (!m_edit || what.empty()) return 0;
    const bool down = (flags & FR_DOWN) != 0;
    const bool whole = (flags & FR_WHOLEWORD) != 0, matchCase = (flags & FR_MATCHCASE) != 0;
    // The matches of the text as it is now, in the order the pass meets them.
    const std::string start = m_edit->Text();
    const int n = (int)what.size(), length = (int)start.size();
    auto fold = [&](unsigned char c) { return !matchCase && c >= 'A' && c <= 'Z' ? (unsigned char)(c + 32) : c; };
    auto delimiter = [&](unsigned char c) { return c < 0x80 && m_edit->wordDelimiters.find((char)c) != std::string::npos; };
    std::vector<int> matches;
    for (int p = 0; p + n <= length;) {
        bool ok = true;
        for (int i = 0; i < n && ok; ++i) ok = fold((unsigned char)start[(size_t)(p + i)]) == fold((unsigned char)what[(size_t)i]);
        if (ok && whole)
            ok = (p == 0 || delimiter((unsigned char)start[(size_t)p - 1])) && (p + n == length || delimiter((unsigned char)start[(size_t)(p + n)]));
        if (ok) {
            matches.push_back(p);
            p += n;   // matches never overlap
        } else {
            ++p;
        }
    }
    if (matches.empty()) return 0;
    const int caret = m_edit->CaretOffset();
    std::vector<int> order;
    if (down) {
        for (int p : matches)
            if (p >= caret) order.push_back(p);
        for (int p : matches)
            if (p < caret) order.push_back(p);
    } else {
        for (auto it = matches.rbegin(); it != matches.rend(); ++it)
            if (*it + n <= caret) order.push_back(*it);
        for (auto it = matches.rbegin(); it != matches.rend(); ++it)
            if (*it + n > caret) order.push_back(*it);
    }
    // Each replacement shifts the later original offsets by the size change.
    std::vector<std::pair<int, int>> done;   // original offset, size change
    int count = 0;
    for (int p : order) {
        int at = p;
        for (auto& [q, delta] : done)
            if (q < p) at += delta;
        const int before = (int)m_edit->Text().size();
        m_edit->SetSel(at, at + n);
        if (!ReplaceSelection(with)) break;
        done.emplace_back(p, (int)m_edit->Text().size() - before);
        ++count;
    }
    return count;
}

void KyrEditView::OpenDialog(bool findOnly)
{
    if (m_findDialog) {
        // The open dialog only takes the focus.
        if (HWND box = m_findDialog->GetSafeHwnd()) ::SetActiveWindow(box);
        return;
    }
    if (!m_edit) return;
    KyrSearchState& last = KyrLastSearch();
    std::string initial = m_edit->GetSelectedText();
    if (initial.empty()) initial = m_edit->GetWordAt(m_edit->CaretOffset());
    last.what = initial;
    auto* dialog = new KyrFindReplaceDialog(this);
    m_findDialog = dialog;
    if (!dialog->Create(findOnly ? TRUE : FALSE, last.what.c_str(), findOnly ? nullptr : last.with.c_str(), last.flags, this)) {
        dialog->m_view = nullptr;
        delete dialog;
        m_findDialog = nullptr;
    }
}

void KyrEditView::OnEditFind() { OpenDialog(true); }
void KyrEditView::OnEditReplace() { OpenDialog(false); }

void KyrEditView::OnEditRepeat()
{
    if (!KyrLastSearch().what.empty()) SendMessage(KyrFindReplaceMessage(), 0, 0);
}

LRESULT KyrEditView::OnFindReplace(WPARAM, LPARAM l)
{
    KyrSearchState& last = KyrLastSearch();
    if (l == 0) {
        // F3: the last search, no dialog.
        if (!last.what.empty() && !FindNext(last.what, last.flags)) OnTextNotFound(last.what);
        return 0;
    }
    CFindReplaceDialog* dialog = CFindReplaceDialog::GetNotifier(l);
    if (!dialog) return 0;
    if (dialog->IsTerminating()) {
        if (dialog == m_findDialog) delete m_findDialog;   // clears m_findDialog
        return 0;
    }
    last.what = dialog->GetFindString();
    last.flags = (dialog->SearchDown() ? FR_DOWN : 0) | (dialog->MatchWholeWord() ? FR_WHOLEWORD : 0) |
                 (dialog->MatchCase() ? FR_MATCHCASE : 0);
    if (dialog->FindNext()) {
        if (!FindNext(last.what, last.flags)) OnTextNotFound(last.what);
    } else if (dialog->ReplaceCurrent()) {
        last.with = dialog->GetReplaceString();
        int a, b;
        if (m_edit) m_edit->GetSel(&a, &b);
        if (m_edit && a >= 0 && b >= 0 && a != b) ReplaceSelection(last.with);
        if (!FindNext(last.what, last.flags)) OnTextNotFound(last.what);
    } else if (dialog->ReplaceAll()) {
        last.with = dialog->GetReplaceString();
        ReplaceAll(last.what, last.with, last.flags);
        AfxMessageBox(("Finished searching for '" + last.what + "'").c_str(), MB_ICONINFORMATION);
    }
    return 0;
}

// --- printing ----------------------------------------------------------------------

void KyrEditView::OnBeginPrinting(CDC* dc, CPrintInfo*)
{
    if (m_edit && dc) m_edit->CreatePrintFont(*dc);
}

void KyrEditView::OnPrint(CDC* dc, CPrintInfo* info)
{
    if (m_edit && dc) m_edit->PrintPage(*dc, info);
}

void KyrEditView::OnEndPrinting(CDC*, CPrintInfo*)
{
    if (m_edit) m_edit->DeletePrintFont();
}
