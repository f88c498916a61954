// Operator families over value matrices: new matrices from the three-operand
// arithmetic, whole-matrix truth values, element-wise relational and logical
// operators, cell functions and the extreme cells; the value matrix's members
// built on the value operators (products, quotients, sums and reductions).
#include "values/matrix_families.h"

#include <cmath>
#include <cstring>
#include <deque>
#include <new>
#include <utility>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A number's truth as the logical operators take it: neither 0 nor NaN.
inline bool TruthOf(double x) { return (x < 0) | (x > 0); }

inline bool Combine(bool x, bool y, RelationalOp op)
{
    switch (op) {
    case LOGIC_AND: return x & y;
    case LOGIC_OR: return x | y;
    default: return x ^ y;
    }
}

// o = pa op pb (pb given) or pa op s (a Real), n numbers; o may be pa.
void LogicInto(double* o, const double* pa, const double* pb, double s, size_t n, RelationalOp op)
{
    if (pb) {
        switch (op) {
        case LOGIC_AND:
            for (size_t i = 0; i < n; ++i) o[i] = TruthValue(TruthOf(pa[i]) & TruthOf(pb[i]));
            break;
        case LOGIC_OR:
            for (size_t i = 0; i < n; ++i) o[i] = TruthValue(TruthOf(pa[i]) | TruthOf(pb[i]));
            break;
        default:
            for (size_t i = 0; i < n; ++i) o[i] = TruthValue(TruthOf(pa[i]) ^ TruthOf(pb[i]));
            break;
        }
        return;
    }
    // With the scalar's truth fixed each operator is a constant, the cell's
    // own truth or its opposite.
    const bool t = TruthOf(s);
    const bool keep = Combine(true, t, op), flip = Combine(false, t, op);
    if (keep == flip) {
        const double v = TruthValue(keep);
        for (size_t i = 0; i < n; ++i) o[i] = v;
    } else if (keep) {
        for (size_t i = 0; i < n; ++i) o[i] = TruthValue(TruthOf(pa[i]));
    } else {
        for (size_t i = 0; i < n; ++i) o[i] = TruthValue(!TruthOf(pa[i]));
    }
}

// The logical operators over a packed a with a packed b or a Real scalar:
// false (nothing done) for any other pair.
bool PackedLogic(CValueMatrix& a, const CValueMatrix* b, const CValue* s, RelationalOp op)
{
    double* pa = a.PackedData();
    if (!pa) return false;
    const double* pb = b ? b->PackedData() : nullptr;
    if (!pb && (!s || s->Tag() != VT_REAL)) return false;
    LogicInto(pa, pa, pb, pb ? 0.0 : s->Real(), (size_t)a.Rows() * (size_t)a.Cols(), op);
    return true;
}

// Every cell of a, row-major, with the cell of b or the scalar s: Real with
// Real is what the operator gives, without its dispatch (the comparisons
// only; LOGIC_AND stands for every operator that always dispatches, named
// by op). Stops at the first failing cell.
template <RelationalOp OP>
int RelationalCells(CValueMatrix& a, const CValueMatrix* b, const CValue* s, RelationalOp op = OP)
{
    constexpr bool kCompare = OP <= REL_LE;
    if constexpr (!kCompare) {
        if (PackedLogic(a, b, s, op)) return 0;
    }
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

// The largest (smallest) number of p besides NaN, or the start (-INF, +INF)
// when there is none: the lanes' max (min) keeps its second operand when the
// first is NaN.
template <bool Greatest>
double PackedExtreme(const double* p, size_t n)
{
    size_t i = 0;
    double best = Greatest ? -INFINITY : INFINITY;
#if defined(__SSE2__)
    const auto pick = [](__m128d x, __m128d acc) { return Greatest ? _mm_max_pd(x, acc) : _mm_min_pd(x, acc); };
    __m128d a = _mm_set1_pd(best), b = a, c = a, d = a;
    for (; i + 8 <= n; i += 8) {
        a = pick(_mm_loadu_pd(p + i), a);
        b = pick(_mm_loadu_pd(p + i + 2), b);
        c = pick(_mm_loadu_pd(p + i + 4), c);
        d = pick(_mm_loadu_pd(p + i + 6), d);
    }
    a = pick(pick(a, b), pick(c, d));
    const double lo = _mm_cvtsd_f64(a), hi = _mm_cvtsd_f64(_mm_unpackhi_pd(a, a));
    best = Greatest ? std::fmax(lo, hi) : std::fmin(lo, hi);
#endif
    for (; i < n; ++i)
        if (Greatest ? p[i] > best : p[i] < best) best = p[i];
    return best;
}

const CValue* Extreme(const CValueMatrix& m, bool greatest)
{
    if (m.IsEmpty()) {
        ReportError() << (greatest ? "Finding a maximum of empty-matrix" : "Finding a minimum of NULL-matrix");
        return &kNoExtreme;
    }
    if (const double* p = m.PackedData()) {
        const size_t n = (size_t)m.Rows() * (size_t)m.Cols();
        // The largest (smallest) number besides NaN, in lanes, a block at a
        // time: when it is neither zero nor the start, the cell walk ends on
        // that one value.
        const double start = greatest ? -INFINITY : INFINITY;
        double best = start;
        bool walked = WalkStopBlocks(n, [p, &best, greatest](size_t i0, size_t i1) {
            const double b = greatest ? PackedExtreme<true>(p + i0, i1 - i0) : PackedExtreme<false>(p + i0, i1 - i0);
            if (greatest ? b > best : b < best) best = b;
        });
        if (walked && (best == 0.0 || best == start)) {
            // A zero's sign, NaN only or the start: the cell walk's order, the
            // first cell, then any that replaces it.
            best = p[0];
            walked = WalkStopBlocks(n, [p, &best, greatest](size_t i0, size_t i1) {
                double b = best;
                for (size_t i = i0 ? i0 : 1; i < i1; ++i) {
                    const double x = p[i];
                    if ((greatest ? x > b : x < b) || (std::isnan(b) && !std::isnan(x))) b = x;
                }
                best = b;
            });
        }
        if (!walked) {
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

namespace {

template <RelationalOp OP>
void ComparePacked(double* __restrict out, const double* a, const double* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) out[i] = TruthValue(CompareAs<OP>(a[i], b[i]));
}

}  // namespace

// A copy the program's stop ended: no result, and the statement fails with
// the stop.
static bool StoppedCopy(CValueMatrix& out)
{
    out.Resize(0, 0);
    NoteOutOfMemory();
    return true;
}

bool PackedRelationalCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, RelationalOp op)
{
    const double* pa = a.PackedData();
    const double* pb = b.PackedData();
    if (!pa || !pb || !SameShape(a, b) || op > REL_LE) return false;
    CValueMatrix r;
    if (!r.ShapePacked(a.Rows(), a.Cols())) return false;
    double* o = r.PackedData();
    const size_t n = (size_t)a.Rows() * (size_t)a.Cols();
    const bool done = WalkStopBlocks(n, [o, pa, pb, op](size_t i0, size_t i1) {
        const size_t k = i1 - i0;
        switch (op) {
        case REL_EQ: ComparePacked<REL_EQ>(o + i0, pa + i0, pb + i0, k); break;
        case REL_NE: ComparePacked<REL_NE>(o + i0, pa + i0, pb + i0, k); break;
        case REL_GT: ComparePacked<REL_GT>(o + i0, pa + i0, pb + i0, k); break;
        case REL_LT: ComparePacked<REL_LT>(o + i0, pa + i0, pb + i0, k); break;
        case REL_GE: ComparePacked<REL_GE>(o + i0, pa + i0, pb + i0, k); break;
        default: ComparePacked<REL_LE>(o + i0, pa + i0, pb + i0, k); break;
        }
    });
    if (!done) return StoppedCopy(out);
    out.Swap(r);
    return true;
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

bool PackedLogicCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix* b, const CValue* s, RelationalOp op)
{
    const double* pa = a.PackedData();
    const double* pb = b ? b->PackedData() : nullptr;
    if (!pa || (b ? !pb || !SameShape(a, *b) : !s || s->Tag() != VT_REAL)) return false;
    CValueMatrix t;
    if (!t.ShapePacked(a.Rows(), a.Cols())) return false;
    double* o = t.PackedData();
    const double x = pb ? 0.0 : s->Real();
    if (!WalkStopBlocks((size_t)a.Rows() * (size_t)a.Cols(), [o, pa, pb, x, op](size_t i0, size_t i1) {
            LogicInto(o + i0, pa + i0, pb ? pb + i0 : nullptr, x, i1 - i0, op);
        }))
        return StoppedCopy(out);
    out.Swap(t);
    return true;
}

bool PackedNotCopy(CValueMatrix& out, const CValueMatrix& a)
{
    const double* pa = a.PackedData();
    CValueMatrix t;
    if (!pa || !t.ShapePacked(a.Rows(), a.Cols())) return false;
    double* o = t.PackedData();
    const size_t n = (size_t)a.Rows() * (size_t)a.Cols();
    if (!WalkStopBlocks(n, [o, pa](size_t i0, size_t i1) {
            for (size_t i = i0; i < i1; ++i) o[i] = TruthValue(pa[i] == 0.0);
        }))
        return StoppedCopy(out);
    out.Swap(t);
    return true;
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

// ---- value-matrix members built on the value operators: sums, products and
// quotients, and the pivot step of the determinant ----------------------------

namespace {

// The Real one exactly: the scaling of an inverse is skipped for it.
bool IsExactOne(const CValue& s)
{
    return s.IsNumber() && s.GetComplex().re == 1.0 && s.GetComplex().im == 0.0;
}

}  // namespace

int CValueMatrix::Trace(CValue& out) const
{
    int n = m_nRows < m_nCols ? m_nRows : m_nCols;
    if (n == 0) {
        out.SetReal(0.0);
        return 0;
    }
    CValue acc(Cell(0, 0));
    for (int k = 1; k < n; ++k) ValueAdd(acc, Cell(k, k));
    out.Swap(acc);
    return 0;
}

int CValueMatrix::SumAll(CValue& out) const
{
    CValue acc(0.0);
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) ValueAdd(acc, Cell(r, c));
    out.Swap(acc);
    return 0;
}

int CValueMatrix::Multiply(const CValueMatrix& b)
{
    if (m_nCols != b.Rows()) {
        if (!SameShape(*this, b)) {
            ReportError() << "Multiplication, matrix dimensions must be an agree";
            return kReported;
        }
        if (&b == this) {
            CValueMatrix copy(b);
            return Multiply(copy);
        }
        for (int r = 0; r < m_nRows; ++r)
            for (int c = 0; c < m_nCols; ++c) ValueMul(Cell(r, c), b.Cell(r, c));
        return 0;
    }
    CValueMatrix product = MatrixProduct(*this, b);
    Swap(product);
    return 0;
}

int CValueMatrix::ScalarDivide(const CValue& s, const CValueMatrix& m)
{
    if (&m == this) {
        CValueMatrix copy(m);
        return ScalarDivide(s, copy);
    }
    CValue scalar(s);  // s may be one of our cells
    if (m.Rows() == m.Cols() && m.Rows() != 1) {
        *this = m;
        if (int st = Invert()) return st;
        if (!IsExactOne(scalar))
            for (int r = 0; r < m_nRows; ++r)
                for (int c = 0; c < m_nCols; ++c) ValueMul(Cell(r, c), scalar);
        return 0;
    }
    Resize(m.Rows(), m.Cols());
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) Cell(r, c) = ValueQuotient(scalar, m.Cell(r, c));
    return 0;
}

int CValueMatrix::DivideRight(const CValueMatrix& b)
{
    if ((m_nRows == 1 || m_nCols == 1) && SameShape(*this, b)) {
        if (&b == this) {
            CValueMatrix copy(b);
            return DivideRight(copy);
        }
        for (int r = 0; r < m_nRows; ++r)
            for (int c = 0; c < m_nCols; ++c) ValueDiv(Cell(r, c), b.Cell(r, c));
        return 0;
    }
    CValueMatrix w(b);
    if (int st = w.Invert()) return st;
    return Multiply(w);
}

int CValueMatrix::SwapPivotRow(int k)
{
    // The largest modulus wins; the first of equals stays.
    if (k < 0 || k >= m_nRows || k >= m_nCols) return -1;
    CValue best(-1.0);
    int pivot = k;
    for (int r = k; r < m_nRows; ++r) {
        const CValue& cell = Cell(r, k);
        if (!cell.IsNumber()) continue;
        CValue mag(cell.Type() == VT_REAL ? std::fabs(cell.Real()) : ComplexAbsOf(cell.ComplexRef()));
        if (ValueGreater(mag, best) && ValueNotEqualsReal(mag, 0.0)) {
            best = mag;
            pivot = r;
        }
    }
    if (ValueEqualsReal(Cell(pivot, k), 0.0)) return -1;
    if (pivot == k) return 0;
    SwapRows(pivot, k);
    return pivot;
}

// ---- running sums and products, sums and products of vectors and columns, and
// reversal over value matrices ----------------------------------------------------

namespace {

// What the Real walks below did: made the result, met a cell that is not
// Real (the general walk makes it), or saw the stop.
enum RealWalk { WALK_NOT_REAL, WALK_MADE, WALK_STOPPED };

using Accumulate = int (*)(CValue&, const CValue&);

// One vector of a matrix: the single row, or column c.
struct VectorView {
    const CValueMatrix& m;
    bool alongRow;
    int index;  // column when taken down a column
    int Length() const { return alongRow ? m.Cols() : m.Rows(); }
    CValue& operator[](int k) const { return alongRow ? m.Cell(0, k) : m.Cell(k, index); }
};

template <typename Fn>
void ForEachVector(const CValueMatrix& m, Fn fn)
{
    if (m.Rows() == 1) {
        fn(VectorView{m, true, 0});
        return;
    }
    for (int c = 0; c < m.Cols(); ++c) fn(VectorView{m, false, c});
}

bool AllReal(const VectorView& v)
{
    for (int k = 0; k < v.Length(); ++k)
        if (v[k].Tag() != VT_REAL) return false;
    return true;
}

// The sum or product of Real cells is the same double arithmetic, in the same
// order, as ValueAdd and ValueMul do on them.
double Step(double acc, double x, bool product) { return product ? acc * x : acc + x; }

// Running sums of a vector of Real cells straight into new Real cells; false
// (dst untouched) when a cell is not Real.
bool RunningReals(const VectorView& in, const VectorView& dst, bool product)
{
    if (!AllReal(in)) return false;
    CRealCells reals;
    double acc = in[0].Real();
    for (int k = 0; k < in.Length(); ++k) {
        if (k) acc = Step(acc, in[k].Real(), product);
        if (!reals.Make(dst[k], acc)) dst[k].SetReal(acc);
    }
    return true;
}

// The same over one row into a row whose cells are not set yet, checking and
// summing in one pass. At the first cell that is not Real the rest of out is
// made empty and the answer is false.
// The first live cells of out hold old values, ended as they are overwritten.
template <bool Product>
RealWalk RunningRealRow(const CValue* in, CValue* out, int n, int live)
{
    double acc = 0.0;
    CEachCell each;
    for (int k = 0; k < n; ++k) {
        if (k < live) out[k].~CValue();
        const bool stopped = each.Stopped();
        if (stopped || in[k].m_tag != VT_REAL) {
            for (int j = k; j < n; ++j) {
                if (j > k && j < live) out[j].~CValue();
                new (out + j) CValue();
            }
            return stopped ? WALK_STOPPED : WALK_NOT_REAL;
        }
        const double x = in[k].m_real;
        acc = k == 0 ? x : Step(acc, x, Product);
        out[k].m_real = acc;
        out[k].m_tag = VT_REAL;
    }
    return WALK_MADE;
}

// Running sums or products down the columns of a matrix of Real cells, row
// after row: row r of the result is row r - 1 plus (times) row r of src, the
// same operations per column as the walk down each column. t is empty and
// gets src's shape; when a cell of src is not Real the answer is false and
// t's cells are all empty (or t stays empty without memory).
RealWalk RunningRealColumns(const CValueMatrix& src, CValueMatrix& t, bool product)
{
    const int rows = src.Rows(), cols = src.Cols();
    if (!ShapeWithUnsetCells(t, rows, cols)) return WALK_NOT_REAL;
    uint32_t odd = 0;
    const CValue* first = src.Row(0);
    CValue* o = t.Row(0);
    for (int c = 0; c < cols; ++c) {
        odd |= first[c].m_tag ^ VT_REAL;
        o[c].m_real = first[c].m_real;
        o[c].m_tag = VT_REAL;
    }
    int r = 1;
    CCellStop stop;
    bool stopped = false;
    for (; r < rows && !odd; ++r) {
        if (stop.After((uint64_t)cols)) {
            stopped = true;
            break;
        }
        const CValue* in = src.Row(r);
        const CValue* above = t.Row(r - 1);
        CValue* row = t.Row(r);
        for (int c = 0; c < cols; ++c) {
            odd |= in[c].m_tag ^ VT_REAL;
            row[c].m_real = Step(above[c].m_real, in[c].m_real, product);
            row[c].m_tag = VT_REAL;
        }
    }
    if (!odd && !stopped) return WALK_MADE;
    for (int i = 0; i < rows; ++i) {
        CValue* row = t.Row(i);
        for (int c = 0; c < cols; ++c) new (row + c) CValue();
    }
    return stopped ? WALK_STOPPED : WALK_NOT_REAL;
}

// The number at (r, c) of a packed matrix p or of cells; odd collects the
// tag bits of a cell that is not Real.
inline double NumberAt(const CValueMatrix& m, const double* p, const CValue* row, size_t i, size_t c, uint32_t& odd)
{
    (void)m;
    if (p) return p[i];
    odd |= row[c].m_tag ^ VT_REAL;
    return row[c].m_real;
}

// Running sums or products as the walks above make them (down the columns,
// or along a single row), into a packed t; false (t empty) when a cell of
// src is not Real or no packed array is made.
template <bool Product>
RealWalk RunningPacked(const CValueMatrix& src, CValueMatrix& t)
{
    const int rows = src.Rows();
    const size_t cols = (size_t)src.Cols();
    if (!t.ShapePacked(rows, (int)cols)) return WALK_NOT_REAL;
    double* o = t.PackedData();
    const double* p = src.PackedData();
    uint32_t odd = 0;
    bool stopped = false;
    if (rows == 1) {
        const CValue* row = p ? nullptr : src.Row(0);
        double acc = 0.0;
        stopped = !WalkStopBlocks(cols, [&](size_t k0, size_t k1) {
            // Locals: o's stores must not make the compiler reload them.
            double a = acc;
            uint32_t bad = 0;
            for (size_t k = k0; k < k1; ++k) {
                const double x = NumberAt(src, p, row, k, k, bad);
                a = k == 0 ? x : Step(a, x, Product);
                o[k] = a;
            }
            acc = a;
            odd |= bad;
        });
    } else {
        CCellStop stop;
        for (int r = 0; r < rows && !odd; ++r) {
            if (r && stop.After(cols)) {
                stopped = true;
                break;
            }
            const CValue* row = p ? nullptr : src.Row(r);
            const size_t base = (size_t)r * cols;
            double* out = o + base;
            if (r == 0) {
                for (size_t c = 0; c < cols; ++c) out[c] = NumberAt(src, p, row, base + c, c, odd);
                continue;
            }
            const double* above = out - cols;
            if (p) {
                const double* in = p + base;
                for (size_t c = 0; c < cols; ++c) out[c] = Step(above[c], in[c], Product);
            } else {
                for (size_t c = 0; c < cols; ++c) out[c] = Step(above[c], NumberAt(src, p, row, base + c, c, odd), Product);
            }
        }
    }
    if (odd || stopped) {
        t.Free();
        return odd ? WALK_NOT_REAL : WALK_STOPPED;
    }
    return WALK_MADE;
}

int Running(const CValueMatrix& src, CValueMatrix& out, Accumulate step, bool* allReal)
{
    if ((step == ValueAdd || step == ValueMul) && src.Rows() > 0 && src.Cols() > 0) {
        CValueMatrix t;
        switch (step == ValueMul ? RunningPacked<true>(src, t) : RunningPacked<false>(src, t)) {
        case WALK_MADE:
            out.Swap(t);
            if (allReal) *allReal = true;
            return 0;
        case WALK_STOPPED: return Stopped();
        case WALK_NOT_REAL: break;
        }
    }
    if (allReal) *allReal = false;
    CValueMatrix t;
    const bool product = step == ValueMul;
    const bool reals = product || step == ValueAdd;
    int live = 0;
    if (reals && src.Rows() > 1 && src.Cols() > 0) {
        switch (RunningRealColumns(src, t, product)) {
        case WALK_MADE:
            out.Swap(t);
            if (allReal) *allReal = true;
            return 0;
        case WALK_STOPPED: return Stopped();
        case WALK_NOT_REAL: break;
        }
    }
    if (!t.IsEmpty()) {
        // Shaped by the attempt above, every cell empty.
    } else if (reals && src.Rows() == 1 && ShapeOverFreedCells(t, 1, src.Cols(), live)) {
        const RealWalk done = product ? RunningRealRow<true>(src.Row(0), t.Row(0), src.Cols(), live)
                                      : RunningRealRow<false>(src.Row(0), t.Row(0), src.Cols(), live);
        if (done == WALK_STOPPED) return Stopped();
        if (done == WALK_MADE) {
            out.Swap(t);
            if (allReal) *allReal = true;
            return 0;
        }
    } else if (!t.Resize(src.Rows(), src.Cols())) {
        return 10;
    }
    int status = 0;
    CCellStop stop;
    ForEachVector(src, [&](const VectorView& in) {
        if (status) return;
        // Looked at per vector, and per cell in the general walk.
        if (stop.After((uint64_t)in.Length())) {
            status = Stopped();
            return;
        }
        VectorView dst{t, in.alongRow, in.index};
        if (reals && !in.alongRow && in.Length() > 0 && RunningReals(in, dst, product)) return;
        CValue acc = in[0];
        dst[0] = acc;
        CEachCell each;
        for (int k = 1; k < in.Length(); ++k) {
            if (each.Stopped()) {
                status = Stopped();
                return;
            }
            if ((status = step(acc, in[k])) != 0) return;
            dst[k] = acc;
        }
    });
    out.Swap(t);
    return status;
}

// Sum or product of one row when every cell is Real, checked as it goes.
template <bool Product>
bool FoldRealRow(const CValue* in, int n, double& out)
{
    double acc = 0.0;
    for (int k = 0; k < n; ++k) {
        if (in[k].m_tag != VT_REAL) return false;
        const double x = in[k].m_real;
        acc = k == 0 ? x : Step(acc, x, Product);
    }
    out = acc;
    return true;
}

// The same over a row too long to go without a look at the stop: in blocks,
// each going on from acc. False when a cell is not Real; status is then the
// stop's when that was what ended it.
template <bool Product>
bool FoldLongRealRow(const CValue* in, int n, double& out, int& status)
{
    double acc = 0.0;
    for (int k0 = 0; k0 < n; k0 += (int)kCellStopBlock) {
        if (k0 && ThreadStopRequested()) {
            status = Stopped();
            return false;
        }
        const int k1 = n - k0 > (int)kCellStopBlock ? k0 + (int)kCellStopBlock : n;
        for (int k = k0; k < k1; ++k) {
            if (in[k].m_tag != VT_REAL) return false;
            const double x = in[k].m_real;
            acc = k == 0 ? x : Step(acc, x, Product);
        }
    }
    out = acc;
    return true;
}

int Fold(const CValueMatrix& m, CValue& out, Accumulate step, double empty)
{
    if (m.Rows() == 0 || m.Cols() == 0) {
        out.SetReal(empty);
        return 0;
    }
    if (step == ValueAdd || step == ValueMul) {
        const bool product = step == ValueMul;
        double acc;
        if (const double* p = m.PackedData(); p && (m.Rows() == 1 || m.Cols() == 1)) {
            const size_t n = (size_t)m.Rows() * (size_t)m.Cols();
            acc = p[0];
            if (!WalkStopBlocks(n, [p, &acc, product](size_t k0, size_t k1) {
                    // Step as the cell walk takes it: which of two NaNs passes on stays the same.
                    double a = acc;
                    if (product)
                        for (size_t k = k0 ? k0 : 1; k < k1; ++k) a = Step(a, p[k], true);
                    else
                        for (size_t k = k0 ? k0 : 1; k < k1; ++k) a = Step(a, p[k], false);
                    acc = a;
                }))
                return Stopped();
            out.SetReal(acc);
            return 0;
        }
        if (m.Rows() == 1 && (uint64_t)m.Cols() > kCellStopBlock) {
            int status = 0;
            if (product ? FoldLongRealRow<true>(m.Row(0), m.Cols(), acc, status)
                        : FoldLongRealRow<false>(m.Row(0), m.Cols(), acc, status)) {
                out.SetReal(acc);
                return 0;
            }
            if (status) return status;
        } else if (m.Rows() == 1) {
            if (product ? FoldRealRow<true>(m.Row(0), m.Cols(), acc) : FoldRealRow<false>(m.Row(0), m.Cols(), acc)) {
                out.SetReal(acc);
                return 0;
            }
        } else if (m.Cols() == 1) {
            const VectorView v{m, false, 0};
            if (AllReal(v)) {
                acc = v[0].Real();
                CEachCell each;
                for (int k = 1; k < v.Length(); ++k) {
                    if (each.Stopped()) return Stopped();
                    acc = Step(acc, v[k].Real(), product);
                }
                out.SetReal(acc);
                return 0;
            }
        }
    }
    CValue acc = m.Cell(0, 0);
    int status = 0;
    CEachCell each;
    if (m.Rows() == 1) {
        for (int j = 1; j < m.Cols() && !status; ++j) status = each.Stopped() ? Stopped() : step(acc, m.Cell(0, j));
    } else if (m.Cols() == 1) {
        for (int i = 1; i < m.Rows() && !status; ++i) status = each.Stopped() ? Stopped() : step(acc, m.Cell(i, 0));
    }
    out.Swap(acc);
    return status;
}

// x + acc or x * acc with x the first operand, which is the NaN that passes
// on when both are NaN (x86's rule). The walk over Real cells below passes
// the row's NaN on; left to itself the compiler may put either operand first.
template <bool Product>
inline double StepRowFirst(double x, double acc)
{
#if defined(__SSE2__)
    if constexpr (Product)
        asm("mulsd %1, %0" : "+x"(x) : "x"(acc));
    else
        asm("addsd %1, %0" : "+x"(x) : "x"(acc));
    return x;
#else
    return Product ? x * acc : x + acc;
#endif
}

#if defined(__SSE2__)
template <bool Product>
inline __m128d StepRowFirst(__m128d x, __m128d acc)
{
    if constexpr (Product)
        asm("mulpd %1, %0" : "+x"(x) : "x"(acc));
    else
        asm("addpd %1, %0" : "+x"(x) : "x"(acc));
    return x;
}
#endif

// n (1 to 4) consecutive rows of a packed array into the running row a, each
// column taking them one after another. Four rows a pass: the running row is
// loaded and stored a quarter as often and four streams are read at once,
// which one stream does not match.
template <bool Product>
void FoldPackedRows(double* __restrict a, const double* __restrict rows, int n, int cols)
{
    int c = 0;
#if defined(__SSE2__)
    if (n == 4) {
        const double* r0 = rows;
        const double* r1 = r0 + cols;
        const double* r2 = r1 + cols;
        const double* r3 = r2 + cols;
        for (; c + 2 <= cols; c += 2) {
            __m128d t = _mm_loadu_pd(a + c);
            t = StepRowFirst<Product>(_mm_loadu_pd(r0 + c), t);
            t = StepRowFirst<Product>(_mm_loadu_pd(r1 + c), t);
            t = StepRowFirst<Product>(_mm_loadu_pd(r2 + c), t);
            t = StepRowFirst<Product>(_mm_loadu_pd(r3 + c), t);
            _mm_storeu_pd(a + c, t);
        }
    }
#endif
    for (; c < cols; ++c) {
        double t = a[c];
        for (int k = 0; k < n; ++k) t = StepRowFirst<Product>(rows[(size_t)k * cols + c], t);
        a[c] = t;
    }
}

// Sums or products of the columns of a matrix of Real cells, row after row
// into one row of running values: each column's numbers meet in the order
// of the cell walk down the column, so the results are the same doubles.
// False (out untouched) when a cell is not Real.
template <bool Product>
RealWalk FoldRealColumns(const CValueMatrix& m, CValueMatrix& out)
{
    const int rows = m.Rows(), cols = m.Cols();
    CCellStop stop;
    if (const double* p = m.PackedData()) {
        CValueMatrix t;
        if (t.ShapePacked(1, cols)) {
            double* __restrict a = t.PackedData();
            std::memcpy(a, p, (size_t)cols * sizeof(double));
            for (int r = 1; r < rows; r += 4) {
                const int n = rows - r < 4 ? rows - r : 4;
                if (stop.After((uint64_t)cols * (uint64_t)n)) return WALK_STOPPED;
                FoldPackedRows<Product>(a, p + (size_t)r * cols, n, cols);
            }
            out.Swap(t);
            return WALK_MADE;
        }
    }
    std::vector<double> acc((size_t)cols);
    uint32_t odd = 0;
    const CValue* first = m.Row(0);
    for (int c = 0; c < cols; ++c) {
        odd |= first[c].m_tag ^ VT_REAL;
        acc[c] = first[c].m_real;
    }
    double* a = acc.data();
    for (int r = 1; r < rows && !odd; ++r) {
        if (stop.After((uint64_t)cols)) return WALK_STOPPED;
        const CValue* row = m.Row(r);
        for (int c = 0; c < cols; ++c) {
            odd |= row[c].m_tag ^ VT_REAL;
            a[c] = Step(a[c], row[c].m_real, Product);
        }
    }
    if (odd) return WALK_NOT_REAL;
    CValueMatrix t;
    if (!ShapeWithUnsetCells(t, 1, cols)) return WALK_NOT_REAL;
    CValue* o = t.Row(0);
    for (int c = 0; c < cols; ++c) {
        o[c].m_real = a[c];
        o[c].m_tag = VT_REAL;
    }
    out.Swap(t);
    return WALK_MADE;
}

int FoldColumns(const CValueMatrix& m, CValueMatrix& out, Accumulate step)
{
    if (m.Rows() > 1 && m.Cols() > 0 && (step == ValueAdd || step == ValueMul)) {
        switch (step == ValueMul ? FoldRealColumns<true>(m, out) : FoldRealColumns<false>(m, out)) {
        case WALK_MADE: return 0;
        case WALK_STOPPED: return Stopped();
        case WALK_NOT_REAL: break;
        }
    }
    CValueMatrix t;
    if (m.Rows() > 0 && !t.Resize(1, m.Cols())) return 10;
    CEachCell each;
    for (int c = 0; c < t.Cols(); ++c) {
        t.Cell(0, c) = m.Cell(0, c);
        for (int i = 1; i < m.Rows(); ++i)
            if (int st = each.Stopped() ? Stopped() : step(t.Cell(0, c), m.Cell(i, c))) {
                out.Swap(t);
                return st;
            }
    }
    out.Swap(t);
    return 0;
}

}  // namespace

int CValueMatrix::CumSum(const CValueMatrix& src, CValueMatrix& out, bool* allReal)
{
    return Running(src, out, ValueAdd, allReal);
}
int CValueMatrix::CumProd(const CValueMatrix& src, CValueMatrix& out, bool* allReal)
{
    return Running(src, out, ValueMul, allReal);
}
int CValueMatrix::SumVector(CValue& out) const { return Fold(*this, out, ValueAdd, 0.0); }
int CValueMatrix::ProdVector(CValue& out) const { return Fold(*this, out, ValueMul, 1.0); }
int CValueMatrix::SumColumns(CValueMatrix& out) const { return FoldColumns(*this, out, ValueAdd); }
int CValueMatrix::ProdColumns(CValueMatrix& out) const { return FoldColumns(*this, out, ValueMul); }

void CValueMatrix::Reverse()
{
    ForEachVector(*this, [](const VectorView& v) {
        const int n = v.Length();
        for (int i = 0; i < n / 2; ++i) v[i].Swap(v[n - 1 - i]);
    });
}
