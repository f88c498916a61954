#pragma once
// Messages: sending, posting, the per-thread queue, timers and registered
// messages. SendMessage is declared in platform/types.h.
#include "platform/types.h"

#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_MOVE 0x0003u
#define WM_SIZE 0x0005u
#define WM_NCPAINT 0x0085u
// During user sizing: wParam the dragged edge, lParam the RECT* (screen) that
// may be changed.
#define WM_SIZING 0x0214u
#define WMSZ_LEFT 1
#define WMSZ_RIGHT 2
#define WMSZ_TOP 3
#define WMSZ_TOPLEFT 4
#define WMSZ_TOPRIGHT 5
#define WMSZ_BOTTOM 6
#define WMSZ_BOTTOMLEFT 7
#define WMSZ_BOTTOMRIGHT 8
#define WM_ACTIVATE 0x0006u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_ENABLE 0x000Au
#define WM_SETTEXT 0x000Cu
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_ERASEBKGND 0x0014u
#define WM_SHOWWINDOW 0x0018u
#define WM_NCCREATE 0x0081u
#define WM_NCDESTROY 0x0082u
#define WM_KEYFIRST 0x0100u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_DEADCHAR 0x0103u
#define WM_SYSKEYDOWN 0x0104u
#define WM_SYSKEYUP 0x0105u
#define WM_SYSCHAR 0x0106u
#define WM_KEYLAST 0x0109u
#define WM_COMMAND 0x0111u
#define WM_SYSCOMMAND 0x0112u
#define WM_TIMER 0x0113u
#define WM_MOUSEFIRST 0x0200u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_RBUTTONDBLCLK 0x0206u
#define WM_MBUTTONDOWN 0x0207u
#define WM_MBUTTONUP 0x0208u
#define WM_MBUTTONDBLCLK 0x0209u
#define WM_MOUSEWHEEL 0x020Au
#define WM_MOUSELAST 0x020Au
#define WM_APP 0x8000u
// A control tells its parent: wParam its id, lParam an NMHDR (or a record
// that starts with one).
#define WM_NOTIFY 0x004Eu
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

// Messages every control takes or sends: its font, owner drawing, its
// colours from the parent, the clipboard commands.
#define WM_SETFONT 0x0030u
#define WM_GETFONT 0x0031u
#define WM_DRAWITEM 0x002Bu
#define WM_MEASUREITEM 0x002Cu
#define WM_CTLCOLOREDIT 0x0133u
#define WM_CTLCOLORLISTBOX 0x0134u
#define WM_CTLCOLORBTN 0x0135u
#define WM_CTLCOLORSTATIC 0x0138u
#define WM_CUT 0x0300u
#define WM_COPY 0x0301u
#define WM_PASTE 0x0302u
#define WM_CLEAR 0x0303u
#define WM_UNDO 0x0304u
// Paints the client area into the DC in wParam (recording-DC tests, printing).
#define WM_PRINTCLIENT 0x0318u
#define WM_IME_CHAR 0x0286u
#define WM_SETREDRAW 0x000Bu

// PeekMessage options; the high word may restrict the kinds (QS_* << 16).
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

// Queue status bits.
#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_ALLPOSTMESSAGE 0x0100u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_ALLEVENTS | QS_SENDMESSAGE)

#define PM_QS_INPUT (QS_INPUT << 16)
#define PM_QS_POSTMESSAGE ((QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER) << 16)
#define PM_QS_PAINT (QS_PAINT << 16)
#define PM_QS_SENDMESSAGE (QS_SENDMESSAGE << 16)

#define MWMO_WAITALL 0x0001u
#define MWMO_INPUTAVAILABLE 0x0004u

// The hWnd filter of Get/PeekMessage that takes only thread messages.
#define HWND_THREAD_ONLY ((HWND)(intptr_t)-1)

// Order of delivery: sent messages are served first (they are never
// returned), then posted messages in FIFO order, then WM_QUIT, then a
// synthesized WM_PAINT for a window that needs painting, then WM_TIMER for a
// due timer (missed periods coalesce into one). Filters: a window (and its
// children), HWND_THREAD_ONLY, or null for all; a message range (0, 0 for
// all). WM_QUIT passes every filter.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);   // 0 on WM_QUIT
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
BOOL WaitMessage();
// A message loop's wait: up to `milliseconds` (INFINITE: no bound) for a
// message the thread can take, serving what other threads send meanwhile.
// Message: one waits (not taken). SendsServed: sends were served and nothing
// else waits (what they changed may want the loop's idle work). Timeout.
enum class CMessageWait { Message, SendsServed, Timeout };
CMessageWait WaitForMessageServingSends(DWORD milliseconds);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);

// A null window posts to the calling thread. Fails for a destroyed window or
// a thread that has ended.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// High word: the kinds present; low word: those that arrived since the thread
// last looked (which this call counts as looking).
DWORD GetQueueStatus(UINT flags);

// Waits for the objects or for input of the given kinds. Without
// MWMO_INPUTAVAILABLE only input that arrived since the thread last looked at
// its queue counts. Returns WAIT_OBJECT_0 + count for input. Sent messages are
// not served here: the caller takes them with PeekMessage. MWMO_WAITALL waits
// for all the objects, or for input.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask,
                                  DWORD flags);

// True while the thread handles a message sent from another thread.
BOOL InSendMessage();

// Timers belong to the window's thread (or to the calling thread without a
// window). Setting an existing id restarts it with the new period; the
// period is at least USER_TIMER_MINIMUM. Without a window, id 0 (or an id
// not in use) gets a new id, which is returned.
#define USER_TIMER_MINIMUM 10u
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// One id per name (letter case ignored) in 0xC000..0xFFFF.
UINT RegisterWindowMessage(const char* name);
