// CFolderDialog: our folder browser, with the framework object's hooks.
#include "platform/afx/folder_dialog.h"

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/folder_browser.h"
#include "platform/afx/stand_in_dialogs.h"

namespace {
// Our browser, handing its selections and OK to the framework object's hooks.
class CHookedBrowser : public CFolderBrowser {
public:
    CHookedBrowser(CFolderDialog* api, const std::string& initial, CWnd* parent)
        : CFolderBrowser("Browse for Folder", api->m_title.c_str(), initial.c_str(), parent), m_api(api)
    {
    }
    void OnSelChanged(const std::string& path) override { m_api->OnSelChanged(path); }
    BOOL OnValidate(const std::string& path) override { return m_api->OnValidate(path); }

private:
    CFolderDialog* m_api;
};
}  // namespace

int CFolderDialog::DoModal()
{
    CommonDialogAnswer a;
    if (AskCommonDialogHook({"folder", m_title, m_folder}, a) && !a.drive) {
        // The answer's first path, validated as if typed.
        if (a.result != 1 || a.paths.empty()) return 2;
        OnSelChanged(a.paths.front());
        if (!OnValidate(a.paths.front())) return 2;
        m_folder = a.paths.front();
        return 1;
    }
    CDrivenStandIn<CHookedBrowser> dlg(this, m_folder, m_parent);
    dlg.m_drive = a.drive;
    const bool accepted = dlg.DoModal() == IDOK;
    if (a.drive) TellCommonDialogHookClosed(accepted ? 1 : 2);
    if (!accepted) return 2;
    m_folder = dlg.GetFolderPath();
    return 1;
}
