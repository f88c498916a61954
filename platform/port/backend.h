#pragma once
// The back-end interface: what the window manager and gdi tell the display,
// and the surface store that holds each top-level window's backing image.
// Only top-level windows have surfaces; children paint into their top-level
// window's image. The headless back end (the default) keeps the images for
// read-back; an interactive back end presents the dirty rectangles.
#include "platform/types.h"
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A backing image: RGB24 pixels 0x00RRGGBB, row by row, stride in bytes
// (4 * width), the layout a cairo RGB24 image surface uses. Drawing and
// read-back hold `lock`; `pixels` is replaced only under it.
struct CSurface {
    std::mutex lock;
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint32_t> pixels;
    // Rectangles changed since the back end last took them (surface coordinates).
    std::vector<RECT> dirty;
    // False once the window is gone: drawing into it does nothing.
    bool alive = true;
};

struct CWindowPlacement {
    RECT rect{};          // screen, logical pixels
    bool visible = false;
    bool enabled = true;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND owner = nullptr;
    std::string title;    // UTF-8
    SIZE minSize{};       // 0: no bound
    SIZE maxSize{};
    // The rectangle is the one the desktop reported (our answer to its move).
    bool fromDesktop = false;
};

struct CCursorShape {
    int standardId = 32512;   // IDC_ARROW; 0 for a resource cursor
    std::string shape;        // a resource cursor's image file
    POINT hotSpot{};
    bool hidden = false;
};

struct CNativeDialog;

class CBackend {
public:
    virtual ~CBackend() = default;
    virtual const char* Name() const = 0;
    // The virtual screen in pixels (headless: 1920 x 1080).
    virtual SIZE ScreenSize() const = 0;
    // A top-level window got its backing image, or lost it.
    virtual void SurfaceCreated(HWND hwnd, const std::shared_ptr<CSurface>& surface) = 0;
    virtual void SurfaceDestroyed(HWND hwnd) = 0;
    // Pixels of `rect` (surface coordinates, already recorded in the surface's
    // dirty list) changed; called without the surface lock held.
    virtual void SurfaceChanged(HWND hwnd, const RECT& rect) = 0;

    // What an interactive display also needs; the headless back end ignores it.
    // Each call only queues a request: none waits for the display.
    // A top-level window's place (screen), visibility, styles, owner or title changed.
    virtual void WindowChanged(HWND /*hwnd*/, const CWindowPlacement& /*placement*/) {}
    // The program put a visible top-level window above its siblings (no
    // activation implied): the display raises it too; the stacking that
    // results comes back as the desktop decides (BackendEventKind::Stacking).
    virtual void WindowRaised(HWND /*hwnd*/) {}
    // A top-level window's icon: straight 0xAARRGGBB pixels, row by row.
    virtual void WindowIconChanged(HWND /*hwnd*/, SIZE /*size*/, const std::vector<uint32_t>& /*argb*/) {}
    // The desktop focused a window that cannot take input (a modal dialog's
    // owner): the display asks the desktop to focus this one instead.
    virtual void FocusOnDesktop(HWND /*hwnd*/) {}
    // Whether one of this program's windows has the desktop's keyboard focus
    // (another application's window has not).
    virtual bool DesktopFocusIsOurs() const { return true; }
    // A top-level window waits for the user's keys: it gets the desktop's
    // keyboard focus when one of this program's main windows (enabled, owned
    // by none) holds it now, as the desktop tells; when another application
    // holds it, the window comes up above it and asks for the user's
    // attention; from one of our dialogs nothing moves.
    virtual void WantsKeys(HWND /*hwnd*/) {}
    // The pointer shape: a standard IDC_* id, or a resource's shape file and hot spot.
    virtual void CursorChanged(const CCursorShape& /*shape*/) {}
    // Capture began on a window of this top-level window (null: released).
    virtual void GrabChanged(HWND /*topLevel*/) {}
    // The caret of the focus window moved (surface coordinates of its top-level window).
    virtual void CaretChanged(HWND /*topLevel*/, const RECT& /*rect*/) {}
    // Another application holds the clipboard: its MIME types, and the bytes of
    // one (waits for the display with a bound; false: none or no answer).
    virtual std::vector<std::string> ForeignClipboardTypes() { return {}; }
    virtual bool ForeignClipboardData(const std::string& /*mime*/, std::vector<unsigned char>* /*bytes*/) { return false; }
    // Native dialogs (user/native_dialogs.h); false: not available.
    virtual bool HasNativeDialogs() const { return false; }
    virtual int RunNativeDialog(CNativeDialog& /*dialog*/) { return -1; }
};

// The process's back end: the headless one unless another was installed.
CBackend& Backend();
// Installs a back end (before any window exists); null restores the headless one.
void SetBackend(std::unique_ptr<CBackend> backend);
// The headless back end, made by the back-end level above (backend/headless.cpp).
std::unique_ptr<CBackend> MakeHeadlessBackend();

// The surface store, keyed by top-level window.
// Makes a white image of the size (clamped to 1..32767 a side) for the window.
std::shared_ptr<CSurface> CreateSurface(HWND hwnd, int width, int height);
std::shared_ptr<CSurface> FindSurface(HWND hwnd);
// Resizes keeping the overlapping pixels; new pixels are white.
bool ResizeSurface(HWND hwnd, int width, int height);
// Marks the surface dead and drops it from the store.
void DestroySurface(HWND hwnd);
// Clips the rectangle to the surface, appends it to the dirty list and tells
// the back end. Empty rectangles are ignored.
void MarkSurfaceDirty(HWND hwnd, const RECT& rect);
