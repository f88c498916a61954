// The source editor's painting: keyword and region colouring, selection,
// double-buffered WM_PAINT, scrolling and the hover tip. Only the painted
// lines are read; a run is as long as its line needs.
#include <cctype>
#include <cstring>

#include "platform/user/user.h"
#include "ui_controls/edit/edit_ctrl.h"

namespace {
std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return s;
}

bool Contains(int start, int end, int offset) { return offset >= start && offset <= end; }
}   // namespace

// --- keywords and regions --------------------------------------------------------

void KyrEditCtrl::AddKeyword(const std::string& keyword, COLORREF fg, COLORREF bg, int caseSensitive)
{
    KyrKeyword k{caseSensitive ? keyword : Upper(keyword), fg, bg, caseSensitive};
    keywords[k.key] = k;
}

bool KyrEditCtrl::LookupKeyword(const std::string& word, COLORREF* fg, COLORREF* bg, int)
{
    auto it = keywords.find(word);
    if (it == keywords.end()) {
        it = keywords.find(Upper(word));
        if (it == keywords.end() || it->second.caseSensitive) return false;
    }
    const COLORREF defFg = textColour == (COLORREF)-1 ? GetSysColor(COLOR_WINDOWTEXT) : textColour;
    const COLORREF defBg = backgroundColour == (COLORREF)-1 ? GetSysColor(COLOR_WINDOW) : backgroundColour;
    *fg = it->second.foreground == (COLORREF)-1 ? defFg : it->second.foreground;
    *bg = it->second.background == (COLORREF)-1 ? defBg : it->second.background;
    return true;
}

int KyrEditCtrl::AddRegion(const std::string& open, const std::string& close, COLORREF fg, COLORREF bg, int multiLine,
                           int extra)
{
    if (open.empty() || open.size() >= 5 || close.size() >= 5) return -1;
    if (multiLine) {
        if (close.empty()) return -1;
        for (const KyrRegionRule& r : regions)
            if (r.multiLine) return -1;
    }
    KyrRegionRule rule{open, close, fg, bg, multiLine, extra};
    size_t at = 0;
    while (at < regions.size() && regions[at].open.size() > open.size()) ++at;
    regions.insert(regions.begin() + (long)at, rule);
    RebuildDelimiterIndex();
    return (int)at;
}

bool KyrEditCtrl::IsNearRegionDelimiter(int offset)
{
    if (regions.empty()) return false;
    const int a = std::clamp(offset - 4, 0, Length());
    const int b = std::clamp(offset + 4, 0, Length());
    const std::string_view window(text.data() + a, (size_t)(b - a));
    for (const KyrRegionRule& r : regions) {
        if (!r.open.empty() && window.find(r.open) != std::string_view::npos) return true;
        if (!r.close.empty() && window.find(r.close) != std::string_view::npos) return true;
    }
    return false;
}

void KyrEditCtrl::BuildSpans(int start, int end, std::vector<Span>& spans)
{
    spans.clear();
    if (regions.empty() || start > end) return;
    const std::string_view all(text);
    int pos = start;
    while (pos <= end && pos < Length()) {
        int best = -1, bestRule = -1;
        for (int i = 0; i < (int)regions.size(); ++i) {
            const std::string& open = regions[i].open;
            // Only an open string that starts inside the range counts.
            const size_t limit = std::min<size_t>(all.size(), (size_t)end + open.size());
            if ((size_t)pos >= limit) continue;
            const size_t f = all.substr(0, limit).find(open, (size_t)pos);
            if (f == std::string_view::npos) continue;
            if (best < 0 || (int)f < best) {
                best = (int)f;
                bestRule = i;
            }
        }
        if (best < 0) break;
        const KyrRegionRule& r = regions[bestRule];
        int spanEnd = end;
        const size_t limit = std::min<size_t>(all.size(), (size_t)end + 1 + r.close.size());
        size_t close = std::string_view::npos;
        if (!r.close.empty() && (size_t)best + 1 < limit) close = all.substr(0, limit).find(r.close, (size_t)best + 1);
        if (close != std::string_view::npos) spanEnd = (int)(close + r.close.size()) - 1;
        if (!r.multiLine) {
            const int lf = LineEndOf_(best + (int)r.open.size() - 1);
            if (lf < Length() && lf <= spanEnd) spanEnd = lf - 1 < best ? best : lf - 1;
            if (lf >= Length() && close == std::string_view::npos) spanEnd = std::max(best, Length() - 1);
        }
        spans.push_back(Span{best, spanEnd, bestRule});
        pos = spanEnd + 1;
    }
}

void KyrEditCtrl::RebuildDelimiterIndex()
{
    mlOpens.clear();
    mlCloses.clear();
    mlRule = -1;
    for (int i = 0; i < (int)regions.size(); ++i)
        if (regions[i].multiLine) mlRule = i;
    if (mlRule >= 0) ScanDelimiters(0, Length());
}

// Adds the occurrences that start in [from, to).
void KyrEditCtrl::ScanDelimiters(int from, int to)
{
    if (mlRule < 0) return;
    from = std::max(from, 0);
    to = std::min(to, Length());
    const KyrRegionRule& r = regions[mlRule];
    const std::string_view all(text);
    for (auto* list : {&mlOpens, &mlCloses}) {
        const std::string& what = list == &mlOpens ? r.open : r.close;
        const auto lo = std::lower_bound(list->begin(), list->end(), from);
        std::vector<int> found;
        const size_t limit = std::min(all.size(), (size_t)std::max(to, 0) + what.size() - 1);
        for (size_t f = (size_t)from; from < to && (f = all.substr(0, limit).find(what, f)) != std::string_view::npos; ++f)
            found.push_back((int)f);
        list->insert(lo, found.begin(), found.end());
    }
}

void KyrEditCtrl::TextInserted(int offset, int count)
{
    if (mlRule < 0 || count <= 0) return;
    const int reach = 4;   // longer than any rule string
    for (auto* list : {&mlOpens, &mlCloses}) {
        // Occurrences that touched the insertion point are found again below.
        auto lo = std::lower_bound(list->begin(), list->end(), offset - reach);
        auto hi = std::lower_bound(lo, list->end(), offset);
        for (auto it = hi; it != list->end(); ++it) *it += count;
        list->erase(lo, hi);
    }
    ScanDelimiters(offset - reach, offset);
    for (auto* list : {&mlOpens, &mlCloses}) {
        auto lo = std::lower_bound(list->begin(), list->end(), offset + count);
        auto hi = std::lower_bound(lo, list->end(), offset + count + reach);
        list->erase(lo, hi);
    }
    ScanDelimiters(offset, offset + count + reach);
}

void KyrEditCtrl::TextErased(int offset, int count)
{
    if (mlRule < 0 || count <= 0) return;
    const int reach = 4;
    for (auto* list : {&mlOpens, &mlCloses}) {
        auto lo = std::lower_bound(list->begin(), list->end(), offset - reach);
        auto hi = std::lower_bound(lo, list->end(), offset + count + reach);
        for (auto it = hi; it != list->end(); ++it) *it -= count;
        list->erase(lo, hi);
    }
    ScanDelimiters(offset - reach, offset + reach);
}

bool KyrEditCtrl::CheckDelimiterIndex()
{
    const std::vector<int> opens = mlOpens, closes = mlCloses;
    RebuildDelimiterIndex();
    return opens == mlOpens && closes == mlCloses;
}

int KyrEditCtrl::RegionAbove(int offset, int* regionEnd)
{
    if (mlRule < 0 || offset <= 0) return -1;
    const int rule = mlRule;
    const KyrRegionRule& r = regions[rule];
    // The last open string starting before the offset.
    auto o = std::lower_bound(mlOpens.begin(), mlOpens.end(), offset);
    if (o == mlOpens.begin()) return -1;
    const int open = *(o - 1);
    // Closed before the offset?
    auto c = std::lower_bound(mlCloses.begin(), mlCloses.end(), open + 1);
    const int close = c == mlCloses.end() ? -1 : *c;
    if (close >= 0 && close + (int)r.close.size() <= offset) return -1;
    // The open string must not lie inside another region of its own line.
    std::vector<Span> spans;
    BuildSpans(GetLineStartOf(open), open, spans);
    for (const Span& s : spans)
        if (Contains(s.start, s.end, open) && !(s.start == open && s.rule == rule)) return -1;
    *regionEnd = close < 0 ? Length() : close + (int)r.close.size();
    return rule;
}

// --- painting ------------------------------------------------------------------------

void KyrEditCtrl::FillBackground(CDC& dc)
{
    RECT client;
    GetClientRect(&client);
    if (backgroundColour == (COLORREF)-1) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    } else {
        HBRUSH b = CreateSolidBrush(backgroundColour);
        FillRect(dc, &client, b);
        DeleteObject(b);
    }
}

int KyrEditCtrl::DrawTextRun(CDC& dc, std::string_view run, const RECT& cell, COLORREF background)
{
    if (GetBkColor(dc) != background) {
        HBRUSH b = CreateSolidBrush(background);
        FillRect(dc, &cell, b);
        DeleteObject(b);
    }
    if (!run.empty()) {
        RECT r = cell;
        ::DrawText(dc, run.data(), (int)run.size(), &r, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    }
    return cell.right - cell.left;
}

void KyrEditCtrl::Paint(CDC& dc)
{
    RECT client, clip;
    GetClientRect(&client);
    ComputeTextRect();
    GetClipBox(dc, &clip);
    const int saved = SaveDC(dc);
    SelectObject(dc, dc.IsPrinting() && printerFont ? printerFont : CurrentFont());
    FillBackground(dc);
    if (marginWidth > 0 && clip.left < textRect.left) DrawMargin(dc);
    const DWORD ex = GetExStyle();
    RECT edge = client;
    if (ex & WS_EX_CLIENTEDGE)
        DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT);
    else if (ex & WS_EX_WINDOWEDGE)
        DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
    else if (GetStyle() & WS_BORDER)
        FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWTEXT));
    if (!text.empty()) {
        RECT r;
        if (IntersectRect(&r, &textRect, &clip)) {
            const int inner = SaveDC(dc);
            IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
            DrawText(dc);
            RestoreDC(dc, inner);
        }
    }
    RestoreDC(dc, saved);
}

void KyrEditCtrl::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT client;
    GetClientRect(&client);
    HDC mem = CreateCompatibleDC(hdc);
    HBITMAP bmp = mem ? CreateCompatibleBitmap(hdc, std::max<int>(1, client.right), std::max<int>(1, client.bottom)) : nullptr;
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        IntersectClipRect(mem, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
        CDC cdc(mem);
        Paint(cdc);
        cdc.Detach();
        BitBlt(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
               mem, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(mem, old);
    } else {
        CDC cdc(hdc);
        Paint(cdc);
        cdc.Detach();
    }
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    EndPaint(m_hWnd, &ps);
}

// What one DrawText pass keeps while it walks the painted lines: the
// colours, the selection, the region spans and the keyword under way.
struct KyrEditCtrl::TextPass {
    TextPass(CDC& d, const RECT& r) : dc(d), painted(r) {}
    CDC& dc;
    RECT painted;
    COLORREF defFg = 0, defBg = 0, selFg = 0, selBg = 0;
    bool printing = false;
    int sLo = -1, sHi = -1;
    int aboveEnd = -1, aboveRule = -1;
    std::vector<Span> spans;
    size_t spanAt = 0;
    int kwEnd = -1;
    COLORREF kwFg = 0, kwBg = 0;
    // The line's highlight (GetLineHighlight).
    bool highlighted = false, hlFill = false;
    COLORREF hlFg = 0, hlBg = 0;
};

void KyrEditCtrl::DrawText(CDC& dc)
{
    RECT clip, painted;
    GetClipBox(dc, &clip);
    if (dc.IsPrinting())
        painted = textRect;
    else if (!IntersectRect(&painted, &clip, &textRect))
        return;
    const int firstRow = std::clamp(firstLine + (int)(painted.top - textRect.top) / lineHeight, 0, lineCount);
    const int lastRow = std::clamp(firstLine + (int)(painted.bottom - 1 - textRect.top) / lineHeight, 0, lineCount);
    int lineStart = GetLineOffset(firstRow);
    if (lineStart < 0) return;
    const int lastStart = GetLineOffset(lastRow);
    const int rangeEnd = std::min(LineEndOf_(std::max(lastStart, lineStart)), Length() - 1);

    const COLORREF defFg = textColour == (COLORREF)-1 ? GetSysColor(COLOR_WINDOWTEXT) : textColour;
    const COLORREF defBg = backgroundColour == (COLORREF)-1 ? GetSysColor(COLOR_WINDOW) : backgroundColour;
    TextPass pass(dc, painted);
    pass.defFg = pass.kwFg = defFg;
    pass.defBg = pass.kwBg = defBg;
    pass.selFg = hasFocus ? selectionText : selectionText2;
    pass.selBg = hasFocus ? selectionBack : selectionBack2;
    pass.printing = dc.IsPrinting();
    pass.sLo = HasSelection() ? SelMin() : -1;
    pass.sHi = HasSelection() ? SelMax() : -1;
    pass.aboveRule = RegionAbove(lineStart, &pass.aboveEnd);
    BuildSpans(pass.aboveRule >= 0 ? pass.aboveEnd : lineStart, rangeEnd, pass.spans);

    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, defBg);
    tabStopPixels = CharWidth(dc, " ", 0) * std::max(tabSize, 1);

    int y = textRect.top + (firstRow - firstLine) * lineHeight;
    for (int row = firstRow; row <= lastRow && lineStart <= Length(); ++row) {
        const int lineEnd = LineEndOf_(lineStart);
        pass.hlFg = pass.hlBg = 0;
        pass.hlFill = false;
        pass.highlighted = !pass.printing && GetLineHighlight(row, &pass.hlFg, &pass.hlBg, &pass.hlFill);
        if (pass.hlFg == (COLORREF)-1) pass.hlFg = defFg;
        if (pass.hlBg == (COLORREF)-1) pass.hlBg = defBg;
        DrawTextLine(pass, lineStart, lineEnd, y);
        y += lineHeight;
        if (lineEnd >= Length()) break;
        lineStart = lineEnd + 1;
    }
}

// One line: runs of one colour pair, drawn as they end.
void KyrEditCtrl::DrawTextLine(TextPass& p, int lineStart, int lineEnd, int y)
{
    CDC& dc = p.dc;
    int x = textRect.left - firstColumn * columnWidth + 1;
    int column = 0;
    int runX = x, runW = 0;
    COLORREF runFg = p.defFg, runBg = p.defBg;
    std::string run;
    auto flush = [&]() {
        if (run.empty() && runW == 0) return;
        if (runX + runW >= p.painted.left) {
            SetTextColor(dc, runFg);
            RECT cell{runX, y, runX + runW, y + lineHeight};
            DrawTextRun(dc, run, cell, runBg);
        }
        runX += runW;
        runW = 0;
        run.clear();
    };
    for (int i = lineStart; i < lineEnd;) {
        if (runX + runW > p.painted.right) break;   // the rest of the line is out of view
        const int n = EditCharLength(text, i);
        const uint32_t cp = EditCodePoint(text, i);
        COLORREF fg, bg;
        CharColours(p, i, cp, lineStart, lineEnd, &fg, &bg);
        if (fg != runFg || bg != runBg) {
            flush();
            runFg = fg;
            runBg = bg;
        }
        if (text[i] == '\t' && keepTabs) {
            const int cols = tabSize - column % std::max(tabSize, 1);
            flush();
            runW = averageWidth * cols;
            flush();
            column += cols;
        } else {
            const int w = CharWidth(dc, text, i);
            if (run.empty() && runW == 0 && runX + w <= p.painted.left) {
                runX += w;   // wholly left of the view: nothing to draw
            } else {
                if (IsControlPlaceholder(cp))
                    run += kControlPlaceholder;
                else
                    run.append(text, (size_t)i, (size_t)n);
                runW += w;
            }
            ++column;
        }
        i += n;
    }
    flush();
    DrawLineEnd(p, lineEnd, runX, y);
}

// The colours of the character at `i`: selection, line highlight, a region
// begun above, a region span, a keyword, or the default (GetLineColours may
// change the last two).
void KyrEditCtrl::CharColours(TextPass& p, int i, uint32_t cp, int lineStart, int lineEnd, COLORREF* fgOut,
                              COLORREF* bgOut)
{
    // Keyword lookup only where a word starts; the whole word takes its colours.
    if (i >= p.kwEnd && !IsDelimiter((unsigned char)text[i]) &&
        (i == lineStart || IsDelimiter((unsigned char)text[i - 1]))) {
        int e = i;
        while (e < lineEnd && !IsDelimiter((unsigned char)text[e])) ++e;
        COLORREF f, b;
        if (LookupKeyword(text.substr((size_t)i, (size_t)(e - i)), &f, &b, i)) {
            p.kwEnd = e;
            p.kwFg = f;
            p.kwBg = b;
        } else {
            p.kwEnd = e;
            p.kwFg = p.defFg;
            p.kwBg = p.defBg;
        }
    }
    while (p.spanAt < p.spans.size() && p.spans[p.spanAt].end < i) ++p.spanAt;
    COLORREF fg, bg;
    if (!p.printing && i >= p.sLo && i < p.sHi) {
        fg = p.selFg;
        bg = p.selBg;
    } else if (p.highlighted) {
        fg = p.hlFg;
        bg = p.hlBg;
    } else if (p.aboveRule >= 0 && i < p.aboveEnd) {
        fg = regions[p.aboveRule].foreground == (COLORREF)-1 ? p.defFg : regions[p.aboveRule].foreground;
        bg = regions[p.aboveRule].background == (COLORREF)-1 ? p.defBg : regions[p.aboveRule].background;
    } else if (p.spanAt < p.spans.size() && p.spans[p.spanAt].start <= i) {
        const KyrRegionRule& r = regions[p.spans[p.spanAt].rule];
        fg = r.foreground == (COLORREF)-1 ? p.defFg : r.foreground;
        bg = r.background == (COLORREF)-1 ? p.defBg : r.background;
    } else {
        fg = i < p.kwEnd ? p.kwFg : p.defFg;
        bg = i < p.kwEnd ? p.kwBg : p.defBg;
        GetLineColours(cp, i, fg, bg);
    }
    *fgOut = fg;
    *bgOut = bg;
}

// After the line's text: a selected line feed, and a highlight that runs to
// the right edge.
void KyrEditCtrl::DrawLineEnd(TextPass& p, int lineEnd, int runX, int y)
{
    if (lineEnd < Length() && lineEnd >= p.sLo && lineEnd < p.sHi && !p.highlighted && !p.printing) {
        // A selected line feed shows as one selected blank.
        SetTextColor(p.dc, p.selFg);
        RECT cell{runX, y, runX + CharWidth(p.dc, text, lineEnd), y + lineHeight};
        DrawTextRun(p.dc, " ", cell, p.selBg);
    }
    if (p.highlighted && p.hlFill && runX < p.painted.right) {
        RECT rest{runX, y, p.painted.right, y + lineHeight};
        HBRUSH b = CreateSolidBrush(p.hlBg);
        FillRect(p.dc, &rest, b);
        DeleteObject(b);
    }
}

// --- scrolling -------------------------------------------------------------------------

bool KyrEditCtrl::ScrollBar(int bar, int code, int position)
{
    if (bar != SB_VERT && bar != SB_HORZ) return false;
    const bool vert = bar == SB_VERT;
    const int maximum = vert ? vRange : hRange;
    const int page = vert ? VisibleLines() : VisibleColumns();
    const int current = vert ? firstLine : firstColumn;
    int pos = current;
    switch (code) {
    case SB_LINEUP: pos = std::max(current - 1, 0); break;
    case SB_LINEDOWN: pos = current + 1; break;
    case SB_PAGEUP: pos = current - page + 1; break;
    case SB_PAGEDOWN: pos = current + page - 1; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        pos = m_hWnd && GetScrollInfo(m_hWnd, bar, &si) ? si.nTrackPos : position;
        break;
    }
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = maximum; break;
    case 12: pos = position; break;
    default: return false;
    }
    pos = std::min(pos, maximum - page + 1);
    pos = std::max(pos, 0);
    if (pos == current) return false;
    if (vert)
        SetFirstLine(pos);
    else
        firstColumn = pos;
    if (m_hWnd) {
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, vert ? firstLine : firstColumn, 0};
        SetScrollInfo(m_hWnd, bar, &si, TRUE);
    }
    return true;
}

void KyrEditCtrl::OnScroll(int bar, UINT code, UINT pos)
{
    if (!ScrollBar(bar, (int)code, (int)pos)) return;
    HideToolTip();
    Invalidate(FALSE);
    POINT p;
    if (PointFromOffset(caretOffset, &p)) {
        caretX = p.x;
        caretY = p.y;
    }
    PlaceSystemCaret();
}

void KyrEditCtrl::OnVScroll(UINT code, UINT pos, HWND bar)
{
    if (bar) return;
    OnScroll(SB_VERT, code, pos);
}

void KyrEditCtrl::OnHScroll(UINT code, UINT pos, HWND bar)
{
    if (bar) return;
    OnScroll(SB_HORZ, code, pos);
}

BOOL KyrEditCtrl::OnMouseWheel(UINT, short delta, POINT)
{
    if (VisibleLines() > lineCount) return TRUE;
    const int lines = std::abs((int)delta) / WHEEL_DELTA + 1;
    for (int i = 0; i < lines; ++i) OnVScroll(delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0, nullptr);
    return TRUE;
}

// --- hover tip ------------------------------------------------------------------------

int KyrEditCtrl::TipAutoPop(const std::string& tip)
{
    const int chars = EditCountChars(tip, 0, (int)tip.size());
    return (int)std::min<int64_t>(1000LL * chars, 32000);
}

void KyrEditCtrl::HideToolTip()
{
    tipPoint = POINT{-1, -1};
    if (tooltip.m_hWnd) tooltip.Pop();
    tipText.clear();
    tipHidden = 1;
}

void KyrEditCtrl::ActivateToolTip(bool on)
{
    if ((tipActive != 0) == on) return;
    tipActive = on ? 1 : 0;
    if (tooltip.m_hWnd) tooltip.Activate(on);
    if (!on) HideToolTip();
}

std::string KyrEditCtrl::TipWordAt(POINT pt, int* offset)
{
    *offset = -1;
    POINT p = pt;
    const int at = OffsetFromPoint(p, true, false);
    if (at < 0 || at >= Length() || std::abs(pt.x - p.x) > columnWidth) return {};
    int a, b;
    GetWordBounds(at, &a, &b);
    if (b <= a || IsDelimiter((unsigned char)text[a])) return {};
    *offset = a;
    return text.substr((size_t)a, (size_t)(b - a));
}

std::string KyrEditCtrl::AskTipText(POINT pt)
{
    int offset;
    std::string tip = TipWordAt(pt, &offset);
    if (tip.empty()) return {};
    tipWordOffset = offset;
    const bool ok = GetTipText(tip, pt);
    tipWordOffset = -1;
    return ok ? tip : std::string();
}

void KyrEditCtrl::UpdateHoverTip(POINT pt)
{
    // Seen already on its way to the tip (PreTranslateMessage).
    if (pt.x == tipPoint.x && pt.y == tipPoint.y) return;
    tipPoint = pt;
    int offset;
    const std::string word = TipWordAt(pt, &offset);
    if (!tipHidden) {
        const std::string tip = word.empty() ? std::string() : AskTipText(pt);
        if (tip.empty() || tip != tipText) HideToolTip();
    } else if (word != tipWord && tooltip.m_hWnd) {
        // Another word: the tip window waits its delay again from here.
        tooltip.Pop();
    }
    tipWord = word;
}

BOOL KyrEditCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    NMHDR* h = reinterpret_cast<NMHDR*>(lParam);
    if (!h || !tooltip.m_hWnd || h->hwndFrom != tooltip.m_hWnd) return CWnd::OnNotify(wParam, lParam, result);
    if (h->code == (UINT)TTN_GETDISPINFO) {
        auto* di = reinterpret_cast<NMTTDISPINFO*>(lParam);
        di->szText[0] = '\0';
        di->lpszText = nullptr;
        if (hoverTips) {
            POINT pt;
            GetCursorPos(&pt);
            ::ScreenToClient(m_hWnd, &pt);
            const std::string tip = AskTipText(pt);
            if (!tip.empty() && (tip != tipText || tipHidden)) {
                tipText = tip;
                tipHidden = 0;
            }
            if (!tip.empty()) di->lpszText = tipText.data();
        }
        *result = 0;
        return TRUE;
    }
    if (h->code == (UINT)TTN_SHOW) {
        tooltip.SetDelayTime(TTDT_AUTOPOP, TipAutoPop(tipText));
        // At the cursor, inside the editor's window less one pixel.
        POINT pt;
        GetCursorPos(&pt);
        RECT tip, wr;
        tooltip.GetWindowRect(&tip);
        GetWindowRect(&wr);
        const int w = tip.right - tip.left, hgt = tip.bottom - tip.top;
        const int x = std::max<int>(wr.left + 1, std::min<int>(pt.x, wr.right - 1 - w));
        const int y = std::max<int>(wr.top + 1, std::min<int>(pt.y, wr.bottom - 1 - hgt));
        ::SetWindowPos(tooltip.m_hWnd, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        *result = TRUE;
        return TRUE;
    }
    if (h->code == (UINT)TTN_POP) {
        tipText.clear();
        tipHidden = 1;
        *result = 0;
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, result);
}
