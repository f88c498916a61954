#pragma once
// CDataGridCtrl: a table of stored or owner-supplied (virtual) cells with
// fixed header rows and columns. It sizes, sorts, paints double-buffered,
// scrolls by whole rows and columns and prints page by page.
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/afx/cmd_ui.h"
#include "platform/afx/ole_data.h"
#include "platform/afx/print_info.h"
#include "platform/afx/wnd.h"
#include "ui_controls/grid/grid_cell.h"
#include "ui_controls/grid/grid_companions.h"

#define GRIDCTRL_CLASSNAME "MFCDataGridCtrl"

class CDataGridRow {
public:
    std::vector<CDataGridCellBase*> cells;
};

class CDataGridCtrl : public CWnd {
    DECLARE_DYNCREATE(CDataGridCtrl)
public:
    CDataGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
    ~CDataGridCtrl() override;

    static BOOL RegisterGridClass();
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_BORDER | WS_TABSTOP | WS_VISIBLE);
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    virtual void PreSubclassWindow();
    BOOL SetupWindow();

    // ---- counts and cells ----
    int GetRowCount() const { return m_rowCount; }
    int GetColumnCount() const { return m_columnCount; }
    int GetFixedRowCount() const { return m_fixedRowCount; }
    int GetFixedColumnCount() const { return m_fixedColumnCount; }
    BOOL SetRowCount(int n);
    BOOL SetColumnCount(int n);
    BOOL SetFixedRowCount(int n);
    BOOL SetFixedColumnCount(int n);
    BOOL DeleteAllCells();

    CDataGridCellBase* GetCell(int row, int col) const;
    virtual CDataGridCellBase* CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    CDataGridDefaultCell* GetDefaultCell(BOOL fixedRow, BOOL fixedCol) const;
    BOOL SetCellType(const CRuntimeClass* cls);

    BOOL IsValid(int row, int col) const { return row >= 0 && row < m_rowCount && col >= 0 && col < m_columnCount; }
    BOOL IsValid(const CDataGridCellPos& c) const { return IsValid(c.row, c.col); }
    BOOL IsValid(const CDataGridCellRange& r) const;

    BOOL SetCellText(int row, int col, const char* text);
    const char* GetCellText(int row, int col) const;
    BOOL SetCellState(int row, int col, DWORD state);
    DWORD GetCellState(int row, int col) const;
    BOOL SetCellBackColor(int row, int col, COLORREF c);
    BOOL SetCellForeColor(int row, int col, COLORREF c);
    BOOL IsCellEditing(int row, int col) const;

    // ---- sizes ----
    int GetRowHeight(int row) const;
    int GetColumnWidth(int col) const;
    BOOL SetRowHeight(int row, int h);
    BOOL SetColumnWidth(int col, int w);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    long GetTotalHeight() const;
    long GetTotalWidth() const;
    BOOL AutoSizeColumn(int col, int scope = 0, BOOL resetScroll = TRUE);
    BOOL AutoSizeRow(int row, BOOL resetScroll = TRUE);

    // ---- virtual mode ----
    void SetVirtualMode(BOOL on);
    BOOL GetVirtualMode() const { return m_virtualMode; }
    void SetCallbackFunc(GridCellDataCallback cb, LPARAM context)
    {
        m_cellDataCallback = cb;
        m_callbackContext = context;
    }

    // ---- sorting ----
    void SetSortColumn(int col);
    int GetSortColumn() const { return m_sortedColumn; }
    BOOL GetSortAscending() const { return m_sortAscending; }
    void SetCompareFunction(GridCompareFunc f) { m_compareFunc = f; }
    BOOL SortByText(int col, BOOL ascending, LPARAM value = 0);
    BOOL SortByFunction(GridCompareFunc compare, int col, BOOL ascending, LPARAM value = 0);
    BOOL SortRowRange(GridCompareFunc compare, int col, BOOL ascending, LPARAM value, int low, int high);
    static int CompareCellTexts(LPARAM cell1, LPARAM cell2, LPARAM value);

    // ---- notifications ----
    LRESULT NotifyParent(int row, int col, int code);
    LRESULT RequestCellData(GridDispInfo* info);
    LRESULT SendCacheHint(const CDataGridCellRange& range = CDataGridCellRange());

    // ---- selection and focus (the parts the core needs) ----
    CDataGridCellPos GetFocusCell() const { return m_focusCell; }
    void MoveFocus(int row, int col);
    void SetRangeSelection(const CDataGridCellRange& range, BOOL keepPrevious = FALSE, BOOL redraw = TRUE);
    void ClearSelection();
    CDataGridCellRange GetSelectionBounds() const;
    int GetSelectedCount() const { return (int)m_selectedCells.size(); }
    virtual void ClearSelectedCells();
    void SelectEveryCell();
    void SelectColumnRange(const CDataGridCellPos& cell, BOOL force, BOOL select);
    void SelectRowRange(const CDataGridCellPos& cell, BOOL force, BOOL select);
    void SelectCellRange(const CDataGridCellPos& cell, BOOL force, BOOL select);
    void ExtendSelection(const CDataGridCellPos& cell);
    void EditCellText(int row, int col, const char* text);

    // ---- clipboard ----
    virtual COleDataSource* CopyTextToClipboard(COleDataSource* source = nullptr);
    virtual BOOL PasteTextFromClipboard(int row, int col, COleDataObject* data, BOOL selectPasted = TRUE);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnUpdateEditCut(CCmdUI* ui);
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnUpdateEditSelectAll(CCmdUI* ui);

    // ---- drag and drop ----
    virtual void BeginTextDrag();
    virtual DROPEFFECT OnDragEnter(COleDataObject* data, DWORD keyState, POINT p);
    virtual DROPEFFECT OnDragOver(COleDataObject* data, DWORD keyState, POINT p);
    virtual void OnDragLeave();
    virtual BOOL OnDrop(COleDataObject* data, DROPEFFECT effect, POINT p);
    CDataGridOleDropTarget m_oleDropTarget;
    CDataGridTitleTip m_tipWindow;

    // ---- editing ----
    // Marks a character given to BeginEditCell as a navigation key that
    // continues editing (or F2's button code), not a typed code point.
    static constexpr UINT kEditKeyFlag = kGridEditKeyFlag;
    virtual void BeginEditCell(int row, int col, POINT point, UINT character);
    virtual void ApplyCellEdit(int row, int col, const char* text);
    virtual BOOL IsEditAcceptable(int row, int col, const char* text);

    // ---- small cell queries ----
    void SetModified(BOOL modified = TRUE, int row = -1, int col = -1);
    BOOL IsModified() const { return m_modified; }
    void Refresh();
    BOOL RedrawCell(int row, int col, CDC* dc = nullptr);
    BOOL IsCellEditable(int row, int col) const;
    BOOL IsCellSelected(int row, int col) const;
    BOOL IsCellVisible(int row, int col);
    BOOL EnsureVisible(int row, int col);
    virtual void FinishFocusEdit();
    // A press in a fixed column outside the fixed rows, and in a fixed row.
    virtual void OnRowHeaderPress(const CDataGridCellPos& cell);
    virtual void OnColumnHeaderPress(const CDataGridCellPos& cell);

    // ---- geometry and painting ----
    CDataGridCellPos GetTopLeftScrollCell(BOOL force = FALSE);
    CDataGridCellRange GetVisibleScrollRange(RECT* out = nullptr);
    BOOL GetCellTopLeft(int row, int col, POINT* p);
    BOOL GetCellRect(int row, int col, RECT* r);
    CDataGridCellPos CellFromPoint(POINT p, BOOL allowFixed = TRUE);
    // The point relative to the cell's top-left corner; (0, 0) when the cell
    // has no origin on the window.
    POINT CellRelativePoint(int row, int col, POINT p);
    BOOL IsOverRowBorder(POINT p);
    BOOL IsOverColumnBorder(POINT p);
    int GetScrollPosition(int bar, BOOL track = FALSE) const;
    int SetScrollPosition(int bar, int pos, BOOL redraw = TRUE);
    void ShowScrollBars(int bar, BOOL show);
    void UpdateScrollBars();
    void PaintBackground(CDC* dc);
    virtual void OnDraw(CDC* dc);
    BOOL RepaintCell(int row, int col, CDC* dc = nullptr);
    int GetMaxScrollX() const { return m_maxScrollX; }
    int GetMaxScrollY() const { return m_maxScrollY; }

    // ---- printing ----
    virtual void BeginPrinting(CDC* dc, CPrintInfo* info);
    virtual void PrintPage(CDC* dc, CPrintInfo* info);
    virtual void EndPrinting(CDC* dc, CPrintInfo* info);
    virtual void PrintCellRun(int firstCol, int endCol, int row, RECT* rect, CDC* dc, BOOL* firstCell);
    virtual void PrintFixedRows(CDC* dc, CPrintInfo* info);
    virtual void PrintHeader(CDC* dc, CPrintInfo* info);
    virtual void PrintFooter(CDC* dc, CPrintInfo* info);
    virtual void PrintFixedColumns(CDC* dc, CPrintInfo* info);
    virtual HIMAGELIST CreateDragImage(POINT* hotSpot);
    void SetPrintLayout(int header, int footer, int left, int right, int top, int bottom, int gap);
    int GetPrintPageCount() const { return m_printPageCount; }

    // ---- message handlers ----
    void OnPaint();
    BOOL OnEraseBkgnd(HDC dc);
    void OnHScroll(UINT code, UINT pos, HWND bar);
    void OnVScroll(UINT code, UINT pos, HWND bar);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnCaptureChanged(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM, LPARAM);
    LRESULT OnGetFont(WPARAM, LPARAM);
    LRESULT OnSetCursor(WPARAM, LPARAM);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    // An input method's character: starts an edit as a typed one does.
    void OnImeChar(UINT ch, UINT flags);
    LRESULT OnImeCharMsg(WPARAM w, LPARAM l)
    {
        OnImeChar((UINT)w, (UINT)l);
        return 0;
    }
    void OnEditBoxClosed(NMHDR* hdr, LRESULT* result);
    void OnLButtonDown(UINT flags, POINT p);
    void OnLButtonUp(UINT flags, POINT p);
    void OnMouseMove(UINT flags, POINT p);
    void OnTimer(UINT_PTR id);
    void OnLButtonDblClk(UINT flags, POINT p);
    void OnRButtonUp(UINT flags, POINT p);
    BOOL OnMouseWheel(UINT flags, short delta, POINT p);

    // ---- state the cells read (public as the cells and derived controls use them) ----
    COLORREF m_emptyAreaColor;
    COLORREF m_lineColor = 0xC0C0C0;
    COLORREF m_sysTextColor, m_sysWindowColor, m_sysFaceColor, m_sysShadowColor;
    COLORREF m_tipBackColor = CLR_DEFAULT, m_tipTextColor = CLR_DEFAULT;
    BOOL m_virtualMode = FALSE;
    LPARAM m_callbackContext = 0;
    GridCellDataCallback m_cellDataCallback = nullptr;
    int m_linesShown = 3;
    BOOL m_editable = TRUE;
    BOOL m_modified = FALSE;
    BOOL m_dragDropEnabled = FALSE;
    BOOL m_wholeRowSelection = FALSE;
    BOOL m_selectOneRow = FALSE;
    BOOL m_selectOneColumn = FALSE;
    BOOL m_drawingEnabled = TRUE;
    BOOL m_selectionEnabled = TRUE;
    BOOL m_rowHeaderSelects = TRUE;
    BOOL m_columnHeaderSelects = TRUE;
    BOOL m_headerClickSorts = FALSE;
    BOOL m_takesTabKey = TRUE;
    BOOL m_paintOffscreen = TRUE;
    BOOL m_showTitleTips = TRUE;
    int m_scrollBarsShown = 0;
    BOOL m_printTiled = FALSE;
    BOOL m_highlightFocusHeaders = TRUE;
    BOOL m_outlineFocusCell = TRUE;
    int m_autoSizeScope = 3;
    HIMAGELIST m_imageList = nullptr;
    CDataGridCellPos m_focusCell;
    CDataGridCellPos m_anchorCell;
    CDataGridCellPos m_dropCell;
    int m_pointerState = 0;
    CDataGridCellPos m_pressCell;
    POINT m_pressPoint{0, 0};
    POINT m_lastPointer{0, 0};
    BOOL m_leftButtonDown = FALSE;
    BOOL m_columnsMayHide = TRUE;
    BOOL m_rowsMayHide = TRUE;
    // Where the sizing band is drawn now (none: -1); erased exactly there.
    int m_bandPos = -1;
    UINT m_autoScrollTimer = 0;
    int m_autoScrollInterval = 25;
    int m_borderTolerance = 3;
    int m_wheelLines = 3;
    BOOL m_sortAscending = TRUE;
    int m_sortedColumn = -1;
    GridCompareFunc m_compareFunc = nullptr;
    BOOL m_printInColor = TRUE;

protected:
    DECLARE_MESSAGE_MAP()

    void ResetDefaultCells();
    static int QueryWheelScrollLines();
    void SwapRows(int a, int b);
    // Drops selection keys outside the counts (after a shrink).
    void DropSelectionOutside();
    void InvertBand(int pos);
    void EndSizing();

    int m_rowCount = 0, m_fixedRowCount = 0, m_columnCount = 0, m_fixedColumnCount = 0;
    std::vector<unsigned int> m_rowHeights, m_columnWidths;
    int m_maxScrollY = 0, m_maxScrollX = 0;
    const CRuntimeClass* m_cellClass;
    CDataGridDefaultCell m_defaultCell, m_defaultFixedColumnCell, m_defaultFixedRowCell, m_defaultCornerCell;
    std::vector<CDataGridRow*> m_cellRows;
    CDataGridCellPos m_topLeftCache;
    // Row-major: the order of edits and notifications over the selection is fixed.
    std::map<std::pair<int, int>, CDataGridCellPos> m_selectedCells, m_savedSelection;

    // Virtual mode's request record and shared cell, per grid.
    GridDispInfo m_dispInfo{};
    std::unique_ptr<CDataGridCell> m_virtualCell;
    bool m_inSetup = false;
    bool m_inSize = false;
    bool m_dropTargetRegistered = false;

    // Printing.
    HFONT m_printFont = nullptr;
    int m_printHeaderLines = 2, m_printFooterLines = 2, m_printLeftChars = 4, m_printRightChars = 4;
    int m_printTopLines = 1, m_printBottomLines = 1, m_printGapLines = 1;
    SIZE m_printCharSize{0, 0}, m_printPaperSize{0, 0}, m_printLogicalPage{0, 0};
    int m_printBodyHeight = 0, m_printBodyWidth = 0, m_printPagesAcross = 1, m_printPageCount = 0;
    int m_pageFirstRow = 0, m_pageFirstColumn = 0;
};
