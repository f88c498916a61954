// A newcomer's first day: the scenario tests/system/data/newcomer.txt, a list
// of steps of what a user does (keys, typed text, clicks at points of windows
// found by their titles) and of what must then be seen: windows, pixels of
// the screen, files on disk, the clipboard, the program's exit status. Every
// step ends with a screenshot in build/test-artifacts/newcomer/ (newcomer-icewm/,
// newcomer-fluxbox/ under those managers), and the record of the run goes to
// newcomer.log beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "tests/system/desktop_util.h"

namespace {

using namespace desktop;

constexpr int kWait = 20000 * kSlowdown;   // for anything the program does

// ---- the scenario -------------------------------------------------------------

struct Command {
    int line = 0;
    std::vector<std::string> words;   // the command and its arguments
    std::string rest;                  // the text after the first `split` words
    std::vector<std::string> block;    // the lines of a `program` block
};

struct Step {
    std::string name, title;
    std::vector<Command> commands;
};

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// How many words a command has before its free text (a title pattern, typed
// text, keys, a file's text); the rest of the line is that text.
int WordsBeforeText(const std::string& command)
{
    static const std::map<std::string, int> n{
        {"window", 3}, {"type", 1},    {"key", 1},     {"title", 2},  {"file", 2},
        {"pdf", 2},    {"settings", 1}, {"font", 8},   {"clipboard", 1}};
    auto it = n.find(command);
    return it == n.end() ? -1 : it->second;
}

std::vector<Step> ReadScenario(const fs::path& path, std::string* error)
{
    std::vector<Step> steps;
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path.string();
        return {};
    }
    std::string line;
    int number = 0;
    Command* block = nullptr;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (block) {
            if (Trim(line) == "end-program") block = nullptr;
            else block->block.push_back(line);
            continue;
        }
        const std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        Command c;
        c.line = number;
        std::istringstream words(t);
        std::string w;
        words >> w;
        c.words.push_back(w);
        if (w == "step") {
            Step s;
            words >> s.name;
            std::getline(words, s.title);
            s.title = Trim(s.title);
            steps.push_back(s);
            continue;
        }
        if (steps.empty()) {
            *error = "line " + std::to_string(number) + ": a command before the first step";
            return {};
        }
        const int before = WordsBeforeText(w);
        for (int i = 1; before < 0 || i < before; ++i) {
            if (!(words >> w)) break;
            c.words.push_back(w);
        }
        if (before >= 0) {
            std::getline(words, c.rest);
            c.rest = Trim(c.rest);
        }
        steps.back().commands.push_back(c);
        if (c.words[0] == "program") block = &steps.back().commands.back();
    }
    if (block) *error = "a program block without its end";
    return steps;
}

// ---- pixels ---------------------------------------------------------------------

struct Rgb {
    int r, g, b;
};
Rgb Split(uint32_t p) { return Rgb{(int)(p >> 16 & 255), (int)(p >> 8 & 255), (int)(p & 255)}; }

// Colours as a user names them.
bool IsColour(const std::string& name, uint32_t p)
{
    const Rgb c = Split(p);
    const int hi = std::max({c.r, c.g, c.b}), lo = std::min({c.r, c.g, c.b});
    if (name == "dark") return hi < 110 && hi - lo < 40;                    // black text
    if (name == "red") return c.r > 120 && c.g < 90 && c.b < 90;            // errors, breakpoints
    if (name == "green") return c.g > 90 && c.r < 80 && c.b < 80;           // warnings
    if (name == "yellow") return c.r > 190 && c.g > 160 && c.b < 90;        // the break marker
    if (name == "selection") return c.r < 60 && c.g > 80 && c.g < 160 && c.b > 170;   // the highlight
    if (name == "coloured") return hi - lo > 80;
    if (name == "light") return lo > 235;                                    // text on the highlight
    if (name == "ink") return hi < 160;                                      // anything drawn darkish
    return false;
}

// Text ink against the light background of a text area.
bool IsInk(uint32_t p)
{
    const Rgb c = Split(p);
    return (c.r * 3 + c.g * 6 + c.b) / 10 < 170;
}

// The rows of a text area where a line of text is drawn, top to bottom.
std::vector<std::pair<int, int>> TextLines(const Image& img)
{
    std::vector<std::pair<int, int>> lines;
    int top = -1;
    for (int y = 0; y <= img.area.height; ++y) {
        bool ink = false;
        for (int x = 0; y < img.area.height && x < img.area.width && !ink; ++x)
            ink = IsInk(img.px[(size_t)y * img.area.width + x]);
        if (ink && top < 0) top = y;
        if (!ink && top >= 0) {
            lines.emplace_back(top, y);
            top = -1;
        }
    }
    return lines;
}

// A text line as black and white: its ink, cropped to where the ink is.
struct Mask {
    int width = 0, height = 0;
    std::vector<bool> on;
    int Count() const { return (int)std::count(on.begin(), on.end(), true); }
};

Mask Crop(const std::function<bool(int, int)>& ink, int width, int height)
{
    int l = width, r = -1, t = height, b = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ink(x, y)) l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
    Mask m;
    if (r < 0) return m;
    m.width = r - l + 1;
    m.height = b - t + 1;
    for (int y = t; y <= b; ++y)
        for (int x = l; x <= r; ++x) m.on.push_back(ink(x, y));
    return m;
}

// The text drawn as the program draws it: the face at an em size in
// pixels, hinted slightly, grey antialiasing, black on white.
Mask Render(const std::string& face, int pixels, const std::string& text)
{
    const int w = (int)text.size() * pixels + 20, h = pixels * 3;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, o);
    cairo_font_options_destroy(o);
    cairo_select_font_face(cr, face.c_str(), CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pixels);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, 10, pixels * 2);
    cairo_show_text(cr, text.c_str());
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    Mask m = Crop([&](int x, int y) { return IsInk(*(const uint32_t*)(data + (size_t)y * stride + x * 4) & 0xFFFFFF); }, w, h);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
    return m;
}

// ---- the run ----------------------------------------------------------------------

class Day {
public:
    Day(std::ostream& log, const fs::path& shots) : m_log(log), m_shots(shots), m_home("newcomer")
    {
        // Fresh settings: no settings file at all, as on a first start.
        fs::remove(m_home.Settings());
    }
    ~Day()
    {
        // Whatever happened, the program ends (by its pid, in Child).
        m_ide.reset();
    }

    std::vector<std::string> failures;
    bool stopped = false;   // a failure after which the rest cannot go on

    void RunStep(int index, const Step& step)
    {
        m_log << "== " << index << " " << step.name << ": " << step.title << "\n";
        m_step = index;
        m_stepName = step.name;
        for (const Command& c : step.commands) {
            if (stopped) break;
            std::string line;
            for (const std::string& w : c.words) line += (line.empty() ? "" : " ") + w;
            if (!c.rest.empty()) line += " " + c.rest;
            m_log << "  " << c.line << ": " << line << "\n";
            m_log.flush();
            m_line = c.line;
            Do(c);
        }
        // Where the windows are, for whoever reads the record.
        for (const auto& [n, w] : m_windows)
            if (Shown(w)) {
                const std::vector<uint32_t> e = FrameExtents(w);
                m_log << "  " << n << " at " << ClientRect(w) << ", frame " << e[0] << "," << e[1] << "," << e[2] << ","
                      << e[3] << "\n";
            }
        char name[96];
        snprintf(name, sizeof name, "%02d-%s.png", index, step.name.c_str());
        SavePng(GrabScreen(), (m_shots.filename() / name).string());
    }

private:
    std::ostream& m_log;
    fs::path m_shots;
    Home m_home;
    std::unique_ptr<Child> m_ide;
    std::map<std::string, unsigned long> m_windows;
    std::map<std::string, std::vector<std::string>> m_programs;
    std::map<std::string, Image> m_pictures;
    std::map<std::string, std::pair<unsigned long, Rect>> m_marks;   // a picture's window and area
    std::map<std::string, Rect> m_places;
    std::chrono::steady_clock::time_point m_started;
    int m_step = 0, m_line = 0;
    int m_pointerX = 0, m_pointerY = 0;   // where the held button was pressed or dragged to
    std::string m_stepName;

    // ---- failures and arguments

    void Fail(const std::string& what, bool fatal = false)
    {
        char shot[128];
        snprintf(shot, sizeof shot, "failed-%02d-line-%d.png", m_step, m_line);
        SavePng(GrabScreen(), (m_shots.filename() / shot).string());
        const std::string text = "step " + std::to_string(m_step) + " (" + m_stepName + "), line " +
                                 std::to_string(m_line) + ": " + what + " [" + shot + "]";
        failures.push_back(text);
        m_log << "    FAIL " << what << "\n";
        if (fatal) stopped = true;
    }

    static int Int(const Command& c, size_t i) { return i < c.words.size() ? std::stoi(c.words[i]) : 0; }
    static double Real(const Command& c, size_t i) { return i < c.words.size() ? std::stod(c.words[i]) : 0; }
    static std::string Word(const Command& c, size_t i) { return i < c.words.size() ? c.words[i] : std::string(); }

    unsigned long Window(const std::string& name)
    {
        auto it = m_windows.find(name);
        if (it == m_windows.end() || !it->second) {
            Fail("no window named " + name, true);
            return 0;
        }
        return it->second;
    }

    // A rectangle of a window's client area given from word i on; negative
    // coordinates count from the right or the bottom edge.
    Rect Area(unsigned long w, const Command& c, size_t i)
    {
        const Rect r = ClientRect(w);
        int x = Int(c, i), y = Int(c, i + 1), width = Int(c, i + 2), height = Int(c, i + 3);
        if (x < 0) x += r.width;
        if (y < 0) y += r.height;
        return Rect{r.x + x, r.y + y, width, height};
    }
    void Point(unsigned long w, const Command& c, size_t i, int* x, int* y)
    {
        const Rect r = ClientRect(w);
        *x = Int(c, i) < 0 ? r.Right() + Int(c, i) : r.x + Int(c, i);
        *y = Int(c, i + 1) < 0 ? r.Bottom() + Int(c, i + 1) : r.y + Int(c, i + 1);
    }

    fs::path HomeFile(const std::string& name) { return m_home.root / name; }

    // ---- input

    // Typing as a user types: a line, then Return. The editor indents a new
    // line as the one before; Tab indents further, Backspace takes blanks
    // away (Shift+Tab only moves the caret back to the previous stop).
    void TypeProgram(const std::vector<std::string>& lines)
    {
        int indent = 0;   // what the editor gives the next line
        for (const std::string& line : lines) {
            const int want = (int)(line.find_first_not_of(' ') == std::string::npos ? 0 : line.find_first_not_of(' '));
            std::string keys;
            for (int i = indent; i < want; i += 4) keys += "Tab ";
            for (int i = indent; i > want; --i) keys += "BackSpace ";
            if (!keys.empty()) Xdo("key --delay 30 " + keys, 30);
            const std::string text = line.substr((size_t)want);
            if (!text.empty()) Xdo("type --delay 15 " + Quote(text), 60);
            Xdo("key Return", 10);
            indent = want;
        }
    }

    // The editor's last line, typed or loaded, holds no indentation the file keeps.
    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> out;
        std::istringstream in(text);
        std::string l;
        while (std::getline(in, l)) {
            while (!l.empty() && (l.back() == '\r' || l.back() == ' ' || l.back() == '\t')) l.pop_back();
            out.push_back(l);
        }
        while (!out.empty() && out.back().empty()) out.pop_back();
        return out;
    }

    // ---- what the screen shows

    bool InColour(const Rect& r)
    {
        const Image img = GrabScreen(r);
        int n = 0;
        for (uint32_t p : img.px) n += IsColour("coloured", p);
        return n >= 8;
    }

    int Count(const Rect& r, const std::string& colour)
    {
        const Image img = GrabScreen(r);
        int n = 0;
        for (uint32_t p : img.px) n += IsColour(colour, p);
        return n;
    }

    // ---- the commands

    void Do(const Command& c)
    {
        const std::string& op = c.words[0];
        if (op == "start") return Start();
        if (op == "window") return WaitWindow(c);
        if (op == "gone") {
            if (const unsigned long w = Window(Word(c, 1)); w && !WaitGone(w, kWait)) Fail(Word(c, 1) + " did not close");
            return;
        }
        if (op == "exits") return Exits(Int(c, 1));
        if (op == "shown") {
            if (const unsigned long w = Window(Word(c, 1)); w && !Shown(w)) Fail(Word(c, 1) + " is no longer shown");
            return;
        }
        if (op == "place") {
            const unsigned long w = Window(Word(c, 1));
            Xdo("windowsize --sync " + std::to_string(w) + " " + Word(c, 4) + " " + Word(c, 5), 10);
            Xdo("windowmove --sync " + std::to_string(w) + " " + Word(c, 2) + " " + Word(c, 3), 10);
            return;
        }
        if (op == "still") {
            // Whatever the window was drawing is done: two looks in a row agree.
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            Image before = GrabScreen(ClientRect(w));
            if (!WaitFor(
                    [&] {
                        Image now = GrabScreen(ClientRect(w));
                        const bool same = now.Differences(before) == 0;
                        before = std::move(now);
                        return same;
                    },
                    kWait))
                Fail(Word(c, 1) + " keeps changing");
            return;
        }
        if (op == "repaint") {
            // The program draws the whole window afresh: the window manager
            // makes it narrower and gives it its width back.
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            const Rect was = ClientRect(w);
            const std::string id = std::to_string(w);
            Xdo("windowsize --sync " + id + " " + std::to_string(was.width - 60) + " " + std::to_string(was.height), 10);
            WaitFor([&] { return ClientRect(w).width == was.width - 60; }, kWait);
            Xdo("windowsize --sync " + id + " " + std::to_string(was.width) + " " + std::to_string(was.height), 10);
            if (!WaitFor([&] { return ClientRect(w) == was; }, kWait)) Fail(Word(c, 1) + " did not get its size back");
            return;
        }
        if (op == "activate") {
            const unsigned long w = Window(Word(c, 1));
            if (w && ActiveWindow() != w && !ClickTitle(w)) Fail("could not activate " + Word(c, 1));
            return;
        }
        if (op == "active") {
            const unsigned long w = Window(Word(c, 1));
            if (w && !WaitFor([&] { return ActiveWindow() == w; }, kWait))
                Fail(Word(c, 1) + " is not the active window (" + std::to_string(ActiveWindow()) + " is)");
            return;
        }
        if (op == "switch") {
            // As Alt+Tab: Alt goes down in the window that has the keys, the
            // manager activates the other one, Alt comes up there.
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            KeyDown("alt");
            Xdo("windowactivate --sync " + std::to_string(w), 10);
            if (!WaitFor([&] { return ActiveWindow() == w; }, kWait)) Fail("could not switch to " + Word(c, 1));
            KeyUp("alt");
            return;
        }
        if (op == "key") return Key(c.rest);
        if (op == "type") return Type(c.rest);
        if (op == "program") {
            m_programs[Word(c, 1)] = c.block;
            return TypeProgram(c.block);
        }
        if (op == "click" || op == "double" || op == "right") {
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            int x, y;
            Point(w, c, 2, &x, &y);
            PointerFree();
            MoveTo(x, y);
            Xdo(op == "double" ? "click --repeat 2 --delay 80 1" : op == "right" ? "click 3" : "click 1", 10);
            return;
        }
        if (op == "press" || op == "drag") {
            // press NAME X Y, then drag NAME X Y: the left button held down
            // from the first point and moved to the second.
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            int x, y;
            Point(w, c, 2, &x, &y);
            if (op == "press") {
                PointerFree();
                MoveTo(x, y);
                ButtonDown();
            } else {
                // In two moves, as a hand drags.
                MoveTo((m_pointerX + x) / 2, (m_pointerY + y) / 2);
                MoveTo(x, y);
            }
            m_pointerX = x;
            m_pointerY = y;
            return;
        }
        if (op == "release") return ButtonUp();
        if (op == "shot") {
            char name[128];
            snprintf(name, sizeof name, "%02d-%s-%s.png", m_step, m_stepName.c_str(), Word(c, 1).c_str());
            SavePng(GrabScreen(), (m_shots.filename() / name).string());
            return;
        }
        if (op == "double-line") return DoubleClickLine(c);
        if (op == "snap") {
            const unsigned long w = Window(Word(c, 2));
            if (!w) return;
            const Rect r = Area(w, c, 3);
            m_pictures[Word(c, 1)] = GrabScreen(r);
            m_marks[Word(c, 1)] = {w, Rect{r.x - ClientRect(w).x, r.y - ClientRect(w).y, r.width, r.height}};
            return;
        }
        if (op == "changes" || op == "same") return Compare(c, op == "changes");
        if (op == "alone") return Alone(c);
        if (op == "share") {
            const unsigned long w = Window(Word(c, 1));
            const Rect r = ClientRect(w), s = ScreenRect();
            const double share = (double)r.width * r.height / ((double)s.width * s.height);
            m_log << "    " << r << ", " << (int)(share * 100) << "% of the screen\n";
            if (!r.Inside(s)) Fail(Word(c, 1) + " is not all on the screen");
            if (share < Real(c, 2) || share > Real(c, 3)) Fail(Word(c, 1) + " covers " + std::to_string(share) + " of the screen");
            return;
        }
        if (op == "toolbar") return Toolbar(c);
        if (op == "apart") {
            const Rect a = ClientRect(Window(Word(c, 1))), b = ClientRect(Window(Word(c, 2)));
            std::ostringstream s;
            s << a << " and " << b;
            m_log << "    " << s.str() << "\n";
            if (a.x == b.x && a.y == b.y) Fail(Word(c, 1) + " and " + Word(c, 2) + " are at the same place: " + s.str());
            return;
        }
        if (op == "above") {
            const unsigned long a = Window(Word(c, 1)), b = Window(Word(c, 2));
            if (!WaitFor([&] { return StackedAbove(a, b); }, kWait)) Fail(Word(c, 1) + " is not above " + Word(c, 2));
            return;
        }
        if (op == "transient") {
            if (TransientFor(Window(Word(c, 1))) != Window(Word(c, 2))) Fail(Word(c, 1) + " does not belong to " + Word(c, 2));
            return;
        }
        if (op == "ink" || op == "no-ink") {
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            const Rect r = Area(w, c, 2);
            const std::string colour = Word(c, 6);
            const int min = op == "ink" ? std::max(1, Int(c, 7)) : 0;
            int n = 0;
            const bool ok = WaitFor(
                [&] {
                    n = Count(r, colour);
                    return op == "ink" ? n >= min : n == 0;
                },
                kWait);
            m_log << "    " << n << " " << colour << " pixels\n";
            if (!ok) Fail(op == "ink" ? "no " + colour + " in " + Word(c, 1) : colour + " in " + Word(c, 1));
            return;
        }
        if (op == "last-line") return LastLine(c);
        if (op == "font") return Font(c);
        if (op == "idle" || op == "busy") {
            const unsigned long w = Window(Word(c, 1));
            if (!w) return;
            const Rect cr = ClientRect(w);
            const Rect r{cr.x + Int(c, 2) - 8, cr.y + Int(c, 3) - 8, 16, 16};
            const bool idle = op == "idle";
            if (!WaitFor([&] { return InColour(r) == idle; }, kWait))
                Fail(idle ? "the toolbar did not return to idle" : "the toolbar does not show a run");
            return;
        }
        if (op == "title") {
            const unsigned long w = Window(Word(c, 1));
            if (w && !WaitTitle(w, c.rest, kWait)) Fail("the title of " + Word(c, 1) + " is \"" + Title(w) + "\"");
            return;
        }
        if (op == "file") return File(c);
        if (op == "file-program") return FileProgram(c);
        if (op == "pdf") return Pdf(c);
        if (op == "clipboard") return Clipboard(c);
        if (op == "remember") {
            m_places[Word(c, 1)] = ClientRect(Window(Word(c, 1)));
            return;
        }
        if (op == "same-place") {
            const Rect now = ClientRect(Window(Word(c, 1))), was = m_places[Word(c, 1)];
            std::ostringstream s;
            s << now << ", before " << was;
            m_log << "    " << s.str() << "\n";
            if (!(now == was)) Fail(Word(c, 1) + " is at " + s.str());
            return;
        }
        if (op == "settings") {
            if (!WaitForFile(m_home.Settings(), [&](const std::string& t) { return t.find(c.rest) != std::string::npos; }, kWait))
                Fail("the settings do not hold \"" + c.rest + "\"");
            return;
        }
        Fail("unknown command " + op, true);
    }

    void Start()
    {
        m_windows.clear();
        m_started = std::chrono::steady_clock::now();
        m_ide = std::make_unique<Child>(m_home, std::vector<std::string>{});
    }

    void WaitWindow(const Command& c)
    {
        // window NAME LIMIT PATTERN: a window not yet named shows; LIMIT in
        // milliseconds from the program's start ("-": the usual wait).
        std::vector<unsigned long> known;
        for (const auto& [n, w] : m_windows) known.push_back(w);
        const bool limited = Word(c, 2) != "-";
        const unsigned long w = WaitNewWindow(c.rest, known, limited ? Int(c, 2) * kSlowdown + 10000 : kWait);
        if (!w) return Fail("no window \"" + c.rest + "\"", true);
        m_windows[Word(c, 1)] = w;
        if (limited) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_started).count();
            m_log << "    shown " << ms << " ms after the start\n";
            if (ms > Int(c, 2) * kSlowdown) Fail("\"" + c.rest + "\" came after " + std::to_string(ms) + " ms");
        }
        m_log << "    " << Word(c, 1) << " = \"" << Title(w) << "\" " << ClientRect(w) << "\n";
    }

    void Exits(int status)
    {
        if (!m_ide) return Fail("no program to end", true);
        // A question about unsaved work would be a fault here: none is answered.
        const int got = m_ide->WaitExit(kWait);
        if (got != status) Fail("the program ended with " + std::to_string(got) + ", not " + std::to_string(status), got == -1);
        m_ide.reset();
    }

    void Alone(const Command& c)
    {
        // No modal box: the only window shown is this one, and it is active.
        const unsigned long w = Window(Word(c, 1));
        if (!w) return;
        if (!WaitFor([&] { return ActiveWindow() == w; }, kWait)) Fail(Word(c, 1) + " is not the active window");
        // The window manager manages this window alone: no box of any kind.
        for (uint32_t id : ManagedStacking())
            if (id != w) Fail("another window is shown: \"" + Title(id) + "\"");
    }

    void Toolbar(const Command& c)
    {
        // toolbar NAME Y MIN: the toolbar's row ends inside the window, with
        // the bar's own background after its last button, and shows at
        // least MIN pictures (once the window has painted it).
        const unsigned long w = Window(Word(c, 1));
        if (!w) return;
        int last = -1, buttons = 0, width = 0;
        const bool ok = WaitFor(
            [&] {
                const Rect cr = ClientRect(w);
                width = cr.width;
                const Image img = GrabScreen(Rect{cr.x, cr.y + Int(c, 2) - 10, cr.width, 20});
                if (img.area.width <= 0) return false;
                const uint32_t back = img.At(cr.Right() - 3, img.area.y + 10);
                last = -1;
                buttons = 0;
                bool in = false;
                for (int x = cr.x; x < cr.Right() - 3; ++x) {
                    bool drawn = false, picture = false;
                    for (int y = img.area.y; y < img.area.Bottom(); ++y) {
                        const uint32_t p = img.At(x, y);
                        drawn = drawn || p != back;
                        // A button's picture: coloured or dark pixels in a column.
                        picture = picture || IsColour("coloured", p) || IsColour("ink", p);
                    }
                    if (drawn) last = x - cr.x;
                    if (picture && !in) ++buttons;
                    in = picture;
                }
                return last >= 0 && last <= width - 40 && buttons >= Int(c, 3);
            },
            kWait);
        m_log << "    the toolbar ends at x " << last << " of " << width << ", " << buttons << " pictures\n";
        if (!ok) Fail("the toolbar is cut off or incomplete: it ends at x " + std::to_string(last) + " of " +
                      std::to_string(width) + " with " + std::to_string(buttons) + " pictures");
    }

    void Compare(const Command& c, bool changes)
    {
        // changes|same PICTURE [WINDOW] [N]: the part of the window (by
        // default the one it was taken of) differs from the picture by more
        // than N pixels, or by at most N.
        auto it = m_pictures.find(Word(c, 1));
        if (it == m_pictures.end()) return Fail("no picture " + Word(c, 1), true);
        auto [w, rel] = m_marks[Word(c, 1)];
        int limit = 0;
        for (size_t i = 2; i < c.words.size(); ++i) {
            if (std::isdigit((unsigned char)c.words[i][0])) limit = Int(c, i);
            else w = Window(c.words[i]);
        }
        if (!w) return;
        const Image& was = it->second;
        auto differs = [&] {
            const Rect cr = ClientRect(w);
            Image now = GrabScreen(Rect{cr.x + rel.x, cr.y + rel.y, rel.width, rel.height});
            now.area = was.area;   // the same part of the window, wherever it is now
            return now.Differences(was);
        };
        if (changes) {
            if (!WaitFor([&] { return differs() > limit; }, kWait)) Fail(Word(c, 1) + " did not change");
            return;
        }
        if (!WaitFor([&] { return differs() >= 0 && differs() <= limit; }, kWait)) {
            Fail(Word(c, 1) + " is not as it was: " + std::to_string(differs()) + " pixels differ");
            const Rect cr = ClientRect(w);
            SavePng(GrabScreen(Rect{cr.x + rel.x, cr.y + rel.y, rel.width, rel.height}),
                    (m_shots.filename() / ("now-" + Word(c, 1) + ".png")).string());
            SavePng(was, (m_shots.filename() / ("was-" + Word(c, 1) + ".png")).string());
        }
    }

    // The lowest line of text in a text area; false when there is none.
    bool LowestLine(unsigned long w, const Command& c, size_t i, Image* img, std::pair<int, int>* line)
    {
        const Rect r = Area(w, c, i);
        *img = GrabScreen(r);
        const auto lines = TextLines(*img);
        if (lines.empty()) return false;
        *line = lines.back();
        return true;
    }

    void LastLine(const Command& c)
    {
        // last-line NAME X Y W H COLOUR [LINES]: the area's lowest line of
        // text (or lowest LINES lines) is drawn in that colour alone.
        const unsigned long w = Window(Word(c, 1));
        if (!w) return;
        const std::string colour = Word(c, 6);
        const int count = c.words.size() > 7 ? Int(c, 7) : 1;
        std::string seen;
        const bool ok = WaitFor(
            [&] {
                const Image img = GrabScreen(Area(w, c, 2));
                const auto lines = TextLines(img);
                if ((int)lines.size() < count) return false;
                bool all = true;
                seen.clear();
                for (size_t k = lines.size() - count; k < lines.size(); ++k) {
                    std::map<std::string, int> n;
                    for (int y = lines[k].first; y < lines[k].second; ++y)
                        for (int x = 0; x < img.area.width; ++x) {
                            const uint32_t p = img.px[(size_t)y * img.area.width + x];
                            if (!IsInk(p)) continue;
                            for (const char* kind : {"dark", "red", "green", "coloured"}) n[kind] += IsColour(kind, p);
                        }
                    seen += "; dark " + std::to_string(n["dark"]) + ", red " + std::to_string(n["red"]) + ", green " +
                            std::to_string(n["green"]) + ", coloured " + std::to_string(n["coloured"]);
                    all = all && (colour == "dark" ? n["dark"] >= 10 && n["coloured"] == 0 : n[colour] >= 10);
                }
                return all;
            },
            kWait);
        m_log << "    the last lines" << seen << "\n";
        if (!ok) Fail("the last lines of " + Word(c, 1) + " are not " + colour + " (" + seen.substr(2) + ")");
    }

    void Font(const Command& c)
    {
        // font NAME X Y W H FACE-WITH-DASHES PIXELS TEXT: the area's lowest
        // line of text is TEXT drawn in that face at that size.
        const unsigned long w = Window(Word(c, 1));
        if (!w) return;
        std::string face = Word(c, 6);
        std::replace(face.begin(), face.end(), '-', ' ');
        const Mask want = Render(face, Int(c, 7), c.rest);
        Mask seen;
        int differ = -1;
        WaitFor(
            [&] {
                Image img;
                std::pair<int, int> line;
                if (!LowestLine(w, c, 2, &img, &line)) return false;
                const int top = line.first;
                seen = Crop([&](int x, int y) { return IsInk(img.px[(size_t)(top + y) * img.area.width + x]); },
                            img.area.width, line.second - line.first);
                if (std::abs(seen.width - want.width) > 1 || std::abs(seen.height - want.height) > 1) return false;
                differ = 0;
                for (int y = 0; y < std::min(seen.height, want.height); ++y)
                    for (int x = 0; x < std::min(seen.width, want.width); ++x)
                        differ += seen.on[(size_t)y * seen.width + x] != want.on[(size_t)y * want.width + x];
                return differ * 8 <= std::max(seen.Count(), want.Count());
            },
            kWait);
        m_log << "    drawn " << seen.width << "x" << seen.height << " (" << seen.Count() << " ink), " << face << " "
              << Word(c, 7) << "px gives " << want.width << "x" << want.height << " (" << want.Count() << " ink), "
              << differ << " differ\n";
        if (std::abs(seen.width - want.width) > 1 || std::abs(seen.height - want.height) > 1 || differ < 0 ||
            differ * 8 > std::max(seen.Count(), want.Count()))
            Fail("the last line of " + Word(c, 1) + " is not \"" + c.rest + "\" in " + face);
    }

    void DoubleClickLine(const Command& c)
    {
        // double-line NAME X Y W H COLOUR: a double click in the middle of
        // the lowest line drawn in that colour.
        const unsigned long w = Window(Word(c, 1));
        if (!w) return;
        const Rect r = Area(w, c, 2);
        const std::string colour = Word(c, 6);
        int lineY = -1, lineX = -1;
        WaitFor(
            [&] {
                const Image img = GrabScreen(r);
                for (int y = img.area.height - 1; y >= 0 && lineY < 0; --y) {
                    int n = 0, first = -1;
                    for (int x = 0; x < img.area.width; ++x)
                        if (IsColour(colour, img.px[(size_t)y * img.area.width + x])) {
                            ++n;
                            if (first < 0) first = x;
                        }
                    if (n >= 3) lineY = y, lineX = first;
                }
                return lineY >= 0;
            },
            kWait);
        if (lineY < 0) return Fail("no " + colour + " line in " + Word(c, 1));
        PointerFree();
        MoveTo(r.x + lineX + 40, r.y + lineY - 3);
        Xdo("click --repeat 2 --delay 80 1", 10);
    }

    void File(const Command& c)
    {
        // file NAME TEXT: the file in the home comes to hold the text.
        const fs::path p = HomeFile(Word(c, 1));
        if (!WaitForFile(p, [&](const std::string& t) { return t.find(c.rest) != std::string::npos; }, kWait))
            Fail(p.filename().string() + (fs::exists(p) ? " does not hold \"" + c.rest + "\"" : " was not written"));
    }

    void FileProgram(const Command& c)
    {
        // file-program NAME PROGRAM [EXTRA...]: the file holds the typed
        // program line by line (and the extra lines after it).
        const fs::path p = HomeFile(Word(c, 1));
        std::vector<std::string> want = m_programs[Word(c, 2)];
        for (size_t i = 3; i < c.words.size(); ++i) {
            std::string extra = c.words[i];
            std::replace(extra.begin(), extra.end(), '_', ' ');
            want.push_back(extra);
        }
        while (!want.empty() && want.back().empty()) want.pop_back();
        std::vector<std::string> got;
        if (!WaitFor([&] { return (got = Lines(ReadFile(p))) == want; }, kWait)) {
            std::string diff;
            for (size_t i = 0; i < std::max(got.size(), want.size()); ++i) {
                const std::string a = i < got.size() ? got[i] : "<none>", b = i < want.size() ? want[i] : "<none>";
                if (a != b) diff += "\n  line " + std::to_string(i + 1) + ": \"" + a + "\", typed \"" + b + "\"";
            }
            Fail(p.filename().string() + " does not hold what was typed:" + diff);
        }
    }

    void Pdf(const Command& c)
    {
        const fs::path p = HomeFile(Word(c, 1));
        if (!WaitFor([&] { return fs::exists(p) && fs::file_size(p) > 0; }, kWait)) return Fail(p.filename().string() + " was not written");
        int rc = 0;
        Shell("command -v pdftotext", &rc);
        if (rc != 0) {
            m_log << "    pdftotext is missing (scripts/setup installs poppler-utils): the text is not checked\n";
            std::cout << "[ SKIPPED  ] the printed text: pdftotext is missing (scripts/setup installs poppler-utils)\n";
            return;
        }
        std::string text;
        // The file may still be written: its text once it reads whole.
        const bool ok = WaitFor([&] { return (text = Shell("pdftotext " + Quote(p.string()) + " - 2>/dev/null")).find(c.rest) != std::string::npos; }, kWait);
        if (!ok) Fail("the printed file does not show \"" + c.rest + "\": " + text.substr(0, 200));
    }

    void Clipboard(const Command& c)
    {
        // clipboard TYPES...: the clipboard offers them.
        int rc = 0;
        Shell("command -v xclip", &rc);
        if (rc != 0) return Fail("xclip is missing (scripts/setup installs it)");
        std::string targets;
        std::istringstream want(c.rest);
        std::vector<std::string> types;
        for (std::string t; want >> t;) types.push_back(t);
        const bool ok = WaitFor(
            [&] {
                targets = Shell("timeout 10 xclip -selection clipboard -t TARGETS -o 2>/dev/null");
                std::istringstream in(targets);
                std::vector<std::string> offered;
                for (std::string t; in >> t;) offered.push_back(t);
                for (const std::string& t : types)
                    if (std::find(offered.begin(), offered.end(), t) == offered.end()) return false;
                return true;
            },
            kWait);
        std::string flat = targets;
        std::replace(flat.begin(), flat.end(), '\n', ' ');
        m_log << "    the clipboard offers: " << flat << "\n";
        if (!ok) Fail("the clipboard offers " + flat);
    }
};

TEST(Newcomer, FirstDay)
{
    std::string error;
    const std::vector<Step> steps = ReadScenario(SourceDir() / "tests/system/data/newcomer.txt", &error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_FALSE(steps.empty());

    const fs::path shots = ArtifactDir() / ("newcomer" + DesktopSuffix());
    fs::create_directories(shots);
    for (const auto& f : fs::directory_iterator(shots)) fs::remove(f.path());
    std::ofstream log(shots / "newcomer.log");
    const auto begun = std::chrono::steady_clock::now();
    {
        Day run(log, shots);
        int index = 0;
        for (const Step& s : steps) {
            run.RunStep(++index, s);
            if (run.stopped) break;
        }
        for (const std::string& f : run.failures) ADD_FAILURE() << f;
    }
    log << "took " << std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - begun).count()
        << " s\n";
}

}  // namespace
