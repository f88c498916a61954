// The debugger on the interactive display under Xvfb: a program stopped at a
// breakpoint inside a recursive function, with its markers, the watcher and
// the variables window, kept as a screenshot artifact.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ide/shell/app.h"
#include "ide/shell/main_frame.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/shell/resources.h"
#include "ide/bars/variables_bar.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide/editors/value_edit.h"
#include "ide/bars/watcher_bar.h"
#include "platform/afx/afx.h"
#include "platform/afx/settings_file.h"
#include "qt_test_util.h"

namespace {

namespace fs = std::filesystem;

// The IDE on the display with one program stopped at a breakpoint, closed
// and cleaned up at the end of the test.
class QtDebugger : public ::testing::Test {
protected:
    fs::path home;
    CVeldraApp* app = nullptr;
    CWinThread* prev = nullptr;
    CMainFrame* frame = nullptr;
    CVeldraDoc* doc = nullptr;
    CVeldraEditCtrl* edit = nullptr;

    // Starts the IDE on the program (line numbers from 0), breaks on its
    // first statement, then runs on to the breakpoint of breakLine.
    void Start(const std::string& name, const std::string& text, int breakLine, const char* watches = nullptr)
    {
        home = "/tmp/veldra-qt-" + name + "-" + std::to_string(getpid());
        fs::remove_all(home);
        fs::create_directories(home);
        setenv("VELDRA_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        CSettingsFile& settings = CSettingsFile::Open((home / "config" / "Brenholt" / "Veldra.conf").string());
        settings.WriteInt("Settings", "Ver", 4);
        if (watches) settings.WriteString("Settings", "W0", watches);
        const fs::path program = home / (name + ".vdx");
        std::ofstream(program) << text;

        app = new CVeldraApp(IdeCommandLine{{program.string()}, false});
        app->m_bRegisterShell = false;
        prev = AfxSetThread(app);
        ASSERT_TRUE(app->InitInstance());
        frame = GetMainFrame();
        ASSERT_NE(frame, nullptr);
        SetWindowPos(frame->m_hWnd, nullptr, 10, 10, 620, 500, SWP_NOZORDER);   // whole at scale 2 too
        ShowAndFocus(frame->m_hWnd);
        doc = dynamic_cast<CVeldraDoc*>(frame->GetActiveDocument());
        ASSERT_NE(doc, nullptr);
        edit = doc->GetProgramView()->GetVeldraEdit();
        edit->SetCaretOffset(edit->GetLineOffset(breakLine), true, true);
        frame->SendMessage(WM_COMMAND, ID_TOGGLE_BREAKPOINT);
        frame->SendMessage(WM_COMMAND, ID_DEBUG_START);
        ASSERT_TRUE(PumpUntil([&] { return doc->IsAtBreak() && doc->waiting; }, 10000));
        frame->SendMessage(WM_COMMAND, ID_DEBUG_START);
        ASSERT_TRUE(PumpUntil(
            [&] {
                std::vector<KyrMarker*> m;
                edit->GetMarkersOfType(m, MARKER_CURRENT_LINE);
                return doc->IsAtBreak() && doc->waiting && !m.empty() && m.front()->line == breakLine;
            },
            10000));
    }

    static bool Screenshot(const std::string& shot)
    {
        return PumpUntil(
            [&] {
                SyncDisplay();
                return TakeScreenshot(shot);
            },
            5000);
    }

    void TearDown() override
    {
        if (frame && doc) {
            frame->SendMessage(WM_COMMAND, ID_DEBUG_STOP);
            PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }, 10000);
            doc->SetModifiedFlag(FALSE);
        }
        if (frame) frame->SendMessage(WM_CLOSE);
        PumpFor(100);
        if (app) {
            app->ExitInstance();
            AfxSetThread(prev);
            delete app;
        }
        std::error_code ec;
        if (!home.empty()) fs::remove_all(home, ec);
    }
};

TEST_F(QtDebugger, BreakWithMarkersWatcherAndVariables)
{
    Start("debug",
          "function r = fact(n)\n    if(n <= 1)\n        r = 1;\n        return;\n    end\n"
          "    r = n * fact(n - 1);\nend\nx = 4;\ny = fact(x);\ny;\n",
          2, "n\nr");
    if (HasFatalFailure()) return;
    CWatcherBar* watcher = FindWatcherBar(doc);
    ASSERT_NE(watcher, nullptr);
    ASSERT_NE(FindVariablesBar(doc), nullptr);
    // The frame of fact(3): its line gets the frame marker.
    HWND stack = ::GetDlgItem(watcher->m_dlg.m_hWnd, IDC_WT_STACK);
    ::SendMessage(stack, CB_SETCURSEL, 2, 0);
    watcher->m_dlg.SendMessage(WM_COMMAND, (WPARAM)(IDC_WT_STACK | (CBN_SELCHANGE << 16)), (LPARAM)stack);
    EXPECT_EQ(watcher->m_dlg.RowText(0, 1), "3");
    PumpFor(300);

    const std::string shot = ShotFile("qt-ide-debug-break.png");
    EXPECT_TRUE(Screenshot(shot));
    EXPECT_GT(fs::file_size(shot), 1000u);
}

// Runs a task from the next modal loop: posted when the editor starts,
// dispatched once its dialog is up.
class ModalTask : public CWnd {
public:
    ModalTask() { CreateEx(0, nullptr, "modal task", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr); }
    ~ModalTask() override
    {
        if (m_hWnd) DestroyWindow();
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            if (task) task(reinterpret_cast<CDialog*>(lParam));
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::function<void(CDialog*)> task;
};

TEST_F(QtDebugger, MatrixEditorOverTheIdeAtABreak)
{
    Start("matrix", "m = [1, 2, 3; 4, 5, 6];\nx = 0;\nm;\n", 1);
    if (HasFatalFailure()) return;
    CVariablesBar* vars = FindVariablesBar(doc);
    ASSERT_NE(vars, nullptr);
    int row = -1;
    for (int i = 0; i < (int)vars->m_dlg.m_rows.size(); ++i)
        if (vars->m_dlg.m_rows[(size_t)i].name == "m") row = i;
    ASSERT_GE(row, 0);
    PumpFor(200);

    const std::string shot = ShotFile("qt-ide-matrix-editor.png");
    bool opened = false, taken = false;
    ModalTask task;
    task.task = [&](CDialog* d) {
        opened = dynamic_cast<CMatrixDlg*>(d) != nullptr;
        PumpFor(300);
        taken = Screenshot(shot);
        d->PostMessage(WM_COMMAND, IDCANCEL, 0);
    };
    SetValueEditorStartHook([&](CDialog* d) { task.PostMessage(WM_APP, 0, reinterpret_cast<LPARAM>(d)); });
    vars->m_dlg.SelectRow(row);
    vars->m_dlg.SendMessage(WM_COMMAND, MAKELONG(IDC_VR_OPEN, BN_CLICKED),
                            (LPARAM)::GetDlgItem(vars->m_dlg.m_hWnd, IDC_VR_OPEN));
    SetValueEditorStartHook(nullptr);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(taken);
    EXPECT_GT(fs::file_size(shot), 1000u);
}

}  // namespace
