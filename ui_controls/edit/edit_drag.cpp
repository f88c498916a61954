// Drag and drop of text within and between editors over the framework's
// in-process data transfer.
#include "platform/user/clipboard.h"
#include "ui_controls/edit/edit_ctrl.h"

namespace {
bool OffersText(COleDataObject* data)
{
    return data && (data->IsDataAvailable(CF_TEXT) || data->IsDataAvailable(KyrEditCtrl::ColumnFormat()));
}
// Ctrl asks for a copy.
DROPEFFECT WithKeys(DROPEFFECT effect, DWORD keyState)
{
    return effect != DROPEFFECT_NONE && (keyState & MK_CONTROL) ? DROPEFFECT_COPY : effect;
}
}   // namespace

DROPEFFECT KyrEditDropTarget::OnDragEnter(CWnd*, COleDataObject* data, DWORD keyState, POINT pt)
{
    if (!ctrl || !OffersText(data)) return DROPEFFECT_NONE;
    return WithKeys(ctrl->BeginDragCaret(pt), keyState);
}

DROPEFFECT KyrEditDropTarget::OnDragOver(CWnd*, COleDataObject* data, DWORD keyState, POINT pt)
{
    if (!ctrl || !OffersText(data)) return DROPEFFECT_NONE;
    return WithKeys(ctrl->OnDragOverText(pt), keyState);
}

void KyrEditDropTarget::OnDragLeave(CWnd*)
{
    if (ctrl) ctrl->EndDragCaret();
}

BOOL KyrEditDropTarget::OnDrop(CWnd*, COleDataObject* data, DROPEFFECT, POINT pt)
{
    if (!ctrl || !OffersText(data)) return FALSE;
    return ctrl->OnDropText(data, pt) ? TRUE : FALSE;
}

DROPEFFECT KyrEditCtrl::BeginDragCaret(POINT point)
{
    if (!readOnly && m_hWnd && hasFocus) {
        // The grey caret, two pixels wide.
        DestroyCaret();
        CreateCaret(m_hWnd, (HBITMAP)1, 2, lineHeight);
        dragCaret = true;
        PlaceSystemCaret();
        ShowCaret(m_hWnd);
    }
    return OnDragOverText(point);
}

void KyrEditCtrl::EndDragCaret()
{
    if (readOnly || !dragCaret) return;
    dragCaret = false;
    if (hasFocus) RecreateCaret();
}

DROPEFFECT KyrEditCtrl::OnDragOverText(POINT point)
{
    if (readOnly) return DROPEFFECT_NONE;
    if (!PtInRect(&textRect, point)) return DROPEFFECT_NONE;
    POINT p = point;
    bool right = false;
    if (p.y >= textRect.bottom - lineHeight && firstLine + VisibleLines() < lineCount + 1)
        p.y += lineHeight;
    else if (p.y < textRect.top + lineHeight && firstLine > 0)
        p.y -= lineHeight;
    else if (p.x >= textRect.right - columnWidth) {
        p.x += columnWidth;
        right = true;
    } else if (p.x < textRect.left + columnWidth && firstColumn > 0)
        p.x -= columnWidth;
    const int at = OffsetFromPoint(p, false, true);
    // Near the right edge the view only scrolls when the line goes on.
    if (at >= 0 && !(right && GetColumnOfOffset(at) <= caretColumn && GetLineOfOffset(at) == caretLine))
        SetCaretOffset(at, true, false);
    return DROPEFFECT_MOVE;
}

bool KyrEditCtrl::OnDropText(COleDataObject* data, POINT point)
{
    EndDragCaret();
    if (!OffersText(data) || readOnly) return false;
    POINT p = point;
    int at = OffsetFromPoint(p, false, true);
    at = std::clamp(at < 0 ? caretOffset : at, 0, Length());
    if (dragging && HasSelection() && at >= SelMin() && at <= SelMax()) {
        Event(KYR_EV_DROP_REFUSED);   // onto the dragged text itself
        return false;
    }
    SetLastAction(KYR_ACT_DROP);
    ClearSelection();
    SetCaretOffset(at, true, false);
    const int before = Length();
    if (!PasteFromDataObject(*data)) return false;
    if (!dragging) savedCaretOffset = caretOffset;
    dropOffset = at;
    dropLength = Length() - before;
    return true;
}

bool KyrEditCtrl::DragOutSelection(POINT point)
{
    if (!HasSelection()) return false;
    int lo = SelMin(), hi = SelMax();
    const std::string dragged = GetSelectedText();
    COleDataSource source;
    source.CacheData(CF_TEXT, dragged + '\0');
    POINT start = point;
    ::ClientToScreen(m_hWnd, &start);
    dragging = 1;
    dropOffset = -1;
    dropLength = 0;
    if (hasFocus && !readOnly) HideCaret(m_hWnd);
    const DROPEFFECT effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    dragging = 0;
    if (hasFocus && !readOnly) ShowCaret(m_hWnd);
    const int len = hi - lo;
    if (effect == DROPEFFECT_MOVE && !readOnly) {
        if (dropOffset != -1) {
            if (dropOffset <= lo) {
                lo += dropLength;
                hi += dropLength;
            } else {
                dropOffset -= len;
            }
            GroupLastUndo();   // the drop and the removal undo together
        }
        DeleteText(lo, hi);
    }
    if (dropOffset != -1) {
        selAnchor = dropOffset;
        selEnd = dropOffset + dropLength;
        SetCaretOffset(selEnd, true, false);
    } else if (effect == DROPEFFECT_NONE) {
        POINT now{};
        GetCursorPos(&now);
        const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
        if (std::abs(now.x - start.x) <= cx && std::abs(now.y - start.y) <= cy) {
            // A plain click on the selection: the caret goes there.
            ClearSelection();
            POINT p = point;
            const int at = OffsetFromPoint(p, false, true);
            if (at >= 0) SetCaretOffset(at, true, false);
        }
    }
    RedrawAll();
    dropOffset = -1;
    return effect != DROPEFFECT_NONE;
}
