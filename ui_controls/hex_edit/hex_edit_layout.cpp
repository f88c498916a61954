// The hex editor's layout: character cell, columns and rows, scroll bars,
// and where the caret stands. Counts that can pass 2^31 are 64-bit.
#include <algorithm>

#include "platform/user/user.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
constexpr int kMaxItemsPerRow = 32767;
int ClampInt(int64_t v, int lo, int hi) { return (int)std::clamp<int64_t>(v, lo, hi); }
}

void CHexEditCtrl::MeasureFont()
{
    if (!m_hFont)
        m_hFont = CreateFont(m_nFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                             FIXED_PITCH | FF_MODERN, nullptr);
    HDC dc = m_hMeasureDC ? m_hMeasureDC : GetDC(m_hWnd);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, m_hFont);
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, "0", 1, &size);
    SelectObject(dc, old);
    if (!m_hMeasureDC) ReleaseDC(m_hWnd, dc);
    // A font that measures nothing must not divide by zero later.
    m_cxChar = std::max<int>(1, size.cx);
    m_cyChar = std::max<int>(1, size.cy);
}

void CHexEditCtrl::Layout()
{
    if (!m_hWnd || m_bInLayout) return;
    m_bInLayout = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_bInLayout};

    // 64-bit: base + size passes 2^32 near the top of the address space.
    if ((int64_t)m_dwBaseAddress + m_nDataSize > 0x10000) m_nAddressDigits = 8;
    if (ItemBytes() > 1 && m_nDataSize % ItemBytes()) {
        SetBlockSize(((int64_t)m_nDataSize / ItemBytes() + 1) * ItemBytes());
        OnBufferResized();
        if (!m_hWnd) return;
    }
    MeasureFont();

    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    const DWORD style = GetStyle();
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (style & WS_VSCROLL) width += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) height += GetSystemMetrics(SM_CYHSCROLL);
    m_bAsciiShown = m_nDigits == 2 && m_bAsciiWanted;

    const bool autoRow = m_nItemsPerRow == 0;
    bool lostH = false, lostV = false;
    for (;;) {
        m_nVisibleCols = std::max(0, (width - m_cxChar / 2) / m_cxChar);
        m_nVisibleRows = std::max(0, height / m_cyChar);
        m_nHexStart = m_bShowAddress ? m_nAddressDigits + 2 : 0;
        if (autoRow) {
            int n = m_bAsciiShown ? (m_nVisibleCols - m_nHexStart - 1) / (m_nDigits + 2)
                                  : (m_nVisibleCols - m_nHexStart + 1) / (m_nDigits + 1);
            m_nItemsPerRow = std::clamp(n, 1, kMaxItemsPerRow);
        }
        const int64_t ipr = Ipr();
        int64_t asciiStart = (m_nDigits + 1) * ipr + m_nHexStart;
        int64_t total = asciiStart - 1;
        if (m_bAsciiShown) {
            ++asciiStart;   // a blank column before the ASCII column
            total = ItemBytes() * ipr + asciiStart;
        }
        m_nAsciiStart = ClampInt(asciiStart, 0, INT32_MAX);
        m_nTotalCols = ClampInt(total, 0, INT32_MAX);
        m_nTotalLines = ClampInt((int64_t)m_nDataSize / (ItemBytes() * ipr) + 1, 1, INT32_MAX);
        bool changed = false;
        if (m_nTotalCols > m_nVisibleCols && !lostH) {
            height -= GetSystemMetrics(SM_CYHSCROLL);
            lostH = changed = true;
        }
        if (m_nTotalLines > m_nVisibleRows && !lostV) {
            width -= GetSystemMetrics(SM_CXVSCROLL);
            lostV = changed = true;
        }
        if (!changed) break;
    }
    m_rcClient = RECT{0, 0, std::max(0, width), std::max(0, height)};

    m_nTopItem = m_nTopItem / Ipr() * Ipr();
    MakeCaretVisible();
    UpdateScrollBars();
    if (m_hWnd && !(GetStyle() & WS_VSCROLL)) m_nTopItem = 0;
    PositionCaret();
}

bool CHexEditCtrl::MakeCaretVisible()
{
    const int count = ItemCount();
    m_nCaret = std::clamp(m_nCaret, 0, count);
    if (m_nCaret == count) m_nDigitPos = 0;
    const int64_t ipr = Ipr();
    const int64_t rows = std::max(1, m_nVisibleRows);
    const int oldTop = m_nTopItem, oldH = m_nHScroll;
    const int64_t caretRow = m_nCaret / ipr;
    int64_t top = m_nTopItem;
    if (caretRow < top / ipr)
        top = caretRow * ipr;
    else if (caretRow >= top / ipr + rows)
        top = (caretRow - rows + 1) * ipr;
    top = std::min<int64_t>(top, (count / ipr - rows + 1) * ipr);
    m_nTopItem = ClampInt(std::max<int64_t>(top, 0), 0, INT32_MAX);

    const int64_t col = IsCaretInHexArea() ? (m_nCaret % ipr) * (m_nDigits + 1) + m_nHexStart
                                           : m_nCaret % ipr + m_nAsciiStart;
    const int64_t width = IsCaretInHexArea() ? m_nDigits : 1;
    int64_t h = m_nHScroll;
    if (col < h)
        h = col;
    else if (col + width > h + m_nVisibleCols)
        h = col + width - m_nVisibleCols;
    m_nHScroll = ClampInt(std::max<int64_t>(h, 0), 0, INT32_MAX);
    return m_nTopItem != oldTop || m_nHScroll != oldH;
}

void CHexEditCtrl::UpdateScrollBars()
{
    if (!m_hWnd) return;
    const int ipr = Ipr();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = m_nTotalLines - 1;
    si.nPage = (UINT)m_nVisibleRows;
    si.nPos = (int)(((int64_t)m_nTopItem + ipr - 1) / ipr);
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    if (m_nHScroll + m_nVisibleCols > m_nTotalCols) m_nHScroll = std::max(0, m_nTotalCols - m_nVisibleCols);
    si.nMax = m_nTotalCols - 1;
    si.nPage = (UINT)m_nVisibleCols;
    si.nPos = m_nHScroll;
    SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
}

void CHexEditCtrl::PositionCaret()
{
    if (!m_hWnd || !m_bFocus || m_bReadOnly) return;
    const int64_t ipr = Ipr();
    int64_t col, row;
    if (HasSelection() && m_nCaret == m_nSelEnd + 1) {
        // Shown after the selection's last item, on its row.
        const int64_t last = m_nSelEnd;
        col = IsCaretInHexArea() ? (last % ipr) * (m_nDigits + 1) + m_nHexStart + m_nDigits + 1
                                 : last % ipr + m_nAsciiStart + 1;
        row = (last - m_nTopItem) / ipr;
    } else {
        col = IsCaretInHexArea() ? (m_nCaret % ipr) * (m_nDigits + 1) + m_nDigitPos + m_nHexStart
                                 : m_nCaret % ipr + m_nAsciiStart;
        row = ((int64_t)m_nCaret - m_nTopItem) / ipr;
    }
    const int64_t x = (col - m_nHScroll) * m_cxChar + m_cxChar / 2 - 1;
    const int64_t y = row * m_cyChar;
    SetCaretPos(ClampInt(x, -32768, 32767), ClampInt(y, -32768, 32767));
}

void CHexEditCtrl::CreateEditCaret()
{
    if (!m_hWnd || !m_bFocus || m_bReadOnly) return;
    // Insert mode: the system's thin caret (width 0); overwrite: one cell.
    CreateCaret(m_hWnd, nullptr, IsInsertMode() ? 0 : m_cxChar, m_cyChar);
    PositionCaret();
    if (!m_bMouseDown) ShowCaret(m_hWnd);
}

void CHexEditCtrl::Redraw()
{
    if (m_hWnd) InvalidateRect(m_hWnd, nullptr, FALSE);
}

// After the caret moved: scroll it into view and place it.
void CHexEditCtrl::AfterCaretMove()
{
    if (MakeCaretVisible()) {
        Redraw();
        UpdateScrollBars();
    }
    PositionCaret();
}

CHexEditCtrl::Hit CHexEditCtrl::HitTest(POINT pt, bool dragging) const
{
    const int64_t ipr = Ipr();
    auto floorDiv = [](int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    const int64_t col = floorDiv(pt.x - m_cxChar / 2, m_cxChar) + m_nHScroll;
    const int64_t row = floorDiv(pt.y, m_cyChar);
    Hit hit{0, 0, true};
    int64_t itemCol;
    if (!m_bAsciiShown || col < m_nAsciiStart || (dragging && m_bDragInHex)) {
        const int64_t rel = std::max<int64_t>(col - m_nHexStart, 0);
        itemCol = rel / (m_nDigits + 1);
        hit.digit = (int)(rel % (m_nDigits + 1));
        if (hit.digit == m_nDigits) hit.digit = m_nDigits - 1;   // the blank after an item
        if (itemCol >= ipr) {
            itemCol = ipr - 1;
            hit.digit = m_nDigits - 1;
        }
    } else {
        hit.hex = false;
        itemCol = std::clamp<int64_t>(col - m_nAsciiStart, 0, ipr - 1);
    }
    hit.item = std::clamp<int64_t>(m_nTopItem + row * ipr + itemCol, 0, ItemCount());
    if (hit.item == ItemCount()) hit.digit = 0;
    return hit;
}
