// Static text and buttons (push, default push, check, 3-state, radio, group
// box), and the registration of every control class.
#include <mutex>

#include "platform/controls/control_internal.h"

void RegisterTextBoxClasses();

namespace {

// --- static ---------------------------------------------------------------------

class StaticState {
public:
    HWND hwnd = nullptr;

    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    HFONT font = nullptr;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    LRESULT OnSetFont(HFONT f, bool redraw);
    LRESULT OnSetText(WPARAM w, LPARAM l);
    LRESULT OnClick(int code);
};

void StaticState::Paint(HDC hdc)
{
    const DWORD style = Style();
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
}

LRESULT StaticState::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_SETFONT: return OnSetFont((HFONT)w, LOWORD(l) != 0);
    case WM_GETFONT: return (LRESULT)font;
    case WM_SETTEXT: return OnSetText(w, l);
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST: return (Style() & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN: return OnClick(STN_CLICKED);
    case WM_LBUTTONDBLCLK: return OnClick(STN_DBLCLK);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT StaticState::OnSetFont(HFONT f, bool redraw)
{
    font = f;
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT StaticState::OnSetText(WPARAM w, LPARAM l)
{
    LRESULT r = DefWindowProc(hwnd, WM_SETTEXT, w, l);
    InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

LRESULT StaticState::OnClick(int code)
{
    if (Style() & SS_NOTIFY) NotifyParentCommand(hwnd, code);
    return 0;
}

// --- buttons --------------------------------------------------------------------

UINT TypeOf(HWND hwnd) { return (UINT)GetWindowLongPtr(hwnd, GWL_STYLE) & BS_TYPEMASK; }
bool IsRadio(UINT t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }
bool IsCheck(UINT t) { return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE; }

class ButtonState {
public:
    HWND hwnd = nullptr;

    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    HFONT font = nullptr;
    UINT check = BST_UNCHECKED;
    bool focused = false;
    bool spaceDown = false;
    CPressable press;

    UINT Type() const { return TypeOf(hwnd); }
    bool Pushed() const { return press.pressed || spaceDown; }
    void PaintOwnerDraw(HDC hdc, const RECT& rc, bool pushed, bool disabled);
    void PaintPush(HDC hdc, const RECT& rc, const std::string& text, bool defaultFrame, bool pushed, bool disabled);
    void PaintGroupBox(HDC hdc, const RECT& rc, HBRUSH bg, const std::string& text, bool disabled);
    void PaintCheckOrRadio(HDC hdc, const RECT& rc, DWORD style, const std::string& text, bool pushed, bool disabled);
    void Click();

    LRESULT OnSetFont(HFONT f, bool redraw);
    LRESULT OnSetText(WPARAM w, LPARAM l);
    LRESULT OnGetDlgCode() const;
    LRESULT OnSetFocus();
    LRESULT OnKillFocus();
    LRESULT OnLButtonDown();
    LRESULT OnMouseMove(POINT pt);
    LRESULT OnLButtonUp(POINT pt);
    LRESULT OnCaptureChanged();
    LRESULT OnKeyDown(UINT vk);
    LRESULT OnKeyUp(UINT vk);
    LRESULT OnSetCheck(UINT value);
    LRESULT OnSetState(bool on);
    LRESULT OnSetStyle(UINT type, bool redraw);
};

void ButtonState::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const DWORD style = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    const UINT type = style & BS_TYPEMASK;
    const bool disabled = !IsWindowEnabled(hwnd);
    const bool pushed = Pushed();
    const std::string text = WindowTextOf(hwnd);
    if (type == BS_OWNERDRAW) {
        PaintOwnerDraw(hdc, rc, pushed, disabled);
        return;
    }
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        PaintPush(hdc, rc, text, type == BS_DEFPUSHBUTTON, pushed, disabled);
        return;
    }
    HBRUSH bg = ControlColours(hwnd, hdc, WM_CTLCOLORSTATIC);
    // A group box leaves its inside to the controls it holds.
    if (type != BS_GROUPBOX) FillRect(hdc, &rc, bg);
    if (type == BS_GROUPBOX) {
        PaintGroupBox(hdc, rc, bg, text, disabled);
        return;
    }
    PaintCheckOrRadio(hdc, rc, style, text, pushed, disabled);
}

void ButtonState::PaintOwnerDraw(HDC hdc, const RECT& rc, bool pushed, bool disabled)
{
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (pushed ? ODS_SELECTED : 0) | (disabled ? ODS_DISABLED : 0) | (focused ? ODS_FOCUS : 0);
    dis.hwndItem = hwnd;
    dis.hDC = hdc;
    dis.rcItem = rc;
    SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
}

void ButtonState::PaintPush(HDC hdc, const RECT& rc, const std::string& text, bool defaultFrame, bool pushed,
                            bool disabled)
{
    PaintBevel(hdc, rc, pushed, defaultFrame);
    RECT t = rc;
    if (pushed) OffsetRect(&t, 1, 1);
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    PaintControlText(hdc, hwnd, text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE, disabled);
    if (focused) {
        RECT f = rc;
        InflateRect(&f, -4, -4);
        PaintFocus(hdc, f);
    }
}

void ButtonState::PaintGroupBox(HDC hdc, const RECT& rc, HBRUSH bg, const std::string& text, bool disabled)
{
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
}

// Check boxes and radio buttons: a 13-pixel box and the text beside it.
void ButtonState::PaintCheckOrRadio(HDC hdc, const RECT& rc, DWORD style, const std::string& text, bool pushed,
                                    bool disabled)
{
    const int box = 13;
    const bool leftText = (style & BS_LEFTTEXT) != 0;
    const int top = (rc.top + rc.bottom - box) / 2;
    RECT b{leftText ? rc.right - box : rc.left, top, leftText ? rc.right : rc.left + box, top + box};
    if (IsRadio(style & BS_TYPEMASK)) PaintRadio(hdc, b, check == BST_CHECKED, pushed, disabled);
    else PaintCheckBox(hdc, b, check, pushed, disabled);
    RECT t = rc;
    if (leftText) t.right = b.left - 4;
    else t.left = b.right + 4;
    PaintControlText(hdc, hwnd, text, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE, disabled);
    if (focused && !text.empty()) {
        HGDIOBJ old = SelectObject(hdc, ControlFont(hwnd));
        SIZE sz{};
        GetTextExtentPoint32(hdc, text.c_str(), (int)text.size(), &sz);
        SelectObject(hdc, old);
        RECT f{t.left - 1, (t.top + t.bottom - sz.cy) / 2 - 1, t.left + sz.cx + 1, (t.top + t.bottom + sz.cy) / 2 + 1};
        PaintFocus(hdc, f);
    }
}

// The click of a button: auto kinds change their state first.
void ButtonState::Click()
{
    const UINT type = Type();
    if (type == BS_AUTOCHECKBOX) {
        check = check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (type == BS_AUTO3STATE) {
        check = (check + 1) % 3;
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
        check = BST_CHECKED;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParentCommand(hwnd, BN_CLICKED);
}

LRESULT ButtonState::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_SETFONT: return OnSetFont((HFONT)w, LOWORD(l) != 0);
    case WM_GETFONT: return (LRESULT)font;
    case WM_ERASEBKGND: return 1;
    case WM_SETTEXT: return OnSetText(w, l);
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode();
    case WM_NCHITTEST: return Type() == BS_GROUPBOX ? HTTRANSPARENT : HTCLIENT;
    case WM_SETFOCUS: return OnSetFocus();
    case WM_KILLFOCUS: return OnKillFocus();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown();
    case WM_MOUSEMOVE: return OnMouseMove(PointOf(l));
    case WM_LBUTTONUP: return OnLButtonUp(PointOf(l));
    case WM_CAPTURECHANGED: return OnCaptureChanged();
    case WM_KEYDOWN: return OnKeyDown((UINT)w);
    case WM_KEYUP: return OnKeyUp((UINT)w);
    case WM_CHAR: return 0;
    case BM_CLICK: Click(); return 0;
    case BM_GETCHECK: return check;
    case BM_SETCHECK: return OnSetCheck((UINT)w);
    case BM_GETSTATE: return check | (Pushed() ? BST_PUSHED : 0) | (focused ? BST_FOCUS : 0);
    case BM_SETSTATE: return OnSetState(w != 0);
    case BM_SETSTYLE: return OnSetStyle((UINT)w, LOWORD(l) != 0);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT ButtonState::OnSetFont(HFONT f, bool redraw)
{
    font = f;
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnSetText(WPARAM w, LPARAM l)
{
    LRESULT r = DefWindowProc(hwnd, WM_SETTEXT, w, l);
    InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

LRESULT ButtonState::OnGetDlgCode() const
{
    const UINT type = Type();
    if (type == BS_GROUPBOX) return DLGC_STATIC;
    if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
    return DLGC_BUTTON;
}

LRESULT ButtonState::OnSetFocus()
{
    focused = true;
    InvalidateRect(hwnd, nullptr, TRUE);
    // A radio button reached by the arrow keys is clicked.
    if (Type() == BS_AUTORADIOBUTTON && check != BST_CHECKED && GetKeyState(VK_LBUTTON) >= 0 &&
        GetKeyState(VK_TAB) >= 0)
        Click();
    return 0;
}

LRESULT ButtonState::OnKillFocus()
{
    focused = false;
    spaceDown = false;
    press.Cancel(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnLButtonDown()
{
    if (Type() == BS_GROUPBOX) return 0;
    if (GetFocus() != hwnd) SetFocus(hwnd);
    press.Down(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnMouseMove(POINT pt)
{
    if (press.Move(hwnd, pt)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnLButtonUp(POINT pt)
{
    if (!press.tracking) return 0;
    const bool click = press.Up(hwnd, pt);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (click) Click();
    return 0;
}

LRESULT ButtonState::OnCaptureChanged()
{
    if (press.Lost(hwnd)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnKeyDown(UINT vk)
{
    if (vk == VK_SPACE) {
        spaceDown = true;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
}

LRESULT ButtonState::OnKeyUp(UINT vk)
{
    if (vk == VK_SPACE && spaceDown) {
        spaceDown = false;
        Click();
    }
    return 0;
}

LRESULT ButtonState::OnSetCheck(UINT v)
{
    const UINT type = Type();
    if (!IsCheck(type) && !IsRadio(type)) return 0;
    if (v > BST_INDETERMINATE || (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE))
        v = BST_CHECKED;
    if (v != check) {
        check = v;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return 0;
}

LRESULT ButtonState::OnSetState(bool on)
{
    press.pressed = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ButtonState::OnSetStyle(UINT type, bool redraw)
{
    DWORD st = (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE);
    SetWindowLongPtr(hwnd, GWL_STYLE, (LONG_PTR)((st & ~BS_TYPEMASK) | (type & BS_TYPEMASK)));
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}
}  // namespace

void RegisterListClasses();
void RegisterComboClasses();
void RegisterScrollClasses();
void RegisterBarClasses();
void RegisterTreeClass();
void RegisterListViewClass();
void RegisterToolbarClass();

void RegisterControlClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterControlClass(WC_STATIC, ControlProc<StaticState>);
        RegisterControlClass(WC_BUTTON, ControlProc<ButtonState>);
        RegisterTextBoxClasses();
        RegisterListClasses();
        RegisterComboClasses();
        RegisterScrollClasses();
        RegisterBarClasses();
        RegisterTreeClass();
        RegisterListViewClass();
        RegisterToolbarClass();
    });
}

// The levels below create controls by class name through user.
[[maybe_unused]] static const bool g_handedDown = (SetControlClassRegistrar(RegisterControlClasses), true);
