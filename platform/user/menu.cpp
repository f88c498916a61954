// Menu records, menu bars of windows and accelerators.
#include "platform/user/geometry.h"
#include "platform/user/keyboard.h"
#include "platform/user/menu.h"
#include "platform/user/nonclient.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/menu_internal.h"

#include <atomic>
#include <cctype>
#include <cstring>

#include "platform/generation_table.h"

namespace {

CGenerationTable<std::shared_ptr<CMenu>>& Menus()
{
    static auto* t = new CGenerationTable<std::shared_ptr<CMenu>>;
    return *t;
}

std::atomic<int (*)(const char*, int)> g_measure{nullptr};

HMENU NewMenu(bool popup)
{
    auto m = std::make_shared<CMenu>();
    m->popup = popup;
    std::lock_guard<std::mutex> g(MenuLock());
    return (HMENU)(uintptr_t)Menus().Insert(m);
}

// Finds an item by command (searching pop-ups too) or by position.
CMenuItem* FindItemLocked(HMENU menu, UINT item, UINT flags, CMenu** owner = nullptr)
{
    CMenu* m = FindMenuLocked(menu);
    if (!m) return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= m->items.size()) return nullptr;
        if (owner) *owner = m;
        return &m->items[item];
    }
    for (CMenuItem& it : m->items) {
        if (!it.sub && it.id == item) {
            if (owner) *owner = m;
            return &it;
        }
    }
    for (CMenuItem& it : m->items)
        if (it.sub)
            if (CMenuItem* found = FindItemLocked(it.sub, item, flags, owner)) return found;
    // A pop-up item may also be named by its id.
    for (CMenuItem& it : m->items)
        if (it.sub && it.id == item) {
            if (owner) *owner = m;
            return &it;
        }
    return nullptr;
}

CMenuItem MakeItem(UINT flags, UINT_PTR idOrPopup, const char* text)
{
    CMenuItem it;
    it.flags = flags & ~(MF_BYPOSITION);
    if (flags & MF_POPUP) {
        it.sub = (HMENU)idOrPopup;
        it.id = 0xFFFFFFFFu;
    } else {
        it.id = (UINT)idOrPopup;
    }
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) it.text = text;
    if (flags & MF_OWNERDRAW) it.data = (UINT_PTR)text;
    return it;
}

}  // namespace

std::mutex& MenuLock()
{
    static auto* m = new std::mutex;
    return *m;
}

CMenu* FindMenuLocked(HMENU menu)
{
    std::shared_ptr<CMenu>* m = Menus().Find((uint64_t)(uintptr_t)menu);
    return m ? m->get() : nullptr;
}

std::vector<CMenuItem> MenuItemsOf(HMENU menu)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    return m ? m->items : std::vector<CMenuItem>{};
}

void SetMenuTextMeasure(int (*measure)(const char*, int)) { g_measure = measure; }

int MenuTextWidth(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '&' && i + 1 < text.size()) i++;
        if (text[i] == '\t') break;
        shown.push_back(text[i]);
    }
    if (auto m = g_measure.load()) return m(shown.data(), (int)shown.size());
    return 7 * (int)shown.size();
}

char MnemonicOf(const std::string& text)
{
    for (size_t i = 0; i + 1 < text.size(); i++) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            i++;
            continue;
        }
        return (char)std::tolower((unsigned char)text[i + 1]);
    }
    return 0;
}

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

static size_t LoadLevel(HMENU menu, const MenuTableItem* items, size_t count, size_t i)
{
    while (i < count) {
        const MenuTableItem& e = items[i++];
        bool last = (e.flags & MF_END) != 0;
        UINT flags = e.flags & ~MF_END;
        if (flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            i = LoadLevel(sub, items, count, i);
            AppendMenu(menu, flags, (UINT_PTR)sub, e.text);
        } else {
            AppendMenu(menu, flags, e.id, e.text);
        }
        if (last) break;
    }
    return i;
}

HMENU LoadMenuTable(const MenuTableItem* items, size_t count)
{
    if (!items) return nullptr;
    HMENU m = CreateMenu();
    LoadLevel(m, items, count, 0);
    return m;
}

BOOL DestroyMenu(HMENU menu)
{
    std::vector<HMENU> subs;
    {
        std::lock_guard<std::mutex> g(MenuLock());
        std::shared_ptr<CMenu> m = Menus().Remove((uint64_t)(uintptr_t)menu);
        if (!m) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        for (CMenuItem& it : m->items)
            if (it.sub) subs.push_back(it.sub);
    }
    for (HMENU s : subs) DestroyMenu(s);
    return TRUE;
}

BOOL IsMenu(HMENU menu)
{
    std::lock_guard<std::mutex> g(MenuLock());
    return FindMenuLocked(menu) != nullptr;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, const char* text)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    m->items.push_back(MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        if (position < at) at = position;
    } else {
        CMenu* owner = nullptr;
        CMenuItem* it = FindItemLocked(menu, position, 0, &owner);
        if (it && owner) {
            owner->items.insert(owner->items.begin() + (it - owner->items.data()), MakeItem(flags, idOrPopup, text));
            return TRUE;
        }
    }
    m->items.insert(m->items.begin() + (ptrdiff_t)at, MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, position, flags);
    if (!it) return FALSE;
    *it = MakeItem(flags, idOrPopup, text);
    return TRUE;
}

static BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroy)
{
    HMENU sub = nullptr;
    {
        std::lock_guard<std::mutex> g(MenuLock());
        CMenu* owner = nullptr;
        CMenuItem* it = FindItemLocked(menu, position, flags, &owner);
        if (!it || !owner) return FALSE;
        sub = it->sub;
        owner->items.erase(owner->items.begin() + (it - owner->items.data()));
    }
    if (destroy && sub) DestroyMenu(sub);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }

int GetMenuItemCount(HMENU menu)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    return m ? (int)m->items.size() : -1;
}

UINT GetMenuItemID(HMENU menu, int position)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m || position < 0 || (size_t)position >= m->items.size()) return 0xFFFFFFFFu;
    const CMenuItem& it = m->items[(size_t)position];
    return it.sub ? 0xFFFFFFFFu : it.id;
}

HMENU GetSubMenu(HMENU menu, int position)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m || position < 0 || (size_t)position >= m->items.size()) return nullptr;
    return m->items[(size_t)position].sub;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, flags);
    if (!it) return 0xFFFFFFFFu;
    UINT state = it->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_SEPARATOR | MF_POPUP | MF_DEFAULT |
                              MF_MENUBARBREAK | MF_MENUBREAK | MF_OWNERDRAW | MF_BITMAP);
    if (it->sub)
        if (CMenu* s = FindMenuLocked(it->sub)) state = (state & 0xFF) | ((UINT)s->items.size() << 8);
    return state;
}

int GetMenuString(HMENU menu, UINT item, char* buffer, int size, UINT flags)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, flags);
    if (!it) return 0;
    if (!buffer || size <= 0) return (int)it->text.size();
    int n = std::min((int)it->text.size(), size - 1);
    memcpy(buffer, it->text.data(), (size_t)n);
    buffer[n] = 0;
    return n;
}

BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info)
{
    if (!info) return FALSE;
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, byPosition ? MF_BYPOSITION : 0);
    if (!it) return FALSE;
    if (info->fMask & (MIIM_STATE)) info->fState = it->flags & (MFS_GRAYED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
    if (info->fMask & MIIM_ID) info->wID = it->id;
    if (info->fMask & MIIM_SUBMENU) info->hSubMenu = it->sub;
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it->flags & (MF_SEPARATOR | MF_RADIOCHECK | MF_OWNERDRAW | MF_BITMAP | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
    if (info->fMask & MIIM_DATA) info->dwItemData = it->data;
    if (info->fMask & (MIIM_STRING | MIIM_TYPE)) {
        if (info->dwTypeData && info->cch > 0) {
            UINT n = std::min((UINT)it->text.size(), info->cch - 1);
            memcpy(info->dwTypeData, it->text.data(), n);
            info->dwTypeData[n] = 0;
        }
        info->cch = (UINT)it->text.size();
    }
    return TRUE;
}

BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info)
{
    if (!info) return FALSE;
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, byPosition ? MF_BYPOSITION : 0);
    if (!it) return FALSE;
    const UINT stateBits = MFS_GRAYED | MF_CHECKED | MF_HILITE | MF_DEFAULT;
    if (info->fMask & MIIM_STATE) it->flags = (it->flags & ~stateBits) | (info->fState & stateBits);
    if (info->fMask & MIIM_ID) it->id = info->wID;
    if (info->fMask & MIIM_SUBMENU) it->sub = info->hSubMenu;
    if (info->fMask & MIIM_DATA) it->data = info->dwItemData;
    if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) {
        const UINT typeBits = MF_SEPARATOR | MF_RADIOCHECK | MF_OWNERDRAW | MF_BITMAP | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY;
        it->flags = (it->flags & ~typeBits) | (info->fType & typeBits);
    }
    if ((info->fMask & (MIIM_STRING | MIIM_TYPE)) && info->dwTypeData) it->text = info->dwTypeData;
    if (it->sub) it->flags |= MF_POPUP;
    return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, flags);
    if (!it) return 0xFFFFFFFFu;
    DWORD old = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenuItem* it = FindItemLocked(menu, item, flags);
    if (!it) return -1;
    BOOL old = (BOOL)(it->flags & (MF_GRAYED | MF_DISABLED));
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return old;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m) return FALSE;
    bool found = false;
    for (size_t i = 0; i < m->items.size(); i++) {
        CMenuItem& it = m->items[i];
        UINT key = (flags & MF_BYPOSITION) ? (UINT)i : it.id;
        if (key < first || key > last) continue;
        if (key == check) {
            it.flags |= MF_CHECKED | MF_RADIOCHECK;
            found = true;
        } else {
            it.flags &= ~MF_CHECKED;
        }
    }
    return found;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition)
{
    std::lock_guard<std::mutex> g(MenuLock());
    CMenu* m = FindMenuLocked(menu);
    if (!m) return FALSE;
    for (size_t i = 0; i < m->items.size(); i++) {
        CMenuItem& it = m->items[i];
        bool is = byPosition ? i == item : it.id == item;
        it.flags = is ? (it.flags | MF_DEFAULT) : (it.flags & ~MF_DEFAULT);
    }
    return TRUE;
}

// ---- Menu bars ----

BOOL SetMenu(HWND hwnd, HMENU menu)
{
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w || (w->style & WS_CHILD)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        w->menu = menu;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
}

HMENU GetMenu(HWND hwnd)
{
    std::lock_guard<std::mutex> g(WindowLock());
    auto w = FindWindowObjectLocked(hwnd);
    return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND hwnd)
{
    if (!IsWindow(hwnd)) return FALSE;
    static const RECT none{0, 0, 0, 0};
    InvalidateInternal(hwnd, &none, false, true);
    return TRUE;
}

HMENU GetSystemMenu(HWND, BOOL) { return nullptr; }

std::vector<RECT> MenuBarRects(HWND hwnd, HMENU menu)
{
    RECT bar{}, win{};
    {
        std::lock_guard<std::mutex> g(WindowLock());
        auto w = FindWindowObjectLocked(hwnd);
        if (!w) return {};
        bar = NcLayoutOfLocked(*w).menuBar;
        win = WindowScreenRectLocked(*w);
    }
    OffsetRect(&bar, win.left, win.top);
    std::vector<RECT> rects;
    int x = bar.left;
    for (const CMenuItem& it : MenuItemsOf(menu)) {
        int w = MenuTextWidth(it.text) + 16;
        rects.push_back(RECT{x, bar.top, x + w, bar.bottom});
        x += w;
    }
    return rects;
}

std::vector<VisibleMenuItem> MenuBarItems(HWND hwnd)
{
    HMENU menu = GetMenu(hwnd);
    std::vector<CMenuItem> items = MenuItemsOf(menu);
    std::vector<RECT> rects = MenuBarRects(hwnd, menu);
    std::vector<VisibleMenuItem> out;
    for (size_t i = 0; i < items.size() && i < rects.size(); i++)
        out.push_back(VisibleMenuItem{items[i].text, items[i].id, items[i].flags & (MF_GRAYED | MF_CHECKED | MF_POPUP | MF_SEPARATOR),
                                      (items[i].flags & MF_HILITE) != 0, rects[i]});
    return out;
}

// ---- Accelerators ----

namespace {
struct AccelTable {
    std::vector<ACCEL> entries;
};
}  // namespace

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count)
{
    if (!entries || count <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* t = new AccelTable;
    t->entries.assign(entries, entries + count);
    return (HACCEL)t;
}

BOOL DestroyAcceleratorTable(HACCEL table)
{
    delete (AccelTable*)table;
    return table != nullptr;
}

int CopyAcceleratorTable(HACCEL table, ACCEL* entries, int count)
{
    auto* t = (AccelTable*)table;
    if (!t) return 0;
    if (!entries) return (int)t->entries.size();
    int n = std::min(count, (int)t->entries.size());
    for (int i = 0; i < n; i++) entries[i] = t->entries[(size_t)i];
    return n;
}

int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg)
{
    auto* t = (AccelTable*)table;
    if (!t || !msg || !IsWindow(hwnd)) return 0;
    UINT m = msg->message;
    if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN && m != WM_CHAR && m != WM_SYSCHAR) return 0;
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0, alt = GetKeyState(VK_MENU) < 0;
    for (const ACCEL& a : t->entries) {
        bool hit;
        if (a.fVirt & FVIRTKEY) {
            if (m != WM_KEYDOWN && m != WM_SYSKEYDOWN) continue;
            hit = a.key == msg->wParam && ((a.fVirt & FSHIFT) != 0) == shift && ((a.fVirt & FCONTROL) != 0) == ctrl &&
                  ((a.fVirt & FALT) != 0) == alt;
        } else {
            if (m != WM_CHAR && m != WM_SYSCHAR) continue;
            hit = a.key == msg->wParam && ((a.fVirt & FALT) != 0) == (m == WM_SYSCHAR);
        }
        if (!hit) continue;
        SendMessage(hwnd, WM_COMMAND, MAKELONG(a.cmd, 1), 0);
        return 1;
    }
    return 0;
}
