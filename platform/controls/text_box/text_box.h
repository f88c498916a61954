#pragma once
// The edit control and the rich-edit control: one text engine over the text
// model, plain (one format, the window's font) or rich (format runs).
//   input                        -> result
//   typed character              -> inserted at the selection (one undo step while typing)
//   Backspace, Delete            -> the selection or one character goes
//   arrows, Home, End, PgUp/PgDn -> the caret moves (Shift: the selection grows)
//   Ctrl+A/C/V/X/Z/Y             -> select all, copy, paste, cut, undo, redo
//   press and drag               -> the selection follows the pointer (capture held)
//   press on a rich selection    -> drags it out (copy, or move within the control)
//   double click                 -> the word is selected
//   wheel, scroll bars           -> the view scrolls; the caret stays
//   EM_* messages                -> text, selection, lines, undo, formats, streams
// Changes notify the parent with EN_CHANGE (rich: with ENM_CHANGE) after the
// text changed, and EN_SELCHANGE when the mask asks for it.
#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/controls/control_internal.h"
#include "platform/controls/rich_text.h"

struct UndoRecord {
    int pos = 0;
    std::string removed;
    std::vector<CRichText::Run> removedRuns;
    std::string inserted;
    std::vector<CRichText::Run> insertedRuns;
    bool typing = false;
};

class CTextBox {
public:
    HWND hwnd = nullptr;

    ~CTextBox();
    // WM_NCCREATE of the edit (rich false) and rich-edit (rich true) classes.
    static LRESULT Create(HWND hwnd, LPARAM l, bool rich);
    void OnNcDestroy() { NoteScrollStyle(hwnd, nullptr); }
    void Paint(HDC hdc);
    LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);

private:
    // --- state ---
    bool rich = false;
    CRichText doc;
    int anchor = 0, caret = 0;
    int insertFormat = -1;        // -1: the format before the caret
    CCharFormat defaultFormat;
    DWORD eventMask = 0;
    bool readOnly = false;
    int limit = INT_MAX;
    bool modified = false;
    int firstLine = 0;
    int xScroll = 0;
    LONG targetWidth = 0;
    bool hideSel = false;
    bool focused = false;
    CPressable selecting;   // a press that drags the selection
    HFONT font = nullptr;
    COLORREF background = 0;
    bool sysBackground = true;
    std::vector<UndoRecord> undo, redo;
    std::map<std::pair<int, int>, HFONT> fonts;   // (format, dpi)
    mutable std::vector<std::pair<int, int>> wraps;   // start, end (before the "\n" or at the break)
    mutable uint64_t wrapVersion = UINT64_MAX;
    mutable int wrapWidth = -1;
    int notifiedMin = 0, notifiedMax = 0;
    // While our own selection is dragged out: where a drop into this control
    // put it, so the move can take the original away from the right place.
    bool dragSource = false;
    int droppedAt = -1, droppedLength = 0;

    DWORD Style() const { return (DWORD)GetWindowLongPtr(hwnd, GWL_STYLE); }
    bool Multi() const { return rich || (Style() & ES_MULTILINE); }
    int SelMin() const { return std::min(anchor, caret); }
    int SelMax() const { return std::max(anchor, caret); }

    // --- text and formats (text_box_layout.cpp) ---
    int CurrentInsertFormat() const;
    HFONT FontFor(int format, int dpi);
    std::string Shown(int a, int b) const;
    std::vector<std::tuple<int, int, int>> Segments(int a, int b) const;
    int WordStart(int p) const;
    int WordEnd(int p) const;
    int Snap(int p) const;

    // --- lines and layout (text_box_layout.cpp) ---
    int WrapWidth() const;
    bool Wrapping() const { return WrapWidth() > 0; }
    void EnsureWrap() const;
    int LineCount() const;
    int LineStart(int line) const;
    int LineEnd(int line) const;
    int LineFromChar(int pos) const;
    int Width(HDC hdc, int a, int b, int dpi);
    void LineMetrics(HDC hdc, int line, int dpi, int* height, int* ascent);
    RECT FormatRect() const;
    int LineX(HDC hdc, int line);
    int LineTop(HDC hdc, int line, int stopBelow = INT_MAX);
    POINT PosFromChar(int pos);
    int CharFromPos(POINT pt);
    int VisibleLines();

    // --- the view: scrolling, caret, invalidation (text_box_view.cpp) ---
    // The horizontal bar of a multi-line edit control that scrolls sideways
    // (WS_HSCROLL with ES_AUTOHSCROLL): the widest line against the room.
    bool HasHBar() const { return !rich && Multi() && (Style() & ES_AUTOHSCROLL) && WantsHScroll(hwnd); }
    int WidestLine();
    void UpdateHScrollBar();
    void HScroll(WPARAM w);
    void UpdateScrollBar();
    void InvalidateFromLine(int line);
    void PlaceCaret();
    void ScrollCaretIntoView();
    void ScrollDown(int oldFirst);

    // --- editing and undo (text_box_edit.cpp) ---
    void SetSel(int a, int c);
    void NotifySelection();
    void NotifyChange();
    bool TouchesProtected(int a, int b, bool inserting) const;
    bool MayEditProtected(int a, int b, UINT msg, WPARAM w, LPARAM l);
    // The one place text changes.
    bool Edit(int a, int b, std::string text, bool user, bool canUndo, UINT msg = 0, WPARAM w = 0, LPARAM l = 0,
              int format = -1, bool typing = false);
    bool UndoRedo(bool isRedo);

    // --- clipboard, drag and streams (text_box_transfer.cpp) ---
    std::string CrLf(int a, int b) const;
    void Copy();
    bool DragSelectionOut(int pressed);
    void Paste();
    void ApplyRuns(int a, const CRtfContent& c);

    // --- painting and printing (text_box_paint.cpp) ---
    void PaintLine(HDC hdc, int line, int y, int h, int asc, const RECT& rc, const RECT& fr, bool showSel,
                   bool disabled, COLORREF textColour);
    int FormatRange(HDC hdc, RECT r, int from, int to, bool render);

    // --- input (text_box_input.cpp) ---
    void KeyDown(UINT vk);
    int VerticalTarget(UINT vk, int line);
    void Char(uint32_t cp);
    void ContextMenu(LPARAM l);
    LRESULT OnCreate(const CREATESTRUCT* cs);
    LRESULT OnGetDlgCode(const MSG* m);
    LRESULT OnSetFont(HFONT f, bool redraw);
    LRESULT OnSetText(const char* text);
    LRESULT OnGetText(WPARAM size, char* out);
    LRESULT OnFocus(bool on);
    LRESULT OnLButtonDown(WPARAM w, POINT pt, bool doubleClick);
    LRESULT OnMouseMove(POINT pt);
    LRESULT OnLButtonUp();
    LRESULT OnCaptureChanged();
    LRESULT OnVScroll(UINT msg, WPARAM w);
    LRESULT OnCut();
    LRESULT OnClear();

    // --- the edit messages (text_box_messages.cpp) ---
    LRESULT OnEditMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnLineMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnDropText(WPARAM w, LPARAM l);
    LRESULT OnEmptyUndoBuffer();
    LRESULT OnGetSel(DWORD* start, DWORD* end);
    LRESULT OnSetSel(int a, int b);
    LRESULT OnExGetSel(CHARRANGE* cr);
    LRESULT OnExSetSel(const CHARRANGE* cr);
    LRESULT OnReplaceSel(bool canUndo, const char* text);
    LRESULT OnLineIndex(int line);
    LRESULT OnLineLength(int p);
    LRESULT OnLineFromChar(int p);
    LRESULT OnGetLine(int line, char* buf);
    LRESULT OnLineScroll(WPARAM w, int lines);
    LRESULT OnScroll(WPARAM code);
    LRESULT OnSetModify(bool on);
    LRESULT OnSetReadOnly(bool on);
    LRESULT OnLimitText(long v);
    LRESULT OnPosFromChar(WPARAM w, LPARAM l);
    LRESULT OnCharFromPos(LPARAM l);
    LRESULT OnGetRect(RECT* out);

    // --- the rich-edit messages (text_box_rich.cpp) ---
    LRESULT OnRichMessage(UINT msg, WPARAM w, LPARAM l);
    LRESULT OnSetEventMask(DWORD mask);
    LRESULT OnSetTargetDevice(LONG width);
    LRESULT OnHideSelection(bool hide);
    LRESULT OnSetOptions(WPARAM op, DWORD value);
    DWORD Options() const { return (readOnly ? ECO_READONLY : 0) | (hideSel ? 0 : ECO_NOHIDESEL); }
    LRESULT OnSetBkgndColor(bool system, COLORREF colour);
    LRESULT OnSetCharFormat(WPARAM w, const CHARFORMAT* cf);
    LRESULT OnGetCharFormat(WPARAM w, CHARFORMAT* cf);
    LRESULT OnGetTextRange(TEXTRANGE* tr);
    LRESULT OnGetSelText(char* out);
    LRESULT OnFindText(UINT msg, WPARAM w, FINDTEXTEX* ft);
    LRESULT OnStreamOut(WPARAM w, EDITSTREAM* es);
    LRESULT OnStreamIn(WPARAM w, EDITSTREAM* es);
    LRESULT OnFormatRange(bool render, FORMATRANGE* fr);
};

// Reads an EDITSTREAM's callback to its end (or its error).
std::string StreamReadAll(EDITSTREAM* es);
