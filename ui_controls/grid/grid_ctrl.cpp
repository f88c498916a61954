// The grid's model: class registration, counts, cells, sizes, virtual mode,
// sorting, notifications and the smaller message handlers.
#include "ui_controls/grid/grid_ctrl.h"

#include <cstring>
#include <new>

#include "platform/afx/afx_ids.h"
#include "platform/afx/exception.h"
#include "platform/controls/controls.h"
#include "platform/user/user.h"

IMPLEMENT_DYNCREATE(CDataGridCtrl, CWnd)

BEGIN_MESSAGE_MAP(CDataGridCtrl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_SIZE()
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_MESSAGE(WM_IME_CHAR, OnImeCharMsg)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEWHEEL()
    ON_NOTIFY(GVN_ENDLABELEDIT, 8, OnEditBoxClosed)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
END_MESSAGE_MAP()

CDataGridCtrl::CDataGridCtrl(int rows, int cols, int fixedRows, int fixedCols)
{
    RegisterGridClass();
    // OLE needs no initialisation here: it always succeeds.
    m_sysTextColor = GetSysColor(COLOR_WINDOWTEXT);
    m_sysWindowColor = GetSysColor(COLOR_WINDOW);
    m_sysFaceColor = GetSysColor(COLOR_3DFACE);
    m_sysShadowColor = GetSysColor(COLOR_3DSHADOW);
    m_wheelLines = QueryWheelScrollLines();
    m_cellClass = RUNTIME_CLASS(CDataGridCell);
    ResetDefaultCells();
    m_emptyAreaColor = m_sysShadowColor;
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
    m_selectedCells.clear();
    m_savedSelection.clear();
    SetPrintLayout(2, 2, 4, 4, 1, 1, 1);
}

CDataGridCtrl::~CDataGridCtrl()
{
    DeleteAllCells();
    if (m_hWnd) DestroyWindow();
    if (m_printFont) DeleteObject(m_printFont);
}

BOOL CDataGridCtrl::RegisterGridClass()
{
    HINSTANCE inst = AfxGetModuleState()->m_hInstance;
    WNDCLASS wc{};
    if (GetClassInfo(inst, GRIDCTRL_CLASSNAME, &wc)) return TRUE;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_3DFACE + 1);
    wc.lpszClassName = GRIDCTRL_CLASSNAME;
    if (!RegisterClass(&wc)) throw std::bad_alloc();
    return TRUE;
}

BOOL CDataGridCtrl::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style)
{
    HWND h = CreateWindowEx(0, GRIDCTRL_CLASSNAME, "", style, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, (HMENU)(uintptr_t)id,
                            AfxGetModuleState()->m_hInstance, nullptr);
    if (!h) return FALSE;
    if (!SubclassWindow(h)) {
        ::DestroyWindow(h);
        return FALSE;
    }
    UpdateScrollBars();
    return TRUE;
}

BOOL CDataGridCtrl::SubclassWindow(HWND hwnd)
{
    if (!CWnd::SubclassWindow(hwnd)) return FALSE;
    PreSubclassWindow();
    UpdateScrollBars();
    return TRUE;
}

BOOL CDataGridCtrl::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND item = parent ? ::GetDlgItem(parent->m_hWnd, (int)id) : nullptr;
    return item && SubclassWindow(item);
}

void CDataGridCtrl::PreSubclassWindow() { SetupWindow(); }

BOOL CDataGridCtrl::SetupWindow()
{
    if (m_inSetup) return TRUE;
    m_inSetup = true;
    if (m_hWnd) {
        ::SetWindowLongPtr(m_hWnd, GWL_EXSTYLE, (LONG_PTR)(GetExStyle() | WS_EX_CLIENTEDGE));
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    m_inSetup = false;
    return TRUE;
}

int CDataGridCtrl::QueryWheelScrollLines()
{
    UINT lines = 3;
    if (!SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) lines = 3;
    return (int)lines;
}

void CDataGridCtrl::ResetDefaultCells()
{
    for (CDataGridDefaultCell* c : {&m_defaultCell, &m_defaultFixedColumnCell, &m_defaultFixedRowCell, &m_defaultCornerCell})
        c->SetGrid(this);
    m_defaultCell.SetForeColor(m_sysTextColor);
    m_defaultCell.SetBackColor(m_sysWindowColor);
    for (CDataGridDefaultCell* c : {&m_defaultFixedColumnCell, &m_defaultFixedRowCell, &m_defaultCornerCell}) {
        c->SetForeColor(m_sysTextColor);
        c->SetBackColor(m_sysFaceColor);
    }
}

// ---------------------------------------------------------------- cells

CDataGridDefaultCell* CDataGridCtrl::GetDefaultCell(BOOL fixedRow, BOOL fixedCol) const
{
    auto* self = const_cast<CDataGridCtrl*>(this);
    if (fixedRow && fixedCol) return &self->m_defaultCornerCell;
    if (fixedRow) return &self->m_defaultFixedRowCell;
    if (fixedCol) return &self->m_defaultFixedColumnCell;
    return &self->m_defaultCell;
}

BOOL CDataGridCtrl::SetCellType(const CRuntimeClass* cls)
{
    if (!cls || !cls->IsDerivedFrom(RUNTIME_CLASS(CDataGridCellBase))) return FALSE;
    m_cellClass = cls;
    return TRUE;
}

BOOL CDataGridCtrl::IsValid(const CDataGridCellRange& r) const
{
    return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < m_rowCount &&
           r.maxCol < m_columnCount && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

CDataGridCellBase* CDataGridCtrl::GetCell(int row, int col) const
{
    if (!IsValid(row, col)) return nullptr;
    if (!m_virtualMode) {
        if (row >= (int)m_cellRows.size() || !m_cellRows[row]) return nullptr;
        const auto& cells = m_cellRows[row]->cells;
        return col < (int)cells.size() ? cells[col] : nullptr;
    }
    auto* self = const_cast<CDataGridCtrl*>(this);
    bool fr = row < m_fixedRowCount, fc = col < m_fixedColumnCount;
    CDataGridDefaultCell* def = GetDefaultCell(fr, fc);
    GridDispInfo& d = self->m_dispInfo;
    d.item.row = row;
    d.item.column = col;
    d.item.mask = 0xFFFFFFFFu;
    d.item.state = 0;
    d.item.format = def->GetFormat();
    d.item.image = def->GetImage();
    d.item.backColor = def->GetBackColor();
    d.item.foreColor = def->GetForeColor();
    d.item.param = def->GetData();
    if (const LOGFONT* lf = def->GetFont()) d.item.font = *lf;
    d.item.margin = def->GetMargin();
    d.item.text.clear();
    if (m_selectionEnabled && m_selectedCells.count({row, col})) d.item.state |= Selected;
    if (fr) d.item.state |= Fixed | FixedRow;
    if (fc) d.item.state |= Fixed | FixedColumn;
    if (m_focusCell == CDataGridCellPos(row, col)) d.item.state |= Focused;
    if (m_cellDataCallback)
        m_cellDataCallback(&d, m_callbackContext);
    else
        self->RequestCellData(&d);
    if (!m_virtualCell) self->m_virtualCell = std::make_unique<CDataGridCell>();
    CDataGridCell* c = self->m_virtualCell.get();
    c->SetState(d.item.state);
    c->SetText(d.item.text.c_str());
    c->SetData(d.item.param);
    c->SetImage(d.item.image);
    c->SetFormat(d.item.format);
    c->SetForeColor(d.item.foreColor);
    c->SetBackColor(d.item.backColor);
    c->SetFont(&d.item.font);
    c->SetMargin(d.item.margin);
    c->SetGrid(self);
    return c;
}

CDataGridCellBase* CDataGridCtrl::CreateCell(int row, int col)
{
    if (!m_cellClass || !m_cellClass->IsDerivedFrom(RUNTIME_CLASS(CDataGridCellBase))) return nullptr;
    CObject* o = m_cellClass->CreateObject();
    auto* cell = static_cast<CDataGridCellBase*>(o);
    if (!cell) return nullptr;
    cell->SetGrid(this);
    cell->SetLocation(row, col);
    DWORD s = cell->GetState();
    if (col < m_fixedColumnCount) s |= Fixed | FixedColumn;
    if (row < m_fixedRowCount) s |= Fixed | FixedRow;
    cell->SetState(s);
    if (CDataGridDefaultCell* def = cell->GetDefaultCell()) cell->SetFormat(def->GetFormat());
    return cell;
}

void CDataGridCtrl::DestroyCell(int row, int col)
{
    SetCellState(row, col, 0);
    if (m_virtualMode) return;
    if (row < (int)m_cellRows.size() && m_cellRows[row] && col < (int)m_cellRows[row]->cells.size()) {
        delete m_cellRows[row]->cells[col];
        m_cellRows[row]->cells[col] = nullptr;
    }
}

BOOL CDataGridCtrl::SetCellText(int row, int col, const char* text)
{
    if (m_virtualMode) return FALSE;
    CDataGridCellBase* c = GetCell(row, col);
    if (!c) return FALSE;
    c->SetText(text);
    SetModified(TRUE, row, col);
    return TRUE;
}

const char* CDataGridCtrl::GetCellText(int row, int col) const
{
    CDataGridCellBase* c = GetCell(row, col);
    return c ? c->GetText() : "";
}

BOOL CDataGridCtrl::SetCellState(int row, int col, DWORD state)
{
    if (!IsValid(row, col)) return FALSE;
    auto key = std::make_pair(row, col);
    bool selected = m_selectedCells.count(key) != 0;
    if ((state & Selected) && !selected) m_selectedCells[key] = CDataGridCellPos(row, col);
    if (!(state & Selected) && selected) m_selectedCells.erase(key);
    if (m_virtualMode) return FALSE;
    CDataGridCellBase* c = GetCell(row, col);
    if (!c) return FALSE;
    c->SetState(state);
    return TRUE;
}

DWORD CDataGridCtrl::GetCellState(int row, int col) const
{
    CDataGridCellBase* c = GetCell(row, col);
    return c ? c->GetState() : 0;
}

BOOL CDataGridCtrl::SetCellBackColor(int row, int col, COLORREF color)
{
    if (m_virtualMode) return FALSE;
    CDataGridCellBase* c = GetCell(row, col);
    if (!c) return FALSE;
    c->SetBackColor(color);
    return TRUE;
}

BOOL CDataGridCtrl::SetCellForeColor(int row, int col, COLORREF color)
{
    if (m_virtualMode) return FALSE;
    CDataGridCellBase* c = GetCell(row, col);
    if (!c) return FALSE;
    c->SetForeColor(color);
    return TRUE;
}

BOOL CDataGridCtrl::IsCellEditing(int row, int col) const
{
    CDataGridCellBase* c = GetCell(row, col);
    return c ? c->IsEditing() : FALSE;
}

// ---------------------------------------------------------------- counts

void CDataGridCtrl::DropSelectionOutside()
{
    for (auto it = m_selectedCells.begin(); it != m_selectedCells.end();) {
        if (it->first.first >= m_rowCount || it->first.second >= m_columnCount)
            it = m_selectedCells.erase(it);
        else
            ++it;
    }
    for (auto it = m_savedSelection.begin(); it != m_savedSelection.end();) {
        if (it->first.first >= m_rowCount || it->first.second >= m_columnCount)
            it = m_savedSelection.erase(it);
        else
            ++it;
    }
}

BOOL CDataGridCtrl::SetRowCount(int n)
{
    if (n == m_rowCount) return TRUE;
    if (n < 0) return FALSE;
    m_topLeftCache = CDataGridCellPos();
    if (n < m_fixedRowCount) m_fixedRowCount = n;
    if (m_focusCell.row >= n) MoveFocus(-1, -1);
    BOOL result = TRUE;
    if (n < m_rowCount) {
        if (!m_virtualMode) {
            for (int r = n; r < m_rowCount; r++) {
                for (int c = 0; c < m_columnCount; c++) DestroyCell(r, c);
                delete m_cellRows[r];
                m_cellRows[r] = nullptr;
            }
        }
        m_rowCount = n;
        DropSelectionOutside();
    }
    try {
        int old = m_rowCount;
        m_rowHeights.resize(n);
        if (m_virtualMode) {
            for (int r = old; r < n; r++) m_rowHeights[r] = (unsigned)m_defaultCell.GetHeight();
            m_rowCount = n;
        } else {
            m_cellRows.resize(n, nullptr);
            for (int r = old; r < n; r++) {
                m_rowHeights[r] = (unsigned)m_defaultCell.GetHeight();
                auto* row = new CDataGridRow;
                m_cellRows[r] = row;
                row->cells.resize(m_columnCount, nullptr);
                m_rowCount = r + 1;
                for (int c = 0; c < m_columnCount; c++) row->cells[c] = CreateCell(r, c);
            }
        }
    } catch (const std::bad_alloc&) {
        m_rowHeights.resize(m_rowCount);
        if (!m_virtualMode) m_cellRows.resize(m_rowCount);
        AfxReportCurrentException();
        result = FALSE;
    }
    SetModified(TRUE, -1, -1);
    UpdateScrollBars();
    Refresh();
    return result;
}

BOOL CDataGridCtrl::SetColumnCount(int n)
{
    if (n == m_columnCount) return TRUE;
    if (n < 0) return FALSE;
    m_topLeftCache = CDataGridCellPos();
    if (n < m_fixedColumnCount) m_fixedColumnCount = n;
    if (m_focusCell.col >= n) MoveFocus(-1, -1);
    if (n < m_columnCount && !m_virtualMode) {
        for (int r = 0; r < m_rowCount; r++)
            for (int c = n; c < m_columnCount; c++) DestroyCell(r, c);
    }
    BOOL result = TRUE;
    int old = m_columnCount;
    try {
        m_columnWidths.resize(n);
        if (!m_virtualMode)
            for (CDataGridRow* row : m_cellRows)
                if (row) row->cells.resize(n, nullptr);
        if (n > old) {
            for (int c = old; c < n; c++) m_columnWidths[c] = (unsigned)m_defaultFixedColumnCell.GetWidth();
            m_columnCount = n;
            if (!m_virtualMode)
                for (int r = 0; r < m_rowCount; r++)
                    for (int c = old; c < n; c++) m_cellRows[r]->cells[c] = CreateCell(r, c);
        }
    } catch (const std::bad_alloc&) {
        AfxReportCurrentException();
        result = FALSE;
    }
    m_columnCount = n;
    DropSelectionOutside();
    SetModified(TRUE, -1, -1);
    UpdateScrollBars();
    Refresh();
    return result;
}

BOOL CDataGridCtrl::SetFixedRowCount(int n)
{
    if (n == m_fixedRowCount) return TRUE;
    if (n < 0) return FALSE;
    ClearSelection();
    m_topLeftCache = CDataGridCellPos();
    if (n > m_rowCount && !SetRowCount(n)) return FALSE;
    if (m_focusCell.row < n) MoveFocus(-1, -1);
    if (!m_virtualMode) {
        if (n < m_fixedRowCount) {
            for (int r = n; r < m_fixedRowCount; r++)
                for (int c = 0; c < m_columnCount; c++) {
                    CDataGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    if (c < m_fixedColumnCount) {
                        cell->SetState(cell->GetState() & ~FixedRow);
                    } else {
                        cell->SetState(cell->GetState() & ~(Fixed | FixedRow));
                        cell->SetBackColor(CLR_DEFAULT);
                        cell->SetForeColor(CLR_DEFAULT);
                    }
                }
        } else {
            for (int r = m_fixedRowCount; r < n; r++)
                for (int c = 0; c < m_columnCount; c++) {
                    CDataGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    cell->SetState(cell->GetState() | Fixed | FixedRow);
                    cell->SetBackColor(CLR_DEFAULT);
                    cell->SetForeColor(CLR_DEFAULT);
                }
        }
    }
    m_fixedRowCount = n;
    Refresh();
    return TRUE;
}

BOOL CDataGridCtrl::SetFixedColumnCount(int n)
{
    if (n == m_fixedColumnCount) return TRUE;
    if (n < 0) return FALSE;
    if (n > m_columnCount && !SetColumnCount(n)) return FALSE;
    if (m_focusCell.col < n) MoveFocus(-1, -1);
    ClearSelection();
    m_topLeftCache = CDataGridCellPos();
    if (!m_virtualMode) {
        if (n < m_fixedColumnCount) {
            for (int r = 0; r < m_rowCount; r++)
                for (int c = n; c < m_fixedColumnCount; c++) {
                    CDataGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    if (r < m_fixedRowCount) {
                        cell->SetState(cell->GetState() & ~FixedColumn);
                    } else {
                        cell->SetState(cell->GetState() & ~(Fixed | FixedColumn));
                        cell->SetBackColor(CLR_DEFAULT);
                        cell->SetForeColor(CLR_DEFAULT);
                    }
                }
        } else {
            for (int r = 0; r < m_rowCount; r++)
                for (int c = m_fixedColumnCount; c < n; c++) {
                    CDataGridCellBase* cell = GetCell(r, c);
                    if (!cell) continue;
                    cell->SetState(cell->GetState() | Fixed | FixedColumn);
                    cell->SetBackColor(CLR_DEFAULT);
                    cell->SetForeColor(CLR_DEFAULT);
                }
        }
    }
    m_fixedColumnCount = n;
    Refresh();
    return TRUE;
}

BOOL CDataGridCtrl::DeleteAllCells()
{
    ClearSelection();
    m_rowHeights.clear();
    m_columnWidths.clear();
    if (!m_virtualMode) {
        for (int r = 0; r < (int)m_cellRows.size(); r++) {
            if (!m_cellRows[r]) continue;
            for (int c = 0; c < (int)m_cellRows[r]->cells.size(); c++) {
                delete m_cellRows[r]->cells[c];
                m_cellRows[r]->cells[c] = nullptr;
            }
            delete m_cellRows[r];
        }
    }
    m_cellRows.clear();
    m_selectedCells.clear();
    m_savedSelection.clear();
    m_focusCell = CDataGridCellPos();
    m_rowCount = m_columnCount = m_fixedRowCount = m_fixedColumnCount = 0;
    m_topLeftCache = CDataGridCellPos();
    UpdateScrollBars();
    SetModified(TRUE, -1, -1);
    return TRUE;
}

// ---------------------------------------------------------------- sizes

int CDataGridCtrl::GetRowHeight(int row) const
{
    return row >= 0 && row < m_rowCount ? (int)m_rowHeights[row] : -1;
}

int CDataGridCtrl::GetColumnWidth(int col) const
{
    return col >= 0 && col < m_columnCount ? (int)m_columnWidths[col] : -1;
}

BOOL CDataGridCtrl::SetRowHeight(int row, int h)
{
    if (row < 0 || row >= m_rowCount || h < 0) return FALSE;
    m_rowHeights[row] = (unsigned)h;
    UpdateScrollBars();
    return TRUE;
}

BOOL CDataGridCtrl::SetColumnWidth(int col, int w)
{
    if (col < 0 || col >= m_columnCount || w < 0) return FALSE;
    m_columnWidths[col] = (unsigned)w;
    UpdateScrollBars();
    return TRUE;
}

int CDataGridCtrl::GetFixedRowHeight() const
{
    int h = 0;
    for (int r = 0; r < m_fixedRowCount; r++) h += (int)m_rowHeights[r];
    return h;
}

int CDataGridCtrl::GetFixedColumnWidth() const
{
    int w = 0;
    for (int c = 0; c < m_fixedColumnCount; c++) w += (int)m_columnWidths[c];
    return w;
}

long CDataGridCtrl::GetTotalHeight() const
{
    long h = 0;
    for (unsigned v : m_rowHeights) h += v;
    return h;
}

long CDataGridCtrl::GetTotalWidth() const
{
    long w = 0;
    for (unsigned v : m_columnWidths) w += v;
    return w;
}

BOOL CDataGridCtrl::AutoSizeColumn(int col, int scope, BOOL resetScroll)
{
    if (col < 0 || col >= m_columnCount || (int)m_columnWidths[col] < 1) return FALSE;
    HDC hdc = GetDC(m_hWnd);
    if (!hdc) return FALSE;
    CDC dc(hdc);
    if (scope == 0) scope = m_autoSizeScope;
    int first = (scope & 1) ? 0 : m_fixedRowCount;
    int last = (scope & 2) ? m_rowCount - 1 : m_fixedRowCount - 1;
    if (m_virtualMode) SendCacheHint(CDataGridCellRange(first, col, last, col));
    int width = 0;
    for (int r = first; r <= last; r++) {
        CDataGridCellBase* c = GetCell(r, col);
        if (!c) continue;
        SIZE s = c->GetContentSize(&dc);
        if (s.cx > width) width = s.cx;
    }
    m_columnWidths[col] = (unsigned)width;
    if (m_virtualMode) SendCacheHint();
    dc.Detach();
    ReleaseDC(m_hWnd, hdc);
    if (resetScroll) UpdateScrollBars();
    return TRUE;
}

BOOL CDataGridCtrl::AutoSizeRow(int row, BOOL resetScroll)
{
    if (row < 0 || row >= m_rowCount || (int)m_rowHeights[row] < 1) return FALSE;
    HDC hdc = GetDC(m_hWnd);
    if (!hdc) return FALSE;
    CDC dc(hdc);
    if (m_virtualMode) SendCacheHint(CDataGridCellRange(row, 0, row, m_columnCount - 1));
    int height = 0;
    for (int c = 0; c < m_columnCount; c++) {
        CDataGridCellBase* cell = GetCell(row, c);
        if (!cell) continue;
        SIZE s = cell->GetContentSize(&dc);
        if (s.cy > height) height = s.cy;
    }
    m_rowHeights[row] = (unsigned)height;
    if (m_virtualMode) SendCacheHint();
    dc.Detach();
    ReleaseDC(m_hWnd, hdc);
    if (resetScroll) UpdateScrollBars();
    return TRUE;
}

// ---------------------------------------------------------------- virtual mode

void CDataGridCtrl::SetVirtualMode(BOOL on)
{
    DeleteAllCells();
    m_virtualMode = on;
    if (on) {
        m_editable = FALSE;
        m_headerClickSorts = FALSE;
        m_autoSizeScope = 1;
        m_columnHeaderSelects = FALSE;
        m_rowHeaderSelects = FALSE;
    }
}

// ---------------------------------------------------------------- sorting

void CDataGridCtrl::SetSortColumn(int col)
{
    if (m_sortedColumn >= 0) RedrawCell(0, m_sortedColumn);
    m_sortedColumn = col;
    if (col >= 0) RedrawCell(0, col);
}

int CDataGridCtrl::CompareCellTexts(LPARAM a, LPARAM b, LPARAM)
{
    auto* c1 = reinterpret_cast<CDataGridCellBase*>(a);
    auto* c2 = reinterpret_cast<CDataGridCellBase*>(b);
    if (!c1 || !c2) return 0;
    return strcmp(c1->GetText(), c2->GetText());
}

BOOL CDataGridCtrl::SortByText(int col, BOOL ascending, LPARAM value)
{
    SetSortColumn(col);
    m_sortAscending = ascending;
    ClearSelection();
    MoveFocus(-1, -1);
    return SortByFunction(m_compareFunc ? m_compareFunc : CompareCellTexts, col, ascending, value);
}

BOOL CDataGridCtrl::SortByFunction(GridCompareFunc compare, int col, BOOL ascending, LPARAM value)
{
    SetSortColumn(col);
    m_sortAscending = ascending;
    ClearSelection();
    MoveFocus(-1, -1);
    BOOL ok = SortRowRange(compare, col, ascending, value, m_fixedRowCount, -1);
    Refresh();
    return ok;
}

void CDataGridCtrl::SwapRows(int a, int b)
{
    if (!m_virtualMode) {
        CDataGridRow* ra = m_cellRows[a];
        CDataGridRow* rb = m_cellRows[b];
        for (int c = 0; c < m_columnCount; c++) {
            std::swap(ra->cells[c], rb->cells[c]);
            if (ra->cells[c]) ra->cells[c]->SetLocation(a, c);
            if (rb->cells[c]) rb->cells[c]->SetLocation(b, c);
        }
    }
    std::swap(m_rowHeights[a], m_rowHeights[b]);
}

BOOL CDataGridCtrl::SortRowRange(GridCompareFunc compare, int col, BOOL ascending, LPARAM value, int low, int high)
{
    if (!compare) return FALSE;
    if (high == -1) high = m_rowCount - 1;
    if (col < 0 || col >= m_columnCount || low < 0 || high >= m_rowCount || low >= high) return FALSE;
    // In virtual mode every cell is the one shared cell: the pivot needs its own copy.
    CDataGridCell pivot;
    pivot.CopyFrom(*GetCell((low + high) / 2, col));
    auto cmp = [&](int row) {
        return compare(reinterpret_cast<LPARAM>(GetCell(row, col)), reinterpret_cast<LPARAM>(&pivot), value);
    };
    int i = low, j = high;
    while (i <= j) {
        if (ascending) {
            while (i < high && cmp(i) < 0) i++;
            while (j > low && cmp(j) > 0) j--;
        } else {
            while (i < high && cmp(i) > 0) i++;
            while (j > low && cmp(j) < 0) j--;
        }
        if (i <= j) {
            CDataGridCell ci;
            ci.CopyFrom(*GetCell(i, col));
            if (compare(reinterpret_cast<LPARAM>(&ci), reinterpret_cast<LPARAM>(GetCell(j, col)), value) != 0) SwapRows(i, j);
            i++;
            j--;
        }
    }
    if (low < j) SortRowRange(compare, col, ascending, value, low, j);
    if (i < high) SortRowRange(compare, col, ascending, value, i, high);
    return TRUE;
}

// ---------------------------------------------------------------- notifications

LRESULT CDataGridCtrl::NotifyParent(int row, int col, int code)
{
    if (!m_hWnd) return 0;
    GridNotify n{};
    n.hdr.hwndFrom = m_hWnd;
    n.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    n.hdr.code = (UINT)code;
    n.row = row;
    n.column = col;
    CWnd* owner = GetOwner();
    if (!owner || !owner->m_hWnd) return 0;
    return ::SendMessage(owner->m_hWnd, WM_NOTIFY, n.hdr.idFrom, (LPARAM)&n);
}

LRESULT CDataGridCtrl::RequestCellData(GridDispInfo* info)
{
    if (!m_hWnd) return 0;
    info->hdr.hwndFrom = m_hWnd;
    info->hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    info->hdr.code = (UINT)LVN_GETDISPINFO;
    CWnd* owner = GetOwner();
    if (!owner || !owner->m_hWnd) return 0;
    return ::SendMessage(owner->m_hWnd, WM_NOTIFY, info->hdr.idFrom, (LPARAM)info);
}

LRESULT CDataGridCtrl::SendCacheHint(const CDataGridCellRange& range)
{
    if (!m_hWnd) return 0;
    GridCacheHint h{};
    h.hdr.hwndFrom = m_hWnd;
    h.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    h.hdr.code = (UINT)LVN_ODCACHEHINT;
    h.range = range;
    CWnd* owner = GetOwner();
    if (!owner || !owner->m_hWnd) return 0;
    return ::SendMessage(owner->m_hWnd, WM_NOTIFY, h.hdr.idFrom, (LPARAM)&h);
}

// ---------------------------------------------------------------- selection and focus

void CDataGridCtrl::MoveFocus(int row, int col)
{
    CDataGridCellPos old = m_focusCell;
    if (IsValid(old)) {
        if (!m_virtualMode) {
            if (CDataGridCellBase* c = GetCell(old.row, old.col)) c->SetState(c->GetState() & ~Focused);
        }
    }
    m_focusCell = CDataGridCellPos(row, col);
    if (!IsValid(m_focusCell)) m_focusCell = CDataGridCellPos();
    if (IsValid(m_focusCell) && !m_virtualMode) {
        if (CDataGridCellBase* c = GetCell(row, col)) c->SetState(c->GetState() | Focused);
    }
    if (!m_hWnd || !m_drawingEnabled) return;
    if (IsValid(old)) RedrawCell(old.row, old.col);
    if (IsValid(m_focusCell)) RedrawCell(row, col);
    if (m_highlightFocusHeaders) {
        for (const CDataGridCellPos& p : {old, m_focusCell}) {
            if (!IsValid(p)) continue;
            for (int c = 0; c < m_fixedColumnCount; c++) RedrawCell(p.row, c);
            for (int r = 0; r < m_fixedRowCount; r++) RedrawCell(r, p.col);
        }
    }
}

void CDataGridCtrl::SetRangeSelection(const CDataGridCellRange& range, BOOL keepPrevious, BOOL redraw)
{
    if (!m_selectionEnabled) return;
    // A large selection takes a while: the hourglass for the duration.
    struct Wait {
        CDataGridCtrl* grid;
        explicit Wait(CDataGridCtrl* g) : grid(g) { grid->BeginWaitCursor(); }
        ~Wait() { grid->EndWaitCursor(); }
    } wait(this);
    if (!keepPrevious) {
        // Walk a copy: clearing a cell's state edits the map.
        auto snapshot = m_selectedCells;
        for (const auto& e : snapshot) {
            int r = e.first.first, c = e.first.second;
            if (!IsValid(r, c)) {
                m_selectedCells.erase(e.first);
                continue;
            }
            bool inside = IsValid(range) && r >= range.minRow && r <= range.maxRow && c >= range.minCol && c <= range.maxCol;
            if (inside) continue;
            SetCellState(r, c, GetCellState(r, c) & ~Selected);
            if (redraw) RedrawCell(r, c);
        }
    }
    if (!IsValid(range)) return;
    for (int r = range.minRow; r <= range.maxRow; r++)
        for (int c = range.minCol; c <= range.maxCol; c++) {
            if (m_selectedCells.count({r, c})) continue;
            SetCellState(r, c, GetCellState(r, c) | Selected);
            if (redraw) RedrawCell(r, c);
        }
}

void CDataGridCtrl::ClearSelection()
{
    m_savedSelection.clear();
    SetRangeSelection(CDataGridCellRange(), FALSE, TRUE);
    m_selectedCells.clear();
    MoveFocus(-1, -1);   // no focus cell is left behind either
}

CDataGridCellRange CDataGridCtrl::GetSelectionBounds() const
{
    if (m_selectedCells.empty()) return CDataGridCellRange();
    CDataGridCellRange r(m_rowCount, m_columnCount, 0, 0);
    for (const auto& e : m_selectedCells) {
        r.minRow = std::min(r.minRow, e.second.row);
        r.minCol = std::min(r.minCol, e.second.col);
        r.maxRow = std::max(r.maxRow, e.second.row);
        r.maxCol = std::max(r.maxCol, e.second.col);
    }
    return r;
}

// ---------------------------------------------------------------- small queries

void CDataGridCtrl::SetModified(BOOL modified, int row, int col)
{
    if (row >= 0 && col >= 0 && !m_virtualMode) {
        if (CDataGridCellBase* c = GetCell(row, col)) {
            DWORD s = c->GetState();
            c->SetState(modified ? s | Modified : s & ~Modified);
        }
        if (modified) m_modified = TRUE;
        return;
    }
    m_modified = modified;
    if (!modified && !m_virtualMode) {
        for (int r = 0; r < m_rowCount; r++)
            for (int c = 0; c < m_columnCount; c++)
                if (CDataGridCellBase* cell = GetCell(r, c)) cell->SetState(cell->GetState() & ~Modified);
    }
}

void CDataGridCtrl::Refresh()
{
    if (m_hWnd && m_drawingEnabled) Invalidate();
}

BOOL CDataGridCtrl::RedrawCell(int row, int col, CDC* dc)
{
    return RepaintCell(row, col, dc);
}

BOOL CDataGridCtrl::IsCellEditable(int row, int col) const
{
    return m_editable && !(GetCellState(row, col) & ReadOnly);
}

BOOL CDataGridCtrl::IsCellSelected(int row, int col) const
{
    if (!m_selectionEnabled) return FALSE;
    if (m_virtualMode) return m_selectedCells.count({row, col}) != 0;
    CDataGridCellBase* c = GetCell(row, col);
    return c && c->IsSelected();
}

BOOL CDataGridCtrl::IsCellVisible(int row, int col)
{
    if (!IsValid(row, col) || !m_hWnd) return FALSE;
    RECT client;
    GetClientRect(&client);
    POINT p;
    if (!GetCellTopLeft(row, col, &p)) return FALSE;
    bool rowOk = row < m_fixedRowCount || p.y < client.bottom;
    bool colOk = col < m_fixedColumnCount || p.x < client.right;
    return rowOk && colOk;
}

BOOL CDataGridCtrl::EnsureVisible(int row, int col)
{
    if (!IsValid(row, col) || !m_hWnd) return FALSE;
    RECT client;
    GetClientRect(&client);
    // Each step must move the position; a step that cannot ends the walk.
    for (int guard = 0; guard < m_rowCount + 2; guard++) {
        RECT r;
        CDataGridCellPos tl = GetTopLeftScrollCell();
        if (row >= m_fixedRowCount && tl.row >= 0 && row < tl.row) {
            int p = GetScrollPosition(SB_VERT);
            SendMessage(WM_VSCROLL, SB_LINEUP, 0);
            if (GetScrollPosition(SB_VERT) == p) break;
            continue;
        }
        if (row >= m_fixedRowCount && GetCellRect(row, col, &r) && r.bottom >= client.bottom && tl.row < row) {
            int p = GetScrollPosition(SB_VERT);
            SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
            if (GetScrollPosition(SB_VERT) == p) break;
            continue;
        }
        break;
    }
    for (int guard = 0; guard < m_columnCount + 2; guard++) {
        RECT r;
        CDataGridCellPos tl = GetTopLeftScrollCell();
        if (col >= m_fixedColumnCount && tl.col >= 0 && col < tl.col) {
            int p = GetScrollPosition(SB_HORZ);
            SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
            if (GetScrollPosition(SB_HORZ) == p) break;
            continue;
        }
        if (col >= m_fixedColumnCount && GetCellRect(row, col, &r) && r.right >= client.right && tl.col < col) {
            int p = GetScrollPosition(SB_HORZ);
            SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
            if (GetScrollPosition(SB_HORZ) == p) break;
            continue;
        }
        break;
    }
    return TRUE;
}

// ---------------------------------------------------------------- handlers

void CDataGridCtrl::OnSize(UINT, int, int)
{
    if (m_inSize) return;
    m_inSize = true;
    if (m_hWnd) {
        if (!m_dropTargetRegistered) m_dropTargetRegistered = m_oleDropTarget.Register(this);
        FinishFocusEdit();
        Default();
        UpdateScrollBars();
    }
    m_inSize = false;
}

LRESULT CDataGridCtrl::OnGetDlgCode(WPARAM, LPARAM)
{
    UINT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
    if (m_takesTabKey && !(GetKeyState(VK_CONTROL) & 0x8000)) code |= DLGC_WANTTAB;
    return code;
}

LRESULT CDataGridCtrl::OnSysColorChange(WPARAM, LPARAM)
{
    Default();
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT), window = GetSysColor(COLOR_WINDOW);
    for (CDataGridDefaultCell* c : {&m_defaultCell, &m_defaultFixedColumnCell, &m_defaultFixedRowCell, &m_defaultCornerCell}) {
        if (c->GetForeColor() == m_sysTextColor) c->SetForeColor(text);
        if (c->GetBackColor() == m_sysWindowColor) c->SetBackColor(window);
    }
    if (m_emptyAreaColor == m_sysShadowColor) m_emptyAreaColor = GetSysColor(COLOR_3DSHADOW);
    m_sysTextColor = text;
    m_sysWindowColor = window;
    m_sysFaceColor = GetSysColor(COLOR_3DFACE);
    m_sysShadowColor = GetSysColor(COLOR_3DSHADOW);
    return 0;
}

LRESULT CDataGridCtrl::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    if ((HWND)lParam == m_hWnd) return 0;
    if (m_autoScrollTimer) {
        KillTimer(m_autoScrollTimer);
        m_autoScrollTimer = 0;
    }
    // Sizing without the capture cannot finish: drop it, applying nothing.
    if (m_pointerState == 7 || m_pointerState == 9) EndSizing();
    if (m_pointerState == 8 || m_pointerState == 6) m_pointerState = 0;
    return 0;
}

LRESULT CDataGridCtrl::OnSetFont(WPARAM wParam, LPARAM)
{
    LRESULT r = Default();
    LOGFONT lf;
    if (wParam && GetObject((HGDIOBJ)wParam, sizeof lf, &lf) == (int)sizeof lf) {
        for (CDataGridDefaultCell* c : {&m_defaultCell, &m_defaultFixedColumnCell, &m_defaultFixedRowCell, &m_defaultCornerCell})
            c->SetFont(&lf);
        Refresh();
    }
    return r;
}

LRESULT CDataGridCtrl::OnGetFont(WPARAM, LPARAM) { return (LRESULT)m_defaultCell.GetGdiFont(); }

LRESULT CDataGridCtrl::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(lParam) != HTCLIENT) return Default();
    (void)wParam;
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(m_hWnd, &p);
    if (!m_virtualMode) {
        CDataGridCellPos c = CellFromPoint(p);
        if (CDataGridCellBase* cell = GetCell(c.row, c.col)) {
            cell->OnSetCursor();
            return TRUE;
        }
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}
