// Edit Properties on the value literal at the caret.
#include "ide/dialogs/literal_properties.h"

#include <sstream>
#include <vector>

#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "ui_controls/edit/edit_ctrl.h"
#include "values/byte_buffer.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

char CloserOf(char open) { return open == '[' ? ']' : open == '{' ? '}' : '>'; }
bool IsOpener(char c) { return c == '[' || c == '{' || c == '<'; }
bool IsCloser(char c) { return c == ']' || c == '}' || c == '>'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

LiteralRange FindLiteralAt(const std::string& text, int offset)
{
    LiteralRange r;
    const int n = (int)text.size();
    if (offset < 0 || offset > n) return r;
    // Backwards: the first opening bracket without its partner.
    int depth = 0, open = -1;
    for (int i = offset - 1; i >= 0; --i) {
        const char c = text[(size_t)i];
        if (IsCloser(c)) {
            ++depth;
        } else if (IsOpener(c)) {
            if (depth == 0) {
                open = i;
                break;
            }
            --depth;
        }
    }
    if (open < 0) return r;
    // Forwards: the closing bracket that pairs with it, of the same kind.
    depth = 0;
    int close = -1;
    for (int i = offset; i < n; ++i) {
        const char c = text[(size_t)i];
        if (IsOpener(c)) {
            ++depth;
        } else if (IsCloser(c)) {
            if (depth == 0) {
                close = i;
                break;
            }
            --depth;
        }
    }
    if (close < 0 || text[(size_t)close] != CloserOf(text[(size_t)open])) return r;
    r.kind = text[(size_t)open];
    r.open = open;
    r.close = close;
    r.start = open;
    // "name =" before the bracket makes the name part of the range.
    int i = open - 1;
    while (i >= 0 && IsBlank(text[(size_t)i])) --i;
    if (i >= 0 && text[(size_t)i] == '=') {
        int j = i - 1;
        while (j >= 0 && IsBlank(text[(size_t)j])) --j;
        int end = j + 1;
        while (j >= 0 && IsNameChar(text[(size_t)j])) --j;
        if (end > j + 1) {
            r.name = text.substr((size_t)(j + 1), (size_t)(end - j - 1));
            r.start = j + 1;
        }
    }
    return r;
}

bool EditLiteralProperties(KyrEditCtrl& edit, CWnd* parent)
{
    const std::string& text = edit.Text();
    LiteralRange r = FindLiteralAt(text, edit.CaretOffset());
    if (!r.kind) return false;
    const std::string literal = text.substr((size_t)r.open, (size_t)(r.close - r.open + 1));
    std::string name = r.name;
    std::string replacement;
    if (r.kind == '[') {
        CValueMatrix m;
        std::istringstream in(literal);
        if (!m.ReadText(in)) {
            ShowValueEditorMessage(parent, "Invalid constant Matrix");
            return false;
        }
        if (m.Rows() == 0 || m.Cols() == 0) {
            ShowValueEditorMessage(parent, "Empty Matrix");
            return false;
        }
        CValue value;
        value.GetMatrix() = std::move(m);
        CMatrixDlg dlg(&name, name, &value, false, nullptr, parent);
        if (dlg.DoModal() != IDOK) return false;
        replacement = ValueInsertText(name, value);
    } else if (r.kind == '{') {
        CValue value;
        std::istringstream in(literal);
        if (!value.MakeStruct().ReadText(in)) {
            ShowValueEditorMessage(parent, "Invalid constant Structure");
            return false;
        }
        CStructEditDlg dlg(&name, name, &value, false, nullptr, parent);
        if (dlg.DoModal() != IDOK) return false;
        replacement = ValueInsertText(name, value);
    } else {
        CByteBuffer buffer;
        int width = 2;
        const std::string inner = literal.substr(1, literal.size() - 2);
        const int rowLength = ParseHexBytes(buffer, inner.c_str(), width);
        if (rowLength < 0) {
            ShowValueEditorMessage(parent, "Invalid constant Binary");
            return false;
        }
        std::vector<unsigned char> bytes(buffer.Data(), buffer.Data() + buffer.Size());
        CBinaryDlg dlg(&name, name, nullptr, bytes, true, nullptr, parent);
        dlg.SetLayout(rowLength, width);
        if (dlg.DoModal() != IDOK) return false;
        replacement = BinaryLiteralText(name, dlg.Bytes(), dlg.RowLength(), dlg.Digits());
    }
    return edit.ReplaceText(r.start, r.close + 1, replacement);
}
