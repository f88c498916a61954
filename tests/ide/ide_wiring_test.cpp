// The finished dialogs and windows reached from the running IDE: Tools
// Settings, Insert Matrix, Edit Properties, the functions window and the
// cursor pane.
#include <gtest/gtest.h>

#include <functional>
#include <cstdio>
#include <sstream>

#include "ide/dialogs/function_dlg.h"
#include "ide/bars/functions_bar.h"
#include "ide/dialogs/insert_dialogs.h"
#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/dialogs/new_function_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/dialogs/settings_ids.h"
#include "ide/dialogs/settings_sheet.h"
#include "ide/bars/variables_bar.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide_start_util.h"
#include "program_host.h"
#include "value_editor_test_util.h"
#include "values/value_text.h"

namespace {

using namespace ide_test;

// veldra --run on a program text: standard output, "\n" line ends.
std::string RunBatchText(const fs::path& file, const std::string& program)
{
    const char* out = std::getenv("VELDRA_OUT");
    fs::path exe = out ? fs::path(out) / "veldra" : fs::read_symlink("/proc/self/exe").parent_path() / "out" / "veldra";
    WriteText(file, program);
    std::string result;
    if (FILE* p = popen((exe.string() + " --run " + file.string() + " 2>/dev/null").c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) result.append(buf, n);
        pclose(p);
    }
    return result;
}

std::string WithoutCr(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

CValue Parse(const char* text)
{
    CValue v;
    std::istringstream in(text);
    ReadValue(in, v);
    return v;
}

// Runs a script from inside the next modal loop: the message is posted
// before the command and dispatched once the dialog is up and active.
class Scripter : public CWnd {
public:
    Scripter() { CreateEx(0, nullptr, "scripter", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr); }
    ~Scripter() override
    {
        if (m_hWnd) DestroyWindow();
    }
    void RunInNextModal(std::function<void(HWND)> f)
    {
        script = std::move(f);
        PostMessage(WM_APP, 0, 0);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            auto f = std::move(script);
            if (f) f(::GetActiveWindow());
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::function<void(HWND)> script;
};

class IdeWiring : public IdeTest {
protected:
    CVeldraDoc* Open(const std::string& name, const std::string& text)
    {
        const fs::path p = root / name;
        WriteText(p, text);
        auto* doc = dynamic_cast<CVeldraDoc*>(app->OpenDocumentFile(p.c_str()));
        PumpUntilIdle();
        return doc;
    }
    static KyrEditCtrl* Editor(CVeldraDoc* doc)
    {
        CVeldraView* v = doc ? doc->GetProgramView() : nullptr;
        return v ? v->GetEditCtrl() : nullptr;
    }
    std::string CursorPane() { return Frame()->m_wndStatusBar.GetPaneText(1); }
    bool BreaksOn(CVeldraDoc* doc, int line)
    {
        CVeldraEditCtrl* edit = doc->GetProgramView()->GetVeldraEdit();
        return PumpUntil([&] {
            PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
            if (!doc->IsAtBreak() || !doc->waiting) return false;
            std::vector<KyrMarker*> list;
            edit->GetMarkersOfType(list, MARKER_CURRENT_LINE);
            return !list.empty() && list.front()->line + 1 == line;
        });
    }
    // "..." on a variable's row of the variables window.
    void OpenVariable(CVeldraDoc* doc, const std::string& name)
    {
        CVariablesDlg& vars = FindVariablesBar(doc)->m_dlg;
        int row = -1;
        for (int i = 0; i < (int)vars.m_rows.size(); ++i)
            if (vars.m_rows[(size_t)i].name == name) row = i;
        ASSERT_GE(row, 0) << name;
        vars.SelectRow(row);
        vars.SendMessage(WM_COMMAND, MAKELONG(IDC_VR_OPEN, BN_CLICKED), (LPARAM)::GetDlgItem(vars.m_hWnd, IDC_VR_OPEN));
        PumpUntilIdle();
    }
    // The application's pump: its accelerators turn keys into commands.
    void Key(UINT vk, UINT modifier = 0)
    {
        if (modifier) InjectKey(modifier, true);
        InjectKeyStroke(vk);
        if (modifier) InjectKey(modifier, false);
        PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
    }
};

TEST_F(IdeWiring, CursorPaneShowsTheCaretOfAnOpenedDocument)
{
    ASSERT_TRUE(Start());
    // No program: the pane is blank, not the text that sizes it.
    app->OnIdle(0);
    EXPECT_EQ(CursorPane(), "");
    CVeldraDoc* a = Open("a.vdx", "x = 1;\ny = 2;\n");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(CursorPane(), "Ln 1, Col 1");
    KyrEditCtrl* ea = Editor(a);
    ea->SetFocus();
    for (UINT vk : {VK_DOWN, VK_RIGHT, VK_RIGHT}) Key(vk);   // line 2, column 3
    EXPECT_EQ(CursorPane(), "Ln 2, Col 3");
    // Another document shows its own caret; going back shows the first one's.
    CVeldraDoc* b = Open("b.vdx", "z = 3;\n");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(CursorPane(), "Ln 1, Col 1");
    Frame()->MDIActivate(static_cast<CMDIChildWnd*>(a->GetProgramView()->GetParentFrame()));
    PumpUntilIdle();
    EXPECT_EQ(CursorPane(), "Ln 2, Col 3");
    // Both closed: blank again.
    a->OnCloseDocument();
    b->OnCloseDocument();
    PumpUntilIdle();
    app->OnIdle(0);
    EXPECT_EQ(CursorPane(), "");
}

TEST_F(IdeWiring, SettingsOkAppliesTheEditorFontToAnOpenView)
{
    ASSERT_TRUE(Start());
    const FontSetting kept = AppSettings::EditorFont;
    CVeldraDoc* doc = Open("a.vdx", "x = 1;\n");
    ASSERT_NE(doc, nullptr);
    KyrEditCtrl* edit = Editor(doc);
    const HFONT before = (HFONT)edit->SendMessage(WM_GETFONT);
    const int size = AppSettings::EditorFont.size == 140 ? 160 : 140;
    Scripter scripter;
    bool ran = false;
    scripter.RunInNextModal([&](HWND active) {
        auto* sheet = dynamic_cast<CSetsSheet*>(CWnd::FromHandlePermanent(active));
        ran = sheet != nullptr;
        if (!sheet) return;
        sheet->SetActivePage(1);
        sheet->m_editor.SetDlgItemText(IDC_SETS_EDITOR_SIZE, std::to_string(size / 10));
        sheet->PostMessage(WM_COMMAND, IDOK, 0);
    });
    Frame()->SendMessage(WM_COMMAND, ID_TOOLS_SETTINGS);
    PumpUntilIdle();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(AppSettings::EditorFont.size, size);
    const HFONT after = (HFONT)edit->SendMessage(WM_GETFONT);
    EXPECT_NE(after, before);
    LOGFONT lf{};
    ASSERT_NE(GetObject(after, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -(size * 96 + 360) / 720);
    AppSettings::EditorFont = kept;
}

TEST_F(IdeWiring, InsertMatrixPutsItsTextAtTheCaretAsOneUndoStep)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("a.vdx", "x = 1;\n");
    ASSERT_NE(doc, nullptr);
    KyrEditCtrl* edit = Editor(doc);
    edit->ClearUndo();
    ASSERT_TRUE(edit->SetCaretOffset(7, false, true));
    vetest::ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        vetest::TypeAndLeave(d, IDC_VE_ROWS, "1");
        vetest::TypeAndLeave(d, IDC_VE_COLUMNS, "2");
        dlg->m_grid.ApplyCellEdit(1, 2, "5");   // the grid counts its header row and column
        d->SetDlgItemText(IDC_VE_NAME, "m");
        vetest::PostCommand(d, IDOK);
    });
    Frame()->SendMessage(WM_COMMAND, ID_INSERT_MATRIX);
    PumpUntilIdle();
    EXPECT_TRUE(script.AllRan());
    const CValue expected = Parse("[0, 5]");
    std::string body;
    EXPECT_EQ(edit->Text(), "x = 1;\nm = " + ValueFormat(expected, body, &AppSettings::EditorFormat));
    ASSERT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), "x = 1;\n");
    EXPECT_FALSE(edit->CanUndo());
}

TEST_F(IdeWiring, PropertiesReplacesTheLiteralUnderTheCaret)
{
    ASSERT_TRUE(Start());
    const std::string text = "a = [1, 2; 3, 4]\n";
    CVeldraDoc* doc = Open("a.vdx", text);
    ASSERT_NE(doc, nullptr);
    KyrEditCtrl* edit = Editor(doc);
    edit->ClearUndo();
    ASSERT_TRUE(edit->SetCaretOffset(6, false, true));
    vetest::ScriptedEditors script;
    std::string openedName;
    script.Add([&](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        openedName = d->GetDlgItemText(IDC_VE_NAME);
        dlg->m_grid.ApplyCellEdit(2, 1, "30");
        vetest::PostCommand(d, IDOK);
    });
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_PROPERTIES);
    PumpUntilIdle();
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(openedName, "a");
    const CValue expected = Parse("[1, 2; 30, 4]");
    std::string body;
    EXPECT_EQ(edit->Text(), "a = " + ValueFormat(expected, body, &AppSettings::EditorFormat) + "\n");
    ASSERT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), text);
}

TEST_F(IdeWiring, AltOneShowsTheFunctionsWindowAndGoToMovesTheCaret)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("f.vdx", "x = 1;\n\nfunction y = twice(a)\n  y = 2 * a;\nend\n");
    ASSERT_NE(doc, nullptr);
    // The window comes with the document, docked at the left of its frame
    // (the variables window at the right); Tools Functions toggles it.
    CFunctionsBar* first = FindFunctionsBar(doc);
    ASSERT_NE(first, nullptr);
    CWnd* dock = CWnd::FromHandle(::GetParent(first->m_hWnd));
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->GetDlgCtrlID(), (int)AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(Probe(Frame(), ID_TOOLS_FUNCTIONS).checked, 1);
    Frame()->SendMessage(WM_COMMAND, ID_TOOLS_FUNCTIONS);
    PumpUntilIdle();
    EXPECT_EQ(FindFunctionsBar(doc), nullptr);
    EXPECT_EQ(Probe(Frame(), ID_TOOLS_FUNCTIONS).checked, 0);

    KyrEditCtrl* edit = Editor(doc);
    edit->SetFocus();
    Key('1', VK_MENU);
    CFunctionsBar* bar = FindFunctionsBar(doc);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    CFunctionsDlg& dlg = bar->m_dlg;
    dlg.SelectGroup("Local");
    int row = -1;
    for (int i = 0; i < (int)dlg.m_rows.size(); ++i)
        if (dlg.ItemText(i, 0) == "twice") row = i;
    ASSERT_GE(row, 0);
    dlg.SelectRow(row);
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_GOTO, 0);
    PumpUntilIdle();
    EXPECT_EQ(edit->CaretLine(), 2);
    // Add Function puts the prototype at the caret.
    const std::string prototype = dlg.ItemText(row, 1);
    ASSERT_FALSE(prototype.empty());
    const std::string before = edit->Text();
    const int at = edit->CaretOffset();
    dlg.SendMessage(WM_COMMAND, ID_FUNCTIONS_ADD, 0);
    PumpUntilIdle();
    EXPECT_EQ(edit->Text(), before.substr(0, (size_t)at) + prototype + before.substr((size_t)at));
    ASSERT_TRUE(edit->Undo());

    // A new translation keeps the rows pointing at the new functions.
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    dlg.SelectGroup("Local");
    ASSERT_EQ(dlg.m_rows.size(), 1u);
    EXPECT_EQ(dlg.ItemText(0, 0), "twice");
}

TEST_F(IdeWiring, DotsOnAnIdleDocumentOpenAReadOnlyModelessEditorThatCalculateCloses)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("m.vdx", "m = [1, 2; 3, 4];\n");
    ASSERT_NE(doc, nullptr);
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    CVariablesBar* bar = FindVariablesBar(doc);
    ASSERT_NE(bar, nullptr);
    CVariablesDlg& d = bar->m_dlg;
    int row = -1;
    for (int i = 0; i < (int)d.m_rows.size(); ++i)
        if (d.m_rows[(size_t)i].name == "m") row = i;
    ASSERT_GE(row, 0);
    d.SelectRow(row);
    d.SendMessage(WM_COMMAND, MAKELONG(IDC_VR_OPEN, BN_CLICKED), (LPARAM)::GetDlgItem(d.m_hWnd, IDC_VR_OPEN));
    PumpUntilIdle();
    ASSERT_EQ(doc->editorLists.MatrixEditors().size(), 1u);
    CMatrixDlg* editor = doc->editorLists.MatrixEditors()[0];
    EXPECT_TRUE(editor->m_grid.IsReadOnly());
    // A run closes every value editor before the tables change.
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    EXPECT_EQ(doc->editorLists.Count(), 0u);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
}

TEST_F(IdeWiring, AModelessMatrixEditorFollowsTheViewsRefreshMessage)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("m.vdx", "m = [1, 2; 3, 4];\n");
    ASSERT_NE(doc, nullptr);
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    OpenVariable(doc, "m");
    ASSERT_EQ(doc->editorLists.MatrixEditors().size(), 1u);
    CMatrixDlg* editor = doc->editorLists.MatrixEditors()[0];
    EXPECT_EQ(editor->GetDlgItemText(IDC_VE_ROWS), "2");
    // The value changes under the editor as a program's refresh would find it.
    CVariablesDlg& vars = FindVariablesBar(doc)->m_dlg;
    CVarSlot* slot = nullptr;
    for (const VariableRow& r : vars.m_rows)
        if (r.name == "m" && r.table) slot = r.table->Find("m");
    ASSERT_TRUE(slot && slot->value);
    *slot->value = Parse("[1, 2, 3; 4, 5, 6; 7, 8, 9]");
    doc->GetProgramView()->SendMessage(WM_USER + 400, 2, 0);
    PumpUntilIdle();
    ASSERT_EQ(doc->editorLists.MatrixEditors().size(), 1u);
    EXPECT_EQ(editor->GetDlgItemText(IDC_VE_ROWS), "3");
    EXPECT_EQ(editor->GetDlgItemText(IDC_VE_COLUMNS), "3");
    EXPECT_EQ(editor->m_grid.GetRowCount(), 4);
    EXPECT_STREQ(editor->m_grid.GetCellText(3, 3), "9");
    EXPECT_TRUE(editor->m_grid.IsReadOnly());
}

TEST_F(IdeWiring, EditsAtABreakReachTheProgram)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("p.vdx", "m = [1, 2; 3, 4];\ns = {a=1, b=\"x\"};\nb = <0102>;\nx = 0;\nm;\ns;\nb;\n");
    ASSERT_NE(doc, nullptr);
    CVeldraEditCtrl* edit = doc->GetProgramView()->GetVeldraEdit();
    edit->SetFocus();
    edit->SetCaretOffset(edit->GetLineOffset(3), true, true);
    Key(VK_F9);
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(doc, 1));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(doc, 4));

    vetest::ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->m_grid.ApplyCellEdit(2, 1, "30");   // cell (2, 1)
        vetest::PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CStructEditDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->OpenRow(0);   // field a through its own editor
        vetest::PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_NAME), "a");
        vetest::TypeAndLeave(d, IDC_VE_VALUE, "5");
        vetest::PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CBinaryDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->m_hex.SetBytes({0xff, 0x02});
        vetest::PostCommand(d, IDOK);
    });
    OpenVariable(doc, "m");
    OpenVariable(doc, "s");
    OpenVariable(doc, "b");
    EXPECT_TRUE(script.AllRan());
    EXPECT_EQ(doc->editorLists.Count(), 0u);   // modal at a break
    Key(VK_F5);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    const std::string want =
        RunBatchText(root / "batch" / "p.vdx",
                     "m = [1, 2; 3, 4];\ns = {a=1, b=\"x\"};\nb = <ff 02>;\nx = 0;\nm[2, 1] = 30;\ns.a = 5;\nm;\ns;\nb;\n");
    ASSERT_NE(want.find("30"), std::string::npos) << want;
    // After the first start's notice, exactly what the batch run prints.
    const std::string got = WithoutCr(Frame()->m_wndOutputBar.m_output.GetWindowText());
    ASSERT_GE(got.size(), want.size());
    EXPECT_EQ(got.substr(got.size() - want.size()), want) << got;
}

TEST_F(IdeWiring, AValueFixedAtAnErrorBreakLetsTheStatementRetry)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("z.vdx", "z = [1, 2, 3];\ny = z * ones(2, 2);\n");
    ASSERT_NE(doc, nullptr);
    doc->GetProgramView()->SetFocus();
    TakeMessageBoxLog();
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(doc, 1));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(doc, 2));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Veldra error is occured"}));
    vetest::ScriptedEditors script;
    script.Add([](CDialog* d) {
        ASSERT_TRUE(dynamic_cast<CMatrixDlg*>(d));
        vetest::TypeAndLeave(d, IDC_VE_COLUMNS, "2");
        vetest::PostCommand(d, IDOK);
    });
    OpenVariable(doc, "z");
    EXPECT_TRUE(script.AllRan());
    Key(VK_F10);
    ASSERT_TRUE(PumpUntil([&] {
        PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
        return doc->GetRunState() == RunState::Idle;
    }));
    EXPECT_TRUE(BoxTexts().empty());
    const std::string out = Frame()->m_wndOutputBar.m_output.GetWindowText();
    // Only the error that made the break; the retried statement succeeded.
    const size_t first = out.find("Error");
    ASSERT_NE(first, std::string::npos) << out;
    EXPECT_EQ(out.find("Error", first + 1), std::string::npos) << out;
}

TEST_F(IdeWiring, EachInsertCommandReachesItsDialog)
{
    ASSERT_TRUE(Start());
    CVeldraDoc* doc = Open("a.vdx", "x = 1;\n");
    ASSERT_NE(doc, nullptr);
    KyrEditCtrl* edit = Editor(doc);
    using Is = bool (*)(CWnd*);
    const struct {
        UINT id;
        Is is;
    } rows[] = {
        {ID_INSERT_STATEMENT, [](CWnd* w) { return dynamic_cast<CStatementDlg*>(w) != nullptr; }},
        {ID_INSERT_FUNCTION, [](CWnd* w) { return dynamic_cast<CFunctionDlg*>(w) != nullptr; }},
        {ID_INSERT_OPERATION, [](CWnd* w) { return dynamic_cast<COperationDlg*>(w) != nullptr; }},
        {ID_INSERT_NEW_FUNCTION, [](CWnd* w) { return dynamic_cast<CNewFunctionDlg*>(w) != nullptr; }},
        {ID_INSERT_STRUCTURE, [](CWnd* w) { return dynamic_cast<CStructEditDlg*>(w) != nullptr; }},
        {ID_INSERT_BINARY, [](CWnd* w) { return dynamic_cast<CBinaryDlg*>(w) != nullptr; }},
    };
    Scripter scripter;
    for (const auto& r : rows) {
        bool reached = false;
        scripter.RunInNextModal([&](HWND active) {
            CWnd* w = CWnd::FromHandlePermanent(active);
            reached = w && r.is(w);
            if (w) w->PostMessage(WM_COMMAND, IDCANCEL, 0);
        });
        Frame()->SendMessage(WM_COMMAND, r.id);
        PumpUntilIdle();
        EXPECT_TRUE(reached) << r.id;
        EXPECT_EQ(edit->Text(), "x = 1;\n") << r.id;   // cancelled: nothing inserted
    }
    // OK in the new-function dialog inserts its skeleton at the caret.
    ASSERT_TRUE(edit->SetCaretOffset(0, false, true));
    scripter.RunInNextModal([&](HWND active) {
        CWnd* w = CWnd::FromHandlePermanent(active);
        ASSERT_TRUE(w);
        w->SetDlgItemText(IDC_NEWFN_NAME, "f");
        w->PostMessage(WM_COMMAND, IDOK, 0);
    });
    Frame()->SendMessage(WM_COMMAND, ID_INSERT_NEW_FUNCTION);
    PumpUntilIdle();
    std::string skeleton;
    ASSERT_EQ(BuildNewFunctionText("f", "", "", "", AppSettings::InsertAsExample, skeleton), NEWFN_OK);
    EXPECT_EQ(edit->Text(), skeleton + "x = 1;\n");
}

}  // namespace
