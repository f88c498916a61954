// Operator families over value matrices: new matrices from the three-operand
// arithmetic, whole-matrix truth values, element-wise relational and logical
// operators, cell functions and the extreme cells.
#include "values/matrix_families.h"

#include <cmath>
#include <deque>

#include "values/operators.h"
#include "values/output_stream.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

// A loop that saw the program's stop ends as a refused allocation does: the
// statement fails with the stop.
int Stopped()
{
    NoteOutOfMemory();
    return kReported;
}

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Cols() == b.Cols() && a.Rows() == b.Rows();
}

using ThreeOperand = CValue (*)(const CValue&, const CValue&);

ThreeOperand ArithFunction(ArithOp op)
{
    switch (op) {
    case ARITH_ADD: return ValueSum;
    case ARITH_SUB: return ValueDifference;
    case ARITH_MUL: return ValueProduct;
    default: return ValueQuotient;
    }
}

// Real with Real straight into the (empty) destination cell: the same number
// the three-operand operator gives, without its temporary value.
inline bool RealArith(const CValue& a, const CValue& b, ArithOp op, CValue& out)
{
    if (a.Type() != VT_REAL || b.Type() != VT_REAL) return false;
    const double x = a.Real(), y = b.Real();
    double z;
    switch (op) {
    case ARITH_ADD: z = x + y; break;
    case ARITH_SUB: z = x - y; break;
    case ARITH_MUL: z = x * y; break;
    default: z = x / y; break;
    }
    double* p = out.AsReal();
    if (!p) return false;
    *p = z;
    return true;
}

CValueMatrix CellByCell(const CValueMatrix& a, const CValueMatrix& b, ArithOp op)
{
    ThreeOperand fn = ArithFunction(op);
    CValueMatrix r(a.Rows(), a.Cols());
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j) {
            CValue& cell = r.Cell(i, j);
            if (!RealArith(a.Cell(i, j), b.Cell(i, j), op, cell)) cell = fn(a.Cell(i, j), b.Cell(i, j));
        }
    return r;
}

void SwapRows(CValueMatrix& m, int r, int k)
{
    m.SwapRows(r, k);
}

using InPlaceOp = int (*)(CValue&, const CValue&);

InPlaceOp RelationalFunction(RelationalOp op)
{
    switch (op) {
    case REL_EQ: return ValueCompareEqual;
    case REL_NE: return ValueCompareNotEqual;
    case REL_GT: return ValueCompareGreater;
    case REL_LT: return ValueCompareLess;
    case REL_GE: return ValueCompareGreaterEqual;
    case REL_LE: return ValueCompareLessEqual;
    case LOGIC_AND: return ValueAnd;
    case LOGIC_OR: return ValueOr;
    default: return ValueXor;
    }
}

// Two Real cells compared as the operators compare them, with the operator
// fixed: an unordered pair (a NaN on either side) counts as both less and equal.
template <RelationalOp OP>
inline bool CompareAs(double x, double y)
{
    if constexpr (OP == REL_EQ) return !((x < y) | (x > y));
    if constexpr (OP == REL_NE) return (x < y) | (x > y);
    if constexpr (OP == REL_GT) return x > y;
    if constexpr (OP == REL_LT) return !(x >= y);
    if constexpr (OP == REL_GE) return x >= y;
    if constexpr (OP == REL_LE) return !(x > y);
    return false;
}

// Every cell of a, row-major, with the cell of b or the scalar s: Real with
// Real is what the operator gives, without its dispatch (the comparisons
// only; LOGIC_AND stands for every operator that always dispatches, named
// by op). Stops at the first failing cell.
template <RelationalOp OP>
int RelationalCells(CValueMatrix& a, const CValueMatrix* b, const CValue* s, RelationalOp op = OP)
{
    constexpr bool kCompare = OP <= REL_LE;
    const InPlaceOp fn = RelationalFunction(op);
    const bool realScalar = kCompare && s && s->Tag() == VT_REAL;
    const double x = realScalar ? s->Real() : 0.0;
    if constexpr (kCompare) {
        if (double* pa = a.PackedData()) {
            const size_t n = (size_t)a.Rows() * (size_t)a.Cols();
            const double* pb = b ? b->PackedData() : nullptr;
            // a is the statement's own value: a stop may leave it half done.
            if (pb) {
                if (WalkStopBlocks(n, [pa, pb](size_t i0, size_t i1) {
                        for (size_t i = i0; i < i1; ++i) pa[i] = TruthValue(CompareAs<OP>(pa[i], pb[i]));
                    }))
                    return 0;
                return Stopped();
            }
            if (realScalar) {
                if (WalkStopBlocks(n, [pa, x](size_t i0, size_t i1) {
                        for (size_t i = i0; i < i1; ++i) pa[i] = TruthValue(CompareAs<OP>(pa[i], x));
                    }))
                    return 0;
                return Stopped();
            }
        }
    }
    CCellStop stop;
    for (int r = 0; r < a.Rows(); ++r) {
        CValue* row = a.Row(r);
        const CValue* other = b ? b->Row(r) : nullptr;
        for (int c = 0; c < a.Cols(); ++c) {
            if (stop.After(1)) return Stopped();
            if constexpr (kCompare) {
                if (row[c].m_tag == VT_REAL) {
                    if (other && other[c].m_tag == VT_REAL) {
                        row[c].m_real = TruthValue(CompareAs<OP>(row[c].m_real, other[c].m_real));
                        continue;
                    }
                    if (realScalar) {
                        row[c].m_real = TruthValue(CompareAs<OP>(row[c].m_real, x));
                        continue;
                    }
                }
            }
            if (int st = fn(row[c], other ? other[c] : *s)) return st;
        }
    }
    return 0;
}

const char* RelationalShapeText(RelationalOp op)
{
    switch (op) {
    case REL_EQ: return "Relational operator '==', matrices must be a same sizes";
    case REL_NE: return "Relational operator '!=', matrices must be a same sizes";
    case REL_GT: return "Relational operator '>', matrices must be a same sizes";
    case REL_LT: return "Relational operator '<', matrices must be a same sizes";
    case REL_GE: return "Relational operator '>=', matrices must be a same sizes";
    case REL_LE: return "Relational operator '<=', matrices must be a same sizes";
    case LOGIC_AND: return "Logic \"AND\", matrices must be a same sizes";
    case LOGIC_OR: return "Logic \"OR\", matrices must be a same sizes";
    default: return "Logic \"XOR\", matrices must be a same sizes";
    }
}

bool OrderTruth(const CValue& a, const CValue& b, RelationalOp op)
{
    switch (op) {
    case REL_GT: return ValueGreater(a, b);
    case REL_LT: return ValueLess(a, b);
    case REL_GE: return ValueGreaterEqual(a, b);
    case REL_LE: return ValueLessEqual(a, b);
    default: return false;
    }
}

bool OneByOneEquals(const CValueMatrix& m, const CValue& s)
{
    return m.Rows() == 1 && m.Cols() == 1 && ValueEquals(m.Cell(0, 0), s);
}

CValue SumOf(const CValueMatrix& m)
{
    CValue s;
    m.SumAll(s);
    return s;
}

const CValue kNoExtreme;  // read only: handed out for an empty matrix

// The extremes of packed matrices found by one search: a packed matrix has
// no cell to point at, so its extreme is kept here until the next search
// (the callers copy what they are given before they search again).
thread_local std::deque<CValue> t_packedExtremes;

const CValue* Extreme(const CValueMatrix& m, bool greatest)
{
    if (m.IsEmpty()) {
        ReportError() << (greatest ? "Finding a maximum of empty-matrix" : "Finding a minimum of NULL-matrix");
        return &kNoExtreme;
    }
    if (const double* p = m.PackedData()) {
        // The cell walk's order: the first cell, then any that replaces it.
        const size_t n = (size_t)m.Rows() * (size_t)m.Cols();
        double best = p[0];
        if (!WalkStopBlocks(n, [p, &best, greatest](size_t i0, size_t i1) {
                double b = best;
                for (size_t i = i0 ? i0 : 1; i < i1; ++i) {
                    const double x = p[i];
                    if ((greatest ? x > b : x < b) || (std::isnan(b) && !std::isnan(x))) b = x;
                }
                best = b;
            })) {
            NoteOutOfMemory();  // stopped: the statement fails with the stop
            return &kNoExtreme;
        }
        t_packedExtremes.emplace_back(best);
        return &t_packedExtremes.back();
    }
    const CValue* best = nullptr;
    CCellStop stop;
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) {
            if (stop.After(1)) {
                NoteOutOfMemory();
                return &kNoExtreme;
            }
            const CValue* cell = &m.Cell(r, c);
            if (best && cell->m_tag == VT_REAL && best->m_tag == VT_REAL) {
                // Two Real cells as ExtremeReplaces orders them: a NaN takes
                // no part, any number replaces a NaN best.
                const double x = cell->m_real, y = best->m_real;
                if ((greatest ? x > y : x < y) || (std::isnan(y) && !std::isnan(x))) best = cell;
                continue;
            }
            if (cell->Type() == VT_MATRIX) cell = Extreme(cell->Matrix(), greatest);
            if (!best || ExtremeReplaces(*cell, *best, greatest)) best = cell;
        }
    return best;
}

bool IsNaNNumber(const CValue& v)
{
    if (v.Type() == VT_REAL) return std::isnan(v.Real());
    return v.Type() == VT_COMPLEX && std::isnan(v.ComplexRef().re);
}

}  // namespace

// NaN cells have no place in the order: any other candidate replaces one, and
// none replaces another candidate, so the answer does not depend on where they stand.
bool ExtremeReplaces(const CValue& candidate, const CValue& best, bool greatest)
{
    const bool nanCandidate = IsNaNNumber(candidate), nanBest = IsNaNNumber(best);
    if (nanCandidate || nanBest) return nanBest && !nanCandidate;
    return greatest ? ValueGreater(candidate, best) : ValueLess(candidate, best);
}

// ---- three-operand arithmetic ------------------------------------------------------

CValueMatrix MatrixArith(const CValueMatrix& a, const CValueMatrix& b, ArithOp op)
{
    switch (op) {
    case ARITH_ADD:
    case ARITH_SUB:
        if (!SameShape(a, b)) {
            ReportError() << (op == ARITH_ADD ? "Addition, matrices must be a same sizes"
                                              : "Subtraction, matrices must be a same sizes");
            return CValueMatrix();
        }
        return CellByCell(a, b, op);
    case ARITH_MUL: return MatrixProduct(a, b);
    default: return MatrixQuotient(a, b);
    }
}

CValueMatrix MatrixArithScalar(const CValueMatrix& m, const CValue& s, ArithOp op)
{
    ThreeOperand fn = ArithFunction(op);
    CValueMatrix r(m.Rows(), m.Cols());
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j) {
            CValue& cell = r.Cell(i, j);
            if (!RealArith(m.Cell(i, j), s, op, cell)) cell = fn(m.Cell(i, j), s);
        }
    return r;
}

CValueMatrix ScalarArithMatrix(const CValue& s, const CValueMatrix& m, ArithOp op)
{
    CValueMatrix r;
    if (op == ARITH_DIV) {
        r.ScalarDivide(s, m);
        return r;
    }
    ThreeOperand fn = ArithFunction(op);
    r.Resize(m.Rows(), m.Cols());
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j) {
            CValue& cell = r.Cell(i, j);
            if (!RealArith(s, m.Cell(i, j), op, cell)) cell = fn(s, m.Cell(i, j));
        }
    return r;
}

CValueMatrix MatrixProduct(const CValueMatrix& a, const CValueMatrix& b)
{
    if (a.Cols() != b.Rows()) {
        if (SameShape(a, b)) return CellByCell(a, b, ARITH_MUL);
        ReportError() << "Multiplication, matrix dimensions must be an agree";
        return CValueMatrix();
    }
    CValueMatrix r(a.Rows(), b.Cols(), CValue(0.0));
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j) {
            CValue& cell = r.Cell(i, j);
            for (int p = 0; p < a.Cols(); ++p) ValueAdd(cell, ValueProduct(a.Cell(i, p), b.Cell(p, j)));
        }
    return r;
}

CValueMatrix MatrixQuotient(const CValueMatrix& a, const CValueMatrix& b)
{
    int n = b.Rows();
    if (b.Cols() != n || a.Rows() != n) {
        ReportError() << "Division, matrix dimensions must be an agree";
        return CValueMatrix();
    }
    // Gauss-Jordan on value cells: I ends as the inverse of b.
    const CValue zero(0.0);
    CValueMatrix x(b);
    CValueMatrix inv(n, n, zero);
    for (int k = 0; k < n; ++k) inv.Cell(k, k).SetReal(1.0);
    for (int k = 0; k < n; ++k) {
        int r = k;
        while (r < n && ValueEquals(x.Cell(r, k), zero)) ++r;
        if (r == n) {
            ReportError() << "Division, matrix is close to singular";
            return CValueMatrix();
        }
        if (r != k) {
            SwapRows(x, r, k);
            SwapRows(inv, r, k);
        }
        CValue p(x.Cell(k, k));
        for (int j = n - 1; j >= 0; --j) {
            ValueDiv(inv.Cell(k, j), p);
            ValueDiv(x.Cell(k, j), p);
        }
        for (int i = 0; i < n; ++i) {
            if (i == k) continue;
            CValue f(x.Cell(i, k));
            for (int j = n - 1; j >= 0; --j) {
                ValueSub(inv.Cell(i, j), ValueProduct(inv.Cell(k, j), f));
                ValueSub(x.Cell(i, j), ValueProduct(x.Cell(k, j), f));
            }
        }
    }
    CValueMatrix r(n, a.Cols(), zero);
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j)
            for (int p = 0; p < n; ++p) ValueAdd(r.Cell(i, j), ValueProduct(inv.Cell(i, p), a.Cell(p, j)));
    return r;
}

// ---- relational and logical ----------------------------------------------------------

RelationalOp MirrorRelational(RelationalOp op)
{
    switch (op) {
    case REL_GT: return REL_LT;
    case REL_LT: return REL_GT;
    case REL_GE: return REL_LE;
    case REL_LE: return REL_GE;
    default: return op;
    }
}

int MatrixRelational(CValueMatrix& a, const CValueMatrix& b, RelationalOp op)
{
    if (!SameShape(a, b)) {
        ReportError() << RelationalShapeText(op);
        return kReported;
    }
    if (&a == &b) {
        CValueMatrix copy(b);
        return MatrixRelational(a, copy, op);
    }
    switch (op) {
    case REL_EQ: return RelationalCells<REL_EQ>(a, &b, nullptr);
    case REL_NE: return RelationalCells<REL_NE>(a, &b, nullptr);
    case REL_GT: return RelationalCells<REL_GT>(a, &b, nullptr);
    case REL_LT: return RelationalCells<REL_LT>(a, &b, nullptr);
    case REL_GE: return RelationalCells<REL_GE>(a, &b, nullptr);
    case REL_LE: return RelationalCells<REL_LE>(a, &b, nullptr);
    default: return RelationalCells<LOGIC_AND>(a, &b, nullptr, op);
    }
}

int MatrixRelationalScalar(CValueMatrix& a, const CValue& s, RelationalOp op)
{
    CValue scalar(s);  // s may be one of a's cells
    switch (op) {
    case REL_EQ: return RelationalCells<REL_EQ>(a, nullptr, &scalar);
    case REL_NE: return RelationalCells<REL_NE>(a, nullptr, &scalar);
    case REL_GT: return RelationalCells<REL_GT>(a, nullptr, &scalar);
    case REL_LT: return RelationalCells<REL_LT>(a, nullptr, &scalar);
    case REL_GE: return RelationalCells<REL_GE>(a, nullptr, &scalar);
    case REL_LE: return RelationalCells<REL_LE>(a, nullptr, &scalar);
    default: return RelationalCells<LOGIC_AND>(a, nullptr, &scalar, op);
    }
}

bool MatrixTruth(const CValueMatrix& a, const CValueMatrix& b, RelationalOp op)
{
    if (op == REL_EQ || op == REL_NE) {
        bool eq = SameShape(a, b);
        for (int r = 0; eq && r < a.Rows(); ++r)
            for (int c = 0; eq && c < a.Cols(); ++c)
                if (ValueNotEquals(a.Cell(r, c), b.Cell(r, c))) eq = false;
        return (op == REL_EQ) == eq;
    }
    return OrderTruth(SumOf(a), SumOf(b), op);
}

bool MatrixTruthScalar(const CValueMatrix& m, const CValue& s, RelationalOp op)
{
    if (op == REL_EQ || op == REL_NE) return (op == REL_EQ) == OneByOneEquals(m, s);
    return OrderTruth(SumOf(m), s, op);
}

bool ScalarTruthMatrix(const CValue& s, const CValueMatrix& m, RelationalOp op)
{
    if (op == REL_EQ || op == REL_NE) return (op == REL_EQ) == OneByOneEquals(m, s);
    return OrderTruth(s, SumOf(m), op);
}

// ---- cell functions --------------------------------------------------------------------

CValueMatrix MapValueCells(const CValueMatrix& m, CValue (*fn)(const CValue&))
{
    CValueMatrix r(m.Rows(), m.Cols());
    CCellStop stop;
    for (int i = 0; i < r.Rows(); ++i)
        for (int j = 0; j < r.Cols(); ++j) {
            if (stop.After(1)) {
                NoteOutOfMemory();  // stopped: no result
                return CValueMatrix();
            }
            r.Cell(i, j) = fn(m.Cell(i, j));
        }
    return r;
}

int MatrixHasNaN(const CValueMatrix& m, int (*isNaN)(const CValue&))
{
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j)
            if (isNaN(m.Cell(i, j))) return 1;
    return 0;
}

CValueMatrix CValueMatrix::Negate() const { return MapValueCells(*this, ValueNegated); }

// ---- extreme cells ---------------------------------------------------------------------

const CValue* MaxOfMatrix(const CValueMatrix& m)
{
    t_packedExtremes.clear();
    return Extreme(m, true);
}

const CValue* MinOfMatrix(const CValueMatrix& m)
{
    t_packedExtremes.clear();
    return Extreme(m, false);
}
