#pragma once
// Small helpers the built-in handlers share: cell-by-cell mapping of a
// matrix argument and reading a text argument.
#include <string>

#include "values/value.h"
#include "values/value_matrix.h"

// out = fn applied to every cell of the Matrix value m, row-major; the first
// failing status stops the walk and the cells made so far stay in out. out
// may be m itself.
inline int MapMatrixCells(const CValue& m, CValue& out, CValueMatrix::CellFn1 fn)
{
    CValue r;
    int st = r.GetMatrix().ApplyElementwise(fn, m.Matrix());
    out.Swap(r);
    return st;
}

// The characters of a String or Char (binary variants too); false for any other type.
inline bool ReadTextArgument(const CValue& v, std::string& text)
{
    text.clear();
    if (v.Type() == VT_CHAR) {
        text.push_back((char)v.CharCode());
        return true;
    }
    if (v.Type() != VT_STRING) return false;
    for (const CValue* c = v.Cells(); c && c->Type() != VT_EMPTY; ++c) text.push_back((char)c->CharCode());
    return true;
}

inline bool IsTextValue(const CValue& v) { return v.Type() == VT_CHAR || v.Type() == VT_STRING; }
