#pragma once
// The staged program as a child process on a virtual desktop (Xvfb and a
// window manager): its own settings and data folders, driven the way a user
// drives it (real pointer clicks at points of its windows, keys to the window
// that has the focus) and read back from the X server itself (window
// properties, the stacking, pixels of the screen), ended by its pid whatever
// happens to the test.
//
// Windows are X window ids (the client windows the program made); points
// given for a window are relative to its client area's top left corner.
#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace system_test {

namespace fs = std::filesystem;

inline fs::path OutDir() { return std::getenv("VELDRA_OUT"); }
inline fs::path SourceDir() { return std::getenv("VELDRA_SOURCE"); }

// Screenshots and other pictures of a run: build/test-artifacts/.
inline fs::path ArtifactDir()
{
    fs::path dir = OutDir().parent_path() / "test-artifacts";
    fs::create_directories(dir);
    return dir;
}

// Generous waits: a loaded machine, a sanitizer build.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif
constexpr int kLong = 30000 * kSlowdown;

inline bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// ---- Shell tools ----

inline std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Standard output of a shell command (its status in *rc).
inline std::string Shell(const std::string& cmd, int* rc = nullptr)
{
    std::string out;
    FILE* f = popen(cmd.c_str(), "r");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const int st = pclose(f);
    if (rc) *rc = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

// xdotool with a limit, so that a search that never matches cannot hang the suite.
inline std::string Xdo(const std::string& args, int seconds = 30, int* rc = nullptr)
{
    return Shell("timeout " + std::to_string(seconds) + " xdotool " + args + " 2>/dev/null", rc);
}

inline std::vector<unsigned long> Ids(const std::string& out)
{
    std::vector<unsigned long> ids;
    std::istringstream in(out);
    unsigned long id;
    while (in >> id) ids.push_back(id);
    return ids;
}

// ---- Finding windows ----

// The first visible window whose title matches the pattern, waited for (0 when none came).
inline unsigned long FindWindow(const std::string& titlePattern, int seconds = 30)
{
    auto ids = Ids(Xdo("search --sync --onlyvisible --name " + Quote(titlePattern), seconds));
    return ids.empty() ? 0 : ids.front();
}

// Visible windows with that title now, without waiting.
inline std::vector<unsigned long> VisibleWindows(const std::string& titlePattern)
{
    return Ids(Xdo("search --onlyvisible --name " + Quote(titlePattern), 10));
}

inline bool WaitForNoWindow(const std::string& titlePattern, int milliseconds)
{
    return WaitFor([&] { return VisibleWindows(titlePattern).empty(); }, milliseconds);
}

// ---- The X server ----

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool Contains(int px, int py) const { return px >= x && px < Right() && py >= y && py < Bottom(); }
    bool Inside(const Rect& o) const { return x >= o.x && y >= o.y && Right() <= o.Right() && Bottom() <= o.Bottom(); }
    bool operator==(const Rect&) const = default;
};

inline std::ostream& operator<<(std::ostream& o, const Rect& r)
{
    return o << r.width << "x" << r.height << "+" << r.x << "+" << r.y;
}

// One connection of the test process to the X server, for reading only.
class XServer {
public:
    static XServer& Get()
    {
        static XServer* x = new XServer;
        return *x;
    }
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    int width = 0, height = 0;

    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
        xcb_atom_t a = r ? r->atom : 0;
        free(r);
        return a;
    }
    // A property as 32-bit items (windows, cardinals, atoms).
    std::vector<uint32_t> Property32(xcb_window_t w, const char* name)
    {
        std::vector<uint32_t> out;
        xcb_get_property_reply_t* r =
            xcb_get_property_reply(c, xcb_get_property(c, 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
        if (r && r->format == 32) {
            const uint32_t* v = (const uint32_t*)xcb_get_property_value(r);
            out.assign(v, v + xcb_get_property_value_length(r) / 4);
        }
        free(r);
        return out;
    }
    uint32_t Cardinal(xcb_window_t w, const char* name)
    {
        std::vector<uint32_t> v = Property32(w, name);
        return v.empty() ? 0 : v.front();
    }
    // The children of the root window, bottom to top.
    std::vector<xcb_window_t> RootChildren()
    {
        std::vector<xcb_window_t> out;
        xcb_query_tree_reply_t* t = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
        if (!t) return out;
        const xcb_window_t* k = xcb_query_tree_children(t);
        out.assign(k, k + xcb_query_tree_children_length(t));
        free(t);
        return out;
    }
    bool Attributes(xcb_window_t w, bool* overrideRedirect, bool* viewable)
    {
        xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        if (!a) return false;
        *overrideRedirect = a->override_redirect != 0;
        *viewable = a->map_state == XCB_MAP_STATE_VIEWABLE;
        free(a);
        return true;
    }
    // The root window's child that holds `w` (the manager's frame, or `w`).
    xcb_window_t TopOf(xcb_window_t w)
    {
        for (int depth = 0; w && depth < 16; depth++) {
            xcb_query_tree_reply_t* t = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
            if (!t) return 0;
            const xcb_window_t parent = t->parent;
            free(t);
            if (parent == root) return w;
            w = parent;
        }
        return 0;
    }
    // The root window's child the user sees at a screen point.
    xcb_window_t TopAt(int x, int y)
    {
        xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, root, root, (int16_t)x, (int16_t)y), nullptr);
        xcb_window_t w = t ? t->child : 0;
        free(t);
        return w;
    }
    bool PointerAt(int x, int y)
    {
        xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
        const bool at = r && r->same_screen && r->root_x == x && r->root_y == y;
        free(r);
        return at;
    }
    // True while another client holds the pointer (a menu's or a drag's
    // grab): a click then goes to that client whatever lies under it.
    bool PointerHeld()
    {
        xcb_grab_pointer_reply_t* r = xcb_grab_pointer_reply(
            c, xcb_grab_pointer(c, 0, root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME),
            nullptr);
        const bool held = r && r->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
        if (r && r->status == XCB_GRAB_STATUS_SUCCESS) {
            xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
            xcb_flush(c);
        }
        free(r);
        return held;
    }
    // A window's area on the screen (its own area, without the manager's frame).
    Rect Area(xcb_window_t w)
    {
        Rect out;
        xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        xcb_translate_coordinates_reply_t* t =
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root, 0, 0), nullptr);
        if (g && t) out = Rect{t->dst_x, t->dst_y, g->width, g->height};
        free(g);
        free(t);
        return out;
    }

private:
    XServer()
    {
        int n = 0;
        c = xcb_connect(nullptr, &n);
        if (xcb_connection_has_error(c)) return;
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < n && it.rem; i++) xcb_screen_next(&it);
        root = it.data->root;
        width = it.data->width_in_pixels;
        height = it.data->height_in_pixels;
    }
};

// The window's client area on the screen.
inline Rect ClientRect(unsigned long window) { return XServer::Get().Area((xcb_window_t)window); }

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool operator==(const Geometry&) const = default;
};
inline std::ostream& operator<<(std::ostream& o, const Geometry& g)
{
    return o << g.width << "x" << g.height << "+" << g.x << "+" << g.y;
}

// Where the window's client area is (the desktop's frame excluded).
inline Geometry WindowGeometry(unsigned long window)
{
    const Rect r = ClientRect(window);
    if (r.width == 0) return Geometry{};
    return Geometry{r.x, r.y, r.width, r.height};
}

inline Rect ScreenRect() { return Rect{0, 0, XServer::Get().width, XServer::Get().height}; }

// True when the user sees the window (or its frame) at the screen point.
inline bool SeenAt(unsigned long window, int x, int y)
{
    XServer& s = XServer::Get();
    return s.TopAt(x, y) == s.TopOf((xcb_window_t)window);
}

// The window manager's frame around a window: left, right, top, bottom.
inline std::vector<uint32_t> FrameExtents(unsigned long window)
{
    std::vector<uint32_t> e = XServer::Get().Property32((xcb_window_t)window, "_NET_FRAME_EXTENTS");
    e.resize(4, 0);
    return e;
}

inline unsigned long TransientFor(unsigned long window)
{
    return XServer::Get().Cardinal((xcb_window_t)window, "WM_TRANSIENT_FOR");
}

inline unsigned long ActiveWindow() { return XServer::Get().Cardinal(XServer::Get().root, "_NET_ACTIVE_WINDOW"); }

// The window the X server sends the keys to (none: 0), whoever set it.
inline unsigned long FocusWindow()
{
    XServer& x = XServer::Get();
    xcb_get_input_focus_reply_t* f = xcb_get_input_focus_reply(x.c, xcb_get_input_focus(x.c), nullptr);
    const unsigned long w = f ? f->focus : 0;
    free(f);
    return w == XCB_INPUT_FOCUS_POINTER_ROOT ? 0 : w;
}

// The windows the manager manages, bottom to top.
// The order is the X server's own (the frames among the root window's
// children): not every manager keeps its stacking list up to date on a raise.
inline std::vector<uint32_t> ManagedStacking()
{
    XServer& x = XServer::Get();
    std::vector<uint32_t> managed = x.Property32(x.root, "_NET_CLIENT_LIST_STACKING");
    const std::vector<xcb_window_t> order = x.RootChildren();
    std::vector<std::pair<size_t, uint32_t>> placed;
    for (uint32_t w : managed) {
        const auto at = std::find(order.begin(), order.end(), x.TopOf(w));
        placed.emplace_back(at == order.end() ? 0 : (size_t)(at - order.begin()), w);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<uint32_t> out;
    for (const auto& [at, w] : placed) out.push_back(w);
    return out;
}

// True when `upper` is stacked above `lower` (both managed).
inline bool StackedAbove(unsigned long upper, unsigned long lower)
{
    const std::vector<uint32_t> s = ManagedStacking();
    int iu = -1, il = -1;
    for (int i = 0; i < (int)s.size(); i++) {
        if (s[i] == upper) iu = i;
        if (s[i] == lower) il = i;
    }
    return iu >= 0 && il >= 0 && iu > il;
}

// What a failed stacking wait saw: the managed windows bottom to top, the
// two asked about marked.
inline std::string StackingSeen(unsigned long upper, unsigned long lower)
{
    std::ostringstream o;
    o << "stacking, bottom to top:";
    for (uint32_t w : ManagedStacking())
        o << ' ' << std::hex << w << std::dec << (w == upper ? "(upper)" : w == lower ? "(lower)" : "");
    return o.str();
}

// Shown windows of the process that no manager frames (popups: menus, tips,
// lists), topmost first.
inline std::vector<unsigned long> UnmanagedPopups(pid_t pid)
{
    XServer& x = XServer::Get();
    std::vector<unsigned long> out;
    std::vector<xcb_window_t> all = x.RootChildren();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        bool unmanaged = false, viewable = false;
        if (!x.Attributes(*it, &unmanaged, &viewable) || !unmanaged || !viewable) continue;
        if (x.Cardinal(*it, "_NET_WM_PID") == (uint32_t)pid) out.push_back(*it);
    }
    return out;
}

// ---- Pixels ----

// Screen pixels as 0x00RRGGBB, row by row.
struct Image {
    Rect area;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[(size_t)(y - area.y) * area.width + (x - area.x)]; }
    bool operator==(const Image& o) const { return area == o.area && px == o.px; }
    // Pixels that differ from another picture of the same area.
    int Differences(const Image& o) const
    {
        if (!(area == o.area)) return -1;
        int n = 0;
        for (size_t i = 0; i < px.size(); i++) n += px[i] != o.px[i];
        return n;
    }
};

// What the screen shows in the rectangle (the whole screen by default).
inline Image GrabScreen(Rect r = Rect{})
{
    XServer& x = XServer::Get();
    if (r.width <= 0 || r.height <= 0) r = ScreenRect();
    Image img;
    img.area = r;
    xcb_get_image_reply_t* g = xcb_get_image_reply(
        x.c, xcb_get_image(x.c, XCB_IMAGE_FORMAT_Z_PIXMAP, x.root, (int16_t)r.x, (int16_t)r.y, (uint16_t)r.width,
                           (uint16_t)r.height, ~0u),
        nullptr);
    // A 24-bit screen keeps each pixel in 32 bits, blue first.
    if (g && xcb_get_image_data_length(g) >= r.width * r.height * 4) {
        const uint32_t* p = (const uint32_t*)xcb_get_image_data(g);
        img.px.assign(p, p + (size_t)r.width * r.height);
        for (uint32_t& v : img.px) v &= 0xFFFFFF;
    } else {
        img.area = Rect{};
    }
    free(g);
    return img;
}

inline bool SavePng(const Image& img, const std::string& name)
{
    if (img.area.width <= 0) return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.area.width, img.area.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img.area.height; y++)
        memcpy(data + (size_t)y * stride, &img.px[(size_t)y * img.area.width], (size_t)img.area.width * 4);
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, (ArtifactDir() / name).c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

// The whole screen as build/test-artifacts/NAME.
inline bool Screenshot(const std::string& name) { return SavePng(GrabScreen(), name); }

inline bool WaitForScreenChange(const Image& before, int milliseconds)
{
    return WaitFor([&] { return GrabScreen(before.area).Differences(before) > 0; }, milliseconds);
}

// ---- Input: what a user does ----

// xdotool's --sync waits for the pointer to move: one already there would
// wait out the whole time-out.
inline void MoveTo(int x, int y)
{
    if (!XServer::Get().PointerAt(x, y)) Xdo("mousemove --sync " + std::to_string(x) + " " + std::to_string(y), 10);
}

// Moves the pointer to a point of the window's client area.
inline void Hover(unsigned long window, int x, int y)
{
    const Rect r = ClientRect(window);
    MoveTo(r.x + x, r.y + y);
}

// A press lands where the pointer is only once no client holds the pointer
// any more (a menu that just closed lets it go a moment later).
inline bool PointerFree() { return WaitFor([] { return !XServer::Get().PointerHeld(); }, 5000 * kSlowdown); }

inline void Click(unsigned long window, int x, int y, int button = 1)
{
    PointerFree();
    Hover(window, x, y);
    Xdo("click " + std::to_string(button), 10);
}

inline void DoubleClick(unsigned long window, int x, int y)
{
    PointerFree();
    Hover(window, x, y);
    Xdo("click --repeat 2 --delay 80 1", 10);
}

inline void ButtonDown(int button = 1) { Xdo("mousedown " + std::to_string(button), 10); }
inline void ButtonUp(int button = 1) { Xdo("mouseup " + std::to_string(button), 10); }

// A click on the window's title bar, drawn by the window manager: it raises
// and activates the window as for a user. True once the manager says the
// window is active.
inline bool ClickTitle(unsigned long window)
{
    PointerFree();
    const Rect r = ClientRect(window);
    const std::vector<uint32_t> e = FrameExtents(window);
    const int y = r.y - (int)e[2] / 2;
    // A part of the bar no other window covers, away from its buttons: from
    // the middle to the right, then from the left.
    std::vector<int> xs;
    for (int x = r.x + r.width / 2; x < r.Right() - 80; x += 16) xs.push_back(x);
    for (int x = r.x + 20; x < r.x + r.width / 2; x += 16) xs.push_back(x);
    for (int x : xs)
        if (SeenAt(window, x, y)) {
            MoveTo(x, y);
            Xdo("click 1", 10);
            if (WaitFor([&] { return ActiveWindow() == window; }, 3000 * kSlowdown)) return true;
            break;
        }
    Screenshot("title-click-missed-" + std::to_string(window) + ".png");
    return false;
}

// Keys, as xdotool names them ("ctrl+o", "F9", "alt+f x"), to whichever
// window has the focus.
inline void Key(const std::string& keys) { Xdo("key --delay 100 " + keys, 30); }
inline void KeyDown(const std::string& key) { Xdo("keydown " + key, 10); }
inline void KeyUp(const std::string& key) { Xdo("keyup " + key, 10); }
inline void Type(const std::string& text) { Xdo("type --delay 60 " + Quote(text), 30); }

// Activates the window through its title bar, then types the keys there.
inline bool Keys(unsigned long window, const std::string& keys)
{
    if (ActiveWindow() != window && !ClickTitle(window)) return false;
    Key(keys);
    return true;
}

// ---- Files and homes ----

inline std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool WaitForFile(const fs::path& p, const std::function<bool(const std::string&)>& holds, int milliseconds)
{
    return WaitFor([&] { return fs::exists(p) && (!holds || holds(ReadFile(p))); }, milliseconds);
}

// A stored frame placement ("Winpos"): the normal rectangle, shown normally.
inline std::string PlacementValue(int left, int top, int right, int bottom)
{
    const int32_t v[11] = {44, 0, 1, -1, -1, -1, -1, left, top, right, bottom};
    std::string out = "hex:";
    char b[4];
    for (int i = 0; i < 11; i++)
        for (int k = 0; k < 4; k++) {
            snprintf(b, sizeof b, "%02x", (unsigned)((uint32_t)v[i] >> (8 * k)) & 0xFF);
            out += (i || k ? "," : "") + std::string(b);
        }
    return out;
}

// A fresh home for one test: settings and data folders of its own, never the
// developer's. Not a first start, so no help page is opened; `settings`
// adds lines to the "[Settings]" section (e.g. a stored placement).
struct Home {
    fs::path root;
    explicit Home(const std::string& name, const std::string& settings = "")
    {
        root = fs::temp_directory_path() / ("veldra-system-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(root);
        fs::create_directories(root / "config" / "Brenholt");
        fs::create_directories(root / "data");
        std::ofstream(root / "config" / "Brenholt" / "Veldra.conf") << "[Settings]\nVer=dword:00000004\n" << settings;
    }
    ~Home()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path Settings() const { return root / "config" / "Brenholt" / "Veldra.conf"; }
    fs::path Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(root / name, std::ios::binary) << text;
        return root / name;
    }
};

// The staged `veldra` with the interactive display, started in the home.
// Only what a desktop session passes on reaches it: no session bus address.
class Child {
public:
    Child(const Home& home, const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {})
    {
        std::vector<std::string> env{"QT_QPA_PLATFORM=xcb", "VELDRA_HEADLESS=0",
                                     "VELDRA_CONFIG_HOME=" + (home.root / "config").string(),
                                     "XDG_DATA_HOME=" + (home.root / "data").string(), "OPENBLAS_NUM_THREADS=1"};
        for (const char* keep : {"DISPLAY", "XAUTHORITY", "PATH", "HOME", "LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* v = std::getenv(keep)) env.push_back(std::string(keep) + "=" + v);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv{(OutDir() / "veldra").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        const std::string cwd = home.root.string();
        m_pid = fork();
        if (m_pid == 0) {
            std::vector<char*> a, e;
            for (auto& s : argv) a.push_back(s.data());
            a.push_back(nullptr);
            for (auto& s : env) e.push_back(s.data());
            e.push_back(nullptr);
            if (chdir(cwd.c_str()) != 0) _exit(126);
            execve(a[0], a.data(), e.data());
            _exit(127);
        }
    }
    ~Child()
    {
        if (Running()) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Running()
    {
        if (m_pid <= 0 || m_ended) return false;
        int st = 0;
        if (waitpid(m_pid, &st, WNOHANG) == m_pid) {
            m_ended = true;
            m_status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            return false;
        }
        return true;
    }
    // The exit status, or -1 when the process is still running after the limit.
    int WaitExit(int milliseconds)
    {
        // A sanitizer build's exit checks the whole heap for leaks.
        WaitFor([&] { return !Running(); }, milliseconds * kSlowdown);
        return m_ended ? m_status : -1;
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = -1;
};

}  // namespace system_test
