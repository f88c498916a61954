#pragma once
// "Add New Function" (template 184): a user-function skeleton from a name,
// the input and output lists and a description, inserted by Insert/New
// Function... at the caret.
#include <string>
#include <vector>

#include "platform/afx/dialog.h"
#include "platform/afx/dialog_template.h"
#include "platform/afx/wnd.h"

#define IDD_NEW_FUNCTION 184
#define IDC_NEWFN_NAME 1021
#define IDC_NEWFN_INPUTS 1022
#define IDC_NEWFN_OUTPUTS 1023
#define IDC_NEWFN_DESCRIPTION 1024

// The names of a "," or ";" separated list; false when a name does not
// begin with a letter, "_" or (when allowed) "[". An empty text is an empty list.
bool SplitNameList(const std::string& text, bool allowBracket, std::vector<std::string>& names);

enum NewFunctionFault { NEWFN_OK = 0, NEWFN_BAD_NAME, NEWFN_BAD_INPUTS, NEWFN_BAD_OUTPUTS };

// The skeleton's text, each line ending in a line feed; `assignments` adds
// one "name=" line per output (setting "200").
NewFunctionFault BuildNewFunctionText(const std::string& name, const std::string& inputs,
                                      const std::string& outputs, const std::string& description,
                                      bool assignments, std::string& text);

class CNewFunctionDlg : public CDialog {
public:
    explicit CNewFunctionDlg(CWnd* parent = nullptr);
    static const CDialogTemplate* Template();

    void OnOK() override;

    CWnd* m_pParent;
    std::string m_strResult;
    std::string m_strName;
    std::string m_strInputs;
    std::string m_strOutputs;
    std::string m_strDescription;
};

// Insert/New Function... (33521): the skeleton, empty when cancelled.
std::string RunNewFunctionDialog(CWnd* owner);
