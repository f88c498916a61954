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

    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnFocus(bool on);
    LRESULT OnKeyDown(UINT vk);
    LRESULT OnLButtonDown(POINT pt);
    LRESULT OnInsertItem(int at, const TCITEM* it);
    LRESULT OnDeleteItem(int i);
    LRESULT OnDeleteAllItems();
    LRESULT OnSetCurSel(int i);
    LRESULT OnGetItem(int i, TCITEM* it) const;
    LRESULT OnSetItem(int i, const TCITEM* it);
    LRESULT OnGetItemRect(int i, RECT* out);
    LRESULT OnAdjustRect(bool toWindow, RECT* r);
};

LRESULT Tab::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: font = (HFONT)w; return 0;
    case WM_GETFONT: return (LRESULT)font;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(msg == WM_SETFOCUS);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: return OnKeyDown((UINT)w);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(PointOf(l));
    case TCM_INSERTITEM: return OnInsertItem((int)w, (const TCITEM*)l);
    case TCM_DELETEITEM: return OnDeleteItem((int)w);
    case TCM_DELETEALLITEMS: return OnDeleteAllItems();
    case TCM_GETITEMCOUNT: return (LRESULT)items.size();
    case TCM_GETCURSEL: return cur;
    case TCM_SETCURSEL: return OnSetCurSel((int)w);
    case TCM_GETITEM: return OnGetItem((int)w, (TCITEM*)l);
    case TCM_SETITEM: return OnSetItem((int)w, (const TCITEM*)l);
    case TCM_GETITEMRECT: return OnGetItemRect((int)w, (RECT*)l);
    case TCM_HITTEST: return l ? HitTest(((TCHITTESTINFO*)l)->pt) : -1;
    case TCM_ADJUSTRECT: return OnAdjustRect(w != 0, (RECT*)l);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT Tab::OnFocus(bool on)
{
    focused = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

LRESULT Tab::OnKeyDown(UINT vk)
{
    if (vk == VK_LEFT) Choose(cur - 1);
    else if (vk == VK_RIGHT) Choose(cur + 1);
    return 0;
}

LRESULT Tab::OnLButtonDown(POINT pt)
{
    int i = HitTest(pt);
    if (i >= 0) Choose(i);
    return 0;
}

LRESULT Tab::OnInsertItem(int w, const TCITEM* it)
{
    if (!it) return -1;
    const int count = (int)items.size();
    int at = std::clamp(w, 0, count);
    Item item;
    if ((it->mask & TCIF_TEXT) && it->pszText) item.text = it->pszText;
    if (it->mask & TCIF_PARAM) item.param = it->lParam;
    items.insert(items.begin() + at, item);
    if (cur < 0) cur = 0;
    else if (cur >= at && count > 0) ++cur;
    InvalidateRect(hwnd, nullptr, TRUE);
    return at;
}

LRESULT Tab::OnDeleteItem(int i)
{
    if (i < 0 || i >= (int)items.size()) return FALSE;
    items.erase(items.begin() + (ptrdiff_t)i);
    if (cur >= (int)items.size()) cur = (int)items.size() - 1;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Tab::OnDeleteAllItems()
{
    items.clear();
    cur = -1;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Tab::OnSetCurSel(int i)
{
    if (i < 0 || i >= (int)items.size()) return -1;
    int old = cur;
    cur = i;
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT Tab::OnGetItem(int i, TCITEM* it) const
{
    if (!it || i < 0 || i >= (int)items.size()) return FALSE;
    const Item& item = items[(size_t)i];
    if ((it->mask & TCIF_TEXT) && it->pszText && it->cchTextMax > 0)
        snprintf(it->pszText, (size_t)it->cchTextMax, "%s", item.text.c_str());
    if (it->mask & TCIF_PARAM) it->lParam = item.param;
    return TRUE;
}

LRESULT Tab::OnSetItem(int i, const TCITEM* it)
{
    if (!it || i < 0 || i >= (int)items.size()) return FALSE;
    if ((it->mask & TCIF_TEXT) && it->pszText) items[(size_t)i].text = it->pszText;
    if (it->mask & TCIF_PARAM) items[(size_t)i].param = it->lParam;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Tab::OnGetItemRect(int i, RECT* out)
{
    if (!out || i < 0 || i >= (int)items.size()) return FALSE;
    *out = ItemRect(i);
    return TRUE;
}

LRESULT Tab::OnAdjustRect(bool toWindow, RECT* r)
{
    if (!r) return 0;
    const int h = RowHeight() + 2;
    if (toWindow) {   // display rectangle -> window rectangle
        r->left -= 4, r->right += 4, r->bottom += 4, r->top -= h + 4;
    } else {
        r->left += 4, r->right -= 4, r->bottom -= 4, r->top += h + 4;
    }
    return 0;
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

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnSetText(WPARAM w, LPARAM l);
    LRESULT OnSetParts(int n, const int* rights);
    LRESULT OnGetParts(int n, int* rights) const;
    LRESULT OnSetPartText(int part, const char* text);
    LRESULT OnGetPartText(int part, char* out) const;
    LRESULT OnGetRect(int part, RECT* out);
    LRESULT OnSimple(bool on);
};

LRESULT Status::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    Status* s = NewControlState<Status>(hwnd);
    const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
    if (cs->lpszName) s->texts[0] = cs->lpszName;
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

LRESULT Status::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT: font = (HFONT)w; return 0;
    case WM_GETFONT: return (LRESULT)font;
    case WM_SETTEXT: return OnSetText(w, l);
    case SB_SETPARTS: return OnSetParts((int)w, (const int*)l);
    case SB_GETPARTS: return OnGetParts((int)w, (int*)l);
    case SB_SETTEXT: return OnSetPartText((int)(w & 0xFF), (const char*)l);
    case SB_GETTEXT: return OnGetPartText((int)w, (char*)l);
    case SB_GETTEXTLENGTH: return OnGetPartText((int)w, nullptr);
    case SB_GETRECT: return OnGetRect((int)w, (RECT*)l);
    case SB_SIMPLE: return OnSimple(w != 0);
    case SB_ISSIMPLE: return simple;
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT Status::OnSetText(WPARAM w, LPARAM l)
{
    texts[0] = l ? (const char*)l : "";
    InvalidateRect(hwnd, nullptr, TRUE);
    return DefWindowProc(hwnd, WM_SETTEXT, w, l);
}

LRESULT Status::OnSetParts(int count, const int* rights)
{
    int n = std::clamp(count, 1, 256);
    if (!rights) return FALSE;
    parts.assign(rights, rights + n);
    texts.resize((size_t)n);
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

LRESULT Status::OnGetParts(int room, int* rights) const
{
    int n = (int)parts.size();
    if (rights)
        for (int i = 0; i < std::min(n, room); ++i) rights[i] = parts[(size_t)i];
    return n;
}

LRESULT Status::OnSetPartText(int part, const char* l)
{
    std::string text = l ? l : "";
    if (part == SB_SIMPLEID) simpleText = text;
    else if (part < (int)texts.size()) texts[(size_t)part] = text;
    else return FALSE;
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

// SB_GETTEXT with `out`, SB_GETTEXTLENGTH without.
LRESULT Status::OnGetPartText(int part, char* out) const
{
    const std::string* t = part == SB_SIMPLEID                      ? &simpleText
                           : part >= 0 && part < (int)texts.size() ? &texts[(size_t)part]
                                                                   : nullptr;
    if (!t) return 0;
    if (out) memcpy(out, t->c_str(), t->size() + 1);
    return MAKELONG((WORD)std::min<size_t>(t->size(), 0xFFFF), 0);
}

LRESULT Status::OnGetRect(int part, RECT* out)
{
    if (!out || part < 0 || part >= (int)parts.size()) return FALSE;
    *out = PartRect(part);
    return TRUE;
}

LRESULT Status::OnSimple(bool on)
{
    simple = on;
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
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

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    void OnNcDestroy();
    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnTimer(WPARAM id);
    LRESULT OnActivate(bool on);
    LRESULT OnAddTool(const TOOLINFO* ti);
    LRESULT OnDelTool(const TOOLINFO* ti);
    LRESULT OnUpdateTipText(const TOOLINFO* ti);
    LRESULT OnSetMaxTipWidth(int width);
    LRESULT OnSetDelayTime(WPARAM which, LPARAM value);
    LRESULT OnPop();
    LRESULT OnNewToolRect(const TOOLINFO* ti);
    LRESULT OnSetFont(HFONT f, bool redraw);
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

LRESULT ToolTip::OnNcCreate(HWND hwnd, WPARAM w, LPARAM l)
{
    NewControlState<ToolTip>(hwnd);
    SetWindowLongPtr(hwnd, GWL_EXSTYLE,
                     GetWindowLongPtr(hwnd, GWL_EXSTYLE) | WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW);
    return DefWindowProc(hwnd, WM_NCCREATE, w, l);
}

void ToolTip::OnNcDestroy() { UnhookTool(nullptr, hwnd); }

void ToolTip::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_INFOBK));
    FrameRect(hdc, &rc, GetSysColorBrush(COLOR_INFOTEXT));
    SetTextColor(hdc, GetSysColor(COLOR_INFOTEXT));
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ old = SelectObject(hdc, Font());
    InflateRect(&rc, -4, -3);
    const std::string drawn = Drawn();
    DrawText(hdc, drawn.c_str(), (int)drawn.size(), &rc, Format());
    SelectObject(hdc, old);
}

LRESULT ToolTip::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_TIMER: return OnTimer(w);
    case TTM_ACTIVATE: return OnActivate(w != 0);
    case TTM_ADDTOOL: return OnAddTool((const TOOLINFO*)l);
    case TTM_DELTOOL: return OnDelTool((const TOOLINFO*)l);
    case TTM_UPDATETIPTEXT: return OnUpdateTipText((const TOOLINFO*)l);
    case TTM_GETTOOLCOUNT: return (LRESULT)tools.size();
    case TTM_RELAYEVENT:
        if (l) Relay(*(const MSG*)l);
        return 0;
    case TTM_SETMAXTIPWIDTH: return OnSetMaxTipWidth((int)l);
    case TTM_SETDELAYTIME: return OnSetDelayTime(w, l);
    case TTM_POP: return OnPop();
    case TTM_NEWTOOLRECT: return OnNewToolRect((const TOOLINFO*)l);
    case WM_SETFONT: return OnSetFont((HFONT)w, l != 0);
    case WM_GETFONT: return (LRESULT)font;
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

// Timer 1: the initial or reshow delay is over; timer 2: the tip has shown long enough.
LRESULT ToolTip::OnTimer(WPARAM id)
{
    if (id == 1) {
        KillTimer(hwnd, 1);
        Show();
    } else if (id == 2) {
        Pop();
    }
    return 0;
}

LRESULT ToolTip::OnActivate(bool on)
{
    active = on;
    if (!active) Pop();
    return 0;
}

LRESULT ToolTip::OnAddTool(const TOOLINFO* ti)
{
    if (!ti) return FALSE;
    Tool t{ti->uFlags, ti->hwnd, ti->uId, ti->rect, std::string(), ti->lpszText == LPSTR_TEXTCALLBACK, ti->lParam};
    if (!t.callback && ti->lpszText) t.text = ti->lpszText;
    tools.push_back(t);
    if (t.flags & TTF_SUBCLASS) HookTool(ToolWindow(t), hwnd);
    return TRUE;
}

LRESULT ToolTip::OnDelTool(const TOOLINFO* ti)
{
    if (!ti) return 0;
    Pop();
    hot = -1;
    HWND target = nullptr;
    for (const Tool& t : tools)
        if (t.hwnd == ti->hwnd && t.id == ti->uId && (t.flags & TTF_SUBCLASS)) target = ToolWindow(t);
    std::erase_if(tools, [&](const Tool& t) { return t.hwnd == ti->hwnd && t.id == ti->uId; });
    // Another subclassing tool of this tip on the same window keeps the hook.
    if (target && std::none_of(tools.begin(), tools.end(), [&](const Tool& t) {
            return (t.flags & TTF_SUBCLASS) && ToolWindow(t) == target;
        }))
        UnhookTool(target, hwnd);
    return 0;
}

LRESULT ToolTip::OnUpdateTipText(const TOOLINFO* ti)
{
    if (!ti) return 0;
    for (Tool& t : tools)
        if (t.hwnd == ti->hwnd && t.id == ti->uId) {
            t.callback = ti->lpszText == LPSTR_TEXTCALLBACK;
            t.text = !t.callback && ti->lpszText ? ti->lpszText : "";
        }
    return 0;
}

LRESULT ToolTip::OnSetMaxTipWidth(int width)
{
    int old = maxWidth;
    maxWidth = width;
    return old;
}

LRESULT ToolTip::OnSetDelayTime(WPARAM which, LPARAM value)
{
    UINT v = (UINT)std::max<LPARAM>(value, 0);
    switch (which) {
    case TTDT_INITIAL: initial = std::max(v, 1u); break;
    case TTDT_AUTOPOP: autopop = std::max(v, 1u); break;
    case TTDT_RESHOW: reshow = std::max(v, 1u); break;
    case TTDT_AUTOMATIC:
        initial = std::max(v, 1u);
        autopop = std::max(v * 10, 1u);
        reshow = std::max(v / 5, 1u);
        break;
    default: break;
    }
    return 0;
}

// The next move over a tool arms the tip again.
LRESULT ToolTip::OnPop()
{
    Pop();
    hot = -1;
    return 0;
}

LRESULT ToolTip::OnNewToolRect(const TOOLINFO* ti)
{
    if (!ti) return 0;
    for (Tool& t : tools)
        if (t.hwnd == ti->hwnd && t.id == ti->uId) t.rect = ti->rect;
    return 0;
}

LRESULT ToolTip::OnSetFont(HFONT f, bool redraw)
{
    font = f;
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}
}  // namespace

void RegisterBarClasses()
{
    RegisterControlClass(WC_TABCONTROL, ControlProc<Tab>);
    RegisterControlClass(STATUSCLASSNAME, ControlProc<Status>);
    RegisterControlClass(TOOLTIPS_CLASS, ControlProc<ToolTip>, 0);
}
