// The About box's picture control.
#include "ide/shell/bitmap_picture.h"

#include <string>

#include "platform/afx/module_bitmaps.h"

CBitmapPicture::~CBitmapPicture()
{
    if (m_bitmap) DeleteObject(m_bitmap);
}

bool CBitmapPicture::SetBitmap(UINT resourceId, int width, int height)
{
    HBITMAP bitmap = AfxLoadBitmap(std::to_string(resourceId).c_str());
    if (!bitmap) return false;
    if (m_bitmap) DeleteObject(m_bitmap);
    m_bitmap = bitmap;
    m_width = width;
    m_height = height;
    if (m_hWnd) Invalidate();
    return true;
}

void CBitmapPicture::Paint(HDC dc, const RECT& client) const
{
    if (!m_bitmap) return;
    HDC src = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(src, m_bitmap);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, src, 0, 0,
               m_width, m_height, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    SelectObject(src, old);
    DeleteDC(src);
}

LRESULT CBitmapPicture::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && m_bitmap) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT client;
        GetClientRect(&client);
        Paint(dc, client);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return CStatic::WindowProc(message, wParam, lParam);
}
