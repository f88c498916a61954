// The text box's text going out and coming in: the clipboard, dragging
// the selection, dropped text and streams.
#include <algorithm>
#include <cstring>

#include "platform/afx/ole_data.h"
#include "platform/controls/text_box/text_box.h"

std::string CTextBox::CrLf(int a, int b) const
{
    std::string out;
    for (int i = a; i < b; ++i) {
        char c = doc.Text()[(size_t)i];
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

void CTextBox::Copy()
{
    if (SelMin() == SelMax() || (!rich && (Style() & ES_PASSWORD))) return;
    if (!OpenClipboard(hwnd)) return;
    EmptyClipboard();
    auto put = [](UINT fmt, const std::string& s) {
        HGLOBAL g = GlobalAlloc(0, s.size() + 1);
        char* p = (char*)GlobalLock(g);
        memcpy(p, s.data(), s.size());
        p[s.size()] = '\0';
        GlobalUnlock(g);
        SetClipboardData(fmt, g);
    };
    put(CF_TEXT, CrLf(SelMin(), SelMax()));
    if (rich) put(RegisterClipboardFormat(CF_RTF_NAME), WriteRtf(doc, SelMin(), SelMax()));
    CloseClipboard();
}

// A press inside the selection: the in-process drag loop with the
// selection as text and RTF. A move takes the text away here (a user edit,
// so protection holds); a press released in place is a plain click.
// False when the press should be handled as a click after all.
bool CTextBox::DragSelectionOut(int pressed)
{
    const int a = SelMin(), b = SelMax();
    COleDataSource source;
    source.CacheData(CF_TEXT, CrLf(a, b));
    source.CacheData(RegisterClipboardFormat(CF_RTF_NAME), WriteRtf(doc, a, b));
    POINT start{};
    GetCursorPos(&start);
    dragSource = true;
    droppedAt = -1;
    droppedLength = 0;
    const DROPEFFECT allowed = readOnly ? DROPEFFECT_COPY : (DROPEFFECT_COPY | DROPEFFECT_MOVE);
    const HWND self = hwnd;
    const DROPEFFECT effect = source.DoDragDrop(allowed);
    if (!IsWindow(self)) return true;   // destroyed during the drag: this state is gone
    dragSource = false;
    if (effect == DROPEFFECT_NONE) {
        POINT end{};
        GetCursorPos(&end);
        const bool click = std::abs(end.x - start.x) <= GetSystemMetrics(SM_CXDRAG) &&
                           std::abs(end.y - start.y) <= GetSystemMetrics(SM_CYDRAG);
        if (click) SetSel(pressed, pressed);
        return true;
    }
    if (effect & DROPEFFECT_MOVE) {
        // Dropped into this control before the text: it moved along.
        const int shift = droppedAt >= 0 && droppedAt <= a ? droppedLength : 0;
        const int keepA = droppedAt, keepB = droppedAt + droppedLength;
        if (Edit(a + shift, b + shift, "", true, true, WM_LBUTTONUP)) {
            if (keepA >= 0) {
                const int back = keepA > a ? b - a : 0;
                SetSel(keepA - back, keepB - back);
            }
        }
    }
    droppedAt = -1;
    return true;
}

void CTextBox::Paste()
{
    if (!OpenClipboard(hwnd)) return;
    const UINT rtf = RegisterClipboardFormat(CF_RTF_NAME);
    CRtfContent content;
    bool haveRtf = false;
    std::string text;
    if (rich && IsClipboardFormatAvailable(rtf))
        haveRtf = ReadRtf(ClipboardBlockBytes(GetClipboardData(rtf)), doc.Format(CurrentInsertFormat()), &content);
    if (!haveRtf) text = NormaliseLineEnds(ClipboardBlockBytes(GetClipboardData(CF_TEXT)));
    CloseClipboard();
    const int a = SelMin();
    if (haveRtf) {
        if (Edit(a, SelMax(), content.text, true, true, WM_PASTE)) ApplyRuns(a, content);
    } else {
        Edit(a, SelMax(), text, true, true, WM_PASTE);
    }
}

void CTextBox::ApplyRuns(int a, const CRtfContent& c)
{
    std::vector<CRichText::Run> rel;
    for (size_t i = 0; i < c.formats.size(); ++i) rel.push_back(CRichText::Run{c.runStarts[i], doc.Intern(c.formats[i])});
    doc.SetRuns(a, a + (int)c.text.size(), rel);
    if (!undo.empty() && undo.back().pos == a) undo.back().insertedRuns = doc.RunsOf(a, a + (int)c.text.size());
    InvalidateFromLine(LineFromChar(a));
}

std::string StreamReadAll(EDITSTREAM* es)
{
    std::string all;
    BYTE buf[4096];
    for (;;) {
        LONG got = 0;
        DWORD err = es->pfnCallback(es->dwCookie, buf, (LONG)sizeof buf, &got);
        if (err) {
            es->dwError = err;
            break;
        }
        if (got <= 0) break;
        all.append((const char*)buf, (size_t)std::min<LONG>(got, (LONG)sizeof buf));
        if (all.size() > (size_t)1 << 30) break;
    }
    return all;
}


LRESULT CTextBox::OnDropText(WPARAM w, LPARAM l)
{
    const int at = std::clamp((int)(intptr_t)w, 0, doc.Length());
    // Our own selection dropped inside itself: nothing to do.
    if (dragSource && at > SelMin() && at < SelMax()) return FALSE;
    std::string t = NormaliseLineEnds(l ? (const char*)l : "");
    if (t.empty() || !Edit(at, at, t, true, true, EM_DROPTEXT, w, l)) return FALSE;
    if (dragSource) {
        droppedAt = at;
        droppedLength = (int)t.size();
    }
    SetSel(at, at + (int)t.size());
    return TRUE;
}

LRESULT CTextBox::OnStreamOut(WPARAM w, EDITSTREAM* es)
{
    if (!es || !es->pfnCallback) return 0;
    int a = 0, b = doc.Length();
    if (w & SFF_SELECTION) a = SelMin(), b = SelMax();
    std::string out = (w & SF_RTF) ? WriteRtf(doc, a, b) : CrLf(a, b);
    size_t done = 0;
    while (done < out.size()) {
        LONG n = (LONG)std::min<size_t>(out.size() - done, 4096);
        LONG took = 0;
        DWORD err = es->pfnCallback(es->dwCookie, (BYTE*)out.data() + done, n, &took);
        if (err || took <= 0) {
            es->dwError = err ? err : 1;
            break;
        }
        done += (size_t)std::min(took, n);
    }
    return (LRESULT)done;
}

// The whole text streamed in starts afresh: no undo, the caret at the start.
LRESULT CTextBox::OnStreamIn(WPARAM w, EDITSTREAM* es)
{
    if (!es || !es->pfnCallback) return 0;
    es->dwError = 0;
    std::string in = StreamReadAll(es);
    int a = 0, b = doc.Length();
    if (w & SFF_SELECTION) a = SelMin(), b = SelMax();
    if (w & SF_RTF) {
        CRtfContent c;
        if (!ReadRtf(in, defaultFormat, &c)) {
            es->dwError = (DWORD)-1;
            return 0;
        }
        Edit(a, b, c.text, false, false, 0, 0, 0, doc.Intern(defaultFormat));
        ApplyRuns(a, c);
        if (!(w & SFF_SELECTION)) undo.clear(), redo.clear(), SetSel(0, 0);
        return (LRESULT)c.text.size();
    }
    std::string t = NormaliseLineEnds(in);
    Edit(a, b, t, false, false);
    if (!(w & SFF_SELECTION)) undo.clear(), redo.clear(), SetSel(0, 0);
    return (LRESULT)t.size();
}
