// The hex editor's data model: the caller's block grown and shrunk in place,
// item insertion and deletion, the edit preparation and the selection rule.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/afx/exception.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
// Blocks stay below 2^31 bytes: sizes and offsets are ints.
constexpr int64_t kSizeLimit = 0x80000000LL;
}

void* CHexEditCtrl::ReallocBlock(void* block, size_t size) { return std::realloc(block, size); }

// Reallocates to `size` bytes and zeroes what is new; the size field follows.
// On failure the old block and size stay and the memory exception is raised.
void CHexEditCtrl::SetBlockSize(int64_t size)
{
    if (size < 0 || size >= kSizeLimit) AfxThrowMemoryException();
    void* p = ReallocBlock(m_pData, (size_t)std::max<int64_t>(size, 1));
    if (!p) {
        // A shrink that cannot move keeps the larger block: nothing is lost.
        if (size > m_nDataSize || !m_pData) AfxThrowMemoryException();
        p = m_pData;
    }
    m_pData = static_cast<unsigned char*>(p);
    if (size > m_nDataSize) std::memset(m_pData + m_nDataSize, 0, (size_t)(size - m_nDataSize));
    m_nDataSize = (int)size;
    // A shrink must not leave the selection over items that are gone.
    if (m_nSelEnd >= ItemCount()) m_nSelEnd = ItemCount() - 1;
    if (m_nSelStart > m_nSelEnd || m_nSelStart < 0) m_nSelStart = m_nSelEnd = -1;
}

void CHexEditCtrl::ResizeData(int64_t size)
{
    SetBlockSize(size);
    OnBufferResized();
    Layout();
    Redraw();
}

void CHexEditCtrl::InsertItems(int index, int count)
{
    const int64_t bytes = ItemBytes();
    const int64_t oldSize = m_nDataSize;
    const int64_t newSize = oldSize + (int64_t)count * bytes;
    if (count <= 0 || newSize >= kSizeLimit) AfxThrowMemoryException();
    SetBlockSize(newSize);
    const int64_t at = std::min<int64_t>((int64_t)index * bytes, oldSize);
    std::memmove(m_pData + at + count * bytes, m_pData + at, (size_t)(oldSize - at));
    std::memset(m_pData + at, 0, (size_t)(count * bytes));
    OnBufferResized();
    Layout();
}

void CHexEditCtrl::DeleteItems(int index, int count)
{
    const int64_t bytes = ItemBytes();
    const int64_t at = (int64_t)index * bytes;
    const int64_t n = std::min<int64_t>((int64_t)count * bytes, m_nDataSize - at);
    if (index < 0 || n <= 0) return;
    std::memmove(m_pData + at, m_pData + at + n, (size_t)(m_nDataSize - at - n));
    SetBlockSize(m_nDataSize - n);
    OnBufferResized();
    Layout();
}

void CHexEditCtrl::DeleteSelection()
{
    if (!HasSelection()) return;
    const int start = m_nSelStart, end = m_nSelEnd;
    m_nSelStart = m_nSelEnd = -1;
    m_nCaret = start;
    m_nDigitPos = 0;
    DeleteItems(start, end - start + 1);
    m_bModified = true;
    AfterCaretMove();
    Redraw();
}

void CHexEditCtrl::ClearSelectedItems()
{
    if (!HasSelection()) return;
    const int64_t bytes = ItemBytes();
    const int64_t at = (int64_t)m_nSelStart * bytes;
    const int64_t n = std::min<int64_t>((int64_t)(m_nSelEnd - m_nSelStart + 1) * bytes, m_nDataSize - at);
    if (n > 0) std::memset(m_pData + at, 0, (size_t)n);
    m_nSelStart = m_nSelEnd = -1;
    m_bModified = true;
    Redraw();
}

// Makes room for a typed digit or character; false when the edit is refused.
bool CHexEditCtrl::PrepareEdit()
{
    const bool insert = IsInsertMode();
    if (!HasSelection()) {
        if (m_nCaret >= ItemCount()) {
            if (!insert && !m_bAllowResize) return false;
            m_nDigitPos = 0;
            InsertItems(m_nCaret, 1);
        } else if (insert && m_nDigitPos == 0) {
            InsertItems(m_nCaret, 1);
        }
    } else if (!insert && !m_bAllowResize) {
        m_nSelStart = m_nSelEnd = -1;
    } else {
        m_nCaret = m_nSelStart;
        m_nDigitPos = 0;
        DeleteSelection();
        InsertItems(m_nCaret, 1);
    }
    m_bModified = true;
    return true;
}

// The Shift rule: the selection holds the items between the caret and the
// anchor. Moving from o to n extends it at the caret's end; crossing the
// anchor turns it over instead of leaving start > end + 1.
void CHexEditCtrl::ExtendSelection(int o, int n)
{
    if (n == o) return;
    if (!HasSelection()) {
        if (n < o) {
            m_nSelStart = n;
            m_nSelEnd = o - 1;
        } else {
            m_nSelStart = o;
            m_nSelEnd = n - 1;
        }
        return;
    }
    if (o - 1 == m_nSelEnd)
        m_nSelEnd = n - 1;
    else
        m_nSelStart = n;
    if (m_nSelStart == m_nSelEnd + 1) {
        m_nSelStart = m_nSelEnd = -1;
    } else if (m_nSelStart > m_nSelEnd + 1) {
        const int start = m_nSelEnd + 1, end = m_nSelStart - 1;
        m_nSelStart = start;
        m_nSelEnd = end;
    }
}
