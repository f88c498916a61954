// CPropertyPage.
#include "platform/afx/property_page.h"

#include "platform/afx/afx_ids.h"
#include "platform/afx/property_sheet.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT idTemplate, const char* caption) : CDialog(idTemplate, nullptr)
{
    if (caption) m_strCaption = caption;
}

CPropertyPage::CPropertyPage(const CDialogTemplate* tmpl, const char* caption) : CDialog(tmpl, nullptr)
{
    if (caption) m_strCaption = caption;
}

BOOL CPropertyPage::OnApply()
{
    m_bModified = FALSE;
    return TRUE;
}

void CPropertyPage::SetModified(BOOL changed)
{
    m_bModified = changed;
    if (m_pSheet && m_pSheet->m_hWnd)
        if (HWND apply = ::GetDlgItem(m_pSheet->m_hWnd, (int)ID_APPLY_NOW)) {
            bool any = false;
            for (int i = 0; i < m_pSheet->GetPageCount(); ++i) any |= m_pSheet->GetPage(i)->IsModified() != FALSE;
            ::EnableWindow(apply, any);
        }
}
