// Copy, cut and paste through the clipboard store, column insertion, and
// text search.
#include <cstring>

#include "platform/kernel/global_memory.h"
#include "platform/user/clipboard.h"
#include "ui_controls/edit/edit_ctrl.h"

UINT KyrEditCtrl::ColumnFormat()
{
    static const UINT format = RegisterClipboardFormat("KYR_SYN_TEXT");
    return format;
}

namespace {
HGLOBAL MakeBlock(const std::string& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1);
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    memcpy(p, bytes.data(), bytes.size());
    static_cast<char*>(p)[bytes.size()] = 0;
    GlobalUnlock(h);
    return h;
}

// A foreign block's text: up to its NUL, never past its size.
std::string UpToNul(const std::string& block)
{
    const size_t nul = block.find('\0');
    return nul == std::string::npos ? block : block.substr(0, nul);
}

unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? (unsigned char)(c + 32) : c; }
}   // namespace

bool KyrEditCtrl::CopyToClipboard(const std::string& t, bool column)
{
    std::string bytes;
    bytes.reserve(t.size() + t.size() / 16);
    for (char c : t) {
        if (c == '\n' && crlfOnCopy) bytes += '\r';
        bytes += c;
    }
    if (!OpenClipboard(m_hWnd)) return false;
    if (!EmptyClipboard()) {
        CloseClipboard();
        return false;
    }
    bool ok = true;
    if (column) {
        HGLOBAL h = MakeBlock(bytes);
        ok = h && SetClipboardData(ColumnFormat(), h);
        if (h && !ok) GlobalFree(h);
    }
    if (ok) {
        HGLOBAL h = MakeBlock(bytes);
        ok = h && SetClipboardData(CF_TEXT, h);
        if (h && !ok) GlobalFree(h);
    }
    CloseClipboard();
    return ok;
}

bool KyrEditCtrl::Copy()
{
    if (!HasSelection()) {
        if (!copyAllWithoutSelection) {
            Event(KYR_EV_NOTHING_TO_COPY);
            return false;
        }
        return CopyToClipboard(text);
    }
    return CopyToClipboard(GetSelectedText());
}

bool KyrEditCtrl::Cut()
{
    if (!HasSelection()) {
        Event(KYR_EV_NOTHING_TO_COPY);
        return false;
    }
    SetLastAction(KYR_ACT_CUT);
    // Nothing is deleted unless the text reached the clipboard.
    if (!CopyToClipboard(GetSelectedText())) return false;
    return DeleteSelection(true, true, true);   // redrawn: the cut text must go from the screen
}

bool KyrEditCtrl::Paste()
{
    if (readOnly) {
        Event(KYR_EV_READONLY_PASTE);
        return false;
    }
    COleDataSource source;
    if (OpenClipboard(m_hWnd)) {
        for (UINT format : {ColumnFormat(), (UINT)CF_TEXT}) {
            HANDLE h = GetClipboardData(format);
            if (!h) continue;
            const SIZE_T size = GlobalSize(h);
            const char* p = static_cast<const char*>(GlobalLock(h));
            if (p) source.CacheData(format, std::string(p, size));
            GlobalUnlock(h);
        }
        CloseClipboard();
    }
    COleDataObject data;
    data.Attach(&source);
    if (!data.IsDataAvailable(CF_TEXT) && !data.IsDataAvailable(ColumnFormat())) {
        Event(KYR_EV_NO_CLIPBOARD_TEXT);
        return false;
    }
    if (HasSelection()) DeleteSelection(true, false, false);
    SetLastAction(KYR_ACT_PASTE);
    const bool ok = PasteFromDataObject(data);
    modified = 1;
    RedrawAll();
    return ok;
}

bool KyrEditCtrl::PasteFromDataObject(COleDataObject& data)
{
    std::string block;
    if (data.GetData(ColumnFormat(), block)) return InsertBlock(UpToNul(block), caretOffset);
    if (!data.GetData(CF_TEXT, block)) return false;
    // Pasted text goes where the caret is, with no line break put before it.
    return InsertText(UpToNul(block), caretOffset, KYR_INS_REDRAW, true);
}

bool KyrEditCtrl::InsertBlock(std::string block, int offset)
{
    offset = offset < 0 ? caretOffset : std::min(offset, Length());
    const int lineStart = GetLineStartOf(offset);
    if (LineLengthChars(lineStart) < 2) return InsertText(std::move(block), offset, KYR_INS_REDRAW, true);
    // Tabs become spaces and CRs go, as when loading; lines are then placed one by one.
    EditorTextOptions options = Options();
    options.maxLineLength = kEditorMaxBytes;   // no forced breaks inside a column
    block = FilterInsertedText(block, options);
    if (block.empty()) return false;
    std::vector<std::string> lines;
    for (size_t from = 0;;) {
        const size_t lf = block.find('\n', from);
        lines.push_back(block.substr(from, lf == std::string::npos ? std::string::npos : lf - from));
        if (lf == std::string::npos) break;
        from = lf + 1;
    }
    const int column = GetColumnOfOffset(offset);
    struct Piece {
        int at;
        std::string s;
    };
    std::vector<Piece> pieces;   // in order, each offset exact when made
    int ls = lineStart;
    bool ok = true;
    for (size_t i = 0; i < lines.size() && ok; ++i) {
        std::string s = lines[i];
        int at;
        bool appended = false;
        if (ls < 0) {
            // Beyond the last line: a line feed and the line at the end.
            at = Length();
            std::string add = "\n";
            if (!CanInsert(at, add)) break;
            OnInsertText(at, add);
            text.insert((size_t)at, add);
            TextInserted(at, 1);
            NotifyEditChange(at, add, true);
            pieces.push_back({at, add});
            ls = at + 1;
            appended = true;
        }
        const int le = LineEndOf_(ls);
        at = OffsetOfColumn(column, ls);
        if (at > le) at = le;
        const int have = GetColumnOfOffset(at) - GetColumnOfOffset(ls);
        // A short line is padded to the column (an empty block line adds nothing).
        if (!appended && column > have && !s.empty()) s.insert(0, (size_t)(column - have), ' ');
        if ((int64_t)text.size() + (int64_t)s.size() > kEditorMaxBytes) break;
        if (!s.empty()) {
            if (!CanInsert(at, s)) break;
            OnInsertText(at, s);
            text.insert((size_t)at, s);
            TextInserted(at, (int)s.size());
            NotifyEditChange(at, s, true);
            pieces.push_back({at, s});
        }
        const int next = LineEndOf_(ls);
        ls = next < Length() ? next + 1 : -1;
    }
    for (size_t k = 0; k < pieces.size(); ++k) RecordUndo(pieces[k].s, KYR_UNDO_INSERT, pieces[k].at, true, k + 1 < pieces.size());
    ClearSelection();
    UpdateScrollRanges();
    if (!pieces.empty()) SetCaretOffset(pieces.front().at + (int)pieces.front().s.size(), true, false);
    RedrawAll();
    return !pieces.empty();
}

bool KyrEditCtrl::FindText(const std::string& what, bool forward, bool wholeWord, bool matchCase)
{
    const int n = (int)what.size(), length = Length();
    if (n == 0 || length == 0 || n > length) return false;
    auto matchesAt = [&](int p) {
        for (int i = 0; i < n; ++i) {
            unsigned char a = (unsigned char)text[(size_t)(p + i)], b = (unsigned char)what[(size_t)i];
            if (!matchCase) a = Fold(a), b = Fold(b);
            if (a != b) return false;
        }
        if (wholeWord) {
            if (p > 0 && !IsDelimiter((unsigned char)text[(size_t)p - 1])) return false;
            if (p + n < length && !IsDelimiter((unsigned char)text[(size_t)(p + n)])) return false;
        }
        return true;
    };
    const int selLo = HasSelection() ? SelMin() : -1, selHi = HasSelection() ? SelMax() : -1;
    int found = -1;
    if (forward) {
        const int start = std::clamp(caretOffset, 0, length);
        for (int p = start; p + n <= length && found < 0; ++p)
            if (matchesAt(p)) found = p;
        for (int p = 0; p < start && p + n <= length && found < 0; ++p)   // wrapped
            if (matchesAt(p)) found = p;
    } else {
        const int start = caretOffset >= length ? length - 1 : std::max(caretOffset, 0);
        auto usable = [&](int p) { return !(p == selLo && p + n == selHi) && matchesAt(p); };
        for (int p = start - n; p >= 0 && found < 0; --p)
            if (usable(p)) found = p;
        for (int p = length - n; p > start - n && found < 0; --p)   // wrapped
            if (usable(p)) found = p;
    }
    if (found < 0) return false;
    SetSel(found, found + n);
    return true;
}
