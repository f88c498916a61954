#pragma once
// Window classes and windows. A window belongs to the thread that created it
// and its procedure runs only there. Handles are never reused; every function
// is safe on a stale handle.
#include "platform/types.h"
#include "platform/user/window_styles.h"
#include <string>
#include <vector>

#define CW_USEDEFAULT ((int)0x80000000)

#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)
#define ERROR_INVALID_INDEX 1413u

struct WNDCLASS {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct CREATESTRUCT {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const char* lpszName;
    const char* lpszClass;
    DWORD dwExStyle;
};

// Class names ignore letter case. Returns 0 when the name is taken.
ATOM RegisterClass(const WNDCLASS* wc);
BOOL UnregisterClass(const char* className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* wc);

// Sends WM_NCCREATE (0 fails) and WM_CREATE (-1 fails) with the CREATESTRUCT.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Only the owner thread may destroy a window: WM_DESTROY, the children,
// WM_NCDESTROY; then its timers, posted messages and paint go, and sends still
// waiting for it complete with 0.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// True from DestroyWindow's start until the window is gone: WM_DESTROY and
// WM_NCDESTROY are real only then (a posted or sent copy is not).
BOOL IsWindowDestroying(HWND hwnd);

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);

// The class of the window; GCL_STYLE only (the style is shared by every
// window of the class). The setter returns the old value.
#define GCL_STYLE (-26)
LONG_PTR GetClassLongPtr(HWND hwnd, int index);
LONG_PTR SetClassLongPtr(HWND hwnd, int index, LONG_PTR value);

HWND GetParent(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

// The thread's top-level windows; FALSE when there were none or the callback
// stopped the enumeration.
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam);

BOOL SetWindowText(HWND hwnd, const char* text);
int GetWindowText(HWND hwnd, char* buffer, int size);
int GetWindowTextLength(HWND hwnd);

// Update regions: each window keeps the region that needs painting
// (client coordinates) and whether the background and the frame
// are due. A window with an update region gets a synthesized WM_PAINT,
// parents before their children, until it is validated. Invalidating a
// rectangle also invalidates the children under it.
typedef struct HRGN__* HRGN;
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);   // the region's bounding box
BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase);
BOOL ValidateRgn(HWND hwnd, HRGN region);
int GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase);   // copies it into region
// Sends WM_PAINT at once when the window (then each child) needs painting.
BOOL UpdateWindow(HWND hwnd);

#define RDW_INVALIDATE 0x0001u
#define RDW_INTERNALPAINT 0x0002u
#define RDW_ERASE 0x0004u
#define RDW_VALIDATE 0x0008u
#define RDW_NOINTERNALPAINT 0x0010u
#define RDW_NOERASE 0x0020u
#define RDW_NOCHILDREN 0x0040u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u
#define RDW_ERASENOW 0x0200u
#define RDW_FRAME 0x0400u
#define RDW_NOFRAME 0x0800u
BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags);

// Takes the update region for painting (BeginPaint): the rectangle and
// whether the background and the frame were due; the window is validated.
bool TakeUpdateRegion(HWND hwnd, RECT* rect, bool* erase, bool* frame);

#define SW_SCROLLCHILDREN 0x0001u
#define SW_INVALIDATE 0x0002u
#define SW_ERASE 0x0004u
// Moves the pixels of the scroll rectangle (client coordinates; null for the
// client area) by dx, dy inside the clip rectangle and invalidates what was
// uncovered (with SW_INVALIDATE; prcUpdate receives it). A window that is
// partly covered is invalidated whole instead. SW_SCROLLCHILDREN (or
// ScrollWindow without a rectangle) moves the children along.
int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update, RECT* updateRect,
                   UINT flags);
BOOL ScrollWindow(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip);

// What tests read back: the visible top-level windows, topmost first.
struct VisibleWindow {
    HWND hwnd;
    std::string text;
    RECT rect;      // screen
    DWORD style;
    DWORD exStyle;
};
std::vector<VisibleWindow> VisibleTopLevelWindows();
