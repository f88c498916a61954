// The program document and view: the run commands per state, Stop and
// Pause, read-only while running, Comment/Uncomment, breakpoints, the hover
// tip, the run lock between two documents and the abandoned thread.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "ide/run/run_lock.h"
#include "interpreter/statement_module.h"
#include "interpreter/func_records.h"
#include "interpreter/translator.h"
#include "interpreter/user_function.h"
#include "interpreter/var_table.h"
#include "platform/backend/headless_input.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/long_waits.h"
#include "values/app_settings.h"
#include "tests/ide/program_host.h"

namespace fs = std::filesystem;

namespace {

void CopyTextToClipboardForTest(const std::string& text)
{
    KyrEditCtrl scratch;
    scratch.CopyToClipboard(text);
}

class ProgramDoc : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        dir = fs::path(testing::TempDir()) / ("veldra-doc-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        app = std::make_unique<CProgramHostApp>();
        ASSERT_TRUE(app->InitInstance());
    }
    void TearDown() override
    {
        app.reset();
        SetLongWaitScale(1);
        fs::remove_all(dir);
        AfxTest::TearDown();
    }
    // A program file in its own folder, opened as a document.
    CVeldraDoc* Open(const std::string& name, const std::string& text, const std::string& sub = "")
    {
        fs::path folder = dir / sub;
        fs::create_directories(folder);
        WriteFileBytes(folder / name, text);
        auto* doc = dynamic_cast<CVeldraDoc*>(app->OpenDocumentFile((folder / name).c_str()));
        PumpUntilIdle();
        return doc;
    }
    std::string Output() { return app->m_output->GetWindowText(); }
    double Global(CVeldraDoc* doc, const char* name)
    {
        CVarSlot* s = doc->Vars()->Find(name);
        if (!s) s = GlobalVariables.Find(name);
        return s && s->value && s->value->Type() == VT_REAL ? s->value->Real() : -1;
    }

    fs::path dir;
    std::unique_ptr<CProgramHostApp> app;
};

struct CommandStates {
    bool calculate, pause, stop;
};

void ExpectCommands(CVeldraDoc* doc, CommandStates want, const char* state)
{
    EXPECT_EQ(CommandEnabled(doc, ID_PROGRAM_CALCULATE), want.calculate) << state;
    EXPECT_EQ(CommandEnabled(doc, ID_PROGRAM_PAUSE), want.pause) << state;
    EXPECT_EQ(CommandEnabled(doc, ID_PROGRAM_STOP), want.stop) << state;
}

TEST_F(ProgramDoc, CommandEnablesFollowTheRunState)
{
    CVeldraDoc* doc = Open("count.vdx", "n = 0;\nwhile (1)\n  n = n + 1;\nend\n");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
    ExpectCommands(doc, {true, false, false}, "Idle");

    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_EQ(doc->GetRunState(), RunState::Running);
    ExpectCommands(doc, {false, true, true}, "Running");

    DoCommand(doc, ID_PROGRAM_PAUSE);
    ASSERT_EQ(doc->GetRunState(), RunState::Suspended);
    ExpectCommands(doc, {false, true, true}, "Suspended");
    // Pause freezes the loop until Pause again: once the thread waits at its
    // next statement, the count no longer moves.
    ASSERT_TRUE(PumpUntil([&] { return IsThreadHeld(doc->thread) != FALSE; }, 20000));
    const double frozen = Global(doc, "n");
    PumpUntilIdle();
    EXPECT_TRUE(IsThreadHeld(doc->thread));
    EXPECT_EQ(Global(doc, "n"), frozen);
    DoCommand(doc, ID_PROGRAM_PAUSE);
    ASSERT_TRUE(PumpUntil([&] { return Global(doc, "n") > frozen; }, 5000));

    DoCommand(doc, ID_PROGRAM_STOP);
    EXPECT_TRUE(TakeMessageBoxLog().empty());
    // Stopped: the thread has ended, its handle is closed.
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);

    // Finished: the handle is held until timer 10; Calculate does nothing meanwhile.
    CVeldraDoc* quick = Open("quick.vdx", "a = 1;\n");
    DoCommand(quick, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([&] { return !quick->IsThreadAlive(); }));
    ASSERT_EQ(quick->GetRunState(), RunState::Finished);
    ExpectCommands(quick, {false, false, false}, "Finished");
    DoCommand(quick, ID_PROGRAM_CALCULATE);
    EXPECT_EQ(quick->GetRunState(), RunState::Finished);
    ASSERT_TRUE(FinishRun(quick));
    ExpectCommands(quick, {true, false, false}, "Idle again");
}

TEST_F(ProgramDoc, StopEndsBusyLoopsAndPausesWithoutTheQuestion)
{
    for (const char* text : {"s = 1;\nwhile (1)\nend\n", "s = 1;\npause(10);\n"}) {
        CVeldraDoc* doc = Open("stop.vdx", text);
        ASSERT_NE(doc, nullptr);
        DoCommand(doc, ID_PROGRAM_CALCULATE);
        ASSERT_TRUE(doc->IsThreadAlive()) << text;
        // Past its first statement: in the loop or the pause.
        ASSERT_TRUE(PumpUntil([&] { return Global(doc, "s") == 1; }, 20000)) << text;
        const DWORD t0 = GetTickCount();
        DoCommand(doc, ID_PROGRAM_STOP);
        EXPECT_LT(GetTickCount() - t0, 2000u) << text;
        EXPECT_EQ(doc->GetRunState(), RunState::Idle) << text;
        EXPECT_TRUE(TakeMessageBoxLog().empty()) << text;
        EXPECT_FALSE(doc->IsAbandoned());
        doc->OnCloseDocument();
        PumpUntilIdle();
    }
}

TEST_F(ProgramDoc, EditorIsReadOnlyWhileRunning)
{
    CVeldraDoc* doc = Open("ro.vdx", "while (1)\nend\n");
    CVeldraView* view = doc->GetProgramView();
    ASSERT_NE(view, nullptr);
    KyrEditCtrl* edit = view->GetEditCtrl();
    const std::string before = edit->Text();
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    EXPECT_FALSE(edit->InsertText("x", 0));
    EXPECT_FALSE(edit->DeleteText(0, 3));
    view->ReplaceAll("while", "until", FR_DOWN);
    EXPECT_EQ(edit->Text(), before);
    // Cut and Paste do nothing; the caret still moves.
    edit->SetSel(0, 5);
    DoCommand(view, ID_EDIT_CUT);
    CopyTextToClipboardForTest("pasted");
    DoCommand(view, ID_EDIT_PASTE);
    EXPECT_EQ(edit->Text(), before);
    EXPECT_TRUE(edit->SetCaretOffset(3, true, true));
    DoCommand(doc, ID_PROGRAM_STOP);
    ASSERT_TRUE(FinishRun(doc));
    EXPECT_TRUE(edit->InsertText("x", 0));
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), before);
}

// The modified state follows the undo history's save point: undone back to
// the saved text (breakpoints set meanwhile), the document is clean again.
TEST_F(ProgramDoc, ModifiedFollowsTheSavePoint)
{
    CVeldraDoc* doc = Open("m.vdx", "a = 1;\nb = 2;\n");
    CVeldraView* view = doc->GetProgramView();
    KyrEditCtrl* edit = view->GetEditCtrl();
    ASSERT_FALSE(doc->IsModified());
    ASSERT_TRUE(edit->InsertText("x", 0));
    EXPECT_TRUE(doc->IsModified());
    edit->SetCaretOffset(8, true, false);
    DoCommand(view, ID_TOGGLE_BREAKPOINT);
    DoCommand(view, ID_EDIT_UNDO);
    EXPECT_EQ(edit->Text(), "a = 1;\nb = 2;\n");
    EXPECT_FALSE(doc->IsModified());
    DoCommand(view, ID_EDIT_REDO);
    EXPECT_TRUE(doc->IsModified());

    // Saved in the middle of the history: modified on either side of it.
    DoCommand(doc, ID_FILE_SAVE);
    EXPECT_FALSE(doc->IsModified());
    ASSERT_TRUE(edit->InsertText("y", 0));
    EXPECT_TRUE(doc->IsModified());
    DoCommand(view, ID_EDIT_UNDO);
    EXPECT_FALSE(doc->IsModified());
    DoCommand(view, ID_EDIT_UNDO);
    EXPECT_EQ(edit->Text(), "a = 1;\nb = 2;\n");
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(ProgramDoc, CommentAndUncommentLines)
{
    struct Case {
        const char* text;
        int selStart, selEnd;  // -1: the caret at selEnd only
        bool comment;
        const char* want;
    };
    const Case cases[] = {
        {"a = 1;\nb = 2;\n", -1, 2, true, "%a = 1;\nb = 2;\n"},
        {"a = 1;\nb = 2;\nc = 3;\n", 2, 9, true, "%a = 1;\n%b = 2;\nc = 3;\n"},
        // A selection ending at a line start leaves that line alone.
        {"a = 1;\nb = 2;\n", 0, 7, true, "%a = 1;\nb = 2;\n"},
        {"  %a = 1;\n%b = 2;\n", 0, 12, false, "  a = 1;\nb = 2;\n"},
        // Only the first "%" goes, and only after blanks and tabs.
        // (A tab is loaded as four spaces.)
        {"%%a\nx % y\n\t%z\n", 0, 17, false, "%a\nx % y\n    z\n"},
        {"a\n", -1, 0, false, "a\n"},
    };
    CVeldraDoc* doc = Open("c.vdx", "");
    KyrEditCtrl* edit = doc->GetProgramView()->GetEditCtrl();
    for (const Case& c : cases) {
        edit->SetText(c.text);
        if (c.selStart < 0) {
            edit->SetSel(-1, 0);
            edit->SetCaretOffset(c.selEnd, false, false);
        } else {
            edit->SetSel(c.selStart, c.selEnd);
        }
        DoCommand(doc->GetProgramView(), c.comment ? ID_EDIT_COMMENT : ID_EDIT_UNCOMMENT);
        EXPECT_EQ(edit->Text(), c.want) << c.text;
    }
    // One undo takes back a command over several lines.
    edit->SetText("a\nb\nc\n");
    edit->SetSel(0, 5);
    DoCommand(doc->GetProgramView(), ID_EDIT_COMMENT);
    EXPECT_EQ(edit->Text(), "%a\n%b\n%c\n");
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), "a\nb\nc\n");
    EXPECT_TRUE(CommandEnabled(doc->GetProgramView(), ID_EDIT_COMMENT));
    EXPECT_TRUE(CommandEnabled(doc->GetProgramView(), ID_EDIT_UNCOMMENT));
}

TEST_F(ProgramDoc, InsertTextsGoToTheCaret)
{
    CVeldraDoc* doc = Open("i.vdx", "a;\n");
    KyrEditCtrl* edit = doc->GetProgramView()->GetEditCtrl();
    edit->SetCaretOffset(0, false, false);
    doc->InsertValueText("m", "[1, 2]");
    EXPECT_EQ(edit->Text(), "m = [1, 2]a;\n");
    edit->SetCaretOffset(0, false, false);
    doc->InsertValueText("", "<01>");
    EXPECT_EQ(edit->Text().rfind("<01>m = [1, 2]", 0), 0u) << edit->Text();
    CValue v;
    v.SetReal(2.5);
    edit->SetText("");
    doc->InsertValue("x", &v);
    EXPECT_EQ(edit->Text().rfind("x = 2.5", 0), 0u) << edit->Text();
    EXPECT_EQ(edit->Text().find('\n'), std::string::npos);
}

TEST_F(ProgramDoc, BreakpointToggleAndItsMenuText)
{
    CVeldraDoc* doc = Open("b.vdx", "a = 1;\nb = 2;\n");
    CVeldraView* view = doc->GetProgramView();
    KyrEditCtrl* edit = view->GetEditCtrl();
    edit->SetCaretOffset(8, false, false);
    std::string text;
    CommandEnabled(view, ID_TOGGLE_BREAKPOINT, &text);
    EXPECT_EQ(text, "Insert &Breakpoint");
    EXPECT_FALSE(CommandEnabled(view, ID_REMOVE_ALL_BREAKPOINTS));
    DoCommand(view, ID_TOGGLE_BREAKPOINT);
    ASSERT_NE(edit->FindMarker(1, MARKER_BREAKPOINT), nullptr);
    CommandEnabled(view, ID_TOGGLE_BREAKPOINT, &text);
    EXPECT_EQ(text, "Remove &Breakpoint");
    EXPECT_TRUE(CommandEnabled(view, ID_REMOVE_ALL_BREAKPOINTS));
    DoCommand(view, ID_REMOVE_ALL_BREAKPOINTS);
    EXPECT_EQ(edit->FindMarker(1, MARKER_BREAKPOINT), nullptr);
}

TEST_F(ProgramDoc, HoverTipListsEveryOverloadAndStatementKeywords)
{
    CVeldraDoc* doc = Open("t.vdx", "y = sin (x);\nwhile (1)\nend\nsin = 2;\n");
    CVeldraView* view = doc->GetProgramView();
    std::string tip;
    ASSERT_TRUE(view->ShowValueTip("sin", 7, &tip));
    std::vector<FunctionOverload> list;
    CountFunctionOverloads("sin", 0, 0, list);
    ASSERT_GE(list.size(), 1u);
    for (const FunctionOverload& o : list) {
        auto* e = static_cast<const FuncEntry*>(o.pointer);
        if (o.kind == 1 && e->prototype) EXPECT_NE(tip.find(e->prototype), std::string::npos) << tip;
    }
    ASSERT_TRUE(view->ShowValueTip("while", 18, &tip));
    EXPECT_EQ(tip.rfind("while\n", 0), 0u) << tip;
    // "sin" not followed by "(": the variable, not run yet.
    EXPECT_TRUE(view->ShowValueTip("sin", 31, &tip));
    EXPECT_FALSE(tip.empty());
    EXPECT_FALSE(view->ShowValueTip("nosuch", 31, &tip));

    // The mouse resting on "sin" shows the same tip.
    KyrEditCtrl* edit = view->GetEditCtrl();
    const std::string expected = [&] {
        std::string t;
        view->ShowValueTip("sin", 7, &t);
        return t;
    }();
    POINT p{};
    ASSERT_TRUE(edit->PointFromOffset(5, &p));
    edit->DocumentToClient(p);
    p.x += 2;
    p.y += 2;
    ::ClientToScreen(edit->m_hWnd, &p);
    // The tip window shows after the pointer rests: a clock of the test's own.
    static uint64_t ticks = 5000000;
    SetTickSource([]() -> uint64_t { return ticks; });
    auto pump = [] {
        PumpUntilIdle([](MSG& m) {
            for (HWND h = m.hwnd; h; h = GetParent(h))
                if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(&m)) return true;
            return false;
        });
    };
    InjectMouseMove(p.x, p.y);
    pump();
    ticks += 600;
    pump();
    SetTickSource(nullptr);
    EXPECT_EQ(edit->TipText(), expected);
}

// The tip of the word under a resting pointer: the pointer moves onto the
// character at offset and stays past the tip's delay (a clock of the test's own).
void RestPointerOn(KyrEditCtrl* edit, int offset)
{
    POINT p{};
    ASSERT_TRUE(edit->PointFromOffset(offset, &p));
    edit->DocumentToClient(p);
    p.x += 2;
    p.y += 2;
    ::ClientToScreen(edit->m_hWnd, &p);
    static uint64_t ticks = 9000000;
    SetTickSource([]() -> uint64_t { return ticks; });
    auto pump = [] {
        PumpUntilIdle([](MSG& m) {
            for (HWND h = m.hwnd; h; h = GetParent(h))
                if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(&m)) return true;
            return false;
        });
    };
    InjectMouseMove(p.x, p.y);
    pump();
    ticks += 600;
    pump();
    SetTickSource(nullptr);
}

// The texts a window paints, one per drawn run, as the recording device logs them.
std::vector<std::string> PaintedTexts(HWND hwnd, std::vector<int>* widths = nullptr)
{
    HDC dc = CreateRecordingDC(FALSE);
    SendMessage(hwnd, WM_PRINTCLIENT, (WPARAM)dc, 0);
    std::istringstream log(GetRecordingLog(dc));
    DeleteDC(dc);
    std::vector<std::string> out;
    for (std::string line; std::getline(log, line);) {
        if (line.rfind("TextOut", 0) != 0 && line.rfind("ExtTextOut", 0) != 0) continue;
        const size_t w = line.find(" w="), q = line.find('"');
        if (q == std::string::npos) continue;
        if (widths && w != std::string::npos) widths->push_back(std::atoi(line.c_str() + w + 3));
        out.push_back(line.substr(q + 1, line.find("\" | ", q) - q - 1));
    }
    return out;
}

// Statement and function tips wrap at a quarter of the screen width, line
// by line, with no line-end glyphs; a value tip may take the whole width.
TEST_F(ProgramDoc, HoverTipsWrapAtAQuarterOfTheScreen)
{
    const FontSetting keep = AppSettings::TooltipFont;
    AppSettings::TooltipFont = {"Courier New", 140};   // large: the description must wrap
    CVeldraDoc* doc = Open("w.vdx", "while (1)\nend\nv = sin(2);\n");
    AppSettings::TooltipFont = keep;
    CVeldraView* view = doc->GetProgramView();
    KyrEditCtrl* edit = view->GetEditCtrl();
    HWND tip = edit->ToolTip().m_hWnd;
    ASSERT_NE(tip, nullptr);
    const int quarter = GetSystemMetrics(SM_CXSCREEN) / 4;
    // "while": its description wraps; "sin(": prototype and description.
    for (auto [offset, least] : {std::pair{2, 3u}, std::pair{20, 2u}}) {
        SCOPED_TRACE(offset);
        RestPointerOn(edit, offset);
        ASSERT_TRUE(IsWindowVisible(tip));
        RECT r;
        GetWindowRect(tip, &r);
        EXPECT_LE(r.right - r.left, quarter + 8);
        std::vector<int> widths;
        const std::vector<std::string> lines = PaintedTexts(tip, &widths);
        ASSERT_GE(lines.size(), least) << edit->TipText();
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].find("\\x0"), std::string::npos) << lines[i];
            EXPECT_LE(widths[i], quarter) << lines[i];
        }
        // Every word of the tip is painted.
        std::string painted;
        for (const std::string& l : lines) painted += l + " ";
        std::istringstream words(edit->TipText());
        for (std::string word; words >> word;) EXPECT_NE(painted.find(word), std::string::npos) << word;
        EXPECT_GE(r.bottom - r.top, (int)lines.size() * 14);
        InjectMouseMove(0, 0);
        PumpUntilIdle();
    }
}

// An unchanged text runs its existing translation (its warning is written
// once, at the open); a saved change is translated again.
TEST_F(ProgramDoc, UnchangedTextKeepsItsTranslationAndASavedChangeTranslatesAgain)
{
    CVeldraDoc* doc = Open("w.vdx", "a: b: x = 1;\n");
    const std::string warning = "Warning: 'a' label replaced by 'b'";
    EXPECT_NE(Output().find(warning), std::string::npos) << Output();
    ASSERT_TRUE(doc->translated);
    app->m_output->OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
    for (int run = 0; run < 2; ++run) {
        DoCommand(doc, ID_PROGRAM_CALCULATE);
        ASSERT_TRUE(FinishRun(doc));
    }
    EXPECT_EQ(Output().find(warning), std::string::npos) << Output();
    EXPECT_EQ(Global(doc, "x"), 1);

    doc->GetProgramView()->GetEditCtrl()->SetText("a: b: x = 2;\n");
    doc->SetModifiedFlag(TRUE);
    ASSERT_TRUE(doc->DoSave(doc->GetPathName().c_str()));
    EXPECT_FALSE(doc->translated);
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(FinishRun(doc));
    EXPECT_NE(Output().find(warning), std::string::npos) << Output();
    EXPECT_EQ(Global(doc, "x"), 2);
}

TEST_F(ProgramDoc, TranslationErrorStartsNoThreadAndTheNextRunTranslatesAgain)
{
    CVeldraDoc* doc = Open("bad.vdx", "a = (1;\n");
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
    EXPECT_FALSE(doc->translated);
    KyrEditCtrl* edit = doc->GetProgramView()->GetEditCtrl();
    edit->SetText("a = 41 + 1;\n");
    doc->SetModifiedFlag(TRUE);
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(FinishRun(doc));
    EXPECT_EQ(Global(doc, "a"), 42);
}

// Two documents: B waits for A's run; files land in each program's folder.
TEST_F(ProgramDoc, OneRunAtATimeAndRelativeFilesInTheProgramFolder)
{
    const std::string loop =
        "global g;\ng = 0;\nf = fopen(\"a-out.txt\", 1);\nfclose(f);\nwhile (1)\n  g = g + 1;\nend\n";
    CVeldraDoc* a = Open("a.vdx", loop, "first");
    CVeldraDoc* b = Open("b.vdx", "global g;\nh = g;\nf = fopen(\"b-out.txt\", 1);\nfclose(f);\n", "second");
    ASSERT_TRUE(a && b);
    const fs::path cwd = fs::current_path();
    DoCommand(a, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([&] { return fs::exists(dir / "first" / "a-out.txt") && RunLockHeld(); }, 10000));
    DoCommand(b, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return RunLockWaiters() == 1; }, 20000));
    PumpUntilIdle();
    EXPECT_EQ(b->GetRunState(), RunState::Running);
    EXPECT_FALSE(fs::exists(dir / "second" / "b-out.txt"));
    DoCommand(a, ID_PROGRAM_STOP);
    ASSERT_TRUE(FinishRun(b));
    EXPECT_TRUE(fs::exists(dir / "second" / "b-out.txt"));
    EXPECT_FALSE(fs::exists(dir / "first" / "b-out.txt"));
    EXPECT_GT(Global(b, "h"), 0);
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_FALSE(RunLockHeld());
}

TEST_F(ProgramDoc, StopWhileWaitingForTheRunLockEndsTheWait)
{
    CVeldraDoc* a = Open("a.vdx", "while (1)\nend\n", "x");
    CVeldraDoc* b = Open("b.vdx", "q = 1;\n", "y");
    DoCommand(a, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return RunLockHeld(); }, 5000));
    DoCommand(b, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return RunLockWaiters() == 1; }, 20000));
    const DWORD t0 = GetTickCount();
    DoCommand(b, ID_PROGRAM_STOP);
    EXPECT_LT(GetTickCount() - t0, 1000u);
    EXPECT_EQ(b->GetRunState(), RunState::Idle);
    EXPECT_EQ(b->Vars()->Find("q") && b->Vars()->Find("q")->value ? b->Vars()->Find("q")->value->Type() : VT_EMPTY,
              VT_EMPTY);
    DoCommand(a, ID_PROGRAM_STOP);
}

// ---- a statement that ignores a stop for a while ----------------------------------

std::atomic<int> g_stubbornRunning{0};

class CStubbornStatement : public CStatement {
public:
    explicit CStubbornStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override
    {
        std::string rest;
        return ReadUntil(in, ";", rest) == ';' ? 0 : ERR_SYNTAX;
    }
    StatusWord Execute(CValue*) override
    {
        ++g_stubbornRunning;
        ::Sleep(3000);  // deaf to the stop
        --g_stubbornRunning;
        return 0;
    }
};

const CmdrStatementEntry kStubbornEntries[] = {{"stubborn", 1, "stubborn;\r\nIgnores a stop for 3 s.", "stubborn;"}};

class CStubbornGroup : public CmdrInfo {
public:
    CStubbornGroup()
    {
        title = "Stubborn";
        description = "Stubborn statements";
        statements = kStubbornEntries;
        statementCount = 1;
    }
    CStatement* CreateStatement(int, CStatementBlock* owner) override { return new CStubbornStatement(owner); }
};

TEST_F(ProgramDoc, AbandonedThreadRefusesRunsAndKeepsTheDocumentUntilItEnds)
{
    static CStubbornGroup group;
    CStatementModuleList::AddGroup(&group);
    SetLongWaitScale(200.0 / 15000.0);
    CVeldraDoc* doc = Open("s.vdx", "stubborn;\n");
    ASSERT_NE(doc, nullptr);
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return g_stubbornRunning.load() == 1; }, 5000));
    PushMessageBoxAnswer(IDYES);
    DoCommand(doc, ID_PROGRAM_STOP);
    std::vector<std::string> boxes = BoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Program thread is not respond. You may stop process manually or wait. Terminate program?");
    EXPECT_TRUE(doc->IsAbandoned());
    EXPECT_EQ(doc->GetRunState(), RunState::Abandoned);
    // Other documents may run meanwhile.
    EXPECT_FALSE(RunLockHeld());
    CVeldraDoc* other = Open("o.vdx", "z = 5;\n", "other");
    DoCommand(other, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(FinishRun(other, 2000));
    EXPECT_EQ(Global(other, "z"), 5);
    EXPECT_FALSE(CommandEnabled(doc, ID_PROGRAM_CALCULATE));
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    EXPECT_FALSE(doc->IsThreadAlive());
    EXPECT_NE(doc->LoadProgram(doc->GetPathName().c_str()), 0);
    // Once the thread really ends, runs are allowed again.
    ASSERT_TRUE(PumpUntil([&] { return !doc->AbandonedThreadRunning(); }, 10000));
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
    EXPECT_FALSE(RunLockHeld());
    EXPECT_TRUE(CommandEnabled(doc, ID_PROGRAM_CALCULATE));
    CStatementModuleList::RemoveGroup(&group);
}

TEST_F(ProgramDoc, ClosingAnAbandonedDocumentParksItUntilItsThreadEnds)
{
    static CStubbornGroup group;
    CStatementModuleList::AddGroup(&group);
    SetLongWaitScale(200.0 / 15000.0);
    CVeldraDoc* doc = Open("p.vdx", "stubborn;\n");
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return g_stubbornRunning.load() == 1; }, 5000));
    PushMessageBoxAnswer(IDYES);
    DoCommand(doc, ID_PROGRAM_STOP);
    TakeMessageBoxLog();
    ASSERT_TRUE(doc->AbandonedThreadRunning());
    HWND child = doc->GetProgramView()->GetParentFrame()->m_hWnd;
    doc->OnCloseDocument();
    PumpUntilIdle();
    // The windows are gone, the object waits for its thread.
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(AnyParkedDocument());
    ASSERT_TRUE(PumpUntil([] { return !AnyParkedDocument(); }, 10000));
    EXPECT_EQ(g_stubbornRunning.load(), 0);
    CStatementModuleList::RemoveGroup(&group);
}

TEST_F(ProgramDoc, ClosingWhileTheStopQuestionShowsIsRefused)
{
    static CStubbornGroup group;
    CStatementModuleList::AddGroup(&group);
    SetLongWaitScale(200.0 / 15000.0);
    CVeldraDoc* doc = Open("s2.vdx", "stubborn;\n");
    DoCommand(doc, ID_PROGRAM_CALCULATE);
    ASSERT_TRUE(PumpUntil([] { return g_stubbornRunning.load() == 1; }, 5000));
    // While the stop waits (the question answered No each time), a close
    // sent from another thread is refused: the frame and document stay.
    CFrameWnd* child = doc->GetProgramView()->GetParentFrame();
    HWND childWnd = child->m_hWnd;
    std::atomic<bool> sent{false};
    std::thread closer([&] {
        while (!doc->stopping) ::Sleep(1);
        ::SendMessage(childWnd, WM_CLOSE, 0, 0);
        sent = true;
    });
    DoCommand(doc, ID_PROGRAM_STOP);
    closer.join();
    EXPECT_TRUE(sent.load());
    EXPECT_TRUE(IsWindow(childWnd));
    const bool refused = !TakeMessageBoxLog().empty();
    EXPECT_TRUE(refused);  // the question came, answered No
    EXPECT_FALSE(doc->IsAbandoned());
    EXPECT_EQ(doc->GetRunState(), RunState::Idle);
    CStatementModuleList::RemoveGroup(&group);
}

}  // namespace
