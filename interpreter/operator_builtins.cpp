// The range vector and the conjugate transpose, shared by the operators ".."
// and "'" and the built-in functions "fvec" and "trans".
#include "interpreter/operator_builtins.h"

#include <cmath>
#include <new>

#include "interpreter/expr_tree.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

// Cells of a range between two looks at the program's stop.
constexpr int kRangeStopBlock = 1 << 16;

// Whole number nearest to c, halves away from zero.
double NearestWhole(double c)
{
    if (c > 0) {
        double f = std::floor(c);
        return c - f >= 0.5 ? std::ceil(c) : f;
    }
    double u = std::ceil(c);
    return u - c >= 0.5 ? std::floor(c) : u;
}

// Conjugate of one cell: Real copied, Complex conjugated, Matrix cell by cell.
int ConjCell(const CValue& in, CValue& out)
{
    switch (in.Type()) {
    case VT_REAL: out = in; return 0;
    case VT_COMPLEX: {
        Complex z = in.ComplexRef();
        z.im = -z.im;
        out.SetComplex(z);
        return 0;
    }
    case VT_MATRIX: {
        const CValueMatrix& m = in.Matrix();
        CValue r;
        CValueMatrix& o = r.MakeMatrix(m.Rows(), m.Cols());
        int st = 0;
        for (int i = 0; i < m.Rows() && !st; ++i)
            for (int j = 0; j < m.Cols() && !st; ++j) st = ConjCell(m.Cell(i, j), o.Cell(i, j));
        out.Swap(r);
        return st;
    }
    default:
        ReportError() << "Invalid argument of conj function (" << in.TypeName() << ")";
        return 10;
    }
}

}  // namespace

StatusWord BuiltinFvec(CValue* start, CValue* stop, CValue* step, CValue* out)
{
    CValue first(*start);
    CValue q(*stop);
    if (int st = ValueSub(q, first)) return st;
    if (int st = ValueDiv(q, *step)) return st;
    double c;
    if (q.Type() == VT_REAL)
        c = q.Real();
    else if (q.Type() == VT_COMPLEX && q.ComplexRef().im == 0.0)
        c = q.ComplexRef().re;
    else
        return ERR_SCALAR_OPERANDS;
    c += 1.0;
    // A zero step or an infinite span gives no count at all.
    if (std::isnan(c) || c == INFINITY) return ERR_SCALAR_OPERANDS;
    double r = c == -INFINITY ? c : NearestWhole(c);
    if (!(std::fabs(r - c) < 1e-14)) r = std::floor(c);
    if (r < 1) {
        out->MakeMatrix(0, 0);
        return 0;
    }
    int n = 0;
    if (!DoubleToInt(r, n) || !ValueMatrixShapeFits(1, n)) {
        // A count the memory cannot hold is refused before anything is taken.
        ReportError() << "Matrix indexing (1," << r << ") is limits exceeded";
        return ERR_INTERNAL;
    }
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, n);
    if (m.Cols() != n) return ERR_SCALAR_OPERANDS;
    m.Cell(0, 0).Swap(first);
    int i = 1;
    if (m.Cell(0, 0).Type() == VT_REAL && step->Type() == VT_REAL) {
        // Real plus Real is a plain sum: the same additions as the loop below,
        // without a copy and the operator's dispatch per cell.
        CValue* row = m.Row(0);
        const double s = step->Real();
        double x = row[0].Real();
        CRealCells cells;
        // Out of memory: the loop below meets it as before. A long range
        // looks at the stop between blocks.
        while (i < n) {
            const int end = n - i > kRangeStopBlock ? i + kRangeStopBlock : n;
            for (; i < end && cells.Make(row[i], x + s); ++i) x += s;
            if (i < end) break;
            if (i < n && ThreadStopRequested()) return ERR_STOPPED;
        }
    }
    for (; i < n; ++i) {
        if ((i & (kRangeStopBlock - 1)) == 0 && ThreadStopRequested()) return ERR_STOPPED;
        m.Cell(0, i) = m.Cell(0, i - 1);
        if (int st = ValueAdd(m.Cell(0, i), *step)) {
            out->Swap(v);
            return st;
        }
    }
    out->Swap(v);
    return 0;
}

// The transpose of a matrix of Real cells only, in tiles so that both sides
// are read and written a cache line at a time: 0 (o the transpose), 1 for
// any other matrix, ERR_STOPPED once the program stopped (o empty for both).
int TransposeReals(const CValueMatrix& m, CValueMatrix& o)
{
    constexpr int kTile = 32;
    const int rows = m.Rows(), cols = m.Cols();
    CCellStop stop;
    if (const double* p = m.PackedData(); p && o.ShapePacked(cols, rows)) {
        double* t = o.PackedData();
        for (int i0 = 0; i0 < rows; i0 += kTile) {
            const int i1 = i0 + kTile < rows ? i0 + kTile : rows;
            for (int j0 = 0; j0 < cols; j0 += kTile) {
                const int j1 = j0 + kTile < cols ? j0 + kTile : cols;
                for (int i = i0; i < i1; ++i) {
                    const double* in = p + (size_t)i * cols;
                    for (int j = j0; j < j1; ++j) t[(size_t)j * rows + i] = in[j];
                }
                if (stop.After((uint64_t)(i1 - i0) * (uint64_t)(j1 - j0))) {
                    o.Free();
                    return ERR_STOPPED;
                }
            }
        }
        return 0;
    }
    if (!ShapeWithUnsetCells(o, cols, rows)) return 1;
    for (int i0 = 0; i0 < rows; i0 += kTile) {
        const int i1 = i0 + kTile < rows ? i0 + kTile : rows;
        for (int j0 = 0; j0 < cols; j0 += kTile) {
            const int j1 = j0 + kTile < cols ? j0 + kTile : cols;
            for (int i = i0; i < i1; ++i) {
                const CValue* in = m.Row(i);
                for (int j = j0; j < j1; ++j) {
                    if (in[j].m_tag != VT_REAL) {
                        // The cells written so far own nothing: the rows go back bare.
                        FreeUnsetCells(o);
                        return 1;
                    }
                    CValue& cell = o.Row(j)[i];
                    cell.m_real = in[j].m_real;
                    cell.m_tag = VT_REAL;
                }
            }
            if (stop.After((uint64_t)(i1 - i0) * (uint64_t)(j1 - j0))) {
                FreeUnsetCells(o);
                return ERR_STOPPED;
            }
        }
    }
    return 0;
}

StatusWord BuiltinTrans(CValue* arg, CValue* out)
{
    switch (arg->Type()) {
    case VT_COMPLEX: {
        Complex z = arg->ComplexRef();
        z.im = -z.im;
        out->SetComplex(z);
        return 0;
    }
    case VT_MATRIX: {
        const CValueMatrix& m = arg->Matrix();
        {
            CValue r;
            const int reals = TransposeReals(m, r.MakeMatrix(0, 0));
            if (reals == ERR_STOPPED) return ERR_STOPPED;
            if (reals == 0) {
                out->Swap(r);
                NoteAllRealResult(*out);
                return 0;
            }
        }
        CValue r;
        CValueMatrix& o = r.MakeMatrix(m.Cols(), m.Rows());
        int st = 0;
        if (o.Rows() != m.Cols() || o.Cols() != m.Rows()) return ERR_INTERNAL_SUPPORT;
        CRealCells reals;
        CCellStop stop;
        for (int i = 0; i < o.Rows() && !st; ++i) {
            CValue* row = o.Row(i);
            for (int j = 0; j < o.Cols() && !st; ++j) {
                if (stop.After(1)) return ERR_STOPPED;
                const CValue& in = m.Cell(j, i);
                // Real cells, nearly always all of them, skip the dispatch.
                if (in.Tag() == VT_REAL && reals.Make(row[j], in.Real())) continue;
                st = ConjCell(in, row[j]);
            }
        }
        out->Swap(r);
        return st;
    }
    default:
        if (out != arg) *out = *arg;
        return 0;
    }
}
