#pragma once
// Small builders and inspectors for operator tests.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "values/value.h"
#include "values/value_matrix.h"

namespace vb {

inline CValue Real(double x) { return CValue(x); }
inline CValue Cx(double re, double im) { return CValue(Complex(re, im)); }
inline CValue Chr(unsigned code, bool binary = false)
{
    CValue v;
    v.m_payload = code & 0xFF;
    v.m_tag = binary ? VT_BYTE : VT_CHAR;
    return v;
}
inline CValue Str(const std::string& s) { return CValue(s); }
inline CValue Bin(std::initializer_list<unsigned char> bytes)
{
    CValue v;
    v.SetBinaryString(bytes.begin(), bytes.size());
    return v;
}
inline CValue Str0(const char* s)
{
    CValue v;
    v.SetString0(s);
    return v;
}

// A matrix of Real cells, row by row.
inline CValue Mat(std::initializer_list<std::initializer_list<double>> rows)
{
    CValue v;
    int r = (int)rows.size(), c = r ? (int)rows.begin()->size() : 0;
    CValueMatrix& m = v.MakeMatrix(r, c);
    int i = 0;
    for (auto& row : rows) {
        int j = 0;
        for (double x : row) m.Cell(i, j++).SetReal(x);
        ++i;
    }
    return v;
}

// Cell texts: "3" for Real 3, "3+0i" for Complex, "'a'" for a Char, "?" otherwise.
inline std::string CellText(const CValue& v)
{
    auto num = [](double x) {
        if (std::isnan(x)) return std::string("NAN");
        if (x == 0) x = 0.0;  // signed zeros of the eliminations read as 0
        char buf[64];
        snprintf(buf, sizeof buf, "%g", x);
        return std::string(buf);
    };
    switch (v.Type()) {
    case VT_REAL: return num(v.Real());
    case VT_COMPLEX: {
        std::string im = num(v.ComplexRef().im);
        return num(v.ComplexRef().re) + (im[0] == '-' ? "" : "+") + im + "i";
    }
    case VT_CHAR: return std::string("'") + (char)v.CharCode() + "'";
    case VT_EMPTY: return "empty";
    default: return "?";
    }
}

// "[a,b;c,d]" with CellText for every cell; scalars as CellText.
inline std::string Text(const CValue& v)
{
    if (v.Type() != VT_MATRIX) return CellText(v);
    const CValueMatrix& m = v.Matrix();
    std::string s = "[";
    for (int r = 0; r < m.Rows(); ++r) {
        if (r) s += ";";
        for (int c = 0; c < m.Cols(); ++c) {
            if (c) s += ",";
            s += m.Cell(r, c).Type() == VT_MATRIX ? Text(m.Cell(r, c)) : CellText(m.Cell(r, c));
        }
    }
    return s + "]";
}

// Codes of a String's cells, as text "97,98".
inline std::string Codes(const CValue& v)
{
    std::string s;
    const CValue* c = v.Cells();
    for (; c->Type() != VT_EMPTY; ++c) {
        if (!s.empty()) s += ",";
        s += std::to_string(c->CharCode());
    }
    return s;
}

inline bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

// Same type and bit-identical numbers (NaN payloads aside), cell by cell
// through matrices.
inline bool SameCell(const CValue& a, const CValue& b)
{
    if (a.Tag() != b.Tag()) return false;
    auto same = [](double x, double y) { return (std::isnan(x) && std::isnan(y)) || SameBits(x, y); };
    switch (a.Type()) {
    case VT_REAL: return same(a.Real(), b.Real());
    case VT_COMPLEX: return same(a.ComplexRef().re, b.ComplexRef().re) && same(a.ComplexRef().im, b.ComplexRef().im);
    case VT_STRING: {
        std::string x, y;
        a.GetText(x);
        b.GetText(y);
        return x == y;
    }
    case VT_MATRIX: {
        const CValueMatrix &p = a.Matrix(), &q = b.Matrix();
        if (p.Rows() != q.Rows() || p.Cols() != q.Cols()) return false;
        for (int i = 0; i < p.Rows(); ++i)
            for (int j = 0; j < p.Cols(); ++j)
                if (!SameCell(p.Cell(i, j), q.Cell(i, j))) return false;
        return true;
    }
    default: return a.m_payload == b.m_payload;
    }
}

}  // namespace vb
