#include "values/bit_fields.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

inline uint64_t LowMask(int width)
{
    // Shifting a 64-bit word by 64 is undefined, so the full width is spelled out.
    return width >= 64 ? ~(uint64_t)0 : ((uint64_t)1 << width) - 1;
}

inline void SetByteCell(CValue& c, unsigned b)
{
    c.SetByte();
    c.m_payload = b & 0xFF;
}

double NumberOf(const CValue& c)
{
    return c.Type() == VT_COMPLEX ? c.ComplexRef().re : c.Real();
}

// Truncation toward zero to 64 bits. Values from 2^63 up to 2^64 keep their unsigned bits;
// anything beyond the 64-bit range saturates and NaN gives 0.
uint64_t TruncateToBits(double x)
{
    int64_t i;
    if (DoubleToInt64(x, i)) return (uint64_t)i;
    if (x != x) return 0;
    if (x >= 9223372036854775808.0 && x < 18446744073709551616.0) return (uint64_t)x;
    return x > 0 ? ~(uint64_t)0 : (uint64_t)1 << 63;
}

// binary32 rounding of a double without the undefined conversion of out-of-range values.
float ToSingle(double x)
{
    if (std::isfinite(x) && std::fabs(x) > FLT_MAX) {
        // Halfway between FLT_MAX and the next power rounds to infinity (FLT_MAX is odd).
        const double halfway = (double)FLT_MAX + std::ldexp(1.0, 103);
        float big = std::fabs(x) >= halfway ? INFINITY : FLT_MAX;
        return x < 0 ? -big : big;
    }
    return (float)x;
}

bool ModeSize(int mode, unsigned& size)
{
    if (mode == 1)
        size = 4;
    else if (mode == 2 || mode == 3)
        size = 8;
    else
        return false;
    return true;
}

}  // namespace

int UnpackBits(const CValue* bytes, uint32_t n, CValue*& out, uint32_t& outCount, int width, bool isSigned)
{
    out = nullptr;
    outCount = 0;
    if (width < 1 || width > 64) return -1;
    uint64_t totalBits = (uint64_t)n * 8;
    int partial = (int)(totalBits % (uint64_t)width);
    if (n == 0) return 0;
    uint64_t count = totalBits / (uint64_t)width + (partial != 0);
    CValue* cells = AllocValueArray(count);
    if (!cells) return -1;
    const uint64_t mask = LowMask(width);
    uint64_t pos = 0;
    for (uint64_t k = 0; k < count; ++k) {
        uint64_t field = 0;
        int got = 0;
        while (got < width && pos < totalBits) {
            unsigned byte = bytes[pos >> 3].CharCode();
            int off = (int)(pos & 7);
            int take = 8 - off;
            if (take > width - got) take = width - got;
            uint64_t part = (byte >> off) & ((1u << take) - 1);
            field |= part << got;  // got < 64 here
            got += take;
            pos += (uint64_t)take;
        }
        field &= mask;
        double x;
        if (isSigned && width >= 2 && ((field >> (width - 1)) & 1)) {
            x = (double)(int64_t)(field | ~mask);
        } else {
            x = (double)field;  // unsigned: 2^63 and above stay positive
        }
        cells[k].SetReal(x);
    }
    out = cells;
    outCount = (uint32_t)count;
    return partial;
}

int PackBits(const CValue* numbers, uint32_t n, CValue*& out, int width)
{
    out = nullptr;
    if (width < 1 || width > 64) return -1;
    uint64_t totalBits = (uint64_t)n * (uint64_t)width;
    uint64_t count = totalBits / 8 + (totalBits % 8 != 0);
    for (uint32_t i = 0; i < n; ++i)
        if (!numbers[i].IsNumber()) return -1;
    CValue* cells = AllocValueArray(count);
    if (!cells) return -1;
    const uint64_t mask = LowMask(width);
    uint64_t pos = 0;
    unsigned cur = 0;  // the byte being filled
    for (uint32_t i = 0; i < n; ++i) {
        uint64_t field = TruncateToBits(NumberOf(numbers[i])) & mask;
        int left = width;
        while (left > 0) {
            int off = (int)(pos & 7);
            int take = 8 - off;
            if (take > left) take = left;
            cur |= (unsigned)(field & ((1u << take) - 1)) << off;
            field = take < 64 ? field >> take : 0;
            left -= take;
            pos += (uint64_t)take;
            if ((pos & 7) == 0) {
                SetByteCell(cells[(pos >> 3) - 1], cur);
                cur = 0;
            }
        }
    }
    if (pos & 7) SetByteCell(cells[pos >> 3], cur);
    out = cells;
    return (int)(totalBits % 8);
}

int BinaryStringToReals(const CValue* bytes, uint32_t n, CValue*& out, uint32_t& outCount, int mode)
{
    out = nullptr;
    outCount = 0;
    unsigned size;
    if (!ModeSize(mode, size)) return -1;
    if (n == 0) return 0;
    uint64_t count = n / size + (n % size != 0);
    CValue* cells = AllocValueArray(count);
    if (!cells) return -1;
    for (uint64_t k = 0; k < count; ++k) {
        uint64_t word = 0;
        for (unsigned b = 0; b < size; ++b) {
            uint64_t i = k * size + b;
            if (i < n) word |= (uint64_t)bytes[i].CharCode() << (8 * b);
        }
        double x = size == 4 ? (double)std::bit_cast<float>((uint32_t)word) : std::bit_cast<double>(word);
        cells[k].SetReal(x);
    }
    out = cells;
    outCount = (uint32_t)count;
    return (int)(n % size);
}

int RealsToBinaryString(const CValue* numbers, uint32_t n, CValue*& out, int mode)
{
    out = nullptr;
    unsigned size;
    if (!ModeSize(mode, size)) return -1;
    for (uint32_t i = 0; i < n; ++i)
        if (!numbers[i].IsNumber()) return -1;
    CValue* cells = AllocValueArray((uint64_t)n * size);
    if (!cells) return -1;
    for (uint32_t i = 0; i < n; ++i) {
        double x = NumberOf(numbers[i]);
        uint64_t word = size == 4 ? std::bit_cast<uint32_t>(ToSingle(x)) : std::bit_cast<uint64_t>(x);
        for (unsigned b = 0; b < size; ++b) SetByteCell(cells[(uint64_t)i * size + b], (unsigned)(word >> (8 * b)));
    }
    out = cells;
    return 0;
}
