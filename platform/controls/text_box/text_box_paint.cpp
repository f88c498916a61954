// The text box's painting, and its printing by ranges.
#include <algorithm>

#include "platform/controls/text_box/text_box.h"

void CTextBox::Paint(HDC hdc)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const bool disabled = !IsWindowEnabled(hwnd);
    HBRUSH bg;
    if (rich) {
        bg = sysBackground ? GetSysColorBrush(COLOR_WINDOW) : nullptr;
    } else {
        bg = ControlColours(hwnd, hdc, (readOnly || disabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    }
    const COLORREF textColour = GetTextColor(hdc);
    // Only what the update region covers is drawn: appends repaint a line or two.
    RECT area = rc, clip;
    const int clipKind = GetClipBox(hdc, &clip);
    if (clipKind == NULLREGION) return;
    if (clipKind != ERROR) IntersectRect(&area, &rc, &clip);
    if (bg) {
        FillRect(hdc, &area, bg);
    } else {
        HBRUSH b = CreateSolidBrush(background);
        FillRect(hdc, &area, b);
        DeleteObject(b);
    }
    RECT fr = FormatRect();
    const int dpi = 96;
    int y = Multi() ? fr.top : LineTop(hdc, 0);
    // A selection kept when the focus leaves (no-hide-selection) keeps a
    // band that stands out from the window, in the text's own colours.
    const bool showSel = (focused || !hideSel || (Style() & ES_NOHIDESEL)) && SelMin() != SelMax();
    for (int line = Multi() ? firstLine : 0; line < LineCount() && y < area.bottom; ++line) {
        int h, asc;
        LineMetrics(hdc, line, dpi, &h, &asc);
        if (y + h <= area.top) {
            y += h;
            continue;
        }
        PaintLine(hdc, line, y, h, asc, rc, fr, showSel, disabled, textColour);
        y += h;
    }
    SetTextColor(hdc, textColour);
}

// One line of text, split into runs of one format and at the selection.
void CTextBox::PaintLine(HDC hdc, int line, int y, int h, int asc, const RECT& rc, const RECT& fr, bool showSel,
                         bool disabled, COLORREF textColour)
{
    const int dpi = 96;
    int x = LineX(hdc, line);
    const int a = LineStart(line), b = LineEnd(line);
    for (auto [s, e, f] : Segments(a, b)) {
        // Split at the selection so its part can be highlighted.
        int cuts[4] = {s, std::clamp(SelMin(), s, e), std::clamp(SelMax(), s, e), e};
        for (int k = 0; k < 3; ++k) {
            const int p = cuts[k], q = cuts[k + 1];
            if (p >= q) continue;
            const bool sel = showSel && k == 1;
            HGDIOBJ old = SelectObject(hdc, FontFor(f, dpi));
            TEXTMETRIC tm{};
            GetTextMetrics(hdc, &tm);
            // The line's last piece needs no width unless it is highlighted
            // or starts left of the view: measuring costs a text layout.
            const bool measure = sel || q < b || x < fr.left;
            const int w = measure ? Width(hdc, p, q, dpi) : 0;
            int ty = y + asc - tm.tmAscent;
            COLORREF colour = textColour;
            if (rich) {
                const CCharFormat& cf = doc.Format(f);
                ty -= (int)((long)cf.offset * dpi / 1440);
                colour = cf.autoColor ? GetSysColor(COLOR_WINDOWTEXT) : cf.color;
            }
            if (disabled) colour = GetSysColor(COLOR_GRAYTEXT);
            if (sel) {
                RECT hr{x, y, x + w, y + h};
                FillRect(hdc, &hr, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_INACTIVECAPTION));
                if (focused) colour = GetSysColor(COLOR_HIGHLIGHTTEXT);
            }
            SetTextColor(hdc, colour);
            SetBkMode(hdc, TRANSPARENT);
            std::string t = Shown(p, q);
            if ((x >= fr.left || x + w >= fr.left) && x < rc.right) {
                if (t.find('\t') != std::string::npos)
                    TabbedTextOut(hdc, x, ty, t.c_str(), (int)t.size(), 0, nullptr, x);
                else
                    TextOut(hdc, x, ty, t.c_str(), (int)t.size());
            }
            SelectObject(hdc, old);
            x += w;
        }
    }
}

// Lays out [from, to) into a rectangle of the DC (device units); returns
// the first character not placed; always places at least one line, and
// each line at least one character.
int CTextBox::FormatRange(HDC hdc, RECT r, int from, int to, bool render)
{
    const int dpi = std::max(1, GetDeviceCaps(hdc, LOGPIXELSY));
    int y = r.top;
    int p = from;
    bool first = true;
    while (p < to) {
        // Find the end of this display line: up to the line end, wrapped at the width.
        const int lineEnd = std::min(doc.LineEnd(doc.LineFromChar(p)), to);
        int q = p, x = 0, lastBreak = -1;
        int asc = 0, desc = 0;
        while (q < lineEnd) {
            int n = doc.NextChar(q);
            int f = rich ? doc.FormatIndexAt(q) : 0;
            HGDIOBJ old = SelectObject(hdc, FontFor(f, dpi));
            SIZE sz{};
            std::string ch = Shown(q, n);
            GetTextExtentPoint32(hdc, ch.c_str(), (int)ch.size(), &sz);
            TEXTMETRIC tm{};
            GetTextMetrics(hdc, &tm);
            SelectObject(hdc, old);
            if (x + sz.cx > r.right - r.left && q > p) {
                if (lastBreak > p) q = lastBreak;
                break;
            }
            asc = std::max(asc, (int)tm.tmAscent);
            desc = std::max(desc, (int)tm.tmDescent);
            x += sz.cx;
            if (ch == " " || ch == "\t") lastBreak = n;
            q = n;
        }
        if (asc + desc == 0) {
            HGDIOBJ old = SelectObject(hdc, FontFor(rich ? doc.FormatIndexAt(p > 0 ? p - 1 : 0) : 0, dpi));
            TEXTMETRIC tm{};
            GetTextMetrics(hdc, &tm);
            SelectObject(hdc, old);
            asc = tm.tmAscent;
            desc = tm.tmDescent;
        }
        const int h = asc + desc;
        if (!first && y + h > r.bottom) break;
        if (render) {
            int dx = r.left;
            for (auto [s, e, f] : Segments(p, q)) {
                HGDIOBJ old = SelectObject(hdc, FontFor(f, dpi));
                TEXTMETRIC tm{};
                GetTextMetrics(hdc, &tm);
                COLORREF colour = 0;
                int off = 0;
                if (rich) {
                    const CCharFormat& cf = doc.Format(f);
                    colour = cf.autoColor ? 0 : cf.color;
                    off = (int)((long)cf.offset * dpi / 1440);
                }
                SetTextColor(hdc, colour);
                SetBkMode(hdc, TRANSPARENT);
                std::string t = Shown(s, e);
                while (!t.empty() && t.back() == '\n') t.pop_back();
                TextOut(hdc, dx, y + asc - tm.tmAscent - off, t.c_str(), (int)t.size());
                SIZE sz{};
                GetTextExtentPoint32(hdc, t.c_str(), (int)t.size(), &sz);
                dx += sz.cx;
                SelectObject(hdc, old);
            }
        }
        y += h;
        first = false;
        p = q;
        if (p < to && p < doc.Length() && doc.Text()[(size_t)p] == '\n') ++p;
    }
    return p;
}

// The range's rectangle is in twips; the result is the first character not
// placed, at least one past the start.
LRESULT CTextBox::OnFormatRange(bool render, FORMATRANGE* fr)
{
    if (!fr) return 0;
    const int len = doc.Length();
    int from = std::clamp(fr->chrg.cpMin, 0, len);
    int to = fr->chrg.cpMax < 0 ? len : std::clamp(fr->chrg.cpMax, from, len);
    if (from >= to) return to;
    const int dx = std::max(1, GetDeviceCaps(fr->hdc, LOGPIXELSX)), dy = std::max(1, GetDeviceCaps(fr->hdc, LOGPIXELSY));
    RECT r{(LONG)((long)fr->rc.left * dx / 1440), (LONG)((long)fr->rc.top * dy / 1440),
           (LONG)((long)fr->rc.right * dx / 1440), (LONG)((long)fr->rc.bottom * dy / 1440)};
    int next = FormatRange(fr->hdc, r, from, to, render);
    return std::max(next, from + 1);
}
