// Window classes, the window table and window lifetime.
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/window_dc.h"
#include "platform/user/input_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/port/backend.h"
#include "platform/user/window_icon.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <unordered_map>

#include "platform/generation_table.h"

namespace {

using WindowTable = CGenerationTable<std::shared_ptr<CWindow>>;

struct ClassTable {
    std::mutex lock;
    std::vector<std::shared_ptr<CWindowClass>> classes;
    ATOM nextAtom = 0xC000;
};

WindowTable& Windows()
{
    static WindowTable* t = new WindowTable;
    return *t;
}

ClassTable& Classes()
{
    static ClassTable* c = new ClassTable;
    return *c;
}

std::shared_ptr<CWindowClass> FindClass(const char* name)
{
    if (!name) return nullptr;
    ClassTable& c = Classes();
    std::lock_guard<std::mutex> g(c.lock);
    for (auto& wc : c.classes)
        if (strcasecmp(wc->name.c_str(), name) == 0) return wc;
    return nullptr;
}

HWND InsertWindow(const std::shared_ptr<CWindow>& w)
{
    std::lock_guard<std::mutex> g(WindowLock());
    w->handle = (HWND)(uintptr_t)Windows().Insert(w);
    return w->handle;
}

void EraseFromTable(HWND hwnd)
{
    std::shared_ptr<CWindow> released;  // dropped after the lock
    std::lock_guard<std::mutex> g(WindowLock());
    released = Windows().Remove((uint64_t)(uintptr_t)hwnd);
}

std::vector<std::shared_ptr<CWindow>> ChildrenOf(HWND hwnd)
{
    std::vector<std::shared_ptr<CWindow>> children;
    std::lock_guard<std::mutex> g(WindowLock());
    Windows().ForEach([&](std::shared_ptr<CWindow>& w) {
        if (w->parent == hwnd || w->ownerWnd == hwnd) children.push_back(w);
    });
    return children;
}

// Frames made at once on two threads (a plot and a console window) would
// both find the same cascade place free: one takes its place at a time.
std::mutex& PlacementLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

}  // namespace

std::mutex& WindowLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

std::shared_ptr<CWindow> FindWindowObjectLocked(HWND hwnd)
{
    std::shared_ptr<CWindow>* w = Windows().Find((uint64_t)(uintptr_t)hwnd);
    return w ? *w : nullptr;
}

CWindow* PeekWindowObjectLocked(HWND hwnd)
{
    std::shared_ptr<CWindow>* w = Windows().Find((uint64_t)(uintptr_t)hwnd);
    return w ? w->get() : nullptr;
}

void EnumAllTopLevelWindows(WNDENUMPROC proc, LPARAM lParam)
{
    std::vector<HWND> tops;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        Windows().ForEach([&](std::shared_ptr<CWindow>& w) {
            if (!w->parent) tops.push_back(w->handle);
        });
    }
    for (HWND h : tops)
        if (!proc(h, lParam)) return;
}

std::shared_ptr<CWindow> FindWindowObject(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    return FindWindowObjectLocked(hwnd);
}

std::shared_ptr<CWindow> FindWindowOrFail(HWND hwnd)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd)
{
    for (int depth = 0; hwnd && depth < 1000; depth++) {
        if (hwnd == ancestor) return true;
        std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
        if (!w) return false;
        hwnd = w->parent;
    }
    return false;
}

void RemoveWindow(const std::shared_ptr<CWindow>& window)
{
    HWND h = window->handle;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        RemoveFromZOrderLocked(*window);
    }
    EraseFromTable(h);
    ForgetWindowInput(h, *window->owner);
    if (window->surface) DestroySurface(h);
    std::vector<std::shared_ptr<CSentMessage>> pending;
    {
        CThreadData& t = *window->owner;
        std::lock_guard<std::mutex> g(t.lock);
        CMessageQueue& q = QueueOf(t);
        q.windows.erase(std::remove(q.windows.begin(), q.windows.end(), h), q.windows.end());
        q.paint.erase(std::remove(q.paint.begin(), q.paint.end(), h), q.paint.end());
        q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(), [&](const CQueueTimer& x) { return x.hwnd == h; }),
                       q.timers.end());
        q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), [&](const MSG& m) { return m.hwnd == h; }),
                       q.posted.end());
        for (auto it = q.incoming.begin(); it != q.incoming.end();) {
            if ((*it)->hwnd == h) {
                pending.push_back(std::move(*it));
                it = q.incoming.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& s : pending) CompleteSend(std::move(s), 0);
}

ATOM RegisterClass(const WNDCLASS* wc)
{
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || wc->cbWndExtra < 0 || wc->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto c = std::make_shared<CWindowClass>();
    c->name = wc->lpszClassName;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->clsExtra = wc->cbClsExtra;
    c->wndExtra = wc->cbWndExtra;
    c->instance = wc->hInstance;
    c->icon = wc->hIcon;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    c->hasMenuName = wc->lpszMenuName != nullptr;
    if (wc->lpszMenuName) c->menuName = wc->lpszMenuName;
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    for (auto& x : t.classes)
        if (strcasecmp(x->name.c_str(), c->name.c_str()) == 0) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    c->atom = t.nextAtom++;
    t.classes.push_back(c);
    return c->atom;
}

BOOL UnregisterClass(const char* className, HINSTANCE)
{
    ClassTable& t = Classes();
    std::lock_guard<std::mutex> g(t.lock);
    for (auto it = t.classes.begin(); it != t.classes.end(); ++it)
        if (className && strcasecmp((*it)->name.c_str(), className) == 0) {
            // Windows of the class keep their record alive.
            t.classes.erase(it);
            return TRUE;
        }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL GetClassInfo(HINSTANCE, const char* className, WNDCLASS* wc)
{
    std::shared_ptr<CWindowClass> c = FindClass(className);
    if (!c || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->clsExtra;
    wc->cbWndExtra = c->wndExtra;
    wc->hInstance = c->instance;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = c->hasMenuName ? c->menuName.c_str() : nullptr;
    wc->lpszClassName = c->name.c_str();
    return TRUE;
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    std::shared_ptr<CWindowClass> c = FindClass(className);
    if (!c) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !IsWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto w = std::make_shared<CWindow>();
    w->windowClass = c;
    w->owner = CurrentThreadDataPtr();
    w->proc = c->proc;
    const bool child = (style & WS_CHILD) && parent;
    if (child) {
        w->parent = parent;
    } else if (parent) {
        std::lock_guard<std::mutex> g(WindowLock());
        w->ownerWnd = TopLevelOfLocked(parent);
    }
    // Shown after WM_CREATE, as ShowWindow would.
    const bool visible = (style & WS_VISIBLE) != 0;
    style &= ~WS_VISIBLE;
    std::unique_lock<std::mutex> placing(PlacementLock(), std::defer_lock);
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : 640;
        height = child ? 0 : 480;
    }
    if (x == CW_USEDEFAULT) {
        const bool framed = !(style & WS_POPUP) || (style & WS_CAPTION) == WS_CAPTION;
        if (child) {
            x = y = 0;
        } else if (framed) {
            placing.lock();
            const POINT p = CascadePosition(w->ownerWnd, width, height);
            x = p.x;
            y = p.y;
            w->cascadePlace = p;
        } else {
            x = y = 100;
        }
    }
    width = std::clamp(width, 0, 32767);
    height = std::clamp(height, 0, 32767);
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->normalRect = w->rect;
    if (!child && menu) w->menu = menu;
    w->style = style;
    w->exStyle = exStyle;
    w->id = child ? (LONG_PTR)(intptr_t)menu : 0;
    w->instance = instance;
    w->extra.assign((size_t)c->wndExtra, 0);
    w->erasePending = true;
    HWND h = InsertWindow(w);
    {
        std::lock_guard<std::mutex> g(WindowLock());
        InsertIntoZOrderLocked(*w);
    }
    if (placing.owns_lock()) placing.unlock();
    if (!child) {
        std::shared_ptr<CSurface> surface = CreateSurface(h, width, height);
        std::lock_guard<std::mutex> g(WindowLock());
        w->surface = surface;
    }
    bool ended;
    {
        std::lock_guard<std::mutex> g(w->owner->lock);
        ended = w->owner->ended;
        if (!ended) QueueOf(*w->owner).windows.push_back(h);
    }
    if (ended) {
        RemoveWindow(w);
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    CREATESTRUCT cs{param, instance, menu, parent, height, width, y, x, (LONG)style, windowName, className, exStyle};
    if (!SendMessage(h, WM_NCCREATE, 0, (LPARAM)&cs)) {
        if (IsWindow(h)) DestroyWindow(h);
        return nullptr;
    }
    RecalcClient(h);
    if (!IsWindow(h) || SendMessage(h, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        if (IsWindow(h)) DestroyWindow(h);
        return nullptr;
    }
    if (!IsWindow(h)) return nullptr;
    {
        RECT r{}, c{};
        GetClientRect(h, &c);
        {
            std::lock_guard<std::mutex> g(WindowLock());
            r = w->rect;
            r.left += w->client.left;
            r.top += w->client.top;
        }
        SendMessage(h, WM_SIZE, SIZE_RESTORED, MAKELONG((WORD)c.right, (WORD)c.bottom));
        SendMessage(h, WM_MOVE, 0, MakePointParam(r.left, r.top));
    }
    if (visible && IsWindow(h)) {
        if (style & WS_MAXIMIZE) {
            {
                std::lock_guard<std::mutex> g(WindowLock());
                w->style &= ~WS_MAXIMIZE;
            }
            ShowWindow(h, SW_SHOWMAXIMIZED);
        } else {
            ShowWindow(h, child ? SW_SHOWNA : SW_SHOW);
        }
    }
    return IsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return FALSE;
    if (w->owner.get() != &CurrentThreadData()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> g(WindowLock());
        if (w->destroying) return TRUE;
        w->destroying = true;
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    if (IsWindowVisible(hwnd))
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A child tells its parent that it goes (unless the parent goes too).
    if ((GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) && !(GetWindowLongPtr(hwnd, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY)) {
        HWND parent = GetParent(hwnd);
        std::shared_ptr<CWindow> pw = parent ? FindWindowObject(parent) : nullptr;
        bool parentGoing = true;
        if (pw) {
            std::lock_guard<std::mutex> g(WindowLock());
            parentGoing = pw->destroying;
        }
        if (!parentGoing)
            SendMessage(parent, WM_PARENTNOTIFY, (WPARAM)((DWORD)WM_DESTROY | ((DWORD)(WORD)GetDlgCtrlID(hwnd) << 16)), (LPARAM)hwnd);
    }
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    for (auto& child : ChildrenOf(hwnd)) {
        if (child->owner == w->owner)
            DestroyWindow(child->handle);
        else
            RemoveWindow(child);
    }
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    RemoveWindow(w);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return FindWindowObject(hwnd) != nullptr; }

BOOL IsWindowDestroying(HWND hwnd)
{
    std::shared_ptr<CWindow> w = FindWindowObject(hwnd);
    if (!w) return FALSE;
    std::lock_guard<std::mutex> g(WindowLock());
    return w->destroying ? TRUE : FALSE;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE: {
        const CREATESTRUCT* cs = (const CREATESTRUCT*)lParam;
        if (cs && cs->lpszName) {
            std::lock_guard<std::mutex> g(WindowLock());
            if (auto w = FindWindowObjectLocked(hwnd)) w->text = cs->lpszName;
        }
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT: {
        {
            std::lock_guard<std::mutex> g(WindowLock());
            auto w = FindWindowObjectLocked(hwnd);
            if (!w) return FALSE;
            w->text = lParam ? (const char*)lParam : "";
        }
        InvalidateInternal(hwnd, nullptr, false, true);   // the caption
        return TRUE;
    }
    case WM_GETTEXT: {
        char* buffer = (char*)lParam;
        if (!buffer || wParam == 0) return 0;
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        size_t n = w ? std::min(w->text.size(), (size_t)wParam - 1) : 0;
        if (n) memcpy(buffer, w->text.data(), n);
        buffer[n] = 0;
        return (LRESULT)n;
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        return w ? (LRESULT)w->text.size() : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
        else ValidateRect(hwnd, nullptr);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH brush = nullptr;
        RECT r{0, 0, 0, 0};
        {
            std::lock_guard<std::mutex> g(WindowLock());
            auto w = FindWindowObjectLocked(hwnd);
            if (!w) return 0;
            brush = w->windowClass->background;
            r = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
        }
        if (!brush || !wParam) return 0;
        // A class brush may be a system colour index plus one.
        if ((uintptr_t)brush <= COLOR_MAX_INDEX + 1) brush = GetSysColorBrush((int)(uintptr_t)brush - 1);
        FillRect((HDC)wParam, &r, brush);
        return 1;
    }
    default:
        return DefWindowProcMore(hwnd, msg, wParam, lParam);
    }
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC: return (LONG_PTR)w->proc;
    case GWLP_HINSTANCE: return (LONG_PTR)w->instance;
    case GWLP_HWNDPARENT: return (LONG_PTR)((w->style & WS_CHILD) ? w->parent : w->ownerWnd);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return (LONG_PTR)w->style;
    case GWL_EXSTYLE: return (LONG_PTR)w->exStyle;
    case GWLP_USERDATA: return w->userData;
    default:
        if (index >= 0 && (size_t)index + sizeof(LONG_PTR) <= w->extra.size()) {
            LONG_PTR v;
            memcpy(&v, w->extra.data() + index, sizeof v);
            return v;
        }
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

static LONG_PTR SetWindowLongPtrInternal(HWND hwnd, int index, LONG_PTR value);

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    LONG_PTR old = SetWindowLongPtrInternal(hwnd, index, value);
    if (index == GWL_STYLE || index == GWL_EXSTYLE || index == GWLP_HWNDPARENT) TellBackendAboutWindow(hwnd);
    return old;
}

static LONG_PTR SetWindowLongPtrInternal(HWND hwnd, int index, LONG_PTR value)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC: old = (LONG_PTR)w->proc; w->proc = (WNDPROC)value; break;
    case GWLP_HINSTANCE: old = (LONG_PTR)w->instance; w->instance = (HINSTANCE)value; break;
    case GWLP_HWNDPARENT:
        // Sets the owner of a top-level window; SetParent moves children.
        old = (LONG_PTR)((w->style & WS_CHILD) ? w->parent : w->ownerWnd);
        if (!(w->style & WS_CHILD)) w->ownerWnd = (HWND)value;
        break;
    case GWLP_ID: old = w->id; w->id = value; break;
    case GWL_STYLE: old = (LONG_PTR)w->style; w->style = (DWORD)value; break;
    case GWL_EXSTYLE: old = (LONG_PTR)w->exStyle; w->exStyle = (DWORD)value; break;
    case GWLP_USERDATA: old = w->userData; w->userData = value; break;
    default:
        if (index >= 0 && (size_t)index + sizeof(LONG_PTR) <= w->extra.size()) {
            memcpy(&old, w->extra.data() + index, sizeof old);
            memcpy(w->extra.data() + index, &value, sizeof value);
            break;
        }
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
    return old;
}

HWND GetParent(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    if (!w) return nullptr;
    return (w->style & WS_CHILD) ? w->parent : w->ownerWnd;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    return w && w->parent && IsSelfOrDescendantLocked(parent, w->parent);
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId)
{
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return 0;
    if (processId) *processId = GetCurrentProcessId();
    return w->owner->id;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam)
{
    std::shared_ptr<CThreadData> t = FindThreadData(threadId);
    if (!t || !proc) return FALSE;
    std::vector<HWND> windows;
    {
        std::lock_guard<std::mutex> g(t->lock);
        windows = QueueOf(*t).windows;
    }
    bool any = false;
    for (HWND h : windows) {
        std::shared_ptr<CWindow> w = FindWindowObject(h);
        if (!w || (GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD)) continue;
        any = true;
        if (!proc(h, lParam)) return FALSE;
    }
    return any;
}

BOOL SetWindowText(HWND hwnd, const char* text)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    BOOL ok = SendMessage(hwnd, WM_SETTEXT, 0, (LPARAM)text) != 0;
    TellBackendAboutWindow(hwnd);
    return ok;
}

BOOL SetWindowIconImage(HWND hwnd, SIZE size, const std::vector<uint32_t>& argb)
{
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) || size.cx <= 0 || size.cy <= 0 ||
        argb.size() != (size_t)size.cx * (size_t)size.cy)
        return FALSE;
    Backend().WindowIconChanged(hwnd, size, argb);
    return TRUE;
}

int GetWindowText(HWND hwnd, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    buffer[0] = 0;
    return (int)SendMessage(hwnd, WM_GETTEXT, (WPARAM)size, (LPARAM)buffer);
}

int GetWindowTextLength(HWND hwnd) { return (int)SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0); }


LONG_PTR GetClassLongPtr(HWND hwnd, int index)
{
    if (index != GCL_STYLE) return 0;
    return (LONG_PTR)GetClassLongStyle(hwnd);
}

LONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    if (index != GCL_STYLE) return 0;
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w || !w->windowClass) return 0;
    const UINT old = w->windowClass->style;
    w->windowClass->style = (UINT)value;
    return (LONG_PTR)old;
}

UINT GetClassLongStyle(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && w->windowClass ? w->windowClass->style : 0;
}

// Top-level windows own the surface; a child's pixels are at its offset in
// its top-level window's image.
static bool DrawTarget(HWND hwnd, bool client, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset,
                       SIZE* size)
{
    std::lock_guard<std::mutex> g(WindowLock());
    std::shared_ptr<CWindow> w = FindWindowObjectLocked(hwnd);
    if (!w) return false;
    HWND top = TopLevelOfLocked(hwnd);
    std::shared_ptr<CWindow> t = FindWindowObjectLocked(top);
    if (!t || !t->surface) return false;
    RECT r = client ? ClientScreenRectLocked(*w) : WindowScreenRectLocked(*w);
    RECT origin = WindowScreenRectLocked(*t);
    *surface = t->surface;
    *topLevel = top;
    *offset = POINT{r.left - origin.left, r.top - origin.top};
    *size = SIZE{r.right - r.left, r.bottom - r.top};
    return true;
}

bool WindowDrawTarget(HWND hwnd, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset, SIZE* size)
{
    return DrawTarget(hwnd, true, surface, topLevel, offset, size);
}

bool WindowFrameTarget(HWND hwnd, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset, SIZE* size)
{
    return DrawTarget(hwnd, false, surface, topLevel, offset, size);
}

HCURSOR GetClassCursorOf(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && w->windowClass ? w->windowClass->cursor : nullptr;
}

std::vector<VisibleWindow> VisibleTopLevelWindows()
{
    std::vector<HWND> tops;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        tops = TopLevelOrderLocked();
    }
    std::vector<VisibleWindow> out;
    for (HWND h : tops) {
        if (!IsWindowVisible(h)) continue;
        VisibleWindow v{h, "", {}, (DWORD)GetWindowLongPtr(h, GWL_STYLE), (DWORD)GetWindowLongPtr(h, GWL_EXSTYLE)};
        std::lock_guard<std::mutex> g(WindowLock());
        if (auto w = FindWindowObjectLocked(h)) {
            v.text = w->text;
            v.rect = WindowScreenRectLocked(*w);
            out.push_back(v);
        }
    }
    return out;
}
