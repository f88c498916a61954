// The display tests' requests to the display thread, over the display
// library's own (RunOnDisplayAndWait, QtFindWindow) and the Qt objects.
#include "qt_test_hooks.h"

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <xcb/xcb.h>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"

unsigned long DisplayNativeId(HWND hwnd)
{
    auto id = std::make_shared<std::atomic<unsigned long>>(0);
    RunOnDisplayAndWait(
        [id, hwnd] {
            QWindow* w;
            auto keep = QtFindWindow(hwnd, &w);
            if (w && w->isVisible()) id->store((unsigned long)w->winId());
        },
        5000);
    return id->load();
}

void DisplayCommitText(HWND hwnd, const char* utf8)
{
    const QString text = QString::fromUtf8(utf8);
    RunOnDisplayAndWait(
        [hwnd, text] {
            QWindow* w;
            auto keep = QtFindWindow(hwnd, &w);
            if (!w) return;
            QInputMethodEvent e;
            e.setCommitString(text);
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

bool DisplayCursorRect(HWND hwnd, RECT* out)
{
    auto answer = std::make_shared<std::pair<bool, RECT>>(false, RECT{});
    if (!RunOnDisplayAndWait(
            [hwnd, answer] {
                QWindow* w;
                auto keep = QtFindWindow(hwnd, &w);
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

void DisplayDropUrls(HWND hwnd, int x, int y, const char* const* urls, int count)
{
    QList<QUrl> list;
    for (int i = 0; i < count; i++) list << QUrl(QString::fromUtf8(urls[i]));
    RunOnDisplayAndWait(
        [hwnd, x, y, list] {
            QWindow* w;
            auto keep = QtFindWindow(hwnd, &w);
            if (!w) return;
            QMimeData md;
            md.setUrls(list);
            QDropEvent e(QPointF(x, y), Qt::CopyAction, &md, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        },
        5000);
}

namespace {

// Watches the application for dialogs as they show, and accepts each as the
// test asked (display thread).
class CDialogAnswerer : public QObject {
public:
    using QObject::QObject;
    std::string file;
    HWND closeFirst = nullptr;
    const std::atomic<bool>* when = nullptr;

    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* d = qobject_cast<QDialog*>(object);
        if (event->type() != QEvent::Show || !d || !d->isWindow() || d->property(kAnswered).toBool())
            return false;
        d->setProperty(kAnswered, true);
        // Now, before the name field has the keyboard: a file dialog leaves
        // a focused name field as the user typed it.
        if (auto* fd = qobject_cast<QFileDialog*>(d); fd && !file.empty()) fd->selectFile(QString::fromStdString(file));
        auto* timer = new QTimer(d);
        auto ticks = std::make_shared<int>(0);
        const HWND close = closeFirst;
        const std::atomic<bool>* gate = when;
        QObject::connect(timer, &QTimer::timeout, d, [=] {
            if (gate && !gate->load()) return;
            if ((*ticks)++ == 0) {
                if (close) {
                    QWindow* w;
                    auto keep = QtFindWindow(close, &w);
                    if (w) w->close();
                }
                return;
            }
            timer->stop();
            d->done(QDialog::Accepted);
        });
        timer->start(20);
        return false;
    }

private:
    static constexpr const char* kAnswered = "veldraTestsAnswered";
};

QPointer<CDialogAnswerer> g_answerer;

}  // namespace

void AcceptNextDialogs(const char* file, HWND closeFirst, const std::atomic<bool>* when)
{
    const std::string f = file ? file : "";
    RunOnDisplayAndWait(
        [f, closeFirst, when] {
            if (!g_answerer) {
                g_answerer = new CDialogAnswerer(qApp);
                qApp->installEventFilter(g_answerer);
            }
            g_answerer->file = f;
            g_answerer->closeFirst = closeFirst;
            g_answerer->when = when;
        },
        5000);
}

bool DisplayWindowShot(HWND hwnd, const char* path, int* width, int* height)
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
            auto keep = QtFindWindow(hwnd, &w);
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

void DisplayClose(HWND hwnd)
{
    RunOnDisplayAndWait(
        [hwnd] {
            QWindow* w;
            auto keep = QtFindWindow(hwnd, &w);
            if (w) w->close();
        },
        5000);
}

// A grab that gave up waiting may still run later: it owns what it uses.
bool DisplayScreenshot(const char* path)
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

void DisplaySync()
{
    RunOnDisplayAndWait([] { QCoreApplication::processEvents(); }, 5000);
}

void DisplayStall(int milliseconds)
{
    PostToDisplay([milliseconds] { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); });
}

long ServerPixel(int x, int y, bool* keeps)
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
