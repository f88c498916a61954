#pragma once
// Dense real and complex matrices: row-major, one heap block per row,
// fields {row array, column count, row count} in this order (read directly
// by other modules). An empty matrix is 0 x 0 with no row array.
#include <cstddef>
#include <cstdint>

#include "values/complex.h"

// Row blocks (C heap). Counts below 1 give null.
double* AllocFilledDoubles(int n, double v);
double* ReallocFilledDoubles(double* row, int oldN, int newN, double v);
Complex* AllocComplexRow(int n, const Complex& v);
Complex* ReallocComplexRow(Complex* row, int oldN, int newN, const Complex& v);
void FreeComplexArray(Complex* p);

class CRealMatrix {
public:
    double** m_pRows = nullptr;
    int32_t m_nCols = 0;
    int32_t m_nRows = 0;

    CRealMatrix() noexcept {}
    CRealMatrix(int rows, int cols);  // zeros; rows < 1 or cols < 1 gives 0 x 0
    CRealMatrix(int rows, int cols, double fill);
    CRealMatrix(const CRealMatrix& src);
    CRealMatrix(CRealMatrix&& src) noexcept;
    ~CRealMatrix() { Free(); }
    CRealMatrix& operator=(const CRealMatrix& src);
    CRealMatrix& operator=(CRealMatrix&& src) noexcept;

    int Rows() const { return m_nRows; }
    int Cols() const { return m_nCols; }
    bool IsEmpty() const { return m_nCols == 0; }
    double& Cell(int r, int c) const { return m_pRows[r][c]; }
    double* Row(int r) const { return m_pRows[r]; }

    void Fill(int rows, int cols, double value);
    void Resize(int rows, int cols);  // keeps the overlap, new cells 0
    void Free();
    void Swap(CRealMatrix& other) noexcept;

    // Largest column sum of absolute values (first of equal sums); 0 when empty.
    double OneNorm() const;
    // Largest element, row by row, first of equals; NaN never wins. An empty
    // matrix reports "Argument of max function is non-empty matrix" and gives
    // a shared 0.
    double& MaxElement() const;
};

class CComplexMatrix {
public:
    Complex** m_pRows = nullptr;
    int32_t m_nCols = 0;
    int32_t m_nRows = 0;

    CComplexMatrix() noexcept {}
    CComplexMatrix(int rows, int cols);  // zeros; rows < 1 or cols < 1 gives 0 x 0
    CComplexMatrix(int rows, int cols, const Complex& fill);
    CComplexMatrix(const CComplexMatrix& src);
    CComplexMatrix(CComplexMatrix&& src) noexcept;
    ~CComplexMatrix() { Free(); }
    CComplexMatrix& operator=(const CComplexMatrix& src);
    CComplexMatrix& operator=(CComplexMatrix&& src) noexcept;

    int Rows() const { return m_nRows; }
    int Cols() const { return m_nCols; }
    bool IsEmpty() const { return m_nCols == 0; }
    Complex& Cell(int r, int c) const { return m_pRows[r][c]; }
    Complex* Row(int r) const { return m_pRows[r]; }

    // Storage.
    void Fill(int rows, int cols, const Complex& value);
    void Resize(int rows, int cols);  // keeps the overlap, new cells 0
    void Free();
    void Swap(CComplexMatrix& other) noexcept;
    // Cell (i, j), growing the matrix with zeros when it lies outside. i, j >= 0.
    Complex* At(int i, int j);

    // Shape builders and copies.
    void MakeIdentity();                           // current shape, 1 on the diagonal
    void MakeDiag(const Complex* v, int n, int k);  // (n + |k|) square, v on diagonal k
    void Triu(int k);                               // zero every cell with row > col - k
    void CopyBlock(const CComplexMatrix& src, int row0, int col0, int rows, int cols);
    void ConjTranspose(CComplexMatrix& out) const;
    int Transpose();  // conjugate transpose in place; 10 when empty (reported)
    CComplexMatrix RealPart() const;
    CComplexMatrix ImagPart() const;
    CComplexMatrix Scaled(const Complex& c) const;

    // Arithmetic: 0 done, 10 reported (this unchanged).
    int operator+=(const CComplexMatrix& b);
    int operator-=(const CComplexMatrix& b);
    int Multiply(const CComplexMatrix& b);     // this = this x b
    int DivideRight(const CComplexMatrix& b);  // this = this / b
    int ScalarOver(const Complex& s, const CComplexMatrix& m);  // this = s / m

    // Elimination (no LAPACK). 0 done, 10 reported.
    // P A = L U with L m x k (unit diagonal), U k x n, P m x m, k = min(m, n).
    int LU(CComplexMatrix& L, CComplexMatrix& U, CComplexMatrix& P) const;
    // Reduces this in place; the determinant goes into det, which is returned.
    // Not square or empty: reported, det = 0.
    Complex& Det(Complex& det);
    Complex DetValue() const;  // on a copy
    // Exchanges in the row (>= k) of largest modulus in column k: -1 when that
    // pivot is exactly 0, 0 when row k already holds it, else the pivot row.
    int PivotRow(int k);
    // Gauss-Jordan in place; warns once when a pivot is nearly 0.
    int Invert();
    // A x = b by plane rotations; b one column. x becomes n x 1.
    int SolveX(const CComplexMatrix& b, CComplexMatrix& x) const;
    // A X = B by elimination with partial pivoting; any number of columns.
    int Solve(const CComplexMatrix& b, CComplexMatrix& x) const;

    // Norms, decompositions and matrix functions are declared below by their module.

    // ---- Own decompositions (values/complex_linalg.cpp): 0 done, 10 reported ----
    // A = U diag(W) V^H; U m x n, W 1 x n (unsorted), V n x n. This is not changed.
    int Svd(CComplexMatrix& U, CComplexMatrix& W, CComplexMatrix& V) const;
    // Eigenvalues into the 1 x n row W, by position; this is overwritten.
    int EigValues(CComplexMatrix& W);
    // Eigenvectors (columns of V, unnormalised) and eigenvalues (1 x n row D);
    // this is overwritten with the triangular form.
    int EigDecompose(CComplexMatrix& V, CComplexMatrix& D);

    // ---- Norms, condition, rank, exponential, powers (values/complex_linalg.cpp) ----
    // p null: Frobenius for a matrix; 1, 2, +inf for a matrix; any p for a vector.
    // Bad arguments are reported and give 0.
    double Norm(const double* p) const;
    double MaxColumnSum() const;  // 1-norm (first of equal sums)
    double MaxRowSum() const;     // inf-norm
    double FrobeniusNorm() const;
    double Norm2() const;  // largest singular value; 0 when the LAPACK call fails
    double VectorNorm(double p) const;
    double Cond(const double* p) const;
    int Rank(const double* tol) const;
    int Orth(CComplexMatrix& out) const;  // status of the LAPACK SVD
    int Expm(CComplexMatrix& out) const;  // out = exp(this); 10 when not square
    // A = A^p: cell by cell for a non-square or 1 x 1 A; repeated products for a
    // whole real p (inverted when negative); eigen-decomposition otherwise.
    static int Power(CComplexMatrix& A, const Complex& p);
};

CComplexMatrix operator-(const CComplexMatrix& a, const CComplexMatrix& b);  // 0 x 0 on mismatch
CComplexMatrix operator*(const CComplexMatrix& a, const CComplexMatrix& b);  // 0 x 0 on mismatch

// Column-major copies for LAPACK: element (i, j) of an m x n array at j m + i.
// Packs into a new[] array the caller frees with delete[]: 0 for an empty
// matrix (nothing allocated), 1 when every imaginary part is 0, else 2.
int PackColumnMajor(const CComplexMatrix& m, Complex** array);
int UnpackRealColumnMajor(const double* data, int m, int n, CRealMatrix& out);
int UnpackColumnMajor(const Complex* data, int m, int n, CComplexMatrix& out);
// out(i, j) = data[i n + j]: the plain transpose of an n x m column-major array.
void UnpackTransposed(const Complex* data, int m, int n, CComplexMatrix& out);

// C = A B for row-major m x k and k x n arrays through dgemm, the way products of
// complex matrices without imaginary parts are made; false (C untouched) when
// the product is too small for the library, or when a stop of this thread's
// program cut it short (C partly written then; ThreadStopRequested tells).
bool RealArrayProduct(const double* A, const double* B, double* C, int m, int k, int n);
