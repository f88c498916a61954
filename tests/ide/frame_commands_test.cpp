// The IDE's command states, asked through the main frame as its menus and
// toolbars ask, in each run state of the active program.
#include <chrono>
#include <functional>
#include <map>
#include <utility>
#include <thread>

#include "ide/shell/resources.h"
#include "ide/bars/functions_bar.h"
#include "ide/bars/variables_bar.h"
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/backend/headless.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ui_controls/edit/edit_ctrl.h"
#include "ide_start_util.h"

using namespace ide_test;

namespace {

bool PumpUntil(const std::function<bool()>& done, int milliseconds = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        PumpUntilIdle();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(IdeTest, FrameCommandStatesInEachRunState)
{
    const fs::path loop = root / "loop.vdx", quick = root / "quick.vdx";
    WriteText(loop, "n = 0;\nwhile (1)\n  n = n + 1;\nend\n");
    WriteText(quick, "a = 1;\n");
    ASSERT_TRUE(Start(IdeCommandLine{{loop.string()}, false}));
    auto* doc = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(doc, nullptr);

    enum { Idle, Running, Suspended, Finished };
    struct Row {
        UINT id;
        int enabled[4];
    };
    const Row rows[] = {
        {ID_PROGRAM_CALCULATE, {1, 0, 0, 0}},
        {ID_PROGRAM_PAUSE, {0, 1, 1, 0}},
        {ID_PROGRAM_STOP, {0, 1, 1, 0}},
        {ID_VIEW_OUTPUT, {1, 1, 1, 1}},
        {ID_VIEW_EDITOR, {1, 1, 1, 1}},
        {ID_VIEW_VARIABLES, {1, 1, 1, 1}},
        {ID_VIEW_FUNCTIONS, {1, 1, 1, 1}},
        {ID_VIEW_WATCHER, {0, 0, 0, 0}},
        // Settings wait while a program runs outside a break.
        {ID_TOOLS_SETTINGS, {1, 0, 0, 1}},
        {ID_INSERT_STATEMENT, {1, 1, 1, 1}},
        {ID_INSERT_FUNCTION, {1, 1, 1, 1}},
        {ID_INSERT_OPERATION, {1, 1, 1, 1}},
        {ID_INSERT_MATRIX, {1, 1, 1, 1}},
        {ID_INSERT_STRUCTURE, {1, 1, 1, 1}},
        {ID_INSERT_BINARY, {1, 1, 1, 1}},
        {ID_INSERT_NEW_FUNCTION, {1, 1, 1, 1}},
        {ID_EDIT_PROPERTIES, {1, 1, 1, 1}},
        {ID_HELP_CONTENTS, {1, 1, 1, 1}},
        {ID_HELP_WEBPAGE, {1, 1, 1, 1}},
    };
    auto expectState = [&](int state, const char* name) {
        for (const Row& r : rows) EXPECT_EQ(Probe(Frame(), r.id).enabled, r.enabled[state]) << name << " " << r.id;
        EXPECT_EQ(Probe(Frame(), ID_VIEW_CALCBAR).checked, 1) << name;
        // The main frame's own bars, asked while a program's child frame is active.
        EXPECT_EQ(Probe(Frame(), ID_VIEW_TOOLBAR).checked, 1) << name;
        EXPECT_EQ(Probe(Frame(), ID_VIEW_STATUS_BAR).checked, 1) << name;
    };

    expectState(Idle, "Idle");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    ASSERT_EQ(doc->GetRunState(), RunState::Running);
    expectState(Running, "Running");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_PAUSE);
    ASSERT_EQ(doc->GetRunState(), RunState::Suspended);
    expectState(Suspended, "Suspended");
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_STOP);
    ASSERT_TRUE(PumpUntil([&] { return doc->GetRunState() == RunState::Idle; }));
    TakeMessageBoxLog();

    ASSERT_NE(app->OpenDocumentFile(quick.string().c_str()), nullptr);
    auto* q = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(q, nullptr);
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    // Ended, its handle held until the view's timer 10 collects it.
    ASSERT_TRUE(PumpUntil([&] { return !q->IsThreadAlive(); }));
    if (q->GetRunState() == RunState::Finished) expectState(Finished, "Finished");
    ASSERT_TRUE(PumpUntil([&] { return q->GetRunState() == RunState::Idle; }));
    expectState(Idle, "Idle again");

    // The menu's check marks follow the bars.
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpUntilIdle();
    EXPECT_EQ(Probe(Frame(), ID_VIEW_TOOLBAR).checked, 0);
    EXPECT_EQ(Probe(Frame(), ID_VIEW_STATUS_BAR).checked, 0);
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    Frame()->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpUntilIdle();
    EXPECT_EQ(Probe(Frame(), ID_VIEW_TOOLBAR).checked, 1);
}

}  // namespace

namespace {

// The items of the one context menu showing, by id: whether each is grey.
std::map<UINT, bool> ShownItems()
{
    std::map<UINT, bool> grey;
    for (const VisibleMenu& m : VisibleMenus())
        for (const VisibleMenuItem& it : m.items) grey[it.id] = (it.state & MF_GRAYED) != 0;
    return grey;
}

// Runs once the menu shows, inside its loop (a thread timer).
std::function<void()> g_inMenu;
void InMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    if (VisibleMenus().empty()) return;   // not yet: the timer fires again
    KillTimer(nullptr, id);
    if (auto f = std::exchange(g_inMenu, nullptr)) f();
}

void RightClick(HWND window, POINT client, std::function<void()> inMenu)
{
    g_inMenu = std::move(inMenu);
    SetTimer(nullptr, 0, 5, InMenu);
    ClientToScreen(window, &client);
    InjectMouseMove(client.x, client.y);
    InjectButton(VK_RBUTTON, true, client.x, client.y);
    InjectButton(VK_RBUTTON, false, client.x, client.y);
}

void ClickItem(UINT id)
{
    for (const VisibleMenu& m : VisibleMenus())
        for (const VisibleMenuItem& it : m.items)
            if (it.id == id) {
                const POINT c{(it.rect.left + it.rect.right) / 2, (it.rect.top + it.rect.bottom) / 2};
                InjectMouseMove(c.x, c.y);
                InjectButton(VK_LBUTTON, true, c.x, c.y);
                InjectButton(VK_LBUTTON, false, c.x, c.y);
            }
}

// What the output bar's and the functions list's context menus show when a
// user opens them: the states their owners give, Clear All enabled while
// the output holds text, Go to and Add Function while a row is selected.
// The status bar's cursor pane shows the caret's place.
TEST_F(IdeTest, ContextMenusShowTheirOwnersStatesAndTheCursorPaneTheCaret)
{
    const fs::path prog = root / "fn.vdx";
    WriteText(prog, "function y = twice(x)\n    y = 2 * x;\n    y = y + 0;\nend\nz = twice(2);\n");
    ASSERT_TRUE(Start(IdeCommandLine{{prog.string()}, false}));
    auto* doc = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; }); };

    // The output bar holds the start-up lines: Clear All is enabled, Copy
    // is not (nothing selected); choosing Clear All empties it.
    COutputCtrl& out = Frame()->m_wndOutputBar.m_output;
    ASSERT_FALSE(out.GetWindowText().empty());
    std::map<UINT, bool> grey;
    RightClick(out.m_hWnd, POINT{40, 20}, [&] {
        grey = ShownItems();
        ClickItem(COutputCtrl::ID_CLEAR_ALL);
    });
    EXPECT_TRUE(PumpUntil([&] { return out.GetWindowText().empty(); })) << "Clear All left " << out.GetWindowText();
    ASSERT_EQ(grey.size(), 3u);
    EXPECT_FALSE(grey[COutputCtrl::ID_CLEAR_ALL]) << "Clear All";
    EXPECT_FALSE(grey[COutputCtrl::ID_SELECT_ALL]) << "Select All";
    EXPECT_TRUE(grey[COutputCtrl::ID_COPY]) << "Copy without a selection";

    // The functions list: its first row is selected, both items enabled.
    CFunctionsBar* bar = FindFunctionsBar(doc);
    ASSERT_NE(bar, nullptr);
    HWND list = ::GetDlgItem(bar->m_dlg.m_hWnd, IDC_FN_LIST);
    ASSERT_NE(bar->m_dlg.SelectedRow(), -1);
    grey.clear();
    RightClick(list, POINT{30, 30}, [&] {
        grey = ShownItems();
        InjectKeyStroke(VK_ESCAPE);
    });
    EXPECT_TRUE(PumpUntil([&] { return !grey.empty() && VisibleMenus().empty(); }));
    EXPECT_FALSE(grey[ID_FUNCTIONS_GOTO]) << "Go to";
    EXPECT_FALSE(grey[ID_FUNCTIONS_ADD]) << "Add Function";

    // Line 3, column 5, by keys in the editor.
    KyrEditCtrl* edit = doc->GetProgramView()->GetEditCtrl();
    edit->SetFocus();
    edit->SetCaretOffset(0, true, false);
    for (UINT vk : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT}) InjectKeyStroke(vk);
    pump();
    app->OnIdle(0);
    pump();
    CStatusBar& status = Frame()->m_wndStatusBar;
    EXPECT_EQ(status.GetPaneText(1), "Ln 3, Col 5");
    UINT id, style;
    int width;
    status.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(style & SBPS_DISABLED, 0u) << "a pane nobody updates keeps its text showing";
}

}  // namespace

namespace {

// The main window's pixels inside a window's rectangle.
std::vector<uint32_t> PixelsOver(HWND top, HWND w)
{
    std::vector<uint32_t> all;
    SIZE size{};
    if (!HeadlessCopySurface(top, &all, &size)) return {};
    RECT frame{}, r{};
    GetWindowRect(top, &frame);
    GetWindowRect(w, &r);
    std::vector<uint32_t> out;
    for (int y = r.top - frame.top; y < r.bottom - frame.top; ++y)
        for (int x = r.left - frame.left; x < r.right - frame.left; ++x)
            out.push_back(x >= 0 && y >= 0 && x < size.cx && y < size.cy ? all[(size_t)y * size.cx + x] : 0);
    return out;
}

// Switching programs from the Window menu leaves the front program's
// Functions and Variables windows as a fresh repaint draws them, not the
// panels of the program behind.
TEST_F(IdeTest, SwitchingProgramsRepaintsTheirPanels)
{
    const fs::path one = root / "one.vdx", two = root / "two.vdx";
    WriteText(one, "function y = f(x)\n    y = x;\nend\na = 1;\n");
    WriteText(two, "b = 2;\nc = 3;\nd = 4;\n");
    ASSERT_TRUE(Start(IdeCommandLine{{one.string(), two.string()}, false}));
    auto* front = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
    ASSERT_NE(front, nullptr);
    // The front program's panels show its variables.
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_CALCULATE);
    PumpUntil([&] { return front->GetRunState() == RunState::Idle; });
    HWND top = Frame()->m_hWnd;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Frame()->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD + (round == 0 ? 0 : 1));
        PumpUntilIdle();
        auto* doc = dynamic_cast<CVeldraDoc*>(Frame()->GetActiveDocument());
        ASSERT_NE(doc, nullptr);
        ASSERT_NE(doc == front, round == 0);
        CFunctionsBar* functions = FindFunctionsBar(doc);
        CVariablesBar* variables = FindVariablesBar(doc);
        ASSERT_TRUE(functions && variables);
        ASSERT_TRUE(::IsWindowVisible(functions->m_hWnd) && ::IsWindowVisible(variables->m_hWnd));
        const auto shownF = PixelsOver(top, functions->m_hWnd), shownV = PixelsOver(top, variables->m_hWnd);
        ::RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpUntilIdle();
        EXPECT_TRUE(shownF == PixelsOver(top, functions->m_hWnd)) << "the Functions window differs from a repaint";
        EXPECT_TRUE(shownV == PixelsOver(top, variables->m_hWnd)) << "the Variables window differs from a repaint";
    }
}

}  // namespace

namespace {

// A toolbar button's prompt shows in the status bar while the mouse rests on
// the button, and "Ready" comes back once the mouse has left the toolbar.
TEST_F(IdeTest, StatusBarDropsTheToolbarPromptWhenTheMouseLeaves)
{
    const fs::path prog = root / "p.vdx";
    WriteText(prog, "a = 1;\n");
    ASSERT_TRUE(Start(IdeCommandLine{{prog.string()}, false}));
    CToolBar& bar = Frame()->m_wndToolBar;
    HWND ctrl = bar.GetToolBarCtrl().m_hWnd;
    ASSERT_TRUE(ctrl);
    RECT button{};
    int index = 0;
    while (index < 40 && !(::SendMessage(ctrl, TB_GETITEMRECT, (WPARAM)index, (LPARAM)&button) && bar.GetItemID(index) != ID_SEPARATOR))
        ++index;
    ASSERT_LT(index, 40);
    POINT on{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(ctrl, &on);
    CStatusBar& status = Frame()->m_wndStatusBar;
    InjectMouseMove(on.x, on.y);
    ASSERT_TRUE(PumpUntil([&] { return status.GetPaneText(0) != "Ready"; })) << status.GetPaneText(0);
    const std::string prompt = status.GetPaneText(0);
    // Into the editor, well away from the toolbar.
    RECT frame{};
    Frame()->GetWindowRect(&frame);
    InjectMouseMove((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
    EXPECT_TRUE(PumpUntil([&] { return status.GetPaneText(0) == "Ready"; })) << "still \"" << status.GetPaneText(0)
                                                                              << "\" (the prompt was \"" << prompt << "\")";
}

}  // namespace
