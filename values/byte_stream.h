#pragma once
// Byte streams (memory and file descriptor) and the binary value format.
#include <cstddef>
#include <cstdint>
#include <string>

#include "values/value.h"

class CValueMatrix;
class CStructValue;
class CStructField;

enum : uint32_t { BYTE_STREAM_FAIL = 1 };

// Origins of Seek.
enum : int { SEEK_FROM_START = 0, SEEK_FROM_CURRENT = 1, SEEK_FROM_END = 2 };

class CByteStream {
public:
    uint32_t m_state = 0;  // bit 0: fail

    virtual ~CByteStream() {}
    virtual void Close() = 0;
    virtual int64_t GetLength() = 0;
    virtual int64_t GetPosition() = 0;
    // Returns the position after the call, -1 for a bad origin or a failed move.
    virtual int64_t Seek(int64_t offset, int origin) = 0;
    // 0 when all n bytes were read, the count when fewer, -1 on failure. A count of 0
    // is ambiguous, so *delivered (when given) always receives the bytes delivered.
    virtual int64_t Read(void* buffer, size_t n, size_t* delivered = nullptr) = 0;
    // 0 when all n bytes were written, the count when fewer, -1 on failure.
    virtual int64_t Write(const void* buffer, size_t n) = 0;

    bool Fail() const { return (m_state & BYTE_STREAM_FAIL) != 0; }
    void SetFail() { m_state |= BYTE_STREAM_FAIL; }
    void ClearFail() { m_state &= ~BYTE_STREAM_FAIL; }

    // All n bytes or the fail bit; a stream that has already failed reads or writes nothing.
    bool ReadExact(void* buffer, size_t n);
    bool WriteExact(const void* buffer, size_t n);
};

class CMemStream : public CByteStream {
public:
    size_t m_growStep;
    int64_t m_position = 0;
    size_t m_capacity = 0;
    size_t m_length = 0;
    unsigned char* m_buffer = nullptr;
    bool m_ownsBuffer = true;

    explicit CMemStream(size_t growStep = 1024) : m_growStep(growStep) {}
    CMemStream(const CMemStream&) = delete;
    CMemStream& operator=(const CMemStream&) = delete;
    ~CMemStream() override
    {
        if (m_buffer) Close();
    }

    // Grows the capacity by whole grow steps to at least n; false (nothing changed) when
    // the allocation fails.
    bool Reserve(size_t n);
    // Reads from a block the stream does not own; a write that must grow it copies it first.
    void Attach(const void* data, size_t n);
    // Hands the buffer (malloc'ed) to the caller; the stream becomes empty.
    unsigned char* Detach();
    const unsigned char* Data() const { return m_buffer; }

    void Close() override;
    int64_t GetLength() override { return (int64_t)m_length; }
    int64_t GetPosition() override { return m_position; }
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Read(void* buffer, size_t n, size_t* delivered = nullptr) override;
    int64_t Write(const void* buffer, size_t n) override;
};

// A stream over a file descriptor. The descriptor belongs to whoever opened it:
// only Close closes it, the destructor does not.
class CHandleStream : public CByteStream {
public:
    int m_handle = -1;

    explicit CHandleStream(int fd = -1) : m_handle(fd) {}
    CHandleStream(const CHandleStream&) = delete;
    CHandleStream& operator=(const CHandleStream&) = delete;

    void Close() override;
    int64_t GetLength() override;
    int64_t GetPosition() override;
    int64_t Seek(int64_t offset, int origin) override;
    int64_t Read(void* buffer, size_t n, size_t* delivered = nullptr) override;
    int64_t Write(const void* buffer, size_t n) override;
};

// Matrix, string and structure records nested deeper than this fail to read or write.
constexpr int MAX_STREAM_NESTING = 1000;

// The binary value format. Errors are reported only through the fail bit; a value whose
// record fails to read is left empty.
CByteStream& WriteValueToStream(CByteStream& s, const CValue& v);
CByteStream& ReadValueFromStream(CByteStream& s, CValue& v);
CByteStream& WriteStreamString(CByteStream& s, const std::string& text);
CByteStream& ReadStreamString(CByteStream& s, std::string& text);
CByteStream& WriteStreamComplex(CByteStream& s, const Complex& c);
CByteStream& ReadStreamComplex(CByteStream& s, Complex& c);
CByteStream& WriteStreamMatrix(CByteStream& s, const CValueMatrix& m);
CByteStream& ReadStreamMatrix(CByteStream& s, CValueMatrix& m);
CByteStream& WriteStreamStruct(CByteStream& s, const CStructValue& st);
CByteStream& ReadStreamStruct(CByteStream& s, CStructValue& st);
CByteStream& WriteStreamField(CByteStream& s, const CStructField& f);
// Name and value only (structures written without attachment ids).
CByteStream& ReadStreamField(CByteStream& s, CStructField& f);
// Name, value, attachment id and the attachment's own bytes.
CByteStream& ReadStreamFieldEx(CByteStream& s, CStructField& f);
