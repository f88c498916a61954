#pragma once
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

#include "values/struct_value.h"
#include "values/value.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

inline std::string Plain(const CValue& v, int precision = 6)
{
    std::ostringstream os;
    os.precision(precision);
    os << v;
    return os.str();
}

inline CValue RealMatrix(int rows, int cols, std::initializer_list<double> cells)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(rows, cols);
    auto it = cells.begin();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.Cell(r, c).SetReal(*it++);
    return v;
}

inline CValue Bytes(std::initializer_list<unsigned char> b)
{
    CValue v;
    v.SetBinaryString(b.begin(), b.size());
    return v;
}

inline CValue Str0(const char* s)
{
    CValue v;
    v.SetString0(s);
    return v;
}

inline CValue Cplx(double re, double im)
{
    CValue v;
    v.SetComplex(Complex{re, im});
    return v;
}

inline bool SameNumber(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// Structural equality, NaN equal to NaN; the tag word must match exactly.
inline bool SameValue(const CValue& a, const CValue& b)
{
    if (a.Tag() != b.Tag()) return false;
    switch (a.Type()) {
    case VT_EMPTY: return true;
    case VT_REAL: return SameNumber(a.Real(), b.Real());
    case VT_COMPLEX:
        return SameNumber(a.ComplexRef().re, b.ComplexRef().re) && SameNumber(a.ComplexRef().im, b.ComplexRef().im);
    case VT_MATRIX: {
        const CValueMatrix &x = a.Matrix(), &y = b.Matrix();
        if (x.Rows() != y.Rows() || x.Cols() != y.Cols()) return false;
        for (int r = 0; r < x.Rows() && !x.IsEmpty(); ++r)
            for (int c = 0; c < x.Cols(); ++c)
                if (!SameValue(x.Cell(r, c), y.Cell(r, c))) return false;
        return true;
    }
    case VT_STRING0: return std::strcmp(a.String0(), b.String0()) == 0;
    case VT_STRING: {
        const CValue *p = a.Cells(), *q = b.Cells();
        for (; p->Type() != VT_EMPTY || q->Type() != VT_EMPTY; ++p, ++q)
            if (!SameValue(*p, *q)) return false;
        return true;
    }
    case VT_STRUCT: {
        const CStructValue &x = a.Struct(), &y = b.Struct();
        if (x.Count() != y.Count()) return false;
        for (size_t i = 0; i < x.Count(); ++i)
            if (*x.FieldAt(i)->m_name != *y.FieldAt(i)->m_name ||
                !SameValue(x.FieldAt(i)->m_value, y.FieldAt(i)->m_value))
                return false;
        return true;
    }
    default: return a.GetPayload() == b.GetPayload();
    }
}
