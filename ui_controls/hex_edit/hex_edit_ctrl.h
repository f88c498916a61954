#pragma once
// CHexEditCtrl: a byte buffer shown and edited as rows of hexadecimal items
// (1, 2 or 4 bytes, little-endian) with an address column and, for byte
// items, an ASCII column. The owner hands a malloc block over through
// m_pData / m_nDataSize and takes it back from there (possibly moved); the
// control only reallocates it, never frees it.
//
// Input -> result (nothing while the mouse is down; edits not when read-only):
//   hex digit (hex area)   nibble at the digit position (most significant
//                          first) of the caret's item; a full item moves on
//   character (ASCII area) the byte whose Windows-1252 character it is
//   insert mode            an edit at digit 0 first inserts a zero item
//   overwrite, no resize   typing at the end is refused; Delete zeroes
//   Backspace / Delete     delete the selection, else the item before / at
//                          the caret (overwrite mode: only with resize)
//   Shift + navigation     extends the selection (caret <-> anchor)
//   Ctrl+Tab               hex <-> ASCII area; Tab moves the dialog focus
//   Ctrl+A/C/V/X, menu     select all, copy, paste, cut ("BinaryData" + text)
//   mouse drag             selects; outside the client a 200 ms timer scrolls
//   growth to 2^31 bytes   the framework's memory exception (reported at the
//                          dispatch boundary); buffer and size stay
#include <cstdint>
#include <vector>

#include "platform/afx/cmd_ui.h"
#include "platform/afx/wnd.h"

#define HEXEDIT_CLASS_NAME "HexEditCtrl"

class CHexEditCtrl : public CWnd {
public:
    CHexEditCtrl() = default;
    ~CHexEditCtrl() override;

    // The window with the extended style (WS_EX_CLIENTEDGE when 0) and style
    // | WS_CHILD | WS_VSCROLL | WS_HSCROLL.
    BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Negative: ignored; 0: as many as fit now (then kept); at most 32,767.
    void SetItemsPerRow(int n);
    int GetItemsPerRow() const { return Ipr(); }
    // Reallocates to `size` bytes (new bytes zero); throws the memory
    // exception from 0x80000000 on or when the reallocation fails.
    void ResizeData(int64_t size);
    // 2, 4 or 8 (anything else 2).
    void SetDigitsPerItem(int n);
    int GetDigitsPerItem() const { return m_nDigits; }

    // Read-back for the host and tests.
    int GetCaret() const { return m_nCaret; }
    int GetDigitPosition() const { return m_nDigitPos; }
    int GetSelectionStart() const { return m_nSelStart; }
    int GetSelectionEnd() const { return m_nSelEnd; }
    int GetTopItem() const { return m_nTopItem; }
    int GetAddressDigits() const { return m_nAddressDigits; }
    int GetVisibleRows() const { return m_nVisibleRows; }
    bool IsInsertMode() const { return (m_nMode & kInsertMode) != 0; }
    bool IsCaretInHexArea() const { return (m_nMode & kHexArea) != 0; }
    SIZE GetCharSize() const { return SIZE{m_cxChar, m_cyChar}; }
    void SetInsertMode(bool on);
    void SetSelection(int start, int end);
    void SetCaret(int item);

    // Draws the visible rows into dc (client coordinates); text only where it
    // meets `update`. Reads state, changes nothing.
    virtual void PaintRows(HDC dc, const RECT& client, const RECT& update);
    // After every change of the buffer's size.
    virtual void OnBufferResized() {}

    // The buffer and the owner's switches (plain fields, see above).
    unsigned char* m_pData = nullptr;
    int m_nDataSize = 0;
    DWORD m_dwBaseAddress = 0;
    bool m_bReadOnly = false;
    bool m_bShowAddress = true;
    bool m_bAsciiWanted = true;
    bool m_bAllowResize = false;
    bool m_bModified = false;
    // Measures the character cell with this DC instead of the window's
    // (tests use a recording DC's fixed metric).
    HDC m_hMeasureDC = nullptr;

    // Byte <-> shown character of the ASCII column (Windows-1252; controls,
    // 0x7F and the unassigned bytes as '.'); -1 for a character without a byte.
    static uint32_t AsciiGlyph(unsigned char byte);
    static int ByteFromCodePoint(uint32_t codePoint);
    // The "BinaryData" block: count (uint32 LE) and bytes; the payload a
    // block of `size` bytes really holds.
    static std::vector<unsigned char> EncodeBinaryBlock(const unsigned char* bytes, size_t count);
    static std::vector<unsigned char> DecodeBinaryBlock(const unsigned char* block, size_t size);

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // The reallocation (tests make it fail).
    virtual void* ReallocBlock(void* block, size_t size);

    // Message handlers.
    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnPaint();
    BOOL OnEraseBkgnd(HDC) { return TRUE; }
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(HWND old);
    void OnKillFocus(HWND next);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    void OnKeyDown(UINT vk, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    void OnLButtonDblClk(UINT flags, POINT pt);
    void OnMouseMove(UINT flags, POINT pt);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    void OnTimer(UINT_PTR id);
    void OnVScroll(UINT code, UINT pos, HWND bar);
    void OnHScroll(UINT code, UINT pos, HWND bar);
    void OnContextMenu(HWND wnd, POINT pt);
    void OnEditCopy();
    void OnEditCut();
    void OnEditPaste();
    void OnEditSelectAll();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnUpdateEditCut(CCmdUI* ui);
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnUpdateEditSelectAll(CCmdUI* ui);

    DECLARE_MESSAGE_MAP()

private:
    static constexpr unsigned kHexArea = 1, kInsertMode = 2;

    int ItemBytes() const { return m_nDigits / 2; }
    int ItemCount() const { return m_nDataSize / ItemBytes(); }
    int Ipr() const { return m_nItemsPerRow < 1 ? 1 : m_nItemsPerRow; }
    bool HasSelection() const { return m_nSelStart >= 0 && m_nSelEnd >= m_nSelStart; }
    bool AsciiArea() const { return !(m_nMode & kHexArea); }

    // Model (hex_edit_model.cpp).
    void SetBlockSize(int64_t size);
    void InsertItems(int index, int count);
    void DeleteItems(int index, int count);
    void DeleteSelection();
    bool PrepareEdit();
    void ExtendSelection(int oldCaret, int newCaret);
    void ClearSelectedItems();

    // Layout (hex_edit_layout.cpp).
    void Layout();
    void MeasureFont();
    bool MakeCaretVisible();
    void UpdateScrollBars();
    void PositionCaret();
    void CreateEditCaret();
    void Redraw();
    void AfterCaretMove();
    struct Hit {
        int64_t item;
        int digit;
        bool hex;
    };
    Hit HitTest(POINT pt, bool dragging) const;

    // Input helpers (hex_edit_input.cpp).
    void Navigate(UINT vk, bool shift);
    void TypeHexDigit(int value);
    void TypeByte(unsigned char byte);
    void RedrawAfterEdit(int item, int sizeBefore, bool hadSelection);
    void DragTo(POINT pt);
    void EndMouseSelection();

    // Clipboard (hex_edit_clipboard.cpp).
    UINT BinaryFormat() const;
    void Copy();
    void Paste();
    void Cut();
    void SelectAll();

    int m_nAddressDigits = 4;
    int m_nDigits = 2;
    int m_nItemsPerRow = 8;
    int m_nFontHeight = 14;
    bool m_bAsciiShown = false;
    int m_nHScroll = 0;
    bool m_bMouseDown = false;
    bool m_bDragging = false;
    bool m_bDragInHex = true;
    int m_nAnchor = 0;
    int m_nVisibleCols = 0;
    int m_nVisibleRows = 0;
    int m_nTotalCols = 0;
    int m_nTotalLines = 0;
    int m_cxChar = 1;
    int m_cyChar = 1;
    int m_nSelStart = -1;
    int m_nSelEnd = -1;
    int m_nCaret = 0;
    int m_nTopItem = 0;
    int m_nDigitPos = 0;
    int m_nHexStart = 0;
    int m_nAsciiStart = 0;
    unsigned m_nMode = kHexArea | kInsertMode;
    RECT m_rcClient{};
    POINT m_ptLastMouse{};
    bool m_bTimer = false;
    bool m_bFocus = false;
    bool m_bInLayout = false;
    HFONT m_hFont = nullptr;
};
