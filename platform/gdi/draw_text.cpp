// DrawText: lines, word breaks, prefixes, tabs, ellipses, alignment and
// CALCRECT, all in logical units over the DC's measuring and TextOut.
#include "platform/gdi/gdi_internal.h"
#include <cstring>

namespace {

struct CLine {
    std::string text;
    int prefixAt = -1;   // byte index of the underlined character, -1 none
};

int Width(HDC hdc, const std::string& s, UINT format, int tabWidth)
{
    if (s.empty()) return 0;
    if (format & DT_EXPANDTABS) {
        int tabs[1] = {tabWidth};
        return LOWORD(GetTabbedTextExtent(hdc, s.data(), (int)s.size(), 1, tabs));
    }
    SIZE sz{0, 0};
    GetTextExtentPoint32(hdc, s.data(), (int)s.size(), &sz);
    return sz.cx;
}

// Removes prefix marks: "&&" is "&", "&x" underlines x.
CLine StripPrefix(const std::string& s, UINT format)
{
    CLine line;
    if (format & DT_NOPREFIX) {
        line.text = s;
        return line;
    }
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '&' && i + 1 < s.size()) {
            i++;
            if (s[i] != '&' && line.prefixAt < 0) line.prefixAt = (int)line.text.size();
        } else if (s[i] == '&') {
            continue;
        }
        line.text += s[i];
    }
    return line;
}

// Byte length of the longest prefix of `s` that fits `width` (at least one
// character), ending after whole UTF-8 characters.
size_t FitBytes(HDC hdc, const std::string& s, int width)
{
    int fit = 0;
    GetTextExtentExPoint(hdc, s.data(), (int)s.size(), width, &fit, nullptr, nullptr);
    return (size_t)fit;
}

void Ellipsize(HDC hdc, CLine& line, int width, UINT format, int tabWidth)
{
    if (Width(hdc, line.text, format, tabWidth) <= width) return;
    const std::string dots = "...";
    int room = width - Width(hdc, dots, format, tabWidth);
    if (format & DT_PATH_ELLIPSIS) {
        size_t slash = line.text.find_last_of("\\/");
        if (slash != std::string::npos && slash > 0) {
            std::string tail = line.text.substr(slash);
            int headRoom = room - Width(hdc, tail, format, tabWidth);
            if (headRoom > 0) {
                std::string head = line.text.substr(0, slash);
                size_t n = FitBytes(hdc, head, headRoom);
                line.text = head.substr(0, n) + dots + tail;
                if (line.prefixAt >= (int)n) line.prefixAt = -1;
                return;
            }
        }
    }
    size_t n = room > 0 ? FitBytes(hdc, line.text, room) : 0;
    if (format & DT_WORD_ELLIPSIS) {
        size_t space = line.text.rfind(' ', n);
        if (space != std::string::npos && space > 0) n = space;
    }
    line.text = line.text.substr(0, n) + dots;
    if (line.prefixAt >= (int)n) line.prefixAt = -1;
}

std::vector<std::string> SplitLines(const std::string& s, UINT format)
{
    std::vector<std::string> out;
    if (format & DT_SINGLELINE) {
        out.push_back(s);
        return out;
    }
    std::string cur;
    for (size_t i = 0; i < s.size(); i++) {
        if (s[i] == '\r' || s[i] == '\n') {
            out.push_back(cur);
            cur.clear();
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') i++;
            continue;
        }
        cur += s[i];
    }
    out.push_back(cur);
    return out;
}

// Breaks a line at spaces so that each piece fits `width`; a word longer than
// the width is broken inside only for edit controls.
std::vector<std::string> WordBreak(HDC hdc, const std::string& s, int width, UINT format, int tabWidth)
{
    std::vector<std::string> out;
    std::string rest = s;
    while (!rest.empty()) {
        if (Width(hdc, rest, format, tabWidth) <= width) {
            out.push_back(rest);
            return out;
        }
        size_t fit = FitBytes(hdc, rest, width);
        size_t cut = std::string::npos;
        for (size_t i = std::min(fit, rest.size() - 1) + 1; i-- > 0;)
            if (rest[i] == ' ' || rest[i] == '\t') {
                cut = i;
                break;
            }
        if (cut == std::string::npos || cut == 0) {
            if (format & DT_EDITCONTROL) {
                cut = std::max<size_t>(fit, 1);
                out.push_back(rest.substr(0, cut));
                rest = rest.substr(cut);
                continue;
            }
            size_t space = rest.find(' ');
            if (space == std::string::npos) {
                out.push_back(rest);
                return out;
            }
            cut = space;
        }
        out.push_back(rest.substr(0, cut));
        size_t next = cut;
        while (next < rest.size() && rest[next] == ' ') next++;
        rest = rest.substr(next);
    }
    if (out.empty()) out.push_back("");
    return out;
}

}   // namespace

int DrawTextEx(HDC hdc, char* text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!rect || (count != 0 && !text)) return 0;
    // Positions are kept where sums of them and text sizes fit an int.
    RECT rc = ClampRect(*rect);
    std::string s = count < 0 ? std::string(text) : std::string(text ? text : "", (size_t)count);
    TEXTMETRIC tm;
    if (!GetTextMetrics(hdc, &tm)) return 0;
    int tabLen = params && params->iTabLength > 0 ? params->iTabLength : 8;
    int tabWidth = tabLen * std::max(1, (int)tm.tmAveCharWidth);
    int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    int left = rc.left + (params ? params->iLeftMargin : 0);
    int right = rc.right - (params ? params->iRightMargin : 0);
    int width = right - left;

    std::vector<CLine> lines;
    for (const std::string& raw : SplitLines(s, format)) {
        CLine whole = StripPrefix(raw, format);
        std::vector<std::string> pieces{whole.text};
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && width > 0)
            pieces = WordBreak(hdc, whole.text, width, format, tabWidth);
        size_t at = 0;
        for (const std::string& p : pieces) {
            CLine l;
            l.text = p;
            size_t start = whole.text.find(p, at);
            if (start == std::string::npos) start = at;
            if (whole.prefixAt >= (int)start && whole.prefixAt < (int)(start + p.size()))
                l.prefixAt = whole.prefixAt - (int)start;
            at = start + p.size();
            lines.push_back(l);
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS))
        for (CLine& l : lines) Ellipsize(hdc, l, width, format, tabWidth);
    if ((format & DT_MODIFYSTRING) && text && count != 0 && lines.size() == 1 && lines[0].text != s) {
        size_t room = count < 0 ? s.size() : (size_t)count;
        size_t n = std::min(room, lines[0].text.size());
        memcpy(text, lines[0].text.data(), n);
        if (count < 0) text[n] = 0;
    }

    int maxWidth = 0;
    for (const CLine& l : lines) maxWidth = std::max(maxWidth, Width(hdc, l.text, format, tabWidth));
    int total = lineHeight * (int)lines.size();
    if (params) params->uiLengthDrawn = (UINT)s.size();
    if (format & DT_CALCRECT) {
        if (!(format & DT_WORDBREAK) || maxWidth > width) rc.right = left + maxWidth + (params ? params->iRightMargin : 0);
        rc.bottom = rc.top + total;
        *rect = rc;
        return total;
    }
    int y = rc.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) y = rc.top + (rc.bottom - rc.top - lineHeight) / 2;
        else if (format & DT_BOTTOM) y = rc.bottom - lineHeight;
    }
    int saved = SaveDC(hdc);
    if (!(format & DT_NOCLIP)) IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
    SetTextAlign(hdc, TA_LEFT | TA_TOP);
    for (const CLine& l : lines) {
        int w = Width(hdc, l.text, format, tabWidth);
        int x = (format & DT_RIGHT) ? right - w : (format & DT_CENTER) ? left + (width - w) / 2 : left;
        if (format & DT_EXPANDTABS) {
            int tabs[1] = {tabWidth};
            TabbedTextOut(hdc, x, y, l.text.data(), (int)l.text.size(), 1, tabs, x);
        } else {
            TextOut(hdc, x, y, l.text.data(), (int)l.text.size());
        }
        if (l.prefixAt >= 0 && !(format & DT_HIDEPREFIX)) {
            int x0 = x + Width(hdc, l.text.substr(0, (size_t)l.prefixAt), format, tabWidth);
            int ulen = 1;
            while (l.prefixAt + ulen < (int)l.text.size() && ((unsigned char)l.text[l.prefixAt + ulen] & 0xC0) == 0x80) ulen++;
            int x1 = x + Width(hdc, l.text.substr(0, (size_t)(l.prefixAt + ulen)), format, tabWidth);
            HGDIOBJ pen = CreatePen(PS_SOLID, 0, GetTextColor(hdc));
            HGDIOBJ old = SelectObject(hdc, pen);
            int saveRop = SetROP2(hdc, R2_COPYPEN);
            MoveToEx(hdc, x0, y + tm.tmAscent + 1, nullptr);
            LineTo(hdc, x1, y + tm.tmAscent + 1);
            SetROP2(hdc, saveRop);
            SelectObject(hdc, old);
            DeleteObject(pen);
        }
        y += lineHeight;
    }
    RestoreDC(hdc, saved);
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) return rc.top + (rc.bottom - rc.top - lineHeight) / 2 - rc.top + total;
        if (format & DT_BOTTOM) return rc.bottom - rc.top;
    }
    return total;
}

int DrawText(HDC hdc, const char* text, int count, RECT* rect, UINT format)
{
    // Never writes back through a const text.
    return DrawTextEx(hdc, const_cast<char*>(text), count, rect, format & ~DT_MODIFYSTRING, nullptr);
}
