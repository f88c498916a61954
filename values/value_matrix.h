#pragma once
// Matrix of value cells: row-major, one heap block per row, column count before row count.
#include "values/value.h"

// Row routines: rows come from the C heap so that any deliverable may grow or free them.
CValue* AllocValueRow(int n, const CValue& fill);
CValue* AllocEmptyValueRow(int n);
CValue* CopyValueRow(int n, const CValue* cells);
CValue* ReallocValueRow(CValue* row, int n, int m, const CValue& fill);
void FreeValueRow(CValue* row, int n);

class CValueMatrix {
public:
    CValue** m_pRows = nullptr;  // one entry per row
    int32_t m_nCols = 0;
    int32_t m_nRows = 0;

    CValueMatrix() noexcept {}
    CValueMatrix(int rows, int cols);
    CValueMatrix(int rows, int cols, const CValue& fill);
    explicit CValueMatrix(const CValue& value);
    CValueMatrix(const CValueMatrix& src);
    CValueMatrix(CValueMatrix&& src) noexcept
        : m_pRows(src.m_pRows), m_nCols(src.m_nCols), m_nRows(src.m_nRows)
    {
        src.m_pRows = nullptr;
        src.m_nCols = src.m_nRows = 0;
    }
    ~CValueMatrix() { Free(); }
    CValueMatrix& operator=(const CValueMatrix& src);
    CValueMatrix& operator=(CValueMatrix&& src) noexcept;

    int Rows() const { return m_nRows; }
    int Cols() const { return m_nCols; }
    bool IsEmpty() const { return m_nCols == 0; }
    CValue& Cell(int r, int c) const { return m_pRows[r][c]; }
    CValue* Row(int r) const { return m_pRows[r]; }

    bool Fill(int rows, int cols, const CValue& value);
    bool Resize(int rows, int cols);
    void Free();
    void Swap(CValueMatrix& other) noexcept;
};
