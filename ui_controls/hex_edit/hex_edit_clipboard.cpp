// The hex editor's clipboard and edit commands: "BinaryData" (a uint32
// little-endian count and the bytes) beside plain text, the command states
// the framework's CCmdUI pass asks for, and the context menu.
#include <algorithm>
#include <cstring>

#include "platform/afx/afx_ids.h"
#include "platform/afx/exception.h"
#include "platform/user/user.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
// The context menu resource: one pop-up.
const MenuTableItem kContextMenu[] = {
    {MF_POPUP | MF_END, 0, "Edit"},
    {MF_STRING, ID_EDIT_CUT, "Cu&t\tCtrl+X"},
    {MF_STRING, ID_EDIT_COPY, "&Copy\tCtrl+C"},
    {MF_STRING, ID_EDIT_PASTE, "&Paste\tCtrl+V"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_EDIT_SELECT_ALL, "Select &All\tCtrl+A"},
};

HGLOBAL BlockOf(const std::vector<unsigned char>& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    if (!h) return nullptr;
    if (void* p = GlobalLock(h)) {
        if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    return h;
}
}

std::vector<unsigned char> CHexEditCtrl::EncodeBinaryBlock(const unsigned char* bytes, size_t count)
{
    std::vector<unsigned char> block;
    block.reserve(count + 4);
    const uint32_t n = (uint32_t)count;
    block.push_back((unsigned char)(n & 0xFF));
    block.push_back((unsigned char)((n >> 8) & 0xFF));
    block.push_back((unsigned char)((n >> 16) & 0xFF));
    block.push_back((unsigned char)((n >> 24) & 0xFF));
    block.insert(block.end(), bytes, bytes + count);
    return block;
}

// The count is checked against the block: a short or foreign block gives
// only the bytes it holds, a block under 4 bytes nothing.
std::vector<unsigned char> CHexEditCtrl::DecodeBinaryBlock(const unsigned char* block, size_t size)
{
    if (!block || size < 4) return {};
    const uint32_t count = (uint32_t)block[0] | (uint32_t)block[1] << 8 | (uint32_t)block[2] << 16 | (uint32_t)block[3] << 24;
    const size_t n = std::min<size_t>(count, size - 4);
    return std::vector<unsigned char>(block + 4, block + 4 + n);
}

UINT CHexEditCtrl::BinaryFormat() const
{
    static const UINT format = RegisterClipboardFormat("BinaryData");
    return format;
}

void CHexEditCtrl::Copy()
{
    if (!HasSelection()) return;
    const int64_t bytes = ItemBytes();
    const int64_t at = (int64_t)m_nSelStart * bytes;
    if (at >= m_nDataSize) return;
    const int64_t n = std::min<int64_t>((int64_t)(m_nSelEnd - m_nSelStart + 1) * bytes, m_nDataSize - at);
    std::vector<unsigned char> binary = EncodeBinaryBlock(m_pData + at, (size_t)n);
    std::vector<unsigned char> text(m_pData + at, m_pData + at + n);
    text.push_back(0);
    if (!OpenClipboard(m_hWnd)) return;
    EmptyClipboard();
    HGLOBAL b = BlockOf(binary), t = BlockOf(text);
    if (b) SetClipboardData(BinaryFormat(), b);
    if (t) SetClipboardData(CF_TEXT, t);
    CloseClipboard();
    if (!b || !t) AfxThrowMemoryException();
}

void CHexEditCtrl::Paste()
{
    if (m_bReadOnly || !OpenClipboard(m_hWnd)) return;
    std::vector<unsigned char> in;
    bool failed = false;
    try {
        if (HANDLE h = IsClipboardFormatAvailable(BinaryFormat()) ? GetClipboardData(BinaryFormat()) : nullptr) {
            const size_t size = GlobalSize(h);
            in = DecodeBinaryBlock(static_cast<const unsigned char*>(GlobalLock(h)), size);
            GlobalUnlock(h);
        } else if (HANDLE t = GetClipboardData(CF_TEXT)) {
            const size_t size = GlobalSize(t);
            const auto* p = static_cast<const unsigned char*>(GlobalLock(t));
            if (p && size > 0) {
                const size_t n = strnlen(reinterpret_cast<const char*>(p), size - 1);
                in.assign(p, p + n);
            }
            GlobalUnlock(t);
        }
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    CloseClipboard();
    if (failed) AfxThrowMemoryException();
    if (in.empty()) return;

    const int64_t bytes = ItemBytes();
    int64_t n = (int64_t)in.size();
    if (IsInsertMode()) {
        DeleteSelection();
        const int64_t items = (n + bytes - 1) / bytes;
        if (items >= 0x80000000LL) AfxThrowMemoryException();
        InsertItems(m_nCaret, (int)items);
    } else {
        if (HasSelection()) {
            m_nCaret = m_nSelStart;
            n = std::min<int64_t>(n, (int64_t)(m_nSelEnd - m_nSelStart + 1) * bytes);
            m_nSelStart = m_nSelEnd = -1;
        }
        const int64_t at = (int64_t)m_nCaret * bytes;
        if (at + n > m_nDataSize) {
            if (m_bAllowResize)
                InsertItems(ItemCount(), (int)std::min<int64_t>((at + n - m_nDataSize + bytes - 1) / bytes, 0x7FFFFFFF));
            else
                n = m_nDataSize - at;
        }
    }
    const int64_t at = (int64_t)m_nCaret * bytes;
    n = std::min<int64_t>(n, m_nDataSize - at);
    if (n > 0) std::memcpy(m_pData + at, in.data(), (size_t)n);
    m_bModified = true;
    AfterCaretMove();
    Redraw();
}

void CHexEditCtrl::Cut()
{
    if (m_bReadOnly || (!IsInsertMode() && !m_bAllowResize) || !HasSelection()) return;
    Copy();
    DeleteSelection();
}

void CHexEditCtrl::SelectAll()
{
    if (ItemCount() == 0) return;
    m_nSelStart = 0;
    m_nSelEnd = ItemCount() - 1;
    m_nCaret = 0;
    m_nDigitPos = 0;
    Redraw();
    AfterCaretMove();
}

void CHexEditCtrl::OnEditCopy() { Copy(); }
void CHexEditCtrl::OnEditCut() { Cut(); }
void CHexEditCtrl::OnEditPaste() { Paste(); }
void CHexEditCtrl::OnEditSelectAll() { SelectAll(); }

void CHexEditCtrl::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(HasSelection()); }
void CHexEditCtrl::OnUpdateEditCut(CCmdUI* ui)
{
    ui->Enable(!m_bReadOnly && HasSelection() && (IsInsertMode() || m_bAllowResize));
}
void CHexEditCtrl::OnUpdateEditPaste(CCmdUI* ui)
{
    ui->Enable(!m_bReadOnly && (IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(BinaryFormat())));
}
void CHexEditCtrl::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(ItemCount() > 0); }

// From a right release at the mouse position, or from Shift+F10 and the
// menu key at (-1, -1): then at the client's top-left + (5, 5).
void CHexEditCtrl::OnContextMenu(HWND, POINT pt)
{
    if (pt.x == -1 && pt.y == -1) {
        pt = POINT{5, 5};
        ClientToScreen(m_hWnd, &pt);
    }
    HMENU menu = LoadMenuTable(kContextMenu, sizeof kContextMenu / sizeof kContextMenu[0]);
    if (!menu) return;
    // Item states come from the CCmdUI pass on WM_INITMENUPOPUP; the choice
    // comes back as a posted WM_COMMAND.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}
