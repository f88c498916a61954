#pragma once
// Matrix of value cells: row-major, one heap block per row, column count before row count.
#include <cstdint>
#include <iosfwd>
#include <utility>
#include <vector>

#include "values/value.h"

// Row routines: rows come from the C heap so that any deliverable may grow or free them.
CValue* AllocValueRow(int n, const CValue& fill);
CValue* AllocEmptyValueRow(int n);
CValue* CopyValueRow(int n, const CValue* cells);
// Gives row m cells, the new ones copies of fill. Null when the heap refuses
// or a long growth saw the program's stop (noted as a refusal); row then
// still holds its n cells, wherever they are now.
CValue* ReallocValueRow(CValue*& row, int n, int m, const CValue& fill);
void FreeValueRow(CValue* row, int n);

class CValueMatrix;
using SortStopProbe = bool (*)(void* data);  // true when a stop is wanted
// Gives the empty matrix m the shape rows x cols with cells whose bytes are
// not set yet: the caller writes both fields of every cell before anything
// else reads, grows or frees m. False (m still empty) when the heap refuses.
bool ShapeWithUnsetCells(CValueMatrix& m, int rows, int cols);
// The same, but a single row may be a row freed a moment ago: its first live
// cells still hold values, and the caller ends each of them (~CValue) just
// before it writes it, so that ending the old and writing the new cells is one
// pass over memory. The other cells are unset; live is 0 for more rows.
bool ShapeOverFreedCells(CValueMatrix& m, int rows, int cols, int& live);
// Gives back the rows of a matrix shaped with unset cells whose cells written
// so far own nothing (numbers), without reading a cell: m becomes empty.
void FreeUnsetCells(CValueMatrix& m);

// What a rows x cols matrix takes of the heap: its row table, its rows as
// heap blocks, and payloadPerCell more for each cell (0 for numbers and empty
// cells: a Real keeps its number in the cell).
uint64_t ValueMatrixBytes(int64_t rows, int64_t cols, uint64_t payloadPerCell = 0);
// True when a rows x cols matrix can be asked of the heap at all: both counts fit
// an int and what it takes fits what the process can still get. Guards every
// shape request so that absurd sizes fail cleanly instead of overcommitting.
bool ValueMatrixShapeFits(int64_t rows, int64_t cols, uint64_t payloadPerCell = 0);
// Whether this many more bytes fit in what the process can still take: the
// system's available memory, the process's address-space, data and
// resident-set limits, and its memory control group's limit.
bool MemoryCanHold(uint64_t bytes);

// An allocation this thread was refused where nothing could report it (a
// copy left empty, a row not made): the interpreter takes the note at the
// end of the expression or statement and fails it ("Not enough memory").
void NoteOutOfMemory();
bool TakeOutOfMemory();
// Whether a copy of v, nested cells and all, fits in the memory the process
// can still take. Values below 64 MB always do; larger ones are walked.
bool CopyFits(const CValue& v);

// A cell counts as zero when it is Real 0, Complex 0 + 0i, or a 1 x 1 matrix of such a cell.
bool IsZeroCell(const CValue& v);

// A matrix is in one of two forms. Cells: a row table of CValue rows. Packed:
// one row-major array of doubles, for a matrix of Real cells made by a loop
// that writes numbers (8 bytes a cell instead of 16 and a row table). Every
// accessor of cells turns a packed matrix into cells first (the same doubles
// bit for bit), so a packed matrix is invisible to code that does not ask.
class CValueMatrix {
public:
    int32_t m_nCols = 0;
    int32_t m_nRows = 0;

    CValueMatrix() noexcept {}
    CValueMatrix(int rows, int cols);
    CValueMatrix(int rows, int cols, const CValue& fill);
    explicit CValueMatrix(const CValue& value);
    CValueMatrix(const CValueMatrix& src);
    CValueMatrix(CValueMatrix&& src) noexcept
        : m_nCols(src.m_nCols), m_nRows(src.m_nRows), m_pRows(src.m_pRows), m_pPacked(src.m_pPacked)
    {
        src.m_pRows = nullptr;
        src.m_pPacked = nullptr;
        src.m_nCols = src.m_nRows = 0;
    }
    ~CValueMatrix() { Free(); }
    CValueMatrix& operator=(const CValueMatrix& src);
    CValueMatrix& operator=(CValueMatrix&& src) noexcept;

    int Rows() const { return m_nRows; }
    int Cols() const { return m_nCols; }
    bool IsEmpty() const { return m_nCols == 0; }
    CValue& Cell(int r, int c) const { return CellRows()[r][c]; }
    CValue* Row(int r) const { return CellRows()[r]; }
    // Whether the matrix holds any block (an empty one holds none).
    bool HasStorage() const { return __atomic_load_n(&m_pRows, __ATOMIC_ACQUIRE) || m_pPacked; }
    // Exchanges rows a and b (the matrix in cells).
    void SwapRows(int a, int b);

    // ---- Packed form ----
    bool IsPacked() const { return __atomic_load_n(&m_pRows, __ATOMIC_ACQUIRE) == nullptr && m_pPacked; }
    // The packed array, rows * cols doubles row-major; null unless IsPacked().
    const double* PackedData() const { return IsPacked() ? m_pPacked : nullptr; }
    double* PackedData() { return IsPacked() ? m_pPacked : nullptr; }
    // Makes the empty matrix a packed rows x cols matrix whose numbers are not
    // set yet: the caller writes every one before anything else reads it.
    // False (m still empty, nothing reported; an absurd size is noted as out
    // of memory) when the shape is empty, the heap refuses, the memory could
    // not take the cell form later, or the build keeps every matrix in cells.
    bool ShapePacked(int rows, int cols);
    // Makes a packed matrix cells; nothing for a matrix in cells. False (noted
    // as out of memory, the matrix unchanged) when the heap refuses.
    bool Unpack();
    // GrowToIndex for an empty or packed matrix that stays packed: the new
    // numbers are 0, as the new cells would be Real 0. False (the matrix
    // unchanged, nothing reported or noted) for a matrix in cells, a negative
    // index, a size the cells could not take or a heap that refuses.
    bool GrowPacked(int r, int c);

    // Shape. Fill and Resize return false (matrix unchanged) when the heap refuses.
    bool Fill(int rows, int cols, const CValue& value);
    bool Resize(int rows, int cols);  // new cells empty
    void Free();
    void Swap(CValueMatrix& other) noexcept;

    // Makes 0-based cell (r, c) exist, new cells Real 0. 0, or 10 after reporting
    // "Matrix indexing (r+1,c+1) is limits exceeded" (negative or too large index);
    // on failure the matrix is unchanged.
    int GrowToIndex(int r, int c);
    // Same growth for callers that guarantee non-negative indices. When the growth
    // fails (reported as above) the reference is to a per-thread scratch cell.
    CValue& CellAtGrow(int r, int c);
    // The same growth; null when it fails.
    CValue* TryCellAtGrow(int r, int c);

    // Building blocks. The operands may be this matrix itself. Status 0, or 10 after
    // reporting when the result would be too large (this unchanged).
    int HorzCat(const CValueMatrix& a, const CValueMatrix& b);  // this = [a, b]
    int VertCat(const CValueMatrix& a, const CValueMatrix& b);  // this = [a; b]
    int MakeDiag(const CValue* cells, int n, int k);            // n cells on the k-th diagonal
    bool DeleteRows(const int* indices, int count);
    bool DeleteColumns(const int* indices, int count);  // false: stopped, cells moved within their rows
    // False when the program stopped on the way (the cells partly set).
    bool Triu(int k);
    bool Tril(int k);
    bool MakeIdentity();
    // out = row vector of the k-th diagonal; 10 after "Extracting k-th diagonal from matrix".
    int GetDiag(int k, CValueMatrix& out) const;

    // Find family: row-major visit, linear indices count every cell (0-based);
    // false when the program stopped on the way.
    bool FindNonZero(std::vector<int64_t>& indices) const;
    bool FindNonZeroPairs(std::vector<std::pair<int, int>>& pairs) const;
    bool FindNonZeroWithValues(std::vector<std::pair<int, int>>& pairs, std::vector<CValue*>& cells) const;

    // ---- Built with the value operators (values/matrix_families.cpp) ----
    int Trace(CValue& out) const;                          // sum of the main diagonal
    int SumAll(CValue& out) const;                         // sum of all cells, row-major
    int Multiply(const CValueMatrix& b);                   // this = this * b
    int ScalarDivide(const CValue& s, const CValueMatrix& m);  // this = s / m
    int DivideRight(const CValueMatrix& b);                // this = this / b
    int SwapPivotRow(int k);                               // -1, 0 or the swapped row
    CValueMatrix Negate() const;                           // new matrix of negated cells

    // Elimination on value cells (values/value_elimination.cpp), the twins of the
    // complex-matrix routines. 0 done, 10 reported.
    int LU(CValueMatrix& L, CValueMatrix& U, CValueMatrix& P) const;  // P A = L U
    CValue& Det(CValue& det);  // reduces this in place; not square or empty: reported, det = 0
    CValue DetValue() const;   // on a copy
    int Invert();              // Gauss-Jordan in place; warns once when a pivot is nearly 0
    int Solve(const CValueMatrix& b, CValueMatrix& x) const;  // rotations; b one column

    // Own decompositions and the exponential on value cells (values/value_elimination.cpp),
    // the twins of the complex-matrix routines. 0 done, 10 reported.
    int Svd(CValueMatrix& U, CValueMatrix& W, CValueMatrix& V) const;  // A = U diag(W) V^H
    int EigValues(CValueMatrix& W);                    // this is overwritten
    int EigDecompose(CValueMatrix& V, CValueMatrix& D);  // this is overwritten
    int Expm(CValueMatrix& out) const;                 // out = exp(this)

    // ---- Cell mapping (values/cell_mapping.cpp) ----
    // Per-cell functions return 0 to go on; any other status ends the walk and is
    // returned. The destination is the last argument. The apply family resizes this
    // first (new cells empty) and walks row-major; 73 when the argument shapes
    // differ (nothing reported, this untouched).
    using CellFn1 = int (*)(const CValue& src, CValue& dst);
    using CellFn2 = int (*)(const CValue& a, const CValue& b, CValue& dst);
    using CellFn3 = int (*)(const CValue& a, const CValue& b, const CValue& c, CValue& dst);
    using CellMap = CValue (*)(const CValue& src);
    using CellOp = int (*)(CValue& cell);
    int ApplyElementwise(CellFn1 fn, const CValueMatrix& src);
    int ApplyMatrixMatrix(CellFn2 fn, const CValueMatrix& a, const CValueMatrix& b);
    int ApplyElementwise3(CellFn3 fn, const CValueMatrix& a, const CValueMatrix& b, const CValueMatrix& c);
    int ApplyMatrixScalar(CellFn2 fn, const CValueMatrix& m, const CValue& s);
    int ApplyScalarMatrix(CellFn2 fn, const CValue& s, const CValueMatrix& m);
    int MapByValue(CellMap fn, const CValueMatrix& src);
    int ForEachCell(CellOp op);       // in-place unary operation on every cell
    int ApplyInPlace(CellFn1 fn);     // fn(cell, cell)
    // this = deep copy of the rows x cols block of src at (row0, col0); the caller
    // keeps the block inside src. 0.
    int CopyBlock(const CValueMatrix& src, int row0, int col0, int rows, int cols);

    // ---- Reductions (values/matrix_families.cpp) and sorting ----
    // A matrix of one row is taken along the row, any other column by column.
    // Sums and products use ValueAdd and ValueMul; a failing step has reported and
    // its status ends the walk.
    // allReal, when given, is set true when out is known to hold only Real cells.
    static int CumSum(const CValueMatrix& src, CValueMatrix& out, bool* allReal = nullptr);
    static int CumProd(const CValueMatrix& src, CValueMatrix& out, bool* allReal = nullptr);
    int SumVector(CValue& out) const;   // cells of a row or of a column; else cell (0,0)
    int ProdVector(CValue& out) const;
    int SumColumns(CValueMatrix& out) const;   // 1 x cols
    int ProdColumns(CValueMatrix& out) const;
    // Sorts that place every cell exactly where the exchange sorts (values/elementary.cpp)
    // put it, in O(n log n) for numbers. NaN cells go last (ascending) or first
    // (descending). A long sort asks stop(data) now and then; when that is true it
    // ends early (the cells then hold a permutation of the input) and gives false.
    bool SortAscending(SortStopProbe stop = nullptr, void* data = nullptr);
    bool SortDescending(SortStopProbe stop = nullptr, void* data = nullptr);
    void Reverse();

    // ---- Text form (values/value_text.cpp) ----
    // Plain text: [1,2; 3,4]; [] when empty.
    std::ostream& WriteText(std::ostream& os) const;
    // [row; row] with rows of equal length; fail state and this unchanged on a syntax error.
    std::istream& ReadText(std::istream& is);

private:
    friend bool ShapeWithUnsetCells(CValueMatrix& m, int rows, int cols);
    friend bool ShapeOverFreedCells(CValueMatrix& m, int rows, int cols, int& live);
    friend void FreeUnsetCells(CValueMatrix& m);

    // The row table, made from the packed array first when there is one.
    // Readers on several threads may unpack one matrix at once: the table is
    // published once, and the packed array stays until a member that changes
    // the matrix (only its owner calls those) frees it.
    CValue** CellRows() const
    {
        CValue** rows = __atomic_load_n(&m_pRows, __ATOMIC_ACQUIRE);
        return rows || !m_pPacked ? rows : UnpackShared();
    }
    CValue** UnpackShared() const;
    // The row table made and published; null when the heap refuses.
    CValue** TryUnpack() const;
    // The owner's unpack: cells, and no packed array left. False (noted as
    // out of memory, the matrix unchanged) when the heap refuses the cells.
    bool ToCells();
    void FreePacked();

    mutable CValue** m_pRows = nullptr;  // one entry per row; null while packed
    // The packed array: authoritative while m_pRows is null, else a copy kept
    // for readers that may still hold it.
    double* m_pPacked = nullptr;
};
