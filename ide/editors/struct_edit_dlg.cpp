// The structure editor.
#include "ide/editors/struct_edit_dlg.h"

#include <cstring>

#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"

CStructEditDlg::CStructEditDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly,
                               IValueEditHost* host, CWnd* parent)
    : CDialog(ValueEditorTemplate(IDD_STRUCT_EDIT), parent),
      m_pOutName(outName),
      m_pValue(value),
      m_readOnly(readOnly),
      m_pHost(host),
      m_name(name)
{
    m_nIDTemplate = IDD_STRUCT_EDIT;
}

BOOL CStructEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_VE_NAME, m_name.c_str());
    if (!m_pOutName) CControlAlias<CEdit>(this, IDC_VE_NAME).SetReadOnly();
    if (m_readOnly) {
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VE_ADD), FALSE);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VE_DELETE), FALSE);
    }
    CControlAlias<CListCtrl> list(List());
    list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT rc;
    list.GetClientRect(&rc);
    const int w = rc.right - rc.left, first = w / 3;
    list.InsertColumn(0, "Record", LVCFMT_LEFT, first);
    list.InsertColumn(1, "Value", LVCFMT_LEFT, w - first);
    SetCount(0);
    RunValueEditorStartHook(this);
    return TRUE;
}

void CStructEditDlg::SetCount(int select)
{
    CControlAlias<CListCtrl> list(List());
    const int n = (int)Shown().Count();
    list.SetItemCount(n);
    if (select >= 0 && select < n) {
        list.SetItemState(select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.EnsureVisible(select);
    }
    list.Invalidate();
}

int CStructEditDlg::SelectedRow() const
{
    return ListViewSelectedRow(List());
}

void CStructEditDlg::MakeCopy()
{
    if (m_copyMade) return;
    if (CStructValue* s = Callers()) m_copy = *s;
    m_copyMade = true;
}

BOOL CStructEditDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != 1061) return CDialog::OnNotify(wParam, lParam, result);
    const int code = (int)hdr->code;
    if (code == LVN_GETDISPINFO) {
        auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
        const int i = di->item.iItem;
        if (di->item.pszText && di->item.cchTextMax > 0) di->item.pszText[0] = 0;
        if (i >= 0 && i < (int)Shown().Count() && di->item.pszText) {
            const CStructField* f = Shown().FieldAt((size_t)i);
            std::string text;
            if (di->item.iSubItem == 0)
                text = f->m_name ? *f->m_name : std::string();
            else
                FormatValueLine(text, &f->m_value);
            std::strncpy(di->item.pszText, text.c_str(), (size_t)di->item.cchTextMax - 1);
            di->item.pszText[di->item.cchTextMax - 1] = 0;
        }
        *result = 0;
        return TRUE;
    }
    if (code == NM_DBLCLK) {
        OpenRow(SelectedRow());
        *result = 0;
        return TRUE;
    }
    if (code == LVN_BEGINLABELEDIT) {
        *result = m_readOnly ? TRUE : FALSE;   // a read-only editor renames nothing
        return TRUE;
    }
    if (code == LVN_ENDLABELEDIT) {
        auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
        *result = di->item.pszText && RenameRow(di->item.iItem, di->item.pszText) ? TRUE : FALSE;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

bool CStructEditDlg::RenameRow(int row, const std::string& name)
{
    if (m_readOnly || row < 0 || row >= (int)Shown().Count()) return false;
    const CStructField* current = Shown().FieldAt((size_t)row);
    if (current->m_name && *current->m_name == name) return true;
    if (!IsValidNameStart(name)) {
        ShowValueEditorMessage(this, "Please enter valid name");
        return false;
    }
    if (Shown().FindFieldByName(name.c_str())) {
        ShowValueEditorMessage(this, "Record name is already exist");
        return false;
    }
    MakeCopy();
    m_copy.FieldAt((size_t)row)->m_name = InternName(name);
    ::InvalidateRect(List(), nullptr, TRUE);
    return true;
}

void CStructEditDlg::OpenRow(int row)
{
    if (row < 0) return;
    if (!m_readOnly) MakeCopy();
    if (row >= (int)Shown().Count()) return;
    CStructField* f = const_cast<CStructField*>(Shown().FieldAt((size_t)row));
    std::string name = f->m_name ? *f->m_name : std::string();
    const std::string before = name;
    if (m_pHost) {
        EditValueModeless(name, f->m_value, m_pHost);
        return;
    }
    if (EditValueModal(name, f->m_value, !m_readOnly, !m_readOnly, this) == IDOK) {
        if (name != before && !m_readOnly) f->m_name = InternName(name);
        ::InvalidateRect(List(), nullptr, TRUE);
    }
}

void CStructEditDlg::OnAdd()
{
    if (m_readOnly) return;
    char buf[32];
    std::snprintf(buf, sizeof buf, "RECORD%d", m_recordCounter++);
    std::string name = buf;
    CValue value;
    // A modeless editor opens the modal one too: the value lives only here.
    if (EditValueModal(name, value, true, true, this) != IDOK) return;
    if (value.Type() == VT_EMPTY) {
        ShowValueEditorMessage(this, "Record value is invalid");
        return;
    }
    MakeCopy();
    for (const CStructField* f : m_copy.m_fields)
        if (f->m_name && *f->m_name == name) {
            ShowValueEditorMessage(this, "Record name is already exist");
            return;
        }
    m_copy.Append(CStructValue::NewField(InternName(name), &value, 0));
    SetCount((int)m_copy.Count() - 1);
}

void CStructEditDlg::OnDelete()
{
    if (m_readOnly) return;
    const int row = SelectedRow();
    if (row < 0) return;
    MakeCopy();
    if (row >= (int)m_copy.Count()) return;
    delete m_copy.m_fields[(size_t)row];
    m_copy.m_fields.erase(m_copy.m_fields.begin() + row);
    SetCount(row > 0 ? row - 1 : 0);
}

BOOL CStructEditDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (code == BN_CLICKED && id == IDC_VE_ADD) {
        OnAdd();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_VE_DELETE) {
        OnDelete();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CStructEditDlg::OnOK()
{
    if (!ReadEditorName(*this, m_name, m_pOutName)) return;
    if (m_copyMade && m_pValue) {
        if (!Callers()) m_pValue->MakeStruct();
        *Callers() = m_copy;
    }
    if (m_pHost) {
        m_pHost->InsertValue(m_name, *m_pValue);
        DestroyWindow();
        return;
    }
    EndDialog(IDOK);
}

void CStructEditDlg::OnCancel() { EndValueEditor(*this, m_pHost, IDCANCEL); }

void CStructEditDlg::PostNcDestroy()
{
    if (m_pHost) m_pHost->ValueEditorClosed(this);   // deletes this
}
