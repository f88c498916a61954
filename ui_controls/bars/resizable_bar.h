#pragma once
// A docking bar that keeps one size per docking state (horizontal,
// vertical, floating), resizes itself and its row neighbours by its inner
// edges, and keeps its sizes in the settings file ("<profile>-SCBar-<id>").
#include <string>

#include "platform/afx/control_bar.h"

class CResizableBar : public CControlBar {
    DECLARE_DYNAMIC(CResizableBar)
public:
    enum Style : DWORD {
        SizableLeft = 0x01,
        SizableRight = 0x02,
        SizableTop = 0x04,
        SizableBottom = 0x08,
        SizableAll = 0x0F,
        PaintEdges = 0x10,
        FitChild = 0x20,
    };

    CResizableBar();

    virtual BOOL Create(const char* title, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP);
    // `unused` is kept for callers that pass it; it is not read.
    virtual BOOL Create(const char* title, CWnd* parent, SIZE defaultSize, BOOL unused, UINT id,
                        DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP);
    virtual void LoadSizes(const char* profile);
    virtual void SaveSizes(const char* profile);
    // Every CResizableBar of the frame (MDI child frames too) saves its sizes.
    static void SaveAllSizes(CFrameWnd* frame, const char* profile);

    virtual void BeginEdgeDrag(UINT hitCode, POINT screenPt);
    virtual void EndEdgeDrag();
    virtual void UpdateEdgeDrag(POINT screenPt);
    virtual void InvertDragTracker();
    virtual void PaintGripperArea(HDC, const RECT&) {}
    // Shrinks a window rectangle to the client area the bar has in the dock
    // bar `dockBarId`.
    virtual void ComputeClientArea(RECT& rect, UINT dockBarId);
    virtual void AlignRowBars();

    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    SIZE CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsFloatingBar() const;
    bool IsHorzDocked() const;
    bool IsVertDocked() const;
    // The edge rectangle (window coordinates) of HTLEFT..HTBOTTOM.
    bool GetEdgeRect(const RECT& window, UINT hitCode, RECT& edge) const;
    // Fits the row to `avail`; FALSE when a row break was inserted before this bar.
    BOOL FitRow(int avail, bool horz);

    DWORD m_dwSCBStyle = 0;
    UINT m_htEdge = 0;
    SIZE m_szHorz{200, 200}, m_szVert{200, 200}, m_szFloat{200, 200};
    SIZE m_szMinHorz{33, 32}, m_szMinVert{33, 32}, m_szMinFloat{37, 32};
    int m_nTrackPosMin = 0, m_nTrackPosMax = 0, m_nTrackPosOld = 0, m_nTrackEdgeOfs = 0;
    BOOL m_bTracking = FALSE;
    BOOL m_bKeepSize = FALSE;   // hold length
    BOOL m_bParentSizing = FALSE;   // frame relayout
    BOOL m_bDragShowContent = FALSE;
    UINT m_nDockBarID = 0;
    int m_cxEdge = 5;
    // Where the tracker was inverted, in screen coordinates (drawn, erased, ...).
    std::vector<RECT> m_trackerLog;

protected:
    virtual LRESULT OnNcHitTest(POINT screenPt);
    virtual void OnNcPaintBar();
    void DrawNcInto(HDC dc, const RECT& window);
    // Bars of this bar's row on its dock bar, visible ones only.
    std::vector<CResizableBar*> RowSizingBars(std::vector<CControlBar*>* all = nullptr) const;
    SIZE& DockedSize(bool horz) { return horz ? m_szHorz : m_szVert; }
    SIZE MinSize(bool horz) const { return horz ? m_szMinHorz : m_szMinVert; }
    int m_nTrackStart = 0;
    RECT m_rcTrackStrip{};   // frame client coordinates at the start of the drag
    bool m_bTrackerShown = false;
};
