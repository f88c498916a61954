// Static text and buttons (push, default push, check, 3-state, radio, group
// box), and the registration of every control class.
#include <mutex>

#include "platform/controls/control_internal.h"

void RegisterTextBoxClasses();

namespace {

struct StaticState {
    HFONT font = nullptr;
};

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    StaticState* st = ControlState<StaticState>(hwnd);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtr(hwnd, 0, (LONG_PTR) new StaticState);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!st) return DefWindowProc(hwnd, msg, w, l);
    const DWORD style = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            HBRUSH bg = ControlColours(hwnd, hdc, WM_CTLCOLORSTATIC);
            if ((style & SS_TYPEMASK) == SS_ETCHEDHORZ) {
                FillRect(hdc, &rc, bg);
                RECT e{rc.left, rc.top, rc.right, rc.top + 2};
                DrawEdge(hdc, &e, EDGE_ETCHED, BF_TOP);
                return;
            }
            FillRect(hdc, &rc, bg);
            if (style & SS_SUNKEN) {
                PaintSunkenFrame(hdc, rc);
                InflateRect(&rc, -2, -2);
            }
            UINT fmt = DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            if ((style & SS_TYPEMASK) == SS_CENTER) fmt |= DT_CENTER;
            else if ((style & SS_TYPEMASK) == SS_RIGHT) fmt |= DT_RIGHT;
            const COLORREF c = GetTextColor(hdc);
            if (IsWindowEnabled(hwnd)) {
                HGDIOBJ old = SelectObject(hdc, ControlFont(hwnd));
                SetBkMode(hdc, TRANSPARENT);
                std::string t = WindowTextOf(hwnd);
                DrawText(hdc, t.c_str(), (int)t.size(), &rc, fmt);
                SelectObject(hdc, old);
            } else {
                PaintControlText(hdc, hwnd, WindowTextOf(hwnd), rc, fmt, true);
            }
            SetTextColor(hdc, c);
        }))
        return 0;
    switch (msg) {
    case WM_NCDESTROY:
        delete st;
        SetWindowLongPtr(hwnd, 0, 0);
        break;
    case WM_SETFONT:
        st->font = (HFONT)w;
        if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)st->font;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(hwnd, msg, w, l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST: return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
        if (style & SS_NOTIFY) NotifyParentCommand(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (style & SS_NOTIFY) NotifyParentCommand(hwnd, STN_DBLCLK);
        return 0;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

struct ButtonState {
    HFONT font = nullptr;
    UINT check = BST_UNCHECKED;
    bool focused = false;
    bool spaceDown = false;
    CPressable press;
};

UINT TypeOf(HWND hwnd) { return (UINT)GetWindowLongPtr(hwnd, GWL_STYLE) & BS_TYPEMASK; }
bool IsRadio(UINT t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }
bool IsCheck(UINT t) { return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE; }

void PaintButton(HWND hwnd, ButtonState* bs, HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const DWORD style = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    const UINT type = style & BS_TYPEMASK;
    const bool disabled = !IsWindowEnabled(hwnd);
    const bool pushed = bs->press.pressed || bs->spaceDown;
    const std::string text = WindowTextOf(hwnd);
    if (type == BS_OWNERDRAW) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = (pushed ? ODS_SELECTED : 0) | (disabled ? ODS_DISABLED : 0) | (bs->focused ? ODS_FOCUS : 0);
        dis.hwndItem = hwnd;
        dis.hDC = hdc;
        dis.rcItem = rc;
        SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
        return;
    }
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        PaintBevel(hdc, rc, pushed, type == BS_DEFPUSHBUTTON);
        RECT t = rc;
        if (pushed) OffsetRect(&t, 1, 1);
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        PaintControlText(hdc, hwnd, text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE, disabled);
        if (bs->focused) {
            RECT f = rc;
            InflateRect(&f, -4, -4);
            PaintFocus(hdc, f);
        }
        return;
    }
    HBRUSH bg = ControlColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    // A group box leaves its inside to the controls it holds.
    if (type != BS_GROUPBOX) FillRect(hdc, &rc, bg);
    if (type == BS_GROUPBOX) {
        HGDIOBJ old = SelectObject(hdc, ControlFont(hwnd));
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SIZE sz{};
        GetTextExtentPoint32(hdc, text.c_str(), (int)text.size(), &sz);
        SelectObject(hdc, old);
        RECT frame{rc.left, rc.top + tm.tmHeight / 2, rc.right, rc.bottom};
        DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
        if (!text.empty()) {
            RECT t{rc.left + 8, rc.top, rc.left + 8 + sz.cx + 4, rc.top + tm.tmHeight};
            FillRect(hdc, &t, bg);
            t.left += 2;
            PaintControlText(hdc, hwnd, text, t, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX, disabled);
        }
        return;
    }
    // Check boxes and radio buttons: a 13-pixel box and the text beside it.
    const int box = 13;
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int top = (rc.top + rc.bottom - box) / 2;
    RECT b{leftText ? rc.right - box : rc.left, top, leftText ? rc.right : rc.left + box, top + box};
    if (IsRadio(type)) PaintRadio(hdc, b, bs->check == BST_CHECKED, pushed, disabled);
    else PaintCheckBox(hdc, b, bs->check, pushed, disabled);
    RECT t = rc;
    if (leftText) t.right = b.left - 4;
    else t.left = b.right + 4;
    PaintControlText(hdc, hwnd, text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE, disabled);
    if (bs->focused && !text.empty()) {
        HGDIOBJ old = SelectObject(hdc, ControlFont(hwnd));
        SIZE sz{};
        GetTextExtentPoint32(hdc, text.c_str(), (int)text.size(), &sz);
        SelectObject(hdc, old);
        RECT f{t.left - 1, (t.top + t.bottom - sz.cy) / 2 - 1, t.left + sz.cx + 1, (t.top + t.bottom + sz.cy) / 2 + 1};
        PaintFocus(hdc, f);
    }
}

// The click of a button: auto kinds change their state first.
void Click(HWND hwnd, ButtonState* bs)
{
    const UINT type = TypeOf(hwnd);
    if (type == BS_AUTOCHECKBOX) {
        bs->check = bs->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (type == BS_AUTO3STATE) {
        bs->check = (bs->check + 1) % 3;
    } else if (type == BS_AUTORADIOBUTTON) {
        // Checks this one and clears the others of its group.
        HWND parent = GetParent(hwnd);
        if (parent) {
            HWND h = hwnd;
            for (int guard = 0; guard < 1000; ++guard) {
                h = GetNextDlgGroupItem(parent, h, FALSE);
                if (!h || h == hwnd) break;
                if (TypeOf(h) == BS_AUTORADIOBUTTON) SendMessage(h, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        bs->check = BST_CHECKED;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParentCommand(hwnd, BN_CLICKED);
}

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ButtonState* bs = ControlState<ButtonState>(hwnd);
    if (msg == WM_NCCREATE) {
        SetWindowLongPtr(hwnd, 0, (LONG_PTR) new ButtonState);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!bs) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { PaintButton(hwnd, bs, hdc); })) return 0;
    const UINT type = TypeOf(hwnd);
    switch (msg) {
    case WM_NCDESTROY:
        delete bs;
        SetWindowLongPtr(hwnd, 0, 0);
        break;
    case WM_SETFONT:
        bs->font = (HFONT)w;
        if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)bs->font;
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: {
        LRESULT r = DefWindowProc(hwnd, msg, w, l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE:
        if (type == BS_GROUPBOX) return DLGC_STATIC;
        if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    case WM_NCHITTEST: return type == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
    case WM_SETFOCUS:
        bs->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        // A radio button reached by the arrow keys is clicked.
        if (type == BS_AUTORADIOBUTTON && bs->check != BST_CHECKED && GetKeyState(VK_LBUTTON) >= 0 &&
            GetKeyState(VK_TAB) >= 0)
            Click(hwnd, bs);
        return 0;
    case WM_KILLFOCUS:
        bs->focused = false;
        bs->spaceDown = false;
        bs->press.Cancel(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX) return 0;
        if (GetFocus() != hwnd) SetFocus(hwnd);
        bs->press.Down(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        if (bs->press.Move(hwnd, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)})) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP:
        if (bs->press.tracking) {
            const bool click = bs->press.Up(hwnd, POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
            InvalidateRect(hwnd, nullptr, TRUE);
            if (click) Click(hwnd, bs);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (bs->press.tracking) {
            bs->press.tracking = false;
            bs->press.pressed = false;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_KEYDOWN:
        if (w == VK_SPACE) {
            bs->spaceDown = true;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_KEYUP:
        if (w == VK_SPACE && bs->spaceDown) {
            bs->spaceDown = false;
            Click(hwnd, bs);
        }
        return 0;
    case WM_CHAR:
        if (w == ' ' && IsCheck(type)) return 0;
        return 0;
    case BM_CLICK:
        Click(hwnd, bs);
        return 0;
    case BM_GETCHECK: return bs->check;
    case BM_SETCHECK:
        if (IsCheck(type) || IsRadio(type)) {
            UINT v = (UINT)w;
            if (v > BST_INDETERMINATE || (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE))
                v = BST_CHECKED;
            if (v != bs->check) {
                bs->check = v;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            // A checked radio button is the group's tab stop.
        }
        return 0;
    case BM_GETSTATE:
        return bs->check | (bs->press.pressed || bs->spaceDown ? BST_PUSHED : 0) | (bs->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        bs->press.pressed = w != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_SETSTYLE: {
        DWORD st = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
        SetWindowLongPtr(hwnd, GWL_STYLE, (LONG_PTR)((st & ~BS_TYPEMASK) | (w & BS_TYPEMASK)));
        if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}
}  // namespace

void RegisterListClasses();
void RegisterScrollClasses();
void RegisterBarClasses();
void RegisterTreeClass();
void RegisterListViewClass();
void RegisterToolbarClass();

void RegisterControlClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterControlClass(WC_STATIC, StaticProc);
        RegisterControlClass(WC_BUTTON, ButtonProc);
        RegisterTextBoxClasses();
        RegisterListClasses();
        RegisterScrollClasses();
        RegisterBarClasses();
        RegisterTreeClass();
        RegisterListViewClass();
        RegisterToolbarClass();
    });
}
