#include "values/byte_stream.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "values/stack_guard.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

// ---- CByteStream ---------------------------------------------------------

bool CByteStream::ReadExact(void* buffer, size_t n)
{
    if (Fail()) return false;
    size_t got = 0;
    int64_t r = Read(buffer, n, &got);
    if (r != 0 || got != n) {
        SetFail();
        return false;
    }
    return true;
}

bool CByteStream::WriteExact(const void* buffer, size_t n)
{
    if (Fail()) return false;
    if (Write(buffer, n) != 0) {
        SetFail();
        return false;
    }
    return true;
}

// ---- CMemStream ----------------------------------------------------------

bool CMemStream::Reserve(size_t n)
{
    if (n <= m_capacity && (m_ownsBuffer || !m_buffer)) return true;
    size_t step = m_growStep ? m_growStep : 1;
    size_t cap = m_capacity;
    if (n > cap) {
        size_t need = n - cap;
        size_t steps = need / step + (need % step != 0);
        if (steps > (SIZE_MAX - cap) / step) return false;
        cap += steps * step;
    }
    unsigned char* p;
    if (m_ownsBuffer || !m_buffer) {
        p = static_cast<unsigned char*>(std::realloc(m_buffer, cap));
    } else {
        // A borrowed block is never written or resized in place.
        p = static_cast<unsigned char*>(std::malloc(cap));
        if (p) std::memcpy(p, m_buffer, m_length);
    }
    if (!p) return false;
    m_buffer = p;
    m_capacity = cap;
    m_ownsBuffer = true;
    return true;
}

void CMemStream::Attach(const void* data, size_t n)
{
    Close();
    m_buffer = static_cast<unsigned char*>(const_cast<void*>(data));
    m_capacity = m_length = data ? n : 0;
    m_ownsBuffer = false;
}

unsigned char* CMemStream::Detach()
{
    unsigned char* p = nullptr;
    if (m_ownsBuffer) {
        p = m_buffer;
        m_buffer = nullptr;
    } else if (m_buffer && m_length) {
        p = static_cast<unsigned char*>(std::malloc(m_length));
        if (p) std::memcpy(p, m_buffer, m_length);
    }
    Close();
    return p;
}

void CMemStream::Close()
{
    if (m_ownsBuffer) std::free(m_buffer);
    m_buffer = nullptr;
    m_position = 0;
    m_capacity = 0;
    m_length = 0;
    m_ownsBuffer = true;
}

int64_t CMemStream::Seek(int64_t offset, int origin)
{
    int64_t base;
    switch (origin) {
    case SEEK_FROM_START: base = 0; break;
    case SEEK_FROM_CURRENT: base = m_position; break;
    case SEEK_FROM_END: base = (int64_t)m_length; break;
    default: return -1;
    }
    int64_t pos;
    if (!__builtin_add_overflow(base, offset, &pos) && pos >= 0) m_position = pos;
    return m_position;
}

int64_t CMemStream::Read(void* buffer, size_t n, size_t* delivered)
{
    if (delivered) *delivered = 0;
    if (n == 0) return 0;
    if ((uint64_t)m_position > m_length) return -1;
    size_t count = m_length - (size_t)m_position;
    if (count > n) count = n;
    if (count) std::memcpy(buffer, m_buffer + m_position, count);
    m_position += (int64_t)count;
    if (delivered) *delivered = count;
    return count == n ? 0 : (int64_t)count;
}

int64_t CMemStream::Write(const void* buffer, size_t n)
{
    if (n == 0) return 0;
    size_t pos = (size_t)m_position;
    size_t end;
    if (__builtin_add_overflow(pos, n, &end) || end > (size_t)INT64_MAX) {
        SetFail();
        return -1;
    }
    // Growing geometrically keeps a stream written in small pieces linear;
    // when the doubled block cannot be had, the bytes that fit are enough.
    const size_t doubled = m_capacity <= SIZE_MAX / 2 ? 2 * m_capacity : SIZE_MAX;
    if (!(end > m_capacity && doubled > end && Reserve(doubled)) && !Reserve(end)) {
        SetFail();
        return -1;
    }
    if (pos > m_length) std::memset(m_buffer + m_length, 0, pos - m_length);
    std::memcpy(m_buffer + pos, buffer, n);
    m_position = (int64_t)end;
    if (end > m_length) m_length = end;
    return 0;
}

// ---- CHandleStream -------------------------------------------------------

void CHandleStream::Close()
{
    // close() is not retried on EINTR: the descriptor is released either way.
    if (m_handle >= 0) ::close(m_handle);
    m_handle = -1;
    m_state = 0;
}

int64_t CHandleStream::GetLength()
{
    struct stat st;
    if (m_handle < 0 || ::fstat(m_handle, &st) != 0) return -1;
    return (int64_t)st.st_size;
}

int64_t CHandleStream::GetPosition()
{
    if (m_handle < 0) return -1;
    return (int64_t)::lseek(m_handle, 0, SEEK_CUR);
}

int64_t CHandleStream::Seek(int64_t offset, int origin)
{
    int whence;
    switch (origin) {
    case SEEK_FROM_START: whence = SEEK_SET; break;
    case SEEK_FROM_CURRENT: whence = SEEK_CUR; break;
    case SEEK_FROM_END: whence = SEEK_END; break;
    default: return -1;
    }
    if (m_handle < 0) return -1;
    return (int64_t)::lseek(m_handle, (off_t)offset, whence);
}

namespace {
constexpr size_t kMaxChunk = (size_t)1 << 30;  // keeps every count within ssize_t
}

int64_t CHandleStream::Read(void* buffer, size_t n, size_t* delivered)
{
    size_t got = 0;
    while (got < n) {
        size_t chunk = n - got < kMaxChunk ? n - got : kMaxChunk;
        ssize_t r = ::read(m_handle, static_cast<char*>(buffer) + got, chunk);
        if (r < 0) {
            if (errno == EINTR) continue;
            if (delivered) *delivered = got;
            SetFail();
            return -1;
        }
        if (r == 0) break;  // end of file
        got += (size_t)r;
    }
    if (delivered) *delivered = got;
    return got == n ? 0 : (int64_t)got;
}

int64_t CHandleStream::Write(const void* buffer, size_t n)
{
    size_t put = 0;
    while (put < n) {
        size_t chunk = n - put < kMaxChunk ? n - put : kMaxChunk;
        ssize_t r = ::write(m_handle, static_cast<const char*>(buffer) + put, chunk);
        if (r < 0) {
            if (errno == EINTR) continue;
            SetFail();
            return -1;
        }
        if (r == 0) break;
        put += (size_t)r;
    }
    return put == n ? 0 : (int64_t)put;
}

// ---- binary value format -------------------------------------------------

namespace {

constexpr uint32_t kStructExBit = 0x80000000u;

bool PutU32(CByteStream& s, uint32_t x)
{
    unsigned char b[4] = {(unsigned char)x, (unsigned char)(x >> 8), (unsigned char)(x >> 16),
                          (unsigned char)(x >> 24)};
    return s.WriteExact(b, 4);
}

bool PutF64(CByteStream& s, double d)
{
    uint64_t x = std::bit_cast<uint64_t>(d);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i) b[i] = (unsigned char)(x >> (8 * i));
    return s.WriteExact(b, 8);
}

bool GetU32(CByteStream& s, uint32_t& x)
{
    unsigned char b[4];
    if (!s.ReadExact(b, 4)) return false;
    x = (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
    return true;
}

bool GetF64(CByteStream& s, double& d)
{
    unsigned char b[8];
    if (!s.ReadExact(b, 8)) return false;
    uint64_t x = 0;
    for (int i = 0; i < 8; ++i) x |= (uint64_t)b[i] << (8 * i);
    d = std::bit_cast<double>(x);
    return true;
}

// ---- writing ----

struct Writer {
    CByteStream& s;
    int depth = 0;
};

void WriteValue(Writer& w, const CValue& v);

void WriteText(Writer& w, const char* p, size_t n)
{
    if (n > 0xFFFFFFFFu) {
        w.s.SetFail();
        return;
    }
    if (PutU32(w.s, (uint32_t)n)) w.s.WriteExact(p, n);
}

// Containers count their nesting so that a record that cannot be read back is never written.
bool Enter(Writer& w)
{
    if (w.depth >= MAX_STREAM_NESTING) {
        w.s.SetFail();
        return false;
    }
    ++w.depth;
    return true;
}

void WriteMatrix(Writer& w, const CValueMatrix& m)
{
    if (!Enter(w)) return;
    if (PutU32(w.s, (uint32_t)m.Rows()) && PutU32(w.s, (uint32_t)m.Cols())) {
        int cols = m.IsEmpty() ? 0 : m.Cols();
        for (int r = 0; r < m.Rows() && !w.s.Fail(); ++r)
            for (int c = 0; c < cols && !w.s.Fail(); ++c) WriteValue(w, m.Cell(r, c));
    }
    --w.depth;
}

void WriteField(Writer& w, const CStructField& f, bool withAttachment)
{
    const std::string* name = f.m_name;
    if (name)
        WriteText(w, name->data(), name->size());
    else
        WriteText(w, "", 0);
    WriteValue(w, f.m_value);
    if (!withAttachment) return;
    uint32_t id = f.m_attachment ? (f.m_attachment->m_type & 0xFFFF) : 0;
    if (PutU32(w.s, id) && f.m_attachment) f.m_attachment->Write(&w.s, 1);
}

void WriteStruct(Writer& w, const CStructValue& st)
{
    if (!Enter(w)) return;
    size_t n = st.Count();
    if (n >= kStructExBit) {
        w.s.SetFail();
    } else if (PutU32(w.s, kStructExBit | (uint32_t)n)) {
        for (size_t i = 0; i < n && !w.s.Fail(); ++i) WriteField(w, *st.FieldAt(i), true);
    }
    --w.depth;
}

void WriteValue(Writer& w, const CValue& v)
{
    if (!PutU32(w.s, v.Tag())) return;
    switch (v.Type()) {
    case VT_REAL: PutF64(w.s, v.Real()); break;
    case VT_COMPLEX:
        if (PutF64(w.s, v.ComplexRef().re)) PutF64(w.s, v.ComplexRef().im);
        break;
    case VT_MATRIX: WriteMatrix(w, v.Matrix()); break;
    case VT_STRING0: {
        const char* p = v.String0();
        WriteText(w, p, std::strlen(p));
        break;
    }
    case VT_STRING: {
        if (!Enter(w)) return;
        const CValue* cells = v.Cells();
        uint32_t n = cells ? ValueArrayCount(cells) - 1 : 0;
        if (PutU32(w.s, n))
            for (uint32_t i = 0; i < n && !w.s.Fail(); ++i) WriteValue(w, cells[i]);
        --w.depth;
        break;
    }
    case VT_CHAR: {
        unsigned char b = v.CharCode();
        w.s.WriteExact(&b, 1);
        break;
    }
    case VT_POINTER:
    case VT_HANDLE:
    case VT_CONST_HANDLE:
    case VT_IDENTIFIER: PutU32(w.s, v.Word()); break;  // only the low 32 bits travel
    case VT_STRUCT: WriteStruct(w, v.Struct()); break;
    default: break;  // the tag alone
    }
}

// ---- reading ----

// Every count is checked against the bytes left before anything is allocated for it.
// Bytes already promised to the unread items of enclosing records (at least 4 per value
// record) are not available to the record being read, so hostile nesting cannot make the
// allocations grow faster than the input.
struct Reader {
    CByteStream& s;
    int depth = 0;
    uint64_t reserved = 0;

    uint64_t Available()
    {
        int64_t len = s.GetLength();
        int64_t pos = s.GetPosition();
        if (len < 0 || pos < 0 || pos >= len) return 0;
        uint64_t left = (uint64_t)(len - pos);
        return left > reserved ? left - reserved : 0;
    }
    // Counts and lengths also stay below the stream's total length.
    bool BelowLength(uint64_t n)
    {
        int64_t len = s.GetLength();
        return len > 0 && n < (uint64_t)len;
    }
    bool Fail()
    {
        s.SetFail();
        return false;
    }
    // A read may start deep in a caller's recursion: the native stack is checked too.
    bool Enter()
    {
        if (depth >= MAX_STREAM_NESTING || NativeStackLow()) return Fail();
        ++depth;
        return true;
    }
};

bool ReadValue(Reader& r, CValue& v);

bool ReadText(Reader& r, std::string& text)
{
    text.clear();
    uint32_t n;
    if (!GetU32(r.s, n)) return false;
    if (n == 0) return true;
    if (!r.BelowLength(n) || n > r.Available()) return r.Fail();
    text.resize(n);
    if (!r.s.ReadExact(text.data(), n)) {
        text.clear();
        return false;
    }
    return true;
}

// Reads `count` items of at least `minSize` bytes each, keeping the unread ones reserved.
template <class F>
bool ReadItems(Reader& r, uint64_t count, uint64_t minSize, F readItem)
{
    r.reserved += count * minSize;
    uint64_t i = 0;
    for (; i < count && !r.s.Fail(); ++i) {
        r.reserved -= minSize;
        if (!readItem(i)) {
            ++i;
            break;
        }
    }
    r.reserved -= (count - i) * minSize;
    return !r.s.Fail();
}

bool ReadMatrix(Reader& r, CValueMatrix& m)
{
    m.Free();
    if (!r.Enter()) return false;
    bool ok = false;
    uint32_t rows, cols;
    if (GetU32(r.s, rows) && GetU32(r.s, cols)) {
        uint64_t cells = (uint64_t)rows * cols;
        if ((int32_t)rows < 0 || (int32_t)cols < 0 || !r.BelowLength(rows) || !r.BelowLength(cols) ||
            cells * 4 > r.Available()) {
            r.Fail();
        } else if (cells == 0) {
            ok = true;
        } else if (!m.Resize((int)rows, (int)cols)) {
            r.Fail();
        } else {
            ok = ReadItems(r, cells, 4, [&](uint64_t k) {
                return ReadValue(r, m.Cell((int)(k / cols), (int)(k % cols)));
            });
        }
    }
    --r.depth;
    if (!ok) m.Free();
    return ok;
}

bool ReadField(Reader& r, CStructField& f, bool withAttachment)
{
    std::string name;
    if (!ReadText(r, name)) return false;
    f.m_name = InternName(name);
    if (!ReadValue(r, f.m_value)) return false;
    if (!withAttachment) return true;
    uint32_t id;
    if (!GetU32(r.s, id)) return false;
    delete f.m_attachment;
    f.m_attachment = id ? CreateAttachment(&f, id) : nullptr;
    // The attachment reads its own bytes; the fail bit reports its errors.
    if (f.m_attachment) f.m_attachment->Read(&r.s, 1);
    return !r.s.Fail();
}

bool ReadStruct(Reader& r, CStructValue& st)
{
    st.RemoveAll();
    if (!r.Enter()) return false;
    bool ok = false;
    uint32_t word;
    if (GetU32(r.s, word)) {
        uint32_t n = word & ~kStructExBit;
        bool ex = (word & kStructExBit) != 0;
        // name length and value tag, plus the attachment id
        uint64_t minSize = ex ? 12 : 8;
        if (n == 0) {
            ok = true;
        } else if (!r.BelowLength(n) || n * minSize > r.Available()) {
            r.Fail();
        } else {
            const std::string* defaultName = EmptyName();
            ok = ReadItems(r, n, minSize, [&](uint64_t) {
                CStructField* f = st.Add(defaultName);
                return ReadField(r, *f, ex);
            });
        }
    }
    --r.depth;
    if (!ok) st.RemoveAll();
    return ok;
}

bool ReadCells(Reader& r, CValue& v, bool binary)
{
    if (!r.Enter()) return false;
    bool ok = false;
    uint32_t n;
    if (GetU32(r.s, n)) {
        if (!r.BelowLength(n) || (uint64_t)n * 4 > r.Available()) {
            r.Fail();
        } else {
            CValue* scratch = AllocValueArray(n);
            if (!scratch) {
                r.Fail();
            } else {
                ok = ReadItems(r, n, 4, [&](uint64_t i) { return ReadValue(r, scratch[i]); });
                if (ok) {
                    CValue* cells = binary ? v.AllocBinaryString(n) : v.AllocString(n);
                    if (!cells)
                        ok = r.Fail();
                    else
                        for (uint32_t i = 0; i < n; ++i) cells[i].Swap(scratch[i]);
                }
                FreeValueArray(scratch);
            }
        }
    }
    --r.depth;
    return ok;
}

bool ReadValue(Reader& r, CValue& v)
{
    uint32_t tag;
    bool ok = GetU32(r.s, tag);
    if (ok) {
        bool binary = (tag & VT_BINARY_BIT) != 0;
        switch (tag & 0xFF) {
        case VT_REAL: {
            double x;
            double* p = v.AsReal();
            ok = p ? GetF64(r.s, x) : r.Fail();
            if (ok) *p = x;
            break;
        }
        case VT_COMPLEX: {
            double re, im;
            Complex* p = v.AsComplex();
            ok = p ? GetF64(r.s, re) && GetF64(r.s, im) : r.Fail();
            if (ok) *p = Complex{re, im};
            break;
        }
        case VT_MATRIX: {
            CValueMatrix& m = v.GetMatrix();
            ok = v.Type() == VT_MATRIX ? ReadMatrix(r, m) : r.Fail();
            break;
        }
        case VT_STRING0: {
            std::string text;
            ok = ReadText(r, text);
            if (ok && !v.SetString0(text.c_str())) ok = r.Fail();
            break;
        }
        case VT_STRING: ok = ReadCells(r, v, binary); break;
        case VT_CHAR: {
            unsigned char b;
            ok = r.s.ReadExact(&b, 1);
            if (ok) {
                if (binary)
                    v.SetByte();
                else
                    v.SetChar();
                v.m_payload = b;
            }
            break;
        }
        case VT_POINTER:
        case VT_HANDLE:
        case VT_CONST_HANDLE: {
            // A word from a file is only a number here: it is never used as an address.
            uint32_t word;
            ok = GetU32(r.s, word);
            if (ok) v.SetPointer(reinterpret_cast<const void*>((uintptr_t)word));
            break;
        }
        case VT_IDENTIFIER: {
            uint32_t word;
            ok = GetU32(r.s, word);
            if (ok) v.SetIdentifier(word);
            break;
        }
        case VT_STRUCT: ok = ReadStruct(r, v.MakeStruct()); break;
        default: v.Clear(); break;
        }
    }
    if (!ok || r.s.Fail()) {
        r.s.SetFail();
        v.Clear();
        return false;
    }
    return true;
}

}  // namespace

// ---- public entry points -------------------------------------------------

CByteStream& WriteValueToStream(CByteStream& s, const CValue& v)
{
    Writer w{s};
    WriteValue(w, v);
    return s;
}

CByteStream& ReadValueFromStream(CByteStream& s, CValue& v)
{
    Reader r{s};
    ReadValue(r, v);
    return s;
}

CByteStream& WriteStreamString(CByteStream& s, const std::string& text)
{
    Writer w{s};
    WriteText(w, text.data(), text.size());
    return s;
}

CByteStream& ReadStreamString(CByteStream& s, std::string& text)
{
    Reader r{s};
    ReadText(r, text);
    return s;
}

CByteStream& WriteStreamComplex(CByteStream& s, const Complex& c)
{
    if (PutF64(s, c.re)) PutF64(s, c.im);
    return s;
}

CByteStream& ReadStreamComplex(CByteStream& s, Complex& c)
{
    double re, im;
    if (GetF64(s, re) && GetF64(s, im)) c = Complex{re, im};
    return s;
}

CByteStream& WriteStreamMatrix(CByteStream& s, const CValueMatrix& m)
{
    Writer w{s};
    WriteMatrix(w, m);
    return s;
}

CByteStream& ReadStreamMatrix(CByteStream& s, CValueMatrix& m)
{
    Reader r{s};
    ReadMatrix(r, m);
    return s;
}

CByteStream& WriteStreamStruct(CByteStream& s, const CStructValue& st)
{
    Writer w{s};
    WriteStruct(w, st);
    return s;
}

CByteStream& ReadStreamStruct(CByteStream& s, CStructValue& st)
{
    Reader r{s};
    ReadStruct(r, st);
    return s;
}

CByteStream& WriteStreamField(CByteStream& s, const CStructField& f)
{
    Writer w{s};
    WriteField(w, f, true);
    return s;
}

CByteStream& ReadStreamField(CByteStream& s, CStructField& f)
{
    Reader r{s};
    ReadField(r, f, false);
    return s;
}

CByteStream& ReadStreamFieldEx(CByteStream& s, CStructField& f)
{
    Reader r{s};
    ReadField(r, f, true);
    return s;
}
