// Modal loops of the window manager (moving, sizing, DragDetect; menus and
// scroll bars use the same helper): they serve sends, end on WM_QUIT
// (posting it again for the outer loop) and when the capture is lost.
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

bool ModalLoopShouldEnd(HWND captureWindow)
{
    return captureWindow && GetCapture() != captureWindow;
}

bool ModalLoopGetMessage(MSG* msg, HWND captureWindow, void (*idle)(void*), void* context)
{
    for (;;) {
        if (ModalLoopShouldEnd(captureWindow)) return false;
        if (PeekMessage(msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg->message == WM_QUIT) {
                PostQuitMessage((int)msg->wParam);
                return false;
            }
            return true;
        }
        if (ModalLoopShouldEnd(captureWindow)) return false;
        if (idle) {
            idle(context);
            if (ModalLoopShouldEnd(captureWindow)) return false;
        }
        WaitMessage();
    }
}

BOOL DragDetect(HWND hwnd, POINT pt)
{
    if (!IsWindow(hwnd)) return FALSE;
    int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    RECT box{pt.x - cx, pt.y - cy, pt.x + cx + 1, pt.y + cy + 1};
    SetCapture(hwnd);
    BOOL dragged = FALSE;
    MSG m;
    while (ModalLoopGetMessage(&m, hwnd)) {
        if (m.message == WM_MOUSEMOVE && m.hwnd == hwnd) {
            POINT p = m.pt;
            if (!PtInRect(&box, p)) {
                dragged = TRUE;
                break;
            }
        } else if (m.message == WM_LBUTTONUP || (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE)) {
            break;
        } else if (m.message != WM_MOUSEMOVE && m.message != WM_LBUTTONDOWN) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    return dragged;
}

// Moves or sizes a window with the mouse from a press at `start` (screen)
// on the given hit-test code (HTCAPTION moves).
void TrackMoveSize(HWND hwnd, int hit, POINT start)
{
    RECT orig;
    GetWindowRect(hwnd, &orig);
    HWND parent = (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    auto place = [&](RECT r) {
        if (parent) {
            POINT a{r.left, r.top};
            ScreenToClient(parent, &a);
            OffsetRect(&r, a.x - r.left, a.y - r.top);
        }
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    SetCapture(hwnd);
    MSG m;
    bool cancelled = false;
    while (ModalLoopGetMessage(&m, hwnd)) {
        if (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP) {
            int dx = m.pt.x - start.x, dy = m.pt.y - start.y;
            RECT r = orig;
            if (hit == HTCAPTION) {
                OffsetRect(&r, dx, dy);
            } else {
                if (hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT) r.left += dx;
                if (hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT) r.right += dx;
                if (hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT) r.top += dy;
                if (hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT) r.bottom += dy;
                if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) SendMessage(hwnd, WM_SIZING, (WPARAM)(hit - HTLEFT + 1), (LPARAM)&r);
            }
            place(r);
            if (m.message == WM_LBUTTONUP) break;
        } else if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            cancelled = true;
            break;
        } else if (m.message == WM_KEYDOWN || m.message == WM_LBUTTONDOWN) {
            // Swallowed while moving.
        } else {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    if (cancelled && IsWindow(hwnd)) place(orig);
    if (GetCapture() == hwnd) ReleaseCapture();
}
