#include "values/byte_buffer.h"

#include <cctype>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

unsigned char* CByteBuffer::Resize(uint32_t n)
{
    if (m_bOwns) {
        if (n == 0) {
            std::free(m_pBytes);
            m_pBytes = nullptr;
            m_nSize = 0;
            m_bOwns = false;
        } else {
            void* p = std::realloc(m_pBytes, n);
            if (p) {
                m_pBytes = static_cast<unsigned char*>(p);
                m_nSize = n;
            }
        }
    } else if (n > 0) {
        void* p = std::malloc(n);
        if (p) {
            m_pBytes = static_cast<unsigned char*>(p);
            m_nSize = n;
            m_bOwns = true;
        }
    }
    return m_pBytes;
}

namespace {
// Reads one number of at most `digits` hex digits from exactly the given characters,
// as scanf's "%Nx" would; false when it does not start with a hex number.
bool ScanHex(const char* p, size_t len, int digits, uint64_t& out)
{
    char buf[24];
    if (len > sizeof(buf) - 1) len = sizeof(buf) - 1;
    std::memcpy(buf, p, len);
    buf[len] = 0;
    char fmt[16];
    std::snprintf(fmt, sizeof(fmt), "%%%d" SCNx64, digits);
    uint64_t v = 0;
    if (std::sscanf(buf, fmt, &v) != 1) return false;
    out = v;
    return true;
}

struct Word {
    const char* p;
    size_t n;
};
}  // namespace

bool HexToBytes(CByteBuffer& buffer, const char* text)
{
    size_t len = text ? std::strlen(text) : 0;
    size_t n = (len + 1) / 2;
    if (n > UINT32_MAX) return false;
    buffer.Resize((uint32_t)n);
    if (n > 0 && buffer.Size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        size_t take = (2 * i + 1 < len) ? 2 : 1;
        uint64_t v = 0;
        if (!ScanHex(text + 2 * i, take, (int)take, v)) return false;
        buffer.Data()[i] = (unsigned char)v;
    }
    return true;
}

int ParseHexBytes(CByteBuffer& buffer, const char* text, int& width)
{
    if (!text) text = "";
    std::vector<Word> words;
    int firstLine = 0;
    bool lineBreak = false;
    for (const char* p = text; *p;) {
        if (std::isspace((unsigned char)*p)) {
            if (*p == '\n' && !lineBreak) {
                lineBreak = true;
                firstLine = (int)words.size();
            }
            ++p;
            continue;
        }
        const char* s = p;
        while (*p && !std::isspace((unsigned char)*p)) ++p;
        words.push_back({s, (size_t)(p - s)});
    }
    if (!lineBreak) firstLine = 0;

    if (words.empty()) {
        width = 2;
        buffer.Resize(0);
        return firstLine;
    }
    if (words.size() == 1 && words[0].n > 8) {
        width = 2;
        std::string one(words[0].p, words[0].n);
        return HexToBytes(buffer, one.c_str()) ? 0 : -1;
    }
    size_t w0 = words[0].n;
    int digits;
    if (w0 <= 2)
        digits = 2;
    else if (w0 <= 4)
        digits = 4;
    else if (w0 <= 8)
        digits = 8;
    else if (w0 <= 16)
        digits = 16;
    else
        return -1;
    width = digits;

    const size_t bytesPerWord = (size_t)digits / 2;
    if (words.size() > UINT32_MAX / bytesPerWord) return -1;
    uint32_t need = (uint32_t)(words.size() * bytesPerWord);
    buffer.Resize(need);
    if (buffer.Size() < need) return -1;
    size_t stored = 0;
    for (const Word& w : words) {
        // A word longer than the width keeps its last digits.
        const char* p = w.p;
        size_t n = w.n;
        if (n > (size_t)digits) {
            p += n - (size_t)digits;
            n = (size_t)digits;
        }
        uint64_t v = 0;
        if (!ScanHex(p, n, digits, v)) return -1;
        for (size_t b = 0; b < bytesPerWord; ++b) buffer.Data()[stored++] = (unsigned char)(v >> (8 * b));
    }
    buffer.Resize((uint32_t)stored);
    return firstLine;
}

bool FormatHexLine(const unsigned char* bytes, size_t size, std::ostream& out, int wordsPerLine, int digitsPerWord)
{
    size_t wordBytes;
    int digits;
    switch (digitsPerWord) {
    case 4: wordBytes = 2, digits = 4; break;
    case 8: wordBytes = 4, digits = 8; break;
    case 16: wordBytes = 8, digits = 16; break;
    default: wordBytes = 1, digits = 2; break;
    }
    size_t written = 0;
    char buf[24];
    for (size_t pos = 0; pos < size; pos += wordBytes) {
        if (written > 0) out << ((wordsPerLine > 0 && written % (size_t)wordsPerLine == 0) ? '\n' : ' ');
        uint64_t v = 0;
        for (size_t b = 0; b < wordBytes && pos + b < size; ++b) v |= (uint64_t)bytes[pos + b] << (8 * b);
        int n = std::snprintf(buf, sizeof(buf), "%0*" PRIx64, digits, v);
        if (n != digits) return false;
        out << buf;
        ++written;
    }
    return !out.fail();
}

bool FormatHexLine(const CByteBuffer& buffer, std::ostream& out, int wordsPerLine, int digitsPerWord)
{
    return FormatHexLine(buffer.Data(), buffer.Size(), out, wordsPerLine, digitsPerWord);
}

bool FormatHexDump(const unsigned char* bytes, size_t size, std::string& text, int wordsPerLine, int digitsPerWord)
{
    std::ostringstream os;
    if (!FormatHexLine(bytes, size, os, wordsPerLine, digitsPerWord)) return false;
    text = os.str();
    return true;
}

bool FormatHexDump(const CByteBuffer& buffer, std::string& text, int wordsPerLine, int digitsPerWord)
{
    return FormatHexDump(buffer.Data(), buffer.Size(), text, wordsPerLine, digitsPerWord);
}
