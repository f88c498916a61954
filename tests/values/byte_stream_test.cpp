#include <gtest/gtest.h>

#include "support/fuzz_support.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "values/byte_stream.h"
#include "values/struct_value.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

std::string Hex(const unsigned char* p, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

std::string Hex(const CMemStream& m) { return Hex(m.Data(), m.m_length); }

std::string NoBlanks(std::string s)
{
    std::erase(s, ' ');
    return s;
}

std::vector<unsigned char> FromHex(const std::string& text)
{
    std::string h = NoBlanks(text);
    std::vector<unsigned char> r;
    for (size_t i = 0; i + 1 < h.size(); i += 2) r.push_back((unsigned char)std::stoul(h.substr(i, 2), nullptr, 16));
    return r;
}

std::vector<unsigned char> Record(const CValue& v)
{
    CMemStream m;
    WriteValueToStream(m, v);
    EXPECT_FALSE(m.Fail());
    return std::vector<unsigned char>(m.Data(), m.Data() + m.m_length);
}

// Reads one record from bytes; `left` receives the bytes not consumed.
bool ReadRecord(const std::vector<unsigned char>& bytes, CValue& v, int64_t* left = nullptr)
{
    CMemStream m;
    m.Attach(bytes.data(), bytes.size());
    ReadValueFromStream(m, v);
    if (left) *left = m.GetLength() - m.GetPosition();
    return !m.Fail();
}

struct TwoBytes : CStructAttachment {
    std::string data = "XY";
    TwoBytes() { m_type = 0xABCD0077; }  // only the low 16 bits are the id
    CStructAttachment* Clone(CStructField*) const override { return new TwoBytes(*this); }
    int Write(void* stream, int mode) const override
    {
        EXPECT_EQ(mode, 1);
        static_cast<CByteStream*>(stream)->WriteExact(data.data(), 2);
        return 0;
    }
    int Read(void* stream, int mode) override
    {
        EXPECT_EQ(mode, 1);
        data.assign(2, ' ');
        static_cast<CByteStream*>(stream)->ReadExact(data.data(), 2);
        return 0;
    }
};

CValue Str(const char* text) { return CValue(std::string(text)); }

CValue Matrix2x2()
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(2, 2);
    m.Cell(0, 0).SetReal(1.5);
    m.Cell(0, 1) = Str("xy");
    m.Cell(1, 0).SetComplex(Complex{0, -1});
    m.Cell(1, 1).MakeMatrix(1, 1).Cell(0, 0).SetReal(-0.0);
    return v;
}

CValue NestedStruct()
{
    CValue v;
    CStructValue& s = v.MakeStruct();
    s.FieldValue("alpha").SetReal(2);
    s.FieldValue("m") = Matrix2x2();
    s.Add(InternName(""))->m_value.SetString0("unnamed");
    CValue inner;
    inner.MakeStruct().FieldValue("b").SetChar('q');
    s.FieldValue("inner") = inner;
    return v;
}

struct TempFile {
    int fd;
    TempFile()
    {
        char name[] = "/tmp/veldra-bytestream-XXXXXX";
        fd = mkstemp(name);
        unlink(name);
    }
    ~TempFile()
    {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

TEST(BinaryValueFormat, HexDumps)
{
    CValue st;
    st.MakeStruct().FieldValue("a").SetReal(1.0);
    CValue binary;
    const unsigned char b2[] = {0x00, 0xFF};
    binary.SetBinaryString(b2, 2);
    CValue ident;
    ident.SetIdentifier(0x01020304);
    CValue s0;
    s0.SetString0("hi");
    struct Case {
        CValue v;
        const char* hex;
    } cases[] = {
        {CValue(1.0), "02000000 000000000000F03F"},
        {Str("ab"), "06000000 02000000 08000000 61 08000000 62"},
        {st, "0B000000 01000080 01000000 61 02000000 000000000000F03F 00000000"},
        {CValue(Complex{1, 0}), "03000000 000000000000F03F 0000000000000000"},
        {binary, "06010000 02000000 08010000 00 08010000 FF"},
        {ident, "0A000000 04030201"},
        {s0, "05000000 02000000 6869"},
        {CValue('z'), "08000000 7A"},
        {CValue(), "00000000"},
    };
    for (const Case& c : cases) {
        CMemStream m;
        WriteValueToStream(m, c.v);
        EXPECT_FALSE(m.Fail());
        EXPECT_EQ(Hex(m), NoBlanks(c.hex)) << c.v.TypeName();
    }
    // Rows before columns; cells row by row.
    CValue mat;
    CValueMatrix& mm = mat.MakeMatrix(1, 2);
    mm.Cell(0, 0).SetChar('a');
    mm.Cell(0, 1).SetChar('b');
    CMemStream m;
    WriteValueToStream(m, mat);
    EXPECT_EQ(Hex(m), NoBlanks("04000000 01000000 02000000 08000000 61 08000000 62"));
}

TEST(BinaryValueFormat, RoundTripsThroughMemoryAndFile)
{
    CValue emptyStr, oneStr, bin, byte, s0, empty0, ident, emptyMat, emptyStruct, ptr;
    ptr.SetPointer(reinterpret_cast<void*>((uintptr_t)0x89ABCDEF));
    emptyStr.AllocString(0);
    oneStr.AllocString(1)[0].SetChar('x');
    const unsigned char bytes[] = {1, 2, 0x80};
    bin.SetBinaryString(bytes, 3);
    byte.SetByte();
    byte.m_payload = 0xC3;
    s0.SetString0("text with blanks");
    empty0.SetString0("");
    ident.SetIdentifier(42);
    emptyMat.MakeMatrix(0, 0);
    emptyStruct.MakeStruct();
    double nanPayload = std::bit_cast<double>(0x7FF8000000000123ull);
    const CValue values[] = {CValue(),       CValue(-0.0),   CValue(nanPayload), CValue(Complex{3, 0}),
                             Matrix2x2(),    emptyMat,       Str("hello"),       emptyStr,
                             oneStr,         bin,            byte,               CValue('c'),
                             s0,             empty0,         ident,              NestedStruct(),
                             emptyStruct,    ptr};
    for (int useFile = 0; useFile < 2; ++useFile) {
        TempFile tf;
        ASSERT_GE(tf.fd, 0);
        CMemStream mem;
        CHandleStream file(tf.fd);
        CByteStream& s = useFile ? (CByteStream&)file : (CByteStream&)mem;
        for (const CValue& v : values) WriteValueToStream(s, v);
        ASSERT_FALSE(s.Fail());
        EXPECT_EQ(s.Seek(0, SEEK_FROM_START), 0);
        for (const CValue& v : values) {
            CValue back(7.0);
            ReadValueFromStream(s, back);
            ASSERT_FALSE(s.Fail()) << v.TypeName();
            EXPECT_EQ(back.Tag(), v.Tag()) << v.TypeName();
            // Writing it again gives the same bytes: nothing was lost or changed.
            EXPECT_EQ(Record(back), Record(v)) << v.TypeName() << (useFile ? " file" : " memory");
        }
        EXPECT_EQ(s.GetPosition(), s.GetLength());
    }
}

TEST(BinaryValueFormat, TypesThatDoNotRoundTrip)
{
    CValue target;
    // Handles come back as Pointers with the same word; they are never followed.
    CValue h;
    h.SetHandle(reinterpret_cast<CValue*>((uintptr_t)0x1234567890ABCDEFull));
    ASSERT_TRUE(ReadRecord(Record(h), target));
    EXPECT_EQ(target.Tag(), (uint32_t)VT_POINTER);
    EXPECT_EQ(target.GetPayload(), (uintptr_t)0x90ABCDEFu);
    h.SetConstHandle(reinterpret_cast<const CValue*>((uintptr_t)0x10));
    ASSERT_TRUE(ReadRecord(Record(h), target));
    EXPECT_EQ(target.Tag(), (uint32_t)VT_POINTER);
    EXPECT_EQ(target.GetPayload(), (uintptr_t)0x10);
    h.SetPointer(reinterpret_cast<void*>((uintptr_t)0xFFFF00000000AAAAull));
    EXPECT_EQ(Hex(Record(h).data(), 8), "09000000AAAA0000");

    // Integer, Array, Expression and Boolean: the tag alone, read back empty; the next record follows.
    for (uint32_t tag : {VT_INTEGER, VT_ARRAY, VT_EXPRESSION, VT_BOOLEAN}) {
        CValue v;
        v.m_tag = tag;
        auto bytes = Record(v);
        EXPECT_EQ(bytes.size(), 4u);
        auto real = Record(CValue(2.5));
        bytes.insert(bytes.end(), real.begin(), real.end());
        CMemStream m;
        m.Attach(bytes.data(), bytes.size());
        CValue a(1.0), b;
        ReadValueFromStream(m, a);
        ReadValueFromStream(m, b);
        EXPECT_FALSE(m.Fail());
        EXPECT_TRUE(a.IsEmpty()) << tag;
        EXPECT_EQ(b.Real(), 2.5);
        v.m_tag = 0;
    }
}

TEST(BinaryValueFormat, StructsWithoutAttachmentIdsAndWithAttachments)
{
    // A count without bit 31: fields carry no attachment id.
    CValue v;
    ASSERT_TRUE(ReadRecord(FromHex("0B000000 01000000 01000000 61 02000000 000000000000F03F"), v));
    ASSERT_EQ(v.Type(), (uint32_t)VT_STRUCT);
    ASSERT_EQ(v.Struct().Count(), 1u);
    EXPECT_EQ(v.Struct().FieldAt(0)->m_name, InternName("a"));
    EXPECT_EQ(v.Struct().FieldAt(0)->m_value.Real(), 1.0);

    CValue st;
    st.MakeStruct().FieldValue("f").SetChar('c');
    st.Struct().FieldValue("g").SetReal(1.0);
    st.Struct().FieldAt(0)->m_attachment = new TwoBytes();
    auto bytes = Record(st);
    EXPECT_EQ(Hex(bytes.data(), bytes.size()),
              NoBlanks("0B000000 02000080 01000000 66 08000000 63 77000000 5859"
                       "01000000 67 02000000 000000000000F03F 00000000"));

    // Unknown id: no attachment and nothing more is read for it.
    CValue back;
    ASSERT_TRUE(ReadRecord(FromHex("0B000000 01000080 01000000 66 08000000 63 77000000"), back));
    EXPECT_EQ(back.Struct().FieldAt(0)->m_attachment, nullptr);

    // A registered id makes the attachment, which reads its own bytes.
    RegisterAttachmentFactory(0x77, [](CStructField*) -> CStructAttachment* { return new TwoBytes(); });
    ASSERT_TRUE(ReadRecord(bytes, back));
    RegisterAttachmentFactory(0x77, nullptr);
    ASSERT_EQ(back.Struct().Count(), 2u);
    auto* att = dynamic_cast<TwoBytes*>(back.Struct().FieldAt(0)->m_attachment);
    ASSERT_NE(att, nullptr);
    EXPECT_EQ(att->data, "XY");
    EXPECT_EQ(back.Struct().FieldAt(1)->m_value.Real(), 1.0);
    EXPECT_EQ(Record(back), bytes);
}

TEST(BinaryValueFormat, BadRecordsFailAndLeaveTheTargetEmpty)
{
    const char* cases[] = {
        "",                                   // no tag word
        "020000",                             // short tag word
        "02000000 000000000000F0",            // short double
        "04000000 FFFFFFFF 01000000 02000000 000000000000F03F",  // negative rows
        "04000000 01000000",                  // no column count
        "04000000 01000000 02000000 02000000 000000000000F03F",  // second cell missing
        "04000000 00400000 00400000 02000000",  // far more cells than bytes
        "05000000 10000000 6162",             // String0 length beyond the stream
        "05000000 FFFFFFFF",
        "06000000 FFFFFF7F 08000000 61",      // cell count beyond the stream
        "06000000 02000000 08000000 61",      // second cell missing
        "06000000 01000000 08000000",         // char without its byte
        "08000000",
        "09000000 0100",
        "0A000000",
        "0B000000",                           // no field count
        "0B000000 FFFFFFFF",
        "0B000000 02000080 01000000 61 02000000 000000000000F03F 00000000",  // second field missing
        "0B000000 01000080 01000000 61 02000000 000000000000F03F",  // no attachment id
        "0B000000 01000080 05000000 61",      // name beyond the stream
    };
    for (const char* hex : cases) {
        CValue v(5.0);
        int64_t left = 0;
        EXPECT_FALSE(ReadRecord(FromHex(hex), v, &left)) << hex;
        EXPECT_TRUE(v.IsEmpty()) << hex;
    }
    // The typed readers empty their targets too.
    auto bytes = FromHex("FFFFFFFF 01000000");
    CMemStream m;
    m.Attach(bytes.data(), bytes.size());
    CValueMatrix mat(2, 2, CValue(1.0));
    ReadStreamMatrix(m, mat);
    EXPECT_TRUE(m.Fail());
    EXPECT_TRUE(mat.IsEmpty());
    // A stream that has already failed reads nothing.
    auto real = Record(CValue(1.0));
    CMemStream f;
    f.Attach(real.data(), real.size());
    f.SetFail();
    CValue v(3.0);
    ReadValueFromStream(f, v);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(f.GetPosition(), 0);
}

TEST(BinaryValueFormat, NestingIsLimited)
{
    auto nested = [](int levels) {
        std::string hex;
        for (int i = 0; i < levels; ++i) hex += "04000000 01000000 01000000";
        hex += "02000000 000000000000F03F";
        return FromHex(hex);
    };
    CValue v;
    ASSERT_TRUE(ReadRecord(nested(MAX_STREAM_NESTING), v));
    CValue inner = v;
    // Written back within the limit, one level more is refused both ways.
    EXPECT_EQ(Record(v), nested(MAX_STREAM_NESTING));
    CValue deeper;
    deeper.MakeMatrix(1, 1).Cell(0, 0) = inner;
    CMemStream m;
    WriteValueToStream(m, deeper);
    EXPECT_TRUE(m.Fail());
    CValue w(1.0);
    EXPECT_FALSE(ReadRecord(nested(MAX_STREAM_NESTING + 1), w));
    EXPECT_TRUE(w.IsEmpty());
}

TEST(MemStream, SeekReadWrite)
{
    CMemStream m(16);
    EXPECT_EQ(m.Seek(5, SEEK_FROM_START), 5);
    char buf[8] = {};
    EXPECT_EQ(m.Read(buf, 1), -1);
    EXPECT_EQ(m.Seek(-1, SEEK_FROM_START), 5);
    EXPECT_EQ(m.Seek(0, 3), -1);
    EXPECT_EQ(m.GetLength(), 0);  // a seek changes neither length nor buffer
    EXPECT_EQ(m.Data(), nullptr);

    // A write past the length zero-fills the gap; the capacity grows by whole steps.
    m.Seek(2, SEEK_FROM_START);
    EXPECT_EQ(m.Write("ab", 2), 0);
    EXPECT_EQ(Hex(m), "00006162");
    EXPECT_EQ(m.m_capacity, 16u);
    EXPECT_EQ(m.Seek(-1, SEEK_FROM_END), 3);
    EXPECT_EQ(m.Write("cdefghijklmnopqrs", 17), 0);
    EXPECT_EQ(m.GetLength(), 20);
    EXPECT_EQ(m.m_capacity, 32u);

    // Short reads report their count; at the end nothing is delivered.
    m.Seek(18, SEEK_FROM_START);
    size_t got = 99;
    EXPECT_EQ(m.Read(buf, 4, &got), 2);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(std::string(buf, 2), "rs");
    EXPECT_EQ(m.Read(buf, 4, &got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(m.Fail());  // Read keeps its contract and never sets the fail bit
    EXPECT_FALSE(m.ReadExact(buf, 1));
    EXPECT_TRUE(m.Fail());

    // A write that cannot grow the buffer fails and writes nothing.
    m.ClearFail();
    m.Seek(INT64_MAX, SEEK_FROM_START);
    EXPECT_EQ(m.Write("xy", 2), -1);
    EXPECT_TRUE(m.Fail());
    EXPECT_EQ(m.GetLength(), 20);

    m.Close();
    EXPECT_EQ(m.GetLength(), 0);
    EXPECT_EQ(m.GetPosition(), 0);
    EXPECT_EQ(m.Data(), nullptr);
}

TEST(MemStream, ReserveGrowsByWholeSteps)
{
    CMemStream m(10);
    unsigned char block[3] = {};
    m.Attach(block, 3);
    EXPECT_TRUE(m.Reserve(2));  // copies the borrowed block, keeps its capacity
    EXPECT_EQ(m.m_capacity, 3u);
    EXPECT_TRUE(m.Reserve(4));
    EXPECT_EQ(m.m_capacity, 13u);
    EXPECT_TRUE(m.Reserve(24));
    EXPECT_EQ(m.m_capacity, 33u);
    EXPECT_EQ(m.GetLength(), 3);
}

TEST(MemStream, WritesGrowTheBlockGeometrically)
{
    // A stream written a few bytes at a time (a figure's millions of points)
    // moves its block a logarithmic number of times, in whole grow steps.
    CMemStream m(1024);
    int moves = 0;
    size_t capacity = 0;
    for (int i = 0; i < 1 << 20; i++) {
        ASSERT_EQ(m.Write("abcdefgh", 8), 0);
        if (m.m_capacity != capacity) {
            moves++;
            capacity = m.m_capacity;
            EXPECT_EQ(capacity % 1024, 0u);
        }
    }
    EXPECT_EQ(m.GetLength(), 8 << 20);
    EXPECT_LE(moves, 14);
    EXPECT_EQ(std::string((const char*)m.Data() + (8 << 20) - 8, 8), "abcdefgh");
}

TEST(MemStream, BorrowedBlockIsNeverWritten)
{
    unsigned char block[4] = {1, 2, 3, 4};
    CMemStream m(8);
    m.Attach(block, 4);
    m.Seek(1, SEEK_FROM_START);
    EXPECT_EQ(m.Write("\x09", 1), 0);
    EXPECT_EQ(block[1], 2);
    EXPECT_EQ(Hex(m), "01090304");
    unsigned char* owned = m.Detach();
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(owned[1], 9);
    std::free(owned);
    EXPECT_EQ(m.GetLength(), 0);
}

TEST(HandleStream, FileOperations)
{
    TempFile tf;
    ASSERT_GE(tf.fd, 0);
    CHandleStream h(tf.fd);
    EXPECT_EQ(h.Write("hello", 5), 0);
    EXPECT_EQ(h.GetLength(), 5);
    EXPECT_EQ(h.GetPosition(), 5);
    EXPECT_EQ(h.Seek(-2, SEEK_FROM_END), 3);
    char buf[8];
    size_t got = 0;
    EXPECT_EQ(h.Read(buf, 8, &got), 2);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(std::string(buf, 2), "lo");
    EXPECT_EQ(h.Read(buf, 8, &got), 0);
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(h.Fail());
    EXPECT_EQ(h.Seek(0, 7), -1);

    h.Close();
    tf.fd = -1;  // closed by the stream
    EXPECT_EQ(h.m_handle, -1);
    EXPECT_EQ(h.Read(buf, 1), -1);
    EXPECT_TRUE(h.Fail());
    h.Close();
    EXPECT_EQ(h.m_state, 0u);
    EXPECT_EQ(h.Write("x", 1), -1);
    EXPECT_TRUE(h.Fail());
    EXPECT_EQ(h.GetLength(), -1);
}

// Truncated and mutated records must fail cleanly or read a value that writes again.
TEST(BinaryValueFormat, MutatedRecordsNeverCrash)
{
    std::vector<std::vector<unsigned char>> corpus = {Record(NestedStruct()), Record(Matrix2x2()),
                                                      Record(Str("abc")), Record(CValue(Complex{1, 2}))};
    for (const auto& rec : corpus)
        for (size_t n = 0; n < rec.size(); ++n) {
            CValue v(1.0);
            std::vector<unsigned char> cut(rec.begin(), rec.begin() + (long)n);
            EXPECT_FALSE(ReadRecord(cut, v)) << n;
            EXPECT_TRUE(v.IsEmpty());
        }

    int rounds = 20000;
    std::mt19937 rng(FuzzSeed(20260612, rounds));
    const uint32_t words[] = {0, 1, 2, 4, 0x7F, 0xFF, 0x106, 0x7FFFFFFF, 0x80000000, 0x80000001, 0xFFFFFFFF, 1000};
    for (int iter = 0; iter < rounds; ++iter) {
        std::vector<unsigned char> b = corpus[rng() % corpus.size()];
        int edits = 1 + (int)(rng() % 4);
        for (int e = 0; e < edits && !b.empty(); ++e) {
            size_t at = rng() % b.size();
            switch (rng() % 5) {
            case 0: b[at] ^= (unsigned char)(1u << (rng() % 8)); break;
            case 1: b[at] = (unsigned char)rng(); break;
            case 2: {
                uint32_t w = words[rng() % std::size(words)];
                for (int k = 0; k < 4 && at + k < b.size(); ++k) b[at + k] = (unsigned char)(w >> (8 * k));
                break;
            }
            case 3: b.resize(at); break;
            case 4: b.insert(b.begin() + (long)at, b.begin() + (long)at, b.begin() + (long)std::min(b.size(), at + 8)); break;
            }
        }
        const std::string input(b.begin(), b.end());
        FuzzInput current(input);
        CValue v;
        if (ReadRecord(b, v)) {
            CMemStream m;
            WriteValueToStream(m, v);
            EXPECT_FALSE(m.Fail());
        } else {
            EXPECT_TRUE(v.IsEmpty());
        }
    }
}
