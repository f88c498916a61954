// Menu tracking: the modal loop of menu bars and pop-up menus, and the
// pop-up windows it opens.
#include <algorithm>
#include <cctype>

#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/menu.h"
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window.h"
#include "platform/user/menu_internal.h"

namespace {

const int kItemHeight = 20;
const int kSeparatorHeight = 8;
const int kPopupBorder = 3;

struct OpenPopup {
    HMENU menu = nullptr;
    HWND window = nullptr;
    RECT rect{};                     // screen
    std::vector<RECT> itemRects;     // screen
    int selected = -1;
};

struct Tracker {
    HWND owner = nullptr;
    HMENU bar = nullptr;             // null when tracking a pop-up alone
    int barSelected = -1;
    std::vector<RECT> barRects;
    std::vector<OpenPopup> stack;
    bool done = false;
    UINT result = 0;
    UINT flags = 0;
};

// Every tracker of every thread, for the read-back; fields are written
// under this lock.
std::mutex& TrackLock()
{
    static auto* m = new std::mutex;
    return *m;
}
std::vector<Tracker*>& Trackers()
{
    static auto* v = new std::vector<Tracker*>;
    return *v;
}
thread_local Tracker* t_tracker = nullptr;

bool Selectable(const CMenuItem& it) { return !(it.flags & MF_SEPARATOR); }
bool Enabled(const CMenuItem& it) { return !(it.flags & (MF_GRAYED | MF_DISABLED)); }

LRESULT PopupProc(HWND h, UINT m, WPARAM w, LPARAM l);

void RegisterPopupClass()
{
    static bool once = [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = PopupProc;
        wc.lpszClassName = "VeldraMenuPopup";
        RegisterClass(&wc);
        return true;
    }();
    (void)once;
}

// Lays out a pop-up at (x, y) on screen, kept on the screen and out of the
// exclusion rectangle.
OpenPopup LayoutPopup(HMENU menu, int x, int y, UINT flags, const RECT* exclude)
{
    OpenPopup p;
    p.menu = menu;
    std::vector<CMenuItem> items = MenuItemsOf(menu);
    int width = 80, height = 0;
    for (const CMenuItem& it : items) {
        int w = MenuTextWidth(it.text) + 48;
        size_t tab = it.text.find('\t');
        if (tab != std::string::npos) w += MenuTextWidth(it.text.substr(tab + 1)) + 16;
        width = std::max(width, w);
        height += (it.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    }
    int cx = width + 2 * kPopupBorder, cy = height + 2 * kPopupBorder;
    if (flags & TPM_RIGHTALIGN) x -= cx;
    else if (flags & TPM_CENTERALIGN) x -= cx / 2;
    if (flags & TPM_BOTTOMALIGN) y -= cy;
    else if (flags & TPM_VCENTERALIGN) y -= cy / 2;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    RECT r{x, y, x + cx, y + cy};
    RECT i;
    if (exclude && IntersectRect(&i, &r, exclude)) {
        if (flags & TPM_VERTICAL) {
            OffsetRect(&r, 0, exclude->bottom - r.top);
            if (r.bottom > sh) OffsetRect(&r, 0, exclude->top - r.bottom);
        } else {
            OffsetRect(&r, exclude->right - r.left, 0);
            if (r.right > sw) OffsetRect(&r, exclude->left - r.right, 0);
        }
    }
    if (r.right > sw) OffsetRect(&r, sw - r.right, 0);
    if (r.bottom > sh) OffsetRect(&r, 0, sh - r.bottom);
    if (r.left < 0) OffsetRect(&r, -r.left, 0);
    if (r.top < 0) OffsetRect(&r, 0, -r.top);
    p.rect = r;
    int top = r.top + kPopupBorder;
    for (const CMenuItem& it : items) {
        int h = (it.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
        p.itemRects.push_back(RECT{r.left + kPopupBorder, top, r.right - kPopupBorder, top + h});
        top += h;
    }
    return p;
}

void NotifySelect(Tracker& t, HMENU menu, int index)
{
    std::vector<CMenuItem> items = MenuItemsOf(menu);
    if (index < 0 || (size_t)index >= items.size()) {
        SendMessage(t.owner, WM_MENUSELECT, MAKELONG(0, 0xFFFF), 0);
        return;
    }
    const CMenuItem& it = items[(size_t)index];
    WORD id = it.sub ? (WORD)index : (WORD)it.id;
    SendMessage(t.owner, WM_MENUSELECT, MAKELONG(id, (WORD)(it.flags | MF_HILITE)), (LPARAM)menu);
}

void ClosePopupsAbove(Tracker& t, size_t keep)
{
    while (t.stack.size() > keep) {
        OpenPopup p;
        {
            std::lock_guard<std::mutex> g(TrackLock());
            p = t.stack.back();
            t.stack.pop_back();
        }
        if (IsWindow(p.window)) DestroyWindow(p.window);
        if (IsWindow(t.owner) && !(t.flags & TPM_NONOTIFY)) SendMessage(t.owner, WM_UNINITMENUPOPUP, (WPARAM)p.menu, 0);
    }
}

void SelectInPopup(Tracker& t, size_t level, int index)
{
    if (level >= t.stack.size()) return;
    OpenPopup& p = t.stack[level];
    if (p.selected == index) return;
    {
        std::lock_guard<std::mutex> g(TrackLock());
        p.selected = index;
    }
    if (IsWindow(p.window)) InvalidateRect(p.window, nullptr, TRUE);
    if (!(t.flags & TPM_NONOTIFY)) NotifySelect(t, p.menu, index);
}

// Opens a pop-up (WM_INITMENUPOPUP first) at a screen point.
void OpenPopupAt(Tracker& t, HMENU menu, int index, int x, int y, UINT flags, const RECT* exclude, bool selectFirst)
{
    if (!IsMenu(menu)) return;
    if (!(t.flags & TPM_NONOTIFY)) SendMessage(t.owner, WM_INITMENUPOPUP, (WPARAM)menu, MAKELONG((WORD)index, 0));
    if (t.done || !IsMenu(menu)) return;
    OpenPopup p = LayoutPopup(menu, x, y, flags, exclude);
    RegisterPopupClass();
    p.window = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, "VeldraMenuPopup", "",
                              WS_POPUP, p.rect.left, p.rect.top, p.rect.right - p.rect.left, p.rect.bottom - p.rect.top,
                              t.owner, nullptr, nullptr, nullptr);
    if (!p.window) return;
    SetWindowLongPtr(p.window, GWLP_USERDATA, (LONG_PTR)menu);
    {
        std::lock_guard<std::mutex> g(TrackLock());
        t.stack.push_back(p);
    }
    SetWindowPos(p.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (selectFirst) {
        std::vector<CMenuItem> items = MenuItemsOf(menu);
        for (size_t i = 0; i < items.size(); i++)
            if (Selectable(items[i])) {
                SelectInPopup(t, t.stack.size() - 1, (int)i);
                break;
            }
    }
}

void SetBarHilite(Tracker& t, int index)
{
    if (!t.bar) return;
    std::vector<CMenuItem> items = MenuItemsOf(t.bar);
    for (size_t i = 0; i < items.size(); i++) {
        MENUITEMINFO mi{sizeof mi, MIIM_STATE, 0, 0, 0, nullptr, nullptr, nullptr, 0, nullptr, 0};
        GetMenuItemInfo(t.bar, (UINT)i, TRUE, &mi);
        mi.fState = (int)i == index ? (mi.fState | MF_HILITE) : (mi.fState & ~MF_HILITE);
        SetMenuItemInfo(t.bar, (UINT)i, TRUE, &mi);
    }
    {
        std::lock_guard<std::mutex> g(TrackLock());
        t.barSelected = index;
    }
    DrawMenuBar(t.owner);
}

void OpenBarPopup(Tracker& t, int index, bool selectFirst)
{
    ClosePopupsAbove(t, 0);
    SetBarHilite(t, index);
    HMENU sub = GetSubMenu(t.bar, index);
    if (!sub || index < 0 || (size_t)index >= t.barRects.size()) return;
    const RECT& r = t.barRects[(size_t)index];
    OpenPopupAt(t, sub, index, r.left, r.bottom, TPM_VERTICAL, &r, selectFirst);
}

void OpenSubmenu(Tracker& t, size_t level, int index, bool selectFirst)
{
    ClosePopupsAbove(t, level + 1);
    OpenPopup& p = t.stack[level];
    HMENU sub = GetSubMenu(p.menu, index);
    if (!sub) return;
    RECT r = p.itemRects[(size_t)index];
    RECT exclude{p.rect.left, r.top, p.rect.right, r.bottom};
    OpenPopupAt(t, sub, index, p.rect.right, r.top - kPopupBorder, 0, &exclude, selectFirst);
}

void Choose(Tracker& t, UINT id)
{
    t.done = true;
    t.result = id;
}

// Moves the selection of the top pop-up by one selectable item.
void Step(Tracker& t, int dir)
{
    size_t level = t.stack.size() - 1;
    std::vector<CMenuItem> items = MenuItemsOf(t.stack[level].menu);
    int n = (int)items.size();
    if (n == 0) return;
    int i = t.stack[level].selected;
    for (int k = 0; k < n; k++) {
        i = i < 0 ? (dir > 0 ? 0 : n - 1) : (i + dir + n) % n;
        if (Selectable(items[(size_t)i])) break;
    }
    SelectInPopup(t, level, i);
}

void Activate(Tracker& t, size_t level, int index, bool byKey)
{
    std::vector<CMenuItem> items = MenuItemsOf(t.stack[level].menu);
    if (index < 0 || (size_t)index >= items.size()) return;
    const CMenuItem& it = items[(size_t)index];
    if (!Selectable(it) || !Enabled(it)) return;
    if (it.sub) OpenSubmenu(t, level, index, byKey);
    else Choose(t, it.id);
}

int ItemAt(const std::vector<RECT>& rects, POINT pt)
{
    for (size_t i = 0; i < rects.size(); i++)
        if (PtInRect(&rects[i], pt)) return (int)i;
    return -1;
}

void OnMouse(Tracker& t, const MSG& m)
{
    POINT pt = m.pt;
    bool press = m.message == WM_LBUTTONDOWN || m.message == WM_RBUTTONDOWN || m.message == WM_LBUTTONDBLCLK ||
                 m.message == WM_RBUTTONDBLCLK;
    bool release = m.message == WM_LBUTTONUP || (m.message == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON || !t.bar));
    for (size_t k = t.stack.size(); k-- > 0;) {
        if (!PtInRect(&t.stack[k].rect, pt)) continue;
        int i = ItemAt(t.stack[k].itemRects, pt);
        std::vector<CMenuItem> items = MenuItemsOf(t.stack[k].menu);
        if (i >= 0 && !Selectable(items[(size_t)i])) i = -1;
        if (m.message == WM_MOUSEMOVE || press) {
            if (i != t.stack[k].selected) {
                ClosePopupsAbove(t, k + 1);
                SelectInPopup(t, k, i);
                if (i >= 0 && items[(size_t)i].sub && Enabled(items[(size_t)i])) OpenSubmenu(t, k, i, false);
            }
        } else if (release && i >= 0) {
            const CMenuItem& it = items[(size_t)i];
            if (!it.sub && Enabled(it)) Choose(t, it.id);
        }
        return;
    }
    if (t.bar) {
        int b = ItemAt(t.barRects, pt);
        if (b >= 0) {
            if (press && b == t.barSelected && !t.stack.empty()) {
                t.done = true;   // a click on the open title closes the menu
            } else if ((press || (m.message == WM_MOUSEMOVE && !t.stack.empty())) && b != t.barSelected) {
                OpenBarPopup(t, b, false);
            } else if (press && t.stack.empty()) {
                OpenBarPopup(t, b, false);
            }
            return;
        }
    }
    if (press) t.done = true;   // outside every menu
}

void OnKey(Tracker& t, const MSG& m)
{
    UINT vk = (UINT)m.wParam;
    switch (vk) {
    case VK_ESCAPE:
        // Out of a sub-menu back to its parent; out of the last menu the mode
        // ends: a bar left selected would hold the pointer and eat the next
        // click or the desktop's close.
        if (t.stack.size() > 1) ClosePopupsAbove(t, t.stack.size() - 1);
        else t.done = true;
        return;
    case VK_MENU:
    case VK_F10:
        t.done = true;
        return;
    case VK_UP:
    case VK_DOWN:
        if (!t.stack.empty()) Step(t, vk == VK_DOWN ? 1 : -1);
        else if (t.bar && t.barSelected >= 0) OpenBarPopup(t, t.barSelected, true);
        return;
    case VK_RIGHT:
    case VK_LEFT: {
        if (!t.stack.empty()) {
            OpenPopup& top = t.stack.back();
            HMENU sub = top.selected >= 0 ? GetSubMenu(top.menu, top.selected) : nullptr;
            if (vk == VK_RIGHT && sub) {
                OpenSubmenu(t, t.stack.size() - 1, top.selected, true);
                return;
            }
            if (vk == VK_LEFT && t.stack.size() > 1) {
                ClosePopupsAbove(t, t.stack.size() - 1);
                return;
            }
        }
        if (t.bar) {
            int n = GetMenuItemCount(t.bar);
            if (n <= 0) return;
            int next = ((t.barSelected < 0 ? 0 : t.barSelected) + (vk == VK_RIGHT ? 1 : -1) + n) % n;
            if (t.stack.empty()) SetBarHilite(t, next);
            else OpenBarPopup(t, next, true);
        }
        return;
    }
    case VK_RETURN:
        if (!t.stack.empty()) Activate(t, t.stack.size() - 1, t.stack.back().selected, true);
        else if (t.bar && t.barSelected >= 0) OpenBarPopup(t, t.barSelected, true);
        return;
    default: return;
    }
}

void OnChar(Tracker& t, UINT ch)
{
    if (ch <= ' ' || ch >= 0x7F) return;
    char c = (char)std::tolower((int)ch);
    if (!t.stack.empty()) {
        std::vector<CMenuItem> items = MenuItemsOf(t.stack.back().menu);
        for (size_t i = 0; i < items.size(); i++)
            if (MnemonicOf(items[i].text) == c && Selectable(items[i])) {
                SelectInPopup(t, t.stack.size() - 1, (int)i);
                Activate(t, t.stack.size() - 1, (int)i, true);
                return;
            }
        return;
    }
    if (t.bar) {
        std::vector<CMenuItem> items = MenuItemsOf(t.bar);
        for (size_t i = 0; i < items.size(); i++)
            if (MnemonicOf(items[i].text) == c) {
                if (items[i].sub) OpenBarPopup(t, (int)i, true);
                else if (Enabled(items[i])) Choose(t, items[i].id);
                return;
            }
    }
}

// The loop; the tracker's first menus are open already.
void RunLoop(Tracker& t)
{
    MSG m;
    while (!t.done) {
        auto idle = [](void* p) {
            auto* tr = (Tracker*)p;
            if (tr->done || !IsWindow(tr->owner)) return;
            HWND top = tr->stack.empty() ? nullptr : tr->stack.back().window;
            SendMessage(tr->owner, WM_ENTERIDLE, MSGF_MENU, (LPARAM)top);
        };
        if (!ModalLoopGetMessage(&m, t.owner, idle, &t)) break;
        if (t.done) break;
        if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST && m.message != WM_MOUSEWHEEL) {
            OnMouse(t, m);
        } else if (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK) {
            MSG c = m;
            c.message = m.message - WM_NCMOUSEMOVE + WM_MOUSEMOVE;
            OnMouse(t, c);
        } else if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
            OnKey(t, m);
            if (!t.done && m.wParam != VK_RETURN && m.wParam != VK_ESCAPE) TranslateMessage(&m);
        } else if (m.message == WM_CHAR || m.message == WM_SYSCHAR) {
            OnChar(t, (UINT)m.wParam);
        } else if (m.message == WM_KEYUP || m.message == WM_SYSKEYUP || m.message == WM_MOUSEWHEEL) {
            // Swallowed while a menu is open.
        } else {
            DispatchMessage(&m);
        }
        if (!IsWindow(t.owner)) break;
    }
}

UINT Track(Tracker& t, std::function<void()> open)
{
    Tracker* outer = t_tracker;
    t_tracker = &t;
    {
        std::lock_guard<std::mutex> g(TrackLock());
        Trackers().push_back(&t);
    }
    SetCapture(t.owner);
    if (!(t.flags & TPM_NONOTIFY)) {
        SendMessage(t.owner, WM_ENTERMENULOOP, t.bar ? FALSE : TRUE, 0);
        SendMessage(t.owner, WM_INITMENU, (WPARAM)(t.bar ? t.bar : nullptr), 0);
    }
    if (IsWindow(t.owner)) open();
    if (IsWindow(t.owner)) RunLoop(t);
    ClosePopupsAbove(t, 0);
    if (t.bar && IsWindow(t.owner)) SetBarHilite(t, -1);
    {
        std::lock_guard<std::mutex> g(TrackLock());
        auto& v = Trackers();
        v.erase(std::remove(v.begin(), v.end(), &t), v.end());
    }
    if (GetCapture() == t.owner) ReleaseCapture();
    if (IsWindow(t.owner) && !(t.flags & TPM_NONOTIFY)) {
        SendMessage(t.owner, WM_MENUSELECT, MAKELONG(0, 0xFFFF), 0);
        SendMessage(t.owner, WM_EXITMENULOOP, t.bar ? FALSE : TRUE, 0);
    }
    t_tracker = outer;
    return t.done ? t.result : 0;
}

LRESULT PopupProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    switch (m) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_PAINT:
        PaintMenuPopupWindow(h);
        return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProc(h, m, w, l);
    }
}

}  // namespace

// State the painter reads: the pop-up's menu, its item rectangles (client
// coordinates) and the selected item.
bool MenuPopupState(HWND popup, HMENU* menu, std::vector<RECT>* items, int* selected)
{
    std::lock_guard<std::mutex> g(TrackLock());
    for (Tracker* t : Trackers())
        for (const OpenPopup& p : t->stack)
            if (p.window == popup) {
                *menu = p.menu;
                items->clear();
                for (RECT r : p.itemRects) {
                    OffsetRect(&r, -p.rect.left, -p.rect.top);
                    items->push_back(r);
                }
                *selected = p.selected;
                return true;
            }
    return false;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params)
{
    if (!IsMenu(menu) || !IsWindow(owner)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (t_tracker) return FALSE;   // one menu loop at a time per thread
    Tracker t;
    t.owner = owner;
    t.flags = flags;
    RECT exclude{};
    if (params) exclude = params->rcExclude;
    UINT id = Track(t, [&] { OpenPopupAt(t, menu, 0, x, y, flags, params ? &exclude : nullptr, false); });
    if (flags & TPM_RETURNCMD) return (BOOL)id;
    if (id && IsWindow(owner)) PostMessage(owner, WM_COMMAND, id, 0);
    return id != 0;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL EndMenu()
{
    if (!t_tracker) return FALSE;
    t_tracker->done = true;
    t_tracker->result = 0;
    PostMessage(nullptr, WM_NULL, 0, 0);
    return TRUE;
}

static void TrackBar(HWND hwnd, std::function<void(Tracker&)> open)
{
    HMENU bar = GetMenu(hwnd);
    if (!bar || t_tracker) return;
    Tracker t;
    t.owner = hwnd;
    t.bar = bar;
    t.barRects = MenuBarRects(hwnd, bar);
    UINT id = Track(t, [&] { open(t); });
    if (id && IsWindow(hwnd)) PostMessage(hwnd, WM_COMMAND, id, 0);
}

void TrackMenuBarWithMouse(HWND hwnd, POINT pt)
{
    TrackBar(hwnd, [&](Tracker& t) {
        int b = ItemAt(t.barRects, pt);
        if (b >= 0) OpenBarPopup(t, b, false);
        else t.done = true;
    });
}

void TrackMenuBarWithKey(HWND hwnd, UINT key)
{
    TrackBar(hwnd, [&](Tracker& t) {
        if (key == 0) {
            SetBarHilite(t, 0);
            return;
        }
        std::vector<CMenuItem> items = MenuItemsOf(t.bar);
        char c = (char)std::tolower((int)key);
        for (size_t i = 0; i < items.size(); i++)
            if (MnemonicOf(items[i].text) == c) {
                if (items[i].sub) OpenBarPopup(t, (int)i, true);
                else Choose(t, items[i].id);
                return;
            }
        t.done = true;
    });
}

std::vector<VisibleMenu> VisibleMenus()
{
    std::vector<VisibleMenu> out;
    std::vector<std::pair<HMENU, OpenPopup>> popups;
    {
        std::lock_guard<std::mutex> g(TrackLock());
        for (Tracker* t : Trackers())
            for (const OpenPopup& p : t->stack) popups.push_back({p.menu, p});
    }
    for (auto& [menu, p] : popups) {
        VisibleMenu v{p.window, menu, p.rect, {}};
        std::vector<CMenuItem> items = MenuItemsOf(menu);
        for (size_t i = 0; i < items.size() && i < p.itemRects.size(); i++)
            v.items.push_back(VisibleMenuItem{items[i].text, items[i].id,
                                              items[i].flags & (MF_GRAYED | MF_CHECKED | MF_POPUP | MF_SEPARATOR),
                                              (int)i == p.selected, p.itemRects[i]});
        out.push_back(std::move(v));
    }
    return out;
}
