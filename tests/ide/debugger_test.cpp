// The debugger in the running IDE, driven by injected keys: breakpoints,
// Start Debug, Step, Step Into, Run to Cursor, Break and Stop Debug; the call
// stack and watches of the watcher bar; the error retry; Auto Calculate.
#include <gtest/gtest.h>

#include "ide/shell/child_frame.h"
#include "ide/run/run_lock.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "ide/run/watch_gate.h"
#include "ide/bars/variables_bar.h"
#include "ide/bars/watcher_bar.h"
#include "interpreter/var_table.h"
#include "values/app_settings.h"
#include "platform/afx/settings_file.h"
#include "platform/backend/headless_input.h"
#include "platform/afx/afx_controls.h"
#include "tests/ide/ide_start_util.h"
#include "tests/ide/value_editor_test_util.h"
#include "platform/backend/headless.h"

using namespace ide_test;

namespace {

const char* const kFact =
    "function r = fact(n)\n"
    "    if(n <= 1)\n"
    "        r = 1;\n"
    "        return;\n"
    "    end\n"
    "    r = n * fact(n - 1);\n"
    "end\n"
    "x = 4;\n"
    "y = fact(x);\n"
    "y;\n";

struct TextProbe : CCmdUI {
    int enabled = -1;
    std::string text;
    void Enable(BOOL on) override { enabled = on ? 1 : 0; }
    void SetText(const char* t) override { text = t ? t : ""; }
};

class Debugger : public IdeTest {
protected:
    void TearDown() override
    {
        WatcherCallsEnabled() = false;
        AppSettings::AutoCalculate = false;   // Tools Auto Calculate sets the default of new documents
        if (doc && doc->thread) {
            doc->StopRun();
            PumpUntilIdle();
        }
        IdeTest::TearDown();
    }

    // Starts the IDE on one program file.
    void Open(const std::string& text, const char* name = "p.vdx")
    {
        const fs::path file = root / name;
        WriteText(file, text);
        IdeCommandLine line;
        line.files.push_back(file.string());
        ASSERT_TRUE(Start(line));
        CMDIChildWnd* child = Frame()->MDIGetActive();
        ASSERT_NE(child, nullptr);
        doc = dynamic_cast<CVeldraDoc*>(child->GetActiveDocument());
        ASSERT_NE(doc, nullptr);
        view = doc->GetProgramView();
        edit = view->GetVeldraEdit();
        view->SetFocus();
        PumpUntilIdle();
    }
    // The application's pump: its accelerators turn keys into commands.
    void Pump()
    {
        PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; });
    }
    void Key(UINT vk, UINT modifier = 0)
    {
        if (modifier) InjectKey(modifier, true);
        InjectKeyStroke(vk);
        if (modifier) InjectKey(modifier, false);
        Pump();
    }
    bool WaitFor(const std::function<bool()>& done, DWORD ms = 20000)
    {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > ms) return false;
            Pump();
            Sleep(2);
        }
        return true;
    }
    // Line (from 1) of the first marker of a type, 0 when none.
    int MarkerLine(unsigned type)
    {
        std::vector<KyrMarker*> list;
        edit->GetMarkersOfType(list, type);
        return list.empty() ? 0 : list.front()->line + 1;
    }
    bool BreaksOn(int line)
    {
        // Waiting: the break's refreshes have all been sent.
        return WaitFor([&] { return doc->IsAtBreak() && doc->waiting && MarkerLine(MARKER_CURRENT_LINE) == line; });
    }
    void CaretToLine(int line)
    {
        edit->SetCaretOffset(edit->GetLineOffset(line - 1), true, true);
        view->SetFocus();
    }
    bool WaitIdle() { return WaitFor([&] { return doc->GetRunState() == RunState::Idle; }, 30000); }
    CWatcherDlg* Watcher()
    {
        CWatcherBar* bar = FindWatcherBar(doc);
        return bar ? &bar->m_dlg : nullptr;
    }
    HWND Item(CWatcherDlg* d, int id) { return ::GetDlgItem(d->m_hWnd, id); }
    // Types an expression into a row of the watch list.
    bool TypeWatch(CWatcherDlg* d, int row, const std::string& text)
    {
        HWND e = (HWND)::SendMessage(Item(d, IDC_WT_LIST), LVM_EDITLABEL, (WPARAM)row, 0);
        if (!e) return false;
        ::SetWindowText(e, text.c_str());
        ::SendMessage(e, WM_KEYDOWN, VK_RETURN, 0);
        PumpUntilIdle();
        return true;
    }
    void PickFrame(CWatcherDlg* d, int index)
    {
        ::SendMessage(Item(d, IDC_WT_STACK), CB_SETCURSEL, (WPARAM)index, 0);
        d->SendMessage(WM_COMMAND, (WPARAM)(IDC_WT_STACK | (CBN_SELCHANGE << 16)), (LPARAM)Item(d, IDC_WT_STACK));
        PumpUntilIdle();
    }
    std::vector<std::string> StackTexts(CWatcherDlg* d)
    {
        std::vector<std::string> out;
        HWND box = Item(d, IDC_WT_STACK);
        const int n = (int)::SendMessage(box, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            char buf[256] = {};
            ::SendMessage(box, CB_GETLBTEXT, (WPARAM)i, (LPARAM)buf);
            out.push_back(buf);
        }
        return out;
    }

    // A cell of a list view as the list draws it.
    static std::string ListText(HWND list, int row, int column)
    {
        char buf[512] = {};
        LVITEM it{};
        it.iSubItem = column;
        it.pszText = buf;
        it.cchTextMax = (int)sizeof buf;
        ::SendMessage(list, LVM_GETITEMTEXT, (WPARAM)row, (LPARAM)&it);
        return buf;
    }
    // The value column of the variables list's row of a name.
    std::string ShownVariable(CVariablesDlg* d, const std::string& name)
    {
        HWND list = ::GetDlgItem(d->m_hWnd, IDC_VR_LIST);
        const int n = (int)::SendMessage(list, LVM_GETITEMCOUNT, 0, 0);
        for (int i = 0; i < n; ++i)
            if (ListText(list, i, 0) == name) return ListText(list, i, 1);
        return "<none>";
    }
    // A frame large enough for the bars to show whole, its child maximized.
    void RoomForTheBars()
    {
        Frame()->MoveWindow(RECT{0, 0, 1400, 1000});
        if (CMDIChildWnd* child = Frame()->MDIGetActive()) child->ShowWindow(SW_MAXIMIZE);
        Pump();
    }
    // Clicks a variable's row, then "...": the editor the scripts answer opens.
    void OpenVariable(CVariablesDlg* d, const std::string& name)
    {
        HWND list = ::GetDlgItem(d->m_hWnd, IDC_VR_LIST);
        const int n = (int)::SendMessage(list, LVM_GETITEMCOUNT, 0, 0);
        int row = -1;
        for (int i = 0; i < n && row < 0; ++i)
            if (ListText(list, i, 0) == name) row = i;
        ASSERT_GE(row, 0) << name;
        RECT r{0, 0, 0, 0};   // the whole row
        ::SendMessage(list, LVM_GETITEMRECT, (WPARAM)row, (LPARAM)&r);
        POINT p{r.left + 5, (r.top + r.bottom) / 2};
        ::ClientToScreen(list, &p);
        InjectClick(p.x, p.y);
        Pump();
        RECT b;
        ::GetWindowRect(::GetDlgItem(d->m_hWnd, IDC_VR_OPEN), &b);
        InjectClick((b.left + b.right) / 2, (b.top + b.bottom) / 2);
        Pump();
    }

    std::string VariableText(CVariablesDlg* d, const std::string& name)
    {
        for (const VariableRow& r : d->m_rows)
            if (r.name == name) return r.text;
        return "<none>";
    }
    std::vector<std::string> VariableNames(CVariablesDlg* d)
    {
        std::vector<std::string> out;
        for (const VariableRow& r : d->m_rows) out.push_back(r.name);
        return out;
    }

    CVeldraDoc* doc = nullptr;
    CVeldraView* view = nullptr;
    CVeldraEditCtrl* edit = nullptr;
};

TEST_F(Debugger, FactWithBreakpointsStepsCallStackAndWatch)
{
    Open(kFact);
    const bool outputShown = Frame()->OutputBarVisible();
    CaretToLine(3);
    Key(VK_F9);
    EXPECT_EQ(MarkerLine(MARKER_BREAKPOINT), 3);
    TextProbe probe;
    probe.m_nID = ID_TOGGLE_BREAKPOINT;
    probe.DoUpdate(Frame(), TRUE);
    EXPECT_EQ(probe.text, "Remove &Breakpoint");

    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(8));
    EXPECT_TRUE(edit->readOnlyRunning);
    ASSERT_NE(Watcher(), nullptr);
    EXPECT_FALSE(Frame()->OutputBarVisible());
    // Typing changes nothing at a break; F10 and F11 step.
    const std::string before = edit->Text();
    InjectText("zz");
    Pump();
    EXPECT_EQ(edit->Text(), before);
    Key(VK_F10);
    ASSERT_TRUE(BreaksOn(9));
    Key(VK_F11);
    ASSERT_TRUE(BreaksOn(2));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(3));

    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(StackTexts(w), (std::vector<std::string>{"Main local program", "fact", "fact", "fact", "fact"}));
    const int frames = doc->FrameCount();
    // Frames 1..4 are fact(4)..fact(1): the one with n = 3 waits on line 6.
    PickFrame(w, 2);
    EXPECT_EQ(MarkerLine(MARKER_FRAME_LINE), 6);
    CVariablesBar* vars = FindVariablesBar(doc);
    ASSERT_NE(vars, nullptr);
    EXPECT_EQ(VariableText(&vars->m_dlg, "n"), "3");
    EXPECT_EQ(vars->m_dlg.m_current ? vars->m_dlg.m_current->name : "", "Function - fact");
    // The hover tip at a break reads the picked frame.
    std::string tip;
    EXPECT_TRUE(view->ShowValueTip("n", edit->GetLineOffset(5) + 8, &tip));
    EXPECT_EQ(tip, "3");
    EXPECT_FALSE(view->ShowValueTip("x", edit->GetLineOffset(8) + 1, &tip));   // not in that frame
    EXPECT_EQ(MarkerLine(MARKER_CURRENT_LINE), 3);
    const int last = w->RowCount() - 1;
    ASSERT_TRUE(TypeWatch(w, last, "n*2"));
    EXPECT_EQ(w->RowText(last, 0), "n*2");
    EXPECT_EQ(w->RowText(last, 1), "6");
    EXPECT_EQ(w->RowCount(), last + 2);   // a new empty row
    PickFrame(w, 4);
    EXPECT_EQ(w->RowText(last, 1), "2");
    EXPECT_EQ(MarkerLine(MARKER_FRAME_LINE), 0);
    EXPECT_EQ(doc->FrameCount(), frames);   // picking pushes and pops nothing

    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Watcher(), nullptr);
    EXPECT_EQ(MarkerLine(MARKER_CURRENT_LINE), 0);
    EXPECT_EQ(MarkerLine(MARKER_FRAME_LINE), 0);
    EXPECT_EQ(Frame()->OutputBarVisible(), outputShown);
    EXPECT_FALSE(edit->readOnlyRunning);

    // Run to Cursor with no breakpoints left.
    view->OnRemoveAllBreakpoints();
    CaretToLine(10);
    Key(VK_F10, VK_CONTROL);
    ASSERT_TRUE(BreaksOn(10));
    Key(VK_F5);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Watcher(), nullptr);
}

TEST_F(Debugger, BreakHaltsALoopAndStartDebugContinues)
{
    Open("i = 0;\nwhile(1)\n    i = i + 1;\nend\n");
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));
    Key(VK_F5);   // on to a breakpoint: there is none
    ASSERT_TRUE(WaitFor([&] { return !doc->IsAtBreak(); }));
    Pump();
    EXPECT_TRUE(doc->IsDebugRunning());
    // Outside a break the stack box is empty and no watch edit begins.
    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(WaitFor([&] { return StackTexts(w).empty(); }));
    EXPECT_EQ(::SendMessage(Item(w, IDC_WT_LIST), LVM_EDITLABEL, 0, 0), 0);
    Frame()->SendMessage(WM_COMMAND, ID_DEBUG_BREAK);
    ASSERT_TRUE(WaitFor([&] {
        const int line = MarkerLine(MARKER_CURRENT_LINE);
        return doc->IsAtBreak() && (line == 2 || line == 3);
    }));
    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
}

TEST_F(Debugger, RuntimeErrorBreaksAndRetries)
{
    // Reading z[5] is no error in this language: a product of mismatched sizes is.
    Open("z = [1, 2, 3];\ny = z * ones(2, 2);\n");
    TakeMessageBoxLog();
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(2));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Veldra error is occured"}));
    Key(VK_F10);
    ASSERT_TRUE(WaitFor([&] { return !TakeMessageBoxLog().empty(); }));
    ASSERT_TRUE(BreaksOn(2));
    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(TakeMessageBoxLog().empty());
}

TEST_F(Debugger, WatchSetsUnknownNamesAndTheFunctionGate)
{
    Open("function r = slow(k)\n    r = 0;\n    while(r < k)\n        pause(0.001);\n        r = r + 1;\n    end\nend\n"
         "a = 1;\nb = 2;\nc = 3;\n");
    app->WriteProfileString("Settings", "W0", "a\n\nb");
    app->WriteProfileInt("Settings", "WN", 0);
    ASSERT_EQ(app->GetProfileString("Settings", "W0", ""), "a\n\nb");
    CaretToLine(10);
    Key(VK_F10, VK_CONTROL);
    ASSERT_TRUE(BreaksOn(10));
    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->RowCount(), 3);
    EXPECT_EQ(w->RowText(0, 0), "a");
    EXPECT_EQ(w->RowText(0, 1), "1");
    EXPECT_EQ(w->RowText(1, 1), "2");
    EXPECT_EQ(w->RowText(2, 0), "");
    ASSERT_TRUE(TypeWatch(w, 2, "nosuch"));
    EXPECT_EQ(w->RowText(2, 1), "Variable is not defined above");
    EXPECT_EQ(app->GetProfileString("Settings", "W0", ""), "a\nb\nnosuch");

    const int frames = doc->FrameCount();
    ASSERT_TRUE(TypeWatch(w, 3, "slow(3)"));
    EXPECT_EQ(w->RowText(3, 1), GetErrorText(ERR_SHARING_VIOLATION));
    WatcherCallsEnabled() = true;
    ASSERT_TRUE(TypeWatch(w, 3, "slow(3)"));
    EXPECT_EQ(w->RowText(3, 1), "3");
    EXPECT_TRUE(doc->IsAtBreak());
    EXPECT_EQ(MarkerLine(MARKER_CURRENT_LINE), 10);
    EXPECT_EQ(doc->FrameCount(), frames);

    // Keys in the list: a letter starts an edit, Delete removes the row.
    HWND list = Item(w, IDC_WT_LIST);
    w->SelectRow(w->RowCount() - 1);
    ::SetFocus(list);
    InjectText("q");
    Pump();
    HWND labelEdit = (HWND)::SendMessage(list, LVM_GETEDITCONTROL, 0, 0);
    ASSERT_NE(labelEdit, nullptr);
    InjectText("1");
    Pump();
    char typed[16] = {};
    ::GetWindowText(labelEdit, typed, sizeof typed);
    EXPECT_STREQ(typed, "q1");
    InjectKeyStroke(VK_RETURN);
    Pump();
    ASSERT_EQ(w->RowText(w->RowCount() - 2, 0), "q1");
    EXPECT_EQ(w->RowText(w->RowCount() - 2, 1), "Variable is not defined above");
    w->SelectRow(w->RowCount() - 2);
    ::SetFocus(list);
    Key(VK_DELETE);
    EXPECT_EQ(w->RowText(w->RowCount() - 2, 0), "slow(3)");

    // Removing a watch and the empty row.
    w->RemoveWatch(w->RowCount() - 1);
    EXPECT_EQ(w->RowCount(), 5);
    w->RemoveWatch(3);
    EXPECT_EQ(w->RowCount(), 4);

    // The third set is remembered.
    HWND sets = Item(w, IDC_WT_SETS);
    ::SendMessage(sets, CB_SETCURSEL, 2, 0);
    w->SendMessage(WM_COMMAND, (WPARAM)(IDC_WT_SETS | (CBN_SELCHANGE << 16)), (LPARAM)sets);
    EXPECT_EQ(app->GetProfileInt("Settings", "WN", 0), 2u);
    EXPECT_EQ(w->RowCount(), 1);

    // A label edit when the run stops: the frame's keys work again.
    ASSERT_NE(::SendMessage(Item(w, IDC_WT_LIST), LVM_EDITLABEL, 0, 0), 0);
    auto* child = dynamic_cast<CChildFrame*>(view->GetParentFrame());
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->KeyboardPassThrough());
    Frame()->SendMessage(WM_COMMAND, ID_DEBUG_STOP);
    ASSERT_TRUE(WaitIdle());
    PumpUntilIdle();
    EXPECT_FALSE(child->KeyboardPassThrough());
    view->SetFocus();
    Key(VK_F5, VK_CONTROL);
    // The run has made its variable (Idle alone may be the state before it began).
    CVarSlot* c = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        c = doc->Vars()->Find("c");
        return c && c->value && doc->GetRunState() == RunState::Idle;
    }, 30000)) << "state " << (int)doc->GetRunState() << ", run lock held " << RunLockHeld() << ", by this "
               << (RunLockHolder() == doc) << ", stopping " << doc->stopping << ", abandoned thread running "
               << doc->AbandonedThreadRunning() << ", modified " << doc->IsModified() << ", c "
               << (c ? "local" : GlobalVariables.Find("c") ? "global" : "none");
    EXPECT_EQ(c->value->Real(), 3);
}

TEST_F(Debugger, HidingAWatcherDestroysIt)
{
    Open("a = 1;\nb = 2;\n");
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));
    for (int i = 0; i < 100; ++i) {
        CWatcherBar* bar = FindWatcherBar(doc);
        if (!bar) {
            Frame()->SendMessage(WM_COMMAND, ID_TOOLS_WATCHER);
            PumpUntilIdle();
            bar = FindWatcherBar(doc);
        }
        ASSERT_NE(bar, nullptr) << i;
        CFrameWnd* site = view->GetParentFrame();
        if (i % 2) site->FloatControlBar(bar, POINT{300 + i, 300}, CBRS_ALIGN_TOP);
        PumpUntilIdle();
        site->ShowControlBar(bar, FALSE, FALSE);
        PumpUntilIdle();
        ASSERT_EQ(FindWatcherBar(doc), nullptr) << i;
    }
    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
}

TEST_F(Debugger, AutoCalculateTypedLines)
{
    Open("");
    Frame()->SendMessage(WM_COMMAND, ID_TOOLS_AUTOCALC);
    PumpUntilIdle();
    ASSERT_TRUE(doc->autoCalculate);
    ASSERT_EQ(edit->executedMark, edit->Length());
    auto typeLine = [&](const std::string& text) {
        InjectText(text);
        Pump();
        InjectKeyStroke(VK_RETURN);
        Pump();
        return WaitIdle();
    };
    ASSERT_TRUE(typeLine("a = 1"));
    EXPECT_EQ(edit->Text(), "a = 1;\n");
    EXPECT_EQ(edit->executedMark, edit->Length());
    EXPECT_EQ(edit->CaretOffset(), edit->Length());

    Frame()->m_wndOutputBar.m_output.OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
    ASSERT_TRUE(typeLine("a"));
    EXPECT_NE(Frame()->m_wndOutputBar.m_output.GetWindowText().find("1"), std::string::npos);
    EXPECT_EQ(edit->Text(), "a = 1;\na;\n");

    const int statements = doc->Count(), vars = doc->Vars()->Count();
    const int mark = edit->executedMark;
    ASSERT_TRUE(typeLine("b = a +"));
    EXPECT_EQ(edit->Text(), "a = 1;\na;\nb = a +");
    EXPECT_EQ(doc->Count(), statements);
    EXPECT_EQ(doc->Vars()->Count(), vars);
    EXPECT_EQ(edit->executedMark, mark);
    EXPECT_FALSE(edit->readOnlyRunning);
    {
        // A line that does not translate leaves the variables of the earlier lines shown.
        CVariablesDlg* window = &FindVariablesBar(doc)->m_dlg;
        EXPECT_EQ(VariableText(window, "a"), "1");
        EXPECT_EQ((int)::SendMessage(::GetDlgItem(window->m_hWnd, IDC_VR_LIST), LVM_GETITEMCOUNT, 0, 0), (int)window->m_rows.size());
    }
    ASSERT_TRUE(edit->DeleteText(mark, edit->Length()));

    ASSERT_TRUE(typeLine("c = ones(2, 2) * ones(3, 3)"));
    EXPECT_EQ(doc->Count(), statements);
    EXPECT_EQ(doc->Vars()->Find("c"), nullptr);
    CVariablesDlg* window = &FindVariablesBar(doc)->m_dlg;
    EXPECT_EQ(VariableText(window, "c"), "<none>");
    EXPECT_EQ(VariableText(window, "a"), "1");
    ASSERT_TRUE(edit->DeleteText(mark, edit->Length()));

    ASSERT_TRUE(typeLine("return"));
    EXPECT_EQ(doc->Count(), statements + 1);
    EXPECT_EQ(edit->Text(), "a = 1;\na;\nreturn;\n");

    // Executed text cannot change: Backspace at the mark, undo after a run.
    const std::string done = edit->Text();
    Key(VK_BACK);
    EXPECT_EQ(edit->Text(), done);
    Key('Z', VK_CONTROL);
    EXPECT_EQ(edit->Text(), done);
    edit->SetCaretOffset(2, true, true);
    InjectText("q");
    Pump();
    EXPECT_EQ(edit->Text(), done + "q");
    // Ctrl+Enter breaks the line without running it.
    Key(VK_RETURN, VK_CONTROL);
    EXPECT_EQ(edit->Text(), done + "q\n");
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
}

TEST_F(Debugger, VariablesScopesSortingUnlinkAndRunState)
{
    Open("a = 1;\nB = 2;\n_x = 3;\n");
    CVariablesBar* bar = FindVariablesBar(doc);
    ASSERT_NE(bar, nullptr);
    CVariablesDlg* d = &bar->m_dlg;
    // The libraries with constants have scopes of their own.
    EXPECT_EQ(d->ScopeNames(), (std::vector<std::string>{"Local", "Basic", "File Access", "Global"}));
    Key(VK_F5, VK_CONTROL);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(VariableNames(d), (std::vector<std::string>{"B", "_x", "a"}));
    EXPECT_EQ(VariableText(d, "B"), "2");
    char name[64] = {};
    ::GetWindowText(::GetDlgItem(d->m_hWnd, IDC_VR_NAME), name, sizeof name);
    EXPECT_STREQ(name, "B");   // row 0 shown
    doc->Vars()->Add("u", false);
    doc->RefreshVariablesBars(2);
    EXPECT_EQ(VariableText(d, "u"), "UNLINK");
    // Frame toggling destroys and makes the bar.
    Frame()->SendMessage(WM_COMMAND, ID_TOOLS_VARIABLES);
    PumpUntilIdle();
    EXPECT_EQ(FindVariablesBar(doc), nullptr);
    Frame()->SendMessage(WM_COMMAND, ID_TOOLS_VARIABLES);
    PumpUntilIdle();
    ASSERT_NE(FindVariablesBar(doc), nullptr);
}

TEST_F(Debugger, VariablesWhileRunningAndAUserFunctionScope)
{
    Open("function r = f(k)\n    r = k;\nend\ni = 0;\nwhile(1)\n    i = i + 1;\n    pause(0.01);\nend\n");
    CVariablesDlg* d = &FindVariablesBar(doc)->m_dlg;
    EXPECT_EQ(d->ScopeNames(), (std::vector<std::string>{"Local", "Function - f", "Basic", "File Access", "Global"}));
    Key(VK_F5, VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return doc->GetRunState() == RunState::Running; }));
    Pump();
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, IDC_VR_SCOPE)));
    // A refresh of its own accord keeps the texts it has.
    d->RereadRows();
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_STOP);
    ASSERT_TRUE(WaitIdle());
    Pump();
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, IDC_VR_SCOPE)));
}

// A's variables window and hover tips while B's program assigns and clears
// globals: A reads no global B may be freeing (the sanitizer builds watch).
TEST_F(Debugger, GlobalsOfAnotherRunningProgram)
{
    Open("global g;\ng = 5;\n", "a.vdx");
    CVeldraDoc* a = doc;
    Key(VK_F5, VK_CONTROL);
    ASSERT_TRUE(WaitIdle());
    CVariablesDlg* d = &FindVariablesBar(a)->m_dlg;
    ASSERT_TRUE(d->SelectScope("Global"));
    EXPECT_EQ(VariableText(d, "g"), "5");
    std::string tip;
    EXPECT_TRUE(a->GetProgramView()->ShowValueTip("g", 8, &tip));
    EXPECT_EQ(tip, "5");

    const fs::path b = root / "b.vdx";
    WriteText(b, "while(1)\n    global g;\n    g = [1, 2, 3];\n    clear g;\n    global h;\n    h = 1;\nend\n");
    auto* other = dynamic_cast<CVeldraDoc*>(app->OpenDocumentFile(b.c_str()));
    ASSERT_NE(other, nullptr);
    PumpUntilIdle();
    other->GetProgramView()->SetFocus();
    Key(VK_F5, VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return other->GetRunState() == RunState::Running && RunLockHeld(); }));
    for (int i = 0; i < 200; ++i) {
        d->RereadRows();
        d->SelectScope("Local");
        d->SelectScope("Global");
        EXPECT_FALSE(a->GetProgramView()->ShowValueTip("g", 8, &tip));
        Pump();
    }
    // The rows keep their texts; nothing was read from the running program's globals.
    Frame()->SendMessage(WM_COMMAND, ID_PROGRAM_STOP);
    ASSERT_TRUE(WaitFor([&] { return other->GetRunState() == RunState::Idle; }));
    d->RereadRows();
    EXPECT_NE(VariableText(d, "h"), "<none>");
}

// The program's requests reach the view while the program thread waits in
// SendMessage: the global counter read there is the statement it stands at.
WNDPROC g_viewProc = nullptr;
HWND g_plotWindow = nullptr;
int g_counterWhenBack = -1;

LRESULT CountingViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = CallWindowProc(g_viewProc, hwnd, msg, wParam, lParam);
    if (msg == ProgramRequestMessage() && g_counterWhenBack < 0 && g_plotWindow &&
        ::GetForegroundWindow() == g_plotWindow)
        if (CVarSlot* c = GlobalVariables.Find("c"); c && c->value) g_counterWhenBack = (int)c->value->Real();
    return r;
}

TEST_F(Debugger, ADeviceWindowGetsTheForegroundBackWithinSevenStatements)
{
    CSettingsFile& store = CSettingsFile::Open(ConfigFile().string());
    store.WriteInt("Settings", "Ver", 4);
    store.WriteString("Settings", "301", std::string(std::getenv("VELDRA_OUT")) + "/bin");
    std::string text = "o = {points=0.5}; plot circle #F (0, 0, 1, o);\nk = 0;\nglobal c;\nc = 0;\n";
    for (int i = 1; i <= 12; ++i) text += "c = " + std::to_string(i) + ";\n";
    Open(text);
    HWND frame = Frame()->m_hWnd;
    CaretToLine(2);
    Key(VK_F9);
    CaretToLine(4);
    Key(VK_F9);
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(2));
    HWND plot = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (const VisibleWindow& w : VisibleTopLevelWindows())
            if (w.hwnd != frame && ::GetWindowThreadProcessId(w.hwnd, nullptr) != ::GetCurrentThreadId()) plot = w.hwnd;
        return plot != nullptr;
    }));
    // The device window has the foreground at the next break; the IDE takes it.
    ::SetForegroundWindow(plot);
    ASSERT_EQ(::GetForegroundWindow(), plot);
    Frame()->SendMessage(WM_COMMAND, ID_DEBUG_START);   // keys would go to the plot window
    ASSERT_TRUE(BreaksOn(4));
    EXPECT_EQ(::GetForegroundWindow(), frame);

    g_plotWindow = plot;
    g_counterWhenBack = -1;
    g_viewProc = (WNDPROC)::SetWindowLongPtr(view->m_hWnd, GWLP_WNDPROC, (LONG_PTR)CountingViewProc);
    Key(VK_F5);
    const bool ended = WaitIdle();
    ::SetWindowLongPtr(view->m_hWnd, GWLP_WNDPROC, (LONG_PTR)g_viewProc);
    g_plotWindow = nullptr;
    ASSERT_TRUE(ended);
    // c = 0 is the first statement after the resume, c = 6 the seventh.
    EXPECT_GE(g_counterWhenBack, 0);
    EXPECT_LE(g_counterWhenBack, 5);
    EXPECT_EQ(::GetForegroundWindow(), plot);
    ::PostMessage(plot, WM_CLOSE, 0, 0);
    WaitFor([&] { return !::IsWindow(plot); }, 5000);
}

// A value changed in its editor at a break shows at once in the variables
// window and in the watches, and the run goes on with it.
TEST_F(Debugger, ValueInsertedAtABreakShowsAtOnce)
{
    Open("x = 4;\ny = x + 1;\ny;\n");
    CaretToLine(2);
    Key(VK_F9);
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));   // a debug run stops at its first statement
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(2));
    RoomForTheBars();
    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(TypeWatch(w, w->RowCount() - 1, "x*2"));
    ASSERT_EQ(w->RowText(0, 1), "8");
    CVariablesDlg* d = &FindVariablesBar(doc)->m_dlg;
    ASSERT_EQ(ShownVariable(d, "x"), "4");

    vetest::ScriptedEditors script;
    script.Add([](CDialog* e) {
        vetest::TypeAndLeave(e, IDC_VE_VALUE, "10");
        vetest::PostCommand(e, IDOK);
    });
    OpenVariable(d, "x");
    ASSERT_TRUE(script.AllRan());
    EXPECT_EQ(ShownVariable(d, "x"), "10");
    char shown[64] = {};
    ::GetWindowText(::GetDlgItem(d->m_hWnd, IDC_VR_VALUE), shown, sizeof shown);
    EXPECT_STREQ(shown, "10");
    EXPECT_EQ(w->RowText(0, 1), "20");
    ::GetWindowText(::GetDlgItem(w->m_hWnd, IDC_WT_VALUE), shown, sizeof shown);
    EXPECT_STREQ(shown, "20");
    Key(VK_F5);
    ASSERT_TRUE(WaitIdle());
    const std::string out = Frame()->m_wndOutputBar.m_output.GetWindowText();
    EXPECT_NE(out.find("11"), std::string::npos) << out;
}

// In an outer call of a recursive function the editor changes that call's
// value, not the innermost call's.
TEST_F(Debugger, ValueInsertedInAnOuterRecursiveFrameStaysThere)
{
    Open(kFact);
    CaretToLine(3);
    Key(VK_F9);
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(8));
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(3));
    RoomForTheBars();
    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(TypeWatch(w, w->RowCount() - 1, "n*2"));
    CVariablesDlg* d = &FindVariablesBar(doc)->m_dlg;
    PickFrame(w, 2);   // fact(3)
    ASSERT_EQ(ShownVariable(d, "n"), "3");
    vetest::ScriptedEditors script;
    script.Add([](CDialog* e) {
        vetest::TypeAndLeave(e, IDC_VE_VALUE, "7");
        vetest::PostCommand(e, IDOK);
    });
    OpenVariable(d, "n");
    ASSERT_TRUE(script.AllRan());
    EXPECT_EQ(ShownVariable(d, "n"), "7");
    EXPECT_EQ(w->RowText(0, 1), "14");
    PickFrame(w, 4);   // fact(1), where the program stands
    EXPECT_EQ(ShownVariable(d, "n"), "1");
    EXPECT_EQ(w->RowText(0, 1), "2");
    PickFrame(w, 2);
    EXPECT_EQ(ShownVariable(d, "n"), "7");
    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
}

// The watcher's "&Add" button is hidden: nothing stands over the list.
TEST_F(Debugger, WatcherShowsNoAddButton)
{
    Open("x = 1;\ny = 2;\n");
    CaretToLine(2);
    Key(VK_F9);
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(1));   // a debug run stops at its first statement
    Key(VK_F5);
    ASSERT_TRUE(BreaksOn(2));
    CWatcherDlg* w = Watcher();
    ASSERT_NE(w, nullptr);
    HWND add = ::GetDlgItem(w->m_hWnd, IDC_WT_ADD);
    ASSERT_NE(add, nullptr);
    EXPECT_FALSE(::IsWindowVisible(add));
    HWND del = ::GetDlgItem(w->m_hWnd, IDC_WT_DELETE);
    EXPECT_TRUE(::IsWindowVisible(del));
    // Where the button was, the window under the point is not the button.
    RECT r;
    ::GetWindowRect(add, &r);
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_NE(::WindowFromPoint(centre), add);
    // A click there adds nothing and opens nothing.
    const int rows = w->RowCount();
    InjectClick(centre.x, centre.y);
    Pump();
    EXPECT_EQ(w->RowCount(), rows);
    Key(VK_F5, VK_SHIFT);
    ASSERT_TRUE(WaitIdle());
}

}  // namespace
