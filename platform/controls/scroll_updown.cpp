// The scroll-bar control (the window manager's scroll engine on SB_CTL,
// and the size box that resizes its top-level window) and the up-down control.
#include <algorithm>
#include <climits>
#include <mutex>
#include <unordered_map>

#include "platform/controls/control_internal.h"

namespace {

HWND TopLevelOf(HWND h)
{
    while (h && (GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD) && GetParent(h)) h = GetParent(h);
    return h;
}

struct ScrollCtl {
    bool sizing = false;
    POINT start{};
    RECT startRect{};
};

void PaintScrollCtl(HWND hwnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const DWORD style = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        // Three diagonal ridges in the corner.
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HGDIOBJ old = SelectObject(hdc, dark);
        for (int k = 3; k <= 11; k += 4) {
            SelectObject(hdc, dark);
            MoveToEx(hdc, rc.right - 1, rc.bottom - 1 - k, nullptr);
            LineTo(hdc, rc.right - 1 - k, rc.bottom - 1);
            SelectObject(hdc, light);
            MoveToEx(hdc, rc.right - 1, rc.bottom - 2 - k, nullptr);
            LineTo(hdc, rc.right - 2 - k, rc.bottom - 1);
        }
        SelectObject(hdc, old);
        DeleteObject(light);
        DeleteObject(dark);
        return;
    }
    // The window manager's painter: bars of windows and controls look alike.
    CScrollBarState s;
    GetScrollBarState(hwnd, SB_CTL, &s);
    if (!IsWindowEnabled(hwnd)) s.disabled = ESB_DISABLE_BOTH;
    PaintScrollBarState(hdc, s, rc, (style & SBS_VERT) != 0);
}

LRESULT ScrollBarProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ScrollCtl* sc = ControlState<ScrollCtl>(hwnd);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtr(hwnd, 0, (LONG_PTR) new ScrollCtl);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!sc) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { PaintScrollCtl(hwnd, hdc); })) return 0;
    const DWORD style = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    switch (msg) {
    case WM_NCDESTROY:
        DeleteControlState(hwnd, sc);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETCURSOR:
        if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
            SetCursor(LoadCursor(nullptr, IDC_SIZENWSE));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ClientToScreen(hwnd, &pt);
        if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
            sc->sizing = true;
            sc->start = pt;
            GetWindowRect(TopLevelOf(hwnd), &sc->startRect);
            SetCapture(hwnd);
            return 0;
        }
        if (!IsWindowEnabled(hwnd)) return 0;
        RECT bar;
        GetWindowRect(hwnd, &bar);
        TrackScrollBar(hwnd, SB_CTL, GetParent(hwnd), bar, pt);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (sc->sizing) {
            POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            ClientToScreen(hwnd, &pt);
            HWND top = TopLevelOf(hwnd);
            int wdt = std::max(40L, (long)(sc->startRect.right - sc->startRect.left + pt.x - sc->start.x));
            int hgt = std::max(30L, (long)(sc->startRect.bottom - sc->startRect.top + pt.y - sc->start.y));
            // The window's own tracking limits hold for the grip too.
            MINMAXINFO mmi{};
            mmi.ptMinTrackSize = POINT{40, 30};
            mmi.ptMaxTrackSize = POINT{std::max(GetSystemMetrics(SM_CXMAXTRACK), 32767), std::max(GetSystemMetrics(SM_CYMAXTRACK), 32767)};
            SendMessage(top, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
            wdt = std::clamp<int>(wdt, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
            hgt = std::clamp<int>(hgt, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
            RECT want{sc->startRect.left, sc->startRect.top, sc->startRect.left + wdt, sc->startRect.top + hgt};
            SendMessage(top, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&want);
            SetWindowPos(top, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (sc->sizing) {
            sc->sizing = false;
            if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        }
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        const bool vertical = (style & SBS_VERT) != 0;
        int code = -1;
        switch (w) {
        case VK_UP: code = vertical ? SB_LINEUP : -1; break;
        case VK_LEFT: code = vertical ? -1 : SB_LINELEFT; break;
        case VK_DOWN: code = vertical ? SB_LINEDOWN : -1; break;
        case VK_RIGHT: code = vertical ? -1 : SB_LINERIGHT; break;
        case VK_PRIOR: code = SB_PAGEUP; break;
        case VK_NEXT: code = SB_PAGEDOWN; break;
        case VK_HOME: code = SB_TOP; break;
        case VK_END: code = SB_BOTTOM; break;
        default: break;
        }
        if (code >= 0) {
            SendMessage(GetParent(hwnd), vertical ? WM_VSCROLL : WM_HSCROLL, (WPARAM)code, (LPARAM)hwnd);
            SendMessage(GetParent(hwnd), vertical ? WM_VSCROLL : WM_HSCROLL, SB_ENDSCROLL, (LPARAM)hwnd);
        }
        return 0;
    }
    case SBM_SETSCROLLINFO: return l ? SetScrollInfo(hwnd, SB_CTL, (const SCROLLINFO*)l, (BOOL)w) : 0;
    case SBM_GETSCROLLINFO: return l ? GetScrollInfo(hwnd, SB_CTL, (SCROLLINFO*)l) : FALSE;
    case SBM_SETPOS: return SetScrollPos(hwnd, SB_CTL, (int)w, (BOOL)l);
    case SBM_GETPOS: return GetScrollPos(hwnd, SB_CTL);
    case SBM_SETRANGE: return SetScrollRange(hwnd, SB_CTL, (int)w, (int)l, FALSE);
    case SBM_GETRANGE: return GetScrollRange(hwnd, SB_CTL, (int*)w, (int*)l);
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

// --- up-down -------------------------------------------------------------------

// UDS_ARROWKEYS: the buddy's Up and Down keys step the up-down. The buddy's
// own procedure is kept per buddy window.
std::mutex g_buddyLock;
std::unordered_map<HWND, std::pair<WNDPROC, HWND>>& Buddies()
{
    static std::unordered_map<HWND, std::pair<WNDPROC, HWND>> m;
    return m;
}

LRESULT BuddyProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    WNDPROC base = nullptr;
    HWND updown = nullptr;
    {
        std::lock_guard<std::mutex> g(g_buddyLock);
        auto it = Buddies().find(h);
        if (it != Buddies().end()) base = it->second.first, updown = it->second.second;
    }
    if (!base) return DefWindowProc(h, m, w, l);
    if (m == WM_KEYDOWN && (w == VK_UP || w == VK_DOWN) && IsWindow(updown)) {
        SendMessage(updown, WM_KEYDOWN, w, l);
        return 0;
    }
    if (m == WM_GETDLGCODE) return CallWindowProc(base, h, m, w, l) | DLGC_WANTARROWS;
    if (m == WM_NCDESTROY) {
        std::lock_guard<std::mutex> g(g_buddyLock);
        Buddies().erase(h);
    }
    return CallWindowProc(base, h, m, w, l);
}

void AttachBuddyKeys(HWND buddy, HWND updown)
{
    if (!buddy) return;
    std::lock_guard<std::mutex> g(g_buddyLock);
    auto it = Buddies().find(buddy);
    if (it != Buddies().end()) {
        it->second.second = updown;
        return;
    }
    WNDPROC old = (WNDPROC)GetWindowLongPtr(buddy, GWLP_WNDPROC);
    if (!old || old == BuddyProc) return;
    Buddies()[buddy] = {old, updown};
    SetWindowLongPtr(buddy, GWLP_WNDPROC, (LONG_PTR)BuddyProc);
}

struct UpDown {
    HWND hwnd = nullptr;
    int lo = 100, hi = 0;   // the default range runs backwards
    int pos = 0;
    HWND buddy = nullptr;
    int pressed = 0;   // +1 up (or right), -1 down (or left)
    bool tracking = false;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }

    void ReadBuddy()
    {
        if (!buddy || !(Style() & UDS_SETBUDDYINT)) return;
        std::string t = WindowTextOf(buddy);
        long long v = 0;
        bool neg = false, any = false;
        for (char c : t) {
            if (c == '-' && !any) neg = true;
            else if (c >= '0' && c <= '9') v = std::min(v * 10 + (c - '0'), (long long)INT_MAX + 1), any = true;
            else if (c == ',' || c == ' ') continue;
            else break;
        }
        if (any) pos = (int)std::clamp(neg ? -v : v, (long long)INT_MIN, (long long)INT_MAX);
    }

    void WriteBuddy()
    {
        if (!buddy || !(Style() & UDS_SETBUDDYINT)) return;
        std::string digits = std::to_string(std::abs((long long)pos));
        if (!(Style() & UDS_NOTHOUSANDS))
            for (int k = (int)digits.size() - 3; k > 0; k -= 3) digits.insert((size_t)k, ",");
        if (pos < 0) digits.insert(0, "-");
        SetWindowText(buddy, digits.c_str());
    }

    // One step up (+1) or down (-1): the parent may change the delta or veto.
    void Step(int dir)
    {
        ReadBuddy();
        NMUPDOWN nm{};
        nm.iPos = pos;
        nm.iDelta = (hi >= lo) ? dir : -dir;
        if (NotifyParent(hwnd, &nm.hdr, UDN_DELTAPOS)) return;
        const int mn = std::min(lo, hi), mx = std::max(lo, hi);
        long long next = (long long)pos + nm.iDelta;
        if (next > mx) next = (Style() & UDS_WRAP) ? mn : mx;
        if (next < mn) next = (Style() & UDS_WRAP) ? mx : mn;
        if ((int)next == pos) return;
        pos = (int)next;
        WriteBuddy();
        const bool horz = (Style() & UDS_HORZ) != 0;
        SendMessage(GetParent(hwnd), horz ? WM_HSCROLL : WM_VSCROLL, MAKELONG(SB_THUMBPOSITION, (WORD)pos),
                    (LPARAM)hwnd);
    }

    int PartAt(POINT pt) const
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (Style() & UDS_HORZ) return pt.x >= (rc.left + rc.right) / 2 ? 1 : -1;
        return pt.y < (rc.top + rc.bottom) / 2 ? 1 : -1;
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const bool horz = (Style() & UDS_HORZ) != 0;
        const bool disabled = !IsWindowEnabled(hwnd);
        RECT a = rc, b = rc;
        if (horz) a.right = b.left = (rc.left + rc.right) / 2;
        else a.bottom = b.top = (rc.top + rc.bottom) / 2;
        // a: up (or left), b: down (or right)
        PaintBevel(hdc, a, pressed == (horz ? -1 : 1));
        PaintBevel(hdc, b, pressed == (horz ? 1 : -1));
        PaintArrow(hdc, a, horz ? ArrowDir::Left : ArrowDir::Up, disabled);
        PaintArrow(hdc, b, horz ? ArrowDir::Right : ArrowDir::Down, disabled);
    }
};

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    UpDown* ud = ControlState<UpDown>(hwnd);
    if (msg == WM_NCCREATE) {
        ud = NewControlState<UpDown>(hwnd);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!ud) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { ud->Paint(hdc); })) return 0;
    switch (msg) {
    case WM_NCDESTROY:
        DeleteControlState(hwnd, ud);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!IsWindowEnabled(hwnd)) return 0;
        ud->pressed = ud->PartAt(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        // Horizontal: right is up.
        ud->tracking = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        ud->Step(ud->pressed);
        SetTimer(hwnd, 1, 400, nullptr);
        return 0;
    }
    case WM_TIMER:
        if (w == 1 && ud->tracking && ud->pressed) {
            SetTimer(hwnd, 1, 80, nullptr);
            ud->Step(ud->pressed);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (ud->tracking) {
            ud->tracking = false;
            ud->pressed = 0;
            KillTimer(hwnd, 1);
            if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
            InvalidateRect(hwnd, nullptr, TRUE);
            const bool horz = (ud->Style() & UDS_HORZ) != 0;
            SendMessage(GetParent(hwnd), horz ? WM_HSCROLL : WM_VSCROLL, MAKELONG(SB_ENDSCROLL, (WORD)ud->pos),
                        (LPARAM)hwnd);
        }
        return 0;
    case WM_KEYDOWN:
        if (w == VK_UP || w == VK_RIGHT) ud->Step(1);
        else if (w == VK_DOWN || w == VK_LEFT) ud->Step(-1);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case UDM_SETBUDDY: {
        HWND old = ud->buddy;
        ud->buddy = (HWND)w;
        if (ud->Style() & UDS_ARROWKEYS) AttachBuddyKeys(ud->buddy, hwnd);
        return (LRESULT)old;
    }
    case UDM_GETBUDDY: return (LRESULT)ud->buddy;
    case UDM_SETRANGE32:
        ud->lo = (int)(intptr_t)w;
        ud->hi = (int)l;
        ud->pos = std::clamp(ud->pos, std::min(ud->lo, ud->hi), std::max(ud->lo, ud->hi));
        return 0;
    case UDM_GETRANGE32:
        if (w) *(int*)w = ud->lo;
        if (l) *(int*)l = ud->hi;
        return 0;
    case UDM_SETPOS32: {
        int old = ud->pos;
        ud->pos = std::clamp((int)l, std::min(ud->lo, ud->hi), std::max(ud->lo, ud->hi));
        ud->WriteBuddy();
        return old;
    }
    case UDM_GETPOS32:
        ud->ReadBuddy();
        if (l) *(BOOL*)l = FALSE;
        return ud->pos;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}
}  // namespace

void RegisterScrollClasses()
{
    RegisterControlClass(WC_SCROLLBAR, ScrollBarProc);
    RegisterControlClass(UPDOWN_CLASS, UpDownProc);
}
