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
        if (hh) {
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

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ListView* v = ControlState<ListView>(hwnd);
    if (msg == WM_NCCREATE) {
        NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
        v = NewControlState<ListView>(hwnd);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!v) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { v->Paint(hdc); })) return 0;
    const int count = v->Count();
    auto valid = [&](WPARAM i) { return (int)i >= 0 && (int)i < count; };
    switch (msg) {
    case WM_DESTROY:
        if (v->tip) DestroyWindow(v->tip);
        v->tip = nullptr;
        return 0;
    case WM_NCDESTROY:
        NoteScrollStyle(hwnd, nullptr);
        DeleteControlState(hwnd, v);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        v->font = (HFONT)w;
        v->rowHeight = 0;
        return 0;
    case WM_GETFONT: return (LRESULT)v->font;
    case WM_SIZE: v->UpdateScroll(); return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        v->focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN: v->Key((UINT)w); return 0;
    case WM_APP + 20: v->EndEdit(true); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (pt.y < v->HeaderHeight()) {
            int x = 0;
            for (size_t c = 0; c < v->columns.size(); ++c) {
                if (pt.x >= x && pt.x < x + v->columns[c].width) {
                    NMLISTVIEW nm{};
                    nm.iItem = -1;
                    nm.iSubItem = (int)c;
                    NotifyParent(hwnd, &nm.hdr, LVN_COLUMNCLICK);
                }
                x += v->columns[c].width;
            }
            return 0;
        }
        const int before = v->focus;
        if (GetFocus() != hwnd) SetFocus(hwnd);
        int i = v->ItemAt(pt);
        if (i < 0) return 0;
        // A second click on the focused label starts editing.
        const bool onLabel = v->columns.empty() || pt.x < v->columns[0].width;
        if (msg == WM_LBUTTONDOWN && i == before && v->Selected(i) && onLabel && (v->Style() & LVS_EDITLABELS)) {
            v->BeginEdit(i);
            return 0;
        }
        v->SelectOnly(i);
        InvalidateRect(hwnd, nullptr, TRUE);
        if (msg == WM_LBUTTONDBLCLK) {
            NMLISTVIEW nm{};
            nm.iItem = i;
            nm.ptAction = pt;
            NotifyParent(hwnd, &nm.hdr, NM_DBLCLK);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if ((v->ex & LVS_EX_INFOTIP) && v->tip) {
            MSG m{hwnd, msg, w, l, 0, {}};
            SendMessage(v->tip, TTM_RELAYEVENT, 0, (LPARAM)&m);
        }
        return 0;
    case WM_NOTIFY: {
        NMHDR* h = (NMHDR*)l;
        if (h && h->hwndFrom == v->tip && h->code == (UINT)TTN_GETDISPINFO) {
            // The info tip of the item under the pointer, from the parent.
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd, &pt);
            int i = v->ItemAt(pt);
            NMTTDISPINFO* di = (NMTTDISPINFO*)l;
            di->szText[0] = '\0';
            if (i >= 0) {
                char buf[80] = {};
                NMLVGETINFOTIP tip{};
                tip.pszText = buf;
                tip.cchTextMax = (int)sizeof buf;
                tip.iItem = i;
                NotifyParent(hwnd, &tip.hdr, LVN_GETINFOTIP);
                buf[sizeof buf - 1] = '\0';
                memcpy(di->szText, buf, sizeof di->szText);
            }
            return 0;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        v->top -= GET_WHEEL_DELTA_WPARAM(w) / 40;
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_VSCROLL: {
        switch (LOWORD(w)) {
        case SB_TOP: v->top = 0; break;
        case SB_BOTTOM: v->top = count; break;
        default: v->top = ScrolledLine(hwnd, w, v->top, v->PerPage()); break;
        }
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case LVM_INSERTCOLUMN: {
        const LVCOLUMN* c = (const LVCOLUMN*)l;
        if (!c) return -1;
        Column col;
        if ((c->mask & LVCF_TEXT) && c->pszText) col.text = c->pszText;
        if (c->mask & LVCF_WIDTH) col.width = std::max(0, c->cx);
        if (c->mask & LVCF_FMT) col.fmt = c->fmt & 3;
        int at = std::clamp((int)w, 0, (int)v->columns.size());
        v->columns.insert(v->columns.begin() + at, col);
        for (Row& r : v->rows)
            if ((int)r.texts.size() > at) r.texts.insert(r.texts.begin() + at, std::string());
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case LVM_INSERTITEM: {
        const LVITEM* it = (const LVITEM*)l;
        if (!it || v->Owner()) return -1;
        Row r;
        r.texts.resize(std::max<size_t>(v->columns.size(), 1));
        if ((it->mask & LVIF_TEXT) && it->pszText && it->pszText != (char*)(intptr_t)-1) r.texts[0] = it->pszText;
        if (it->mask & LVIF_PARAM) r.param = it->lParam;
        int at = std::clamp(it->iItem, 0, (int)v->rows.size());
        v->rows.insert(v->rows.begin() + at, std::move(r));
        if (v->focus >= at) ++v->focus;
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case LVM_SETITEMTEXT:
    case LVM_SETITEM: {
        const LVITEM* it = (const LVITEM*)l;
        if (!it || v->Owner()) return FALSE;
        const int i = msg == LVM_SETITEM ? it->iItem : (int)w;
        if (i < 0 || i >= count || it->iSubItem < 0 || it->iSubItem > 255) return FALSE;
        Row& r = v->rows[(size_t)i];
        if ((msg == LVM_SETITEMTEXT || (it->mask & LVIF_TEXT)) && it->pszText) {
            if ((int)r.texts.size() <= it->iSubItem) r.texts.resize((size_t)it->iSubItem + 1);
            r.texts[(size_t)it->iSubItem] = it->pszText;
        }
        if (msg == LVM_SETITEM && (it->mask & LVIF_PARAM)) r.param = it->lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETITEMTEXT: {
        LVITEM* it = (LVITEM*)l;
        if (!it || !it->pszText || it->cchTextMax <= 0 || !valid(w)) return 0;
        std::string t = v->Text((int)w, it->iSubItem);
        snprintf(it->pszText, (size_t)it->cchTextMax, "%s", t.c_str());
        return (LRESULT)std::min(t.size(), (size_t)it->cchTextMax - 1);
    }
    case LVM_GETITEM: {
        LVITEM* it = (LVITEM*)l;
        if (!it || it->iItem < 0 || it->iItem >= count) return FALSE;
        if ((it->mask & LVIF_TEXT) && it->pszText && it->cchTextMax > 0)
            snprintf(it->pszText, (size_t)it->cchTextMax, "%s", v->Text(it->iItem, it->iSubItem).c_str());
        if ((it->mask & LVIF_PARAM) && !v->Owner()) it->lParam = v->rows[(size_t)it->iItem].param;
        if (it->mask & LVIF_STATE)
            it->state = (v->Selected(it->iItem) ? LVIS_SELECTED : 0) | (it->iItem == v->focus ? LVIS_FOCUSED : 0);
        return TRUE;
    }
    case LVM_GETITEMCOUNT: return count;
    case LVM_GETCOLUMNWIDTH: return (int)w >= 0 && w < v->columns.size() ? v->columns[w].width : 0;
    case LVM_SETCOLUMNWIDTH:
        if (w >= v->columns.size()) return FALSE;
        v->columns[w].width = std::max(0, (int)l);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_SETITEMCOUNT:
        if (!v->Owner()) return FALSE;
        v->ownerCount = std::max(0, (int)w);
        if (v->ownerSel >= v->ownerCount) v->ownerSel = -1;
        if (v->focus >= v->ownerCount) v->focus = -1;
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_DELETEITEM:
        if (!valid(w) || v->Owner()) return FALSE;
        v->rows.erase(v->rows.begin() + (ptrdiff_t)w);
        if (v->focus >= count - 1) v->focus = count - 2;
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_DELETEALLITEMS:
        v->rows.clear();
        v->ownerCount = 0;
        v->ownerSel = v->focus = -1;
        v->top = 0;
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_GETNEXTITEM: {
        for (int i = (int)(intptr_t)w + 1; i < count; ++i) {
            if ((l & LVNI_FOCUSED) && i != v->focus) continue;
            if ((l & LVNI_SELECTED) && !v->Selected(i)) {
                if (v->Owner()) {
                    // Owner data has one selection: jump to it.
                    return v->ownerSel > (int)(intptr_t)w ? v->ownerSel : -1;
                }
                continue;
            }
            return i;
        }
        return -1;
    }
    case LVM_SETITEMSTATE: {
        const LVITEM* it = (const LVITEM*)l;
        if (!it) return FALSE;
        const int i = (int)(intptr_t)w;
        auto apply = [&](int k) {
            if ((it->stateMask & LVIS_SELECTED)) {
                const bool on = (it->state & LVIS_SELECTED) != 0;
                if (v->Owner()) {
                    if (on) v->ownerSel = k;
                    else if (v->ownerSel == k || k == -1) v->ownerSel = -1;
                } else {
                    v->rows[(size_t)k].selected = on;
                }
            }
            if ((it->stateMask & LVIS_FOCUSED) && (it->state & LVIS_FOCUSED)) v->focus = k;
        };
        if (i == -1) {
            if (v->Owner()) {
                if (!(it->state & LVIS_SELECTED)) v->ownerSel = -1;
            } else {
                for (int k = 0; k < count; ++k) apply(k);
            }
        } else if (valid(w)) {
            apply(i);
        } else {
            return FALSE;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
        if (!valid(w)) return 0;
        return ((v->Selected((int)w) ? LVIS_SELECTED : 0) | ((int)w == v->focus ? LVIS_FOCUSED : 0)) & (UINT)l;
    case LVM_ENSUREVISIBLE: v->EnsureVisible(valid(w) ? (int)w : -1); return TRUE;
    case LVM_GETTOPINDEX: return v->top;
    case LVM_GETCOUNTPERPAGE: return v->PerPage();
    case LVM_SCROLL:
        v->top += (int)l / std::max(1, v->RowHeight());
        v->UpdateScroll();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case LVM_GETITEMRECT:
        if (!valid(w) || !l) return FALSE;
        *(RECT*)l = v->ItemRect((int)w, ((RECT*)l)->left == 2 /* LVIR_LABEL */);
        return TRUE;
    case LVM_HITTEST: {
        LVHITTESTINFO* hi = (LVHITTESTINFO*)l;
        if (!hi) return -1;
        hi->iItem = v->ItemAt(hi->pt);
        hi->flags = hi->iItem >= 0 ? 0x0004u : 0x0001u;
        return hi->iItem;
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        DWORD old = v->ex;
        DWORD mask = w ? (DWORD)w : 0xFFFFFFFFu;
        v->ex = (v->ex & ~mask) | ((DWORD)l & mask);
        if ((v->ex & LVS_EX_INFOTIP) && !v->tip) {
            v->tip = CreateWindowEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, hwnd, nullptr, nullptr, nullptr);
            TOOLINFO ti{sizeof ti, TTF_IDISHWND, hwnd, (UINT_PTR)hwnd, {}, nullptr, LPSTR_TEXTCALLBACK, 0};
            SendMessage(v->tip, TTM_ADDTOOL, 0, (LPARAM)&ti);
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return v->ex;
    case LVM_EDITLABEL:
        if ((int)(intptr_t)w == -1) {
            v->EndEdit(false);
            return 0;
        }
        return (LRESULT)v->BeginEdit((int)(intptr_t)w);
    case LVM_GETEDITCONTROL: return (LRESULT)v->edit;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}
}  // namespace

void RegisterListViewClass() { RegisterControlClass(WC_LISTVIEW, ListViewProc); }
