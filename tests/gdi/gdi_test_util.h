#pragma once
// Helpers for the drawing tests: memory DCs on 24-bit bitmaps and pixel reads.
#include "platform/gdi/gdi.h"
#include "platform/user/sys_colors.h"
#include "platform/user/window_dc.h"
#include <gtest/gtest.h>

// A memory DC with a white 24-bit bitmap selected; frees both.
class CMemoryCanvas {
public:
    CMemoryCanvas(int width, int height) : m_width(width), m_height(height)
    {
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateBitmap(width, height, 1, 24, nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT r{0, 0, width, height};
        FillRect(m_dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    ~CMemoryCanvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bitmap; }
    COLORREF At(int x, int y) const
    {
        // Read through a fresh DC so the mapping of the canvas does not apply.
        std::vector<unsigned char> bits(Bytes());
        GetBitmapBits(m_bitmap, (LONG)bits.size(), bits.data());
        size_t row = ((size_t)m_width * 3 + 3) & ~(size_t)3;
        const unsigned char* p = &bits[(size_t)y * row + (size_t)x * 3];
        return RGB(p[2], p[1], p[0]);
    }
    bool Black(int x, int y) const { return At(x, y) == 0; }
    // One character a pixel: '#' black, '.' white, '?' other; rows joined by '/'.
    std::string Picture(int x0, int y0, int x1, int y1) const
    {
        std::string s;
        for (int y = y0; y < y1; y++) {
            if (y > y0) s += '/';
            for (int x = x0; x < x1; x++) {
                COLORREF c = At(x, y);
                s += c == 0 ? '#' : c == RGB(255, 255, 255) ? '.' : '?';
            }
        }
        return s;
    }
    std::vector<unsigned char> Snapshot() const
    {
        std::vector<unsigned char> bits(Bytes());
        GetBitmapBits(m_bitmap, (LONG)bits.size(), bits.data());
        return bits;
    }
    size_t Bytes() const { return (((size_t)m_width * 3 + 3) & ~(size_t)3) * m_height; }

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};
