#include "values/operators.h"

#include <cmath>
#include <cstring>

#include "values/char_cells.h"
#include "values/matrix_families.h"
#include "values/numeric_path.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

constexpr int kReported = 10;

const char kAddWord[] = "Calculating an addition, ";
const char kSubWord[] = "Calculating a subtraction, ";
const char kMulWord[] = "Calculating a multiplication, ";
const char kDivWord[] = "Calculating a division, ";

void ReportTypes(const char* word, uint32_t ta, uint32_t tb)
{
    ReportError() << word << CValue::TypeNameOf(ta & 0xFF) << " and " << CValue::TypeNameOf(tb & 0xFF) << " type";
}

int TypeError(const char* word, const CValue& a, const CValue& b)
{
    ReportTypes(word, a.Type(), b.Type());
    return kReported;
}

bool IsText(const CValue& v) { return v.Type() == VT_STRING || v.Type() == VT_CHAR; }

// A double meeting a character code: truncated toward zero, then taken modulo 256.
unsigned CodeOfDouble(double x)
{
    if (!std::isfinite(x)) return 0;
    double t = std::fmod(std::trunc(x), 256.0);
    if (t < 0) t += 256.0;
    int code = 0;
    DoubleToInt(t, code);
    return (unsigned)code & 0xFF;
}

void SetCode(CValue& v, unsigned code, uint32_t tag)
{
    v.Clear();
    v.m_payload = code & 0xFF;
    v.m_tag = tag;
}

void SetOwnCode(CValue& v, unsigned code) { v.SetWord(code & 0xFF); }

// Keeps cell payloads to their character byte after word arithmetic.
void MaskCodes(CValue* cells)
{
    for (; cells->Type() == VT_CHAR; ++cells) cells->SetWord(cells->Word() & 0xFF);
}

void BecomeMatrix(CValue& a, CValueMatrix& m)
{
    CValue r;
    r.MakeMatrix(0, 0).Swap(m);
    a.Swap(r);
}

// a (a scalar) becomes the matrix fn(a, b's cells).
int ScalarWithMatrix(CValue& a, const CValueMatrix& m,
                     int (*fn)(CValueMatrix&, const CValue&, const CValueMatrix&))
{
    CValueMatrix dest;
    int st = fn(dest, a, m);
    BecomeMatrix(a, dest);
    return st;
}

bool AllNumbers(const CValueMatrix& m)
{
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c)
            if (!m.Cell(r, c).IsNumber()) return false;
    return true;
}

// A new String (or Binary String) of a's cells followed by b's; a Char counts as one cell.
CValue JoinText(const CValue& a, const CValue& b, bool binary)
{
    size_t la = a.Type() == VT_STRING ? StringLength(a.Cells()) : 1;
    size_t lb = b.Type() == VT_STRING ? StringLength(b.Cells()) : 1;
    CValue r;
    CValue* cells = binary ? r.AllocBinaryString(la + lb) : r.AllocString(la + lb);
    if (!cells) return r;
    size_t k = 0;
    if (a.Type() == VT_STRING)
        for (size_t i = 0; i < la; ++i) cells[k++] = a.Cells()[i];
    else
        cells[k++] = a;
    if (b.Type() == VT_STRING)
        for (size_t i = 0; i < lb; ++i) cells[k++] = b.Cells()[i];
    else
        cells[k++] = b;
    return r;
}

// The first cell of a string when it is a character, else null.
CValue* FirstCharCell(const CValue& s)
{
    CValue* c = s.Cells();
    return c->Type() == VT_CHAR ? c : nullptr;
}

// Codes combined by word arithmetic: sign +1 adds, -1 subtracts.
void CombineTextCodes(CValue& a, const CValue& b, int sign)
{
    if (a.Type() == VT_STRING && b.Type() == VT_STRING) {
        if (sign > 0)
            AddCharCells(a.Cells(), b.Cells());
        else
            SubCharCells(a.Cells(), b.Cells());
        MaskCodes(a.Cells());
    } else if (a.Type() == VT_STRING) {
        if (CValue* c = FirstCharCell(a)) SetOwnCode(*c, c->CharCode() + sign * (int)b.CharCode());
    } else if (b.Type() == VT_STRING) {
        if (const CValue* c = FirstCharCell(b)) SetOwnCode(a, a.CharCode() + sign * (int)c->CharCode());
    } else {
        SetOwnCode(a, a.CharCode() + sign * (int)b.CharCode());
    }
}

int AddText(CValue& a, const CValue& b)
{
    if (a.IsBinary() || b.IsBinary()) {
        CombineTextCodes(a, b, +1);
        return 0;
    }
    CValue r = JoinText(a, b, false);
    a.Swap(r);
    return 0;
}

// ---- products and quotients of matrices --------------------------------------

int MatrixTimesMatrix(CValue& a, const CValueMatrix& b)
{
    CValueMatrix& A = a.Matrix();
    {
        CValueMatrix result;
        if (RealCellMatrixProduct(A, b, result)) {
            A.Swap(result);
            return 0;
        }
    }
    if (AllNumbers(A) && AllNumbers(b)) {
        // Computed aside: on failure the left operand stays as it was.
        CValueMatrix result;
        int st = NumericMatrixProduct(A, b, result);
        if (st) return st;
        A.Swap(result);
        return 0;
    }
    return A.Multiply(b);
}

int ScalarOverMatrix(CValue& a, const CValueMatrix& b)
{
    CValueMatrix result;
    int st = AllNumbers(b) ? NumericScalarOverMatrix(a.GetComplex(), b, result) : result.ScalarDivide(a, b);
    if (st) return st;
    BecomeMatrix(a, result);
    return 0;
}

int MatrixOverMatrix(CValue& a, const CValueMatrix& b)
{
    CValueMatrix& A = a.Matrix();
    CValueMatrix result;
    int st;
    if (AllNumbers(A) && AllNumbers(b)) {
        st = NumericMatrixDivideRight(A, b, result);
    } else {
        result = A;
        st = result.DivideRight(b);
    }
    if (st) return st;
    A.Swap(result);
    return 0;
}

int ElemOp(CValue& a, const CValue& b, bool mul)
{
    const char* word = mul ? kMulWord : kDivWord;
    if (a.IsNumber()) {
        if (b.IsNumber()) return mul ? ValueMul(a, b) : ValueDiv(a, b);
        if (b.Type() == VT_MATRIX)
            return ScalarWithMatrix(a, b.Matrix(), mul ? ScalarElemMulMatrix : ScalarElemDivMatrix);
    } else if (a.Type() == VT_MATRIX) {
        if (b.IsNumber()) return mul ? MatrixElemMulScalar(a.Matrix(), b) : MatrixElemDivScalar(a.Matrix(), b);
        if (b.Type() == VT_MATRIX)
            return mul ? MatrixElemMulMatrix(a.Matrix(), b.Matrix()) : MatrixElemDivMatrix(a.Matrix(), b.Matrix());
    }
    return TypeError(word, a, b);
}

}  // namespace

// ---- in place ----------------------------------------------------------------

int ValueAdd(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueAdd(a, t);
    }
    switch (a.Type()) {
    case VT_REAL:
        switch (b.Type()) {
        case VT_REAL: a.Real() += b.Real(); return 0;
        case VT_COMPLEX: a.SetComplex(Complex{a.Real() + b.ComplexRef().re, b.ComplexRef().im}); return 0;
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarAddMatrix);
        case VT_CHAR: SetCode(a, CodeOfDouble(a.Real()) + b.CharCode(), b.IsBinary() ? VT_BYTE : VT_CHAR); return 0;
        }
        break;
    case VT_COMPLEX:
        switch (b.Type()) {
        case VT_REAL: a.ComplexRef().re += b.Real(); return 0;
        case VT_COMPLEX: a.ComplexRef() += b.ComplexRef(); return 0;
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarAddMatrix);
        }
        break;
    case VT_MATRIX:
        if (b.IsNumber()) return MatrixAddScalar(a.Matrix(), b);
        if (b.Type() == VT_MATRIX) return MatrixAddMatrix(a.Matrix(), b.Matrix());
        break;
    case VT_STRING0:
        if (b.Type() == VT_STRING0) {
            size_t la = std::strlen(a.String0()), lb = std::strlen(b.String0());
            CValue r;
            char* d = r.AllocString0(la + lb);
            if (!d) return 0;
            std::memcpy(d, a.String0(), la);
            std::memcpy(d + la, b.String0(), lb + 1);
            a.Swap(r);
            return 0;
        }
        break;
    case VT_STRING:
        if (IsText(b)) return AddText(a, b);
        break;
    case VT_CHAR:
        if (b.Type() == VT_REAL) {
            SetOwnCode(a, a.CharCode() + CodeOfDouble(b.Real()));
            return 0;
        }
        if (IsText(b)) return AddText(a, b);
        break;
    }
    return TypeError(kAddWord, a, b);
}

int ValueSub(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueSub(a, t);
    }
    switch (a.Type()) {
    case VT_REAL:
        switch (b.Type()) {
        case VT_REAL: a.Real() -= b.Real(); return 0;
        case VT_COMPLEX: a.SetComplex(Complex{a.Real() - b.ComplexRef().re, -b.ComplexRef().im}); return 0;
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarSubMatrix);
        case VT_CHAR: SetCode(a, CodeOfDouble(a.Real()) - b.CharCode(), b.IsBinary() ? VT_BYTE : VT_CHAR); return 0;
        }
        break;
    case VT_COMPLEX:
        switch (b.Type()) {
        case VT_REAL: a.ComplexRef().re -= b.Real(); return 0;
        case VT_COMPLEX: a.ComplexRef() -= b.ComplexRef(); return 0;
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarSubMatrix);
        }
        break;
    case VT_MATRIX:
        if (b.IsNumber()) return MatrixSubScalar(a.Matrix(), b);
        if (b.Type() == VT_MATRIX) return MatrixSubMatrix(a.Matrix(), b.Matrix());
        break;
    case VT_STRING:
        if (IsText(b)) {
            CombineTextCodes(a, b, -1);
            return 0;
        }
        break;
    case VT_CHAR:
        if (b.Type() == VT_REAL) {
            SetOwnCode(a, a.CharCode() - CodeOfDouble(b.Real()));
            return 0;
        }
        if (IsText(b)) {
            CombineTextCodes(a, b, -1);
            return 0;
        }
        break;
    }
    return TypeError(kSubWord, a, b);
}

int ValueMul(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueMul(a, t);
    }
    switch (a.Type()) {
    case VT_REAL:
        switch (b.Type()) {
        case VT_REAL: a.Real() *= b.Real(); return 0;
        case VT_COMPLEX: {
            double x = a.Real();
            a.SetComplex(Complex{x * b.ComplexRef().re, x * b.ComplexRef().im});
            return 0;
        }
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarMulMatrix);
        }
        break;
    case VT_COMPLEX:
        switch (b.Type()) {
        case VT_REAL: a.ComplexRef().re *= b.Real(); a.ComplexRef().im *= b.Real(); return 0;
        case VT_COMPLEX: a.ComplexRef() *= b.ComplexRef(); return 0;
        case VT_MATRIX: return ScalarWithMatrix(a, b.Matrix(), ScalarMulMatrix);
        }
        break;
    case VT_MATRIX:
        if (b.IsNumber()) return MatrixMulScalar(a.Matrix(), b);
        if (b.Type() == VT_MATRIX) return MatrixTimesMatrix(a, b.Matrix());
        break;
    }
    return TypeError(kMulWord, a, b);
}

int ValueDiv(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueDiv(a, t);
    }
    switch (a.Type()) {
    case VT_REAL:
        switch (b.Type()) {
        case VT_REAL: a.Real() /= b.Real(); return 0;
        case VT_COMPLEX: {
            Complex q;
            ComplexDivide(q, a.Real(), b.ComplexRef());
            a.SetComplex(q);
            return 0;
        }
        case VT_MATRIX: return ScalarOverMatrix(a, b.Matrix());
        }
        break;
    case VT_COMPLEX:
        switch (b.Type()) {
        case VT_REAL: a.ComplexRef().re /= b.Real(); a.ComplexRef().im /= b.Real(); return 0;
        case VT_COMPLEX: a.ComplexRef() /= b.ComplexRef(); return 0;
        case VT_MATRIX: return ScalarOverMatrix(a, b.Matrix());
        }
        break;
    case VT_MATRIX:
        if (b.IsNumber()) return MatrixDivScalar(a.Matrix(), b);
        if (b.Type() == VT_MATRIX) return MatrixOverMatrix(a, b.Matrix());
        break;
    }
    return TypeError(kDivWord, a, b);
}

int ValueElemMul(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueElemMul(a, t);
    }
    return ElemOp(a, b, true);
}

int ValueElemDiv(CValue& a, const CValue& b)
{
    if (&a == &b) {
        CValue t(b);
        return ValueElemDiv(a, t);
    }
    return ElemOp(a, b, false);
}

// ---- a double on the right -------------------------------------------------------

CValue& ValueAddReal(CValue& a, double d)
{
    switch (a.Type()) {
    case VT_REAL: a.Real() += d; break;
    case VT_COMPLEX: a.ComplexRef().re += d; break;
    case VT_MATRIX: MatrixAddScalar(a.Matrix(), CValue(d)); break;
    default: ReportTypes(kAddWord, a.Type(), VT_REAL); break;
    }
    return a;
}

CValue& ValueMulReal(CValue& a, double d)
{
    switch (a.Type()) {
    case VT_REAL: a.Real() *= d; break;
    case VT_COMPLEX: a.ComplexRef().re *= d; a.ComplexRef().im *= d; break;
    case VT_MATRIX: MatrixMulScalar(a.Matrix(), CValue(d)); break;
    default: ReportTypes(kMulWord, a.Type(), VT_REAL); break;
    }
    return a;
}

CValue& ValueDivReal(CValue& a, double d)
{
    switch (a.Type()) {
    case VT_REAL: a.Real() /= d; break;
    case VT_COMPLEX: a.ComplexRef().re /= d; a.ComplexRef().im /= d; break;
    case VT_MATRIX: MatrixDivScalar(a.Matrix(), CValue(d)); break;
    default: ReportTypes(kDivWord, a.Type(), VT_REAL); break;
    }
    return a;
}

// ---- by value --------------------------------------------------------------------

namespace {

CValue MatrixValue(CValueMatrix&& m)
{
    CValue r;
    r.MakeMatrix(0, 0).Swap(m);
    return r;
}

// The shared matrix forms of the three-operand operators; false when neither is a matrix.
bool ThreeOperandMatrix(const CValue& a, const CValue& b, ArithOp op, CValue& out)
{
    if (a.Type() == VT_MATRIX && b.Type() == VT_MATRIX) {
        out = MatrixValue(MatrixArith(a.Matrix(), b.Matrix(), op));
        return true;
    }
    if (a.Type() == VT_MATRIX && b.IsNumber()) {
        out = MatrixValue(MatrixArithScalar(a.Matrix(), b, op));
        return true;
    }
    if (a.IsNumber() && b.Type() == VT_MATRIX) {
        out = MatrixValue(ScalarArithMatrix(a, b.Matrix(), op));
        return true;
    }
    return false;
}

// Numbers with numbers go through the in-place operator on a copy.
CValue NumberOp(const CValue& a, const CValue& b, int (*op)(CValue&, const CValue&))
{
    CValue r(a);
    op(r, b);
    return r;
}

}  // namespace

CValue ValueSum(const CValue& a, const CValue& b)
{
    CValue r;
    if (a.IsNumber() && b.IsNumber()) return NumberOp(a, b, ValueAdd);
    if (ThreeOperandMatrix(a, b, ARITH_ADD, r)) return r;
    if (a.Type() == VT_STRING0 && b.Type() == VT_STRING0) return NumberOp(a, b, ValueAdd);
    if (IsText(a) && IsText(b)) return JoinText(a, b, a.IsBinary() || b.IsBinary());
    ReportTypes(kAddWord, a.Type(), b.Type());
    return r;
}

CValue ValueDifference(const CValue& a, const CValue& b)
{
    CValue r;
    if (a.IsNumber() && b.IsNumber()) return NumberOp(a, b, ValueSub);
    if (ThreeOperandMatrix(a, b, ARITH_SUB, r)) return r;
    if (a.Type() == VT_CHAR && b.Type() == VT_CHAR) {
        r = a;
        SetOwnCode(r, a.CharCode() - b.CharCode());
        return r;
    }
    ReportTypes(kSubWord, a.Type(), b.Type());
    return r;
}

CValue ValueProduct(const CValue& a, const CValue& b)
{
    CValue r;
    if (a.IsNumber() && b.IsNumber()) return NumberOp(a, b, ValueMul);
    if (ThreeOperandMatrix(a, b, ARITH_MUL, r)) return r;
    ReportTypes(kMulWord, a.Type(), b.Type());
    return r;
}

CValue ValueQuotient(const CValue& a, const CValue& b)
{
    CValue r;
    if (a.IsNumber() && b.IsNumber()) return NumberOp(a, b, ValueDiv);
    if (ThreeOperandMatrix(a, b, ARITH_DIV, r)) return r;
    ReportTypes(kDivWord, a.Type(), b.Type());
    return r;
}

// The double's side is a Real value, so the messages name it "Real".
CValue ValueTimesReal(const CValue& a, double d) { return ValueProduct(a, CValue(d)); }
CValue RealTimesValue(double d, const CValue& b) { return ValueProduct(CValue(d), b); }
CValue ValueOverReal(const CValue& a, double d) { return ValueQuotient(a, CValue(d)); }
CValue RealOverValue(double d, const CValue& b) { return ValueQuotient(CValue(d), b); }

CValue ValueNegated(const CValue& a)
{
    CValue r;
    switch (a.Type()) {
    case VT_REAL: r.SetReal(-a.Real()); break;
    case VT_COMPLEX: r.SetComplex(Complex{-a.ComplexRef().re, -a.ComplexRef().im}); break;
    case VT_MATRIX: r = MatrixValue(a.Matrix().Negate()); break;
    default:
        ReportError() << "Invalid operand type (" << CValue::TypeNameOf(a.Type()) << ") of an unary minus operator";
        break;
    }
    return r;
}
