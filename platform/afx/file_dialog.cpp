// CFileDialog: the display's file dialog, else ours.
#include "platform/afx/file_dialog.h"

#include <filesystem>

#include "platform/afx/common_dialog_hook.h"
#include "platform/afx/stand_in_dialogs.h"
#include "platform/afx/wnd.h"
#include "platform/user/native_dialogs.h"
#include "platform/user/input.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags, const char* filter,
                         CWnd* parent)
    : m_fileName(fileName ? fileName : ""), m_defExt(defExt ? defExt : ""), m_filter(filter ? filter : ""), m_flags(flags),
      m_bOpen(openFileDialog), m_parent(parent)
{
}

namespace {

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||" -> {"Text Files (*.txt)", "All Files (*.*)"}
std::vector<std::string> NativeFilters(const std::string& filter)
{
    std::vector<std::string> parts, out;
    size_t start = 0;
    for (size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) break;
        std::string name = parts[i];
        if (name.find('(') == std::string::npos) {
            std::string pattern = parts[i + 1];
            for (char& c : pattern)
                if (c == ';') c = ' ';
            name += " (" + pattern + ")";
        }
        out.push_back(name);
    }
    return out;
}

}  // namespace

int CFileDialog::DoModal()
{
    std::string title = !m_title.empty() ? m_title : (m_bOpen ? "Open" : "Save As");
    CommonDialogAnswer a;
    if (AskCommonDialogHook({m_bOpen ? "file-open" : "file-save", title, m_fileName}, a)) {
        if (!a.drive) return a.result == 1 ? TakePaths(a.paths) : 2;
    } else {
        std::string start = m_fileName;
        if (!m_initialDir.empty() && !start.empty() && start.front() != '/') start = m_initialDir + "/" + start;
        std::vector<std::string> chosen;
        const int r = NativeFileDialog(m_parent ? m_parent->GetSafeHwnd() : GetActiveWindow(), !m_bOpen, title,
                                       NativeFilters(m_filter), m_defExt, start, false, &chosen);
        if (r == kNativeAccepted) return TakePaths(chosen);
        if (r != kNativeNotAvailable) return 2;
    }
    CDrivenStandIn<CFileStandIn> dlg(m_bOpen, m_fileName.c_str(), m_filter.c_str(), m_initialDir.c_str(), m_parent);
    dlg.m_drive = a.drive;
    const bool accepted = dlg.DoModal() == IDOK && !dlg.GetPathName().empty();
    if (a.drive) TellCommonDialogHookClosed(accepted ? 1 : 2);
    if (!accepted) return 2;
    return TakePaths({dlg.GetPathName()});
}

int CFileDialog::TakePaths(const std::vector<std::string>& paths)
{
    m_paths.clear();
    for (std::string p : paths) {
        if (!m_defExt.empty() && std::filesystem::path(p).extension().empty()) p += "." + m_defExt;
        m_paths.push_back(p);
    }
    if (m_paths.empty()) return 2;
    return 1;
}

std::string CFileDialog::GetFileName() const { return std::filesystem::path(GetPathName()).filename().string(); }

std::string CFileDialog::GetFileExt() const
{
    std::string e = std::filesystem::path(GetPathName()).extension().string();
    return e.empty() ? e : e.substr(1);
}
