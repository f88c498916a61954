#include "values/value_text.h"

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "values/stack_guard.h"
#include "values/app_settings.h"
#include "values/byte_buffer.h"
#include "values/output_stream.h"
#include "values/stream_chars.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

using namespace textio;

std::atomic<unsigned> OutputLayoutFlags{0};

namespace {

bool TableLayout() { return (OutputLayoutFlags.load(std::memory_order_relaxed) & LAYOUT_TABLE) != 0; }

const char kHex[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned b)
{
    out += kHex[(b >> 4) & 0xF];
    out += kHex[b & 0xF];
}

std::string PointerText(const void* p)
{
    std::ostringstream ss;
    ss << '@';
    PutNumber(ss, p);
    return ss.str();
}

std::string IdentifierText(uint32_t id)
{
    std::ostringstream ss;
    ss << '#';
    PutNumber(ss, (unsigned long)id);
    return ss.str();
}

// A scratch stream with the number settings of os, for texts that must reach os as
// one block (so that a field width pads the whole of it).
void MirrorSettings(std::ostream& scratch, const std::ostream& os)
{
    scratch.flags(os.flags());
    scratch.precision(os.precision());
}

// ---- plain form ----------------------------------------------------------

void WritePlainString(std::ostream& os, const CValue& v)
{
    std::ostringstream ss;
    MirrorSettings(ss, os);
    const bool table = TableLayout();
    if (!table) ss << '"';
    for (const CValue* c = v.Cells(); c->Type() != VT_EMPTY; ++c) {
        if (c->Type() == VT_CHAR) {
            if (c->CharCode() == '"' && !table) ss << '"';
            ss << (char)c->CharCode();
        } else {
            ss << *c;
        }
    }
    if (!table) ss << '"';
    os << ss.str();
}

void WritePlainBinary(std::ostream& os, const CValue& v)
{
    std::ostringstream ss;
    MirrorSettings(ss, os);
    const bool table = TableLayout();
    if (!table) ss << '<';
    std::string hex;
    for (const CValue* c = v.Cells(); c->Type() != VT_EMPTY; ++c) {
        if (c != v.Cells()) ss << ' ';
        if (c->Type() == VT_CHAR) {
            hex.clear();
            AppendHexByte(hex, c->CharCode());
            ss << hex;
        } else {
            ss << *c;
        }
    }
    if (!table) ss << '>';
    os << ss.str();
}

void WritePlainString0(std::ostream& os, const char* s)
{
    if (TableLayout()) {
        os << s;
        return;
    }
    std::string t = "'";
    for (; *s; ++s) {
        if (*s == '\'') t += '\'';
        t += *s;
    }
    t += '\'';
    os << t;
}

// ---- display form --------------------------------------------------------

bool CutAt(std::ostream& os, const ValueTextFormat& fmt) { return ReachedLength(os, fmt.maxLength); }

void Ellipsis(std::ostream& os, const ValueTextFormat& fmt)
{
    if (!(fmt.flags & VTF_NO_ELLIPSIS)) os << "...";
}

// The text kinds, written into a fresh scratch stream (positions start at 0).
int WriteTextKind(std::ostream& os, const CValue& v, const ValueTextFormat& fmt)
{
    const bool quote = (fmt.flags & VTF_QUOTE) != 0;
    switch (v.Type()) {
    case VT_STRING0: {
        const char* s = v.String0();
        if (quote) os << '\'';
        const long long n = (long long)std::strlen(s);
        long long room = fmt.maxLength - (long long)Position(os);
        if (room < 0) room = 0;
        if (n > room) {
            os.write(s, (std::streamsize)room);
            Ellipsis(os, fmt);
            return 1;
        }
        os.write(s, (std::streamsize)n);
        if (quote) os << '\'';
        return CutAt(os, fmt) ? 1 : 0;
    }
    case VT_STRING: {
        const bool binary = v.IsBinary();
        if (quote) os << (binary ? '<' : '"');
        int r = 0;
        std::string hex;
        for (const CValue* c = v.Cells(); c->Type() != VT_EMPTY; ++c) {
            if (c->Type() == VT_CHAR) {
                if (binary) {
                    hex.clear();
                    AppendHexByte(hex, c->CharCode());
                    os << hex;
                } else {
                    os << (char)c->CharCode();
                }
            } else {
                r = WriteValue(os, *c, fmt);
            }
            if (r == 0 && CutAt(os, fmt)) r = 1;
            if (r) break;
            if (binary && c[1].Type() != VT_EMPTY) {
                const long i = (long)(c - v.Cells());
                os << ((fmt.cellsPerLine > 0 && (i + 1) % fmt.cellsPerLine == 0) ? '\n' : ' ');
            }
        }
        if (r == 1)
            Ellipsis(os, fmt);
        else if (r == 0 && quote)
            os << (binary ? '>' : '"');
        return r;
    }
    case VT_CHAR: {
        std::string t;
        if (v.IsBinary()) {
            if (quote) t += '<';
            AppendHexByte(t, v.CharCode());
            if (quote) t += '>';
        } else {
            if (quote) t += '"';
            t += (char)v.CharCode();
            if (quote) t += '"';
        }
        os << t;
        return CutAt(os, fmt) ? 1 : 0;
    }
    default:
        return 0;
    }
}

// Strings, chars and bytes reach the stream in one write.
int WriteTextWhole(std::ostream& os, const CValue& v, const ValueTextFormat& fmt)
{
    std::streamoff start = Position(os);
    if (start < 0) start = 0;
    ValueTextFormat rel = fmt;
    const long long room = (long long)fmt.maxLength - (long long)start;
    rel.maxLength = room < 0 ? 0 : (int32_t)room;
    std::ostringstream ss;
    MirrorSettings(ss, os);
    int r = WriteTextKind(ss, v, rel);
    os << ss.str();
    if (os.fail()) return 2;
    if (r == 0 && CutAt(os, fmt)) r = 1;
    return r;
}

bool IsWideCell(const CValue& c)
{
    switch (c.Type()) {
    case VT_COMPLEX: return c.ComplexRef().im != 0;
    case VT_STRING0:
    case VT_STRING: return true;
    default: return false;
    }
}

// Nesting depth of the reader on this thread.
thread_local int g_readDepth = 0;

class ReadNesting {
public:
    ReadNesting() { ++g_readDepth; }
    ~ReadNesting() { --g_readDepth; }
    // The reader may start deep in a caller's recursion (a constant in a deeply
    // nested program), so the native stack is checked as well as the depth.
    static bool Full() { return g_readDepth >= MaxReadNesting || NativeStackLow(); }
};

// Failures of matrices and structures the reader has reported on this
// thread. A cell's error is followed by its own matrix's (or structure's)
// message, but not by one more from every level around that: a text nested
// two thousand deep fails with one or two messages, not a thousand.
thread_local unsigned g_containerReports = 0;

void ReadFailed(std::istream& is, const char* text)
{
    Fail(is);
    ReportError() << text;
}

void ContainerReadFailed(std::istream& is, const char* text, unsigned reportsBefore)
{
    if (g_containerReports != reportsBefore) {
        Fail(is);
        return;
    }
    ReadFailed(is, text);
    ++g_containerReports;
}

// Text up to the closing delimiter; a doubled delimiter stands for one.
bool ReadQuoted(std::istream& is, char delimiter, std::string& out)
{
    for (;;) {
        int c = Peek(is);
        if (c == EOF) return false;
        Bump(is);
        if (c == delimiter) {
            if (Peek(is) != delimiter) return true;
            Bump(is);
        }
        out += (char)c;
    }
}

}  // namespace

// ---- plain writer ----------------------------------------------------------

namespace {
// Set while WriteValueForReading runs on this thread.
thread_local bool t_quoteChars = false;
}  // namespace

void WriteValueForReading(std::ostream& os, const CValue& v)
{
    const bool was = t_quoteChars;
    t_quoteChars = true;
    os << v;
    t_quoteChars = was;
}

std::ostream& operator<<(std::ostream& os, const CValue& v)
{
    if (WriteValueHook && WriteValueHook(os, v, nullptr) != -1) return os;
    switch (v.Type()) {
    case VT_REAL: WriteDouble(os, v.Real()); break;
    case VT_COMPLEX: WriteComplex(os, v.ComplexRef()); break;
    case VT_MATRIX: v.Matrix().WriteText(os); break;
    case VT_STRING0: WritePlainString0(os, v.String0()); break;
    case VT_STRING:
        if (v.IsBinary())
            WritePlainBinary(os, v);
        else
            WritePlainString(os, v);
        break;
    case VT_CHAR:
        if (v.IsBinary()) {
            std::string t;
            if (!TableLayout()) t += '<';
            AppendHexByte(t, v.CharCode());
            if (!TableLayout()) t += '>';
            os << t;
        } else if (t_quoteChars && !TableLayout()) {
            std::string t = "\"";
            t += (char)v.CharCode();
            if (v.CharCode() == '"') t += '"';
            os << t << '"';
        } else {
            os << (char)v.CharCode();
        }
        break;
    case VT_POINTER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: os << PointerText(v.Pointer()); break;
    case VT_IDENTIFIER: os << IdentifierText(v.Word()); break;
    case VT_STRUCT: v.Struct().WriteText(os); break;
    default: os << "UNK"; break;
    }
    return os;
}

std::ostream& CValueMatrix::WriteText(std::ostream& os) const
{
    if (TableLayout()) {
        os << "[\n";
        if (IsEmpty()) os << '\n';
        for (int r = 0; r < m_nRows && !IsEmpty(); ++r) {
            for (int c = 0; c < m_nCols; ++c) {
                if (c) os << '\t';
                os << Cell(r, c);
            }
            os << '\n';
        }
        return os << ']';
    }
    os << '[';
    for (int r = 0; r < m_nRows && !IsEmpty(); ++r) {
        if (r) os << "; ";
        for (int c = 0; c < m_nCols; ++c) {
            if (c) os << ',';
            os << Cell(r, c);
        }
    }
    return os << ']';
}

// ---- display writer --------------------------------------------------------

int WriteValue(std::ostream& os, const CValue& v, const ValueTextFormat& fmt)
{
    StreamStateGuard guard(os);
    os.precision(fmt.precision);
    if (fmt.flags & VTF_SHOW_POINT) os.setf(std::ios::showpoint);
    os.setf((fmt.flags & VTF_LEFT) ? std::ios::left : std::ios::right, std::ios::adjustfield);

    if (WriteValueHook) {
        int r = WriteValueHook(os, v, &fmt);
        if (r != -1) return r;
    }
    int r = 0;
    switch (v.Type()) {
    case VT_REAL: r = WriteDoubleFormatted(os, v.Real(), fmt); break;
    case VT_COMPLEX: r = WriteComplexFormatted(os, v.ComplexRef(), fmt); break;
    case VT_MATRIX: r = WriteMatrixTextLimited(os, v.Matrix(), fmt); break;
    case VT_STRING0:
    case VT_STRING:
    case VT_CHAR: r = WriteTextWhole(os, v, fmt); break;
    case VT_POINTER:
    case VT_HANDLE:
    case VT_CONST_HANDLE:
        os << PointerText(v.Pointer());
        r = CutAt(os, fmt) ? 1 : 0;
        break;
    case VT_IDENTIFIER:
        os << IdentifierText(v.Word());
        r = CutAt(os, fmt) ? 1 : 0;
        break;
    case VT_STRUCT: r = WriteStructTextLimited(os, v.Struct(), fmt); break;
    default:
        os << "UNK";
        r = CutAt(os, fmt) ? 1 : 0;
        break;
    }
    if (os.fail()) r = 2;
    return r;
}

int WriteMatrixTextLimited(std::ostream& os, const CValueMatrix& m, const ValueTextFormat& fmt)
{
    const bool brackets = !(fmt.flags & VTF_NO_BRACKETS);
    const bool lines = (fmt.flags & VTF_LINE_BREAKS) != 0;
    const int rows = m.IsEmpty() ? 0 : m.Rows();
    const int cols = m.Cols();

    int w = fmt.width;
    bool wide = false;
    for (int i = 0; i < rows && !wide; ++i)
        for (int j = 0; j < cols && !wide; ++j) wide = IsWideCell(m.Cell(i, j));
    if (wide) w *= 2;
    const bool wrap = fmt.cellsPerLine > 0 && cols > fmt.cellsPerLine;

    if (brackets) os << '[';
    int r = 0;
    for (int i = 0; i < rows && r == 0; ++i) {
        int onLine = 0;
        for (int j = 0; j < cols; ++j) {
            const CValue& cell = m.Cell(i, j);
            if (lines && (cell.Type() == VT_MATRIX || cell.Type() == VT_STRUCT))
                os << '\n';
            else if (fmt.flags & VTF_CELL_WIDTH)
                os.width(w);
            r = WriteValue(os, cell, fmt);
            if (r) break;
            if (j + 1 < cols) {
                if (wrap && ++onLine >= fmt.cellsPerLine) {
                    if (brackets) os << ',';
                    os << '\n';
                    onLine = 0;
                } else {
                    os << (brackets ? ',' : ' ');
                }
            }
        }
        if (r || i + 1 >= rows) break;
        os << ';';
        if (lines) {
            os << '\n';
            if (wrap && !brackets) os << "Row=" << (i + 2) << '\n';
        } else {
            os << (wrap ? '\n' : ' ');
        }
    }
    if (r == 1) Ellipsis(os, fmt);
    if (brackets) os << ']';
    if (os.fail()) r = 2;
    return r;
}

int WriteStructTextLimited(std::ostream& os, const CStructValue& s, const ValueTextFormat& fmt)
{
    const bool brackets = !(fmt.flags & VTF_NO_BRACKETS);
    const bool lines = (fmt.flags & VTF_LINE_BREAKS) != 0;
    if (brackets) os << '{';
    int r = 0;
    const size_t n = s.Count();
    for (size_t i = 0; i < n; ++i) {
        const CStructField* f = s.FieldAt(i);
        os << *f->m_name << '=';
        if (CutAt(os, fmt)) {
            r = 1;
            break;
        }
        if (lines && (f->m_value.Type() == VT_MATRIX || f->m_value.Type() == VT_STRUCT)) os << '\n';
        r = WriteValue(os, f->m_value, fmt);
        if (r) break;
        if (i + 1 < n) {
            if (brackets) os << ", ";
            if (lines) os << '\n';
        }
    }
    if (r == 1) Ellipsis(os, fmt);
    if (brackets) os << '}';
    if (os.fail()) r = 2;
    return r;
}

std::string& ValueFormat(const CValue& v, std::string& text, const ValueTextFormat* fmt, int* length)
{
    std::ostringstream ss;
    const int r = WriteValue(ss, v, fmt ? *fmt : UnlimitedTextFormat);
    text = ss.str();
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    if (length) *length = r;
    return text;
}

// ---- reader ------------------------------------------------------------------

std::istream& ReadValue(std::istream& is, CValue& v)
{
    if (ReadValueHook && ReadValueHook(is, v) != -1) return is;
    int c = EOF;
    {
        std::istream::sentry s(is, true);
        if (s) {
            SkipBlanks(is);
            c = Peek(is);
        }
    }
    switch (c) {
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
    case '+': case '-': case '.': case '(': case 'I': case 'N': {
        Complex z;
        ReadComplex(is, z);
        if (is.fail()) {
            ReadFailed(is, "Invalid complex or real value");
        } else if (z.im == 0) {
            v.SetReal(z.re);
        } else {
            v.SetComplex(z);
        }
        break;
    }
    case '[': {
        if (ReadNesting::Full()) {
            ContainerReadFailed(is, "Invalid matrix", g_containerReports);
            break;
        }
        ReadNesting depth;
        const unsigned reports = g_containerReports;
        CValueMatrix m;
        m.ReadText(is);
        if (is.fail()) {
            ContainerReadFailed(is, "Invalid matrix", reports);
            break;
        }
        CValue t;
        t.MakeMatrix(0, 0).Swap(m);
        v.Swap(t);
        break;
    }
    case '"':
    case '\'': {
        Bump(is);
        std::string text;
        if (!ReadQuoted(is, (char)c, text)) {
            ReadFailed(is, c == '"' ? "Invalid string" : "Invalid string (pchar)");
            break;
        }
        if (c == '"')
            v.SetString(text);
        else
            v.SetString0(text.c_str());
        break;
    }
    case '<': {
        Bump(is);
        std::string text;
        int d;
        while ((d = Peek(is)) != EOF && d != '>') {
            text += (char)d;
            Bump(is);
        }
        CByteBuffer bytes;
        int width = 0;
        const bool blank = text.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
        if (d != '>' || (!blank && ParseHexBytes(bytes, text.c_str(), width) < 0)) {
            ReadFailed(is, "Invalid binary string");
            break;
        }
        Bump(is);
        v.SetBinaryString(bytes.Data(), bytes.Size());
        break;
    }
    case '{': {
        if (ReadNesting::Full()) {
            ContainerReadFailed(is, "Invalid struct", g_containerReports);
            break;
        }
        ReadNesting depth;
        const unsigned reports = g_containerReports;
        CStructValue s;
        s.ReadText(is);
        if (is.fail()) {
            ContainerReadFailed(is, "Invalid struct", reports);
            break;
        }
        CValue t;
        t.MakeStruct().m_fields.swap(s.m_fields);
        v.Swap(t);
        break;
    }
    case '@': {
        Bump(is);
        void* p = nullptr;
        if (!GetNumber(is, p)) {
            ReadFailed(is, "Invalid pointer");
            break;
        }
        v.SetPointer(p);
        break;
    }
    case '#': {
        Bump(is);
        unsigned long id = 0;
        if (!GetNumber(is, id) || id > 0xFFFFFFFFul) {
            ReadFailed(is, "Invalid identifier");
            break;
        }
        v.SetIdentifier((uint32_t)id);
        break;
    }
    case 'U':
        Bump(is);
        if (Expect(is, 'N') && Expect(is, 'K')) {
            v.Clear();
            break;
        }
        ReadFailed(is, "Invalid value (smd)");
        break;
    default:
        ReadFailed(is, "Invalid value (smd)");
        break;
    }
    return is;
}

std::istream& CValueMatrix::ReadText(std::istream& is)
{
    std::istream::sentry s(is, true);
    if (!s) return is;
    SkipBlanks(is);
    if (!Expect(is, '[')) {
        Fail(is);
        return is;
    }
    SkipBlanks(is);
    if (Expect(is, ']')) {
        Free();
        return is;
    }
    std::vector<CValue> cells;
    int cols = -1, inRow = 0, rows = 0;
    for (;;) {
        CValue cell;
        ReadValue(is, cell);
        if (is.fail()) return is;
        cells.push_back(std::move(cell));
        ++inRow;
        SkipBlanks(is);
        const int c = Peek(is);
        if (c == ',') {
            Bump(is);
            continue;
        }
        if (c != ';' && c != ']') {
            Fail(is);
            return is;
        }
        Bump(is);
        if (cols < 0)
            cols = inRow;
        else if (inRow != cols) {
            Fail(is);
            return is;
        }
        ++rows;
        inRow = 0;
        if (c == ']') break;
    }
    CValueMatrix m(rows, cols);
    if (m.Rows() != rows || m.Cols() != cols) {
        Fail(is);
        return is;
    }
    size_t k = 0;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) m.Cell(i, j).Swap(cells[k++]);
    Swap(m);
    return is;
}

std::ostream& CStructValue::WriteText(std::ostream& os) const
{
    const bool lines = (OutputLayoutFlags.load(std::memory_order_relaxed) & LAYOUT_TABLE) != 0;
    os << '{';
    if (lines) os << '\n';
    const size_t n = m_fields.size();
    for (size_t i = 0; i < n; ++i) {
        const CStructField* f = m_fields[i];
        os << *f->m_name << '=' << f->m_value;
        if (f->m_attachment) {
            static const char hex[] = "0123456789abcdef";
            std::string id;
            for (unsigned t = f->m_attachment->m_type & 0xFFFF; t || id.empty(); t >>= 4) id.insert(id.begin(), hex[t & 0xF]);
            os << '$' << id << ' ';
            f->m_attachment->Write(&os, 16);
        }
        if (lines)
            os << '\n';
        else if (i + 1 < n)
            os << ", ";
    }
    return os << '}';
}

std::istream& CStructValue::ReadText(std::istream& is)
{
    std::istream::sentry s(is, true);
    if (!s) return is;
    SkipBlanks(is);
    if (!Expect(is, '{')) {
        Fail(is);
        return is;
    }
    RemoveAll();
    SkipBlanks(is);
    if (Expect(is, '}')) return is;
    for (;;) {
        CStructField* f = Add(EmptyName());
        SkipBlanks(is);
        std::string name;
        int c;
        while ((c = Peek(is)) != EOF && c != '=') {
            name += (char)c;
            Bump(is);
        }
        if (c != '=') {
            Fail(is);
            return is;
        }
        Bump(is);
        while (!name.empty() && IsBlank((unsigned char)name.back())) name.pop_back();
        ReadValue(is, f->m_value);
        if (is.fail()) return is;
        f->m_name = InternName(name);

        SkipBlanks(is);
        c = Peek(is);
        if (c == '$') {
            Bump(is);
            unsigned long id = 0;
            if (!GetNumber(is, id, std::ios::hex)) return is;
            Expect(is, ' ');  // the separator the writer puts before the attachment's text
            if (CStructAttachment* a = f->SetAttachment((uint32_t)id)) a->Read(&is, 16);
            SkipBlanks(is);
            c = Peek(is);
        }
        if (c == '}') {
            Bump(is);
            return is;
        }
        if (c != ',') {
            Fail(is);
            return is;
        }
        Bump(is);
        if (!is.good()) return is;
    }
}
