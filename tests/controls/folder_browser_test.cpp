// Our own folder browser: the tree (14145) loads folders as it opens, the
// status text (14147) follows the selection, OK asks the validation hook.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/afx/folder_browser.h"
#include "platform/afx_test_util.h"

namespace {

namespace fs = std::filesystem;

class CScriptedBrowser : public CFolderBrowser {
public:
    using CFolderBrowser::CFolderBrowser;
    std::vector<std::string> seen;
    int validations = 0;
    std::string refuse;
    std::string pick;
    void OnStart() override
    {
        // The user's steps: choose a folder in the tree, press OK twice.
        if (!pick.empty()) SelectFolder(pick);
        PostMessage(WM_COMMAND, IDOK, 0);
        PostMessage(WM_COMMAND, IDOK, 0);
    }
    void OnSelChanged(const std::string& path) override { seen.push_back(path); }
    BOOL OnValidate(const std::string& path) override
    {
        ++validations;
        if (path == refuse) {
            refuse.clear();   // refused once, then accepted
            return FALSE;
        }
        return TRUE;
    }
};

using FolderBrowser = AfxTest;

TEST_F(FolderBrowser, TreeStatusHooksAndOk)
{
    fs::path base = fs::temp_directory_path() / ("veldra_browser_" + std::to_string(getpid()));
    fs::create_directories(base / "alpha" / "inner");
    fs::create_directories(base / "beta");
    CScriptedBrowser dlg("Choose", "Pick a folder", base.string().c_str());
    dlg.pick = (base / "alpha" / "inner").string();
    dlg.refuse = dlg.pick;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetFolderPath(), dlg.pick);
    EXPECT_EQ(dlg.validations, 2);
    ASSERT_GE(dlg.seen.size(), 2u);
    EXPECT_EQ(dlg.seen.front(), base.string());   // the initial folder is selected first
    EXPECT_EQ(dlg.seen.back(), dlg.pick);
    fs::remove_all(base);
}

TEST_F(FolderBrowser, ItemsAndStatusControls)
{
    fs::path base = fs::temp_directory_path() / ("veldra_browser2_" + std::to_string(getpid()));
    fs::create_directories(base / "one");
    CFolderBrowser dlg("Choose", "Title text", base.string().c_str());
    ASSERT_TRUE(dlg.CreateIndirect(dlg.m_pTemplate, nullptr));
    HWND tree = GetDlgItem(dlg.m_hWnd, IDC_FOLDER_TREE);
    ASSERT_TRUE(tree);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FOLDER_STATUS), base.string());
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FOLDER_TITLE), "Title text");
    // Down from the base folder enters its only sub-folder once the branch is open.
    SendMessage(tree, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessage(tree, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FOLDER_STATUS), (base / "one").string());
    EXPECT_EQ(dlg.ItemOf((base / "missing").string()), nullptr);
    dlg.DestroyWindow();
    fs::remove_all(base);
}

}  // namespace
