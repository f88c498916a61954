// row, col, drow, dcol, hrzcat and vrtcat.
#include <cstdint>
#include <vector>

#include "builtins/matrix_builtins.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/value_matrix.h"

namespace {

const char* const kRowRange = "Row index is out of range";
const char* const kColRange = "Column index is out of range";

// 1-based index argument to a 0-based index in [0, limit); false when outside
// (NaN and infinities included).
bool ReadIndex(double k, int limit, int& index)
{
    int64_t i;
    if (!DoubleToInt64(RoundToNearest(k), i)) return false;
    --i;
    if (i < 0 || i >= limit) return false;
    index = (int)i;
    return true;
}

StatusWord CopyLine(CValue* x, CValue* k, CValue* out, bool isRow)
{
    if (x->Type() != VT_MATRIX || k->Type() != VT_REAL) return ERR_ARGUMENT_TYPE;
    const CValueMatrix& m = x->Matrix();
    int i;
    if (!ReadIndex(k->Real(), isRow ? m.Rows() : m.Cols(), i)) {
        ReportError() << (isRow ? kRowRange : kColRange);
        return ERR_INTERNAL;
    }
    CValue result;
    CValueMatrix& r = result.MakeMatrix(0, 0);
    if (isRow)
        r.CopyBlock(m, i, 0, 1, m.Cols());
    else
        r.CopyBlock(m, 0, i, m.Rows(), 1);
    out->Swap(result);
    return 0;
}

StatusWord DeleteLines(CValue* x, CValue* k, CValue* out, bool isRow)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    CValueMatrix& m = x->Matrix();
    const int limit = isRow ? m.Rows() : m.Cols();
    const char* range = isRow ? kRowRange : kColRange;
    std::vector<int> indices;
    int i;
    if (k->Type() == VT_REAL) {
        if (!ReadIndex(k->Real(), limit, i)) {
            ReportError() << range;
            return ERR_INTERNAL;
        }
        indices.push_back(i);
    } else if (k->Type() == VT_MATRIX && (k->Matrix().Rows() == 1 || k->Matrix().Cols() == 1)) {
        const CValueMatrix& km = k->Matrix();
        const bool alongRow = km.Rows() == 1;
        const int n = alongRow ? km.Cols() : km.Rows();
        for (int j = 0; j < n; ++j) {
            const CValue& cell = alongRow ? km.Cell(0, j) : km.Cell(j, 0);
            if (!cell.IsRealValued()) {
                ReportError() << "Second argument must be an integer vector";
                return ERR_ARGUMENT_TYPE;
            }
            if (!ReadIndex(cell.GetComplex().re, limit, i)) {
                ReportError() << range;
                return ERR_INTERNAL;
            }
            indices.push_back(i);
        }
    } else {
        ReportError() << "Second argument must be an integer or vector of integers";
        return ERR_ARGUMENT_TYPE;
    }
    const bool ok = isRow ? m.DeleteRows(indices.data(), (int)indices.size())
                          : m.DeleteColumns(indices.data(), (int)indices.size());
    // A long removal that saw the stop, or cells the heap refused (noted).
    if (!ok) return ThreadStopRequested() ? ERR_STOPPED : ERR_INTERNAL;
    if (out != x) {
        out->Clear();
        out->Swap(*x);
    }
    return 0;
}

// Characters of a String or Char, with whether it is binary; false otherwise.
bool TextCells(const CValue& v, std::vector<unsigned char>& chars, bool& binary)
{
    binary = v.IsBinary();
    if (v.Type() == VT_CHAR) {
        chars.push_back(v.CharCode());
        return true;
    }
    if (v.Type() != VT_STRING) return false;
    for (const CValue* c = v.Cells(); c && c->Type() != VT_EMPTY; ++c) chars.push_back(c->CharCode());
    return true;
}

}  // namespace

StatusWord BuiltinMatrixRow(CValue* x, CValue* k, CValue* out) { return CopyLine(x, k, out, true); }
StatusWord BuiltinMatrixCol(CValue* x, CValue* k, CValue* out) { return CopyLine(x, k, out, false); }
StatusWord BuiltinDrow(CValue* x, CValue* k, CValue* out) { return DeleteLines(x, k, out, true); }
StatusWord BuiltinDcol(CValue* x, CValue* k, CValue* out) { return DeleteLines(x, k, out, false); }

StatusWord BuiltinHrzcat(CValue* x, CValue* y, CValue* out)
{
    CValue result;
    if (x->Type() == VT_MATRIX && y->Type() == VT_MATRIX) {
        if (int st = result.MakeMatrix(0, 0).HorzCat(x->Matrix(), y->Matrix())) return st;
        out->Swap(result);
        return 0;
    }
    std::vector<unsigned char> chars;
    bool binX = false, binY = false;
    if (!TextCells(*x, chars, binX) || !TextCells(*y, chars, binY)) {
        ReportError() << "Failed to horizontally concatenate a matrices";
        return ERR_INTERNAL;
    }
    const bool binary = binX || binY;
    CValue* cells = binary ? result.AllocBinaryString(chars.size()) : result.AllocString(chars.size());
    if (!cells) {
        ReportError() << "Failed to horizontally concatenate a matrices";
        return ERR_INTERNAL;
    }
    for (size_t i = 0; i < chars.size(); ++i) {
        cells[i].m_payload = chars[i];
        cells[i].m_tag = binary ? VT_BYTE : VT_CHAR;
    }
    out->Swap(result);
    return 0;
}

StatusWord BuiltinVrtcat(CValue* x, CValue* y, CValue* out)
{
    if (x->Type() != VT_MATRIX || y->Type() != VT_MATRIX) {
        ReportError() << "Failed to vertically concatenate a matrices";
        return ERR_INTERNAL;
    }
    CValue result;
    if (int st = result.MakeMatrix(0, 0).VertCat(x->Matrix(), y->Matrix())) return st;
    out->Swap(result);
    return 0;
}
