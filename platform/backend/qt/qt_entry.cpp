// The library's entry: the Qt application on the calling (main) thread, the
// program's own main on a new thread; and hooks the display tests call.
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputMethodQueryEvent>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

#include <cstdlib>
#include <cstring>
#include <thread>

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
    static int qtArgc;
    qtArgc = argc;
    QApplication app(qtArgc, argv);
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
    unsigned long id = 0;
    RunOnDisplayAndWait(
        [&] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (w && w->isVisible()) id = (unsigned long)w->winId();
        },
        5000);
    return id;
}

// The input method commits text (UTF-8) to the window.
VELDRA_QT_EXPORT void veldra_qt_test_commit(HWND hwnd, const char* utf8)
{
    RunOnDisplayAndWait(
        [&] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (!w) return;
            QInputMethodEvent e;
            e.setCommitString(QString::fromUtf8(utf8));
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

// What the window answers the input method's cursor-rectangle query.
VELDRA_QT_EXPORT bool veldra_qt_test_cursor_rect(HWND hwnd, RECT* out)
{
    bool ok = false;
    RunOnDisplayAndWait(
        [&] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (!w) return;
            QInputMethodQueryEvent q(Qt::ImEnabled | Qt::ImCursorRectangle);
            QCoreApplication::sendEvent(w, &q);
            QRect r = q.value(Qt::ImCursorRectangle).toRect();
            *out = RECT{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
            ok = q.value(Qt::ImEnabled).toBool();
        },
        5000);
    return ok;
}

// Drops URLs (text/uri-list) at a point of the window (its own coordinates).
VELDRA_QT_EXPORT void veldra_qt_test_drop(HWND hwnd, int x, int y, const char* const* urls, int count)
{
    RunOnDisplayAndWait(
        [&] {
            QWindow* w;
            auto keep = QtFindWindowForTest(hwnd, &w);
            if (!w) return;
            QMimeData md;
            QList<QUrl> list;
            for (int i = 0; i < count; i++) list << QUrl(QString::fromUtf8(urls[i]));
            md.setUrls(list);
            QDropEvent e(QPointF(x, y), Qt::CopyAction, &md, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

// The next dialogs are accepted once shown; a file dialog selects `file`.
VELDRA_QT_EXPORT void veldra_qt_test_accept_dialogs(const char* file)
{
    std::string f = file ? file : "";
    QtSetDialogTestHook([f](QDialog* d) {
        if (auto* fd = qobject_cast<QFileDialog*>(d); fd && !f.empty()) fd->selectFile(QString::fromStdString(f));
        d->accept();
    });
}

// The whole screen as a PNG.
VELDRA_QT_EXPORT bool veldra_qt_test_screenshot(const char* path)
{
    bool ok = false;
    RunOnDisplayAndWait(
        [&] {
            QScreen* s = QGuiApplication::primaryScreen();
            if (s) ok = s->grabWindow(0).save(QString::fromUtf8(path), "PNG");
        },
        10000);
    return ok;
}

// Runs the display's pending work (requests queued before this call are done).
VELDRA_QT_EXPORT void veldra_qt_test_sync()
{
    RunOnDisplayAndWait([] { QCoreApplication::processEvents(); }, 5000);
}
