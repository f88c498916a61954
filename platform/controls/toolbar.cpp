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

struct Toolbar {
    HWND hwnd = nullptr;
    std::vector<Button> buttons;
    HIMAGELIST normal = nullptr, hot = nullptr, disabled = nullptr;
    int bw = 0, bh = 0;   // button size; 0: from the images
    int hotIndex = -1;
    int pressIndex = -1;
    bool pressInside = false;
    bool tracking = false;
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

    void Paint(HDC hdc)
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
            const bool pressed = (b.b.fsState & TBSTATE_PRESSED) || ((int)i == pressIndex && pressInside);
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
};

LRESULT ToolbarProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Toolbar* tb = ControlState<Toolbar>(hwnd);
    if (msg == WM_NCCREATE) {
        tb = NewControlState<Toolbar>(hwnd);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!tb) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { tb->Paint(hdc); })) return 0;
    const int count = (int)tb->buttons.size();
    auto byId = [&](WPARAM id) { return tb->IndexOf((int)id); };
    auto swap = [&](HIMAGELIST& slot) {
        HIMAGELIST old = slot;
        slot = (HIMAGELIST)l;
        InvalidateRect(hwnd, nullptr, TRUE);
        return (LRESULT)old;
    };
    switch (msg) {
    case WM_NCDESTROY:
        SetWindowLongPtr(hwnd, 0, 0);
        delete tb;   // the image lists are the caller's
        break;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        tb->font = (HFONT)w;
        return 0;
    case WM_GETFONT: return (LRESULT)tb->font;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SIZE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_MOUSEMOVE: {
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        int i = tb->HitTest(pt);
        if (tb->tracking) {
            bool inside = i == tb->pressIndex;
            if (inside != tb->pressInside) {
                tb->pressInside = inside;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
        } else if (i != tb->hotIndex) {
            tb->hotIndex = i;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        int i = tb->HitTest(pt);
        if (i < 0 || !(tb->buttons[(size_t)i].b.fsState & TBSTATE_ENABLED)) return 0;
        const Button& b = tb->buttons[(size_t)i];
        RECT r = tb->Layout()[(size_t)i];
        // The arrow part of a drop-down button, or a whole drop-down button, drops at once.
        if ((b.b.fsStyle & BTNS_WHOLEDROPDOWN) || ((b.b.fsStyle & BTNS_DROPDOWN) && pt.x >= r.right - Toolbar::kArrow)) {
            tb->DropDown(i);
            return 0;
        }
        tb->pressIndex = i;
        tb->pressInside = true;
        tb->tracking = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case WM_LBUTTONUP:
        if (tb->tracking) {
            const int i = tb->pressIndex;
            const bool click = tb->pressInside;
            tb->tracking = false;
            tb->pressIndex = -1;
            tb->pressInside = false;
            if (GetCapture() == hwnd) ReleaseCapture();
            InvalidateRect(hwnd, nullptr, TRUE);
            if (click && i >= 0 && i < (int)tb->buttons.size()) tb->Click(i);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (tb->tracking) {
            tb->tracking = false;
            tb->pressIndex = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case TB_ADDBUTTONS: {
        const TBBUTTON* bs = (const TBBUTTON*)l;
        if (!bs) return FALSE;
        for (WPARAM k = 0; k < w; ++k) {
            Button b{bs[k], std::string()};
            if (bs[k].iString != -1 && bs[k].iString > 0xFFFF) b.text = (const char*)bs[k].iString;
            tb->buttons.push_back(b);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_DELETEBUTTON:
        if ((int)w < 0 || (int)w >= count) return FALSE;
        tb->buttons.erase(tb->buttons.begin() + (ptrdiff_t)w);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TB_BUTTONCOUNT: return count;
    case TB_COMMANDTOINDEX: return byId(w);
    case TB_ENABLEBUTTON:
    case TB_CHECKBUTTON: {
        int i = byId(w);
        if (i < 0) return FALSE;
        BYTE bit = msg == TB_ENABLEBUTTON ? TBSTATE_ENABLED : TBSTATE_CHECKED;
        BYTE& st = tb->buttons[(size_t)i].b.fsState;
        st = LOWORD(l) ? (BYTE)(st | bit) : (BYTE)(st & ~bit);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_ISBUTTONENABLED: {
        int i = byId(w);
        return i >= 0 && (tb->buttons[(size_t)i].b.fsState & TBSTATE_ENABLED);
    }
    case TB_ISBUTTONCHECKED: {
        int i = byId(w);
        return i >= 0 && (tb->buttons[(size_t)i].b.fsState & TBSTATE_CHECKED);
    }
    case TB_SETSTATE: {
        int i = byId(w);
        if (i < 0) return FALSE;
        tb->buttons[(size_t)i].b.fsState = (BYTE)LOWORD(l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_GETSTATE: {
        int i = byId(w);
        return i < 0 ? -1 : tb->buttons[(size_t)i].b.fsState;
    }
    case TB_GETBUTTON: {
        if ((int)w < 0 || (int)w >= count || !l) return FALSE;
        *(TBBUTTON*)l = tb->buttons[w].b;
        return TRUE;
    }
    case TB_SETBUTTONINFO: {
        int i = byId(w);
        const TBBUTTONINFO* info = (const TBBUTTONINFO*)l;
        if (i < 0 || !info) return FALSE;
        if (info->dwMask & TBIF_STATE) tb->buttons[(size_t)i].b.fsState = info->fsState;
        if (info->dwMask & TBIF_STYLE) tb->buttons[(size_t)i].b.fsStyle = info->fsStyle;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TB_GETITEMRECT: {
        if ((int)w < 0 || (int)w >= count || !l) return FALSE;
        *(RECT*)l = tb->Layout()[w];
        return TRUE;
    }
    case TB_SETBUTTONSIZE:
        tb->bw = LOWORD(l);
        tb->bh = HIWORD(l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TB_AUTOSIZE: {
        int rows = 1;
        tb->Layout(&rows);
        RECT r;
        GetWindowRect(hwnd, &r);
        SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, rows * tb->ButtonSize().cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case TB_GETROWS: {
        int rows = 1;
        tb->Layout(&rows);
        return rows;
    }
    case TB_HITTEST: return l ? tb->HitTest(*(const POINT*)l) : -1;
    case TB_SETIMAGELIST: return swap(tb->normal);
    case TB_GETIMAGELIST: return (LRESULT)tb->normal;
    case TB_SETHOTIMAGELIST: return swap(tb->hot);
    case TB_GETHOTIMAGELIST: return (LRESULT)tb->hot;
    case TB_SETDISABLEDIMAGELIST: return swap(tb->disabled);
    case TB_GETDISABLEDIMAGELIST: return (LRESULT)tb->disabled;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}
}  // namespace

void RegisterToolbarClass() { RegisterControlClass(TOOLBARCLASSNAME, ToolbarProc); }
