// The library's entry: the Qt application on the calling (main) thread, the
// program's own main on a new thread.
#include <QApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include "platform/backend/qt/qt_backend.h"
#include "platform/user/user.h"

namespace {

void SetWhy(char* why, size_t size, const char* text)
{
    if (!why || size == 0) return;
    strncpy(why, text, size - 1);
    why[size - 1] = 0;
}

// A session without a bus (no address, no bus socket in the runtime folder):
// the platform's accessibility would have one started for it and can wait
// many seconds for it before the first window shows. An address that fails
// at once keeps the start fast; children inherit it, they have no bus either.
void NoSessionBusFailsAtOnce()
{
    const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime && *runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) return;
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/veldra-no-session-bus", 1);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int veldra_qt_run(int argc, char** argv, int (*appMain)(void*),
                                                                    void* context, char* why, size_t whySize)
{
    // Native Wayland neither places windows nor reports global pointer
    // positions: with an X server at hand, use it (X11 or XWayland).
    const char* display = getenv("DISPLAY");
    const char* platform = getenv("QT_QPA_PLATFORM");
    if (display && *display && !(platform && *platform)) setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (!(display && *display) && !getenv("WAYLAND_DISPLAY")) {
        SetWhy(why, whySize, "no display");
        return -1;
    }
    // Qt gives up on a display it cannot open by ending the process: try first.
    // The probe stays connected until Qt is: an X server resets when its last
    // client leaves, and Qt would find it resetting.
    const char* qpa = getenv("QT_QPA_PLATFORM");
    xcb_connection_t* probe = nullptr;
    if (qpa && strncmp(qpa, "xcb", 3) == 0) {
        probe = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(probe)) {
            xcb_disconnect(probe);
            std::string text = std::string("cannot open the X display ") + (display ? display : "");
            SetWhy(why, whySize, text.c_str());
            return -1;
        }
    }
    NoSessionBusFailsAtOnce();
    static int qtArgc;
    qtArgc = argc;
    QApplication app(qtArgc, argv);
    if (probe) xcb_disconnect(probe);
    if (!QGuiApplication::primaryScreen()) {
        SetWhy(why, whySize, "the display has no screen");
        return -1;
    }
    SetBackend(MakeQtBackend());
    StartQtDisplay();
    int result = 0;
    std::thread program([&] {
        result = appMain(context);
        // The loop ends once the program is done.
        PostToDisplay([] { QCoreApplication::exit(0); });
    });
    app.exec();
    program.join();
    SetBackend(nullptr);
    StopQtDisplay();
    return result;
}
