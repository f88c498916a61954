// String, conversion and function-pointer rows of the "Basic" library.
#include "builtins/string_functions.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "builtins/cell_walk.h"
#include "interpreter/block.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "values/bit_fields.h"
#include "values/char_cells.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

namespace {

// A Real, or a Complex without imaginary part: its value truncated toward zero.
bool IntegerArgument(const CValue& v, double& out)
{
    if (v.Type() == VT_REAL) {
        out = std::trunc(v.Real());
        return true;
    }
    if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0) {
        out = std::trunc(v.ComplexRef().re);
        return true;
    }
    return false;
}

// The text cells of a text value (IsTextValue), as fresh Char or Byte cells:
// only the character code is taken, so the copies own nothing.
std::vector<CValue> TextCells(const CValue& v)
{
    std::vector<CValue> cells;
    auto add = [&](const CValue& c) {
        CValue cell;
        cell.m_payload = c.CharCode();
        cell.m_tag = c.IsBinary() ? VT_BYTE : VT_CHAR;
        cells.push_back(cell);
    };
    if (v.Type() == VT_CHAR) add(v);
    else if (IsTextValue(v))
        for (const CValue* c = v.Cells(); c && c->Type() != VT_EMPTY; ++c) add(*c);
    return cells;
}

// out = the cells from..from+n as text of the source's kind; one cell makes a
// Char (or Byte).
int MakeText(CValue& out, const CValue& source, const std::vector<CValue>& cells, size_t from, size_t n)
{
    const bool binary = source.IsBinary();
    if (n == 1) {
        out.Clear();
        out.m_payload = cells[from].CharCode();
        out.m_tag = binary ? VT_BYTE : VT_CHAR;
        return 0;
    }
    CValue* dst = binary ? out.AllocBinaryString(n) : out.AllocString(n);
    if (!dst) return ERR_INTERNAL;
    for (size_t i = 0; i < n; ++i) {
        dst[i].m_payload = cells[from + i].CharCode();
        dst[i].m_tag = binary ? VT_BYTE : VT_CHAR;
    }
    return 0;
}

// A count argument as a whole number of characters (saturated).
bool CountArgument(const CValue& v, long long& out)
{
    double d;
    if (!IntegerArgument(v, d)) return false;
    out = SaturateToInt(d);
    return true;
}

// A 1 x n Matrix whose cells take over the n cells of a fresh array (freed here).
void TakeRow(CValue& out, CValue* cells, uint32_t n)
{
    CValue r;
    if (n > 0) {
        CValueMatrix& m = r.MakeMatrix(1, (int)n);
        for (uint32_t i = 0; i < n && m.Cols() == (int)n; ++i) m.Cell(0, (int)i).Swap(cells[i]);
    } else {
        r.MakeMatrix(0, 0);
    }
    if (cells) FreeValueArray(cells);
    out.Swap(r);
}

// out = a Binary String (a Byte for one byte) of the Byte cells of a fresh array.
int TakeBytes(CValue& out, CValue* cells)
{
    std::vector<unsigned char> bytes;
    if (cells)
        for (const CValue* c = cells; c->Type() != VT_EMPTY; ++c) bytes.push_back(c->CharCode());
    if (cells) FreeValueArray(cells);
    if (bytes.empty()) return out.AllocBinaryString(0) ? 0 : ERR_INTERNAL;
    return out.SetBinaryString(bytes.data(), bytes.size()) ? 0 : ERR_INTERNAL;
}

// A row vector (or a scalar) whose cells are all real-valued numbers.
bool RealRowVector(const CValue& v, std::vector<CValue>& cells)
{
    cells.clear();
    if (v.Type() == VT_REAL) {
        cells.push_back(v);
        return true;
    }
    if (v.Type() != VT_MATRIX || v.Matrix().Rows() != 1) return false;
    const CValueMatrix& m = v.Matrix();
    for (int j = 0; j < m.Cols(); ++j) {
        const CValue& c = m.Cell(0, j);
        if (!c.IsRealValued()) return false;
        cells.push_back(c.Type() == VT_REAL ? c : CValue(c.ComplexRef().re));
    }
    return true;
}

// ---- per-cell workers -------------------------------------------------------

int Str2NumCell(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, Str2NumCell);
    std::string text;
    if (!ReadTextArgument(v, text)) return ERR_ARGUMENT_TYPE;
    std::istringstream in(text);
    CValue r;
    ReadValue(in, r);
    if (in.fail()) return ERR_INTERNAL;  // the reader has reported
    out.Swap(r);
    return 0;
}

template <bool Upper>
int CaseCell(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, CaseCell<Upper>);
    if (!IsTextValue(v)) return ERR_ARGUMENT_TYPE;
    // Letters of the ASCII range only: other codes pass unchanged.
    std::vector<CValue> cells = TextCells(v);
    for (CValue& c : cells) {
        unsigned char ch = c.CharCode();
        if (Upper && ch >= 'a' && ch <= 'z') ch = (unsigned char)(ch - 'a' + 'A');
        if (!Upper && ch >= 'A' && ch <= 'Z') ch = (unsigned char)(ch - 'A' + 'a');
        c.m_payload = ch;
    }
    return MakeText(out, v, cells, 0, cells.size());
}

// str2bin (Binary = true) and bin2str: the same codes with or without the binary mark.
template <bool Binary>
int BinaryMarkCell(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, BinaryMarkCell<Binary>);
    if (v.Type() == VT_CHAR) {
        unsigned char code = v.CharCode();
        out.Clear();
        out.m_payload = code;
        out.m_tag = Binary ? VT_BYTE : VT_CHAR;
        return 0;
    }
    if (!IsTextValue(v)) return ERR_ARGUMENT_TYPE;
    std::vector<CValue> cells = TextCells(v);
    CValue r;
    CValue* dst = Binary ? r.AllocBinaryString(cells.size()) : r.AllocString(cells.size());
    if (!dst) return ERR_INTERNAL;
    for (size_t i = 0; i < cells.size(); ++i) {
        dst[i].m_payload = cells[i].CharCode();
        dst[i].m_tag = Binary ? VT_BYTE : VT_CHAR;
    }
    out.Swap(r);
    return 0;
}

int IsPtrCell(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, IsPtrCell);
    out.SetReal(v.Type() == VT_POINTER ? (double)ClassifyPointer(v.Pointer()) : 0.0);
    return 0;
}

// Walks a Matrix of arguments with a context-taking worker.
template <class F>
int MapWithContext(const CValue& v, CValue& out, F fn)
{
    const CValueMatrix& src = v.Matrix();
    CValue r;
    CValueMatrix& m = r.MakeMatrix(src.Rows(), src.Cols());
    int st = 0;
    for (int i = 0; i < m.Rows() && !st; ++i)
        for (int j = 0; j < m.Cols() && !st; ++j) st = fn(src.Cell(i, j), m.Cell(i, j));
    out.Swap(r);
    return st;
}

int Str2FuncCell(const CValue& v, CValue& out, StatementContext* context)
{
    if (v.Type() == VT_MATRIX)
        return MapWithContext(v, out, [context](const CValue& a, CValue& b) { return Str2FuncCell(a, b, context); });
    std::string name;
    if (!ReadTextArgument(v, name)) return ERR_ARGUMENT_TYPE;
    int flags = 0;
    const void* target = CheckOverloadAmbiguity(ProgramFunctionTable(context), name.c_str(), -1, -1, &flags, true);
    if (!target) ReportWarning() << "Argument must be a valid function name";
    out.SetPointer(target);
    return 0;
}

int Func2StrCell(const CValue& v, CValue& out, StatementContext* context)
{
    if (v.Type() == VT_MATRIX)
        return MapWithContext(v, out, [context](const CValue& a, CValue& b) { return Func2StrCell(a, b, context); });
    if (v.Type() != VT_POINTER) return ERR_ARGUMENT_TYPE;
    const void* target = v.Pointer();
    const int kind = context ? context->ClassifyFunctionPointer(target) : ClassifyFunctionPointer(target);
    if (kind == PTR_BUILTIN) {
        out.SetString(static_cast<const FuncEntry*>(target)->name);
        return 0;
    }
    if (kind == PTR_USER_FUNCTION && IsUserFunction(target)) {
        out.SetString(static_cast<const CUserFunction*>(target)->name);
        return 0;
    }
    ReportWarning() << "Argument must be a valid pointer to a function";
    out.SetString(std::string());
    return 0;
}

// The range checks of the bit-width and float-mode arguments: 0, or 10 after the message.
int WidthArgument(const CValue& v, int& width)
{
    double d;
    int w = 0;
    if (!IntegerArgument(v, d) || !DoubleToInt(d, w) || w == 0 || w < -52 || w > 52) {
        ReportError() << "Second argument must be a ranged integer [-52;52], excluding 0";
        return ERR_INTERNAL;
    }
    width = w;
    return 0;
}

int FloatModeArgument(const CValue& v, int& mode)
{
    double d;
    if (!IntegerArgument(v, d)) {
        ReportError() << "Second argument must be a ranged integer";
        return ERR_INTERNAL;
    }
    int m = 0;
    if (!DoubleToInt(d, m) || m < 1 || m > 3) {
        ReportError() << "Second argument must be a ranged integer [1;3]";
        return ERR_INTERNAL;
    }
    mode = m;
    return 0;
}

// The bytes of a text argument as cells (a Char or Byte is its own one cell).
const CValue* ByteCells(const CValue& v, uint32_t& n)
{
    if (v.Type() == VT_CHAR) {
        n = 1;
        return &v;
    }
    n = (uint32_t)StringLength(v.Cells());
    return v.Cells();
}

}  // namespace

// ---- text from values ------------------------------------------------------------

StatusWord BuiltinNum2Str(CValue* x, CValue* precision, CValue* out)
{
    // 1.5 counts as 1, but anything above 17 is refused before truncation.
    const CValue& p = *precision;
    double d = p.Type() == VT_REAL ? p.Real() : (p.Type() == VT_COMPLEX && p.ComplexRef().im == 0) ? p.ComplexRef().re : NAN;
    if (!(d >= 1 && d <= 17)) {
        ReportError() << "The precision argument must be a ranged integer within [1,17]";
        return ERR_INTERNAL;
    }
    const ValueTextFormat fmt = {0, 65536, 0, (uint8_t)std::trunc(d), VTF_NO_ROUNDING, {0, 0}, 0};
    std::string text;
    ValueFormat(*x, text, &fmt);
    out->SetString(text);
    return 0;
}

StatusWord BuiltinStr2Num(CValue* x, CValue* out) { return Str2NumCell(*x, *out); }

// ---- substrings and case -----------------------------------------------------------

StatusWord BuiltinSmid(CValue* x, CValue* first, CValue* count, CValue* out)
{
    long long from, n;
    if (!IsTextValue(*x) || !CountArgument(*first, from) || !CountArgument(*count, n)) return ERR_ARGUMENT_TYPE;
    std::vector<CValue> cells = TextCells(*x);
    const long long len = (long long)cells.size();
    if (from < 1 || from > len) {
        ReportError() << "String index is out of range";
        return ERR_INTERNAL;
    }
    const long long rest = len - (from - 1);
    if (n < 0 || n > rest) n = rest;
    return MakeText(*out, *x, cells, (size_t)(from - 1), (size_t)n);
}

StatusWord BuiltinSleft(CValue* x, CValue* count, CValue* out)
{
    long long n;
    if (!IsTextValue(*x) || !CountArgument(*count, n)) return ERR_ARGUMENT_TYPE;
    std::vector<CValue> cells = TextCells(*x);
    if (n < 0 || n > (long long)cells.size()) n = (long long)cells.size();
    return MakeText(*out, *x, cells, 0, (size_t)n);
}

StatusWord BuiltinSright(CValue* x, CValue* count, CValue* out)
{
    long long n;
    if (!IsTextValue(*x) || !CountArgument(*count, n)) return ERR_ARGUMENT_TYPE;
    std::vector<CValue> cells = TextCells(*x);
    if (n < 0 || n > (long long)cells.size()) n = (long long)cells.size();
    return MakeText(*out, *x, cells, cells.size() - (size_t)n, (size_t)n);
}

StatusWord BuiltinStr2Upper(CValue* x, CValue* out) { return CaseCell<true>(*x, *out); }
StatusWord BuiltinStr2Lower(CValue* x, CValue* out) { return CaseCell<false>(*x, *out); }

StatusWord BuiltinSdelim(CValue* x, CValue* delims, CValue* pairs, CValue* out)
{
    std::string text, cuts, brackets;
    if (!ReadTextArgument(*x, text) || !ReadTextArgument(*delims, cuts) || !ReadTextArgument(*pairs, brackets))
        return ERR_ARGUMENT_TYPE;
    const size_t pairCount = brackets.size() / 2;
    std::vector<long long> depth(pairCount, 0);
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        long long total = 0;
        for (size_t k = 0; k < pairCount; ++k) {
            const char open = brackets[2 * k], close = brackets[2 * k + 1];
            if (c == open && open == close)
                depth[k] = depth[k] ? 0 : 1;
            else if (c == open)
                ++depth[k];
            else if (c == close && depth[k] > 0)
                --depth[k];
            total += depth[k];
        }
        if (total == 0 && cuts.find(c) != std::string::npos) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    CValue r;
    CValueMatrix& m = r.MakeMatrix(1, (int)pieces.size());
    if (m.Cols() != (int)pieces.size()) return ERR_INTERNAL;
    for (size_t i = 0; i < pieces.size(); ++i) m.Cell(0, (int)i).SetString(pieces[i]);
    out->Swap(r);
    return 0;
}

// ---- strings and binary strings --------------------------------------------------------

StatusWord BuiltinStr2Bin(CValue* x, CValue* out) { return BinaryMarkCell<true>(*x, *out); }
StatusWord BuiltinBin2Str(CValue* x, CValue* out) { return BinaryMarkCell<false>(*x, *out); }

// What these two would convert was never settled: they fail without a result.
StatusWord BuiltinView2Bin(CValue*, CValue*) { return ERR_INTERNAL; }
StatusWord BuiltinBin2View(CValue*, CValue*) { return ERR_INTERNAL; }

// ---- binary strings and numbers -----------------------------------------------------------

StatusWord BuiltinBin2Int(CValue* x, CValue* width, CValue* out)
{
    if (!IsTextValue(*x)) {
        ReportError() << "First parameter must be a binary string or byte";
        return ERR_INTERNAL;
    }
    int w;
    if (StatusWord st = WidthArgument(*width, w)) return st;
    const int bits = std::abs(w);
    uint32_t n = 0;
    const CValue* bytes = ByteCells(*x, n);
    CValue* cells = nullptr;
    uint32_t count = 0;
    if (UnpackBits(bytes, n, cells, count, bits, w < 0) < 0) {
        ReportError() << "Conversion of binary string to " << bits << "-bit integers";
        return ERR_INTERNAL;
    }
    TakeRow(*out, cells, count);
    return 0;
}

StatusWord BuiltinInt2Bin(CValue* x, CValue* width, CValue* out)
{
    std::vector<CValue> numbers;
    if (!RealRowVector(*x, numbers)) {
        ReportError() << "First parameter must be a row-vector of integers";
        return ERR_INTERNAL;
    }
    int w;
    if (StatusWord st = WidthArgument(*width, w)) return st;
    const int bits = std::abs(w);
    CValue* cells = nullptr;
    if (!numbers.empty() && PackBits(numbers.data(), (uint32_t)numbers.size(), cells, bits) < 0) {
        ReportError() << "Conversion of " << bits << "-bit integers to binary string";
        return ERR_INTERNAL;
    }
    return TakeBytes(*out, cells);
}

StatusWord BuiltinBin2Float(CValue* x, CValue* mode, CValue* out)
{
    if (!IsTextValue(*x)) {
        ReportError() << "First parameter must be a binary string";
        return ERR_INTERNAL;
    }
    int m;
    if (StatusWord st = FloatModeArgument(*mode, m)) return st;
    uint32_t n = 0;
    const CValue* bytes = ByteCells(*x, n);
    CValue* cells = nullptr;
    uint32_t count = 0;
    if (BinaryStringToReals(bytes, n, cells, count, m) < 0) {
        ReportError() << "Conversion of binary string to reals";
        return ERR_INTERNAL;
    }
    TakeRow(*out, cells, count);
    return 0;
}

StatusWord BuiltinFloat2Bin(CValue* x, CValue* mode, CValue* out)
{
    std::vector<CValue> numbers;
    if (!RealRowVector(*x, numbers)) {
        ReportError() << "First parameter must be a row-vector of reals";
        return ERR_INTERNAL;
    }
    int m;
    if (StatusWord st = FloatModeArgument(*mode, m)) return st;
    CValue* cells = nullptr;
    if (!numbers.empty() && RealsToBinaryString(numbers.data(), (uint32_t)numbers.size(), cells, m) < 0) {
        ReportError() << "Conversion of reals to binary string";
        return ERR_INTERNAL;
    }
    return TakeBytes(*out, cells);
}

// ---- function pointers ---------------------------------------------------------------------

StatusWord BuiltinIsPtr(CValue* x, CValue* out) { return IsPtrCell(*x, *out); }

StatusWord BuiltinStr2Func(CValue* name, CValue* out, StatementContext* context)
{
    return Str2FuncCell(*name, *out, context);
}

StatusWord BuiltinFunc2Str(CValue* ptr, CValue* out, StatementContext* context)
{
    return Func2StrCell(*ptr, *out, context);
}

StatusWord BuiltinFeval(CValue** args, int count, CValue* out, StatementContext* context)
{
    if (count < 1 || !args || !args[0]) return ERR_ARGUMENT_TYPE;
    // Without a running block the calls go through a bare one.
    std::optional<CStatementBlock> bare;
    StatementContext* ctx = context;
    if (!ctx) ctx = &bare.emplace();
    const CValue& fn = *args[0];
    const int n = count - 1;
    const void* target = nullptr;
    std::string name;
    if (fn.Type() == VT_POINTER) {
        target = fn.Pointer();
    } else if (ReadTextArgument(fn, name)) {
        int flags = 0;
        target = CheckOverloadAmbiguity(ProgramFunctionTable(context), name.c_str(), n, -1, &flags, true);
        if (!target) {
            ReportError() << GetErrorText(ERR_UNDECLARED_FUNCTION) << " (" << name << ")";
            return ERR_INTERNAL;
        }
    } else {
        ReportError() << "First argument must be a pointer to a function";
        return ERR_INTERNAL;
    }
    const int kind = ctx->ClassifyPointer(target);
    if (StatusWord st = ctx->CheckFunctionPointerArity(kind, target, n)) return st;
    return ctx->CallFunctionPointer(kind, target, args + 1, n, out);
}
