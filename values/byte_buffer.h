#pragma once
// Growable byte buffer, hexadecimal text to bytes, and hexadecimal dumps.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

class CByteBuffer {
public:
    unsigned char* m_pBytes = nullptr;
    uint32_t m_nSize = 0;
    bool m_bOwns = false;  // set when the buffer allocated the bytes itself

    CByteBuffer() {}
    CByteBuffer(const CByteBuffer&) = delete;
    CByteBuffer& operator=(const CByteBuffer&) = delete;
    ~CByteBuffer() { Resize(0); }

    // Owned: 0 frees, n > 0 reallocates (unchanged on failure). Not owned: n > 0
    // allocates. Returns the bytes pointer.
    unsigned char* Resize(uint32_t n);
    unsigned char* Data() const { return m_pBytes; }
    uint32_t Size() const { return m_nSize; }
};

// Pairs of hex digits into bytes (a last odd digit is a byte of its own);
// false at the first pair that does not parse, the bytes before it kept.
bool HexToBytes(CByteBuffer& buffer, const char* text);

// Hex words separated by white space into bytes, each word stored least significant
// byte first. width receives the digits per word (2, 4, 8 or 16). Returns the number
// of words on the first line (0 without a line break), or -1 on a failure.
int ParseHexBytes(CByteBuffer& buffer, const char* text, int& width);

// Bytes as little-endian hex words of 2, 4, 8 or 16 digits (any other count: 2),
// a line feed after every wordsPerLine words, blanks between the others.
bool FormatHexLine(const unsigned char* bytes, size_t size, std::ostream& out, int wordsPerLine, int digitsPerWord);
bool FormatHexLine(const CByteBuffer& buffer, std::ostream& out, int wordsPerLine, int digitsPerWord);
bool FormatHexDump(const CByteBuffer& buffer, std::string& text, int wordsPerLine, int digitsPerWord);
bool FormatHexDump(const unsigned char* bytes, size_t size, std::string& text, int wordsPerLine, int digitsPerWord);
