// The list box (sorting, tab stops, item data, check list, redraw off for
// bulk adds, owner draw); the combo box's drop-down list is one too.
#include "platform/controls/list_box.h"

#include <algorithm>
#include <cstring>
#include <new>

int ListBox::ItemHeight(int i)
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

int ListBox::Visible()
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

RECT ListBox::ItemRect(int i)
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

int ListBox::ItemAt(POINT pt)
{
    int y = 0;
    for (int i = top; i < (int)items.size(); ++i) {
        int h = ItemHeight(i);
        if (pt.y < y + h) return i;
        y += h;
    }
    return -1;
}

void ListBox::Changed()
{
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    UpdateScroll();
}

void ListBox::UpdateScroll()
{
    if (!redraw || !WantsVScroll(hwnd)) return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, (int)items.size() - 1, (UINT)Visible(), top, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void ListBox::EnsureVisible(int i)
{
    if (i < 0) return;
    if (i < top) top = i;
    else {
        int vis = Visible();
        if (i >= top + vis) top = i - vis + 1;
    }
}

bool ListBox::LessNoCase(const std::string& a, const std::string& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower((unsigned char)a[i]), cb = std::tolower((unsigned char)b[i]);
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

int ListBox::Insert(int at, ListBoxItem it)
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

int ListBox::Add(const char* s, LPARAM l)
{
    ListBoxItem it;
    if (HasStrings()) it.text = s ? s : "";
    else it.data = (UINT_PTR)l;
    int at = (int)items.size();
    if ((Style() & LBS_SORT) && HasStrings()) {
        auto pos = std::upper_bound(items.begin(), items.end(), it.text,
                                    [](const std::string& t, const ListBoxItem& x) { return LessNoCase(t, x.text); });
        at = (int)(pos - items.begin());
    }
    return Insert(at, std::move(it));
}

int ListBox::Find(int after, const char* s, bool exact)
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

void ListBox::Notify(int code)
{
    if (combo) {
        SendMessage(combo, WM_APP + 1, (WPARAM)code, 0);
        return;
    }
    if (Style() & LBS_NOTIFY) NotifyParentCommand(hwnd, code);
}

void ListBox::Select(int i, bool notify)
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

void ListBox::Paint(HDC hdc)
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
        const ListBoxItem& it = items[(size_t)i];
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

void ListBox::Key(UINT vk)
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

LRESULT ListBox::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
    ListBox* lb = new ListBox;
    lb->hwnd = hwnd;
    const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
    if (cs->lpCreateParams && (cs->style & WS_POPUP)) lb->combo = (HWND)cs->lpCreateParams;
    SetWindowLongPtr(hwnd, 0, (LONG_PTR)lb);
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

LRESULT ListBox::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: return OnSetFont((HFONT)w, LOWORD(l) != 0);
    case WM_GETFONT: return (LRESULT)font;
    case WM_SETREDRAW: return OnSetRedraw(w != 0);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(msg == WM_SETFOCUS);
    case WM_KEYDOWN: Key((UINT)w); return 0;
    case WM_CHAR: return OnChar(w);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l), msg == WM_LBUTTONDBLCLK);
    case WM_MOUSEMOVE: return OnMouseMove(PointOf(l));
    case WM_MOUSEWHEEL: return ScrollTo(top - GET_WHEEL_DELTA_WPARAM(w) / 40);
    case WM_VSCROLL: return ScrollTo(ScrolledLine(hwnd, w, top, Visible()));
    default: return OnListMessage(msg, w, l);
    }
}

LRESULT ListBox::OnListMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case LB_ADDSTRING: return Add((const char*)l, l);
    case LB_INSERTSTRING: return OnInsertString((int)(intptr_t)w, l);
    case LB_DELETESTRING: return OnDeleteString(w);
    case LB_RESETCONTENT: return OnResetContent();
    case LB_GETCOUNT: return (LRESULT)items.size();
    case LB_SETCURSEL: return OnSetCurSel(w);
    case LB_GETCURSEL: return OnGetCurSel();
    case LB_SETSEL: return OnSetSel(w != 0, (int)(intptr_t)l);
    case LB_GETSEL: return Valid(w) ? (LRESULT)items[w].selected : LB_ERR;
    case LB_FINDSTRING: return Find((int)(intptr_t)w, (const char*)l, false);
    case LB_FINDSTRINGEXACT: return Find((int)(intptr_t)w, (const char*)l, true);
    case LB_SELECTSTRING: return OnSelectString((int)(intptr_t)w, (const char*)l);
    case LB_GETTOPINDEX: return top;
    case LB_SETTOPINDEX: return OnSetTopIndex(w);
    case LB_ITEMFROMPOINT: return OnItemFromPoint(PointOf(l));
    case LB_SETTABSTOPS: return OnSetTabStops(w, (const int*)l);
    default: return OnItemMessage(msg, w, l);
    }
}

// What one item holds and how it is drawn.
LRESULT ListBox::OnItemMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case LB_GETTEXT: return OnGetText(w, l);
    case LB_GETTEXTLEN: return Valid(w) ? (LRESULT)items[w].text.size() : LB_ERR;
    case LB_GETITEMDATA: return Valid(w) ? (LRESULT)items[w].data : LB_ERR;
    case LB_SETITEMDATA: return OnSetItemData(w, (UINT_PTR)l);
    case LB_GETCHECK: return Valid(w) ? items[w].check : LB_ERR;
    case LB_SETCHECK: return OnSetCheck(w, (int)l);
    case LB_GETITEMRECT: return OnGetItemRect(w, (RECT*)l);
    case LB_SETITEMHEIGHT: return OnSetItemHeight(w, (int)LOWORD(l));
    case LB_GETITEMHEIGHT: return ItemHeight((int)w);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT ListBox::OnSetFont(HFONT f, bool redrawNow)
{
    font = f;
    itemHeight = 0;
    if (redrawNow) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ListBox::OnSetRedraw(bool on)
{
    redraw = on;
    if (redraw) Changed();
    return 0;
}

LRESULT ListBox::OnFocus(bool on)
{
    focused = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (Style() & LBS_NOTIFY) NotifyParentCommand(hwnd, on ? LBN_SETFOCUS : LBN_KILLFOCUS);
    return 0;
}

LRESULT ListBox::OnChar(WPARAM ch)
{
    if (ch < 32 || items.empty() || !HasStrings()) return 0;
    char s[2] = {(char)ch, 0};
    int i = Find(cur, s, false);
    if (i >= 0) Select(i, true);
    return 0;
}

LRESULT ListBox::OnLButtonDown(POINT pt, bool doubleClick)
{
    if (!combo && GetFocus() != hwnd) SetFocus(hwnd);
    int i = ItemAt(pt);
    if (i < 0) return 0;
    if (CheckList() && pt.x < 17) {
        items[(size_t)i].check = !items[(size_t)i].check;
        Changed();
        Notify(CLBN_CHKCHANGE);
    }
    if (Multi()) {
        items[(size_t)i].selected = !items[(size_t)i].selected;
        cur = i;
        Changed();
        Notify(LBN_SELCHANGE);
    } else {
        Select(i, true);
    }
    if (doubleClick) Notify(LBN_DBLCLK);
    if (combo) SendMessage(combo, WM_APP + 2, (WPARAM)i, 0);   // chosen
    return 0;
}

// The list of a dropped combo holds the capture: a pointer over the field
// or beside the list points at no item.
LRESULT ListBox::OnMouseMove(POINT pt)
{
    if (!combo) return 0;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int i = PtInRect(&rc, pt) ? ItemAt(pt) : -1;
    if (i >= 0 && i != cur) Select(i, false);
    return 0;
}

LRESULT ListBox::ScrollTo(int t)
{
    top = std::clamp(t, 0, std::max(0, (int)items.size() - 1));
    Changed();
    return 0;
}

LRESULT ListBox::OnInsertString(int at, LPARAM l)
{
    ListBoxItem it;
    if (HasStrings()) it.text = l ? (const char*)l : "";
    else it.data = (UINT_PTR)l;
    return Insert(at, std::move(it));
}

LRESULT ListBox::OnDeleteString(WPARAM w)
{
    if (!Valid(w)) return LB_ERR;
    items.erase(items.begin() + (ptrdiff_t)w);
    if (cur == (int)w) cur = -1;
    else if (cur > (int)w) --cur;
    if (top >= (int)items.size()) top = std::max(0, (int)items.size() - 1);
    Changed();
    return (LRESULT)items.size();
}

LRESULT ListBox::OnResetContent()
{
    items.clear();
    cur = -1;
    top = 0;
    Changed();
    return 0;
}

LRESULT ListBox::OnSetCurSel(WPARAM w)
{
    if ((int)(intptr_t)w != -1 && !Valid(w)) {
        Select(-1, false);
        return LB_ERR;
    }
    Select((int)(intptr_t)w, false);
    return (int)(intptr_t)w == -1 ? LB_ERR : (LRESULT)w;
}

LRESULT ListBox::OnGetCurSel() const
{
    if (Multi()) return cur;
    return cur >= 0 && items[(size_t)cur].selected ? cur : LB_ERR;
}

// i == -1: every item.
LRESULT ListBox::OnSetSel(bool on, int i)
{
    if (i == -1) {
        for (auto& it : items) it.selected = on;
    } else if (i >= 0 && i < (int)items.size()) {
        items[(size_t)i].selected = on;
    } else {
        return LB_ERR;
    }
    Changed();
    return 0;
}

// Without strings the item's data is the text.
LRESULT ListBox::OnGetText(WPARAM w, LPARAM l) const
{
    if (!Valid(w) || !l) return LB_ERR;
    if (!HasStrings()) {
        memcpy((void*)l, &items[w].data, sizeof(UINT_PTR));
        return sizeof(UINT_PTR);
    }
    memcpy((char*)l, items[w].text.c_str(), items[w].text.size() + 1);
    return (LRESULT)items[w].text.size();
}

LRESULT ListBox::OnSetItemData(WPARAM w, UINT_PTR data)
{
    if (!Valid(w)) return LB_ERR;
    items[w].data = data;
    return 0;
}

LRESULT ListBox::OnSetCheck(WPARAM w, int check)
{
    if (!Valid(w)) return LB_ERR;
    items[w].check = check;
    Changed();
    return 0;
}

LRESULT ListBox::OnSelectString(int after, const char* s)
{
    int i = Find(after, s, false);
    if (i >= 0) Select(i, false);
    return i;
}

LRESULT ListBox::OnSetTopIndex(WPARAM w)
{
    if (!Valid(w)) return LB_ERR;
    top = (int)w;
    Changed();
    return 0;
}

LRESULT ListBox::OnGetItemRect(WPARAM w, RECT* out)
{
    if (!Valid(w) || !out) return LB_ERR;
    *out = ItemRect((int)w);
    return 0;
}

LRESULT ListBox::OnItemFromPoint(POINT pt)
{
    const int count = (int)items.size();
    int i = ItemAt(pt);
    return i < 0 ? MAKELONG(std::max(count - 1, 0), 1) : MAKELONG(i, 0);
}

LRESULT ListBox::OnSetTabStops(WPARAM n, const int* stops)
{
    tabs.assign(stops, stops + (stops ? n : 0));
    return TRUE;
}

LRESULT ListBox::OnSetItemHeight(WPARAM w, int height)
{
    if ((Style() & LBS_OWNERDRAWVARIABLE) && Valid(w)) items[w].height = height;
    else itemHeight = height;
    Changed();
    return 0;
}

void RegisterListClasses() { RegisterControlClass(WC_LISTBOX, ControlProc<ListBox>); }
