// UTF-8 stepping and the load filter shared by the editor and batch runs.
#include "values/edit_text.h"

#include <algorithm>

#include "platform/gdi/gdi.h"

int EditCharLength(std::string_view text, int offset)
{
    const int n = Utf8Length(text.data() + offset, text.size() - (size_t)offset);
    return n ? n : 1;   // a byte that starts no character steps alone
}

int EditPrevChar(std::string_view text, int offset)
{
    if (offset <= 0) return 0;
    for (int back = 2; back <= 4 && offset - back >= 0; ++back) {
        const unsigned char c = (unsigned char)text[offset - back + 1];
        if ((c & 0xC0) != 0x80) break;   // only continuation bytes can lie inside a sequence
        if (EditCharLength(text, offset - back) == back) return offset - back;
    }
    return offset - 1;
}

uint32_t EditCodePoint(std::string_view text, int offset)
{
    const int n = EditCharLength(text, offset);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data()) + offset;
    if (n == 1) return p[0] < 0x80 ? p[0] : 0x110000u + p[0];
    uint32_t cp = p[0] & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (int i = 1; i < n; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    return cp;
}

int EditCountChars(std::string_view text, int start, int end)
{
    int count = 0;
    for (int i = start; i < end; i += EditCharLength(text, i)) ++count;
    return count;
}

std::string EditUtf8(uint32_t cp)
{
    std::string s;
    if (cp < 0x80) {
        s += (char)cp;
    } else if (cp < 0x800) {
        s += (char)(0xC0 | (cp >> 6));
        s += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        if (cp >= 0xD800 && cp <= 0xDFFF) return s;
        s += (char)(0xE0 | (cp >> 12));
        s += (char)(0x80 | ((cp >> 6) & 0x3F));
        s += (char)(0x80 | (cp & 0x3F));
    } else if (cp <= 0x10FFFF) {
        s += (char)(0xF0 | (cp >> 18));
        s += (char)(0x80 | ((cp >> 12) & 0x3F));
        s += (char)(0x80 | ((cp >> 6) & 0x3F));
        s += (char)(0x80 | (cp & 0x3F));
    }
    return s;
}

std::string FilterInsertedText(std::string_view text, const EditorTextOptions& o)
{
    std::string plain;
    plain.reserve(text.size());
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\t' && !o.keepTabs)
            plain.append((size_t)std::max(o.tabSize, 0), ' ');
        else
            plain += c;
    }
    std::string out;
    out.reserve(plain.size() + plain.size() / 1024);
    int column = 0;
    for (int i = 0; i < (int)plain.size();) {
        const int n = EditCharLength(plain, i);
        if (plain[i] == '\n') {
            column = 0;
        } else {
            if (column == o.maxLineLength) {
                out += '\n';
                column = 0;
            }
            ++column;
        }
        out.append(plain, (size_t)i, (size_t)n);
        i += n;
    }
    return out;
}

int BreakLongLine(std::string& text, int lineStart, const EditorTextOptions& o, std::vector<int>* positions)
{
    int added = 0;
    const int limit = std::max(o.maxLineLength, 2);
    for (;;) {
        int column = 0, breakAt = -1, i = lineStart;
        for (; i < (int)text.size() && text[i] != '\n'; i += EditCharLength(text, i)) {
            if (column == limit - 1) breakAt = i;
            ++column;
        }
        if (column < limit || breakAt < 0) return added;
        text.insert((size_t)breakAt, 1, '\n');
        if (positions) positions->push_back(breakAt);
        ++added;
        lineStart = breakAt + 1;
    }
}

std::string FilterEditorText(std::string_view bytes, const EditorTextOptions& o)
{
    std::string text = FilterInsertedText(bytes, o);
    const size_t lf = text.rfind('\n');
    BreakLongLine(text, lf == std::string::npos ? 0 : (int)lf + 1, o);
    return text;
}
