// CFontDialog over the common-dialog script.
#include "platform/afx/font_dialog.h"

#include <cstring>

#include "platform/afx/common_dialog_script.h"
#include "platform/backend/dialogs.h"
#include "platform/controls/stand_in_dialogs.h"
#include "platform/user/input.h"

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD, CWnd*)
{
    if (initial) m_lf = *initial;
    // 96 dpi: points = -height * 72 / 96.
    m_pointSize = m_lf.lfHeight ? (int)(-m_lf.lfHeight * 720 / 96) : 0;
}

int CFontDialog::DoModal()
{
    if (UseNativeCommonDialog()) {
        LOGFONT lf = m_lf;
        int r = NativeFontDialog(GetActiveWindow(), &lf);
        if (r == kNativeAccepted) {
            m_lf = lf;
            m_pointSize = m_lf.lfHeight ? (int)(-m_lf.lfHeight * 720 / 96) : m_pointSize;
        }
        if (r != kNativeNotAvailable) return r == kNativeAccepted ? 1 : 2;
    }
    CommonDialogAnswer a;
    const bool ok = TakeCommonDialogAnswer("font", "Font", m_lf.lfFaceName, a);
    if (a.drive) {
        CDrivenStandIn<CFontStandIn> dlg(&m_lf);
        dlg.m_drive = a.drive;
        const bool accepted = dlg.DoModal() == IDOK;
        SetLastCommonDialogResult(accepted ? 1 : 2);
        if (!accepted) return 2;
        m_lf = dlg.m_lf;
        m_pointSize = dlg.m_pointSize;
        return 1;
    }
    if (!ok) return 2;
    if (!a.text.empty()) {
        std::memset(m_lf.lfFaceName, 0, sizeof m_lf.lfFaceName);
        std::strncpy(m_lf.lfFaceName, a.text.c_str(), sizeof m_lf.lfFaceName - 1);
    }
    if (a.number > 0) {
        m_pointSize = a.number * 10;
        m_lf.lfHeight = -(a.number * 96 + 36) / 72;
    }
    return 1;
}
