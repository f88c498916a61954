// The settings sheet on a real display: each page (the Editor page with its
// colour and font combos among them) kept as a screenshot under build/test-artifacts.
#include <gtest/gtest.h>

#include "ide/dialogs/insert_dialogs.h"
#include "ide/dialogs/new_function_dlg.h"
#include "ide/dialogs/settings_sheet.h"
#include "interpreter/program_steps.h"
#include "qt_test_util.h"

TEST(QtSettingsSheet, PageScreenshots)
{
    PumpFor(20);
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_NE(ShowAndFocus(sheet.m_hWnd), 0u);
    const char* names[] = {"main", "editor", "modules", "program"};
    for (int page : {1, 0, 2, 3}) {
        ASSERT_TRUE(sheet.SetActivePage(page));
        // The page's children paint on the next rounds of the loop.
        UpdateWindow(sheet.m_hWnd);
        SyncDisplay();
        PumpFor(300);
        const std::string shot = ShotFile("settings-" + std::string(names[page]) + "-page.png");
        bool taken = PumpUntil(
            [&] {
                SyncDisplay();
                return TakeScreenshot(shot);
            },
            5000);
        EXPECT_TRUE(taken) << names[page];
        EXPECT_GT(std::filesystem::file_size(shot), 0u);
    }
    sheet.DestroyWindow();
    PumpFor(20);
    CWnd::DeleteTempMap();   // what the idle time of a real loop frees
}

namespace {
// The sheet as Tools "&Settings..." runs it; a timer takes the shot and ends it.
class CTimedSheet : public CSetsSheet {
public:
    CTimedSheet() : CSetsSheet("Settings") {}
    std::string shot;
    bool taken = false;
    BOOL OnInitDialog() override
    {
        CSetsSheet::OnInitDialog();
        ::SetTimer(m_hWnd, 1, 600, nullptr);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER && wParam == 1) {
            ::KillTimer(m_hWnd, 1);
            SyncDisplay();
            taken = TakeScreenshot(shot);
            EndDialog(IDCANCEL);
            return 0;
        }
        return CSetsSheet::WindowProc(message, wParam, lParam);
    }
};
}  // namespace

TEST(QtSettingsSheet, ModalSheetShowsItsFirstPage)
{
    PumpFor(20);
    CTimedSheet sheet;
    sheet.m_nSelectPage = 0;
    sheet.shot = ShotFile("settings-modal-first-page.png");
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_TRUE(sheet.taken);
    CWnd::DeleteTempMap();
}

TEST(QtSettingsSheet, InsertDialogScreenshots)
{
    ProgramSteps::RegisterStatementGroups();
    PumpFor(20);
    CStatementDlg statement;
    COperationDlg operation;
    CNewFunctionDlg newFunction;
    struct Shot {
        CDialog* dlg;
        const CDialogTemplate* tmpl;
        const char* name;
    };
    for (const Shot& s : {Shot{&statement, CStatementDlg::Template(), "insert-statement.png"},
                          Shot{&operation, COperationDlg::Template(), "insert-operation.png"},
                          Shot{&newFunction, CNewFunctionDlg::Template(), "insert-new-function.png"}}) {
        ASSERT_TRUE(s.dlg->CreateIndirect(s.tmpl, nullptr)) << s.name;
        ASSERT_NE(ShowAndFocus(s.dlg->m_hWnd), 0u);
        SyncDisplay();
        PumpFor(300);
        const std::string shot = ShotFile(s.name);
        EXPECT_TRUE(PumpUntil([&] {
            SyncDisplay();
            return TakeScreenshot(shot);
        }));
        s.dlg->DestroyWindow();
        PumpFor(20);
    }
    CWnd::DeleteTempMap();
}
