#include "values/value_matrix.h"

#include <cstdlib>
#include <cstring>
#include <new>

// ---- rows ----------------------------------------------------------------

CValue* AllocEmptyValueRow(int n)
{
    if (n < 1 || (size_t)n > SIZE_MAX / sizeof(CValue)) return nullptr;
    CValue* row = static_cast<CValue*>(std::malloc((size_t)n * sizeof(CValue)));
    if (!row) return nullptr;
    for (int i = 0; i < n; ++i) new (row + i) CValue();
    return row;
}

CValue* AllocValueRow(int n, const CValue& fill)
{
    CValue* row = AllocEmptyValueRow(n);
    if (row && fill.Type() != VT_EMPTY)
        for (int i = 0; i < n; ++i) row[i] = fill;
    return row;
}

CValue* CopyValueRow(int n, const CValue* cells)
{
    CValue* row = AllocEmptyValueRow(n);
    if (row)
        for (int i = 0; i < n; ++i) row[i].CopyFrom(cells[i]);
    return row;
}

CValue* ReallocValueRow(CValue* row, int n, int m, const CValue& fill)
{
    for (int i = m; i < n; ++i) row[i].~CValue();
    // CValue is trivially relocatable: moving its bytes keeps it valid.
    CValue* nrow = static_cast<CValue*>(std::realloc(static_cast<void*>(row), (size_t)(m > 0 ? m : 1) * sizeof(CValue)));
    if (!nrow) {
        if (m < n) return row;  // shrinking cannot fail in practice; keep the block
        return nullptr;
    }
    for (int i = n; i < m; ++i) {
        new (nrow + i) CValue();
        if (fill.Type() != VT_EMPTY) nrow[i] = fill;
    }
    return nrow;
}

void FreeValueRow(CValue* row, int n)
{
    if (!row) return;
    for (int i = 0; i < n; ++i) row[i].~CValue();
    std::free(row);
}

// ---- matrix --------------------------------------------------------------

CValueMatrix::CValueMatrix(int rows, int cols)
{
    Resize(rows, cols);
}

CValueMatrix::CValueMatrix(int rows, int cols, const CValue& fill)
{
    Fill(rows, cols, fill);
}

CValueMatrix::CValueMatrix(const CValue& value)
{
    Fill(1, 1, value);
}

CValueMatrix::CValueMatrix(const CValueMatrix& src)
{
    if (src.m_nCols == 0 || src.m_nRows == 0) return;
    CValue** rows = static_cast<CValue**>(std::calloc((size_t)src.m_nRows, sizeof(CValue*)));
    if (!rows) return;
    for (int r = 0; r < src.m_nRows; ++r) {
        rows[r] = CopyValueRow(src.m_nCols, src.m_pRows[r]);
        if (!rows[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(rows[k], src.m_nCols);
            std::free(rows);
            return;
        }
    }
    m_pRows = rows;
    m_nCols = src.m_nCols;
    m_nRows = src.m_nRows;
}

CValueMatrix& CValueMatrix::operator=(const CValueMatrix& src)
{
    if (this == &src) return *this;
    CValueMatrix tmp(src);
    Swap(tmp);
    return *this;
}

CValueMatrix& CValueMatrix::operator=(CValueMatrix&& src) noexcept
{
    if (this != &src) {
        CValueMatrix tmp(static_cast<CValueMatrix&&>(src));
        Swap(tmp);
    }
    return *this;
}

void CValueMatrix::Swap(CValueMatrix& other) noexcept
{
    std::swap(m_pRows, other.m_pRows);
    std::swap(m_nCols, other.m_nCols);
    std::swap(m_nRows, other.m_nRows);
}

void CValueMatrix::Free()
{
    if (!m_pRows) {
        m_nCols = m_nRows = 0;
        return;
    }
    for (int r = 0; r < m_nRows; ++r) FreeValueRow(m_pRows[r], m_nCols);
    std::free(m_pRows);
    m_pRows = nullptr;
    m_nCols = m_nRows = 0;
}

bool CValueMatrix::Fill(int rows, int cols, const CValue& value)
{
    CValue fill(value);  // value may be one of our cells
    Free();
    if (rows < 1 || cols < 1) return true;
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) return false;
    for (int r = 0; r < rows; ++r) {
        prow[r] = AllocValueRow(cols, fill);
        if (!prow[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(prow[k], cols);
            std::free(prow);
            return false;
        }
    }
    m_pRows = prow;
    m_nCols = cols;
    m_nRows = rows;
    return true;
}

bool CValueMatrix::Resize(int rows, int cols)
{
    if (rows < 1 || cols < 1) {
        Free();
        return true;
    }
    if (rows == m_nRows && cols == m_nCols) return true;
    // Build the new shape first so that a failed allocation leaves the matrix unchanged.
    CValue** prow = static_cast<CValue**>(std::calloc((size_t)rows, sizeof(CValue*)));
    if (!prow) return false;
    int keepRows = rows < m_nRows ? rows : m_nRows;
    int keepCols = cols < m_nCols ? cols : m_nCols;
    for (int r = 0; r < rows; ++r) {
        prow[r] = AllocEmptyValueRow(cols);
        if (!prow[r]) {
            for (int k = 0; k < r; ++k) FreeValueRow(prow[k], cols);
            std::free(prow);
            return false;
        }
    }
    for (int r = 0; r < keepRows; ++r)
        for (int c = 0; c < keepCols; ++c) prow[r][c].Swap(m_pRows[r][c]);
    Free();
    m_pRows = prow;
    m_nCols = cols;
    m_nRows = rows;
    return true;
}
