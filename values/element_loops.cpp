// In-place loops that apply an arithmetic operator cell by cell, row-major.
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

using CellOp = int (*)(CValue&, const CValue&);

// Real with Real is by far the commonest pair of cells; it is done here
// without the operator's dispatch. The operators give exactly these results.
enum RealOp { REAL_ADD, REAL_SUB, REAL_MUL, REAL_DIV, REAL_NONE };

template <RealOp R>
inline double Apply(double x, double y)
{
    if constexpr (R == REAL_ADD) x += y;
    if constexpr (R == REAL_SUB) x -= y;
    if constexpr (R == REAL_MUL) x *= y;
    if constexpr (R == REAL_DIV) x /= y;
    return x;
}

template <RealOp R>
inline bool RealCells(CValue& a, const CValue& b)
{
    if constexpr (R == REAL_NONE) {
        return false;
    } else {
        if (a.Type() != VT_REAL || b.Type() != VT_REAL) return false;
        a.Real() = Apply<R>(a.Real(), b.Real());
        return true;
    }
}

bool SameShape(const CValueMatrix& a, const CValueMatrix& b)
{
    return a.Cols() == b.Cols() && a.Rows() == b.Rows();
}

// A loop that saw the program's stop ends as a refused allocation does: the
// statement fails with the stop and keeps no result.
int Stopped()
{
    NoteOutOfMemory();
    return kReported;
}

thread_local bool t_inPlaceAside = false;

// A packed array of a's shape, for numbers that replace a variable's: a
// stop then leaves them as they were. False, with nothing noted, for a
// value of the statement's own, when no room is left (the caller works in
// place) or the work is too short for a stop to be seen.
bool ShapeAside(CValueMatrix& o, const CValueMatrix& a)
{
    if (!t_inPlaceAside || (uint64_t)a.Rows() * (uint64_t)a.Cols() <= kCellStopBlock) return false;
    const bool noted = TakeOutOfMemory();
    const bool made = o.ShapePacked(a.Rows(), a.Cols());
    TakeOutOfMemory();
    if (noted) NoteOutOfMemory();
    return made;
}

// What the packed loops below made.
enum PackedMade { PACKED_NOT, PACKED_MADE, PACKED_STOPPED };

// out (empty) becomes the packed f(x) of every number x of m; false (out
// left empty) when m has a cell that is not Real or no packed array is made.
template <class F>
PackedMade PackedFromOne(CValueMatrix& out, const CValueMatrix& m, F f)
{
    if (m.IsEmpty() || !out.ShapePacked(m.Rows(), m.Cols())) return PACKED_NOT;
    double* o = out.PackedData();
    const size_t cols = (size_t)m.Cols();
    if (const double* p = m.PackedData()) {
        if (WalkStopBlocks((size_t)m.Rows() * cols, [o, p, f](size_t i0, size_t i1) {
                for (size_t i = i0; i < i1; ++i) o[i] = f(p[i]);
            }))
            return PACKED_MADE;
        out.Free();
        return PACKED_STOPPED;
    }
    uint32_t odd = 0;
    const bool done = WalkRowBlocks(m.Rows(), m.Cols(), [&, f](int r, int c0, int c1) {
        if (odd) return;  // the cell path makes it
        const CValue* row = m.Row(r);
        double* to = o + (size_t)r * cols;
        uint32_t rowOdd = 0;
        for (int c = c0; c < c1; ++c) {
            rowOdd |= row[c].m_tag ^ VT_REAL;
            to[c] = f(row[c].m_real);
        }
        odd |= rowOdd;
    });
    if (done && !odd) return PACKED_MADE;
    out.Free();
    return odd ? PACKED_NOT : PACKED_STOPPED;
}

// The same for two matrices of one shape: f(x, y) of their numbers.
template <class F>
PackedMade PackedFromTwo(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, F f)
{
    if (a.IsEmpty() || !SameShape(a, b) || !out.ShapePacked(a.Rows(), a.Cols())) return PACKED_NOT;
    double* o = out.PackedData();
    const size_t cols = (size_t)a.Cols();
    const double* pa = a.PackedData();
    const double* pb = b.PackedData();
    if (pa && pb) {
        if (WalkStopBlocks((size_t)a.Rows() * cols, [o, pa, pb, f](size_t i0, size_t i1) {
                for (size_t i = i0; i < i1; ++i) o[i] = f(pa[i], pb[i]);
            }))
            return PACKED_MADE;
        out.Free();
        return PACKED_STOPPED;
    }
    uint32_t odd = 0;
    const bool done = WalkRowBlocks(a.Rows(), a.Cols(), [&, f](int r, int c0, int c1) {
        if (odd) return;  // the cell path makes it
        const CValue* ra = pa ? nullptr : a.Row(r);
        const CValue* rb = pb ? nullptr : b.Row(r);
        double* to = o + (size_t)r * cols;
        uint32_t blockOdd = 0;
        for (size_t c = (size_t)c0; c < (size_t)c1; ++c) {
            double x, y;
            if (pa)
                x = pa[(size_t)r * cols + c];
            else {
                blockOdd |= ra[c].m_tag ^ VT_REAL;
                x = ra[c].m_real;
            }
            if (pb)
                y = pb[(size_t)r * cols + c];
            else {
                blockOdd |= rb[c].m_tag ^ VT_REAL;
                y = rb[c].m_real;
            }
            to[c] = f(x, y);
        }
        odd |= blockOdd;
    });
    if (done && !odd) return PACKED_MADE;
    out.Free();
    return odd ? PACKED_NOT : PACKED_STOPPED;
}

// stopAtFailure: the element-wise product and quotient stop at a failing cell;
// the plain operators report per cell and go on.
// allReal, when given, tells whether every cell pair was Real with Real (so
// every cell of a is Real afterwards).
template <RealOp R>
int WithMatrix(CValueMatrix& a, const CValueMatrix& b, CellOp op, const char* shapeText, bool stopAtFailure,
               bool* allReal = nullptr)
{
    if (allReal) *allReal = false;
    if (!SameShape(a, b)) {
        ReportError() << shapeText;
        return kReported;
    }
    if constexpr (R != REAL_NONE) {
        double* pa = a.PackedData();
        const double* pb = b.PackedData();
        if (pa && pb) {
            const size_t n = (size_t)a.Rows() * (size_t)a.Cols();
            if (allReal) *allReal = true;
            CValueMatrix o;
            if (!ShapeAside(o, a)) {
                if (WalkStopBlocks(n, [pa, pb](size_t i0, size_t i1) {
                        for (size_t i = i0; i < i1; ++i) pa[i] = Apply<R>(pa[i], pb[i]);
                    }))
                    return 0;
                if (allReal) *allReal = false;
                return Stopped();
            }
            double* po = o.PackedData();
            if (!WalkStopBlocks(n, [po, pa, pb](size_t i0, size_t i1) {
                    for (size_t i = i0; i < i1; ++i) po[i] = Apply<R>(pa[i], pb[i]);
                })) {
                if (allReal) *allReal = false;
                return Stopped();
            }
            a.Swap(o);
            return 0;
        }
    }
    bool all = true;
    CEachCell each;
    for (int r = 0; r < a.Rows(); ++r) {
        CValue* ra = a.Row(r);
        const CValue* rb = b.Row(r);
        for (int c = 0; c < a.Cols(); ++c) {
            if (each.Stopped()) return Stopped();
            if (RealCells<R>(ra[c], rb[c])) continue;
            all = false;
            int st = op(ra[c], rb[c]);
            if (st && stopAtFailure) return st;
        }
    }
    if (allReal) *allReal = all;
    return 0;
}

template <RealOp R>
int WithScalar(CValueMatrix& a, const CValue& s, CellOp op, bool stopAtFailure)
{
    if constexpr (R != REAL_NONE) {
        if (double* pa = s.Tag() == VT_REAL ? a.PackedData() : nullptr) {
            const double x = s.Real();
            const size_t n = (size_t)a.Rows() * (size_t)a.Cols();
            CValueMatrix o;
            if (!ShapeAside(o, a)) {
                if (WalkStopBlocks(n, [pa, x](size_t i0, size_t i1) {
                        for (size_t i = i0; i < i1; ++i) pa[i] = Apply<R>(pa[i], x);
                    }))
                    return 0;
                return Stopped();
            }
            double* po = o.PackedData();
            if (!WalkStopBlocks(n, [po, pa, x](size_t i0, size_t i1) {
                    for (size_t i = i0; i < i1; ++i) po[i] = Apply<R>(pa[i], x);
                }))
                return Stopped();
            a.Swap(o);
            return 0;
        }
    }
    CEachCell each;
    for (int r = 0; r < a.Rows(); ++r) {
        CValue* ra = a.Row(r);
        for (int c = 0; c < a.Cols(); ++c) {
            if (each.Stopped()) return Stopped();
            if (RealCells<R>(ra[c], s)) continue;
            int st = op(ra[c], s);
            if (st && stopAtFailure) return st;
        }
    }
    return 0;
}

template <RealOp R>
int ScalarWith(CValueMatrix& dest, const CValue& s, const CValueMatrix& m, CellOp op, bool stopAtFailure)
{
    if (&dest == &m) {
        CValueMatrix copy(m);
        return ScalarWith<R>(dest, s, copy, op, stopAtFailure);
    }
    CValue scalar(s);  // s may be a cell of dest
    if constexpr (R != REAL_NONE) {
        if (scalar.Tag() == VT_REAL) {
            const double x = scalar.Real();
            CValueMatrix packed;
            switch (PackedFromOne(packed, m, [x](double y) { return Apply<R>(x, y); })) {
            case PACKED_MADE: dest.Swap(packed); return 0;
            case PACKED_STOPPED: return Stopped();
            case PACKED_NOT: break;
            }
        }
    }
    if (!dest.Resize(m.Rows(), m.Cols())) return kReported;  // refused or stopped: noted
    const bool realScalar = scalar.Type() == VT_REAL;
    CEachCell each;
    for (int r = 0; r < dest.Rows(); ++r) {
        CValue* rd = dest.Row(r);
        const CValue* rm = m.Row(r);
        for (int c = 0; c < dest.Cols(); ++c) {
            if (each.Stopped()) return Stopped();
            CValue& cell = rd[c];
            if (R != REAL_NONE && realScalar && rm[c].Type() == VT_REAL) {
                // The cell's own payload is reused: only its number is visible.
                if (double* x = cell.AsReal()) {
                    *x = scalar.Real();
                    RealCells<R>(cell, rm[c]);
                    continue;
                }
            }
            cell = scalar;
            int st = op(cell, rm[c]);
            if (st && stopAtFailure) return st;
        }
    }
    return 0;
}

}  // namespace

CInPlaceAside::CInPlaceAside() : m_prev(t_inPlaceAside) { t_inPlaceAside = true; }
CInPlaceAside::~CInPlaceAside() { t_inPlaceAside = m_prev; }

namespace {
const char kAddShape[] = "Addition, matrices must be a same sizes";
const char kSubShape[] = "Subtraction, matrices must be a same sizes";
const char kMulShape[] = "Multiplication, matrix dimensions must be an agree";
const char kDivShape[] = "Division, matrix dimensions must be an agree";
}  // namespace

int MatrixAddMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix<REAL_ADD>(a, b, ValueAdd, kAddShape, false);
}

int MatrixSubMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix<REAL_SUB>(a, b, ValueSub, kSubShape, false);
}

int MatrixElemMulMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix<REAL_MUL>(a, b, ValueElemMul, kMulShape, true);
}

int MatrixElemDivMatrix(CValueMatrix& a, const CValueMatrix& b)
{
    return WithMatrix<REAL_DIV>(a, b, ValueElemDiv, kDivShape, true);
}

int MatrixElementwise(CValueMatrix& a, const CValueMatrix& b, ElementOp op, bool& allReal)
{
    switch (op) {
    case ELEM_ADD: return WithMatrix<REAL_ADD>(a, b, ValueAdd, kAddShape, false, &allReal);
    case ELEM_SUB: return WithMatrix<REAL_SUB>(a, b, ValueSub, kSubShape, false, &allReal);
    case ELEM_MUL: return WithMatrix<REAL_MUL>(a, b, ValueElemMul, kMulShape, true, &allReal);
    default: return WithMatrix<REAL_DIV>(a, b, ValueElemDiv, kDivShape, true, &allReal);
    }
}

int MatrixAddScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_ADD>(a, CValue(s), ValueAdd, false); }
int MatrixSubScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_SUB>(a, CValue(s), ValueSub, false); }
int MatrixMulScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_MUL>(a, CValue(s), ValueMul, false); }
int MatrixDivScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_DIV>(a, CValue(s), ValueDiv, false); }
int MatrixElemMulScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_MUL>(a, CValue(s), ValueElemMul, true); }
int MatrixElemDivScalar(CValueMatrix& a, const CValue& s) { return WithScalar<REAL_DIV>(a, CValue(s), ValueElemDiv, true); }

int ScalarAddMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith<REAL_ADD>(dest, s, m, ValueAdd, false);
}

int ScalarSubMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith<REAL_SUB>(dest, s, m, ValueSub, false);
}

int ScalarMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith<REAL_MUL>(dest, s, m, ValueMul, false);
}

int ScalarElemMulMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith<REAL_MUL>(dest, s, m, ValueElemMul, true);
}

int ScalarElemDivMatrix(CValueMatrix& dest, const CValue& s, const CValueMatrix& m)
{
    return ScalarWith<REAL_DIV>(dest, s, m, ValueElemDiv, true);
}

namespace {

template <RealOp R>
int ElementwiseCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, CellOp op, bool stopAtFailure,
                    bool* allReal)
{
    if (allReal) *allReal = false;
    if constexpr (R != REAL_NONE) {
        CValueMatrix packed;
        switch (PackedFromTwo(packed, a, b, [](double x, double y) { return Apply<R>(x, y); })) {
        case PACKED_MADE:
            out.Swap(packed);
            if (allReal) *allReal = true;
            return 0;
        case PACKED_STOPPED: return Stopped();
        case PACKED_NOT: break;
        }
    }
    // Every cell below is written once, so the cells start unset.
    CValueMatrix r;
    int live = 0;  // old cells at the start of a single row, ended as they are overwritten
    if (a.Rows() > 0 && a.Cols() > 0 && !ShapeOverFreedCells(r, a.Rows(), a.Cols(), live)) {
        // No room for the new matrix: the plain route reports what it meets.
        r = a;
        int st = WithMatrix<R>(r, b, op, "", stopAtFailure);
        out.Swap(r);
        return st;
    }
    int status = 0;
    bool all = true, stopped = false;
    CRealCells cells;
    CEachCell each;
    for (int i = 0; i < r.Rows(); ++i) {
        CValue* rr = r.Row(i);
        const CValue* ra = a.Row(i);
        const CValue* rb = b.Row(i);
        for (int j = 0; j < r.Cols(); ++j) {
            if (j < live) rr[j].~CValue();
            if (!stopped && each.Stopped()) stopped = true;
            if (stopped) {
                new (rr + j) CValue();  // every cell is set, for r's end
                continue;
            }
            if (!status && ra[j].Type() == VT_REAL && rb[j].Type() == VT_REAL) {
                if (cells.Make(rr[j], Apply<R>(ra[j].Real(), rb[j].Real()))) continue;
            }
            all = false;
            rr[j].CopyFrom(ra[j]);
            if (status) continue;
            int st = op(rr[j], rb[j]);
            if (st && stopAtFailure) status = st;
        }
    }
    if (stopped) return Stopped();
    out.Swap(r);
    if (allReal) *allReal = all;
    return status;
}

}  // namespace

int MatrixElementwiseCopy(CValueMatrix& out, const CValueMatrix& a, const CValueMatrix& b, ElementOp op,
                          bool* allReal)
{
    switch (op) {
    case ELEM_ADD: return ElementwiseCopy<REAL_ADD>(out, a, b, ValueAdd, false, allReal);
    case ELEM_SUB: return ElementwiseCopy<REAL_SUB>(out, a, b, ValueSub, false, allReal);
    case ELEM_MUL: return ElementwiseCopy<REAL_MUL>(out, a, b, ValueElemMul, true, allReal);
    default: return ElementwiseCopy<REAL_DIV>(out, a, b, ValueElemDiv, true, allReal);
    }
}

namespace {

// Real cell with Real scalar for each operator; the comparisons count an
// unordered pair (a NaN) as both less and equal, as the operators do.
template <ScalarOp S>
inline double RealWithScalar(double x, double s)
{
    if constexpr (S == SCALAR_ADD) return x + s;
    if constexpr (S == SCALAR_SUB) return x - s;
    if constexpr (S == SCALAR_MUL) return x * s;
    if constexpr (S == SCALAR_DIV) return x / s;
    if constexpr (S == SCALAR_GT) return TruthValue(x > s);
    if constexpr (S == SCALAR_LT) return TruthValue(!(x >= s));
    if constexpr (S == SCALAR_GE) return TruthValue(x >= s);
    if constexpr (S == SCALAR_LE) return TruthValue(!(x > s));
    if constexpr (S == SCALAR_EQ) return TruthValue(!((x < s) | (x > s)));
    if constexpr (S == SCALAR_NE) return TruthValue((x < s) | (x > s));
    return 0.0;
}

// One row of Real cells into a row whose cells are not set: a loop without
// branches the compiler vectorises. False at once when a cell is not Real
// (the row's cells are then set but own nothing).
template <ScalarOp S>
bool RealRowWithScalar(const CValue* in, CValue* out, int n, double s)
{
    uint32_t odd = 0;
    for (int j = 0; j < n; ++j) {
        odd |= in[j].m_tag ^ VT_REAL;
        out[j].m_real = RealWithScalar<S>(in[j].m_real, s);
        out[j].m_tag = VT_REAL;
    }
    return odd == 0;
}

template <ScalarOp S>
int ScalarCopy(CValueMatrix& out, const CValueMatrix& m, const CValue& s, CellOp op, bool stopAtFailure,
               bool* allReal)
{
    if (allReal) *allReal = false;
    {
        const double x = s.Real();
        CValueMatrix packed;
        switch (PackedFromOne(packed, m, [x](double y) { return RealWithScalar<S>(y, x); })) {
        case PACKED_MADE:
            out.Swap(packed);
            if (allReal) *allReal = true;
            return 0;
        case PACKED_STOPPED: return Stopped();
        case PACKED_NOT: break;
        }
    }
    CValueMatrix r;
    int live = 0;  // old cells at the start of a single row, ended as they are overwritten
    if (m.Rows() == 0 || m.Cols() == 0 || !ShapeOverFreedCells(r, m.Rows(), m.Cols(), live)) {
        // Nothing to make, or no room: copy and apply in place.
        r = m;
        int st = 0;
        CEachCell each;
        for (int i = 0; i < r.Rows(); ++i)
            for (int j = 0; j < r.Cols(); ++j) {
                if (each.Stopped()) return Stopped();
                st = op(r.Cell(i, j), s);
                if (st && stopAtFailure) {
                    out.Swap(r);
                    return st;
                }
            }
        out.Swap(r);
        return 0;
    }
    const double x = s.Real();
    int status = 0;
    bool all = true, stopped = false;
    CCellStop stop;
    CEachCell each;
    for (int i = 0; i < r.Rows(); ++i) {
        CValue* rr = r.Row(i);
        const CValue* rm = m.Row(i);
        int j = 0;
        if (!stopped && i && stop.After((uint64_t)r.Cols())) stopped = true;
        if (stopped) {
            // Every cell is set, for r's end.
            for (; j < r.Cols(); ++j) {
                if (j < live) rr[j].~CValue();
                new (rr + j) CValue();
            }
            live = 0;
            continue;
        }
        if (live > 0) {
            // The old cells of a reused row end as the new ones come.
            for (; j < live && rm[j].m_tag == VT_REAL; ++j) {
                if (each.Stopped()) {
                    stopped = true;  // the walk below ends the rest
                    break;
                }
                rr[j].~CValue();
                rr[j].m_real = RealWithScalar<S>(rm[j].m_real, x);
                rr[j].m_tag = VT_REAL;
            }
            if (j == live) live = 0;
        }
        if (live == 0 && !status && !stopped) {
            // In blocks, so that one wide row looks at the stop too. A block
            // with a cell that is not Real goes again cell by cell.
            bool real = true;
            while (j < r.Cols()) {
                const int end = r.Cols() - j > (int)kCellStopBlock ? j + (int)kCellStopBlock : r.Cols();
                if (!RealRowWithScalar<S>(rm + j, rr + j, end - j, x)) {
                    real = false;
                    break;
                }
                j = end;
                if (j < r.Cols() && stop.After(kCellStopBlock)) {
                    stopped = true;
                    break;
                }
            }
            if (real && !stopped) continue;
        }
        // A cell that is not Real from j on: the cells go one by one, as a
        // copy of m followed by op on each cell would make them.
        for (; j < r.Cols(); ++j) {
            if (j < live) rr[j].~CValue();
            if (!stopped && each.Stopped()) stopped = true;
            if (stopped) {
                new (rr + j) CValue();
                continue;
            }
            if (!status && rm[j].m_tag == VT_REAL) {
                rr[j].m_real = RealWithScalar<S>(rm[j].m_real, x);
                rr[j].m_tag = VT_REAL;
                continue;
            }
            all = false;
            new (rr + j) CValue();
            rr[j].CopyFrom(rm[j]);
            if (status) continue;
            int st = op(rr[j], s);
            if (st && stopAtFailure) status = st;
        }
        live = 0;
    }
    if (stopped) return Stopped();
    out.Swap(r);
    if (allReal) *allReal = all;
    return status;
}

}  // namespace

int MatrixScalarCopy(CValueMatrix& out, const CValueMatrix& m, const CValue& s, ScalarOp op, CellOp cellOp,
                     bool stopAtFailure, bool* allReal)
{
    if (s.Tag() != VT_REAL) {
        if (allReal) *allReal = false;
        out = m;
        CEachCell each;
        for (int i = 0; i < out.Rows(); ++i)
            for (int j = 0; j < out.Cols(); ++j) {
                if (each.Stopped()) return Stopped();
                int st = cellOp(out.Cell(i, j), s);
                if (st && stopAtFailure) return st;
            }
        return 0;
    }
    switch (op) {
    case SCALAR_ADD: return ScalarCopy<SCALAR_ADD>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_SUB: return ScalarCopy<SCALAR_SUB>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_MUL: return ScalarCopy<SCALAR_MUL>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_DIV: return ScalarCopy<SCALAR_DIV>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_GT: return ScalarCopy<SCALAR_GT>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_LT: return ScalarCopy<SCALAR_LT>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_GE: return ScalarCopy<SCALAR_GE>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_LE: return ScalarCopy<SCALAR_LE>(out, m, s, cellOp, stopAtFailure, allReal);
    case SCALAR_EQ: return ScalarCopy<SCALAR_EQ>(out, m, s, cellOp, stopAtFailure, allReal);
    default: return ScalarCopy<SCALAR_NE>(out, m, s, cellOp, stopAtFailure, allReal);
    }
}
