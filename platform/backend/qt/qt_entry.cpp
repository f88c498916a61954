// The library's entry: the Qt application on the calling (main) thread, the
// program's own main on a new thread; and hooks the display tests call.
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputMethodQueryEvent>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <xcb/xcb.h>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/user/user.h"

void QtSetDialogTestHook(std::function<void(QDialog*)> hook);

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

// ---- Test hooks: each runs on the display thread and is waited for ----

#define VELDRA_QT_EXPORT extern "C" __attribute__((visibility("default")))

// The X window id of a top-level window's surface (0: none yet).
VELDRA_QT_EXPORT unsigned long veldra_qt_test_native_id(HWND hwnd)
{
    auto id = std::make_shared<std::atomic<unsigned long>>(0);
    RunOnDisplayAndWait(
        [id, hwnd] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (w && w->isVisible()) id->store((unsigned long)w->winId());
        },
        5000);
    return id->load();
}

// The input method commits text (UTF-8) to the window.
VELDRA_QT_EXPORT void veldra_qt_test_commit(HWND hwnd, const char* utf8)
{
    const QString text = QString::fromUtf8(utf8);
    RunOnDisplayAndWait(
        [hwnd, text] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (!w) return;
            QInputMethodEvent e;
            e.setCommitString(text);
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

// What the window answers the input method's cursor-rectangle query.
VELDRA_QT_EXPORT bool veldra_qt_test_cursor_rect(HWND hwnd, RECT* out)
{
    auto answer = std::make_shared<std::pair<bool, RECT>>(false, RECT{});
    if (!RunOnDisplayAndWait(
            [hwnd, answer] {
                QWindow* w;
                auto keep = QtFindWindowForTest(hwnd, &w);
                if (!w) return;
                QInputMethodQueryEvent q(Qt::ImEnabled | Qt::ImCursorRectangle);
                QCoreApplication::sendEvent(w, &q);
                QRect r = q.value(Qt::ImCursorRectangle).toRect();
                answer->second = RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
                answer->first = q.value(Qt::ImEnabled).toBool();
            },
            5000))
        return false;
    *out = answer->second;
    return answer->first;
}

// Drops URLs (text/uri-list) at a point of the window (its own coordinates).
VELDRA_QT_EXPORT void veldra_qt_test_drop(HWND hwnd, int x, int y, const char* const* urls, int count)
{
    QList<QUrl> list;
    for (int i = 0; i < count; i++) list << QUrl(QString::fromUtf8(urls[i]));
    RunOnDisplayAndWait(
        [hwnd, x, y, list] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (!w) return;
            QMimeData md;
            md.setUrls(list);
            QDropEvent e(QPointF(x, y), Qt::CopyAction, &md, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

// The next dialogs are accepted once shown and `*when` (if given) is true; a
// file dialog selects `file`. Before accepting, a close of `closeFirst` is
// tried (its window is disabled under the dialog).
VELDRA_QT_EXPORT void veldra_qt_test_accept_dialogs(const char* file, HWND closeFirst, const std::atomic<bool>* when)
{
    std::string f = file ? file : "";
    QtSetDialogTestHook([f, closeFirst, when](QDialog* d) {
        auto* timer = new QTimer(d);
        auto ticks = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, d, [=] {
            if (when && !when->load()) return;
            auto* fd = qobject_cast<QFileDialog*>(d);
            if ((*ticks)++ == 0) {
                if (closeFirst) {
                    QWindow* w;
                    auto keep = QtFindWindowForTest(closeFirst, &w);
                    if (w) w->close();
                }
                if (fd && !f.empty()) fd->setProperty("veldraTestAnswer", QString::fromStdString(f));
                return;
            }
            timer->stop();
            d->done(QDialog::Accepted);
        });
        timer->start(20);
    });
}

// A picture of one window as the screen shows it (device pixels).
VELDRA_QT_EXPORT bool veldra_qt_test_window_shot(HWND hwnd, const char* path, int* width, int* height)
{
    struct Shot {
        std::atomic<bool> ok{false};
        int width = 0, height = 0;
    };
    auto shot = std::make_shared<Shot>();
    const QString file = QString::fromUtf8(path);
    const bool done = RunOnDisplayAndWait(
        [shot, file, hwnd] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            QScreen* s = QGuiApplication::primaryScreen();
            if (!w || !s) return;
            QPixmap pm = s->grabWindow(w->winId());
            shot->width = pm.width();
            shot->height = pm.height();
            shot->ok.store(pm.save(file, "PNG"));
        },
        10000);
    if (!done || !shot->ok.load()) return false;
    *width = shot->width;
    *height = shot->height;
    return true;
}

// The desktop's close button on a window.
VELDRA_QT_EXPORT void veldra_qt_test_close(HWND hwnd)
{
    RunOnDisplayAndWait(
        [hwnd] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (w) w->close();
        },
        5000);
}

// The whole screen as a PNG.
// A grab that gave up waiting may still run later: it owns what it uses.
VELDRA_QT_EXPORT bool veldra_qt_test_screenshot(const char* path)
{
    auto ok = std::make_shared<std::atomic<bool>>(false);
    const QString file = QString::fromUtf8(path);
    const bool done = RunOnDisplayAndWait(
        [ok, file] {
            QScreen* s = QGuiApplication::primaryScreen();
            if (s) ok->store(s->grabWindow(0).save(file, "PNG"));
        },
        10000);
    return done && ok->load();
}

// Runs the display's pending work (requests queued before this call are done).
VELDRA_QT_EXPORT void veldra_qt_test_sync()
{
    RunOnDisplayAndWait([] { QCoreApplication::processEvents(); }, 5000);
}

// Keeps the display thread busy for a while (queued, not waited for): the
// window's owner cannot answer the desktop meanwhile.
VELDRA_QT_EXPORT void veldra_qt_test_stall(int milliseconds)
{
    PostToDisplay([milliseconds] { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });
}

// A pixel of the screen (device pixels) as 0x00RRGGBB, read from the X server
// on the calling thread, whatever the display thread is doing. -1: none.
// `keeps`: whether the server keeps the contents of windows that ask.
VELDRA_QT_EXPORT long veldra_qt_test_server_pixel(int x, int y, bool* keeps)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    long out = -1;
    if (!xcb_connection_has_error(c)) {
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber && it.rem; i++) xcb_screen_next(&it);
        xcb_screen_t* screen = it.data;
        if (keeps) *keeps = screen->backing_stores != XCB_BACKING_STORE_NOT_USEFUL;
        xcb_get_image_reply_t* r = xcb_get_image_reply(
            c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, (int16_t)x, (int16_t)y, 1, 1, ~0u), nullptr);
        // A 24-bit depth screen stores a pixel in 32 bits, blue first.
        if (r && xcb_get_image_data_length(r) >= 4) {
            uint32_t v;
            memcpy(&v, xcb_get_image_data(r), 4);
            out = v & 0xFFFFFF;
        }
        free(r);
    }
    xcb_disconnect(c);
    return out;
}
