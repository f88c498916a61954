// The text box's text as lines: formats and fonts, word wrap, and where
// each character stands on the screen.
#include <algorithm>

#include "platform/controls/text_box/text_box.h"

int CTextBox::CurrentInsertFormat() const
{
    if (insertFormat >= 0) return insertFormat;
    if (!rich) return 0;
    int p = SelMin();
    if (doc.Length() == 0) return const_cast<CRichText&>(doc).Intern(defaultFormat);
    return doc.FormatIndexAt(p > 0 ? p - 1 : 0);
}

HFONT CTextBox::FontFor(int format, int dpi)
{
    if (!rich) return font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    auto key = std::make_pair(format, dpi);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    const CCharFormat& f = doc.Format(format);
    LOGFONT lf{};
    lf.lfHeight = -std::max(1, (int)((long)f.height * dpi / 1440));
    lf.lfWeight = (f.effects & CFE_BOLD) ? 700 : 400;
    lf.lfItalic = (f.effects & CFE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (f.effects & CFE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (f.effects & CFE_STRIKEOUT) ? 1 : 0;
    snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", f.face.c_str());
    HFONT h = CreateFontIndirect(&lf);
    fonts[key] = h;
    return h;
}

// Shown text of a span (passwords show stars).
std::string CTextBox::Shown(int a, int b) const
{
    if (!rich && (Style() & ES_PASSWORD)) {
        int n = 0;
        for (int p = a; p < b; p = doc.NextChar(p)) ++n;
        return std::string((size_t)n, '*');
    }
    return doc.Text().substr((size_t)a, (size_t)(b - a));
}

// Segments with explicit ends.
std::vector<std::tuple<int, int, int>> CTextBox::Segments(int a, int b) const
{
    std::vector<std::tuple<int, int, int>> out;
    if (a >= b) return out;
    if (!rich) {
        out.emplace_back(a, b, 0);
        return out;
    }
    auto runs = doc.RunsOf(a, b);
    for (size_t i = 0; i < runs.size(); ++i)
        out.emplace_back(a + runs[i].start, i + 1 < runs.size() ? a + runs[i + 1].start : b, runs[i].format);
    return out;
}

int CTextBox::WordStart(int p) const
{
    const std::string& t = doc.Text();
    while (p > 0 && (std::isalnum((unsigned char)t[(size_t)p - 1]) || (unsigned char)t[(size_t)p - 1] >= 0x80 ||
                     t[(size_t)p - 1] == '_'))
        --p;
    return p;
}

int CTextBox::WordEnd(int p) const
{
    const std::string& t = doc.Text();
    while (p < doc.Length() && (std::isalnum((unsigned char)t[(size_t)p]) || (unsigned char)t[(size_t)p] >= 0x80 ||
                                t[(size_t)p] == '_'))
        ++p;
    return p;
}

// A position inside a UTF-8 character moves to its start.
int CTextBox::Snap(int p) const
{
    for (int k = 1; k <= 3 && p - k >= 0; ++k) {
        int n = Utf8Length(doc.Text().data() + (p - k), doc.Text().size() - (size_t)(p - k));
        if (n > k) return p - k;
    }
    return p;
}

// Word wrap (rich edit only): at the format rectangle's width with target
// width 0, at the target width (twips) below 100000, else none. The lines
// the control shows, scrolls by and answers line queries with are then
// display lines, rebuilt when the text, its runs or the width change;
// without wrapping they are the text's own lines (appends stay cheap).
int CTextBox::WrapWidth() const
{
    if (!rich) return 0;
    if (targetWidth == 0) {
        RECT fr = FormatRect();
        return std::max(1L, (long)(fr.right - fr.left));
    }
    if (targetWidth > 0 && targetWidth < 100000) return std::max(1, (int)((long)targetWidth * 96 / 1440));
    return 0;
}

void CTextBox::EnsureWrap() const
{
    const int width = WrapWidth();
    if (wrapVersion == doc.Version() && wrapWidth == width && !wraps.empty()) return;
    CTextBox* self = const_cast<CTextBox*>(this);
    // Only the text's lines from the first change on are wrapped again, so
    // appending at the end stays cheap.
    const int changed = self->doc.TakeChangedFrom();
    int fromLine = 0;
    if (wrapWidth == width && !wraps.empty()) {
        fromLine = doc.LineFromChar(std::min(changed, doc.Length()));
        const int keepBelow = doc.LineStart(fromLine);
        auto cut = std::lower_bound(wraps.begin(), wraps.end(), keepBelow,
                                    [](const std::pair<int, int>& w, int p) { return w.first < p; });
        wraps.erase(cut, wraps.end());
    } else {
        wraps.clear();
    }
    HDC hdc = GetDC(hwnd);
    for (int l = fromLine; l < doc.LineCount(); ++l) {
        int p = doc.LineStart(l);
        const int end = doc.LineEnd(l);
        do {
            const int start = p;
            int x = 0, lastBreak = -1;
            while (p < end) {
                const int n = doc.NextChar(p);
                const int w = self->Width(hdc, p, n, 96);
                if (x + w > width && p > start) break;
                x += w;
                const char ch = doc.Text()[(size_t)p];
                p = n;
                if (ch == ' ' || ch == '\t') lastBreak = p;
            }
            // Break after the last blank when the line overflows, else inside the word.
            if (p < end && lastBreak > start) p = lastBreak;
            // Blanks at the break stay on the line they end.
            while (p < end && doc.Text()[(size_t)p] == ' ') ++p;
            wraps.emplace_back(start, p < end ? p : end);
        } while (p < end);
    }
    ReleaseDC(hwnd, hdc);
    wrapVersion = doc.Version();
    wrapWidth = width;
}

int CTextBox::LineCount() const
{
    if (!Wrapping()) return doc.LineCount();
    EnsureWrap();
    return (int)wraps.size();
}

int CTextBox::LineStart(int line) const
{
    if (!Wrapping()) return doc.LineStart(line);
    EnsureWrap();
    return wraps[(size_t)std::clamp(line, 0, (int)wraps.size() - 1)].first;
}

int CTextBox::LineEnd(int line) const
{
    if (!Wrapping()) return doc.LineEnd(line);
    EnsureWrap();
    return wraps[(size_t)std::clamp(line, 0, (int)wraps.size() - 1)].second;
}

int CTextBox::LineFromChar(int pos) const
{
    if (!Wrapping()) return doc.LineFromChar(pos);
    EnsureWrap();
    auto it = std::upper_bound(wraps.begin(), wraps.end(), pos, [](int p, const std::pair<int, int>& w) { return p < w.first; });
    return std::max(0, (int)(it - wraps.begin()) - 1);
}

int CTextBox::Width(HDC hdc, int a, int b, int dpi)
{
    int w = 0;
    for (auto [s, e, f] : Segments(a, b)) {
        HGDIOBJ old = SelectObject(hdc, FontFor(f, dpi));
        std::string t = Shown(s, e);
        if (t.find('\t') != std::string::npos) {
            w += (int)LOWORD(GetTabbedTextExtent(hdc, t.c_str(), (int)t.size(), 0, nullptr));
        } else {
            SIZE sz{};
            GetTextExtentPoint32(hdc, t.c_str(), (int)t.size(), &sz);
            w += sz.cx;
        }
        SelectObject(hdc, old);
    }
    return w;
}

// Height and ascent of a line.
void CTextBox::LineMetrics(HDC hdc, int line, int dpi, int* height, int* ascent)
{
    const int a = LineStart(line), b = LineEnd(line);
    int asc = 0, desc = 0;
    auto take = [&](int f) {
        HGDIOBJ old = SelectObject(hdc, FontFor(f, dpi));
        TEXTMETRIC tm{};
        GetTextMetrics(hdc, &tm);
        SelectObject(hdc, old);
        int off = rich ? (int)((long)doc.Format(f).offset * dpi / 1440) : 0;
        asc = std::max(asc, (int)tm.tmAscent + std::max(off, 0));
        desc = std::max(desc, (int)tm.tmDescent + std::max(-off, 0));
    };
    if (a == b) take(rich ? doc.FormatIndexAt(a > 0 ? a - 1 : 0) : 0);
    for (auto [s, e, f] : Segments(a, b)) take(f);
    *height = asc + desc;
    *ascent = asc;
}

RECT CTextBox::FormatRect() const
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (!rich) InflateRect(&rc, -2, -1);
    else rc.left += 2;
    return rc;
}

int CTextBox::LineX(HDC hdc, int line)
{
    RECT fr = FormatRect();
    const DWORD st = Style();
    int x = fr.left - xScroll;
    if (!rich && (st & (ES_CENTER | ES_RIGHT))) {
        int w = Width(hdc, LineStart(line), LineEnd(line), 96);
        int room = fr.right - fr.left;
        if (st & ES_RIGHT) x = fr.right - w;
        else x = fr.left + (room - w) / 2;
    }
    return x;
}

// The top of a line relative to the formatting rectangle (negative above).
int CTextBox::LineTop(HDC hdc, int line, int stopBelow)
{
    RECT fr = FormatRect();
    int y = fr.top;
    if (!Multi()) {
        int h, asc;
        LineMetrics(hdc, 0, 96, &h, &asc);
        return fr.top + std::max(0, (fr.bottom - fr.top - h) / 2);
    }
    if (line >= firstLine) {
        for (int l = firstLine; l < line; ++l) {
            int h, asc;
            LineMetrics(hdc, l, 96, &h, &asc);
            y += h;
            if (y > stopBelow) break;   // far enough to know it is out of view
        }
    } else {
        for (int l = line; l < firstLine; ++l) {
            int h, asc;
            LineMetrics(hdc, l, 96, &h, &asc);
            y -= h;
        }
    }
    return y;
}

POINT CTextBox::PosFromChar(int pos)
{
    pos = std::clamp(pos, 0, doc.Length());
    HDC hdc = GetDC(hwnd);
    const int line = LineFromChar(pos);
    POINT pt{LineX(hdc, line) + Width(hdc, LineStart(line), pos, 96), LineTop(hdc, line)};
    ReleaseDC(hwnd, hdc);
    return pt;
}

int CTextBox::CharFromPos(POINT pt)
{
    HDC hdc = GetDC(hwnd);
    int line = firstLine;
    if (Multi()) {
        RECT fr = FormatRect();
        int y = fr.top;
        line = std::min(firstLine, LineCount() - 1);
        while (line + 1 < LineCount()) {
            int h, asc;
            LineMetrics(hdc, line, 96, &h, &asc);
            if (pt.y < y + h) break;
            y += h;
            ++line;
        }
    } else {
        line = 0;
    }
    int x = LineX(hdc, line);
    int p = LineStart(line);
    const int end = LineEnd(line);
    while (p < end) {
        int n = doc.NextChar(p);
        int w = Width(hdc, p, n, 96);
        if (pt.x < x + w / 2) break;
        x += w;
        p = n;
    }
    ReleaseDC(hwnd, hdc);
    return p;
}

int CTextBox::VisibleLines()
{
    RECT fr = FormatRect();
    HDC hdc = GetDC(hwnd);
    int y = fr.top, n = 0;
    for (int l = firstLine; l < LineCount(); ++l) {
        int h, asc;
        LineMetrics(hdc, l, 96, &h, &asc);
        if (y + h > fr.bottom && n > 0) break;
        y += h;
        ++n;
    }
    ReleaseDC(hwnd, hdc);
    if (n == 0) n = 1;
    return n;
}
