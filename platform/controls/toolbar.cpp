// The toolbar: normal, hot and disabled image lists (the caller owns them;
// setters return the old list), greyed images when no disabled list is set,
// check buttons, drop-down arrows with TBN_DROPDOWN, and row wrapping.
#include <algorithm>

#include "platform/controls/control_internal.h"

namespace {

struct Button {
    TBBUTTON b;
    std::string text;
};

class Toolbar {
public:
    HWND hwnd = nullptr;

    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    std::vector<Button> buttons;
    HIMAGELIST normal = nullptr, hot = nullptr, disabled = nullptr;
    int bw = 0, bh = 0;   // button size; 0: from the images
    int hotIndex = -1;
    CPressable press;   // part: the pressed button's index
    HFONT font = nullptr;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }

    SIZE ButtonSize() const
    {
        if (bw > 0 && bh > 0) return SIZE{bw, bh};
        int cx = 16, cy = 16;
        if (normal) ImageList_GetIconSize(normal, &cx, &cy);
        return SIZE{cx + 7, cy + 7};
    }
    static constexpr int kArrow = 12;
    static constexpr int kSep = 8;

    int Width(const Button& b) const
    {
        if (b.b.fsStyle & BTNS_SEP) return kSep;
        int w = ButtonSize().cx;
        if (b.b.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) w += kArrow;
        return w;
    }

    // Button rectangles; rows wrap at the client width (wrapable) or at TBSTATE_WRAP.
    std::vector<RECT> Layout(int* rows = nullptr) const
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const SIZE sz = ButtonSize();
        std::vector<RECT> out;
        int x = 0, y = 0, n = 1;
        for (const Button& b : buttons) {
            if (b.b.fsState & TBSTATE_HIDDEN) {
                out.push_back(RECT{0, 0, 0, 0});
                continue;
            }
            const int w = Width(b);
            if ((Style() & TBSTYLE_WRAPABLE) && x > 0 && x + w > rc.right && !(b.b.fsStyle & BTNS_SEP)) {
                x = 0;
                y += sz.cy;
                ++n;
            }
            out.push_back(RECT{x, y, x + w, y + sz.cy});
            x += w;
            if (b.b.fsState & TBSTATE_WRAP) {
                x = 0;
                y += sz.cy;
                ++n;
            }
        }
        if (rows) *rows = n;
        return out;
    }

    int HitTest(POINT pt) const
    {
        auto rects = Layout();
        for (size_t i = 0; i < rects.size(); ++i)
            if (PtInRect(&rects[i], pt) && !(buttons[i].b.fsStyle & BTNS_SEP)) return (int)i;
        return -1;
    }

    int IndexOf(int id) const
    {
        for (size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i].b.idCommand == id && !(buttons[i].b.fsStyle & BTNS_SEP)) return (int)i;
        return -1;
    }

    // A greyed copy of an image: every drawn pixel becomes the shadow colour.
    void DrawGreyed(HDC hdc, int image, int x, int y)
    {
        int cx = 16, cy = 16;
        ImageList_GetIconSize(normal, &cx, &cy);
        const COLORREF key = RGB(255, 0, 255);
        HDC mem = CreateCompatibleDC(hdc);
        HBITMAP bm = CreateBitmap(cx, cy, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(mem, bm);
        RECT all{0, 0, cx, cy};
        HBRUSH keyBrush = CreateSolidBrush(key);
        FillRect(mem, &all, keyBrush);
        DeleteObject(keyBrush);
        ImageList_Draw(normal, image, mem, 0, 0, ILD_TRANSPARENT);
        SelectObject(mem, old);
        std::vector<uint32_t> px((size_t)cx * (size_t)cy);
        GetBitmapBits(bm, (LONG)(px.size() * 4), px.data());
        const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        const uint32_t keyPx = 0xFF00FFu, shadowPx = ((uint32_t)GetRValue(shadow) << 16) |
                                                     ((uint32_t)GetGValue(shadow) << 8) | GetBValue(shadow);
        for (uint32_t& p : px)
            if ((p & 0xFFFFFFu) != keyPx) p = (p & 0xFF000000u) | shadowPx;
        SetBitmapBits(bm, (DWORD)(px.size() * 4), px.data());
        HIMAGELIST grey = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 0);
        ImageList_AddMasked(grey, bm, key);
        ImageList_Draw(grey, 0, hdc, x, y, ILD_TRANSPARENT);
        ImageList_Destroy(grey);
        DeleteObject(bm);
        DeleteDC(mem);
    }

    void Click(int i)
    {
        Button& b = buttons[(size_t)i];
        if (b.b.fsStyle & BTNS_CHECK) b.b.fsState ^= TBSTATE_CHECKED;
        InvalidateRect(hwnd, nullptr, TRUE);
        SendMessage(GetParent(hwnd), WM_COMMAND, MAKELONG(b.b.idCommand, 0), (LPARAM)hwnd);
    }

    void DropDown(int i)
    {
        NMTOOLBAR nm{};
        nm.iItem = buttons[(size_t)i].b.idCommand;
        nm.tbButton = buttons[(size_t)i].b;
        nm.rcButton = Layout()[(size_t)i];
        NotifyParent(hwnd, &nm.hdr, TBN_DROPDOWN);
    }

    LRESULT OnMouseMove(POINT pt);
    LRESULT OnLButtonDown(POINT pt);
    LRESULT OnLButtonUp();
    LRESULT OnCaptureChanged();
    LRESULT OnAddButtons(WPARAM n, const TBBUTTON* bs);
    LRESULT OnDeleteButton(WPARAM i);
    LRESULT OnSetStateBit(WPARAM id, BYTE bit, bool on);
    LRESULT OnHasStateBit(WPARAM id, BYTE bit) const;
    LRESULT OnSetState(WPARAM id, BYTE state);
    LRESULT OnGetState(WPARAM id) const;
    LRESULT OnGetButton(WPARAM i, TBBUTTON* out) const;
    LRESULT OnSetButtonInfo(WPARAM id, const TBBUTTONINFO* info);
    LRESULT OnGetItemRect(WPARAM i, RECT* out) const;
    LRESULT OnSetButtonSize(int cx, int cy);
    LRESULT OnAutoSize();
    LRESULT OnGetRows() const;
    LRESULT SwapImageList(HIMAGELIST& slot, HIMAGELIST list);
};

void Toolbar::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    auto rects = Layout();
    int cx = 16, cy = 16;
    if (normal) ImageList_GetIconSize(normal, &cx, &cy);
    const bool windowDisabled = !IsWindowEnabled(hwnd);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const Button& b = buttons[i];
        if (b.b.fsState & TBSTATE_HIDDEN) continue;
        RECT r = rects[i];
        if (b.b.fsStyle & BTNS_SEP) {
            RECT e{r.left + kSep / 2 - 1, r.top + 2, r.left + kSep / 2 + 1, r.bottom - 2};
            DrawEdge(hdc, &e, EDGE_ETCHED, BF_LEFT);
            continue;
        }
        const bool enabled = (b.b.fsState & TBSTATE_ENABLED) && !windowDisabled;
        const bool pressed = (b.b.fsState & TBSTATE_PRESSED) || ((int)i == press.part && press.pressed);
        const bool checked = (b.b.fsState & TBSTATE_CHECKED) != 0;
        const bool isHot = (int)i == hotIndex && enabled;
        if (pressed || checked) {
            RECT e = r;
            DrawEdge(hdc, &e, BDR_SUNKENOUTER, BF_RECT);
        } else if (isHot || !(Style() & TBSTYLE_FLAT)) {
            RECT e = r;
            DrawEdge(hdc, &e, BDR_RAISEDINNER, BF_RECT);
        }
        RECT face = r;
        if (b.b.fsStyle & BTNS_DROPDOWN) face.right -= kArrow;
        const int off = pressed || checked ? 1 : 0;
        const int ix = face.left + (face.right - face.left - cx) / 2 + off;
        const int iy = face.top + (face.bottom - face.top - cy) / 2 + off;
        if (b.b.iBitmap >= 0) {
            if (!enabled) {
                if (disabled) ImageList_Draw(disabled, b.b.iBitmap, hdc, ix, iy, ILD_TRANSPARENT);
                else if (normal) DrawGreyed(hdc, b.b.iBitmap, ix, iy);
            } else if (isHot && hot) {
                ImageList_Draw(hot, b.b.iBitmap, hdc, ix, iy, ILD_TRANSPARENT);
            } else if (normal) {
                ImageList_Draw(normal, b.b.iBitmap, hdc, ix, iy, ILD_TRANSPARENT);
            }
        }
        if (b.b.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) {
            RECT a{r.right - kArrow, r.top, r.right, r.bottom};
            if (b.b.fsStyle & BTNS_DROPDOWN) {
                RECT e = a;
                DrawEdge(hdc, &e, BDR_RAISEDINNER, BF_LEFT);
            }
            PaintArrow(hdc, a, ArrowDir::Down, !enabled);
        }
    }
}

LRESULT Toolbar::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: font = (HFONT)w; return 0;
    case WM_GETFONT: return (LRESULT)font;
    case WM_ENABLE:
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_MOUSEMOVE: return OnMouseMove(PointOf(l));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l));
    case WM_LBUTTONUP: return OnLButtonUp();
    case WM_CAPTURECHANGED: return OnCaptureChanged();
    case TB_ADDBUTTONS: return OnAddButtons(w, (const TBBUTTON*)l);
    case TB_DELETEBUTTON: return OnDeleteButton(w);
    case TB_BUTTONCOUNT: return (LRESULT)buttons.size();
    case TB_COMMANDTOINDEX: return IndexOf((int)w);
    case TB_ENABLEBUTTON: return OnSetStateBit(w, TBSTATE_ENABLED, LOWORD(l) != 0);
    case TB_CHECKBUTTON: return OnSetStateBit(w, TBSTATE_CHECKED, LOWORD(l) != 0);
    case TB_ISBUTTONENABLED: return OnHasStateBit(w, TBSTATE_ENABLED);
    case TB_ISBUTTONCHECKED: return OnHasStateBit(w, TBSTATE_CHECKED);
    case TB_SETSTATE: return OnSetState(w, (BYTE)LOWORD(l));
    case TB_GETSTATE: return OnGetState(w);
    case TB_GETBUTTON: return OnGetButton(w, (TBBUTTON*)l);
    case TB_SETBUTTONINFO: return OnSetButtonInfo(w, (const TBBUTTONINFO*)l);
    case TB_GETITEMRECT: return OnGetItemRect(w, (RECT*)l);
    case TB_SETBUTTONSIZE: return OnSetButtonSize(LOWORD(l), HIWORD(l));
    case TB_AUTOSIZE: return OnAutoSize();
    case TB_GETROWS: return OnGetRows();
    case TB_HITTEST: return l ? HitTest(*(const POINT*)l) : -1;
    case TB_SETIMAGELIST: return SwapImageList(normal, (HIMAGELIST)l);
    case TB_GETIMAGELIST: return (LRESULT)normal;
    case TB_SETHOTIMAGELIST: return SwapImageList(hot, (HIMAGELIST)l);
    case TB_GETHOTIMAGELIST: return (LRESULT)hot;
    case TB_SETDISABLEDIMAGELIST: return SwapImageList(disabled, (HIMAGELIST)l);
    case TB_GETDISABLEDIMAGELIST: return (LRESULT)disabled;
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

// A press follows the pointer over its button; without one the pointer
// lights the button under it.
LRESULT Toolbar::OnMouseMove(POINT pt)
{
    int i = HitTest(pt);
    if (press.tracking) {
        if (press.Follow(i)) InvalidateRect(hwnd, nullptr, TRUE);
    } else if (i != hotIndex) {
        hotIndex = i;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
}

LRESULT Toolbar::OnLButtonDown(POINT pt)
{
    int i = HitTest(pt);
    if (i < 0 || !(buttons[(size_t)i].b.fsState & TBSTATE_ENABLED)) return 0;
    const Button& b = buttons[(size_t)i];
    RECT r = Layout()[(size_t)i];
    // The arrow part of a drop-down button, or a whole drop-down button, drops at once.
    if ((b.b.fsStyle & BTNS_WHOLEDROPDOWN) || ((b.b.fsStyle & BTNS_DROPDOWN) && pt.x >= r.right - kArrow)) {
        DropDown(i);
        return 0;
    }
    press.Down(hwnd, i);
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT Toolbar::OnLButtonUp()
{
    if (!press.tracking) return 0;
    const int i = press.part;
    const bool click = press.End(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (click && i >= 0 && i < (int)buttons.size()) Click(i);
    return 0;
}

LRESULT Toolbar::OnCaptureChanged()
{
    if (press.Lost(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT Toolbar::OnAddButtons(WPARAM n, const TBBUTTON* bs)
{
    if (!bs) return FALSE;
    for (WPARAM k = 0; k < n; ++k) {
        Button b{bs[k], std::string()};
        if (bs[k].iString != -1 && bs[k].iString > 0xFFFF) b.text = (const char*)bs[k].iString;
        buttons.push_back(b);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnDeleteButton(WPARAM i)
{
    if ((int)i < 0 || (int)i >= (int)buttons.size()) return FALSE;
    buttons.erase(buttons.begin() + (ptrdiff_t)i);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnSetStateBit(WPARAM id, BYTE bit, bool on)
{
    int i = IndexOf((int)id);
    if (i < 0) return FALSE;
    BYTE& st = buttons[(size_t)i].b.fsState;
    st = on ? (BYTE)(st | bit) : (BYTE)(st & ~bit);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnHasStateBit(WPARAM id, BYTE bit) const
{
    int i = IndexOf((int)id);
    return i >= 0 && (buttons[(size_t)i].b.fsState & bit);
}

LRESULT Toolbar::OnSetState(WPARAM id, BYTE state)
{
    int i = IndexOf((int)id);
    if (i < 0) return FALSE;
    buttons[(size_t)i].b.fsState = state;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnGetState(WPARAM id) const
{
    int i = IndexOf((int)id);
    return i < 0 ? -1 : buttons[(size_t)i].b.fsState;
}

LRESULT Toolbar::OnGetButton(WPARAM i, TBBUTTON* out) const
{
    if ((int)i < 0 || (int)i >= (int)buttons.size() || !out) return FALSE;
    *out = buttons[i].b;
    return TRUE;
}

LRESULT Toolbar::OnSetButtonInfo(WPARAM id, const TBBUTTONINFO* info)
{
    int i = IndexOf((int)id);
    if (i < 0 || !info) return FALSE;
    if (info->dwMask & TBIF_STATE) buttons[(size_t)i].b.fsState = info->fsState;
    if (info->dwMask & TBIF_STYLE) buttons[(size_t)i].b.fsStyle = info->fsStyle;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnGetItemRect(WPARAM i, RECT* out) const
{
    if ((int)i < 0 || (int)i >= (int)buttons.size() || !out) return FALSE;
    *out = Layout()[i];
    return TRUE;
}

LRESULT Toolbar::OnSetButtonSize(int cx, int cy)
{
    bw = cx;
    bh = cy;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Toolbar::OnAutoSize()
{
    int rows = 1;
    Layout(&rows);
    RECT r;
    GetWindowRect(hwnd, &r);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, rows * ButtonSize().cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT Toolbar::OnGetRows() const
{
    int rows = 1;
    Layout(&rows);
    return rows;
}

// The setters return the old list: the lists are the caller's.
LRESULT Toolbar::SwapImageList(HIMAGELIST& slot, HIMAGELIST list)
{
    HIMAGELIST old = slot;
    slot = list;
    InvalidateRect(hwnd, nullptr, TRUE);
    return (LRESULT)old;
}
}  // namespace

void RegisterToolbarClass() { RegisterControlClass(TOOLBARCLASSNAME, ControlProc<Toolbar>); }
