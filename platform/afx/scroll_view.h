#pragma once
// CScrollView: a view larger than its window, scrolled with the window's own
// scroll bars (WS_HSCROLL / WS_VSCROLL). Logical units are pixels (MM_TEXT).
#include "platform/afx/view.h"

class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    void SetScrollSizes(int mapMode, SIZE total, SIZE page = SIZE{0, 0}, SIZE line = SIZE{0, 0});
    POINT GetScrollPosition() const { return m_pos; }
    SIZE GetTotalSize() const { return m_total; }
    void ScrollToPosition(POINT pt);
    void OnPrepareDC(CDC* dc, CPrintInfo* info = nullptr) override;

    void OnSize(UINT type, int cx, int cy);
    void OnHScroll(UINT code, UINT pos, HWND bar);
    void OnVScroll(UINT code, UINT pos, HWND bar);
    BOOL OnMouseWheel(UINT flags, short delta, POINT pt);

protected:
    DECLARE_MESSAGE_MAP()
    void UpdateBars();
    void SetBars();   // one pass of UpdateBars
    int NewPos(int bar, UINT code);

    int m_nMapMode = 1;
    SIZE m_total{0, 0};
    SIZE m_page{0, 0};
    SIZE m_line{0, 0};
    POINT m_pos{0, 0};
};
