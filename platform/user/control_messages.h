#pragma once
// The standard controls' class names, styles, messages, notifications and
// records, apart from the controls' code (platform/controls) as anything
// that creates or talks to a control needs only these.
#include <cstdint>

#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/message.h"

// The controls' classes are registered by the controls' level, above this
// one: it hands its registration here as the library loads, and anything
// that creates a control by class name calls EnsureControlClasses first.
void SetControlClassRegistrar(void (*registerClasses)());
void EnsureControlClasses();

// Class names. The dialog templates' names for the basic controls, our own
// for the others.
#define WC_STATIC "Static"
#define WC_BUTTON "Button"
#define WC_EDIT "Edit"
#define WC_LISTBOX "ListBox"
#define WC_COMBOBOX "ComboBox"
#define WC_SCROLLBAR "ScrollBar"
#define RICHEDIT_CLASS "VeldraRichText"
#define UPDOWN_CLASS "VeldraUpDown"
#define COMBOLBOX_CLASS "VeldraComboList"

// --- owner draw ---------------------------------------------------------------
#define ODT_LISTBOX 2u
#define ODT_COMBOBOX 3u
#define ODT_BUTTON 4u
#define ODA_DRAWENTIRE 1u
#define ODA_SELECT 2u
#define ODA_FOCUS 4u
#define ODS_SELECTED 0x0001u
#define ODS_DISABLED 0x0004u
#define ODS_CHECKED 0x0008u
#define ODS_FOCUS 0x0010u
#define ODS_COMBOBOXEDIT 0x1000u
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;       // (UINT)-1: no item (an empty list, the empty edit field)
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    UINT_PTR itemData;
};
struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    UINT_PTR itemData;
};

// --- static ------------------------------------------------------------------
#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ETCHEDHORZ 0x0010u
#define SS_SUNKEN 0x1000u
#define SS_NOPREFIX 0x0080u
#define SS_NOTIFY 0x0100u
#define SS_TYPEMASK 0x001Fu
#define STN_CLICKED 0
#define STN_DBLCLK 1

// --- buttons -----------------------------------------------------------------
#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_3STATE 0x0005u
#define BS_AUTO3STATE 0x0006u
#define BS_GROUPBOX 0x0007u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_OWNERDRAW 0x000Bu
#define BS_TYPEMASK 0x000Fu
#define BS_LEFTTEXT 0x0020u
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0u
#define BM_SETCHECK 0x00F1u
#endif
#define BM_GETSTATE 0x00F2u
#define BM_SETSTATE 0x00F3u
#define BM_SETSTYLE 0x00F4u
// The same tokens as the framework's data exchange header.
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2
#define BST_PUSHED 4u
#define BST_FOCUS 8u
#define BN_DOUBLECLICKED 5

// --- edit and rich edit ------------------------------------------------------
#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_PASSWORD 0x0020u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_NOHIDESEL 0x0100u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define ES_NUMBER 0x2000u
#define EM_GETSEL 0x00B0u
// EM_SETSEL is the dialog manager's.
#define EM_GETRECT 0x00B2u
#define EM_SCROLL 0x00B5u
#define EM_LINESCROLL 0x00B6u
#define EM_SCROLLCARET 0x00B7u
#define EM_GETMODIFY 0x00B8u
#define EM_SETMODIFY 0x00B9u
#define EM_GETLINECOUNT 0x00BAu
#define EM_LINEINDEX 0x00BBu
#define EM_LINELENGTH 0x00C1u
#define EM_REPLACESEL 0x00C2u
#define EM_GETLINE 0x00C4u
#define EM_LIMITTEXT 0x00C5u
#define EM_CANUNDO 0x00C6u
#define EM_UNDO 0x00C7u
#define EM_LINEFROMCHAR 0x00C9u
#define EM_EMPTYUNDOBUFFER 0x00CDu
#define EM_GETFIRSTVISIBLELINE 0x00CEu
#define EM_SETREADONLY 0x00CFu
#define EM_GETLIMITTEXT 0x00D5u
#define EM_POSFROMCHAR 0x00D6u
#define EM_CHARFROMPOS 0x00D7u
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EN_MAXTEXT 0x0501
#define EN_VSCROLL 0x0602
// Rich edit.
#define EM_EXGETSEL (WM_USER + 52)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_EXLINEFROMCHAR (WM_USER + 54)
#define EM_EXSETSEL (WM_USER + 55)
#define EM_FINDTEXT (WM_USER + 56)
#define EM_FORMATRANGE (WM_USER + 57)
#define EM_GETCHARFORMAT (WM_USER + 58)
#define EM_GETEVENTMASK (WM_USER + 59)
#define EM_GETSELTEXT (WM_USER + 62)
#define EM_HIDESELECTION (WM_USER + 63)
#define EM_SETBKGNDCOLOR (WM_USER + 67)
#define EM_SETCHARFORMAT (WM_USER + 68)
#define EM_SETEVENTMASK (WM_USER + 69)
#define EM_SETTARGETDEVICE (WM_USER + 72)
#define EM_STREAMIN (WM_USER + 73)
#define EM_STREAMOUT (WM_USER + 74)
#define EM_GETTEXTRANGE (WM_USER + 75)
#define EM_SETOPTIONS (WM_USER + 77)
#define EM_GETOPTIONS (WM_USER + 78)
#define EM_FINDTEXTEX (WM_USER + 79)
#define EM_REDO (WM_USER + 84)
#define EM_CANREDO (WM_USER + 85)
// Our own: text dropped at a character position (wParam) goes in as a user
// edit, so read-only and protected text refuse it; lParam is the text (NUL
// ended). TRUE when inserted; the dropped text is then selected.
#define EM_DROPTEXT (WM_USER + 300)
#define EN_SELCHANGE 0x0702
#define EN_PROTECTED 0x0704
#define ENM_CHANGE 0x00000001u
#define ENM_SELCHANGE 0x00080000u
#define ENM_PROTECTED 0x00200000u
#define ECOOP_SET 1
#define ECOOP_OR 2
#define ECOOP_AND 3
#define ECO_READONLY 0x00000800u
#define ECO_NOHIDESEL 0x00000100u
#define ECO_SAVESEL 0x00008000u
#define SCF_DEFAULT 0x0000u
#define SCF_SELECTION 0x0001u
#define SCF_WORD 0x0002u
#define SCF_ALL 0x0004u
#define SF_TEXT 0x0001u
#define SF_RTF 0x0002u
#define SFF_SELECTION 0x8000u
#define CFM_BOLD 0x00000001u
#define CFM_ITALIC 0x00000002u
#define CFM_UNDERLINE 0x00000004u
#define CFM_STRIKEOUT 0x00000008u
#define CFM_PROTECTED 0x00000010u
#define CFM_CHARSET 0x08000000u
#define CFM_OFFSET 0x10000000u
#define CFM_FACE 0x20000000u
#define CFM_COLOR 0x40000000u
#define CFM_SIZE 0x80000000u
#define CFM_ALL 0xF800001Fu
#define CFE_BOLD 0x0001u
#define CFE_ITALIC 0x0002u
#define CFE_UNDERLINE 0x0004u
#define CFE_STRIKEOUT 0x0008u
#define CFE_PROTECTED 0x0010u
#define CFE_AUTOCOLOR 0x40000000u
#ifndef FR_DOWN
#define FR_DOWN 0x00000001u
#define FR_WHOLEWORD 0x00000002u
#define FR_MATCHCASE 0x00000004u
#endif
struct CHARRANGE {
    LONG cpMin;
    LONG cpMax;   // -1: the end of the text
};
struct CHARFORMAT {
    UINT cbSize;
    DWORD dwMask;
    DWORD dwEffects;
    LONG yHeight;    // twips
    LONG yOffset;    // twips, positive up
    COLORREF crTextColor;
    BYTE bCharSet;
    BYTE bPitchAndFamily;
    char szFaceName[32];
};
struct TEXTRANGE {
    CHARRANGE chrg;
    char* lpstrText;   // room for the range and a NUL
};
struct FINDTEXTEX {
    CHARRANGE chrg;
    const char* lpstrText;
    CHARRANGE chrgText;
};
struct FORMATRANGE {
    HDC hdc;
    HDC hdcTarget;
    RECT rc;        // twips
    RECT rcPage;    // twips
    CHARRANGE chrg;
};
typedef DWORD (*EDITSTREAMCALLBACK)(DWORD_PTR cookie, BYTE* buffer, LONG cb, LONG* done);
struct EDITSTREAM {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};
#define SEL_EMPTY 0x0000u
#define SEL_TEXT 0x0001u
struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp;
};
struct ENPROTECTED {
    NMHDR nmhdr;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    CHARRANGE chrg;
};
// The registered clipboard format a copy offers beside CF_TEXT.
#define CF_RTF_NAME "Rich Text Format"

// --- list box ----------------------------------------------------------------
#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOREDRAW 0x0004u
#define LBS_MULTIPLESEL 0x0008u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_OWNERDRAWVARIABLE 0x0020u
#define LBS_HASSTRINGS 0x0040u
#define LBS_USETABSTOPS 0x0080u
#define LBS_WANTKEYBOARDINPUT 0x0400u
#define LBS_EXTENDEDSEL 0x0800u
// Our own: each item carries a check box (the check list).
#define LBS_CHECKLIST 0x8000u
#define LB_ADDSTRING 0x0180u
#define LB_INSERTSTRING 0x0181u
#define LB_DELETESTRING 0x0182u
#define LB_RESETCONTENT 0x0184u
#define LB_SETSEL 0x0185u
#define LB_SETCURSEL 0x0186u
#define LB_GETSEL 0x0187u
#define LB_GETCURSEL 0x0188u
#define LB_GETTEXT 0x0189u
#define LB_GETTEXTLEN 0x018Au
#define LB_GETCOUNT 0x018Bu
#define LB_SELECTSTRING 0x018Cu
#define LB_GETTOPINDEX 0x018Eu
#define LB_FINDSTRING 0x018Fu
#define LB_SETTABSTOPS 0x0192u
#define LB_SETTOPINDEX 0x0197u
#define LB_GETITEMRECT 0x0198u
#define LB_GETITEMDATA 0x0199u
#define LB_SETITEMDATA 0x019Au
#define LB_SETITEMHEIGHT 0x01A0u
#define LB_GETITEMHEIGHT 0x01A1u
#define LB_FINDSTRINGEXACT 0x01A2u
#define LB_ITEMFROMPOINT 0x01A9u
// Our own: the check state of a check-list item.
#define LB_GETCHECK 0x01B0u
#define LB_SETCHECK 0x01B1u
#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SELCANCEL 3
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5
#define CLBN_CHKCHANGE 40

// --- combo box ---------------------------------------------------------------
#define CBS_SIMPLE 0x0001u
#define CBS_DROPDOWN 0x0002u
#define CBS_DROPDOWNLIST 0x0003u
#define CBS_OWNERDRAWFIXED 0x0010u
#define CBS_OWNERDRAWVARIABLE 0x0020u
#define CBS_AUTOHSCROLL 0x0040u
#define CBS_SORT 0x0100u
#define CBS_HASSTRINGS 0x0200u
#define CB_GETEDITSEL 0x0140u
#define CB_LIMITTEXT 0x0141u
#define CB_SETEDITSEL 0x0142u
#define CB_ADDSTRING 0x0143u
#define CB_DELETESTRING 0x0144u
#define CB_GETCOUNT 0x0146u
#define CB_GETCURSEL 0x0147u
#define CB_GETLBTEXT 0x0148u
#define CB_GETLBTEXTLEN 0x0149u
#define CB_INSERTSTRING 0x014Au
#define CB_RESETCONTENT 0x014Bu
#define CB_FINDSTRING 0x014Cu
#define CB_SELECTSTRING 0x014Du
#define CB_SETCURSEL 0x014Eu
#define CB_SHOWDROPDOWN 0x014Fu
#define CB_GETITEMDATA 0x0150u
#define CB_SETITEMDATA 0x0151u
#define CB_GETDROPPEDCONTROLRECT 0x0152u
#define CB_SETITEMHEIGHT 0x0153u
#define CB_GETITEMHEIGHT 0x0154u
#define CB_GETDROPPEDSTATE 0x0157u
#define CB_FINDSTRINGEXACT 0x0158u
#define CB_GETDROPPEDWIDTH 0x015Fu
#define CB_SETDROPPEDWIDTH 0x0160u
#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_EDITUPDATE 6
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

// --- scroll bar control --------------------------------------------------------
#define SBS_HORZ 0x0000u
#define SBS_VERT 0x0001u
#define SBS_SIZEBOX 0x0008u
#define SBS_SIZEGRIP 0x0010u
#define SBM_SETPOS 0x00E0u
#define SBM_GETPOS 0x00E1u
#define SBM_SETRANGE 0x00E2u
#define SBM_GETRANGE 0x00E3u
#define SBM_SETSCROLLINFO 0x00E9u
#define SBM_GETSCROLLINFO 0x00EAu

// --- up-down -------------------------------------------------------------------
#define UDS_WRAP 0x0001u
#define UDS_SETBUDDYINT 0x0002u
#define UDS_ALIGNRIGHT 0x0004u
#define UDS_ARROWKEYS 0x0020u
#define UDS_HORZ 0x0040u
#define UDS_NOTHOUSANDS 0x0080u
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETPOS32 (WM_USER + 113)
#define UDM_GETPOS32 (WM_USER + 114)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDN_DELTAPOS (-722)
struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};

// --- tab -------------------------------------------------------------------------
#define WC_TABCONTROL "VeldraTab"
#define TCIF_TEXT 0x0001u
#define TCIF_PARAM 0x0008u
#define TCM_FIRST 0x1300u
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEM (TCM_FIRST + 5)
#define TCM_SETITEM (TCM_FIRST + 6)
#define TCM_INSERTITEM (TCM_FIRST + 7)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_HITTEST (TCM_FIRST + 13)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)
#define TCN_SELCHANGE (-551)
#define TCN_SELCHANGING (-552)
struct TCITEM {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct TCHITTESTINFO {
    POINT pt;
    UINT flags;
};

// --- status bar --------------------------------------------------------------------
#define STATUSCLASSNAME "VeldraStatus"
#define SBARS_SIZEGRIP 0x0100u
#define SB_SETTEXT (WM_USER + 1)
#define SB_GETTEXT (WM_USER + 2)
#define SB_GETTEXTLENGTH (WM_USER + 3)
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_GETRECT (WM_USER + 10)
#define SB_SIMPLE (WM_USER + 9)
#define SB_ISSIMPLE (WM_USER + 14)
#define SB_SIMPLEID 0x00FF

// --- tooltip -----------------------------------------------------------------------
#define TOOLTIPS_CLASS "VeldraToolTip"
#define TTF_IDISHWND 0x0001u
#define TTF_SUBCLASS 0x0010u
#define TTM_ACTIVATE (WM_USER + 1)
#define TTM_SETDELAYTIME (WM_USER + 3)
#define TTM_ADDTOOL (WM_USER + 4)
#define TTM_DELTOOL (WM_USER + 5)
#define TTM_NEWTOOLRECT (WM_USER + 6)
#define TTM_RELAYEVENT (WM_USER + 7)
#define TTM_GETTOOLCOUNT (WM_USER + 13)
#define TTM_UPDATETIPTEXT (WM_USER + 12)
#define TTM_SETMAXTIPWIDTH (WM_USER + 24)
#define TTM_POP (WM_USER + 28)
#define TTDT_AUTOMATIC 0
#define TTDT_RESHOW 1
#define TTDT_AUTOPOP 2
#define TTDT_INITIAL 3
#define LPSTR_TEXTCALLBACK ((char*)(intptr_t)-1)
#define TTN_GETDISPINFO (-520)
#define TTN_SHOW (-521)
#define TTN_POP (-522)
struct TOOLINFO {
    UINT cbSize;
    UINT uFlags;
    HWND hwnd;
    UINT_PTR uId;
    RECT rect;
    HINSTANCE hinst;
    char* lpszText;
    LPARAM lParam;
};
struct NMTTDISPINFO {
    NMHDR hdr;
    char* lpszText;
    char szText[80];
    HINSTANCE hinst;
    UINT uFlags;
    LPARAM lParam;
};

// --- tree view ---------------------------------------------------------------------
#define WC_TREEVIEW "VeldraTree"
typedef struct TreeItem__* HTREEITEM;
#define TVI_ROOT ((HTREEITEM)(intptr_t)-0x10000)
#define TVI_FIRST ((HTREEITEM)(intptr_t)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(intptr_t)-0x0FFFE)
#define TVI_SORT ((HTREEITEM)(intptr_t)-0x0FFFD)
#define TVS_HASBUTTONS 0x0001u
#define TVS_HASLINES 0x0002u
#define TVS_LINESATROOT 0x0004u
#define TVS_SHOWSELALWAYS 0x0020u
#define TVIF_TEXT 0x0001u
#define TVIF_STATE 0x0008u
#define TVIF_HANDLE 0x0010u
#define TVIF_PARAM 0x0004u
#define TVIF_CHILDREN 0x0040u
#define TVIS_SELECTED 0x0002u
#define TVIS_EXPANDED 0x0020u
#define TVE_COLLAPSE 0x0001u
#define TVE_EXPAND 0x0002u
#define TVE_TOGGLE 0x0003u
#define TVGN_ROOT 0x0000u
#define TVGN_NEXT 0x0001u
#define TVGN_PREVIOUS 0x0002u
#define TVGN_PARENT 0x0003u
#define TVGN_CHILD 0x0004u
#define TVGN_FIRSTVISIBLE 0x0005u
#define TVGN_NEXTVISIBLE 0x0006u
#define TVGN_CARET 0x0009u
#define TVC_UNKNOWN 0x0000u
#define TVC_BYMOUSE 0x0001u
#define TVC_BYKEYBOARD 0x0002u
#define TV_FIRST 0x1100u
#define TVM_INSERTITEM (TV_FIRST + 0)
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_EXPAND (TV_FIRST + 2)
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEM (TV_FIRST + 12)
#define TVM_SETITEM (TV_FIRST + 13)
#define TVM_HITTEST (TV_FIRST + 17)
#define TVM_SORTCHILDREN (TV_FIRST + 19)
#define TVM_ENSUREVISIBLE (TV_FIRST + 20)
#define TVN_SELCHANGING (-401)
#define TVN_SELCHANGED (-402)
#define TVN_ITEMEXPANDING (-405)
#define TVN_ITEMEXPANDED (-406)
struct TVITEM {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
};
struct TVINSERTSTRUCT {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEM item;
};
struct NMTREEVIEW {
    NMHDR hdr;
    UINT action;
    TVITEM itemOld;
    TVITEM itemNew;
    POINT ptDrag;
};
struct TVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
};
#define TVHT_ONITEMLABEL 0x0004u
#define TVHT_ONITEMBUTTON 0x0010u
#define TVHT_NOWHERE 0x0001u

// --- list view -----------------------------------------------------------------------
#define WC_LISTVIEW "VeldraListView"
#define LVS_REPORT 0x0001u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_EDITLABELS 0x0200u
#define LVS_OWNERDATA 0x1000u
#define LVS_NOCOLUMNHEADER 0x4000u
#define LVS_EX_GRIDLINES 0x0001u
#define LVS_EX_FULLROWSELECT 0x0020u
#define LVS_EX_INFOTIP 0x0400u
#define LVIF_TEXT 0x0001u
#define LVIF_STATE 0x0008u
#define LVIF_PARAM 0x0004u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVNI_ALL 0x0000u
#define LVNI_FOCUSED 0x0001u
#define LVNI_SELECTED 0x0002u
#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCFMT_LEFT 0
#define LVCFMT_RIGHT 1
#define LVCFMT_CENTER 2
#define LVM_FIRST 0x1000u
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_EDITLABEL (LVM_FIRST + 23)
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_SETITEMCOUNT (LVM_FIRST + 47)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETITEM (LVM_FIRST + 75)
#define LVM_SETITEM (LVM_FIRST + 76)
#define LVM_INSERTITEM (LVM_FIRST + 77)
#define LVM_INSERTCOLUMN (LVM_FIRST + 97)
#define LVM_GETITEMTEXT (LVM_FIRST + 115)
#define LVM_SETITEMTEXT (LVM_FIRST + 116)
struct LVITEM {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
struct LVCOLUMN {
    UINT mask;
    int fmt;
    int cx;
    char* pszText;
    int cchTextMax;
    int iSubItem;
};
struct NMLVDISPINFO {
    NMHDR hdr;
    LVITEM item;
};
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
struct NMLVGETINFOTIP {
    NMHDR hdr;
    DWORD dwFlags;
    char* pszText;
    int cchTextMax;
    int iItem;
    int iSubItem;
    LPARAM lParam;
};
struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
};


// --- toolbar -------------------------------------------------------------------------
#define TOOLBARCLASSNAME "VeldraToolbar"
#define TBSTYLE_WRAPABLE 0x0200u
#define TBSTYLE_FLAT 0x0800u
#define BTNS_BUTTON 0x00u
#define BTNS_SEP 0x01u
#define BTNS_CHECK 0x02u
#define BTNS_DROPDOWN 0x08u
#define BTNS_WHOLEDROPDOWN 0x80u
#define TBSTATE_CHECKED 0x01u
#define TBSTATE_PRESSED 0x02u
#define TBSTATE_ENABLED 0x04u
#define TBSTATE_HIDDEN 0x08u
#define TBSTATE_WRAP 0x20u
#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_CHECKBUTTON (WM_USER + 2)
#define TB_ISBUTTONENABLED (WM_USER + 9)
#define TB_ISBUTTONCHECKED (WM_USER + 10)
#define TB_SETSTATE (WM_USER + 17)
#define TB_GETSTATE (WM_USER + 18)
#define TB_ADDBUTTONS (WM_USER + 20)
#define TB_DELETEBUTTON (WM_USER + 22)
#define TB_GETBUTTON (WM_USER + 23)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_COMMANDTOINDEX (WM_USER + 25)
#define TB_GETITEMRECT (WM_USER + 29)
#define TB_SETBUTTONSIZE (WM_USER + 31)
#define TB_AUTOSIZE (WM_USER + 33)
#define TB_GETROWS (WM_USER + 40)
#define TB_SETIMAGELIST (WM_USER + 48)
#define TB_GETIMAGELIST (WM_USER + 49)
#define TB_SETHOTIMAGELIST (WM_USER + 52)
#define TB_GETHOTIMAGELIST (WM_USER + 53)
#define TB_SETDISABLEDIMAGELIST (WM_USER + 54)
#define TB_GETDISABLEDIMAGELIST (WM_USER + 55)
#define TB_HITTEST (WM_USER + 69)
#define TB_SETBUTTONINFO (WM_USER + 64)
#define TBIF_STATE 0x0004u
#define TBIF_STYLE 0x0008u
// TB_SETBUTTONINFO (wParam = the command id): the fields dwMask names.
struct TBBUTTONINFO {
    UINT cbSize;
    DWORD dwMask;
    int idCommand;
    int iImage;
    BYTE fsState;
    BYTE fsStyle;
    WORD cx;
    UINT_PTR lParam;
    char* pszText;
    int cchText;
};
#define TBN_DROPDOWN (-710)
#define TBDDRET_DEFAULT 0
struct TBBUTTON {
    int iBitmap;
    int idCommand;
    BYTE fsState;
    BYTE fsStyle;
    UINT_PTR dwData;
    intptr_t iString;   // a text, or -1
};
struct NMTOOLBAR {
    NMHDR hdr;
    int iItem;
    TBBUTTON tbButton;
    int cchText;
    char* pszText;
    RECT rcButton;
};
