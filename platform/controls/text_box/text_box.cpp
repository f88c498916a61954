// The text box's window: its state made and ended, and the window messages
// sent to their handlers (the edit messages follow in text_box_messages.cpp).
#include "platform/controls/text_box/text_box.h"

#include <algorithm>
#include <cstring>

CTextBox::~CTextBox()
{
    for (auto& [k, f] : fonts) DeleteObject(f);
}

LRESULT CTextBox::Create(HWND hwnd, LPARAM l, bool rich)
{
    const CREATESTRUCT* cs = (const CREATESTRUCT*)l;
    NoteScrollStyle(hwnd, cs);
    CTextBox* tb = new CTextBox;
    tb->hwnd = hwnd;
    tb->rich = rich;
    if (rich) tb->limit = INT_MAX;
    else tb->limit = 0x7FFFFFFE;
    SetWindowLongPtr(hwnd, 0, (LONG_PTR)tb);
    tb->readOnly = (cs->style & ES_READONLY) != 0;
    tb->doc.Replace(0, 0, "", tb->doc.Intern(tb->defaultFormat));
    return TRUE;
}

LRESULT CTextBox::OnMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case WM_CREATE: return OnCreate((const CREATESTRUCT*)l);
    case WM_ERASEBKGND: return 1;
    case WM_GETDLGCODE: return OnGetDlgCode((const MSG*)l);
    case WM_SETFONT: return OnSetFont((HFONT)w, LOWORD(l) != 0);
    case WM_GETFONT: return (LRESULT)font;
    case WM_SETTEXT: return OnSetText((const char*)l);
    case WM_GETTEXT: return OnGetText(w, (char*)l);
    case WM_GETTEXTLENGTH: return doc.Length();
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return OnFocus(msg == WM_SETFOCUS);
    case WM_KEYDOWN: KeyDown((UINT)w); return 0;
    case WM_CHAR:
    case WM_IME_CHAR: Char((uint32_t)w); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnLButtonDown(w, PointOf(l), msg == WM_LBUTTONDBLCLK);
    case WM_MOUSEMOVE: return OnMouseMove(PointOf(l));
    case WM_LBUTTONUP: return OnLButtonUp();
    case WM_CAPTURECHANGED: return OnCaptureChanged();
    case WM_CONTEXTMENU: ContextMenu(l); return 0;
    case WM_HSCROLL: HScroll(w); return 0;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL: return OnVScroll(msg, w);
    case WM_COPY: Copy(); return 0;
    case WM_CUT: return OnCut();
    case WM_PASTE: Paste(); return 0;
    case WM_CLEAR: return OnClear();
    case WM_UNDO: return UndoRedo(false);
    default: return OnEditMessage(msg, w, l);
    }
}

LRESULT CTextBox::OnCreate(const CREATESTRUCT* cs)
{
    if (cs->lpszName && *cs->lpszName) {
        std::string t = NormaliseLineEnds(cs->lpszName);
        doc.Replace(0, 0, Multi() ? t : t.substr(0, t.find('\n')), doc.Intern(defaultFormat));
    }
    UpdateScrollBar();
    return 0;
}

LRESULT CTextBox::OnGetDlgCode(const MSG* m)
{
    LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    if (Multi()) code |= DLGC_WANTALLKEYS;
    // Tab and Esc still move through and close a dialog.
    if (m && m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_ESCAPE)) code &= ~DLGC_WANTALLKEYS;
    if (m && Multi() && m->message == WM_KEYDOWN && m->wParam == VK_RETURN && !rich && !(Style() & ES_WANTRETURN))
        code &= ~DLGC_WANTALLKEYS;
    return code;
}

LRESULT CTextBox::OnSetFont(HFONT f, bool redraw)
{
    font = f;
    if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
}

// New text starts afresh: no selection, no scrolling, no undo, unmodified.
LRESULT CTextBox::OnSetText(const char* text)
{
    std::string t = NormaliseLineEnds(text ? text : "");
    doc.Replace(0, doc.Length(), "", doc.Intern(defaultFormat));
    doc.Replace(0, 0, Multi() ? t : t.substr(0, t.find('\n')), doc.Intern(defaultFormat));
    anchor = caret = 0;
    firstLine = 0;
    xScroll = 0;
    undo.clear();
    redo.clear();
    modified = false;
    insertFormat = -1;
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateScrollBar();
    PlaceCaret();
    NotifyChange();
    return TRUE;
}

LRESULT CTextBox::OnGetText(WPARAM size, char* out)
{
    if (size == 0 || !out) return 0;
    const std::string& t = doc.Text();
    size_t n = std::min(t.size(), (size_t)size - 1);
    memcpy(out, t.data(), n);
    out[n] = '\0';
    return (LRESULT)n;
}

LRESULT CTextBox::OnFocus(bool on)
{
    focused = on;
    if (on) PlaceCaret();
    else DestroyCaret();
    if (SelMin() != SelMax()) InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParentCommand(hwnd, on ? EN_SETFOCUS : EN_KILLFOCUS);
    return 0;
}

namespace {

LRESULT CALLBACK_EditProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_NCCREATE) return CTextBox::Create(h, l, false);
    return ControlProc<CTextBox>(h, m, w, l);
}

LRESULT CALLBACK_RichProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_NCCREATE) return CTextBox::Create(h, l, true);
    return ControlProc<CTextBox>(h, m, w, l);
}

}  // namespace

void RegisterTextBoxClasses()
{
    RegisterControlClass(WC_EDIT, CALLBACK_EditProc);
    RegisterControlClass(RICHEDIT_CLASS, CALLBACK_RichProc);
}

WNDPROC RichEditWindowProc() { return CALLBACK_RichProc; }
