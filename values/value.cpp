#include "values/value.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "values/cell_pool.h"
#include "values/output_stream.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

// ---- payload cells -------------------------------------------------------

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds keep one heap block per cell so that leaks and stale
// payload pointers are reported where they happen.
namespace {
inline Complex* NewComplexCell() { return static_cast<Complex*>(std::malloc(sizeof(Complex))); }
inline void DropComplexCell(Complex* p) { std::free(p); }
}  // namespace

CCellPool* ComplexCellPool() { return nullptr; }
#else
namespace {
// Never destroyed: cells may be freed by threads that outlive static destruction.
std::atomic<CCellPool*> g_complexCells{nullptr};

CCellPool* MakePool()
{
    static CCellPool* pool = [] {
        auto* p = new CCellPool(sizeof(Complex));
        g_complexCells.store(p, std::memory_order_release);
        return p;
    }();
    return pool;
}

inline CCellPool& ComplexCells()
{
    CCellPool* p = g_complexCells.load(std::memory_order_acquire);
    return p ? *p : *MakePool();
}

inline Complex* NewComplexCell() { return static_cast<Complex*>(ComplexCells().Alloc()); }
inline void DropComplexCell(Complex* p) { ComplexCells().Free(p); }
}  // namespace

CCellPool* ComplexCellPool() { return &ComplexCells(); }
#endif

Complex* AllocComplexCell() { return NewComplexCell(); }
void FreeComplexCell(Complex* p) { DropComplexCell(p); }

CValue* AllocValueArray(size_t n)
{
    if (n >= 0xFFFFFFFFu) return nullptr;
    size_t cells = n + 1;
    if (cells > (SIZE_MAX - sizeof(ValueArrayHeader)) / sizeof(CValue)) return nullptr;
    void* block = std::malloc(sizeof(ValueArrayHeader) + cells * sizeof(CValue));
    if (!block) {
        NoteOutOfMemory();
        return nullptr;
    }
    auto* hdr = static_cast<ValueArrayHeader*>(block);
    hdr->count = (uint32_t)cells;
    hdr->room = 0;
    CValue* first = reinterpret_cast<CValue*>(hdr + 1);
    for (size_t i = 0; i < cells; ++i) new (first + i) CValue();
    return first;
}

void FreeValueArray(CValue* cells)
{
    if (!cells) return;
    auto* hdr = reinterpret_cast<ValueArrayHeader*>(cells) - 1;
    uint32_t n = hdr->count;
    for (uint32_t i = 0; i < n; ++i) cells[i].~CValue();
    std::free(hdr);
}

bool AppendText(CValue& a, const CValue& b)
{
    if (&a == &b) {
        const CValue copy(b);
        if (copy.Type() != b.Type()) return false;  // refused
        return AppendText(a, copy);
    }
    CValue* cells = a.Cells();
    ValueArrayHeader* head = ValueArrayHead(cells);
    // Without the mark some cell may be empty: the string ends at the first one.
    size_t la = 0;
    if (head->room)
        la = head->count - 1;
    else
        while (cells[la].Type() != VT_EMPTY) ++la;
    size_t lb = 1;
    if (b.Type() == VT_STRING)
        for (lb = 0; b.Cells()[lb].Type() != VT_EMPTY;) ++lb;
    const size_t need = la + lb + 1;
    if (need >= 0xFFFFFFFFu) return false;
    if (!head->room || need > head->room) {
        size_t room = need < 16 ? 32 : need * 2;
        if (room >= 0xFFFFFFFFu) room = need;
        if (room > (SIZE_MAX - sizeof(ValueArrayHeader)) / sizeof(CValue)) return false;
        auto* block = static_cast<ValueArrayHeader*>(std::malloc(sizeof(ValueArrayHeader) + room * sizeof(CValue)));
        if (!block) {
            NoteOutOfMemory();
            return false;
        }
        CValue* fresh = reinterpret_cast<CValue*>(block + 1);
        for (size_t i = 0; i < room; ++i) new (fresh + i) CValue();
        for (size_t i = 0; i < la; ++i) fresh[i].Swap(cells[i]);
        block->count = (uint32_t)(la + 1);
        block->room = (uint32_t)room;
        FreeValueArray(cells);
        a.m_payload = reinterpret_cast<uintptr_t>(fresh);
        cells = fresh;
        head = block;
    }
    if (b.Type() == VT_STRING)
        for (size_t i = 0; i < lb; ++i) cells[la + i] = b.Cells()[i];
    else
        cells[la] = b;
    // Cells past the count were made empty with the block and never written.
    head->count = (uint32_t)need;
    return true;
}

static CValue* CopyValueArrayBlock(const CValue* src)
{
    uint32_t count = ValueArrayCount(src);
    CValue* dst = AllocValueArray(count ? count - 1 : 0);
    if (!dst) return nullptr;
    for (uint32_t i = 0; i < count; ++i) dst[i].CopyFrom(src[i]);  // dst cells are empty
    return dst;
}

// A new ValueArray of one cell of the given tag per byte; null without memory.
static CValue* MakeCellArray(const unsigned char* bytes, size_t n, uint32_t tag)
{
    CValue* cells = AllocValueArray(n);
    if (cells)
        for (size_t i = 0; i < n; ++i) {
            cells[i].m_payload = bytes[i];
            cells[i].m_tag = tag;
        }
    return cells;
}

// ---- construction --------------------------------------------------------

CValue::CValue(double x)
{
    m_real = x;
    m_tag = VT_REAL;
}

CValue::CValue(int x) : CValue((double)x) {}

CValue::CValue(const Complex& c)
{
    Complex* p = NewComplexCell();
    if (p) {
        *p = c;
        m_payload = (uintptr_t)p;
        m_tag = VT_COMPLEX;
    }
}

CValue::CValue(char ch)
{
    m_payload = (unsigned char)ch;
    m_tag = VT_CHAR;
}

CValue::CValue(const std::string& text)
{
    AdoptCells(MakeCellArray((const unsigned char*)text.data(), text.size(), VT_CHAR), VT_STRING);
}

CValue::CValue(const CValue& src) { CopyFrom(src); }

namespace {
// Cells whose containers are copied while another container is being copied
// wait in the outermost copy's list (the cell stays empty until then), so
// that a value nested a million levels deep is copied in a loop, not by a
// million nested calls. The cells of a container under copy do not move.
using PendingCopies = std::vector<std::pair<CValue*, const CValue*>>;
thread_local PendingCopies* t_pendingCopies = nullptr;

bool IsContainer(uint32_t type) { return type == VT_MATRIX || type == VT_STRUCT || type == VT_STRING; }
}  // namespace

void CValue::CopyFrom(const CValue& src)
{
    if (!src.OwnsPayload()) {  // inline datum or unowned pointer
        m_payload = src.m_payload;
        m_tag = src.m_tag;
        return;
    }
    m_payload = 0;
    m_tag = 0;
    if (IsContainer(src.Type())) {
        if (PendingCopies* pending = t_pendingCopies) {
            try {
                pending->emplace_back(this, &src);
                return;
            } catch (const std::bad_alloc&) {
                // no room to defer: copied here
            }
        } else {
            PendingCopies items;
            t_pendingCopies = &items;
            // An exception on the way (a refused allocation) must not leave the list behind.
            struct Reset {
                ~Reset() { t_pendingCopies = nullptr; }
            } reset;
            CopyPayload(src);
            while (!items.empty()) {
                const auto item = items.back();
                items.pop_back();
                item.first->CopyPayload(*item.second);
            }
            return;
        }
    }
    CopyPayload(src);
}

void CValue::CopyPayload(const CValue& src)
{
    m_payload = 0;
    m_tag = 0;
    uintptr_t p = 0;
    switch (src.Type()) {
    case VT_COMPLEX: {
        Complex* c = NewComplexCell();
        if (!c) return NoteOutOfMemory();
        *c = src.ComplexRef();
        p = (uintptr_t)c;
        break;
    }
    case VT_MATRIX: {
        const size_t mark = t_pendingCopies ? t_pendingCopies->size() : 0;
        auto* m = new (std::nothrow) CValueMatrix(src.Matrix());
        if (!m) return NoteOutOfMemory();
        if (m->Rows() != src.Matrix().Rows()) {
            // Its rows were refused, and the rows made before went back to the
            // heap with cells that wait in the pending list: they leave it too.
            if (t_pendingCopies) t_pendingCopies->resize(mark);
            NoteOutOfMemory();
        }
        p = (uintptr_t)m;
        break;
    }
    case VT_STRING0: {
        const char* s = src.String0();
        size_t n = std::strlen(s);
        char* d = static_cast<char*>(std::malloc(n + 1));
        if (!d) return NoteOutOfMemory();
        std::memcpy(d, s, n + 1);
        p = (uintptr_t)d;
        break;
    }
    case VT_STRING: {
        CValue* cells = CopyValueArrayBlock(src.Cells());
        if (!cells) return NoteOutOfMemory();
        p = (uintptr_t)cells;
        break;
    }
    case VT_STRUCT: {
        auto* s = new (std::nothrow) CStructValue(src.Struct());
        if (!s) return NoteOutOfMemory();
        p = (uintptr_t)s;
        break;
    }
    default:
        p = src.m_payload;
        break;
    }
    m_payload = p;
    m_tag = src.m_tag;
}

namespace {

void FreeContainer(uint32_t type, uintptr_t payload)
{
    switch (type) {
    case VT_MATRIX: delete reinterpret_cast<CValueMatrix*>(payload); break;
    case VT_STRUCT: delete reinterpret_cast<CStructValue*>(payload); break;
    case VT_STRING: FreeValueArray(reinterpret_cast<CValue*>(payload)); break;
    default: break;
    }
}

// Containers met while another one is being freed wait in the outermost
// free's list instead of being freed from inside their parent's destructor:
// a value nested a million levels deep is freed in a loop, not by a million
// nested calls.
using PendingFrees = std::vector<std::pair<uint32_t, uintptr_t>>;
thread_local PendingFrees* t_pending = nullptr;

}  // namespace

void CValue::ReleasePayload()
{
    switch (Type()) {
    case VT_COMPLEX: DropComplexCell(reinterpret_cast<Complex*>(m_payload)); break;
    case VT_STRING0: std::free(reinterpret_cast<char*>(m_payload)); break;
    case VT_MATRIX:
    case VT_STRUCT:
    case VT_STRING: {
        if (PendingFrees* p = t_pending) {
            try {
                p->emplace_back(Type(), m_payload);
            } catch (const std::bad_alloc&) {
                FreeContainer(Type(), m_payload);  // no room to defer: free it here
            }
            return;
        }
        PendingFrees items;
        t_pending = &items;
        struct Reset {
            ~Reset() { t_pending = nullptr; }
        } reset;
        FreeContainer(Type(), m_payload);
        while (!items.empty()) {
            const auto item = items.back();
            items.pop_back();
            FreeContainer(item.first, item.second);
        }
        break;
    }
    default: break;
    }
}

CValue& CValue::operator=(const CValue& src)
{
    if (this == &src) return *this;
    // Copy first: the source may live inside our own payload.
    CValue tmp(src);
    Swap(tmp);
    return *this;
}

CValue& CValue::operator=(CValue&& src) noexcept
{
    if (this != &src) {
        CValue tmp(static_cast<CValue&&>(src));
        Swap(tmp);
    }
    return *this;
}

// ---- queries -------------------------------------------------------------

bool CValue::IsRealValued() const
{
    return Type() == VT_REAL || (Type() == VT_COMPLEX && ComplexRef().im == 0);
}

bool CValue::IsHandleString() const
{
    return Type() == VT_STRING && Cells()[0].IsHandle();
}

bool CValue::IsHandleMatrix() const
{
    const CValue* v = this;
    while (v->Type() == VT_MATRIX) {
        const CValueMatrix& m = v->Matrix();
        if (m.IsEmpty()) return false;
        v = &m.Cell(0, 0);
        if (v->IsHandle()) return true;
    }
    return false;
}

const char* CValue::TypeNameOf(uint32_t tag)
{
    switch (tag & 0xFF) {
    case VT_INTEGER: return "Integer";
    case VT_REAL: return "Real";
    case VT_COMPLEX: return "Complex";
    case VT_MATRIX: return "Matrix";
    case VT_STRING0: return "String0";
    case VT_STRING: return (tag & VT_BINARY_BIT) ? "Binary String" : "String";
    case VT_ARRAY: return "Array";
    case VT_CHAR: return (tag & VT_BINARY_BIT) ? "Byte" : "Char";
    case VT_POINTER: return "Pointer";
    case VT_IDENTIFIER: return "Identifier";
    case VT_STRUCT: return "Struct";
    case VT_EXPRESSION: return "Expression";
    case VT_HANDLE: return "Handle of smd";
    case VT_CONST_HANDLE: return "Handle of const smd";
    case VT_BOOLEAN: return "Boolean";
    default: return "Unknown";
    }
}

Complex CValue::GetComplex() const
{
    if (Type() == VT_REAL) return Complex{Real(), 0.0};
    if (Type() == VT_COMPLEX) return ComplexRef();
    return Complex{0.0, 0.0};
}

void CValue::GetText(std::string& out) const
{
    out.clear();
    if (Type() != VT_STRING) {
        out.push_back((char)CharCode());
        return;
    }
    const CValue* c = Cells();
    if (!IsBinary()) {
        for (; c->Type() != VT_EMPTY; ++c) out.push_back((char)c->CharCode());
        return;
    }
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; c->Type() != VT_EMPTY; ++c, ++i) {
        if (i) out.push_back(' ');
        if (c->Type() == VT_CHAR) {
            out.push_back(hex[c->CharCode() >> 4]);
            out.push_back(hex[c->CharCode() & 15]);
        } else {
            out.push_back('?');
        }
    }
}

CValue CValue::SizeOf() const
{
    CValue r;
    switch (Type()) {
    case VT_REAL:
    case VT_CHAR:
    case VT_POINTER:
    case VT_IDENTIFIER:
    case VT_HANDLE:
    case VT_CONST_HANDLE: r.SetReal(1.0); break;
    case VT_COMPLEX: r.SetReal(2.0); break;
    case VT_MATRIX: {
        CValueMatrix& m = r.MakeMatrix(1, 2);
        if (m.Cols() == 2) {
            m.Cell(0, 0).SetReal(Matrix().Rows());
            m.Cell(0, 1).SetReal(Matrix().Cols());
        }
        break;
    }
    case VT_STRING0: r.SetReal((double)std::strlen(String0())); break;
    case VT_STRING: {
        size_t n = 0;
        for (const CValue* c = Cells(); c->Type() != VT_EMPTY; ++c) ++n;
        r.SetReal((double)n);
        break;
    }
    case VT_STRUCT: r.SetReal((double)Struct().Count()); break;
    default:
        ReportError() << "Invalid argument of size function (" << TypeName() << ")";
        break;
    }
    return r;
}

// ---- setters -------------------------------------------------------------

CValue& CValue::SetComplex(const Complex& c)
{
    if (Type() == VT_COMPLEX) {
        ComplexRef() = c;
        m_tag = VT_COMPLEX;
        return *this;
    }
    Complex v = c;  // c may live in our payload
    Complex* p = NewComplexCell();
    Clear();
    if (p) {
        *p = v;
        m_payload = (uintptr_t)p;
        m_tag = VT_COMPLEX;
    }
    return *this;
}

void CValue::SetComplexNumber(const Complex& c)
{
    if (c.im == 0)
        SetReal(c.re);
    else
        SetComplex(c);
}

Complex* CValue::AsComplex()
{
    if (Type() == VT_COMPLEX) return &ComplexRef();
    Complex* p = NewComplexCell();
    Clear();
    if (!p) return nullptr;
    *p = Complex{0.0, 0.0};
    m_payload = (uintptr_t)p;
    m_tag = VT_COMPLEX;
    return p;
}

CValueMatrix& CValue::AsMatrix(int rows, int cols, const CValue& fill)
{
    if (Type() == VT_MATRIX) {
        CValue f(fill);
        Matrix().Fill(rows, cols, f);
        m_tag = VT_MATRIX;
        return Matrix();
    }
    return AdoptMatrix(new (std::nothrow) CValueMatrix(rows, cols, fill));
}

CValueMatrix& CValue::MakeMatrix(int rows, int cols)
{
    if (Type() == VT_MATRIX) {
        Matrix().Resize(rows, cols);
        m_tag = VT_MATRIX;
        return Matrix();
    }
    return AdoptMatrix(new (std::nothrow) CValueMatrix(rows, cols));
}

CValueMatrix& CValue::GetMatrix()
{
    if (Type() == VT_MATRIX) return Matrix();
    return MakeMatrix(0, 0);
}

CValueMatrix& CValue::MakeScalarMatrix(const CValue& v)
{
    if (Type() == VT_MATRIX) return Matrix();
    return AdoptMatrix(new (std::nothrow) CValueMatrix(v));
}

char* CValue::SetString0(const char* text)
{
    size_t n = std::strlen(text);
    char* d = static_cast<char*>(std::malloc(n + 1));
    if (d) std::memcpy(d, text, n + 1);
    Clear();
    if (!d) return nullptr;
    m_payload = (uintptr_t)d;
    m_tag = VT_STRING0;
    return d;
}

char* CValue::AllocString0(size_t n)
{
    char* d = (n < SIZE_MAX) ? static_cast<char*>(std::malloc(n + 1)) : nullptr;
    Clear();
    if (!d) return nullptr;
    d[n] = 0;
    m_payload = (uintptr_t)d;
    m_tag = VT_STRING0;
    return d;
}

CValue* CValue::SetString(const char* text)
{
    return SetString(std::string(text));
}

CValue* CValue::SetString(const std::string& text)
{
    if (text.size() == 1) {
        SetChar(text[0]);
        if (Type() == VT_CHAR) m_tag = VT_CHAR;
        return this;
    }
    return AdoptCells(MakeCellArray((const unsigned char*)text.data(), text.size(), VT_CHAR), VT_STRING);
}

CValue* CValue::AllocString(size_t n) { return AdoptCells(AllocValueArray(n), VT_STRING); }

CValue* CValue::SetBinaryString(const unsigned char* bytes, size_t n)
{
    if (n == 1) {
        unsigned char b = bytes[0];
        Clear();
        m_payload = b;
        m_tag = VT_BYTE;
        return this;
    }
    return AdoptCells(MakeCellArray(bytes, n, VT_BYTE), VT_BINARY_STRING);
}

CValue* CValue::AllocBinaryString(size_t n) { return AdoptCells(AllocValueArray(n), VT_BINARY_STRING); }

CValue* CValue::AdoptCells(CValue* cells, uint32_t tag)
{
    Clear();
    if (!cells) return nullptr;
    m_payload = (uintptr_t)cells;
    m_tag = tag;
    return cells;
}

CValueMatrix& CValue::AdoptMatrix(CValueMatrix* m)
{
    Clear();
    if (!m) {
        static thread_local CValueMatrix scratch;
        scratch.Free();
        return scratch;
    }
    m_payload = (uintptr_t)m;
    m_tag = VT_MATRIX;
    return *m;
}

CStructValue& CValue::MakeStruct()
{
    CStructValue* s = new CStructValue();
    Clear();
    m_payload = (uintptr_t)s;
    m_tag = VT_STRUCT;
    return *s;
}

CStructValue& CValue::GetStruct()
{
    if (Type() == VT_STRUCT) return Struct();
    return MakeStruct();
}

CValue& CValue::SetChar()
{
    if (Type() != VT_CHAR) Clear();
    m_tag = VT_CHAR;
    return *this;
}

CValue& CValue::SetByte()
{
    if (Type() != VT_CHAR) Clear();
    m_tag = VT_BYTE;
    return *this;
}

CValue& CValue::SetChar(char ch)
{
    if (Type() == VT_CHAR) {
        m_payload = (unsigned char)ch;
        return *this;
    }
    Clear();
    m_payload = (unsigned char)ch;
    m_tag = VT_CHAR;
    return *this;
}

void CValue::SetPointer(const void* p)
{
    Clear();
    m_payload = (uintptr_t)p;
    m_tag = VT_POINTER;
}

void CValue::SetHandle(CValue* target)
{
    Clear();
    m_payload = (uintptr_t)target;
    m_tag = VT_HANDLE;
}

void CValue::SetConstHandle(const CValue* target)
{
    Clear();
    m_payload = (uintptr_t)target;
    m_tag = VT_CONST_HANDLE;
}

CValue& CValue::SetIdentifier()
{
    if (Type() != VT_IDENTIFIER) Clear();
    m_tag = VT_IDENTIFIER;
    return *this;
}

CValue& CValue::SetIdentifier(uint32_t id)
{
    Clear();
    m_payload = id;
    m_tag = VT_IDENTIFIER;
    return *this;
}

// ---- numbers -------------------------------------------------------------

double RoundToNearest(double x)
{
    if (x >= 0) {
        double f = std::floor(x);
        return (x - f < 0.5) ? f : std::ceil(x);
    }
    double c = std::ceil(x);
    return (c - x < 0.5) ? c : std::floor(x);
}

bool DoubleToInt(double x, int& out)
{
    if (!(x >= -2147483648.0 && x < 2147483648.0)) return false;
    out = (int)x;
    return true;
}

bool DoubleToInt64(double x, int64_t& out)
{
    if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) return false;
    out = (int64_t)x;
    return true;
}

int SaturateToInt(double x)
{
    if (x != x) return 0;
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return (int)-2147483648.0;
    return (int)x;
}
