// The combo box (drop-down, drop-down list, simple; owner draw): its list
// is a non-activating top-most pop-up so it is never clipped by the dialog.
#include <algorithm>
#include <cstring>

#include "platform/controls/list_box.h"

namespace {

struct Combo {
    HWND hwnd = nullptr;
    HWND list = nullptr;
    HWND edit = nullptr;
    bool dropped = false;
    bool focused = false;
    int selAtDrop = -1;
    int field = -1;   // the choice the field shows while the list is down (SyncEdit)
    HFONT font = nullptr;
    int itemHeight = 0;
    int droppedWidth = 0;  // the list's least width (CB_SETDROPPEDWIDTH)
    int dropHeight = 0;   // what the creator asked beyond the field: the list's height

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    UINT Kind() const { return Style() & 3u; }
    // The height of the closed combo: one line of its font and a frame.
    int FieldHeight() const
    {
        if (itemHeight > 0) return itemHeight + 6;
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        return (int)tm.tmHeight + 8;
    }
    bool OwnerDraw() const { return (Style() & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
    int Cur() const { return (int)SendMessage(list, LB_GETCURSEL, 0, 0); }
    int Count() const { return (int)SendMessage(list, LB_GETCOUNT, 0, 0); }
    int ButtonWidth() const { return GetSystemMetrics(SM_CXVSCROLL); }

    std::string ItemText(int i) const
    {
        int n = (int)SendMessage(list, LB_GETTEXTLEN, (WPARAM)i, 0);
        if (n < 0) return {};
        std::string s((size_t)n + 1, '\0');
        SendMessage(list, LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
        s.resize((size_t)n);
        return s;
    }

    // The list's selection became the choice.
    void SyncEdit()
    {
        field = Cur();
        if (edit) SetWindowText(edit, Cur() >= 0 ? ItemText(Cur()).c_str() : "");
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void Drop(bool show)
    {
        if (show == dropped) return;
        if (show) {
            NotifyParentCommand(hwnd, CBN_DROPDOWN);
            RECT r;
            GetWindowRect(hwnd, &r);
            int ih = (int)SendMessage(list, LB_GETITEMHEIGHT, 0, 0);
            int n = std::clamp(Count(), 1, 8);
            // As tall as the items, within what the creator gave the list.
            int h = n * ih + 2;
            if (dropHeight > ih) h = std::min(h, dropHeight);
            SetWindowPos(list, HWND_TOPMOST, r.left, r.bottom, std::max((int)(r.right - r.left), droppedWidth), h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
            selAtDrop = Cur();
            field = selAtDrop;
            // The current choice highlighted and in view at the list's new height.
            SendMessage(list, LB_SETCURSEL, (WPARAM)selAtDrop, 0);
            dropped = true;
            SetCapture(list);
        } else {
            dropped = false;
            if (GetCapture() == list) ReleaseCapture();
            ShowWindow(list, SW_HIDE);
            NotifyParentCommand(hwnd, CBN_CLOSEUP);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const bool disabled = !IsWindowEnabled(hwnd);
        HBRUSH bg = ControlColours(hwnd, hdc, WM_CTLCOLOREDIT);
        FillRect(hdc, &rc, bg);
        PaintSunkenFrame(hdc, rc);
        RECT btn{rc.right - 2 - ButtonWidth(), rc.top + 2, rc.right - 2, rc.bottom - 2};
        PaintBevel(hdc, btn, dropped);
        PaintArrow(hdc, btn, ArrowDir::Down, disabled);
        if (Kind() != CBS_DROPDOWNLIST) return;
        RECT field{rc.left + 3, rc.top + 3, btn.left - 1, rc.bottom - 3};
        // Pointing into the open list moves its highlight, not the choice.
        const int cur = dropped ? this->field : Cur();
        if (OwnerDraw()) {
            DRAWITEMSTRUCT dis{};
            dis.CtlType = ODT_COMBOBOX;
            dis.CtlID = (UINT)GetDlgCtrlID(hwnd);
            dis.itemID = (UINT)cur;   // (UINT)-1 without a selection
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = ODS_COMBOBOXEDIT | (focused && !dropped ? ODS_SELECTED | ODS_FOCUS : 0) |
                            (disabled ? ODS_DISABLED : 0);
            dis.hwndItem = hwnd;
            dis.hDC = hdc;
            dis.rcItem = field;
            dis.itemData = cur >= 0 ? (UINT_PTR)SendMessage(list, LB_GETITEMDATA, (WPARAM)cur, 0) : 0;
            SendMessage(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
            return;
        }
        const bool sel = focused && !dropped;
        if (sel) FillRect(hdc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        HGDIOBJ old = SelectObject(hdc, ControlFont(hwnd));
        SetBkMode(hdc, TRANSPARENT);
        std::string t = cur >= 0 ? ItemText(cur) : std::string();
        RECT tr = field;
        tr.left += 2;
        DrawText(hdc, t.c_str(), (int)t.size(), &tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(hdc, old);
        if (sel) PaintFocus(hdc, field);
    }

    void SelectByKey(int i)
    {
        const int before = Cur();
        SendMessage(list, LB_SETCURSEL, (WPARAM)i, 0);
        if (Cur() != before) {
            SyncEdit();
            // Keys on a closed list change the selection at once.
            if (!dropped) NotifyParentCommand(hwnd, CBN_SELCHANGE);
        }
    }

    bool Key(UINT vk)
    {
        const bool alt = GetKeyState(VK_MENU) < 0;
        if (vk == VK_F4 || (alt && (vk == VK_DOWN || vk == VK_UP))) {
            if (dropped) Close(true);
            else Drop(true);
            return true;
        }
        if (dropped && (vk == VK_RETURN || vk == VK_ESCAPE)) {
            Close(vk == VK_RETURN);
            return true;
        }
        const int n = Count();
        if (n == 0) return false;
        int cur = Cur(), i;
        switch (vk) {
        case VK_UP: i = std::max(0, cur - 1); break;
        case VK_DOWN: i = std::min(n - 1, cur + 1); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = n - 1; break;
        case VK_PRIOR: i = std::max(0, cur - 8); break;
        case VK_NEXT: i = std::min(n - 1, cur + 8); break;
        default: return false;
        }
        if (dropped) {
            SendMessage(list, LB_SETCURSEL, (WPARAM)i, 0);
            SyncEdit();
        } else {
            SelectByKey(i);
        }
        return true;
    }

    void Close(bool accept)
    {
        if (!dropped) return;
        const int now = Cur();
        if (!accept) {
            SendMessage(list, LB_SETCURSEL, (WPARAM)selAtDrop, 0);
            SyncEdit();
        }
        Drop(false);
        NotifyParentCommand(hwnd, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
        if (accept && now != selAtDrop) NotifyParentCommand(hwnd, CBN_SELCHANGE);
    }

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnComboMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnCreate(const CREATESTRUCT* cs);
    LRESULT OnWindowPosChanging(WINDOWPOS* wp);
    LRESULT OnDestroy();
    LRESULT OnSetFont(WPARAM w, LPARAM l);
    LRESULT OnSetFocus();
    LRESULT OnKillFocus();
    LRESULT OnKeyDown(WPARAM w, LPARAM l);
    LRESULT OnSysKeyDown(WPARAM w, LPARAM l);
    LRESULT OnChar(WPARAM ch);
    LRESULT OnLButtonDown();
    LRESULT OnChosen();
    LRESULT OnCommand(WPARAM w, LPARAM l);
    LRESULT OnSetText(WPARAM w, LPARAM l);
    LRESULT OnGetText(WPARAM w, LPARAM l);
    LRESULT OnGetTextLength();
    LRESULT Forward(UINT listMsg, WPARAM w, LPARAM l) { return SendMessage(list, listMsg, w, l); }
    LRESULT ForwardAndSync(UINT listMsg, WPARAM w, LPARAM l);
    LRESULT OnAddString(WPARAM w, LPARAM l);
    LRESULT OnSetDroppedWidth(int width);
    LRESULT OnGetDroppedWidth();
    LRESULT OnSetItemHeight(WPARAM w, LPARAM l);
    LRESULT OnGetItemHeight(WPARAM w);
    LRESULT OnShowDropDown(bool show);
    LRESULT OnEditMessage(UINT editMsg, WPARAM w, LPARAM l, LRESULT without);
};


LRESULT Combo::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    // WS_VSCROLL and WS_HSCROLL are meant for the list: the closed box
    // shows no scroll bar of its own.
    SetWindowLongPtr(hwnd, GWL_STYLE, GetWindowLongPtr(hwnd, GWL_STYLE) & ~(LONG_PTR)(WS_VSCROLL | WS_HSCROLL));
    NewControlState<Combo>(hwnd);
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

LRESULT Combo::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_CREATE: return OnCreate((const CREATESTRUCT*)l);
    case WM_WINDOWPOSCHANGING: return OnWindowPosChanging((WINDOWPOS*)l);
    case WM_DESTROY: return OnDestroy();
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: return OnSetFont(w, l);
    case WM_GETFONT: return (LRESULT)font;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (dropped ? DLGC_WANTALLKEYS : 0);
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS: return OnSetFocus();
    case WM_KILLFOCUS: return OnKillFocus();
    case WM_KEYDOWN: return OnKeyDown(w, l);
    case WM_SYSKEYDOWN: return OnSysKeyDown(w, l);
    case WM_CHAR: return OnChar(w);
    case WM_LBUTTONDOWN: return OnLButtonDown();
    case WM_APP + 1: return 0;   // from the list
    case WM_APP + 2: return OnChosen();
    case WM_COMMAND: return OnCommand(w, l);
    case WM_SETTEXT: return OnSetText(w, l);
    case WM_GETTEXT: return OnGetText(w, l);
    case WM_GETTEXTLENGTH: return OnGetTextLength();
    default: return OnComboMessage(msg, w, l);
    }
}

// The CB_ messages: most are the list's own.
LRESULT Combo::OnComboMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case CB_ADDSTRING: return OnAddString(w, l);
    case CB_INSERTSTRING: return Forward(LB_INSERTSTRING, w, l);
    case CB_DELETESTRING: return ForwardAndSync(LB_DELETESTRING, w, l);
    case CB_RESETCONTENT:
        ForwardAndSync(LB_RESETCONTENT, w, l);
        return CB_OKAY;
    case CB_GETCOUNT: return Forward(LB_GETCOUNT, w, l);
    case CB_GETCURSEL: return Forward(LB_GETCURSEL, w, l);
    case CB_SETCURSEL: return ForwardAndSync(LB_SETCURSEL, w, l);
    case CB_GETLBTEXT: return Forward(LB_GETTEXT, w, l);
    case CB_GETLBTEXTLEN: return Forward(LB_GETTEXTLEN, w, l);
    case CB_GETITEMDATA: return Forward(LB_GETITEMDATA, w, l);
    case CB_SETITEMDATA: return Forward(LB_SETITEMDATA, w, l);
    case CB_FINDSTRING: return Forward(LB_FINDSTRING, w, l);
    case CB_FINDSTRINGEXACT: return Forward(LB_FINDSTRINGEXACT, w, l);
    case CB_SELECTSTRING: return ForwardAndSync(LB_SELECTSTRING, w, l);
    case CB_SETDROPPEDWIDTH: return OnSetDroppedWidth((int)(intptr_t)w);
    case CB_GETDROPPEDWIDTH: return OnGetDroppedWidth();
    case CB_SETITEMHEIGHT: return OnSetItemHeight(w, l);
    case CB_GETITEMHEIGHT: return OnGetItemHeight(w);
    case CB_SHOWDROPDOWN: return OnShowDropDown(w != 0);
    case CB_GETDROPPEDSTATE: return dropped;
    case CB_GETDROPPEDCONTROLRECT:
        if (l) GetWindowRect(list, (RECT*)l);
        return TRUE;
    case CB_LIMITTEXT:
        if (edit) SendMessage(edit, EM_LIMITTEXT, w, 0);
        return TRUE;
    case CB_GETEDITSEL: return OnEditMessage(EM_GETSEL, w, l, CB_ERR);
    case CB_SETEDITSEL: return OnEditMessage(EM_SETSEL, (WPARAM)(short)LOWORD(l), (LPARAM)(short)HIWORD(l), CB_ERR);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT Combo::OnCreate(const CREATESTRUCT* cs)
{
    DWORD ls = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY;
    if (cs->style & CBS_SORT) ls |= LBS_SORT;
    if (cs->style & CBS_OWNERDRAWFIXED) ls |= LBS_OWNERDRAWFIXED;
    if (cs->style & CBS_OWNERDRAWVARIABLE) ls |= LBS_OWNERDRAWVARIABLE;
    if (cs->style & CBS_HASSTRINGS) ls |= LBS_HASSTRINGS;
    list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, COMBOLBOX_CLASS, "", ls, 0, 0, cs->cx,
                          100, hwnd, nullptr, nullptr, hwnd);
    if ((cs->style & 3u) == CBS_DROPDOWN || (cs->style & 3u) == CBS_SIMPLE) {
        edit = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 3, 3,
                              std::max(1, cs->cx - 6 - GetSystemMetrics(SM_CXVSCROLL)), std::max(1, cs->cy - 6), hwnd,
                              (HMENU)(uintptr_t)1001, nullptr, nullptr);
    }
    if (!list) return -1;
    // A template gives the height with the list; the closed combo is one line high.
    if ((cs->style & 3u) != CBS_SIMPLE) {
        const int fieldHeight = FieldHeight();
        if (cs->cy > fieldHeight) {
            dropHeight = cs->cy - fieldHeight;
            SetWindowPos(hwnd, nullptr, 0, 0, cs->cx, fieldHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (edit)
            SetWindowPos(edit, nullptr, 3, 3, std::max(1, cs->cx - 6 - GetSystemMetrics(SM_CXVSCROLL)),
                         std::max(1, fieldHeight - 6), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return 0;
}

// Later sizes keep the field one line high; the rest goes to the list.
LRESULT Combo::OnWindowPosChanging(WINDOWPOS* wp)
{
    if (wp && !(wp->flags & SWP_NOSIZE) && Kind() != CBS_SIMPLE && list) {
        const int fieldHeight = FieldHeight();
        if (wp->cy > fieldHeight) dropHeight = wp->cy - fieldHeight;
        wp->cy = fieldHeight;
    }
    return 0;
}

LRESULT Combo::OnDestroy()
{
    if (list) DestroyWindow(list);
    list = nullptr;
    return 0;
}

LRESULT Combo::OnSetFont(WPARAM w, LPARAM l)
{
    font = (HFONT)w;
    SendMessage(list, WM_SETFONT, w, l);
    if (edit) SendMessage(edit, WM_SETFONT, w, l);
    return 0;
}

LRESULT Combo::OnSetFocus()
{
    focused = true;
    if (edit) SetFocus(edit);
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParentCommand(hwnd, CBN_SETFOCUS);
    return 0;
}

LRESULT Combo::OnKillFocus()
{
    focused = false;
    Close(false);
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParentCommand(hwnd, CBN_KILLFOCUS);
    return 0;
}

LRESULT Combo::OnKeyDown(WPARAM w, LPARAM l)
{
    if (!Key((UINT)w)) return DefWindowProc(hwnd, WM_KEYDOWN, w, l);
    return 0;
}

LRESULT Combo::OnSysKeyDown(WPARAM w, LPARAM l)
{
    if ((w == VK_DOWN || w == VK_UP) && Key((UINT)w)) return 0;
    return DefWindowProc(hwnd, WM_SYSKEYDOWN, w, l);
}

LRESULT Combo::OnChar(WPARAM ch)
{
    if (edit || ch < 32) return 0;
    char s[2] = {(char)ch, 0};
    int i = (int)SendMessage(list, LB_FINDSTRING, (WPARAM)Cur(), (LPARAM)s);
    if (i >= 0) {
        if (dropped) {
            SendMessage(list, LB_SETCURSEL, (WPARAM)i, 0);
            SyncEdit();
        } else {
            SelectByKey(i);
        }
    }
    return 0;
}

LRESULT Combo::OnLButtonDown()
{
    if (GetFocus() != hwnd && !edit) SetFocus(hwnd);
    if (dropped) Close(true);
    else Drop(true);
    return 0;
}

// An item was clicked in the dropped list.
LRESULT Combo::OnChosen()
{
    SyncEdit();
    Close(true);
    return 0;
}

LRESULT Combo::OnCommand(WPARAM w, LPARAM l)
{
    if (edit && (HWND)l == edit && HIWORD(w) == EN_CHANGE) NotifyParentCommand(hwnd, CBN_EDITCHANGE);
    return 0;
}

LRESULT Combo::OnSetText(WPARAM w, LPARAM l)
{
    if (edit) return SendMessage(edit, WM_SETTEXT, w, l);
    return DefWindowProc(hwnd, WM_SETTEXT, w, l);
}

LRESULT Combo::OnGetText(WPARAM w, LPARAM l)
{
    if (edit) return SendMessage(edit, WM_GETTEXT, w, l);
    if (w == 0 || !l) return 0;
    std::string t = Cur() >= 0 ? ItemText(Cur()) : std::string();
    size_t n = std::min(t.size(), (size_t)w - 1);
    memcpy((char*)l, t.data(), n);
    ((char*)l)[n] = '\0';
    return (LRESULT)n;
}

LRESULT Combo::OnGetTextLength()
{
    if (edit) return SendMessage(edit, WM_GETTEXTLENGTH, 0, 0);
    return Cur() >= 0 ? (LRESULT)ItemText(Cur()).size() : 0;
}

LRESULT Combo::ForwardAndSync(UINT listMsg, WPARAM w, LPARAM l)
{
    LRESULT r = Forward(listMsg, w, l);
    SyncEdit();
    return r;
}

LRESULT Combo::OnAddString(WPARAM w, LPARAM l)
{
    LRESULT r = Forward(LB_ADDSTRING, w, l);
    InvalidateRect(hwnd, nullptr, TRUE);
    return r;
}

LRESULT Combo::OnSetDroppedWidth(int width)
{
    droppedWidth = std::max(0, width);
    return droppedWidth;
}

LRESULT Combo::OnGetDroppedWidth()
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return std::max((int)(r.right - r.left), droppedWidth);
}

// Item -1 is the field.
LRESULT Combo::OnSetItemHeight(WPARAM w, LPARAM l)
{
    if ((int)(intptr_t)w == -1) {
        itemHeight = (int)l;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    return SendMessage(list, LB_SETITEMHEIGHT, w, l);
}

LRESULT Combo::OnGetItemHeight(WPARAM w)
{
    if ((int)(intptr_t)w == -1) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        return itemHeight ? itemHeight : rc.bottom - 6;
    }
    return SendMessage(list, LB_GETITEMHEIGHT, w, 0);
}

LRESULT Combo::OnShowDropDown(bool show)
{
    if (show) Drop(true);
    else Close(false);
    return TRUE;
}

// A message for the edit field; `without` is the answer when there is none.
LRESULT Combo::OnEditMessage(UINT editMsg, WPARAM w, LPARAM l, LRESULT without)
{
    if (edit) return SendMessage(edit, editMsg, w, l);
    return without;
}

// The list of a dropped combo box: clicks outside close it; keys go to the combo.
LRESULT ComboListProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ListBox* lb = ControlState<ListBox>(hwnd);
    if (lb && lb->combo && msg == WM_LBUTTONDOWN) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (!PtInRect(&rc, pt)) {
            Combo* cb = ControlState<Combo>(lb->combo);
            if (cb) cb->Close(false);
            return 0;
        }
    }
    if (lb && lb->combo && msg == WM_CAPTURECHANGED) {
        Combo* cb = ControlState<Combo>(lb->combo);
        if (cb && cb->dropped && (HWND)l != hwnd) {
            cb->dropped = false;
            ShowWindow(hwnd, SW_HIDE);
            InvalidateRect(lb->combo, nullptr, TRUE);
            NotifyParentCommand(lb->combo, CBN_CLOSEUP);
        }
        return 0;
    }
    return ControlProc<ListBox>(hwnd, msg, w, l);
}

}  // namespace

void RegisterComboClasses()
{
    RegisterControlClass(COMBOLBOX_CLASS, ComboListProc);
    RegisterControlClass(WC_COMBOBOX, ControlProc<Combo>);
}
