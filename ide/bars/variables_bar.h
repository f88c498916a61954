#pragma once
// The variables window: a docking bar (id 153) hosting CVariablesDlg
// (template 150) that lists, scope by scope, the variables and library
// constants a program sees, with their value texts. One bar per program
// document, docked on the right of its child frame.
//
// Input -> result:
//   translation (flag 1)     scopes "Local", "Function - <name>", libraries with constants, "Global"
//   run start/end (flag 8)   scope box disabled while the program runs outside a break
//   refresh (flag 2)         value texts remade where the values may be read
//   frame picked in the watcher   the scope of the frame's block, values of that frame
//   "..." / double-click     value editor, only at a break or with no run; Insert at a
//                            break shows the new value here and in the watcher at once
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ide/bars/list_bar.h"

class CProgram;
class CStatementBlock;
class CValue;
class CVarTable;
struct CCallFrame;
struct FuncConstant;

enum : UINT {
    IDD_VARIABLES = 150,
    IDC_VARIABLES_BAR = 153,
    IDC_VR_SCOPE = 1010,
    IDC_VR_LIST_LABEL = 1041,
    IDC_VR_NAME_LABEL = 1042,
    IDC_VR_VALUE_LABEL = 1043,
    IDC_VR_LIST = 1061,
    IDC_VR_NAME = 1021,
    IDC_VR_VALUE = 1022,
    IDC_VR_OPEN = 1091,
};

struct VariableScope {
    std::string name;
    // Null: every library constant; a registered FuncLibrary; else a CVarTable.
    std::vector<const void*> sources;
    CCallFrame* frame = nullptr;
    CProgram* program = nullptr;
};

// Rows keep their own copies of the name and text: the list paints from
// them, never from a slot another program may free meanwhile.
struct VariableRow {
    enum : unsigned { CONSTANT = 0x1, VARIABLE = 0x2, CACHED = 0x100 };
    unsigned flags = 0;
    const void* object = nullptr;   // FuncConstant or CVarSlot
    const CVarTable* table = nullptr;  // of a variable row
    std::string name;
    std::string text;
};

class CVariablesDlg : public CListBarDlg {
public:
    explicit CVariablesDlg(CProgram* owner);

    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    void RebuildScopes();                    // flag 1
    void RereadRows();                       // flag 2
    void SelectFrameScope(CStatementBlock* block, CCallFrame* frame);  // flag 4
    void UpdateRunState();                   // flag 8
    void UpdateFont();                       // flag 64
    // Before the program's tables change under the rows.
    void EmptyRows();
    void ApplyScope();
    void OpenValue(int row);
    void SelectRow(int row);
    std::vector<std::string> ScopeNames() const;
    bool SelectScope(const std::string& name);

    std::vector<std::unique_ptr<VariableScope>> m_scopes;
    std::unordered_map<std::string, size_t> m_scopeByName;  // index into m_scopes
    std::vector<VariableRow> m_rows;
    VariableScope* m_current = nullptr;
    int m_shown = -1;

private:
    void BuildRows();
    void RemakeTexts();
    void ShowRow(int row) override;
    bool CellText(int row, int column, std::string& text) const override;
    void OpenSelected() override;
    void AddSource(const std::string& name, const void* source);
    VariableScope* SelectedScope() const;
    VariableScope* ScopeAt(int item) const;
    // Whether the values of a table may be read now.
    bool CanRead(const CVarTable* table) const;
    const CVarTable* FrameTable(VariableScope* scope);
    // The value a row's editor works on: the one the row shows.
    CValue* EditTarget(const VariableRow& r, bool editable);
};

class CVariablesBar : public LytDynamicBar {
public:
    explicit CVariablesBar(CProgram* owner) : m_dlg(owner) { m_pDialog = &m_dlg; }
    ~CVariablesBar() override;
    void PostNcDestroy() override;
    CVariablesDlg m_dlg;
};

CVariablesBar* CreateVariablesBar(CProgram* owner, CFrameWnd* frame);
CVariablesBar* FindVariablesBar(CProgram* owner);
void RemoveVariablesBar(CVariablesBar* bar);
// Flags 1 scopes, 2 rows, 4 the frame's scope, 8 run state, 64 font; owner null: every bar.
void RefreshVariablesBars(CProgram* owner, int flags);
void UpdateVariablesBars(CProgram* owner, CStatementBlock* block, CCallFrame* frame);
void EmptyVariablesBars(CProgram* owner);
