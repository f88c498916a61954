// The command walk: the IDE, its plot window and its console window on a
// desktop with a window manager. Every menu is opened with real keys, every
// context menu with a real right click, and every item (and every toolbar
// button, with a real click) that is enabled is chosen; what opens is closed
// with its own keys. Each item's row is read off the screen (enabled, grey)
// and what became visible is recorded: a new window, a changed title, a
// changed picture. The items and what their Parts say of them are the table
// tests/system/data/command_walk.txt; the record goes to
// build/test-artifacts/command-walk.log (command-walk-icewm.log, ... under
// the other managers).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "tests/system/desktop_util.h"

namespace {

using namespace desktop;

constexpr int kWait = 8000 * kSlowdown;    // for what a command shows
constexpr int kMenuWait = 5000 * kSlowdown;

// ---- the table ----------------------------------------------------------------

struct Item {
    std::string text;       // "-" for a separator
    std::string state;      // on, grey, any, skip
    std::string expect;     // window:RE, title:RE, change, none, gone
    std::string dismiss;    // keys, or "-"
    int line = 0;
};

struct Step {
    enum Kind { Menu, Context, Toolbar, Keys, Click } kind = Menu;
    std::string key;        // Menu: the title's mnemonic; Keys: the keys
    std::string name;       // for the record
    int x = 0, y = 0;       // Context: where to right-click; Toolbar: the first button's centre
    int width = 0, sep = 0; // Toolbar: a button's and a separator's width
    std::vector<Item> items;
    int line = 0;
};

struct Section {
    std::string window;     // ide, plot, console
    std::string title;      // the window's title pattern
    std::vector<Step> steps;
};

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string f;
    while (std::getline(in, f, '|')) out.push_back(Trim(f));
    return out;
}

std::vector<Section> ReadTable(const fs::path& file, std::string* error)
{
    std::vector<Section> out;
    std::ifstream in(file);
    if (!in) {
        *error = "cannot read " + file.string();
        return out;
    }
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos && (hash == 0 || line[hash - 1] == ' ')) line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty()) continue;
        std::istringstream words(line);
        std::string head;
        words >> head;
        auto rest = [&] {
            std::string r;
            std::getline(words, r);
            return Trim(r);
        };
        if (head == "window") {
            Section s;
            words >> s.window;
            s.title = rest();
            out.push_back(s);
            continue;
        }
        if (out.empty()) {
            *error = "line " + std::to_string(number) + ": no window yet";
            return {};
        }
        Section& s = out.back();
        Step step;
        step.line = number;
        if (head == "menu") {
            // menu KEYS | NAME: Alt plus the keys open it ("v o": a sub-menu).
            step.kind = Step::Menu;
            const std::vector<std::string> f = Fields(rest());
            step.key = f.empty() ? std::string() : f[0];
            step.name = "menu " + (f.size() > 1 ? f[1] : step.key);
        } else if (head == "context") {
            // context X Y | NAME: a right click there (negative: from the right or bottom).
            step.kind = Step::Context;
            const std::vector<std::string> f = Fields(rest());
            std::istringstream(f.empty() ? std::string() : f[0]) >> step.x >> step.y;
            step.name = "context menu " + (f.size() > 1 ? f[1] : std::string());
        } else if (head == "toolbar") {
            // toolbar X Y WIDTH SEPARATOR | NAME: the first button's centre, the widths.
            step.kind = Step::Toolbar;
            const std::vector<std::string> f = Fields(rest());
            std::istringstream(f.empty() ? std::string() : f[0]) >> step.x >> step.y >> step.width >> step.sep;
            step.name = "toolbar " + (f.size() > 1 ? f[1] : std::string());
        } else if (head == "keys" || head == "click") {
            // keys KEYS | EXPECT [| DISMISS]; click X Y | EXPECT [| DISMISS]
            step.kind = head == "keys" ? Step::Keys : Step::Click;
            step.items.push_back(Item{});
            const std::vector<std::string> f = Fields(rest());
            step.key = f.empty() ? std::string() : f[0];
            if (step.kind == Step::Click) std::istringstream(step.key) >> step.x >> step.y;
            step.name = head + " " + step.key;
            Item& it = step.items.back();
            it.text = step.key;
            it.state = "on";
            it.expect = f.size() > 1 ? f[1] : "none";
            it.dismiss = f.size() > 2 ? f[2] : "-";
            it.line = number;
        } else if (!s.steps.empty() && s.steps.back().kind != Step::Keys && s.steps.back().kind != Step::Click) {
            // An item of the last menu, context menu or toolbar.
            const std::vector<std::string> f = Fields(line);
            Item it;
            it.text = f[0];
            it.line = number;
            if (it.text != "-") {
                if (f.size() < 3) {
                    *error = "line " + std::to_string(number) + ": an item needs text | state | expect [| dismiss]";
                    return {};
                }
                it.state = f[1];
                it.expect = f[2];
                it.dismiss = f.size() > 3 ? f[3] : "-";
            }
            s.steps.back().items.push_back(it);
            continue;
        } else {
            *error = "line " + std::to_string(number) + ": " + head + "?";
            return {};
        }
        s.steps.push_back(step);
    }
    return out;
}

// ---- the walk -------------------------------------------------------------------

class Walk {
public:
    Walk(std::ostream& log, Child& ide) : m_log(log), m_ide(ide) {}

    std::vector<std::string> failures;

    // So many that the rest would only wait out its limits.
    bool GaveUp() const { return failures.size() >= 12; }

    void Fail(const Item& it, const std::string& what)
    {
        const std::string text = "line " + std::to_string(it.line) + " \"" + it.text + "\": " + what;
        failures.push_back(text);
        // The screen as it was, for whoever reads the failure.
        const std::string shot = "command-walk" + DesktopSuffix() + "-line-" + std::to_string(it.line) + ".png";
        Screenshot(shot);
        m_log << "    FAIL " << what << " (" << shot << ")\n";
    }

    // Runs one window's steps; false when the walk cannot go on.
    bool Run(const Section& section, unsigned long frame)
    {
        m_frame = frame;
        m_log << "== " << section.window << " (" << Title(frame) << ")\n";
        for (const Step& step : section.steps) {
            m_log << "-- " << step.name << "\n";
            if (!RunStep(step)) return false;
            if (GaveUp()) {
                m_log << "-- too many failures: the walk stops\n";
                return false;
            }
        }
        return true;
    }

private:
    std::ostream& m_log;
    Child& m_ide;
    unsigned long m_frame = 0;

    // The table's points are of the client area: the desktop's frame is its own.
    Geometry FrameAt() { return WindowGeometry(m_frame); }

    // Back to the window under walk, no menu open.
    void Focus()
    {
        // One Escape a menu level: out of the last one the menu mode ends.
        for (size_t open = Popups().size(); open > 0; --open) Key("Escape");
        WaitNoPopup(kMenuWait);
        if (ActiveWindow() != m_frame) Activate(m_frame);
    }

    // Opens the step's menu; its pop-up, or none. Tried twice: a window that
    // a command opens late (a console after a plot) may take the keys.
    std::optional<Popup> Open(const Step& step)
    {
        std::optional<Popup> p = OpenOnce(step);
        return p ? p : OpenOnce(step);
    }

    std::optional<Popup> OpenOnce(const Step& step)
    {
        Focus();
        size_t levels = 1;
        if (step.kind == Step::Menu) {
            // "v o": the View menu's Tools sub-menu.
            Key("alt+" + step.key);
            levels += (size_t)std::count(step.key.begin(), step.key.end(), ' ');
        } else {
            // From elsewhere: a hover tip left over the point would take the click.
            MoveTo(0, 0);
            const Geometry g = FrameAt();
            Click(g.x + (step.x < 0 ? g.width + step.x : step.x), g.y + (step.y < 0 ? g.height + step.y : step.y), 3);
        }
        return WaitPopup(kMenuWait, levels);
    }

    static int ExpectedHeight(const Step& step)
    {
        int h = 2 * kMenuBorder;
        for (const Item& it : step.items) h += it.text == "-" ? kMenuSeparator : kMenuItem;
        return h;
    }

    bool RunStep(const Step& step)
    {
        if (step.kind == Step::Toolbar) return RunToolbar(step);
        if (step.kind == Step::Keys || step.kind == Step::Click) {
            Focus();
            const Item& it = step.items.front();
            m_log << "  " << step.name << "\n";
            Observe(it, [&] {
                if (step.kind == Step::Keys) return Key(it.text);
                const Geometry g = FrameAt();
                Click(g.x + (step.x < 0 ? g.width + step.x : step.x), g.y + (step.y < 0 ? g.height + step.y : step.y));
            });
            return m_ide.Running();
        }
        // The rows as the menu first shows them.
        std::optional<Popup> popup = Open(step);
        if (!popup) {
            failures.push_back("line " + std::to_string(step.line) + " " + step.name + ": no menu showed");
            m_log << "    FAIL no menu showed\n";
            return m_ide.Running();
        }
        Shot shot = Grab();
        const Geometry at = popup->at;
        if (at.height != ExpectedHeight(step)) {
            failures.push_back("line " + std::to_string(step.line) + " " + step.name + ": the menu is " +
                               std::to_string(at.height) + " pixels high, the table's rows make " +
                               std::to_string(ExpectedHeight(step)));
            m_log << "    FAIL the menu's rows differ from the table's (height " << at.height << ")\n";
            Focus();
            return true;
        }
        std::vector<RowLook> rows;
        int top = at.y + kMenuBorder;
        for (const Item& it : step.items) {
            rows.push_back(it.text == "-" ? RowLook{} : ReadRow(shot, at, top));
            top += it.text == "-" ? kMenuSeparator : kMenuItem;
        }
        // Choose each enabled item in turn: the menu opened again, Down to
        // its row (keyboard menus open on their first item), Enter.
        int index = 0;
        bool open = true;
        for (size_t i = 0; i < step.items.size(); ++i) {
            const Item& it = step.items[i];
            if (it.text == "-") continue;
            const int row = index++;
            const RowLook look = rows[i];
            const char* seen = look.state == RowState::Enabled ? "on" : look.state == RowState::Grey ? "grey" : "blank";
            m_log << "  " << it.text << " [" << seen << (look.checked ? ", checked" : "") << "]";
            if (it.state == "skip") {
                m_log << " skipped\n";
                continue;
            }
            if (it.state == "on" && look.state != RowState::Enabled) Fail(it, std::string("shown ") + seen + ", its Part says enabled");
            if (it.state == "grey" && look.state != RowState::Grey) Fail(it, std::string("shown ") + seen + ", its Part says grey");
            if (look.state != RowState::Enabled || it.state == "grey") {
                m_log << " not chosen\n";
                continue;
            }
            m_log << "\n";
            if (!open && !Open(step)) {
                Fail(it, "the menu did not open again (the window does not answer?)");
                return m_ide.Running();
            }
            open = false;
            Observe(it, [&] {
                std::string keys;
                const int downs = row + (step.kind == Step::Context ? 1 : 0);
                for (int k = 0; k < downs; ++k) keys += "Down ";
                Key(keys + "Return");
            });
            if (it.expect == "gone") return true;
            if (!m_ide.Running()) {
                Fail(it, "the program ended");
                return false;
            }
        }
        Focus();
        return true;
    }

    bool RunToolbar(const Step& step)
    {
        int x = step.x;
        for (const Item& it : step.items) {
            if (it.text == "-") {
                x += step.sep;
                continue;
            }
            const int cx = x;
            x += step.width;
            m_log << "  " << it.text;
            if (it.state == "skip" || it.state == "grey") {
                m_log << " not clicked\n";
                continue;
            }
            m_log << "\n";
            Focus();
            Observe(it, [&] {
                const Geometry g = FrameAt();
                Click(g.x + cx, g.y + step.y);
                // Away again: a tool tip would stay under the pointer.
                MoveTo(0, 0);
            });
            if (!m_ide.Running()) {
                Fail(it, "the program ended");
                return false;
            }
        }
        Focus();
        return true;
    }

    // Runs the action and checks what became visible against the table.
    template <class F>
    void Observe(const Item& it, F action)
    {
        const std::vector<unsigned long> before = VisibleWindows(".");
        const std::string title = Title(m_frame);
        const Shot was = Grab();
        action();
        const Geometry g = FrameAt();
        // The frame's picture below its menu bar (whose titles light up as
        // menus open and close).
        auto changed = [&] {
            const Shot now = Grab();
            return now.Valid() && was.Valid() && now.Differs(was, g.x, g.y + 20, g.x + g.width, g.y + g.height);
        };
        const std::string kind = it.expect.substr(0, it.expect.find(':'));
        const std::string pattern = it.expect.find(':') == std::string::npos ? std::string() : it.expect.substr(it.expect.find(':') + 1);
        std::string seen;
        if (kind == "window") {
            const unsigned long w = WaitNewWindow(pattern, before, kWait);
            if (!w) {
                Fail(it, "no window \"" + pattern + "\" showed");
            } else {
                seen = "window \"" + Title(w) + "\"";
                if (it.dismiss != "-") {
                    if (ActiveWindow() != w) Activate(w);
                    Key(it.dismiss);
                    if (!WaitGone(w, kWait)) Fail(it, "\"" + Title(w) + "\" did not close with " + it.dismiss);
                }
            }
        } else if (kind == "title") {
            if (!WaitTitle(m_frame, pattern, kWait)) Fail(it, "the title stayed \"" + Title(m_frame) + "\"");
        } else if (kind == "change") {
            if (!WaitFor(changed, kWait)) Fail(it, "nothing changed on the screen");
            else seen = "picture changed";
            if (it.dismiss != "-") Key(it.dismiss);
        } else if (kind == "gone") {
            if (!WaitGone(m_frame, kWait)) Fail(it, "the window stayed");
            else seen = "window gone";
        } else {
            WaitNoPopup(kMenuWait);
            if (it.dismiss != "-") Key(it.dismiss);
        }
        // What else became visible, for the record.
        for (unsigned long w : VisibleWindows("."))
            if (std::find(before.begin(), before.end(), w) == before.end() && Title(w) != "veldra")
                seen += (seen.empty() ? "" : ", ") + std::string("new window \"") + Title(w) + "\"";
        if (Shown(m_frame) && Title(m_frame) != title) seen += (seen.empty() ? "" : ", ") + std::string("title \"") + Title(m_frame) + "\"";
        if (seen.empty() && kind != "gone" && Shown(m_frame) && changed()) seen = "picture changed";
        m_log << "    -> " << (seen.empty() ? "nothing visible" : seen) << "\n";
    }
};

// The program the walk runs: a plot, a printed line, a user function.
const char* const kWalkProgram =
    "function y = twice(x)\n"
    "    y = 2 * x;\n"
    "end\n"
    "x = [1, 3, 2, 4];\n"
    "plot #P (x);\n"
    "print twice(21);\n";

TEST(SystemCommandWalk, EveryMenuItemToolbarButtonAndContextMenuItem)
{
    std::string error;
    const std::vector<Section> table = ReadTable(SourceDir() / "tests/system/data/command_walk.txt", &error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_GE(table.size(), 3u) << "the IDE, the plot window and the console window";

    Home home("walk");
    const fs::path program = home.Write("walk.vdx", kWalkProgram);
    for (const auto& f : fs::directory_iterator(ArtifactDir()))
        if (f.path().filename().string().rfind("command-walk" + DesktopSuffix() + "-line-", 0) == 0) fs::remove(f.path());
    std::ofstream log(ArtifactDir() / ("command-walk" + DesktopSuffix() + ".log"));
    Child ide(home, {program.string()});
    const unsigned long frame = FindWindow("^Veldra - walk\\.vdx");
    ASSERT_NE(frame, 0u) << "no IDE frame";
    Xdo("windowsize --sync " + std::to_string(frame) + " 1100 780", 10);
    Xdo("windowmove --sync " + std::to_string(frame) + " 20 20", 10);
    Activate(frame);

    Walk walk(log, ide);
    for (const Section& s : table) {
        unsigned long window = s.window == "ide" ? frame : FindWindow(s.title, 20);
        if (!window) {
            walk.failures.push_back("no " + s.window + " window \"" + s.title + "\"");
            continue;
        }
        if (s.window != "ide") {
            Xdo("windowsize --sync " + std::to_string(window) + " 700 520", 10);
            Xdo("windowmove --sync " + std::to_string(window) + " 1150 " + (s.window == "plot" ? "40" : "520"), 10);
        }
        SCOPED_TRACE(s.window);
        if (!walk.Run(s, window)) break;
        Screenshot("command-walk" + DesktopSuffix() + "-" + s.window + ".png");
    }
    log.flush();
    for (const std::string& f : walk.failures) ADD_FAILURE() << f;
    EXPECT_NE(ide.WaitExit(kWait * 2), -1) << "the IDE did not end by its File Exit";
}

}  // namespace
