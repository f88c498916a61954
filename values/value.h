#pragma once
// The value record of the language: a tagged payload word with deep-copy semantics.
#include <cstddef>
#include <cstdint>
#include <string>

#include "values/complex.h"

class CCellPool;
class CValueMatrix;
class CStructValue;

enum ValueType : uint32_t {
    VT_EMPTY = 0,
    VT_INTEGER = 1,
    VT_REAL = 2,
    VT_COMPLEX = 3,
    VT_MATRIX = 4,
    VT_STRING0 = 5,
    VT_STRING = 6,
    VT_ARRAY = 7,
    VT_CHAR = 8,
    VT_POINTER = 9,
    VT_IDENTIFIER = 10,
    VT_STRUCT = 11,
    VT_EXPRESSION = 12,
    VT_HANDLE = 13,
    VT_CONST_HANDLE = 14,
    VT_BOOLEAN = 15,
};

constexpr uint32_t VT_BINARY_BIT = 0x100;
// One bit per type whose payload is a heap block of its value: Complex,
// Matrix, String0, String, Struct.
constexpr uint32_t kOwnedPayloadTypes = 0x878u;
constexpr uint32_t VT_BINARY_STRING = VT_STRING | VT_BINARY_BIT;
constexpr uint32_t VT_BYTE = VT_CHAR | VT_BINARY_BIT;

class CValue {
public:
    // Owned heap payload, inline datum or unowned pointer, by tag. A Real keeps
    // its double in the word itself; both names reach the same word (the union
    // lets the compiler see the two views as one object).
    union {
        uintptr_t m_payload = 0;
        double m_real;
    };
    uint32_t m_tag = 0;  // low byte: ValueType; bit 0x100: binary variant

    CValue() noexcept {}
    CValue(double x);
    CValue(int x);
    CValue(const Complex& c);
    CValue(char ch);
    CValue(const std::string& text);  // always a String, even of one character
    CValue(const CValue& src);
    CValue(CValue&& src) noexcept : m_payload(src.m_payload), m_tag(src.m_tag)
    {
        src.m_payload = 0;
        src.m_tag = 0;
    }
    ~CValue() { if (OwnsPayload()) ReleasePayload(); }
    CValue& operator=(const CValue& src);
    CValue& operator=(CValue&& src) noexcept;

    void Clear()
    {
        if (OwnsPayload()) ReleasePayload();
        m_tag = 0;
        m_payload = 0;
    }

    // Type queries look at the low byte only.
    uint32_t Type() const { return m_tag & 0xFF; }
    uint32_t Tag() const { return m_tag; }
    bool IsEmpty() const { return Type() == VT_EMPTY; }
    // True for the types whose payload is a heap block of this value (Complex,
    // Matrix, String0, String, Struct).
    bool OwnsPayload() const
    {
        const uint32_t t = m_tag & 0xFF;
        return t < 16 && ((kOwnedPayloadTypes >> t) & 1u);
    }
    bool IsBinary() const { return (m_tag & VT_BINARY_BIT) != 0; }
    bool IsNumber() const { return Type() == VT_REAL || Type() == VT_COMPLEX; }
    bool IsRealValued() const;
    bool IsHandle() const { return Type() == VT_HANDLE || Type() == VT_CONST_HANDLE; }
    bool IsHandleString() const;
    bool IsHandleMatrix() const;

    static const char* TypeNameOf(uint32_t tag);
    const char* TypeName() const { return TypeNameOf(Type()); }

    // Payload accessors (only for the matching tag).
    uintptr_t GetPayload() const { return m_payload; }
    // The double lives in the cell: a reference to it is valid only while the
    // cell stays where it is (a matrix growing or a row moving moves it).
    double& Real() const { return const_cast<double&>(m_real); }
    Complex& ComplexRef() const { return *reinterpret_cast<Complex*>(m_payload); }
    CValueMatrix& Matrix() const { return *reinterpret_cast<CValueMatrix*>(m_payload); }
    CValueMatrix* MatrixPtr() const { return reinterpret_cast<CValueMatrix*>(m_payload); }
    CStructValue& Struct() const { return *reinterpret_cast<CStructValue*>(m_payload); }
    CStructValue* StructPtr() const { return reinterpret_cast<CStructValue*>(m_payload); }
    CValue* Cells() const { return reinterpret_cast<CValue*>(m_payload); }  // String / Binary String
    char* String0() const { return reinterpret_cast<char*>(m_payload); }
    CValue* HandleTarget() const { return reinterpret_cast<CValue*>(m_payload); }
    void* Pointer() const { return reinterpret_cast<void*>(m_payload); }
    unsigned char CharCode() const { return (unsigned char)(m_payload & 0xFF); }
    uint32_t Word() const { return (uint32_t)m_payload; }  // low 32 bits (Char, Byte, Identifier)
    void SetWord(uint32_t w) { m_payload = (m_payload & ~(uintptr_t)0xFFFFFFFFu) | w; }

    Complex GetComplex() const;  // Real gives {x, 0}; only for numbers
    void GetText(std::string& out) const;
    CValue SizeOf() const;

    // Setters. Each reuses an existing payload of the requested type.
    CValue& SetReal(double x)
    {
        if (OwnsPayload()) ReleasePayload();
        m_real = x;
        m_tag = VT_REAL;
        return *this;
    }
    CValue& SetReal(int x) { return SetReal((double)x); }
    // The cell's own double (0 when it was not a Real); never null.
    double* AsReal()
    {
        if (Type() != VT_REAL) SetReal(0.0);
        return &m_real;
    }
    CValue& SetComplex(const Complex& c);
    void SetComplexNumber(const Complex& c);
    Complex* AsComplex();
    CValueMatrix& AsMatrix(int rows, int cols, const CValue& fill);
    CValueMatrix& MakeMatrix(int rows, int cols);
    CValueMatrix& GetMatrix();
    CValueMatrix& MakeScalarMatrix(const CValue& v);
    char* SetString0(const char* text);
    char* AllocString0(size_t n);
    CValue* SetString(const char* text);
    CValue* SetString(const std::string& text);  // same rules: one character gives a Char
    CValue* AllocString(size_t n);
    CValue* SetBinaryString(const unsigned char* bytes, size_t n);
    CValue* AllocBinaryString(size_t n);
    CStructValue& MakeStruct();
    CStructValue& GetStruct();
    CValue& SetChar();
    CValue& SetByte();
    CValue& SetChar(char ch);
    void SetPointer(const void* p = nullptr);
    void SetHandle(CValue* target);
    void SetConstHandle(const CValue* target);
    CValue& SetIdentifier();
    CValue& SetIdentifier(uint32_t id);

    // Takes the payload of another value without copying; the source becomes empty.
    void Swap(CValue& other) noexcept
    {
        uintptr_t p = m_payload;
        uint32_t t = m_tag;
        m_payload = other.m_payload;
        m_tag = other.m_tag;
        other.m_payload = p;
        other.m_tag = t;
    }

    // Copies the payload of src into this empty value (tag word copied too).
    void CopyFrom(const CValue& src);

    // Unary operators in place (values/unary_operators.cpp): 0, or 10 after the
    // message naming the operand's type; the value is unchanged on an error.
    int Negate();
    int Not();
    int Increment();
    int Decrement();
    // Truth value: a number that is non-zero for true; 0, or 10 after
    // "Boolean type conversion". The second form counts a failure as false.
    int ToBoolean(double& out) const;
    double ToBoolean() const;

    // Element access by 1-based indices (values/element_access.cpp): result
    // becomes a Handle of the selected cell, or a Matrix or String of handles
    // for vector indices. GetElement makes the value indexable and grows it;
    // ReadElement grows nothing. 0, 60, 61 or 62; result unchanged on an error.
    int GetElement(const CValue* indices, int count, CValue& result);
    int ReadElement(const CValue* indices, int count, CValue& result) const;

private:
    void ReleasePayload();
    void CopyPayload(const CValue& src);  // CopyFrom's work on an owned payload
    // Replace the value by a new payload; a null one (no memory) leaves the value
    // empty, or, for a matrix, hands back an empty scratch matrix.
    CValue* AdoptCells(CValue* cells, uint32_t tag);
    CValueMatrix& AdoptMatrix(CValueMatrix* m);
};

static_assert(sizeof(CValue) == 16, "CValue is a pointer-sized payload word and a tag word");
static_assert(alignof(CValue) == 8);

// ValueArray: a count word (n + 1) in a header padded to the cells' alignment,
// then n + 1 cells, the last one empty. A value's payload points at the first cell.
struct alignas(CValue) ValueArrayHeader {
    uint32_t count;
    // Cells the block holds when it was grown for appending and every cell
    // before the terminator is known to be filled; 0 otherwise (see AppendText).
    uint32_t room;
};
static_assert(sizeof(ValueArrayHeader) == alignof(CValue));

CValue* AllocValueArray(size_t n);  // n cells plus the terminator, all empty; null on failure
void FreeValueArray(CValue* cells);
inline uint32_t ValueArrayCount(const CValue* cells)
{
    return reinterpret_cast<const ValueArrayHeader*>(cells)[-1].count;
}
inline ValueArrayHeader* ValueArrayHead(CValue* cells) { return reinterpret_cast<ValueArrayHeader*>(cells) - 1; }
// Appends b's cells (a String), or b itself (a Char), to the String a as
// a = a + b does, growing a's block in place with room to spare so that a run
// of appends costs linear time. a must be a String, b a String or a Char, neither
// binary. False (a unchanged) when the heap refuses.
bool AppendText(CValue& a, const CValue& b);

// Payload cells of Complex values.
Complex* AllocComplexCell();
void FreeComplexCell(Complex* p);
// The pool of Complex payloads; null where every payload is its own heap
// block (sanitizer builds).
CCellPool* ComplexCellPool();

// Nearest whole number, halves away from zero.
double RoundToNearest(double x);

// Checked double to integer conversions: false for NaN, infinities and out-of-range values.
bool DoubleToInt(double x, int& out);
bool DoubleToInt64(double x, int64_t& out);
// Truncates toward zero; saturates out-of-range values and maps NaN to 0.
int SaturateToInt(double x);
