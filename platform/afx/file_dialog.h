#pragma once
// CFileDialog: the open and save-as dialog (the display's own where it has
// one, else ours).
#include <string>
#include <vector>

#include "platform/afx/object.h"
#include "platform/types.h"

class CWnd;

#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_ALLOWMULTISELECT 0x00000200u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u

class CFileDialog {
public:
    // filter: "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"
    CFileDialog(BOOL openFileDialog, const char* defExt = nullptr, const char* fileName = nullptr, DWORD flags = 0,
                const char* filter = nullptr, CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;
    virtual int DoModal();

    std::string GetPathName() const { return m_paths.empty() ? std::string() : m_paths.front(); }
    std::string GetFileName() const;
    std::string GetFileExt() const;
    const std::vector<std::string>& GetPathNames() const { return m_paths; }

    std::string m_title;
    std::string m_fileName;
    std::string m_defExt;
    std::string m_filter;
    std::string m_initialDir;
    DWORD m_flags;

private:
    int TakePaths(const std::vector<std::string>& paths);

    BOOL m_bOpen;
    CWnd* m_parent;
    std::vector<std::string> m_paths;
};
