#pragma once
// The staged program as a child process on the virtual X server: its own
// settings and data folders, found and driven through xdotool, ended by its
// pid whatever happens to the test.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace system_test {

namespace fs = std::filesystem;

inline fs::path OutDir() { return std::getenv("VELDRA_OUT"); }
inline fs::path SourceDir() { return std::getenv("VELDRA_SOURCE"); }

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

// Gives the window the X input focus (there is no window manager) and types the keys.
inline void Keys(unsigned long window, const std::string& keys)
{
    Xdo("windowfocus --sync " + std::to_string(window), 10);
    Xdo("key --delay 120 " + keys, 30);
}

struct Geometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool operator==(const Geometry&) const = default;
};

inline Geometry WindowGeometry(unsigned long window)
{
    Geometry g;
    std::istringstream in(Xdo("getwindowgeometry --shell " + std::to_string(window), 10));
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string k = line.substr(0, eq);
        const int v = std::atoi(line.c_str() + eq + 1);
        if (k == "X") g.x = v;
        else if (k == "Y") g.y = v;
        else if (k == "WIDTH") g.width = v;
        else if (k == "HEIGHT") g.height = v;
    }
    return g;
}

inline bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

inline std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh home for one test: settings and data folders of its own, never the
// developer's. Not a first start, so no help page is opened.
struct Home {
    fs::path root;
    explicit Home(const std::string& name)
    {
        root = fs::temp_directory_path() / ("veldra-system-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(root);
        fs::create_directories(root / "config" / "Brenholt");
        fs::create_directories(root / "data");
        std::ofstream(root / "config" / "Brenholt" / "Veldra.conf") << "[Settings]\nVer=dword:00000004\n";
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
class Child {
public:
    Child(const Home& home, const std::vector<std::string>& args)
    {
        std::vector<std::string> env{"QT_QPA_PLATFORM=xcb", "VELDRA_HEADLESS=0",
                                     "VELDRA_CONFIG_HOME=" + (home.root / "config").string(),
                                     "XDG_DATA_HOME=" + (home.root / "data").string(), "OPENBLAS_NUM_THREADS=1"};
        for (const char* keep : {"DISPLAY", "XAUTHORITY", "PATH", "HOME", "LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* v = std::getenv(keep)) env.push_back(std::string(keep) + "=" + v);
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
        WaitFor([&] { return !Running(); }, milliseconds);
        return m_ended ? m_status : -1;
    }
    pid_t Pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    bool m_ended = false;
    int m_status = -1;
};

}  // namespace system_test
