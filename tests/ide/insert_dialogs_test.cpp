// The Insert dialogs: the new-function skeleton, the operator list against
// its fixture, and the Statement dialog's memory, driven through the controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "ide/dialogs/insert_dialogs.h"
#include "ide/dialogs/new_function_dlg.h"
#include "interpreter/program_steps.h"
#include "interpreter/statement_module.h"
#include "platform/afx_test_util.h"
#include "platform/controls/controls.h"
#include "ui_controls/edit/edit_ctrl.h"
#include "values/app_settings.h"

namespace {

struct ExampleSetting {
    bool saved = AppSettings::InsertAsExample;
    ~ExampleSetting() { AppSettings::InsertAsExample = saved; }
};

using InsertDialogs = AfxTest;

TEST(NewFunction, SkeletonTextsAndRefusals)
{
    struct Case {
        const char* name;
        const char* inputs;
        const char* outputs;
        bool assignments;
        NewFunctionFault fault;
        const char* text;
    };
    const Case cases[] = {
        {"f", "a, b", "y", true, NEWFN_OK, "%\nfunction y = f(a, b)\ny=\nend\n"},
        {"f", "", "y; z", true, NEWFN_OK, "%\nfunction [y, z] = f()\ny=\nz=\nend\n"},
        {"f", "a, [b]", "", false, NEWFN_OK, "%\nfunction f(a, [b])\nend\n"},
        {" g ", " a ;b ", "y,z", false, NEWFN_OK, "%\nfunction [y, z] = g(a, b)\nend\n"},
        {"f", "", "[y]", true, NEWFN_BAD_OUTPUTS, ""},
        {"f", "a,,b", "", true, NEWFN_BAD_INPUTS, ""},
        {"f", "1a", "", true, NEWFN_BAD_INPUTS, ""},
        {"1f", "", "", true, NEWFN_BAD_NAME, ""},
        {"  ", "", "", true, NEWFN_BAD_NAME, ""},
        {"_f", "", "", true, NEWFN_OK, "%\nfunction _f()\nend\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "|" + c.inputs + "|" + c.outputs);
        std::string text = "junk";
        EXPECT_EQ(BuildNewFunctionText(c.name, c.inputs, c.outputs, "", c.assignments, text), c.fault);
        EXPECT_EQ(text, c.text);
    }
    std::string text;
    ASSERT_EQ(BuildNewFunctionText("f", "", "", "first\r\nsecond", true, text), NEWFN_OK);
    EXPECT_EQ(text, "%first\n%second\nfunction f()\nend\n");
}

// Types into the boxes and presses Insert, answering each message box.
class CScriptedNewFunction : public CNewFunctionDlg {
public:
    std::vector<std::pair<int, std::string>> boxes;
    std::function<void(CScriptedNewFunction&)> afterRefusal;
    BOOL OnInitDialog() override
    {
        CNewFunctionDlg::OnInitDialog();
        for (auto& [id, text] : boxes) SetDlgItemText(id, text);
        PostMessage(WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    void OnOK() override
    {
        CNewFunctionDlg::OnOK();
        if (m_hWnd && afterRefusal) {
            afterRefusal(*this);
            afterRefusal = nullptr;
        }
    }
};

TEST_F(InsertDialogs, NewFunctionDialogKeepsTheFocusOnTheBoxAtFault)
{
    ExampleSetting keep;
    AppSettings::InsertAsExample = true;
    CScriptedNewFunction dlg;
    dlg.boxes = {{IDC_NEWFN_NAME, "f"}, {IDC_NEWFN_OUTPUTS, "[y]"}, {IDC_NEWFN_DESCRIPTION, "one\r\ntwo"}};
    HWND focused = nullptr;
    dlg.afterRefusal = [&](CScriptedNewFunction& d) {
        focused = GetFocus();
        EXPECT_EQ(focused, GetDlgItem(d.m_hWnd, IDC_NEWFN_OUTPUTS));
        d.SetDlgItemText(IDC_NEWFN_OUTPUTS, "y");
        d.PostMessage(WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_NE(focused, nullptr);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Invalid output parameters declaration"}));
    EXPECT_EQ(dlg.m_strResult, "%one\n%two\nfunction y = f()\ny=\nend\n");
}

std::vector<std::vector<std::string>> ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(std::getenv("VELDRA_SOURCE")) + "/tests/ide/data/" + name);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cells.push_back(line.substr(start, tab - start));
        cells.push_back(line.substr(start));
        rows.push_back(cells);
    }
    return rows;
}

// Opens the dialog modally; the script runs once it is up and must end it.
template <class Dlg>
class CScripted : public Dlg {
public:
    std::function<void(Dlg&)> script;
    BOOL OnInitDialog() override
    {
        Dlg::OnInitDialog();
        if (script) script(*this);
        return TRUE;
    }
};

void Select(CWnd& dlg, int id, int index, bool combo)
{
    HWND c = GetDlgItem(dlg.m_hWnd, id);
    SendMessage(c, combo ? CB_SETCURSEL : LB_SETCURSEL, (WPARAM)index, 0);
    dlg.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE), (LPARAM)c);
}

int Selected(CWnd& dlg, int id, bool combo)
{
    return (int)SendMessage(GetDlgItem(dlg.m_hWnd, id), combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
}

TEST_F(InsertDialogs, OperationListMatchesTheFixtureAndRemembersTheChoice)
{
    const auto fixture = ReadFixture("operations.txt");
    ASSERT_EQ(fixture.size(), 25u);
    InsertMemory() = InsertDialogMemory{};
    std::vector<std::vector<std::string>> shown;
    CScripted<COperationDlg> dlg;
    dlg.script = [&](COperationDlg& d) {
        HWND list = GetDlgItem(d.m_hWnd, IDC_INSERT_LIST);
        EXPECT_EQ(Selected(d, IDC_INSERT_LIST, false), 0);
        const int count = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) {
            Select(d, IDC_INSERT_LIST, i, false);
            char symbol[16] = {};
            SendMessage(list, LB_GETTEXT, (WPARAM)i, (LPARAM)symbol);
            shown.push_back({symbol, d.GetDlgItemText(IDC_INSERT_DESCRIPTION), d.GetDlgItemText(IDC_INSERT_EXAMPLE)});
            EXPECT_EQ(d.m_strText, symbol);
        }
        Select(d, IDC_INSERT_LIST, 20, false);
        d.PostMessage(WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, fixture);
    EXPECT_EQ(dlg.m_strText, ".*");
    EXPECT_EQ(InsertMemory().operation, 20);

    CScripted<COperationDlg> again;
    int reopened = -1;
    again.script = [&](COperationDlg& d) {
        reopened = Selected(d, IDC_INSERT_LIST, false);
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(reopened, 20);
}

TEST_F(InsertDialogs, StatementDialogListsGroupsAndRemembersGroupAndStatementOnce)
{
    ExampleSetting keep;
    ProgramSteps::RegisterStatementGroups();
    InsertMemory() = InsertDialogMemory{};
    ASSERT_GE(CStatementModuleList::Count(), 2);
    const CmdrInfo* first = CStatementModuleList::At(0).info;
    ASSERT_GE(first->statementCount, 3);

    AppSettings::InsertAsExample = true;
    std::vector<std::string> groups;
    CScripted<CStatementDlg> dlg;
    dlg.script = [&](CStatementDlg& d) {
        HWND box = GetDlgItem(d.m_hWnd, IDC_INSERT_GROUPS);
        for (int i = 0; i < (int)SendMessage(box, CB_GETCOUNT, 0, 0); ++i) {
            char title[128] = {};
            SendMessage(box, CB_GETLBTEXT, (WPARAM)i, (LPARAM)title);
            groups.push_back(title);
        }
        EXPECT_EQ(Selected(d, IDC_INSERT_LIST, false), 0);
        Select(d, IDC_INSERT_LIST, 2, false);
        std::string help = first->statements[2].help;   // the edit keeps line feeds only
        help.erase(std::remove(help.begin(), help.end(), '\r'), help.end());
        EXPECT_EQ(d.GetDlgItemText(IDC_INSERT_DESCRIPTION), help);
        d.PostMessage(WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ((int)groups.size(), CStatementModuleList::Count());
    EXPECT_EQ(groups[0], "Standart statements");
    for (int i = 0; i < (int)groups.size(); ++i) EXPECT_EQ(groups[(size_t)i], CStatementModuleList::At(i).info->title);
    EXPECT_EQ(dlg.m_strText, first->statements[2].example);

    // Reopened: the same group and statement; another group starts at its first entry.
    AppSettings::InsertAsExample = false;
    CScripted<CStatementDlg> again;
    int group = -1, statement = -1, otherStart = -1;
    again.script = [&](CStatementDlg& d) {
        group = Selected(d, IDC_INSERT_GROUPS, true);
        statement = Selected(d, IDC_INSERT_LIST, false);
        EXPECT_EQ(d.m_strText, first->statements[2].keyword);
        Select(d, IDC_INSERT_GROUPS, 1, true);
        otherStart = Selected(d, IDC_INSERT_LIST, false);
        Select(d, IDC_INSERT_GROUPS, 0, true);
        EXPECT_EQ(Selected(d, IDC_INSERT_LIST, false), 0);   // the memory was used once
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(group, 0);
    EXPECT_EQ(statement, 2);
    EXPECT_EQ(otherStart, 0);
}

TEST_F(InsertDialogs, InsertedTextGoesToTheCaretAsOneUndoStep)
{
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "host"));
    KyrEditCtrl editor;
    ASSERT_TRUE(editor.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, frame, 100));
    editor.SetText("a = 1\nb = 2\n");
    editor.ClearUndo();
    ASSERT_TRUE(editor.SetCaretOffset(6, false, false));   // the start of the second line
    std::string skeleton;
    ASSERT_EQ(BuildNewFunctionText("f", "x", "y", "", true, skeleton), NEWFN_OK);
    EXPECT_FALSE(InsertAtCaret(editor, ""));
    ASSERT_TRUE(InsertAtCaret(editor, skeleton));
    EXPECT_EQ(editor.Text(), "a = 1\n" + skeleton + "b = 2\n");
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text(), "a = 1\nb = 2\n");
    EXPECT_FALSE(editor.CanUndo());
    editor.DestroyWindow();
    frame->DestroyWindow();
    PumpUntilIdle();
}

}  // namespace
