// The folder chooser and its path rule.
#include "ide/dialogs/folder_dialog.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>

#include "interpreter/statement_module.h"
#include "platform/afx/win_app.h"
#include "platform/controls/controls.h"

namespace {

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Hidden folders are ordinary here: a leading "." is judged as a letter.
bool ComponentValid(const std::string& name)
{
    if (name.size() > 1 && name[0] == '.' && name != "..") return IsValidFolderName("x" + name.substr(1));
    return IsValidFolderName(name);
}

std::string WithPath(const char* format, const std::string& path)
{
    std::string text = format;
    const size_t at = text.find("%s");
    return text.replace(at, 2, path);
}

}  // namespace

bool IsValidFolderName(const std::string& name)
{
    if (name.empty()) return false;
    auto edge = [](char c) { return c == '\t' || c == ' ' || c == '.'; };
    if (edge(name.front()) || edge(name.back())) return false;
    return name.find_first_of("\"*/:<>?\\|") == std::string::npos;
}

int CheckFolderPath(const std::string& path, bool create)
{
    if (path.empty() || path.size() >= PATH_MAX || path[0] != '/') return 1;
    if (path == "/") return create && !IsFolder("/") ? 2 : 0;
    if (path.back() == '/') return 1;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (!ComponentValid(path.substr(start, end - start))) return 1;
        start = end + 1;
    }
    if (!create) return 0;
    // One folder per level, each checked as it is made.
    for (start = 1; start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string level = path.substr(0, end);
        if (!IsFolder(level) && ::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return 2;
        if (!IsFolder(level)) return 2;
        start = end + 1;
    }
    return 0;
}

int CheckOrCreateFolder(const std::string& path)
{
    static const char kInvalid[] = "The folder:\n\n%s\n\nis invalid. Please reenter.";
    if (CheckFolderPath(path, false) != 0) {
        AfxMessageBox(WithPath(kInvalid, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    if (IsFolder(path)) return 0;
    if (AfxMessageBox(WithPath("The folder:\n\n%s\n\ndoes not exist. Do you want the folder to be created?", path)
                          .c_str(),
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;
    const int made = CheckFolderPath(path, true);
    if (made == 1) AfxMessageBox(WithPath(kInvalid, path).c_str(), MB_OK | MB_ICONEXCLAMATION);
    if (made == 2)
        AfxMessageBox(WithPath("The folder:\n\n%s\n\ncan not be created. Please double check.", path).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    return made;
}

std::string BrowseStartFolder(const std::string& text)
{
    std::string t = text;
    while (!t.empty() && (t.back() == '\\' || t.back() == '/')) t.pop_back();
    // An empty setting here is the program folder itself, not its "bin".
    if (t.empty()) t = "\\";
    if (t[0] == '\\' && t.size() > 1 && t[1] == '\\') return t;   // not program-relative
    std::string abs = ResolveModulesFolder(t.c_str());
    while (abs.size() > 1 && abs.back() == '/') abs.pop_back();
    return abs;
}

std::string BrowseSettingText(const std::string& chosen, const std::string& programFolder)
{
    // Inside the program folder only on a whole-component boundary, case-sensitively.
    if (!programFolder.empty() && chosen.compare(0, programFolder.size(), programFolder) == 0) {
        if (chosen.size() == programFolder.size()) return "\\";
        if (chosen[programFolder.size()] == '/') return "\\" + chosen.substr(programFolder.size() + 1);
    }
    return chosen.empty() ? "\\" : chosen;
}

namespace ide {

BEGIN_MESSAGE_MAP(CFolderDialog, CFolderBrowser)
    ON_CONTROL(EN_CHANGE, IDC_FOLDER_EDIT, OnEditChange)
END_MESSAGE_MAP()

CFolderDialog::CFolderDialog(const char* caption, const char* title, const char* initial, CWnd* owner)
    : CFolderBrowser(caption, title, initial, owner)
{
}

INT_PTR CFolderDialog::DoModal()
{
    m_ok = false;
    CFolderBrowser::DoModal();
    return m_ok ? 1 : -1;
}

void CFolderDialog::OnStart()
{
    HWND status = ::GetDlgItem(m_hWnd, IDC_FOLDER_STATUS);
    if (status) ::ShowWindow(status, SW_HIDE);
    HWND tree = ::GetDlgItem(m_hWnd, IDC_FOLDER_TREE);
    RECT tr{};
    ::GetWindowRect(tree, &tr);
    POINT tl{tr.left, tr.top};
    ::ScreenToClient(m_hWnd, &tl);
    const int width = tr.right - tr.left;
    HWND edit = ::CreateWindowEx(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                 tl.x, tl.y - 4 - 23, width, 23, m_hWnd, (HMENU)(INT_PTR)IDC_FOLDER_EDIT, nullptr,
                                 nullptr);
    if (edit) ::SendMessage(edit, WM_SETFONT, ::SendMessage(m_hWnd, WM_GETFONT, 0, 0), 0);
    // The selection made before the edit existed.
    if (HTREEITEM h = Tree().GetSelectedItem()) OnSelChanged(PathOf(h));
}

void CFolderDialog::OnSelChanged(const std::string& path)
{
    const bool counts = !path.empty() && path[0] == '/';
    const std::string shown = counts ? path : std::string();
    if (HWND ok = ::GetDlgItem(m_hWnd, IDOK)) ::EnableWindow(ok, counts);
    SetDlgItemText(IDC_FOLDER_STATUS, shown);
    if (::GetDlgItem(m_hWnd, IDC_FOLDER_EDIT)) SetDlgItemText(IDC_FOLDER_EDIT, shown);
    m_chosen = shown;
}

void CFolderDialog::OnEditChange()
{
    m_chosen = GetDlgItemText(IDC_FOLDER_EDIT);
    if (HWND ok = ::GetDlgItem(m_hWnd, IDOK)) ::EnableWindow(ok, !m_chosen.empty());
}

void CFolderDialog::OnOK()
{
    m_chosen = GetDlgItemText(IDC_FOLDER_EDIT);
    if (CheckOrCreateFolder(m_chosen) != 0) {
        if (HWND edit = ::GetDlgItem(m_hWnd, IDC_FOLDER_EDIT)) ::SetFocus(edit);
        return;
    }
    m_ok = true;
    EndDialog(IDOK);
}

}  // namespace ide
