#pragma once
// Scroll bars: one engine for the bars of a window (SB_HORZ, SB_VERT) and for
// scroll-bar controls (SB_CTL). Positions and the track position are 32-bit.
#include "platform/types.h"
#include "platform/user/scroll_bar_state.h"

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001u
#define SIF_PAGE 0x0002u
#define SIF_POS 0x0004u
#define SIF_DISABLENOSCROLL 0x0008u
#define SIF_TRACKPOS 0x0010u
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define ESB_ENABLE_BOTH 0x0000u
#define ESB_DISABLE_LTUP 0x0001u
#define ESB_DISABLE_RTDN 0x0002u
#define ESB_DISABLE_BOTH 0x0003u

#define WM_HSCROLL 0x0114u
#define WM_VSCROLL 0x0115u

struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};

// The engine: applies a SCROLLINFO (page clamped to 0..max-min+1, pos to
// min..max-max(page-1,0)); returns whether the bar is needed (the range is
// larger than the page).
bool ApplyScrollInfo(CScrollBarState& s, const SCROLLINFO& si);
void ReadScrollInfo(const CScrollBarState& s, SCROLLINFO& si);
bool ScrollBarNeeded(const CScrollBarState& s);

// Geometry of a bar lying in a rectangle: arrows, thumb, and the part under
// a point. Thumb length follows the page (at least the minimum thumb size).
enum class ScrollPart { None, ArrowUp, PageUp, Thumb, PageDown, ArrowDown };
struct ScrollBarLayout {
    RECT bar;
    bool vertical;
    int arrow;           // arrow length
    int thumbStart;      // along the bar, from its start
    int thumbLength;     // 0: no thumb (disabled or too small)
};
ScrollBarLayout LayoutScrollBar(const CScrollBarState& s, const RECT& bar, bool vertical);
ScrollPart ScrollPartAt(const ScrollBarLayout& l, POINT pt);
// The position a thumb dragged to `thumbStart` stands for.
int ScrollPosFromThumb(const CScrollBarState& s, const ScrollBarLayout& l, int thumbStart);

// Runs the tracking loop for a press at pt (screen) on a bar: sends
// WM_HSCROLL / WM_VSCROLL (or to `notify` for SB_CTL) with the SB_ codes,
// SB_THUMBTRACK carrying the 32-bit track position in the state. `barScreen`
// is the bar's rectangle in screen coordinates.
void TrackScrollBar(HWND hwnd, int bar, HWND notify, const RECT& barScreen, POINT pt);

// Draws a bar in a device context (window bars and scroll-bar controls
// look the same). hdc is an HDC.
void PaintScrollBarState(void* hdc, const CScrollBarState& s, const RECT& bar, bool vertical);
// The state of a bar (SB_CTL: a scroll-bar control's own).
bool GetScrollBarState(HWND hwnd, int bar, CScrollBarState* state);

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, BOOL redraw);
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* min, int* max);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
BOOL EnableScrollBar(HWND hwnd, int bar, UINT arrows);
