#pragma once
// Thin framework wrappers of the controls: each creates its class and sends
// its messages; nothing is kept on the object side.
#include <algorithm>
#include <string>

#include "platform/afx/wnd.h"
#include "platform/user/control_messages.h"

class CControlWnd : public CWnd {
public:
    BOOL CreateControl(const char* cls, const char* text, DWORD style, const RECT& r, CWnd* parent, UINT id,
                       DWORD exStyle = 0)
    {
        EnsureControlClasses();
        return CreateEx(exStyle, cls, text, style | WS_CHILD, r, parent, id);
    }
    LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessage(m_hWnd, m, w, l); }
};

// A typed alias of a control another window made (a dialog template's
// item): outside the handle map, so it neither takes the control's messages
// nor destroys it.
template <class Control>
class CControlAlias : public Control {
public:
    explicit CControlAlias(HWND hwnd) { this->m_hWnd = hwnd; }
    CControlAlias(const CWnd* parent, int id) : CControlAlias(::GetDlgItem(parent->m_hWnd, id)) {}
    ~CControlAlias() override { this->m_hWnd = nullptr; }
};

class CStatic : public CControlWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& r, CWnd* parent, UINT id = 0xFFFF)
    {
        return CreateControl(WC_STATIC, text, style, r, parent, id);
    }
};

class CButton : public CControlWnd {
public:
    BOOL Create(const char* text, DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CreateControl(WC_BUTTON, text, style, r, parent, id);
    }
    int GetCheck() const { return (int)Send(BM_GETCHECK); }
    void SetCheck(int check) { Send(BM_SETCHECK, (WPARAM)check); }
    UINT GetState() const { return (UINT)Send(BM_GETSTATE); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { Send(BM_SETSTYLE, style, redraw); }
};

class CEdit : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_EDIT, "", style, r, parent, id); }
    void SetSel(int start, int end, BOOL = FALSE) { Send(EM_SETSEL, (WPARAM)start, (LPARAM)end); }
    void GetSel(int& start, int& end) const
    {
        DWORD a = 0, b = 0;
        Send(EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
        start = (int)a;
        end = (int)b;
    }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) { Send(EM_REPLACESEL, canUndo, (LPARAM)text); }
    void SetLimitText(UINT max) { Send(EM_LIMITTEXT, max); }
    BOOL SetReadOnly(BOOL ro = TRUE) { return (BOOL)Send(EM_SETREADONLY, ro); }
    int GetLineCount() const { return (int)Send(EM_GETLINECOUNT); }
    int LineIndex(int line = -1) const { return (int)Send(EM_LINEINDEX, (WPARAM)line); }
    int LineFromChar(int index = -1) const { return (int)Send(EM_LINEFROMCHAR, (WPARAM)index); }
    int LineLength(int index = -1) const { return (int)Send(EM_LINELENGTH, (WPARAM)index); }
    BOOL CanUndo() const { return (BOOL)Send(EM_CANUNDO); }
    BOOL Undo() { return (BOOL)Send(EM_UNDO); }
    void EmptyUndoBuffer() { Send(EM_EMPTYUNDOBUFFER); }
    BOOL GetModify() const { return (BOOL)Send(EM_GETMODIFY); }
    void SetModify(BOOL m = TRUE) { Send(EM_SETMODIFY, m); }
    void Copy() { Send(WM_COPY); }
    void Cut() { Send(WM_CUT); }
    void Paste() { Send(WM_PASTE); }
    void Clear() { Send(WM_CLEAR); }
};

class CListBox : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_LISTBOX, "", style, r, parent, id); }
    int AddString(const char* s) { return (int)Send(LB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, const char* s) { return (int)Send(LB_INSERTSTRING, (WPARAM)i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)Send(LB_DELETESTRING, i); }
    void ResetContent() { Send(LB_RESETCONTENT); }
    int GetCount() const { return (int)Send(LB_GETCOUNT); }
    int GetCurSel() const { return (int)Send(LB_GETCURSEL); }
    int SetCurSel(int i) { return (int)Send(LB_SETCURSEL, (WPARAM)i); }
    UINT_PTR GetItemData(int i) const { return (UINT_PTR)Send(LB_GETITEMDATA, (WPARAM)i); }
    int SetItemData(int i, UINT_PTR d) { return (int)Send(LB_SETITEMDATA, (WPARAM)i, (LPARAM)d); }
    std::string GetText(int i) const
    {
        int n = (int)Send(LB_GETTEXTLEN, (WPARAM)i);
        if (n < 0) return {};
        std::string s((size_t)n + 1, '\0');
        Send(LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
        s.resize((size_t)n);
        return s;
    }
    int FindString(int after, const char* s) const { return (int)Send(LB_FINDSTRING, (WPARAM)after, (LPARAM)s); }
    int FindStringExact(int after, const char* s) const { return (int)Send(LB_FINDSTRINGEXACT, (WPARAM)after, (LPARAM)s); }
    BOOL SetTabStops(int n, const int* tabs) { return (BOOL)Send(LB_SETTABSTOPS, (WPARAM)n, (LPARAM)tabs); }
    int GetCheck(int i) const { return (int)Send(LB_GETCHECK, (WPARAM)i); }
    void SetCheck(int i, int c) { Send(LB_SETCHECK, (WPARAM)i, c); }
};

class CComboBox : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_COMBOBOX, "", style, r, parent, id); }
    int AddString(const char* s) { return (int)Send(CB_ADDSTRING, 0, (LPARAM)s); }
    int InsertString(int i, const char* s) { return (int)Send(CB_INSERTSTRING, (WPARAM)i, (LPARAM)s); }
    int DeleteString(UINT i) { return (int)Send(CB_DELETESTRING, i); }
    void ResetContent() { Send(CB_RESETCONTENT); }
    int GetCount() const { return (int)Send(CB_GETCOUNT); }
    int GetCurSel() const { return (int)Send(CB_GETCURSEL); }
    int SetCurSel(int i) { return (int)Send(CB_SETCURSEL, (WPARAM)i); }
    UINT_PTR GetItemData(int i) const { return (UINT_PTR)Send(CB_GETITEMDATA, (WPARAM)i); }
    int SetItemData(int i, UINT_PTR d) { return (int)Send(CB_SETITEMDATA, (WPARAM)i, (LPARAM)d); }
    int FindStringExact(int after, const char* s) const { return (int)Send(CB_FINDSTRINGEXACT, (WPARAM)after, (LPARAM)s); }
    int SelectString(int after, const char* s) { return (int)Send(CB_SELECTSTRING, (WPARAM)after, (LPARAM)s); }
    void ShowDropDown(BOOL show = TRUE) { Send(CB_SHOWDROPDOWN, show); }
    BOOL GetDroppedState() const { return (BOOL)Send(CB_GETDROPPEDSTATE); }
    int SetItemHeight(int i, UINT h) { return (int)Send(CB_SETITEMHEIGHT, (WPARAM)i, h); }
    std::string GetLBText(int i) const
    {
        int n = (int)Send(CB_GETLBTEXTLEN, (WPARAM)i);
        if (n < 0) return {};
        std::string s((size_t)n + 1, '\0');
        Send(CB_GETLBTEXT, (WPARAM)i, (LPARAM)s.data());
        s.resize((size_t)n);
        return s;
    }
};

class CScrollBar : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_SCROLLBAR, "", style, r, parent, id); }
    BOOL SetScrollInfo(SCROLLINFO* si, BOOL redraw = TRUE) { return (BOOL)Send(SBM_SETSCROLLINFO, redraw, (LPARAM)si); }
    BOOL GetScrollInfo(SCROLLINFO* si) const { return (BOOL)Send(SBM_GETSCROLLINFO, 0, (LPARAM)si); }
    int GetScrollPos() const { return (int)Send(SBM_GETPOS); }
    int SetScrollPos(int pos, BOOL redraw = TRUE) { return (int)Send(SBM_SETPOS, (WPARAM)pos, redraw); }
};

class CSpinButtonCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(UPDOWN_CLASS, "", style, r, parent, id); }
    CWnd* SetBuddy(CWnd* buddy) { return CWnd::FromHandle((HWND)Send(UDM_SETBUDDY, (WPARAM)buddy->m_hWnd)); }
    void SetRange32(int lo, int hi) { Send(UDM_SETRANGE32, (WPARAM)lo, hi); }
    void GetRange32(int& lo, int& hi) const { Send(UDM_GETRANGE32, (WPARAM)&lo, (LPARAM)&hi); }
    int SetPos32(int pos) { return (int)Send(UDM_SETPOS32, 0, pos); }
    int GetPos32(BOOL* error = nullptr) const { return (int)Send(UDM_GETPOS32, 0, (LPARAM)error); }
};

class CTabCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_TABCONTROL, "", style, r, parent, id); }
    int InsertItem(int i, const char* text)
    {
        TCITEM it{};
        it.mask = TCIF_TEXT;
        it.pszText = (char*)text;
        return (int)Send(TCM_INSERTITEM, (WPARAM)i, (LPARAM)&it);
    }
    int GetItemCount() const { return (int)Send(TCM_GETITEMCOUNT); }
    int GetCurSel() const { return (int)Send(TCM_GETCURSEL); }
    int SetCurSel(int i) { return (int)Send(TCM_SETCURSEL, (WPARAM)i); }
    void AdjustRect(BOOL larger, RECT* r) { Send(TCM_ADJUSTRECT, larger, (LPARAM)r); }
};

class CTreeCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_TREEVIEW, "", style, r, parent, id); }
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM data = 0)
    {
        TVINSERTSTRUCT is{};
        is.hParent = parent;
        is.hInsertAfter = after;
        is.item.mask = TVIF_TEXT | TVIF_PARAM;
        is.item.pszText = (char*)text;
        is.item.lParam = data;
        return (HTREEITEM)Send(TVM_INSERTITEM, 0, (LPARAM)&is);
    }
    BOOL DeleteItem(HTREEITEM h) { return (BOOL)Send(TVM_DELETEITEM, 0, (LPARAM)h); }
    BOOL DeleteAllItems() { return (BOOL)Send(TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT); }
    BOOL Expand(HTREEITEM h, UINT code) { return (BOOL)Send(TVM_EXPAND, code, (LPARAM)h); }
    HTREEITEM GetNextItem(HTREEITEM h, UINT code) const { return (HTREEITEM)Send(TVM_GETNEXTITEM, code, (LPARAM)h); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM h) const { return GetNextItem(h, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM h) const { return GetNextItem(h, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM h) const { return GetNextItem(h, TVGN_PARENT); }
    BOOL SelectItem(HTREEITEM h) { return (BOOL)Send(TVM_SELECTITEM, TVGN_CARET, (LPARAM)h); }
    LPARAM GetItemData(HTREEITEM h) const
    {
        TVITEM it{};
        it.mask = TVIF_PARAM;
        it.hItem = h;
        Send(TVM_GETITEM, 0, (LPARAM)&it);
        return it.lParam;
    }
    std::string GetItemText(HTREEITEM h) const
    {
        char buf[260] = {};
        TVITEM it{};
        it.mask = TVIF_TEXT;
        it.hItem = h;
        it.pszText = buf;
        it.cchTextMax = (int)sizeof buf;
        Send(TVM_GETITEM, 0, (LPARAM)&it);
        return buf;
    }
    UINT GetCount() const { return (UINT)Send(TVM_GETCOUNT); }
    BOOL SortChildren(HTREEITEM h) { return (BOOL)Send(TVM_SORTCHILDREN, 0, (LPARAM)h); }
    BOOL EnsureVisible(HTREEITEM h) { return (BOOL)Send(TVM_ENSUREVISIBLE, 0, (LPARAM)h); }
};

class CListCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(WC_LISTVIEW, "", style, r, parent, id); }
    int InsertColumn(int i, const char* heading, int fmt = LVCFMT_LEFT, int width = -1)
    {
        LVCOLUMN c{LVCF_TEXT | LVCF_FMT | (width >= 0 ? LVCF_WIDTH : 0u), fmt, width, (char*)heading, 0, i};
        return (int)Send(LVM_INSERTCOLUMN, (WPARAM)i, (LPARAM)&c);
    }
    int InsertItem(int i, const char* text)
    {
        LVITEM it{LVIF_TEXT, i, 0, 0, 0, (char*)text, 0, 0, 0};
        return (int)Send(LVM_INSERTITEM, 0, (LPARAM)&it);
    }
    BOOL SetItemText(int i, int sub, const char* text)
    {
        LVITEM it{};
        it.iSubItem = sub;
        it.pszText = (char*)text;
        return (BOOL)Send(LVM_SETITEMTEXT, (WPARAM)i, (LPARAM)&it);
    }
    // At most room - 1 bytes of the text.
    std::string GetItemText(int i, int sub, int room = 260) const
    {
        std::string buf((size_t)room, '\0');
        LVITEM it{};
        it.iSubItem = sub;
        it.pszText = buf.data();
        it.cchTextMax = room;
        Send(LVM_GETITEMTEXT, (WPARAM)i, (LPARAM)&it);
        return buf.c_str();
    }
    int GetItemCount() const { return (int)Send(LVM_GETITEMCOUNT); }
    BOOL SetItemCount(int n) { return (BOOL)Send(LVM_SETITEMCOUNT, (WPARAM)n); }
    BOOL DeleteItem(int i) { return (BOOL)Send(LVM_DELETEITEM, (WPARAM)i); }
    BOOL DeleteAllItems() { return (BOOL)Send(LVM_DELETEALLITEMS); }
    BOOL SetColumnWidth(int column, int cx) { return (BOOL)Send(LVM_SETCOLUMNWIDTH, (WPARAM)column, cx); }
    int GetNextItem(int start, UINT flags) const { return (int)Send(LVM_GETNEXTITEM, (WPARAM)start, flags); }
    DWORD SetExtendedStyle(DWORD ex) { return (DWORD)Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ex); }
    BOOL EnsureVisible(int i, BOOL = FALSE) { return (BOOL)Send(LVM_ENSUREVISIBLE, (WPARAM)i); }
    // The label's edit box (none: nullptr); a CControlAlias<CEdit> types it.
    HWND EditLabel(int i) { return (HWND)Send(LVM_EDITLABEL, (WPARAM)i); }
    BOOL SetItemState(int i, UINT state, UINT mask)
    {
        LVITEM it{};
        it.state = state;
        it.stateMask = mask;
        return (BOOL)Send(LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&it);
    }
};

class CToolTipCtrl : public CControlWnd {
public:
    BOOL Create(CWnd* parent)
    {
        EnsureControlClasses();
        return CreateEx(0, TOOLTIPS_CLASS, "", WS_POPUP, 0, 0, 0, 0, parent ? parent->m_hWnd : nullptr, nullptr, nullptr);
    }
    // `flags` adds to TTF_IDISHWND: TTF_SUBCLASS relays the window's mouse messages without RelayEvent.
    BOOL AddTool(CWnd* wnd, const char* text = LPSTR_TEXTCALLBACK, UINT flags = 0)
    {
        TOOLINFO ti{sizeof ti, TTF_IDISHWND | flags, wnd->GetParent() ? wnd->GetParent()->m_hWnd : wnd->m_hWnd,
                    (UINT_PTR)wnd->m_hWnd, {}, nullptr, (char*)text, 0};
        return (BOOL)Send(TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
    void RelayEvent(MSG* msg) { Send(TTM_RELAYEVENT, 0, (LPARAM)msg); }
    void SetDelayTime(UINT which, int ms) { Send(TTM_SETDELAYTIME, which, ms); }
    int SetMaxTipWidth(int w) { return (int)Send(TTM_SETMAXTIPWIDTH, 0, w); }
    void Activate(BOOL on) { Send(TTM_ACTIVATE, on); }
    void Pop() { Send(TTM_POP); }
    // A tool of `owner` with id `id` covering `rect` (owner client coordinates).
    BOOL AddTool(CWnd* owner, const char* text, const RECT& rect, UINT_PTR id)
    {
        TOOLINFO ti{sizeof ti, 0, owner->m_hWnd, id, rect, nullptr, (char*)text, 0};
        return (BOOL)Send(TTM_ADDTOOL, 0, (LPARAM)&ti);
    }
    void SetToolRect(CWnd* owner, UINT_PTR id, const RECT& rect)
    {
        TOOLINFO ti{sizeof ti, 0, owner->m_hWnd, id, rect, nullptr, nullptr, 0};
        Send(TTM_NEWTOOLRECT, 0, (LPARAM)&ti);
    }
};

class CStatusBarCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(STATUSCLASSNAME, "", style, r, parent, id); }
    BOOL SetParts(int n, const int* rights) { return (BOOL)Send(SB_SETPARTS, (WPARAM)n, (LPARAM)rights); }
    BOOL SetText(const char* text, int part, int = 0) { return (BOOL)Send(SB_SETTEXT, (WPARAM)part, (LPARAM)text); }
    void SetSimple(BOOL simple = TRUE) { Send(SB_SIMPLE, simple); }
    BOOL IsSimple() const { return (BOOL)Send(SB_ISSIMPLE); }
};

class CToolBarCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CreateControl(TOOLBARCLASSNAME, "", style, r, parent, id); }
    BOOL AddButtons(int n, const TBBUTTON* b) { return (BOOL)Send(TB_ADDBUTTONS, (WPARAM)n, (LPARAM)b); }
    // The setters return the old list; the caller owns every list.
    HIMAGELIST SetImageList(HIMAGELIST il) { return (HIMAGELIST)Send(TB_SETIMAGELIST, 0, (LPARAM)il); }
    HIMAGELIST SetHotImageList(HIMAGELIST il) { return (HIMAGELIST)Send(TB_SETHOTIMAGELIST, 0, (LPARAM)il); }
    HIMAGELIST SetDisabledImageList(HIMAGELIST il) { return (HIMAGELIST)Send(TB_SETDISABLEDIMAGELIST, 0, (LPARAM)il); }
    BOOL EnableButton(int id, BOOL on = TRUE) { return (BOOL)Send(TB_ENABLEBUTTON, (WPARAM)id, on); }
    BOOL CheckButton(int id, BOOL on = TRUE) { return (BOOL)Send(TB_CHECKBUTTON, (WPARAM)id, on); }
    int GetButtonCount() const { return (int)Send(TB_BUTTONCOUNT); }
    int GetRows() const { return (int)Send(TB_GETROWS); }
    void AutoSize() { Send(TB_AUTOSIZE); }
};

// The rich-edit control's messages, for the control and for the rich-edit view.
class CRichEditCtrl : public CControlWnd {
public:
    BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id)
    {
        return CreateControl(RICHEDIT_CLASS, "", style, r, parent, id);
    }
    void SetSel(long start, long end)
    {
        CHARRANGE cr{(LONG)start, (LONG)end};
        Send(EM_EXSETSEL, 0, (LPARAM)&cr);
    }
    void GetSel(long& start, long& end) const
    {
        CHARRANGE cr{};
        Send(EM_EXGETSEL, 0, (LPARAM)&cr);
        start = cr.cpMin;
        end = cr.cpMax;
    }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) { Send(EM_REPLACESEL, canUndo, (LPARAM)text); }
    BOOL SetDefaultCharFormat(CHARFORMAT& cf) { return (BOOL)Send(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf); }
    BOOL SetSelectionCharFormat(CHARFORMAT& cf) { return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf); }
    BOOL SetWordCharFormat(CHARFORMAT& cf) { return (BOOL)Send(EM_SETCHARFORMAT, SCF_SELECTION | SCF_WORD, (LPARAM)&cf); }
    DWORD GetDefaultCharFormat(CHARFORMAT& cf) const { return (DWORD)Send(EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&cf); }
    DWORD GetSelectionCharFormat(CHARFORMAT& cf) const { return (DWORD)Send(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf); }
    DWORD SetEventMask(DWORD mask) { return (DWORD)Send(EM_SETEVENTMASK, 0, mask); }
    DWORD GetEventMask() const { return (DWORD)Send(EM_GETEVENTMASK); }
    BOOL SetTargetDevice(HDC dc, long lineWidth) { return (BOOL)Send(EM_SETTARGETDEVICE, (WPARAM)dc, lineWidth); }
    BOOL SetReadOnly(BOOL ro = TRUE) { return (BOOL)Send(EM_SETREADONLY, ro); }
    UINT SetOptions(WORD op, DWORD flags) { return (UINT)Send(EM_SETOPTIONS, op, flags); }
    void HideSelection(BOOL hide, BOOL = FALSE) { Send(EM_HIDESELECTION, hide); }
    int GetLineCount() const { return (int)Send(EM_GETLINECOUNT); }
    int LineIndex(int line = -1) const { return (int)Send(EM_LINEINDEX, (WPARAM)line); }
    long LineFromChar(long index) const { return (long)Send(EM_EXLINEFROMCHAR, 0, index); }
    int LineLength(int index = -1) const { return (int)Send(EM_LINELENGTH, (WPARAM)index); }
    int GetFirstVisibleLine() const { return (int)Send(EM_GETFIRSTVISIBLELINE); }
    BOOL LineScroll(int lines, int chars = 0) { return (BOOL)Send(EM_LINESCROLL, (WPARAM)chars, lines); }
    void GetRect(RECT* r) const { Send(EM_GETRECT, 0, (LPARAM)r); }
    POINT GetCharPos(long index) const
    {
        POINT pt{};
        Send(EM_POSFROMCHAR, (WPARAM)&pt, index);
        return pt;
    }
    long GetTextLength() const { return (long)Send(WM_GETTEXTLENGTH); }
    std::string GetTextRange(long first, long last) const
    {
        long len = GetTextLength();
        first = std::clamp(first, 0L, len);
        last = last < 0 ? len : std::clamp(last, first, len);
        std::string s((size_t)(last - first) + 1, '\0');
        TEXTRANGE tr{{(LONG)first, (LONG)last}, s.data()};
        s.resize((size_t)Send(EM_GETTEXTRANGE, 0, (LPARAM)&tr));
        return s;
    }
    long FindText(DWORD flags, FINDTEXTEX* ft) const { return (long)Send(EM_FINDTEXTEX, flags, (LPARAM)ft); }
    long FormatRange(FORMATRANGE* fr, BOOL display = TRUE) { return (long)Send(EM_FORMATRANGE, display, (LPARAM)fr); }
    long StreamIn(int format, EDITSTREAM& es) { return (long)Send(EM_STREAMIN, (WPARAM)format, (LPARAM)&es); }
    long StreamOut(int format, EDITSTREAM& es) { return (long)Send(EM_STREAMOUT, (WPARAM)format, (LPARAM)&es); }
    COLORREF SetBackgroundColor(BOOL sys, COLORREF c) { return (COLORREF)Send(EM_SETBKGNDCOLOR, sys, c); }
    void LimitText(long n = 0) { Send(EM_EXLIMITTEXT, 0, n); }
    BOOL CanUndo() const { return (BOOL)Send(EM_CANUNDO); }
    BOOL CanRedo() const { return (BOOL)Send(EM_CANREDO); }
    BOOL Undo() { return (BOOL)Send(EM_UNDO); }
    BOOL Redo() { return (BOOL)Send(EM_REDO); }
    void EmptyUndoBuffer() { Send(EM_EMPTYUNDOBUFFER); }
    void Copy() { Send(WM_COPY); }
    void Cut() { Send(WM_CUT); }
    void Paste() { Send(WM_PASTE); }
    void Clear() { Send(WM_CLEAR); }
    BOOL GetModify() const { return (BOOL)Send(EM_GETMODIFY); }
    void SetModify(BOOL m = TRUE) { Send(EM_SETMODIFY, m); }
};
