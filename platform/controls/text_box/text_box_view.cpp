// The text box's view: scroll bars, scrolling, the caret and what is
// repainted after a change.
#include <algorithm>

#include "platform/controls/text_box/text_box.h"

int CTextBox::WidestLine()
{
    HDC hdc = GetDC(hwnd);
    int w = 0;
    for (int l = 0; l < LineCount(); ++l) w = std::max(w, Width(hdc, LineStart(l), LineEnd(l), 96));
    ReleaseDC(hwnd, hdc);
    return w + 2;   // the caret after the last character
}

void CTextBox::UpdateHScrollBar()
{
    if (!HasHBar()) return;
    RECT fr = FormatRect();
    const int room = std::max(1L, (long)(fr.right - fr.left));
    const int widest = WidestLine();
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(widest, xScroll + room) - 1;
    si.nPage = (UINT)room;
    si.nPos = xScroll;
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
}

// WM_HSCROLL: steps of an average character, pages of the room.
void CTextBox::HScroll(WPARAM w)
{
    if (!Multi()) return;
    RECT fr = FormatRect();
    const int room = std::max(1L, (long)(fr.right - fr.left));
    HDC hdc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(hdc, FontFor(CurrentInsertFormat(), 96));
    TEXTMETRIC tm{};
    GetTextMetrics(hdc, &tm);
    SelectObject(hdc, old);
    ReleaseDC(hwnd, hdc);
    const int step = std::max(1, (int)tm.tmAveCharWidth);
    const int widest = WidestLine();
    int x = xScroll;
    switch (LOWORD(w)) {
    case SB_LINELEFT: x -= step; break;
    case SB_LINERIGHT: x += step; break;
    case SB_PAGELEFT: x -= room; break;
    case SB_PAGERIGHT: x += room; break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = widest; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, SB_HORZ, &si);
        x = si.nTrackPos;
        break;
    }
    default: return;
    }
    x = std::clamp(x, 0, std::max(0, widest - room));
    if (x == xScroll) return;
    xScroll = x;
    InvalidateRect(hwnd, nullptr, TRUE);
    PlaceCaret();
    UpdateHScrollBar();
}

void CTextBox::UpdateScrollBar()
{
    UpdateHScrollBar();
    if (!WantsVScroll(hwnd)) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = LineCount() - 1;
    RECT fr = FormatRect();
    si.nPage = (UINT)std::max(1L, (long)(fr.bottom - fr.top) / 14);
    si.nPos = firstLine;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void CTextBox::InvalidateFromLine(int line)
{
    if (!Multi()) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    if (line < firstLine) {
        InvalidateRect(hwnd, nullptr, TRUE);
        return;
    }
    RECT rc;
    GetClientRect(hwnd, &rc);
    HDC hdc = GetDC(hwnd);
    int y = LineTop(hdc, line, rc.bottom);
    ReleaseDC(hwnd, hdc);
    if (y >= rc.bottom) return;   // below the window: nothing to repaint
    rc.top = std::max<LONG>(rc.top, y);
    InvalidateRect(hwnd, &rc, TRUE);
}

void CTextBox::PlaceCaret()
{
    if (!focused) return;
    HDC hdc = GetDC(hwnd);
    const int line = LineFromChar(caret);
    int h, asc;
    LineMetrics(hdc, line, 96, &h, &asc);
    ReleaseDC(hwnd, hdc);
    POINT pt = PosFromChar(caret);
    CreateCaret(hwnd, nullptr, 1, h);
    SetCaretPos(pt.x, pt.y);
    ShowCaret(hwnd);
}

void CTextBox::ScrollCaretIntoView()
{
    const int line = LineFromChar(caret);
    const int oldFirst = firstLine;
    bool horizontal = false;
    if (Multi()) {
        if (line < firstLine) {
            firstLine = line;
        } else {
            int vis = VisibleLines();
            if (line >= firstLine + vis) firstLine = line - vis + 1;
        }
    }
    const DWORD st = Style();
    if (!Wrapping() && (rich || (st & ES_AUTOHSCROLL) || !Multi())) {
        HDC hdc = GetDC(hwnd);
        RECT fr = FormatRect();
        int x = Width(hdc, LineStart(line), caret, 96);
        ReleaseDC(hwnd, hdc);
        const int room = fr.right - fr.left;
        if (x - xScroll > room - 2) {
            xScroll = x - room + room / 3;
            horizontal = true;
        } else if (x < xScroll) {
            xScroll = std::max(0, x - room / 3);
            horizontal = true;
        }
    }
    if (!horizontal && firstLine == oldFirst) return;
    UpdateScrollBar();
    // A few lines down with nothing else pending: move the pixels and
    // paint only what comes into view.
    RECT pending;
    const int step = firstLine - oldFirst;
    if (!horizontal && step > 0 && step < VisibleLines() && !GetUpdateRect(hwnd, &pending, FALSE)) {
        ScrollDown(oldFirst);
        return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
}

// The view moved down from `oldFirst` to firstLine: the pixels of the
// lines still in view move up, and what comes into view is invalidated.
void CTextBox::ScrollDown(int oldFirst)
{
    HDC hdc = GetDC(hwnd);
    int dy = 0;
    for (int l = oldFirst; l < firstLine; ++l) {
        int h, asc;
        LineMetrics(hdc, l, 96, &h, &asc);
        dy += h;
    }
    ReleaseDC(hwnd, hdc);
    RECT fr = FormatRect();
    ScrollWindowEx(hwnd, 0, -dy, &fr, &fr, nullptr, nullptr, SW_INVALIDATE);
}
