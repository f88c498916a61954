#pragma once
// The watcher: a docking bar (id 155) hosting CWatcherDlg (template 152) that
// shows the call stack of a program stopped at a break and a list of watch
// expressions evaluated in the frame picked in the stack box. One bar per
// program document, docked at the bottom of its child frame.
//
// Input -> result:
//   a break (flag 2)          stack box filled, item 0 applied
//   stack item picked         editor to the frame's line (marker 2), watches re-evaluated
//   text typed in the last row   a new watch, evaluated, set saved ("W%d")
//   set picked                "WN" stored, set loaded
//   outside a break           stack box empty, label edits refused
#include <string>
#include <vector>

#include "ide/bars/list_bar.h"
#include "interpreter/status.h"
#include "values/value.h"

class CProgram;
class CEvalBlock;
class CStatementBlock;
struct CCallFrame;

enum : UINT {
    IDD_WATCHER = 152,
    IDC_WATCHER_BAR = 155,
    IDC_WT_STACK = 1010,
    IDC_WT_SETS = 1011,
    IDC_WT_LIST_LABEL = 1041,
    IDC_WT_EXPR_LABEL = 1042,
    IDC_WT_VALUE_LABEL = 1043,
    IDC_WT_LIST = 1061,
    IDC_WT_EXPR = 1021,
    IDC_WT_VALUE = 1022,
    IDC_WT_OPEN = 1091,
    IDC_WT_ADD = 1092,
    IDC_WT_DELETE = 1093,
};

struct WatchItem {
    std::string expression;
    CValue value;
    StatusWord status = 0;
};

class CWatcherDlg : public CListBarDlg {
public:
    explicit CWatcherDlg(CProgram* owner);
    ~CWatcherDlg() override;

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // Flag 2.
    void RebuildCallStack();
    // The picked frame: editor line, watches.
    void ApplyFrame();
    // Flag 32.
    void EvaluateAll();
    // Flag 8.
    void UpdateRunState();
    // Flag 64.
    void UpdateFont();
    void LoadSet(int index);
    void SaveSet();
    // The row's expression becomes text (the last row adds a watch).
    void SetExpression(int row, const std::string& text);
    void RemoveWatch(int row);
    void OpenValue(int row);
    void SelectRow(int row);
    std::string RowText(int row, int column) const;
    int RowCount() const;
    // The frame picked in the stack box, null when none.
    CCallFrame* SelectedFrame() const;

    std::vector<WatchItem*> m_items;

private:
    void Evaluate(int row);
    void ShowRow(int row) override;
    void OpenSelected() override;
    // Label edits: only at a break; the edited text becomes the expression.
    bool OnListNotify(NMHDR* hdr, LRESULT* result) override;
    void ClearStack();
    CEvalBlock* m_frameBlock = nullptr;  // the applied frame's block (owned by the frame)
    bool m_editing = false;
    bool m_filling = false;
};

class CWatcherBar : public LytDynamicBar {
public:
    explicit CWatcherBar(CProgram* owner) : m_dlg(owner) { m_pDialog = &m_dlg; }
    ~CWatcherBar() override;
    void PostNcDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    CWatcherDlg m_dlg;
};

CWatcherBar* CreateWatcherBar(CProgram* owner, CFrameWnd* frame);
CWatcherBar* FindWatcherBar(CProgram* owner);
// Destroys the owner's bars; whether there was any.
bool RemoveWatcherBars(CProgram* owner);
// Flags 2 call stack, 32 re-evaluate, 8 run state, 64 font; owner null: every bar.
void UpdateWatcherBars(CProgram* owner, int flags);
// The bars of this GUI thread (tests).
std::vector<CWatcherBar*> WatcherBars();

// Evaluates a watch expression among a frame's variables (never in the
// program block: the program thread waits at a break). While the gate is off,
// calling a user function fails with status 70.
StatusWord EvaluateWatch(CEvalBlock* block, CStatementBlock* program, const std::string& text, CValue& out);
// The value column: the value's line, or the error text of the status.
std::string WatchText(StatusWord status, const CValue& value);
