// Relational and logical operators, truth values, string and structure equality.
#include <cmath>
#include <cstring>

#include "values/char_cells.h"
#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

const char* OperatorWord(RelationalOp op)
{
    switch (op) {
    case REL_GT: return "Calculating an operator >, ";
    case REL_LT: return "Calculating an operator <, ";
    case REL_GE: return "Calculating an operator >=, ";
    case REL_LE: return "Calculating an operator <=, ";
    case LOGIC_AND: return "Calculating an operator AND ";
    case LOGIC_OR: return "Calculating an operator OR ";
    case LOGIC_XOR: return "Calculating an operator XOR ";
    default: return "";  // equality never reports
    }
}

void ReportTypes(RelationalOp op, uint32_t ta, uint32_t tb)
{
    ReportError() << OperatorWord(op) << CValue::TypeNameOf(ta & 0xFF) << " and " << CValue::TypeNameOf(tb & 0xFF)
                  << " type";
}

// An unordered pair (a NaN on either side) counts as both less and equal.
bool CompareDoubles(double x, double y, RelationalOp op)
{
    bool unordered = std::isnan(x) || std::isnan(y);
    switch (op) {
    case REL_EQ: return unordered || x == y;
    case REL_NE: return !(unordered || x == y);
    case REL_GT: return x > y;
    case REL_LT: return unordered || x < y;
    case REL_GE: return x >= y;
    case REL_LE: return unordered || x <= y;
    default: return false;
    }
}

bool FromOrder(int cmp, RelationalOp op)
{
    switch (op) {
    case REL_GT: return cmp > 0;
    case REL_LT: return cmp < 0;
    case REL_GE: return cmp >= 0;
    case REL_LE: return cmp <= 0;
    case REL_EQ: return cmp == 0;
    case REL_NE: return cmp != 0;
    default: return false;
    }
}

double RealPart(const CValue& v) { return v.Type() == VT_REAL ? v.Real() : v.ComplexRef().re; }
double ImagPart(const CValue& v) { return v.Type() == VT_REAL ? 0.0 : v.ComplexRef().im; }

int SignedCode(const CValue& v) { return (int)(signed char)v.CharCode(); }

// A String equals a Char only as a one-cell string holding that character.
bool StringEqualsChar(const CValue& s, const CValue& ch)
{
    const CValue* c = s.Cells();
    return c[0].Type() == VT_CHAR && c[1].Type() == VT_EMPTY && c[0].CharCode() == ch.CharCode();
}

// Equality of two values neither of which is compared as a matrix.
bool PlainEquals(const CValue& a, const CValue& b)
{
    uint32_t ta = a.Type(), tb = b.Type();
    if (a.IsNumber() && b.IsNumber())
        return CompareDoubles(RealPart(a), RealPart(b), REL_EQ) && CompareDoubles(ImagPart(a), ImagPart(b), REL_EQ);
    if (ta == VT_STRING0 && tb == VT_STRING0) return std::strcmp(a.String0(), b.String0()) == 0;
    if (ta == VT_STRING && tb == VT_STRING) return ValueArraysEqual(a.Cells(), b.Cells());
    if (ta == VT_STRING && tb == VT_CHAR) return StringEqualsChar(a, b);
    if (ta == VT_CHAR && tb == VT_STRING) return StringEqualsChar(b, a);
    if (ta == VT_CHAR && tb == VT_CHAR) return a.CharCode() == b.CharCode();
    if (ta == VT_STRUCT && tb == VT_STRUCT) return StructEqual(a.Struct(), b.Struct());
    return ta == tb && a.m_payload == b.m_payload;
}

// Orderings of two non-matrix values; false when the pair has no order.
bool PlainOrder(const CValue& a, const CValue& b, RelationalOp op, bool& result)
{
    uint32_t ta = a.Type(), tb = b.Type();
    if (a.IsNumber() && b.IsNumber()) {
        result = CompareDoubles(RealPart(a), RealPart(b), op);
        return true;
    }
    if (ta == VT_STRING0 && tb == VT_STRING0) {
        result = FromOrder(std::strcmp(a.String0(), b.String0()), op);
        return true;
    }
    if (ta == VT_STRING && tb == VT_STRING) {
        result = FromOrder(CompareValueArrays(a.Cells(), b.Cells()), op);
        return true;
    }
    if (ta == VT_CHAR && tb == VT_CHAR) {
        result = FromOrder(SignedCode(a) - SignedCode(b), op);
        return true;
    }
    return false;
}

bool Truth(double x) { return x != 0 && !std::isnan(x); }

uint32_t CombineBits(uint32_t x, uint32_t y, RelationalOp op)
{
    switch (op) {
    case LOGIC_AND: return x & y;
    case LOGIC_OR: return x | y;
    default: return x ^ y;
    }
}

// Moves the scalar a aside and makes a a copy of the matrix b, so that the
// matrix family can run with the scalar on the right.
void ExchangeScalarAndMatrix(CValue& a, const CValue& b, CValue& scalar)
{
    scalar.Clear();
    scalar.Swap(a);
    a = b;
}

int InPlaceEquality(CValue& a, const CValue& b, RelationalOp op)
{
    if (&a == &b) {
        CValue t(b);
        return InPlaceEquality(a, t, op);
    }
    if (a.IsNumber() && b.Type() == VT_MATRIX) {
        CValue s;
        ExchangeScalarAndMatrix(a, b, s);
        return MatrixRelationalScalar(a.Matrix(), s, op);
    }
    if (a.Type() == VT_MATRIX) {
        if (b.Type() == VT_MATRIX) return MatrixRelational(a.Matrix(), b.Matrix(), op);
        if (b.IsNumber()) return MatrixRelationalScalar(a.Matrix(), b, op);
    }
    bool eq = PlainEquals(a, b);
    a.SetReal((op == REL_EQ) == eq ? 1.0 : 0.0);
    return 0;
}

int InPlaceOrder(CValue& a, const CValue& b, RelationalOp op)
{
    if (&a == &b) {
        CValue t(b);
        return InPlaceOrder(a, t, op);
    }
    if (a.IsNumber() && b.Type() == VT_MATRIX) {
        CValue s;
        ExchangeScalarAndMatrix(a, b, s);
        return MatrixRelationalScalar(a.Matrix(), s, MirrorRelational(op));
    }
    if (a.Type() == VT_MATRIX) {
        if (b.Type() == VT_MATRIX) return MatrixRelational(a.Matrix(), b.Matrix(), op);
        if (b.IsNumber()) return MatrixRelationalScalar(a.Matrix(), b, op);
    }
    bool r;
    if (PlainOrder(a, b, op, r)) {
        a.SetReal(r ? 1.0 : 0.0);
        return 0;
    }
    ReportTypes(op, a.Type(), b.Type());
    return kReported;
}

int InPlaceLogic(CValue& a, const CValue& b, RelationalOp op)
{
    if (&a == &b) {
        CValue t(b);
        return InPlaceLogic(a, t, op);
    }
    if (a.IsNumber()) {
        if (b.IsNumber()) {
            bool x = Truth(RealPart(a)), r;
            if (op == LOGIC_AND)
                r = x && Truth(RealPart(b));
            else if (op == LOGIC_OR)
                r = x || Truth(RealPart(b));
            else
                r = x != Truth(RealPart(b));
            a.SetReal(r ? 1.0 : 0.0);
            return 0;
        }
        if (b.Type() == VT_MATRIX) {
            CValue s;
            ExchangeScalarAndMatrix(a, b, s);
            return MatrixRelationalScalar(a.Matrix(), s, op);
        }
    } else if (a.Type() == VT_MATRIX) {
        if (b.Type() == VT_MATRIX) return MatrixRelational(a.Matrix(), b.Matrix(), op);
        if (b.IsNumber()) return MatrixRelationalScalar(a.Matrix(), b, op);
    } else if (a.Type() == VT_STRING && b.Type() == VT_STRING) {
        if (op == LOGIC_AND)
            AndCharCells(a.Cells(), b.Cells());
        else if (op == LOGIC_OR)
            OrCharCells(a.Cells(), b.Cells());
        else
            XorCharCells(a.Cells(), b.Cells());
        return 0;
    } else if (a.Type() == VT_STRING && b.Type() == VT_CHAR) {
        CValue* c = a.Cells();
        if (c->Type() == VT_CHAR) c->SetWord(CombineBits(c->Word(), b.CharCode(), op));
        return 0;
    } else if (a.Type() == VT_CHAR && b.Type() == VT_STRING) {
        const CValue* c = b.Cells();
        if (c->Type() == VT_CHAR) a.SetWord(CombineBits(a.Word(), c->CharCode(), op));
        return 0;
    } else if (a.Type() == VT_CHAR && b.Type() == VT_CHAR) {
        a.SetWord(CombineBits(a.Word(), b.CharCode(), op));
        return 0;
    }
    ReportTypes(op, a.Type(), b.Type());
    return kReported;
}

bool TruthOrder(const CValue& a, const CValue& b, RelationalOp op)
{
    if (a.Type() == VT_MATRIX) {
        if (b.Type() == VT_MATRIX) return MatrixTruth(a.Matrix(), b.Matrix(), op);
        if (b.IsNumber()) return MatrixTruthScalar(a.Matrix(), b, op);
    } else if (a.IsNumber() && b.Type() == VT_MATRIX) {
        return ScalarTruthMatrix(a, b.Matrix(), op);
    }
    bool r;
    if (PlainOrder(a, b, op, r)) return r;
    ReportTypes(op, a.Type(), b.Type());
    return false;
}

bool TruthOrderReal(const CValue& a, double d, RelationalOp op)
{
    switch (a.Type()) {
    case VT_REAL:
    case VT_COMPLEX: return CompareDoubles(RealPart(a), d, op);
    case VT_MATRIX: return MatrixTruthScalar(a.Matrix(), CValue(d), op);
    default:
        ReportTypes(op, a.Type(), VT_REAL);
        return false;
    }
}

}  // namespace

// ---- in place ----------------------------------------------------------------

int ValueCompareEqual(CValue& a, const CValue& b) { return InPlaceEquality(a, b, REL_EQ); }
int ValueCompareNotEqual(CValue& a, const CValue& b) { return InPlaceEquality(a, b, REL_NE); }
int ValueCompareGreater(CValue& a, const CValue& b) { return InPlaceOrder(a, b, REL_GT); }
int ValueCompareLess(CValue& a, const CValue& b) { return InPlaceOrder(a, b, REL_LT); }
int ValueCompareGreaterEqual(CValue& a, const CValue& b) { return InPlaceOrder(a, b, REL_GE); }
int ValueCompareLessEqual(CValue& a, const CValue& b) { return InPlaceOrder(a, b, REL_LE); }
int ValueAnd(CValue& a, const CValue& b) { return InPlaceLogic(a, b, LOGIC_AND); }
int ValueOr(CValue& a, const CValue& b) { return InPlaceLogic(a, b, LOGIC_OR); }
int ValueXor(CValue& a, const CValue& b) { return InPlaceLogic(a, b, LOGIC_XOR); }

// ---- truth values ------------------------------------------------------------

bool ValueEquals(const CValue& a, const CValue& b)
{
    if (a.IsEmpty() && b.IsEmpty()) return true;
    if (a.Type() == VT_MATRIX) {
        if (b.Type() == VT_MATRIX) return MatrixTruth(a.Matrix(), b.Matrix(), REL_EQ);
        if (b.IsNumber()) return MatrixTruthScalar(a.Matrix(), b, REL_EQ);
    } else if (a.IsNumber() && b.Type() == VT_MATRIX) {
        return ScalarTruthMatrix(a, b.Matrix(), REL_EQ);
    }
    return PlainEquals(a, b);
}

bool ValueNotEquals(const CValue& a, const CValue& b) { return !ValueEquals(a, b); }
bool ValueGreater(const CValue& a, const CValue& b) { return TruthOrder(a, b, REL_GT); }
bool ValueLess(const CValue& a, const CValue& b) { return TruthOrder(a, b, REL_LT); }
bool ValueGreaterEqual(const CValue& a, const CValue& b) { return TruthOrder(a, b, REL_GE); }
bool ValueLessEqual(const CValue& a, const CValue& b) { return TruthOrder(a, b, REL_LE); }

bool ValueEqualsReal(const CValue& a, double d)
{
    switch (a.Type()) {
    case VT_REAL:
    case VT_COMPLEX: return CompareDoubles(RealPart(a), d, REL_EQ) && CompareDoubles(ImagPart(a), 0.0, REL_EQ);
    case VT_MATRIX: return MatrixTruthScalar(a.Matrix(), CValue(d), REL_EQ);
    default: return false;
    }
}

bool ValueNotEqualsReal(const CValue& a, double d) { return !ValueEqualsReal(a, d); }
bool ValueGreaterReal(const CValue& a, double d) { return TruthOrderReal(a, d, REL_GT); }
bool ValueLessReal(const CValue& a, double d) { return TruthOrderReal(a, d, REL_LT); }
bool ValueGreaterEqualReal(const CValue& a, double d) { return TruthOrderReal(a, d, REL_GE); }
bool ValueLessEqualReal(const CValue& a, double d) { return TruthOrderReal(a, d, REL_LE); }

// ---- strings of cells ----------------------------------------------------------

bool ValueArraysEqual(const CValue* a, const CValue* b)
{
    if (StringLength(a) != StringLength(b)) return false;
    for (; a->Type() != VT_EMPTY; ++a, ++b)
        if (!ValueEquals(*a, *b)) return false;
    return true;
}

int CompareValueArrays(const CValue* a, const CValue* b)
{
    static const CValue zero('\0');
    for (; a->Type() != VT_EMPTY && b->Type() != VT_EMPTY; ++a, ++b) {
        CValue d = ValueDifference(*a, *b);
        if (!ValueNotEquals(d, zero)) continue;
        if (ValueLess(d, zero)) return -1;
        if (ValueGreater(d, zero)) return 1;
        return 0;
    }
    if (a->Type() != VT_EMPTY) return 1;
    if (b->Type() != VT_EMPTY) return -1;
    return 0;
}

// ---- structures ------------------------------------------------------------------

static const std::string& NameText(const std::string* name)
{
    static const std::string none;
    return name ? *name : none;
}

bool StructFieldsDiffer(const CStructField& a, const CStructField& b)
{
    return NameText(a.m_name) != NameText(b.m_name) || ValueNotEquals(a.m_value, b.m_value);
}

bool StructEqual(const CStructValue& a, const CStructValue& b)
{
    if (a.Count() != b.Count()) return false;
    for (size_t i = 0; i < a.Count(); ++i)
        if (StructFieldsDiffer(*a.FieldAt(i), *b.FieldAt(i))) return false;
    return true;
}

bool StructNotEqual(const CStructValue& a, const CStructValue& b) { return !StructEqual(a, b); }
