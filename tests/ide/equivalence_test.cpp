// Every program fixture and example through the headless IDE against
// `veldra --run`: the same output text, an error line exactly when the batch
// status is 1, no thread when it is 2, and the same files written.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>

#include "builtins/libraries.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "tests/ide/ide_start_util.h"
#include "platform/afx/settings_file.h"
#include "values/output_stream.h"

namespace {

using namespace ide_test;

// Set by the test support code before any test runs.
fs::path SourceDir() { return std::getenv("VELDRA_SOURCE"); }
fs::path BuildDir() { return fs::path(std::getenv("VELDRA_OUT")).parent_path(); }

// The posted messages of a stream, for their colours.
struct PostedPeek : COutputStream {
    static const std::vector<COutputMessage*>& Of(COutputStream* s) { return s->*(&PostedPeek::m_posted); }
};

struct Fixture {
    fs::path program;  // in the source tree
    std::string name;  // relative, for messages
    bool secondFolder = false;
};

std::vector<Fixture> AllFixtures()
{
    std::vector<Fixture> out;
    for (const auto& e : fs::directory_iterator(SourceDir() / "examples"))
        if (e.path().extension() == ".vdx") out.push_back({e.path(), "examples/" + e.path().filename().string()});
    for (const auto& e : fs::recursive_directory_iterator(SourceDir() / "tests" / "programs"))
        if (e.path().extension() == ".vdx") {
            std::string rel = fs::relative(e.path(), SourceDir() / "tests" / "programs").string();
            out.push_back({e.path(), rel, rel.rfind("modules/", 0) == 0});
        }
    std::sort(out.begin(), out.end(), [](const Fixture& a, const Fixture& b) { return a.name < b.name; });
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Sanitizer builds: the first two fixtures of every folder keep the
    // suite within its time; the release build runs them all.
    std::vector<Fixture> some;
    std::map<std::string, int> perFolder;
    for (const Fixture& f : out)
        if (perFolder[fs::path(f.name).parent_path().string()]++ < 2) some.push_back(f);
    out = std::move(some);
#endif
    return out;
}

std::string Sibling(const fs::path& program, const char* ext)
{
    fs::path p = program;
    p.replace_extension(ext);
    return fs::exists(p) ? ReadText(p) : std::string();
}

std::map<std::string, std::string> Tree(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = ReadText(e.path());
    return files;
}

std::vector<std::pair<std::string, std::string>> EnvLines(const fs::path& program)
{
    std::vector<std::pair<std::string, std::string>> env;
    std::istringstream in(Sibling(program, ".env"));
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) env.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return env;
}

class Equivalence : public IdeTest, public ::testing::WithParamInterface<Fixture> {
protected:
    // The settings both runs read: the device and function folders of the
    // program folder the fixture runs from.
    void WriteSettings(bool second)
    {
        const fs::path folder = second ? BuildDir() / "test-out" : BuildDir() / "out";
        std::ostringstream conf;
        conf << "[Settings]\nVer=dword:00000004\n300=sz:" << EscapeSettingText((BuildDir() / "out" / "funlib").string())
             << "\n301=sz:" << EscapeSettingText((folder / "bin").string()) << "\n";
        WriteText(ConfigFile(), conf.str());
    }

    int RunBatch(const Fixture& f, const fs::path& copy, std::string& out)
    {
        const fs::path exe = f.secondFolder ? BuildDir() / "test-out" / "veldra" : BuildDir() / "out" / "veldra";
        const fs::path prog = copy / f.program.filename();
        fs::path in = f.program;
        in.replace_extension(".in");
        const fs::path outFile = root / "batch.out";
        std::string cmd = "cd '" + copy.string() + "' && ";
        for (auto& [k, v] : EnvLines(f.program)) cmd += k + "='" + v + "' ";
        cmd += "timeout 100 '" + exe.string() + "' --run '" + prog.string() + "' < " +
               (fs::exists(in) ? "'" + in.string() + "'" : std::string("/dev/null")) + " > '" + outFile.string() +
               "' 2>/dev/null";
        const int status = std::system(cmd.c_str());
        out = ReadText(outFile);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// "\n" line ends; identifier numbers (one table for the whole process,
// never reused, so a test process that ran other programs is further on)
// as "#N".
std::string Normalise(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    static const std::regex handle("(Invalid file handle #)[0-9]+");
    return std::regex_replace(out, handle, "$1N");
}

// The console device's frame ("... - Nerith") and its view, when open.
struct ConsoleWindows {
    HWND frame = nullptr, view = nullptr;
};
BOOL FindConsoleFrame(HWND h, LPARAM l)
{
    char title[256] = {};
    GetWindowText(h, title, sizeof title);
    const std::string t = title;
    if (t.size() >= 6 && t.compare(t.size() - 6, 6, "Nerith") == 0) {
        reinterpret_cast<ConsoleWindows*>(l)->frame = h;
        return FALSE;
    }
    return TRUE;
}
ConsoleWindows FindConsole()
{
    ConsoleWindows c;
    EnumWindows(FindConsoleFrame, (LPARAM)&c);
    if (c.frame) c.view = GetDlgItem(c.frame, AFX_IDW_PANE_FIRST);
    return c;
}

// Types the fixture's input lines into the console as each input waits, then
// an Escape for every input left.
class CConsoleTypist {
public:
    explicit CConsoleTypist(const std::string& input)
    {
        std::istringstream in(input);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_lines.push_back(line);
        }
    }
    void Step()
    {
        ConsoleWindows c = FindConsole();
        const bool waiting = c.view && !(GetWindowLongPtr(c.view, GWL_STYLE) & ES_READONLY);
        if (!waiting) {
            m_typedAt = 0;
            return;
        }
        if (m_typedAt && GetTickCount() - m_typedAt < 500) return;
        SetForegroundWindow(c.frame);
        if (m_next < m_lines.size()) {
            InjectText(m_lines[m_next++]);
            InjectKeyStroke(VK_RETURN);
        } else {
            InjectKeyStroke(VK_ESCAPE);
        }
        m_typedAt = GetTickCount();
    }

private:
    std::vector<std::string> m_lines;
    size_t m_next = 0;
    DWORD m_typedAt = 0;
};

TEST_P(Equivalence, IdeOutputEqualsBatch)
{
    const Fixture& f = GetParam();
    const std::string reason = Sibling(f.program, ".batch-only");
    if (!reason.empty()) GTEST_SKIP() << "batch only: " << reason;
    // Known: Escape in the console window gives the input an empty value
    // (the variable is cleared, the mirror shows it), where the end of
    // standard input gives none ("Failed to read parameter from the
    // console", "INVALID", the variable kept). Left to the console device.
    static const std::set<std::string> kEscapeDiffers = {"console/input_line_ends.vdx", "console/input_lines.vdx",
                                                         "examples/console.vdx"};
    if (kEscapeDiffers.count(f.name)) GTEST_SKIP() << "Escape is not the end of input in the console window";

    // Two fresh copies of the fixture's folder: one for each run.
    const fs::path batchCopy = root / "batch", ideCopy = root / "ide";
    for (const fs::path& p : {batchCopy, ideCopy})
        fs::copy(f.program.parent_path(), p, fs::copy_options::recursive);
    WriteSettings(f.secondFolder);
    std::string batchOut;
    const int rc = RunBatch(f, batchCopy, batchOut);
    ASSERT_GE(rc, 0) << f.name;
    ASSERT_LE(rc, 2) << f.name << "\n" << batchOut;

    auto env = EnvLines(f.program);
    for (auto& [k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    // As in a fresh process: the function modules' libraries come before the
    // built-in ones only when those are registered after them.
    UnregisterBuiltinLibraries();
    // The start-up messages are cleared before the program is opened: its
    // translation (and warnings) happens at the open, the run reuses it.
    ASSERT_TRUE(Start(IdeCommandLine{}));
    CMainFrame* frame = Frame();
    COutputCtrl& out = frame->m_wndOutputBar.m_output;
    out.OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
    PumpUntilIdle();
    ASSERT_NE(app->OpenDocumentFile((ideCopy / f.program.filename()).string().c_str()), nullptr);
    PumpUntilIdle();
    CMDIChildWnd* child = frame->MDIGetActive();
    ASSERT_NE(child, nullptr);
    auto* doc = dynamic_cast<CVeldraDoc*>(child->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    // A text that failed to translate is translated again by Calculate,
    // which writes the same errors once more: keep only those.
    if (!doc->translated) {
        out.OnOutputCommand(COutputCtrl::ID_CLEAR_ALL);
        PumpUntilIdle();
    }

    child->GetActiveView()->SetFocus();
    InjectKey(VK_CONTROL, true);
    InjectKeyStroke(VK_F5);
    InjectKey(VK_CONTROL, false);
    // The application's pump: its accelerators turn Ctrl+F5 into Calculate.
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; }); };
    pump();
    if (rc == 2) {
        EXPECT_EQ(doc->GetRunState(), RunState::Idle) << f.name;
        EXPECT_FALSE(doc->translated);
    } else {
        // Started at once, ended by the view's timer.
        EXPECT_NE(doc->GetRunState(), RunState::Idle) << f.name;
        CConsoleTypist typist(Sibling(f.program, ".in"));
        const DWORD start = GetTickCount();
        while (doc->GetRunState() != RunState::Idle && GetTickCount() - start < 100000) {
            pump();
            typist.Step();
            Sleep(5);
        }
        ASSERT_EQ(doc->GetRunState(), RunState::Idle) << f.name;
    }
    PumpUntilIdle();
    EXPECT_EQ(Normalise(out.GetWindowText()), Normalise(batchOut)) << f.name;
    bool red = false;
    out.Lock();
    for (COutputMessage* m : PostedPeek::Of(&out)) red = red || m->m_color == &RedTextColor;
    out.Unlock();
    EXPECT_EQ(red, rc != 0) << f.name;
    Close();
    for (auto& [k, v] : env) unsetenv(k.c_str());
    EXPECT_EQ(Tree(ideCopy), Tree(batchCopy)) << f.name;
}

void PrintTo(const Fixture& f, std::ostream* os) { *os << f.name; }

std::string TestName(const ::testing::TestParamInfo<Fixture>& info)
{
    std::string n = info.param.name;
    for (char& c : n)
        if (!std::isalnum((unsigned char)c)) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Equivalence, ::testing::ValuesIn(AllFixtures()), TestName);

}  // namespace
