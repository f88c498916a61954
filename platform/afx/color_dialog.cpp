// CColorDialog over the common-dialog script.
#include "platform/afx/color_dialog.h"

#include <cstdio>

#include "platform/afx/common_dialog_script.h"
#include "platform/backend/dialogs.h"
#include "platform/controls/stand_in_dialogs.h"
#include "platform/user/input.h"

int CColorDialog::DoModal()
{
    char initial[16];
    std::snprintf(initial, sizeof initial, "%06x", (unsigned)m_color);
    if (UseNativeCommonDialog()) {
        COLORREF color = m_color, custom[16] = {};
        int r = NativeColorDialog(GetActiveWindow(), &color, custom);
        if (r == kNativeAccepted) m_color = color;
        if (r != kNativeNotAvailable) return r == kNativeAccepted ? 1 : 2;
    }
    CommonDialogAnswer a;
    const bool ok = TakeCommonDialogAnswer("color", "Color", initial, a);
    if (a.drive) {
        CDrivenStandIn<CColorStandIn> dlg(m_color);
        dlg.m_drive = a.drive;
        const bool accepted = dlg.DoModal() == IDOK;
        SetLastCommonDialogResult(accepted ? 1 : 2);
        if (!accepted) return 2;
        m_color = dlg.GetColor();
        return 1;
    }
    if (!ok) return 2;
    m_color = a.color;
    return 1;
}
