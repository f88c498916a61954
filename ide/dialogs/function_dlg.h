#pragma once
// "Function" (template 182): the functions of a group (the functions bar's
// grouping, "All Standard" first) with their descriptions and prototypes;
// Insert puts the chosen function's name at the caret.
#include <string>
#include <vector>

#include "ide/help/function_groups.h"
#include "ide/dialogs/insert_dialogs.h"

class CStatementBlock;

class CFunctionDlg : public CInsertBrowseDlg {
public:
    // mainBlock: the program whose user functions make the "Local" group (may be null).
    explicit CFunctionDlg(const CStatementBlock* mainBlock, CWnd* parent = nullptr);
    static const CDialogTemplate* Template();
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnGroupChanged();
    void OnGetDispInfo(NMHDR* hdr, LRESULT* result);
    void OnItemChanged(NMHDR* hdr, LRESULT* result);

    const std::vector<FunctionRow>& Rows() const { return m_rows; }

protected:
    DECLARE_MESSAGE_MAP()
    void ShowRow(int row);

    const CStatementBlock* m_mainBlock;
    std::vector<FunctionGroup> m_groups;
    std::vector<FunctionRow> m_rows;
};

// Insert/Function (33502): the chosen name, empty when cancelled.
std::string RunFunctionDialog(CWnd* owner, const CStatementBlock* mainBlock);
