#pragma once
// A page of a property sheet: a child dialog made when first shown.
#include <string>

#include "platform/afx/dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT idTemplate, const char* caption = nullptr);
    CPropertyPage(const CDialogTemplate* tmpl, const char* caption = nullptr);

    virtual BOOL OnSetActive() { return TRUE; }
    // Leaving the page: its values are checked (DDV).
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    // FALSE keeps the sheet open on this page.
    virtual BOOL OnApply();
    virtual void OnReset() {}
    void OnOK() override {}
    void OnCancel() override {}
    void SetModified(BOOL changed = TRUE);
    BOOL IsModified() const { return m_bModified; }

    std::string m_strCaption;
    CPropertySheet* m_pSheet = nullptr;

protected:
    friend class CPropertySheet;
    BOOL m_bModified = FALSE;
};
