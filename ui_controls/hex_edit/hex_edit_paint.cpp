// The hex editor's painting: address, items and ASCII column per visible
// row, only what meets the update rectangle. Only visible rows are read, so
// a screen costs the same for any buffer size.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/gdi/gdi.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
// Windows-1252 0x80..0x9F; 0 marks the unassigned bytes.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

struct Painter {
    HDC dc;
    const RECT& update;
    int cx, cy, hscroll;

    // Whether `width` cells at a column and row meet the update rectangle
    // (checked before any text is made: rows can hold 32,767 items).
    bool Visible(int64_t col, int64_t row, int64_t width) const
    {
        const int64_t left = (col - hscroll) * cx + cx / 2, top = row * cy;
        return left < update.right && left + width * cx > update.left && top < update.bottom && top + cy > update.top;
    }
    // Text at a column and row, when its cells meet the update rectangle.
    void Text(int64_t col, int64_t row, const std::string& s, bool selected) const
    {
        RECT r;
        r.left = (int)std::clamp<int64_t>((col - hscroll) * cx + cx / 2, -0x40000000LL, 0x40000000LL);
        r.top = (int)(row * cy);
        r.right = r.left + (int)s.size() * cx;
        r.bottom = r.top + cy;
        RECT hit;
        if (!IntersectRect(&hit, &r, &update)) return;
        Colours(selected);
        ExtTextOut(dc, r.left, r.top, ETO_OPAQUE, &r, s.c_str(), (UINT)s.size(), nullptr);
    }
    // One byte of the ASCII column as its own glyph: never a run, so two
    // bytes that form a valid UTF-8 pair still show as two characters.
    void Glyph(int64_t col, int64_t row, uint32_t codePoint, bool selected) const
    {
        RECT r;
        r.left = (int)std::clamp<int64_t>((col - hscroll) * cx + cx / 2, -0x40000000LL, 0x40000000LL);
        r.top = (int)(row * cy);
        r.right = r.left + cx;
        r.bottom = r.top + cy;
        RECT hit;
        if (!IntersectRect(&hit, &r, &update)) return;
        Colours(selected);
        ExtTextOut(dc, r.left, r.top, ETO_OPAQUE, &r, "", 0, nullptr);
        TextOutChar(dc, r.left, r.top, codePoint);
    }
    void Colours(bool selected) const
    {
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }
};

std::string Blanks(int64_t n) { return std::string((size_t)std::max<int64_t>(n, 0), ' '); }
}

uint32_t CHexEditCtrl::AsciiGlyph(unsigned char b)
{
    if (b < 0x20 || b == 0x7F) return '.';
    if (b < 0x80) return b;
    if (b < 0xA0) return kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : '.';
    return b;
}

int CHexEditCtrl::ByteFromCodePoint(uint32_t cp)
{
    if (cp < 0x80) return (int)cp;
    if (cp >= 0xA0 && cp <= 0xFF) return (int)cp;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp) return 0x80 + i;
    return -1;
}

void CHexEditCtrl::PaintRows(HDC dc, const RECT& client, const RECT& update)
{
    HGDIOBJ oldFont = m_hFont ? SelectObject(dc, m_hFont) : nullptr;
    SetBkMode(dc, OPAQUE);
    RECT margin{0, client.top, m_cxChar / 2, client.bottom};
    FillRect(dc, &margin, GetSysColorBrush(COLOR_WINDOW));

    const Painter p{dc, update, m_cxChar, m_cyChar, m_nHScroll};
    const int64_t ipr = Ipr(), bytes = ItemBytes(), count = ItemCount();
    char buf[32];
    for (int64_t r = 0; r < m_nVisibleRows; ++r) {
        const int64_t first = (int64_t)m_nTopItem + r * ipr;
        const int64_t b = bytes * first;
        if (m_bShowAddress) {
            if (b > m_nDataSize)
                p.Text(0, r, Blanks(m_nAddressDigits + 2), false);
            else {
                std::snprintf(buf, sizeof buf, "%0*X  ", m_nAddressDigits, (unsigned)(m_dwBaseAddress + (uint32_t)b));
                p.Text(0, r, buf, false);
            }
        }
        for (int64_t c = 0; c < ipr; ++c) {
            const int64_t i = first + c;
            const bool sel = i >= m_nSelStart && i <= m_nSelEnd && m_nSelStart >= 0;
            const int64_t col = (m_nDigits + 1) * c + m_nHexStart;
            const bool hexShown = p.Visible(col, r, m_nDigits + 1);
            const bool asciiShown = m_bAsciiShown && p.Visible(m_nAsciiStart + c, r, 1);
            if (!hexShown && !asciiShown) continue;
            if (i >= count) {
                p.Text(col, r, Blanks(m_nDigits + 1), false);
                if (m_bAsciiShown) p.Text(m_nAsciiStart + c, r, " ", false);
                continue;
            }
            const unsigned char* item = m_pData + i * bytes;
            uint32_t v = 0;
            for (int64_t k = bytes - 1; k >= 0; --k) v = (v << 8) | item[k];
            std::snprintf(buf, sizeof buf, "%0*X ", m_nDigits, v);
            p.Text(col, r, buf, sel);
            if (m_bAsciiShown) p.Glyph(m_nAsciiStart + c, r, AsciiGlyph(item[0]), sel);
        }
        if (m_bAsciiShown) p.Text(m_nAsciiStart - 1, r, " ", false);
        if (m_nTotalCols < m_nVisibleCols) p.Text(m_nTotalCols, r, Blanks(m_nVisibleCols - m_nTotalCols + 1 + 2), false);
    }
    p.Text(m_nHScroll, m_nVisibleRows, Blanks(m_nVisibleCols), false);
    if (oldFont) SelectObject(dc, oldFont);
}

void CHexEditCtrl::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    if (!dc) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right, h = client.bottom;
    HDC mem = w > 0 && h > 0 ? CreateCompatibleDC(dc) : nullptr;
    HBITMAP bmp = mem ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    if (bmp) {
        // Off screen, then one copy: no flicker while rows repaint.
        HGDIOBJ old = SelectObject(mem, bmp);
        FillRect(mem, &client, GetSysColorBrush(COLOR_WINDOW));
        PaintRows(mem, client, ps.rcPaint);
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top, mem,
               ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
    } else {
        PaintRows(dc, client, ps.rcPaint);
    }
    if (mem) DeleteDC(mem);
    EndPaint(m_hWnd, &ps);
}
