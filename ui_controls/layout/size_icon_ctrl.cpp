// The size grip of resizable windows.
#include "ui_controls/layout/size_icon_ctrl.h"

#include <mutex>

void RegisterUiControlBitmaps(HINSTANCE module);

IMPLEMENT_DYNAMIC(LytSizeIconCtrl, CWnd)

namespace {
struct GripImage {
    HIMAGELIST list = nullptr;
    int cx = 0, cy = 0;
};

// The size-grip bitmap (32766) as a masked image list, the button face
// transparent; made once and shared by every grip.
const GripImage& SharedGrip()
{
    static GripImage image;
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterUiControlBitmaps(nullptr);
        HBITMAP bmp = LoadBitmap(nullptr, MAKEINTRESOURCE(32766));
        BITMAP bm{};
        if (!bmp || !GetObject(bmp, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
            if (bmp) DeleteObject(bmp);
            return;
        }
        image.cx = bm.bmWidth;
        image.cy = bm.bmHeight;
        image.list = ImageList_Create(image.cx, image.cy, ILC_MASK, 1, 0);
        ImageList_AddMasked(image.list, bmp, GetSysColor(COLOR_3DFACE));
        DeleteObject(bmp);
    });
    return image;
}
}  // namespace

HIMAGELIST LytSizeIconCtrl::SharedImageList(int* cx, int* cy)
{
    const GripImage& g = SharedGrip();
    if (cx) *cx = g.cx;
    if (cy) *cy = g.cy;
    return g.list;
}

BOOL LytSizeIconCtrl::Create(CWnd* parent, UINT id)
{
    if (!parent || !parent->m_hWnd) return FALSE;
    SharedImageList(nullptr, nullptr);
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
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        int cx = 0, cy = 0;
        HIMAGELIST list = SharedImageList(&cx, &cy);
        if (dc && !hidden && list) {
            RECT c;
            ::GetClientRect(m_hWnd, &c);
            ImageList_Draw(list, 0, dc, c.right - cx, c.bottom - cy, ILD_TRANSPARENT);
        }
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (hidden) return TRUE;
        if (LOWORD(lParam) == HTCLIENT) ::SetCursor(::LoadCursor(nullptr, IDC_SIZENWSE));
        return TRUE;
    default: break;
    }
    return CScrollBar::WindowProc(message, wParam, lParam);
}
