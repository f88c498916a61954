#pragma once
// A sizing bar with a gripper and a close button while docked.
#include "ui_controls/bars/resizable_bar.h"

class CResizableBarG : public CResizableBar {
    DECLARE_DYNAMIC(CResizableBarG)
public:
    virtual BOOL IsGripperShown() const { return !IsFloatingBar(); }
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void PaintGripperArea(HDC dc, const RECT& client) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The close button's square in window coordinates.
    RECT CloseButtonRect() const { return RECT{m_ptOrg.x, m_ptOrg.y, m_ptOrg.x + 11, m_ptOrg.y + 11}; }

    int m_cyGripper = 12;
    BOOL m_bPushed = FALSE;
    BOOL m_bHot = FALSE;
    POINT m_ptOrg{0, 0};

protected:
    LRESULT OnNcHitTest(POINT screenPt) override;
    void DrawCloseButton(HDC dc);
};
