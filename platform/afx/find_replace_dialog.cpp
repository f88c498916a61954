// CFindReplaceDialog over the common-dialog script.
#include "platform/afx/find_replace_dialog.h"

#include "platform/afx/common_dialog_script.h"
#include "platform/afx/win_app.h"
#include "platform/controls/stand_in_dialogs.h"

const char* const FINDMSGSTRING = "commdlg_FindReplace";

BOOL CFindReplaceDialog::Create(BOOL findOnly, const char* findWhat, const char* replaceWith, DWORD flags, CWnd* parent)
{
    m_findOnly = findOnly;
    m_find = findWhat ? findWhat : "";
    m_replace = replaceWith ? replaceWith : "";
    m_flags = flags;
    CWnd* owner = parent ? parent : AfxGetMainWnd();
    m_owner = owner ? owner->m_hWnd : nullptr;
    CommonDialogAnswer a;
    const bool ok = TakeCommonDialogAnswer(findOnly ? "find" : "replace", findOnly ? "Find" : "Replace", m_find, a);
    if (a.drive) {
        // Our modeless dialog reports each press through Notify and deletes itself.
        auto* dlg = new CDrivenStandIn<CFindReplaceStandIn>(this, findOnly, m_find.c_str(), m_replace.c_str(), flags, owner);
        dlg->m_drive = a.drive;
        return dlg->Show();
    }
    if (!ok) return TRUE;
    size_t nl = a.text.find('\n');
    Notify((DWORD)a.number, a.text.substr(0, nl), nl == std::string::npos ? std::string() : a.text.substr(nl + 1));
    return TRUE;
}

void CFindReplaceDialog::Notify(DWORD flags, const std::string& findWhat, const std::string& replaceWith)
{
    m_flags = flags;
    m_find = findWhat;
    m_replace = replaceWith;
    if (m_owner) SendMessage(m_owner, RegisterWindowMessage(FINDMSGSTRING), 0, (LPARAM)this);
}
