// Running sums and products, sums and products of vectors and columns, and
// reversal over value matrices.
#include <cstring>
#include <new>
#include <vector>

#include "values/elementary.h"
#include "values/operators.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

// A walk that saw the program's stop ends as a refused allocation does: the
// statement fails with the stop and keeps no result.
int Stopped()
{
    NoteOutOfMemory();
    return 10;
}

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
            double* a = t.PackedData();
            std::memcpy(a, p, (size_t)cols * sizeof(double));
            for (int r = 1; r < rows; ++r) {
                if (stop.After((uint64_t)cols)) return WALK_STOPPED;
                const double* row = p + (size_t)r * cols;
                for (int c = 0; c < cols; ++c) a[c] = Step(a[c], row[c], Product);
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
