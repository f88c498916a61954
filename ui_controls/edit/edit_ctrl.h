#pragma once
// KyrEditCtrl: the source editor. One std::string of bytes holds the text;
// every position is a byte offset; caret movement, deletion, columns and
// word bounds step by characters (a valid UTF-8 sequence or a stray byte).
// Display columns count characters (a kept tab advances to its tab stop).
// Painting and measuring take any line length; insertions keep lines within
// maxLineLength by bare line feeds, and Tab and line joins refuse instead.
//
// Every edit records an undo action (edit_undo.cpp); markers attach to
// lines and follow the text (edit_marker.cpp).
#include <algorithm>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/afx/dc.h"
#include "platform/afx/ole_data.h"
#include "platform/afx/ole_drop_target.h"
#include "platform/afx/wnd.h"
#include "platform/user/scrollbar.h"
#include "ui_controls/edit/edit_marker.h"
#include "values/edit_text.h"

#ifndef WM_SETFONT
#define WM_SETFONT 0x0030u
#endif
#ifndef WM_GETFONT
#define WM_GETFONT 0x0031u
#endif

// Edit event codes (OnEditEvent).
enum : unsigned {
    KYR_EV_AT_START = 0x10,
    KYR_EV_AT_END = 0x20,
    KYR_EV_NO_LINE_UP = 0x40,
    KYR_EV_NO_LINE_DOWN = 0x80,
    KYR_EV_NO_PAGE_UP = 0x100,
    KYR_EV_NO_PAGE_DOWN = 0x200,
    KYR_EV_HOME_EMPTY = 0x400,
    KYR_EV_NO_NEXT_WORD = 0x800,
    KYR_EV_NO_PREV_WORD = 0x1000,
    KYR_EV_BACKTAB_COL0 = 0x2000,
    KYR_EV_NO_SELECTION = 0x100000,
    KYR_EV_EXTEND_FAILED = 0x200000,
    KYR_EV_BLOCK_REFUSED = 0x400000,
    KYR_EV_TAB_TOO_LONG = 0x10004000,
    KYR_EV_JOIN_TOO_LONG = 0x10008000,
    KYR_EV_PREFIXED_BREAK = 0x11000000,
    KYR_EV_READONLY_INSERT = 0x40000004,
    KYR_EV_CUT_FAILED = 0x80100000,
    KYR_EV_NOTHING_TO_COPY = 0x40000,
    KYR_EV_READONLY_PASTE = 0x40020000,
    KYR_EV_NO_CLIPBOARD_TEXT = 0x80020000,
    KYR_EV_DROP_REFUSED = 0x800000,
};

// Last-action codes (SetLastAction).
enum : unsigned {
    KYR_ACT_TYPED = 0x100,
    KYR_ACT_CUT = 0x200,
    KYR_ACT_PASTE = 0x400,
    KYR_ACT_DELETE = 0x800,
    KYR_ACT_BACKSPACE = 0x1000,
    KYR_ACT_DROP = 0x2000,
    KYR_ACT_ENTER = 0x4000,
    KYR_ACT_INDENT = 0x8000,
    KYR_ACT_UNINDENT = 0x10000,
    KYR_ACT_TAB = 0x20000,
};

// InsertText flags.
enum : unsigned { KYR_INS_RESET_UNDO = 1, KYR_INS_REDRAW = 2 };

// Undo kinds passed to RecordUndo.
enum : unsigned { KYR_UNDO_INSERT = 1, KYR_UNDO_DELETE = 2, KYR_UNDO_BLOCK = 4 };

struct KyrRegionRule {
    std::string open, close;
    COLORREF foreground = (COLORREF)-1, background = (COLORREF)-1;
    int multiLine = 0;
    int extra = 0;
};

struct KyrKeyword {
    std::string key;
    COLORREF foreground = (COLORREF)-1, background = (COLORREF)-1;
    int caseSensitive = 0;
};

// What an indent or unindent of lines needs to reverse itself.
struct KyrUndoBlock {
    int firstLineOffset = 0, lastLineOffset = 0;
    int indent = 1;
    std::vector<std::string> changes;   // per line: the inserted or removed blanks
};

// Undo action flags.
enum : unsigned { KYR_UNDO_FLAG = 0x1, KYR_UNDO_OVERWRITE = 0x2 };

struct KyrUndoAction {
    int offset = 0;
    int caret = 0;   // caret to restore when undone
    unsigned kind = 0;
    // Inserted or removed text; for an overwrite, the character now absent
    // from the text (undo and redo swap it with the one at offset).
    std::string text;
    std::unique_ptr<KyrUndoBlock> block;
    unsigned flags = KYR_UNDO_FLAG;
    int grouped = 0;   // undone and redone with the action recorded after it
    int ownsBlock = 0;
    bool typed = false;   // made by RecordTyping: later typing may merge in
};

// NUL and the other control bytes but tab and line feed show as one
// placeholder column.
inline constexpr const char* kControlPlaceholder = "\xC2\xB7";
inline bool IsControlPlaceholder(uint32_t cp) { return (cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0x7F; }

// "KYR_ON_EDITCHANGE", registered on first use, sent to the parent: wParam 0
// as the text changes, kEditChangeHistoryMoved after an undo or redo.
UINT KyrEditChangeMessage();
inline constexpr WPARAM kEditChangeHistoryMoved = 1;

class KyrEditCtrl;
// Hands drag-and-drop events of the control's window to the control.
class KyrEditDropTarget : public COleDropTarget {
public:
    KyrEditCtrl* ctrl = nullptr;
    DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
    DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
    void OnDragLeave(CWnd* wnd) override;
    BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, POINT pt) override;
};

class KyrEditCtrl : public CWnd {
    DECLARE_DYNAMIC(KyrEditCtrl)

public:
    KyrEditCtrl();
    ~KyrEditCtrl() override;

    // --- operations of the class (virtual, overridden by name) ---
    virtual bool IsModified() { return undoDirty != 0 || undoSaved != undoApplied; }
    virtual void SetLastAction(unsigned code) { lastAction = code; }
    virtual unsigned GetLastAction() { return lastAction; }
    virtual int DrawTextRun(CDC& dc, std::string_view run, const RECT& cell, COLORREF background);
    virtual SIZE GetTextExtent(CDC& dc, SIZE* size, const char* chars, int count);
    virtual void GetCaretSize(SIZE* size);
    virtual bool ToggleOverwrite();
    virtual void MoveToTextStart(bool redraw);
    virtual void MoveToTextEnd(bool redraw);
    virtual bool PageUp(bool redraw);
    virtual bool PageDown(bool redraw);
    virtual bool NextWord(bool redraw);
    virtual bool PreviousWord(bool redraw);
    virtual bool BackTab();
    virtual void OnCaretMoved() {}
    virtual bool ScrollBar(int bar, int code, int position);
    virtual bool KeepColumn(int offset, bool redraw);
    virtual bool DeleteKey(bool redraw);
    virtual bool FilterInsertText(std::string& text);
    virtual bool InsertLineBreak(int offset, bool redraw);
    virtual void OnRemoveText(int start, int end);
    virtual void OnInsertText(int offset, const std::string& text);
    virtual bool CanInsert(int /*offset*/, const std::string& /*text*/) { return true; }
    virtual bool CanDelete(int /*offset*/, const std::string& /*text*/) { return true; }
    virtual void NotifyEditChange(int offset, const std::string& text, bool inserted);
    // After an undo or redo: the change message with kEditChangeHistoryMoved.
    void NotifyHistoryMoved();
    virtual void SetOverwriteMode(bool on);
    virtual bool GetOverwriteMode();
    // Undo and redo: the list holds actions oldest first, undoApplied of
    // them applied; undoSaved is the applied count at the last save (-1 when
    // that state can no longer be reached).
    virtual bool Undo(bool redraw = true);
    virtual bool Redo(bool redraw = true);
    // Never called by the control itself.
    virtual bool IsUndoEnabled() { return true; }
    virtual void OnUndoStateChanged() {}
    virtual bool CanAddUndoAction(KyrUndoAction* /*action*/) { return true; }
    virtual void OnDeleteUndoAction(KyrUndoAction* /*action*/) {}
    virtual bool ApplyUndoAction(KyrUndoAction* action, bool undo, bool redraw);
    // `grouped`: the action undoes together with the one recorded after it.
    virtual void RecordUndo(const std::string& text, unsigned kind, int offset, bool notTyped, bool grouped);
    // A typed character (its UTF-8 bytes, one unit), before it changes the text.
    virtual void RecordTyping(const std::string& typed, unsigned kind, int offset);
    virtual void RecordBlockUndo(std::unique_ptr<KyrUndoBlock> block, unsigned kind);
    // Empties the history; the text counts as modified when it was.
    virtual void ClearUndo();
    bool CanUndo() const { return undoApplied > 0; }
    bool CanRedo() const { return undoApplied < (int)undoActions.size(); }
    int UndoCount() const { return (int)undoActions.size(); }
    int UndoApplied() const { return undoApplied; }
    // The saving half of Serialize: the current state is the saved one.
    void MarkSaved();
    // Storing writes the text with "\r\n" line ends, then marks it saved;
    // loading takes the file's bytes, NULs included.
    void Serialize(CArchive& ar) override;
    // Printing (edit_print.cpp): a printer font scaled to the DC, one page
    // of lines per call, then the font dropped.
    void CreatePrintFont(CDC& dc);
    void PrintPage(CDC& dc, struct CPrintInfo* info);
    void DeletePrintFont();
    int LinesPerPage() const { return linesPerPage; }
    HFONT PrinterFont() const { return printerFont; }
    virtual bool ExtendSelection(int kind);
    virtual bool CollapseSelection(bool toStart, bool keepCaret, bool redraw);
    virtual bool IndentBlock(bool indent);
    virtual void SetSel(int start, int end, bool keepCaret = false);
    virtual void FillBackground(CDC& dc);
    virtual void DrawText(CDC& dc);
    virtual void DrawMargin(CDC& dc);
    // Drag and drop (edit_drag.cpp): the grey caret while text is dragged
    // over the control, the normal caret again after.
    virtual DROPEFFECT BeginDragCaret(POINT point);
    virtual void EndDragCaret();
    virtual DROPEFFECT OnDragOverText(POINT point);
    virtual bool OnDropText(COleDataObject* data, POINT point);
    // A press on the selection: drags it out; false when it was a plain click.
    bool DragOutSelection(POINT point);
    virtual bool LookupKeyword(const std::string& word, COLORREF* foreground, COLORREF* background, int offset);
    virtual void GetLineColours(uint32_t /*character*/, int /*offset*/, COLORREF& /*foreground*/, COLORREF& /*background*/) {}
    // Marker bookkeeping, called when text changes.
    // `count` line feeds were inserted on `line`; markers move from that line
    // on when the insertion point was its start, else from the next line.
    virtual void OnMarkerLinesInserted(int line, int count, bool atLineStart);
    // Text from line `startLine` on lost `removedFeeds` line feeds; lines
    // firstGone..lastGone (of the old text) disappeared entirely.
    virtual void OnMarkerLinesRemoved(int startLine, int removedFeeds, int firstGone, int lastGone);
    virtual KyrMarker* FindMarkerOfType(int value);
    virtual void CollectMarkersOfType(int value, std::vector<KyrMarker*>& list);
    virtual bool CanMoveMarker(KyrMarker* /*marker*/) { return true; }
    virtual bool CanRemoveMarker(KyrMarker* /*marker*/) { return true; }
    virtual bool CanDeleteMarker(KyrMarker* /*marker*/, void* /*position*/) { return true; }
    virtual void DrawMarker(CDC& dc, const RECT& cell, KyrMarker* marker);
    // A line highlight covering `line` gives its colours (-1: default) and
    // whether its background runs to the right edge (painter, step 4).
    virtual bool GetLineHighlight(int line, COLORREF* foreground, COLORREF* background, bool* fill = nullptr);
    virtual bool GetTipText(std::string& text, POINT& /*point*/)
    {
        text.clear();
        return true;
    }
    virtual void OnEditEvent(unsigned /*code*/) {}
    virtual BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // --- markers (the control owns those it accepts) ---
    // A marker's position is the marker itself; nullptr is none.
    KyrMarker* AddMarker(KyrMarker* marker, bool redraw = true);
    KyrMarker* InsertMarker(KyrMarker* marker, int line, bool redraw = true);
    bool ToggleMarker(int line, unsigned type, int data = 0);
    KyrMarker* FindMarker(int line, unsigned mask, KyrMarker** out = nullptr);
    void CollectMarkersOnLines(int first, int last, unsigned mask, std::vector<KyrMarker*>& list);
    void GetMarkersOfType(std::vector<KyrMarker*>& list, unsigned mask);
    bool RemoveMarkers(int line, unsigned mask, bool redraw = true);
    void RemoveMarkerAt(KyrMarker* position);
    void RemoveMarkersOfType(unsigned mask, bool redraw = true);
    void RemoveAllMarkers();
    bool GoToLine(KyrMarker* marker);
    void RedrawMarkerLine(int line, bool wholeLine);
    // Markers in order (line, then type).
    std::vector<KyrMarker*> Markers() const;

    // --- clipboard and search (edit_clip.cpp) ---
    // "KYR_SYN_TEXT": a column text beside CF_TEXT.
    static UINT ColumnFormat();
    bool Copy();
    bool Cut();
    bool Paste();
    // A "KYR_SYN_TEXT" block goes in as a column, else CF_TEXT as a stream,
    // at the caret; blocks are read up to a NUL within their size.
    bool PasteFromDataObject(COleDataObject& data);
    // "\n" as "\r\n" when crlfOnCopy; NUL-terminated; `column`: also "KYR_SYN_TEXT".
    bool CopyToClipboard(const std::string& text, bool column = false);
    // Each line of `block` at the column of `offset` in successive lines.
    bool InsertBlock(std::string block, int offset = -1);
    // Searches from the caret (wrapping once) and selects the match.
    bool FindText(const std::string& what, bool forward, bool wholeWord, bool matchCase);

    // --- public operations ---
    bool SetCaretOffset(int offset, bool scrollIntoView, bool redraw);
    int OffsetFromPoint(POINT& point, bool snap, bool force);
    bool PointFromOffset(int offset, POINT* point, int* line = nullptr);
    int GetColumnOfOffset(int offset);
    int OffsetOfColumn(int column, int anyOffset);
    int GetLineOffset(int line);
    int GetLineOfOffset(int offset);
    int GetLineOfOffsetCached(int offset, bool noCache = false);
    int GetLineStartOf(int offset);
    int GetLineEndOf(int offset);
    int GetLineEndAndColumn(int offset, int* end);
    int GetFirstNonBlank();
    static int CountLines(std::string_view text);
    bool InsertChar(uint32_t character, bool redraw);
    bool InsertText(std::string text, int offset = -1, unsigned flags = KYR_INS_REDRAW, bool noLineBreak = false);
    bool DeleteText(int start, int end);
    // Replaces [start, end) by text as one undo step; the caret goes after it.
    bool ReplaceText(int start, int end, const std::string& text);
    bool DeleteSelection(bool notify, bool toClipboard, bool redraw);
    void GetSel(int* start, int* end) const
    {
        *start = selAnchor;
        *end = selEnd;
    }
    std::string GetSelectedText() const;
    std::string GetWordAt(int offset);
    // An offset counted in the text with "\r\n" line ends, as stored.
    int OffsetWithoutCR(int offset) const;
    void DocumentToClient(POINT& point) const
    {
        point.x -= firstColumn * columnWidth;
        point.y -= firstLine * lineHeight;
    }
    void DocumentToClient(RECT& rect) const
    {
        OffsetRect(&rect, -firstColumn * columnWidth, -firstLine * lineHeight);
    }
    void GetWordBounds(int offset, int* start, int* end);

    void SetText(std::string_view text);
    const std::string& Text() const { return text; }
    void SetReadOnly(bool on);
    bool IsReadOnly() const { return readOnly != 0; }

    void AddKeyword(const std::string& keyword, COLORREF foreground, COLORREF background, int caseSensitive);
    void RemoveAllKeywords() { keywords.clear(); }
    // The rule's position in the list, -1 when refused.
    int AddRegion(const std::string& open, const std::string& close, COLORREF foreground, COLORREF background,
                  int multiLine, int extra);
    void RemoveAllRegions()
    {
        regions.clear();
        RebuildDelimiterIndex();
    }
    const std::vector<KyrRegionRule>& Regions() const { return regions; }
    bool IsNearRegionDelimiter(int offset);
    // Whether the kept positions of the multi-line rule's strings are those
    // a fresh scan finds (for tests).
    bool CheckDelimiterIndex();

    // The body of WM_PAINT, on any DC (a recording DC in tests).
    void Paint(CDC& dc);

    // The hover tip: the shown text and its auto-pop delay in ms.
    const std::string& TipText() const { return tipText; }
    bool TipHidden() const { return tipHidden != 0; }
    static int TipAutoPop(const std::string& tip);
    void HideToolTip();
    // Switches the tip window on or off (off also hides the tip).
    void ActivateToolTip(bool on);
    bool IsToolTipActive() const { return tipActive != 0; }
    // The tip window (font, maximum width); no window before WM_CREATE.
    CToolTipCtrl& ToolTip() { return tooltip; }
    // While GetTipText runs: the text offset of the word asked about.
    int TipWordOffset() const { return tipWordOffset; }

    int CaretOffset() const { return caretOffset; }
    int CaretLine() const { return caretLine; }
    int CaretColumn() const { return caretColumn; }
    int FirstLine() const { return firstLine; }
    int FirstColumn() const { return firstColumn; }
    int LineCount() const { return lineCount; }
    int LineHeight() const { return lineHeight; }
    const RECT& TextRect() const { return textRect; }

    // --- data (initial values as documented) ---
    std::string wordDelimiters;
    std::string runChars = ";.{}\n";
    std::string blankSet = " \n\t";
    COLORREF backgroundColour = (COLORREF)-1, textColour = (COLORREF)-1;
    COLORREF selectionBack = 0, selectionText = 0, selectionBack2 = 0, selectionText2 = 0;
    int crlfOnCopy = 1;
    int lineSpacing = 1;
    int marginWidth = 20;
    int indentWidth = 4;
    int tabSize = 4;
    int hScrollPercent = 15;
    int hScrollMargin = 2;
    int autoScrollInterval = 100;
    int copyAllWithoutSelection = 0;
    int dlgCode = 4;
    int maxLineLength = 2048;
    int keepTabs = 0;
    int hoverTips = 0;
    int autoIndent = 1;
    // Measures text with this DC instead of the window's (tests: a recording DC).
    HDC measureDC = nullptr;

    BOOL PreTranslateMessage(MSG* msg) override;
    // A window of this class made elsewhere (a dialog item) gets the setup
    // that WM_CREATE would have given it.
    void PreSubclassWindow() override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // What WM_CREATE does after the default processing.
    void Setup();

    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(HDC) { return TRUE; }
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(HWND old);
    void OnKillFocus(HWND next);
    void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    void OnLButtonDblClk(UINT flags, POINT pt);
    void OnRButtonDown(UINT flags, POINT pt);
    void OnMouseMove(UINT flags, POINT pt);
    BOOL OnMouseWheel(UINT flags, short delta, POINT pt);
    void OnTimer(UINT_PTR id);
    void OnVScroll(UINT code, UINT pos, HWND bar);
    void OnHScroll(UINT code, UINT pos, HWND bar);
    LRESULT OnSetCursorMsg(WPARAM, LPARAM);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSetFontMsg(WPARAM, LPARAM);
    LRESULT OnGetFontMsg(WPARAM, LPARAM);
    LRESULT OnSetTextMsg(WPARAM, LPARAM);
    LRESULT OnGetTextMsg(WPARAM, LPARAM);
    LRESULT OnGetTextLengthMsg(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

    // --- internals ---
    int Length() const { return (int)text.size(); }
    bool IsDelimiter(unsigned char c) const { return c < 0x80 && wordDelimiters.find((char)c) != std::string::npos; }
    static bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }
    EditorTextOptions Options() const { return EditorTextOptions{keepTabs, tabSize, maxLineLength}; }
    void Event(unsigned code) { OnEditEvent(code); }
    bool HasSelection() const { return selAnchor >= 0 && selEnd >= 0 && selAnchor != selEnd; }
    int SelMin() const { return std::min(selAnchor, selEnd); }
    int SelMax() const { return std::max(selAnchor, selEnd); }
    void ClearSelection() { selAnchor = selEnd = -1; }

    // The text model (edit_model.cpp).
    // The line feed ending the line at `offset`, or the text's length.
    int LineEndOf_(int offset);
    int LineLengthChars(int offset);
    bool IsBlock();
    void SetFirstLine(int line);

    // Measuring and positions (edit_measure.cpp).
    HDC MeasureDC(bool* release);
    HFONT CurrentFont() const;
    void ComputeMetrics();
    void ComputeTextRect();
    void UpdateScrollRanges();
    int VisibleLines() const;
    int VisibleColumns() const;
    void PlaceSystemCaret();
    void RecreateCaret();
    // Width of one character (cached per font, resolution and code point).
    int CharWidth(HDC dc, std::string_view s, int offset);
    int WidthOf(HDC dc, int start, int end, int startColumn = 0);
    // The offset on the line starting at `lineStart` nearest to document x.
    int OffsetAtX(int lineStart, int x);
    void RedrawLines(int fromOffset, int toOffset, bool toBottom = false);
    void RedrawAll();

    // The editing engine (edit_engine.cpp).
    bool InsertTab();
    void MarkersFollowBreak(int at);
    // One line's part of a block indent or unindent.
    struct LineEdit {
        int offset;
        std::string text;
    };
    bool IndentFits(int lo, int first, int lastLine);
    std::string IndentLine(int ls, bool indent, const std::string& indentText, std::vector<LineEdit>& edits);
    int UnindentFrom(int ls, int nb);

    // Caret moves (edit_caret.cpp).
    bool MoveCharLeft(bool redraw);
    bool MoveCharRight(bool redraw);
    bool MoveLine(bool down, bool keepDesired, bool redraw);
    bool MoveHome(bool redraw);
    bool MoveEnd(bool redraw);

    // Keyboard and mouse (edit_input.cpp): the keys of OnKeyDown by kind.
    void ScrollLines(int delta);
    void ReadOnlyKey(UINT vk, bool shift);
    bool EditKey(UINT vk, bool shift, bool ctrl);
    void BackspaceKey();
    void TabKey(bool shift);
    bool MoveKey(UINT vk, bool shift, bool ctrl);
    void HomeEndKey(bool home, bool shift, bool ctrl);
    void UpDownKey(bool down, bool shift, bool ctrl);
    void MouseSelectTo(POINT pt);

    // Undo (edit_undo.cpp).
    void PushUndo(std::unique_ptr<KyrUndoAction> action);
    void FreeUndoActions(size_t from);
    // The last recorded action undoes with the ones recorded after it.
    void GroupLastUndo();
    bool CanMergeTyping(const std::string& typed, int offset);

    // Markers (edit_marker.cpp).
    void SortMarkers();

    // Colouring, painting, scrolling and the hover tip (edit_paint.cpp).
    void OnScroll(int bar, UINT code, UINT pos);
    void UpdateHoverTip(POINT pt);
    // The word under a client point (within columnWidth of its character).
    std::string TipWordAt(POINT pt, int* offset);
    // GetTipText for the word under `pt`; empty when there is no tip.
    std::string AskTipText(POINT pt);
    // Spans of region rules in [start, end]: {start, end inclusive, rule index}.
    struct Span {
        int start, end, rule;
    };
    void BuildSpans(int start, int end, std::vector<Span>& spans);
    int RegionAbove(int offset, int* regionEnd);
    // Every change of `text` reports here, so the painter finds a multi-line
    // region begun above the view without reading the text before it.
    void TextInserted(int offset, int count);
    void TextErased(int offset, int count);
    void RebuildDelimiterIndex();
    void ScanDelimiters(int from, int to);
    // DrawText's steps.
    struct TextPass;
    void DrawTextLine(TextPass& pass, int lineStart, int lineEnd, int y);
    void CharColours(TextPass& pass, int i, uint32_t cp, int lineStart, int lineEnd, COLORREF* fg, COLORREF* bg);
    void DrawLineEnd(TextPass& pass, int lineEnd, int runX, int y);

    // State.
    std::string text;
    int modified = 0;
    int readOnly = 0;
    int lastKey = -1, previousKey = -1;
    HFONT screenFont = nullptr, printerFont = nullptr;
    int lineHeight = 16, columnWidth = 8, averageWidth = 8;
    RECT textRect{0, 0, 0, 0};
    int caretOffset = 0, caretX = 20, caretY = 0;
    int selAnchor = -1, selEnd = -1;
    // Box selection: never entered, kept inert.
    int boxAnchorX = -1, boxAnchorY = -1, boxCornerX = -1, boxCornerY = -1, altDrag = 0, boxMode = 0;
    int firstColumn = 0;
    int firstLine = 0, firstLineOffset = 0;
    int lineCount = 0;
    int hRange = 0, vRange = 0;
    int caretLine = 0, caretColumn = 0;
    int savedCaretOffset = 0, savedCaretX = 0, savedCaretY = 0;
    int dropOffset = -1;
    int lastHitOffset = -1;
    int desiredColumn = 0;
    int dragging = 0;
    int autoScrollTimer = -1;
    std::string tipText;
    int tipHidden = 1;
    CToolTipCtrl tooltip;
    int tipActive = 1;
    int tipWordOffset = -1;
    std::string tipWord;   // the word under the mouse at the last move
    POINT tipPoint{-1, -1};   // where that move was
    bool setUp = false;
    unsigned lastAction = 0;
    bool hasFocus = false;
    bool selecting = false;
    int tabStopPixels = 32;
    // Width caches, one per (font, resolution, metric).
    struct WidthKey {
        HFONT font;
        int dpi, height, average, maximum;
        bool operator<(const WidthKey& o) const
        {
            return std::tie(font, dpi, height, average, maximum) < std::tie(o.font, o.dpi, o.height, o.average, o.maximum);
        }
    };
    std::map<WidthKey, std::unordered_map<uint32_t, int>> charWidths;
    std::unordered_map<uint32_t, int>* widthCache = nullptr;
    HDC widthCacheDC = nullptr;
    std::unordered_map<std::string, KyrKeyword> keywords;
    std::vector<KyrRegionRule> regions;
    // Sorted start offsets of the multi-line rule's open and close strings.
    std::vector<int> mlOpens, mlCloses;
    int mlRule = -1;
    int linesPerPage = 0;
    KyrEditDropTarget dropTarget;
    bool dragCaret = false;
    int dropLength = 0;   // bytes the last drop inserted (line feeds added included)
    // Undo history.
    std::vector<std::unique_ptr<KyrUndoAction>> undoActions;
    int undoApplied = 0, undoSaved = 0, undoDirty = 0;
    int undoLimit = 300;
    int noMerge = 0;
    // Markers, kept sorted by line and type.
    std::list<std::unique_ptr<KyrMarker>> markers;
};
