// Gripper and close button of a docked sizing bar.
#include "ui_controls/bars/resizable_bar_g.h"

IMPLEMENT_DYNAMIC(CResizableBarG, CResizableBar)

LRESULT CResizableBarG::OnNcHitTest(POINT pt)
{
    const LRESULT ht = CResizableBar::OnNcHitTest(pt);
    if (ht != HTCLIENT || !IsGripperShown()) return ht;
    RECT w;
    GetWindowRect(&w);
    RECT b = CloseButtonRect();
    OffsetRect(&b, w.left, w.top);
    return PtInRect(&b, pt) ? HTCLOSE : HTCLIENT;
}

void CResizableBarG::DrawCloseButton(HDC dc)
{
    RECT b = CloseButtonRect();
    if (m_bPushed)
        DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
    else if (m_bHot)
        DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
    // The cross, 2 px inside the square.
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
    HGDIOBJ old = SelectObject(dc, pen);
    const int x = b.left + 2, y = b.top + 2, n = 7;
    for (int d = 0; d < 2; ++d) {
        MoveToEx(dc, x + d, y, nullptr);
        LineTo(dc, x + d + n, y + n);
        MoveToEx(dc, x + n - 1 - d, y, nullptr);
        LineTo(dc, x - 1 - d, y + n);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

void CResizableBarG::PaintGripperArea(HDC dc, const RECT& client)
{
    if (!IsGripperShown()) return;
    RECT c = client;
    InflateRect(&c, -1, -1);
    const RECT b = CloseButtonRect();
    RECT g;
    if (IsHorzDocked()) {
        g = RECT{client.left - 10, b.top + 14, client.left - 7, c.bottom};
        DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
        OffsetRect(&g, 3, 0);
    } else {
        g = RECT{c.left, client.top - 10, b.left - 3, client.top - 7};
        DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
        OffsetRect(&g, 0, 3);
    }
    DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
    DrawCloseButton(dc);
}

void CResizableBarG::OnUpdateCmdUI(CFrameWnd* target, BOOL disable)
{
    CResizableBar::OnUpdateCmdUI(target, disable);
    if (!IsGripperShown()) return;
    POINT pt;
    GetCursorPos(&pt);
    const bool over = ::SendMessage(m_hWnd, WM_NCHITTEST, 0, (LPARAM)(((DWORD)(pt.y & 0xFFFF) << 16) | (DWORD)(pt.x & 0xFFFF))) == HTCLOSE;
    const bool down = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
    const BOOL pushed = over && down, hot = over && !down;
    if (pushed != m_bPushed || hot != m_bHot) {
        m_bPushed = pushed;
        m_bHot = hot;
        ::SendMessage(m_hWnd, WM_NCPAINT, 0, 0);
    }
}

LRESULT CResizableBarG::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCALCSIZE: {
        RECT* r = (RECT*)lParam;
        const RECT window = *r;
        const LRESULT res = CResizableBar::WindowProc(message, wParam, lParam);
        if (IsGripperShown()) {
            if (IsHorzDocked()) {
                r->left += m_cyGripper;
                m_ptOrg = POINT{r->left - 13 - window.left, r->top - window.top};
            } else {
                r->top += m_cyGripper;
                m_ptOrg = POINT{r->right - 12 - window.left, r->top - 13 - window.top};
            }
            if (r->right < r->left) r->right = r->left;
            if (r->bottom < r->top) r->bottom = r->top;
        }
        return res;
    }
    case WM_NCHITTEST: return OnNcHitTest(POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    case WM_NCLBUTTONUP:
        if (wParam == HTCLOSE && m_pDockSite) {
            m_bPushed = m_bHot = FALSE;
            m_pDockSite->ShowControlBar(this, FALSE, FALSE);
            return 0;
        }
        break;
    default: break;
    }
    return CResizableBar::WindowProc(message, wParam, lParam);
}
