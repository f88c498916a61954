#pragma once
// A sizing bar with a caption in the system caption colours while docked.
#include <string>

#include "ui_controls/bars/resizable_bar_g.h"

class CResizableBarCF : public CResizableBarG {
    DECLARE_DYNAMIC(CResizableBarCF)
public:
    CResizableBarCF();
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void PaintGripperArea(HDC dc, const RECT& client) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL m_bActive = FALSE;
    std::string m_sFontFace;
};
