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

// A Char, or a String all of whose cells are characters. An indexed assignment
// can put any value into a string's cell; such a string is not text, and its
// other payloads are never read as character codes.
inline bool IsTextValue(const CValue& v)
{
    if (v.Type() == VT_CHAR) return true;
    if (v.Type() != VT_STRING) return false;
    for (const CValue* c = v.Cells(); c && c->Type() != VT_EMPTY; ++c)
        if (c->Type() != VT_CHAR) return false;
    return true;
}

// The characters of a text value (binary variants too); false for any other value.
inline bool ReadTextArgument(const CValue& v, std::string& text)
{
    text.clear();
    if (!IsTextValue(v)) return false;
    if (v.Type() == VT_CHAR) {
        text.push_back((char)v.CharCode());
        return true;
    }
    for (const CValue* c = v.Cells(); c && c->Type() != VT_EMPTY; ++c) text.push_back((char)c->CharCode());
    return true;
}
