// The editor's text model: one string of bytes, lines found by scanning
// for line feeds with one cached pair (the first visible line and its
// offset), columns with kept tabs, words and the selected text.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>

int KyrEditCtrl::CountLines(std::string_view t) { return (int)std::count(t.begin(), t.end(), '\n'); }

int KyrEditCtrl::GetLineStartOf(int offset)
{
    offset = std::clamp(offset, 0, Length());
    if (offset == 0) return 0;
    const void* p = memrchr(text.data(), '\n', (size_t)offset);
    return p ? (int)(static_cast<const char*>(p) - text.data()) + 1 : 0;
}

// The line feed ending the line, or the text's length.
int KyrEditCtrl::LineEndOf_(int offset)
{
    offset = std::clamp(offset, 0, Length());
    const void* p = std::memchr(text.data() + offset, '\n', text.size() - (size_t)offset);
    return p ? (int)(static_cast<const char*>(p) - text.data()) : Length();
}

int KyrEditCtrl::GetLineEndOf(int offset)
{
    offset = std::clamp(offset, 0, Length());
    const int e = LineEndOf_(offset);
    return e < Length() ? e : std::max(Length() - 1, 0);
}

int KyrEditCtrl::GetLineEndAndColumn(int offset, int* end)
{
    offset = std::clamp(offset, 0, Length());
    const int e = LineEndOf_(offset);
    if (end) *end = e;
    return GetColumnOfOffset(e);
}

int KyrEditCtrl::GetColumnOfOffset(int offset)
{
    offset = std::clamp(offset, 0, Length());
    int column = 0;
    for (int i = GetLineStartOf(offset); i < offset; i += EditCharLength(text, i)) {
        if (text[i] == '\t' && keepTabs)
            column += tabSize - column % std::max(tabSize, 1);
        else
            ++column;
    }
    return column;
}

int KyrEditCtrl::OffsetOfColumn(int column, int anyOffset)
{
    int i = GetLineStartOf(anyOffset);
    const int end = LineEndOf_(i);
    int c = 0;
    while (i < end && c < column) {
        if (text[i] == '\t' && keepTabs)
            c += tabSize - c % std::max(tabSize, 1);
        else
            ++c;
        i += EditCharLength(text, i);
    }
    return i;
}

int KyrEditCtrl::LineLengthChars(int offset)
{
    const int s = GetLineStartOf(offset);
    return EditCountChars(text, s, LineEndOf_(s));
}

int KyrEditCtrl::GetLineOfOffset(int offset)
{
    offset = std::clamp(offset, 0, Length());
    return (int)std::count(text.begin(), text.begin() + offset, '\n');
}

int KyrEditCtrl::GetLineOfOffsetCached(int offset, bool noCache)
{
    offset = std::clamp(offset, 0, Length());
    if (noCache || firstLineOffset > Length()) return GetLineOfOffset(offset);
    if (offset >= firstLineOffset)
        return firstLine + (int)std::count(text.begin() + firstLineOffset, text.begin() + offset, '\n');
    if (firstLineOffset - offset < offset)
        return firstLine - (int)std::count(text.begin() + offset, text.begin() + firstLineOffset, '\n');
    return GetLineOfOffset(offset);
}

int KyrEditCtrl::GetLineOffset(int line)
{
    if (line < 0 || line > lineCount) return -1;
    int from = 0, at = 0;
    if (line >= firstLine || firstLine - line < line) {
        from = firstLine;
        at = firstLineOffset;
    }
    while (from < line) {
        at = LineEndOf_(at) + 1;
        ++from;
    }
    while (from > line) {
        at = GetLineStartOf(at - 1);
        --from;
    }
    return at;
}

int KyrEditCtrl::GetFirstNonBlank()
{
    int i = GetLineStartOf(caretOffset);
    const int end = LineEndOf_(i);
    while (i < end && blankSet.find(text[i]) != std::string::npos) ++i;
    return i;
}

void KyrEditCtrl::SetFirstLine(int line)
{
    line = std::clamp(line, 0, std::max(lineCount, 0));
    while (firstLine < line) {
        const int e = LineEndOf_(firstLineOffset);
        if (e >= Length()) break;
        firstLineOffset = e + 1;
        ++firstLine;
    }
    while (firstLine > line) {
        firstLineOffset = GetLineStartOf(firstLineOffset - 1);
        --firstLine;
    }
}

std::string KyrEditCtrl::GetSelectedText() const
{
    if (!HasSelection()) return std::string();
    return text.substr((size_t)SelMin(), (size_t)(SelMax() - SelMin()));
}

std::string KyrEditCtrl::GetWordAt(int offset)
{
    int a, b;
    GetWordBounds(offset, &a, &b);
    if (a >= b || IsDelimiter((unsigned char)text[a])) return std::string();
    return text.substr((size_t)a, (size_t)(b - a));
}

int KyrEditCtrl::OffsetWithoutCR(int offset) const
{
    int crlf = 0, i = 0;
    for (; i < Length() && crlf < offset; ++i) crlf += text[i] == '\n' ? 2 : 1;
    return i;
}

void KyrEditCtrl::GetWordBounds(int offset, int* start, int* end)
{
    offset = std::clamp(offset, 0, Length());
    int a = offset, b = offset;
    if (offset < Length() && IsDelimiter((unsigned char)text[offset])) {
        b = offset + 1;
    } else {
        while (a > 0 && !IsDelimiter((unsigned char)text[a - 1])) --a;
        while (b < Length() && !IsDelimiter((unsigned char)text[b])) ++b;
    }
    *start = a;
    *end = b;
}

bool KyrEditCtrl::IsBlock()
{
    if (!HasSelection() || boxMode) return false;
    return GetLineOfOffsetCached(SelMin()) != GetLineOfOffsetCached(SelMax());
}
