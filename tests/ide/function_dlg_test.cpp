// The Function insert dialog: "All Standard" first, the rows of a group,
// and the remembered group and row.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "builtins/libraries.h"
#include "ide/dialogs/function_dlg.h"
#include "platform/afx_test_util.h"
#include "platform/afx/afx_controls.h"
#include "platform/controls/controls.h"
#include "platform/controls/list_notify.h"

namespace {

struct Libraries {
    Libraries() { RegisterBuiltinLibraries(); }
    ~Libraries() { UnregisterBuiltinLibraries(); }
};

class CScriptedFunctionDlg : public CFunctionDlg {
public:
    CScriptedFunctionDlg() : CFunctionDlg(nullptr) {}
    std::function<void(CScriptedFunctionDlg&)> script;
    BOOL OnInitDialog() override
    {
        CFunctionDlg::OnInitDialog();
        if (script) script(*this);
        return TRUE;
    }
    int Selected() const
    {
        return (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_INSERT_LIST), LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    }
    int Group() const { return (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_INSERT_GROUPS), CB_GETCURSEL, 0, 0); }
    void ChooseGroup(int i)
    {
        HWND box = ::GetDlgItem(m_hWnd, IDC_INSERT_GROUPS);
        ::SendMessage(box, CB_SETCURSEL, (WPARAM)i, 0);
        SendMessage(WM_COMMAND, (WPARAM)MAKELONG(IDC_INSERT_GROUPS, CBN_SELCHANGE), (LPARAM)box);
    }
    // Down the list with the arrow key, as the user does.
    void ChooseRow(int i)
    {
        HWND list = ::GetDlgItem(m_hWnd, IDC_INSERT_LIST);
        for (int k = Selected(); k < i; ++k) ::SendMessage(list, WM_KEYDOWN, VK_DOWN, 0);
    }
};

using FunctionDialog = AfxTest;

TEST_F(FunctionDialog, AllStandardFirstRowsShownAndTheChoiceRememberedOnce)
{
    Libraries libs;
    InsertMemory() = InsertDialogMemory{};
    std::vector<std::string> groups;
    std::string shownName, shownPrototype;
    CScriptedFunctionDlg dlg;
    dlg.script = [&](CScriptedFunctionDlg& d) {
        HWND box = ::GetDlgItem(d.m_hWnd, IDC_INSERT_GROUPS);
        for (int i = 0; i < (int)::SendMessage(box, CB_GETCOUNT, 0, 0); ++i) {
            char name[128] = {};
            ::SendMessage(box, CB_GETLBTEXT, (WPARAM)i, (LPARAM)name);
            groups.push_back(name);
        }
        EXPECT_EQ(d.Selected(), 0);
        ASSERT_GT(d.Rows().size(), 3u);
        d.ChooseRow(3);
        CListCtrl list;
        list.m_hWnd = ::GetDlgItem(d.m_hWnd, IDC_INSERT_LIST);
        shownName = list.GetItemText(3, 0);
        shownPrototype = list.GetItemText(3, 1);
        list.m_hWnd = nullptr;
        EXPECT_EQ(d.GetDlgItemText(IDC_INSERT_EXAMPLE), d.Rows()[3].Prototype());
        d.PostMessage(WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dlg.DoModal(), IDOK);
    ASSERT_GE(groups.size(), 2u);
    EXPECT_EQ(groups[0], "All Standard");
    EXPECT_TRUE(std::is_sorted(groups.begin() + 1, groups.end())) << groups[1];
    EXPECT_EQ(dlg.m_strText, shownName);
    EXPECT_FALSE(shownPrototype.empty());
    EXPECT_EQ(InsertMemory().functionRow, 3);

    CScriptedFunctionDlg again;
    int group = -1, row = -1, otherRow = -1;
    again.script = [&](CScriptedFunctionDlg& d) {
        group = d.Group();
        row = d.Selected();
        EXPECT_EQ(d.m_strText, shownName);
        d.ChooseGroup(1);
        otherRow = d.Selected();
        d.PostMessage(WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_EQ(group, 0);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(otherRow, 0);
}

}  // namespace
