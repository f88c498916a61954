// The grid's keyboard, mouse, selection ranges, in-place editing and
// clipboard commands.
#include <algorithm>
#include <cstring>

#include "platform/user/clipboard.h"
#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"
#include "ui_controls/grid/grid_edit.h"

namespace {
enum : int {
    PointerIdle = 0,
    PointerSelectingAll = 1,
    PointerSelectingColumns = 2,
    PointerSelectingRows = 3,
    PointerSelectingCells = 4,
    PointerOnRowBorder = 6,
    PointerResizingRow = 7,
    PointerOnColumnBorder = 8,
    PointerResizingColumn = 9,
    PointerEditPending = 10,
    PointerDragPending = 11,
};

bool KeyHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// Default processing only for the message being handled (OnKeyDown also
// runs for keys that ended an edit, inside a WM_NOTIFY).
void DefaultFor(CWnd* w, UINT message)
{
    const MSG* m = AfxGetCurrentMessage();
    if (m && m->message == message) w->Default();
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (unsigned char)s[b] <= ' ') b++;
    while (e > b && (unsigned char)s[e - 1] <= ' ') e--;
    return s.substr(b, e - b);
}

void PutOnClipboard(HWND owner, const COleDataSource& source)
{
    auto it = source.Blocks().find(CF_TEXT);
    if (it == source.Blocks().end()) return;
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, it->second.size());
    if (g) {
        memcpy(GlobalLock(g), it->second.data(), it->second.size());
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
    }
    CloseClipboard();
}

// The clipboard's text, as a data source a data object can attach to.
bool SourceFromClipboard(HWND owner, COleDataSource& source)
{
    if (!OpenClipboard(owner)) return false;
    HANDLE h = GetClipboardData(CF_TEXT);
    if (h) source.CacheData(CF_TEXT, ClipboardBlockBytes(h));
    CloseClipboard();
    return h != nullptr;
}
}  // namespace

// ---------------------------------------------------------------- selection ranges

void CDataGridCtrl::SelectEveryCell()
{
    if (!m_selectionEnabled) return;
    SetRangeSelection(CDataGridCellRange(m_fixedRowCount, m_fixedColumnCount, m_rowCount - 1, m_columnCount - 1));
}

namespace {
void ApplyRange(CDataGridCtrl* g, const CDataGridCellRange& r, BOOL select,
                const std::map<std::pair<int, int>, CDataGridCellPos>& saved)
{
    if (select) {
        g->SetRangeSelection(r);
        for (const auto& e : saved)
            if (g->IsValid(e.second)) g->SetCellState(e.second.row, e.second.col, g->GetCellState(e.second.row, e.second.col) | Selected);
        return;
    }
    // Deselects only this range; the rest of the selection stays.
    for (int row = r.minRow; row <= r.maxRow; row++)
        for (int col = r.minCol; col <= r.maxCol; col++)
            if (g->IsValid(row, col) && (g->GetCellState(row, col) & Selected)) {
                g->SetCellState(row, col, g->GetCellState(row, col) & ~Selected);
                g->RedrawCell(row, col);
            }
}
}  // namespace

void CDataGridCtrl::SelectColumnRange(const CDataGridCellPos& cell, BOOL, BOOL select)
{
    if (!m_selectionEnabled || !IsValid(cell) || cell.col < m_fixedColumnCount) return;
    int c0 = m_selectOneColumn ? cell.col : std::min(std::max(m_anchorCell.col, m_fixedColumnCount), cell.col);
    int c1 = m_selectOneColumn ? cell.col : std::max(m_anchorCell.col, cell.col);
    ApplyRange(this, CDataGridCellRange(m_fixedRowCount, c0, m_rowCount - 1, c1), select, m_savedSelection);
}

void CDataGridCtrl::SelectRowRange(const CDataGridCellPos& cell, BOOL, BOOL select)
{
    if (!m_selectionEnabled || !IsValid(cell) || cell.row < m_fixedRowCount) return;
    bool one = m_wholeRowSelection && m_selectOneRow;
    int r0 = one ? cell.row : std::min(std::max(m_anchorCell.row, m_fixedRowCount), cell.row);
    int r1 = one ? cell.row : std::max(m_anchorCell.row, cell.row);
    ApplyRange(this, CDataGridCellRange(r0, m_fixedColumnCount, r1, m_columnCount - 1), select, m_savedSelection);
}

void CDataGridCtrl::SelectCellRange(const CDataGridCellPos& cell, BOOL, BOOL select)
{
    if (!m_selectionEnabled || !IsValid(cell) || cell.row < m_fixedRowCount || cell.col < m_fixedColumnCount) return;
    CDataGridCellPos a = IsValid(m_anchorCell) ? m_anchorCell : cell;
    a.row = std::max(a.row, m_fixedRowCount);
    a.col = std::max(a.col, m_fixedColumnCount);
    CDataGridCellRange r(std::min(a.row, cell.row), std::min(a.col, cell.col), std::max(a.row, cell.row),
                         std::max(a.col, cell.col));
    ApplyRange(this, r, select, m_savedSelection);
}

void CDataGridCtrl::ExtendSelection(const CDataGridCellPos& cell)
{
    switch (m_pointerState) {
    case PointerSelectingAll: SelectEveryCell(); break;
    case PointerSelectingColumns: SelectColumnRange(cell, FALSE, TRUE); break;
    case PointerSelectingRows: SelectRowRange(cell, FALSE, TRUE); break;
    case PointerSelectingCells: SelectCellRange(cell, FALSE, TRUE); break;
    default: break;
    }
}

// ---------------------------------------------------------------- edits by command

void CDataGridCtrl::EditCellText(int row, int col, const char* text)
{
    if (!IsValid(row, col) || !IsCellEditable(row, col)) return;
    if (NotifyParent(row, col, GVN_BEGINLABELEDIT) < 0) return;
    std::string old = GetCellText(row, col);
    if (old == text) return;
    SetCellText(row, col, text);
    if (IsEditAcceptable(row, col, text) && NotifyParent(row, col, GVN_ENDLABELEDIT) >= 0) {
        SetModified(TRUE, row, col);
        RepaintCell(row, col);
    } else {
        SetCellText(row, col, old.c_str());
    }
}

void CDataGridCtrl::ClearSelectedCells()
{
    if (!m_editable) return;
    // Edits change cell states, which edit the map: walk a copy.
    auto snapshot = m_selectedCells;
    for (const auto& e : snapshot) EditCellText(e.second.row, e.second.col, "");
}

// ---------------------------------------------------------------- clipboard

COleDataSource* CDataGridCtrl::CopyTextToClipboard(COleDataSource* source)
{
    CDataGridCellRange r = GetSelectionBounds();
    if (!IsValid(r)) return nullptr;
    if (m_virtualMode) SendCacheHint(r);
    std::string text;
    bool firstRow = true;
    for (int row = r.minRow; row <= r.maxRow; row++) {
        if (GetRowHeight(row) == 0) continue;
        // Separators go only between emitted rows and fields.
        if (!firstRow) text += "\r\n";
        firstRow = false;
        bool firstCol = true;
        for (int col = r.minCol; col <= r.maxCol; col++) {
            if (GetColumnWidth(col) == 0) continue;
            if (!firstCol) text += '\t';
            firstCol = false;
            if (IsCellSelected(row, col)) text += GetCellText(row, col);
        }
    }
    text += '\0';
    if (m_virtualMode) SendCacheHint(CDataGridCellRange(-1, -1, -1, -1));
    if (!source) source = new COleDataSource;
    source->CacheData(CF_TEXT, text);
    return source;
}

BOOL CDataGridCtrl::PasteTextFromClipboard(int row, int col, COleDataObject* data, BOOL selectPasted)
{
    if (!IsValid(row, col) || !IsCellEditable(row, col) || !data || !data->IsDataAvailable(CF_TEXT)) return FALSE;
    std::string bytes;
    if (!data->GetData(CF_TEXT, bytes)) return FALSE;
    // A block need not hold a NUL: stop at the first one or at its size.
    bytes = bytes.substr(0, std::min(bytes.size(), strlen(bytes.c_str())));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t nl = bytes.find('\n', start);
        if (nl == std::string::npos) {
            // The empty rest after a final line end is no line.
            if (start < bytes.size()) lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, nl - start));
        start = nl + 1;
    }
    CDataGridCellRange pasted(row, col, -1, -1);
    int target = row;
    for (const std::string& line : lines) {
        while (target < m_rowCount && GetRowHeight(target) == 0) target++;
        if (target >= m_rowCount) break;
        int tcol = col;
        size_t s = 0;
        while (true) {
            size_t e = line.find_first_of("\t,", s);
            std::string field = line.substr(s, e == std::string::npos ? std::string::npos : e - s);
            while (tcol < m_columnCount && GetColumnWidth(tcol) == 0) tcol++;
            if (tcol >= m_columnCount) break;
            EditCellText(target, tcol, Trim(field).c_str());
            SetCellState(target, tcol, GetCellState(target, tcol) & ~Selected);
            pasted.maxRow = std::max(pasted.maxRow, target);
            pasted.maxCol = std::max(pasted.maxCol, tcol);
            tcol++;
            if (e == std::string::npos) break;
            s = e + 1;
        }
        target++;
    }
    if (selectPasted) {
        SetRangeSelection(pasted);
    } else {
        ClearSelection();
        Refresh();
    }
    return TRUE;
}

void CDataGridCtrl::OnEditCut()
{
    if (!m_editable) return;
    COleDataSource* src = CopyTextToClipboard();
    if (!src) return;
    PutOnClipboard(m_hWnd, *src);
    delete src;
    ClearSelectedCells();
}

void CDataGridCtrl::OnEditCopy()
{
    COleDataSource* src = CopyTextToClipboard();
    if (!src) return;
    PutOnClipboard(m_hWnd, *src);
    delete src;
}

void CDataGridCtrl::OnEditPaste()
{
    if (!m_editable) return;
    CDataGridCellRange sel = GetSelectionBounds();
    CDataGridCellPos target;
    if (IsValid(sel)) target = CDataGridCellPos(sel.minRow, sel.minCol);
    else if (IsValid(m_focusCell)) target = m_focusCell;
    else target = GetTopLeftScrollCell();
    if (!IsValid(target)) return;
    if (CDataGridCellBase* cell = GetCell(target.row, target.col)) {
        if (cell->IsEditing() && cell->GetEditorWindow()) {
            cell->GetEditorWindow()->SendMessage(WM_PASTE);
            return;
        }
    }
    COleDataSource source;
    if (!SourceFromClipboard(m_hWnd, source)) return;
    COleDataObject data;
    data.Attach(&source);
    PasteTextFromClipboard(target.row, target.col, &data, TRUE);
}

void CDataGridCtrl::OnEditSelectAll()
{
    NotifyParent(m_pressCell.row, m_pressCell.col, LVN_ITEMCHANGING);
    SelectEveryCell();
    NotifyParent(m_focusCell.row, m_focusCell.col, LVN_ITEMCHANGED);
}

void CDataGridCtrl::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(GetSelectedCount() > 0); }
void CDataGridCtrl::OnUpdateEditCut(CCmdUI* ui) { ui->Enable(m_editable && GetSelectedCount() > 0); }
void CDataGridCtrl::OnUpdateEditPaste(CCmdUI* ui)
{
    ui->Enable(IsValid(m_focusCell) && IsCellEditable(m_focusCell.row, m_focusCell.col) &&
               IsClipboardFormatAvailable(CF_TEXT));
}
void CDataGridCtrl::OnUpdateEditSelectAll(CCmdUI* ui) { ui->Enable(m_selectionEnabled); }

// ---------------------------------------------------------------- editing

BOOL CDataGridCtrl::IsEditAcceptable(int row, int col, const char* text)
{
    CDataGridCellBase* cell = IsValid(row, col) ? GetCell(row, col) : nullptr;
    return cell ? cell->IsEditAcceptable(text) : TRUE;
}

void CDataGridCtrl::FinishFocusEdit()
{
    if (!IsValid(m_focusCell)) return;
    if (CDataGridCellBase* cell = GetCell(m_focusCell.row, m_focusCell.col)) cell->FinishEdit();
}

void CDataGridCtrl::BeginEditCell(int row, int col, POINT point, UINT character)
{
    m_tipWindow.Hide();
    if (!IsValid(row, col) || !IsCellEditable(row, col)) return;
    EnsureVisible(row, col);
    RECT rect;
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &rect)) return;
    if (NotifyParent(row, col, GVN_BEGINLABELEDIT) < 0) return;
    CDataGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    cell->Edit(row, col, rect, point, 8, character);
}

void CDataGridCtrl::ApplyCellEdit(int row, int col, const char* text)
{
    std::string old = GetCellText(row, col);
    if (old != text) {
        SetCellText(row, col, text);
        if (IsEditAcceptable(row, col, text) && NotifyParent(row, col, GVN_ENDLABELEDIT) >= 0) {
            SetModified(TRUE, row, col);
            RepaintCell(row, col);
        } else {
            SetCellText(row, col, old.c_str());
        }
    }
    if (IsValid(row, col))
        if (CDataGridCellBase* cell = GetCell(row, col)) cell->OnEditFinished();
}

void CDataGridCtrl::OnEditBoxClosed(NMHDR* hdr, LRESULT* result)
{
    *result = 0;
    if (!m_hWnd) return;
    auto* info = reinterpret_cast<GridDispInfo*>(hdr);
    ApplyCellEdit(info->item.row, info->item.column, info->item.text.c_str());
    UINT key = (UINT)info->item.param;
    if (key == VK_TAB || (key >= VK_PRIOR && key <= VK_DOWN)) {
        OnKeyDown(key, 0, 0);
        BeginEditCell(m_focusCell.row, m_focusCell.col, POINT{-1, -1}, key | kEditKeyFlag);
    }
}

// ---------------------------------------------------------------- keyboard

void CDataGridCtrl::OnKeyDown(UINT key, UINT, UINT)
{
    m_tipWindow.Hide();
    if (!IsValid(m_focusCell)) {
        DefaultFor(this, WM_KEYDOWN);
        return;
    }
    CDataGridCellPos next = m_focusCell;
    bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
    bool hSent = false, vSent = false, wrapped = false;
    if (ctrl) {
        if (key == VK_INSERT || key == 'C') OnEditCopy();
        else if (key == 'A') OnEditSelectAll();
        else if (key == 'V') OnEditPaste();
        else if (key == 'X') OnEditCut();
    }
    if (shift && key == VK_INSERT) {
        OnEditPaste();
        DefaultFor(this, WM_KEYDOWN);
        return;
    }
    bool tab = key == VK_TAB;
    switch (key) {
    case VK_DELETE: ClearSelectedCells(); break;
    case VK_DOWN:
        for (int r = next.row + 1; r < m_rowCount; r++)
            if (GetRowHeight(r) > 0) {
                next.row = r;
                break;
            }
        break;
    case VK_UP:
        for (int r = next.row - 1; r >= m_fixedRowCount; r--)
            if (GetRowHeight(r) > 0) {
                next.row = r;
                break;
            }
        break;
    case VK_RIGHT:
    case VK_TAB:
        if (key == VK_RIGHT || !shift) {
            int c = next.col + 1;
            if (tab && c >= m_columnCount) {
                int r = next.row + 1;
                while (r < m_rowCount && GetRowHeight(r) == 0) r++;
                if (r >= m_rowCount) {
                    DefaultFor(this, WM_KEYDOWN);
                    return;
                }
                next.row = r;
                wrapped = true;
                c = m_fixedColumnCount;
            } else if (tab) {
                DefaultFor(this, WM_KEYDOWN);
            }
            while (c < m_columnCount && GetColumnWidth(c) == 0) c++;
            if (c < m_columnCount) next.col = c;
            break;
        }
        [[fallthrough]];
    case VK_LEFT: {
        int c = next.col - 1;
        if (tab && c < m_fixedColumnCount) {
            int r = next.row - 1;
            while (r >= m_fixedRowCount && GetRowHeight(r) == 0) r--;
            if (r < m_fixedRowCount) {
                DefaultFor(this, WM_KEYDOWN);
                return;
            }
            next.row = r;
            wrapped = true;
            c = m_columnCount - 1;
        }
        while (c >= m_fixedColumnCount && GetColumnWidth(c) == 0) c--;
        if (c >= m_fixedColumnCount) next.col = c;
        break;
    }
    case VK_NEXT: {
        CDataGridCellPos before = GetTopLeftScrollCell();
        SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
        vSent = true;
        CDataGridCellPos after = GetTopLeftScrollCell();
        int moved = after.row - before.row;
        next.row = moved > 0 ? std::min(m_rowCount - 1, next.row + moved) : m_rowCount - 1;
        break;
    }
    case VK_PRIOR: {
        CDataGridCellPos before = GetTopLeftScrollCell();
        SendMessage(WM_VSCROLL, SB_PAGEUP, 0);
        vSent = true;
        CDataGridCellPos after = GetTopLeftScrollCell();
        int moved = before.row - after.row;
        next.row = moved > 0 ? std::max(m_fixedRowCount, next.row - moved) : m_fixedRowCount;
        break;
    }
    case VK_HOME: {
        if (ctrl) {
            SendMessage(WM_VSCROLL, SB_TOP, 0);
            vSent = true;
            next.row = m_fixedRowCount;
        }
        SendMessage(WM_HSCROLL, SB_LEFT, 0);
        hSent = true;
        int c = m_fixedColumnCount;
        while (c < m_columnCount - 1 && GetColumnWidth(c) == 0) c++;
        next.col = c;
        while (next.row < m_rowCount - 1 && GetRowHeight(next.row) == 0) next.row++;
        break;
    }
    case VK_END: {
        if (ctrl) {
            SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
            vSent = true;
            int r = m_rowCount - 1;
            while (r > m_fixedRowCount && GetRowHeight(r) == 0) r--;
            next.row = r;
        }
        SendMessage(WM_HSCROLL, SB_RIGHT, 0);
        hSent = true;
        int c = m_columnCount - 1;
        while (c > m_fixedColumnCount && GetColumnWidth(c) == 0) c--;
        next.col = c;
        break;
    }
    case VK_F2:
        BeginEditCell(m_focusCell.row, m_focusCell.col, POINT{-1, -1}, VK_LBUTTON | kEditKeyFlag);
        break;
    default:
        DefaultFor(this, WM_KEYDOWN);
        return;
    }
    if (next != m_focusCell) {
        if (m_pointerState == PointerIdle) {
            m_savedSelection.clear();
            m_pointerState = m_wholeRowSelection ? PointerSelectingRows : PointerSelectingCells;
            if (!shift || tab) m_anchorCell = next;
            NotifyParent(next.row, next.col, LVN_ITEMCHANGING);
            ExtendSelection(next);
            NotifyParent(next.row, next.col, LVN_ITEMCHANGED);
            m_pointerState = PointerIdle;
        }
        MoveFocus(next.row, next.col);
        if (!IsCellVisible(next.row, next.col)) {
            if (wrapped) SetScrollPosition(SB_HORZ, tab && !shift ? 0 : m_maxScrollX);
            EnsureVisible(next.row, next.col);
            Invalidate();
        }
        EnsureVisible(next.row, next.col);
    }
    if (hSent) SendMessage(WM_HSCROLL, SB_ENDSCROLL, 0);
    if (vSent) SendMessage(WM_VSCROLL, SB_ENDSCROLL, 0);
}

void CDataGridCtrl::OnChar(UINT ch, UINT, UINT)
{
    if (!KeyHeld(VK_CONTROL) && m_pointerState == PointerIdle && ch != 27) {
        if (!(ch == '\t' && m_takesTabKey)) BeginEditCell(m_focusCell.row, m_focusCell.col, POINT{-1, -1}, ch);
    }
    DefaultFor(this, WM_CHAR);
}

void CDataGridCtrl::OnImeChar(UINT ch, UINT)
{
    if (!KeyHeld(VK_CONTROL) && m_pointerState == PointerIdle && ch != 27)
        BeginEditCell(m_focusCell.row, m_focusCell.col, POINT{-1, -1}, ch);
}

// ---------------------------------------------------------------- mouse

void CDataGridCtrl::OnLButtonDown(UINT, POINT p)
{
    SetFocus();
    m_pressPoint = p;
    m_leftButtonDown = TRUE;
    m_pressCell = CellFromPoint(p);
    if (!IsValid(m_pressCell)) return;
    bool ctrl = KeyHeld(VK_CONTROL), shift = KeyHeld(VK_SHIFT);
    if (!shift) m_anchorCell = m_pressCell;
    else if (!IsValid(m_anchorCell)) m_anchorCell = m_focusCell;
    FinishFocusEdit();
    if (m_pointerState == PointerIdle) {
        if (IsOverColumnBorder(p)) m_pointerState = PointerOnColumnBorder;
        else if (IsOverRowBorder(p)) m_pointerState = PointerOnRowBorder;
    }
    if (m_pointerState == PointerOnColumnBorder || m_pointerState == PointerOnRowBorder) {
        bool cols = m_pointerState == PointerOnColumnBorder;
        POINT origin;
        if (!GetCellTopLeft(m_pressCell.row, m_pressCell.col, &origin)) {
            m_pointerState = PointerIdle;
            return;
        }
        int at = cols ? p.x : p.y, from = cols ? origin.x : origin.y;
        int index = cols ? m_pressCell.col : m_pressCell.row;
        // Near the left (top) edge the border belongs to the one before.
        if (at - from < m_borderTolerance) {
            index--;
            while (index >= 0 && (cols ? GetColumnWidth(index) : GetRowHeight(index)) == 0) index--;
            if (index < 0) {
                m_pointerState = PointerIdle;
                return;
            }
        }
        if (cols) m_pressCell.col = index;
        else m_pressCell.row = index;
        if (!GetCellTopLeft(cols ? 0 : index, cols ? index : 0, &origin)) {
            m_pointerState = PointerIdle;
            return;
        }
        ::SetCapture(m_hWnd);
        m_pointerState = cols ? PointerResizingColumn : PointerResizingRow;
        InvertBand(at);
        RECT clip;
        GetClientRect(&clip);
        if (cols) clip.left = origin.x + 1;
        else clip.top = origin.y + 1;
        ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&clip.left));
        ClientToScreen(m_hWnd, reinterpret_cast<POINT*>(&clip.right));
        ClipCursor(&clip);
        m_lastPointer = p;
        return;
    }
    if (m_pressCell == m_focusCell && !ctrl && IsCellEditable(m_pressCell.row, m_pressCell.col)) {
        m_pointerState = PointerEditPending;
        return;
    }
    if (IsCellSelected(m_pressCell.row, m_pressCell.col)) {
        MoveFocus(m_pressCell.row, m_pressCell.col);
        if (ctrl) {
            if (m_wholeRowSelection) SelectRowRange(m_pressCell, TRUE, FALSE);
            else SelectCellRange(m_pressCell, TRUE, FALSE);
            return;
        }
        if (m_dragDropEnabled) m_pointerState = PointerDragPending;
    } else {
        bool fixed = m_pressCell.row < m_fixedRowCount || m_pressCell.col < m_fixedColumnCount;
        if (fixed) MoveFocus(-1, -1);
        else MoveFocus(m_pressCell.row, m_pressCell.col);
    }
    ::SetCapture(m_hWnd);
    if (m_pointerState != PointerDragPending) {
        NotifyParent(m_pressCell.row, m_pressCell.col, LVN_ITEMCHANGING);
        m_savedSelection.clear();
        if (ctrl) m_savedSelection = m_selectedCells;
        if (m_pressCell.row < m_fixedRowCount) {
            OnColumnHeaderPress(m_pressCell);
        } else if (m_pressCell.col < m_fixedColumnCount) {
            OnRowHeaderPress(m_pressCell);
        } else {
            m_pointerState = m_wholeRowSelection ? PointerSelectingRows : PointerSelectingCells;
            ExtendSelection(m_pressCell);
            m_autoScrollTimer = ::SetTimer(m_hWnd, 0x201, m_autoScrollInterval, nullptr);
        }
    }
    m_lastPointer = p;
}

void CDataGridCtrl::OnColumnHeaderPress(const CDataGridCellPos& cell)
{
    if (!IsValid(cell)) return;
    if (m_headerClickSorts) {
        BeginWaitCursor();
        const int col = cell.col;
        const BOOL asc = col == m_sortedColumn ? !m_sortAscending : TRUE;
        SortByText(col, asc);
        m_sortedColumn = col;
        m_sortAscending = asc;
        Invalidate();
        EndWaitCursor();
    }
    if (m_columnHeaderSelects) {
        m_pointerState = cell.col < m_fixedColumnCount ? PointerSelectingAll : PointerSelectingColumns;
        ExtendSelection(cell);
    }
}

void CDataGridCtrl::OnRowHeaderPress(const CDataGridCellPos& cell)
{
    if (!IsValid(cell) || !m_rowHeaderSelects) return;
    m_pointerState = cell.row < m_fixedRowCount ? PointerSelectingAll : PointerSelectingRows;
    ExtendSelection(cell);
}

POINT CDataGridCtrl::CellRelativePoint(int row, int col, POINT p)
{
    POINT origin{};
    if (!GetCellTopLeft(row, col, &origin)) return POINT{0, 0};
    return POINT{p.x - origin.x, p.y - origin.y};
}

void CDataGridCtrl::InvertBand(int pos)
{
    if (!m_hWnd) return;
    RECT client;
    GetClientRect(&client);
    bool cols = m_pointerState == PointerResizingColumn;
    RECT band = cols ? RECT{pos, client.top, pos + 2, client.bottom} : RECT{client.left, pos, client.right, pos + 2};
    HDC dc = ::GetDC(m_hWnd);
    InvertRect(dc, &band);
    ::ReleaseDC(m_hWnd, dc);
    // Drawn at pos, or erased there.
    m_bandPos = m_bandPos == pos ? -1 : pos;
}

void CDataGridCtrl::EndSizing()
{
    if (m_bandPos >= 0) InvertBand(m_bandPos);
    m_bandPos = -1;
    ClipCursor(nullptr);
    m_leftButtonDown = FALSE;
    m_pointerState = PointerIdle;
    if (::GetCapture() == m_hWnd) ReleaseCapture();
}

void CDataGridCtrl::OnMouseMove(UINT, POINT p)
{
    if (m_pointerState == PointerResizingColumn || m_pointerState == PointerResizingRow) {
        int at = m_pointerState == PointerResizingColumn ? p.x : p.y;
        if (at != m_bandPos) {
            if (m_bandPos >= 0) InvertBand(m_bandPos);
            InvertBand(at);
        }
        m_lastPointer = p;
        return;
    }
    if (m_leftButtonDown && (m_pointerState == PointerEditPending || m_pointerState == PointerDragPending)) {
        // Off, the press stays pending and its release still edits.
        if (m_dragDropEnabled) {
            m_pointerState = PointerDragPending;
            BeginTextDrag();
        }
        return;
    }
    if (!m_leftButtonDown) {
        if (m_showTitleTips && m_pointerState == PointerIdle && !IsOverColumnBorder(p) && !IsOverRowBorder(p)) {
            CDataGridCellPos cell = CellFromPoint(p);
            RECT r;
            if (IsValid(cell) && !IsCellEditing(cell.row, cell.col) && GetCellRect(cell.row, cell.col, &r)) {
                if (!m_tipWindow.m_ownerGrid) m_tipWindow.m_ownerGrid = this;
                m_tipWindow.Show(r, GetCellText(cell.row, cell.col), 0, &r, nullptr, m_tipTextColor, m_tipBackColor);
            }
        }
        if (IsOverColumnBorder(p)) {
            m_pointerState = PointerOnColumnBorder;
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
        } else if (IsOverRowBorder(p)) {
            m_pointerState = PointerOnRowBorder;
            SetCursor(LoadCursor(nullptr, IDC_SIZENS));
        } else if (m_pointerState == PointerOnColumnBorder || m_pointerState == PointerOnRowBorder) {
            m_pointerState = PointerIdle;
        }
        return;
    }
    if (m_pointerState == PointerSelectingCells || m_pointerState == PointerSelectingRows ||
        m_pointerState == PointerSelectingColumns) {
        CDataGridCellPos cell = CellFromPoint(p);
        if (IsValid(cell) && cell != m_focusCell) {
            ExtendSelection(cell);
            if (cell.row >= m_fixedRowCount && cell.col >= m_fixedColumnCount) MoveFocus(cell.row, cell.col);
        }
    }
    m_lastPointer = p;
}

void CDataGridCtrl::OnLButtonUp(UINT, POINT p)
{
    Default();
    if (m_pointerState == PointerResizingColumn || m_pointerState == PointerResizingRow) {
        bool cols = m_pointerState == PointerResizingColumn;
        if (m_bandPos >= 0) InvertBand(m_bandPos);
        m_bandPos = -1;
        POINT origin;
        bool moved = !(p.x == m_pressPoint.x && p.y == m_pressPoint.y) && !(p.x == 0 && p.y == 0);
        if (moved && GetCellTopLeft(cols ? 0 : m_pressCell.row, cols ? m_pressCell.col : 0, &origin)) {
            int minimum = (cols ? m_columnsMayHide : m_rowsMayHide) ? 0 : 1;
            int size = std::max(minimum, cols ? p.x - origin.x : p.y - origin.y);
            if (cols) SetColumnWidth(m_pressCell.col, size);
            else SetRowHeight(m_pressCell.row, size);
            UpdateScrollBars();
            Invalidate();
        }
        EndSizing();
        return;
    }
    m_leftButtonDown = FALSE;
    ClipCursor(nullptr);
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    if (m_autoScrollTimer) {
        ::KillTimer(m_hWnd, m_autoScrollTimer);
        m_autoScrollTimer = 0;
    }
    switch (m_pointerState) {
    case PointerEditPending:
        BeginEditCell(m_focusCell.row, m_focusCell.col, POINT{0, 0}, VK_LBUTTON);
        break;
    case PointerDragPending:
        NotifyParent(m_pressCell.row, m_pressCell.col, NM_CLICK);
        NotifyParent(m_pressCell.row, m_pressCell.col, LVN_ITEMCHANGING);
        ClearSelection();
        NotifyParent(m_focusCell.row, m_focusCell.col, LVN_ITEMCHANGED);
        break;
    default:
        NotifyParent(m_focusCell.row, m_focusCell.col, LVN_ITEMCHANGED);
        if (IsValid(m_focusCell))
            if (CDataGridCellBase* cell = GetCell(m_focusCell.row, m_focusCell.col)) cell->OnLeftClick(POINT{0, 0});
        NotifyParent(m_pressCell.row, m_pressCell.col, NM_CLICK);
        break;
    }
    m_pointerState = PointerIdle;
    if (IsValid(m_pressCell)) {
        CWnd* owner = GetOwner();
        HWND target = owner ? owner->m_hWnd : ::GetParent(m_hWnd);
        if (target) ::PostMessage(target, WM_COMMAND, (WPARAM)(GetDlgCtrlID() & 0xFFFF), (LPARAM)m_hWnd);
    }
}

void CDataGridCtrl::OnLButtonDblClk(UINT, POINT p)
{
    CDataGridCellPos cell = CellFromPoint(p);
    if (!IsValid(cell)) return;
    if (m_pointerState == PointerOnColumnBorder || m_pointerState == PointerOnRowBorder ||
        IsOverColumnBorder(p) || IsOverRowBorder(p)) {
        bool cols = m_pointerState == PointerOnColumnBorder || (m_pointerState != PointerOnRowBorder && IsOverColumnBorder(p));
        POINT origin;
        if (!GetCellTopLeft(cell.row, cell.col, &origin)) return;
        int index = cols ? cell.col : cell.row;
        if ((cols ? p.x - origin.x : p.y - origin.y) < m_borderTolerance) index--;
        while (index >= 0 && (cols ? GetColumnWidth(index) : GetRowHeight(index)) == 0) index--;
        if (index < 0) return;
        if (cols) AutoSizeColumn(index, m_autoSizeScope, TRUE);
        else AutoSizeRow(index, TRUE);
        Invalidate();
        Default();
        return;
    }
    if (m_pointerState == PointerIdle) {
        bool fixed = cell.row < m_fixedRowCount || cell.col < m_fixedColumnCount;
        if (!fixed && (IsValid(m_pressCell) || m_wholeRowSelection)) BeginEditCell(cell.row, cell.col, POINT{0, 0}, VK_LBUTTON);
        if (CDataGridCellBase* c = GetCell(cell.row, cell.col)) c->OnDoubleClick(POINT{0, 0});
        NotifyParent(cell.row, cell.col, NM_DBLCLK);
    }
    Default();
}

void CDataGridCtrl::OnTimer(UINT_PTR id)
{
    if (id != 0x201 || !m_leftButtonDown) return;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(m_hWnd, &p);
    RECT client;
    GetClientRect(&client);
    int fh = GetFixedRowHeight(), fw = GetFixedColumnWidth();
    auto clampX = [&](int x) { return std::clamp(x, (int)client.left, std::max((int)client.left, (int)client.right - 1)); };
    auto clampY = [&](int y) { return std::clamp(y, (int)client.top, std::max((int)client.top, (int)client.bottom - 1)); };
    if (p.y >= client.bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        ExtendSelection(CellFromPoint(POINT{clampX(p.x), client.bottom - 1}));
    } else if (p.y < fh) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        ExtendSelection(CellFromPoint(POINT{clampX(p.x), fh + 1}));
    }
    if (p.x >= client.right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        ExtendSelection(CellFromPoint(POINT{client.right - 1, clampY(p.y)}));
    } else if (p.x < fw) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        ExtendSelection(CellFromPoint(POINT{fw + 1, clampY(p.y)}));
    }
}

void CDataGridCtrl::OnRButtonUp(UINT, POINT p)
{
    Default();
    CDataGridCellPos cell = CellFromPoint(p);
    FinishFocusEdit();
    if (!IsValid(cell)) {
        NotifyParent(-1, -1, NM_RCLICK);
        return;
    }
    MoveFocus(-1, -1);
    MoveFocus(std::max(cell.row, m_fixedRowCount), std::max(cell.col, m_fixedColumnCount));
    if (IsValid(m_focusCell))
        if (CDataGridCellBase* c = GetCell(m_focusCell.row, m_focusCell.col)) c->OnRightClick(POINT{0, 0});
    NotifyParent(m_focusCell.row, m_focusCell.col, NM_RCLICK);
}

BOOL CDataGridCtrl::OnMouseWheel(UINT, short delta, POINT)
{
    if (m_wheelLines == -1) {
        int n = delta / 120;
        for (int i = 0; i < std::abs(n); i++) PostMessage(WM_VSCROLL, n > 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
    } else {
        int n = delta * m_wheelLines / 120;
        for (int i = 0; i < std::abs(n); i++) PostMessage(WM_VSCROLL, n > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
    }
    return (BOOL)Default();
}
