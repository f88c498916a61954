// The hex editor's input: keys, typed characters, mouse selection with its
// autoscroll timer, and the scroll bars.
#include <algorithm>

#include "platform/user/user.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollMs = 200;
bool KeyDown(int vk) { return GetKeyState(vk) < 0; }
}

LRESULT CHexEditCtrl::OnGetDlgCode(WPARAM, LPARAM)
{
    return Default() | DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
}

// Caret moves by a navigation key; Shift extends the selection.
void CHexEditCtrl::Navigate(UINT vk, bool shift)
{
    const int64_t ipr = Ipr(), rows = std::max(1, m_nVisibleRows), caret = m_nCaret;
    const int hscroll = m_nHScroll;
    int64_t n = caret;
    switch (vk) {
    case VK_PRIOR: n = caret - rows * ipr; break;
    case VK_NEXT: n = caret + rows * ipr; break;
    case VK_END: n = shift ? caret + ipr - caret % ipr : caret - caret % ipr + ipr - 1; break;
    case VK_HOME:
        n = caret - caret % ipr;
        if (IsCaretInHexArea()) m_nHScroll = 0;
        break;
    case VK_LEFT: n = caret - 1; break;
    case VK_RIGHT: n = caret + 1; break;
    case VK_UP: n = caret - ipr; break;
    case VK_DOWN: n = caret + ipr; break;
    default: return;
    }
    n = std::clamp<int64_t>(n, 0, ItemCount());
    m_nDigitPos = 0;
    if (shift)
        ExtendSelection(m_nCaret, (int)n);
    else if (!m_bReadOnly)
        m_nSelStart = m_nSelEnd = -1;
    m_nCaret = (int)n;
    Redraw();
    AfterCaretMove();
    if (m_nHScroll != hscroll) UpdateScrollBars();   // Home went back to column 0
}

void CHexEditCtrl::OnKeyDown(UINT vk, UINT, UINT)
{
    if (m_bMouseDown) return;
    const bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL);
    if (vk == VK_TAB) {
        if (ctrl) {
            if (m_nDigits == 2 && m_bAsciiShown) {
                m_nMode ^= kHexArea;
                m_nDigitPos = 0;
                AfterCaretMove();
            }
            return;
        }
        HWND parent = ::GetParent(m_hWnd);
        if (parent) ::SendMessage(parent, WM_NEXTDLGCTL, shift ? 1 : 0, 0);
        return;   // the focus moved: nothing else here
    }
    switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (ctrl && !shift && (vk == VK_END || vk == VK_HOME)) {
            m_nCaret = vk == VK_END ? ItemCount() : 0;
            m_nDigitPos = 0;
            if (!m_bReadOnly) m_nSelStart = m_nSelEnd = -1;
            Redraw();
            AfterCaretMove();
            return;
        }
        if (!ctrl) Navigate(vk, shift);
        return;
    case VK_BACK:
        if (m_bReadOnly || (!IsInsertMode() && !m_bAllowResize)) return;
        if (HasSelection()) {
            DeleteSelection();
        } else if (m_nCaret > 0) {
            m_nCaret = std::min(m_nCaret, ItemCount()) - 1;
            m_nDigitPos = 0;
            DeleteItems(m_nCaret, 1);
            m_bModified = true;
            AfterCaretMove();
            Redraw();
        }
        return;
    case VK_INSERT:
        if (m_bReadOnly || ctrl || shift) return;
        SetInsertMode(!IsInsertMode());
        return;
    case VK_DELETE:
        if (m_bReadOnly) return;
        if (!IsInsertMode() && !m_bAllowResize) {
            ClearSelectedItems();
        } else if (HasSelection()) {
            DeleteSelection();
        } else if (m_nCaret < ItemCount()) {
            m_nDigitPos = 0;
            DeleteItems(m_nCaret, 1);
            m_bModified = true;
            AfterCaretMove();
            Redraw();
        }
        return;
    default: break;
    }
    if (ctrl && !shift) {
        switch (vk) {
        case 'A': SelectAll(); return;
        case 'C': Copy(); return;
        case 'V': Paste(); return;
        case 'X': Cut(); return;
        default: break;
        }
    }
    Default();
}

// After an edit of one item: only its row, unless the edit also moved data
// or dropped a selection.
void CHexEditCtrl::RedrawAfterEdit(int item, int sizeBefore, bool hadSelection)
{
    if (!m_hWnd) return;
    if (sizeBefore != m_nDataSize || hadSelection) {
        Redraw();
        return;
    }
    const int64_t row = ((int64_t)item - m_nTopItem) / Ipr();
    if (item < m_nTopItem || row > m_nVisibleRows) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    RECT r{0, (int)(row * m_cyChar), client.right, (int)((row + 1) * m_cyChar)};
    InvalidateRect(m_hWnd, &r, FALSE);
}

void CHexEditCtrl::TypeHexDigit(int value)
{
    const int sizeBefore = m_nDataSize;
    const bool hadSelection = HasSelection();
    if (!PrepareEdit()) return;
    const int bytes = ItemBytes();
    if (m_nCaret >= ItemCount()) return;
    // The digit position counts from the value's most significant nibble;
    // the item's bytes lie little-endian.
    const int shift = (m_nDigits - 1 - m_nDigitPos) * 4;
    unsigned char& byte = m_pData[(int64_t)m_nCaret * bytes + shift / 8];
    const int inByte = shift % 8;
    byte = (unsigned char)((byte & ~(0xF << inByte)) | (value << inByte));
    RedrawAfterEdit(m_nCaret, sizeBefore, hadSelection);
    if (++m_nDigitPos >= m_nDigits) {
        ++m_nCaret;
        m_nDigitPos = 0;
    }
    AfterCaretMove();
}

void CHexEditCtrl::TypeByte(unsigned char value)
{
    const int sizeBefore = m_nDataSize;
    const bool hadSelection = HasSelection();
    if (!PrepareEdit()) return;
    if (m_nCaret >= ItemCount()) return;
    m_pData[(int64_t)m_nCaret * ItemBytes()] = value;
    RedrawAfterEdit(m_nCaret, sizeBefore, hadSelection);
    ++m_nCaret;
    m_nDigitPos = 0;
    AfterCaretMove();
}

void CHexEditCtrl::OnChar(UINT ch, UINT, UINT)
{
    if (m_bReadOnly || m_bMouseDown) return;
    if (IsCaretInHexArea()) {
        int v = -1;
        if (ch >= '0' && ch <= '9') v = (int)(ch - '0');
        else if (ch >= 'a' && ch <= 'f') v = (int)(ch - 'a' + 10);
        else if (ch >= 'A' && ch <= 'F') v = (int)(ch - 'A' + 10);
        if (v < 0) {
            Default();
            return;
        }
        TypeHexDigit(v);
        return;
    }
    if (ch < 32) return;
    // WM_CHAR carries code points: the byte is the one whose character it is.
    const int byte = ByteFromCodePoint(ch);
    if (byte >= 0) TypeByte((unsigned char)byte);
}

void CHexEditCtrl::OnLButtonDown(UINT flags, POINT pt)
{
    HWND self = m_hWnd;
    ::SetFocus(self);
    if (!IsWindow(self) || CWnd::FromHandlePermanent(self) != this) return;
    m_bMouseDown = true;
    m_nSelStart = m_nSelEnd = -1;
    const int count = ItemCount();
    if (flags & MK_SHIFT) {
        m_nAnchor = m_nCaret == count ? m_nCaret - 1 : m_nCaret;
        m_bDragInHex = IsCaretInHexArea();
        m_bDragging = true;
        DragTo(pt);
    } else {
        const Hit hit = HitTest(pt, false);
        m_nCaret = (int)hit.item;
        m_nDigitPos = hit.digit;
        m_nMode = hit.hex ? (m_nMode | kHexArea) : (m_nMode & ~kHexArea);
        m_bDragInHex = hit.hex;
        m_nAnchor = m_nCaret == count ? m_nCaret - 1 : m_nCaret;
        AfterCaretMove();
    }
    SetCapture(m_hWnd);
    HideCaret(m_hWnd);
    Redraw();
}

// Selection from the anchor to the item under the point.
void CHexEditCtrl::DragTo(POINT pt)
{
    const int count = ItemCount();
    if (count == 0 || m_nAnchor < 0) return;
    const Hit hit = HitTest(pt, true);
    const int i = (int)hit.item;
    if (i <= m_nAnchor) {
        m_nSelStart = i;
        m_nSelEnd = m_nAnchor;
        m_nCaret = i;
    } else {
        m_nSelStart = m_nAnchor;
        m_nSelEnd = i == count ? i - 1 : i;
        m_nCaret = m_nSelEnd;
    }
    m_nDigitPos = 0;
    Redraw();
    AfterCaretMove();
}

void CHexEditCtrl::OnMouseMove(UINT, POINT pt)
{
    if (!m_bMouseDown) return;
    m_bDragging = true;
    m_ptLastMouse = pt;
    const bool inside = PtInRect(&m_rcClient, pt);
    if (!inside && !m_bTimer) {
        SetTimer(kAutoScrollTimer, kAutoScrollMs);
        m_bTimer = true;
    } else if (inside && m_bTimer) {
        KillTimer(kAutoScrollTimer);
        m_bTimer = false;
    }
    DragTo(pt);
}

void CHexEditCtrl::OnTimer(UINT_PTR id)
{
    if (id != kAutoScrollTimer) {
        Default();
        return;
    }
    if (m_bMouseDown) DragTo(m_ptLastMouse);
}

void CHexEditCtrl::EndMouseSelection()
{
    if (!m_bMouseDown) return;
    m_bMouseDown = false;
    m_bDragging = false;
    if (m_bTimer) {
        KillTimer(kAutoScrollTimer);
        m_bTimer = false;
    }
    if (HasSelection() && m_nSelEnd == m_nCaret) m_nCaret = m_nSelEnd + 1;
    m_nDigitPos = 0;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    AfterCaretMove();
    if (m_bFocus && !m_bReadOnly) ShowCaret(m_hWnd);
    Redraw();
}

void CHexEditCtrl::OnLButtonUp(UINT, POINT) { EndMouseSelection(); }

// A lost grab ends the selection; otherwise the keyboard would stay dead.
LRESULT CHexEditCtrl::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    if ((HWND)lParam != m_hWnd) EndMouseSelection();
    return 0;
}

void CHexEditCtrl::OnLButtonDblClk(UINT, POINT pt)
{
    const int count = ItemCount();
    if (count == 0) return;
    const Hit hit = HitTest(pt, false);
    const int i = (int)std::min<int64_t>(hit.item, count - 1);
    m_nSelStart = m_nSelEnd = i;
    m_nCaret = i + 1;
    m_nDigitPos = 0;
    m_nMode = hit.hex ? (m_nMode | kHexArea) : (m_nMode & ~kHexArea);
    Redraw();
    AfterCaretMove();
}

void CHexEditCtrl::OnVScroll(UINT code, UINT, HWND)
{
    const int64_t ipr = Ipr(), rows = std::max(1, m_nVisibleRows);
    int64_t top = m_nTopItem;
    switch (code) {
    case SB_LINEUP: top -= ipr; break;
    case SB_LINEDOWN: top += ipr; break;
    case SB_PAGEUP: top -= rows * ipr; break;
    case SB_PAGEDOWN: top += rows * ipr; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit track position: rows past 65,535 stay reachable.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (!GetScrollInfo(m_hWnd, SB_VERT, &si)) return;
        top = (int64_t)si.nTrackPos * ipr;
        break;
    }
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = INT32_MAX; break;
    default: return;
    }
    top = std::min<int64_t>(top, (int64_t)ItemCount() / ipr * ipr - (rows - 1) * ipr);
    top = std::max<int64_t>(top, 0);
    if (top == m_nTopItem) return;
    m_nTopItem = (int)top;
    Redraw();
    SetScrollPos(m_hWnd, SB_VERT, (int)(top / ipr), TRUE);
    PositionCaret();
}

void CHexEditCtrl::OnHScroll(UINT code, UINT, HWND)
{
    int64_t h = m_nHScroll;
    switch (code) {
    case SB_LINELEFT: --h; break;
    case SB_LINERIGHT: ++h; break;
    case SB_PAGELEFT: h -= m_nVisibleCols; break;
    case SB_PAGERIGHT: h += m_nVisibleCols; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (!GetScrollInfo(m_hWnd, SB_HORZ, &si)) return;
        h = si.nTrackPos;
        break;
    }
    case SB_LEFT: h = 0; break;
    case SB_RIGHT: h = m_nTotalCols; break;
    default: return;
    }
    h = std::clamp<int64_t>(h, 0, std::max(0, m_nTotalCols - m_nVisibleCols));
    if (h == m_nHScroll) return;
    m_nHScroll = (int)h;
    Redraw();
    SetScrollPos(m_hWnd, SB_HORZ, m_nHScroll, TRUE);
    PositionCaret();
}
