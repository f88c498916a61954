// The edit messages of the text box: undo, selection, lines and scrolling,
// limits and positions.
#include <algorithm>
#include <cstring>

#include "platform/controls/text_box/text_box.h"

LRESULT CTextBox::OnEditMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case EM_UNDO: return UndoRedo(false);
    case EM_REDO: return UndoRedo(true);
    case EM_DROPTEXT: return OnDropText(w, l);
    case EM_CANUNDO: return !undo.empty();
    case EM_CANREDO: return !redo.empty();
    case EM_EMPTYUNDOBUFFER: return OnEmptyUndoBuffer();
    case EM_GETSEL: return OnGetSel((DWORD*)w, (DWORD*)l);
    case EM_SETSEL: return OnSetSel((int)(intptr_t)w, (int)(intptr_t)l);
    case EM_EXGETSEL: return OnExGetSel((CHARRANGE*)l);
    case EM_EXSETSEL: return OnExSetSel((const CHARRANGE*)l);
    case EM_REPLACESEL: return OnReplaceSel(w != 0, (const char*)l);
    case EM_SCROLLCARET: ScrollCaretIntoView(); return 0;
    case EM_GETMODIFY: return modified;
    case EM_SETMODIFY: return OnSetModify(w != 0);
    case EM_SETREADONLY: return OnSetReadOnly(w != 0);
    case EM_LIMITTEXT: return OnLimitText((long)(LPARAM)w);
    case EM_EXLIMITTEXT: return OnLimitText((long)l);
    case EM_GETLIMITTEXT: return limit;
    case EM_POSFROMCHAR: return OnPosFromChar(w, l);
    case EM_CHARFROMPOS: return OnCharFromPos(l);
    case EM_GETRECT: return OnGetRect((RECT*)l);
    default: return OnLineMessage(msg, w, l);
    }
}

LRESULT CTextBox::OnLineMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case EM_GETLINECOUNT: return LineCount();
    case EM_LINEINDEX: return OnLineIndex((int)(intptr_t)w);
    case EM_LINELENGTH: return OnLineLength((int)(intptr_t)w);
    case EM_LINEFROMCHAR: return OnLineFromChar((int)(intptr_t)(LPARAM)w);
    case EM_EXLINEFROMCHAR: return OnLineFromChar((int)(intptr_t)l);
    case EM_GETLINE: return OnGetLine((int)w, (char*)l);
    case EM_GETFIRSTVISIBLELINE: return Multi() ? firstLine : 0;
    case EM_LINESCROLL: return OnLineScroll(w, (int)l);
    case EM_SCROLL: return OnScroll(w);
    default: return OnRichMessage(msg, w, l);
    }
}

LRESULT CTextBox::OnEmptyUndoBuffer()
{
    undo.clear();
    redo.clear();
    return 0;
}

LRESULT CTextBox::OnGetSel(DWORD* start, DWORD* end)
{
    if (start) *start = (DWORD)SelMin();
    if (end) *end = (DWORD)SelMax();
    return MAKELONG(std::min(SelMin(), 0xFFFF), std::min(SelMax(), 0xFFFF));
}

// a == -1 takes the selection away; b == -1 (or past the end) is the end.
LRESULT CTextBox::OnSetSel(int a, int b)
{
    if (a == -1) {
        SetSel(caret, caret);
        return 0;
    }
    if (b == -1 || b > doc.Length()) b = doc.Length();
    SetSel(a, b);
    ScrollCaretIntoView();
    return 0;
}

LRESULT CTextBox::OnExGetSel(CHARRANGE* cr)
{
    if (cr) *cr = CHARRANGE{SelMin(), SelMax()};
    return 0;
}

LRESULT CTextBox::OnExSetSel(const CHARRANGE* cr)
{
    if (!cr) return SelMax();
    int a = cr->cpMin, b = cr->cpMax;
    if (b < 0 || b > doc.Length()) b = doc.Length();
    if (a < 0) a = b;
    SetSel(a, b);
    return SelMax();
}

LRESULT CTextBox::OnReplaceSel(bool canUndo, const char* text)
{
    std::string t = NormaliseLineEnds(text ? text : "");
    Edit(SelMin(), SelMax(), t, false, canUndo);
    return 0;
}

LRESULT CTextBox::OnSetModify(bool on)
{
    modified = on;
    return 0;
}

LRESULT CTextBox::OnSetReadOnly(bool on)
{
    readOnly = on;
    DWORD st = Style();
    SetWindowLongPtr(hwnd, GWL_STYLE, (LONG_PTR)(on ? (st | ES_READONLY) : (st & ~ES_READONLY)));
    InvalidateRect(hwnd, nullptr, TRUE);
    return TRUE;
}

// 0 or less: the largest limit of the kind.
LRESULT CTextBox::OnLimitText(long v)
{
    limit = v <= 0 ? (rich ? 32767 : 0x7FFFFFFE) : (int)std::min(v, (long)INT_MAX);
    return 0;
}

// Rich: the point goes to *wParam for the character in lParam; plain: the
// character in wParam, the point packed in the result.
LRESULT CTextBox::OnPosFromChar(WPARAM w, LPARAM l)
{
    if (rich) {
        POINT* out = (POINT*)w;
        int p = (int)l;
        POINT pt = PosFromChar(p);
        if (out) *out = pt;
        return 0;
    }
    int p = (int)w;
    if (p < 0 || p > doc.Length()) return -1;
    POINT pt = PosFromChar(p);
    return MAKELONG((WORD)(short)pt.x, (WORD)(short)pt.y);
}

LRESULT CTextBox::OnCharFromPos(LPARAM l)
{
    POINT pt;
    if (rich && l) pt = *(const POINT*)l;
    else pt = POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
    int p = CharFromPos(pt);
    if (rich) return p;
    return MAKELONG((WORD)std::min(p, 0xFFFF), (WORD)std::min(LineFromChar(p), 0xFFFF));
}

LRESULT CTextBox::OnGetRect(RECT* out)
{
    if (out) *out = FormatRect();
    return 0;
}

LRESULT CTextBox::OnLineIndex(int line)
{
    if (line < 0) line = LineFromChar(caret);
    if (line >= LineCount()) return -1;
    return LineStart(line);
}

LRESULT CTextBox::OnLineLength(int p)
{
    if (p < 0) p = caret;
    if (p > doc.Length()) return 0;
    int line = LineFromChar(p);
    return LineEnd(line) - LineStart(line);
}

LRESULT CTextBox::OnLineFromChar(int p)
{
    if (p < 0) p = caret;
    return LineFromChar(std::min(p, doc.Length()));
}

// The buffer's first WORD gives its size.
LRESULT CTextBox::OnGetLine(int line, char* buf)
{
    if (!buf || line < 0 || line >= LineCount()) return 0;
    WORD size;
    memcpy(&size, buf, sizeof size);
    const int a = LineStart(line), b = LineEnd(line);
    int n = std::min(b - a, (int)size);
    memcpy(buf, doc.Text().data() + a, (size_t)n);
    return n;
}

// wParam: columns of 8 pixels; lParam: lines.
LRESULT CTextBox::OnLineScroll(WPARAM w, int lines)
{
    int target = std::clamp(firstLine + lines, 0, std::max(0, LineCount() - 1));
    xScroll = std::max(0, xScroll + (int)(intptr_t)w * 8);
    if (target != firstLine || w) {
        const int oldFirst = firstLine;
        firstLine = target;
        UpdateScrollBar();
        // A few lines down with nothing else pending (output following the
        // end): move the pixels and paint only the lines that come into view.
        RECT pending;
        if (w == 0 && target > oldFirst && target - oldFirst < VisibleLines() &&
            !GetUpdateRect(hwnd, &pending, FALSE))
            ScrollDown(oldFirst);
        else
            InvalidateRect(hwnd, nullptr, TRUE);
        PlaceCaret();
    }
    return TRUE;
}

LRESULT CTextBox::OnScroll(WPARAM code)
{
    int d = 0;
    switch (code) {
    case SB_LINEUP: d = -1; break;
    case SB_LINEDOWN: d = 1; break;
    case SB_PAGEUP: d = -VisibleLines(); break;
    case SB_PAGEDOWN: d = VisibleLines(); break;
    default: return 0;
    }
    int before = firstLine;
    SendMessage(hwnd, EM_LINESCROLL, 0, d);
    return MAKELONG((WORD)(firstLine - before), 1);
}
