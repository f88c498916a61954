#pragma once
// Cell-by-cell application of the value operators over value matrices.
#include "values/value_matrix.h"

// ---- element loops in place (row-major) ----------------------------------------
// Matrix with matrix: the shapes must agree, else the message and 10, a unchanged.
int MatrixAddMatrix(CValueMatrix& a, const CValueMatrix& b);
int MatrixSubMatrix(CValueMatrix& a, const CValueMatrix& b);
int MatrixElemMulMatrix(CValueMatrix& a, const CValueMatrix& b);  // stops at a failing cell
int MatrixElemDivMatrix(CValueMatrix& a, const CValueMatrix& b);  // stops at a failing cell
// Matrix with a scalar on the right.
int MatrixAddScalar(CValueMatrix& a, const CValue& s);
int MatrixSubScalar(CValueMatrix& a, const CValue& s);
int MatrixMulScalar(CValueMatrix& a, const CValue& s);
int MatrixDivScalar(CValueMatrix& a, const CValue& s);
int MatrixElemMulScalar(CValueMatrix& a, const CValue& s);  // stops at a failing cell
int MatrixElemDivScalar(CValueMatrix& a, const CValue& s);  // stops at a failing cell
// A stop seen by the loops above leaves a half done: the statement drops it.
// While one of these lives on the thread, a is a variable's own value instead,
// and the loops make packed numbers aside, so that a stop leaves a as it was
// (cells the caller copies first).
class CInPlaceAside {
public:
    CInPlaceAside();
    ~CInPlaceAside();
    CInPlaceAside(const CInPlaceAside&) = delete;
    CInPlaceAside& operator=(const CInPlaceAside&) = delete;

private:
    bool m_prev;
};
// Scalar with matrix into dest (resized to m's shape, each cell s op m(i,j)).
int ScalarAddMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m);
int ScalarSubMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m);
int ScalarMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m);
int ScalarElemMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m);
int ScalarElemDivMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m);

// out = a op b for a and b of the same shape (not checked), giving exactly what
// copying a and running the in-place loop above gives: the same cells, messages
// and status (.* and ./ stop at a failing cell; the cells after it are copies of a).
// allReal, when given, is set when every cell of out is Real.
enum ElementOp { ELEM_ADD, ELEM_SUB, ELEM_MUL, ELEM_DIV };
int MatrixElementwiseCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, ElementOp op,
                          bool* allReal = nullptr);
// The in-place loop above for op (its message, status and cells), also
// telling whether every cell of a is Real afterwards.
int MatrixElementwise(CValueMatrix& a, const CValueMatrix& b, ElementOp op, bool& allReal);

// out = m op s for a scalar s, giving exactly what copying m and applying
// cellOp(cell, s) to each cell row-major gives (the same cells, messages and
// status; with stopAtFailure the walk stops at a failing cell and the cells
// after it are copies of m, otherwise it goes on and gives 0). op names what
// cellOp does to a Real cell with a Real s; Real cells with a Real s are
// written straight into out. allReal, when given, is set when every cell of
// out is Real.
enum ScalarOp {
    SCALAR_ADD, SCALAR_SUB, SCALAR_MUL, SCALAR_DIV,
    SCALAR_GT, SCALAR_LT, SCALAR_GE, SCALAR_LE, SCALAR_EQ, SCALAR_NE
};
int MatrixScalarCopy(CValueMatrix& out, const CValueMatrix& m, const CValue& s, ScalarOp op,
                     int (*cellOp)(CValue&, const CValue&), bool stopAtFailure, bool* allReal = nullptr);

// ---- new matrices from the three-operand arithmetic -------------------------------
// A shape error is reported and gives the empty matrix.
enum ArithOp { ARITH_ADD, ARITH_SUB, ARITH_MUL, ARITH_DIV };
CValueMatrix MatrixArith(const CValueMatrix& a, const CValueMatrix& b, ArithOp op);
CValueMatrix MatrixArithScalar(const CValueMatrix& m, const CValue& s, ArithOp op);
CValueMatrix ScalarArithMatrix(const CValue& s, const CValueMatrix& m, ArithOp op);
// The value-cell product and the quotient inverse(b) * a by elimination.
CValueMatrix MatrixProduct(const CValueMatrix& a, const CValueMatrix& b);
CValueMatrix MatrixQuotient(const CValueMatrix& a, const CValueMatrix& b);

// ---- relational and logical families --------------------------------------------
enum RelationalOp { REL_EQ, REL_NE, REL_GT, REL_LT, REL_GE, REL_LE, LOGIC_AND, LOGIC_OR, LOGIC_XOR };
// The mirrored operator for exchanged operands (a > b is b < a); logic is symmetric.
RelationalOp MirrorRelational(RelationalOp op);
// In place: every cell of a becomes the operator applied to it and the right cell
// or scalar; stops at and returns the first failing cell's status.
int MatrixRelational(CValueMatrix& a, const CValueMatrix& b, RelationalOp op);
int MatrixRelationalScalar(CValueMatrix& a, const CValue& s, RelationalOp op);
// out = a op b for two packed matrices of one shape and one of the six
// comparisons: the numbers MatrixRelational gives a copy of a, without the
// copy. False (out untouched) for any other operands or operator.
bool PackedRelationalCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, RelationalOp op);
// out = a op b (b given, of a's shape) or a op s (a Real) for a logical op,
// packed, when a (and b) are packed; false (out untouched) otherwise.
bool PackedLogicCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix* b, const CValue* s, RelationalOp op);
// out = !a, packed, when a is packed; false (out untouched) otherwise.
// The three above look at the program's stop between blocks: stopped, out is
// left empty and the stop noted (true).
bool PackedNotCopy(CValueMatrix& out, const CValueMatrix& a);
// One truth value for whole matrices; nothing is reported. Only the six
// comparisons are meaningful here.
bool MatrixTruth(const CValueMatrix& a, const CValueMatrix& b, RelationalOp op);
bool MatrixTruthScalar(const CValueMatrix& m, const CValue& s, RelationalOp op);
bool ScalarTruthMatrix(const CValue& s, const CValueMatrix& m, RelationalOp op);

// ---- functions of single cells ------------------------------------------------------
// A new matrix of fn(cell) in the same shape.
CValueMatrix MapValueCells(const CValueMatrix& m, CValue (*fn)(const CValue&));
// 1 when isNaN gives non-zero for some cell (row-major, stops at the first), else 0.
int MatrixHasNaN(const CValueMatrix& m, int (*isNaN)(const CValue&));

// ---- greatest and least cell --------------------------------------------------------
// A matrix cell takes part through its own extreme cell; the first of equal cells
// wins. An empty matrix reports and gives a read-only empty value. What is
// given may be valid only until the next search on this thread.
const CValue* MaxOfMatrix(const CValueMatrix& m);
const CValue* MinOfMatrix(const CValueMatrix& m);
// candidate beats best for max (greatest) or min; NaN numbers lose to everything else.
bool ExtremeReplaces(const CValue& candidate, const CValue& best, bool greatest);
