// The interactive display over Qt 6: one QRasterWindow per top-level window
// presents its backing image; Qt input comes back as raw input.
#include "platform/backend/qt/qt_backend.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCursor>
#include <QDropEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtGui/qguiapplication_platform.h>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QMimeData>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <xcb/xcb.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "platform/user/native_dialogs.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/user/nonclient.h"
#include "platform/user/user.h"

namespace {

// ---- Requests to the display thread ----

class Dispatcher : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::User) return QObject::event(e);
        for (;;) {
            std::function<void()> work;
            bool more;
            {
                std::lock_guard<std::mutex> g(lock);
                if (queue.empty()) {
                    posted = false;
                    return true;
                }
                work = std::move(queue.front());
                queue.pop_front();
                // Work may run a nested loop (a modal dialog): what is queued
                // meanwhile must still get its turn there.
                more = !queue.empty();
                posted = more;
            }
            if (more) QCoreApplication::postEvent(this, new QEvent(QEvent::User));
            work();
        }
    }
    std::mutex lock;
    std::deque<std::function<void()>> queue;
    bool posted = false;
};

Dispatcher* g_dispatcher = nullptr;   // under g_dispatcherLock once running
std::atomic<bool> g_running{false};
Qt::HANDLE g_displayThread = nullptr;

// ---- Windows ----

class SurfaceWindow;

// What both sides share of a top-level window.
struct Win {
    HWND hwnd = nullptr;
    // The front image the display paints from, written at each flush by the
    // owner thread (guarded by `lock`).
    std::mutex lock;
    std::vector<uint32_t> front;
    int width = 0;
    int height = 0;
    // Display thread only.
    SurfaceWindow* window = nullptr;
    CWindowPlacement placement;
    bool placed = false;
    int wheelSum = 0;
    // Geometries we asked for lately: the desktop confirms them late, and a
    // late confirmation of an earlier one is no move by the desktop.
    std::deque<QRect> requested;
    // Requested places the desktop has confirmed since its last own move: a
    // reparenting desktop confirms a place twice (the server's event and its
    // synthetic one), and between the two Qt may have seen a later one.
    std::deque<QRect> confirmed;
    // Where the program last placed the window (what its hit tests use).
    RECT model{};
    // The last place we told the window the desktop gave it.
    RECT reported{};
    bool hasReported = false;
    RECT caret{};
    bool hasCaret = false;
    // Display thread: the root window's child that holds ours (the window
    // manager's frame, or ours itself); 0: not known yet.
    uint32_t frame = 0;
};

std::mutex g_winLock;
std::map<HWND, std::shared_ptr<Win>> g_wins;

std::shared_ptr<Win> FindWin(HWND hwnd)
{
    std::lock_guard<std::mutex> g(g_winLock);
    auto it = g_wins.find(hwnd);
    return it == g_wins.end() ? nullptr : it->second;
}

CCursorShape g_cursor;          // display thread
HWND g_grab = nullptr;          // display thread: the top-level window holding the grab

Qt::CursorShape ShapeOf(int id)
{
    switch (id) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32516: return Qt::UpArrowCursor;
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
    case 32651: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

QCursor CursorOf(const CCursorShape& c)
{
    if (c.hidden) return QCursor(Qt::BlankCursor);
    if (c.standardId == 0 && !c.shape.empty()) {
        QPixmap pm(QString::fromStdString(c.shape));
        if (!pm.isNull()) return QCursor(pm, c.hotSpot.x, c.hotSpot.y);
    }
    return QCursor(ShapeOf(c.standardId));
}

void Report(BackendEventKind kind, HWND hwnd, RawInput in = RawInput{}, RECT rect = RECT{})
{
    BackendEvent e;
    e.kind = kind;
    e.hwnd = hwnd;
    e.input = std::move(in);
    e.rect = rect;
    ReportBackendEvent(std::move(e));
}

void QueueInput(RawInput in) { Report(BackendEventKind::Input, nullptr, std::move(in)); }

// The pointer position last reported (display thread): a move that does not
// move is no input (the grab of a still click makes some).
POINT g_lastPointer{};
bool g_pointerKnown = false;

void QueuePointerMove(POINT pt, HWND top)
{
    if (g_pointerKnown && g_lastPointer.x == pt.x && g_lastPointer.y == pt.y) return;
    g_lastPointer = pt;
    g_pointerKnown = true;
    RawInput mv;
    mv.kind = RawKind::Move;
    mv.pt = pt;
    mv.top = top;
    QueueInput(std::move(mv));
}

void ScheduleStackingSync();
xcb_connection_t* XConnection();
xcb_window_t g_root = 0;
struct Win;
void RaiseOnDesktop(Win& w, bool always = false);

// The keys and buttons really down now, asked of the X server.
std::vector<UINT> KeysDownNow()
{
    std::vector<UINT> down;
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    if (mods & Qt::ShiftModifier) down.push_back(VK_SHIFT);
    if (mods & Qt::ControlModifier) down.push_back(VK_CONTROL);
    if (mods & Qt::AltModifier) down.push_back(VK_MENU);
    if (xcb_connection_t* c = XConnection()) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        if (xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c, xcb_query_pointer(c, screen->root), nullptr)) {
            if (r->mask & XCB_BUTTON_MASK_1) down.push_back(VK_LBUTTON);
            if (r->mask & XCB_BUTTON_MASK_2) down.push_back(VK_MBUTTON);
            if (r->mask & XCB_BUTTON_MASK_3) down.push_back(VK_RBUTTON);
            free(r);
        }
    }
    return down;
}

UINT ButtonOf(Qt::MouseButton b)
{
    switch (b) {
    case Qt::LeftButton: return VK_LBUTTON;
    case Qt::RightButton: return VK_RBUTTON;
    case Qt::MiddleButton: return VK_MBUTTON;
    default: return 0;
    }
}

POINT GlobalOf(const QPointF& p) { return POINT{(LONG)qFloor(p.x()), (LONG)qFloor(p.y())}; }

class SurfaceWindow : public QRasterWindow {
public:
    explicit SurfaceWindow(std::shared_ptr<Win> w) : win(std::move(w)) {}
    std::shared_ptr<Win> win;
    bool syncing = false;   // our own geometry change: not echoed
    WId kept = 0;           // the native window asked to keep its contents

protected:
    void paintEvent(QPaintEvent* e) override
    {
        QPainter p(this);
        std::lock_guard<std::mutex> g(win->lock);
        if (win->width <= 0 || win->front.empty()) return;
        QImage img((const uchar*)win->front.data(), win->width, win->height, win->width * 4, QImage::Format_RGB32);
        const QRect r = e->rect();
        p.drawImage(r, img, r);
    }

    void mousePressEvent(QMouseEvent* e) override { Button(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { Button(e, false); }
    void mouseDoubleClickEvent(QMouseEvent*) override {}   // the window manager times double clicks
    void mouseMoveEvent(QMouseEvent* e) override
    {
        QueuePointerMove(PointerAt(e->position(), e->globalPosition(), e->buttons() == Qt::NoButton), win->hwnd);
    }

    void wheelEvent(QWheelEvent* e) override
    {
        int delta = e->angleDelta().y();
        if (delta == 0) delta = e->angleDelta().x();
        win->wheelSum += delta;
        const POINT pt = PointerAt(e->position(), e->globalPosition(), e->buttons() == Qt::NoButton);
        bool moved = false;
        while (win->wheelSum >= 120 || win->wheelSum <= -120) {
            int step = win->wheelSum > 0 ? 120 : -120;
            win->wheelSum -= step;
            if (!moved) {
                QueuePointerMove(pt, win->hwnd);
                moved = true;
            }
            RawInput in;
            in.kind = RawKind::Wheel;
            in.wheel = step;
            in.pt = pt;
            in.top = win->hwnd;
            QueueInput(std::move(in));
        }
    }

    void keyPressEvent(QKeyEvent* e) override { Key(e, true); }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        // Auto-repeat comes as release-press pairs: only the presses count
        // (the window manager marks a press of a key that is down as a repeat).
        if (e->isAutoRepeat()) return;
        Key(e, false);
    }

    void focusInEvent(QFocusEvent*) override
    {
        // Keys released while another application's window (a native
        // dialog) had the focus never came here: take the real state.
        BackendEvent e;
        e.kind = BackendEventKind::Activate;
        e.hwnd = win->hwnd;
        e.keysKnown = true;
        e.keysDown = KeysDownNow();
        FollowServerPlace();
        ReportBackendEvent(std::move(e));
    }

    void moveEvent(QMoveEvent*) override { GeometryFromDesktop(); }
    void resizeEvent(QResizeEvent*) override { GeometryFromDesktop(); }

    bool event(QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::Expose:
            KeepContentsInServer();
            return QRasterWindow::event(e);
        case QEvent::Close:
            // The close button asks; a disabled window (under its modal dialog) ignores it.
            e->ignore();
            if (win->placement.enabled) Report(BackendEventKind::Close, win->hwnd);
            return true;
        case QEvent::InputMethodQuery: {
            auto* q = static_cast<QInputMethodQueryEvent*>(e);
            q->setValue(Qt::ImEnabled, true);
            QRect r = win->hasCaret ? QRect(win->caret.left, win->caret.top, win->caret.right - win->caret.left,
                                            win->caret.bottom - win->caret.top)
                                    : QRect(0, 0, 1, 1);
            q->setValue(Qt::ImCursorRectangle, r);
            q->setValue(Qt::ImAnchorRectangle, r);
            q->setValue(Qt::ImHints, (int)Qt::ImhNone);
            q->accept();
            return true;
        }
        case QEvent::InputMethod: {
            auto* m = static_cast<QInputMethodEvent*>(e);
            CommitText(m->commitString());
            m->accept();
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* d = static_cast<QDropEvent*>(e);
            if (LocalFiles(d->mimeData()).empty()) d->ignore();
            else d->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* d = static_cast<QDropEvent*>(e);
            std::vector<std::string> files = LocalFiles(d->mimeData());
            if (files.empty()) {
                d->ignore();
                return true;
            }
            RawInput in;
            in.kind = RawKind::Drop;
            in.pt = GlobalOf(mapToGlobal(d->position()));
            in.files = std::move(files);
            in.top = win->hwnd;
            QueueInput(std::move(in));
            d->acceptProposedAction();
            return true;
        }
        case QEvent::UngrabMouse:
            // The desktop took the pointer (another grab): the capture goes.
            if (g_grab == win->hwnd) {
                g_grab = nullptr;
                Report(BackendEventKind::CaptureLost, win->hwnd);
            }
            return QRasterWindow::event(e);
        default: return QRasterWindow::event(e);
        }
    }

public:
    void CommitText(const QString& text)
    {
        for (char32_t c : text.toUcs4()) {
            RawInput down;
            down.kind = RawKind::KeyDown;
            down.vk = 0xE5;   // a key that only carries text
            down.text = std::u32string(1, c);
            QueueInput(std::move(down));
            RawInput up;
            up.kind = RawKind::KeyUp;
            up.vk = 0xE5;
            QueueInput(std::move(up));
        }
    }

    static std::vector<std::string> LocalFiles(const QMimeData* md)
    {
        std::vector<std::string> out;
        if (!md || !md->hasUrls()) return out;
        for (const QUrl& u : md->urls())
            if (u.isLocalFile()) out.push_back(u.toLocalFile().toStdString());
        return out;
    }

private:
    // Without a compositor, what a window uncovers shows the old pixels until
    // its owner answers the expose: an X server that keeps contents
    // (backing store) shows the window's own image at once instead.
    void KeepContentsInServer()
    {
        // The platform may make a new native window (a change of type): each gets it.
        if (!handle() || winId() == kept) return;
        kept = winId();
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11 ? x11->connection() : nullptr;
        if (!c) return;
        const uint32_t always = XCB_BACKING_STORE_ALWAYS;
        xcb_change_window_attributes(c, (xcb_window_t)winId(), XCB_CW_BACKING_STORE, &always);
        xcb_flush(c);
    }

    void Button(QMouseEvent* e, bool down)
    {
        UINT vk = ButtonOf(e->button());
        if (!vk) return;
        POINT pt = PointerAt(e->position(), e->globalPosition(), down && e->buttons() == e->button());
        QueuePointerMove(pt, win->hwnd);
        RawInput in;
        in.kind = down ? RawKind::ButtonDown : RawKind::ButtonUp;
        in.vk = vk;
        in.pt = pt;
        in.top = win->hwnd;
        QueueInput(std::move(in));
    }

    void Key(QKeyEvent* e, bool down)
    {
        UINT vk = VirtualKeyOf(e->key(), e->modifiers(), e->nativeVirtualKey());
        if (!vk) return;
        RawInput in;
        in.kind = down ? RawKind::KeyDown : RawKind::KeyUp;
        in.vk = vk;
        in.extended = IsExtendedKey(e->key(), e->modifiers());
        if (down) in.text = KeyText(vk, e->text(), e->modifiers());
        Report(BackendEventKind::Input, win->hwnd, std::move(in));   // the window the desktop gave the key
    }

    // The pointer's point as the program sees this window. The event holds
    // the point in root and in window coordinates, so where the window really
    // is: when the desktop moved it without a word the program hears of it,
    // and until then the point is taken relative to the window (a click
    // lands on what the user sees). Not while a button is held: a window
    // that the drag itself moves lags behind the program's request.
    POINT PointerAt(const QPointF& local, const QPointF& global, bool free)
    {
        POINT pt = GlobalOf(global);
        if (!free || !win->placed || !isVisible()) return pt;
        const POINT in = GlobalOf(local);
        const POINT origin{pt.x - in.x, pt.y - in.y};
        FollowPlace(origin);
        return POINT{win->model.left + in.x, win->model.top + in.y};
    }

public:
    // The window's top left corner on the screen is `origin`: a place the
    // program does not know is reported as the desktop's move.
    void FollowPlace(POINT origin)
    {
        RECT& p = win->placement.rect;
        if (!win->requested.empty() || (origin.x == p.left && origin.y == p.top)) return;
        OffsetRect(&p, origin.x - p.left, origin.y - p.top);
        win->reported = p;
        win->hasReported = true;
        Report(BackendEventKind::Move, win->hwnd, RawInput{}, p);
    }

    // Where the X server has the window's top left corner now, in our pixels.
    bool ServerOrigin(POINT* origin)
    {
        xcb_connection_t* c = XConnection();
        if (!c || !handle() || !g_root) return false;
        xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, (xcb_window_t)winId(), g_root, 0, 0), nullptr);
        if (!t) return false;
        const qreal scale = devicePixelRatio() > 0 ? devicePixelRatio() : 1.0;
        *origin = POINT{(LONG)qRound(t->dst_x / scale), (LONG)qRound(t->dst_y / scale)};
        free(t);
        return true;
    }

    // The window's size on the X server now, in our pixels (empty when unknown).
    QSize ServerSize()
    {
        xcb_connection_t* c = XConnection();
        if (!c || !handle()) return QSize();
        xcb_get_geometry_reply_t* r = xcb_get_geometry_reply(c, xcb_get_geometry(c, (xcb_window_t)winId()), nullptr);
        if (!r) return QSize();
        const qreal scale = devicePixelRatio() > 0 ? devicePixelRatio() : 1.0;
        const QSize size(qRound(r->width / scale), qRound(r->height / scale));
        free(r);
        return size;
    }

    // Asks the X server where the window is (no event may have told).
    void FollowServerPlace()
    {
        POINT origin;
        if (!win->placed || !isVisible() || !ServerOrigin(&origin)) return;
        FollowPlace(origin);
    }

private:
    void GeometryFromDesktop()
    {
        if (syncing || !win->placed || !isVisible()) return;
        QRect g = geometry();
        RECT r{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
        const RECT& p = win->placement.rect;
        if (r.left == p.left && r.top == p.top && r.right == p.right && r.bottom == p.bottom) return;
        auto& asked = win->requested;
        auto& confirmed = win->confirmed;
        for (auto it = asked.begin(); it != asked.end(); ++it)
            if (*it == g) {
                confirmed.insert(confirmed.end(), asked.begin(), it + 1);
                while (confirmed.size() > 32) confirmed.pop_front();
                asked.erase(asked.begin(), it + 1);
                return;
            }
        for (const QRect& c : confirmed)
            if (c == g) return;
        // A busy desktop may confirm a place late, after our later requests
        // (the place it gave a new window, say): when the server already has
        // the window where and as large as we asked, the event is stale, not
        // a move.
        POINT now;
        if (!asked.empty() && ServerOrigin(&now)) {
            const QRect server(QPoint(now.x, now.y), ServerSize());
            for (const QRect& a : asked)
                if (a == server) return;
            for (const QRect& c : confirmed)
                if (c == server) return;
        }
        // The desktop went its own way: what we asked before is no longer
        // pending, and seeing one of those places again is its move too
        // (a manager that frames a window may show it at the origin first).
        asked.clear();
        confirmed.clear();
        win->placement.rect = r;
        win->reported = r;
        win->hasReported = true;
        Report(BackendEventKind::Move, win->hwnd, RawInput{}, r);
    }
};

// ---- Applying our requests (display thread) ----

Qt::WindowFlags FlagsOf(const CWindowPlacement& p)
{
    const bool caption = (p.style & WS_CAPTION) == WS_CAPTION;
    const bool popup = (p.style & WS_POPUP) != 0;
    const bool tool = (p.exStyle & WS_EX_TOOLWINDOW) != 0;
    Qt::WindowFlags f;
    if (caption && !popup && !tool) {
        f = p.owner ? Qt::Dialog : Qt::Window;
        f |= Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        if (p.style & WS_MINIMIZEBOX) f |= Qt::WindowMinimizeButtonHint;
        if (p.style & WS_MAXIMIZEBOX) f |= Qt::WindowMaximizeButtonHint;
    } else if (caption && !tool) {
        // Dialogs draw their own caption: frameless, yet dialogs to the
        // window manager, which gives them the focus as they map and when
        // their owner is activated (a manager may never focus a utility
        // window that has an owner of its kind).
        f = (p.owner ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint;
    } else if (caption) {
        // Floating frames and captioned tool windows: frameless tools drawn
        // by us, kept above their owner by the window manager.
        f = Qt::Tool | Qt::FramelessWindowHint;
    } else {
        // Menus, tips, lists, drag images: unmanaged (override-redirect), so
        // the window manager neither frames, lists nor focuses them; never
        // Qt's popup type, which would grab and close by itself.
        f = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint;
    }
    if (p.exStyle & WS_EX_TOPMOST) f |= Qt::WindowStaysOnTopHint;
    if (p.exStyle & WS_EX_TRANSPARENT) f |= Qt::WindowTransparentForInput;
    if (p.exStyle & WS_EX_NOACTIVATE) f |= Qt::WindowDoesNotAcceptFocus;
    return f;
}

// An owned dialog is no task of its own: task bars and pagers list its owner
// only (as they did when it was a utility window). Written before it maps;
// the platform keeps states it did not set itself.
void KeepOffTaskBar(SurfaceWindow* q)
{
    xcb_connection_t* c = XConnection();
    if (!c || !q->handle()) return;
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
        const xcb_atom_t out = a ? a->atom : (xcb_atom_t)XCB_ATOM_NONE;
        free(a);
        return out;
    };
    const xcb_atom_t state = atom("_NET_WM_STATE");
    const xcb_atom_t skips[] = {atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER")};
    const xcb_window_t id = (xcb_window_t)q->winId();
    std::vector<xcb_atom_t> states;
    if (xcb_get_property_reply_t* r =
            xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr)) {
        if (r->format == 32 && r->type == XCB_ATOM_ATOM) {
            const auto* v = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
            states.assign(v, v + xcb_get_property_value_length(r) / 4);
        }
        free(r);
    }
    for (xcb_atom_t a : skips)
        if (a != XCB_ATOM_NONE && std::find(states.begin(), states.end(), a) == states.end()) states.push_back(a);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, (uint32_t)states.size(), states.data());
    xcb_flush(c);
}

void ApplyPlacement(const std::shared_ptr<Win>& w, const CWindowPlacement& p)
{
    SurfaceWindow* q = w->window;
    if (!q) return;
    q->syncing = true;
    Qt::WindowFlags flags = FlagsOf(p);
    if (q->flags() != flags) q->setFlags(flags);
    if (p.owner != w->placement.owner || !w->placed) {
        std::shared_ptr<Win> o = p.owner ? FindWin(p.owner) : nullptr;
        // The platform names the transient parent when the window maps, and
        // only one that has a native window: without one, a floating bar
        // shown before its frame would be transient for nothing of ours.
        if (o && o->window && !o->window->handle()) o->window->create();
        q->setTransientParent(o && o->window ? o->window : nullptr);
    }
    if (p.title != w->placement.title || !w->placed) q->setTitle(QString::fromUtf8(p.title.c_str()));
    QRect g(p.rect.left, p.rect.top, std::max(1, (int)(p.rect.right - p.rect.left)),
            std::max(1, (int)(p.rect.bottom - p.rect.top)));
    if (p.minSize.cx > 0) q->setMinimumSize(QSize(p.minSize.cx, p.minSize.cy));
    else q->setMinimumSize(QSize(0, 0));
    if (p.maxSize.cx > 0) q->setMaximumSize(QSize(p.maxSize.cx, p.maxSize.cy));
    else q->setMaximumSize(QSize((1 << 24) - 1, (1 << 24) - 1));
    w->model = p.rect;
    // Our answer to a move the desktop reported is no request: by now the
    // desktop may be somewhere else already.
    const RECT desktopRect = w->placement.rect;
    if (!(p.fromDesktop && w->placed) && q->geometry() != g) {
        w->requested.push_back(g);
        if (w->requested.size() > 32) w->requested.pop_front();
        q->setGeometry(g);
    }
    w->placement = p;
    if (p.fromDesktop && w->placed) {
        w->placement.rect = desktopRect;
        // The window took a place we reported before a later request of ours
        // (the desktop's first place of a new frame, say): it would keep
        // that older place and send it back with its next change.
        const RECT& r = p.rect;
        const RECT& told = w->reported;
        const bool older = w->hasReported && r.left == told.left && r.top == told.top && r.right == told.right &&
                           r.bottom == told.bottom;
        const bool differs = r.left != desktopRect.left || r.top != desktopRect.top || r.right != desktopRect.right ||
                             r.bottom != desktopRect.bottom;
        if (older && differs) {
            w->reported = desktopRect;
            Report(BackendEventKind::Move, w->hwnd, RawInput{}, desktopRect);
        }
    }
    w->placed = true;
    if (p.visible && !q->isVisible()) {
        if (QWindow* tp = q->transientParent(); tp && !tp->handle()) tp->create();
        q->setCursor(CursorOf(g_cursor));
        if ((flags & Qt::WindowType_Mask) == Qt::Dialog) {
            q->create();
            KeepOffTaskBar(q);
        }
        q->show();
        if (!(flags & Qt::WindowDoesNotAcceptFocus) && !(flags & Qt::ToolTip)) q->requestActivate();
        ScheduleStackingSync();
    } else if (!p.visible && q->isVisible()) {
        q->hide();
        ScheduleStackingSync();
    }
    q->syncing = false;
}

// ---- The keyboard focus ----

// Our window that the X server gives the keys to now (none: another
// application's, or nobody's).
std::shared_ptr<Win> FocusHolder(xcb_connection_t* c)
{
    xcb_get_input_focus_reply_t* f = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    if (!f) return nullptr;
    const xcb_window_t focus = f->focus;
    free(f);
    if (focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT) return nullptr;
    std::lock_guard<std::mutex> g(g_winLock);
    for (auto& [h, w] : g_wins)
        if (w->window && w->window->handle() && (xcb_window_t)w->window->winId() == focus) return w;
    return nullptr;
}

void WantsKeysOnDisplay(const std::shared_ptr<Win>& w)
{
    SurfaceWindow* q = w->window;
    xcb_connection_t* c = XConnection();
    if (!q || !q->isVisible() || !c) return;
    std::shared_ptr<Win> holder = FocusHolder(c);
    if (holder == w) return;
    if (!holder) {
        // Another application's: above it, and the task bar asks for a look.
        RaiseOnDesktop(*w, true);
        q->alert(0);
        return;
    }
    // The user is in one of our dialogs: the keys stay there.
    if (holder->placement.owner || !holder->placement.enabled) return;
    // The manager's own activation (_NET_ACTIVE_WINDOW with our latest
    // timestamp, the window's user time) raises it and marks it active; a
    // manager's focus-stealing rules may still refuse it after a run started
    // from another of our windows.
    q->requestActivate();
    // The focus is ours to pass on among our own windows, so the server
    // moves it at once on any manager; an unmapped window gets it as it maps.
    const xcb_window_t id = (xcb_window_t)q->winId();
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    free(a);
    if (viewable) xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, id, XCB_CURRENT_TIME);
    xcb_flush(c);
}

// ---- Clipboard ----

// What we offer: bytes taken at the change; a metafile is rendered when asked.
class OfferedData : public QMimeData {
public:
    std::map<QString, QByteArray> blocks;
    HENHMETAFILE metafile = nullptr;
    ~OfferedData() override
    {
        if (metafile) DeleteEnhMetaFile(metafile);
    }
    bool hasFormat(const QString& mime) const override { return formats().contains(mime); }
    QStringList formats() const override
    {
        QStringList out;
        for (const auto& b : blocks) out << b.first;
        if (blocks.count("text/plain;charset=utf-8")) out << "text/plain";
        if (metafile) out << "image/svg+xml" << "image/png";
        return out;
    }

protected:
    QVariant retrieveData(const QString& mime, QMetaType) const override
    {
        auto it = blocks.find(mime);
        if (it != blocks.end()) return it->second;
        if (mime == "text/plain") {
            auto t = blocks.find("text/plain;charset=utf-8");
            if (t != blocks.end()) return QString::fromUtf8(t->second);
        }
        if (metafile && (mime == "image/svg+xml" || mime == "image/png")) {
            std::string bytes;
            if (mime == "image/svg+xml" ? GetEnhMetaFileSvg(metafile, &bytes) : GetEnhMetaFilePng(metafile, &bytes))
                return QByteArray(bytes.data(), (qsizetype)bytes.size());
        }
        return QVariant();
    }
};

std::mutex g_foreignLock;
std::vector<std::string> g_foreignTypes;
bool g_offering = false;   // display thread: our own setMimeData is under way

// Runs on the thread that closed the clipboard: snapshot, then offer.
void OfferClipboard()
{
    auto* data = new OfferedData;
    if (OpenClipboard(nullptr)) {
        for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) {
            std::string mime = ClipboardMimeOf(f);
            if (mime.empty()) continue;
            if (f == CF_ENHMETAFILE) {
                HENHMETAFILE emf = (HENHMETAFILE)GetClipboardData(f);
                if (emf) data->metafile = CopyEnhMetaFile(emf, nullptr);
                continue;
            }
            std::vector<unsigned char> bytes = ClipboardBytes(f);
            if (f == CF_TEXT) {
                size_t n = 0;
                while (n < bytes.size() && bytes[n]) n++;
                CShownText shown = ShowBytes((const char*)bytes.data(), n);
                data->blocks[QString::fromStdString(mime)] = QByteArray::fromStdString(shown.utf8);
            } else {
                data->blocks[QString::fromStdString(mime)] = QByteArray((const char*)bytes.data(), (qsizetype)bytes.size());
            }
        }
        CloseClipboard();
    }
    PostToDisplay([data] {
        g_offering = true;
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        g_offering = false;
    });
}

void ClipboardChangedOnDisplay()
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (g_offering || cb->ownsClipboard()) return;
    std::vector<std::string> types;
    if (const QMimeData* md = cb->mimeData(QClipboard::Clipboard))
        for (const QString& t : md->formats()) types.push_back(t.toStdString());
    {
        std::lock_guard<std::mutex> g(g_foreignLock);
        g_foreignTypes = types;
    }
    ClipboardTakenByOtherApplication();
}

// ---- The desktop's stacking ----
// The X server's stacking order is the one truth: every change it reports
// among the root window's children is mirrored into our top-level order.

bool g_stackingPending = false;
std::vector<HWND> g_lastOrder;
// How often each wrong order was mended: a few tries each, since the manager
// may raise the owner again after our raise (an activation that comes late
// under load) and give back an order already tried.
std::map<std::vector<HWND>, int> g_fixTries;

xcb_connection_t* XConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The root window's child that holds `w` (itself, or the manager's frame).
xcb_window_t RootChildOf(xcb_connection_t* c, xcb_window_t w)
{
    for (int depth = 0; w && depth < 16; depth++) {
        xcb_query_tree_reply_t* t = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
        if (!t) return 0;
        const xcb_window_t parent = t->parent, root = t->root;
        free(t);
        if (parent == root || parent == 0) return w;
        w = parent;
    }
    return 0;
}

void SyncStacking()
{
    g_stackingPending = false;
    xcb_connection_t* c = XConnection();
    if (!c || !g_root) return;
    std::vector<std::shared_ptr<Win>> wins;
    {
        std::lock_guard<std::mutex> g(g_winLock);
        for (auto& [h, w] : g_wins)
            if (w->window && w->window->handle() && w->window->isVisible()) wins.push_back(w);
    }
    std::map<xcb_window_t, std::vector<std::shared_ptr<Win>>> byFrame;
    for (auto& w : wins) {
        if (!w->frame) w->frame = RootChildOf(c, (xcb_window_t)w->window->winId());
        if (w->frame) byFrame[w->frame].push_back(w);
    }
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, g_root), nullptr);
    if (!tree) return;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const int n = xcb_query_tree_children_length(tree);
    std::vector<HWND> order;
    std::vector<std::shared_ptr<Win>> stacked;
    for (int i = n - 1; i >= 0; --i) {   // the reply lists bottom to top
        auto it = byFrame.find(children[i]);
        if (it == byFrame.end()) continue;
        for (auto& w : it->second) {
            order.push_back(w->hwnd);
            stacked.push_back(w);
        }
    }
    free(tree);
    // What stays above what, whatever the manager did: unmanaged topmost
    // popups above every framed window; owned windows above their owner (a
    // floating bar shown before its frame maps ends up below it). Tried a
    // few times per order, so a manager that will not has the last word.
    std::vector<std::shared_ptr<Win>> sunk;
    bool managedAbove = false;
    for (size_t i = 0; i < stacked.size(); i++) {
        const auto& w = stacked[i];
        const bool unmanaged = (w->window->flags() & Qt::BypassWindowManagerHint) != 0;
        if (!unmanaged) managedAbove = true;
        else if (managedAbove && (w->placement.exStyle & WS_EX_TOPMOST)) sunk.push_back(w);
        if (w->placement.owner && !unmanaged)
            for (size_t k = 0; k < i; k++)
                if (stacked[k]->hwnd == w->placement.owner) {
                    sunk.push_back(w);
                    break;
                }
    }
    if (!sunk.empty() && g_fixTries[order] < 3) {
        if (g_fixTries.size() > 64) g_fixTries.clear();
        g_fixTries[order]++;
        // Bottom first, so that an owned window's own owned ones end on top.
        for (auto it = sunk.rbegin(); it != sunk.rend(); ++it) RaiseOnDesktop(**it, true);
        return;   // the raises report the order anew
    }
    if (order == g_lastOrder) return;
    g_lastOrder = order;
    BackendEvent e;
    e.kind = BackendEventKind::Stacking;
    e.order = std::move(order);
    ReportBackendEvent(std::move(e));
}

// Puts a window above the others: an unmanaged one itself, a managed one
// asked of the window manager as a pager asks (honoured without the rules
// against focus stealing). One already on top of ours is left alone unless
// `always`.
void RaiseOnDesktop(Win& w, bool always)
{
    if (!w.window) return;
    if (!always && !g_lastOrder.empty() && g_lastOrder.front() == w.hwnd) return;
    xcb_connection_t* c = XConnection();
    if (!c || !g_root || (w.window->flags() & Qt::BypassWindowManagerHint)) {
        w.window->raise();
        return;
    }
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen("_NET_RESTACK_WINDOW"), "_NET_RESTACK_WINDOW"), nullptr);
    if (!a) return;
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = (xcb_window_t)w.window->winId();
    m.type = a->atom;
    m.data.data32[0] = 2;   // as a pager asks: honoured without focus-stealing rules
    m.data.data32[1] = 0;   // no sibling
    m.data.data32[2] = XCB_STACK_MODE_ABOVE;
    free(a);
    // For the manager only: we watch the root's substructure ourselves.
    xcb_send_event(c, 0, g_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT, reinterpret_cast<const char*>(&m));
    xcb_flush(c);
}

void ScheduleStackingSync()
{
    if (g_stackingPending || !g_running) return;
    g_stackingPending = true;
    QTimer::singleShot(0, qApp, [] { SyncStacking(); });
}

class StackingWatch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t" || !message) return false;
        auto* ev = static_cast<xcb_generic_event_t*>(message);
        switch (ev->response_type & ~0x80) {
        case XCB_CONFIGURE_NOTIFY:
            if (reinterpret_cast<xcb_configure_notify_event_t*>(ev)->event == g_root) ScheduleStackingSync();
            break;
        case XCB_MAP_NOTIFY:
            if (reinterpret_cast<xcb_map_notify_event_t*>(ev)->event == g_root) ScheduleStackingSync();
            break;
        case XCB_UNMAP_NOTIFY:
            if (reinterpret_cast<xcb_unmap_notify_event_t*>(ev)->event == g_root) ScheduleStackingSync();
            break;
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->event == g_root) ScheduleStackingSync();
            break;
        case XCB_CIRCULATE_NOTIFY: ScheduleStackingSync(); break;
        case XCB_REPARENT_NOTIFY: {
            // A window manager framed one of ours, or let it go: look again.
            std::lock_guard<std::mutex> g(g_winLock);
            for (auto& [h, w] : g_wins) w->frame = 0;
            ScheduleStackingSync();
            break;
        }
        default: break;
        }
        return false;
    }
};

StackingWatch* g_stackingWatch = nullptr;

void WatchStacking()
{
    xcb_connection_t* c = XConnection();
    if (!c) return;
    g_root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Added to what the platform already selects on the root window.
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    if (xcb_get_window_attributes_reply_t* a =
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, g_root), nullptr)) {
        mask |= a->your_event_mask;
        free(a);
    }
    xcb_change_window_attributes(c, g_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    g_stackingWatch = new StackingWatch;
    qApp->installNativeEventFilter(g_stackingWatch);
}

// ---- The back end ----

class CQtBackend : public CBackend {
public:
    const char* Name() const override { return "qt"; }
    SIZE ScreenSize() const override { return SIZE{screenW.load(), screenH.load()}; }

    void SurfaceCreated(HWND hwnd, const std::shared_ptr<CSurface>& surface) override
    {
        auto w = std::make_shared<Win>();
        w->hwnd = hwnd;
        {
            std::lock_guard<std::mutex> g(surface->lock);
            w->width = surface->width;
            w->height = surface->height;
            w->front = surface->pixels;
            surface->dirty.clear();
        }
        {
            std::lock_guard<std::mutex> g(g_winLock);
            g_wins[hwnd] = w;
        }
        PostToDisplay([w] {
            if (w->window) return;
            w->window = new SurfaceWindow(w);
        });
    }

    void SurfaceDestroyed(HWND hwnd) override
    {
        std::shared_ptr<Win> w;
        {
            std::lock_guard<std::mutex> g(g_winLock);
            auto it = g_wins.find(hwnd);
            if (it == g_wins.end()) return;
            w = it->second;
            g_wins.erase(it);
        }
        PostToDisplay([w] {
            if (g_grab == w->hwnd) g_grab = nullptr;
            delete w->window;
            w->window = nullptr;
        });
    }

    // The flush: dirty rectangles go into the front image, then one update.
    void SurfaceChanged(HWND hwnd, const RECT&) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        std::shared_ptr<CSurface> s = FindSurface(hwnd);
        if (!w || !s) return;
        std::vector<RECT> rects;
        {
            std::lock_guard<std::mutex> g(s->lock);
            rects.swap(s->dirty);
            std::lock_guard<std::mutex> f(w->lock);
            if (w->width != s->width || w->height != s->height) {
                w->width = s->width;
                w->height = s->height;
                w->front = s->pixels;
                rects.assign(1, RECT{0, 0, s->width, s->height});
            } else {
                for (const RECT& r : rects)
                    for (LONG y = r.top; y < r.bottom; y++)
                        std::copy_n(&s->pixels[(size_t)y * s->width + r.left], r.right - r.left,
                                    &w->front[(size_t)y * w->width + r.left]);
            }
        }
        if (rects.empty()) return;
        PostToDisplay([w, rects] {
            if (!w->window) return;
            for (const RECT& r : rects) w->window->update(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top));
        });
    }

    void WindowChanged(HWND hwnd, const CWindowPlacement& p) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        if (!w) return;
        PostToDisplay([w, p] { ApplyPlacement(w, p); });
    }

    void WindowIconChanged(HWND hwnd, SIZE size, const std::vector<uint32_t>& argb) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        if (!w || size.cx <= 0 || size.cy <= 0) return;
        QImage image(size.cx, size.cy, QImage::Format_ARGB32);
        for (int y = 0; y < size.cy; y++)
            std::copy_n(&argb[(size_t)y * size.cx], size.cx, reinterpret_cast<uint32_t*>(image.scanLine(y)));
        // Qt gives the window manager the icon as _NET_WM_ICON.
        PostToDisplay([w, image] {
            if (w->window) w->window->setIcon(QIcon(QPixmap::fromImage(image)));
        });
    }

    void WindowRaised(HWND hwnd) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        if (!w) return;
        PostToDisplay([w] {
            // Not before it maps: mapping puts it on top anyway.
            if (w->window && w->window->isVisible() && w->window->isExposed()) RaiseOnDesktop(*w);
        });
    }

    void FocusOnDesktop(HWND hwnd) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        if (!w) return;
        PostToDisplay([w] {
            if (w->window && w->window->isVisible()) w->window->requestActivate();
        });
    }

    void WantsKeys(HWND hwnd) override
    {
        std::shared_ptr<Win> w = FindWin(hwnd);
        if (!w) return;
        PostToDisplay([w] { WantsKeysOnDisplay(w); });
    }

    void CursorChanged(const CCursorShape& shape) override
    {
        PostToDisplay([shape] {
            g_cursor = shape;
            QCursor c = CursorOf(shape);
            std::lock_guard<std::mutex> g(g_winLock);
            for (auto& [h, w] : g_wins)
                if (w->window) w->window->setCursor(c);
        });
    }

    void GrabChanged(HWND top) override
    {
        std::shared_ptr<Win> w = top ? FindWin(top) : nullptr;
        PostToDisplay([w, top] {
            if (g_grab && g_grab != top)
                if (std::shared_ptr<Win> old = FindWin(g_grab); old && old->window) old->window->setMouseGrabEnabled(false);
            g_grab = nullptr;
            if (w && w->window && w->window->isVisible() && w->window->setMouseGrabEnabled(true)) g_grab = top;
        });
    }

    void CaretChanged(HWND top, const RECT& rect) override
    {
        std::shared_ptr<Win> w = FindWin(top);
        if (!w) return;
        PostToDisplay([w, rect] {
            w->caret = rect;
            w->hasCaret = true;
            if (w->window && QGuiApplication::focusWindow() == w->window)
                QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
        });
    }

    std::vector<std::string> ForeignClipboardTypes() override
    {
        std::lock_guard<std::mutex> g(g_foreignLock);
        return g_foreignTypes;
    }

    bool ForeignClipboardData(const std::string& mime, std::vector<unsigned char>* bytes) override
    {
        auto result = std::make_shared<std::pair<bool, QByteArray>>(false, QByteArray());
        // A hung owner must not freeze the caller: bounded, then no data.
        bool done = RunOnDisplayAndWait(
            [result, mime] {
                const QMimeData* md = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
                if (!md) return;
                QString m = QString::fromStdString(mime);
                if (m.startsWith("text/plain")) {
                    if (!md->hasText()) return;
                    result->second = md->text().toUtf8();
                    result->first = true;
                } else if (md->hasFormat(m)) {
                    result->second = md->data(m);
                    result->first = true;
                }
            },
            3000);
        if (!done || !result->first) return false;
        bytes->assign(result->second.begin(), result->second.end());
        return true;
    }

    bool DesktopFocusIsOurs() const override { return focusOurs.load(); }

    bool HasNativeDialogs() const override { return true; }
    int RunNativeDialog(CNativeDialog& d) override { return RunQtDialog(d); }

    std::atomic<LONG> screenW{1920}, screenH{1080};
    std::atomic<bool> focusOurs{false};
};

CQtBackend* g_backend = nullptr;

void FollowScreen()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s || !g_backend) return;
    QRect g = s->geometry(), a = s->availableGeometry();
    g_backend->screenW = g.width();
    g_backend->screenH = g.height();
    SetSystemMetric(SM_CXSCREEN, g.width());
    SetSystemMetric(SM_CYSCREEN, g.height());
    RECT work{a.x(), a.y(), a.x() + a.width(), a.y() + a.height()};
    SystemParametersInfo(SPI_SETWORKAREA, 0, &work, 0);
}

}  // namespace

// ---- Keys ----

UINT VirtualKeyOf(int key, Qt::KeyboardModifiers mods, quint32)
{
    const bool keypad = (mods & Qt::KeypadModifier) != 0;
    if (keypad) {
        // Digits under NumLock; navigation keys without it come as themselves.
        if (key >= Qt::Key_0 && key <= Qt::Key_9) return VK_NUMPAD0 + (UINT)(key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period:
        case Qt::Key_Comma: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return (UINT)key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return (UINT)key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (UINT)(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;   // Backtab is Shift+Tab; Shift is down on its own
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_AltGr: return 0;   // not Alt: its text arrives with the key it modifies
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    case Qt::Key_Space: return VK_SPACE;
    // A US layout's punctuation keys, shifted or not.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Period:
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Slash:
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: break;
    }
    // Other characters (dead keys composed, other layouts): a key carrying text.
    return key > 0 && key < 0x01000000 ? 0xE5 : 0;
}

bool IsExtendedKey(int key, Qt::KeyboardModifiers mods)
{
    const bool keypad = (mods & Qt::KeypadModifier) != 0;
    switch (key) {
    case Qt::Key_Enter: return true;
    case Qt::Key_Slash: return keypad;
    case Qt::Key_Insert:
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: return !keypad;
    case Qt::Key_NumLock:
    case Qt::Key_Menu:
    case Qt::Key_Meta: return true;
    default: return false;
    }
}

std::u32string KeyText(UINT vk, const QString& text, Qt::KeyboardModifiers mods)
{
    // Delete types nothing; Ctrl+letters and the control keys make their
    // characters in TranslateMessage from the key itself.
    if (vk == VK_DELETE || text.isEmpty()) return {};
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier)) return {};
    std::u32string out;
    for (char32_t c : text.toUcs4())
        if (c >= 0x20 && c != 0x7F) out.push_back(c);
    return out;
}

// ---- Requests ----

bool OnDisplayThread() { return g_displayThread && QThread::currentThreadId() == g_displayThread; }

std::mutex g_dispatcherLock;   // the dispatcher's life against late posts

bool PostToDisplay(std::function<void()> work)
{
    std::lock_guard<std::mutex> life(g_dispatcherLock);
    Dispatcher* d = g_dispatcher;
    if (!d) return false;
    bool post;
    {
        std::lock_guard<std::mutex> g(d->lock);
        d->queue.push_back(std::move(work));
        post = !d->posted;
        d->posted = true;
    }
    if (post) QCoreApplication::postEvent(d, new QEvent(QEvent::User));
    return true;
}

bool RunOnDisplayAndWait(std::function<void()> work, unsigned milliseconds)
{
    if (OnDisplayThread()) {
        work();
        return true;
    }
    // Shared with the display thread: a wait that gave up leaves it behind.
    auto finished = std::make_shared<std::atomic<bool>>(false);
    if (!PostToDisplay([work = std::move(work), finished] {
            work();
            finished->store(true);
        }))
        return false;
    DWORD start = GetTickCount();
    while (!finished->load()) {
        DWORD slice = 10;
        if (milliseconds != 0xFFFFFFFFu) {
            DWORD spent = GetTickCount() - start;
            if (spent >= milliseconds) return false;
            slice = std::min<DWORD>(slice, milliseconds - spent);
        }
        // Serve what other threads send meanwhile; nothing posted is taken.
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG m;
            PeekMessage(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    return true;
}

std::unique_ptr<CBackend> MakeQtBackend()
{
    auto b = std::make_unique<CQtBackend>();
    g_backend = b.get();
    return b;
}

void StartQtDisplay()
{
    g_displayThread = QThread::currentThreadId();
    g_dispatcher = new Dispatcher;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    FollowScreen();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        QObject::connect(s, &QScreen::geometryChanged, [] { FollowScreen(); });
        QObject::connect(s, &QScreen::availableGeometryChanged, [] { FollowScreen(); });
    }
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, [] { ClipboardChangedOnDisplay(); });
    // Another application activated while we hold the pointer: the grab is
    // gone, and so is the capture (a drag would otherwise keep it forever).
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState state) {
        if (g_backend) g_backend->focusOurs = state == Qt::ApplicationActive;
        if (state == Qt::ApplicationActive || !g_grab) return;
        HWND lost = g_grab;
        g_grab = nullptr;
        if (std::shared_ptr<Win> w = FindWin(lost); w && w->window) w->window->setMouseGrabEnabled(false);
        Report(BackendEventKind::CaptureLost, lost);
    });
    SetClipboardChangedHook([] { OfferClipboard(); });
    SetDesktopDrawsFrames(true);
    g_running = true;
    WatchStacking();
}

void StopQtDisplay()
{
    g_running = false;
    if (g_stackingWatch) {
        qApp->removeNativeEventFilter(g_stackingWatch);
        delete g_stackingWatch;
        g_stackingWatch = nullptr;
    }
    SetClipboardChangedHook(nullptr);
    {
        std::lock_guard<std::mutex> g(g_winLock);
        for (auto& [h, w] : g_wins) {
            delete w->window;
            w->window = nullptr;
        }
        g_wins.clear();
    }
    std::lock_guard<std::mutex> life(g_dispatcherLock);
    delete g_dispatcher;
    g_dispatcher = nullptr;
    g_backend = nullptr;
}

std::shared_ptr<void> QtFindWindow(HWND hwnd, QWindow** window)
{
    std::shared_ptr<Win> w = FindWin(hwnd);
    *window = w ? w->window : nullptr;
    return w;
}
