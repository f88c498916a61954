// Per-cell functions applied over value matrices, and block copies.
#include "values/value_matrix.h"

#include "values/stop_probe.h"

namespace {

constexpr int kShapeMismatch = 73;
constexpr int kNoRoom = 10;  // the heap refused the shape

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Rows() == b.Rows() && a.Cols() == b.Cols();
}

}  // namespace

int CValueMatrix::ApplyElementwise(CellFn1 fn, const CValueMatrix& src)
{
    if (!Resize(src.Rows(), src.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(src.Cell(i, j), Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::ApplyMatrixMatrix(CellFn2 fn, const CValueMatrix& a, const CValueMatrix& b)
{
    if (!SameShape(a, b)) return kShapeMismatch;
    if (!Resize(a.Rows(), a.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(a.Cell(i, j), b.Cell(i, j), Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::ApplyElementwise3(CellFn3 fn, const CValueMatrix& a, const CValueMatrix& b,
                                    const CValueMatrix& c)
{
    if (!SameShape(a, b) || !SameShape(a, c)) return kShapeMismatch;
    if (!Resize(a.Rows(), a.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(a.Cell(i, j), b.Cell(i, j), c.Cell(i, j), Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::ApplyMatrixScalar(CellFn2 fn, const CValueMatrix& m, const CValue& s)
{
    if (!Resize(m.Rows(), m.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(m.Cell(i, j), s, Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::ApplyScalarMatrix(CellFn2 fn, const CValue& s, const CValueMatrix& m)
{
    if (!Resize(m.Rows(), m.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(s, m.Cell(i, j), Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::MapByValue(CellMap fn, const CValueMatrix& src)
{
    if (!Resize(src.Rows(), src.Cols())) return kNoRoom;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j) Cell(i, j) = fn(src.Cell(i, j));
    return 0;
}

int CValueMatrix::ForEachCell(CellOp op)
{
    CCellStop stop;
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j) {
            // Stopped: the cells done keep what op made; the callers work
            // on values the statement then drops.
            if (stop.After(1)) {
                NoteOutOfMemory();
                return kNoRoom;
            }
            if (int st = op(Cell(i, j))) return st;
        }
    return 0;
}

int CValueMatrix::ApplyInPlace(CellFn1 fn)
{
    for (int i = 0; i < m_nRows; ++i)
        for (int j = 0; j < m_nCols; ++j)
            if (int st = fn(Cell(i, j), Cell(i, j))) return st;
    return 0;
}

int CValueMatrix::CopyBlock(const CValueMatrix& src, int row0, int col0, int rows, int cols)
{
    // Built aside so that src may be this matrix itself.
    CValueMatrix t;
    if (!t.Resize(rows, cols)) return kNoRoom;
    for (int i = 0; i < t.Rows(); ++i)
        for (int j = 0; j < t.Cols(); ++j) t.Cell(i, j) = src.Cell(row0 + i, col0 + j);
    Swap(t);
    return 0;
}
