// Random matrices, builders (ones, zeros, eye, diag, gdiag, triu, tril),
// reductions (sum, prod, cumsum, cumprod), sorting, reversal and counts.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "builtins/matrix_builtins.h"
#include "interpreter/block.h"
#include "interpreter/expr_tree.h"
#include "values/lapack_drivers.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

// LAPACK's distribution codes for the vector generators.
constexpr int kUniform01 = 1;
constexpr int kStandardNormal = 3;

void ReportTooLarge(double rows, double cols)
{
    if (ThreadStopRequested()) return;  // a fill that saw the stop: the statement reports the stop
    CMessageWriter w(MSG_ERROR);
    w << "Matrix indexing (";
    int64_t r, c;
    if (DoubleToInt64(rows, r)) w << r; else w << rows;
    w << ",";
    if (DoubleToInt64(cols, c)) w << c; else w << cols;
    w << ") is limits exceeded";
}

// A whole size to an int count: below 1 gives 0; false when no matrix of it
// could exist at all.
bool SizeCount(double rounded, int& n)
{
    if (!(rounded >= 1.0)) {  // NaN counts as no size
        n = 0;
        return true;
    }
    return DoubleToInt(rounded, n);
}

StatusWord Random(double rows, double cols, CValue* out, int idist)
{
    if (rows >= 1 && cols >= 1 && rows * cols > (double)INT32_MAX) {
        // One LAPACK call draws the whole matrix; its count is a 32-bit int.
        ReportTooLarge(rows, cols);
        return ERR_INTERNAL;
    }
    CValue result;
    int r, c;
    if (SizeCount(rows, r) && SizeCount(cols, c) && r && c && ValueMatrixShapeFits(r, c)) {
        if (RandomRealMatrix(result.MakeMatrix(0, 0), r, c, idist)) {
            out->Swap(result);
            NoteAllRealResult(*out);
            return 0;
        }
        if (ThreadStopRequested()) return ERR_STOPPED;
    }
    if (int st = BuildFilledMatrix(rows, cols, CValue(), result)) return st;
    if (int st = RandomMatrix(result.Matrix(), 1, idist)) return st;
    out->Swap(result);
    NoteAllRealResult(*out);  // every cell drawn is Real: no scan for handles
    return 0;
}

// One argument: n for n x n, or a vector of at least two cells [rows, cols].
StatusWord RandomOne(CValue* x, CValue* out, int idist)
{
    double n;
    if (ReadSizeArgument(*x, n)) return Random(n, n, out, idist);
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    const CValueMatrix& m = x->Matrix();
    double rows, cols;
    if (m.Rows() == 1 && m.Cols() >= 2) {
        if (!ReadSizeArgument(m.Cell(0, 0), rows) || !ReadSizeArgument(m.Cell(0, 1), cols)) return ERR_ARGUMENT_TYPE;
    } else if (m.Cols() == 1 && m.Rows() >= 2) {
        if (!ReadSizeArgument(m.Cell(0, 0), rows) || !ReadSizeArgument(m.Cell(1, 0), cols)) return ERR_ARGUMENT_TYPE;
    } else {
        return ERR_ARGUMENT_TYPE;
    }
    return Random(rows, cols, out, idist);
}

StatusWord RandomTwo(CValue* y, CValue* x, CValue* out, int idist)
{
    double rows, cols;
    if (!ReadSizeArgument(*y, rows) || !ReadSizeArgument(*x, cols)) return ERR_ARGUMENT_TYPE;
    return Random(rows, cols, out, idist);
}

// The sizes of ones, zeros and eye; false for any shape of arguments not accepted.
bool ReadBuilderSizes(CValue** args, int count, double& rows, double& cols)
{
    if (count == 2) return ReadSizeArgument(*args[0], rows) && ReadSizeArgument(*args[1], cols);
    if (count != 1) return false;
    if (ReadSizeArgument(*args[0], rows)) {
        cols = rows;
        return true;
    }
    if (args[0]->Type() != VT_MATRIX) return false;
    const CValueMatrix& m = args[0]->Matrix();
    return m.Rows() == 1 && m.Cols() == 2 && ReadSizeArgument(m.Cell(0, 0), rows) &&
           ReadSizeArgument(m.Cell(0, 1), cols);
}

StatusWord Builder(CValue** args, int count, CValue* out, double fill, bool identity, const char* refusal)
{
    double rows, cols;
    if (!ReadBuilderSizes(args, count, rows, cols)) {
        ReportError() << refusal;
        return ERR_INTERNAL;
    }
    CValue result;
    if (int st = BuildFilledMatrix(rows, cols, CValue(fill), result)) return st;
    if (identity && !result.Matrix().MakeIdentity()) return ERR_STOPPED;
    out->Swap(result);
    return 0;
}

// k of diag and gdiag: a Real rounded to an int.
bool ReadDiagonal(CValue** args, int count, int& k)
{
    k = 0;
    if (count < 2) return true;
    if (args[1]->Type() != VT_REAL) return false;
    return DoubleToInt(RoundToNearest(args[1]->Real()), k);
}

StatusWord Triangle(CValue* x, CValue* k, CValue* out, bool upper)
{
    if (x->Type() != VT_MATRIX) {
        ReportError() << "First argument must be a matrix";
        return ERR_ARGUMENT_TYPE;
    }
    if (k->Type() != VT_REAL) {
        ReportError() << "Second argument must be a integer";
        return ERR_ARGUMENT_TYPE;
    }
    // Beyond the int range every cell lies on one side of the diagonal anyway.
    const int d = SaturateToInt(RoundToNearest(k->Real()));
    if (!(upper ? x->Matrix().Triu(d) : x->Matrix().Tril(d))) return ERR_STOPPED;
    if (out != x) {
        out->Clear();
        out->Swap(*x);
    }
    return 0;
}

StatusWord InvalidArgument(const char* name, const CValue& x)
{
    ReportError() << "Invalid argument of " << name << " function (" << x.TypeName() << ")";
    return ERR_INTERNAL;
}

bool IsVector(const CValueMatrix& m) { return m.Rows() == 1 || m.Cols() == 1; }

StatusWord Fold(CValue* x, CValue* out, const char* name, bool product)
{
    if (x->Type() == VT_COMPLEX) {
        const Complex z = x->ComplexRef();
        out->SetReal(product ? z.re * z.im : z.re + z.im);
        return 0;
    }
    if (x->Type() != VT_MATRIX) return InvalidArgument(name, *x);
    const CValueMatrix& m = x->Matrix();
    CValue result;
    int st;
    if (IsVector(m))
        st = product ? m.ProdVector(result) : m.SumVector(result);
    else
        st = product ? m.ProdColumns(result.MakeMatrix(0, 0)) : m.SumColumns(result.MakeMatrix(0, 0));
    out->Swap(result);
    return st;
}

StatusWord Running(CValue* x, CValue* out, const char* name, bool product)
{
    if (x->Type() == VT_COMPLEX) {
        const Complex z = x->ComplexRef();
        out->SetComplex(Complex(z.re, product ? z.re * z.im : z.re + z.im));
        return 0;
    }
    if (x->Type() != VT_MATRIX) return InvalidArgument(name, *x);
    CValue result;
    CValueMatrix& r = result.MakeMatrix(0, 0);
    bool allReal = false;
    int st = product ? CValueMatrix::CumProd(x->Matrix(), r, &allReal) : CValueMatrix::CumSum(x->Matrix(), r, &allReal);
    out->Swap(result);
    if (allReal) NoteAllRealResult(*out);
    return st;
}

// Sort of the characters; they compare as signed bytes. Cells of one kind whose
// payload is only the code cannot be told apart by anything but the code, so a
// count per code gives the exchange sort's result; anything else runs the
// exchange sort itself.
bool SortChars(CValue* cells, bool ascending, SortStopProbe stop, void* data)
{
    int n = 0;
    while (cells[n].Type() != VT_EMPTY) ++n;
    // A Real keeps its number in the payload word, so a small word is no code there.
    bool counted = n > 0 && cells[0].Type() != VT_REAL;
    for (int i = 0; i < n && counted; ++i) counted = cells[i].Tag() == cells[0].Tag() && cells[i].m_payload < 256;
    if (counted) {
        size_t count[256] = {};
        for (int i = 0; i < n; ++i) ++count[cells[i].m_payload];
        int k = 0;
        for (int step = 0; step < 256; ++step) {
            // signed order: 128..255 (negative) first, then 0..127
            const int code = ascending ? (step + 128) & 0xFF : (127 - step) & 0xFF;
            for (size_t c = 0; c < count[code]; ++c) cells[k++].m_payload = (uintptr_t)code;
        }
        return true;
    }
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const signed char a = (signed char)cells[i].CharCode(), b = (signed char)cells[j].CharCode();
            if (ascending ? b < a : b > a) cells[i].Swap(cells[j]);
        }
        if (stop && (i & 1023) == 1023 && stop(data)) return false;
    }
    return true;
}

bool StopWanted(void* context) { return static_cast<StatementContext*>(context)->Context()->IsStopRequested() != 0; }

StatusWord Sort(CValue* x, CValue* out, const char* name, bool ascending, StatementContext* context)
{
    const SortStopProbe stop = context ? StopWanted : nullptr;
    bool done = true;
    switch (x->Type()) {
    case VT_MATRIX:
        done = ascending ? x->Matrix().SortAscending(stop, context) : x->Matrix().SortDescending(stop, context);
        break;
    case VT_STRING: done = SortChars(x->Cells(), ascending, stop, context); break;
    case VT_CHAR: break;
    default: return InvalidArgument(name, *x);
    }
    if (!done) return ERR_STOPPED;
    if (out != x) {
        out->Clear();
        out->Swap(*x);
    }
    return 0;
}

}  // namespace

bool ReadSizeArgument(const CValue& v, double& rounded)
{
    if (!v.IsRealValued()) return false;
    rounded = RoundToNearest(v.GetComplex().re);
    return true;
}

StatusWord BuildFilledMatrix(double rows, double cols, const CValue& fill, CValue& out)
{
    int r, c;
    if (!SizeCount(rows, r) || !SizeCount(cols, c) || ((r && c) && !ValueMatrixShapeFits(r, c))) {
        ReportTooLarge(rows, cols);
        return ERR_INTERNAL;
    }
    CValue result;
    if (r && c && fill.Type() == VT_REAL) {
        CValueMatrix& p = result.MakeMatrix(0, 0);
        if (p.ShapePacked(r, c)) {
            // A long fill looks at the program's stop between blocks, as the cell fill does.
            constexpr size_t kBlock = (size_t)1 << 16;
            double* to = p.PackedData();
            const size_t n = (size_t)r * (size_t)c;
            const double x = fill.Real();
            for (size_t i = 0; i < n; i += kBlock) {
                if (i && ThreadStopRequested()) return ERR_STOPPED;
                std::fill(to + i, to + (n - i < kBlock ? n : i + kBlock), x);
            }
            out.Swap(result);
            return 0;
        }
    }
    CValueMatrix& m = result.AsMatrix(r, c, fill);
    if (r && c && (m.Rows() != r || m.Cols() != c)) {
        if (ThreadStopRequested()) return ERR_STOPPED;  // the fill saw the stop
        ReportTooLarge(rows, cols);  // the heap refused it
        return ERR_INTERNAL;
    }
    out.Swap(result);
    return 0;
}

StatusWord BuiltinRand(CValue* x, CValue* out) { return RandomOne(x, out, kUniform01); }
StatusWord BuiltinRand2(CValue* y, CValue* x, CValue* out) { return RandomTwo(y, x, out, kUniform01); }
StatusWord BuiltinRandn(CValue* x, CValue* out) { return RandomOne(x, out, kStandardNormal); }
StatusWord BuiltinRandn2(CValue* y, CValue* x, CValue* out) { return RandomTwo(y, x, out, kStandardNormal); }

StatusWord BuiltinOnes(CValue** args, int count, CValue* out)
{
    return Builder(args, count, out, 1.0, false, "Function creating a matrix of ones, arguments types must be an agree");
}

StatusWord BuiltinZeros(CValue** args, int count, CValue* out)
{
    return Builder(args, count, out, 0.0, false, "Function creating a matrix of zeros, arguments types must be an agree");
}

StatusWord BuiltinEye(CValue** args, int count, CValue* out)
{
    return Builder(args, count, out, 0.0, true, "Function creating an eye matrix, arguments types must be an agree");
}

StatusWord BuiltinDiag(CValue** args, int count, CValue* out)
{
    if (count < 1 || args[0]->Type() != VT_MATRIX || args[0]->Matrix().Rows() != 1) {
        ReportError() << "First argument must be a row-vector";
        return ERR_INTERNAL;
    }
    const CValueMatrix& v = args[0]->Matrix();
    int k;
    if (!ReadDiagonal(args, count, k)) {
        const double d = count >= 2 && args[1]->Type() == VT_REAL ? RoundToNearest(args[1]->Real()) : NAN;
        if (!std::isfinite(d)) return ERR_ARGUMENT_TYPE;
        // A diagonal that far out needs a matrix no int can count.
        const double side = v.Cols() + std::fabs(d);
        ReportTooLarge(side, side);
        return ERR_INTERNAL;
    }
    CValue result;
    if (int st = result.MakeMatrix(0, 0).MakeDiag(v.Row(0), v.Cols(), k)) return st;
    out->Swap(result);
    return 0;
}

StatusWord BuiltinGdiag(CValue** args, int count, CValue* out)
{
    if (count < 1 || args[0]->Type() != VT_MATRIX || args[0]->Matrix().IsEmpty() || args[0]->Matrix().Rows() == 0)
        return ERR_ARGUMENT_TYPE;
    int k;
    if (!ReadDiagonal(args, count, k)) return ERR_ARGUMENT_TYPE;
    CValue result;
    if (int st = args[0]->Matrix().GetDiag(k, result.MakeMatrix(0, 0))) return st;
    out->Swap(result);
    return 0;
}

StatusWord BuiltinTriu(CValue* x, CValue* k, CValue* out) { return Triangle(x, k, out, true); }
StatusWord BuiltinTril(CValue* x, CValue* k, CValue* out) { return Triangle(x, k, out, false); }

StatusWord BuiltinSum(CValue* x, CValue* out) { return Fold(x, out, "sum", false); }
StatusWord BuiltinProd(CValue* x, CValue* out) { return Fold(x, out, "prod", true); }
StatusWord BuiltinCumsum(CValue* x, CValue* out) { return Running(x, out, "cumsum", false); }
StatusWord BuiltinCumprod(CValue* x, CValue* out) { return Running(x, out, "cumprod", true); }
StatusWord BuiltinSorta(CValue* x, CValue* out, StatementContext* context)
{
    return Sort(x, out, "sorta", true, context);
}
StatusWord BuiltinSortd(CValue* x, CValue* out, StatementContext* context)
{
    return Sort(x, out, "sortd", false, context);
}

StatusWord BuiltinBackord(CValue* x, CValue* out)
{
    CValue result;
    switch (x->Type()) {
    case VT_MATRIX:
        x->Matrix().Reverse();
        result.Swap(*x);
        break;
    case VT_STRING0: {
        const char* s = x->String0();
        const size_t n = std::strlen(s);
        char* d = result.AllocString0(n);
        if (!d) return ERR_INTERNAL;
        for (size_t i = 0; i < n; ++i) d[i] = s[n - 1 - i];
        break;
    }
    case VT_STRING: {
        const CValue* s = x->Cells();
        size_t n = 0;
        while (s[n].Type() != VT_EMPTY) ++n;
        CValue* d = result.AllocString(n);
        if (!d) return ERR_INTERNAL;
        for (size_t i = 0; i < n; ++i) d[i] = s[n - 1 - i];
        result.m_tag = x->Tag();  // keeps the binary flag
        break;
    }
    default:
        if (out != x) {
            out->Clear();
            out->Swap(*x);
        }
        return ERR_INTERNAL;
    }
    out->Swap(result);
    return 0;
}

StatusWord BuiltinLength(CValue* x, CValue* out)
{
    double n;
    switch (x->Type()) {
    case VT_REAL:
    case VT_CHAR:
    case VT_POINTER:
    case VT_IDENTIFIER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: n = 1; break;
    case VT_COMPLEX: n = 2; break;
    case VT_MATRIX: n = x->Matrix().Rows() > x->Matrix().Cols() ? x->Matrix().Rows() : x->Matrix().Cols(); break;
    case VT_STRING0: n = (double)std::strlen(x->String0()); break;
    case VT_STRING: {
        size_t c = 0;
        for (const CValue* p = x->Cells(); p->Type() != VT_EMPTY; ++p) ++c;
        n = (double)c;
        break;
    }
    case VT_STRUCT: n = (double)x->Struct().Count(); break;
    default:
        ReportError() << "Invalid argument of length function (" << x->TypeName() << ")";
        return ERR_INTERNAL;
    }
    out->SetReal(n);
    return 0;
}

StatusWord BuiltinRang(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    out->SetReal((double)x->Matrix().Rows() * (double)x->Matrix().Cols());
    return 0;
}

StatusWord BuiltinMatrixTrace(CValue* x, CValue* out)
{
    if (x->Type() != VT_MATRIX) {
        if (out != x) {
            out->Clear();
            out->Swap(*x);
        }
        return 0;
    }
    CValue result;
    int st = x->Matrix().Trace(result);
    out->Swap(result);
    return st;
}
