// Unary operators in place and the truth value of a value.
#include <cmath>

#include "values/output_stream.h"
#include "values/real_cells.h"
#include "values/stop_probe.h"
#include "values/unary_operators.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

int ReportOperand(const char* what, const CValue& v)
{
    ReportError() << "Invalid operand of the " << what << " operator (" << v.TypeName() << ")";
    return kReported;
}

int AddToReal(CValue& v, double d, const char* what)
{
    switch (v.Type()) {
    case VT_REAL: v.Real() += d; return 0;
    case VT_COMPLEX: v.ComplexRef().re += d; return 0;
    case VT_MATRIX: {
        // A variable steps in place: a long step works on a copy, so that a
        // stop leaves the variable as it was.
        CValueMatrix& m = v.Matrix();
        if ((uint64_t)m.Rows() * (uint64_t)m.Cols() <= kCellStopBlock) {
            m.ForEachCell(d > 0 ? IncrementCell : DecrementCell);
            return 0;
        }
        const bool noted = TakeOutOfMemory();
        CValueMatrix t(m);
        if (t.Rows() == m.Rows() && t.Cols() == m.Cols()) t.ForEachCell(d > 0 ? IncrementCell : DecrementCell);
        const bool refused = TakeOutOfMemory();  // the copy or the walk: stopped or refused
        if (noted || refused) NoteOutOfMemory();
        if (!refused) m.Swap(t);
        return 0;
    }
    default: return ReportOperand(what, v);
    }
}

int ReportBoolean()
{
    ReportError() << "Boolean type conversion";
    return kReported;
}

}  // namespace

int NegateCell(CValue& cell) { return cell.Negate(); }
int NotCell(CValue& cell) { return cell.Not(); }
int IncrementCell(CValue& cell) { return cell.Increment(); }
int DecrementCell(CValue& cell) { return cell.Decrement(); }

int CValue::Negate()
{
    switch (Type()) {
    case VT_REAL: Real() = -Real(); return 0;
    case VT_COMPLEX: ComplexRef().re = -ComplexRef().re; ComplexRef().im = -ComplexRef().im; return 0;
    case VT_MATRIX:
        if (double* p = Matrix().PackedData()) {
            // Stopped: the numbers done keep what was made; the callers work
            // on values the statement then drops.
            const uint64_t n = (uint64_t)Matrix().Rows() * (uint64_t)Matrix().Cols();
            if (!WalkStopBlocks(n, [p](uint64_t i0, uint64_t i1) {
                    for (uint64_t i = i0; i < i1; ++i) p[i] = -p[i];
                }))
                NoteOutOfMemory();
            return 0;
        }
        Matrix().ForEachCell(NegateCell);  // a stop is noted
        return 0;
    default: return ReportOperand("unary minus", *this);
    }
}

int CValue::Not()
{
    switch (Type()) {
    case VT_REAL: Real() = Real() == 0.0 ? 1.0 : 0.0; return 0;
    case VT_COMPLEX: {
        // True exactly when the number is non-zero, as for the truth value.
        const Complex z = ComplexRef();
        SetReal(z.re == 0.0 && z.im == 0.0 ? 1.0 : 0.0);
        return 0;
    }
    case VT_MATRIX:
        if (double* p = Matrix().PackedData()) {
            // Stopped: the numbers done keep what was made; the callers work
            // on values the statement then drops.
            const uint64_t n = (uint64_t)Matrix().Rows() * (uint64_t)Matrix().Cols();
            if (!WalkStopBlocks(n, [p](uint64_t i0, uint64_t i1) {
                    for (uint64_t i = i0; i < i1; ++i) p[i] = TruthValue(p[i] == 0.0);
                }))
                NoteOutOfMemory();
            return 0;
        }
        Matrix().ForEachCell(NotCell);  // a stop is noted
        return 0;
    case VT_STRING:
        // Cells keep to their character byte so that they compare with other chars.
        if (CValue* c = Cells())
            for (; c->Type() == VT_CHAR; ++c) c->SetWord(~c->Word() & 0xFF);
        return 0;
    case VT_CHAR: SetWord(~Word() & 0xFF); return 0;
    case VT_POINTER:
    case VT_IDENTIFIER: {
        const bool zero = m_payload == 0;
        m_tag = 0;  // the payload is not owned
        m_payload = 0;
        SetReal(zero ? 1.0 : 0.0);
        return 0;
    }
    default: return ReportOperand("unary NOT", *this);
    }
}

int CValue::Increment() { return AddToReal(*this, 1.0, "increment"); }
int CValue::Decrement() { return AddToReal(*this, -1.0, "decrement"); }

int CValue::ToBoolean(double& out) const
{
    switch (Type()) {
    case VT_REAL: out = Real(); return 0;
    case VT_COMPLEX: out = ComplexAbsOf(ComplexRef()); return 0;
    case VT_MATRIX: {
        const CValueMatrix& m = Matrix();
        out = 0.0;
        if (m.Rows() == 0 || m.Cols() == 0) return 0;
        if (const double* p = m.PackedData()) {
            const size_t n = (size_t)m.Rows() * (size_t)m.Cols();
            for (size_t i = 0; i < n; ++i)
                if (p[i] == 0.0) return 0;
            out = 1.0;
            return 0;
        }
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c) {
                double cell = 0.0;
                int st = m.Cell(r, c).ToBoolean(cell);
                if (st) return st;
                if (cell == 0.0) return 0;
            }
        out = 1.0;
        return 0;
    }
    case VT_STRING0: out = (String0() && String0()[0]) ? 1.0 : 0.0; return 0;
    case VT_STRING: {
        const CValue* c = Cells();
        out = 0.0;
        if (!c) return 0;
        if (!IsBinary()) {
            out = c->Type() != VT_EMPTY ? 1.0 : 0.0;
            return 0;
        }
        for (; c->Type() == VT_CHAR; ++c)
            if (c->CharCode() != 0) {
                out = 1.0;
                break;
            }
        return 0;
    }
    case VT_CHAR: out = CharCode() != 0 ? 1.0 : 0.0; return 0;
    case VT_POINTER:
    case VT_IDENTIFIER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: out = m_payload != 0 ? 1.0 : 0.0; return 0;
    default: return ReportBoolean();
    }
}

double CValue::ToBoolean() const
{
    double out = 0.0;
    if (ToBoolean(out) != 0) return 0.0;
    return out;
}
