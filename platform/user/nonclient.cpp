// The non-client layout and hit testing of DefWindowProc.
#include "platform/user/nonclient.h"

#include <atomic>

#include "platform/user/hit_test_codes.h"
#include "platform/user/window_styles.h"
#include "platform/user/settings.h"

namespace {
std::atomic<bool> g_desktopFrames{false};

bool In(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
}  // namespace

void SetDesktopDrawsFrames(bool on) { g_desktopFrames = on; }
bool DesktopDrawsFrames() { return g_desktopFrames; }

CNcLayout NcLayoutOf(DWORD style, DWORD exStyle, bool isChild, bool hasMenu, int width, int height)
{
    CNcLayout l;
    const bool caption = (style & WS_CAPTION) == WS_CAPTION;
    const bool desktop = DesktopDrawsFrames() && !isChild && caption && !(style & WS_POPUP) &&
                         !(exStyle & WS_EX_TOOLWINDOW);
    if (!desktop) {
        if (style & WS_THICKFRAME) {
            l.border = GetSystemMetrics(SM_CXFRAME);
            l.sizable = true;
        } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
            l.border = GetSystemMetrics(SM_CXDLGFRAME);
        } else if (style & WS_BORDER) {
            l.border = GetSystemMetrics(SM_CXBORDER);
        }
    }
    int edge = (exStyle & WS_EX_CLIENTEDGE) ? GetSystemMetrics(SM_CXEDGE) : (exStyle & WS_EX_STATICEDGE) ? 1 : 0;
    RECT in{l.border, l.border, width - l.border, height - l.border};
    if (caption && !desktop) {
        l.smallCaption = (exStyle & WS_EX_TOOLWINDOW) != 0;
        int h = GetSystemMetrics(l.smallCaption ? SM_CYSMCAPTION : SM_CYCAPTION);
        l.caption = RECT{in.left, in.top, in.right, in.top + h};
        in.top += h + 1;   // a line under the caption
        if (style & WS_SYSMENU) {
            int b = h - 4;
            l.closeBox = RECT{l.caption.right - 2 - b, l.caption.top + 2, l.caption.right - 2, l.caption.top + 2 + b};
        }
    }
    if (hasMenu && !isChild) {
        int h = GetSystemMetrics(SM_CYMENU);
        l.menuBar = RECT{in.left, in.top, in.right, in.top + h};
        in.top += h;
    }
    in.left += edge;
    in.top += edge;
    in.right -= edge;
    in.bottom -= edge;
    if (style & WS_VSCROLL) {
        int w = GetSystemMetrics(SM_CXVSCROLL);
        if (in.right - in.left >= w) {
            l.vscroll = RECT{in.right - w, in.top, in.right, in.bottom};
            in.right -= w;
        }
    }
    if (style & WS_HSCROLL) {
        int h = GetSystemMetrics(SM_CYHSCROLL);
        if (in.bottom - in.top >= h) {
            l.hscroll = RECT{in.left, in.bottom - h, in.right, in.bottom};
            in.bottom -= h;
            if (l.vscroll.right > l.vscroll.left) {
                l.vscroll.bottom -= h;
                l.grip = RECT{l.vscroll.left, in.bottom, l.vscroll.right, in.bottom + h};
            }
        }
    }
    if (in.right < in.left) in.right = in.left;
    if (in.bottom < in.top) in.bottom = in.top;
    l.client = in;
    return l;
}

int NcHitTestLayout(const CNcLayout& l, POINT p, int width, int height)
{
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return HTNOWHERE;
    if (In(l.client, p)) return HTCLIENT;
    if (l.border > 0 && (p.x < l.border || p.y < l.border || p.x >= width - l.border || p.y >= height - l.border)) {
        if (!l.sizable) return HTBORDER;
        const int corner = 16;
        bool left = p.x < corner, right = p.x >= width - corner, top = p.y < corner, bottom = p.y >= height - corner;
        if (p.y < l.border) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (p.y >= height - l.border) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (p.x < l.border) return top ? HTTOPLEFT : bottom ? HTBOTTOMLEFT : HTLEFT;
        return top ? HTTOPRIGHT : bottom ? HTBOTTOMRIGHT : HTRIGHT;
    }
    if (In(l.closeBox, p)) return HTCLOSE;
    if (In(l.caption, p)) return HTCAPTION;
    if (In(l.menuBar, p)) return HTMENU;
    if (In(l.vscroll, p)) return HTVSCROLL;
    if (In(l.hscroll, p)) return HTHSCROLL;
    if (In(l.grip, p)) return l.sizable ? HTBOTTOMRIGHT : HTSIZE;
    return HTBORDER;
}
