// CFileDialog over the common-dialog script.
#include "platform/afx/file_dialog.h"

#include <filesystem>

#include "platform/afx/common_dialog_script.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defExt, const char* fileName, DWORD flags, const char* filter,
                         CWnd*)
    : m_fileName(fileName ? fileName : ""), m_defExt(defExt ? defExt : ""), m_filter(filter ? filter : ""), m_flags(flags),
      m_bOpen(openFileDialog)
{
}

int CFileDialog::DoModal()
{
    CommonDialogAnswer a;
    std::string title = !m_title.empty() ? m_title : (m_bOpen ? "Open" : "Save As");
    if (!TakeCommonDialogAnswer(m_bOpen ? "file-open" : "file-save", title, m_fileName, a)) return 2;
    m_paths.clear();
    for (std::string p : a.paths) {
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
