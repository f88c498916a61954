// The editor's measuring: the font's metrics, character widths (cached),
// offsets to points and back, the caret's place and shape, the text
// rectangle, scroll ranges and what to redraw.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>

HFONT KyrEditCtrl::CurrentFont() const
{
    return screenFont ? screenFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

HDC KyrEditCtrl::MeasureDC(bool* release)
{
    *release = false;
    HDC dc = measureDC;
    if (!dc) {
        dc = m_hWnd ? ::GetDC(m_hWnd) : ::GetDC(nullptr);
        *release = true;
    }
    SelectObject(dc, CurrentFont());
    return dc;
}

void KyrEditCtrl::ComputeMetrics()
{
    bool release;
    HDC dc = MeasureDC(&release);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    lineHeight = std::max(1, (int)tm.tmHeight + lineSpacing);
    columnWidth = std::max(1, (int)tm.tmMaxCharWidth);
    averageWidth = std::max(1, (int)tm.tmAveCharWidth);
    widthCache = nullptr;
    widthCacheDC = nullptr;
    tabStopPixels = CharWidth(dc, " ", 0) * std::max(tabSize, 1);
    if (release) ::ReleaseDC(m_hWnd, dc);
    if (!m_hWnd) return;
    RecreateCaret();
    UpdateScrollRanges();
    if (!readOnly) SetCaretOffset(caretOffset, false, false);
}

void KyrEditCtrl::ComputeTextRect()
{
    if (!m_hWnd) return;
    RECT client;
    GetClientRect(&client);
    textRect = client;
    textRect.left = client.left + marginWidth + 2;
    if (textRect.right < textRect.left) textRect.right = textRect.left;
}

void KyrEditCtrl::GetCaretSize(SIZE* size)
{
    size->cx = GetOverwriteMode() ? columnWidth : 2;
    size->cy = lineHeight;
}

void KyrEditCtrl::RecreateCaret()
{
    if (!m_hWnd || !hasFocus || readOnly) return;
    DestroyCaret();
    SIZE s;
    GetCaretSize(&s);
    CreateCaret(m_hWnd, nullptr, s.cx, s.cy);
    PlaceSystemCaret();
    ShowCaret(m_hWnd);
}

void KyrEditCtrl::PlaceSystemCaret()
{
    if (!m_hWnd || !hasFocus || readOnly) return;
    const bool visible = caretY >= textRect.top - lineHeight && caretY < textRect.bottom && caretX >= textRect.left - 2;
    if (visible)
        SetCaretPos(caretX, caretY);
    else
        SetCaretPos(-10, -10);
}

int KyrEditCtrl::VisibleLines() const
{
    return std::max(1, (int)(textRect.bottom - textRect.top) / std::max(lineHeight, 1));
}

int KyrEditCtrl::VisibleColumns() const
{
    return std::max(1, (int)(textRect.right - textRect.left) / std::max(columnWidth, 1));
}

int KyrEditCtrl::CharWidth(HDC dc, std::string_view s, int offset)
{
    if (dc != widthCacheDC || !widthCache) {
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        WidthKey key{CurrentFont(), GetDeviceCaps(dc, LOGPIXELSX), (int)tm.tmHeight, (int)tm.tmAveCharWidth,
                     (int)tm.tmMaxCharWidth};
        widthCache = &charWidths[key];
        widthCacheDC = dc;
    }
    const uint32_t cp = EditCodePoint(s, offset);
    auto it = widthCache->find(cp);
    if (it != widthCache->end()) return it->second;
    CDC cdc(dc);
    SIZE size{0, 0};
    if (IsControlPlaceholder(cp))
        GetTextExtent(cdc, &size, kControlPlaceholder, (int)strlen(kControlPlaceholder));
    else
        GetTextExtent(cdc, &size, s.data() + offset, EditCharLength(s, offset));
    cdc.Detach();
    int w = (int)size.cx;
    if (cp == '\n' && w == 0) w = columnWidth;
    widthCache->emplace(cp, w);
    return w;
}

SIZE KyrEditCtrl::GetTextExtent(CDC& dc, SIZE* size, const char* chars, int count)
{
    SIZE s{0, 0};
    if (keepTabs) {
        const int stop = tabStopPixels;
        DWORD d = GetTabbedTextExtent(dc, chars, count, 1, &stop);
        s.cx = LOWORD(d);
        s.cy = HIWORD(d);
    } else {
        GetTextExtentPoint32(dc, chars, count, &s);
    }
    if (size) *size = s;
    return s;
}

int KyrEditCtrl::WidthOf(HDC dc, int start, int end, int column)
{
    int w = 0;
    for (int i = start; i < end; i += EditCharLength(text, i)) {
        if (text[i] == '\t' && keepTabs) {
            const int n = tabSize - column % std::max(tabSize, 1);
            w += averageWidth * n;
            column += n;
        } else if (text[i] == '\n') {
            break;
        } else {
            w += CharWidth(dc, text, i);
            ++column;
        }
    }
    return w;
}

bool KyrEditCtrl::PointFromOffset(int offset, POINT* point, int* line)
{
    if (offset < 0 || offset > Length()) return false;
    const int l = GetLineOfOffsetCached(offset);
    const int start = GetLineStartOf(offset);
    bool release;
    HDC dc = MeasureDC(&release);
    const int w = WidthOf(dc, start, offset);
    if (release) ::ReleaseDC(m_hWnd, dc);
    point->x = textRect.left - firstColumn * columnWidth + w;
    point->y = (l - firstLine) * lineHeight + textRect.top;
    if (line) *line = l;
    return true;
}

int KyrEditCtrl::OffsetAtX(int lineStart, int x)
{
    bool release;
    HDC dc = MeasureDC(&release);
    const int end = LineEndOf_(lineStart);
    int acc = 0, column = 0, i = lineStart;
    while (i < end) {
        int w;
        if (text[i] == '\t' && keepTabs) {
            const int n = tabSize - column % std::max(tabSize, 1);
            w = averageWidth * n;
            column += n;
        } else {
            w = CharWidth(dc, text, i);
            ++column;
        }
        if (x < acc + w / 2 + (w & 1)) break;
        acc += w;
        i += EditCharLength(text, i);
    }
    if (release) ::ReleaseDC(m_hWnd, dc);
    return i;
}

int KyrEditCtrl::OffsetFromPoint(POINT& point, bool snap, bool force)
{
    if (!force && (point.x < textRect.left || point.x >= textRect.right || point.y < textRect.top ||
                   point.y >= textRect.bottom))
        return -1;
    const int dy = point.y - textRect.top;
    int line = firstLine + (dy >= 0 ? dy / lineHeight : -((-dy + lineHeight - 1) / lineHeight));
    line = std::clamp(line, 0, lineCount);
    const int start = GetLineOffset(line);
    if (start < 0) return -1;
    const int offset = OffsetAtX(start, point.x - textRect.left + firstColumn * columnWidth);
    if (snap) PointFromOffset(offset, &point);
    return offset;
}

bool KyrEditCtrl::SetCaretOffset(int offset, bool scrollIntoView, bool redraw)
{
    // Never inside a character (edits by byte offset can join or split sequences).
    for (int back = 1; back <= 3 && offset - back >= 0 && offset < Length(); ++back)
        if (EditCharLength(text, offset - back) > back) {
            offset -= back;
            break;
        }
    POINT p;
    if (!PointFromOffset(offset, &p)) return false;
    caretOffset = offset;
    caretX = p.x;
    caretY = p.y;
    bool scrolled = false;
    if (scrollIntoView && m_hWnd) {
        if (caretX < textRect.left + columnWidth) {
            int move = (caretX - textRect.left) / columnWidth - hScrollMargin;
            if (move < 0) {
                int target = firstColumn + move;
                target = std::min(target, GetLineEndAndColumn(offset, nullptr) - hScrollMargin);
                target = std::max(target, 0);
                if (target != firstColumn) {
                    firstColumn = target;
                    scrolled = true;
                }
            }
        } else if (caretX >= textRect.right - columnWidth) {
            firstColumn += (caretX - textRect.right) / columnWidth + std::max(1, VisibleColumns() * hScrollPercent / 100);
            scrolled = true;
        }
        if (scrolled) {
            PointFromOffset(offset, &p);
            caretX = p.x;
            caretY = p.y;
            SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, firstColumn, 0};
            SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
            PlaceSystemCaret();
            OnCaretMoved();
        }
        int lines = 0;
        if (caretY < textRect.top + lineHeight)
            lines = (caretY - textRect.top) / lineHeight;
        else if (caretY >= textRect.bottom - 2 * lineHeight)
            lines = (caretY + 2 * lineHeight - textRect.bottom) / lineHeight;
        if (lines != 0) {
            const int before = firstLine;
            SetFirstLine(firstLine + lines);
            if (firstLine != before) {
                scrolled = true;
                PointFromOffset(offset, &p);
                caretX = p.x;
                caretY = p.y;
                SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, firstLine, 0};
                SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
                PlaceSystemCaret();
                OnCaretMoved();
            }
        }
    }
    caretLine = GetLineOfOffsetCached(offset);
    caretColumn = GetColumnOfOffset(offset);
    PlaceSystemCaret();
    if (redraw && scrolled && m_hWnd) Invalidate(FALSE);
    if (scrolled && m_hWnd && !redraw) Invalidate(FALSE);   // the view moved: its pixels are stale
    return true;
}

void KyrEditCtrl::RedrawAll()
{
    if (m_hWnd) Invalidate(FALSE);
}

void KyrEditCtrl::RedrawLines(int fromOffset, int toOffset, bool toBottom)
{
    if (!m_hWnd) return;
    const int a = GetLineOfOffsetCached(std::min(fromOffset, toOffset));
    const int b = GetLineOfOffsetCached(std::max(fromOffset, toOffset));
    RECT r = textRect;
    r.top = textRect.top + (a - firstLine) * lineHeight - 1;
    r.bottom = toBottom ? textRect.bottom : textRect.top + (b - firstLine + 1) * lineHeight + 1;
    r.left = 0;
    if (r.bottom < textRect.top || r.top > textRect.bottom) return;
    ::InvalidateRect(m_hWnd, &r, FALSE);
}

void KyrEditCtrl::UpdateScrollRanges()
{
    hRange = maxLineLength;
    vRange = lineCount + ((text.empty() || text.back() != '\n') ? 1 : 0);
    if (!m_hWnd) return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, vRange, (UINT)VisibleLines(), firstLine, 0};
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    SCROLLINFO sh{sizeof sh, SIF_RANGE | SIF_PAGE | SIF_POS, 0, hRange, (UINT)VisibleColumns(), firstColumn, 0};
    SetScrollInfo(m_hWnd, SB_HORZ, &sh, TRUE);
}
