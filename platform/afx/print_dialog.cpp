// CPrintDialog: print setup and print, always our own dialog.
#include "platform/afx/print_dialog.h"

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/stand_in_dialogs.h"
#include "platform/gdi/gdi.h"

int CPrintDialog::DoModal()
{
    CommonDialogAnswer a;
    if (AskCommonDialogHook({m_bSetup ? "print-setup" : "print", m_bSetup ? "Print Setup" : "Print", m_printer}, a) &&
        !a.drive) {
        if (a.result != 1) return 2;
        if (!a.text.empty()) m_printer = a.text;
        if (!a.paths.empty()) m_output = a.paths.front();
        if (a.number == 1) m_letter = TRUE;
        if (a.number == 2) m_letter = FALSE;   // A4 asked for explicitly
        if (a.orientation == DMORIENT_PORTRAIT || a.orientation == DMORIENT_LANDSCAPE) m_orientation = a.orientation;
        return 1;
    }
    // Ours also on a desktop: no dialog of the display prints through us.
    CDrivenStandIn<CPrintStandIn> dlg(m_parent, m_bSetup != FALSE);
    dlg.m_drive = a.drive;
    dlg.m_printer = m_printer;
    dlg.m_output = m_output;
    dlg.m_letter = m_letter;
    dlg.m_landscape = m_orientation == DMORIENT_LANDSCAPE;
    const bool accepted = dlg.DoModal() == IDOK;
    if (a.drive) TellCommonDialogHookClosed(accepted ? 1 : 2);
    if (!accepted) return 2;
    m_printer = dlg.m_printer;
    m_output = dlg.m_output;
    m_letter = dlg.m_letter;
    m_orientation = dlg.m_landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
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
