// The editor's editing engine: every insertion and removal of text, with
// its limits, hooks, undo records, markers and change notifications; line
// breaks with auto-indent, typed characters, Delete, Tab and block indent.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>

void KyrEditCtrl::MarkersFollowBreak(int at)
{
    if (markers.empty()) return;
    // A forced break inside a line: the markers below it move down one line.
    OnMarkerLinesInserted((int)std::count(text.begin(), text.begin() + at, '\n'), 1, false);
}

void KyrEditCtrl::OnInsertText(int offset, const std::string& inserted)
{
    const int lines = CountLines(inserted);
    lineCount += lines;
    if (offset < firstLineOffset) {
        firstLineOffset += (int)inserted.size();
        firstLine += lines;
    }
    if (lines) OnMarkerLinesInserted(GetLineOfOffsetCached(offset), lines, GetLineStartOf(offset) == offset);
}

void KyrEditCtrl::OnRemoveText(int start, int end)
{
    const int lines = (int)std::count(text.begin() + start, text.begin() + end, '\n');
    if (lines) {
        const int first = GetLineOfOffsetCached(start);
        const int firstGone = GetLineStartOf(start) == start ? first : first + 1;
        OnMarkerLinesRemoved(first, lines, firstGone, first + lines - 1);
    }
    lineCount -= lines;
    if (end <= firstLineOffset) {
        firstLineOffset -= end - start;
        firstLine -= lines;
    } else if (start < firstLineOffset) {
        // The first visible line loses its start: it becomes the line of `start`.
        const int before = (int)std::count(text.begin() + start, text.begin() + firstLineOffset, '\n');
        firstLine -= before;
        firstLineOffset = GetLineStartOf(start);
    }
}

void KyrEditCtrl::NotifyEditChange(int, const std::string&, bool)
{
    if (!m_hWnd) return;
    HWND parent = ::GetParent(m_hWnd);
    if (parent) ::SendMessage(parent, KyrEditChangeMessage(), 0, 0);
}

bool KyrEditCtrl::FilterInsertText(std::string& t)
{
    t = FilterInsertedText(t, Options());
    return true;
}

bool KyrEditCtrl::ReplaceText(int start, int end, const std::string& t)
{
    if (readOnly || t.empty() || start < 0 || end < start || end > Length()) return false;
    if (end > start) {
        if (!DeleteText(start, end)) return false;
        GroupLastUndo();   // the removal undoes with the insertion
    }
    if (!InsertText(t, start, KYR_INS_REDRAW, true)) return false;
    return SetCaretOffset(start + (int)t.size(), true, true);
}

bool KyrEditCtrl::InsertText(std::string t, int offset, unsigned flags, bool noLineBreak)
{
    offset = offset < 0 ? caretOffset : std::min(offset, Length());
    if (!FilterInsertText(t)) return false;
    if (t.empty()) return false;
    if (!noLineBreak) {
        // Generated text must not make the line where it goes too long.
        const int start = GetLineStartOf(offset);
        const bool atLineStart = offset == start;
        const bool atEnd = offset >= Length() - 1;
        const bool betweenFeeds = offset > 0 && offset < Length() && text[offset] == '\n' && text[offset - 1] == '\n';
        bool prefix = false;
        if (!atLineStart && !atEnd && !betweenFeeds) {
            const size_t lf = t.find('\n');
            const int added = EditCountChars(t, 0, lf == std::string::npos ? (int)t.size() : (int)lf);
            prefix = LineLengthChars(offset) + added >= maxLineLength;
        } else if (atEnd && !atLineStart) {
            prefix = true;
        }
        if (prefix) {
            t.insert(t.begin(), '\n');
            Event(KYR_EV_PREFIXED_BREAK);
        }
    }
    if ((int64_t)text.size() + (int64_t)t.size() > kEditorMaxBytes) return false;
    if (!CanInsert(offset, t)) return false;
    ClearSelection();
    OnInsertText(offset, t);
    text.insert((size_t)offset, t);
    TextInserted(offset, (int)t.size());
    // A line at either end of the insertion that reached the limit is broken.
    std::vector<int> breaks;
    auto breakLine = [&](int lineStart) {
        if (EditCountChars(text, lineStart, LineEndOf_(lineStart)) < maxLineLength) return;
        const size_t before = breaks.size();
        BreakLongLine(text, lineStart, Options(), &breaks);
        for (size_t k = before; k < breaks.size(); ++k) {
            TextInserted(breaks[k], 1);
            ++lineCount;
            MarkersFollowBreak(breaks[k]);
            if (breaks[k] < firstLineOffset) ++firstLineOffset, ++firstLine;
        }
    };
    int start = offset, end = offset + (int)t.size();
    size_t seen = 0;
    auto follow = [&]() {
        for (; seen < breaks.size(); ++seen) {
            if (breaks[seen] < start)
                ++start, ++end;
            else if (breaks[seen] < end)
                ++end;
        }
    };
    const int beginLine = GetLineStartOf(offset);
    if (beginLine != offset) breakLine(beginLine);
    follow();
    breakLine(GetLineStartOf(end));
    follow();
    if (flags & KYR_INS_RESET_UNDO) {
        ClearUndo();
        undoDirty = 1;   // the history is gone but the text changed
    } else {
        // The insertion, then each forced break as it was made: undone together.
        RecordUndo(t, KYR_UNDO_INSERT, offset, true, !breaks.empty());
        for (size_t k = 0; k < breaks.size(); ++k) RecordUndo("\n", KYR_UNDO_INSERT, breaks[k], true, k + 1 < breaks.size());
    }
    const std::string inserted = text.substr((size_t)start, (size_t)(end - start));
    offset = start;
    UpdateScrollRanges();
    SetCaretOffset(end, true, false);
    if (flags & KYR_INS_REDRAW) RedrawAll();
    NotifyEditChange(offset, inserted, true);
    return true;
}

bool KyrEditCtrl::DeleteText(int start, int end)
{
    if (start > end) std::swap(start, end);
    start = std::clamp(start, 0, Length());
    end = std::clamp(end, 0, Length());
    if (start == end) return false;
    const std::string removed = text.substr((size_t)start, (size_t)(end - start));
    if (!CanDelete(start, removed)) return false;
    RecordUndo(removed, KYR_UNDO_DELETE, start, true, false);
    ClearSelection();
    OnRemoveText(start, end);
    text.erase((size_t)start, (size_t)(end - start));
    TextErased(start, end - start);
    NotifyEditChange(start, removed, false);
    RedrawAll();
    UpdateScrollRanges();
    SetCaretOffset(start, true, false);
    return true;
}

bool KyrEditCtrl::DeleteSelection(bool notify, bool /*toClipboard*/, bool redraw)
{
    (void)notify;
    if (!HasSelection()) {
        ClearSelection();
        Event(KYR_EV_NO_SELECTION);
        return false;
    }
    const int a = SelMin(), b = SelMax();
    if (!DeleteText(a, b)) return false;
    ClearSelection();
    boxAnchorX = boxAnchorY = boxCornerX = boxCornerY = -1;
    UpdateScrollRanges();
    if (redraw) RedrawAll();
    return true;
}

void KyrEditCtrl::SetText(std::string_view bytes)
{
    text.clear();
    RebuildDelimiterIndex();
    lineCount = 0;
    firstLine = firstLineOffset = 0;
    firstColumn = 0;
    caretOffset = 0;
    ClearSelection();
    if (!bytes.empty()) {
        std::string t(bytes);
        if (!InsertText(std::move(t), 0, KYR_INS_RESET_UNDO, true)) UpdateScrollRanges();
    } else {
        UpdateScrollRanges();
        NotifyEditChange(0, std::string(), false);
    }
    ClearUndo();
    undoDirty = 0;
    undoSaved = 0;
    modified = 0;
    firstLine = firstLineOffset = 0;
    firstColumn = 0;
    UpdateScrollRanges();
    SetCaretOffset(0, false, false);
    desiredColumn = 0;
    RedrawAll();
}

bool KyrEditCtrl::InsertLineBreak(int offset, bool redraw)
{
    if (offset < 0) offset = caretOffset;
    offset = std::clamp(offset, 0, Length());
    std::string s = "\n";
    if (autoIndent) {
        for (int i = GetLineStartOf(offset); i < offset && IsBlankByte(text[i]); ++i) s += text[i];
    }
    if ((int64_t)text.size() + (int64_t)s.size() > kEditorMaxBytes) return false;
    if (!CanInsert(offset, s)) return false;
    RecordUndo(s, KYR_UNDO_INSERT, offset, true, false);
    ClearSelection();
    OnInsertText(offset, s);
    text.insert((size_t)offset, s);
    TextInserted(offset, (int)s.size());
    NotifyEditChange(offset, s, true);
    UpdateScrollRanges();
    SetCaretOffset(offset + (int)s.size(), true, false);
    modified = 1;
    if (redraw) RedrawLines(offset, offset, true);
    return true;
}

bool KyrEditCtrl::InsertChar(uint32_t c, bool redraw)
{
    std::string s = EditUtf8(c);
    if (s.empty()) return false;
    if (!CanInsert(caretOffset, s)) return false;
    if (c == '\n') {
        if (!GetOverwriteMode()) return InsertLineBreak(caretOffset, redraw);
        MoveHome(redraw);
        return MoveLine(true, false, redraw);
    }
    if ((int64_t)text.size() + (int64_t)s.size() + 1 > kEditorMaxBytes) return false;
    if (caretColumn >= maxLineLength - 1) {
        // A bare line feed: the typed character starts the next line.
        if (hasFocus && !readOnly) HideCaret(m_hWnd);
        OnInsertText(caretOffset, "\n");
        text.insert((size_t)caretOffset, 1, '\n');
        TextInserted(caretOffset, 1);
        RecordUndo("\n", KYR_UNDO_INSERT, caretOffset, true, true);   // undone with the character
        NotifyEditChange(caretOffset, "\n", true);
        SetCaretOffset(caretOffset + 1, true, false);
        if (hasFocus && !readOnly) ShowCaret(m_hWnd);
        RedrawLines(caretOffset, caretOffset, true);
    }
    const bool nearBefore = IsNearRegionDelimiter(caretOffset);
    const int at = caretOffset;
    std::string replaced;
    if (GetOverwriteMode() && at < Length() && text[at] != '\n') replaced = text.substr((size_t)at, (size_t)EditCharLength(text, at));
    RecordTyping(s, KYR_UNDO_INSERT, at);
    text.replace((size_t)at, replaced.size(), s);
    TextErased(at, (int)replaced.size());
    TextInserted(at, (int)s.size());
    if (at < firstLineOffset) firstLineOffset += (int)s.size() - (int)replaced.size();
    int lineBreaks = 0;
    std::vector<int> breaks;
    {
        // A line that reached the limit is broken (typing inside a long line).
        const int ls = GetLineStartOf(at);
        if (EditCountChars(text, ls, LineEndOf_(ls)) >= maxLineLength) {
            lineBreaks = BreakLongLine(text, ls, Options(), &breaks);
            lineCount += lineBreaks;
            GroupLastUndo();   // the typing and its breaks undo together
            for (size_t k = 0; k < breaks.size(); ++k) {
                const int p = breaks[k];
                TextInserted(p, 1);
                MarkersFollowBreak(p);
                RecordUndo("\n", KYR_UNDO_INSERT, p, true, k + 1 < breaks.size());
                if (p < firstLineOffset) ++firstLineOffset, ++firstLine;
            }
        }
    }
    NotifyEditChange(at, s, true);
    UpdateScrollRanges();
    int next = at + (int)s.size();
    for (int p : breaks)
        if (p <= at) ++next;   // a break before the typed character moved it
    SetCaretOffset(next, true, false);
    if (redraw) {
        if (lineBreaks || nearBefore || IsNearRegionDelimiter(caretOffset))
            RedrawAll();
        else
            RedrawLines(at, at);
    }
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::DeleteKey(bool redraw)
{
    if (HasSelection()) return DeleteSelection(true, false, redraw);
    const int at = caretOffset;
    if (at >= Length()) return false;
    if (text[at] == '\n') {
        const int next = at + 1;
        const int cols = GetColumnOfOffset(at) + GetLineEndAndColumn(next, nullptr);
        if (cols > maxLineLength - 2) {
            Event(KYR_EV_JOIN_TOO_LONG);
            return false;
        }
    }
    const int n = EditCharLength(text, at);
    const std::string removed = text.substr((size_t)at, (size_t)n);
    if (!CanDelete(at, removed)) return false;
    const bool near = IsNearRegionDelimiter(at);
    RecordUndo(removed, KYR_UNDO_DELETE, at, true, false);
    OnRemoveText(at, at + n);
    text.erase((size_t)at, (size_t)n);
    TextErased(at, n);
    NotifyEditChange(at, removed, false);
    UpdateScrollRanges();
    SetCaretOffset(at, true, false);
    if (redraw) {
        if (near || IsNearRegionDelimiter(at))
            RedrawAll();
        else
            RedrawLines(at, at, removed == "\n");
    }
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::IndentBlock(bool indent)
{
    if (!IsBlock()) {
        Event(KYR_EV_BLOCK_REFUSED);
        return false;
    }
    const bool backwards = selEnd < selAnchor;
    const int lo = SelMin(), hi = SelMax();
    int lastLine = GetLineOfOffsetCached(hi);
    if (GetLineStartOf(hi) == hi) --lastLine;
    const int first = GetLineOfOffsetCached(lo);
    const std::string indentText = keepTabs ? std::string("\t") : std::string((size_t)std::max(indentWidth, 0), ' ');
    if (indent && !IndentFits(lo, first, lastLine)) return false;
    SetLastAction(indent ? KYR_ACT_INDENT : KYR_ACT_UNINDENT);
    const int firstStart = GetLineStartOf(lo);
    std::vector<std::string> changes;
    std::vector<LineEdit> edits;   // in the order made, so each offset is exact
    int ls = firstStart;
    for (int l = first; l <= lastLine && ls <= Length(); ++l) {
        changes.push_back(IndentLine(ls, indent, indentText, edits));
        ls = LineEndOf_(ls) + 1;
    }
    const int lastEnd = std::min(ls, Length());
    auto block = std::make_unique<KyrUndoBlock>();
    block->firstLineOffset = firstStart;
    block->lastLineOffset = GetLineStartOf(std::max(lastEnd - 1, firstStart));
    block->indent = indent ? 1 : 0;
    block->changes = std::move(changes);
    // One group of exact per-line edits: undo and redo replay them.
    for (size_t k = 0; k < edits.size(); ++k)
        RecordUndo(edits[k].text, (indent ? KYR_UNDO_INSERT : KYR_UNDO_DELETE) | KYR_UNDO_BLOCK, edits[k].offset, true,
                   k + 1 < edits.size());
    UpdateScrollRanges();
    if (backwards) {
        selAnchor = lastEnd;
        selEnd = firstStart;
    } else {
        selAnchor = firstStart;
        selEnd = lastEnd;
    }
    SetCaretOffset(selEnd, true, false);
    RedrawAll();
    return true;
}

// Indenting may not make a line longer than the limit.
bool KyrEditCtrl::IndentFits(int lo, int first, int lastLine)
{
    int ls = GetLineStartOf(lo);
    for (int l = first; l <= lastLine; ++l) {
        const int e = LineEndOf_(ls);
        if (GetColumnOfOffset(e) + indentWidth > maxLineLength - 1) {
            Event(KYR_EV_TAB_TOO_LONG);
            return false;
        }
        ls = e + 1;
    }
    return true;
}

// Indents or unindents the line starting at `ls` (what the hooks allow);
// returns the blanks inserted or removed.
std::string KyrEditCtrl::IndentLine(int ls, bool indent, const std::string& indentText, std::vector<LineEdit>& edits)
{
    int nb = ls;
    const int e = LineEndOf_(ls);
    while (nb < e && IsBlankByte(text[nb])) ++nb;
    std::string change;
    if (indent) {
        if (CanInsert(nb, indentText)) {
            OnInsertText(nb, indentText);
            text.insert((size_t)nb, indentText);
            TextInserted(nb, (int)indentText.size());
            change = indentText;
            edits.push_back({nb, indentText});
            NotifyEditChange(nb, indentText, true);
        }
        return change;
    }
    const int from = UnindentFrom(ls, nb);
    if (from < nb) {
        const std::string removed = text.substr((size_t)from, (size_t)(nb - from));
        if (CanDelete(from, removed)) {
            OnRemoveText(from, nb);
            text.erase((size_t)from, (size_t)(nb - from));
            TextErased(from, nb - from);
            change = removed;
            edits.push_back({from, removed});
            NotifyEditChange(from, removed, false);
        }
    }
    return change;
}

// Where an unindent of the line at `ls` whose text starts at `nb` begins:
// indentWidth blanks back, or columns back when tabs are kept.
int KyrEditCtrl::UnindentFrom(int ls, int nb)
{
    int from = nb;
    if (!keepTabs) return nb - std::min(indentWidth, nb - ls);
    int gone = 0;
    while (from > ls && gone < indentWidth) {
        const int colBefore = GetColumnOfOffset(from - 1);
        const int w = text[from - 1] == '\t' ? tabSize - colBefore % std::max(tabSize, 1) : 1;
        gone += w;
        --from;
    }
    return from;
}

bool KyrEditCtrl::InsertTab()
{
    SetLastAction(KYR_ACT_TAB);
    const int lineLen = GetLineEndAndColumn(caretOffset, nullptr);
    if (caretColumn + indentWidth > maxLineLength - 1 || (!GetOverwriteMode() && lineLen + indentWidth > maxLineLength - 1)) {
        Event(KYR_EV_TAB_TOO_LONG);
        return false;
    }
    if (GetOverwriteMode()) {
        SetCaretOffset(OffsetOfColumn(caretColumn + indentWidth, caretOffset), true, true);
        desiredColumn = caretColumn;
        return true;
    }
    const std::string s = keepTabs ? std::string("\t") : std::string((size_t)std::max(indentWidth, 0), ' ');
    if (!CanInsert(caretOffset, s)) return false;
    const int at = caretOffset;
    OnInsertText(at, s);
    text.insert((size_t)at, s);
    TextInserted(at, (int)s.size());
    RecordUndo(s, KYR_UNDO_INSERT, at, true, false);
    NotifyEditChange(at, s, true);
    UpdateScrollRanges();
    SetCaretOffset(at + (int)s.size(), true, false);
    RedrawLines(at, at);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::BackTab()
{
    if (caretColumn == 0) {
        Event(KYR_EV_BACKTAB_COL0);
        return false;
    }
    int n = caretColumn % std::max(indentWidth, 1);
    if (n == 0) n = indentWidth;
    const int target = caretColumn - n;
    int p = caretOffset;
    const int ls = GetLineStartOf(p);
    while (p > ls && GetColumnOfOffset(p) > target) p = EditPrevChar(text, p);
    SetCaretOffset(p, true, true);
    desiredColumn = caretColumn;
    return true;
}
