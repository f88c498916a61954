// The editor's keyboard and mouse: keys to actions, typed characters, the
// selecting drag with its auto-scroll, double and right clicks, the cursor.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>

void KyrEditCtrl::ScrollLines(int delta)
{
    OnVScroll(delta > 0 ? SB_LINEDOWN : SB_LINEUP, 0, nullptr);
}

void KyrEditCtrl::OnKeyDown(UINT vk, UINT, UINT)
{
    if (vk >= 0x1C && vk <= 0x8F) HideToolTip();
    const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
    const bool ctrl = GetKeyState(VK_CONTROL) & 0x8000;
    if (readOnly) {
        ReadOnlyKey(vk, shift);
        return;
    }
    previousKey = lastKey;
    lastKey = (int)vk;
    const bool sel = HasSelection();
    if (sel && (vk == VK_ESCAPE || vk == VK_DELETE || vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT)) {
        if (caretX < textRect.left || caretX >= textRect.right || caretY < textRect.top || caretY >= textRect.bottom)
            SetCaretOffset(caretOffset, true, true);
    }
    if (EditKey(vk, shift, ctrl) || MoveKey(vk, shift, ctrl)) return;
    Default();
}

// Read-only, the keys scroll the view.
void KyrEditCtrl::ReadOnlyKey(UINT vk, bool shift)
{
    switch (vk) {
    case VK_TAB:
        if (shift)
            OnVScroll(SB_PAGEUP, 0, nullptr);
        else
            OnVScroll(SB_PAGEDOWN, 0, nullptr);
        break;
    case VK_NEXT: OnVScroll(SB_PAGEDOWN, 0, nullptr); break;
    case VK_PRIOR: OnVScroll(SB_PAGEUP, 0, nullptr); break;
    case VK_END: OnVScroll(SB_BOTTOM, 0, nullptr); break;
    case VK_HOME:
        OnVScroll(SB_TOP, 0, nullptr);
        OnHScroll(SB_TOP, 0, nullptr);
        break;
    case VK_UP: OnVScroll(SB_LINEUP, 0, nullptr); break;
    case VK_DOWN: OnVScroll(SB_LINEDOWN, 0, nullptr); break;
    case VK_LEFT: OnHScroll(SB_LINEUP, 0, nullptr); break;
    case VK_RIGHT: OnHScroll(SB_LINEDOWN, 0, nullptr); break;
    case VK_INSERT: ToggleOverwrite(); break;
    default: Default();
    }
}

// The keys that change the text; false for any other key.
bool KyrEditCtrl::EditKey(UINT vk, bool shift, bool ctrl)
{
    switch (vk) {
    case VK_BACK:
        if (ctrl) break;   // Ctrl+Backspace neither deletes nor types
        BackspaceKey();
        break;
    case VK_TAB:
        if (ctrl) break;
        TabKey(shift);
        break;
    case VK_RETURN:
        if (HasSelection()) DeleteSelection(true, false, true);
        if (!GetOverwriteMode()) {
            SetLastAction(KYR_ACT_ENTER);
            InsertLineBreak(caretOffset, true);
        } else {
            MoveLine(true, false, true);
            MoveHome(true);
        }
        desiredColumn = caretColumn;
        break;
    case VK_ESCAPE: CollapseSelection(false, true, true); break;
    case VK_INSERT: ToggleOverwrite(); break;
    case VK_DELETE:
        SetLastAction(KYR_ACT_DELETE);
        DeleteKey(true);
        break;
    default: return false;
    }
    return true;
}

void KyrEditCtrl::BackspaceKey()
{
    if (HasSelection()) {
        SetLastAction(KYR_ACT_BACKSPACE);
        DeleteSelection(true, false, true);
    } else if (caretOffset > 0) {
        const int old = caretOffset;
        SetCaretOffset(EditPrevChar(text, caretOffset), true, false);
        SetLastAction(KYR_ACT_BACKSPACE);
        if (!DeleteKey(true)) SetCaretOffset(old, true, false);
    } else {
        Event(KYR_EV_AT_START);
    }
}

void KyrEditCtrl::TabKey(bool shift)
{
    if (HasSelection()) {
        // Only a selection that is no block of lines is replaced by an
        // indent; a block too long to indent stays as it is.
        const bool block = IsBlock();
        if (!IndentBlock(!shift) && !shift && !block) {
            DeleteSelection(true, false, true);
            InsertTab();
        }
    } else if (shift) {
        BackTab();
    } else {
        InsertTab();
    }
}

// The keys that move the caret (Shift: extend the selection); false for any
// other key.
bool KyrEditCtrl::MoveKey(UINT vk, bool shift, bool ctrl)
{
    switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) break;
        if (shift) {
            ExtendSelection(vk == VK_PRIOR ? 6 : 7);
        } else {
            CollapseSelection(true, false, true);
            if (vk == VK_PRIOR)
                PageUp(true);
            else
                PageDown(true);
        }
        break;
    case VK_END:
    case VK_HOME: HomeEndKey(vk == VK_HOME, shift, ctrl); break;
    case VK_LEFT:
        if (shift)
            ExtendSelection(ctrl ? 0 : 2);
        else if (ctrl) {
            CollapseSelection(true, false, true);
            PreviousWord(true);
        } else if (!CollapseSelection(true, false, true)) {
            MoveCharLeft(true);
        }
        break;
    case VK_RIGHT:
        if (shift)
            ExtendSelection(ctrl ? 1 : 3);
        else if (ctrl) {
            CollapseSelection(false, false, true);
            NextWord(true);
        } else if (!CollapseSelection(false, false, true)) {
            MoveCharRight(true);
        }
        break;
    case VK_UP:
    case VK_DOWN: UpDownKey(vk == VK_DOWN, shift, ctrl); break;
    default: return false;
    }
    return true;
}

void KyrEditCtrl::HomeEndKey(bool home, bool shift, bool ctrl)
{
    if (home) {
        if (shift)
            ExtendSelection(ctrl ? 10 : 8);
        else {
            CollapseSelection(true, false, true);
            if (ctrl)
                MoveToTextStart(true);
            else
                MoveHome(true);
        }
        return;
    }
    if (shift)
        ExtendSelection(ctrl ? 11 : 9);
    else {
        CollapseSelection(false, false, true);
        if (ctrl)
            MoveToTextEnd(true);
        else
            MoveEnd(true);
    }
}

void KyrEditCtrl::UpDownKey(bool down, bool shift, bool ctrl)
{
    if (ctrl && shift) return;
    if (shift) {
        ExtendSelection(down ? 5 : 4);
    } else if (ctrl) {
        ScrollLines(down ? 1 : -1);
        if (caretY < textRect.top || caretY + lineHeight > textRect.bottom) MoveLine(down, true, true);
    } else {
        const bool had = CollapseSelection(!down, false, true);
        MoveLine(down, !had, true);
    }
}

void KyrEditCtrl::OnChar(UINT ch, UINT, UINT)
{
    const bool control = ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch <= 0x9F);
    const bool nonCharacter = (ch >= 0xFDD0 && ch <= 0xFDEF) || (ch & 0xFFFE) == 0xFFFE || (ch >= 0xD800 && ch <= 0xDFFF) ||
                              ch > 0x10FFFF;
    if (control || nonCharacter || readOnly) {
        Default();
        return;
    }
    if (HasSelection()) DeleteSelection(true, false, true);
    SetLastAction(KYR_ACT_TYPED);
    InsertChar(ch, true);
}

void KyrEditCtrl::OnLButtonDown(UINT flags, POINT pt)
{
    SetFocus();
    (void)(GetKeyState(VK_MENU) & 0x8000);   // Alt state read, box mode not entered
    if (HasSelection()) {
        RECT unused;
        (void)unused;
        const int lo = SelMin(), hi = SelMax();
        POINT p = pt;
        const int at = OffsetFromPoint(p, false, false);
        if (at >= lo && at < hi) {
            DragOutSelection(pt);
            return;
        }
    }
    if (pt.x < textRect.left && pt.x >= 0) pt.x = textRect.left;
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, true);
    if (at >= 0) SetCaretOffset(at, true, false);
    desiredColumn = caretColumn;
    if (flags & MK_LBUTTON) {
        ::SetCapture(m_hWnd);
        selecting = true;
        lastHitOffset = -1;
    }
    if (selAnchor >= 0 || selEnd >= 0) {
        ClearSelection();
        RedrawAll();
    }
}

void KyrEditCtrl::MouseSelectTo(POINT pt)
{
    if (pt.x < textRect.left) pt.x = textRect.left;
    if (pt.x >= textRect.right) pt.x = textRect.right - 1;
    if (selAnchor < 0 || selEnd < 0) {
        selAnchor = selEnd = caretOffset;
        lastHitOffset = caretOffset;
    }
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, true);
    if (at < 0 || at == selEnd) return;
    const int old = selEnd;
    const int oldFirst = firstLine;
    selEnd = at;
    lastHitOffset = at;
    SetCaretOffset(at, true, false);
    if (oldFirst != firstLine)
        RedrawAll();
    else
        RedrawLines(old, at);
}

void KyrEditCtrl::OnMouseMove(UINT flags, POINT pt)
{
    if (selecting && (flags & MK_LBUTTON) && GetCapture() == m_hWnd) {
        const bool inside = pt.x >= textRect.left && pt.x < textRect.right && pt.y >= textRect.top && pt.y < textRect.bottom;
        if (!inside && autoScrollTimer < 0) {
            SetTimer(1, (UINT)autoScrollInterval);
            autoScrollTimer = 1;
        } else if (inside && autoScrollTimer >= 0) {
            KillTimer(1);
            autoScrollTimer = -1;
        }
        MouseSelectTo(pt);
        return;
    }
    if (hoverTips && !selecting) UpdateHoverTip(pt);
}

void KyrEditCtrl::OnTimer(UINT_PTR id)
{
    if (id != 1 || !selecting) {
        Default();
        return;
    }
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(m_hWnd, &p);
    PostMessage(WM_MOUSEMOVE, MK_LBUTTON, (LPARAM)((DWORD)(WORD)(short)p.x | ((DWORD)(WORD)(short)p.y << 16)));
}

// A capture taken away (a menu, another window) ends the mouse selection.
LRESULT KyrEditCtrl::OnCaptureChanged(WPARAM, LPARAM l)
{
    if ((HWND)l != m_hWnd && selecting) {
        if (autoScrollTimer >= 0) KillTimer(1);
        autoScrollTimer = -1;
        selecting = false;
        if (selAnchor >= 0 && selAnchor == selEnd) ClearSelection();
    }
    return 0;
}

void KyrEditCtrl::OnLButtonUp(UINT, POINT)
{
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (autoScrollTimer >= 0) KillTimer(1);
    autoScrollTimer = -1;
    selecting = false;
    desiredColumn = caretColumn;
    if (selAnchor >= 0 && selAnchor == selEnd) ClearSelection();
}

void KyrEditCtrl::OnLButtonDblClk(UINT, POINT pt)
{
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, false);
    if (at < 0 || at >= Length()) return;
    int a = at, b = at;
    if (IsBlankByte(text[at])) {
        while (a > 0 && IsBlankByte(text[a - 1])) --a;
        while (b < Length() && IsBlankByte(text[b])) ++b;
        if (b - a < 2) GetWordBounds(at, &a, &b);
    } else {
        GetWordBounds(at, &a, &b);
    }
    if (a == b) return;
    selAnchor = a;
    selEnd = b;
    SetCaretOffset(b, true, false);
    desiredColumn = caretColumn;
    RedrawAll();
}

void KyrEditCtrl::OnRButtonDown(UINT, POINT pt)
{
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, false);
    if (HasSelection() && at >= SelMin() && at < SelMax()) return;
    if (selAnchor >= 0) {
        ClearSelection();
        RedrawAll();
    }
    if (at >= 0) SetCaretOffset(at, true, false);
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (autoScrollTimer >= 0) KillTimer(1);
    autoScrollTimer = -1;
    selecting = false;
}

LRESULT KyrEditCtrl::OnSetCursorMsg(WPARAM w, LPARAM l)
{
    if ((HWND)w != m_hWnd || LOWORD(l) != HTCLIENT) return CWnd::DefWindowProc(WM_SETCURSOR, w, l);
    POINT pt;
    GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    const bool inText = pt.x >= textRect.left && pt.x < textRect.right && pt.y >= textRect.top && pt.y < textRect.bottom;
    POINT p = pt;
    const int at = inText ? OffsetFromPoint(p, true, false) : -1;
    const bool onSel = HasSelection() && at >= SelMin() && at < SelMax();
    bool ibeam = inText && !onSel;
    if (ibeam && readOnly) ibeam = at >= 0 && std::abs(pt.x - p.x) <= columnWidth && std::abs(pt.y - p.y) <= lineHeight;
    SetCursor(LoadCursor(nullptr, ibeam ? IDC_IBEAM : IDC_ARROW));
    return TRUE;
}
