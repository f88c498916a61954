#pragma once
// The folder chooser of the settings sheet's Modules page: the framework's
// folder browser with an edit box (14148) above the tree in which a path may
// be typed, a check of that path and an offer to create what is missing.
//
// Path rule (Linux): an absolute path; "/" alone is valid; every component
// passes IsValidFolderName, except that a leading "." is allowed for names
// other than "." and ".."; a trailing "/" and texts of PATH_MAX characters or
// more are invalid.
#include <string>

#include "platform/afx/folder_browser.h"

#define IDC_FOLDER_EDIT 14148

// Not empty, no leading or trailing tab, blank or ".", none of " * / : < > ? \ |.
bool IsValidFolderName(const std::string& name);

// 0 valid (and, when creating, made level by level and existing), 1 invalid,
// 2 a level could not be created.
int CheckFolderPath(const std::string& path, bool create);

// 0 when the folder is usable. Asks before creating; reports an invalid path
// or a folder that cannot be made in a message box.
int CheckOrCreateFolder(const std::string& path);

// The Modules page's Browse: where the browser opens for an edit text (a
// stored folder setting), and the setting made from the chosen folder
// (relative to the program folder when inside it, with a leading "\").
std::string BrowseStartFolder(const std::string& text);
std::string BrowseSettingText(const std::string& chosen, const std::string& programFolder);

// The framework has a CFolderDialog of its own (the plain scripted chooser).
namespace ide {

class CFolderDialog : public CFolderBrowser {
public:
    CFolderDialog(const char* caption, const char* title, const char* initial, CWnd* owner);

    // 1 when the user confirmed a usable folder with OK, else -1.
    INT_PTR DoModal() override;
    std::string GetPath() const { return m_chosen; }

    void OnStart() override;
    void OnSelChanged(const std::string& path) override;
    void OnOK() override;
    void OnEditChange();

protected:
    DECLARE_MESSAGE_MAP()
    std::string m_chosen;
    bool m_ok = false;
};

}  // namespace ide
