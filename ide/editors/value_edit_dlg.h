#pragma once
// CValueEditDlg (template 172): the text-box editor for every value that has
// no editor of its own. The caller's value stays untouched until Insert;
// the working copy is made at the first change.
#include <string>

#include "platform/afx/dialog.h"
#include "values/value.h"

class IValueEditHost;

class CValueEditDlg : public CDialog {
public:
    // outName null: the name is shown read-only. host null: modal.
    CValueEditDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly, IValueEditHost* host,
                  CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;      // Insert
    void OnCancel() override;  // Close
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    const CValue& Shown() const { return m_copyMade ? m_copy : *m_pValue; }
    bool CopyMade() const { return m_copyMade; }
    CValue* Value() const { return m_pValue; }

    std::string* m_pOutName;
    CValue* m_pValue;
    CValue m_copy;
    bool m_copyMade = false;
    bool m_readOnly;
    IValueEditHost* m_pHost;
    std::string m_name;
    std::string m_valueText;

private:
    void ReadValueBox();
    void OnExtend();
    void FillValueBox();
};
