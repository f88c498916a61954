// The matrix editor: its grid and its dialog.
#include "ide/editors/matrix_dlg.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "values/operators.h"
#include "values/value_text.h"

bool MatrixEditSizeAllowed(long long rows, long long cols)
{
    return rows >= 1 && cols >= 1 && rows <= kMatrixEditMaxCount && cols <= kMatrixEditMaxCount &&
           rows * cols <= kMatrixEditMaxCells;
}

// ---------------------------------------------------------------- CMatrixCtrl

CMatrixCtrl::~CMatrixCtrl()
{
    // The grid's own destruction may still ask for cells: not from this object.
    SetCallbackFunc(nullptr, 0);
    if (m_hWnd) DestroyWindow();
    if (m_font) DeleteObject(m_font);
}

void CMatrixCtrl::Attach(CValue* value, bool readOnly)
{
    m_pValue = value;
    m_readOnly = readOnly;
}

const CValueMatrix* CMatrixCtrl::Callers() const
{
    return m_pValue && m_pValue->Type() == VT_MATRIX ? m_pValue->MatrixPtr() : nullptr;
}

const CValueMatrix* CMatrixCtrl::Shown() const { return m_copyMade ? &m_copy : Callers(); }

CValueMatrix& CMatrixCtrl::MakeCopy()
{
    if (!m_copyMade) {
        if (const CValueMatrix* m = Callers()) m_copy = *m;
        m_copyMade = true;
    }
    return m_copy;
}

bool CMatrixCtrl::Resize(int rows, int cols)
{
    if (m_readOnly) return false;
    const CValueMatrix* shown = Shown();
    if (shown && shown->Rows() == rows && shown->Cols() == cols) return false;
    if (!MatrixEditSizeAllowed(rows, cols)) return false;
    CValueMatrix old = MakeCopy();
    CValueMatrix grown(rows, cols, CValue(0.0));
    for (int r = 0; r < rows && r < old.Rows(); ++r)
        for (int c = 0; c < cols && c < old.Cols(); ++c) grown.Cell(r, c) = old.Cell(r, c);
    m_copy = std::move(grown);
    SetGridSize(false);
    return true;
}

void CMatrixCtrl::SetGridSize(bool autosize)
{
    const CValueMatrix* m = Shown();
    const int rows = m ? m->Rows() : 0, cols = m ? m->Cols() : 0;
    SetRowCount(rows + 1);
    SetColumnCount(cols + 1);
    SetFixedRowCount(1);
    SetFixedColumnCount(1);
    if (autosize && cols > 0) {
        const int before = GetColumnWidth(1);
        AutoSizeColumn(1);
        const int w = GetColumnWidth(1);
        if (w >= before)
            for (int c = 2; c <= cols; ++c) SetColumnWidth(c, w);
    }
    if (m_hWnd) {
        UpdateScrollBars();
        Invalidate();
    }
}

bool CMatrixCtrl::IsDataCell(int row, int col) const
{
    const CValueMatrix* m = Shown();
    return m && row >= 1 && col >= 1 && row <= m->Rows() && col <= m->Cols();
}

void CMatrixCtrl::BeginEditCell(int row, int col, POINT point, UINT character)
{
    if (!IsDataCell(row, col)) return;
    std::string text;
    int status = 0;
    FormatValueLine(text, &Shown()->Cell(row - 1, col - 1), &status);
    if (status != 0) return;   // a cut text could not be edited back
    CDataGridCtrl::BeginEditCell(row, col, point, character);
}

void CMatrixCtrl::ApplyCellEdit(int row, int col, const char* text)
{
    CDataGridCtrl::ApplyCellEdit(row, col, text);
    if (!IsDataCell(row, col) || m_readOnly) return;
    CValueMatrix& m = MakeCopy();
    std::istringstream in(text ? text : "");
    ReadValue(in, m.Cell(row - 1, col - 1));   // a typo leaves what the parser made
    RedrawCell(row, col);
}

BOOL CMatrixCtrl::ItemText(GridDispInfo* info, LPARAM context)
{
    auto* self = reinterpret_cast<CMatrixCtrl*>(context);
    GridItem& it = info->item;
    it.font.lfHeight = -12;
    char buf[32];
    if (it.row == 0 && it.column > 0) {
        std::snprintf(buf, sizeof buf, "Col %d", it.column);
        it.text = buf;
    } else if (it.column == 0 && it.row > 0) {
        std::snprintf(buf, sizeof buf, "Row %d", it.row);
        it.text = buf;
    } else if (self->IsDataCell(it.row, it.column)) {
        const int r = it.row - 1, c = it.column - 1;
        FormatValueLine(it.text, &self->Shown()->Cell(r, c));
        const CValueMatrix* callers = self->Callers();
        if (self->m_copyMade && callers && r < callers->Rows() && c < callers->Cols() &&
            ValueNotEquals(self->m_copy.Cell(r, c), callers->Cell(r, c)))
            it.backColor = kMatrixChangedColor;
    }
    return TRUE;
}

// ---------------------------------------------------------------- CMatrixDlg

namespace {
const LayoutTableEntry kMatrixLayout[] = {
    {2, IDC_VE_LABEL_NAME, {0, 0, 0, 0}},
    {2, IDC_VE_LABEL_ROWS, {2, 0, 0, 0}},
    {2, IDC_VE_LABEL_COLUMNS, {2, 0, 0, 0}},
    {2, IDC_VE_NAME, {1, 0, 0, 0}},
    {2, IDC_VE_ROWS, {2, 0, 0, 0}},
    {2, IDC_VE_COLUMNS, {2, 0, 0, 0}},
    {2, IDC_VE_SPIN_ROWS, {2, 0, 0, 0}},
    {2, IDC_VE_SPIN_COLUMNS, {2, 0, 0, 0}},
    {2, IDC_VE_GRID, {1, 1, 0, 0}},
    {2, IDC_VE_EXTEND, {0, 2, 0, 0}},
    {2, IDOK, {2, 2, 0, 0}},
    {2, IDCANCEL, {2, 2, 0, 0}},
    {0, 0, {0, 0, 0, 0}},
};

int BoxNumber(const std::string& text)
{
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return 0;
    if (v > 0x7FFFFFFF) v = 0x7FFFFFFF;
    if (v < 0) v = 0;
    return (int)v;
}
}  // namespace

CMatrixDlg::CMatrixDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly,
                       IValueEditHost* host, CWnd* parent)
    : LytDynamicDialog(ValueEditorTemplate(IDD_MATRIX_EDIT), parent, 3, LytDynamicLayout::CreateGrip,
                       IDD_MATRIX_EDIT),
      m_pOutName(outName),
      m_pHost(host),
      m_name(name)
{
    m_nIDTemplate = IDD_MATRIX_EDIT;
    m_grid.Attach(value, readOnly);
}

const LayoutTableEntry* CMatrixDlg::GetLayoutTable() const { return kMatrixLayout; }

BOOL CMatrixDlg::OnInitDialog()
{
    LytDynamicDialog::OnInitDialog();
    m_grid.SubclassDlgItem(IDC_VE_GRID, this);
    ::SetFocus(m_grid.m_hWnd);
    for (UINT spin : {IDC_VE_SPIN_ROWS, IDC_VE_SPIN_COLUMNS}) {
        CControlAlias<CSpinButtonCtrl> h(this, (int)spin);
        CControlAlias<CEdit> buddy(this, spin == IDC_VE_SPIN_ROWS ? IDC_VE_ROWS : IDC_VE_COLUMNS);
        h.SetBuddy(&buddy);
        h.SetRange32(1, kMatrixEditMaxCount);
        if (m_grid.IsReadOnly()) h.EnableWindow(FALSE);
    }
    SetDlgItemText(IDC_VE_NAME, m_name.c_str());
    if (!m_pOutName) CControlAlias<CEdit>(this, IDC_VE_NAME).SetReadOnly();
    if (m_grid.IsReadOnly()) {
        CControlAlias<CEdit>(this, IDC_VE_ROWS).SetReadOnly();
        CControlAlias<CEdit>(this, IDC_VE_COLUMNS).SetReadOnly();
    }
    m_grid.SetVirtualMode(TRUE);
    m_grid.m_editable = !m_grid.IsReadOnly();   // virtual mode cleared it
    m_grid.SetCallbackFunc(&CMatrixCtrl::ItemText, reinterpret_cast<LPARAM>(&m_grid));
    FillBoxes();
    m_grid.SetGridSize(true);
    RunValueEditorStartHook(this);
    return FALSE;   // the focus is on the grid
}

void CMatrixDlg::FillBoxes()
{
    const CValueMatrix* m = m_grid.Shown();
    m_rows = m ? (unsigned)m->Rows() : 0;
    m_cols = m ? (unsigned)m->Cols() : 0;
    SetDlgItemText(IDC_VE_ROWS, std::to_string(m_rows).c_str());
    SetDlgItemText(IDC_VE_COLUMNS, std::to_string(m_cols).c_str());
}

void CMatrixDlg::ApplyRowsBox()
{
    const int rows = BoxNumber(GetDlgItemText(IDC_VE_ROWS));
    const CValueMatrix* m = m_grid.Shown();
    if (!m_grid.Resize(rows, m ? m->Cols() : 0)) {
        m = m_grid.Shown();
        SetDlgItemText(IDC_VE_ROWS, std::to_string(m ? m->Rows() : 0).c_str());
    }
    m = m_grid.Shown();
    m_rows = m ? (unsigned)m->Rows() : 0;
}

void CMatrixDlg::ApplyColumnsBox()
{
    const int cols = BoxNumber(GetDlgItemText(IDC_VE_COLUMNS));
    const CValueMatrix* m = m_grid.Shown();
    if (!m_grid.Resize(m ? m->Rows() : 0, cols)) {
        m = m_grid.Shown();
        SetDlgItemText(IDC_VE_COLUMNS, std::to_string(m ? m->Cols() : 0).c_str());
    }
    m = m_grid.Shown();
    m_cols = m ? (unsigned)m->Cols() : 0;
}

BOOL CMatrixDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (code == EN_KILLFOCUS && id == IDC_VE_ROWS) {
        ApplyRowsBox();
        return TRUE;
    }
    if (code == EN_KILLFOCUS && id == IDC_VE_COLUMNS) {
        ApplyColumnsBox();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDC_VE_EXTEND) {
        OnExtend();
        return TRUE;
    }
    return LytDynamicDialog::OnCommand(wParam, lParam);
}

LRESULT CMatrixDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT r = LytDynamicDialog::WindowProc(message, wParam, lParam);
    if (message == WM_SHOWWINDOW && wParam && m_grid.m_hWnd) ::SetFocus(m_grid.m_hWnd);
    return r;
}

void CMatrixDlg::OnExtend()
{
    CDataGridCellRange sel = m_grid.GetSelectionBounds();
    CDataGridCellPos cell(sel.minRow, sel.minCol);
    if (cell.row < 1 || cell.col < 1) cell = m_grid.GetFocusCell();
    const CValueMatrix* shown = m_grid.Shown();
    if (!shown || cell.row < 1 || cell.col < 1 || cell.row > shown->Rows() || cell.col > shown->Cols()) return;
    std::string matrixName = GetDlgItemText(IDC_VE_NAME);
    char buf[64];
    std::snprintf(buf, sizeof buf, "[%d,%d]", cell.row, cell.col);
    std::string name = matrixName + buf;
    CValue* element;
    if (!m_grid.IsReadOnly())
        element = &m_grid.MakeCopy().Cell(cell.row - 1, cell.col - 1);
    else
        element = &const_cast<CValueMatrix*>(shown)->Cell(cell.row - 1, cell.col - 1);
    if (m_pHost) {
        EditValueModeless(name, *element, m_pHost);
        return;
    }
    if (EditValueModal(name, *element, !m_grid.IsReadOnly(), false, this) == IDOK) m_grid.RedrawCell(cell.row, cell.col);
}

void CMatrixDlg::OnOK()
{
    HWND focus = ::GetFocus();
    // Enter in a size box applies it and stays there.
    if (focus == ::GetDlgItem(m_hWnd, IDC_VE_ROWS)) {
        ApplyRowsBox();
        return;
    }
    if (focus == ::GetDlgItem(m_hWnd, IDC_VE_COLUMNS)) {
        ApplyColumnsBox();
        return;
    }
    if (!ReadEditorName(*this, m_name, m_pOutName)) return;
    CValue* value = m_grid.m_pValue;
    if (m_grid.CopyMade() && value) value->GetMatrix() = m_grid.m_copy;
    if (m_pHost) {
        if (value) m_pHost->InsertValue(m_name, *value);
        DestroyWindow();
        return;
    }
    EndDialog(IDOK);
}

void CMatrixDlg::OnCancel() { EndValueEditor(*this, m_pHost, IDCANCEL); }

void CMatrixDlg::Refresh()
{
    FillBoxes();
    m_grid.SetGridSize(false);
    if (m_grid.m_hWnd) m_grid.Invalidate();
}

void CMatrixDlg::PostNcDestroy()
{
    if (m_pHost) m_pHost->ValueEditorClosed(this);   // deletes this
}
