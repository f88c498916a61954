#pragma once
// Menus and accelerators. Menu bars and pop-up menus are drawn by the
// window manager; pop-ups never take activation. Tracking is a modal loop
// with capture, driven by the mouse, Alt, F10 and mnemonics; every pop-up
// gets WM_INITMENUPOPUP before it opens.
#include <string>
#include <vector>

#include "platform/types.h"

#define MF_STRING 0x0000u
#define MF_BYCOMMAND 0x0000u
#define MF_ENABLED 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_BITMAP 0x0004u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_MENUBARBREAK 0x0020u
#define MF_MENUBREAK 0x0040u
#define MF_HILITE 0x0080u
#define MF_OWNERDRAW 0x0100u
#define MF_BYPOSITION 0x0400u
#define MF_SEPARATOR 0x0800u
#define MF_DEFAULT 0x1000u
#define MF_RADIOCHECK 0x0200u
#define MF_RIGHTJUSTIFY 0x4000u
#define MF_END 0x0080u   // last item of a level in a menu table

#define MFS_GRAYED 0x0003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_HILITE MF_HILITE
#define MFS_ENABLED 0x0000u
#define MFS_DEFAULT MF_DEFAULT
#define MFT_STRING MF_STRING
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RADIOCHECK MF_RADIOCHECK

#define MIIM_STATE 0x0001u
#define MIIM_ID 0x0002u
#define MIIM_SUBMENU 0x0004u
#define MIIM_TYPE 0x0010u
#define MIIM_DATA 0x0020u
#define MIIM_STRING 0x0040u
#define MIIM_FTYPE 0x0100u

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_HORIZONTAL 0x0000u
#define TPM_VERTICAL 0x0040u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

#define WM_INITMENU 0x0116u
#define WM_INITMENUPOPUP 0x0117u
#define WM_MENUSELECT 0x011Fu
#define WM_MENUCHAR 0x0120u
#define WM_UNINITMENUPOPUP 0x0125u
#define WM_ENTERMENULOOP 0x0211u
#define WM_EXITMENULOOP 0x0212u

struct MENUITEMINFO {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    void* hbmpChecked;
    void* hbmpUnchecked;
    UINT_PTR dwItemData;
    char* dwTypeData;
    UINT cch;
};

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};

// A menu as a C++ table: one entry per item in order; MF_POPUP opens a
// level that the entries after it fill, up to the one flagged MF_END.
struct MenuTableItem {
    UINT flags;
    UINT id;
    const char* text;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
HMENU LoadMenuTable(const MenuTableItem* items, size_t count);
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, const char* text);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, const char* text);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);   // a pop-up stays alive
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);   // a pop-up is destroyed
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);   // 0xFFFFFFFF for pop-ups
HMENU GetSubMenu(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuString(HMENU menu, UINT item, char* buffer, int size, UINT flags);
BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFO* info);
BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFO* info);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);

BOOL SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
BOOL DrawMenuBar(HWND hwnd);
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

// Runs the modal loop; returns the chosen id with TPM_RETURNCMD (0 when
// none), else posts WM_COMMAND to the owner and returns TRUE when an item
// was chosen.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* unused);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);
BOOL EndMenu();

// Read-back of the menus that are open now (outermost first).
struct VisibleMenuItem {
    std::string text;
    UINT id;
    UINT state;     // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
    bool selected;
    RECT rect;      // screen
};
struct VisibleMenu {
    HWND window;    // the pop-up window (null for a menu bar)
    HMENU menu;
    RECT rect;      // screen
    std::vector<VisibleMenuItem> items;
};
std::vector<VisibleMenu> VisibleMenus();
// The items of a window's menu bar with their screen rectangles.
std::vector<VisibleMenuItem> MenuBarItems(HWND hwnd);

// Accelerators.
#define FVIRTKEY 0x01u
#define FNOINVERT 0x02u
#define FSHIFT 0x04u
#define FCONTROL 0x08u
#define FALT 0x10u

struct ACCEL {
    BYTE fVirt;
    WORD key;
    WORD cmd;
};
typedef struct HACCEL__* HACCEL;
HACCEL CreateAcceleratorTable(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
int CopyAcceleratorTable(HACCEL table, ACCEL* entries, int count);
// WM_COMMAND with HIWORD(wParam) 1 to hwnd when the key message matches.
int TranslateAccelerator(HWND hwnd, HACCEL table, MSG* msg);

// The text width a menu measures with (set by the drawing level; the
// default counts 7 pixels a character).
void SetMenuTextMeasure(int (*measure)(const char* text, int length));

