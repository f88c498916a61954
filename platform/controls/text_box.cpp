// The edit control and the rich-edit control: one text engine over the text
// model, plain (one format, the window's font) or rich (format runs).
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/controls/control_internal.h"
#include "platform/afx/ole_data.h"
#include "platform/controls/rich_text.h"

namespace {

struct UndoRecord {
    int pos = 0;
    std::string removed;
    std::vector<CRichText::Run> removedRuns;
    std::string inserted;
    std::vector<CRichText::Run> insertedRuns;
    bool typing = false;
};

struct TextBox {
    HWND hwnd = nullptr;
    bool rich = false;
    CRichText doc;
    int anchor = 0, caret = 0;
    int insertFormat = -1;        // -1: the format before the caret
    CCharFormat defaultFormat;
    DWORD eventMask = 0;
    bool readOnly = false;
    int limit = INT_MAX;
    bool modified = false;
    int firstLine = 0;
    int xScroll = 0;
    LONG targetWidth = 0;
    bool hideSel = false;
    bool focused = false;
    bool dragging = false;
    HFONT font = nullptr;
    COLORREF background = 0;
    bool sysBackground = true;
    std::vector<UndoRecord> undo, redo;
    std::map<std::pair<int, int>, HFONT> fonts;   // (format, dpi)
    ~TextBox()
    {
        for (auto& [k, f] : fonts) DeleteObject(f);
    }

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool Multi() const { return rich || (Style() & ES_MULTILINE); }
    int SelMin() const { return std::min(anchor, caret); }
    int SelMax() const { return std::max(anchor, caret); }

    int CurrentInsertFormat() const
    {
        if (insertFormat >= 0) return insertFormat;
        if (!rich) return 0;
        int p = SelMin();
        if (doc.Length() == 0) return const_cast<CRichText&>(doc).Intern(defaultFormat);
        return doc.FormatIndexAt(p > 0 ? p - 1 : 0);
    }

    HFONT FontFor(int format, int dpi)
    {
        if (!rich) return font ? font : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        auto key = std::make_pair(format, dpi);
        auto it = fonts.find(key);
        if (it != fonts.end()) return it->second;
        const CCharFormat& f = doc.Format(format);
        LOGFONT lf{};
        lf.lfHeight = -std::max(1, (int)((long)f.height * dpi / 1440));
        if (f.offset != 0) lf.lfHeight = lf.lfHeight * 2 / 3;   // sub- and superscript are smaller
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
    std::string Shown(int a, int b) const
    {
        if (!rich && (Style() & ES_PASSWORD)) {
            int n = 0;
            for (int p = a; p < b; p = doc.NextChar(p)) ++n;
            return std::string((size_t)n, '*');
        }
        return doc.Text().substr((size_t)a, (size_t)(b - a));
    }

    template <class F>
    void ForEachSegment(int a, int b, F&& fn) const
    {
        if (a >= b) return;
        if (!rich) {
            fn(a, b, 0);
            return;
        }
        for (const auto& r : doc.RunsOf(a, b)) fn(a + r.start, 0, r.format);
    }

    // Segments with explicit ends.
    std::vector<std::tuple<int, int, int>> Segments(int a, int b) const
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

    // Word wrap (rich edit only): at the format rectangle's width with target
    // width 0, at the target width (twips) below 100000, else none. The lines
    // the control shows, scrolls by and answers line queries with are then
    // display lines, rebuilt when the text, its runs or the width change;
    // without wrapping they are the text's own lines (appends stay cheap).
    int WrapWidth() const
    {
        if (!rich) return 0;
        if (targetWidth == 0) {
            RECT fr = FormatRect();
            return std::max(1L, (long)(fr.right - fr.left));
        }
        if (targetWidth > 0 && targetWidth < 100000) return std::max(1, (int)((long)targetWidth * 96 / 1440));
        return 0;
    }
    bool Wrapping() const { return WrapWidth() > 0; }
    mutable std::vector<std::pair<int, int>> wraps;   // start, end (before the "\n" or at the break)
    mutable uint64_t wrapVersion = UINT64_MAX;
    mutable int wrapWidth = -1;
    void EnsureWrap() const
    {
        const int width = WrapWidth();
        if (wrapVersion == doc.Version() && wrapWidth == width && !wraps.empty()) return;
        TextBox* self = const_cast<TextBox*>(this);
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
    int LineCount() const
    {
        if (!Wrapping()) return doc.LineCount();
        EnsureWrap();
        return (int)wraps.size();
    }
    int LineStart(int line) const
    {
        if (!Wrapping()) return doc.LineStart(line);
        EnsureWrap();
        return wraps[(size_t)std::clamp(line, 0, (int)wraps.size() - 1)].first;
    }
    int LineEnd(int line) const
    {
        if (!Wrapping()) return doc.LineEnd(line);
        EnsureWrap();
        return wraps[(size_t)std::clamp(line, 0, (int)wraps.size() - 1)].second;
    }
    int LineFromChar(int pos) const
    {
        if (!Wrapping()) return doc.LineFromChar(pos);
        EnsureWrap();
        auto it = std::upper_bound(wraps.begin(), wraps.end(), pos, [](int p, const std::pair<int, int>& w) { return p < w.first; });
        return std::max(0, (int)(it - wraps.begin()) - 1);
    }

    int Width(HDC hdc, int a, int b, int dpi)
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
    void LineMetrics(HDC hdc, int line, int dpi, int* height, int* ascent)
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

    RECT FormatRect() const
    {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (!rich) InflateRect(&rc, -2, -1);
        else rc.left += 2;
        return rc;
    }

    int LineX(HDC hdc, int line)
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
    int LineTop(HDC hdc, int line, int stopBelow = INT_MAX)
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

    POINT PosFromChar(int pos)
    {
        pos = std::clamp(pos, 0, doc.Length());
        HDC hdc = GetDC(hwnd);
        const int line = LineFromChar(pos);
        POINT pt{LineX(hdc, line) + Width(hdc, LineStart(line), pos, 96), LineTop(hdc, line)};
        ReleaseDC(hwnd, hdc);
        return pt;
    }

    int CharFromPos(POINT pt)
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

    int VisibleLines()
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

    // The horizontal bar of a multi-line edit control that scrolls sideways
    // (WS_HSCROLL with ES_AUTOHSCROLL): the widest line against the room.
    bool HasHBar() const { return !rich && Multi() && (Style() & ES_AUTOHSCROLL) && WantsHScroll(hwnd); }
    int WidestLine()
    {
        HDC hdc = GetDC(hwnd);
        int w = 0;
        for (int l = 0; l < LineCount(); ++l) w = std::max(w, Width(hdc, LineStart(l), LineEnd(l), 96));
        ReleaseDC(hwnd, hdc);
        return w + 2;   // the caret after the last character
    }
    void UpdateHScrollBar()
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
    void HScroll(WPARAM w)
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

    void UpdateScrollBar()
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

    void InvalidateFromLine(int line)
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

    void PlaceCaret()
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

    void ScrollCaretIntoView()
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
    void ScrollDown(int oldFirst)
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

    // A position inside a UTF-8 character moves to its start.
    int Snap(int p) const
    {
        for (int k = 1; k <= 3 && p - k >= 0; ++k) {
            int n = Utf8Length(doc.Text().data() + (p - k), doc.Text().size() - (size_t)(p - k));
            if (n > k) return p - k;
        }
        return p;
    }

    void SetSel(int a, int c)
    {
        const int len = doc.Length();
        a = Snap(std::clamp(a, 0, len));
        c = Snap(std::clamp(c, 0, len));
        if (a == anchor && c == caret) return;
        const int oldMin = SelMin(), oldMax = SelMax();
        anchor = a;
        caret = c;
        insertFormat = -1;
        if (oldMin != oldMax || a != c) InvalidateFromLine(LineFromChar(std::min(oldMin, SelMin())));
        PlaceCaret();
        NotifySelection();
    }

    // EN_SELCHANGE when the mask asks for it and the selection moved.
    int notifiedMin = 0, notifiedMax = 0;
    void NotifySelection()
    {
        if (!rich || !(eventMask & ENM_SELCHANGE)) return;
        if (SelMin() == notifiedMin && SelMax() == notifiedMax) return;
        notifiedMin = SelMin();
        notifiedMax = SelMax();
        SELCHANGE sc{};
        sc.chrg = CHARRANGE{notifiedMin, notifiedMax};
        sc.seltyp = notifiedMin == notifiedMax ? SEL_EMPTY : SEL_TEXT;
        NotifyParent(hwnd, &sc.nmhdr, EN_SELCHANGE);
    }

    void NotifyChange()
    {
        if (!rich || (eventMask & ENM_CHANGE)) NotifyParentCommand(hwnd, EN_CHANGE);
    }

    // Whether an edit of [a, b) inserting `ins` bytes touches protected text.
    bool TouchesProtected(int a, int b, bool inserting) const
    {
        if (!rich) return false;
        if (doc.AnyProtected(a, b)) return true;
        if (inserting && a > 0 && b < doc.Length()) {
            const bool before = doc.Format(doc.FormatIndexAt(a - 1)).effects & CFE_PROTECTED;
            const bool after = doc.Format(doc.FormatIndexAt(b)).effects & CFE_PROTECTED;
            return before && after;
        }
        return false;
    }

    // EN_PROTECTED: true when the edit may go ahead.
    bool MayEditProtected(int a, int b, UINT msg, WPARAM w, LPARAM l)
    {
        if (!(eventMask & ENM_PROTECTED)) return false;
        ENPROTECTED en{};
        en.msg = msg;
        en.wParam = w;
        en.lParam = l;
        en.chrg = CHARRANGE{a, b};
        return NotifyParent(hwnd, &en.nmhdr, EN_PROTECTED) == 0;
    }

    // The one place text changes. A user edit is refused when read-only or
    // (rich) when it touches protected text without the parent's leave.
    bool Edit(int a, int b, std::string text, bool user, bool canUndo, UINT msg = 0, WPARAM w = 0, LPARAM l = 0,
              int format = -1, bool typing = false)
    {
        a = std::clamp(a, 0, doc.Length());
        b = std::clamp(b, a, doc.Length());
        if (!Multi()) {
            size_t nl = text.find('\n');
            if (nl != std::string::npos) text.resize(nl);
        }
        if (user) {
            if (readOnly) return false;
            if (TouchesProtected(a, b, !text.empty()) && !MayEditProtected(a, b, msg, w, l)) return false;
        }
        // The limit: what does not fit is cut at a whole character.
        const long room = (long)limit - (doc.Length() - (b - a));
        if ((long)text.size() > room) {
            size_t keep = (size_t)std::max(0L, room);
            while (keep > 0 && keep < text.size() && ((unsigned char)text[keep] & 0xC0) == 0x80) --keep;
            text.resize(keep);
            NotifyParentCommand(hwnd, EN_MAXTEXT);
            if (text.empty() && a == b) return false;
        }
        if (format < 0) format = CurrentInsertFormat();
        UndoRecord rec;
        rec.pos = a;
        rec.removed = doc.Text().substr((size_t)a, (size_t)(b - a));
        rec.removedRuns = doc.RunsOf(a, b);
        rec.inserted = text;
        rec.typing = typing;
        const int line = LineFromChar(a);
        doc.Replace(a, b, text, format);
        rec.insertedRuns = doc.RunsOf(a, a + (int)text.size());
        if (canUndo) {
            redo.clear();
            UndoRecord* last = undo.empty() ? nullptr : &undo.back();
            if (typing && last && last->typing && last->removed.empty() && rec.removed.empty() &&
                last->pos + (int)last->inserted.size() == a) {
                last->inserted += text;
                last->insertedRuns = doc.RunsOf(last->pos, last->pos + (int)last->inserted.size());
            } else {
                undo.push_back(std::move(rec));
                if (undo.size() > 100) undo.erase(undo.begin());
            }
        } else if (!user) {
            // Program edits that cannot be undone break the chain.
        }
        anchor = caret = a + (int)text.size();
        insertFormat = -1;
        modified = true;
        if (firstLine >= LineCount()) firstLine = std::max(0, LineCount() - 1);
        UpdateScrollBar();
        // A program edit with the selection hidden leaves the view where it is
        // (output appended while the user reads further up).
        if (user || !hideSel) ScrollCaretIntoView();
        InvalidateFromLine(line);
        PlaceCaret();
        NotifyChange();
        NotifySelection();
        return true;
    }

    bool UndoRedo(bool isRedo)
    {
        auto& from = isRedo ? redo : undo;
        auto& to = isRedo ? undo : redo;
        if (from.empty()) return false;
        UndoRecord rec = from.back();
        // Undo takes out what was inserted and puts back what was removed.
        const std::string& out = isRedo ? rec.removed : rec.inserted;
        const std::string& back = isRedo ? rec.inserted : rec.removed;
        const auto& backRuns = isRedo ? rec.insertedRuns : rec.removedRuns;
        const int a = rec.pos, b = rec.pos + (int)out.size();
        if (readOnly) return false;
        if (TouchesProtected(a, b, !back.empty()) && !MayEditProtected(a, b, isRedo ? EM_REDO : EM_UNDO, 0, 0))
            return false;
        for (const auto& r : backRuns)
            if (rich && (doc.Format(r.format).effects & CFE_PROTECTED) && a > 0 && a < doc.Length() &&
                TouchesProtected(a, a, true) && !MayEditProtected(a, b, EM_UNDO, 0, 0))
                return false;
        from.pop_back();
        const int line = LineFromChar(a);
        doc.Replace(a, b, back, backRuns.empty() ? CurrentInsertFormat() : backRuns[0].format);
        if (rich) doc.SetRuns(a, a + (int)back.size(), backRuns);
        to.push_back(rec);
        anchor = caret = a + (int)back.size();
        modified = true;
        InvalidateFromLine(line);
        UpdateScrollBar();
        ScrollCaretIntoView();
        PlaceCaret();
        NotifyChange();
        return true;
    }

    std::string CrLf(int a, int b) const
    {
        std::string out;
        for (int i = a; i < b; ++i) {
            char c = doc.Text()[(size_t)i];
            if (c == '\n') out += "\r\n";
            else out += c;
        }
        return out;
    }

    void Copy()
    {
        if (SelMin() == SelMax() || (!rich && (Style() & ES_PASSWORD))) return;
        if (!OpenClipboard(hwnd)) return;
        EmptyClipboard();
        auto put = [](UINT fmt, const std::string& s) {
            HGLOBAL g = GlobalAlloc(0, s.size() + 1);
            char* p = (char*)GlobalLock(g);
            memcpy(p, s.data(), s.size());
            p[s.size()] = '\0';
            GlobalUnlock(g);
            SetClipboardData(fmt, g);
        };
        put(CF_TEXT, CrLf(SelMin(), SelMax()));
        if (rich) put(RegisterClipboardFormat(CF_RTF_NAME), WriteRtf(doc, SelMin(), SelMax()));
        CloseClipboard();
    }

    // A press inside the selection: the in-process drag loop with the
    // selection as text and RTF. A move takes the text away here (a user edit,
    // so protection holds); a press released in place is a plain click.
    // False when the press should be handled as a click after all.
    bool dragSource = false;
    int droppedAt = -1, droppedLength = 0;
    bool DragSelectionOut(int pressed)
    {
        const int a = SelMin(), b = SelMax();
        COleDataSource source;
        source.CacheData(CF_TEXT, CrLf(a, b));
        source.CacheData(RegisterClipboardFormat(CF_RTF_NAME), WriteRtf(doc, a, b));
        POINT start{};
        GetCursorPos(&start);
        dragSource = true;
        droppedAt = -1;
        droppedLength = 0;
        const DROPEFFECT allowed = readOnly ? DROPEFFECT_COPY : (DROPEFFECT_COPY | DROPEFFECT_MOVE);
        const HWND self = hwnd;
        const DROPEFFECT effect = source.DoDragDrop(allowed);
        if (!IsWindow(self)) return true;   // destroyed during the drag: this state is gone
        dragSource = false;
        if (effect == DROPEFFECT_NONE) {
            POINT end{};
            GetCursorPos(&end);
            const bool click = std::abs(end.x - start.x) <= GetSystemMetrics(SM_CXDRAG) &&
                               std::abs(end.y - start.y) <= GetSystemMetrics(SM_CYDRAG);
            if (click) SetSel(pressed, pressed);
            return true;
        }
        if (effect & DROPEFFECT_MOVE) {
            // Dropped into this control before the text: it moved along.
            const int shift = droppedAt >= 0 && droppedAt <= a ? droppedLength : 0;
            const int keepA = droppedAt, keepB = droppedAt + droppedLength;
            if (Edit(a + shift, b + shift, "", true, true, WM_LBUTTONUP)) {
                if (keepA >= 0) {
                    const int back = keepA > a ? b - a : 0;
                    SetSel(keepA - back, keepB - back);
                }
            }
        }
        droppedAt = -1;
        return true;
    }

    void Paste()
    {
        if (!OpenClipboard(hwnd)) return;
        const UINT rtf = RegisterClipboardFormat(CF_RTF_NAME);
        CRtfContent content;
        bool haveRtf = false;
        std::string text;
        if (rich && IsClipboardFormatAvailable(rtf))
            haveRtf = ReadRtf(ClipboardBlockBytes(GetClipboardData(rtf)), doc.Format(CurrentInsertFormat()), &content);
        if (!haveRtf) text = NormaliseLineEnds(ClipboardBlockBytes(GetClipboardData(CF_TEXT)));
        CloseClipboard();
        const int a = SelMin();
        if (haveRtf) {
            if (Edit(a, SelMax(), content.text, true, true, WM_PASTE)) ApplyRuns(a, content);
        } else {
            Edit(a, SelMax(), text, true, true, WM_PASTE);
        }
    }

    void ApplyRuns(int a, const CRtfContent& c)
    {
        std::vector<CRichText::Run> rel;
        for (size_t i = 0; i < c.formats.size(); ++i) rel.push_back(CRichText::Run{c.runStarts[i], doc.Intern(c.formats[i])});
        doc.SetRuns(a, a + (int)c.text.size(), rel);
        if (!undo.empty() && undo.back().pos == a) undo.back().insertedRuns = doc.RunsOf(a, a + (int)c.text.size());
        InvalidateFromLine(LineFromChar(a));
    }

    void Paint(HDC hdc)
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
            y += h;
        }
        SetTextColor(hdc, textColour);
    }

    int WordStart(int p) const
    {
        const std::string& t = doc.Text();
        while (p > 0 && (std::isalnum((unsigned char)t[(size_t)p - 1]) || (unsigned char)t[(size_t)p - 1] >= 0x80 ||
                         t[(size_t)p - 1] == '_'))
            --p;
        return p;
    }
    int WordEnd(int p) const
    {
        const std::string& t = doc.Text();
        while (p < doc.Length() && (std::isalnum((unsigned char)t[(size_t)p]) || (unsigned char)t[(size_t)p] >= 0x80 ||
                                    t[(size_t)p] == '_'))
            ++p;
        return p;
    }

    void KeyDown(UINT vk)
    {
        const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
        int c = caret;
        const int line = LineFromChar(caret);
        switch (vk) {
        case VK_LEFT:
            if (!shift && SelMin() != SelMax()) c = SelMin();
            else c = ctrl ? WordStart(doc.PrevChar(c)) : doc.PrevChar(c);
            break;
        case VK_RIGHT:
            if (!shift && SelMin() != SelMax()) c = SelMax();
            else c = ctrl ? WordEnd(doc.NextChar(c)) : doc.NextChar(c);
            break;
        case VK_HOME: c = ctrl ? 0 : LineStart(line); break;
        case VK_END: c = ctrl ? doc.Length() : LineEnd(line); break;
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT: {
            if (!Multi()) return;
            int step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max(1, VisibleLines() - 1);
            int target = std::clamp(line + ((vk == VK_UP || vk == VK_PRIOR) ? -step : step), 0, LineCount() - 1);
            POINT pt = PosFromChar(caret);
            HDC hdc = GetDC(hwnd);
            int x = pt.x - LineX(hdc, line);
            int p = LineStart(target), acc = 0;
            while (p < LineEnd(target)) {
                int n = doc.NextChar(p);
                int w = Width(hdc, p, n, 96);
                if (acc + w / 2 > x) break;
                acc += w;
                p = n;
            }
            ReleaseDC(hwnd, hdc);
            c = p;
            break;
        }
        case VK_DELETE:
            if (shift) {
                Copy();
                Edit(SelMin(), SelMax(), "", true, true, WM_KEYDOWN, vk);
            } else if (SelMin() != SelMax()) {
                Edit(SelMin(), SelMax(), "", true, true, WM_KEYDOWN, vk);
            } else if (caret < doc.Length()) {
                Edit(caret, doc.NextChar(caret), "", true, true, WM_KEYDOWN, vk);
            }
            return;
        case VK_INSERT:
            if (ctrl) Copy();
            else if (shift) Paste();
            return;
        default: return;
        }
        SetSel(shift ? anchor : c, c);
        ScrollCaretIntoView();
    }

    void Char(uint32_t cp)
    {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        switch (cp) {
        case 1: SetSel(0, doc.Length()); return;
        case 3: Copy(); return;
        case 22: Paste(); return;
        case 24:
            Copy();
            Edit(SelMin(), SelMax(), "", true, true, WM_CUT);
            return;
        case 26: UndoRedo(false); return;
        case 25: UndoRedo(true); return;
        case 8:
            if (SelMin() != SelMax()) Edit(SelMin(), SelMax(), "", true, true, WM_CHAR, cp);
            else if (caret > 0) Edit(doc.PrevChar(caret), caret, "", true, true, WM_CHAR, cp);
            return;
        case 13:
            if (!Multi()) return;
            if (!rich && !(Style() & ES_WANTRETURN) && GetParent(hwnd) && ctrl) return;
            Edit(SelMin(), SelMax(), "\n", true, true, WM_CHAR, cp, 0, -1, true);
            return;
        case 9:
            if (!Multi()) return;
            Edit(SelMin(), SelMax(), "\t", true, true, WM_CHAR, cp, 0, -1, true);
            return;
        default: break;
        }
        if (cp < 32 || cp == 127) return;
        if (!rich && (Style() & ES_NUMBER) && (cp < '0' || cp > '9')) {
            return;
        }
        Edit(SelMin(), SelMax(), EncodeUtf8(cp), true, true, WM_CHAR, cp, 0, -1, true);
    }

    void ContextMenu(LPARAM l)
    {
        HMENU m = CreatePopupMenu();
        const bool sel = SelMin() != SelMax();
        AppendMenu(m, undo.empty() || readOnly ? MF_GRAYED : MF_STRING, WM_UNDO, "&Undo");
        AppendMenu(m, MF_SEPARATOR, 0, nullptr);
        AppendMenu(m, sel && !readOnly ? MF_STRING : MF_GRAYED, WM_CUT, "Cu&t");
        AppendMenu(m, sel ? MF_STRING : MF_GRAYED, WM_COPY, "&Copy");
        AppendMenu(m, !readOnly && IsClipboardFormatAvailable(CF_TEXT) ? MF_STRING : MF_GRAYED, WM_PASTE, "&Paste");
        AppendMenu(m, sel && !readOnly ? MF_STRING : MF_GRAYED, WM_CLEAR, "&Delete");
        AppendMenu(m, MF_SEPARATOR, 0, nullptr);
        AppendMenu(m, doc.Length() ? MF_STRING : MF_GRAYED, 1, "Select &All");
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        if (l == -1) {
            pt = PosFromChar(caret);
            ClientToScreen(hwnd, &pt);
        }
        UINT cmd = (UINT)TrackPopupMenu(m, TPM_RETURNCMD, pt.x, pt.y, 0, hwnd, nullptr);
        DestroyMenu(m);
        if (cmd == 1) SetSel(0, doc.Length());
        else if (cmd) SendMessage(hwnd, cmd, 0, 0);
    }

    // Lays out [from, to) into a rectangle of the DC (device units); returns
    // the first character not placed; always places at least one line, and
    // each line at least one character.
    int FormatRange(HDC hdc, RECT r, int from, int to, bool render)
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
};

std::string StreamReadAll(EDITSTREAM* es)
{
    std::string all;
    BYTE buf[4096];
    for (;;) {
        LONG got = 0;
        DWORD err = es->pfnCallback(es->dwCookie, buf, (LONG)sizeof buf, &got);
        if (err) {
            es->dwError = err;
            break;
        }
        if (got <= 0) break;
        all.append((const char*)buf, (size_t)std::min<LONG>(got, (LONG)sizeof buf));
        if (all.size() > (size_t)1 << 30) break;
    }
    return all;
}

LRESULT TextBoxProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l, bool rich)
{
    TextBox* tb = ControlState<TextBox>(hwnd);
    if (!tb) {
        if (msg == WM_NCCREATE) {
        NoteScrollStyle(hwnd, (const CREATESTRUCT*)l);
            tb = new TextBox;
            tb->hwnd = hwnd;
            tb->rich = rich;
            if (rich) tb->limit = INT_MAX;
            else tb->limit = 0x7FFFFFFE;
            SetWindowLongPtr(hwnd, 0, (LONG_PTR)tb);
            const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
            tb->readOnly = (cs->style & ES_READONLY) != 0;
            tb->doc.Replace(0, 0, "", tb->doc.Intern(tb->defaultFormat));
            return TRUE;
        }
        return DefWindowProc(hwnd, msg, w, l);
    }
    if (HandlePaintMessage(hwnd, msg, w, [&](HDC hdc) { tb->Paint(hdc); })) return 0;
    switch (msg) {
    case WM_CREATE: {
        const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
        if (cs->lpszName && *cs->lpszName) {
            std::string t = NormaliseLineEnds(cs->lpszName);
            tb->doc.Replace(0, 0, tb->Multi() ? t : t.substr(0, t.find('\n')), tb->doc.Intern(tb->defaultFormat));
        }
        tb->UpdateScrollBar();
        return 0;
    }
    case WM_NCDESTROY:
        NoteScrollStyle(hwnd, nullptr);
        DeleteControlState(hwnd, tb);
        return DefWindowProc(hwnd, msg, w, l);
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (tb->Multi()) code |= DLGC_WANTALLKEYS;
        // Tab and Esc still move through and close a dialog.
        const MSG* m = (const MSG*)l;
        if (m && m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_ESCAPE)) code &= ~DLGC_WANTALLKEYS;
        if (m && tb->Multi() && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && !tb->rich &&
            !(tb->Style() & ES_WANTRETURN))
            code &= ~DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETFONT:
        tb->font = (HFONT)w;
        if (LOWORD(l)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return (LRESULT)tb->font;
    case WM_SETTEXT: {
        std::string t = NormaliseLineEnds(l ? (const char*)l : "");
        tb->doc.Replace(0, tb->doc.Length(), "", tb->doc.Intern(tb->defaultFormat));
        tb->doc.Replace(0, 0, tb->Multi() ? t : t.substr(0, t.find('\n')), tb->doc.Intern(tb->defaultFormat));
        tb->anchor = tb->caret = 0;
        tb->firstLine = 0;
        tb->xScroll = 0;
        tb->undo.clear();
        tb->redo.clear();
        tb->modified = false;
        tb->insertFormat = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        tb->UpdateScrollBar();
        tb->PlaceCaret();
        tb->NotifyChange();
        return TRUE;
    }
    case WM_GETTEXT: {
        if (w == 0 || !l) return 0;
        const std::string& t = tb->doc.Text();
        size_t n = std::min(t.size(), (size_t)w - 1);
        memcpy((char*)l, t.data(), n);
        ((char*)l)[n] = '\0';
        return (LRESULT)n;
    }
    case WM_GETTEXTLENGTH: return tb->doc.Length();
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
        tb->focused = true;
        tb->PlaceCaret();
        if (tb->SelMin() != tb->SelMax()) InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParentCommand(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        tb->focused = false;
        DestroyCaret();
        if (tb->SelMin() != tb->SelMax()) InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParentCommand(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN: tb->KeyDown((UINT)w); return 0;
    case WM_CHAR:
    case WM_IME_CHAR: tb->Char((uint32_t)w); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        int p = tb->CharFromPos(pt);
        if (msg == WM_LBUTTONDBLCLK) {
            tb->SetSel(tb->WordStart(p), tb->WordEnd(p));
            return 0;
        }
        if (tb->rich && !(w & MK_SHIFT) && tb->SelMin() < tb->SelMax() && p >= tb->SelMin() && p < tb->SelMax() &&
            tb->DragSelectionOut(p))
            return 0;
        tb->SetSel((w & MK_SHIFT) ? tb->anchor : p, p);
        tb->dragging = true;
        SetCapture(hwnd);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (tb->dragging) {
            POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
            tb->SetSel(tb->anchor, tb->CharFromPos(pt));
            tb->ScrollCaretIntoView();
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (tb->dragging) {
            tb->dragging = false;
            if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        }
        return 0;
    case WM_CONTEXTMENU: tb->ContextMenu(l); return 0;
    case WM_HSCROLL: tb->HScroll(w); return 0;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL: {
        int delta;
        if (msg == WM_MOUSEWHEEL) delta = -GET_WHEEL_DELTA_WPARAM(w) / 40;
        else {
            switch (LOWORD(w)) {
            case SB_TOP: delta = -tb->firstLine; break;
            case SB_BOTTOM: delta = tb->LineCount(); break;
            default: delta = ScrolledLine(hwnd, w, tb->firstLine, tb->VisibleLines()) - tb->firstLine;
            }
        }
        SendMessage(hwnd, EM_LINESCROLL, 0, delta);
        return 0;
    }
    case WM_COPY: tb->Copy(); return 0;
    case WM_CUT:
        tb->Copy();
        tb->Edit(tb->SelMin(), tb->SelMax(), "", true, true, WM_CUT);
        return 0;
    case WM_PASTE: tb->Paste(); return 0;
    case WM_CLEAR: tb->Edit(tb->SelMin(), tb->SelMax(), "", true, true, WM_CLEAR); return 0;
    case WM_UNDO:
    case EM_UNDO: return tb->UndoRedo(false);
    case EM_REDO: return tb->UndoRedo(true);
    case EM_DROPTEXT: {
        const int at = std::clamp((int)(intptr_t)w, 0, tb->doc.Length());
        // Our own selection dropped inside itself: nothing to do.
        if (tb->dragSource && at > tb->SelMin() && at < tb->SelMax()) return FALSE;
        std::string t = NormaliseLineEnds(l ? (const char*)l : "");
        if (t.empty() || !tb->Edit(at, at, t, true, true, EM_DROPTEXT, w, l)) return FALSE;
        if (tb->dragSource) {
            tb->droppedAt = at;
            tb->droppedLength = (int)t.size();
        }
        tb->SetSel(at, at + (int)t.size());
        return TRUE;
    }
    case EM_CANUNDO: return !tb->undo.empty();
    case EM_CANREDO: return !tb->redo.empty();
    case EM_EMPTYUNDOBUFFER:
        tb->undo.clear();
        tb->redo.clear();
        return 0;
    case EM_GETSEL:
        if (w) *(DWORD*)w = (DWORD)tb->SelMin();
        if (l) *(DWORD*)l = (DWORD)tb->SelMax();
        return MAKELONG(std::min(tb->SelMin(), 0xFFFF), std::min(tb->SelMax(), 0xFFFF));
    case EM_SETSEL: {
        int a = (int)(intptr_t)w, b = (int)(intptr_t)l;
        if (a == -1) {
            tb->SetSel(tb->caret, tb->caret);
            return 0;
        }
        if (b == -1 || b > tb->doc.Length()) b = tb->doc.Length();
        tb->SetSel(a, b);
        tb->ScrollCaretIntoView();
        return 0;
    }
    case EM_EXGETSEL: {
        CHARRANGE* cr = (CHARRANGE*)l;
        if (cr) *cr = CHARRANGE{tb->SelMin(), tb->SelMax()};
        return 0;
    }
    case EM_EXSETSEL: {
        const CHARRANGE* cr = (const CHARRANGE*)l;
        if (!cr) return tb->SelMax();
        int a = cr->cpMin, b = cr->cpMax;
        if (b < 0 || b > tb->doc.Length()) b = tb->doc.Length();
        if (a < 0) a = b;
        tb->SetSel(a, b);
        return tb->SelMax();
    }
    case EM_REPLACESEL: {
        std::string t = NormaliseLineEnds(l ? (const char*)l : "");
        tb->Edit(tb->SelMin(), tb->SelMax(), t, false, w != 0);
        return 0;
    }
    case EM_GETLINECOUNT: return tb->LineCount();
    case EM_LINEINDEX: {
        int line = (int)(intptr_t)w;
        if (line < 0) line = tb->LineFromChar(tb->caret);
        if (line >= tb->LineCount()) return -1;
        return tb->LineStart(line);
    }
    case EM_LINELENGTH: {
        int p = (int)(intptr_t)w;
        if (p < 0) p = tb->caret;
        if (p > tb->doc.Length()) return 0;
        int line = tb->LineFromChar(p);
        return tb->LineEnd(line) - tb->LineStart(line);
    }
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: {
        int p = (int)(intptr_t)(msg == EM_EXLINEFROMCHAR ? l : (LPARAM)w);
        if (p < 0) p = tb->caret;
        return tb->LineFromChar(std::min(p, tb->doc.Length()));
    }
    case EM_GETLINE: {
        int line = (int)w;
        char* buf = (char*)l;
        if (!buf || line < 0 || line >= tb->LineCount()) return 0;
        WORD size;
        memcpy(&size, buf, sizeof size);
        const int a = tb->LineStart(line), b = tb->LineEnd(line);
        int n = std::min(b - a, (int)size);
        memcpy(buf, tb->doc.Text().data() + a, (size_t)n);
        return n;
    }
    case EM_GETFIRSTVISIBLELINE: return tb->Multi() ? tb->firstLine : 0;
    case EM_LINESCROLL: {
        int target = std::clamp(tb->firstLine + (int)l, 0, std::max(0, tb->LineCount() - 1));
        tb->xScroll = std::max(0, tb->xScroll + (int)(intptr_t)w * 8);
        if (target != tb->firstLine || w) {
            const int oldFirst = tb->firstLine;
            tb->firstLine = target;
            tb->UpdateScrollBar();
            // A few lines down with nothing else pending (output following the
            // end): move the pixels and paint only the lines that come into view.
            RECT pending;
            if (w == 0 && target > oldFirst && target - oldFirst < tb->VisibleLines() && !GetUpdateRect(hwnd, &pending, FALSE))
                tb->ScrollDown(oldFirst);
            else
                InvalidateRect(hwnd, nullptr, TRUE);
            tb->PlaceCaret();
        }
        return TRUE;
    }
    case EM_SCROLL: {
        int d = 0;
        switch (w) {
        case SB_LINEUP: d = -1; break;
        case SB_LINEDOWN: d = 1; break;
        case SB_PAGEUP: d = -tb->VisibleLines(); break;
        case SB_PAGEDOWN: d = tb->VisibleLines(); break;
        default: return 0;
        }
        int before = tb->firstLine;
        SendMessage(hwnd, EM_LINESCROLL, 0, d);
        return MAKELONG((WORD)(tb->firstLine - before), 1);
    }
    case EM_SCROLLCARET: tb->ScrollCaretIntoView(); return 0;
    case EM_GETMODIFY: return tb->modified;
    case EM_SETMODIFY: tb->modified = w != 0; return 0;
    case EM_SETREADONLY: {
        tb->readOnly = w != 0;
        DWORD st = tb->Style();
        SetWindowLongPtr(hwnd, GWL_STYLE, (LONG_PTR)(w ? (st | ES_READONLY) : (st & ~ES_READONLY)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case EM_LIMITTEXT:
    case EM_EXLIMITTEXT: {
        long v = (long)(msg == EM_EXLIMITTEXT ? l : (LPARAM)w);
        tb->limit = v <= 0 ? (tb->rich ? 32767 : 0x7FFFFFFE) : (int)std::min(v, (long)INT_MAX);
        return 0;
    }
    case EM_GETLIMITTEXT: return tb->limit;
    case EM_POSFROMCHAR: {
        if (tb->rich) {
            POINT* out = (POINT*)w;
            int p = (int)l;
            POINT pt = tb->PosFromChar(p);
            if (out) *out = pt;
            return 0;
        }
        int p = (int)w;
        if (p < 0 || p > tb->doc.Length()) return -1;
        POINT pt = tb->PosFromChar(p);
        return MAKELONG((WORD)(short)pt.x, (WORD)(short)pt.y);
    }
    case EM_CHARFROMPOS: {
        POINT pt;
        if (tb->rich && l) pt = *(const POINT*)l;
        else pt = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        int p = tb->CharFromPos(pt);
        if (tb->rich) return p;
        return MAKELONG((WORD)std::min(p, 0xFFFF), (WORD)std::min(tb->LineFromChar(p), 0xFFFF));
    }
    case EM_GETRECT: {
        if (l) *(RECT*)l = tb->FormatRect();
        return 0;
    }
    // --- rich edit ----------------------------------------------------------
    case EM_SETEVENTMASK: {
        DWORD old = tb->eventMask;
        tb->eventMask = (DWORD)l;
        return old;
    }
    case EM_GETEVENTMASK: return tb->eventMask;
    case EM_SETTARGETDEVICE:
        if (tb->targetWidth != (LONG)l) {
            tb->targetWidth = (LONG)l;
            tb->xScroll = 0;
            tb->firstLine = std::clamp(tb->firstLine, 0, std::max(0, tb->LineCount() - 1));
            tb->UpdateScrollBar();
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return TRUE;
    case EM_HIDESELECTION:
        tb->hideSel = w != 0;
        if (tb->SelMin() != tb->SelMax()) InvalidateRect(hwnd, nullptr, TRUE);   // an empty one shows nothing
        return 0;
    case EM_SETOPTIONS: {
        DWORD opts = (tb->readOnly ? ECO_READONLY : 0) | (tb->hideSel ? 0 : ECO_NOHIDESEL);
        switch (w) {
        case ECOOP_SET: opts = (DWORD)l; break;
        case ECOOP_OR: opts |= (DWORD)l; break;
        case ECOOP_AND: opts &= (DWORD)l; break;
        default: break;
        }
        tb->readOnly = (opts & ECO_READONLY) != 0;
        tb->hideSel = !(opts & ECO_NOHIDESEL);
        return opts;
    }
    case EM_GETOPTIONS: return (tb->readOnly ? ECO_READONLY : 0) | (tb->hideSel ? 0 : ECO_NOHIDESEL);
    case EM_SETBKGNDCOLOR: {
        COLORREF old = tb->sysBackground ? GetSysColor(COLOR_WINDOW) : tb->background;
        tb->sysBackground = w != 0;
        tb->background = (COLORREF)l;
        InvalidateRect(hwnd, nullptr, TRUE);
        return old;
    }
    case EM_SETCHARFORMAT: {
        const CHARFORMAT* cf = (const CHARFORMAT*)l;
        if (!cf) return 0;
        if (w == SCF_DEFAULT) {
            ApplyCharFormat(tb->defaultFormat, *cf);
            if (tb->doc.Length() == 0) tb->doc.Replace(0, 0, "", tb->doc.Intern(tb->defaultFormat));
            if (tb->doc.Length() == 0) {
                CHARFORMAT all = ToCharFormat(tb->defaultFormat);
                tb->doc.ApplyFormat(0, 0, all);
            }
            tb->insertFormat = -1;
            if (tb->doc.Length() == 0) tb->insertFormat = tb->doc.Intern(tb->defaultFormat);
            tb->fonts.clear();
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        int a = tb->SelMin(), b = tb->SelMax();
        if (w & SCF_ALL) a = 0, b = tb->doc.Length();
        else if ((w & SCF_WORD) && a == b) a = tb->WordStart(a), b = tb->WordEnd(b);
        if (a == b) {
            CCharFormat f = tb->doc.Format(tb->CurrentInsertFormat());
            ApplyCharFormat(f, *cf);
            tb->insertFormat = tb->doc.Intern(f);
            return TRUE;
        }
        tb->doc.ApplyFormat(a, b, *cf);
        if (w & SCF_ALL) {
            CCharFormat f = tb->doc.Format(tb->CurrentInsertFormat());
            ApplyCharFormat(f, *cf);
            tb->insertFormat = tb->doc.Intern(f);
        }
        tb->InvalidateFromLine(tb->LineFromChar(a));
        return TRUE;
    }
    case EM_GETCHARFORMAT: {
        CHARFORMAT* cf = (CHARFORMAT*)l;
        if (!cf) return 0;
        if (w == SCF_DEFAULT) *cf = ToCharFormat(tb->defaultFormat);
        else if (tb->SelMin() == tb->SelMax()) *cf = ToCharFormat(tb->doc.Format(tb->CurrentInsertFormat()));
        else *cf = tb->doc.CommonFormat(tb->SelMin(), tb->SelMax());
        return cf->dwMask;
    }
    case EM_GETTEXTRANGE: {
        TEXTRANGE* tr = (TEXTRANGE*)l;
        if (!tr || !tr->lpstrText) return 0;
        int a = std::clamp(tr->chrg.cpMin, 0, tb->doc.Length());
        int b = tr->chrg.cpMax < 0 ? tb->doc.Length() : std::clamp(tr->chrg.cpMax, a, tb->doc.Length());
        memcpy(tr->lpstrText, tb->doc.Text().data() + a, (size_t)(b - a));
        tr->lpstrText[b - a] = '\0';
        return b - a;
    }
    case EM_GETSELTEXT: {
        char* out = (char*)l;
        if (!out) return 0;
        const int n = tb->SelMax() - tb->SelMin();
        memcpy(out, tb->doc.Text().data() + tb->SelMin(), (size_t)n);
        out[n] = '\0';
        return n;
    }
    case EM_FINDTEXT:
    case EM_FINDTEXTEX: {
        FINDTEXTEX* ft = (FINDTEXTEX*)l;
        if (!ft || !ft->lpstrText) return -1;
        const std::string needle = ft->lpstrText;
        const std::string& hay = tb->doc.Text();
        const int len = tb->doc.Length();
        int lo = std::clamp(ft->chrg.cpMin, 0, len);
        int hi = ft->chrg.cpMax < 0 ? len : std::clamp(ft->chrg.cpMax, 0, len);
        const bool down = (w & FR_DOWN) != 0;
        if (!down && hi < lo) std::swap(lo, hi);   // searching up: cpMin is the start, cpMax the limit
        if (!down && ft->chrg.cpMax >= 0 && ft->chrg.cpMax < ft->chrg.cpMin) {
            lo = std::clamp(ft->chrg.cpMax, 0, len);
            hi = std::clamp(ft->chrg.cpMin, 0, len);
        }
        auto fold = [&](char c) {
            return (w & FR_MATCHCASE) ? c : (char)((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
        };
        auto wordChar = [](char c) { return std::isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80; };
        auto matchAt = [&](int p) {
            if (p + (int)needle.size() > hi) return false;
            for (size_t k = 0; k < needle.size(); ++k)
                if (fold(hay[(size_t)p + k]) != fold(needle[k])) return false;
            if (w & FR_WHOLEWORD) {
                if (p > 0 && wordChar(hay[(size_t)p - 1])) return false;
                int e = p + (int)needle.size();
                if (e < len && wordChar(hay[(size_t)e])) return false;
            }
            return true;
        };
        if (needle.empty()) return -1;
        int found = -1;
        if (down) {
            for (int p = lo; p + (int)needle.size() <= hi; ++p)
                if (matchAt(p)) {
                    found = p;
                    break;
                }
        } else {
            for (int p = hi - (int)needle.size(); p >= lo; --p)
                if (matchAt(p)) {
                    found = p;
                    break;
                }
        }
        if (found >= 0 && msg == EM_FINDTEXTEX) ft->chrgText = CHARRANGE{found, found + (LONG)needle.size()};
        return found;
    }
    case EM_STREAMOUT: {
        EDITSTREAM* es = (EDITSTREAM*)l;
        if (!es || !es->pfnCallback) return 0;
        int a = 0, b = tb->doc.Length();
        if (w & SFF_SELECTION) a = tb->SelMin(), b = tb->SelMax();
        std::string out = (w & SF_RTF) ? WriteRtf(tb->doc, a, b) : tb->CrLf(a, b);
        size_t done = 0;
        while (done < out.size()) {
            LONG n = (LONG)std::min<size_t>(out.size() - done, 4096);
            LONG took = 0;
            DWORD err = es->pfnCallback(es->dwCookie, (BYTE*)out.data() + done, n, &took);
            if (err || took <= 0) {
                es->dwError = err ? err : 1;
                break;
            }
            done += (size_t)std::min(took, n);
        }
        return (LRESULT)done;
    }
    case EM_STREAMIN: {
        EDITSTREAM* es = (EDITSTREAM*)l;
        if (!es || !es->pfnCallback) return 0;
        es->dwError = 0;
        std::string in = StreamReadAll(es);
        int a = 0, b = tb->doc.Length();
        if (w & SFF_SELECTION) a = tb->SelMin(), b = tb->SelMax();
        if (w & SF_RTF) {
            CRtfContent c;
            if (!ReadRtf(in, tb->defaultFormat, &c)) {
                es->dwError = (DWORD)-1;
                return 0;
            }
            tb->Edit(a, b, c.text, false, false, 0, 0, 0, tb->doc.Intern(tb->defaultFormat));
            tb->ApplyRuns(a, c);
            if (!(w & SFF_SELECTION)) tb->undo.clear(), tb->redo.clear(), tb->SetSel(0, 0);
            return (LRESULT)c.text.size();
        }
        std::string t = NormaliseLineEnds(in);
        tb->Edit(a, b, t, false, false);
        if (!(w & SFF_SELECTION)) tb->undo.clear(), tb->redo.clear(), tb->SetSel(0, 0);
        return (LRESULT)t.size();
    }
    case EM_FORMATRANGE: {
        FORMATRANGE* fr = (FORMATRANGE*)l;
        if (!fr) return 0;
        const int len = tb->doc.Length();
        int from = std::clamp(fr->chrg.cpMin, 0, len);
        int to = fr->chrg.cpMax < 0 ? len : std::clamp(fr->chrg.cpMax, from, len);
        if (from >= to) return to;
        const int dx = std::max(1, GetDeviceCaps(fr->hdc, LOGPIXELSX)), dy = std::max(1, GetDeviceCaps(fr->hdc, LOGPIXELSY));
        RECT r{(LONG)((long)fr->rc.left * dx / 1440), (LONG)((long)fr->rc.top * dy / 1440),
               (LONG)((long)fr->rc.right * dx / 1440), (LONG)((long)fr->rc.bottom * dy / 1440)};
        int next = tb->FormatRange(fr->hdc, r, from, to, w != 0);
        return std::max(next, from + 1);
    }
    default: break;
    }
    return DefWindowProc(hwnd, msg, w, l);
}

LRESULT CALLBACK_EditProc(HWND h, UINT m, WPARAM w, LPARAM l) { return TextBoxProc(h, m, w, l, false); }
LRESULT CALLBACK_RichProc(HWND h, UINT m, WPARAM w, LPARAM l) { return TextBoxProc(h, m, w, l, true); }
}  // namespace

void RegisterTextBoxClasses()
{
    RegisterControlClass(WC_EDIT, CALLBACK_EditProc);
    RegisterControlClass(RICHEDIT_CLASS, CALLBACK_RichProc);
}

WNDPROC RichEditWindowProc() { return CALLBACK_RichProc; }
