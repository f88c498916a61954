#pragma once
// What the command tests need beyond system_util.h: screen pictures read
// back pixel by pixel, real keys and clicks through the window manager, the
// program's menu pop-ups found on the X server and their rows read as a user
// sees them (enabled, grey, checked).

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/system/system_util.h"

namespace desktop {

using namespace system_test;

// The whole screen as the X server shows it, read back pixel by pixel.
struct Shot {
    Image image;
    bool Valid() const { return image.area.width > 0; }
    uint32_t At(int x, int y) const
    {
        const Rect& a = image.area;
        if (x < a.x || y < a.y || x >= a.x + a.width || y >= a.y + a.height) return 0;
        return image.At(x, y);
    }
    // How many pixels of the rectangle differ from the other picture.
    int Differences(const Shot& other, int left, int top, int right, int bottom) const
    {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (At(x, y) != other.At(x, y)) ++n;
        return n;
    }
    // More than a blinking caret (a line of about 16 pixels) differs.
    bool Differs(const Shot& other, int left, int top, int right, int bottom) const
    {
        return Differences(other, left, top, right, bottom) > 48;
    }
};

inline Shot Grab() { return Shot{GrabScreen()}; }

// Where the IDE frame's Calculate button lies in its client area (the
// layout of its bars at the fonts the program uses).
constexpr int kCalculateX = 446, kToolbarY = 35;

// Toolbar buttons are drawn in colour when enabled and grey when not.
inline bool ButtonInColour(unsigned long frame, int x, int y)
{
    const Rect c = ClientRect(frame);
    const Image img = GrabScreen(Rect{c.x + x - 8, c.y + y - 8, 16, 16});
    int coloured = 0;
    for (uint32_t p : img.px) {
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        coloured += std::max({r, g, b}) - std::min({r, g, b}) > 80;
    }
    return coloured >= 8;
}

// A click at a point of the screen.
inline void Click(int x, int y, int button = 1)
{
    PointerFree();
    MoveTo(x, y);
    Xdo("click " + std::to_string(button), 10);
}
// Through the window manager, as a click on the task bar would.
inline void Activate(unsigned long window) { Xdo("windowactivate --sync " + std::to_string(window), 10); }
inline std::string Title(unsigned long window) { auto t = Xdo("getwindowname " + std::to_string(window), 10); return t.empty() ? t : t.substr(0, t.size() - 1); }

inline bool WaitTitle(unsigned long window, const std::string& pattern, int ms)
{
    const std::regex re(pattern);
    return WaitFor([&] { return std::regex_search(Title(window), re); }, ms);
}

// Whether the window is still shown on the screen.
inline bool Shown(unsigned long window)
{
    for (unsigned long w : Ids(Xdo("search --onlyvisible --name '.*'", 10)))
        if (w == window) return true;
    return false;
}

inline bool WaitGone(unsigned long window, int ms)
{
    return WaitFor([&] { return !Shown(window); }, ms);
}

// A shown window with this title that is not one of `known`; 0 when none came.
inline unsigned long WaitNewWindow(const std::string& pattern, const std::vector<unsigned long>& known, int ms)
{
    unsigned long found = 0;
    WaitFor(
        [&] {
            for (unsigned long w : VisibleWindows(pattern))
                if (std::find(known.begin(), known.end(), w) == known.end()) {
                    found = w;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

// The window manager's name as a suffix of a run's pictures and records ("",
// "-icewm", "-fluxbox"): runs under the three managers go side by side.
inline std::string DesktopSuffix()
{
    const char* wm = std::getenv("VELDRA_DESKTOP_WM");
    return !wm || std::string(wm).empty() || std::string(wm) == "openbox" ? std::string() : "-" + std::string(wm);
}

// The point the tests' window-relative coordinates are measured from: the
// client area's corner moved once more by the frame's left and top edges
// (where the tables were first measured), and the client area's size.
inline Geometry Anchor(unsigned long window)
{
    const Rect r = ClientRect(window);
    if (r.width == 0) return Geometry{};
    const std::vector<uint32_t> e = FrameExtents(window);
    return Geometry{r.x + (int)e[0], r.y + (int)e[2], r.width, r.height};
}

// The menus' geometry: a 3-pixel border, 20-pixel items, 8-pixel separators.
constexpr int kMenuBorder = 3, kMenuItem = 20, kMenuSeparator = 8;

// The program's menu pop-ups: shown windows of the process's own name.
struct Popup {
    unsigned long window = 0;
    Geometry at;
};
// Shown windows with their titles (one call for the ids, one for the names,
// in the same order).
inline std::vector<std::pair<unsigned long, std::string>> NamedWindows()
{
    const std::vector<unsigned long> ids = Ids(Xdo("search --onlyvisible --name '.*'", 10));
    std::istringstream names(Xdo("search --onlyvisible --name '.*' getwindowname %@", 10));
    std::vector<std::pair<unsigned long, std::string>> out;
    std::string name;
    for (unsigned long id : ids) {
        if (!std::getline(names, name)) break;
        out.emplace_back(id, name);
    }
    return out;
}

inline std::vector<Popup> Popups()
{
    std::vector<Popup> out;
    std::vector<unsigned long> candidates;
    for (const auto& [w, name] : NamedWindows())
        if (name == "veldra") candidates.push_back(w);
    for (unsigned long w : candidates) {
        const Geometry g = WindowGeometry(w);
        // Menus, not tool tips: a menu is at least one item high.
        if (g.width > 20 && g.height >= 2 * kMenuBorder + kMenuItem) out.push_back(Popup{w, g});
    }
    return out;
}
// Once `levels` pop-ups show (a sub-menu opens to the right), the rightmost,
// painted: a mapped pop-up may still be blank on a slow run, so its picture
// must hold more than a background and be the same at two looks in a row.
inline std::optional<Popup> WaitPopup(int ms, size_t levels = 1)
{
    std::optional<Popup> found;
    Image last;
    WaitFor(
        [&] {
            auto p = Popups();
            if (p.size() < levels) return false;
            found = p.front();
            for (const Popup& q : p)
                if (q.at.x > found->at.x) found = q;
            Image now = GrabScreen(Rect{found->at.x, found->at.y, found->at.width, found->at.height});
            std::vector<uint32_t> colours(now.px.begin(), now.px.end());
            std::sort(colours.begin(), colours.end());
            const bool drawn = std::unique(colours.begin(), colours.end()) - colours.begin() >= 3;
            const bool steady = drawn && last.area == now.area && last.px == now.px;
            last = std::move(now);
            return steady;
        },
        ms);
    return found;
}
inline bool WaitNoPopup(int ms)
{
    return WaitFor([&] { return Popups().empty(); }, ms);
}

// A menu item's row as drawn: black text (enabled), white text on the
// highlight (enabled, selected), grey text (disabled); a check mark left.
enum class RowState { Enabled, Grey, Blank };
struct RowLook {
    RowState state = RowState::Blank;
    bool checked = false;
};


inline RowLook ReadRow(const Shot& shot, const Geometry& popup, int top)
{
    RowLook look;
    int black = 0, white = 0, grey = 0, blue = 0, all = 0, mark = 0;
    const int left = popup.x + kMenuBorder, right = popup.x + popup.width - kMenuBorder;
    for (int y = top + 2; y < top + kMenuItem - 2; ++y)
        for (int x = left; x < right; ++x) {
            const uint32_t p = shot.At(x, y);
            const int r = (int)(p >> 16 & 255), g = (int)(p >> 8 & 255), b = (int)(p & 255);
            ++all;
            if (r < 40 && g > 90 && g < 150 && b > 180) {   // the selection's blue
                ++blue;
                continue;
            }
            const bool neutral = std::abs(r - g) < 24 && std::abs(g - b) < 24;
            bool ink = false;
            if (r < 60 && g < 60 && b < 60) ink = true, ++black;
            else if (neutral && r > 200) ink = r > 250, white += r > 250;
            else if (neutral && r >= 60 && r <= 215) ink = true, ++grey;
            if (ink && x < left + 18) ++mark;
        }
    if (blue * 2 > all) {
        // Selected: white text when enabled, grey when not.
        look.state = white >= 6 ? RowState::Enabled : grey >= 6 ? RowState::Grey : RowState::Blank;
    } else {
        look.state = black >= 6 ? RowState::Enabled : grey >= 6 ? RowState::Grey : RowState::Blank;
    }
    look.checked = mark >= 4;
    return look;
}

}  // namespace desktop
