// The functions bar docked in a frame: the groups, the "List (%u):" label,
// Go to into a program editor (a library's CR LF source with tabs, and the
// program's own text), nothing for a built-in, and Add Function.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "../platform/afx_test_util.h"
#include "builtins/libraries.h"
#include "ide/bars/functions_bar.h"
#include "interpreter/basic_statements.h"
#include "interpreter/program.h"
#include "interpreter/statement_module.h"
#include "interpreter/translator.h"
#include "interpreter/user_function.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/win_app.h"
#include "support/capture.h"
#include "ui_controls/edit/edit_ctrl.h"

namespace fs = std::filesystem;

namespace {

StatusWord Dummy(CValue*, CValue* out)
{
    *out = CValue();
    return 0;
}

FuncEntry g_rows[] = {
    {"zeta_mod", 1, 1, AsFuncHandler(Dummy), CALL_A1, "zeta_mod(x);\r\nA module function", "zeta_mod(x)", 0, nullptr},
};
FuncLibrary g_basicModule = {"basic", g_rows, 1, nullptr, 0};

class BarApp : public CWinApp {
public:
    explicit BarApp(std::string profile) : CWinApp(nullptr, AfxGetProgramModuleState())
    {
        m_pszProfileName = std::move(profile);
    }
};

class EditorHost : public IFunctionsBarHost {
public:
    KyrEditCtrl* program = nullptr;
    KyrEditCtrl* library = nullptr;
    std::string libraryFile;
    std::vector<std::string> inserted;
    KyrEditCtrl* FindProgramEditor(const std::string& sourceFile) override
    {
        if (sourceFile.empty()) return program;
        return sourceFile == libraryFile ? library : nullptr;
    }
    void InsertText(const std::string& text) override { inserted.push_back(text); }
};

class FunctionsBar : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        profile = "FunctionsBar-" + std::to_string(getpid());
        app = std::make_unique<BarApp>(profile);
        prevThread = AfxSetThread(app.get());
        frame = new CFrameWnd;
        ASSERT_TRUE(frame->Create(nullptr, "Program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}));
        app->m_pMainWnd = frame;
        frame->EnableDocking(CBRS_ALIGN_ANY);
        RegisterFuncLibrary(&g_basicModule);
        RegisterBuiltinLibraries();
        CStatementModuleList::AddGroup(RegisterBasicStatements());
    }
    void TearDown() override
    {
        if (frame && IsWindow(frame->m_hWnd)) ::DestroyWindow(frame->m_hWnd);
        PumpUntilIdle();
        AfxSetThread(prevThread);
        app.reset();
        fs::remove(SettingsFilePath("Brenholt", profile));
        UnregisterBuiltinLibraries();
        UnregisterFuncLibrary(&g_basicModule);
        DeleteLibraryTables();
        AfxTest::TearDown();
    }
    KyrEditCtrl* MakeEditor(const std::string& text, int id)
    {
        auto* e = new KyrEditCtrl;
        editors.emplace_back(e);
        EXPECT_TRUE(e->Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 300, 200}, frame, (UINT)id));
        e->SetText(text);
        return e;
    }
    std::string Label(CFunctionsDlg& dlg) { return dlg.GetDlgItemText(IDC_FN_LIST_LABEL); }
    int RowOf(CFunctionsDlg& dlg, const std::string& name)
    {
        for (size_t i = 0; i < dlg.m_rows.size(); ++i)
            if (dlg.m_rows[i].Name() == name) return (int)i;
        return -1;
    }

    std::string profile;
    std::unique_ptr<BarApp> app;
    CWinThread* prevThread = nullptr;
    CFrameWnd* frame = nullptr;
    std::vector<std::unique_ptr<KyrEditCtrl>> editors;
};

}  // namespace

TEST_F(FunctionsBar, GroupsLabelAndRefresh)
{
    CProgram program;
    EditorHost host;
    CFunctionsBar* bar = CreateFunctionsBar(&program, frame, &host);
    ASSERT_TRUE(bar);
    EXPECT_EQ(FindFunctionsBar(&program), bar);
    CFunctionsDlg& dlg = bar->m_dlg;
    EXPECT_EQ(bar->GetDlgCtrlID(), (int)IDC_FUNCTIONS_BAR);
    // Without user functions "Local" is selected and empty.
    EXPECT_EQ(Label(dlg), "List (0):");
    EXPECT_TRUE(dlg.m_rows.empty());
    // The module's library "basic" joins the built-in "Basic".
    const int basic = FindFunctionGroup(dlg.m_groups, "Basic");
    ASSERT_GE(basic, 0);
    dlg.SelectGroup(dlg.m_groups[(size_t)basic].name);
    EXPECT_EQ((int)dlg.m_rows.size(), BasicLibrary.count + 1);
    EXPECT_EQ(Label(dlg), "List (" + std::to_string(dlg.m_rows.size()) + "):");
    EXPECT_GE(RowOf(dlg, "zeta_mod"), 0);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_FN_PROTOTYPE), dlg.m_rows[0].Prototype());
    // A translation adds a user function; the refresh rebuilds the rows.
    dlg.SelectGroup("Local");
    CCaptureStream cap;
    std::istringstream in("function y = twice(x)\n  y = 2 * x;\nend\n");
    ASSERT_EQ(TranslateBlock(&program, in), 0);
    RefreshFunctionsBars(&program, 1);
    EXPECT_EQ(Label(dlg), "List (1):");
    EXPECT_EQ(dlg.ItemText(0, 1), "y = twice(x)");
    // Rollback and Clear empty the list first: the list never asks for a gone row.
    EmptyFunctionsBars(&program);
    EXPECT_TRUE(dlg.m_rows.empty());
    EXPECT_EQ(::SendMessage(::GetDlgItem(dlg.m_hWnd, IDC_FN_LIST), LVM_GETITEMCOUNT, 0, 0), 0);
    program.Clear();
    RefreshFunctionsBars(nullptr, 1);
    EXPECT_EQ(Label(dlg), "List (0):");
    ::DestroyWindow(bar->m_hWnd);
    PumpUntilIdle();
    EXPECT_EQ(FindFunctionsBar(&program), nullptr);
}

TEST_F(FunctionsBar, GoToAndAddFunction)
{
    // A library source with CR LF line ends and tabs.
    const std::string library = "% helpers\r\n% second line\r\nfunction\tr = libf(a)\r\n\tr = a;\r\nend\r\n";
    CLibraryFunctionTable* table = CreateLibraryTable("mylib");
    {
        CCaptureStream cap;
        ASSERT_GT(LoadFunctionLibraryText(table, "/funlib/mylib.vdl", std::make_shared<const std::string>(library)), 0);
    }
    const std::string text = "x = 1;\n\nfunction y = twice(x)\n  y = 2 * x;\nend\nz = twice(3);\n";
    CProgram program;
    {
        CCaptureStream cap;
        std::istringstream in(text);
        ASSERT_EQ(TranslateBlock(&program, in), 0);
    }
    EditorHost host;
    host.program = MakeEditor(text, 300);
    host.library = MakeEditor(library, 301);
    host.libraryFile = "/funlib/mylib.vdl";
    CFunctionsBar* bar = CreateFunctionsBar(&program, frame, &host);
    ASSERT_TRUE(bar);
    CFunctionsDlg& dlg = bar->m_dlg;

    // A library function: the caret goes to the start of its header line.
    dlg.SelectGroup("mylib");
    ASSERT_EQ(dlg.m_rows.size(), 1u);
    EXPECT_NE(dlg.GetDlgItemText(IDC_FN_DESCRIPTION).find("% second line"), std::string::npos);
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_GOTO, 0);
    EXPECT_EQ(host.library->CaretOffset(), host.library->GetLineOffset(2));
    EXPECT_EQ(host.library->GetLineOfOffset(host.library->CaretOffset()), 2);

    // A program function: its line in the program's editor.
    dlg.SelectGroup("Local");
    ASSERT_EQ(dlg.m_rows.size(), 1u);
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_GOTO, 0);
    EXPECT_EQ(host.program->CaretOffset(), host.program->GetLineOffset(2));

    // Space in the list does the same.
    host.program->SetCaretOffset(0, false, false);
    ::SetFocus(::GetDlgItem(dlg.m_hWnd, IDC_FN_LIST));
    InjectKeyStroke(VK_SPACE);
    PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
    EXPECT_EQ(host.program->CaretOffset(), host.program->GetLineOffset(2));

    // Add Function inserts the prototype.
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_ADD, 0);
    EXPECT_EQ(host.inserted, std::vector<std::string>{"y = twice(x)"});

    // Go to on a built-in does nothing.
    host.program->SetCaretOffset(1, false, false);
    dlg.SelectGroup("All Standard");
    ASSERT_FALSE(dlg.m_rows.empty());
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_GOTO, 0);
    EXPECT_EQ(host.program->CaretOffset(), 1);
    EXPECT_EQ(host.library->GetLineOfOffset(host.library->CaretOffset()), 2);
}
