// Painting of what the window manager draws itself in every back end:
// frames, captions with their close box, menu bars, window scroll bars,
// pop-up menus and the caret.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/scrollbar.h"
#include "platform/user/settings.h"
#include "platform/user/window_dc.h"
#include "platform/user/nonclient.h"
#include "platform/user/menu_internal.h"

namespace {

const int kMenuPad = 8;

void Fill(HDC dc, RECT r, int color)
{
    if (r.right > r.left && r.bottom > r.top) FillRect(dc, &r, GetSysColorBrush(color));
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF c)
{
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// The one bevel every raised button and sunken edge uses.
void Bevel(HDC dc, RECT r, bool raised)
{
    COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    if (!raised) std::swap(light, dark);
    Line(dc, r.left, r.bottom - 1, r.left, r.top, light);
    Line(dc, r.left, r.top, r.right - 1, r.top, light);
    Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, dark);
    Line(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, dark);
}

void Button(HDC dc, RECT r)
{
    Fill(dc, r, COLOR_BTNFACE);
    Bevel(dc, r, true);
}

// A small filled triangle pointing up (0), down (1), left (2) or right (3).
void Arrow(HDC dc, RECT r, int dir, COLORREF c)
{
    int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    for (int i = 0; i < 4; i++) {
        switch (dir) {
        case 0: Line(dc, cx - i, cy - 2 + i, cx + i + 1, cy - 2 + i, c); break;
        case 1: Line(dc, cx - i, cy + 1 - i, cx + i + 1, cy + 1 - i, c); break;
        case 2: Line(dc, cx - 2 + i, cy - i, cx - 2 + i, cy + i + 1, c); break;
        default: Line(dc, cx + 1 - i, cy - i, cx + 1 - i, cy + i + 1, c); break;
        }
    }
}

HFONT UiFont(bool bold)
{
    LOGFONT lf = UiLogFont();
    if (bold) lf.lfWeight = FW_BOLD;
    return CreateFontIndirect(&lf);
}

void Text(HDC dc, const std::string& text, RECT r, UINT format, COLORREF color, bool bold = false)
{
    HFONT f = UiFont(bold);
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    DrawText(dc, text.c_str(), (int)text.size(), &r, format);
    SelectObject(dc, old);
    DeleteObject(f);
}

void PaintScrollBar(HDC dc, const CScrollBarState& s, RECT bar, bool vertical)
{
    if (bar.right <= bar.left || bar.bottom <= bar.top) return;
    // A light track and a darker raised thumb: the thumb is seen where it is.
    Fill(dc, bar, COLOR_BTNFACE);
    ScrollBarLayout l = LayoutScrollBar(s, bar, vertical);
    RECT a1 = vertical ? RECT{bar.left, bar.top, bar.right, bar.top + l.arrow} : RECT{bar.left, bar.top, bar.left + l.arrow, bar.bottom};
    RECT a2 = vertical ? RECT{bar.left, bar.bottom - l.arrow, bar.right, bar.bottom} : RECT{bar.right - l.arrow, bar.top, bar.right, bar.bottom};
    COLORREF ink = GetSysColor(s.disabled == ESB_DISABLE_BOTH ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    Button(dc, a1);
    Button(dc, a2);
    Arrow(dc, a1, vertical ? 0 : 2, ink);
    Arrow(dc, a2, vertical ? 1 : 3, ink);
    if (l.thumbLength) {
        RECT t = vertical ? RECT{bar.left, bar.top + l.thumbStart, bar.right, bar.top + l.thumbStart + l.thumbLength}
                          : RECT{bar.left + l.thumbStart, bar.top, bar.left + l.thumbStart + l.thumbLength, bar.bottom};
        Fill(dc, t, COLOR_SCROLLBAR);
        Bevel(dc, t, true);
    }
}

void CaretInvert(HWND hwnd, const RECT& r, bool grey)
{
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    if (grey) {
        HBRUSH b = CreateHatchBrush(5 /* HS_DIAGCROSS */, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, b);
        PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATINVERT);
        SelectObject(dc, old);
        DeleteObject(b);
    } else {
        InvertRect(dc, &r);
    }
    ReleaseDC(hwnd, dc);
}

int MeasureMenuText(const char* text, int length)
{
    HDC dc = GetDC(nullptr);
    HFONT f = UiFont(false);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE sz{0, 0};
    GetTextExtentPoint32(dc, text, length, &sz);
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(nullptr, dc);
    return sz.cx;
}

// The drawing level takes over the caret and menu measuring once loaded.
const bool g_hooks = [] {
    SetCaretInverter(CaretInvert);
    SetMenuTextMeasure(MeasureMenuText);
    return true;
}();

void PaintMenuBar(HDC dc, HWND hwnd, RECT bar, POINT windowOrigin)
{
    Fill(dc, bar, COLOR_MENU);
    HMENU menu = GetMenu(hwnd);
    std::vector<CMenuItem> items = MenuItemsOf(menu);
    std::vector<RECT> rects = MenuBarRects(hwnd, menu);
    for (size_t i = 0; i < items.size() && i < rects.size(); i++) {
        RECT r = rects[i];
        OffsetRect(&r, -windowOrigin.x, -windowOrigin.y);
        bool hilite = (items[i].flags & MF_HILITE) != 0;
        if (hilite) Fill(dc, r, COLOR_HIGHLIGHT);
        COLORREF ink = GetSysColor(hilite ? COLOR_HIGHLIGHTTEXT : (items[i].flags & MF_GRAYED) ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
        Text(dc, items[i].text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, ink);
    }
}

}  // namespace

void PaintScrollBarState(void* hdc, const CScrollBarState& s, const RECT& bar, bool vertical)
{
    PaintScrollBar((HDC)hdc, s, bar, vertical);
}

void PaintNonClient(HWND hwnd)
{
    (void)g_hooks;
    CNcLayout l;
    RECT win;
    DWORD style, exStyle;
    CScrollBarState bars[2];
    std::string title;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return;
        l = NcLayoutOfLocked(*w);
        win = WindowScreenRectLocked(*w);
        style = w->style;
        exStyle = w->exStyle;
        bars[0] = w->scroll[SB_HORZ];
        bars[1] = w->scroll[SB_VERT];
        title = w->text;
    }
    int width = win.right - win.left, height = win.bottom - win.top;
    HDC dc = GetWindowDC(hwnd);
    if (!dc) return;
    // Keep off the client area.
    ExcludeClipRect(dc, l.client.left, l.client.top, l.client.right, l.client.bottom);
    bool active = GetActiveWindow() == GetAncestor(hwnd, GA_ROOT);
    if (l.border > 0) {
        RECT all{0, 0, width, height};
        Fill(dc, all, active ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER);
        HBRUSH frame = GetSysColorBrush(COLOR_WINDOWFRAME);
        FrameRect(dc, &all, frame);
        if (l.border > 1) {
            RECT in = all;
            InflateRect(&in, -1, -1);
            Bevel(dc, in, true);
        }
    }
    if (l.caption.right > l.caption.left) {
        Fill(dc, l.caption, active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
        RECT under{l.caption.left, l.caption.bottom, l.caption.right, l.caption.bottom + 1};
        Fill(dc, under, COLOR_BTNFACE);
        RECT t = l.caption;
        t.left += 4;
        if (l.closeBox.right > l.closeBox.left) t.right = l.closeBox.left - 2;
        Text(dc, title, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS,
             GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT), !l.smallCaption);
        if (l.closeBox.right > l.closeBox.left) {
            RECT b = l.closeBox;
            Button(dc, b);
            COLORREF ink = GetSysColor(COLOR_BTNTEXT);
            int s = std::min(b.right - b.left, b.bottom - b.top) / 2 - 2;
            int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
            Line(dc, cx - s, cy - s, cx + s, cy + s, ink);
            Line(dc, cx - s, cy + s - 1, cx + s, cy - s - 1, ink);
        }
    }
    if (l.menuBar.right > l.menuBar.left) PaintMenuBar(dc, hwnd, l.menuBar, POINT{win.left, win.top});
    if (exStyle & WS_EX_CLIENTEDGE) {
        RECT e{l.client.left - 2, l.client.top - 2, l.client.right + 2, l.client.bottom + 2};
        if (style & WS_VSCROLL) e.right += GetSystemMetrics(SM_CXVSCROLL);
        if (style & WS_HSCROLL) e.bottom += GetSystemMetrics(SM_CYHSCROLL);
        Bevel(dc, e, false);
        InflateRect(&e, -1, -1);
        FrameRect(dc, &e, GetSysColorBrush(COLOR_3DDKSHADOW));
    }
    PaintScrollBar(dc, bars[1], l.vscroll, true);
    PaintScrollBar(dc, bars[0], l.hscroll, false);
    Fill(dc, l.grip, COLOR_BTNFACE);
    ReleaseDC(hwnd, dc);
}

void PaintMenuPopupWindow(HWND popup)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(popup, &ps);
    if (!dc) return;
    HMENU menu = nullptr;
    std::vector<RECT> rects;
    int selected = -1;
    if (MenuPopupState(popup, &menu, &rects, &selected)) {
        RECT all;
        GetClientRect(popup, &all);
        Fill(dc, all, COLOR_MENU);
        Bevel(dc, all, true);
        std::vector<CMenuItem> items = MenuItemsOf(menu);
        for (size_t i = 0; i < items.size() && i < rects.size(); i++) {
            const CMenuItem& it = items[i];
            RECT r = rects[i];
            if (it.flags & MF_SEPARATOR) {
                int y = (r.top + r.bottom) / 2;
                Line(dc, r.left + 1, y - 1, r.right - 1, y - 1, GetSysColor(COLOR_BTNSHADOW));
                Line(dc, r.left + 1, y, r.right - 1, y, GetSysColor(COLOR_BTNHIGHLIGHT));
                continue;
            }
            bool hot = (int)i == selected;
            if (hot) Fill(dc, r, COLOR_HIGHLIGHT);
            bool grey = (it.flags & (MF_GRAYED | MF_DISABLED)) != 0;
            COLORREF ink = GetSysColor(grey ? COLOR_GRAYTEXT : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
            std::string label = it.text, accel;
            size_t tab = label.find('\t');
            if (tab != std::string::npos) {
                accel = label.substr(tab + 1);
                label = label.substr(0, tab);
            }
            RECT t{r.left + 20, r.top, r.right - kMenuPad, r.bottom};
            Text(dc, label, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE, ink);
            if (!accel.empty()) Text(dc, accel, RECT{t.left, t.top, t.right - 8, t.bottom}, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, ink);
            if (it.flags & MF_CHECKED) {
                int x = r.left + 6, y = (r.top + r.bottom) / 2;
                for (int k = 0; k < 2; k++) {
                    Line(dc, x, y + k - 1, x + 3, y + 2 + k, ink);
                    Line(dc, x + 3, y + 2 + k, x + 9, y - 4 + k, ink);
                }
            }
            if (it.sub) Arrow(dc, RECT{r.right - 14, r.top, r.right - 4, r.bottom}, 3, ink);
        }
    }
    EndPaint(popup, &ps);
}
