// CColorDialog over the common-dialog script.
#include "platform/afx/color_dialog.h"

#include <cstdio>

#include "platform/afx/common_dialog_script.h"

int CColorDialog::DoModal()
{
    char initial[16];
    std::snprintf(initial, sizeof initial, "%06x", (unsigned)m_color);
    CommonDialogAnswer a;
    if (!TakeCommonDialogAnswer("color", "Color", initial, a)) return 2;
    m_color = a.color;
    return 1;
}
