#pragma once
// Window records and the window table (internal to the platform layer).
#include "platform/kernel/kernel.h"
#include "platform/kernel/thread_data.h"
#include "platform/user/message_queue.h"
#include "platform/port/backend.h"
#include <optional>
#include <string>
#include "platform/user/scroll_bar_state.h"
#include "platform/gdi/region.h"

struct CNcLayout;

struct CWindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    bool hasMenuName = false;
    ATOM atom = 0;
};

struct CWindow {
    HWND handle = nullptr;
    std::shared_ptr<CWindowClass> windowClass;
    std::shared_ptr<CThreadData> owner;
    // Guarded by WindowLock().
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;
    std::string text;
    bool destroying = false;
    // Geometry: rect in the parent's client coordinates (screen for
    // top-level windows), client in window coordinates.
    RECT rect{};
    RECT client{};
    HWND ownerWnd = nullptr;            // owner of a top-level or popup window
    std::vector<HWND> children;         // z-order, topmost first
    HMENU menu = nullptr;               // menu bar of a top-level window
    CScrollBarState scroll[3];          // SB_HORZ, SB_VERT, SB_CTL
    // Placement: the normal rectangle kept while minimised or maximised.
    RECT normalRect{};
    UINT showState = 1;                 // SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED
    // The cascade place given at creation: the desktop or the program may
    // move the window later, and the place stays taken while it lives.
    std::optional<POINT> cascadePlace;
    // Update region (client coordinates) and whether WM_ERASEBKGND is due.
    CRegion update;
    bool erasePending = false;
    bool ncPaint = false;
    HCURSOR cursor = nullptr;
    // A top-level window's backing image (children draw into their top-level's).
    std::shared_ptr<CSurface> surface;
};

// Top-level windows in z-order, topmost first; under WindowLock().
std::vector<HWND>& TopLevelOrderLocked();
// Screen rectangle of the window and of its client area; under WindowLock().
RECT WindowScreenRectLocked(const CWindow& w);
RECT ClientScreenRectLocked(const CWindow& w);
bool IsVisibleLocked(const CWindow& w);   // it and all its ancestors
// The top-level ancestor (the window itself when it is top-level).
HWND TopLevelOfLocked(HWND hwnd);
// Forgets focus, activation, capture and the caret of a window that goes
// (no messages); called by RemoveWindow.
void ForgetWindowInput(HWND hwnd, CThreadData& owner);

// Where a window's client pixels are: the top-level surface, the client
// area's offset in it and its size. False for a stale window.
bool WindowDrawTarget(HWND hwnd, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset, SIZE* size);
// The same for the whole window, frame included (GetWindowDC).
bool WindowFrameTarget(HWND hwnd, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset, SIZE* size);

// Guards the window table and the guarded window fields. A thread's lock may
// be held while it is taken, never the other way round.
std::mutex& WindowLock();
std::shared_ptr<CWindow> FindWindowObject(HWND hwnd);
// The same, setting the last error to an invalid window handle when there is none.
std::shared_ptr<CWindow> FindWindowOrFail(HWND hwnd);
// Every top-level window of the process (no lock held while calling).
void EnumAllTopLevelWindows(WNDENUMPROC proc, LPARAM lParam);
// Under WindowLock().
std::shared_ptr<CWindow> FindWindowObjectLocked(HWND hwnd);
// The same without taking a share: valid only while the lock is held.
CWindow* PeekWindowObjectLocked(HWND hwnd);
bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd);

// Takes a window out of the table and its owner's queue, completing the
// sends still waiting for it with 0. No messages are sent.
void RemoveWindow(const std::shared_ptr<CWindow>& window);
// Completes a cross-thread send (takes the sender's lock).
void CompleteSend(std::shared_ptr<CSentMessage> sent, LRESULT result);

// Geometry hooks of CreateWindowEx and DestroyWindow.
void InsertIntoZOrderLocked(CWindow& w);
void RemoveFromZOrderLocked(CWindow& w);
// Sends WM_NCCALCSIZE and stores the client rectangle.
void RecalcClient(HWND hwnd);
// Tells the back end a top-level window's place, look and state (no lock held).
void TellBackendAboutWindow(HWND hwnd);
// While one lives on a thread, the raises it makes follow what the desktop
// did itself (an activation it reported): the display is not asked again.
struct CDesktopStackingScope {
    CDesktopStackingScope();
    ~CDesktopStackingScope();
    bool outer;
};
// While one lives on a thread, a window that ends up at `rect` got there
// because the desktop put it there: the display is not asked to move it.
struct CDesktopMoveScope {
    explicit CDesktopMoveScope(const RECT& rect);
    ~CDesktopMoveScope();
    const RECT* outer;
    RECT rect;
};
CNcLayout NcLayoutOfLocked(const CWindow& w);
// Invalidates a rectangle of a window's client area (client coordinates;
// null for all) and of the children under it; `frame` also repaints the
// non-client area.
void InvalidateInternal(HWND hwnd, const RECT* rect, bool erase, bool frame);
// The thread that owns the window, or null.
std::shared_ptr<CThreadData> OwnerOf(HWND hwnd);

// What the message loop asks of the window DCs (window_dc.cpp) and the
// clipboard (clipboard.cpp).
// Hands what the calling thread drew on the window DCs it holds (GetDC,
// GetWindowDC, not yet released) to the back end. The message loop calls it
// each time the thread takes a message, so that a drag holding one DC (a
// rubber band, a splitter) shows as it goes, its erase and redraw together.
void FlushHeldWindowDCs();
// Called when a thread ends.
void ReleaseClipboardOfThread(DWORD threadId);

// DefWindowProc beyond the window record: non-client, input, painting.
LRESULT DefWindowProcMore(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Where a new framed top-level window without a place of its own goes: one
// caption step down and right of its owner, or of the previous window there,
// so that no two windows share a corner; back to the start where the work
// area ends. No lock held.
POINT CascadePosition(HWND owner, int width, int height);
// The window under a screen point, skipping some (geometry only).
HWND WindowUnderPointSkipping(POINT pt, const std::vector<HWND>& skip);
// The same for pointer input that the display delivered to the top-level
// window `top` (null: unknown): inside it, its own windows, whatever our
// order says; none when `top` is disabled (under its modal dialog).
HWND PointerWindowSkipping(POINT pt, HWND top, const std::vector<HWND>& skip);
// The window's own visible pixels (client area or whole window) in its DC's
// coordinates: clipped by ancestors, siblings above (WS_CLIPSIBLINGS) and
// children (WS_CLIPCHILDREN).
bool WindowVisibleRects(HWND hwnd, bool client, std::vector<RECT>* out);
// The update region itself, taken for painting (BeginPaint clips to it).
bool TakeUpdateRegionEx(HWND hwnd, CRegion* region, bool* erase, bool* frame);
