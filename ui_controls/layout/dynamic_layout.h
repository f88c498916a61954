#pragma once
// Resizable windows: for each child control the engine keeps its first
// rectangle and four percentages (how far each edge follows a change of the
// client size), moves every control at once on each size change, limits
// the tracking size to the first size, and keeps a size grip in the corner.
#include <unordered_map>

#include "platform/afx/object.h"
#include "platform/afx/wnd.h"

struct LayoutRecord {
    RECT rc;                 // first rectangle, client coordinates
    signed char pct[4];      // left, top, right, bottom: 0..100
    SIZE minSize;
};

// A class's table, ended by kind 0. Kind 1: four percentages; kind 2: a
// horizontal and a vertical mode (1 stretch, 2 move, 3 centred, else fixed).
struct LayoutTableEntry {
    UINT kind;
    UINT id;   // 0: every child control
    signed char b[4];
};

class LytDynamicLayoutInfo : public CObject {
    DECLARE_DYNAMIC(LytDynamicLayoutInfo)
public:
    SIZE cur{0, 0}, init{0, 0}, change{0, 0};
    int count = 0;
    int hScroll = 0, vScroll = 0;
    BOOL followScroll = FALSE;
};

class LytDynamicLayout {
public:
    enum Flags { CreateGrip = 1, AdjustRedraw = 2, CopyBits = 4 };
    LytDynamicLayout(int axes, int flags) : m_axes(axes), m_flags(flags) {}
    virtual ~LytDynamicLayout();

    virtual int CountRecords() const { return (int)m_controls.size(); }
    virtual SIZE QueryClientSize() const;
    virtual bool SetControlRecord(HWND control, const LayoutRecord& rec, bool reposition);
    virtual void ArrangeControls();
    virtual bool ComputeControlRect(HWND control, UINT id, RECT& rc, const LytDynamicLayoutInfo* info) const;
    virtual void DropControlRecord(HWND control);
    virtual void OnAttached() {}
    virtual void OnDetaching() {}
    virtual LytDynamicLayoutInfo* BuildLayoutInfo() const;
    virtual void AdjustClassRedraw(bool rightOrBottom);
    virtual const LayoutTableEntry* GetLayoutTable() const { return nullptr; }

    void AttachWindow(CWnd* wnd);
    void DetachWindow();
    // Adds every child without a record (all with `overwrite`).
    int AddChildRecords(const signed char pct[4], bool overwrite, bool relayout);
    const LayoutRecord* FindRecord(HWND control) const;

    // The window's message handlers call these after the default handling.
    void LayoutOnSize(UINT type);
    void LayoutOnGetMinMaxInfo(MINMAXINFO* mmi);
    void LayoutOnSizing(UINT edge);
    void LayoutOnTimer(UINT_PTR id);
    void LayoutOnParentNotify(WPARAM wParam, LPARAM lParam);

    CWnd* m_pLayoutWnd = nullptr;
    CWnd* m_pSizeGrip = nullptr;
    bool m_bStyleChanged = false;
    int m_nDisabled = 0;
    UINT m_nSavedClassStyle = 0;
    std::unordered_map<HWND, LayoutRecord> m_controls;
    int m_axes;
    int m_flags;
    SIZE m_szInit{0, 0}, m_szMin{0, 0}, m_szMax{0, 0};
    UINT m_nGripId = 0xEA20;
    UINT_PTR m_nTimerId = 0;
    BOOL m_bFollowScroll = FALSE;
    std::string m_strName;   // position store entry; empty: none

protected:
    bool LayoutValid() const;
};

// Percentages of a table entry (kind 1 direct, kind 2 from the modes).
void LytEntryPercentages(const LayoutTableEntry& e, signed char pct[4]);
