// CPrintDialog over the common-dialog script.
#include "platform/afx/print_dialog.h"

#include "platform/afx/common_dialog_script.h"
#include "platform/controls/stand_in_dialogs.h"
#include "platform/gdi/gdi.h"

int CPrintDialog::DoModal()
{
    const char* kind = m_bSetup ? "print-setup" : "print";
    const char* title = m_bSetup ? "Print Setup" : "Print";
    // On a display, without a scripted answer, the print dialog of our own
    // (the desktop has none that prints through us); a driven answer runs it too.
    const bool own = !m_bSetup && UseNativeCommonDialog();
    CommonDialogAnswer a;
    const bool ok = own ? false : TakeCommonDialogAnswer(kind, title, m_printer, a);
    if (own || a.drive) {
        CDrivenStandIn<CPrintStandIn> dlg;
        dlg.m_drive = a.drive;
        dlg.m_printer = m_printer;
        dlg.m_output = m_output;
        dlg.m_letter = m_letter;
        dlg.m_landscape = m_orientation == DMORIENT_LANDSCAPE;
        const bool accepted = dlg.DoModal() == IDOK;
        if (!own) SetLastCommonDialogResult(accepted ? 1 : 2);
        if (!accepted) return 2;
        m_printer = dlg.m_printer;
        m_output = dlg.m_output;
        m_letter = dlg.m_letter;
        m_orientation = dlg.m_landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        return 1;
    }
    if (!ok) return 2;
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
