// CColorDialog over the common-dialog script.
#include "platform/afx/color_dialog.h"

#include <cstdio>

#include "platform/afx/common_dialog_script.h"
#include "platform/backend/dialogs.h"
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
    if (!TakeCommonDialogAnswer("color", "Color", initial, a)) return 2;
    m_color = a.color;
    return 1;
}
