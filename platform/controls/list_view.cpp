// The list view in report mode: columns with a header row, items with
// sub-item texts, or owner data (LVN_GETDISPINFO, no per-item storage, so a
// million rows cost nothing); grid lines, full-row select, info tips and
// label editing with vetoes.
#include <algorithm>
#include <cstring>

#include "platform/controls/control_internal.h"

namespace {

struct Column {
    std::string text;
    int width = 80;
    int fmt = LVCFMT_LEFT;
};

struct Row {
    std::vector<std::string> texts;
    LPARAM param = 0;
    bool selected = false;
};

struct ListView {
    HWND hwnd = nullptr;
    std::vector<Column> columns;
    std::vector<Row> rows;          // empty with owner data
    int ownerCount = 0;
    int ownerSel = -1;              // owner data keeps one selection
    int focus = -1;
    int top = 0;
    DWORD ex = 0;
    bool focused = false;
    HFONT font = nullptr;
    int rowHeight = 0;
    HWND edit = nullptr;
    int editItem = -1;
    WNDPROC editProc = nullptr;
    HWND tip = nullptr;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool Owner() const { return (Style() & LVS_OWNERDATA) != 0; }
    int Count() const { return Owner() ? ownerCount : (int)rows.size(); }
    bool Selected(int i) const { return Owner() ? i == ownerSel : rows[(size_t)i].selected; }

    int RowHeight()
    {
        if (!rowHeight) rowHeight = ControlRowHeight(hwnd, 14);
        return rowHeight;
    }
    int HeaderHeight() { return (Style() & LVS_NOCOLUMNHEADER) ? 0 : RowHeight() + 4; }
    int PerPage()
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        return std::max(1, (int)(rc.bottom - HeaderHeight()) / RowHeight());
    }

    std::string Text(int i, int sub)
    {
        if (i < 0 || i >= Count()) return {};
        if (!Owner()) {
            const Row& r = rows[(size_t)i];
            return sub < (int)r.texts.size() ? r.texts[(size_t)sub] : std::string();
        }
        char buf[260] = {};
        NMLVDISPINFO di{};
        di.item.mask = LVIF_TEXT;
        di.item.iItem = i;
        di.item.iSubItem = sub;
        di.item.pszText = buf;
        di.item.cchTextMax = (int)sizeof buf;
        NotifyParent(hwnd, &di.hdr, LVN_GETDISPINFO);
        if (!di.item.pszText) return {};
        return std::string(di.item.pszText, strnlen(di.item.pszText, di.item.pszText == buf ? sizeof buf : 4096));
    }

    void UpdateScroll()
    {
        const int page = PerPage(), n = Count();
        top = std::clamp(top, 0, std::max(0, n - page));
        if (WantsVScroll(hwnd)) {
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, n - 1), (UINT)page, top, 0};
            SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
        }
    }

    void EnsureVisible(int i)
    {
        if (i < 0) return;
        const int page = PerPage();
        if (i < top) top = i;
        else if (i >= top + page) top = i - page + 1;
        UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    void ItemChanged(int i, UINT oldState, UINT newState)
    {
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.uOldState = oldState;
        nm.uNewState = newState;
        nm.uChanged = LVIF_STATE;
        NotifyParent(hwnd, &nm.hdr, LVN_ITEMCHANGED);
    }

    void SelectOnly(int i)
    {
        if (i < 0 || i >= Count()) return;
        if (Owner()) {
            int old = ownerSel;
            ownerSel = i;
            if (old != i) {
                if (old >= 0) ItemChanged(old, LVIS_SELECTED, 0);
                ItemChanged(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
            }
        } else {
            for (int k = 0; k < (int)rows.size(); ++k)
                if (rows[(size_t)k].selected && k != i) {
                    rows[(size_t)k].selected = false;
                    ItemChanged(k, LVIS_SELECTED, 0);
                }
            if (!rows[(size_t)i].selected) {
                rows[(size_t)i].selected = true;
                ItemChanged(i, 0, LVIS_SELECTED | LVIS_FOCUSED);
            }
        }
        focus = i;
        EnsureVisible(i);
    }

    RECT ItemRect(int i, bool labelOnly)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        const int y = HeaderHeight() + (i - top) * RowHeight();
        int right = rc.right;
        if (labelOnly && !columns.empty()) right = columns[0].width;
        return RECT{0, y, right, y + RowHeight()};
    }

    int ItemAt(POINT pt)
    {
        if (pt.y < HeaderHeight()) return -1;
        int i = top + (pt.y - HeaderHeight()) / RowHeight();
        return i < Count() ? i : -1;
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
        const bool disabled = !IsWindowEnabled(hwnd);
        HGDIOBJ oldFont = SelectObject(hdc, ControlFont(hwnd));
        SetBkMode(hdc, TRANSPARENT);
        const int hh = HeaderHeight(), rh = RowHeight();
        if (hh) PaintHeader(hdc, rc, hh, disabled);
        const bool full = (ex & LVS_EX_FULLROWSELECT) != 0;
        const bool showSel = focused || (Style() & LVS_SHOWSELALWAYS);
        const int last = std::min(Count(), top + PerPage() + 1);
        for (int i = top; i < last; ++i) {
            const int y = hh + (i - top) * rh;
            int x = 0;
            const bool sel = showSel && Selected(i);
            for (size_t c = 0; c < std::max<size_t>(columns.size(), 1); ++c) {
                const int wdt = columns.empty() ? rc.right : columns[c].width;
                if (i == editItem && c == 0) {
                    x += wdt;
                    continue;
                }
                RECT cell{x, y, x + wdt, y + rh};
                const bool hi = sel && (full || c == 0);
                if (hi) FillRect(hdc, &cell, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
                SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : hi && focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
                std::string t = Text(i, (int)c);
                RECT tr = cell;
                InflateRect(&tr, -4, 0);
                UINT fmt = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
                if (!columns.empty() && columns[c].fmt == LVCFMT_RIGHT) fmt |= DT_RIGHT;
                else if (!columns.empty() && columns[c].fmt == LVCFMT_CENTER) fmt |= DT_CENTER;
                DrawText(hdc, t.c_str(), (int)t.size(), &tr, fmt);
                x += wdt;
            }
            if (focused && i == focus) {
                RECT f = ItemRect(i, !full);
                PaintFocus(hdc, f);
            }
        }
        if (ex & LVS_EX_GRIDLINES) {
            HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
            HGDIOBJ old = SelectObject(hdc, pen);
            for (int y = hh + rh - 1; y < rc.bottom; y += rh) {
                MoveToEx(hdc, 0, y, nullptr);
                LineTo(hdc, rc.right, y);
            }
            int x = 0;
            for (const Column& c : columns) {
                x += c.width;
                MoveToEx(hdc, x - 1, hh, nullptr);
                LineTo(hdc, x - 1, rc.bottom);
            }
            SelectObject(hdc, old);
            DeleteObject(pen);
        }
        SelectObject(hdc, oldFont);
    }

    // The column headers: a bevel each, and one for the rest of the row.
    void PaintHeader(HDC hdc, const RECT& rc, int hh, bool disabled)
    {
        int x = 0;
        for (const Column& c : columns) {
            RECT h{x, 0, x + c.width, hh};
            PaintBevel(hdc, h, false);
            RECT tr = h;
            InflateRect(&tr, -4, 0);
            SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
            PaintControlText(hdc, hwnd, c.text, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, disabled);
            x += c.width;
        }
        if (x < rc.right) {
            RECT h{x, 0, rc.right, hh};
            PaintBevel(hdc, h, false);
        }
    }

    // Label editing.
    HWND BeginEdit(int i);
    void EndEdit(bool accept);

    void Key(UINT vk)
    {
        const int n = Count();
        if (n == 0) return;
        int i = focus < 0 ? 0 : focus;
        switch (vk) {
        case VK_UP: i = std::max(0, i - 1); break;
        case VK_DOWN: i = std::min(n - 1, focus < 0 ? 0 : i + 1); break;
        case VK_HOME: i = 0; break;
        case VK_END: i = n - 1; break;
        case VK_PRIOR: i = std::max(0, i - PerPage() + 1); break;
        case VK_NEXT: i = std::min(n - 1, i + PerPage() - 1); break;
        case VK_F1 + 1:   // F2
            if (Style() & LVS_EDITLABELS) BeginEdit(focus);
            return;
        default: return;
        }
        SelectOnly(i);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    void OnNcDestroy() { NoteScrollStyle(hwnd, nullptr); }
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnListMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnDestroy();
    LRESULT OnSetFont(HFONT f);
    LRESULT OnFocus(bool on);
    LRESULT OnLButtonDown(POINT pt, bool doubleClick);
    void ClickHeader(POINT pt);
    LRESULT OnMouseMove(WPARAM w, LPARAM l);
    LRESULT OnNotify(NMHDR* h);
    LRESULT ScrollTo(int row);
    LRESULT OnVScroll(WPARAM w);
    LRESULT OnInsertColumn(int at, const LVCOLUMN* c);
    LRESULT OnInsertItem(const LVITEM* it);
    LRESULT OnSetItem(UINT msg, WPARAM w, const LVITEM* it);
    LRESULT OnGetItemText(WPARAM w, LVITEM* it);
    LRESULT OnGetItem(LVITEM* it);
    LRESULT OnSetColumnWidth(WPARAM c, int width);
    LRESULT OnSetItemCount(int n);
    LRESULT OnDeleteItem(WPARAM w);
    LRESULT OnDeleteAllItems();
    LRESULT OnGetNextItem(int after, UINT flags);
    LRESULT OnSetItemState(WPARAM w, const LVITEM* it);
    LRESULT OnGetItemState(WPARAM w, UINT mask);
    LRESULT OnGetItemRect(WPARAM w, RECT* r);
    LRESULT OnHitTest(LVHITTESTINFO* hi);
    LRESULT OnSetExtendedStyle(DWORD mask, DWORD style);
    LRESULT OnEditLabel(int i);
    bool ValidItem(WPARAM i) const { return (int)i >= 0 && (int)i < Count(); }
};

LRESULT EditSubclass(HWND h, UINT m, WPARAM w, LPARAM l)
{
    HWND lv = GetParent(h);
    ListView* v = lv ? ControlState<ListView>(lv) : nullptr;
    if (!v || !v->editProc) return DefWindowProc(h, m, w, l);
    WNDPROC base = v->editProc;
    if (m == WM_GETDLGCODE) return CallWindowProc(base, h, m, w, l) | DLGC_WANTALLKEYS;
    if (m == WM_KEYDOWN && (w == VK_RETURN || w == VK_ESCAPE)) {
        v->EndEdit(w == VK_RETURN);
        return 0;
    }
    if (m == WM_CHAR && (w == 13 || w == 27)) return 0;
    if (m == WM_KILLFOCUS) {
        LRESULT r = CallWindowProc(base, h, m, w, l);
        if (v->edit == h) PostMessage(lv, WM_APP + 20, 0, 0);   // focus left: the edit ends as accepted
        return r;
    }
    return CallWindowProc(base, h, m, w, l);
}

HWND ListView::BeginEdit(int i)
{
    if (i < 0 || i >= Count()) return nullptr;
    if (edit) EndEdit(true);
    NMLVDISPINFO di{};
    di.item.iItem = i;
    di.item.mask = LVIF_TEXT;
    std::string text = Text(i, 0);
    di.item.pszText = text.data();
    if (NotifyParent(hwnd, &di.hdr, LVN_BEGINLABELEDIT)) return nullptr;   // vetoed
    RECT r = ItemRect(i, true);
    edit = CreateWindowEx(0, WC_EDIT, text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, r.left,
                          r.top, r.right - r.left, r.bottom - r.top, hwnd, (HMENU)(uintptr_t)1, nullptr, nullptr);
    if (!edit) return nullptr;
    editItem = i;
    editProc = (WNDPROC)GetWindowLongPtr(edit, GWLP_WNDPROC);
    SetWindowLongPtr(edit, GWLP_WNDPROC, (LONG_PTR)EditSubclass);
    SendMessage(edit, WM_SETFONT, (WPARAM)ControlFont(hwnd), 0);
    SendMessage(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
    InvalidateRect(hwnd, nullptr, TRUE);
    return edit;
}

void ListView::EndEdit(bool accept)
{
    if (!edit) return;
    HWND e = edit;
    const int i = editItem;
    std::string text = WindowTextOf(e);
    edit = nullptr;
    editItem = -1;
    NMLVDISPINFO di{};
    di.item.iItem = i;
    di.item.mask = LVIF_TEXT;
    di.item.pszText = accept ? text.data() : nullptr;   // null: cancelled
    const LRESULT ok = NotifyParent(hwnd, &di.hdr, LVN_ENDLABELEDIT);
    if (accept && ok && !Owner() && i >= 0 && i < (int)rows.size()) {
        if (rows[(size_t)i].texts.empty()) rows[(size_t)i].texts.resize(1);
        rows[(size_t)i].texts[0] = text;
    }
    const bool hadFocus = GetFocus() == e;
    DestroyWindow(e);
    editProc = nullptr;
    if (hadFocus) SetFocus(hwnd);
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT ListView::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
    NewControlState<ListView>(hwnd);
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

LRESULT ListView::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_DESTROY: return OnDestroy();
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: return OnSetFont((HFONT)w);
    case WM_GETFONT: return (LRESULT)font;
    case WM_SIZE: UpdateScroll(); return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(msg == WM_SETFOCUS);
    case WM_KEYDOWN: Key((UINT)w); return 0;
    case WM_APP + 20: EndEdit(true); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l), msg == WM_LBUTTONDBLCLK);
    case WM_MOUSEMOVE: return OnMouseMove(w, l);
    case WM_NOTIFY: return OnNotify((NMHDR*)l);
    case WM_MOUSEWHEEL: return ScrollTo(top - GET_WHEEL_DELTA_WPARAM(w) / 40);
    case WM_VSCROLL: return OnVScroll(w);
    default: return OnListMessage(msg, w, l);
    }
}

LRESULT ListView::OnListMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case LVM_INSERTCOLUMN: return OnInsertColumn((int)w, (const LVCOLUMN*)l);
    case LVM_INSERTITEM: return OnInsertItem((const LVITEM*)l);
    case LVM_SETITEMTEXT:
    case LVM_SETITEM: return OnSetItem(msg, w, (const LVITEM*)l);
    case LVM_GETITEMTEXT: return OnGetItemText(w, (LVITEM*)l);
    case LVM_GETITEM: return OnGetItem((LVITEM*)l);
    case LVM_GETITEMCOUNT: return Count();
    case LVM_GETCOLUMNWIDTH: return (int)w >= 0 && w < columns.size() ? columns[w].width : 0;
    case LVM_SETCOLUMNWIDTH: return OnSetColumnWidth(w, (int)l);
    case LVM_SETITEMCOUNT: return OnSetItemCount((int)w);
    case LVM_DELETEITEM: return OnDeleteItem(w);
    case LVM_DELETEALLITEMS: return OnDeleteAllItems();
    case LVM_GETNEXTITEM: return OnGetNextItem((int)(intptr_t)w, (UINT)l);
    case LVM_SETITEMSTATE: return OnSetItemState(w, (const LVITEM*)l);
    case LVM_GETITEMSTATE: return OnGetItemState(w, (UINT)l);
    case LVM_ENSUREVISIBLE: EnsureVisible(ValidItem(w) ? (int)w : -1); return TRUE;
    case LVM_GETTOPINDEX: return top;
    case LVM_GETCOUNTPERPAGE: return PerPage();
    case LVM_SCROLL:
        ScrollTo(top + (int)l / std::max(1, RowHeight()));
        return TRUE;
    case LVM_GETITEMRECT: return OnGetItemRect(w, (RECT*)l);
    case LVM_HITTEST: return OnHitTest((LVHITTESTINFO*)l);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return OnSetExtendedStyle((DWORD)w, (DWORD)l);
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return ex;
    case LVM_EDITLABEL: return OnEditLabel((int)(intptr_t)w);
    case LVM_GETEDITCONTROL: return (LRESULT)edit;
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT ListView::OnDestroy()
{
    if (tip) DestroyWindow(tip);
    tip = nullptr;
    return 0;
}

LRESULT ListView::OnSetFont(HFONT f)
{
    font = f;
    rowHeight = 0;
    return 0;
}

LRESULT ListView::OnFocus(bool on)
{
    focused = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ListView::OnLButtonDown(POINT pt, bool doubleClick)
{
    if (pt.y < HeaderHeight()) {
        ClickHeader(pt);
        return 0;
    }
    const int before = focus;
    if (GetFocus() != hwnd) SetFocus(hwnd);
    int i = ItemAt(pt);
    if (i < 0) return 0;
    // A second click on the focused label starts editing.
    const bool onLabel = columns.empty() || pt.x < columns[0].width;
    if (!doubleClick && i == before && Selected(i) && onLabel && (Style() & LVS_EDITLABELS)) {
        BeginEdit(i);
        return 0;
    }
    SelectOnly(i);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (doubleClick) {
        NMLISTVIEW nm{};
        nm.iItem = i;
        nm.ptAction = pt;
        NotifyParent(hwnd, &nm.hdr, NM_DBLCLK);
    }
    return 0;
}

void ListView::ClickHeader(POINT pt)
{
    int x = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (pt.x >= x && pt.x < x + columns[c].width) {
            NMLISTVIEW nm{};
            nm.iItem = -1;
            nm.iSubItem = (int)c;
            NotifyParent(hwnd, &nm.hdr, LVN_COLUMNCLICK);
        }
        x += columns[c].width;
    }
}

LRESULT ListView::OnMouseMove(WPARAM w, LPARAM l)
{
    if ((ex & LVS_EX_INFOTIP) && tip) {
        MSG m{hwnd, WM_MOUSEMOVE, w, l, 0, {}};
        SendMessage(tip, TTM_RELAYEVENT, 0, (LPARAM)&m);
    }
    return 0;
}

// The info tip of the item under the pointer, from the parent.
LRESULT ListView::OnNotify(NMHDR* h)
{
    if (!h || h->hwndFrom != tip || h->code != (UINT)TTN_GETDISPINFO) return 0;
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(hwnd, &pt);
    int i = ItemAt(pt);
    NMTTDISPINFO* di = (NMTTDISPINFO*)h;
    di->szText[0] = '\0';
    if (i >= 0) {
        char buf[80] = {};
        NMLVGETINFOTIP infoTip{};
        infoTip.pszText = buf;
        infoTip.cchTextMax = (int)sizeof buf;
        infoTip.iItem = i;
        NotifyParent(hwnd, &infoTip.hdr, LVN_GETINFOTIP);
        buf[sizeof buf - 1] = '\0';
        memcpy(di->szText, buf, sizeof di->szText);
    }
    return 0;
}

LRESULT ListView::ScrollTo(int row)
{
    top = row;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT ListView::OnVScroll(WPARAM w)
{
    switch (LOWORD(w)) {
    case SB_TOP: return ScrollTo(0);
    case SB_BOTTOM: return ScrollTo(Count());
    default: return ScrollTo(ScrolledLine(hwnd, w, top, PerPage()));
    }
}

LRESULT ListView::OnInsertColumn(int w, const LVCOLUMN* c)
{
    if (!c) return -1;
    Column col;
    if ((c->mask & LVCF_TEXT) && c->pszText) col.text = c->pszText;
    if (c->mask & LVCF_WIDTH) col.width = std::max(0, c->cx);
    if (c->mask & LVCF_FMT) col.fmt = c->fmt & 3;
    int at = std::clamp(w, 0, (int)columns.size());
    columns.insert(columns.begin() + at, col);
    for (Row& r : rows)
        if ((int)r.texts.size() > at) r.texts.insert(r.texts.begin() + at, std::string());
    InvalidateRect(hwnd, nullptr, TRUE);
    return at;
}

LRESULT ListView::OnInsertItem(const LVITEM* it)
{
    if (!it || Owner()) return -1;
    Row r;
    r.texts.resize(std::max<size_t>(columns.size(), 1));
    if ((it->mask & LVIF_TEXT) && it->pszText && it->pszText != (char*)(intptr_t)-1) r.texts[0] = it->pszText;
    if (it->mask & LVIF_PARAM) r.param = it->lParam;
    int at = std::clamp(it->iItem, 0, (int)rows.size());
    rows.insert(rows.begin() + at, std::move(r));
    if (focus >= at) ++focus;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return at;
}

// LVM_SETITEMTEXT (the item in w) and LVM_SETITEM.
LRESULT ListView::OnSetItem(UINT msg, WPARAM w, const LVITEM* it)
{
    if (!it || Owner()) return FALSE;
    const int i = msg == LVM_SETITEM ? it->iItem : (int)w;
    if (i < 0 || i >= Count() || it->iSubItem < 0 || it->iSubItem > 255) return FALSE;
    Row& r = rows[(size_t)i];
    if ((msg == LVM_SETITEMTEXT || (it->mask & LVIF_TEXT)) && it->pszText) {
        if ((int)r.texts.size() <= it->iSubItem) r.texts.resize((size_t)it->iSubItem + 1);
        r.texts[(size_t)it->iSubItem] = it->pszText;
    }
    if (msg == LVM_SETITEM && (it->mask & LVIF_PARAM)) r.param = it->lParam;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnGetItemText(WPARAM w, LVITEM* it)
{
    if (!it || !it->pszText || it->cchTextMax <= 0 || !ValidItem(w)) return 0;
    std::string t = Text((int)w, it->iSubItem);
    snprintf(it->pszText, (size_t)it->cchTextMax, "%s", t.c_str());
    return (LRESULT)std::min(t.size(), (size_t)it->cchTextMax - 1);
}

LRESULT ListView::OnGetItem(LVITEM* it)
{
    if (!it || it->iItem < 0 || it->iItem >= Count()) return FALSE;
    if ((it->mask & LVIF_TEXT) && it->pszText && it->cchTextMax > 0)
        snprintf(it->pszText, (size_t)it->cchTextMax, "%s", Text(it->iItem, it->iSubItem).c_str());
    if ((it->mask & LVIF_PARAM) && !Owner()) it->lParam = rows[(size_t)it->iItem].param;
    if (it->mask & LVIF_STATE)
        it->state = (Selected(it->iItem) ? LVIS_SELECTED : 0) | (it->iItem == focus ? LVIS_FOCUSED : 0);
    return TRUE;
}

LRESULT ListView::OnSetColumnWidth(WPARAM c, int width)
{
    if (c >= columns.size()) return FALSE;
    columns[c].width = std::max(0, width);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnSetItemCount(int n)
{
    if (!Owner()) return FALSE;
    ownerCount = std::max(0, n);
    if (ownerSel >= ownerCount) ownerSel = -1;
    if (focus >= ownerCount) focus = -1;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnDeleteItem(WPARAM w)
{
    const int count = Count();
    if (!ValidItem(w) || Owner()) return FALSE;
    rows.erase(rows.begin() + (ptrdiff_t)w);
    if (focus >= count - 1) focus = count - 2;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnDeleteAllItems()
{
    rows.clear();
    ownerCount = 0;
    ownerSel = focus = -1;
    top = 0;
    UpdateScroll();
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnGetNextItem(int after, UINT flags)
{
    const int count = Count();
    for (int i = after + 1; i < count; ++i) {
        if ((flags & LVNI_FOCUSED) && i != focus) continue;
        if ((flags & LVNI_SELECTED) && !Selected(i)) {
            // Owner data has one selection: jump to it.
            if (Owner()) return ownerSel > after ? ownerSel : -1;
            continue;
        }
        return i;
    }
    return -1;
}

LRESULT ListView::OnSetItemState(WPARAM w, const LVITEM* it)
{
    if (!it) return FALSE;
    const int i = (int)(intptr_t)w;
    auto apply = [&](int k) {
        if ((it->stateMask & LVIS_SELECTED)) {
            const bool on = (it->state & LVIS_SELECTED) != 0;
            if (Owner()) {
                if (on) ownerSel = k;
                else if (ownerSel == k || k == -1) ownerSel = -1;
            } else {
                rows[(size_t)k].selected = on;
            }
        }
        if ((it->stateMask & LVIS_FOCUSED) && (it->state & LVIS_FOCUSED)) focus = k;
    };
    if (i == -1) {
        if (Owner()) {
            if (!(it->state & LVIS_SELECTED)) ownerSel = -1;
        } else {
            for (int k = 0, count = Count(); k < count; ++k) apply(k);
        }
    } else if (ValidItem(w)) {
        apply(i);
    } else {
        return FALSE;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT ListView::OnGetItemState(WPARAM w, UINT mask)
{
    if (!ValidItem(w)) return 0;
    return ((Selected((int)w) ? LVIS_SELECTED : 0) | ((int)w == focus ? LVIS_FOCUSED : 0)) & mask;
}

LRESULT ListView::OnGetItemRect(WPARAM w, RECT* r)
{
    if (!ValidItem(w) || !r) return FALSE;
    *r = ItemRect((int)w, r->left == 2 /* LVIR_LABEL */);
    return TRUE;
}

LRESULT ListView::OnHitTest(LVHITTESTINFO* hi)
{
    if (!hi) return -1;
    hi->iItem = ItemAt(hi->pt);
    hi->flags = hi->iItem >= 0 ? 0x0004u : 0x0001u;
    return hi->iItem;
}

LRESULT ListView::OnSetExtendedStyle(DWORD w, DWORD l)
{
    DWORD old = ex;
    DWORD mask = w ? w : 0xFFFFFFFFu;
    ex = (ex & ~mask) | (l & mask);
    if ((ex & LVS_EX_INFOTIP) && !tip) {
        tip = CreateWindowEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
        TOOLINFO ti{sizeof ti, TTF_IDISHWND, hwnd, (UINT_PTR)hwnd, {}, nullptr, LPSTR_TEXTCALLBACK, 0};
        SendMessage(tip, TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

// -1 ends the edit under way as cancelled.
LRESULT ListView::OnEditLabel(int i)
{
    if (i == -1) {
        EndEdit(false);
        return 0;
    }
    return (LRESULT)BeginEdit(i);
}
}  // namespace

void RegisterListViewClass() { RegisterControlClass(WC_LISTVIEW, ControlProc<ListView>); }
