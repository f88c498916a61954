#pragma once
// The folder browser. The IDE's folder dialog hooks it: OnSelChanged and
// OnValidate see each candidate and may refuse it. Headless, the script's
// first path is the choice (validated as if typed).
#include <string>

#include "platform/types.h"

class CWnd;

class CFolderDialog {
public:
    explicit CFolderDialog(const char* title = nullptr, const char* initial = nullptr, CWnd* = nullptr)
        : m_title(title ? title : "Browse for Folder"), m_folder(initial ? initial : "") {}
    virtual ~CFolderDialog() = default;
    virtual int DoModal();
    std::string GetFolderPath() const { return m_folder; }

    // Hooks: the selection changed; FALSE from OnValidate keeps the browser open
    // (headless: the choice is refused and the dialog is cancelled).
    virtual void OnSelChanged(const std::string&) {}
    virtual BOOL OnValidate(const std::string&) { return TRUE; }

    std::string m_title;

private:
    std::string m_folder;
};
