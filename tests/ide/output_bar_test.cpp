// The output bar's control: messages from several threads, colours, the
// user's scroll position, and double-click to the source place.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <sstream>
#include <thread>

#include "ide/bars/output_bar.h"
#include "tests/ide/output_screen_util.h"
#include "interpreter/status.h"
#include "platform/afx_test_util.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/platform_test_util.h"
#include "values/app_settings.h"
#include "ide/run/settings.h"
#include "platform/afx/settings_file.h"
#include <filesystem>
#include <unistd.h>

namespace {

struct OutputHost {
    CFrameWnd* frame = new CFrameWnd;
    COutputCtrl* out = new COutputCtrl;
    int showRequests = 0;
    OutputHost(int height = 200)
    {
        EXPECT_TRUE(frame->Create(nullptr, "host"));
        frame->MoveWindow(RECT{0, 0, 500, height + 60});
        frame->ShowWindow(SW_SHOW);
        RECT r{0, 0, 480, height};
        EXPECT_TRUE(out->Create(frame, 0, r));
    }
    ~OutputHost()
    {
        frame->DestroyWindow();
        delete out;
    }
    std::string Text() { return out->GetWindowText(); }
    void Write(MessageKind kind, const std::string& s) { CMessageWriter(kind, out) << s; }
};

// Whether the view ends on the last line: that line whole on the screen and
// no room for another below it (unless the text is shorter than the view).
std::string EndAtBottom(COutputCtrl* out)
{
    auto topOf = [&](int line) {
        POINT p{};
        out->Send(EM_POSFROMCHAR, (WPARAM)&p, out->LineIndex(line));
        return (int)p.y;
    };
    const int last = out->GetLineCount() - 1;
    RECT fr{};
    out->GetRect(&fr);
    const int h = topOf(1) - topOf(0), top = topOf(last);
    std::ostringstream why;
    if (top < fr.top || top + h > fr.bottom) why << "last line at " << top << ", view " << fr.top << ".." << fr.bottom;
    else if (out->GetFirstVisibleLine() > 0 && top + 2 * h <= fr.bottom) why << "room below the last line at " << top << ", view to " << fr.bottom;
    return why.str();
}

void PumpWhile(const std::function<bool()>& busy)
{
    while (busy()) {
        PumpUntilIdle();
        std::this_thread::yield();
    }
}

TEST(OutputBar, KeepsMessagesCommittedBeforeItsWindow)
{
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "host"));
    COutputCtrl out;
    EXPECT_EQ(GetOutputStream(), &out);
    ReportInfo() << "first start";
    ASSERT_TRUE(out.Create(frame, 0, RECT{0, 0, 300, 200}));
    ReportInfo() << "second";
    EXPECT_NE(out.GetWindowText().find("first start"), std::string::npos);
    EXPECT_NE(out.GetWindowText().find("second"), std::string::npos);
    frame->DestroyWindow();
    // The window is gone: the process stream no longer points at the control.
    EXPECT_NE(GetOutputStream(), &out);
    CMessageWriter(MSG_PLAIN, &out) << "after";  // no window: kept, not sent
}

TEST(OutputBar, ThreeWritersEveryMessageOnceInOrder)
{
    OutputHost h;
    const int n = 10000;
    std::atomic<int> done{0};
    auto writer = [&](char tag) {
        return [&, tag]() -> DWORD {
            for (int i = 0; i < n; ++i) CMessageWriter(i % 3 == 0 ? MSG_ERROR : MSG_PLAIN, h.out) << tag << i;
            ++done;
            return 0;
        };
    };
    HANDLE a = StartThread(writer('p')), b = StartThread(writer('d'));
    for (int i = 0; i < n; ++i) {
        CMessageWriter(MSG_PLAIN, h.out) << 'g' << i;
        if (i % 50 == 0) PumpUntilIdle();
    }
    PumpWhile([&] { return done.load() < 2; });
    JoinThread(a);
    JoinThread(b);
    std::string text = h.Text();
    std::map<char, int> next;
    int lines = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t e = text.find_first_of("\r\n", pos);
        std::string line = text.substr(pos, e - pos);
        pos = e + 1;
        if (line.empty()) continue;
        ++lines;
        char tag = line[0];
        if (tag != 'p' && tag != 'd' && tag != 'g') {  // errors carry a prefix
            size_t k = line.find_first_of("pdg");
            ASSERT_NE(k, std::string::npos) << line;
            tag = line[k];
            line = line.substr(k);
        }
        EXPECT_EQ(std::stoi(line.substr(1)), next[tag]) << line;
        next[tag] = std::stoi(line.substr(1)) + 1;
    }
    EXPECT_EQ(lines, 3 * n);
    EXPECT_EQ(h.out->LineCount(), 3 * n + 1);
    // Ids name the line at which each message begins.
    h.out->Lock();
    COutputMessage* m = h.out->FindMessage(100);
    ASSERT_NE(m, nullptr);
    int line99 = h.out->LineIndex(99);
    std::string first = h.out->GetTextRange(line99, line99 + (int)m->m_text.size());
    EXPECT_EQ(first, m->m_text);
    h.out->Unlock();
}

// A clear that comes after a message is shown, before its writer is back
// from the showing, takes the message with its text: the next message's line
// leads to the next message's place, not to the cleared one's.
WNDPROC g_outputProc = nullptr;
COutputCtrl* g_holdWriter = nullptr;
LRESULT HoldWriterAfterShowing(HWND h, UINT m, WPARAM w, LPARAM l)
{
    const LRESULT r = CallWindowProc(g_outputProc, h, m, w, l);
    if (m == WM_OUTPUT_APPEND && g_holdWriter) {
        g_holdWriter->Lock();   // the writer, back from the showing, waits here
        g_holdWriter = nullptr;
    }
    return r;
}

TEST(OutputBar, AClearBeforeTheWriterIsBackTakesTheShownMessage)
{
    OutputHost h;
    MessageSourcePlace last;
    SetMessageSourceOpener([&](const MessageSourcePlace& p) {
        last = p;
        return true;
    });
    g_outputProc = (WNDPROC)SetWindowLongPtr(h.out->m_hWnd, GWLP_WNDPROC, (LONG_PTR)HoldWriterAfterShowing);
    g_holdWriter = h.out;
    std::thread writer([&] {
        CMessageWriter w(MSG_ERROR, h.out);
        w << "first";
        h.out->AttachToCurrent(new CSourcePosition("doc", 0, 1));
    });
    PumpWhile([&] { return g_holdWriter != nullptr; });
    h.out->COutputStream::Clear();
    h.out->Unlock();
    writer.join();
    SetWindowLongPtr(h.out->m_hWnd, GWLP_WNDPROC, (LONG_PTR)g_outputProc);
    {
        CMessageWriter w(MSG_ERROR, h.out);
        w << "second";
        h.out->AttachToCurrent(new CSourcePosition("doc", 0, 2));
    }
    PumpUntilIdle();
    EXPECT_EQ(h.Text().rfind("Error: second", 0), 0u) << h.Text();
    EXPECT_EQ(h.out->PostedTexts(), (std::vector<std::string>{"Error: second"}));
    h.out->SetSel(0, 0);
    EXPECT_TRUE(h.out->GotoErrorLine());
    EXPECT_EQ(last.offset, 2);
    SetMessageSourceOpener(nullptr);
}

TEST(OutputBar, ClearAndDoubleClicksWhileWriting)
{
    OutputHost h;
    std::atomic<bool> stop{false};
    std::atomic<int> opened{0}, misplaced{0};
    MessageSourcePlace last;
    SetMessageSourceOpener([&](const MessageSourcePlace& p) {
        ++opened;
        if (p.name != "doc" || p.offset < 0 || p.offset > 3000) ++misplaced;
        last = p;
        return true;
    });
    HANDLE t = StartThread([&]() -> DWORD {
        for (int i = 0; i < 3000; ++i) {
            CMessageWriter w(MSG_ERROR, h.out);
            w << "err " << i;
            h.out->AttachToCurrent(new CSourcePosition("doc", 0, i));
        }
        stop = true;
        return 0;
    });
    int round = 0;
    while (!stop) {
        PumpUntilIdle();
        if (++round % 7 == 0) h.out->COutputStream::Clear();
        h.out->SetSel(0, 0);
        h.out->GotoErrorLine();
    }
    JoinThread(t);
    // A last message: a clear after the writer's end may have emptied the bar.
    {
        CMessageWriter w(MSG_ERROR, h.out);
        w << "err 3000";
        h.out->AttachToCurrent(new CSourcePosition("doc", 0, 3000));
    }
    PumpUntilIdle();
    EXPECT_EQ(misplaced.load(), 0);

    // What is left is the tail of the messages, whole and in order.
    std::vector<int> numbers;
    std::istringstream text(h.Text());
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t k = line.rfind("err ");
        ASSERT_NE(k, std::string::npos) << line;
        numbers.push_back(std::stoi(line.substr(k + 4)));
    }
    ASSERT_FALSE(numbers.empty());
    for (size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i], numbers[i - 1] + 1);
    EXPECT_EQ(numbers.back(), 3000);

    // The first line still leads to its own place.
    const int before = opened.load();
    h.out->SetSel(0, 0);
    EXPECT_TRUE(h.out->GotoErrorLine());
    EXPECT_EQ(opened.load(), before + 1);
    EXPECT_EQ(last.offset, numbers.front());
    SetMessageSourceOpener(nullptr);
}

TEST(OutputBar, ColoursAndDefaultFormatRestored)
{
    OutputHost h;
    h.Write(MSG_ERROR, "bad");
    h.Write(MSG_WARNING, "odd");
    h.Write(MSG_INFO, "note");
    h.Write(MSG_PLAIN, "plain");
    struct Case {
        int line;
        COLORREF colour;
    } cases[] = {{0, RGB(192, 0, 0)}, {1, RGB(0, 128, 0)}, {2, RGB(128, 128, 128)}, {3, RGB(0, 0, 0)}};
    for (const Case& c : cases) {
        int a = h.out->LineIndex(c.line);
        h.out->SetSel(a, a + 2);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        h.out->GetSelectionCharFormat(cf);
        EXPECT_EQ(cf.crTextColor, c.colour) << c.line;
        EXPECT_EQ(cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_STRIKEOUT), 0u) << c.line;
    }
}

TEST(OutputBar, ScrolledUpViewStaysAtEndFollows)
{
    OutputHost h(120);
    for (int i = 0; i < 60; ++i) h.Write(MSG_PLAIN, "line " + std::to_string(i));
    EXPECT_EQ(EndAtBottom(h.out), "");
    h.out->LineScroll(-h.out->GetFirstVisibleLine());
    h.out->SetSel(3, 5);
    for (int i = 0; i < 100; ++i) h.Write(MSG_PLAIN, "more");
    EXPECT_EQ(h.out->GetFirstVisibleLine(), 0);
    long a = 0, b = 0;
    h.out->GetSel(a, b);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(b, 5);
}

TEST(OutputBar, AutoOpenOnlyWithTheSetting)
{
    Handler mainHandler;
    int requests = 0;
    mainHandler = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SHOW_OUTPUT_BAR) ++requests;
        return DefWindowProc(w, m, wp, lp);
    };
    HWND mainWnd = MakeWindow(&mainHandler);
    OutputHost h;
    h.out->m_hMainWnd = mainWnd;
    h.frame->ShowWindow(SW_HIDE);
    bool saved = AppSettings::OutputAutoOpen;
    AppSettings::OutputAutoOpen = false;
    h.Write(MSG_ERROR, "quiet");
    EXPECT_EQ(requests, 0);
    AppSettings::OutputAutoOpen = true;
    h.Write(MSG_ERROR, "loud");
    EXPECT_EQ(requests, 1);
    h.frame->ShowWindow(SW_SHOW);
    h.Write(MSG_ERROR, "shown");
    EXPECT_EQ(requests, 1);
    AppSettings::OutputAutoOpen = saved;
    DestroyWindow(mainWnd);
}

TEST(OutputBar, DoubleClickFirstLineOpensPlaceSecondLineNothing)
{
    OutputHost h;
    CDocument* doc = reinterpret_cast<CDocument*>(&h);  // only its identity is used
    int id = RegisterProgramDocument(doc);
    std::vector<MessageSourcePlace> seen;
    SetMessageSourceOpener([&](const MessageSourcePlace& p) {
        seen.push_back(p);
        return true;
    });
    h.Write(MSG_PLAIN, "before");
    {
        CMessageWriter w(MSG_ERROR, h.out);
        w << "Undefined x\nin line 3";
        h.out->AttachToCurrent(new CSourcePosition("prog", id, 17));
    }
    int first = h.out->LineIndex(1);
    POINT p{};
    h.out->Send(EM_POSFROMCHAR, (WPARAM)&p, first + 2);
    ClientToScreen(h.out->m_hWnd, &p);
    InjectClick(p.x + 1, p.y + 2);
    InjectClick(p.x + 1, p.y + 2);
    PumpUntilIdle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, id);
    EXPECT_EQ(seen[0].offset, 17);
    long a = 0, b = 0;
    h.out->GetSel(a, b);
    EXPECT_EQ(a, first);
    EXPECT_EQ(b, first + h.out->LineLength(first));

    // The message's second line maps to nothing.
    h.out->SetSel(h.out->LineIndex(2), h.out->LineIndex(2));
    EXPECT_FALSE(h.out->GotoErrorLine());
    EXPECT_EQ(seen.size(), 1u);

    // A closed document's messages open nothing.
    ForgetProgramDocument(id);
    h.out->SetSel(first, first);
    EXPECT_FALSE(h.out->GotoErrorLine());
    EXPECT_EQ(RegisterProgramDocument(doc), id + 1);  // ids are never reused
    ForgetProgramDocument(id + 1);
    SetMessageSourceOpener(nullptr);
}

}  // namespace

namespace {

TEST(OutputBar, BarHostsTheControlAndShowsItself)
{
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}));
    frame->EnableDocking(CBRS_ALIGN_ANY);
    COutputBar bar;  // the stream from construction on, as the main frame's member
    ReportInfo() << "before the bar";
    ASSERT_TRUE(bar.Create(frame, frame->m_hWnd));
    bar.EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(&bar, AFX_IDW_DOCKBAR_BOTTOM);
    frame->RecalcLayout();
    EXPECT_EQ(bar.GetDlgCtrlID(), (int)ID_OUTPUT_BAR);
    EXPECT_EQ(bar.GetWindowText(), "Output bar");
    EXPECT_EQ(bar.m_output.GetDlgCtrlID(), 0);
    EXPECT_NE(bar.m_output.GetWindowText().find("before the bar"), std::string::npos);
    // The control fills the bar's client area.
    RECT c{}, o{};
    bar.GetClientRect(&c);
    bar.m_output.GetWindowRect(&o);
    EXPECT_GT(o.right - o.left, (c.right - c.left) / 2);
    frame->DestroyWindow();
    EXPECT_NE(GetOutputStream(), static_cast<COutputStream*>(&bar.m_output));
}

}  // namespace

namespace {

TEST(OutputBar, FirstStartMessageIsTheFirstLine)
{
    namespace fs = std::filesystem;
    fs::path file = fs::temp_directory_path() / ("veldra-output-first-" + std::to_string(getpid()) + ".conf");
    fs::remove(file);
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "Main"));
    COutputCtrl out;  // the stream before the settings are read, as in the main frame
    {
        CSettingsFile store(file.string());
        LoadSettings(store, false);
    }
    ASSERT_TRUE(out.Create(frame, 0, RECT{0, 0, 600, 200}));
    std::string text = out.GetWindowText();
    EXPECT_EQ(text.substr(0, text.find_first_of("\r\n")),
              "Information: This version of Veldra is updated or program started at first time. All settings set to "
              "defaults");
    frame->DestroyWindow();
    fs::remove(file);
}

TEST(OutputBar, ClearAllAndSelectAllCommands)
{
    OutputHost h;
    EXPECT_FALSE(h.out->CommandEnabled(COutputCtrl::ID_CLEAR_ALL));
    h.Write(MSG_ERROR, "one");
    h.Write(MSG_PLAIN, "two");
    EXPECT_FALSE(h.out->CommandEnabled(COutputCtrl::ID_COPY));
    h.out->SendMessage(WM_COMMAND, COutputCtrl::ID_SELECT_ALL);
    EXPECT_TRUE(h.out->CommandEnabled(COutputCtrl::ID_COPY));
    h.out->SendMessage(WM_COMMAND, COutputCtrl::ID_CLEAR_ALL);
    EXPECT_EQ(h.Text(), "");
    EXPECT_EQ(h.out->LineCount(), 1);
    EXPECT_EQ(h.out->PostedCount(), 0u);
    // Older lines no longer map to messages; new ones count from line 1 again.
    h.Write(MSG_PLAIN, "three");
    h.out->Lock();
    COutputMessage* m = h.out->FindMessage(1);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_text, "three");
    h.out->Unlock();
}

}  // namespace

namespace {

TEST(OutputBar, FontFromTheSettings)
{
    FontSetting saved = AppSettings::OutputFont;
    AppSettings::OutputFont = {"Courier New", 120};
    OutputHost h;
    HFONT f = (HFONT)h.out->SendMessage(WM_GETFONT);
    ASSERT_NE(f, nullptr);
    LOGFONT lf{};
    ASSERT_GT(GetObject(f, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -16);  // 12 points at 96 dots an inch
    EXPECT_STREQ(lf.lfFaceName, "Courier New");
    AppSettings::OutputFont = {"Courier New", 90};
    h.out->SetOutputFont();
    f = (HFONT)h.out->SendMessage(WM_GETFONT);
    ASSERT_GT(GetObject(f, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -12);
    AppSettings::OutputFont = saved;
}

}  // namespace

namespace {

using namespace output_screen;

COLORREF ShownColour(COutputCtrl* out, int line)
{
    const int a = out->LineIndex(line);
    out->SetSel(a, a + 1);
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    out->GetSelectionCharFormat(cf);
    return (cf.dwEffects & CFE_AUTOCOLOR) ? GetSysColor(COLOR_WINDOWTEXT) : cf.crTextColor;
}

TEST(OutputBar, ColoursDoNotBleedIntoLaterMessages)
{
    // What happens between a coloured message and a plain one.
    struct Case {
        const char* name;
        MessageKind kind;
        std::function<void(OutputHost&)> between;
    } cases[] = {
        {"error, then a click in the output", MSG_ERROR,
         [](OutputHost& h) {
             POINT p{};
             h.out->Send(EM_POSFROMCHAR, (WPARAM)&p, 2);
             ClientToScreen(h.out->m_hWnd, &p);
             InjectClick(p.x, p.y + 3);
             PumpUntilIdle();
         }},
        {"information while the end was out of view", MSG_INFO,
         [](OutputHost& h) {
             h.out->LineScroll(-1000);
             h.out->SetSel(0, 0);
         }},
        {"warning, then nothing", MSG_WARNING, [](OutputHost&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputHost h(160);
        for (int i = 0; i < 20; ++i) h.Write(MSG_PLAIN, "filler " + std::to_string(i));
        h.Write(c.kind, "coloured");
        c.between(h);
        h.Write(MSG_PLAIN, "plain text after it");
        h.Write(MSG_PLAIN, "and more plain text");
        const int plain = h.out->LineCount() - 3;
        for (int line : {plain, plain + 1}) EXPECT_EQ(ShownColour(h.out, line), RGB(0, 0, 0)) << line;
        // The screen: the last lines in view show black ink only.
        h.out->SetSel(0, 0);
        h.out->LineScroll(plain - 2 - h.out->GetFirstVisibleLine());
        PumpUntilShown(h.out);
        for (int line : {plain, plain + 1}) {
            LineInk ink = InkOfLine(h.out, line);
            EXPECT_GT(ink.dark, 20) << line;
            EXPECT_EQ(ink.red + ink.green, 0) << line;
        }
    }
}

TEST(OutputBar, FirstStartLineIsGreyAndWhatFollowsIsBlack)
{
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "host"));
    frame->MoveWindow(RECT{0, 0, 500, 260});
    frame->ShowWindow(SW_SHOW);
    COutputCtrl out;
    ReportInfo() << "first start";
    // The bar makes the control before its own layout: no room yet.
    ASSERT_TRUE(out.Create(frame, 0, RECT{0, 0, 0, 0}));
    PumpUntilIdle();
    out.MoveWindow(RECT{0, 0, 480, 200});
    ReportPlain() << "x = 1";
    ReportPlain() << "y = 2";
    EXPECT_EQ(ShownColour(&out, 0), RGB(128, 128, 128));
    EXPECT_EQ(ShownColour(&out, 1), RGB(0, 0, 0));
    EXPECT_EQ(ShownColour(&out, 2), RGB(0, 0, 0));
    out.SetSel(0, 0);
    PumpUntilShown(&out);
    EXPECT_GT(InkOfLine(&out, 2).dark, 10);
    EXPECT_EQ(InkOfLine(&out, 2).red, 0);
    frame->DestroyWindow();
}

// The output font comes from the settings and shows on the screen: a
// monospaced face at the set size, for the lines already there too.
TEST(OutputBar, ShowsTheSetFontMonospacedAtItsSize)
{
    FontSetting saved = AppSettings::OutputFont;
    AppSettings::OutputFont = {"Courier New", 120};
    OutputHost h(200);
    h.Write(MSG_PLAIN, "iiiiiiiiii");
    h.Write(MSG_PLAIN, "MMMMMMMMMM");
    h.Write(MSG_ERROR, "MMMMMMMMMM");
    // The formats: the face and the size of the setting.
    for (int line = 0; line < 3; ++line) {
        const int a = h.out->LineIndex(line);
        h.out->SetSel(a, a + 3);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        h.out->GetSelectionCharFormat(cf);
        EXPECT_STREQ(cf.szFaceName, "Courier New") << line;
        EXPECT_EQ(cf.yHeight, 240) << line;
    }
    h.out->SetSel(0, 0);
    PumpUntilShown(h.out);
    const LineInk narrow = InkOfLine(h.out, 0), wide = InkOfLine(h.out, 1);
    // Ten narrow and ten wide letters take the same room.
    EXPECT_NEAR(narrow.right, wide.right, 3);
    const int width12 = wide.right - wide.left;
    // 12 points at 96 dots an inch: 16 pixels an em, 0.6 em a letter.
    EXPECT_NEAR(width12, 96, 8);
    // Settings change it: the lines already there follow at once.
    AppSettings::OutputFont = {"Courier New", 90};
    h.out->SetOutputFont();
    PumpUntilShown(h.out);
    const int width9 = InkOfLine(h.out, 1).right - InkOfLine(h.out, 1).left;
    EXPECT_NEAR(width9, 72, 7);
    EXPECT_NEAR(InkOfLine(h.out, 0).right, InkOfLine(h.out, 1).right, 3);
    AppSettings::OutputFont = saved;
}

// A program's burst of output from its own thread: every line arrives, in
// order, and the screen ends on the last one, painted.
TEST(OutputBar, BurstFromAnotherThreadEndsWithTheLastLineOnTheScreen)
{
    OutputHost h(200);
    const int n = 5000;
    std::atomic<bool> done{false};
    HANDLE t = StartThread([&]() -> DWORD {
        for (int i = 0; i < n; ++i) CMessageWriter(MSG_PLAIN, h.out) << "value " << i;
        done = true;
        return 0;
    });
    // The GUI thread's loop (served sends, frames, paints), woken now and
    // then to look at `done`.
    const UINT_PTR look = SetTimer(nullptr, 0, 50, nullptr);
    MSG m;
    while (!done) {
        if (GetMessage(&m, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    KillTimer(nullptr, look);
    JoinThread(t);
    PumpUntilShown(h.out);
    ASSERT_EQ(h.out->LineCount(), n + 1);
    const std::string text = h.Text();
    size_t at = 0;
    for (int i = 0; i < n; ++i) {
        const std::string want = "value " + std::to_string(i);
        ASSERT_EQ(text.compare(at, want.size(), want), 0) << i;
        at = text.find('\n', at) + 1;
    }
    // The view ends on the last line, which is on the screen.
    EXPECT_EQ(EndAtBottom(h.out), "");
    EXPECT_GT(h.out->GetFirstVisibleLine(), 0);
    EXPECT_GT(InkOfLine(h.out, n - 1).dark, 10);
    EXPECT_NEAR(InkOfLine(h.out, n - 1).right, InkOfLine(h.out, n - 2).right, 2);   // "value 4999", "value 4998"
}

}  // namespace
