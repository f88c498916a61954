// Tab control (used by property sheets), status bar (parts, simple mode) and
// tooltip (callback text, relayed mouse input, delays, maximum width,
// TTN_SHOW repositioning; a non-activating top-most pop-up).
#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/controls/control_internal.h"

namespace {

// --- tab -------------------------------------------------------------------------

struct Tab {
    HWND hwnd = nullptr;
    struct Item {
        std::string text;
        LPARAM param = 0;
    };
    std::vector<Item> items;
    int cur = -1;
    bool focused = false;
    HFONT font = nullptr;

    int RowHeight()
    {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        return tm.tmHeight + 8;
    }

    RECT ItemRect(int i)
    {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, ControlFont(hwnd));
        int x = 2;
        RECT r{};
        const int h = RowHeight();
        for (int k = 0; k <= i && k < (int)items.size(); ++k) {
            SIZE sz{};
            GetTextExtentPoint32(dc, items[(size_t)k].text.c_str(), (int)items[(size_t)k].text.size(), &sz);
            r = RECT{x, 2, x + sz.cx + 12, 2 + h};
            x = r.right;
        }
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        return r;
    }

    int HitTest(POINT pt)
    {
        for (int i = 0; i < (int)items.size(); ++i) {
            RECT r = ItemRect(i);
            if (PtInRect(&r, pt)) return i;
        }
        return -1;
    }

    // A user's choice: TCN_SELCHANGING may veto it.
    void Choose(int i)
    {
        if (i < 0 || i >= (int)items.size() || i == cur) return;
        NMHDR hdr{};
        if (NotifyParent(hwnd, &hdr, TCN_SELCHANGING)) return;
        cur = i;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, &hdr, TCN_SELCHANGE);
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        const int h = RowHeight();
        RECT body{rc.left, rc.top + 2 + h, rc.right, rc.bottom};
        DrawEdge(hdc, &body, EDGE_RAISED, BF_RECT);
        const bool disabled = !IsWindowEnabled(hwnd);
        for (int i = 0; i < (int)items.size(); ++i) {
            RECT r = ItemRect(i);
            if (i == cur) InflateRect(&r, 2, 2), r.bottom += 1;
            FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
            RECT e = r;
            DrawEdge(hdc, &e, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
            SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
            PaintControlText(hdc, hwnd, items[(size_t)i].text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, disabled);
            if (i == cur && focused) {
                RECT f = r;
                InflateRect(&f, -3, -3);
                PaintFocus(hdc, f);
            }
        }
    }
};

LRESULT TabProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Tab* t = ControlState<Tab>(hwnd);
    if (msg == WM_NCCREATE) {
        t = NewControlState<Tab>(hwnd);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!t) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { t->Paint(hdc); })) return 0;
    const int count = (int)t->items.size();
    switch (msg) {
    case WM_NCDESTROY:
        DeleteControlState(hwnd, t);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        t->font = (HFONT)w;
        return 0;
    case WM_GETFONT: return (LRESULT)t->font;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        t->focused = msg == WM_SETFOCUS;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (w == VK_LEFT) t->Choose(t->cur - 1);
        else if (w == VK_RIGHT) t->Choose(t->cur + 1);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        int i = t->HitTest(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        if (i >= 0) t->Choose(i);
        return 0;
    }
    case TCM_INSERTITEM: {
        const TCITEM* it = (const TCITEM*)l;
        if (!it) return -1;
        int at = std::clamp((int)w, 0, count);
        Tab::Item item;
        if ((it->mask & TCIF_TEXT) && it->pszText) item.text = it->pszText;
        if (it->mask & TCIF_PARAM) item.param = it->lParam;
        t->items.insert(t->items.begin() + at, item);
        if (t->cur < 0) t->cur = 0;
        else if (t->cur >= at && count > 0) ++t->cur;
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
    }
    case TCM_DELETEITEM:
        if ((int)w < 0 || (int)w >= count) return FALSE;
        t->items.erase(t->items.begin() + (ptrdiff_t)w);
        if (t->cur >= (int)t->items.size()) t->cur = (int)t->items.size() - 1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_DELETEALLITEMS:
        t->items.clear();
        t->cur = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETITEMCOUNT: return count;
    case TCM_GETCURSEL: return t->cur;
    case TCM_SETCURSEL: {
        if ((int)w < 0 || (int)w >= count) return -1;
        int old = t->cur;
        t->cur = (int)w;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case TCM_GETITEM: {
        TCITEM* it = (TCITEM*)l;
        if (!it || (int)w < 0 || (int)w >= count) return FALSE;
        const Tab::Item& item = t->items[w];
        if ((it->mask & TCIF_TEXT) && it->pszText && it->cchTextMax > 0)
            snprintf(it->pszText, (size_t)it->cchTextMax, "%s", item.text.c_str());
        if (it->mask & TCIF_PARAM) it->lParam = item.param;
        return TRUE;
    }
    case TCM_SETITEM: {
        const TCITEM* it = (const TCITEM*)l;
        if (!it || (int)w < 0 || (int)w >= count) return FALSE;
        if ((it->mask & TCIF_TEXT) && it->pszText) t->items[w].text = it->pszText;
        if (it->mask & TCIF_PARAM) t->items[w].param = it->lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TCM_GETITEMRECT:
        if (!l || (int)w < 0 || (int)w >= count) return FALSE;
        *(RECT*)l = t->ItemRect((int)w);
        return TRUE;
    case TCM_HITTEST: {
        TCHITTESTINFO* hi = (TCHITTESTINFO*)l;
        return hi ? t->HitTest(hi->pt) : -1;
    }
    case TCM_ADJUSTRECT: {
        RECT* r = (RECT*)l;
        if (!r) return 0;
        const int h = t->RowHeight() + 2;
        if (w) {   // display rectangle -> window rectangle
            r->left -= 4, r->right += 4, r->bottom += 4, r->top -= h + 4;
        } else {
            r->left += 4, r->right -= 4, r->bottom -= 4, r->top += h + 4;
        }
        return 0;
    }
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

// --- status bar --------------------------------------------------------------------

struct Status {
    HWND hwnd = nullptr;
    std::vector<int> parts{-1};
    std::vector<std::string> texts{std::string()};
    std::string simpleText;
    bool simple = false;
    HFONT font = nullptr;

    RECT PartRect(int i)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        int left = i > 0 ? parts[(size_t)i - 1] : 0;
        int right = parts[(size_t)i] < 0 ? rc.right : parts[(size_t)i];
        return RECT{left, rc.top + 2, std::min<LONG>(right, rc.right) - 2, rc.bottom};
    }

    void Paint(HDC hdc)
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        const bool disabled = !IsWindowEnabled(hwnd);
        auto one = [&](RECT r, const std::string& text) {
            RECT e = r;
            DrawEdge(hdc, &e, BDR_SUNKENOUTER, BF_RECT);
            InflateRect(&r, -3, -1);
            PaintControlText(hdc, hwnd, text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, disabled);
        };
        if (simple) {
            one(RECT{rc.left, rc.top + 2, rc.right, rc.bottom}, simpleText);
        } else {
            for (int i = 0; i < (int)parts.size(); ++i) one(PartRect(i), texts[(size_t)i]);
        }
        if ((GetWindowLongPtr(hwnd, GWL_STYLE) & SBARS_SIZEGRIP)) {
            HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
            HGDIOBJ old = SelectObject(hdc, dark);
            for (int k = 3; k <= 11; k += 4) {
                MoveToEx(hdc, rc.right - 1, rc.bottom - 1 - k, nullptr);
                LineTo(hdc, rc.right - 1 - k, rc.bottom - 1);
            }
            SelectObject(hdc, old);
            DeleteObject(dark);
        }
    }
};

LRESULT StatusProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    Status* s = ControlState<Status>(hwnd);
    if (msg == WM_NCCREATE) {
        s = NewControlState<Status>(hwnd);
        const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
        if (cs->lpszName) s->texts[0] = cs->lpszName;
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!s) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { s->Paint(hdc); })) return 0;
    switch (msg) {
    case WM_NCDESTROY:
        DeleteControlState(hwnd, s);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        s->font = (HFONT)w;
        return 0;
    case WM_GETFONT: return (LRESULT)s->font;
    case WM_SETTEXT:
        s->texts[0] = l ? (const char*)l : "";
        InvalidateRect(hwnd, nullptr, TRUE);
        return DefWindowProc(hwnd, msg, w, l);
    case SB_SETPARTS: {
        int n = std::clamp((int)w, 1, 256);
        const int* rights = (const int*)l;
        if (!rights) return FALSE;
        s->parts.assign(rights, rights + n);
        s->texts.resize((size_t)n);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETPARTS: {
        int n = (int)s->parts.size();
        if (l)
            for (int i = 0; i < std::min(n, (int)w); ++i) ((int*)l)[i] = s->parts[(size_t)i];
        return n;
    }
    case SB_SETTEXT: {
        int part = (int)(w & 0xFF);
        std::string text = l ? (const char*)l : "";
        if (part == SB_SIMPLEID) s->simpleText = text;
        else if (part < (int)s->texts.size()) s->texts[(size_t)part] = text;
        else return FALSE;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETTEXT:
    case SB_GETTEXTLENGTH: {
        int part = (int)w;
        const std::string* t = part == SB_SIMPLEID ? &s->simpleText
                                : part >= 0 && part < (int)s->texts.size() ? &s->texts[(size_t)part]
                                                                            : nullptr;
        if (!t) return 0;
        if (msg == SB_GETTEXT && l) memcpy((char*)l, t->c_str(), t->size() + 1);
        return MAKELONG((WORD)std::min<size_t>(t->size(), 0xFFFF), 0);
    }
    case SB_GETRECT:
        if (!l || (int)w < 0 || (int)w >= (int)s->parts.size()) return FALSE;
        *(RECT*)l = s->PartRect((int)w);
        return TRUE;
    case SB_SIMPLE:
        s->simple = w != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case SB_ISSIMPLE: return s->simple;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

// --- tooltip -----------------------------------------------------------------------

struct Tool {
    UINT flags;
    HWND hwnd;
    UINT_PTR id;
    RECT rect;
    std::string text;
    bool callback;
    LPARAM param;
};

struct ToolTip {
    HWND hwnd = nullptr;
    std::vector<Tool> tools;
    int hot = -1;        // the tool under the pointer
    int shown = -1;      // the tool whose tip shows
    bool active = true;
    int maxWidth = -1;
    UINT initial = 500, autopop = 5000, reshow = 100;
    std::string text;
    HFONT font = nullptr;   // null: the default GUI font

    HGDIOBJ Font() const { return font ? (HGDIOBJ)font : GetStockObject(DEFAULT_GUI_FONT); }

    // With a maximum width the text wraps at it and breaks at its line ends
    // (CR LF, CR or LF); without one it is one line, line ends as blanks.
    UINT Format() const { return DT_NOPREFIX | DT_EXPANDTABS | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE); }
    std::string Drawn() const
    {
        if (maxWidth > 0) return text;
        std::string one = text;
        for (char& c : one)
            if (c == '\r' || c == '\n') c = ' ';
        return one;
    }

    bool Contains(const Tool& t, HWND over, POINT client) const
    {
        if (t.flags & TTF_IDISHWND) return (HWND)t.id == over;
        return t.hwnd == over && PtInRect(&t.rect, client);
    }

    std::string TextOf(Tool& t)
    {
        if (!t.callback) return t.text;
        NMTTDISPINFO di{};
        di.hdr.hwndFrom = hwnd;
        di.hdr.idFrom = t.id;
        di.hdr.code = (UINT)TTN_GETDISPINFO;
        di.uFlags = t.flags;
        di.lParam = t.param;
        SendMessage(t.hwnd, WM_NOTIFY, t.id, (LPARAM)&di);
        if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACK) return di.lpszText;
        di.szText[sizeof di.szText - 1] = '\0';
        return di.szText;
    }

    void Show()
    {
        if (hot < 0 || hot >= (int)tools.size()) return;
        Tool& t = tools[(size_t)hot];
        text = TextOf(t);
        if (text.empty()) return;
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, Font());
        const std::string drawn = Drawn();
        RECT r{0, 0, maxWidth > 0 ? maxWidth : 2000, 0};
        DrawText(dc, drawn.c_str(), (int)drawn.size(), &r, DT_CALCRECT | Format());
        // A word longer than the width is not broken: the tip stays within it.
        if (maxWidth > 0) r.right = std::min<LONG>(r.right, maxWidth);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        POINT pt;
        GetCursorPos(&pt);
        SetWindowPos(hwnd, HWND_TOPMOST, pt.x, pt.y + 20, r.right + 8, r.bottom + 6,
                     SWP_NOACTIVATE | SWP_NOZORDER);
        // TTN_SHOW: a non-zero reply means the owner moved the tip itself.
        NMHDR hdr{hwnd, t.id, (UINT)TTN_SHOW};
        SendMessage(t.hwnd, WM_NOTIFY, t.id, (LPARAM)&hdr);
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        shown = hot;
        InvalidateRect(hwnd, nullptr, TRUE);
        SetTimer(hwnd, 2, autopop, nullptr);
    }

    void Pop()
    {
        KillTimer(hwnd, 1);
        KillTimer(hwnd, 2);
        if (shown < 0) return;
        const Tool& t = tools[(size_t)std::min(shown, (int)tools.size() - 1)];
        shown = -1;
        ShowWindow(hwnd, SW_HIDE);
        NMHDR hdr{hwnd, t.id, (UINT)TTN_POP};
        SendMessage(t.hwnd, WM_NOTIFY, t.id, (LPARAM)&hdr);
    }

    void Relay(const MSG& m)
    {
        if (!active) return;
        if (m.message == WM_MOUSEMOVE) {
            POINT pt{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            int found = -1;
            for (int i = 0; i < (int)tools.size(); ++i)
                if (Contains(tools[(size_t)i], m.hwnd, pt)) found = i;
            if (found == hot) return;
            const bool wasShown = shown >= 0;
            Pop();
            hot = found;
            if (hot >= 0) SetTimer(hwnd, 1, wasShown ? reshow : initial, nullptr);
        } else if (m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_MBUTTONDOWN) {
            Pop();
            hot = -1;
        }
    }
};

// TTF_SUBCLASS: the tool's window is subclassed so that its mouse messages
// reach every tooltip that asked, without the owner relaying them.
struct ToolHook {
    WNDPROC old = nullptr;
    std::vector<HWND> tips;
};
std::mutex g_hookLock;
std::unordered_map<HWND, ToolHook> g_hooks;

LRESULT ToolHookProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    WNDPROC old = nullptr;
    std::vector<HWND> tips;
    {
        std::lock_guard<std::mutex> g(g_hookLock);
        auto it = g_hooks.find(h);
        if (it == g_hooks.end()) return DefWindowProc(h, m, w, l);
        old = it->second.old;
        tips = it->second.tips;
        if (m == WM_NCDESTROY) {
            g_hooks.erase(it);
            if ((WNDPROC)GetWindowLongPtr(h, GWLP_WNDPROC) == ToolHookProc) SetWindowLongPtr(h, GWLP_WNDPROC, (LONG_PTR)old);
        }
    }
    if (m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK) {
        POINT pt;
        GetCursorPos(&pt);
        MSG msg{h, m, w, l, 0, pt};
        for (HWND tip : tips)
            if (IsWindow(tip)) SendMessage(tip, TTM_RELAYEVENT, 0, (LPARAM)&msg);
    }
    return CallWindowProc(old, h, m, w, l);
}

void HookTool(HWND target, HWND tip)
{
    if (!IsWindow(target)) return;
    std::lock_guard<std::mutex> g(g_hookLock);
    auto it = g_hooks.find(target);
    if (it == g_hooks.end()) {
        ToolHook hook;
        hook.old = (WNDPROC)GetWindowLongPtr(target, GWLP_WNDPROC);
        it = g_hooks.emplace(target, hook).first;
        SetWindowLongPtr(target, GWLP_WNDPROC, (LONG_PTR)ToolHookProc);
    }
    if (std::find(it->second.tips.begin(), it->second.tips.end(), tip) == it->second.tips.end())
        it->second.tips.push_back(tip);
}

// The tip no longer wants `target`'s messages (null: any window's). The
// original procedure comes back once nobody wants them and no one has
// subclassed the window on top of us.
void UnhookTool(HWND target, HWND tip)
{
    std::lock_guard<std::mutex> g(g_hookLock);
    for (auto it = g_hooks.begin(); it != g_hooks.end();) {
        if (target && it->first != target) {
            ++it;
            continue;
        }
        std::erase(it->second.tips, tip);
        if (it->second.tips.empty() && (WNDPROC)GetWindowLongPtr(it->first, GWLP_WNDPROC) == ToolHookProc) {
            SetWindowLongPtr(it->first, GWLP_WNDPROC, (LONG_PTR)it->second.old);
            it = g_hooks.erase(it);
        } else {
            ++it;
        }
    }
}

HWND ToolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? (HWND)t.id : t.hwnd; }

LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    ToolTip* tt = ControlState<ToolTip>(hwnd);
    if (msg == WM_NCCREATE) {
        tt = NewControlState<ToolTip>(hwnd);
        SetWindowLongPtr(hwnd, GWL_EXSTYLE,
                         GetWindowLongPtr(hwnd, GWL_EXSTYLE) | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (!tt) return DefWindowProc(hwnd, msg, w, l);
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect(hdc, &rc, GetSysColorBrush(COLOR_INFOBK));
            FrameRect(hdc, &rc, GetSysColorBrush(COLOR_INFOTEXT));
            SetTextColor(hdc, GetSysColor(COLOR_INFOTEXT));
            SetBkMode(hdc, TRANSPARENT);
            HGDIOBJ old = SelectObject(hdc, tt->Font());
            InflateRect(&rc, -4, -3);
            const std::string drawn = tt->Drawn();
            DrawText(hdc, drawn.c_str(), (int)drawn.size(), &rc, tt->Format());
            SelectObject(hdc, old);
        }))
        return 0;
    switch (msg) {
    case WM_NCDESTROY:
        UnhookTool(nullptr, hwnd);
        DeleteControlState(hwnd, tt);
        break;
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_TIMER:
        if (w == 1) {
            KillTimer(hwnd, 1);
            tt->Show();
        } else if (w == 2) {
            tt->Pop();
        }
        return 0;
    case TTM_ACTIVATE:
        tt->active = w != 0;
        if (!tt->active) tt->Pop();
        return 0;
    case TTM_ADDTOOL: {
        const TOOLINFO* ti = (const TOOLINFO*)l;
        if (!ti) return FALSE;
        Tool t{ti->uFlags, ti->hwnd, ti->uId, ti->rect, std::string(), ti->lpszText == LPSTR_TEXTCALLBACK, ti->lParam};
        if (!t.callback && ti->lpszText) t.text = ti->lpszText;
        tt->tools.push_back(t);
        if (t.flags & TTF_SUBCLASS) HookTool(ToolWindow(t), hwnd);
        return TRUE;
    }
    case TTM_DELTOOL: {
        const TOOLINFO* ti = (const TOOLINFO*)l;
        if (!ti) return 0;
        tt->Pop();
        tt->hot = -1;
        HWND target = nullptr;
        for (const Tool& t : tt->tools)
            if (t.hwnd == ti->hwnd && t.id == ti->uId && (t.flags & TTF_SUBCLASS)) target = ToolWindow(t);
        std::erase_if(tt->tools, [&](const Tool& t) { return t.hwnd == ti->hwnd && t.id == ti->uId; });
        // Another subclassing tool of this tip on the same window keeps the hook.
        if (target && std::none_of(tt->tools.begin(), tt->tools.end(), [&](const Tool& t) {
                return (t.flags & TTF_SUBCLASS) && ToolWindow(t) == target;
            }))
            UnhookTool(target, hwnd);
        return 0;
    }
    case TTM_UPDATETIPTEXT: {
        const TOOLINFO* ti = (const TOOLINFO*)l;
        if (!ti) return 0;
        for (Tool& t : tt->tools)
            if (t.hwnd == ti->hwnd && t.id == ti->uId) {
                t.callback = ti->lpszText == LPSTR_TEXTCALLBACK;
                t.text = !t.callback && ti->lpszText ? ti->lpszText : "";
            }
        return 0;
    }
    case TTM_GETTOOLCOUNT: return (LRESULT)tt->tools.size();
    case TTM_RELAYEVENT:
        if (l) tt->Relay(*(const MSG*)l);
        return 0;
    case TTM_SETMAXTIPWIDTH: {
        int old = tt->maxWidth;
        tt->maxWidth = (int)l;
        return old;
    }
    case TTM_SETDELAYTIME: {
        UINT v = (UINT)std::max<LPARAM>(l, 0);
        switch (w) {
        case TTDT_INITIAL: tt->initial = std::max(v, 1u); break;
        case TTDT_AUTOPOP: tt->autopop = std::max(v, 1u); break;
        case TTDT_RESHOW: tt->reshow = std::max(v, 1u); break;
        case TTDT_AUTOMATIC:
            tt->initial = std::max(v, 1u);
            tt->autopop = std::max(v * 10, 1u);
            tt->reshow = std::max(v / 5, 1u);
            break;
        default: break;
        }
        return 0;
    }
    case TTM_POP:
        // The next move over a tool arms the tip again.
        tt->Pop();
        tt->hot = -1;
        return 0;
    case TTM_NEWTOOLRECT: {
        const TOOLINFO* ti = (const TOOLINFO*)l;
        if (!ti) return 0;
        for (Tool& t : tt->tools)
            if (t.hwnd == ti->hwnd && t.id == ti->uId) t.rect = ti->rect;
        return 0;
    }
    case WM_SETFONT:
        tt->font = (HFONT)w;
        if (l) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)tt->font;
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}
}  // namespace

void RegisterBarClasses()
{
    RegisterControlClass(WC_TABCONTROL, TabProc);
    RegisterControlClass(STATUSCLASSNAME, StatusProc);
    RegisterControlClass(TOOLTIPS_CLASS, ToolTipProc, 0);
}
