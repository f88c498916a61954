#pragma once
// Helpers for the display tests: waiting while pumping, and running the X
// tools; the display thread's side is qt_test_hooks.h.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "platform/backend/display.h"
#include "platform/wm_test_util.h"
#include "qt_test_hooks.h"

// Pumps this thread's messages until done() or the time is up. A wait for
// an event gets four times its time (eight under the sanitizers): a loaded
// machine is slow, and a longer deadline costs nothing when the event comes.
inline bool PumpUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr int kEventScale = 8;
#else
    constexpr int kEventScale = 4;
#endif
    if (done) milliseconds *= kEventScale;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        if (done && done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void PumpFor(int milliseconds) { PumpUntil(nullptr, milliseconds); }

inline int Sh(const std::string& cmd) { return system(cmd.c_str()); }

inline std::string ShOut(const std::string& cmd)
{
    std::string out;
    FILE* f = popen(cmd.c_str(), "r");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
    return out;
}

// Lets the display finish what was asked of it.
inline void SyncDisplay()
{
    PumpUntilIdle();
    DisplaySync();
}

// Shows a top-level window and has the window manager activate it, as a
// pager or a click on its title would; a popup the manager does not manage
// gets the X input focus itself.
inline unsigned long ShowAndFocus(HWND frame)
{
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    SetForegroundWindow(frame);
    unsigned long id = 0;
    PumpUntil([&] {
        id = DisplayNativeId(frame);
        return id != 0;
    });
    if (id) {
        const std::string w = std::to_string(id);
        const bool managed = Sh("xwininfo -id " + w + " | grep -q 'Override Redirect State: no'") == 0;
        if (!managed || Sh("timeout 5 xdotool windowactivate --sync " + w + " >/dev/null 2>&1") != 0)
            Sh("timeout 5 xdotool windowfocus --sync " + w + " >/dev/null 2>&1");
    }
    PumpFor(100);
    return id;
}

inline double ScaleFactor()
{
    const char* s = getenv("QT_SCALE_FACTOR");
    return s && *s ? atof(s) : 1.0;
}

// Moves the X pointer to a screen point given in our logical pixels.
inline std::string XMoveArgs(POINT p)
{
    double f = ScaleFactor();
    return "mousemove " + std::to_string((int)(p.x * f + f / 2)) + " " + std::to_string((int)(p.y * f + f / 2));
}
inline std::string XMove(POINT p) { return "xdotool " + XMoveArgs(p); }

// Destroys the window when the test leaves early (its handler goes with the test).
struct WindowGuard {
    HWND hwnd;
    ~WindowGuard()
    {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
};

inline POINT ScreenPoint(HWND h, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
}

inline std::filesystem::path ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

// A screenshot the test looks at is written to a file of this process: the
// display suites run side by side under scripts/stress-test and would read
// each other's pictures. Each shot is also kept whole as test-artifacts/NAME.
inline std::string ShotFile(const std::string& name)
{
    static const struct Dir {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("veldra-shots-" + std::to_string(getpid()));
        Dir() { std::filesystem::create_directories(path); }
        ~Dir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } dir;
    return (dir.path / name).string();
}

inline bool TakeScreenshot(const std::string& file)
{
    if (!DisplayScreenshot(file.c_str())) return false;
    // Copied beside the artifact, then renamed over it in one step.
    namespace fs = std::filesystem;
    const std::string name = fs::path(file).filename().string();
    const fs::path copy = ArtifactDir() / ("." + name + "." + std::to_string(getpid()));
    std::error_code ec;
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(copy, ArtifactDir() / name, ec);
    return true;
}
