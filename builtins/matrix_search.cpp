// any, all, find and max/min: they look at cells without arithmetic on them.
#include <utility>
#include <vector>

#include "builtins/matrix_builtins.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

bool IsHandleLike(const CValue& v)
{
    switch (v.Type()) {
    case VT_POINTER:
    case VT_IDENTIFIER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: return true;
    default: return false;
    }
}

bool IsZeroNumber(const CValue& v)
{
    if (v.Type() == VT_REAL) return v.Real() == 0.0;
    const Complex& z = v.ComplexRef();
    return z.re == 0.0 && z.im == 0.0;
}

// a = a OR b (or AND) in place.
int CombineCells(CValue& a, const CValue& b, bool isAnd)
{
    if (a.IsNumber() && b.IsNumber()) {
        const bool za = IsZeroNumber(a), zb = IsZeroNumber(b);
        a.SetReal(isAnd ? (!za && !zb) : (!za || !zb));
        return 0;
    }
    if (a.Type() == VT_MATRIX && b.Type() == VT_MATRIX) {
        CValueMatrix& ma = a.Matrix();
        const CValueMatrix& mb = b.Matrix();
        if (ma.Rows() != mb.Rows() || ma.Cols() != mb.Cols()) return ERR_MULTIDIMENSIONAL;
        for (int r = 0; r < ma.Rows(); ++r)
            for (int c = 0; c < ma.Cols(); ++c)
                if (int st = CombineCells(ma.Cell(r, c), mb.Cell(r, c), isAnd)) return st;
        return 0;
    }
    if (IsHandleLike(a) && IsHandleLike(b)) {
        const bool na = a.GetPayload() != 0, nb = b.GetPayload() != 0;
        a.SetReal(isAnd ? (na && nb) : (na || nb));
        return 0;
    }
    ReportError() << "Elements of an arguments is invalid or not agreed";
    return ERR_INTERNAL;
}

// The outcome is already decided: any met a true number, all a false one.
bool Decided(const CValue& v, bool isAnd)
{
    if (v.Type() == VT_REAL) return isAnd ? v.Real() == 0.0 : v.Real() != 0.0;
    if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0.0)
        return isAnd ? v.ComplexRef().re == 0.0 : v.ComplexRef().re != 0.0;
    return false;
}

// Folds cells first, first+1, ... (count of them, reached by at(i)) into acc.
template <typename At>
int FoldCells(CValue& acc, int count, At at, bool isAnd)
{
    acc = at(0);
    for (int i = 1; i < count; ++i) {
        if (int st = CombineCells(acc, at(i), isAnd)) return st;
        if (Decided(acc, isAnd)) break;
    }
    return 0;
}

// The folds above over a packed matrix. After one step the fold holds 0 or
// 1 and a decided one stays so, so the columns may run side by side without
// stopping early. False (out untouched) when m is not packed.
bool PackedReduce(const CValueMatrix& m, CValue& out, bool isAnd)
{
    const double* p = m.PackedData();
    if (!p) return false;
    const size_t rows = (size_t)m.Rows(), cols = (size_t)m.Cols();
    if (rows == 1 || cols == 1) {
        const size_t n = rows * cols;
        double acc = p[0];
        for (size_t i = 1; i < n; ++i) {
            const bool a = acc != 0.0, b = p[i] != 0.0;
            acc = (isAnd ? a && b : a || b) ? 1.0 : 0.0;
            if (isAnd ? acc == 0.0 : acc != 0.0) break;
        }
        out.SetReal(acc);
        return true;
    }
    std::vector<unsigned char> truth(cols);
    for (size_t c = 0; c < cols; ++c) truth[c] = p[c] != 0.0;
    for (size_t r = 1; r < rows; ++r) {
        const double* row = p + r * cols;
        if (isAnd)
            for (size_t c = 0; c < cols; ++c) truth[c] &= row[c] != 0.0;
        else
            for (size_t c = 0; c < cols; ++c) truth[c] |= row[c] != 0.0;
    }
    CValue result;
    CValueMatrix& o = result.MakeMatrix(0, 0);
    if (o.ShapePacked(1, (int)cols)) {
        double* t = o.PackedData();
        for (size_t c = 0; c < cols; ++c) t[c] = truth[c] ? 1.0 : 0.0;
    } else {
        CValueMatrix& cells = result.MakeMatrix(1, (int)cols);
        if (cells.Cols() != (int)cols) return false;
        for (size_t c = 0; c < cols; ++c) cells.Cell(0, (int)c).SetReal(truth[c] ? 1.0 : 0.0);
    }
    out.Swap(result);
    return true;
}

StatusWord Reduce(CValue* x, CValue* out, bool isAnd)
{
    if (x->IsNumber()) {
        out->SetReal(IsZeroNumber(*x) ? 0.0 : 1.0);
        return 0;
    }
    if (IsHandleLike(*x)) {
        out->SetReal(x->GetPayload() != 0 ? 1.0 : 0.0);
        return 0;
    }
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;

    CValue own;  // the argument stays readable while out is written
    own.Swap(*x);
    const CValueMatrix& m = own.Matrix();
    int st = 0;
    if (PackedReduce(m, *out, isAnd)) {
    } else if (m.Rows() == 1) {
        st = FoldCells(*out, m.Cols(), [&](int i) -> const CValue& { return m.Cell(0, i); }, isAnd);
    } else if (m.Cols() == 1) {
        st = FoldCells(*out, m.Rows(), [&](int i) -> const CValue& { return m.Cell(i, 0); }, isAnd);
    } else {
        CValueMatrix& r = out->MakeMatrix(m.Rows() > 0 ? 1 : 0, m.Cols());
        for (int c = 0; c < r.Cols() && !st; ++c)
            st = FoldCells(r.Cell(0, c), m.Rows(), [&](int i) -> const CValue& { return m.Cell(i, c); }, isAnd);
    }
    if (x != out) x->Swap(own);
    return st;
}

// A row vector of Reals; empty when there are none.
void SetRealRow(CValue& out, const std::vector<double>& values)
{
    CValueMatrix& m = out.MakeMatrix(values.empty() ? 0 : 1, (int)values.size());
    for (int i = 0; i < m.Cols(); ++i) m.Cell(0, i).SetReal(values[(size_t)i]);
}

// Shared body of the two- and three-output forms.
StatusWord FindPairs(CValue* x, CValue* out, bool withValues)
{
    CValue result;
    CValueMatrix& o = result.MakeMatrix(1, withValues ? 3 : 2);
    if (o.Cols() == 0) return ERR_INTERNAL;
    if (x->IsNumber() || IsHandleLike(*x)) {
        const bool zero = x->IsNumber() ? x->GetComplex().re == 0.0 : x->GetPayload() == 0;
        if (zero) {
            for (int i = 0; i < o.Cols(); ++i) o.Cell(0, i).MakeMatrix(0, 0);
        } else {
            o.Cell(0, 0).SetReal(1.0);
            o.Cell(0, 1).SetReal(1.0);
            if (withValues) o.Cell(0, 2) = *x;
        }
    } else if (x->Type() == VT_MATRIX) {
        std::vector<std::pair<int, int>> pairs;
        std::vector<CValue*> cells;
        if (!x->Matrix().FindNonZeroWithValues(pairs, cells)) return ERR_STOPPED;
        std::vector<double> rows, cols;
        for (const auto& p : pairs) {
            rows.push_back(p.first + 1.0);
            cols.push_back(p.second + 1.0);
        }
        SetRealRow(o.Cell(0, 0), rows);
        SetRealRow(o.Cell(0, 1), cols);
        if (withValues) {
            CValueMatrix& v = o.Cell(0, 2).MakeMatrix(cells.empty() ? 0 : 1, (int)cells.size());
            for (int i = 0; i < v.Cols(); ++i) v.Cell(0, i) = *cells[(size_t)i];
        }
    } else {
        out->Swap(result);  // the outputs stay empty
        return ERR_ARGUMENT_TYPE;
    }
    out->Swap(result);
    return 0;
}

StatusWord Extreme(CValue** args, int count, CValue* out, bool isMax)
{
    if (count < 1) return ERR_ARGUMENT_TYPE;
    auto candidate = [isMax](const CValue& v) -> const CValue& {
        if (v.Type() != VT_MATRIX) return v;
        return *(isMax ? MaxOfMatrix(v.Matrix()) : MinOfMatrix(v.Matrix()));
    };
    CValue best = candidate(*args[0]);
    for (int i = 1; i < count; ++i) {
        const CValue& c = candidate(*args[i]);
        if (ExtremeReplaces(c, best, isMax)) best = c;
    }
    out->Swap(best);
    return 0;
}

}  // namespace

StatusWord BuiltinAny(CValue* x, CValue* out) { return Reduce(x, out, false); }
StatusWord BuiltinAll(CValue* x, CValue* out) { return Reduce(x, out, true); }

StatusWord BuiltinFind(CValue* x, CValue* out)
{
    CValue result;
    if (x->IsNumber() || IsHandleLike(*x)) {
        const bool zero = x->IsNumber() ? x->GetComplex().re == 0.0 : x->GetPayload() == 0;
        if (zero)
            result.MakeMatrix(0, 0);
        else
            result.SetReal(1.0);
    } else if (x->Type() == VT_MATRIX) {
        std::vector<int64_t> found;
        if (!x->Matrix().FindNonZero(found)) return ERR_STOPPED;
        std::vector<double> positions;
        positions.reserve(found.size());
        for (int64_t k : found) positions.push_back((double)k + 1.0);
        SetRealRow(result, positions);
    } else {
        return ERR_ARGUMENT_TYPE;
    }
    out->Swap(result);
    return 0;
}

StatusWord BuiltinFind2(CValue* x, CValue* out) { return FindPairs(x, out, false); }
StatusWord BuiltinFind3(CValue* x, CValue* out) { return FindPairs(x, out, true); }

StatusWord BuiltinMax(CValue** args, int count, CValue* out) { return Extreme(args, count, out, true); }
StatusWord BuiltinMin(CValue** args, int count, CValue* out) { return Extreme(args, count, out, false); }
