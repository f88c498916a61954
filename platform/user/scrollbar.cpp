// The scroll-bar engine, the bars of windows and their tracking loop.
#include "platform/user/scrollbar.h"

#include <algorithm>

#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

bool ScrollBarNeeded(const CScrollBarState& s)
{
    if (s.max <= s.min) return false;
    return (int64_t)s.page <= (int64_t)s.max - s.min;
}

static void ClampPos(CScrollBarState& s)
{
    int64_t top = (int64_t)s.max - std::max<int64_t>((int64_t)s.page - 1, 0);
    int64_t p = std::max<int64_t>(s.min, std::min<int64_t>(s.pos, top));
    s.pos = (int)std::max<int64_t>(p, s.min);
}

bool ApplyScrollInfo(CScrollBarState& s, const SCROLLINFO& si)
{
    if (si.fMask & SIF_RANGE) {
        s.min = si.nMin;
        s.max = std::max(si.nMin, si.nMax);
    }
    if (si.fMask & SIF_PAGE) s.page = si.nPage;
    int64_t span = (int64_t)s.max - s.min + 1;
    if ((int64_t)s.page > span) s.page = (UINT)span;
    if (si.fMask & SIF_POS) s.pos = si.nPos;
    ClampPos(s);
    return ScrollBarNeeded(s);
}

void ReadScrollInfo(const CScrollBarState& s, SCROLLINFO& si)
{
    if (si.fMask & SIF_RANGE) {
        si.nMin = s.min;
        si.nMax = s.max;
    }
    if (si.fMask & SIF_PAGE) si.nPage = s.page;
    if (si.fMask & SIF_POS) si.nPos = s.pos;
    if (si.fMask & SIF_TRACKPOS) si.nTrackPos = s.tracking ? s.trackPos : s.pos;
}

ScrollBarLayout LayoutScrollBar(const CScrollBarState& s, const RECT& bar, bool vertical)
{
    ScrollBarLayout l{bar, vertical, 0, 0, 0};
    int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    int thick = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    l.arrow = std::min(thick, length / 2);
    int track = length - 2 * l.arrow;
    int64_t span = (int64_t)s.max - s.min + 1;
    if (track <= 0 || span <= 0 || !ScrollBarNeeded(s) || s.disabled == ESB_DISABLE_BOTH) return l;
    int minThumb = GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB) / 2;
    int thumb = s.page ? (int)((int64_t)track * s.page / span) : GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
    thumb = std::max(thumb, minThumb);
    if (thumb > track) return l;
    int64_t range = span - std::max<int64_t>(s.page, 1);
    int pos = s.tracking ? s.trackPos : s.pos;
    int off = range > 0 ? (int)((int64_t)(track - thumb) * ((int64_t)pos - s.min) / range) : 0;
    l.thumbStart = l.arrow + off;
    l.thumbLength = thumb;
    return l;
}

ScrollPart ScrollPartAt(const ScrollBarLayout& l, POINT pt)
{
    if (!PtInRect(&l.bar, pt)) return ScrollPart::None;
    int along = l.vertical ? pt.y - l.bar.top : pt.x - l.bar.left;
    int length = l.vertical ? l.bar.bottom - l.bar.top : l.bar.right - l.bar.left;
    if (along < l.arrow) return ScrollPart::ArrowUp;
    if (along >= length - l.arrow) return ScrollPart::ArrowDown;
    if (!l.thumbLength) return ScrollPart::None;
    if (along < l.thumbStart) return ScrollPart::PageUp;
    if (along >= l.thumbStart + l.thumbLength) return ScrollPart::PageDown;
    return ScrollPart::Thumb;
}

int ScrollPosFromThumb(const CScrollBarState& s, const ScrollBarLayout& l, int thumbStart)
{
    int length = l.vertical ? l.bar.bottom - l.bar.top : l.bar.right - l.bar.left;
    int track = length - 2 * l.arrow - l.thumbLength;
    int64_t span = (int64_t)s.max - s.min + 1;
    int64_t range = span - std::max<int64_t>(s.page, 1);
    if (track <= 0 || range <= 0) return s.min;
    int64_t off = std::max(0, std::min(thumbStart - l.arrow, track));
    // Nearest position.
    return (int)(s.min + (off * range + track / 2) / track);
}

// ---- Bars of a window ----

namespace {

// Invalidates only the frame, where window bars live.
const RECT kNoClient{0, 0, 0, 0};

// Calls f on the bar under the window lock; false without a window.
template <class F>
bool WithBar(HWND hwnd, int bar, F f)
{
    if (bar < SB_HORZ || bar > SB_CTL) return false;
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    if (!w) return false;
    f(*w, w->scroll[bar]);
    return true;
}

// Shows or hides a window bar to match its state; the frame changes.
void SyncWindowBar(HWND hwnd, int bar, bool needed, bool disableNoScroll)
{
    if (bar == SB_CTL) return;
    DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    bool changed = false;
    WithBar(hwnd, bar, [&](CWindow& w, CScrollBarState& s) {
        bool show = needed || disableNoScroll;
        s.disabled = (!needed && disableNoScroll) ? ESB_DISABLE_BOTH : (needed ? 0u : s.disabled);
        bool has = (w.style & bit) != 0;
        if (show != has) {
            w.style = show ? (w.style | bit) : (w.style & ~bit);
            changed = true;
        }
        s.shown = show;
    });
    if (changed) SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

bool GetScrollBarState(HWND hwnd, int bar, CScrollBarState* state)
{
    return state && WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { *state = s; });
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw)
{
    if (!si) return 0;
    bool needed = false;
    int pos = 0;
    if (!WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) {
            needed = ApplyScrollInfo(s, *si);
            pos = s.pos;
        })) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (si->fMask & (SIF_RANGE | SIF_PAGE)) SyncWindowBar(hwnd, bar, needed, (si->fMask & SIF_DISABLENOSCROLL) != 0);
    if (redraw) {
        if (bar == SB_CTL) InvalidateInternal(hwnd, nullptr, true, false);
        else InvalidateInternal(hwnd, &kNoClient, false, true);
    }
    return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si)
{
    if (!si) return FALSE;
    return WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { ReadScrollInfo(s, *si); });
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    int old = GetScrollPos(hwnd, bar);
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw)
{
    SCROLLINFO si{sizeof si, SIF_RANGE, min, max, 0, 0, 0};
    SetScrollInfo(hwnd, bar, &si, redraw);
    return IsWindow(hwnd);
}

BOOL GetScrollRange(HWND hwnd, int bar, int* min, int* max)
{
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd, bar, &si)) return FALSE;
    if (min) *min = si.nMin;
    if (max) *max = si.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    if (!IsWindow(hwnd)) return FALSE;
    if (bar == SB_BOTH) {
        SyncWindowBar(hwnd, SB_HORZ, show != 0, false);
        SyncWindowBar(hwnd, SB_VERT, show != 0, false);
    } else if (bar == SB_CTL) {
        ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
    } else {
        SyncWindowBar(hwnd, bar, show != 0, false);
    }
    return TRUE;
}

BOOL EnableScrollBar(HWND hwnd, int bar, UINT arrows)
{
    bool ok = WithBar(hwnd, bar == SB_BOTH ? SB_HORZ : bar, [&](CWindow&, CScrollBarState& s) { s.disabled = arrows; });
    if (bar == SB_BOTH) WithBar(hwnd, SB_VERT, [&](CWindow&, CScrollBarState& s) { s.disabled = arrows; });
    if (ok) InvalidateInternal(hwnd, &kNoClient, false, true);
    return ok;
}

// ---- Tracking ----

void TrackScrollBar(HWND hwnd, int bar, HWND notify, const RECT& barScreen, POINT pt)
{
    CScrollBarState state;
    if (!WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { state = s; })) return;
    bool vertical = bar == SB_VERT || (bar == SB_CTL && barScreen.bottom - barScreen.top > barScreen.right - barScreen.left);
    UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
    HWND target = bar == SB_CTL ? notify : hwnd;
    LPARAM ctl = bar == SB_CTL ? (LPARAM)hwnd : 0;
    ScrollBarLayout l = LayoutScrollBar(state, barScreen, vertical);
    ScrollPart part = ScrollPartAt(l, pt);
    if (part == ScrollPart::None) return;
    auto send = [&](int code, int pos) {
        if (IsWindow(target)) SendMessage(target, msg, MAKELONG((WORD)code, (WORD)pos), ctl);
    };
    int grab = (vertical ? pt.y - barScreen.top : pt.x - barScreen.left) - l.thumbStart;
    SetCapture(hwnd);
    auto stepOf = [](ScrollPart p) {
        switch (p) {
        case ScrollPart::ArrowUp: return SB_LINEUP;
        case ScrollPart::ArrowDown: return SB_LINEDOWN;
        case ScrollPart::PageUp: return SB_PAGEUP;
        default: return SB_PAGEDOWN;
        }
    };
    if (part != ScrollPart::Thumb) send(stepOf(part), 0);
    else WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { s.tracking = true; s.trackPos = s.pos; });
    int trackPos = state.pos;
    MSG m;
    while (ModalLoopGetMessage(&m, hwnd)) {
        if (m.message == WM_MOUSEMOVE && part == ScrollPart::Thumb) {
            int along = vertical ? m.pt.y - barScreen.top : m.pt.x - barScreen.left;
            CScrollBarState now;
            WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { now = s; });
            int pos = ScrollPosFromThumb(now, LayoutScrollBar(now, barScreen, vertical), along - grab);
            if (pos != trackPos) {
                trackPos = pos;
                WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { s.trackPos = pos; });
                InvalidateInternal(hwnd, bar == SB_CTL ? nullptr : &kNoClient, false, bar != SB_CTL);
                send(SB_THUMBTRACK, pos);
            }
        } else if (m.message == WM_LBUTTONUP) {
            break;
        } else if (m.message == WM_KEYDOWN || m.message == WM_LBUTTONDOWN || m.message == WM_MOUSEMOVE) {
            // Swallowed while tracking.
        } else {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    if (part == ScrollPart::Thumb) {
        // The track position stays readable until SB_THUMBPOSITION is handled.
        send(SB_THUMBPOSITION, trackPos);
        WithBar(hwnd, bar, [&](CWindow&, CScrollBarState& s) { s.tracking = false; });
    }
    send(SB_ENDSCROLL, 0);
    if (GetCapture() == hwnd) ReleaseCapture();
}
