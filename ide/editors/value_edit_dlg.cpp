// The scalar and string editor.
#include "ide/editors/value_edit_dlg.h"

#include <sstream>

#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "platform/afx/afx_controls.h"
#include "values/value_text.h"

CValueEditDlg::CValueEditDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly,
                             IValueEditHost* host, CWnd* parent)
    : CDialog(ValueEditorTemplate(IDD_VALUE_EDIT), parent),
      m_pOutName(outName),
      m_pValue(value),
      m_readOnly(readOnly),
      m_pHost(host),
      m_name(name)
{
    m_nIDTemplate = IDD_VALUE_EDIT;
}

BOOL CValueEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetWindowText(Shown().TypeName());
    SetDlgItemText(IDC_VE_NAME, m_name.c_str());
    if (!m_pOutName) CControlAlias<CEdit>(this, IDC_VE_NAME).SetReadOnly();
    if (m_readOnly) CControlAlias<CEdit>(this, IDC_VE_VALUE).SetReadOnly();
    FillValueBox();
    RunValueEditorStartHook(this);
    return TRUE;
}

void CValueEditDlg::FillValueBox()
{
    FormatValueLine(m_valueText, &Shown());
    SetDlgItemText(IDC_VE_VALUE, m_valueText.c_str());
}

void CValueEditDlg::ReadValueBox()
{
    if (m_readOnly || !m_hWnd) return;
    if (!m_copyMade) {
        m_copy = *m_pValue;
        m_copyMade = true;
    }
    m_name = GetDlgItemText(IDC_VE_NAME);
    m_valueText = GetDlgItemText(IDC_VE_VALUE);
    std::istringstream in(m_valueText);
    ReadValue(in, m_copy);   // a typo leaves what the parser made
}

BOOL CValueEditDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_VE_VALUE && code == EN_KILLFOCUS) {
        ReadValueBox();
        return TRUE;
    }
    if (id == IDC_VE_EXTEND && code == BN_CLICKED) {
        OnExtend();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CValueEditDlg::OnExtend()
{
    ReadValueBox();
    CValue& v = m_copyMade ? m_copy : *m_pValue;
    if (v.Type() != VT_MATRIX && v.Type() != VT_STRUCT) return;
    std::string name = GetDlgItemText(IDC_VE_NAME);
    if (m_pHost) {
        EditValueModeless(name, v, m_pHost);
        return;
    }
    if (EditValueModal(name, v, !m_readOnly, false, this) == IDOK) FillValueBox();
}

void CValueEditDlg::OnOK()
{
    ReadValueBox();
    m_name = GetDlgItemText(IDC_VE_NAME);
    if (m_name.empty()) {
        ShowValueEditorMessage(this, "Please enter valid name");
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_VE_NAME));
        return;
    }
    if (m_pOutName) *m_pOutName = m_name;
    if (m_copyMade) *m_pValue = m_copy;
    if (m_pHost) {
        m_pHost->InsertValue(m_name, *m_pValue);
        DestroyWindow();
        return;
    }
    EndDialog(IDOK);
}

void CValueEditDlg::OnCancel() { EndValueEditor(*this, m_pHost, IDCANCEL); }

void CValueEditDlg::PostNcDestroy()
{
    if (m_pHost) m_pHost->ValueEditorClosed(this);   // deletes this
}
