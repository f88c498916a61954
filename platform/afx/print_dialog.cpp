// CPrintDialog over the common-dialog script.
#include "platform/afx/print_dialog.h"

#include "platform/afx/common_dialog_script.h"
#include "platform/gdi/gdi.h"

int CPrintDialog::DoModal()
{
    CommonDialogAnswer a;
    if (!TakeCommonDialogAnswer(m_bSetup ? "print-setup" : "print", m_bSetup ? "Print Setup" : "Print", m_printer, a))
        return 2;
    if (!a.text.empty()) m_printer = a.text;
    if (!a.paths.empty()) m_output = a.paths.front();
    if (a.number == 1) m_letter = TRUE;
    if (a.number == 2) m_letter = FALSE;   // A4 asked for explicitly
    if (a.orientation == DMORIENT_PORTRAIT || a.orientation == DMORIENT_LANDSCAPE) m_orientation = a.orientation;
    return 1;
}

void CPrintDialog::Apply(CPrintInfo* info) const
{
    info->m_strPrinter = m_printer;
    info->m_strOutput = m_output;
    info->m_paperWidth = m_letter ? 2159 : 2100;
    info->m_paperLength = m_letter ? 2794 : 2970;
    info->m_orientation = m_orientation;
}
