#pragma once
// CStructEditDlg (template 173, "Structure"): a structure's fields in a
// list of records; a row opens its value's own editor, Add and Delete change
// the field list, a label edit renames a field. The caller's structure stays
// untouched until Insert.
#include <string>

#include "platform/afx/dialog.h"
#include "values/struct_value.h"
#include "values/value.h"

class IValueEditHost;

class CStructEditDlg : public CDialog {
public:
    // outName null: the name is read-only. host null: modal.
    CStructEditDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly, IValueEditHost* host,
                   CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void PostNcDestroy() override;

    // The caller's structure, read through the value each time (a program at
    // a break may have given the variable a new one); null when it is none.
    CStructValue* Callers() const
    {
        return m_pValue && m_pValue->Type() == VT_STRUCT ? m_pValue->StructPtr() : nullptr;
    }
    const CStructValue& Shown() const { return m_copyMade || !Callers() ? m_copy : *Callers(); }
    void MakeCopy();
    // The row's value editor (a double-click).
    void OpenRow(int row);
    void OnAdd();
    void OnDelete();
    // The label edit's new name: false (and the message) when refused.
    bool RenameRow(int row, const std::string& name);
    int SelectedRow() const;

    int m_recordCounter = 1;
    std::string* m_pOutName;
    CValue* m_pValue;
    CStructValue m_copy;
    bool m_copyMade = false;
    bool m_readOnly;
    IValueEditHost* m_pHost;
    std::string m_name;

private:
    HWND List() const { return ::GetDlgItem(m_hWnd, 1061); }
    void SetCount(int select);
};
