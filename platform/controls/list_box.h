#pragma once
// The list box's state: the list box control and the drop-down list of a
// combo box (which reports to its combo instead of its parent).
//   input                      -> result
//   click, Up/Down/Home/End... -> the caret item moves and is selected (LBN_SELCHANGE);
//                                 a multiple-selection list toggles the clicked item
//   click in a check box, Space-> the item's check flips (CLBN_CHKCHANGE)
//   typed character            -> the next item starting with it is selected
//   LB_* messages              -> items, selection, data, checks, heights, tab stops
#include <string>
#include <vector>

#include "platform/controls/control_internal.h"

struct ListBoxItem {
    std::string text;
    UINT_PTR data = 0;
    int check = 0;
    bool selected = false;
    int height = 0;
};

class ListBox {
public:
    HWND hwnd = nullptr;
    HWND combo = nullptr;   // the owning combo box of a drop-down list

    static LRESULT OnNcCreate(HWND hwnd, WPARAM w, LPARAM l);
    void OnNcDestroy() { NoteScrollStyle(hwnd, nullptr); }
    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    std::vector<ListBoxItem> items;
    int cur = -1;      // caret (and the selection of a single-selection list)
    int top = 0;
    bool redraw = true;
    bool focused = false;
    bool tracking = false;
    std::vector<int> tabs;
    HFONT font = nullptr;
    int itemHeight = 0;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool Multi() const { return (Style() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    bool OwnerDraw() const { return (Style() & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
    bool HasStrings() const { return !OwnerDraw() || (Style() & LBS_HASSTRINGS); }
    bool CheckList() const { return (Style() & LBS_CHECKLIST) != 0; }
    HWND NotifyTarget() const { return combo ? combo : hwnd; }
    bool Valid(WPARAM i) const { return (int)i >= 0 && (int)i < (int)items.size(); }

    // Layout.
    int ItemHeight(int i);
    int Visible();
    RECT ItemRect(int i);
    int ItemAt(POINT pt);
    void Changed();
    void UpdateScroll();
    void EnsureVisible(int i);

    // Items and selection.
    static bool LessNoCase(const std::string& a, const std::string& b);
    int Insert(int at, ListBoxItem it);
    int Add(const char* s, LPARAM l);
    int Find(int after, const char* s, bool exact);
    void Notify(int code);
    void Select(int i, bool notify);
    void Key(UINT vk);

    // Handlers.
    LRESULT OnListMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnItemMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnSetFont(HFONT f, bool redraw);
    LRESULT OnSetRedraw(bool on);
    LRESULT OnFocus(bool on);
    LRESULT OnChar(WPARAM ch);
    LRESULT OnLButtonDown(POINT pt, bool doubleClick);
    LRESULT OnMouseMove(POINT pt);
    LRESULT ScrollTo(int t);
    LRESULT OnInsertString(int at, LPARAM l);
    LRESULT OnDeleteString(WPARAM i);
    LRESULT OnResetContent();
    LRESULT OnSetCurSel(WPARAM i);
    LRESULT OnGetCurSel() const;
    LRESULT OnSetSel(bool on, int i);
    LRESULT OnGetText(WPARAM i, LPARAM out) const;
    LRESULT OnSetItemData(WPARAM i, UINT_PTR data);
    LRESULT OnSetCheck(WPARAM i, int check);
    LRESULT OnSelectString(int after, const char* s);
    LRESULT OnSetTopIndex(WPARAM i);
    LRESULT OnGetItemRect(WPARAM i, RECT* out);
    LRESULT OnItemFromPoint(POINT pt);
    LRESULT OnSetTabStops(WPARAM n, const int* stops);
    LRESULT OnSetItemHeight(WPARAM i, int height);
};
