#pragma once
// The Insert menu's browsing dialogs: "Statement" (template 181) and
// "Operation" (183). Each returns the text that Insert puts at the caret.
// The choices made with Insert are remembered for the next opening (GUI
// thread only); a remembered statement index is used once.
#include <string>

#include "ui_controls/layout/dynamic_dialog.h"

struct CmdrStatementEntry;
struct OperatorRecord;

#define IDD_STATEMENT 181
#define IDD_FUNCTION 182
#define IDD_OPERATION 183
#define IDC_INSERT_GROUPS 1010
#define IDC_INSERT_LIST 1061
#define IDC_INSERT_DESCRIPTION 1021
#define IDC_INSERT_EXAMPLE 1022
#define IDC_INSERT_EXAMPLE_LABEL 1041

// The shared start of the browsing dialogs: the layout and the "Courier" 9 pt font.
class CInsertBrowseDlg : public LytDynamicDialog {
public:
    CInsertBrowseDlg(const CDialogTemplate* tmpl, UINT templateId, CWnd* parent);
    ~CInsertBrowseDlg() override;
    BOOL OnInitDialog() override;
    const LayoutTableEntry* GetLayoutTable() const override;

    std::string m_strText;   // what Insert puts at the caret

protected:
    // The font goes on the description, the example and (when given) the list.
    void ApplyFont(bool onList);
    HFONT m_hFont = nullptr;
};

class CStatementDlg : public CInsertBrowseDlg {
public:
    explicit CStatementDlg(CWnd* parent = nullptr);
    static const CDialogTemplate* Template();
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnGroupChanged();
    void OnStatementChanged();

protected:
    DECLARE_MESSAGE_MAP()
};

// The 25 binary operators of the interpreter's table, with the texts this
// dialog shows.
struct OperationEntry {
    const OperatorRecord* record;
    const char* symbol;
    const char* description;
    const char* example;
};
int OperationEntries(const OperationEntry** entries);

class COperationDlg : public CInsertBrowseDlg {
public:
    explicit COperationDlg(CWnd* parent = nullptr);
    static const CDialogTemplate* Template();
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnOperationChanged();

protected:
    DECLARE_MESSAGE_MAP()
};

class KyrEditCtrl;

// What each Insert command does with a dialog's text: puts it at the
// program editor's caret as one undo step. False for an empty text.
bool InsertAtCaret(KyrEditCtrl& editor, const std::string& text);

// Insert/Statement (33501) and Insert/Operation (33503): the text, empty when cancelled.
std::string RunStatementDialog(CWnd* owner);
std::string RunOperationDialog(CWnd* owner);

// The remembered choices: {group, statement}, {operator} (tests).
struct InsertDialogMemory {
    int statementGroup = 0;
    int statement = -1;
    int functionGroup = 0;
    int functionRow = -1;
    int operation = 0;
};
InsertDialogMemory& InsertMemory();
