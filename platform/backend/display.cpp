// The display selector: loads the interactive display library on demand.
#include "platform/backend/display.h"

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

// The library's one entry (see platform/backend/qt/qt_entry.cpp).
using RunFn = int (*)(int argc, char** argv, int (*appMain)(void*), void* context, char* why, size_t whySize);

int CallAppMain(void* context) { return (*(const std::function<int()>*)context)(); }

bool Set(const char* name)
{
    const char* v = getenv(name);
    return v && *v;
}

}  // namespace

bool DisplayWanted()
{
    const char* headless = getenv("VELDRA_HEADLESS");
    if (headless && strcmp(headless, "1") == 0) return false;
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

std::string DisplayLibraryPath()
{
    if (const char* p = getenv("VELDRA_QT_LIBRARY"); p && *p) return p;
    Dl_info info{};
    if (dladdr((void*)&DisplayLibraryPath, &info) && info.dli_fname) {
        std::string self = info.dli_fname;
        size_t slash = self.rfind('/');
        return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/lib/libveldra_qt.so";
    }
    return "lib/libveldra_qt.so";
}

bool RunWithDisplay(int argc, char** argv, const std::function<int()>& appMain, int* exitCode, std::string* why)
{
    auto fail = [&](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    if (!DisplayWanted()) return fail("no display (DISPLAY is not set, or VELDRA_HEADLESS=1)");
    std::string path = DisplayLibraryPath();
    // Kept loaded for the life of the process: Qt does not unload cleanly.
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!lib) {
        const char* e = dlerror();
        return fail("cannot load the display library " + path + ": " + (e ? e : "unknown error"));
    }
    auto run = (RunFn)dlsym(lib, "veldra_qt_run");
    if (!run) return fail("the display library " + path + " has no entry veldra_qt_run");
    char text[512] = {};
    int code = run(argc, argv, CallAppMain, (void*)&appMain, text, sizeof text);
    if (code == -1 && text[0]) return fail(text);
    if (exitCode) *exitCode = code;
    return true;
}
