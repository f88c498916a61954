#pragma once
// The matrix editor: CMatrixCtrl, a grid in virtual mode over a value
// matrix that keeps its own working copy, and CMatrixDlg (template 171,
// "Matrix") with the name, rows and columns boxes.
//
// Input -> result:
//   rows/columns box, Enter or leaving it   Resize; refused sizes restore the box
//   cell edit ends                          the text read into the working element
//   Extend...                               the selected element's own editor
//   Insert                                  working copy -> caller's matrix
//   Close                                   the caller's matrix untouched
#include <string>

#include "platform/afx/afx_controls.h"
#include "platform/afx/wnd.h"
#include "ui_controls/grid/grid_ctrl.h"
#include "ui_controls/layout/dynamic_dialog.h"
#include "values/value.h"
#include "values/value_matrix.h"

class IValueEditHost;

// Sizes the editor accepts: each count 1..32000, at most a million cells.
constexpr int kMatrixEditMaxCount = 32000;
constexpr long long kMatrixEditMaxCells = 1000000;
bool MatrixEditSizeAllowed(long long rows, long long cols);

constexpr COLORREF kMatrixChangedColor = RGB(192, 192, 0);

class CMatrixCtrl : public CDataGridCtrl {
public:
    CMatrixCtrl() = default;
    ~CMatrixCtrl() override;

    // The caller's value (a matrix, not owned).
    void Attach(CValue* value, bool readOnly);
    // The working copy once made, else the caller's matrix; null when the
    // caller's value is no matrix (any more).
    const CValueMatrix* Shown() const;
    const CValueMatrix* Callers() const;
    bool CopyMade() const { return m_copyMade; }
    bool IsReadOnly() const { return m_readOnly; }
    CValueMatrix& MakeCopy();

    // True when the matrix changed; refused when read-only, the same size,
    // or a size outside MatrixEditSizeAllowed.
    bool Resize(int rows, int cols);
    void SetGridSize(bool autosize);

    void BeginEditCell(int row, int col, POINT point, UINT character) override;
    void ApplyCellEdit(int row, int col, const char* text) override;
    // The virtual-mode callback.
    static BOOL ItemText(GridDispInfo* info, LPARAM context);

    HFONT m_font = nullptr;
    CValue* m_pValue = nullptr;
    CValueMatrix m_copy;
    bool m_copyMade = false;
    bool m_readOnly = false;

private:
    bool IsDataCell(int row, int col) const;
};

class CMatrixDlg : public LytDynamicDialog {
public:
    CMatrixDlg(std::string* outName, const std::string& name, CValue* value, bool readOnly, IValueEditHost* host,
               CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const LayoutTableEntry* GetLayoutTable() const override;
    void PostNcDestroy() override;

    // The rows (or columns) box applied: Resize, or the box restored.
    void ApplyRowsBox();
    void ApplyColumnsBox();
    void OnExtend();
    // The value changed behind a modeless editor: boxes and grid follow.
    void Refresh();

    std::string* m_pOutName;
    IValueEditHost* m_pHost;
    CMatrixCtrl m_grid;
    unsigned m_rows = 0, m_cols = 0;
    std::string m_name;

private:
    void FillBoxes();
};
