// CFolderDialog over the common-dialog script.
#include "platform/afx/folder_dialog.h"

#include "platform/afx/common_dialog_script.h"

int CFolderDialog::DoModal()
{
    CommonDialogAnswer a;
    if (!TakeCommonDialogAnswer("folder", m_title, m_folder, a) || a.paths.empty()) return 2;
    OnSelChanged(a.paths.front());
    if (!OnValidate(a.paths.front())) return 2;
    m_folder = a.paths.front();
    return 1;
}
