// The text box's editing engine: the selection, the one place text
// changes (limits, protection, notifications) and the undo stack.
#include <algorithm>

#include "platform/controls/text_box/text_box.h"

void CTextBox::SetSel(int a, int c)
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
void CTextBox::NotifySelection()
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

void CTextBox::NotifyChange()
{
    if (!rich || (eventMask & ENM_CHANGE)) NotifyParentCommand(hwnd, EN_CHANGE);
}

// Whether an edit of [a, b) inserting `ins` bytes touches protected text.
bool CTextBox::TouchesProtected(int a, int b, bool inserting) const
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
bool CTextBox::MayEditProtected(int a, int b, UINT msg, WPARAM w, LPARAM l)
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
bool CTextBox::Edit(int a, int b, std::string text, bool user, bool canUndo, UINT msg, WPARAM w, LPARAM l, int format,
                    bool typing)
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

bool CTextBox::UndoRedo(bool isRedo)
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
