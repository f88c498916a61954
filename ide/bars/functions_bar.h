#pragma once
// The functions bar: a docking bar (id 152) hosting CFunctionsDlg (template
// 151) that lists the callable functions by group, shows the selected one's
// prototype and description, jumps to a user function's definition (Go to)
// and inserts a prototype at the caret (Add Function). One bar per program
// document; all bars are kept in one list (per GUI thread).
//
// Input -> result:
//   group box selection        rows of that group, "List (%d):", row 0 selected
//   row selected               1021 prototype, 1022 description
//   Go to (33101), double-click,
//   space in the list          user function: caret to the start of its line
//                              in its program editor; built-in: nothing
//   Add Function (33102)       the row's prototype inserted at the caret
//   context menu               both commands, enabled while a row is selected
#include <string>
#include <vector>

#include "ide/help/function_groups.h"
#include "ide/bars/list_bar.h"

class CProgram;
class KyrEditCtrl;

enum : UINT {
    IDD_FUNCTIONS = 151,
    IDC_FUNCTIONS_BAR = 152,
    IDR_FUNCTIONS_MENU = 142,
    ID_FUNCTIONS_GOTO = 33101,
    ID_FUNCTIONS_ADD = 33102,
    IDC_FN_GROUPS = 1010,
    IDC_FN_LIST_LABEL = 1041,
    IDC_FN_LIST = 1061,
    IDC_FN_PROTOTYPE = 1021,
    IDC_FN_DESCRIPTION = 1022,
};

// What the bar needs of the IDE's documents.
class IFunctionsBarHost {
public:
    virtual ~IFunctionsBarHost() = default;
    // The program editor of the document named by a user function's source
    // file (empty: the owner's own program), null when none is open.
    virtual KyrEditCtrl* FindProgramEditor(const std::string& sourceFile) = 0;
    // Inserts text at the caret of the active document's program editor.
    virtual void InsertText(const std::string& text) = 0;
};

class CFunctionsDlg : public CListBarDlg {
public:
    CFunctionsDlg(CProgram* owner, IFunctionsBarHost* host);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // Go to and Add Function are enabled while a row is selected.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;

    // Rebuilds the rows of the selected group.
    void ApplyGroup();
    // No rows, item count 0.
    void EmptyRows();
    void SelectGroup(const std::string& name);
    void GoTo();
    void AddFunction();
    void SelectRow(int row);
    std::string ItemText(int row, int column) const;

    std::vector<FunctionGroup> m_groups;
    std::vector<FunctionRow> m_rows;
    IFunctionsBarHost* m_pHost;

private:
    void ShowRow(int row) override;
    bool CellText(int row, int column, std::string& text) const override;
    void OpenSelected() override;
    const FunctionGroup* SelectedGroup() const;
};

// A bar and its dialog, created together.
class CFunctionsBar : public LytDynamicBar {
public:
    CFunctionsBar(CProgram* owner, IFunctionsBarHost* host) : m_dlg(owner, host) { m_pDialog = &m_dlg; }
    ~CFunctionsBar() override;
    void PostNcDestroy() override;
    CFunctionsDlg m_dlg;
};

// Creates the bar docked on the frame's left, sizes restored under "DOC".
CFunctionsBar* CreateFunctionsBar(CProgram* owner, CFrameWnd* frame, IFunctionsBarHost* host);
CFunctionsBar* FindFunctionsBar(CProgram* owner);
// Unlists it (the bar's final clean-up).
void RemoveFunctionsBar(CFunctionsBar* bar);
// Before the owner's block is cleared or rolled back: the lists ask for no
// row and the rows (which point at the user functions) are dropped.
void EmptyFunctionsBars(CProgram* owner);
// Flag 1: the rows of the selected group are rebuilt; owner null: every bar.
void RefreshFunctionsBars(CProgram* owner, int flags);
// The line (from 0) where a user function's header is, in its own source.
int UserFunctionLine(const CUserFunction* function, KyrEditCtrl* programEditor);
