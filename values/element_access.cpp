// Element access by 1-based indices: results are references (handles) to the
// selected cells, so that an assignment through them changes the indexed value.
#include <cmath>
#include <cstdint>
#include <vector>

#include "values/stop_probe.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

constexpr int kOutOfRange = 60;
// The growth was refused with its own message (the limits error), or the
// program stopped (the statement says so).
constexpr int kReported = 10;
constexpr int kNotArray = 61;
constexpr int kBadIndex = 62;
constexpr int64_t kInvalid = INT64_MIN;  // non-finite or beyond any size: out of range

// An index number truncated toward zero, made 0-based.
int64_t ZeroBased(double x)
{
    int64_t k = 0;
    if (!DoubleToInt64(std::trunc(x), k) || k > INT32_MAX) return kInvalid;
    return k - 1;
}

struct IndexList {
    bool scalar = true;
    std::vector<int64_t> at;  // 0-based
    int64_t Max() const
    {
        int64_t m = -1;
        for (int64_t k : at) m = k > m ? k : m;
        return m;
    }
    bool AnyBelowZero() const
    {
        for (int64_t k : at)
            if (k < 0) return true;
        return false;
    }
};

// complexOk: a Complex of imaginary part 0 counts as a scalar (matrices only).
// strictVector: a matrix that is neither one row nor one column is refused.
int ReadIndex(const CValue& v, bool complexOk, bool strictVector, IndexList& out)
{
    out.at.clear();
    switch (v.Type()) {
    case VT_REAL: out.scalar = true; out.at.push_back(ZeroBased(v.Real())); return 0;
    case VT_COMPLEX:
        if (!complexOk || v.ComplexRef().im != 0.0) return kBadIndex;
        out.scalar = true;
        out.at.push_back(ZeroBased(v.ComplexRef().re));
        return 0;
    case VT_MATRIX: {
        const CValueMatrix& m = v.Matrix();
        if (m.Rows() == 0 || m.Cols() == 0) return kBadIndex;
        bool column = m.Cols() == 1;
        if (!column && m.Rows() != 1 && strictVector) return kBadIndex;
        int n = column ? m.Rows() : m.Cols();
        out.scalar = false;
        out.at.reserve(n);
        for (int i = 0; i < n; ++i) {
            const CValue& c = column ? m.Cell(i, 0) : m.Cell(0, i);
            if (c.Type() != VT_REAL) return kBadIndex;
            out.at.push_back(ZeroBased(c.Real()));
        }
        return 0;
    }
    default: return kBadIndex;
    }
}

// The result refers to cell. Only the vector forms and the writing one-index
// form pass a handle cell's own target on; the others refer to the cell itself.
void ReferTo(CValue& result, CValue* cell, bool passOn)
{
    CValue* target = passOn && cell->IsHandle() ? cell->HandleTarget() : cell;
    if (result.IsHandle()) {
        result.m_payload = (uintptr_t)target;
        return;
    }
    result.SetHandle(target);
}

void ReferInNewCell(CValue& cell, CValue* target)
{
    cell.SetHandle(target->IsHandle() ? target->HandleTarget() : target);
}

int String0Element(const CValue& s, const CValue* ix, int n, CValue& result)
{
    if (n < 1) return kOutOfRange;
    if (ix[0].Type() != VT_REAL) return kBadIndex;
    double x = std::trunc(ix[0].Real());
    size_t len = 0;
    for (const char* p = s.String0(); p && *p; ++p) ++len;
    int64_t k = 0;
    if (!DoubleToInt64(x, k) || k < 0 || (uint64_t)k >= len) return kOutOfRange;
    result.Clear();
    result.SetChar(s.String0()[k]);
    return 0;
}

int StringElement(const CValue& s, const CValue* ix, int n, CValue& result, bool grow)
{
    if (n < 1) return kOutOfRange;
    // A writable reference may empty a cell: the block is no longer known to be filled.
    if (grow && s.Cells()) ValueArrayHead(s.Cells())->room = 0;
    size_t count = s.Cells() ? ValueArrayCount(s.Cells()) - 1 : 0;
    IndexList list;
    if (int st = ReadIndex(ix[0], false, false, list)) return st;
    for (int64_t k : list.at)
        if (k < 0 || (uint64_t)k >= count) return kOutOfRange;
    if (list.scalar) {
        ReferTo(result, &s.Cells()[list.at[0]], grow);
        return 0;
    }
    CValue out;
    CValue* cells = out.AllocString(list.at.size());
    if (!cells) return kOutOfRange;
    out.m_tag |= (s.m_tag & VT_BINARY_BIT);
    for (size_t i = 0; i < list.at.size(); ++i) ReferInNewCell(cells[i], &s.Cells()[list.at[i]]);
    result.Swap(out);
    return 0;
}

// Shared walk of both operations over a matrix; grow selects GetElement.
int MatrixElement(CValueMatrix& m, const CValue* ix, int n, CValue& result, bool grow);

// The remaining indices applied to one selected cell.
int ApplyRest(CValue& cell, const CValue* ix, int n, CValue& result, bool grow)
{
    return grow ? cell.GetElement(ix, n, result) : cell.ReadElement(ix, n, result);
}

int MatrixElement(CValueMatrix& m, const CValue* ix, int n, CValue& result, bool grow)
{
    if (n < 1) return kOutOfRange;
    if (n == 1) {
        IndexList list;
        if (int st = ReadIndex(ix[0], true, false, list)) return st;
        if (list.AnyBelowZero()) return kOutOfRange;
        bool down = m.Rows() > 1;  // down the first column, else along the first row
        int64_t top = list.Max();
        if (grow) {
            if (down ? m.GrowToIndex((int)top, 0) : m.GrowToIndex(0, (int)top)) return kReported;
        } else {
            if (m.Cols() == 0) return kOutOfRange;
            if (down && !list.scalar && m.Cols() != 1) return kOutOfRange;
            if (down ? top >= m.Rows() : (m.Rows() == 0 || top >= m.Cols())) return kOutOfRange;
        }
        if (list.scalar) {
            ReferTo(result, down ? &m.Cell((int)top, 0) : &m.Cell(0, (int)top), grow);
            return 0;
        }
        int k = (int)list.at.size();
        CValue out;
        CValueMatrix& r = down ? out.MakeMatrix(k, 1) : out.MakeMatrix(1, k);
        if (r.Rows() * (int64_t)r.Cols() != k) return kOutOfRange;
        CCellStop stop;
        for (int i = 0; i < k; ++i) {
            if (stop.After(1)) return kReported;
            CValue* cell = down ? &m.Cell((int)list.at[i], 0) : &m.Cell(0, (int)list.at[i]);
            ReferInNewCell(down ? r.Cell(i, 0) : r.Cell(0, i), cell);
        }
        result.Swap(out);
        return 0;
    }

    IndexList rows, cols;
    bool vector = ix[0].Type() == VT_MATRIX || ix[1].Type() == VT_MATRIX;
    if (int st = ReadIndex(ix[0], !vector, true, rows)) return st;
    if (int st = ReadIndex(ix[1], !vector, true, cols)) return st;
    if (rows.AnyBelowZero() || cols.AnyBelowZero()) return kOutOfRange;
    int64_t rmax = rows.Max(), cmax = cols.Max();
    if (grow) {
        if (m.GrowToIndex((int)rmax, (int)cmax)) return kReported;
    } else if (rmax >= m.Rows() || cmax >= m.Cols()) {
        return kOutOfRange;
    }
    if (!vector) {
        CValue* cell = &m.Cell((int)rmax, (int)cmax);
        if (n == 2) {
            ReferTo(result, cell, false);
            return 0;
        }
        return ApplyRest(*cell, ix + 2, n - 2, result, grow);
    }
    int nr = (int)rows.at.size(), nc = (int)cols.at.size();
    if (!ValueMatrixShapeFits(nr, nc)) return kOutOfRange;
    CValue out;
    CValueMatrix& r = out.MakeMatrix(nr, nc);
    if (r.Rows() != nr || r.Cols() != nc) return kOutOfRange;
    CCellStop stop;
    for (int p = 0; p < nr; ++p)
        for (int q = 0; q < nc; ++q) {
            if (stop.After(1)) return kReported;
            CValue* cell = &m.Cell((int)rows.at[p], (int)cols.at[q]);
            if (n == 2) {
                ReferInNewCell(r.Cell(p, q), cell);
            } else if (int st = ApplyRest(*cell, ix + 2, n - 2, r.Cell(p, q), grow)) {
                return st;
            }
        }
    result.Swap(out);
    return 0;
}

}  // namespace

int CValue::GetElement(const CValue* indices, int count, CValue& result)
{
    switch (Type()) {
    case VT_STRING0: return String0Element(*this, indices, count, result);
    case VT_STRING: return StringElement(*this, indices, count, result, true);
    case VT_MATRIX: break;
    case VT_EMPTY: MakeMatrix(0, 0); break;
    default: {
        CValue scalar;
        scalar.Swap(*this);
        CValueMatrix& m = MakeMatrix(1, 1);
        if (m.Rows() != 1) {
            Swap(scalar);  // the heap refused: keep the value as it was
            return kOutOfRange;
        }
        m.Cell(0, 0).Swap(scalar);
        break;
    }
    }
    if (Type() != VT_MATRIX) return kOutOfRange;
    return MatrixElement(Matrix(), indices, count, result, true);
}

int CValue::ReadElement(const CValue* indices, int count, CValue& result) const
{
    switch (Type()) {
    case VT_STRING0: return String0Element(*this, indices, count, result);
    case VT_STRING: return StringElement(*this, indices, count, result, false);
    case VT_MATRIX: return MatrixElement(Matrix(), indices, count, result, false);
    default: return kNotArray;
    }
}
