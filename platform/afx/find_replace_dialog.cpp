// CFindReplaceDialog: our modeless find and replace box.
#include "platform/afx/find_replace_dialog.h"

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/stand_in_dialogs.h"
#include "platform/afx/app_access.h"

const char* const FINDMSGSTRING = "commdlg_FindReplace";

CFindReplaceDialog::~CFindReplaceDialog()
{
    // The box may still show (its owner went first): it closes, and reports
    // nothing more to this object.
    if (m_window) {
        m_window->DetachApi();
        if (::IsWindow(m_window->m_hWnd)) ::PostMessage(m_window->m_hWnd, WM_CLOSE, 0, 0);
        m_window = nullptr;
    }
}

BOOL CFindReplaceDialog::Create(BOOL findOnly, const char* findWhat, const char* replaceWith, DWORD flags, CWnd* parent)
{
    if (m_window) return FALSE;
    m_findOnly = findOnly;
    m_find = findWhat ? findWhat : "";
    m_replace = replaceWith ? replaceWith : "";
    m_flags = flags;
    CWnd* owner = parent ? parent : AfxGetMainWnd();
    m_owner = owner ? owner->m_hWnd : nullptr;
    CommonDialogAnswer a;
    if (AskCommonDialogHook({findOnly ? "find" : "replace", findOnly ? "Find" : "Replace", m_find}, a) && !a.drive) {
        // One action as if pressed in the box; the box itself never shows.
        if (a.result != 1) return TRUE;
        const size_t nl = a.text.find('\n');
        Notify((DWORD)a.number, a.text.substr(0, nl), nl == std::string::npos ? std::string() : a.text.substr(nl + 1));
        return TRUE;
    }
    // The box reports each press through Notify and deletes itself when it closes.
    auto* box = new CDrivenStandIn<CFindReplaceStandIn>(this, findOnly, m_find.c_str(), m_replace.c_str(), flags, owner);
    box->m_drive = a.drive;
    m_window = box;
    if (!box->Show()) {
        // A window that came up and went has deleted its object (and called
        // WindowGone); one that never came up is deleted here.
        if (m_window) delete m_window;
        m_window = nullptr;
        return FALSE;
    }
    return TRUE;
}

HWND CFindReplaceDialog::GetSafeHwnd() const { return m_window ? m_window->m_hWnd : nullptr; }

void CFindReplaceDialog::Notify(DWORD flags, const std::string& findWhat, const std::string& replaceWith)
{
    m_flags = flags;
    m_find = findWhat;
    m_replace = replaceWith;
    if (m_owner) SendMessage(m_owner, RegisterWindowMessage(FINDMSGSTRING), 0, (LPARAM)this);
}
