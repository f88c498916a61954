#pragma once
// The folder browser. The IDE's folder dialog hooks it: OnSelChanged and
// OnValidate see each candidate and may refuse it.
#include <string>

#include "platform/types.h"

class CWnd;

class CFolderDialog {
public:
    explicit CFolderDialog(const char* title = nullptr, const char* initial = nullptr, CWnd* parent = nullptr)
        : m_title(title ? title : "Browse for Folder"), m_folder(initial ? initial : ""), m_parent(parent) {}
    virtual ~CFolderDialog() = default;
    virtual int DoModal();
    std::string GetFolderPath() const { return m_folder; }

    // Hooks: the selection changed; FALSE from OnValidate keeps the browser open.
    virtual void OnSelChanged(const std::string&) {}
    virtual BOOL OnValidate(const std::string&) { return TRUE; }

    std::string m_title;

private:
    std::string m_folder;
    CWnd* m_parent;
};
