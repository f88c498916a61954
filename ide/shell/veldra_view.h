#pragma once
// The program view: the source editor of a program document, with the
// language's colouring, breakpoints, the run's read-only state and the
// timer that notices the end of a run.
#include <string>

#include "ide/run/program_requests.h"
#include "ide/shell/resources.h"
#include "ui_controls/edit/edit_view.h"

class CVeldraDoc;
class CVeldraView;


// Timers of the view.
enum : UINT_PTR {
    TIMER_RUN_END = 10,
    TIMER_LOAD = 11,  // a translation on its own thread: progress and end
    TIMER_ONE_SHOT = 28,
    TIMER_HIDDEN_CLOSE = 101,
};

// Marker types of the editor.
enum : unsigned {
    MARKER_BREAKPOINT = 1,
    MARKER_FRAME_LINE = 2,
    MARKER_CURRENT_LINE = 8,
};

class CStatement;
// The value of a variable under the mouse; false when there is none to show.
bool VariableValueTip(CVeldraDoc* doc, const std::string& word, int offset, std::string& tip);

class CVeldraEditCtrl : public KyrEditCtrl {
public:
    CVeldraEditCtrl() = default;

    bool CanInsert(int offset, const std::string& text) override;
    bool CanDelete(int offset, const std::string& text) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnRemoveText(int start, int end) override;
    // Mode -2: caret to the end, a line break unless the last line is empty,
    // the mark at the end. Mode -1: no mark.
    void SetExecutedMark(int mode);
    // The end of an Auto Calculate run: a good line gets its ";" and a new line.
    void FinishAutoLine(DWORD exitCode);
    // Enter in Auto Calculate: runs the text after the mark.
    void RunAutoLine();
    void OnCaretMoved() override;
    // "Ln, Col" of the caret in the cursor pane; unless always, only when it
    // moved since the last report and this is the active document's editor.
    void ReportCaret(bool always);
    bool GetTipText(std::string& text, POINT& point) override;

    // The last change undoes together with the next one.
    void GroupWithNext() { GroupLastUndo(); }

    CVeldraView* view = nullptr;

    int executedMark = -1;
    int lastStatementEnd = -1;
    bool ctrlHeld = false;
    bool readOnlyRunning = false;
    int reportedLine = -1, reportedColumn = -1;
};

class CVeldraView : public KyrEditView {
    DECLARE_DYNCREATE(CVeldraView)
public:
    CVeldraView() = default;
    ~CVeldraView() override;

    CVeldraDoc* GetDocument() const;
    CVeldraEditCtrl* GetVeldraEdit() const { return (CVeldraEditCtrl*)m_edit; }
    KyrEditCtrl* CreateEditCtrl() override;

    void ApplySettings();
    void OnInitialUpdate() override;
    void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override;
    void SetReadOnly(bool on);
    // The hover tip of a word that ends at a text offset; false when there is none.
    bool ShowValueTip(const std::string& word, int wordEnd, std::string* tip = nullptr);

    // Comment/Uncomment of the selection's lines (or the caret's line).
    void CommentLines(bool comment);

    // The debugger's current statement (marker 8) and the call-stack frame's line (marker 2).
    void ShowCurrentStatement(CStatement* st);
    void ShowFrameLine(CStatement* st);

    void OnToggleBreakpoint();
    void OnRemoveAllBreakpoints();
    void OnUpdateToggleBreakpoint(CCmdUI* ui);
    void OnUpdateRemoveAllBreakpoints(CCmdUI* ui);
    void OnEditComment() { CommentLines(true); }
    void OnEditUncomment() { CommentLines(false); }
    void OnUpdateAlways(CCmdUI* ui);
    void OnViewEditCut();
    void OnViewEditPaste();

protected:
    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    void OnContextMenu(HWND window, POINT screen);
    LRESULT OnRefresh(WPARAM flags, LPARAM program);
    LRESULT OnIsBreakpoint(WPARAM, LPARAM statement);
    LRESULT OnShowStatement(WPARAM, LPARAM statement);
    LRESULT OnFindProgramView(WPARAM program, LPARAM out);
    LRESULT OnProgramRequest(WPARAM kind, LPARAM data);
    DECLARE_MESSAGE_MAP()

    HFONT m_font = nullptr;
    HFONT m_tipFont = nullptr;
};
