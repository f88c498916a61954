// The folder chooser: the Linux path rule, creation level by level, the
// Modules page's Browse mapping and the typed path in the browser.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "ide/dialogs/folder_dialog.h"
#include "platform/afx_test_util.h"
#include "platform/kernel/library.h"

namespace fs = std::filesystem;

namespace {

using FolderDialog = AfxTest;

struct TempBase {
    fs::path path = fs::temp_directory_path() / ("veldra_folders_" + std::to_string(getpid()));
    TempBase() { fs::create_directories(path); }
    ~TempBase() { fs::remove_all(path); }
};

TEST_F(FolderDialog, PathRuleTable)
{
    struct Case {
        std::string path;
        int check;
    };
    const Case cases[] = {
        {"/", 0},
        {"/tmp/a b", 0},
        {"/tmp/.cache", 0},
        {"/tmp/a/", 1},
        {"/tmp/ a", 1},
        {"/tmp/a.", 1},
        {"/tmp/.", 1},
        {"/tmp/..", 1},
        {"/tmp//a", 1},
        {"/tmp/a:b", 1},
        {"rel/x", 1},
        {"", 1},
        {"/" + std::string(4999, 'a'), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40));
        EXPECT_EQ(CheckFolderPath(c.path, false), c.check);
        if (c.check != 0) {
            EXPECT_EQ(CheckOrCreateFolder(c.path), 1);
            EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"The folder:\n\n" + c.path +
                                                            "\n\nis invalid. Please reenter."}));
        }
    }
    // The root exists: no question.
    EXPECT_EQ(CheckOrCreateFolder("/"), 0);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_TRUE(IsValidFolderName("a b"));
    EXPECT_FALSE(IsValidFolderName("a|b"));
    EXPECT_FALSE(IsValidFolderName("\ta"));
}

TEST_F(FolderDialog, MissingFolderIsCreatedLevelByLevelOnlyOnYes)
{
    TempBase base;
    const std::string deep = (base.path / "one" / "two" / "three").string();
    const std::string question = "The folder:\n\n" + deep + "\n\ndoes not exist. Do you want the folder to be created?";
    PushMessageBoxAnswer(IDNO);
    EXPECT_NE(CheckOrCreateFolder(deep), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{question}));
    EXPECT_FALSE(fs::exists(base.path / "one"));

    PushMessageBoxAnswer(IDYES);
    EXPECT_EQ(CheckOrCreateFolder(deep), 0);
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_EQ(CheckOrCreateFolder(deep), 0);   // exists now: no question
    BoxTexts();

    // A level that cannot be made: a file stands where a folder should be.
    std::ofstream(base.path / "file") << "x";
    const std::string blocked = (base.path / "file" / "sub").string();
    PushMessageBoxAnswer(IDYES);
    EXPECT_EQ(CheckOrCreateFolder(blocked), 2);
    const std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "The folder:\n\n" + blocked + "\n\ncan not be created. Please double check.");
}

TEST(FolderBrowse, SettingTextsRelativeToTheProgramFolder)
{
    const std::string pf = "/opt/v";
    struct Case {
        std::string chosen;
        std::string stored;
    };
    const Case cases[] = {
        {pf + "/funlib", "\\funlib"},
        {pf + "/a/b", "\\a/b"},
        {pf, "\\"},
        {"/opt/x", "/opt/x"},
        {pf + "-old/x", pf + "-old/x"},
        {"/opt/v2", "/opt/v2"},
        {"/OPT/V/funlib", "/OPT/V/funlib"},
    };
    for (const Case& c : cases) EXPECT_EQ(BrowseSettingText(c.chosen, pf), c.stored) << c.chosen;

    const std::string program = GetProgramFolder();
    EXPECT_EQ(BrowseStartFolder("\\funlib\\"), program + "/funlib");
    EXPECT_EQ(BrowseStartFolder(""), program);
    EXPECT_EQ(BrowseStartFolder("\\"), program);
    EXPECT_EQ(BrowseStartFolder("/opt/x/"), "/opt/x");
}

// Types a path into the added edit box and presses OK; the first question is
// answered No, the second Yes.
class CTypingFolderDialog : public ide::CFolderDialog {
public:
    using ide::CFolderDialog::CFolderDialog;
    std::string typed;
    int presses = 0;
    std::string afterNo;
    bool statusHidden = false;
    int editTop = 0, treeTop = 0;
    void OnStart() override
    {
        ide::CFolderDialog::OnStart();
        statusHidden = !::IsWindowVisible(::GetDlgItem(m_hWnd, IDC_FOLDER_STATUS));
        RECT e{}, t{};
        ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_FOLDER_EDIT), &e);
        ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_FOLDER_TREE), &t);
        editTop = e.bottom, treeTop = t.top;
        SetDlgItemText(IDC_FOLDER_EDIT, typed);
        PushMessageBoxAnswer(IDNO);
        PostMessage(WM_COMMAND, IDOK, 0);
    }
    void OnOK() override
    {
        ide::CFolderDialog::OnOK();
        if (++presses == 1) {
            afterNo = GetDlgItemText(IDC_FOLDER_EDIT);
            PushMessageBoxAnswer(IDYES);
            PostMessage(WM_COMMAND, IDOK, 0);
        }
    }
};

TEST_F(FolderDialog, TypedMissingFolderAnsweredNoStaysThenYesCreates)
{
    TempBase base;
    const std::string wanted = (base.path / "new" / "lib").string();
    CTypingFolderDialog dlg("Functions library folder", "Enter path", base.path.string().c_str(), nullptr);
    dlg.typed = wanted;
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.presses, 2);
    EXPECT_EQ(dlg.afterNo, wanted);
    EXPECT_TRUE(dlg.statusHidden);
    EXPECT_EQ(dlg.editTop, dlg.treeTop - 4);
    EXPECT_EQ(dlg.GetPath(), wanted);
    EXPECT_TRUE(fs::is_directory(wanted));
    EXPECT_EQ(BoxTexts().size(), 2u);
}

class CSelectingFolderDialog : public ide::CFolderDialog {
public:
    using ide::CFolderDialog::CFolderDialog;
    std::string shown;
    BOOL okEnabled = FALSE;
    void OnStart() override
    {
        ide::CFolderDialog::OnStart();
        shown = GetDlgItemText(IDC_FOLDER_EDIT);
        okEnabled = ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDOK));
        PostMessage(WM_COMMAND, IDCANCEL, 0);
    }
};

TEST_F(FolderDialog, TheSelectedFolderShowsInTheEditAndCancelGivesMinusOne)
{
    TempBase base;
    CSelectingFolderDialog dlg(nullptr, "Enter path", base.path.string().c_str(), nullptr);
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.shown, base.path.string());
    EXPECT_TRUE(dlg.okEnabled);
}

}  // namespace
