// CColorDialog: the display's colour dialog, else ours.
#include "platform/afx/color_dialog.h"

#include <cstdio>

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/stand_in_dialogs.h"
#include "platform/user/native_dialogs.h"
#include "platform/user/input.h"

int CColorDialog::DoModal()
{
    char initial[16];
    std::snprintf(initial, sizeof initial, "%06x", (unsigned)m_color);
    CommonDialogAnswer a;
    if (AskCommonDialogHook({"color", "Color", initial}, a)) {
        if (!a.drive) {
            if (a.result != 1) return 2;
            m_color = a.color;
            return 1;
        }
    } else {
        COLORREF color = m_color, custom[16] = {};
        const int r = NativeColorDialog(GetActiveWindow(), &color, custom);
        if (r == kNativeAccepted) m_color = color;
        if (r != kNativeNotAvailable) return r == kNativeAccepted ? 1 : 2;
    }
    CDrivenStandIn<CColorStandIn> dlg(m_color, m_parent);
    dlg.m_drive = a.drive;
    const bool accepted = dlg.DoModal() == IDOK;
    if (a.drive) TellCommonDialogHookClosed(accepted ? 1 : 2);
    if (!accepted) return 2;
    m_color = dlg.GetColor();
    return 1;
}
