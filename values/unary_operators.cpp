// Unary minus, NOT, increment and decrement in place, and the truth value.
#include <cmath>

#include "values/output_stream.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

int ReportUnary(const char* what, const CValue& v)
{
    ReportError() << "Invalid operand of the " << what << " operator (" << v.TypeName() << ")";
    return 10;
}

// Matrix cells are worked one by one; a failing cell has written its message
// and the matrix as a whole still succeeds.
template <class F>
int EachCell(CValue& v, F f)
{
    CValueMatrix& m = v.Matrix();
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) f(m.Cell(r, c));
    return 0;
}

size_t CellCount(const CValue& v)
{
    return v.Cells() ? ValueArrayCount(v.Cells()) - 1 : 0;
}

}  // namespace

int CValue::Negate()
{
    switch (Type()) {
    case VT_REAL: Real() = -Real(); return 0;
    case VT_COMPLEX: {
        Complex& z = ComplexRef();
        z.re = -z.re;
        z.im = -z.im;
        return 0;
    }
    case VT_MATRIX: return EachCell(*this, [](CValue& c) { c.Negate(); });
    default: return ReportUnary("unary minus", *this);
    }
}

int CValue::Not()
{
    switch (Type()) {
    case VT_REAL: Real() = Real() == 0.0 ? 1.0 : 0.0; return 0;
    case VT_COMPLEX: {
        Complex z = ComplexRef();
        SetReal((z.re == 0.0 || z.im == 0.0) ? 1.0 : 0.0);
        return 0;
    }
    case VT_MATRIX: return EachCell(*this, [](CValue& c) { c.Not(); });
    case VT_STRING: {
        CValue* cells = Cells();
        for (size_t i = 0, n = CellCount(*this); i < n && cells[i].Type() == VT_CHAR; ++i)
            cells[i].m_payload = (cells[i].m_payload & ~(uintptr_t)0xFF) | (uint8_t)~cells[i].CharCode();
        return 0;
    }
    case VT_CHAR:
        m_payload = (m_payload & ~(uintptr_t)0xFF) | (uint8_t)~CharCode();
        return 0;
    case VT_POINTER: SetReal(m_payload == 0 ? 1.0 : 0.0); return 0;
    case VT_IDENTIFIER: SetReal(Word() == 0 ? 1.0 : 0.0); return 0;
    default: return ReportUnary("unary NOT", *this);
    }
}

int CValue::Increment()
{
    switch (Type()) {
    case VT_REAL: Real() += 1.0; return 0;
    case VT_COMPLEX: ComplexRef().re += 1.0; return 0;
    case VT_MATRIX: return EachCell(*this, [](CValue& c) { c.Increment(); });
    default: return ReportUnary("increment", *this);
    }
}

int CValue::Decrement()
{
    switch (Type()) {
    case VT_REAL: Real() -= 1.0; return 0;
    case VT_COMPLEX: ComplexRef().re -= 1.0; return 0;
    case VT_MATRIX: return EachCell(*this, [](CValue& c) { c.Decrement(); });
    default: return ReportUnary("decrement", *this);
    }
}

int CValue::ToBoolean(double& out) const
{
    switch (Type()) {
    case VT_REAL: out = Real(); return 0;
    case VT_COMPLEX: out = ComplexAbsOf(ComplexRef()); return 0;
    case VT_MATRIX: {
        const CValueMatrix& m = Matrix();
        out = 0.0;
        if (m.Rows() == 0 || m.Cols() == 0) return 0;
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c) {
                double cell = 0.0;
                if (int st = m.Cell(r, c).ToBoolean(cell)) return st;
                if (cell == 0.0) return 0;
            }
        out = 1.0;
        return 0;
    }
    case VT_STRING0: out = (String0() && String0()[0]) ? 1.0 : 0.0; return 0;
    case VT_STRING: {
        size_t n = CellCount(*this);
        if (!IsBinary()) {
            out = n > 0 ? 1.0 : 0.0;
            return 0;
        }
        out = 0.0;
        for (size_t i = 0; i < n; ++i)
            if (Cells()[i].CharCode() != 0) {
                out = 1.0;
                break;
            }
        return 0;
    }
    case VT_CHAR: out = CharCode() != 0 ? 1.0 : 0.0; return 0;
    case VT_POINTER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: out = m_payload != 0 ? 1.0 : 0.0; return 0;
    case VT_IDENTIFIER: out = Word() != 0 ? 1.0 : 0.0; return 0;
    default:
        ReportError() << "Boolean type conversion";
        return 10;
    }
}

double CValue::ToBoolean() const
{
    double d = 0.0;
    if (ToBoolean(d)) return 0.0;
    return d;
}
