#pragma once
// What the IDE's list bars (variables, watcher, functions) share: a bar
// dialog around a two-column report list whose selected row shows in the
// fields below it, drop-down lists whose items carry data, a font of the
// dialog's own, and the bars of one kind on a GUI thread.
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/afx/frame_wnd.h"
#include "platform/afx/afx_controls.h"
#include "ui_controls/bars/dynamic_bar.h"

class CProgram;
struct FontSetting;

// A bar dialog's template: a child of cx by cy dialog units.
template <size_t N>
constexpr CDialogTemplate ListBarTemplate(const CDialogItemTemplate (&items)[N], short cx, short cy)
{
    return {WS_CHILD | DS_CONTROL, 0, nullptr, 0, 0, cx, cy, items, N};
}

// The fixed facts of one kind of list bar.
struct ListBarShape {
    const CDialogTemplate* dialog;
    UINT templateId;
    const LayoutTableEntry* layout;
    const char* caption;   // the bar's window text
    int listId;
    const char* columns[2];
    double firstShare;     // of the list's width, for the first column
};

class CListBarDlg : public LytDynamicBarDlg {
public:
    CListBarDlg(const ListBarShape& shape, CProgram* owner);
    ~CListBarDlg() override;

    // The bar's caption.
    BOOL OnInitDialog() override;
    // The list's rows: owner-data texts, the selected row shown, a
    // double-click opening it.
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The columns follow the list's width.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const LayoutTableEntry* GetLayoutTable() const override;

    int SelectedRow() const;

    CProgram* m_pOwner;
    HFONT m_font = nullptr;

protected:
    // The list's styles and its two columns.
    void SetUpList();
    // A new font for the controls; the old one goes after.
    void ApplyFont(const LOGFONT& lf, std::initializer_list<int> ids);
    // The setting's face and size; Courier New 9 pt when unset.
    void ApplyFont(const FontSetting& setting, std::initializer_list<int> ids);
    void SetColumnWidths();
    // Whether a message is for the list.
    bool ForList(const MSG* msg) const;
    CControlAlias<CListCtrl> List() const { return CControlAlias<CListCtrl>(this, m_shape.listId); }
    CControlAlias<CComboBox> Box(int id) const { return CControlAlias<CComboBox>(this, id); }
    // The data of a drop-down list's selected item; false when none is selected.
    bool SelectedData(int boxId, UINT_PTR& data) const;
    // The first item whose data matches, -1 when none.
    template <class Match>
    int FindData(int boxId, Match match) const
    {
        const CControlAlias<CComboBox> box = Box(boxId);
        const int n = box.GetCount();
        for (int i = 0; i < n; ++i)
            if (match(box.GetItemData(i))) return i;
        return -1;
    }
    // Appends an item with its data.
    void AddItem(int boxId, const std::string& text, UINT_PTR data);

    // Shows a row in the fields below the list.
    virtual void ShowRow(int row) = 0;
    // An owner-data cell's text; false leaves the list's buffer as it is.
    virtual bool CellText(int, int, std::string&) const { return false; }
    // A double-click on the list.
    virtual void OpenSelected() = 0;
    // The list's other notifications; true when taken.
    virtual bool OnListNotify(NMHDR*, LRESULT*) { return false; }

private:
    const ListBarShape& m_shape;
};

// Creates a bar docked at a dock bar of the frame; false when it cannot be
// created (the caller deletes it).
bool DockListBar(LytDynamicBar* bar, CFrameWnd* frame, UINT id, DWORD style, UINT dockBar);

// The bars of one kind on this GUI thread, in creation order.
template <class Bar>
class ListBars {
public:
    static std::vector<Bar*>& All()
    {
        thread_local std::vector<Bar*> bars;
        return bars;
    }
    // An owner's bars (null: every bar), as a copy: work on one may remove another.
    static std::vector<Bar*> Of(const CProgram* owner)
    {
        std::vector<Bar*> out;
        for (Bar* b : All())
            if (!owner || b->m_dlg.m_pOwner == owner) out.push_back(b);
        return out;
    }
    static Bar* Find(const CProgram* owner)
    {
        for (Bar* b : All())
            if (b->m_dlg.m_pOwner == owner) return b;
        return nullptr;
    }
    static void Remove(Bar* bar) { std::erase(All(), bar); }
    // A new bar docked and listed, its sizes restored; null when it cannot be created.
    static Bar* Dock(Bar* bar, CFrameWnd* frame, UINT id, DWORD style, UINT dockBar)
    {
        if (!DockListBar(bar, frame, id, style, dockBar)) {
            delete bar;
            return nullptr;
        }
        All().push_back(bar);
        bar->LoadSizes("DOC");
        return bar;
    }
};
