// The settings sheet driven through its controls headless: range texts,
// the call limit that follows the stack size, refusals that change nothing,
// the remembered page, the settings file after OK, and the Modules tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "devices/function_modules.h"
#include "ide/dialogs/folder_dialog.h"
#include "ide/run/settings.h"
#include "ide/dialogs/settings_ids.h"
#include "ide/dialogs/settings_sheet.h"
#include "ide/run/watch_gate.h"
#include "interpreter/program_steps.h"
#include "interpreter/statement_module.h"
#include "platform/afx/settings_file.h"
#include "platform/afx_test_util.h"
#include "platform/controls/controls.h"
#include "platform/kernel/library.h"
#include "support/capture.h"
#include "values/identifier_ids.h"

namespace fs = std::filesystem;

namespace {

// Every setting the sheet writes, back to what it was after each test.
struct KeepSettings {
    bool flags[6] = {AppSettings::OutputAutoOpen, AppSettings::TimeLabel, AppSettings::UseAsConsole,
                     AppSettings::InsertAsExample, false, false};
    int ints[5] = {AppSettings::NumericPrecision, AppSettings::VariablesUpdatePeriod, AppSettings::MaxCallDepth,
                   AppSettings::StackSize, AppSettings::ThreadPriority};
    FontSetting fonts[5] = {AppSettings::VariablesFont, AppSettings::WatcherFont, AppSettings::OutputFont,
                            AppSettings::EditorFont, AppSettings::TooltipFont};
    ValueTextFormat editor = AppSettings::EditorFormat, display = CurrentDisplayTextFormat();
    LayerColor layers[AppSettings::LayerCount];
    std::string folders[2] = {AppSettings::FunctionsFolder, AppSettings::ModulesFolder};
    KeepSettings() { std::copy(std::begin(AppSettings::LayerColors), std::end(AppSettings::LayerColors), layers); }
    ~KeepSettings()
    {
        using namespace AppSettings;
        OutputAutoOpen = flags[0], TimeLabel = flags[1], UseAsConsole = flags[2], InsertAsExample = flags[3];
        NumericPrecision = ints[0], VariablesUpdatePeriod = ints[1], MaxCallDepth = ints[2], StackSize = ints[3];
        ThreadPriority = ints[4];
        VariablesFont = fonts[0], WatcherFont = fonts[1], OutputFont = fonts[2], EditorFont = fonts[3];
        TooltipFont = fonts[4];
        EditorFormat = editor;
        SetDisplayTextFormat(display);
        std::copy(std::begin(layers), std::end(layers), LayerColors);
        FunctionsFolder = folders[0], ModulesFolder = folders[1];
        WatcherCallsEnabled().store(false);
    }
};

class SettingsSheet : public AfxTest {
protected:
    KeepSettings keep;

    static void Command(CWnd& page, int id, int code)
    {
        page.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(id, code), (LPARAM)::GetDlgItem(page.m_hWnd, id));
    }
    static void Choose(CWnd& page, int id, int index)
    {
        ::SendMessage(::GetDlgItem(page.m_hWnd, id), CB_SETCURSEL, (WPARAM)index, 0);
        Command(page, id, CBN_SELCHANGE);
    }
    // Typing replaces the text and notifies the page.
    static void Type(CWnd& page, int id, const std::string& text) { page.SetDlgItemText(id, text); }
};

TEST_F(SettingsSheet, StackSizeSetsTheCallLimitAndItsSpinStepsByHalfMegabytes)
{
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(3));
    CSetsProgram& page = sheet.m_program;
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_CALL_LIMIT), "Min: 1, Max: 300");   // the default 1 Mb
    HWND apply = ::GetDlgItem(sheet.m_hWnd, ID_APPLY_NOW);
    EXPECT_FALSE(::IsWindowEnabled(apply));
    Type(page, IDC_SETS_EDIT4, "1000");
    EXPECT_TRUE(::IsWindowEnabled(apply));   // a change offers Apply
    Type(page, IDC_SETS_EDIT5, "2.5");
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_CALL_LIMIT), "Min: 1, Max: 750");
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT4), "750");

    struct Step {
        const char* from;
        int delta;
        const char* to;
    };
    // The spin's arrow keys, a click each.
    HWND spin = ::GetDlgItem(page.m_hWnd, IDC_SETS_SPIN2);
    for (const Step& s : {Step{"2.5", 1, "3"}, Step{"1", -1, "1"}, Step{"16", 1, "16"}, Step{"4", -3, "2.5"}}) {
        Type(page, IDC_SETS_EDIT5, s.from);
        for (int i = 0; i < std::abs(s.delta); ++i) ::SendMessage(spin, WM_KEYDOWN, s.delta > 0 ? VK_UP : VK_DOWN, 0);
        EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT5), s.to) << s.from << " " << s.delta;
    }
    // The call-count spin stops at the limit.
    Type(page, IDC_SETS_EDIT5, "2.5");
    Type(page, IDC_SETS_EDIT4, "749");
    for (int i = 0; i < 3; ++i) ::SendMessage(::GetDlgItem(page.m_hWnd, IDC_SETS_SPIN1), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT4), "750");
    // The framework's range text for a call count above the limit.
    Type(page, IDC_SETS_EDIT5, "2.5");
    Type(page, IDC_SETS_EDIT4, "751");
    sheet.PressButton(PSBTN_OK);
    PumpUntilIdle();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number from 1 to 750."}));
    EXPECT_EQ(AppSettings::MaxCallDepth, keep.ints[2]);
    Type(page, IDC_SETS_EDIT4, "700");
    ::SendMessage(::GetDlgItem(page.m_hWnd, IDC_SETS_WATCHER), BM_SETCHECK, BST_CHECKED, 0);
    Choose(page, IDC_SETS_PRIORITY, 0);
    sheet.PressButton(PSBTN_OK);
    PumpUntilIdle();
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(AppSettings::MaxCallDepth, 700);
    EXPECT_EQ(AppSettings::StackSize, 2621440);
    EXPECT_EQ(AppSettings::ThreadPriority, -15);
    EXPECT_TRUE(WatcherCallsEnabled().load());
}

TEST_F(SettingsSheet, FontSizeRefusalsKeepThePageAndChangeNothing)
{
    const ValueTextFormat editorBefore = AppSettings::EditorFormat;
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(0));
    CSetsGeneral& main = sheet.m_general;
    ::SendMessage(::GetDlgItem(main.m_hWnd, IDC_SETS_CHECK1), BM_SETCHECK, BST_UNCHECKED, 0);
    Type(main, IDC_SETS_EDIT1, "9");
    Type(main, IDC_SETS_SIZE1, "19");
    ASSERT_TRUE(sheet.SetActivePage(1));   // the Editor page is made too
    ASSERT_TRUE(sheet.SetActivePage(0));
    EXPECT_FALSE(sheet.Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Font size must be ranged within [1,18]"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    HWND sizeBox = ::GetDlgItem(main.m_hWnd, IDC_SETS_SIZE1);
    EXPECT_TRUE(GetFocus() == sizeBox || GetParent(GetFocus()) == sizeBox);   // the box or its edit
    EXPECT_TRUE(AppSettings::OutputAutoOpen);
    EXPECT_EQ(AppSettings::NumericPrecision, keep.ints[0]);
    EXPECT_EQ(AppSettings::EditorFormat.width, editorBefore.width);

    // The editor's own range, then the tool-tips'.
    Type(main, IDC_SETS_SIZE1, "18");
    CSetsEditor& editor = sheet.m_editor;
    Type(editor, IDC_SETS_EDITOR_SIZE, "29");
    EXPECT_FALSE(sheet.Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Editor font size must be ranged within [1,28]"}));
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(AppSettings::EditorFont.size, keep.fonts[3].size);
    Type(editor, IDC_SETS_EDITOR_SIZE, "28");
    Type(editor, IDC_SETS_TIP_SIZE, "15");
    EXPECT_FALSE(sheet.Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Tooltips font size must be ranged within [1,14]"}));
    Type(editor, IDC_SETS_TIP_SIZE, "14");

    // Main's own range check is the framework's.
    ASSERT_TRUE(sheet.SetActivePage(0));
    Type(main, IDC_SETS_EDIT1, "18");
    EXPECT_FALSE(sheet.Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number from 0 to 17."}));
    Type(main, IDC_SETS_EDIT1, "9");
    EXPECT_TRUE(sheet.Apply());
    EXPECT_FALSE(AppSettings::OutputAutoOpen);
    EXPECT_EQ(AppSettings::NumericPrecision, 9);
    EXPECT_EQ(AppSettings::EditorFormat.precision, 9);
    EXPECT_EQ(AppSettings::EditorFormat.width, 18);
    EXPECT_EQ(AppSettings::VariablesFont.size, 180);
    EXPECT_EQ(AppSettings::EditorFont.size, 280);
    EXPECT_EQ(AppSettings::TooltipFont.size, 140);
    sheet.DestroyWindow();
}

TEST_F(SettingsSheet, ReopensOnTheLastPage)
{
    {
        CSetsSheet sheet("Settings");
        ASSERT_TRUE(sheet.Create());
        EXPECT_EQ(sheet.GetPageCount(), 4);
        const char* captions[] = {"Main", "Editor", "Modules", "Program"};
        for (int i = 0; i < 4; ++i) EXPECT_EQ(sheet.GetPage(i)->m_strCaption, captions[i]);
        ASSERT_TRUE(sheet.SetActivePage(2));
        sheet.PressButton(PSBTN_CANCEL);
        PumpUntilIdle();
    }
    EXPECT_EQ(CSetsSheet::LastPage(), 2);
    CSetsSheet again("Settings");
    ASSERT_TRUE(again.Create());
    EXPECT_EQ(again.GetActiveIndex(), 2);
    again.SetActivePage(0);
    again.DestroyWindow();
    EXPECT_EQ(CSetsSheet::LastPage(), 0);
}

std::vector<std::string> Lines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The sheet opened modally; the script drives it once it is up.
class CScriptedSheet : public CSetsSheet {
public:
    using CSetsSheet::CSetsSheet;
    std::function<void(CScriptedSheet&)> script;
    BOOL OnInitDialog() override
    {
        CSetsSheet::OnInitDialog();
        if (script) script(*this);
        return TRUE;
    }
};

TEST_F(SettingsSheet, OkThenSaveDiffersFromTheDefaultsOnlyInTheChangedRows)
{
    const fs::path dir = fs::temp_directory_path() / ("veldra-sheet-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "Veldra.conf").string();
    CCaptureStream capture;
    CSettingsFile store(path);
    LoadSettings(store, false);   // the first start: every default
    SaveSettings(store);
    const std::vector<std::string> defaults = Lines(path);
    std::ifstream golden(std::string(std::getenv("VELDRA_SOURCE")) + "/tests/ide/data/settings_defaults.conf");
    std::vector<std::string> goldenLines;
    for (std::string line; std::getline(golden, line);) goldenLines.push_back(line);
    EXPECT_EQ(defaults, goldenLines);

    CScriptedSheet sheet("Settings");
    sheet.script = [&](CScriptedSheet& s) {
        s.SetActivePage(0);
        Type(s.m_general, IDC_SETS_EDIT1, "9");
        s.SetActivePage(1);
        Choose(s.m_editor, IDC_SETS_LAYER, 1);   // "Statement"
        Choose(s.m_editor, IDC_SETS_FOREGROUND, CColorCombo::kAutomaticIndex);
        Choose(s.m_editor, IDC_SETS_LAYER, 3);   // "Comment"
        Choose(s.m_editor, IDC_SETS_BACKGROUND, 16);   // "White"
        s.SetActivePage(3);
        Type(s.m_program, IDC_SETS_EDIT4, "1000");
        Type(s.m_program, IDC_SETS_EDIT5, "2.5");
        s.PostMessage(WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(sheet.DoModal(), IDOK);
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(AppSettings::LayerColors[1].foreground, 0xFFFFFFFFu);
    SaveSettings(store);
    const std::vector<std::string> after = Lines(path);
    ASSERT_EQ(after.size(), defaults.size());
    std::vector<std::string> changed;
    for (size_t i = 0; i < after.size(); ++i)
        if (after[i] != defaults[i]) changed.push_back(after[i]);
    EXPECT_EQ(changed, (std::vector<std::string>{
                           "103=dword:00000009",
                           "202=hex:06,01,00,00,ff,ff,ff,7f,32,00,00,00,09,ff,00,00,12,00,00,00",
                           "205=hex:ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,80,00,00,00,ff,ff,ff,ff,"
                           "80,80,80,00,ff,ff,ff,00",
                           "401=dword:000002ee",
                           "402=dword:00280000",
                       }));
    fs::remove_all(dir);
}

// A statement group with settings: Query(0) answers 0, Query(id) records the id.
class CSettingsGroup : public CmdrInfo {
public:
    CSettingsGroup()
    {
        title = "Test settings group";
        description = "A group for the Modules page";
    }
    CStatement* CreateStatement(int, CStatementBlock*) override { return nullptr; }
    int Query(int what) override
    {
        asked.push_back(what);
        return what == 0 ? 0 : 1;
    }
    std::vector<int> asked;
};

HTREEITEM FindItem(CTreeCtrl& tree, HTREEITEM parent, const std::string& text)
{
    for (HTREEITEM h = tree.GetChildItem(parent); h; h = tree.GetNextSiblingItem(h))
        if (tree.GetItemText(h) == text) return h;
    return nullptr;
}

TEST_F(SettingsSheet, ModulesTreeSettingButtonAndCategorySelection)
{
    ProgramSteps::RegisterStatementGroups();
    CSettingsGroup group;
    CStatementModuleList::AddGroup(&group);
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(2));
    CSetsModules& page = sheet.m_modules;
    CTreeCtrl tree;
    tree.m_hWnd = ::GetDlgItem(page.m_hWnd, IDC_SETS_TREE);
    HTREEITEM statements = tree.GetRootItem();
    HTREEITEM devices = tree.GetNextSiblingItem(statements);
    ASSERT_TRUE(devices);
    EXPECT_EQ(tree.GetItemText(statements), "Statements Libraries");
    EXPECT_EQ(tree.GetItemText(devices), "Input/Output Libraries");
    EXPECT_EQ(tree.GetItemText(tree.GetNextSiblingItem(devices)), "Functions Libraries");
    // The first item added is selected: the first group's.
    EXPECT_EQ(tree.GetSelectedItem(), tree.GetChildItem(statements));
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT3), "Standart statements");

    HTREEITEM mine = FindItem(tree, statements, "Test settings group");
    ASSERT_TRUE(mine);
    tree.SelectItem(mine);
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT4), "A group for the Modules page");
    HWND setting = ::GetDlgItem(page.m_hWnd, IDC_SETS_SETTING);
    EXPECT_TRUE(::IsWindowEnabled(setting));
    page.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(IDC_SETS_SETTING, BN_CLICKED), (LPARAM)setting);
    ASSERT_FALSE(group.asked.empty());
    EXPECT_EQ(std::count(group.asked.begin(), group.asked.end(), 0), (long)group.asked.size() - 1);
    const int id = group.asked.back();
    EXPECT_NE(id, 0);
    EXPECT_EQ(WindowOfIdentifierId((uint32_t)id), page.m_hWnd);

    // Input/output items never have settings; categories pass the selection on.
    tree.SelectItem(devices);
    HTREEITEM firstDevice = tree.GetChildItem(devices);
    ASSERT_TRUE(firstDevice);
    EXPECT_EQ(tree.GetSelectedItem(), firstDevice);
    EXPECT_FALSE(::IsWindowEnabled(setting));
    tree.SelectItem(devices);   // upwards from its first module
    EXPECT_EQ(tree.GetSelectedItem(), mine);   // the last module of the category above
    tree.m_hWnd = nullptr;
    sheet.DestroyWindow();
    CStatementModuleList::RemoveGroup(&group);
}

// The folder typed into the browser once it is up; OK pressed.
std::string g_typedFolder;
void TypeIntoBrowser(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND browser = GetActiveWindow();
    ASSERT_TRUE(::GetDlgItem(browser, IDC_FOLDER_EDIT));
    SetWindowText(::GetDlgItem(browser, IDC_FOLDER_EDIT), g_typedFolder.c_str());
    PostMessage(browser, WM_COMMAND, IDOK, 0);
}

TEST_F(SettingsSheet, BrowseStoresFoldersInsideTheProgramFolderRelative)
{
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(2));
    CSetsModules& page = sheet.m_modules;
    const std::string program = GetProgramFolder();
    struct Case {
        int button, edit;
        std::string chosen, stored;
    };
    const Case cases[] = {
        {IDC_SETS_BROWSE1, IDC_SETS_EDIT1, program + "/CMakeFiles", "\\CMakeFiles"},
        {IDC_SETS_BROWSE2, IDC_SETS_EDIT2, program, "\\"},
        {IDC_SETS_BROWSE1, IDC_SETS_EDIT1, "/tmp", "/tmp"},
    };
    for (const Case& c : cases) {
        g_typedFolder = c.chosen;
        SetTimer(nullptr, 0, 1, TypeIntoBrowser);
        page.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(c.button, BN_CLICKED), (LPARAM)::GetDlgItem(page.m_hWnd, c.button));
        EXPECT_EQ(page.GetDlgItemText(c.edit), c.stored) << c.chosen;
    }
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_TRUE(sheet.Apply());
    EXPECT_EQ(AppSettings::FunctionsFolder, "/tmp");
    EXPECT_EQ(AppSettings::ModulesFolder, "\\");
    sheet.DestroyWindow();
}

TEST_F(SettingsSheet, FunctionLibrarySettingsGoToTheModuleWithTheSheetsWindow)
{
    // Beside the program folder build/out: build/test-out/settings-modules.
    const std::string folder = (fs::path(std::getenv("VELDRA_OUT")).parent_path() / "test-out" / "settings-modules").string();
    ASSERT_EQ(CFuncModuleList::Load(folder.c_str()), 1);
    CSetsSheet sheet("Settings");
    ASSERT_TRUE(sheet.Create());
    ASSERT_TRUE(sheet.SetActivePage(2));
    CSetsModules& page = sheet.m_modules;
    CTreeCtrl tree;
    tree.m_hWnd = ::GetDlgItem(page.m_hWnd, IDC_SETS_TREE);
    HTREEITEM functions = tree.GetNextSiblingItem(tree.GetNextSiblingItem(tree.GetRootItem()));
    HTREEITEM lib = FindItem(tree, functions, "Settings lib");
    ASSERT_TRUE(lib);
    tree.SelectItem(lib);
    tree.m_hWnd = nullptr;
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT3), "Settings lib");
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT4), "Settings lib");
    EXPECT_EQ(page.GetDlgItemText(IDC_SETS_EDIT5), folder + "/settings_funcs.mfn");
    HWND setting = ::GetDlgItem(page.m_hWnd, IDC_SETS_SETTING);
    ASSERT_TRUE(::IsWindowEnabled(setting));
    page.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(IDC_SETS_SETTING, BN_CLICKED), (LPARAM)setting);
    const FuncModule module = CFuncModuleList::Modules().back();
    auto shownWith = (HWND(*)())GetProcAddress((HMODULE)module.module, "SettingsShownWith");
    ASSERT_TRUE(shownWith);
    EXPECT_EQ(shownWith(), sheet.m_hWnd);
    sheet.DestroyWindow();
}

}  // namespace
