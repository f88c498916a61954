#pragma once
// Input: the raw-input queue, routing by hit testing, capture, focus,
// activation, the cursor position and its clip rectangle.
//
// Back ends and tests feed one ordered queue of raw events in screen
// coordinates. The head is resolved only when a thread asks for input:
//   mouse  -> the capture window (client message), else WM_NCHITTEST of the
//             window under the point: HTCLIENT gives a client message in
//             client coordinates, other codes WM_NC* with the screen point;
//   keys   -> the focus window of the foreground thread, else its active one;
//   wheel  -> the focus window; drops -> the window under the point that
//             accepts files (or an ancestor).
// Only the target's thread takes the head, so a queued press-move-release
// follows the capture that the press set.
#include "platform/types.h"
#include "platform/user/hit_test_codes.h"
#include <string>
#include <vector>

#define WM_MOUSEACTIVATE 0x0021u
// Sent to an MDI client: the active child frame (0 when none).
#define WM_MDIGETACTIVE 0x0229u
#define WM_SETCURSOR 0x0020u
#define WM_NCHITTEST 0x0084u
#define WM_NCACTIVATE 0x0086u
#define WM_GETDLGCODE 0x0087u
#define WM_NCMOUSEMOVE 0x00A0u
#define WM_NCLBUTTONDOWN 0x00A1u
#define WM_NCLBUTTONUP 0x00A2u
#define WM_NCLBUTTONDBLCLK 0x00A3u
#define WM_NCRBUTTONDOWN 0x00A4u
#define WM_NCRBUTTONUP 0x00A5u
#define WM_NCRBUTTONDBLCLK 0x00A6u
#define WM_NCMBUTTONDOWN 0x00A7u
#define WM_NCMBUTTONUP 0x00A8u
#define WM_NCMBUTTONDBLCLK 0x00A9u
#define WM_CAPTURECHANGED 0x0215u
#define WM_CONTEXTMENU 0x007Bu
#define WM_DROPFILES 0x0233u
#define WM_CANCELMODE 0x001Fu
#define WM_ENTERIDLE 0x0121u
#define WM_PARENTNOTIFY 0x0210u

#define MA_ACTIVATE 1
#define MA_ACTIVATEANDEAT 2
#define MA_NOACTIVATE 3
#define MA_NOACTIVATEANDEAT 4

#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

#define MK_LBUTTON 0x0001u
#define MK_RBUTTON 0x0002u
#define MK_SHIFT 0x0004u
#define MK_CONTROL 0x0008u
#define MK_MBUTTON 0x0010u

#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))
#define GET_X_LPARAM(l) ((int)(short)LOWORD(l))
#define GET_Y_LPARAM(l) ((int)(short)HIWORD(l))
// Signed 16-bit x and y.
inline LPARAM MakePointParam(int x, int y) { return (LPARAM)(DWORD)MAKELONG((WORD)(SHORT)x, (WORD)(SHORT)y); }

#define SC_SIZE 0xF000u
#define SC_MOVE 0xF010u
#define SC_MINIMIZE 0xF020u
#define SC_MAXIMIZE 0xF030u
#define SC_KEYMENU 0xF100u
#define SC_CLOSE 0xF060u
#define SC_MOUSEMENU 0xF090u
#define SC_RESTORE 0xF120u

HWND SetCapture(HWND hwnd);
HWND GetCapture();
BOOL ReleaseCapture();

// Focus and activation are per thread. SetFocus sends WM_KILLFOCUS, then
// WM_SETFOCUS; when a WM_KILLFOCUS handler moves the focus itself, the outer
// change stops where the focus now is.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
// Brings the window's top-level window to the front and gives it the keys;
// the desktop's focus follows only while it is on one of our windows.
BOOL SetForegroundWindow(HWND hwnd);
// Whether one of this program's windows has the desktop's keyboard focus.
BOOL DesktopFocusIsOurs();
// The window's top-level window waits for the user's keys: it gets the
// desktop's focus from this program's main windows (enabled, owned by none;
// as the display tells, the program's own idea may lag behind), comes up and
// asks for attention when another application has it, and leaves it in our
// dialogs.
void WantKeys(HWND hwnd);

BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
// Every reported position is clamped into the rectangle (null frees it);
// the pointer itself stays where it is.
BOOL ClipCursor(const RECT* r);
BOOL GetClipCursor(RECT* r);
DWORD GetMessagePos();
DWORD GetDoubleClickTime();

// As of the last input message the thread took; GetAsyncKeyState is live.
SHORT GetAsyncKeyState(int virtualKey);

// Modal loops: true when the loop should end (WM_QUIT seen and re-posted,
// or capture lost to `hwnd`).
bool ModalLoopShouldEnd(HWND captureWindow);
// Serves sends and returns the next message for a modal loop, or false when
// the loop must end (WM_QUIT is put back for the outer loop).
// `idle` runs each time the loop is about to wait (menus send WM_ENTERIDLE).
bool ModalLoopGetMessage(MSG* msg, HWND captureWindow, void (*idle)(void*) = nullptr, void* context = nullptr);
#define MSGF_DIALOGBOX 0
#define MSGF_MENU 2

// DragDetect: a modal loop; true when the mouse leaves the drag rectangle
// around pt before the left button goes up.
BOOL DragDetect(HWND hwnd, POINT pt);

// ---- What back ends and tests report ----
enum class RawKind { KeyDown, KeyUp, Move, ButtonDown, ButtonUp, Wheel, Drop };
struct RawInput {
    RawKind kind;
    UINT vk = 0;              // key, or the button: VK_LBUTTON, VK_RBUTTON, VK_MBUTTON
    std::u32string text;      // the text a key press typed (may be empty)
    POINT pt{};               // screen
    int wheel = 0;            // multiples of 120
    bool extended = false;    // a key of the extended set (keypad Enter, the arrows beside it)
    std::vector<std::string> files;
    // Pointer input: the top-level window the display server delivered it to
    // (what the user sees under the pointer); null: found by our own order.
    HWND top = nullptr;
};
// Appends to the queue (positions are clamped by ClipCursor; the async key
// state follows at once).
void QueueRawInput(RawInput input);
// True while raw input waits to be taken.
bool RawInputPending();
// The back end lost its pointer grab: the capture goes, with WM_CAPTURECHANGED.
void ReportCaptureLost();

// ---- What tests read back and reset ----
// The capture, whichever thread holds it (GetCapture answers per thread).
HWND CaptureWindowAnyThread();
// The focus window of a thread; null for none or an unknown thread.
HWND FocusOfThread(DWORD threadId);
// Empties the raw-input queue and the asynchronous state.
void ResetInputForTest();

// The one entry for what a back end reports: input, activation, the close
// button (-> SC_CLOSE -> WM_CLOSE), moves and sizes done by the desktop, a
// lost grab and the desktop's stacking of our top-level windows. Activation,
// close and moves are posted to the window's own thread.
enum class BackendEventKind { Input, Activate, Close, Move, CaptureLost, Stacking };
struct BackendEvent {
    BackendEventKind kind = BackendEventKind::Input;
    HWND hwnd = nullptr;
    RawInput input;
    RECT rect{};   // Move: the new window rectangle (screen)
    // Activate: the keys and buttons really down as the window got the focus
    // (keysKnown); keys we saw go down whose release went elsewhere go up.
    bool keysKnown = false;
    std::vector<UINT> keysDown;
    // Stacking: our visible top-level windows as the display stacks them, topmost first.
    std::vector<HWND> order;
};
void ReportBackendEvent(BackendEvent event);
// Brings the key and button state of the queue and of every thread in line
// with the keys really down (no messages: a release that went to another
// application's window is not replayed). Lock keys keep their toggle.
void ReconcileKeyState(const std::vector<UINT>& keysDown);
// Takes the display's stacking (topmost first) as our top-level order: the
// listed windows swap into each other's places, the others keep theirs.
void MirrorTopLevelOrder(const std::vector<HWND>& topmostFirst);
// Private messages that carry back-end reports to the owner thread.
#define WM_BACKEND_ACTIVATE 0x03E0u
#define WM_BACKEND_MOVE 0x03E1u

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_PAUSE 0x13
#define VK_APPS 0x5D
#define VK_F4 0x73
#define VK_F10 0x79
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
