// The editor's caret moves (characters, lines, words, pages, the ends of
// the text) and its selection.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>

bool KyrEditCtrl::MoveCharLeft(bool redraw)
{
    if (caretOffset <= 0) {
        Event(KYR_EV_AT_START);
        return false;
    }
    SetCaretOffset(EditPrevChar(text, caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveCharRight(bool redraw)
{
    if (caretOffset >= Length()) {
        Event(KYR_EV_AT_END);
        return false;
    }
    SetCaretOffset(caretOffset + EditCharLength(text, caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::KeepColumn(int offset, bool redraw)
{
    const int column = GetColumnOfOffset(offset);
    int target = offset;
    if (desiredColumn > column) target = OffsetOfColumn(desiredColumn, offset);
    return SetCaretOffset(target, true, redraw);
}

bool KyrEditCtrl::MoveLine(bool down, bool keepDesired, bool redraw)
{
    if (text.empty() || (!down && caretLine == 0) || (down && caretLine >= lineCount)) {
        Event(down ? KYR_EV_NO_LINE_DOWN : KYR_EV_NO_LINE_UP);
        return false;
    }
    const int x = caretX - textRect.left + firstColumn * columnWidth;
    const int start = down ? LineEndOf_(caretOffset) + 1 : GetLineStartOf(GetLineStartOf(caretOffset) - 1);
    const int target = OffsetAtX(start, x);
    if (keepDesired) return KeepColumn(target, redraw);
    SetCaretOffset(target, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveHome(bool redraw)
{
    if (text.empty()) {
        Event(KYR_EV_HOME_EMPTY);
        return false;
    }
    if (firstColumn != 0) {
        firstColumn = 0;
        UpdateScrollRanges();
        RedrawAll();
    }
    const int nonBlank = GetFirstNonBlank();
    SetCaretOffset(caretOffset == nonBlank ? GetLineStartOf(caretOffset) : nonBlank, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveEnd(bool redraw)
{
    SetCaretOffset(LineEndOf_(caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

void KyrEditCtrl::MoveToTextStart(bool redraw)
{
    firstColumn = 0;
    SetFirstLine(0);
    UpdateScrollRanges();
    SetCaretOffset(0, true, false);
    desiredColumn = 0;
    if (redraw) RedrawAll();
}

void KyrEditCtrl::MoveToTextEnd(bool redraw)
{
    SetCaretOffset(Length(), true, redraw);
    desiredColumn = caretColumn;
}

bool KyrEditCtrl::PageUp(bool redraw)
{
    if (text.empty()) {
        Event(KYR_EV_NO_PAGE_UP);
        return false;
    }
    const int page = VisibleLines();
    const int rowY = caretY;
    if (firstLine == 0 && caretLine < page) {
        KeepColumn(OffsetAtX(0, caretX - textRect.left + firstColumn * columnWidth), redraw);
        return true;
    }
    ScrollBar(SB_VERT, SB_PAGEUP, 0);
    RedrawAll();
    POINT p{caretX, rowY};
    const int target = OffsetFromPoint(p, false, true);
    KeepColumn(target, redraw);
    return true;
}

bool KyrEditCtrl::PageDown(bool redraw)
{
    const int rowY = caretY;
    if (ScrollBar(SB_VERT, SB_PAGEDOWN, 0)) {
        RedrawAll();
        POINT p{caretX, rowY};
        const int target = OffsetFromPoint(p, false, true);
        KeepColumn(target, redraw);
        return true;
    }
    if (caretOffset >= Length()) {
        Event(KYR_EV_NO_PAGE_DOWN);
        return false;
    }
    MoveToTextEnd(redraw);
    return true;
}

bool KyrEditCtrl::NextWord(bool redraw)
{
    int p = caretOffset;
    if (p >= Length() - 1) {
        Event(KYR_EV_NO_NEXT_WORD);
        return false;
    }
    const unsigned char c = (unsigned char)text[p];
    auto inRun = [&](unsigned char ch) { return runChars.find((char)ch) != std::string::npos; };
    if (!IsDelimiter(c)) {
        while (p < Length() && !IsDelimiter((unsigned char)text[p])) ++p;
    } else if (!inRun(c) && c != ' ') {
        while (p < Length() && IsDelimiter((unsigned char)text[p]) && !inRun((unsigned char)text[p]) && text[p] != ' ') ++p;
    } else if (inRun(c)) {
        if (c == '\n')
            ++p;
        else
            while (p < Length() && (unsigned char)text[p] == c) ++p;
    }
    while (p < Length() && IsBlankByte(text[p])) ++p;
    SetCaretOffset(p, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::PreviousWord(bool redraw)
{
    int p = caretOffset;
    if (p <= 0) {
        Event(KYR_EV_NO_PREV_WORD);
        return false;
    }
    while (p > 0 && IsBlankByte(text[p - 1])) --p;
    if (p > 0) {
        const unsigned char c = (unsigned char)text[p - 1];
        auto inRun = [&](unsigned char ch) { return runChars.find((char)ch) != std::string::npos; };
        if (c == '\n') {
            --p;
        } else if (!IsDelimiter(c)) {
            while (p > 0 && !IsDelimiter((unsigned char)text[p - 1])) --p;
        } else if (inRun(c)) {
            while (p > 0 && (unsigned char)text[p - 1] == c) --p;
        } else {
            while (p > 0 && IsDelimiter((unsigned char)text[p - 1]) && !inRun((unsigned char)text[p - 1]) &&
                   !IsBlankByte(text[p - 1]))
                --p;
        }
    }
    SetCaretOffset(p, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::CollapseSelection(bool toStart, bool keepCaret, bool redraw)
{
    if (selAnchor < 0 || selEnd < 0) return false;
    const int anchor = selAnchor, end = selEnd;
    ClearSelection();
    boxAnchorX = boxAnchorY = boxCornerX = boxCornerY = -1;
    modified = 1;
    if (end < anchor) toStart = !toStart;
    if (toStart && !keepCaret) SetCaretOffset(std::clamp(anchor, 0, Length()), true, false);
    if (redraw) RedrawAll();
    return true;
}

void KyrEditCtrl::SetSel(int start, int end, bool keepCaret)
{
    if (text.empty()) return;
    if (start == -1) {
        ClearSelection();
        RedrawAll();
        return;
    }
    if (start < 0) start = 0;
    start = std::min(start, Length());
    if (end == -1 || end > Length()) end = Length() - 1;
    if (end < 0) end = 0;
    selAnchor = start;
    selEnd = end;
    if (!keepCaret) SetCaretOffset(end, true, false);
    RedrawAll();
}

bool KyrEditCtrl::ExtendSelection(int kind)
{
    if (caretOffset >= Length() && (kind == 1 || kind == 3 || kind == 5 || kind == 7)) {
        Event(KYR_EV_EXTEND_FAILED);
        return false;
    }
    const int anchor = (selAnchor >= 0 && selEnd >= 0) ? selAnchor : caretOffset;
    const int old = caretOffset;
    const int oldFirst = firstLine, oldColumn = firstColumn;
    bool ok = true;
    switch (kind) {
    case 0: ok = PreviousWord(false); break;
    case 1: ok = NextWord(false); break;
    case 2: ok = MoveCharLeft(false); break;
    case 3: ok = MoveCharRight(false); break;
    case 4: ok = MoveLine(false, true, false); break;
    case 5: ok = MoveLine(true, true, false); break;
    case 6: ok = PageUp(false); break;
    case 7: ok = PageDown(false); break;
    case 8: ok = MoveHome(false); break;
    case 9: ok = MoveEnd(false); break;
    case 10: MoveToTextStart(false); break;
    case 11: MoveToTextEnd(false); break;
    case 12:
        SetCaretOffset(0, true, false);
        selAnchor = Length();
        selEnd = 0;
        RedrawAll();
        return true;
    default: ok = false;
    }
    if (!ok) {
        Event(KYR_EV_EXTEND_FAILED);
        return false;
    }
    selAnchor = anchor;
    selEnd = caretOffset;
    if (firstLine == oldFirst && firstColumn == oldColumn)
        RedrawLines(old, caretOffset);
    else
        RedrawAll();
    return true;
}
