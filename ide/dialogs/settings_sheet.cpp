// The settings sheet: its pages in order and the page it reopens on.
#include "ide/dialogs/settings_sheet.h"

#include "platform/controls/controls.h"

namespace {
// GUI thread only, like the sheet.
int g_lastPage = 0;
}  // namespace

BOOL CSetsPage::OnSetActive()
{
    m_ready = true;
    return CPropertyPage::OnSetActive();
}

BOOL CSetsPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int code = HIWORD(wParam);
    if (m_ready && lParam && (code == EN_CHANGE || code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITCHANGE))
        SetModified(TRUE);
    return CPropertyPage::OnCommand(wParam, lParam);
}

BEGIN_MESSAGE_MAP(CSetsSheet, CPropertySheet)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetsSheet::CSetsSheet(const char* caption, CWnd* parent, UINT firstPage) : CPropertySheet(caption, parent, firstPage)
{
    AddPage(&m_general);
    AddPage(&m_editor);
    AddPage(&m_modules);
    AddPage(&m_program);
    m_nSelectPage = (UINT)g_lastPage;
}

CSetsSheet::~CSetsSheet() = default;

int CSetsSheet::LastPage() { return g_lastPage; }

void CSetsSheet::OnDestroy()
{
    g_lastPage = GetActiveIndex() < 0 ? 0 : GetActiveIndex();
    Default();
}

bool RunSettingsSheet(CWnd* owner)
{
    CSetsSheet sheet("Settings", owner);
    return sheet.DoModal() == IDOK;
}
