// DefWindowProc for the non-client area, input, activation and painting.
#include "platform/user/cursor.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/scrollbar.h"
#include "platform/user/window.h"
#include "platform/user/nonclient.h"
#include "platform/user/input_internal.h"
#include "platform/user/menu.h"

namespace {

// Alt went down and nothing else was pressed before it came up: the menu
// bar opens on the release.
thread_local bool t_altAlone = false;
thread_local bool t_f10Down = false;

CNcLayout LayoutOf(HWND hwnd, RECT* windowScreen)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return CNcLayout{};
    if (windowScreen) *windowScreen = WindowScreenRectLocked(*w);
    return NcLayoutOfLocked(*w);
}

LRESULT ToParent(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD)) return 0;
    HWND parent = GetParent(hwnd);
    return parent ? SendMessage(parent, msg, wParam, lParam) : 0;
}

HCURSOR CursorForHit(int hit)
{
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return LoadCursor(nullptr, IDC_SIZEWE);
    case HTTOP:
    case HTBOTTOM: return LoadCursor(nullptr, IDC_SIZENS);
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return LoadCursor(nullptr, IDC_SIZENWSE);
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: return LoadCursor(nullptr, IDC_SIZENESW);
    default: return LoadCursor(nullptr, IDC_ARROW);
    }
}

void OnNcLButtonDown(HWND hwnd, int hit, POINT pt)
{
    RECT win;
    CNcLayout l = LayoutOf(hwnd, &win);
    switch (hit) {
    case HTCLOSE: {
        // The close box acts on release inside it.
        RECT box = l.closeBox;
        OffsetRect(&box, win.left, win.top);
        SetCapture(hwnd);
        MSG m;
        bool inside = false;
        while (ModalLoopGetMessage(&m, hwnd)) {
            if (m.message == WM_LBUTTONUP) {
                inside = PtInRect(&box, m.pt);
                break;
            }
            if (m.message != WM_MOUSEMOVE && m.message != WM_KEYDOWN) DispatchMessage(&m);
        }
        if (GetCapture() == hwnd) ReleaseCapture();
        if (inside && IsWindow(hwnd)) SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, MakePointParam(pt.x, pt.y));
        break;
    }
    case HTCAPTION:
        if (!(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_MAXIMIZE))
            SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, MakePointParam(pt.x, pt.y));
        break;
    case HTLEFT:
    case HTRIGHT:
    case HTTOP:
    case HTBOTTOM:
    case HTTOPLEFT:
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        SendMessage(hwnd, WM_SYSCOMMAND, SC_SIZE + (UINT)(hit - HTLEFT + 1), MakePointParam(pt.x, pt.y));
        break;
    case HTVSCROLL:
    case HTHSCROLL: {
        RECT bar = hit == HTVSCROLL ? l.vscroll : l.hscroll;
        OffsetRect(&bar, win.left, win.top);
        TrackScrollBar(hwnd, hit == HTVSCROLL ? SB_VERT : SB_HORZ, hwnd, bar, pt);
        break;
    }
    case HTMENU:
        TrackMenuBarWithMouse(hwnd, pt);
        break;
    default: break;
    }
}

}  // namespace

LRESULT DefWindowProcMore(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCALCSIZE: {
        RECT* r = wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam;
        if (!r) return 0;
        DWORD style, ex;
        bool menu;
        {
            std::lock_guard<std::mutex> g(WindowLock());
            auto w = FindWindowObjectLocked(hwnd);
            if (!w) return 0;
            style = w->style;
            ex = w->exStyle;
            menu = w->menu != nullptr;
        }
        CNcLayout l = NcLayoutOf(style, ex, (style & WS_CHILD) != 0, menu, r->right - r->left, r->bottom - r->top);
        *r = RECT{r->left + l.client.left, r->top + l.client.top, r->left + l.client.right, r->top + l.client.bottom};
        return 0;
    }
    case WM_NCHITTEST: {
        RECT win;
        CNcLayout l = LayoutOf(hwnd, &win);
        POINT p{GET_X_LPARAM(lParam) - win.left, GET_Y_LPARAM(lParam) - win.top};
        return NcHitTestLayout(l, p, win.right - win.left, win.bottom - win.top);
    }
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* wp = (const WINDOWPOS*)lParam;
        if (!wp) return 0;
        RECT c{}, r{};
        DWORD style;
        {
            std::lock_guard<std::mutex> g(WindowLock());
            auto w = FindWindowObjectLocked(hwnd);
            if (!w) return 0;
            r = w->rect;
            c = w->client;
            style = w->style;
        }
        if (!(wp->flags & 0x1000u /* client did not move */))
            SendMessage(hwnd, WM_MOVE, 0, MakePointParam(r.left + c.left, r.top + c.top));
        if (!(wp->flags & 0x0800u /* client kept its size */)) {
            WPARAM kind = (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : (style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED;
            SendMessage(hwnd, WM_SIZE, kind, MAKELONG((WORD)(c.right - c.left), (WORD)(c.bottom - c.top)));
        }
        return 0;
    }
    case WM_NCPAINT:
        PaintNonClient(hwnd);
        return 0;
    case WM_SETCURSOR: {
        // The parent may choose first.
        if ((GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD) && ToParent(hwnd, msg, wParam, lParam)) return TRUE;
        int hit = (SHORT)LOWORD(lParam);
        if (hit == HTCLIENT) {
            HCURSOR c = (HCURSOR)GetClassCursorOf(hwnd);
            if (c) SetCursor(c);
            return c ? TRUE : FALSE;
        }
        if (hit == HTERROR) return FALSE;
        SetCursor(CursorForHit(hit));
        return TRUE;
    }
    case WM_MOUSEACTIVATE: {
        LRESULT r = ToParent(hwnd, msg, wParam, lParam);
        return r ? r : MA_ACTIVATE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_MINIMIZE)) SetFocus(hwnd);
        return 0;
    case WM_NCACTIVATE: {
        static const RECT none{0, 0, 0, 0};
        InvalidateInternal(hwnd, &none, false, true);
        return TRUE;
    }
    case WM_NCLBUTTONDOWN:
        OnNcLButtonDown(hwnd, (int)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_MAXIMIZEBOX))
            SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        else
            OnNcLButtonDown(hwnd, (int)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0u) {
        case SC_CLOSE: SendMessage(hwnd, WM_CLOSE, 0, 0); break;
        case SC_MOVE: TrackMoveSize(hwnd, HTCAPTION, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
        case SC_SIZE: {
            int hit = (int)(wParam & 0xF) + HTLEFT - 1;
            TrackMoveSize(hwnd, hit, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            break;
        }
        case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); break;
        case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
        case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
        case SC_KEYMENU: TrackMenuBarWithKey(hwnd, (UINT)lParam); break;
        default: break;
        }
        return 0;
    case WM_RBUTTONUP: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ClientToScreen(hwnd, &p);
        SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, MakePointParam(p.x, p.y));
        return 0;
    }
    case WM_NCRBUTTONUP:
        SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, lParam);
        return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        return ToParent(hwnd, msg, wParam, lParam);
    case WM_KEYDOWN:
        t_altAlone = false;
        return 0;
    case WM_KEYUP:
        if (wParam == VK_APPS) SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, -1);
        return 0;
    case WM_SYSKEYDOWN:
        t_altAlone = wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU;
        // Only an F10 that no accelerator took opens the menu at its key-up.
        t_f10Down = wParam == VK_F10;
        if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) SendMessage(hwnd, WM_CONTEXTMENU, (WPARAM)hwnd, -1);
        if (wParam == VK_F4 && (lParam & (1 << 29))) {
            HWND top = GetAncestor(hwnd, GA_ROOT);
            if (top) SendMessage(top, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SYSKEYUP: {
        // Not when the press went to a window that had the focus before it
        // left us (Alt+Tab away and back).
        bool alone = t_altAlone && (wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU) &&
                     LastAltReleaseWasTap();
        t_altAlone = false;
        const bool f10 = t_f10Down && wParam == VK_F10;
        t_f10Down = false;
        if (alone || (f10 && GetKeyState(VK_SHIFT) >= 0)) {
            HWND top = GetAncestor(hwnd, GA_ROOT);
            if (top) SendMessage(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
        }
        return 0;
    }
    case WM_SYSCHAR: {
        t_altAlone = false;
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top && wParam > ' ') SendMessage(top, WM_SYSCOMMAND, SC_KEYMENU, (LPARAM)wParam);
        return 0;
    }
    case WM_BACKEND_ACTIVATE: {
        // The desktop gave the window the focus: its keys come here even when
        // it already was its thread's active window and another thread's
        // window held the foreground. The desktop stacked it already.
        CDesktopStackingScope fromDesktop;
        SetActiveWindow(hwnd);
        HWND top = GetAncestor(hwnd, GA_ROOT);
        if (top && GetActiveWindow() == top) SetForegroundInternal(top);
        return 0;
    }
    case WM_BACKEND_MOVE: {
        const int x = (SHORT)LOWORD(wParam), y = (SHORT)HIWORD(wParam);
        CDesktopMoveScope fromDesktop(RECT{x, y, x + LOWORD(lParam), y + HIWORD(lParam)});
        SetWindowPos(hwnd, nullptr, x, y, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CANCELMODE:
        if (GetCapture() == hwnd) ReleaseCapture();
        EndMenu();
        return 0;
    case WM_GETDLGCODE:
    case WM_DROPFILES:
        return 0;
    default:
        return 0;
    }
}
