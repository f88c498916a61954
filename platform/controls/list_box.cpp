// The list box (sorting, tab stops, item data, check list, redraw off for
// bulk adds, owner draw) and the combo box, whose list is a non-activating
// top-most pop-up so it is never clipped by the dialog.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/controls/control_internal.h"

namespace {

struct Item {
    std::string text;
    UINT_PTR data = 0;
    int check = 0;
    bool selected = false;
    int height = 0;
};

struct ListBox {
    HWND hwnd = nullptr;
    HWND combo = nullptr;   // the owning combo box of a drop-down list
    std::vector<Item> items;
    int cur = -1;      // caret (and the selection of a single-selection list)
    int top = 0;
    bool redraw = true;
    bool focused = false;
    bool tracking = false;
    std::vector<int> tabs;
    HFONT font = nullptr;
    int itemHeight = 0;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool Multi() const { return (Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    bool OwnerDraw() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (Style() & LBS_HASSTRINGS); }
    bool CheckList() const { return (Style() & LBS_CHECKLIST) != 0; }
    HWND NotifyTarget() const { return combo ? combo : hwnd; }

    int ItemHeight(int i)
    {
        if ((Style() & LBS_OWNERDRAWVARIABLE) && i >= 0 && i < (int)items.size() && items[(size_t)i].height > 0)
            return items[(size_t)i].height;
        if (itemHeight > 0) return itemHeight;
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        itemHeight = std::max(1, (int)tm.tmHeight + 2);
        return itemHeight;
    }

    int Visible()
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        int y = 0, n = 0;
        for (int i = top; i < (int)items.size(); ++i) {
            y += ItemHeight(i);
            if (y > rc.bottom && n > 0) break;
            ++n;
        }
        return std::max(n, 1);
    }

    RECT ItemRect(int i)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        int y = 0;
        if (i >= top)
            for (int k = top; k < i; ++k) y += ItemHeight(k);
        else
            for (int k = i; k < top; ++k) y -= ItemHeight(k);
        return RECT{0, y, rc.right, y + ItemHeight(i)};
    }

    int ItemAt(POINT pt)
    {
        int y = 0;
        for (int i = top; i < (int)items.size(); ++i) {
            int h = ItemHeight(i);
            if (pt.y < y + h) return i;
            y += h;
        }
        return -1;
    }

    void Changed()
    {
        if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
        UpdateScroll();
    }

    void UpdateScroll()
    {
        if (!redraw || !WantsVScroll(hwnd)) return;
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, (int)items.size() - 1, (UINT)Visible(), top, 0};
        SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    }

    void EnsureVisible(int i)
    {
        if (i < 0) return;
        if (i < top) top = i;
        else {
            int vis = Visible();
            if (i >= top + vis) top = i - vis + 1;
        }
    }

    static bool LessNoCase(const std::string& a, const std::string& b)
    {
        size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            int ca = std::tolower((unsigned char)a[i]), cb = std::tolower((unsigned char)b[i]);
            if (ca != cb) return ca < cb;
        }
        return a.size() < b.size();
    }

    int Insert(int at, Item it)
    {
        try {
            if (at < 0 || at > (int)items.size()) at = (int)items.size();
            items.insert(items.begin() + at, std::move(it));
        } catch (const std::bad_alloc&) {
            return LB_ERRSPACE;
        }
        if (cur >= at) ++cur;
        if (Style() & LBS_OWNERDRAWVARIABLE) {
            MEASUREITEMSTRUCT mis{combo ? ODT_COMBOBOX : ODT_LISTBOX, (UINT)GetDlgCtrlID(NotifyTarget()), (UINT)at, 0,
                                  (UINT)ItemHeight(-1), items[(size_t)at].data};
            SendMessage(GetParent(NotifyTarget()), WM_MEASUREITEM, mis.CtlID, (LPARAM)&mis);
            items[(size_t)at].height = (int)mis.itemHeight;
        }
        Changed();
        return at;
    }

    int Add(const char* s, LPARAM l)
    {
        Item it;
        if (HasStrings()) it.text = s ? s : "";
        else it.data = (UINT_PTR)l;
        int at = (int)items.size();
        if ((Style() & LBS_SORT) && HasStrings()) {
            auto pos = std::upper_bound(items.begin(), items.end(), it.text,
                                        [](const std::string& t, const Item& x) { return LessNoCase(t, x.text); });
            at = (int)(pos - items.begin());
        }
        return Insert(at, std::move(it));
    }

    int Find(int after, const char* s, bool exact)
    {
        if (!s || items.empty()) return LB_ERR;
        const size_t n = strlen(s);
        const int count = (int)items.size();
        for (int k = 1; k <= count; ++k) {
            int i = ((after < 0 ? -1 : after) + k) % count;
            const std::string& t = items[(size_t)i].text;
            if (exact ? t.size() != n : t.size() < n) continue;
            bool same = true;
            for (size_t c = 0; c < n && same; ++c)
                same = std::tolower((unsigned char)t[c]) == std::tolower((unsigned char)s[c]);
            if (same) return i;
        }
        return LB_ERR;
    }

    void Notify(int code)
    {
        if (combo) {
            SendMessage(combo, WM_APP + 1, (WPARAM)code, 0);
            return;
        }
        if (Style() & LBS_NOTIFY) NotifyParentCommand(hwnd, code);
    }

    void Select(int i, bool notify)
    {
        if (i < -1 || i >= (int)items.size()) return;
        if (!Multi()) {
            for (auto& it : items) it.selected = false;
            if (i >= 0) items[(size_t)i].selected = true;
        }
        const bool changed = i != cur;
        cur = i;
        EnsureVisible(i);
        Changed();
        if (notify && changed) Notify(LBN_SELCHANGE);
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH bg = combo ? GetSysColorBrush(COLOR_WINDOW) : ControlColours(hwnd, hdc, WM_CTLCOLORLISTBOX);
        FillRect(hdc, &rc, bg);
        const bool disabled = !IsWindowEnabled(hwnd);
        HGDIOBJ oldFont = SelectObject(hdc, font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(hdc, TRANSPARENT);
        for (int i = top; i < (int)items.size(); ++i) {
            RECT r = ItemRect(i);
            if (r.top >= rc.bottom) break;
            const Item& it = items[(size_t)i];
            const bool sel = it.selected;
            if (OwnerDraw()) {
                DRAWITEMSTRUCT dis{};
                dis.CtlType = combo ? ODT_COMBOBOX : ODT_LISTBOX;
                dis.CtlID = (UINT)GetDlgCtrlID(NotifyTarget());
                dis.itemID = (UINT)i;
                dis.itemAction = ODA_DRAWENTIRE;
                dis.itemState = (sel ? ODS_SELECTED : 0) | (disabled ? ODS_DISABLED : 0) |
                                (focused && i == cur ? ODS_FOCUS : 0);
                dis.hwndItem = NotifyTarget();   // a combo's list draws as the combo
                dis.hDC = hdc;
                dis.rcItem = r;
                dis.itemData = it.data;
                SendMessage(GetParent(NotifyTarget()), WM_DRAWITEM, dis.CtlID, (LPARAM)&dis);
                continue;
            }
            RECT tr = r;
            if (CheckList()) {
                RECT box{r.left + 2, r.top + (r.bottom - r.top - 13) / 2, r.left + 15, r.top + (r.bottom - r.top - 13) / 2 + 13};
                PaintCheckBox(hdc, box, (UINT)it.check, false, disabled);
                tr.left = box.right + 3;
            }
            if (sel) FillRect(hdc, &tr, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            if ((Style() & LBS_USETABSTOPS) || it.text.find('\t') != std::string::npos) {
                std::vector<int> px;
                for (int t : tabs) px.push_back(t * 6 / 4);   // dialog units to pixels for the UI font
                TabbedTextOut(hdc, tr.left + 2, tr.top + 1, it.text.c_str(), (int)it.text.size(), (int)px.size(),
                              px.empty() ? nullptr : px.data(), tr.left + 2);
            } else {
                TextOut(hdc, tr.left + 2, tr.top + 1, it.text.c_str(), (int)it.text.size());
            }
            if (focused && i == cur) PaintFocus(hdc, tr);
        }
        SelectObject(hdc, oldFont);
    }

    void Key(UINT vk)
    {
        if (items.empty()) return;
        int i = cur;
        switch (vk) {
        case VK_UP: i = std::max(0, cur - 1); break;
        case VK_DOWN: i = std::min((int)items.size() - 1, cur + 1); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = (int)items.size() - 1; break;
        case VK_PRIOR: i = std::max(0, cur - Visible() + 1); break;
        case VK_NEXT: i = std::min((int)items.size() - 1, std::max(cur, 0) + Visible() - 1); break;
        case VK_SPACE:
            if (CheckList() && cur >= 0) {
                items[(size_t)cur].check = !items[(size_t)cur].check;
                Changed();
                Notify(CLBN_CHKCHANGE);
            } else if (Multi() && cur >= 0) {
                items[(size_t)cur].selected = !items[(size_t)cur].selected;
                Changed();
                Notify(LBN_SELCHANGE);
            }
            return;
        default: return;
        }
        if (Multi()) {
            cur = i;
            EnsureVisible(i);
            Changed();
            return;
        }
        Select(i, true);
    }
};

LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ListBox* lb = ControlState<ListBox>(hwnd);
    if (msg == WM_NCCREATE) {
        NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
        lb = new ListBox;
        lb->hwnd = hwnd;
        const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
        if (cs->lpCreateParams && (cs->style & WS_POPUP)) lb->combo = (HWND)cs->lpCreateParams;
        SetWindowLongPtr(hwnd, 0, (LONG_PTR)lb);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!lb) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { lb->Paint(hdc); })) return 0;
    const int count = (int)lb->items.size();
    auto valid = [&](WPARAM i) { return (int)i >= 0 && (int)i < count; };
    switch (msg) {
    case WM_NCDESTROY:
        NoteScrollStyle(hwnd, nullptr);
        DeleteControlState(hwnd, lb);
        return DefWindowProc(hwnd, msg, w, l);
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        lb->font = (HFONT)w;
        lb->itemHeight = 0;
        if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)lb->font;
    case WM_SETREDRAW:
        lb->redraw = w != 0;
        if (lb->redraw) lb->Changed();
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
        lb->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (lb->Style() & LBS_NOTIFY) NotifyParentCommand(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        lb->focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (lb->Style() & LBS_NOTIFY) NotifyParentCommand(hwnd, LBN_KILLFOCUS);
        return 0;
    case LB_ADDSTRING: return lb->Add((const char*)l, l);
    case LB_INSERTSTRING: {
        Item it;
        if (lb->HasStrings()) it.text = l ? (const char*)l : "";
        else it.data = (UINT_PTR)l;
        return lb->Insert((int)(intptr_t)w, std::move(it));
    }
    case LB_DELETESTRING:
        if (!valid(w)) return LB_ERR;
        lb->items.erase(lb->items.begin() + (ptrdiff_t)w);
        if (lb->cur == (int)w) lb->cur = -1;
        else if (lb->cur > (int)w) --lb->cur;
        if (lb->top >= (int)lb->items.size()) lb->top = std::max(0, (int)lb->items.size() - 1);
        lb->Changed();
        return (LRESULT)lb->items.size();
    case LB_RESETCONTENT:
        lb->items.clear();
        lb->cur = -1;
        lb->top = 0;
        lb->Changed();
        return 0;
    case LB_GETCOUNT: return count;
    case LB_SETCURSEL:
        if ((int)(intptr_t)w != -1 && !valid(w)) {
            lb->Select(-1, false);
            return LB_ERR;
        }
        lb->Select((int)(intptr_t)w, false);
        return (int)(intptr_t)w == -1 ? LB_ERR : (LRESULT)w;
    case LB_GETCURSEL:
        if (lb->Multi()) return lb->cur;
        return lb->cur >= 0 && lb->items[(size_t)lb->cur].selected ? lb->cur : LB_ERR;
    case LB_SETSEL: {
        int i = (int)(intptr_t)l;
        if (i == -1) {
            for (auto& it : lb->items) it.selected = w != 0;
        } else if (i >= 0 && i < count) {
            lb->items[(size_t)i].selected = w != 0;
        } else {
            return LB_ERR;
        }
        lb->Changed();
        return 0;
    }
    case LB_GETSEL: return valid(w) ? (LRESULT)lb->items[w].selected : LB_ERR;
    case LB_GETTEXT:
        if (!valid(w) || !l) return LB_ERR;
        if (!lb->HasStrings()) {
            memcpy((void*)l, &lb->items[w].data, sizeof(UINT_PTR));
            return sizeof(UINT_PTR);
        }
        memcpy((char*)l, lb->items[w].text.c_str(), lb->items[w].text.size() + 1);
        return (LRESULT)lb->items[w].text.size();
    case LB_GETTEXTLEN: return valid(w) ? (LRESULT)lb->items[w].text.size() : LB_ERR;
    case LB_GETITEMDATA: return valid(w) ? (LRESULT)lb->items[w].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!valid(w)) return LB_ERR;
        lb->items[w].data = (UINT_PTR)l;
        return 0;
    case LB_GETCHECK: return valid(w) ? lb->items[w].check : LB_ERR;
    case LB_SETCHECK:
        if (!valid(w)) return LB_ERR;
        lb->items[w].check = (int)l;
        lb->Changed();
        return 0;
    case LB_FINDSTRING: return lb->Find((int)(intptr_t)w, (const char*)l, false);
    case LB_FINDSTRINGEXACT: return lb->Find((int)(intptr_t)w, (const char*)l, true);
    case LB_SELECTSTRING: {
        int i = lb->Find((int)(intptr_t)w, (const char*)l, false);
        if (i >= 0) lb->Select(i, false);
        return i;
    }
    case LB_GETTOPINDEX: return lb->top;
    case LB_SETTOPINDEX:
        if (!valid(w)) return LB_ERR;
        lb->top = (int)w;
        lb->Changed();
        return 0;
    case LB_GETITEMRECT:
        if (!valid(w) || !l) return LB_ERR;
        *(RECT*)l = lb->ItemRect((int)w);
        return 0;
    case LB_ITEMFROMPOINT: {
        int i = lb->ItemAt(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return i < 0 ? MAKELONG(std::max(count - 1, 0), 1) : MAKELONG(i, 0);
    }
    case LB_SETTABSTOPS:
        lb->tabs.assign((const int*)l, (const int*)l + (l ? w : 0));
        return TRUE;
    case LB_SETITEMHEIGHT:
        if ((lb->Style() & LBS_OWNERDRAWVARIABLE) && valid(w)) lb->items[w].height = (int)LOWORD(l);
        else lb->itemHeight = (int)LOWORD(l);
        lb->Changed();
        return 0;
    case LB_GETITEMHEIGHT: return lb->ItemHeight((int)w);
    case WM_KEYDOWN: lb->Key((UINT)w); return 0;
    case WM_CHAR: {
        if (w < 32 || lb->items.empty() || !lb->HasStrings()) return 0;
        char s[2] = {(char)w, 0};
        int i = lb->Find(lb->cur, s, false);
        if (i >= 0) lb->Select(i, true);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (!lb->combo && GetFocus() != hwnd) SetFocus(hwnd);
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        int i = lb->ItemAt(pt);
        if (i < 0) return 0;
        if (lb->CheckList() && pt.x < 17) {
            lb->items[(size_t)i].check = !lb->items[(size_t)i].check;
            lb->Changed();
            lb->Notify(CLBN_CHKCHANGE);
        }
        if (lb->Multi()) {
            lb->items[(size_t)i].selected = !lb->items[(size_t)i].selected;
            lb->cur = i;
            lb->Changed();
            lb->Notify(LBN_SELCHANGE);
        } else {
            lb->Select(i, true);
        }
        if (msg == WM_LBUTTONDBLCLK) lb->Notify(LBN_DBLCLK);
        if (lb->combo) SendMessage(lb->combo, WM_APP + 2, (WPARAM)i, 0);   // chosen
        return 0;
    }
    case WM_MOUSEMOVE:
        if (lb->combo) {
            // The list holds the capture: a pointer over the field or beside
            // the list points at no item.
            RECT rc;
            GetClientRect(hwnd, &rc);
            const POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            const int i = PtInRect(&rc, pt) ? lb->ItemAt(pt) : -1;
            if (i >= 0 && i != lb->cur) lb->Select(i, false);
        }
        return 0;
    case WM_MOUSEWHEEL:
        lb->top = std::clamp(lb->top - GET_WHEEL_DELTA_WPARAM(w) / 40, 0, std::max(0, count - 1));
        lb->Changed();
        return 0;
    case WM_VSCROLL: {
        const int t = ScrolledLine(hwnd, w, lb->top, lb->Visible());
        lb->top = std::clamp(t, 0, std::max(0, count - 1));
        lb->Changed();
        return 0;
    }
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

// --- combo box -----------------------------------------------------------------

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
};

LRESULT ComboProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Combo* cb = ControlState<Combo>(hwnd);
    if (msg == WM_NCCREATE) {
        // WS_VSCROLL and WS_HSCROLL are meant for the list: the closed box
        // shows no scroll bar of its own.
        SetWindowLongPtr(hwnd, GWL_STYLE, GetWindowLongPtr(hwnd, GWL_STYLE) & ~(LONG_PTR)(WS_VSCROLL | WS_HSCROLL));
        cb = NewControlState<Combo>(hwnd);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!cb) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { cb->Paint(hdc); })) return 0;
    auto fwd = [&](UINT m) { return SendMessage(cb->list, m, w, l); };
    switch (msg) {
    case WM_CREATE: {
        const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
        DWORD ls = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY;
        if (cs->style & CBS_SORT) ls |= LBS_SORT;
        if (cs->style & CBS_OWNERDRAWFIXED) ls |= LBS_OWNERDRAWFIXED;
        if (cs->style & CBS_OWNERDRAWVARIABLE) ls |= LBS_OWNERDRAWVARIABLE;
        if (cs->style & CBS_HASSTRINGS) ls |= LBS_HASSTRINGS;
        cb->list = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, COMBOLBOX_CLASS, "", ls, 0, 0,
                                  cs->cx, 100, hwnd, nullptr, nullptr, hwnd);
        if ((cs->style & 3u) == CBS_DROPDOWN || (cs->style & 3u) == CBS_SIMPLE) {
            cb->edit = CreateWindowEx(0, WC_EDIT, "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 3, 3,
                                      std::max(1, cs->cx - 6 - GetSystemMetrics(SM_CXVSCROLL)), std::max(1, cs->cy - 6),
                                      hwnd, (HMENU)(uintptr_t)1001, nullptr, nullptr);
        }
        if (!cb->list) return -1;
        // A template gives the height with the list; the closed combo is one line high.
        if ((cs->style & 3u) != CBS_SIMPLE) {
            const int field = cb->FieldHeight();
            if (cs->cy > field) {
                cb->dropHeight = cs->cy - field;
                SetWindowPos(hwnd, nullptr, 0, 0, cs->cx, field, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            if (cb->edit)
                SetWindowPos(cb->edit, nullptr, 3, 3, std::max(1, cs->cx - 6 - GetSystemMetrics(SM_CXVSCROLL)),
                             std::max(1, field - 6), SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        // Later sizes keep the field one line high; the rest goes to the list.
        WINDOWPOS* wp = (WINDOWPOS*)l;
        if (wp && !(wp->flags & SWP_NOSIZE) && cb->Kind() != CBS_SIMPLE && cb->list) {
            const int field = cb->FieldHeight();
            if (wp->cy > field) cb->dropHeight = wp->cy - field;
            wp->cy = field;
        }
        return 0;
    }
    case WM_DESTROY:
        if (cb->list) DestroyWindow(cb->list);
        cb->list = nullptr;
        return 0;
    case WM_NCDESTROY:
        DeleteControlState(hwnd, cb);
        return DefWindowProc(hwnd, msg, w, l);
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        cb->font = (HFONT)w;
        SendMessage(cb->list, WM_SETFONT, w, l);
        if (cb->edit) SendMessage(cb->edit, WM_SETFONT, w, l);
        return 0;
    case WM_GETFONT: return (LRESULT)cb->font;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (cb->dropped ? DLGC_WANTALLKEYS : 0);
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
        cb->focused = true;
        if (cb->edit) SetFocus(cb->edit);
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParentCommand(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        cb->focused = false;
        cb->Close(false);
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParentCommand(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
        if (!cb->Key((UINT)w)) return DefWindowProc(hwnd, msg, w, l);
        return 0;
    case WM_SYSKEYDOWN:
        if ((w == VK_DOWN || w == VK_UP) && cb->Key((UINT)w)) return 0;
        return DefWindowProc(hwnd, msg, w, l);
    case WM_CHAR: {
        if (cb->edit || w < 32) return 0;
        char s[2] = {(char)w, 0};
        int i = (int)SendMessage(cb->list, LB_FINDSTRING, (WPARAM)cb->Cur(), (LPARAM)s);
        if (i >= 0) {
            if (cb->dropped) {
                SendMessage(cb->list, LB_SETCURSEL, (WPARAM)i, 0);
                cb->SyncEdit();
            } else {
                cb->SelectByKey(i);
            }
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd && !cb->edit) SetFocus(hwnd);
        if (cb->dropped) cb->Close(true);
        else cb->Drop(true);
        return 0;
    case WM_APP + 1:   // from the list
        return 0;
    case WM_APP + 2:   // an item was clicked in the dropped list
        cb->SyncEdit();
        cb->Close(true);
        return 0;
    case WM_COMMAND:
        if (cb->edit && (HWND)l == cb->edit && HIWORD(w) == EN_CHANGE) NotifyParentCommand(hwnd, CBN_EDITCHANGE);
        return 0;
    case WM_SETTEXT:
        if (cb->edit) return SendMessage(cb->edit, WM_SETTEXT, w, l);
        return DefWindowProc(hwnd, msg, w, l);
    case WM_GETTEXT:
        if (cb->edit) return SendMessage(cb->edit, WM_GETTEXT, w, l);
        if (w == 0 || !l) return 0;
        {
            std::string t = cb->Cur() >= 0 ? cb->ItemText(cb->Cur()) : std::string();
            size_t n = std::min(t.size(), (size_t)w - 1);
            memcpy((char*)l, t.data(), n);
            ((char*)l)[n] = '\0';
            return (LRESULT)n;
        }
    case WM_GETTEXTLENGTH:
        if (cb->edit) return SendMessage(cb->edit, WM_GETTEXTLENGTH, 0, 0);
        return cb->Cur() >= 0 ? (LRESULT)cb->ItemText(cb->Cur()).size() : 0;
    case CB_ADDSTRING: {
        LRESULT r = fwd(LB_ADDSTRING);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
    }
    case CB_INSERTSTRING: return fwd(LB_INSERTSTRING);
    case CB_DELETESTRING: {
        LRESULT r = fwd(LB_DELETESTRING);
        cb->SyncEdit();
        return r;
    }
    case CB_RESETCONTENT:
        fwd(LB_RESETCONTENT);
        cb->SyncEdit();
        return CB_OKAY;
    case CB_GETCOUNT: return fwd(LB_GETCOUNT);
    case CB_GETCURSEL: return fwd(LB_GETCURSEL);
    case CB_SETCURSEL: {
        LRESULT r = fwd(LB_SETCURSEL);
        cb->SyncEdit();
        return r;
    }
    case CB_GETLBTEXT: return fwd(LB_GETTEXT);
    case CB_GETLBTEXTLEN: return fwd(LB_GETTEXTLEN);
    case CB_GETITEMDATA: return fwd(LB_GETITEMDATA);
    case CB_SETITEMDATA: return fwd(LB_SETITEMDATA);
    case CB_FINDSTRING: return fwd(LB_FINDSTRING);
    case CB_FINDSTRINGEXACT: return fwd(LB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
        LRESULT r = fwd(LB_SELECTSTRING);
        cb->SyncEdit();
        return r;
    }
    case CB_SETDROPPEDWIDTH:
        cb->droppedWidth = std::max(0, (int)(intptr_t)w);
        return cb->droppedWidth;
    case CB_GETDROPPEDWIDTH: {
        RECT r;
        GetWindowRect(hwnd, &r);
        return std::max((int)(r.right - r.left), cb->droppedWidth);
    }
    case CB_SETITEMHEIGHT:
        if ((int)(intptr_t)w == -1) {
            cb->itemHeight = (int)l;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        return SendMessage(cb->list, LB_SETITEMHEIGHT, w, l);
    case CB_GETITEMHEIGHT:
        if ((int)(intptr_t)w == -1) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            return cb->itemHeight ? cb->itemHeight : rc.bottom - 6;
        }
        return SendMessage(cb->list, LB_GETITEMHEIGHT, w, 0);
    case CB_SHOWDROPDOWN:
        if (w) cb->Drop(true);
        else cb->Close(false);
        return TRUE;
    case CB_GETDROPPEDSTATE: return cb->dropped;
    case CB_GETDROPPEDCONTROLRECT:
        if (l) GetWindowRect(cb->list, (RECT*)l);
        return TRUE;
    case CB_LIMITTEXT:
        if (cb->edit) SendMessage(cb->edit, EM_LIMITTEXT, w, 0);
        return TRUE;
    case CB_GETEDITSEL:
        if (cb->edit) return SendMessage(cb->edit, EM_GETSEL, w, l);
        return CB_ERR;
    case CB_SETEDITSEL:
        if (cb->edit) return SendMessage(cb->edit, EM_SETSEL, (WPARAM)(short)LOWORD(l), (LPARAM)(short)HIWORD(l));
        return CB_ERR;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
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
    return ListBoxProc(hwnd, msg, w, l);
}

}  // namespace

void RegisterListClasses()
{
    RegisterControlClass(WC_LISTBOX, ListBoxProc);
    RegisterControlClass(COMBOLBOX_CLASS, ComboListProc);
    RegisterControlClass(WC_COMBOBOX, ComboProc);
}
