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

class ScrollCtl {
public:
    HWND hwnd = nullptr;

    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    CPressable sizing;   // the size grip's drag
    POINT start{};
    RECT startRect{};

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool IsGrip() const { return (Style() & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0; }
    void PaintGrip(HDC hdc, const RECT& rc);
    LRESULT OnSetCursor(WPARAM w, LPARAM l);
    LRESULT OnLButtonDown(POINT pt);
    LRESULT OnMouseMove(POINT pt);
    LRESULT OnLButtonUp();
    LRESULT OnCaptureChanged();
    LRESULT OnKeyDown(UINT vk);
};

void ScrollCtl::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const DWORD style = Style();
    if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
        PaintGrip(hdc, rc);
        return;
    }
    // The window manager's painter: bars of windows and controls look alike.
    CScrollBarState s;
    GetScrollBarState(hwnd, SB_CTL, &s);
    if (!IsWindowEnabled(hwnd)) s.disabled = ESB_DISABLE_BOTH;
    PaintScrollBarState(hdc, s, rc, (style & SBS_VERT) != 0);
}

// Three diagonal ridges in the corner.
void ScrollCtl::PaintGrip(HDC hdc, const RECT& rc)
{
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
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
}

LRESULT ScrollCtl::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETCURSOR: return OnSetCursor(w, l);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l));
    case WM_MOUSEMOVE: return OnMouseMove(PointOf(l));
    case WM_LBUTTONUP: return OnLButtonUp();
    case WM_CAPTURECHANGED: return OnCaptureChanged();
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: return OnKeyDown((UINT)w);
    case SBM_SETSCROLLINFO: return l ? SetScrollInfo(hwnd, SB_CTL, (const SCROLLINFO*)l, (BOOL)w) : 0;
    case SBM_GETSCROLLINFO: return l ? GetScrollInfo(hwnd, SB_CTL, (SCROLLINFO*)l) : FALSE;
    case SBM_SETPOS: return SetScrollPos(hwnd, SB_CTL, (int)w, (BOOL)l);
    case SBM_GETPOS: return GetScrollPos(hwnd, SB_CTL);
    case SBM_SETRANGE: return SetScrollRange(hwnd, SB_CTL, (int)w, (int)l, FALSE);
    case SBM_GETRANGE: return GetScrollRange(hwnd, SB_CTL, (int*)w, (int*)l);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT ScrollCtl::OnSetCursor(WPARAM w, LPARAM l)
{
    if (!IsGrip()) return DefWindowProc(hwnd, WM_SETCURSOR, w, l);
    SetCursor(LoadCursor(nullptr, IDC_SIZENWSE));
    return TRUE;
}

LRESULT ScrollCtl::OnLButtonDown(POINT pt)
{
    ClientToScreen(hwnd, &pt);
    if (IsGrip()) {
        start = pt;
        GetWindowRect(TopLevelOf(hwnd), &startRect);
        sizing.Down(hwnd);
        return 0;
    }
    if (!IsWindowEnabled(hwnd)) return 0;
    RECT bar;
    GetWindowRect(hwnd, &bar);
    TrackScrollBar(hwnd, SB_CTL, GetParent(hwnd), bar, pt);
    return 0;
}

LRESULT ScrollCtl::OnMouseMove(POINT pt)
{
    if (!sizing.tracking) return 0;
    ClientToScreen(hwnd, &pt);
    HWND top = TopLevelOf(hwnd);
    int wdt = std::max(40L, (long)(startRect.right - startRect.left + pt.x - start.x));
    int hgt = std::max(30L, (long)(startRect.bottom - startRect.top + pt.y - start.y));
    // The window's own tracking limits hold for the grip too.
    MINMAXINFO mmi{};
    mmi.ptMinTrackSize = POINT{40, 30};
    mmi.ptMaxTrackSize = POINT{std::max(GetSystemMetrics(SM_CXMAXTRACK), 32767), std::max(GetSystemMetrics(SM_CYMAXTRACK), 32767)};
    SendMessage(top, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    wdt = std::clamp<int>(wdt, mmi.ptMinTrackSize.x, std::max(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x));
    hgt = std::clamp<int>(hgt, mmi.ptMinTrackSize.y, std::max(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y));
    RECT want{startRect.left, startRect.top, startRect.left + wdt, startRect.top + hgt};
    SendMessage(top, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&want);
    SetWindowPos(top, nullptr, 0, 0, want.right - want.left, want.bottom - want.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT ScrollCtl::OnLButtonUp()
{
    sizing.End(hwnd);
    return 0;
}

LRESULT ScrollCtl::OnCaptureChanged()
{
    sizing.Lost(hwnd);
    return 0;
}

LRESULT ScrollCtl::OnKeyDown(UINT vk)
{
    const bool vertical = (Style() & SBS_VERT) != 0;
    int code = -1;
    switch (vk) {
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

class UpDown {
public:
    HWND hwnd = nullptr;

    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    int lo = 100, hi = 0;   // the default range runs backwards
    int pos = 0;
    HWND buddy = nullptr;
    CPressable press;   // part +1 up (or right), -1 down (or left)

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    void ReadBuddy();
    void WriteBuddy();
    void Step(int dir);
    int PartAt(POINT pt) const;

    LRESULT OnLButtonDown(POINT pt);
    LRESULT OnTimer(WPARAM id);
    LRESULT OnRelease(bool buttonUp);
    LRESULT OnKeyDown(UINT vk);
    LRESULT OnSetBuddy(HWND h);
    LRESULT OnSetRange(int low, int high);
    LRESULT OnGetRange(int* low, int* high) const;
    LRESULT OnSetPos(int p);
    LRESULT OnGetPos(BOOL* failed);
};

void UpDown::ReadBuddy()
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

void UpDown::WriteBuddy()
{
    if (!buddy || !(Style() & UDS_SETBUDDYINT)) return;
    std::string digits = std::to_string(std::abs((long long)pos));
    if (!(Style() & UDS_NOTHOUSANDS))
        for (int k = (int)digits.size() - 3; k > 0; k -= 3) digits.insert((size_t)k, ",");
    if (pos < 0) digits.insert(0, "-");
    SetWindowText(buddy, digits.c_str());
}

// One step up (+1) or down (-1): the parent may change the delta or veto.
void UpDown::Step(int dir)
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

int UpDown::PartAt(POINT pt) const
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (Style() & UDS_HORZ) return pt.x >= (rc.left + rc.right) / 2 ? 1 : -1;
    return pt.y < (rc.top + rc.bottom) / 2 ? 1 : -1;
}

void UpDown::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const bool horz = (Style() & UDS_HORZ) != 0;
    const bool disabled = !IsWindowEnabled(hwnd);
    RECT a = rc, b = rc;
    if (horz) a.right = b.left = (rc.left + rc.right) / 2;
    else a.bottom = b.top = (rc.top + rc.bottom) / 2;
    // a: up (or left), b: down (or right)
    PaintBevel(hdc, a, press.Held() == (horz ? -1 : 1));
    PaintBevel(hdc, b, press.Held() == (horz ? 1 : -1));
    PaintArrow(hdc, a, horz ? ArrowDir::Left : ArrowDir::Up, disabled);
    PaintArrow(hdc, b, horz ? ArrowDir::Right : ArrowDir::Down, disabled);
}

LRESULT UpDown::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l));
    case WM_TIMER: return OnTimer(w);
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: return OnRelease(msg == WM_LBUTTONUP);
    case WM_KEYDOWN: return OnKeyDown((UINT)w);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case UDM_SETBUDDY: return OnSetBuddy((HWND)w);
    case UDM_GETBUDDY: return (LRESULT)buddy;
    case UDM_SETRANGE32: return OnSetRange((int)(intptr_t)w, (int)l);
    case UDM_GETRANGE32: return OnGetRange((int*)w, (int*)l);
    case UDM_SETPOS32: return OnSetPos((int)l);
    case UDM_GETPOS32: return OnGetPos((BOOL*)l);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

// Horizontal: right is up. The held arrow steps at once, then repeats.
LRESULT UpDown::OnLButtonDown(POINT pt)
{
    if (!IsWindowEnabled(hwnd)) return 0;
    press.Down(hwnd, PartAt(pt));
    InvalidateRect(hwnd, nullptr, TRUE);
    const HWND self = hwnd;
    Step(press.part);
    if (IsWindow(self)) press.StartRepeat(hwnd, 400);
    return 0;
}

LRESULT UpDown::OnTimer(WPARAM id)
{
    if (press.Repeat(hwnd, id, 80)) Step(press.part);
    return 0;
}

LRESULT UpDown::OnRelease(bool buttonUp)
{
    if (!press.tracking) return 0;
    if (buttonUp) press.End(hwnd);
    else press.Lost(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    const bool horz = (Style() & UDS_HORZ) != 0;
    SendMessage(GetParent(hwnd), horz ? WM_HSCROLL : WM_VSCROLL, MAKELONG(SB_ENDSCROLL, (WORD)pos), (LPARAM)hwnd);
    return 0;
}

LRESULT UpDown::OnKeyDown(UINT vk)
{
    if (vk == VK_UP || vk == VK_RIGHT) Step(1);
    else if (vk == VK_DOWN || vk == VK_LEFT) Step(-1);
    return 0;
}

LRESULT UpDown::OnSetBuddy(HWND h)
{
    HWND old = buddy;
    buddy = h;
    if (Style() & UDS_ARROWKEYS) AttachBuddyKeys(buddy, hwnd);
    return (LRESULT)old;
}

LRESULT UpDown::OnSetRange(int low, int high)
{
    lo = low;
    hi = high;
    pos = std::clamp(pos, std::min(lo, hi), std::max(lo, hi));
    return 0;
}

LRESULT UpDown::OnGetRange(int* low, int* high) const
{
    if (low) *low = lo;
    if (high) *high = hi;
    return 0;
}

LRESULT UpDown::OnSetPos(int p)
{
    int old = pos;
    pos = std::clamp(p, std::min(lo, hi), std::max(lo, hi));
    WriteBuddy();
    return old;
}

LRESULT UpDown::OnGetPos(BOOL* failed)
{
    ReadBuddy();
    if (failed) *failed = FALSE;
    return pos;
}
}  // namespace

void RegisterScrollClasses()
{
    RegisterControlClass(WC_SCROLLBAR, ControlProc<ScrollCtl>);
    RegisterControlClass(UPDOWN_CLASS, ControlProc<UpDown>);
}
