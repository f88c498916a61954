// The size grip of resizable windows.
#include "ui_controls/layout/size_icon_ctrl.h"

IMPLEMENT_DYNAMIC(LytSizeIconCtrl, CWnd)

BOOL LytSizeIconCtrl::Create(CWnd* parent, UINT id)
{
    if (!parent || !parent->m_hWnd) return FALSE;
    RECT c;
    ::GetClientRect(parent->m_hWnd, &c);
    const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    const RECT r{c.right - cx, c.bottom - cy, c.right, c.bottom};
    if (!CScrollBar::Create(WS_CHILD | SBS_SIZEBOX | SBS_SIZEBOXBOTTOMRIGHTALIGN, r, parent, id)) return FALSE;
    ::SetWindowLongPtr(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtr(m_hWnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    return TRUE;
}

LRESULT LytSizeIconCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool hidden = m_bHideWhenMaximized && ::IsZoomed(::GetParent(m_hWnd));
    switch (message) {
    case WM_LBUTTONDBLCLK: return 0;
    case WM_PAINT:
        if (hidden) {
            ValidateRect(m_hWnd, nullptr);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (hidden) return TRUE;
        if (LOWORD(lParam) == HTCLIENT) ::SetCursor(::LoadCursor(nullptr, IDC_SIZENWSE));
        return TRUE;
    default: break;
    }
    return CScrollBar::WindowProc(message, wParam, lParam);
}
