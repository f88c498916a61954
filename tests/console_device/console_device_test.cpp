// The console device library driven as the program drives it, headless,
// through the fake host: print requests, options, prefixes, titles, clears,
// the settings sheet and the settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/afx/afx.h"
#include "tests/support/common_dialog_script.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "support/fake_plot_host.h"
#include "values/value_text.h"
#include "tests/support/windows.h"

namespace {

namespace fs = std::filesystem;

// A settings folder of this process alone, set before the library loads.
fs::path ConfigHome()
{
    static const fs::path home = [] {
        fs::path p = fs::temp_directory_path() / ("veldra-nerith-" + std::to_string(getpid()));
        fs::remove_all(p);
        fs::create_directories(p);
        setenv("VELDRA_CONFIG_HOME", p.c_str(), 1);
        // Gone with the process (the console threads have saved by then).
        static char kept[4096];  // outlives the static path
        std::snprintf(kept, sizeof kept, "%s", p.c_str());
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(fs::path(kept), ec);
        });
        return p;
    }();
    return home;
}

CFakePlotHost& Host()
{
    ConfigHome();
    static CFakePlotHost* host = [] {
        const char* out = std::getenv("VELDRA_OUT");
        return new CFakePlotHost(std::string(out ? out : "build/out") + "/bin/Nerithx.so");
    }();
    return *host;
}


HWND FindChildById(HWND parent, int id)
{
    struct Ctx {
        int id;
        HWND found = nullptr;
    } ctx{id};
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            if (GetDlgCtrlID(h) == c->id) {
                c->found = h;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&ctx);
    return ctx.found;
}


CValue Str(const char* s)
{
    CValue v;
    v.SetString(s);
    return v;
}

CValue Parse(const char* text)
{
    std::istringstream is(text);
    CValue v;
    ReadValue(is, v);
    return v;
}

struct Item {
    std::vector<std::pair<std::string, CValue>> options;
    CValue value;
    bool input = false;
};

// One started console window; closed and deleted at the end of the scope.
struct Console {
    CDeviceLink* link = nullptr;
    HANDLE thread = nullptr;
    HWND frame = nullptr;
    HWND view = nullptr;
    explicit Console(bool start = true)
    {
        thread = Host().Create(&link);
        if (!thread) return;
        frame = link->mainWindow;
        view = FindChildById(frame, AFX_IDW_PANE_FIRST);
        if (!start) return;
        link->Start();
        // Shown (and placed) on the console's thread after Start.
        PumpUntil([&] { return IsWindowVisible(frame) != FALSE; }, 5000);
    }
    ~Console()
    {
        if (link) {
            link->Close();
            Host().Delete(link);
        }
    }
    LRESULT Print(std::vector<Item> items, const std::string& title = "DEFAULT_CONSOLE")
    {
        std::vector<std::vector<ConsoleIoOption>> options(items.size());
        std::vector<ConsoleIoItem> records(items.size());
        std::vector<CValue> targets(items.size());
        for (size_t i = 0; i < items.size(); ++i) {
            for (auto& [name, value] : items[i].options) options[i].push_back(ConsoleIoOption{name, value});
            records[i].options = options[i].data();
            records[i].optionCount = (uint32_t)options[i].size();
            records[i].value = items[i].value;
            if (items[i].input) records[i].target = &targets[i];
        }
        ConsoleIoRequest request;
        request.title = title;
        request.items = records.data();
        request.itemCount = (uint32_t)records.size();
        LRESULT r = link->Send(WM_CONSOLE_IO, 0, (LPARAM)&request);
        lastTargets.clear();
        for (auto& rec : records) lastTargets.push_back(rec.target);
        lastValues = targets;
        return r;
    }
    LRESULT Title(UINT message, const std::string& title)
    {
        ConsoleTitleRequest request;
        request.title = title;
        return link->Send(message, 0, (LPARAM)&request);
    }
    std::string Text() const
    {
        const int n = (int)SendMessage(view, WM_GETTEXTLENGTH, 0, 0);
        std::string s((size_t)n + 1, '\0');
        SendMessage(view, WM_GETTEXT, (WPARAM)s.size(), (LPARAM)s.data());
        s.resize(strnlen(s.c_str(), s.size()));
        return s;
    }
    CHARFORMAT FormatAt(long pos) const
    {
        CHARRANGE cr{(LONG)pos, (LONG)pos + 1};
        SendMessage(view, EM_EXSETSEL, 0, (LPARAM)&cr);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        SendMessage(view, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
        return cf;
    }
    // The format of the first character of the last printed line.
    CHARFORMAT LastLineFormat() const
    {
        std::string t = Text();
        size_t end = t.size() >= 1 ? t.size() - 1 : 0;
        size_t start = t.rfind('\n', end == 0 ? 0 : end - 1);
        return FormatAt(start == std::string::npos ? 0 : (long)start + 1);
    }
    void Clear() { Title(WM_CONSOLE_CLEAR, "DEFAULT_CONSOLE"); }
    std::vector<CValue*> lastTargets;
    std::vector<CValue> lastValues;
    bool Writable() const { return !(GetWindowLongPtr(view, GWL_STYLE) & ES_READONLY); }
    // Waits (from a helper thread) until the console waits for input and its
    // text satisfies `also`.
    bool WaitInput(const std::function<bool(const std::string&)>& also = nullptr) const
    {
        for (int i = 0; i < 1000; ++i) {
            if (Writable() && (!also || also(Text()))) return true;
            Sleep(5);
        }
        return false;
    }
    // Sends the request while `user` acts on another thread, as the person
    // at the keyboard would.
    LRESULT PrintWhile(std::vector<Item> items, const std::function<void()>& user)
    {
        SetForegroundWindow(frame);
        std::thread t(user);
        LRESULT r = Print(std::move(items));
        t.join();
        return r;
    }
};

Item In()
{
    Item i;
    i.input = true;
    return i;
}

std::string Shown(const CValue& v)
{
    constexpr ValueTextFormat kWords = {0, 64, 0, 16, VTF_NO_ROUNDING, {0, 0}, 0};
    std::ostringstream os;
    WriteValue(os, v, kWords);
    return os.str();
}

Item P(CValue v, std::vector<std::pair<std::string, CValue>> options = {})
{
    Item i;
    i.value = v;
    i.options = std::move(options);
    return i;
}

class ConsoleDevice : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(Host().Loaded() && Host().initDllResult); }
};

TEST_F(ConsoleDevice, PrintsValuesInTheirFormatAndKeepsTheFormat)
{
    Console c;
    ASSERT_TRUE(c.view);
    EXPECT_EQ(c.Print({P(Str("x=")), P(1.0)}), 0);
    EXPECT_EQ(c.Print({P(Str("warn"), {{"color", Str("red")}, {"bd", CValue()}}),
                       P(Str(" ok"), {{"color", Str("blue")}})}),
              0);
    EXPECT_EQ(c.Print({P(Parse("[1,2;3,4]"))}), 0);
    const std::string text = c.Text();
    EXPECT_EQ(text.substr(0, 12), "x=1\nwarn ok\n") << text;
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(WindowText(c.frame), "DEFAULT_CONSOLE - Nerith");

    CHARFORMAT x = c.FormatAt(0);
    EXPECT_EQ(x.crTextColor, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_STREQ(x.szFaceName, "Courier New");
    EXPECT_EQ(x.yHeight, 160);
    EXPECT_FALSE(x.dwEffects & CFE_BOLD);
    CHARFORMAT warn = c.FormatAt(4);
    EXPECT_EQ(warn.crTextColor, 0x0000FFu);
    EXPECT_TRUE(warn.dwEffects & CFE_BOLD);
    CHARFORMAT ok = c.FormatAt(9);
    EXPECT_EQ(ok.crTextColor, 0xFF0000u);
    EXPECT_TRUE(ok.dwEffects & CFE_BOLD);
    // The blue option did not restyle "warn" before it; the format lasts.
    EXPECT_EQ(c.FormatAt(7).crTextColor, 0x0000FFu);
    CHARFORMAT matrix = c.FormatAt(13);
    EXPECT_EQ(matrix.crTextColor, 0xFF0000u);
    EXPECT_TRUE(matrix.dwEffects & CFE_BOLD);

    // A second console has its own window and title.
    Console second;
    second.Print({P(Str("other"))}, "second");
    EXPECT_EQ(second.Text(), "other\n");
    EXPECT_EQ(WindowText(second.frame), "second - Nerith");
}

TEST_F(ConsoleDevice, TextOptionsOneRequestEach)
{
    Console c;
    ASSERT_TRUE(c.view);
    struct Case {
        const char* name;
        CValue value;
        LONG height;
    } heights[] = {{"height", CValue(600.0), 140}, {"height", CValue(4.0), 140},
                   {"height", CValue(std::nan("")), 140}, {"height", CValue(5.0), 5},
                   {"height", CValue(500.0), 500}, {"HEIGHT", CValue(1e300), 140}};
    for (auto& k : heights) {
        c.Print({P(Str("h"), {{k.name, k.value}})});
        EXPECT_EQ(c.LastLineFormat().yHeight, k.height) << k.value.Real();
    }
    const std::string face30 = "AbcdefghijAbcdefghijAbcdefghij";
    c.Print({P(Str("f"), {{"font", Str(face30.c_str())}})});
    EXPECT_EQ(c.LastLineFormat().szFaceName, face30);
    c.Print({P(Str("f"), {{"font", Str((face30 + "X").c_str())}})});
    EXPECT_EQ(c.LastLineFormat().szFaceName, face30);

    c.Print({P(Str("c"), {{"color", Str("12345")}})});
    EXPECT_EQ(c.LastLineFormat().crTextColor, 12345u);
    c.Print({P(Str("c"), {{"Color", Str("RED")}})});
    EXPECT_EQ(c.LastLineFormat().crTextColor, 0x0000FFu);
    c.Print({P(Str("c"), {{"color", Str("purple")}})});
    EXPECT_EQ(c.LastLineFormat().crTextColor, 0x0000FFu);
    c.Print({P(Str("c"), {{"color", Str("99999999999999999999")}})});
    EXPECT_EQ(c.LastLineFormat().crTextColor, 0x0000FFu);

    c.Print({P(Str("s"), {{"sub", CValue()}})});
    EXPECT_EQ(c.LastLineFormat().yOffset, -100);
    c.Print({P(Str("s"), {{"sup", CValue()}})});
    EXPECT_EQ(c.LastLineFormat().yOffset, 100);
    c.Print({P(Str("u"), {{"ul", CValue()}})});
    EXPECT_TRUE(c.LastLineFormat().dwEffects & CFE_UNDERLINE);
    c.Print({P(Str("u"), {{"ul", CValue(0.0)}})});
    EXPECT_FALSE(c.LastLineFormat().dwEffects & CFE_UNDERLINE);
    c.Print({P(Str("i"), {{"it", CValue(1.0)}, {"so", CValue()}, {"unknown", CValue()}})});
    EXPECT_TRUE(c.LastLineFormat().dwEffects & CFE_ITALIC);
    EXPECT_TRUE(c.LastLineFormat().dwEffects & CFE_STRIKEOUT);

    // A clear empties the text and the next print has the default format.
    c.Clear();
    EXPECT_EQ(c.Text(), "");
    c.Print({P(Str("d"))});
    CHARFORMAT d = c.FormatAt(0);
    EXPECT_EQ(d.yHeight, 160);
    EXPECT_STREQ(d.szFaceName, "Courier New");
    EXPECT_EQ(d.crTextColor, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_FALSE(d.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT));
    EXPECT_EQ(d.yOffset, 0);
}

TEST_F(ConsoleDevice, HostMessagesAndInputItems)
{
    Console c;
    ASSERT_TRUE(c.view);
    EXPECT_EQ(c.link->Send(WM_DEVICE_PING, 0, 0), 1);
    EXPECT_EQ(c.link->Send(WM_DEVICE_BREAK, 0, 0), 0);
    EXPECT_EQ(c.Title(WM_CONSOLE_TITLE, "abc"), 0);
    EXPECT_EQ(WindowText(c.frame), "abc - Nerith");
    // Three print items: side by side, one line end.
    c.Print({P(Str("a")), P(Str("b")), P(Str("c"))});
    EXPECT_EQ(c.Text(), "abc\n");
    // A break during an input ends the request with no value for it or later targets.
    EXPECT_EQ(c.PrintWhile({P(Str("prompt ")), In(), In()},
                           [&] {
                               ASSERT_TRUE(c.WaitInput());
                               PostMessage(c.frame, WM_DEVICE_BREAK, 0, 0);
                           }),
              -1);
    ASSERT_EQ(c.lastTargets.size(), 3u);
    EXPECT_EQ(c.lastTargets[1], nullptr);
    EXPECT_EQ(c.lastTargets[2], nullptr);
    EXPECT_EQ(c.Text(), "abc\nprompt \n");
    EXPECT_FALSE(c.Writable());
    // An empty request only sets the title.
    EXPECT_EQ(c.Print({}, "t2"), 0);
    EXPECT_EQ(WindowText(c.frame), "t2 - Nerith");
}

// With its view gone the window has no document: ping still answers 1 and
// the other host messages do nothing.
TEST_F(ConsoleDevice, PingWithoutADocument)
{
    Console c;
    ASSERT_TRUE(c.view);
    SendMessage(c.view, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(c.view));
    EXPECT_EQ(FindChildById(c.frame, AFX_IDW_PANE_FIRST), nullptr);
    EXPECT_EQ(c.link->Send(WM_DEVICE_PING, 0, 0), 1);
    EXPECT_EQ(c.link->Send(WM_DEVICE_BREAK, 0, 0), 0);
    EXPECT_EQ(c.Title(WM_CONSOLE_TITLE, "abc"), 0);
    EXPECT_EQ(c.Title(WM_CONSOLE_CLEAR, "abc"), 0);
    c.Print({P(Str("x"))});
    EXPECT_EQ(c.link->Send(WM_DEVICE_PING, 0, 0), 1);
}

TEST_F(ConsoleDevice, TypedTextBecomesTheValue)
{
    Console c;
    ASSERT_TRUE(c.view);
    const struct {
        const char* typed;
        uint32_t type;
        const char* shown;  // strings
        double real;        // numbers
    } cases[] = {{" 12", VT_STRING, " 12", 0},   {"12", VT_REAL, nullptr, 12},      {"abc", VT_STRING, "abc", 0},
                 {"INF", VT_REAL, nullptr, INFINITY}, {"inf", VT_STRING, "inf", 0}, {"[1,2", VT_STRING, "[1,2", 0},
                 {"Zo\xC3\xAB", VT_STRING, "Zo\xC3\xAB", 0}};
    for (const auto& k : cases) {
        c.Clear();
        EXPECT_EQ(c.PrintWhile({P(Str("Name? ")), In(), P(Str("after"))},
                               [&] {
                                   ASSERT_TRUE(c.WaitInput());
                                   InjectText(k.typed);
                                   InjectKeyStroke(VK_RETURN);
                               }),
                  0)
            << k.typed;
        ASSERT_NE(c.lastTargets[1], nullptr) << k.typed;
        EXPECT_EQ(c.lastValues[1].Type(), k.type) << k.typed;
        if (k.shown) EXPECT_EQ(Shown(c.lastValues[1]), k.shown) << k.typed;
        else if (c.lastValues[1].Type() == VT_REAL) EXPECT_EQ(c.lastValues[1].Real(), k.real) << k.typed;
        EXPECT_EQ(c.Text(), std::string("Name? ") + k.typed + "\nafter\n");
    }
}

TEST_F(ConsoleDevice, EscapeGivesAnEmptyValueAndTheRequestGoesOn)
{
    Console c;
    ASSERT_TRUE(c.view);
    EXPECT_EQ(c.PrintWhile({P(Str("a? ")), In(), In()},
                           [&] {
                               ASSERT_TRUE(c.WaitInput());
                               InjectText("xy");
                               InjectKeyStroke(VK_ESCAPE);
                               // B waits on its own line; the Escape's character did not take it.
                               ASSERT_TRUE(c.WaitInput([](const std::string& t) { return t == "a? xy\n"; }));
                               InjectText("7");
                               InjectKeyStroke(VK_RETURN);
                           }),
              0);
    ASSERT_NE(c.lastTargets[1], nullptr);
    EXPECT_TRUE(c.lastValues[1].IsEmpty());
    ASSERT_NE(c.lastTargets[2], nullptr);
    EXPECT_EQ(c.lastValues[2].Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(Shown(c.lastValues[2]), "7");
    EXPECT_EQ(c.Text(), "a? xy\n7\n");
}

TEST_F(ConsoleDevice, OutputBeforeTheInputCannotChange)
{
    Console c;
    ASSERT_TRUE(c.view);
    c.Print({P(Str("first line"))});
    bool closeRefused = false;
    EXPECT_EQ(c.PrintWhile({P(Str("N? ")), In()},
                           [&] {
                               auto shows = [&](const char* t) {
                                   return c.WaitInput([&](const std::string& x) { return x == t; });
                               };
                               ASSERT_TRUE(c.WaitInput());
                               InjectText("ab");
                               ASSERT_TRUE(shows("first line\nN? ab"));
                               // Caret into earlier output: typing lands at the input start.
                               CHARRANGE cr{2, 2};
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               InjectText("c");
                               ASSERT_TRUE(shows("first line\nN? cab"));
                               // Backspace at the input start does nothing (the "d" after it
                               // shows the key was handled).
                               cr = CHARRANGE{14, 14};
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               InjectKeyStroke(VK_BACK);
                               InjectText("d");
                               ASSERT_TRUE(shows("first line\nN? dcab"));
                               // Delete over a selection reaching into output; then "e" replaces
                               // the input part of that selection alone.
                               cr = CHARRANGE{3, 15};
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               InjectKeyStroke(VK_DELETE);
                               InjectText("e");
                               ASSERT_TRUE(shows("first line\nN? ecab"));
                               // Clear, cut, paste and undo over such a selection.
                               cr = CHARRANGE{3, 15};
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               SendMessage(c.view, WM_CLEAR, 0, 0);
                               SendMessage(c.view, WM_CUT, 0, 0);
                               SendMessage(c.view, WM_PASTE, 0, 0);
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               SendMessage(c.view, WM_UNDO, 0, 0);
                               // Closing is refused while the input waits (sent: the
                               // answer comes once the frame has handled it).
                               SendMessage(c.frame, WM_CLOSE, 0, 0);
                               closeRefused = IsWindow(c.frame) != FALSE;
                               // File New would replace the text under the input: refused.
                               SendMessage(c.frame, WM_COMMAND, ID_FILE_NEW, 0);
                               cr = CHARRANGE{17, 17};
                               SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&cr);
                               InjectKeyStroke(VK_RETURN);
                           }),
              0);
    EXPECT_EQ(c.Text().substr(0, 14), "first line\nN? ");
    EXPECT_EQ(c.Text().substr(14), Shown(c.lastValues[1]) + "\n");
    EXPECT_TRUE(closeRefused);
}

TEST_F(ConsoleDevice, QuitDuringAnInputEndsItAndThenTheThread)
{
    Console c;
    ASSERT_TRUE(c.view);
    EXPECT_EQ(c.PrintWhile({In(), In()},
                           [&] {
                               ASSERT_TRUE(c.WaitInput());
                               PostThreadMessage(c.link->threadId, WM_QUIT, 3, 0);
                           }),
              -1);
    EXPECT_EQ(c.lastTargets[0], nullptr);
    EXPECT_EQ(c.lastTargets[1], nullptr);
    // The thread's own loop saw the quit.
    EXPECT_EQ(WaitForSingleObject(c.thread, 5000), WAIT_OBJECT_0);
}

TEST_F(ConsoleDevice, CloseWaitsForTheInputToEnd)
{
    Console c;
    ASSERT_TRUE(c.view);
    bool openDuringInput = false;
    EXPECT_EQ(c.PrintWhile({In()},
                           [&] {
                               ASSERT_TRUE(c.WaitInput());
                               SendMessage(c.frame, WM_CLOSE, 0, 0);
                               openDuringInput = IsWindow(c.frame) != FALSE;
                               InjectKeyStroke(VK_ESCAPE);
                           }),
              0);
    EXPECT_TRUE(openDuringInput);
    EXPECT_TRUE(c.lastValues[0].IsEmpty());
    PostMessage(c.frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(c.thread, 5000), WAIT_OBJECT_0);
}

TEST_F(ConsoleDevice, ControlReleasedElsewhereDoesNotStick)
{
    Console c;
    ASSERT_TRUE(c.view);
    EXPECT_EQ(c.PrintWhile({In()},
                           [&] {
                               ASSERT_TRUE(c.WaitInput());
                               InjectText("x");
                               // Control+A in the console: the console thread has seen Control down.
                               InjectKey(VK_CONTROL, true);
                               InjectKeyStroke('A');
                               bool selected = false;
                               for (int i = 0; i < 1000 && !selected; ++i, Sleep(5)) {
                                   CHARRANGE cr{};
                                   SendMessage(c.view, EM_EXGETSEL, 0, (LPARAM)&cr);
                                   selected = cr.cpMin == 0 && cr.cpMax == 1;
                               }
                               if (!selected) {
                                   InjectKey(VK_CONTROL, false);
                                   PostMessage(c.frame, WM_DEVICE_BREAK, 0, 0);
                                   ADD_FAILURE() << "Control+A not seen";
                                   return;
                               }
                               // The key-up goes to a window of this thread.
                               HWND other = CreateWindowEx(0, "Static", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                                           0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
                               SetForegroundWindow(other);
                               InjectKey(VK_CONTROL, false);
                               PumpUntil([] { return GetAsyncKeyState(VK_CONTROL) >= 0; }, 2000);
                               PumpUntilIdle();
                               SetForegroundWindow(c.frame);
                               PumpUntil([&] { return FocusOfThread(c.link->threadId) == c.view; }, 2000);
                               InjectKeyStroke(VK_RETURN);
                               PumpUntil([&] { return !c.Writable(); }, 3000);
                               DestroyWindow(other);
                               if (c.Writable()) {
                                   ADD_FAILURE() << "Enter did not end the input";
                                   PostMessage(c.frame, WM_DEVICE_BREAK, 0, 0);
                               }
                           }),
              0);
    EXPECT_EQ(c.Text(), "x\n");
}

TEST_F(ConsoleDevice, SaveAsAndReopenTheConsoleText)
{
    const fs::path dir = ConfigHome() / "docs";
    fs::create_directories(dir);
    const fs::path saved = dir / "saved.vxc";
    std::string text;
    {
        Console c;
        ASSERT_TRUE(c.view);
        c.Print({P(Str("red "), {{"color", Str("red")}}), P(Str("bold"), {{"bd", CValue()}})});
        c.Print({P(Str("x"), {{"color", Str("blue")}, {"bd", CValue(0.0)}}), P(Str("2"), {{"sub", CValue()}}),
                 P(Str("caf\xE9"))});
        text = c.Text();
        CommonDialogAnswer answer;
        answer.paths = {saved.string()};
        PushCommonDialogAnswer(answer);
        SendMessage(c.frame, WM_COMMAND, ID_FILE_SAVE_AS, 0);
        ClearCommonDialogAnswers();
        ASSERT_TRUE(fs::exists(saved));
        std::ifstream in(saved, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const char* src = std::getenv("VELDRA_SOURCE");
        const fs::path golden = fs::path(src ? src : "..") / "tests/console_device/data/console.vxc";
        std::ifstream g(golden, std::ios::binary);
        const std::string want((std::istreambuf_iterator<char>(g)), std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, want) << golden;
        // A recent file of the console's own settings.
        std::ifstream conf(ConfigHome() / "Brenholt" / "Nerith.conf");
        const std::string settings((std::istreambuf_iterator<char>(conf)), std::istreambuf_iterator<char>());
        EXPECT_NE(settings.find(saved.string()), std::string::npos) << settings;
    }
    {
        Console c;
        ASSERT_TRUE(c.view);
        CommonDialogAnswer answer;
        answer.paths = {saved.string()};
        PushCommonDialogAnswer(answer);
        SendMessage(c.frame, WM_COMMAND, ID_FILE_OPEN, 0);
        ClearCommonDialogAnswers();
        EXPECT_EQ(c.Text(), text);
        EXPECT_EQ(c.FormatAt(0).crTextColor, 0x0000FFu);
        EXPECT_TRUE(c.FormatAt(4).dwEffects & CFE_BOLD);
    }
}

TEST_F(ConsoleDevice, OpensHandWrittenRichTextAndPlainText)
{
    const char* src = std::getenv("VELDRA_SOURCE");
    const fs::path hand = fs::path(src ? src : "..") / "tests/console_device/data/hand.vxc";
    const fs::path plain = ConfigHome() / "plain.vxc";
    {
        std::ofstream out(plain, std::ios::binary);
        out << "one\r\ntwo\nthree";
    }
    Console c;
    ASSERT_TRUE(c.view);
    const struct {
        fs::path path;
        const char* text;
    } cases[] = {{hand, "plain green\n"}, {plain, "one\ntwo\nthree"}};
    for (const auto& k : cases) {
        CommonDialogAnswer answer;
        answer.paths = {k.path.string()};
        PushCommonDialogAnswer(answer);
        SendMessage(c.frame, WM_COMMAND, ID_FILE_OPEN, 0);
        ClearCommonDialogAnswers();
        EXPECT_EQ(c.Text(), k.text) << k.path;
    }
}

TEST_F(ConsoleDevice, PrintsToAOnePagePdf)
{
    const fs::path pdf = ConfigHome() / "console.pdf";
    Console c;
    ASSERT_TRUE(c.view);
    c.Print({P(Str("printed "), {{"color", Str("red")}}), P(Str("text"))});
    CommonDialogAnswer answer;
    answer.text = AFX_PRINTER_PDF;
    answer.paths = {pdf.string()};
    PushCommonDialogAnswer(answer);
    SendMessage(c.frame, WM_COMMAND, ID_FILE_PRINT, 0);
    ClearCommonDialogAnswers();
    ASSERT_TRUE(fs::exists(pdf));
    FILE* p = popen(("pdfinfo '" + pdf.string() + "' 2>/dev/null").c_str(), "r");
    ASSERT_TRUE(p);
    std::string out;
    char line[256];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
    const size_t at = out.find("Pages:");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(std::atoi(out.c_str() + at + 6), 1);
}

TEST_F(ConsoleDevice, LongOutputFollowsTheEndUnlessScrolledBack)
{
    Console c;
    ASSERT_TRUE(c.view);
    std::string block;
    for (int i = 0; i < 19990; ++i) block += "line " + std::to_string(i) + "\n";
    block.pop_back();
    c.Print({P(Str(block.c_str()))});
    for (int i = 0; i < 10; ++i) c.Print({P(Str("more"))});
    const int lines = (int)SendMessage(c.view, EM_GETLINECOUNT, 0, 0);
    EXPECT_GE(lines, 20000);
    const int first = (int)SendMessage(c.view, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(first, lines - 60);
    // Scrolled back to the top, the reader stays there.
    SendMessage(c.view, EM_LINESCROLL, 0, -first);
    EXPECT_EQ(SendMessage(c.view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    for (int i = 0; i < 5; ++i) c.Print({P(Str("still more"))});
    EXPECT_EQ(SendMessage(c.view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// Opens Tools Settings on the console's thread; the sheet, or null.
HWND OpenSettings(Console& c)
{
    PostMessage(c.frame, WM_COMMAND, 32771, 0);
    HWND sheet = nullptr;
    PumpUntil([&] { return (sheet = FindThreadWindow(c.link->threadId, "Settings")) != nullptr; }, 5000);
    return sheet;
}

bool PressOk(HWND sheet)
{
    PostMessage(sheet, WM_COMMAND, IDOK, 0);
    return PumpUntil([&] { return !IsWindow(sheet); }, 5000);
}

TEST_F(ConsoleDevice, SettingsSheetPrefixesAndSizes)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(GetWindowTextLength(FindChildById(sheet, 1022)), 3);  // 256 Kb
    EXPECT_EQ(WindowText(FindChildById(sheet, 1022)), "256");
    // The three spins are real up-down controls beside their boxes.
    for (int spin : {1072, 1073, 1074}) {
        HWND h = FindChildById(sheet, spin);
        ASSERT_TRUE(h) << spin;
        EXPECT_NE(SendMessage(h, UDM_GETBUDDY, 0, 0), 0) << spin;
    }
    EXPECT_EQ(SendMessage(FindChildById(sheet, 1012), CB_GETCURSEL, 0, 0), 0);  // flags 0x103: "Format"
    EXPECT_EQ(SendMessage(FindChildById(sheet, 1011), CB_GETCURSEL, 0, 0), 1);  // "Printing"
    SendMessage(FindChildById(sheet, 1123), BM_SETCHECK, BST_CHECKED, 0);
    SetWindowText(FindChildById(sheet, 1014), "26");
    ASSERT_TRUE(PressOk(sheet));
    c.Print({P(Str("x="))});
    EXPECT_EQ(c.Text(), ">> x=\n");
    EXPECT_EQ(c.FormatAt(3).yHeight, 90);

    sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    SendMessage(FindChildById(sheet, 1122), BM_SETCHECK, BST_CHECKED, 0);
    SetWindowText(FindChildById(sheet, 1014), "25");
    ASSERT_TRUE(PressOk(sheet));
    c.Clear();
    c.Print({P(Str("x=1"))});
    EXPECT_TRUE(std::regex_match(c.Text(), std::regex(R"(^\[\d\d:\d\d:\d\d\.\d{3}\] >> x=1\n$)"))) << c.Text();
    EXPECT_EQ(c.FormatAt(0).yHeight, 500);

    // Back to the defaults for the other tests.
    sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    SendMessage(FindChildById(sheet, 1123), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessage(FindChildById(sheet, 1122), BM_SETCHECK, BST_UNCHECKED, 0);
    SetWindowText(FindChildById(sheet, 1014), "8");
    ASSERT_TRUE(PressOk(sheet));
    c.Clear();
    c.Print({P(Str("x"))});
    EXPECT_EQ(c.Text(), "x\n");
    EXPECT_EQ(c.FormatAt(0).yHeight, 160);
}

// Apply waits for an edit: a typed number or a clicked box enables it, and
// Apply itself makes it wait again.
TEST_F(ConsoleDevice, SettingsApplyFollowsTheEdits)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    HWND apply = FindChildById(sheet, 0x3021 /* Apply */);
    ASSERT_TRUE(apply);
    EXPECT_FALSE(IsWindowEnabled(apply));
    SendMessage(FindChildById(sheet, 1123), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(apply) != FALSE; }, 5000)) << "a click left Apply grey";
    SendMessage(FindChildById(sheet, 1123), BM_CLICK, 0, 0);
    PostMessage(sheet, WM_COMMAND, 0x3021 /* Apply */, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(apply); }, 5000));
    SetWindowText(FindChildById(sheet, 1022), "300");
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(apply) != FALSE; }, 5000)) << "an edit left Apply grey";
    PostMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
}

// Control 1013 is the owner-drawn font combo: it shows the console's face,
// and the face chosen there prints the next output.
// Every label of the General page shows whole on one line, and its
// drop-down boxes draw no scroll bar beside them when closed.
TEST_F(ConsoleDevice, SettingsPageLabelsWholeAndCombosWithoutScrollBars)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    std::vector<HWND> children;
    EnumChildWindows(
        sheet,
        [](HWND h, LPARAM l) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            return TRUE;
        },
        (LPARAM)&children);
    int labels = 0;
    for (HWND h : children) {
        const std::string text = WindowText(h);
        if (text != "P&recision:" && text != "&Width:" && text != "Col&umn limit:") continue;
        ++labels;
        HDC dc = CreateRecordingDC(FALSE);
        SendMessage(h, WM_PRINTCLIENT, (WPARAM)dc, 0);
        const std::string log = GetRecordingLog(dc);
        DeleteDC(dc);
        std::string shown = text;
        shown.erase(shown.find('&'), 1);
        EXPECT_NE(log.find("\"" + shown + "\""), std::string::npos) << log;
    }
    EXPECT_EQ(labels, 3);
    for (int id : {1011, 1012, 1013, 1014}) {
        HWND combo = FindChildById(sheet, id);
        ASSERT_TRUE(combo) << id;
        EXPECT_FALSE(GetWindowLongPtr(combo, GWL_STYLE) & WS_VSCROLL) << id;
        RECT wr, cr;
        GetWindowRect(combo, &wr);
        GetClientRect(combo, &cr);
        EXPECT_EQ(cr.right, wr.right - wr.left) << id;
    }
    PostMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
}

TEST_F(ConsoleDevice, SheetFontComboSetsTheConsoleFace)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    HWND faces = FindChildById(sheet, 1013);
    ASSERT_TRUE(faces);
    EXPECT_TRUE(GetWindowLongPtr(faces, GWL_STYLE) & CBS_OWNERDRAWVARIABLE);
    auto itemText = [&](LRESULT i) {
        std::string t((size_t)SendMessage(faces, CB_GETLBTEXTLEN, (WPARAM)i, 0) + 1, '\0');
        SendMessage(faces, CB_GETLBTEXT, (WPARAM)i, (LPARAM)t.data());
        t.resize(strnlen(t.c_str(), t.size()));
        return t;
    };
    const LRESULT current = SendMessage(faces, CB_GETCURSEL, 0, 0);
    ASSERT_GE(current, 0);
    EXPECT_EQ(itemText(current), "Courier New");
    ASSERT_GT(SendMessage(faces, CB_GETCOUNT, 0, 0), 1);
    const LRESULT other = current == 0 ? 1 : 0;
    const std::string chosen = itemText(other);
    SendMessage(faces, CB_SETCURSEL, (WPARAM)other, 0);
    ASSERT_TRUE(PressOk(sheet));
    c.Clear();
    c.Print({P(Str("x"))});
    EXPECT_EQ(std::string(c.FormatAt(0).szFaceName), chosen);

    // Back to the default face for the other tests.
    sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    faces = FindChildById(sheet, 1013);
    EXPECT_EQ(itemText(SendMessage(faces, CB_GETCURSEL, 0, 0)), chosen);
    SendMessage(faces, CB_SETCURSEL, (WPARAM)SendMessage(faces, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM) "Courier New"), 0);
    ASSERT_TRUE(PressOk(sheet));
    c.Clear();
    c.Print({P(Str("x"))});
    EXPECT_EQ(std::string(c.FormatAt(0).szFaceName), "Courier New");
}

TEST_F(ConsoleDevice, SheetRefusesOutOfRangeAndDoesNotHoldOtherConsoles)
{
    Console c, other;
    ASSERT_TRUE(c.view && other.view);
    HWND sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    // The modal sheet of one console does not hold up a print to another.
    EXPECT_EQ(other.Print({P(Str("meanwhile"))}), 0);
    EXPECT_EQ(other.Text(), "meanwhile\n");
    SetWindowText(FindChildById(sheet, 1023), "18");
    TakeMessageBoxLog();
    // Headless, the box answers at once and is logged; the sheet stays open.
    PostMessage(sheet, WM_COMMAND, IDOK, 0);
    std::vector<MessageBoxRecord> boxes;
    ASSERT_TRUE(PumpUntil([&] {
        for (auto& b : TakeMessageBoxLog()) boxes.push_back(b);
        return !boxes.empty();
    }, 5000));
    EXPECT_NE(boxes[0].text.find("17"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].caption, "Nerith");
    PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(IsWindow(sheet));
    PostMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
    // Cancelled: nothing changed, and the sheet reopens on its (only) page.
    sheet = OpenSettings(c);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(WindowText(FindChildById(sheet, 1023)), "6");
    PostMessage(sheet, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(sheet); }, 5000));
}

TEST_F(ConsoleDevice, AClosedConsoleReopensWhereItWas)
{
    RECT before{};
    {
        Console c;
        ASSERT_TRUE(c.frame);
        SetWindowPos(c.frame, nullptr, 37, 41, 450, 260, SWP_NOZORDER);
        GetWindowRect(c.frame, &before);
    }
    Console again;
    ASSERT_TRUE(again.frame);
    RECT after{};
    GetWindowRect(again.frame, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(ConsoleDevice, PrintingDoesNotTakeActivationFromTheIde)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND ide = CreateWindowEx(0, "Static", "IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_TRUE(ide);
    SetForegroundWindow(ide);
    PumpUntil([&] { return GetForegroundWindow() == ide; }, 2000);
    ASSERT_EQ(GetForegroundWindow(), ide);
    for (int i = 0; i < 3; ++i) c.Print({P(Str("x"))});
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(GetForegroundWindow(), ide);
    EXPECT_EQ(GetTopWindow(nullptr), ide);  // not raised above the IDE either
    DestroyWindow(ide);
}

// A waiting input brings its console forward (back from minimised too),
// while the window the user types in keeps the keyboard.
// A waiting input comes forward, back from the task bar if need be; it takes
// the keys from the program's own main window (the IDE that started the
// run), never from a dialog the user is in.
TEST_F(ConsoleDevice, WaitingInputComesForwardAndTakesTheKeysFromAMainWindowOnly)
{
    Console c;
    ASSERT_TRUE(c.view);
    struct Case {
        bool minimised, dialog;
    };
    for (Case k : {Case{false, false}, Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(std::string(k.minimised ? "minimised" : "behind") + (k.dialog ? ", a dialog has the keys" : ""));
        HWND ide = CreateWindowEx(0, "Edit", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_TRUE(ide);
        // A top-level window owned by the main one stands for its dialog.
        HWND dialog = k.dialog ? CreateWindowEx(0, "Edit", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, ide,
                                                nullptr, nullptr, nullptr)
                               : nullptr;
        HWND user = dialog ? dialog : ide;
        if (k.minimised) ShowWindow(c.frame, SW_MINIMIZE);
        SetForegroundWindow(user);
        SetFocus(user);
        PumpUntil([&] { return GetForegroundWindow() == user; }, 2000);
        ASSERT_EQ(GetForegroundWindow(), user);
        auto above = [&](HWND a, HWND b) {
            for (const VisibleWindow& w : VisibleTopLevelWindows()) {
                if (w.hwnd == a) return true;
                if (w.hwnd == b) return false;
            }
            return false;
        };
        ASSERT_TRUE(above(user, c.frame));
        bool forward = false, iconic = true;
        HWND keys = nullptr;
        std::thread typist([&] {
            ASSERT_TRUE(c.WaitInput());
            forward = above(c.frame, ide);
            iconic = IsIconic(c.frame) != FALSE;
            keys = GetForegroundWindow();
            InjectText("ab");
            PumpUntil([&] { return !RawInputPending(); }, 2000);
            PostMessage(c.frame, WM_DEVICE_BREAK, 0, 0);
        });
        c.Print({P(Str("x? ")), In()});
        typist.join();
        PumpUntilIdle();
        EXPECT_TRUE(forward);
        EXPECT_FALSE(iconic);
        EXPECT_TRUE(IsWindowVisible(c.frame));
        if (k.dialog) {
            EXPECT_EQ(keys, dialog);
            EXPECT_EQ(WindowText(dialog), "ab");
            EXPECT_EQ(c.Text().find("ab"), std::string::npos) << c.Text();
        } else {
            EXPECT_EQ(keys, c.frame);
            EXPECT_EQ(WindowText(ide), "");
            EXPECT_NE(c.Text().find("x? ab"), std::string::npos) << c.Text();
        }
        if (dialog) DestroyWindow(dialog);
        DestroyWindow(ide);
        c.Clear();
    }
}

// The host starts a console before its first request, yet that request can
// be served while the console's thread still waits for the start: inside
// another thread's send. An input then shows the window first, as the start
// does (placed and active), so that what the user types reaches it.
constexpr UINT kHoldInTheStartWait = WM_APP + 77;
HANDLE g_holdEntered = nullptr;
WNDPROC g_frameProc = nullptr;
LRESULT HoldingFrameProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m != kHoldInTheStartWait) return CallWindowProc(g_frameProc, h, m, w, l);
    SetEvent(g_holdEntered);
    // Until the next send (the input) has come; it is served when this returns.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    return 0;
}

TEST_F(ConsoleDevice, AnInputServedBeforeTheStartShowsTheWindowFirst)
{
    Console c(false);
    ASSERT_TRUE(c.view);
    ASSERT_FALSE(IsWindowVisible(c.frame));
    g_holdEntered = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    g_frameProc = (WNDPROC)SetWindowLongPtr(c.frame, GWLP_WNDPROC, (LONG_PTR)HoldingFrameProc);
    std::thread other([&] { SendMessage(c.frame, kHoldInTheStartWait, 0, 0); });
    WaitForSingleObject(g_holdEntered, INFINITE);
    c.link->Start();
    bool active = false;
    std::thread user([&] {
        ASSERT_TRUE(c.WaitInput());
        active = GetForegroundWindow() == c.frame;
        if (active) {
            InjectText("hi");
            InjectKeyStroke(VK_RETURN);
        } else {
            PostMessage(c.frame, WM_DEVICE_BREAK, 0, 0);   // the keys would reach no window
        }
    });
    c.Print({P(Str("x? ")), In()});
    user.join();
    other.join();
    SetWindowLongPtr(c.frame, GWLP_WNDPROC, (LONG_PTR)g_frameProc);
    CloseHandle(g_holdEntered);
    EXPECT_TRUE(IsWindowVisible(c.frame));
    EXPECT_TRUE(active);
    ASSERT_NE(c.lastTargets[1], nullptr);
    EXPECT_EQ(Shown(c.lastValues[1]), "hi");
}

TEST_F(ConsoleDevice, FindNextRepeatsTheLastSearch)
{
    Console c;
    ASSERT_TRUE(c.view);
    c.Print({P(Str("abc"))});
    c.Print({P(Str("xx abc"))});
    CommonDialogAnswer answer;
    answer.text = "abc";
    answer.number = FR_DOWN | FR_FINDNEXT;
    PushCommonDialogAnswer(answer);
    CHARRANGE start{0, 0};
    SendMessage(c.view, EM_EXSETSEL, 0, (LPARAM)&start);
    // F3 with no search yet opens Find, which finds the first one.
    SendMessage(c.frame, WM_COMMAND, 57640, 0);
    CHARRANGE sel{};
    SendMessage(c.view, EM_EXGETSEL, 0, (LPARAM)&sel);
    EXPECT_EQ(sel.cpMin, 0);
    EXPECT_EQ(sel.cpMax, 3);
    SendMessage(c.frame, WM_COMMAND, 57640, 0);
    SendMessage(c.view, EM_EXGETSEL, 0, (LPARAM)&sel);
    EXPECT_EQ(sel.cpMin, 7);
    EXPECT_EQ(sel.cpMax, 10);
    ClearCommonDialogAnswers();
}

TEST_F(ConsoleDevice, OtypeChangesTheSavedFormat)
{
    const fs::path conf = ConfigHome() / "Brenholt" / "Nerith.conf";
    {
        Console c;
        ASSERT_TRUE(c.view);
        c.Print({P(Str("s"), {{"otype", Str("stream")}})});
    }
    std::vector<uint8_t> data;
    ASSERT_TRUE(CSettingsFile::Open(conf.string()).GetBinary("Settings", "102", data));
    ASSERT_EQ(data.size(), 20u);
    EXPECT_EQ(data[0], 0x00);
    {
        Console c;
        c.Print({P(Str("p"), {{"otype", Str("print")}})});
    }
    ASSERT_TRUE(CSettingsFile::Open(conf.string()).GetBinary("Settings", "102", data));
    EXPECT_EQ(data[0], 0x03);
    uint32_t ver = 0;
    EXPECT_TRUE(CSettingsFile::Open(conf.string()).GetInt("Settings", "Ver", ver));
    EXPECT_EQ(ver, 2u);
}

TEST_F(ConsoleDevice, ColouredOutputPicture)
{
    Console c;
    ASSERT_TRUE(c.view);
    SetWindowPos(c.frame, nullptr, 0, 0, 520, 300, SWP_NOMOVE | SWP_NOZORDER);
    c.Print({P(Str("x=")), P(1.0)});
    c.Print({P(Str("warn"), {{"color", Str("red")}, {"bd", CValue()}}), P(Str(" ok"), {{"color", Str("blue")}})});
    c.Print({P(Parse("[1,2;3,4]"))});
    c.Print({P(Str("green italic"), {{"color", Str("green")}, {"bd", CValue(0.0)}, {"it", CValue()}})});
    c.Print({P(Str("big magenta"), {{"color", Str("magenta")}, {"it", CValue(0.0)}, {"height", CValue(280.0)}})});
    c.Print({P(Str("underlined"), {{"color", Str("black")}, {"height", CValue(160.0)}, {"ul", CValue()}})});
    InvalidateRect(c.frame, nullptr, TRUE);
    UpdateWindow(c.frame);
    PumpUntil([] { return false; }, 200);
    const char* out = std::getenv("VELDRA_OUT");
    fs::path dir = fs::path(out ? out : "build/out").parent_path() / "test-artifacts";
    fs::create_directories(dir);
    EXPECT_TRUE(HeadlessSavePng(c.frame, (dir / "console_coloured.png").string()));
}

}  // namespace

namespace {

// The console's bars, read back through their windows; its toolbar layout
// is saved as "Brenholt" and restored only when it names bars the frame has.
// The eight toolbar buttons show eight different pictures on the button
// face, each enabled one in more than one colour.
TEST_F(ConsoleDevice, ToolbarButtonsShowTheirOwnPictures)
{
    Console c;
    ASSERT_TRUE(c.view);
    HWND tool = FindChildById(c.frame, 0xE800);
    HWND toolCtrl = tool ? FindChildById(tool, 0xE800) : nullptr;
    ASSERT_TRUE(toolCtrl);
    InvalidateRect(c.frame, nullptr, TRUE);
    PumpUntil([] { return false; }, 100);
    RECT frame;
    GetWindowRect(c.frame, &frame);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::vector<std::vector<POINT>> shapes;
    int disabled = 0;
    const int n = (int)SendMessage(toolCtrl, TB_BUTTONCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        TBBUTTON b{};
        SendMessage(toolCtrl, TB_GETBUTTON, (WPARAM)i, (LPARAM)&b);
        if (b.fsStyle & BTNS_SEP) continue;
        RECT r{};
        ASSERT_TRUE(SendMessage(toolCtrl, TB_GETITEMRECT, (WPARAM)i, (LPARAM)&r));
        POINT at{r.left, r.top};
        ClientToScreen(toolCtrl, &at);
        std::vector<POINT> shape;
        std::vector<COLORREF> colours;
        // Inside the button's edge.
        for (int y = 3; y < r.bottom - r.top - 3; ++y)
            for (int x = 3; x < r.right - r.left - 3; ++x) {
                COLORREF px = 0;
                ASSERT_TRUE(HeadlessGetPixel(c.frame, at.x - frame.left + x, at.y - frame.top + y, &px));
                if (px == face) continue;
                shape.push_back(POINT{x, y});
                if (std::find(colours.begin(), colours.end(), px) == colours.end()) colours.push_back(px);
            }
        // A disabled button shows its picture in one grey, not a grey block.
        if (b.fsState & TBSTATE_ENABLED) {
            EXPECT_GE(colours.size(), 2u) << "button " << i;
        } else {
            EXPECT_LT(shape.size(), 16u * 15u * 2u / 3u) << "disabled button " << i << " is a grey block";
            ++disabled;
        }
        EXPECT_GT(shape.size(), 40u) << "button " << i;
        shapes.push_back(shape);
    }
    ASSERT_EQ(shapes.size(), 8u);
    EXPECT_GT(disabled, 0) << "Cut waits for a selection";
    auto same = [](const std::vector<POINT>& a, const std::vector<POINT>& b) {
        if (a.size() != b.size()) return false;
        for (size_t k = 0; k < a.size(); ++k)
            if (a[k].x != b[k].x || a[k].y != b[k].y) return false;
        return true;
    };
    for (size_t i = 0; i < shapes.size(); ++i)
        for (size_t j = i + 1; j < shapes.size(); ++j) EXPECT_FALSE(same(shapes[i], shapes[j])) << i << " and " << j;
}

TEST_F(ConsoleDevice, BarsDockedToggledAndTheirSavedState)
{
    const fs::path conf = ConfigHome() / "Brenholt" / "Nerith.conf";
    {
        Console c;
        ASSERT_TRUE(c.view);
        HWND tool = FindChildById(c.frame, 0xE800), status = FindChildById(c.frame, 0xE801);
        ASSERT_TRUE(tool && status);
        HWND toolCtrl = FindChildById(tool, 0xE800), statusCtrl = FindChildById(status, 0xE801);
        ASSERT_TRUE(toolCtrl && statusCtrl);
        EXPECT_EQ(SendMessage(toolCtrl, TB_BUTTONCOUNT, 0, 0), 10);
        EXPECT_EQ(SendMessage(statusCtrl, SB_GETPARTS, 0, 0), 4);
        RECT toolRect{}, statusRect{}, client{};
        GetWindowRect(tool, &toolRect);
        GetWindowRect(status, &statusRect);
        GetClientRect(c.frame, &client);
        POINT origin{0, 0};
        ClientToScreen(c.frame, &origin);
        EXPECT_EQ(toolRect.top, origin.y);
        EXPECT_EQ(statusRect.bottom, origin.y + client.bottom);
        SetWindowPos(c.frame, nullptr, 0, 0, 520, 300, SWP_NOMOVE | SWP_NOZORDER);
        c.Print({P(Str("x=")), P(1.0)});
        InvalidateRect(c.frame, nullptr, TRUE);
        PumpUntil([] { return false; }, 200);
        const char* out = std::getenv("VELDRA_OUT");
        fs::path dir = fs::path(out ? out : "build/out").parent_path() / "test-artifacts";
        fs::create_directories(dir);
        EXPECT_TRUE(HeadlessSavePng(c.frame, (dir / "console_frame_bars.png").string()));

        c.link->Send(WM_COMMAND, 59392, 0);  // View Toolbar
        EXPECT_FALSE(IsWindowVisible(tool));
        EXPECT_TRUE(IsWindowVisible(status));
    }
    std::vector<uint8_t> ids;
    {
        // The hidden toolbar comes back hidden.
        Console again;
        HWND tool = FindChildById(again.frame, 0xE800);
        ASSERT_TRUE(tool);
        EXPECT_FALSE(IsWindowVisible(tool));
        again.link->Send(WM_COMMAND, 59392, 0);
        EXPECT_TRUE(IsWindowVisible(tool));
        again.link->Send(WM_COMMAND, 59392, 0);
    }
    // A saved state naming a bar this frame lacks keeps the default layout.
    ASSERT_TRUE(CSettingsFile::Open(conf.string()).GetBinary("Brenholt-Bars", "Ids", ids));
    const uint8_t extra[4] = {0x34, 0x12, 0, 0};
    ids.insert(ids.end(), extra, extra + 4);
    ASSERT_TRUE(CSettingsFile::Open(conf.string()).WriteBinary("Brenholt-Bars", "Ids", ids.data(), ids.size()));
    Console fresh;
    HWND tool = FindChildById(fresh.frame, 0xE800);
    ASSERT_TRUE(tool);
    EXPECT_TRUE(IsWindowVisible(tool));
    RECT toolRect{};
    GetWindowRect(tool, &toolRect);
    POINT origin{0, 0};
    ClientToScreen(fresh.frame, &origin);
    EXPECT_EQ(toolRect.top, origin.y);
}

}  // namespace
