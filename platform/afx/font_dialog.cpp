// CFontDialog: the display's font dialog, else ours. Face names round-trip:
// the dialog is shown the family a face draws with, and a choice of that same
// family and size gives back the stored name and height unchanged.
#include "platform/afx/font_dialog.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/stand_in_dialogs.h"
#include "platform/user/native_dialogs.h"
#include "platform/user/input.h"

namespace {

void SetFace(LOGFONT& lf, const std::string& face)
{
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
}

LONG Weight(LONG w) { return w == 0 ? 400 : w; }

}  // namespace

// 96 dpi: tenths of a point = |height| * 720 / 96.
static int PointTenths(LONG height) { return height ? (int)(std::labs((long)height) * 720 / 96) : 0; }

CFontDialog::CFontDialog(const LOGFONT* initial, DWORD, CWnd* parent) : m_parent(parent)
{
    if (initial) m_lf = *initial;
    m_pointSize = PointTenths(m_lf.lfHeight);
}

void CFontDialog::KeepUnchanged(const LOGFONT& before, const std::string& shownFace, LOGFONT& after)
{
    if (!strcasecmp(after.lfFaceName, shownFace.c_str()) || !strcasecmp(after.lfFaceName, before.lfFaceName))
        SetFace(after, before.lfFaceName);
    if (std::labs((long)after.lfHeight) == std::labs((long)before.lfHeight)) after.lfHeight = before.lfHeight;
    if (Weight(after.lfWeight) == Weight(before.lfWeight)) after.lfWeight = before.lfWeight;
    // What no dialog chooses stays as it was.
    after.lfWidth = before.lfWidth;
    after.lfEscapement = before.lfEscapement;
    after.lfOrientation = before.lfOrientation;
    after.lfCharSet = before.lfCharSet;
    after.lfOutPrecision = before.lfOutPrecision;
    after.lfClipPrecision = before.lfClipPrecision;
    after.lfQuality = before.lfQuality;
    after.lfPitchAndFamily = before.lfPitchAndFamily;
}

int CFontDialog::DoModal()
{
    // The family the stored face draws with: an alias such as "Times New
    // Roman" means nothing to the display's dialog.
    const std::string shown = ResolveFontFamily(m_lf.lfFaceName, m_lf.lfPitchAndFamily);
    CommonDialogAnswer a;
    if (AskCommonDialogHook({"font", "Font", m_lf.lfFaceName}, a)) {
        if (!a.drive) {
            if (a.result != 1) return 2;
            if (!a.text.empty()) SetFace(m_lf, a.text);
            if (a.number > 0) {
                m_pointSize = a.number * 10;
                m_lf.lfHeight = -(a.number * 96 + 36) / 72;
            }
            return 1;
        }
    } else {
        LOGFONT lf = m_lf;
        SetFace(lf, shown);
        const int r = NativeFontDialog(m_parent ? m_parent->GetSafeHwnd() : GetActiveWindow(), &lf);
        if (r == kNativeAccepted) {
            KeepUnchanged(m_lf, shown, lf);
            m_lf = lf;
            m_pointSize = PointTenths(m_lf.lfHeight);
        }
        if (r != kNativeNotAvailable) return r == kNativeAccepted ? 1 : 2;
    }
    CDrivenStandIn<CFontStandIn> dlg(&m_lf, m_parent);
    dlg.m_drive = a.drive;
    const bool accepted = dlg.DoModal() == IDOK;
    if (a.drive) TellCommonDialogHookClosed(accepted ? 1 : 2);
    if (!accepted) return 2;
    LOGFONT lf = dlg.m_lf;
    KeepUnchanged(m_lf, shown, lf);
    m_lf = lf;
    m_pointSize = dlg.m_pointSize;
    return 1;
}
