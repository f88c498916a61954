// The text box's keyboard and mouse.
#include <algorithm>

#include "platform/controls/text_box/text_box.h"

void CTextBox::KeyDown(UINT vk)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    int c = caret;
    const int line = LineFromChar(caret);
    switch (vk) {
    case VK_LEFT:
        if (!shift && SelMin() != SelMax()) c = SelMin();
        else c = ctrl ? WordStart(doc.PrevChar(c)) : doc.PrevChar(c);
        break;
    case VK_RIGHT:
        if (!shift && SelMin() != SelMax()) c = SelMax();
        else c = ctrl ? WordEnd(doc.NextChar(c)) : doc.NextChar(c);
        break;
    case VK_HOME: c = ctrl ? 0 : LineStart(line); break;
    case VK_END: c = ctrl ? doc.Length() : LineEnd(line); break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        if (!Multi()) return;
        c = VerticalTarget(vk, line);
        break;
    case VK_DELETE:
        if (shift) {
            Copy();
            Edit(SelMin(), SelMax(), "", true, true, WM_KEYDOWN, vk);
        } else if (SelMin() != SelMax()) {
            Edit(SelMin(), SelMax(), "", true, true, WM_KEYDOWN, vk);
        } else if (caret < doc.Length()) {
            Edit(caret, doc.NextChar(caret), "", true, true, WM_KEYDOWN, vk);
        }
        return;
    case VK_INSERT:
        if (ctrl) Copy();
        else if (shift) Paste();
        return;
    default: return;
    }
    SetSel(shift ? anchor : c, c);
    ScrollCaretIntoView();
}

// Up, Down, Page Up, Page Down: the character nearest the caret's x on the
// line they reach.
int CTextBox::VerticalTarget(UINT vk, int line)
{
    int step = (vk == VK_UP || vk == VK_DOWN) ? 1 : std::max(1, VisibleLines() - 1);
    int target = std::clamp(line + ((vk == VK_UP || vk == VK_PRIOR) ? -step : step), 0, LineCount() - 1);
    POINT pt = PosFromChar(caret);
    HDC hdc = GetDC(hwnd);
    int x = pt.x - LineX(hdc, line);
    int p = LineStart(target), acc = 0;
    while (p < LineEnd(target)) {
        int n = doc.NextChar(p);
        int w = Width(hdc, p, n, 96);
        if (acc + w / 2 > x) break;
        acc += w;
        p = n;
    }
    ReleaseDC(hwnd, hdc);
    return p;
}

void CTextBox::Char(uint32_t cp)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (cp) {
    case 1: SetSel(0, doc.Length()); return;
    case 3: Copy(); return;
    case 22: Paste(); return;
    case 24:
        Copy();
        Edit(SelMin(), SelMax(), "", true, true, WM_CUT);
        return;
    case 26: UndoRedo(false); return;
    case 25: UndoRedo(true); return;
    case 8:
        if (SelMin() != SelMax()) Edit(SelMin(), SelMax(), "", true, true, WM_CHAR, cp);
        else if (caret > 0) Edit(doc.PrevChar(caret), caret, "", true, true, WM_CHAR, cp);
        return;
    case 13:
        if (!Multi()) return;
        if (!rich && !(Style() & ES_WANTRETURN) && GetParent(hwnd) && ctrl) return;
        Edit(SelMin(), SelMax(), "\n", true, true, WM_CHAR, cp, 0, -1, true);
        return;
    case 9:
        if (!Multi()) return;
        Edit(SelMin(), SelMax(), "\t", true, true, WM_CHAR, cp, 0, -1, true);
        return;
    default: break;
    }
    if (cp < 32 || cp == 127) return;
    if (!rich && (Style() & ES_NUMBER) && (cp < '0' || cp > '9')) {
        return;
    }
    Edit(SelMin(), SelMax(), EncodeUtf8(cp), true, true, WM_CHAR, cp, 0, -1, true);
}

void CTextBox::ContextMenu(LPARAM l)
{
    HMENU m = CreatePopupMenu();
    const bool sel = SelMin() != SelMax();
    AppendMenu(m, undo.empty() || readOnly ? MF_GRAYED : MF_STRING, WM_UNDO, "&Undo");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    AppendMenu(m, sel && !readOnly ? MF_STRING : MF_GRAYED, WM_CUT, "Cu&t");
    AppendMenu(m, sel ? MF_STRING : MF_GRAYED, WM_COPY, "&Copy");
    AppendMenu(m, !readOnly && IsClipboardFormatAvailable(CF_TEXT) ? MF_STRING : MF_GRAYED, WM_PASTE, "&Paste");
    AppendMenu(m, sel && !readOnly ? MF_STRING : MF_GRAYED, WM_CLEAR, "&Delete");
    AppendMenu(m, MF_SEPARATOR, 0, nullptr);
    AppendMenu(m, doc.Length() ? MF_STRING : MF_GRAYED, 1, "Select &All");
    POINT pt{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    if (l == -1) {
        pt = PosFromChar(caret);
        ClientToScreen(hwnd, &pt);
    }
    UINT cmd = (UINT)TrackPopupMenu(m, TPM_RETURNCMD, pt.x, pt.y, 0, hwnd, nullptr);
    DestroyMenu(m);
    if (cmd == 1) SetSel(0, doc.Length());
    else if (cmd) SendMessage(hwnd, cmd, 0, 0);
}

// A press places the caret (Shift: extends the selection) and drags the
// selection while held; a double click selects the word.
LRESULT CTextBox::OnLButtonDown(WPARAM w, POINT pt, bool doubleClick)
{
    if (GetFocus() != hwnd) SetFocus(hwnd);
    int p = CharFromPos(pt);
    if (doubleClick) {
        SetSel(WordStart(p), WordEnd(p));
        return 0;
    }
    if (rich && !(w & MK_SHIFT) && SelMin() < SelMax() && p >= SelMin() && p < SelMax() && DragSelectionOut(p))
        return 0;
    SetSel((w & MK_SHIFT) ? anchor : p, p);
    selecting.Down(hwnd);
    return 0;
}

LRESULT CTextBox::OnMouseMove(POINT pt)
{
    if (selecting.tracking) {
        SetSel(anchor, CharFromPos(pt));
        ScrollCaretIntoView();
    }
    return 0;
}

LRESULT CTextBox::OnLButtonUp()
{
    selecting.End(hwnd);
    return 0;
}

LRESULT CTextBox::OnCaptureChanged()
{
    selecting.Lost(hwnd);
    return 0;
}

// The wheel and the vertical bar scroll by lines through EM_LINESCROLL.
LRESULT CTextBox::OnVScroll(UINT msg, WPARAM w)
{
    int delta;
    if (msg == WM_MOUSEWHEEL) delta = -GET_WHEEL_DELTA_WPARAM(w) / 40;
    else {
        switch (LOWORD(w)) {
        case SB_TOP: delta = -firstLine; break;
        case SB_BOTTOM: delta = LineCount(); break;
        default: delta = ScrolledLine(hwnd, w, firstLine, VisibleLines()) - firstLine;
        }
    }
    SendMessage(hwnd, EM_LINESCROLL, 0, delta);
    return 0;
}

LRESULT CTextBox::OnCut()
{
    Copy();
    Edit(SelMin(), SelMax(), "", true, true, WM_CUT);
    return 0;
}

LRESULT CTextBox::OnClear()
{
    Edit(SelMin(), SelMax(), "", true, true, WM_CLEAR);
    return 0;
}
