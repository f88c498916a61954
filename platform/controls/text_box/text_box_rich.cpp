// The rich-edit messages of the text box: event mask, options, background,
// character formats, text ranges and searching.
#include <algorithm>
#include <cstring>

#include "platform/controls/text_box/text_box.h"

LRESULT CTextBox::OnRichMessage(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case EM_SETEVENTMASK: return OnSetEventMask((DWORD)l);
    case EM_GETEVENTMASK: return eventMask;
    case EM_SETTARGETDEVICE: return OnSetTargetDevice((LONG)l);
    case EM_HIDESELECTION: return OnHideSelection(w != 0);
    case EM_SETOPTIONS: return OnSetOptions(w, (DWORD)l);
    case EM_GETOPTIONS: return Options();
    case EM_SETBKGNDCOLOR: return OnSetBkgndColor(w != 0, (COLORREF)l);
    case EM_SETCHARFORMAT: return OnSetCharFormat(w, (const CHARFORMAT*)l);
    case EM_GETCHARFORMAT: return OnGetCharFormat(w, (CHARFORMAT*)l);
    case EM_GETTEXTRANGE: return OnGetTextRange((TEXTRANGE*)l);
    case EM_GETSELTEXT: return OnGetSelText((char*)l);
    case EM_FINDTEXT:
    case EM_FINDTEXTEX: return OnFindText(msg, w, (FINDTEXTEX*)l);
    case EM_STREAMOUT: return OnStreamOut(w, (EDITSTREAM*)l);
    case EM_STREAMIN: return OnStreamIn(w, (EDITSTREAM*)l);
    case EM_FORMATRANGE: return OnFormatRange(w != 0, (FORMATRANGE*)l);
    default: return DefWindowProc(hwnd, msg, w, l);
    }
}

LRESULT CTextBox::OnSetEventMask(DWORD mask)
{
    DWORD old = eventMask;
    eventMask = mask;
    return old;
}

LRESULT CTextBox::OnSetTargetDevice(LONG width)
{
    if (targetWidth != width) {
        targetWidth = width;
        xScroll = 0;
        firstLine = std::clamp(firstLine, 0, std::max(0, LineCount() - 1));
        UpdateScrollBar();
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    return TRUE;
}

LRESULT CTextBox::OnHideSelection(bool hide)
{
    hideSel = hide;
    if (SelMin() != SelMax()) InvalidateRect(hwnd, nullptr, TRUE);   // an empty one shows nothing
    return 0;
}

LRESULT CTextBox::OnSetOptions(WPARAM op, DWORD value)
{
    DWORD opts = Options();
    switch (op) {
    case ECOOP_SET: opts = value; break;
    case ECOOP_OR: opts |= value; break;
    case ECOOP_AND: opts &= value; break;
    default: break;
    }
    readOnly = (opts & ECO_READONLY) != 0;
    hideSel = !(opts & ECO_NOHIDESEL);
    return opts;
}

// wParam non-zero: the system's window colour; the old colour comes back.
LRESULT CTextBox::OnSetBkgndColor(bool system, COLORREF colour)
{
    COLORREF old = sysBackground ? GetSysColor(COLOR_WINDOW) : background;
    sysBackground = system;
    background = colour;
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT CTextBox::OnSetCharFormat(WPARAM w, const CHARFORMAT* cf)
{
    if (!cf) return 0;
    if (w == SCF_DEFAULT) {
        ApplyCharFormat(defaultFormat, *cf);
        if (doc.Length() == 0) doc.Replace(0, 0, "", doc.Intern(defaultFormat));
        if (doc.Length() == 0) {
            CHARFORMAT all = ToCharFormat(defaultFormat);
            doc.ApplyFormat(0, 0, all);
        }
        insertFormat = -1;
        if (doc.Length() == 0) insertFormat = doc.Intern(defaultFormat);
        fonts.clear();
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    int a = SelMin(), b = SelMax();
    if (w & SCF_ALL) a = 0, b = doc.Length();
    else if ((w & SCF_WORD) && a == b) a = WordStart(a), b = WordEnd(b);
    if (a == b) {
        CCharFormat f = doc.Format(CurrentInsertFormat());
        ApplyCharFormat(f, *cf);
        insertFormat = doc.Intern(f);
        return TRUE;
    }
    doc.ApplyFormat(a, b, *cf);
    if (w & SCF_ALL) {
        CCharFormat f = doc.Format(CurrentInsertFormat());
        ApplyCharFormat(f, *cf);
        insertFormat = doc.Intern(f);
    }
    InvalidateFromLine(LineFromChar(a));
    return TRUE;
}

LRESULT CTextBox::OnGetCharFormat(WPARAM w, CHARFORMAT* cf)
{
    if (!cf) return 0;
    if (w == SCF_DEFAULT) *cf = ToCharFormat(defaultFormat);
    else if (SelMin() == SelMax()) *cf = ToCharFormat(doc.Format(CurrentInsertFormat()));
    else *cf = doc.CommonFormat(SelMin(), SelMax());
    return cf->dwMask;
}

LRESULT CTextBox::OnGetTextRange(TEXTRANGE* tr)
{
    if (!tr || !tr->lpstrText) return 0;
    int a = std::clamp(tr->chrg.cpMin, 0, doc.Length());
    int b = tr->chrg.cpMax < 0 ? doc.Length() : std::clamp(tr->chrg.cpMax, a, doc.Length());
    memcpy(tr->lpstrText, doc.Text().data() + a, (size_t)(b - a));
    tr->lpstrText[b - a] = '\0';
    return b - a;
}

LRESULT CTextBox::OnGetSelText(char* out)
{
    if (!out) return 0;
    const int n = SelMax() - SelMin();
    memcpy(out, doc.Text().data() + SelMin(), (size_t)n);
    out[n] = '\0';
    return n;
}

LRESULT CTextBox::OnFindText(UINT msg, WPARAM w, FINDTEXTEX* ft)
{
    if (!ft || !ft->lpstrText) return -1;
    const std::string needle = ft->lpstrText;
    const std::string& hay = doc.Text();
    const int len = doc.Length();
    int lo = std::clamp(ft->chrg.cpMin, 0, len);
    int hi = ft->chrg.cpMax < 0 ? len : std::clamp(ft->chrg.cpMax, 0, len);
    const bool down = (w & FR_DOWN) != 0;
    if (!down && hi < lo) std::swap(lo, hi);   // searching up: cpMin is the start, cpMax the limit
    if (!down && ft->chrg.cpMax >= 0 && ft->chrg.cpMax < ft->chrg.cpMin) {
        lo = std::clamp(ft->chrg.cpMax, 0, len);
        hi = std::clamp(ft->chrg.cpMin, 0, len);
    }
    auto fold = [&](char c) { return (w & FR_MATCHCASE) ? c : (char)((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c); };
    auto wordChar = [](char c) { return std::isalnum((unsigned char)c) || c == '_' || (unsigned char)c >= 0x80; };
    auto matchAt = [&](int p) {
        if (p + (int)needle.size() > hi) return false;
        for (size_t k = 0; k < needle.size(); ++k)
            if (fold(hay[(size_t)p + k]) != fold(needle[k])) return false;
        if (w & FR_WHOLEWORD) {
            if (p > 0 && wordChar(hay[(size_t)p - 1])) return false;
            int e = p + (int)needle.size();
            if (e < len && wordChar(hay[(size_t)e])) return false;
        }
        return true;
    };
    if (needle.empty()) return -1;
    int found = -1;
    if (down) {
        for (int p = lo; p + (int)needle.size() <= hi; ++p)
            if (matchAt(p)) {
                found = p;
                break;
            }
    } else {
        for (int p = hi - (int)needle.size(); p >= lo; --p)
            if (matchAt(p)) {
                found = p;
                break;
            }
    }
    if (found >= 0 && msg == EM_FINDTEXTEX) ft->chrgText = CHARRANGE{found, found + (LONG)needle.size()};
    return found;
}
