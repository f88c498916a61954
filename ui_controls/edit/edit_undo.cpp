// The editor's undo history. The state is counts, never positions or
// pointers: undoApplied actions are applied, undoSaved is the applied count
// at the last save (-1 once that state is gone), undoDirty says the text
// changed without a kept action. A freed action's address can come back, so
// nothing here compares actions by identity.
#include "platform/afx/archive.h"
#include "platform/afx/win_app.h"
#include "ui_controls/edit/edit_ctrl.h"

#include "platform/afx/exception.h"

enum : unsigned { kEventNothingToUndo = 1, kEventNothingToRedo = 2 };

void KyrEditCtrl::FreeUndoActions(size_t from)
{
    while (undoActions.size() > from) {
        OnDeleteUndoAction(undoActions.back().get());
        undoActions.pop_back();
    }
}

void KyrEditCtrl::ClearUndo()
{
    const bool wasModified = IsModified();
    FreeUndoActions(0);
    undoApplied = undoSaved = 0;
    undoDirty = wasModified ? 1 : 0;
}

void KyrEditCtrl::MarkSaved()
{
    undoSaved = undoApplied;
    undoDirty = 0;
    modified = 0;
}

void KyrEditCtrl::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        std::string out;
        out.reserve(text.size() + (size_t)lineCount);
        for (char c : text) {
            if (c == '\n') out += '\r';
            out += c;
        }
        ar.Write(out.data(), out.size());
        MarkSaved();
    } else {
        const std::string bytes = ar.ReadAll();
        if ((int64_t)bytes.size() > kEditorMaxBytes) {
            // Fail the load (reported here) rather than leave an empty text
            // that a save would write over the file.
            AfxMessageBox(kEditorTooLargeMessage, MB_ICONEXCLAMATION);
            AfxThrowUserException();
        }
        SetText(bytes);
    }
}

void KyrEditCtrl::PushUndo(std::unique_ptr<KyrUndoAction> action)
{
    action->kind |= GetLastAction();
    action->caret = HasSelection() ? selEnd : caretOffset;
    if (!CanAddUndoAction(action.get())) {
        // The history can no longer reach back past this change.
        OnDeleteUndoAction(action.get());
        action.reset();
        ClearUndo();
        undoDirty = 1;
        return;
    }
    FreeUndoActions((size_t)undoApplied);   // the redo tail
    if (undoSaved > undoApplied) undoSaved = -1;
    undoActions.push_back(std::move(action));
    undoApplied = (int)undoActions.size();
    while ((int)undoActions.size() > std::max(undoLimit, 1)) {
        OnDeleteUndoAction(undoActions.front().get());
        undoActions.erase(undoActions.begin());
        --undoApplied;
        if (undoSaved >= 0) --undoSaved;   // the saved state fell off the head: -1
    }
    modified = 1;
}

void KyrEditCtrl::RecordUndo(const std::string& t, unsigned kind, int offset, bool notTyped, bool grouped)
{
    auto a = std::make_unique<KyrUndoAction>();
    a->offset = offset;
    a->text = t;
    a->kind = kind;
    a->grouped = grouped ? 1 : 0;
    a->flags = GetOverwriteMode() && !notTyped ? (KYR_UNDO_FLAG | KYR_UNDO_OVERWRITE) : KYR_UNDO_FLAG;
    PushUndo(std::move(a));
}

void KyrEditCtrl::RecordBlockUndo(std::unique_ptr<KyrUndoBlock> block, unsigned kind)
{
    // Indents record their per-line edits instead; a block handed in here
    // stays with an action that changes no text.
    auto a = std::make_unique<KyrUndoAction>();
    a->kind = kind;
    a->offset = block ? block->firstLineOffset : 0;
    a->block = std::move(block);
    a->ownsBlock = 1;
    PushUndo(std::move(a));
}

void KyrEditCtrl::GroupLastUndo()
{
    if (!undoActions.empty() && undoApplied == (int)undoActions.size()) undoActions.back()->grouped = 1;
}

bool KyrEditCtrl::CanMergeTyping(const std::string& typed, int offset)
{
    if (noMerge || GetOverwriteMode() || undoActions.empty()) return false;
    if (undoApplied != (int)undoActions.size()) return false;
    if (undoSaved == undoApplied) return false;   // never into the action a save closed
    if (previousKey != 0x20 && previousKey < 0x30) return false;
    const KyrUndoAction& last = *undoActions.back();
    if (!last.typed || !(last.kind & KYR_UNDO_INSERT) || (last.kind & KYR_UNDO_DELETE) || (last.flags & KYR_UNDO_OVERWRITE) ||
        last.grouped || last.block)
        return false;
    if (last.offset + (int)last.text.size() != offset) return false;   // typing elsewhere starts anew
    const bool typedDelimiter = IsDelimiter((unsigned char)typed[0]);
    const bool previousDelimiter = previousKey < 0x80 && IsDelimiter((unsigned char)previousKey);
    return typedDelimiter == previousDelimiter;
}

void KyrEditCtrl::RecordTyping(const std::string& typed, unsigned kind, int offset)
{
    if (typed.empty()) return;
    if (typed == "\n") {
        RecordUndo("\n", KYR_UNDO_INSERT, offset, true, false);
        return;
    }
    // Overwrite replaces a character; on a line feed or at the end it inserts.
    const bool replaces = GetOverwriteMode() && offset < Length() && text[offset] != '\n';
    if (replaces) {
        RecordUndo(text.substr((size_t)offset, (size_t)EditCharLength(text, offset)), kind, offset, false, false);
        undoActions.empty() ? void() : void(undoActions.back()->typed = true);
        return;
    }
    if (kind == KYR_UNDO_INSERT && CanMergeTyping(typed, offset)) {
        undoActions.back()->text += typed;
        modified = 1;
        return;
    }
    RecordUndo(typed, kind, offset, true, false);
    if (!undoActions.empty() && undoApplied == (int)undoActions.size()) undoActions.back()->typed = true;
}

bool KyrEditCtrl::Undo(bool redraw)
{
    if (undoApplied <= 0) {
        Event(kEventNothingToUndo);
        return false;
    }
    do {
        if (!ApplyUndoAction(undoActions[(size_t)undoApplied - 1].get(), true, false)) {
            if (redraw) RedrawAll();
            return false;
        }
        --undoApplied;
    } while (undoApplied > 0 && undoActions[(size_t)undoApplied - 1]->grouped);
    if (redraw) RedrawAll();
    NotifyHistoryMoved();
    return true;
}

bool KyrEditCtrl::Redo(bool redraw)
{
    if (undoApplied >= (int)undoActions.size()) {
        Event(kEventNothingToRedo);
        return false;
    }
    bool more;
    do {
        KyrUndoAction* a = undoActions[(size_t)undoApplied].get();
        if (!ApplyUndoAction(a, false, false)) {
            if (redraw) RedrawAll();
            return false;
        }
        ++undoApplied;
        more = a->grouped && undoApplied < (int)undoActions.size();
    } while (more);
    if (redraw) RedrawAll();
    NotifyHistoryMoved();
    return true;
}

void KyrEditCtrl::NotifyHistoryMoved()
{
    // The text's changes were told as they happened, before the history
    // counts moved; now whether the text is the saved one is known.
    if (!m_hWnd) return;
    if (HWND parent = ::GetParent(m_hWnd)) ::SendMessage(parent, KyrEditChangeMessage(), kEditChangeHistoryMoved, 0);
}

bool KyrEditCtrl::ApplyUndoAction(KyrUndoAction* a, bool undo, bool redraw)
{
    if (!a) return false;
    const int at = a->offset;
    int caret = at;
    if (a->flags & KYR_UNDO_OVERWRITE) {
        // Swap the whole character at offset with the kept one.
        if (at < 0 || at >= Length()) return false;
        const int n = EditCharLength(text, at);
        const std::string current = text.substr((size_t)at, (size_t)n);
        if (!CanDelete(at, current) || !CanInsert(at, a->text)) return false;
        OnRemoveText(at, at + n);
        text.erase((size_t)at, (size_t)n);
        TextErased(at, n);
        NotifyEditChange(at, current, false);
        OnInsertText(at, a->text);
        text.insert((size_t)at, a->text);
        TextInserted(at, (int)a->text.size());
        NotifyEditChange(at, a->text, true);
        caret = undo ? at : at + (int)a->text.size();
        a->text = current;
    } else if (a->kind & (KYR_UNDO_INSERT | KYR_UNDO_DELETE)) {
        const bool putBack = ((a->kind & KYR_UNDO_INSERT) != 0) != undo;
        const int n = (int)a->text.size();
        if (at < 0 || at > Length()) return false;
        if (putBack) {
            if ((int64_t)text.size() + n > kEditorMaxBytes) return false;
            if (!CanInsert(at, a->text)) return false;
            OnInsertText(at, a->text);
            text.insert((size_t)at, a->text);
            TextInserted(at, n);
            NotifyEditChange(at, a->text, true);
            caret = at + n;
        } else {
            // The history is in step with the text; a mismatch would cut the wrong bytes.
            if (at + n > Length() || text.compare((size_t)at, (size_t)n, a->text) != 0) return false;
            if (!CanDelete(at, a->text)) return false;
            OnRemoveText(at, at + n);
            text.erase((size_t)at, (size_t)n);
            TextErased(at, n);
            NotifyEditChange(at, a->text, false);
            caret = std::clamp(a->caret, 0, Length());
            if (caret > at) caret = at;
        }
    } else {
        return true;   // a block record without text changes
    }
    ClearSelection();
    boxAnchorX = boxAnchorY = boxCornerX = boxCornerY = -1;
    UpdateScrollRanges();
    SetCaretOffset(std::clamp(caret, 0, Length()), true, false);
    desiredColumn = caretColumn;
    modified = 1;
    if (redraw) RedrawAll();
    return true;
}
