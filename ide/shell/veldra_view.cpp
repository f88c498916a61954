// The program view and its editor.
#include "ide/shell/veldra_view.h"

#include <cstring>

#include "ide/run/hidden_run.h"
#include "ide/run/program_loader.h"
#include "ide/bars/variables_bar.h"
#include "ide/shell/veldra_doc.h"
#include "interpreter/func_records.h"
#include "interpreter/statement_module.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "platform/afx/mdi_child_wnd.h"
#include "values/app_settings.h"

namespace {

// The statement words every group shares with the block statements.
const char* const kBlockWords[] = {"end", "else", "elseif", "case", "default", "function"};

bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace


// ---- the editor -------------------------------------------------------------

bool CVeldraEditCtrl::CanInsert(int offset, const std::string&)
{
    if (readOnlyRunning) return false;
    return executedMark < 0 || offset >= executedMark;
}

bool CVeldraEditCtrl::CanDelete(int offset, const std::string&)
{
    if (readOnlyRunning) return false;
    return executedMark < 0 || offset >= executedMark;
}

// Called on scrolls, before the caret line is current; the next message reports again.
void CVeldraEditCtrl::OnCaretMoved() { ReportCaret(false); }

void CVeldraEditCtrl::ReportCaret(bool always)
{
    CVeldraDoc* doc = view ? view->GetDocument() : nullptr;
    IProgramShell* shell = doc ? doc->m_pShell : nullptr;
    if (!shell || !m_hWnd) return;
    if (!always) {
        if (CaretLine() == reportedLine && CaretColumn() == reportedColumn) return;
        // Only the active document's editor owns the pane.
        CMDIChildWnd* active = shell->ActiveChildFrame();
        if (!active || view->GetParentFrame() != active) return;
    }
    const int line = CaretLine();
    const int column = CaretColumn();
    if (!shell->SetCursorPosText((unsigned)line + 1, (unsigned)column + 1)) return;
    reportedLine = line;
    reportedColumn = column;
}

bool CVeldraEditCtrl::GetTipText(std::string& text, POINT& point)
{
    const std::string word = text;
    text.clear();
    POINT p = point;
    const int at = OffsetFromPoint(p, true, false);
    if (at < 0 || !view) return true;
    int start = at, end = at;
    GetWordBounds(at, &start, &end);
    std::string tip;
    if (view->ShowValueTip(word, end, &tip)) text = tip;
    return true;
}

// ---- the view ---------------------------------------------------------------

IMPLEMENT_DYNCREATE(CVeldraView, KyrEditView)

BEGIN_MESSAGE_MAP(CVeldraView, KyrEditView)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_WM_CONTEXTMENU()
    ON_MESSAGE(WM_VELDRA_REFRESH, OnRefresh)
    ON_MESSAGE(WM_VELDRA_IS_BREAKPOINT, OnIsBreakpoint)
    ON_MESSAGE(WM_VELDRA_SHOW_STATEMENT, OnShowStatement)
    ON_MESSAGE(WM_VELDRA_FIND_VIEW, OnFindProgramView)
    ON_REGISTERED_MESSAGE(kProgramRequestName, OnProgramRequest)
    ON_COMMAND(ID_TOGGLE_BREAKPOINT, OnToggleBreakpoint)
    ON_COMMAND(ID_REMOVE_ALL_BREAKPOINTS, OnRemoveAllBreakpoints)
    ON_COMMAND(ID_EDIT_COMMENT, OnEditComment)
    ON_COMMAND(ID_EDIT_UNCOMMENT, OnEditUncomment)
    ON_COMMAND(ID_EDIT_CUT, OnViewEditCut)
    ON_COMMAND(ID_EDIT_PASTE, OnViewEditPaste)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
    ON_UPDATE_COMMAND_UI(ID_TOGGLE_BREAKPOINT, OnUpdateToggleBreakpoint)
    ON_UPDATE_COMMAND_UI(ID_REMOVE_ALL_BREAKPOINTS, OnUpdateRemoveAllBreakpoints)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COMMENT, OnUpdateAlways)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNCOMMENT, OnUpdateAlways)
END_MESSAGE_MAP()

CVeldraView::~CVeldraView()
{
    if (m_font) DeleteObject(m_font);
    if (m_tipFont) DeleteObject(m_tipFont);
}

CVeldraDoc* CVeldraView::GetDocument() const { return dynamic_cast<CVeldraDoc*>(m_pDocument); }

KyrEditCtrl* CVeldraView::CreateEditCtrl()
{
    auto* edit = new CVeldraEditCtrl;
    edit->view = this;
    return edit;
}

int CVeldraView::OnCreate(CREATESTRUCT* cs)
{
    if (KyrEditView::OnCreate(cs) == -1) return -1;
    ApplySettings();
    return 0;
}

void CVeldraView::OnDestroy()
{
    if (CVeldraDoc* doc = GetDocument()) {
        doc->FinishLoad(false);  // its end was this view's timer
        doc->StopRun();
    }
    KillTimer(TIMER_RUN_END);
    KillTimer(TIMER_LOAD);
    KillTimer(TIMER_HIDDEN_CLOSE);
    KyrEditView::OnDestroy();
}

void CVeldraView::OnInitialUpdate()
{
    KyrEditView::OnInitialUpdate();
    CVeldraDoc* doc = GetDocument();
    if (doc && !FindFunctionsBar(doc))
        if (CFrameWnd* frame = GetParentFrame()) CreateFunctionsBar(doc, frame, doc);
    if (doc && !FindVariablesBar(doc))
        if (CFrameWnd* frame = GetParentFrame()) CreateVariablesBar(doc, frame);
    // The cursor pane shows this editor's caret from the start.
    if (CVeldraEditCtrl* edit = GetVeldraEdit(); edit && edit->m_hWnd) edit->ReportCaret(true);
    if (!doc || doc->GetPathName().empty()) return;
    if (IsHiddenRun()) {
        doc->RunProgram();
    } else if (doc->autoCalculate) {
        if (CVeldraEditCtrl* edit = GetVeldraEdit()) edit->SetExecutedMark(-2);
        doc->RunProgram();
    }
}

void CVeldraView::OnActivateView(BOOL activate, CView* activateView, CView* deactiveView)
{
    KyrEditView::OnActivateView(activate, activateView, deactiveView);
    if (activate)
        if (CVeldraEditCtrl* edit = GetVeldraEdit(); edit && edit->m_hWnd) edit->ReportCaret(true);
}

void CVeldraView::ApplySettings()
{
    KyrEditCtrl* edit = GetEditCtrl();
    if (!edit) return;
    const LayerColor* layers = AppSettings::LayerColors;
    edit->RemoveAllKeywords();
    edit->RemoveAllRegions();
    edit->textColour = layers[0].foreground;
    edit->backgroundColour = layers[0].background;
    const COLORREF kwFore = layers[1].foreground, kwBack = layers[1].background;
    for (int i = 0; i < CStatementModuleList::Count(); ++i) {
        const CmdrInfo* info = CStatementModuleList::At(i).info;
        if (!info || !info->statements) continue;
        for (int k = 0; k < info->statementCount; ++k)
            if (info->statements[k].keyword) edit->AddKeyword(info->statements[k].keyword, kwFore, kwBack, 0);
    }
    for (const char* w : kBlockWords) edit->AddKeyword(w, kwFore, kwBack, 0);
    edit->AddRegion("%", "\n", layers[3].foreground, layers[3].background, 0, 0);
    edit->AddRegion("\"", "\"", layers[2].foreground, layers[2].background, 0, 0);

    HFONT old = m_font;
    const int tenths = AppSettings::EditorFont.size;
    m_font = CreateFont(-(tenths * 96 + 360) / 720, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                        0, AppSettings::EditorFont.face.c_str());
    if (edit->m_hWnd) edit->SendMessage(WM_SETFONT, (WPARAM)m_font, TRUE);
    if (old) DeleteObject(old);
    HFONT oldTip = m_tipFont;
    const int tipTenths = AppSettings::TooltipFont.size;
    m_tipFont = CreateFont(-(tipTenths * 96 + 360) / 720, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                           0, 0, AppSettings::TooltipFont.face.c_str());
    if (edit->ToolTip().m_hWnd) edit->ToolTip().SendMessage(WM_SETFONT, (WPARAM)m_tipFont, TRUE);
    if (oldTip) DeleteObject(oldTip);
    edit->hoverTips = 1;
    edit->ActivateToolTip(true);
    if (edit->m_hWnd) edit->Invalidate();
}

void CVeldraView::SetReadOnly(bool on)
{
    if (CVeldraEditCtrl* edit = GetVeldraEdit()) edit->readOnlyRunning = on;
}

void CVeldraView::OnTimer(UINT_PTR id)
{
    CVeldraDoc* doc = GetDocument();
    switch (id) {
    case TIMER_LOAD:
        if (doc && doc->IsLoading())
            doc->OnLoadTick();
        else
            KillTimer(TIMER_LOAD);
        return;
    case TIMER_RUN_END:
        if (!doc || !doc->IsThreadAlive()) {
            KillTimer(TIMER_RUN_END);
            if (doc) doc->EndOfRun();
        }
        return;
    case TIMER_ONE_SHOT:
        KillTimer(TIMER_ONE_SHOT);
        return;
    case TIMER_HIDDEN_CLOSE:
        if (!CStatementModuleList::AnyDeviceWindow()) {
            KillTimer(TIMER_HIDDEN_CLOSE);
            if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
        }
        return;
    default: Default();
    }
}

LRESULT CVeldraView::OnRefresh(WPARAM flags, LPARAM)
{
    CVeldraDoc* doc = GetDocument();
    if (!doc) return 0;
    doc->RefreshVariablesBars((int)flags);
    if (flags & 0x2000) doc->UpdateWatcherBars((int)flags);
    doc->RefreshMatrixEditors();
    return 0;
}

// The editor's context menu (143); every item's update runs first.
void CVeldraView::OnContextMenu(HWND, POINT screen)
{
    HMENU menu = AfxLoadMenu(IDR_EDITOR_MENU);
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    if (popup) {
        if (screen.x == -1 && screen.y == -1) {
            // From the keyboard: at the caret.
            screen = POINT{0, 0};
            if (KyrEditCtrl* edit = GetEditCtrl()) edit->PointFromOffset(edit->CaretOffset(), &screen);
            ::ClientToScreen(GetEditCtrl() ? GetEditCtrl()->m_hWnd : m_hWnd, &screen);
        }
        AfxUpdateMenu(popup, this, TRUE);
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
    }
    if (menu) DestroyMenu(menu);
}

// ---- hover tip --------------------------------------------------------------

bool CVeldraView::ShowValueTip(const std::string& word, int wordEnd, std::string* tip)
{
    KyrEditCtrl* edit = GetEditCtrl();
    // A translation on its own thread is writing functions and variables.
    if (word.empty() || ProgramLoading()) return false;
    std::string text;
    // Prototypes and descriptions wrap at a quarter of the screen; a value
    // may take the screen's width.
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    int width = screen / 4;
    const std::string& all = edit ? edit->Text() : std::string();
    size_t i = (size_t)std::max(0, wordEnd);
    while (i < all.size() && IsBlankChar(all[i])) ++i;
    if (i < all.size() && all[i] == '(') {
        std::vector<FunctionOverload> list;
        CountFunctionOverloads(word.c_str(), 0, 0, list);
        for (const FunctionOverload& o : list) {
            std::string proto, description;
            if (o.kind == 2) {
                auto* f = static_cast<const CUserFunction*>(o.pointer);
                proto = FormatUserPrototype(f);
                description = f->helpText;
            } else {
                auto* e = static_cast<const FuncEntry*>(o.pointer);
                proto = e->prototype ? e->prototype : FormatFunctionPrototype(e);
                // The help is the syntax line, CR LF, then the description.
                if (e->help) {
                    const char* nl = std::strstr(e->help, "\r\n");
                    if (nl) description = nl + 2;
                }
            }
            if (!text.empty()) text += "\n";
            text += proto;
            if (!description.empty()) text += "\n" + description;
        }
    }
    // "while (" is a statement, not a call: keywords answer when no function does.
    if (text.empty()) {
        std::string lower = word;
        for (char& c : lower) c = (char)std::tolower((unsigned char)c);
        if (const CmdrStatementEntry* st = CStatementModuleList::FindStatement(lower.c_str())) {
            text = word;
            text += "\n";
            if (st->help) text += st->help;
        }
        if (text.empty()) {
            VariableValueTip(GetDocument(), word, wordEnd, text);
            width = screen;
        }
    }
    if (edit && edit->ToolTip().m_hWnd && !text.empty()) edit->ToolTip().SetMaxTipWidth(width);
    if (tip) *tip = text;
    return !text.empty();
}

// ---- comment ----------------------------------------------------------------

void CVeldraView::CommentLines(bool comment)
{
    CVeldraEditCtrl* edit = GetVeldraEdit();
    if (!edit) return;
    int anchor = 0, end = 0;
    edit->GetSel(&anchor, &end);
    const bool selected = anchor >= 0 && end >= 0 && anchor != end;
    if (!selected) anchor = end = edit->CaretOffset();
    int a = std::min(anchor, end), b = std::max(anchor, end);
    // A selection that ends at a line start leaves that line alone.
    if (b > a && edit->GetLineStartOf(b) == b) --b;
    const int first = edit->GetLineOfOffset(a), last = edit->GetLineOfOffset(b);
    // Where each "%" goes or comes from, bottom up: an edit never moves the
    // lines still to do.
    std::vector<int> at;
    for (int line = last; line >= first; --line) {
        const int start = edit->GetLineOffset(line);
        if (comment) {
            at.push_back(start);
            continue;
        }
        const std::string& t = edit->Text();
        int p = start;
        while (p < (int)t.size() && (t[p] == ' ' || t[p] == '\t')) ++p;
        if (p < (int)t.size() && t[p] == '%') at.push_back(p);
    }
    // One undo takes back the whole command.
    size_t done = 0;
    for (; done < at.size(); ++done) {
        const bool ok = comment ? edit->InsertText("%", at[done]) : edit->DeleteText(at[done], at[done] + 1);
        if (!ok) break;
        if (done + 1 < at.size()) edit->GroupWithNext();
    }
    // The selection stays on the same lines, so Uncomment right after
    // works on them all; a lone caret stays by its character.
    auto moved = [&](int offset) {
        int shift = 0;
        for (size_t i = 0; i < done; ++i)
            if (at[i] < offset) shift += comment ? 1 : -1;
        return offset + shift;
    };
    if (selected)
        edit->SetSel(moved(anchor), moved(end));
    else if (done > 0)
        edit->SetCaretOffset(moved(anchor), true, true);
}

// ---- breakpoints ------------------------------------------------------------

void CVeldraView::OnToggleBreakpoint()
{
    KyrEditCtrl* edit = GetEditCtrl();
    if (edit) edit->ToggleMarker(edit->CaretLine(), MARKER_BREAKPOINT);
}

void CVeldraView::OnRemoveAllBreakpoints()
{
    if (KyrEditCtrl* edit = GetEditCtrl()) edit->RemoveMarkersOfType(MARKER_BREAKPOINT);
}

void CVeldraView::OnUpdateToggleBreakpoint(CCmdUI* ui)
{
    KyrEditCtrl* edit = GetEditCtrl();
    const bool has = edit && edit->FindMarker(edit->CaretLine(), MARKER_BREAKPOINT);
    ui->SetText(has ? "Remove &Breakpoint" : "Insert &Breakpoint");
    ui->Enable(edit != nullptr);
}

void CVeldraView::OnUpdateRemoveAllBreakpoints(CCmdUI* ui)
{
    std::vector<KyrMarker*> list;
    if (KyrEditCtrl* edit = GetEditCtrl()) edit->GetMarkersOfType(list, MARKER_BREAKPOINT);
    ui->Enable(!list.empty());
}

void CVeldraView::OnUpdateAlways(CCmdUI* ui) { ui->Enable(TRUE); }

// ---- cut and paste ----------------------------------------------------------

void CVeldraView::OnViewEditCut()
{
    CVeldraEditCtrl* edit = GetVeldraEdit();
    if (!edit || edit->readOnlyRunning) return;
    int a = 0, b = 0;
    edit->GetSel(&a, &b);
    if (edit->executedMark >= 0 && a >= 0 && (std::min(a, b) < edit->executedMark)) {
        edit->Copy();
        return;
    }
    KyrEditView::OnEditCut();
}

void CVeldraView::OnViewEditPaste()
{
    CVeldraEditCtrl* edit = GetVeldraEdit();
    if (!edit || edit->readOnlyRunning) return;
    if (edit->executedMark >= 0) {
        int a = 0, b = 0;
        edit->GetSel(&a, &b);
        if (a >= 0 && a != b && std::min(a, b) < edit->executedMark) {
            edit->SetSel(-1, 0);
            edit->SetCaretOffset(edit->executedMark, true, true);
        } else if ((a < 0 || a == b) && edit->CaretOffset() < edit->executedMark) {
            edit->SetCaretOffset(edit->executedMark, true, true);
        }
    }
    KyrEditView::OnEditPaste();
}
